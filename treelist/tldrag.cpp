// The control's own drag: drop evaluation, the drop mark, auto-scroll, the
// drop that moves the dragged items, and the timers.
#include <vector>

#include "treelist/tlwin.h"

int TreeListBeginDrag(TreeListState* st, uint32_t item, uint32_t flags) {
  TreeListWin* w = st->win;
  TreeListItem* it = TLGet(st, item);
  if (!it) return 0;
  if (st->dragFlags & TLDRAG_TEXTONLY) {
    uint32_t len = 0;
    TreeListItemText(st, item, 0, &len);
    if (!len || !TLGet(st, item)) return 0;
  }
  st->dragItem = item;
  w->dragFlags = flags & 0x81u;
  w->dragging = true;
  SetCapture(w->hwnd);
  TreeListSetHot(st, 0, 0);
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(w->hwnd, &pt);
  TreeListDragMove(st, pt.x, pt.y, (GetKeyState(VK_CONTROL) & 0x8000) != 0);
  g_tlSetTimer(w->hwnd, TL_TIMER_AUTOSCROLL, 100, nullptr);
  return 1;
}

// The dragged items: the selection in tree order (a descendant of a selected
// item moves with it), or the one dragged item.
static void Dragged(TreeListState* st, std::vector<uint32_t>& out) {
  TreeListWin* w = st->win;
  if (!(w->dragFlags & 0x80u) && st->selCount > 1 && TLGet(st, st->dragItem) &&
      (TLGet(st, st->dragItem)->state & TLIS_SELECTED)) {
    for (uint32_t x = st->firstRoot; x;) {
      TreeListItem* xi = TLGet(st, x);
      if (xi->state & TLIS_SELECTED) {
        out.push_back(x);
        x = TLNextInTree(st, x, false);
      } else {
        x = TLNextInTree(st, x, true);
      }
    }
    return;
  }
  if (TLGet(st, st->dragItem)) out.push_back(st->dragItem);
}

static bool Allowed(TreeListState* st, uint32_t item, uint32_t target, bool asChild) {
  TreeListItem* it = TLGet(st, item);
  if (!it) return false;
  if (target == TLI_LAST) return !(st->dragFlags & TLDRAG_NOTAFTERLAST);
  TreeListItem* t = TLGet(st, target);
  if (!t) return false;
  if (target == item && asChild) return false;
  if (TLIsAncestor(st, item, target)) return false;
  if ((st->dragFlags & TLDRAG_NOFROZEN) && TLRowOf(st, t) && TLRowOf(st, t) <= st->frozenRows) return false;
  uint32_t level = asChild ? t->level + 1 : t->level;
  uint32_t parent = asChild ? target : t->parent;
  if ((st->dragFlags & TLDRAG_SAMELEVEL) && level != it->level) return false;
  if ((st->dragFlags & TLDRAG_SAMEPARENT) && parent != it->parent) return false;
  if ((st->dragFlags & TLDRAG_LEAVESONLY) && it->firstChild) return false;
  return true;
}

void TreeListSetDropMark(TreeListState* st, uint32_t item, int height, int offset) {
  TreeListWin* w = st->win;
  int rh = st->rowHeight;
  if (height <= 0 || height > rh) height = rh;
  if (offset + height > rh) offset = rh - height;
  if (offset < 0) offset = 0;
  if (st->dropItem == item && st->dropHeight == height && st->dropOffset == offset) return;
  if (st->dropItem == TLI_LAST) TreeListInvalidateAll(st);
  else if (st->dropItem) TreeListInvalidateItem(st, st->dropItem, -1);
  st->dropItem = item;
  st->dropHeight = height;
  st->dropOffset = offset;
  if (item == TLI_LAST) TreeListInvalidateAll(st);
  else if (item) TreeListInvalidateItem(st, item, -1);
  w->dropMarkTicks = 0;
  if (item && item != TLI_LAST) g_tlSetTimer(w->hwnd, TL_TIMER_DROPMARK, 500, nullptr);
  else KillTimer(w->hwnd, TL_TIMER_DROPMARK);
}

void TreeListDragMove(TreeListState* st, int x, int y, bool ctrl) {
  TreeListWin* w = st->win;
  if ((w->dragFlags & 1u) && !(GetKeyState(VK_LBUTTON) & 0x8000) && !(GetKeyState(VK_RBUTTON) & 0x8000)) {
    TreeListDragEnd(st, false);
    return;
  }
  int rh = st->rowHeight;
  bool asChild = ctrl && !(st->dragFlags & TLDRAG_BETWEENONLY);
  TLHitTest ht = {{x, asChild ? y : y + rh / 2}, 0, 0};
  uint32_t target = TreeListHitTest(st, &ht);
  int height = asChild ? rh : 3, offset = 0;
  if (!target) {
    target = (ht.flags & (TLHT_ABOVE)) ? st->rows[st->frozenRows + st->firstRow < st->shownRows ? st->frozenRows + st->firstRow : 0]
                                        : TLI_LAST;
    if (!st->shownRows) target = 0;
  } else if (!asChild) {
    // upper half of the probed row: a different level above moves the band to its bottom
    TreeListItem* t = TLGet(st, target);
    uint32_t row = TLRowOf(st, t);
    int top = st->headerH + (static_cast<int>(row) - 1 - (row > st->frozenRows ? static_cast<int>(st->firstRow) : 0)) * rh;
    if (row > 1 && y + rh / 2 - top < rh / 2) {
      uint32_t above = st->rows[row - 2];
      TreeListItem* a = TLGet(st, above);
      if (a && a->level != t->level && !(st->dragFlags & (TLDRAG_NOFROZEN | TLDRAG_SAMEPARENT))) {
        target = above;
        offset = rh - 5;
      }
    }
  }
  std::vector<uint32_t> items;
  Dragged(st, items);
  bool ok = target != 0 && !items.empty();
  for (uint32_t i : items) ok = ok && Allowed(st, i, target, asChild);
  TreeListSetDropMark(st, target, height, offset);
  SetCursor(ok ? g_tlShared.hand : g_tlShared.no);
}

static void StopDrag(TreeListState* st) {
  TreeListWin* w = st->win;
  w->dragging = false;
  KillTimer(w->hwnd, TL_TIMER_AUTOSCROLL);
  TreeListSetDropMark(st, 0, 0, 0);
  SetCursor(g_tlShared.arrow);
  {
    TreeListUnlocked out(st);
    if (GetCapture() == w->hwnd) ReleaseCapture();
  }
}

static void DropNote(TreeListState* st, uint32_t flags, uint32_t first, uint32_t target, POINT pt) {
  TLNmDrop nm = {};
  nm.action = flags;
  TLFillItem(st, &nm.itemOld, first, 0x801Cu, 0);
  TLFillItem(st, &nm.itemNew, target, 0x801Cu, 0);
  if (target == TLI_LAST) nm.itemNew.hItem = TLI_LAST;
  nm.ptDrag.x = pt.x;
  nm.ptDrag.y = pt.y;
  TreeListNotify(st, &nm.hdr, TLN_DROP);
}

void TreeListDragEnd(TreeListState* st, bool drop) {
  TreeListWin* w = st->win;
  if (!w->dragging) return;
  uint32_t target = st->dropItem;
  int offset = st->dropOffset, height = st->dropHeight;
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(w->hwnd, &pt);
  bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0, shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  std::vector<uint32_t> items;
  Dragged(st, items);
  StopDrag(st);
  if (st->dead) return;
  if (!drop) {
    if (st->dragFlags & TLDRAG_REPORTCANCEL) DropNote(st, TLDROP_CANCEL, st->dragItem, 0, pt);
    st->dragItem = 0;
    return;
  }
  RECT rc;
  GetClientRect(w->hwnd, &rc);
  if (!PtInRect(&rc, pt) && (st->dragFlags & TLDRAG_REPORTOUTSIDE)) {
    uint32_t who = st->selCount > 1 ? (st->caretItem ? st->caretItem : st->selItem) : st->dragItem;
    DropNote(st, TLDROP_OUTSIDE, who, 0, pt);
    st->dragItem = 0;
    return;
  }
  bool asChild = ctrl && !(st->dragFlags & TLDRAG_BETWEENONLY) && height >= st->rowHeight;
  uint32_t count = 0, first = 0, mode = 0;
  int last = 0;
  bool frozenRefused = (st->dragFlags & TLDRAG_NOFROZEN) && target != TLI_LAST && TLGet(st, target) &&
                       TLRowOf(st, TLGet(st, target)) <= st->frozenRows && TLRowOf(st, TLGet(st, target));
  if (target && !frozenRefused) {
    uint32_t prev = 0;
    for (uint32_t item : items) {
      if (!TLGet(st, item) || !Allowed(st, item, target, asChild)) continue;
      int r;
      if (prev) {
        r = TreeListMove(st, 1, prev, item);  // after the one moved before
      } else if (target == TLI_LAST) {
        mode = 1;
        r = TreeListMove(st, 1, TLI_LAST, item);
      } else if (asChild) {
        mode = shift ? 2 : 3;
        r = TreeListMove(st, mode, target, item);
      } else {
        mode = offset ? 1 : 0;
        r = TreeListMove(st, mode, target, item);
      }
      if (r) {
        count++;
        if (!first) first = item;
        prev = item;
        last = r;
      }
    }
    TreeListItem* t = TLGet(st, target);
    if (asChild && t && t->firstChild && !(t->state & TLIS_EXPANDED)) TreeListExpand(st, target, TLE_EXPAND);
  }
  DropNote(st, (count & 0xFFFFFFu) | (mode << 24) | (static_cast<uint32_t>(last & 3) << 30), first, target, pt);
  st->dragItem = 0;
}

void TreeListTimer(TreeListState* st, WPARAM id) {
  TreeListWin* w = st->win;
  if (id == TL_TIMER_TIP) {
    if (w->tipTicks > 0) {
      if (--w->tipTicks == 0) TreeListHoverTip(st, st->tipItem, -1000);
      return;
    }
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(w->hwnd, &pt);
    TLHitTest ht = {{pt.x, pt.y}, 0, 0};
    uint32_t item = TreeListHitTest(st, &ht);
    if (item != st->tipItem || !(ht.flags & (TLHT_ONITEMLABEL | TLHT_ONCELLTEXT)) ||
        static_cast<int>(TLHT_COLUMN(ht.flags)) != st->tipColumn)
      TreeListHideTip(st);
    return;
  }
  if (id == TL_TIMER_DROPMARK) {
    KillTimer(w->hwnd, TL_TIMER_DROPMARK);
    TreeListItem* it = TLGet(st, st->dropItem);
    if (w->dragging && it && st->dropHeight >= st->rowHeight && !(it->state & TLIS_EXPANDED) &&
        (it->firstChild || (it->flags & TLF_HASCHILDREN)))
      TreeListExpand(st, st->dropItem, TLE_EXPAND);
    return;
  }
  if (id == TL_TIMER_AUTOSCROLL) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(w->hwnd, &pt);
    int dir = 0;
    if (w->scrollDirection == 1) dir = -1;
    else if (w->scrollDirection == 2) dir = 1;
    else if (pt.y < st->headerH + st->rowHeight) dir = -1;
    else if (pt.y >= st->clientH - st->rowHeight) dir = 1;
    if (dir) TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) + dir, dir < 0 ? SB_LINEUP : SB_LINEDOWN);
    if (w->dragging && !st->dead) TreeListDragMove(st, pt.x, pt.y, (GetKeyState(VK_CONTROL) & 0x8000) != 0);
  }
}
