// Coordinate pairs, the map-section arithmetic and CSV corner cases.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "game/dialogs/coordpair.h"
#include "game/dialogs/mapsection_math.h"
#include "game/dialogs/servercsv.h"
#include "map/geo.h"
#include "map/mapmath.h"

TEST(CoordPair, SplitsWhereTheFirstNumberEnds) {
  CoordPair p = CoordPairSplit("47.5, 8.25");
  EXPECT_EQ(p.count, 2);
  EXPECT_DOUBLE_EQ(p.first, 47.5);
  EXPECT_DOUBLE_EQ(p.second, 8.25);
  EXPECT_EQ(p.firstEnd, 4);
  // a decimal comma belongs to its number
  p = CoordPairSplit("47,5");
  EXPECT_EQ(p.count, 1);
  EXPECT_DOUBLE_EQ(p.first, 47.5);
  p = CoordPairSplit("47,5 8,25");
  EXPECT_EQ(p.count, 2);
  EXPECT_DOUBLE_EQ(p.second, 8.25);
  p = CoordPairSplit("-12.5\t\r\n100");
  EXPECT_EQ(p.count, 2);
  EXPECT_DOUBLE_EQ(p.second, 100);
  p = CoordPairSplit("47\xb0 30' 00'' N, 8\xb0 15' 00'' E");
  EXPECT_EQ(p.count, 2);
  EXPECT_DOUBLE_EQ(p.first, 47.5);
  EXPECT_DOUBLE_EQ(p.second, 8.25);
}

TEST(CoordPair, OnlyACommaAfterTheFirstNumberIsAPastedPair) {
  CoordPair p;
  const char* text = "47.5 ,\r\n 8.25";
  EXPECT_EQ(CoordPairPastedLon(text, &p), text + 9);
  EXPECT_EQ(CoordPairPastedLon("47,5 8,25", &p), nullptr);  // typed into one field
  EXPECT_EQ(CoordPairPastedLon("47,5", &p), nullptr);
  EXPECT_EQ(CoordPairPastedLon("0, 8.25", &p), nullptr);
}

TEST(CoordPair, NothingReadIsNothing) {
  EXPECT_EQ(CoordPairSplit("abc").count, 0);
  EXPECT_EQ(CoordPairSplit("").count, 0);
  EXPECT_EQ(CoordPairSplit(nullptr).count, 0);
  EXPECT_EQ(CoordPairSplit("47.5, abc").count, 1);
}

static MsRect Rect(double lonA, double latA, double lonB, double latB) {
  MsRect r = {MapLonToWorldX(lonA), MapLonToWorldX(lonB), MapLatToWorldY(latA), MapLatToWorldY(latB)};
  return r;
}

TEST(MapSection, PixelSizeGoesTheShortWayAcross180) {
  int w, h;
  MsPixelSize(Rect(179, 10, -179, 0), 10, &w, &h);
  // 2 degrees at zoom 10: 2/360 * 256 * 1024 pixels
  EXPECT_NEAR(w, 2.0 / 360 * 262144, 1);
  EXPECT_GT(h, 0);
  MsPixelSize(Rect(8, 47, 7, 46), 10, &w, &h);
  EXPECT_LT(w, 0);
  EXPECT_GT(h, 0);
}

TEST(MapSection, WidthFollowsTheSideTheMapShows) {
  // zoom 3: a 2048-pixel world; 170 W to 100 E is three quarters of it
  MsRect r = Rect(-170, 10, 100, 0);
  EXPECT_NEAR(MsWidthAsShown(r, 3, true), 1536, 1);
  EXPECT_NEAR(MsWidthAsShown(r, 3, false), -512, 1);
  EXPECT_NEAR(MsWidthAsShown(Rect(179, 10, -179, 0), 10, true), 2.0 / 360 * 262144, 1);
  EXPECT_EQ(MsWidthAsShown(Rect(8, 10, 8, 0), 10, false), 0);
}

TEST(MapSection, FixedCornerBAt64BitsWrapsXAndStopsAtTheSouthEdge) {
  MsRect r = Rect(170, -80, 0, 0);
  int h = MsFixedCornerB(&r, 0, 20000, 20000);  // 20000 << 22 overflows 32 bits
  EXPECT_LT(r.xb, 1u << 30);
  // x: 170 degrees plus 20000 pixels of a 256-pixel world, modulo the world
  int64_t want = ((int64_t)r.xa + ((int64_t)20000 << 22)) % (1 << 30);
  EXPECT_EQ((int64_t)r.xb, want);
  EXPECT_GE(r.yb, r.ya);
  EXPECT_LT(r.yb, 1u << 30);
  EXPECT_LT(h, 20000);
  EXPECT_EQ((int64_t)r.yb - r.ya, (int64_t)h << 22);
  r = Rect(8, 47, 0, 0);
  EXPECT_EQ(MsFixedCornerB(&r, 10, 300, 200), 200);
  int w;
  MsPixelSize(r, 10, &w, &h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
}

TEST(MapSection, SectionDrawnUpwardsKeepsItsSizeWhenTheSizeIsFixed) {
  MsRect r = Rect(10, 40, 8, 47);  // drawn from the south-east corner
  int w, h;
  MsPixelSize(r, 10, &w, &h);
  ASSERT_LT(h, -300);
  int want = -h;
  EXPECT_EQ(MsNormalise(&r, &w, &h), MS_SWAPPED_X | MS_SWAPPED_Y);
  EXPECT_EQ(MsFixedCornerB(&r, 10, w, h), want);
  EXPECT_LT(r.ya, r.yb);
  EXPECT_LT(r.xa, r.xb);
}

TEST(MapSection, PixelEditClamp) {
  EXPECT_EQ(MsClampPixelEdit(10), 64);
  EXPECT_EQ(MsClampPixelEdit(25000), 20000);
  EXPECT_EQ(MsClampPixelEdit(-5), 64);
  EXPECT_EQ(MsClampPixelEdit(500), 500);
}

TEST(MapSection, PrecacheLevelsWidenAndStayInTheWorld) {
  MsRect r = Rect(8, 47, 0, 0);
  ASSERT_EQ(MsLevelCount(10, 0), 11);
  for (int i = 0; i < 11; i++) {
    MsLevel l = MsLevelArea(r.xa, r.ya, 300, 200, 10, i);
    EXPECT_EQ(l.zoom, 10 - i);
    int s = 22 - l.zoom;
    EXPECT_EQ(l.x & ((1u << s) - 1), 0u);
    EXPECT_EQ(l.y & ((1u << s) - 1), 0u);
    EXPECT_LE((int64_t)l.y + ((int64_t)l.height << s), (int64_t)1 << 30);
    if (i == 0) {
      EXPECT_EQ(l.width, 300);
      EXPECT_EQ(l.height, 200);
    } else if (l.zoom >= 3) {
      EXPECT_EQ(l.width, 2048);
      EXPECT_EQ(l.height, 2048);
    } else {
      EXPECT_EQ(l.width, std::max(1, 300 >> i));
      EXPECT_EQ(l.height, std::max(1, 200 >> i));
    }
  }
  // zoom 3 is the whole world: every tile once
  MsLevel w = MsLevelArea(r.xa, r.ya, 300, 200, 10, 7);
  EXPECT_EQ(w.y, 0u);
  EXPECT_EQ(MsLevelTiles(w), 64);
  // near the north edge the widened origin is clamped, not wrapped south
  MsRect n = Rect(8, 85.04, 0, 0);
  MsLevel l = MsLevelArea(n.xa, n.ya, 300, 200, 14, 1);
  EXPECT_EQ(l.y, 0u);
}

TEST(MapSection, ProgressInDoubleForManyLevels) {
  EXPECT_EQ(MsProgressPos(0, 1, 5041, 5041, 8192), 8192);  // one level, all tiles
  EXPECT_EQ(MsProgressPos(0, 1, 0, 5041, 8192), 0);
  EXPECT_EQ(MsProgressPos(0, 15, 100, 100, 8192), 4096);
  int last = -1;
  for (int L = 0; L < 23; L++) {  // zoom 22 down to 0 without a negative shift
    int a = MsProgressPos(L, 23, 0, 10, 8192), b = MsProgressPos(L, 23, 10, 10, 8192);
    EXPECT_GE(a, last);
    EXPECT_GE(b, a);
    last = b;
  }
  EXPECT_EQ(last, 8192);
}

TEST(MapSection, GeoRefFromThePixelAlignedPoint) {
  uint32_t x = MapLonToWorldX(8.123456), y = MapLatToWorldY(47.654321);
  char text[128];
  ASSERT_GT(MsGeoRefText(text, sizeof text, x, y, 12), 0);
  GeoRef ref;
  ASSERT_TRUE(GeoRefParse(text, &ref));
  uint32_t ax = (x >> 10) << 10, ay = (y >> 10) << 10;
  char want[128];
  GeoRefFormatForZoom(want, sizeof want, MapWorldXToLon(ax), MapWorldYToLat(ay), 12);
  EXPECT_STREQ(text, want);
  double px, py;
  GeoRefGeoToPixel(MapWorldXToLon(ax), MapWorldYToLat(ay), &px, &py, &ref);
  EXPECT_NEAR(px, 0, 1e-5);
  EXPECT_NEAR(py, 0, 1e-5);
}

TEST(MapSection, KmTextMeasuresTheTrueWidthAndHeight) {
  // 8°E 47°N to 9°E 46°N; Vincenty's values from tests/map/geo_reference.py
  char text[128];
  ASSERT_GT(MsKmText(text, sizeof text, 8, 47, 9, 46), 0);
  double w = 0, h = 0;
  ASSERT_EQ(2, sscanf(text, "Breite = %lf km   Länge = %lf km", &w, &h)) << text;
  EXPECT_NEAR(76.055, w, 76.055 * 5e-4) << text;
  EXPECT_NEAR(111.161, h, 111.161 * 5e-4) << text;
}

TEST(ServerCsv, SeparatorByExtension) {
  EXPECT_EQ(CsvSeparatorFor("C:\\a\\list.txt"), '\t');
  EXPECT_EQ(CsvSeparatorFor("list.TXT"), '\t');
  EXPECT_EQ(CsvSeparatorFor("list.csv"), ';');
  EXPECT_EQ(CsvSeparatorFor("C:\\my.txt\\list"), ';');
  EXPECT_EQ(CsvSeparatorFor("list.txt2"), ';');
}

TEST(ServerCsv, LayerCutAtLastColumnAndEmptyLinesAreRows) {
  CsvImport imp;
  CsvImportText("*L;a;b;c;d;e;f;g;h;i\n\nB\n", ';', 100, 100, &imp);
  ASSERT_EQ(imp.layers.size(), 1u);
  EXPECT_EQ(imp.layers[0].cells[7], "g");
  EXPECT_EQ(imp.layers[0].cells[8], "");
  ASSERT_EQ(imp.base.size(), 2u);
  EXPECT_EQ(imp.base[1].cells[0], "B");
  CsvImportText("a;b\n", ';', 0, 100, &imp);
  EXPECT_EQ(imp.refused, 1);
}
