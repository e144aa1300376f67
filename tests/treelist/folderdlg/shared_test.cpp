// The toolkit pieces the folder controls share: dropped-file blocks read
// back by the system's DragQueryFileA, a dragged path kept by its drop
// target, message texts, the bounded wait.
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "toolkit/boundedwait.h"
#include "toolkit/dlgmsg.h"
#include "toolkit/hdrop.h"

namespace {

std::string QueryFirst(HGLOBAL h) {
  char buf[1024] = "";
  UINT n = DragQueryFileA((HDROP)h, 0, buf, sizeof buf);
  EXPECT_EQ(DragQueryFileA((HDROP)h, 0xFFFFFFFF, nullptr, 0), 1u);
  return std::string(buf, n);
}

TEST(HDrop, BlockIsSizedFromThePath) {
  // longer than the 262 characters a fixed 284-byte block would hold
  std::string longPath = "C:\\" + std::string(400, 'a') + "\\café";
  for (const std::string& p : {std::string("C:\\Spiele"), longPath}) {
    HGLOBAL h = HDropCreate(p.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), sizeof(DROPFILES) + p.size() + 2);
    EXPECT_EQ(QueryFirst(h), p);
    GlobalFree(h);
  }
  EXPECT_EQ(HDropCreate(""), nullptr);
  EXPECT_EQ(HDropCreate(nullptr), nullptr);
}

TEST(HDrop, ClipboardHoldsTheDrop) {
  ASSERT_TRUE(HDropToClipboard(nullptr, "C:\\Quiz\\Runde 1"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_HDROP);
  std::string got = h ? QueryFirst((HGLOBAL)h) : "";
  CloseClipboard();
  EXPECT_EQ(got, "C:\\Quiz\\Runde 1");
}

// A drop target that keeps the dropped data object, as a shell window may.
class KeepingTarget : public IDropTarget {
 public:
  IDataObject* kept = nullptr;
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  STDMETHODIMP DragLeave() override { return S_OK; }
  STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    data->AddRef();
    kept = data;
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
};

TEST(HDrop, DroppedObjectOutlivesTheCallersPath) {
  HDropOleInitOnce();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "HDropKeeper";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Ziel", WS_POPUP, 100, 100, 200, 200, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_TRUE(w);
  // shown without activation: Wine leaves it to no window manager and does not wait for one when it goes
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  KeepingTarget target;
  ASSERT_EQ(RegisterDragDrop(w, &target), S_OK);
  SetCursorPos(200, 200);  // no button held: the drag drops where it starts
  std::string path = "C:\\Quiz\\Runde 1";
  EXPECT_EQ(HDropDoDragDrop(path.c_str()), (DWORD)DROPEFFECT_COPY);
  path.assign(path.size(), 'x');  // the caller's text changes once the drag is over
  ASSERT_TRUE(target.kept);
  FORMATETC f = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m = {};
  ASSERT_EQ(target.kept->GetData(&f, &m), S_OK);
  EXPECT_EQ(QueryFirst(m.hGlobal), "C:\\Quiz\\Runde 1");
  ReleaseStgMedium(&m);
  target.kept->Release();
  RevokeDragDrop(w);
  DestroyWindow(w);
}

TEST(DlgMessageText, BuiltInGermanTextsWithoutResource) {
  int source = 9;
  EXPECT_STREQ(DlgGetMessageText(nullptr, DLGMSG_COPY_FIELD, &source), "Feld kopieren");
  EXPECT_EQ(source, 0);
  EXPECT_STREQ(DlgGetMessageText(nullptr, DLGMSG_DELETE_ROW), "Zeile löschen");
  EXPECT_STREQ(DlgGetMessageText(nullptr, DLGMSG_SELECT_NONE), "&Alles abwählen");
  EXPECT_STREQ(DlgGetMessageText(nullptr, 4711, &source), "");
  EXPECT_EQ(source, -1);
}

// A window whose procedure the test thread answers while it waits.
LRESULT CALLBACK Answer(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER) return 42;
  return DefWindowProcA(w, m, wp, lp);
}

struct SendCtx {
  HWND target;
  LRESULT answer = 0;
};

DWORD WINAPI SendThenEnd(void* p) {
  auto* c = static_cast<SendCtx*>(p);
  c->answer = SendMessageA(c->target, WM_USER, 0, 0);  // blocks unless the waiter answers
  return 0;
}

TEST(BoundedWait, SentMessagesAreHandledAndTheBoundHolds) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Answer;
  wc.lpszClassName = "BoundedWaitTest";
  RegisterClassA(&wc);
  HWND w = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SendCtx c{w};
  HANDLE t = CreateThread(nullptr, 0, SendThenEnd, &c, 0, nullptr);
  EXPECT_EQ(WaitHandlingSent(t, WAIT_STOP_BOUND_MS), WAIT_OBJECT_0);
  EXPECT_EQ(c.answer, 42);
  CloseHandle(t);
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD t0 = GetTickCount();
  EXPECT_EQ(WaitHandlingSent(never, 200), (DWORD)WAIT_TIMEOUT);
  DWORD spent = GetTickCount() - t0;
  EXPECT_GE(spent, 150u);
  EXPECT_LT(spent, 1000u);
  CloseHandle(never);
  DestroyWindow(w);
}

}  // namespace
