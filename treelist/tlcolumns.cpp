// Columns and the header: insert and delete, proportional widths, column
// order, edit settings, content width and the header's notifications.
#include <stdlib.h>
#include <string.h>

#include "treelist/tlhittest.h"
#include "treelist/tlwin.h"

static void SetHeaderWidth(TreeListState* st, int column, int width) {
  HWND header = st->win->header;
  if (!header) return;
  HDITEMA hd = {};
  hd.mask = HDI_WIDTH;
  hd.cxy = width;
  SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd));
}

void TreeListColumnChanged(TreeListState* st, int column) {
  if (!(st->options & TLOPT_COLUMNNOTIFY) || column < 0 || static_cast<uint32_t>(column) >= st->columnCount) return;
  TLNmColumn nm = {};
  nm.column = column;
  nm.position = st->columns[column].position;
  nm.x = st->colX[nm.position];
  nm.width = st->columns[column].headerWidth;
  TreeListNotify(st, &nm.hdr, TLN_COLUMNCHANGED);
}

void TreeListSyncHeader(TreeListState* st, int32_t delta) {
  int32_t changed[TL_MAXCOLUMNS];
  TreeListSyncWidths(st, delta, changed);
  for (uint32_t c = 0; c < st->columnCount; c++)
    if (changed[c]) SetHeaderWidth(st, static_cast<int>(c), st->columns[c].headerWidth);
  for (uint32_t c = 0; c < st->columnCount && !st->dead; c++)
    if (changed[c]) TreeListColumnChanged(st, static_cast<int>(c));
  if (delta > 0 && st->win && st->win->header) InvalidateRect(st->win->header, nullptr, FALSE);
}

static void AfterColumnsChanged(TreeListState* st, int fromColumn) {
  TreeListColumnPositions(st);
  TreeListUpdateHScroll(st);
  int32_t left = fromColumn >= 0 && static_cast<uint32_t>(fromColumn) < st->columnCount
                     ? st->colX[st->columns[fromColumn].position] - st->hOffset
                     : 0;
  RECT r = {left < 0 ? 0 : left, 0, st->clientW, st->clientH};
  InvalidateRect(st->win->hwnd, &r, FALSE);
}

static bool CreateHeader(TreeListState* st) {
  TreeListWin* w = st->win;
  RECT rc;
  GetClientRect(w->hwnd, &rc);
  int height = (st->options & TLOPT_NOHEADER) ? 0 : GetSystemMetrics(SM_CYHSCROLL);
  w->header = CreateWindowExA(0, WC_HEADERA, "", 0x50000042, rc.left, rc.top, rc.right, height, w->hwnd,
                              reinterpret_cast<HMENU>(TL_ID_HEADER), GetModuleHandleA(nullptr), nullptr);
  if (!w->header) return false;
  st->headerH = height;
  HIMAGELIST il = w->headerListOwn ? w->lists[TLIL_HEADER] : w->lists[TLIL_NORMAL];
  SendMessageA(w->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(il));
  SendMessageA(w->header, WM_SETFONT, reinterpret_cast<WPARAM>(w->font), 0);
  TreeListMeasure(st);
  TreeListUpdateView(st, true);
  InvalidateRect(w->hwnd, nullptr, FALSE);
  return true;
}

LRESULT TreeListInsertColumn(TreeListState* st, uint32_t index, const TLColumnDesc* desc) {
  TreeListWin* w = st->win;
  if (st->columnCount >= TL_MAXCOLUMNS) return -1;
  if (index > st->columnCount) index = st->columnCount;
  // column 0 lives in the items: nothing may be inserted before it
  if (index == 0 && st->columnCount) return -1;
  bool createdHeader = false;
  if (!w->header) {
    if (!CreateHeader(st)) return -1;
    createdHeader = true;
  }
  TreeListColumn col = {};
  col.choiceImageBase = -1;
  uint32_t mask = desc->mask;
  int fmt = (mask & TLCF_FMT) ? desc->fmt : 0;
  col.align = (fmt & 3) == 1 ? 2 : (fmt & 3) == 2 ? 1 : 0;
  if (mask & TLCF_MINWIDTH) {
    int m = desc->iOrder;
    col.minWidthApplies = m > 0;
    col.minWidth = static_cast<int16_t>(m < 0 ? -m : m);
  } else {
    col.minWidth = 16;
  }
  int width;
  if (mask & TLCF_WIDTH) {
    width = desc->cx < 0 ? 0 : desc->cx;
  } else {
    int weight = (mask & TLCF_WEIGHT) ? desc->cx : 1;
    if (weight > 255) weight = 255;
    if (weight < 1) weight = 1;
    col.weight = static_cast<uint8_t>(weight);
    int sum = 0;
    uint32_t props = 0;
    for (uint32_t c = 0; c < st->columnCount; c++)
      if (st->columns[c].weight && !st->columns[c].lockedWidth) sum += st->columns[c].weight, props++;
    if (!props) {
      width = st->clientW - st->fixedWidth;
    } else {
      width = static_cast<int>(static_cast<int64_t>(st->propWidth) * weight / (sum + weight));
    }
    if (width < col.minWidth) width = col.minWidth;
  }
  // the column flags come with their own mask bits, with or without the alignment
  const uint32_t flags = static_cast<uint32_t>(desc->fmt) & mask;
  if (flags & TLCF_SHADED) col.shaded = 1;
  if (flags & TLCF_LOCKED) col.lockedWidth = static_cast<uint16_t>(width ? width : 100);
  if (flags & TLCF_OWNERDRAW) col.ownerDraw = 1;
  col.width = col.headerWidth = static_cast<int16_t>(width > 32767 ? 32767 : width);

  HDITEMA hd = {};
  hd.mask = HDI_FORMAT | HDI_WIDTH;
  hd.fmt = (col.align == 2 ? HDF_RIGHT : col.align == 1 ? HDF_CENTER : HDF_LEFT);
  hd.cxy = col.headerWidth;
  if (mask & TLCF_TEXT) {
    hd.mask |= HDI_TEXT;
    hd.fmt |= HDF_STRING;
    hd.pszText = desc->pszText ? desc->pszText : const_cast<char*>("");
  }
  if (mask & TLCF_IMAGE) {
    hd.mask |= HDI_IMAGE;
    hd.fmt |= HDF_IMAGE;
    hd.iImage = desc->iImage;
  }
  if (SendMessageA(w->header, HDM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&hd)) < 0) {
    if (createdHeader) DestroyWindow(w->header), w->header = nullptr, st->headerH = 0;
    return -1;
  }
  if (index > 0) {
    TreeListCell** table = static_cast<TreeListCell**>(calloc(st->capacity + 1, sizeof(TreeListCell*)));
    if (!table) {
      SendMessageA(w->header, HDM_DELETEITEM, index, 0);
      return -1;
    }
    for (uint32_t c = st->columnCount; c > index; c--) st->cells[c] = st->cells[c - 1];
    st->cells[index] = table;
  }
  bool hadProportional = false;
  for (uint32_t c = 0; c < st->columnCount; c++)
    if (st->columns[c].weight && !st->columns[c].lockedWidth) hadProportional = true;
  for (uint32_t c = st->columnCount; c > index; c--) {
    st->columns[c] = st->columns[c - 1];
    st->columns[c].index = static_cast<uint8_t>(c);
    st->columnColors[c] = st->columnColors[c - 1];
  }
  st->columnColors[index] = 0xFFFFFFFFu;
  for (uint32_t c = 0; c <= st->columnCount; c++)
    if (c != index && st->columns[c].position >= index) st->columns[c].position++;
  col.index = static_cast<uint8_t>(index);
  col.position = static_cast<uint8_t>(index);
  st->columns[index] = col;
  st->columnCount++;
  for (uint32_t p = 0; p < st->columnCount; p++)
    for (uint32_t c = 0; c < st->columnCount; c++)
      if (st->columns[c].position == p) st->order[p] = static_cast<uint8_t>(c);
  if (col.weight && hadProportional && !col.lockedWidth) {
    // the others give up the new column's width
    st->columns[index].weight = 0;
    int32_t changed[TL_MAXCOLUMNS];
    TreeListDivideWidths(st, st->propWidth - col.headerWidth, changed);
    for (uint32_t c = 0; c < st->columnCount; c++)
      if (changed[c]) SetHeaderWidth(st, static_cast<int>(c), st->columns[c].headerWidth);
    st->columns[index].weight = col.weight;
    st->propWidth += col.headerWidth;
  } else if (col.weight && !col.lockedWidth) {
    st->propWidth = col.headerWidth;
  } else if (hadProportional) {
    // a fixed column takes its width from the proportional ones, which
    // otherwise push it out of the client area
    int32_t changed[TL_MAXCOLUMNS];
    TreeListDivideWidths(st, st->propWidth - col.headerWidth, changed);
    for (uint32_t c = 0; c < st->columnCount; c++)
      if (changed[c]) SetHeaderWidth(st, static_cast<int>(c), st->columns[c].headerWidth);
  } else {
    st->fixedWidth += col.headerWidth;
  }
  if (col.weight) st->propCount++;
  if (col.shaded) st->shadedCount++;
  auto bump = [&](int32_t& c) { if (c >= static_cast<int32_t>(index) && index > 0) c++; };
  bump(st->caretColumn);
  bump(st->hotColumn);
  bump(st->selColumn);
  bump(st->editColumn);
  bump(st->focusColumn);
  bump(st->pressedColumn);
  bump(st->tipColumn);
  bump(w->hotBoxColumn);
  bump(w->pressColumn);
  AfterColumnsChanged(st, static_cast<int>(index));
  if (st->placeholder && index > 0) {
    TreeListCell* c = TLGetCell(st, st->placeholder, index, true);
    if (c) c->flags |= TLF_OWNBKCOLOR, c->bkColor = st->colors[10];
  }
  TreeListColumnChanged(st, static_cast<int>(index));
  return st->dead ? -1 : static_cast<LRESULT>(index);
}

LRESULT TreeListDeleteColumn(TreeListState* st, uint32_t index) {
  TreeListWin* w = st->win;
  if (index >= st->columnCount || (index == 0 && st->columnCount > 1)) return 0;
  const int32_t gone = static_cast<int32_t>(index);
  if (st->caretColumn == gone) st->caretColumn = 0;
  if (st->selColumn == gone) st->selColumn = 0;
  if (st->focusColumn == gone) st->focusColumn = 0;
  if (st->editItem && st->editColumn == gone) TreeListEndEdit(st, 1, 0);
  if (st->hotColumn == gone) st->hotItem = 0, st->hotColumn = 0;
  if (st->pressedColumn == gone) st->pressedItem = 0, st->pressedColumn = 0;
  if (w->hotBoxColumn == gone) w->hotBoxItem = 0, w->hotBoxColumn = -1;
  if (w->pressColumn == gone) w->pressColumn = 0;
  if (st->tipColumn == gone) TreeListHideTip(st);
  if (w->header) SendMessageA(w->header, HDM_DELETEITEM, index, 0);
  int32_t left = st->colX[st->columns[index].position] - st->hOffset;
  if (index > 0 && st->cells[index]) {
    for (uint32_t h = 1; h <= st->capacity; h++) {
      TreeListCell* c = st->cells[index][h];
      if (c) free(c->text), free(c);
    }
    free(st->cells[index]);
  }
  for (uint32_t c = index; c + 1 < st->columnCount; c++) {
    if (c > 0) st->cells[c] = st->cells[c + 1];
    st->columns[c] = st->columns[c + 1];
    st->columns[c].index = static_cast<uint8_t>(c);
    st->columnColors[c] = st->columnColors[c + 1];
  }
  if (st->columnCount - 1 > 0) st->cells[st->columnCount - 1] = nullptr;
  st->columnCount--;
  // positions close the gap
  uint32_t removedPos = 0;
  for (uint32_t p = 0; p <= st->columnCount; p++)
    if (st->order[p] == index) removedPos = p;
  for (uint32_t c = 0; c < st->columnCount; c++)
    if (st->columns[c].position > removedPos) st->columns[c].position--;
  for (uint32_t c = 0; c < st->columnCount; c++) st->order[st->columns[c].position] = static_cast<uint8_t>(c);
  st->propCount = st->shadedCount = 0;
  st->fixedWidth = 0;
  for (uint32_t c = 0; c < st->columnCount; c++) {
    if (st->columns[c].weight) st->propCount++;
    if (st->columns[c].shaded) st->shadedCount++;
    if (!st->columns[c].weight || st->columns[c].lockedWidth) st->fixedWidth += st->columns[c].headerWidth;
  }
  auto lower = [&](int32_t& c) { if (c > gone) c--; };
  lower(st->caretColumn);
  lower(st->hotColumn);
  lower(st->selColumn);
  lower(st->editColumn);
  lower(st->focusColumn);
  lower(st->pressedColumn);
  lower(st->tipColumn);
  lower(w->hotBoxColumn);
  lower(w->pressColumn);
  if (st->propCount) {
    // the proportional columns share what the fixed ones leave
    int32_t sum = 0;
    for (uint32_t c = 0; c < st->columnCount; c++)
      if (st->columns[c].weight && !st->columns[c].lockedWidth) sum += st->columns[c].width;
    TreeListSyncHeader(st, (st->clientW - st->fixedWidth) - sum);
  } else {
    st->propWidth = 0;
  }
  if (!st->columnCount) {
    if (w->header) DestroyWindow(w->header), w->header = nullptr;
    st->headerH = 0;
    TreeListMeasure(st);
    TreeListUpdateView(st, true);
    InvalidateRect(w->hwnd, nullptr, FALSE);
  }
  TreeListColumnPositions(st);
  TreeListUpdateHScroll(st);
  RECT r = {left < 0 ? 0 : left, 0, st->clientW, st->clientH};
  InvalidateRect(w->hwnd, &r, FALSE);
  return 1;
}

int TreeListSetColumnOrder(TreeListState* st, WPARAM count, const int* order) {
  TreeListWin* w = st->win;
  int buf[TL_MAXCOLUMNS];
  uint32_t n = st->columnCount;
  if (!n) return 0;
  if (count == TLM_COLUMNORDER_FROMHEADER) {
    if (!w->header || !SendMessageA(w->header, HDM_GETORDERARRAY, n, reinterpret_cast<LPARAM>(buf))) return 0;
    order = buf;
  } else if (!order) {
    for (uint32_t i = 0; i < n; i++) buf[i] = static_cast<int>(i);
    order = buf;
  } else if (count != n) {
    return 0;
  }
  if (order[0] != 0) return 0;
  uint32_t seen = 0;
  for (uint32_t i = 0; i < n; i++) {
    if (order[i] < 0 || static_cast<uint32_t>(order[i]) >= n || (seen & (1u << order[i]))) return 0;
    seen |= 1u << order[i];
  }
  bool same = true;
  for (uint32_t i = 0; i < n; i++) same = same && st->order[i] == order[i];
  if (same) return 1;
  for (uint32_t i = 0; i < n; i++) {
    st->order[i] = static_cast<uint8_t>(order[i]);
    st->columns[order[i]].position = static_cast<uint8_t>(i);
  }
  if (w->header) SendMessageA(w->header, HDM_SETORDERARRAY, n, reinterpret_cast<LPARAM>(order));
  TreeListColumnPositions(st);
  TreeListUpdateHScroll(st);
  TreeListInvalidateAll(st);
  for (uint32_t c = 0; c < n && !st->dead; c++) TreeListColumnChanged(st, static_cast<int>(c));
  return 1;
}

int32_t TreeListContentWidth(TreeListState* st, int column) {
  int32_t best = 0;
  for (uint32_t r = 0; r < st->shownRows; r++) {
    uint32_t h = st->rows[r];
    TreeListItem* it = TLGet(st, h);
    if (!it) continue;
    int32_t wdt;
    if (column == 0) {
      wdt = it->level * st->indent + static_cast<int32_t>(TLTextWidth(st, h, 0)) + 8;
      if ((it->flags & TLF_HASIMAGE) && st->hasImageList) wdt += st->imageW;
    } else {
      TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
      wdt = (c ? static_cast<int32_t>(TLTextWidth(st, h, column)) : 0) + 8;
      if (c && st->columns[column].editKind >= TLEK_CHECK && st->hasCellStateList) wdt += st->stateW;
    }
    if (st->dead) return 0;
    if (wdt > best) best = wdt;
  }
  if (!best) return 0;
  if (column == 0) {
    if (st->options & TLOPT_GRID) best += 1;
    if (st->linesAtRoot) best += st->indent;
    if (st->hasStateList) best += st->stateW;
  }
  return best;
}

static void SetWidth(TreeListState* st, int column, int width, bool fromUser) {
  TreeListColumn& c = st->columns[column];
  if (c.minWidthApplies && width < c.minWidth) width = c.minWidth;
  if (width < 0) width = 0;
  if (width > 32767) width = 32767;  // the widths are 16-bit, as insert keeps them
  int delta = width - c.headerWidth;
  if (fromUser && (st->options & TLOPT_KEEPTOTALWIDTH) && delta) {
    for (uint32_t p = c.position + 1u; p < st->columnCount; p++) {
      TreeListColumn& n = st->columns[st->order[p]];
      if (n.lockedWidth) continue;
      int nw = n.headerWidth - delta;
      if (n.minWidthApplies && nw < n.minWidth) nw = n.minWidth;
      if (nw < 0) nw = 0;
      n.width = n.headerWidth = static_cast<int16_t>(nw);
      SetHeaderWidth(st, st->order[p], nw);
      break;
    }
  }
  if (c.weight && !c.lockedWidth) st->propWidth += delta; else st->fixedWidth += delta;
  c.width = c.headerWidth = static_cast<int16_t>(width);
  SetHeaderWidth(st, column, width);
  TreeListColumnPositions(st);
  TreeListUpdateHScroll(st);
  TreeListInvalidateAll(st);
  TreeListColumnChanged(st, column);
}

LRESULT TreeListHeaderNotify(TreeListState* st, NMHDR* nm) {
  TreeListWin* w = st->win;
  NMHEADERA* hn = reinterpret_cast<NMHEADERA*>(nm);
  int column = hn->iItem;
  bool valid = column >= 0 && static_cast<uint32_t>(column) < st->columnCount;
  switch (nm->code) {
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
      if (valid && hn->pitem && (hn->pitem->mask & HDI_WIDTH) && hn->pitem->cxy != st->columns[column].headerWidth)
        SetWidth(st, column, hn->pitem->cxy, true);
      return 0;
    case HDN_BEGINDRAG:
      return !(st->options & TLOPT_REORDERCOLUMNS) || column == 0;
    case HDN_ENDDRAG:
      if (!(st->options & TLOPT_REORDERCOLUMNS) || column == 0 || (hn->pitem && hn->pitem->iOrder == 0)) return 1;
      PostMessageA(w->hwnd, TLM_SETCOLUMNORDER, TLM_COLUMNORDER_FROMHEADER, 0);
      return 0;
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW: {
      if (GetFocus() != w->hwnd) SetFocus(w->hwnd);
      if ((st->options & TLOPT_FIXEDCOLUMNS) || !valid) return 1;
      const TreeListColumn& c = st->columns[column];
      if (c.lockedWidth) {
        if (c.headerWidth == 0 && c.position > 0) {
          // a hidden column's divider lies on the one before it: drag that one
          RECT r;
          POINT cursor;
          GetCursorPos(&cursor);
          ScreenToClient(w->header, &cursor);
          if (SendMessageA(w->header, HDM_GETITEMRECT, st->order[c.position - 1], reinterpret_cast<LPARAM>(&r))) {
            LPARAM at = MAKELPARAM(r.right - 2, cursor.y);
            PostMessageA(w->header, WM_LBUTTONUP, 0, at);
            PostMessageA(w->header, WM_LBUTTONDOWN, MK_LBUTTON, at);
          }
        }
        return 1;
      }
      if (st->options & TLOPT_KEEPTOTALWIDTH) {
        // the total stays only when a later column gives or takes the width
        bool partner = false;
        for (uint32_t p = c.position + 1u; p < st->columnCount && !partner; p++)
          partner = !st->columns[st->order[p]].lockedWidth;
        if (!partner) return 1;
      }
      return 0;
    }
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: {
      if (GetFocus() != w->hwnd) SetFocus(w->hwnd);
      if ((st->options & TLOPT_FIXEDCOLUMNS) || !valid || st->columns[column].lockedWidth) return 0;
      int32_t cw = TreeListContentWidth(st, column);
      if (cw) SetWidth(st, column, cw, true);
      return 0;
    }
    case HDN_TRACKA:
    case HDN_TRACKW:
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
      if (valid && hn->pitem && (hn->pitem->mask & HDI_WIDTH)) SetWidth(st, column, hn->pitem->cxy, true);
      return 0;
    case HDN_ITEMCLICKA:
    case HDN_ITEMCLICKW:
    case HDN_ITEMDBLCLICKA:
    case HDN_ITEMDBLCLICKW:
    case NM_RCLICK: {
      TLNmColumnClick cc = {};
      HDHITTESTINFO ht = {};
      GetCursorPos(&ht.pt);
      ScreenToClient(w->header, &ht.pt);
      SendMessageA(w->header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
      cc.pt.x = ht.pt.x;
      cc.pt.y = ht.pt.y;
      cc.flags = ht.flags;
      cc.column = ht.iItem;
      TreeListNotify(st, &cc.hdr, TLN_COLUMNCLICK);
      return 0;
    }
  }
  // the rest goes to the parent as the control's own
  NMHDR from = *nm;
  intptr_t answer = TreeListNotify(st, reinterpret_cast<TLNmHdr*>(nm), static_cast<int>(nm->code));
  *nm = from;
  return answer;
}

LRESULT TreeListColumnMessage(TreeListState* st, UINT msg, WPARAM wp, LPARAM lp) {
  TreeListWin* w = st->win;
  switch (msg) {
    case TLM_SETCOLUMNEDIT: {
      uint32_t v = static_cast<uint32_t>(wp);
      uint32_t column = (v >> 11) & 0x3Fu, kind = (v >> 8) & 7u;
      if (column >= st->columnCount && !(column == 0 && st->columnCount == 0)) return 0;
      if (column == 0 && kind >= TLEK_CHECK) return 0;
      TreeListColumn& c = st->columns[column];
      bool repaint = ((c.editFlags ^ v) & TLEF_READONLYBIT) || (c.editKind >= TLEK_CHECK) != (kind >= TLEK_CHECK);
      c.editFlags = static_cast<uint8_t>(v & 0xFFu);
      c.editKind = static_cast<uint8_t>(kind);
      c.choiceSeparator = static_cast<uint8_t>((v >> 17) & 0xFFu);
      c.choiceCount = static_cast<uint16_t>((v >> 25) & 0x7Fu);
      c.choices = reinterpret_cast<const void*>(lp);
      c.choiceImageBase = -1;
      if (kind >= TLEK_CHECK && !w->lists[TLIL_CELLSTATE]) TreeListBuildCheckImages(st, true);
      if (repaint) TreeListInvalidateAll(st);
      return 1;
    }
    case TLM_SETCOLUMNDATA: {
      if (wp >= st->columnCount || !st->columns[wp].editKind) return 0;
      st->columns[wp].choiceImageBase = static_cast<int32_t>(lp);
      return 1;
    }
    case TLM_GETCOLUMNWIDTH:
      return wp < st->columnCount ? st->columns[wp].headerWidth : 0;
    case TLM_SETCOLUMNWIDTH:
      if (wp >= st->columnCount) return 0;
      SetWidth(st, static_cast<int>(wp), static_cast<int>(lp), false);
      return 1;
    case TLM_GETCOLUMN:
      if (wp >= st->columnCount || !w->header || !lp) return 0;
      return SendMessageA(w->header, HDM_GETITEMA, wp, lp);
    case TLM_SETCOLUMN: {
      if (wp >= st->columnCount || !lp) return 0;
      const TLColumnDesc* d = reinterpret_cast<const TLColumnDesc*>(lp);
      TreeListColumn& c = st->columns[wp];
      if ((d->mask & TLCF_TEXT) && w->header) {
        HDITEMA hd = {};
        hd.mask = HDI_TEXT;
        hd.pszText = d->pszText ? d->pszText : const_cast<char*>("");
        SendMessageA(w->header, HDM_SETITEMA, wp, reinterpret_cast<LPARAM>(&hd));
      }
      if (d->mask & TLCF_SHADED) {
        uint8_t on = (d->fmt & TLCF_SHADED) ? 1 : 0;
        if (on != c.shaded) st->shadedCount += on ? 1 : -1;
        c.shaded = on;
      }
      if (d->mask & TLCF_OWNERDRAW) c.ownerDraw = (d->fmt & TLCF_OWNERDRAW) ? 1 : 0;
      if (d->mask & TLCF_LOCKED) {
        bool lock = (d->fmt & TLCF_LOCKED) != 0;
        if (d->mask & TLCF_WIDTH) SetWidth(st, static_cast<int>(wp), d->cx, false);
        c.lockedWidth = lock ? static_cast<uint16_t>(c.headerWidth ? c.headerWidth : 100) : 0;
      } else if (d->mask & TLCF_WIDTH) {
        SetWidth(st, static_cast<int>(wp), d->cx, false);
      }
      TreeListInvalidateAll(st);
      return 1;
    }
  }
  return 0;
}
