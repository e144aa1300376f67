#include "game/dialogs/mapsection_math.h"

#include "map/geo.h"
#include "map/mapmath.h"
#include "text/fmtprint.h"

static const int64_t kWorld = (int64_t)1 << 30;

int MsShift(int zoom) {
  if (zoom >= MS_ZOOM_MAX) return 0;
  if (zoom < 0) return MS_ZOOM_MAX;
  return MS_ZOOM_MAX - zoom;
}

void MsPixelSize(const MsRect& r, int zoom, int* width, int* height) {
  int s = MsShift(zoom);
  int64_t dx = MapWorldDelta(r.xb & kMapWorldMask, r.xa & kMapWorldMask);
  int64_t dy = (int64_t)(r.yb & kMapWorldMask) - (int64_t)(r.ya & kMapWorldMask);
  *width = (int)(dx >> s);
  *height = (int)(dy >> s);
}

int MsWidthAsShown(const MsRect& r, int zoom, bool aLeftOfB) {
  int64_t east = (int64_t)((r.xb - r.xa) & kMapWorldMask);
  int64_t dx = aLeftOfB || east == 0 ? east : east - kWorld;
  return (int)(dx >> MsShift(zoom));
}

int MsNormalise(MsRect* r, int* width, int* height) {
  int swapped = 0;
  if (*height < 0) {
    uint32_t y = r->ya;
    r->ya = r->yb, r->yb = y;
    *height = -*height;
    swapped |= MS_SWAPPED_Y;
  }
  if (*width < 0) {
    uint32_t x = r->xa;
    r->xa = r->xb, r->xb = x;
    *width = -*width;
    swapped |= MS_SWAPPED_X;
  }
  return swapped;
}

int MsFixedCornerB(MsRect* r, int zoom, int width, int height) {
  int s = MsShift(zoom);
  int64_t xb = ((int64_t)(r->xa & kMapWorldMask) + (int64_t)width * ((int64_t)1 << s)) % kWorld;
  if (xb < 0) xb += kWorld;
  int64_t ya = r->ya & kMapWorldMask;
  int64_t room = (kWorld - 1 - ya) >> s;  // whole pixels above the south edge
  if (height > room) height = (int)room;
  if (height < 0) height = 0;
  r->xb = (uint32_t)xb;
  r->yb = (uint32_t)(ya + ((int64_t)height << s));
  return height;
}

int MsClampPixelEdit(int64_t value) {
  if (value < MS_PIXEL_EDIT_MIN) return MS_PIXEL_EDIT_MIN;
  if (value > MS_PIXEL_EDIT_MAX) return MS_PIXEL_EDIT_MAX;
  return (int)value;
}

int MsLevelCount(int zoom, int lowest) { return zoom >= lowest ? zoom - lowest + 1 : 0; }

MsLevel MsLevelArea(uint32_t xa, uint32_t ya, int width, int height, int zoom, int index) {
  MsLevel l;
  l.zoom = zoom - index;
  int s = MsShift(l.zoom);
  l.width = width >> index;
  l.height = height >> index;
  if (l.width < 1) l.width = 1;
  if (l.height < 1) l.height = 1;
  int64_t ox = ((int64_t)(xa & kMapWorldMask) >> s) << s;
  int64_t oy = ((int64_t)(ya & kMapWorldMask) >> s) << s;
  if (index >= 1 && l.zoom >= 3) {
    if (l.width < MS_PRECACHE_SPAN) {
      ox -= (int64_t)((MS_PRECACHE_SPAN - l.width) / 2) << s;
      l.width = MS_PRECACHE_SPAN;
    }
    if (l.height < MS_PRECACHE_SPAN) {
      oy -= (int64_t)((MS_PRECACHE_SPAN - l.height) / 2) << s;
      l.height = MS_PRECACHE_SPAN;
    }
  }
  int64_t worldPx = kWorld >> s;
  if (l.height > worldPx) l.height = (int)worldPx;
  int64_t maxY = kWorld - ((int64_t)l.height << s);
  if (oy > maxY) oy = maxY;
  if (oy < 0) oy = 0;
  ox %= kWorld;
  if (ox < 0) ox += kWorld;
  l.x = (uint32_t)ox;
  l.y = (uint32_t)oy;
  return l;
}

int64_t MsLevelTiles(const MsLevel& level) {
  int s = MsShift(level.zoom);
  int64_t px = (int64_t)level.x >> s, py = (int64_t)level.y >> s;
  int64_t cols = (px + level.width - 1) / 256 - px / 256 + 1;
  int64_t rows = (py + level.height - 1) / 256 - py / 256 + 1;
  int64_t side = (int64_t)1 << (level.zoom < 0 ? 0 : level.zoom);
  if (cols > side) cols = side;
  if (rows > side) rows = side;
  return cols * rows;
}

int MsProgressPos(int index, int levels, int64_t done, int64_t total, int range) {
  if (levels < 1 || index < 0) return 0;
  if (index >= levels) return range;
  double frac = total > 0 ? (double)done / (double)total : 0.0;
  if (frac < 0) frac = 0;
  if (frac > 1) frac = 1;
  double before = 0, span = range;
  for (int i = 0; i < index; i++) {
    before += span / 2;
    span /= 2;
  }
  if (index < levels - 1) span /= 2;  // the last level fills what remains
  int pos = (int)(before + span * frac + 0.5);
  return pos > range ? range : pos;
}

int MsGeoRefText(char* buf, int size, uint32_t x, uint32_t y, int zoom) {
  int s = MsShift(zoom);
  uint32_t ax = ((x & kMapWorldMask) >> s) << s;
  uint32_t ay = ((y & kMapWorldMask) >> s) << s;
  return GeoRefFormatForZoom(buf, size, MapWorldXToLon(ax), MapWorldYToLat(ay), zoom);
}

int MsKmText(char* buf, int size, double lonA, double latA, double lonB, double latB) {
  return FmtPrintA(buf, size, "Breite = %.3f km   Länge = %.3f km", GeoDistanceDegrees(lonA, latA, lonB, latA) * 0.001,
                   GeoDistanceDegrees(lonA, latA, lonA, latB) * 0.001);
}
