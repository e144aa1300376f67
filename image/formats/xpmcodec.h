// XPM 3: X pixmaps as C source.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsXpm(const uint8_t* data, size_t size);
// Up to 256 colours give a palette picture (with "None" transparent), more
// 24 bits, or 32 with "None". Throws EGraphicsException; out is only
// changed on success.
void ImgDecodeXpm(const uint8_t* data, size_t size, CPicture& out);

class CXpmWriter {
 public:
  // Written as a C comment after the "XPM" mark; none when null or empty.
  const char* m_comment = nullptr;

  // As few characters per pixel as the colours need; "None" for alpha
  // below 128 where the alpha varies.
  void Encode(const CPicture& picture, ImgSink& out);
};
