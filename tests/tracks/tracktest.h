// Helpers shared by the track library's unit tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/testenv.h"
#include "tracks/trackpoint.h"

namespace tracktest {

// Points read by a reader, freed on destruction.
struct Read {
  int count = 0;
  TrackPoint* points = nullptr;
  char name[TRACK_NAME_SIZE] = "unset";
  ~Read() { TrackFreePoints(points); }
};

typedef int (*Core)(char*, int, TrackPoint**, char*);

// Runs a buffer core on a copy of text (with the TRK core's padding).
inline void Parse(Core core, const std::string& text, Read& r) {
  std::vector<char> buf(text.begin(), text.end());
  buf.resize(text.size() + TRACK_TRK_PAD, 0);
  r.count = core(buf.data(), (int)text.size(), &r.points, r.name);
}


inline std::string WriteTemp(const std::string& dir, const std::string& name,
                             const std::string& bytes) {
  std::string path = orvtest::JoinPath(dir, name);
  orvtest::WriteFile(path, bytes.data(), bytes.size());
  return path;
}

inline bool Exists(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f) fclose(f);
  return f != nullptr;
}

inline std::string Slurp(const std::string& path) {
  std::vector<unsigned char> b;
  orvtest::ReadFile(path, b);
  return std::string(b.begin(), b.end());
}

// A track along a parallel with one point per second from 2024-03-07 12:00.
inline std::vector<TrackPoint> Line(int n, double stepDegrees = 0.0001) {
  std::vector<TrackPoint> pts(n);
  for (int i = 0; i < n; ++i) {
    pts[i].lon = 11.5 + i * stepDegrees;
    pts[i].lat = 48.1;
    pts[i].time = TrackTimeFromSeconds(1709812800 + i);
  }
  return pts;
}

}  // namespace tracktest
