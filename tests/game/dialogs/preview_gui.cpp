// Opens image preview windows for preview_gui_test.py, which checks them on
// the screen and drives them with real X events.
//
//   preview_gui.exe DIR
//
// The program polls DIR\cmd.txt; each line is a command:
//   open I W H BITS    a preview titled "Vorschau I" in slot I
//   fill I X Y W H RRGGBB, redraw I, close I (result as "close I R")
//   bad W H            PreviewWndOpen with a size it must refuse
//   stress N           N times Open and at once Close
//   ownqueue           whether a redraw message reached this thread's queue
//   state NAME         writes DIR\NAME.txt: the results so far, the thread and
//                      handle counts and per open slot "win I" with the window
//                      and client rectangles (screen) and the dialog's font
//   quit
// After a command file is done DIR\ack.txt holds the number handled.
#include <windows.h>
#include <tlhelp32.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "game/dialogs/previewwnd.h"

using game::PreviewWnd;

namespace {

constexpr int kSlots = 40;
char g_dir[MAX_PATH];
PreviewWnd* g_slot[kSlots];
std::string g_results;

int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te = {};
  te.dwSize = sizeof te;
  int n = 0;
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

// Wine's GetProcessHandleCount says 0: count this process's entries in the
// system's handle table instead.
struct HandleEntry {
  ULONG pid;
  BYTE type, flags;
  USHORT value;
  PVOID object;
  ULONG access;
};

int HandleCount() {
  typedef LONG(WINAPI * QueryProc)(ULONG, PVOID, ULONG, PULONG);
  static QueryProc query = (QueryProc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
  if (!query) return -1;
  std::vector<BYTE> buf(1 << 16);
  ULONG got = 0;
  LONG st;
  while ((st = query(16, buf.data(), (ULONG)buf.size(), &got)) == (LONG)0xC0000004)  // too small
    buf.resize(buf.size() * 2);
  if (st < 0) return -1;
  ULONG count = *(ULONG*)buf.data();
  const HandleEntry* e = (const HandleEntry*)(buf.data() + sizeof(ULONG_PTR));
  int n = 0;
  for (ULONG i = 0; i < count; ++i)
    if (e[i].pid == GetCurrentProcessId()) ++n;
  return n;
}

void Title(char* out, int i) { snprintf(out, 32, "Vorschau %d", i); }

void Result(const char* fmt, ...) {
  char line[256];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  g_results += line;
  g_results += '\n';
}

void Stress(int n) {
  // the first window of a thread sets up per-thread state: warm up first
  PreviewWndClose(game::PreviewWndOpen(50, 40, "warm", 32));
  int threads = ThreadCount(), handles = HandleCount(), missing = 0, failed = 0;
  for (int i = 0; i < n; ++i) {
    char title[32];
    snprintf(title, sizeof title, "stress %d", i);
    PreviewWnd* p = game::PreviewWndOpen(64, 48, title, 24);
    if (!p) {
      ++failed;
      continue;
    }
    if (!FindWindowA(nullptr, title)) ++missing;  // Open returned before its window
    if (PreviewWndClose(p) != 1) ++failed;
  }
  Result("stress %d failed %d missing %d threads %d %d handles %d %d", n, failed, missing, threads, ThreadCount(),
         handles, HandleCount());
}

void WriteState(const char* name) {
  char tmp[MAX_PATH], path[MAX_PATH];
  snprintf(tmp, sizeof tmp, "%s\\%s.tmp", g_dir, name);
  snprintf(path, sizeof path, "%s\\%s.txt", g_dir, name);
  FILE* f = fopen(tmp, "w");
  if (!f) return;
  fputs(g_results.c_str(), f);
  fprintf(f, "threads %d\nhandles %d\n", ThreadCount(), HandleCount());
  for (int i = 0; i < kSlots; ++i) {
    char title[32];
    Title(title, i);
    HWND w = FindWindowA(nullptr, title);
    if (!w) continue;
    RECT r, c;
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    MapWindowPoints(w, nullptr, (POINT*)&c, 2);
    LOGFONTA lf = {};
    HFONT font = (HFONT)SendMessageA(w, WM_GETFONT, 0, 0);
    if (font) GetObjectA(font, sizeof lf, &lf);
    fprintf(f, "win %d %ld %ld %ld %ld %ld %ld %ld %ld %s\n", i, r.left, r.top, r.right, r.bottom, c.left, c.top,
            c.right, c.bottom, lf.lfFaceName[0] ? lf.lfFaceName : "-");
  }
  fclose(f);
  MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING);
}

bool RunCommands() {
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\cmd.txt", g_dir);
  FILE* f = fopen(path, "r");
  if (!f) return true;
  bool go = true;
  char line[256];
  while (fgets(line, sizeof line, f)) {
    char word[32] = "", name[64] = "";
    int i = 0, a = 0, b = 0, c = 0, d = 0;
    unsigned colour = 0;
    if (sscanf(line, "%31s", word) != 1) continue;
    bool slot = sscanf(line, "%*s %d", &i) == 1 && i >= 0 && i < kSlots;
    if (!strcmp(word, "open") && slot && sscanf(line, "%*s %*d %d %d %d", &a, &b, &c) == 3) {
      char title[32];
      Title(title, i);
      g_slot[i] = game::PreviewWndOpen(a, b, title, c);
      Result("open %d %d", i, g_slot[i] ? 1 : 0);
    } else if (!strcmp(word, "fill") && slot &&
               sscanf(line, "%*s %*d %d %d %d %d %x", &a, &b, &c, &d, &colour) == 5 && g_slot[i]) {
      g_slot[i]->FillRect(a, b, c, d, colour);
    } else if (!strcmp(word, "redraw") && slot) {
      game::PreviewWndRedraw(g_slot[i]);
    } else if (!strcmp(word, "close") && slot) {
      Result("close %d %d", i, game::PreviewWndClose(g_slot[i]));
      g_slot[i] = nullptr;
    } else if (!strcmp(word, "bad") && sscanf(line, "%*s %d %d", &a, &b) == 2) {
      int before = ThreadCount();
      PreviewWnd* p = game::PreviewWndOpen(a, b, "bad", 32);
      Result("bad %d %d %d threads %d %d", a, b, p ? 1 : 0, before, ThreadCount());
      PreviewWndClose(p);
    } else if (!strcmp(word, "stress") && sscanf(line, "%*s %d", &a) == 1) {
      Stress(a);
    } else if (!strcmp(word, "ownqueue")) {
      MSG msg;
      Result("ownqueue %d", PeekMessageA(&msg, nullptr, game::kPreviewRedrawMsg, game::kPreviewRedrawMsg,
                                         PM_REMOVE) ? 1 : 0);
    } else if (!strcmp(word, "state") && sscanf(line, "%*s %63s", name) == 1) {
      WriteState(name);
    } else if (!strcmp(word, "quit")) {
      go = false;
    }
  }
  fclose(f);
  DeleteFileA(path);
  static int files = 0;
  snprintf(path, sizeof path, "%s\\ack.txt", g_dir);
  f = fopen(path, "w");
  if (f) {
    fprintf(f, "%d\n", ++files);
    fclose(f);
  }
  return go;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  snprintf(g_dir, sizeof g_dir, "%s", argv[1]);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread has a queue to check
  while (RunCommands()) Sleep(30);
  for (PreviewWnd* p : g_slot) game::PreviewWndClose(p);
  return 0;
}
