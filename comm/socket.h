// Small TCP layer over Winsock: connect, send and receive with time-outs,
// each wait cut into short slices so that another thread can abort it.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>

// Winsock started once per process; true when usable.
bool SockStartup();

// Negative results of the socket functions.
enum {
  SOCK_ERR_RESOLVE = -2,   // host name unknown
  SOCK_ERR_CONNECT = -3,   // refused or unreachable
  SOCK_ERR_TIMEOUT = -5,
  SOCK_ERR_ABORTED = -6,
  SOCK_ERR_IO = -20,       // send or receive failed
};

// Connects to host:port (IPv4 or IPv6, each address in turn) within the
// time-out, the name's lookup included; stops early when *abort becomes
// true, also while a lookup hangs. Returns a socket or a negative code in
// *err.
SOCKET SockConnect(const char* host, unsigned short port, DWORD timeoutMs,
                   const std::atomic<bool>* abort, int* err);

// Sends all bytes before the deadline (GetTickCount64 value). 0 or a code.
int SockSendAll(SOCKET s, const char* data, int len, ULONGLONG deadline,
                const std::atomic<bool>* abort);

// Receives up to len bytes, waiting until the deadline. Returns the count,
// 0 when the peer closed, or a negative code.
int SockRecv(SOCKET s, char* buf, int len, ULONGLONG deadline,
             const std::atomic<bool>* abort);

// The host-name lookup of SockConnect, getaddrinfo's signature; its list
// must be one that freeaddrinfo frees. nullptr restores getaddrinfo.
typedef int(WSAAPI* SockLookupFn)(const char* host, const char* service, const addrinfo* hints, addrinfo** list);
void SockSetLookup(SockLookupFn fn);
