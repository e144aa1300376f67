#include "tests/treelist/tlops.h"

#include <string.h>

#include "tests/treelist/fakehost.h"

namespace tltest {

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint32_t Byte() { return n ? (n--, *p++) : 0; }
  uint32_t Word() { return Byte() | (Byte() << 8); }
};

int TL_CALLBACK ByData(intptr_t a, intptr_t b, intptr_t) { return a < b ? -1 : a > b; }
int TL_CALLBACK Wild(intptr_t a, intptr_t b, intptr_t) { return static_cast<int>((a * 31 + b * 17) % 3) - 1; }

}  // namespace

std::string RunOps(const uint8_t* data, size_t size) {
  FakeHost host;
  TreeListState* st = host.st;
  Reader in{data, size};
  int reentry = 0;
  uint32_t parentMode = 0;
  host.parent = [&](TLNmHdr* rec) -> intptr_t {
    if (reentry > 2) return 0;
    reentry++;
    TreeListLock lock(st);
    int code = static_cast<int>(rec->code);
    // only the tree-view records carry the two items
    static TLNmTreeView none;
    bool treeRecord = code == TLN_DELETEITEM || code == TLN_SELCHANGED || code == TLN_SELCHANGING ||
                      code == TLN_ITEMEXPANDING || code == TLN_ITEMEXPANDED;
    TLNmTreeView* tv = treeRecord ? reinterpret_cast<TLNmTreeView*>(rec) : &none;
    intptr_t answer = 0;
    switch (parentMode % 8) {
      case 1:
        if (code == TLN_DELETEITEM || code == TLN_SELCHANGED) TreeListDeleteItem(st, tv->itemOld.hItem, 1);
        break;
      case 2:
        if (code == TLN_DELETEITEM) TreeListDeleteItem(st, TLI_ROOT, 1);
        break;
      case 3:
        // each expand of a subtree doubles it: past 20,000 items the runs
        // would measure the parent's growth, not the control
        if ((code == TLN_ITEMEXPANDING || code == TLN_SELCHANGING) && st->count < 20000) {
          TLInsert r = {};
          r.hParent = tv->itemNew.hItem;
          r.hInsertAfter = TLI_FIRST;
          r.ex.item.mask = TLIF_TEXT;
          r.ex.item.pszText = const_cast<char*>("n");
          TreeListInsertItem(st, &r);
        }
        break;
      case 4:
        if (code == TLN_ITEMEXPANDED || code == TLN_SELCHANGED) TreeListSortChildren(st, 0, TLI_ROOT, 1, nullptr, 0);
        break;
      case 5:
        if (code == TLN_ITEMEXPANDING || code == TLN_SELCHANGING) answer = 1;  // refuse
        break;
      case 6:
        if (code == TLN_ITEMEXPANDING && tv->itemNew.hItem) TreeListDeleteItem(st, tv->itemNew.hItem, 1);
        break;
      case 7:
        if (code == TLN_GETDISPINFO) {
          TLNmDispInfo* di = reinterpret_cast<TLNmDispInfo*>(rec);
          di->item.pszText = (di->item.hItem & 1) ? nullptr : TL_TEXTCALLBACK;
        }
        break;
    }
    reentry--;
    return answer;
  };
  std::vector<uint32_t> handles;
  auto pick = [&](uint32_t v) -> uint32_t {
    if (!st->capacity) return 0;
    uint32_t h = v % (st->capacity + 2);
    return h;
  };
  int steps = 0;
  while (in.n && steps++ < 400) {
    uint32_t op = in.Byte();
    uint32_t a = pick(in.Word()), b = pick(in.Word());
    uint32_t v = in.Byte();
    {
      TreeListLock lock(st);
      switch (op % 16) {
        case 0:
        case 1:
        case 2: {
          TLInsert r = {};
          static const uintptr_t where[] = {TLI_LAST, TLI_FIRST, TLI_SORT, TLI_INDEX + 2, TLI_AFTERPARENT,
                                            TLI_BEFOREPARENT, TLI_SORTCALLBACK, 0};
          r.hParent = (v & 0x80) ? TLI_ROOT : a;
          r.hInsertAfter = where[v % 8] ? where[v % 8] : b;
          r.ex.item.mask = TLIF_TEXT | TLIF_PARAM | TLIF_STATE | ((v & 0x40) ? TLIF_DEFERRED : 0);
          char text[4] = {static_cast<char>('a' + v % 5), static_cast<char>('A' + b % 3), 0, 0};
          r.ex.item.pszText = (v % 11 == 0) ? TL_TEXTCALLBACK : text;
          r.ex.item.lParam = static_cast<intptr_t>(b);
          r.ex.item.state = (v & 1) ? TLIS_EXPANDED : 0;
          r.ex.item.stateMask = TLIS_EXPANDED | ((v & 0x20) ? TLIS_SELECTED : 0);
          if (r.hInsertAfter == TLI_SORTCALLBACK) r.ex.item.hItem = 0;
          TreeListInsertItem(st, &r);
          break;
        }
        case 3: TreeListDeleteItem(st, (v & 7) == 0 ? TLI_ROOT : a, (v & 8) ? TLDEL_CHILDREN : (v & 16) ? 5 : 1); break;
        case 4: TreeListExpand(st, a, v & 3); break;
        case 5: TreeListExpandMsg(st, (v & 3) | ((v & 4) ? TLE_SUBTREE : 0) | ((v & 8) ? TLE_COLLAPSERESET : 0) |
                                          ((v & 16) ? TLE_ANCESTORS : 0), (v & 32) ? TLI_ROOT : a); break;
        case 6: TreeListSelectItem(st, a, 0, v & 0xC000); break;
        case 7: TreeListMove(st, v & 3, (v & 4) ? TLI_ROOT : b, a); break;
        case 8: TreeListSortChildren(st, v % 3, (v & 8) ? TLI_ROOT : a, v & 16,
                                     v % 3 == 2 ? nullptr : reinterpret_cast<const void*>((v & 32) ? &Wild : &ByData), 0);
          break;
        case 9: {
          TLItem r = {};
          r.mask = TLIF_STATE | TLIF_TEXT | ((v & 0x40) ? TLIF_DEFERRED : 0);
          r.hItem = a;
          r.state = (v & 1 ? TLIS_EXPANDED : 0) | (v & 2 ? TLIS_SELECTED : 0) | (v & 4 ? TLIS_HIDDEN : 0);
          r.stateMask = TLIS_EXPANDED | TLIS_SELECTED | TLIS_HIDDEN;
          r.pszText = const_cast<char*>("set");
          TreeListSetItem(st, &r);
          break;
        }
        case 10: TreeListRunDeferred(st); break;
        case 11: {
          TLFind f = {TLFI_TEXT | ((v & 1) ? TLFI_SUBTREE : 0) | ((v & 2) ? TLFI_NOCASE : 0) | ((v & 4) ? TLFI_TESTSTART : 0),
                      0, 0, 0, 0, "aA"};
          for (int i = 0; i < 3; i++) {
            uint32_t got = TreeListFindItem(st, (v & 8) ? TLI_ROOT : a, &f);
            if (got && !TLGet(st, got)) return "find returned a dead item";
            if (!got) break;
            a = got;
          }
          break;
        }
        case 12: st->options ^= (v & 1) ? TLOPT_HIDEITEMS : (v & 2) ? TLOPT_MULTISELECT : 0;
          TreeListLayoutRows(st, 0);
          break;
        case 13: TreeListSetVScroll(st, static_cast<int32_t>(v), 1); break;
        case 14: {
          TLHitTest ht = {{static_cast<int32_t>(v), static_cast<int32_t>(b % 200)}, 0, 0};
          uint32_t got = TreeListHitTest(st, &ht);
          if (got && !TLGet(st, got)) return "hit test returned a dead item";
          break;
        }
        case 15:
          parentMode = v;
          if (v & 0x80) TreeListSelectAll(st, TLI_ROOT, v & 3);
          break;
      }
      if (st->deferHead && (op & 0x80)) TreeListRunDeferred(st);
      if (!st->deferHead) {
        std::string err = host.Check();
        if (!err.empty()) return err + " after op " + std::to_string(op % 16) + " step " + std::to_string(steps);
      }
    }
  }
  {
    TreeListLock lock(st);
    TreeListRunDeferred(st);
    std::string err = host.Check();
    if (!err.empty()) return err + " at the end";
  }
  return "";
}

}  // namespace tltest
