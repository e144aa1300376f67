// Drives the serial slots and the key box's thread for serial_test.py:
//   serial_probe read PORT SECONDS    prints each received byte run as hex
//   serial_probe remote PORT SECONDS [PORT2 MS]
//                                     runs the key box's thread, prints the
//                                     commands it posts (after MS ms the
//                                     configured port becomes PORT2), then
//                                     stops it
//   serial_probe slots                checks the slot rules without a port
// Lines are flushed at once; times are milliseconds since the start.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "comm/serial.h"
#include "game/play/remote.h"

namespace {

DWORD g_start;

void Say(const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  printf("%lu ", (unsigned long)(GetTickCount() - g_start));
  vprintf(fmt, a);
  printf("\n");
  fflush(stdout);
  va_end(a);
}

double CpuSeconds() {
  FILETIME c, e, k, u;
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  ULARGE_INTEGER kk{{k.dwLowDateTime, k.dwHighDateTime}}, uu{{u.dwLowDateTime, u.dwHighDateTime}};
  return (kk.QuadPart + uu.QuadPart) / 1e7;
}

int Read(int port, int seconds) {
  int slot = -1;
  double cpu0 = CpuSeconds();
  DWORD end = GetTickCount() + seconds * 1000u;
  while ((int)(end - GetTickCount()) > 0) {
    if (slot < 0 && (slot = ComOpen(port, 9600, NOPARITY, ONESTOPBIT, 8, 0)) >= 0) Say("open %d", slot);
    if (slot < 0) {
      Sleep(200);
      continue;
    }
    if (!ComWaitInput(slot, 100)) continue;
    char buf[64];
    int n = ComRead(slot, buf, sizeof buf);
    if (n < 0) {
      Say("read error");
      ComClose(slot), slot = -1;
      continue;
    }
    char hex[200] = "";
    for (int i = 0; i < n; ++i) sprintf(hex + 2 * i, "%02x", (unsigned char)buf[i]);
    Say("data %s", hex);
  }
  Say("cpu %.3f", CpuSeconds() - cpu0);
  ComClose(slot);
  return 0;
}

LRESULT CALLBACK ProbeWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND) Say("command %u", (unsigned)LOWORD(wp));
  return DefWindowProcA(w, m, wp, lp);
}

int Remote(int port, int seconds, int port2, DWORD switchMs) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ProbeWndProc;
  wc.lpszClassName = "SerialProbe";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA("SerialProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  auto* shared = new view::RemoteShared;
  shared->port = port;
  shared->window = wnd;
  shared->AddRef();  // the thread's
  HANDLE t = CreateThread(nullptr, 0x8000, game::ComRemoteThread, shared, 0, nullptr);
  CloseHandle(t);
  double cpu0 = CpuSeconds();
  DWORD end = GetTickCount() + seconds * 1000u;
  while ((int)(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (port2 >= 0 && GetTickCount() - g_start >= switchMs) {
      shared->port = port2;
      Say("port %d", port2);
      port2 = -1;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  Say("cpu %.3f", CpuSeconds() - cpu0);
  DWORD t0 = GetTickCount();
  shared->stop = 1;
  while (!shared->ack && GetTickCount() - t0 < 2000) Sleep(10);
  Say("stopped %d after %lu", (int)shared->ack, (unsigned long)(GetTickCount() - t0));
  shared->Release();
  return 0;
}

int Slots() {
  int bad = 0;
  bad += ComClose(-1) != 0;
  bad += ComClose(3) != -1;
  bad += ComClose(8) != -1;
  bad += ComClearError(-1) != 0 || ComClearError(0) != 0 || ComClearError(99) != 0;
  bad += ComGetInputCount(0) != 0 || ComGetInputCount(-5) != 0;
  char b[4];
  bad += ComRead(0, b, 4) != -1 || ComRead(12, b, 4) != -1;
  DWORD t0 = GetTickCount();
  bad += ComWaitInput(0, 500) != 0;  // a closed slot does not wait
  bad += GetTickCount() - t0 > 100;
  bad += ComOpen(-1, 9600, 0, 0, 8, 0) != -1;
  bad += ComOpen(200, 9600, 0, 0, 8, 0) != -1;  // COM201 does not exist
  Say("slots %s", bad ? "bad" : "ok");
  return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  g_start = GetTickCount();
  if (argc >= 2 && !strcmp(argv[1], "slots")) return Slots();
  if (argc < 4) return 2;
  int port = atoi(argv[2]), seconds = atoi(argv[3]);
  if (!strcmp(argv[1], "read")) return Read(port, seconds);
  if (!strcmp(argv[1], "remote"))
    return Remote(port, seconds, argc >= 6 ? atoi(argv[4]) : -1, argc >= 6 ? (DWORD)atoi(argv[5]) : 0);
  return 2;
}
