// PNM: portable bitmaps, greymaps and pixmaps (P1-P6).
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsPnm(const uint8_t* data, size_t size);
// The first image of the data. Throws EGraphicsException; out is only
// changed on success.
void ImgDecodePnm(const uint8_t* data, size_t size, CPicture& out);

class CPnmWriter {
 public:
  // Written as "#" lines after the magic number; none when null or empty.
  const char* m_comment = nullptr;
  // 'b' bitmap (P4), 'g' greymap (P5), 'p' pixmap (P6); 0 the fitting one:
  // P4 for black and white palettes, P5 for grey ones, else P6.
  char m_kind = 0;

  void Encode(const CPicture& picture, ImgSink& out);
};
