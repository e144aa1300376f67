// Sorting children by text, by the tree-view callback and by the extended
// callback. The keys are copied under the lock; the comparisons run with the
// lock left and the busy flag set.
#include <stdlib.h>
#include <string.h>
#include <vector>

#include "treelist/tlstate.h"

bool TLWaitNotBusy(TreeListState* st);

int TreeListStricmp(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  for (;;) {
    int c = *x++, d = *y++;
    if (c >= 'A' && c <= 'Z') c += 32;
    if (d >= 'A' && d <= 'Z') d += 32;
    if (c != d || !c) return c - d;
  }
}

namespace {

struct Entry {
  uint32_t handle;
  intptr_t data;
  char* key;
};

struct Sorter {
  int kind;
  const void* compare;
  intptr_t value;
  uintptr_t hwnd;
  int Cmp(const Entry& a, const Entry& b) const {
    switch (kind) {
      case 0: return TreeListStricmp(a.key, b.key);
      case 1: return reinterpret_cast<TLSortCompare>(const_cast<void*>(compare))(a.data, b.data, value);
      default:
        return reinterpret_cast<TLSortCompareEx>(const_cast<void*>(compare))(hwnd, a.handle, b.handle, a.data, b.data,
                                                                              value);
    }
  }
};

// Iterative quicksort: middle pivot, scans that stop on equal keys and never
// leave the range, the smaller part first and the larger one on a stack.
// Only swaps move entries, so an inconsistent compare loses nothing.
void QuickSort(Entry* e, size_t n, const Sorter& s) {
  struct Range { size_t lo, hi; };
  std::vector<Range> stack;
  stack.push_back({0, n});
  while (!stack.empty()) {
    Range r = stack.back();
    stack.pop_back();
    while (r.hi - r.lo > 1) {
      size_t lo = r.lo, hi = r.hi;
      if (hi - lo == 2) {
        if (s.Cmp(e[lo], e[lo + 1]) > 0) std::swap(e[lo], e[lo + 1]);
        break;
      }
      std::swap(e[lo], e[lo + (hi - lo) / 2]);
      const Entry pivot = e[lo];
      size_t i = lo + 1, j = hi - 1;
      for (;;) {
        while (i <= j && s.Cmp(e[i], pivot) < 0) i++;
        while (j >= i && s.Cmp(e[j], pivot) > 0) j--;
        if (i >= j) break;
        std::swap(e[i], e[j]);
        i++;
        j--;
      }
      // e[lo+1..j] <= pivot, e[j+1..hi-1] >= pivot (as far as the compare is consistent)
      if (j >= hi) j = hi - 1;
      std::swap(e[lo], e[j]);
      size_t leftLo = lo, leftHi = j, rightLo = j + 1, rightHi = hi;
      if (leftHi - leftLo < rightHi - rightLo) {
        stack.push_back({rightLo, rightHi});
        r = {leftLo, leftHi};
      } else {
        stack.push_back({leftLo, leftHi});
        r = {rightLo, rightHi};
      }
    }
  }
}

}  // namespace

// True when the stored texts of a child list are already in order: such a
// list is kept as it is (equal keys too), without copying keys or calling out.
static bool StoredTextsInOrder(TreeListState* st, uint32_t first) {
  const TreeListItem* a = TLGet(st, first);
  if (a->cbFlags & TLCB_TEXT) return false;
  for (const TreeListItem* b = TLGet(st, a->next); b; a = b, b = TLGet(st, b->next)) {
    if (b->cbFlags & TLCB_TEXT) return false;
    if (TreeListStricmp(a->text ? a->text : "", b->text ? b->text : "") > 0) return false;
  }
  return true;
}

// Sorts one parent's children; false when the parent is gone. *moved tells
// whether the order changed: a parent that sorts in every notification must
// not cost a relayout each time.
struct SortRun {
  bool moved;       // an order changed
  uint32_t relinks; // child lists relinked
  std::vector<uint32_t> asked;  // parents of lists whose keys came from the parent
};

static bool SortOne(TreeListState* st, uint32_t parent, const Sorter& s, SortRun* run) {
  TreeListItem* p = TLGet(st, parent);
  if (parent && !p) return false;
  uint32_t first = p ? p->firstChild : st->firstRoot;
  if (!first || first == (p ? p->lastChild : st->lastRoot)) return true;
  if (s.kind == 0 && StoredTextsInOrder(st, first)) return true;
  std::vector<Entry> e;
  bool asks = false;
  for (uint32_t c = first; c; c = TLGet(st, c)->next) {
    e.push_back({c, TLGet(st, c)->data, nullptr});
    if (TLGet(st, c)->cbFlags & TLCB_TEXT) asks = true;
  }
  if (asks) run->asked.push_back(parent);
  if (s.kind == 0) {
    for (Entry& x : e) {
      uint32_t len = 0;
      const char* t = TreeListItemText(st, x.handle, 0, &len);
      x.key = static_cast<char*>(malloc(len + 1));
      if (x.key) {
        memcpy(x.key, t, len);
        x.key[len] = 0;
      }
      if (st->dead) break;
    }
    for (Entry& x : e) {
      if (!x.key) {
        for (Entry& y : e) free(y.key);
        return false;
      }
    }
  }
  st->busy = 1;
  st->busyThread = st->host->HostThreadId();
  {
    TreeListUnlocked out(st);
    size_t i = 1;
    while (i < e.size() && s.Cmp(e[i - 1], e[i]) <= 0) i++;
    if (i < e.size()) QuickSort(e.data(), e.size(), s);
  }
  st->busy = 0;
  for (Entry& x : e) free(x.key);
  if (st->dead) return false;
  // the children cannot change while busy; check all the same
  p = TLGet(st, parent);
  if (parent && !p) return false;
  size_t n = 0;
  for (uint32_t c = p ? p->firstChild : st->firstRoot; c; c = TLGet(st, c)->next) n++;
  if (n != e.size()) return false;
  for (const Entry& x : e) {
    TreeListItem* xi = TLGet(st, x.handle);
    if (!xi || xi->parent != parent) return false;
  }
  size_t same = 0;
  for (uint32_t c = p ? p->firstChild : st->firstRoot; same < e.size() && c == e[same].handle; c = TLGet(st, c)->next)
    same++;
  if (same == e.size()) return true;
  run->moved = true;
  run->relinks++;
  st->structGen++;
  for (size_t i = 0; i < e.size(); i++) {
    TreeListItem* xi = TLGet(st, e[i].handle);
    xi->prev = i ? e[i - 1].handle : 0;
    xi->next = i + 1 < e.size() ? e[i + 1].handle : 0;
  }
  if (p) {
    p->firstChild = e.front().handle;
    p->lastChild = e.back().handle;
  } else {
    st->firstRoot = e.front().handle;
    st->lastRoot = e.back().handle;
  }
  return true;
}

int TreeListSortChildren(TreeListState* st, int kind, uintptr_t parent, int recursive, const void* compare,
                         intptr_t value) {
  if (st->busy && st->busyThread == st->host->HostThreadId()) return 0;
  if (!TLWaitNotBusy(st)) return 0;
  uint32_t p = parent == TLI_ROOT || parent == 0 ? 0 : static_cast<uint32_t>(parent);
  if (p && !TLGet(st, p)) return 0;
  if (kind != 0 && !compare) return 0;
  Sorter s{kind, compare, value, st->host->HostWindow()};
  SortRun run = {false, 0, {}};
  // a parent that sorts the whole tree in every notification: while no link
  // and no text changed since the last such sort, only the lists with texts
  // by callback are sorted again
  bool wholeTree = recursive && !p && kind == 0;
  bool known = wholeTree && st->sortedKnown && st->sortedStructGen == st->structGen && st->sortedTextGen == st->textGen;
  uint32_t textGen = st->textGen, structGen = st->structGen;
  if (known) {
    std::vector<uint32_t> lists(st->sortedAsk, st->sortedAsk + st->sortedAskCount);
    for (uint32_t x : lists) {
      if (x && !TLGet(st, x)) continue;
      SortOne(st, x, s, &run);
      if (st->dead) return 0;
    }
  } else {
    if (recursive) {
      // every parent in the subtree, deepest sorted first does not matter:
      // each sort touches only its own child list
      std::vector<uint32_t> parents;
      uint32_t first = p ? TLGet(st, p)->firstChild : st->firstRoot;
      uint32_t end = p ? TLNextInTree(st, p, false) : 0;
      for (uint32_t x = first; x && x != end; x = TLNextInTree(st, x, true)) {
        TreeListItem* xi = TLGet(st, x);
        if (xi->firstChild != xi->lastChild) parents.push_back(x);
      }
      for (uint32_t x : parents) {
        if (!TLGet(st, x)) continue;
        SortOne(st, x, s, &run);
        if (st->dead) return 0;
      }
    }
    if (!SortOne(st, p, s, &run)) return 0;
  }
  if (wholeTree) {
    // valid only when the parent changed nothing while it was asked
    st->sortedKnown = st->textGen == textGen && st->structGen - structGen == run.relinks;
    if (st->sortedKnown && !known) {
      uint32_t* ask = static_cast<uint32_t*>(realloc(st->sortedAsk, (run.asked.size() + 1) * sizeof(uint32_t)));
      if (ask) {
        st->sortedAsk = ask;
        st->sortedAskCount = static_cast<uint32_t>(run.asked.size());
        for (size_t i = 0; i < run.asked.size(); i++) ask[i] = run.asked[i];
      } else {
        st->sortedKnown = 0;
      }
    }
    st->sortedStructGen = st->structGen;
    st->sortedTextGen = st->textGen;
  }
  TreeListItem* pi = TLGet(st, p);
  // an order that did not change needs no new rows
  if (run.moved && (!p || ((pi->state & TLIS_EXPANDED) && TLRowOf(st, pi)))) {
    TreeListLayoutRows(st, p);
    TreeListInvalidateAll(st);
  }
  if ((st->style & 0x20u) && (st->caretItem || st->selItem)) TreeListEnsureVisible(st, TLI_CARET, -1);
  return 1;
}
