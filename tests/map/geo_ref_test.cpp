// GeoRef: the "GMREF:" line, pixel transforms, longitude wrapping.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "map/geo.h"

namespace {

const double kD2R = 3.14159265358979323846 / 180;

GeoRef Filled() {
  GeoRef r;
  r.xScale = r.yScale = r.lon = r.lat = r.mercY = 99;
  return r;
}

bool AllZero(const GeoRef& r) {
  return r.xScale == 0 && r.yScale == 0 && r.lon == 0 && r.lat == 0 && r.mercY == 0;
}

std::string Format(double lon, double lat, double xs, double ys) {
  char buf[256];
  int n = GeoRefFormat(buf, sizeof buf, lon, lat, xs, ys);
  EXPECT_EQ(n, (int)std::strlen(buf));
  return buf;
}

// The four numbers of a line as the C library reads them.
void Numbers(const std::string& line, double v[4]) {
  ASSERT_EQ(line.compare(0, 6, "GMREF:"), 0) << line;
  char* p = const_cast<char*>(line.c_str()) + 6;
  for (int i = 0; i < 4; i++) v[i] = std::strtod(p, &p);
}

// ------------------------------------------------------------------ parse

TEST(GeoRefParse, FillsAllFiveFields) {
  GeoRef r = Filled();
  ASSERT_EQ(GeoRefParse("GMREF: 0.000021457672119 0.000000374507904 11.250000000 47.000000000", &r), 1);
  EXPECT_EQ(r.xScale, 0.000021457672119);
  EXPECT_EQ(r.yScale, 0.000000374507904);
  EXPECT_EQ(r.lon, 11.25);
  EXPECT_EQ(r.lat, 47.0);
  EXPECT_NEAR(r.mercY, std::asinh(std::tan(47 * kD2R)), 1e-15);
  // tabs, several blanks, exponents and signs
  ASSERT_EQ(GeoRefParse("GMREF:\t2e-5  -3.5E-7\t -170.5 -33", &r), 1);
  EXPECT_EQ(r.xScale, 2e-5);
  EXPECT_EQ(r.yScale, -3.5e-7);
  EXPECT_EQ(r.lon, -170.5);
  EXPECT_EQ(r.lat, -33);
}

TEST(GeoRefParse, OtherTextIsRefusedAndZeroed) {
  const char* bad[] = {"GMREF", "", "gmref: 1 1 1 1", " GMREF: 1 1 1 1", "GMREX: 1 1 1 1"};
  for (const char* t : bad) {
    GeoRef r = Filled();
    EXPECT_EQ(GeoRefParse(t, &r), 0) << t;
    EXPECT_TRUE(AllZero(r)) << t;
  }
  GeoRef r = Filled();
  EXPECT_EQ(GeoRefParse(nullptr, &r), 0);
  EXPECT_TRUE(AllZero(r));
}

TEST(GeoRefParse, UnusableRecordsAreRefused) {
  // each of these would divide by zero or carry a non-number into the maps
  const char* bad[] = {"GMREF:",
                       "GMREF: 0.1 0.2 10",
                       "GMREF: 0.1 0.2 x 47",
                       "GMREF: 0 0.2 10 47",
                       "GMREF: 0.1 0.000 10 47",
                       "GMREF: 0.1 -0 10 47",
                       "GMREF: 1e999 0.2 10 47",
                       "GMREF: 0.1 0.2 10 1.#INF",
                       "GMREF: 0.1 0.2 nan 47"};
  for (const char* t : bad) {
    GeoRef r = Filled();
    EXPECT_EQ(GeoRefParse(t, &r), 0) << t;
    EXPECT_TRUE(AllZero(r)) << t;
  }
}

TEST(GeoRefParse, FieldsAreNotReadAsDigitGroups) {
  GeoRef r;
  ASSERT_EQ(GeoRefParse("GMREF: 1 2 12 47", &r), 1);
  EXPECT_EQ(r.xScale, 1);
  EXPECT_EQ(r.yScale, 2);
  EXPECT_EQ(r.lon, 12);
  EXPECT_EQ(r.lat, 47);
}

// ----------------------------------------------------------------- format

TEST(GeoRefFormat, WrapsTheLongitude) {
  double v[4];
  Numbers(Format(190, 10, 0.5, 0.25), v);
  EXPECT_EQ(v[2], -170);
  Numbers(Format(-180, 10, 0.5, 0.25), v);
  EXPECT_EQ(v[2], -180);
  Numbers(Format(180, 10, 0.5, 0.25), v);
  EXPECT_EQ(v[2], 180);
  Numbers(Format(-190, 10, 0.5, 0.25), v);
  EXPECT_EQ(v[2], 170);
  Numbers(Format(3 * 360 + 10, 10, 0.5, 0.25), v);
  EXPECT_EQ(v[2], 10);
}

TEST(GeoRefFormat, WrappingEndsForAnyValue) {
  EXPECT_GE(GeoWrapLongitude(1e300), -180);
  EXPECT_LE(GeoWrapLongitude(1e300), 180);
  EXPECT_GE(GeoWrapLongitude(-1e300), -180);
  EXPECT_LE(GeoWrapLongitude(-1e300), 180);
  EXPECT_EQ(GeoWrapLongitude(540), 180);
  EXPECT_EQ(GeoWrapLongitude(-540), -180);
  double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(GeoWrapLongitude(inf), inf);
  EXPECT_TRUE(std::isnan(GeoWrapLongitude(std::nan(""))));
  char buf[512];
  EXPECT_GT(GeoRefFormat(buf, sizeof buf, inf, 0, 1, 1), 0);
}

TEST(GeoRefFormat, LayoutAsTheRuntimeWritesIt) {
  char expect[256];
  std::snprintf(expect, sizeof expect, "GMREF: %2.15f %2.15f %4.9f %3.9f", 1.40625 / 8,
                0.02454369260617026 / 8, -12.345678901, 47.123456789);
  EXPECT_EQ(Format(-12.345678901, 47.123456789, 1.40625 / 8, 0.02454369260617026 / 8), expect);
}

TEST(GeoRefFormat, NeverWritesPastTheBuffer) {
  std::string full = Format(-12.5, 47.25, 0.001, 0.002);
  for (int size = 0; size <= (int)full.size() + 2; size++) {
    char buf[300];
    std::memset(buf, '#', sizeof buf);
    int n = GeoRefFormat(buf, size, -12.5, 47.25, 0.001, 0.002);
    int want = size < 1 ? 0 : std::min<int>(size - 1, full.size());
    EXPECT_EQ(n, want) << size;
    if (size >= 1) {
      EXPECT_EQ(std::string(buf), full.substr(0, want)) << size;
    }
    for (int i = size; i < (int)sizeof buf; i++) ASSERT_EQ(buf[i], '#') << size << " " << i;
  }
  char small[8];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(GeoRefFormatForZoom(small, 7, 10, 50, 12), 6);
  EXPECT_EQ(small[7], '#');
  EXPECT_EQ(GeoRefForZoom(small, 7, 10, 50, 12, 5, 5), 6);
  EXPECT_EQ(GeoRefBuild(small, 7, 10, 50, 1, 1, 5, 5), 6);
  GeoRef r{1, 1, 0, 0, 0};
  EXPECT_EQ(GeoRefFormatAtPixel(small, 7, &r, 5, 5), 6);
  EXPECT_EQ(small[7], '#');
  // huge values do not overflow a bounded buffer either
  char big[64];
  std::memset(big, '#', sizeof big);
  EXPECT_EQ(GeoRefFormat(big, 40, 0, 1e300, 1e300, 1e300), 39);
  EXPECT_EQ(big[40], '#');
}

TEST(GeoRefFormat, ParseReadsBackWhatFormatWrote) {
  GeoRef r;
  char buf[256];
  GeoRefFormat(buf, sizeof buf, 8.5, -33.75, 0.00034332275390625, 5.992185e-06);
  ASSERT_EQ(GeoRefParse(buf, &r), 1);
  EXPECT_NEAR(r.xScale, 0.00034332275390625, 1e-15);
  EXPECT_NEAR(r.yScale, 5.992185e-06, 1e-15);
  EXPECT_EQ(r.lon, 8.5);
  EXPECT_EQ(r.lat, -33.75);
}

// ------------------------------------------------------- pixel transforms

TEST(GeoRefPixel, ForZoomUsesTheTileScales) {
  char buf[256];
  GeoRef r;
  for (int z = 0; z <= 22; z += 5) {
    GeoRefFormatForZoom(buf, sizeof buf, 10, 50, z);
    ASSERT_EQ(GeoRefParse(buf, &r), 1);
    EXPECT_NEAR(r.xScale, 360.0 / 256 / (1 << z), 1e-15) << z;
    EXPECT_NEAR(r.yScale, 2 * 3.14159265358979323846 / 256 / (1 << z), 1e-15) << z;
  }
}

TEST(GeoRefPixel, BuildPutsThePointAtThePixel) {
  const int cases[][3] = {{0, 0, 5}, {100, 200, 10}, {-50, 3000, 16}, {1234, -77, 3}};
  for (auto& c : cases) {
    char buf[256];
    GeoRefForZoom(buf, sizeof buf, 13.377, 52.516, c[2], c[0], c[1]);
    GeoRef r;
    ASSERT_EQ(GeoRefParse(buf, &r), 1) << buf;
    double x, y;
    ASSERT_EQ(GeoRefGeoToPixel(13.377, 52.516, &x, &y, &r), 1);
    // the text keeps 9 decimals of the origin's degrees
    double tolX = 1e-9 / r.xScale + 1e-9, tolY = 2e-9 * kD2R / r.yScale + 1e-9;
    // the origin's longitude is wrapped: x may be a whole world off
    EXPECT_NEAR(std::remainder(x - c[0], 360 / r.xScale), 0, tolX) << buf;
    EXPECT_NEAR(y, c[1], tolY) << buf;
  }
}

TEST(GeoRefPixel, RoundTripAndWrap) {
  GeoRef r{0.01, 0.0002, 170, 60, GeoMercatorY(60 * kD2R)};
  double lon, lat, x, y;
  GeoRefPixelToGeo(&lon, &lat, 1500, 2500, &r);
  EXPECT_NEAR(lon, 170 + 15 - 360, 1e-9);  // wrapped past the date line
  ASSERT_EQ(GeoRefGeoToPixel(lon + 360, lat, &x, &y, &r), 1);
  EXPECT_NEAR(x, 1500, 1e-6);
  EXPECT_NEAR(y, 2500, 1e-6);
  GeoRefPixelToGeo(&lon, &lat, 0, 0, &r);
  EXPECT_NEAR(lat, 60, 1e-12);
}

TEST(GeoRefPixel, RecordWithoutScaleDoesNotMap) {
  GeoRef r;
  GeoRefParse("", &r);
  double x = 5, y = 5;
  EXPECT_EQ(GeoRefGeoToPixel(10, 10, &x, &y, &r), 0);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(GeoRefPixel, ExtremePixelsAreSafe) {
  GeoRef r{1e-5, 1e-7, 10, 50, GeoMercatorY(50 * kD2R)};
  char buf[256];
  EXPECT_GT(GeoRefFormatAtPixel(buf, sizeof buf, &r, INT_MIN, INT_MIN), 0);
  EXPECT_GT(GeoRefBuild(buf, sizeof buf, 10, 50, 1e-5, 1e-7, INT_MAX, INT_MIN), 0);
  GeoRef back;
  EXPECT_EQ(GeoRefParse(buf, &back), 1) << buf;
}

}  // namespace
