// The item store and its notifications on a real TreeList window.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/treelist/tlharness.h"
#include "treelist/tlstate.h"

using tltest::Harness;

namespace {

TEST(TreeListStore, HandlesGoRoundAndGrowKeepsThem) {
  Harness h;
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(h.Send(TLM_DELETEITEM, 0, a), 1);
  EXPECT_EQ(h.Insert(TLI_ROOT, "b"), 2u);
  std::vector<uintptr_t> items;
  for (int i = 0; i < 100; i++) items.push_back(h.Insert(TLI_ROOT, std::to_string(i).c_str(), TLI_LAST, i));
  for (int i = 0; i < 100; i++) {
    EXPECT_EQ(h.Data(items[i]), i);
    EXPECT_EQ(h.Text(items[i]), std::to_string(i));
  }
  EXPECT_EQ(h.Send(TLM_GETCOUNT), 101);
  EXPECT_EQ(h.Send(TLM_GETROWCOUNT), 101);
}

TEST(TreeListStore, InsertPositions) {
  Harness h;
  uintptr_t A = h.Insert(TLI_ROOT, "A", TLI_SORT);
  uintptr_t C = h.Insert(TLI_ROOT, "C", TLI_SORT);
  h.Insert(TLI_ROOT, "b", TLI_SORT);
  EXPECT_EQ(h.Shape(), "A,b,C");
  h.Insert(TLI_ROOT, "c", TLI_SORT);  // equal to a sibling: before it
  EXPECT_EQ(h.Shape(), "A,b,c,C");
  h.Insert(TLI_ROOT, "first", TLI_INDEX + 0);
  h.Insert(TLI_ROOT, "last", TLI_INDEX + 1000);
  EXPECT_EQ(h.Shape(), "first,A,b,c,C,last");
  uintptr_t k = h.Insert(A, "k");
  h.Insert(C, "x", k);  // k is no child of C: appended
  h.Insert(C, "y", TLI_FIRST);
  EXPECT_EQ(h.Shape(C), "y,x");
  // before and after the item given as parent
  h.Insert(k, "beforeK", TLI_BEFOREPARENT);
  h.Insert(k, "afterK", TLI_AFTERPARENT);
  EXPECT_EQ(h.Shape(A), "beforeK,k,afterK");
  EXPECT_EQ(h.Insert(12345, "bad parent"), 0u);
}

int g_compares = 0;
int TL_CALLBACK CountedCompare(uintptr_t, TLHandle, const char* sib, const char* now, intptr_t, intptr_t) {
  g_compares++;
  return strcmp(now, sib);
}

uintptr_t InsertByCallback(Harness& h, uintptr_t parent, const char* text) {
  TLInsert r = {};
  r.hParent = parent;
  r.hInsertAfter = TLI_SORTCALLBACK;
  r.ex.item.mask = TLIF_TEXT;
  r.ex.item.hItem = reinterpret_cast<TLHandle>(&CountedCompare);
  r.ex.item.pszText = const_cast<char*>(text);
  return static_cast<uintptr_t>(h.Send(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

// A folder of thousands of subfolders arrives sorted: one compare a key, no
// walk over the siblings; keys out of order still find their place.
TEST(TreeListStore, SortedInsertsInOrderAndOut) {
  Harness h;
  uintptr_t p = h.Insert(TLI_ROOT, "p");
  const int n = 4000;
  char t[16];
  g_compares = 0;
  for (int i = 0; i < n; i++) {
    snprintf(t, sizeof t, "k%05d", i * 2);
    ASSERT_NE(InsertByCallback(h, p, t), 0u);
  }
  EXPECT_EQ(g_compares, n - 1);
  for (int i = 20; i >= 0; i--) {
    snprintf(t, sizeof t, "k%05d", i * 2 + 1);
    ASSERT_NE(InsertByCallback(h, p, t), 0u);
  }
  InsertByCallback(h, p, "a");
  InsertByCallback(h, p, "k00000");  // equal to the first: before it
  std::vector<std::string> got;
  for (uintptr_t c = h.Next(TLGN_CHILD, p); c; c = h.Next(TLGN_NEXT, c)) got.push_back(h.Text(c));
  ASSERT_EQ(got.size(), static_cast<size_t>(n + 23));
  EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
  EXPECT_EQ(got[0], "a");
  EXPECT_EQ(got[3], "k00001");
}

TEST(TreeListStore, TextsAreCutAtTheLengthField) {
  Harness h;
  std::string big(70000, 'x');
  uintptr_t a = h.Insert(TLI_ROOT, big.c_str());
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_TEXTPOINTER;
  it.hItem = a;
  ASSERT_EQ(h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)), 1);
  EXPECT_EQ(it.cchTextMax, 65536);
  EXPECT_EQ(strlen(it.pszText), 65535u);
  std::string exact(65535, 'y');
  TLItem set = {};
  set.mask = TLIF_TEXT;
  set.hItem = a;
  set.pszText = const_cast<char*>(exact.c_str());
  EXPECT_EQ(h.Send(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&set)), 1);
  ASSERT_EQ(h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)), 1);
  EXPECT_EQ(std::string(it.pszText), exact);
  // a small buffer gets the start and a terminator
  char four[4] = {'z', 'z', 'z', 'z'};
  TLItem g = {};
  g.mask = TLIF_TEXT;
  g.hItem = a;
  g.pszText = four;
  g.cchTextMax = 4;
  h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&g));
  EXPECT_STREQ(four, "yyy");
}

// Callback texts: a null or -1 answer is empty; an unterminated or huge answer
// is cut, never read beyond its limit.
TEST(TreeListStore, HostileDisplayTexts) {
  Harness h;
  static std::string huge(70000, 'h');
  static char unterminated[300];
  memset(unterminated, 'u', sizeof(unterminated));
  int mode = 0;
  h.On(TLN_GETDISPINFO, [&](NMHDR* nm) -> LRESULT {
    TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(nm);
    if (mode == 0) di->item.pszText = nullptr;
    if (mode == 1) di->item.pszText = TL_TEXTCALLBACK;
    if (mode == 2) memset(di->item.pszText, 'w', 260);  // fills the control's buffer without a zero
    if (mode == 3) di->item.pszText = const_cast<char*>(huge.c_str());
    return 0;
  });
  TLInsert r = {};
  r.hParent = TLI_ROOT;
  r.hInsertAfter = TLI_LAST;
  r.ex.item.mask = TLIF_TEXT;
  r.ex.item.pszText = TL_TEXTCALLBACK;
  uintptr_t a = h.Send(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
  TLFind f = {TLFI_TEXT, 0, 0, 0, 0, ""};
  for (mode = 0; mode < 2; mode++) EXPECT_EQ(h.Send(TLM_FINDITEM, a, reinterpret_cast<LPARAM>(&f)), (LRESULT)a) << mode;
  mode = 2;
  std::string w259(259, 'w');
  f.text = w259.c_str();
  EXPECT_EQ(h.Send(TLM_FINDITEM, a, reinterpret_cast<LPARAM>(&f)), (LRESULT)a);
  mode = 3;
  std::string h65535(65535, 'h');
  f.text = h65535.c_str();
  EXPECT_EQ(h.Send(TLM_FINDITEM, a, reinterpret_cast<LPARAM>(&f)), (LRESULT)a);
  // and painting with each answer survives
  for (mode = 0; mode < 4; mode++) {
    InvalidateRect(h.tl(), nullptr, FALSE);
    UpdateWindow(h.tl());
  }
}

TEST(TreeListStore, DeletingTheSelectionNotifiesFirst) {
  Harness h;
  uintptr_t p = h.Insert(TLI_ROOT, "p");
  uintptr_t c = h.Insert(p, "c", TLI_LAST, 7);
  h.Send(TLM_EXPAND, TLE_EXPAND, p);
  ASSERT_EQ(h.Send(TLM_SELECTITEM, TVGN_CARET, c), 1);
  h.Clear();
  EXPECT_EQ(h.Send(TLM_DELETEITEM, 0, c), 1);
  ASSERT_EQ(h.notes.size(), 2u);
  EXPECT_EQ(h.notes[0].code, TLN_SELCHANGED);
  EXPECT_EQ(h.notes[0].oldItem, c);
  EXPECT_EQ(h.notes[0].oldData, 7);
  EXPECT_EQ(h.notes[0].newItem, 0u);
  EXPECT_EQ(h.notes[1].code, TLN_DELETEITEM);
  EXPECT_EQ(h.Next(TLGN_CARET, 0), 0u);
  // the last child gone, the parent has no button
  TLItem it = {};
  it.mask = TLIF_CHILDREN;
  it.hItem = p;
  h.Send(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.cChildren, 0);
  TLHitTest ht = {};
  RECT r = {static_cast<LONG>(p), 0, 0, 0};
  h.Send(TLM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  ht.pt.x = 19 / 2;
  ht.pt.y = (r.top + r.bottom) / 2;
  h.Send(TLM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
  EXPECT_EQ(ht.flags, TLHT_ONITEMINDENT);
}

// Whatever the parent deletes inside the notifications, every item gets
// exactly one TLN_DELETEITEM.
TEST(TreeListStore, OneDeleteNotificationPerItem) {
  for (int scenario = 0; scenario < 4; scenario++) {
    Harness h;
    std::vector<uintptr_t> all;
    uintptr_t root = h.Insert(TLI_ROOT, "root");
    all.push_back(root);
    for (int i = 0; i < 5; i++) {
      uintptr_t c = h.Insert(root, "c");
      all.push_back(c);
      for (int j = 0; j < 3; j++) all.push_back(h.Insert(c, "g"));
    }
    uintptr_t other = h.Insert(TLI_ROOT, "other");
    all.push_back(other);
    h.Send(TLM_EXPAND, TLE_EXPAND | TLE_SUBTREE, TLI_ROOT);
    h.Send(TLM_SELECTITEM, TVGN_CARET, all[3]);
    bool busy = false;
    h.On(TLN_SELCHANGED, [&](NMHDR* nm) -> LRESULT {
      TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(nm);
      if (scenario == 0 && tv->itemOld.hItem && !busy) {
        busy = true;
        h.Send(TLM_DELETEITEM, 0, tv->itemOld.hItem);  // the item itself, from the first notification
        busy = false;
      }
      return 0;
    });
    h.On(TLN_DELETEITEM, [&](NMHDR* nm) -> LRESULT {
      TLNmTreeView* tv = reinterpret_cast<TLNmTreeView*>(nm);
      if (busy) return 0;
      busy = true;
      if (scenario == 1) h.Send(TLM_DELETEITEM, 0, TLI_ROOT);  // everything
      if (scenario == 2) h.Send(TLM_DELETEITEM, 0, h.Next(TLGN_PARENT, tv->itemOld.hItem));  // its parent
      if (scenario == 3) h.Insert(TLI_ROOT, "late");  // inserts meanwhile
      busy = false;
      return 0;
    });
    h.Clear();
    h.Send(TLM_DELETEITEM, 0, root);
    std::map<uintptr_t, int> seen;
    for (auto& n : h.notes)
      if (n.code == TLN_DELETEITEM) seen[n.oldItem]++;
    for (auto& s : seen) EXPECT_EQ(s.second, 1) << "scenario " << scenario << " item " << s.first;
    for (size_t i = 0; i + 1 < all.size(); i++) EXPECT_FALSE(h.Valid(all[i])) << scenario;
    EXPECT_EQ(static_cast<uint32_t>(h.Send(TLM_GETROWCOUNT)), static_cast<uint32_t>(h.Send(TLM_GETCOUNT)))
        << scenario;
  }
}

// While the window goes, the parent still reads the items it is told of;
// changes are refused.
TEST(TreeListStore, ReadsAnsweredWhileTheWindowGoes) {
  Harness h;
  h.Insert(TLI_ROOT, "erste", TLI_LAST, 42);
  std::string text;
  intptr_t data = 0, inserted = -1;
  h.On(TLN_DELETEITEM, [&](NMHDR* nm) -> LRESULT {
    uintptr_t item = reinterpret_cast<TLNmTreeView*>(nm)->itemOld.hItem;
    text = h.Text(item);
    data = h.Data(item);
    inserted = static_cast<intptr_t>(h.Insert(TLI_ROOT, "spaet"));
    return 0;
  });
  DestroyWindow(h.tl());
  EXPECT_EQ(text, "erste");
  EXPECT_EQ(data, 42);
  EXPECT_EQ(inserted, 0);
}

// The delete selectors: children only (0x88), the roots after the frozen
// rows; and the counting scopes self, ancestors and siblings.
TEST(TreeListStore, DeleteSelectorsAndCountScopes) {
  Harness h;
  uintptr_t r[4];
  for (int i = 0; i < 4; i++) r[i] = h.Insert(TLI_ROOT, std::to_string(i).c_str());
  uintptr_t c = h.Insert(r[1], "c");
  uintptr_t g = h.Insert(c, "g");
  h.Insert(c, "g2");
  TLItem n = {};
  n.mask = TLIF_COUNTANY | TLIF_SCOPESELF | TLIF_SCOPEANCESTORS;
  n.hItem = g;
  EXPECT_EQ(h.Send(TLM_COUNTITEMS, 0, reinterpret_cast<LPARAM>(&n)), 3);  // g, c, r1
  n.mask = TLIF_COUNTANY | TLIF_SCOPESIBLINGS;
  n.hItem = r[2];
  EXPECT_EQ(h.Send(TLM_COUNTITEMS, 0, reinterpret_cast<LPARAM>(&n)), 3);
  EXPECT_EQ(h.Send(TLM_DELETEITEM, 0x88, c), 1);
  EXPECT_TRUE(h.Valid(c));
  EXPECT_FALSE(h.Valid(g));
  h.Send(TLM_PROPERTY, TLPROP_FROZENROWS | TLPROP_SET, 2);
  EXPECT_EQ(h.Send(TLM_DELETEITEM, 0, TLI_UNFROZEN), 1);
  EXPECT_EQ(h.Shape(), "0,1(c)");
  EXPECT_EQ(h.Send(TLM_GETROWCOUNT), 2);
}

// Own colours on column 255 reach every column; flag 2 repaints only when
// the queue runs.
TEST(TreeListStore, OwnColoursOnEveryColumnAndLater) {
  Harness h(WS_CHILD | WS_VISIBLE, 300, 200, 0, true);
  TLColumnDesc d = {};
  d.mask = TLCF_WIDTH;
  d.cx = 90;
  for (int c = 0; c < 3; c++) h.Send(TLM_INSERTCOLUMN, c, reinterpret_cast<LPARAM>(&d));
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  h.Send(TLM_SETITEMBKCOLOR, a | (255u << 24), 0x0000FF);
  EXPECT_EQ(h.Send(TLM_GETITEMBKCOLOR, a, 0), 0x0000FF);
  EXPECT_EQ(h.Send(TLM_GETITEMBKCOLOR, a, 2), 0x0000FF);
  tltest::Pump(20);
  UpdateWindow(h.tl());
  TLColorRec later = {TLC_DEFERRED, 1, {0, 0}, 0xFF0000};
  EXPECT_EQ(h.Send(TLM_SETCOLOR, a, reinterpret_cast<LPARAM>(&later)), 0x0000FF);
  EXPECT_FALSE(GetUpdateRect(h.tl(), nullptr, FALSE));
  h.Send(TLM_RUNDEFERRED);
  EXPECT_TRUE(GetUpdateRect(h.tl(), nullptr, FALSE));
  // a text colour on one cell repaints that column only
  UpdateWindow(h.tl());
  h.Send(TLM_SETITEMTEXTCOLOR, a | (1u << 24), 0x00FF00);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(h.tl(), &u, FALSE));
  EXPECT_EQ(u.left, 90);
  EXPECT_EQ(u.right, 180);
  // nothing is repainted while redrawing is off; on again, everything is,
  // and the vertical bar learns the rows added meanwhile
  for (int i = 0; i < 29; i++) h.Insert(TLI_ROOT, "x");
  tltest::Pump(20);
  UpdateWindow(h.tl());
  h.Send(WM_SETREDRAW, FALSE);
  h.Insert(TLI_ROOT, "x");
  EXPECT_FALSE(GetUpdateRect(h.tl(), nullptr, FALSE));
  h.Send(WM_SETREDRAW, TRUE);
  ASSERT_TRUE(GetUpdateRect(h.tl(), &u, FALSE));
  RECT rc;
  GetClientRect(h.tl(), &rc);
  EXPECT_EQ(u.right - u.left, rc.right);
  EXPECT_EQ(u.bottom, rc.bottom);
  SCROLLINFO si = {sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(h.tl(), SB_VERT, &si));
  EXPECT_EQ(si.nMax, 31);
}

TEST(TreeListStore, ExtraSizeAndData) {
  Harness h;
  EXPECT_EQ(h.Send(TLM_SETEXTRASIZE, 0, 24), 24);
  uintptr_t a = h.Insert(TLI_ROOT, "a");
  unsigned char* extra = reinterpret_cast<unsigned char*>(h.Send(TLM_GETEXTRADATA, 0, a));
  ASSERT_NE(extra, nullptr);
  for (int i = 0; i < 24; i++) EXPECT_EQ(extra[i], 0);
  EXPECT_EQ(h.Send(TLM_SETEXTRASIZE, 0, 8), 0);
  EXPECT_EQ(h.Send(TLM_GETEXTRASIZE), 24);
  EXPECT_EQ(h.Send(TLM_SETEXTRASIZE, 0, -1), -1);
  EXPECT_EQ(h.Send(TLM_SETEXTRASIZE, 0, 0x1000001), -1);
  EXPECT_EQ(h.Send(TLM_SETITEMDATA, 99, a), 1);
  EXPECT_EQ(h.Data(a), 99);
  EXPECT_EQ(h.Send(TLM_SETITEMDATA, 1, 777), 0);
}

TEST(TreeListStore, MessageLimits) {
  Harness h;
  EXPECT_EQ(h.Send(TLM_SETINDENT, 2), 19);
  EXPECT_EQ(h.Send(TLM_GETINDENT), 5);
  h.Send(TLM_SETINDENT, 100);
  EXPECT_EQ(h.Send(TLM_GETINDENT), 64);
  h.Send(TLM_SETITEMHEIGHT, 17);
  EXPECT_EQ(h.Send(TLM_GETITEMHEIGHT), 16);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_ODDHEIGHTS, TLOPT_ODDHEIGHTS);
  h.Send(TLM_SETITEMHEIGHT, 17);
  EXPECT_EQ(h.Send(TLM_GETITEMHEIGHT), 17);
  h.Send(TLM_SETITEMHEIGHT, 0);
  EXPECT_EQ(h.Send(TLM_GETITEMHEIGHT), 1);
  h.Send(TLM_SETITEMHEIGHT, 300);
  EXPECT_EQ(h.Send(TLM_GETITEMHEIGHT), 256);
  EXPECT_EQ(h.Send(TLM_SETITEMHEIGHT, static_cast<WPARAM>(-1)), 256);
  EXPECT_LT(h.Send(TLM_GETITEMHEIGHT), 256);
  // colour slots
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(h.Send(TLM_SETBKCOLOR, 3, 0x123456), (LRESULT)face);
  EXPECT_EQ(h.Send(TLM_GETBKCOLOR, 3), 0x123456);
  EXPECT_EQ(h.Send(TLM_GETBKCOLOR, 0), (LRESULT)GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(h.Send(TLM_SETBKCOLOR, 3, -1), 0x123456);
  EXPECT_EQ(h.Send(TLM_GETBKCOLOR, 3), (LRESULT)face);
  EXPECT_EQ(h.Send(TLM_GETBKCOLOR, 18), -1);
  // the direct-call address with or without the set bit
  EXPECT_EQ(h.Send(TLM_PROPERTY, TLPROP_WNDPROC), reinterpret_cast<LRESULT>(&TreeListWndProc));
  EXPECT_EQ(h.Send(TLM_PROPERTY, TLPROP_WNDPROC | TLPROP_SET, 5), reinterpret_cast<LRESULT>(&TreeListWndProc));
  // the dialog code without a message
  EXPECT_EQ(h.Send(WM_GETDLGCODE, 0, 0), 0x81);
  MSG m = {};
  m.message = WM_KEYDOWN;
  m.wParam = VK_RETURN;
  EXPECT_EQ(h.Send(WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&m)) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
  EXPECT_EQ(h.Send(TLM_GETIMAGELIST, 1), 0);
  EXPECT_EQ(TreeListRegisterClass(GetModuleHandleA(nullptr)), 1);
  // a kept vertical bar shows with two rows, and goes again without the option
  h.Insert(TLI_ROOT, "a");
  h.Insert(TLI_ROOT, "b");
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_KEEPVSCROLL, TLOPT_KEEPVSCROLL);
  EXPECT_TRUE(GetWindowLongA(h.tl(), GWL_STYLE) & WS_VSCROLL);
  h.Send(TLM_SETEXTENDEDSTYLE, TLOPT_KEEPVSCROLL, 0);
  EXPECT_FALSE(GetWindowLongA(h.tl(), GWL_STYLE) & WS_VSCROLL);
}

TEST(TreeListStore, ImageListReturnsNoDestroyedList) {
  Harness h;
  HIMAGELIST a = ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
  HIMAGELIST b = ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
  EXPECT_EQ(h.Send(TLM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(a)), 0);
  // a was owned: destroyed on replacement, so it is not handed back
  EXPECT_EQ(h.Send(TLM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(b)), 0);
  HIMAGELIST c = ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
  h.Send(TLM_SETIMAGELIST, TVSIL_NORMAL | 0x40000000, reinterpret_cast<LPARAM>(c));
  EXPECT_EQ(h.Send(TLM_SETIMAGELIST, TVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(c));  // not owned: given back
  ImageList_Destroy(c);
  // the built-in check boxes are a marker, never a list
  Harness k(WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES);
  EXPECT_NE(k.Send(TLM_GETIMAGELIST, TVSIL_STATE), 0);
  EXPECT_EQ(k.Send(TLM_SETIMAGELIST, TVSIL_STATE, 0), 0);
}

TEST(TreeListStore, CaseFoldingMatchesTheRuntime) {
  HMODULE crt = LoadLibraryA("msvcrt.dll");
  ASSERT_NE(crt, nullptr);
  typedef int(__cdecl * Stricmp)(const char*, const char*);
  Stricmp stricmp = reinterpret_cast<Stricmp>(reinterpret_cast<void (*)()>(GetProcAddress(crt, "_stricmp")));
  ASSERT_NE(stricmp, nullptr);
  // TVI_SORT and find fold case as the runtime's _stricmp: every byte pair
  int mismatches = 0;
  for (int a = 1; a < 256; a++) {
    for (int b = 1; b < 256; b++) {
      char x[2] = {static_cast<char>(a), 0}, y[2] = {static_cast<char>(b), 0};
      int r = stricmp(x, y);
      int ours = TreeListStricmp(x, y);
      // equality for every pair; the order where both bytes are ASCII (Wine's
      // runtime orders bytes above 127 as signed, Windows' as unsigned)
      if ((r == 0) != (ours == 0) || (a < 128 && b < 128 && (r < 0) != (ours < 0))) mismatches++;
      if (a >= 128 && b >= 128 && (r < 0) != (ours < 0)) mismatches++;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
