// optprobe items TITLE-PART ID     prints a combo box's list, one per line
// optprobe enabled TITLE-PART ID   exit code 0 enabled, 1 disabled, 2 none
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/findwindow.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: optprobe items|enabled TITLE-PART ID\n");
    return 3;
  }
  HWND top = e2e::FindTopWindow(argv[2]);
  HWND c = top ? GetDlgItem(top, atoi(argv[3])) : nullptr;
  if (!c) return 2;
  if (!strcmp(argv[1], "enabled")) return IsWindowEnabled(c) ? 0 : 1;
  int n = (int)SendMessageA(c, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    // across processes only the wide form arrives whole
    wchar_t wide[1024] = L"";
    char text[1024] = "";
    if (SendMessageW(c, CB_GETLBTEXTLEN, i, 0) >= 1024) continue;
    SendMessageW(c, CB_GETLBTEXT, i, (LPARAM)wide);
    WideCharToMultiByte(1252, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    printf("%s\n", text);
  }
  return 0;
}
