#include "comm/serial.h"

#include <stdio.h>

namespace {

constexpr DWORD kPollSliceMs = 10;

struct ComSlot {
  HANDLE port;
  HANDLE readEvent;
};

ComSlot g_slots[COM_SLOTS];
HANDLE g_lock;  // the library's semaphore over the slot table

HANDLE Lock() {
  HANDLE h = static_cast<HANDLE>(InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&g_lock), nullptr, nullptr));
  if (h) return h;
  HANDLE created = CreateSemaphoreA(nullptr, 1, 1, nullptr);
  if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&g_lock), created, nullptr) != nullptr)
    CloseHandle(created);
  return g_lock;
}

class SlotGuard {
 public:
  SlotGuard() : m_lock(Lock()) { WaitForSingleObject(m_lock, INFINITE); }
  ~SlotGuard() { ReleaseSemaphore(m_lock, 1, nullptr); }
  SlotGuard(const SlotGuard&) = delete;
  SlotGuard& operator=(const SlotGuard&) = delete;

 private:
  HANDLE m_lock;
};

// The slot's handles, or false for a bad or closed slot.
bool Slot(int slot, ComSlot* out) {
  if (slot < 0 || slot >= COM_SLOTS) return false;
  SlotGuard guard;
  *out = g_slots[slot];
  return out->port != nullptr;
}

}  // namespace

int ComOpen(int portIndex, DWORD baud, int parity, int stopBits, int dataBits, DWORD) {
  if (portIndex < 0 || portIndex >= COM_PORTS) return -1;
  char name[24];
  snprintf(name, sizeof name, "\\\\.\\COM%d", portIndex + 1);
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return -1;
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 0};
  HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool ok = ev && GetCommState(port, &dcb);
  if (ok) {
    dcb.BaudRate = baud;
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.StopBits = static_cast<BYTE>(stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = parity != NOPARITY;
    ok = SetCommState(port, &dcb) && SetCommTimeouts(port, &timeouts);
  }
  if (ok) {
    SlotGuard guard;
    for (int i = 0; i < COM_SLOTS; ++i) {
      if (g_slots[i].port) continue;
      g_slots[i].port = port;
      g_slots[i].readEvent = ev;
      return i;
    }
  }
  if (ev) CloseHandle(ev);
  CloseHandle(port);
  return -1;
}

int ComClose(int slot) {
  if (slot == -1) return 0;
  if (slot < 0 || slot >= COM_SLOTS) return -1;
  ComSlot s;
  {
    SlotGuard guard;
    s = g_slots[slot];
    g_slots[slot] = ComSlot{};
  }
  if (!s.port) return -1;
  CloseHandle(s.port);
  if (s.readEvent) CloseHandle(s.readEvent);
  return 0;
}

int ComClearError(int slot) {
  ComSlot s;
  if (!Slot(slot, &s)) return 0;
  DWORD errors = 0;
  COMSTAT stat;
  return ClearCommError(s.port, &errors, &stat) ? 1 : 0;
}

int ComGetInputCount(int slot) {
  ComSlot s;
  if (!Slot(slot, &s)) return 0;
  DWORD errors = 0;
  COMSTAT stat;
  if (!ClearCommError(s.port, &errors, &stat)) return 0;
  return static_cast<int>(stat.cbInQue);
}

int ComRead(int slot, void* buffer, int n) {
  ComSlot s;
  if (!Slot(slot, &s) || !buffer || n < 0) return -1;
  if (n == 0) return 0;
  OVERLAPPED ov = {};
  ov.hEvent = s.readEvent;
  ResetEvent(ov.hEvent);
  DWORD got = 0;
  if (!ReadFile(s.port, buffer, static_cast<DWORD>(n), &got, &ov)) {
    if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(s.port, &ov, &got, TRUE)) return -1;
  }
  return static_cast<int>(got);
}

int ComWaitInput(int slot, DWORD ms) {
  ComSlot s;
  if (!Slot(slot, &s)) return 0;
  DWORD start = GetTickCount();
  for (;;) {
    if (ComGetInputCount(slot) > 0) return 1;
    DWORD used = GetTickCount() - start;
    if (used >= ms) return 0;
    Sleep(ms - used < kPollSliceMs ? ms - used : kPollSliceMs);
  }
}
