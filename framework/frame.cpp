#include "framework/frame.h"

#include <algorithm>

#include "framework/controlbar.h"
#include "framework/docview.h"
#include "text/resinst.h"
#include "framework/winapp.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_SETFOCUS()
  ON_WM_ERASEBKGND()
  ON_WM_INITMENUPOPUP()
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
  return TRUE;
}

BOOL CFrameWnd::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, const char* lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
  HMENU hMenu = nullptr;
  if (lpszMenuName) {
    hMenu = ::LoadMenuA(AfxGetResourceHandle(), lpszMenuName);
    if (hMenu) m_menuDefault.Attach(hMenu);
  }
  m_strTitle = lpszWindowName;
  int x = rect.left, y = rect.top, w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (rect.left == CW_USEDEFAULT && rect.top == CW_USEDEFAULT && rect.right == 0 && rect.bottom == 0)
    x = y = w = h = CW_USEDEFAULT;
  m_pCreateContext = pContext;
  BOOL ok = CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, w, h, SafeHwnd(pParentWnd), hMenu,
                     pContext);
  if (ok) m_pCreateContext = nullptr;
  return ok;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  HINSTANCE inst = AfxGetResourceHandle();
  CString full;
  full.LoadString(nIDResource);
  int nl = full.Find('\n');
  CString title = nl >= 0 ? full.Left(nl) : full;
  HICON icon = ::LoadIconA(inst, MAKEINTRESOURCEA(nIDResource));
  const char* cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
  m_bAddToTitle = (dwDefaultStyle & FWS_ADDTOTITLE) != 0;
  DWORD style = dwDefaultStyle & ~(FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  const char* menu = ::FindResourceA(inst, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(4) /*RT_MENU*/)
                         ? MAKEINTRESOURCEA(nIDResource)
                         : nullptr;
  if (!Create(cls, title, style, rectDefault, pParentWnd, menu, 0, pContext)) return FALSE;
  m_strTitle = title;
  m_hAccelTable = ::LoadAcceleratorsA(inst, MAKEINTRESOURCEA(nIDResource));
  if (!pContext) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (!OnCreateClient(lpcs, pContext)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (pContext && pContext->m_pNewViewClass) return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  CObject* obj = pContext->m_pNewViewClass->CreateObject();
  CWnd* pView = DYNAMIC_DOWNCAST(CWnd, obj);
  if (!pView) {
    delete obj;
    return nullptr;
  }
  // a view whose creation fails has deleted itself or never existed: don't touch it
  if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
    return nullptr;
  return pView;
}

void CFrameWnd::RecalcLayout(BOOL) {
  CRect room;
  GetClientRect(&room);
  LayoutTopRows(room);
  RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, &room);
}

// Places the row-docked bars; returns the height they take off the top.
int CFrameWnd::LayoutTopRows(RECT& room) {
  std::vector<CControlBar*> bars;
  int maxRow = -1;
  for (HWND h : m_topBars) {
    CControlBar* b = DYNAMIC_DOWNCAST(CControlBar, FromHandlePermanent(h));
    if (b && b->m_nDockRow >= 0 && ::GetParent(h) == m_hWnd) {
      bars.push_back(b);
      if (b->m_nDockRow > maxRow) maxRow = b->m_nDockRow;
    }
  }
  int y = room.top;
  for (int row = 0; row <= maxRow; ++row) {
    std::vector<CControlBar*> inRow;
    for (CControlBar* b : bars)
      if (b->m_nDockRow == row && b->IsVisible()) inRow.push_back(b);
    std::sort(inRow.begin(), inRow.end(), [](CControlBar* a, CControlBar* b) { return a->m_nDockX < b->m_nDockX; });
    int height = 0, x = room.left;
    for (size_t i = 0; i < inRow.size(); ++i) {
      CSize size = inRow[i]->CalcFixedLayout(FALSE, TRUE);
      int left = std::max(x, static_cast<int>(room.left) + inRow[i]->m_nDockX);
      int rest = std::max(0, static_cast<int>(room.right) - left);
      // the last bar of a row takes the rest, so that the row is painted to the edge
      int w = i + 1 == inRow.size() ? rest : std::min(static_cast<int>(size.cx), rest);
      ::SetWindowPos(inRow[i]->m_hWnd, nullptr, left, y, w, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
      x = left + w;
      height = std::max(height, static_cast<int>(size.cy));
    }
    y += height;
  }
  int taken = y - room.top;
  room.top = std::min(y, static_cast<int>(room.bottom));
  return taken;
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
  if (m_pViewActive && m_pViewActive->m_hWnd)
    m_pViewActive->SetFocus();
  else
    CWnd::OnSetFocus(pOldWnd);
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* pDC) {
  if (m_pViewActive) return TRUE;  // the view covers the client area
  return CWnd::OnEraseBkgnd(pDC);
}

void CFrameWnd::OnDestroy() {
  // the window would destroy our menu; the CMenu member does it instead
  if (m_menuDefault.m_hMenu && ::GetMenu(m_hWnd) == m_menuDefault.m_hMenu) ::SetMenu(m_hWnd, nullptr);
  CWnd::OnDestroy();
}

void CFrameWnd::OnClose() {
  CWinApp* app = AfxGetApp();
  CDocument* pDoc = GetActiveDocument();
  if (pDoc && !pDoc->CanCloseFrame(this)) return;
  if (app && app->m_pMainWnd == this) {
    if (!app->SaveAllModified()) return;
    app->CloseAllDocuments(FALSE);
    // closing the documents may have destroyed (and deleted) this frame
    if (!app->m_pMainWnd) return;
  }
  DestroyWindow();
}

void CFrameWnd::PostNcDestroy() { delete this; }

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
  CView* pOld = m_pViewActive;
  if (pOld == pViewNew) return;
  m_pViewActive = pViewNew;
  if (bNotify) {
    if (pOld) pOld->OnActivateView(FALSE, pViewNew, pOld);
    if (pViewNew) pViewNew->OnActivateView(TRUE, pViewNew, pOld);
  }
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  CString title = m_strTitle;
  CDocument* pDoc = GetActiveDocument();
  m_strDocTitleShown = pDoc ? pDoc->GetTitle() : CString();
  if (bAddToTitle && m_bAddToTitle && pDoc && !pDoc->GetTitle().IsEmpty()) title = pDoc->GetTitle() + " - " + m_strTitle;
  CString old;
  GetWindowText(old);
  if (old != title) SetWindowText(title);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW;
  if (nCmdShow == SW_SHOWMAXIMIZED && !::IsWindowVisible(m_hWnd)) {
    // shown first, maximised once the show has gone through: a window
    // maximised by its first show can keep its normal size where no window
    // manager sizes it (Wine on a bare X server)
    ShowWindow(SW_SHOWNORMAL);
    PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else {
    ShowWindow(nCmdShow);
  }
  if (nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE && nCmdShow != SW_SHOWMINNOACTIVE) BringWindowToTop();
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
  if (!m_pViewActive) {
    CView* pView = DYNAMIC_DOWNCAST(CView, FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)));
    if (pView) SetActiveView(pView, FALSE);
  }
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  if (bMakeVisible) {
    int nCmdShow = -1;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && app->m_nCmdShow != -1) {
      nCmdShow = app->m_nCmdShow;
      app->m_nCmdShow = -1;  // only the first frame
    }
    ActivateFrame(nCmdShow);
    if (m_pViewActive) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
  }
  OnUpdateFrameTitle(TRUE);
}

// ---- routing

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  CView* pView = m_pViewActive;
  if (pView && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;  // view, then document
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable &&
      ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg))
    return TRUE;
  return FALSE;
}

// ---- menus

void CFrameWnd::UpdateMenuCmdUI(CMenu* pPopupMenu, BOOL bDisableIfNoHandler) {
  if (!pPopupMenu) return;
  CCmdUI state;
  state.m_pMenu = pPopupMenu;
  state.m_nIndexMax = pPopupMenu->GetMenuItemCount();
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
    state.m_nID = pPopupMenu->GetMenuItemID(state.m_nIndex);
    if (state.m_nID == 0) continue;  // separator
    state.m_pSubMenu = nullptr;
    if (state.m_nID == static_cast<UINT>(-1)) continue;  // a pop-up of its own
    state.DoUpdate(this, bDisableIfNoHandler && state.m_nID < 0xF000);
    // an update (the recent-file list) may have added or removed items
    UINT nCount = pPopupMenu->GetMenuItemCount();
    if (nCount < state.m_nIndexMax) {
      state.m_nIndex -= state.m_nIndexMax - nCount;
      while (state.m_nIndex < nCount && pPopupMenu->GetMenuItemID(state.m_nIndex) == state.m_nID) ++state.m_nIndex;
    }
    state.m_nIndexMax = nCount;
  }
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
  if (bSysMenu) {
    CWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    return;
  }
  UpdateMenuCmdUI(pPopupMenu, m_bAutoMenuEnable);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
  // keep the menu bar's items current while the program idles
  HMENU bar = ::GetMenu(m_hWnd);
  if (bar) {
    int n = ::GetMenuItemCount(bar);
    for (int i = 0; i < n; ++i) {
      HMENU sub = ::GetSubMenu(bar, i);
      if (sub) UpdateMenuCmdUI(CMenu::FromHandle(sub), m_bAutoMenuEnable);
    }
  }
  // retitle only when the document's title changed: the program may have
  // given the window a title of its own meanwhile
  CDocument* pDoc = GetActiveDocument();
  if ((pDoc ? pDoc->GetTitle() : CString()) != m_strDocTitleShown) OnUpdateFrameTitle(TRUE);
  return 0;
}

// ---- control bars

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect) {
  if (!pBar) return;
  DWORD allowed = pBar->m_dwDockStyle & (m_dwDockStyle ? m_dwDockStyle : CBRS_ALIGN_ANY);
  if (!allowed) allowed = CBRS_ALIGN_TOP;
  DWORD side;
  switch (nDockBarID) {
    case AFX_IDW_DOCKBAR_TOP: side = CBRS_ALIGN_TOP; break;
    case AFX_IDW_DOCKBAR_BOTTOM: side = CBRS_ALIGN_BOTTOM; break;
    case AFX_IDW_DOCKBAR_LEFT: side = CBRS_ALIGN_LEFT; break;
    case AFX_IDW_DOCKBAR_RIGHT: side = CBRS_ALIGN_RIGHT; break;
    default:
      side = (allowed & CBRS_ALIGN_TOP) ? CBRS_ALIGN_TOP
             : (allowed & CBRS_ALIGN_BOTTOM) ? CBRS_ALIGN_BOTTOM
             : (allowed & CBRS_ALIGN_LEFT) ? CBRS_ALIGN_LEFT
                                            : CBRS_ALIGN_RIGHT;
  }
  pBar->SetBarStyle((pBar->GetBarStyle() & ~CBRS_ALIGN_ANY) | side);
  m_topBars.erase(std::remove(m_topBars.begin(), m_topBars.end(), pBar->m_hWnd), m_topBars.end());
  pBar->m_nDockRow = -1;
  if (side == CBRS_ALIGN_TOP && pBar->m_hWnd) {
    int row = -1, x = 0, rows = 0;
    for (HWND h : m_topBars) {
      CControlBar* b = DYNAMIC_DOWNCAST(CControlBar, FromHandlePermanent(h));
      if (!b || b->m_nDockRow < 0) continue;
      rows = std::max(rows, b->m_nDockRow + 1);
      if (lpRect && row < 0 && b->IsVisible()) {
        CRect r;
        b->GetWindowRect(&r);
        if (lpRect->top >= r.top && lpRect->top < r.bottom) row = b->m_nDockRow;
      }
    }
    if (lpRect) {
      POINT p = {lpRect->left, lpRect->top};
      ::ScreenToClient(m_hWnd, &p);
      x = std::max(0, static_cast<int>(p.x));
    }
    pBar->m_nDockRow = row >= 0 ? row : rows;
    pBar->m_nDockX = row >= 0 ? x : 0;
    m_topBars.push_back(pBar->m_hWnd);
  }
  RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay) {
  if (!pBar || !pBar->m_hWnd) return;
  pBar->ShowWindow(bShow ? SW_SHOWNA : SW_HIDE);
  if (!bDelay) RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) {
  return DYNAMIC_DOWNCAST(CControlBar, FromHandlePermanent(::GetDlgItem(m_hWnd, nID)));
}

void CFrameWnd::SetMessageText(const char* lpszText) {
  CStatusBar* bar = DYNAMIC_DOWNCAST(CStatusBar, GetControlBar(AFX_IDW_STATUS_BAR));
  if (bar) bar->SetPaneText(0, lpszText);
}
