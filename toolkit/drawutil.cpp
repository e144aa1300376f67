#include "toolkit/drawutil.h"

namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF c) {
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// A check mark of two strokes, three pixels thick, with its lower left
// corner at (x, y + 2).
void Check(HDC dc, int x, int y, COLORREF c) {
  for (int t = 0; t < 3; t++) {
    Line(dc, x, y + t, x + 3, y + 3 + t, c);
    Line(dc, x + 2, y + 1 + t, x + 8, y - 5 + t, c);
  }
}

}  // namespace

void DrawBox3D(HDC dc, const RECT* rc, int flags) {
  if (!rc || rc->right - rc->left < 2 || rc->bottom - rc->top < 2) return;
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
  if (flags & DRAW_BOX_SUNKEN) {
    COLORREF t = light;
    light = dark;
    dark = t;
  }
  if (flags & DRAW_BOX_FILL) {
    RECT in = {rc->left + 1, rc->top + 1, rc->right - 1, rc->bottom - 1};
    FillRect(dc, &in, GetSysColorBrush(COLOR_BTNFACE));
  }
  Line(dc, rc->left, rc->bottom - 1, rc->left, rc->top, light);
  Line(dc, rc->left, rc->top, rc->right - 1, rc->top, light);
  Line(dc, rc->right - 1, rc->top, rc->right - 1, rc->bottom - 1, dark);
  Line(dc, rc->right - 1, rc->bottom - 1, rc->left - 1, rc->bottom - 1, dark);
}

void DrawGlyph(HDC dc, const RECT* rc, int code, int flags) {
  if (!rc) return;
  int x = (rc->left + rc->right) / 2 - 5, y = (rc->top + rc->bottom) / 2 - 1;
  switch (code) {
    case DRAW_GLYPH_CHECK:
      Check(dc, x, y, flags ? (COLORREF)(flags - 1) : GetSysColor(COLOR_MENUTEXT));
      break;
    case DRAW_GLYPH_CHECK_DISABLED:
      // embossed: a light copy one pixel down and right under a grey one
      Check(dc, x + 1, y + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
      Check(dc, x, y, GetSysColor(COLOR_GRAYTEXT));
      break;
    default:
      break;
  }
}
