// The tile workers of a map window against a real tile server on 127.0.0.1
// (tileserver.py, started around this program): tiles served, cached and
// blended; redirects, chunked bodies, bad bodies, a slow server; the URL
// schemes read back from the server's log; the area rendering.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "comm/httpclient.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "files/filetime.h"
#include "map/tilecache.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "map/tilepath.h"
#include "map/mapwnd.h"
#include "map/tileworker.h"
#include "tests/map/tileserver_env.h"
#include "tests/support/netfixtures.h"
#include "tests/support/testenv.h"
#include "tests/support/winpump.h"

namespace {

int Port() { return orvtest::TileServerPort(); }

// The request paths a server logged (ORV_TILE_LOG2: the second server).
std::vector<std::string> LogLines(const char* env = "ORV_TILE_LOG") {
  std::vector<std::string> out;
  const char* p = getenv(env);
  if (!p) return out;
  std::string path = p;
  std::vector<unsigned char> data;
  // the log is a Unix path; under Wine it is reached through Z:
  if (!orvtest::ReadFile(path, data)) orvtest::ReadFile("Z:" + path, data);
  std::string s(data.begin(), data.end()), line;
  for (char c : s) {
    if (c == '\n') {
      out.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  return out;
}

uint32_t Colour(uint32_t z, uint32_t x, uint32_t y) {
  return (40 + (x % 5) * 40) << 16 | (40 + (y % 5) * 40) << 8 | (30 + (z % 6) * 30);
}

void Pump(DWORD ms) { orvtest::PumpMessages(ms); }

class TileWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, Port()) << "run under with_tileserver.sh";
    MapTilesInstall();
    root = orvtest::MakeTempDir("tilecache") + "\\";
    ASSERT_EQ(1, TileCacheSetRoot(root.c_str()));
    root = TileCacheRoot();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvTileTestHost";
    RegisterClassA(&wc);
    host = CreateWindowExA(0, "OrvTileTestHost", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    ShowWindow(host, SW_SHOWNOACTIVATE);
    server = "127.0.0.1:" + std::to_string(Port());
  }
  void TearDown() override {
    delete map;
    map = nullptr;
    DestroyWindow(host);
    Pump(10);
  }
  // into: a window of the caller's (a subclass), else a new CMapWnd
  void Make(const char* path, int iface = 0, int timeout = 0, CMapWnd* into = nullptr) {
    map = into ? into : new CMapWnd;
    map->SetSource(0, server.c_str(), path, 0, 0, iface, nullptr, timeout);
    map->SetSource(1, "", "", 0, 0, 0, nullptr, 0);
    Show();
  }
  // Applies the sources set on `map` and shows it.
  void Show() {
    map->ApplySources();
    RECT rc = {0, 0, 640, 480};
    ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
  }
  // A window on a source whose server hangs: every worker inside a request
  // that would last 30 s (ancestors: the base map answers, a grey layer's
  // ancestors hang).
  void MakeHanging(bool ancestors = false) {
    auto hanging = [] {
      size_t n = 0;
      for (const std::string& l : LogLines()) n += l.compare(0, 6, "/slow/") == 0;
      return n;
    };
    size_t before = hanging();
    if (ancestors) {
      map = new CMapWnd;
      map->SetSource(0, server.c_str(), "t", 0, 0, 0, nullptr, 0);
      map->SetSource(1, server.c_str(), "slow", 0, 0, 0, "GRAY 0x08FF0000", 60000);
      ASSERT_NO_FATAL_FAILURE(Show());
    } else {
      Make("slow", 0, 60000);
    }
    DWORD end = GetTickCount() + 5000;
    while (hanging() < before + 8 && (LONG)(GetTickCount() - end) < 0) Pump(20);
    ASSERT_GE(hanging(), before + 8);
  }
  // The cells under the client area.
  void Visible(int* c0, int* c1, int* r0, int* r1) {
    int t = map->View().tileSize;
    *c0 = map->ScrollX() / t;
    *c1 = (map->ScrollX() + map->ClientWidth() - 1) / t;
    *r0 = map->ScrollY() / t;
    *r1 = (map->ScrollY() + map->ClientHeight() - 1) / t;
  }
  // Pumps until every visible cell (all: every cell of the buffer) has bit
  // L or bit 8 + L of every source L in mask, or time runs out.
  bool Settle(DWORD ms, bool all = false, uint32_t mask = 1) {
    DWORD end = GetTickCount() + ms;
    while ((LONG)(GetTickCount() - end) < 0) {
      Pump(20);
      int c0, c1, r0, r1, open = 0;
      Visible(&c0, &c1, &r0, &r1);
      if (all) c0 = r0 = 0, c1 = map->View().ncol - 1, r1 = map->View().nrow - 1;
      for (int r = r0; r <= r1; r++)
        for (int c = c0; c <= c1; c++)
          if (((map->GetCellState(c, r) | map->GetCellState(c, r) >> 8) & mask) != mask) open++;
      if (!open) return true;
    }
    return false;
  }
  std::string TileFile(const char* folder, uint32_t z, uint32_t x, uint32_t y, const char* ext = "png",
                       int port = Port()) {
    char buf[400];
    snprintf(buf, sizeof buf, "%s127.0.0.1_%d/%s/%u/%u/%u.%s", root.c_str(), port, folder, z, x, y, ext);
    return buf;
  }
  // Files below dir; with ext only those ending in it.
  size_t FilesBelow(const std::string& dir, const char* ext = nullptr) {
    size_t n = 0;
    FioFindEntry e;
    int err;
    FioHandle h = FioFindFirst((dir + "\\*").c_str(), &e, &err);
    if (h == FIO_INVALID) return 0;
    do {
      std::string name = e.name;
      if (e.info.attributes & FIO_ATTR_DIRECTORY)
        n += FilesBelow(dir + "\\" + name, ext);
      else if (!ext || (name.size() > strlen(ext) && name.compare(name.size() - strlen(ext), std::string::npos, ext) == 0))
        n++;
    } while (FioFindNext(h, &e));
    FioFindClose(h);
    return n;
  }
  size_t Requests(const std::string& url) {
    size_t n = 0;
    for (const std::string& l : LogLines()) n += l == url;
    return n;
  }
  std::string root, server;
  HWND host = nullptr;
  CMapWnd* map = nullptr;
};

}  // namespace

TEST_F(TileWorkerTest, FillsTheViewFromTheServerAndCachesEveryTileOnce) {
  size_t before = LogLines().size();
  Make("t");
  ASSERT_TRUE(Settle(60000, true));
  Pump(200);
  int c0, c1, r0, r1;
  Visible(&c0, &c1, &r0, &r1);
  int z = map->GetZoom();
  CHttpClient check;
  ASSERT_EQ(0, check.Connect(server.c_str(), 0));
  std::map<std::string, int> wanted;
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) {
      uint32_t tx, ty;
      map->CellToTile(c, r, &tx, &ty);
      EXPECT_EQ(1u, map->GetCellState(c, r) & 0x1FF) << c << "," << r;
      // the pixel in the middle of the cell has the tile's colour
      uint32_t px = map->GetBackBuffer()->GetPixel(c * 256 + 128, r * 256 + 128) & 0xFFFFFF;
      EXPECT_EQ(Colour(z, tx, ty), px) << c << "," << r;
      // the cached file holds the bytes the server sends
      std::string file = TileFile("t", z, tx, ty);
      std::vector<unsigned char> cached, fresh;
      ASSERT_TRUE(orvtest::ReadFile(file, cached)) << file;
      char url[100];
      snprintf(url, sizeof url, "/t/%d/%u/%u.png", z, tx, ty);
      wanted[url] = 0;
      strcat(url, "?check=1");  // told apart in the log
      std::string again = root + "again.png";
      ASSERT_GT(check.Get(again.c_str(), url, 5000, 0), 0);
      ASSERT_TRUE(orvtest::ReadFile(again, fresh));
      EXPECT_EQ(fresh, cached) << file;
    }
  // no tile was requested twice by the workers (our own checks came later)
  std::vector<std::string> log = LogLines();
  std::map<std::string, int> seen;
  for (size_t i = before; i < log.size(); i++)
    if (log[i].find("?check=1") == std::string::npos) seen[log[i]]++;
  for (auto& kv : seen) EXPECT_EQ(1, kv.second) << kv.first;
  for (auto& kv : wanted) EXPECT_EQ(1u, seen.count(kv.first)) << kv.first << " never requested";
  // every request left one tile file and no temporary file (plus our own copy)
  EXPECT_EQ(seen.size() + 1, FilesBelow(root.substr(0, root.size() - 1)));
  EXPECT_EQ(0u, FilesBelow(root.substr(0, root.size() - 1), ".tmp"));
}

namespace {

// Workers that only record the jobs handed to them (with the job's serial)
// and keep them: the order is what the scheduler decided, whatever order the
// threads would have reached a server in.
struct HandedJob {
  uint32_t serial;
  int tx, ty;
};
std::vector<HandedJob> g_handed;  // under the job lock

DWORD WINAPI RecordJobs(LPVOID p) {
  TileWorkerSlot* w = (TileWorkerSlot*)p;
  for (uint32_t last = 0;; Sleep(5)) {
    TileJobGuard g(*w->owner);
    w->owner->WaitForJob(w);
    if (w->jobX == -1 && w->jobY == -1) break;
    if (w->serial != last) g_handed.push_back({w->serial, w->jobX, w->jobY});
    last = w->serial;
  }
  w->owner->WorkerEnded();
  return 0;
}

class RecordingMap : public CMapWnd {
 public:
  RecordingMap() { Tiles().SetWorkerProc(RecordJobs); }
  std::vector<HandedJob> Handed() {
    TileJobGuard g(Tiles());
    return g_handed;
  }
};

}  // namespace

TEST_F(TileWorkerTest, TheCentreTileComesFirst) {
  g_handed.clear();
  RecordingMap* rec = new RecordingMap;
  map = rec;
  map->SetSource(0, server.c_str(), "t", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  RECT rc = {0, 0, 640, 480};
  ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
  map->Reload();  // the scheduler runs now, not at the timer's eighth tick
  for (DWORD end = GetTickCount() + 20000; rec->Handed().empty() && (LONG)(GetTickCount() - end) < 0;) Pump(20);
  Pump(200);
  std::vector<HandedJob> jobs = rec->Handed();
  ASSERT_FALSE(jobs.empty());
  std::sort(jobs.begin(), jobs.end(), [](const HandedJob& a, const HandedJob& b) { return a.serial < b.serial; });
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  int z = map->GetZoom();
  EXPECT_EQ((int)(cx >> (30 - z)), jobs[0].tx);
  EXPECT_EQ((int)(cy >> (30 - z)), jobs[0].ty);
  // the first round goes to the visible cells, each tile once
  int c0, c1, r0, r1;
  Visible(&c0, &c1, &r0, &r1);
  std::set<std::pair<int, int>> seen;
  for (const HandedJob& j : jobs) {
    EXPECT_TRUE(seen.insert({j.tx, j.ty}).second) << j.tx << "," << j.ty << " twice";
    int col, row;
    EXPECT_TRUE(map->TileToCell(j.tx, j.ty, &col, &row) && col >= c0 && col <= c1 && row >= r0 && row <= r1)
        << j.tx << "," << j.ty << " not visible";
  }
}

TEST_F(TileWorkerTest, RedirectsChunkedBodiesAndJpegTilesAreCached) {
  // jpgbig: the frame header lies far behind the first bytes
  const char* folders[] = {"redir", "chunk", "jpg/*.jpg", "jpgbig/*.jpg"};
  for (const char* f : folders) {
    Make(f);
    ASSERT_TRUE(Settle(20000)) << f;
    uint32_t cx, cy;
    map->GetCentre(&cx, &cy);
    int z = map->GetZoom();
    uint32_t tx = cx >> (30 - z), ty = cy >> (30 - z);
    bool jpg = f[0] == 'j';
    std::string folder = f;
    folder = folder.substr(0, folder.find('/'));
    std::string file = TileFile(folder.c_str(), z, tx, ty, jpg ? "jpg" : "png");
    EXPECT_GT(FileGetSizeA(file.c_str()), 100) << file;
    int col, row;
    ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
    EXPECT_EQ(1u, map->GetCellState(col, row) & 0x1FF) << f;
    uint32_t px = map->GetBackBuffer()->GetPixel(col * 256 + 128, row * 256 + 128) & 0xFFFFFF;
    uint32_t want = Colour(z, tx, ty);
    for (int sh = 0; sh < 24; sh += 8)  // JPEG may be off by a little
      EXPECT_NEAR((int)(want >> sh & 255), (int)(px >> sh & 255), jpg ? 3 : 0) << f;
    delete map;
    map = nullptr;
  }
}

TEST_F(TileWorkerTest, BadBodiesAreNeverCachedAndTheCellIsMarkedFailed) {
  const char* folders[] = {"html", "trunc", "huge", "small", "missing", "bloated"};
  for (const char* f : folders) {
    Make(f);
    ASSERT_TRUE(Settle(30000)) << f;
    int c0, c1, r0, r1;
    Visible(&c0, &c1, &r0, &r1);
    for (int r = r0; r <= r1; r++)
      for (int c = c0; c <= c1; c++) EXPECT_EQ(0x100u, map->GetCellState(c, r) & 0x1FF) << f;
    char dir[300];
    snprintf(dir, sizeof dir, "%s127.0.0.1_%d\\%s", root.c_str(), Port(), f);
    EXPECT_EQ(0u, FilesBelow(dir, ".png")) << f;
    // a failed tile is asked for again only by a retry (two tries, and
    // once more after deleting a bad file: at most four)
    uint32_t cx, cy;
    map->GetCentre(&cx, &cy);
    unsigned z = (unsigned)map->GetZoom();
    char url[100];
    snprintf(url, sizeof url, "/%s/%u/%u/%u.png", f, z, cx >> (30 - z), cy >> (30 - z));
    size_t n = Requests(url);
    EXPECT_GE(n, 2u) << url;
    EXPECT_LE(n, 4u) << url;
    Pump(1000);
    EXPECT_EQ(n, Requests(url)) << url;
    delete map;
    map = nullptr;
  }
}

TEST_F(TileWorkerTest, EachUrlSchemeAsksForTheRightPath) {
  struct Case {
    const char* path;
    int iface;
  } cases[] = {{"t", 0}, {"e", 1}, {"q?l=map", 2}, {"d", 3}};
  for (const Case& k : cases) {
    size_t before = LogLines().size();
    Make(k.path, k.iface);
    ASSERT_TRUE(Settle(20000)) << k.path;
    uint32_t cx, cy;
    map->GetCentre(&cx, &cy);
    unsigned z = (unsigned)map->GetZoom(), tx = cx >> (30 - z), ty = cy >> (30 - z);
    char url[200];
    switch (k.iface) {
      case 0: snprintf(url, sizeof url, "/t/%u/%u/%u.png", z, tx, ty); break;
      case 1: snprintf(url, sizeof url, "/e/%u/%u/%u.png", z, ty, tx); break;
      case 2: snprintf(url, sizeof url, "/q?l=map&x=%u&y=%u&z=%u", tx, ty, z); break;
      default: snprintf(url, sizeof url, "/d/%u-%u-%u.png", z, tx, ty); break;
    }
    std::vector<std::string> log = LogLines();
    bool found = false;
    for (size_t i = before; i < log.size(); i++) found |= log[i] == url;
    EXPECT_TRUE(found) << url;
    int col, row;
    ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
    uint32_t px = map->GetBackBuffer()->GetPixel(col * 256 + 128, row * 256 + 128) & 0xFFFFFF;
    EXPECT_EQ(Colour(z, tx, ty), px) << k.path;
    delete map;
    map = nullptr;
  }
}

TEST_F(TileWorkerTest, ASlowServerIsAbortedWhenTheWindowGoes) {
  ASSERT_NO_FATAL_FAILURE(MakeHanging());
  DWORD t0 = GetTickCount();
  delete map;  // every worker is inside a request that would last 30 s
  map = nullptr;
  EXPECT_LT(GetTickCount() - t0, 5000u);
  // the window is gone: nothing it posted may arrive at a live handle
  Pump(100);
}

// The sources changed away from a server that hangs (a base map, a grey
// layer's ancestors): the downloads for the old ones are given up at once,
// and the new base map fills.
TEST_F(TileWorkerTest, ASourceChangedAwayFromAHangingServerFillsAtOnce) {
  for (bool ancestors : {false, true}) {
    ASSERT_NO_FATAL_FAILURE(MakeHanging(ancestors));
    map->SetSource(0, server.c_str(), ancestors ? "d" : "t", 0, 0, ancestors ? 3 : 0, nullptr, 0);
    map->SetSource(1, "", "", 0, 0, 0, nullptr, 0);
    map->ApplySources();
    EXPECT_TRUE(Settle(10000)) << ancestors;
    delete map;
    map = nullptr;
  }
}

// A layer whose server takes requests and never answers: once its requests
// time out it is let be like a server out of reach, and the base map fills
// without waiting for it cell by cell.
TEST_F(TileWorkerTest, ALayerServerThatNeverAnswersDoesNotHoldTheBaseMapBack) {
  map = new CMapWnd;
  map->SetSource(0, server.c_str(), "t", 0, 0, 0, nullptr, 0);
  map->SetSource(1, server.c_str(), "mute", 0, 0, 0, nullptr, 2000);
  ASSERT_NO_FATAL_FAILURE(Show());
  // cell by cell, two tries of 2 s each: 96 cells would take 48 s
  EXPECT_TRUE(Settle(15000, true));
  // nor does the export's pre-caching wait for it tile by tile
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  CPicture pic;
  ASSERT_TRUE(pic.Create(32, 1, 1, 0));
  volatile LONG tiles = 0, cancel = 0;
  int missing = 0;
  ASSERT_EQ(0, map->RenderArea(cx, cy, 10, &pic, &tiles, &cancel, 512, 512, &missing));
  EXPECT_EQ(4, missing);
  for (const std::string& l : LogLines()) EXPECT_NE(0u, l.find("/mute/10/")) << l;
}

TEST_F(TileWorkerTest, TwoWindowsOnOneSourceDoNotSpoilEachOthersDownloads) {
  // the same tiles in the same order: their workers fetch the same tile at once
  Make("t");
  CMapWnd* first = map;
  Make("t");
  CMapWnd* second = map;
  map = first;
  bool settled = Settle(60000, true);
  map = second;
  settled = Settle(60000, true) && settled;
  EXPECT_TRUE(settled);
  for (CMapWnd* m : {first, second})
    for (int r = 0; r < m->View().nrow; r++)
      for (int c = 0; c < m->View().ncol; c++) EXPECT_EQ(0u, m->GetCellState(c, r) & 0x100) << c << "," << r;
  EXPECT_EQ(0u, FilesBelow(root.substr(0, root.size() - 1), ".tmp"));
  delete first;
}

TEST_F(TileWorkerTest, AServerThatNeverAcceptsDoesNotHoldTheWindowsEnd) {
  orvtest::HangingListener hung;
  ASSERT_TRUE(hung.Ok());
  server = "127.0.0.1:" + std::to_string(hung.Port());
  Make("t", 0, 60000);
  Pump(800);  // the workers are inside their connects now
  DWORD t0 = GetTickCount();
  delete map;
  map = nullptr;
  DWORD took = GetTickCount() - t0;
  EXPECT_LT(took, 3000u);
  Pump(100);
}

TEST_F(TileWorkerTest, RenderAreaFetchesDamagedCacheFilesAgain) {
  Make("t");
  Settle(20000);
  // zoom 9 is not in view: these files are what the export finds
  const char* damage[] = {"", "\x89PNG\r\n\x1a\n cut short", "<html>not found</html>"};
  for (int i = 0; i < 3; i++) {
    std::string f = TileFile("t", 9, 200 + i, 120);
    DirCreateExA(f.c_str(), DIRCREATE_PARENT);
    orvtest::WriteFile(f, damage[i], strlen(damage[i]));
  }
  CPicture pic;
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  ASSERT_EQ(0, map->RenderArea(200u << 21, 120u << 21, 9, &pic, &tiles, &cancel, 768, 256, &missing));
  EXPECT_EQ(0, missing);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(Colour(9, 200 + i, 120), pic.GetPixel(i * 256 + 100, 100) & 0xFFFFFF) << i;
    char url[100];
    snprintf(url, sizeof url, "/t/9/%d/120.png", 200 + i);
    EXPECT_EQ(1u, Requests(url)) << url;
  }
}

TEST_F(TileWorkerTest, RenderAreaFetchesMissingTilesAndCountsWhatItCannotHave) {
  Make("t");
  Settle(20000);
  CPicture pic;
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  // zoom 8, an area of 600 x 400 pixels offset by half a tile: 3 x 3 tiles
  uint32_t x = (100u << 22) + (128u << 14), y = (60u << 22) + (128u << 14);
  ASSERT_EQ(0, map->RenderArea(x, y, 8, &pic, &tiles, &cancel, 600, 400, &missing));
  EXPECT_EQ(0, missing);
  EXPECT_EQ(9, tiles);
  for (int py = 10; py < 400; py += 97)
    for (int px = 10; px < 600; px += 97) {
      uint32_t tx = (uint32_t)(100 * 256 + 128 + px) / 256, ty = (uint32_t)(60 * 256 + 128 + py) / 256;
      EXPECT_EQ(Colour(8, tx, ty), pic.GetPixel(px, py) & 0xFFFFFF) << px << "," << py;
    }
  EXPECT_GT(FileGetSizeA(TileFile("t", 8, 101, 61).c_str()), 0);
  // each tile fetched once, though the render waits for it several times
  for (unsigned tx = 100; tx <= 102; tx++)
    for (unsigned ty = 60; ty <= 62; ty++) {
      char url[100];
      snprintf(url, sizeof url, "/t/8/%u/%u.png", tx, ty);
      EXPECT_EQ(1u, Requests(url)) << url;
    }
  // a source whose tiles cannot be had: every tile is counted missing
  delete map;
  map = nullptr;
  Make("missing");
  Settle(20000);
  tiles = 0;
  ASSERT_EQ(0, map->RenderArea(x, y, 8, &pic, &tiles, &cancel, 300, 200, &missing));
  EXPECT_EQ(4, missing);
  cancel = 1;
  EXPECT_EQ(3, map->RenderArea(x, y, 8, &pic, &tiles, &cancel, 300, 200, &missing));
}

// Pre-caching renders into a 1 x 1 picture: the tiles land in the cache and
// the picture stays as it was.
TEST_F(TileWorkerTest, RenderAreaIntoOnePixelOnlyFetches) {
  Make("t");
  Settle(20000);
  CPicture pic;
  ASSERT_TRUE(pic.Create(32, 1, 1, 0xFF123456));
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  ASSERT_EQ(0, map->RenderArea(150u << 22, 90u << 22, 8, &pic, &tiles, &cancel, 512, 512, &missing));
  EXPECT_EQ(0, missing);
  EXPECT_EQ(4, tiles);
  EXPECT_EQ(1, pic.Width());
  EXPECT_EQ(1, pic.Height());
  EXPECT_EQ(0xFF123456u, pic.GetPixel(0, 0));
  for (unsigned tx = 150; tx <= 151; tx++)
    for (unsigned ty = 90; ty <= 91; ty++) {
      EXPECT_GT(FileGetSizeA(TileFile("t", 8, tx, ty).c_str()), 0);
      char url[100];
      snprintf(url, sizeof url, "/t/8/%u/%u.png", tx, ty);
      EXPECT_EQ(1u, Requests(url)) << url;
    }
}

TEST_F(TileWorkerTest, ClearCacheEmptiesTheRootAndTheTilesComeBack) {
  Make("t");
  ASSERT_TRUE(Settle(20000));
  std::string top = root.substr(0, root.size() - 1);
  EXPECT_GT(FilesBelow(top), 0u);
  EXPECT_EQ(1, map->ClearCache());
  EXPECT_EQ(0u, FilesBelow(top));
  ASSERT_TRUE(Settle(20000));
  EXPECT_GT(FilesBelow(top), 0u);
}

DWORD WINAPI ReloadFromAnotherThread(void* map) {
  static_cast<CMapWnd*>(map)->Reload();
  return 0;
}

TEST_F(TileWorkerTest, ClearingTheCacheHoldsNoLockAndCanBeCancelled) {
  Make("t");
  ASSERT_TRUE(Settle(20000));
  std::string top = root.substr(0, root.size() - 1);
  for (int i = 0; i < 300; i++) {
    std::string name = top + "\\old\\" + std::to_string(i) + ".png";
    if (i == 0) DirCreateExA(name.c_str(), DIRCREATE_PARENT);
    orvtest::WriteFile(name, "x", 1);
  }
  // the fixed cache beside the root is never touched
  std::string fixed = top.substr(0, top.find_last_of('\\')) + "\\OsmFixed\\keep\\k.jpg";
  DirCreateExA(fixed.c_str(), DIRCREATE_PARENT);
  orvtest::WriteFile(fixed, "k", 1);
  struct State {
    CMapWnd* map;
    int calls;
  } st = {map, 0};
  // the deletion asks between files; each time another thread can take the
  // map's job lock (as the window's thread does to pan and zoom)
  DirCancel cancel = {[](void* p) {
                        State* s = static_cast<State*>(p);
                        HANDLE t = CreateThread(nullptr, 0x10000, ReloadFromAnotherThread, s->map, 0, nullptr);
                        bool free = t && WaitForSingleObject(t, 2000) == WAIT_OBJECT_0;
                        if (t) CloseHandle(t);
                        if (!free) return true;  // counts short: the test fails below
                        return ++s->calls > 50;
                      },
                      &st};
  EXPECT_EQ(-2, map->ClearCache(&cancel));
  EXPECT_GT(st.calls, 50);
  size_t left = FilesBelow(top);
  EXPECT_GT(left, 0u);  // what the cancel left lies aside, not where tiles go
  EXPECT_EQ(1, map->ClearCache());
  EXPECT_EQ(0u, FilesBelow(top));
  EXPECT_GT(FileGetSizeA(fixed.c_str()), 0);
}

TEST_F(TileWorkerTest, AFailedLayerDoesNotHoldBackTheLayersAboveIt) {
  map = new CMapWnd;
  map->SetSource(0, server.c_str(), "t", 0, 0, 0, nullptr, 0);
  map->SetSource(1, server.c_str(), "missing", 0, 0, 0, nullptr, 0);
  map->SetSource(2, server.c_str(), "jpg/*.jpg", 0, 0, 0, nullptr, 0);
  map->SetLayerAlpha(2, 0, 128);
  map->ApplySources();
  RECT rc = {0, 0, 640, 480};
  ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
  int c0, c1, r0, r1;
  Visible(&c0, &c1, &r0, &r1);
  DWORD end = GetTickCount() + 20000;
  bool done = false;
  while (!done && (LONG)(GetTickCount() - end) < 0) {
    Pump(20);
    done = true;
    for (int r = r0; r <= r1; r++)
      for (int c = c0; c <= c1; c++)
        if ((map->GetCellState(c, r) & 0x707) != 0x205) done = false;
  }
  EXPECT_TRUE(done);
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) EXPECT_EQ(0x205u, map->GetCellState(c, r) & 0x707) << c << "," << r;
}

TEST_F(TileWorkerTest, AGrayLayerAboveItsServersZoomIsCutFromItsAncestor) {
  size_t before = LogLines().size();
  map = new CMapWnd;
  map->SetSource(0, server.c_str(), "d", 0, 0, 3, nullptr, 0);
  // the layer's server has nothing above zoom 8; the map shows zoom 9
  map->SetSource(1, server.c_str(), "t", 0, 0, 0, "GRAY 0x08FF0000", 0);
  map->ApplySources();
  RECT rc = {0, 0, 640, 480};
  ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
  ASSERT_EQ(9, map->GetZoom());
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  uint32_t tx = cx >> 21, ty = cy >> 21;
  int col, row;
  ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
  DWORD end = GetTickCount() + 20000;
  while ((map->GetCellState(col, row) & 3) != 3 && (LONG)(GetTickCount() - end) < 0) Pump(20);
  EXPECT_EQ(3u, map->GetCellState(col, row) & 0x303);
  // the zoom-9 tile was made here from the zoom-8 one, never asked for
  std::string made = TileFile("t", 9, tx, ty);
  std::vector<unsigned char> png;
  ASSERT_TRUE(orvtest::ReadFile(made, png)) << made;
  int w = 0, h = 0;
  EXPECT_TRUE(TileBodyDimensions(png.data(), png.size(), &w, &h));
  EXPECT_EQ(256, w);
  EXPECT_EQ(256, h);
  // the zoom-8 tile is cached by its worker, which may still be writing it
  std::string parent = TileFile("t", 8, tx >> 1, ty >> 1);
  end = GetTickCount() + 5000;
  while (FileGetSizeA(parent.c_str()) <= 0 && (LONG)(GetTickCount() - end) < 0) Pump(20);
  EXPECT_GT(FileGetSizeA(parent.c_str()), 0);
  char asked[100];
  snprintf(asked, sizeof asked, "/t/9/%u/%u.png", tx, ty);
  std::vector<std::string> log = LogLines();
  for (size_t i = before; i < log.size(); i++) EXPECT_NE(asked, log[i]);
  // the ancestor's colour, as the cut and scaled square shows it
  CPicture pic;
  ASSERT_EQ(0, ImgLoadMemory(png.data(), png.size(), pic));
  EXPECT_EQ(Colour(8, tx >> 1, ty >> 1), pic.GetColor(100, 100) & 0xFFFFFF);
}

namespace {
// Whether the server logged requests behind its first `from` lines, each
// beginning with one of the prefixes.
bool OnlyAsked(const std::vector<std::string>& log, size_t from, std::initializer_list<const char*> prefixes) {
  if (log.size() <= from) return false;
  for (size_t i = from; i < log.size(); i++) {
    bool ok = false;
    for (const char* p : prefixes) ok = ok || log[i].compare(0, strlen(p), p) == 0;
    if (!ok) return false;
  }
  return true;
}
}  // namespace

// A base map on one server and two layers on another of the same host,
// named as the server table names them (host, port apart), shown at once,
// the same paths on both: every request (downloads, a grey layer's
// ancestors, the export's pre-cache jobs) reaches its own source's server,
// each server's tiles are cached apart, and a base map moved to the second
// server is fetched from there alone.
TEST_F(TileWorkerTest, EachSourceIsFetchedFromItsOwnServer) {
  int port2 = orvtest::TileServerPort2();
  ASSERT_NE(0, port2);
  size_t a0 = LogLines().size(), b0 = LogLines("ORV_TILE_LOG2").size();
  map = new CMapWnd;
  map->SetSource(0, "127.0.0.1", "t", Port(), 0, 0, nullptr, 0);
  map->SetSource(1, "127.0.0.1", "t", port2, 0, 0, nullptr, 0);
  // nothing above zoom 8 on its server: cut from the ancestor (map at 9)
  map->SetSource(2, "127.0.0.1", "e", port2, 0, 1, "GRAY 0x08FF0000", 0);
  ASSERT_NO_FATAL_FAILURE(Show());
  ASSERT_TRUE(Settle(60000, true, 7));
  int c0, c1, r0, r1;
  Visible(&c0, &c1, &r0, &r1);
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) EXPECT_EQ(7u, map->GetCellState(c, r) & 0x707) << c << "," << r;
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  uint32_t tx = cx >> 21, ty = cy >> 21;
  char url[100];
  snprintf(url, sizeof url, "/t/9/%u/%u.png", tx, ty);
  std::vector<std::string> log2 = LogLines("ORV_TILE_LOG2");
  EXPECT_TRUE(OnlyAsked(LogLines(), a0, {"/t/9/"}));
  EXPECT_TRUE(OnlyAsked(log2, b0, {"/t/9/", "/e/8/"}));
  EXPECT_EQ(1, std::count(log2.begin() + (ptrdiff_t)b0, log2.end(), std::string(url)));
  // the centre tile in each server's cache folder: that server's bytes
  strcat(url, "?check=1");
  for (int port : {Port(), port2}) {
    CHttpClient check;
    ASSERT_EQ(0, check.Connect(("127.0.0.1:" + std::to_string(port)).c_str(), 0));
    std::string fresh = root + "fresh.png";
    ASSERT_GT(check.Get(fresh.c_str(), url, 5000, 0), 0);
    std::vector<unsigned char> want, cached;
    ASSERT_TRUE(orvtest::ReadFile(fresh, want));
    ASSERT_TRUE(orvtest::ReadFile(TileFile("t", 9, tx, ty, "png", port), cached));
    EXPECT_TRUE(want == cached) << "the cached tile is not the one of port " << port;
  }

  // pre-caching for the export, at zoom 10
  a0 = LogLines().size(), b0 = LogLines("ORV_TILE_LOG2").size();
  CPicture pic;
  ASSERT_TRUE(pic.Create(32, 1, 1, 0));
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  ASSERT_EQ(0, map->RenderArea(cx, cy, 10, &pic, &tiles, &cancel, 256, 256, &missing));
  EXPECT_EQ(0, missing);
  EXPECT_TRUE(OnlyAsked(LogLines(), a0, {"/t/10/"}));
  EXPECT_TRUE(OnlyAsked(LogLines("ORV_TILE_LOG2"), b0, {"/t/10/", "/e/8/"}));

  // the base map changed to one on the second server, the layers gone
  a0 = LogLines().size(), b0 = LogLines("ORV_TILE_LOG2").size();
  map->SetSource(0, "127.0.0.1", "d", port2, 0, 3, nullptr, 0);
  map->SetSource(1, "", "", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  ASSERT_TRUE(Settle(30000));
  EXPECT_TRUE(OnlyAsked(LogLines("ORV_TILE_LOG2"), b0, {"/d/9-"}));
  EXPECT_EQ(a0, LogLines().size());
  int col, row;
  ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
  EXPECT_EQ((Colour(9, tx, ty) & 0xFFFF00) | 250, map->GetBackBuffer()->GetPixel(col * 256 + 128, row * 256 + 128) & 0xFFFFFF);
}

TEST_F(TileWorkerTest, APathFromTheServerTableCannotLeaveTheCache) {
  std::string parent = root.substr(0, root.size() - 1);
  parent = parent.substr(0, parent.find_last_of("\\/"));
  std::string outside = parent + "\\evil";
  DirDeleteTreeA(outside.c_str(), 0);
  map = new CMapWnd;
  map->SetSource(0, server.c_str(), "../../evil/t", 0, 0, 0, nullptr, 0);
  map->SetSource(1, server.c_str(), "..\\..\\evil\\g", 0, 0, 0, "GRAY 0x08FF0000", 0);
  map->ApplySources();
  RECT rc = {0, 0, 640, 480};
  ASSERT_TRUE(map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973));
  ASSERT_TRUE(Settle(20000));
  CPicture pic;
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  ASSERT_EQ(0, map->RenderArea(40u << 22, 40u << 22, 8, &pic, &tiles, &cancel, 256, 256, &missing));
  EXPECT_EQ(0, missing);
  FioInfo info;
  EXPECT_NE(0, FioStat(outside.c_str(), &info)) << "a folder appeared outside the cache";
  // the tiles are there, inside the root
  EXPECT_GT(FilesBelow(root.substr(0, root.size() - 1), ".png"), 12u);
  // the server was asked for the path as the table gave it
  bool asked = false;
  for (const std::string& l : LogLines()) asked |= l.rfind("/../../evil/t/", 0) == 0;
  EXPECT_TRUE(asked);
}

// While slow downloads run, the zoom changes twice and the source once: every
// cell the window counts as done shows the tile of the current zoom and source,
// at every moment, and at the end every cell is done.
TEST_F(TileWorkerTest, ZoomAndSourceChangesDuringSlowDownloadsNeverBlendAStaleTile) {
  Make("alt");
  bool alt = true;
  int wrong = 0, checked[2] = {0, 0};
  auto watch = [&](DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
      Pump(15);
      int z = map->GetZoom();
      for (int r = 0; r < map->View().nrow; r++)
        for (int c = 0; c < map->View().ncol; c++) {
          uint32_t tx, ty;
          if ((map->GetCellState(c, r) & 0x1FF) != 1 || !map->CellToTile(c, r, &tx, &ty)) continue;
          uint32_t want = Colour(z, tx, ty);
          if (alt) want = (want & 0xFFFF00) | 250;
          checked[alt]++;
          uint32_t px = map->GetBackBuffer()->GetPixel(c * 256 + 128, r * 256 + 128) & 0xFFFFFF;
          if (px != want && wrong++ < 5)
            ADD_FAILURE() << "zoom " << z << " cell " << c << "," << r << ": " << std::hex << px << " not " << want;
        }
    } while ((LONG)(GetTickCount() - end) < 0);
  };
  // the first tiles are in while the other downloads of this zoom go on
  for (DWORD end = GetTickCount() + 20000; !checked[1] && (LONG)(GetTickCount() - end) < 0;) watch(15);
  int z = map->GetZoom();
  map->SetZoom(z + 1);
  watch(400);
  map->SetZoom(z);
  watch(400);
  map->SetSource(0, server.c_str(), "delay", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  alt = false;
  watch(300);
  map->SetZoom(z + 1);
  ASSERT_TRUE(Settle(60000, true));
  watch(200);
  EXPECT_EQ(0, wrong);
  EXPECT_GT(checked[1], 0);  // tiles of the first source did arrive in between
  EXPECT_GT(checked[0], 0);
}

// An export into a picture of another size and kind, across 180°: the picture
// takes the asked size and the columns beyond the last one are the first ones.
TEST_F(TileWorkerTest, RenderAreaResizesThePictureAndWrapsAcross180Degrees) {
  Make("t");
  Settle(20000);
  CPicture pic;
  ASSERT_TRUE(pic.Create(24, 50, 70, 0));
  volatile LONG tiles = 0, cancel = 0;
  int missing = -1;
  // zoom 3 has 8 columns: start half way into the last one, 600 pixels wide
  uint32_t x = (7u * 256 + 128) << 19, y = (2u * 256) << 19;
  ASSERT_EQ(0, map->RenderArea(x, y, 3, &pic, &tiles, &cancel, 600, 300, &missing));
  EXPECT_EQ(0, missing);
  ASSERT_EQ(600, pic.Width());
  ASSERT_EQ(300, pic.Height());
  EXPECT_EQ(6, tiles);
  for (int py = 0; py < 300; py += 37)
    for (int px = 0; px < 600; px += 41) {
      uint32_t tx = ((7 * 256 + 128 + px) / 256) % 8, ty = (512 + py) / 256;
      EXPECT_EQ(Colour(3, tx, ty), pic.GetPixel(px, py) & 0xFFFFFF) << px << "," << py;
    }
  for (unsigned tx : {7u, 0u, 1u}) {
    char url[100];
    snprintf(url, sizeof url, "/t/3/%u/2.png", tx);
    EXPECT_EQ(1u, Requests(url)) << url;
  }
}

// A warm view reads its tiles from the cache and stamps them: after the trim
// the tiles of the view are all there, and of the rest the oldest went first.
TEST_F(TileWorkerTest, CacheReadsStampTheFilesAndTheTrimSparesTheView) {
  const int64_t kOld = 1700000000;  // seconds since 1970
  Make("t");
  ASSERT_TRUE(Settle(60000, true));
  int z = map->GetZoom();
  std::set<std::string> view;
  for (int r = 0; r < map->View().nrow; r++)
    for (int c = 0; c < map->View().ncol; c++) {
      uint32_t tx, ty;
      if (map->CellToTile(c, r, &tx, &ty)) view.insert(TileFile("t", z, tx, ty));
    }
  int64_t viewBytes = 0;
  for (const std::string& f : view) {
    ASSERT_GT(FileGetSizeA(f.c_str()), 0) << f;
    viewBytes += FileGetSizeA(f.c_str());
    ASSERT_NE(0, FioSetTimes(f.c_str(), SecondsToFileTicks(kOld - 3600), -1, -1));  // older than all
  }
  std::vector<std::string> others;
  for (int i = 0; i < 20; i++) {
    std::string f = TileFile("t", 15, 1000 + i, 2000);
    DirCreateExA(f.c_str(), DIRCREATE_PARENT);
    ASSERT_TRUE(orvtest::WriteFile(f, std::string(1000, 'x').data(), 1000));
    ASSERT_NE(0, FioSetTimes(f.c_str(), SecondsToFileTicks(kOld + i * 60), -1, -1));
    others.push_back(f);
  }
  size_t requests = LogLines().size();
  delete map;
  map = nullptr;
  Make("t");  // a new window on the same tiles: all from the cache
  ASSERT_TRUE(Settle(60000, true));
  EXPECT_EQ(requests, LogLines().size());
  for (const std::string& f : view) {
    FioInfo info;
    ASSERT_EQ(0, FioStat(f.c_str(), &info));
    EXPECT_GT(info.modified, SecondsToFileTicks(kOld + 86400)) << f << " not stamped";
  }
  TileTrimResult r;
  TileTrimPacing fast;
  fast.listPauseMs = fast.deletePauseMs = 0;
  ASSERT_EQ(1, TileCacheTrim(root.c_str(), (uint64_t)viewBytes + 5 * 1000, fast, nullptr, &r));
  EXPECT_EQ(15u, r.deleted);
  for (const std::string& f : view) EXPECT_GT(FileGetSizeA(f.c_str()), 0) << f;
  for (int i = 0; i < 20; i++) EXPECT_EQ(i >= 15, FileGetSizeA(others[i].c_str()) > 0) << i;
}

namespace {
// A window whose tile back-off runs on the test's clock.
class ClockMap : public CMapWnd {
 public:
  ClockMap() { Tiles().SetClock(orvtest::HandClock::Read); }
  bool BackingOff() {
    TileJobGuard g(Tiles());
    return !Tiles().MayConnect(0, 0);
  }
  bool Busy() {
    TileJobGuard g(Tiles());
    return Tiles().AnyBusy();
  }
};

}  // namespace

// Started while the server refuses connections: nothing is marked failed,
// tiles in the cache still come (here one of the next zoom), and once the
// server serves the cells fill by themselves (the window's timer).
TEST_F(TileWorkerTest, TilesOfAServerThatWasOutOfReachComeWithoutAnyUserAction) {
  std::string gate = std::to_string(orvtest::TileGatePort());
  ASSERT_NE(0, orvtest::TileGatePort());
  // the centre's tile of zoom 10 in the gate's cache, fetched from the open port
  uint32_t tx = 0x22000000u >> 20, ty = 0x16000000u >> 20;
  char cached[400], url[100];
  snprintf(cached, sizeof cached, "%s127.0.0.1_%s/t/10/%u/%u.png", root.c_str(), gate.c_str(), tx, ty);
  snprintf(url, sizeof url, "/t/10/%u/%u.png", tx, ty);
  DirCreateExA(cached, DIRCREATE_PARENT);
  CHttpClient c;
  ASSERT_EQ(0, c.Connect(server.c_str(), 0));
  ASSERT_GT(c.Get(cached, url, 5000, 0), 0);
  server = std::string("127.0.0.1:") + gate;
  ClockMap* m = new ClockMap;
  Make("t", 0, 0, m);
  for (DWORD end = GetTickCount() + 20000; !m->BackingOff() && (LONG)(GetTickCount() - end) < 0;) Pump(20);
  ASSERT_TRUE(m->BackingOff());
  for (DWORD end = GetTickCount() + 20000; m->Busy() && (LONG)(GetTickCount() - end) < 0;) Pump(20);
  Pump(100);
  int c0, c1, r0, r1;
  Visible(&c0, &c1, &r0, &r1);
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) EXPECT_EQ(0u, map->GetCellState(c, r) & 0x1FF) << c << "," << r;
  ASSERT_EQ(9, map->GetZoom());
  map->SetZoom(10);
  int col, row;
  ASSERT_TRUE(map->TileToCell(tx, ty, &col, &row));
  for (DWORD end = GetTickCount() + 20000; !(map->GetCellState(col, row) & 1) && (LONG)(GetTickCount() - end) < 0;)
    Pump(20);
  EXPECT_EQ(1u, map->GetCellState(col, row) & 0x1FF);
  EXPECT_EQ(Colour(10, tx, ty), map->GetBackBuffer()->GetPixel(col * 256 + 128, row * 256 + 128) & 0xFFFFFF);
  for (DWORD end = GetTickCount() + 20000; m->Busy() && (LONG)(GetTickCount() - end) < 0;) Pump(20);
  Pump(100);
  Visible(&c0, &c1, &r0, &r1);
  int open = 0;
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) open += !(map->GetCellState(c, r) & 0x1FF);
  EXPECT_EQ((c1 - c0 + 1) * (r1 - r0 + 1) - 1, open);
  orvtest::SetTileGate(true);
  orvtest::HandClock::Now() += 2000;
  bool filled = false;
  for (DWORD end = GetTickCount() + 30000; !filled && (LONG)(GetTickCount() - end) < 0;) {
    Pump(20);
    filled = true;
    for (int r = r0; r <= r1; r++)
      for (int c = c0; c <= c1; c++) filled &= (map->GetCellState(c, r) & 0x1FF) == 1;
  }
  EXPECT_TRUE(filled);
  orvtest::SetTileGate(false);
}

// The workers' host-name lookups hang: closing the window does not wait for
// them.
TEST_F(TileWorkerTest, AHangingLookupDoesNotHoldTheWindowsEnd) {
  orvtest::HangingLookup lookup;
  server = "tiles.example:" + std::to_string(Port());
  Make("t", 0, 60000);
  for (DWORD end = GetTickCount() + 10000; lookup.Count() < 1 && (LONG)(GetTickCount() - end) < 0;) Pump(20);
  EXPECT_GE(lookup.Count(), 1);
  DWORD t0 = GetTickCount();
  delete map;
  map = nullptr;
  EXPECT_LT(GetTickCount() - t0, 3000u);
}
