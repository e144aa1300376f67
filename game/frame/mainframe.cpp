#include "game/frame/mainframe.h"

#include "files/regkey.h"
#include "game/frame/frameview.h"
#include "game/frame/menuapi.h"
#include "game/gamestate.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_INITMENUPOPUP()
  ON_WM_MEASUREITEM()
  ON_WM_DRAWITEM()
  ON_COMMAND(ID_VIEW_FLATTOOLBAR, OnViewFlatToolbar)
  ON_COMMAND(ID_VIEW_PLAYERBAR, OnViewPlayerBar)
  ON_COMMAND(ID_VIEW_FIXWINDOW, OnViewFixWindow)
  ON_COMMAND(ID_VIEW_FULLSCREEN, OnViewFullScreen)
  ON_UPDATE_COMMAND_UI(ID_VIEW_FLATTOOLBAR, OnUpdateViewFlatToolbar)
  ON_UPDATE_COMMAND_UI(ID_VIEW_PLAYERBAR, OnUpdateViewPlayerBar)
  ON_UPDATE_COMMAND_UI(ID_VIEW_FIXWINDOW, OnUpdateViewFixWindow)
  ON_MESSAGE(WM_MENU_FREE_RECORD, OnFreeMenuRecord)
  ON_MESSAGE(WM_MENU_OWNERDRAW_QUERY, OnOwnerDrawQuery)
END_MESSAGE_MAP()

namespace {

const char kSettings[] = "Settings";

DWORD ReadSetting(const char* name, DWORD def) {
  CRegistryKey key;
  DWORD v = def;
  if (key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ) && key.OpenSubKey(kSettings))
    key.ReadValue(&v, sizeof v, name, REG_DWORD);
  return v;
}

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

}  // namespace

CMainFrame::CMainFrame() {
  m_bFlatMode = ReadSetting("FlatMode", 1) != 0;
  m_bShowPlayerBar = ReadSetting("ShowGamerBar", 0) != 0;
}

CMainFrame::~CMainFrame() {
  CRegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) && key.OpenSubKey(kSettings, REGKEY_CREATE)) {
    DWORD flat = m_bFlatMode ? 1 : 0, bar = m_bShowPlayerBar ? 1 : 0;
    key.WriteValue(&flat, 4, "FlatMode", REG_DWORD);
    key.WriteValue(&bar, 4, "ShowGamerBar", REG_DWORD);
  }
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
  RestoreWindowPlacement(cs);
  return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs) {
  if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
  if (!m_wndStatusBar.Create(this, FRAME_STATUSBAR_STYLE, AFX_IDW_STATUS_BAR) ||
      !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0]))
    return -1;
  const CRect borders(2, 2, 2, 2);
  if (!m_wndToolBar.CreateEx(this, m_bFlatMode ? TOOLBAR_STYLE_FLAT : 0, FRAME_TOOLBAR_BAR_STYLE, borders,
                             AFX_IDW_CONTROLBAR_FIRST) ||
      !m_wndPlayerBar.CreateEx(this, m_bFlatMode ? TOOLBAR_STYLE_FLAT : 0, FRAME_TOOLBAR_BAR_STYLE, borders,
                               IDW_PLAYERBAR) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME) || !m_wndPlayerBar.LoadToolBar(IDR_PLAYERBAR))
    return -1;
  m_wndPlayerBar.SendMessage(TOOLBAR_SETEXTENDEDSTYLE, 0xFFFF0000, 0x10001000);

  m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
  m_wndPlayerBar.EnableDocking(CBRS_ALIGN_ANY);
  EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_wndToolBar);
  CPoint beside(400, 1);
  ClientToScreen(&beside);
  CRect at(beside, CSize(1, 1));
  DockControlBar(&m_wndPlayerBar, AFX_IDW_DOCKBAR_TOP, &at);
  RecalcLayout();

  const UINT images[] = {IDR_MAINFRAME};
  InitMenuImages(images, 1);
  UpdatePlayerBar();
  ShowControlBar(&m_wndPlayerBar, m_bShowPlayerBar, FALSE);
  return 0;
}

BOOL CMainFrame::InitMenuImages(const UINT* ids, int count) {
  if (!m_menus.LoadImages(AfxGetResourceHandle(), ids, count)) return FALSE;
  HMENU bar = GetMenuBar();
  if (bar) m_menus.MakeOwnerDraw(bar);
  return TRUE;
}

void CMainFrame::OnDestroy() {
  SaveWindowPlacement();
  CFrameWnd::OnDestroy();
}

IFrameViewLink* CMainFrame::ViewLink() const { return dynamic_cast<IFrameViewLink*>(GetActiveView()); }

void CMainFrame::UpdatePlayerBar() {
  game::GameConfig defaults;
  IFrameViewLink* link = ViewLink();
  const game::GameConfig& config = link ? link->GetGameConfig() : defaults;
  COLORREF colours[game::kMaxPlayers + 2];
  for (int i = 0; i < game::kMaxPlayers; i++) colours[i] = config.colours[i] & 0xFFFFFF;
  colours[game::kMaxPlayers] = 0xFFFFFF;
  colours[game::kMaxPlayers + 1] = 0xC8FFFF;
  m_wndPlayerBar.SetButtonColors(game::kMaxPlayers + 2, ID_PLAYER_1, colours, 0xFF00FF);
}

// ---- commands of the Ansicht menu

void CMainFrame::OnViewFlatToolbar() {
  m_bFlatMode = !m_bFlatMode;
  m_wndToolBar.SetFlat(m_bFlatMode);
  if (m_wndToolBar.IsVisible()) {
    // hidden and shown again so that it is drawn anew
    ShowControlBar(&m_wndToolBar, FALSE, TRUE);
    ShowControlBar(&m_wndToolBar, TRUE, FALSE);
  }
}

void CMainFrame::OnViewPlayerBar() {
  BOOL show = !m_wndPlayerBar.IsVisible();
  ShowControlBar(&m_wndPlayerBar, show, FALSE);
  m_bShowPlayerBar = show;
}

void CMainFrame::OnViewFixWindow() {
  m_bOnTop = !m_bOnTop;
  ::SetWindowPos(m_hWnd, m_bOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainFrame::OnUpdateViewFlatToolbar(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bFlatMode ? 1 : 0); }
void CMainFrame::OnUpdateViewPlayerBar(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_wndPlayerBar.IsVisible() ? 1 : 0); }
void CMainFrame::OnUpdateViewFixWindow(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bOnTop ? 1 : 0); }

// ---- owner-drawn menus

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
  CFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
  if (!bSysMenu && pPopupMenu) m_menus.OnInitPopup(pPopupMenu->m_hMenu);
}

void CMainFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
  if (lpMeasureItemStruct->CtlType == ODT_MENU && m_menus.Measure(lpMeasureItemStruct)) return;
  CFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

void CMainFrame::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
  if (lpDrawItemStruct->CtlType == ODT_MENU) {
    if (m_menus.Draw(lpDrawItemStruct)) return;
  } else if (nIDCtl == AFX_IDW_STATUS_BAR && m_wndStatusBar.m_hWnd) {
    m_wndStatusBar.SendMessage(WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                               reinterpret_cast<LPARAM>(lpDrawItemStruct));
    return;
  }
  CFrameWnd::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

LRESULT CMainFrame::OnFreeMenuRecord(WPARAM wParam, LPARAM lParam) {
  // any process may send this: lParam is only taken as a menu handle that
  // checks out, and only records of our own are freed
  HMENU menu = reinterpret_cast<HMENU>(lParam);
  if (!menu || !::IsMenu(menu)) return 0;
  int count = ::GetMenuItemCount(menu);
  if (count < 0 || wParam >= static_cast<WPARAM>(count)) return 0;
  return m_menus.FreeRecord(menu, static_cast<int>(wParam)) ? 1 : 0;
}

LRESULT CMainFrame::OnOwnerDrawQuery(WPARAM, LPARAM) { return MENU_OWNERDRAW_ANSWER; }

int CMainFrame::MenuAddIcon(UINT command, HICON icon) { return GiveImage(command, m_menus.AddIcon(icon)); }

int CMainFrame::MenuAddBitmap(UINT command, HBITMAP bitmap, COLORREF mask) {
  return GiveImage(command, m_menus.AddBitmap(bitmap, mask));
}

int CMainFrame::GiveImage(UINT command, int image) {
  if (image < 0 || command == 0xFFFF) return image;
  MenuItemRecord* rec = m_menus.FindByCommand(GetMenuBar(), command, nullptr, nullptr);
  if (rec) rec->image = static_cast<uint16_t>(image);
  return image;
}
