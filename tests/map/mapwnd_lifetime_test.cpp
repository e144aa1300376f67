// The map window's life and what it holds: redraws posted from a marker
// thread and never handled must not leave anything on the heap once the
// window and its object are gone, and painting and resizing again and again
// must not use up GDI objects.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "map/mapwnd.h"
#include "tests/support/winpump.h"

// gcc sees the malloc inside the replaced operator new and warns wrongly
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every heap block made through operator new in this program is counted, so
// a block that outlives its window shows up as a difference.
namespace {
std::atomic<long> g_liveBlocks(0);
void* Alloc(size_t n) {
  void* p = malloc(n ? n : 1);
  if (p) g_liveBlocks++;
  return p;
}
void Free(void* p) {
  if (!p) return;
  g_liveBlocks--;
  free(p);
}
}  // namespace

void* operator new(size_t n) {
  void* p = Alloc(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t n) {
  void* p = Alloc(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Alloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Alloc(n); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace {

class MapWndLifetimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvMapLifeHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "OrvMapLifeHost", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    ShowWindow(host, SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    DestroyWindow(host);
    orvtest::PumpMessages(10);
  }
  // One window's life: markers added from another thread post their
  // redraws; the window dies before it handles a single one of them.
  void LifeWithUnhandledRedraws(int* queued) {
    CMapWnd* map = new CMapWnd;
    RECT rc = {0, 0, 640, 480};
    ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
    map->UpdateWindow();
    std::thread t([map] {
      for (int i = 0; i < 40; i++) map->InsertMarker(-1, "x", 11.25 + i * 0.001, 48.92, MAPMK_VISIBLE, 0, TRUE);
    });
    t.join();
    MSG msg;
    *queued = PeekMessageA(&msg, map->m_hWnd, WM_MAP_INVALIDATE, WM_MAP_INVALIDATE, PM_NOREMOVE) ? 1 : 0;
    delete map;  // the queued redraws die with the window
    CWnd::DeleteTempMap();
  }
  HWND host = nullptr;
};

TEST_F(MapWndLifetimeTest, RedrawsStillQueuedAtDestructionLeaveNothingBehind) {
  int queued = 0;
  LifeWithUnhandledRedraws(&queued);  // first use: one-time tables
  ASSERT_FALSE(HasFatalFailure());
  long before = g_liveBlocks.load();
  LifeWithUnhandledRedraws(&queued);
  ASSERT_FALSE(HasFatalFailure());
  long after = g_liveBlocks.load();
  EXPECT_EQ(1, queued) << "the redraws were not left queued: the case is not exercised";
  EXPECT_EQ(before, after) << "heap blocks outlived the window";
}

// How many more GDI objects the process may make: pens are made until the
// system refuses, then freed. Counts what leaks even where GetGuiResources
// reports nothing (Wine).
int GdiRoom() {
  std::vector<HPEN> pens;
  pens.reserve(70000);
  while (pens.size() < 70000) {
    HPEN p = CreatePen(PS_SOLID, 1, RGB(pens.size() & 255, 0, 0));
    if (!p) break;
    pens.push_back(p);
  }
  for (HPEN p : pens) DeleteObject(p);
  return (int)pens.size();
}

TEST_F(MapWndLifetimeTest, PaintingAndResizingAgainAndAgainKeepsGdiObjects) {
  CMapWnd* map = new CMapWnd;
  RECT rc = {0, 0, 640, 480};
  ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE | MAPS_MENU, rc, CWnd::FromHandle(host), 31973));
  // everything the painter draws: labelled markers, a track with its
  // squares, highlights, the on-map menu
  for (int i = 0; i < 5; i++)
    map->InsertMarker(-1, "Ort", 11.25 + i * 0.05, 48.92, MAPMK_VISIBLE | MAPMK_LABEL, 0xFFFF, FALSE);
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  for (int i = 0; i < 6; i++) map->InsertTrackPoint(0, cx + i * 40000, cy + (i & 1) * 40000, -1, FALSE);
  map->SetTrackEditable(0, TRUE, FALSE);
  map->SetHighlightRect(cx - 100000, cy - 100000, cx + 100000, cy + 100000, RGB(255, 0, 0));
  auto round = [&](int i) {
    map->SetWindowPos(nullptr, 0, 0, 400 + (i % 5) * 50, 300 + (i % 3) * 40, SWP_NOZORDER | SWP_NOACTIVATE);
    map->SetTrackStyle(0, RGB(i & 255, 0, 255), 1 + i % 4, TRUE);  // a new pen each time
    map->MoveTo(cx + (uint32_t)(i % 7) * 300000, cy, 1);
    map->SetZoom(9 + i % 2);
    ::InvalidateRect(map->m_hWnd, nullptr, FALSE);
    map->UpdateWindow();
    orvtest::PumpMessages(0, 0);
  };
  round(0);  // first use: shared bitmaps, fonts, caches
  round(1);
  int before = GdiRoom();
  ASSERT_GT(before, 100);
  for (int i = 2; i < 150; i++) round(i);
  EXPECT_EQ(before, GdiRoom()) << "GDI objects were used up by painting and resizing";
  delete map;
}

TEST_F(MapWndLifetimeTest, ImageWindowFollowingItsSizeKeepsGdiObjects) {
  CImageWnd wnd;
  RECT rc = {0, 0, 200, 150};
  ASSERT_TRUE(wnd.Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 7));
  auto round = [&](int i) {
    wnd.SetWindowPos(nullptr, 0, 0, 100 + (i % 9) * 30, 80 + (i % 4) * 25, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(wnd.m_hWnd, nullptr, FALSE);
    wnd.UpdateWindow();
  };
  round(0);
  int before = GdiRoom();
  for (int i = 1; i < 150; i++) round(i);
  EXPECT_EQ(before, GdiRoom());
  EXPECT_EQ(100 + (149 % 9) * 30, wnd.GetPicture()->Width());  // the buffer did follow
  wnd.DestroyWindow();
}

}  // namespace
