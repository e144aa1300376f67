// Input under the control's own clock and timers: check-box notifications,
// double clicks, editing in the frozen rows, the editor's least width, the
// auto-scroll and tip timers, and a drag that loses the mouse.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/treelist/tlharness.h"
#include "treelist/tlwin.h"

using tltest::Harness;

namespace {

DWORD g_now = 0;
DWORD WINAPI Now() { return g_now; }

std::map<UINT_PTR, UINT> g_periods;
UINT_PTR WINAPI RecordTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc) {
  g_periods[id] = ms;
  return SetTimer(hwnd, id, ms, proc);
}

// Puts the fake clock and timer recorder in for one test.
struct FakeTime {
  FakeTime() {
    g_now = 100000;
    g_periods.clear();
    g_tlClock = Now;
    g_tlSetTimer = RecordTimer;
  }
  ~FakeTime() {
    g_tlClock = GetTickCount;
    g_tlSetTimer = SetTimer;
  }
};

RECT Label(Harness& h, uintptr_t item) {
  RECT r = {static_cast<LONG>(item), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  return r;
}

// Both records of a check change carry the texts their masks promise: the
// label, a callback text as the parent gives it, nothing for no item.
TEST(TreeListInput, CheckChangeCarriesTheTexts) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES, 300, 200);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_RADIOCHECK, TLOPT_RADIOCHECK);
  static char answer[] = "R\xFC" "ckruf";
  h.On(TLN_GETDISPINFO, [](NMHDR* nm) -> LRESULT {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(nm);
    if (di->item.mask & TLIF_TEXT) di->item.pszText = answer;
    return 0;
  });
  std::vector<std::string> seen;
  h.On(TLN_CHECKCHANGED, [&](NMHDR* nm) -> LRESULT {
    TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(nm);
    for (const TLItem* it : {&tv->itemOld, &tv->itemNew}) {
      if (!(it->mask & TLIF_TEXT)) seen.push_back("-");
      else if (it->pszText == TL_TEXTCALLBACK) seen.push_back("callback");
      else seen.push_back(std::string(it->pszText, static_cast<size_t>(it->cchTextMax)));
    }
    return 0;
  });
  uintptr_t a = h.Insert(TLI_ROOT, "Haken");
  uintptr_t b = h.Insert(TLI_ROOT, TL_TEXTCALLBACK);
  SetFocus(h.tl());
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  h.Send(WM_KEYDOWN, VK_SPACE, 1);
  h.Send(TLM_SELECTITEM, TVGN_CARET, b);
  h.Send(WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"-", "Haken", "Haken", answer}));
}

// Space on a check-box tree is the box's key: it ticks the box, and its
// character neither opens an editor nor searches.
TEST(TreeListInput, SpaceTicksTheBoxAndTypesNothing) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES | TVS_EDITLABELS, 300, 200);
  h.On(TLN_EDITREQUEST, [](NMHDR*) -> LRESULT { return static_cast<LRESULT>(0x80000000u); });
  uintptr_t a = h.Insert(TLI_ROOT, "Alpha");
  h.Insert(TLI_ROOT, " Beta");
  SetFocus(h.tl());
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  auto space = [&] {
    h.Send(WM_KEYDOWN, VK_SPACE, 0x00390001);
    h.Send(WM_CHAR, ' ', 0x00390001);
  };
  space();
  EXPECT_EQ(h.State(a) & 0xF000, 0x2000u);
  EXPECT_EQ(h.Send(TLM_GETEDITCONTROL), 0);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), a);
  EXPECT_EQ(h.Text(a), "Alpha");
  // a selected check-box cell toggles the same way; the item's box stays
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CHECK, TLEF_CHECKCLICK, 0, 0), 0);
  h.Send(TLM_SETCARET, 1, a);
  h.Clear();
  space();
  TLItem cell = {};
  cell.mask = TLIF_STATE | TLIF_COLUMN;
  cell.hItem = a;
  cell.stateMask = 0xF000;
  cell.cChildren = 1;
  h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&cell));
  EXPECT_EQ(cell.state & 0xF000, 0x2000u);
  EXPECT_EQ(h.Count(TLN_CHECKCHANGED), 1);
  EXPECT_EQ(h.State(a) & 0xF000, 0x2000u);
  EXPECT_EQ(h.Send(TLM_GETEDITCONTROL), 0);
}

// Only the left button drags: a right press moved over the rows starts no
// drag that a later left release would drop.
TEST(TreeListInput, OnlyTheLeftButtonDrags) {
  Harness h(WS_CHILD | WS_VISIBLE | 0x8000, 300, 200, 0, true);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  uintptr_t c = h.Insert(TLI_ROOT, "c");
  SetFocus(h.tl());
  RECT ra = Label(h, a), rc = Label(h, c);
  LPARAM from = MAKELPARAM(ra.left + 3, (ra.top + ra.bottom) / 2), to = MAKELPARAM(rc.left + 3, rc.bottom - 2);
  h.Send(WM_RBUTTONDOWN, MK_RBUTTON, from);
  h.Send(WM_MOUSEMOVE, MK_RBUTTON, to);
  EXPECT_EQ(h.Count(TLN_BEGINDRAG), 0);
  EXPECT_NE(GetCapture(), h.tl());
  h.Send(WM_RBUTTONUP, 0, to);
  h.Send(WM_LBUTTONUP, 0, to);
  EXPECT_EQ(h.Count(TLN_DROP), 0);
  EXPECT_EQ(h.Shape(), "a,b,c");
  h.Clear();
  h.Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
  h.Send(WM_MOUSEMOVE, MK_LBUTTON, to);
  EXPECT_EQ(h.Count(TLN_BEGINDRAG), 1);
  h.Send(WM_LBUTTONUP, 0, to);
}

// A left press is a double click only after an armed press less than 700 ms
// and at most 6 pixels (across plus down) before, whatever the system says.
TEST(TreeListInput, DoubleClicksByTheControlsOwnRule) {
  FakeTime time;
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200);
  uintptr_t a = h.Insert(TLI_ROOT, "Doppelklick");
  RECT r = Label(h, a);
  int x = r.left + 10, y = (r.top + r.bottom) / 2;
  auto press = [&](UINT msg, DWORD after, int dx, int dy) {
    g_now += after;
    h.Send(msg, MK_LBUTTON, MAKELPARAM(x + dx, y + dy));
    h.Send(WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y + dy));
  };
  struct Case {
    UINT second;
    DWORD after;
    int dx, dy;
    int doubles;
  } cases[] = {
      {WM_LBUTTONDOWN, 699, 0, 0, 1},    // slower than the system's, still double
      {WM_LBUTTONDBLCLK, 700, 0, 0, 0},  // the system's double, too late here
      {WM_LBUTTONDOWN, 10, 3, 3, 1},
      {WM_LBUTTONDBLCLK, 10, 4, 3, 0},
  };
  for (const Case& c : cases) {
    g_now += 5000;
    h.Clear();
    press(WM_LBUTTONDOWN, 0, 0, 0);
    press(c.second, c.after, c.dx, c.dy);
    EXPECT_EQ(h.Count(NM_DBLCLK), c.doubles) << c.after << " " << c.dx << "," << c.dy;
  }
  // a third quick press is a press again; a refused press arms nothing
  g_now += 5000;
  h.Clear();
  for (int i = 0; i < 3; i++) press(WM_LBUTTONDBLCLK, 50, 0, 0);
  EXPECT_EQ(h.Count(NM_DBLCLK), 1);
  EXPECT_EQ(h.Count(NM_CLICK), 2);
  g_now += 5000;
  h.Clear();
  h.On(NM_CLICK, [](NMHDR*) -> LRESULT { return 1; });
  press(WM_LBUTTONDOWN, 0, 0, 0);
  press(WM_LBUTTONDBLCLK, 50, 0, 0);
  EXPECT_EQ(h.Count(NM_DBLCLK), 0);
}

// A second click on the caret's label edits it, also on a control that
// drags nothing.
TEST(TreeListInput, SecondClickEditsWithoutDragging) {
  FakeTime time;
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS | TVS_DISABLEDRAGDROP, 300, 200, 0, true);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_SECONDCLICKEDIT, TLOPT_SECONDCLICKEDIT);
  h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(0, TLEK_EDIT, 0, 0, 0), 0);
  uintptr_t a = h.Insert(TLI_ROOT, "Alpha");
  RECT r = Label(h, a);
  LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
  for (int click = 0; click < 2; click++) {
    g_now += 2000;
    h.Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    h.Send(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(h.Send(TLM_GETEDITCONTROL) != 0, click == 1) << click;
  }
  h.Send(TLM_ENDEDITLABELNOW, 1);
}

HWND g_refuseFocus = nullptr;
LRESULT CALLBACK RefuseFocus(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_SETFOCUS && reinterpret_cast<HWND>(wp) == g_refuseFocus) return 1;
  return CallNextHookEx(nullptr, code, wp, lp);
}

// A press on a control that cannot take the focus does nothing, says nothing.
TEST(TreeListInput, APressWithoutTheFocusIsIgnored) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200, 0, true);
  uintptr_t a = h.Insert(TLI_ROOT, "a"), b = h.Insert(TLI_ROOT, "b");
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  SetFocus(h.parent());
  RECT r = Label(h, b);
  LPARAM at = MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2);
  g_refuseFocus = h.tl();
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseFocus, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  h.Clear();
  h.Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
  h.Send(WM_LBUTTONUP, 0, at);
  UnhookWindowsHookEx(hook);
  EXPECT_NE(GetFocus(), h.tl());
  EXPECT_EQ(h.Count(NM_CLICK), 0);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), a);
  h.Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
  h.Send(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), b);
}

// With editing in the frozen rows only, a key edits no other row, nor an
// item without a row. An editor for an empty text keeps its least width.
TEST(TreeListInput, FrozenRowEditingAndLeastEditorWidth) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 300, 200);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  d.cx = 30;
  h.Send(TLM_INSERTCOLUMN, 2, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT | TLOPT_HIDEITEMS, TLOPT_CELLSELECT | TLOPT_HIDEITEMS);
  static const char choices[] = "rot|gruen";
  h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CYCLE, 0, '|', 0), reinterpret_cast<LPARAM>(choices));
  h.Send(TLM_PROPERTY, TLPROP_FROZENROWS | TLPROP_SET, 1);
  h.Send(TLM_PROPERTY, TLPROP_EDITFROZENONLY | TLPROP_SET, 1);
  uintptr_t a = h.Insert(TLI_ROOT, "oben");
  uintptr_t b = h.Insert(TLI_ROOT, "unten");
  SetFocus(h.tl());
  h.Send(TLM_SETCARET, 1, b);
  h.Send(WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(h.Text(b, 1), "");
  h.Send(TLM_SETCARET, 1, a);
  h.Send(WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(h.Text(a, 1), "rot");
  TLItem hide = {};
  hide.mask = TLIF_STATE;
  hide.hItem = a;
  hide.state = hide.stateMask = TLIS_HIDDEN;
  h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&hide));
  ASSERT_EQ(h.Send(TLM_GETITEMROW, 0, a), -1);
  ASSERT_EQ(h.Next(TLGN_CARET, 0), a);
  h.Send(WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(h.Text(a, 1), "rot");
  // an edit box for an empty label is 48 pixels wide, a combo 60 and its
  // button; fitted to a cell of 30 pixels they keep 48 and 60
  uintptr_t empty = h.Insert(TLI_ROOT, "");
  for (uint32_t flags : {0u, 1u << 29, 0x80000002u, 0x80000002u | 1u << 29}) {
    HWND ed = reinterpret_cast<HWND>(h.Send(TLM_EDITLABEL, flags, empty));
    ASSERT_NE(ed, nullptr);
    RECT er;
    GetWindowRect(ed, &er);
    bool combo = (flags & (1u << 29)) != 0, fit = (flags & 0x80000000u) != 0;
    EXPECT_EQ(er.right - er.left, combo ? 60 + (fit ? 0 : GetSystemMetrics(SM_CXVSCROLL)) : 48) << flags;
    h.Send(TLM_ENDEDITLABELNOW, 1);
  }
}

// The auto-scroll period is held to 30..900 ms; a cut label's tip waits
// 400 ms for the mouse to rest and stays inside the work area.
TEST(TreeListInput, ScrollAndTipTimers) {
  FakeTime time;
  Harness h(WS_CHILD | WS_VISIBLE, 200, 100);
  for (int ms : {10, 30, 500, 900, 2000}) {
    h.Send(TLM_SETSCROLLTIMER, 0, ms);
    EXPECT_EQ(g_periods[TL_TIMER_AUTOSCROLL], static_cast<UINT>(ms < 30 ? 30 : ms > 900 ? 900 : ms)) << ms;
  }
  h.Send(TLM_SETSCROLLTIMER, 0, 0);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(h.parent(), nullptr, work.right - 180, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  uintptr_t a = h.Insert(TLI_ROOT, std::string(40, 'W').c_str());
  HWND tt = reinterpret_cast<HWND>(h.Send(TLM_GETTOOLTIPS));
  RECT r = Label(h, a);
  h.Send(WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
  EXPECT_EQ(g_periods[TL_TIMER_TIP], 400u);
  EXPECT_FALSE(IsWindowVisible(tt));
  h.Send(WM_TIMER, TL_TIMER_TIP);
  ASSERT_TRUE(IsWindowVisible(tt));
  RECT tr;
  GetWindowRect(tt, &tr);
  EXPECT_LE(tr.right, work.right);
  EXPECT_GE(tr.left, work.left);
  EXPECT_GT(tr.right - tr.left, 180);
}

// A drag whose mouse another window takes ends as cancelled: the parent
// hears of it, and a later release moves nothing.
TEST(TreeListInput, DragEndsWhenTheMouseIsTaken) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200);
  h.Send(TLM_PROPERTY, TLPROP_DRAGFLAGS | TLPROP_SET, TLDRAG_REPORTCANCEL);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  ASSERT_EQ(h.Send(TLM_BEGINDRAG, 0, a), 1);
  EXPECT_EQ(GetCapture(), h.tl());
  h.Clear();
  SetCapture(h.parent());
  ReleaseCapture();
  ASSERT_EQ(h.Count(TLN_DROP), 1);
  EXPECT_EQ(h.notes.back().action, TLDROP_CANCEL);
  h.Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 190));
  EXPECT_EQ(h.Count(TLN_DROP), 1);
  EXPECT_EQ(h.Shape(), "a,b");
}

}  // namespace
