// The map window in a process: creation, zoom range, limits, the messages it
// posts to itself and to its parent, empty cells and tile invalidation.
#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "map/mapwnd.h"
#include "tests/support/winpump.h"

namespace {

std::vector<MapNotify> g_notes;

LRESULT CALLBACK HostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) g_notes.push_back(*(MapNotify*)lp);
  return DefWindowProcA(h, msg, wp, lp);
}

void Pump(DWORD ms = 50) { orvtest::PumpMessages(ms); }

struct ComposeLog {
  std::vector<int> flags;
  int answer = 0;
} g_compose;

// A window without workers whose scheduler only logs its calls.
class LoggedMapWnd : public CMapWnd {
 public:
  LoggedMapWnd() { Tiles().SetWorkerProc(nullptr); }
  void SetCellState(int c, int r, uint32_t state) {
    TileJobGuard g(Tiles());
    Tiles().Grid().At(c, r) = state;
  }

 protected:
  int ComposeTiles(int flags) override {
    g_compose.flags.push_back(flags);
    return g_compose.answer;
  }
};

class MapWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_notes.clear();
    g_compose = ComposeLog();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvMapTestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "OrvMapTestHost", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    ShowWindow(host, SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    delete map;
    DestroyWindow(host);
    Pump(10);
  }
  void Make(DWORD style) {
    map = new LoggedMapWnd;
    RECT rc = {0, 0, 640, 480};
    ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE | style, rc, CWnd::FromHandle(host), 31973));
  }
  HWND host = nullptr;
  LoggedMapWnd* map = nullptr;
};

}  // namespace

TEST_F(MapWndTest, StartsAtItsHomeAndTellsTheParent) {
  Make(MAPS_CENTRENOTIFY);
  Pump();
  EXPECT_EQ(9, map->GetZoom());
  ASSERT_FALSE(g_notes.empty());
  const MapNotify& n = g_notes.back();
  EXPECT_EQ((UINT)MAPN_SELECTION, n.hdr.code);
  EXPECT_EQ(31973u, n.hdr.idFrom);
  EXPECT_EQ(0, n.state);
  EXPECT_EQ(0x22000000u, n.x1);
  EXPECT_EQ(0x16000000u, n.y1);
  EXPECT_NEAR(11.25, n.lon1, 1e-9);
  EXPECT_NEAR(48.9225, n.lat1, 1e-4);
  EXPECT_EQ(0u, n.x2);
  EXPECT_TRUE(map->IsRunning());
  // the buffer's size follows the whole desktop: a window maximised on a
  // monitor larger than the primary one is covered too
  int w, h;
  MapBackBufferSize(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), &w, &h);
  EXPECT_EQ(w, map->GetBackBuffer()->Width());
  EXPECT_EQ(h, CMapWnd::BufferHeight());
  // the centre in the client's middle
  int px, py;
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  map->WorldToClient(cx, cy, &px, &py);
  EXPECT_EQ(map->ScrollX() + 320, px);
  EXPECT_EQ(map->ScrollY() + 240, py);
}

TEST_F(MapWndTest, ZoomRange) {
  Make(0);
  map->SetZoomRange(3, 5);
  EXPECT_EQ(5, map->GetZoom());  // the range applies at once
  EXPECT_EQ(3, map->SetZoom(1));
  EXPECT_EQ(5, map->SetZoom(12));
  map->SetZoomRange(0, 0);
  EXPECT_EQ(22, map->SetZoom(30));
  EXPECT_EQ(0, map->SetZoom(-2));
}

TEST_F(MapWndTest, YLimitsHoldTheCentre) {
  Make(0);
  map->SetZoom(12);
  map->SetAreaLimitsY(0x10000000, 0x18000000);
  uint32_t cx, cy;
  map->MoveTo(0x22000000u, 0x02000000u, 0);
  map->GetCentre(&cx, &cy);
  EXPECT_EQ(0x10000000u + (240u << 10), cy);
  map->MoveTo(0x22000000u, 0x30000000u, 0);
  map->GetCentre(&cx, &cy);
  EXPECT_EQ(0x18000000u - (240u << 10), cy);
  // negative and oversized limits are cut to the world
  map->SetAreaLimitsY(-5, 0x7FFFFFFF);
  map->MoveTo(0x22000000u, 0x3FFFFFF0u, 0);
  map->GetCentre(&cx, &cy);
  EXPECT_EQ(0x3FFFFFFFu - (240u << 10), cy);
}

TEST_F(MapWndTest, FarMoveComposesVisibleCellsFirst) {
  Make(0);
  Pump();
  g_compose.flags.clear();
  uint32_t x, y;
  CMapWnd::GeoToWorld(-73.98, 40.75, &x, &y);
  ASSERT_EQ(1, map->MoveTo(x, y, 1));
  Pump();
  // nothing handed out for the visible cells: the whole buffer next
  ASSERT_EQ(2u, g_compose.flags.size());
  EXPECT_EQ(1, g_compose.flags[0]);
  EXPECT_EQ(0, g_compose.flags[1]);
  // a move within the buffer only scrolls
  g_compose.flags.clear();
  EXPECT_EQ(1, map->MoveTo(x + (100 << 13), y, 1));
  Pump();
  EXPECT_TRUE(g_compose.flags.empty());
  EXPECT_EQ(0, map->MoveTo(x + (100 << 13), y, 1));  // unchanged
}

TEST_F(MapWndTest, EmptyCellsGetTheBackgroundPreviewsStay) {
  Make(0);
  CPicture* pic = map->GetBackBuffer();
  pic->FillRect(0, 0, pic->Width(), pic->Height(), 0x123456);
  map->SetCellState(0, 0, 1);                // a tile
  map->SetCellState(1, 0, kMapCellPreview);  // a scaled preview
  map->SetCellState(2, 0, 0x100);            // the base map failed, nothing blended
  map->FillEmptyCells();
  EXPECT_EQ(0x123456u, pic->GetPixel(10, 10) & 0xFFFFFF);
  EXPECT_EQ(0x123456u, pic->GetPixel(256 + 10, 10) & 0xFFFFFF);
  EXPECT_NE(0x123456u, pic->GetPixel(512 + 10, 10) & 0xFFFFFF);
  EXPECT_NE(0x123456u, pic->GetPixel(10, 256 + 10) & 0xFFFFFF);
  EXPECT_EQ(0x80000000u, map->GetCellState(1, 0));
}

TEST_F(MapWndTest, ZoomStepKeepsAPreview) {
  Make(0);
  CPicture* pic = map->GetBackBuffer();
  const MapView& v = map->View();
  for (int r = 0; r < v.nrow; r++)
    for (int c = 0; c < v.ncol; c++) map->SetCellState(c, r, 1);
  // the pixel under the client's middle, and what it shows after zooming in
  int mx = map->ScrollX() + 320, my = map->ScrollY() + 240;
  pic->FillRect(0, 0, pic->Width(), pic->Height(), 0x00FF00);
  pic->FillRect(mx - 8, my - 8, 16, 16, 0xFF0000);
  map->SetZoom(10);
  mx = map->ScrollX() + 320;
  my = map->ScrollY() + 240;
  EXPECT_EQ(0xFF0000u, pic->GetPixel(mx, my) & 0xFFFFFF);
  EXPECT_EQ(0xFF0000u, pic->GetPixel(mx - 15, my + 14) & 0xFFFFFF);  // twice the size
  EXPECT_EQ(0x00FF00u, pic->GetPixel(mx - 18, my) & 0xFFFFFF);
  int col = mx / 256, row = my / 256;
  EXPECT_EQ(kMapCellPreview, map->GetCellState(col, row));
  // two levels at once: no preview, every cell empty again
  map->SetZoom(12);
  EXPECT_EQ(0u, map->GetCellState(col, row));
}

TEST_F(MapWndTest, TileReadyInvalidatesItsCell) {
  Make(0);
  Pump();
  map->UpdateWindow();
  ValidateRect(map->m_hWnd, nullptr);
  // the tile under the client's middle
  uint32_t cx, cy, tx, ty;
  map->GetCentre(&cx, &cy);
  tx = cx >> (30 - 9);
  ty = cy >> (30 - 9);
  map->SendMessage(WM_MAP_TILEREADY, tx + 1000, ty);  // not in the buffer
  RECT upd;
  EXPECT_FALSE(GetUpdateRect(map->m_hWnd, &upd, FALSE));
  map->SendMessage(WM_MAP_TILEREADY, tx, ty);
  ASSERT_TRUE(GetUpdateRect(map->m_hWnd, &upd, FALSE));
  POINT mid = {320, 240};
  EXPECT_TRUE(PtInRect(&upd, mid));
  int col, row;
  ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
  int left = col * 256 - map->ScrollX(), top = row * 256 - map->ScrollY();
  EXPECT_EQ(left < 0 ? 0 : left, upd.left);
  EXPECT_EQ(top < 0 ? 0 : top, upd.top);
  // a rectangle posted from another thread travels in the message
  ValidateRect(map->m_hWnd, nullptr);
  WPARAM wp;
  LPARAM lp;
  MapPackRect(RECT{5, 6, 25, 26}, &wp, &lp);
  map->SendMessage(WM_MAP_INVALIDATE, wp, lp);
  ASSERT_TRUE(GetUpdateRect(map->m_hWnd, &upd, FALSE));
  EXPECT_EQ(5, upd.left);
  EXPECT_EQ(6, upd.top);
  EXPECT_EQ(25, upd.right);
  EXPECT_EQ(26, upd.bottom);
  // partly above and left of the client: clipped to it, not lost
  ValidateRect(map->m_hWnd, nullptr);
  MapPackRect(RECT{-70000, -10, 30, 40}, &wp, &lp);
  map->SendMessage(WM_MAP_INVALIDATE, wp, lp);
  ASSERT_TRUE(GetUpdateRect(map->m_hWnd, &upd, FALSE));
  EXPECT_EQ(0, upd.left);
  EXPECT_EQ(0, upd.top);
  EXPECT_EQ(30, upd.right);
  EXPECT_EQ(40, upd.bottom);
  // a worker's last tile of a job, with its request for the next job: the
  // tile's cell is still painted (after the frame's pause)
  Sleep(40);
  ValidateRect(map->m_hWnd, nullptr);
  map->SendMessage(WM_MAP_TILEREADY, tx, (LPARAM)(ty | kMapTileReadyCompose));
  ASSERT_TRUE(GetUpdateRect(map->m_hWnd, &upd, FALSE));
  EXPECT_TRUE(PtInRect(&upd, mid));
}

TEST_F(MapWndTest, ClearEmptiesTheWholeBufferAndComposesTheVisibleCellsFirst) {
  Make(0);
  Pump();
  CPicture* pic = map->GetBackBuffer();
  uint32_t back = pic->GetPixel(0, 0);
  // an old tile under the client and two beyond it (one a preview)
  int vx = map->ScrollX() + 300, vy = map->ScrollY() + 200;
  int ox = pic->Width() - 10, oy = pic->Height() - 10;
  pic->SetPixel(vx, vy, back ^ 0xFFFFFF);
  pic->SetPixel(ox, oy, back ^ 0xFFFFFF);
  pic->SetPixel(5, 5, back ^ 0xFFFFFF);
  map->SetCellState(vx / 256, vy / 256, 1);
  map->SetCellState(0, 0, kMapCellPreview);
  g_compose = ComposeLog();
  map->SendMessage(WM_MAP_CLEAR, 0, 0);
  Pump();
  EXPECT_EQ(back, pic->GetPixel(vx, vy));
  EXPECT_EQ(back, pic->GetPixel(ox, oy));
  EXPECT_EQ(back, pic->GetPixel(5, 5));
  ASSERT_FALSE(g_compose.flags.empty());
  EXPECT_EQ(1, g_compose.flags[0]);
}

TEST_F(MapWndTest, LargeTilesKeepTheScale) {
  Make(0);
  map->SetZoom(12);
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  EXPECT_EQ(1, map->SetLargeTiles(1));
  EXPECT_EQ(0, map->SetLargeTiles(1));
  EXPECT_EQ(11, map->GetZoom());
  EXPECT_EQ(512, map->View().tileSize);
  // one world unit covers the same screen distance as before
  int p1, p2, q;
  map->WorldToClient(cx, cy, &p1, &q);
  map->WorldToClient(cx + (1000u << 10), cy, &p2, &q);
  EXPECT_EQ(1000, p2 - p1);
  EXPECT_EQ(1, map->SetLargeTiles(-1));
  EXPECT_EQ(12, map->GetZoom());
  EXPECT_EQ(256, map->View().tileSize);
}

TEST_F(MapWndTest, AreaAcrossTheDateLine) {
  Make(0);
  map->ZoomToArea(170, 10, -170, -10, 0, 0);
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  double lon, lat;
  CMapWnd::WorldToGeo(cx, cy, &lon, &lat);
  EXPECT_NEAR(180.0, fabs(lon), 1e-5);
  EXPECT_NEAR(0.0, lat, 1e-5);
  // 20 degrees of latitude around the equator are 14.3 * 2^z pixels high:
  // zoom 4 (229) is the last below the client's 480 less 30
  EXPECT_EQ(4, map->GetZoom());
}

// A copy fetches what the original fetches: every slot's server, path with
// its suffix, port, scheme, fixed flag, time-out, option words and alpha;
// the base map gets no options.
TEST_F(MapWndTest, CopySourcesFromCarriesEverySlotWithItsAlpha) {
  CMapWnd from, to;
  from.SetSource(0, "tiles.example:8080", "/base/*.jpg", 0, 1, 1, nullptr, 5000);
  from.SetSource(1, "layer.example", "lay?key=1", 81, 0, 2, "TRANS 0x10FF00FF 0x112233", 0);
  from.SetLayerAlpha(1, -20, 300);
  from.SetSource(2, "gray.example", "g", 0, 0, 3, "GRAY 0x08FF0000", 7000);
  from.SetLayerAlpha(2, 7, 0);
  EXPECT_EQ(0, to.CopySourcesFrom(nullptr));
  to.SetSource(3, "old.example", "x", 0, 0, 0, nullptr, 0);  // beyond the copied ones: emptied
  EXPECT_EQ(1, to.CopySourcesFrom(&from));
  for (int i = 0; i < 4; i++) {
    MapTileSource a = from.GetSource(i), b = to.GetSource(i);
    SCOPED_TRACE(i);
    EXPECT_STREQ(a.server, b.server);
    EXPECT_STREQ(a.folder, b.folder);
    EXPECT_STREQ(a.suffix, b.suffix);
    EXPECT_STREQ(a.ext, b.ext);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.fixed, b.fixed);
    EXPECT_EQ(a.iface, b.iface);
    EXPECT_EQ(a.timeout, b.timeout);
    ASSERT_EQ(a.optionCount, b.optionCount);
    for (int k = 0; k < a.optionCount; k++) EXPECT_EQ(a.options[k], b.options[k]);
    EXPECT_EQ(a.alphaOffset, b.alphaOffset);
    EXPECT_EQ(a.alphaScale, b.alphaScale);
  }
  EXPECT_STREQ(".jpg", to.GetSource(0).suffix);
  EXPECT_EQ(3, to.GetSource(1).optionCount);
  EXPECT_EQ(-20, to.GetSource(1).alphaOffset);
  EXPECT_EQ(300, to.GetSource(1).alphaScale);
  EXPECT_EQ(7, to.GetSource(2).alphaOffset);
  EXPECT_STREQ("", to.GetSource(3).server);
}

namespace {
struct PaintLog {
  std::vector<char> order;
} g_paint;
void PrePaint(void* ctx, HDC dc) {
  static_cast<PaintLog*>(ctx)->order.push_back('<');
  // a black square that the highlight rectangle's outline crosses
  RECT r = {0, 0, 4096, 4096};
  FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
}
}  // namespace

// The owner's pre-paint drawing comes first, under the overlays; the
// post-paint one last, over them.
TEST_F(MapWndTest, PrePaintDrawsUnderTheOverlaysPostPaintOverThem) {
  Make(0);
  g_paint = PaintLog();
  int x0 = map->ScrollX(), y0 = map->ScrollY();
  uint32_t ax, ay, bx, by;
  map->ClientToWorld(x0 + 100, y0 + 100, &ax, &ay);
  map->ClientToWorld(x0 + 300, y0 + 200, &bx, &by);
  map->SetHighlightRect(ax, ay, bx, by, RGB(0, 255, 0));
  struct Probe {
    int x, y;
    COLORREF got[2];
  } probe = {x0 + 100, y0 + 150, {CLR_INVALID, CLR_INVALID}};
  static Probe* s_probe;
  s_probe = &probe;
  map->SetPrePaintCallback(PrePaint, &g_paint);
  map->SetPostPaintCallback(
      [](void* ctx, HDC dc) {
        static_cast<PaintLog*>(ctx)->order.push_back('>');
        s_probe->got[0] = GetPixel(dc, s_probe->x, s_probe->y);       // on the outline
        s_probe->got[1] = GetPixel(dc, s_probe->x + 50, s_probe->y);  // inside it
      },
      &g_paint);
  map->InvalidateRect(nullptr, FALSE);
  map->UpdateWindow();
  ASSERT_EQ(2u, g_paint.order.size());
  EXPECT_EQ('<', g_paint.order[0]);
  EXPECT_EQ('>', g_paint.order[1]);
  EXPECT_EQ(RGB(0, 255, 0), probe.got[0]);
  EXPECT_EQ(RGB(0, 0, 0), probe.got[1]);
  map->SetPrePaintCallback(nullptr, nullptr);
  map->SetPostPaintCallback(nullptr, nullptr);
}
