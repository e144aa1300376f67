// Distances and destination points against an independent geodesic
// implementation: geo_reference.py writes a table of cases with the values
// it computed (Vincenty on WGS 84, haversine and vector rotation on the
// sphere) and passes its path in ORV_GEO_TABLE.
//
// Rows (degrees and metres):
//   dist       lon1 lat1 lon2 lat2 expected tolerance
//   sphere     lon1 lat1 lon2 lat2 expected tolerance
//   dest       lon0 lat0 east north lon lat tolerance
//   destsphere lon0 lat0 east north lon lat tolerance
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "map/geo.h"

namespace {

const double kD2R = 3.14159265358979323846 / 180;

struct Row {
  std::string kind;
  double v[7];
  int line;
};

std::vector<Row> LoadTable() {
  std::vector<Row> rows;
  const char* path = std::getenv("ORV_GEO_TABLE");
  if (!path) return rows;
  FILE* f = std::fopen(path, "r");
  if (!f) {
    ADD_FAILURE() << "cannot open " << path;
    return rows;
  }
  char line[512];
  int no = 0;
  while (std::fgets(line, sizeof line, f)) {
    no++;
    char kind[16];
    Row r{};
    int n = std::sscanf(line, "%15s %lf %lf %lf %lf %lf %lf %lf", kind, &r.v[0], &r.v[1], &r.v[2],
                        &r.v[3], &r.v[4], &r.v[5], &r.v[6]);
    if (n < 7) {
      ADD_FAILURE() << "bad table line " << no << ": " << line;
      continue;
    }
    r.kind = kind;
    r.line = no;
    rows.push_back(r);
  }
  std::fclose(f);
  return rows;
}

const std::vector<Row>& Table() {
  static std::vector<Row> rows = LoadTable();
  return rows;
}

int Count(const char* kind) {
  int n = 0;
  for (auto& r : Table()) n += r.kind == kind;
  return n;
}

// Metres between two nearby positions (local plane at the expected point).
double Apart(double lon, double lat, double elon, double elat) {
  double dlon = std::remainder(lon - elon, 360.0);
  double dx = dlon * kD2R * 6378137.0 * std::cos(elat * kD2R);
  double dy = (lat - elat) * kD2R * 6367444.5;
  return std::hypot(dx, dy);
}

class GeoReference : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ORV_GEO_TABLE")) GTEST_SKIP() << "run through geo_reference.py";
  }
};

TEST_F(GeoReference, EllipsoidDistance) {
  ASSERT_GT(Count("dist"), 100);
  double worst = 0;
  for (auto& r : Table()) {
    if (r.kind != "dist") continue;
    const double* v = r.v;
    double d = GeoDistanceDegrees(v[0], v[1], v[2], v[3]);
    ASSERT_TRUE(std::isfinite(d)) << "line " << r.line;
    EXPECT_NEAR(d, v[4], v[5]) << "line " << r.line;
    if (v[4] > 0) worst = std::max(worst, std::fabs(d - v[4]) / v[4]);
  }
  std::printf("worst relative error of GeoDistance: %.2e\n", worst);
}

TEST_F(GeoReference, SphereDistance) {
  ASSERT_GT(Count("sphere"), 100);
  for (auto& r : Table()) {
    if (r.kind != "sphere") continue;
    const double* v = r.v;
    double d = GeoDistanceSphere(v[0] * kD2R, v[1] * kD2R, v[2] * kD2R, v[3] * kD2R);
    EXPECT_NEAR(d, v[4], v[5]) << "line " << r.line;
  }
}

TEST_F(GeoReference, Destination) {
  ASSERT_GT(Count("dest"), 100);
  for (auto& r : Table()) {
    if (r.kind != "dest") continue;
    const double* v = r.v;
    double lon, lat;
    GeoDestination(v[0], v[1], v[2], v[3], &lon, &lat);
    EXPECT_LE(Apart(lon, lat, v[4], v[5]), v[6])
        << "line " << r.line << ": " << lon << " " << lat << " expected " << v[4] << " " << v[5];
  }
}

TEST_F(GeoReference, SphereDestination) {
  ASSERT_GT(Count("destsphere"), 100);
  for (auto& r : Table()) {
    if (r.kind != "destsphere") continue;
    const double* v = r.v;
    double lon, lat;
    GeoDestinationSphere(v[0], v[1], v[2], v[3], &lon, &lat);
    EXPECT_LE(Apart(lon, lat, v[4], v[5]), v[6])
        << "line " << r.line << ": " << lon << " " << lat << " expected " << v[4] << " " << v[5];
  }
}

}  // namespace
