// dlgprobe text TITLE-PART ID    prints the text of a control
// dlgprobe cmd TITLE-PART ID     posts WM_COMMAND ID to the window
// dlgprobe focus TITLE-PART      prints the id of the control with the focus
// The dialog tests read what a dialog shows and give menu commands by id.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/findwindow.h"

int main(int argc, char** argv) {
  if (argc < 4 && !(argc == 3 && !strcmp(argv[1], "focus"))) {
    fprintf(stderr, "usage: dlgprobe text|cmd TITLE-PART ID, dlgprobe focus TITLE-PART\n");
    return 2;
  }
  HWND top = e2e::FindTopWindow(argv[2]);
  if (!top) return 1;
  if (!strcmp(argv[1], "focus")) {
    // the focus belongs to the window's thread, not to this process
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) return 1;
    printf("%d", GetDlgCtrlID(info.hwndFocus));
    return 0;
  }
  int id = atoi(argv[3]);
  if (!strcmp(argv[1], "cmd")) return PostMessageA(top, WM_COMMAND, id, 0) ? 0 : 1;
  HWND c = GetDlgItem(top, id);
  if (!c) return 1;
  char text[1024];
  text[0] = 0;
  // another process's GetWindowText sees no edit text: ask the control
  SendMessageA(c, WM_GETTEXT, sizeof text, (LPARAM)text);
  fwrite(text, 1, strlen(text), stdout);
  return 0;
}
