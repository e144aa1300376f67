// sectionprobe texts TITLE-PART   prints "id<TAB>text" of each child
// sectionprobe rects TITLE-PART   prints "id x y width height" of each
//                                 child's client area in screen pixels
// The map-section test reads message boxes and finds controls with it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/findwindow.h"

namespace {
BOOL CALLBACK PrintChild(HWND wnd, LPARAM) {
  char text[1024];
  text[0] = 0;
  SendMessageA(wnd, WM_GETTEXT, sizeof text, (LPARAM)text);
  printf("%d\t%s\n", GetDlgCtrlID(wnd), text);
  return TRUE;
}

// hidden ones too: the fixed-size switch only swaps which edits are shown
BOOL CALLBACK PrintRect(HWND wnd, LPARAM) {
  RECT r;
  GetClientRect(wnd, &r);
  POINT p = {0, 0};
  ClientToScreen(wnd, &p);
  printf("%d %ld %ld %ld %ld\n", GetDlgCtrlID(wnd), p.x, p.y, r.right - r.left, r.bottom - r.top);
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !strcmp(argv[1], "texts")) {
    HWND top = e2e::FindTopWindow(argv[2]);
    if (!top) return 1;
    EnumChildWindows(top, PrintChild, 0);
    return 0;
  }
  if (argc >= 3 && !strcmp(argv[1], "rects")) {
    HWND top = e2e::FindTopWindow(argv[2]);
    if (!top) return 1;
    EnumChildWindows(top, PrintRect, 0);
    return 0;
  }
  fprintf(stderr, "usage: sectionprobe texts|rects TITLE\n");
  return 2;
}
