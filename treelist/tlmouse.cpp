// Mouse buttons and movement: clicks, double and second clicks, check-box
// presses, hot tracking, the drag start and the button-up notifications.
#include "treelist/tlwin.h"

void TLSelectRange(TreeListState* st, uint32_t anchor, uint32_t target);

static intptr_t ClickNote(TreeListState* st, int code, uint32_t item, uint32_t hit, POINT pt) {
  TLNmClick nm = {};
  nm.action = hit;
  TLFillItem(st, &nm.itemNew, item, 0x401Cu, static_cast<int>(TLHT_COLUMN(hit)));
  nm.ptDrag.x = pt.x;
  nm.ptDrag.y = pt.y;
  return TreeListNotify(st, &nm.hdr, code);
}

static bool OnItem(TreeListState* st, uint32_t hit) {
  if (hit & (TLHT_ONITEMICON | TLHT_ONITEMLABEL | TLHT_ONITEMSTATEICON)) return true;
  if ((st->style & TVS_FULLROWSELECT) && (hit & TLHT_ONITEMRIGHT)) return true;
  if (TLHT_COLUMN(hit)) {
    uint32_t low = hit & 0xFFFFFFu;
    if (low & (TLHT_ONCELLTEXT | TLHT_ONCELLICON | TLHT_ONCELLEMPTY)) return true;
    if ((st->style & TVS_FULLROWSELECT) && (low & TLHT_CELLEMPTYSTART)) return true;
  }
  return false;
}

void TreeListMouse(TreeListState* st, UINT msg, WPARAM keys, LPARAM lp) {
  TreeListWin* w = st->win;
  POINT pt = {static_cast<int16_t>(LOWORD(lp)), static_cast<int16_t>(HIWORD(lp))};
  if (!st->enabled) return;
  if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) {
    bool left = msg == WM_LBUTTONUP;
    if (left && w->dragging) {
      TreeListDragEnd(st, true);
      return;
    }
    if (left && st->pressedItem) {
      uint32_t item = st->pressedItem;
      int column = st->pressedColumn;
      st->pressedItem = 0;
      TreeListInvalidateItem(st, item, column);
    }
    TLHitTest ht = {{pt.x, pt.y}, 0, 0};
    uint32_t item = TreeListHitTest(st, &ht);
    if (left && w->selectOnRelease) {
      // the press kept the selection for a drag; a plain click selects the item alone
      w->selectOnRelease = false;
      uint32_t pressed = w->pressItem;
      if (pressed && pressed == item) {
        int selColumn = (st->options & TLOPT_CELLSELECT) ? static_cast<int>(TLHT_COLUMN(ht.flags)) : 0;
        TreeListSelectItem(st, pressed, selColumn, 0x8000u | TVC_BYMOUSE);
        if (!st->dead && TLGet(st, pressed)) TreeListSetCaret(st, pressed, selColumn);
        if (st->dead) return;
        st->anchorItem = st->focusItem = pressed;
      }
    }
    if (left && w->secondClickArmed) {
      w->secondClickArmed = false;
      int column = static_cast<int>(TLHT_COLUMN(ht.flags));
      if (item && item == w->pressItem) {
        if (!TreeListColumnEdit(st, item, column, TLTRIGGER_CLICKCARET, pt) && !st->dead)
          TreeListEditRequest(st, item, column, TLTRIGGER_CLICKCARET, pt);
        return;
      }
    }
    if (w->pressButton == (left ? 1 : 2)) w->pressButton = 0;
    ClickNote(st, left ? TLN_LBUTTONUP : TLN_RBUTTONUP, item, ht.flags, pt);
    return;
  }
  if (w->dragging) {
    if (msg == WM_RBUTTONDOWN) {
      if (keys & MK_MBUTTON) {
        TLHitTest ht = {{pt.x, pt.y}, 0, 0};
        uint32_t item = TreeListHitTest(st, &ht);
        TreeListItem* it = TLGet(st, item);
        if (it && (it->firstChild || (it->flags & TLF_HASCHILDREN))) TreeListExpand(st, item, TLE_TOGGLE);
      } else {
        TreeListDragEnd(st, false);
      }
    }
    return;
  }
  if (!TreeListTakeFocus(st, true)) return;
  bool left = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
  bool dbl = msg == WM_RBUTTONDBLCLK;
  if (left) {
    // the control decides, not the system: an armed press less than 700 ms
    // and at most 6 pixels (across plus down) before
    DWORD now = g_tlClock();
    dbl = w->doubleArmed && now - w->lastPressTime < 700 &&
          abs(pt.x - w->lastPressPt.x) + abs(pt.y - w->lastPressPt.y) <= 6;
    if (!dbl) {
      w->lastPressTime = now;
      w->lastPressPt = pt;
    }
  }
  w->doubleArmed = false;
  if (st->editItem) TreeListEndEdit(st, 0, 0);
  if (st->dead) return;
  TLHitTest ht = {{pt.x, pt.y}, 0, 0};
  uint32_t item = TreeListHitTest(st, &ht);
  uint32_t hit = ht.flags;
  int column = static_cast<int>(TLHT_COLUMN(hit));
  if (!dbl) {
    intptr_t stop = ClickNote(st, left ? NM_CLICK : NM_RCLICK, item, hit, pt);
    if (stop || st->dead) return;
    w->doubleArmed = left;
  }
  TreeListItem* it = TLGet(st, item);
  if (!it) {
    if (dbl) ClickNote(st, left ? NM_DBLCLK : NM_RDBLCLK, 0, hit, pt);
    return;
  }
  bool wasCaret = item == (st->caretItem ? st->caretItem : st->selItem) &&
                  (column == (st->caretItem ? st->caretColumn : st->selColumn) || (st->clickFlags & 1));
  if (left && (hit & TLHT_ONITEMBUTTON)) {
    TreeListExpand(st, item, TLE_TOGGLE);
    return;
  }
  if (left && (hit & TLHT_ONITEMSTATEICON) && (st->style & TVS_CHECKBOXES)) {
    // toggled once, at the press; the release only ends the pressed look
    st->pressedItem = item;
    st->pressedColumn = 0;
    TreeListToggleCheck(st, item, TLTRIGGER_CHECKTREE, pt);
    return;
  }
  const TreeListColumn& col = st->columns[column];
  bool boxHit = column && (hit & TLHT_ONCELLICON) && col.editKind >= TLEK_CHECK;
  if (!OnItem(st, hit)) {
    if (dbl) ClickNote(st, left ? NM_DBLCLK : NM_RDBLCLK, item, hit, pt);
    return;
  }
  // the press is remembered for the second click too; only the drag
  // detection needs dragging allowed
  w->pressButton = (st->style & TVS_DISABLEDRAGDROP) ? 0 : left ? 1 : 2;
  w->pressItem = item;
  w->pressColumn = ((st->options & TLOPT_CELLSELECT) || (boxHit && (col.editFlags & TLEF_CHECKCLICK))) ? column : 0;
  w->pressPt = pt;
  int selColumn = (st->options & TLOPT_CELLSELECT) ? column : 0;
  bool multi = (st->options & TLOPT_MULTISELECT) != 0;
  bool ctrl = (keys & MK_CONTROL) != 0, shift = (keys & MK_SHIFT) != 0;
  if (multi && !dbl) {
    if (!left && (it->state & TLIS_SELECTED)) {
      // a right press keeps the selection
    } else if (!left && (st->options & TLOPT_RCLICKKEEPS)) {
    } else if (shift && st->anchorItem) {
      TLSelectRange(st, st->anchorItem, item);
      if (!st->dead && TLGet(st, item)) TreeListSetCaret(st, item, selColumn);
      if (!st->dead && TLGet(st, item)) st->focusItem = item;
      if (!st->dead && st->anchorItem) TreeListEnsureVisible(st, st->anchorItem, -1);
    } else if (ctrl) {
      TreeListToggleSelect(st, item, TVC_BYMOUSE);
      it = TLGet(st, item);
      if (it && (it->state & TLIS_SELECTED) && !(it->state & TLIS_EXPANDED)) {
        uint32_t end = TLNextInTree(st, item, false);
        for (uint32_t d = it->firstChild; d && d != end && !st->dead; d = TLNextInTree(st, d, true))
          if (TLGet(st, d) && !(TLGet(st, d)->state & TLIS_SELECTED)) TreeListToggleSelect(st, d, TVC_BYMOUSE);
      }
      if (!st->dead && TLGet(st, item)) TreeListSetCaret(st, item, selColumn);
      st->focusItem = item;
      st->anchorItem = item;
    } else if (left && (it->state & TLIS_SELECTED) && st->selCount > 1) {
      // several selected: they stay so for a drag; the release decides
      w->selectOnRelease = true;
      w->pressItem = item;
    } else {
      TreeListSelectItem(st, item, selColumn, 0x8000u | TVC_BYMOUSE);
      if (!st->dead && TLGet(st, item)) TreeListSetCaret(st, item, selColumn);
      st->anchorItem = item;
      st->focusItem = item;
    }
  } else if (!dbl || item != st->selItem) {
    TreeListSelectItem(st, item, selColumn, TVC_BYMOUSE);
    if (!st->dead && TLGet(st, item)) TreeListEnsureVisible(st, item, selColumn);
    st->anchorItem = item;
    st->focusItem = item;
  }
  if (st->dead || !TLGet(st, item)) return;
  if (dbl && left) {
    int started = 0;
    if (col.editKind && ((col.editFlags & TLEF_DBLCLICK) || ((col.editFlags & TLEF_CHECKCLICK) && boxHit)))
      started = TreeListColumnEdit(st, item, column, TLTRIGGER_CHECKTREE + (boxHit ? 1 : 0), pt);
    else
      started = TreeListEditRequest(st, item, column, TLTRIGGER_CHECKTREE, pt);
    if (started || st->dead) return;
    intptr_t r = ClickNote(st, NM_DBLCLK, item, hit, pt);
    it = TLGet(st, item);
    if (r || !it) return;
    bool toggle = column == 0 ? (it->state & 0xA0u) == 0xA0u : !(col.editFlags & TLEF_CHECKCLICK);
    if (toggle && (it->firstChild || (it->flags & TLF_HASCHILDREN))) TreeListExpand(st, item, TLE_TOGGLE);
    return;
  }
  if (dbl && !left) {
    ClickNote(st, NM_RDBLCLK, item, hit, pt);
    return;
  }
  if (left && boxHit && (col.editFlags & TLEF_CHECKCLICK) && !TLReadOnlyCell(st, item, column)) {
    st->pressedItem = item;
    st->pressedColumn = column;
    TreeListInvalidateItem(st, item, column);
    TreeListColumnEdit(st, item, column, TLTRIGGER_CLICK, pt);
    return;
  }
  if (left && boxHit && col.editKind >= TLEK_CHECK) {
    TreeListColumnEdit(st, item, column, TLTRIGGER_CLICK, pt);
    return;
  }
  if (left && (st->options & TLOPT_SECONDCLICKEDIT) && wasCaret) w->secondClickArmed = true;
}

void TreeListMouseMove(TreeListState* st, WPARAM keys, int x, int y) {
  TreeListWin* w = st->win;
  TLHitTest ht = {{x, y}, 0, 0};
  uint32_t item = TreeListHitTest(st, &ht);
  int column = static_cast<int>(TLHT_COLUMN(ht.flags));
  if (!(st->style & TVS_NOTOOLTIPS)) {
    if (st->enabled) TreeListHoverTip(st, (ht.flags & (TLHT_ONITEMLABEL | TLHT_ONCELLTEXT)) ? item : 0, column);
    else TreeListHideTip(st);
  }
  if (st->dead) return;
  if (st->pressedItem && (!(keys & MK_LBUTTON) || item != st->pressedItem ||
                          !((ht.flags & TLHT_ONCELLICON) || (ht.flags & TLHT_ONITEMSTATEICON)) ||
                          column != st->pressedColumn)) {
    uint32_t p = st->pressedItem;
    st->pressedItem = 0;
    TreeListInvalidateItem(st, p, st->pressedColumn);
  }
  if (w->dragging) {
    TreeListDragMove(st, x, y, (keys & MK_CONTROL) != 0);
    return;
  }
  if (st->style & TVS_TRACKSELECT) {
    bool over = st->enabled && (ht.flags & 0x600046u);
    TreeListSetHot(st, over ? item : 0, over ? column : 0);
    if (over && !w->trackingLeave) {
      TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, w->hwnd, 0};
      w->trackingLeave = _TrackMouseEvent(&tme) != 0;
    }
  }
  if (st->builtinChecks && w->buttonTheme) {
    bool box = (item && (ht.flags & TLHT_ONITEMSTATEICON) && (st->style & TVS_CHECKBOXES)) ||
               (item && (ht.flags & TLHT_ONCELLICON) && st->columns[column].editKind >= TLEK_CHECK);
    uint32_t newItem = box ? item : 0;
    int newColumn = box ? column : -1;
    if (newItem != w->hotBoxItem || newColumn != w->hotBoxColumn) {
      if (w->hotBoxItem) TreeListInvalidateItem(st, w->hotBoxItem, w->hotBoxColumn);
      bool wasNone = !w->hotBoxItem;
      w->hotBoxItem = newItem;
      w->hotBoxColumn = newColumn;
      if (newItem) {
        TreeListInvalidateItem(st, newItem, newColumn);
        if (wasNone && !w->trackingLeave) {
          TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, w->hwnd, 0};
          w->trackingLeave = _TrackMouseEvent(&tme) != 0;
        }
      }
    }
  }
  // drag start: the mouse left the press point with the left button held
  // (a right-button drag would have no release to end it)
  if (w->pressButton == 1 && item && (keys & MK_LBUTTON) &&
      (abs(x - w->pressPt.x) > GetSystemMetrics(SM_CXDRAG) || abs(y - w->pressPt.y) > GetSystemMetrics(SM_CYDRAG))) {
    uint32_t pressed = w->pressItem;
    int pcol = w->pressColumn;
    w->pressButton = 0;
    w->secondClickArmed = false;
    w->selectOnRelease = false;
    w->doubleArmed = false;
    TreeListItem* it = TLGet(st, pressed);
    if (!it) return;
    TLNmTreeView nm = {};
    TLFillItem(st, &nm.itemNew, pressed, 0x401Cu, pcol);
    nm.ptDrag.x = w->pressPt.x;
    nm.ptDrag.y = w->pressPt.y;
    intptr_t answer = TreeListNotify(st, &nm.hdr, TLN_BEGINDRAG);
    it = TLGet(st, pressed);
    if (!it || st->dead) return;
    if (!(st->style & 0x8000u) || answer == 1 || (it->state & st->dragLockMask)) return;
    if ((st->dragFlags & TLDRAG_NOFROZEN) && TLRowOf(st, it) && TLRowOf(st, it) <= st->frozenRows) return;
    if ((st->dragFlags & TLDRAG_ROOTSONLY) && it->parent) return;
    TreeListBeginDrag(st, pressed, 1u);
  }
}
