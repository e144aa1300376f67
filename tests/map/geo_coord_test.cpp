// Coordinate text: parsing and formatting in every mode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "map/geo.h"

namespace {

std::string Fmt(double v, int mode) {
  char buf[GEO_COORD_TEXT_SIZE];
  int len = -1;
  const char* p = GeoFormatCoordA(v, mode, buf, sizeof buf, &len);
  EXPECT_EQ(p, buf);
  EXPECT_EQ(len, (int)std::strlen(buf));
  return buf;
}

double Parse(const std::string& text, int* consumed = nullptr) {
  int n = -1;
  double v = GeoParseCoordA(text.c_str(), &n);
  if (consumed) *consumed = n;
  return v;
}

// Minutes and seconds fields of a DMS text, as a person reads them.
void Fields(const std::string& t, int* deg, int* min, double* sec) {
  ASSERT_EQ(std::sscanf(t.c_str(), "%d\xB0 %d' %lf''", deg, min, sec), 3) << t;
}

// ------------------------------------------------------------------ parse

TEST(GeoParseCoord, DegreesMinutesSeconds) {
  int n;
  EXPECT_NEAR(Parse("47\xB0 30' 36'' S", &n), -47.51, 1e-12);
  EXPECT_EQ(n, 14);
  EXPECT_NEAR(Parse("-12\xB0 30'", &n), -12.5, 1e-12);
  EXPECT_EQ(n, 8);
  EXPECT_NEAR(Parse("16\xB0 30' 00'' W", &n), -16.5, 1e-12);
  EXPECT_EQ(n, 14);
  EXPECT_NEAR(Parse("8\xB0 15' 30,5'' e  ", &n), 8 + 15 / 60.0 + 30.5 / 3600, 1e-12);
  EXPECT_EQ(n, 17);
  // seconds without minutes
  EXPECT_NEAR(Parse("47\xB0 36'' N", &n), 47.01, 1e-12);
  EXPECT_EQ(n, 10);
  // decimal minutes, no blanks, degrees alone
  EXPECT_NEAR(Parse("47\xB0 30.5'", &n), 47 + 30.5 / 60, 1e-12);
  EXPECT_EQ(n, 9);
  EXPECT_NEAR(Parse("47\xB0" "30'36''S", &n), -47.51, 1e-12);
  EXPECT_EQ(n, 11);
  EXPECT_EQ(Parse("47\xB0", &n), 47);
  EXPECT_EQ(n, 3);
  // a southern text with a sign stays southern
  EXPECT_NEAR(Parse("-47\xB0 30' S", &n), -47.5, 1e-12);
}

TEST(GeoParseCoord, DecimalDegrees) {
  int n;
  EXPECT_EQ(Parse("8,25", &n), 8.25);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(Parse("  -33.875 \t", &n), -33.875);
  EXPECT_EQ(n, 11);
  // a decimal degree value takes no minutes
  EXPECT_EQ(Parse("12.5\xB0 30'", &n), 12.5);
  EXPECT_EQ(n, 4);
}

TEST(GeoParseCoord, SignBelowOneDegree) {
  int n;
  EXPECT_NEAR(Parse("-0\xB0 30'", &n), -0.5, 1e-15);
  EXPECT_EQ(n, 7);
  EXPECT_NEAR(Parse("-0\xB0 00' 36''"), -0.01, 1e-15);
  EXPECT_NEAR(Parse("0\xB0 30' S"), -0.5, 1e-15);
}

TEST(GeoParseCoord, NoNumberConsumesNothing) {
  const char* bad[] = {"", "   ", "abc", "\xB0 30'", "N"};
  for (const char* t : bad) {
    int n = -1;
    EXPECT_EQ(GeoParseCoordA(t, &n), 0) << t;
    EXPECT_EQ(n, 0) << t;
  }
  int n = -1;
  EXPECT_EQ(GeoParseCoordA(nullptr, &n), 0);
  EXPECT_EQ(n, 0);
  // the count is optional
  EXPECT_EQ(GeoParseCoordA("5", nullptr), 5);
}

TEST(GeoParseCoord, OddMinutesAreLeftUnread) {
  int n;
  // a minute mark doubled is a seconds mark; an endless value is no minute
  EXPECT_EQ(Parse("10\xB0 1.#INF'", &n), 10);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(Parse("10\xB0 -30'", &n), 10);
  EXPECT_EQ(n, 4);
}

TEST(GeoParseCoord, DecimalsMatchTheCLibrary) {
  std::mt19937 rnd(7);
  std::uniform_real_distribution<double> u(-999, 999);
  for (int i = 0; i < 2000; i++) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", (int)(rnd() % 10), u(rnd));
    int n;
    EXPECT_EQ(GeoParseCoordA(text, &n), std::strtod(text, nullptr)) << text;
    EXPECT_EQ(n, (int)std::strlen(text));
  }
}

TEST(GeoParseCoord, WideTextIsDecimalOnly) {
  const WideChar text[] = {'8', ',', '2', '5', ' ', ' ', 0};
  int n;
  EXPECT_EQ(GeoParseCoordW(text, &n), 8.25);
  EXPECT_EQ(n, 6);
  const WideChar dms[] = {'4', '7', 0xB0, ' ', '3', '0', '\'', 0};
  EXPECT_EQ(GeoParseCoordW(dms, &n), 47);
  EXPECT_EQ(n, 2);
  const WideChar none[] = {'x', 0};
  EXPECT_EQ(GeoParseCoordW(none, &n), 0);
  EXPECT_EQ(n, 0);
}

// ----------------------------------------------------------------- format

TEST(GeoFormatCoord, EveryMode) {
  EXPECT_EQ(Fmt(48.123456, 0), "48.123456\xB0");
  EXPECT_EQ(Fmt(-48.123456, 1), "-48.123456\xB0");
  EXPECT_EQ(Fmt(48.123456, 3), "48,123456\xB0");
  EXPECT_EQ(Fmt(16.5, 4), "16\xB0 30' 00''");
  EXPECT_EQ(Fmt(-16.5, 5), "-16\xB0 30' 00''");
  EXPECT_EQ(Fmt(47.51, 6), "47\xB0 30' 36.00''");
  EXPECT_EQ(Fmt(-16.5, 8), "16\xB0 30' 00'' W");
  EXPECT_EQ(Fmt(16.5, 8), "16\xB0 30' 00'' E");
  EXPECT_EQ(Fmt(-47.51, 9), "47\xB0 30' 36'' S");
  EXPECT_EQ(Fmt(47.51, 9), "47\xB0 30' 36'' N");
  EXPECT_EQ(Fmt(-8.2575, 10), "8\xB0 15' 27.00'' W");
  EXPECT_EQ(Fmt(8.25757, 11), "8\xB0 15' 27.25'' N");
  EXPECT_EQ(Fmt(12.25, 12), "12.250000\xB0");
  EXPECT_EQ(Fmt(12.25, -1), "12.250000\xB0");
}

TEST(GeoFormatCoord, OutOfRangeAndNotANumber) {
  const double bad[] = {1000, -1000, 999.0000001, std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), std::nan("")};
  for (double v : bad)
    for (int mode = 0; mode <= 12; mode++) {
      int len = -1;
      char buf[GEO_COORD_TEXT_SIZE];
      EXPECT_STREQ(GeoFormatCoordA(v, mode, buf, sizeof buf, &len), "???") << v << " " << mode;
      EXPECT_EQ(len, 3);
    }
  EXPECT_EQ(Fmt(999, 10), "999\xB0 00' 00.00'' E");
  EXPECT_EQ(Fmt(-999, 0), "-999.000000\xB0");
}

TEST(GeoFormatCoord, RoundingCarriesIntoTheNextUnit) {
  EXPECT_EQ(Fmt(16.99999999, 4), "17\xB0 00' 00''");
  EXPECT_EQ(Fmt(16.99999999, 6), "17\xB0 00' 00.00''");
  EXPECT_EQ(Fmt(-16.99999999, 8), "17\xB0 00' 00'' W");
  EXPECT_EQ(Fmt(0.9999999, 9), "1\xB0 00' 00'' N");
  EXPECT_EQ(Fmt(16 + 59.9999 / 3600, 4), "16\xB0 01' 00''");
  EXPECT_EQ(Fmt(16 + 59.9999 / 3600, 6), "16\xB0 01' 00.00''");
  EXPECT_EQ(Fmt(16 + 59 / 60.0 + 59.9999 / 3600, 5), "17\xB0 00' 00''");
}

TEST(GeoFormatCoord, FieldsStayBelowSixtyAndReadBack) {
  std::mt19937 rnd(11);
  std::uniform_real_distribution<double> u(-200, 200);
  const int modes[] = {4, 5, 6, 7, 8, 9, 10, 11};
  for (int i = 0; i < 4000; i++) {
    double v = u(rnd);
    if (i % 4 == 0) v = std::round(v * 60) / 60 - 1e-9;  // just below a whole minute
    if (i % 4 == 1) v = (v - std::trunc(v)) / 200;        // within a degree of 0
    for (int mode : modes) {
      std::string t = Fmt(v, mode);
      int d, m;
      double s;
      Fields(t, &d, &m, &s);
      ASSERT_GE(m, 0) << t;
      ASSERT_LT(m, 60) << t;
      ASSERT_GE(s, 0) << t;
      ASSERT_LT(s, 60) << t;
      int n;
      double back = Parse(t, &n);
      EXPECT_EQ(n, (int)t.size()) << t;
      // truncation after adding 0.4999 s (0.004999 s)
      double tol = (mode == 6 || mode == 7 || mode >= 10) ? 0.00501 / 3600 : 0.501 / 3600;
      ASSERT_NEAR(back, v, tol) << t << " from " << v;
    }
  }
}

TEST(GeoFormatCoord, SignBelowOneDegreeIsKept) {
  EXPECT_EQ(Fmt(-0.5, 4), "-0\xB0 30' 00''");
  EXPECT_EQ(Fmt(-0.51, 7), "-0\xB0 30' 36.00''");
  EXPECT_EQ(Fmt(-0.5, 9), "0\xB0 30' 00'' S");
  EXPECT_NEAR(Parse(Fmt(-0.5, 4)), -0.5, 1e-15);
  EXPECT_NEAR(Parse(Fmt(-0.51, 7)), -0.51, 1e-12);
  EXPECT_EQ(Fmt(0.5, 4), "0\xB0 30' 00''");
}

TEST(GeoFormatCoord, DecimalModesReadBack) {
  for (double v : {48.123456, -0.000001, 179.999999, -999.0}) {
    for (int mode : {0, 1, 2, 3}) {
      int n;
      EXPECT_EQ(Parse(Fmt(v, mode), &n), v) << mode;
    }
  }
}

TEST(GeoFormatCoord, RingOfEightBuffers) {
  const char* first = GeoFormatCoordA(1, 0, nullptr, 0, nullptr);
  std::string text = first;
  EXPECT_EQ(text, "1.000000\xB0");
  const char* seen[8] = {first};
  for (int i = 1; i < 8; i++) {
    seen[i] = GeoFormatCoordA(i + 1, 0, nullptr, 0, nullptr);
    for (int j = 0; j < i; j++) EXPECT_NE(seen[i], seen[j]);
  }
  EXPECT_STREQ(first, "1.000000\xB0");  // eight calls keep it
  int len;
  const char* ninth = GeoFormatCoordA(9, 0, nullptr, 0, &len);
  EXPECT_EQ(ninth, first);
  EXPECT_STREQ(first, "9.000000\xB0");
  EXPECT_EQ(len, 9);
}

TEST(GeoFormatCoord, NeverWritesPastTheBuffer) {
  std::string full = Fmt(-16.51234, 10);
  for (int size = 0; size <= (int)full.size() + 1; size++) {
    char buf[40];
    std::memset(buf, '#', sizeof buf);
    int len = -1;
    GeoFormatCoordA(-16.51234, 10, buf, size, &len);
    int want = size < 1 ? 0 : std::min<int>(size - 1, full.size());
    EXPECT_EQ(len, want);
    if (size >= 1) {
      EXPECT_EQ(std::string(buf), full.substr(0, want));
    }
    for (int i = size; i < (int)sizeof buf; i++) ASSERT_EQ(buf[i], '#') << size;
  }
}

TEST(GeoFormatCoord, WideIsTheNarrowTextWidened) {
  for (int mode = 0; mode <= 11; mode++) {
    std::string a = Fmt(-47.51234, mode);
    WideChar w[GEO_COORD_TEXT_SIZE];
    int len = -1;
    EXPECT_EQ(GeoFormatCoordW(-47.51234, mode, w, GEO_COORD_TEXT_SIZE, &len), w);
    ASSERT_EQ(len, (int)a.size());
    for (int i = 0; i <= len; i++) EXPECT_EQ(w[i], (WideChar)(unsigned char)a[i]) << mode;
  }
  // bounded, and a ring of its own
  WideChar small[6];
  for (auto& c : small) c = '#';
  int len;
  GeoFormatCoordW(16.5, 4, small, 4, &len);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(small[3], 0);
  EXPECT_EQ(small[4], '#');
  const WideChar* first = GeoFormatCoordW(1, 0, nullptr, 0, nullptr);
  for (int i = 0; i < 7; i++) GeoFormatCoordW(2, 0, nullptr, 0, nullptr);
  EXPECT_EQ(first[0], '1');
  EXPECT_EQ(GeoFormatCoordW(3, 0, nullptr, 0, nullptr), first);
  EXPECT_EQ(first[0], '3');
}

}  // namespace
