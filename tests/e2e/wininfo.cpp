// wininfo TITLE-PART ID: prints "x y width height" of the client area, in
// screen pixels, of the child window with control id ID inside the first
// visible top-level window whose title contains TITLE-PART (exit code 1
// when there is none). The e2e scripts find the map inside the frame so.
// wininfo TITLE-PART ID sbtext: the text of the frame's status bar ID's first pane,
// read through memory in the program's own process.
#include <windows.h>
#include <commctrl.h>

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
  if (argc >= 4 && !strcmp(argv[3], "sbtext")) {
    // the frame's own bar, whether shown or not
    HWND bar = GetDlgItem(top, atoi(argv[2]));
    if (!bar) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    char text[4096] = "";
    void* block = VirtualAllocEx(process, nullptr, sizeof text, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool ok = block && LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0)) < sizeof text &&
              (SendMessageA(bar, SB_GETTEXTA, 0, (LPARAM)block), ReadProcessMemory(process, block, text, sizeof text, nullptr));
    if (block) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    CloseHandle(process);
    text[sizeof text - 1] = 0;
    fwrite(text, 1, strlen(text), stdout);
    return ok ? 0 : 1;
  }
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
