#include "map/mapmath.h"

#include <math.h>
#include <string.h>

#include "map/geo.h"

namespace {

const double kLonToWorld = 2982616.177777778;    // 2^30 / 360
const double kMercToWorld = 170891318.8941079;   // 2^30 / (2 pi)
const double kWorldToLon = 3.3527612686157227e-07;
const double kWorldToMerc = 5.8516723170686385e-09;
const double kDegToRad = GEO_DEG2RAD;
const double kRadToDeg = GEO_RAD2DEG;

int SaturateInt(int64_t v) {
  if (v > 0x7FFFFFF0) return 0x7FFFFFF0;
  if (v < -0x7FFFFFF0) return -0x7FFFFFF0;
  return (int)v;
}

// floor(v / 2^n) mod 2^n-free helpers for signed values
int64_t FloorMod(int64_t v, int64_t m) {
  int64_t r = v % m;
  return r < 0 ? r + m : r;
}

}  // namespace

uint32_t MapLonToWorldX(double lon) {
  if (!isfinite(lon)) return kMapWorldMid;
  // far outside one turn the product would leave the integer range
  if (lon > 720.0 || lon < -720.0) lon = fmod(lon, 360.0);
  int64_t v = (int64_t)trunc(lon * kLonToWorld) + kMapWorldMid;
  return (uint32_t)v & kMapWorldMask;
}

uint32_t MapLatToWorldY(double lat) {
  if (isnan(lat)) return kMapWorldMid;
  // beyond the edges tan() grows without bound and the value would wrap
  // into the other hemisphere
  if (lat >= kMapTopLat) return 0;
  if (lat <= -kMapTopLat) return kMapWorldMask;
  // a hair towards the larger magnitude, so that a tile corner given to 16
  // digits is not truncated to the unit before it by rounding in the libm
  double t = GeoMercatorY(lat * kDegToRad) * kMercToWorld;
  t += t >= 0 ? 1e-6 : -1e-6;
  int64_t v = (int64_t)kMapWorldMid - (int64_t)trunc(t);
  if (v < 0) v = 0;
  if (v > (int64_t)kMapWorldMask) v = kMapWorldMask;
  return (uint32_t)v;
}

double MapWorldXToLon(uint32_t x) {
  return ((double)(x & kMapWorldMask) - (double)kMapWorldMid) * kWorldToLon;
}

double MapWorldYToLat(uint32_t y) {
  double m = ((double)kMapWorldMid - (double)(y & kMapWorldMask)) * kWorldToMerc;
  return GeoMercatorLat(m) * kRadToDeg;
}

void MapBackBufferSize(int screenW, int screenH, int* width, int* height) {
  if (screenW < 1) screenW = 1;
  if (screenH < 1) screenH = 1;
  int w = ((screenW / 128 + 3) & ~3) * 256;
  int h = ((screenH / 128 + 3) & ~3) * 256;
  w = w < 1024 ? 1024 : w;
  h = h < 1024 ? 1024 : h;
  // Two map windows (the view's and the export dialog's) must fit a 32-bit
  // process with room to spare: on a very large screen the buffer keeps
  // only the screen and a margin of a cell or so (a cell count divisible by
  // four), and the largest screens get fewer rows than they show.
  if ((int64_t)w * h > kMapMaxBufferPixels) {
    w = (((screenW + 255) / 256 + 2 + 3) & ~3) * 256;
    h = (((screenH + 255) / 256 + 2 + 3) & ~3) * 256;
    while ((int64_t)w * h > kMapMaxBufferPixels && h > 1024) h -= 1024;
    while ((int64_t)w * h > kMapMaxBufferPixels && w > 1024) w -= 1024;
  }
  *width = w;
  *height = h;
}

void MapAreaCentreSpan(double lon1, double lat1, double lon2, double lat2, uint32_t* cx,
                       uint32_t* cy, uint32_t* spanX, uint32_t* spanY) {
  if (lat1 > 85) lat1 = 85;
  if (lat1 < -85) lat1 = -85;
  if (lat2 > 85) lat2 = 85;
  if (lat2 < -85) lat2 = -85;
  uint32_t x1 = MapLonToWorldX(lon1), x2 = MapLonToWorldX(lon2);
  uint32_t y1 = MapLatToWorldY(lat1), y2 = MapLatToWorldY(lat2);
  if (y1 > y2) {
    uint32_t t = y1;
    y1 = y2;
    y2 = t;
  }
  uint64_t sx, mx;
  if (x1 > x2) {
    sx = (uint64_t)x2 - x1 + kMapWorldMask;
    mx = (((uint64_t)x1 + x2 + kMapWorldMask) / 2) & kMapWorldMask;
  } else {
    sx = x2 - x1;
    mx = ((uint64_t)x1 + x2) / 2;
  }
  uint32_t sy = y2 - y1;
  *spanX = sx < 1 ? 1 : (uint32_t)sx;
  *spanY = sy < 1 ? 1 : sy;
  *cx = (uint32_t)mx;
  *cy = (uint32_t)(((uint64_t)y1 + y2) / 2);
}

int MapZoomForSpan(uint32_t spanX, uint32_t spanY, int width, int height, int tileShift) {
  if (spanX < 1) spanX = 1;
  if (spanY < 1) spanY = 1;
  int s22 = 30 - tileShift - kMapMaxZoom;
  int zoom = kMapMaxZoom;
  int64_t span, limit;
  if ((int64_t)spanY * width <= (int64_t)spanX * height) {
    span = MapWorldToPx(spanX, s22);
    limit = width - 30;
  } else {
    span = MapWorldToPx(spanY, s22);
    limit = height - 30;
  }
  while (zoom > 0 && span >= limit) {
    span >>= 1;
    zoom--;
  }
  return zoom;
}

// ------------------------------------------------------------------ MapView

void MapView::Init(int width, int height) {
  bufW = width;
  bufH = height;
  SetLargeTiles(LargeTiles());
}

void MapView::SetLargeTiles(bool large) {
  tileShift = large ? 9 : 8;
  tileSize = 1 << tileShift;
  ncol = bufW >> tileShift;
  nrow = bufH >> tileShift;
}

int MapView::WorldRepeats() const {
  return (int)((WorldWidthPx() + clientW + tileSize) >> (tileShift + zoom));
}

void MapView::ClientToWorld(int px, int py, uint32_t* x, uint32_t* y) const {
  int s = Shift();
  *x = (uint32_t)(MapPxToWorld((int64_t)px - bufW / 2, s) + originX) & kMapWorldMask;
  // y does not wrap: above the world's top is its top, not the south
  int64_t wy = MapPxToWorld((int64_t)py - bufH / 2, s) + originY;
  *y = wy < 0 ? 0 : wy > (int64_t)kMapWorldMask ? kMapWorldMask : (uint32_t)wy;
}

void MapView::WorldToClient(uint32_t x, uint32_t y, int* px, int* py) const {
  int s = Shift();
  *px = SaturateInt(MapWorldToPx(MapWorldDelta(x, originX), s) + bufW / 2);
  *py = SaturateInt(MapWorldToPx((int64_t)(y & kMapWorldMask) - originY, s) + bufH / 2);
}

void MapView::ClientToGeo(int px, int py, double* lon, double* lat) const {
  uint32_t x, y;
  ClientToWorld(px, py, &x, &y);
  *lon = MapWorldXToLon(x);
  *lat = MapWorldYToLat(y);
}

void MapView::GeoToClient(double lon, double lat, int* px, int* py) const {
  int s = Shift();
  int64_t y;
  if (lat > kMapTopLat)
    y = -1;  // just above the world's top edge
  else if (lat < kMapBottomLat)
    y = kMapWorldMask;
  else
    y = MapLatToWorldY(lat);
  *px = SaturateInt(MapWorldToPx(MapWorldDelta(MapLonToWorldX(lon), originX), s) + bufW / 2);
  *py = SaturateInt(MapWorldToPx(y - originY, s) + bufH / 2);
}

bool MapView::CellToTile(int col, int row, uint32_t* tx, uint32_t* ty) const {
  int ts = 30 - zoom;
  *tx = ((originX >> ts) - (uint32_t)(ncol / 2) + (uint32_t)col) & TileMask();
  int64_t wy = (int64_t)(originY >> ts) - nrow / 2 + row;
  *ty = (uint32_t)wy & TileMask();
  return wy >= 0 && wy < (int64_t)Tiles();
}

bool MapView::TileToCell(uint32_t tx, uint32_t ty, int* col, int* row) const {
  int ts = 30 - zoom;
  uint32_t c = ((uint32_t)(ncol / 2) - (originX >> ts) + tx) & TileMask();
  int64_t r = (int64_t)(nrow / 2) - (int64_t)(originY >> ts) + (int64_t)ty;
  *col = (int)c;
  *row = SaturateInt(r);
  return c < (uint32_t)ncol && r >= 0 && r < nrow;
}

int MapView::ClampZoom(int z) const {
  if (z < minZoom) z = minZoom;
  if (z > maxZoom) z = maxZoom;
  return z;
}

void MapView::ApplyZoom(int z) {
  zoom = z;
  uint32_t keep = ~(CellWorld() - 1) & kMapWorldMask;
  originX &= keep;
  originY &= keep;
  uint32_t mid = z ? kMapWorldMid : 0;
  if (Tiles() <= (uint32_t)ncol) originX = mid;
  if (Tiles() <= (uint32_t)nrow) originY = mid;
}

void MapView::SetZoomRange(int lo, int hi) {
  if (lo == 0 && hi == 0) hi = kMapMaxZoom;
  lo = lo < 0 ? 0 : lo > kMapMaxZoom ? kMapMaxZoom : lo;
  hi = hi < 0 ? 0 : hi > kMapMaxZoom ? kMapMaxZoom : hi;
  if (hi < lo) hi = lo;
  minZoom = lo;
  maxZoom = hi;
}

void MapView::SetLimitsX(uint32_t from, uint32_t to) {
  limXFrom = from & kMapWorldMask;
  limXTo = to & kMapWorldMask;
}

void MapView::SetLimitsY(uint32_t from, uint32_t to) {
  if (from > kMapWorldMask) from = kMapWorldMask;
  if (to > kMapWorldMask) to = kMapWorldMask;
  limYFrom = from;
  limYTo = to < from ? from : to;
}

void MapView::ClampCentre(uint32_t* px, uint32_t* py) const {
  int s = Shift();
  int64_t y = *py & kMapWorldMask;
  int64_t spanY = (int64_t)limYTo - limYFrom;
  if (MapWorldToPx(spanY, s) > clientH) {
    int64_t half = MapPxToWorld(clientH / 2, s);
    int64_t lo = limYFrom + half, hi = limYTo - half;
    if (y < lo) y = lo;
    if (y > hi) y = hi;
  } else {
    y = limYFrom + spanY / 2;
  }
  *py = (uint32_t)y;

  if (limXFrom || limXTo) {
    uint32_t x = *px & kMapWorldMask;
    uint32_t span = (limXTo - limXFrom) & kMapWorldMask;  // wraps when from > to
    if (MapWorldToPx(span, s) > clientW) {
      if (((x - limXFrom) & kMapWorldMask) > span) {
        uint32_t half = (uint32_t)MapPxToWorld(clientW / 2, s);
        uint32_t toFrom = (limXFrom - x) & kMapWorldMask;
        uint32_t toTo = (x - limXTo) & kMapWorldMask;
        x = toFrom <= toTo ? limXFrom + half : limXTo - half;
      }
    } else {
      x = limXFrom + span / 2;
    }
    *px = x & kMapWorldMask;
  }
}

void MapView::WantedScroll(uint32_t x, uint32_t y, int* sx, int* sy) const {
  int s = Shift();
  int64_t wx = MapWorldToPx(MapWorldDelta(x, originX), s) - clientW / 2 + bufW / 2;
  int64_t ww = WorldWidthPx();
  if (ww <= bufW) wx = FloorMod(wx, ww);  // the buffer holds the world repeated
  int64_t wy = MapWorldToPx((int64_t)(y & kMapWorldMask) - originY, s) - clientH / 2 + bufH / 2;
  *sx = SaturateInt(wx);
  *sy = SaturateInt(wy);
}

bool MapView::ScrollFits(int sx, int sy) const {
  return sx >= 0 && sx <= bufW - clientW && sy >= 0 && sy <= bufH - clientH;
}

int MapView::Move(uint32_t x, uint32_t y, MapReanchorSink* sink, bool* reanchored) {
  *reanchored = false;
  ClampCentre(&x, &y);
  if (x == centreX && y == centreY) return 0;
  centreX = x;
  centreY = y;
  if (clientW <= 0 || clientH <= 0) return 0;
  int s = Shift();
  int sx = 0, sy = 0;
  for (int tries = 0; tries < 16; tries++) {
    WantedScroll(x, y, &sx, &sy);
    if (sx == scrollX && sy == scrollY && !*reanchored) return 0;
    if (ScrollFits(sx, sy)) break;
    // re-anchor by whole cells so that the tiles need no re-cutting
    int64_t cellMask = ~(int64_t)(tileSize - 1);
    int64_t dx = MapWorldToPx(MapWorldDelta(originX, x), s) & cellMask;
    int64_t dy = MapWorldToPx((int64_t)originY - (int64_t)y, s) & cellMask;
    if (dx == 0 && dy == 0) break;  // no whole-cell move helps (client wider than the buffer)
    originX = (uint32_t)((int64_t)originX - MapPxToWorld(dx, s)) & kMapWorldMask;
    originY = (uint32_t)((int64_t)originY - MapPxToWorld(dy, s)) & kMapWorldMask;
    if (sink) sink->Reanchor(SaturateInt(dx), SaturateInt(dy));
    *reanchored = true;
  }
  // a client larger than the buffer: show what there is
  if (sx > bufW - clientW) sx = bufW - clientW;
  if (sy > bufH - clientH) sy = bufH - clientH;
  if (sx < 0) sx = 0;
  if (sy < 0) sy = 0;
  if (sx == scrollX && sy == scrollY && !*reanchored) return 0;
  scrollX = sx;
  scrollY = sy;
  return 1;
}

// ------------------------------------------------------------------ grid

void MapCellGrid::Clear() {
  if (words) memset(words, 0, (size_t)cols * rows * sizeof(uint32_t));
}

void MapCellGrid::Shift(int dc, int dr) {
  if (!words) return;
  if (dc >= cols || -dc >= cols || dr >= rows || -dr >= rows) {
    Clear();
    return;
  }
  int n = cols - (dc < 0 ? -dc : dc);
  int dst = dc > 0 ? dc : 0, src = dc > 0 ? 0 : -dc;
  auto moveRow = [&](int to, int from) {
    uint32_t* t = words + (size_t)to * cols;
    uint32_t* f = words + (size_t)from * cols;
    memmove(t + dst, f + src, n * sizeof(uint32_t));
    if (dc > 0) memset(t, 0, dc * sizeof(uint32_t));
    if (dc < 0) memset(t + n, 0, -dc * sizeof(uint32_t));
  };
  if (dr > 0) {
    for (int r = rows - 1; r >= dr; r--) moveRow(r, r - dr);
    memset(words, 0, (size_t)dr * cols * sizeof(uint32_t));
  } else {
    for (int r = 0; r < rows + dr; r++) moveRow(r, r - dr);
    if (dr < 0) memset(words + (size_t)(rows + dr) * cols, 0, (size_t)(-dr) * cols * sizeof(uint32_t));
  }
}

// ------------------------------------------------------------------ pixels

void MapFillPixels(const MapPixels& p, int x, int y, int w, int h, uint32_t colour) {
  if (x < 0) w += x, x = 0;
  if (y < 0) h += y, y = 0;
  if (x + w > p.width) w = p.width - x;
  if (y + h > p.height) h = p.height - y;
  if (w <= 0 || h <= 0) return;
  for (int r = y; r < y + h; r++) {
    uint32_t* d = p.Row(r) + x;
    for (int i = 0; i < w; i++) d[i] = colour;
  }
}

void MapShiftPixels(const MapPixels& p, int dx, int dy, uint32_t background) {
  int w = p.width, h = p.height;
  if (dx >= w || -dx >= w || dy >= h || -dy >= h) {
    MapFillPixels(p, 0, 0, w, h, background);
    return;
  }
  int n = w - (dx < 0 ? -dx : dx);
  int dst = dx > 0 ? dx : 0, src = dx > 0 ? 0 : -dx;
  size_t bytes = (size_t)n * 4;
  if (dy > 0) {
    for (int y = h - 1; y >= dy; y--) memcpy(p.Row(y) + dst, p.Row(y - dy) + src, bytes);
  } else if (dy < 0) {
    for (int y = 0; y < h + dy; y++) memcpy(p.Row(y) + dst, p.Row(y - dy) + src, bytes);
  } else if (dx != 0) {
    for (int y = 0; y < h; y++) memmove(p.Row(y) + dst, p.Row(y) + src, bytes);
  }
  if (dy > 0) MapFillPixels(p, 0, 0, w, dy, background);
  if (dy < 0) MapFillPixels(p, 0, h + dy, w, -dy, background);
  if (dx > 0) MapFillPixels(p, 0, 0, dx, h, background);
  if (dx < 0) MapFillPixels(p, w + dx, 0, -dx, h, background);
}

void MapRemapPixels(const MapPixels& p, const int* srcCol, const int* srcRow, uint32_t background,
                    uint32_t* scratch) {
  int w = p.width, h = p.height;
  size_t rowBytes = (size_t)w * 4;
  bool identityCols = true;
  for (int x = 0; x < w && identityCols; x++) identityCols = srcCol[x] == x;
  // columns first, once per source row (the row map is monotone, so each
  // source row turns up in one run)
  if (!identityCols) {
    int last = -1;
    for (int y = 0; y < h; y++) {
      int r = srcRow[y];
      if (r < 0 || r == last) continue;
      last = r;
      uint32_t* row = p.Row(r);
      memcpy(scratch, row, rowBytes);
      for (int x = 0; x < w; x++) {
        int c = srcCol[x];
        row[x] = c >= 0 ? scratch[c] : background;
      }
    }
  }
  // Rows: those taken from below are copied top-down, those from above
  // bottom-up; with a monotone map no read meets a row already replaced.
  for (int y = 0; y < h; y++)
    if (srcRow[y] > y) memcpy(p.Row(y), p.Row(srcRow[y]), rowBytes);
  for (int y = h - 1; y >= 0; y--)
    if (srcRow[y] >= 0 && srcRow[y] < y) memcpy(p.Row(y), p.Row(srcRow[y]), rowBytes);
  for (int y = 0; y < h; y++)
    if (srcRow[y] < 0) MapFillPixels(p, 0, y, w, 1, background);
}

void MapZoomColumnMap(const MapView& a, const MapView& b, int* map) {
  int sa = a.Shift(), sb = b.Shift();
  int64_t wwa = a.WorldWidthPx();
  for (int x = 0; x < b.bufW; x++) {
    uint32_t p = (uint32_t)(MapPxToWorld((int64_t)x - b.bufW / 2, sb) + b.originX) & kMapWorldMask;
    int64_t sx = MapWorldToPx(MapWorldDelta(p, a.originX), sa) + a.bufW / 2;
    if ((sx < 0 || sx >= a.bufW) && wwa <= a.bufW) sx = FloorMod(sx, wwa);
    map[x] = (sx >= 0 && sx < a.bufW) ? (int)sx : -1;
  }
}

void MapZoomRowMap(const MapView& a, const MapView& b, int* map) {
  int sa = a.Shift(), sb = b.Shift();
  for (int y = 0; y < b.bufH; y++) {
    int64_t p = MapPxToWorld((int64_t)y - b.bufH / 2, sb) + b.originY;
    int64_t sy = MapWorldToPx(p - a.originY, sa) + a.bufH / 2;
    bool inWorld = p >= 0 && p <= (int64_t)kMapWorldMask;
    map[y] = (inWorld && sy >= 0 && sy < a.bufH) ? (int)sy : -1;
  }
}

void MapZoomGrid(const MapCellGrid& old, MapCellGrid* out, const int* colMap, const int* rowMap,
                 int tileSize) {
  for (int r = 0; r < out->rows; r++) {
    int y0 = rowMap[r * tileSize], y1 = rowMap[r * tileSize + tileSize - 1];
    for (int c = 0; c < out->cols; c++) {
      int x0 = colMap[c * tileSize], x1 = colMap[c * tileSize + tileSize - 1];
      uint32_t st = 0;
      if (x0 >= 0 && x1 >= 0 && y0 >= 0 && y1 >= 0) {
        const uint32_t* w = old.words;
        uint32_t a = w[(size_t)(y0 / tileSize) * old.cols + x0 / tileSize];
        uint32_t b = w[(size_t)(y1 / tileSize) * old.cols + x1 / tileSize];
        if (a || b) st = kMapCellPreview;
      }
      out->At(c, r) = st;
    }
  }
}
