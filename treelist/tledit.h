// What the editors and the column editor share.
#pragma once

#include "treelist/tlwin.h"

// Creates the editor window over a cell (selecting and scrolling to it first);
// *text receives a copy of the cell's text (freed by the caller).
HWND TreeListOpenEditor(TreeListState* st, uint32_t item, int column, uint32_t flags, const char** text);
// index of text among the column's choices, -1 when absent (exact compare)
int TLFindChoice(const TreeListColumn& col, const char* text);
// the i-th choice copied into buf (cut to size-1); false past the end
bool TLChoiceAt(const TreeListColumn& col, uint32_t i, char* buf, size_t size);
