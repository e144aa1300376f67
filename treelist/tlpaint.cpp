// Painting: row backgrounds, the tree column (lines, buttons, state image,
// image, label), selection boxes, the frozen separator, the drop mark and the
// area below the rows. Cells of other columns: tlpaintcell.cpp.
#include "treelist/tlpaint.h"

#include <string.h>

#include "treelist/tlhittest.h"

void TLFill(HDC dc, const RECT& r, COLORREF c) {
  SetBkColor(dc, c);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, L"", 0, nullptr);
}

// Draws text from x, cut with "..." when it does not fit before `right`.
void TLDrawCutText(TreeListWin* w, HDC dc, int x, int y, int right, const RECT& clip, const char* text, int len,
                   bool bold, UINT options, int maxChars) {
  SIZE sz;
  GetTextExtentPoint32A(dc, text, len, &sz);
  int avail = right - x;
  if (sz.cx <= avail) {
    ExtTextOutA(dc, x, y, options, &clip, text, static_cast<UINT>(len), nullptr);
    return;
  }
  int dots = bold ? w->dotsBoldW : w->dotsW;
  int rest = avail - dots;
  if (rest < 3) {
    ExtTextOutA(dc, x, y, options, &clip, "...", 3, nullptr);
    return;
  }
  int fit = 0;
  SIZE used;
  GetTextExtentExPointA(dc, text, len, rest, &fit, nullptr, &used);
  if (maxChars && fit > maxChars) fit = maxChars;
  char buf[260];
  if (fit > 253) fit = 253;
  memcpy(buf, text, static_cast<size_t>(fit));
  memcpy(buf + fit, "...", 3);
  ExtTextOutA(dc, x, y, options, &clip, buf, static_cast<UINT>(fit + 3), nullptr);
}

int TLAskImage(TreeListState* st, uint32_t h, int column, uint32_t which) {
  TLNmDispInfo nm = {};
  TLFillItem(st, &nm.item, h, which | 0x1Cu | (column > 0 ? TLIF_COLUMN : 0), column);
  nm.item.pszText = nullptr;
  nm.item.cchTextMax = 0;
  nm.item.iImage = nm.item.iSelectedImage = -1;
  TreeListNotify(st, &nm.hdr, TLN_GETDISPINFO);
  if (!TLGet(st, h)) return -2;
  int idx = which == TLIF_SELECTEDIMAGE ? nm.item.iSelectedImage : nm.item.iImage;
  return idx == -1 ? -2 : idx;
}

int TLImageIndex(TreeListState* st, uint32_t h, bool* fromCellList) {
  TreeListItem* it = TLGet(st, h);
  *fromCellList = false;
  if (!it) return -2;
  bool selected = (it->state & TLIS_SELECTED) != 0;
  int idx = selected ? it->selImage : it->image;
  if (idx == -1) idx = TLAskImage(st, h, 0, selected ? TLIF_SELECTEDIMAGE : TLIF_IMAGE);
  if (idx == -2) return -2;
  it = TLGet(st, h);
  bool expandedParent = (it->state & TLIS_EXPANDED) && (it->firstChild || (it->flags & TLF_HASCHILDREN));
  if (idx >= 0x40000000) {
    *fromCellList = true;
    idx -= 0x40000000;
    if (expandedParent) idx += 1;
    return idx;
  }
  if (idx & 0x20000000) return idx & ~0x20000000;
  if (expandedParent) idx += static_cast<int>(st->expandedOffset);
  return idx;
}

void TLDrawCheck(TreeListState* st, HDC dc, int x, int top, int stateIndex, HIMAGELIST list, bool builtin, bool hot,
                 bool pressed) {
  TreeListWin* w = st->win;
  int size = st->stateW ? st->stateW : 16;
  int y = top + (st->rowHeight - (st->stateH ? st->stateH : 16)) / 2;
  // the built-in boxes are unchecked (1) and checked (2); 0 draws nothing
  if (builtin && stateIndex != 1 && stateIndex != 2) return;
  if (builtin && w->buttonTheme && g_tlShared.ux->DrawThemeBackground) {
    int s = pressed ? 3 : hot ? 2 : 1;
    if (stateIndex == 2) s += 4;
    RECT r = {x, y, x + 16, y + 16};
    if (size > 16) OffsetRect(&r, (size - 16) / 2, 0);
    g_tlShared.ux->DrawThemeBackground(w->buttonTheme, dc, BP_CHECKBOX, s, &r, nullptr);
    return;
  }
  HIMAGELIST il = builtin ? w->lists[TLIL_STATE] : list;
  if (!il || il == TL_BUILTIN_CHECKS) return;
  ImageList_Draw(il, stateIndex, dc, x, y, ILD_TRANSPARENT);
}

static void DrawButton(TreeListState* st, HDC dc, int cx, int cy, bool open) {
  TreeListWin* w = st->win;
  // the theme draws only while the caller has set none of the button's colours
  const uint32_t buttonSlots = (1u << 5) | (1u << 6) | (1u << 11);
  if (w->theme && !(st->colorSet & buttonSlots) && g_tlShared.ux->DrawThemeBackground) {
    SIZE sz = {9, 9};
    if (g_tlShared.ux->GetThemePartSize) g_tlShared.ux->GetThemePartSize(w->theme, dc, TVP_GLYPH, open ? GLPS_OPENED : GLPS_CLOSED, nullptr, TS_DRAW, &sz);
    RECT r = {cx - sz.cx / 2, cy - sz.cy / 2, cx - sz.cx / 2 + sz.cx, cy - sz.cy / 2 + sz.cy};
    g_tlShared.ux->DrawThemeBackground(w->theme, dc, TVP_GLYPH, open ? GLPS_OPENED : GLPS_CLOSED, &r, nullptr);
    return;
  }
  int hh = st->buttonHalf;
  RECT sq = {cx - hh, cy - hh, cx + hh + 1, cy + hh + 1};
  TLFill(dc, sq, st->colors[6]);
  RECT in = {sq.left + 1, sq.top + 1, sq.right - 1, sq.bottom - 1};
  TLFill(dc, in, st->colors[11]);
  RECT hbar = {sq.left + 2, cy, sq.right - 2, cy + 1};
  TLFill(dc, hbar, st->colors[5]);
  if (!open) {
    RECT vbar = {cx, sq.top + 2, cx + 1, sq.bottom - 2};
    TLFill(dc, vbar, st->colors[5]);
  }
}

static void DottedV(HDC dc, int x, int y0, int y1) {
  if (!(y0 & 1)) y0++;
  MoveToEx(dc, x, y0, nullptr);
  LineTo(dc, x, y1);
}

void TLDrawSelectionBox(TreeListState* st, HDC dc, const RECT& text, COLORREF bg, uint32_t look) {
  RECT box = {text.left - 2, text.top - 1, text.right + 2, text.bottom + 1};
  if (look & TLBOX_EMPTY) {
    // nothing to mark: no box, no frame
    if (look & (TLBOX_HIGHLIGHT | TLBOX_UNFOCUSED)) TLFill(dc, box, bg);
    return;
  }
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HBRUSH brush = nullptr;
  if (look & TLBOX_HIGHLIGHT) {
    brush = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
  } else if (look & TLBOX_UNFOCUSED) {
    brush = CreateSolidBrush((st->options & TLOPT_ALTROWS) ? st->colors[17] : GetSysColor(COLOR_BTNFACE));
  }
  if (brush) {
    HGDIOBJ ob = SelectObject(dc, brush);
    // without a pen Rectangle leaves out the right and bottom edge
    Rectangle(dc, box.left, box.top, box.right + 1, box.bottom + 1);
    SelectObject(dc, ob);
    DeleteObject(brush);
  }
  SelectObject(dc, oldPen);
  if (look & TLBOX_CARET) {
    HGDIOBJ op = SelectObject(dc, g_tlShared.dotPen);
    HGDIOBJ ob = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
    SelectObject(dc, ob);
    SelectObject(dc, op);
  }
}

COLORREF TLRowBackground(TreeListState* st, uint32_t row0, bool shaded) {
  bool alt = (st->options & TLOPT_ALTROWS) != 0;
  bool disabledLook = !st->enabled && (st->options & TLOPT_DISABLEDLOOK);
  if (shaded || disabledLook) return alt ? st->colors[(row0 & 1) ? 13 : 14] : st->colors[12];
  if (alt) return st->colors[(row0 & 1) ? 1 : 2];
  return st->colors[0];
}

// The bar under a focused label's text, one pixel high, as wide as the text
// (cut at the cell), right below the font's cell.
static void FocusBar(TreeListState* st, HDC dc, int x, int ty, int width, const RECT& clip, COLORREF colour) {
  RECT bar = {x, ty + st->win->fontH, x + width, ty + st->win->fontH + 1};
  if (IntersectRect(&bar, &bar, &clip)) TLFill(dc, bar, colour);
}

static void PaintTreeCell(TreeListState* st, HDC dc, uint32_t h, uint32_t row0, int top, int left, int right,
                          COLORREF bg, const RECT& clip) {
  TreeListWin* w = st->win;
  if (!TreeListAskChildren(st, h)) return;
  TreeListItem* it = TLGet(st, h);
  int rh = st->rowHeight;
  int contentTop = top;
  RECT cell = {left, top, right, top + rh};
  TLFill(dc, cell, bg);
  int mid = top + rh / 2;
  // tree lines of the ancestors
  if (st->style & TVS_HASLINES) {
    SetBkColor(dc, bg);
    SetTextColor(dc, st->colors[5]);
    int lv = it->level;
    uint32_t a = it->parent;
    for (int l = lv - 1; a && l >= 0; l--) {
      TreeListItem* ai = TLGet(st, a);
      if (ai->next && (l > 0 || st->linesAtRoot)) {
        int slot = l + (st->linesAtRoot ? 0 : -1);
        int x = left + slot * st->indent + st->indent / 2;
        if (slot >= 0) DottedV(dc, x, top, top + rh);
      }
      a = ai->parent;
    }
  }
  int content = left + TLTreeContentX(st, it);
  if (TLHasButtonCell(st, it)) {
    int bx = content - st->indent + st->indent / 2;
    if (st->style & TVS_HASLINES) {
      DottedV(dc, bx, top, it->next ? top + rh : mid + 1);
      // the shared pen draws this one too, so its dots match the vertical ones
      MoveToEx(dc, (bx + 2) | 1, mid, nullptr);
      LineTo(dc, content, mid);
    }
    bool kids = it->firstChild || (it->flags & TLF_HASCHILDREN);
    if ((st->style & TVS_HASBUTTONS) && kids) {
      bool open = (it->state & TLIS_EXPANDED) && !(it->state & TLIS_EXPANDPARTIAL);
      DrawButton(st, dc, bx, mid, open);
    }
  }
  int x = content;
  it->paintFlags &= ~(TLP_SHOWSCHECK | TLP_SHOWSIMAGE);
  if (st->hasStateList) {
    uint32_t sbits = (st->options & TLOPT_HIDEITEMS) ? (it->state & 0xB000u) : (it->state & 0xF000u);
    int idx = static_cast<int>(sbits >> 12);
    if (st->options & TLOPT_PLAINCHECK) idx = (it->state & 0x1000u) ? 2 : 1;
    bool hot = st->win->hotBoxItem == h && st->win->hotBoxColumn == 0 && !st->pressedItem;
    bool pressed = st->pressedItem == h && st->pressedColumn == 0;
    TLDrawCheck(st, dc, x, top, idx, w->lists[TLIL_STATE], (st->builtinChecks & TL_CHECKS_ITEMS) != 0, hot, pressed);
    it->paintFlags |= TLP_SHOWSCHECK;
    x += st->stateW;
  }
  if ((it->flags & TLF_HASIMAGE) && st->hasImageList) {
    bool cellList = false;
    int idx = TLImageIndex(st, h, &cellList);
    it = TLGet(st, h);
    if (!it) return;
    HIMAGELIST il = cellList ? w->lists[TLIL_CELL] : w->lists[TLIL_NORMAL];
    if (idx >= 0 && il) {
      UINT style = ILD_TRANSPARENT | (it->state & 0x0F00u);
      if (it->state & TLIS_CUT) style |= ILD_BLEND50;
      int ih = cellList ? st->cellImageH : st->imageH;
      ImageList_Draw(il, idx, dc, x, contentTop + (rh - ih) / 2, style);
      it->paintFlags |= TLP_SHOWSIMAGE;
    }
    x += st->imageW;
  }
  // label
  uint32_t len = 0;
  const char* text = TreeListItemText(st, h, 0, &len);
  it = TLGet(st, h);
  if (!it) return;
  bool bold = (it->state & TLIS_BOLD) != 0;
  SelectObject(dc, bold ? w->boldFont : w->font);
  if (!it->textWidth && len) {
    RECT m = {0, 0, 0, 0};
    DrawTextExA(dc, const_cast<char*>(text), static_cast<int>(len), &m, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER, nullptr);
    it->textWidth = static_cast<uint32_t>(m.right);
  }
  COLORREF fg = st->columnColors[0] != 0xFFFFFFFFu ? st->columnColors[0] : st->colors[4];
  if (it->flags & TLF_OWNTEXTCOLOR) fg = it->textColor;
  if (st->hotItem == h && st->hotColumn == 0) fg = st->colors[7];
  int ty = top + (rh - w->fontH) / 2;
  RECT lclip = {x > clip.left ? x : clip.left, top, right < clip.right ? right : clip.right, top + rh};
  bool selected = (it->state & TLIS_SELECTED) && st->selColumn == 0;
  bool drop = (it->state & TLIS_DROPHILITED) != 0;
  bool caret = (it->flags & TLF_CARETMARK) != 0;
  bool ownBackground = false;
  if (st->drawCallback && st->columns[0].ownerDraw) {
    TLRect rr = {x, top, right, top + rh};
    TLOwnerDraw od = {reinterpret_cast<uintptr_t>(w->hwnd), h, &rr, it->data, text, len, it->state, row0, 0, 2, {0, 0}, bg};
    int r = reinterpret_cast<TLDrawCallback>(st->drawCallback)(reinterpret_cast<uintptr_t>(dc), st->drawUser, &od);
    if (r == 1 || !TLGet(st, h)) return;
    ownBackground = r > 1;
  }
  // 0x80000 is also column 3's merge bit: it marks the label focused only
  // while the merge mask does not let column 3 merge
  bool focusBar = len && ((it->state & TLIS_FOCUSED) || ((it->state & 0x80000u) && !(st->mergeMask & (1u << 3))));
  if (!selected && !drop && !caret) {
    SetTextColor(dc, fg);
    SetBkColor(dc, bg);
    if (ownBackground) SetBkMode(dc, TRANSPARENT);
    TLDrawCutText(w, dc, x + 2, ty, right, lclip, text, static_cast<int>(len), bold,
                  ownBackground ? ETO_CLIPPED : ETO_OPAQUE | ETO_CLIPPED, 0);
    SetBkMode(dc, OPAQUE);
    if (focusBar) FocusBar(st, dc, x + 2, ty, static_cast<int>(it->textWidth), lclip, fg);
    return;
  }
  bool focusLook = (selected && st->focused) || drop;
  bool fullRow = (st->options & TLOPT_FULLROWSELECT) != 0;
  int tx = x + (selected && !st->focused && fullRow ? 3 : 4);
  int tw = static_cast<int>(it->textWidth);
  if (tx + tw > right) tw = right - tx;
  if (tw < 0) tw = 0;
  RECT tr = {tx, mid - (w->fontH + 2) / 2, tx + tw, mid - (w->fontH + 2) / 2 + w->fontH + 2};
  HRGN rgn = CreateRectRgnIndirect(&lclip);
  ExtSelectClipRgn(dc, rgn, RGN_AND);
  DeleteObject(rgn);
  uint32_t look = len ? 0 : TLBOX_EMPTY;
  if (focusLook) look |= TLBOX_HIGHLIGHT;
  else if (selected && !fullRow) look |= TLBOX_UNFOCUSED;
  if (caret) look |= TLBOX_CARET;
  if (ownBackground) look &= TLBOX_CARET | TLBOX_EMPTY;
  TLDrawSelectionBox(st, dc, tr, bg, look);
  SetBkMode(dc, TRANSPARENT);
  COLORREF textColour = focusLook ? GetSysColor(COLOR_HIGHLIGHTTEXT) : fg;
  SetTextColor(dc, textColour);
  TLDrawCutText(w, dc, tx, ty, right, lclip, text, static_cast<int>(len), bold, ETO_CLIPPED, 0);
  SetBkMode(dc, OPAQUE);
  if (focusBar) FocusBar(st, dc, tx, ty, tw, lclip, textColour);
}

void TreeListPaint(TreeListState* st, HDC dc, const RECT* rc) {
  TreeListWin* w = st->win;
  RECT area = rc ? *rc : RECT{0, 0, st->clientW, st->clientH};
  int n = st->columnCount ? static_cast<int>(st->columnCount) : 1;
  RECT colRect[TL_MAXCOLUMNS + 1];
  for (int p = 0; p < n; p++) {
    int32_t l, r;
    TreeListColumnSpan(st, st->columnCount ? st->order[p] : 0, &l, &r);
    colRect[p] = RECT{l, area.top, r, area.bottom};
    IntersectRect(&colRect[p], &colRect[p], &area);
  }
  int lastRight = st->columnCount ? st->colX[st->columnCount] - st->hOffset : st->clientW;
  HGDIOBJ oldFont = SelectObject(dc, w->font);
  HGDIOBJ oldPen = SelectObject(dc, g_tlShared.dotPen);
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  int rh = st->rowHeight > 0 ? st->rowHeight : 1;
  int bottom = st->headerH;
  const COLORREF emptyBg = (!st->enabled && (st->options & TLOPT_DISABLEDLOOK)) ? st->colors[15] : st->colors[0];
  for (uint32_t pos = 0;; pos++) {
    int top = st->headerH + static_cast<int>(pos) * rh;
    if (top >= area.bottom || top >= st->clientH) break;
    uint64_t row0 = pos < st->frozenRows ? pos : static_cast<uint64_t>(pos) + st->firstRow;
    if (row0 >= st->shownRows) break;
    bottom = top + rh;
    if (top + rh <= area.top) continue;
    uint32_t h = st->rows[row0];
    TreeListItem* it = TLGet(st, h);
    if (!it) continue;
    bool fullSel = (it->state & TLIS_SELECTED) && (st->options & TLOPT_FULLROWSELECT);
    for (int p = 0; p < n; p++) {
      if (IsRectEmpty(&colRect[p])) continue;
      int column = st->columnCount ? st->order[p] : 0;
      bool shaded = st->columnCount && st->columns[column].shaded;
      COLORREF bg = TLRowBackground(st, static_cast<uint32_t>(row0), shaded);
      if (fullSel) bg = st->colors[(st->options & TLOPT_ALTROWS) && !(row0 & 1) ? 9 : 8];
      it = TLGet(st, h);
      if (!it) break;
      if ((it->flags & TLF_OWNBKCOLOR) && !fullSel && column == 0) bg = it->bkColor;
      HRGN rgn = CreateRectRgnIndirect(&colRect[p]);
      SelectClipRgn(dc, rgn);
      DeleteObject(rgn);
      int32_t l, r;
      TreeListColumnSpan(st, column, &l, &r);
      if (column == 0) {
        PaintTreeCell(st, dc, h, static_cast<uint32_t>(row0), top, l, r, bg, colRect[p]);
      } else {
        int32_t extra = 0;
        int span = st->mergeMask ? TreeListGetSpan(st, column, it->state >> 16, &extra) : 1;
        if (span > 1) {
          RECT u = {l, area.top, r + extra, area.bottom};
          IntersectRect(&u, &u, &area);
          HRGN ur = CreateRectRgnIndirect(&u);
          SelectClipRgn(dc, ur);
          DeleteObject(ur);
        }
        TLPaintCell(st, dc, h, column, static_cast<uint32_t>(row0), top, l, r + extra, bg, fullSel);
        p += span - 1;
      }
      if (st->options & TLOPT_GRID) {
        RECT g1 = {l, top + rh - 1, r, top + rh};
        TLFill(dc, g1, st->colors[3]);
        RECT g2 = {r - 1, top, r, top + rh};
        if (st->columnCount) TLFill(dc, g2, st->colors[3]);
      }
    }
    SelectClipRgn(dc, nullptr);
    // right of the last column: the class has no brush, so nothing else paints it
    RECT strip = {lastRight > area.left ? lastRight : area.left, top, area.right, top + rh};
    if (st->columnCount && strip.left < strip.right) TLFill(dc, strip, emptyBg);
    it = TLGet(st, h);
    if (!it) continue;
    if (st->frozenLine && st->frozenRows && row0 + 1 == st->frozenRows) {
      RECT line = {area.left, top + rh - 1, area.right, top + rh};
      TLFill(dc, line, st->colors[16]);
    }
    if (st->dropItem == h) {
      int bandH = st->dropHeight > 0 && st->dropHeight < rh ? st->dropHeight : rh;
      int off = st->dropOffset;
      if (off + bandH > rh) off = rh - bandH;
      HGDIOBJ ob = SelectObject(dc, g_tlShared.patternBrush);
      PatBlt(dc, 0, top + off, lastRight, bandH, PATINVERT);
      SelectObject(dc, ob);
    }
  }
  // below the last row
  if (bottom < area.bottom) {
    RECT below = {area.left, bottom > area.top ? bottom : area.top, area.right, area.bottom};
    if (st->shadedCount && (st->enabled || !(st->options & TLOPT_DISABLEDLOOK))) {
      for (int p = 0; p < n; p++) {
        int column = st->order[p];
        RECT c = {colRect[p].left, below.top, colRect[p].right, below.bottom};
        if (c.left < c.right) TLFill(dc, c, st->columns[column].shaded ? st->colors[12] : st->colors[0]);
      }
      RECT rest = {lastRight > below.left ? lastRight : below.left, below.top, below.right, below.bottom};
      if (rest.left < rest.right) TLFill(dc, rest, st->colors[0]);
    } else {
      TLFill(dc, below, emptyBg);
    }
    if (st->dropItem == TLI_LAST && st->shownRows) {
      HGDIOBJ ob = SelectObject(dc, g_tlShared.patternBrush);
      PatBlt(dc, 0, bottom, lastRight, 3, PATINVERT);
      SelectObject(dc, ob);
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
  if (!st->columnCount) {
    // the widest label seen bounds the horizontal scroll range
    int32_t widest = 0;
    for (uint32_t pos = 0; pos < st->rowsInView; pos++) {
      uint64_t row0 = pos < st->frozenRows ? pos : static_cast<uint64_t>(pos) + st->firstRow;
      if (row0 >= st->shownRows) break;
      TreeListItem* it = TLGet(st, st->rows[row0]);
      if (!it) continue;
      int32_t x = TLTreeContentX(st, it) + (st->hasStateList ? st->stateW : 0) +
                  ((it->flags & TLF_HASIMAGE) && st->hasImageList ? st->imageW : 0) + static_cast<int32_t>(it->textWidth) + 5;
      if (x > widest) widest = x;
    }
    if (widest > st->contentWidth) {
      st->contentWidth = widest;
      TreeListUpdateHScroll(st);
    }
  }
}
