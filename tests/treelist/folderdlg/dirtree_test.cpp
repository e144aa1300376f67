// The directory tree in one process over a folder made here: links, the
// open-folder icon, the background refresh and a folder that goes, sorting,
// keys, the double-clicked row, drags, dropped files, a drive alone, the busy
// cursor, the order of the listings, the caret kept in view, and network
// paths with a server that does not answer.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "files/dirlist.h"
#include "toolkit/hdrop.h"
#include "tests/treelist/tlcell.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/folderlimits.h"
#include "tests/support/winpump.h"

namespace {

void Pump(DWORD ms) { orvtest::PumpMessages(ms); }

bool WaitFor(const std::function<bool()>& ok, DWORD ms = 20000) {
  DWORD end = GetTickCount() + ms;
  while (!ok()) {
    if ((int)(end - GetTickCount()) <= 0) return false;
    Pump(20);
  }
  return true;
}

struct Note {
  UINT code;
  std::string path;
  int kind, ended;
};

class CHost : public CWnd {
 public:
  std::vector<Note> notes;
  LRESULT dragAnswer = 0;
  LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
    if (m == WM_NOTIFY) {
      auto* n = reinterpret_cast<DtNotify*>(lp);
      if (n->hdr.code >= DTN_SELMOVED && n->hdr.code <= DTN_ACTIVATED) {
        notes.push_back({n->hdr.code, n->path ? n->path : "", n->kind, n->dragEnded});
        if (n->hdr.code == DTN_DRAGPATH) return dragAnswer;
      }
    }
    return CWnd::WindowProc(m, wp, lp);
  }
  int Count(UINT code) const {
    int c = 0;
    for (const Note& n : notes) c += n.code == code;
    return c;
  }
};

std::string Text(HWND t, HTREEITEM item) { return TLItemTextA(t, item); }

TVITEMA Item(HWND t, HTREEITEM item) {
  TVITEMA it = {};
  it.mask = TVIF_IMAGE | TVIF_CHILDREN | TVIF_STATE;
  it.stateMask = 0xFFFFFFFFu;
  it.hItem = item;
  SendMessageA(t, TVM_GETITEMA, 0, (LPARAM)&it);
  return it;
}

HTREEITEM Child(HWND t, HTREEITEM parent, const char* text) {
  for (auto c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent); c;
       c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c))
    if (Text(t, c) == text) return c;
  return nullptr;
}

std::vector<std::string> Children(HWND t, HTREEITEM parent) {
  std::vector<std::string> r;
  for (auto c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent); c;
       c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c))
    r.push_back(Text(t, c));
  return r;
}

int FolderIcon(const std::string& path, UINT open) {
  SHFILEINFOA fi = {};
  SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY, &fi, sizeof fi,
                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? open : SHGFI_USEFILEATTRIBUTES));
  return fi.iIcon;
}

void MakeLink(const std::string& lnk, const std::string& target) {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                         (void**)&link)));
  link->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)));
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
  EXPECT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
  file->Release();
  link->Release();
}

void RemoveTree(const std::string& dir) {
  std::string from = dir + '\0';
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  SHFileOperationA(&op);
}

class DirTree : public ::testing::Test {
 protected:
  std::string root;
  CHost host;
  CDirTreeCtrl tree;
  HWND t = nullptr;

  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    char full[MAX_PATH];
    GetLongPathNameA(tmp, full, sizeof full);
    root = std::string(full) + "orv_dirtree_" + std::to_string(GetCurrentProcessId());
    RemoveTree(root);
    for (const char* d : {"", "\\A", "\\A\\B", "\\A\\E", "\\T"}) CreateDirectoryA((root + d).c_str(), nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DirTreeTestHost";
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    RECT hr = {40, 40, 640, 640};
    ASSERT_TRUE(host.CreateEx(0, wc.lpszClassName, "Ordner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, hr, nullptr, 0));
  }
  void Make(DWORD style) {
    RECT rc = {10, 10, 580, 560};
    ASSERT_TRUE(tree.Create(WS_EX_CLIENTEDGE, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rc, &host, 1099));
    t = tree.m_hWnd;
  }
  void TearDown() override {
    if (tree.m_hWnd) tree.DestroyWindow();
    if (host.m_hWnd) host.DestroyWindow();
    RemoveTree(root);
  }
  // Selects the folder and waits until its parent has been listed.
  HTREEITEM Select(const std::string& path) {
    EXPECT_TRUE(WaitFor([&] { return tree.SelectPath(path.c_str(), nullptr, 0x81) != 0; }));
    HTREEITEM item = nullptr;
    EXPECT_TRUE(WaitFor([&] {
      item = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
      char p[300];
      auto parent = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)item);
      return item && tree.GetItemPath(item, p, sizeof p) && !lstrcmpiA(p, path.c_str()) &&
             (Item(t, parent).state & DTS_LISTED);
    }));
    return item;
  }
  void Refresh() { SendMessageA(t, WM_COMMAND, DT_CMD_IDLE, 0); }
  // What the TreeList sends its parent, reflected to the tree.
  void Reflect(UINT code, HTREEITEM item, UINT action = 0) {
    NMTREEVIEWA nm = {};
    nm.hdr.hwndFrom = t;
    nm.hdr.idFrom = 1099;
    nm.hdr.code = code;
    nm.action = action;
    nm.itemNew.hItem = item;
    SendMessageA(host.m_hWnd, WM_NOTIFY, 1099, (LPARAM)&nm);
  }
};

TEST_F(DirTree, FollowsTheDiskAndShowsTheOpenFolder) {
  MakeLink(root + "\\A\\L.lnk", root + "\\T");
  Make(0x1000);
  HTREEITEM b = Select(root + "\\A\\B");
  HTREEITEM a = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)b);
  EXPECT_EQ(Children(t, a), (std::vector<std::string>{"B", "E", "L"}));
  // the shortcut stands for its target
  HTREEITEM l = Child(t, a, "L");
  ASSERT_TRUE(l);
  EXPECT_EQ(Item(t, l).state & (DTS_LINK | DTS_VIRTUAL | DTS_SLOW), (UINT)DTS_LINK);
  char p[300];
  ASSERT_TRUE(tree.GetItemPath(l, p, sizeof p));
  EXPECT_STREQ(p, (root + "\\T").c_str());
  // the selected folder alone shows the open icon
  int open = FolderIcon(root + "\\A\\B", SHGFI_OPENICON), closed = FolderIcon(root + "\\A\\B", 0);
  ASSERT_NE(open, closed);
  EXPECT_EQ(Item(t, b).iImage, open);
  HTREEITEM e = Select(root + "\\A\\E");
  EXPECT_EQ(Item(t, b).iImage, closed);
  EXPECT_EQ(Item(t, e).iImage, open);
  // E listed empty: no button; a subfolder made later brings it back
  ASSERT_TRUE(WaitFor([&] { return (Item(t, e).state & (DTS_LISTED | DTS_UNLISTED)) == DTS_LISTED; }));
  CreateDirectoryA((root + "\\A\\B\\C").c_str(), nullptr);
  CreateDirectoryA((root + "\\A\\E\\F").c_str(), nullptr);
  Refresh();
  EXPECT_TRUE(WaitFor([&] { return (Item(t, e).state & (DTS_LISTED | DTS_UNLISTED)) == DTS_UNLISTED; }));
  // the selected folder goes: its parent is selected and reported
  host.notes.clear();
  HTREEITEM c = Select(root + "\\A\\B\\C");
  ASSERT_TRUE(c);
  RemoveDirectoryA((root + "\\A\\B\\C").c_str());
  RemoveDirectoryA((root + "\\A\\B").c_str());
  EXPECT_TRUE(WaitFor([&] {
    Refresh();  // counts down 800 ms before it queues
    Pump(1200);
    return (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0) == a && !Child(t, a, "B");
  }));
  ASSERT_FALSE(host.notes.empty());
  EXPECT_EQ(host.notes.back().code, (UINT)DTN_SELMOVED);
  EXPECT_STREQ(host.notes.back().path.c_str(), (root + "\\A").c_str());
  char cur[300];
  tree.GetPath(cur, sizeof cur, nullptr);
  EXPECT_STREQ(cur, (root + "\\A").c_str());
}

TEST_F(DirTree, SortsKeysTabAndDrops) {
  for (const char* d : {"\\A\\x 10", "\\A\\x 2", "\\A\\X 1"}) CreateDirectoryA((root + d).c_str(), nullptr);
  Make(0x3000);
  HTREEITEM b = Select(root + "\\A\\B");
  HTREEITEM a = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)b);
  // appended out of order, then sorted by their texts
  for (const char* n : {"z", "x 3", "a"}) {
    TVINSERTSTRUCTA ins = {};
    ins.hParent = a;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(n);
    ASSERT_TRUE(SendMessageA(t, TVM_INSERTITEMA, 0, (LPARAM)&ins));
  }
  EXPECT_TRUE(tree.SortChildren(a));
  EXPECT_EQ(Children(t, a), (std::vector<std::string>{"a", "B", "E", "X 1", "x 2", "x 3", "x 10", "z"}));
  // ten Down keys: the folder reached is reported once, a second after the last
  ::SetFocus(t);
  host.notes.clear();
  for (int i = 0; i < 10; ++i) {
    PostMessageA(t, WM_KEYDOWN, VK_DOWN, 1);
    Pump(40);
  }
  Pump(1800);
  EXPECT_EQ(host.Count(DTN_SELMOVED), 1);
  HTREEITEM caret = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
  char p[300] = "";
  tree.GetItemPath(caret, p, sizeof p);
  if (!host.notes.empty()) {
    EXPECT_STREQ(host.notes.back().path.c_str(), p);
  }
  // a double-click names its row, which need not be the caret (beside a
  // label the first click selects nothing); a record naming none opens none
  host.notes.clear();
  HTREEITEM e = Child(t, a, "E");
  ASSERT_TRUE(e && e != (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0));
  Reflect(NM_DBLCLK, e);
  ASSERT_EQ(host.Count(DTN_ACTIVATED), 1);
  EXPECT_STREQ(host.notes.back().path.c_str(), (root + "\\A\\E").c_str());
  EXPECT_TRUE(WaitFor([&] { return (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0) == e; }, 2000));
  Reflect(NM_DBLCLK, nullptr);
  EXPECT_EQ(host.Count(DTN_ACTIVATED), 1);
  // Tab gives the focus to the parent
  ::SetFocus(t);
  SendMessageA(t, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_EQ(::GetFocus(), host.m_hWnd);
  // a file dropped on the tree changes nothing
  size_t before = Children(t, a).size();
  HGLOBAL drop = HDropCreate((root + "\\T").c_str());
  ASSERT_TRUE(drop);
  SendMessageA(t, WM_DROPFILES, (WPARAM)drop, 0);
  EXPECT_EQ(Children(t, a).size(), before);
  // a drag the parent refuses reports once; an allowed one twice
  host.notes.clear();
  host.dragAnswer = 1;
  Reflect(TVN_BEGINDRAGA, b);
  ASSERT_EQ(host.Count(DTN_DRAGPATH), 1);
  EXPECT_STREQ(host.notes[0].path.c_str(), (root + "\\A\\B").c_str());
  host.notes.clear();
  host.dragAnswer = 0;
  Reflect(TVN_BEGINDRAGA, b);
  ASSERT_EQ(host.Count(DTN_DRAGPATH), 2);
  EXPECT_EQ(host.notes[0].ended, 0);
  EXPECT_EQ(host.notes[1].ended, 1);
  EXPECT_STREQ(host.notes[1].path.c_str(), (root + "\\A\\B").c_str());
  // a virtual item (a root entry without a drive letter) is never dragged
  host.notes.clear();
  for (auto r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_ROOT, 0); r;
       r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)r))
    if (Item(t, r).state & DTS_VIRTUAL) Reflect(TVN_BEGINDRAGA, r);
  EXPECT_EQ(host.Count(DTN_DRAGPATH), 0);
}

TEST_F(DirTree, DrivesShortNamesAncestorsDesktopAndADriveAlone) {
  CreateDirectoryA((root + "\\A\\B\\C").c_str(), nullptr);
  CreateDirectoryA((root + "\\Langer Ordnername").c_str(), nullptr);
  CreateDirectoryA((root + "\\Langer Ordnername\\innen").c_str(), nullptr);
  Make(0);
  // at once, before the worker has listed the drives; each drive once after
  EXPECT_EQ(tree.SelectPath((root + "\\A\\B\\C").c_str(), nullptr, 0x80), 2);
  Pump(100);
  HTREEITEM c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
  HTREEITEM b = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)c);
  HTREEITEM a = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)b);
  ASSERT_TRUE(a && b);
  std::vector<std::string> roots;
  ASSERT_TRUE(WaitFor([&] {
    roots.clear();
    for (auto r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_ROOT, 0); r;
         r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)r))
      roots.push_back(Text(t, r));
    return roots.size() > 2;
  }));
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    EXPECT_EQ(std::count(roots.begin(), roots.end(), std::string(1, (char)('A' + i)) + ":"), 1) << i;
  }
  // the chain opened down to C gets its other subfolders by the refresh
  EXPECT_TRUE(WaitFor([&] {
    Refresh();
    Pump(1200);
    std::vector<std::string> ka = Children(t, a);
    return std::count(ka.begin(), ka.end(), "E") == 1 && Children(t, b) == std::vector<std::string>{"C"};
  }));
  // the short form selects the long-named item and adds no other
  char shortPath[MAX_PATH];
  std::string longPath = root + "\\Langer Ordnername\\innen";
  ASSERT_TRUE(GetShortPathNameA(longPath.c_str(), shortPath, sizeof shortPath));
  ASSERT_NE(std::string(shortPath), longPath);
  EXPECT_NE(tree.SelectPath(shortPath, nullptr, 0x81), 0);
  HTREEITEM inner = nullptr;
  char p[300];
  EXPECT_TRUE(WaitFor([&] {  // selected, and its parent listed
    inner = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
    auto parent = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)inner);
    return tree.GetItemPath(inner, p, sizeof p) && !lstrcmpiA(p, longPath.c_str()) &&
           (Item(t, parent).state & DTS_LISTED);
  })) << p;
  HTREEITEM top = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT,
                                          (LPARAM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)inner));
  Pump(500);
  EXPECT_EQ(Children(t, top), (std::vector<std::string>{"A", "Langer Ordnername", "T"}));
  EXPECT_EQ((HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0), inner);
  // the desktop's item lists the desktop's folder
  char desk[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desk, CSIDL_DESKTOPDIRECTORY, TRUE));
  std::string made = std::string(desk) + "\\orv_auf_dem_desktop_" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr));
  HTREEITEM deskItem = nullptr;
  for (auto r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_ROOT, 0); r && !deskItem;
       r = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)r))
    if (tree.GetItemPath(r, p, sizeof p) && !lstrcmpiA(p, desk)) deskItem = r;
  EXPECT_TRUE(deskItem) << "no root item with the path " << desk;
  if (deskItem) {
    SendMessageA(t, TVM_EXPAND, TVE_EXPAND, (LPARAM)deskItem);
    Reflect(TVN_ITEMEXPANDEDA, deskItem, TVE_EXPAND);
    std::string name = made.substr(made.rfind('\\') + 1);
    EXPECT_TRUE(WaitFor([&] { return Child(t, deskItem, name.c_str()) != nullptr; }));
  }
  RemoveDirectoryA(made.c_str());
  // a drive alone is its root, not the folder current on it
  char saved[MAX_PATH];
  GetCurrentDirectoryA(sizeof saved, saved);
  SetCurrentDirectoryA((root + "\\A").c_str());
  std::string drive = root.substr(0, 2);
  int r = tree.SelectPath(drive.c_str(), nullptr, 0);
  int kind = -1;
  tree.GetPath(p, sizeof p, &kind);
  SetCurrentDirectoryA(saved);
  EXPECT_NE(r, 0);
  EXPECT_STREQ(p, (drive + "\\").c_str());
  EXPECT_EQ(kind, 2);
}

int g_slowMs = 0;
void Slow(const char*) { Sleep((DWORD)g_slowMs); }

TEST_F(DirTree, WaitCursorWhileAnExpansionIsListed) {
  for (int i = 0; i < 40; ++i) CreateDirectoryA((root + "\\A\\E\\s" + std::to_string(i)).c_str(), nullptr);
  Make(0);
  HTREEITEM b = Select(root + "\\A\\B");
  HTREEITEM e = Child(t, (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)b), "E");
  ASSERT_TRUE(e);
  ASSERT_TRUE(WaitFor([&] {  // the worker is idle
    Pump(300);
    return !(Item(t, e).state & DTS_LISTED);
  }));
  RECT r;
  GetWindowRect(t, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT), arrow = LoadCursorA(nullptr, IDC_ARROW);
  g_slowMs = 50;
  DirListSetEntryHook(Slow);
  Reflect(TVN_ITEMEXPANDEDA, e, TVE_EXPAND);
  EXPECT_TRUE(WaitFor([&] { return GetCursor() == wait; }, 1500));
  EXPECT_TRUE(WaitFor([&] { return (Item(t, e).state & DTS_LISTED) != 0; }));
  DirListSetEntryHook(nullptr);
  EXPECT_TRUE(WaitFor([&] { return GetCursor() == arrow; }, 2000));
  EXPECT_EQ(Children(t, e).size(), 40u);
}

// The worker held inside a listing by the entry hook, so that requests queue
// up behind it; the names listed after it lets go, in their order.
struct Gate {
  static CRITICAL_SECTION lock;
  static HANDLE open;
  static const char* at;  // the entry that holds the worker
  static bool recording;
  static std::vector<std::string> names;
  static void Init() {
    static bool once = (InitializeCriticalSection(&lock), true);
    (void)once;
  }
  static void Hook(const char* name) {
    if (at && !strcmp(name, at)) WaitForSingleObject(open, 20000);
    EnterCriticalSection(&lock);
    if (recording) names.push_back(name);
    LeaveCriticalSection(&lock);
  }
  static size_t Index(const std::string& name) {
    EnterCriticalSection(&lock);
    size_t i = std::find(names.begin(), names.end(), name) - names.begin();
    LeaveCriticalSection(&lock);
    return i;
  }
};
CRITICAL_SECTION Gate::lock;
HANDLE Gate::open;
const char* Gate::at;
bool Gate::recording;
std::vector<std::string> Gate::names;

// A new selection's ancestors are listed right after it, before requests that
// waited longer; a folder inserted above the caret keeps the caret in view.
TEST_F(DirTree, AncestorsFirstAndTheCaretKeptInView) {
  for (const char* d : {"\\G", "\\G\\gate", "\\T\\U", "\\T\\Z"}) CreateDirectoryA((root + d).c_str(), nullptr);
  for (int i = 10; i < 50; ++i) CreateDirectoryA((root + "\\T\\a" + std::to_string(i)).c_str(), nullptr);
  Make(0);
  HTREEITEM z = Select(root + "\\T\\Z");
  HTREEITEM tItem = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)z);
  HTREEITEM top = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)tItem);
  ASSERT_TRUE(WaitFor([&] { return Child(t, tItem, "U") && Child(t, top, "G"); }));
  Pump(300);
  // the caret on the last row shown; a folder inserted above pushes it out
  HTREEITEM last = nullptr;
  SendMessageA(t, TLM_ENSUREVISIBLE, 0, (LPARAM)tItem);
  for (int i = 0; i < 100 && !last; ++i) {
    for (auto c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)tItem); c && !last;
         c = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c)) {
      auto next = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)c);
      if (next && SendMessageA(t, TLM_GETVISIBILITY, 0, (LPARAM)c) == 4 &&
          SendMessageA(t, TLM_GETVISIBILITY, 0, (LPARAM)next) < 4)
        last = c;
    }
    if (!last) SendMessageA(t, WM_VSCROLL, SB_LINEUP, 0);
  }
  ASSERT_TRUE(last);
  Select(root + "\\T\\" + Text(t, last));
  Pump(300);
  ASSERT_EQ(SendMessageA(t, TLM_GETVISIBILITY, 0, (LPARAM)last), 4);
  CreateDirectoryA((root + "\\T\\a0").c_str(), nullptr);
  CreateDirectoryA((root + "\\T\\a0\\innen").c_str(), nullptr);
  EXPECT_EQ(tree.SelectPath((root + "\\T\\a0\\innen").c_str(), nullptr, 0), 2);
  EXPECT_LT(SendMessageA(t, TLM_GETVISIBILITY, 0, (LPARAM)last), 4);
  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, t, TLM_ENSUREVISIBLE, TLM_ENSUREVISIBLE, PM_NOREMOVE) && m.lParam == (LPARAM)last);
  Select(root + "\\T\\Z");
  Pump(1500);  // the background refreshes settle
  // the worker held in G's expansion; then A's expansion waits behind it
  Gate::Init();
  Gate::open = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Gate::at = "gate";
  DirListSetEntryHook(Gate::Hook);
  Reflect(TVN_ITEMEXPANDEDA, Child(t, top, "G"));
  Pump(300);
  HTREEITEM a = Child(t, top, "A");
  EXPECT_FALSE(Item(t, a).state & DTS_LISTED);
  Reflect(TVN_ITEMEXPANDEDA, a);
  EXPECT_EQ(tree.SelectPath((root + "\\T\\U").c_str(), nullptr, 1), 2);
  Pump(1400);  // the selection queues its listings; the prune delay drops older refreshes
  EnterCriticalSection(&Gate::lock);
  Gate::recording = true;
  LeaveCriticalSection(&Gate::lock);
  SetEvent(Gate::open);
  EXPECT_TRUE(WaitFor([&] { return (Item(t, a).state & DTS_LISTED) != 0; }));
  DirListSetEntryHook(nullptr);
  Gate::at = nullptr;
  // T's listing names U, A's names B
  size_t u = Gate::Index("U"), b = Gate::Index("B");
  EXPECT_LT(u, b);
  EXPECT_LT(b, Gate::names.size());
  CloseHandle(Gate::open);
}

// Wine reaches "\\server\share" through the prefix's dosdevices\unc folder.
std::string UncServerFolder(const std::string& server) {
  char prefix[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (!n || n >= sizeof prefix) return std::string();
  std::string d = std::string("Z:") + prefix + "/dosdevices/unc/" + server;
  std::replace(d.begin(), d.end(), '/', '\\');
  return d;
}

TEST_F(DirTree, NetworkPaths) {
  std::string server = "orvsrv" + std::to_string(GetCurrentProcessId());
  std::string unc = UncServerFolder(server), net = "\\\\" + server;
  ASSERT_FALSE(unc.empty()) << "no WINEPREFIX";
  RemoveTree(unc);  // left by a run that stopped half-way
  CreateDirectoryA((unc.substr(0, unc.rfind('\\'))).c_str(), nullptr);
  for (const char* d : {"", "\\share", "\\share\\sub1", "\\share\\sub1\\deep", "\\share\\sub2", "\\share2", "\\share2\\x"})
    ASSERT_TRUE(CreateDirectoryA((unc + d).c_str(), nullptr)) << unc + d;
  Make(0);
  // case and a trailing separator as typed; the second time already there
  std::string deepPath = net + "\\share\\sub1\\deep";
  int r = 0;
  ASSERT_TRUE(WaitFor([&] { return (r = tree.SelectPath((deepPath + "\\").c_str(), nullptr, 0)) != 0; }));
  EXPECT_EQ(r, 2);
  Pump(100);
  HTREEITEM deep = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0);
  char p[300];
  ASSERT_TRUE(tree.GetItemPath(deep, p, sizeof p));
  EXPECT_EQ(lstrcmpiA(p, deepPath.c_str()), 0) << p;
  EXPECT_EQ(tree.SelectPath(deepPath.c_str(), nullptr, 0), 1);
  // server virtual, share with its own path, all slow
  HTREEITEM sub1 = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)deep);
  HTREEITEM share = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)sub1);
  HTREEITEM srv = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)share);
  EXPECT_EQ(Item(t, srv).state & (DTS_VIRTUAL | DTS_SLOW), (UINT)(DTS_VIRTUAL | DTS_SLOW));
  EXPECT_EQ(Item(t, share).state & (DTS_VIRTUAL | DTS_SLOW), (UINT)DTS_SLOW);
  EXPECT_TRUE(Item(t, deep).state & DTS_SLOW);
  ASSERT_TRUE(tree.GetItemPath(srv, p, sizeof p));
  EXPECT_EQ(lstrcmpiA(p, net.c_str()), 0) << p;
  // the neighbourhood lists nothing here: what was found by path stays;
  // listing it lists the server below it too
  HTREEITEM root = (HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)srv);
  ASSERT_TRUE(WaitFor([&] { return (Item(t, root).state & DTS_LISTED) != 0; }));
  EXPECT_TRUE(tree.ListNow(root, 5000));
  EXPECT_TRUE(Item(t, srv).state & DTS_LISTED);
  EXPECT_EQ(Children(t, srv), (std::vector<std::string>{"share", "share2"}));
  // the neighbourhood has no path to copy: the clipboard stays empty
  SendMessageA(t, TVM_SELECTITEM, TVGN_CARET, (LPARAM)root);
  Reflect(TVN_SELCHANGEDA, root, TVC_BYMOUSE);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(SendMessageA(t, WM_COPY, 0, 0), 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
  EXPECT_EQ(tree.SelectPath(deepPath.c_str(), nullptr, 0), 2);  // back where the checks below start
  Pump(100);
  EXPECT_TRUE(tree.ListNow(srv, 5000));
  EXPECT_TRUE(tree.ListNow(share, 5000));
  Pump(200);
  EXPECT_EQ(Children(t, share), (std::vector<std::string>{"sub1", "sub2"}));
  EXPECT_EQ(Children(t, srv), (std::vector<std::string>{"share", "share2"}));  // the server listed
  EXPECT_EQ((HTREEITEM)SendMessageA(t, TVM_GETNEXTITEM, TVGN_CARET, 0), deep);
  // a click on a folder listed already asks the (slow) share nothing
  Gate::Init();
  Gate::at = nullptr;
  Gate::names.clear();
  Gate::recording = true;
  DirListSetEntryHook(Gate::Hook);
  SendMessageA(t, TVM_SELECTITEM, TVGN_CARET, (LPARAM)share);
  Pump(600);
  DirListSetEntryHook(nullptr);
  Gate::recording = false;
  EXPECT_EQ(Gate::names, std::vector<std::string>{});
  EXPECT_EQ(tree.SelectPath(deepPath.c_str(), nullptr, 0), 2);
  Pump(100);
  // below the stored share by prefix, in other case
  EXPECT_EQ(tree.SelectPath((net + "\\SHARE\\sub2").c_str(), nullptr, 0), 2);
  Pump(100);
  EXPECT_EQ(Children(t, share), (std::vector<std::string>{"sub1", "sub2"}));
  EXPECT_EQ(Children(t, root).size(), 1u);
  // a stored share is a prefix only up to a separator
  EXPECT_EQ(tree.SelectPath((net + "\\share2\\x").c_str(), nullptr, 0), 2);
  Pump(100);
  EXPECT_EQ(Children(t, share), (std::vector<std::string>{"sub1", "sub2"}));
  EXPECT_EQ(Children(t, Child(t, srv, "share2")), (std::vector<std::string>{"x"}));
  // a server that does not answer, three more behind it: the neighbourhood's
  // listing keeps to one bound and the window keeps painting meanwhile
  std::vector<std::string> more;
  for (const char* n : {"orvhang", "orvz1", "orvz2", "orvz3"}) {
    std::string name = n + std::to_string(GetCurrentProcessId());
    more.push_back(UncServerFolder(name));
    RemoveTree(more.back());
    ASSERT_TRUE(CreateDirectoryA(more.back().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((more.back() + "\\" + n).c_str(), nullptr));
    ASSERT_EQ(tree.SelectPath(("\\\\" + name + "\\" + n).c_str(), nullptr, 0), 2);
  }
  Pump(300);
  Gate::Init();
  Gate::open = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Gate::at = "orvhang";
  DirListSetEntryHook(Gate::Hook);
  InvalidateRect(t, nullptr, FALSE);
  DWORD t0 = GetTickCount();
  tree.ListNow(root, 1500);
  DWORD spent = GetTickCount() - t0;
  EXPECT_FALSE(GetUpdateRect(t, nullptr, FALSE));
  SetEvent(Gate::open);
  EXPECT_LT(spent, 3000u);
  Pump(500);
  DirListSetEntryHook(nullptr);
  Gate::at = nullptr;
  CloseHandle(Gate::open);
  for (const std::string& m : more) RemoveTree(m);
  // a server alone, a device, a missing share: refused, nothing added
  EXPECT_EQ(tree.SelectPath(net.c_str(), nullptr, 0), 0);
  EXPECT_EQ(tree.SelectPath("\\\\.\\C:\\", nullptr, 0), 0);
  EXPECT_EQ(tree.SelectPath((net + "\\nothere").c_str(), nullptr, 0), 0);
  EXPECT_EQ(Children(t, srv), (std::vector<std::string>{"share", "share2"}));
  int kind = -1;
  std::string out;
  EXPECT_TRUE(tree.ResolveNetworkPath((net + "\\share\\sub1").c_str(), &kind, out));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(lstrcmpiA(out.c_str(), (net + "\\share\\sub1").c_str()), 0) << out;
  EXPECT_TRUE(tree.ResolveNetworkPath("\\\\nohost\\share\\x", &kind, out));
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(out, "\\\\nohost\\share\\x");
  EXPECT_FALSE(tree.ResolveNetworkPath("C:\\x", &kind, out));
  // a shortcut beside the shares: its target
  MakeLink(unc + "\\ziel.lnk", unc + "\\share2\\x");
  EXPECT_TRUE(tree.ResolveNetworkPath((net + "\\ziel").c_str(), &kind, out));
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(lstrcmpiA(out.c_str(), (unc + "\\share2\\x").c_str()), 0) << out;
  tree.DestroyWindow();
  RemoveTree(unc);
  // refused without the neighbourhood
  Make(0x8000);
  EXPECT_EQ(tree.SelectPath((net + "\\share").c_str(), nullptr, 0), 0);
}

}  // namespace
