// Notifications (sent with the lock left), display-text requests,
// selection, toggling, select-all, the caret, expand and collapse.
#include <stdlib.h>
#include <string.h>

#include "treelist/tlstate.h"

intptr_t TreeListNotify(TreeListState* st, TLNmHdr* rec, int code) {
  if (st->dead) return 0;
  rec->code = static_cast<uint32_t>(code);
  TreeListUnlocked out(st);
  return st->host->HostNotify(rec);
}

void TLFillItem(TreeListState* st, TLItem* out, uint32_t h, uint32_t mask, int column) {
  memset(out, 0, sizeof(*out));
  out->mask = mask;
  out->pszText = TL_TEXTCALLBACK;
  out->cchTextMax = -1;
  out->stateMask = 0xFFFFFFFFu;
  out->cChildren = column;
  TreeListItem* it = TLGet(st, h);
  if (!it) return;
  out->hItem = h;
  out->state = it->state;
  if (column > 0) {
    TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
    out->state = (it->state & TLIS_ITEMBITS) | (c ? c->state & ~TLIS_ITEMBITS : 0);
  }
  out->iImage = it->image;
  out->iSelectedImage = it->selImage;
  out->lParam = it->data;
}

void TLFillItemText(TreeListState* st, TLItem* out, uint32_t h, uint32_t mask, int column, std::string* keep) {
  uint32_t len = 0;
  const char* t = TLGet(st, h) ? TreeListItemText(st, h, column, &len) : "";
  keep->assign(t, len);
  TLFillItem(st, out, h, mask, column);
  if (!TLGet(st, h)) {
    out->mask &= ~TLIF_TEXT;
    return;
  }
  out->pszText = const_cast<char*>(keep->c_str());
  out->cchTextMax = static_cast<int32_t>(keep->size());
}

// The text of an item or cell; a callback text is asked for with
// TLN_GETDISPINFO into one of two alternating buffers. Null or -1 answers are
// empty; texts are cut at the length limit.
bool TreeListAskChildren(TreeListState* st, uint32_t h) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return false;
  if (!(it->cbFlags & TLCB_CHILDREN)) return true;
  TLNmDispInfo nm = {};
  TLFillItem(st, &nm.item, h, TLIF_CHILDREN | 0x1Cu, 0);
  nm.item.pszText = nullptr;
  nm.item.cchTextMax = 0;
  nm.item.iImage = nm.item.iSelectedImage = nm.item.cChildren = -1;
  TreeListNotify(st, &nm.hdr, TLN_GETDISPINFO);
  it = TLGet(st, h);
  if (!it) return false;
  int32_t n = nm.item.cChildren;
  if (n == -1) return true;  // no answer: asked again next time
  // the answer stays: 0 none for now, 1 a button, else as the children come
  it->cbFlags &= ~TLCB_CHILDREN;
  it->flags &= ~(TLF_AUTOCHILDREN | TLF_HASCHILDREN);
  if (n == 1) it->flags |= TLF_HASCHILDREN;
  else it->flags |= TLF_AUTOCHILDREN | (n != 0 && it->firstChild ? TLF_HASCHILDREN : 0);
  return true;
}

const char* TreeListItemText(TreeListState* st, uint32_t h, int column, uint32_t* length) {
  *length = 0;
  TreeListItem* it = TLGet(st, h);
  if (!it) return "";
  bool callback;
  if (column > 0) {
    TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
    if (!c) return "";
    callback = (c->cbFlags & TLCB_TEXT) != 0;
    if (!callback) {
      *length = c->textLength;
      return c->text ? c->text : "";
    }
  } else {
    callback = (it->cbFlags & TLCB_TEXT) != 0;
    if (!callback) {
      *length = it->textLength;
      return it->text ? it->text : "";
    }
  }
  char* buf = st->textBuf[st->textBufNext];
  st->textBufNext ^= 1u;
  buf[0] = 0;
  TLNmDispInfo nm = {};
  TLFillItem(st, &nm.item, h, TLIF_TEXT | 0x1Cu | (column > 0 ? TLIF_COLUMN : 0), column);
  nm.item.pszText = buf;
  nm.item.cchTextMax = TL_BUFSIZE - 1;
  nm.item.iImage = nm.item.iSelectedImage = -1;
  TreeListNotify(st, &nm.hdr, TLN_GETDISPINFO);
  buf[TL_BUFSIZE - 1] = 0;
  it = TLGet(st, h);
  if (!it || !nm.item.pszText || nm.item.pszText == TL_TEXTCALLBACK) return "";
  const char* t = nm.item.pszText;
  if (t == st->textBuf[0] || t == st->textBuf[1]) st->textBuf[t == st->textBuf[0] ? 0 : 1][TL_BUFSIZE - 1] = 0;
  *length = static_cast<uint32_t>(strnlen(t, TL_TEXTMAX));
  if (column > 0) {
    TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
    if (c) c->textWidth = 0;
  } else {
    it->textWidth = 0;
  }
  return t;
}

// ---------------------------------------------------------------- selection

static void SelRecord(TreeListState* st, TLItem* out, uint32_t h, int column) {
  TLFillItem(st, out, h, 0x801Cu, column);
}

static void RepaintSelection(TreeListState* st, uint32_t h, int column) {
  bool row = (st->options & (TLOPT_CELLSELECT | TLOPT_FULLROWSELECT)) || column > 0;
  TreeListInvalidateItem(st, h, row ? -1 : 0);
}

static void SetSelectedBit(TreeListState* st, TreeListItem* it, bool on) {
  bool was = (it->state & TLIS_SELECTED) != 0;
  if (was == on) return;
  if (on) {
    it->state |= TLIS_SELECTED;
    st->selCount++;
  } else {
    it->state &= ~TLIS_SELECTED;
    if (st->selCount) st->selCount--;
  }
}

static void SingleExpand(TreeListState* st, uint32_t oldItem, uint32_t newItem, uint32_t cause, int* result) {
  TLNmTreeView nm = {};
  nm.action = cause;
  TLFillItem(st, &nm.itemOld, oldItem, 0x1Cu, 0);
  TLFillItem(st, &nm.itemNew, newItem, 0x1Cu, 0);
  intptr_t answer = st->noNotify ? 0 : TreeListNotify(st, &nm.hdr, TLN_SINGLEEXPAND);
  // the common ancestor of both branches
  uint32_t common = 0;
  for (uint32_t a = oldItem; a && !common; a = TLGet(st, a) ? TLGet(st, a)->parent : 0) {
    if (a == newItem || TLIsAncestor(st, a, newItem)) common = a;
  }
  if (!(answer & 1)) {
    for (uint32_t a = oldItem; a && a != common;) {
      TreeListItem* ai = TLGet(st, a);
      if (!ai) break;
      uint32_t up = ai->parent;
      if (ai->state & TLIS_EXPANDED) TreeListExpand(st, a, TLE_COLLAPSE);
      a = up;
    }
  }
  if (!(answer & 2)) {
    for (uint32_t a = newItem; a && a != common;) {
      TreeListItem* ai = TLGet(st, a);
      if (!ai) break;
      uint32_t up = ai->parent;
      if (!(ai->state & TLIS_EXPANDED) && (ai->firstChild || (ai->flags & TLF_HASCHILDREN)))
        TreeListExpand(st, a, TLE_EXPAND);
      a = up;
    }
  }
  *result = 2;
}

int TreeListSelectItem(TreeListState* st, uint32_t h, int column, uint32_t cause) {
  if (column < 0 || (column != 0 && static_cast<uint32_t>(column) >= st->columnCount)) return 0;
  if (h && !TLGet(st, h)) return 0;
  bool multi = (st->options & TLOPT_MULTISELECT) != 0;
  if (h == st->selItem && column == st->selColumn && !(multi && st->selCount > 1) && !(cause & 0x4000u)) {
    if (!h || (TLGet(st, h)->state & TLIS_SELECTED)) return 1;
  }
  bool deselect = multi && (cause & 0x4000u);
  if (multi && (cause & 0x8000u)) {
    for (uint32_t x = st->capacity; x >= 1; x--) {
      TreeListItem* xi = TLGet(st, x);
      if (xi && x != h && (xi->state & TLIS_SELECTED)) TreeListToggleSelect(st, x, cause & 0xFFu);
      if (st->dead) return 0;
    }
  }
  uint32_t oldItem = st->selItem;
  int oldColumn = st->selColumn;
  if (!st->noNotify) {
    TLNmTreeView nm = {};
    nm.action = cause & ~0xC000u;
    SelRecord(st, &nm.itemOld, oldItem, oldColumn);
    SelRecord(st, &nm.itemNew, h, column);
    if (TreeListNotify(st, &nm.hdr, TLN_SELCHANGING)) return 0;
    if (h && !TLGet(st, h)) return 0;
  }
  oldItem = st->selItem;  // may have changed meanwhile
  oldColumn = st->selColumn;
  TreeListItem* oi = TLGet(st, oldItem);
  if (oi && oldItem != h && (!multi || (cause & 0x8000u))) {
    RepaintSelection(st, oldItem, oldColumn);
    SetSelectedBit(st, oi, false);
  }
  TreeListItem* ni = TLGet(st, h);
  if (ni) {
    if (column > 0) TLGetCell(st, h, static_cast<uint32_t>(column), true);
    SetSelectedBit(st, ni, !deselect);
    RepaintSelection(st, h, column);
  }
  if (oi && oldItem == h && oldColumn != column) RepaintSelection(st, h, oldColumn);
  if (deselect) {
    if (st->selItem == h) st->selItem = 0, st->selColumn = 0;
  } else {
    st->selItem = h;
    st->selColumn = column;
    if (!multi) {
      st->caretItem = h;
      st->caretColumn = column;
    }
  }
  if (!st->noNotify) {
    TLNmTreeView nm = {};
    nm.action = cause & ~0xC000u;
    SelRecord(st, &nm.itemOld, oldItem, oldColumn);
    SelRecord(st, &nm.itemNew, h, column);
    TreeListNotify(st, &nm.hdr, TLN_SELCHANGED);
    if (st->dead) return 0;
  }
  int result = 1;
  if ((st->style & 0x400u) && h && !deselect) SingleExpand(st, oldItem, h, cause & ~0xC000u, &result);
  if ((st->style & 0x20u) && h && TLGet(st, h) && !deselect) TreeListEnsureVisible(st, h, column);
  return st->dead ? 0 : result;
}

int TreeListToggleSelect(TreeListState* st, uint32_t h, uint32_t cause) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  if (!st->noNotify) {
    TLNmTreeView nm = {};
    nm.action = cause;
    SelRecord(st, &nm.itemOld, h, 0);
    SelRecord(st, &nm.itemNew, h, 0);
    if (TreeListNotify(st, &nm.hdr, TLN_SELCHANGING)) return 0;
    it = TLGet(st, h);
    if (!it) return 0;
  }
  bool on = !(it->state & TLIS_SELECTED);
  SetSelectedBit(st, it, on);
  if (on && !st->selItem) st->selItem = h;
  if (!on && st->selItem == h) {
    st->selItem = 0;
    // another selected item keeps the selection named
    for (uint32_t x = 1; x <= st->capacity; x++) {
      TreeListItem* xi = TLGet(st, x);
      if (xi && (xi->state & TLIS_SELECTED)) {
        st->selItem = x;
        break;
      }
    }
  }
  if (!st->noNotify) {
    TLNmTreeView nm = {};
    nm.action = cause;
    SelRecord(st, &nm.itemOld, h, 0);
    SelRecord(st, &nm.itemNew, h, 0);
    TreeListNotify(st, &nm.hdr, TLN_SELCHANGED);
  }
  if (TLGet(st, h)) RepaintSelection(st, h, 0);
  return 1;
}

int TreeListSelectAll(TreeListState* st, uintptr_t h, uint32_t flags) {
  if (!(st->options & TLOPT_MULTISELECT)) return 0;
  uint32_t start = h == TLI_ROOT ? st->firstRoot : static_cast<uint32_t>(h);
  TreeListItem* it = TLGet(st, start);
  if (!it) return 0;
  bool want = !(flags & 2u);
  uint32_t parent = it->parent;
  // the item, its following siblings and (flag 1) their subtrees, in tree order
  uint32_t x = start;
  uint32_t end = parent ? TLNextInTree(st, parent, false) : 0;
  while (x && x != end) {
    TreeListItem* xi = TLGet(st, x);
    if (!xi) break;
    uint32_t nextX = (flags & 1u) ? TLNextInTree(st, x, true) : xi->next;
    if (((xi->state & TLIS_SELECTED) != 0) != want) TreeListToggleSelect(st, x, 0);
    if (st->dead) return 0;
    if (!TLGet(st, nextX)) break;
    x = nextX;
  }
  return 1;
}

int TreeListSetCaret(TreeListState* st, intptr_t h, int column) {
  uint32_t cur = st->caretItem ? st->caretItem : st->selItem;
  int curColumn = st->caretItem ? st->caretColumn : st->selColumn;
  uint32_t item = h == -1 ? cur : static_cast<uint32_t>(h);
  if (column == -1) column = curColumn;
  if (item && !TLGet(st, item)) return 0;
  if (column < 0 || (column && static_cast<uint32_t>(column) >= st->columnCount)) return 0;
  if (!(st->options & TLOPT_MULTISELECT)) {
    if (!item) return 0;
    return TreeListSelectItem(st, item, (st->options & TLOPT_CELLSELECT) ? column : 0, 0);
  }
  TreeListItem* old = TLGet(st, st->caretItem);
  if (old) {
    old->flags &= ~TLF_CARETMARK;
    TreeListInvalidateItem(st, st->caretItem, -1);
  }
  st->caretItem = item;
  st->caretColumn = item ? column : 0;
  TreeListItem* ni = TLGet(st, item);
  if (ni) {
    ni->flags |= TLF_CARETMARK;
    if (ni->state & TLIS_SELECTED) {
      if (st->selItem) TreeListInvalidateItem(st, st->selItem, -1);
      st->selItem = item;
      st->selColumn = column;
    }
    TreeListInvalidateItem(st, item, -1);
  }
  return 1;
}

int TreeListSetHot(TreeListState* st, uintptr_t h, int column) {
  if (h && !TLGet(st, h)) return 0;
  if (!(st->options & TLOPT_CELLSELECT)) column = 0;
  if (column < 0 || (column && static_cast<uint32_t>(column) >= st->columnCount)) column = 0;
  if (st->hotItem == h && st->hotColumn == column) return 1;
  if (st->hotItem) TreeListInvalidateItem(st, st->hotItem, st->hotColumn);
  st->hotItem = static_cast<uint32_t>(h);
  st->hotColumn = h ? column : 0;
  if (h) TreeListInvalidateItem(st, st->hotItem, st->hotColumn);
  return 1;
}

// ---------------------------------------------------------------- expansion

static intptr_t ExpandNote(TreeListState* st, uint32_t h, int code, uint32_t action) {
  if (st->noNotify) return 0;
  TLNmTreeView nm = {};
  nm.action = action;
  TLFillItem(st, &nm.itemNew, h, 0x1Cu, 0);
  nm.itemOld.mask = 0;
  nm.itemOld.pszText = nullptr;
  nm.itemOld.cchTextMax = 0;
  nm.itemOld.stateMask = 0;
  return TreeListNotify(st, &nm.hdr, code);
}

int TreeListExpand(TreeListState* st, uint32_t h, uint32_t action) {
  if (!TreeListAskChildren(st, h)) return -1;
  TreeListItem* it = TLGet(st, h);
  if (!it) return -1;
  uint32_t kind = action & 0xFu;
  bool expand;
  if (kind == TLE_COLLAPSE) expand = false;
  else if (kind == TLE_EXPAND) expand = true;
  else expand = !(it->state & TLIS_EXPANDED) || (it->state & TLIS_EXPANDPARTIAL);
  uint32_t code = expand ? 2u : 1u;
  if (ExpandNote(st, h, TLN_ITEMEXPANDING, code)) return TLGet(st, h) ? 0 : -1;
  it = TLGet(st, h);
  if (!it) return -1;
  uint32_t old = it->state;
  uint32_t ns = old;
  if (expand) ns |= TLIS_EXPANDED; else ns &= ~TLIS_EXPANDED;
  ns &= ~TLIS_EXPANDPARTIAL;
  if (expand && (action & (TLE_PARTIAL | TLIS_EXPANDPARTIAL))) ns |= TLIS_EXPANDPARTIAL;
  it->state = ns;
  bool changed = ((old ^ ns) & TLIS_EXPANDED) != 0;
  if (changed && TLRowOf(st, it)) TreeListLayoutRows(st, h);
  ExpandNote(st, h, TLN_ITEMEXPANDED, code);
  it = TLGet(st, h);
  if (!it) return -1;
  if (!expand) {
    if (st->selItem && !TLGet(st, st->selItem)) st->selItem = 0;
    if (st->selItem && TLIsAncestor(st, h, st->selItem)) TLFlushLayout(st);  // its row must be known
    TreeListItem* si = TLGet(st, st->selItem);
    if (si && !TLRowOf(st, si) && TLIsAncestor(st, h, st->selItem)) {
      TreeListSelectItem(st, h, st->selColumn, 0);
      it = TLGet(st, h);
      if (!it) return -1;
    }
  } else {
    it->state |= TLIS_EXPANDEDONCE;
  }
  if (!changed || (old ^ it->state)) TreeListInvalidateItem(st, h, 0);
  return changed ? 1 : 0;
}
