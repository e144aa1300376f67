// Proportional column widths: a change of the client width is spread over
// the proportional columns by weight, without loss.
#include "treelist/tlstate.h"

static bool Proportional(const TreeListColumn& c) { return c.lockedWidth == 0 && c.weight > 0; }

// Shown widths (never below the minimum) to the header slots, and the totals.
static void TLStoreShownWidths(TreeListState* st, int32_t* changed) {
  uint32_t n = st->columnCount;
  st->propWidth = 0;
  st->fixedWidth = 0;
  for (uint32_t i = 0; i < n; i++) {
    TreeListColumn& c = st->columns[i];
    if (Proportional(c)) {
      int16_t shown = c.width > c.minWidth ? c.width : c.minWidth;
      if (shown != c.headerWidth) {
        c.headerWidth = shown;
        changed[i] = 1;
      }
      st->propWidth += c.width;
    } else {
      st->fixedWidth += c.headerWidth;
    }
  }
  TreeListColumnPositions(st);
}

void TreeListSyncWidths(TreeListState* st, int32_t delta, int32_t* changed) {
  uint32_t n = st->columnCount;
  int32_t total = 0, count = 0, only = -1;
  for (uint32_t i = 0; i < n; i++) {
    changed[i] = 0;
    if (Proportional(st->columns[i])) {
      total += st->columns[i].weight;
      count++;
      only = static_cast<int32_t>(i);
    }
  }
  if (!count) return;
  if (count == 1) {
    st->columns[only].width = static_cast<int16_t>(st->columns[only].width + delta);
  } else if (delta) {
    int32_t base = delta <= 0 ? st->clientW - delta : st->clientW;
    if (base < 0) base = 0;
    int32_t mod = base % total;
    // floor division keeps the remainder in 0..total-1 for either sign
    int32_t q = delta / total, rem = delta % total;
    if (rem < 0) rem += total, q -= 1;
    int32_t start = -1, sum = 0, startPart = 0;
    for (uint32_t i = 0; i < n && start < 0; i++) {
      if (!Proportional(st->columns[i])) continue;
      sum += st->columns[i].weight;
      if (sum > mod) start = static_cast<int32_t>(i), startPart = sum - mod;
    }
    // The walk goes once round the weights from B mod W: it starts with the
    // upper part of the start column's weight and ends with its lower part,
    // which takes what remains (the rounding only).
    int32_t given = 0, carry = 0;
    for (uint32_t k = 0; k <= n; k++) {
      uint32_t i = (static_cast<uint32_t>(start) + k) % n;
      TreeListColumn& c = st->columns[i];
      if (!Proportional(c)) continue;
      bool first = k == 0, last = k == n;
      int32_t add;
      if (last) {
        add = delta - given;
      } else {
        int32_t w = first ? startPart : c.weight;
        carry += rem * w;
        add = q * c.weight + carry / total;
        carry %= total;
      }
      c.width = static_cast<int16_t>(c.width + add);
      given += add;
    }
  }
  TLStoreShownWidths(st, changed);
}

// A new column's share: the proportional columns divide what is left by their
// weights anew. Spreading it as a resize does rounds the same way for every
// insert, and a row of inserts left them several pixels off their weights.
void TreeListDivideWidths(TreeListState* st, int32_t total, int32_t* changed) {
  uint32_t n = st->columnCount;
  int64_t weights = 0, carry = 0;
  for (uint32_t i = 0; i < n; i++) {
    changed[i] = 0;
    if (Proportional(st->columns[i])) weights += st->columns[i].weight;
  }
  if (!weights) return;
  for (uint32_t i = 0; i < n; i++) {
    TreeListColumn& c = st->columns[i];
    if (!Proportional(c)) continue;
    carry += static_cast<int64_t>(total) * c.weight;
    int64_t w = carry / weights;
    carry -= w * weights;
    c.width = static_cast<int16_t>(w < -32768 ? -32768 : w > 32767 ? 32767 : w);
  }
  TLStoreShownWidths(st, changed);
}
