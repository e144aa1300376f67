// Row numbering, hidden items, frozen rows, the scroll state, ensure-visible,
// visibility and item rectangles.
#include <string.h>

#include "treelist/tlhittest.h"

static bool Hidden(const TreeListState* st, const TreeListItem* it) {
  return (st->options & TLOPT_HIDEITEMS) && (it->state & TLIS_HIDDEN);
}

// Next item in display order: children of expanded items, hidden branches skipped.
static uint32_t NextShown(const TreeListState* st, uint32_t h) {
  const TreeListItem* it = TLGet(st, h);
  uint32_t x;
  if ((it->state & TLIS_EXPANDED) && it->firstChild)
    x = it->firstChild;
  else
    x = TLNextInTree(st, h, false);
  while (x) {
    const TreeListItem* xi = TLGet(st, x);
    if (!Hidden(st, xi)) return x;
    x = TLNextInTree(st, x, false);
  }
  return 0;
}

void TreeListLayoutRows(TreeListState* st, uint32_t h, uint32_t stopAt) {
  if (st->dead) return;
  if (st->layoutHold) {
    st->layoutPending = 1;
    return;
  }
  st->layoutPasses++;
  if (st->rowsStale) {
    // a row noted before the removal may count items that are gone
    h = 0;
    stopAt = 0;
    st->rowsStale = 0;
  }
  uint32_t oldShown = st->shownRows;
  uint32_t start = 0, row = 1;
  TreeListItem* it = TLGet(st, h);
  while (it) {
    uint32_t r = TLRowOf(st, it);
    if (r) {
      start = h;
      row = r;
      break;
    }
    h = it->parent;
    it = TLGet(st, h);
  }
  if (!start) {
    start = st->firstRoot;
    while (start && Hidden(st, TLGet(st, start))) start = TLGet(st, start)->next;
    row = 1;
  }
  if (!start) {
    st->shownRows = 0;
    TreeListInvalidateAll(st);
    if (oldShown) TreeListUpdateView(st, true);
    return;
  }
  int32_t widest = 0;
  bool grow = st->growMargin != 0;
  for (uint32_t x = start; x; x = row - 1 == stopAt ? 0 : NextShown(st, x)) {
    TreeListItem* xi = TLGet(st, x);
    if (xi->row != row || st->rows[row - 1] != x) {
      xi->flags |= TLF_ROWCHANGED;
      xi->row = row;
      st->rows[row - 1] = x;
      if (grow) {
        if (!xi->textWidth && xi->text) xi->textWidth = st->host->HostMeasureText(xi->text, xi->textLength, (xi->state & TLIS_BOLD) != 0);
        int32_t w = xi->textWidth + xi->level * st->indent + ((xi->flags & TLF_HASIMAGE) ? st->imageW : 0) +
                    (st->linesAtRoot ? st->indent : 0) + (st->hasStateList ? st->stateW : 0);
        if (w > widest) widest = w;
      }
    }
    row++;
  }
  st->shownRows = row - 1;
  if (grow && st->columnCount && widest) {
    int32_t want = widest + static_cast<int32_t>(st->growMargin) + 6;
    if (want > st->columns[0].headerWidth + 2) {
      st->columns[0].width = st->columns[0].headerWidth = static_cast<int16_t>(want > 32767 ? 32767 : want);
      TreeListColumnPositions(st);
      st->host->HostScrolled(2);  // the header learns the new width
    }
  }
  // repaint from the start row down
  TLRect r = {0, 0, st->clientW, st->clientH};
  uint32_t startRow = TLGet(st, start)->row;
  int32_t pos = static_cast<int32_t>(startRow) - 1 - (startRow > st->frozenRows ? static_cast<int32_t>(st->firstRow) : 0);
  if (pos > 0) r.top = st->headerH + pos * st->rowHeight;
  if (r.top < st->clientH) st->host->HostInvalidate(&r);
  if (st->shownRows != oldShown) TreeListUpdateView(st, false);
}

TLLayoutHold::TLLayoutHold(TreeListState* s) : st(s) { st->layoutHold++; }

TLLayoutHold::~TLLayoutHold() {
  if (--st->layoutHold == 0 && st->layoutPending) TLFlushLayout(st);
}

void TLFlushLayout(TreeListState* st) {
  if (!st->layoutPending) return;
  uint32_t hold = st->layoutHold;
  st->layoutHold = 0;
  st->layoutPending = 0;
  TreeListLayoutRows(st, 0);
  TreeListInvalidateAll(st);
  st->layoutHold = hold;
}

int32_t TreeListMaxFirstRow(const TreeListState* st) {
  int32_t m = static_cast<int32_t>(st->shownRows) - static_cast<int32_t>(st->fullRows) + 1;
  return m > 0 ? m : 0;
}

void TreeListUpdateView(TreeListState* st, bool forced) {
  int32_t area = st->clientH - st->headerH;
  if (area < 0) area = 0;
  int32_t rh = st->rowHeight > 0 ? st->rowHeight : 1;
  st->rowsInView = static_cast<uint32_t>((area + rh - 1) / rh);
  st->fullRows = static_cast<uint32_t>(area / rh);
  if (st->shownRows <= st->fullRows) st->firstRow = 0;
  int32_t maxFirst = TreeListMaxFirstRow(st);
  if (static_cast<int32_t>(st->firstRow) > maxFirst) st->firstRow = static_cast<uint32_t>(maxFirst);
  bool noScroll = (st->style & 0x2000u) != 0;  // TVS_NOSCROLL
  st->host->HostSetScroll(1, noScroll ? 0 : static_cast<int>(st->shownRows), static_cast<int>(st->fullRows),
                          static_cast<int>(st->firstRow), forced);
}

int32_t TreeListTotalWidth(const TreeListState* st) {
  return st->columnCount ? st->colX[st->columnCount] : st->contentWidth;
}

void TreeListUpdateHScroll(TreeListState* st) {
  int32_t total = TreeListTotalWidth(st);
  bool none = (st->style & 0x2000u) || (st->options & TLOPT_NOHSCROLL);
  if (total <= st->clientW && st->hOffset != 0) {
    st->hOffset = 0;
    st->host->HostScrolled(0);
  }
  st->host->HostSetScroll(0, none ? 0 : (total > 0 ? total - 1 : 0), st->clientW, st->hOffset, true);
}

static intptr_t ScrollNote(TreeListState* st, int direction, uint32_t reason, int32_t h, int32_t v) {
  if (!(st->options & TLOPT_SCROLLNOTIFY)) return 0;
  TLNmScroll nm = {};
  nm.direction = static_cast<uint16_t>(direction);
  nm.reason = static_cast<uint16_t>(reason & 0xFFFFu);
  nm.hOffset = h;
  nm.firstRow = v;
  return TreeListNotify(st, &nm.hdr, TLN_SCROLL);
}

int TreeListSetVScroll(TreeListState* st, int32_t first, uint32_t reason) {
  int32_t maxFirst = TreeListMaxFirstRow(st);
  if (first > maxFirst) first = maxFirst;
  if (first < 0) first = 0;
  if (static_cast<uint32_t>(first) == st->firstRow) return 0;
  if (ScrollNote(st, 1, reason, st->hOffset, first)) return -1;
  if (st->dead) return 0;
  st->firstRow = static_cast<uint32_t>(first);
  TreeListUpdateView(st, true);
  st->host->HostScrolled(1);
  TreeListInvalidateAll(st);
  return 1;
}

int TreeListSetHScroll(TreeListState* st, int32_t offset, uint32_t reason) {
  int32_t maxOff = TreeListTotalWidth(st) - st->clientW;
  if (offset > maxOff) offset = maxOff;
  if (offset < 0) offset = 0;
  if (offset == st->hOffset) return 0;
  if (ScrollNote(st, 0, reason, offset, static_cast<int32_t>(st->firstRow))) return -1;
  if (st->dead) return 0;
  st->hOffset = offset;
  TreeListUpdateHScroll(st);
  st->host->HostScrolled(0);
  TreeListInvalidateAll(st);
  return 1;
}

// ---------------------------------------------------------------- geometry

// Top of a row on the screen, or INT32_MIN when it is scrolled away above.
static int32_t RowTop(const TreeListState* st, uint32_t row) {
  int32_t pos = static_cast<int32_t>(row) - 1;
  if (row > st->frozenRows) {
    pos -= static_cast<int32_t>(st->firstRow);
    if (pos < static_cast<int32_t>(st->frozenRows)) return INT32_MIN;
  }
  return st->headerH + pos * st->rowHeight;
}

static int ColumnPos(const TreeListState* st, int column) { return st->columns[column].position; }

void TreeListColumnSpan(const TreeListState* st, int column, int32_t* left, int32_t* right) {
  if (!st->columnCount) {
    *left = -st->hOffset;
    *right = st->clientW > TreeListTotalWidth(st) - st->hOffset ? st->clientW : TreeListTotalWidth(st) - st->hOffset;
    return;
  }
  int p = ColumnPos(st, column);
  *left = st->colX[p] - st->hOffset;
  *right = st->colX[p + 1] - st->hOffset;
}

void TreeListInvalidateAll(TreeListState* st) {
  if (!st->dead && !st->redrawOff) st->host->HostInvalidate(nullptr);
}

void TreeListInvalidateItem(TreeListState* st, uint32_t h, int column) {
  TreeListItem* it = TLGet(st, h);
  uint32_t row = TLRowOf(st, it);
  if (!row || st->redrawOff) return;
  int32_t top = RowTop(st, row);
  if (top == INT32_MIN || top >= st->clientH) return;
  TLRect r = {0, top, st->clientW, top + st->rowHeight};
  if (column >= 0 && st->columnCount && static_cast<uint32_t>(column) < st->columnCount) {
    TreeListColumnSpan(st, column, &r.left, &r.right);
  }
  st->host->HostInvalidate(&r);
}

void TreeListColumnPositions(TreeListState* st) {
  int32_t x = 0;
  for (uint32_t p = 0; p < st->columnCount; p++) {
    st->colX[p] = x;
    x += st->columns[st->order[p]].headerWidth;
  }
  st->colX[st->columnCount] = x;
}

int TreeListEnsureVisible(TreeListState* st, uintptr_t h, int column) {
  if (h == TLI_CARET) h = st->caretItem ? st->caretItem : st->selItem;
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  uint32_t handle = static_cast<uint32_t>(h);
  int result = 1;
  if (!TLRowOf(st, it)) {
    // expand the collapsed ancestors from the top down
    for (;;) {
      uint32_t top = 0;
      for (uint32_t a = TLGet(st, handle)->parent; a; a = TLGet(st, a)->parent)
        if (!(TLGet(st, a)->state & TLIS_EXPANDED)) top = a;
      if (!top) break;
      if (TreeListExpand(st, top, TLE_TOGGLE) <= 0) return 0;
      if (!TLGet(st, handle)) return 0;
    }
    result = 0;
    it = TLGet(st, handle);
    if (!TLRowOf(st, it)) return 0;
  }
  int32_t row0 = static_cast<int32_t>(TLRowOf(st, it)) - 1;
  int32_t frozen = static_cast<int32_t>(st->frozenRows);
  int32_t full = static_cast<int32_t>(st->fullRows) - frozen;
  if (full < 1) full = 1;
  int32_t first = static_cast<int32_t>(st->firstRow);
  int32_t margin = static_cast<int32_t>(st->scrollMargin);
  int32_t maxFirst = TreeListMaxFirstRow(st);
  if (row0 >= frozen) {
    int32_t rel = row0 - frozen;  // position among the scrolled rows
    if (column == -2 && rel >= first) {
      first = rel;
    } else if (rel < first) {
      first = rel;
      if (column == -2 && rel > margin && full > margin + 7) first -= margin;
    } else if (rel >= first + full) {
      first = rel - full + 1;
      if (first < maxFirst - margin && full > margin + 7) first += margin;
    }
    if (first > maxFirst) first = maxFirst;
    if (first < 0) first = 0;
    TreeListSetVScroll(st, first, 9);
    if (st->dead || !TLGet(st, handle)) return 0;
  }
  if (column >= 0 && st->columnCount && static_cast<uint32_t>(column) < st->columnCount) {
    int p = ColumnPos(st, column);
    int32_t left = st->colX[p], right = st->colX[p + 1];
    if (column == 0 && right - left > st->clientW) {
      it = TLGet(st, handle);
      left += it->level * st->indent;
      int32_t tw = static_cast<int32_t>(it->textWidth);
      right = left + st->indent + (tw < 51 ? 70 : tw + 20) + ((it->flags & TLF_HASIMAGE) ? st->imageW : 0);
    }
    int32_t off = st->hOffset;
    if (right > off + st->clientW) off = right - st->clientW;
    if (left < off) off = left;
    int32_t lim = TreeListTotalWidth(st) - st->clientW / 2;
    if (off > lim) off = lim;
    if (off < 0) off = 0;
    TreeListSetHScroll(st, off, 9);
  }
  return st->dead ? 0 : result;
}

int TreeListGetVisibility(TreeListState* st, uintptr_t h, int column) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return -1;
  uint32_t row = TLRowOf(st, it);
  if (!row) return 0;
  int32_t top = RowTop(st, row);
  if (top == INT32_MIN || top >= st->clientH) return 1;
  bool partialRow = top + st->rowHeight > st->clientH;
  bool partialCol = false;
  if (st->columnCount && column >= 0 && static_cast<uint32_t>(column) < st->columnCount) {
    int32_t l, r;
    TreeListColumnSpan(st, column, &l, &r);
    if (r <= 0 || l >= st->clientW) return 1;
    partialCol = l < 0 || r > st->clientW;
  }
  if (partialRow) return 2;
  return partialCol ? 3 : 4;
}

int TreeListGetItemRect(TreeListState* st, uint32_t what, TLRect* r) {
  uint32_t h = static_cast<uint32_t>(r->left);
  TreeListItem* it = TLGet(st, h);
  uint32_t row = TLRowOf(st, it);
  memset(r, 0, sizeof(*r));
  if (!row) return 0;
  int32_t top = RowTop(st, row);
  if (top == INT32_MIN) return 0;
  if (top >= st->clientH && !(what & 0x100u)) return 0;
  r->top = top;
  r->bottom = top + st->rowHeight;
  int column = 0;
  if ((what & 0xFCu) == 0x80u) column = static_cast<int>(what >> 24);
  if (st->columnCount && static_cast<uint32_t>(column) >= st->columnCount) return 0;
  int32_t left, right;
  TreeListColumnSpan(st, column, &left, &right);
  if (column > 0 && st->mergeMask) {
    int32_t extra = 0;
    TreeListGetSpan(st, column, it->state >> 16, &extra);
    right += extra;
  }
  r->left = left;
  r->right = right;
  if (what & 1u) {
    if (column == 0) {
      int32_t x = left + TLTreeContentX(st, it);
      if (st->hasStateList) x += st->stateW;
      if ((it->flags & TLF_HASIMAGE) && st->hasImageList) x += st->imageW;
      r->left = x;
      int32_t tw = static_cast<int32_t>(TLTextWidth(st, h, 0)) + 4;
      r->right = x + tw < right ? x + tw : right;
    } else {
      TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
      const TreeListColumn& col = st->columns[column];
      if ((c && (c->flags & TLF_HASIMAGE)) || col.editKind >= TLEK_CHECK) r->left += st->cellImageW ? st->cellImageW : st->stateW;
      if (r->left > right) r->left = right;
    }
  }
  return 1;
}
