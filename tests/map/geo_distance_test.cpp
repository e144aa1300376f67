// Distances, destination points and Mercator: properties and edge cases.
// (The comparison with an independent geodesic implementation is in
// geo_reference_check.cpp.)
#include <gtest/gtest.h>

#include <cmath>

#include "map/geo.h"

namespace {

const double kD2R = 3.14159265358979323846 / 180;
const double kHalfMeridian = 20003931.4586;  // WGS 84, pole to pole

double Dist(double lon1, double lat1, double lon2, double lat2) {
  return GeoDistance(lon1 * kD2R, lat1 * kD2R, lon2 * kD2R, lat2 * kD2R);
}

double DistSphere(double lon1, double lat1, double lon2, double lat2) {
  return GeoDistanceSphere(lon1 * kD2R, lat1 * kD2R, lon2 * kD2R, lat2 * kD2R);
}

// ------------------------------------------------------------- distances

TEST(GeoDistance, PointWithItselfIsExactlyZero) {
  const double pts[][2] = {{0, 0}, {13.4, 52.5}, {-179.99, -89.9}, {180, 90}, {45, -90}, {1e-9, 0}};
  for (auto& p : pts) {
    EXPECT_EQ(Dist(p[0], p[1], p[0], p[1]), 0.0) << p[0] << "," << p[1];
    // the acos form resolves about 2e-8 rad (0.13 m) next to 0
    EXPECT_NEAR(DistSphere(p[0], p[1], p[0], p[1]), 0.0, 0.2) << p[0] << "," << p[1];
  }
}

TEST(GeoDistance, OneDegreeOfTheEquator) {
  EXPECT_NEAR(Dist(0, 0, 1, 0), 111319.49, 0.5);
  EXPECT_NEAR(DistSphere(0, 0, 1, 0), 6371000.8 * kD2R, 1e-6);
}

TEST(GeoDistance, SphereNeverNaNForCoincidingPoints) {
  // cos^2 + sin^2 rounds above 1 for many latitudes: acos must not see it
  for (int i = -9000; i <= 9000; i += 7) {
    double lat = i / 100.0;
    double d = DistSphere(12.3, lat, 12.3, lat);
    ASSERT_FALSE(std::isnan(d)) << lat;
    EXPECT_LE(d, 0.2) << lat;
  }
}

TEST(GeoDistance, AntipodesGiveHalfTheMeridian) {
  const double pairs[][4] = {{0, 0, 180, 0},   {0, 90, 0, -90},      {0, 90, 77, -90},
                             {10, 20, -170, -20}, {-60, 45.5, 120, -45.5}, {33, -1, -147, 1}};
  for (auto& p : pairs) {
    double d = Dist(p[0], p[1], p[2], p[3]);
    ASSERT_TRUE(std::isfinite(d)) << p[0] << " " << p[1] << " " << p[2] << " " << p[3];
    EXPECT_NEAR(d, kHalfMeridian, 0.002 * kHalfMeridian);
  }
  // exact antipodes in radians, as the game computes them from degrees
  EXPECT_TRUE(std::isfinite(GeoDistance(0, 0, 3.14159265358979323846, 0)));
  EXPECT_TRUE(std::isfinite(GeoDistance(-1, 0.5, 3.14159265358979323846 - 1, -0.5)));
}

TEST(GeoDistance, FiniteAndBoundedEverywhere) {
  // a grid over the whole globe against a second point, also near its antipode
  for (int lat1 = -90; lat1 <= 90; lat1 += 15)
    for (int lon2 = -180; lon2 <= 180; lon2 += 10)
      for (int lat2 = -90; lat2 <= 90; lat2 += 10) {
        double d = Dist(0, lat1, lon2, lat2);
        ASSERT_TRUE(std::isfinite(d)) << lat1 << " " << lon2 << " " << lat2;
        ASSERT_GE(d, 0);
        ASSERT_LT(d, 20.05e6);
        double s = DistSphere(0, lat1, lon2, lat2);
        ASSERT_TRUE(std::isfinite(s));
        ASSERT_LE(s, 6371000.8 * 3.1416);
      }
}

TEST(GeoDistance, FiniteNextToTheAntipodes) {
  // K of the formula underflows or vanishes only here
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < 2000; i++) {
    double lat = (i % 181 - 90) * kD2R * 0.999;
    double lon = (i % 37) * 10 * kD2R;
    double eps = std::ldexp(1.0, -(i % 60 + 10)) * ((i & 1) ? 1 : -1);
    double d1 = GeoDistance(lon, lat, lon + pi + eps, -lat);
    double d2 = GeoDistance(lon, lat, lon + pi, -lat + eps);
    ASSERT_TRUE(std::isfinite(d1) && std::isfinite(d2)) << i;
    ASSERT_GT(d1, 19.9e6) << i;
    ASSERT_LT(d1, 20.05e6) << i;
    ASSERT_LT(d2, 20.05e6) << i;
  }
}

// ----------------------------------------------------------- destinations

TEST(GeoDestination, ZeroOffsetIsTheStart) {
  const double pts[][2] = {{0, 0}, {13.4, 52.5}, {-70, -33}, {179.9, 80}, {-120, -89}};
  for (auto& p : pts) {
    double lon, lat;
    GeoDestination(p[0], p[1], 0, 0, &lon, &lat);
    EXPECT_NEAR(lon, p[0], 1e-12);
    EXPECT_NEAR(lat, p[1], 1e-10);
    GeoDestinationSphere(p[0], p[1], 0, 0, &lon, &lat);
    EXPECT_NEAR(lon, p[0], 1e-12);
    EXPECT_NEAR(lat, p[1], 1e-10);
  }
}

TEST(GeoDestination, EastMovesByTheOffset) {
  // along the equator both move 10 km on the equatorial radius
  double lon, lat;
  GeoDestinationSphere(5, 0, 10000, 0, &lon, &lat);
  EXPECT_NEAR(lon, 5 + 10000 / 6378137.0 / kD2R, 1e-9);
  EXPECT_NEAR(lat, 0, 1e-12);
  EXPECT_NEAR(Dist(5, 0, lon, lat), 10000, 0.01);
  GeoDestination(5, 0, 10000, 0, &lon, &lat);
  EXPECT_NEAR(Dist(5, 0, lon, lat), 10000, 0.01);
  // westward the same amount
  GeoDestinationSphere(5, 0, -10000, 0, &lon, &lat);
  EXPECT_NEAR(lon, 5 - 10000 / 6378137.0 / kD2R, 1e-9);
}

TEST(GeoDestination, HemispheresAreMirrorImages) {
  const double cases[][3] = {{30, 2000, 100000}, {10, -5000, 250000}, {60, 300000, -40000},
                             {85, 0, 300000}, {45, 123456, 7890}};
  for (auto& c : cases) {
    double lonN, latN, lonS, latS;
    GeoDestination(7, c[0], c[1], c[2], &lonN, &latN);
    GeoDestination(7, -c[0], c[1], -c[2], &lonS, &latS);
    EXPECT_NEAR(lonN, lonS, 1e-9) << c[0];
    EXPECT_NEAR(latN, -latS, 1e-9) << c[0];
  }
}

TEST(GeoDestination, OverThePoleComesDownTheOtherSide) {
  double lon, lat;
  // 85 N plus 10 degrees of northing on the mean sphere: 85 N on the far side
  GeoDestinationSphere(20, 85, 0, 10 * kD2R * 6367444.5, &lon, &lat);
  EXPECT_NEAR(lat, 85, 1e-9);
  EXPECT_NEAR(std::fmod(lon + 360, 360), 200, 1e-9);
  GeoDestination(20, 85, 0, 1000000, &lon, &lat);
  EXPECT_TRUE(std::isfinite(lon) && std::isfinite(lat));
  EXPECT_NEAR(std::fmod(lon + 360, 360), 200, 1e-9);
}

// --------------------------------------------------------------- Mercator

TEST(GeoMercator, KnownValuesAndInverse) {
  EXPECT_NEAR(GeoMercatorY(45 * kD2R), 0.881373587019543, 1e-15);
  EXPECT_EQ(GeoMercatorY(0), 0.0);
  // the web-Mercator edge: y = pi at 85.0511287798 degrees
  EXPECT_NEAR(GeoMercatorLat(3.14159265358979323846) / kD2R, 85.0511287798066, 1e-9);
  for (int i = -899; i <= 899; i += 13) {
    double phi = i / 10.0 * kD2R;
    EXPECT_NEAR(GeoMercatorLat(GeoMercatorY(phi)), phi, 1e-14) << i;
  }
}

TEST(GeoMercator, SouthIsTheMirrorOfNorth) {
  for (int i = 1; i < 900; i += 3) {
    double phi = i / 10.0 * kD2R;
    EXPECT_EQ(GeoMercatorY(-phi), -GeoMercatorY(phi)) << i;
  }
  EXPECT_TRUE(std::isfinite(GeoMercatorY(-90 * kD2R)));
}

}  // namespace
