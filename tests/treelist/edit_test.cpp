// Editing kinds and the parent's answers: combo and list columns, check
// columns, edit requests with their choice buffers, texts the parent keeps,
// and the tooltip texts the parent hands in.
#include <gtest/gtest.h>

#include <malloc.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tests/treelist/tlcell.h"
#include "tests/treelist/tlharness.h"

using tltest::Harness;

namespace {

void AddColumns(Harness& h, int n) {
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 90;
  for (int c = 0; c < n; c++) h.Send(TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d));
}


TLItem Cell(Harness& h, uintptr_t item, int column) {
  TLItem it = {};
  it.mask = TLIF_IMAGE | TLIF_STATE | TLIF_COLUMN;
  it.hItem = item;
  it.cChildren = column;
  it.stateMask = 0xFFFFFFFFu;
  h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
  return it;
}

void Key(Harness& h, WPARAM key, bool ctrl = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(keys);
  h.Send(WM_KEYDOWN, key, 1);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

std::string ClassOf(HWND w) {
  char c[64] = "";
  GetClassNameA(w, c, sizeof(c));
  return c;
}

// Kinds 2 and 3: Enter opens a combo (editable or list) filled with the
// choices and set to the cell's text; the chosen entry is stored with its
// image (the base plus its index).
TEST(TreeListEditKinds, CombosOfferTheChoicesAndStoreTheChosenOne) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 400, 200, 0, true);
  AddColumns(h, 3);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  static const char choices[] = "rot|gruen|blau";
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_COMBO, 0, '|', 0), reinterpret_cast<LPARAM>(choices)), 1);
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(2, TLEK_LIST, 0, '|', 0), reinterpret_cast<LPARAM>(choices)), 1);
  EXPECT_EQ(h.Send(TLM_SETCOLUMNDATA, 2, 10), 1);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  TLSetCellText(h.tl(), a, 1, "gruen");
  TLSetCellText(h.tl(), a, 2, "lila");
  SetFocus(h.tl());
  for (int column = 1; column <= 2; column++) {
    h.Send(TLM_SETCARET, column, a);
    Key(h, VK_RETURN);
    HWND ed = reinterpret_cast<HWND>(h.Send(TLM_GETEDITCONTROL));
    ASSERT_NE(ed, nullptr) << column;
    EXPECT_EQ(ClassOf(ed), "ComboBox") << column;
    EXPECT_EQ(GetWindowLongA(ed, GWL_STYLE) & 3, column == 1 ? CBS_DROPDOWN : CBS_DROPDOWNLIST) << column;
    EXPECT_EQ(SendMessageA(ed, CB_GETCOUNT, 0, 0), 3) << column;
    // the cell's text chosen; a list without a match starts at the first
    EXPECT_EQ(SendMessageA(ed, CB_GETCURSEL, 0, 0), column == 1 ? 1 : 0) << column;
    SendMessageA(ed, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(h.Send(TLM_ENDEDITLABELNOW, 0), 1);
    EXPECT_EQ(h.Text(a, column), "blau") << column;
  }
  EXPECT_EQ(Cell(h, a, 2).iImage, 12);
}

// Kinds 6 and 7: a click (Ctrl+Enter) toggles the check state and cycles the
// choice once, with one TLN_CHECKCHANGED; a paste leaves the box; Enter on
// kind 7 opens an edit box.
TEST(TreeListEditKinds, CheckColumnsToggleOnce) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 400, 200, 0, true);
  AddColumns(h, 3);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  static const char* onOff[] = {"aus", "an", nullptr};
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CHECK, TLEF_CHOICEARRAY, 0, 0), reinterpret_cast<LPARAM>(onOff)), 1);
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(2, TLEK_EDITCHECK, TLEF_CHOICEARRAY, 0, 0), reinterpret_cast<LPARAM>(onOff)), 1);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  TLSetCellText(h.tl(), a, 1, "aus");
  TLSetCellText(h.tl(), a, 2, "aus");
  SetFocus(h.tl());
  for (int column = 1; column <= 2; column++) {
    h.Send(TLM_SETCARET, column, a);
    uint32_t before = Cell(h, a, column).state & 0xF000u;
    h.Clear();
    Key(h, VK_RETURN, true);
    EXPECT_EQ(h.Count(TLN_CHECKCHANGED), 1) << column;
    EXPECT_EQ(h.Text(a, column), "an") << column;
    uint32_t after = Cell(h, a, column).state & 0xF000u;
    EXPECT_EQ(after, before == 0x2000u ? 0x1000u : 0x2000u) << column;
    Key(h, VK_RETURN, true);
    EXPECT_EQ(h.Text(a, column), "aus") << column;
    EXPECT_EQ(Cell(h, a, column).state & 0xF000u, before == 0x2000u ? 0x2000u : 0x1000u) << column;
    EXPECT_EQ(h.Send(TLM_GETEDITCONTROL), 0) << column;
  }
  // a paste brings text, which a check box does not take
  ASSERT_TRUE(OpenClipboard(h.parent()));
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 4);
  memcpy(GlobalLock(g), "an", 3);
  GlobalUnlock(g);
  SetClipboardData(CF_TEXT, g);
  CloseClipboard();
  h.Send(TLM_SETCARET, 1, a);
  uint32_t before = Cell(h, a, 1).state;
  h.Clear();
  h.Send(WM_PASTE);
  EXPECT_EQ(h.Count(TLN_CHECKCHANGED), 0);
  EXPECT_EQ(Cell(h, a, 1).state, before);
  EXPECT_EQ(h.Text(a, 1), "aus");
  // plain Enter: kind 6 toggles, kind 7 edits the text
  h.Send(TLM_SETCARET, 2, a);
  Key(h, VK_RETURN);
  HWND ed = reinterpret_cast<HWND>(h.Send(TLM_GETEDITCONTROL));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ClassOf(ed), "Edit");
  h.Send(TLM_ENDEDITLABELNOW, 1);
}

// With edit flag 32 a cell whose state has bit 15 is read-only: neither a
// click on its box nor Ctrl+Enter toggles it, nor tells the parent.
TEST(TreeListEditKinds, ReadOnlyCheckCellsStayAsTheyAre) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 400, 200, 0, true);
  AddColumns(h, 2);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CHECK, TLEF_READONLYBIT | TLEF_CHECKCLICK, 0, 0), 0), 1);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  TLItem set = {};
  set.mask = TLIF_STATE | TLIF_COLUMN;
  set.hItem = a;
  set.cChildren = 1;
  set.state = 0x9000u;
  set.stateMask = 0xF000u;
  ASSERT_EQ(h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&set)), 1);
  SetFocus(h.tl());
  h.Send(TLM_SETCARET, 1, a);
  RECT r = {static_cast<LONG>(a), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 0x80u | (1u << 24), reinterpret_cast<LPARAM>(&r));  // the cell of column 1
  h.Clear();
  for (int i = 0; i < 2; i++) {
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 6, (r.top + r.bottom) / 2));
    h.Send(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 6, (r.top + r.bottom) / 2));
    Key(h, VK_RETURN, true);
  }
  EXPECT_EQ(h.Count(TLN_CHECKCHANGED), 0);
  EXPECT_EQ(Cell(h, a, 1).state & 0xF000u, 0x9000u);
}

// Edit requests: the parent's answer picks the editor and may hand in a
// choice buffer; with bit 7 the control frees it (after use), else not.
TEST(TreeListEditKinds, EditRequestAnswers) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 400, 200, 0, true);
  uintptr_t a = h.Insert(TLI_ROOT, "zwei");
  char* buffer = nullptr;
  LRESULT answer = 0;
  h.On(TLN_EDITREQUEST, [&](NMHDR* nm) -> LRESULT {
    TLNmEditRequest* r = reinterpret_cast<TLNmEditRequest*>(nm);
    buffer = static_cast<char*>(malloc(32));
    strcpy(buffer, "eins;zwei;drei");
    r->choiceBuffer = buffer;
    r->droppedWidth = 222;
    return answer;
  });
  SetFocus(h.tl());
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  HANDLE heap = reinterpret_cast<HANDLE>(_get_heap_handle());

  answer = 0;  // refused: no editor; the buffer is the parent's
  Key(h, VK_RETURN);
  EXPECT_EQ(h.Send(TLM_GETEDITCONTROL), 0);
  EXPECT_TRUE(HeapValidate(heap, 0, buffer));
  free(buffer);

  answer = TLER_LIST | (';' << 8) | TLER_FREEBUFFER;
  Key(h, VK_RETURN);
  HWND ed = reinterpret_cast<HWND>(h.Send(TLM_GETEDITCONTROL));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(GetWindowLongA(ed, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessageA(ed, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(ed, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(ed, CB_GETDROPPEDWIDTH, 0, 0), 222);
  EXPECT_FALSE(HeapValidate(heap, 0, buffer));  // freed by the control
  SendMessageA(ed, CB_SETCURSEL, 2, 0);
  h.Send(TLM_ENDEDITLABELNOW, 0);
  EXPECT_EQ(h.Text(a), "drei");

  answer = TLER_COMBO | (';' << 8);  // without bit 7 the parent keeps it
  Key(h, VK_RETURN);
  ed = reinterpret_cast<HWND>(h.Send(TLM_GETEDITCONTROL));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(GetWindowLongA(ed, GWL_STYLE) & 3, CBS_DROPDOWN);
  EXPECT_TRUE(HeapValidate(heap, 0, buffer));
  EXPECT_STREQ(buffer, "eins;zwei;drei");
  h.Send(TLM_ENDEDITLABELNOW, 1);
  free(buffer);

  answer = 1;  // a plain edit box
  Key(h, VK_RETURN);
  ed = reinterpret_cast<HWND>(h.Send(TLM_GETEDITCONTROL));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ClassOf(ed), "Edit");
  h.Send(TLM_ENDEDITLABELNOW, 1);
  free(buffer);
}

// A text the parent keeps (callback text) is edited from its answer and
// handed back with TVN_SETDISPINFOA instead of being stored.
TEST(TreeListEditKinds, CallbackTextsGoBackToTheParent) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 400, 200, 0, true);
  std::string kept = "vom Elternfenster";
  h.On(TLN_GETDISPINFO, [&](NMHDR* nm) -> LRESULT {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(nm);
    if (di->item.mask & TLIF_TEXT) di->item.pszText = const_cast<char*>(kept.c_str());
    return 0;
  });
  uintptr_t a = h.Insert(TLI_ROOT, TL_TEXTCALLBACK);
  HWND ed = reinterpret_cast<HWND>(h.Send(TLM_EDITLABEL, 0, a));
  ASSERT_NE(ed, nullptr);
  char text[100] = "";
  GetWindowTextA(ed, text, sizeof(text));
  EXPECT_STREQ(text, "vom Elternfenster");
  SetWindowTextA(ed, "neu");
  h.Clear();
  h.Send(TLM_ENDEDITLABELNOW, 0);
  ASSERT_EQ(h.Count(TLN_SETDISPINFO), 1);
  for (auto& n : h.notes)
    if (n.code == TLN_SETDISPINFO) {
      EXPECT_EQ(n.text, "neu");
      EXPECT_EQ(n.newItem, a);
    }
  TLItem it = {};  // still the parent's
  it.mask = TLIF_TEXT;
  it.hItem = a;
  h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.pszText, TL_TEXTCALLBACK);
}

// A cell longer than the editor's typing limit, opened and left by a click
// elsewhere: the parent is handed the whole text and the cell keeps it.
TEST(TreeListEditKinds, ALongCellLeftUnchangedKeepsItsWholeText) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 300, 200, 0, true);
  AddColumns(h, 2);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_EDIT, 0, 0, 0), 0), 1);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  const std::string text = std::string(3000, 'x') + "END";
  TLSetCellText(h.tl(), a, 1, text.c_str());
  SetFocus(h.tl());
  h.Send(TLM_SETCARET, 1, a);
  Key(h, VK_RETURN);
  ASSERT_NE(h.Send(TLM_GETEDITCONTROL), 0);
  h.Clear();
  SetFocus(h.parent());
  ASSERT_EQ(h.Count(TLN_ENDLABELEDIT), 1);
  for (auto& n : h.notes) {
    if (n.code == TLN_ENDLABELEDIT) {
      EXPECT_EQ(n.text.size(), text.size());
    }
  }
  const std::string now = h.Text(a, 1);
  EXPECT_EQ(now.size(), text.size());
  EXPECT_TRUE(now == text);
}

// Tooltip texts from the parent: longer than any fixed buffer, cut at the
// length limit, null taken as empty.
TEST(TreeListTips, InfoTipTextsGrowAndAreCut) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200, 0, true);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_INFOTIPS, TLOPT_INFOTIPS);
  uintptr_t items[3] = {h.Insert(TLI_ROOT, "eins"), h.Insert(TLI_ROOT, "zwei"), h.Insert(TLI_ROOT, "drei")};
  std::string tip;
  bool null = false;
  h.On(TLN_GETINFOTIP, [&](NMHDR* nm) -> LRESULT {
    reinterpret_cast<TLNmTreeView*>(nm)->itemNew.pszText = null ? nullptr : const_cast<char*>(tip.c_str());
    return 1;
  });
  HWND tt = reinterpret_cast<HWND>(h.Send(TLM_GETTOOLTIPS));
  ASSERT_NE(tt, nullptr);
  struct Case {
    size_t length;
    bool null;
    size_t shown;
  } cases[] = {{1000, false, 1000}, {70000, false, 65535}, {0, true, 0}};
  for (int i = 0; i < 3; i++) {
    tip.assign(cases[i].length, static_cast<char>('a' + i));
    null = cases[i].null;
    RECT r = {static_cast<LONG>(items[i]), 0, 0, 0};
    h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    h.Send(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
    NMTTDISPINFOA di = {};
    di.hdr.hwndFrom = tt;
    di.hdr.idFrom = reinterpret_cast<UINT_PTR>(h.tl());
    di.hdr.code = TTN_GETDISPINFOA;
    h.Send(WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&di));
    ASSERT_NE(di.lpszText, nullptr) << i;
    std::string shown = di.lpszText == LPSTR_TEXTCALLBACKA ? "?" : di.lpszText;
    EXPECT_EQ(shown.size(), cases[i].shown) << i;
    EXPECT_EQ(shown, tip.substr(0, cases[i].shown)) << i;
  }
}

// Shift-click moves the focus with the caret; Left and Right pass over the
// columns a span swallows in the caret's row.
TEST(TreeListInput, ShiftClickFocusAndSpannedCells) {
  Harness h(WS_CHILD | WS_VISIBLE, 400, 200);
  AddColumns(h, 4);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_MULTISELECT | TLOPT_CELLSELECT, TLOPT_MULTISELECT | TLOPT_CELLSELECT);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  uintptr_t c = h.Insert(TLI_ROOT, "c");
  SetFocus(h.tl());
  auto click = [&](uintptr_t item, WPARAM keys) {
    RECT r = {static_cast<LONG>(item), 0, 0, 0};
    h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    LPARAM pt = MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2);
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, pt);
    h.Send(WM_LBUTTONUP, keys, pt);
  };
  click(a, 0);
  click(c, MK_SHIFT);
  EXPECT_EQ(h.Next(TLGN_FOCUS, 0), c);
  EXPECT_EQ(h.Send(TLM_GETITEMSTATE, a, TLIS_SELECTED), TLIS_SELECTED);
  // column 1 spans over 2 in row a
  h.Send(TLM_PROPERTY, TLPROP_MERGEMASK | TLPROP_SET, 0xFFFF);
  TLItem it = {};
  it.mask = TLIF_STATE;
  it.hItem = a;
  it.state = 1u << 17;
  it.stateMask = 1u << 17;
  h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
  h.Send(TLM_SETCARET, 1, a);
  Key(h, VK_RIGHT);
  EXPECT_EQ(h.Next(TLGN_CARETCOLUMN, 0), 3u);
  Key(h, VK_LEFT);
  EXPECT_EQ(h.Next(TLGN_CARETCOLUMN, 0), 1u);
  // Page Down with one full row in view moves one row
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_MULTISELECT | TLOPT_CELLSELECT, 0);
  int rh = static_cast<int>(h.Send(TLM_GETITEMHEIGHT));
  RECT hr;
  GetWindowRect(reinterpret_cast<HWND>(h.Send(TLM_GETHEADER)), &hr);
  SetWindowPos(h.tl(), nullptr, 0, 0, 400, (hr.bottom - hr.top) + rh + rh / 2, SWP_NOMOVE | SWP_NOZORDER);
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  Key(h, VK_NEXT);
  EXPECT_EQ(h.Next(TVGN_CARET, 0), h.Next(TLGN_NEXT, a));
  // Tab hands the keys to a parent that is no dialog
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_TABTOPARENT, TLOPT_TABTOPARENT);
  Key(h, VK_TAB);
  EXPECT_EQ(GetFocus(), h.parent());
}

// An info tip the parent asks to delay shows only once the delay ran out.
TEST(TreeListTips, DelayedInfoTip) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200, 0, true);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_INFOTIPS, TLOPT_INFOTIPS);
  uintptr_t a = h.Insert(TLI_ROOT, "eins");
  static char text[] = "later";
  h.On(TLN_GETINFOTIP, [&](NMHDR* nm) -> LRESULT {
    TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(nm);
    tv->itemNew.pszText = text;
    tv->itemNew.mask |= TLIF_DELAYTIP;
    tv->itemNew.lParam = 1000;
    return 1;
  });
  HWND tt = reinterpret_cast<HWND>(h.Send(TLM_GETTOOLTIPS));
  ASSERT_NE(tt, nullptr);
  RECT r = {static_cast<LONG>(a), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  DWORD start = GetTickCount();
  h.Send(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
  EXPECT_FALSE(IsWindowVisible(tt));
  while (!IsWindowVisible(tt) && GetTickCount() - start < 4000) tltest::Pump(20);
  DWORD shown = GetTickCount() - start;
  EXPECT_TRUE(IsWindowVisible(tt));
  EXPECT_GE(shown, 900u);
}

// The hot item's label takes colour slot 7 while the mouse is over it.
TEST(TreeListTips, HotTrackingColoursTheLabel) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_TRACKSELECT, 300, 120);
  uintptr_t a = h.Insert(TLI_ROOT, "Heiss");
  h.Send(TLM_SETBKCOLOR, 0, 0x00FFFFFF);
  h.Send(TLM_SETBKCOLOR, 4, 0x00000000);
  h.Send(TLM_SETBKCOLOR, 7, 0x000000FF);
  RECT r = {static_cast<LONG>(a), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  auto hotPixels = [&]() {
    tltest::Canvas c(300, 120);
    h.Send(WM_PAINT, reinterpret_cast<WPARAM>(c.dc()));
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++) n += c.At(x, y) == tltest::Px(0x000000FF);
    return n;
  };
  EXPECT_EQ(hotPixels(), 0);
  h.Send(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2));
  EXPECT_GT(hotPixels(), 10);
  h.Send(WM_MOUSEMOVE, 0, MAKELPARAM(250, 110));
  EXPECT_EQ(hotPixels(), 0);
  h.Send(TLM_SELECTCELL, 0, a);  // sets the hot cell as 0x1179 does
  EXPECT_GT(hotPixels(), 10);
}

}  // namespace
