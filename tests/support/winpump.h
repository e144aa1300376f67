// Lets a test's windows run for a while: the thread's messages are handled
// until the time is up, as they would be while a user waits.
#pragma once

#include <windows.h>

namespace orvtest {

inline void PumpMessages(DWORD ms, DWORD slice = 5) {
  DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(slice);
  } while ((LONG)(GetTickCount() - end) < 0);
}

}  // namespace orvtest
