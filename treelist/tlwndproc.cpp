// Registration, the window procedure (dispatch under the lock, the state kept
// alive while a caller is inside), creation and destruction, and the window
// messages that are not input, painting or editing.
#include <new>
#include <stdlib.h>
#include <string.h>

#include "treelist/tlwin.h"

namespace {

// Guards the read of a window's state against its release at WM_NCDESTROY
// (direct calls come from other threads).
CRITICAL_SECTION g_stateGuard;
LONG g_guardInit = 0;

void InitGuard() {
  if (InterlockedCompareExchange(&g_guardInit, 1, 0) == 0) {
    InitializeCriticalSection(&g_stateGuard);
    InterlockedExchange(&g_guardInit, 2);
  }
  while (g_guardInit != 2) Sleep(0);
}

TreeListState* TakeState(HWND hwnd) {
  InitGuard();
  EnterCriticalSection(&g_stateGuard);
  TreeListState* st = reinterpret_cast<TreeListState*>(GetWindowLongPtrA(hwnd, 0));
  if (st && IsWindow(hwnd) && !st->dead)
    TreeListAddRef(st);
  else
    st = nullptr;
  LeaveCriticalSection(&g_stateGuard);
  return st;
}

LONG g_registered = 0;

}  // namespace

int TreeListRegisterClass(HINSTANCE instance) {
  if (g_registered) return 1;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = TreeListWndProc;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = instance ? instance : GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = TREELIST_CLASSNAME;
  if (!RegisterClassExA(&wc)) {
    WNDCLASSEXA have = {};
    have.cbSize = sizeof(have);
    if (!GetClassInfoExA(wc.hInstance, TREELIST_CLASSNAME, &have)) return 0;
  }
  InterlockedExchange(&g_registered, 1);
  return 1;
}

// ---------------------------------------------------------------- host

intptr_t TreeListWin::HostNotify(TLNmHdr* rec) {
  rec->hwndFrom = reinterpret_cast<uintptr_t>(hwnd);
  rec->idFrom = static_cast<uintptr_t>(GetWindowLongPtrA(hwnd, GWLP_ID));
  HWND parent = GetParent(hwnd);
  if (!parent) return 0;
  return SendMessageA(parent, WM_NOTIFY, rec->idFrom, reinterpret_cast<LPARAM>(rec));
}

void TreeListWin::HostInvalidate(const TLRect* r) {
  if (st->redrawOff) return;
  if (r) {
    RECT rc = {r->left, r->top, r->right, r->bottom};
    InvalidateRect(hwnd, &rc, FALSE);
  } else {
    InvalidateRect(hwnd, nullptr, FALSE);
  }
}

void TreeListWin::HostSetScroll(int bar, int maxValue, int page, int pos, bool forced) {
  if (GetCurrentThreadId() != GetWindowThreadProcessId(hwnd, nullptr)) {
    TreeListQueueAction(st, bar ? 8 : 7, 0, 0);
    return;
  }
  if (st->sbMax[bar] == maxValue && st->sbPage[bar] == page && st->sbPos[bar] == pos) return;
  if (bar == 1 && !forced && GetTickCount() - st->lastVScrollTick < 200) {
    TreeListQueueAction(st, 8, 0, 0);
    return;
  }
  if (bar == 1) st->lastVScrollTick = GetTickCount();
  st->sbMax[bar] = maxValue;
  st->sbPage[bar] = page;
  st->sbPos[bar] = pos;
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (bar == 1 && (st->options & TLOPT_KEEPVSCROLL)) si.fMask |= SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = maxValue;
  si.nPage = static_cast<UINT>(page < 0 ? 0 : page);
  si.nPos = pos;
  SetScrollInfo(hwnd, bar ? SB_VERT : SB_HORZ, &si, !st->redrawOff);
}

void TreeListWin::HostScrolled(int bar) {
  if (header && (bar == 0 || bar == 2)) {
    SetWindowPos(header, nullptr, -st->hOffset, 0, st->clientW + st->hOffset, st->headerH,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (bar == 2 && header) {
    for (uint32_t c = 0; c < st->columnCount; c++) {
      HDITEMA hd = {};
      hd.mask = HDI_WIDTH;
      hd.cxy = st->columns[c].headerWidth;
      SendMessageA(header, HDM_SETITEMA, c, reinterpret_cast<LPARAM>(&hd));
    }
  }
}

int TreeListWin::HostMeasureText(const char* text, int length, bool bold) {
  if (!measureDC) measureDC = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(measureDC, bold ? boldFont : font);
  RECT rc = {0, 0, 0, 0};
  DrawTextExA(measureDC, const_cast<char*>(text), length, &rc, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER,
              nullptr);
  SelectObject(measureDC, old);
  return rc.right - rc.left;
}

void TreeListWin::HostForget(uint32_t item, int column) {
  if (!HostOnWindowThread()) {
    // a worker's delete holds the lock; the tip's and the editor's
    // notifications would wait for it on the window's thread
    bool endEdit = st->editItem && (st->editItem == item || (column > 0 && st->editColumn == column));
    uint32_t value = endEdit ? 1u | (static_cast<uint32_t>(st->editColumn) << 1) | (editGen << 8) : 0u;
    if (endEdit) st->editItem = 0, st->editColumn = 0;
    if ((item && st->tipItem == item) || (!item && column >= 0 && st->tipColumn == column)) st->tipItem = 0;
    if (item && pressItem == item) {
      pressItem = 0;
      pressButton = 0;
      selectOnRelease = false;
    }
    TreeListQueueAction(st, 13, item, value);
    return;
  }
  if (st->editItem && (st->editItem == item || (column > 0 && st->editColumn == column))) TreeListEndEdit(st, 1, 0);
  if (item && st->tipItem == item) TreeListHideTip(st);
  if (item && pressItem == item) {
    pressItem = 0;
    pressButton = 0;
    selectOnRelease = false;
  }
  if (!item && column >= 0 && st->tipColumn == column) TreeListHideTip(st);
}

void TreeListWin::HostForgetLater(uint32_t item, uint32_t value) {
  if (!st->tipItem) TreeListHideTip(st);
  // unless another edit began meanwhile, the editor ends as a cancel
  if ((value & 1u) && edit && !st->editItem && (editGen & 0xFFFFFFu) == (value >> 8)) {
    st->editItem = item;
    st->editColumn = static_cast<int>((value >> 1) & 31u);
    TreeListEndEdit(st, 1, 0);
  }
}

bool TreeListWin::HostWaitBusy() {
  if (!HostOnWindowThread()) {
    Sleep(1);
    return true;
  }
  if (InSendMessage()) return false;
  // the busy thread may wait for an answer from this one
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  return true;
}

// ---------------------------------------------------------------- life

static LRESULT OnCreate(HWND hwnd, CREATESTRUCTA* cs) {
  TreeListWin* w = new (std::nothrow) TreeListWin;
  if (!w) return -1;
  TreeListState* st = TreeListCreateState(w);
  if (!st) {
    delete w;
    return -1;
  }
  w->hwnd = hwnd;
  w->st = st;
  st->win = w;
  st->ownsHost = 1;
  TreeListAcquireShared();
  st->style = static_cast<uint32_t>(cs->style);
  st->enabled = IsWindowEnabled(hwnd) ? 1 : 0;
  st->linesAtRoot = (st->style & 0x3u) && (st->style & TVS_LINESATROOT);
  st->paintMetric = GetSystemMetrics(SM_CYICON) / 8;
  st->buttonHalf = st->paintMetric > 0 ? st->paintMetric : 4;
  InitGuard();
  EnterCriticalSection(&g_stateGuard);
  SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(st));
  LeaveCriticalSection(&g_stateGuard);
  RECT rc;
  GetClientRect(hwnd, &rc);
  st->clientW = rc.right;
  st->clientH = rc.bottom;
  if (!(st->style & TVS_NOTOOLTIPS)) TreeListCreateToolTip(st);
  TreeListSetupFonts(st, nullptr);
  TreeListResetColors(st);
  TreeListOpenThemes(st);
  if (st->style & TVS_CHECKBOXES) TreeListBuildCheckImages(st, false);
  TreeListMeasure(st);
  TreeListUpdateView(st, true);
  return 0;
}

static void OnDestroy(TreeListState* st) {
  TreeListWin* w = st->win;
  st->dying = 1;
  TreeListDeleteItem(st, TLI_ROOT, TLDEL_RENUMBER);
  if (st->dead) return;
  if (st->editItem) TreeListEndEdit(st, 1, 0);
  TreeListDestroyImageLists(st);
  if (w->ownBold && w->boldFont) DeleteObject(w->boldFont);
  w->boldFont = nullptr;
  w->ownBold = false;
  if (w->edit) DestroyWindow(w->edit), w->edit = nullptr;
  if (w->header) DestroyWindow(w->header), w->header = nullptr;
  if (w->tooltip) DestroyWindow(w->tooltip), w->tooltip = nullptr;
  TreeListCloseThemes(st);
  st->columnCount = 0;
}

static void OnNcDestroy(HWND hwnd, TreeListState* st) {
  TreeListWin* w = st->win;
  InitGuard();
  EnterCriticalSection(&g_stateGuard);
  SetWindowLongPtrA(hwnd, 0, 0);
  st->dead = 1;
  LeaveCriticalSection(&g_stateGuard);
  if (w->measureDC) DeleteDC(w->measureDC), w->measureDC = nullptr;
  free(w->tipBuf);
  w->tipBuf = nullptr;
  TreeListReleaseShared();
  TreeListRelease(st);  // the window's own reference
}

// ---------------------------------------------------------------- messages

static LRESULT OnSize(TreeListState* st, int width, int height) {
  TreeListWin* w = st->win;
  int32_t delta = width - st->clientW;
  st->clientW = width;
  st->clientH = height;
  if (delta) {
    if (st->columnCount) TreeListSyncHeader(st, delta);
    if (w->header) {
      SetWindowPos(w->header, nullptr, -st->hOffset, 0, width + st->hOffset, st->headerH, SWP_NOZORDER | SWP_NOACTIVATE);
      RedrawWindow(w->header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    TreeListUpdateHScroll(st);
  }
  int32_t oldFull = static_cast<int32_t>(st->fullRows);
  TreeListUpdateView(st, true);
  if (static_cast<int32_t>(st->fullRows) > oldFull && static_cast<int32_t>(st->firstRow) > TreeListMaxFirstRow(st))
    st->firstRow = static_cast<uint32_t>(TreeListMaxFirstRow(st));
  TreeListInvalidateAll(st);
  return 0;
}

static LRESULT OnScroll(TreeListState* st, int bar, WPARAM wp) {
  if (st->editItem) return 0;
  int code = LOWORD(wp);
  if (bar == 0) {
    int32_t off = st->hOffset;
    switch (code) {
      case SB_LINELEFT: off -= 16; break;
      case SB_LINERIGHT: off += 16; break;
      case SB_PAGELEFT: off -= st->clientW; break;
      case SB_PAGERIGHT: off += st->clientW; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        if (TreeListTotalWidth(st) >= 0x7F00) {
          // the message's 16 bits may not hold the position
          SCROLLINFO si = {};
          si.cbSize = sizeof(si);
          si.fMask = SIF_TRACKPOS;
          GetScrollInfo(st->win->hwnd, SB_HORZ, &si);
          off = si.nTrackPos;
        } else {
          off = HIWORD(wp);
        }
        break;
      case 12: off = static_cast<int32_t>(wp >> 4); break;
      default: return 0;
    }
    TreeListSetHScroll(st, off, static_cast<uint32_t>(code));
    return 0;
  }
  int32_t first = static_cast<int32_t>(st->firstRow);
  int32_t page = static_cast<int32_t>(st->fullRows) - 1;
  if (page < 1) page = 1;
  switch (code) {
    case SB_LINEUP: first--; break;
    case SB_LINEDOWN: first++; break;
    case SB_PAGEUP: first -= page; break;
    case SB_PAGEDOWN: first += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (st->shownRows >= 0x7F00) {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(st->win->hwnd, SB_VERT, &si);
        first = si.nTrackPos;
      } else {
        first = HIWORD(wp);
      }
      break;
    case SB_TOP: first = 0; break;
    case SB_BOTTOM: first = TreeListMaxFirstRow(st); break;
    case 12: first = static_cast<int32_t>(wp >> 4); break;
    default: return 0;
  }
  TreeListSetVScroll(st, first, static_cast<uint32_t>(code));
  return 0;
}

static LRESULT OnWheel(TreeListState* st, WPARAM wp) {
  WORD keys = LOWORD(wp);
  if ((keys & (MK_RBUTTON | MK_MBUTTON)) || ((keys & MK_LBUTTON) && !st->win->dragging) || st->editItem ||
      (st->style & TVS_NOSCROLL))
    return 0;
  int rows = static_cast<int16_t>(HIWORD(wp)) / 60;
  if (keys & MK_SHIFT) rows *= 3;
  if (keys & MK_CONTROL) rows *= 9;
  TreeListSetVScroll(st, static_cast<int32_t>(st->firstRow) - rows, 11);
  if (st->win->dragging && !st->dead) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(st->win->hwnd, &pt);
    TreeListDragMove(st, pt.x, pt.y, (GetKeyState(VK_CONTROL) & 0x8000) != 0);
  }
  return 0;
}

static void OnFocus(TreeListState* st, bool on) {
  if (st->focused == (on ? 1 : 0)) return;
  st->focused = on ? 1 : 0;
  if (st->selCount > 1) TreeListInvalidateAll(st);
  else if (st->selItem) TreeListInvalidateItem(st, st->selItem, (st->options & TLOPT_FULLROWSELECT) ? -1 : st->selColumn);
  TLNmHdr nm = {};
  TreeListNotify(st, &nm, on ? NM_SETFOCUS : NM_KILLFOCUS);
}

static void OnStyleChanged(TreeListState* st, WPARAM which, const STYLESTRUCT* ss) {
  if (which != static_cast<WPARAM>(GWL_STYLE)) return;
  uint32_t old = st->style, now = ss->styleNew;
  st->style = now;
  uint32_t diff = old ^ now;
  if (diff & (TVS_CHECKBOXES | 0x4000u)) {
    if ((now & TVS_CHECKBOXES) && !st->win->lists[TLIL_STATE]) TreeListBuildCheckImages(st, false);
    else if (!(now & TVS_CHECKBOXES) && (st->builtinChecks & TL_CHECKS_ITEMS)) TreeListSetImageList(st, TVSIL_STATE, nullptr);
    TreeListMeasure(st);
    TreeListLayoutRows(st, 0);
  }
  if (diff & 0x347u) {
    st->linesAtRoot = (now & 0x3u) && (now & TVS_LINESATROOT);
    TreeListInvalidateAll(st);
  }
  if (diff & TVS_NOSCROLL) {
    for (int i = 0; i < 2; i++) st->sbMax[i] = st->sbPage[i] = st->sbPos[i] = -1;
    TreeListUpdateView(st, true);
    TreeListUpdateHScroll(st);
  }
  if (diff & TVS_NOTOOLTIPS) {
    if (!(now & TVS_NOTOOLTIPS) && !st->win->tooltip) TreeListCreateToolTip(st);
    else TreeListHideTip(st);
  }
  if (diff & WS_DISABLED) {
    st->enabled = (now & WS_DISABLED) ? 0 : 1;
    if (!st->enabled) TreeListHideTip(st);
    TreeListInvalidateAll(st);
  }
}

// the process-wide incremental search text (tlkeys.cpp)
extern char g_tlSearchText[17];
extern int g_tlSearchLength;
extern DWORD g_tlSearchTime;

static LRESULT ISearch(TreeListState* st, char* buf) {
  (void)st;
  bool fresh = g_tlSearchLength && g_tlClock() - g_tlSearchTime <= 750;
  int n = fresh ? g_tlSearchLength : 0;
  if (buf) {
    memcpy(buf, g_tlSearchText, n);
    buf[n] = 0;
  }
  return n;
}

static LRESULT Dispatch(TreeListState* st, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TreeListWin* w = st->win;
  switch (msg) {
    case WM_DESTROY: OnDestroy(st); return 0;
    case WM_SIZE: return OnSize(st, LOWORD(lp), HIWORD(lp));
    case WM_SETFOCUS: OnFocus(st, true); return 0;
    case WM_KILLFOCUS: OnFocus(st, false); return 0;
    case WM_CAPTURECHANGED:
      // another window took the mouse: the drag ends as with Escape
      if (w->dragging && reinterpret_cast<HWND>(lp) != hwnd) TreeListDragEnd(st, false);
      return 0;
    case WM_ENABLE:
      if ((st->enabled != 0) != (wp != 0)) {
        LONG s = GetWindowLongA(hwnd, GWL_STYLE);
        SetWindowLongA(hwnd, GWL_STYLE, wp ? (s & ~WS_DISABLED) : (s | WS_DISABLED));
      }
      return 0;
    case WM_SETREDRAW: {
      LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
      if (!wp) {
        st->redrawOff = 1;
      } else if (st->redrawOff) {
        st->redrawOff = 0;
        for (int i = 0; i < 2; i++) st->sbMax[i] = -1;
        TreeListUpdateView(st, true);
        TreeListUpdateHScroll(st);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (w->header) InvalidateRect(w->header, nullptr, TRUE);
      }
      return r;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      if (wp) {
        RECT rc = {0, 0, st->clientW, st->clientH};
        TreeListPaint(st, reinterpret_cast<HDC>(wp), &rc);
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        TreeListPaint(st, dc, &ps.rcPaint);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SYSCOLORCHANGE:
      TreeListCloseThemes(st);
      TreeListOpenThemes(st);
      if (st->builtinChecks & TL_CHECKS_ITEMS) TreeListBuildCheckImages(st, false);
      if (st->builtinChecks & TL_CHECKS_CELLS) TreeListBuildCheckImages(st, true);
      if (w->header) SendMessageA(w->header, msg, wp, lp);
      TreeListResetColors(st);
      TreeListInvalidateAll(st);
      return 0;
    case WM_SHOWWINDOW:
      if (wp) {
        for (int i = 0; i < 2; i++) st->sbMax[i] = st->sbPage[i] = st->sbPos[i] = -1;
        TreeListUpdateView(st, true);
        TreeListUpdateHScroll(st);
      }
      return 0;
    case WM_DRAWITEM:
      if (wp == TL_ID_HEADER) {
        HWND parent = GetParent(hwnd);
        LONG_PTR id = GetWindowLongPtrA(hwnd, GWLP_ID);
        TreeListUnlocked out(st);
        return parent ? SendMessageA(parent, WM_DRAWITEM, id, lp) : 0;
      }
      return 0;
    case WM_SETFONT:
      TreeListSetupFonts(st, reinterpret_cast<HFONT>(wp));
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_NOTIFY: {
      NMHDR* nm = reinterpret_cast<NMHDR*>(lp);
      if (!nm) return 0;
      if (nm->hwndFrom == w->header && w->header) return TreeListHeaderNotify(st, nm);
      if (nm->hwndFrom == w->tooltip && nm->code == TTN_GETDISPINFOA) return TreeListTipText(st, nm);
      return 0;
    }
    case WM_STYLECHANGED: OnStyleChanged(st, wp, reinterpret_cast<const STYLESTRUCT*>(lp)); return 0;
    case WM_GETDLGCODE: {
      const MSG* m = reinterpret_cast<const MSG*>(lp);
      if (m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || (m->wParam == VK_ESCAPE && w->dragging)))
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_KEYDOWN: TreeListKeyDown(st, wp, lp); return 0;
    case WM_KEYUP:
      if (wp == VK_CONTROL && w->dragging) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        TreeListDragMove(st, pt.x, pt.y, false);
      }
      DefWindowProcA(hwnd, msg, wp, lp);
      return 1;
    case WM_CHAR: {
      int repeat = LOWORD(lp) ? LOWORD(lp) : 1;
      for (int i = 0; i < repeat && !st->dead; i++) TreeListChar(st, wp, lp);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == TL_ID_EDIT && st->editItem) {
        UINT code = HIWORD(wp);
        if (code == EN_KILLFOCUS || code == CBN_KILLFOCUS) {
          HWND focus = GetFocus();
          if (focus && w->edit && (focus == w->edit || IsChild(w->edit, focus))) return 0;
          TreeListEndEdit(st, 0, 0);
        } else if (code == TL_EDIT_ENTER) {
          int kind = w->editKind;
          TreeListEndEdit(st, 0, 1);
          if (kind && !st->dead) SetFocus(hwnd);
        } else if (code == TL_EDIT_ESCAPE) {
          int kind = w->editKind;
          TreeListEndEdit(st, 1, 0);
          if (kind && !st->dead) SetFocus(hwnd);
        } else if (code == EN_CHANGE || code == CBN_EDITCHANGE || code == CBN_SELCHANGE || code == 5 || code == 0x1000) {
          w->editChanged = true;
        }
      }
      return 0;
    case WM_HSCROLL: return OnScroll(st, 0, wp);
    case WM_VSCROLL: return OnScroll(st, 1, wp);
    case WM_MOUSEWHEEL: return OnWheel(st, wp);
    case WM_MOUSEMOVE:
      TreeListMouseMove(st, wp, static_cast<int16_t>(LOWORD(lp)), static_cast<int16_t>(HIWORD(lp)));
      return 0;
    case WM_MOUSELEAVE: {
      POINT pt;
      GetCursorPos(&pt);
      ScreenToClient(hwnd, &pt);
      w->trackingLeave = false;
      TreeListMouseMove(st, 0, pt.x, pt.y);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      TreeListMouse(st, msg, wp, lp);
      return 0;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
      if (w->edit && IsWindowVisible(w->edit)) {
        PostMessageA(w->edit, msg, wp, lp);
        return 0;
      }
      if (msg == WM_PASTE && st->selItem && IsClipboardFormatAvailable(CF_TEXT)) {
        TreeListTypedEdit(st, st->selItem, st->selColumn, TLTRIGGER_PASTE);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wp, lp);
    case 0x2006: return 0;
    case WM_TIMER: TreeListTimer(st, wp); return 0;

    // ---- tree-view messages
    case TLM_INSERTITEM: return lp ? TreeListInsertItem(st, reinterpret_cast<const TLInsert*>(lp)) : 0;
    case TLM_DELETEITEM: {
      uint32_t mode;
      switch (wp) {
        case 0x87: mode = 0; break;
        case 0x88: mode = TLDEL_CHILDREN; break;
        case 0x89: mode = 5; break;
        case 0x8A: mode = 6; break;
        default: mode = TLDEL_RENUMBER;
      }
      return TreeListDeleteItem(st, static_cast<uintptr_t>(lp), mode);
    }
    case TLM_EXPAND: return TreeListExpandMsg(st, static_cast<uint32_t>(wp), static_cast<uintptr_t>(lp));
    case TLM_GETITEMRECT: return lp ? TreeListGetItemRect(st, static_cast<uint32_t>(wp), reinterpret_cast<TLRect*>(lp)) : 0;
    case TLM_GETCOUNT: return st->count;
    case TLM_GETINDENT: return st->indent;
    case TLM_SETINDENT: {
      LRESULT prev = st->indent;
      int v = static_cast<int>(wp);
      if (v < 5) v = 5;
      if (v > 64) v = 64;
      if (v != st->indent) st->indent = v, TreeListInvalidateAll(st);
      return prev;
    }
    case TLM_GETIMAGELIST: {
      uint32_t type = static_cast<uint32_t>(wp);
      if (type == 1 || type >= TLIL_COUNT) return 0;
      return reinterpret_cast<LRESULT>(w->lists[type]);
    }
    case TLM_SETIMAGELIST: return TreeListSetImageList(st, wp, reinterpret_cast<HIMAGELIST>(lp));
    case TLM_GETNEXTITEM: return TreeListGetNextItem(st, static_cast<uint32_t>(wp), static_cast<uintptr_t>(lp));
    case TLM_SELECTITEM:
      if (wp == TVGN_CARET) return TreeListSelectItem(st, static_cast<uint32_t>(lp), 0, 0) > 0 ? 1 : 0;
      if (wp == TVGN_DROPHILITE) return TreeListSetHot(st, static_cast<uintptr_t>(lp), 0);
      if (wp == TVGN_FIRSTVISIBLE) {
        if (!TLGet(st, lp)) return 0;
        TreeListEnsureVisible(st, static_cast<uintptr_t>(lp), -2);
        return 1;
      }
      return 0;
    case TLM_GETITEM: return lp ? TreeListGetItem(st, reinterpret_cast<TLItem*>(lp)) : 0;
    case TLM_SETITEM: return lp ? TreeListSetItem(st, reinterpret_cast<const TLItem*>(lp)) : 0;
    case TLM_EDITLABEL:
      if (!(st->style & TVS_EDITLABELS)) return 0;
      if ((wp & 0xFFFFFF00u) == TLM_EDITCELL_PREFIX) {
        POINT pt = {0, 0};
        TreeListEditRequest(st, static_cast<uint32_t>(lp), static_cast<int>(wp & 0xFFu), TLTRIGGER_ENTER, pt);
        return reinterpret_cast<LRESULT>(w->edit);
      }
      return reinterpret_cast<LRESULT>(TreeListStartEdit(st, static_cast<uint32_t>(lp), static_cast<uint32_t>(wp)));
    case TLM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(w->edit);
    case TLM_GETVISIBLECOUNT: return st->fullRows;
    case TLM_HITTEST: return lp ? TreeListHitTest(st, reinterpret_cast<TLHitTest*>(lp)) : 0;
    case TLM_CREATEDRAGIMAGE: return reinterpret_cast<LRESULT>(TreeListCreateDragImage(st, static_cast<uint32_t>(lp), 0));
    case TLM_SORTCHILDREN: return TreeListSortChildren(st, 0, static_cast<uintptr_t>(lp), wp != 0, nullptr, 0);
    case TLM_ENSUREVISIBLE: return TreeListEnsureVisible(st, static_cast<uintptr_t>(lp), static_cast<int>(wp));
    case TLM_SORTCHILDRENCB: {
      const TLSort* s = reinterpret_cast<const TLSort*>(lp);
      if (!s) return 0;
      return TreeListSortChildren(st, 1, s->hParent, wp != 0, reinterpret_cast<const void*>(s->compare), s->lParam);
    }
    case TLM_SORTCHILDRENEX: {
      const TLSortEx* s = reinterpret_cast<const TLSortEx*>(lp);
      if (!s) return 0;
      return TreeListSortChildren(st, 2, s->hParent, wp != 0, reinterpret_cast<const void*>(s->compare), s->lParam);
    }
    case TLM_ENDEDITLABELNOW: return TreeListEndEdit(st, wp != 0, 0);
    case TLM_GETISEARCHSTRING: return ISearch(st, reinterpret_cast<char*>(lp));
    case TLM_SETTOOLTIPS: {
      LRESULT prev = reinterpret_cast<LRESULT>(w->tooltip);
      w->tooltip = reinterpret_cast<HWND>(wp);
      return prev;
    }
    case TLM_GETTOOLTIPS: return reinterpret_cast<LRESULT>(w->tooltip);
    case TLM_SETINSERTMARK: return TreeListSetInsertMark(st, wp != 0, static_cast<uintptr_t>(lp));
    case TLM_SETITEMHEIGHT: return TreeListItemHeight(st, static_cast<int>(static_cast<int16_t>(wp)));
    case TLM_GETITEMHEIGHT: return st->rowHeight;
    case TLM_SETBKCOLOR: return TreeListColorSlot(st, static_cast<uint32_t>(wp), lp, true);
    case TLM_GETBKCOLOR: return TreeListColorSlot(st, static_cast<uint32_t>(wp), 0, false);
    case TLM_SETTEXTCOLOR: return TreeListColorSlot(st, 4, lp, true);
    case TLM_GETTEXTCOLOR: return st->colors[4];
    case TLM_SETINSERTMARKCOLOR: return TreeListColorSlot(st, 10, lp, true);
    case TLM_GETINSERTMARKCOLOR: return st->colors[10];
    case TLM_SETLINECOLOR: return TreeListColorSlot(st, 5, lp, true);
    case TLM_GETLINECOLOR: return st->colors[5];
    case TLM_GETITEMSTATE: {
      TreeListItem* it = TLGet(st, wp);
      return it ? it->state : 0;
    }
    case TLM_SETEXTENDEDSTYLE: return TreeListSetExtendedStyle(st, static_cast<uint32_t>(wp), static_cast<uint32_t>(lp));
    case TLM_GETEXTENDEDSTYLE: return st->options;

    // ---- own messages
    case TLM_COLUMNTEXTCOLOR: {
      uint32_t c = static_cast<uint32_t>(wp & 0xFFFFu);
      if (c >= TL_MAXCOLUMNS) return -1;
      LRESULT prev = st->columnColors[c];
      if ((wp >> 16) > 1) return prev;
      st->columnColors[c] = static_cast<uint32_t>(lp);
      if (wp & 0x10000u) TreeListInvalidateAll(st);
      return prev;
    }
    case TLM_SETITEMDATA: {
      TreeListItem* it = TLGet(st, lp);
      if (!it) return 0;
      it->data = static_cast<intptr_t>(wp);
      return 1;
    }
    case TLM_GETITEMDATA: {
      TreeListItem* it = TLGet(st, lp);
      return it ? it->data : 0;
    }
    case TLM_COUNTITEMS: return lp ? TreeListCountItems(st, reinterpret_cast<const TLItem*>(lp)) : -1;
    case TLM_BEGINDRAG: {
      uint32_t flags = 0x80u | ((GetKeyState(VK_LBUTTON) & 0x8000) ? 1u : 0u);
      return TreeListBeginDrag(st, static_cast<uint32_t>(lp), flags);
    }
    case TLM_SETCOLOR: {
      const TLColorRec* r = reinterpret_cast<const TLColorRec*>(lp);
      if (!r) return -1;
      return static_cast<LRESULT>(TreeListSetOwnColor(st, static_cast<uint32_t>(wp), r->column, r->color, r->flags));
    }
    case TLM_SETSCROLLTIMER: {
      w->scrollDirection = static_cast<uint8_t>(wp);
      int ms = static_cast<int>(lp);
      if (!ms) {
        KillTimer(hwnd, TL_TIMER_AUTOSCROLL);
        return 0;
      }
      if (ms < 30) ms = 30;
      if (ms > 900) ms = 900;
      g_tlSetTimer(hwnd, TL_TIMER_AUTOSCROLL, static_cast<UINT>(ms), nullptr);
      return ms;
    }
    case TLM_RUNDEFERRED: return TreeListRunDeferred(st);
    case TLM_SETDROPMARK: TreeListSetDropMark(st, static_cast<uint32_t>(lp), static_cast<int>(wp), 0); return 1;
    case TLM_SETITEMGROUP: return lp ? TreeListSetItemGroup(st, reinterpret_cast<const TLItem*>(lp)) : -1;
    case TLM_MOVEBEFORE:
    case TLM_MOVEAFTER:
    case TLM_MOVEFIRSTCHILD:
    case TLM_MOVELASTCHILD:
      return TreeListMove(st, msg - TLM_MOVEBEFORE, static_cast<uintptr_t>(wp), static_cast<uintptr_t>(lp));
    case TLM_SETCOLUMNORDER: return TreeListSetColumnOrder(st, wp, reinterpret_cast<const int*>(lp));
    case TLM_GETCOLUMNORDER:
      if (!lp || !w->header) return 0;
      return SendMessageA(w->header, HDM_GETORDERARRAY, wp, lp);
    case TLM_SETCARET: return TreeListSetCaret(st, static_cast<intptr_t>(lp), static_cast<int>(wp));
    case TLM_GETVISIBILITY: return TreeListGetVisibility(st, static_cast<uintptr_t>(lp), static_cast<int>(wp));
    case TLM_PROPERTY: return TreeListProperty(st, wp, lp);
    case TLM_SELECTALL: return TreeListSelectAll(st, static_cast<uintptr_t>(lp), static_cast<uint32_t>(wp));
    case TLM_FINDITEM: return lp ? TreeListFindItem(st, static_cast<uintptr_t>(wp), reinterpret_cast<TLFind*>(lp)) : 0;
    case TLM_GETROWSINVIEW: return st->rowsInView;
    case TLM_GETEXTRADATA: {
      TreeListItem* it = TLGet(st, lp);
      return it && st->extraSize ? reinterpret_cast<LRESULT>(it->Extra()) : 0;
    }
    case TLM_GETEXTRASIZE: return st->extraSize;
    case TLM_SETEXTRASIZE: return TreeListSetExtraSize(st, lp);
    case TLM_GETITEMROW: {
      uint32_t r = TLRowOf(st, TLGet(st, lp));
      return r ? static_cast<LRESULT>(r) - 1 : -1;
    }
    case TLM_GETROWCOUNT: return st->shownRows;
    case TLM_GETROWITEM: return lp >= 0 && static_cast<uint32_t>(lp) < st->shownRows ? st->rows[lp] : 0;
    case TLM_GETITEMTEXTCOLOR: return static_cast<LRESULT>(TreeListGetOwnColor(st, static_cast<uint32_t>(wp), static_cast<uint32_t>(lp), 1));
    case TLM_GETITEMBKCOLOR: return static_cast<LRESULT>(TreeListGetOwnColor(st, static_cast<uint32_t>(wp), static_cast<uint32_t>(lp), 0));
    case TLM_SETITEMTEXTCOLOR:
    case TLM_SETITEMBKCOLOR:
      return static_cast<LRESULT>(TreeListSetOwnColor(st, static_cast<uint32_t>(wp & 0xFFFFFFu), static_cast<uint32_t>(wp >> 24),
                                                      static_cast<uint32_t>(lp), msg == TLM_SETITEMTEXTCOLOR ? TLC_TEXT : 0));
    case TLM_SETHOTITEM:
    case TLM_SELECTCELL: {
      int r = TreeListSetHot(st, static_cast<uintptr_t>(lp), static_cast<int>(wp));
      if (r && lp && !w->trackingLeave) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, hwnd, 0};
        w->trackingLeave = _TrackMouseEvent(&tme) != 0;
      }
      return r;
    }
    case TLM_SETCOLUMNEDIT:
    case TLM_SETCOLUMNDATA:
    case TLM_GETCOLUMNWIDTH:
    case TLM_SETCOLUMNWIDTH:
    case TLM_GETCOLUMN:
    case TLM_SETCOLUMN:
      return TreeListColumnMessage(st, msg, wp, lp);
    case TLM_INSERTCOLUMN:
      return lp ? TreeListInsertColumn(st, static_cast<uint32_t>(wp), reinterpret_cast<const TLColumnDesc*>(lp)) : -1;
    case TLM_DELETECOLUMN: return TreeListDeleteColumn(st, static_cast<uint32_t>(wp));
    case TLM_GETCOLUMNCOUNT: return st->columnCount;
    case TLM_GETHEADER: return reinterpret_cast<LRESULT>(w->header);
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TreeListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_CREATE) return OnCreate(hwnd, reinterpret_cast<CREATESTRUCTA*>(lp));
  TreeListState* st = TakeState(hwnd);
  if (!st) {
    if (msg >= TLM_FIRST && msg < 0x1180) return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  LRESULT r = 0;
  if (msg == WM_NCDESTROY) {
    {
      TreeListLock lock(st);
      OnNcDestroy(hwnd, st);
    }
    TreeListRelease(st);
    return 0;
  }
  // while the items go, the parent may still read them; changes are refused
  bool read = msg == TLM_GETITEM || msg == TLM_GETNEXTITEM || msg == TLM_GETITEMSTATE || msg == TLM_GETITEMDATA;
  if (st->dying && msg >= TLM_FIRST && msg < 0x1180 && !read) {
    TreeListRelease(st);
    return 0;
  }
  {
    TreeListLock lock(st);
    r = Dispatch(st, hwnd, msg, wp, lp);
  }
  TreeListRelease(st);
  return r;
}
