// The mouse actions, keys and notifications against a stand-in window.
#include <gtest/gtest.h>

#include <vector>

#include "map/mapmouse.h"

namespace {

struct NoSink : MapReanchorSink {
  void Reanchor(int, int) override {}
};

class FakeWindow : public MapMouseHost, public MapRedrawSink {
 public:
  MapView view;
  uint32_t style = 0;
  bool captured = false;
  int xorCalls = 0;
  MapCursorShape cursor = kMapCursorArrow;
  int cursorX = -1, cursorY = -1;
  std::vector<MapNotifyData> notes;
  std::vector<uint32_t> moveRequestsY;
  int ownerResult = 0;
  bool ownerSet = false;
  std::vector<unsigned> ownerFlags, ownerMessages;
  NoSink noSink;

  FakeWindow() {
    view.Init(4096, 2048);
    view.ApplyZoom(9);
    view.clientW = 800, view.clientH = 600;
    bool re;
    view.centreX = 0;
    view.Move(0x22000000u, 0x16000000u, &noSink, &re);
  }
  const MapView& SyncView() override { return view; }
  uint32_t MapStyle() override { return style; }
  void SetMapStyle(uint32_t s) override { style = s; }
  int HostSetZoom(int z) override {
    z = view.ClampZoom(z);
    if (z == view.zoom) return z;
    view.ApplyZoom(z);
    uint32_t cx = view.centreX, cy = view.centreY;
    view.centreX = (cx + 1) & kMapWorldMask;
    bool re;
    view.Move(cx, cy, &noSink, &re);
    return z;
  }
  int HostMoveTo(uint32_t x, uint32_t y, int) override {
    moveRequestsY.push_back(y);
    bool re;
    return view.Move(x, y, &noSink, &re);
  }
  int HostMoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force) override {
    uint32_t wx, wy;
    view.ClientToWorld(px, py, &wx, &wy);
    uint32_t cx = (view.centreX + (uint32_t)MapWorldDelta(x, wx)) & kMapWorldMask;
    int64_t cy = (int64_t)view.centreY + (int64_t)y - (int64_t)wy;
    bool re;
    return view.Move(cx, (uint32_t)cy, &noSink, &re);
  }
  MapMouse* reenter = nullptr;  // the release tells the window, as Windows does
  void HostCapture(bool on) override {
    bool had = captured;
    captured = on;
    if (!on && had && reenter) reenter->OnCaptureLost();
  }
  void HostFocus() override {}
  void HostCursor(MapCursorShape s) override { cursor = s; }
  bool HostCursorPos(int* x, int* y) override {
    if (cursorX < 0) return false;
    *x = cursorX, *y = cursorY;
    return true;
  }
  void HostXorBand(int, const MapRect&) override { xorCalls++; }
  void HostNotify(const MapNotifyData& n) override { notes.push_back(n); }
  void HostInvalidate(const MapRect&) override {}
  bool HostOwnerMouse(unsigned message, unsigned flags, int, int, int* result) override {
    if (!ownerSet) return false;
    ownerMessages.push_back(message);
    ownerFlags.push_back(flags);
    *result = ownerResult;
    return true;
  }
  void InvalidateBufferRect(const MapRect&) override {}
};

class MouseTest : public ::testing::Test {
 protected:
  MouseTest() : mouse(&win, &ov) { ov.Bind(&win.view, &win); }
  // a buffer pixel inside the client area
  int X(int cx) { return win.view.scrollX + cx; }
  int Y(int cy) { return win.view.scrollY + cy; }
  void World(int px, int py, uint32_t* x, uint32_t* y) { win.view.ClientToWorld(px, py, x, y); }

  FakeWindow win;
  MapOverlay ov;
  MapMouse mouse;
};

TEST_F(MouseTest, SlotsAndWheelMode) {
  EXPECT_EQ(0, mouse.SetMouseMode(0, 2));
  EXPECT_EQ(2, mouse.SetMouseMode(0, 3));
  EXPECT_EQ(3, mouse.GetMouseMode(0));
  EXPECT_EQ(0, mouse.SetMouseMode(3, 2));
  EXPECT_EQ(0, mouse.GetMouseMode(3));
  EXPECT_EQ(3, mouse.SetMouseMode(0, 9));  // no such action: kept
  EXPECT_EQ(3, mouse.GetMouseMode(0));
  EXPECT_EQ(0, mouse.SetWheelMode(1));
  EXPECT_EQ((uint32_t)kMapStyleWheelZoom, win.style);
  EXPECT_EQ(1, mouse.SetWheelMode(2));
  EXPECT_EQ((uint32_t)kMapStyleWheelScroll, win.style);
  EXPECT_EQ(2, mouse.SetWheelMode(3));
  EXPECT_EQ((uint32_t)kMapStyleWheelScroll, win.style);
}

TEST_F(MouseTest, RectangleSelectionReportsTheDraggedCorners) {
  win.style = kMapStyleDragNotify;
  mouse.SetMouseMode(0, 2);
  int ax = X(100), ay = Y(120), bx = X(300), by = Y(50);
  win.cursorX = ax, win.cursorY = ay;
  ASSERT_TRUE(mouse.MouseProc(kMapMsgLButtonDown, 1, ax, ay));
  EXPECT_TRUE(win.captured);
  EXPECT_EQ(2, mouse.CurrentAction());
  mouse.MouseProc(kMapMsgMouseMove, 1, bx, by);
  int mode;
  MapRect band;
  int calls = win.xorCalls;
  ASSERT_TRUE(mouse.BandForPaint(&mode, &band));
  EXPECT_EQ(calls, win.xorCalls);  // painting does not toggle
  EXPECT_EQ(1, mode);
  EXPECT_EQ(ax, band.left);
  EXPECT_EQ(by, band.bottom);
  mouse.MouseProc(kMapMsgLButtonUp, 0, bx, by);
  EXPECT_FALSE(win.captured);
  EXPECT_EQ(0, win.xorCalls % 2);  // the band is gone
  EXPECT_FALSE(mouse.BandForPaint(&mode, &band));
  ASSERT_GE(win.notes.size(), 3u);
  EXPECT_EQ((unsigned)MAPN_DRAGGING, win.notes[0].code);
  EXPECT_EQ(2, win.notes[0].state);
  const MapNotifyData& n = win.notes.back();
  EXPECT_EQ((unsigned)MAPN_SELECTION, n.code);
  EXPECT_EQ(0, n.state);
  uint32_t x, y;
  World(ax, ay, &x, &y);
  EXPECT_EQ(x, n.x1);
  EXPECT_EQ(y, n.y1);
  World(bx, by, &x, &y);
  EXPECT_EQ(x, n.x2);
  EXPECT_EQ(y, n.y2);
  EXPECT_DOUBLE_EQ(MapWorldXToLon(n.x2), n.lon2);
  EXPECT_DOUBLE_EQ(MapWorldYToLat(n.y1), n.lat1);
}

TEST_F(MouseTest, EscapeCancelsASelection) {
  mouse.SetMouseMode(0, 3);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(10), Y(10));
  mouse.MouseProc(kMapMsgMouseMove, 1, X(60), Y(10));
  EXPECT_TRUE(mouse.OnKeyDown(kMapVkEscape));
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_MEASURE, win.notes[0].code);
  EXPECT_EQ(1, win.notes[0].state);
  EXPECT_EQ(0, mouse.CurrentAction());
  EXPECT_EQ(0, win.xorCalls % 2);
  EXPECT_FALSE(win.captured);
  EXPECT_EQ(0, mouse.FinishMouseAction());
  EXPECT_FALSE(mouse.OnKeyDown(kMapVkEscape));  // nothing to cancel: the key goes on
  // the button-up after Escape starts nothing and tells nothing
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(60), Y(10));
  EXPECT_EQ(1u, win.notes.size());
}

TEST_F(MouseTest, DragKeepsTheAnchorUnderTheMouse) {
  win.style = kMapStyleDragLeft;
  int ax = X(400), ay = Y(300);
  uint32_t wx, wy;
  World(ax, ay, &wx, &wy);
  mouse.MouseProc(kMapMsgLButtonDown, 1, ax, ay);
  EXPECT_EQ(kMapCursorHand, win.cursor);
  // the mouse moves 50 right, 30 down in the client
  int sx = win.view.scrollX, sy = win.view.scrollY;
  mouse.MouseProc(kMapMsgMouseMove, 1, sx + 450, sy + 330);
  uint32_t nx, ny;
  World(win.view.scrollX + 450, win.view.scrollY + 330, &nx, &ny);
  EXPECT_EQ(wx, nx);
  EXPECT_EQ(wy, ny);
  mouse.MouseProc(kMapMsgLButtonUp, 0, win.view.scrollX + 450, win.view.scrollY + 330);
  EXPECT_EQ(0, mouse.CurrentAction());
  EXPECT_TRUE(win.notes.empty());
}

TEST_F(MouseTest, WheelScrollsSixtyPixelsANotch) {
  win.style = kMapStyleWheelScroll;
  uint32_t cy = win.view.centreY;
  ASSERT_TRUE(mouse.MouseProc(kMapMsgMouseWheel, 120u << 16, X(10), Y(10)));
  EXPECT_EQ(cy - (60u << (22 - 9)), win.view.centreY);
  win.style = kMapStyleWheelScroll;
  mouse.MouseProc(kMapMsgMouseWheel, (unsigned)(uint16_t)-240 << 16, X(10), Y(10));
  EXPECT_EQ(cy + (60u << (22 - 9)), win.view.centreY);
}

TEST_F(MouseTest, WheelScrollStopsAtTheNorthEdge) {
  win.style = kMapStyleWheelScroll;
  win.HostSetZoom(2);
  win.view.centreY = 1000;  // a hair below the north edge
  mouse.MouseProc(kMapMsgMouseWheel, 120u << 16, X(10), Y(10));
  ASSERT_FALSE(win.moveRequestsY.empty());
  EXPECT_EQ(0u, win.moveRequestsY.back());  // not the south edge
}

TEST_F(MouseTest, WheelZoomKeepsThePointUnderTheMouse) {
  win.style = kMapStyleWheelZoom;
  int cx = 200, cy = 150;
  uint32_t wx, wy;
  World(X(cx), Y(cy), &wx, &wy);
  mouse.MouseProc(kMapMsgMouseWheel, 120u << 16, X(cx), Y(cy));
  EXPECT_EQ(10, win.view.zoom);
  uint32_t nx, ny;
  World(X(cx), Y(cy), &nx, &ny);
  // within one pixel at the new zoom
  EXPECT_LE(std::abs(MapWorldDelta(nx, wx)), 1 << 12);
  EXPECT_LE(std::abs((int64_t)ny - (int64_t)wy), 1 << 12);
  mouse.MouseProc(kMapMsgMouseWheel, (unsigned)(uint16_t)-120 << 16, X(cx), Y(cy));
  EXPECT_EQ(9, win.view.zoom);
}

TEST_F(MouseTest, OwnerSeesTheMenuButtonButNotInWheelMessages) {
  win.style = kMapStyleMenu | kMapStyleWheelZoom;
  win.ownerSet = true;
  int bx = X(800 - 10), by = Y(10 + 35 * 2 + 5);  // button 3
  mouse.MouseProc(kMapMsgMouseMove, 0, bx, by);
  mouse.MouseProc(kMapMsgMouseWheel, 120u << 16, bx, by);
  ASSERT_EQ(2u, win.ownerFlags.size());
  EXPECT_EQ(3u << 16, win.ownerFlags[0]);
  EXPECT_EQ(120u << 16, win.ownerFlags[1]);
  // a nonzero answer from the owner ends the processing
  win.ownerResult = 1;
  mouse.SetMouseMode(0, 2);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(100), Y(300));
  EXPECT_EQ(0, mouse.CurrentAction());
}

// Windows reports the second press of a quick pair as a double-click
TEST_F(MouseTest, AQuickSecondPressIsAPressForTheOwnerToo) {
  win.ownerSet = true;
  win.ownerResult = 1;  // the game places its guess and takes the click
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(100), Y(300));
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(100), Y(300));
  mouse.MouseProc(kMapMsgLButtonDblClk, 1, X(100), Y(300));
  ASSERT_EQ(3u, win.ownerMessages.size());
  EXPECT_EQ(kMapMsgLButtonDown, win.ownerMessages[2]);
}

TEST_F(MouseTest, MenuButtons) {
  win.style = kMapStyleMenu;
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(800 - 20), Y(12));  // button 1
  EXPECT_EQ(10, win.view.zoom);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(800 - 20), Y(10 + 35 + 3));  // button 2
  EXPECT_EQ(9, win.view.zoom);
  int bx = X(800 - 5), by = Y(10 + 70 + 1);
  mouse.MouseProc(kMapMsgLButtonDown, 1, bx, by);
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_MENU, win.notes[0].code);
  EXPECT_EQ((uint32_t)bx, win.notes[0].x1);
  EXPECT_EQ((uint32_t)by, win.notes[0].y1);
  EXPECT_EQ(795u, win.notes[0].x2);
  EXPECT_EQ(81u, win.notes[0].y2);
  EXPECT_EQ(-1, mouse.HotButton());
  // below the strip is the map again
  EXPECT_EQ(0, MapMenuButtonAt(win.view, bx, Y(115)));
  EXPECT_EQ(0, MapMenuButtonAt(win.view, X(800 - 37), by));
}

TEST_F(MouseTest, ClickOnAnEmptyTrackAddsTwoPoints) {
  ov.SetTrackEditable(3, true, false);
  mouse.SetMouseMode(0, 4);
  int px = X(200), py = Y(200);
  mouse.MouseProc(kMapMsgLButtonDown, 1, px, py);
  EXPECT_EQ(4, mouse.CurrentAction());
  mouse.MouseProc(kMapMsgLButtonUp, 0, px, py);
  ASSERT_EQ(2u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_NEWTRACK, win.notes[0].code);
  EXPECT_EQ(3, win.notes[0].track);
  EXPECT_EQ((unsigned)MAPN_ADDPOINT, win.notes[1].code);
  EXPECT_EQ(1, win.notes[1].state);
  EXPECT_EQ(2, ov.GetTrackCount(3));
  uint32_t x0, y0, x1, y1;
  ov.GetTrackPoint(3, &x0, &y0, 0);
  ov.GetTrackPoint(3, &x1, &y1, 1);
  EXPECT_EQ(x0, x1);
  EXPECT_EQ(y0, y1);
  EXPECT_TRUE(ov.IsTrackModified(3));
  EXPECT_EQ(win.notes[1].x1, x1);
  // both records carry the point as longitude and latitude too
  for (const MapNotifyData& n : {win.notes[0], win.notes[1]}) {
    EXPECT_DOUBLE_EQ(MapWorldXToLon(x1), n.lon1) << n.code;
    EXPECT_DOUBLE_EQ(MapWorldYToLat(y1), n.lat1) << n.code;
    EXPECT_NE(0.0, n.lon1);
  }
}

TEST_F(MouseTest, AddingNeedsAnEditableTrack) {
  mouse.SetMouseMode(0, 4);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(200), Y(200));
  EXPECT_EQ(0, mouse.CurrentAction());
  for (int t = 0; t < kMapTracks; t++) EXPECT_EQ(0, ov.GetTrackCount(t));
  EXPECT_TRUE(win.notes.empty());
}

TEST_F(MouseTest, CancellingAnAddKeepsAnEarlierTrack) {
  ov.SetTrackEditable(0, true, false);
  uint32_t x, y;
  World(X(100), Y(100), &x, &y);
  ov.InsertTrackPoint(0, x, y, -1, false);
  mouse.SetMouseMode(0, 4);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(300), Y(300));
  ASSERT_EQ(2, ov.GetTrackCount(0));
  mouse.MouseProc(kMapMsgMouseMove, 1, X(320), Y(310));
  mouse.OnKeyDown(kMapVkEscape);
  // the track held a point before: only the new one goes
  EXPECT_EQ(1, ov.GetTrackCount(0));
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_ADDPOINT, win.notes[0].code);
  EXPECT_EQ((int32_t)0x80000001u, win.notes[0].state);
  EXPECT_EQ(0, ov.selIndex);
}

TEST_F(MouseTest, CancellingTheFirstAddClearsTheTrack) {
  ov.SetTrackEditable(1, true, false);
  mouse.SetMouseMode(0, 4);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(300), Y(300));
  ASSERT_EQ(2, ov.GetTrackCount(1));
  mouse.OnKeyDown(kMapVkEscape);
  EXPECT_EQ(0, ov.GetTrackCount(1));
  EXPECT_EQ(-1, ov.selTrack);
}

TEST_F(MouseTest, MovingAHoveredPoint) {
  win.style = kMapStylePickPoints;
  ov.SetTrackEditable(2, true, false);
  uint32_t x, y;
  World(X(400), Y(300), &x, &y);
  ov.InsertTrackPoint(2, x, y, -1, false);
  ov.InsertTrackPoint(2, x + 100000, y, -1, false);
  mouse.MouseProc(kMapMsgMouseMove, 0, X(402), Y(298));
  EXPECT_EQ(2, ov.hoverTrack);
  EXPECT_EQ(0, ov.hoverIndex);
  EXPECT_EQ(kMapCursorCross, win.cursor);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(402), Y(298));
  EXPECT_EQ(5, mouse.CurrentAction());
  mouse.MouseProc(kMapMsgMouseMove, 1, X(403), Y(298));  // under two pixels: nothing
  uint32_t mx, my;
  ov.GetTrackPoint(2, &mx, &my, 0);
  EXPECT_EQ(x, mx);
  mouse.MouseProc(kMapMsgMouseMove, 1, X(450), Y(320));
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(450), Y(320));
  uint32_t ex, ey;
  World(X(450), Y(320), &ex, &ey);
  ov.GetTrackPoint(2, &mx, &my, 0);
  EXPECT_EQ(ex, mx);
  EXPECT_EQ(ey, my);
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_MOVEPOINT, win.notes[0].code);
  EXPECT_EQ(0, win.notes[0].state);
  EXPECT_EQ(ex, win.notes[0].x1);
  EXPECT_EQ(x, win.notes[0].x2);
  EXPECT_TRUE(ov.IsTrackModified(2));
}

TEST_F(MouseTest, ClickOnAPointWithoutDragPutsItBack) {
  win.style = kMapStylePickPoints;
  ov.SetTrackEditable(2, true, false);
  uint32_t x, y;
  World(X(400), Y(300), &x, &y);
  ov.InsertTrackPoint(2, x, y, -1, false);
  mouse.MouseProc(kMapMsgMouseMove, 0, X(400), Y(300));
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(400), Y(300));
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(400), Y(300));
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_MOVEPOINT, win.notes[0].code);
  EXPECT_EQ(1, win.notes[0].state);
  EXPECT_FALSE(ov.IsTrackModified(2));
}

TEST_F(MouseTest, CtrlClickOnAPointAddsBehindIt) {
  win.style = kMapStylePickPoints;
  ov.SetTrackEditable(0, true, false);
  for (int i = 0; i < 3; i++) {
    uint32_t x, y;
    World(X(100 + 100 * i), Y(300), &x, &y);
    ov.InsertTrackPoint(0, x, y, -1, false);
  }
  mouse.SetMouseMode(0, 4);
  mouse.MouseProc(kMapMsgMouseMove, kMapKeyControlFlag, X(200), Y(300));
  EXPECT_EQ(1, ov.hoverIndex);
  mouse.MouseProc(kMapMsgLButtonDown, 1 | kMapKeyControlFlag, X(200), Y(300));
  mouse.MouseProc(kMapMsgMouseMove, 1, X(250), Y(350));
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(250), Y(350));
  EXPECT_EQ(4, ov.GetTrackCount(0));
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ(2, win.notes[0].state);
  uint32_t ex, ey, mx, my;
  World(X(250), Y(350), &ex, &ey);
  ov.GetTrackPoint(0, &mx, &my, 2);
  EXPECT_EQ(ex, mx);
}

TEST_F(MouseTest, DeleteKey) {
  win.style = kMapStyleEditKeys;
  for (int i = 0; i < 3; i++) ov.InsertTrackPoint(6, 1000 * i, 5000, -1, false);
  ov.selTrack = 6, ov.selIndex = 2;  // the last one
  EXPECT_TRUE(mouse.OnKeyDown(kMapVkDelete));
  EXPECT_EQ(2, ov.GetTrackCount(6));
  EXPECT_EQ(1, ov.selIndex);  // the previous point
  ASSERT_EQ(1u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_DELETEPOINT, win.notes[0].code);
  EXPECT_EQ(2, win.notes[0].state);
  EXPECT_TRUE(mouse.OnKeyDown(kMapVkDelete));  // two points: the whole track
  EXPECT_EQ(0, ov.GetTrackCount(6));
  EXPECT_EQ(-1, ov.selTrack);
  EXPECT_EQ((int32_t)0x80000000u, win.notes.back().state);
  // a lone point: cleared, no selection left on an empty track
  ov.InsertTrackPoint(6, 1, 1, -1, false);
  ov.selTrack = 6, ov.selIndex = 0;
  EXPECT_TRUE(mouse.OnKeyDown(kMapVkDelete));
  EXPECT_EQ(0, ov.GetTrackCount(6));
  EXPECT_EQ(-1, ov.selTrack);
  EXPECT_EQ(-1, ov.selIndex);
  EXPECT_FALSE(mouse.OnKeyDown(kMapVkDelete));
  // without the editing style nothing happens
  win.style = 0;
  ov.InsertTrackPoint(6, 1, 1, -1, false);
  ov.InsertTrackPoint(6, 2, 2, -1, false);
  ov.InsertTrackPoint(6, 3, 3, -1, false);
  ov.selTrack = 6, ov.selIndex = 0;
  EXPECT_FALSE(mouse.OnKeyDown(kMapVkDelete));
  EXPECT_EQ(3, ov.GetTrackCount(6));
}

TEST_F(MouseTest, PickReportsStartAndEnd) {
  win.style = kMapStyleDragNotify;
  mouse.SetMouseMode(1, 6);
  mouse.MouseProc(kMapMsgRButtonDown, 2, X(10), Y(20));
  EXPECT_EQ(6, mouse.CurrentAction());
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(30), Y(40));  // not its button
  EXPECT_EQ(6, mouse.CurrentAction());
  mouse.MouseProc(kMapMsgMouseMove, 2, X(30), Y(40));
  mouse.MouseProc(kMapMsgRButtonUp, 0, X(30), Y(40));
  ASSERT_EQ(3u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_DRAGGING, win.notes[1].code);
  EXPECT_EQ(6, win.notes[1].state);
  EXPECT_EQ((unsigned)MAPN_PICK, win.notes[2].code);
  uint32_t x, y;
  World(X(30), Y(40), &x, &y);
  EXPECT_EQ(x, win.notes[2].x2);
}

TEST_F(MouseTest, LosingTheCaptureCancelsOnce) {
  win.reenter = &mouse;
  mouse.SetMouseMode(0, 2);
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(10), Y(10));
  mouse.MouseProc(kMapMsgMouseMove, 1, X(40), Y(40));
  mouse.MouseProc(kMapMsgLButtonUp, 0, X(40), Y(40));
  ASSERT_EQ(1u, win.notes.size());  // our own release is no loss
  EXPECT_EQ(0, win.notes[0].state);
  // another window takes the mouse in the middle of a selection
  mouse.MouseProc(kMapMsgLButtonDown, 1, X(10), Y(10));
  win.captured = false;
  mouse.OnCaptureLost();
  ASSERT_EQ(2u, win.notes.size());
  EXPECT_EQ((unsigned)MAPN_SELECTION, win.notes[1].code);
  EXPECT_EQ(1, win.notes[1].state);
  EXPECT_EQ(0, mouse.CurrentAction());
  EXPECT_EQ(0, win.xorCalls % 2);
  // and a new action can start
  EXPECT_TRUE(mouse.MouseProc(kMapMsgLButtonDown, 1, X(10), Y(10)));
  EXPECT_EQ(2, mouse.CurrentAction());
}

TEST_F(MouseTest, CentreNotification) {
  MapNotifyData n = MapCentreNotify(win.view);
  EXPECT_EQ((unsigned)MAPN_SELECTION, n.code);
  EXPECT_EQ(0x22000000u, n.x1);
  EXPECT_EQ(0x16000000u, n.y1);
  EXPECT_NEAR(11.25, n.lon1, 1e-9);
  EXPECT_NEAR(48.9225, n.lat1, 1e-3);
  EXPECT_EQ(0u, n.x2);
  EXPECT_EQ(0.0, n.lon2);
}

}  // namespace
