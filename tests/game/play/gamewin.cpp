// What the game's window tests cannot see through X:
//   gamewin maprect        screen rectangle of the map window's client area
//   gamewin box CAPTION    text of the message box with that caption, then
//                          closes it with OK (exit 1 when there is none)
//   gamewin rect TITLE ID  screen rectangle of control ID's client area in
//                          the visible window TITLE
//   gamewin cmd ID         posts WM_COMMAND ID to the main window
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tests/e2e/findwindow.h"

namespace {

constexpr int kMapId = 31973;

BOOL CALLBACK FindMap(HWND w, LPARAM out) {
  if (GetDlgCtrlID(w) == kMapId && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK TopLevel(HWND w, LPARAM out) {
  if (!IsWindowVisible(w)) return TRUE;
  EnumChildWindows(w, FindMap, out);
  return *reinterpret_cast<HWND*>(out) == nullptr;
}

struct BoxSearch {
  const char* caption;
  HWND box;
};

BOOL CALLBACK FindBox(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<BoxSearch*>(p);
  char title[256], cls[64];
  GetWindowTextA(w, title, sizeof title);
  GetClassNameA(w, cls, sizeof cls);
  if (IsWindowVisible(w) && !strcmp(title, s->caption) && !strcmp(cls, "#32770")) {
    s->box = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintStatic(HWND w, LPARAM) {
  char cls[64], text[1024];
  GetClassNameA(w, cls, sizeof cls);
  if (!_stricmp(cls, "Static") && GetWindowTextA(w, text, sizeof text) > 0) printf("%s\n", text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && !strcmp(argv[1], "maprect")) {
    HWND map = nullptr;
    EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&map));
    return e2e::PrintClientRect(map);
  }
  if (argc >= 3 && !strcmp(argv[1], "box")) {
    BoxSearch s = {argv[2], nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    if (!s.box) return 1;
    EnumChildWindows(s.box, PrintStatic, 0);
    fflush(stdout);
    PostMessageA(s.box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  if (argc >= 4 && !strcmp(argv[1], "rect")) {
    HWND top = FindWindowA(nullptr, argv[2]);
    return e2e::PrintClientRect(top && IsWindowVisible(top) ? GetDlgItem(top, atoi(argv[3])) : nullptr);
  }
  if (argc >= 3 && !strcmp(argv[1], "cmd")) {
    HWND map = nullptr;
    EnumWindows(TopLevel, reinterpret_cast<LPARAM>(&map));
    return map && PostMessageA(GetAncestor(map, GA_ROOT), WM_COMMAND, atoi(argv[2]), 0) ? 0 : 1;
  }
  return 2;
}
