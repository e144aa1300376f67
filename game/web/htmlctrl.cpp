#include "game/web/htmlctrl.h"

#include <shlobj.h>

#include "framework/frame.h"
#include "htmlview/htmlbrowser.h"

namespace {

BOOL g_forceSystemBrowser = FALSE;

const DISPID kDispGetProperty = 303;

// the browser's find dialog in the document's command group
const GUID kCmdGroupFind = {0xED016940, 0xBD5B, 0x11CF, {0xBA, 0x4E, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x16}};

// the system's HTML document object (not in every import library)
const CLSID kClsidHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

const int kZoomDefault = 100, kZoomMin = 10, kZoomMax = 1000;

// Is there an HTML engine? (Windows; Wine only with one installed.) Asked
// once: a failing probe costs seconds under Wine.
BOOL SystemHasHtmlEngine() {
  static int known = -1;
  if (known < 0) {
    IUnknown* doc = nullptr;
    HRESULT hr = ::CoCreateInstance(kClsidHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&doc));
    if (SUCCEEDED(hr) && doc) doc->Release();
    known = SUCCEEDED(hr) ? 1 : 0;
  }
  return known == 1;
}

VARIANT VariantText(const char* text) {
  VARIANT v;
  VariantInit(&v);
  if (text) {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = HtmlCtrlWide(text);
  }
  return v;
}

}  // namespace

CString HtmlCtrlNarrow(const wchar_t* text, int length) {
  CString out;
  if (!text) return out;
  if (length < 0) length = lstrlenW(text);
  if (length == 0) return out;
  int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  char* buf = out.GetBuffer(n);
  WideCharToMultiByte(CP_ACP, 0, text, length, buf, n, nullptr, nullptr);
  out.ReleaseBuffer(n);
  return out;
}

BSTR HtmlCtrlWide(const char* text) {
  if (!text) return SysAllocString(L"");
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  BSTR b = SysAllocStringLen(nullptr, n > 0 ? n - 1 : 0);
  if (b && n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, b, n);
  return b;
}

BEGIN_MESSAGE_MAP(CHtmlCtrl, CWnd)
  ON_WM_SIZE()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_DESTROY()
  ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
  ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
  ON_MESSAGE(WM_COPY, OnCopyMessage)
END_MESSAGE_MAP()

CHtmlCtrl::CHtmlCtrl() = default;

CHtmlCtrl::~CHtmlCtrl() {
  ReleaseBrowser();
  if (m_hWnd) DestroyWindow();
}

void CHtmlCtrl::ForceSystemBrowser(BOOL bForce) { g_forceSystemBrowser = bForce; }

BOOL CHtmlCtrl::Create(const char*, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  return CreateEx(0, nullptr, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

BOOL CHtmlCtrl::CreateEx(DWORD dwExStyle, const char*, const char* lpszWindowName, DWORD dwStyle,
                         const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext*) {
  if (!CWnd::CreateEx(dwExStyle, "STATIC", lpszWindowName, dwStyle | WS_CHILD | 0x1 | 0x8, rect, pParentWnd, nID))
    return FALSE;
  if (!AfxOleInit() || !CreateBrowser()) {
    ReleaseBrowser();
    DestroyWindow();
    return FALSE;
  }
  return TRUE;
}

BOOL CHtmlCtrl::CreateBrowser() {
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  const DWORD style = 0x50000007;  // child, visible and the control's own bits
  if (g_forceSystemBrowser || SystemHasHtmlEngine()) {
    m_pSite = COleControlSite::Create(CLSID_WebBrowser, m_hWnd, rc, IDC_HTMLCTRL_BROWSER, style);
  }
  if (!m_pSite) {
    HtmlBrowser* ours = HtmlBrowser::Create();
    m_pSite = COleControlSite::CreateFromObject(static_cast<IWebBrowser2*>(ours), m_hWnd, rc,
                                                IDC_HTMLCTRL_BROWSER, style);
    ours->Release();  // the site holds it
    m_bOwnViewer = m_pSite != nullptr;
  }
  if (!m_pSite) return FALSE;
  IUnknown* unk = m_pSite->GetControlUnknown();
  if (!unk || FAILED(unk->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowser)))) {
    m_pBrowser = nullptr;
    return FALSE;
  }
  m_pSink = CEventSink::Create(DIID_DWebBrowserEvents2, this);
  if (!m_pSink->Connect(unk)) {
    m_pSink->Disconnect();
    m_pSink = nullptr;
  }
  RECT r;
  ::GetClientRect(m_hWnd, &r);
  OnSize(0, r.right, r.bottom);
  return TRUE;
}

void CHtmlCtrl::ReleaseBrowser() {
  if (m_pSink) {
    m_pSink->Disconnect();
    m_pSink = nullptr;
  }
  if (m_pBrowser) {
    m_pBrowser->Release();
    m_pBrowser = nullptr;
  }
  if (m_pSite) {
    COleControlSite* site = m_pSite;
    m_pSite = nullptr;
    site->Close();
  }
  m_bOwnViewer = FALSE;
}

IUnknown* CHtmlCtrl::GetControlUnknown() const { return m_pSite ? m_pSite->GetControlUnknown() : nullptr; }

void CHtmlCtrl::OnSize(UINT, int cx, int cy) {
  if (!m_pSite) return;
  // the control's own border lies outside the window
  int bx = ::GetSystemMetrics(SM_CXEDGE), by = ::GetSystemMetrics(SM_CYEDGE);
  RECT r = {-bx, -by, cx + bx, cy + by};
  HWND ctrl = m_pSite->GetControlWindow();
  if (ctrl) ::MoveWindow(ctrl, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  m_pSite->SetRect(r);
}

void CHtmlCtrl::OnPaint() { Default(); }

BOOL CHtmlCtrl::OnEraseBkgnd(CDC*) { return m_pSite ? TRUE : static_cast<BOOL>(Default()); }

void CHtmlCtrl::OnDestroy() {
  ReleaseBrowser();
  Default();
}

void CHtmlCtrl::ExecDocument(const GUID* group, DWORD cmd, DWORD option) {
  LPDISPATCH doc = GetHtmlDocument();
  if (!doc) return;
  IOleCommandTarget* target = nullptr;
  if (SUCCEEDED(doc->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)))) {
    target->Exec(group, cmd, option, nullptr, nullptr);
    target->Release();
  }
  doc->Release();
}

void CHtmlCtrl::OnFilePrint() { ExecDocument(nullptr, OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT); }
void CHtmlCtrl::OnFileSave() { ExecWB(OLECMDID_SAVE, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); }
void CHtmlCtrl::OnFileSaveAs() { ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); }
void CHtmlCtrl::OnEditCopy() { ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); }
LRESULT CHtmlCtrl::OnCopyMessage(WPARAM, LPARAM) {
  OnEditCopy();
  return 0;
}

void CHtmlCtrl::ShowFindDialog() { ExecDocument(&kCmdGroupFind, 1, OLECMDEXECOPT_DODEFAULT); }

BOOL CHtmlCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_pSite) return FALSE;
  // the frame's keys drive the game even while the page has the focus
  CFrameWnd* frame = GetTopLevelFrame();
  if (frame && frame->PreTranslateMessage(pMsg)) return TRUE;
  return m_pSite->TranslateControlAccelerator(pMsg);
}

BOOL CHtmlCtrl::HasFocusWithin() const {
  HWND focus = ::GetFocus();
  return m_hWnd && focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
}

// ---- navigation

void CHtmlCtrl::Go(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName, const char* lpszHeaders,
                   LPVOID lpvPostData, DWORD dwPostDataLen, BOOL bNavigate2) {
  if (!m_pBrowser || !lpszURL) return;
  VARIANT url = VariantText(lpszURL), flags, target = VariantText(lpszTargetFrameName),
          headers = VariantText(lpszHeaders), post;
  VariantInit(&flags);
  V_VT(&flags) = VT_I4;
  V_I4(&flags) = static_cast<LONG>(dwFlags);
  VariantInit(&post);
  if (lpvPostData) {
    if (dwPostDataLen == 0) dwPostDataLen = static_cast<DWORD>(lstrlenA(static_cast<const char*>(lpvPostData)));
    SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, dwPostDataLen);
    if (sa) {
      void* p = nullptr;
      if (SUCCEEDED(SafeArrayAccessData(sa, &p))) {
        memcpy(p, lpvPostData, dwPostDataLen);
        SafeArrayUnaccessData(sa);
      }
      V_VT(&post) = VT_ARRAY | VT_UI1;
      V_ARRAY(&post) = sa;
    }
  }
  if (bNavigate2) m_pBrowser->Navigate2(&url, &flags, &target, &post, &headers);
  else m_pBrowser->Navigate(V_BSTR(&url), &flags, &target, &post, &headers);
  VariantClear(&url);
  VariantClear(&target);
  VariantClear(&headers);
  VariantClear(&post);
}

void CHtmlCtrl::Navigate(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName,
                         const char* lpszHeaders, LPVOID lpvPostData, DWORD dwPostDataLen) {
  Go(lpszURL, dwFlags, lpszTargetFrameName, lpszHeaders, lpvPostData, dwPostDataLen, FALSE);
}

void CHtmlCtrl::Navigate2(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName,
                          const char* lpszHeaders, LPVOID lpvPostData, DWORD dwPostDataLen) {
  Go(lpszURL, dwFlags, lpszTargetFrameName, lpszHeaders, lpvPostData, dwPostDataLen, TRUE);
}

void CHtmlCtrl::Navigate2Pidl(LPCITEMIDLIST pIDL, DWORD dwFlags, const char* lpszTargetFrameName) {
  if (!m_pBrowser || !pIDL) return;
  UINT size = ILGetSize(pIDL);
  SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, size);
  if (!sa) return;
  void* p = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(sa, &p))) {
    memcpy(p, pIDL, size);
    SafeArrayUnaccessData(sa);
  }
  VARIANT pidl, flags, target = VariantText(lpszTargetFrameName), empty;
  VariantInit(&pidl);
  V_VT(&pidl) = VT_ARRAY | VT_UI1;
  V_ARRAY(&pidl) = sa;
  VariantInit(&flags);
  V_VT(&flags) = VT_I4;
  V_I4(&flags) = static_cast<LONG>(dwFlags);
  VariantInit(&empty);
  m_pBrowser->Navigate2(&pidl, &flags, &target, &empty, &empty);
  VariantClear(&pidl);
  VariantClear(&target);
}

void CHtmlCtrl::Navigate2Post(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName,
                              const VARIANT& postData, const char* lpszHeaders) {
  if (!m_pBrowser || !lpszURL) return;
  VARIANT url = VariantText(lpszURL), flags, target = VariantText(lpszTargetFrameName),
          headers = VariantText(lpszHeaders);
  VariantInit(&flags);
  V_VT(&flags) = VT_I4;
  V_I4(&flags) = static_cast<LONG>(dwFlags);
  VARIANT post = postData;
  m_pBrowser->Navigate2(&url, &flags, &target, &post, &headers);
  VariantClear(&url);
  VariantClear(&target);
  VariantClear(&headers);
}

BOOL CHtmlCtrl::LoadFromResource(const char* lpszResource) {
  if (!m_pBrowser || !lpszResource) return FALSE;
  char module[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return FALSE;
  CString url;
  url.Format("res://%s/%s", module, lpszResource);
  Navigate2(url);
  return TRUE;
}

BOOL CHtmlCtrl::LoadFromResourceId(UINT nRes) {
  if (!m_pBrowser) return FALSE;
  char module[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return FALSE;
  CString url;
  url.Format("res://%s/%d", module, static_cast<int>(nRes));
  Navigate2(url);
  return TRUE;
}

// ---- properties

BOOL CHtmlCtrl::GetBool(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(VARIANT_BOOL*)) const {
  VARIANT_BOOL b = VARIANT_FALSE;
  if (!m_pBrowser || FAILED((m_pBrowser->*get)(&b))) return FALSE;
  return b != VARIANT_FALSE;
}

long CHtmlCtrl::GetLong(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(LONG*)) const {
  LONG v = 0;
  if (!m_pBrowser || FAILED((m_pBrowser->*get)(&v))) return 0;
  return v;
}

CString CHtmlCtrl::GetText(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(BSTR*)) const {
  BSTR b = nullptr;
  if (!m_pBrowser || FAILED((m_pBrowser->*get)(&b)) || !b) return CString();
  CString s = HtmlCtrlNarrow(b, static_cast<int>(SysStringLen(b)));
  SysFreeString(b);
  return s;
}

LPDISPATCH CHtmlCtrl::GetDispatch(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(IDispatch**)) const {
  IDispatch* d = nullptr;
  if (!m_pBrowser || FAILED((m_pBrowser->*get)(&d))) return nullptr;
  return d;
}

CString CHtmlCtrl::GetType() const { return GetText(&IWebBrowser2::get_Type); }
long CHtmlCtrl::GetLeft() const { return GetLong(&IWebBrowser2::get_Left); }
long CHtmlCtrl::GetTop() const { return GetLong(&IWebBrowser2::get_Top); }
long CHtmlCtrl::GetHeight() const { return GetLong(&IWebBrowser2::get_Height); }
int CHtmlCtrl::GetToolBar() const {
  int v = 0;
  if (m_pBrowser) m_pBrowser->get_ToolBar(&v);
  return v;
}
BOOL CHtmlCtrl::GetVisible() const { return GetBool(&IWebBrowser2::get_Visible); }
CString CHtmlCtrl::GetLocationName() const { return GetText(&IWebBrowser2::get_LocationName); }
CString CHtmlCtrl::GetLocationURL() const { return GetText(&IWebBrowser2::get_LocationURL); }
BOOL CHtmlCtrl::GetBusy() const { return GetBool(&IWebBrowser2::get_Busy); }
READYSTATE CHtmlCtrl::GetReadyState() const {
  READYSTATE r = READYSTATE_UNINITIALIZED;
  if (m_pBrowser) m_pBrowser->get_ReadyState(&r);
  return r;
}
BOOL CHtmlCtrl::GetOffline() const { return GetBool(&IWebBrowser2::get_Offline); }
BOOL CHtmlCtrl::GetSilent() const { return GetBool(&IWebBrowser2::get_Silent); }
LPDISPATCH CHtmlCtrl::GetApplication() const { return GetDispatch(&IWebBrowser2::get_Application); }
LPDISPATCH CHtmlCtrl::GetParentBrowser() const { return GetDispatch(&IWebBrowser2::get_Parent); }
LPDISPATCH CHtmlCtrl::GetContainer() const { return GetDispatch(&IWebBrowser2::get_Container); }
LPDISPATCH CHtmlCtrl::GetHtmlDocument() const { return GetDispatch(&IWebBrowser2::get_Document); }
BOOL CHtmlCtrl::GetTopLevelContainer() const { return GetBool(&IWebBrowser2::get_TopLevelContainer); }
BOOL CHtmlCtrl::GetMenuBar() const { return GetBool(&IWebBrowser2::get_MenuBar); }
BOOL CHtmlCtrl::GetFullScreen() const { return GetBool(&IWebBrowser2::get_FullScreen); }
BOOL CHtmlCtrl::GetStatusBar() const { return GetBool(&IWebBrowser2::get_StatusBar); }
BOOL CHtmlCtrl::GetRegisterAsBrowser() const { return GetBool(&IWebBrowser2::get_RegisterAsBrowser); }
BOOL CHtmlCtrl::GetRegisterAsDropTarget() const { return GetBool(&IWebBrowser2::get_RegisterAsDropTarget); }
BOOL CHtmlCtrl::GetTheaterMode() const { return GetBool(&IWebBrowser2::get_TheaterMode); }
BOOL CHtmlCtrl::GetAddressBar() const { return GetBool(&IWebBrowser2::get_AddressBar); }
CString CHtmlCtrl::GetFullName() const { return GetText(&IWebBrowser2::get_FullName); }

OLECMDF CHtmlCtrl::QueryStatusWB(OLECMDID cmdID) const {
  OLECMDF f = static_cast<OLECMDF>(0);
  if (m_pBrowser) m_pBrowser->QueryStatusWB(cmdID, &f);
  return f;
}

void CHtmlCtrl::ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) {
  if (m_pBrowser) m_pBrowser->ExecWB(cmdID, cmdexecopt, pvaIn, pvaOut);
}

BOOL CHtmlCtrl::PutProperty(const char* lpszProperty, const VARIANT& vtValue) {
  if (!m_pBrowser || !lpszProperty) return FALSE;
  BSTR name = HtmlCtrlWide(lpszProperty);
  HRESULT hr = m_pBrowser->PutProperty(name, vtValue);
  SysFreeString(name);
  return SUCCEEDED(hr);
}

BOOL CHtmlCtrl::GetProperty(const char* lpszProperty, CString& strValue) {
  if (!m_pBrowser || !lpszProperty) return FALSE;
  BSTR name = HtmlCtrlWide(lpszProperty);
  VARIANT v;
  VariantInit(&v);
  HRESULT hr = m_pBrowser->GetProperty(name, &v);
  SysFreeString(name);
  BOOL ok = SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR));
  if (ok) strValue = HtmlCtrlNarrow(V_BSTR(&v), static_cast<int>(SysStringLen(V_BSTR(&v))));
  VariantClear(&v);
  return ok;
}

VARIANT CHtmlCtrl::GetPropertyVariant(const char* lpszProperty) {
  VARIANT result;
  VariantInit(&result);
  if (!m_pBrowser || !lpszProperty) return result;
  VARIANT arg;
  V_VT(&arg) = VT_BSTR;
  V_BSTR(&arg) = HtmlCtrlWide(lpszProperty);
  DISPPARAMS params = {&arg, nullptr, 1, 0};
  if (FAILED(m_pBrowser->Invoke(kDispGetProperty, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                nullptr, nullptr)))
    VariantInit(&result);
  VariantClear(&arg);
  return result;
}

// ---- zoom

void CHtmlCtrl::SetZoom(int nPercent) {
  VARIANT in;
  VariantInit(&in);
  V_VT(&in) = VT_I4;
  V_I4(&in) = nPercent;
  ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &in, nullptr);
}

int CHtmlCtrl::GetZoom() {
  if (!m_pBrowser) return kZoomDefault;
  VARIANT out;
  VariantInit(&out);
  HRESULT hr = m_pBrowser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &out);
  int zoom = kZoomDefault;
  if (SUCCEEDED(hr) && V_VT(&out) == VT_I4 && V_I4(&out) >= 1) zoom = V_I4(&out);
  VariantClear(&out);
  return zoom;
}

void CHtmlCtrl::GetZoomRange(int* pnMin, int* pnMax) {
  int lo = kZoomMin, hi = kZoomMax;
  if (m_pBrowser) {
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = m_pBrowser->ExecWB(OLECMDID_OPTICAL_GETZOOMRANGE, OLECMDEXECOPT_DONTPROMPTUSER,
                                    nullptr, &out);
    if (SUCCEEDED(hr) && V_VT(&out) == VT_I4 && V_I4(&out) > 0) {
      lo = LOWORD(V_I4(&out));
      hi = HIWORD(V_I4(&out));
    }
    VariantClear(&out);
  }
  if (pnMin) *pnMin = lo;
  if (pnMax) *pnMax = hi;
}
