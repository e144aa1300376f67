// The column editor (edit kinds 0-7: editors, cycling choices, check boxes),
// choice lists, and the edit request to the parent.
#include <stdlib.h>
#include <string.h>

#include "treelist/tledit.h"

// Caret mode 1 at the clicked pixel, counted from where the editor's text
// starts: the label (after indent and images) or the cell's text part.
static uint32_t CaretAtClick(TreeListState* st, uint32_t item, int column, POINT pt) {
  TLRect r = {static_cast<int32_t>(item), 0, 0, 0};
  uint32_t what = column ? (0x80u | 1u | (static_cast<uint32_t>(column) << 24)) : 1u;
  int32_t left = TreeListGetItemRect(st, what, &r) ? r.left
                 : st->columnCount ? st->colX[st->columns[column].position] - st->hOffset : 0;
  int off = pt.x - left;
  if (off < 0) off = 0;
  return (1u << 26) | ((static_cast<uint32_t>(off) & 0x3FFFFu) << 8);
}

// Choice lists end at a null pointer (arrays) or at their zero (buffers),
// never beyond TLCHOICES_MAX entries; a count limits them further.
static uint32_t Limit(uint32_t count) { return count && count < TLCHOICES_MAX ? count : TLCHOICES_MAX; }

static bool ChoiceFrom(const void* list, bool array, char sep, uint32_t count, uint32_t i, char* buf, size_t size,
                       size_t cut) {
  if (!list || i >= Limit(count)) return false;
  const char* s;
  size_t n;
  if (array) {
    const char* const* a = static_cast<const char* const*>(list);
    for (uint32_t k = 0; k < i; k++)
      if (!a[k]) return false;
    s = a[i];
    if (!s) return false;
    n = strnlen(s, cut);
  } else {
    const char* p = static_cast<const char*>(list);
    for (uint32_t k = 0; k < i; k++) {
      while (*p && *p != sep) p++;
      if (!*p) return false;
      p++;
    }
    if (!*p && i > 0) return false;
    if (!*p) return false;
    s = p;
    n = 0;
    while (s[n] && s[n] != sep && n < cut) n++;
  }
  if (n >= size) n = size - 1;
  memcpy(buf, s, n);
  buf[n] = 0;
  return true;
}

bool TLChoiceAt(const TreeListColumn& col, uint32_t i, char* buf, size_t size) {
  return ChoiceFrom(col.choices, (col.editFlags & TLEF_CHOICEARRAY) != 0, static_cast<char>(col.choiceSeparator),
                    col.choiceCount, i, buf, size, 255);
}

int TLFindChoice(const TreeListColumn& col, const char* text) {
  char buf[256];
  for (uint32_t i = 0; TLChoiceAt(col, i, buf, sizeof(buf)); i++)
    if (strcmp(buf, text) == 0) return static_cast<int>(i);
  return -1;
}

static void FillCombo(HWND combo, const void* list, bool array, char sep, uint32_t count, size_t cut, const char* text,
                      bool select, bool dropList) {
  char* buf = static_cast<char*>(malloc(cut + 1));
  if (!buf) return;
  int found = -1;
  for (uint32_t i = 0; ChoiceFrom(list, array, sep, count, i, buf, cut + 1, cut); i++) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(buf));
    if (found < 0 && text && strcmp(buf, text) == 0) found = static_cast<int>(i);
  }
  free(buf);
  if (select && found >= 0) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  else if (select && dropList) SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

static intptr_t ValueNote(TreeListState* st, uint32_t item, int column, uint32_t trigger, POINT pt, int code) {
  TLNmValue nm = {};
  nm.action = trigger;
  std::string text;
  TLFillItemText(st, &nm.itemNew, item, 0x801Du, column, &text);
  nm.ptDrag.x = pt.x;
  nm.ptDrag.y = pt.y;
  return TreeListNotify(st, &nm.hdr, code);
}

bool TLReadOnlyCell(TreeListState* st, uint32_t item, int column) {
  if (column < 0 || (column && static_cast<uint32_t>(column) >= st->columnCount)) return false;
  if (!(st->columns[column].editFlags & TLEF_READONLYBIT)) return false;
  TreeListItem* it = TLGet(st, item);
  if (!it) return false;
  if (it->state & 0x8000u) return true;
  TreeListCell* c = column ? TLGetCell(st, item, static_cast<uint32_t>(column), false) : nullptr;
  return c && (c->state & 0x8000u);
}

int TreeListColumnEdit(TreeListState* st, uint32_t item, int column, uint32_t trigger, POINT pt) {
  TreeListWin* w = st->win;
  if (st->editItem || !TLGet(st, item)) return 0;
  if (column < 0 || (column && static_cast<uint32_t>(column) >= st->columnCount)) return 0;
  const TreeListColumn& col = st->columns[column];
  int kind = col.editKind;
  if (kind == TLEK_NONE) return 0;
  if (!(st->style & TVS_EDITLABELS) && !(trigger == TLTRIGGER_CLICK && kind >= TLEK_CHECK)) return 0;
  TreeListItem* it = TLGet(st, item);
  if (TLReadOnlyCell(st, item, column)) return 0;
  if (st->editFrozenOnly) {
    uint32_t row = TLRowOf(st, it);
    if (!row || row > st->frozenRows) return 0;
  }
  bool typed = trigger < 0x10000u && trigger != TLTRIGGER_ENTER;
  if (typed) {
    if (!TLColumnTakesTyping(col) || (trigger & 0xFFu) < 33) return 0;
  }
  bool click = trigger == TLTRIGGER_CLICK || trigger == TLTRIGGER_CLICKCARET;
  if (kind >= TLEK_CYCLE && !((kind & 1) && !click)) {
    // cycle the choice (and toggle the check box)
    uint32_t len = 0;
    const char* cur = TreeListItemText(st, item, column, &len);
    char curCopy[256];
    size_t n = len < sizeof(curCopy) - 1 ? len : sizeof(curCopy) - 1;
    memcpy(curCopy, cur, n);
    curCopy[n] = 0;
    if (!TLGet(st, item)) return 0;
    int idx = TLFindChoice(col, curCopy);
    char next[256];
    bool have = TLChoiceAt(col, static_cast<uint32_t>(idx + 1), next, sizeof(next));
    if (!have) have = TLChoiceAt(col, 0, next, sizeof(next)), idx = -1;
    TLItem set = {};
    set.mask = TLIF_COLUMN;
    set.hItem = item;
    set.cChildren = column;
    if (have) {
      set.mask |= TLIF_TEXT;
      set.pszText = next;
    } else if (kind < TLEK_CHECK) {
      return 1;  // an empty list leaves the value
    }
    if (kind >= TLEK_CHECK) {
      TreeListCell* c = column ? TLGetCell(st, item, static_cast<uint32_t>(column), true) : nullptr;
      uint32_t state = column ? (c ? c->state : 0) : TLGet(st, item)->state;
      // with flag 32 bit 15 is the read-only mark, not part of the image
      uint32_t image = (col.editFlags & TLEF_READONLYBIT) ? 0x7000u : 0xF000u;
      uint32_t clear = image;
      if (st->options & TLOPT_HIDEITEMS) clear &= ~TLIS_HIDDEN;
      uint32_t ns;
      if (st->options & TLOPT_PLAINCHECK) ns = state ^ 0x1000u;
      else ns = (state & ~clear) | (((state & image) == 0x2000u) ? 0x1000u : 0x2000u);
      set.mask |= TLIF_STATE;
      set.state = ns;
      set.stateMask = 0xF000u;
      if (click && st->builtinChecks) {
        st->pressedItem = item;
        st->pressedColumn = column;
      }
    }
    if (col.choiceImageBase >= 0) {
      TreeListCell* c = column ? TLGetCell(st, item, static_cast<uint32_t>(column), false) : nullptr;
      int k = idx + 1;
      if (c && (c->state & 0x40u)) k *= 2;
      set.mask |= TLIF_IMAGE | TLIF_SELECTEDIMAGE;
      set.iImage = set.iSelectedImage = col.choiceImageBase + k;
    }
    TreeListSetItem(st, &set);
    if (!TLGet(st, item)) return 1;
    TreeListInvalidateItem(st, item, column);
    ValueNote(st, item, column, trigger, pt, kind >= TLEK_CHECK ? TLN_CHECKCHANGED : TLN_VALUECHANGED);
    return 1;
  }
  // an editor
  int editorKind = kind == TLEK_COMBO ? 1 : kind == TLEK_LIST ? 2 : 0;
  uint32_t flags = static_cast<uint32_t>(column) | (static_cast<uint32_t>(editorKind) << 29);
  if (col.editFlags & TLEF_FULLCELL) flags |= 0x80000000u;
  if (trigger == TLTRIGGER_CLICKCARET && !(st->options & TLOPT_CLICKCARETFREE)) flags |= CaretAtClick(st, item, column, pt);
  bool savedChanged = typed;
  HWND ed = TreeListStartEdit(st, item, flags);
  if (!ed || st->dead) return 0;
  if (editorKind) {
    uint32_t len = 0;
    const char* t = TreeListItemText(st, item, column, &len);
    char* copy = static_cast<char*>(malloc(len + 1));
    if (copy) {
      memcpy(copy, t, len);
      copy[len] = 0;
    }
    FillCombo(ed, col.choices, (col.editFlags & TLEF_CHOICEARRAY) != 0, static_cast<char>(col.choiceSeparator),
              col.choiceCount, 255, copy, true, editorKind == 2);
    free(copy);
    if (col.editFlags & TLEF_OPENLIST) SendMessageA(ed, CB_SHOWDROPDOWN, TRUE, 0);
  }
  w->editChanged = savedChanged;
  if (typed) SendMessageA(ed, WM_CHAR, trigger & 0xFFu, 1);
  if (trigger == TLTRIGGER_PASTE) PostMessageA(ed, WM_PASTE, 0, 0);
  return 1;
}

int TreeListEditRequest(TreeListState* st, uint32_t item, int column, uint32_t trigger, POINT pt) {
  TreeListWin* w = st->win;
  if (!(st->style & TVS_EDITLABELS) || !TLGet(st, item) || st->editItem) return 0;
  if (column < 0 || (column && static_cast<uint32_t>(column) >= st->columnCount)) return 0;
  uint32_t ch = trigger & 0xFFFFFFu;
  if (ch < 0x10000u && ch != TLTRIGGER_ENTER) {
    if (ch < 32 || (GetKeyState(VK_MENU) & 0x8000) || (GetKeyState(VK_CONTROL) & 0x8000)) return 0;
  }
  TLNmEditRequest nm = {};
  nm.tv.action = trigger;
  std::string keep;
  TLFillItemText(st, &nm.tv.itemNew, item, 0x801Cu, column, &keep);
  const char* text = keep.c_str();
  nm.tv.ptDrag.x = pt.x;
  nm.tv.ptDrag.y = pt.y;
  nm.choiceCount = 255;
  uint32_t answer = static_cast<uint32_t>(TreeListNotify(st, &nm.tv.hdr, TLN_EDITREQUEST));
  char* buffer = nm.choiceBuffer;
  auto done = [&](int r) {
    // a buffer the control was told to free is freed once, with free()
    if ((answer & TLER_FREEBUFFER) && buffer) free(buffer);
    return r;
  };
  if (!answer || st->dead || !TLGet(st, item)) return done(0);
  uint32_t flags = static_cast<uint32_t>(column) | (answer & 0xE0000000u);
  if (trigger == TLTRIGGER_CLICKCARET && !(st->options & TLOPT_CLICKCARETFREE)) flags |= CaretAtClick(st, item, column, pt);
  HWND ed = TreeListStartEdit(st, item, flags);
  if (!ed || st->dead) return done(0);
  if (answer & TLER_COMBO) {
    bool typedTrigger = ch < 0x10000u && ch != TLTRIGGER_ENTER;
    if (nm.choiceArray) {
      FillCombo(ed, nm.choiceArray, true, 0, static_cast<uint32_t>(nm.choiceCount > 0 ? nm.choiceCount : 0), 1023, text,
                true, (answer & TLER_LIST) == TLER_LIST);
    } else if (buffer) {
      FillCombo(ed, buffer, false, static_cast<char>((answer >> 8) & 0xFFu),
                static_cast<uint32_t>(nm.choiceCount > 0 ? nm.choiceCount : 0), 1023, text, !typedTrigger,
                (answer & TLER_LIST) == TLER_LIST);
    }
    if (nm.droppedWidth > 0) SendMessageA(ed, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(nm.droppedWidth), 0);
    if (answer & TLER_OPENLIST) SendMessageA(ed, CB_SHOWDROPDOWN, TRUE, 0);
  }
  if (ch < 0x10000u && ch != TLTRIGGER_ENTER) {
    w->editChanged = true;
    if (trigger & TLTRIGGER_SENDCHAR) {
      SendMessageA(ed, WM_CHAR, ch & 0xFFu, 1);
    } else {
      HWND target = w->editKind ? GetWindow(ed, GW_CHILD) : ed;
      if (!target) target = ed;
      SendMessageA(target, WM_CHAR, ch & 0xFFu, 1);
    }
  }
  if ((trigger & 0xFFFFFFu) == TLTRIGGER_PASTE) PostMessageA(ed, WM_PASTE, 0, 0);
  return done(1);
}
