#include "framework/eventsink.h"

#include "framework/olesite.h"

CEventSink* CEventSink::Create(REFIID iidEvents, CEventSinkOwner* owner) { return new CEventSink(iidEvents, owner); }

BOOL CEventSink::Connect(IUnknown* source) {
  if (!source || m_pSource) return FALSE;
  if (!AfxConnectionAdvise(source, m_iid, static_cast<IDispatch*>(this), &m_dwCookie)) return FALSE;
  m_pSource = source;
  m_pSource->AddRef();
  return TRUE;
}

void CEventSink::Disconnect() {
  m_pOwner = nullptr;
  if (m_pSource) {
    AfxConnectionUnadvise(m_pSource, m_iid, m_dwCookie);
    m_pSource->Release();
    m_pSource = nullptr;
  }
  Release();
}

STDMETHODIMP CEventSink::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid) {
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEventSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

STDMETHODIMP_(ULONG) CEventSink::Release() {
  LONG n = InterlockedDecrement(&m_cRef);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

STDMETHODIMP CEventSink::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo) *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP CEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                UINT*) {
  if (!m_pOwner) return S_OK;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  AddRef();  // the owner may disconnect from inside its handler
  HRESULT hr = m_pOwner->OnSinkEvent(dispid, params ? params : &none);
  Release();
  return hr;
}

VARIANT* SinkArg(DISPPARAMS* params, UINT pos) {
  if (!params || !params->rgvarg || pos >= params->cArgs) return nullptr;
  VARIANT* v = &params->rgvarg[params->cArgs - 1 - pos];
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  return v;
}

BSTR SinkArgBstr(DISPPARAMS* params, UINT pos) {
  VARIANT* v = SinkArg(params, pos);
  if (!v) return nullptr;
  if (V_VT(v) == VT_BSTR) return V_BSTR(v);
  if (V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v)) return *V_BSTRREF(v);
  return nullptr;
}

LONG SinkArgLong(DISPPARAMS* params, UINT pos, LONG def) {
  VARIANT* v = SinkArg(params, pos);
  if (!v) return def;
  VARIANT tmp;
  VariantInit(&tmp);
  if (V_VT(v) & VT_BYREF) {
    if (FAILED(VariantCopyInd(&tmp, v))) return def;
  } else if (FAILED(VariantCopy(&tmp, v))) {
    return def;
  }
  LONG r = def;
  if (SUCCEEDED(VariantChangeType(&tmp, &tmp, 0, VT_I4))) r = V_I4(&tmp);
  VariantClear(&tmp);
  return r;
}

BOOL SinkArgBool(DISPPARAMS* params, UINT pos) {
  VARIANT* v = SinkArg(params, pos);
  if (!v) return FALSE;
  if (V_VT(v) == VT_BOOL) return V_BOOL(v) != VARIANT_FALSE;
  if (V_VT(v) == (VT_BOOL | VT_BYREF) && V_BOOLREF(v)) return *V_BOOLREF(v) != VARIANT_FALSE;
  return SinkArgLong(params, pos) != 0;
}

VARIANT_BOOL* SinkArgBoolRef(DISPPARAMS* params, UINT pos) {
  VARIANT* v = SinkArg(params, pos);
  return v && V_VT(v) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(v) : nullptr;
}

IDispatch* SinkArgDispatch(DISPPARAMS* params, UINT pos) {
  VARIANT* v = SinkArg(params, pos);
  if (!v) return nullptr;
  if (V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
  if (V_VT(v) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(v)) return *V_DISPATCHREF(v);
  return nullptr;
}

IDispatch** SinkArgDispatchRef(DISPPARAMS* params, UINT pos) {
  VARIANT* v = SinkArg(params, pos);
  return v && V_VT(v) == (VT_DISPATCH | VT_BYREF) ? V_DISPATCHREF(v) : nullptr;
}
