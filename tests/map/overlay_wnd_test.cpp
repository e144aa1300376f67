// The overlays inside a live map window: copying the map to a picture,
// marker icons, redraws from other threads and the centre notification.
#include <gtest/gtest.h>

#include <math.h>

#include <atomic>
#include <thread>
#include <vector>

#include "map/mapmouse_win.h"
#include "map/mapwnd.h"
#include "tests/support/winpump.h"
#include "toolkit/dibfx.h"

namespace {

std::vector<MapNotify> g_notes;

LRESULT CALLBACK HostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) g_notes.push_back(*(MapNotify*)lp);
  return DefWindowProcA(h, msg, wp, lp);
}

void Pump(DWORD ms = 50) { orvtest::PumpMessages(ms); }

HBITMAP MakeBitmap(int w, int h) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

class OverlayWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_notes.clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvOverlayTestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "OrvOverlayTestHost", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    ShowWindow(host, SW_SHOWNOACTIVATE);
    map = new CMapWnd;
    RECT rc = {0, 0, 640, 480};
    ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE | MAPS_CENTRENOTIFY, rc, CWnd::FromHandle(host), 31973));
    Pump();
  }
  void TearDown() override {
    delete map;
    DestroyWindow(host);
  }
  HWND host = nullptr;
  CMapWnd* map = nullptr;
};

TEST_F(OverlayWndTest, CopyToImageTakesTheRequestedRectangle) {
  CPicture pic;
  // the visible client area
  ASSERT_TRUE(map->CopyToImage(0, &pic));
  EXPECT_EQ(640, pic.Width());
  EXPECT_EQ(480, pic.Height());
  // the highlight rectangle, given with its corners the wrong way round
  uint32_t ax, ay, bx, by;
  map->ClientToWorld(map->ScrollX() + 300, map->ScrollY() + 200, &ax, &ay);
  map->ClientToWorld(map->ScrollX() + 100, map->ScrollY() + 50, &bx, &by);
  EXPECT_FALSE(map->CopyToImage(2, &pic));  // none set yet
  map->SetHighlightRect(ax, ay, bx, by, RGB(255, 0, 0));
  ASSERT_TRUE(map->CopyToImage(2, &pic));
  EXPECT_EQ(200, pic.Width());
  EXPECT_EQ(150, pic.Height());
  // a rectangle reaching beyond the buffer is cut to it
  map->ClientToWorld(-5000, map->ScrollY() + 10, &ax, &ay);
  map->SetHighlightRect(ax, ay, bx, by, RGB(255, 0, 0));
  ASSERT_TRUE(map->CopyToImage(2, &pic));
  EXPECT_EQ(map->ScrollX() + 100, pic.Width());
  // no mouse action ever ran: an empty rectangle, a failure
  EXPECT_FALSE(map->CopyToImage(1, &pic));
}

TEST_F(OverlayWndTest, MarkerIconsRefuseWhatTheyCannotHold) {
  HBITMAP small = MakeBitmap(20, 24), huge = MakeBitmap(300, 20);
  ASSERT_TRUE(small && huge);
  EXPECT_EQ(1, map->SetMarkerIcon(3, small, 10, 23, TRUE));
  EXPECT_EQ(0, map->SetMarkerIcon(4, huge, 0, 0, TRUE));
  EXPECT_EQ(0, map->SetMarkerIcon(64, small, 0, 0, TRUE));
  EXPECT_EQ(0, map->SetMarkerIcon(5, nullptr, 0, 0, TRUE));
  // the window paints with both kinds in place
  map->InsertMarker(-1, "drei", 11.25, 48.9, MAPMK_VISIBLE | MAPMK_LABEL | (3u << MAPMK_KIND_SHIFT), 0xFFFFFF, TRUE);
  map->InsertMarker(-1, "", 11.2, 48.9, MAPMK_VISIBLE | (4u << MAPMK_KIND_SHIFT), 0, TRUE);
  map->UpdateWindow();
  delete map;  // gives the icon's bitmap back unselected
  map = nullptr;
  EXPECT_TRUE(DeleteObject(small));
  DeleteObject(huge);
}

TEST_F(OverlayWndTest, RedrawsFromOtherThreadsArePosted) {
  map->UpdateWindow();
  std::thread t([&] {
    for (int i = 0; i < 50; i++) map->InsertMarker(-1, "x", 11.25 + i * 0.001, 48.9, MAPMK_VISIBLE, 0, TRUE);
    map->DeleteAllMarkers(TRUE);
  });
  t.join();
  // the posted rectangles arrive as invalid areas
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, map->m_hWnd, WM_MAP_INVALIDATE, WM_MAP_INVALIDATE, PM_NOREMOVE));
  Pump();
  EXPECT_FALSE(PeekMessageA(&msg, map->m_hWnd, WM_MAP_INVALIDATE, WM_MAP_INVALIDATE, PM_NOREMOVE));
  char text[8];
  EXPECT_EQ(-1, map->GetMarker(0, nullptr, nullptr, text, sizeof text));
}

TEST_F(OverlayWndTest, PaintingWhileAnotherThreadEdits) {
  std::atomic<bool> stop(false);
  std::thread t([&] {
    for (int round = 0; !stop && round < 400; round++) {
      for (int i = 0; i < 20; i++) {
        map->InsertMarker(0, "Marke mit Text", 11.2 + i * 0.01, 48.9, MAPMK_VISIBLE | MAPMK_LABEL, 0xFFFF, TRUE);
        uint32_t x, y;
        CMapWnd::GeoToWorld(11.2 + i * 0.01, 48.95, &x, &y);
        map->InsertTrackPoint(round % 16, x, y, 0, TRUE);
      }
      map->DeleteAllMarkers(TRUE);
      map->ClearTrack(round % 16, TRUE);
    }
  });
  for (int i = 0; i < 40; i++) {
    map->InvalidateRect(nullptr, FALSE);
    map->UpdateWindow();
    Pump(5);
  }
  stop = true;
  t.join();
  Pump();
  for (int k = 0; k < 16; k++) EXPECT_EQ(-1, map->GetTrackPoint(k, nullptr, nullptr, 0));
}

TEST_F(OverlayWndTest, ZoomToTrackShowsTheWholeTrack) {
  const double pts[][2] = {{2.35, 48.85}, {4.83, 45.76}, {5.37, 43.30}};
  for (const auto& p : pts) {
    uint32_t x, y;
    CMapWnd::GeoToWorld(p[0], p[1], &x, &y);
    map->InsertTrackPoint(7, x, y, -1, FALSE);
  }
  map->ZoomToTrack(7);
  uint32_t x1, y1, x2, y2;
  map->GetVisibleWorldRect(&x1, &y1, &x2, &y2);
  for (const auto& p : pts) {
    uint32_t x, y;
    CMapWnd::GeoToWorld(p[0], p[1], &x, &y);
    EXPECT_TRUE(x > x1 && x < x2 && y > y1 && y < y2) << p[0] << " " << p[1];
  }
  // one level more would not hold it
  EXPECT_GT(map->GetZoom(), 4);
  map->SetZoom(map->GetZoom() + 1);
  map->GetVisibleWorldRect(&x1, &y1, &x2, &y2);
  uint32_t ax, ay, bx, by;
  CMapWnd::GeoToWorld(pts[0][0], pts[0][1], &ax, &ay);
  CMapWnd::GeoToWorld(pts[2][0], pts[2][1], &bx, &by);
  EXPECT_FALSE(ax > x1 && bx < x2 && ay > y1 && by < y2);
}

TEST_F(OverlayWndTest, CentreNotificationCarriesTheCentre) {
  ASSERT_FALSE(g_notes.empty());
  const MapNotify& n = g_notes.back();
  EXPECT_EQ((UINT)MAPN_SELECTION, n.hdr.code);
  EXPECT_EQ(31973u, (unsigned)n.hdr.idFrom);
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  EXPECT_EQ(cx, n.x1);
  EXPECT_EQ(cy, n.y1);
  EXPECT_EQ(0u, n.x2);
}

TEST_F(OverlayWndTest, MenuBitmapIsShared) {
  EXPECT_FALSE(map->ShowMapMenu(TRUE));
  EXPECT_TRUE(MapSharedBitmapsExist());
  EXPECT_TRUE(map->ShowMapMenu(FALSE));
  CMapWnd* second = new CMapWnd;
  delete second;  // the first window still lives
  EXPECT_TRUE(MapSharedBitmapsExist());
  delete map;
  map = nullptr;
  EXPECT_FALSE(MapSharedBitmapsExist());
}

TEST_F(OverlayWndTest, WheelModesMapToStyleBits) {
  EXPECT_EQ(0, map->SetWheelMode(2));
  EXPECT_EQ((DWORD)MAPS_WHEELSCROLL, map->GetMapStyle() & (MAPS_WHEELSCROLL | MAPS_WHEELZOOM));
  EXPECT_EQ(2, map->SetWheelMode(1));
  EXPECT_EQ((DWORD)MAPS_WHEELZOOM, map->GetMapStyle() & (MAPS_WHEELSCROLL | MAPS_WHEELZOOM));
  // the window style's upper half is untouched
  EXPECT_TRUE(map->GetMapStyle() & WS_CHILD);
}

}  // namespace

namespace {

// The view of the painting tests: zoom 10 at the start centre.
MapView PaintView() {
  MapView view;
  view.Init(1024, 1024);
  view.ApplyZoom(10);
  view.originX = 0x22000000u, view.originY = 0x16000000u;
  return view;
}

// A 32-bit top-down DIB in a memory DC, filled grey.
struct Dib {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  uint32_t* px = nullptr;
  int w, h;
  Dib(int width, int height) : w(width), h(height) {
    bmp = DibNewSection32(w, h, &px);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bmp);
    for (int i = 0; i < w * h; i++) px[i] = 0x808080;
  }
  ~Dib() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  bool On(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && (px[y * w + x] & 0xFFFFFF) != 0x808080; }
};

// Track pixels drawn by the painter against GDI's own solid pen through the
// same points: every pixel where the two differ lies on the edge of GDI's
// line (a pixel beside it, or one of its own beside an undrawn one), and
// few do; every drawn pixel has the track's colour.
// level: only level and upright segments, which Wine draws exactly the pen's
// width, so the counts must agree closely.
// curve: that many points along a closed figure crossing itself, a track
// long enough to be drawn by several threads.
void CompareWithGdi(int width, bool clipped, bool level = false, int curve = 0) {
  const int W = 420, H = 300;
  MapView view = PaintView();
  // the DIB shows buffer pixels from (300, 350) on
  const int ox = 300, oy = 350;
  std::vector<POINT> pts;
  // a star (every direction from one point) and a zigzag of sharp and flat
  // turns and short steps; the clipped case runs past the bitmap's edges
  for (int i = 0; i < 24; i++) {
    double a = i * 3.14159265 / 12 + 0.1;
    pts.push_back(POINT{110, 150});
    pts.push_back(POINT{110 + (LONG)lround(95 * cos(a)), 150 + (LONG)lround(95 * sin(a))});
  }
  const POINT zig[] = {{230, 40}, {400, 60}, {240, 90}, {405, 130}, {260, 250}, {262, 251}, {265, 249},
                       {300, 280}, {330, 200}, {331, 150}, {390, 280}, {390, 230}, {340, 230}};
  for (const POINT& p : zig) pts.push_back(p);
  if (level) {
    pts.clear();
    const POINT sq[] = {{20, 20}, {200, 20}, {200, 120}, {60, 120}, {60, 200}, {300, 200}, {300, 40}};
    for (const POINT& p : sq) pts.push_back(p);
  }
  if (curve) {
    pts.clear();
    for (int i = 0; i < curve; i++) {
      double t = 2 * 3.14159265 * i / curve;
      pts.push_back(POINT{210 + (LONG)lround(190 * sin(3 * t)), 150 + (LONG)lround(130 * sin(4 * t + 0.5))});
    }
  }
  if (clipped) {
    pts.push_back(POINT{-40, 320});
    pts.push_back(POINT{500, -30});
    pts.push_back(POINT{200, 400});
  }
  MapOverlay ov;
  ov.Bind(&view, nullptr);
  ov.SetTrackStyle(0, RGB(200, 30, 60), width, false);
  // the painter draws from the last point to the first
  for (int i = (int)pts.size() - 1; i >= 0; i--) {
    uint32_t x, y;
    view.ClientToWorld(pts[i].x + ox, pts[i].y + oy, &x, &y);
    ov.InsertTrackPoint(0, x, y, 0, false);
  }
  // ours unclipped, and cut through the same clip as GDI's
  Dib ours(W, H), cut(W, H), gdi(W, H);
  const RECT clip = {62, 45, 350, 260};
  SetViewportOrgEx(ours.dc, -ox, -oy, nullptr);
  SetViewportOrgEx(cut.dc, -ox, -oy, nullptr);
  if (clipped) {
    IntersectClipRect(cut.dc, ox + clip.left, oy + clip.top, ox + clip.right, oy + clip.bottom);
    IntersectClipRect(gdi.dc, clip.left, clip.top, clip.right, clip.bottom);
  }
  MapOverlayPainter painter;
  painter.PaintTracks(ours.dc, nullptr, ov);
  painter.PaintTracks(cut.dc, nullptr, ov);
  HPEN pen = CreatePen(PS_SOLID, width, RGB(200, 30, 60));
  HGDIOBJ old = SelectObject(gdi.dc, pen);
  // in pieces: Wine's wide pens take more than linear time in a line's length
  for (size_t at = 0; at + 1 < pts.size(); at += 15) {
    size_t end = at + 16 < pts.size() ? at + 16 : pts.size();
    Polyline(gdi.dc, pts.data() + at, (int)(end - at));
  }
  SelectObject(gdi.dc, old);
  DeleteObject(pen);
  GdiFlush();
  // Ours and GDI's pixels each lie within a pixel of the other's (the
  // unclipped shape beside a clip edge) and are about as many; the clip
  // takes exactly what lies outside it. (Wine draws slanted wide lines
  // thicker than the pen: up to 6 pixels across for width 3 at 45°.)
  int drawn = 0, mine = 0, apart = 0, colour = 0, cutWrong = 0;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      bool inside = !clipped || (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom);
      bool g = gdi.On(x, y), o = cut.On(x, y);
      drawn += g, mine += o;
      if (o && (cut.px[y * W + x] & 0xFFFFFF) != 0xC81E3C) colour++;
      if (o != (ours.On(x, y) && inside)) cutWrong++;
      if (g == o) continue;
      const Dib& other = g ? ours : gdi;
      bool beside = false;
      for (int v = -1; v <= 1; v++)
        for (int u = -1; u <= 1; u++) beside |= other.On(x + u, y + v);
      if (!beside) apart++;
    }
  SCOPED_TRACE(testing::Message() << "width " << width << (clipped ? ", clipped" : "") << (level ? ", level" : ""));
  EXPECT_GT(drawn, 800);
  EXPECT_EQ(0, colour);
  EXPECT_EQ(0, apart);
  EXPECT_EQ(0, cutWrong);
  EXPECT_NEAR(1.0, (double)mine / drawn, level ? 0.01 : 0.15) << mine << " of " << drawn;
}

}  // namespace

TEST(TrackLines, DrawnLikeGdisSolidPenForEachWidthAndClipped) {
  for (int width : {1, 3, 8}) {
    CompareWithGdi(width, false);
    CompareWithGdi(width, false, true);
  }
  CompareWithGdi(8, true);
  CompareWithGdi(3, false, false, 20000);
  CompareWithGdi(3, true, false, 20000);
}

// A point at buffer pixel (-100, -100) is passed over: the line joins its
// neighbours. A short track, and one long enough for several threads with
// such points throughout (also where the threads' shares meet).
TEST(TrackLines, APointAtMinus100IsPassedOver) {
  const int W = 500, H = 300, ox = -150, oy = -150;  // the DIB from buffer pixel (-150, -150)
  MapView view = PaintView();
  for (int n : {3, 9001}) {
    MapOverlay ov;
    ov.Bind(&view, nullptr);
    ov.SetTrackStyle(0, RGB(200, 30, 60), 1, false);
    for (int i = 0; i < n; i++) {
      // every third point the skipped one, the others back and forth along y = 50
      POINT b = i % 3 == 1 ? POINT{-100, -100} : POINT{i % 3 ? 260 : 20, 50};
      uint32_t x, y;
      view.ClientToWorld(b.x, b.y, &x, &y);
      ov.InsertTrackPoint(0, x, y, -1, false);
    }
    Dib dib(W, H);
    SetViewportOrgEx(dib.dc, -ox, -oy, nullptr);
    MapOverlayPainter painter;
    painter.PaintTracks(dib.dc, nullptr, ov);
    GdiFlush();
    int off = 0, along = 0;
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++)
        if (dib.On(x, y)) (y + oy == 50 ? along : off)++;
    SCOPED_TRACE(n);
    EXPECT_EQ(0, off);
    EXPECT_GE(along, 240);
  }
}

// Marker icons blended from their own pixels into a DIB against AlphaBlend
// (the same painter made to use GDI by a clip region with a hole): the
// built-in pin and an icon of every alpha level, one with a label.
TEST(MarkerIcons, BlendedLikeAlphaBlend) {
  const int W = 300, H = 200;
  MapView view = PaintView();
  const int ox = 300, oy = 350;
  MapOverlay ov;
  ov.Bind(&view, nullptr);
  MapOverlayPainter painter;
  Dib icon(40, 30);
  for (int y = 0; y < 30; y++)
    for (int x = 0; x < 40; x++) {
      uint32_t a = (x * 7 + y * 3) % 256, r = 250 * a / 255, g = (x * 6) % 200 * a / 255, b = 90 * a / 255;
      icon.px[y * 40 + x] = a << 24 | r << 16 | g << 8 | b;
    }
  // the bitmap can be selected into one DC only: the painter's
  DeleteDC(icon.dc);
  icon.dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(painter.SetMarkerIcon(ov, 5, icon.bmp, 3, 4));
  const POINT at[] = {{40, 60}, {150, 90}, {20, 185}, {290, 100}, {200, 150}};
  for (int i = 0; i < 5; i++) {
    double lon, lat;
    view.ClientToGeo(at[i].x + ox, at[i].y + oy, &lon, &lat);
    uint32_t flags = MAPMK_VISIBLE | (i % 2 ? 5u << 2 : 0u) | (i == 1 ? (uint32_t)MAPMK_LABEL : 0u);
    ov.InsertMarker(-1, "Ort", lon, lat, flags, 0x80FFFF, false);
  }
  Dib ours(W, H), gdi(W, H);
  for (int i = 0; i < W * H; i++) ours.px[i] = gdi.px[i] = 0x204060 + (i % 97) * 0x010101;
  SetViewportOrgEx(ours.dc, -ox, -oy, nullptr);
  SetViewportOrgEx(gdi.dc, -ox, -oy, nullptr);
  // everything but one corner pixel: a complex region sends the painter to GDI
  HRGN all = CreateRectRgn(0, 0, W, H), hole = CreateRectRgn(W - 1, H - 1, W, H);
  CombineRgn(all, all, hole, RGN_DIFF);
  SelectClipRgn(gdi.dc, all);
  DeleteObject(all);
  DeleteObject(hole);
  // the label drawn once more after the text's font and colour change: the
  // kept label must not be reused
  HFONT big = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  for (int round = 0; round < 2; round++) {
    if (round) {
      for (HDC dc : {ours.dc, gdi.dc}) SelectObject(dc, big), SetTextColor(dc, RGB(0, 0, 255));
      for (int i = 0; i < W * H; i++) ours.px[i] = gdi.px[i] = 0x204060 + (i % 97) * 0x010101;
    }
    painter.PaintMarkers(ours.dc, nullptr, ov);
    painter.PaintMarkers(gdi.dc, nullptr, ov);
    GdiFlush();
    int changed = 0, off = 0;
    for (int i = 0; i < W * H - 1; i++) {
      uint32_t a = ours.px[i], b = gdi.px[i];
      changed += (b & 0xFFFFFF) != 0x204060 + (uint32_t)(i % 97) * 0x010101;
      for (int sh = 0; sh < 24; sh += 8)
        if (abs((int)((a >> sh) & 255) - (int)((b >> sh) & 255)) > 1) {
          if (off++ < 5) ADD_FAILURE() << "pixel " << i % W << "," << i / W << ": " << std::hex << a << " not " << b;
          break;
        }
    }
    EXPECT_GT(changed, 2000);
    EXPECT_EQ(0, off) << "round " << round;
  }
  for (HDC dc : {ours.dc, gdi.dc}) SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(big);
}

// The menu takes the background colour (given as 0x00BBGGRR) made lighter,
// also when its bitmap was made before.
TEST_F(OverlayWndTest, BackgroundColourTintsTheMenu) {
  map->ShowMapMenu(TRUE);
  ASSERT_TRUE(MapSharedBitmapsExist());
  const MapView& v = map->View();
  MapRect r = MapMenuRect(v);
  for (COLORREF c : {RGB(0x10, 0x80, 0xF0), RGB(0xFF, 0x00, 0x3C)}) {
    map->SetBackgroundColour(c);
    Dib dib(kMapMenuW, kMapMenuH);
    for (int i = 0; i < kMapMenuW * kMapMenuH; i++) dib.px[i] = 0;
    SetViewportOrgEx(dib.dc, -r.left, -r.top, nullptr);
    MapPaintMenu(dib.dc, v, 1);  // the plus lit: its pixels opaque
    GdiFlush();
    uint32_t want = (uint32_t)(GetRValue(c) + 255) / 2 << 16 | (uint32_t)(GetGValue(c) + 255) / 2 << 8 |
                    (uint32_t)(GetBValue(c) + 255) / 2;
    EXPECT_EQ(want, dib.px[17 * kMapMenuW + 17] & 0xFFFFFF) << std::hex << c;
  }
  map->ShowMapMenu(FALSE);
}

// The highlight line runs from the top-left corner to the bottom-right one
// whichever corners it was given; cleared, it is not drawn.
TEST(Highlights, TheLineRunsBetweenTheOrderedCorners) {
  MapView v = PaintView();
  const int x0 = 300, y0 = 350;
  MapOverlay ov;
  ov.Bind(&v, nullptr);
  uint32_t ax, ay, bx, by;
  v.ClientToWorld(x0 + 20, y0 + 120, &ax, &ay);  // bottom left
  v.ClientToWorld(x0 + 120, y0 + 20, &bx, &by);  // top right
  ov.SetSecondRect(ax, ay, bx, by, RGB(0, 0, 255));
  MapOverlayPainter painter;
  for (int round = 0; round < 2; round++) {
    Dib dib(140, 140);
    SetViewportOrgEx(dib.dc, -x0, -y0, nullptr);
    painter.PaintHighlights(dib.dc, ov);
    GdiFlush();
    int main = 0, anti = 0;
    for (int k = 25; k < 115; k++) main += dib.On(k, k), anti += abs(k - 70) > 1 && dib.On(k, 140 - k);
    SCOPED_TRACE(round);
    EXPECT_EQ(round ? 0 : 90, main);
    EXPECT_EQ(0, anti);
    if (round == 0) {
      EXPECT_EQ(0xFFu, dib.px[60 * 140 + 60] & 0xFFFFFF);
    }
    ov.ClearSecondRect();
  }
}
