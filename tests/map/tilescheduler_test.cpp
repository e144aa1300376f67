// The tile scheduler and its workers behind a fake window (TileHost) and the
// local tile server (tileserver.py): no tile of an old zoom or an old source
// is ever drawn, and layers go on top of the sources below them.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "comm/httpclient.h"
#include "image/picture.h"
#include "map/tilecache.h"
#include "map/tilefx.h"
#include "map/tilescheduler.h"
#include "map/tileworker.h"
#include "tests/map/tileserver_env.h"
#include "tests/support/testenv.h"

namespace {

int Port() { return orvtest::TileServerPort(); }

uint32_t Colour(uint32_t z, uint32_t x, uint32_t y) {
  return (40 + (x % 5) * 40) << 16 | (40 + (y % 5) * 40) << 8 | (30 + (z % 6) * 30);
}

// A window of 4 x 4 cells: it draws into a picture of its own and checks
// every base-map tile it is asked to draw against the tile its cell shows
// at that moment.
class FakeHost : public TileHost {
 public:
  FakeHost() : tiles(this) {
    view.Init(1024, 1024);
    view.ApplyZoom(9);
    buffer.Create(32, 1024, 1024, 0);
    tiles.Init(view.ncol, view.nrow);
  }
  ~FakeHost() {
    tiles.Stop();
    tiles.WaitEnded();
  }
  int TileCells(uint32_t tx, uint32_t ty, int* row, int* cols) override {
    return view.TileToCell(tx, ty, &cols[0], row) ? 1 : 0;
  }
  bool JobCurrent(const TileJob& job) override { return job.precache || job.zoom == zoom; }
  bool BlendTile(CPicture& pic, int source, int row, const int* cols, int n, long epoch) override {
    std::lock_guard<std::mutex> g(bufferLock);
    if (tiles.Epoch() != epoch) return false;
    for (int i = 0; i < n; i++) {
      uint32_t tx, ty;
      view.CellToTile(cols[i], row, &tx, &ty);
      if (source == 0) {
        uint32_t want = Colour((uint32_t)view.zoom, tx, ty);
        if (alt) want = (want & 0xFFFF00) | 250;
        if ((pic.GetPixel(128, 128) & 0xFFFFFF) != want) stale++;
      }
      order[row * view.ncol + cols[i]].push_back(source);
      TileDraw(&buffer, pic, source, cols[i] * 256, row * 256);
    }
    drawn++;
    return true;
  }
  int ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs) override {
    if (client->IsConnectedTo(server, port)) return 1;
    connects++;
    return tiles.Running() && client->Connect(server, port, timeoutMs < 10000 ? timeoutMs : 10000) == 0;
  }
  void PostTileReady(uint32_t, uint32_t, int) override {}
  void PostCompose(int) override {}

  // What the window does on its own thread, in the same lock order.
  int Compose() {
    TileComposeArea a = {&view, 0, 0, 1024, 1024};
    return tiles.Compose(0, a);
  }
  void SetZoom(int z) {
    TileJobGuard g(tiles);
    std::lock_guard<std::mutex> b(bufferLock);
    tiles.GridMoved();
    view.ApplyZoom(z);
    zoom = z;
    tiles.ClearGrid();
    tiles.AbortBusy();
  }
  void SetSources(const std::vector<std::string>& paths, bool isAlt = false, int port = Port()) {
    std::string server = "127.0.0.1:" + std::to_string(port);
    TileJobGuard g(tiles);
    std::lock_guard<std::mutex> b(bufferLock);
    for (size_t i = 0; i < paths.size(); i++)
      tiles.Sources().Set((int)i, server.c_str(), paths[i].c_str(), 0, 0, 0, nullptr, 0);
    if (paths.size() < kMapSources) tiles.Sources().Set((int)paths.size(), "", "", 0, 0, 0, nullptr, 0);
    tiles.Sources().Apply();
    tiles.ClearGrid();
    alt = isAlt;
    for (auto& o : order) o.clear();
  }
  uint32_t State(int c, int r) {
    TileJobGuard g(tiles);
    return tiles.Grid().At(c, r);
  }
  // Runs the scheduler every 10 ms until every cell has all its sources
  // (or failed them), for at most ms.
  bool Settle(DWORD ms, uint32_t mask) {
    for (DWORD end = GetTickCount() + ms; (LONG)(GetTickCount() - end) < 0; Sleep(10)) {
      Compose();
      bool done = true;
      for (int r = 0; r < view.nrow; r++)
        for (int c = 0; c < view.ncol; c++) {
          uint32_t s = State(c, r);
          done &= ((s | s >> 8) & mask) == mask;
        }
      if (done) return true;
    }
    return false;
  }

  MapView view;
  CPicture buffer;
  std::mutex bufferLock;
  volatile int zoom = 9;
  bool alt = false;
  int stale = 0, drawn = 0;
  std::atomic<int> connects{0};
  std::vector<int> order[16];
  TileScheduler tiles;
};

class TileSchedulerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, Port()) << "run under with_tileserver.sh";
    MapTilesInstall();
    ASSERT_EQ(1, TileCacheSetRoot((orvtest::MakeTempDir("schedcache") + "\\").c_str()));
  }
};

}  // namespace

TEST_F(TileSchedulerTest, ZoomAndSourceChangesDuringSlowDownloadsNeverDrawAStaleTile) {
  FakeHost host;
  host.SetSources({"alt"}, true);
  host.tiles.Start();
  auto run = [&](DWORD ms) {
    for (DWORD end = GetTickCount() + ms; (LONG)(GetTickCount() - end) < 0; Sleep(10)) host.Compose();
  };
  run(400);  // downloads of the first zoom under way
  host.SetZoom(10);
  run(300);
  host.SetZoom(9);
  run(300);
  host.SetSources({"delay"});
  run(200);
  host.SetZoom(10);
  ASSERT_TRUE(host.Settle(60000, 1));
  EXPECT_EQ(0, host.stale);
  EXPECT_GE(host.drawn, 16);
  // the buffer shows the last zoom's tiles of the last source
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 4; c++) {
      uint32_t tx, ty;
      host.view.CellToTile(c, r, &tx, &ty);
      EXPECT_EQ(Colour(10, tx, ty), host.buffer.GetPixel(c * 256 + 100, r * 256 + 100) & 0xFFFFFF) << c << "," << r;
    }
}

TEST_F(TileSchedulerTest, LayersGoOnTopOfTheSourcesBelowEvenWhenOneFails) {
  FakeHost host;
  host.SetSources({"t", "missing", "rgba"});
  host.tiles.Start();
  ASSERT_TRUE(host.Settle(30000, 7));
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ((std::vector<int>{0, 2}), host.order[i]) << "cell " << i;
    EXPECT_EQ(0x205u, host.State(i % 4, i / 4) & 0x707) << "cell " << i;
  }
  // once failed, a source is asked for again only when told to retry
  int drawn = host.drawn;
  for (int i = 0; i < 5; i++) host.Compose();
  Sleep(200);
  EXPECT_EQ(drawn, host.drawn);
}

// A server that refuses connections (no network yet): the cells stay due,
// the workers try again only after a back-off that doubles, one job at a
// time, and fill the cells once it serves.
TEST_F(TileSchedulerTest, AnUnreachableServerIsAskedAgainAfterABackOff) {
  int gate = orvtest::TileGatePort();
  ASSERT_NE(0, gate);
  FakeHost host;
  host.tiles.SetClock(orvtest::HandClock::Read);
  host.SetSources({"t"}, false, gate);
  host.tiles.Start();
  // runs the scheduler until the workers are idle and have been for a while
  auto run = [&]() {
    for (int quiet = 0; quiet < 20; Sleep(10)) {
      host.Compose();
      TileJobGuard g(host.tiles);
      quiet = host.tiles.AnyBusy() ? 0 : quiet + 1;
    }
  };
  run();
  int first = host.connects;
  EXPECT_GE(first, 1);
  EXPECT_LE(first, MAP_WORKERS);  // the jobs handed out before the first refusal
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 4; c++) EXPECT_EQ(0u, host.State(c, r) & 0x1FF) << c << "," << r;
  run();
  EXPECT_EQ(first, host.connects);
  // 2 s, then 4 s, 8 s: one probe each time the back-off runs out
  int expect = first;
  struct Step {
    DWORD wait;
    bool probe;
  } steps[] = {{1999, false}, {1, true}, {2000, false}, {2000, true}, {4000, false}, {4000, true}, {8000, false}};
  for (const Step& st : steps) {
    orvtest::HandClock::Now() += st.wait;
    run();
    expect += st.probe;
    EXPECT_EQ(expect, host.connects) << "at " << orvtest::HandClock::Now();
  }
  orvtest::SetTileGate(true);
  orvtest::HandClock::Now() += 16000;
  EXPECT_TRUE(host.Settle(20000, 1));
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 4; c++) EXPECT_EQ(1u, host.State(c, r) & 0x1FF) << c << "," << r;
  orvtest::SetTileGate(false);
}
