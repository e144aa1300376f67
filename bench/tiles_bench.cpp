// The tile pipeline of the map window: filling a 1920 x 1080 view with its
// eight workers from a cold local server and from a warm disk cache, against
// the same tiles decoded and blended in one thread without any I/O (the
// limit the pipeline approaches); and the cache trim's walk over 100,000
// cached files against a bare directory walk.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#endif

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "map/tilecache.h"

#ifdef _WIN32
#include "image/formats/pngcodec.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "map/mapwnd.h"
#include "map/tilefx.h"
#include "map/tileworker.h"
#endif

namespace {

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif

std::string ExeDir(const char* argv0) {
  std::string s = argv0;
  size_t cut = s.find_last_of("/\\");
  return cut == std::string::npos ? std::string(".") : s.substr(0, cut);
}

// ------------------------------------------------------------ trim walk

// 100,000 empty files in 1,000 folders, made once and kept.
std::string TrimCache(const std::string& dir) {
  std::string root = dir + kSep + "trimcache";
  std::string mark = root + kSep + "complete";
  if (FileGetSizeA(mark.c_str()) >= 0) return root;
  for (int d = 0; d < 1000; d++) {
    std::string folder = root + kSep + "srv" + kSep + std::to_string(d / 100) + kSep + std::to_string(d % 100);
    DirCreateA(folder.c_str());
    for (int f = 0; f < 100; f++) {
      std::string name = folder + kSep + std::to_string(f) + ".png";
      FioHandle h = FioOpen(name.c_str(), FIO_WRITE | FIO_CREATE);
      if (h != FIO_INVALID) FioClose(h);
    }
  }
  FioHandle h = FioOpen(mark.c_str(), FIO_WRITE | FIO_CREATE);
  if (h != FIO_INVALID) FioClose(h);
  return root;
}

double BareWalk(const std::string& folder) {
  double n = 0;
  FioFindEntry e;
  int err;
  FioHandle h = FioFindFirst((folder + kSep + "*").c_str(), &e, &err);
  if (h == FIO_INVALID) return 0;
  do {
    if (e.info.attributes & FIO_ATTR_DIRECTORY)
      n += BareWalk(folder + kSep + e.name);
    else
      n += 1 + (double)e.info.size;
  } while (FioFindNext(h, &e));
  FioFindClose(h);
  return n;
}

void BenchTrim(const std::string& dir) {
  std::string root = TrimCache(dir);
  TileTrimPacing fast;
  fast.listPauseMs = fast.deletePauseMs = 0;
  // one operation: one walk over the whole cache (nothing to delete)
  auto trim = [&](long n) {
    double s = 0;
    for (long i = 0; i < n; i++) {
      TileTrimResult r;
      TileCacheTrim(root.c_str(), ~0ull, fast, nullptr, &r);
      s += (double)r.files;
    }
    return s;
  };
  auto walk = [&](long n) {
    double s = 0;
    for (long i = 0; i < n; i++) s += BareWalk(root);
    return s;
  };
  orvbench::Compare("tiles.trim_walk_100k", "TileCacheTrim", trim, "bare walk", walk);
}

#ifdef _WIN32
// ------------------------------------------------------------ tile server

// A tile body like a map's: smooth shades with some edges, about 20 KiB.
std::vector<unsigned char> g_tile;

void MakeTile() {
  CPicture p;
  p.Create(24, 256, 256);
  for (int y = 0; y < 256; y++)
    for (int x = 0; x < 256; x++)
      p.SetPixel(x, y, (uint32_t)((x * 3) & 255) << 16 | (uint32_t)((y * 5 + x) & 255) << 8 | ((x ^ y) & 0xF0));
  ImgBuffer out;
  CPngWriter w;
  w.Encode(p, 0, out);
  g_tile.assign(out.data, out.data + out.size);
}

DWORD WINAPI ServeOne(LPVOID p) {
  SOCKET s = (SOCKET)(uintptr_t)p;
  char req[2048];
  int got = 0;
  while (got < (int)sizeof req - 1) {
    int n = recv(s, req + got, (int)sizeof req - 1 - got, 0);
    if (n <= 0) break;
    got += n;
    req[got] = 0;
    if (strstr(req, "\r\n\r\n")) break;
  }
  char head[200];
  int hn = snprintf(head, sizeof head, "HTTP/1.0 200 OK\r\nContent-Type: image/png\r\nContent-Length: %u\r\n\r\n",
                    (unsigned)g_tile.size());
  send(s, head, hn, 0);
  send(s, (const char*)g_tile.data(), (int)g_tile.size(), 0);
  shutdown(s, SD_SEND);
  closesocket(s);
  return 0;
}

// A pool of threads, each taking the next connection: a server on another
// machine costs the client nothing, so no thread is created per request.
DWORD WINAPI Listen(LPVOID p) {
  SOCKET ls = (SOCKET)(uintptr_t)p;
  for (;;) {
    SOCKET s = accept(ls, nullptr, nullptr);
    if (s == INVALID_SOCKET) return 0;
    ServeOne((LPVOID)(uintptr_t)s);
  }
}

int StartServer() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET ls = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(ls, (sockaddr*)&a, sizeof a) != 0 || listen(ls, 64) != 0) return 0;
  int len = sizeof a;
  getsockname(ls, (sockaddr*)&a, &len);
  for (int i = 0; i < 8; i++)
    CloseHandle(
        CreateThread(nullptr, 0x10000, Listen, (LPVOID)(uintptr_t)ls, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  return ntohs(a.sin_port);
}

// ------------------------------------------------------------ view fill

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

int VisibleCells(CMapWnd* map) {
  int t = map->View().tileSize;
  return ((map->ScrollX() + map->ClientWidth() - 1) / t - map->ScrollX() / t + 1) *
         ((map->ScrollY() + map->ClientHeight() - 1) / t - map->ScrollY() / t + 1);
}

// One look at the grid under one lock (the lock is a kernel object).
bool Filled(CMapWnd* map) {
  int t = map->View().tileSize;
  bool full = true;
  for (int r = map->ScrollY() / t; full && r <= (map->ScrollY() + map->ClientHeight() - 1) / t; r++)
    for (int c = map->ScrollX() / t; full && c <= (map->ScrollX() + map->ClientWidth() - 1) / t; c++)
      full = (map->GetCellState(c, r) & 1) != 0;
  return full;
}

// Switches the window to the tiles of path and waits until the view is full.
void FillFrom(CMapWnd* map, const char* server, const char* path) {
  map->SetSource(0, server, path, 0, 0, 0, nullptr, 0);
  map->ApplySources();
  while (!Filled(map)) {
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

void BenchFill(const std::string& dir) {
  MakeTile();
  int port = StartServer();
  if (!port) {
    printf("tiles: no local server\n");
    return;
  }
  char server[40];
  snprintf(server, sizeof server, "127.0.0.1:%d", port);
  std::string cache = dir + "\\tilecache_bench\\";
  DirDeleteTreeA(cache.c_str(), 0);
  TileCacheSetRoot(cache.c_str());
  MapTilesInstall();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvTileBench";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "OrvTileBench", "", WS_POPUP, 0, 0, 1920, 1080, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!getenv("ORV_BENCH_HIDDEN")) ShowWindow(host, SW_SHOWNOACTIVATE);
  CMapWnd* map = new CMapWnd;
  RECT rc = {0, 0, 1920, 1080};
  if (!map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 1)) return;
  int cells = VisibleCells(map);
  printf("tiles: a 1920 x 1080 view holds %d tiles; one operation fills it\n", cells);

  // every operation a source never seen: nothing cached yet
  long cold = 0;
  auto fillCold = [&](long n) {
    for (long i = 0; i < n; i++) {
      char path[32];
      snprintf(path, sizeof path, "cold%ld", cold++);
      FillFrom(map, server, path);
    }
    return (double)n;
  };
  // two sources filled once, then taken from the disk in turn
  FillFrom(map, server, "warmA");
  FillFrom(map, server, "warmB");
  long warm = 0;
  auto fillWarm = [&](long n) {
    for (long i = 0; i < n; i++) FillFrom(map, server, (warm++ & 1) ? "warmB" : "warmA");
    return (double)n;
  };
  // the same work in one thread with the bytes in memory
  CPicture buffer;
  buffer.Create(32, 2304, 1280);
  auto decodeBlend = [&](long n) {
    double s = 0;
    for (long i = 0; i < n; i++)
      for (int k = 0; k < cells; k++) {
        CPicture pic;
        if (ImgLoadMemory(g_tile.data(), g_tile.size(), pic) != 0) continue;
        TilePostProcess(pic, 0, nullptr, 0, 0, 0);
        buffer.DrawPicture(pic, (k % 9) * 256, (k / 9) * 256, 0);
        s += pic.Width();
      }
    return s;
  };
  orvbench::Compare("tiles.fill_cold_server", "8 workers, HTTP", fillCold, "decode+blend, 1 thread", decodeBlend);
  orvbench::Compare("tiles.fill_warm_cache", "8 workers, disk", fillWarm, "decode+blend, 1 thread", decodeBlend);
  delete map;
  DestroyWindow(host);
  DirDeleteTreeA(cache.c_str(), 0);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  std::string dir = ExeDir(argv[0]);
#ifdef _WIN32
  if (!orvbench::Settings().filter || strstr("tiles.fill_cold_server tiles.fill_warm_cache", orvbench::Settings().filter))
    BenchFill(dir);
#endif
  if (!orvbench::Settings().filter || strstr("tiles.trim_walk_100k", orvbench::Settings().filter)) BenchTrim(dir);
  return 0;
}
