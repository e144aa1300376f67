#include "game/dialogs/previewwnd.h"

#include <new>

#include "text/strcopy.h"
#include "toolkit/boundedwait.h"
#include "toolkit/dlgtemplate.h"

namespace game {

DWORD WINAPI PreviewWndThread(LPVOID arg);
INT_PTR CALLBACK PreviewWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

namespace {

// Passed as the reserve, like the project's other threads.
constexpr SIZE_T kPreviewStack = 4096;
// How long Close waits for the window's thread before it gives up.
constexpr DWORD kPreviewCloseWait = 10000;
constexpr int kCascadeSlots = 30;

// Where the next window goes (0..29), shared by every preview thread.
std::atomic<int> g_cascade{0};

int NextCascadeSlot() {
  int n = g_cascade.load();
  while (!g_cascade.compare_exchange_weak(n, (n + 1) % kCascadeSlots)) {
  }
  return n;
}

// Lives on the opener's stack until the thread sets ready.
struct PreviewStart {
  PreviewWnd* wnd;
  HANDLE ready;
};

struct Bmi256 {
  BITMAPINFOHEADER h;
  RGBQUAD c[256];
};

// The window may only grow to the picture plus its frame; the dragged side
// gives way.
void LimitSizing(RECT* r, WPARAM edge, int maxW, int maxH) {
  if (r->right - r->left > maxW) {
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
      r->left = r->right - maxW;
    else
      r->right = r->left + maxW;
  }
  if (r->bottom - r->top > maxH) {
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
      r->top = r->bottom - maxH;
    else
      r->bottom = r->top + maxH;
  }
}

}  // namespace

PreviewWnd::PreviewWnd() { m_title[0] = 0; }

INT_PTR CALLBACK PreviewWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  PreviewWnd* p = reinterpret_cast<PreviewWnd*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  switch (msg) {
    case WM_INITDIALOG: {
      p = reinterpret_cast<PreviewWnd*>(lp);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, lp);
      RECT outer, client;
      GetWindowRect(wnd, &outer);
      GetClientRect(wnd, &client);
      p->m_frameWidth = (outer.right - outer.left) - client.right;
      p->m_frameHeight = (outer.bottom - outer.top) - client.bottom;
      SetWindowTextA(wnd, p->m_title);
      int n = NextCascadeSlot();
      SetWindowPos(wnd, nullptr, 16 * n + 4, 16 * n + 4, p->Width() + p->m_frameWidth,
                   p->Height() + p->m_frameHeight, SWP_NOZORDER);
      ShowWindow(wnd, SW_SHOW);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      if (p && !p->IsEmpty()) {
        Bmi256 bmi;
        p->GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
        SetDIBitsToDevice(dc, 0, 0, p->Width(), p->Height(), 0, 0, 0, p->Height(), p->Pixels(),
                          reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
      }
      EndPaint(wnd, &ps);
      return TRUE;
    }
    case WM_SIZING:
      if (p)
        LimitSizing(reinterpret_cast<RECT*>(lp), wp, p->Width() + p->m_frameWidth, p->Height() + p->m_frameHeight);
      return TRUE;
    case kPreviewRedrawMsg:
      if (p) {
        RECT r = {0, 0, p->Width(), p->Height()};
        InvalidateRect(wnd, &r, FALSE);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) {
        DestroyWindow(wnd);
        return TRUE;
      }
      break;
    case WM_DESTROY:
      // from here on nobody posts to this window; the loop ends
      if (p) p->m_window.store(nullptr);
      PostQuitMessage(0);
      break;
  }
  return FALSE;
}

DWORD WINAPI PreviewWndThread(LPVOID arg) {
  PreviewStart* start = static_cast<PreviewStart*>(arg);
  PreviewWnd* p = start->wnd;
  HANDLE ready = start->ready;
  HWND wnd;
  {
    CDlgTemplate t("Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 186, 90);
    t.SetFont("MS Sans Serif", 8);
    wnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, PreviewWndProc,
                                     reinterpret_cast<LPARAM>(p));
  }
  p->m_window.store(wnd);
  SetEvent(ready);  // start is gone from here on
  if (!wnd) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(wnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  // a loop ended by anything else than the window's end leaves no window behind
  HWND left = p->m_window.exchange(nullptr);
  if (left) DestroyWindow(left);
  return 0;
}

PreviewWnd* PreviewWndOpen(int width, int height, const char* title, int bits) {
  if (width < 1 || height < 1) return nullptr;
  PreviewWnd* p = new (std::nothrow) PreviewWnd;
  if (!p) return nullptr;
  if (!p->Create(bits, width, height, 0xFFFFFF, 0)) {
    delete p;
    return nullptr;
  }
  p->SetTextColor(nullptr, 0, 0);
  p->SetTextColor(nullptr, kImgNoColorKey, 1);
  p->SetFont(nullptr, 0);
  StrCopyA(p->m_title, title ? title : "", sizeof p->m_title);

  PreviewStart start = {p, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  if (start.ready)
    p->m_thread = CreateThread(nullptr, kPreviewStack, PreviewWndThread, &start, STACK_SIZE_PARAM_IS_A_RESERVATION,
                               nullptr);
  if (!p->m_thread) {
    if (start.ready) CloseHandle(start.ready);
    delete p;
    return nullptr;
  }
  // a caller may close at once: hand the object out only with its window;
  // the thread sets ready with or without one. Messages that the new
  // window's activation sends to the caller's windows are handled meanwhile.
  WaitHandlingSent(start.ready, INFINITE);
  CloseHandle(start.ready);
  if (!p->m_window.load()) {
    WaitForSingleObject(p->m_thread, INFINITE);
    CloseHandle(p->m_thread);
    delete p;
    return nullptr;
  }
  return p;
}

void PreviewWndRedraw(PreviewWnd* p) {
  if (!p) return;
  // a handle of 0 would post to the caller's own queue
  HWND wnd = p->m_window.load();
  if (wnd) PostMessageA(wnd, kPreviewRedrawMsg, 0, 0);
}

int PreviewWndClose(PreviewWnd* p) {
  if (!p) return 0;
  if (p->m_thread) {
    HWND wnd = p->m_window.load();
    if (wnd) PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
    if (WaitHandlingSent(p->m_thread, kPreviewCloseWait) != WAIT_OBJECT_0) return 0;
    CloseHandle(p->m_thread);
    p->m_thread = nullptr;
  }
  delete p;
  return 1;
}

void PreviewWndFree(PreviewWnd* p) {
  if (p && p->m_thread)
    PreviewWndClose(p);
  else
    delete p;
}

}  // namespace game
