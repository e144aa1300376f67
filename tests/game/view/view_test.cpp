// The game view in this process: made by the program's document template
// with frame and map window, driven by commands and notifications, closed;
// the registry is the real (Wine) one below a test key.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "files/regkey.h"
#include "game/app/orvalo_app.h"
#include "game/app/orvalo_doc.h"
#include "game/frame/mainframe.h"
#include "game/view/orvalo_view.h"
#include "game/view/view_art.h"
#include "map/mapmouse.h"
#include "map/tileworker.h"
#include "resources/resource.h"
#include "tests/support/testenv.h"
#include "tests/support/winpump.h"

// the document's commands reach the application through it
COrvaloApp theApp;

namespace {

const char kKey[] = "Software\\Vexa-Test\\OrvaloView";

DWORD KeyDword(const char* sub, const char* name, DWORD def = 0xDEADBEEF) {
  std::string path = std::string(kKey) + (sub ? std::string("\\") + sub : "");
  DWORD v = def, size = 4;
  RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &v, &size);
  return v;
}

void PutDword(const char* sub, const char* name, DWORD v) {
  std::string path = std::string(kKey) + (sub ? std::string("\\") + sub : "");
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                                           nullptr));
  RegSetValueExA(k, name, 0, REG_DWORD, (const BYTE*)&v, 4);
  RegCloseKey(k);
}

void PutText(const char* sub, const char* name, const char* text) {
  std::string path = std::string(kKey) + "\\" + sub;
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                                           nullptr));
  RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
  RegCloseKey(k);
}

// Where the game folder has no welcome page the game options open by
// themselves: the tests answer them with Cancel.
LRESULT CALLBACK CancelOptions(int code, WPARAM w, LPARAM l) {
  char title[32];
  if (code == HCBT_ACTIVATE && GetWindowTextA((HWND)w, title, sizeof title) && !strcmp(title, "Spieloptionen"))
    PostMessageA((HWND)w, WM_COMMAND, IDCANCEL, 0);
  return CallNextHookEx(nullptr, code, w, l);
}

class GameView : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MapTilesInstall();
    theApp.AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COrvaloDoc), RUNTIME_CLASS(CMainFrame),
                                                 RUNTIME_CLASS(COrvaloView)));
    theApp.m_nCmdShow = SW_HIDE;
  }
  void SetUp() override {
    RegSetAppKeyPath("Vexa-Test", "OrvaloView");
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    // a table whose tiles nobody serves: the workers fail fast on a closed port
    PutText("Server", "Name00", "Eins");
    PutText("Server", "Server00", "127.0.0.1:9");
    PutText("Server", "Name01", "Zwei");
    PutText("Server", "Server01", "127.0.0.1:9");
    PutText("Layer", "Name00", "Ebene");
    PutText("Layer", "Server00", "127.0.0.1:9");
    PutText("GameOptions", "HtmInfoPath", "C:\\nowhere");
    cancelOptions = SetWindowsHookExA(WH_CBT, CancelOptions, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    Close();
    if (cancelOptions) UnhookWindowsHookEx(cancelOptions);
    view::SetRemoteThreadProc(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    RegSetAppKeyPath(nullptr, nullptr);
  }
  COrvaloView* Open() {
    CCommandLineInfo info;
    EXPECT_TRUE(theApp.ProcessShellCommand(info));
    frame = dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd);
    EXPECT_NE(nullptr, frame);
    v = frame ? dynamic_cast<COrvaloView*>(frame->GetActiveView()) : nullptr;
    EXPECT_NE(nullptr, v);
    return v;
  }
  void Close() {
    if (theApp.m_pMainWnd) theApp.m_pMainWnd->DestroyWindow();
    theApp.m_pMainWnd = nullptr;
    frame = nullptr;
    v = nullptr;
  }
  void Command(UINT id) { v->SendMessage(WM_COMMAND, id, 0); }
  CFrameWnd* frame = nullptr;
  COrvaloView* v = nullptr;
  HHOOK cancelOptions = nullptr;
};

TEST_F(GameView, HostsTheMapAndKeepsItsSettings) {
  ASSERT_TRUE(Open());
  CMapWnd& map = v->Map();
  ASSERT_TRUE(map.GetSafeHwnd());
  EXPECT_EQ((int)kMapWndId, map.GetDlgCtrlID());
  EXPECT_EQ(v->GetSafeHwnd(), ::GetParent(map.GetSafeHwnd()));
  CRect rv, rm;
  v->GetClientRect(&rv);
  map.GetClientRect(&rm);
  EXPECT_EQ(rv.Size(), rm.Size());
  // default style: drag with every button, wheel scrolls, on-map menu
  DWORD style = map.GetMapStyle();
  EXPECT_EQ(MAPS_DRAGLEFT | MAPS_DRAGRIGHT | MAPS_DRAGMIDDLE | MAPS_WHEELSCROLL | MAPS_MENU, style & 0xFF);
  EXPECT_EQ(2, v->BaseMapNames().GetCount());
  EXPECT_EQ(1, v->LayerNames().GetCount());
  EXPECT_EQ(4u, v->GetGameConfig().playerCount);
  EXPECT_EQ(game::kSelNobody, v->GetGameState().current);

  map.SetZoom(5);
  map.MoveTo(0x12345678 & 0x3FFFFFFF, 0x20000000, 1);
  uint32_t cx, cy;
  map.GetCentre(&cx, &cy);
  Command(ID_WHEEL_ZOOM);
  Command(ID_COORD_MINUTES);
  Command(ID_VIEW_OSMMENU);  // off
  Close();
  EXPECT_EQ(2u, KeyDword(nullptr, "WheelMode"));
  EXPECT_EQ(6u, KeyDword(nullptr, "CoordMode"));
  EXPECT_EQ(0u, KeyDword(nullptr, "OsmMenu"));
  EXPECT_EQ(5u, KeyDword(nullptr, "OsmZoom"));
  EXPECT_EQ(cx, KeyDword(nullptr, "OsmPosX"));
  EXPECT_EQ(cy, KeyDword(nullptr, "OsmPosY"));
  EXPECT_EQ(0u, KeyDword(nullptr, "ShowCoord"));
  EXPECT_EQ(0u, KeyDword(nullptr, "ComPort"));

  // two restarts keep the wheel zooming and the map where it was
  for (int restart = 0; restart < 2; restart++) {
    ASSERT_TRUE(Open());
    EXPECT_TRUE(v->Map().GetMapStyle() & MAPS_WHEELZOOM);
    EXPECT_FALSE(v->Map().GetMapStyle() & (MAPS_WHEELSCROLL | MAPS_MENU));
    EXPECT_EQ(5, v->Map().GetZoom());
    uint32_t x, y;
    v->Map().GetCentre(&x, &y);
    EXPECT_EQ(cx, x);
    EXPECT_EQ(cy, y);
    Close();
    EXPECT_EQ(2u, KeyDword(nullptr, "WheelMode"));
  }
}

TEST_F(GameView, MenuTicksFollowTheModes) {
  ASSERT_TRUE(Open());
  HMENU bar = ::GetMenu(frame->m_hWnd);
  ASSERT_NE(nullptr, bar);
  HMENU view = nullptr;
  for (int i = 0; i < ::GetMenuItemCount(bar) && !view; i++) {
    HMENU sub = ::GetSubMenu(bar, i);
    if (sub && ::GetMenuState(sub, ID_WHEEL_ZOOM, MF_BYCOMMAND) != (UINT)-1) view = sub;
  }
  ASSERT_NE(nullptr, view);
  auto ticked = [&](UINT id) {
    frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)view, 2);
    return (::GetMenuState(view, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  EXPECT_TRUE(ticked(ID_WHEEL_SCROLL));
  EXPECT_FALSE(ticked(ID_WHEEL_ZOOM));
  EXPECT_TRUE(ticked(ID_MOUSE_MOVEMAP));  // mode 0 drags as mode 1 does
  EXPECT_TRUE(ticked(ID_COORD_DECIMAL));
  EXPECT_TRUE(ticked(ID_VIEW_OSMMENU));
  Command(ID_WHEEL_ZOOM);
  Command(ID_MOUSE_MEASURE);
  Command(ID_COORD_DIRECTION);
  Command(ID_VIEW_OSMMENU);
  EXPECT_FALSE(ticked(ID_WHEEL_SCROLL));
  EXPECT_TRUE(ticked(ID_WHEEL_ZOOM));
  EXPECT_EQ(3, v->Map().GetMouseMode(0));
  EXPECT_TRUE(ticked(ID_MOUSE_MEASURE));
  EXPECT_FALSE(ticked(ID_MOUSE_MOVEMAP));
  EXPECT_TRUE(ticked(ID_COORD_DIRECTION));
  EXPECT_FALSE(ticked(ID_COORD_DECIMAL));
  EXPECT_FALSE(ticked(ID_VIEW_OSMMENU));
}

TEST_F(GameView, InfoPathKeepsTheLastFolder) {
  ASSERT_TRUE(Open());
  std::string a = orvtest::MakeTempDir("infoA"), b = orvtest::MakeTempDir("infoB");
  for (const std::string& f : {a, b}) {
    CreateDirectoryA((f + "\\Main").c_str(), nullptr);
    ASSERT_TRUE(orvtest::WriteFile(f + "\\Main\\Info.html", "<html></html>", 13));
  }
  v->SetInfoPath((a + "\\").c_str());
  EXPECT_STREQ(a.c_str(), v->GetInfoPath());  // without the separator
  v->SetInfoPath(b.c_str());
  EXPECT_STREQ(b.c_str(), v->GetInfoPath());
  EXPECT_STREQ(a.c_str(), v->GetOldInfoPath());
  EXPECT_STREQ(b.c_str(), v->GetGameConfig().infoPath);
  // a stored folder loses its trailing separators as a given one does
  PutText("GameOptions", "HtmInfoPath", (a + "\\/").c_str());
  v->LoadGameOptions();
  EXPECT_STREQ(a.c_str(), v->GetInfoPath());
  EXPECT_STREQ(a.c_str(), v->GetGameConfig().infoPath);
}

// The game options open by themselves only when, after the start-up's
// warnings, the game folder still has no welcome page.
int g_optionsSent = 0;
LRESULT CALLBACK SeeOptions(int code, WPARAM w, LPARAM l) {
  const CWPSTRUCT* c = reinterpret_cast<const CWPSTRUCT*>(l);
  if (code == HC_ACTION && c->message == WM_COMMAND && LOWORD(c->wParam) == ID_EDIT_GAMEOPTIONS) g_optionsSent++;
  return CallNextHookEx(nullptr, code, w, l);
}

TEST_F(GameView, StartupOptionsWaitForTheWalk) {
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, SeeOptions, nullptr, GetCurrentThreadId());
  for (bool pageArrives : {true, false}) {
    g_optionsSent = 0;
    ASSERT_TRUE(Open());
    // a warning of the walk holds the frame disabled
    frame->EnableWindow(FALSE);
    orvtest::PumpMessages(700);
    EXPECT_EQ(0, g_optionsSent);
    std::string folder = orvtest::MakeTempDir("walk");
    if (pageArrives) {
      CreateDirectoryA((folder + "\\Main").c_str(), nullptr);
      ASSERT_TRUE(orvtest::WriteFile(folder + "\\Main\\Info.html", "<html></html>", 13));
      v->SetInfoPath(folder.c_str());
    }
    frame->EnableWindow(TRUE);
    orvtest::PumpMessages(700);
    EXPECT_EQ(pageArrives ? 0 : 1, g_optionsSent) << pageArrives;
    Close();
  }
  UnhookWindowsHookEx(hook);
}

TEST_F(GameView, GarbageInTheRegistryStartsSanely) {
  PutDword(nullptr, "CoordMode", 3);
  PutDword(nullptr, "OsmZoom", 99);
  PutDword(nullptr, "OsmPosX", 0xFFFFFFFF);
  PutDword(nullptr, "WheelMode", 77);
  PutDword(nullptr, "ComPort", 0x80000000);
  PutDword("GameOptions", "GamersCount", 200);
  PutDword("GameOptions", "MaximalTime", 100000);
  PutDword("GameOptions", "Color02", 0xFF00FF00);
  PutDword("Server", "Select", 57);
  ASSERT_TRUE(Open());
  EXPECT_EQ(0, v->Settings().coordMode);
  EXPECT_EQ(0, v->Settings().comPort);
  EXPECT_EQ(8u, v->GetGameConfig().playerCount);
  EXPECT_EQ(999u, v->GetGameConfig().maxTime);
  EXPECT_EQ(0x00FF00u, v->GetGameConfig().colours[2]);
  EXPECT_LE(v->Map().GetZoom(), 22);
  EXPECT_TRUE(v->Map().GetMapStyle() & MAPS_WHEELSCROLL);
  uint32_t one = 0;
  v->BaseMapNames().GetData(0, &one, 4);
  EXPECT_EQ(1u, one);  // "Select" 57 chose the first
  Close();
  EXPECT_EQ(57u, KeyDword("Server", "Select"));
}

TEST_F(GameView, MapPopupCommandsWriteTheTable) {
  ASSERT_TRUE(Open());
  Command(kBaseMapCmdFirst + 1);
  EXPECT_EQ(1u, KeyDword("Server", "Select"));
  uint32_t d = 0;
  v->BaseMapNames().GetData(1, &d, 4);
  EXPECT_EQ(1u, d);
  Command(kLayerCmdFirst + 0);
  EXPECT_EQ(1u, KeyDword("Layer", "Select00"));
  EXPECT_EQ(1, v->Map().GetSource(1).server[0] != 0);
  Command(kLayerCmdFirst + 0);
  EXPECT_EQ(0u, KeyDword("Layer", "Select00"));
  // beyond the table: nothing changes, nothing is written
  v->PostMessage(WM_COMMAND, kBaseMapCmdFirst + 50, 0);
  v->PostMessage(WM_COMMAND, kLayerCmdFirst + 99, 0);
  orvtest::PumpMessages(50);
  EXPECT_EQ(1u, KeyDword("Server", "Select"));
  EXPECT_EQ(0xDEADBEEFu, KeyDword("Layer", "Select99"));
  EXPECT_EQ(0xDEADBEEFu, KeyDword("Server", "Select50"));
}

TEST_F(GameView, SelectionCopiedOnlyWhenARectangleEndsByTheMouse) {
  ASSERT_TRUE(Open());
  frame->ShowWindow(SW_SHOWNA);
  orvtest::PumpMessages(100);
  auto notify = [&](int state) {
    MapNotify n = {};
    n.hdr.hwndFrom = v->Map().GetSafeHwnd();
    n.hdr.idFrom = kMapWndId;
    n.hdr.code = MAPN_SELECTION;
    n.state = state;
    v->SendMessage(WM_NOTIFY, kMapWndId, (LPARAM)&n);
  };
  auto clipboardHasBitmap = [] {
    if (!OpenClipboard(nullptr)) return false;
    bool has = IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP);
    CloseClipboard();
    return has;
  };
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  // the centre notification (state 0 in mode 1) leaves the clipboard alone
  notify(0);
  EXPECT_FALSE(clipboardHasBitmap());
  Command(ID_MOUSE_COPYRECT);
  EXPECT_EQ(2, v->Map().GetMouseMode(0));
  notify(1);  // cancelled by Escape: nothing copied, the copy mode ends
  EXPECT_FALSE(clipboardHasBitmap());
  EXPECT_EQ(1, v->Map().GetMouseMode(0));
  Command(ID_MOUSE_COPYRECT);
  notify(0);
  EXPECT_EQ(1, v->Map().GetMouseMode(0));
  frame->ShowWindow(SW_HIDE);
}

TEST_F(GameView, FewerPlayersDropOutOfTheRound) {
  PutDword("GameOptions", "GamersCount", 6);
  ASSERT_TRUE(Open());
  game::PlayerSlot* p = v->Players();
  for (int i = 0; i < 6; i++) {
    p[i].guessLon = 10 + i;
    p[i].guessLat = 50;
    p[i].distance = 1000.0 * i;
    p[i].marker = v->Map().InsertMarker(-1, p[i].name, 10 + i, 50, 4 * i + 3, 0, FALSE);
  }
  v->State().current = 4;
  PutDword("GameOptions", "GamersCount", 3);
  // a game folder with its welcome page: no warning to answer
  std::string folder = orvtest::MakeTempDir("apply");
  CreateDirectoryA((folder + "\\Main").c_str(), nullptr);
  ASSERT_TRUE(orvtest::WriteFile(folder + "\\Main\\Info.html", "<html></html>", 13));
  PutText("GameOptions", "HtmInfoPath", folder.c_str());
  v->ApplyGameOptions();
  EXPECT_STREQ(folder.c_str(), v->GetInfoPath());
  EXPECT_EQ(3u, v->GetGameConfig().playerCount);
  EXPECT_EQ(game::kSelNobody, v->GetGameState().current);
  for (int i = 0; i < 3; i++) EXPECT_TRUE(p[i].HasGuess());
  for (int i = 3; i < 6; i++) {
    EXPECT_FALSE(p[i].HasGuess());
    EXPECT_EQ(game::kUnset, p[i].distance);
    EXPECT_TRUE(v->GetGameState().blocked[i]);
    double lon, lat;
    v->Map().GetMarker(p[i].marker, &lon, &lat, nullptr, 0);
    EXPECT_EQ(10.0 + i, lon);  // the marker index stays valid
  }
}

TEST_F(GameView, MarkerImagesFollowTheTintAndKeepGdiCount) {
  PutDword("GameOptions", "Color00", 0x000000);  // a black player
  ASSERT_TRUE(Open());
  view::ViewImages& img = v->Images();
  for (int kind = 0; kind < view::kMarkerKinds; kind++) ASSERT_NE(nullptr, img.Marker(kind)) << kind;
  EXPECT_NE(nullptr, img.Cursor(0));
  EXPECT_NE(nullptr, img.Pen(0));
  EXPECT_EQ(0u, img.MarkerColour(0));
  // the pixels of kind 0 are the pin tinted black, kind 17 the current
  // symbol in player 2's colour
  auto check = [&](int kind, const view::EmbeddedImage& src, game::Colour c) {
    DIBSECTION ds;
    ASSERT_EQ((int)sizeof ds, GetObject(img.Marker(kind), sizeof ds, &ds));
    ASSERT_EQ(src.width, ds.dsBm.bmWidth);
    const uint32_t* bits = (const uint32_t*)ds.dsBm.bmBits;
    for (int i = 0; i < src.width * src.height; i++) ASSERT_EQ(view::TintPixel(src.pixels[i], c), bits[i]) << i;
  };
  check(0, view::kArtPin, 0x000000);
  check(17, view::kArtCurrent, v->GetGameConfig().colours[1]);
  check(25, view::kArtBox, v->GetGameConfig().colours[1]);

  frame->ShowWindow(SW_SHOWNA);
  v->Map().InsertMarker(-1, "A", 11.25, 48.9, 0 * 4 + 3, 0, TRUE);
  orvtest::PumpMessages(100);
  DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 200; i++) {
    for (int kind : {0, 8, 16, 24, 32}) img.MakeMarker(kind, (i & 1) ? 0x102030 * (i % 7) : 0xFFFFFF, &v->Map());
    v->Map().UpdateWindow();
  }
  orvtest::PumpMessages(50);
  DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_LE(after, before + 2) << before << " -> " << after;
  // the map showing player 1's cursor gets the new one when it is remade
  v->Map().SetWindowCursor(img.Cursor(0));
  img.MakeMarker(0, 0x00FF00, &v->Map());
  EXPECT_EQ(img.Cursor(0), v->Map().WindowCursor());
  // a kind of the same colour is not made again
  HBITMAP b = img.Marker(8);
  EXPECT_FALSE(img.MakeMarker(8, img.MarkerColour(8), &v->Map()));
  EXPECT_EQ(b, img.Marker(8));
  frame->ShowWindow(SW_HIDE);
}

TEST_F(GameView, CopyTakesTheHighlightElseTheVisibleMap) {
  ASSERT_TRUE(Open());
  frame->ShowWindow(SW_SHOWNA);
  orvtest::PumpMessages(100);
  auto copied = [&] {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    Command(ID_EDIT_COPY);
  };
  auto size = [] {
    SIZE s = {0, 0};
    if (!OpenClipboard(nullptr)) return s;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
      const BITMAPINFOHEADER* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
      s = SIZE{bi->biWidth, abs(bi->biHeight)};
      GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
  };
  CRect client;
  v->Map().GetClientRect(&client);
  copied();
  SIZE all = size();
  EXPECT_EQ(client.Width(), all.cx);
  EXPECT_EQ(client.Height(), all.cy);
  uint32_t x1, y1, x2, y2;
  v->Map().ClientToWorld(100, 80, &x1, &y1);
  v->Map().ClientToWorld(300, 200, &x2, &y2);
  v->Map().SetHighlightRect(x1, y1, x2, y2, RGB(255, 0, 0));
  copied();
  SIZE part = size();
  EXPECT_NEAR(200, part.cx, 1);
  EXPECT_NEAR(120, part.cy, 1);
  frame->ShowWindow(SW_HIDE);
}

TEST_F(GameView, FileCommandsFollowTheTracks) {
  ASSERT_TRUE(Open());
  frame->ShowWindow(SW_SHOWNA);
  orvtest::PumpMessages(100);
  struct Probe : CCmdUI {
    int on = -1;
    void Enable(BOOL b) override { on = b ? 1 : 0; }
  };
  auto enabled = [&](UINT id) {
    Probe p;
    p.m_nID = id;
    p.DoUpdate(v, FALSE);
    return p.on;
  };
  EXPECT_EQ(1, enabled(ID_FILE_OPEN));
  EXPECT_EQ(0, enabled(ID_FILE_SAVE));
  EXPECT_EQ(0, enabled(ID_FILE_SAVE_AS));
  // a point added by a click marks its track modified
  v->Map().SetTrackEditable(1, TRUE, FALSE);
  v->Map().SetMouseMode(0, 4);
  v->Map().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 50));
  v->Map().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(60, 50));
  bool modified = false;
  for (int t = 0; t < kMapTracks; t++) modified = modified || v->Map().IsTrackModified(t);
  ASSERT_TRUE(modified);
  EXPECT_EQ(1, enabled(ID_FILE_SAVE));
  EXPECT_EQ(1, enabled(ID_FILE_SAVE_AS));
  // no slot 1..7 free: nothing to open into
  for (int t = 1; t <= 7; t++)
    if (v->Map().GetTrackCount(t) == 0) v->Map().InsertTrackPoint(t, 1u << 29, 1u << 29, 0, FALSE);
  EXPECT_EQ(0, enabled(ID_FILE_OPEN));
  v->Map().SetMouseMode(0, 0);
  frame->ShowWindow(SW_HIDE);
}

TEST_F(GameView, PrintKeepsAspectInsideTheMargins) {
  ASSERT_TRUE(Open());
  CRect client;
  v->Map().GetClientRect(&client);
  ASSERT_GT(client.Width(), 0);
  COrvaloView* pv = v;
  ASSERT_TRUE(pv->MakePrintImage());
  // A4 at 600 dpi in a memory DC, white
  const int W = 4960, H = 7016;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = W;
  bi.bmiHeader.biHeight = -H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP page = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(nullptr, page);
  int stride = (W * 3 + 3) & ~3;
  memset(bits, 0xFF, (size_t)stride * H);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, page);
  CDC* cdc = CDC::FromHandle(dc);
  RECT r = {0, 0, W, H};
  pv->PrintImageTo(cdc, r);
  GdiFlush();
  // the picture's extent: the first and last non-white rows and columns
  const uint8_t* p = (const uint8_t*)bits;
  auto white = [&](int x, int y) {
    const uint8_t* q = p + (size_t)y * stride + x * 3;
    return q[0] == 0xFF && q[1] == 0xFF && q[2] == 0xFF;
  };
  int top = -1, bottom = -1, left = -1, right = -1;
  for (int y = 0; y < H && top < 0; y += 1)
    if (!white(W / 2, y)) top = y;
  for (int y = H - 1; y >= 0 && bottom < 0; y--)
    if (!white(W / 2, y)) bottom = y;
  for (int x = 0; x < W && left < 0; x++)
    if (!white(x, H / 2)) left = x;
  for (int x = W - 1; x >= 0 && right < 0; x--)
    if (!white(x, H / 2)) right = x;
  EXPECT_GE(left, 10);
  EXPECT_GE(top, 10);
  EXPECT_LE(right, W - 11);
  EXPECT_LE(bottom, H - 11);
  double aspect = (double)(right - left + 1) / (bottom - top + 1);
  EXPECT_NEAR((double)client.Width() / client.Height(), aspect, 0.002);
  // the frame: black at its edges
  const uint8_t* q = p + (size_t)top * stride + (W / 2) * 3;
  EXPECT_EQ(0, q[0] | q[1] | q[2]);
  q = p + (size_t)(H / 2) * stride + left * 3;
  EXPECT_EQ(0, q[0] | q[1] | q[2]);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(page);
  pv->FreePrintImage();
}

// The remote thread's shared block: a thread that never answers is left
// after the bound and still finds its block alive; one that sends to this
// thread's window before answering is served while the view waits.
HANDLE g_release;
std::atomic<int> g_sawStop{0};
DWORD WINAPI NeverAnswers(LPVOID p) {
  view::RemoteShared* shared = static_cast<view::RemoteShared*>(p);
  WaitForSingleObject(g_release, 20000);
  g_sawStop = shared->stop.load();
  shared->Release();
  return 0;
}

DWORD WINAPI SendsBeforeAnswering(LPVOID p) {
  view::RemoteShared* shared = static_cast<view::RemoteShared*>(p);
  while (!shared->stop.load()) Sleep(10);
  // a command to the view, as the key box sends them
  SendMessageA(shared->window.load(), WM_USER + 7, 0, 0);
  shared->ack.store(1);
  shared->Release();
  return 0;
}

std::atomic<int> g_served{0};
LRESULT CALLBACK Served(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 7) g_served++;
  return DefWindowProcA(h, m, w, l);
}

TEST(RemoteLink, SilentThreadIsLeftWithinTheBound) {
  g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  view::SetRemoteThreadProc(NeverAnswers);
  view::RemoteShared* shared = new view::RemoteShared;
  HANDLE t = view::StartRemoteThread(shared);
  view::SetRemoteThreadProc(nullptr);
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(2, shared->refs.load());
  DWORD t0 = GetTickCount();
  EXPECT_FALSE(view::StopRemoteThread(shared, t));
  DWORD spent = GetTickCount() - t0;
  EXPECT_GE(spent, 2900u);
  EXPECT_LT(spent, 3500u);
  shared->Release();  // the view's reference: the thread's keeps the block
  SetEvent(g_release);
  for (int i = 0; i < 100 && !g_sawStop.load(); i++) Sleep(20);
  EXPECT_EQ(1, g_sawStop.load());
  CloseHandle(g_release);
}

TEST(RemoteLink, SentMessagesAreServedWhileWaiting) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Served;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RemoteLinkTarget";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("RemoteLinkTarget", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, w);
  view::SetRemoteThreadProc(SendsBeforeAnswering);
  view::RemoteShared* shared = new view::RemoteShared;
  shared->window.store(w);
  HANDLE t = view::StartRemoteThread(shared);
  view::SetRemoteThreadProc(nullptr);
  DWORD t0 = GetTickCount();
  EXPECT_TRUE(view::StopRemoteThread(shared, t));
  EXPECT_LT(GetTickCount() - t0, 1000u);
  EXPECT_EQ(1, g_served.load());
  shared->Release();
  DestroyWindow(w);
}

TEST_F(GameView, RemoteThreadEndsWithTheView) {
  ASSERT_TRUE(Open());
  DWORD t0 = GetTickCount();
  v->DestroyWindow();
  EXPECT_LT(GetTickCount() - t0, 500u);
}

}  // namespace
