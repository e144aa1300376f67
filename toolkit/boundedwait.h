// Waiting on the user-interface thread for a worker without blocking the
// messages that other threads send to its windows (a worker or control that
// sends while the UI waits would otherwise deadlock).
#pragma once

#include <windows.h>

// The bound every stop of a worker waits at most.
enum : DWORD { WAIT_STOP_BOUND_MS = 5000 };

// Waits until handle is signalled or timeoutMs passed, handling sent
// messages meanwhile (posted ones stay queued). WAIT_OBJECT_0 or
// WAIT_TIMEOUT (WAIT_FAILED for a bad handle).
DWORD WaitHandlingSent(HANDLE handle, DWORD timeoutMs);

// As WaitHandlingSent, and the thread's windows are painted meanwhile: for a
// wait of seconds that the user watches.
DWORD WaitHandlingSentAndPaint(HANDLE handle, DWORD timeoutMs);

// Waits until done(context) returns true or timeoutMs passed, handling sent
// messages; checks every few milliseconds. true when done.
bool WaitUntilHandlingSent(bool (*done)(void* context), void* context, DWORD timeoutMs);
