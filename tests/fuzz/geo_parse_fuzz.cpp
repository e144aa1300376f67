// Coordinate text and "GMREF:" records from arbitrary bytes: the parsers
// must stay inside the text, and what they accept must format and map back
// within bounded buffers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "map/geo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::vector<char> text(data, data + size);
  text.push_back(0);
  int len = (int)std::strlen(text.data());

  int used = -1;
  double v = GeoParseCoordA(text.data(), &used);
  if (used < 0 || used > len) std::abort();
  // what it reads formats in every mode within 32 bytes, and a cut buffer
  // is never overrun
  for (int mode = 0; mode <= 12; mode++) {
    char buf[GEO_COORD_TEXT_SIZE + 1];
    buf[GEO_COORD_TEXT_SIZE] = 0x5A;
    int n = -1;
    GeoFormatCoordA(v, mode, buf, GEO_COORD_TEXT_SIZE, &n);
    if (n < 0 || n >= GEO_COORD_TEXT_SIZE || buf[GEO_COORD_TEXT_SIZE] != 0x5A) std::abort();
    if ((int)std::strlen(buf) != n) std::abort();
    char small[8];
    int cut = size ? data[0] % 9 : 0;
    GeoFormatCoordA(v, mode, small, cut, &n);
    if (n > (cut > 0 ? cut - 1 : 0)) std::abort();
    if (std::fabs(v) <= 999 && mode >= 4 && mode <= 11) {
      int back = 0;
      double w = GeoParseCoordA(buf, &back);
      if (back != (int)std::strlen(buf) || std::fabs(w - v) > 0.51 / 3600) std::abort();
    }
  }

  std::vector<WideChar> wide(text.begin(), text.end());
  for (size_t i = 0; i < wide.size(); i++) wide[i] = (unsigned char)text[i];
  GeoParseCoordW(wide.data(), &used);
  if (used < 0 || used > len) std::abort();

  GeoRef ref;
  if (GeoRefParse(text.data(), &ref)) {
    if (ref.xScale == 0 || ref.yScale == 0 || !std::isfinite(ref.mercY)) std::abort();
    char line[128];
    int n = GeoRefFormatAtPixel(line, sizeof line, &ref, 3, -7);
    if (n < 0 || n >= (int)sizeof line) std::abort();
    double x, y;
    if (!GeoRefGeoToPixel(ref.lon, ref.lat, &x, &y, &ref)) std::abort();
    double lon, lat;
    GeoRefPixelToGeo(&lon, &lat, x, y, &ref);
    if (std::isfinite(lon) && (lon < -180 || lon > 180)) std::abort();
  } else if (ref.xScale != 0 || ref.yScale != 0 || ref.lon != 0 || ref.lat != 0 || ref.mercY != 0) {
    std::abort();
  }
  return 0;
}
