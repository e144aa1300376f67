// sectionprobe texts TITLE-PART           prints "id<TAB>text" of each child
// sectionprobe wait TITLE-PART ID TEXT MS  waits until the control shows TEXT
// The map-section test reads message boxes with it, and catches the moment
// the progress dialog starts saving without a process start per look.
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
  if (argc >= 6 && !strcmp(argv[1], "wait")) {
    DWORD start = GetTickCount(), limit = (DWORD)atoi(argv[5]);
    while (GetTickCount() - start < limit) {
      HWND top = e2e::FindTopWindow(argv[2]);
      HWND c = top ? GetDlgItem(top, atoi(argv[3])) : nullptr;
      char text[1024];
      text[0] = 0;
      if (c) SendMessageA(c, WM_GETTEXT, sizeof text, (LPARAM)text);
      if (c && !strcmp(text, argv[4])) return 0;
      Sleep(5);
    }
    return 1;
  }
  fprintf(stderr, "usage: sectionprobe texts TITLE | wait TITLE ID TEXT MS\n");
  return 2;
}
