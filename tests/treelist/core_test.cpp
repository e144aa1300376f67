// The TreeList logic without a window (native build: ASan and UBSan watch).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/testenv.h"
#include "tests/treelist/fakehost.h"
#include "tests/treelist/tlops.h"

using tltest::FakeHost;

namespace {

uint32_t Add(TreeListState* st, uintptr_t parent, const char* text, uintptr_t after = TLI_LAST, uint32_t state = 0) {
  TLInsert r = {};
  r.hParent = parent;
  r.hInsertAfter = after;
  r.ex.item.mask = TLIF_TEXT | TLIF_STATE;
  r.ex.item.pszText = const_cast<char*>(text);
  r.ex.item.state = state;
  r.ex.item.stateMask = state;
  return TreeListInsertItem(st, &r);
}

// an expanded root with n children
uint32_t AddExpandedParent(TreeListState* st, int n) {
  uint32_t p = Add(st, TLI_ROOT, "big", TLI_LAST, TLIS_EXPANDED);
  for (int i = 0; i < n; i++) Add(st, p, "c");
  return p;
}

TEST(TreeListCore, RandomOperationsKeepTheTreeConsistent) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; round++) {
    std::vector<uint8_t> bytes(600);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    std::string err = tltest::RunOps(bytes.data(), bytes.size());
    ASSERT_EQ(err, "") << "round " << round;
  }
}

TEST(TreeListCore, ADeleteWhoseNotificationSortsTheRootLaysOutAllRows) {
  // found by the fuzz target: three selected roots, a parent that sorts the
  // root list when the selection changes, then the last root deleted
  const uint8_t ops[] = {0x3c, 0x1f, 0x3c, 0x01, 0x34, 0x7e, 0x81, 0x81, 0xff, 0x00, 0xc0, 0xc0, 0xc0, 0xc0,
                         0xc0, 0xc0, 0xc0, 0xc0, 0xc0, 0xc0, 0xff, 0xff, 0xe4, 0xff, 0xff, 0xe4, 0xf3, 0xf3,
                         0xc0, 0xc0, 0xff, 0xff, 0xe4, 0xff, 0xff, 0xe4, 0xf3, 0xf3, 0xe4, 0xe4, 0xe4, 0xe4};
  EXPECT_EQ("", tltest::RunOps(ops, sizeof ops));
}

TEST(TreeListCore, AMoveAfterAnItemWithoutARowLaysOutTheRows) {
  // found by the fuzz target: a move whose new place follows an item that has
  // no row (hidden, or in a collapsed branch) left the row table stale
  const uint8_t ops[] = {0x00, 0x00, 0xd9, 0x71, 0xf5, 0x00, 0x71, 0x71, 0x71, 0x70, 0x71, 0x71, 0x2c, 0x31,
                         0x00, 0x20, 0x32, 0x71, 0x79, 0x71, 0x71, 0x2f, 0x2f, 0x2f, 0xc4, 0xc4, 0xc4, 0xc4,
                         0xfb, 0x00, 0x17, 0x2c, 0x3f};
  EXPECT_EQ("", tltest::RunOps(ops, sizeof ops));
}

TEST(TreeListCore, AnExpandAllWhoseParentSortsTheTreeStaysBounded) {
  // found by the fuzz target: an expand-all of a subtree whose parent sorts
  // every child list in each TLN_ITEMEXPANDED answer took minutes, with
  // stored texts and with some texts by callback
  for (const char* name : {"expand-all-sorting-parent.bin", "expand-all-callback-texts.bin",
                           "subtree-toggle-inserting-parent.bin", "delete-deleting-parent.bin"}) {
    std::vector<unsigned char> ops;
    ASSERT_TRUE(orvtest::ReadFile(orvtest::SourcePath(std::string("tests/fuzz/corpus/treelist_ops/") + name), ops));
    EXPECT_EQ("", tltest::RunOps(ops.data(), ops.size())) << name;
  }
}

// A quiet delete leaves the renumbering to the deferred queue; an insert
// before that queue runs must not trust the rows numbered before it.
TEST(TreeListCore, AnInsertAfterAQuietDeleteRenumbersFromTheTop) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t big = AddExpandedParent(st, 50);
  uint32_t first = 0;
  for (int i = 0; i < 13; i++) {
    uint32_t r = Add(st, TLI_ROOT, "r", TLI_LAST, TLIS_EXPANDED);
    if (!first) first = r;
  }
  ASSERT_EQ(st->count, st->capacity);  // the insert below needs no new table
  ASSERT_EQ(TreeListDeleteItem(st, big, TLDEL_QUIET | TLDEL_RENUMBER), 1);
  ASSERT_NE(Add(st, first, "new"), 0u);
  EXPECT_EQ(st->shownRows, 14u);
  EXPECT_EQ(host.Check(), "");
  TreeListRunDeferred(st);
  EXPECT_EQ(host.Check(), "");
}

TEST(TreeListCore, DeepChainIsIterative) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uintptr_t p = TLI_ROOT;
  std::vector<uint32_t> chain;
  for (int i = 0; i < 100000; i++) {
    p = Add(st, p, "x", TLI_LAST, TLIS_EXPANDED);
    ASSERT_NE(p, 0u);
    chain.push_back(static_cast<uint32_t>(p));
  }
  EXPECT_EQ(st->shownRows, 100000u);
  EXPECT_EQ(TreeListExpandMsg(st, TLE_COLLAPSE | TLE_SUBTREE, TLI_ROOT), 1);
  EXPECT_EQ(st->shownRows, 1u);
  TreeListExpandMsg(st, TLE_EXPAND | TLE_SUBTREE, TLI_ROOT);
  EXPECT_EQ(st->shownRows, 100000u);
  EXPECT_EQ(host.Check(), "");
  EXPECT_EQ(TreeListDeleteItem(st, chain[0], 1), 1);
  EXPECT_EQ(st->count, 0u);
  EXPECT_EQ(host.Check(), "");
}

// A collapse or toggle over a subtree renumbers the rows once at the end, not
// once per item; a selection inside a collapsed branch still moves up.
TEST(TreeListCore, ASubtreeCollapseOrToggleLaysOutTheRowsOnce) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t root = 0, deep = 0;
  for (int r = 0; r < 30; r++) {
    root = Add(st, TLI_ROOT, "r", TLI_LAST, TLIS_EXPANDED);
    for (int c = 0; c < 10; c++) deep = Add(st, Add(st, root, "c", TLI_LAST, TLIS_EXPANDED), "g");
  }
  ASSERT_EQ(st->shownRows, 630u);
  ASSERT_EQ(TreeListSelectItem(st, deep, 0, 0), 1);
  uint32_t before = st->layoutPasses;
  EXPECT_EQ(TreeListExpandMsg(st, TLE_COLLAPSE | TLE_SUBTREE, TLI_ROOT), 1);
  EXPECT_LE(st->layoutPasses - before, 2u);  // once for the selection's row, once at the end
  EXPECT_EQ(st->shownRows, 30u);
  EXPECT_EQ(st->selItem, root);
  EXPECT_EQ(host.Check(), "");
  before = st->layoutPasses;
  EXPECT_EQ(TreeListExpandMsg(st, TLE_TOGGLE | TLE_SUBTREE, TLI_ROOT), 1);
  EXPECT_EQ(st->layoutPasses - before, 1u);
  EXPECT_EQ(st->shownRows, 630u);
  EXPECT_EQ(host.Check(), "");
}

// A parent that deletes another item in every TLN_DELETEITEM of a subtree's
// delete: the rows are renumbered once, not once per delete.
TEST(TreeListCore, DeletesInsideADeleteRenumberOnce) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t big = AddExpandedParent(st, 200);
  std::vector<uint32_t> others;
  for (int i = 0; i < 200; i++) others.push_back(Add(st, TLI_ROOT, "o"));
  bool inside = false;
  host.parent = [&](TLNmHdr* n) -> intptr_t {
    if (static_cast<int>(n->code) != TLN_DELETEITEM || inside || others.empty()) return 0;
    inside = true;
    TreeListLock again(st);
    TreeListDeleteItem(st, others.back(), 1);
    others.pop_back();
    inside = false;
    return 0;
  };
  uint32_t before = st->layoutPasses;
  EXPECT_EQ(TreeListDeleteItem(st, big, 1), 1);
  EXPECT_LE(st->layoutPasses - before, 1u);
  EXPECT_EQ(st->count, 0u);
  EXPECT_EQ(st->shownRows, 0u);
  EXPECT_EQ(host.Check(), "");
}

// With the sibling keys all equal or all on one side the scans stay inside
// the array; equal keys take n log n compares, not n squared.
int g_compares = 0;
int TL_CALLBACK Counting(intptr_t a, intptr_t b, intptr_t) {
  g_compares++;
  return a < b ? -1 : a > b;
}

TEST(TreeListCore, SortBoundsAndEqualKeys) {
  for (int kind = 0; kind < 3; kind++) {
    FakeHost host;
    TreeListState* st = host.st;
    TreeListLock lock(st);
    const int n = 5000;
    for (int i = 0; i < n; i++) {
      TLInsert r = {};
      r.hParent = TLI_ROOT;
      r.hInsertAfter = TLI_LAST;
      r.ex.item.mask = TLIF_PARAM | TLIF_TEXT;
      r.ex.item.pszText = const_cast<char*>("same");
      r.ex.item.lParam = kind == 0 ? 7 : kind == 1 ? i : n - i;
      TreeListInsertItem(st, &r);
    }
    g_compares = 0;
    EXPECT_EQ(TreeListSortChildren(st, 1, TLI_ROOT, 0, reinterpret_cast<const void*>(&Counting), 0), 1);
    EXPECT_LT(g_compares, n * 40) << kind;
    EXPECT_EQ(st->count, static_cast<uint32_t>(n));
    intptr_t last = -1;
    for (uint32_t c = st->firstRoot; c; c = TLGet(st, c)->next) {
      EXPECT_GE(TLGet(st, c)->data, last);
      last = TLGet(st, c)->data;
    }
    EXPECT_EQ(host.Check(), "");
  }
}

TEST(TreeListCore, FindContinuation) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t a = Add(st, TLI_ROOT, "ab");
  uint32_t a1 = Add(st, a, "AB");
  Add(st, a, "abc");
  uint32_t a3 = Add(st, a1, "ab");
  uint32_t b = Add(st, TLI_ROOT, "ab");
  TLFind f = {TLFI_TEXT, 0, 0, 0, 0, "ab"};
  EXPECT_EQ(TreeListFindItem(st, a1, &f), 0u);  // siblings only: "AB" and "abc" differ
  f.flags = TLFI_TEXT | TLFI_NOCASE;
  EXPECT_EQ(TreeListFindItem(st, a1, &f), a1);
  // below a, with the start tested, then continued from each find
  f.flags = TLFI_TEXT | TLFI_SUBTREE | TLFI_TESTSTART | TLFI_FROMCHILD;
  uint32_t got = TreeListFindItem(st, a, &f);
  EXPECT_EQ(got, a3);
  EXPECT_EQ((f.flags >> 16) & 0xFFu, 1u);
  EXPECT_EQ(f.flags & (TLFI_FROMCHILD | TLFI_TESTSTART), 0u);
  EXPECT_EQ(TreeListFindItem(st, got, &f), 0u);  // never climbs above level 1 to b
  TLFind all = {TLFI_TEXT | TLFI_SUBTREE | TLFI_TESTSTART, 0, 0, 0, 0, "ab"};
  EXPECT_EQ(TreeListFindItem(st, TLI_ROOT, &all), a);
  EXPECT_EQ(TreeListFindItem(st, a, &all), a3);
  EXPECT_EQ(TreeListFindItem(st, a3, &all), b);
  EXPECT_EQ(TreeListFindItem(st, b, &all), 0u);
}

TEST(TreeListCore, HitTestButtonBoundaries) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  st->style = 0x7;  // buttons, lines, lines at root
  st->linesAtRoot = 1;
  uint32_t p = Add(st, TLI_ROOT, "parent");
  Add(st, p, "child");
  int cx = st->indent / 2, cy = st->rowHeight / 2;
  auto hit = [&](int x, int y) {
    TLHitTest ht = {{x, y}, 0, 0};
    TreeListHitTest(st, &ht);
    return ht.flags;
  };
  EXPECT_EQ(hit(cx + 7, cy), TLHT_ONITEMBUTTON);
  EXPECT_EQ(hit(cx + 8, cy), TLHT_ONITEMINDENT);
  EXPECT_EQ(hit(cx - 6, cy), TLHT_ONITEMBUTTON);
  EXPECT_EQ(hit(cx - 7, cy), TLHT_ONITEMINDENT);
  EXPECT_EQ(hit(st->indent + 3, cy), TLHT_ONITEMLABEL | TLHT_ONTEXT);
  EXPECT_EQ(hit(st->indent + 6 * 7 + 4, cy), TLHT_ONITEMLABEL | TLHT_ONTEXT);
  EXPECT_EQ(hit(st->indent + 6 * 7 + 5, cy), TLHT_ONITEMRIGHT);
  EXPECT_EQ(hit(-1, cy), TLHT_TOLEFT);
  EXPECT_EQ(hit(10, st->rowHeight * 3), TLHT_NOWHERE);
  // children by callback: the parent's answer, asked once, decides the button
  int asked = 0;
  host.parent = [&](TLNmHdr* rec) -> intptr_t {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(rec);
    if (rec->code == static_cast<uint32_t>(TLN_GETDISPINFO) && (di->item.mask & TLIF_CHILDREN)) {
      asked++;
      di->item.cChildren = TLGet(st, di->item.hItem)->textLength == 3 ? 1 : 0;  // "yes" / "no"
    }
    return 0;
  };
  for (const char* text : {"yes", "no"}) {
    TLInsert r = {};
    r.hParent = TLI_ROOT;
    r.hInsertAfter = TLI_FIRST;
    r.ex.item.mask = TLIF_TEXT | TLIF_CHILDREN;
    r.ex.item.pszText = const_cast<char*>(text);
    r.ex.item.cChildren = -1;
    TreeListInsertItem(st, &r);
  }
  EXPECT_EQ(hit(cx, cy), TLHT_ONITEMINDENT);                    // "no"
  EXPECT_EQ(hit(cx, cy + st->rowHeight), TLHT_ONITEMBUTTON);    // "yes"
  EXPECT_EQ(hit(cx, cy + st->rowHeight), TLHT_ONITEMBUTTON);
  EXPECT_EQ(asked, 2);
}

// A button given by cChildren 1 goes with the last child, deleted or moved.
TEST(TreeListCore, LastChildGoneTakesTheButton) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  st->style = 0x7;
  st->linesAtRoot = 1;
  uint32_t parents[2];
  for (uint32_t& p : parents) {
    TLInsert r = {};
    r.hParent = TLI_ROOT;
    r.hInsertAfter = TLI_LAST;
    r.ex.item.mask = TLIF_TEXT | TLIF_CHILDREN;
    r.ex.item.pszText = const_cast<char*>("p");
    r.ex.item.cChildren = 1;
    p = TreeListInsertItem(st, &r);
  }
  auto button = [&](uint32_t p) {
    TLHitTest ht = {{st->indent / 2, (static_cast<int>(TLRowOf(st, TLGet(st, p))) - 1) * st->rowHeight + 2}, 0, 0};
    TreeListHitTest(st, &ht);
    return ht.flags == TLHT_ONITEMBUTTON;
  };
  EXPECT_TRUE(button(parents[0]));
  uint32_t c = Add(st, parents[0], "c");
  TreeListDeleteItem(st, c, 1);
  EXPECT_FALSE(button(parents[0]));
  c = Add(st, parents[1], "c");
  TreeListMove(st, 1, parents[0], c);  // after the first parent, at the root
  EXPECT_FALSE(button(parents[1]));
  EXPECT_EQ(host.Check(), "");
}

// 1,000 random resizes with up to five proportional columns: the widths grow
// by exactly the change, and what is shown is never below the minimum.
TEST(TreeListCore, ProportionalWidthsTakeExactDelta) {
  std::mt19937 rng(99);
  for (int round = 0; round < 20; round++) {
    FakeHost host;
    TreeListState* st = host.st;
    TreeListLock lock(st);
    int n = 2 + static_cast<int>(rng() % 5);
    st->columnCount = static_cast<uint32_t>(n);
    st->clientW = 500;
    for (int c = 0; c < n; c++) {
      TreeListColumn& col = st->columns[c];
      col = TreeListColumn{};
      col.weight = static_cast<uint8_t>(c == 0 ? 0 : 1 + rng() % 9);
      col.width = col.headerWidth = static_cast<int16_t>(40 + rng() % 60);
      col.minWidth = 16;
      col.position = static_cast<uint8_t>(c);
      st->order[c] = static_cast<uint8_t>(c);
    }
    int32_t changed[TL_MAXCOLUMNS];
    for (int i = 0; i < 1000 / 20; i++) {
      int32_t delta = static_cast<int32_t>(rng() % 301) - 150;
      if (st->clientW + delta < 10) delta = 10 - st->clientW;
      int32_t before = 0;
      for (int c = 0; c < n; c++) if (st->columns[c].weight) before += st->columns[c].width;
      st->clientW += delta;
      TreeListSyncWidths(st, delta, changed);
      int32_t after = 0;
      for (int c = 0; c < n; c++) {
        if (!st->columns[c].weight) continue;
        after += st->columns[c].width;
        EXPECT_GE(st->columns[c].headerWidth, st->columns[c].minWidth);
      }
      EXPECT_EQ(after - before, delta);
    }
  }
}

}  // namespace

namespace {

TEST(TreeListCore, SelectionAndExpansionAnswers) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t a = Add(st, TLI_ROOT, "a");
  uint32_t b = Add(st, a, "b");
  uint32_t c = Add(st, b, "c");
  uint32_t d = Add(st, TLI_ROOT, "d");
  // a refused change keeps the old selection and sends no TLN_SELCHANGED
  EXPECT_EQ(TreeListSelectItem(st, d, 0, 0), 1);
  host.parent = [](TLNmHdr* n) -> intptr_t { return static_cast<int>(n->code) == TLN_SELCHANGING; };
  host.codes.clear();
  EXPECT_EQ(TreeListSelectItem(st, a, 0, 0), 0);
  EXPECT_EQ(st->selItem, d);
  EXPECT_EQ(std::count(host.codes.begin(), host.codes.end(), TLN_SELCHANGED), 0);
  host.parent = nullptr;
  // ensure-visible through two collapsed levels expands both and answers 0
  EXPECT_EQ(TreeListEnsureVisible(st, c, 0), 0);
  EXPECT_TRUE(TLRowOf(st, TLGet(st, c)));
  EXPECT_EQ(TreeListEnsureVisible(st, c, 0), 1);
  // expanding an expanded item: both notifications, nothing changes
  host.codes.clear();
  EXPECT_EQ(TreeListExpand(st, a, TLE_EXPAND), 0);
  EXPECT_EQ(host.codes, (std::vector<int>{TLN_ITEMEXPANDING, TLN_ITEMEXPANDED}));
  // a partial expansion expanded again with 0x4000: fully once it was
  // expanded before, partially again when it never was
  const uint32_t partly = TLIS_EXPANDED | TLIS_EXPANDPARTIAL;
  EXPECT_EQ(TreeListExpandMsg(st, TLE_COLLAPSE, b), 1);
  EXPECT_EQ(TreeListExpandMsg(st, TLE_EXPAND | TLE_PARTIAL, b), 1);
  EXPECT_EQ(TLGet(st, b)->state & partly, partly);
  EXPECT_EQ(TreeListExpandMsg(st, TLE_EXPAND | TLE_PARTIAL, b), 1);  // the item changed
  EXPECT_EQ(TLGet(st, b)->state & partly, TLIS_EXPANDED);
  TLGet(st, b)->state = (TLGet(st, b)->state | TLIS_EXPANDPARTIAL) & ~TLIS_EXPANDEDONCE;
  TreeListExpandMsg(st, TLE_EXPAND | TLE_PARTIAL, b);
  EXPECT_EQ(TLGet(st, b)->state & partly, partly);
  // collapsing the parent of the selection selects the parent
  EXPECT_EQ(TreeListSelectItem(st, c, 0, 0), 1);
  EXPECT_EQ(TreeListExpand(st, b, TLE_COLLAPSE), 1);
  EXPECT_EQ(st->selItem, b);
  // a refused scroll stays
  st->options |= TLOPT_SCROLLNOTIFY;
  for (int i = 0; i < 40; i++) Add(st, TLI_ROOT, "x");
  host.parent = [](TLNmHdr* n) -> intptr_t { return static_cast<int>(n->code) == TLN_SCROLL; };
  EXPECT_EQ(TreeListSetVScroll(st, 2, 11), -1);
  EXPECT_EQ(st->firstRow, 0u);
  host.parent = nullptr;
  EXPECT_EQ(TreeListSetVScroll(st, 2, 11), 1);
  EXPECT_EQ(st->firstRow, 2u);
  EXPECT_EQ(host.Check(), "");
}

// Expanding the whole tree asks an item whose children come by callback, and
// keeps the partial flag; once more without it, a partial item opens fully.
TEST(TreeListCore, ExpandAllAsksCallbackChildrenAndKeepsPartial) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  TLInsert r = {};
  r.hParent = TLI_ROOT;
  r.hInsertAfter = TLI_LAST;
  r.ex.item.mask = TLIF_TEXT | TLIF_CHILDREN;
  r.ex.item.pszText = const_cast<char*>("asks");
  r.ex.item.cChildren = -1;
  uint32_t asks = TreeListInsertItem(st, &r);
  uint32_t b = Add(st, TLI_ROOT, "b");
  Add(st, b, "c");
  host.parent = [](TLNmHdr* n) -> intptr_t {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(n);
    if (static_cast<int>(n->code) == TLN_GETDISPINFO && (di->item.mask & TLIF_CHILDREN)) di->item.cChildren = 1;
    return 0;
  };
  const uint32_t partly = TLIS_EXPANDED | TLIS_EXPANDPARTIAL;
  EXPECT_EQ(TreeListExpandMsg(st, TLE_EXPAND | TLE_PARTIAL | TLE_SUBTREE, TLI_ROOT), 1);
  EXPECT_EQ(TLGet(st, asks)->state & partly, partly);
  EXPECT_EQ(TLGet(st, b)->state & partly, partly);
  EXPECT_EQ(TreeListExpandMsg(st, TLE_EXPAND | TLE_SUBTREE, TLI_ROOT), 1);
  EXPECT_EQ(TLGet(st, b)->state & partly, TLIS_EXPANDED);
  EXPECT_EQ(st->shownRows, 3u);
  EXPECT_EQ(host.Check(), "");
}

TEST(TreeListCore, MovesAndNextItemCodes) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t a = Add(st, TLI_ROOT, "a", TLI_LAST, TLIS_EXPANDED);
  uint32_t b = Add(st, a, "b", TLI_LAST, TLIS_EXPANDED);
  uint32_t c = Add(st, b, "c");
  uint32_t d = Add(st, TLI_ROOT, "d");
  uint32_t e = Add(st, TLI_ROOT, "e");
  EXPECT_EQ(TreeListMove(st, 2, c, a), 0);   // under its own grandchild
  EXPECT_EQ(TreeListMove(st, 0, e, d), 1);   // before its own next sibling
  EXPECT_EQ(TreeListMove(st, 2, e, a), 2);   // one level deeper, with its subtree
  EXPECT_EQ(TLGet(st, a)->level, 1u);
  EXPECT_EQ(TLGet(st, c)->level, 3u);
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_PARENT, a), static_cast<intptr_t>(e));
  EXPECT_EQ(host.Check(), "");
  // checked items in tree order
  TLItem s = {};
  s.mask = TLIF_STATE;
  s.stateMask = 0xF000;
  for (uint32_t h : {a, b, c, d, e}) {
    s.hItem = h;
    s.state = (h == c || h == d) ? 0x2000 : 0x1000;
    TreeListSetItem(st, &s);
  }
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_NEXTCHECKED, TLI_ROOT), static_cast<intptr_t>(d));
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_NEXTCHECKED, d), static_cast<intptr_t>(c));
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_NEXTCHECKED, c), 0);
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_CHILDCOUNT | 3, e), static_cast<intptr_t>(a));
  EXPECT_EQ(TreeListGetNextItem(st, TLGN_SELFCOUNT | 3, e), static_cast<intptr_t>(e));
}

// The group modes on a target whose bit 20 is set and bit 4 (bold) clear;
// the high half of the state mask names bit 20.
TEST(TreeListCore, GroupModesCopyAndCompareTheHalves) {
  struct Case {
    uint32_t mode, state, mask;
    int changed;
    uint32_t after;
  } cases[] = {
      {TLIF_GROUPFROMHIGH, 0x00100010, 0x00100010, 1, 0x10},      // bit 20 takes bit 4 (0)
      {TLIF_GROUPFROMLOW, 0, 0x00100000, 1, 0x10},                // bit 4 takes bit 20 (1)
      {TLIF_GROUPIFHIGH, 0x00000010, 0x00100010, 1, 0x00100010},  // bit 4 (0) equals record bit 20 (0)
      {TLIF_GROUPIFHIGH, 0x00100010, 0x00100010, 0, 0x00100000},
      {TLIF_GROUPIFLOW, 0x00100010, 0x00100010, 1, 0x00100010},   // bit 20 equals record bit 20
      {TLIF_GROUPIFLOW, 0x00000010, 0x00100010, 0, 0x00100000},
  };
  for (const Case& c : cases) {
    FakeHost host;
    TreeListState* st = host.st;
    TreeListLock lock(st);
    uint32_t t = Add(st, TLI_ROOT, "t", TLI_LAST, 0x00100000);
    TLItem r = {};
    r.mask = TLIF_STATE | TLIF_SCOPESELF | c.mode;
    r.hItem = t;
    r.state = c.state;
    r.stateMask = c.mask;
    EXPECT_EQ(TreeListSetItemGroup(st, &r), c.changed) << std::hex << c.mode << " " << c.state;
    TreeListRunDeferred(st);
    EXPECT_EQ(TLGet(st, t)->state, c.after) << std::hex << c.mode << " " << c.state;
  }
}

// Single-expand: the new branch opens; the old one closes up to the common
// ancestor unless the parent answers TVNRET_SKIPOLD.
TEST(TreeListCore, SingleExpandKeepsTheOldBranchOnSkipOld) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  st->style |= 0x400;  // TVS_SINGLEEXPAND
  uint32_t p = Add(st, TLI_ROOT, "p", TLI_LAST, TLIS_EXPANDED);
  uint32_t a = Add(st, p, "a");
  uint32_t a1 = Add(st, a, "a1");
  uint32_t b = Add(st, p, "b");
  uint32_t b1 = Add(st, b, "b1");
  EXPECT_EQ(TreeListSelectItem(st, a1, 0, 0), 2);
  EXPECT_TRUE(TLGet(st, a)->state & TLIS_EXPANDED);
  host.parent = [](TLNmHdr* n) -> intptr_t { return static_cast<int>(n->code) == TLN_SINGLEEXPAND ? 1 : 0; };
  EXPECT_EQ(TreeListSelectItem(st, b1, 0, 0), 2);
  EXPECT_TRUE(TLGet(st, a)->state & TLIS_EXPANDED);
  EXPECT_TRUE(TLGet(st, b)->state & TLIS_EXPANDED);
  host.parent = nullptr;
  EXPECT_EQ(TreeListSelectItem(st, a1, 0, 0), 2);
  EXPECT_FALSE(TLGet(st, b)->state & TLIS_EXPANDED);
  EXPECT_TRUE(TLGet(st, p)->state & TLIS_EXPANDED);
  EXPECT_EQ(host.Check(), "");
}

// Count and group set over the scopes self, ancestors and siblings of b in
// p(a, b(c), d), q.
TEST(TreeListCore, CountAndGroupScopes) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t p = Add(st, TLI_ROOT, "p");
  uint32_t a = Add(st, p, "a");
  uint32_t b = Add(st, p, "b");
  Add(st, b, "c");
  uint32_t d = Add(st, p, "d");
  Add(st, TLI_ROOT, "q");
  TLItem r = {};
  r.hItem = b;
  struct { uint32_t scope; int n; } counts[] = {{TLIF_SCOPESELF, 1}, {TLIF_SCOPEANCESTORS, 1},
                                                 {TLIF_SCOPESIBLINGS, 2},
                                                 {TLIF_SCOPESELF | TLIF_SCOPEANCESTORS | TLIF_SCOPESIBLINGS, 4}};
  for (auto& c : counts) {
    r.mask = TLIF_COUNTANY | c.scope;
    EXPECT_EQ(TreeListCountItems(st, &r), c.n) << std::hex << c.scope;
  }
  r.mask = TLIF_STATE | TLIF_SCOPESIBLINGS;
  r.state = r.stateMask = TLIS_BOLD;
  EXPECT_EQ(TreeListSetItemGroup(st, &r), 2);
  TreeListRunDeferred(st);
  EXPECT_TRUE(TLGet(st, a)->state & TLIS_BOLD);
  EXPECT_TRUE(TLGet(st, d)->state & TLIS_BOLD);
  EXPECT_FALSE(TLGet(st, b)->state & TLIS_BOLD);
  r.mask = TLIF_STATE | TLIF_SCOPEANCESTORS;
  EXPECT_EQ(TreeListSetItemGroup(st, &r), 1);
  r.mask = TLIF_STATE | TLIF_SCOPESELF | TLIF_SCOPEANCESTORS | TLIF_SCOPESIBLINGS;
  EXPECT_EQ(TreeListCountItems(st, &r), 3);  // p, a and d are bold, b is not
  EXPECT_EQ(host.Check(), "");
}

TEST(TreeListCore, AnOverlayChangeRepaints) {
  FakeHost host;
  TreeListState* st = host.st;
  TreeListLock lock(st);
  uint32_t a = Add(st, TLI_ROOT, "a");
  int before = host.invalidations;
  TLItem r = {};
  r.mask = TLIF_STATE;
  r.hItem = a;
  r.state = 0x100;
  r.stateMask = 0xF00;
  TreeListSetItem(st, &r);
  EXPECT_GT(host.invalidations, before);
}

}  // namespace
