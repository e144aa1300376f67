#include "comm/httpclient.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "comm/socket.h"
#include "text/casefold.h"

namespace {
const int kMaxHeader = 32 * 1024;
const int kMaxRedirects = 5;
const int kRedirect = -1000;  // internal: Request() saw a redirect

int MapSockErr(int e) {
  switch (e) {
    case SOCK_ERR_RESOLVE: return HTTP_ERR_RESOLVE;
    case SOCK_ERR_CONNECT: return HTTP_ERR_CONNECT;
    case SOCK_ERR_TIMEOUT: return HTTP_ERR_TIMEOUT;
    case SOCK_ERR_ABORTED: return HTTP_ERR_ABORTED;
    default: return HTTP_ERR_IO;
  }
}

bool StartsNoCase(const char* s, const char* prefix) {
  return _strnicmp(s, prefix, strlen(prefix)) == 0;
}

// "host", "host:port", "[v6]" or "[v6]:port"; the port stays when none given.
bool SplitHostPort(const std::string& text, std::string* host, int* port) {
  if (text.empty()) return false;
  std::string rest;
  if (text[0] == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    *host = text.substr(1, close - 1);
    rest = text.substr(close + 1);
  } else {
    size_t colon = text.find(':');
    *host = text.substr(0, colon);
    if (colon != std::string::npos) rest = text.substr(colon);
  }
  if (host->empty()) return false;
  // a name with blanks or control codes is no host (and must not reach a header)
  for (char c : *host)
    if ((unsigned char)c <= ' ' || c == 0x7F || c == '/' || c == '@') return false;
  if (!rest.empty()) {
    if (rest[0] != ':' || rest.size() < 2 || rest.size() > 6) return false;
    long p = 0;
    for (size_t i = 1; i < rest.size(); i++) {
      if (rest[i] < '0' || rest[i] > '9') return false;
      p = p * 10 + (rest[i] - '0');
    }
    if (p < 1 || p > 65535) return false;
    *port = (int)p;
  }
  return true;
}

// the value of a header field, trimmed; false when absent
bool HeaderValue(const std::string& header, const char* name, std::string* value) {
  size_t len = strlen(name);
  size_t pos = header.find("\r\n");
  while (pos != std::string::npos && pos + 2 < header.size()) {
    size_t start = pos + 2;
    size_t end = header.find("\r\n", start);
    if (end == std::string::npos) end = header.size();
    if (end - start > len && header[start + len] == ':' &&
        _strnicmp(header.c_str() + start, name, len) == 0) {
      size_t v = start + len + 1;
      while (v < end && (header[v] == ' ' || header[v] == '\t')) v++;
      size_t e = end;
      while (e > v && (header[e - 1] == ' ' || header[e - 1] == '\t')) e--;
      *value = header.substr(v, e - v);
      return true;
    }
    pos = end;
  }
  return false;
}

// decimal, no sign, no overflow; -1 when not a number
long long ParseLength(const std::string& s) {
  if (s.empty() || s.size() > 18) return -1;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}
}  // namespace

CHttpClient::CHttpClient() { InitializeCriticalSection(&m_lock); }

CHttpClient::~CHttpClient() {
  Close();
  DeleteCriticalSection(&m_lock);
}

void CHttpClient::DropSocket() {
  if (m_sock != INVALID_SOCKET) {
    closesocket(m_sock);
    m_sock = INVALID_SOCKET;
  }
  m_in.clear();
  m_inPos = 0;
}

void CHttpClient::Close() {
  DropSocket();
  m_host.clear();
}

void CHttpClient::Abort() {
  EnterCriticalSection(&m_lock);
  if (m_busy) m_abort = true;
  LeaveCriticalSection(&m_lock);
}

namespace {
// The host and port that Connect takes a server text and port for.
bool ServerOf(const char* server, int port, std::string* host, int* p) {
  *p = (port > 0 && port <= 65535) ? port : 80;
  return server && SplitHostPort(server, host, p);
}
}  // namespace

bool CHttpClient::IsConnectedTo(const char* server, int port) const {
  std::string host;
  int p;
  if (m_host.empty() || !ServerOf(server, port, &host, &p) || p != m_port || host.size() != m_host.size())
    return false;
  for (size_t i = 0; i < host.size(); i++)
    if (CaseLowerAscii((unsigned char)host[i]) != CaseLowerAscii((unsigned char)m_host[i])) return false;
  return true;
}

int CHttpClient::Connect(const char* server, int port, int timeoutMs) {
  Close();
  std::string host;
  int p;
  if (!ServerOf(server, port, &host, &p)) return HTTP_ERR_ARGS;
  int err = 0;
  // Abort() ends a connect too: an unreachable server must not hold a
  // stopping worker for the whole time-out
  EnterCriticalSection(&m_lock);
  m_busy = true;
  m_abort = false;
  LeaveCriticalSection(&m_lock);
  SOCKET s = SockConnect(host.c_str(), (unsigned short)p, timeoutMs > 0 ? timeoutMs : 10000, &m_abort, &err);
  EnterCriticalSection(&m_lock);
  m_busy = false;
  m_abort = false;
  LeaveCriticalSection(&m_lock);
  if (s == INVALID_SOCKET) return MapSockErr(err);
  m_sock = s;
  m_host = host;
  m_port = p;
  return 0;
}

int CHttpClient::Fill(unsigned long long deadline) {
  // drop what was consumed: a stream of small records would otherwise
  // pile up here whole
  if (m_inPos > 0) {
    m_in.erase(m_in.begin(), m_in.begin() + (ptrdiff_t)m_inPos);
    m_inPos = 0;
  }
  char buf[16384];
  int n = SockRecv(m_sock, buf, sizeof buf, deadline, &m_abort);
  if (n > 0) m_in.insert(m_in.end(), buf, buf + n);
  return n;
}

int CHttpClient::ReadHeader(unsigned long long deadline, std::string* header) {
  for (;;) {
    const char* begin = m_in.data() + m_inPos;
    size_t have = m_in.size() - m_inPos;
    for (size_t i = 0; i + 3 < have; i++) {
      if (memcmp(begin + i, "\r\n\r\n", 4) == 0) {
        header->assign(begin, i + 2);
        m_inPos += i + 4;
        return 0;
      }
    }
    if ((int)have > kMaxHeader) return HTTP_ERR_BAD_HEADER;
    int n = Fill(deadline);
    if (n == 0) return HTTP_ERR_NO_RESPONSE;
    if (n < 0) return MapSockErr(n);
  }
}

int CHttpClient::TakeLine(unsigned long long deadline, std::string* line) {
  for (;;) {
    const char* begin = m_in.data() + m_inPos;
    size_t have = m_in.size() - m_inPos;
    const void* lf = memchr(begin, '\n', have);
    if (lf) {
      size_t len = (const char*)lf - begin;
      line->assign(begin, len);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      m_inPos += len + 1;
      return 0;
    }
    if (have > 1024) return HTTP_ERR_BAD_CHUNK;
    int n = Fill(deadline);
    if (n == 0) return HTTP_ERR_SHORT_BODY;
    if (n < 0) return MapSockErr(n);
  }
}

int CHttpClient::Emit(HANDLE file, const char* data, int n, long long* total) {
  if (n <= 0) return 0;
  if (*total + n > m_maxBody) return HTTP_ERR_TOO_LARGE;
  size_t keep = m_keep.size();
  if (keep < (size_t)kKeepBytes) {
    size_t add = (size_t)kKeepBytes - keep;
    if (add > (size_t)n) add = (size_t)n;
    m_keep.insert(m_keep.end(), (const unsigned char*)data, (const unsigned char*)data + add);
  }
  DWORD written = 0;
  if (!WriteFile(file, data, (DWORD)n, &written, nullptr) || written != (DWORD)n) return HTTP_ERR_WRITE_FILE;
  *total += n;
  return 0;
}

int CHttpClient::ReadBody(HANDLE file, long long contentLength, bool chunked, unsigned long long deadline) {
  long long total = 0;
  int r;
  if (chunked) {
    for (;;) {
      std::string line;
      if ((r = TakeLine(deadline, &line)) < 0) return r;
      size_t semi = line.find(';');
      if (semi != std::string::npos) line.resize(semi);
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
      if (line.empty() || line.size() > 8) return HTTP_ERR_BAD_CHUNK;
      long long size = 0;
      for (char c : line) {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0) return HTTP_ERR_BAD_CHUNK;
        size = size * 16 + d;
      }
      if (size == 0) {
        // trailer fields up to the empty line
        do {
          if ((r = TakeLine(deadline, &line)) < 0) return r;
        } while (!line.empty());
        break;
      }
      if (total + size > m_maxBody) return HTTP_ERR_TOO_LARGE;
      while (size > 0) {
        size_t have = m_in.size() - m_inPos;
        if (have == 0) {
          int n = Fill(deadline);
          if (n == 0) return HTTP_ERR_SHORT_BODY;
          if (n < 0) return MapSockErr(n);
          continue;
        }
        int take = (int)(have < (size_t)size ? have : (size_t)size);
        if ((r = Emit(file, m_in.data() + m_inPos, take, &total)) < 0) return r;
        m_inPos += take;
        size -= take;
      }
      if ((r = TakeLine(deadline, &line)) < 0) return r;
      if (!line.empty()) return HTTP_ERR_BAD_CHUNK;
    }
  } else {
    if (contentLength > m_maxBody) return HTTP_ERR_TOO_LARGE;
    for (;;) {
      size_t have = m_in.size() - m_inPos;
      if (have > 0) {
        long long want = contentLength >= 0 ? contentLength - total : (long long)have;
        if ((long long)have > want) return HTTP_ERR_LONG_BODY;
        if ((r = Emit(file, m_in.data() + m_inPos, (int)have, &total)) < 0) return r;
        m_inPos += have;
      }
      if (contentLength >= 0 && total == contentLength) {
        // a server that sends more than it announced is not to be trusted
        unsigned long long now = GetTickCount64();
        unsigned long long probe = now + 200 < deadline ? now + 200 : deadline;
        int n = Fill(probe);
        if (n > 0) return HTTP_ERR_LONG_BODY;
        break;
      }
      int n = Fill(deadline);
      if (n == 0) {
        if (contentLength >= 0) return HTTP_ERR_SHORT_BODY;
        break;
      }
      if (n < 0) return MapSockErr(n);
    }
  }
  if (total == 0) return HTTP_ERR_EMPTY;
  return total > 0x7FFFFFFF ? HTTP_ERR_TOO_LARGE : (int)total;
}

int CHttpClient::Request(const Url& url, HANDLE file, unsigned long long deadline, std::string* location) {
  for (int attempt = 0; attempt < 2; attempt++) {
    bool reused = m_sock != INVALID_SOCKET && attempt == 0 && url.host == m_host && url.port == m_port;
    if (!reused) {
      DropSocket();
      int err = 0;
      unsigned long long now = GetTickCount64();
      if (now >= deadline) return HTTP_ERR_TIMEOUT;
      m_sock = SockConnect(url.host.c_str(), (unsigned short)url.port, (DWORD)(deadline - now), &m_abort, &err);
      if (m_sock == INVALID_SOCKET) return MapSockErr(err);
    }
    m_in.clear();
    m_inPos = 0;

    std::string hostField = url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
    if (url.port != 80) hostField += ":" + std::to_string(url.port);
    std::string req = "GET " + url.path + " HTTP/1.0\r\nHost: " + hostField +
                      "\r\nUser-Agent: Orvalo/1.0\r\nAccept: */*\r\nConnection: close\r\n\r\n";
    int r = SockSendAll(m_sock, req.data(), (int)req.size(), deadline, &m_abort);
    if (r < 0) {
      if (reused && r == SOCK_ERR_IO) continue;  // the idle connection was gone
      DropSocket();
      return r == SOCK_ERR_IO ? HTTP_ERR_SEND : MapSockErr(r);
    }
    std::string header;
    r = ReadHeader(deadline, &header);
    if (r == HTTP_ERR_NO_RESPONSE && reused && m_in.empty()) continue;
    if (r < 0) {
      DropSocket();
      return r;
    }
    // "HTTP/1.x NNN ...": the three digits behind the status line's first blank
    m_status = 0;
    size_t code = header.find(' ') + 1, eol = header.find("\r\n");
    bool digits = code > 0 && code + 3 <= eol;
    for (size_t i = 0; digits && i < 3; i++) digits = header[code + i] >= '0' && header[code + i] <= '9';
    if (digits) m_status = atoi(header.substr(code, 3).c_str());
    if (header.size() < 12 || !StartsNoCase(header.c_str(), "HTTP/") || !digits || m_status < 100) {
      DropSocket();
      return HTTP_ERR_BAD_HEADER;
    }
    std::string value;
    if (m_status >= 300 && m_status < 400 && m_status != 304 && HeaderValue(header, "Location", &value)) {
      *location = value;
      DropSocket();
      return kRedirect;
    }
    if (m_status < 200 || m_status >= 300) {
      DropSocket();
      return HTTP_ERR_STATUS;
    }
    bool chunked = HeaderValue(header, "Transfer-Encoding", &value) && StartsNoCase(value.c_str(), "chunked");
    long long length = -1;
    if (!chunked && HeaderValue(header, "Content-Length", &value)) {
      length = ParseLength(value);
      if (length < 0) {
        DropSocket();
        return HTTP_ERR_BAD_HEADER;
      }
    }
    r = ReadBody(file, length, chunked, deadline);
    DropSocket();  // HTTP/1.0: one request per connection
    return r;
  }
  DropSocket();
  return HTTP_ERR_NO_RESPONSE;
}

namespace {
// Blanks, control codes and DEL would end the request line or add header
// lines of the caller's text (a path from an edited server table).
bool FitsRequestLine(const std::string& text) {
  for (char c : text)
    if ((unsigned char)c < 0x21 || (unsigned char)c == 0x7F) return false;
  return true;
}
}  // namespace

int CHttpClient::Get(const char* fileName, const char* urlPath, int timeoutMs, unsigned flags) {
  if (!fileName || !urlPath || !*urlPath) return HTTP_ERR_ARGS;
  if (m_host.empty()) return HTTP_ERR_NOT_CONNECTED;
  if (!FitsRequestLine(urlPath) || !FitsRequestLine(m_host)) return HTTP_ERR_ARGS;
  EnterCriticalSection(&m_lock);
  m_busy = true;
  m_abort = false;
  LeaveCriticalSection(&m_lock);

  m_keep.clear();
  m_status = 0;
  unsigned long long deadline = GetTickCount64() + (unsigned long long)(timeoutMs > 0 ? timeoutMs : 120000);
  int result;
  HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    result = HTTP_ERR_CREATE_FILE;
  } else {
    Url url;
    url.host = m_host;
    url.port = m_port;
    url.path = urlPath[0] == '/' ? urlPath : std::string("/") + urlPath;
    result = HTTP_ERR_REDIRECTS;
    for (int hop = 0; hop <= kMaxRedirects; hop++) {
      std::string location;
      int r = Request(url, file, deadline, &location);
      if (r != kRedirect) {
        result = r;
        break;
      }
      if (flags & HTTP_GET_NO_REDIRECT) {
        result = HTTP_ERR_STATUS;
        break;
      }
      // absolute http URL, scheme-relative, absolute path or relative path
      Url next = url;
      std::string rest;
      if (StartsNoCase(location.c_str(), "http://")) {
        rest = location.substr(7);
      } else if (location.compare(0, 2, "//") == 0) {
        rest = location.substr(2);
      } else if (location.find("://") != std::string::npos || location.empty()) {
        result = HTTP_ERR_BAD_LOCATION;
        break;
      }
      if (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string hostPart = rest.substr(0, slash);
        next.port = 80;
        if (!SplitHostPort(hostPart, &next.host, &next.port)) {
          result = HTTP_ERR_BAD_LOCATION;
          break;
        }
        next.path = slash == std::string::npos ? "/" : rest.substr(slash);
      } else if (location[0] == '/') {
        next.path = location;
      } else {
        next.path = url.path.substr(0, url.path.rfind('/') + 1) + location;
      }
      if (!FitsRequestLine(next.path) || !FitsRequestLine(next.host)) {
        result = HTTP_ERR_BAD_LOCATION;
        break;
      }
      url = next;
      m_keep.clear();
      SetFilePointer(file, 0, nullptr, FILE_BEGIN);
      SetEndOfFile(file);
    }
    CloseHandle(file);
    if (result <= 0) DeleteFileA(fileName);
  }
  EnterCriticalSection(&m_lock);
  m_busy = false;
  m_abort = false;
  LeaveCriticalSection(&m_lock);
  return result;
}
