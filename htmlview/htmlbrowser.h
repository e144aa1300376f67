// The page viewer as an in-place object: the WebBrowser's interfaces that a
// host uses, over our own parser and window. Made with Create, never
// registered; everything runs on the thread that made it.
#pragma once

#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>
#include <oleidl.h>

#include <map>
#include <vector>

#include "htmlview/htmlwindow.h"

class HtmlBrowser;

// The DWebBrowserEvents2 connection point of a browser.
class HtmlEventPoint : public IConnectionPoint {
 public:
  explicit HtmlEventPoint(HtmlBrowser* owner) : m_owner(owner) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* pIID) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  STDMETHODIMP Unadvise(DWORD dwCookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

  // Calls every sink; the arguments are in DISPPARAMS order (last first).
  void Fire(DISPID dispid, VARIANTARG* args, UINT count);
  void DropAll();

 private:
  HtmlBrowser* m_owner;
  std::vector<std::pair<DWORD, IDispatch*>> m_sinks;
  DWORD m_nextCookie = 1;
};

class HtmlBrowser : public IWebBrowser2,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleCommandTarget,
                    public IConnectionPointContainer,
                    private HtmlWindowHost {
 public:
  static HtmlBrowser* Create();  // one reference

  // The shown page, for tests and the host.
  const HtmlWindow& Window() const { return m_window; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IDispatch: GetProperty (303) and PutProperty (302) by dispatch id
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* params, VARIANT* pResult, EXCEPINFO*,
                      UINT* puArgErr) override;
  // IWebBrowser
  STDMETHODIMP GoBack() override { return E_NOTIMPL; }
  STDMETHODIMP GoForward() override { return E_NOTIMPL; }
  STDMETHODIMP GoHome() override { return E_NOTIMPL; }
  STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
  STDMETHODIMP Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                        VARIANT* Headers) override;
  STDMETHODIMP Refresh() override { return E_NOTIMPL; }
  STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Stop() override { return E_NOTIMPL; }
  STDMETHODIMP get_Application(IDispatch** ppDisp) override;
  STDMETHODIMP get_Parent(IDispatch** ppDisp) override;
  STDMETHODIMP get_Container(IDispatch** ppDisp) override;
  STDMETHODIMP get_Document(IDispatch** ppDisp) override;
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL* pBool) override;
  STDMETHODIMP get_Type(BSTR* Type) override;
  STDMETHODIMP get_Left(LONG* pl) override;
  STDMETHODIMP put_Left(LONG Left) override;
  STDMETHODIMP get_Top(LONG* pl) override;
  STDMETHODIMP put_Top(LONG Top) override;
  STDMETHODIMP get_Width(LONG* pl) override;
  STDMETHODIMP put_Width(LONG Width) override;
  STDMETHODIMP get_Height(LONG* pl) override;
  STDMETHODIMP put_Height(LONG Height) override;
  STDMETHODIMP get_LocationName(BSTR* LocationName) override;
  STDMETHODIMP get_LocationURL(BSTR* LocationURL) override;
  STDMETHODIMP get_Busy(VARIANT_BOOL* pBool) override;
  // IWebBrowserApp
  STDMETHODIMP Quit() override { return E_NOTIMPL; }
  STDMETHODIMP ClientToWindow(int*, int*) override { return E_NOTIMPL; }
  STDMETHODIMP PutProperty(BSTR Property, VARIANT vtValue) override;
  STDMETHODIMP GetProperty(BSTR Property, VARIANT* pvtValue) override;
  STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_HWND(SHANDLE_PTR*) override { return E_FAIL; }
  STDMETHODIMP get_FullName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Path(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Visible(VARIANT_BOOL* pBool) override;
  STDMETHODIMP put_Visible(VARIANT_BOOL Value) override;
  STDMETHODIMP get_StatusBar(VARIANT_BOOL* pBool) override;
  STDMETHODIMP put_StatusBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_StatusText(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_ToolBar(int* Value) override;
  STDMETHODIMP put_ToolBar(int Value) override;
  STDMETHODIMP get_MenuBar(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_MenuBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_FullScreen(VARIANT_BOOL* pbFullScreen) override;
  STDMETHODIMP put_FullScreen(VARIANT_BOOL bFullScreen) override;
  // IWebBrowser2
  STDMETHODIMP Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                         VARIANT* Headers) override;
  STDMETHODIMP QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf) override;
  STDMETHODIMP ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) override;
  STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_ReadyState(READYSTATE* plReadyState) override;
  STDMETHODIMP get_Offline(VARIANT_BOOL* pbOffline) override;
  STDMETHODIMP put_Offline(VARIANT_BOOL bOffline) override;
  STDMETHODIMP get_Silent(VARIANT_BOOL* pbSilent) override;
  STDMETHODIMP put_Silent(VARIANT_BOOL bSilent) override;
  STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_TheaterMode(VARIANT_BOOL* pbRegister) override;
  STDMETHODIMP put_TheaterMode(VARIANT_BOOL bRegister) override;
  STDMETHODIMP get_AddressBar(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_AddressBar(VARIANT_BOOL Value) override;
  STDMETHODIMP get_Resizable(VARIANT_BOOL* Value) override;
  STDMETHODIMP put_Resizable(VARIANT_BOOL Value) override;
  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override;
  STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD dwSaveOption) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override;
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** ppDataObject) override;
  STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                      LPCRECT lprcPosRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* pdwStatus) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT*) override;
  STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                    VARIANT* pvaOut) override;
  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

 private:
  HtmlBrowser();
  virtual ~HtmlBrowser();
  // HtmlWindowHost
  void OnLinkHover(const HtmlString& url) override;
  void OnLinkClick(const HtmlString& url) override;
  void OnContinue(WPARAM token) override;

  HRESULT Go(const HtmlString& url, VARIANT* flags, VARIANT* target, VARIANT* postData, VARIANT* headers);
  bool Superseded(unsigned serial) const { return serial != m_serial || m_closed; }
  // events, fired with the real control's argument layout
  void FireText(DISPID dispid, const HtmlString& text);
  void FireBool(DISPID dispid, bool value);
  void FireUrl(DISPID dispid, const HtmlString& url);
  bool FireBeforeNavigate2(const HtmlString& url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                           VARIANT* headers);
  bool FireNavigateError(const HtmlString& url, LONG status);
  HRESULT PutFlag(VARIANT_BOOL* flag, VARIANT_BOOL value, DISPID event);
  HRESULT GetFlag(VARIANT_BOOL flag, VARIANT_BOOL* out);
  HRESULT Move(const LONG* left, const LONG* top, const LONG* width, const LONG* height);
  HRESULT GetRect(RECT* rect);
  bool CopyToClipboard();
  // The shown page's bytes to a file the user picks; E_FAIL after an error
  // the user was shown.
  HRESULT SavePageAs();

  LONG m_cRef = 1;
  HtmlEventPoint m_events;
  HtmlWindow m_window;
  IOleClientSite* m_site = nullptr;
  bool m_closed = false;
  unsigned m_serial = 0;
  HtmlString m_pendingUrl;
  HtmlString m_url, m_title;
  std::vector<uint8_t> m_source;  // the shown page as read
  bool m_hasSource = false;       // false for the error page
  READYSTATE m_readyState = READYSTATE_UNINITIALIZED;
  bool m_busy = false;
  VARIANT_BOOL m_visible = VARIANT_TRUE, m_silent = VARIANT_FALSE, m_offline = VARIANT_FALSE;
  VARIANT_BOOL m_registerAsBrowser = VARIANT_FALSE, m_registerAsDropTarget = VARIANT_TRUE;
  VARIANT_BOOL m_statusBar = VARIANT_FALSE, m_menuBar = VARIANT_FALSE, m_fullScreen = VARIANT_FALSE;
  VARIANT_BOOL m_theaterMode = VARIANT_FALSE, m_addressBar = VARIANT_FALSE, m_resizable = VARIANT_FALSE;
  int m_toolBar = 0;
  std::map<std::wstring, VARIANT> m_properties;
};
