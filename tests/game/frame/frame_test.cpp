// The main frame made in-process by a document template with a stand-in
// view: bars, owner-drawn menu items, the menu functions and their bounds,
// the private messages, on top and full screen.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "framework/afxwin.h"
#include "game/frame/frame_placement.h"
#include "game/frame/frameview.h"
#include "game/frame/mainframe.h"
#include "game/frame/menuapi.h"
#include "resources/resource.h"
#include "toolkit/dib.h"
#include "toolkit/dibfx.h"
#include "toolkit/toolbarnew.h"

namespace {

class CLinkDoc : public CDocument {
  DECLARE_DYNCREATE(CLinkDoc)
};
IMPLEMENT_DYNCREATE(CLinkDoc, CDocument)

// A view that hands the frame a game and records full-screen changes.
class CLinkView : public CView, public IFrameViewLink {
  DECLARE_DYNCREATE(CLinkView)
 public:
  void OnDraw(CDC*) override {}
  const game::GameConfig& GetGameConfig() const override { return config; }
  const game::GameState& GetGameState() const override { return state; }
  void SetFullScreenMode(int mode, const RECT&) override { modes += std::to_string(mode); }
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override {
    printed = pInfo->m_rectDraw;
    preview = pInfo->m_bPreview && pDC->IsPrinting();
  }
  CRect printed;
  bool preview = false;
  game::GameConfig config;
  game::GameState state;
  std::string modes;
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CLinkView, CView)
BEGIN_MESSAGE_MAP(CLinkView, CView)
END_MESSAGE_MAP()

class FrameApp : public CWinApp {
 public:
  FrameApp() : CWinApp("OrvaloFrameTest") {}
};

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    // each frame starts from a fresh key: the last one wrote its settings
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vexa\\OrvaloFrameTest");
    app.SetRegistryKey("Vexa");
    app.LoadStdProfileSettings(4);
    app.AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CLinkDoc), RUNTIME_CLASS(CMainFrame),
                                              RUNTIME_CLASS(CLinkView)));
    app.m_nCmdShow = SW_HIDE;
    CCommandLineInfo info;
    ASSERT_TRUE(app.ProcessShellCommand(info));
    frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    ASSERT_NE(nullptr, frame);
    view = dynamic_cast<CLinkView*>(frame->GetActiveView());
    ASSERT_NE(nullptr, view);
    baseline = frame->GetOwnerMenu().GetRecordCount();
  }
  void TearDown() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
  }
  HMENU Popup(const char* prefix) {
    HMENU bar = frame->GetMenuBar();
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
      char text[64] = "";
      GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
      if (strncmp(text, prefix, strlen(prefix)) == 0) return GetSubMenu(bar, i);
    }
    return nullptr;
  }
  static MENUITEMINFOA Item(HMENU menu, int pos) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, pos, TRUE, &mii);
    return mii;
  }
  FrameApp app;
  CMainFrame* frame = nullptr;
  CLinkView* view = nullptr;
  size_t baseline = 0;
};

TEST_F(Frame, BarsStandWhereTheyBelong) {
  CStatusBar& status = frame->GetStatusBar();
  ASSERT_EQ(4, status.GetCount());
  EXPECT_EQ(ID_INDICATOR_CAPS, status.GetItemID(1));
  EXPECT_EQ(ID_INDICATOR_SCRL, status.GetItemID(3));
  EXPECT_EQ(19, frame->GetToolBar().GetButtonCount());
  EXPECT_EQ(ID_PLAYER_NOBODY, frame->GetPlayerBar().GetItemID(0));
  EXPECT_EQ(static_cast<UINT>(ID_PLAYER_RESULTS), frame->GetPlayerBar().GetItemID(9));
  // the player bar's colour bits were set at creation; the message returns the old bits
  // (the mask keeps the value's low word out)
  EXPECT_EQ(0x10000000, frame->GetPlayerBar().SendMessage(TOOLBAR_SETEXTENDEDSTYLE, 0xFFFF0000, 0x10001000));
  EXPECT_EQ(0x10000000, frame->GetPlayerBar().SendMessage(TOOLBAR_SETEXTENDEDSTYLE, 0, 0x10000005));
  EXPECT_EQ(0x10000005, frame->GetPlayerBar().SendMessage(TOOLBAR_SETEXTENDEDSTYLE, 0xFFFF, 0));
  frame->SendMessage(WM_COMMAND, ID_VIEW_PLAYERBAR);
  ASSERT_TRUE(frame->GetPlayerBar().IsVisible());
  CRect tool, player;
  frame->GetToolBar().GetWindowRect(&tool);
  frame->GetPlayerBar().GetWindowRect(&player);
  frame->ScreenToClient(&player);
  frame->ScreenToClient(&tool);
  EXPECT_GE(player.left, 400);
  EXPECT_EQ(tool.top, player.top);  // beside the toolbar, in its row
}

TEST_F(Frame, TooltipsShowTheMenuText) {
  CToolBarNew& bar = frame->GetToolBar();
  EXPECT_EQ(nullptr, bar.GetToolTips());  // made with the first mouse move
  bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_NE(nullptr, bar.GetToolTips());
  char text[80] = "";
  TOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.hwnd = bar.m_hWnd;
  ti.uId = 1;  // the open button
  ti.lpszText = text;
  SendMessageA(bar.GetToolTips(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ("Track-Datei laden...", text);  // without "&" and "Strg+O"
}

TEST_F(Frame, PlayerBarFacesTakeThePlayerColours) {
  CToolBarNew& bar = frame->GetPlayerBar();
  view->config.colours[2] = 0x123456;
  frame->UpdatePlayerBar();
  for (int i = 0; i < bar.GetButtonCount(); i++) bar.SetButtonState(i, TRUE, FALSE);
  CSize size = bar.CalcFixedLayout(FALSE, TRUE);
  void* bits = nullptr;
  HDIB dib = DibCreate(nullptr, size.cx, size.cy, 32, &bits);
  ASSERT_NE(nullptr, dib);
  RECT rc = {0, 0, size.cx, size.cy};
  bar.Render(DibGetDC(dib), rc);
  GdiFlush();
  auto count = [&](int index, COLORREF c) {
    RECT b;
    bar.GetItemRect(index, &b);
    int n = 0;
    for (int y = b.top; y < b.bottom; y++)
      for (int x = b.left; x < b.right; x++) n += GetPixel(DibGetDC(dib), x, y) == c;
    return n;
  };
  EXPECT_GT(count(3, 0x123456), 20);  // player 3
  EXPECT_GT(count(1, game::GameConfig().colours[0]), 20);
  EXPECT_GT(count(0, 0xFFFFFF), 20);  // nobody: white
  EXPECT_GT(count(9, 0xC8FFFF), 20);  // results
  int key = 0;
  for (int i = 0; i < bar.GetButtonCount(); i++) key += count(i, 0xFF00FF);
  EXPECT_EQ(0, key);
  // disabled faces are tinted, not coloured
  bar.SetButtonState(3, FALSE, FALSE);
  bar.Render(DibGetDC(dib), rc);
  GdiFlush();
  EXPECT_EQ(0, count(3, 0x123456));
  DibFree(dib);
}

TEST_F(Frame, PopupItemsAreOwnerDrawn) {
  HMENU bar = frame->GetMenuBar();
  EXPECT_FALSE(Item(bar, 0).fType & MFT_OWNERDRAW);  // the bar stays the system's
  int strings = 0, separators = 0;
  for (int p = 0; p < GetMenuItemCount(bar); p++) {
    HMENU popup = GetSubMenu(bar, p);
    for (int i = 0; i < GetMenuItemCount(popup); i++) {
      MENUITEMINFOA mii = Item(popup, i);
      if (mii.wID >= MENU_RECENT_FIRST && mii.wID <= MENU_RECENT_LAST) continue;  // made when opened
      ASSERT_TRUE(mii.fType & MFT_OWNERDRAW) << p << "/" << i;
      if (mii.fType & MFT_SEPARATOR || mii.dwItemData == 0) {
        EXPECT_EQ(0u, mii.dwItemData);
        separators++;
      } else {
        EXPECT_EQ(1u, mii.dwItemData & 1) << mii.wID;
        strings++;
      }
    }
  }
  EXPECT_GE(strings, 35);
  EXPECT_GE(separators, 10);
  EXPECT_EQ(static_cast<size_t>(strings), baseline);
  // a toolbar command shows its button's image
  EXPECT_EQ(0, MenuGetItemImage(ID_FILE_OPEN));
  EXPECT_EQ(-1, MenuGetItemImage(ID_HELP_KEYBOARD));
  // the accelerators stand in one column: F5 and F9 alike
  MenuItemRecord* f5 = MenuFindItemByCommand(ID_GAME_NEXT);
  MenuItemRecord* f9 = MenuFindItemByCommand(ID_PLAYER_4);
  ASSERT_TRUE(f5 && f9);
  EXPECT_EQ(f5->accelWidth, f9->accelWidth);
  EXPECT_STREQ("Nächstes Spiel\tF5", f5->text);
}

TEST_F(Frame, DisabledItemsAreTintedAndEmbossed) {
  HMENU game = Popup("&Spiel");
  ASSERT_NE(nullptr, game);
  MENUITEMINFOA mii = Item(game, 0);  // "Nächstes Spiel", the next-game button's green image
  HDIB dib = DibCreate(nullptr, 300, 24, 32, nullptr);
  ASSERT_NE(nullptr, dib);
  HDC dc = DibGetDC(dib);
  auto draw = [&](UINT state) {
    DRAWITEMSTRUCT dis = {ODT_MENU, 0, mii.wID, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(game), dc,
                          {0, 0, 300, 24}, mii.dwItemData};
    frame->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    GdiFlush();
  };
  auto count = [&](int x0, int x1, auto pred) {
    int n = 0;
    for (int y = 0; y < 24; y++)
      for (int x = x0; x < x1; x++) n += pred(GetPixel(dc, x, y));
    return n;
  };
  auto green = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 40; };
  draw(0);
  EXPECT_GT(count(0, 24, green), 10);
  draw(ODS_GRAYED | ODS_DISABLED);
  EXPECT_EQ(0, count(0, 24, green));
  COLORREF back = GetPixel(dc, 299, 0);
  // the text twice: a light copy one pixel right and down under the dark one
  int dark = count(24, 200, [&](COLORREF c) { return c != back && GetRValue(c) < GetRValue(back) - 40; });
  int light = count(24, 200, [&](COLORREF c) { return c != back && GetRValue(c) >= GetRValue(back) - 40; });
  EXPECT_GT(dark, 20);
  EXPECT_GT(light, 5);
  DibFree(dib);
}

// A checked image gets its tick in the pens' colours, green when enabled
// and grey when disabled; the menu-style flag shows as a check state.
TEST_F(Frame, CheckedImagesShowATickAndTheStyleItsCheck) {
  HMENU game = Popup("&Spiel");
  ASSERT_NE(nullptr, game);
  MENUITEMINFOA mii = Item(game, 0);
  HDIB dib = DibCreate(nullptr, 300, 24, 32, nullptr);
  ASSERT_NE(nullptr, dib);
  HDC dc = DibGetDC(dib);
  auto exact = [&](UINT state, COLORREF colour) {
    DRAWITEMSTRUCT dis = {ODT_MENU, 0, mii.wID, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(game), dc,
                          {0, 0, 300, 24}, mii.dwItemData};
    frame->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    GdiFlush();
    int n = 0;
    for (int y = 0; y < 24; y++)
      for (int x = 0; x < 30; x++) n += GetPixel(dc, x, y) == colour;
    return n;
  };
  const COLORREF kDark = RGB(0, 128, 0), kLight = RGB(0, 255, 0), kGrey = RGB(128, 128, 128),
                 kPale = RGB(0xDE, 0xDE, 0xDE);
  int darkBefore = exact(0, kDark), lightBefore = exact(0, kLight);
  EXPECT_GT(exact(ODS_CHECKED, kDark), darkBefore + 4);
  EXPECT_GT(exact(ODS_CHECKED, kLight), lightBefore + 4);
  int greyBefore = exact(ODS_DISABLED, kGrey), paleBefore = exact(ODS_DISABLED, kPale);
  EXPECT_GT(exact(ODS_DISABLED | ODS_CHECKED, kGrey), greyBefore + 4);
  EXPECT_GT(exact(ODS_DISABLED | ODS_CHECKED, kPale), paleBefore + 4);
  EXPECT_EQ(0, exact(ODS_DISABLED | ODS_CHECKED, kLight));
  DibFree(dib);

  struct Probe : CCmdUI {
    int check = -1;
    void SetCheck(int n) override { check = n; }
  } ui;
  bool was = g_menuStyleFlat;
  MenuUpdateStyle(&ui);
  EXPECT_EQ(was ? 1 : 0, ui.check);
  MenuToggleStyle();
  MenuUpdateStyle(&ui);
  EXPECT_EQ(was ? 0 : 1, ui.check);
  MenuToggleStyle();
}

// A no-break space at the end of the text part marks the item, whether
// the record is made on opening or its text is set later.
TEST_F(Frame, NoBreakSpaceBeforeTheTabMarksTheItem) {
  HMENU game = Popup("&Spiel");
  ASSERT_NE(nullptr, game);
  ASSERT_TRUE(AppendMenuA(game, MF_STRING, 0x7701, "Karte\xA0\tStrg+K"));
  ASSERT_TRUE(AppendMenuA(game, MF_STRING, 0x7702, "Karte \tStrg+L"));
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(game), 0);
  const COwnerMenu& menus = frame->GetOwnerMenu();
  MenuItemRecord* marked = MenuFindItemByCommand(0x7701);
  MenuItemRecord* plain = MenuFindItemByCommand(0x7702);
  ASSERT_TRUE(marked && plain);
  EXPECT_TRUE(menus.IsNoBreak(marked));
  EXPECT_FALSE(menus.IsNoBreak(plain));
  ASSERT_EQ(1, MenuSetItemText(0x7702, "Ohne\xA0"));
  EXPECT_TRUE(menus.IsNoBreak(plain));
  ASSERT_EQ(1, MenuSetItemText(0x7701, "Karte\tStrg+K"));
  EXPECT_FALSE(menus.IsNoBreak(marked));
}

// An ordinary 32 x 32 icon becomes one menu image, scaled to the menu's
// image size; a bitmap of that size becomes one image as it is.
TEST_F(Frame, AddedIconIsScaledToOneImage) {
  const COwnerMenu& menus = frame->GetOwnerMenu();
  HIMAGELIST normal = menus.GetImageList(false), disabled = menus.GetImageList(true);
  int cx = menus.GetImageWidth(), cy = menus.GetImageHeight(), before = ImageList_GetImageCount(normal);
  // left half red, right half blue, nothing masked
  uint32_t* px = nullptr;
  HBITMAP colour = DibNewSection32(32, 32, &px);
  ASSERT_TRUE(colour && px);
  for (int i = 0; i < 32 * 32; i++) px[i] = i % 32 < 16 ? 0xFF0000u : 0x0000FFu;
  HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mask);
  PatBlt(mdc, 0, 0, 32, 32, BLACKNESS);
  SelectObject(mdc, old);
  DeleteDC(mdc);
  ICONINFO ii = {TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(nullptr, icon);
  int image = frame->MenuAddIcon(ID_EDIT_CLEARCACHE, icon);
  DestroyIcon(icon);
  DeleteObject(mask);
  DeleteObject(colour);
  EXPECT_EQ(before, image);
  EXPECT_EQ(before + 1, ImageList_GetImageCount(normal));
  EXPECT_EQ(before + 1, ImageList_GetImageCount(disabled));
  EXPECT_EQ(image, MenuGetItemImage(ID_EDIT_CLEARCACHE));

  HDIB dib = DibCreate(nullptr, 300, 24, 32, nullptr);
  ASSERT_NE(nullptr, dib);
  HDC dc = DibGetDC(dib);
  auto drawn = [&](int index, int x, int y) {
    PatBlt(dc, 0, 0, cx, cy, WHITENESS);
    ImageList_Draw(normal, index, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    return GetPixel(dc, x, y);
  };
  EXPECT_EQ(RGB(255, 0, 0), drawn(image, 1, cy / 2));
  EXPECT_EQ(RGB(0, 0, 255), drawn(image, cx - 2, cy / 2));

  HBITMAP green = DibNewSection32(cx, cy, &px);
  ASSERT_TRUE(green && px);
  for (int i = 0; i < cx * cy; i++) px[i] = 0x00FF00u;
  int second = frame->MenuAddBitmap(ID_GAME_RESET, green, RGB(0xC0, 0xC0, 0xC0));
  DeleteObject(green);
  EXPECT_EQ(image + 1, second);
  EXPECT_EQ(before + 2, ImageList_GetImageCount(disabled));
  EXPECT_EQ(second, MenuGetItemImage(ID_GAME_RESET));
  EXPECT_EQ(RGB(0, 255, 0), drawn(second, cx - 1, cy - 1));
  DibFree(dib);
}

TEST_F(Frame, RecentEntriesArePackedAndBounded) {
  std::string longPath = "C:\\" + std::string(300, 'x') + ".gpx";
  app.AddToRecentFileList(longPath.c_str());
  HMENU file = Popup("&Datei");
  ASSERT_NE(nullptr, file);
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  int found = 0;
  for (int i = 0; i < GetMenuItemCount(file); i++) {
    MENUITEMINFOA mii = Item(file, i);
    if (mii.wID < MENU_RECENT_FIRST || mii.wID > MENU_RECENT_LAST) continue;
    found++;
    EXPECT_EQ(0u, mii.dwItemData & 1);
    EXPECT_EQ((mii.wID - MENU_RECENT_FIRST) * 4, mii.dwItemData & 0xFF);
    EXPECT_GT(mii.dwItemData >> 16, 0u);
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, mii.wID, 0, 0, mii.dwItemData};
    frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ((mii.dwItemData >> 8) & 0xFF, mis.itemHeight);
  }
  EXPECT_GE(found, 1);
  EXPECT_EQ(63u, strlen(frame->GetOwnerMenu().GetRecentText(0)));
}

TEST_F(Frame, PrivateMessagesCheckWhatTheyAreGiven) {
  EXPECT_EQ(MENU_OWNERDRAW_ANSWER, frame->SendMessage(WM_MENU_OWNERDRAW_QUERY));
  // garbage: no menu, a wild pointer, a position beyond the popup
  EXPECT_EQ(0, frame->SendMessage(WM_MENU_FREE_RECORD, 0, 0x12345678));
  EXPECT_EQ(0, frame->SendMessage(WM_MENU_FREE_RECORD, 0, reinterpret_cast<LPARAM>(&baseline)));
  HMENU game = Popup("&Spiel");
  ASSERT_NE(nullptr, game);
  EXPECT_EQ(0, frame->SendMessage(WM_MENU_FREE_RECORD, 500, reinterpret_cast<LPARAM>(game)));
  EXPECT_EQ(baseline, frame->GetOwnerMenu().GetRecordCount());
  // a real item: just that record goes, and its data word is cleared
  EXPECT_EQ(1, frame->SendMessage(WM_MENU_FREE_RECORD, 0, reinterpret_cast<LPARAM>(game)));
  EXPECT_EQ(baseline - 1, frame->GetOwnerMenu().GetRecordCount());
  EXPECT_EQ(0u, Item(game, 0).dwItemData);
  EXPECT_EQ(0, frame->SendMessage(WM_MENU_FREE_RECORD, 0, reinterpret_cast<LPARAM>(game)));  // not twice
  EXPECT_EQ(baseline - 1, frame->GetOwnerMenu().GetRecordCount());
}

TEST_F(Frame, ItemTextsKeepTheirBounds) {
  std::string longText(200, 'a');
  ASSERT_EQ(1, MenuSetItemText(ID_HELP_KEYBOARD, longText.c_str()));
  MenuItemRecord* rec = MenuFindItemByCommand(ID_HELP_KEYBOARD);
  ASSERT_NE(nullptr, rec);
  EXPECT_EQ(std::string(63, 'a'), rec->text);
  EXPECT_EQ(-1, rec->tabPos);
  // only the accelerator part
  ASSERT_EQ(1, MenuSetItemText(ID_EDIT_COPY, "\tStrg+X"));
  rec = MenuFindItemByCommand(ID_EDIT_COPY);
  EXPECT_STREQ("&Kopieren\tStrg+X", rec->text);
  EXPECT_EQ(9, rec->tabPos);
  // a long text with a tab part: cut, terminated, the tab found again
  std::string withTab = std::string(60, 'b') + "\tStrg+Umschalt+X";
  MenuSetItemText(ID_EDIT_COPY, withTab.c_str());
  EXPECT_EQ(63u, strlen(rec->text));
  EXPECT_EQ(60, rec->tabPos);
  EXPECT_EQ(0, MenuSetItemText(0x7777, "x"));
  EXPECT_EQ(1, MenuSetItemImage(ID_HELP_KEYBOARD, 3));
  EXPECT_EQ(3, MenuGetItemImage(ID_HELP_KEYBOARD));
}

TEST_F(Frame, InsertedPopupIsACopyOfItsOwn) {
  HMENU source = CreatePopupMenu();
  HMENU nested = CreatePopupMenu();
  AppendMenuA(nested, MF_STRING, 41002, "Tief");
  AppendMenuA(source, MF_STRING, 41000, "Eins\tStrg+1");
  AppendMenuA(source, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(source, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), "Mehr");
  HMENU bar = frame->GetMenuBar();
  int entries = GetMenuItemCount(bar);
  ASSERT_EQ(1, MenuInsertPopup(40000, source, "&Extra", -1));
  ASSERT_EQ(entries + 1, GetMenuItemCount(bar));
  MENUITEMINFOA entry = Item(bar, entries - 1);  // before the last entry
  EXPECT_EQ(40000u, entry.wID);
  EXPECT_EQ(MENU_INSERTED_POPUP_DATA, entry.dwItemData);
  ASSERT_NE(source, entry.hSubMenu);
  EXPECT_NE(nested, GetSubMenu(entry.hSubMenu, 2));
  // opening the copy gives it records; inserting again replaces it
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(entry.hSubMenu), entries - 1);
  EXPECT_GT(frame->GetOwnerMenu().GetRecordCount(), baseline);
  ASSERT_EQ(1, MenuInsertPopup(40000, source, "&Extra", 999));
  EXPECT_EQ(entries + 1, GetMenuItemCount(bar));
  EXPECT_EQ(40000u, Item(bar, entries).wID);  // clamped to the end
  ASSERT_EQ(1, MenuRemovePopup(40000));
  EXPECT_EQ(entries, GetMenuItemCount(bar));
  EXPECT_EQ(baseline, frame->GetOwnerMenu().GetRecordCount());
  // the source is untouched and still usable
  ASSERT_TRUE(IsMenu(source) && IsMenu(nested));
  EXPECT_EQ(3, GetMenuItemCount(source));
  char text[32] = "";
  GetMenuStringA(source, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("Eins\tStrg+1", text);
  EXPECT_EQ(0, MenuRemovePopup(40000));
  DestroyMenu(source);
}

TEST_F(Frame, OnTopTogglesInPlace) {
  frame->ShowWindow(SW_SHOWNORMAL);
  CRect before, after;
  frame->GetWindowRect(&before);
  frame->SendMessage(WM_COMMAND, ID_VIEW_FIXWINDOW);
  EXPECT_TRUE(frame->IsOnTop());
  EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOPMOST);
  frame->GetWindowRect(&after);
  EXPECT_EQ(before, after);
  frame->SendMessage(WM_COMMAND, ID_VIEW_FIXWINDOW);
  EXPECT_FALSE(frame->GetExStyle() & WS_EX_TOPMOST);
}

// A run on one monitor after one on two leaves no monitor of the earlier run.
TEST_F(Frame, OneMonitorForgetsTheLastMonitor) {
  RECT rc = {100, 80, 900, 700};
  SaveStoredPlacement(false, rc, 1);
  SaveStoredPlacement(false, rc, -1);
  StoredPlacement stored;
  ASSERT_TRUE(LoadStoredPlacement(&stored));
  EXPECT_EQ(0, stored.monitor);
}

TEST_F(Frame, FullScreenGoesAndComesBack) {
  frame->ShowWindow(SW_SHOWNORMAL);
  frame->SendMessage(WM_COMMAND, ID_VIEW_PLAYERBAR);
  CRect before;
  frame->GetWindowRect(&before);
  DWORD style = frame->GetStyle();
  frame->SendMessage(WM_COMMAND, ID_VIEW_FULLSCREEN);
  EXPECT_EQ(1, frame->GetFullScreenState());
  EXPECT_EQ(0u, frame->GetStyle() & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_EQ(nullptr, ::GetMenu(frame->m_hWnd));
  EXPECT_FALSE(frame->GetToolBar().IsVisible());
  EXPECT_FALSE(frame->GetPlayerBar().IsVisible());
  EXPECT_FALSE(frame->GetStatusBar().IsVisible());
  EXPECT_FALSE(view->GetExStyle() & WS_EX_CLIENTEDGE);
  frame->SendMessage(WM_COMMAND, ID_VIEW_FULLSCREEN);
  EXPECT_EQ(0, frame->GetFullScreenState());
  CRect after;
  frame->GetWindowRect(&after);
  EXPECT_EQ(before, after);
  EXPECT_EQ(style & 0xFFFF0000, frame->GetStyle() & 0xFFFF0000);
  EXPECT_EQ(frame->GetMenuBar(), ::GetMenu(frame->m_hWnd));
  EXPECT_TRUE(frame->GetToolBar().IsVisible() && frame->GetPlayerBar().IsVisible());
  EXPECT_TRUE(view->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_EQ("10", view->modes);
}

TEST_F(Frame, TitleOfTheProgramStaysUntilTheDocumentChanges) {
  frame->SetWindowText("Spiel 3");
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  CString title;
  frame->GetWindowText(title);
  EXPECT_STREQ("Spiel 3", title);
  view->GetDocument()->SetTitle("Zwei");
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  frame->GetWindowText(title);
  EXPECT_STREQ("Zwei - Orvalo", title);
}

TEST_F(Frame, PreviewDrawsOnePageWithoutAPrinter) {
  frame->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
  HWND preview = FindWindowA(nullptr, "Seitenansicht");
  ASSERT_NE(nullptr, preview);
  EXPECT_TRUE(view->preview);
  // this Wine has no printer: A4 portrait at 600 dpi
  EXPECT_EQ(CRect(0, 0, AFX_PREVIEW_A4_WIDTH, AFX_PREVIEW_A4_HEIGHT), view->printed);
  DestroyWindow(preview);
}

}  // namespace

TEST(MenuImages, TheCommandTableKeeps512) {
  COwnerMenu menus;
  ToolbarResource res;
  res.width = 16;
  res.height = 15;
  for (UINT i = 0; i < 600; i++) res.ids.push_back(40000 + i);
  HDIB dib = DibCreate(nullptr, 16 * 600, 15, 32, nullptr);
  HBITMAP bmp = DibCopyToBitmap(dib);
  DibFree(dib);
  ASSERT_TRUE(menus.AddToolbar(res, bmp));
  DeleteObject(bmp);
  EXPECT_EQ(MENU_MAX_COMMANDS, menus.GetCommandCount());
  EXPECT_EQ(511, menus.ImageOfCommand(40511));
  EXPECT_EQ(-1, menus.ImageOfCommand(40512));  // beyond the table: no image
}
