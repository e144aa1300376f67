// What the view shares with the remote-control thread: the port index, the
// stop and acknowledge flags and the window to send commands to. The block
// is reference-counted (view and thread hold one each), so a thread that
// outlives its view never touches freed memory.
#pragma once

#include <windows.h>

#include <atomic>

namespace view {

struct RemoteShared {
  std::atomic<long> refs{1};
  std::atomic<int> port{0};  // COM index, 0 = COM1
  std::atomic<int> stop{0};
  std::atomic<int> ack{0};
  std::atomic<HWND> window{nullptr};

  void AddRef() { refs.fetch_add(1); }
  // Frees the block with the last reference.
  void Release() {
    if (refs.fetch_sub(1) == 1) delete this;
  }
};

// The thread's function gets the block with a reference of its own, which
// it releases when it ends.
typedef DWORD(WINAPI* RemoteThreadProc)(LPVOID shared);

// The function the view starts; the remote-control module installs its own
// (until then a thread that only waits for the stop flag runs).
void SetRemoteThreadProc(RemoteThreadProc proc);
RemoteThreadProc GetRemoteThreadProc();

constexpr DWORD kRemoteStack = 0x8000;
constexpr DWORD kRemoteStopWaitMs = 3000;

// Starts the thread on shared (stack 0x8000); the handle, or null.
HANDLE StartRemoteThread(RemoteShared* shared);
// Raises the stop flag and waits until the thread acknowledges or ends, at
// most kRemoteStopWaitMs, dispatching sent messages meanwhile (the thread may
// be sending to a window of this thread). Closes the handle. True when the
// thread answered in time.
bool StopRemoteThread(RemoteShared* shared, HANDLE thread, DWORD waitMs = kRemoteStopWaitMs);

}  // namespace view
