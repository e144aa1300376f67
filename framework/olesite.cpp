#include "framework/olesite.h"

#include <olectl.h>

#include "framework/commondlg.h"

BOOL AfxConnectionAdvise(IUnknown* pUnkSrc, REFIID iid, IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (!pUnkSrc || !pUnkSink || !pdwCookie) return FALSE;
  IConnectionPointContainer* cpc = nullptr;
  if (FAILED(pUnkSrc->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)))) return FALSE;
  IConnectionPoint* cp = nullptr;
  HRESULT hr = cpc->FindConnectionPoint(iid, &cp);
  cpc->Release();
  if (FAILED(hr)) return FALSE;
  hr = cp->Advise(pUnkSink, pdwCookie);
  cp->Release();
  return SUCCEEDED(hr);
}

BOOL AfxConnectionUnadvise(IUnknown* pUnkSrc, REFIID iid, DWORD dwCookie) {
  if (!pUnkSrc) return FALSE;
  IConnectionPointContainer* cpc = nullptr;
  if (FAILED(pUnkSrc->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)))) return FALSE;
  IConnectionPoint* cp = nullptr;
  HRESULT hr = cpc->FindConnectionPoint(iid, &cp);
  cpc->Release();
  if (FAILED(hr)) return FALSE;
  hr = cp->Unadvise(dwCookie);
  cp->Release();
  return SUCCEEDED(hr);
}

COleControlSite::COleControlSite(HWND hWndParent, const RECT& rect) : m_hWndParent(hWndParent), m_rect(rect) {}

COleControlSite::~COleControlSite() = default;

COleControlSite* COleControlSite::Create(REFCLSID clsid, HWND hWndParent, const RECT& rect, UINT nID,
                                         DWORD dwStyle) {
  if (!hWndParent || !AfxOleInit()) return nullptr;
  COleControlSite* site = new COleControlSite(hWndParent, rect);
  HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&site->m_pObject));
  if (FAILED(hr)) {
    site->Close();
    return nullptr;
  }
  return Activate(site, nID, dwStyle);
}

COleControlSite* COleControlSite::CreateFromObject(IUnknown* object, HWND hWndParent, const RECT& rect, UINT nID,
                                                   DWORD dwStyle) {
  if (!object || !hWndParent || !AfxOleInit()) return nullptr;
  COleControlSite* site = new COleControlSite(hWndParent, rect);
  if (FAILED(object->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&site->m_pObject)))) {
    site->Close();
    return nullptr;
  }
  return Activate(site, nID, dwStyle);
}

COleControlSite* COleControlSite::Activate(COleControlSite* site, UINT nID, DWORD dwStyle) {
  HRESULT hr = site->m_pObject->SetClientSite(site);
  if (SUCCEEDED(hr)) {
    IPersistStreamInit* init = nullptr;
    if (SUCCEEDED(site->m_pObject->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&init)))) {
      init->InitNew();
      init->Release();
    }
    RECT r = site->m_rect;
    hr = site->m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, site->m_hWndParent, &r);
  }
  if (SUCCEEDED(hr)) {
    IOleInPlaceObject* ipo = nullptr;
    hr = site->m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo));
    if (SUCCEEDED(hr)) {
      hr = ipo->GetWindow(&site->m_hWndCtrl);
      ipo->Release();
    }
  }
  if (FAILED(hr) || !site->m_hWndCtrl) {
    site->Close();
    return nullptr;
  }
  ::SetWindowLongPtrA(site->m_hWndCtrl, GWLP_ID, nID);
  // the visible and tab-stop bits of the wanted style
  DWORD style = static_cast<DWORD>(::GetWindowLongA(site->m_hWndCtrl, GWL_STYLE));
  style = (style & ~(WS_TABSTOP | WS_GROUP)) | (dwStyle & (WS_TABSTOP | WS_GROUP));
  ::SetWindowLongA(site->m_hWndCtrl, GWL_STYLE, static_cast<LONG>(style));
  ::ShowWindow(site->m_hWndCtrl, (dwStyle & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
  return site;
}

BOOL COleControlSite::TranslateControlAccelerator(MSG* pMsg) {
  IOleInPlaceActiveObject* active = m_pActive;
  if (active) {
    active->AddRef();
  } else if (!m_pObject ||
             FAILED(m_pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)))) {
    return FALSE;
  }
  BOOL used = active->TranslateAccelerator(pMsg) == S_OK;
  active->Release();
  return used;
}

STDMETHODIMP COleControlSite::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) {
  if (pActiveObject) pActiveObject->AddRef();
  if (m_pActive) m_pActive->Release();
  m_pActive = pActiveObject;
  return S_OK;
}

STDMETHODIMP COleControlSite::GetExtendedControl(IDispatch** ppDisp) {
  if (ppDisp) *ppDisp = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo) *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP COleControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pResult,
                                     EXCEPINFO*, UINT*) {
  if (!(wFlags & DISPATCH_PROPERTYGET) || !pResult) return DISP_E_MEMBERNOTFOUND;
  VariantInit(pResult);
  switch (dispid) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      V_VT(pResult) = VT_BOOL;
      V_BOOL(pResult) = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      V_VT(pResult) = VT_BOOL;
      V_BOOL(pResult) = VARIANT_FALSE;
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      V_VT(pResult) = VT_I4;
      V_I4(pResult) = static_cast<LONG>(::GetUserDefaultLCID());
      return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
      V_VT(pResult) = VT_I4;
      V_I4(pResult) = static_cast<LONG>(::GetSysColor(COLOR_WINDOW));
      return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
      V_VT(pResult) = VT_I4;
      V_I4(pResult) = static_cast<LONG>(::GetSysColor(COLOR_WINDOWTEXT));
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

void COleControlSite::Close() {
  if (m_pActive) {
    m_pActive->Release();
    m_pActive = nullptr;
  }
  if (m_pObject) {
    IOleObject* obj = m_pObject;
    m_pObject = nullptr;
    obj->Close(OLECLOSE_NOSAVE);
    obj->SetClientSite(nullptr);
    obj->Release();
  }
  m_hWndCtrl = nullptr;
  Release();
}

void COleControlSite::SetRect(const RECT& rect) {
  // the control moving its window reports back here: stop at no change
  if (EqualRect(&m_rect, &rect)) return;
  m_rect = rect;
  if (!m_pObject) return;
  IOleInPlaceObject* ipo = nullptr;
  if (SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo)))) {
    ipo->SetObjectRects(&m_rect, &m_rect);
    ipo->Release();
  }
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *ppv = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
    *ppv = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
    *ppv = static_cast<IOleInPlaceFrame*>(this);
  else if (riid == IID_IOleControlSite)
    *ppv = static_cast<IOleControlSite*>(this);
  else if (riid == IID_IDispatch)
    *ppv = static_cast<IDispatch*>(this);
  else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

STDMETHODIMP_(ULONG) COleControlSite::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
  if (ppmk) *ppmk = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** ppContainer) {
  if (ppContainer) *ppContainer = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::GetWindow(HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = m_hWndParent;
  return S_OK;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) {
  if (ppFrame) {
    *ppFrame = this;
    AddRef();
  }
  if (ppDoc) *ppDoc = nullptr;
  if (lprcPosRect) *lprcPosRect = m_rect;
  if (lprcClipRect) *lprcClipRect = m_rect;
  if (lpFrameInfo) {
    HWND top = m_hWndParent;
    while ((::GetWindowLongA(top, GWL_STYLE) & WS_CHILD) && ::GetParent(top)) top = ::GetParent(top);
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = top;
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT lprcPosRect) {
  if (lprcPosRect) SetRect(*lprcPosRect);
  return S_OK;
}
