// The browser's properties, commands and dispatch interface.
#include "htmlview/htmlbrowser.h"

#include <commdlg.h>
#include <exdispid.h>
#include <stdio.h>

#include <string>

#include "files/fileops.h"
#include "htmlview/htmllimits.h"
#include "htmlview/htmlurl.h"

namespace {

const DISPID kDispPutProperty = 302;
const DISPID kDispGetProperty = 303;

HRESULT Text(const HtmlString& s, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return *out || s.empty() ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// ---- IDispatch

STDMETHODIMP HtmlBrowser::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo) *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP HtmlBrowser::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP HtmlBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP HtmlBrowser::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* pResult,
                                 EXCEPINFO*, UINT* puArgErr) {
  if (dispid != kDispGetProperty && dispid != kDispPutProperty) return DISP_E_MEMBERNOTFOUND;
  UINT want = dispid == kDispGetProperty ? 1 : 2;
  if (!params || params->cArgs != want) return DISP_E_BADPARAMCOUNT;
  VARIANT* name = &params->rgvarg[want - 1];
  if (V_VT(name) == (VT_VARIANT | VT_BYREF)) name = V_VARIANTREF(name);
  if (V_VT(name) != VT_BSTR) {
    if (puArgErr) *puArgErr = want - 1;
    return DISP_E_TYPEMISMATCH;
  }
  if (dispid == kDispPutProperty) return PutProperty(V_BSTR(name), params->rgvarg[0]);
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = GetProperty(V_BSTR(name), &value);
  if (pResult) *pResult = value;
  else VariantClear(&value);
  return hr;
}

// ---- IWebBrowser

STDMETHODIMP HtmlBrowser::get_Application(IDispatch** ppDisp) {
  if (!ppDisp) return E_POINTER;
  *ppDisp = static_cast<IWebBrowser2*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP HtmlBrowser::get_Parent(IDispatch** ppDisp) { return get_Application(ppDisp); }

STDMETHODIMP HtmlBrowser::get_Container(IDispatch** ppDisp) {
  if (!ppDisp) return E_POINTER;
  *ppDisp = nullptr;
  return S_OK;
}

// No document object: printing and the find dialog find nothing to call.
STDMETHODIMP HtmlBrowser::get_Document(IDispatch** ppDisp) {
  if (!ppDisp) return E_POINTER;
  *ppDisp = nullptr;
  return S_OK;
}

STDMETHODIMP HtmlBrowser::get_TopLevelContainer(VARIANT_BOOL* pBool) { return GetFlag(VARIANT_FALSE, pBool); }

STDMETHODIMP HtmlBrowser::get_Type(BSTR* Type) {
  if (!Type) return E_POINTER;
  *Type = nullptr;
  return m_url.empty() ? S_OK : Text(L"HTML Document", Type);
}

HRESULT HtmlBrowser::GetRect(RECT* r) {
  if (!m_window.Handle()) return E_FAIL;
  GetWindowRect(m_window.Handle(), r);
  MapWindowPoints(nullptr, GetParent(m_window.Handle()), reinterpret_cast<POINT*>(r), 2);
  return S_OK;
}

HRESULT HtmlBrowser::Move(const LONG* left, const LONG* top, const LONG* width, const LONG* height) {
  RECT r;
  if (FAILED(GetRect(&r))) return E_FAIL;
  LONG x = left ? *left : r.left, y = top ? *top : r.top;
  LONG w = width ? *width : r.right - r.left, h = height ? *height : r.bottom - r.top;
  MoveWindow(m_window.Handle(), x, y, w, h, TRUE);
  return S_OK;
}

STDMETHODIMP HtmlBrowser::get_Left(LONG* pl) {
  RECT r;
  if (!pl) return E_POINTER;
  if (FAILED(GetRect(&r))) return E_FAIL;
  *pl = r.left;
  return S_OK;
}
STDMETHODIMP HtmlBrowser::get_Top(LONG* pl) {
  RECT r;
  if (!pl) return E_POINTER;
  if (FAILED(GetRect(&r))) return E_FAIL;
  *pl = r.top;
  return S_OK;
}
STDMETHODIMP HtmlBrowser::get_Width(LONG* pl) {
  RECT r;
  if (!pl) return E_POINTER;
  if (FAILED(GetRect(&r))) return E_FAIL;
  *pl = r.right - r.left;
  return S_OK;
}
STDMETHODIMP HtmlBrowser::get_Height(LONG* pl) {
  RECT r;
  if (!pl) return E_POINTER;
  if (FAILED(GetRect(&r))) return E_FAIL;
  *pl = r.bottom - r.top;
  return S_OK;
}
STDMETHODIMP HtmlBrowser::put_Left(LONG v) { return Move(&v, nullptr, nullptr, nullptr); }
STDMETHODIMP HtmlBrowser::put_Top(LONG v) { return Move(nullptr, &v, nullptr, nullptr); }
STDMETHODIMP HtmlBrowser::put_Width(LONG v) { return Move(nullptr, nullptr, &v, nullptr); }
STDMETHODIMP HtmlBrowser::put_Height(LONG v) { return Move(nullptr, nullptr, nullptr, &v); }

STDMETHODIMP HtmlBrowser::get_LocationName(BSTR* LocationName) {
  return Text(m_title.empty() ? m_url : m_title, LocationName);
}

STDMETHODIMP HtmlBrowser::get_LocationURL(BSTR* LocationURL) { return Text(m_url, LocationURL); }

STDMETHODIMP HtmlBrowser::get_Busy(VARIANT_BOOL* pBool) { return GetFlag(m_busy ? VARIANT_TRUE : VARIANT_FALSE, pBool); }

STDMETHODIMP HtmlBrowser::get_ReadyState(READYSTATE* plReadyState) {
  if (!plReadyState) return E_POINTER;
  *plReadyState = m_readyState;
  return S_OK;
}

// ---- stored flags; those with an event of their own fire it

HRESULT HtmlBrowser::GetFlag(VARIANT_BOOL flag, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = flag;
  return S_OK;
}

HRESULT HtmlBrowser::PutFlag(VARIANT_BOOL* flag, VARIANT_BOOL value, DISPID event) {
  *flag = value ? VARIANT_TRUE : VARIANT_FALSE;
  if (event) FireBool(event, value != VARIANT_FALSE);
  return S_OK;
}

STDMETHODIMP HtmlBrowser::get_Visible(VARIANT_BOOL* p) { return GetFlag(m_visible, p); }
STDMETHODIMP HtmlBrowser::put_Visible(VARIANT_BOOL v) { return PutFlag(&m_visible, v, DISPID_ONVISIBLE); }
STDMETHODIMP HtmlBrowser::get_StatusBar(VARIANT_BOOL* p) { return GetFlag(m_statusBar, p); }
STDMETHODIMP HtmlBrowser::put_StatusBar(VARIANT_BOOL v) { return PutFlag(&m_statusBar, v, DISPID_ONSTATUSBAR); }
STDMETHODIMP HtmlBrowser::get_MenuBar(VARIANT_BOOL* p) { return GetFlag(m_menuBar, p); }
STDMETHODIMP HtmlBrowser::put_MenuBar(VARIANT_BOOL v) { return PutFlag(&m_menuBar, v, DISPID_ONMENUBAR); }
STDMETHODIMP HtmlBrowser::get_FullScreen(VARIANT_BOOL* p) { return GetFlag(m_fullScreen, p); }
STDMETHODIMP HtmlBrowser::put_FullScreen(VARIANT_BOOL v) { return PutFlag(&m_fullScreen, v, DISPID_ONFULLSCREEN); }
STDMETHODIMP HtmlBrowser::get_TheaterMode(VARIANT_BOOL* p) { return GetFlag(m_theaterMode, p); }
STDMETHODIMP HtmlBrowser::put_TheaterMode(VARIANT_BOOL v) { return PutFlag(&m_theaterMode, v, DISPID_ONTHEATERMODE); }
STDMETHODIMP HtmlBrowser::get_Offline(VARIANT_BOOL* p) { return GetFlag(m_offline, p); }
STDMETHODIMP HtmlBrowser::put_Offline(VARIANT_BOOL v) { return PutFlag(&m_offline, v, 0); }
STDMETHODIMP HtmlBrowser::get_Silent(VARIANT_BOOL* p) { return GetFlag(m_silent, p); }
STDMETHODIMP HtmlBrowser::put_Silent(VARIANT_BOOL v) { return PutFlag(&m_silent, v, 0); }
STDMETHODIMP HtmlBrowser::get_RegisterAsBrowser(VARIANT_BOOL* p) { return GetFlag(m_registerAsBrowser, p); }
STDMETHODIMP HtmlBrowser::put_RegisterAsBrowser(VARIANT_BOOL v) { return PutFlag(&m_registerAsBrowser, v, 0); }
STDMETHODIMP HtmlBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* p) { return GetFlag(m_registerAsDropTarget, p); }
STDMETHODIMP HtmlBrowser::put_RegisterAsDropTarget(VARIANT_BOOL v) { return PutFlag(&m_registerAsDropTarget, v, 0); }
STDMETHODIMP HtmlBrowser::get_AddressBar(VARIANT_BOOL* p) { return GetFlag(m_addressBar, p); }
STDMETHODIMP HtmlBrowser::put_AddressBar(VARIANT_BOOL v) { return PutFlag(&m_addressBar, v, 0); }
STDMETHODIMP HtmlBrowser::get_Resizable(VARIANT_BOOL* p) { return GetFlag(m_resizable, p); }
STDMETHODIMP HtmlBrowser::put_Resizable(VARIANT_BOOL v) { return PutFlag(&m_resizable, v, 0); }

STDMETHODIMP HtmlBrowser::get_ToolBar(int* Value) {
  if (!Value) return E_POINTER;
  *Value = m_toolBar;
  return S_OK;
}

STDMETHODIMP HtmlBrowser::put_ToolBar(int Value) {
  m_toolBar = Value;
  FireBool(DISPID_ONTOOLBAR, Value != 0);
  return S_OK;
}

// ---- the property bag of PutProperty/GetProperty

STDMETHODIMP HtmlBrowser::PutProperty(BSTR Property, VARIANT vtValue) {
  if (!Property) return E_INVALIDARG;
  std::wstring name(Property, SysStringLen(Property));
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopyInd(&copy, &vtValue);
  if (FAILED(hr)) return hr;
  auto it = m_properties.find(name);
  if (it != m_properties.end()) {
    VariantClear(&it->second);
    it->second = copy;
  } else {
    m_properties.emplace(name, copy);
  }
  FireText(DISPID_PROPERTYCHANGE, name);
  return S_OK;
}

STDMETHODIMP HtmlBrowser::GetProperty(BSTR Property, VARIANT* pvtValue) {
  if (!Property || !pvtValue) return E_INVALIDARG;
  VariantInit(pvtValue);
  auto it = m_properties.find(std::wstring(Property, SysStringLen(Property)));
  return it == m_properties.end() ? S_OK : VariantCopy(pvtValue, &it->second);
}

// ---- commands: copy, zoom and save-as

STDMETHODIMP HtmlBrowser::QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf) {
  if (!pcmdf) return E_POINTER;
  OLECMD cmd = {static_cast<ULONG>(cmdID), 0};
  HRESULT hr = QueryStatus(nullptr, 1, &cmd, nullptr);
  *pcmdf = static_cast<OLECMDF>(cmd.cmdf);
  return hr;
}

STDMETHODIMP HtmlBrowser::ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) {
  return Exec(nullptr, cmdID, cmdexecopt, pvaIn, pvaOut);
}

STDMETHODIMP HtmlBrowser::QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT*) {
  if (pguidCmdGroup) return OLECMDERR_E_UNKNOWNGROUP;
  if (!prgCmds) return E_POINTER;
  for (ULONG i = 0; i < cCmds; ++i) {
    DWORD f = 0;
    switch (prgCmds[i].cmdID) {
      case OLECMDID_COPY: f = OLECMDF_SUPPORTED | (m_window.Document() ? OLECMDF_ENABLED : 0); break;
      case OLECMDID_SAVEAS: f = OLECMDF_SUPPORTED | (m_hasSource ? OLECMDF_ENABLED : 0); break;
      case OLECMDID_OPTICAL_ZOOM: case OLECMDID_OPTICAL_GETZOOMRANGE: f = OLECMDF_SUPPORTED | OLECMDF_ENABLED; break;
      default: break;
    }
    prgCmds[i].cmdf = f;
  }
  return S_OK;
}

STDMETHODIMP HtmlBrowser::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT* pvaIn, VARIANT* pvaOut) {
  if (pguidCmdGroup) return OLECMDERR_E_UNKNOWNGROUP;
  switch (nCmdID) {
    case OLECMDID_COPY:
      return m_window.CopyText() ? S_OK : OLECMDERR_E_DISABLED;
    case OLECMDID_SAVEAS:
      return m_hasSource ? SavePageAs() : OLECMDERR_E_DISABLED;
    case OLECMDID_OPTICAL_ZOOM:
      if (pvaIn && V_VT(pvaIn) != VT_EMPTY) {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(VariantChangeType(&v, pvaIn, 0, VT_I4))) return E_INVALIDARG;
        m_window.SetZoom(V_I4(&v));
      }
      if (pvaOut) {
        V_VT(pvaOut) = VT_I4;
        V_I4(pvaOut) = m_window.Zoom();
      }
      return S_OK;
    case OLECMDID_OPTICAL_GETZOOMRANGE:
      if (!pvaOut) return E_POINTER;
      V_VT(pvaOut) = VT_I4;
      V_I4(pvaOut) = MAKELONG(kHtmlMinZoom, kHtmlMaxZoom);
      return S_OK;
    default:
      // saving in place, printing and finding are not the viewer's: nothing is shown
      return OLECMDERR_E_NOTSUPPORTED;
  }
}

// ---- save-as: the page alone, byte for byte as it was read. Pictures stay
// behind: the page's references to them are not rewritten, and copying them
// beside the page could overwrite the user's files.

namespace {

// The name the dialog offers: the last part of the page's path or resource
// name, in the ANSI code page.
std::string OfferedName(const HtmlString& url) {
  HtmlString path;
  if (HtmlUrlClassify(url) == HtmlUrlKind::kFile) path = HtmlUrlToPath(url);
  else if (HtmlUrlClassify(url) == HtmlUrlKind::kRes) HtmlSplitResUrl(url, nullptr, &path);
  size_t cut = path.find_last_of(L"\\/:");
  HtmlString name = cut == HtmlString::npos ? path : path.substr(cut + 1);
  std::string out(name.size() * 2 + 1, '\0');
  int n = name.empty() ? 0
                       : WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &out[0],
                                             static_cast<int>(out.size()) - 1, "_", nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

}  // namespace

HRESULT HtmlBrowser::SavePageAs() {
  char file[MAX_PATH] = "";
  std::string offered = OfferedName(m_url);
  if (offered.size() < MAX_PATH) memcpy(file, offered.c_str(), offered.size() + 1);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = m_window.Handle() ? GetAncestor(m_window.Handle(), GA_ROOT) : nullptr;
  ofn.lpstrFilter = "Webseite, nur HTML (*.htm;*.html)\0*.htm;*.html\0Alle Dateien (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = "htm";
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // the page asked for: the dialog's message loop may load another meanwhile
  std::vector<uint8_t> page = m_source;
  AddRef();  // and may let a handler release us
  HRESULT hr = OLECMDERR_E_CANCELED;
  if (GetSaveFileNameA(&ofn)) {
    hr = S_OK;
    // through a temporary and a rename: a failure leaves the old file as it was
    if (FileWriteA(file, page.data(), static_cast<int>(page.size()), 0) < 0) {
      char text[MAX_PATH + 64];
      snprintf(text, sizeof text, "Die Datei '%s' konnte nicht gespeichert werden !", file);
      MessageBoxA(ofn.hwndOwner, text, "Fehler", MB_OK | MB_ICONSTOP);
      hr = E_FAIL;
    }
  }
  Release();
  return hr;
}
