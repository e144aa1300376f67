// Document, view and frame made by a single-document template; the
// command route view -> document -> frame -> application; menu items
// updated through CCmdUI and read back from the real menu; accelerators
// through the application's pump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/afxwin.h"

namespace {

std::vector<std::string> g_log;
int g_docsDeleted = 0, g_viewsDeleted = 0, g_framesDeleted = 0;
bool g_disableViewCmd = true;

class CTestDoc : public CDocument {
  DECLARE_DYNCREATE(CTestDoc)
 public:
  ~CTestDoc() override { ++g_docsDeleted; }
  void OnDocCmd() { g_log.push_back("doc"); }
  void OnShared() { g_log.push_back("doc.shared"); }
  void OnUpdateDoc(CCmdUI* p) { p->SetCheck(1); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestDoc, CDocument)
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
  ON_COMMAND(1002, OnDocCmd)
  ON_COMMAND(1005, OnShared)
  ON_UPDATE_COMMAND_UI(1002, OnUpdateDoc)
END_MESSAGE_MAP()

class CTestView : public CView {
  DECLARE_DYNCREATE(CTestView)
 public:
  ~CTestView() override { ++g_viewsDeleted; }
  void OnDraw(CDC*) override {}
  void OnViewCmd() { g_log.push_back("view"); }
  BOOL OnViewEx(UINT id) {
    g_log.push_back("view.ex" + std::to_string(id));
    return FALSE;  // let the route go on
  }
  void OnUpdateView(CCmdUI* p) { p->Enable(!g_disableViewCmd); }
  void OnUpdatePane(CCmdUI* p) { p->Enable(!g_disableViewCmd); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestView, CView)
BEGIN_MESSAGE_MAP(CTestView, CView)
  ON_COMMAND(1001, OnViewCmd)
  ON_COMMAND_EX(1006, OnViewEx)
  ON_UPDATE_COMMAND_UI(1001, OnUpdateView)
  ON_UPDATE_COMMAND_UI(900, OnUpdatePane)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CTestFrame)
 public:
  ~CTestFrame() override { ++g_framesDeleted; }
  void OnFrameCmd() { g_log.push_back("frame"); }
  void OnShared() { g_log.push_back("frame.shared"); }
  void OnEx() { g_log.push_back("frame.ex"); }
  void OnUpdateFrame(CCmdUI* p) { p->SetText("Rahmen geändert"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_COMMAND(1003, OnFrameCmd)
  ON_COMMAND(1005, OnShared)
  ON_COMMAND(1006, OnEx)
  ON_COMMAND(1007, OnShared)
  ON_UPDATE_COMMAND_UI(1003, OnUpdateFrame)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp("Test") {}
  void OnAppCmd() { g_log.push_back("app"); }
  void OnShared() { g_log.push_back("app.shared"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
  ON_COMMAND(1004, OnAppCmd)
  ON_COMMAND(1005, OnShared)
  ON_COMMAND(1007, OnShared)
END_MESSAGE_MAP()

class DocView : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    g_docsDeleted = g_viewsDeleted = g_framesDeleted = 0;
    g_disableViewCmd = true;
    app.AddDocTemplate(new CSingleDocTemplate(500, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestFrame),
                                              RUNTIME_CLASS(CTestView)));
    app.m_nCmdShow = SW_HIDE;  // hiding a shown window costs seconds under Wine without a window manager
    CCommandLineInfo info;
    ASSERT_TRUE(app.ProcessShellCommand(info));
    frame = dynamic_cast<CTestFrame*>(app.m_pMainWnd);
    ASSERT_NE(nullptr, frame);
  }
  void TearDown() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
  }
  void Send(UINT id) { frame->SendMessage(WM_COMMAND, id, 0); }
  // runs the application's pump until the queue is empty
  void PumpAll() {
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) app.PumpMessage();
  }
  CTestApp app;
  CTestFrame* frame = nullptr;
};

TEST_F(DocView, TemplateBuildsDocumentViewAndFrame) {
  CView* view = frame->GetActiveView();
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(CTestView)));
  EXPECT_TRUE(view->GetDocument()->IsKindOf(RUNTIME_CLASS(CTestDoc)));
  EXPECT_EQ(frame, view->GetParentFrame());
  CString title;
  frame->GetWindowText(title);
  EXPECT_STREQ("Unbenannt - Test", title);  // the template's document name is empty
  // the view fills the client area
  CRect rc, rv;
  frame->GetClientRect(&rc);
  view->GetWindowRect(&rv);
  EXPECT_EQ(rc.Size(), rv.Size());
  EXPECT_TRUE(view->GetExStyle() & WS_EX_CLIENTEDGE);
  CString part;
  POSITION pos = app.GetFirstDocTemplatePosition();
  EXPECT_TRUE(app.GetNextDocTemplate(pos)->GetDocString(part, CDocTemplate::filterName));
  EXPECT_STREQ("Testdateien", part);
}

TEST_F(DocView, RouteIsViewDocumentFrameApplication) {
  g_disableViewCmd = false;
  for (UINT id : {1001u, 1002u, 1003u, 1004u, 1005u, 1006u, 1007u, 1099u}) Send(id);
  EXPECT_EQ((std::vector<std::string>{"view", "doc", "frame", "app", "doc.shared", "view.ex1006", "frame.ex",
                                      "frame.shared"}),
            g_log);
}

TEST_F(DocView, DisabledCommandIsDropped) {
  Send(1001);
  EXPECT_TRUE(g_log.empty());
  g_disableViewCmd = false;
  Send(1001);
  EXPECT_EQ(std::vector<std::string>{"view"}, g_log);
}

TEST_F(DocView, MenuItemsFollowUpdateHandlers) {
  HMENU bar = ::GetMenu(frame->m_hWnd);
  ASSERT_NE(nullptr, bar);
  HMENU popup = ::GetSubMenu(bar, 0);
  ASSERT_NE(nullptr, popup);
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_TRUE(::GetMenuState(popup, 1001, MF_BYCOMMAND) & MF_GRAYED);
  UINT doc = ::GetMenuState(popup, 1002, MF_BYCOMMAND);
  EXPECT_TRUE(doc & MF_CHECKED);
  EXPECT_FALSE(doc & MF_GRAYED);
  EXPECT_FALSE(::GetMenuState(popup, 1004, MF_BYCOMMAND) & MF_GRAYED);  // a handler, no update
  EXPECT_TRUE(::GetMenuState(popup, 1010, MF_BYCOMMAND) & MF_GRAYED);   // no handler at all
  char text[64];
  ::GetMenuStringA(popup, 1003, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("Rahmen geändert", text);

  // idle time brings the new state to a shown frame without opening the menu
  g_disableViewCmd = false;
  app.OnIdle(0);
  EXPECT_TRUE(::GetMenuState(popup, 1001, MF_BYCOMMAND) & MF_GRAYED);  // hidden: not updated
  frame->ShowWindow(SW_SHOWNA);
  app.OnIdle(0);
  EXPECT_FALSE(::GetMenuState(popup, 1001, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(DocView, AcceleratorsThroughThePump) {
  g_disableViewCmd = false;
  CView* view = frame->GetActiveView();
  view->PostMessage(WM_KEYDOWN, VK_F3, 0x003D0001);
  PumpAll();
  EXPECT_EQ(std::vector<std::string>{"frame"}, g_log);
  g_disableViewCmd = true;  // Ctrl+Q's command is disabled now: nothing happens
  g_log.clear();
  BYTE keys[256];
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  view->PostMessage(WM_KEYDOWN, 'Q', 0x00100001);
  PumpAll();
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
  EXPECT_TRUE(g_log.empty());
}

TEST_F(DocView, ClosingTheFrameEndsViewAndDocument) {
  frame->SendMessage(WM_CLOSE);
  EXPECT_EQ(nullptr, app.m_pMainWnd);
  EXPECT_EQ(1, g_framesDeleted);
  EXPECT_EQ(1, g_viewsDeleted);
  EXPECT_EQ(1, g_docsDeleted);
  POSITION pos = app.GetFirstDocTemplatePosition();
  EXPECT_EQ(nullptr, app.GetNextDocTemplate(pos)->GetFirstDocPosition());
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the main window's end quits
}

TEST_F(DocView, RecentFilesReachTheMenu) {
  CDocument* doc = frame->GetActiveDocument();
  // no registry key: the list lives in memory
  app.LoadStdProfileSettings(4);
  doc->SetPathName("eins.tst");
  doc->SetPathName("zwei.tst");
  doc->SetPathName("EINS.tst");  // the same file moves to the top
  ASSERT_NE(nullptr, app.m_pRecentFileList);
  CString first = (*app.m_pRecentFileList)[0];
  EXPECT_EQ(first.GetLength() - 8, first.Find("EINS.tst"));
  EXPECT_NE(-1, (*app.m_pRecentFileList)[1].Find("zwei.tst"));
  EXPECT_TRUE((*app.m_pRecentFileList)[2].IsEmpty());
  EXPECT_STREQ("EINS.tst - Test", [&] { CString t; frame->GetWindowText(t); return t; }());

  CMenu popup;
  popup.CreatePopupMenu();
  popup.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, "Zuletzt verwendet");
  popup.AppendMenu(MF_SEPARATOR);
  popup.AppendMenu(MF_STRING, ID_APP_EXIT, "Beenden");
  frame->UpdateMenuCmdUI(&popup, TRUE);
  ASSERT_EQ(4u, popup.GetMenuItemCount());
  CString t;
  popup.GetMenuString(0, t, MF_BYPOSITION);
  EXPECT_STREQ("&1 EINS.tst", t);
  popup.GetMenuString(1, t, MF_BYPOSITION);
  EXPECT_STREQ("&2 zwei.tst", t);
  EXPECT_EQ(ID_FILE_MRU_FILE2, popup.GetMenuItemID(1));
  EXPECT_EQ(ID_APP_EXIT, popup.GetMenuItemID(3));
}

// A bar of a fixed size.
class CBlockBar : public CControlBar {
 public:
  CBlockBar(int cx, int cy) : size_(cx, cy) {}
  BOOL Create(CWnd* parent, UINT id) {
    return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), parent, id);
  }
  CSize CalcFixedLayout(BOOL, BOOL) override { return size_; }
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

 private:
  CSize size_;
};

CRect ClientRectOf(CWnd* w, CWnd* parent) {
  CRect r;
  w->GetWindowRect(&r);
  parent->ScreenToClient(&r);
  return r;
}

TEST_F(DocView, TopBarsStandInRows) {
  CBlockBar tools(150, 24), players(100, 30), third(80, 20);
  ASSERT_TRUE(tools.Create(frame, 0xE800));
  ASSERT_TRUE(players.Create(frame, 140));
  ASSERT_TRUE(third.Create(frame, 141));
  frame->EnableDocking(CBRS_ALIGN_ANY);
  tools.EnableDocking(CBRS_ALIGN_ANY);
  players.EnableDocking(CBRS_ALIGN_ANY);
  frame->DockControlBar(&tools);
  CPoint at(400, 1);
  frame->ClientToScreen(&at);
  CRect where(at, CSize(10, 10));
  frame->DockControlBar(&players, AFX_IDW_DOCKBAR_TOP, &where);  // beside the first bar
  frame->DockControlBar(&third, AFX_IDW_DOCKBAR_TOP);              // a row of its own
  // the last bar of a row reaches the edge, so that the row is painted whole
  CRect client;
  frame->GetClientRect(&client);
  EXPECT_EQ(CRect(0, 0, 150, 24), ClientRectOf(&tools, frame));
  EXPECT_EQ(CRect(400, 0, client.right, 30), ClientRectOf(&players, frame));
  EXPECT_EQ(CRect(0, 30, client.right, 50), ClientRectOf(&third, frame));
  EXPECT_EQ(50, ClientRectOf(frame->GetActiveView(), frame).top);

  frame->ShowControlBar(&tools, FALSE, FALSE);  // the row keeps the other bar in its place
  EXPECT_EQ(CRect(400, 0, client.right, 30), ClientRectOf(&players, frame));
  frame->ShowControlBar(&players, FALSE, FALSE);
  EXPECT_EQ(CRect(0, 0, client.right, 20), ClientRectOf(&third, frame));  // the empty row closes
  EXPECT_EQ(20, ClientRectOf(frame->GetActiveView(), frame).top);
  frame->DestroyWindow();
}

std::string PaneText(HWND bar, int i) {
  char buf[128] = "";
  if (LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, i, 0)) < sizeof buf) SendMessageA(bar, SB_GETTEXTA, i, (LPARAM)buf);
  return buf;
}

TEST_F(DocView, StatusBarTakesItsRoomAndFollowsUpdates) {
  CStatusBar* bar = new CStatusBar;  // lives as long as the frame, like a member would
  ASSERT_TRUE(bar->Create(frame));
  static const UINT ids[] = {ID_SEPARATOR, 900, ID_INDICATOR_CAPS};
  EXPECT_TRUE(bar->SetIndicators(ids, 3));
  frame->RecalcLayout();
  CView* view = frame->GetActiveView();
  CRect client, rv, rb;
  frame->GetClientRect(&client);
  view->GetWindowRect(&rv);
  bar->GetWindowRect(&rb);
  frame->ScreenToClient(&rv);
  frame->ScreenToClient(&rb);
  EXPECT_GT(rb.Height(), 0);
  EXPECT_EQ(client.bottom, rb.bottom);   // the bar sits at the bottom edge
  EXPECT_EQ(rb.top, rv.bottom);          // the view ends where it starts
  EXPECT_EQ(client.Width(), rb.Width());

  frame->SetMessageText("Bereit");
  EXPECT_EQ("Bereit", PaneText(bar->m_hWnd, 0));
  EXPECT_EQ(1, bar->CommandToIndex(900));
  EXPECT_EQ("Spieler", PaneText(bar->m_hWnd, 1));
  g_disableViewCmd = true;
  bar->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ("", PaneText(bar->m_hWnd, 1));  // disabled: shown empty
  g_disableViewCmd = false;
  bar->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ("Spieler", PaneText(bar->m_hWnd, 1));
  EXPECT_EQ((GetKeyState(VK_CAPITAL) & 1) ? "UF" : "", PaneText(bar->m_hWnd, 2));

  frame->ShowControlBar(bar, FALSE, FALSE);
  view->GetWindowRect(&rv);
  frame->ScreenToClient(&rv);
  EXPECT_EQ(client.bottom, rv.bottom);  // the view has the whole client area again
  frame->DestroyWindow();
  EXPECT_EQ(nullptr, bar->m_hWnd);
  delete bar;
}

}  // namespace
