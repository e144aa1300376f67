// Drawing helpers shared by the row painter and the cell painter.
#pragma once

#include "treelist/tlwin.h"

// a rectangle filled as an opaque empty text run
void TLFill(HDC dc, const RECT& r, COLORREF c);
// text from x, cut with "..." when it would pass `right`
void TLDrawCutText(TreeListWin* w, HDC dc, int x, int y, int right, const RECT& clip, const char* text, int len,
                   bool bold, UINT options, int maxChars);
void TLDrawCheck(TreeListState* st, HDC dc, int x, int top, int stateIndex, HIMAGELIST list, bool builtin, bool hot,
                 bool pressed);
// the box behind a selected, focused or drop-highlighted text (TLBOX_*)
#define TLBOX_HIGHLIGHT 0x1u  // filled with the highlight colour
#define TLBOX_UNFOCUSED 0x2u  // filled as a selection without the focus
#define TLBOX_CARET 0x4u      // dotted frame of the caret
#define TLBOX_EMPTY 0x8u      // empty text: the background instead of a box
void TLDrawSelectionBox(TreeListState* st, HDC dc, const RECT& text, COLORREF bg, uint32_t look);
COLORREF TLRowBackground(TreeListState* st, uint32_t row0, bool shaded);
int TLImageIndex(TreeListState* st, uint32_t h, bool* fromCellList);
// an image given by callback (which: TLIF_IMAGE or TLIF_SELECTEDIMAGE) asked
// of the parent; -2 when it gives none or the item went meanwhile
int TLAskImage(TreeListState* st, uint32_t h, int column, uint32_t which);
void TLPaintCell(TreeListState* st, HDC dc, uint32_t h, int column, uint32_t row0, int top, int left, int right,
                 COLORREF rowBg, bool fullSel);
