// sectionprobe texts TITLE-PART   prints "id<TAB>text" of each child
// The map-section test reads message boxes with it.
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
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !strcmp(argv[1], "texts")) {
    HWND top = e2e::FindTopWindow(argv[2]);
    if (!top) return 1;
    EnumChildWindows(top, PrintChild, 0);
    return 0;
  }
  fprintf(stderr, "usage: sectionprobe texts TITLE\n");
  return 2;
}
