// The web window: a child window hosting the system's WebBrowser control,
// or our page viewer where the system has no HTML engine, through the
// control's IWebBrowser2 interface and its DWebBrowserEvents2 events.
#pragma once

#include <exdisp.h>
#include <ocidl.h>
#include <shtypes.h>

#include "framework/afxwin.h"
#include "framework/eventsink.h"

// control id of the browser inside the web window
#define IDC_HTMLCTRL_BROWSER 59648
// the view's web window, a child of its map window
constexpr UINT kWebWndId = 4386;
// posted to the parent after each NavigateComplete2
#define WM_COMMAND_HTML_NAVIGATED 26231

class CHtmlCtrl : public CWnd, private CEventSinkOwner {
 public:
  CHtmlCtrl();
  ~CHtmlCtrl() override;

  // Tests: TRUE makes Create take the system's WebBrowser even without an
  // HTML engine.
  static void ForceSystemBrowser(BOOL bForce);

  BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
              CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;
  virtual BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
  // event handlers, in slot order; the defaults do nothing except where noted
  virtual void OnNavigateComplete2(const char* strURL);
  virtual void OnStatusTextChange(const char* lpszText);  // to the parent frame's status bar
  virtual void OnProgressChange(long nProgress, long nProgressMax);
  virtual void OnCommandStateChange(long nCommand, BOOL bEnable);
  virtual void OnDownloadBegin();
  virtual void OnDownloadComplete();
  virtual void OnTitleChange(const char* lpszText);
  virtual void OnPropertyChange(const char* lpszProperty);
  virtual void OnNewWindow2(LPDISPATCH* ppDisp, BOOL* bCancel);
  virtual void OnDocumentComplete(const char* lpszURL);
  virtual void OnQuit();
  virtual void OnVisible(BOOL bVisible);
  virtual void OnToolBar(BOOL bToolBar);
  virtual void OnMenuBar(BOOL bMenuBar);
  virtual void OnStatusBar(BOOL bStatusBar);
  virtual void OnFullScreen(BOOL bFullScreen);
  virtual void OnTheaterMode(BOOL bTheaterMode);
  virtual void OnBeforeNavigate2(const char* lpszURL, DWORD nFlags, const char* lpszTargetFrameName,
                                 const BYTE* pPostData, DWORD nPostLength, const char* lpszHeaders, BOOL* pbCancel);
  virtual void DocumentComplete(LPDISPATCH pDisp, VARIANT* URL);
  virtual void NavigateComplete2(LPDISPATCH pDisp, VARIANT* URL);
  virtual void BeforeNavigate2(LPDISPATCH pDisp, VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                               VARIANT* PostData, VARIANT* Headers, VARIANT_BOOL* Cancel);

  IWebBrowser2* GetBrowser() const { return m_pBrowser; }
  BOOL IsOurViewer() const { return m_bOwnViewer; }
  IUnknown* GetControlUnknown() const;

  // ---- navigation
  void Navigate(const char* lpszURL, DWORD dwFlags = 0, const char* lpszTargetFrameName = nullptr,
                const char* lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);
  void Navigate2(const char* lpszURL, DWORD dwFlags = 0, const char* lpszTargetFrameName = nullptr,
                 const char* lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);
  void Navigate2Pidl(LPCITEMIDLIST pIDL, DWORD dwFlags = 0, const char* lpszTargetFrameName = nullptr);
  void Navigate2Post(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName, const VARIANT& postData,
                     const char* lpszHeaders = nullptr);
  BOOL LoadFromResource(const char* lpszResource);
  BOOL LoadFromResourceId(UINT nRes);

  // ---- properties
  CString GetType() const;
  long GetLeft() const;
  long GetTop() const;
  int GetToolBar() const;
  long GetHeight() const;
  BOOL GetVisible() const;
  CString GetLocationName() const;
  CString GetLocationURL() const;
  BOOL GetBusy() const;
  READYSTATE GetReadyState() const;
  BOOL GetOffline() const;
  BOOL GetSilent() const;
  LPDISPATCH GetApplication() const;
  LPDISPATCH GetParentBrowser() const;
  LPDISPATCH GetContainer() const;
  LPDISPATCH GetHtmlDocument() const;
  BOOL GetTopLevelContainer() const;
  BOOL GetMenuBar() const;
  BOOL GetFullScreen() const;
  BOOL GetStatusBar() const;
  BOOL GetRegisterAsBrowser() const;
  BOOL GetRegisterAsDropTarget() const;
  BOOL GetTheaterMode() const;
  BOOL GetAddressBar() const;
  CString GetFullName() const;
  OLECMDF QueryStatusWB(OLECMDID cmdID) const;
  void ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut);
  BOOL PutProperty(const char* lpszProperty, const VARIANT& vtValue);
  BOOL GetProperty(const char* lpszProperty, CString& strValue);
  // The property through the control's dispatch interface; the caller
  // clears the result (VT_EMPTY when there is none).
  VARIANT GetPropertyVariant(const char* lpszProperty);

  // ---- other operations
  void ShowFindDialog();
  void SetZoom(int nPercent);
  int GetZoom();
  void GetZoomRange(int* pnMin, int* pnMax);
  BOOL HasFocusWithin() const;
  // Saves the page with the browser's own Save-As dialog, filled and
  // confirmed without the user; 0 when the file was written, else -1.
  int SavePageAs(const char* lpszFileName, int nTypeIndex, BOOL bCentreOnly);

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  void OnSize(UINT nType, int cx, int cy);
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnDestroy();
  void OnFilePrint();
  void OnFileSave();
  void OnFileSaveAs();
  void OnEditCopy();
  LRESULT OnCopyMessage(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  HRESULT OnSinkEvent(DISPID dispid, DISPPARAMS* params) override;
  BOOL CreateBrowser();
  void ReleaseBrowser();
  void ExecDocument(const GUID* group, DWORD cmd, DWORD option);
  BOOL GetBool(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(VARIANT_BOOL*)) const;
  long GetLong(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(LONG*)) const;
  CString GetText(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(BSTR*)) const;
  LPDISPATCH GetDispatch(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(IDispatch**)) const;
  void Go(const char* lpszURL, DWORD dwFlags, const char* lpszTargetFrameName, const char* lpszHeaders,
          LPVOID lpvPostData, DWORD dwPostDataLen, BOOL bNavigate2);

  COleControlSite* m_pSite = nullptr;
  IWebBrowser2* m_pBrowser = nullptr;
  CEventSink* m_pSink = nullptr;
  BOOL m_bOwnViewer = FALSE;
};

// Text of a browser string in the program's 8-bit code page, and back.
CString HtmlCtrlNarrow(const wchar_t* text, int length = -1);
BSTR HtmlCtrlWide(const char* text);
