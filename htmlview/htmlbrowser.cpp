#include "htmlview/htmlbrowser.h"

#include <exdispid.h>
#include <olectl.h>

#include <algorithm>

#include "htmlview/htmlfetch.h"
#include "htmlview/htmllimits.h"
#include "htmlview/htmlurl.h"

namespace {

// failure codes of the real control's NavigateError
const LONG kErrNotFound = static_cast<LONG>(0x800C0005);      // INET_E_RESOURCE_NOT_FOUND
const LONG kErrDownload = static_cast<LONG>(0x800C0008);      // INET_E_DOWNLOAD_FAILURE
const LONG kErrUnknownScheme = static_cast<LONG>(0x800C000D);  // INET_E_UNKNOWN_PROTOCOL

BSTR MakeBstr(const HtmlString& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

HtmlString Escape(const HtmlString& s) {
  HtmlString out;
  for (WideChar c : s) {
    if (c == '&') out += L"&amp;";
    else if (c == '<') out += L"&lt;";
    else if (c == '>') out += L"&gt;";
    else out.push_back(c);
  }
  return out;
}

// The page shown when a page cannot be loaded.
std::unique_ptr<HtmlDocument> ErrorPage(const HtmlString& url) {
  HtmlString shown = HtmlUrlClassify(url) == HtmlUrlKind::kFile ? HtmlUrlToPath(url) : url;
  wchar_t text[64];
  MultiByteToWideChar(1252, 0, "Die Seite %s konnte nicht geladen werden.", -1, text, 64);
  HtmlString message(text);
  size_t at = message.find(L"%s");
  message.replace(at, 2, Escape(shown));
  std::unique_ptr<HtmlDocument> doc(new HtmlDocument);
  HtmlParse(L"<title>" + Escape(url) + L"</title><p>" + message + L"</p>", *doc);
  return doc;
}

}  // namespace

// ------------------------------------------------------------ the event point

STDMETHODIMP HtmlEventPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HtmlEventPoint::AddRef() { return static_cast<IWebBrowser2*>(m_owner)->AddRef(); }
STDMETHODIMP_(ULONG) HtmlEventPoint::Release() { return static_cast<IWebBrowser2*>(m_owner)->Release(); }

STDMETHODIMP HtmlEventPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = DIID_DWebBrowserEvents2;
  return S_OK;
}

STDMETHODIMP HtmlEventPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = m_owner;
  AddRef();
  return S_OK;
}

STDMETHODIMP HtmlEventPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (!pUnkSink || !pdwCookie) return E_POINTER;
  IDispatch* sink = nullptr;
  if (FAILED(pUnkSink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&sink))) &&
      FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink))))
    return CONNECT_E_CANNOTCONNECT;
  *pdwCookie = m_nextCookie++;
  m_sinks.emplace_back(*pdwCookie, sink);
  return S_OK;
}

STDMETHODIMP HtmlEventPoint::Unadvise(DWORD dwCookie) {
  for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
    if (it->first == dwCookie) {
      IDispatch* sink = it->second;
      m_sinks.erase(it);
      sink->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

namespace {

// A snapshot of the connections, each sink held.
class ConnectionList final : public IEnumConnections {
 public:
  explicit ConnectionList(const std::vector<std::pair<DWORD, IDispatch*>>& sinks) : m_sinks(sinks) {
    for (auto& s : m_sinks) s.second->AddRef();
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IEnumConnections) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = --m_cRef;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP Next(ULONG count, CONNECTDATA* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    ULONG n = 0;
    for (; n < count && m_pos < m_sinks.size(); ++n, ++m_pos) {
      out[n].pUnk = m_sinks[m_pos].second;
      out[n].pUnk->AddRef();
      out[n].dwCookie = m_sinks[m_pos].first;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    m_pos = std::min(m_sinks.size(), m_pos + static_cast<size_t>(count));
    return m_pos < m_sinks.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    m_pos = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumConnections** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    ConnectionList* copy = new ConnectionList(m_sinks);
    copy->m_pos = m_pos;
    *ppEnum = copy;
    return S_OK;
  }

 private:
  ~ConnectionList() {
    for (auto& s : m_sinks) s.second->Release();
  }
  LONG m_cRef = 1;
  std::vector<std::pair<DWORD, IDispatch*>> m_sinks;
  size_t m_pos = 0;
};

}  // namespace

STDMETHODIMP HtmlEventPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = new ConnectionList(m_sinks);
  return S_OK;
}

void HtmlEventPoint::Fire(DISPID dispid, VARIANTARG* args, UINT count) {
  // a handler may unadvise: call the sinks of the moment, each held
  std::vector<IDispatch*> sinks;
  for (auto& s : m_sinks) {
    s.second->AddRef();
    sinks.push_back(s.second);
  }
  DISPPARAMS params = {args, nullptr, count, 0};
  for (IDispatch* sink : sinks) {
    sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    sink->Release();
  }
}

void HtmlEventPoint::DropAll() {
  std::vector<std::pair<DWORD, IDispatch*>> sinks;
  sinks.swap(m_sinks);
  for (auto& s : sinks) s.second->Release();
}

// ------------------------------------------------------------ the browser

HtmlBrowser* HtmlBrowser::Create() { return new HtmlBrowser; }

HtmlBrowser::HtmlBrowser() : m_events(this) {}

HtmlBrowser::~HtmlBrowser() {
  m_window.Destroy();
  for (auto& p : m_properties) VariantClear(&p.second);
  if (m_site) m_site->Release();
}

STDMETHODIMP HtmlBrowser::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp ||
      riid == IID_IWebBrowser2)
    *ppv = static_cast<IWebBrowser2*>(this);
  else if (riid == IID_IOleObject)
    *ppv = static_cast<IOleObject*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
    *ppv = static_cast<IOleInPlaceObject*>(this);
  else if (riid == IID_IOleInPlaceActiveObject)
    *ppv = static_cast<IOleInPlaceActiveObject*>(this);
  else if (riid == IID_IOleCommandTarget)
    *ppv = static_cast<IOleCommandTarget*>(this);
  else if (riid == IID_IConnectionPointContainer)
    *ppv = static_cast<IConnectionPointContainer*>(this);
  else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) HtmlBrowser::AddRef() { return static_cast<ULONG>(++m_cRef); }

STDMETHODIMP_(ULONG) HtmlBrowser::Release() {
  LONG n = --m_cRef;
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP HtmlBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  if (riid != DIID_DWebBrowserEvents2) {
    *ppCP = nullptr;
    return CONNECT_E_NOCONNECTION;
  }
  *ppCP = &m_events;
  m_events.AddRef();
  return S_OK;
}

// ---- events

void HtmlBrowser::FireText(DISPID dispid, const HtmlString& text) {
  VARIANTARG arg;
  V_VT(&arg) = VT_BSTR;
  V_BSTR(&arg) = MakeBstr(text);
  m_events.Fire(dispid, &arg, 1);
  VariantClear(&arg);
}

void HtmlBrowser::FireBool(DISPID dispid, bool value) {
  VARIANTARG arg;
  V_VT(&arg) = VT_BOOL;
  V_BOOL(&arg) = value ? VARIANT_TRUE : VARIANT_FALSE;
  m_events.Fire(dispid, &arg, 1);
}

// NavigateComplete2 and DocumentComplete: (pDisp, URL by reference)
void HtmlBrowser::FireUrl(DISPID dispid, const HtmlString& url) {
  VARIANT urlValue;
  V_VT(&urlValue) = VT_BSTR;
  V_BSTR(&urlValue) = MakeBstr(url);
  VARIANTARG args[2];
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = static_cast<IWebBrowser2*>(this);
  V_VT(&args[0]) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&args[0]) = &urlValue;
  m_events.Fire(dispid, args, 2);
  VariantClear(&urlValue);
}

bool HtmlBrowser::FireBeforeNavigate2(const HtmlString& url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                                      VARIANT* headers) {
  VARIANT vUrl, vFlags, vTarget, vPost, vHeaders;
  V_VT(&vUrl) = VT_BSTR;
  V_BSTR(&vUrl) = MakeBstr(url);
  VariantInit(&vFlags);
  V_VT(&vFlags) = VT_I4;
  V_I4(&vFlags) = 0;
  if (flags && V_VT(flags) != VT_EMPTY && V_VT(flags) != VT_ERROR) VariantChangeType(&vFlags, flags, 0, VT_I4);
  VariantInit(&vTarget);
  if (!target || FAILED(VariantChangeType(&vTarget, target, 0, VT_BSTR))) {
    V_VT(&vTarget) = VT_BSTR;
    V_BSTR(&vTarget) = SysAllocString(L"");
  }
  VariantInit(&vPost);
  if (postData && (V_VT(postData) & VT_ARRAY)) VariantCopy(&vPost, postData);
  VariantInit(&vHeaders);
  if (!headers || FAILED(VariantChangeType(&vHeaders, headers, 0, VT_BSTR))) {
    V_VT(&vHeaders) = VT_BSTR;
    V_BSTR(&vHeaders) = SysAllocString(L"");
  }
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANTARG args[7];
  V_VT(&args[6]) = VT_DISPATCH;
  V_DISPATCH(&args[6]) = static_cast<IWebBrowser2*>(this);
  VARIANT* refs[5] = {&vUrl, &vFlags, &vTarget, &vPost, &vHeaders};
  for (int i = 0; i < 5; ++i) {
    V_VT(&args[5 - i]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[5 - i]) = refs[i];
  }
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  m_events.Fire(DISPID_BEFORENAVIGATE2, args, 7);
  for (VARIANT* v : refs) VariantClear(v);
  return cancel != VARIANT_FALSE;
}

bool HtmlBrowser::FireNavigateError(const HtmlString& url, LONG status) {
  VARIANT vUrl, vFrame, vStatus;
  V_VT(&vUrl) = VT_BSTR;
  V_BSTR(&vUrl) = MakeBstr(url);
  V_VT(&vFrame) = VT_BSTR;
  V_BSTR(&vFrame) = SysAllocString(L"");
  V_VT(&vStatus) = VT_I4;
  V_I4(&vStatus) = status;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANTARG args[5];
  V_VT(&args[4]) = VT_DISPATCH;
  V_DISPATCH(&args[4]) = static_cast<IWebBrowser2*>(this);
  VARIANT* refs[3] = {&vUrl, &vFrame, &vStatus};
  for (int i = 0; i < 3; ++i) {
    V_VT(&args[3 - i]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[3 - i]) = refs[i];
  }
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &cancel;
  m_events.Fire(DISPID_NAVIGATEERROR, args, 5);
  for (VARIANT* v : refs) VariantClear(v);
  return cancel != VARIANT_FALSE;
}

// ---- navigation

HRESULT HtmlBrowser::Go(const HtmlString& urlIn, VARIANT* flags, VARIANT* target, VARIANT* postData,
                        VARIANT* headers) {
  if (m_closed || !m_window.Handle()) return E_FAIL;
  HtmlString url = HtmlResolveUrl(m_url, urlIn);
  unsigned before = m_serial;
  AddRef();
  bool cancel = FireBeforeNavigate2(url, flags, target, postData, headers);
  bool stale = Superseded(before);  // a handler navigated elsewhere
  if (!cancel && !stale) {
    ++m_serial;
    m_pendingUrl = url;
    m_readyState = READYSTATE_LOADING;
    m_window.PostContinue(m_serial);
  }
  Release();
  return S_OK;
}

void HtmlBrowser::OnContinue(WPARAM token) {
  unsigned serial = static_cast<unsigned>(token);
  if (Superseded(serial)) return;
  AddRef();  // a handler may release the last other reference
  HtmlString url = m_pendingUrl;
  m_busy = true;
  m_events.Fire(DISPID_DOWNLOADBEGIN, nullptr, 0);
  std::unique_ptr<HtmlDocument> doc;
  std::vector<uint8_t> bytes;
  bool read = false;
  bool stop = Superseded(serial);
  if (!stop) {
    HtmlFetchResult r = HtmlFetch(url, kHtmlMaxPageBytes, bytes);
    if (r == kHtmlFetchOk) {
      read = true;
      doc.reset(new HtmlDocument);
      HtmlParseBytes(bytes.data(), bytes.size(), *doc);
    } else {
      LONG status = r == kHtmlFetchTooLarge ? kErrDownload : r == kHtmlFetchRefused ? kErrUnknownScheme : kErrNotFound;
      bool cancel = FireNavigateError(url, status);
      stop = Superseded(serial);
      if (!stop && cancel) {
        // the old page stays
        m_busy = false;
        m_readyState = m_url.empty() ? READYSTATE_UNINITIALIZED : READYSTATE_COMPLETE;
        m_events.Fire(DISPID_DOWNLOADCOMPLETE, nullptr, 0);
        stop = true;
      }
      if (!stop) doc = ErrorPage(url);
    }
  }
  if (!stop) {
    m_url = url;
    m_title = doc->title;
    m_source.swap(bytes);
    m_hasSource = read;
    m_window.ShowPage(std::move(doc), url);
    m_readyState = READYSTATE_INTERACTIVE;
    FireUrl(DISPID_NAVIGATECOMPLETE2, url);
    stop = Superseded(serial);
  }
  if (!stop) {
    FireText(DISPID_TITLECHANGE, m_title.empty() ? m_url : m_title);
    stop = Superseded(serial);
  }
  if (!stop) {
    m_busy = false;
    m_events.Fire(DISPID_DOWNLOADCOMPLETE, nullptr, 0);
    stop = Superseded(serial);
  }
  if (!stop) {
    m_readyState = READYSTATE_COMPLETE;
    FireUrl(DISPID_DOCUMENTCOMPLETE, url);
  }
  Release();
}

void HtmlBrowser::OnLinkHover(const HtmlString& url) {
  if (!m_closed) FireText(DISPID_STATUSTEXTCHANGE, url);
}

void HtmlBrowser::OnLinkClick(const HtmlString& url) {
  HtmlUrlKind kind = HtmlUrlClassify(url);
  // network, mail and script links are not followed
  if (kind == HtmlUrlKind::kFile || kind == HtmlUrlKind::kRes) Go(url, nullptr, nullptr, nullptr, nullptr);
}

STDMETHODIMP HtmlBrowser::Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                   VARIANT* Headers) {
  if (!URL) return E_INVALIDARG;
  return Go(HtmlString(URL, SysStringLen(URL)), Flags, TargetFrameName, PostData, Headers);
}

STDMETHODIMP HtmlBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                    VARIANT* Headers) {
  if (!URL) return E_INVALIDARG;
  VARIANT* v = V_VT(URL) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(URL) : URL;
  BSTR text = V_VT(v) == VT_BSTR ? V_BSTR(v) : V_VT(v) == (VT_BSTR | VT_BYREF) ? *V_BSTRREF(v) : nullptr;
  if (!text) return E_INVALIDARG;  // item-id lists are not pages of ours
  return Go(HtmlString(text, SysStringLen(text)), Flags, TargetFrameName, PostData, Headers);
}

// ---- in-place object

STDMETHODIMP HtmlBrowser::SetClientSite(IOleClientSite* pClientSite) {
  if (pClientSite) pClientSite->AddRef();
  if (m_site) m_site->Release();
  m_site = pClientSite;
  return S_OK;
}

STDMETHODIMP HtmlBrowser::GetClientSite(IOleClientSite** ppClientSite) {
  if (!ppClientSite) return E_POINTER;
  *ppClientSite = m_site;
  if (m_site) m_site->AddRef();
  return S_OK;
}

STDMETHODIMP HtmlBrowser::Close(DWORD) {
  AddRef();
  InPlaceDeactivate();
  m_closed = true;
  m_events.DropAll();
  SetClientSite(nullptr);
  Release();
  return S_OK;
}

STDMETHODIMP HtmlBrowser::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  if (ppmk) *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP HtmlBrowser::GetClipboardData(DWORD, IDataObject** ppDataObject) {
  if (ppDataObject) *ppDataObject = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP HtmlBrowser::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                                 LPCRECT lprcPosRect) {
  if (m_closed) return E_UNEXPECTED;
  if (iVerb == OLEIVERB_HIDE) {
    if (m_window.Handle()) ShowWindow(m_window.Handle(), SW_HIDE);
    return S_OK;
  }
  IOleClientSite* site = pActiveSite ? pActiveSite : m_site;
  IOleInPlaceSite* ips = nullptr;
  if (site) site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips));
  HRESULT hr = S_OK;
  if (!m_window.Handle()) {
    RECT pos = lprcPosRect ? *lprcPosRect : RECT{0, 0, 300, 150};
    HWND parent = hwndParent;
    if (ips) {
      if (ips->CanInPlaceActivate() != S_OK) {
        ips->Release();
        return E_FAIL;
      }
      ips->OnInPlaceActivate();
      IOleInPlaceFrame* frame = nullptr;
      IOleInPlaceUIWindow* doc = nullptr;
      RECT clip;
      OLEINPLACEFRAMEINFO info = {sizeof info};
      if (SUCCEEDED(ips->GetWindowContext(&frame, &doc, &pos, &clip, &info))) {
        if (frame) frame->Release();
        if (doc) doc->Release();
      }
      if (!parent) ips->GetWindow(&parent);
    }
    if (!parent || !m_window.Create(parent, pos, this)) hr = E_FAIL;
  }
  if (SUCCEEDED(hr) && (iVerb == OLEIVERB_UIACTIVATE || iVerb == OLEIVERB_PRIMARY || iVerb == OLEIVERB_SHOW)) {
    ShowWindow(m_window.Handle(), SW_SHOW);
    if (iVerb != OLEIVERB_SHOW) {
      if (ips) ips->OnUIActivate();
      SetFocus(m_window.Handle());
    }
  }
  if (ips) ips->Release();
  return hr;
}

STDMETHODIMP HtmlBrowser::GetMiscStatus(DWORD, DWORD* pdwStatus) {
  if (!pdwStatus) return E_POINTER;
  *pdwStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
               OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

STDMETHODIMP HtmlBrowser::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_window.Handle();
  return *phwnd ? S_OK : E_FAIL;
}

STDMETHODIMP HtmlBrowser::InPlaceDeactivate() {
  if (!m_window.Handle()) return S_OK;
  m_window.Destroy();
  IOleInPlaceSite* ips = nullptr;
  if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips)))) {
    ips->OnInPlaceDeactivate();
    ips->Release();
  }
  return S_OK;
}

STDMETHODIMP HtmlBrowser::SetObjectRects(LPCRECT lprcPosRect, LPCRECT) {
  if (!lprcPosRect) return E_POINTER;
  if (m_window.Handle())
    MoveWindow(m_window.Handle(), lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
               lprcPosRect->bottom - lprcPosRect->top, TRUE);
  return S_OK;
}

STDMETHODIMP HtmlBrowser::TranslateAccelerator(LPMSG msg) {
  if (!msg || !m_window.Handle() || msg->message != WM_KEYDOWN) return S_FALSE;
  if (msg->hwnd != m_window.Handle() && !IsChild(m_window.Handle(), msg->hwnd)) return S_FALSE;
  if ((msg->wParam == 'C' || msg->wParam == VK_INSERT) && GetKeyState(VK_CONTROL) < 0) {
    m_window.CopyText();
    return S_OK;
  }
  return S_FALSE;
}
