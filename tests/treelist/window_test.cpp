// The window side: painting into a 32-bit DIB checked by exact pixels, the
// wrapper's records (seen by a subclass), direct calls from a worker, columns
// and the frame images.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/treelist/tlharness.h"
#include "treelist/tlwin.h"

#include <uxtheme.h>

#include "toolkit/dibcopy.h"
#include "toolkit/drawfont.h"
#include "treelist/dibframe.h"
#include "treelist/treelistctrl.h"

using tltest::Canvas;
using tltest::Harness;
using tltest::Px;

namespace {

void PaintInto(Harness& h, Canvas& c) { h.Send(WM_PAINT, reinterpret_cast<WPARAM>(c.dc())); }

RECT ItemRect(Harness& h, uintptr_t item, WPARAM what = 0) {
  RECT r = {static_cast<LONG>(item), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, what, reinterpret_cast<LPARAM>(&r));
  return r;
}

bool Themed(HWND hwnd) {
  HTHEME t = OpenThemeData(hwnd, L"TREEVIEW");
  if (t) CloseThemeData(t);
  return t != nullptr;
}

TEST(TreeListPaint, BackgroundsAndOwnColours) {
  Harness h(WS_CHILD | WS_VISIBLE, 200, 120);
  h.Send(TLM_SETBKCOLOR, 0, 0x00406080);
  uintptr_t a = h.Insert(TLI_ROOT, "");
  uintptr_t b = h.Insert(TLI_ROOT, "");
  h.Send(TLM_SETITEMBKCOLOR, b, 0x000000FF);
  Canvas c(200, 120);
  PaintInto(h, c);
  RECT ra = ItemRect(h, a), rb = ItemRect(h, b);
  EXPECT_EQ(c.At(150, (ra.top + ra.bottom) / 2), Px(0x00406080));
  EXPECT_EQ(c.At(150, (rb.top + rb.bottom) / 2), Px(0x000000FF));
  EXPECT_EQ(c.At(150, 110), Px(0x00406080));  // below the rows
  // alternating rows take slots 1 and 2
  h.Send(TLM_SETBKCOLOR, 1, 0x00111111);
  h.Send(TLM_SETBKCOLOR, 2, 0x00222222);
  h.Send(TLM_SETITEMBKCOLOR, b, -1);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_ALTROWS, TLOPT_ALTROWS);
  ra = ItemRect(h, a);
  rb = ItemRect(h, b);
  Canvas d(200, 120);
  PaintInto(h, d);
  EXPECT_EQ(d.At(150, (ra.top + ra.bottom) / 2), Px(0x00222222));
  EXPECT_EQ(d.At(150, (rb.top + rb.bottom) / 2), Px(0x00111111));
}

// 16 x 16 images of one colour each
HIMAGELIST ColourList(const std::vector<COLORREF>& colours) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
  HDC sdc = GetDC(nullptr);
  for (COLORREF c : colours) {
    HDC dc = CreateCompatibleDC(sdc);
    HBITMAP bm = CreateCompatibleBitmap(sdc, 16, 16);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT r = {0, 0, 16, 16};
    SetBkColor(dc, c);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
    SelectObject(dc, old);
    ImageList_Add(il, bm, nullptr);
    DeleteObject(bm);
    DeleteDC(dc);
  }
  ReleaseDC(nullptr, sdc);
  return il;
}

// n columns of one width
void AddColumns(Harness& h, int n, int width, uint32_t mask = TLCF_WIDTH, int fmt = 0) {
  TLColumnDesc d = {};
  d.mask = mask;
  d.fmt = fmt;
  d.cx = width;
  for (int c = 0; c < n; c++) h.Send(TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d));
}

void SetCell(Harness& h, uintptr_t item, int column, const char* text, int image = -2) {
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_COLUMN | TLIF_IMAGE;
  it.hItem = item;
  it.cChildren = column;
  it.pszText = const_cast<char*>(text);
  it.iImage = image;
  h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
}

// The leftmost and rightmost column in [x0, x1) of rows y0..y1 holding a pixel
// other than `bg`; -1 when there is none.
std::pair<int, int> InkSpan(const Canvas& c, int x0, int x1, int y0, int y1, uint32_t bg) {
  int lo = -1, hi = -1;
  for (int x = x0; x < x1; x++)
    for (int y = y0; y <= y1; y++)
      if (c.At(x, y) != bg) {
        if (lo < 0) lo = x;
        hi = x;
      }
  return {lo, hi};
}

// The box of a selected label runs from label + 2 to the text's end + 2, the
// text starts at label + 4 (label + 3 unfocused with full-row selection, the
// box then hollow), and an empty label shows no box.
TEST(TreeListPaint, SelectionBoxWithFocus) {
  Harness h(WS_CHILD | WS_VISIBLE, 200, 120);
  uintptr_t a = h.Insert(TLI_ROOT, "Selected");
  uintptr_t e = h.Insert(TLI_ROOT, "");
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  h.Send(WM_SETFOCUS);
  Canvas c(200, 120);
  PaintInto(h, c);
  RECT r = ItemRect(h, a, 1);
  int mid = (r.top + r.bottom) / 2;
  const uint32_t hi = Px(GetSysColor(COLOR_HIGHLIGHT)), win = Px(GetSysColor(COLOR_WINDOW));
  // the text drawn here at label + 4 in the control's font
  Canvas ref(200, 120, hi);
  SelectObject(ref.dc(), reinterpret_cast<HFONT>(h.Send(WM_GETFONT)));
  SIZE sz;
  GetTextExtentPoint32A(ref.dc(), "Selected", 8, &sz);
  TEXTMETRICA tm;
  GetTextMetricsA(ref.dc(), &tm);
  SetBkMode(ref.dc(), TRANSPARENT);
  SetTextColor(ref.dc(), GetSysColor(COLOR_HIGHLIGHTTEXT));
  TextOutA(ref.dc(), r.left + 4, r.top + (r.bottom - r.top - tm.tmHeight) / 2, "Selected", 8);
  EXPECT_EQ(c.At(r.left + 1, mid), win);
  EXPECT_EQ(c.At(r.left + 2, mid), hi);
  EXPECT_EQ(c.At(r.left + 4 + sz.cx + 1, mid), hi);
  EXPECT_EQ(c.At(r.left + 4 + sz.cx + 2, mid), win);
  int y0 = mid - tm.tmHeight / 2 + 1, y1 = mid + tm.tmHeight / 2 - 1;
  std::pair<int, int> want = InkSpan(ref, r.left, 200, y0, y1, hi);
  ASSERT_GE(want.first, 0);
  EXPECT_EQ(InkSpan(c, r.left + 2, r.left + 6 + sz.cx, y0, y1, hi), want);
  // an empty selected label: the row keeps the background
  h.Send(TLM_SELECTITEM, TVGN_CARET, e);
  Canvas empty(200, 120);
  PaintInto(h, empty);
  RECT re = ItemRect(h, e);
  EXPECT_EQ(InkSpan(empty, 0, 200, re.top, re.bottom - 1, win).first, -1);
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  h.Send(WM_KILLFOCUS);
  Canvas d(200, 120);
  PaintInto(h, d);
  EXPECT_EQ(d.At(r.left + 1, mid), win);
  EXPECT_EQ(d.At(r.left + 2, mid), Px(GetSysColor(COLOR_BTNFACE)));
  // full-row selection without the focus: the row colour, the text one pixel left
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_FULLROWSELECT, TLOPT_FULLROWSELECT);
  h.Send(TLM_SETBKCOLOR, 8, 0x00336699);
  Canvas f(200, 120);
  PaintInto(h, f);
  std::pair<int, int> got = InkSpan(f, r.left, 200, y0, y1, Px(0x00336699));
  EXPECT_EQ(got.first, want.first - 1);
  EXPECT_EQ(got.second, want.second - 1);
}

// A selected cell gets the label's box, none when it is empty, and an
// unfilled one without the focus under full-row selection.
TEST(TreeListPaint, SelectedCellBoxes) {
  Harness h(WS_CHILD | WS_VISIBLE, 240, 100);
  AddColumns(h, 2, 120);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  h.Send(TLM_SETBKCOLOR, 8, 0x00336699);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  RECT r = ItemRect(h, a);
  auto count = [&](COLORREF colour) {
    Canvas c(240, 100);
    PaintInto(h, c);
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = 120; x < 240; x++) n += c.At(x, y) == Px(colour);
    return n;
  };
  SetCell(h, a, 1, "");
  h.Send(TLM_SETCARET, 1, a);
  h.Send(WM_SETFOCUS);
  EXPECT_EQ(count(GetSysColor(COLOR_HIGHLIGHT)), 0);
  SetCell(h, a, 1, "Zelle");
  EXPECT_GT(count(GetSysColor(COLOR_HIGHLIGHT)), 20);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_FULLROWSELECT, TLOPT_FULLROWSELECT);
  h.Send(WM_KILLFOCUS);
  EXPECT_EQ(count(GetSysColor(COLOR_BTNFACE)), 0);
  EXPECT_GT(count(0x00336699), 20);
}

// The caret of a multi-selection keeps its dotted frame without the focus:
// a change of focus repaints only the selection.
TEST(TreeListPaint, CaretFrameWithoutFocus) {
  Harness h(WS_CHILD | WS_VISIBLE, 200, 100);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_MULTISELECT, TLOPT_MULTISELECT);
  h.Insert(TLI_ROOT, "a");
  uintptr_t b = h.Insert(TLI_ROOT, "caret");
  ASSERT_EQ(h.Send(TLM_SETCARET, 0, b), 1);
  Canvas c(200, 100);
  PaintInto(h, c);
  RECT r = ItemRect(h, b);
  int dots = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = 0; x < 200; x++) dots += c.At(x, y) == Px(GetSysColor(COLOR_BTNSHADOW));
  EXPECT_GT(dots, 20);
}

struct OwnerDrawing {
  int answer = 0;
  COLORREF fill = CLR_NONE;  // filled over the record's rectangle
  bool text = false;         // draws the text where the record places it
  int calls = 0;
};

int TL_CALLBACK DrawOwner(uintptr_t hdc, intptr_t user, TLOwnerDraw* rec) {
  OwnerDrawing* o = reinterpret_cast<OwnerDrawing*>(user);
  HDC dc = reinterpret_cast<HDC>(hdc);
  RECT r = {rec->rect->left, rec->rect->top, rec->rect->right, rec->rect->bottom};
  o->calls++;
  if (o->fill != CLR_NONE) {
    SetBkColor(dc, o->fill);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
  }
  if (o->text) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SetTextColor(dc, 0);
    SetBkColor(dc, rec->color);
    ExtTextOutA(dc, r.left + rec->textOffset, r.top + (r.bottom - r.top - tm.tmHeight) / 2, ETO_OPAQUE | ETO_CLIPPED,
                &r, rec->text, rec->textLength, nullptr);
  }
  return o->answer;
}

// Owner-drawn label and cell (the cell with an image): answer 2 keeps the
// background the callback drew, the text over it, also for a selected
// label; answer 1 leaves the text to the callback; a callback that draws the
// text where the record says matches the control's own drawing.
TEST(TreeListPaint, OwnerDraw) {
  const COLORREF fill = 0x0000C0FF, white = 0x00FFFFFF;
  Harness h(WS_CHILD | WS_VISIBLE, 260, 100);
  AddColumns(h, 2, 120, TLCF_WIDTH | TLCF_OWNERDRAW, static_cast<int>(TLCF_OWNERDRAW));  // no alignment bit
  HIMAGELIST cells = ColourList({0});
  h.Send(TLM_SETIMAGELIST, 0x40000000 | 4, reinterpret_cast<LPARAM>(cells));
  h.Send(TLM_SETBKCOLOR, 0, white);
  h.Send(TLM_SETBKCOLOR, 4, 0);
  uintptr_t a = h.Insert(TLI_ROOT, "Wm");
  SetCell(h, a, 1, "Wm", 0);
  OwnerDrawing o;
  h.Send(TLM_PROPERTY, TLPROP_DRAWUSER | TLPROP_SET, reinterpret_cast<LPARAM>(&o));
  h.Send(TLM_PROPERTY, TLPROP_DRAWCALLBACK | TLPROP_SET, reinterpret_cast<LPARAM>(&DrawOwner));
  RECT r = ItemRect(h, a);
  auto paint = [&](int answer, COLORREF f, bool text) {
    o = OwnerDrawing();
    o.answer = answer;
    o.fill = f;
    o.text = text;
    auto c = std::make_unique<Canvas>(260, 100);
    PaintInto(h, *c);
    EXPECT_EQ(o.calls, 2);
    return c;
  };
  // per column: pixels of the fill and pixels of the text in the row
  auto count = [&](const Canvas& c, int x0, int x1, uint32_t colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = x0; x < x1; x++) n += c.At(x, y) == colour;
    return n;
  };
  std::unique_ptr<Canvas> kept = paint(2, fill, false);
  for (int x0 : {0, 136}) {
    EXPECT_GT(count(*kept, x0, x0 + 100, Px(fill)), 70 * (r.bottom - r.top)) << x0;
    EXPECT_GT(count(*kept, x0, x0 + 100, 0), 5) << "no text at " << x0;
  }
  std::unique_ptr<Canvas> wiped = paint(0, fill, false);
  EXPECT_EQ(count(*wiped, 0, 240, Px(fill)), 0);
  std::unique_ptr<Canvas> left = paint(1, CLR_NONE, false);
  EXPECT_EQ(count(*left, 0, 120, Px(white)), 120 * (r.bottom - r.top));
  EXPECT_EQ(count(*left, 136, 240, Px(white)), 104 * (r.bottom - r.top));
  std::unique_ptr<Canvas> own = paint(1, CLR_NONE, true);
  int differ = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = 0; x < 240; x++) differ += own->At(x, y) != wiped->At(x, y);
  EXPECT_EQ(differ, 0);
  // selected with the focus: no box over the callback's background
  h.Send(TLM_SELECTITEM, TVGN_CARET, a);
  h.Send(WM_SETFOCUS);
  std::unique_ptr<Canvas> sel = paint(2, fill, false);
  EXPECT_EQ(count(*sel, 0, 120, Px(GetSysColor(COLOR_HIGHLIGHT))), 0);
  EXPECT_GT(count(*sel, 0, 100, Px(fill)), 70 * (r.bottom - r.top));
  DestroyWindow(h.tl());
  ImageList_Destroy(cells);
}

// Tree lines, the horizontal one included, take the shared pen's colour,
// not slot 5 (the sign of the hand-drawn buttons); scrolled sideways they
// move with the labels.
TEST(TreeListPaint, TreeLinesInThePenColour) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_LINESATROOT, 200, 100);
  h.Send(TLM_SETBKCOLOR, 0, 0x00FFFFFF);
  h.Send(TLM_SETBKCOLOR, 5, 0x000000FF);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  Canvas c(200, 100);
  PaintInto(h, c);
  RECT r = ItemRect(h, a);
  int indent = static_cast<int>(h.Send(TLM_GETINDENT));
  int mid = r.top + (r.bottom - r.top) / 2, pen = 0, slot5 = 0;
  for (int x = indent / 2 + 1; x < indent; x++) {
    pen += c.At(x, mid) == Px(GetSysColor(COLOR_BTNSHADOW));
    slot5 += c.At(x, mid) == Px(0x000000FF);
  }
  EXPECT_GE(pen, 2);
  EXPECT_EQ(slot5, 0);
  // without columns a label wider than the window scrolls, and the picture
  // moves with it as far as the clicks do
  uintptr_t wide = h.Insert(TLI_ROOT, std::string(60, 'W').c_str());
  PaintInto(h, c);  // measures the label: the range is known from here on
  PaintInto(h, c);
  RECT before = ItemRect(h, wide, 1);
  h.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 20));
  ASSERT_EQ(ItemRect(h, wide, 1).left, before.left - 20);
  Canvas s(200, 100);
  PaintInto(h, s);
  int moved = 0;
  for (int y = r.top; y < ItemRect(h, wide).bottom; y++)
    for (int x = 0; x < 180; x++) moved += s.At(x, y) != c.At(x + 20, y);
  EXPECT_EQ(moved, 0);
}

// Plus and minus of the hand-drawn buttons at their pixels, or the theme's
// glyphs when a theme is active (each run says which branch it takes).
TEST(TreeListPaint, Buttons) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 200, 120);
  h.Send(TLM_SETBKCOLOR, 5, 0x000000FF);   // sign
  h.Send(TLM_SETBKCOLOR, 6, 0x0000FF00);   // border
  h.Send(TLM_SETBKCOLOR, 11, 0x00FF0000);  // inside
  uintptr_t p = h.Insert(TLI_ROOT, "closed");
  h.Insert(p, "c");
  uintptr_t q = h.Insert(TLI_ROOT, "open");
  h.Insert(q, "c");
  h.Send(TLM_EXPAND, TLE_EXPAND, q);
  Canvas c(200, 120);
  PaintInto(h, c);
  int indent = static_cast<int>(h.Send(TLM_GETINDENT));
  int cx = indent / 2;
  RECT rp = ItemRect(h, p), rq = ItemRect(h, q);
  int py = rp.top + (rp.bottom - rp.top) / 2, qy = rq.top + (rq.bottom - rq.top) / 2;
  bool themed = Themed(h.tl());
  const char* env = getenv("TL_EXPECT_THEME");
  if (env) {
    EXPECT_EQ(themed, env[0] == '1') << "the run's theme setting took no effect";
  }
  // colours set by the caller are drawn by hand, themed or not
  int hh = GetSystemMetrics(SM_CYICON) / 8;
  EXPECT_EQ(c.At(cx - hh, py), Px(0x0000FF00));        // border
  EXPECT_EQ(c.At(cx - hh + 1, py - 1), Px(0x00FF0000)); // inside
  EXPECT_EQ(c.At(cx, py), Px(0x000000FF));             // centre of the plus
  EXPECT_EQ(c.At(cx, py - hh + 2), Px(0x000000FF));    // vertical bar of the plus
  EXPECT_EQ(c.At(cx, qy - hh + 2), Px(0x00FF0000));    // the minus has none
  EXPECT_EQ(c.At(cx - hh + 2, qy), Px(0x000000FF));    // horizontal bar of the minus
  if (themed) {
    // all three back at their defaults: the theme's glyphs, which differ
    // from the background and from each other
    for (int slot : {5, 6, 11}) h.Send(TLM_SETBKCOLOR, slot, -1);
    PaintInto(h, c);
    int differ = 0, open = 0;
    for (int dy = -4; dy <= 4; dy++) {
      for (int dx = -4; dx <= 4; dx++) {
        differ += c.At(cx + dx, py + dy) != Px(GetSysColor(COLOR_WINDOW));
        open += c.At(cx + dx, py + dy) != c.At(cx + dx, qy + dy);
      }
    }
    EXPECT_GT(differ, 4);
    EXPECT_GT(open, 0);
  }
}

// A focused label (state bit 1, or 0x80000 where column 3 does not merge)
// is underlined by a bar in its text colour; an empty one is not.
TEST(TreeListPaint, FocusedLabelBar) {
  Harness h(WS_CHILD | WS_VISIBLE, 200, 120);
  uintptr_t items[] = {h.Insert(TLI_ROOT, "Fokus"), h.Insert(TLI_ROOT, "Merge"), h.Insert(TLI_ROOT, "Plain"),
                       h.Insert(TLI_ROOT, "")};
  const uint32_t states[] = {TLIS_FOCUSED, 0x80000u, 0, TLIS_FOCUSED};
  for (int i = 0; i < 4; i++) {
    TLItem it = {};
    it.mask = TLIF_STATE;
    it.hItem = items[i];
    it.state = it.stateMask = states[i];
    h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
  }
  h.Send(TLM_SETTEXTCOLOR, 0, 0x00008000);
  Canvas c(200, 120);
  PaintInto(h, c);
  // a bar: a pixel row in the label where the whole text's width is the text colour
  auto bar = [&](uintptr_t item) {
    RECT r = ItemRect(h, item, 1);
    int runs = 0;
    for (int y = r.top; y < r.bottom; y++) {
      int n = 0;
      for (int x = r.left + 2; x < r.right - 2; x++) n += c.At(x, y) == Px(0x00008000);
      runs += n >= r.right - r.left - 6;
    }
    return runs;
  };
  EXPECT_GT(bar(items[0]), 0);
  EXPECT_GT(bar(items[1]), 0);
  EXPECT_EQ(bar(items[2]), 0);
  RECT e = ItemRect(h, items[3]);
  EXPECT_EQ(InkSpan(c, 0, 200, e.top, e.bottom - 1, Px(GetSysColor(COLOR_WINDOW))).first, -1);
}

// A label exactly as wide as the room is drawn whole; one pixel less cuts it
// to fit "..." (compared with the text drawn here in the same font).
TEST(TreeListPaint, LabelCutting) {
  const char* label = "Abcdefghij";
  HFONT font = DrawGetUiFont(0);
  HDC sdc = CreateCompatibleDC(nullptr);
  SelectObject(sdc, font);
  SIZE full, dots;
  GetTextExtentPoint32A(sdc, label, 10, &full);
  GetTextExtentPoint32A(sdc, "...", 3, &dots);
  for (int shortBy = 0; shortBy < 2; shortBy++) {
    Harness h(WS_CHILD | WS_VISIBLE, 300, 100);
    TLColumnDesc d = {};
    d.mask = TLCF_WIDTH | TLCF_TEXT;
    d.cx = full.cx + 2 - shortBy;
    d.pszText = const_cast<char*>("C");
    ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d)), 0);
    uintptr_t a = h.Insert(TLI_ROOT, label);
    Canvas c(300, 100);
    PaintInto(h, c);
    RECT r = ItemRect(h, a);
    std::string expect = label;
    if (shortBy) {
      int fit = 0;
      SIZE used;
      GetTextExtentExPointA(sdc, label, 10, full.cx - shortBy - dots.cx, &fit, nullptr, &used);
      expect = std::string(label, fit) + "...";
    }
    Canvas ref(300, 100);
    SelectObject(ref.dc(), font);
    SetTextColor(ref.dc(), GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(ref.dc(), GetSysColor(COLOR_WINDOW));
    TEXTMETRICA tm;
    GetTextMetricsA(ref.dc(), &tm);
    RECT clip = {0, r.top, d.cx, r.bottom};
    ExtTextOutA(ref.dc(), 2, r.top + (r.bottom - r.top - tm.tmHeight) / 2, ETO_OPAQUE | ETO_CLIPPED, &clip,
                expect.c_str(), static_cast<UINT>(expect.size()), nullptr);
    int diff = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = 2; x < d.cx; x++) diff += c.At(x, y) != ref.At(x, y);
    EXPECT_EQ(diff, 0) << "short by " << shortBy << ": " << expect;
  }
  DeleteDC(sdc);
}

// Grid lines below rows and right of columns, right and centred cells, the
// frozen-row separator, the inverted drop band on a row and after the last
// row, and the disabled look.
TEST(TreeListPaint, GridAlignmentSeparatorDropBandDisabled) {
  const COLORREF bk = 0x00FFFFFF, grid = 0x0000C000, sep = 0x000000FF, text = 0x00000000;
  Harness h(WS_CHILD | WS_VISIBLE, 300, 150);
  const int fmt[3] = {0, 1, 2}, width[3] = {100, 90, 90};
  for (int col = 0; col < 3; col++) {
    TLColumnDesc d = {};
    d.mask = TLCF_WIDTH | TLCF_FMT;
    d.fmt = fmt[col];
    d.cx = width[col];
    ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, col, reinterpret_cast<LPARAM>(&d)), col);
  }
  h.Send(TLM_SETBKCOLOR, 0, bk);
  h.Send(TLM_SETBKCOLOR, 3, grid);
  h.Send(TLM_SETBKCOLOR, 4, text);
  h.Send(TLM_SETBKCOLOR, 16, sep);
  uintptr_t items[3];
  for (int i = 0; i < 3; i++) {
    items[i] = h.Insert(TLI_ROOT, "");
    for (int col = 1; col < 3; col++) {
      TLItem it = {};
      it.mask = TLIF_TEXT | TLIF_COLUMN;
      it.hItem = items[i];
      it.cChildren = col;
      it.pszText = const_cast<char*>("WW");
      h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
    }
  }
  RECT r0 = ItemRect(h, items[0]), r2 = ItemRect(h, items[2]);
  // the text's extent within one cell of row 0
  auto ink = [&](Canvas& c, int left, int right, int* lo, int* hi) {
    *lo = right;
    *hi = -1;
    for (int y = r0.top; y < r0.bottom - 1; y++)
      for (int x = left; x < right - 1; x++)
        if (c.At(x, y) == Px(text)) {
          if (x < *lo) *lo = x;
          if (x > *hi) *hi = x;
        }
  };
  Canvas plain(300, 150);
  PaintInto(h, plain);
  int lo, hi;
  ink(plain, 100, 190, &lo, &hi);
  ASSERT_GE(hi, 0) << "no text in the right-aligned cell";
  EXPECT_GE(hi, 190 - 5);
  EXPECT_GT(lo, 100 + 45);
  ink(plain, 190, 280, &lo, &hi);
  ASSERT_GE(hi, 0) << "no text in the centred cell";
  EXPECT_LE(abs((lo + hi) / 2 - 235), 2);

  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_GRID, TLOPT_GRID);
  Canvas g(300, 150);
  PaintInto(h, g);
  for (int i = 0; i < 3; i++) {
    RECT r = ItemRect(h, items[i]);
    EXPECT_EQ(g.At(50, r.bottom - 1), Px(grid)) << i;
    EXPECT_EQ(g.At(50, r.bottom - 2), Px(bk)) << i;
    EXPECT_EQ(g.At(99, r.top + 1), Px(grid)) << i;   // right edge of column 0
    EXPECT_EQ(g.At(189, r.top + 1), Px(grid)) << i;  // and of column 1
    EXPECT_EQ(g.At(98, r.top + 1), Px(bk)) << i;
  }
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_GRID, 0);

  // one frozen row with its separator line
  h.Send(TLM_PROPERTY, TLPROP_FROZENROWS | TLPROP_SET, 1);
  h.Send(TLM_PROPERTY, TLPROP_FROZENLINE | TLPROP_SET, 1);
  r0 = ItemRect(h, items[0]);
  RECT r1 = ItemRect(h, items[1]);
  Canvas f(300, 150);
  PaintInto(h, f);
  EXPECT_EQ(f.At(50, r0.bottom - 1), Px(sep));
  EXPECT_EQ(f.At(250, r0.bottom - 1), Px(sep));
  EXPECT_EQ(f.At(50, r1.bottom - 1), Px(bk));
  h.Send(TLM_PROPERTY, TLPROP_FROZENLINE | TLPROP_SET, 0);
  h.Send(TLM_PROPERTY, TLPROP_FROZENROWS | TLPROP_SET, 0);

  // the drop band inverts a checkerboard over the whole row, nothing else
  r1 = ItemRect(h, items[1]);
  r2 = ItemRect(h, items[2]);
  h.Send(TLM_SETDROPMARK, 0, items[1]);
  Canvas m(300, 150);
  PaintInto(h, m);
  Canvas base(300, 150);
  h.Send(TLM_SETDROPMARK, 0, 0);
  PaintInto(h, base);
  auto changed = [&](Canvas& c, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; y++)
      for (int x = 0; x < 280; x++) n += c.At(x, y) != base.At(x, y);
    return n;
  };
  int area = (r1.bottom - r1.top) * 280;
  EXPECT_EQ(changed(m, 0, r1.top), 0);
  EXPECT_GE(changed(m, r1.top, r1.bottom), area * 4 / 10);
  EXPECT_LE(changed(m, r1.top, r1.bottom), area * 6 / 10);
  EXPECT_EQ(changed(m, r1.bottom, 150), 0);
  h.Send(TLM_SETDROPMARK, 0, TLI_LAST);
  Canvas last(300, 150);
  PaintInto(h, last);
  EXPECT_EQ(changed(last, 0, r2.bottom), 0);
  EXPECT_GE(changed(last, r2.bottom, r2.bottom + 3), 280);
  EXPECT_EQ(changed(last, r2.bottom + 3, 150), 0);
  h.Send(TLM_SETDROPMARK, 0, 0);

  // disabled with its own look: slot 15 below the rows, the rows shaded
  h.Send(TLM_SETBKCOLOR, 12, 0x00A0A0A0);
  h.Send(TLM_SETBKCOLOR, 15, 0x00505050);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_DISABLEDLOOK, TLOPT_DISABLEDLOOK);
  EnableWindow(h.tl(), FALSE);
  Canvas dis(300, 150);
  PaintInto(h, dis);
  EXPECT_EQ(dis.At(50, 140), Px(0x00505050));
  EXPECT_EQ(dis.At(50, (r0.top + r0.bottom) / 2), Px(0x00A0A0A0));
  EXPECT_EQ(dis.At(150, r1.top + 1), Px(0x00A0A0A0));
}

// The rows right of the last column: filled like the area below the rows,
// in a full repaint, scrolled right and in a repaint of that strip alone.
TEST(TreeListPaint, RowsRightOfTheLastColumn) {
  const COLORREF bk = 0x00C0FFC0, red = 0x000000FF;
  Harness h(WS_CHILD | WS_VISIBLE, 300, 150, 0, true);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 300;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_SETBKCOLOR, 0, bk);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  h.Send(TLM_SETCOLUMNWIDTH, 0, 100);
  RECT r = ItemRect(h, a);
  auto stripIs = [&](Canvas& c, int from, COLORREF want) {
    int wrong = 0;
    for (int y = r.top; y < r.top + 2 * (r.bottom - r.top); y++)
      for (int x = from; x < 300; x++) wrong += c.At(x, y) != Px(want);
    return wrong;
  };
  Canvas c(300, 150, Px(red));
  PaintInto(h, c);
  EXPECT_EQ(stripIs(c, 100, bk), 0);
  // scrolled: two columns of 200, 150 px to the right, then the second narrowed
  d.cx = 200;
  h.Send(TLM_SETCOLUMNWIDTH, 0, 200);
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  h.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100));
  h.Send(TLM_SETCOLUMNWIDTH, 1, 120);
  HWND header = reinterpret_cast<HWND>(h.Send(TLM_GETHEADER));
  RECT hr;
  Header_GetItemRect(header, 1, &hr);
  MapWindowPoints(header, h.tl(), reinterpret_cast<POINT*>(&hr), 2);
  int right = hr.right;
  ASSERT_LT(right, 300);
  Canvas s(300, 150, Px(red));
  PaintInto(h, s);
  EXPECT_EQ(stripIs(s, right, bk), 0);
  // disabled with its own look: slot 15 there as below the rows
  h.Send(TLM_SETBKCOLOR, 15, 0x00505050);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_DISABLEDLOOK, TLOPT_DISABLEDLOOK);
  EnableWindow(h.tl(), FALSE);
  Canvas g(300, 150, Px(red));
  PaintInto(h, g);
  EXPECT_EQ(stripIs(g, right, 0x00505050), 0);
  EnableWindow(h.tl(), TRUE);
  // the strip alone repainted on the screen over a red client
  h.Send(TLM_SETCOLUMNWIDTH, 1, 200);
  h.Send(WM_HSCROLL, 12);
  h.Send(TLM_SETCOLUMNWIDTH, 0, 100);
  h.Send(TLM_SETCOLUMNWIDTH, 1, 100);
  UpdateWindow(h.tl());
  HDC wdc = GetDC(h.tl());
  RECT all = {0, 0, 300, 150};
  HBRUSH rb = CreateSolidBrush(red);
  FillRect(wdc, &all, rb);
  DeleteObject(rb);
  ValidateRect(h.tl(), nullptr);
  RECT strip = {200, 0, 300, 150};
  InvalidateRect(h.tl(), &strip, FALSE);
  UpdateWindow(h.tl());
  Canvas w(300, 150, Px(red));
  BitBlt(w.dc(), 0, 0, 300, 150, wdc, 0, 0, SRCCOPY);
  ReleaseDC(h.tl(), wdc);
  EXPECT_EQ(stripIs(w, 200, bk), 0);
  EXPECT_EQ(w.At(150, r.top + 1), Px(red)) << "more than the strip repainted";
}

// Check boxes: unchecked and checked differ, and with the plain-check option
// state image 0 draws the same unchecked box as image 1 does without it.
TEST(TreeListPaint, CheckBoxImages) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES, 200, 100);
  uintptr_t a = h.Insert(TLI_ROOT, "");
  h.Send(TLM_SETBKCOLOR, 0, 0x00FFFFFF);
  auto box = [&](uint32_t stateImage, bool plain) {
    TLItem it = {};
    it.mask = TLIF_STATE;
    it.hItem = a;
    it.state = stateImage << 12;
    it.stateMask = TVIS_STATEIMAGEMASK;
    h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
    h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_PLAINCHECK, plain ? TLOPT_PLAINCHECK : 0);
    Canvas c(200, 100);
    PaintInto(h, c);
    RECT r = ItemRect(h, a, 1);
    std::vector<uint32_t> px;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = 0; x < r.left; x++) px.push_back(c.At(x, y));
    return px;
  };
  std::vector<uint32_t> off = box(1, false), on = box(2, false), plain0 = box(0, true), plain1 = box(1, true);
  int ink = 0;
  for (uint32_t p : off) ink += p != Px(0x00FFFFFF);
  EXPECT_GT(ink, 10) << "no unchecked box drawn";
  EXPECT_NE(off, on);
  EXPECT_EQ(plain0, off);
  EXPECT_EQ(plain1, on);
  // on a coloured odd row: nothing for state 0, only the box for state 1
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_PLAINCHECK, 0);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_ALTROWS, TLOPT_ALTROWS);
  h.Send(TLM_SETBKCOLOR, 1, 0x00308050);
  uintptr_t first = h.Insert(TLI_ROOT, "", TLI_FIRST);
  ASSERT_NE(first, 0u);
  std::vector<uint32_t> none = box(0, false), unchecked = box(1, false);
  int rowW = static_cast<int>(none.size()) / (ItemRect(h, a).bottom - ItemRect(h, a).top);
  int wrong = 0;
  for (uint32_t p : none) wrong += p != Px(0x00308050);
  EXPECT_EQ(wrong, 0) << "state 0 draws something";
  wrong = 0;
  for (size_t i = 0; i < unchecked.size(); i += rowW) wrong += unchecked[i] != Px(0x00308050);  // left of the box
  EXPECT_EQ(wrong, 0) << "the unchecked box has a frame of another colour";
}

// A check-box column on a control without item check boxes draws its boxes
// and leaves the labels where they were.
TEST(TreeListPaint, CheckColumnWithoutItemBoxes) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 100);
  h.Send(TLM_SETBKCOLOR, 0, 0x00FFFFFF);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  for (int i = 0; i < 2; i++) h.Send(TLM_INSERTCOLUMN, i, reinterpret_cast<LPARAM>(&d));
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  RECT label = ItemRect(h, a, 1);
  ASSERT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CHECK, 0, 0, 0), 0), 1);
  TLItem it = {};
  it.mask = TLIF_STATE | TLIF_COLUMN;
  it.hItem = a;
  it.cChildren = 1;
  it.state = 0x1000;
  it.stateMask = 0xF000;
  h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(ItemRect(h, a, 1).left, label.left);
  Canvas c(300, 100);
  PaintInto(h, c);
  int ink = 0;
  for (int y = label.top; y < label.bottom; y++)
    for (int x = 100; x < 116; x++) ink += c.At(x, y) != Px(0x00FFFFFF);
  EXPECT_GT(ink, 10) << "no box in the cell";
}

// Images: the item's image from the normal list, an index of 0x40000000 and
// up from the cell list, and a cell's image at its left edge.
TEST(TreeListPaint, ImagesFromBothLists) {
  const COLORREF red = 0x000000FF, green = 0x0000FF00, blue = 0x00FF0000;
  HIMAGELIST normal = ColourList({red, green}), cells = ColourList({blue});
  {
    Harness h(WS_CHILD | WS_VISIBLE, 300, 120);
    TLColumnDesc d = {};
    d.mask = TLCF_WIDTH;
    d.cx = 120;
    h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
    h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    h.Send(TLM_SETIMAGELIST, 0x40000000 | 0, reinterpret_cast<LPARAM>(normal));
    h.Send(TLM_SETIMAGELIST, 0x40000000 | 4, reinterpret_cast<LPARAM>(cells));
    uintptr_t items[2];
    const int images[2] = {1, 0x40000000};
    for (int i = 0; i < 2; i++) {
      items[i] = h.Insert(TLI_ROOT, "x");
      TLItem it = {};
      it.mask = TLIF_IMAGE | TLIF_SELECTEDIMAGE;
      it.hItem = items[i];
      it.iImage = it.iSelectedImage = images[i];
      h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
    }
    TLItem cell = {};
    cell.mask = TLIF_IMAGE | TLIF_TEXT | TLIF_COLUMN;
    cell.hItem = items[0];
    cell.cChildren = 1;
    cell.pszText = const_cast<char*>("c");
    cell.iImage = 0;
    h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&cell));
    Canvas c(300, 120);
    PaintInto(h, c);
    auto count = [&](uintptr_t item, int x0, int x1, COLORREF col) {
      RECT r = ItemRect(h, item);
      int n = 0;
      for (int y = r.top; y < r.bottom; y++)
        for (int x = x0; x < x1; x++) n += c.At(x, y) == Px(col);
      return n;
    };
    EXPECT_GE(count(items[0], 0, 120, green), 15 * 15);
    EXPECT_EQ(count(items[0], 0, 120, blue), 0);
    EXPECT_GE(count(items[1], 0, 120, blue), 15 * 15);  // 0x40000000: the cell list's image 0
    EXPECT_EQ(count(items[1], 0, 120, red), 0);
    EXPECT_GE(count(items[0], 120, 140, blue), 15 * 15);  // cell image at the left edge
    EXPECT_EQ(count(items[1], 120, 240, blue), 0);
    // a cell image by callback is asked of the parent, drawn, and counted
    // before the cell's text
    uintptr_t asked = h.Insert(TLI_ROOT, "x");
    cell.hItem = asked;
    cell.iImage = -1;
    h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&cell));
    h.On(TLN_GETDISPINFO, [](NMHDR* nm) -> LRESULT {
      TLItem& it = reinterpret_cast<TLNmDispInfo*>(nm)->item;
      if ((it.mask & TLIF_IMAGE) && (it.mask & TLIF_COLUMN) && it.cChildren == 1) it.iImage = 0;
      return 0;
    });
    EXPECT_EQ(ItemRect(h, asked, 0x81 | (1 << 24)).left, 136);  // before any paint
    h.Clear();
    PaintInto(h, c);
    EXPECT_GE(count(asked, 120, 140, blue), 15 * 15);
    ASSERT_GE(h.Count(TLN_GETDISPINFO), 1);
    EXPECT_EQ(h.notes[0].newItem, asked);
    EXPECT_EQ(h.notes[0].column, 1);
  }
  ImageList_Destroy(normal);
  ImageList_Destroy(cells);
}

// The drag image: text (and image) width at most 240 pixels, height at most
// 32; a missing cell shows "????"; one image the caller owns.
TEST(TreeListPaint, DragImageBounds) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 120);
  uintptr_t shortItem = h.Insert(TLI_ROOT, "ab");
  uintptr_t longItem = h.Insert(TLI_ROOT, std::string(300, 'W').c_str());
  int w = 0, hh = 0;
  HIMAGELIST a = reinterpret_cast<HIMAGELIST>(h.Send(TLM_CREATEDRAGIMAGE, 0, shortItem));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(a), 1);
  ImageList_GetIconSize(a, &w, &hh);
  EXPECT_GT(w, 5);
  EXPECT_LT(w, 40);
  EXPECT_LE(hh, 32);
  ImageList_Destroy(a);
  HIMAGELIST b = reinterpret_cast<HIMAGELIST>(h.Send(TLM_CREATEDRAGIMAGE, 0, longItem));
  ASSERT_NE(b, nullptr);
  ImageList_GetIconSize(b, &w, &hh);
  EXPECT_EQ(w, 240);
  ImageList_Destroy(b);
  EXPECT_EQ(h.Send(TLM_CREATEDRAGIMAGE, 0, 12345), 0);
}

// ---------------------------------------------------------------- wrapper

struct Seen {
  UINT msg;
  WPARAM wp;
  TLColumnDesc col;
  TLInsert ins;
  TLItem item;
};
std::vector<Seen> g_seen;
WNDPROC g_prev = nullptr;

int TL_CALLBACK ByNewText(uintptr_t, TLHandle, const char* siblingText, const char* newText, intptr_t, intptr_t) {
  return strcmp(newText, siblingText);
}

LRESULT CALLBACK Spy(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= TLM_FIRST && msg < 0x1180) {
    Seen s = {msg, wp, {}, {}, {}};
    if ((msg == TLM_INSERTCOLUMN || msg == TLM_SETCOLUMN) && lp) s.col = *reinterpret_cast<TLColumnDesc*>(lp);
    if (msg == TLM_INSERTITEM && lp) s.ins = *reinterpret_cast<TLInsert*>(lp);
    if ((msg == TLM_SETITEMGROUP || msg == TLM_COUNTITEMS) && lp) s.item = *reinterpret_cast<TLItem*>(lp);
    g_seen.push_back(s);
  }
  return CallWindowProcA(g_prev, hwnd, msg, wp, lp);
}

TEST(TreeListWrapper, MembersSendTheirRecords) {
  Harness host(WS_CHILD, 300, 200);
  CWnd parent;
  parent.Attach(host.parent());
  // a failed direct creation leaves the direct call empty
  CTreeListCtrl bad;
  EXPECT_FALSE(bad.CreateDirect(0, WS_CHILD, RECT{0, 0, 10, 10}, nullptr, 5));
  EXPECT_EQ(CTreeListCtrl::DirectProc(), nullptr);
  HWND holder = CreateWindowExA(0, "STATIC", "", WS_CHILD, 10, 20, 150, 90, host.parent(), reinterpret_cast<HMENU>(77),
                                nullptr, nullptr);
  CTreeListCtrl tl;
  ASSERT_TRUE(tl.CreateAtDlgItemDirect(0, 0, 77, &parent, 78)) << GetLastError();
  EXPECT_NE(CTreeListCtrl::DirectProc(), nullptr);
  RECT r;
  GetWindowRect(tl.m_hWnd, &r);
  MapWindowPoints(nullptr, host.parent(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_TRUE(GetWindowLongA(tl.m_hWnd, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetWindow(holder, GW_HWNDNEXT), tl.m_hWnd);
  EXPECT_FALSE(IsWindowVisible(holder));
  EXPECT_EQ(tl.SetColumnImage(0, 1, FALSE), 0);  // no header yet
  g_prev = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tl.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Spy)));
  g_seen.clear();
  EXPECT_EQ(tl.InsertColumn(0, "Name", 0, 100), 0);
  EXPECT_EQ(tl.InsertColumn(1, "Share", -1, -80), 1);
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[1].col.mask & (TLCF_WIDTH | TLCF_WEIGHT), TLCF_WEIGHT);
  EXPECT_EQ(g_seen[1].col.cx, 80);
  EXPECT_EQ(g_seen[1].col.mask & TLCF_MINWIDTH, 0u);  // order 0x8000: none given
  // rows without an item send no item message
  g_seen.clear();
  char buf[16] = "x";
  EXPECT_FALSE(tl.SetCell(5, 1, "t", -1, -1, 0));
  EXPECT_FALSE(tl.GetCellText(5, buf, sizeof(buf), 1));
  for (const Seen& s : g_seen) EXPECT_TRUE(s.msg != TLM_SETITEM && s.msg != TLM_GETITEM);
  // sorted inserts by strcmp keep the caller's data
  HTREEITEM items[3];
  const char* names[3] = {"m", "c", "x"};
  for (int i = 0; i < 3; i++)
    items[i] = tl.InsertItemSortedAlt(TLIF_TEXT | TLIF_PARAM, names[i], 0, 0, 0, 0, 100 + i, strcmp, TVI_ROOT);
  EXPECT_EQ(tl.SendMessage(TLM_GETNEXTITEM, TLGN_ROOT), reinterpret_cast<LRESULT>(items[1]));
  EXPECT_EQ(tl.SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(items[0])), 100);
  EXPECT_EQ(tl.SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(items[2])), 102);
  int row = tl.InsertRow(0, "before", -1, -1, 0);
  EXPECT_EQ(row, 0);
  EXPECT_TRUE(tl.SetCell(0, 1, "cell", -1, -1, 0));
  EXPECT_TRUE(tl.GetCellText(0, buf, sizeof(buf), 1));
  EXPECT_STREQ(buf, "cell");
  EXPECT_EQ(tl.FindItemDirect(TVI_ROOT, TLFI_TEXT | TLFI_SUBTREE | TLFI_TESTSTART, 0, 0, 0, 0, "x"), items[2]);
  EXPECT_EQ(tl.FindItem(TVI_ROOT, TLFI_TEXT | TLFI_SUBTREE | TLFI_TESTSTART, 0, 0, 0, 0, "x"), items[2]);
  // column members
  g_seen.clear();
  EXPECT_TRUE(tl.SetColumnText(1, "Anteil"));
  tl.SetColumnFlag10(1, TRUE);
  tl.SetColumnFlag80(1, FALSE);
  tl.SetColumnFlags20(1, TRUE, 50, 1);
  ASSERT_EQ(g_seen.size(), 4u);
  for (const Seen& s : g_seen) EXPECT_TRUE(s.msg == TLM_SETCOLUMN && s.wp == 1);
  EXPECT_EQ(g_seen[0].col.mask, static_cast<UINT>(TLCF_TEXT));
  EXPECT_STREQ(g_seen[0].col.pszText, "Anteil");
  EXPECT_EQ(g_seen[1].col.mask, 0x10000000u);
  EXPECT_EQ(static_cast<UINT>(g_seen[1].col.fmt), 0x10000000u);
  EXPECT_EQ(g_seen[2].col.mask, 0x80000000u);
  EXPECT_EQ(g_seen[2].col.fmt, 0);
  EXPECT_EQ(g_seen[3].col.mask, 0x60000000u | TLCF_WIDTH);
  EXPECT_EQ(static_cast<UINT>(g_seen[3].col.fmt), 0x60000000u);
  EXPECT_EQ(g_seen[3].col.cx, 50);
  HBITMAP bmp = CreateBitmap(8, 8, 1, 1, nullptr);
  EXPECT_TRUE(tl.SetColumnBitmap(1, bmp, TRUE));
  HDITEMA hd = {};
  hd.mask = HDI_FORMAT | HDI_BITMAP;
  SendMessageA(reinterpret_cast<HWND>(tl.SendMessage(TLM_GETHEADER)), HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&hd));
  EXPECT_EQ(hd.fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  EXPECT_EQ(hd.hbm, bmp);
  // item members: insert positions, compare fields, the column bit
  g_seen.clear();
  LPARAM cmp = reinterpret_cast<LPARAM>(&ByNewText);
  HTREEITEM cb = tl.InsertItemCB(TLIF_TEXT, "cb", 0, 0, 0, 0, 0, cmp, TVI_ROOT);
  EXPECT_NE(cb, nullptr);
  HTREEITEM se = tl.InsertItemSortedEx(TLIF_TEXT, "se", 0, 0, 0, 0, 0, &ByNewText, TVI_ROOT, 9);
  EXPECT_NE(se, nullptr);
  EXPECT_EQ(tl.SetItemGroup(se, 1, TLIF_TEXT | TLIF_SCOPESELF, "g", 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(tl.CountItems(TVI_ROOT, TLIF_COUNTANY, 0, 0, 0, 0), tl.SendMessage(TLM_GETCOUNT));
  std::vector<Seen> inserts, groups;
  for (const Seen& s : g_seen) {
    if (s.msg == TLM_INSERTITEM) inserts.push_back(s);
    if (s.msg == TLM_SETITEMGROUP || s.msg == TLM_COUNTITEMS) groups.push_back(s);
  }
  ASSERT_EQ(inserts.size(), 2u);
  EXPECT_EQ(inserts[0].ins.hInsertAfter, TLI_SORTCALLBACK);
  EXPECT_EQ(inserts[0].ins.ex.item.hItem, static_cast<TLHandle>(cmp));
  EXPECT_EQ(inserts[1].ins.hInsertAfter, TLI_SORTCALLBACK);
  EXPECT_EQ(inserts[1].ins.ex.item.hItem, reinterpret_cast<TLHandle>(&ByNewText));
  EXPECT_TRUE(inserts[1].ins.ex.item.mask & TLIF_DATAININTEGRAL);
  EXPECT_EQ(inserts[1].ins.ex.iIntegral, 9);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].item.mask & TLIF_COLUMN, TLIF_COLUMN);
  EXPECT_EQ(groups[0].item.cchTextMax, 256);
  EXPECT_EQ(groups[1].msg, TLM_COUNTITEMS);
  EXPECT_EQ(tl.SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(se)), 9);
  CImageList* drag = tl.CreateDragImage(items[0], 0);
  ASSERT_NE(drag, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(drag->GetSafeHandle()), 1);
  delete drag;
  // the direct members defer the layout and name the column
  HTREEITEM dcb = tl.InsertItemCBDirect(TLIF_TEXT, "dcb", 0, 0, 0, 0, 0, cmp, TVI_ROOT);
  HTREEITEM dse = tl.InsertItemSortedExDirect(TLIF_TEXT | TLIF_PARAM, "dse", 0, 0, 0, 0, 11, &ByNewText, TVI_ROOT, 0);
  ASSERT_TRUE(dcb && dse);
  EXPECT_EQ(tl.SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(dse)), 11);
  EXPECT_EQ(tl.SetItemGroupDirect(dcb, 1, TLIF_TEXT | TLIF_SCOPESELF, "gd", 0, 0, 0, 0, 0), 1);
  tl.SendMessage(TLM_RUNDEFERRED);
  char cell[8] = "";
  TLItem get = {};
  get.mask = TLIF_TEXT | TLIF_COLUMN;
  get.hItem = reinterpret_cast<TLHandle>(dcb);
  get.cChildren = 1;
  get.pszText = cell;
  get.cchTextMax = sizeof(cell);
  tl.SendMessage(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&get));
  EXPECT_STREQ(cell, "gd");
  EXPECT_GE(tl.SendMessage(TLM_GETITEMROW, 0, reinterpret_cast<LPARAM>(dcb)), 0);
  SetWindowLongPtrA(tl.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_prev));
  DeleteObject(bmp);
  tl.DestroyWindow();
  parent.Detach();
}

// A worker inserts 100,000 items by direct calls while the window paints and
// scrolls; afterwards the rows equal a fresh layout.
TEST(TreeListWrapper, WorkerFillsByDirectCalls) {
  Harness host(WS_CHILD, 300, 200, 0, true);
  CWnd parent;
  parent.Attach(host.parent());
  CTreeListCtrl tl;
  ASSERT_TRUE(tl.CreateDirect(0, TVS_HASLINES | TVS_HASBUTTONS, RECT{0, 0, 280, 180}, &parent, 9));
  ShowWindow(tl.m_hWnd, SW_SHOW);
  const int kItems = 100000;
  std::atomic<bool> done{false};
  std::vector<HTREEITEM> made(kItems);
  std::thread worker([&] {
    HTREEITEM folder = TVI_ROOT;
    for (int i = 0; i < kItems; i++) {
      HTREEITEM parentItem = (i % 100 == 0) ? TVI_ROOT : folder;
      char text[16];
      wsprintfA(text, "i%d", i);
      made[i] = tl.InsertItemDirect(TLIF_TEXT | TLIF_PARAM | TLIF_STATE, text, 0, 0, TLIS_EXPANDED, TLIS_EXPANDED, i,
                                    parentItem, TVI_LAST);
      if (i % 100 == 0) folder = made[i];
    }
    done = true;
  });
  int ticks = 0;
  while (!done) {
    tltest::Pump(5);
    tl.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    UpdateWindow(tl.m_hWnd);
    ticks++;
  }
  worker.join();
  tltest::Pump(50);
  tl.SendMessage(TLM_RUNDEFERRED);
  EXPECT_EQ(tl.SendMessage(TLM_GETCOUNT), kItems);
  EXPECT_EQ(tl.SendMessage(TLM_GETROWCOUNT), kItems);
  bool order = true;
  for (int i = 0; i < kItems && order; i += 997)
    order = tl.SendMessage(TLM_GETITEMROW, 0, reinterpret_cast<LPARAM>(made[i])) == i;
  EXPECT_TRUE(order);
  // a fresh layout gives the same rows
  tl.SendMessage(TLM_EXPAND, TLE_COLLAPSE | TLE_SUBTREE | TLE_QUIET, reinterpret_cast<LPARAM>(TVI_ROOT));
  tl.SendMessage(TLM_EXPAND, TLE_EXPAND | TLE_SUBTREE | TLE_QUIET, reinterpret_cast<LPARAM>(TVI_ROOT));
  for (int i = 0; i < kItems; i += 4999)
    EXPECT_EQ(tl.SendMessage(TLM_GETITEMROW, 0, reinterpret_cast<LPARAM>(made[i])), i);
  EXPECT_GT(ticks, 0);
  tl.DestroyWindow();
  parent.Detach();
}

// ---------------------------------------------------------------- columns

// A group set from a worker selects later, on the window's thread: the
// worker returns while that thread pumps nothing.
TEST(TreeListWrapper, GroupSetFromAWorkerSelectsOnTheWindowsThread) {
  Harness host(WS_CHILD, 300, 200);
  CWnd parent;
  parent.Attach(host.parent());
  CTreeListCtrl direct;  // makes the direct-call function known
  ASSERT_TRUE(direct.CreateDirect(0, 0, RECT{0, 0, 10, 10}, &parent, 9));
  CTreeListCtrl tl;
  tl.Attach(host.tl());
  HTREEITEM a = reinterpret_cast<HTREEITEM>(host.Insert(TLI_ROOT, "a"));
  tltest::Pump(20);
  host.Clear();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    tl.SetItemGroupDirect(a, 0, TLIF_STATE | TLIF_SCOPESELF, nullptr, 0, 0, TLIS_SELECTED, TLIS_SELECTED, 0);
    done = true;
  });
  for (int i = 0; i < 500 && !done; i++) Sleep(10);
  EXPECT_TRUE(done.load()) << "the worker waits for the window's thread";
  EXPECT_EQ(host.Count(TLN_SELCHANGED), 0);
  while (!done) tltest::Pump(10);
  worker.join();
  tltest::Pump(50);
  EXPECT_EQ(host.Count(TLN_SELCHANGED), 1);
  EXPECT_EQ(tl.SendMessage(TLM_GETNEXTITEM, TVGN_CARET), reinterpret_cast<LRESULT>(a));
  tl.Detach();
  direct.DestroyWindow();
  parent.Detach();
}

TEST(TreeListColumns, InsertDeleteAndWeights) {
  Harness h(WS_CHILD, 400, 200);
  TLColumnDesc fixed = {};
  fixed.mask = TLCF_WIDTH;
  fixed.cx = 100;
  ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&fixed)), 0);
  TLColumnDesc w1 = {};
  w1.mask = TLCF_WEIGHT;
  w1.cx = 1;
  EXPECT_EQ(h.Send(TLM_INSERTCOLUMN, 5, reinterpret_cast<LPARAM>(&w1)), 1);  // beyond the count: appended
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 1), 300);
  TLColumnDesc w3 = {};
  w3.mask = TLCF_WEIGHT;
  w3.cx = 3;
  EXPECT_EQ(h.Send(TLM_INSERTCOLUMN, 2, reinterpret_cast<LPARAM>(&w3)), 2);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 2), 225);  // three quarters of the proportional width
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 1), 75);
  EXPECT_EQ(h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&fixed)), -1);  // column 0 stays the items'
  EXPECT_EQ(h.Send(TLM_DELETECOLUMN, 0), 0);
  for (int i = 3; i < 32; i++) EXPECT_EQ(h.Send(TLM_INSERTCOLUMN, i, reinterpret_cast<LPARAM>(&fixed)), i);
  EXPECT_EQ(h.Send(TLM_INSERTCOLUMN, 32, reinterpret_cast<LPARAM>(&fixed)), -1);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNCOUNT), 32);
  // cells follow their columns when one in the middle goes
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  TLItem set = {};
  set.mask = TLIF_TEXT | TLIF_COLUMN;
  set.hItem = a;
  set.cChildren = 3;
  set.pszText = const_cast<char*>("three");
  h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&set));
  EXPECT_EQ(h.Send(TLM_DELETECOLUMN, 2), 1);
  EXPECT_EQ(h.Text(a, 2), "three");
  while (h.Send(TLM_GETCOLUMNCOUNT) > 1) h.Send(TLM_DELETECOLUMN, h.Send(TLM_GETCOLUMNCOUNT) - 1);
  EXPECT_EQ(h.Send(TLM_DELETECOLUMN, 0), 1);
  EXPECT_EQ(h.Send(TLM_GETHEADER), 0);
  // order validation
  for (int i = 0; i < 3; i++) h.Send(TLM_INSERTCOLUMN, i, reinterpret_cast<LPARAM>(&fixed));
  int bad[3] = {1, 0, 2}, dup[3] = {0, 1, 1}, good[3] = {0, 2, 1};
  EXPECT_EQ(h.Send(TLM_SETCOLUMNORDER, 3, reinterpret_cast<LPARAM>(bad)), 0);
  EXPECT_EQ(h.Send(TLM_SETCOLUMNORDER, 3, reinterpret_cast<LPARAM>(dup)), 0);
  EXPECT_EQ(h.Send(TLM_SETCOLUMNORDER, 2, reinterpret_cast<LPARAM>(good)), 0);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_COLUMNNOTIFY, TLOPT_COLUMNNOTIFY);
  h.Clear();
  EXPECT_EQ(h.Send(TLM_SETCOLUMNORDER, 3, reinterpret_cast<LPARAM>(good)), 1);
  EXPECT_EQ(h.Count(TLN_COLUMNCHANGED), 3);
  int got[3] = {};
  EXPECT_EQ(h.Send(TLM_GETCOLUMNORDER, 3, reinterpret_cast<LPARAM>(got)), 1);
  EXPECT_EQ(got[1], 2);
}

// The focus cell of a multi-selection leaves a column that goes.
TEST(TreeListColumns, DeletingTheFocusColumn) {
  Harness h(WS_CHILD, 400, 200);
  h.Send(TLM_SETEXTENDEDSTYLE, 0, TLOPT_CELLSELECT | TLOPT_MULTISELECT);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 80;
  for (int i = 0; i < 3; i++) h.Send(TLM_INSERTCOLUMN, i, reinterpret_cast<LPARAM>(&d));
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  h.Send(TLM_SETCARET, 2, a);
  h.Send(WM_KEYDOWN, VK_DOWN, 1);
  ASSERT_EQ(h.Send(TLM_GETNEXTITEM, TLGN_FOCUSCOLUMN, 0), 2);
  EXPECT_EQ(h.Send(TLM_DELETECOLUMN, 2), 1);
  EXPECT_EQ(h.Send(TLM_GETNEXTITEM, TLGN_FOCUSCOLUMN, 0), 0);
}

// Widths and scroll positions past 16 bits: widths stop at 32767, the thumb
// reaches beyond 32767 pixels.
TEST(TreeListColumns, SixteenBitLimits) {
  Harness h(WS_CHILD, 400, 200);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 20000;
  for (int i = 0; i < 3; i++) h.Send(TLM_INSERTCOLUMN, i, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_SETCOLUMNWIDTH, 2, 40000);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 2), 32767);
  d.cx = 40000;
  h.Send(TLM_SETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 1), 32767);
  HWND header = reinterpret_cast<HWND>(h.Send(TLM_GETHEADER));
  RECT r[3];
  for (int i = 0; i < 3; i++) Header_GetItemRect(header, i, &r[i]);
  EXPECT_LT(r[0].right, r[1].right);
  EXPECT_LT(r[1].right, r[2].right);
  h.Send(TLM_DELETECOLUMN, 2);
  h.Send(TLM_SETCOLUMNWIDTH, 1, 20000);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  RECT ar = ItemRect(h, a);
  SetScrollPos(h.tl(), SB_HORZ, 33000, FALSE);  // where a drag of the thumb stands
  h.Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 33000));
  // 33000 px to the right: x 10 lies in the second column
  TLHitTest ht = {{10, (ar.top + ar.bottom) / 2}, 0, 0};
  h.Send(TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
  EXPECT_EQ(ht.flags >> 24, 1u);
}

// Header notifications: tracking refused when nothing behind can keep the
// total, a hidden locked column hands its drag to the divider before it, and
// the rest reach the parent as the control's own.
TEST(TreeListColumns, HeaderNotifications) {
  Harness h(WS_CHILD | WS_VISIBLE, 400, 200);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  d.mask = TLCF_WIDTH | TLCF_FMT | TLCF_LOCKED;
  d.fmt = TLCF_LOCKED;
  d.cx = 0;
  h.Send(TLM_INSERTCOLUMN, 2, reinterpret_cast<LPARAM>(&d));
  d.cx = 80;
  h.Send(TLM_INSERTCOLUMN, 3, reinterpret_cast<LPARAM>(&d));
  HWND header = reinterpret_cast<HWND>(h.Send(TLM_GETHEADER));
  auto note = [&](UINT code, int column) {
    NMHEADERA nm = {};
    nm.hdr.hwndFrom = header;
    nm.hdr.idFrom = 1;
    nm.hdr.code = code;
    nm.iItem = column;
    return h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
  };
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_KEEPTOTALWIDTH, TLOPT_KEEPTOTALWIDTH);
  EXPECT_EQ(note(HDN_BEGINTRACKA, 0), 0);
  EXPECT_EQ(note(HDN_BEGINTRACKA, 1), 1);  // only locked columns follow
  MSG m;
  while (PeekMessageA(&m, header, WM_LBUTTONDOWN, WM_LBUTTONUP, PM_REMOVE)) {
  }
  EXPECT_EQ(note(HDN_BEGINTRACKA, 2), 1);
  ASSERT_TRUE(PeekMessageA(&m, header, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
  EXPECT_EQ(LOWORD(m.lParam), 198);
  ASSERT_TRUE(PeekMessageA(&m, header, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
  EXPECT_EQ(LOWORD(m.lParam), 198);
  h.On(HDN_ITEMCHANGINGA, [](NMHDR* nm) -> LRESULT { return nm->idFrom == 100 ? 7 : 0; });
  EXPECT_EQ(note(HDN_ITEMCHANGINGA, 1), 7);
  // keeping the total: the next unlocked column gives the width, down to its minimum
  d.mask = TLCF_WIDTH | TLCF_MINWIDTH;
  d.cx = 100;
  d.iOrder = 80;
  h.Send(TLM_INSERTCOLUMN, 4, reinterpret_cast<LPARAM>(&d));
  HDITEMA item = {};
  item.mask = HDI_WIDTH;
  item.cxy = 150;
  NMHEADERA track = {};
  track.hdr.hwndFrom = header;
  track.hdr.idFrom = 1;
  track.hdr.code = HDN_TRACKA;
  track.iItem = 1;
  track.pitem = &item;
  h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&track));
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 1), 150);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 3), 80);  // locked
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 4), 80);  // 100 - 50, held at its minimum
  // a divider double-click sizes to the content (8 for a row without a
  // cell), raised to the positive minimum
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_KEEPTOTALWIDTH, 0);
  h.Insert(TLI_ROOT, "a");
  h.Send(TLM_SETCOLUMNWIDTH, 4, 150);
  ASSERT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 4), 150);
  note(HDN_DIVIDERDBLCLICKA, 4);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 4), 80);
}

// Weights below 1 count as 1, above 255 as 255: two such columns share the
// width evenly with a column of weight 1 or 255.
TEST(TreeListColumns, WeightsClampTo1And255) {
  for (int pair : {0, 1}) {
    Harness h(WS_CHILD, 400, 200);
    TLColumnDesc d = {};
    d.mask = TLCF_WEIGHT;
    d.cx = pair ? 255 : 1;
    h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
    d.cx = pair ? 300 : 0;
    h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 0), 200) << pair;
    EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 1), 200) << pair;
  }
}

// Property 15 (the folder dialog's tree) widens column 0 to the widest text
// plus 8, measured here in the control's font.
TEST(TreeListColumns, GrowMarginWidensTheTreeColumn) {
  Harness h(WS_CHILD, 400, 200);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 40;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  const char* longest = "Ein ziemlich langer Eintrag";
  h.Insert(TLI_ROOT, "kurz");
  h.Insert(TLI_ROOT, longest);
  h.Send(TLM_PROPERTY, TLPROP_GROWMARGIN | TLPROP_SET, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, reinterpret_cast<HFONT>(h.Send(WM_GETFONT)));
  SIZE sz;
  GetTextExtentPoint32A(dc, longest, static_cast<int>(strlen(longest)), &sz);
  DeleteDC(dc);
  EXPECT_EQ(h.Send(TLM_GETCOLUMNWIDTH, 0), sz.cx + 8);
  // set while a quiet delete's renumbering still waits in the queue
  h.Send(TLM_PROPERTY, TLPROP_GROWMARGIN | TLPROP_SET, 0);
  h.Send(TLM_DELETEITEM, 0x89, h.Next(TLGN_ROOT, 0));
  h.Send(TLM_PROPERTY, TLPROP_GROWMARGIN | TLPROP_SET, 2);
  h.Send(TLM_RUNDEFERRED);
  EXPECT_EQ(h.Send(TLM_GETROWCOUNT), 1);
}

// The insertion placeholder: an empty item beside the given one in the
// insert-mark colour on every column, a new column's cell included; a new
// mark replaces it, item 0 removes it.
TEST(TreeListColumns, InsertionPlaceholder) {
  Harness h(WS_CHILD, 300, 200);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Insert(TLI_ROOT, "a");
  uintptr_t b = h.Insert(TLI_ROOT, "b");
  LRESULT mark = h.Send(TLM_GETINSERTMARKCOLOR);
  uintptr_t p = static_cast<uintptr_t>(h.Send(TLM_SETINSERTMARK, 1, b));
  ASSERT_NE(p, 0u);
  EXPECT_EQ(h.Shape(), "a,,b");
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  EXPECT_EQ(h.Send(TLM_GETITEMBKCOLOR, p, 0), mark);
  EXPECT_EQ(h.Send(TLM_GETITEMBKCOLOR, p, 1), mark);
  uintptr_t q = static_cast<uintptr_t>(h.Send(TLM_SETINSERTMARK, 0, b));
  EXPECT_FALSE(h.Valid(p));
  EXPECT_EQ(h.Shape(), "a,b,");
  EXPECT_EQ(h.Send(TLM_SETINSERTMARK, 0, 0), 0);
  EXPECT_FALSE(h.Valid(q));
  EXPECT_EQ(h.Shape(), "a,b");
  EXPECT_EQ(h.Send(TLM_GETROWCOUNT), 2);
}

// Three proportional columns (55 : 99 : 60) and eight fixed ones inserted
// after them, as the server list does: the fixed ones' room comes out of the
// proportional ones, which keep their weights within a pixel and a half.
TEST(TreeListColumns, FixedColumnsAfterProportionalOnesKeepTheWeights) {
  for (int width : {706, 723, 800}) {
    Harness h(WS_CHILD, width, 200);
    const int widths[] = {-55, -99, -60, 45, 45, 80, 80, 80, 80, 30, 60};
    for (int c = 0; c < 11; c++) {
      TLColumnDesc d = {};
      d.mask = widths[c] < 0 ? TLCF_WEIGHT : TLCF_WIDTH;
      d.cx = widths[c] < 0 ? -widths[c] : widths[c];
      ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d)), c);
    }
    int w[11], sum = 0;
    for (int c = 0; c < 11; c++) sum += w[c] = static_cast<int>(h.Send(TLM_GETCOLUMNWIDTH, c));
    EXPECT_EQ(sum, width);
    EXPECT_NEAR(w[1] * 55.0 / 99.0, w[0], 1.5) << width;
    EXPECT_NEAR(w[1] * 60.0 / 99.0, w[2], 1.5) << width;
  }
}

// 1,000 random resizes of the window: five proportional columns beside a
// fixed one share exactly the client width whenever none sits at its
// minimum, and none ever goes below it.
TEST(TreeListColumns, ResizesShareTheWidthExactly) {
  Harness h(WS_CHILD, 400, 200);
  TLColumnDesc fixed = {};
  fixed.mask = TLCF_WIDTH;
  fixed.cx = 60;
  ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&fixed)), 0);
  for (int c = 1; c <= 5; c++) {
    TLColumnDesc d = {};
    d.mask = TLCF_WEIGHT | TLCF_MINWIDTH;
    d.cx = c;
    d.iOrder = 20;
    ASSERT_EQ(h.Send(TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d)), c);
  }
  srand(7);
  int exact = 0;
  for (int i = 0; i < 1000; i++) {
    int width = 80 + rand() % 900;
    SetWindowPos(h.tl(), nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc;
    GetClientRect(h.tl(), &rc);
    int sum = 0, atMin = 0;
    for (int c = 0; c < 6; c++) {
      int w = static_cast<int>(h.Send(TLM_GETCOLUMNWIDTH, c));
      if (c) {
        ASSERT_GE(w, 20) << "resize " << i << " column " << c;
        atMin += w == 20;
      }
      sum += w;
    }
    if (!atMin) {
      ASSERT_EQ(sum, rc.right) << "resize " << i << " to " << width;
      exact++;
    }
  }
  EXPECT_GT(exact, 300);
}

// ---------------------------------------------------------------- frames

TEST(TreeListFrames, CornersUnscaledAndTint) {
  const void* src = DibFrameSource(0);
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(DibFrameSource(0x18), nullptr);  // bits 3 and 4: no image
  HDIB dest = DibCreate(nullptr, 40, 40, 32, nullptr);
  memset(DibGetBits(dest), 0x55, 40 * 40 * 4);
  DibFrameOptions none = {0x18, 0};
  EXPECT_EQ(DibDrawFrameImage(dest, 0, 0, 0, 30, 30, &none), 0);
  EXPECT_EQ(static_cast<uint32_t*>(DibGetBits(dest))[0], 0x55555555u);
  HDIB frame = DibBuildFrameImage(src, 30, 40, nullptr, static_cast<COLORREF>(-1));
  ASSERT_NE(frame, nullptr);
  SIZE sz;
  HDIB conv = DibConvert(nullptr, src, 0, &sz);
  const uint32_t* f = static_cast<uint32_t*>(DibGetBits(frame));
  const uint32_t* s = static_cast<uint32_t*>(DibGetBits(conv));
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) {
      EXPECT_EQ(f[y * 30 + x], s[y * sz.cx + x]);                                    // top left
      EXPECT_EQ(f[(39 - y) * 30 + 29 - x], s[(sz.cy - 1 - y) * sz.cx + sz.cx - 1 - x]);  // bottom right
    }
  DibFree(frame);
  // tint: (c*(a+1) + t*(256-a)) >> 8, opaque
  HDIB tinted = DibBuildFrameImage(src, 7, 24, nullptr, RGB(0x10, 0x80, 0xF0));
  HDIB straight = DibConvert(nullptr, src, DIB_CONVERT_STRAIGHT, &sz);
  const uint32_t* t = static_cast<uint32_t*>(DibGetBits(tinted));
  const uint32_t* o = static_cast<uint32_t*>(DibGetBits(straight));
  int checked = 0;
  for (int i = 0; i < 7 * 24; i++) {
    uint32_t a = o[i] >> 24;
    if (!a) {
      EXPECT_EQ(t[i] >> 24, 0u);
      continue;
    }
    uint32_t b = ((o[i] & 0xFF) * (a + 1) + 0xF0 * (256 - a)) >> 8;
    EXPECT_EQ(t[i] & 0xFF, b);
    EXPECT_EQ(t[i] >> 24, 0xFFu);
    checked++;
  }
  EXPECT_GT(checked, 100);
  DibFree(tinted);
  DibFree(straight);
  DibFree(conv);
  DibFree(dest);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- editing and typing

TEST(TreeListEditing, PasteIsCutAndDeletingEndsTheEdit) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 300, 200, 0, true);  // the editor must be visible
  uintptr_t a = h.Insert(TLI_ROOT, "old");
  uintptr_t b = h.Insert(TLI_ROOT, "other");
  std::string big(5000, 'p');
  ASSERT_TRUE(OpenClipboard(h.parent()));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, big.size() + 1);
  memcpy(GlobalLock(mem), big.c_str(), big.size() + 1);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  HWND ed = reinterpret_cast<HWND>(h.Send(TLM_EDITLABEL, 0, a));
  ASSERT_NE(ed, nullptr);
  SendMessageA(ed, EM_SETSEL, 0, -1);
  h.Send(WM_PASTE);  // handed on to the editor
  tltest::Pump(50);
  EXPECT_EQ(GetWindowTextLengthA(ed), 2048);
  EXPECT_EQ(h.Send(TLM_ENDEDITLABELNOW, 0), 1);
  EXPECT_EQ(h.Text(a), std::string(2048, 'p'));
  // deleting the edited item ends the edit as a cancel
  ed = reinterpret_cast<HWND>(h.Send(TLM_EDITLABEL, 0, b));
  ASSERT_NE(ed, nullptr);
  h.Clear();
  h.Send(TLM_DELETEITEM, 0, b);
  EXPECT_EQ(h.Send(TLM_GETEDITCONTROL), 0);
  EXPECT_FALSE(IsWindow(ed));
  ASSERT_GE(h.Count(TLN_ENDLABELEDIT), 1);
  for (auto& n : h.notes) {
    if (n.code == TLN_ENDLABELEDIT) {
      EXPECT_TRUE(n.text.empty());
    }
  }
}

TEST(TreeListEditing, TypeAheadFoldsLettersNotTheDivisionSign) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200);
  uintptr_t first = h.Insert(TLI_ROOT, "first");
  h.Insert(TLI_ROOT, "×b");
  uintptr_t ab = h.Insert(TLI_ROOT, "ABC");
  uintptr_t ae = h.Insert(TLI_ROOT, "äpfel");
  h.Send(TLM_SELECTITEM, TVGN_CARET, first);
  h.Send(WM_CHAR, 'a', 1);
  h.Send(WM_CHAR, 'b', 1);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), ab);
  Sleep(1100);
  h.Send(WM_CHAR, 0xE4, 1);  // ä finds Ä and ä alike
  EXPECT_EQ(h.Next(TLGN_CARET, 0), ae);
  Sleep(1100);
  h.Send(WM_CHAR, 0xF7, 1);  // ÷ is no letter: it does not match ×
  EXPECT_EQ(h.Next(TLGN_CARET, 0), ae);
  char buf[20];
  EXPECT_EQ(h.Send(TLM_GETISEARCHSTRING, 0, reinterpret_cast<LPARAM>(buf)), 1);
}

DWORD g_fakeNow = 0;
DWORD WINAPI FakeClock() { return g_fakeNow; }

// a and b 600 ms apart search "ab" together, 800 ms apart b alone; a 17th
// quick character starts a new search
TEST(TreeListEditing, TypeAheadTiming) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200);
  uintptr_t x = h.Insert(TLI_ROOT, "x");
  uintptr_t ab = h.Insert(TLI_ROOT, "ab1");
  uintptr_t b = h.Insert(TLI_ROOT, "b");
  uintptr_t as = h.Insert(TLI_ROOT, "aaaaaaaaaaaaaaaa");
  uintptr_t a2 = h.Insert(TLI_ROOT, "ax");
  g_tlClock = FakeClock;
  g_fakeNow = 100000;
  for (int gap : {600, 800}) {
    h.Send(TLM_SELECTITEM, TVGN_CARET, x);
    g_fakeNow += 5000;
    h.Send(WM_CHAR, 'a', 1);
    EXPECT_EQ(h.Next(TLGN_CARET, 0), ab);
    g_fakeNow += static_cast<DWORD>(gap);
    h.Send(WM_CHAR, 'b', 1);
    EXPECT_EQ(h.Next(TLGN_CARET, 0), gap == 600 ? ab : b) << gap;
  }
  h.Send(TLM_SELECTITEM, TVGN_CARET, b);
  g_fakeNow += 5000;
  for (int i = 0; i < 16; i++, g_fakeNow += 10) h.Send(WM_CHAR, 'a', 1);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), as);
  h.Send(WM_CHAR, 'a', 1);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), a2);
  char buf[20];
  EXPECT_EQ(h.Send(TLM_GETISEARCHSTRING, 0, reinterpret_cast<LPARAM>(buf)), 1);
  g_tlClock = GetTickCount;
}

}  // namespace

namespace {

// Choice lists end at their null pointer or their zero, whatever the count
// says; Enter on a cycling cell takes the next choice, wrapping round.
TEST(TreeListEditing, ChoiceListsEndWhereTheyEnd) {
  Harness h(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, 300, 200, 0, true);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 100;
  h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_INSERTCOLUMN, 2, reinterpret_cast<LPARAM>(&d));
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_CELLSELECT, TLOPT_CELLSELECT);
  static const char* array[] = {"eins", "zwei", nullptr, "never"};
  static const char buffer[] = "rot|gruen";  // count 0: up to the zero
  EXPECT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(1, TLEK_CYCLE, TLEF_CHOICEARRAY, 0, 0), reinterpret_cast<LPARAM>(array)), 1);
  EXPECT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(2, TLEK_CYCLE, 0, '|', 100), reinterpret_cast<LPARAM>(buffer)), 1);
  EXPECT_EQ(h.Send(TLM_SETCOLUMNEDIT, TLM_COLUMNEDIT(0, TLEK_CHECK, 0, 0, 0), 0), 0);  // no check boxes in column 0
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  SetFocus(h.tl());
  std::vector<std::string> seen1, seen2;
  for (int column = 1; column <= 2; column++) {
    h.Send(TLM_SETCARET, column, a);
    for (int i = 0; i < 4; i++) {
      h.Send(WM_KEYDOWN, VK_RETURN, 0);
      (column == 1 ? seen1 : seen2).push_back(h.Text(a, column));
    }
  }
  EXPECT_EQ(seen1, (std::vector<std::string>{"eins", "zwei", "eins", "zwei"}));
  EXPECT_EQ(seen2, (std::vector<std::string>{"rot", "gruen", "rot", "gruen"}));
  EXPECT_EQ(h.Count(TLN_VALUECHANGED), 8);
}

}  // namespace
