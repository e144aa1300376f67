// Keys and characters: caret movement, scrolling with Ctrl, range selection,
// check boxes, editing by key and paste, and type-ahead search.
#include <string.h>

#include "treelist/tlwin.h"

// The process-wide search text belongs to the window that typed last.
char g_tlSearchText[17];
int g_tlSearchLength = 0;
DWORD g_tlSearchTime = 0;
static HWND g_tlSearchWindow = nullptr;

static bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool TreeListTakeFocus(TreeListState* st, bool click) {
  HWND hwnd = st->win->hwnd;
  if (GetFocus() == hwnd) return true;
  if (click && st->editItem) return true;
  {
    TreeListUnlocked out(st);
    SetFocus(hwnd);
  }
  // refused (a hook, or the old focus taking it back): the press or key is ignored
  return !st->dead && GetFocus() == hwnd;
}

int TreeListToggleCheck(TreeListState* st, uint32_t item, uint32_t trigger, POINT pt) {
  TreeListItem* it = TLGet(st, item);
  if (!it || (it->state & st->checkLockMask)) return 0;
  uint32_t mask = (st->options & TLOPT_HIDEITEMS) ? 0xB000u : 0xF000u;
  bool plain = (st->options & TLOPT_PLAINCHECK) != 0;
  bool checked = plain ? (it->state & 0x1000u) != 0 : (it->state & mask) == 0x2000u;
  uint32_t previous = 0;
  if (st->options & TLOPT_RADIOCHECK) {
    if (checked) return 0;
    previous = st->checkedItem;
    TreeListItem* pi = TLGet(st, previous);
    if (pi && previous != item) {
      TLItem un = {};
      un.mask = TLIF_STATE;
      un.hItem = previous;
      un.state = plain ? 0 : 0x1000u;
      un.stateMask = plain ? 0x1000u : mask;
      TreeListSetItem(st, &un);
      if (!TLGet(st, item)) return 0;
    }
  }
  TLItem set = {};
  set.mask = TLIF_STATE;
  set.hItem = item;
  if (plain) {
    set.state = checked ? 0 : 0x1000u;
    set.stateMask = 0x1000u;
  } else {
    set.state = checked ? 0x1000u : 0x2000u;
    set.stateMask = mask;
  }
  TreeListSetItem(st, &set);
  if (!TLGet(st, item)) return 0;
  TreeListInvalidateItem(st, item, 0);
  TLNmValue nm = {};
  nm.action = trigger;
  std::string oldText, newText;
  TLFillItemText(st, &nm.itemOld, previous, 0x801Du, 0, &oldText);
  TLFillItemText(st, &nm.itemNew, item, 0x801Du, 0, &newText);
  nm.ptDrag.x = pt.x;
  nm.ptDrag.y = pt.y;
  TreeListNotify(st, &nm.hdr, TLN_CHECKCHANGED);
  return 1;
}

// Selects the rows between the anchor and row (and the hidden descendants of
// collapsed items on them) in multi-selection.
void TLSelectRange(TreeListState* st, uint32_t anchor, uint32_t target) {
  uint32_t a = TLRowOf(st, TLGet(st, anchor)), b = TLRowOf(st, TLGet(st, target));
  if (!a || !b) return;
  if (a > b) {
    uint32_t t = a;
    a = b;
    b = t;
  }
  for (uint32_t r = 1; r <= st->shownRows && !st->dead; r++) {
    uint32_t h = st->rows[r - 1];
    TreeListItem* it = TLGet(st, h);
    if (!it) continue;
    bool want = r >= a && r <= b;
    if (((it->state & TLIS_SELECTED) != 0) != want) TreeListToggleSelect(st, h, 0);
    it = TLGet(st, h);
    if (it && !(it->state & TLIS_EXPANDED) && it->firstChild) {
      uint32_t end = TLNextInTree(st, h, false);
      for (uint32_t d = it->firstChild; d && d != end && !st->dead; d = TLNextInTree(st, d, true)) {
        TreeListItem* di = TLGet(st, d);
        if (di && ((di->state & TLIS_SELECTED) != 0) != want) TreeListToggleSelect(st, d, 0);
        if (!TLGet(st, d)) break;
      }
    }
  }
}

static void MoveCaret(TreeListState* st, int64_t row0, int column, bool shift) {
  if (!st->shownRows) return;
  if (row0 < 0) row0 = 0;
  if (row0 >= st->shownRows) row0 = st->shownRows - 1;
  if (!(st->options & TLOPT_CELLSELECT)) column = 0;
  if (column < 0) column = 0;
  if (st->columnCount && static_cast<uint32_t>(column) >= st->columnCount) column = static_cast<int>(st->columnCount) - 1;
  uint32_t h = st->rows[row0];
  bool multi = (st->options & TLOPT_MULTISELECT) != 0;
  if (multi) {
    if (shift && st->anchorItem) {
      TLSelectRange(st, st->anchorItem, h);
    } else {
      TreeListSelectItem(st, h, column, 0x8000u | TVC_BYKEYBOARD);
      st->anchorItem = h;
    }
    if (!TLGet(st, h)) return;
    TreeListSetCaret(st, h, column);
  } else {
    TreeListSelectItem(st, h, column, TVC_BYKEYBOARD);
  }
  if (!TLGet(st, h)) return;
  st->focusItem = h;
  st->focusColumn = column;
  if (!(st->style & 0x2000u)) TreeListEnsureVisible(st, h, column);
}

// Columns swallowed by the span of the column before them in this row are
// skipped like hidden ones.
static int NextColumn(TreeListState* st, uint32_t item, int column, int dir) {
  const TreeListItem* it = TLGet(st, item);
  uint32_t spans = it ? st->mergeMask & (it->state >> 16) : 0;
  int p = st->columns[column].position + dir;
  while (p >= 0 && p < static_cast<int>(st->columnCount)) {
    int c = st->order[p];
    bool swallowed = c >= 2 && c - 1 < 16 && (spans & (1u << (c - 1))) &&
                     st->columns[c - 1].position + 1 == st->columns[c].position;
    if (st->columns[c].headerWidth > 0 && !swallowed) return c;
    p += dir;
  }
  return column;
}

void TreeListKeyDown(TreeListState* st, WPARAM key, LPARAM flags) {
  TreeListWin* w = st->win;
  if (!st->enabled || !TreeListTakeFocus(st, false)) return;
  w->checkKey = false;
  bool ctrl = Down(VK_CONTROL), shift = Down(VK_SHIFT);
  uint32_t caret = st->caretItem ? st->caretItem : st->selItem;
  int column = st->caretItem ? st->caretColumn : st->selColumn;
  if (caret && !TreeListAskChildren(st, caret)) return;
  TreeListItem* ci = TLGet(st, caret);
  int64_t row = ci && TLRowOf(st, ci) ? static_cast<int64_t>(TLRowOf(st, ci)) - 1 : -1;
  int32_t page = static_cast<int32_t>(st->fullRows) - 1;
  if (page < 1) page = 1;
  POINT none = {0, 0};
  if (w->dragging) {
    if (key == VK_ESCAPE) TreeListDragEnd(st, false);
    else if (key == VK_CONTROL && st->dropHeight < 5) {
      POINT pt;
      GetCursorPos(&pt);
      ScreenToClient(w->hwnd, &pt);
      TreeListDragMove(st, pt.x, pt.y, true);
    }
    goto notify;
  }
  if (key == VK_RETURN) {
    TLNmHdr nm = {};
    TreeListNotify(st, &nm, NM_RETURN);
    if (st->dead || !TLGet(st, caret)) return;
    if (st->columns[column].editKind == TLEK_NONE)
      TreeListEditRequest(st, caret, column, TLTRIGGER_ENTER, none);
    else
      TreeListColumnEdit(st, caret, column, ctrl ? TLTRIGGER_CLICK : TLTRIGGER_ENTER, none);
    goto notify;
  }
  if (key == VK_TAB && (st->options & TLOPT_TABTOPARENT)) {
    HWND parent = GetParent(w->hwnd);
    char cls[16] = "";
    if (parent) GetClassNameA(parent, cls, sizeof(cls));
    if (parent && strcmp(cls, "#32770") == 0) PostMessageA(parent, WM_NEXTDLGCTL, shift ? 1 : 0, 0);
    else if (parent) SetFocus(parent);  // not a dialog: the parent takes the keys
    goto notify;
  }
  if (((key == VK_INSERT && shift) || (key == 'V' && ctrl && !shift)) && caret && IsClipboardFormatAvailable(CF_TEXT)) {
    TreeListTypedEdit(st, caret, column, TLTRIGGER_PASTE);
    goto notify;
  }
  if (ctrl && !(((key == VK_HOME) || (key == VK_END)) && (st->options & TLOPT_CTRLHOMEEND))) {
    switch (key) {
      case VK_SPACE:
        if (ci && (ci->firstChild || (ci->flags & TLF_HASCHILDREN))) TreeListExpand(st, caret, TLE_TOGGLE);
        goto notify;
      case VK_PRIOR: TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) - page, SB_PAGEUP); goto notify;
      case VK_NEXT: TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) + page, SB_PAGEDOWN); goto notify;
      case VK_END: TreeListSetVScroll(st, TreeListMaxFirstRow(st), SB_BOTTOM); goto notify;
      case VK_HOME: TreeListSetVScroll(st, 0, SB_TOP); goto notify;
      case VK_LEFT: TreeListSetHScroll(st, st->hOffset - 16, SB_LINELEFT); goto notify;
      case VK_RIGHT: TreeListSetHScroll(st, st->hOffset + 16, SB_LINERIGHT); goto notify;
      case VK_UP: TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) - 1, SB_LINEUP); goto notify;
      case VK_DOWN: TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) + 1, SB_LINEDOWN); goto notify;
      default: break;
    }
  }
  {
    int64_t target = row < 0 ? 0 : row;
    int col = column;
    bool move = true;
    switch (key) {
      case VK_BACK:
        if (ci && ci->parent) target = static_cast<int64_t>(TLRowOf(st, TLGet(st, ci->parent))) - 1;
        break;
      case VK_SPACE:
        if ((st->style & TVS_CHECKBOXES) && ci && column == 0) {
          w->checkKey = true;
          TreeListToggleCheck(st, caret, TLTRIGGER_CHECKTREE, none);
        } else if ((st->style & TVS_CHECKBOXES) && ci && st->columns[column].editKind >= TLEK_CHECK) {
          // a check-box cell toggles as by a click, without the pressed look of one
          w->checkKey = true;
          bool pressed = st->pressedItem != 0;
          if (!(ci->state & st->checkLockMask)) TreeListColumnEdit(st, caret, column, TLTRIGGER_CLICK, none);
          if (!pressed) st->pressedItem = 0;
        }
        move = false;
        break;
      case VK_PRIOR: target = row - page; break;
      case VK_NEXT: target = row + page; break;
      case VK_END: target = static_cast<int64_t>(st->shownRows) - 1; break;
      case VK_HOME: target = row == static_cast<int64_t>(st->frozenRows) ? 0 : st->frozenRows; break;
      case VK_UP:
        target = row - 1;
        if (row == static_cast<int64_t>(st->frozenRows) && st->frozenRows && st->firstRow) {
          TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) - 1, SB_LINEUP);
          move = false;
        }
        break;
      case VK_DOWN: target = row < 0 ? 0 : row + 1; break;
      case VK_LEFT:
      case VK_RIGHT:
        if (st->columnCount > 1 && (st->options & TLOPT_CELLSELECT)) {
          col = NextColumn(st, caret, column, key == VK_LEFT ? -1 : 1);
        } else if (ci) {
          bool kids = ci->firstChild || (ci->flags & TLF_HASCHILDREN);
          bool open = (ci->state & TLIS_EXPANDED) != 0;
          if (key == VK_LEFT) {
            if (kids && open) {
              TreeListExpand(st, caret, TLE_COLLAPSE);
              move = false;
            } else if (ci->parent) {
              target = static_cast<int64_t>(TLRowOf(st, TLGet(st, ci->parent))) - 1;
            } else {
              move = false;
            }
          } else {
            if (open && ci->firstChild) {
              target = static_cast<int64_t>(TLRowOf(st, TLGet(st, ci->firstChild))) - 1;
            } else if (kids && !open) {
              TreeListExpand(st, caret, TLE_EXPAND);
              move = false;
            } else {
              move = false;
            }
          }
        } else {
          move = false;
        }
        break;
      default: move = false;
    }
    if (move && !st->dead) MoveCaret(st, target, col, shift);
  }
notify:
  if (st->dead) return;
  TLNmKeyDown kd = {};
  kd.wVKey = static_cast<uint16_t>(key);
  kd.flags = static_cast<uint32_t>(flags);
  w->lastKeyAnswer = TreeListNotify(st, &kd.hdr, TLN_KEYDOWN);
}

// ---------------------------------------------------------------- characters

static int SearchUpper(int c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  return c;
}

static bool StartsWith(const char* text, uint32_t len, const char* key, int n) {
  if (len < static_cast<uint32_t>(n)) return false;
  for (int i = 0; i < n; i++)
    if (SearchUpper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(key[i])) return false;
  return true;
}

void TreeListChar(TreeListState* st, WPARAM ch, LPARAM) {
  TreeListWin* w = st->win;
  if (ch < 32 || w->lastKeyAnswer || !st->enabled) return;
  if (ch == ' ' && w->checkKey) return;
  uint32_t caret = st->caretItem ? st->caretItem : st->selItem;
  int column = st->caretItem ? st->caretColumn : st->selColumn;
  if (caret) {
    int started = TreeListTypedEdit(st, caret, column, static_cast<uint32_t>(ch));
    if (started || st->dead) return;
  }
  if (!st->shownRows || (st->options & TLOPT_NOSEARCH)) return;
  DWORD now = g_tlClock();
  DWORD gap = now - g_tlSearchTime;
  DWORD limit = g_tlSearchLength >= 3 ? 1000 : g_tlSearchLength ? 750 : 500;
  if (g_tlSearchWindow != w->hwnd || gap > limit || g_tlSearchLength >= 16) g_tlSearchLength = 0;
  g_tlSearchWindow = w->hwnd;
  g_tlSearchTime = now;
  g_tlSearchText[g_tlSearchLength++] = static_cast<char>(SearchUpper(static_cast<int>(ch & 0xFF)));
  g_tlSearchText[g_tlSearchLength] = 0;
  char key[17];
  int n = g_tlSearchLength;
  memcpy(key, g_tlSearchText, 17);
  uint32_t startRow = caret ? TLRowOf(st, TLGet(st, caret)) : 0;  // the row after the caret (0-based)
  if (n > 1 && startRow) startRow--;  // a longer text may still match the current row
  for (uint32_t k = 0; k < st->shownRows && !st->dead; k++) {
    uint32_t r = (startRow + k) % st->shownRows;
    uint32_t h = st->rows[r];
    uint32_t len = 0;
    const char* t = TreeListItemText(st, h, column, &len);
    if (!TLGet(st, h)) continue;
    if (StartsWith(t, len, key, n)) {
      MoveCaret(st, r, column, false);
      return;
    }
  }
}
