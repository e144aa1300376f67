// CHttpClient against a real server on 127.0.0.1 (tests/comm/httpserver.py).
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "comm/httpclient.h"
#include "tests/support/netfixtures.h"
#include "tests/support/testenv.h"

namespace {

int Port() {
  const char* p = getenv("ORV_HTTP_PORT");
  return p ? atoi(p) : 0;
}

std::vector<unsigned char> Pattern(size_t n) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; i++) v[i] = (unsigned char)((i * 7 + 13) & 0xFF);
  return v;
}

std::string ServerLog() {
  const char* p = getenv("ORV_HTTP_LOG");
  std::string path = p ? p : "";
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::vector<unsigned char> data;
  orvtest::ReadFile(path, data);
  return std::string(data.begin(), data.end());
}

bool Exists(const std::string& f) { return GetFileAttributesA(f.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Http : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(Port(), 0) << "run through with_server.sh";
    dir_ = orvtest::MakeTempDir("http");
    file_ = dir_ + "\\body.bin";
    ASSERT_EQ(0, client_.Connect("127.0.0.1", Port(), 5000));
  }
  void ExpectBody(int result, size_t n) {
    ASSERT_EQ((int)n, result);
    std::vector<unsigned char> got;
    ASSERT_TRUE(orvtest::ReadFile(file_, got));
    EXPECT_EQ(Pattern(n), got);
    size_t keep = n < (size_t)CHttpClient::kKeepBytes ? n : (size_t)CHttpClient::kKeepBytes;
    ASSERT_EQ((int)keep, client_.GetDataLength());
    EXPECT_EQ(0, memcmp(Pattern(n).data(), client_.GetData(), keep));
  }
  std::string dir_, file_;
  CHttpClient client_;
};

TEST_F(Http, BodiesOfEverySizeArriveWhole) {
  for (size_t n : {1u, 8191u, 8192u, 8193u, 300000u}) {
    ExpectBody(client_.Get(file_.c_str(), ("/bytes/" + std::to_string(n)).c_str(), 5000, 0), n);
  }
}

TEST_F(Http, RequestLineCannotBeRewritten) {
  // a path from an edited server table must not add header lines or end
  // the request line: refused before anything is sent
  for (const char* path : {"/inj1\r\nX-Injected: yes", "/inj2\nHost: evil", "/inj3 HTTP/1.1", "/inj4\x7f",
                           "/inj5\t"}) {
    EXPECT_EQ(HTTP_ERR_ARGS, client_.Get(file_.c_str(), path, 5000, 0)) << path;
    EXPECT_FALSE(Exists(file_));
  }
  ExpectBody(client_.Get(file_.c_str(), "/bytes/10", 5000, 0), 10);
  EXPECT_EQ(std::string::npos, ServerLog().find("inj"));
}

TEST_F(Http, ServerTextCarriesThePort) {
  CHttpClient c;
  std::string server = "127.0.0.1:" + std::to_string(Port());
  ASSERT_EQ(0, c.Connect(server.c_str(), 1, 5000));
  EXPECT_EQ(42, c.Get(file_.c_str(), "/bytes/42", 5000, 0));
  EXPECT_EQ(HTTP_ERR_ARGS, c.Connect("127.0.0.1:99999", 80, 1000));
  EXPECT_EQ(HTTP_ERR_ARGS, c.Connect("127.0.0.1:12a", 80, 1000));
}

TEST_F(Http, RedirectsAreFollowedAndBounded) {
  ExpectBody(client_.Get(file_.c_str(), "/redirect/3", 5000, 0), 1000);
  EXPECT_NE(std::string::npos, ServerLog().find("/redirect/3\n/redirect/2\n/redirect/1\n/bytes/1000\n"));
  ExpectBody(client_.Get(file_.c_str(), "/redirect-abs", 5000, 0), 777);
  ExpectBody(client_.Get(file_.c_str(), "/deep/redirect-rel", 5000, 0), 555);
  EXPECT_NE(std::string::npos, ServerLog().find("/deep/bytes/555\n"));
  EXPECT_EQ(HTTP_ERR_REDIRECTS, client_.Get(file_.c_str(), "/redirect/9", 5000, 0));
  EXPECT_FALSE(Exists(file_));
  EXPECT_EQ(HTTP_ERR_BAD_LOCATION, client_.Get(file_.c_str(), "/redirect-https", 5000, 0));
  EXPECT_EQ(HTTP_ERR_BAD_LOCATION, client_.Get(file_.c_str(), "/redirect-badhost", 5000, 0));
  EXPECT_EQ(HTTP_ERR_STATUS, client_.Get(file_.c_str(), "/redirect/1", 5000, HTTP_GET_NO_REDIRECT));
  EXPECT_EQ(302, client_.GetStatus());
}

TEST_F(Http, ChunkedBodiesAreJoined) {
  ExpectBody(client_.Get(file_.c_str(), "/chunked?n=20000", 5000, 0), 20000);
  EXPECT_EQ(HTTP_ERR_BAD_CHUNK, client_.Get(file_.c_str(), "/badchunk", 5000, 0));
  EXPECT_FALSE(Exists(file_));
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  return K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PagefileUsage : 0;
}

TEST_F(Http, ChunkFramingDoesNotPileUpInMemory) {
  // 40 MB of framing around 40000 body bytes: only the body may cost
  size_t before = PrivateBytes();
  ASSERT_GT(before, 0u);
  ASSERT_EQ(40000, client_.Get(file_.c_str(), "/tinychunks?n=40000", 20000, 0));
  size_t after = PrivateBytes();
  EXPECT_LT(after, before + (8u << 20)) << before << " -> " << after;
}

TEST_F(Http, StatusCodeComesFromTheStatusLine) {
  EXPECT_EQ(HTTP_ERR_BAD_HEADER, client_.Get(file_.c_str(), "/nostatus", 5000, 0));
  EXPECT_EQ(HTTP_ERR_BAD_HEADER, client_.Get(file_.c_str(), "/nostatus?k=blank", 5000, 0));
  EXPECT_FALSE(Exists(file_));
}

TEST_F(Http, BodyUntilCloseWithoutLength) {
  ExpectBody(client_.Get(file_.c_str(), "/noclen", 5000, 0), 3000);
}

TEST_F(Http, BrokenAnswersAreFailuresAndLeaveNoFile) {
  EXPECT_EQ(HTTP_ERR_SHORT_BODY, client_.Get(file_.c_str(), "/trunc", 5000, 0));
  EXPECT_FALSE(Exists(file_));
  EXPECT_EQ(HTTP_ERR_LONG_BODY, client_.Get(file_.c_str(), "/overlong", 5000, 0));
  EXPECT_FALSE(Exists(file_));
  EXPECT_EQ(HTTP_ERR_STATUS, client_.Get(file_.c_str(), "/missing", 5000, 0));
  EXPECT_EQ(404, client_.GetStatus());
  EXPECT_EQ(HTTP_ERR_EMPTY, client_.Get(file_.c_str(), "/empty", 5000, 0));
  EXPECT_EQ(HTTP_ERR_BAD_HEADER, client_.Get(file_.c_str(), "/badlen", 5000, 0));
  EXPECT_FALSE(Exists(file_));
  // the client still works after all that
  ExpectBody(client_.Get(file_.c_str(), "/bytes/64", 5000, 0), 64);
}

TEST_F(Http, BodyLimitStopsHugeAnswers) {
  client_.SetMaxBodySize(1000);
  EXPECT_EQ(HTTP_ERR_TOO_LARGE, client_.Get(file_.c_str(), "/bytes/1001", 5000, 0));
  EXPECT_EQ(HTTP_ERR_TOO_LARGE, client_.Get(file_.c_str(), "/chunked?n=5000", 5000, 0));
  EXPECT_FALSE(Exists(file_));
}

TEST_F(Http, SlowServerTimesOut) {
  ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(HTTP_ERR_TIMEOUT, client_.Get(file_.c_str(), "/slow?s=5", 600, 0));
  EXPECT_LT(GetTickCount64() - t0, 3000u);
  EXPECT_FALSE(Exists(file_));
}

TEST_F(Http, AbortEndsTheRunningRequestOnly) {
  ULONGLONG t0 = GetTickCount64();
  // an abort before the request has begun is dropped: the other thread aborts
  // until the request is over, however late this thread gets to it
  std::atomic<bool> over(false);
  std::thread t([this, &over] {
    for (Sleep(300); !over; Sleep(20)) client_.Abort();
  });
  int r = client_.Get(file_.c_str(), "/slow?s=5", 20000, 0);
  over = true;
  t.join();
  EXPECT_EQ(HTTP_ERR_ABORTED, r);
  EXPECT_LT(GetTickCount64() - t0, 3000u);
  // a late abort, with no request running, must not break the next one
  client_.Abort();
  ExpectBody(client_.Get(file_.c_str(), "/bytes/500", 5000, 0), 500);
}

TEST_F(Http, AbortEndsAConnectThatHangs) {
  orvtest::HangingListener hung;
  ASSERT_TRUE(hung.Ok());
  CHttpClient c;
  ULONGLONG t0 = GetTickCount64();
  std::atomic<bool> over(false);
  std::thread t([&c, &over] {
    for (Sleep(300); !over; Sleep(20)) c.Abort();
  });
  int r = c.Connect("127.0.0.1", hung.Port(), 8000);
  over = true;
  t.join();
  ULONGLONG took = GetTickCount64() - t0;
  EXPECT_EQ(HTTP_ERR_ABORTED, r);
  EXPECT_LT(took, 3000u);
  EXPECT_FALSE(c.IsConnected());
}

TEST_F(Http, AbortAndTheTimeOutEndALookupThatHangs) {
  orvtest::HangingLookup lookup;
  CHttpClient c;
  ULONGLONG t0 = GetTickCount64();
  std::atomic<bool> over(false);
  std::thread t([&c, &over] {
    for (Sleep(300); !over; Sleep(20)) c.Abort();
  });
  int r = c.Connect("tiles.example", Port(), 8000);
  over = true;
  t.join();
  EXPECT_EQ(HTTP_ERR_ABORTED, r);
  EXPECT_LT(GetTickCount64() - t0, 3000u);
  t0 = GetTickCount64();
  EXPECT_EQ(HTTP_ERR_TIMEOUT, c.Connect("tiles.example", Port(), 500));
  EXPECT_LT(GetTickCount64() - t0, 3000u);
  EXPECT_EQ(2, lookup.Count());
  // the name comes through the same lookup when it answers
  lookup.Answer();
  EXPECT_EQ(0, c.Connect("tiles.example", Port(), 5000));
  EXPECT_EQ(100, c.Get(file_.c_str(), "/bytes/100", 5000, 0));
  // the server it asks, however the caller names it; no other
  EXPECT_TRUE(c.IsConnectedTo(("Tiles.Example:" + std::to_string(Port())).c_str(), 80));
  EXPECT_FALSE(c.IsConnectedTo("tiles.example", Port() + 1));
  EXPECT_FALSE(c.IsConnectedTo("127.0.0.1", Port()));
}

TEST_F(Http, RefusedAndUnknownHosts) {
  CHttpClient c;
  EXPECT_EQ(HTTP_ERR_NOT_CONNECTED, c.Get(file_.c_str(), "/bytes/1", 1000, 0));
  // a port nobody listens on: take one and close it again
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, bind(s, (sockaddr*)&a, sizeof a));
  int len = sizeof a;
  getsockname(s, (sockaddr*)&a, &len);
  closesocket(s);
  EXPECT_EQ(HTTP_ERR_CONNECT, c.Connect("127.0.0.1", ntohs(a.sin_port), 2000));
  EXPECT_FALSE(c.IsConnected());
  EXPECT_EQ(HTTP_ERR_RESOLVE, c.Connect("no-such-host.invalid", 80, 2000));
}

TEST_F(Http, UnwritableFileIsReported) {
  std::string bad = dir_ + "\\no\\such\\folder\\x.bin";
  EXPECT_EQ(HTTP_ERR_CREATE_FILE, client_.Get(bad.c_str(), "/bytes/10", 5000, 0));
}

}  // namespace
