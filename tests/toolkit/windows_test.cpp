// The toolkit's windows: the image window's buffer, scroll and callbacks,
// the progress dialog's worker and cancelling, the text input dialog.
#include <gtest/gtest.h>

#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "toolkit/dib.h"
#include "toolkit/imagewnd.h"
#include "toolkit/progressdlg.h"
#include "toolkit/textinputdlg.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

HWND MakeHost(int w, int h) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvTkHost";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND wnd = CreateWindowExA(WS_EX_TOPMOST, "OrvTkHost", "", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  // not activated: Wine without a window manager takes 2 s to destroy the active window
  if (wnd) ShowWindow(wnd, SW_SHOWNOACTIVATE);
  return wnd;
}

struct PaintLog {
  int calls = 0;
  RECT update = {};
  POINT origin = {};
};
void OnPaint(void* ctx, HDC dc, const RECT* update) {
  PaintLog* log = (PaintLog*)ctx;
  log->calls++;
  log->update = *update;
  GetViewportOrgEx(dc, &log->origin);
}

struct MouseLog {
  UINT msg = 0;
  int x = -1, y = -1;
  int handled = 1;
};
int OnMouse(void* ctx, UINT msg, UINT, int x, int y) {
  MouseLog* log = (MouseLog*)ctx;
  log->msg = msg;
  log->x = x;
  log->y = y;
  return log->handled;
}

}  // namespace

TEST(ImageWnd, FixedBufferScrollPaintAndMouse) {
  HWND host = MakeHost(300, 200);
  ASSERT_NE(nullptr, host);
  CImageWnd wnd;
  ASSERT_TRUE(wnd.SetFixedBufferSize(1000, 800));
  RECT rc = {0, 0, 300, 200};
  ASSERT_TRUE(wnd.Create(0, WS_CHILD | WS_VISIBLE | CImageWnd::kOptFixedBuffer, rc, CWnd::FromHandle(host), 77));
  EXPECT_EQ(300, wnd.ClientWidth());
  EXPECT_EQ(200, wnd.ClientHeight());
  // a marked pixel, and the scroll clamped to the buffer
  CPicture* pic = wnd.GetPicture();
  pic->FillRect(0, 0, 1000, 800, 0x101010);
  pic->FillRect(701, 3, 1, 1, 0x3366CC);
  EXPECT_TRUE(wnd.ScrollTo(5000, -3, false));
  EXPECT_EQ(700, wnd.ScrollX());
  EXPECT_EQ(0, wnd.ScrollY());
  EXPECT_FALSE(wnd.ScrollTo(700, 0, false));

  PaintLog paint;
  wnd.SetPaintCallback(OnPaint, &paint);
  wnd.Invalidate(FALSE);
  wnd.UpdateWindow();
  EXPECT_EQ(1, paint.calls);
  EXPECT_EQ(700, paint.update.left);  // buffer pixels
  EXPECT_EQ(1000, paint.update.right);
  EXPECT_EQ(-700, paint.origin.x);

  // what the window shows, read back through a DIB
  void* bits = nullptr;
  HDIB dib = DibCreate(0, 300, 200, 32, &bits);
  ASSERT_NE(nullptr, dib);
  HDC wdc = GetDC(wnd.m_hWnd);
  BitBlt(DibGetDC(dib), 0, 0, 300, 200, wdc, 0, 0, SRCCOPY);
  ReleaseDC(wnd.m_hWnd, wdc);
  GdiFlush();
  const uint32_t* row3 = (const uint32_t*)((const uint8_t*)bits + 3 * DibGetStride(dib));
  EXPECT_EQ(0x3366CCu, row3[1] & 0xFFFFFF);
  EXPECT_EQ(0x101010u, row3[2] & 0xFFFFFF);
  DibFree(dib);

  MouseLog mouse;
  wnd.SetMouseCallback(OnMouse, &mouse);
  wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
  EXPECT_EQ((UINT)WM_LBUTTONDOWN, mouse.msg);
  EXPECT_EQ(710, mouse.x);
  EXPECT_EQ(20, mouse.y);
  wnd.DestroyWindow();
  DestroyWindow(host);
  Pump();
}

TEST(ImageWnd, BufferFollowsTheClientWithoutFixedSize) {
  HWND host = MakeHost(300, 200);
  CImageWnd wnd;
  RECT rc = {0, 0, 120, 90};
  ASSERT_TRUE(wnd.Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 78));
  EXPECT_EQ(120, wnd.GetPicture()->Width());
  wnd.MoveWindow(0, 0, 150, 60);
  EXPECT_EQ(150, wnd.GetPicture()->Width());
  EXPECT_EQ(60, wnd.GetPicture()->Height());
  EXPECT_FALSE(wnd.ScrollTo(10, 10, false));  // nothing to scroll
  wnd.DestroyWindow();
  DestroyWindow(host);
  Pump();
}

namespace {
int CountingWorker(CProgressDlg* d) {
  uint64_t n = d->GetArg(0);
  d->SetRange(n);
  for (uint64_t i = 0; i <= n && !d->IsCancelled(); i++) {
    d->SetPos(i);
    if (i % 50 == 0) d->SetLineText((int)(i / 50) % 4, "Kachel");
    Sleep(1);
  }
  return (int)d->GetArg(1);
}

volatile LONG g_sawCancel = 0;
int EndlessWorker(CProgressDlg* d) {
  while (!d->IsCancelled()) Sleep(5);
  Sleep(200);  // the destructor must wait for this
  InterlockedExchange(&g_sawCancel, 1);
  return 0;
}

int CancelOnThirdTick(CProgressDlg*, void* arg) { return ++*(int*)arg >= 3; }
}  // namespace

TEST(ProgressDlg, RunsTheWorkerToTheEnd) {
  CProgressDlg dlg;
  dlg.SetTitle("Karte speichern");
  dlg.SetWorker(CountingWorker, 200, 42);
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(42, dlg.GetResult());
  EXPECT_FALSE(dlg.IsCancelled());
}

TEST(ProgressDlg, TimerCallbackCancelsAndTheDestructorWaits) {
  int ticks = 0;
  {
    CProgressDlg dlg;
    dlg.SetWorker(EndlessWorker);
    dlg.SetTimerCallback(CancelOnThirdTick, 60, &ticks);
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_EQ(3, ticks);
  }
  EXPECT_EQ(1, g_sawCancel);
}

namespace {
volatile LONG g_liveWorkers = 0;
volatile LONG g_liveAtStart = -1;
HANDLE g_stepDone;
// A worker in the middle of a long step (a download, say) when it is
// cancelled; it looks at the flag only when the step is over.
int CancelledInALongStep(CProgressDlg* d) {
  InterlockedIncrement(&g_liveWorkers);
  WaitForSingleObject(g_stepDone, 5000);
  Sleep(300);  // the step's tail: the dialog is run again meanwhile
  for (int i = 0; i < 250 && !d->IsCancelled(); i++) Sleep(20);  // bounded, so a fault cannot hang the run
  InterlockedDecrement(&g_liveWorkers);
  return 0;
}
int NotesOthersAlive(CProgressDlg*) {
  InterlockedExchange(&g_liveAtStart, g_liveWorkers);
  return 7;
}
}  // namespace

TEST(ProgressDlg, RunAgainAfterCancelEndsTheFirstWorkerFirst) {
  g_stepDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  int ticks = 0;
  {
    CProgressDlg dlg;
    dlg.SetWorker(CancelledInALongStep);
    dlg.SetTimerCallback(CancelOnThirdTick, 60, &ticks);
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    SetEvent(g_stepDone);
    // the same dialog once more: the cancelled worker must end, not revive
    dlg.SetWorker(NotesOthersAlive);
    dlg.SetTimerCallback(nullptr, 0, nullptr);
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(7, dlg.GetResult());
    EXPECT_EQ(0, g_liveAtStart);
  }
  EXPECT_EQ(0, g_liveWorkers);  // nothing runs on a dialog that is gone
  CloseHandle(g_stepDone);
}

namespace {
// The worker sets the bar's state and waits until the bar has been told.
// This Wine's progress bar keeps no state of its own, so the test listens
// to what the dialog sends it.
volatile LONG g_barState = -1, g_listening = 0;
WNDPROC g_barProc;
LRESULT CALLBACK BarListener(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == PBM_SETSTATE) InterlockedExchange(&g_barState, (LONG)wp);
  return CallWindowProcA(g_barProc, wnd, msg, wp, lp);
}
int StatesWorker(CProgressDlg* d) {
  const int states[] = {1, 2, 0};
  const LONG shown[] = {PBST_ERROR, PBST_PAUSED, PBST_NORMAL};
  int seen = 0;
  for (int t = 0; t < 200 && !g_listening; t++) Sleep(10);
  for (int i = 0; i < 3 && !d->IsCancelled(); i++) {
    d->SetState(states[i]);
    for (int t = 0; t < 200 && g_barState != shown[i]; t++) Sleep(10);
    seen += g_barState == shown[i];
  }
  return seen;
}
int ListenToTheBar(CProgressDlg* d, void*) {
  if (!g_listening) {
    HWND bar = ::GetDlgItem(d->m_hWnd, 1005);
    g_barProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)BarListener);
    InterlockedExchange(&g_listening, 1);
  }
  return 0;
}
}  // namespace

TEST(ProgressDlg, TheBarShowsTheStateTheWorkerSets) {
  CProgressDlg dlg;
  dlg.SetWorker(StatesWorker);
  dlg.SetTimerCallback(ListenToTheBar, 20, nullptr);
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(3, dlg.GetResult());  // error, paused, normal each sent to the bar
}

TEST(ProgressDlg, WithoutWorker) {
  CProgressDlg dlg;
  EXPECT_EQ(-1, dlg.DoModal());
}

namespace {
const char* g_typed;
int g_button;
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowA(nullptr, "Ort eingeben");
  if (!dlg) return;
  KillTimer(nullptr, id);
  HWND edit = FindWindowExA(dlg, nullptr, "Edit", nullptr);
  char before[64] = "";
  GetWindowTextA(edit, before, sizeof before);
  if (strcmp(before, "Vorgabe") != 0) g_typed = "wrong preset";
  SetWindowTextA(edit, g_typed);
  PostMessageA(dlg, WM_COMMAND, g_button, 0);
}
}  // namespace

TEST(TextInputDlg, OkReturnsTheTextCutToTheBuffer) {
  CTextInputDlg dlg;
  dlg.SetTitle("Ort eingeben");
  dlg.SetPrompt("Name des Ortes:");
  dlg.SetText("Vorgabe");
  g_typed = "M\xFCnchen Hbf";
  g_button = IDOK;
  SetTimer(nullptr, 0, 50, AnswerDialog);
  EXPECT_EQ(1, dlg.DoModal());
  char buf[64];
  EXPECT_EQ(11, dlg.GetText(buf, sizeof buf));
  EXPECT_STREQ("M\xFCnchen Hbf", buf);
  char small[5];
  EXPECT_EQ(4, dlg.GetText(small, sizeof small));
  EXPECT_STREQ("M\xFCnc", small);
  EXPECT_EQ(0, dlg.GetText(small, 0));
}

TEST(TextInputDlg, CancelReturnsZero) {
  CTextInputDlg dlg;
  dlg.SetTitle("Ort eingeben");
  dlg.SetText("Vorgabe");
  g_typed = "x";
  g_button = IDCANCEL;
  SetTimer(nullptr, 0, 50, AnswerDialog);
  EXPECT_EQ(0, dlg.DoModal());
}
