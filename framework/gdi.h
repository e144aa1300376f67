// Device contexts and drawing objects of the class layer: thin owners of
// the GDI handles.
#pragma once

#include <windows.h>

#include <typeinfo>

#include "text/cstring.h"
#include "framework/types.h"

class CWnd;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  HGDIOBJ m_hObject = nullptr;
  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectA(m_hObject, nCount, lpObject); }
  // a temporary object for a handle the caller does not own (freed on idle)
  static CGdiObject* FromHandle(HGDIOBJ h) { return TempFromHandle<CGdiObject>(h); }
  template <class T>
  static T* TempFromHandle(HGDIOBJ h) {
    if (!h) return nullptr;
    T* p = static_cast<T*>(FindTemp(h, typeid(T)));
    if (!p) {
      p = new T;
      p->m_hObject = h;
      AddTemp(p, typeid(T));
    }
    return p;
  }
  static void DeleteTempMap();

 private:
  static CGdiObject* FindTemp(HGDIOBJ h, const std::type_info& t);
  static void AddTemp(CGdiObject* p, const std::type_info& t);

 public:

 private:
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
  }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  static CPen* FromHandle(HPEN h) { return TempFromHandle<CPen>(h); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
  BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
  BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  static CBrush* FromHandle(HBRUSH h) { return TempFromHandle<CBrush>(h); }
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
  BOOL CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC = nullptr);
  int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof *pLogFont, pLogFont); }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  static CFont* FromHandle(HFONT h) { return TempFromHandle<CFont>(h); }
};

class CBitmap : public CGdiObject {
 public:
  BOOL LoadBitmap(UINT nIDResource);
  BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
  }
  BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
  }
  int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof *pBitMap, pBitMap); }
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  static CBitmap* FromHandle(HBITMAP h) { return TempFromHandle<CBitmap>(h); }
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CDC {
 public:
  CDC() = default;
  virtual ~CDC();
  HDC m_hDC = nullptr;
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }
  BOOL Attach(HDC hDC);
  HDC Detach();
  BOOL DeleteDC();
  static CDC* FromHandle(HDC hDC);  // temporary, freed on idle
  static void DeleteTempMap();      // this thread's temporary DCs and GDI objects

  BOOL CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }
  virtual BOOL IsPrinting() const { return m_bPrinting; }
  BOOL m_bPrinting = FALSE;

  // selection: the previous object as a temporary wrapper
  CPen* SelectObject(CPen* p) { return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, p->m_hObject))); }
  CBrush* SelectObject(CBrush* p) {
    return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, p->m_hObject)));
  }
  CFont* SelectObject(CFont* p) { return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, p->m_hObject))); }
  CBitmap* SelectObject(CBitmap* p) {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, p->m_hObject)));
  }
  HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }
  CGdiObject* SelectStockObject(int nIndex) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(nIndex)));
  }
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
  int SetStretchBltMode(int nMode) { return ::SetStretchBltMode(m_hDC, nMode); }
  int SetMapMode(int nMode) { return ::SetMapMode(m_hDC, nMode); }
  int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

  BOOL TextOut(int x, int y, const char* s, int n) { return ::TextOutA(m_hDC, x, y, s, n); }
  BOOL TextOut(int x, int y, const CString& s) { return TextOut(x, y, s, s.GetLength()); }
  int DrawText(const char* s, int n, LPRECT r, UINT nFormat) { return ::DrawTextA(m_hDC, s, n, r, nFormat); }
  int DrawText(const CString& s, LPRECT r, UINT nFormat) { return DrawText(s, s.GetLength(), r, nFormat); }
  CSize GetTextExtent(const char* s, int n) const;
  CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }

  void FillSolidRect(LPCRECT r, COLORREF c);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
  void FillRect(LPCRECT r, CBrush* pBrush) { ::FillRect(m_hDC, r, static_cast<HBRUSH>(pBrush->m_hObject)); }
  void FrameRect(LPCRECT r, CBrush* pBrush) { ::FrameRect(m_hDC, r, static_cast<HBRUSH>(pBrush->m_hObject)); }
  void Draw3dRect(LPCRECT r, COLORREF clrTopLeft, COLORREF clrBottomRight);
  BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
  BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  BOOL Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
  BOOL Ellipse(LPCRECT r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  BOOL Polyline(const POINT* pts, int n) { return ::Polyline(m_hDC, pts, n); }
  BOOL Polygon(const POINT* pts, int n) { return ::Polygon(m_hDC, pts, n); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  BOOL BitBlt(int x, int y, int w, int h, CDC* pSrc, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, rop);
  }
  BOOL StretchBlt(int x, int y, int w, int h, CDC* pSrc, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, wSrc, hSrc, rop);
  }
  BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
  BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
  int IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
  int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

 private:
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
};

// BeginPaint/EndPaint for one WM_PAINT
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 protected:
  HWND m_hWnd;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd;
};

class CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd* pWnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd;
};
