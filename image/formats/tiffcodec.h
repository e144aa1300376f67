// TIFF: the first image of classic and BigTIFF files, either byte order.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsTiff(const uint8_t* data, size_t size);
// Strips or tiles, chunky or planar; none, PackBits, LZW (with the
// horizontal predictor), Deflate, JPEG. Bilevel and grey 1 to 16 bits,
// palette, RGB and RGBA of 8 or 16 bits; associated alpha made straight.
// Throws EGraphicsException; out is only changed on success.
void ImgDecodeTiff(const uint8_t* data, size_t size, CPicture& out);

class CTiffWriter {
 public:
  const char* m_comment = nullptr;  // ImageDescription; none when null or empty
  // Little-endian, LZW strips of about 64 KB (with the horizontal predictor
  // for 8-bit samples). Palette pictures stay palette (or grey) pictures
  // unless their alpha varies; alpha is written unassociated. Throws.
  void Encode(const CPicture& picture, ImgSink& out);
};
