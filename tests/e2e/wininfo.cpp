// wininfo TITLE-PART ID: prints "x y width height" of the client area, in
// screen pixels, of the child window with control id ID inside the first
// visible top-level window whose title contains TITLE-PART (exit code 1
// when there is none). The e2e scripts find the map inside the frame so.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/findwindow.h"

namespace {
struct Child {
  int id;
  HWND found;
};

BOOL CALLBACK VisitChild(HWND hWnd, LPARAM lParam) {
  Child* c = reinterpret_cast<Child*>(lParam);
  if (GetDlgCtrlID(hWnd) == c->id && IsWindowVisible(hWnd)) {
    c->found = hWnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: wininfo TITLE-PART ID\n");
    return 2;
  }
  HWND top = e2e::FindTopWindow(argv[1]);
  if (!top) return 1;
  Child c = {atoi(argv[2]), nullptr};
  EnumChildWindows(top, VisitChild, reinterpret_cast<LPARAM>(&c));
  if (!c.found) return 1;
  RECT r;
  GetClientRect(c.found, &r);
  POINT p = {0, 0};
  ClientToScreen(c.found, &p);
  printf("%ld %ld %ld %ld\n", p.x, p.y, r.right - r.left, r.bottom - r.top);
  return 0;
}
