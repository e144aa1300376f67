// Deferred actions: queued by direct calls from workers, run on the window's
// thread when the posted TLM_RUNDEFERRED arrives.
#include <stdlib.h>

#include "treelist/tlstate.h"

// The earlier of two renumbering starts (0: everything).
static uint32_t EarlierStart(TreeListState* st, uint32_t a, uint32_t b) {
  if (!a || !b) return 0;
  uint32_t ra = TLRowOf(st, TLGet(st, a)), rb = TLRowOf(st, TLGet(st, b));
  if (!ra || !rb) return 0;
  return ra <= rb ? a : b;
}

void TreeListQueueAction(TreeListState* st, uint32_t code, uint32_t item, uint32_t value) {
  if (st->dead) return;
  TreeListDeferred* tail = st->deferTail;
  // consecutive renumberings run once from the earliest start
  if (code == 9 && tail && tail->code == 9) {
    tail->item = EarlierStart(st, tail->item, item);
    return;
  }
  if ((code == 8 || code == 11) && tail && tail->code == code) return;
  TreeListDeferred* d = static_cast<TreeListDeferred*>(malloc(sizeof(TreeListDeferred)));
  if (!d) return;
  d->code = code;
  d->item = item;
  d->value = value;
  d->next = nullptr;
  if (tail)
    tail->next = d;
  else
    st->deferHead = d;
  st->deferTail = d;
  if (!st->deferPosted) {
    st->deferPosted = 1;
    st->host->HostPostRunDeferred();
  }
}

// Drops queued work for an item that is being deleted (the vanished-selection
// notice and the end of its tip and editor stay: they are about the deleted item).
void TreeListDropDeferred(TreeListState* st, uint32_t item) {
  TreeListDeferred** link = &st->deferHead;
  TreeListDeferred* last = nullptr;
  while (*link) {
    TreeListDeferred* d = *link;
    if (d->item == item && d->code != 4 && d->code != 9 && d->code != 13) {
      *link = d->next;
      free(d);
    } else {
      if (d->item == item && d->code == 9) d->item = 0;  // renumber everything instead
      last = d;
      link = &d->next;
    }
  }
  st->deferTail = last;
}

static void Run(TreeListState* st, const TreeListDeferred& d) {
  switch (d.code) {
    case 1:
    case 2: {
      if (!TLGet(st, d.item)) return;
      TLItem r = {};
      r.mask = TLIF_STATE;
      r.hItem = d.item;
      r.state = d.value & 0xFFFFu;
      r.stateMask = d.value >> 16;
      uint8_t quiet = st->noNotify;
      if (d.code == 2) st->noNotify = 1;
      TreeListSetItem(st, &r);
      st->noNotify = quiet;
      return;
    }
    case 3:
      if (TLGet(st, d.item)) TreeListExpandMsg(st, d.value & ~TLE_DEFERRED, d.item);
      return;
    case 4: {
      TLNmTreeView nm = {};
      nm.itemOld.mask = 0x801Cu;
      nm.itemOld.hItem = d.item;
      nm.itemOld.state = TLIS_SELECTED;
      nm.itemOld.stateMask = 0xFFFFFFFFu;
      nm.itemOld.pszText = TL_TEXTCALLBACK;
      nm.itemOld.cchTextMax = -1;
      nm.itemOld.lParam = static_cast<int32_t>(d.value);
      nm.itemNew.mask = 0x801Cu;
      nm.itemNew.stateMask = 0xFFFFFFFFu;
      nm.itemNew.pszText = TL_TEXTCALLBACK;
      nm.itemNew.cchTextMax = -1;
      TreeListNotify(st, &nm.hdr, TLN_SELCHANGED);
      return;
    }
    case 5:
      TreeListSetHScroll(st, static_cast<int32_t>(d.value), 9);
      return;
    case 6: {
      // the value may already stand in the state (quiet delete)
      int32_t want = static_cast<int32_t>(d.value);
      if (static_cast<int32_t>(st->firstRow) == want) {
        TreeListUpdateView(st, true);
        TreeListInvalidateAll(st);
      } else {
        TreeListSetVScroll(st, want, 9);
      }
      return;
    }
    case 7:
      TreeListUpdateHScroll(st);
      return;
    case 8:
      TreeListUpdateView(st, true);
      return;
    case 9:
      TreeListLayoutRows(st, TLGet(st, d.item) ? d.item : 0);
      return;
    case 10:
      TreeListInvalidateItem(st, d.item, static_cast<int>(d.value));
      return;
    case 11:
      TreeListInvalidateAll(st);
      return;
    case 12:
      TreeListInvalidateItem(st, d.item, -1);
      return;
    case 13:
      st->host->HostForgetLater(d.item, d.value);
      return;
  }
}

// Renumberings wait and run once from the earliest start, before the first
// action that needs the rows.
int TreeListRunDeferred(TreeListState* st) {
  int n = 0;
  bool pending = false;
  uint32_t from = 0;
  while (st->deferHead && !st->dead) {
    TreeListDeferred* d = st->deferHead;
    st->deferHead = d->next;
    if (!st->deferHead) st->deferTail = nullptr;
    TreeListDeferred copy = *d;
    free(d);
    n++;
    if (copy.code == 9) {
      uint32_t start = TLGet(st, copy.item) ? copy.item : 0;
      from = pending ? EarlierStart(st, from, start) : start;
      pending = true;
      continue;
    }
    if (pending && copy.code != 1 && copy.code != 2 && copy.code != 4 && copy.code != 11) {
      pending = false;
      TreeListLayoutRows(st, TLGet(st, from) ? from : 0);
    }
    Run(st, copy);
  }
  if (pending && !st->dead) TreeListLayoutRows(st, TLGet(st, from) ? from : 0);
  st->deferPosted = 0;
  return n;
}
