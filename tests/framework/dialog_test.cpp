// Dialogs from an in-memory template: data exchange both ways, failing
// validation with its message box, modal runs, and a modeless dialog that
// gets Tab through the application's message pump.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/afxwin.h"

namespace {

// Builds a DLGTEMPLATE with its items in memory.
class TemplateBuilder {
 public:
  TemplateBuilder(const char* title, DWORD style, short cx, short cy) {
    DLGTEMPLATE t = {};
    t.style = style | DS_SETFONT;
    t.cx = cx;
    t.cy = cy;
    Add(&t, sizeof t);
    Word(0);  // no menu
    Word(0);  // standard class
    Text(title);
    Word(8);
    Text("MS Shell Dlg");
  }
  void Item(WORD cls, const char* text, WORD id, DWORD style, short x, short y, short cx, short cy) {
    Align();
    DLGITEMTEMPLATE it = {};
    it.style = style | WS_CHILD | WS_VISIBLE;
    it.x = x;
    it.y = y;
    it.cx = cx;
    it.cy = cy;
    it.id = id;
    Add(&it, sizeof it);
    Word(0xFFFF);
    Word(cls);
    Text(text);
    Word(0);
    ++reinterpret_cast<DLGTEMPLATE*>(data_.data())->cdit;
  }
  LPCDLGTEMPLATE Get() const { return reinterpret_cast<LPCDLGTEMPLATE>(data_.data()); }

 private:
  void Add(const void* p, size_t n) {
    const BYTE* b = static_cast<const BYTE*>(p);
    data_.insert(data_.end(), b, b + n);
  }
  void Word(WORD w) { Add(&w, 2); }
  void Text(const char* s) {
    wchar_t buf[128];
    int n = MultiByteToWideChar(1252, 0, s, -1, buf, 128);
    Add(buf, n * 2);
  }
  void Align() {
    while (data_.size() % 4) data_.push_back(0);
  }
  std::vector<BYTE> data_;
};

enum { kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kCombo = 0x85 };

TemplateBuilder MakeTemplate() {
  TemplateBuilder b("Prüfdialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 140);
  b.Item(kEdit, "", 101, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 100, 12);
  b.Item(kEdit, "", 102, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 5, 20, 100, 12);
  b.Item(kButton, "Haken", 103, WS_TABSTOP | BS_AUTOCHECKBOX, 5, 35, 100, 10);
  b.Item(kButton, "Eins", 104, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 5, 48, 60, 10);
  b.Item(kButton, "Zwei", 105, BS_AUTORADIOBUTTON, 5, 60, 60, 10);
  b.Item(kButton, "Drei", 106, BS_AUTORADIOBUTTON, 5, 72, 60, 10);
  b.Item(kCombo, "", 107, WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST | WS_VSCROLL, 5, 85, 100, 60);
  b.Item(kEdit, "", 108, WS_TABSTOP | WS_BORDER, 5, 100, 100, 12);
  b.Item(kButton, "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 5, 50, 14);
  b.Item(kButton, "Abbrechen", IDCANCEL, WS_TABSTOP, 120, 22, 50, 14);
  return b;
}

class CTestDlg : public CDialog {
 public:
  CString m_text = "Grüße €";
  int m_number = -42;
  int m_check = 1;
  int m_radio = 1;
  int m_combo = 2;
  CEdit m_edit;
  int m_initAction = 0;  // 1: post OK after changing a field, 2: cancel at once

  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, 101, m_text);
    DDX_Text(pDX, 102, m_number);
    DDV_MinMaxInt(pDX, m_number, -50, 5000);
    DDX_Check(pDX, 103, m_check);
    DDX_Radio(pDX, 104, m_radio);
    DDX_CBIndex(pDX, 107, m_combo);
    DDX_Control(pDX, 108, m_edit);
  }
  BOOL OnInitDialog() override {
    for (const char* s : {"Rot", "Grün", "Blau"}) SendDlgItemMessage(107, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    CDialog::OnInitDialog();
    if (m_initAction == 1) {
      SetDlgItemText(101, "geändert");
      PostMessage(WM_COMMAND, IDOK);
    } else if (m_initAction == 2) {
      EndDialog(IDCANCEL);
    }
    return TRUE;
  }
};

std::string ItemText(HWND dlg, int id) {
  char buf[256] = "";
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

// Answers the next message box of the thread with OK and keeps its text.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer(DWORD thread, HWND except) : thread_(thread), except_(except) {
    worker_ = std::thread([this] { Run(); });
  }
  ~MessageBoxAnswerer() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }
  // waits until the box was answered (or the watch gave up)
  std::string text() {
    if (worker_.joinable()) worker_.join();
    return text_;
  }

 private:
  static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
    auto* self = reinterpret_cast<MessageBoxAnswerer*>(lp);
    char cls[32];
    GetClassNameA(h, cls, sizeof cls);
    if (h != self->except_ && IsWindowVisible(h) && strcmp(cls, "#32770") == 0) {
      self->text_ = ItemText(h, 0xFFFF);
      PostMessageA(h, WM_COMMAND, IDOK, 0);
      self->stop_ = true;
      return FALSE;
    }
    return TRUE;
  }
  void Run() {
    for (int i = 0; i < 500 && !stop_; ++i) {
      EnumThreadWindows(thread_, Visit, reinterpret_cast<LPARAM>(this));
      Sleep(10);
    }
  }
  DWORD thread_;
  HWND except_;
  std::atomic<bool> stop_{false};
  std::string text_;
  std::thread worker_;
};

TEST(Ddx, ValuesReachTheControlsAndComeBack) {
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  ASSERT_TRUE(dlg.CreateIndirect(t.Get()));
  HWND h = dlg.m_hWnd;
  EXPECT_EQ("Grüße €", ItemText(h, 101));
  EXPECT_EQ("-42", ItemText(h, 102));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(h, 103));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(h, 104));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(h, 105));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(h, 106));
  EXPECT_EQ(2, SendDlgItemMessageA(h, 107, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(&dlg.m_edit, CWnd::FromHandlePermanent(GetDlgItem(h, 108)));

  SetDlgItemTextA(h, 101, "Straße, Ölweg 5");
  SetDlgItemTextA(h, 102, " 1234 ");
  CheckDlgButton(h, 103, BST_UNCHECKED);
  CheckRadioButton(h, 104, 106, 106);
  SendDlgItemMessageA(h, 107, CB_SETCURSEL, 0, 0);
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_STREQ("Straße, Ölweg 5", dlg.m_text);
  EXPECT_EQ(1234, dlg.m_number);
  EXPECT_EQ(0, dlg.m_check);
  EXPECT_EQ(2, dlg.m_radio);
  EXPECT_EQ(0, dlg.m_combo);

  CheckRadioButton(h, 104, 106, 0);  // none checked
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(-1, dlg.m_radio);
  dlg.DestroyWindow();
  EXPECT_EQ(nullptr, dlg.m_edit.m_hWnd);  // the control's wrapper let go with the dialog
}

TEST(Ddx, BadNumberFailsWithMessageAndFocus) {
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  ASSERT_TRUE(dlg.CreateIndirect(t.Get()));
  HWND h = dlg.m_hWnd;
  SetDlgItemTextA(h, 101, "neu");
  SetDlgItemTextA(h, 102, "12a");
  {
    MessageBoxAnswerer answer(GetCurrentThreadId(), h);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ("Bitte geben Sie eine ganze Zahl ein.", answer.text());
  }
  EXPECT_EQ(-42, dlg.m_number);  // the variable keeps its value
  SetDlgItemTextA(h, 102, "99999");
  {
    MessageBoxAnswerer answer(GetCurrentThreadId(), h);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ("Bitte geben Sie eine ganze Zahl zwischen -50 und 5000 ein.", answer.text());
  }
  EXPECT_EQ(GetDlgItem(h, 102), GetFocus());
  dlg.DestroyWindow();
}

TEST(DialogModal, OkTakesTheFields) {
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  dlg.m_initAction = 1;
  ASSERT_TRUE(dlg.InitModalIndirect(t.Get()));
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_STREQ("geändert", dlg.m_text);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(DialogModal, EndInInitDialogReturnsAtOnce) {
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  dlg.m_initAction = 2;
  dlg.InitModalIndirect(t.Get());
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_STREQ("Grüße €", dlg.m_text);  // cancel leaves the variables
  EXPECT_EQ(-1, CDialog(12345u).DoModal());  // no such template
}

HWND g_owner;
bool g_rescued;
void CALLBACK DestroyOwner(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  ::DestroyWindow(g_owner);  // takes the owned dialog with it
}
void CALLBACK Rescue(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_rescued = true;
  PostQuitMessage(0);  // ends a loop that would wait for ever
}

TEST(DialogModal, DestroyedUnderItsLoopReturns) {
  g_owner = ::CreateWindowExA(0, "STATIC", "Besitzer", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(nullptr, g_owner);
  g_rescued = false;
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  ASSERT_TRUE(dlg.InitModalIndirect(t.Get(), CWnd::FromHandle(g_owner)));
  UINT_PTR kill = SetTimer(nullptr, 0, 200, DestroyOwner);
  UINT_PTR rescue = SetTimer(nullptr, 0, 4000, Rescue);
  INT_PTR r = dlg.DoModal();
  KillTimer(nullptr, kill);
  KillTimer(nullptr, rescue);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_FALSE(g_rescued) << "the modal loop outlived its window";
  EXPECT_EQ(-1, r);
  EXPECT_EQ(nullptr, dlg.m_hWnd);
  EXPECT_FALSE(IsWindow(g_owner));
  CWnd::DeleteTempMap();
}

void PostKey(HWND h, UINT vk) {
  UINT scan = MapVirtualKeyA(vk, 0);
  PostMessageA(h, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageA(h, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}

TEST(DialogModeless, TabMovesFocusThroughThePump) {
  CWinApp app("Test");
  TemplateBuilder t = MakeTemplate();
  CTestDlg dlg;
  ASSERT_TRUE(dlg.CreateIndirect(t.Get()));
  dlg.ShowWindow(SW_SHOW);
  HWND first = GetDlgItem(dlg.m_hWnd, 101), second = GetDlgItem(dlg.m_hWnd, 102);
  SetFocus(first);
  ASSERT_EQ(first, GetFocus());

  // without the pump's pre-translation a single-line edit keeps the focus
  PostKey(first, VK_TAB);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(first, GetFocus());

  PostKey(first, VK_TAB);
  for (int i = 0; i < 100 && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++i) app.PumpMessage();
  EXPECT_EQ(second, GetFocus());
  dlg.DestroyWindow();
}

}  // namespace
