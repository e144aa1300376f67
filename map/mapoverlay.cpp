#include "map/mapoverlay.h"

#include <limits.h>
#include <math.h>
#include <string.h>

#include <utility>

#include "map/geo.h"

namespace {

// tracks 0 to 7 as the window starts; 8 to 15 our own choice
const uint32_t kTrackColours[kMapTracks] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFF00,
                                            0xC04040, 0x4040C0, 0x008080, 0x808000, 0x800080, 0x0080FF,
                                            0x008000, 0x000080, 0x800000, 0x404040};

// Points further out than this are of no use to GDI or to a rectangle.
int ClampPx(int64_t v) {
  const int64_t lim = 0x3FFFFFFF;
  return (int)(v < -lim ? -lim : v > lim ? lim : v);
}

void Order(uint32_t* a, uint32_t* b) {
  if (*a > *b) {
    uint32_t t = *a;
    *a = *b;
    *b = t;
  }
}

}  // namespace

int MapRepeatPositions(const MapView& v, int x, int width, int* xs, int max) {
  if (max < 1) return 0;
  int64_t world = v.WorldWidthPx();
  if (world >= v.bufW || world <= 0 || v.clientW <= 0) {
    xs[0] = x;
    return 1;
  }
  int64_t left = x;
  int64_t from = v.scrollX, to = (int64_t)v.scrollX + v.clientW;
  // the first copy that reaches into the client area
  if (left + width <= from)
    left += ((from - (left + width)) / world + 1) * world;
  else if (left + width > from)
    left -= ((left + width - from - 1) / world) * world;
  int n = 0;
  for (; left < to && n < max; left += world) xs[n++] = (int)left;
  if (!n) xs[n++] = x;
  return n;
}

MapOverlay::MapOverlay() : m_view(&m_ownView), m_sink(nullptr), m_markers((int)sizeof(MapMarker)) {
  memset(m_icons, 0, sizeof m_icons);
  for (int t = 0; t < kMapTracks; t++) {
    TrackInfo& i = m_tracks[t].info;
    i.colour = kTrackColours[t];
    i.width = 3;
    i.visible = true;
    i.editable = i.penMade = i.modified = false;
    m_tracks[t].penChanged = false;
  }
  m_rect.colour = m_line.colour = -1;
  m_rect.x1 = m_rect.y1 = m_rect.x2 = m_rect.y2 = 0;
  m_line = m_rect;
}

void MapOverlay::Invalidate(const MapRect& r) const {
  if (m_sink && !r.Empty()) m_sink->InvalidateBufferRect(r);
}

// ------------------------------------------------------------------ markers

MapRect MapOverlay::MarkerRect(const MapMarker& m, int textLength) const {
  IconInfo ic = GetIconInfo(MapMarkerKind(m.flags));
  int64_t px, py;
  MapWorldToBuffer64(*m_view, m.x, m.y, &px, &py);
  MapRect r;
  r.left = ClampPx(px - ic.hotX);
  r.top = ClampPx(py - ic.hotY);
  r.right = r.left + ic.width;
  r.bottom = r.top + ic.height;
  if ((m.flags & MAPMK_LABEL) && textLength > 0) {
    r.top -= 4;
    int64_t extra = (int64_t)textLength * 16 + 20;
    r.right = ClampPx(r.right + extra);
  }
  return r;
}

void MapOverlay::InvalidateMarkerLocked(int index, bool hide) {
  MapMarker* m = (MapMarker*)m_markers.GetData(index);
  if (!m) return;
  MapRect r = MarkerRect(*m, m_markers.GetLength(index));
  int xs[64];
  int n = MapRepeatPositions(*m_view, r.left, r.Width(), xs, 64);
  for (int i = 0; i < n; i++) {
    MapRect c = r;
    c.right = xs[i] + r.Width();
    c.left = xs[i];
    Invalidate(c);
  }
  if (hide) m->flags &= ~MAPMK_VISIBLE;
}

void MapOverlay::InvalidateMarker(int index, bool hide) {
  std::lock_guard<std::mutex> g(m_markerLock);
  InvalidateMarkerLocked(index, hide);
}

void MapOverlay::InvalidateVisibleMarkers() {
  std::lock_guard<std::mutex> g(m_markerLock);
  for (int i = 0; i < m_markers.GetCount(); i++) {
    const MapMarker* m = (const MapMarker*)m_markers.GetData(i);
    if (m && (m->flags & MAPMK_VISIBLE)) InvalidateMarkerLocked(i, false);
  }
}

int MapOverlay::InsertMarker(int index, const char* text, double lon, double lat, uint32_t flags, uint32_t colour,
                             bool redraw) {
  MapMarker m;
  m.lon = lon;
  m.lat = lat;
  m.x = MapLonToWorldX(lon);
  m.y = MapLatToWorldY(lat);
  m.flags = flags;
  m.colour = colour;
  std::lock_guard<std::mutex> g(m_markerLock);
  // the list clamps the index; -1 appends
  int at = m_markers.Insert(text ? text : "", index < 0 ? -1 : index, &m);
  if (at >= 0 && redraw) InvalidateMarkerLocked(at, false);
  return at;
}

int MapOverlay::SetMarker(int index, const char* text, double lon, double lat, int64_t flags, int64_t colour,
                          bool redraw) {
  std::lock_guard<std::mutex> g(m_markerLock);
  MapMarker* m = (MapMarker*)m_markers.GetData(index);
  if (!m) return 0;
  bool newPos = lon > -1000 && lat > -1000;
  uint32_t nx = m->x, ny = m->y;
  if (newPos) {
    nx = MapLonToWorldX(lon);
    ny = MapLatToWorldY(lat);
  }
  bool sameText = !text || strcmp(text, m_markers.GetTextPtr(index)) == 0;
  uint32_t nflags = flags < 0 ? m->flags : (uint32_t)flags;
  uint32_t ncolour = colour < 0 ? m->colour : (uint32_t)colour;
  if (sameText && nflags == m->flags && ncolour == m->colour) {
    if (!newPos) return 1;
    int64_t ax, ay, bx, by;
    MapWorldToBuffer64(*m_view, m->x, m->y, &ax, &ay);
    MapWorldToBuffer64(*m_view, nx, ny, &bx, &by);
    if (ax == bx && ay == by) {
      m->lon = lon, m->lat = lat, m->x = nx, m->y = ny;
      return 1;
    }
  }
  uint32_t oldFlags = m->flags;
  if (redraw) InvalidateMarkerLocked(index, true);
  if (!sameText && !m_markers.SetAtLen(index, -1, text)) {
    // out of memory: the marker stays as it was, shown again
    m = (MapMarker*)m_markers.GetData(index);
    m->flags = oldFlags;
    if (redraw) InvalidateMarkerLocked(index, false);
    return 0;
  }
  m = (MapMarker*)m_markers.GetData(index);  // the item may have moved
  m->flags = nflags;
  m->colour = ncolour;
  if (newPos) m->lon = lon, m->lat = lat, m->x = nx, m->y = ny;
  if (redraw) InvalidateMarkerLocked(index, false);
  return 1;
}

// The marker at index with its label copied out (the caller holds the
// marker lock); null, with an empty label, for a bad index.
static const MapMarker* MarkerWithLabel(const CStrList& list, int index, char* buf, int size, int* len) {
  const MapMarker* m = (const MapMarker*)list.GetData(index);
  *len = m ? list.GetLength(index) : -1;
  if (buf && size > 0) {
    int n = !m ? 0 : *len < size - 1 ? *len : size - 1;
    if (n > 0) memcpy(buf, list.GetTextPtr(index), (size_t)n);
    buf[n] = 0;
  }
  return m;
}

int MapOverlay::GetMarker(int index, double* lon, double* lat, char* buf, int size) const {
  std::lock_guard<std::mutex> g(m_markerLock);
  int len;
  const MapMarker* m = MarkerWithLabel(m_markers, index, buf, size, &len);
  if (m && lon) *lon = m->lon;
  if (m && lat) *lat = m->lat;
  return len;
}

int MapOverlay::GetMarkerWorld(int index, uint32_t* x, uint32_t* y, char* buf, int size) const {
  std::lock_guard<std::mutex> g(m_markerLock);
  int len;
  const MapMarker* m = MarkerWithLabel(m_markers, index, buf, size, &len);
  if (m && x) *x = m->x;
  if (m && y) *y = m->y;
  return len;
}

bool MapOverlay::GetMarkerData(int index, MapMarker* out) const {
  std::lock_guard<std::mutex> g(m_markerLock);
  return m_markers.GetData(index, out, (int)sizeof *out) != nullptr;
}

int MapOverlay::DeleteMarker(int index, bool redraw) {
  std::lock_guard<std::mutex> g(m_markerLock);
  if (redraw) InvalidateMarkerLocked(index, true);
  return m_markers.RemoveAt(index);
}

int MapOverlay::GetMarkerCount() const {
  std::lock_guard<std::mutex> g(m_markerLock);
  return m_markers.GetCount();
}

void MapOverlay::DeleteAllMarkers() {
  std::lock_guard<std::mutex> g(m_markerLock);
  m_markers.RemoveAll();
}

bool MapOverlay::SetIconInfo(int kind, int width, int height, int hotX, int hotY) {
  // sizes and hot spots are kept in bytes
  if (kind < 0 || kind >= kMapIconSlots) return false;
  if (width < 1 || height < 1 || width > 255 || height > 255) return false;
  if (hotX < 0 || hotY < 0 || hotX > 255 || hotY > 255) return false;
  std::lock_guard<std::mutex> g(m_markerLock);
  m_icons[kind] = IconInfo{(uint8_t)hotX, (uint8_t)hotY, (uint8_t)width, (uint8_t)height, true};
  return true;
}

void MapOverlay::ClearIconInfo(int kind) {
  if (kind < 0 || kind >= kMapIconSlots) return;
  std::lock_guard<std::mutex> g(m_markerLock);
  m_icons[kind].set = false;
}

MapOverlay::IconInfo MapOverlay::GetIconInfo(int kind) const {
  if (kind >= 0 && kind < kMapIconSlots && m_icons[kind].set) return m_icons[kind];
  return IconInfo{kMapDefaultHotX, kMapDefaultHotY, kMapDefaultIconW, kMapDefaultIconH, false};
}

// ------------------------------------------------------------------- tracks

bool MapOverlay::BoundsLocked(int track, int first, int count, MapRect* out) const {
  const std::vector<MapWorldPoint>& p = m_tracks[track].points;
  int n = (int)p.size();
  if (first < 0) {
    count += first;
    first = 0;
  }
  if (count > n - first) count = n - first;
  if (count <= 0) return false;
  int64_t x1 = INT64_MAX, y1 = INT64_MAX, x2 = INT64_MIN, y2 = INT64_MIN;
  for (int i = first; i < first + count; i++) {
    int64_t px, py;
    MapWorldToBuffer64(*m_view, p[i].x, p[i].y, &px, &py);
    if (px < x1) x1 = px;
    if (px > x2) x2 = px;
    if (py < y1) y1 = py;
    if (py > y2) y2 = py;
  }
  // 5 pixels each side, more for a wide pen
  int m = 5 + m_tracks[track].info.width / 2;
  out->left = ClampPx(x1 - m);
  out->top = ClampPx(y1 - m);
  out->right = ClampPx(x2 + m + 1);
  out->bottom = ClampPx(y2 + m + 1);
  return true;
}

void MapOverlay::InvalidatePointsLocked(int track, int first, int count) const {
  MapRect r;
  if (BoundsLocked(track, first, count, &r)) Invalidate(r);
}

void MapOverlay::InvalidateTrackRange(int track, int first, int count) {
  if (track < 0 || track >= kMapTracks) return;
  std::lock_guard<std::mutex> g(m_trackLock);
  InvalidatePointsLocked(track, first, count);
}

int MapOverlay::InsertTrackPoint(int track, uint32_t x, uint32_t y, int index, bool redraw) {
  if (track < 0 || track >= kMapTracks) return -1;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  int n = (int)t.points.size();
  if (index < 0 || index > n) index = n;
  try {
    t.points.insert(t.points.begin() + index, MapWorldPoint{x & kMapWorldMask, y & kMapWorldMask});
  } catch (...) {
    return -1;
  }
  if (n == 0) {
    t.info.penMade = true;
    t.info.modified = false;
    t.penChanged = true;
  }
  if (selTrack == track && selIndex >= index) selIndex++;
  if (hoverTrack == track && hoverIndex >= index) hoverIndex++;
  if (redraw) InvalidatePointsLocked(track, index - 1, 3);
  return index;
}

int MapOverlay::GetTrackPoint(int track, uint32_t* x, uint32_t* y, int index) const {
  if (track < 0 || track >= kMapTracks) return -1;
  std::lock_guard<std::mutex> g(m_trackLock);
  const std::vector<MapWorldPoint>& p = m_tracks[track].points;
  if (index < 0 || index >= (int)p.size()) return -1;
  if (x) *x = p[index].x;
  if (y) *y = p[index].y;
  return index;
}

int MapOverlay::GetTrackCount(int track) const {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  return (int)m_tracks[track].points.size();
}

int MapOverlay::SetTrackPoint(int track, int index, uint32_t x, uint32_t y) {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  std::vector<MapWorldPoint>& p = m_tracks[track].points;
  if (index < 0 || index >= (int)p.size()) return 0;
  p[index] = MapWorldPoint{x & kMapWorldMask, y & kMapWorldMask};
  return 1;
}

int MapOverlay::DeleteTrackPoint(int track, int index, bool redraw) {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  if (index < 0 || index >= (int)t.points.size()) return 0;
  // the neighbours' lines change too: take the box before the point goes
  MapRect r;
  bool have = redraw && BoundsLocked(track, index - 1, 3, &r);
  t.points.erase(t.points.begin() + index);
  if (selTrack == track) {
    if (selIndex == index)
      selTrack = selIndex = -1;
    else if (selIndex > index)
      selIndex--;
  }
  if (hoverTrack == track) {
    if (hoverIndex == index)
      hoverTrack = hoverIndex = -1;
    else if (hoverIndex > index)
      hoverIndex--;
  }
  if (t.points.empty()) {
    t.info.penMade = false;
    t.penChanged = true;
  }
  if (have) Invalidate(r);
  return 1;
}

int MapOverlay::ClearTrack(int track, bool redraw) {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  if (t.points.empty()) return 0;
  MapRect r;
  bool have = redraw && BoundsLocked(track, 0, (int)t.points.size(), &r);
  t.points.clear();
  t.points.shrink_to_fit();
  if (selTrack == track) selTrack = selIndex = -1;
  if (hoverTrack == track) hoverTrack = hoverIndex = -1;
  t.info.penMade = false;
  t.info.modified = false;
  t.penChanged = true;
  if (have) Invalidate(r);
  return 1;
}

int MapOverlay::GetTrackStyle(int track, uint32_t* colour, int* width) const {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  if (colour) *colour = m_tracks[track].info.colour;
  if (width) *width = m_tracks[track].info.width;
  return 1;
}

int MapOverlay::SetTrackStyle(int track, uint32_t colour, int width, bool redraw) {
  if (track < 0 || track >= kMapTracks) return 0;
  if (width < 1) width = 1;
  if (width > 255) width = 255;
  colour &= 0xFFFFFF;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  if (t.info.colour == colour && t.info.width == width) return 1;
  MapRect before;
  bool had = redraw && BoundsLocked(track, 0, (int)t.points.size(), &before);
  t.info.colour = colour;
  t.info.width = width;
  t.penChanged = true;
  if (had) {
    Invalidate(before);
    InvalidatePointsLocked(track, 0, (int)t.points.size());  // a wider pen reaches further
  }
  return 1;
}

int MapOverlay::SetTrackEditable(int track, bool editable, bool redraw) {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  if (t.info.editable != editable) {
    t.info.editable = editable;
    if (!editable && hoverTrack == track) hoverTrack = hoverIndex = -1;
    if (redraw) InvalidatePointsLocked(track, 0, (int)t.points.size());
  }
  return 1;
}

bool MapOverlay::IsTrackEditable(int track) const {
  if (track < 0 || track >= kMapTracks) return false;
  std::lock_guard<std::mutex> g(m_trackLock);
  return m_tracks[track].info.editable;
}

bool MapOverlay::IsTrackVisible(int track) const {
  if (track < 0 || track >= kMapTracks) return false;
  std::lock_guard<std::mutex> g(m_trackLock);
  return m_tracks[track].info.visible;
}

int MapOverlay::SetTrackVisible(int track, int flag) {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  Track& t = m_tracks[track];
  bool before = t.info.visible, now = flag != 0;
  if (before != now) {
    t.info.visible = now;
    InvalidatePointsLocked(track, 0, (int)t.points.size());
  }
  return before ? 1 : 0;
}

void MapOverlay::SetTrackModified(int track) {
  if (track < 0 || track >= kMapTracks) return;
  std::lock_guard<std::mutex> g(m_trackLock);
  m_tracks[track].info.modified = true;
}

bool MapOverlay::IsTrackModified(int track) const {
  if (track < 0 || track >= kMapTracks) return false;
  std::lock_guard<std::mutex> g(m_trackLock);
  return m_tracks[track].info.modified;
}

MapOverlay::TrackInfo MapOverlay::GetTrackInfo(int track) const {
  std::lock_guard<std::mutex> g(m_trackLock);
  return m_tracks[track < 0 || track >= kMapTracks ? 0 : track].info;
}

int MapOverlay::FirstEditableTrack() const {
  std::lock_guard<std::mutex> g(m_trackLock);
  for (int t = 0; t < kMapTracks; t++)
    if (m_tracks[t].info.editable) return t;
  return -1;
}

bool MapOverlay::TakePenChange(int track) {
  if (track < 0 || track >= kMapTracks) return false;
  bool c = m_tracks[track].penChanged;
  m_tracks[track].penChanged = false;
  return c;
}

double MapOverlay::GetTrackLength(int track) const {
  if (track < 0 || track >= kMapTracks) return 0;
  std::lock_guard<std::mutex> g(m_trackLock);
  const std::vector<MapWorldPoint>& p = m_tracks[track].points;
  double sum = 0;
  for (size_t i = 1; i < p.size(); i++) {
    double lon1 = MapWorldXToLon(p[i - 1].x), lat1 = MapWorldYToLat(p[i - 1].y);
    double lon2 = MapWorldXToLon(p[i].x), lat2 = MapWorldYToLat(p[i].y);
    sum += GeoDistanceDegrees(lon1, lat1, lon2, lat2);
  }
  return sum;
}

bool MapOverlay::GetTrackBounds(int track, uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const {
  if (track < 0 || track >= kMapTracks) return false;
  std::lock_guard<std::mutex> g(m_trackLock);
  const std::vector<MapWorldPoint>& p = m_tracks[track].points;
  if (p.empty()) return false;
  uint32_t ax = p[0].x, ay = p[0].y, bx = p[0].x, by = p[0].y;
  for (const MapWorldPoint& q : p) {
    if (q.x < ax) ax = q.x;
    if (q.x > bx) bx = q.x;
    if (q.y < ay) ay = q.y;
    if (q.y > by) by = q.y;
  }
  *x1 = ax, *y1 = ay, *x2 = bx, *y2 = by;
  return true;
}

// --------------------------------------------------------------- highlights

bool MapOverlay::WorldRectToBuffer(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, MapRect* out) const {
  int64_t ax, ay, bx, by;
  MapWorldToBuffer64(*m_view, x1, y1, &ax, &ay);
  MapWorldToBuffer64(*m_view, x2, y2, &bx, &by);
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  if (ax < 0) ax = 0;
  if (ay < 0) ay = 0;
  if (bx > m_view->bufW) bx = m_view->bufW;
  if (by > m_view->bufH) by = m_view->bufH;
  out->left = (int)ax, out->top = (int)ay, out->right = (int)bx, out->bottom = (int)by;
  return ax < bx && ay < by;
}

void MapOverlay::InvalidateHighlight(const Highlight& h) const {
  if (h.colour < 0) return;
  MapRect r;
  int64_t ax, ay, bx, by;
  MapWorldToBuffer64(*m_view, h.x1, h.y1, &ax, &ay);
  MapWorldToBuffer64(*m_view, h.x2, h.y2, &bx, &by);
  if (ax > bx) std::swap(ax, bx);
  if (ay > by) std::swap(ay, by);
  r.left = ClampPx(ax - 2), r.top = ClampPx(ay - 2), r.right = ClampPx(bx + 3), r.bottom = ClampPx(by + 3);
  Invalidate(r);
}

void MapOverlay::SetHighlightRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, uint32_t colour) {
  InvalidateHighlight(m_rect);
  Order(&x1, &x2);
  Order(&y1, &y2);
  m_rect = Highlight{(int32_t)(colour & 0xFFFFFF), x1, y1, x2, y2};
  InvalidateHighlight(m_rect);
}

void MapOverlay::SetSecondRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, uint32_t colour) {
  InvalidateHighlight(m_line);
  Order(&x1, &x2);
  Order(&y1, &y2);
  m_line = Highlight{(int32_t)(colour & 0xFFFFFF), x1, y1, x2, y2};
  InvalidateHighlight(m_line);
}

void MapOverlay::ClearHighlightRect() {
  InvalidateHighlight(m_rect);
  m_rect.colour = -1;
}

void MapOverlay::ClearSecondRect() {
  InvalidateHighlight(m_line);
  m_line.colour = -1;
}

// ----------------------------------------------------------------- geometry

void MapOverlay::GetVisibleWorldRect(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const {
  const MapView& v = *m_view;
  v.ClientToWorld(v.scrollX, v.scrollY, x1, y1);
  v.ClientToWorld(v.scrollX + v.clientW, v.scrollY + v.clientH, x2, y2);
}

int MapOverlay::MetresToPixels(double lon, double lat, double metres, int mode) const {
  const MapView& v = *m_view;
  int px, py;
  v.GeoToClient(lon, lat, &px, &py);
  int qx = px, qy = py;
  switch (((mode % 4) + 4) % 4) {
    case 2:
      qy = py + 1;
      break;
    case 3:
      qx = px + 1, qy = py + 1;
      metres *= 0.7071;
      break;
    default:
      qx = px + 1;
  }
  double lon1, lat1, lon2, lat2;
  v.ClientToGeo(px, py, &lon1, &lat1);
  v.ClientToGeo(qx, qy, &lon2, &lat2);
  double d = GeoDistanceDegrees(lon1, lat1, lon2, lat2);
  // a pixel of no length (clamped at the world's edge) measures nothing
  if (!(d > 0) || !isfinite(metres)) return 0;
  double r = fabs(metres / d);
  if (!(r < (double)INT_MAX)) return INT_MAX;
  return (int)r;
}

int MapOverlay::GeoPixelDistance(double lon1, double lat1, double lon2, double lat2) const {
  int ax, ay, bx, by;
  m_view->GeoToClient(lon1, lat1, &ax, &ay);
  m_view->GeoToClient(lon2, lat2, &bx, &by);
  double dx = (double)ax - bx, dy = (double)ay - by;
  double d = sqrt(dx * dx + dy * dy);
  return d < (double)INT_MAX ? (int)d : INT_MAX;
}
