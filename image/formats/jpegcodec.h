// JPEG through libjpeg (6b interface).
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsJpeg(const uint8_t* data, size_t size);
// Throws EGraphicsException; out is only changed on success. Grey JPEGs give
// 8-bit grey palette pictures, the others 24 bits.
void ImgDecodeJpeg(const uint8_t* data, size_t size, CPicture& out);
// The same for streams whose three components are R, G, B (TIFF's RGB
// JPEG strips) rather than YCbCr.
void ImgDecodeJpeg(const uint8_t* data, size_t size, CPicture& out, bool rgbComponents);

class CJpegWriter {
 public:
  const char* m_comment = nullptr;  // COM marker text; none when null or empty
  int m_quality = 75;  // 1..100

  // Writes the picture as a baseline JPEG (grey palette pictures as grey,
  // everything else as colour; alpha is dropped). Throws on failure.
  void Save(const char* fileName, const CPicture& picture);
  void Encode(const CPicture& picture, ImgSink& out);
};
