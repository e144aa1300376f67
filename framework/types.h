// Points, sizes and rectangles of the class layer: the Win32 records with
// arithmetic helpers.
#pragma once

#include <windows.h>

class CSize : public tagSIZE {
 public:
  CSize() noexcept { cx = cy = 0; }
  CSize(int x, int y) noexcept { cx = x; cy = y; }
  CSize(SIZE s) noexcept { cx = s.cx; cy = s.cy; }
  bool operator==(SIZE s) const noexcept { return cx == s.cx && cy == s.cy; }
  bool operator!=(SIZE s) const noexcept { return !(*this == s); }
};

class CPoint : public tagPOINT {
 public:
  CPoint() noexcept { x = y = 0; }
  CPoint(int ix, int iy) noexcept { x = ix; y = iy; }
  CPoint(POINT p) noexcept { x = p.x; y = p.y; }
  // from a mouse message's lParam (signed coordinates)
  explicit CPoint(LPARAM lp) noexcept {
    x = static_cast<short>(LOWORD(lp));
    y = static_cast<short>(HIWORD(lp));
  }
  void Offset(int dx, int dy) noexcept { x += dx; y += dy; }
  bool operator==(POINT p) const noexcept { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const noexcept { return !(*this == p); }
  CPoint operator+(SIZE s) const noexcept { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(SIZE s) const noexcept { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(POINT p) const noexcept { return CSize(x - p.x, y - p.y); }
  CPoint& operator+=(SIZE s) noexcept { x += s.cx; y += s.cy; return *this; }
  CPoint& operator-=(SIZE s) noexcept { x -= s.cx; y -= s.cy; return *this; }
};

class CRect : public tagRECT {
 public:
  CRect() noexcept { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) noexcept { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
  CRect(const RECT* r) noexcept : CRect(*r) {}
  CRect(POINT p, SIZE s) noexcept : CRect(p.x, p.y, p.x + s.cx, p.y + s.cy) {}

  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  CSize Size() const noexcept { return CSize(Width(), Height()); }
  CPoint TopLeft() const noexcept { return CPoint(left, top); }
  CPoint BottomRight() const noexcept { return CPoint(right, bottom); }
  CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const noexcept { return right <= left || bottom <= top; }
  bool IsRectNull() const noexcept { return !left && !top && !right && !bottom; }
  bool PtInRect(POINT p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void SetRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
  void SetRectEmpty() noexcept { left = top = right = bottom = 0; }
  void OffsetRect(int dx, int dy) noexcept { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(POINT p) noexcept { OffsetRect(p.x, p.y); }
  void InflateRect(int dx, int dy) noexcept { left -= dx; right += dx; top -= dy; bottom += dy; }
  void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
  void NormalizeRect() noexcept {
    if (left > right) { LONG t = left; left = right; right = t; }
    if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
  }
  BOOL IntersectRect(const RECT* a, const RECT* b) noexcept { return ::IntersectRect(this, a, b); }
  BOOL UnionRect(const RECT* a, const RECT* b) noexcept { return ::UnionRect(this, a, b); }
  operator LPRECT() noexcept { return this; }
  operator LPCRECT() const noexcept { return this; }
  bool operator==(const RECT& r) const noexcept { return EqualRect(this, &r) != 0; }
  bool operator!=(const RECT& r) const noexcept { return !(*this == r); }
};
