// Shared drawing resources with their counter, the colour slots, fonts,
// themes, the built-in check boxes, the row height and the image lists.
#include <string.h>

#include "toolkit/drawfont.h"
#include "toolkit/uxthemeapi.h"
#include "treelist/tlwin.h"

TreeListShared g_tlShared;
DWORD(WINAPI* g_tlClock)() = GetTickCount;
UINT_PTR(WINAPI* g_tlSetTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;

static LONG g_sharedRefs = -1;

void TreeListAcquireShared() {
  if (InterlockedIncrement(&g_sharedRefs) != 0) return;
  TreeListShared& s = g_tlShared;
  LOGBRUSH lb = {BS_SOLID, GetSysColor(COLOR_BTNSHADOW), 0};
  s.dotPen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
  if (!s.dotPen) s.dotPen = CreatePen(PS_DOT, 1, GetSysColor(COLOR_BTNSHADOW));
  WORD bits[8];
  for (int i = 0; i < 8; i++) bits[i] = (i & 1) ? 0xAA : 0x55;
  HBITMAP bm = CreateBitmap(8, 8, 1, 1, bits);
  s.patternBrush = CreatePatternBrush(bm);
  DeleteObject(bm);
  s.arrow = LoadCursorA(nullptr, IDC_ARROW);
  s.hand = LoadCursorA(nullptr, IDC_HAND);
  s.no = LoadCursorA(nullptr, IDC_NO);
  s.ux = &UxThemeGetApi();
  if (s.ux->BufferedPaintInit) s.ux->BufferedPaintInit();
}

void TreeListReleaseShared() {
  if (InterlockedDecrement(&g_sharedRefs) != -1) return;
  TreeListShared& s = g_tlShared;
  if (s.ux->module && s.ux->BufferedPaintUnInit) s.ux->BufferedPaintUnInit();
  DeleteObject(s.dotPen);
  DeleteObject(s.patternBrush);
  memset(&s, 0, sizeof(s));
}

// ---------------------------------------------------------------- colours

static COLORREF Darken(COLORREF c) {
  unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  if (b & 0xF0) b -= 0x0F;
  if (g & 0xF0) g -= 0x0B;
  if (r & 0xF0) r -= 0x0B;
  return RGB(r, g, b);
}

static COLORREF Eighths(COLORREF a, COLORREF hi) {
  return ((a >> 3) & 0x1F1F1F) * 7 + ((hi >> 3) & 0x1F1F1F);
}

void TreeListResetColors(TreeListState* st) {
  COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF info = GetSysColor(COLOR_INFOBK), highlight = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF d[18];
  d[0] = window;
  d[2] = window;
  int dr = GetRValue(info) - GetRValue(d[2]), dg = GetGValue(info) - GetGValue(d[2]), db = GetBValue(info) - GetBValue(d[2]);
  d[1] = dr * dr + dg * dg + db * db < 64 ? RGB(GetRValue(d[2]), GetGValue(d[2]), GetBValue(d[2]) >= 7 ? GetBValue(d[2]) - 7 : 0)
                                          : info;
  d[3] = face;
  d[4] = text;
  d[5] = text;
  d[6] = GetSysColor(COLOR_BTNSHADOW);
  d[7] = text ^ 0xFF0000;
  d[10] = info;
  d[11] = window;
  d[12] = Darken(window);
  d[14] = Darken(window);
  d[15] = ((GetSysColor(COLOR_SCROLLBAR) >> 2) & 0x3F3F3F) + ((window >> 2) & 0x3F3F3F) * 3;
  d[16] = (GetSysColor(COLOR_MENU) >> 1) & 0x7F7F7F;
  d[17] = ((face >> 2) & 0x3F3F3F) * 3 + ((highlight >> 2) & 0x3F3F3F);
  // slots that derive from others take the explicitly set values
  for (int i = 0; i < 18; i++)
    if (!(st->colorSet & (1u << i)) && i != 8 && i != 9 && i != 13) st->colors[i] = d[i];
  if (!(st->colorSet & (1u << 8))) st->colors[8] = Eighths(st->colors[1], highlight);
  if (!(st->colorSet & (1u << 9))) st->colors[9] = Eighths(st->colors[2], highlight);
  if (!(st->colorSet & (1u << 13))) st->colors[13] = Darken(st->colors[1]);
}

// ---------------------------------------------------------------- fonts

void TreeListSetupFonts(TreeListState* st, HFONT font) {
  TreeListWin* w = st->win;
  HFONT old = w->font;
  if (w->ownBold && w->boldFont) DeleteObject(w->boldFont);
  w->ownBold = false;
  if (!font) {
    w->font = DrawGetUiFont(0);
    w->boldFont = DrawGetUiFont(1);
  } else {
    w->font = font;
    LOGFONTA lf = {};
    GetObjectA(font, sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    w->boldFont = CreateFontIndirectA(&lf);
    w->ownBold = w->boldFont != nullptr;
    if (!w->boldFont) w->boldFont = font;
  }
  HDC dc = GetDC(w->hwnd);
  HGDIOBJ o = SelectObject(dc, w->font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  w->fontH = tm.tmHeight;
  SIZE sz;
  GetTextExtentPoint32A(dc, "...", 3, &sz);
  w->dotsW = sz.cx;
  SelectObject(dc, w->boldFont);
  GetTextExtentPoint32A(dc, "...", 3, &sz);
  w->dotsBoldW = sz.cx;
  SelectObject(dc, o);
  ReleaseDC(w->hwnd, dc);
  if (old != w->font) {
    for (uint32_t h = 1; h <= st->capacity; h++) {
      TreeListItem* it = st->items[h];
      if (!it) continue;
      it->textWidth = 0;
      for (int c = 1; c < TL_MAXCOLUMNS; c++)
        if (st->cells[c] && st->cells[c][h]) st->cells[c][h]->textWidth = 0;
    }
    TreeListMeasure(st);
    TreeListInvalidateAll(st);
  }
}

// ---------------------------------------------------------------- themes

void TreeListOpenThemes(TreeListState* st) {
  TreeListWin* w = st->win;
  if (!g_tlShared.ux->OpenThemeData) return;
  w->theme = g_tlShared.ux->OpenThemeData(w->hwnd, L"TREEVIEW");
  st->themed = w->theme ? 1 : 0;
}

void TreeListCloseThemes(TreeListState* st) {
  TreeListWin* w = st->win;
  if (w->theme && g_tlShared.ux->CloseThemeData) g_tlShared.ux->CloseThemeData(w->theme);
  if (w->buttonTheme && g_tlShared.ux->CloseThemeData) g_tlShared.ux->CloseThemeData(w->buttonTheme);
  w->theme = w->buttonTheme = nullptr;
  st->themed = 0;
}

// ---------------------------------------------------------------- check boxes

void TreeListBuildCheckImages(TreeListState* st, bool cells) {
  TreeListWin* w = st->win;
  const int type = cells ? TLIL_CELLSTATE : TLIL_STATE;
  if (w->lists[type] && w->owned[type] && w->lists[type] != TL_BUILTIN_CHECKS) ImageList_Destroy(w->lists[type]);
  HIMAGELIST built;
  if (w->buttonTheme && g_tlShared.ux->CloseThemeData) g_tlShared.ux->CloseThemeData(w->buttonTheme);
  w->buttonTheme = g_tlShared.ux->OpenThemeData ? g_tlShared.ux->OpenThemeData(w->hwnd, L"BUTTON") : nullptr;
  int size = 16;
  if (w->buttonTheme) {
    SIZE sz = {};
    HDC dc = GetDC(w->hwnd);
    if (g_tlShared.ux->GetThemePartSize &&
        SUCCEEDED(g_tlShared.ux->GetThemePartSize(w->buttonTheme, dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_DRAW, &sz)) &&
        sz.cx + 3 > size)
      size = sz.cx + 3;
    ReleaseDC(w->hwnd, dc);
    built = TL_BUILTIN_CHECKS;
  } else {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bm = CreateCompatibleBitmap(screen, 48, 16);
    HGDIOBJ old = SelectObject(dc, bm);
    // drawn on a key colour that the mask takes out around the boxes
    const COLORREF key = RGB(255, 0, 255);
    RECT all = {0, 0, 48, 16};
    HBRUSH bg = CreateSolidBrush(key);
    FillRect(dc, &all, bg);
    DeleteObject(bg);
    for (int i = 1; i <= 2; i++) {
      RECT r = {i * 16 + 1, 1, i * 16 + 14, 14};
      DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (i == 2 ? DFCS_CHECKED : 0));
    }
    SelectObject(dc, old);
    HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
    ImageList_AddMasked(il, bm, key);
    DeleteObject(bm);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    built = il;
  }
  w->lists[type] = built;
  w->owned[type] = true;
  if (cells) {
    // the cells' boxes alone give the tree column no state-image room
    st->builtinChecks |= TL_CHECKS_CELLS;
    st->hasCellStateList = 1;
    if (!st->hasStateList) st->stateW = st->stateH = size;
    return;
  }
  st->builtinChecks |= TL_CHECKS_ITEMS;
  st->hasStateList = 1;
  st->stateW = st->stateH = size;
  if (!w->lists[TLIL_CELLSTATE]) {
    st->hasCellStateList = 1;
  }
}

// ---------------------------------------------------------------- metrics

void TreeListMeasure(TreeListState* st) {
  TreeListWin* w = st->win;
  if (st->explicitHeight) return;
  int h = 8;
  if (st->stateH > h) h = st->stateH;
  if (st->imageH > h) h = st->imageH;
  if (st->cellImageH > h) h = st->cellImageH;
  h += (st->options & (TLOPT_GRID | TLOPT_ALTROWS)) ? 2 : 1;
  if (h < w->fontH + 3) h = w->fontH + 3;
  if (h < st->minRowHeight) h = st->minRowHeight;
  if (st->options & TLOPT_GRID) h++;
  if ((h & 1) && (st->style & 0x4000u)) h++;
  if (h > 256) h = 256;
  if (h != st->rowHeight) {
    st->rowHeight = h;
    TreeListUpdateView(st, true);
    TreeListInvalidateAll(st);
  }
}

// ---------------------------------------------------------------- image lists

static void ListSize(HIMAGELIST il, int32_t* w, int32_t* h) {
  *w = *h = 0;
  if (!il || il == TL_BUILTIN_CHECKS) return;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(il, &cx, &cy);
  *w = cx;
  *h = cy;
}

LRESULT TreeListSetImageList(TreeListState* st, WPARAM wp, HIMAGELIST list) {
  TreeListWin* w = st->win;
  uint32_t type = static_cast<uint32_t>(wp & 0xFFFFu);
  bool notOwned = (wp & 0x40000000u) != 0;
  if (type == 1 || type >= TLIL_COUNT) return 0;
  HIMAGELIST prev = w->lists[type];
  bool destroyed = false;
  if (prev && prev != list && w->owned[type]) {
    bool keep = (type == TLIL_NORMAL || type == TLIL_CELL) && (st->options & TLOPT_SHAREDIMAGES);
    if (prev != TL_BUILTIN_CHECKS && !keep) ImageList_Destroy(prev);
    destroyed = true;
  }
  w->lists[type] = list;
  w->owned[type] = list && !notOwned;
  switch (type) {
    case TLIL_NORMAL:
      st->hasImageList = list != nullptr;
      ListSize(list, &st->imageW, &st->imageH);
      if (!w->cellListOwn) {
        w->lists[TLIL_CELL] = list, w->owned[TLIL_CELL] = false;
        ListSize(list, &st->cellImageW, &st->cellImageH);
        st->hasCellImageList = list != nullptr;
      }
      if (!w->headerListOwn && w->header) SendMessageA(w->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
      // the items' shows-image flags follow
      for (uint32_t h = 1; h <= st->capacity; h++) {
        TreeListItem* it = st->items[h];
        if (!it) continue;
        if (list && it->image != -2) it->flags |= TLF_HASIMAGE; else it->flags &= ~TLF_HASIMAGE;
      }
      break;
    case TLIL_STATE:
      st->builtinChecks = (st->builtinChecks & ~TL_CHECKS_ITEMS) | (list == TL_BUILTIN_CHECKS ? TL_CHECKS_ITEMS : 0);
      st->hasStateList = list != nullptr;
      if (list == TL_BUILTIN_CHECKS) st->stateW = st->stateH = 16;
      else ListSize(list, &st->stateW, &st->stateH);
      break;
    case TLIL_CELLSTATE:
      st->builtinChecks = (st->builtinChecks & ~TL_CHECKS_CELLS) | (list == TL_BUILTIN_CHECKS ? TL_CHECKS_CELLS : 0);
      st->hasCellStateList = list != nullptr;
      break;
    case TLIL_CELL:
      w->cellListOwn = true;
      st->hasCellImageList = list != nullptr;
      ListSize(list, &st->cellImageW, &st->cellImageH);
      break;
    case TLIL_HEADER:
      w->headerListOwn = true;
      if (w->header) SendMessageA(w->header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
      break;
  }
  TreeListMeasure(st);
  TreeListInvalidateAll(st);
  // a list destroyed here (or the check-box marker) is no handle to give back
  if (destroyed || prev == TL_BUILTIN_CHECKS) return 0;
  return reinterpret_cast<LRESULT>(prev);
}

void TreeListDestroyImageLists(TreeListState* st) {
  TreeListWin* w = st->win;
  for (int t = 0; t < TLIL_COUNT; t++) {
    HIMAGELIST il = w->lists[t];
    if (il && w->owned[t] && il != TL_BUILTIN_CHECKS) {
      bool keep = (t == TLIL_NORMAL || t == TLIL_CELL) && (st->options & TLOPT_SHAREDIMAGES);
      if (!keep) ImageList_Destroy(il);
    }
    w->lists[t] = nullptr;
    w->owned[t] = false;
  }
}
