// Tree operations: the extended expand, moves, the next-item codes, find with
// its continuation, and the insertion placeholder.
#include <string.h>

#include <vector>

#include "treelist/tlstate.h"

bool TLWaitNotBusy(TreeListState* st);
void TLUnlinkItem(TreeListState* st, uint32_t h);
void TLLinkItemAfter(TreeListState* st, uint32_t h, uint32_t parent, uint32_t after);

// One item, with the collapse-reset and partial rules.
static int ExpandOne(TreeListState* st, uint32_t h, uint32_t flags) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  uint32_t kind = flags & 0xFu;
  uint8_t quiet = st->noNotify;
  if (flags & TLE_QUIET) st->noNotify = 1;
  int r = 0;
  bool expanded = (it->state & TLIS_EXPANDED) != 0;
  bool partial = (it->state & TLIS_EXPANDPARTIAL) != 0;
  if (kind == TLE_COLLAPSE) {
    if (expanded) {
      r = TreeListExpand(st, h, TLE_COLLAPSE);
    } else if (partial) {
      it->state &= ~TLIS_EXPANDPARTIAL;
      r = 1;
    }
    it = TLGet(st, h);
    if (it && (flags & TLE_COLLAPSERESET)) {
      it->state &= ~TLIS_EXPANDEDONCE;
      while (it && it->lastChild) {
        if (!TreeListDeleteItem(st, it->lastChild, TLDEL_RENUMBER) && st->dead) break;
        it = TLGet(st, h);
      }
      r = 1;
    }
  } else if (kind == TLE_EXPAND) {
    if (!expanded) {
      r = TreeListExpand(st, h, TLE_EXPAND | (flags & TLE_PARTIAL));
    } else if (partial) {
      // partial again only when it was never expanded before (read before
      // the expand sets the expanded-once bit)
      bool once = (it->state & TLIS_EXPANDEDONCE) != 0;
      r = TreeListExpand(st, h, TLE_EXPAND);
      it = TLGet(st, h);
      if (it && (flags & TLE_PARTIAL) && !(flags & TLE_NOREPARTIAL) && !once) it->state |= TLIS_EXPANDPARTIAL;
      if (it && !(it->state & TLIS_EXPANDPARTIAL)) r = 1;  // now fully expanded: the item changed
    } else {
      r = TreeListExpand(st, h, TLE_EXPAND);  // both notifications, nothing changes
    }
  } else {
    r = TreeListExpand(st, h, expanded ? TLE_COLLAPSE : TLE_EXPAND);
  }
  st->noNotify = quiet;
  return r > 0 ? 1 : 0;
}

intptr_t TreeListExpandMsg(TreeListState* st, uint32_t flags, uintptr_t h) {
  uint32_t item;
  if (h == TLI_ROOT) {
    if (!(flags & TLE_SUBTREE)) return 0;
    item = st->firstRoot;
    flags |= TLE_SIBLINGS;  // every root and its subtree
  } else {
    item = static_cast<uint32_t>(h);
    if (!TLGet(st, item)) return 0;
    if (flags & TLE_PARENT) {
      uint32_t p = TLGet(st, item)->parent;
      if (!p) {
        if (!(flags & TLE_SUBTREE)) return 0;
        item = st->firstRoot;
        flags |= TLE_SIBLINGS;
      } else {
        item = p;
      }
    }
  }
  if (!item) return 0;
  if (flags & TLE_DEFERRED) {
    TreeListQueueAction(st, 3, item, flags & ~(TLE_DEFERRED | TLE_PARENT));
    return 1;
  }
  uint32_t single = flags & ~(TLE_SUBTREE | TLE_SIBLINGS | TLE_PARENT | TLE_ANCESTORS);
  int result = 0;
  // one renumbering for the whole walk, not one per item
  TLLayoutHold hold(st);
  if (flags & (TLE_SUBTREE | TLE_SIBLINGS)) {
    // the targets first: a parent that reorders inside the notifications
    // cannot make the walk go round
    TreeListItem* it = TLGet(st, item);
    uint32_t end = (flags & TLE_SIBLINGS) ? TLNextInTree(st, it->parent, false) : TLNextInTree(st, item, false);
    if ((flags & TLE_SIBLINGS) && !it->parent) end = 0;
    bool sub = (flags & TLE_SUBTREE) != 0;
    std::vector<uint32_t> targets;
    for (uint32_t x = item; x && x != end; x = sub ? TLNextInTree(st, x, true) : TLGet(st, x)->next) targets.push_back(x);
    // expanding everything renumbers once at the end
    bool quietRows = (single & 0xFu) == TLE_EXPAND && sub;
    for (uint32_t x : targets) {
      if (quietRows) {
        // children by callback are asked for as a single expand does
        bool there = TreeListAskChildren(st, x);
        if (st->dead) return result;
        TreeListItem* xi = there ? TLGet(st, x) : nullptr;
        if (!xi) continue;
        if ((xi->state & TLIS_EXPANDED) && (xi->state & TLIS_EXPANDPARTIAL)) {
          result |= ExpandOne(st, x, single);  // fully, or partly again by the partial rules
        } else if (!(xi->state & TLIS_EXPANDED) && (xi->firstChild || (xi->flags & TLF_HASCHILDREN))) {
          uint8_t quiet = st->noNotify;
          if (flags & TLE_QUIET) st->noNotify = 1;
          TLNmTreeView nm = {};
          intptr_t refuse = 0;
          if (!st->noNotify) {
            nm.action = 2;
            TLFillItem(st, &nm.itemNew, x, 0x1Cu, 0);
            refuse = TreeListNotify(st, &nm.hdr, TLN_ITEMEXPANDING);
          }
          xi = TLGet(st, x);
          if (xi && !refuse) {
            xi->state = (xi->state | TLIS_EXPANDED | TLIS_EXPANDEDONCE) & ~TLIS_EXPANDPARTIAL;
            if (flags & TLE_PARTIAL) xi->state |= TLIS_EXPANDPARTIAL;
            result = 1;
            if (!st->noNotify) {
              TLFillItem(st, &nm.itemNew, x, 0x1Cu, 0);
              TreeListNotify(st, &nm.hdr, TLN_ITEMEXPANDED);
            }
          }
          st->noNotify = quiet;
        }
      } else {
        result |= ExpandOne(st, x, single);
      }
      if (st->dead) return result;
    }
    if (quietRows) {
      TreeListLayoutRows(st, 0);
      TreeListInvalidateAll(st);
    }
  } else {
    result = ExpandOne(st, item, single);
  }
  if (flags & TLE_ANCESTORS) {
    TreeListItem* it = TLGet(st, item);
    for (uint32_t a = it ? it->parent : 0; a && !st->dead;) {
      TreeListItem* ai = TLGet(st, a);
      if (!ai) break;
      uint32_t up = ai->parent;
      result |= ExpandOne(st, a, single);
      a = up;
    }
  }
  return result;
}

// ---------------------------------------------------------------- moves

static void ShiftLevels(TreeListState* st, uint32_t h, int delta) {
  TreeListItem* it = TLGet(st, h);
  it->level = static_cast<uint32_t>(static_cast<int64_t>(it->level) + delta);
  uint32_t end = TLNextInTree(st, h, false);
  for (uint32_t x = it->firstChild; x && x != end; x = TLNextInTree(st, x, true))
    TLGet(st, x)->level = static_cast<uint32_t>(static_cast<int64_t>(TLGet(st, x)->level) + delta);
}

int TreeListMove(TreeListState* st, uint32_t mode, uintptr_t target, uintptr_t h) {
  if (st->busy && st->busyThread == st->host->HostThreadId()) return 0;
  if (!TLWaitNotBusy(st)) return 0;
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  uint32_t item = static_cast<uint32_t>(h);
  uint32_t parent, after;
  if (target == 0 || target == TLI_LAST) {
    parent = 0;
    after = st->lastRoot;
  } else if (target == TLI_ROOT) {
    if (!(mode & 2u)) return 0;
    parent = 0;
    after = (mode & 1u) ? st->lastRoot : 0;
  } else {
    TreeListItem* t = TLGet(st, target);
    if (!t) return 0;
    uint32_t tg = static_cast<uint32_t>(target);
    if (tg == item && (mode & 2u)) return 0;
    if (TLIsAncestor(st, item, tg)) return 0;
    if (mode & 2u) {
      parent = tg;
      after = (mode & 1u) ? t->lastChild : 0;
    } else {
      parent = t->parent;
      after = (mode & 1u) ? tg : t->prev;
      if (tg == item) return 1;
    }
  }
  if (after == item) after = it->prev;
  if (it->parent == parent && it->prev == after) return 1;
  uint32_t oldRow = TLRowOf(st, it);
  TLUnlinkItem(st, item);
  TLLinkItemAfter(st, item, parent, after);
  st->structGen++;
  TreeListItem* p = TLGet(st, parent);
  int64_t newLevel = p ? p->level + 1 : 0;
  if (newLevel != it->level) ShiftLevels(st, item, static_cast<int>(newLevel - it->level));
  // rows change from the earlier of the old row and the new place on
  uint32_t earliest = oldRow ? oldRow : UINT32_MAX;
  uint32_t before = it->prev ? it->prev : parent;
  uint32_t rb = before ? TLRowOf(st, TLGet(st, before)) : 0;
  // a place after a row-less item (hidden, or in a collapsed branch) is
  // not known from the rows: laid out from the top
  if (!rb) earliest = 1;
  else if (rb + 1 < earliest) earliest = rb + 1;
  if (earliest != UINT32_MAX) TreeListLayoutRows(st, earliest <= 1 ? 0 : st->rows[earliest - 2]);
  TreeListInvalidateAll(st);
  return 2;
}

// ---------------------------------------------------------------- next item

static uint32_t RowItem(const TreeListState* st, int64_t row0) {
  if (row0 < 0 || row0 >= static_cast<int64_t>(st->shownRows)) return 0;
  return st->rows[row0];
}

static bool InPage(const TreeListState* st, uint32_t row) {
  if (row <= st->frozenRows) return true;
  int64_t pos = static_cast<int64_t>(row) - 1 - st->firstRow;
  return pos >= st->frozenRows && pos < st->rowsInView;
}

static uint32_t NextSelected(const TreeListState* st, uint32_t from, uint32_t end, bool startInside) {
  uint32_t x = startInside ? from : TLNextInTree(st, from, true);
  for (; x && x != end; x = TLNextInTree(st, x, true))
    if (TLGet(st, x)->state & TLIS_SELECTED) return x;
  return 0;
}

intptr_t TreeListGetNextItem(TreeListState* st, uint32_t code, uintptr_t h) {
  if ((code & 0xFF000000u) == TLGN_CHILDCOUNT || (code & 0xFF000000u) == TLGN_SELFCOUNT) {
    uint32_t start;
    if ((code & 0xFF000000u) == TLGN_CHILDCOUNT)
      start = h == TLI_ROOT ? st->firstRoot : (TLGet(st, h) ? TLGet(st, h)->firstChild : 0);
    else
      start = TLGet(st, h) ? static_cast<uint32_t>(h) : 0;
    return TLGet(st, start) ? start : 0;
  }
  TreeListItem* it = TLGet(st, h);
  switch (code) {
    case TLGN_ROOT: return st->firstRoot;
    case TLGN_NEXT: return it ? it->next : 0;
    case TLGN_PREVIOUS: return it ? it->prev : 0;
    case TLGN_PARENT: return it ? it->parent : 0;
    case TLGN_CHILD: return h == TLI_ROOT ? st->firstRoot : it ? it->firstChild : 0;
    case TLGN_LASTCHILD: return h == TLI_ROOT ? st->lastRoot : it ? it->lastChild : 0;
    case TLGN_FIRSTVISIBLE: return RowItem(st, st->frozenRows ? 0 : st->firstRow);
    case TLGN_NEXTVISIBLE:
    case TLGN_PREVIOUSVISIBLE: {
      uint32_t row = TLRowOf(st, it);
      if (!row) return 0;
      uint32_t r = code == TLGN_NEXTVISIBLE ? row + 1 : row - 1;
      if (r == 0 || r > st->shownRows || !InPage(st, r)) return 0;
      return st->rows[r - 1];
    }
    case TLGN_DROPHILITE: return st->hotItem;
    case TLGN_CARET: return st->caretItem ? st->caretItem : st->selItem;
    case TLGN_LASTVISIBLE: return RowItem(st, static_cast<int64_t>(st->shownRows) - 1);
    case TLGN_NEXTSELECTED:
      if (h == TLI_ROOT || !it) return st->firstRoot ? NextSelected(st, st->firstRoot, 0, true) : 0;
      return NextSelected(st, static_cast<uint32_t>(h), 0, false);
    case TLGN_HOTCOLUMN: return st->hotColumn;
    case TLGN_CARETCOLUMN: return st->caretItem ? st->caretColumn : st->selColumn;
    case TLGN_FIRSTUNFROZENVISIBLE: return RowItem(st, static_cast<int64_t>(st->frozenRows) + st->firstRow);
    case TLGN_FOCUS:
      if ((st->options & TLOPT_MULTISELECT) && st->focusItem) return st->focusItem;
      return st->caretItem ? st->caretItem : st->selItem;
    case TLGN_FOCUSCOLUMN:
      if ((st->options & TLOPT_MULTISELECT) && st->focusItem) return st->focusColumn;
      return st->caretItem ? st->caretColumn : st->selColumn;
    case TLGN_NEXTSELECTEDCHILD: {
      if (!it) return 0;
      return NextSelected(st, it->firstChild, TLNextInTree(st, static_cast<uint32_t>(h), false), true);
    }
    case TLGN_NEXTITEM: return it ? TLNextInTree(st, static_cast<uint32_t>(h), true) : 0;
    case TLGN_FIRSTUNFROZEN: return RowItem(st, st->frozenRows);
    case TLGN_NEXTCHECKED: {
      uint32_t x = (h == TLI_ROOT || !it) ? st->firstRoot : TLNextInTree(st, static_cast<uint32_t>(h), true);
      uint32_t mask = (st->options & TLOPT_HIDEITEMS) ? 0xB000u : 0xF000u;
      uint32_t want = (st->options & TLOPT_PLAINCHECK) ? 0x1000u : 0x2000u;
      for (; x; x = TLNextInTree(st, x, true))
        if ((TLGet(st, x)->state & mask) == want) return x;
      return 0;
    }
    case TLGN_LEVEL: return it ? it->level : 0;
  }
  return 0;
}

// ---------------------------------------------------------------- find

static bool TextMatches(TreeListState* st, uint32_t h, const TLFind* rec) {
  uint32_t len = 0;
  const char* t = TreeListItemText(st, h, static_cast<int>(rec->column), &len);
  const char* want = rec->text ? rec->text : "";
  size_t wl = strnlen(want, TL_TEXTMAX);
  if (wl != len) return false;
  if (rec->flags & TLFI_NOCASE) return TreeListStricmp(t, want) == 0;
  return memcmp(t, want, len) == 0;
}

static bool Matches(TreeListState* st, uint32_t h, const TLFind* rec) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return false;
  if ((rec->flags & TLFI_DATA) && it->data != rec->data) return false;
  if ((rec->flags & TLFI_STATE) && (it->state & rec->stateMask) != (rec->state & rec->stateMask)) return false;
  if ((rec->flags & TLFI_TEXT) && !TextMatches(st, h, rec)) return false;
  return true;
}

static uint32_t FindNext(TreeListState* st, uint32_t x, uint32_t flags, uint32_t recLevel) {
  TreeListItem* xi = TLGet(st, x);
  if (!xi) return 0;
  if (!(flags & TLFI_SUBTREE)) return xi->next;
  uint32_t limit = (flags >> 8) & 0xFFu;
  if (xi->firstChild && (!limit || xi->level + 1u < limit) &&
      (!(flags & TLFI_EXPANDEDONLY) || ((xi->state & TLIS_EXPANDED) && TLRowOf(st, xi))))
    return xi->firstChild;
  for (uint32_t y = x; y;) {
    TreeListItem* yi = TLGet(st, y);
    if (yi->level < recLevel) return 0;
    if (yi->next) return yi->next;
    y = yi->parent;
  }
  return 0;
}

uint32_t TreeListFindItem(TreeListState* st, uintptr_t start, TLFind* rec) {
  if (rec->column && rec->column >= st->columnCount) return 0;
  uint32_t flags = rec->flags;
  bool sub = (flags & TLFI_SUBTREE) != 0;
  uint32_t x, level;
  bool explicitFirst = false;
  if (start == TLI_ROOT) {
    if (!sub || (flags & TLFI_FROMNEXT)) return 0;
    x = st->firstRoot;
    level = 0;
    explicitFirst = true;
  } else {
    TreeListItem* s = TLGet(st, start);
    if (!s) return 0;
    level = s->level;
    if (flags & TLFI_FROMCHILD) {
      x = s->firstChild;
      level++;
      explicitFirst = true;
    } else if (flags & TLFI_FROMNEXT) {
      x = s->next;
      explicitFirst = true;
    } else {
      x = static_cast<uint32_t>(start);
    }
  }
  bool testFirst;
  uint32_t recLevel = level;
  if (sub && (flags & TLFI_TESTSTART)) {
    testFirst = true;
    rec->flags = (flags & ~(0xFF0000u | TLFI_FROMCHILD | TLFI_FROMNEXT | TLFI_TESTSTART)) | (level << 16);
  } else if (sub) {
    testFirst = explicitFirst;
    recLevel = explicitFirst ? level : (flags >> 16) & 0xFFu;
  } else {
    testFirst = true;
  }
  if (x && !testFirst) x = FindNext(st, x, flags, recLevel);
  while (x) {
    if (Matches(st, x, rec)) return TLGet(st, x) ? x : 0;
    if (!TLGet(st, x)) return 0;
    x = FindNext(st, x, flags, recLevel);
  }
  return 0;
}

// ---------------------------------------------------------------- placeholder

uint32_t TreeListSetInsertMark(TreeListState* st, int before, uintptr_t h) {
  if (st->placeholder) {
    uint32_t old = st->placeholder;
    st->placeholder = 0;
    TreeListDeleteItem(st, old, TLDEL_RENUMBER | TLDEL_QUIET);
    TreeListRunDeferred(st);
  }
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  TLInsert ins = {};
  ins.hParent = it->parent ? it->parent : TLI_ROOT;
  ins.hInsertAfter = before ? (it->prev ? it->prev : TLI_FIRST) : h;
  ins.ex.item.mask = TLIF_TEXT;
  ins.ex.item.pszText = const_cast<char*>("");
  uint32_t p = TreeListInsertItem(st, &ins);
  if (!p) return 0;
  st->placeholder = p;
  TreeListSetOwnColor(st, p, 255, st->colors[10], 0);
  return p;
}
