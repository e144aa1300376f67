// The key box's thread: reads records from the configured serial port and
// posts their commands to the view's window. It never touches game state.
#pragma once

#include <windows.h>

#include <atomic>
#include <stdint.h>

namespace game {

// What the thread shares with the view. Both hold a reference, so a view
// that stops waiting never leaves the thread on freed memory.
struct RemoteShared {
  std::atomic<long> refs{1};
  std::atomic<uint32_t> portIndex{0};  // 0 = COM1
  std::atomic<int> stop{0};
  std::atomic<int> ack{0};             // set by the thread as its last act
  std::atomic<HWND> window{nullptr};   // where the commands go

  void AddRef() { refs.fetch_add(1); }
  void Release() {
    if (refs.fetch_sub(1) == 1) delete this;
  }
};

constexpr DWORD kRemoteWaitMs = 100;   // one wait for input
constexpr DWORD kRemoteRetryMs = 200;  // no port: try again after
constexpr DWORD kRemoteBaud = 9600;

// Thread procedure; the argument is a RemoteShared whose reference the
// thread takes over (the starter adds one for it).
DWORD WINAPI ComRemoteThread(LPVOID shared);

}  // namespace game
