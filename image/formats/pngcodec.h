// PNG through libpng.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsPng(const uint8_t* data, size_t size);
// Throws EGraphicsException; out is only changed on success.
void ImgDecodePng(const uint8_t* data, size_t size, CPicture& out);

// Save flags: the low four bits are the zlib level plus one (0 = default).
constexpr unsigned kPngLevelMask = 0x0F;

class CPngWriter {
 public:
  // Text of the "Comment" chunk; none when null or empty.
  const char* m_comment = nullptr;

  // Writes the picture as a PNG file (temporary name, then renamed into
  // place). Palette pictures stay palette PNGs; 32-bit pictures are saved
  // with alpha when their alpha varies, else as RGB. Throws on failure.
  void Save(const char* fileName, const CPicture& picture, unsigned flags = 0);
  void Encode(const CPicture& picture, unsigned flags, ImgSink& out);
};
