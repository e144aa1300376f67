// A frame hosting the web window over one page, for the host-driven tests:
// it logs the browser's events, the frame's F5 command and where the page's
// pictures were laid out, one line each, to the file named first on its
// command line; the second argument is the page. F6 switches the page's
// zoom between 100 and 200 percent; Ctrl+S is the web window's save-as.
#include <cstdio>
#include <string>

#include "framework/afxwin.h"
#include "game/web/htmlctrl.h"
#include "htmlview/htmlbrowser.h"

namespace {

const UINT kCmdNextGame = 32806;
const UINT kCmdZoom = 32990;
const UINT kCmdSaveAs = 32991;
FILE* g_log = nullptr;

void Log(const char* fmt, const std::string& a = std::string(), long x = 0, long y = 0, long w = 0, long h = 0) {
  if (!g_log) return;
  fprintf(g_log, fmt, a.c_str(), x, y, w, h);
  fputc('\n', g_log);
  fflush(g_log);
}

class CLogCtrl : public CHtmlCtrl {
 public:
  void OnStatusTextChange(const char* text) override {
    Log("Status %s", text);
    CHtmlCtrl::OnStatusTextChange(text);
  }
  void OnBeforeNavigate2(const char* url, DWORD, const char*, const BYTE*, DWORD, const char*, BOOL*) override {
    Log("BeforeNavigate2 %s", url);
  }
  void OnDocumentComplete(const char* url) override {
    Log("DocumentComplete %s", url);
    LogLayout();
  }
  // where the viewer put the page: its client origin on the screen, the pictures
  void LogLayout() {
    if (!IsOurViewer()) return;
    HtmlBrowser* viewer = static_cast<HtmlBrowser*>(GetBrowser());
    POINT origin = {0, 0};
    ::ClientToScreen(viewer->Window().Handle(), &origin);
    Log("Origin %s%ld %ld", "", origin.x, origin.y);
    for (const HtmlItem& it : viewer->Window().Layout().items)
      if (it.kind == HtmlItem::kImage) Log("Image %s%ld %ld %ld %ld", "", it.x, it.y, it.w, it.h);
  }
};

class CHostFrame : public CFrameWnd {
 public:
  CLogCtrl html;
  CStatusBar status;
  int OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    static const UINT indicators[] = {0};
    status.Create(this);
    status.SetIndicators(indicators, 1);
    if (!html.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), this, 4386)) return -1;
    ACCEL keys[] = {{FVIRTKEY, VK_F5, static_cast<WORD>(kCmdNextGame)},
                    {FVIRTKEY, VK_F6, static_cast<WORD>(kCmdZoom)},
                    {FVIRTKEY | FCONTROL, 'S', static_cast<WORD>(kCmdSaveAs)}};
    m_hAccelTable = ::CreateAcceleratorTableA(keys, 3);
    return 0;
  }
  void RecalcLayout(BOOL bNotify) override {
    CFrameWnd::RecalcLayout(bNotify);
    if (!html.m_hWnd) return;
    CRect rc;
    GetClientRect(&rc);
    CRect bar;
    if (status.m_hWnd) status.GetWindowRect(&bar);
    html.MoveWindow(0, 0, rc.Width(), rc.Height() - bar.Height());
  }
  void OnNextGame() { Log("Command F5"); }
  void OnZoom() {
    html.SetZoom(html.GetZoom() == 200 ? 100 : 200);
    Log("Zoom %s%ld", "", html.GetZoom());
    html.LogLayout();
  }
  void OnSaveAs() {
    html.SendMessage(WM_COMMAND, ID_FILE_SAVE_AS);
    Log("SaveAs ended");
  }
  void OnSize(UINT type, int cx, int cy) {
    CFrameWnd::OnSize(type, cx, cy);
    Log("Size %s%ld %ld", "", cx, cy);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_COMMAND(kCmdNextGame, OnNextGame)
  ON_COMMAND(kCmdZoom, OnZoom)
  ON_COMMAND(kCmdSaveAs, OnSaveAs)
END_MESSAGE_MAP()

class CHostApp : public CWinApp {
 public:
  CHostApp() : CWinApp("WebHost") {}
  BOOL InitInstance() override {
    if (__argc < 3) return FALSE;
    g_log = fopen(__argv[1], "w");
    CHostFrame* frame = new CHostFrame;
    if (!frame->Create(nullptr, "Webseiten-Test", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700))) return FALSE;
    m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    frame->html.Navigate2(__argv[2]);
    return TRUE;
  }
};

CHostApp theApp;

}  // namespace
