// Small helpers the raster codecs (BMP, ICO, PNM, XPM, XWD) share: bounded
// byte reading and a row buffer for streaming writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/imgerror.h"
#include "image/imgfile.h"

namespace imgraster {

inline uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
inline uint32_t Le32(const uint8_t* p) {
  return Le16(p) | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
inline void PutLe16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutLe32(std::vector<uint8_t>& v, uint32_t x) {
  PutLe16(v, x);
  PutLe16(v, x >> 16);
}
inline void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}

// Scales a sample of maxval to 0..255, rounded.
inline uint32_t ScaleSample(uint32_t v, uint32_t maxval) {
  return maxval == 255 ? v : static_cast<uint32_t>((static_cast<uint64_t>(v) * 255 + maxval / 2) / maxval);
}

// A colour mask's position: value = (pixel & mask) >> shift, max = mask >> shift.
struct MaskField {
  uint32_t mask = 0, shift = 0, max = 0;
  explicit MaskField(uint32_t m = 0);
  uint32_t Get(uint32_t pixel) const { return max ? ScaleSample((pixel & mask) >> shift, max) : 0; }
};

// Writes bytes to the sink; a failure becomes the writer's exception.
void Put(ImgSink& out, const void* data, size_t size, const char* what);
inline void Put(ImgSink& out, const std::vector<uint8_t>& v, const char* what) { Put(out, v.data(), v.size(), what); }

}  // namespace imgraster
