// Track files of 1,000,000 points: reading GPX, KML and CSV against reading
// the bytes and converting every number in them with strtod, reading against
// ten reads of a tenth of the file (linear time), writing GPX against
// snprintf and fwrite of the same numbers and times, and the statistics
// against a loop of GeoDistanceDegrees over the same pairs.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "bench/benchwork.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "map/geo.h"
#include "tracks/trackpoint.h"

namespace {

std::string g_work;
std::vector<TrackPoint> g_track;

std::vector<TrackPoint> MakeTrack(int n) {
  std::vector<TrackPoint> pts(n);
  orvbench::Random rnd;
  double lon = 11.5, lat = 48.1, ele = 500;
  for (int i = 0; i < n; ++i) {
    pts[i].lon = lon;
    pts[i].lat = lat;
    pts[i].ele = ele;
    pts[i].time = TrackTimeFromSeconds(1709812800 + i);
    lon += rnd.Uniform(-0.0001, 0.0001);
    lat += rnd.Uniform(-0.0001, 0.0001);
    ele += rnd.Uniform(-1, 1);
  }
  return pts;
}

// Reads the file's bytes and converts every number token with strtod.
double StrtodFile(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return 0;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  char* b = (char*)malloc((size_t)size + 1);
  size_t got = fread(b, 1, (size_t)size, f);
  fclose(f);
  b[got] = 0;
  double sum = 0;
  for (char* p = b; *p;) {
    if ((*p >= '0' && *p <= '9') || ((*p == '-' || *p == '.') && p[1] >= '0' && p[1] <= '9')) {
      char* e;
      sum += strtod(p, &e);
      p = e > p ? e : p + 1;
    } else {
      ++p;
    }
  }
  free(b);
  return sum;
}

double ReadFile(const std::string& path) {
  TrackPoint* pts = nullptr;
  int n = TrackReadFileA(path.c_str(), &pts, nullptr);
  double v = n > 0 ? pts[n - 1].lon + n : n;
  TrackFreePoints(pts);
  return v;
}

// The GPX point lines as plain C code writes them.
double SnprintfGpx(const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  char line[256];
  for (const TrackPoint& p : g_track) {
    time_t t = (time_t)((p.time - TRACK_TIME_1970) * TRACK_SECONDS_PER_DAY + 0.5);
    struct tm tm = *gmtime(&t);
    int n = snprintf(line, sizeof line,
                     "\t<trkpt lat=\"%7.10f\" lon=\"%7.10f\"><ele>%4.2f</ele><time>%04d-%02d-%02dT%02d:%02d:%02dZ</time></trkpt>\n",
                     p.lat, p.lon, p.ele, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                     tm.tm_min, tm.tm_sec);
    fwrite(line, 1, (size_t)n, f);
  }
  fclose(f);
  return (double)g_track.size();
}

double DistanceLoop() {
  double sum = 0;
  for (size_t i = 1; i < g_track.size(); ++i)
    sum += GeoDistanceDegrees(g_track[i - 1].lon, g_track[i - 1].lat, g_track[i].lon, g_track[i].lat);
  return sum;
}

template <class F>
auto Times(F f) {
  return [f](long n) {
    double s = 0;
    for (long i = 0; i < n; ++i) s += f();
    return s;
  };
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  g_work = orvbench::WorkFolder(argv[0], "tracks_bench_work");
  if (g_work.empty()) return 1;
  g_track = MakeTrack(1000000);
  const std::string gpx = g_work + "big.gpx", kml = g_work + "big.kml", csv = g_work + "big.csv";
  const std::string small = g_work + "small.gpx", out = g_work + "out.gpx", ref = g_work + "ref.gpx";
  const int count = (int)g_track.size();
  if (TrackWriteGpxA(gpx.c_str(), g_track.data(), count, "Bench") ||
      TrackWriteKmlA(kml.c_str(), g_track.data(), count, "Bench") ||
      TrackWriteCsvA(csv.c_str(), g_track.data(), count, "Bench") ||
      TrackWriteGpxA(small.c_str(), g_track.data(), count / 10, "Bench")) {
    printf("BENCH tracks: cannot write the files\n");
    return 1;
  }
  orvbench::Compare("tracks.read_gpx", "TrackReadFileA", Times([&] { return ReadFile(gpx); }),
                    "fread+strtod", Times([&] { return StrtodFile(gpx); }));
  orvbench::Compare("tracks.read_kml", "TrackReadFileA", Times([&] { return ReadFile(kml); }),
                    "fread+strtod", Times([&] { return StrtodFile(kml); }));
  orvbench::Compare("tracks.read_csv", "TrackReadFileA", Times([&] { return ReadFile(csv); }),
                    "fread+strtod", Times([&] { return StrtodFile(csv); }));
  orvbench::Compare("tracks.read_linear", "1 x 1,000,000 points", Times([&] { return ReadFile(gpx); }),
                    "10 x 100,000 points", Times([&] {
                      double s = 0;
                      for (int i = 0; i < 10; ++i) s += ReadFile(small);
                      return s;
                    }));
  orvbench::Compare("tracks.write_gpx", "TrackWriteGpxA",
                    Times([&] { return (double)TrackWriteGpxA(out.c_str(), g_track.data(), count, "B"); }),
                    "snprintf+fwrite", Times([&] { return SnprintfGpx(ref); }));
  std::vector<TrackPoint> work = g_track;
  orvbench::Compare("tracks.stats", "TrackComputeStats(1|8)",
                    Times([&] { return TrackComputeStats(work.data(), count, 9); }),
                    "GeoDistanceDegrees loop", Times([&] { return DistanceLoop(); }));
  for (const std::string* p : {&gpx, &kml, &csv, &small, &out, &ref}) FileDeleteA(p->c_str());
  return 0;
}
