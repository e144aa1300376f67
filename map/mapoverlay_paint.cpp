#include "map/mapoverlay_paint.h"

#include <math.h>
#include <string.h>

#include "map/trackline.h"

namespace {

HBITMAP g_defaultIcon = nullptr;
uint32_t* g_defaultIconPx = nullptr;  // its top-down rows
LONG g_defaultIconOnce = 0;

const DWORD kMaxRun = 16;
// a track this long is drawn by several threads
const int kSharedPoints = 8192;
const BLENDFUNCTION kPerPixelAlpha = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

bool Intersects(const RECT* update, int left, int top, int right, int bottom) {
  if (!update) return true;
  return left < update->right && right > update->left && top < update->bottom && bottom > update->top;
}

// GDI keeps coordinates within 27 bits on some systems
int GdiCoord(int64_t v) {
  const int64_t lim = 1 << 26;
  return (int)(v < -lim ? -lim : v > lim ? lim : v);
}

// The pin: a red head with a white eye on a stem whose tip is (12, 31).
uint32_t PinPixel(int x, int y) {
  double dx = x + 0.5 - 12.5, dy = y + 0.5 - 11.0;
  double r = sqrt(dx * dx + dy * dy);
  bool head = r <= 10.0;
  bool stem = y >= 14 && y <= 31 && fabs(x - 12.0) <= (31 - y) * 0.45;
  if (!head && !stem) return 0;
  if (head && r <= 3.5) return 0xFFFFFFFFu;
  if ((head && r > 8.8) || (!head && stem && fabs(x - 12.0) > (31 - y) * 0.45 - 1.0 && y < 31))
    return 0xFF801010u;  // the outline
  return 0xFFE03020u;
}

// The DC's pixels when it draws into a 32-bit DIB section with plain
// coordinates, copy mode and a rectangular clip: the track lines then go
// straight into them. False sends them through GDI's pens.
bool DibSurface(HDC dc, TrackLineSurface* s) {
  DIBSECTION ds;
  HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
  if (!bmp || GetObject(bmp, sizeof ds, &ds) != (int)sizeof ds) return false;
  if (ds.dsBm.bmBitsPixel != 32 || !ds.dsBm.bmBits || ds.dsBm.bmWidthBytes != ds.dsBm.bmWidth * 4) return false;
  bool plainMasks = ds.dsBitfields[0] == 0xFF0000 && ds.dsBitfields[1] == 0xFF00 && ds.dsBitfields[2] == 0xFF;
  if (ds.dsBmih.biCompression != BI_RGB && !(ds.dsBmih.biCompression == BI_BITFIELDS && plainMasks)) return false;
  if (GetGraphicsMode(dc) != GM_COMPATIBLE || GetMapMode(dc) != MM_TEXT || GetROP2(dc) != R2_COPYPEN ||
      GetLayout(dc) != 0)
    return false;
  RECT clip;
  int kind = GetClipBox(dc, &clip);
  if (kind == ERROR || kind == COMPLEXREGION) return false;
  POINT vp, wo;
  GetViewportOrgEx(dc, &vp);
  GetWindowOrgEx(dc, &wo);
  int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
  uint32_t* bits = (uint32_t*)ds.dsBm.bmBits;
  s->dx = vp.x - wo.x;
  s->dy = vp.y - wo.y;
  s->left = kind == NULLREGION ? 0 : clip.left + s->dx;
  s->top = kind == NULLREGION ? 0 : clip.top + s->dy;
  s->right = kind == NULLREGION ? 0 : clip.right + s->dx;
  s->bottom = kind == NULLREGION ? 0 : clip.bottom + s->dy;
  if (s->left < 0) s->left = 0;
  if (s->top < 0) s->top = 0;
  if (s->right > w) s->right = w;
  if (s->bottom > h) s->bottom = h;
  // what GDI still holds back must be in the pixels before they are read or written
  GdiFlush();
  s->row0 = bits;
  s->stride = w;
  if (s->left >= s->right || s->top >= s->bottom) return true;
  // The rows' order: the header's sign is not reliable for a top-down
  // section, so one pixel inside the clip is asked of GDI and, when both
  // orders hold the same colour there, changed through GDI and put back.
  int x = s->left, y = s->top;
  uint32_t* down = bits + (size_t)y * w + x;
  uint32_t* up = bits + (size_t)(h - 1 - y) * w + x;
  if (down == up) return true;  // the middle row reads the same either way
  auto asPixel = [](COLORREF c) { return (uint32_t)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
  COLORREF was = GetPixel(dc, x - s->dx, y - s->dy);
  if (was == CLR_INVALID) return false;
  bool topDown;
  if ((*down & 0xFFFFFF) != (*up & 0xFFFFFF)) {
    topDown = (*down & 0xFFFFFF) == asPixel(was);
  } else {
    uint32_t keepDown = *down, keepUp = *up;
    SetPixelV(dc, x - s->dx, y - s->dy, was ^ 0x010101);
    GdiFlush();
    topDown = *down != keepDown;
    *down = keepDown, *up = keepUp;
  }
  if (!topDown) s->row0 = bits + (size_t)(h - 1) * w, s->stride = -w;
  return true;
}

// Premultiplied source pixels over the surface at (x, y) (point
// coordinates), as AlphaBlend with per-pixel alpha mixes them.
void BlendIcon(const TrackLineSurface& d, int x, int y, const uint32_t* src0, int srcStride, int w, int h) {
  x += d.dx, y += d.dy;
  int u0 = x < d.left ? d.left - x : 0, v0 = y < d.top ? d.top - y : 0;
  int u1 = x + w > d.right ? d.right - x : w, v1 = y + h > d.bottom ? d.bottom - y : h;
  for (int v = v0; v < v1; v++) {
    const uint32_t* src = src0 + (intptr_t)v * srcStride;
    uint32_t* dst = d.row0 + (intptr_t)(y + v) * d.stride + x;
    for (int u = u0; u < u1; u++) {
      uint32_t sp = src[u], a = sp >> 24;
      if (a == 255) {
        dst[u] = sp;
      } else if (sp) {
        uint32_t dp = dst[u], out = 0;
        for (int sh = 0; sh < 32; sh += 8) {
          uint32_t c = ((sp >> sh) & 255) + (((dp >> sh) & 255) * (255 - a) + 127) / 255;
          out |= (c > 255 ? 255 : c) << sh;
        }
        dst[u] = out;
      }
    }
  }
}

}  // namespace

HBITMAP MapDefaultMarkerBitmap() {
  if (g_defaultIcon) return g_defaultIcon;
  // made once; later callers wait for the first
  if (InterlockedCompareExchange(&g_defaultIconOnce, 1, 0) != 0) {
    while (!g_defaultIcon && g_defaultIconOnce == 1) Sleep(1);
    return g_defaultIcon;
  }
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kMapDefaultIconW;
  bi.bmiHeader.biHeight = -kMapDefaultIconH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    uint32_t* p = (uint32_t*)bits;
    // binary alpha: premultiplied pixels are the colours themselves
    for (int y = 0; y < kMapDefaultIconH; y++)
      for (int x = 0; x < kMapDefaultIconW; x++) p[y * kMapDefaultIconW + x] = PinPixel(x, y);
    GdiFlush();
    g_defaultIconPx = p;
  }
  g_defaultIcon = bmp;
  g_defaultIconOnce = bmp ? 1 : 0;
  return bmp;
}

MapOverlayPainter::MapOverlayPainter() {
  memset(m_iconPx, 0, sizeof m_iconPx);
  memset(m_iconDC, 0, sizeof m_iconDC);
  memset(m_iconOld, 0, sizeof m_iconOld);
  memset(m_pens, 0, sizeof m_pens);
}

MapOverlayPainter::~MapOverlayPainter() {
  for (int k = 0; k < kMapIconSlots; k++)
    if (m_iconDC[k]) {
      // the caller's bitmap goes back to the caller unselected
      SelectObject(m_iconDC[k], m_iconOld[k]);
      DeleteDC(m_iconDC[k]);
    }
  for (HPEN& p : m_pens)
    if (p) DeleteObject(p);
}

bool MapOverlayPainter::SetMarkerIcon(MapOverlay& ov, int kind, HBITMAP bitmap, int hotX, int hotY) {
  if (kind < 0 || kind >= kMapIconSlots || !bitmap) return false;
  m_iconPx[kind].row0 = nullptr;
  if (m_iconDC[kind]) {
    // a bitmap selected into a DC cannot be measured: release the old one first
    SelectObject(m_iconDC[kind], m_iconOld[kind]);
  }
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  HDC screen = GetDC(nullptr);
  int ok = GetDIBits(screen, bitmap, 0, 0, nullptr, &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  int w = bi.bmiHeader.biWidth, h = abs(bi.bmiHeader.biHeight);
  if (!ok || !ov.SetIconInfo(kind, w, h, hotX, hotY)) {
    if (m_iconDC[kind]) {
      // the slot goes back to the built-in icon
      DeleteDC(m_iconDC[kind]);
      m_iconDC[kind] = nullptr;
      ov.ClearIconInfo(kind);
    }
    return false;
  }
  if (!m_iconDC[kind]) {
    m_iconDC[kind] = CreateCompatibleDC(nullptr);
    if (!m_iconDC[kind]) {
      ov.ClearIconInfo(kind);
      return false;
    }
  }
  m_iconOld[kind] = SelectObject(m_iconDC[kind], bitmap);
  // a 32-bit DIB section is blended from its own pixels (all of it reachable)
  TrackLineSurface px;
  if (DibSurface(m_iconDC[kind], &px) && px.left == 0 && px.top == 0 && px.right == w && px.bottom == h)
    m_iconPx[kind] = px;
  return true;
}

HDC MapOverlayPainter::IconDC(int kind) {
  if (kind >= 0 && kind < kMapIconSlots && m_iconDC[kind]) return m_iconDC[kind];
  return nullptr;
}

HPEN MapOverlayPainter::TrackPen(int track, const MapOverlay::TrackInfo& info) {
  if (!m_pens[track]) m_pens[track] = CreatePen(PS_SOLID, info.width, info.colour);
  return m_pens[track];
}

void MapOverlayPainter::DropPens() {
  for (HPEN& p : m_pens)
    if (p) {
      DeleteObject(p);
      p = nullptr;
    }
}

void MapOverlayPainter::PaintHighlights(HDC dc, const MapOverlay& ov) {
  const MapView& v = ov.View();
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  MapOverlay::Highlight line = ov.GetHighlight(1), rect = ov.GetHighlight(0);
  if (line.colour >= 0) {
    int64_t ax, ay, bx, by;
    MapWorldToBuffer64(v, line.x1, line.y1, &ax, &ay);
    MapWorldToBuffer64(v, line.x2, line.y2, &bx, &by);
    double x1 = (double)ax, y1 = (double)ay, x2 = (double)bx, y2 = (double)by;
    if (TrackClipSegment(&x1, &y1, &x2, &y2, -16, -16, v.bufW + 16.0, v.bufH + 16.0)) {
      SetDCPenColor(dc, (COLORREF)line.colour);
      MoveToEx(dc, (int)lround(x1), (int)lround(y1), nullptr);
      LineTo(dc, (int)lround(x2), (int)lround(y2));
    }
  }
  if (rect.colour >= 0) {
    int64_t ax, ay, bx, by;
    MapWorldToBuffer64(v, rect.x1, rect.y1, &ax, &ay);
    MapWorldToBuffer64(v, rect.x2, rect.y2, &bx, &by);
    SetDCPenColor(dc, (COLORREF)rect.colour);
    Rectangle(dc, GdiCoord(ax), GdiCoord(ay), GdiCoord(bx + 1), GdiCoord(by + 1));
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

namespace {

// The drawable segments between points [from, to] of a track, walked from
// the last to the first, as runs of whole buffer pixels: clipped to the
// bounds, a run at most kMaxRun points long, points within a pixel of the
// last one drawn left out. squares (when not null) gets the points inside.
// A point at the buffer pixel (-100, -100) is passed over: the line joins
// its neighbours (past from when it is the point at from, so that a
// neighbouring share's walk, which starts past it, misses nothing).
struct TrackBounds {
  int64_t left, top, right, bottom;
};
const int64_t kPassOver = -100;
void CollectRuns(const MapView& v, const std::vector<MapWorldPoint>& p, int from, int to, const TrackBounds& b,
                 std::vector<POINT>* points, std::vector<DWORD>* runs, std::vector<POINT>* squares,
                 int* selSquare, int selIndex) {
  int64_t px, py, prevX = 0, prevY = 0;
  bool prevInside = false, started = false;
  bool open = false;
  POINT prevEnd = {0, 0};
  for (int i = to; i >= 0; i--) {
    MapWorldToBuffer64(v, p[i].x, p[i].y, &px, &py);
    if (px == kPassOver && py == kPassOver) continue;
    bool final = i <= from;
    if (squares && px >= b.left && px < b.right && py >= b.top && py < b.bottom) {
      squares->push_back(POINT{(LONG)px, (LONG)py});
      if (i == selIndex) *selSquare = (int)squares->size() - 1;
    }
    if (!started) {
      started = true;
      prevX = px, prevY = py;
      prevInside = px >= b.left && px <= b.right && py >= b.top && py <= b.bottom;
      if (final) break;
      continue;
    }
    bool inside = px >= b.left && px <= b.right && py >= b.top && py <= b.bottom;
    POINT a, e;
    bool clipped = false;
    if (inside && prevInside) {
      // inside (most of a long track): no clipping
      a = POINT{(LONG)prevX, (LONG)prevY}, e = POINT{(LONG)px, (LONG)py};
    } else {
      double x1 = (double)prevX, y1 = (double)prevY, x2 = (double)px, y2 = (double)py;
      if (!TrackClipSegment(&x1, &y1, &x2, &y2, (double)b.left, (double)b.top, (double)b.right, (double)b.bottom)) {
        prevX = px, prevY = py, prevInside = inside;
        open = false;
        if (final) break;
        continue;
      }
      a = POINT{(LONG)lround(x1), (LONG)lround(y1)}, e = POINT{(LONG)lround(x2), (LONG)lround(y2)};
      clipped = x2 != (double)px || y2 != (double)py;
    }
    prevX = px, prevY = py, prevInside = inside;
    bool cont = open && a.x == prevEnd.x && a.y == prevEnd.y;
    if (!cont) {
      points->push_back(a);
      runs->push_back(1);
    } else if (runs->back() >= kMaxRun) {
      // GDI's wide lines cost more than linear time in a run's length
      points->push_back(points->back());
      runs->push_back(1);
    }
    // points within a pixel of the last one drawn add nothing to see
    const POINT& last = points->back();
    bool beside = labs(e.x - last.x) <= 1 && labs(e.y - last.y) <= 1;
    if (!beside || runs->back() == 1 || final || clipped) {
      points->push_back(e);
      runs->back()++;
    }
    prevEnd = e;
    // a clipped end leaves the rectangle: the next segment starts anew
    open = !clipped;
    if (final) break;
  }
}

// the DIB's pixel order, 0x00RRGGBB
uint32_t DibColour(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

void MapOverlayPainter::PaintTracks(HDC dc, const RECT* update, MapOverlay& ov) {
  const MapView& v = ov.View();
  static_assert(sizeof(POINT) == 2 * sizeof(int32_t), "POINT is an x, y pair");
  static_assert(sizeof(DWORD) == sizeof(uint32_t), "a run is a 32-bit count");
  TrackLineSurface surface;
  bool direct = DibSurface(dc, &surface);
  for (int t = 0; t < kMapTracks; t++) {
    m_points.clear();
    m_runs.clear();
    std::vector<POINT> squares;
    int selSquare = -1;
    ov.LockTracks();
    MapOverlay::TrackInfo info = ov.GetTrackInfoLocked(t);
    if (ov.TakePenChange(t) && m_pens[t]) {
      DeleteObject(m_pens[t]);
      m_pens[t] = nullptr;
    }
    const std::vector<MapWorldPoint>& p = ov.TrackPoints(t);
    int n = (int)p.size();
    if (!info.visible || n < 2) {
      ov.UnlockTracks();
      continue;
    }
    // whole pixels: the points are whole pixels too
    int64_t margin = (int64_t)info.width + 4;
    TrackBounds b = {update ? update->left - margin : -margin, update ? update->top - margin : -margin,
                     update ? update->right + margin : v.bufW + margin,
                     update ? update->bottom + margin : v.bufH + margin};
    int shares = direct && !info.editable && n >= kSharedPoints ? m_threads.Count() : 1;
    if (shares > 1) {
      // a long track straight into the pixels: every thread converts and
      // draws its share of the points, the points held meanwhile
      uint32_t colour = DibColour(info.colour);
      GdiFlush();  // an editable track's squares before
      m_threads.Run([&](int share, int count) {
        int from = (int)((int64_t)(n - 1) * share / count), to = (int)((int64_t)(n - 1) * (share + 1) / count);
        std::vector<POINT>& pts = m_sharePoints[share];
        std::vector<DWORD>& runs = m_shareRuns[share];
        pts.clear(), runs.clear();
        CollectRuns(v, p, from, to, b, &pts, &runs, nullptr, nullptr, -1);
        if (!runs.empty())
          TrackLineDrawRuns(surface, (const int32_t*)pts.data(), (const uint32_t*)runs.data(), (int)runs.size(),
                            info.width, colour);
      });
      ov.UnlockTracks();
      continue;
    }
    // the points are read under the lock; drawing follows without it
    m_points.reserve((size_t)n + n / 8);
    CollectRuns(v, p, 0, n - 1, b, &m_points, &m_runs, info.editable ? &squares : nullptr, &selSquare,
                ov.selTrack == t ? ov.selIndex : -1);
    ov.UnlockTracks();
    if (!m_runs.empty() && direct) {
      GdiFlush();  // an editable track's squares before
      TrackLineDrawRuns(surface, (const int32_t*)m_points.data(), (const uint32_t*)m_runs.data(), (int)m_runs.size(),
                        info.width, DibColour(info.colour));
      m_runs.clear();
    }
    HPEN pen = m_runs.empty() ? nullptr : TrackPen(t, info);
    if (!m_runs.empty() && pen) {
      HGDIOBJ old = SelectObject(dc, pen);
      const POINT* q = m_points.data();
      for (DWORD run : m_runs) {
        Polyline(dc, q, (int)run);
        q += run;
      }
      SelectObject(dc, old);
    }
    if (!squares.empty()) {
      HBRUSH br = CreateSolidBrush(info.colour);
      for (const POINT& q : squares) {
        RECT r = {q.x - 2, q.y - 2, q.x + 3, q.y + 3};
        FillRect(dc, &r, br);
      }
      DeleteObject(br);
      if (selSquare >= 0) {
        const POINT& sel = squares[selSquare];
        RECT r = {sel.x - 2, sel.y - 2, sel.x + 3, sel.y + 3};
        FrameRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
      }
    }
  }
}

void MapOverlayPainter::PaintMarkers(HDC dc, const RECT* update, const MapOverlay& ov) {
  const MapView& v = ov.View();
  HBITMAP def = MapDefaultMarkerBitmap();
  HDC defDC = nullptr;
  HGDIOBJ defOld = nullptr;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  // icons that are 32-bit DIB sections go straight into a DIB target
  TrackLineSurface target;
  bool direct = DibSurface(dc, &target);
  if (direct) m_labels.Begin(dc);
  bool flush = false;  // GDI drew since the pixels were last touched
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  ov.LockMarkers();
  const CStrList& list = ov.Markers();
  for (int i = 0; i < list.GetCount(); i++) {
    const MapMarker* m = (const MapMarker*)list.GetData(i);
    if (!m || !(m->flags & MAPMK_VISIBLE)) continue;
    int len = list.GetLength(i);
    bool label = (m->flags & MAPMK_LABEL) && len > 0;
    MapRect r = ov.MarkerRect(*m, label ? len : 0);
    int kind = MapMarkerKind(m->flags);
    MapOverlay::IconInfo ic = ov.GetIconInfo(kind);
    HDC src = IconDC(kind);
    if (!src) {
      if (!defDC && def) {
        defDC = CreateCompatibleDC(dc);
        if (defDC) defOld = SelectObject(defDC, def);
      }
      src = defDC;
    }
    int xs[64];
    int nrep = MapRepeatPositions(v, r.left, r.Width(), xs, 64);
    int iconTop = r.top + (label ? 4 : 0);
    for (int k = 0; k < nrep; k++) {
      int x = xs[k];
      if (!Intersects(update, x, r.top, x + r.Width(), r.bottom)) continue;
      const uint32_t* px = nullptr;
      int pxStride = 0;
      if (kind >= 0 && kind < kMapIconSlots && m_iconPx[kind].row0 && IconDC(kind))
        px = m_iconPx[kind].row0, pxStride = m_iconPx[kind].stride;
      else if (!IconDC(kind) && src && g_defaultIconPx)
        px = g_defaultIconPx, pxStride = kMapDefaultIconW;
      if (direct && px) {
        if (flush) GdiFlush(), flush = false;
        BlendIcon(target, x, iconTop, px, pxStride, ic.width, ic.height);
      } else if (src &&
                 !AlphaBlend(dc, x, iconTop, ic.width, ic.height, src, 0, 0, ic.width, ic.height, kPerPixelAlpha)) {
        TransparentBlt(dc, x, iconTop, ic.width, ic.height, src, 0, 0, ic.width, ic.height, RGB(0, 0, 0));
      }
      if (!label) continue;
      const char* text = list.GetTextPtr(i);
      SIZE kept;
      if (direct && m_labels.Measure(dc, text, len, m->colour & 0xFFFFFF, &kept)) {
        if (flush) GdiFlush(), flush = false;
        m_labels.Put(target, x + ic.width + 2, iconTop - 4);
        continue;
      }
      flush = true;
      // one line without prefixes: its extent is what DrawText measures, and
      // it goes in the middle of its box as DrawText centres it
      SIZE ext = {0, 0};
      GetTextExtentPoint32A(dc, text, len, &ext);
      RECT box;
      box.left = x + ic.width + 2;
      box.top = iconTop - 4;
      box.right = box.left + ext.cx + 4;
      box.bottom = box.top + ext.cy + 2;
      SetDCBrushColor(dc, m->colour & 0xFFFFFF);
      Rectangle(dc, box.left, box.top, box.right, box.bottom);
      ExtTextOutA(dc, box.left + 2, box.top + 1, ETO_CLIPPED, &box, text, len, nullptr);
    }
  }
  ov.UnlockMarkers();
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  SetBkMode(dc, oldMode);
  if (defDC) {
    SelectObject(defDC, defOld);
    DeleteDC(defDC);
  }
}
