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
void TLDrawSelectionBox(TreeListState* st, HDC dc, const RECT& text, bool focusLook, bool unfocusedFill,
                        bool caretFrame);
COLORREF TLRowBackground(TreeListState* st, uint32_t row0, bool shaded);
int TLImageIndex(TreeListState* st, uint32_t h, bool* fromCellList);
void TLPaintCell(TreeListState* st, HDC dc, uint32_t h, int column, uint32_t row0, int top, int left, int right,
                 COLORREF rowBg, bool fullSel);
