// tlprobe TITLE-PART ID rows               the number of rows of a TreeList
// tlprobe TITLE-PART ID cell ROW COLUMN    "x y width height" of a cell on the screen
// tlprobe TITLE-PART ID text ROW COLUMN    a cell's text
// tlprobe TITLE-PART ID box ROW COLUMN     a cell's check box: 0 none, 1 unchecked, 2 checked
// tlprobe TITLE-PART ID enabled            1 when control ID (any kind) is enabled
// tlprobe TITLE-PART ID rect               "x y width height" of control ID on the screen
// The TreeList of control ID in the first visible window whose title holds
// TITLE-PART, read as a person sees it; records travel through memory
// allocated in the program's own process.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/findwindow.h"
#include "treelist/treelist.h"

namespace {

struct Remote {
  HANDLE process = nullptr;
  char* block = nullptr;
  explicit Remote(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process)
      block = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~Remote() {
    if (block) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
  bool Put(const void* data, size_t n, size_t at = 0) {
    return WriteProcessMemory(process, block + at, data, n, nullptr) != 0;
  }
  bool Get(void* data, size_t n, size_t at = 0) {
    return ReadProcessMemory(process, block + at, data, n, nullptr) != 0;
  }
};

uintptr_t RowItem(HWND tl, int row) {
  uintptr_t it = static_cast<uintptr_t>(SendMessageA(tl, TLM_GETNEXTITEM, TLGN_ROOT, 0));
  for (int i = 0; i < row && it; i++) it = static_cast<uintptr_t>(SendMessageA(tl, TLM_GETNEXTITEM, TLGN_NEXT, it));
  return it;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: tlprobe TITLE-PART ID rows|cell|text|box [ROW COLUMN]\n");
    return 2;
  }
  HWND top = e2e::FindTopWindow(argv[1]);
  HWND tl = top ? GetDlgItem(top, atoi(argv[2])) : nullptr;
  if (!tl) return 1;
  const char* what = argv[3];
  if (!strcmp(what, "enabled")) {
    printf("%d\n", IsWindowEnabled(tl) ? 1 : 0);
    return 0;
  }
  // a direct child: the lists' headers carry id 1 as well
  if (!strcmp(what, "rect")) return e2e::PrintClientRect(tl);
  if (!strcmp(what, "rows")) {
    int n = 0;
    for (uintptr_t it = RowItem(tl, 0); it; it = static_cast<uintptr_t>(SendMessageA(tl, TLM_GETNEXTITEM, TLGN_NEXT, it)))
      n++;
    printf("%d\n", n);
    return 0;
  }
  if (argc < 6) return 2;
  int column = atoi(argv[5]);
  uintptr_t item = RowItem(tl, atoi(argv[4]));
  if (!item) return 1;
  Remote mem(tl);
  if (!mem.block) return 3;
  if (!strcmp(what, "cell")) {
    TLRect r = {static_cast<int32_t>(item), 0, 0, 0};
    if (!mem.Put(&r, sizeof r)) return 3;
    if (!SendMessageA(tl, TLM_GETITEMRECT, 0x80u | (static_cast<uint32_t>(column) << 24), (LPARAM)mem.block)) return 1;
    mem.Get(&r, sizeof r);
    POINT p = {r.left, r.top};
    ClientToScreen(tl, &p);
    printf("%ld %ld %d %d\n", p.x, p.y, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  TLItem rec = {};
  rec.mask = TLIF_TEXT | TLIF_STATE | TLIF_COLUMN;
  rec.hItem = item;
  rec.stateMask = 0xF000u;
  rec.pszText = mem.block + 256;
  rec.cchTextMax = 2048;
  rec.cChildren = column;
  char zero = 0;
  if (!mem.Put(&rec, sizeof rec) || !mem.Put(&zero, 1, 256)) return 3;
  if (!SendMessageA(tl, TLM_GETITEM, 0, (LPARAM)mem.block)) return 1;
  mem.Get(&rec, sizeof rec);
  if (!strcmp(what, "box")) {
    printf("%u\n", (rec.state & 0xF000u) >> 12);
    return 0;
  }
  char text[2049] = {0};
  mem.Get(text, 2048, 256);
  fwrite(text, 1, strlen(text), stdout);
  return 0;
}
