// The Save-As automation against the system's own file dialog
// (GetSaveFileNameA), and the system WebBrowser when a test forces it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "game/web/htmlctrl.h"
#include "game/web/htmlctrl_save.h"
#include "tests/support/testenv.h"
#include "tests/support/winpump.h"

#include <commdlg.h>

namespace {

int g_nestedInCall = 0;

struct DialogCall {
  std::string dir;
  char file[MAX_PATH] = "";
  BOOL result = FALSE;
  DWORD filterIndex = 0;
  bool writeOnOk = true;
  bool messageBoxFirst = false;
  bool nestedRun = false;
};

void RunSaveDialog(void* context) {
  DialogCall* c = static_cast<DialogCall*>(context);
  if (c->nestedRun) {
    DialogCall inner;
    g_nestedInCall = SaveAsDialogRun(nullptr, "C:\\x.html", 0, FALSE, &RunSaveDialog, &inner);
  }
  if (c->messageBoxFirst) MessageBoxA(nullptr, "Vorher", "Hinweis", MB_OK);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "Webseite\0*.htm;*.html\0Textdatei\0*.txt\0Alle Dateien\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = c->file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = c->dir.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  c->result = GetSaveFileNameA(&ofn);
  c->filterIndex = ofn.nFilterIndex;
  // the "browser" writes the page where the dialog said
  if (c->result && c->writeOnOk) orvtest::WriteFile(c->file, "<p>x</p>", 8);
}

// What a timer saw while the dialogs ran on this thread.
struct Watch {
  int nested = 0;           // result of a nested run
  bool questionCentred = false;
  bool messageOnScreen = false;
  bool answered = false;
  int ticks = 0;
  bool rescued = false;     // the Save-As dialog was left waiting
  bool answerNo = false;
} g_watch;

HWND FindVisibleDialog(const char* title) {
  HWND h = FindWindowA("#32770", title);
  return h && IsWindowVisible(h) ? h : nullptr;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  // a run from inside the dialog's modal loop
  DialogCall inner;
  if (g_watch.nested == 0) g_watch.nested = SaveAsDialogRun(nullptr, "C:\\x.html", 0, FALSE, &RunSaveDialog, &inner);
  if (HWND box = FindVisibleDialog("Hinweis")) {
    RECT r;
    GetWindowRect(box, &r);
    g_watch.messageOnScreen = r.left >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  // the overwrite question, when left to the user
  HWND save = nullptr;
  for (HWND h = FindWindowA("#32770", nullptr); h; h = FindWindowExA(nullptr, h, "#32770", nullptr)) {
    HWND owner = GetWindow(h, GW_OWNER);
    if (owner && IsWindowVisible(h) && GetDlgItem(owner, 1148)) save = h;
  }
  if (save && !g_watch.answered) {
    RECT r;
    GetWindowRect(save, &r);
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    g_watch.questionCentred = abs(cx - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1 &&
                              abs(cy - GetSystemMetrics(SM_CYSCREEN) / 2) <= 1;
    g_watch.answered = true;
    PostMessageA(save, WM_COMMAND, !GetDlgItem(save, IDYES) ? IDOK : g_watch.answerNo ? IDNO : IDYES, 0);
  }
  // a Save-As dialog still open after 3 s would never end by itself
  if (++g_watch.ticks > 20) {
    for (HWND h = FindWindowA("#32770", nullptr); h; h = FindWindowExA(nullptr, h, "#32770", nullptr))
      if (GetDlgItem(h, 1148)) {
        g_watch.rescued = true;
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
      }
  }
}

class SaveAs : public ::testing::Test {
 protected:
  void SetUp() override {
    g_watch = Watch();
    call.dir = orvtest::MakeTempDir("saveas");
    target = call.dir + "\\seite.html";
    timer = SetTimer(nullptr, 0, 150, &OnTimer);
  }
  void TearDown() override { KillTimer(nullptr, timer); }
  DialogCall call;
  std::string target;
  UINT_PTR timer = 0;
};

TEST_F(SaveAs, FillsNameAndTypeAndConfirms) {
  call.nestedRun = true;
  DWORD t0 = GetTickCount();
  EXPECT_EQ(0, SaveAsDialogRun(nullptr, target.c_str(), 1, FALSE, &RunSaveDialog, &call));
  EXPECT_LT(GetTickCount() - t0, 10000u);
  EXPECT_TRUE(call.result);
  EXPECT_EQ(target, call.file);
  EXPECT_EQ(3u, call.filterIndex);  // entry type + 1 of the list
  EXPECT_EQ(-1, g_nestedInCall);  // a run inside a run ends at once
}

TEST_F(SaveAs, NothingWrittenIsNoSuccess) {
  call.writeOnOk = false;
  EXPECT_EQ(-1, SaveAsDialogRun(nullptr, target.c_str(), 0, FALSE, &RunSaveDialog, &call));
  EXPECT_TRUE(call.result);
  // and no dialog at all: the call ends, nothing is caught
  EXPECT_EQ(-1, SaveAsDialogRun(nullptr, target.c_str(), 0, FALSE, [](void*) {}, nullptr));
}

TEST_F(SaveAs, AnExistingFileIsAnsweredYes) {
  orvtest::WriteFile(target, "alt", 3);
  Sleep(20);
  EXPECT_EQ(0, SaveAsDialogRun(nullptr, target.c_str(), 0, FALSE, &RunSaveDialog, &call));
  EXPECT_TRUE(call.result);
  EXPECT_FALSE(g_watch.answered);  // the automation answered, the user saw nothing
}

TEST_F(SaveAs, CentreOnlyLeavesTheQuestionCentredForTheUser) {
  orvtest::WriteFile(target, "alt", 3);
  Sleep(20);
  EXPECT_EQ(0, SaveAsDialogRun(nullptr, target.c_str(), 0, TRUE, &RunSaveDialog, &call));
  EXPECT_TRUE(g_watch.answered);
  EXPECT_TRUE(g_watch.questionCentred);
  EXPECT_EQ(-1, g_watch.nested);  // also from inside the dialog's modal loop
}

TEST_F(SaveAs, CentreOnlyAnsweredNoEndsTheCallUnsaved) {
  orvtest::WriteFile(target, "alt", 3);
  g_watch.answerNo = true;
  EXPECT_EQ(-1, SaveAsDialogRun(nullptr, target.c_str(), 0, TRUE, &RunSaveDialog, &call));
  EXPECT_TRUE(g_watch.answered);
  EXPECT_FALSE(g_watch.rescued);
  std::vector<unsigned char> kept;
  ASSERT_TRUE(orvtest::ReadFile(target, kept));
  EXPECT_EQ(std::string("alt"), std::string(kept.begin(), kept.end()));
}

TEST_F(SaveAs, ADialogWithoutTheNameBoxIsLeftAlone) {
  call.messageBoxFirst = true;
  EXPECT_EQ(0, SaveAsDialogRun(nullptr, target.c_str(), 0, FALSE, &RunSaveDialog, &call));
  EXPECT_TRUE(g_watch.messageOnScreen);
  EXPECT_EQ(target, call.file);
}

TEST_F(SaveAs, AMissingFolderIsShownAndTheCallFails) {
  std::string missing = call.dir + "\\fehlt\\seite.html";
  EXPECT_EQ(-1, SaveAsDialogRun(nullptr, missing.c_str(), 0, FALSE, &RunSaveDialog, &call));
  EXPECT_TRUE(g_watch.answered);  // the dialog's message reached the user
  EXPECT_TRUE(g_watch.questionCentred);
  EXPECT_FALSE(g_watch.rescued);  // and the dialog ended by itself
  EXPECT_FALSE(call.result);
}

// The system's WebBrowser forced: its BeforeNavigate2 reaches our handler
// with the arguments unpacked.
class SystemCtrl : public CHtmlCtrl {
 public:
  std::string url, headers;
  DWORD postLength = 99;
  int before = 0;
  void OnBeforeNavigate2(const char* u, DWORD, const char*, const BYTE*, DWORD len, const char* h,
                         BOOL*) override {
    ++before;
    url = u;
    headers = h;
    postLength = len;
  }
};

TEST(SystemBrowser, BeforeNavigate2ReachesTheHandler) {
  CHtmlCtrl::ForceSystemBrowser(TRUE);
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
  SystemCtrl ctrl;
  BOOL made = ctrl.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 320, 200), &parent, 1);
  CHtmlCtrl::ForceSystemBrowser(FALSE);
  ASSERT_TRUE(made);
  EXPECT_FALSE(ctrl.IsOurViewer());
  std::string dir = orvtest::MakeTempDir("sys");
  std::string page = dir + "\\s.html";
  orvtest::WriteFile(page, "<p>x</p>", 8);
  ctrl.Navigate2(page.c_str(), 0, nullptr, "X-Test: 1\r\n");
  orvtest::PumpMessages(500);
  ASSERT_GE(ctrl.before, 1);
  EXPECT_NE(std::string::npos, ctrl.url.find("s.html"));
  EXPECT_NE(std::string::npos, ctrl.headers.find("X-Test: 1"));
  EXPECT_EQ(0u, ctrl.postLength);
  ctrl.DestroyWindow();
  parent.DestroyWindow();
}

}  // namespace
