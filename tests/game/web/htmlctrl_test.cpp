// The web window over our page viewer, in a frame: the events in order with
// the browser's state read in each, cancelling, navigating from a handler,
// failures, properties and the refusals of the viewer.
#include <gtest/gtest.h>

#include <exdispid.h>
#include <olectl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "game/web/htmlctrl.h"
#include "game/web/htmlctrl_save.h"
#include "htmlview/htmlbrowser.h"
#include "tests/support/testenv.h"
#include "tests/support/winpump.h"

namespace {

class RecordingCtrl : public CHtmlCtrl {
 public:
  std::vector<std::string> log;
  int documents = 0;
  BOOL cancel = FALSE;
  std::function<void(const char*)> onDocument;
  std::string lastPost, lastHeaders, lastTarget;
  DWORD lastFlags = 0;

  std::string State() const {
    char buf[32];
    snprintf(buf, sizeof buf, " rs=%d busy=%d", static_cast<int>(GetReadyState()), GetBusy() ? 1 : 0);
    return buf + std::string(" loc=") + static_cast<const char*>(GetLocationURL()) + " name=" +
           static_cast<const char*>(GetLocationName());
  }
  void OnBeforeNavigate2(const char* url, DWORD flags, const char* target, const BYTE* post, DWORD postLength,
                         const char* headers, BOOL* pbCancel) override {
    log.push_back(std::string("Before ") + url + State());
    lastPost = post ? std::string(reinterpret_cast<const char*>(post), postLength) : std::string();
    lastHeaders = headers;
    lastTarget = target;
    lastFlags = flags;
    *pbCancel = cancel;
  }
  void OnDownloadBegin() override { log.push_back("DownloadBegin" + State()); }
  void OnNavigateComplete2(const char* url) override { log.push_back(std::string("NavigateComplete2 ") + url + State()); }
  void OnTitleChange(const char* t) override { log.push_back(std::string("Title ") + t + State()); }
  void OnDownloadComplete() override { log.push_back("DownloadComplete" + State()); }
  void OnDocumentComplete(const char* url) override {
    log.push_back(std::string("DocumentComplete ") + url + State());
    ++documents;
    if (onDocument) onDocument(url);
  }
  void OnVisible(BOOL b) override { log.push_back(b ? "Visible 1" : "Visible 0"); }
  void OnToolBar(BOOL b) override { log.push_back(b ? "ToolBar 1" : "ToolBar 0"); }
  void OnMenuBar(BOOL b) override { log.push_back(b ? "MenuBar 1" : "MenuBar 0"); }
  void OnStatusBar(BOOL b) override { log.push_back(b ? "StatusBar 1" : "StatusBar 0"); }
  void OnFullScreen(BOOL b) override { log.push_back(b ? "FullScreen 1" : "FullScreen 0"); }
  void OnTheaterMode(BOOL b) override { log.push_back(b ? "TheaterMode 1" : "TheaterMode 0"); }
  void OnPropertyChange(const char* p) override { log.push_back(std::string("Property ") + p); }
};

// A frame that counts the commands its children post.
class HostFrame : public CFrameWnd {
 public:
  int navigated = 0;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == WM_COMMAND_HTML_NAVIGATED) ++navigated;
    return CFrameWnd::OnCommand(wParam, lParam);
  }
};

// Records NavigateError next to the control's own sink.
struct ErrorSink : CEventSinkOwner {
  std::vector<std::string> seen;
  HRESULT OnSinkEvent(DISPID id, DISPPARAMS* p) override {
    if (id == DISPID_NAVIGATEERROR) {
      BSTR url = SinkArgBstr(p, 1);
      char buf[64];
      snprintf(buf, sizeof buf, " status=%08lX cancel=%d", static_cast<unsigned long>(SinkArgLong(p, 3)),
               SinkArgBoolRef(p, 4) ? 1 : 0);
      seen.push_back(std::string(HtmlCtrlNarrow(url)) + buf);
    }
    return S_OK;
  }
};

std::string ClipboardText() {
  std::string out;
  if (!OpenClipboard(nullptr)) return out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    const wchar_t* w = static_cast<const wchar_t*>(GlobalLock(h));
    out = static_cast<const char*>(HtmlCtrlNarrow(w));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

std::string FileUrl(const std::string& path) {
  std::string u = "file:///";
  for (char c : path) u.push_back(c == '\\' ? '/' : c);
  return u;
}

class WebWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = orvtest::MakeTempDir("web");
    a = dir + "\\a.html";
    b = dir + "\\b.html";
    Write(a, "<html><head><title>Seite A</title></head><body><p>Erste Seite</p><a href=b.html>weiter</a></body>");
    Write(b, "<title>Seite B</title><p>Zweite Seite");
    frame = new HostFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Webtest", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
    ASSERT_TRUE(ctrl.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 600, 400), frame, 4386));
    frame->ShowWindow(SW_SHOW);
  }
  void TearDown() override {
    ctrl.DestroyWindow();
    if (frame->m_hWnd) frame->DestroyWindow();
  }
  static void Write(const std::string& path, const std::string& text) {
    orvtest::WriteFile(path, text.data(), text.size());
  }
  // Pumps until n pages completed (or a few seconds passed).
  void WaitDocuments(int n) {
    for (int i = 0; i < 300 && ctrl.documents < n; ++i) orvtest::PumpMessages(10);
  }
  std::string dir, a, b;
  HostFrame* frame = nullptr;
  RecordingCtrl ctrl;
};

TEST_F(WebWindow, OurViewerStandsInWhereNoEngineIs) {
  EXPECT_TRUE(ctrl.IsOurViewer());
  EXPECT_NE(nullptr, ctrl.GetBrowser());
  HWND inner = ::GetDlgItem(ctrl.m_hWnd, IDC_HTMLCTRL_BROWSER);
  ASSERT_NE(nullptr, inner);
  // the control's border lies outside the window
  RECT r;
  ::GetWindowRect(inner, &r);
  ::MapWindowPoints(nullptr, ctrl.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(-::GetSystemMetrics(SM_CXEDGE), r.left);
  EXPECT_EQ(600 + ::GetSystemMetrics(SM_CXEDGE), r.right);
  EXPECT_EQ(READYSTATE_UNINITIALIZED, ctrl.GetReadyState());
}

TEST_F(WebWindow, TheSiteAnswersAmbientProperties) {
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, ctrl.GetControlUnknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&obj)));
  IOleClientSite* site = nullptr;
  ASSERT_EQ(S_OK, obj->GetClientSite(&site));
  ASSERT_NE(nullptr, site);
  IOleControlSite* controlSite = nullptr;
  EXPECT_EQ(S_OK, site->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&controlSite)));
  if (controlSite) controlSite->Release();
  IDispatch* ambient = nullptr;
  ASSERT_EQ(S_OK, site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)));
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT v;
  EXPECT_EQ(S_OK, ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr,
                                  nullptr));
  EXPECT_EQ(VT_BOOL, V_VT(&v));
  EXPECT_EQ(VARIANT_TRUE, V_BOOL(&v));
  EXPECT_EQ(S_OK, ambient->Invoke(DISPID_AMBIENT_UIDEAD, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr,
                                  nullptr));
  EXPECT_EQ(VARIANT_FALSE, V_BOOL(&v));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
            ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr));
  ambient->Release();
  site->Release();
  obj->Release();
}

TEST_F(WebWindow, EventsInOrderWithTheStateOfEach) {
  ctrl.Navigate2(a.c_str());
  std::string url = FileUrl(a);
  // BeforeNavigate2 fires inside Navigate2
  ASSERT_EQ(1u, ctrl.log.size());
  WaitDocuments(1);
  std::vector<std::string> want = {
      "Before " + url + " rs=0 busy=0 loc= name=",
      "DownloadBegin rs=1 busy=1 loc= name=",
      "NavigateComplete2 " + url + " rs=3 busy=1 loc=" + url + " name=Seite A",
      "Title Seite A rs=3 busy=1 loc=" + url + " name=Seite A",
      "DownloadComplete rs=3 busy=0 loc=" + url + " name=Seite A",
      "DocumentComplete " + url + " rs=4 busy=0 loc=" + url + " name=Seite A",
  };
  EXPECT_EQ(want, ctrl.log);
  orvtest::PumpMessages(50);
  EXPECT_EQ(1, frame->navigated);  // WM_COMMAND 26231 to the parent
}

TEST_F(WebWindow, BeforeNavigate2UnpacksItsArguments) {
  ctrl.cancel = TRUE;
  ctrl.Navigate2(a.c_str(), 0x40, "_self", "X-Runde: 3\r\n", const_cast<char*>("name=Rom"));
  EXPECT_EQ("name=Rom", ctrl.lastPost);  // length 0: the text's length
  EXPECT_EQ("X-Runde: 3\r\n", ctrl.lastHeaders);
  EXPECT_EQ("_self", ctrl.lastTarget);
  EXPECT_EQ(0x40u, ctrl.lastFlags);
  const BYTE bytes[] = {1, 0, 2};
  ctrl.Navigate(a.c_str(), 0, nullptr, nullptr, const_cast<BYTE*>(bytes), 3);
  EXPECT_EQ(std::string("\x01\x00\x02", 3), ctrl.lastPost);
  EXPECT_EQ("", ctrl.lastHeaders);
}

// What IWebBrowser2::Navigate2 was called with, recorded in its stead.
struct Navigate2Call {
  VARIANT url, flags, target, post, headers;
  int calls = 0;
} g_nav;

HRESULT STDMETHODCALLTYPE RecordNavigate2(IWebBrowser2*, VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* post,
                                          VARIANT* headers) {
  ++g_nav.calls;
  VARIANT* in[] = {url, flags, target, post, headers};
  VARIANT* out[] = {&g_nav.url, &g_nav.flags, &g_nav.target, &g_nav.post, &g_nav.headers};
  for (int i = 0; i < 5; i++) {
    VariantClear(out[i]);
    if (in[i]) VariantCopy(out[i], in[i]);
  }
  return S_OK;
}

// Puts the recorder into the browser's Navigate2 slot (IUnknown 3,
// IDispatch 4, IWebBrowser 25, IWebBrowserApp 20 entries before it) for
// the life of the object.
class Navigate2Recorder {
 public:
  explicit Navigate2Recorder(IWebBrowser2* wb) : m_slot(*reinterpret_cast<void***>(wb) + 52) {
    VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &m_protect);
    m_old = *m_slot;
    *m_slot = reinterpret_cast<void*>(&RecordNavigate2);
  }
  ~Navigate2Recorder() {
    *m_slot = m_old;
    VirtualProtect(m_slot, sizeof(void*), m_protect, &m_protect);
  }

 private:
  void** m_slot;
  void* m_old;
  DWORD m_protect = 0;
};

std::string VariantString(const VARIANT& v) {
  if (V_VT(&v) != VT_BSTR || !V_BSTR(&v)) return std::string();
  char text[1024] = "";
  WideCharToMultiByte(CP_ACP, 0, V_BSTR(&v), -1, text, sizeof text, nullptr, nullptr);
  return text;
}

TEST_F(WebWindow, PidlAndPostDataReachNavigate2AsGiven) {
  IWebBrowser2* wb = ctrl.GetBrowser();
  ASSERT_NE(nullptr, wb);
  Navigate2Recorder rec(wb);
  VARIANT url;
  VariantInit(&url);
  V_VT(&url) = VT_BSTR;
  V_BSTR(&url) = SysAllocString(L"probe");
  wb->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
  VariantClear(&url);
  ASSERT_EQ(1, g_nav.calls);  // the slot is Navigate2's
  ASSERT_EQ("probe", VariantString(g_nav.url));

  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, a.c_str(), -1, wide, MAX_PATH);
  LPITEMIDLIST pidl = ILCreateFromPathW(wide);
  ASSERT_NE(nullptr, pidl);
  ctrl.Navigate2Pidl(pidl, 0x20, "_blank");
  ASSERT_EQ(2, g_nav.calls);
  ASSERT_EQ(VT_ARRAY | VT_UI1, V_VT(&g_nav.url));
  SAFEARRAY* sa = V_ARRAY(&g_nav.url);
  EXPECT_EQ(ILGetSize(pidl), sa->rgsabound[0].cElements);
  EXPECT_TRUE(ILIsEqual(pidl, static_cast<LPCITEMIDLIST>(sa->pvData)));
  ILFree(pidl);
  EXPECT_EQ(VT_I4, V_VT(&g_nav.flags));
  EXPECT_EQ(0x20, V_I4(&g_nav.flags));
  EXPECT_EQ("_blank", VariantString(g_nav.target));

  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, 4);
  ASSERT_NE(nullptr, bytes);
  memcpy(bytes->pvData, "a\0b\xff", 4);
  VARIANT post;
  VariantInit(&post);
  V_VT(&post) = VT_ARRAY | VT_UI1;
  V_ARRAY(&post) = bytes;
  ctrl.Navigate2Post(b.c_str(), 0x10, "_top", post, "X-Post: 1\r\n");
  VariantClear(&post);
  ASSERT_EQ(3, g_nav.calls);
  EXPECT_EQ(b, VariantString(g_nav.url));
  EXPECT_EQ(0x10, V_I4(&g_nav.flags));
  EXPECT_EQ("_top", VariantString(g_nav.target));
  EXPECT_EQ("X-Post: 1\r\n", VariantString(g_nav.headers));
  ASSERT_EQ(VT_ARRAY | VT_UI1, V_VT(&g_nav.post));
  EXPECT_EQ(std::string("a\0b\xff", 4),
            std::string(static_cast<const char*>(V_ARRAY(&g_nav.post)->pvData), V_ARRAY(&g_nav.post)->rgsabound[0].cElements));
  for (VARIANT* v : {&g_nav.url, &g_nav.flags, &g_nav.target, &g_nav.post, &g_nav.headers}) VariantClear(v);
}

TEST_F(WebWindow, CancelKeepsTheOldPageAndNothingMoreFires) {
  ctrl.Navigate2(a.c_str());
  WaitDocuments(1);
  ctrl.log.clear();
  ctrl.cancel = TRUE;
  ctrl.Navigate2(b.c_str());
  orvtest::PumpMessages(300);
  ASSERT_EQ(1u, ctrl.log.size());
  EXPECT_EQ(0u, ctrl.log[0].find("Before " + FileUrl(b)));
  EXPECT_EQ(FileUrl(a), static_cast<const char*>(ctrl.GetLocationURL()));
  EXPECT_EQ(READYSTATE_COMPLETE, ctrl.GetReadyState());
}

TEST_F(WebWindow, NavigationFromDocumentCompleteSupersedes) {
  ctrl.onDocument = [&](const char* url) {
    if (FileUrl(a) == url) ctrl.Navigate2(b.c_str());
  };
  ctrl.Navigate2(a.c_str());
  WaitDocuments(2);
  orvtest::PumpMessages(200);
  EXPECT_EQ(2, ctrl.documents);
  EXPECT_EQ(FileUrl(b), static_cast<const char*>(ctrl.GetLocationURL()));
  EXPECT_EQ("Seite B", std::string(ctrl.GetLocationName()));
  // and a navigation started in the middle of a load: no late event of the old one
  ctrl.log.clear();
  ctrl.documents = 0;
  ctrl.onDocument = nullptr;
  ctrl.Navigate2(a.c_str());
  ctrl.Navigate2(b.c_str());
  WaitDocuments(1);
  orvtest::PumpMessages(200);
  ASSERT_EQ(7u, ctrl.log.size());  // two BeforeNavigate2, then b's five
  for (size_t i = 2; i < ctrl.log.size(); ++i) EXPECT_EQ(std::string::npos, ctrl.log[i].find("a.html ")) << ctrl.log[i];
}

TEST_F(WebWindow, MissingPageGivesNavigateErrorThenTheErrorPage) {
  ErrorSink errors;
  CEventSink* sink = CEventSink::Create(DIID_DWebBrowserEvents2, &errors);
  ASSERT_TRUE(sink->Connect(ctrl.GetControlUnknown()));
  std::string missing = dir + "\\fehlt.html";
  ctrl.Navigate2(missing.c_str());
  WaitDocuments(1);
  sink->Disconnect();
  ASSERT_EQ(1u, errors.seen.size());
  EXPECT_EQ(FileUrl(missing) + " status=800C0005 cancel=1", errors.seen[0]);
  EXPECT_EQ(READYSTATE_COMPLETE, ctrl.GetReadyState());
  ctrl.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  EXPECT_EQ("Die Seite " + missing + " konnte nicht geladen werden.", ClipboardText());
  // too large a page fails the same way
  std::string big(4 * 1024 * 1024 + 1, 'x');
  Write(dir + "\\gross.html", big);
  ctrl.Navigate2((dir + "\\gross.html").c_str());
  WaitDocuments(2);
  ctrl.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  EXPECT_EQ("Die Seite " + dir + "\\gross.html konnte nicht geladen werden.", ClipboardText());
}

TEST_F(WebWindow, ZoomAndSaveAsWorkPrintAndFindAreRefusedQuietly) {
  ctrl.Navigate2(a.c_str());
  WaitDocuments(1);
  const HtmlLayout& shown = static_cast<HtmlBrowser*>(ctrl.GetBrowser())->Window().Layout();
  ASSERT_FALSE(shown.items.empty());
  int size100 = shown.items[0].font.size;
  EXPECT_EQ(100, ctrl.GetZoom());
  ctrl.SetZoom(250);
  EXPECT_EQ(250, ctrl.GetZoom());
  ctrl.SetZoom(5);
  EXPECT_EQ(10, ctrl.GetZoom());
  ctrl.SetZoom(2000);
  EXPECT_EQ(1000, ctrl.GetZoom());
  int lo = 0, hi = 0;
  ctrl.GetZoomRange(&lo, &hi);
  EXPECT_EQ(10, lo);
  EXPECT_EQ(1000, hi);
  EXPECT_EQ(OLECMDF_SUPPORTED | OLECMDF_ENABLED, ctrl.QueryStatusWB(OLECMDID_OPTICAL_GETZOOMRANGE));
  // later pages keep the zoom
  ctrl.SetZoom(200);
  ctrl.Navigate2(b.c_str());
  WaitDocuments(2);
  EXPECT_EQ(200, ctrl.GetZoom());
  ASSERT_FALSE(shown.items.empty());
  EXPECT_EQ(2 * size100, shown.items[0].font.size);
  // the place shown stays in view when the zoom changes
  std::string longPage;
  for (int i = 0; i < 120; ++i) longPage += "<p>Absatz " + std::to_string(i);
  Write(dir + "\\lang.html", longPage);
  ctrl.Navigate2((dir + "\\lang.html").c_str());
  WaitDocuments(3);
  const HtmlWindow& view = static_cast<HtmlBrowser*>(ctrl.GetBrowser())->Window();
  for (int i = 0; i < 6; ++i) ::SendMessageA(view.Handle(), WM_KEYDOWN, VK_NEXT, 0);
  HtmlString top;
  for (const HtmlItem& it : view.Layout().items)
    if (top.empty() && it.kind == HtmlItem::kText && it.y >= view.ScrollPos()) top = it.text;
  ASSERT_GT(view.ScrollPos(), 0);
  ctrl.SetZoom(400);
  RECT client;
  ::GetClientRect(view.Handle(), &client);
  bool inView = false;
  for (const HtmlItem& it : view.Layout().items)
    if (it.text == top) inView = it.y >= view.ScrollPos() && it.y + it.h <= view.ScrollPos() + client.bottom;
  EXPECT_TRUE(inView);
  ctrl.SetZoom(200);
  EXPECT_EQ(nullptr, ctrl.GetHtmlDocument());
  ctrl.ShowFindDialog();
  ctrl.SendMessage(WM_COMMAND, ID_FILE_PRINT);
  EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));
  EXPECT_EQ(OLECMDF_SUPPORTED | OLECMDF_ENABLED, ctrl.QueryStatusWB(OLECMDID_COPY));
  EXPECT_EQ(OLECMDF_SUPPORTED | OLECMDF_ENABLED, ctrl.QueryStatusWB(OLECMDID_SAVEAS));
  EXPECT_EQ(0, ctrl.QueryStatusWB(OLECMDID_SAVE));
  // the error page was read from nowhere: no dialog to fill, -1 at once
  ctrl.Navigate2((dir + "\\fehlt.html").c_str());
  WaitDocuments(4);
  EXPECT_EQ(OLECMDF_SUPPORTED, ctrl.QueryStatusWB(OLECMDID_SAVEAS));
  DWORD t0 = GetTickCount();
  EXPECT_EQ(-1, ctrl.SavePageAs((dir + "\\kopie.html").c_str(), 0, FALSE));
  EXPECT_LT(GetTickCount() - t0, 1000u);
  EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir + "\\kopie.html").c_str()));
}

// What a timer saw of the dialogs that the viewer's save-as opened.
struct SeenDialogs {
  std::string name;                // the Save-As dialog's file name, then cancelled
  std::vector<std::string> types;  // its file types
  std::string error;               // the text of a "Fehler" box, then closed
} g_seen;

void CALLBACK WatchDialogs(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND h = FindWindowA("#32770", nullptr); h; h = FindWindowExA(nullptr, h, "#32770", nullptr)) {
    char text[512] = "";
    if (!IsWindowVisible(h)) continue;
    if (HWND name = GetDlgItem(h, 1148)) {
      GetWindowTextA(name, text, sizeof text);
      g_seen.name = text;
      HWND types = GetDlgItem(h, 1136);
      for (int i = 0, n = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0)); i < n; ++i) {
        SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        g_seen.types.push_back(text);
      }
      PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    } else if (GetWindowTextA(h, text, sizeof text) && std::string(text) == "Fehler") {
      GetDlgItemTextA(h, 0xFFFF, text, sizeof text);
      g_seen.error = text;
      PostMessageA(h, WM_COMMAND, IDOK, 0);
    }
  }
}

struct ExecContext {
  IWebBrowser2* browser;
  HRESULT hr;
};

void ExecSaveAs(void* context) {
  ExecContext* c = static_cast<ExecContext*>(context);
  c->hr = c->browser->ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

std::string Bytes(const std::string& path) {
  std::vector<unsigned char> b;
  orvtest::ReadFile(path, b);
  return std::string(b.begin(), b.end());
}

TEST_F(WebWindow, SavePageAsWritesThePageAloneByteForByte) {
  g_seen = SeenDialogs();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, &WatchDialogs);
  const std::string latin = "<title>Seite C</title><p>Gr\xfc\xdf""e aus K\xf6ln\r\n";
  const std::string utf8 = "\xef\xbb\xbf<meta charset=utf-8><p>Gr\xc3\xbc\xc3\x9f""e\n";
  std::string c = dir + "\\c.html", d = dir + "\\d.htm";
  Write(c, latin);
  Write(d, utf8);
  ctrl.Navigate2(c.c_str());
  WaitDocuments(1);
  // by hand: the page's name offered with the two types; cancelled, nothing written
  ExecContext call = {ctrl.GetBrowser(), S_OK};
  ExecSaveAs(&call);
  EXPECT_EQ(OLECMDERR_E_CANCELED, call.hr);
  EXPECT_EQ("c.html", g_seen.name);
  std::vector<std::string> types = {"Webseite, nur HTML (*.htm;*.html)", "Alle Dateien (*.*)"};
  EXPECT_EQ(types, g_seen.types);
  std::string copy = dir + "\\kopie.html";
  EXPECT_EQ(0, ctrl.SavePageAs(copy.c_str(), 0, FALSE));
  EXPECT_EQ(latin, Bytes(copy));
  ctrl.Navigate2(d.c_str());
  WaitDocuments(2);
  EXPECT_EQ(0, ctrl.SavePageAs(copy.c_str(), 1, FALSE));  // over the first copy
  EXPECT_EQ(utf8, Bytes(copy));
  // a read-only target: the error shown, the old bytes kept, E_FAIL
  std::string locked = dir + "\\fest.html";
  Write(locked, "alt");
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(-1, SaveAsDialogRun(frame->m_hWnd, locked.c_str(), 0, FALSE, &ExecSaveAs, &call));
  EXPECT_EQ(E_FAIL, call.hr);
  EXPECT_EQ("alt", Bytes(locked));
  EXPECT_EQ("Die Datei '" + locked + "' konnte nicht gespeichert werden !", g_seen.error);
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  KillTimer(nullptr, timer);
}

TEST_F(WebWindow, PropertiesAndTheirEvents) {
  ctrl.log.clear();
  IWebBrowser2* wb = ctrl.GetBrowser();
  wb->put_Visible(VARIANT_FALSE);
  wb->put_ToolBar(1);
  wb->put_MenuBar(VARIANT_TRUE);
  wb->put_StatusBar(VARIANT_TRUE);
  wb->put_FullScreen(VARIANT_TRUE);
  wb->put_TheaterMode(VARIANT_TRUE);
  wb->put_Silent(VARIANT_TRUE);
  std::vector<std::string> want = {"Visible 0", "ToolBar 1", "MenuBar 1", "StatusBar 1", "FullScreen 1",
                                   "TheaterMode 1"};
  EXPECT_EQ(want, ctrl.log);
  EXPECT_FALSE(ctrl.GetVisible());
  EXPECT_EQ(1, ctrl.GetToolBar());
  EXPECT_TRUE(ctrl.GetTheaterMode());
  EXPECT_TRUE(ctrl.GetSilent());
  EXPECT_FALSE(ctrl.GetOffline());
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = 42;
  EXPECT_TRUE(ctrl.PutProperty("Runde", v));
  CString text;
  EXPECT_TRUE(ctrl.GetProperty("Runde", text));
  EXPECT_EQ("42", std::string(text));
  VARIANT got = ctrl.GetPropertyVariant("Runde");
  EXPECT_EQ(VT_I4, V_VT(&got));
  EXPECT_EQ(42, V_I4(&got));
  VARIANT none = ctrl.GetPropertyVariant("Fehlt");
  EXPECT_EQ(VT_EMPTY, V_VT(&none));
  EXPECT_EQ("Property Runde", ctrl.log.back());
  // position and size are the control's window
  EXPECT_EQ(-::GetSystemMetrics(SM_CYEDGE), ctrl.GetTop());
  EXPECT_EQ(400 + 2 * ::GetSystemMetrics(SM_CYEDGE), ctrl.GetHeight());
}

TEST_F(WebWindow, PagesFromResourcesAndLinks) {
  ctrl.Navigate2(a.c_str());
  WaitDocuments(1);
  // a page made into a program resource (type 23) by the test's resource file
  ASSERT_TRUE(ctrl.LoadFromResource("TESTPAGE.HTML"));
  WaitDocuments(2);
  EXPECT_EQ("Ressourcenseite", std::string(ctrl.GetLocationName()));
  EXPECT_EQ(0u, std::string(ctrl.GetLocationURL()).find("res://"));
  ctrl.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  EXPECT_EQ("Aus der Ressource: \xe4\xf6\xfc", ClipboardText());
  // by number, and a missing one fails like a missing file
  ctrl.Navigate2(a.c_str());
  WaitDocuments(3);
  ASSERT_TRUE(ctrl.LoadFromResourceId(42));
  WaitDocuments(4);
  EXPECT_EQ("Ressourcenseite", std::string(ctrl.GetLocationName()));
  ctrl.LoadFromResourceId(43);
  WaitDocuments(5);
  ctrl.ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  EXPECT_NE(std::string::npos, ClipboardText().find("konnte nicht geladen werden"));
}

TEST_F(WebWindow, FocusWithinAndCopyByMessage) {
  ctrl.Navigate2(b.c_str());
  WaitDocuments(1);
  ::SetFocus(frame->m_hWnd);
  EXPECT_FALSE(ctrl.HasFocusWithin());
  ::SetFocus(::GetDlgItem(ctrl.m_hWnd, IDC_HTMLCTRL_BROWSER));
  EXPECT_TRUE(ctrl.HasFocusWithin());
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  ctrl.SendMessage(WM_COPY);
  EXPECT_EQ("Zweite Seite", ClipboardText());
}

// The events the viewer never fires, given to the web window's sink with
// the real control's argument layout (last argument first).
TEST_F(WebWindow, EveryEventReachesItsHandler) {
  struct Ctrl : RecordingCtrl {
    void OnProgressChange(long p, long m) override { log.push_back("Progress " + std::to_string(p) + "/" + std::to_string(m)); }
    void OnCommandStateChange(long c, BOOL e) override { log.push_back("Command " + std::to_string(c) + " " + std::to_string(e)); }
    void OnNewWindow2(LPDISPATCH* pp, BOOL* cancel) override {
      log.push_back(pp ? "NewWindow2" : "NewWindow2 without pointer");
      *cancel = TRUE;
    }
    void OnQuit() override { log.push_back("Quit"); }
  } c;
  ASSERT_TRUE(c.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 100, 100), frame, 1));
  IConnectionPointContainer* cpc = nullptr;
  ASSERT_EQ(S_OK, c.GetControlUnknown()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)));
  IConnectionPoint* cp = nullptr;
  ASSERT_EQ(S_OK, cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp));
  IEnumConnections* list = nullptr;
  ASSERT_EQ(S_OK, cp->EnumConnections(&list));
  CONNECTDATA cd;
  ULONG got = 0;
  ASSERT_EQ(S_OK, list->Next(1, &cd, &got));
  IDispatch* sink = nullptr;
  ASSERT_EQ(S_OK, cd.pUnk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink)));
  auto fire = [&](DISPID id, VARIANTARG* args, UINT n) {
    DISPPARAMS p = {args, nullptr, n, 0};
    return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
  };
  VARIANTARG two[2];
  V_VT(&two[1]) = VT_I4;
  V_I4(&two[1]) = 30;
  V_VT(&two[0]) = VT_I4;
  V_I4(&two[0]) = 100;
  fire(DISPID_PROGRESSCHANGE, two, 2);
  V_I4(&two[1]) = CSC_NAVIGATEBACK;
  V_VT(&two[0]) = VT_BOOL;
  V_BOOL(&two[0]) = VARIANT_TRUE;
  fire(DISPID_COMMANDSTATECHANGE, two, 2);
  IDispatch* newWindow = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  V_VT(&two[1]) = VT_DISPATCH | VT_BYREF;
  V_DISPATCHREF(&two[1]) = &newWindow;
  V_VT(&two[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&two[0]) = &cancel;
  fire(DISPID_NEWWINDOW2, two, 2);
  fire(DISPID_ONQUIT, nullptr, 0);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, fire(9999, nullptr, 0));
  std::vector<std::string> want = {"Progress 30/100", "Command 2 1", "NewWindow2", "Quit"};
  EXPECT_EQ(want, c.log);
  EXPECT_EQ(VARIANT_TRUE, cancel);  // the handler's answer goes back
  sink->Release();
  cd.pUnk->Release();
  list->Release();
  cp->Release();
  cpc->Release();
  c.DestroyWindow();
}

TEST_F(WebWindow, ACancelledErrorKeepsTheOldPage) {
  struct CancellingSink : CEventSinkOwner {
    HRESULT OnSinkEvent(DISPID id, DISPPARAMS* p) override {
      if (id == DISPID_NAVIGATEERROR) *SinkArgBoolRef(p, 4) = VARIANT_TRUE;
      return S_OK;
    }
  } owner;
  ctrl.Navigate2(a.c_str());
  WaitDocuments(1);
  CEventSink* sink = CEventSink::Create(DIID_DWebBrowserEvents2, &owner);
  ASSERT_TRUE(sink->Connect(ctrl.GetControlUnknown()));
  ctrl.log.clear();
  ctrl.Navigate2((dir + "\\fehlt.html").c_str());
  orvtest::PumpMessages(300);
  sink->Disconnect();
  ASSERT_EQ(3u, ctrl.log.size());  // BeforeNavigate2, DownloadBegin, DownloadComplete
  EXPECT_EQ(0u, ctrl.log[2].find("DownloadComplete rs=4 busy=0 loc=" + FileUrl(a)));
  EXPECT_EQ("Seite A", std::string(ctrl.GetLocationName()));
}

TEST_F(WebWindow, WithoutAControlEveryOperationGivesItsDefault) {
  CHtmlCtrl none;
  EXPECT_EQ(100, none.GetZoom());
  int lo = 0, hi = 0;
  none.GetZoomRange(&lo, &hi);
  EXPECT_EQ(10, lo);
  EXPECT_EQ(1000, hi);
  none.Navigate2("C:\\x.html");
  EXPECT_EQ("", std::string(none.GetLocationURL()));
  EXPECT_EQ(-1, none.SavePageAs("C:\\x.html", 0, FALSE));
  EXPECT_FALSE(none.LoadFromResource("X"));
}

}  // namespace
