// In-place editors: creation over a cell, their subclass (also the combo's
// embedded edit), caret modes, and ending the edit.
#include <stdlib.h>
#include <string.h>

#include "treelist/tledit.h"
#include "treelist/tlhittest.h"

#define TL_EDIT_LIMIT 2048

static const char kStateProp[] = "TLPrevProc";  // the editor's previous procedure

// The control of an editor window (the combo's embedded edit has the combo
// between them).
static HWND ControlOf(HWND editor, bool* embedded) {
  HWND parent = GetParent(editor);
  char cls[32] = "";
  GetClassNameA(parent, cls, sizeof(cls));
  *embedded = lstrcmpiA(cls, "ComboBox") == 0;
  return *embedded ? GetParent(parent) : parent;
}

static LRESULT CallPrev(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC prev = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kStateProp));
  return prev ? CallWindowProcA(prev, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

static LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  bool embedded = false;
  HWND control = ControlOf(hwnd, &embedded);
  HWND editor = embedded ? GetParent(hwnd) : hwnd;
  char cls[32] = "";
  GetClassNameA(editor, cls, sizeof(cls));
  bool isCombo = lstrcmpiA(cls, "ComboBox") == 0;
  switch (msg) {
    case WM_KEYDOWN: {
      if (wp == VK_RETURN || wp == VK_ESCAPE) {
        SendMessageA(control, WM_COMMAND, MAKEWPARAM(TL_ID_EDIT, wp == VK_RETURN ? TL_EDIT_ENTER : TL_EDIT_ESCAPE),
                     reinterpret_cast<LPARAM>(editor));
        return 0;
      }
      uint32_t options = static_cast<uint32_t>(SendMessageA(control, TLM_GETEXTENDEDSTYLE, 0, 0));
      bool dropList = isCombo && (GetWindowLongA(editor, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
      if ((options & TLOPT_ODDHEIGHTS) && !(GetKeyState(VK_SHIFT) & 0x8000) &&
          (wp == VK_LEFT || wp == VK_RIGHT || wp == VK_UP || wp == VK_DOWN)) {
        bool leave = false;
        if (wp == VK_UP || wp == VK_DOWN) {
          leave = !isCombo;
        } else if (!dropList) {
          DWORD s = 0, e = 0;
          SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
          int len = static_cast<int>(SendMessageA(hwnd, EM_LINELENGTH, 0, 0));
          if (s == e && ((wp == VK_LEFT && s == 0) || (wp == VK_RIGHT && static_cast<int>(s) == len))) leave = true;
        }
        if (leave) {
          PostMessageA(control, WM_COMMAND, MAKEWPARAM(TL_ID_EDIT, TL_EDIT_ENTER), reinterpret_cast<LPARAM>(editor));
          PostMessageA(control, WM_KEYDOWN, wp, 0x500001);
          PostMessageA(control, WM_KEYUP, wp, 0x500001);
          return 0;
        }
      }
      if (wp == VK_DOWN && isCombo && !SendMessageA(editor, CB_GETDROPPEDSTATE, 0, 0)) {
        SendMessageA(editor, CB_SHOWDROPDOWN, TRUE, 0);
        return 0;
      }
      break;
    }
    case WM_CHAR:
      if (wp == VK_RETURN || wp == VK_ESCAPE) return 0;
      break;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_SETTEXT: {
      LRESULT r = CallPrev(hwnd, msg, wp, lp);
      SendMessageA(control, WM_COMMAND, MAKEWPARAM(TL_ID_EDIT, 0x1000), reinterpret_cast<LPARAM>(editor));
      return r;
    }
    case WM_COMMAND:
      if (HIWORD(wp) == TL_EDIT_ENTER || HIWORD(wp) == TL_EDIT_ESCAPE) {
        SendMessageA(control, WM_COMMAND, MAKEWPARAM(TL_ID_EDIT, HIWORD(wp)), reinterpret_cast<LPARAM>(editor));
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
      if (isCombo && SendMessageA(editor, CB_GETDROPPEDSTATE, 0, 0)) {
        int top = static_cast<int>(SendMessageA(editor, CB_GETTOPINDEX, 0, 0));
        top -= static_cast<int16_t>(HIWORD(wp)) / 120;
        if (top < 0) top = 0;
        SendMessageA(editor, CB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
        return 0;
      }
      break;
    case WM_NCDESTROY: {
      LRESULT r = CallPrev(hwnd, msg, wp, lp);
      RemovePropA(hwnd, kStateProp);
      return r;
    }
  }
  return CallPrev(hwnd, msg, wp, lp);
}

static void Subclass(HWND hwnd) {
  WNDPROC prev = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc)));
  SetPropA(hwnd, kStateProp, reinterpret_cast<HANDLE>(prev));
}

static BOOL CALLBACK SubclassChild(HWND child, LPARAM) {
  Subclass(child);
  return TRUE;
}

// The rectangle of a cell (tree column: the label) in client coordinates.
static bool CellRect(TreeListState* st, uint32_t item, int column, RECT* r) {
  TLRect tr = {static_cast<int32_t>(item), 0, 0, 0};
  uint32_t what = column ? (0x80u | (static_cast<uint32_t>(column) << 24)) : 1u;
  if (!TreeListGetItemRect(st, what | 0x100u, &tr)) return false;
  *r = RECT{tr.left, tr.top, tr.right, tr.bottom};
  if (column == 0)  // the label's room runs to the column's end
    r->right = st->columnCount ? st->colX[st->columns[0].position + 1] - st->hOffset : st->clientW;
  if (r->right > st->clientW) r->right = st->clientW;
  return true;
}

HWND TreeListOpenEditor(TreeListState* st, uint32_t item, int column, uint32_t flags, const char** textOut) {
  TreeListWin* w = st->win;
  if (!TLGet(st, item)) return nullptr;
  if (column && static_cast<uint32_t>(column) >= st->columnCount) return nullptr;
  if (item != st->selItem || (column != st->selColumn && (st->options & TLOPT_CELLSELECT))) {
    TreeListSelectItem(st, item, (st->options & TLOPT_CELLSELECT) ? column : 0, 0);
    if (!TLGet(st, item)) return nullptr;
  }
  TreeListEnsureVisible(st, item, column);
  if (!TLGet(st, item)) return nullptr;
  if (w->edit) DestroyWindow(w->edit), w->edit = nullptr;
  int kind = static_cast<int>((flags >> 29) & 3u);
  if (kind > 2) kind = 2;
  const TreeListColumn& col = st->columns[column];
  DWORD style;
  if (kind == 1) style = 0x40A00042;
  else if (kind == 2) style = 0x40A00043;
  else style = 0x40800080 | ((flags & 0x80000000u) ? (col.align == 2 ? ES_RIGHT : col.align == 1 ? ES_CENTER : 0) : 0);
  const char* cls = kind ? "COMBOBOX" : "EDIT";
  HWND ed = CreateWindowExA(0, cls, "", style, 0, 0, 0, 0, w->hwnd, reinterpret_cast<HMENU>(TL_ID_EDIT),
                            GetModuleHandleA(nullptr), nullptr);
  if (!ed) return nullptr;
  w->edit = ed;
  w->editKind = kind;
  SendMessageA(ed, kind ? CB_LIMITTEXT : EM_LIMITTEXT, TL_EDIT_LIMIT, 0);
  if (g_tlShared.ux->SetWindowTheme) g_tlShared.ux->SetWindowTheme(ed, L"", L"");
  Subclass(ed);
  if (kind) {
    EnumChildWindows(ed, SubclassChild, 0);
    SendMessageA(ed, CB_RESETCONTENT, 0, 0);
  }
  w->editDisplayText = false;
  TreeListItem* it = TLGet(st, item);
  bool callback;
  if (column) {
    TreeListCell* c = TLGetCell(st, item, static_cast<uint32_t>(column), false);
    callback = c && (c->cbFlags & TLCB_TEXT);
  } else {
    callback = (it->cbFlags & TLCB_TEXT) != 0;
  }
  uint32_t len = 0;
  const char* text = TreeListItemText(st, item, column, &len);
  if (!TLGet(st, item) || st->dead) return nullptr;
  w->editDisplayText = callback;
  // a copy: the text may move while the parent answers
  char* copy = static_cast<char*>(malloc(len + 1));
  if (!copy) return nullptr;
  memcpy(copy, text, len);
  copy[len] = 0;
  *textOut = copy;
  return ed;
}

HWND TreeListStartEdit(TreeListState* st, uint32_t item, uint32_t flags) {
  TreeListWin* w = st->win;
  int column = static_cast<int>(flags & 0xFFu);
  if (column && static_cast<uint32_t>(column) >= st->columnCount) return nullptr;
  if (!TLGet(st, item)) return nullptr;
  const char* text = nullptr;
  HWND ed = TreeListOpenEditor(st, item, column, flags, &text);
  if (!ed) return nullptr;
  RECT r;
  if (!CellRect(st, item, column, &r)) r = RECT{0, 0, 100, st->rowHeight};
  const TreeListColumn& col = st->columns[column];
  int kind = w->editKind;
  if ((flags & 0x80000000u) && col.editKind >= TLEK_CHECK) {
    TreeListCell* c = TLGetCell(st, item, static_cast<uint32_t>(column), false);
    if (c && (c->flags & TLF_HASIMAGE)) {
      if (c->state & 0x80u) r.right -= st->stateW; else r.left += st->stateW;
    }
  }
  TreeListItem* it = TLGet(st, item);
  bool bold = (it->state & TLIS_BOLD) != 0;
  int tw = w->HostMeasureText(text, static_cast<int>(strlen(text)), bold);
  int width;
  int least = kind ? 60 : 48;
  if (flags & 0x80000000u) {
    // fitted to the cell, but a narrow cell's editor keeps the least width
    width = r.right - r.left - 2;
    if (width < least) width = least;
  } else {
    // the least width first; the characters and a combo's button come on top
    width = tw + 10;
    if (width < least) width = least;
    width += static_cast<int>(strlen(text));
    if (kind) width += GetSystemMetrics(SM_CXVSCROLL);
    int cellW = r.right - r.left;
    if (col.align == 1) r.left += (cellW - width) / 2;
    else if (col.align == 2) r.left += cellW - width;
  }
  // the parent may refuse
  TLNmDispInfo nm = {};
  TLFillItem(st, &nm.item, item, 0x801Du, column);
  nm.item.pszText = const_cast<char*>(text);
  nm.item.cchTextMax = static_cast<int32_t>(strlen(text));
  intptr_t refuse = TreeListNotify(st, &nm.hdr, TLN_BEGINLABELEDIT);
  if (refuse || st->dead || !TLGet(st, item) || !w->edit) {
    if (!st->dead && w->edit) DestroyWindow(w->edit), w->edit = nullptr;
    free(const_cast<char*>(text));
    return nullptr;
  }
  TreeListHideTip(st);
  int top = kind ? r.top : r.top + 1;
  int height = kind ? 260 : st->rowHeight + 4;
  SetWindowPos(ed, HWND_TOP, r.left + 2, top, width, height, SWP_SHOWWINDOW);
  SendMessageA(ed, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? w->boldFont : w->font), 0);
  if (kind != 2 || !(flags & TLER_KEEPTEXT)) SetWindowTextA(ed, text);
  w->editChanged = false;
  // caret
  uint32_t mode = (flags >> 26) & 3u;
  uint32_t value = (flags >> 8) & 0x3FFFFu;
  uint32_t s = 0, e = 0xFFFFFFFFu;
  int len = static_cast<int>(strlen(text));
  if (mode == 1) {
    int px = static_cast<int>(value) - 4;
    if (px < 5) px = 0;
    int fit = 0;
    if (px > 0) {
      HDC dc = GetDC(w->hwnd);
      HGDIOBJ o = SelectObject(dc, bold ? w->boldFont : w->font);
      SIZE sz;
      GetTextExtentExPointA(dc, text, len, px, &fit, nullptr, &sz);
      if (fit < len) {
        SIZE a, b;
        GetTextExtentPoint32A(dc, text, fit, &a);
        GetTextExtentPoint32A(dc, text, fit + 1, &b);
        if (px - a.cx > (b.cx - a.cx) / 2) fit++;
      }
      SelectObject(dc, o);
      ReleaseDC(w->hwnd, dc);
    }
    s = e = static_cast<uint32_t>(fit);
  } else if (mode == 2) {
    s = e = value;
  } else if (mode == 3) {
    s = value & 0x1FFu;
    e = (value >> 9) & 0x1FFu;
  } else {
    s = 0;
    e = static_cast<uint32_t>(len);
  }
  if (kind == 0) SendMessageA(ed, EM_SETSEL, s, e);
  else if (kind == 1) SendMessageA(ed, CB_SETEDITSEL, 0, MAKELPARAM(s, e));
  SetFocus(ed);
  RedrawWindow(ed, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  free(const_cast<char*>(text));
  if (st->dead || !w->edit) return nullptr;
  st->editItem = item;
  st->editColumn = column;
  w->editGen++;
  w->editSel = (s & 0xFFFFu) | (e << 16);
  return ed;
}

int TreeListEndEdit(TreeListState* st, int cancel, int how) {
  TreeListWin* w = st->win;
  uint32_t item = st->editItem;
  int column = st->editColumn;
  bool displayText = w->editDisplayText;
  st->editItem = 0;
  st->editColumn = 0;
  w->editDisplayText = false;
  if (!item) return 0;
  HWND ed = w->edit;
  // the whole text: the typing limit does not bound a longer text the cell
  // brought in, and a cut copy stored back would lose its end
  int length = !cancel && ed ? GetWindowTextLengthA(ed) : 0;
  if (length < 0) length = 0;
  char* text = static_cast<char*>(calloc(1, static_cast<size_t>(length) + 1));
  if (!text) cancel = 1;
  int curSel = -1;
  if (!cancel && ed) {
    GetWindowTextA(ed, text, length + 1);
    if (w->editKind) curSel = static_cast<int>(SendMessageA(ed, CB_GETCURSEL, 0, 0));
  }
  TLNmDispInfo nm = {};
  TLFillItem(st, &nm.item, item, cancel ? 0x0100801Cu : 0x801Du, column);
  if (!cancel) {
    if (w->editChanged) nm.item.mask |= 0x20000000u;
    if (how == 1) nm.item.mask |= 0x10000000u;
    nm.item.pszText = text;
    nm.item.cchTextMax = static_cast<int32_t>(strlen(text));
  } else {
    nm.item.pszText = nullptr;
    nm.item.cchTextMax = 0;
  }
  if (ed) ShowWindow(ed, SW_HIDE);
  intptr_t answer = TreeListNotify(st, &nm.hdr, TLN_ENDLABELEDIT);
  // the editor goes in every case
  if (!st->dead && w->edit == ed && ed) {
    w->edit = nullptr;
    DestroyWindow(ed);
  }
  if (cancel || answer || st->dead || !TLGet(st, item)) {
    free(text);
    return 1;
  }
  if (displayText) {
    TLNmDispInfo sd = {};
    TLFillItem(st, &sd.item, item, 0x801Du, column);
    sd.item.pszText = text;
    sd.item.cchTextMax = static_cast<int32_t>(strlen(text));
    TreeListNotify(st, &sd.hdr, TLN_SETDISPINFO);
    free(text);
    return 1;
  }
  TLItem set = {};
  set.mask = TLIF_TEXT | TLIF_COLUMN;
  set.hItem = item;
  set.pszText = text;
  set.cChildren = column;
  const TreeListColumn& col = st->columns[column];
  if (col.choiceImageBase >= 0 && col.editKind) {
    int idx = -1;
    if ((col.editKind == TLEK_COMBO || col.editKind == TLEK_LIST) && curSel >= 0) idx = curSel;
    else idx = TLFindChoice(col, text);
    set.mask |= TLIF_IMAGE | TLIF_SELECTEDIMAGE;
    set.iImage = set.iSelectedImage = col.choiceImageBase + idx;
  }
  bool enterNext = how == 1 && (col.editFlags & TLEF_ENTERNEXT) && col.editKind != TLEK_NONE && col.editKind != TLEK_CYCLE;
  if (!enterNext) {
    TreeListSetItem(st, &set);
    free(text);
    return 1;
  }
  uint32_t olen = 0;
  const char* old = TreeListItemText(st, item, column, &olen);
  bool missing = column ? !TLGetCell(st, item, static_cast<uint32_t>(column), false) : false;
  bool same = (strlen(text) == olen && memcmp(text, old, olen) == 0) || (missing && !text[0]);
  if (!same && TLGet(st, item)) {
    TreeListSetItem(st, &set);
    TreeListItem* it = TLGet(st, item);
    uint32_t row = TLRowOf(st, it);
    if (row && row < st->shownRows) TreeListSetCaret(st, st->rows[row], column);
  }
  free(text);
  return 1;
}

bool TLColumnTakesTyping(const TreeListColumn& col) {
  return (col.editKind == TLEK_EDIT || col.editKind == TLEK_COMBO || col.editKind == TLEK_EDITCYCLE ||
          col.editKind == TLEK_EDITCHECK) && !(col.editFlags & TLEF_NOTYPING);
}

int TreeListTypedEdit(TreeListState* st, uint32_t item, int column, uint32_t trigger) {
  if (column < 0 || column >= TL_MAXCOLUMNS) return 0;
  POINT none = {0, 0};
  // a check box or a cycling value takes no text: typing or a paste must not flip it
  if (TLColumnTakesTyping(st->columns[column])) return TreeListColumnEdit(st, item, column, trigger, none);
  bool typed = trigger < 0x10000u;
  return TreeListEditRequest(st, item, column, typed ? trigger | TLTRIGGER_SENDCHAR : trigger, none);
}
