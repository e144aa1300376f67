// Map arithmetic: world points, transforms, limits, cells and buffer moves.
#include <gtest/gtest.h>

#include <utility>

#include <math.h>

#include <random>
#include <vector>

#include "map/mapmath.h"

namespace {

// Mercator through the Gudermannian (other formulas than the library's).
double RefWorldY(double lat) {
  double m = log(tan(M_PI / 4 + lat * M_PI / 360));
  return 536870912.0 - m * 1073741824.0 / (2 * M_PI);
}
double RefLat(double worldY) {
  double m = (536870912.0 - worldY) * 2 * M_PI / 1073741824.0;
  return (2 * atan(exp(m)) - M_PI / 2) * 180 / M_PI;
}

MapView MakeView(int zoom, uint32_t ox, uint32_t oy, bool large = false) {
  MapView v;
  v.Init(3072, 2048);
  v.SetLargeTiles(large);
  v.zoom = zoom;
  v.originX = ox;
  v.originY = oy;
  v.clientW = 1000;
  v.clientH = 700;
  return v;
}

}  // namespace

TEST(MapWorld, KnownPoints) {
  EXPECT_EQ(0x20000000u, MapLonToWorldX(0));
  EXPECT_EQ(0x20000000u, MapLatToWorldY(0));
  EXPECT_EQ(0x22000000u, MapLonToWorldX(11.25));
  EXPECT_EQ(0x16000000u, MapLatToWorldY(48.92249926375824));
  // 180 E and 180 W are the same meridian
  EXPECT_EQ(0u, MapLonToWorldX(180));
  EXPECT_EQ(0u, MapLonToWorldX(-180));
  EXPECT_NEAR(-180.0, MapWorldXToLon(0), 1e-9);
  EXPECT_NEAR(11.25, MapWorldXToLon(0x22000000u), 1e-9);
  EXPECT_NEAR(48.92249926375824, MapWorldYToLat(0x16000000u), 1e-7);
}

TEST(MapWorld, LatitudesBeyondTheWorldClampToItsEdges) {
  // 89 N must stay in the north; 90 and beyond must not overflow
  EXPECT_EQ(0u, MapLatToWorldY(89));
  EXPECT_EQ(0u, MapLatToWorldY(90));
  EXPECT_EQ(0u, MapLatToWorldY(1e300));
  EXPECT_EQ(0x3FFFFFFFu, MapLatToWorldY(-89));
  EXPECT_EQ(0x3FFFFFFFu, MapLatToWorldY(-90));
  EXPECT_EQ(0x3FFFFFFFu, MapLatToWorldY(-INFINITY));
  EXPECT_LT(MapLatToWorldY(85.0), 0x00400000u);
  EXPECT_EQ(0x20000000u, MapLatToWorldY(NAN));
  EXPECT_EQ(0x20000000u, MapLonToWorldX(NAN));
  // huge longitudes are taken modulo a turn
  EXPECT_NEAR(MapLonToWorldX(10.0), MapLonToWorldX(10.0 + 360.0 * 1e6), 2.0);
}

TEST(MapWorld, AgreesWithGudermannianMercator) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> lat(-85.0, 85.0), lon(-180.0, 180.0);
  for (int i = 0; i < 2000; i++) {
    double a = lat(rng), o = lon(rng);
    uint32_t y = MapLatToWorldY(a), x = MapLonToWorldX(o);
    EXPECT_NEAR(RefWorldY(a), (double)y, 1.5) << a;
    EXPECT_NEAR(RefLat(y), MapWorldYToLat(y), 1e-9);
    EXPECT_NEAR(a, MapWorldYToLat(y), 1e-6);
    EXPECT_NEAR(o, MapWorldXToLon(x), 1e-6);
  }
}

TEST(MapWorld, DeltaTakesTheShortWayRound) {
  EXPECT_EQ(2, MapWorldDelta(1, 0x3FFFFFFF));
  EXPECT_EQ(-2, MapWorldDelta(0x3FFFFFFF, 1));
  EXPECT_EQ(-0x20000000, MapWorldDelta(0x20000000, 0));
  EXPECT_EQ(0x1FFFFFFF, MapWorldDelta(0x1FFFFFFF, 0));
}

TEST(MapWorld, BackBufferSize) {
  int w, h;
  MapBackBufferSize(1920, 1080, &w, &h);
  EXPECT_EQ(4096, w);
  EXPECT_EQ(2048, h);
  MapBackBufferSize(1600, 1000, &w, &h);
  EXPECT_EQ(3072, w);
  EXPECT_EQ(2048, h);
  MapBackBufferSize(320, 200, &w, &h);
  EXPECT_EQ(1024, w);
  EXPECT_EQ(1024, h);
  // very large screens keep the screen and a margin, within the cap
  for (auto screen : {std::pair<int, int>{7680, 4320}, {5120, 2880}, {3840, 2160}}) {
    MapBackBufferSize(screen.first, screen.second, &w, &h);
    EXPECT_LE((int64_t)w * h, kMapMaxBufferPixels) << screen.first;
    EXPECT_GE(w, screen.first + 256) << screen.first;
    EXPECT_GE(h, screen.second + 256) << screen.first;
    EXPECT_EQ(0, w % 1024);
    EXPECT_EQ(0, h % 1024);
  }
  MapBackBufferSize(30000, 30000, &w, &h);  // beyond any screen: still bounded
  EXPECT_LE((int64_t)w * h, kMapMaxBufferPixels);
  EXPECT_GE(h, 1024);
}

TEST(MapTransform, ClientAndWorldAreInverse) {
  for (int large = 0; large < 2; large++)
    for (int z = 0; z <= 22; z++) {
      MapView v = MakeView(z, 0x3FFFFF00u, 0x16000000u, large);
      v.ApplyZoom(z);
      for (int px : {0, 1, 777, 1536, 3071})
        for (int py : {0, 1000, 2047}) {
          uint32_t x, y;
          v.ClientToWorld(px, py, &x, &y);
          int bx, by;
          v.WorldToClient(x, y, &bx, &by);
          // large tiles at zoom 22 draw one world unit as two pixels
          int grain = v.Shift() < 0 ? ~1 : ~0;
          if (v.WorldWidthPx() > v.bufW) {
            EXPECT_EQ(px & grain, bx) << "zoom " << z << " large " << large;
          }
          if (v.WorldWidthPx() > 2 * v.bufH) {
            EXPECT_EQ(py & grain, by) << "zoom " << z;
          }
        }
    }
}

TEST(MapTransform, WrapAt180StaysContinuous) {
  // the buffer centre just west of 180 degrees; a point just east of it
  MapView v = MakeView(22, 0x3FFFFF00u, 0x20000000u);
  int px, py;
  v.WorldToClient(0x00000010u, 0x20000000u, &px, &py);
  EXPECT_EQ(1536 + 0x110, px);
  v.WorldToClient(0x3FFFFE00u, 0x20000000u, &px, &py);
  EXPECT_EQ(1536 - 0x100, px);
  uint32_t x, y;
  v.ClientToWorld(1536 + 0x110, 1024, &x, &y);
  EXPECT_EQ(0x10u, x);
  double lon, lat;
  v.ClientToGeo(1536 + 0x110, 1024, &lon, &lat);
  EXPECT_NEAR(-180.0, lon, 1e-4);
  v.GeoToClient(179.9, 0, &px, &py);
  EXPECT_LT(px, 1536);
  v.GeoToClient(-179.9, 0, &px, &py);
  EXPECT_GT(px, 1536);
}

TEST(MapTransform, LargeTilesAtZoom22UseNoNegativeShift) {
  MapView v = MakeView(22, 0x22000000u, 0x16000000u, true);
  EXPECT_EQ(-1, v.Shift());
  int px, py;
  v.WorldToClient(0x22000000u + 5, 0x16000000u - 3, &px, &py);
  EXPECT_EQ(1536 + 10, px);
  EXPECT_EQ(1024 - 6, py);
  uint32_t x, y;
  v.ClientToWorld(1536 + 10, 1024 - 6, &x, &y);
  EXPECT_EQ(0x22000000u + 5, x);
  EXPECT_EQ(0x16000000u - 3, y);
  // a move far away re-anchors by whole 512-pixel cells
  struct Sink : MapReanchorSink {
    int dx = 0, dy = 0;
    void Reanchor(int a, int b) override { dx += a, dy += b; }
  } sink;
  v.centreX = 0x22000000u;
  v.centreY = 0x16000000u;
  v.scrollX = 1536 - 500;
  v.scrollY = 1024 - 350;
  bool re;
  EXPECT_EQ(1, v.Move(0x22000000u + 100000, 0x16000000u - 70000, &sink, &re));
  EXPECT_TRUE(re);
  EXPECT_EQ(0, sink.dx % 512);
  EXPECT_EQ(0, sink.dy % 512);
  v.WorldToClient(v.centreX, v.centreY, &px, &py);
  EXPECT_EQ(v.scrollX + 500, px);
  EXPECT_EQ(v.scrollY + 350, py);
}

TEST(MapTransform, GeoToClientMarksPointsBeyondThePoles) {
  MapView v = MakeView(3, 0x20000000u, 0x20000000u);
  int px, py, tx, ty;
  v.GeoToClient(10, 89, &px, &py);
  v.WorldToClient(MapLonToWorldX(10), 0, &tx, &ty);
  EXPECT_EQ(ty - 1, py);  // just above the top edge (world y -1)
  v.GeoToClient(10, -89, &px, &py);
  EXPECT_EQ(1024 + 1024 - 1, py);  // 2048-pixel world at zoom 3, centred
}

TEST(MapTransform, PixelsBeyondTheWorldEdgesStayOnThem) {
  // zoom 1: a 512-pixel world in a 2048-pixel buffer
  MapView v = MakeView(1, 0x20000000u, 0x20000000u);
  uint32_t x, y;
  v.ClientToWorld(1536, 10, &x, &y);
  EXPECT_EQ(0u, y);  // north of the world: its top, not the far south
  double lon, lat;
  v.ClientToGeo(1536, 10, &lon, &lat);
  EXPECT_NEAR(kMapTopLat, lat, 1e-9);
  v.ClientToWorld(1536, 2040, &x, &y);
  EXPECT_EQ(kMapWorldMask, y);
  v.ClientToWorld(1536, 1024 + 100, &x, &y);
  EXPECT_EQ(0x20000000u + (100u << 21), y);
}

TEST(MapCells, CellAndTileAreInverse) {
  for (int z : {0, 1, 3, 4, 9, 22}) {
    MapView v = MakeView(z, 0x3FFFFFFFu, 0x16000000u);
    v.ApplyZoom(z);
    for (int r = 0; r < v.nrow; r++)
      for (int c = 0; c < v.ncol; c++) {
        uint32_t tx, ty;
        bool inWorld = v.CellToTile(c, r, &tx, &ty);
        int64_t worldRow = (int64_t)(v.originY >> (30 - v.zoom)) - v.nrow / 2 + r;
        EXPECT_EQ(worldRow >= 0 && worldRow < (int64_t)v.Tiles(), inWorld) << z << " row " << r;
        EXPECT_LT(tx, v.Tiles());
        int cc, rr;
        bool in = v.TileToCell(tx, ty, &cc, &rr);
        if (v.Tiles() >= (uint32_t)v.ncol) {
          EXPECT_TRUE(in);
          EXPECT_EQ(c, cc);
        } else {
          EXPECT_EQ((uint32_t)c % v.Tiles(), (uint32_t)cc);  // the world repeats
        }
        if (v.Tiles() >= (uint32_t)v.nrow) {
          EXPECT_EQ(r, rr) << z;
        }
      }
  }
}

TEST(MapCells, ZoomZeroIsOneTileEverywhere) {
  MapView v = MakeView(9, 0x22000000u, 0x16000000u);
  v.ApplyZoom(0);
  EXPECT_EQ(0u, v.originX);
  EXPECT_EQ(0u, v.originY);
  for (int c = 0; c < v.ncol; c++) {
    uint32_t tx, ty;
    v.CellToTile(c, 0, &tx, &ty);
    EXPECT_EQ(0u, tx);
  }
  // the centre pixel shows the world's west edge at the origin
  int px, py;
  v.WorldToClient(0, 0, &px, &py);
  EXPECT_EQ(1536, px);
  EXPECT_EQ(1024, py);
}

TEST(MapCells, ZoomKeepsOriginOnCellBoundaries) {
  MapView v = MakeView(12, 0x22100000u, 0x16100000u);
  for (int z = 12; z >= 0; z--) {
    v.ApplyZoom(z);
    EXPECT_EQ(0u, v.originX & (v.CellWorld() - 1)) << z;
    EXPECT_EQ(0u, v.originY & (v.CellWorld() - 1)) << z;
  }
}

TEST(MapLimits, ZoomRange) {
  MapView v;
  v.SetZoomRange(5, 3);
  EXPECT_EQ(5, v.minZoom);
  EXPECT_EQ(5, v.maxZoom);
  v.SetZoomRange(0, 0);
  EXPECT_EQ(0, v.minZoom);
  EXPECT_EQ(22, v.maxZoom);
  v.SetZoomRange(-4, 40);
  EXPECT_EQ(0, v.minZoom);
  EXPECT_EQ(22, v.maxZoom);
  v.SetZoomRange(2, 10);
  EXPECT_EQ(10, v.ClampZoom(15));
  EXPECT_EQ(2, v.ClampZoom(-1));
}

TEST(MapLimits, CentreStaysInsideYLimits) {
  MapView v = MakeView(10, 0x20000000u, 0x20000000u);
  uint32_t x = 0x20000000u, y = 0;
  v.ClampCentre(&x, &y);
  EXPECT_EQ((uint32_t)(350 << 12), y);  // half the client below the top
  y = 0x3FFFFFFF;
  v.ClampCentre(&x, &y);
  EXPECT_EQ(0x3FFFFFFFu - (350 << 12), y);
  // the world shorter than the client: the middle of the limits
  v.zoom = 1;
  y = 5;
  v.ClampCentre(&x, &y);
  EXPECT_EQ(0x1FFFFFFFu, y);
}

TEST(MapLimits, XLimitsAcross180) {
  MapView v = MakeView(10, 0x20000000u, 0x20000000u);
  // from 170 E to 170 W: 20 degrees around the date line
  v.SetLimitsX(MapLonToWorldX(170), MapLonToWorldX(-170));
  uint32_t x = MapLonToWorldX(179.5), y = 0x20000000u;
  v.ClampCentre(&x, &y);
  EXPECT_EQ(MapLonToWorldX(179.5), x);  // inside: unchanged
  x = MapLonToWorldX(-150);              // nearer the east end
  v.ClampCentre(&x, &y);
  EXPECT_EQ((MapLonToWorldX(-170) - (500u << 12)) & kMapWorldMask, x);
  x = MapLonToWorldX(150);  // nearer the west end
  v.ClampCentre(&x, &y);
  EXPECT_EQ(MapLonToWorldX(170) + (500u << 12), x);
  // at zoom 2 the 20 degrees are narrower than the client: the middle
  v.zoom = 2;
  x = MapLonToWorldX(0);
  v.ClampCentre(&x, &y);
  EXPECT_NEAR(180.0, fabs(MapWorldXToLon(x)), 1e-5);
}

namespace {
struct RecordingSink : MapReanchorSink {
  std::vector<std::pair<int, int>> moves;
  void Reanchor(int dx, int dy) override { moves.push_back({dx, dy}); }
};
}  // namespace

TEST(MapMove, SmallMovesOnlyScroll) {
  MapView v = MakeView(9, 0x22000000u, 0x16000000u);
  RecordingSink sink;
  bool re;
  v.centreX = 1;  // anything else than the target
  ASSERT_EQ(1, v.Move(0x22000000u, 0x16000000u, &sink, &re));
  EXPECT_EQ(1536 - 500, v.scrollX);
  EXPECT_EQ(1024 - 350, v.scrollY);
  EXPECT_EQ(0, v.Move(0x22000000u, 0x16000000u, &sink, &re));  // unchanged
  ASSERT_EQ(1, v.Move(0x22000000u + (300 << 13), 0x16000000u - (200 << 13), &sink, &re));
  EXPECT_FALSE(re);
  EXPECT_TRUE(sink.moves.empty());
  EXPECT_EQ(1536 - 500 + 300, v.scrollX);
  EXPECT_EQ(1024 - 350 - 200, v.scrollY);
}

TEST(MapMove, LeavingTheBufferReanchorsByWholeCells) {
  for (int z : {5, 9, 17, 22}) {
    MapView v = MakeView(z, 0x3FF00000u, 0x16000000u);
    v.ApplyZoom(z);
    v.centreX = v.originX;
    v.centreY = v.originY;
    v.scrollX = 1536 - 500;
    v.scrollY = 1024 - 350;
    RecordingSink sink;
    bool re;
    // eastwards across 180 degrees, 2000 pixels, and 1500 pixels south
    uint32_t tx = (v.originX + (uint32_t)MapPxToWorld(2000, v.Shift())) & kMapWorldMask;
    uint32_t ty = v.originY + (uint32_t)MapPxToWorld(1500, v.Shift());
    ASSERT_EQ(1, v.Move(tx, ty, &sink, &re)) << z;
    ASSERT_TRUE(re);
    ASSERT_FALSE(sink.moves.empty());
    int sdx = 0, sdy = 0;
    for (auto& m : sink.moves) sdx += m.first, sdy += m.second;
    EXPECT_EQ(0, sdx % 256);
    EXPECT_EQ(0, sdy % 256);
    EXPECT_LT(sdx, 0);  // content moves left when the map moves east
    EXPECT_LT(sdy, 0);
    EXPECT_EQ(0u, v.originX & (v.CellWorld() - 1));
    EXPECT_TRUE(v.ScrollFits(v.scrollX, v.scrollY));
    int px, py;
    v.WorldToClient(tx, ty, &px, &py);
    EXPECT_EQ(v.scrollX + 500, px) << z;
    EXPECT_EQ(v.scrollY + 350, py) << z;
  }
}

TEST(MapMove, EmptyClientStoresTheCentreOnly) {
  MapView v = MakeView(9, 0x22000000u, 0x16000000u);
  v.clientW = v.clientH = 0;
  bool re;
  EXPECT_EQ(0, v.Move(0x23000000u, 0x17000000u, nullptr, &re));
  EXPECT_EQ(0x23000000u, v.centreX);
}

TEST(MapMove, LowZoomScrollsWithinTheRepeatedWorld) {
  MapView v = MakeView(2, 0, 0);
  v.ApplyZoom(2);  // world 1024 pixels, buffer 3072: the world repeats
  bool re;
  RecordingSink sink;
  for (uint32_t x = 0; x < 0x40000000u; x += 0x03000000u) {
    v.Move(x, 0x20000000u, &sink, &re);
    EXPECT_TRUE(v.ScrollFits(v.scrollX, v.scrollY));
    int px, py;
    v.WorldToClient(v.centreX, v.centreY, &px, &py);
    int64_t d = ((int64_t)v.scrollX + 500 - px) % 1024;
    EXPECT_EQ(0, d) << x;
  }
  EXPECT_TRUE(sink.moves.empty());
}

TEST(MapArea, AcrossTheDateLine) {
  uint32_t cx, cy, sx, sy;
  MapAreaCentreSpan(170, 10, -170, -10, &cx, &cy, &sx, &sy);
  EXPECT_NEAR(180.0, fabs(MapWorldXToLon(cx)), 1e-6);
  EXPECT_NEAR(0.0, MapWorldYToLat(cy), 1e-6);
  EXPECT_NEAR(20.0 / 360.0 * 1073741824.0, (double)sx, 2.0);
  // 20 degrees is 14.2 * 2^z pixels: zoom 5 is the last below 770 pixels
  EXPECT_EQ(5, MapZoomForSpan(sx, sy, 800, 600, 8));
  EXPECT_EQ(4, MapZoomForSpan(sx, sy, 800, 600, 9));
  // latitudes beyond 85 are cut to 85
  MapAreaCentreSpan(0, 89, 1, 88, &cx, &cy, &sx, &sy);
  EXPECT_EQ(1u, sy);
  EXPECT_EQ(0, MapZoomForSpan(0x3FFFFFFF, 0x3FFFFFFF, 100, 100, 8));
  EXPECT_EQ(22, MapZoomForSpan(1, 1, 800, 600, 8));
}

TEST(MapGrid, ShiftMovesAndClears) {
  const int C = 12, R = 8;
  std::vector<uint32_t> w(C * R);
  MapCellGrid g;
  g.words = w.data();
  g.cols = C;
  g.rows = R;
  for (int dr = -9; dr <= 9; dr += 3)
    for (int dc = -13; dc <= 13; dc += 2) {
      for (int i = 0; i < C * R; i++) w[i] = i + 1;
      g.Shift(dc, dr);
      for (int r = 0; r < R; r++)
        for (int c = 0; c < C; c++) {
          int sc = c - dc, sr = r - dr;
          uint32_t want = (sc >= 0 && sc < C && sr >= 0 && sr < R) ? sr * C + sc + 1 : 0;
          ASSERT_EQ(want, g.At(c, r)) << dc << "," << dr;
        }
    }
}

namespace {
struct Image {
  int w, h;
  std::vector<uint32_t> px;
  Image(int w_, int h_, bool bottomUp) : w(w_), h(h_), px((size_t)w_ * h_), up(bottomUp) {}
  bool up;
  MapPixels View() {
    MapPixels p;
    p.width = w;
    p.height = h;
    if (up) {
      p.row0 = (uint8_t*)(px.data() + (size_t)(h - 1) * w);
      p.stride = -(ptrdiff_t)w * 4;
    } else {
      p.row0 = (uint8_t*)px.data();
      p.stride = (ptrdiff_t)w * 4;
    }
    return p;
  }
  uint32_t At(int x, int y) { return View().Row(y)[x]; }
  void Pattern() {
    MapPixels p = View();
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) p.Row(y)[x] = (uint32_t)(y << 16 | x) + 1;
  }
};
}  // namespace

TEST(MapPixelsTest, ShiftMatchesReference) {
  for (int up = 0; up < 2; up++)
    for (int dy : {-600, -256, 0, 256, 512, 1100})
      for (int dx : {-1300, -512, 0, 256, 768}) {
        Image im(1024, 1024, up);
        im.Pattern();
        MapShiftPixels(im.View(), dx, dy, 0xABCDEF);
        for (int y = 0; y < 1024; y += 17)
          for (int x = 0; x < 1024; x += 13) {
            int sx = x - dx, sy = y - dy;
            uint32_t want = (sx >= 0 && sx < 1024 && sy >= 0 && sy < 1024) ? (uint32_t)(sy << 16 | sx) + 1 : 0xABCDEF;
            ASSERT_EQ(want, im.At(x, y)) << dx << "," << dy << " at " << x << "," << y;
          }
      }
}

TEST(MapPixelsTest, ZoomRemapInPlaceMatchesOutOfPlace) {
  // zoom steps in and out from several origins, large tiles too
  struct Case {
    int z0, z1;
    uint32_t ox, oy;
    bool large;
  } cases[] = {{9, 10, 0x22000000u, 0x16000000u, false}, {10, 9, 0x22000000u, 0x16000000u, false},
               {10, 9, 0x22200000u, 0x16100000u, false}, {4, 3, 0x3F000000u, 0x1C000000u, false},
               {2, 3, 0x20000000u, 0x20000000u, false},  {21, 22, 0x3FFFF000u, 0x100000u, true},
               {22, 21, 0x3FFFF800u, 0x100800u, true},   {1, 0, 0x20000000u, 0x20000000u, false}};
  for (auto& k : cases)
    for (int up = 0; up < 2; up++) {
      MapView a;
      a.Init(3072, 2048);
      a.SetLargeTiles(k.large);
      a.zoom = k.z0;
      a.originX = k.ox;
      a.originY = k.oy;
      a.ApplyZoom(k.z0);
      MapView b = a;
      b.ApplyZoom(k.z1);
      std::vector<int> cols(a.bufW), rows(a.bufH);
      MapZoomColumnMap(a, b, cols.data());
      MapZoomRowMap(a, b, rows.data());
      Image im(a.bufW, a.bufH, up);
      im.Pattern();
      Image ref = im;
      std::vector<uint32_t> scratch(a.bufW);
      MapRemapPixels(im.View(), cols.data(), rows.data(), 7, scratch.data());
      int mapped = 0;
      for (int y = 0; y < a.bufH; y += 3)
        for (int x = 0; x < a.bufW; x += 5) {
          uint32_t want = (cols[x] >= 0 && rows[y] >= 0) ? ref.At(cols[x], rows[y]) : 7;
          mapped += want != 7;
          ASSERT_EQ(want, im.At(x, y)) << k.z0 << "->" << k.z1 << " at " << x << "," << y;
        }
      EXPECT_GT(mapped, 0);
      // what the buffer shows stays where it is: the world point under a
      // pixel of the new view is the one the old pixel showed
      for (int x = 0; x < a.bufW; x += 97) {
        if (cols[x] < 0) continue;
        uint32_t wa, wb, t;
        a.ClientToWorld(cols[x], 0, &wa, &t);
        b.ClientToWorld(x, 0, &wb, &t);
        int64_t d = MapWorldDelta(wb, wa);
        if (a.WorldWidthPx() <= a.bufW) d = (d % (1 << (30 - a.zoom)) + (1 << (30 - a.zoom))) % (1 << (30 - a.zoom)) ;
        EXPECT_GE(d, 0);
        EXPECT_LT(d, MapPxToWorld(1, a.Shift()) + 1 + (a.WorldWidthPx() <= a.bufW ? (1 << (30 - a.zoom)) : 0));
      }
    }
}

TEST(MapGrid, ZoomMarksPreviewCells) {
  MapView a;
  a.Init(3072, 2048);
  a.zoom = 9;
  a.originX = 0x22000000u;
  a.originY = 0x16000000u;
  MapView b = a;
  b.ApplyZoom(10);
  std::vector<int> cols(a.bufW), rows(a.bufH);
  MapZoomColumnMap(a, b, cols.data());
  MapZoomRowMap(a, b, rows.data());
  std::vector<uint32_t> ow(a.ncol * a.nrow, 1), nw(a.ncol * a.nrow, 5);
  MapCellGrid og{ow.data(), a.ncol, a.nrow}, ng{nw.data(), a.ncol, a.nrow};
  MapZoomGrid(og, &ng, cols.data(), rows.data(), 256);
  for (uint32_t s : nw) EXPECT_EQ(kMapCellPreview, s);  // zooming in covers every cell
  // zooming out leaves margins empty
  b = a;
  b.ApplyZoom(8);
  MapZoomColumnMap(a, b, cols.data());
  MapZoomRowMap(a, b, rows.data());
  MapZoomGrid(og, &ng, cols.data(), rows.data(), 256);
  EXPECT_EQ(0u, ng.At(0, 0));
  EXPECT_EQ(0u, ng.At(a.ncol - 1, a.nrow - 1));
  EXPECT_EQ(kMapCellPreview, ng.At(a.ncol / 2, a.nrow / 2));
}

namespace {
struct RecordingSinkForFuzz : MapReanchorSink {
  void Reanchor(int, int) override {}
};
}  // namespace

TEST(MapTransform, AnyInputStaysDefined) {
  // under UBSan: no overflow or bad shift for any zoom, mode, origin or input
  std::mt19937 rng(11);
  const double odd[] = {0, 1e308, -1e308, INFINITY, -INFINITY, NAN, 89.9999, -90, 180, -180, 540.5};
  for (int i = 0; i < 3000; i++) {
    MapView v = MakeView(rng() % 23, rng() & kMapWorldMask, rng() & kMapWorldMask, rng() & 1);
    v.ApplyZoom(v.zoom);
    v.clientW = rng() % 4000;
    v.clientH = rng() % 3000;
    v.SetLimitsX(rng(), rng());
    v.SetLimitsY(rng(), rng());
    double lon = (i % 4) ? std::uniform_real_distribution<double>(-1e4, 1e4)(rng) : odd[rng() % 11];
    double lat = (i % 3) ? std::uniform_real_distribution<double>(-100, 100)(rng) : odd[rng() % 11];
    int px, py;
    v.GeoToClient(lon, lat, &px, &py);
    uint32_t x, y;
    v.ClientToWorld((int)(rng() % 20000) - 10000, (int)(rng() % 20000) - 10000, &x, &y);
    EXPECT_LE(x, kMapWorldMask);
    EXPECT_LE(y, kMapWorldMask);
    int col, row;
    v.TileToCell(rng(), rng(), &col, &row);
    bool re;
    RecordingSinkForFuzz sink;
    v.Move(rng(), rng(), &sink, &re);
    uint32_t cx, cy, sx, sy;
    MapAreaCentreSpan(lon, lat, -lon, -lat, &cx, &cy, &sx, &sy);
    int z = MapZoomForSpan(sx, sy, 40 + rng() % 2000, 30 + rng() % 2000, v.tileShift);
    EXPECT_GE(z, 0);
    EXPECT_LE(z, 22);
  }
}
