// The folder dialog's interface without its window: appending, copying the
// path into a buffer, and the recent list read from the registry by name;
// then the open dialog driven by messages: the path extension, dropped
// files, "Aufwärts" in tree mode, "Brotkrumen" switched while typing, the
// tree followed after three timer ticks, the list used before its new rows
// come, the layout after a size of 0, keys on the breadcrumb, the network's
// root double-clicked in the tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/winpump.h"
#include "files/dirlist.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/treelist.h"

namespace {

TEST(PathDlgInterface, AppendCopyAndRecentKey) {
  CPathDlg dlg;
  dlg.SetPath("C:\\Spiele");
  // blanks and separators trimmed, "/" made "\", cut at ":"
  EXPECT_STREQ(dlg.AppendPath("  runde/eins\\ "), "C:\\Spiele\\runde\\eins");
  EXPECT_STREQ(dlg.AppendPath("zwei:drei"), "C:\\Spiele\\runde\\eins\\zwei");
  EXPECT_STREQ(dlg.AppendPath(" \\ "), "C:\\Spiele\\runde\\eins\\zwei");
  const std::string want = "C:\\Spiele\\runde\\eins\\zwei";
  char buf[64] = "alt";
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size(), 0), 0);  // no room for the terminator
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size() + 1, 0), (int)want.size());
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size() + 1, 1), 0);  // the separator does not fit
  EXPECT_EQ(dlg.GetPathCopy(buf, sizeof buf, 1), (int)want.size() + 1);
  EXPECT_EQ(std::string(buf), want + "\\");
  // a name from the hive's root: the last folder and the list, newest first
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vexa\\OrvApiTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char last[] = "C:\\windows";
  const char multi[] = "C:\\a\0C:\\b\0";
  RegSetValueExA(key, "Liste", 0, REG_SZ, (const BYTE*)last, sizeof last);
  RegSetValueExA(key, "ListeLast", 0, REG_MULTI_SZ, (const BYTE*)multi, sizeof multi);
  RegCloseKey(key);
  CPathDlg fresh;
  fresh.SetRecentKey("#Software\\Vexa\\OrvApiTest\\Liste");
  EXPECT_STREQ(fresh.GetPath(), "C:\\windows");
  ASSERT_EQ(fresh.GetRecent().size(), 2u);
  EXPECT_EQ(fresh.GetRecent()[0], "C:\\a");
  EXPECT_EQ(fresh.GetRecent()[1], "C:\\b");
  // with a path already set only the list is read
  dlg.SetRecentKey("#Software\\Vexa\\OrvApiTest\\Liste");
  EXPECT_EQ(std::string(dlg.GetPath()), want);
  EXPECT_EQ(dlg.GetRecent().size(), 2u);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vexa\\OrvApiTest");
}

std::function<void(HWND)> g_act;

void CALLBACK OnOpen(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowA(nullptr, "Ordnertest");
  if (!dlg || !IsWindowVisible(dlg)) return;
  KillTimer(nullptr, id);
  g_act(dlg);
}

// Runs the dialog on path with flags; act sees it open and closes it.
INT_PTR RunDlg(CPathDlg& dlg, unsigned flags, const char* path, const std::function<void(HWND)>& act) {
  dlg.SetFlags(flags);
  dlg.SetPath(path);
  dlg.SetTitle("Ordnertest");
  g_act = act;
  SetTimer(nullptr, 0, 50, OnOpen);
  return dlg.Run(nullptr, -1);
}

bool WaitFor(const std::function<bool()>& ok) {
  for (DWORD end = GetTickCount() + 10000; !ok(); orvtest::PumpMessages(20))
    if ((int)(end - GetTickCount()) <= 0) return false;
  return true;
}

void Click(HWND dlg, int id, bool checked) {
  CheckDlgButton(dlg, id, checked ? BST_CHECKED : BST_UNCHECKED);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

// A check box the dialog saves, set for one test and put back after it.
struct BoxSet {
  HWND dlg;
  int id;
  bool was;
  BoxSet(HWND d, int i, bool on) : dlg(d), id(i), was(IsDlgButtonChecked(d, i) != 0) { Click(dlg, id, on); }
  ~BoxSet() { Click(dlg, id, was); }
};

std::string Windows() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return dir;
}

std::string CurrentRow(const CPathDlg& dlg) {
  std::vector<std::string> rows;
  std::vector<int> indents;
  int cur = dlg.GetListRows(&rows, &indents);
  return cur >= 0 && cur < (int)rows.size() ? rows[(size_t)cur] : std::string();
}

TEST(PathDlgWindow, ExtensionDroppedFileAndUpInTreeMode) {
  const std::string win = Windows(), sys = win + "\\system32", file = win + "\\win.ini";
  CPathDlg dlg;
  dlg.SetPathExtension("system32");
  RunDlg(dlg, PDF_MUSTEXIST, win.c_str(), [&](HWND w) {
    char text[64] = "";
    GetMenuStringA(GetSystemMenu(w, FALSE), PD_SC_EXTENSION, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Pfaderweiterung");
    SendMessageA(w, WM_SYSCOMMAND, PD_SC_EXTENSION, 0);
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), sys.c_str()), 0) << dlg.GetPath();
    EXPECT_TRUE(WaitFor([&] { return CurrentRow(dlg) == "system32"; })) << CurrentRow(dlg);
    // a file dropped on the list: its folder
    SendMessageA(GetDlgItem(w, IDC_PD_LIST), WM_DROPFILES, (WPARAM)HDropCreate(file.c_str()), 0);
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), win.c_str()), 0) << dlg.GetPath();
    // tree mode: up to the drive's root, no further; the list mode comes back
    BoxSet tree(w, IDC_PD_TREEMODE, true);
    for (int i = 0; i < 3; ++i) SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_PD_UP, BN_CLICKED), 0);
    EXPECT_EQ(dlg.GetPath(), win.substr(0, 3));
    char shown[MAX_PATH] = "";
    GetDlgItemTextA(w, IDC_PD_PATH, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), win.substr(0, 2));
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
  // without the breadcrumb a file dropped on the path combo goes the same way
  CPathDlg plain;
  RunDlg(plain, PDF_MUSTEXIST | PDF_NOBREADCRUMB, sys.c_str(), [&](HWND w) {
    SendMessageA(GetDlgItem(w, IDC_PD_PATH), WM_DROPFILES, (WPARAM)HDropCreate(file.c_str()), 0);
    EXPECT_EQ(lstrcmpiA(plain.GetPath(), win.c_str()), 0) << plain.GetPath();
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
}

// Types text into the path combo's edit field as keys would.
void TypeInto(HWND edit, const std::string& text) {
  SendMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : text) SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 0);
}

TEST(PathDlgWindow, BreadcrumbSwitchedWhileTypingKeepsTheText) {
  const std::string win = Windows(), sys = win + "\\system32";
  CPathDlg dlg;
  RunDlg(dlg, PDF_MUSTEXIST, win.c_str(), [&](HWND w) {
    BoxSet crumb(w, IDC_PD_BREADCRUMB, true);
    HWND combo = GetDlgItem(w, IDC_PD_PATH), edit = GetWindow(combo, GW_CHILD);
    SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 8));  // the icon: editing
    SendMessageA(combo, WM_LBUTTONUP, 0, MAKELPARAM(4, 8));
    ASSERT_TRUE(IsWindowVisible(edit));
    TypeInto(edit, sys);
    SetFocus(GetDlgItem(w, IDC_PD_BREADCRUMB));  // the mouse goes to the box
    Click(w, IDC_PD_BREADCRUMB, false);
    char text[MAX_PATH] = "";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), sys);
    SendMessageA(w, WM_COMMAND, IDOK, 0);  // lists what was typed, stays open
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), sys.c_str()), 0) << dlg.GetPath();
    // and back: typed in the text field, then the breadcrumb on
    SetFocus(edit);
    TypeInto(edit, win);
    SetFocus(GetDlgItem(w, IDC_PD_BREADCRUMB));
    Click(w, IDC_PD_BREADCRUMB, true);
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), win.c_str()), 0) << dlg.GetPath();
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
}

// The dialog's timer is the clock here: killed, and its ticks sent by hand.
TEST(PathDlgWindow, TreeSelectionTakenThreeTicksLater) {
  const std::string win = Windows(), sys = win + "\\system32";
  CPathDlg dlg;
  RunDlg(dlg, PDF_MUSTEXIST, win.c_str(), [&](HWND w) {
    BoxSet mode(w, IDC_PD_TREEMODE, true);
    KillTimer(w, PD_TIMER);
    auto* tree = dynamic_cast<CDirTreeCtrl*>(CWnd::FromHandlePermanent(GetDlgItem(w, IDC_PD_TREE)));
    std::vector<std::string> seen;
    if (tree) {
      char p[MAX_PATH] = "";
      EXPECT_TRUE(WaitFor([&] { return tree->GetPath(p, sizeof p, nullptr) && !lstrcmpiA(p, win.c_str()); })) << p;
      orvtest::PumpMessages(200);  // the selection's report is posted
      for (int i = 0; i < 3; ++i) SendMessageA(w, WM_TIMER, PD_TIMER, 0);
      EXPECT_EQ(tree->SelectPath(sys.c_str(), nullptr, 0), 2);
      orvtest::PumpMessages(200);
      for (int i = 0; i < 4; ++i) {
        seen.push_back(dlg.GetPath());
        SendMessageA(w, WM_TIMER, PD_TIMER, 0);
      }
    }
    ASSERT_EQ(seen.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lstrcmpiA(seen[(size_t)i].c_str(), win.c_str()), 0) << i << seen[(size_t)i];
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), sys.c_str()), 0) << dlg.GetPath();
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
}

// The list worker held in each entry it lists until the gate opens.
HANDLE g_gate;
void HeldAtGate(const char*) { WaitForSingleObject(g_gate, 10000); }

// While the rows of a new path are still on their way the list shows the old
// ones: a second double-click opens the row it names there, and a second
// "Aufwärts" goes one level further up once the rows have come.
TEST(PathDlgWindow, ListUsedBeforeTheNewRowsCome) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string top = std::string(tmp) + "orv_rows", d = top + "\\D";
  const std::vector<std::string> folders = {top, d, d + "\\A", d + "\\A\\X", d + "\\B"};
  for (const std::string& p : folders) CreateDirectoryA(p.c_str(), nullptr);
  g_gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CPathDlg dlg;
  RunDlg(dlg, PDF_MUSTEXIST | PDF_NOTREE, d.c_str(), [&](HWND w) {
    HWND list = GetDlgItem(w, IDC_PD_LIST);
    auto dblclk = [&](const char* name) {
      std::vector<std::string> rows;
      std::vector<int> indents;
      dlg.GetListRows(&rows, &indents);
      for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == name) SendMessageA(list, LB_SETCURSEL, i, 0);
      SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_PD_LIST, LBN_DBLCLK), (LPARAM)list);
    };
    auto up = [&] { SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_PD_UP, BN_CLICKED), 0); };
    ASSERT_TRUE(WaitFor([&] { return CurrentRow(dlg) == "D"; }));
    DirListSetEntryHook(HeldAtGate);
    dblclk("A");  // the worker stops in A's listing
    dblclk("B");
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), (d + "\\B").c_str()), 0) << dlg.GetPath();
    SetEvent(g_gate);
    EXPECT_TRUE(WaitFor([&] { return CurrentRow(dlg) == "B"; })) << CurrentRow(dlg);
    ResetEvent(g_gate);
    up();  // the worker stops in D's listing
    up();
    SetEvent(g_gate);
    EXPECT_TRUE(WaitFor([&] { return CurrentRow(dlg) == "orv_rows"; })) << CurrentRow(dlg);
    EXPECT_EQ(lstrcmpiA(dlg.GetPath(), top.c_str()), 0) << dlg.GetPath();
    DirListSetEntryHook(nullptr);
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
  SetEvent(g_gate);
  DirListSetEntryHook(nullptr);
  CloseHandle(g_gate);
  for (auto p = folders.rbegin(); p != folders.rend(); ++p) RemoveDirectoryA(p->c_str());
}

// Handles the queue as the dialog's own loop does: keys through the dialog manager.
void PumpDialog(HWND dlg, DWORD ms) {
  for (DWORD end = GetTickCount() + ms; (LONG)(GetTickCount() - end) < 0; Sleep(5)) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessageA(dlg, &m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
  }
}

// The breadcrumb has the keyboard: Left and Enter go to the folder above and
// keep the dialog open; a letter typed there is no path for Enter to take.
TEST(PathDlgWindow, KeysOnTheBreadcrumb) {
  const std::string win = Windows(), sys = win + "\\system32";
  CPathDlg dlg;
  std::string above;
  // a missing folder is no refusal here: the letter would show in the path
  INT_PTR r = RunDlg(dlg, PDF_NOTREE, sys.c_str(), [&](HWND w) {
    BoxSet crumb(w, IDC_PD_BREADCRUMB, true);
    HWND combo = GetDlgItem(w, IDC_PD_PATH);
    SetFocus(combo);
    PostMessageA(combo, WM_CHAR, 'x', 0x2D0001);
    PostMessageA(combo, WM_KEYDOWN, VK_LEFT, 0x14B0001);
    PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 0x1C0001);
    PumpDialog(w, 300);
    above = dlg.GetPath();
    PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 0x1C0001);  // on the last arrow: OK
    PumpDialog(w, 300);
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(lstrcmpiA(above.c_str(), win.c_str()), 0) << above;
  EXPECT_EQ(r, IDOK) << dlg.GetPath();
  EXPECT_EQ(lstrcmpiA(dlg.GetPath(1), (win + "\\").c_str()), 0) << dlg.GetPath(1);
}

// Tree mode: the network's root names no folder; its double-click neither
// takes it nor closes with the folder chosen before.
TEST(PathDlgWindow, NetworkRootDoubleClickedInTreeMode) {
  const std::string win = Windows();
  CPathDlg dlg;
  bool found = false;
  INT_PTR r = RunDlg(dlg, PDF_MUSTEXIST, win.c_str(), [&](HWND w) {
    BoxSet mode(w, IDC_PD_TREEMODE, true);
    HWND tree = GetDlgItem(w, IDC_PD_TREE);
    for (LPARAM c = SendMessageA(tree, TLM_GETNEXTITEM, TLGN_ROOT, 0); c && !found;
         c = SendMessageA(tree, TLM_GETNEXTITEM, TLGN_NEXT, c)) {
      char text[MAX_PATH] = "";
      TVITEMA it = {};
      it.mask = TVIF_TEXT;
      it.hItem = (HTREEITEM)c;
      it.pszText = text;
      it.cchTextMax = sizeof text;
      SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&it);
      if (!strstr(text, "Network")) continue;
      found = true;
      TLRect rc = {};
      rc.left = (int32_t)c;
      SendMessageA(tree, TLM_GETITEMRECT, 1, (LPARAM)&rc);
      LPARAM pt = MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
      for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(tree, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, pt);
    }
    PumpDialog(w, 300);
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(found);
  EXPECT_EQ(r, IDCANCEL) << dlg.GetPath(1);
}

// A size of 0 leaves nothing to lay out from: the minimum is no longer kept
// until the next dialog takes its rectangles again.
TEST(PathDlgWindow, SizeZeroLaysOutAfreshAtTheNextOpening) {
  auto tiny = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    r.right = r.left + 20;
    r.bottom = r.top + 20;
    SendMessageA(w, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&r);
    return r.right - r.left;
  };
  const std::string win = Windows();
  for (int run = 0; run < 2; ++run) {
    CPathDlg dlg;
    RunDlg(dlg, PDF_MUSTEXIST, win.c_str(), [&](HWND w) {
      EXPECT_GT(tiny(w), 100) << run;
      if (run == 0) {
        SendMessageA(w, WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_EQ(tiny(w), 20);
      }
      PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
  }
}

}  // namespace
