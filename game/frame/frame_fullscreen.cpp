// Full screen: no caption, border, menu or bars; the view learns the mode.
#include "game/frame/frameview.h"
#include "game/frame/mainframe.h"

namespace {
const DWORD kFrameBits = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
}

void CMainFrame::OnViewFullScreen() {
  if (m_nFullScreen)
    LeaveFullScreen();
  else
    EnterFullScreen();
}

void CMainFrame::EnterFullScreen() {
  if (::IsIconic(m_hWnd)) ShowWindow(SW_RESTORE);
  int state = 1;
  if (::IsZoomed(m_hWnd)) {
    ShowWindow(SW_RESTORE);
    state = 2;
  }
  m_bStatusWasShown = m_wndStatusBar.IsVisible();
  m_bPlayerWasShown = m_wndPlayerBar.IsVisible();
  m_bToolWasShown = m_wndToolBar.IsVisible();
  if (m_bStatusWasShown) ShowControlBar(&m_wndStatusBar, FALSE, TRUE);
  if (m_bPlayerWasShown) ShowControlBar(&m_wndPlayerBar, FALSE, TRUE);
  if (m_bToolWasShown) ShowControlBar(&m_wndToolBar, FALSE, TRUE);
  m_dwStyleBeforeFull = GetStyle() & kFrameBits;
  ModifyStyle(kFrameBits, 0, SWP_FRAMECHANGED);
  ::SetMenu(m_hWnd, nullptr);
  CView* view = GetActiveView();
  m_bViewHadEdge = view && (view->GetExStyle() & WS_EX_CLIENTEDGE);
  if (m_bViewHadEdge) view->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
  m_nFullScreen = state;
  ShowWindow(SW_SHOWMAXIMIZED);
  RecalcLayout();
  IFrameViewLink* link = ViewLink();
  if (link) {
    CRect rc;
    GetWindowRect(&rc);
    link->SetFullScreenMode(state, rc);
  }
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CMainFrame::LeaveFullScreen() {
  if (m_bStatusWasShown && !m_wndStatusBar.IsVisible()) ShowControlBar(&m_wndStatusBar, TRUE, TRUE);
  if (m_bPlayerWasShown && !m_wndPlayerBar.IsVisible()) ShowControlBar(&m_wndPlayerBar, TRUE, TRUE);
  if (m_bToolWasShown && !m_wndToolBar.IsVisible()) ShowControlBar(&m_wndToolBar, TRUE, TRUE);
  CView* view = GetActiveView();
  if (view && m_bViewHadEdge) view->ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
  int state = m_nFullScreen;
  m_nFullScreen = 0;
  // back to normal first, so that the frame bits apply to the window's own rectangle
  ShowWindow(SW_RESTORE);
  ModifyStyle(0, m_dwStyleBeforeFull, SWP_FRAMECHANGED);
  ::SetMenu(m_hWnd, m_menuDefault.m_hMenu);
  if (state == 2) ShowWindow(SW_SHOWMAXIMIZED);
  RecalcLayout();
  IFrameViewLink* link = ViewLink();
  if (link) {
    CRect rc;
    GetWindowRect(&rc);
    link->SetFullScreenMode(0, rc);
  }
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
