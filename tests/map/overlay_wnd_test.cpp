// The overlays inside a live map window: copying the map to a picture,
// marker icons, redraws from other threads and the centre notification.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "map/mapmouse_win.h"
#include "map/mapwnd.h"
#include "tests/support/winpump.h"

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
