#include "htmlview/htmlwindow.h"

#include <algorithm>

#include "htmlview/htmllimits.h"
#include "htmlview/htmlurl.h"

namespace {

const wchar_t kClassName[] = L"OrvaloPageView";
const int kLineStep = 40;
const UINT kContinueMessage = WM_APP + 0x348;

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window in Create
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  done = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HtmlWindow::HtmlWindow() = default;

HtmlWindow::~HtmlWindow() { Destroy(); }

bool HtmlWindow::Create(HWND parent, const RECT& r, HtmlWindowHost* host) {
  if (m_hWnd) return false;
  RegisterOnce();
  m_host = host;
  HWND h = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPSIBLINGS, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!h) return false;
  m_hWnd = h;
  SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WndProc));
  UpdateScrollBar();
  return true;
}

void HtmlWindow::Destroy() {
  if (m_hWnd) {
    HWND h = m_hWnd;
    m_hWnd = nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DestroyWindow(h);
  }
  if (m_buffer) DeleteObject(m_buffer);
  m_buffer = nullptr;
}

void HtmlWindow::ShowPage(std::unique_ptr<HtmlDocument> doc, const HtmlString& url) {
  m_doc = std::move(doc);
  m_url = url;
  HtmlStyle root;
  if (m_doc && !m_doc->nodes.empty()) HtmlRootStyle(m_doc->nodes[0], root);
  m_images.Load(m_doc ? *m_doc : HtmlDocument(), url, root.background == kHtmlNoColor ? 0xFFFFFF : root.background);
  m_scroll = 0;
  m_hoverLink = m_pressedLink = -1;
  m_layoutWidth = -1;
  Relayout();
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void HtmlWindow::SetZoom(int percent) {
  m_zoom = std::min(std::max(percent, kHtmlMinZoom), kHtmlMaxZoom);
  Relayout();
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void HtmlWindow::Relayout() {
  RECT rc = {0, 0, 0, 0};
  if (m_hWnd) GetClientRect(m_hWnd, &rc);
  int width = rc.right;
  if (width == m_layoutWidth && m_zoom == m_layoutZoom) return;
  // the place shown: the same share of the page stays at the top
  int64_t oldHeight = std::max(1, m_layout.height);
  int64_t place = m_scroll;
  m_layoutWidth = width;
  m_layoutZoom = m_zoom;
  if (m_doc) HtmlLayoutPage(*m_doc, width, m_fonts, &m_images, m_layout, m_zoom);
  else m_layout = HtmlLayout();
  ScrollTo(place * m_layout.height / oldHeight);
  UpdateScrollBar();
}

int HtmlWindow::PageHeight() const {
  RECT rc = {0, 0, 0, 0};
  if (m_hWnd) GetClientRect(m_hWnd, &rc);
  return std::max<int>(1, rc.bottom);
}

void HtmlWindow::ScrollTo(int64_t y) {
  int64_t maxScroll = std::max<int64_t>(0, static_cast<int64_t>(m_layout.height) - PageHeight());
  int next = static_cast<int>(std::max<int64_t>(0, std::min(y, maxScroll)));
  if (next == m_scroll) return;
  m_scroll = next;
  UpdateScrollBar();
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void HtmlWindow::UpdateScrollBar() {
  if (!m_hWnd) return;
  SCROLLINFO si = {sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, m_layout.height - 1),
                   static_cast<UINT>(PageHeight()), m_scroll, 0};
  SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

bool HtmlWindow::CopyText() const {
  if (!m_doc) return false;
  HtmlString text = HtmlDocumentText(*m_doc);
  HtmlString crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (WideChar c : text) {
    if (c == '\n') crlf.push_back('\r');
    crlf.push_back(c);
  }
  if (!OpenClipboard(m_hWnd)) return false;
  bool ok = false;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (crlf.size() + 1) * sizeof(WideChar));
  if (mem) {
    WideChar* p = static_cast<WideChar*>(GlobalLock(mem));
    std::copy(crlf.begin(), crlf.end(), p);
    p[crlf.size()] = 0;
    GlobalUnlock(mem);
    ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    if (!ok) GlobalFree(mem);
  }
  CloseClipboard();
  return ok;
}

bool HtmlWindow::PostContinue(WPARAM token) const {
  return m_hWnd && PostMessageW(m_hWnd, kContinueMessage, token, 0);
}

void HtmlWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT rc;
  GetClientRect(m_hWnd, &rc);
  if (rc.right > 0 && rc.bottom > 0) {
    if (!m_buffer || m_bufferSize.cx < rc.right || m_bufferSize.cy < rc.bottom) {
      if (m_buffer) DeleteObject(m_buffer);
      m_buffer = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
      m_bufferSize = {rc.right, rc.bottom};
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, m_buffer);
    HtmlPaint(mem, ps.rcPaint, m_layout, m_fonts, &m_images, m_scroll);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  EndPaint(m_hWnd, &ps);
}

void HtmlWindow::OnMouseMove(int x, int y) {
  int link = HtmlLinkAt(m_layout, x, y + m_scroll);
  if (link == m_hoverLink) return;
  m_hoverLink = link;
  if (link >= 0) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&tme);
  }
  if (m_host) m_host->OnLinkHover(link >= 0 ? HtmlResolveUrl(m_url, m_layout.links[link]) : HtmlString());
}

LRESULT CALLBACK HtmlWindow::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HtmlWindow* self = reinterpret_cast<HtmlWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (!self || self->m_hWnd != hWnd) return DefWindowProcW(hWnd, msg, wParam, lParam);
  return self->Handle(msg, wParam, lParam);
}

LRESULT HtmlWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case kContinueMessage:
      if (m_host) m_host->OnContinue(wParam);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      Relayout();
      ScrollTo(m_scroll);
      UpdateScrollBar();
      InvalidateRect(m_hWnd, nullptr, FALSE);
      return 0;
    case WM_VSCROLL: {
      SCROLLINFO si = {sizeof si, SIF_ALL};
      GetScrollInfo(m_hWnd, SB_VERT, &si);
      int64_t y = m_scroll;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: y -= kLineStep; break;
        case SB_LINEDOWN: y += kLineStep; break;
        case SB_PAGEUP: y -= PageHeight(); break;
        case SB_PAGEDOWN: y += PageHeight(); break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: y = si.nTrackPos; break;
        case SB_TOP: y = 0; break;
        case SB_BOTTOM: y = m_layout.height; break;
        default: break;
      }
      ScrollTo(y);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(PageHeight() / kLineStep);
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      ScrollTo(m_scroll - static_cast<int64_t>(delta) * static_cast<int>(lines) * kLineStep / 2 / WHEEL_DELTA);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP: ScrollTo(static_cast<int64_t>(m_scroll) - kLineStep); return 0;
        case VK_DOWN: ScrollTo(static_cast<int64_t>(m_scroll) + kLineStep); return 0;
        case VK_PRIOR: ScrollTo(static_cast<int64_t>(m_scroll) - PageHeight()); return 0;
        case VK_NEXT: case VK_SPACE: ScrollTo(static_cast<int64_t>(m_scroll) + PageHeight()); return 0;
        case VK_HOME: ScrollTo(0); return 0;
        case VK_END: ScrollTo(m_layout.height); return 0;
        case 'C': case VK_INSERT:
          if (GetKeyState(VK_CONTROL) < 0) CopyText();
          return 0;
        default: break;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_MOUSELEAVE:
      if (m_hoverLink >= 0) {
        m_hoverLink = -1;
        if (m_host) m_host->OnLinkHover(HtmlString());
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, m_hoverLink >= 0 ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      SetFocus(m_hWnd);
      m_pressedLink = HtmlLinkAt(m_layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) + m_scroll);
      return 0;
    case WM_LBUTTONUP: {
      int link = HtmlLinkAt(m_layout, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) + m_scroll);
      bool click = link >= 0 && link == m_pressedLink;
      m_pressedLink = -1;
      if (click && m_host) m_host->OnLinkClick(HtmlResolveUrl(m_url, m_layout.links[link]));  // may replace the page
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}
