// The frame window: menu, accelerators, title, the view pane and (later)
// control bars, and the first stop of command routing.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/menu.h"
#include "framework/wnd.h"

class CView;
class CDocument;
class CControlBar;

// dock sides for DockControlBar
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E
#define AFX_IDW_STATUS_BAR 0xE801

// frame style bits of LoadFrame
#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00004000L

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  static const RECT rectDefault;  // CW_USEDEFAULT placement

  // Loads menu, accelerators, icon and title of nIDResource and creates
  // the frame; the context tells which view to create.
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, const char* lpszMenuName = nullptr,
              DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  virtual void ActivateFrame(int nCmdShow = -1);
  void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();
  virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
  void SetTitle(const char* lpszTitle) { m_strTitle = lpszTitle; }
  CString GetTitle() const { return m_strTitle; }

  // ---- control bars: laid out along the edges in creation order
  void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
  // Puts the bar on a side (0: the first side both allow, top first). Bars
  // at the top stand in rows: a screen rectangle whose top lies on a row's
  // bar puts the bar into that row at its left edge, else it opens a row.
  void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
  void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
  CControlBar* GetControlBar(UINT nID);
  // the first pane of the status bar (id AFX_IDW_STATUS_BAR)
  void SetMessageText(const char* lpszText);
  DWORD m_dwDockStyle = 0;

  // Refreshes the items of a pop-up through the command route.
  void UpdateMenuCmdUI(CMenu* pPopupMenu, BOOL bDisableIfNoHandler);
  BOOL m_bAutoMenuEnable = TRUE;  // items without a handler are greyed
  HACCEL m_hAccelTable = nullptr;
  UINT m_nIDHelp = 0;

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void PostNcDestroy() override;

  int OnCreate(LPCREATESTRUCT lpcs);
  void OnDestroy();
  void OnClose();
  void OnSize(UINT nType, int cx, int cy);
  void OnSetFocus(CWnd* pOldWnd);
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

 protected:
  CView* m_pViewActive = nullptr;
  CString m_strTitle;
  CString m_strDocTitleShown;  // the document title the window title was made from
  CMenu m_menuDefault;  // the frame's menu from its resource
  CCreateContext* m_pCreateContext = nullptr;
  BOOL m_bAddToTitle = TRUE;
  std::vector<HWND> m_topBars;  // bars docked in rows at the top
  int LayoutTopRows(RECT& room);

  DECLARE_MESSAGE_MAP()
};
