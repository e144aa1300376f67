// The path combo driven by messages in one process: the history, Tab to the
// parent, the notifications around a drag of the path and a dropped file,
// options set through the window style, what closing the own list sets, a
// drop-down's width and the icon a chosen entry brings along.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/shellicons.h"
#include "tests/support/winpump.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/pathcombo.h"

namespace {

class CHost : public CWnd {
 public:
  std::vector<std::pair<UINT, std::string>> notes;
  LRESULT dragAnswer = 0;
  LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
    if (m == WM_NOTIFY) {
      auto* n = reinterpret_cast<NMPATHCOMBO*>(lp);
      notes.push_back({n->hdr.code, n->path ? n->path : ""});
      return n->hdr.code == PCN_DRAGPATH ? dragAnswer : 0;
    }
    if (m == WM_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = (UINT)CPathComboBox::GetItemHeight();
      return TRUE;
    }
    return CWnd::WindowProc(m, wp, lp);
  }
  int Count(UINT code) const {
    int c = 0;
    for (const auto& n : notes) c += n.first == code;
    return c;
  }
};

class PathCombo : public ::testing::Test {
 protected:
  CHost host;
  std::unique_ptr<CPathComboBox> combo;

  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PathComboTestHost";
    RegisterClassA(&wc);
    RECT hr = {40, 40, 740, 340};
    // hidden: messages drive it, and Wine waits for a shown window to go
    ASSERT_TRUE(host.CreateEx(0, wc.lpszClassName, "Pfad", WS_OVERLAPPEDWINDOW, hr, nullptr, 0));
  }
  void Make(unsigned options, const char* path) {
    combo.reset(new CPathComboBox);
    RECT rc = {10, 10, 680, 300};
    ASSERT_TRUE(combo->Create(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | options, rc, &host, 1017));
    combo->SetPath(path);
    orvtest::PumpMessages(100);
    host.notes.clear();
  }
  void TearDown() override {
    if (combo && combo->m_hWnd) combo->DestroyWindow();
    combo.reset();
    if (host.m_hWnd) host.DestroyWindow();
  }
};

TEST_F(PathCombo, HistoryBackThenNewPathDropsForward) {
  Make(PCO_HISTORY, "C:\\a");
  combo->SetPath("C:\\b");
  combo->SetPath("C:\\c");
  EXPECT_EQ(combo->HistoryStep(FALSE), 1);
  EXPECT_EQ(combo->GetPath(), "C:\\b");
  EXPECT_EQ(combo->HistoryStep(TRUE), 1);
  EXPECT_EQ(combo->GetPath(), "C:\\c");
  EXPECT_EQ(combo->HistoryStep(FALSE), 1);
  combo->SetPath("C:\\d");  // "C:\c" ahead is gone
  EXPECT_EQ(combo->HistoryStep(TRUE), 0);
  EXPECT_EQ(combo->HistoryStep(FALSE), 1);
  EXPECT_EQ(combo->GetPath(), "C:\\b");
  EXPECT_EQ(combo->HistoryStep(FALSE), 1);
  EXPECT_EQ(combo->GetPath(), "C:\\a");
  EXPECT_EQ(combo->HistoryStep(FALSE), 0);
  EXPECT_EQ(host.Count(PCN_PATHSET), 5);  // every step the user took
}

TEST_F(PathCombo, TabGivesTheFocusToTheParentWithOption64) {
  for (unsigned options : {0u, (unsigned)PCO_TABPARENT}) {
    for (bool text : {false, true}) {
      Make(options | (text ? (unsigned)PCO_NOBREADCRUMB : 0u), "C:\\windows");
      HWND keys = text ? ::GetWindow(combo->m_hWnd, GW_CHILD) : combo->m_hWnd;
      ::SetFocus(keys);
      ASSERT_EQ(::GetFocus(), keys);
      ::SendMessageA(keys, WM_KEYDOWN, VK_TAB, 0);
      EXPECT_EQ(::GetFocus() == host.m_hWnd, options != 0) << options << " " << text;
    }
  }
}

TEST_F(PathCombo, DragOutNotifiesBeforeAndAfter) {
  for (LRESULT answer : {1, 0}) {
    Make(PCO_DRAG, "C:\\windows");
    host.dragAnswer = answer;
    RECT icon;
    ASSERT_TRUE(combo->GetElementRect(PCE_ICON, &icon));
    ::MapWindowPoints(nullptr, combo->m_hWnd, reinterpret_cast<POINT*>(&icon), 2);
    int x = (icon.left + icon.right) / 2, y = (icon.top + icon.bottom) / 2;
    ::SendMessageA(combo->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(combo->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 10, y));
    ::SendMessageA(combo->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x + 10, y));
    // refused: asked once; allowed: asked before and told after
    ASSERT_EQ(host.Count(PCN_DRAGPATH), answer ? 1 : 2) << answer;
    for (const auto& n : host.notes) EXPECT_EQ(n.second, "C:\\windows");
  }
}

TEST_F(PathCombo, DroppedFileGivesItsFolder) {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  std::string windows = dir, file = windows + "\\win.ini";
  ASSERT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  Make(PCO_DROP, "C:\\");
  ::SendMessageA(combo->m_hWnd, WM_DROPFILES, (WPARAM)HDropCreate(file.c_str()), 0);
  EXPECT_EQ(combo->GetPath(), windows);
  ::SendMessageA(combo->m_hWnd, WM_DROPFILES, (WPARAM)HDropCreate((windows + "\\system32").c_str()), 0);
  EXPECT_EQ(combo->GetPath(), windows + "\\system32");  // a folder as it is
  EXPECT_EQ(host.Count(PCN_PATHSET), 2);
}

TEST_F(PathCombo, OptionsTakenFromTheStyleWhenItChanges) {
  Make(0, "C:\\windows");
  HWND w = combo->m_hWnd;
  LONG style = GetWindowLongA(w, GWL_STYLE);
  const LONG own = CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
  SetWindowLongA(w, GWL_STYLE, (style & ~0xFFFF) | PCO_MUSTEXIST | PCO_NOBREADCRUMB);
  EXPECT_EQ(combo->GetOptions(), (unsigned)(PCO_MUSTEXIST | PCO_NOBREADCRUMB));
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & 0xFFFF, own);
  EXPECT_TRUE(combo->IsEditing());
  EXPECT_EQ(combo->SetPath("C:\\fehlt\\nirgends"), 0);
  SetFocus(host.m_hWnd);  // the breadcrumb ends an editing only without the focus
  SetWindowLongA(w, GWL_STYLE, style & ~0xFFFF);
  EXPECT_EQ(combo->GetOptions(), 0u);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & 0xFFFF, own);
  EXPECT_FALSE(combo->IsEditing());
  EXPECT_EQ(combo->SetPath("C:\\fehlt\\nirgends"), 1);
}

// The entry the own list shows selected when it drops (the system preselects
// the one the typed text begins) is no choice: closing the list without one
// leaves the path; a click on the entry chooses it.
TEST_F(PathCombo, OwnListSetsOnlyAChoice) {
  Make(0, "C:\\windows");
  combo->AddString("C:\\windows\\system32");
  COMBOBOXINFO ci = {sizeof ci};
  ASSERT_TRUE(GetComboBoxInfo(combo->m_hWnd, &ci));
  combo->SetFocus();
  for (bool choose : {false, true}) {
    combo->ShowDropDown(TRUE);
    ASSERT_TRUE(combo->GetDroppedState());
    SendMessageA(ci.hwndList, LB_SETCURSEL, 0, 0);
    if (choose) {
      RECT r;
      SendMessageA(ci.hwndList, LB_GETITEMRECT, 0, (LPARAM)&r);
      LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
      SendMessageA(ci.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageA(ci.hwndList, WM_LBUTTONUP, 0, at);
    } else {
      combo->ShowDropDown(FALSE);  // as Escape or a second click on the button
    }
    ASSERT_FALSE(combo->GetDroppedState());
    EXPECT_EQ(combo->GetPath(), choose ? "C:\\windows\\system32" : "C:\\windows") << choose;
    EXPECT_EQ(host.Count(PCN_PATHSET), choose ? 1 : 0) << choose;
  }
}

// Opens the drop-down of list k by a click on its arrow; false when it did not open.
bool OpenArrow(CPathComboBox& c, int k) {
  RECT r;
  if (!c.GetElementRect(2 * k, &r)) return false;
  MapWindowPoints(nullptr, c.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  SendMessageA(c.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  for (DWORD end = GetTickCount() + 10000; c.GetOpenList() != k; orvtest::PumpMessages(20))
    if ((int)(end - GetTickCount()) <= 0) return false;
  return true;
}

// The list view's own need (its column sized to its items) fits the
// drop-down with little to spare; a drive chosen there keeps the drive's icon.
TEST_F(PathCombo, DropDownWidthAndChosenIcon) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string dir = std::string(tmp) + "orv_pathcombo_" + std::to_string(GetCurrentProcessId());
  std::string sub = dir + "\\ein recht langer Ordnername";
  CreateDirectoryA(dir.c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  CreateDirectoryA((dir + "\\kurz").c_str(), nullptr);
  Make(0, dir.c_str());
  host.ShowWindow(SW_SHOW);  // the pop-up takes the focus
  bool opened = OpenArrow(*combo, combo->GetSegmentCount());
  HWND pop = combo->GetDropDown();
  int given = (int)SendMessageA(pop, LVM_GETCOLUMNWIDTH, 0, 0);
  SendMessageA(pop, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  int needed = (int)SendMessageA(pop, LVM_GETCOLUMNWIDTH, 0, 0);
  SendMessageA(pop, WM_KEYDOWN, VK_ESCAPE, 0);
  RemoveDirectoryA(sub.c_str());
  RemoveDirectoryA((dir + "\\kurz").c_str());
  RemoveDirectoryA(dir.c_str());
  ASSERT_TRUE(opened);
  EXPECT_EQ(SendMessageA(pop, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_GE(given, needed);
  EXPECT_LE(given, needed + 4);
  Sleep(60);  // an arrow pressed right after a close does not open again
  // the drives: "C:" chosen by Enter; a folder's icon had it been looked up by path
  ASSERT_TRUE(OpenArrow(*combo, 0));
  orvtest::PumpMessages(300);  // a list opened right after another closed stays open
  ASSERT_EQ(combo->GetOpenList(), 0);
  LVFINDINFOA find = {LVFI_STRING, "C:"};
  int c = (int)SendMessageA(pop, LVM_FINDITEMA, (WPARAM)-1, (LPARAM)&find);
  ASSERT_GE(c, 0);
  ListView_SetItemState(pop, c, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  SendMessageA(pop, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(combo->GetPath(), "C:");
  EXPECT_NE(ShellGetDriveIconIndex('C', 1), ShellGetFolderIconIndex(1));
  EXPECT_EQ(combo->GetIconIndex(), ShellGetDriveIconIndex('C', 1));
}

}  // namespace
