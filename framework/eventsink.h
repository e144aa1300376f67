// An IDispatch event sink: a control's events reach the owner as
// (DISPID, DISPPARAMS); helpers read the arguments by their declared place.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

class CEventSinkOwner {
 public:
  // The return value goes back to the control.
  virtual HRESULT OnSinkEvent(DISPID dispid, DISPPARAMS* params) = 0;

 protected:
  ~CEventSinkOwner() = default;
};

class CEventSink : public IDispatch {
 public:
  // Made with one reference, which Disconnect gives up.
  static CEventSink* Create(REFIID iidEvents, CEventSinkOwner* owner);
  BOOL Connect(IUnknown* source);  // advise the source's connection point
  // Unadvises, forgets the owner (late calls go nowhere) and releases.
  void Disconnect();

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  CEventSink(REFIID iid, CEventSinkOwner* owner) : m_iid(iid), m_pOwner(owner) {}
  virtual ~CEventSink() = default;
  LONG m_cRef = 1;
  IID m_iid;
  CEventSinkOwner* m_pOwner;
  IUnknown* m_pSource = nullptr;
  DWORD m_dwCookie = 0;
};

// Argument pos of an event (0 = the first declared; DISPPARAMS holds them
// reversed). A by-reference VARIANT is followed to the variant it points at;
// null when there is no such argument.
VARIANT* SinkArg(DISPPARAMS* params, UINT pos);
// The text of a BSTR argument (also by reference); null when it is none.
BSTR SinkArgBstr(DISPPARAMS* params, UINT pos);
LONG SinkArgLong(DISPPARAMS* params, UINT pos, LONG def = 0);
BOOL SinkArgBool(DISPPARAMS* params, UINT pos);
// The caller's VARIANT_BOOL of a VT_BOOL|VT_BYREF argument (Cancel), or null.
VARIANT_BOOL* SinkArgBoolRef(DISPPARAMS* params, UINT pos);
IDispatch* SinkArgDispatch(DISPPARAMS* params, UINT pos);
// The caller's IDispatch* of a VT_DISPATCH|VT_BYREF argument, or null.
IDispatch** SinkArgDispatchRef(DISPPARAMS* params, UINT pos);
