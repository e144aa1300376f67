#include "toolkit/boundedwait.h"

namespace {

void HandleSent() {
  // PeekMessage dispatches the sent messages itself
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

DWORD Remaining(DWORD start, DWORD timeoutMs) {
  DWORD spent = GetTickCount() - start;
  return spent >= timeoutMs ? 0 : timeoutMs - spent;
}

void Paint() {
  // each window once: one that stays invalid must not hold the wait
  MSG msg;
  for (int i = 0; i < 64 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageA(&msg);
}

DWORD Wait(HANDLE handle, DWORD timeoutMs, bool paint) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = Remaining(start, timeoutMs);
    DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE | (paint ? QS_PAINT : 0u));
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return r;
    if (r == WAIT_OBJECT_0 + 1) {
      HandleSent();
      if (paint) Paint();
      if (Remaining(start, timeoutMs) == 0) return WaitForSingleObject(handle, 0);
      continue;
    }
    return WAIT_TIMEOUT;
  }
}

}  // namespace

DWORD WaitHandlingSent(HANDLE handle, DWORD timeoutMs) { return Wait(handle, timeoutMs, false); }

DWORD WaitHandlingSentAndPaint(HANDLE handle, DWORD timeoutMs) { return Wait(handle, timeoutMs, true); }

bool WaitUntilHandlingSent(bool (*done)(void* context), void* context, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done(context)) {
    DWORD left = Remaining(start, timeoutMs);
    if (left == 0) return false;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 5 ? left : 5, QS_SENDMESSAGE) == WAIT_OBJECT_0)
      HandleSent();
  }
  return true;
}
