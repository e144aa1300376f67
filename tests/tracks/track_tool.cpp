// Command-line access to the track library for the tests driven from Python:
//   track_tool [--locale NAME] read FILE
//   track_tool [--locale NAME] write gpx|kml|csv OUT POINTS [NAMEHEX]
//   track_tool stats POINTS FLAGS
// POINTS: one point a line, "lon lat seconds-since-1970|- ele". Names travel
// as hex so that their 8-bit bytes survive any console.
#include <locale.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "tracks/trackpoint.h"

namespace {

const char* g_locale;  // applied around the library calls only

bool ApplyLocale() {
  if (!g_locale) return true;
  if (!setlocale(LC_ALL, g_locale)) {
    printf("no locale %s\n", g_locale);
    return false;
  }
  // proof that the runtime now writes decimal commas
  char probe[16];
  snprintf(probe, sizeof probe, "%.1f", 1.5);
  printf("locale %s\n", probe);
  return true;
}

std::vector<TrackPoint> ReadPoints(const char* path) {
  std::vector<TrackPoint> pts;
  FILE* f = fopen(path, "r");
  if (!f) return pts;
  char line[512];
  while (fgets(line, sizeof line, f)) {
    TrackPoint p = {};
    char t[64];
    if (sscanf(line, "%lf %lf %63s %lf", &p.lon, &p.lat, t, &p.ele) < 3) continue;
    if (strcmp(t, "-") != 0) p.time = TrackTimeFromSeconds(strtoll(t, nullptr, 10));
    pts.push_back(p);
  }
  fclose(f);
  return pts;
}

std::string Hex(const char* s) {
  std::string out;
  char b[4];
  for (; *s; ++s) {
    snprintf(b, sizeof b, "%02x", (unsigned char)*s);
    out += b;
  }
  return out.empty() ? "-" : out;
}

std::string Unhex(const char* h) {
  std::string out;
  for (; h[0] && h[1]; h += 2) {
    char b[3] = {h[0], h[1], 0};
    out += (char)strtol(b, nullptr, 16);
  }
  return out;
}

int Read(const char* path) {
  TrackPoint* pts;
  char name[TRACK_NAME_SIZE];
  if (!ApplyLocale()) return 2;
  int n = TrackReadFileA(path, &pts, name);
  setlocale(LC_ALL, "C");
  printf("count %d\nname %s\n", n, Hex(name).c_str());
  for (int i = 0; i < n; ++i) {
    if (TrackHasTime(pts[i].time))
      printf("%.9f %.9f %lld\n", pts[i].lon, pts[i].lat,
             (long long)llround((pts[i].time - TRACK_TIME_1970) * TRACK_SECONDS_PER_DAY));
    else
      printf("%.9f %.9f -\n", pts[i].lon, pts[i].lat);
  }
  TrackFreePoints(pts);
  return 0;
}

int Write(const char* kind, const char* out, const char* points, const char* nameHex) {
  std::vector<TrackPoint> pts = ReadPoints(points);
  std::string name = nameHex ? Unhex(nameHex) : "";
  if (!ApplyLocale()) return 2;
  int (*write)(const char*, const TrackPoint*, int, const char*) =
      strcmp(kind, "gpx") == 0 ? TrackWriteGpxA : strcmp(kind, "kml") == 0 ? TrackWriteKmlA : TrackWriteCsvA;
  int rc = write(out, pts.data(), (int)pts.size(), name.c_str());
  setlocale(LC_ALL, "C");
  printf("rc %d\n", rc);
  return 0;
}

int Stats(const char* points, const char* flags) {
  std::vector<TrackPoint> pts = ReadPoints(points);
  double total = TrackComputeStats(pts.data(), (int)pts.size(), (unsigned)atoi(flags));
  printf("total %.17g\n", total);
  for (const TrackPoint& p : pts)
    printf("%.17g %.17g %.17g %.17g\n", p.dist, p.elapsed, p.paused, p.speed);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int a = 1;
  if (a + 1 < argc && strcmp(argv[a], "--locale") == 0) {
    g_locale = argv[a + 1];
    a += 2;
  }
  if (a + 1 < argc && strcmp(argv[a], "read") == 0) return Read(argv[a + 1]);
  if (a + 3 < argc && strcmp(argv[a], "write") == 0)
    return Write(argv[a + 1], argv[a + 2], argv[a + 3], a + 4 < argc ? argv[a + 4] : nullptr);
  if (a + 2 < argc && strcmp(argv[a], "stats") == 0) return Stats(argv[a + 1], argv[a + 2]);
  fprintf(stderr, "usage: track_tool [--locale NAME] read|write|stats ...\n");
  return 2;
}
