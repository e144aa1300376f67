// The main frame of Orvalo: toolbar, player bar and status bar, placement
// kept in the registry, always on top, full screen, and owner-drawn menus
// with the toolbar's images.
#pragma once

#include "framework/afxwin.h"
#include "game/frame/ownermenu.h"
#include "toolkit/toolbarnew.h"

class IFrameViewLink;

// bar style of both toolbars: visible child, top, tooltips, fly-by,
// dynamic, line below, gripper
#define FRAME_TOOLBAR_BAR_STYLE 0x50402834
#define FRAME_STATUSBAR_STYLE 0x50008200

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)
 public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

  // colours of the player bar from the active view's game (defaults without one)
  void UpdatePlayerBar();
  // full-screen state: 0 normal, 1 entered from a normal window, 2 from a maximised one
  int GetFullScreenState() const { return m_nFullScreen; }
  BOOL IsFlatMode() const { return m_bFlatMode; }
  BOOL IsOnTop() const { return m_bOnTop; }

  COwnerMenu& GetOwnerMenu() { return m_menus; }
  // the frame's menu bar, also while full screen has taken it off
  HMENU GetMenuBar() const { return m_menuDefault.m_hMenu ? m_menuDefault.m_hMenu : ::GetMenu(m_hWnd); }
  CToolBarNew& GetToolBar() { return m_wndToolBar; }
  CToolBarNew& GetPlayerBar() { return m_wndPlayerBar; }
  CStatusBar& GetStatusBar() { return m_wndStatusBar; }

  // images for menu items of commands without a toolbar button; command
  // 0xFFFF only adds the image. Returns the image's index, -1 on failure.
  int MenuAddIcon(UINT command, HICON icon);
  int MenuAddBitmap(UINT command, HBITMAP bitmap, COLORREF mask);

  int OnCreate(LPCREATESTRUCT lpcs);
  void OnDestroy();
  void OnViewFlatToolbar();
  void OnViewPlayerBar();
  void OnViewFixWindow();
  void OnViewFullScreen();
  void OnUpdateViewFlatToolbar(CCmdUI* pCmdUI);
  void OnUpdateViewPlayerBar(CCmdUI* pCmdUI);
  void OnUpdateViewFixWindow(CCmdUI* pCmdUI);
  void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
  LRESULT OnFreeMenuRecord(WPARAM wParam, LPARAM lParam);
  LRESULT OnOwnerDrawQuery(WPARAM wParam, LPARAM lParam);

 protected:
  CStatusBar m_wndStatusBar;
  CToolBarNew m_wndPlayerBar;
  CToolBarNew m_wndToolBar;
  COwnerMenu m_menus;
  BOOL m_bFlatMode = TRUE;
  BOOL m_bShowPlayerBar = FALSE;
  BOOL m_bOnTop = FALSE;
  int m_nFullScreen = 0;
  // before full screen: bars shown, frame style bits, the view's client edge
  BOOL m_bStatusWasShown = FALSE, m_bPlayerWasShown = FALSE, m_bToolWasShown = FALSE;
  DWORD m_dwStyleBeforeFull = 0;
  BOOL m_bViewHadEdge = FALSE;

  IFrameViewLink* ViewLink() const;
  int GiveImage(UINT command, int image);
  void SaveWindowPlacement();
  BOOL RestoreWindowPlacement(CREATESTRUCTA& cs);
  BOOL InitMenuImages(const UINT* ids, int count);
  void EnterFullScreen();
  void LeaveFullScreen();

  DECLARE_MESSAGE_MAP()
};
