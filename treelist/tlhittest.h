// The tree column's horizontal layout and text widths, shared by the hit
// test, item rectangles and painting.
#pragma once

#include "treelist/tlstate.h"

// offset of the state image (after the indentation and the button cell)
int32_t TLTreeContentX(const TreeListState* st, const TreeListItem* it);
bool TLHasButtonCell(const TreeListState* st, const TreeListItem* it);
// measured (and cached) text width of an item or cell; callback texts asked
uint32_t TLTextWidth(TreeListState* st, uint32_t h, int column);
