// Painting one cell of a column other than the tree column.
#include "treelist/tlpaint.h"

static COLORREF DarkenEighth(COLORREF c) {
  unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  return RGB(r - r / 8, g - g / 8, b - b / 8);
}

void TLPaintCell(TreeListState* st, HDC dc, uint32_t h, int column, uint32_t row0, int top, int left, int right,
                 COLORREF rowBg, bool fullSel) {
  TreeListWin* w = st->win;
  const TreeListColumn& col = st->columns[column];
  int rh = st->rowHeight;
  RECT cell = {left, top, right, top + rh};
  TreeListCell* c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
  COLORREF bg = rowBg;
  if (c && (c->flags & TLF_OWNBKCOLOR)) bg = fullSel ? DarkenEighth(c->bkColor) : c->bkColor;
  COLORREF fg = st->columnColors[column] != 0xFFFFFFFFu ? st->columnColors[column] : st->colors[4];
  if (c && (c->flags & TLF_OWNTEXTCOLOR)) fg = c->textColor;
  if (st->hotItem == h && st->hotColumn == column) fg = st->colors[7];
  TreeListItem* it = TLGet(st, h);
  if (!c) {
    TLFill(dc, cell, bg);
    if (st->drawCallback && col.ownerDraw) {
      TLRect rr = {left, top, right, top + rh};
      TLOwnerDraw od = {reinterpret_cast<uintptr_t>(w->hwnd), h, &rr, it->data, "", 0, it->state, row0,
                        static_cast<uint8_t>(column), 2, {0, 0}, bg};
      reinterpret_cast<TLDrawCallback>(st->drawCallback)(reinterpret_cast<uintptr_t>(dc), st->drawUser, &od);
    }
    return;
  }
  int x = left, xr = right;
  c->flags &= ~TLF_HASIMAGE;
  bool rightBox = (c->state & 0x80u) != 0;
  TLFill(dc, cell, bg);
  if (col.editKind >= TLEK_CHECK) {
    uint32_t bits = c->state & 0xF000u;
    if ((col.editFlags & TLEF_READONLYBIT) && (c->state & 0x8000u)) bits &= 0x7000u;
    int idx = static_cast<int>(bits >> 12);
    if (st->options & TLOPT_PLAINCHECK) idx = (c->state & 0x1000u) ? 2 : 1;
    int bw = st->stateW ? st->stateW : 16;
    int bx = rightBox ? right - bw : left;
    HIMAGELIST list = w->lists[TLIL_CELLSTATE];
    bool builtin = !list || list == TL_BUILTIN_CHECKS;
    bool hot = w->hotBoxItem == h && w->hotBoxColumn == column && !st->pressedItem;
    bool pressed = st->pressedItem == h && st->pressedColumn == column;
    TLDrawCheck(st, dc, bx, top, idx, list, builtin, hot, pressed);
    c->flags |= TLF_HASIMAGE;
    if (rightBox) xr -= bw + 2; else x += bw + 2;
  } else if (c->image != -2 && w->lists[TLIL_CELL]) {
    int image = c->image;
    if (image == -1) {
      image = TLAskImage(st, h, column, TLIF_IMAGE);
      c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
      if (!c) return;
    }
    if (image != -2) {
      int iw = st->cellImageW;
      int ix = rightBox ? right - iw : left;
      ImageList_Draw(w->lists[TLIL_CELL], image, dc, ix, top + (rh - st->cellImageH) / 2, ILD_TRANSPARENT);
      c->flags |= TLF_HASIMAGE;
      if (rightBox) xr -= iw + 2; else x += iw + 2;
    }
  }
  uint32_t len = 0;
  const char* text = TreeListItemText(st, h, column, &len);
  c = TLGetCell(st, h, static_cast<uint32_t>(column), false);
  it = TLGet(st, h);
  if (!c || !it) return;
  bool bold = (c->state & TLIS_BOLD) != 0;
  SelectObject(dc, bold ? w->boldFont : w->font);
  if (!c->textWidth && len) {
    SIZE sz;
    GetTextExtentPoint32A(dc, text, static_cast<int>(len), &sz);
    c->textWidth = static_cast<uint32_t>(sz.cx);
  }
  int tw = static_cast<int>(c->textWidth);
  int avail = xr - x - 4;
  int shownW = tw <= avail ? tw : avail;
  int tl = col.align == 1 ? (x + xr) / 2 - shownW / 2 : col.align == 2 ? xr - 2 - shownW : x + 2;
  bool ownBackground = false;
  if (st->drawCallback && col.ownerDraw) {
    TLRect rr = {x, top, xr, top + rh};
    int offset = tl - x < 0 ? 0 : tl - x > 255 ? 255 : tl - x;
    TLOwnerDraw od = {reinterpret_cast<uintptr_t>(w->hwnd), h, &rr, it->data, text, len, c->state, row0,
                      static_cast<uint8_t>(column), static_cast<uint8_t>(offset), {0, 0}, bg};
    int r = reinterpret_cast<TLDrawCallback>(st->drawCallback)(reinterpret_cast<uintptr_t>(dc), st->drawUser, &od);
    if (r == 1 || !TLGet(st, h)) return;
    ownBackground = r > 1;
  }
  bool selected = (it->state & TLIS_SELECTED) && st->selItem == h && st->selColumn == column;
  int ty = top + (rh - w->fontH) / 2;
  RECT clip = {x, top, xr, top + rh};
  if (selected) {
    RECT tr = {tl, top + rh / 2 - (w->fontH + 2) / 2, tl + shownW, top + rh / 2 - (w->fontH + 2) / 2 + w->fontH + 2};
    uint32_t look = len ? 0 : TLBOX_EMPTY;
    if (st->focused) look |= TLBOX_HIGHLIGHT;
    else if (!(st->options & TLOPT_FULLROWSELECT)) look |= TLBOX_UNFOCUSED;
    TLDrawSelectionBox(st, dc, tr, bg, ownBackground ? 0 : look);
    SetTextColor(dc, st->focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : fg);
  } else {
    SetTextColor(dc, fg);
    SetBkColor(dc, bg);
  }
  if (selected || ownBackground) SetBkMode(dc, TRANSPARENT);
  UINT opts = selected || ownBackground ? ETO_CLIPPED : ETO_OPAQUE | ETO_CLIPPED;
  if (tw <= avail || !len) {
    if (col.align == 1) {
      SetTextAlign(dc, TA_CENTER | TA_TOP);
      ExtTextOutA(dc, (x + xr) / 2, ty, opts, &clip, text, len, nullptr);
    } else if (col.align == 2) {
      SetTextAlign(dc, TA_RIGHT | TA_TOP);
      ExtTextOutA(dc, xr - 2, ty, opts, &clip, text, len, nullptr);
    } else {
      ExtTextOutA(dc, x + 2, ty, opts, &clip, text, len, nullptr);
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
  } else {
    TLDrawCutText(w, dc, x + 2, ty, xr - 2, clip, text, static_cast<int>(len), bold, opts, 253);
  }
  SetBkMode(dc, OPAQUE);
}
