#include "image/formats/rasterio.h"

#include <cstdio>

namespace imgraster {

void CheckDecodeSize(int64_t w, int64_t h, const char* what) {
  char msg[96];
  if (w <= 0 || h <= 0) {
    std::snprintf(msg, sizeof(msg), "%s: empty image", what);
    throw EGraphicsDataError(msg);
  }
  if (w > kImgMaxDecodeSide || h > kImgMaxDecodeSide || w * h > kImgMaxDecodePixels) {
    std::snprintf(msg, sizeof(msg), "%s: image too large", what);
    throw EGraphicsMemoryError(msg);
  }
}

MaskField::MaskField(uint32_t m) : mask(m) {
  if (!m) return;
  while (!(m & 1)) m >>= 1, ++shift;
  max = m;
}

void Put(ImgSink& out, const void* data, size_t size, const char* what) {
  if (size && !out.Write(data, size)) {
    char msg[64];
    std::snprintf(msg, sizeof(msg), "%s: write failed", what);
    throw EGraphicsDataError(msg);
  }
}

}  // namespace imgraster
