// GIF 87a/89a: the first image of a file, and single-image files.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsGif(const uint8_t* data, size_t size);
// Palette picture of the screen's size (1 to 8 bits, 256 entries of which
// those past the colour table are opaque black; the transparent index has
// alpha 0). Throws EGraphicsException; out is only changed on success.
void ImgDecodeGif(const uint8_t* data, size_t size, CPicture& out);

class CGifWriter {
 public:
  const char* m_comment = nullptr;  // a comment extension; none when null or empty
  // 87a, or 89a with a comment or transparency (alpha below 128). Palette
  // pictures keep their palette; deeper ones get one made for them, exact
  // when 256 colours (255 with transparency) suffice. Throws on failure.
  void Encode(const CPicture& picture, ImgSink& out);
};
