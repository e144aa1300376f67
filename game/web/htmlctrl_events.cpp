// The browser's events, routed by dispatch id to the handlers.
#include <exdispid.h>

#include "framework/frame.h"
#include "game/web/htmlctrl.h"

namespace {

CString ArgText(DISPPARAMS* p, UINT pos) {
  BSTR b = SinkArgBstr(p, pos);
  return b ? HtmlCtrlNarrow(b, static_cast<int>(SysStringLen(b))) : CString();
}

}  // namespace

HRESULT CHtmlCtrl::OnSinkEvent(DISPID dispid, DISPPARAMS* p) {
  switch (dispid) {
    case DISPID_STATUSTEXTCHANGE: OnStatusTextChange(ArgText(p, 0)); break;
    case DISPID_PROGRESSCHANGE: OnProgressChange(SinkArgLong(p, 0), SinkArgLong(p, 1)); break;
    case DISPID_COMMANDSTATECHANGE: OnCommandStateChange(SinkArgLong(p, 0), SinkArgBool(p, 1)); break;
    case DISPID_DOWNLOADBEGIN: OnDownloadBegin(); break;
    case DISPID_DOWNLOADCOMPLETE: OnDownloadComplete(); break;
    case DISPID_TITLECHANGE: OnTitleChange(ArgText(p, 0)); break;
    case DISPID_PROPERTYCHANGE: OnPropertyChange(ArgText(p, 0)); break;
    case DISPID_NEWWINDOW2: {
      VARIANT_BOOL* cancel = SinkArgBoolRef(p, 1);
      BOOL b = cancel && *cancel != VARIANT_FALSE;
      OnNewWindow2(SinkArgDispatchRef(p, 0), &b);
      if (cancel) *cancel = b ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    }
    case DISPID_NAVIGATECOMPLETE2: NavigateComplete2(SinkArgDispatch(p, 0), SinkArg(p, 1)); break;
    case DISPID_BEFORENAVIGATE2:
      BeforeNavigate2(SinkArgDispatch(p, 0), SinkArg(p, 1), SinkArg(p, 2), SinkArg(p, 3), SinkArg(p, 4),
                      SinkArg(p, 5), SinkArgBoolRef(p, 6));
      break;
    case DISPID_DOCUMENTCOMPLETE: DocumentComplete(SinkArgDispatch(p, 0), SinkArg(p, 1)); break;
    case DISPID_ONQUIT: OnQuit(); break;
    case DISPID_ONVISIBLE: OnVisible(SinkArgBool(p, 0)); break;
    case DISPID_ONTOOLBAR: OnToolBar(SinkArgBool(p, 0)); break;
    case DISPID_ONMENUBAR: OnMenuBar(SinkArgBool(p, 0)); break;
    case DISPID_ONSTATUSBAR: OnStatusBar(SinkArgBool(p, 0)); break;
    case DISPID_ONFULLSCREEN: OnFullScreen(SinkArgBool(p, 0)); break;
    case DISPID_ONTHEATERMODE: OnTheaterMode(SinkArgBool(p, 0)); break;
    default: return DISP_E_MEMBERNOTFOUND;
  }
  return S_OK;
}

void CHtmlCtrl::NavigateComplete2(LPDISPATCH, VARIANT* URL) {
  CString url;
  if (URL && V_VT(URL) == VT_BSTR) url = HtmlCtrlNarrow(V_BSTR(URL), static_cast<int>(SysStringLen(V_BSTR(URL))));
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_COMMAND, WM_COMMAND_HTML_NAVIGATED, 0);
  OnNavigateComplete2(url);
}

void CHtmlCtrl::DocumentComplete(LPDISPATCH, VARIANT* URL) {
  CString url;
  if (URL && V_VT(URL) == VT_BSTR) url = HtmlCtrlNarrow(V_BSTR(URL), static_cast<int>(SysStringLen(V_BSTR(URL))));
  OnDocumentComplete(url);
}

void CHtmlCtrl::BeforeNavigate2(LPDISPATCH, VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                VARIANT* PostData, VARIANT* Headers, VARIANT_BOOL* Cancel) {
  auto text = [](VARIANT* v) {
    return v && V_VT(v) == VT_BSTR && V_BSTR(v) ? HtmlCtrlNarrow(V_BSTR(v), static_cast<int>(SysStringLen(V_BSTR(v))))
                                                : CString();
  };
  CString url = text(URL), target = text(TargetFrameName), headers = text(Headers);
  DWORD flags = 0;
  if (Flags) {
    VARIANT f;
    VariantInit(&f);
    if (SUCCEEDED(VariantChangeType(&f, Flags, 0, VT_I4))) flags = static_cast<DWORD>(V_I4(&f));
  }
  // post data: a byte array, possibly behind one more reference
  VARIANT* post = PostData;
  if (post && V_VT(post) == (VT_VARIANT | VT_BYREF)) post = V_VARIANTREF(post);
  const BYTE* data = nullptr;
  DWORD length = 0;
  SAFEARRAY* sa = post && V_VT(post) == (VT_ARRAY | VT_UI1) ? V_ARRAY(post) : nullptr;
  void* raw = nullptr;
  if (sa && SUCCEEDED(SafeArrayAccessData(sa, &raw))) {
    data = static_cast<const BYTE*>(raw);
    length = sa->rgsabound[0].cElements;
  }
  BOOL cancel = Cancel && *Cancel != VARIANT_FALSE;
  OnBeforeNavigate2(url, flags, target, data, length, headers, &cancel);
  if (raw) SafeArrayUnaccessData(sa);
  if (Cancel) *Cancel = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

void CHtmlCtrl::OnStatusTextChange(const char* lpszText) {
  if (CFrameWnd* frame = GetParentFrame()) frame->SetMessageText(lpszText);
}

void CHtmlCtrl::OnNavigateComplete2(const char*) {}
void CHtmlCtrl::OnProgressChange(long, long) {}
void CHtmlCtrl::OnCommandStateChange(long, BOOL) {}
void CHtmlCtrl::OnDownloadBegin() {}
void CHtmlCtrl::OnDownloadComplete() {}
void CHtmlCtrl::OnTitleChange(const char*) {}
void CHtmlCtrl::OnPropertyChange(const char*) {}
void CHtmlCtrl::OnNewWindow2(LPDISPATCH*, BOOL*) {}
void CHtmlCtrl::OnDocumentComplete(const char*) {}
void CHtmlCtrl::OnQuit() {}
void CHtmlCtrl::OnVisible(BOOL) {}
void CHtmlCtrl::OnToolBar(BOOL) {}
void CHtmlCtrl::OnMenuBar(BOOL) {}
void CHtmlCtrl::OnStatusBar(BOOL) {}
void CHtmlCtrl::OnFullScreen(BOOL) {}
void CHtmlCtrl::OnTheaterMode(BOOL) {}
void CHtmlCtrl::OnBeforeNavigate2(const char*, DWORD, const char*, const BYTE*, DWORD, const char*, BOOL*) {}
