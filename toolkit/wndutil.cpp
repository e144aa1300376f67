#include "toolkit/wndutil.h"

#include <string.h>

namespace {

const int kMaxMonitors = 16;
struct MonitorEntry {
  HMONITOR handle;
  RECT full, work;
};
MonitorEntry g_monitors[kMaxMonitors];
int g_monitorCount = 0;

BOOL CALLBACK AddMonitor(HMONITOR mon, HDC, LPRECT, LPARAM) {
  if (g_monitorCount >= kMaxMonitors) return FALSE;
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoA(mon, &mi)) return TRUE;
  MonitorEntry& e = g_monitors[g_monitorCount++];
  e.handle = mon;
  e.full = mi.rcMonitor;
  e.work = mi.rcWork;
  // the primary monitor first
  if ((mi.dwFlags & MONITORINFOF_PRIMARY) && g_monitorCount > 1) {
    MonitorEntry t = g_monitors[0];
    g_monitors[0] = e;
    g_monitors[g_monitorCount - 1] = t;
  }
  return TRUE;
}

void ScreenRects(RECT* full, RECT* work) {
  SetRect(full, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, work, 0)) *work = *full;
}

}  // namespace

int WndEnumMonitors(int) {
  g_monitorCount = 0;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, 0);
  if (g_monitorCount == 0) {
    g_monitors[0].handle = nullptr;
    ScreenRects(&g_monitors[0].full, &g_monitors[0].work);
    g_monitorCount = 1;
  }
  return g_monitorCount;
}

int WndGetMonitorCount() {
  if (g_monitorCount == 0) WndEnumMonitors(0);
  return g_monitorCount;
}

bool WndGetMonitorRect(int index, RECT* full, RECT* work) {
  if (index < 0 || index >= WndGetMonitorCount()) return false;
  if (full) *full = g_monitors[index].full;
  if (work) *work = g_monitors[index].work;
  return true;
}

int WndMonitorFromPlacement(const RECT* rc) {
  int n = WndGetMonitorCount();
  POINT c = {(rc->left + rc->right) / 2, (rc->top + rc->bottom) / 2};
  int best = 0;
  long long bestDist = -1;
  for (int i = 0; i < n; i++) {
    const RECT& r = g_monitors[i].full;
    if (PtInRect(&r, c)) return i;
    long long dx = c.x < r.left ? r.left - c.x : c.x >= r.right ? c.x - r.right + 1 : 0;
    long long dy = c.y < r.top ? r.top - c.y : c.y >= r.bottom ? c.y - r.bottom + 1 : 0;
    long long d = dx * dx + dy * dy;
    if (bestDist < 0 || d < bestDist) bestDist = d, best = i;
  }
  return best;
}

int WndMonitorFromWindow(HWND wnd) {
  RECT rc;
  if (!wnd || !GetWindowRect(wnd, &rc)) return -1;
  return WndMonitorFromPlacement(&rc);
}

int WndFitPlacementToMonitor(RECT* rc, int monitor, int flags) {
  RECT full, work;
  if (!WndGetMonitorRect(monitor, &full, &work)) ScreenRects(&full, &work);
  return WndFitRectToArea(rc, (flags & 1) ? &work : &full);
}

int WndFitRectToArea(RECT* rc, const RECT* area) {
  const RECT& a = *area;
  RECT old = *rc;
  // 64-bit sizes: a stored rectangle may hold any values
  long long w = (long long)rc->right - rc->left, h = (long long)rc->bottom - rc->top;
  if (w > a.right - a.left) w = a.right - a.left;
  if (h > a.bottom - a.top) h = a.bottom - a.top;
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  long long x = rc->left, y = rc->top;
  if (x + w > a.right) x = a.right - w;
  if (y + h > a.bottom) y = a.bottom - h;
  if (x < a.left) x = a.left;
  if (y < a.top) y = a.top;
  SetRect(rc, (int)x, (int)y, (int)(x + w), (int)(y + h));
  return !EqualRect(rc, &old);
}

bool WndRectFitsMonitor(int monitor, int x, int y, int width, int height, int margin) {
  RECT full, work;
  if (!WndGetMonitorRect(monitor, &full, &work)) ScreenRects(&full, &work);
  return WndRectFitsArea(&work, x, y, width, height, margin);
}

bool WndLiveWorkAreaAt(POINT p, RECT* work) {
  HMONITOR mon = MonitorFromPoint(p, MONITOR_DEFAULTTONULL);
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  if (!mon || !GetMonitorInfoA(mon, &mi)) return false;
  *work = mi.rcWork;
  return true;
}

bool WndRememberedCornerFits(const RECT* work, POINT p) {
  return p.x > work->left - 100 && p.x < work->right - 100 && p.y > work->top - 10 && p.y < work->bottom - 100;
}

bool WndRectFitsArea(const RECT* a, int x, int y, int width, int height, int margin) {
  long long l = (long long)x - margin, t = (long long)y - margin;
  long long r = (long long)x + width + margin, b = (long long)y + height + margin;
  return width >= 0 && height >= 0 && l >= a->left && t >= a->top && r <= a->right && b <= a->bottom;
}

BOOL WndMove(HWND wnd, int x, int y, bool relative) {
  if (relative) {
    RECT rc;
    if (!GetWindowRect(wnd, &rc)) return FALSE;
    HWND parent = (GetWindowLongA(wnd, GWL_STYLE) & WS_CHILD) ? GetParent(wnd) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, (POINT*)&rc, 2);
    x += rc.left;
    y += rc.top;
  }
  return SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WndResize(HWND wnd, int width, int height, bool relative) {
  if (relative) {
    RECT rc;
    if (!GetWindowRect(wnd, &rc)) return FALSE;
    width += rc.right - rc.left;
    height += rc.bottom - rc.top;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  return SetWindowPos(wnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int WndSetClipboardText(const char* text, int length) {
  if (!text) return 0;
  size_t n = length < 0 ? strlen(text) : (size_t)length;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, n + 1);
  if (!mem) return 0;
  char* p = (char*)GlobalLock(mem);
  if (!p) {
    GlobalFree(mem);
    return 0;
  }
  memcpy(p, text, n);
  p[n] = 0;
  GlobalUnlock(mem);
  // another program may hold the clipboard for a moment
  bool open = false;
  for (int i = 0; i < 5 && !(open = OpenClipboard(nullptr)); i++) Sleep(10);
  if (!open) {
    GlobalFree(mem);
    return 0;
  }
  EmptyClipboard();
  bool ok = SetClipboardData(CF_TEXT, mem) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(mem);  // the clipboard owns it only on success
  return ok ? 1 : 0;
}
