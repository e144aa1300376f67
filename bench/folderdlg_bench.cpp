// The folder dialog over a folder of 10,000 subfolders (made here, or given
// as the last argument, with a second one beside it: name + "_b"): the list mode until every row is in the list, the
// path combo until its drop-down list is read, the directory list as the
// workers use it, a new directory tree until the folder's item is listed;
// each against a bare FindFirstFileA loop with one SHGetFileInfoA per folder
// over the same folder. The selection dialog filled with 10,000 rows of three cells against
// the same rows in a bare TreeList.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>

#include <string>

#include "bench/benchlib.h"
#include "files/dirlist.h"
#include "files/fileops.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/treeseldlg.h"

namespace {

std::string g_folder;
int g_count = 0;

double BareLoop(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((g_folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || fd.cFileName[0] == '.') continue;
      SHFILEINFOA fi;
      SHGetFileInfoA((g_folder + "\\" + fd.cFileName).c_str(), FILE_ATTRIBUTE_DIRECTORY, &fi, sizeof fi,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
      sum += fi.iIcon + 1;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return sum;
}

double DirList(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    CDirectoryList dl;
    dl.Refresh(g_folder.c_str(), DIRLIST_FOLDERS | DIRLIST_NETWORK);
    dl.Sort(DIRSORT_NAME, 0);
    while (DirEntry* e = dl.Next()) sum += dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS) + 1;
  }
  return sum;
}

// Inside one open dialog: the list switches between two folders of 10,000
// and 10,001 subfolders (told apart by their row count); one operation is
// one switch until every row is in the list.
HWND g_dlg;
std::string g_other;
int g_components = 0;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

double ListMode(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    static bool other = false;
    other = !other;
    const std::string& path = other ? g_other : g_folder;
    int want = g_components + g_count + (other ? 1 : 0);
    NMPATHCOMBO nm = {};
    nm.hdr.hwndFrom = GetDlgItem(g_dlg, IDC_PD_PATH);
    nm.hdr.idFrom = IDC_PD_PATH;
    nm.hdr.code = PCN_PATHSET;
    nm.kind = 1;
    nm.path = path.c_str();
    SendMessageA(g_dlg, WM_NOTIFY, IDC_PD_PATH, (LPARAM)&nm);
    DWORD end = GetTickCount() + 60000;
    while (SendDlgItemMessageA(g_dlg, IDC_PD_LIST, LB_GETCOUNT, 0, 0) != want && GetTickCount() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      Pump();
    }
    sum += want;
  }
  return sum;
}

void CALLBACK RunInDialog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_dlg = FindWindowA(nullptr, "Bench");
  if (!g_dlg) return;
  // the component rows of the folder's path
  g_components = (int)PathTextSegments(g_folder.c_str(), 64).size();
  orvbench::Compare("folderdlg.listmode", "CPathDlg list", ListMode, "FindFirstFileA", BareLoop);
  PostMessageA(g_dlg, WM_COMMAND, IDCANCEL, 0);
}

LRESULT CALLBACK HostProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

double ComboList(long n) {
  // the drop-down of the path's last segment: the folder's subfolders
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    HWND host = CreateWindowExA(0, "BenchHost", "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 200, nullptr, nullptr,
                                nullptr, nullptr);
    CPathComboBox combo;
    RECT rc = {0, 0, 560, 200};
    combo.Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 1017);
    combo.SetPath(g_folder.c_str(), -1);
    // list k = segments is read first; the combo then asks for the one before
    DWORD end = GetTickCount() + 60000;
    MSG msg;
    bool done = false;
    while (!done && GetTickCount() < end) {
      if (!GetMessageA(&msg, nullptr, 0, 0)) break;
      if (msg.message == PC_WM_WORKER && msg.wParam == 3 && msg.hwnd == combo.m_hWnd &&
          (int)(msg.lParam >> 24) - 1 == combo.GetSegmentCount())
        done = true;
      DispatchMessageA(&msg);
    }
    sum += done;
    DestroyWindow(host);
  }
  return sum;
}

// A new directory tree in a hidden window until the folder's item is listed
// with its 10,000 children (the drives at the root listed first).
double TreeList(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    CWnd host;
    RECT hr = {0, 0, 600, 600};
    host.CreateEx(0, "BenchHost", "", WS_OVERLAPPEDWINDOW, hr, nullptr, 0);
    CDirTreeCtrl tree;
    RECT rc = {0, 0, 580, 560};
    tree.Create(0, WS_CHILD | WS_VISIBLE, rc, &host, 1099);
    DWORD end = GetTickCount() + 60000;
    bool done = false, selected = false;
    while (!done && GetTickCount() < end) {
      if (!selected && !(selected = tree.SelectPath(g_folder.c_str(), nullptr, 1) != 0)) Sleep(1);
      Pump();
      HTREEITEM c = (HTREEITEM)tree.SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0);
      char p[MAX_PATH + 8];
      done = c && (tree.SendMessage(TVM_GETITEMSTATE, (WPARAM)c, DTS_LISTED) & DTS_LISTED) &&
             tree.GetItemPath(c, p, sizeof p) && !lstrcmpiA(p, g_folder.c_str());
      if (!done) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    sum += done;
    tree.DestroyWindow();
    host.DestroyWindow();
  }
  return sum;
}

// The selection dialog over 10,000 rows of three cells, ended as soon as it
// is filled (before it is shown), against the same rows put into a bare
// TreeList.
const int kSelRows = 10000;
const int kSelColumns = 3;
// ends itself once filled, before it is shown
class CFilledOnly : public CTreeSelectDlg {
 protected:
  BOOL OnInitDialog() override {
    CTreeSelectDlg::OnInitDialog();
    EndDialog(IDOK);
    return TRUE;
  }
};

void SelRowText(int r, char (*cells)[16]) {
  snprintf(cells[0], 16, "Zeile %d", r);
  snprintf(cells[1], 16, "%d", r * 7);
  snprintf(cells[2], 16, "N%d", r % 97);
}
const char* const kSelHeads[kSelColumns] = {"Name", "Wert", "Notiz"};

double SelectDialog(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    CFilledOnly dlg;
    for (const char* head : kSelHeads) dlg.Data().AddColumn(head, 80, 0, false);
    for (int r = 0; r < kSelRows; ++r) {
      char cells[kSelColumns][16];
      SelRowText(r, cells);
      int row = dlg.Data().AddRow(-1, (uint32_t)r, cells[0], false);
      for (int c = 1; c < kSelColumns; ++c) dlg.Data().SetCell(row, c, cells[c]);
    }
    sum += (double)dlg.DoModal();
  }
  return sum;
}

double BareTable(long n) {
  double sum = 0;
  for (long i = 0; i < n; ++i) {
    CWnd host;
    RECT hr = {0, 0, 400, 400};
    host.CreateEx(0, "BenchHost", "", WS_OVERLAPPEDWINDOW, hr, nullptr, 0);
    CTreeListCtrl t;
    RECT rc = {0, 0, 380, 300};
    t.Create(0, WS_CHILD | WS_VISIBLE, rc, &host, 1007);
    for (int c = 0; c < kSelColumns; ++c) t.InsertColumn(c, kSelHeads[c], 0, 80);
    t.SendMessage(WM_SETREDRAW, FALSE, 0);
    for (int r = 0; r < kSelRows; ++r) {
      char cells[kSelColumns][16];
      SelRowText(r, cells);
      HTREEITEM it = t.InsertItem(TVIF_TEXT | TVIF_PARAM, cells[0], 0, 0, 0, 0, r, TVI_ROOT, TVI_LAST);
      for (int c = 1; c < kSelColumns; ++c) {
        TVITEMA ti = {};
        ti.mask = TVIF_TEXT | TLIF_COLUMN;
        ti.hItem = it;
        ti.pszText = cells[c];
        ti.cChildren = c;
        t.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
      }
    }
    t.SendMessage(WM_SETREDRAW, TRUE, 0);
    sum += 1;
    t.DestroyWindow();
    host.DestroyWindow();
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  g_folder = argc > 1 && argv[argc - 1][0] != '-' ? argv[argc - 1] : std::string(tmp) + "orv_folderbench";
  g_folder = PathTextClean(g_folder.c_str());
  g_other = g_folder + "_b";
  g_count = 10000;
  for (const std::string* f : {&g_folder, &g_other}) {
    CreateDirectoryA(f->c_str(), nullptr);
    for (int i = 0; i < g_count + (f == &g_other ? 1 : 0); ++i) {
      char p[MAX_PATH + 16];
      snprintf(p, sizeof p, "%s\\f%d", f->c_str(), i);
      CreateDirectoryA(p, nullptr);
    }
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.lpszClassName = "BenchHost";
  RegisterClassA(&wc);
  orvbench::Compare("folderdlg.dirlist", "CDirectoryList", DirList, "FindFirstFileA", BareLoop);
  {
    CPathDlg dlg;
    dlg.SetTitle("Bench");
    dlg.SetPath(g_folder.c_str());
    SetTimer(nullptr, 0, 500, RunInDialog);
    dlg.Run(nullptr, PDF_MUSTEXIST | PDF_NOTREE);
  }
  orvbench::Compare("folderdlg.combo", "CPathComboBox list", ComboList, "FindFirstFileA", BareLoop);
  orvbench::Compare("folderdlg.tree", "CDirTreeCtrl", TreeList, "FindFirstFileA", BareLoop);
  orvbench::Compare("folderdlg.treesel", "CTreeSelectDlg", SelectDialog, "TreeList", BareTable);
  return 0;
}
