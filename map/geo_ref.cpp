// The georeference record GeoRef and its "GMREF:" text line.
#include "map/geo.h"

#include <cmath>
#include <cstring>

#include "text/fmtprint.h"
#include "text/number.h"
#include "text/strclass.h"

namespace {

const char kTag[] = "GMREF:";
const int kTagLen = 6;

bool Finite(double v) { return std::isfinite(v); }

bool Usable(const GeoRef* ref) {
  return ref && ref->xScale != 0 && ref->yScale != 0 && Finite(ref->xScale) &&
         Finite(ref->yScale) && Finite(ref->lon) && Finite(ref->lat) && Finite(ref->mercY);
}

void MakeRef(GeoRef* ref, double lon, double lat, double xScale, double yScale) {
  ref->xScale = xScale;
  ref->yScale = yScale;
  ref->lon = lon;
  ref->lat = lat;
  ref->mercY = GeoMercatorY(lat * GEO_DEG2RAD);
}

}  // namespace

double GeoWrapLongitude(double lon) {
  // fmod instead of adding turns one by one: ends for any magnitude
  if (!Finite(lon)) return lon;
  if (lon > 180) {
    double r = std::fmod(lon - 180, 360);
    return r == 0 ? 180 : r - 180;
  }
  if (lon < -180) {
    double r = std::fmod(lon + 180, 360);
    return r == 0 ? -180 : r + 180;
  }
  return lon;
}

int GeoRefGeoToPixel(double lon, double lat, double* x, double* y, const GeoRef* ref) {
  if (!Usable(ref)) {
    *x = *y = 0;
    return 0;
  }
  *x = (lon - ref->lon) / ref->xScale;
  *y = (ref->mercY - GeoMercatorY(lat * GEO_DEG2RAD)) / ref->yScale;
  return 1;
}

void GeoRefPixelToGeo(double* lon, double* lat, double x, double y, const GeoRef* ref) {
  *lon = GeoWrapLongitude(x * ref->xScale + ref->lon);
  *lat = GeoMercatorLat(GeoMercatorY(ref->lat * GEO_DEG2RAD) - y * ref->yScale) * GEO_RAD2DEG;
}

int GeoRefParse(const char* text, GeoRef* ref) {
  std::memset(ref, 0, sizeof *ref);
  if (!text || std::strncmp(text, kTag, kTagLen) != 0) return 0;
  const char* p = text + kTagLen;
  double v[4];
  for (int i = 0; i < 4; i++) {
    p += StrSpanClassA(p, STRCLS_BLANKS);
    int n = 0;
    // no digit groups: the fields themselves are separated by blanks
    v[i] = NumParseDoubleA(p, &n, NUMF_SIGN | NUMF_EXPONENT | NUMF_NOSKIP | NUMF_FLOATTOKEN);
    if (n == 0 || !Finite(v[i])) return 0;
    p += StrCSpanClassA(p, STRCLS_BLANKS);
  }
  // a record without scale would divide by zero in every transform
  if (v[0] == 0 || v[1] == 0) return 0;
  GeoRef r;
  MakeRef(&r, v[2], v[3], v[0], v[1]);
  if (!Finite(r.mercY)) return 0;
  *ref = r;
  return 1;
}

int GeoRefFormat(char* buf, int size, double lon, double lat, double xScale, double yScale) {
  if (!buf || size < 1) return 0;
  // locale-independent: the record must always carry "." as decimal point
  return FmtPrintA(buf, size, "GMREF: %2.15f %2.15f %4.9f %3.9f", xScale, yScale,
                   GeoWrapLongitude(lon), lat);
}

int GeoRefFormatForZoom(char* buf, int size, double lon, double lat, int zoom) {
  return GeoRefFormat(buf, size, lon, lat, std::ldexp(GEO_TILE_XSCALE0, -zoom),
                      std::ldexp(GEO_TILE_YSCALE0, -zoom));
}

int GeoRefFormatAtPixel(char* buf, int size, const GeoRef* ref, int x, int y) {
  double lon, lat;
  // negated as doubles: -INT_MIN does not exist as an int
  GeoRefPixelToGeo(&lon, &lat, -(double)x, -(double)y, ref);
  return GeoRefFormat(buf, size, lon, lat, ref->xScale, ref->yScale);
}

int GeoRefBuild(char* buf, int size, double lon, double lat, double xScale, double yScale,
                int x, int y) {
  GeoRef r;
  MakeRef(&r, lon, lat, xScale, yScale);
  return GeoRefFormatAtPixel(buf, size, &r, x, y);
}

int GeoRefForZoom(char* buf, int size, double lon, double lat, int zoom, int x, int y) {
  return GeoRefBuild(buf, size, lon, lat, std::ldexp(GEO_TILE_XSCALE0, -zoom),
                     std::ldexp(GEO_TILE_YSCALE0, -zoom), x, y);
}
