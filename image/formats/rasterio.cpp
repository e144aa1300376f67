#include "image/formats/rasterio.h"

#include <cstdio>

namespace imgraster {

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
