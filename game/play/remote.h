// The key box's thread: reads records from the configured serial port and
// posts their commands to the view's window. It never touches game state.
#pragma once

#include <windows.h>

#include "game/view/remote_link.h"

namespace game {

constexpr DWORD kRemoteWaitMs = 100;   // one wait for input
constexpr DWORD kRemoteRetryMs = 200;  // no port: try again after
constexpr DWORD kRemoteBaud = 9600;

// Thread procedure on the view's shared block (view::RemoteShared), whose
// reference the thread takes over and releases as it ends.
DWORD WINAPI ComRemoteThread(LPVOID shared);

}  // namespace game
