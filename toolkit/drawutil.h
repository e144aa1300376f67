// Small drawing helpers: 3-D boxes and control glyphs.
#pragma once

#include <windows.h>

enum {
  DRAW_BOX_RAISED = 0,
  DRAW_BOX_SUNKEN = 1,
  DRAW_BOX_FILL = 2,  // fill the inside with the button face
};
// A box of one-pixel edges, light above and left, shadow below and right
// (swapped when sunken).
void DrawBox3D(HDC dc, const RECT* rc, int flags);

enum {
  DRAW_GLYPH_CHECK = 0x11,
  DRAW_GLYPH_CHECK_DISABLED = 0x12,
};
// A small glyph centred in the rectangle. flags: 0, or the colour of an
// enabled glyph plus 1 (so that black can be asked for).
void DrawGlyph(HDC dc, const RECT* rc, int code, int flags);
