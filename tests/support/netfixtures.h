// Loopback peers that misbehave below HTTP, for the network tests.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <vector>

#include "comm/socket.h"

namespace orvtest {

// While it lives, every host-name lookup of the sockets hangs until Answer
// (then it resolves to 127.0.0.1), as with a resolver that does not reply.
class HangingLookup {
 public:
  HangingLookup() {
    Go() = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Calls() = 0;
    SockSetLookup(Lookup);
  }
  ~HangingLookup() {
    Answer();
    SockSetLookup(nullptr);
    Sleep(200);  // the lookups left behind end by themselves
    CloseHandle(Go());
  }
  HangingLookup(const HangingLookup&) = delete;
  HangingLookup& operator=(const HangingLookup&) = delete;

  void Answer() { SetEvent(Go()); }
  static int Count() { return Calls(); }

 private:
  static HANDLE& Go() {
    static HANDLE h;
    return h;
  }
  static std::atomic<int>& Calls() {
    static std::atomic<int> n;
    return n;
  }
  static int WSAAPI Lookup(const char*, const char* service, const addrinfo* hints, addrinfo** list) {
    Calls()++;
    WaitForSingleObject(Go(), 30000);
    return getaddrinfo("127.0.0.1", service, hints, list);
  }
};

// A listener on 127.0.0.1 whose queue is full: further connection attempts
// get no answer at all, as from a server that has hung.
class HangingListener {
 public:
  HangingListener() {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    m_ok = bind(m_listener, (sockaddr*)&a, sizeof a) == 0 && getsockname(m_listener, (sockaddr*)&a, &len) == 0 &&
           listen(m_listener, 0) == 0;
    m_port = ntohs(a.sin_port);
    for (int i = 0; m_ok && i < 8; i++) {
      SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
      u_long nb = 1;
      ioctlsocket(s, FIONBIO, &nb);
      connect(s, (sockaddr*)&a, sizeof a);
      m_fill.push_back(s);
    }
    Sleep(200);
  }
  ~HangingListener() {
    for (SOCKET s : m_fill) closesocket(s);
    closesocket(m_listener);
  }
  HangingListener(const HangingListener&) = delete;
  HangingListener& operator=(const HangingListener&) = delete;

  bool Ok() const { return m_ok; }
  unsigned short Port() const { return m_port; }

 private:
  SOCKET m_listener;
  std::vector<SOCKET> m_fill;
  unsigned short m_port = 0;
  bool m_ok = false;
};

}  // namespace orvtest
