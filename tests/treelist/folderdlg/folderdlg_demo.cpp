// Opens the folder dialog or a path combo from arguments for the GUI tests
// and writes what came of it to OUTFILE (8-bit text as hex where bytes matter).
//
//   folderdlg_demo.exe OUTFILE pathdlg FLAGS KEY START [SLOWMS [DESTROYMS]]
//       the folder dialog; KEY "-" for none; SLOWMS slows every listed entry;
//       DESTROYMS destroys the dialog's owner after that time; FLAGS 0x100
//       opens the dialog a second time in the same process
//   folderdlg_demo.exe OUTFILE combo OPTIONS PATH [SLOWMS [DESTROYMS]]
//       a path combo in a window; notifications logged; DESTROYMS ends the
//       program after that time
// While a window is up, OUTFILE.pos holds "name left top right bottom" lines:
// the dialog's controls and their screen rectangles, and the colours.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "files/dirlist.h"
#include "framework/winapp.h"
#include "treelist/folderdlg/pathdlg.h"

namespace {

char g_out[MAX_PATH];
FILE* g_log;
int g_slowMs = 0;
HWND g_owner;
DWORD g_uiThread;
CPathDlg* g_dlg;

void Slow(const char*) { Sleep((DWORD)g_slowMs); }

std::string Hex(const char* s) {
  std::string h;
  char b[4];
  for (; *s; ++s) {
    snprintf(b, sizeof b, "%02x", (unsigned char)*s);
    h += b;
  }
  return h;
}

void WritePositions(HWND dlg) {
  char path[MAX_PATH + 8];
  snprintf(path, sizeof path, "%s.pos.tmp", g_out);
  FILE* f = fopen(path, "w");
  if (!f) return;
  const struct {
    const char* name;
    int id;
  } items[] = {{"dialog", 0},   {"ok", IDOK},     {"cancel", IDCANCEL}, {"list", IDC_PD_LIST},
               {"path", IDC_PD_PATH}, {"drives", IDC_PD_DRIVES}, {"up", IDC_PD_UP}, {"breadcrumb", IDC_PD_BREADCRUMB}};
  for (const auto& it : items) {
    HWND w = it.id ? GetDlgItem(dlg, it.id) : dlg;
    RECT rc;
    if (w && GetWindowRect(w, &rc)) fprintf(f, "%s %ld %ld %ld %ld\n", it.name, rc.left, rc.top, rc.right, rc.bottom);
  }
  HWND list = GetDlgItem(dlg, IDC_PD_LIST);
  if (list) {
    fprintf(f, "rowheight %d\n", (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    fprintf(f, "rows %d\n", (int)SendMessageA(list, LB_GETCOUNT, 0, 0));
    fprintf(f, "sel %d\n", (int)SendMessageA(list, LB_GETCURSEL, 0, 0));
    fprintf(f, "top %d\n", (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  }
  if (g_dlg) {
    std::vector<std::string> texts;
    std::vector<int> indents;
    int current = g_dlg->GetListRows(&texts, &indents);
    fprintf(f, "current %d\nlisted", current);
    for (size_t i = 0; i < texts.size(); ++i) fprintf(f, " %s:%d", Hex(texts[i].c_str()).c_str(), indents[i]);
    fprintf(f, "\n");
  }
  fprintf(f, "colors %06lx %06lx %06lx\n", (unsigned long)GetSysColor(COLOR_WINDOW),
          (unsigned long)GetSysColor(COLOR_HIGHLIGHT), (unsigned long)GetSysColor(COLOR_BTNFACE));
  fclose(f);
  char final[MAX_PATH + 8];
  snprintf(final, sizeof final, "%s.pos", g_out);
  MoveFileExA(path, final, MOVEFILE_REPLACE_EXISTING);
}

void CALLBACK Report(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_dlg || !g_dlg->m_hWnd) return;
  WritePositions(g_dlg->m_hWnd);
}

void CALLBACK DestroyOwner(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  fprintf(g_log, "destroying owner\n");
  fflush(g_log);
  DestroyWindow(g_owner);
}

int RunPathDlg(int argc, char** argv) {
  unsigned flags = (unsigned)strtoul(argv[3], nullptr, 0);
  const char* key = strcmp(argv[4], "-") ? argv[4] : nullptr;
  if (argc > 6) g_slowMs = atoi(argv[6]);
  if (g_slowMs) DirListSetEntryHook(Slow);
  g_owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd* owner = CWnd::FromHandle(g_owner);
  for (int run = 0; run < ((flags & 0x100) ? 2 : 1); ++run) {
    CPathDlg dlg(owner, key);
    g_dlg = &dlg;
    dlg.SetFlags(flags & 31);
    if (strcmp(argv[5], "-")) dlg.SetPath(argv[5]);
    dlg.SetTitle("Ordner für den Test");
    UINT_PTR report = SetTimer(nullptr, 0, 100, Report);
    if (argc > 7) SetTimer(nullptr, 0, (UINT)atoi(argv[7]), DestroyOwner);
    DWORD t0 = GetTickCount();
    INT_PTR r = dlg.Run(nullptr, (int)(flags & 15));
    KillTimer(nullptr, report);
    fprintf(g_log, "result %d\npath %s\nchosen %s\nelapsed %lu\n", (int)r, Hex(dlg.GetPath(0)).c_str(),
            Hex(dlg.GetPath(1)).c_str(), (unsigned long)(GetTickCount() - t0));
    g_dlg = nullptr;
    for (const std::string& rc : dlg.GetRecent()) fprintf(g_log, "recent %s\n", Hex(rc.c_str()).c_str());
    fflush(g_log);
    char pos[MAX_PATH + 8];
    snprintf(pos, sizeof pos, "%s.pos", g_out);
    DeleteFileA(pos);
  }
  if (IsWindow(g_owner)) DestroyWindow(g_owner);
  return 0;
}

// -------------------------------------------------------------- path combo

CPathComboBox* g_combo;

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMPATHCOMBO*>(lp);
    if (nm->hdr.code == PCN_PATHSET)
      fprintf(g_log, "notify %x %s thread %d\n", nm->hdr.code, Hex(nm->path).c_str(),
              GetCurrentThreadId() == g_uiThread ? 1 : 0);
    fflush(g_log);
    return 0;
  }
  if (m == WM_DRAWITEM && g_combo) {
    g_combo->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (m == WM_MEASUREITEM) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = (UINT)CPathComboBox::GetItemHeight();
    return TRUE;
  }
  if (m == WM_CLOSE || (m == WM_TIMER && wp == 1)) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void CALLBACK ReportCombo(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_combo || !g_combo->m_hWnd) return;
  char path[MAX_PATH + 8];
  snprintf(path, sizeof path, "%s.pos.tmp", g_out);
  FILE* f = fopen(path, "w");
  if (!f) return;
  RECT rc;
  GetWindowRect(g_combo->m_hWnd, &rc);
  fprintf(f, "combo %ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
  for (int e = 0; e <= 2 * FOLDER_MAX_SEGMENTS; ++e)
    if (g_combo->GetElementRect(e, &rc)) fprintf(f, "e%d %ld %ld %ld %ld\n", e, rc.left, rc.top, rc.right, rc.bottom);
  fprintf(f, "colors %06lx %06lx\n", (unsigned long)GetSysColor(COLOR_WINDOW),
          (unsigned long)GetSysColor(COLOR_HIGHLIGHT));
  fprintf(f, "items %d", g_combo->GetCount());
  for (int i = 0; i < g_combo->GetCount(); ++i) {
    CString t;
    g_combo->GetLBText(i, t);
    fprintf(f, " %s", Hex(t).c_str());
  }
  fprintf(f, "\n");
  fprintf(f, "segments %d\nopen %d\npath %s\n", g_combo->GetSegmentCount(), g_combo->GetOpenList(),
          Hex(g_combo->GetPath().c_str()).c_str());
  HWND pop = FindWindowExA(nullptr, nullptr, "SysListView32", nullptr);
  while (pop && GetWindowThreadProcessId(pop, nullptr) != GetCurrentThreadId())
    pop = FindWindowExA(nullptr, pop, "SysListView32", nullptr);
  if (pop && IsWindowVisible(pop)) {
    int n = (int)SendMessageA(pop, LVM_GETITEMCOUNT, 0, 0);
    fprintf(f, "popup %d", n);
    for (int i = 0; i < n && i < 40; ++i) {
      char t[300] = "";
      LVITEMA it = {};
      it.iSubItem = 0;
      it.pszText = t;
      it.cchTextMax = sizeof t;
      SendMessageA(pop, LVM_GETITEMTEXTA, (WPARAM)i, (LPARAM)&it);
      fprintf(f, " %s", Hex(t).c_str());
    }
    fprintf(f, "\n");
  }
  fclose(f);
  char final[MAX_PATH + 8];
  snprintf(final, sizeof final, "%s.pos", g_out);
  MoveFileExA(path, final, MOVEFILE_REPLACE_EXISTING);
}

int RunCombo(int argc, char** argv) {
  unsigned options = (unsigned)strtoul(argv[3], nullptr, 0);
  if (argc > 5) g_slowMs = atoi(argv[5]);
  if (g_slowMs) DirListSetEntryHook(Slow);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PathComboHost";
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Pfad", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 700, 300,
                              nullptr, nullptr, wc.hInstance, nullptr);
  g_combo = new CPathComboBox;
  RECT rc = {10, 10, 680, 300};
  g_combo->Create(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | options, rc, CWnd::FromHandle(host), 1017);
  g_combo->SetPath(argv[4], -1);
  SetTimer(nullptr, 0, 100, ReportCombo);
  if (argc > 6) SetTimer(host, 1, (UINT)atoi(argv[6]), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  fprintf(g_log, "final %s\n", Hex(g_combo->GetPath().c_str()).c_str());
  DWORD t0 = GetTickCount();
  DestroyWindow(host);
  delete g_combo;
  g_combo = nullptr;
  fprintf(g_log, "destroyed %lu\n", (unsigned long)(GetTickCount() - t0));
  return 0;
}

int RunDemo() {
  if (__argc < 5) return 2;
  snprintf(g_out, sizeof g_out, "%s", __argv[1]);
  g_log = fopen(g_out, "w");
  if (!g_log) return 2;
  g_uiThread = GetCurrentThreadId();
  int r = 2;
  if (!strcmp(__argv[2], "pathdlg") && __argc >= 6) r = RunPathDlg(__argc, __argv);
  else if (!strcmp(__argv[2], "combo")) r = RunCombo(__argc, __argv);
  fprintf(g_log, "exit %d\n", r);
  fclose(g_log);
  return r;
}

class CDemoApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    SetRegistryKey("Vexa");
    m_code = RunDemo();
    return FALSE;
  }
  int ExitInstance() override { return m_code; }

 private:
  int m_code = 1;
};

CDemoApp theApp;

}  // namespace
