// Serial ports in eight slots, opened for overlapped input. A slot number
// is what ComOpen returns; a bad or closed slot gives -1 or 0.
#pragma once

// Ports COM1 .. COM256: indexes 0 .. COM_PORTS - 1. The settings that name a
// port keep to the same range, so this part is visible without windows.h.
constexpr int COM_PORTS = 256;

#ifdef _WIN32
#include <windows.h>

constexpr int COM_SLOTS = 8;

// Opens "\\.\COM<index + 1>" with the line settings (parity, stop bits as
// in DCB, 0 = none / one) and time-outs that return at once; flags reserved.
// Returns the slot 0..7, or -1.
int ComOpen(int portIndex, DWORD baud, int parity, int stopBits, int dataBits, DWORD flags);
// Closes the port and its event; -1 does nothing. 0, or -1 for a bad slot.
int ComClose(int slot);
// 1 when ClearCommError succeeds on the open port, else 0.
int ComClearError(int slot);
// Bytes received and waiting; 0 on error.
int ComGetInputCount(int slot);
// Reads at most n waiting bytes, the transfer completed before returning;
// the count, or -1 on a read error.
int ComRead(int slot, void* buffer, int n);
// 1 as soon as received bytes wait, 0 after at most ms milliseconds. Polls
// the queue with short sleeps: waiting for the port's events may return at
// once without bytes on some systems, which would spin a core.
int ComWaitInput(int slot, DWORD ms);

#endif  // _WIN32
