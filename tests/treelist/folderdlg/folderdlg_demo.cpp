// Opens the folder dialog or a path combo from arguments for the GUI tests
// and writes what came of it to OUTFILE (8-bit text as hex where bytes matter).
//
//   folderdlg_demo.exe OUTFILE pathdlg FLAGS KEY START [SLOWMS [DESTROYMS [CWD]]]
//       the folder dialog; KEY "-" for none; SLOWMS slows every listed entry;
//       DESTROYMS (0: never) destroys the dialog's owner after that time; CWD
//       the current folder while the dialog is open; FLAGS 0x100
//       opens the dialog a second time in the same process
//   folderdlg_demo.exe OUTFILE tree STYLE START [SLOWMS [DESTROYMS]]
//       a directory tree in a window, START selected twice and a missing
//       path once; every WM_NOTIFY of the tree logged with its thread
//   folderdlg_demo.exe OUTFILE treesel OPTIONS
//       the tree selection dialog over rows "b" "c" "a" (values 2 3 1) with a
//       second column (OPTIONS 0x100: both columns editable; 0x200: rows "e"
//       "d" added, "e" found as the initial row; 0x400: three dialogs in
//       turn); each result and the cells logged
//   folderdlg_demo.exe OUTFILE combo OPTIONS PATH [SLOWMS [DESTROYMS [LEFT]]]
//       a path combo in a window (its left edge at LEFT); notifications
//       logged; DESTROYMS ends the program after that time
//   folderdlg_demo.exe OUTFILE droptarget LEFT
//       a window "Ziel" taking OLE drops of CF_HDROP; the first path logged
//   folderdlg_demo.exe OUTFILE drive LETTER MS
//       defines drive LETTER (as C:\windows) for MS milliseconds or until
//       OUTFILE.stop exists, then removes it
//   folderdlg_demo.exe OUTFILE copyfrom
//       sends WM_COPY to the directory tree of another demo process and logs
//       the clipboard's CF_HDROP path
// While a window is up, OUTFILE.pos holds "name left top right bottom" lines:
// the dialog's controls and their screen rectangles, the colours and the
// active window's title.
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "files/dirlist.h"
#include "framework/winapp.h"
#include "tests/treelist/tlcell.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/treeseldlg.h"

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

// The positions file is written aside and renamed, so the driver never reads half of it.
FILE* OpenPos() {
  char path[MAX_PATH + 8];
  snprintf(path, sizeof path, "%s.pos.tmp", g_out);
  return fopen(path, "w");
}

void ClosePos(FILE* f) {
  fclose(f);
  char path[MAX_PATH + 8], final[MAX_PATH + 8];
  snprintf(path, sizeof path, "%s.pos.tmp", g_out);
  snprintf(final, sizeof final, "%s.pos", g_out);
  MoveFileExA(path, final, MOVEFILE_REPLACE_EXISTING);
}

void WritePositions(HWND dlg) {
  FILE* f = OpenPos();
  if (!f) return;
  const struct {
    const char* name;
    int id;
  } items[] = {{"dialog", 0},   {"ok", IDOK},     {"cancel", IDCANCEL}, {"list", IDC_PD_LIST},
               {"path", IDC_PD_PATH}, {"drives", IDC_PD_DRIVES}, {"up", IDC_PD_UP}, {"breadcrumb", IDC_PD_BREADCRUMB},
               {"treemode", IDC_PD_TREEMODE}, {"tree", IDC_PD_TREE}};
  for (const auto& it : items) {
    HWND w = it.id ? GetDlgItem(dlg, it.id) : dlg;
    RECT rc;
    if (w && GetWindowRect(w, &rc)) fprintf(f, "%s %ld %ld %ld %ld\n", it.name, rc.left, rc.top, rc.right, rc.bottom);
  }
  HWND tree = GetDlgItem(dlg, IDC_PD_TREE);
  HTREEITEM sel = tree && IsWindowVisible(tree) ? (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) : nullptr;
  RECT sr;
  memcpy(&sr, &sel, sizeof sel);
  if (sel && SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&sr)) {
    MapWindowPoints(tree, nullptr, (POINT*)&sr, 2);
    fprintf(f, "selrect %ld %ld %ld %ld\n", sr.left, sr.top, sr.right, sr.bottom);
    char text[300] = "";
    TVITEMA ti = {};
    ti.mask = TVIF_TEXT;
    ti.hItem = sel;
    ti.pszText = text;
    ti.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&ti);
    fprintf(f, "treeitem %s\n", Hex(text).c_str());
  }
  HWND list = GetDlgItem(dlg, IDC_PD_LIST);
  if (list) {
    fprintf(f, "rowheight %d\n", (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    fprintf(f, "rows %d\n", (int)SendMessageA(list, LB_GETCOUNT, 0, 0));
    fprintf(f, "sel %d\n", (int)SendMessageA(list, LB_GETCURSEL, 0, 0));
    fprintf(f, "top %d\n", (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    fprintf(f, "drivesel %d\n", (int)SendDlgItemMessageA(dlg, IDC_PD_DRIVES, CB_GETCURSEL, 0, 0));
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
  char active[256] = "";  // the window the keys go to: the dialog or a box over it
  GetWindowTextA(GetActiveWindow(), active, sizeof active);
  fprintf(f, "active %s\n", Hex(active).c_str());
  ClosePos(f);
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
  if (argc > 8) SetCurrentDirectoryA(argv[8]);
  g_owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CWnd* owner = CWnd::FromHandle(g_owner);
  for (int run = 0; run < ((flags & 0x100) ? 2 : 1); ++run) {
    CPathDlg dlg(owner, key);
    g_dlg = &dlg;
    dlg.SetFlags(flags & 31);
    if (strcmp(argv[5], "-")) dlg.SetPath(argv[5]);
    dlg.SetTitle("Ordner für den Test");
    UINT_PTR report = SetTimer(nullptr, 0, 100, Report);
    if (argc > 7 && atoi(argv[7]) > 0) SetTimer(nullptr, 0, (UINT)atoi(argv[7]), DestroyOwner);
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
  FILE* f = OpenPos();
  if (!f) return;
  RECT rc;
  GetWindowRect(g_combo->m_hWnd, &rc);
  fprintf(f, "combo %ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
  for (int e = 0; e <= 2 * FOLDER_MAX_SEGMENTS; ++e)
    if (g_combo->GetElementRect(e, &rc)) fprintf(f, "e%d %ld %ld %ld %ld\n", e, rc.left, rc.top, rc.right, rc.bottom);
  fprintf(f, "colors %06lx %06lx\n", (unsigned long)GetSysColor(COLOR_WINDOW),
          (unsigned long)GetSysColor(COLOR_HIGHLIGHT));
  fprintf(f, "buttoncolors %06lx %06lx\ndropped %d\n", (unsigned long)GetSysColor(COLOR_BTNHIGHLIGHT),
          (unsigned long)GetSysColor(COLOR_SCROLLBAR), g_combo->GetDroppedState() ? 1 : 0);
  // the visual style's own header items at the size of the first text shown
  if (HMODULE ux = GetModuleHandleA("uxtheme.dll")) {
    auto open = (HANDLE(WINAPI*)(HWND, LPCWSTR))(void*)GetProcAddress(ux, "OpenThemeData");
    auto draw = (HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*))(void*)GetProcAddress(
        ux, "DrawThemeBackground");
    bool shown = false;
    for (int e = 1; e <= 2 * FOLDER_MAX_SEGMENTS && !shown; e += 2) shown = g_combo->GetElementRect(e, &rc) != FALSE;
    HANDLE th = open && draw && shown ? open(g_combo->m_hWnd, L"Header") : nullptr;
    if (th) {
      RECT er = {0, 0, rc.right - rc.left, rc.bottom - rc.top};
      HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
      HBITMAP bm = CreateCompatibleBitmap(screen, er.right, er.bottom);
      HGDIOBJ old = SelectObject(dc, bm);
      fprintf(f, "theme");
      for (int state : {2, 3}) {  // hot, pressed
        draw(th, dc, 1, state, &er, nullptr);
        fprintf(f, " %06lx", (unsigned long)GetPixel(dc, 3, er.bottom / 2));
      }
      fprintf(f, "\n");
      if (auto close = (HRESULT(WINAPI*)(HANDLE))(void*)GetProcAddress(ux, "CloseThemeData")) close(th);
      SelectObject(dc, old);
      DeleteObject(bm);
      DeleteDC(dc);
      ReleaseDC(nullptr, screen);
    }
  }
  fprintf(f, "items %d", g_combo->GetCount());
  for (int i = 0; i < g_combo->GetCount(); ++i) {
    CString t;
    g_combo->GetLBText(i, t);
    fprintf(f, " %s", Hex(t).c_str());
  }
  fprintf(f, "\n");
  fprintf(f, "editing %d\n", g_combo->IsEditing() ? 1 : 0);
  char edited[300] = "";
  if (HWND edit = GetWindow(g_combo->m_hWnd, GW_CHILD)) GetWindowTextA(edit, edited, sizeof edited);
  fprintf(f, "edittext %s\n", Hex(edited).c_str());
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
  ClosePos(f);
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
  int left = argc > 7 ? atoi(argv[7]) : 40;
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Pfad", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, 40, 700, 300,
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

// -------------------------------------------------------------- directory tree

CDirTreeCtrl* g_tree;

class CTreeHost : public CWnd {
 public:
  LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
    if (m == WM_NOTIFY && g_tree && reinterpret_cast<NMHDR*>(lp)->hwndFrom == g_tree->m_hWnd) {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      bool ui = GetCurrentThreadId() == g_uiThread;
      if (nm->code >= DTN_SELMOVED && nm->code <= DTN_ACTIVATED) {
        auto* n = reinterpret_cast<DtNotify*>(lp);
        fprintf(g_log, "notify %x %s kind %d thread %d\n", nm->code, Hex(n->path).c_str(), n->kind, ui ? 1 : 0);
      } else if (!ui) {
        fprintf(g_log, "notify %x thread 0\n", nm->code);
      }
      fflush(g_log);
    }
    if (m == WM_CLOSE || (m == WM_TIMER && wp == 1)) {
      PostQuitMessage(0);
      return 0;
    }
    if ((m == WM_SETFOCUS || m == WM_LBUTTONDOWN) && g_tree && g_tree->m_hWnd) {
      ::SetFocus(g_tree->m_hWnd);  // a click beside the tree gives it the keys
      return 0;
    }
    return CWnd::WindowProc(m, wp, lp);
  }
};

std::string ItemText(HWND tree, HTREEITEM item) { return TLItemTextA(tree, item); }

void CALLBACK ReportTree(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_tree || !g_tree->m_hWnd) return;
  HWND t = g_tree->m_hWnd;
  FILE* f = OpenPos();
  if (!f) return;
  char cur[300];
  int kind = -1;
  g_tree->GetPath(cur, sizeof cur, &kind);
  fprintf(f, "current %s %d\n", Hex(cur).c_str(), kind);
  HTREEITEM sel = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
  if (sel) {
    RECT rc;
    memcpy(&rc, &sel, sizeof sel);
    if (SendMessageA(t, TVM_GETITEMRECT, TRUE, (LPARAM)&rc)) {
      MapWindowPoints(t, nullptr, (POINT*)&rc, 2);
      fprintf(f, "selrect %ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    }
    fprintf(f, "chain");
    for (HTREEITEM a = sel; a; a = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)a))
      fprintf(f, " %x:%d", (unsigned)SendMessageA(t, TVM_GETITEMSTATE, (WPARAM)a, 0xFFFFFFFF),
              (int)SendMessageA(t, TLM_GETITEMROW, 0, (LPARAM)a));
    fprintf(f, "\n");
    fprintf(f, "state %x\nchildren", (unsigned)SendMessageA(t, TVM_GETITEMSTATE, (WPARAM)sel, 0xFFFFFFFF));
    for (HTREEITEM c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)sel); c;
         c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c))
      fprintf(f, " %s", Hex(ItemText(t, c).c_str()).c_str());
    fprintf(f, "\n");
  }
  RECT w;
  GetWindowRect(t, &w);
  fprintf(f, "tree %ld %ld %ld %ld\n", w.left, w.top, w.right, w.bottom);
  ClosePos(f);
}

int RunTree(int argc, char** argv) {
  unsigned style = (unsigned)strtoul(argv[3], nullptr, 0);
  if (argc > 5) g_slowMs = atoi(argv[5]);
  if (g_slowMs) DirListSetEntryHook(Slow);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "DirTreeHost";
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  CTreeHost host;
  RECT hr = {40, 40, 640, 640};
  host.CreateEx(0, wc.lpszClassName, "Ordner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, hr, nullptr, 0);
  g_tree = new CDirTreeCtrl;
  RECT rc = {10, 10, 580, 560};
  if (!g_tree->Create(WS_EX_CLIENTEDGE, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rc, &host, 1099)) return 3;
  int first = 0;
  for (int i = 0; i < 100 && !(first = g_tree->SelectPath(argv[4], nullptr, 0x81)); ++i) Sleep(50);  // drives listed
  int second = g_tree->SelectPath(argv[4], nullptr, 0x81);
  int missing = g_tree->SelectPath((std::string(argv[4]) + "\\fehlt\\nicht da").c_str(), nullptr, 0);
  fprintf(g_log, "select %d %d missing %d\n", first, second, missing);
  fflush(g_log);
  SetTimer(nullptr, 0, 100, ReportTree);
  if (argc > 6) host.SetTimer(1, (UINT)atoi(argv[6]), nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DWORD t0 = GetTickCount();
  g_tree->Stop();
  fprintf(g_log, "stopped %lu\n", (unsigned long)(GetTickCount() - t0));
  host.DestroyWindow();
  delete g_tree;
  g_tree = nullptr;
  fprintf(g_log, "destroyed %lu\n", (unsigned long)(GetTickCount() - t0));
  return 0;
}

// A drive that comes while another process shows its drive list.
int RunDrive(const char* letter, int ms) {
  BOOL ok = DefineDosDeviceA(0, letter, "C:\\windows");
  fprintf(g_log, "defined %d\n", ok ? 1 : 0);
  fflush(g_log);
  char stop[MAX_PATH + 8];
  snprintf(stop, sizeof stop, "%s.stop", g_out);
  for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < (DWORD)ms;) {
    if (GetFileAttributesA(stop) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(50);
  }
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, letter, nullptr);
  return ok ? 0 : 1;
}

int RunCopyFrom() {
  HWND host = FindWindowA("DirTreeHost", "Ordner");
  HWND tree = host ? GetDlgItem(host, 1099) : nullptr;
  if (!tree) return 2;
  fprintf(g_log, "copied %d\n", (int)SendMessageA(tree, WM_COPY, 0, 0));
  if (OpenClipboard(nullptr)) {
    HDROP drop = (HDROP)GetClipboardData(CF_HDROP);
    char path[1024] = "";
    if (drop && DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) == 1) DragQueryFileA(drop, 0, path, sizeof path);
    fprintf(g_log, "hdrop %s\n", Hex(path).c_str());
    CloseClipboard();
  }
  return 0;
}

// An OLE drop target that logs what a drag brings.
class LogDropTarget : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    fprintf(g_log, "enter\n");
    fflush(g_log);
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC fmt = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM med = {};
    char path[1024] = "";
    if (SUCCEEDED(data->GetData(&fmt, &med))) {
      DragQueryFileA((HDROP)med.hGlobal, 0, path, sizeof path);
      ReleaseStgMedium(&med);
    }
    fprintf(g_log, "dropped %s\n", Hex(path).c_str());
    fflush(g_log);
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
};

int RunDropTarget(int, char** argv) {
  OleInitialize(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "DropHost";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, wc.lpszClassName, "Ziel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, atoi(argv[3]), 40, 300,
                           300, nullptr, nullptr, wc.hInstance, nullptr);
  LogDropTarget target;
  RegisterDragDrop(w, &target);
  FILE* f = OpenPos();
  RECT rc;
  GetWindowRect(w, &rc);
  if (f) {
    fprintf(f, "target %ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    ClosePos(f);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  RevokeDragDrop(w);
  DestroyWindow(w);
  OleUninitialize();
  return 0;
}

// -------------------------------------------------------------- tree selection

CTreeSelectDlg* g_sel;

void CALLBACK ReportSel(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_sel || !g_sel->m_hWnd) return;
  HWND t = GetDlgItem(g_sel->m_hWnd, IDC_TS_TABLE);
  if (!t) return;
  FILE* f = OpenPos();
  if (!f) return;
  RECT rc;
  const struct {
    const char* name;
    int id;
  } items[] = {{"ok", IDOK}, {"cancel", IDCANCEL}};
  for (const auto& it : items)
    if (GetWindowRect(GetDlgItem(g_sel->m_hWnd, it.id), &rc))
      fprintf(f, "%s %ld %ld %ld %ld\n", it.name, rc.left, rc.top, rc.right, rc.bottom);
  HWND header = (HWND)SendMessageA(t, TLM_GETHEADER, 0, 0);
  for (int i = 0; i < 2; ++i)
    if (header && SendMessageA(header, HDM_GETITEMRECT, (WPARAM)i, (LPARAM)&rc)) {
      MapWindowPoints(header, nullptr, (POINT*)&rc, 2);
      fprintf(f, "header%d %ld %ld %ld %ld\n", i, rc.left, rc.top, rc.right, rc.bottom);
    }
  fprintf(f, "rows");
  for (HTREEITEM c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_ROOT, 0); c;
       c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c)) {
    memcpy(&rc, &c, sizeof c);
    SendMessageA(t, TVM_GETITEMRECT, TRUE, (LPARAM)&rc);
    MapWindowPoints(t, nullptr, (POINT*)&rc, 2);
    std::string text = ItemText(t, c);
    UINT st = (UINT)SendMessageA(t, TVM_GETITEMSTATE, (WPARAM)c, 0xFFFFFFFFu);
    fprintf(f, " %s:%ld:%ld:%d", text.empty() ? "-" : text.c_str(), (rc.left + rc.right) / 2,
            (rc.top + rc.bottom) / 2, (st & 0xF000) == 0x2000 ? 1 : 0);
  }
  fprintf(f, "\n");
  ClosePos(f);
}

int RunTreeSel(int, char** argv) {
  unsigned options = (unsigned)strtoul(argv[3], nullptr, 0);
  for (int run = 0; run < ((options & 0x400) ? 3 : 1); ++run) {
    CTreeSelectDlg dlg;
    g_sel = &dlg;
    dlg.m_options = options & 0xFF;
    dlg.m_prompt = "Bitte wählen";
    bool editable = (options & 0x100) != 0;  // both columns edited in place
    dlg.Data().AddColumn("Name", 80, 0, editable);
    dlg.Data().AddColumn("Wert", 60, 0, editable);
    const char* names[] = {"b", "c", "a", "e", "d"};
    for (int i = 0; i < ((options & 0x200) ? 5 : 3); ++i) {
      int r = dlg.Data().AddRow(-1, (uint32_t)(names[i][0] - 'a' + 1), names[i], false);
      char cell[8];
      snprintf(cell, sizeof cell, "%d", r * 10);
      dlg.Data().SetCell(r, 1, cell);
    }
    if (options & 0x200) dlg.FindRow("e", false);
    UINT_PTR report = SetTimer(nullptr, 0, 100, ReportSel);
    INT_PTR r = dlg.DoModal();
    KillTimer(nullptr, report);
    g_sel = nullptr;
    char pos[MAX_PATH + 8];
    snprintf(pos, sizeof pos, "%s.pos", g_out);
    DeleteFileA(pos);
    char text[64];
    dlg.GetResult(text, sizeof text);
    fprintf(g_log, "result %d\nchosen %d\ntext %s\nvalue %u\nchecked", (int)r, dlg.GetChosenRow(), text,
            (unsigned)dlg.GetResultValue());
    for (int i = 0; i < dlg.Data().RowCount(); ++i)
      if (dlg.Data().IsChecked(i)) fprintf(g_log, " %s", dlg.Data().GetCellPtr(i, 0));
    fprintf(g_log, "\ncells");
    for (int i = 0; i < dlg.Data().RowCount(); ++i)
      fprintf(g_log, " %s=%s", dlg.Data().GetCellPtr(i, 0), dlg.Data().GetCellPtr(i, 1));
    fprintf(g_log, "\n");
    fflush(g_log);
  }
  return 0;
}

int RunDemo() {
  if (__argc < 4) return 2;
  snprintf(g_out, sizeof g_out, "%s", __argv[1]);
  g_log = fopen(g_out, "w");
  if (!g_log) return 2;
  g_uiThread = GetCurrentThreadId();
  int r = 2;
  if (!strcmp(__argv[2], "pathdlg") && __argc >= 6) r = RunPathDlg(__argc, __argv);
  else if (!strcmp(__argv[2], "combo")) r = RunCombo(__argc, __argv);
  else if (!strcmp(__argv[2], "tree")) r = RunTree(__argc, __argv);
  else if (!strcmp(__argv[2], "treesel")) r = RunTreeSel(__argc, __argv);
  else if (!strcmp(__argv[2], "copyfrom")) r = RunCopyFrom();
  else if (!strcmp(__argv[2], "drive") && __argc >= 5) r = RunDrive(__argv[3], atoi(__argv[4]));
  else if (!strcmp(__argv[2], "droptarget")) r = RunDropTarget(__argc, __argv);
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
