// Hit testing and cell spans; the tree column's horizontal layout that
// painting shares.
#include "treelist/tlhittest.h"

#include <stdlib.h>

int TreeListGetSpan(const TreeListState* st, int column, uint32_t stateHigh, int32_t* width) {
  int n = 1;
  *width = 0;
  int c = column;
  while (c + 1 < static_cast<int>(st->columnCount) && c < 16 && (st->mergeMask & (1u << c)) &&
         (stateHigh & (1u << c)) && st->columns[c + 1].position == st->columns[c].position + 1) {
    c++;
    *width += st->columns[c].width;
    n++;
  }
  return n;
}

int32_t TLTreeContentX(const TreeListState* st, const TreeListItem* it) {
  return (it->level + (st->linesAtRoot ? 1 : 0)) * st->indent;
}

bool TLHasButtonCell(const TreeListState* st, const TreeListItem* it) {
  return (st->style & 0x3u) && (it->level > 0 || st->linesAtRoot);
}

uint32_t TLTextWidth(TreeListState* st, uint32_t h, int column) {
  TreeListItem* it = TLGet(st, h);
  if (!it) return 0;
  if (column == 0) {
    if (!it->textWidth && !(it->cbFlags & TLCB_TEXT) && it->textLength)
      it->textWidth = static_cast<uint32_t>(st->host->HostMeasureText(it->text, it->textLength, (it->state & TLIS_BOLD) != 0));
    if (it->cbFlags & TLCB_TEXT) {
      uint32_t len = 0;
      const char* t = TreeListItemText(st, h, 0, &len);
      it = TLGet(st, h);
      if (!it) return 0;
      return len ? static_cast<uint32_t>(st->host->HostMeasureText(t, static_cast<int>(len), (it->state & TLIS_BOLD) != 0)) : 0;
    }
    return it->textWidth;
  }
  TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
  if (!c) return 0;
  if (!c->textWidth && !(c->cbFlags & TLCB_TEXT) && c->textLength)
    c->textWidth = static_cast<uint32_t>(st->host->HostMeasureText(c->text, c->textLength, (c->state & TLIS_BOLD) != 0));
  if (c->cbFlags & TLCB_TEXT) {
    uint32_t len = 0;
    const char* t = TreeListItemText(st, h, column, &len);
    return len ? static_cast<uint32_t>(st->host->HostMeasureText(t, static_cast<int>(len), false)) : 0;
  }
  return c->textWidth;
}

uint32_t TreeListHitTest(TreeListState* st, TLHitTest* rec) {
  int32_t x = rec->pt.x, y = rec->pt.y;
  rec->hItem = 0;
  rec->flags = 0;
  if (x < 0) rec->flags |= TLHT_TOLEFT;
  if (x >= st->clientW) rec->flags |= TLHT_TORIGHT;
  if (y < st->headerH) rec->flags |= TLHT_ABOVE;
  if (y >= st->clientH) rec->flags |= TLHT_BELOW;
  if (rec->flags) return 0;
  int32_t rh = st->rowHeight > 0 ? st->rowHeight : 1;
  int64_t pos = (y - st->headerH) / rh;
  int64_t row0 = pos < st->frozenRows ? pos : pos + st->firstRow;
  if (row0 >= st->shownRows) {
    rec->flags = TLHT_NOWHERE;
    return 0;
  }
  uint32_t h = st->rows[row0];
  TreeListItem* it = TreeListAskChildren(st, h) ? TLGet(st, h) : nullptr;
  if (!it || TLRowOf(st, it) != row0 + 1) {
    rec->flags = TLHT_NOWHERE;
    return 0;
  }
  int32_t rowTop = st->headerH + static_cast<int32_t>(pos) * rh;
  int32_t xx = x + st->hOffset;
  int column = 0;
  if (st->columnCount) {
    if (xx >= st->colX[st->columnCount]) {
      rec->flags = TLHT_PASTCOLUMNS;
      rec->hItem = h;
      return h;
    }
    for (uint32_t p = 0; p < st->columnCount; p++)
      if (xx >= st->colX[p] && xx < st->colX[p + 1]) column = st->order[p];
  }
  rec->hItem = h;
  if (column == 0) {
    int32_t left = st->columnCount ? st->colX[st->columns[0].position] : 0;
    int32_t cx = xx - left;
    int32_t content = TLTreeContentX(st, it);
    if (cx < content) {
      rec->flags = TLHT_ONITEMINDENT;
      if ((st->style & 0x1u) && TLHasButtonCell(st, it) && (it->firstChild || (it->flags & TLF_HASCHILDREN))) {
        int32_t bx = content - st->indent + st->indent / 2;
        int32_t by = rowTop + rh / 2;
        if (cx >= bx - 6 && cx <= bx + 7 && y >= by - 6 && y <= by + 7) rec->flags = TLHT_ONITEMBUTTON;
      }
      return h;
    }
    cx -= content;
    if (st->hasStateList) {
      if (cx < st->stateW) {
        rec->flags = TLHT_ONITEMSTATEICON;
        return h;
      }
      cx -= st->stateW;
    }
    if ((it->flags & TLF_HASIMAGE) && st->hasImageList) {
      if (cx < st->imageW) {
        rec->flags = TLHT_ONITEMICON;
        return h;
      }
      cx -= st->imageW;
    }
    uint32_t tw = TLTextWidth(st, h, 0);
    it = TLGet(st, h);
    if (!it) {
      rec->hItem = 0;
      rec->flags = TLHT_NOWHERE;
      return 0;
    }
    bool hasText = tw > 0;
    if (hasText) {
      rec->flags = cx < static_cast<int32_t>(tw) + 5 ? (TLHT_ONITEMLABEL | TLHT_ONTEXT) : TLHT_ONITEMRIGHT;
    } else {
      rec->flags = cx < 20 ? (TLHT_ONITEMLABEL | TLHT_ONTEXT) : TLHT_ONITEMLABEL;
    }
    return h;
  }
  // another column (spans tested over their whole width)
  int p = st->columns[column].position;
  int32_t left = st->colX[p], right = st->colX[p + 1];
  int32_t extra = 0;
  if (st->mergeMask) TreeListGetSpan(st, column, it->state >> 16, &extra);
  right += extra;
  uint32_t flags = static_cast<uint32_t>(column) << 24;
  const TreeListColumn& col = st->columns[column];
  TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
  bool rightBox = c && (c->state & 0x80u);
  int32_t boxW = 0;
  if (col.editKind >= TLEK_CHECK) boxW = st->stateW ? st->stateW : 16;
  else if (c && (c->flags & TLF_HASIMAGE)) boxW = st->cellImageW;
  if (boxW) {
    if ((!rightBox && xx < left + boxW) || (rightBox && xx >= right - boxW)) {
      rec->flags = flags | TLHT_ONCELLICON;
      return h;
    }
    if (!rightBox) left += boxW; else right -= boxW;
  }
  uint32_t tw = c ? TLTextWidth(st, h, column) : 0;
  if (!TLGet(st, h)) {
    rec->hItem = 0;
    rec->flags = TLHT_NOWHERE;
    return 0;
  }
  if (!tw) {
    bool nearStart = col.align == 2 ? xx >= right - 20 : xx < left + 20;
    rec->flags = flags | TLHT_ONCELLEMPTY | (nearStart ? TLHT_CELLEMPTYSTART : 0);
    return h;
  }
  bool outside;
  if (col.align == 1) {
    int32_t mid = (left + right) / 2;
    outside = abs(xx - mid) > static_cast<int32_t>(tw) / 2 + 3;
  } else if (col.align == 2) {
    outside = xx < right - 2 - static_cast<int32_t>(tw) - 5;
  } else {
    outside = xx >= left + 2 + static_cast<int32_t>(tw) + 5;
  }
  rec->flags = flags | (outside ? TLHT_ONCELLOUTSIDE : TLHT_ONCELLTEXT);
  return h;
}
