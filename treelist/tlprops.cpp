// The options word, the numbered properties, colour slots and the row
// height, as the window procedure sets them.
#include "treelist/tlwin.h"

LRESULT TreeListSetExtendedStyle(TreeListState* st, uint32_t mask, uint32_t values) {
  if (!mask) mask = 0xFFFFFFFFu;
  uint32_t old = st->options;
  st->options = (old & ~mask) | (values & mask);
  uint32_t diff = old ^ st->options;
  if (diff & TLOPT_NOHSCROLL) TreeListUpdateHScroll(st);
  if ((diff & TLOPT_DISABLEDLOOK) && !st->enabled) TreeListInvalidateAll(st);
  if (diff & (TLOPT_KEEPVSCROLL | TLOPT_GRID)) {
    TreeListMeasure(st);
    if ((diff & TLOPT_KEEPVSCROLL) && (st->options & TLOPT_KEEPVSCROLL)) {
      // a range that scrolls shows a hidden bar; the real values below then
      // leave it shown, disabled, and the columns take the narrower client
      SCROLLINFO si = {sizeof(si), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
      SetScrollInfo(st->win->hwnd, SB_VERT, &si, !st->redrawOff);
    }
    st->sbMax[1] = -1;
    TreeListUpdateView(st, true);
  }
  if (diff & 0x40E0002u) TreeListInvalidateAll(st);
  if ((diff & TLOPT_CELLSELECT) && !(st->options & TLOPT_CELLSELECT) && st->selItem && st->selColumn)
    TreeListSelectItem(st, st->selItem, 0, 0);
  if (diff & TLOPT_NOHEADER) {
    st->headerH = (st->options & TLOPT_NOHEADER) || !st->win->header ? 0 : GetSystemMetrics(SM_CYHSCROLL);
    st->win->HostScrolled(0);
    TreeListUpdateView(st, true);
    TreeListInvalidateAll(st);
  }
  if (diff & TLOPT_HIDEITEMS) TreeListLayoutRows(st, 0);
  return static_cast<LRESULT>(st->options);
}

LRESULT TreeListProperty(TreeListState* st, WPARAM wp, LPARAM lp) {
  bool set = (wp & TLPROP_SET) != 0;
  uint32_t n = static_cast<uint32_t>(wp & 0xFFFFu);
  intptr_t v = lp;
  intptr_t prev = 0;
  switch (n) {
    case TLPROP_PAINTWORD:
      prev = st->paintWord;
      if (set && prev != v) {
        st->paintWord = static_cast<uint32_t>(v);
        if (st->shownRows) TreeListInvalidateAll(st);
      }
      return prev;
    case TLPROP_DRAGLOCKMASK: prev = st->dragLockMask; if (set) st->dragLockMask = static_cast<uint32_t>(v); return prev;
    case TLPROP_DRAGFLAGS: prev = st->dragFlags; if (set) st->dragFlags = static_cast<uint32_t>(v); return prev;
    case TLPROP_FROZENROWS:
      prev = st->frozenRows;
      if (set && prev != v) {
        st->frozenRows = static_cast<uint32_t>(v);
        TreeListInvalidateAll(st);
      }
      return prev;
    case TLPROP_FROZENLINE:
      prev = st->frozenLine ? 1 : 0;
      if (set) {
        st->frozenLine = v ? 0x80000000u : 0;
        TreeListInvalidateAll(st);
      }
      return prev;
    case TLPROP_SELECTEDCOUNT: return st->selCount;
    case TLPROP_CLICKFLAGS: prev = st->clickFlags; if (set) st->clickFlags = static_cast<int8_t>(v); return prev;
    case TLPROP_USER1: prev = st->user1; if (set && prev != v) st->user1 = v; return prev;
    case TLPROP_USER2: prev = st->user2; if (set) st->user2 = v; return prev;
    case TLPROP_MINROWHEIGHT:
      prev = st->minRowHeight;
      if (set && prev != static_cast<int8_t>(v)) {
        st->minRowHeight = static_cast<int8_t>(v);
        TreeListMeasure(st);
      }
      return prev;
    case TLPROP_WNDPROC: return reinterpret_cast<LRESULT>(&TreeListWndProc);
    case TLPROP_CHECKLOCKMASK: prev = st->checkLockMask; if (set) st->checkLockMask = static_cast<uint32_t>(v); return prev;
    case TLPROP_SCROLLMARGIN: prev = st->scrollMargin; if (set) st->scrollMargin = static_cast<uint8_t>(v); return prev;
    case TLPROP_MERGEMASK:
      prev = st->mergeMask;
      if (set && prev != (v & 0xFFFF)) {
        st->mergeMask = static_cast<uint32_t>(v & 0xFFFF);
        TreeListInvalidateAll(st);
      }
      return prev;
    case TLPROP_GROWMARGIN:
      prev = st->growMargin;
      if (set && prev != static_cast<uint8_t>(v)) {
        st->growMargin = static_cast<uint8_t>(v);
        // every row counts as changed once; a quiet delete may have left a
        // freed item in the table until its renumbering runs
        for (uint32_t r = 0; r < st->shownRows; r++)
          if (TreeListItem* it = TLGet(st, st->rows[r])) it->row = 0;
        TreeListLayoutRows(st, 0);
      }
      return prev;
    case TLPROP_EDITFROZENONLY: prev = st->editFrozenOnly; if (set) st->editFrozenOnly = v ? 1 : 0; return prev;
    case TLPROP_DRAWCALLBACK: prev = st->drawCallback; if (set) st->drawCallback = v, TreeListInvalidateAll(st); return prev;
    case TLPROP_DRAWUSER: prev = st->drawUser; if (set) st->drawUser = v; return prev;
    case TLPROP_EXPANDEDOFFSET:
      prev = st->expandedOffset;
      if (set && prev != v) st->expandedOffset = static_cast<uint32_t>(v), TreeListInvalidateAll(st);
      return prev;
  }
  return 0;
}

LRESULT TreeListColorSlot(TreeListState* st, uint32_t slot, LPARAM color, bool set) {
  if (slot >= 18) return -1;
  LRESULT prev = st->colors[slot];
  if (!set) return prev;
  if (static_cast<uint32_t>(color) == 0xFFFFFFFFu)
    st->colorSet &= ~(1u << slot);
  else
    st->colorSet |= 1u << slot, st->colors[slot] = static_cast<uint32_t>(color);
  TreeListResetColors(st);
  TreeListInvalidateAll(st);
  return prev;
}

LRESULT TreeListItemHeight(TreeListState* st, int height) {
  LRESULT prev = st->rowHeight;
  if (height == -1) {
    st->explicitHeight = 0;
    TreeListMeasure(st);
    return prev;
  }
  if (height > 256) height = 256;
  if ((height & 1) && !(st->options & TLOPT_ODDHEIGHTS)) height--;
  if (height < 1) height = 1;
  st->explicitHeight = 1;
  st->rowHeight = height;
  TreeListUpdateView(st, true);
  TreeListInvalidateAll(st);
  return prev;
}
