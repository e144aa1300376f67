// BMP: Windows and OS/2 bitmaps, uncompressed, RLE8/RLE4 and bit fields.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsBmp(const uint8_t* data, size_t size);
// Throws EGraphicsException; out is only changed on success.
void ImgDecodeBmp(const uint8_t* data, size_t size, CPicture& out);
// A device-independent bitmap without file header (info header, palette,
// rows), as icons hold it: with iconMask the header's height is twice the
// picture's and a 1-bit AND mask follows the rows; masked pixels become
// transparent (32 bits). Throws as ImgDecodeBmp.
void ImgDecodeDib(const uint8_t* data, size_t size, bool iconMask, CPicture& out);

class CBmpWriter {
 public:
  // BMP holds no comment; kept for the writers' common shape.
  const char* m_comment = nullptr;

  // A 40-byte header at the picture's depth (2 bits as 4, 16 as 5-5-5);
  // 32 bits with varying alpha as a 124-byte header with masks, else 24.
  void Encode(const CPicture& picture, ImgSink& out);
};
