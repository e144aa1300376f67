// wndcmd TITLE-PART max|min|restore: sends the first visible top-level
// window whose title contains TITLE-PART the system command its caption
// buttons would send (the test display has no window manager to click).
// Prints the window's rectangle and state: "left top right bottom zoomed iconic".
// "wndcmd TITLE-PART popup" prints the rectangle of that window's process's
// open popup menu instead.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
struct Search {
  const char* part;
  HWND found;
};

struct PopupSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK VisitPopup(HWND hWnd, LPARAM lParam) {
  PopupSearch* s = reinterpret_cast<PopupSearch*>(lParam);
  char cls[16];
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hWnd) || !GetClassNameA(hWnd, cls, sizeof cls) || strcmp(cls, "#32768"))
    return TRUE;
  s->found = hWnd;
  return FALSE;
}

BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam) {
  Search* s = reinterpret_cast<Search*>(lParam);
  char title[512];
  if (!IsWindowVisible(hWnd) || GetWindowTextA(hWnd, title, sizeof title) <= 0) return TRUE;
  if (strstr(title, s->part)) {
    s->found = hWnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: wndcmd TITLE-PART max|min|restore|query\n");
    return 2;
  }
  Search s = {argv[1], nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return 1;
  if (!strcmp(argv[2], "popup")) {
    PopupSearch p = {0, nullptr};
    GetWindowThreadProcessId(s.found, &p.pid);
    EnumWindows(VisitPopup, reinterpret_cast<LPARAM>(&p));
    RECT rc;
    if (!p.found || !GetWindowRect(p.found, &rc)) return 1;
    printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
  }
  WPARAM cmd = 0;
  if (!strcmp(argv[2], "max")) cmd = SC_MAXIMIZE;
  if (!strcmp(argv[2], "min")) cmd = SC_MINIMIZE;
  if (!strcmp(argv[2], "restore")) cmd = SC_RESTORE;
  if (cmd) SendMessageA(s.found, WM_SYSCOMMAND, cmd, 0);
  RECT rc;
  GetWindowRect(s.found, &rc);
  printf("%ld %ld %ld %ld %d %d %d\n", rc.left, rc.top, rc.right, rc.bottom, IsZoomed(s.found) ? 1 : 0,
         IsIconic(s.found) ? 1 : 0, (GetWindowLongA(s.found, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
  return 0;
}
