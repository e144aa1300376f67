// Hosting an ActiveX control in place: the system's WebBrowser control.
#include <gtest/gtest.h>

#include <exdisp.h>

#include "framework/afxwin.h"

namespace {

// Counts the events the control sends and keeps the last id.
class EventSink : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++events;
    lastId = id;
    return S_OK;
  }
  ULONG refs = 1;
  int events = 0;
  DISPID lastId = 0;
};

TEST(ControlSite, HostsTheWebBrowser) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
  {
    CWnd browser;
    ASSERT_TRUE(browser.CreateControl(CLSID_WebBrowser, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 320, 200),
                                      &parent, 59648));
    ASSERT_NE(nullptr, browser.GetControlUnknown());
    EXPECT_EQ(browser.m_hWnd, ::GetDlgItem(parent.m_hWnd, 59648));
    EXPECT_EQ(parent.m_hWnd, ::GetParent(browser.m_hWnd));
    IWebBrowser2* wb = nullptr;
    ASSERT_EQ(S_OK, browser.GetControlUnknown()->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&wb)));
    // moving the window moves the control's place
    browser.MoveWindow(10, 20, 200, 100);
    long w = 0, h = 0;
    wb->get_Width(&w);
    wb->get_Height(&h);
    EXPECT_EQ(200, w);
    EXPECT_EQ(100, h);
    // events reach a connected sink, and no longer after disconnecting
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_TRUE(AfxConnectionAdvise(browser.GetControlUnknown(), DIID_DWebBrowserEvents2, &sink, &cookie));
    wb->put_Visible(VARIANT_TRUE);
    EXPECT_EQ(1, sink.events);
    EXPECT_EQ(254, sink.lastId);  // DISPID_ONVISIBLE
    EXPECT_TRUE(AfxConnectionUnadvise(browser.GetControlUnknown(), DIID_DWebBrowserEvents2, cookie));
    wb->put_Visible(VARIANT_FALSE);
    EXPECT_EQ(1, sink.events);
    EXPECT_EQ(1u, sink.refs);
    wb->Release();
    HWND ctrl = browser.m_hWnd;
    browser.DestroyWindow();
    EXPECT_EQ(nullptr, browser.m_hWnd);
    EXPECT_FALSE(::IsWindow(ctrl));
  }
  parent.DestroyWindow();
}

TEST(ControlSite, UnknownClassFails) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
  static const CLSID kNone = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  CWnd ctrl;
  EXPECT_FALSE(ctrl.CreateControl(kNone, nullptr, WS_CHILD, CRect(0, 0, 10, 10), &parent, 1));
  EXPECT_EQ(nullptr, ctrl.m_hWnd);
  EXPECT_EQ(nullptr, ctrl.GetControlUnknown());
  parent.DestroyWindow();
}

}  // namespace
