#include "comm/socket.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {
// slice of every wait: how quickly an abort is noticed
const DWORD kSliceMs = 50;

bool Aborted(const std::atomic<bool>* abort) { return abort && abort->load(); }

// Waits until the socket is readable (or writable) or the slice ends.
// 1 ready, 0 not yet, -1 error.
int WaitSlice(SOCKET s, bool forWrite, DWORD ms) {
  fd_set set, errs;
  FD_ZERO(&set);
  FD_ZERO(&errs);
  FD_SET(s, &set);
  FD_SET(s, &errs);
  timeval tv = {(long)(ms / 1000), (long)((ms % 1000) * 1000)};
  int r = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errs, &tv);
  if (r == SOCKET_ERROR) return -1;
  if (FD_ISSET(s, &errs)) return -1;
  return r > 0 ? 1 : 0;
}

DWORD Remaining(ULONGLONG deadline) {
  ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : (DWORD)(deadline - now);
}

// The next slice of a wait, or 0 with *err set when aborted or out of time.
DWORD NextSlice(const std::atomic<bool>* abort, ULONGLONG deadline, int* err) {
  if (Aborted(abort)) {
    *err = SOCK_ERR_ABORTED;
    return 0;
  }
  DWORD left = Remaining(deadline);
  if (left == 0) *err = SOCK_ERR_TIMEOUT;
  return left < kSliceMs ? left : kSliceMs;
}

std::atomic<SockLookupFn> g_lookup{nullptr};

// One name lookup on a thread of its own: the caller may stop waiting for
// it (abort, time-out), and the thread then frees what it finds itself.
struct Lookup {
  std::string host, service;
  addrinfo hints;
  SockLookupFn fn;
  addrinfo* list = nullptr;
  int rc = -1;
  HANDLE done = nullptr;
  std::atomic<int> refs{2};

  void Release() {
    if (--refs) return;
    if (list) freeaddrinfo(list);
    if (done) CloseHandle(done);
    delete this;
  }
  static DWORD WINAPI Run(LPVOID p) {
    Lookup* l = (Lookup*)p;
    l->rc = l->fn(l->host.c_str(), l->service.c_str(), &l->hints, &l->list);
    SetEvent(l->done);
    l->Release();
    return 0;
  }
};

// The list for host, or nullptr with *err set.
addrinfo* Resolve(const char* host, const char* service, const addrinfo& hints, ULONGLONG deadline,
                  const std::atomic<bool>* abort, int* err) {
  *err = SOCK_ERR_RESOLVE;
  SockLookupFn fn = g_lookup.load();
  addrinfo* list = nullptr;
  // an address in digits needs no resolver and cannot hang
  addrinfo numeric = hints;
  numeric.ai_flags |= AI_NUMERICHOST;
  if (getaddrinfo(host, service, &numeric, &list) == 0 && list) return list;
  if (!fn) fn = getaddrinfo;
  Lookup* l = new Lookup;
  l->host = host;
  l->service = service;
  l->hints = hints;
  l->fn = fn;
  l->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE t = l->done ? CreateThread(nullptr, 0x10000, Lookup::Run, l, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
                     : nullptr;
  if (!t) {
    // no thread to be had: the lookup here, as it always could be
    l->refs = 1;
    l->rc = fn(host, service, &hints, &l->list);
  } else {
    CloseHandle(t);
    for (DWORD slice; (slice = NextSlice(abort, deadline, err)) != 0;)
      if (WaitForSingleObject(l->done, slice) == WAIT_OBJECT_0) break;
  }
  if (WaitForSingleObject(l->done, 0) == WAIT_OBJECT_0 || !t) {
    if (l->rc == 0 && l->list) {
      list = l->list;
      l->list = nullptr;
      *err = 0;
    } else {
      *err = SOCK_ERR_RESOLVE;
    }
  }
  l->Release();
  return list;
}
}  // namespace

void SockSetLookup(SockLookupFn fn) { g_lookup = fn; }

static bool g_wsaOk = false;

static BOOL CALLBACK StartWinsock(PINIT_ONCE, PVOID, PVOID*) {
  WSADATA wd;
  g_wsaOk = WSAStartup(MAKEWORD(2, 2), &wd) == 0;
  return TRUE;
}

bool SockStartup() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, StartWinsock, nullptr, nullptr);
  return g_wsaOk;
}

SOCKET SockConnect(const char* host, unsigned short port, DWORD timeoutMs,
                   const std::atomic<bool>* abort, int* err) {
  *err = SOCK_ERR_RESOLVE;
  if (!SockStartup() || !host || !*host) return INVALID_SOCKET;
  char service[8];
  snprintf(service, sizeof service, "%u", (unsigned)port);
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  addrinfo* list = Resolve(host, service, hints, deadline, abort, err);
  if (!list) return INVALID_SOCKET;
  SOCKET result = INVALID_SOCKET;
  *err = SOCK_ERR_CONNECT;
  for (addrinfo* ai = list; ai && result == INVALID_SOCKET; ai = ai->ai_next) {
    SOCKET s = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nb = 1;
    ioctlsocket(s, FIONBIO, &nb);
    if (connect(s, ai->ai_addr, (int)ai->ai_addrlen) == 0) {
      result = s;
      break;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
      closesocket(s);
      continue;
    }
    for (DWORD slice; (slice = NextSlice(abort, deadline, err)) != 0;) {
      int w = WaitSlice(s, true, slice);
      if (w < 0) break;
      if (w > 0) {
        int soerr = 0;
        int l = sizeof soerr;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, (char*)&soerr, &l) == 0 && soerr == 0) result = s;
        break;
      }
    }
    if (result == INVALID_SOCKET) closesocket(s);
    if (*err == SOCK_ERR_ABORTED || *err == SOCK_ERR_TIMEOUT) break;
  }
  freeaddrinfo(list);
  if (result != INVALID_SOCKET) *err = 0;
  return result;
}

int SockSendAll(SOCKET s, const char* data, int len, ULONGLONG deadline,
                const std::atomic<bool>* abort) {
  while (len > 0) {
    int err = 0;
    DWORD slice = NextSlice(abort, deadline, &err);
    if (!slice) return err;
    int w = WaitSlice(s, true, slice);
    if (w < 0) return SOCK_ERR_IO;
    if (w == 0) continue;
    int n = send(s, data, len, 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return SOCK_ERR_IO;
    }
    data += n;
    len -= n;
  }
  return 0;
}

int SockRecv(SOCKET s, char* buf, int len, ULONGLONG deadline,
             const std::atomic<bool>* abort) {
  for (;;) {
    int err = 0;
    DWORD slice = NextSlice(abort, deadline, &err);
    if (!slice) return err;
    int w = WaitSlice(s, false, slice);
    if (w < 0) return SOCK_ERR_IO;
    if (w == 0) continue;
    int n = recv(s, buf, len, 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return SOCK_ERR_IO;
    }
    return n;
  }
}
