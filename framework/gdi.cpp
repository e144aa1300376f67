#include "framework/gdi.h"

#include <map>
#include <memory>
#include <utility>

#include "text/resinst.h"
#include "framework/wnd.h"

namespace {
// Temporary wrappers belong to the thread that made them; the idle time of
// that thread frees them.
struct TempGdi {
  std::map<std::pair<HGDIOBJ, const std::type_info*>, CGdiObject*> objects;
  std::map<HDC, CDC*> dcs;
  ~TempGdi() { Clear(); }
  void Clear() {
    for (auto& e : objects) {
      e.second->m_hObject = nullptr;  // not ours to delete
      delete e.second;
    }
    objects.clear();
    for (auto& e : dcs) {
      e.second->m_hDC = nullptr;
      delete e.second;
    }
    dcs.clear();
  }
};
thread_local TempGdi t_temp;
}  // namespace

// ---------------------------------------------------------------- objects

CGdiObject* CGdiObject::FindTemp(HGDIOBJ h, const std::type_info& t) {
  auto it = t_temp.objects.find({h, &t});
  return it == t_temp.objects.end() ? nullptr : it->second;
}

void CGdiObject::AddTemp(CGdiObject* p, const std::type_info& t) {
  t_temp.objects[{p->m_hObject, &t}] = p;
}

void CGdiObject::DeleteTempMap() { t_temp.Clear(); }

BOOL CGdiObject::Attach(HGDIOBJ h) {
  if (!h) return FALSE;
  DeleteObject();
  m_hObject = h;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  BOOL ok = ::DeleteObject(Detach());
  return ok;
}

BOOL CFont::CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC) {
  LOGFONTA lf = {};
  HDC dc = hDC ? hDC : ::GetDC(nullptr);
  // nPointSize is in tenths of a point
  lf.lfHeight = -MulDiv(nPointSize, ::GetDeviceCaps(dc, LOGPIXELSY), 720);
  if (!hDC) ::ReleaseDC(nullptr, dc);
  lf.lfCharSet = DEFAULT_CHARSET;
  if (lpszFaceName) lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
  return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
  return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

// --------------------------------------------------------------------- CDC

CDC::~CDC() {
  if (m_hDC) ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC hDC) {
  if (!hDC) return FALSE;
  m_hDC = hDC;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  m_hDC = nullptr;
  return h;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  return ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hDC) {
  if (!hDC) return nullptr;
  CDC*& p = t_temp.dcs[hDC];
  if (!p) {
    p = new CDC;
    p->m_hDC = hDC;
  }
  return p;
}

void CDC::DeleteTempMap() { t_temp.Clear(); }

CSize CDC::GetTextExtent(const char* s, int n) const {
  SIZE sz = {0, 0};
  ::GetTextExtentPoint32A(m_hDC, s, n, &sz);
  return CSize(sz);
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c) {
  COLORREF old = ::SetBkColor(m_hDC, c);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
  RECT r = {x, y, x + cx, y + cy};
  FillSolidRect(&r, c);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF clrTopLeft, COLORREF clrBottomRight) {
  int x = r->left, y = r->top, cx = r->right - r->left, cy = r->bottom - r->top;
  FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
  FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
  FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
  FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

CPoint CDC::MoveTo(int x, int y) {
  POINT old = {0, 0};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
  Detach();
  ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(CWnd::SafeHwnd(pWnd)) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() {
  HDC h = Detach();
  if (h) ::ReleaseDC(m_hWnd, h);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(CWnd::SafeHwnd(pWnd)) { Attach(::GetWindowDC(m_hWnd)); }

CWindowDC::~CWindowDC() {
  HDC h = Detach();
  if (h) ::ReleaseDC(m_hWnd, h);
}
