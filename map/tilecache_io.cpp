#include "map/tilecache_io.h"

#include <stdio.h>
#include <string.h>

#include "comm/httpclient.h"
#include "files/fileio.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "map/tilepath.h"

namespace {
volatile LONG g_requests = 0;
}

bool TileMakePaths(const char* root, const MapTileSource& s, int zoom, uint32_t col, uint32_t row, TilePaths* p) {
  // Servers of one host on other ports are kept apart: the port joins the
  // host as the text "host:port" names it (port 80 leaves the folder alone)
  char named[sizeof s.server + 8];
  const char* server = s.server;
  if (s.port != 80 && !strchr(s.server, ':')) {
    snprintf(named, sizeof named, "%s:%u", s.server, (unsigned)s.port);
    server = named;
  }
  char rel[MAX_PATH + 4];
  if (TileMakeCachePath(rel, sizeof rel, 0, s.fixed != 0, server, s.folder, (unsigned)zoom, col, row, s.ext) < 0 ||
      TileJoinRoot(p->file, sizeof p->file, root, rel) < 0)
    return false;
  if (TileMakeCachePath(rel, sizeof rel, 1, s.fixed != 0, server, s.folder, (unsigned)zoom, col, row, s.ext) < 0 ||
      TileJoinRoot(p->folder, sizeof p->folder, root, rel) < 0)
    return false;
  return TileMakeUrl(p->url, sizeof p->url, s.iface, s.folder, (unsigned)zoom, col, row, s.suffix) >= 0;
}

long long TileReadFile(const char* path, std::vector<unsigned char>& buf, bool touch) {
  // one open for reading and the time stamp: every open is a trip to the
  // system, and the cache is read by eight threads at once
  HANDLE h = CreateFileA(path, GENERIC_READ | (touch ? FILE_WRITE_ATTRIBUTES : 0),
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size;
  long long got = 0;
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart <= kTileMaxBytes) {
    size_t want = ((size_t)size.QuadPart + 0x40FF) & ~(size_t)0x3FFF;
    if (buf.size() < want) buf.resize(want);
    DWORD n = 0;
    if (ReadFile(h, buf.data(), (DWORD)size.QuadPart, &n, nullptr) && n == (DWORD)size.QuadPart) got = n;
  }
  if (got > 0 && touch) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(h, nullptr, nullptr, &now);
  }
  CloseHandle(h);
  return got;
}

long long TileReadCached(const char* path, std::vector<unsigned char>& buf) {
  long long len = TileReadFile(path, buf, true);
  if (len < 0) return -1;
  if (len > 0 && TileBodyUsable(buf.data(), (size_t)len)) return len;
  DeleteFileA(path);
  return -1;
}

bool TileBodyUsable(const unsigned char* data, size_t len) {
  int w, h;
  return TileBodyIsImage(data, len) && TileBodyDimensions(data, len, &w, &h) && w == 256 && h == 256;
}

bool TileDecode(const unsigned char* data, size_t len, CPicture& pic) {
  if (!TileBodyUsable(data, len)) return false;
  CPicture p;
  if (ImgLoadMemory(data, len, p) != 0) return false;
  if (p.Width() != 256 || p.Height() != 256) return false;
  pic.Swap(p);
  pic.m_colorKey = kImgNoColorKey;
  return true;
}

int TileFetchOnce(CHttpClient* client, const char* tmp, const char* url, int timeout) {
  InterlockedIncrement(&g_requests);
  int got = client->Get(tmp, url, timeout, 0);
  if (got <= 0) return got ? got : -1;
  // the whole body is in the file, its head in the client; a JPEG whose
  // frame header lies behind that head is judged from the file
  const unsigned char* head = client->GetData();
  size_t n = (size_t)client->GetDataLength();
  std::vector<unsigned char> whole;
  if (!TileBodyUsable(head, n) && n < (size_t)got && TileBodyIsImage(head, n) && TileReadFile(tmp, whole) == got) {
    head = whole.data();
    n = (size_t)got;
  }
  if (TileBodyUsable(head, n)) return got;
  FioDelete(tmp);
  return -1;
}

bool TileCommit(const char* tmp, const char* file) {
  if (FioReplace(tmp, file)) return true;
  FioDelete(file);
  if (FioReplace(tmp, file)) return true;
  Sleep(200);
  if (FioReplace(tmp, file)) return true;
  FioDelete(tmp);
  return false;
}

LONG TileRequestCount() { return g_requests; }
