// The item store: handles and growth, insert at every position, delete with
// its modes and special handles, the busy flag, and the state's lifetime.
#include <new>
#include <stdlib.h>
#include <string.h>

#include "treelist/tlstate.h"

TreeListState* TreeListCreateState(TreeListHost* host) {
  void* mem = calloc(1, sizeof(TreeListState));
  if (!mem) return nullptr;
  TreeListState* st = static_cast<TreeListState*>(mem);
  new (&st->refs) std::atomic<int>(1);
  st->host = host;
  st->items = static_cast<TreeListItem**>(calloc(1, sizeof(TreeListItem*)));
  st->rows = static_cast<uint32_t*>(calloc(1, sizeof(uint32_t)));
  if (!st->items || !st->rows) {
    free(st->items);
    free(st->rows);
    free(st);
    return nullptr;
  }
  st->indent = 19;
  st->rowHeight = 16;
  st->paintWord = 1;
  st->scrollMargin = 3;
  st->expandedOffset = 1;
  st->enabled = 1;
  st->columnCount = 0;
  st->columns[0].minWidth = 16;
  st->columns[0].choiceImageBase = -1;
  for (int i = 0; i < TL_MAXCOLUMNS; i++) st->columnColors[i] = 0xFFFFFFFFu;
  for (int i = 0; i < 2; i++) st->sbMax[i] = st->sbPage[i] = st->sbPos[i] = -1;
  st->imageW = st->imageH = 0;
  st->buttonHalf = 4;
  return st;
}

void TreeListAddRef(TreeListState* st) { st->refs.fetch_add(1); }

static void FreeTables(TreeListState* st) {
  free(st->sortedAsk);
  for (uint32_t h = 1; h <= st->capacity; h++) {
    if (st->items[h]) {
      TLFreeCells(st, h);
      free(st->items[h]->text);
      free(st->items[h]);
    }
  }
  for (int c = 0; c < TL_MAXCOLUMNS; c++) free(st->cells[c]);
  free(st->items);
  free(st->rows);
  TreeListDeferred* d = st->deferHead;
  while (d) {
    TreeListDeferred* n = d->next;
    free(d);
    d = n;
  }
}

void TreeListRelease(TreeListState* st) {
  if (st->refs.fetch_sub(1) != 1) return;
  FreeTables(st);
  TreeListHost* host = st->ownsHost ? st->host : nullptr;
  st->refs.~atomic<int>();
  free(st);
  delete host;
}

// ---------------------------------------------------------------- helpers

TreeListCell* TLGetCell(TreeListState* st, uint32_t h, uint32_t column, bool create) {
  TreeListItem* it = TLGet(st, h);
  if (!it || column == 0 || column >= TL_MAXCOLUMNS) return nullptr;
  TreeListCell** table = st->cells[column];
  if (!table) {
    if (!create) return nullptr;
    table = static_cast<TreeListCell**>(calloc(st->capacity + 1, sizeof(TreeListCell*)));
    if (!table) return nullptr;
    st->cells[column] = table;
  }
  if (!table[h] && create) {
    TreeListCell* c = static_cast<TreeListCell*>(calloc(1, sizeof(TreeListCell)));
    if (!c) return nullptr;
    c->image = -2;
    c->state = it->state & 0x11u;
    table[h] = c;
  }
  return table[h];
}

void TLFreeCells(TreeListState* st, uint32_t h) {
  for (int c = 1; c < TL_MAXCOLUMNS; c++) {
    if (st->cells[c] && st->cells[c][h]) {
      free(st->cells[c][h]->text);
      free(st->cells[c][h]);
      st->cells[c][h] = nullptr;
    }
  }
}

uint32_t TLHandleOf(const TreeListState* st, const TreeListItem* it) {
  if (!it) return 0;
  if (it->prev) return TLGet(st, it->prev)->next;
  if (it->parent) return TLGet(st, it->parent)->firstChild;
  return st->firstRoot;
}

uint32_t TLFirstRoot(const TreeListState* st) { return st->dead ? 0 : st->firstRoot; }

bool TLIsAncestor(const TreeListState* st, uint32_t ancestor, uint32_t h) {
  const TreeListItem* it = TLGet(st, h);
  while (it && it->parent) {
    if (it->parent == ancestor) return true;
    it = TLGet(st, it->parent);
  }
  return false;
}

uint32_t TLNextInTree(const TreeListState* st, uint32_t h, bool children) {
  const TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  if (children && it->firstChild) return it->firstChild;
  while (it) {
    if (it->next) return it->next;
    it = TLGet(st, it->parent);
  }
  return 0;
}

// Stores a copy of src (cut at the 16-bit length limit) in *text.
void TLSetText(char** text, uint16_t* length, uint32_t* width, const char* src) {
  size_t n = strnlen(src, TL_TEXTMAX);
  if (*text && *length == n && memcmp(*text, src, n) == 0) return;
  if (!*text || n > *length) {
    char* p = static_cast<char*>(malloc(n + 1));
    if (!p) return;
    free(*text);
    *text = p;
  }
  memcpy(*text, src, n);
  (*text)[n] = 0;
  *length = static_cast<uint16_t>(n);
  if (width) *width = 0;
}

// Capacity grows by half plus 64, capped so that handles fit 24 bits.
static bool Grow(TreeListState* st) {
  uint64_t want = (uint64_t)st->capacity + st->capacity / 2 + 64;
  if (want > TLI_MAXHANDLE) want = TLI_MAXHANDLE;
  uint32_t cap = static_cast<uint32_t>(want);
  if (cap <= st->capacity) return false;
  TreeListItem** items = static_cast<TreeListItem**>(calloc(cap + 1, sizeof(TreeListItem*)));
  uint32_t* rows = static_cast<uint32_t*>(calloc(cap, sizeof(uint32_t)));
  TreeListCell** cells[TL_MAXCOLUMNS] = {};
  bool ok = items && rows;
  for (int c = 1; ok && c < TL_MAXCOLUMNS; c++) {
    if (st->cells[c]) {
      cells[c] = static_cast<TreeListCell**>(calloc(cap + 1, sizeof(TreeListCell*)));
      ok = cells[c] != nullptr;
    }
  }
  if (!ok) {
    free(items);
    free(rows);
    for (int c = 1; c < TL_MAXCOLUMNS; c++) free(cells[c]);
    return false;
  }
  memcpy(items, st->items, (st->capacity + 1) * sizeof(TreeListItem*));
  if (st->capacity) memcpy(rows, st->rows, st->capacity * sizeof(uint32_t));
  free(st->items);
  free(st->rows);
  st->items = items;
  st->rows = rows;
  for (int c = 1; c < TL_MAXCOLUMNS; c++) {
    if (cells[c]) {
      memcpy(cells[c], st->cells[c], (st->capacity + 1) * sizeof(TreeListCell*));
      free(st->cells[c]);
      st->cells[c] = cells[c];
    }
  }
  st->capacity = cap;
  return true;
}

static void LinkAfter(TreeListState* st, uint32_t h, TreeListItem* it, uint32_t parent, uint32_t after) {
  TreeListItem* p = TLGet(st, parent);
  uint32_t* first = p ? &p->firstChild : &st->firstRoot;
  uint32_t* last = p ? &p->lastChild : &st->lastRoot;
  it->parent = parent;
  it->prev = after;
  if (after) {
    TreeListItem* a = TLGet(st, after);
    it->next = a->next;
    a->next = h;
  } else {
    it->next = *first;
    *first = h;
  }
  if (it->next)
    TLGet(st, it->next)->prev = h;
  else
    *last = h;
}

static void Unlink(TreeListState* st, uint32_t h, TreeListItem* it) {
  TreeListItem* p = TLGet(st, it->parent);
  if (it->prev)
    TLGet(st, it->prev)->next = it->next;
  else if (p)
    p->firstChild = it->next;
  else
    st->firstRoot = it->next;
  if (it->next)
    TLGet(st, it->next)->prev = it->prev;
  else if (p)
    p->lastChild = it->prev;
  else
    st->lastRoot = it->prev;
  if (p && !p->firstChild) p->flags &= ~TLF_HASCHILDREN;  // one given by cChildren 1 too
  it->prev = it->next = 0;
}

// exported for moves
void TLUnlinkItem(TreeListState* st, uint32_t h) { Unlink(st, h, TLGet(st, h)); }
void TLLinkItemAfter(TreeListState* st, uint32_t h, uint32_t parent, uint32_t after) {
  TreeListItem* it = TLGet(st, h);
  LinkAfter(st, h, it, parent, after);
  TreeListItem* p = TLGet(st, parent);
  if (p && (p->flags & TLF_AUTOCHILDREN)) p->flags |= TLF_HASCHILDREN;
}

// Waits (on another thread) or refuses (on the busy thread) while a sort or a
// sorted insert has the lock left.
bool TLWaitNotBusy(TreeListState* st) {
  while (st->busy && !st->dead) {
    if (st->busyThread == st->host->HostThreadId()) return false;
    bool waited;
    {
      TreeListUnlocked out(st);
      waited = st->host->HostWaitBusy();
    }
    if (!waited) return false;
  }
  return !st->dead;
}

// The new key against sibling s: >0 after it. The key is copied under the
// lock and compared with the lock left; false when s or the window went.
static bool CompareSibling(TreeListState* st, uint32_t s, const TLInsert* rec, const char* newText, bool deferred,
                           int* result) {
  TreeListItem* si = TLGet(st, s);
  bool byFunction = rec->hInsertAfter == TLI_SORTCALLBACK;
  char key[TL_BUFSIZE];
  const char* sibText;
  if (si->cbFlags & TLCB_TEXT) {
    if (deferred) {
      key[0] = 0;
    } else {
      uint32_t len = 0;
      const char* t = TreeListItemText(st, s, 0, &len);
      size_t k = len < sizeof(key) - 1 ? len : sizeof(key) - 1;
      memcpy(key, t, k);
      key[k] = 0;
      si = TLGet(st, s);
      if (!si) return false;
    }
    sibText = key;
  } else {
    sibText = si->text ? si->text : "";
  }
  if (byFunction) {
    TLInsertCompare fn = reinterpret_cast<TLInsertCompare>(rec->ex.item.hItem);
    char* copy = strdup(sibText);
    intptr_t sibData = si->data;
    {
      TreeListUnlocked out(st);
      // the compare's value, not the item's data
      *result = fn ? fn(st->host->HostWindow(), s, copy ? copy : "", newText, sibData, rec->ex.item.lParam) : 1;
    }
    free(copy);
    return !st->dead && TLGet(st, s);
  }
  int cmp = TreeListStricmp(newText, sibText);
  *result = cmp == 0 ? 0 : cmp > 0 ? 1 : -1;
  return true;
}

// Binary search over the siblings for TVI_SORT and TLI_SORTCALLBACK, with
// the busy flag set. The last sibling is asked first: keys coming in order
// (a sorted listing) are appended without walking the list.
static bool SortedPlace(TreeListState* st, uint32_t parent, const TLInsert* rec, const char* newText, bool deferred,
                        uint32_t* after) {
  TreeListItem* p = TLGet(st, parent);
  uint32_t first = p ? p->firstChild : st->firstRoot;
  uint32_t last = p ? p->lastChild : st->lastRoot;
  bool byFunction = rec->hInsertAfter == TLI_SORTCALLBACK;
  uint32_t left = 0, cur = first;
  st->busy = 1;
  st->busyThread = st->host->HostThreadId();
  int cmp = 0;
  bool appended = false;
  if (last) {
    if (!CompareSibling(st, last, rec, newText, deferred, &cmp)) {
      st->busy = 0;
      if (st->dead) return false;
      *after = 0;
      return true;
    }
    if (cmp > 0) {
      left = last;
      appended = true;
    }
    // the parent may have changed the list while the lock was left
    p = TLGet(st, parent);
    first = p ? p->firstChild : st->firstRoot;
    cur = first;
  }
  uint32_t n = 0;
  if (!appended)
    for (uint32_t s = first; s; s = TLGet(st, s)->next) n++;
  while (n > 0 && cur) {
    uint32_t step = n / 2;
    uint32_t s = cur;
    for (uint32_t i = 0; i < step && s; i++) s = TLGet(st, s)->next;
    if (!s) break;
    if (!CompareSibling(st, s, rec, newText, deferred, &cmp)) break;
    if (cmp == 0 && !byFunction) {
      // before that sibling
      left = TLGet(st, s)->prev;
      n = 0;
      break;
    }
    if (cmp > 0) {
      left = s;
      cur = TLGet(st, s)->next;
      n = n - step - 1;
    } else if (cmp == 0) {
      left = TLGet(st, s)->prev;
      break;
    } else {
      n = n - (n + 1) / 2;
    }
  }
  st->busy = 0;
  if (st->dead) return false;
  if (left && (!TLGet(st, left) || TLGet(st, left)->parent != parent)) left = 0;
  *after = left;
  return true;
}

static void RenumberAfterInsert(TreeListState* st, uint32_t h, TreeListItem* it, bool parentHadChildren,
                                bool deferred) {
  TreeListItem* p = TLGet(st, it->parent);
  if (p && parentHadChildren && !(p->state & TLIS_EXPANDED)) return;
  uint32_t start = 0;
  bool found = false;
  for (uint32_t s = it->prev; s; s = TLGet(st, s)->prev) {
    TreeListItem* si = TLGet(st, s);
    if ((st->options & TLOPT_HIDEITEMS) && (si->state & TLIS_HIDDEN)) continue;
    start = s;
    found = true;
    break;
  }
  if (!found && p) {
    if (!deferred && !TLRowOf(st, p)) {
      // a parent without a row: nothing to show, but its button may change
      return;
    }
    start = it->parent;
  }
  if (deferred) {
    TreeListQueueAction(st, 9, start, 0);
    return;
  }
  // the new item (without children) adds one row when it can be seen
  bool shown = !((st->options & TLOPT_HIDEITEMS) && (it->state & TLIS_HIDDEN)) &&
               (!p || ((p->state & TLIS_EXPANDED) && TLRowOf(st, p)));
  TreeListLayoutRows(st, start, st->shownRows + (shown ? 1 : 0));
}

uint32_t TreeListInsertItem(TreeListState* st, const TLInsert* rec) {
  if (!TLWaitNotBusy(st)) return 0;
  uintptr_t parent = rec->hParent;
  uintptr_t where = rec->hInsertAfter;
  if (parent == TLI_ROOT) parent = 0;
  if (parent && !TLGet(st, parent)) return 0;
  const TLItem& in = rec->ex.item;
  bool deferred = (in.mask & TLIF_DEFERRED) != 0;
  if (where == TLI_AFTERPARENT || where == TLI_BEFOREPARENT) {
    if (!parent) {
      where = where == TLI_AFTERPARENT ? TLI_LAST : TLI_FIRST;
    }
  }
  if (st->count >= st->capacity && !Grow(st)) return 0;
  size_t size = sizeof(TreeListItem) + st->extraSize;
  TreeListItem* it = static_cast<TreeListItem*>(calloc(1, size));
  if (!it) return 0;
  uint32_t h = st->lastHandle;
  do {
    h = h >= st->capacity ? 1 : h + 1;
  } while (st->items[h]);

  // fill
  uint32_t deferredBits = 0;
  if (in.mask & TLIF_STATE) {
    uint32_t mask = in.stateMask;
    if (deferred) {
      deferredBits = in.state & mask & 0xA2u;
      mask &= ~0xA2u;
    }
    it->state = in.state & mask;
  } else if ((st->style & 0x100u) && !(st->options & TLOPT_PLAINCHECK)) {
    it->state = TLIS_UNCHECKED;
  }
  if (in.mask & TLIF_PARAM) it->data = in.lParam;
  if ((in.mask & TLIF_DATAININTEGRAL) && where == TLI_SORTCALLBACK) it->data = rec->ex.iIntegral;
  it->image = it->selImage = -2;
  if (in.mask & TLIF_IMAGE) {
    it->image = in.iImage;
    if (in.iImage == -1) it->cbFlags |= TLCB_IMAGE;
    if (st->hasImageList && in.iImage != -2) it->flags |= TLF_HASIMAGE;
  }
  if (in.mask & TLIF_SELECTEDIMAGE) {
    it->selImage = in.iSelectedImage;
    if (in.iSelectedImage == -1) it->cbFlags |= TLCB_SELIMAGE;
  } else {
    it->selImage = it->image;
  }
  if (in.mask & TLIF_CHILDREN) {
    if (in.cChildren == -1) it->cbFlags |= TLCB_CHILDREN;
    else if (in.cChildren == 1) it->flags |= TLF_HASCHILDREN;
    else if (in.cChildren) it->flags |= TLF_AUTOCHILDREN;
  } else {
    it->flags |= TLF_AUTOCHILDREN;
  }
  if (st->style & 0x400u) it->state &= ~TLIS_EXPANDED;  // TVS_SINGLEEXPAND
  const char* newText = "";
  if ((in.mask & TLIF_TEXT) && in.pszText == TL_TEXTCALLBACK) {
    it->cbFlags |= TLCB_TEXT;
  } else {
    const char* src = (in.mask & TLIF_TEXT) && in.pszText ? in.pszText : "";
    size_t n = strnlen(src, TL_TEXTMAX);
    it->text = static_cast<char*>(malloc(n + 1));
    if (!it->text) {
      free(it);
      return 0;
    }
    memcpy(it->text, src, n);
    it->text[n] = 0;
    it->textLength = static_cast<uint16_t>(n);
    newText = it->text;
  }

  // place
  uint32_t after = 0;
  TreeListItem* p = TLGet(st, parent);
  uint32_t lastChild = p ? p->lastChild : st->lastRoot;
  if (where == TLI_FIRST) {
    after = 0;
  } else if (where == TLI_LAST) {
    after = lastChild;
  } else if (where == TLI_ROOT) {
    parent = 0;
    p = nullptr;
    after = st->lastRoot;
  } else if (where == TLI_SORT || where == TLI_SORTCALLBACK) {
    // the key is copied: the parent's answers may not touch our block
    char* keyCopy = strdup(newText);
    bool ok = keyCopy && SortedPlace(st, parent, rec, keyCopy, deferred, &after);
    free(keyCopy);
    if (!ok || (parent && !TLGet(st, parent))) {
      free(it->text);
      free(it);
      return 0;
    }
    if (st->items[h] || st->count >= st->capacity) {
      // the parent inserted meanwhile: take another free handle
      if (st->count >= st->capacity && !Grow(st)) {
        free(it->text);
        free(it);
        return 0;
      }
      do {
        h = h >= st->capacity ? 1 : h + 1;
      } while (st->items[h]);
    }
    p = TLGet(st, parent);
  } else if (where >= TLI_INDEX && where <= TLI_INDEX + TLI_INDEXMAX) {
    uint32_t n = static_cast<uint32_t>(where - TLI_INDEX);
    uint32_t s = p ? p->firstChild : st->firstRoot;
    after = 0;
    for (uint32_t i = 0; i < n && s; i++) {
      after = s;
      s = TLGet(st, s)->next;
    }
  } else if (where == TLI_AFTERPARENT || where == TLI_BEFOREPARENT) {
    TreeListItem* ref = p;
    parent = ref->parent;
    p = TLGet(st, parent);
    after = where == TLI_AFTERPARENT ? rec->hParent : ref->prev;
  } else {
    TreeListItem* a = TLGet(st, where);
    after = (a && a->parent == parent && where != 0) ? static_cast<uint32_t>(where) : lastChild;
    if (!a) after = p ? p->lastChild : st->lastRoot;
  }

  bool parentHadChildren = p && p->firstChild != 0;
  it->level = p ? p->level + 1 : 0;
  st->items[h] = it;
  st->lastHandle = h;
  st->count++;
  LinkAfter(st, h, it, parent, after);
  st->structGen++;
  if (p && (p->flags & TLF_AUTOCHILDREN)) p->flags |= TLF_HASCHILDREN;

  RenumberAfterInsert(st, h, it, parentHadChildren, deferred);
  if (deferredBits) TreeListQueueAction(st, 2, h, deferredBits | 0x00A20000u);
  it = TLGet(st, h);
  if (it && (it->state & TLIS_SELECTED) && !deferred) {
    it->state &= ~TLIS_SELECTED;
    TreeListSelectItem(st, h, 0, 0);
  }
  return h;
}

// ---------------------------------------------------------------- delete

static void ClearReferences(TreeListState* st, uint32_t h) {
  if (st->hotItem == h) st->hotItem = 0, st->hotColumn = 0;
  if (st->checkedItem == h) st->checkedItem = 0;
  if (st->caretItem == h) st->caretItem = 0;
  if (st->anchorItem == h) st->anchorItem = 0;
  if (st->focusItem == h) st->focusItem = 0;
  if (st->pressedItem == h) st->pressedItem = 0;
  if (st->dragItem == h) st->dragItem = 0;
  if (st->dropItem == h) st->dropItem = 0;
  if (st->placeholder == h) st->placeholder = 0;
  if (st->tipItem == h || st->editItem == h) st->host->HostForget(h, -1);
  if (st->tipItem == h) st->tipItem = 0;
  if (st->editItem == h) st->editItem = 0;
  TreeListDropDeferred(st, h);
}

// Deletes one item without children: notifications, relinking, freeing.
// Returns false when the parent removed it meanwhile.
static bool DeleteOne(TreeListState* st, uint32_t h, bool quiet) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return false;
  if ((it->state & TLIS_SELECTED) && !(it->deleteNotes & TLDN_SELECTION)) {
    it->deleteNotes |= TLDN_SELECTION;
    if (st->selItem == h) st->selItem = 0, st->selColumn = 0;
    if (quiet) {
      TreeListQueueAction(st, 4, h, static_cast<uint32_t>(it->data));
    } else {
      TLNmTreeView nm = {};
      nm.action = 0;
      TLFillItem(st, &nm.itemOld, h, 0x801Cu, 0);
      nm.itemOld.state &= ~TLIS_SELECTED;
      nm.itemOld.pszText = TL_TEXTCALLBACK;
      nm.itemOld.cchTextMax = -1;
      nm.itemNew.mask = 0x801Cu;
      nm.itemNew.stateMask = 0xFFFFFFFFu;
      nm.itemNew.pszText = TL_TEXTCALLBACK;
      nm.itemNew.cchTextMax = -1;
      TreeListNotify(st, &nm.hdr, TLN_SELCHANGED);
      it = TLGet(st, h);
      if (!it) return false;
      if (st->selItem == h) st->selItem = 0, st->selColumn = 0;
    }
  }
  if (!quiet && !(it->deleteNotes & TLDN_DELETE)) {
    it->deleteNotes |= TLDN_DELETE;
    TLNmTreeView nm = {};
    nm.itemOld.mask = 0x1Cu;
    nm.itemOld.hItem = h;
    nm.itemOld.pszText = TL_TEXTCALLBACK;
    nm.itemOld.cchTextMax = -1;
    nm.itemOld.lParam = it->data;
    nm.itemOld.state = it->state;
    nm.itemOld.stateMask = 0xFFFFFFFFu;
    nm.itemNew.state = it->state;
    nm.itemNew.stateMask = 0xFFFFFFFFu;
    TreeListNotify(st, &nm.hdr, TLN_DELETEITEM);
    it = TLGet(st, h);
    if (!it) return false;
    if (it->firstChild) return false;  // the parent gave it children meanwhile: the caller goes round again
  }
  if (st->selItem == h) st->selItem = 0, st->selColumn = 0;
  ClearReferences(st, h);
  Unlink(st, h, it);
  st->structGen++;
  if (quiet) st->rowsStale = 1;
  TLFreeCells(st, h);
  st->items[h] = nullptr;
  free(it->text);
  if (it->state & TLIS_SELECTED) {
    if (st->selCount) st->selCount--;
  }
  free(it);
  st->count--;
  return true;
}

// Deletes the subtree of h bottom-up, iteratively; each child looked up again
// after its notifications. Returns false when h vanished or stayed.
static bool DeleteSubtree(TreeListState* st, uint32_t h, bool quiet, bool childrenOnly) {
  uint32_t x = h;
  uint32_t gen = st->structGen;
  for (;;) {
    TreeListItem* top = TLGet(st, h);
    if (!top) return !childrenOnly ? true : false;
    if (childrenOnly && !top->firstChild) return true;
    // descend to the last leaf
    TreeListItem* xi = TLGet(st, x);
    // only when the parent changed links meanwhile is the cursor checked
    if (!xi || (x != h && st->structGen != gen && !TLIsAncestor(st, h, x))) {
      x = h;
      xi = top;
    }
    while (xi->lastChild) {
      x = xi->lastChild;
      xi = TLGet(st, x);
    }
    if (childrenOnly && x == h) return true;
    uint32_t parent = xi->parent;
    gen = st->structGen;  // the cursor is valid now
    bool ok = DeleteOne(st, x, quiet);
    if (ok && st->structGen == gen + 1) gen = st->structGen;  // only our own change
    if (st->dead) return false;
    if (x == h) {
      if (!TLGet(st, h)) return true;
      continue;  // given children meanwhile: round again
    }
    x = parent;
  }
}

static void KeepFirstRowInRange(TreeListState* st, bool quiet) {
  int32_t maxFirst = TreeListMaxFirstRow(st);
  if ((int32_t)st->firstRow > maxFirst) {
    if (quiet) {
      st->firstRow = maxFirst;
      TreeListQueueAction(st, 6, 0, maxFirst);
      TreeListQueueAction(st, 11, 0, 0);
    } else {
      st->firstRow = maxFirst;
      TreeListUpdateView(st, true);
      TreeListInvalidateAll(st);
    }
  }
}

static int DeleteRootList(TreeListState* st, uintptr_t which, bool quiet) {
  uint32_t keep = which == TLI_UNFROZEN ? st->frozenRows : 0;
  uint32_t n = 0;
  for (uint32_t r = st->firstRoot; r; r = TLGet(st, r)->next) n++;
  while (n > keep && st->lastRoot && !st->dead) {
    uint32_t last = st->lastRoot;
    uint32_t gen = st->structGen, before = st->count;
    if (!DeleteSubtree(st, last, quiet, false) && TLGet(st, last)) break;
    if (st->dead) break;
    if (st->structGen - gen == before - st->count) {
      n--;  // only our own deletions happened
    } else {
      // the parent changed the root list meanwhile: count again
      n = 0;
      for (uint32_t r = st->firstRoot; r; r = TLGet(st, r)->next) n++;
    }
  }
  if (st->dead) return 0;
  if (quiet) {
    TreeListQueueAction(st, 9, 0, 0);
    TreeListQueueAction(st, 8, 0, 0);
    TreeListQueueAction(st, 11, 0, 0);
  } else {
    TreeListLayoutRows(st, 0);
    KeepFirstRowInRange(st, false);
    TreeListUpdateView(st, true);
    TreeListInvalidateAll(st);
  }
  return 1;
}

int TreeListDeleteItem(TreeListState* st, uintptr_t h, uint32_t mode) {
  if (!TLWaitNotBusy(st)) return 0;
  bool quiet = (mode & TLDEL_QUIET) != 0;
  // a parent deleting inside each notification renumbers once, at the end
  TLLayoutHold hold(st);
  if (h == TLI_ROOT || h == TLI_UNFROZEN) return DeleteRootList(st, h, quiet);
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  uint32_t handle = static_cast<uint32_t>(h);
  if (mode & TLDEL_CHILDREN) {
    DeleteSubtree(st, handle, quiet, true);
    if (st->dead || !TLGet(st, handle)) return st->dead ? 0 : 1;
    if (quiet)
      TreeListQueueAction(st, 9, handle, 0);
    else
      TreeListLayoutRows(st, handle);
    KeepFirstRowInRange(st, quiet);
    return 1;
  }
  // rows continue after the previous sibling, else after the parent
  uint32_t from = it->prev ? it->prev : it->parent;
  bool hadRow = TLRowOf(st, it) != 0;
  uint32_t gen = st->structGen, before = st->count;
  if (!DeleteSubtree(st, handle, quiet, false) || st->dead) return 0;
  if (from && !TLGet(st, from)) from = 0;
  // a parent that moved, sorted or inserted items inside the notifications
  // left rows that the place noted before no longer describes: all anew
  if (st->structGen - gen != before - st->count) from = 0, hadRow = true;
  if (hadRow || !from) {
    if (quiet)
      TreeListQueueAction(st, 9, from, 0);
    else
      TreeListLayoutRows(st, from);
  } else if (!quiet && TLRowOf(st, TLGet(st, from))) {
    TreeListInvalidateItem(st, from, -1);
  }
  KeepFirstRowInRange(st, quiet);
  return 1;
}

int TreeListSetExtraSize(TreeListState* st, intptr_t size) {
  if (size < 0 || size > 0x1000000) return -1;
  if (st->count) return 0;
  st->extraSize = static_cast<uint32_t>(size);
  return static_cast<int>(size);
}
