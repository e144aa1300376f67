// CWnd: modal loop, data exchange, layout, wrappers and default handlers.
#include "framework/wnd.h"

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/winapp.h"

// ---- modal loop

// Runs while m_bInModalLoop is set (the caller sets it before creating the
// window, so that an early EndModalLoop is not lost).
int CWnd::RunModalLoop(DWORD) {
  MSG msg;
  bool idle = true;
  // a window destroyed under its loop (with its owner, say) ends the loop
  while (m_bInModalLoop && m_hWnd) {
    while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // let the dialog refresh its controls' states once the queue is empty
      SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, 0);
      if (!m_bInModalLoop || !m_hWnd) break;
      idle = false;
    }
    if (!m_bInModalLoop || !m_hWnd) break;
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!WalkPreTranslateTree(m_hWnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != 0x0118 /*WM_SYSTIMER*/)
      idle = true;
  }
  m_bInModalLoop = FALSE;
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return m_bInModalLoop; }

void CWnd::EndModalLoop(int nResult) {
  m_nModalResult = nResult;
  if (m_bInModalLoop) {
    m_bInModalLoop = FALSE;
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
  }
}

// ---- data exchange

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;  // the failing control has the focus and the user was told
  }
  return TRUE;
}

// ---- layout and descendants

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, RECT* pRectParam) {
  AFX_SIZEPARENTPARAMS layout = {};
  layout.bStretch = TRUE;
  if (pRectParam)
    layout.rect = *pRectParam;
  else
    ::GetClientRect(m_hWnd, &layout.rect);
  layout.hDWP = ::BeginDeferWindowPos(8);
  HWND hLeftOver = nullptr;
  for (HWND h = ::GetTopWindow(m_hWnd); h; h = ::GetNextWindow(h, GW_HWNDNEXT)) {
    UINT nID = static_cast<UINT>(::GetDlgCtrlID(h));
    if (nID == nIDLeftOver)
      hLeftOver = h;
    else if (nID >= nIDFirst && nID <= nIDLast)
      ::SendMessageA(h, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
  }
  if (hLeftOver && layout.hDWP) {
    RECT& r = layout.rect;
    layout.hDWP = ::DeferWindowPos(layout.hDWP, hLeftOver, nullptr, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  for (HWND h = ::GetTopWindow(m_hWnd); h; h = ::GetNextWindow(h, GW_HWNDNEXT)) {
    CWnd* p = FromHandlePermanent(h);
    if (p) {
      p->SendMessage(message, wParam, lParam);
      if (bDeep) p->SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
    } else if (!bOnlyPerm) {
      ::SendMessageA(h, message, wParam, lParam);
      if (bDeep) {
        CWnd tmp;
        tmp.m_hWnd = h;
        tmp.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
        tmp.m_hWnd = nullptr;
      }
    } else if (bDeep) {
      CWnd tmp;
      tmp.m_hWnd = h;
      tmp.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
      tmp.m_hWnd = nullptr;
    }
  }
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
    CWnd* p = FromHandlePermanent(h);
    if (p && p->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(p);
  }
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  CFrameWnd* top = nullptr;
  if (IsKindOf(RUNTIME_CLASS(CFrameWnd))) top = static_cast<CFrameWnd*>(const_cast<CWnd*>(this));
  for (CFrameWnd* f = GetParentFrame(); f; f = f->GetParentFrame()) top = f;
  return top;
}

CWnd* CWnd::GetTopLevelParent() const {
  HWND h = m_hWnd, parent;
  while ((::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) && (parent = ::GetParent(h)) != nullptr) h = parent;
  return FromHandle(h);
}

// ---- wrappers

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD style = GetStyle(), n = (style & ~dwRemove) | dwAdd;
  if (style == n) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(n));
  if (nFlags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD style = GetExStyle(), n = (style & ~dwRemove) | dwAdd;
  if (style == n) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(n));
  if (nFlags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

void CWnd::ScreenToClient(LPRECT r) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1);
}

void CWnd::ClientToScreen(LPRECT r) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  // the special positions (HWND_TOP, HWND_TOPMOST...) are passed as CWnd pointers
  HWND after;
  UINT_PTR v = reinterpret_cast<UINT_PTR>(pWndInsertAfter);
  if (v <= 1 || v == static_cast<UINT_PTR>(-1) || v == static_cast<UINT_PTR>(-2))
    after = reinterpret_cast<HWND>(v);
  else
    after = pWndInsertAfter->m_hWnd;
  return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, nFlags);
}

void CWnd::GetWindowText(CString& rString) const {
  int n = ::GetWindowTextLengthA(m_hWnd);
  if (n <= 0) {
    rString.Empty();
    return;
  }
  n = ::GetWindowTextA(m_hWnd, rString.GetBuffer(n), n + 1);
  rString.ReleaseBuffer(n > 0 ? n : 0);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  HWND h = ::GetDlgItem(m_hWnd, nID);
  rString.Empty();
  if (!h) return 0;
  int n = ::GetWindowTextLengthA(h);
  if (n <= 0) return 0;
  n = ::GetWindowTextA(h, rString.GetBuffer(n), n + 1);
  rString.ReleaseBuffer(n > 0 ? n : 0);
  return rString.GetLength();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }

BOOL CWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr); }

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }

CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }

int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
  if (!lpszCaption) {
    CWinApp* app = AfxGetApp();
    lpszCaption = app && app->m_pszAppName ? app->m_pszAppName : "";
  }
  return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  RECT rc, area;
  ::GetWindowRect(m_hWnd, &rc);
  HWND center = pAlternateOwner ? pAlternateOwner->m_hWnd
                                : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
  if (GetStyle() & WS_CHILD) {
    ::GetClientRect(::GetParent(m_hWnd), &area);
    ::MapWindowPoints(::GetParent(m_hWnd), nullptr, reinterpret_cast<LPPOINT>(&area), 2);
  } else {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT target = area;
  if (center && ::IsWindowVisible(center) && !::IsIconic(center)) ::GetWindowRect(center, &target);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  int x = (target.left + target.right - w) / 2, y = (target.top + target.bottom - h) / 2;
  if (x + w > area.right) x = area.right - w;
  if (x < area.left) x = area.left;
  if (y + h > area.bottom) y = area.bottom - h;
  if (y < area.top) y = area.top;
  if (GetStyle() & WS_CHILD) {
    POINT p = {x, y};
    ::ScreenToClient(::GetParent(m_hWnd), &p);
    x = p.x;
    y = p.y;
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::DragAcceptFiles(BOOL bAccept) { ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0); }

// ---- default handlers

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnSizing(UINT, LPRECT) { Default(); }
void CWnd::OnExitSizeMove() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }
void CWnd::OnInitMenu(CMenu*) { Default(); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
void CWnd::OnMenuSelect(UINT, UINT, HMENU) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnStyleChanged(int, LPSTYLESTRUCT) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
