#include "toolkit/imagewnd.h"

#include <windowsx.h>

BEGIN_MESSAGE_MAP(CImageWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CImageWnd::CImageWnd()
    : m_clientW(0), m_clientH(0), m_scrollX(0), m_scrollY(0), m_backColour(0xFFFFFF), m_fixedW(0),
      m_fixedH(0), m_options(0), m_paintProc(nullptr), m_paintContext(nullptr), m_mouseProc(nullptr),
      m_mouseContext(nullptr), m_cursor(nullptr) {
  InitializeCriticalSection(&m_updateLock);
}

CImageWnd::~CImageWnd() {
  if (m_hWnd) DestroyWindow();
  m_picture.Destroy();
  DeleteCriticalSection(&m_updateLock);
}

BOOL CImageWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  m_options = style & 0xFFFF;
  const char* cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  return CreateEx(exStyle, cls, "", style & 0xFFFF0000, rect, parent, id);
}

BOOL CImageWnd::CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDlg, UINT id) {
  if (!parentDlg || !parentDlg->m_hWnd) return FALSE;
  HWND ph = ::GetDlgItem(parentDlg->m_hWnd, placeholderId);
  if (!ph) return FALSE;
  RECT rc;
  ::GetWindowRect(ph, &rc);
  ::MapWindowPoints(nullptr, parentDlg->m_hWnd, (POINT*)&rc, 2);
  HWND after = ::GetWindow(ph, GW_HWNDPREV);
  ::DestroyWindow(ph);  // the new window may take its id
  if (!Create(exStyle, style, rc, parentDlg, id)) return FALSE;
  ::SetWindowPos(m_hWnd, after ? after : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

BOOL CImageWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  // not for child windows (the map's web page keeps its own)
  if (nHitTest == HTCLIENT && m_cursor && pWnd && pWnd->GetSafeHwnd() == m_hWnd) {
    ::SetCursor(m_cursor);
    return TRUE;
  }
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

bool CImageWnd::SetFixedBufferSize(int width, int height) {
  LockUpdate();
  bool ok = m_picture.Create(32, width, height, m_backColour, 1);
  if (ok) {
    m_fixedW = width;
    m_fixedH = height;
  }
  UnlockUpdate();
  ClampScroll();
  return ok;
}

void CImageWnd::SetPaintCallback(ImageWndPaintProc proc, void* context) {
  m_paintProc = proc;
  m_paintContext = context;
}

void CImageWnd::SetMouseCallback(ImageWndMouseProc proc, void* context) {
  m_mouseProc = proc;
  m_mouseContext = context;
}

void CImageWnd::ClampScroll() {
  int mx = m_picture.Width() - m_clientW, my = m_picture.Height() - m_clientH;
  if (m_scrollX > mx) m_scrollX = mx;
  if (m_scrollY > my) m_scrollY = my;
  if (m_scrollX < 0) m_scrollX = 0;
  if (m_scrollY < 0) m_scrollY = 0;
}

bool CImageWnd::ScrollTo(int x, int y, bool redraw) {
  int ox = m_scrollX, oy = m_scrollY;
  m_scrollX = x;
  m_scrollY = y;
  ClampScroll();
  if (m_scrollX == ox && m_scrollY == oy) return false;
  if (m_hWnd) {
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (redraw) ::UpdateWindow(m_hWnd);
  }
  return true;
}

void CImageWnd::InvalidateImageRect(int x, int y, int width, int height, BOOL erase) {
  InvalidateClientRect(x - m_scrollX, y - m_scrollY, width, height, erase);
}

void CImageWnd::InvalidateClientRect(int x, int y, int width, int height, BOOL erase) {
  if (!m_hWnd || width <= 0 || height <= 0) return;
  RECT rc = {x, y, x + width, y + height};
  ::InvalidateRect(m_hWnd, &rc, erase);
}

LRESULT CImageWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  bool mouse = (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
  if (mouse && m_mouseProc) {
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) ::ScreenToClient(m_hWnd, &p);
    if (m_mouseProc(m_mouseContext, message, (UINT)wParam, p.x + m_scrollX, p.y + m_scrollY)) return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CImageWnd::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers everything
}

void CImageWnd::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  if (!dc) return;
  RECT client = {0, 0, m_clientW, m_clientH};
  LockUpdate();
  int bw = m_picture.Width(), bh = m_picture.Height();
  HBITMAP bmp = m_picture.GetHBitmap();
  if (bmp) {
    HDC mem = ::CreateCompatibleDC(dc);
    if (mem) {
      HGDIOBJ old = ::SelectObject(mem, bmp);
      ::GdiFlush();
      ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left + m_scrollX,
               ps.rcPaint.top + m_scrollY, SRCCOPY);
      ::SelectObject(mem, old);
      ::DeleteDC(mem);
    }
  }
  UnlockUpdate();
  // what lies beyond the buffer
  COLORREF back = RGB((m_backColour >> 16) & 255, (m_backColour >> 8) & 255, m_backColour & 255);
  HBRUSH br = ::CreateSolidBrush(back);
  if (!bmp) {
    ::FillRect(dc, &client, br);
  } else {
    RECT r = {bw - m_scrollX, 0, m_clientW, m_clientH};
    if (r.left < r.right) ::FillRect(dc, &r, br);
    RECT b = {0, bh - m_scrollY, m_clientW, m_clientH};
    if (b.top < b.bottom) ::FillRect(dc, &b, br);
  }
  ::DeleteObject(br);
  if (m_paintProc) {
    POINT oldOrg;
    ::SetViewportOrgEx(dc, -m_scrollX, -m_scrollY, &oldOrg);
    RECT upd = ps.rcPaint;
    ::OffsetRect(&upd, m_scrollX, m_scrollY);
    int saved = ::SaveDC(dc);
    m_paintProc(m_paintContext, dc, &upd);
    ::RestoreDC(dc, saved);
    ::SetViewportOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
  }
  ::EndPaint(m_hWnd, &ps);
}

void CImageWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  m_clientW = cx;
  m_clientH = cy;
  if (!m_fixedW && cx > 0 && cy > 0 && (cx != m_picture.Width() || cy != m_picture.Height())) {
    LockUpdate();
    m_picture.Create(32, cx, cy, m_backColour, 1);
    UnlockUpdate();
  }
  ClampScroll();
}

void CImageWnd::OnDestroy() {
  CWnd::OnDestroy();
  m_paintProc = nullptr;
  m_mouseProc = nullptr;
}
