// A program with a main frame and a modeless dialog for the host-driven
// keyboard test: it logs the dialog's focus changes and, when the frame is
// closed, writes the log and the third field's text to the file named on
// its command line.
#include <cstdio>
#include <string>

#include "framework/afxwin.h"

namespace {

std::string g_log;

class CDemoDlg : public CDialog {
 public:
  void OnFocus(UINT id) { g_log += " " + std::to_string(id); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDemoDlg, CDialog)
  ON_CONTROL_RANGE(EN_SETFOCUS, 101, 103, OnFocus)
END_MESSAGE_MAP()

class CDemoFrame : public CFrameWnd {
 public:
  CDemoDlg dlg;
  void OnClose() {
    CString text;
    dlg.GetDlgItemText(103, text);
    if (__argc > 1) {
      FILE* f = fopen(__argv[1], "wb");
      if (f) {
        fprintf(f, "focus%s\ntext %s\n", g_log.c_str(), text.GetString());
        fclose(f);
      }
    }
    CFrameWnd::OnClose();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDemoFrame, CFrameWnd)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

// dialog template: three edit fields in a row of tab stops
struct Template {
  alignas(4) WORD data[512];
  int n = 0;
  void W(WORD w) { data[n++] = w; }
  void D(DWORD d) {
    W(LOWORD(d));
    W(HIWORD(d));
  }
  void S(const wchar_t* s) {
    do W(*s); while (*s++);
  }
  void Align() {
    if (n % 2) W(0);
  }
};

class CDemoApp : public CWinApp {
 public:
  CDemoApp() : CWinApp("Modeless") {}
  Template t;
  BOOL InitInstance() override {
    CDemoFrame* frame = new CDemoFrame;
    if (!frame->Create(nullptr, "Modeless-Test", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 350))) return FALSE;
    m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    t.D(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT);
    t.D(0);
    t.W(3);
    t.W(20);
    t.W(20);
    t.W(200);
    t.W(100);
    t.W(0);
    t.W(0);
    t.S(L"Eingabefelder");
    t.W(8);
    t.S(L"MS Shell Dlg");
    for (int i = 0; i < 3; ++i) {
      t.Align();
      t.D(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL);
      t.D(0);
      t.W(10);
      t.W(static_cast<WORD>(10 + 25 * i));
      t.W(150);
      t.W(14);
      t.W(static_cast<WORD>(101 + i));
      t.W(0xFFFF);
      t.W(0x0081);
      t.W(0);
      t.W(0);
    }
    return frame->dlg.CreateIndirect(reinterpret_cast<LPCDLGTEMPLATE>(t.data), frame);
  }
};

CDemoApp theApp;

}  // namespace
