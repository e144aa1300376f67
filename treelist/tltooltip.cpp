// The tooltip: its window and subclass, hover tips of cut texts and info
// tips from the parent, the growing text buffer, and the drag image.
#include <stdlib.h>
#include <string.h>

#include "treelist/tlhittest.h"
#include "treelist/tlwin.h"

static const char kOwnerProp[] = "TLOwner";
static const char kPrevProp[] = "TLPrev";

static LRESULT CALLBACK TreeListToolTipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC prev = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPrevProp));
  HWND owner = reinterpret_cast<HWND>(GetPropA(hwnd, kOwnerProp));
  // the tip lies over the label it shows: clicks go through to the control,
  // so that a double-click on a cut label still reaches it
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  if (msg == WM_SETFOCUS && lp) {
    SetFocus(reinterpret_cast<HWND>(lp));
    return 0;
  }
  if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK && owner) {
    POINT pt = {static_cast<int16_t>(LOWORD(lp)), static_cast<int16_t>(HIWORD(lp))};
    MapWindowPoints(hwnd, owner, &pt, 1);
    return TreeListWndProc(owner, msg, wp, MAKELPARAM(pt.x, pt.y));
  }
  if (msg == WM_NCDESTROY) {
    RemovePropA(hwnd, kOwnerProp);
    RemovePropA(hwnd, kPrevProp);
  }
  return prev ? CallWindowProcA(prev, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

void TreeListCreateToolTip(TreeListState* st) {
  TreeListWin* w = st->win;
  if (w->tooltip) return;
  // a pop-up takes no control id (it would be read as a menu handle and
  // the creation fail); its notifications are told apart by their sender
  HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, w->hwnd, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (!tip) return;
  TTTOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_TRANSPARENT | TTF_ABSOLUTE;
  ti.hwnd = w->hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(w->hwnd);
  GetClientRect(w->hwnd, &ti.rect);
  ti.lpszText = LPSTR_TEXTCALLBACKA;
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 10000);
  SetPropA(tip, kOwnerProp, w->hwnd);
  SetPropA(tip, kPrevProp, reinterpret_cast<HANDLE>(SetWindowLongPtrA(tip, GWLP_WNDPROC,
                                                                        reinterpret_cast<LONG_PTR>(&TreeListToolTipProc))));
  w->tooltip = tip;
}

void TreeListHideTip(TreeListState* st) {
  TreeListWin* w = st->win;
  if (!w) return;
  KillTimer(w->hwnd, TL_TIMER_TIP);
  w->tipTicks = 0;
  if (w->tooltip && w->tipShown) {
    TTTOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = w->hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(w->hwnd);
    SendMessageA(w->tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
  }
  w->tipShown = false;
  st->tipItem = 0;
  st->tipColumn = 0;
}

// The tip text grows in steps of 256 bytes; texts are cut at the length limit.
static bool SetTipText(TreeListWin* w, const char* text, size_t len) {
  if (len > TL_TEXTMAX) len = TL_TEXTMAX;
  size_t need = (len + 1 + 255) & ~static_cast<size_t>(255);
  if (need > w->tipCap) {
    char* p = static_cast<char*>(realloc(w->tipBuf, need));
    if (!p) return false;
    w->tipBuf = p;
    w->tipCap = need;
  }
  memcpy(w->tipBuf, text, len);
  w->tipBuf[len] = 0;
  return true;
}

static void ShowTip(TreeListState* st, const RECT& textRect) {
  TreeListWin* w = st->win;
  if (!w->tooltip) return;
  TTTOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.hwnd = w->hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(w->hwnd);
  SendMessageA(w->tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
  POINT pt = {textRect.left, textRect.top};
  ClientToScreen(w->hwnd, &pt);
  SendMessageA(w->tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x, pt.y));
  TreeListItem* it = TLGet(st, st->tipItem);
  SendMessageA(w->tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(it && (it->state & TLIS_BOLD) ? w->boldFont : w->font), 0);
  SendMessageA(w->tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
  // a long text near an edge stays inside its monitor's work area
  RECT tip;
  MONITORINFO mi = {};
  mi.cbSize = sizeof(mi);
  if (GetWindowRect(w->tooltip, &tip) && GetMonitorInfoA(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi)) {
    POINT at = pt;
    if (at.x + (tip.right - tip.left) > mi.rcWork.right) at.x = mi.rcWork.right - (tip.right - tip.left);
    if (at.y + (tip.bottom - tip.top) > mi.rcWork.bottom) at.y = mi.rcWork.bottom - (tip.bottom - tip.top);
    if (at.x < mi.rcWork.left) at.x = mi.rcWork.left;
    if (at.y < mi.rcWork.top) at.y = mi.rcWork.top;
    if (at.x != pt.x || at.y != pt.y) SendMessageA(w->tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  }
  w->tipShown = true;
  g_tlSetTimer(w->hwnd, TL_TIMER_TIP, 1500, nullptr);
}

void TreeListHoverTip(TreeListState* st, uint32_t item, int column) {
  TreeListWin* w = st->win;
  bool delayed = column == -1000;  // the info-tip delay ran out
  if (delayed) column = st->tipColumn;
  if (!item) {
    if (st->tipItem) TreeListHideTip(st);
    return;
  }
  if (!delayed && item == st->tipItem && column == st->tipColumn) return;
  TreeListHideTip(st);
  st->tipItem = item;
  st->tipColumn = column;
  TLRect tr = {static_cast<int32_t>(item), 0, 0, 0};
  uint32_t what = column ? (0x80u | 1u | (static_cast<uint32_t>(column) << 24)) : 1u;
  if (!TreeListGetItemRect(st, what, &tr)) return;
  RECT rc = {tr.left, tr.top, tr.right, tr.bottom};
  if (column) {
    int32_t l = st->colX[st->columns[column].position] - st->hOffset;
    int32_t r = st->colX[st->columns[column].position + 1] - st->hOffset;
    rc.left = l;
    rc.right = r;
  } else {
    rc.right = st->columnCount ? st->colX[st->columns[0].position + 1] - st->hOffset : st->clientW;
  }
  RECT client = {0, 0, st->clientW, st->clientH};
  IntersectRect(&rc, &rc, &client);
  if (st->options & TLOPT_INFOTIPS) {
    TLNmTreeView nm = {};
    std::string text;
    TLFillItemText(st, &nm.itemNew, item, 0x801Cu, column, &text);
    nm.ptDrag.x = rc.left;
    nm.ptDrag.y = rc.top;
    intptr_t answer = TreeListNotify(st, &nm.hdr, TLN_GETINFOTIP);
    if (st->dead || !TLGet(st, item)) return;
    if (answer) {
      const char* tip = nm.itemNew.pszText;
      if (!tip || tip == TL_TEXTCALLBACK) tip = "";
      if (!SetTipText(w, tip, strnlen(tip, TL_TEXTMAX))) return;
      if (!delayed && (nm.itemNew.mask & TLIF_DELAYTIP) && nm.itemNew.lParam > 0) {
        w->tipTicks = static_cast<int>((nm.itemNew.lParam + 499) / 500);
        g_tlSetTimer(w->hwnd, TL_TIMER_TIP, 500, nullptr);
        return;
      }
      ShowTip(st, rc);
      return;
    }
  }
  uint32_t len = 0;
  const char* t = TreeListItemText(st, item, column, &len);
  if (!TLGet(st, item) || !len) return;
  int tw = w->HostMeasureText(t, static_cast<int>(len), (TLGet(st, item)->state & TLIS_BOLD) != 0);
  int room = rc.right - rc.left;
  if (room > tw + 4) return;  // fits: no tip
  if (!SetTipText(w, t, len)) return;
  if (!delayed) {
    // only once the mouse rests: a tip popping up under a double-click takes its second click
    w->tipTicks = 1;
    g_tlSetTimer(w->hwnd, TL_TIMER_TIP, 400, nullptr);
    return;
  }
  ShowTip(st, rc);
}

LRESULT TreeListTipText(TreeListState* st, NMHDR* nm) {
  TreeListWin* w = st->win;
  NMTTDISPINFOA* di = reinterpret_cast<NMTTDISPINFOA*>(nm);
  di->lpszText = w->tipBuf ? w->tipBuf : const_cast<char*>("");
  di->szText[0] = 0;
  di->hinst = nullptr;
  return 0;
}

HIMAGELIST TreeListCreateDragImage(TreeListState* st, uint32_t item, int column) {
  TreeListWin* w = st->win;
  TreeListItem* it = TLGet(st, item);
  if (!it || (column && static_cast<uint32_t>(column) >= st->columnCount)) return nullptr;
  char copy[260];
  const char* t;
  uint32_t len = 0;
  if (column && !TLGetCell(st, item, static_cast<uint32_t>(column), false)) {
    t = "????";
    len = 4;
  } else {
    t = TreeListItemText(st, item, column, &len);
  }
  if (len > sizeof(copy) - 1) len = sizeof(copy) - 1;
  memcpy(copy, t, len);
  copy[len] = 0;
  it = TLGet(st, item);
  if (!it) return nullptr;
  bool bold = (it->state & TLIS_BOLD) != 0;
  bool image = (it->flags & TLF_HASIMAGE) && st->hasImageList && !column;
  int tw = w->HostMeasureText(copy, static_cast<int>(len), bold);
  int width = tw + (image ? st->imageW + 2 : 0);
  if (width > 240) width = 240;
  if (width < 1) width = 1;
  int height = w->fontH > st->imageH ? w->fontH : st->imageH;
  if (height > 32) height = 32;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ ob = SelectObject(dc, bm);
  const COLORREF key = 0x5B4D7B;
  RECT all = {0, 0, width, height};
  SetBkColor(dc, key);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, "", 0, nullptr);
  int x = 0;
  if (image) {
    RECT ir = {0, 0, st->imageW, height};
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &ir, "", 0, nullptr);
    bool cellList = false;
    extern int TLImageIndex(TreeListState*, uint32_t, bool*);
    int idx = TLImageIndex(st, item, &cellList);
    if (idx >= 0) ImageList_Draw(cellList ? w->lists[TLIL_CELL] : w->lists[TLIL_NORMAL], idx, dc, 0, 0, ILD_TRANSPARENT);
    x = st->imageW + 2;
  }
  HGDIOBJ of = SelectObject(dc, bold ? w->boldFont : w->font);
  SetTextColor(dc, st->colors[4]);
  SetBkColor(dc, key);
  RECT tr = {x, 0, width, height};
  ExtTextOutA(dc, x, (height - w->fontH) / 2, ETO_OPAQUE | ETO_CLIPPED, &tr, copy, len, nullptr);
  SelectObject(dc, of);
  SelectObject(dc, ob);
  HIMAGELIST il = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 1, 0);
  if (il) ImageList_AddMasked(il, bm, key);
  DeleteObject(bm);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return il;
}
