// The same random insert and delete sequences on the platform's own tree view
// and on the TreeList give the same structure (next-item codes 0 to 4, items
// matched by their data) and the same count.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "tests/treelist/tlharness.h"

namespace {

struct Pair {
  uintptr_t tv, tl;
};

TEST(TreeListDifferential, SameStructureAsSysTreeView32) {
  tltest::Harness h(WS_CHILD);
  HWND tv = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD, 0, 0, 200, 200, h.parent(), nullptr, nullptr, nullptr);
  ASSERT_NE(tv, nullptr);
  std::mt19937 rng(2024);
  for (int round = 0; round < 20; round++) {
    SendMessageA(tv, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    h.Send(TLM_DELETEITEM, 0, TLI_ROOT);
    std::vector<intptr_t> live;  // data of the items present
    std::map<intptr_t, Pair> items;
    intptr_t nextData = 1;
    for (int step = 0; step < 300; step++) {
      unsigned op = rng() % 10;
      if (op < 7 || live.empty()) {
        // parent: the root or an item; place: first, last, after an item (the
        // TVI_ROOT position is the control's own: the end of the root list)
        intptr_t pd = live.empty() || rng() % 3 == 0 ? 0 : live[rng() % live.size()];
        unsigned where = rng() % 3;
        intptr_t ad = live.empty() ? 0 : live[rng() % live.size()];
        TVINSERTSTRUCTA a = {};
        TLInsert b = {};
        a.hParent = pd ? reinterpret_cast<HTREEITEM>(items[pd].tv) : TVI_ROOT;
        b.hParent = pd ? items[pd].tl : TLI_ROOT;
        switch (where) {
          case 0: a.hInsertAfter = TVI_FIRST; b.hInsertAfter = TLI_FIRST; break;
          case 1: a.hInsertAfter = TVI_LAST; b.hInsertAfter = TLI_LAST; break;
          default:
            a.hInsertAfter = ad ? reinterpret_cast<HTREEITEM>(items[ad].tv) : TVI_LAST;
            b.hInsertAfter = ad ? items[ad].tl : TLI_LAST;
            break;
        }
        a.item.mask = b.ex.item.mask = TVIF_TEXT | TVIF_PARAM;
        a.item.pszText = b.ex.item.pszText = const_cast<char*>("x");
        a.item.lParam = b.ex.item.lParam = nextData;
        Pair p;
        p.tv = static_cast<uintptr_t>(SendMessageA(tv, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&a)));
        p.tl = static_cast<uintptr_t>(h.Send(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&b)));
        ASSERT_EQ(p.tv != 0, p.tl != 0) << round << " " << step;
        if (p.tv) {
          items[nextData] = p;
          live.push_back(nextData);
        }
        nextData++;
      } else {
        size_t k = rng() % live.size();
        intptr_t d = live[k];
        SendMessageA(tv, TVM_DELETEITEM, 0, static_cast<LPARAM>(items[d].tv));
        h.Send(TLM_DELETEITEM, 0, items[d].tl);
        // the subtree went too: keep what both still know
        std::vector<intptr_t> keep;
        for (intptr_t x : live) {
          TVITEMA it = {};
          it.mask = TVIF_PARAM;
          it.hItem = reinterpret_cast<HTREEITEM>(items[x].tv);
          bool inTv = x != d && SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
          ASSERT_EQ(inTv, h.Valid(items[x].tl)) << round << " " << step << " item " << x;
          if (inTv) keep.push_back(x);
        }
        live = keep;
      }
    }
    ASSERT_EQ(SendMessageA(tv, TVM_GETCOUNT, 0, 0), h.Send(TLM_GETCOUNT));
    auto dataTv = [&](LRESULT hItem) -> intptr_t {
      if (!hItem) return 0;
      TVITEMA it = {};
      it.mask = TVIF_PARAM;
      it.hItem = reinterpret_cast<HTREEITEM>(hItem);
      SendMessageA(tv, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
      return it.lParam;
    };
    EXPECT_EQ(dataTv(SendMessageA(tv, TVM_GETNEXTITEM, TVGN_ROOT, 0)), h.Data(h.Next(TLGN_ROOT, 0)));
    for (intptr_t x : live) {
      for (UINT code = 1; code <= 4; code++) {
        intptr_t a = dataTv(SendMessageA(tv, TVM_GETNEXTITEM, code, static_cast<LPARAM>(items[x].tv)));
        intptr_t b = h.Data(h.Next(code, items[x].tl));
        ASSERT_EQ(a, b) << "round " << round << " item " << x << " code " << code;
      }
    }
  }
  DestroyWindow(tv);
}

}  // namespace
