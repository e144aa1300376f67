#include "game/view/remote_link.h"

namespace view {

namespace {

DWORD WINAPI WaitForStop(LPVOID p) {
  RemoteShared* shared = static_cast<RemoteShared*>(p);
  while (!shared->stop.load()) Sleep(50);
  shared->ack.store(1);
  shared->Release();
  return 0;
}

std::atomic<RemoteThreadProc> g_proc{WaitForStop};

}  // namespace

void SetRemoteThreadProc(RemoteThreadProc proc) { g_proc.store(proc ? proc : WaitForStop); }

RemoteThreadProc GetRemoteThreadProc() { return g_proc.load(); }

HANDLE StartRemoteThread(RemoteShared* shared) {
  shared->AddRef();
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, kRemoteStack, g_proc.load(), shared, 0, &id);
  if (!h) shared->Release();
  return h;
}

bool StopRemoteThread(RemoteShared* shared, HANDLE thread, DWORD waitMs) {
  if (!shared) return true;
  shared->stop.store(1);
  bool answered = !thread;
  DWORD start = GetTickCount();
  while (!answered) {
    if (shared->ack.load()) {
      answered = true;
      break;
    }
    DWORD spent = GetTickCount() - start;
    if (spent >= waitMs) break;
    DWORD step = waitMs - spent < 50 ? waitMs - spent : 50;
    DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, step, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) {
      answered = true;
    } else if (r == WAIT_OBJECT_0 + 1) {
      // only messages sent from other threads are handled here
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
  if (thread) CloseHandle(thread);
  return answered;
}

}  // namespace view
