// HTTP/1.0 client for tile servers: one request at a time, the body written
// to a file, its first bytes kept in the client. Redirects and chunked
// bodies are followed; Abort() may be called from any thread.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <string>
#include <vector>

// Results of CHttpClient (negative) and the flags of Get.
enum {
  HTTP_ERR_NOT_CONNECTED = -1,  // Connect was never called or failed
  HTTP_ERR_RESOLVE = -2,
  HTTP_ERR_CONNECT = -3,
  HTTP_ERR_SEND = -4,
  HTTP_ERR_TIMEOUT = -5,
  HTTP_ERR_ABORTED = -6,
  HTTP_ERR_NO_RESPONSE = -7,    // closed before a complete header
  HTTP_ERR_BAD_HEADER = -8,
  HTTP_ERR_STATUS = -9,         // not 2xx; GetStatus() tells which
  HTTP_ERR_REDIRECTS = -10,     // too many redirects
  HTTP_ERR_BAD_LOCATION = -11,  // redirect to an unusable URL (e.g. https)
  HTTP_ERR_CREATE_FILE = -12,
  HTTP_ERR_WRITE_FILE = -13,
  HTTP_ERR_SHORT_BODY = -14,    // fewer bytes than announced
  HTTP_ERR_LONG_BODY = -15,     // more bytes than announced
  HTTP_ERR_BAD_CHUNK = -16,
  HTTP_ERR_TOO_LARGE = -17,     // over the body limit
  HTTP_ERR_EMPTY = -18,         // no body
  HTTP_ERR_ARGS = -19,
  HTTP_ERR_IO = -20,            // receive failed
};
enum {
  HTTP_GET_NO_REDIRECT = 1,  // report a redirect as HTTP_ERR_STATUS
};

class CHttpClient {
 public:
  CHttpClient();
  ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // server: "host" or "host:port" (the port in the text wins); port <= 0
  // means 80. Returns 0 when a connection could be made.
  int Connect(const char* server, int port, int timeoutMs = 10000);
  // Fetches urlPath ("/a/b.png") into fileName. Returns the body length
  // (> 0) or a negative code; on failure the file is removed.
  int Get(const char* fileName, const char* urlPath, int timeoutMs, unsigned flags);
  // Ends the request running now; no effect on a later one.
  void Abort();
  void Close();

  // A host is remembered (Get asks it); says nothing of the socket.
  bool IsConnected() const { return !m_host.empty(); }
  // Whether Get asks the server that Connect(server, port) names: the same
  // host (letter case aside) and port.
  bool IsConnectedTo(const char* server, int port) const;
  int GetStatus() const { return m_status; }
  // the first bytes of the last body (at most kKeepBytes)
  const unsigned char* GetData() const { return m_keep.data(); }
  int GetDataLength() const { return (int)m_keep.size(); }
  void SetMaxBodySize(long long bytes) { m_maxBody = bytes; }

  static const int kKeepBytes = 8192;

 private:
  struct Url {
    std::string host;
    int port = 80;
    std::string path;
  };
  int Request(const Url& url, HANDLE file, unsigned long long deadline, std::string* location);
  int ReadHeader(unsigned long long deadline, std::string* header);
  int Fill(unsigned long long deadline);
  int ReadBody(HANDLE file, long long contentLength, bool chunked, unsigned long long deadline);
  int Emit(HANDLE file, const char* data, int n, long long* total);
  int TakeLine(unsigned long long deadline, std::string* line);
  void DropSocket();

  std::string m_host;
  int m_port = 80;
  SOCKET m_sock = INVALID_SOCKET;
  std::atomic<bool> m_abort{false};
  std::atomic<bool> m_busy{false};
  CRITICAL_SECTION m_lock;
  int m_status = 0;
  long long m_maxBody = 64ll << 20;
  std::vector<unsigned char> m_keep;
  std::vector<char> m_in;  // received, not yet consumed
  size_t m_inPos = 0;
};
