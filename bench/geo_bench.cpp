// Speed of the geodesy and coordinate text against plain references:
// GeoDistance against a haversine loop over the same pairs, the coordinate
// formatter against the C library's snprintf of the same values, the parser
// against strtod/sscanf of the same texts.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "map/geo.h"

namespace {

const int kCount = 1024;  // values cycled through by every loop

struct Pair {
  double lon1, lat1, lon2, lat2;
};

std::vector<Pair> g_pairs;
std::vector<double> g_values;
std::vector<std::string> g_decimal;  // "%.6f" texts of g_values
std::vector<std::string> g_dms;      // mode 6 texts of g_values

double Haversine(const Pair& p) {
  double s1 = std::sin((p.lat2 - p.lat1) / 2), s2 = std::sin((p.lon2 - p.lon1) / 2);
  double h = s1 * s1 + std::cos(p.lat1) * std::cos(p.lat2) * s2 * s2;
  return 2 * 6371000.8 * std::asin(std::sqrt(h));
}

void MakeData() {
  orvbench::Random rnd;
  const double d2r = GEO_DEG2RAD;
  for (int i = 0; i < kCount; i++) {
    Pair p{rnd.Uniform(-180, 180) * d2r, rnd.Uniform(-85, 85) * d2r, 0, 0};
    p.lon2 = p.lon1 + rnd.Uniform(-20, 20) * d2r;
    p.lat2 = std::max(-1.5, std::min(1.5, p.lat1 + rnd.Uniform(-20, 20) * d2r));
    g_pairs.push_back(p);
    double v = rnd.Uniform(-180, 180);
    g_values.push_back(v);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    g_decimal.push_back(buf);
    g_dms.push_back(GeoFormatCoordA(v, 6, buf, sizeof buf, nullptr));
  }
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  MakeData();

  orvbench::Compare(
      "geo.distance", "GeoDistance",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) {
          const Pair& p = g_pairs[i % kCount];
          sum += GeoDistance(p.lon1, p.lat1, p.lon2, p.lat2);
        }
        return sum;
      },
      "haversine",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) sum += Haversine(g_pairs[i % kCount]);
        return sum;
      });

  orvbench::Compare(
      "geo.format.decimal", "GeoFormatCoordA(mode 0)",
      [](long n) {
        double sum = 0;
        char buf[GEO_COORD_TEXT_SIZE];
        for (long i = 0; i < n; i++) {
          int len;
          GeoFormatCoordA(g_values[i % kCount], 0, buf, sizeof buf, &len);
          sum += len + buf[2];
        }
        return sum;
      },
      "snprintf(%.6f)",
      [](long n) {
        double sum = 0;
        char buf[GEO_COORD_TEXT_SIZE];
        for (long i = 0; i < n; i++) {
          int len = std::snprintf(buf, sizeof buf, "%.6f\xB0", g_values[i % kCount]);
          sum += len + buf[2];
        }
        return sum;
      });

  orvbench::Compare(
      "geo.format.dms", "GeoFormatCoordA(mode 6)",
      [](long n) {
        double sum = 0;
        char buf[GEO_COORD_TEXT_SIZE];
        for (long i = 0; i < n; i++) {
          int len;
          GeoFormatCoordA(g_values[i % kCount], 6, buf, sizeof buf, &len);
          sum += len + buf[2];
        }
        return sum;
      },
      "snprintf(%i %02i %05.2f)",
      [](long n) {
        // the reference prints the same three fields, split by plain arithmetic
        double sum = 0;
        char buf[GEO_COORD_TEXT_SIZE];
        for (long i = 0; i < n; i++) {
          double v = g_values[i % kCount], a = std::fabs(v);
          int d = (int)a;
          double m = (a - d) * 60;
          int len = std::snprintf(buf, sizeof buf, "%i\xB0 %02i' %05.2f''", (int)v, (int)m,
                                  (m - (int)m) * 60);
          sum += len + buf[2];
        }
        return sum;
      });

  orvbench::Compare(
      "geo.parse.decimal", "GeoParseCoordA",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) sum += GeoParseCoordA(g_decimal[i % kCount].c_str(), nullptr);
        return sum;
      },
      "strtod",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) sum += std::strtod(g_decimal[i % kCount].c_str(), nullptr);
        return sum;
      });

  orvbench::Compare(
      "geo.parse.dms", "GeoParseCoordA",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) sum += GeoParseCoordA(g_dms[i % kCount].c_str(), nullptr);
        return sum;
      },
      "sscanf(%d %d %lf)",
      [](long n) {
        double sum = 0;
        for (long i = 0; i < n; i++) {
          int d = 0, m = 0;
          double s = 0;
          std::sscanf(g_dms[i % kCount].c_str(), "%d\xB0 %d' %lf", &d, &m, &s);
          sum += d + m / 60.0 + s / 3600;
        }
        return sum;
      });
  return 0;
}
