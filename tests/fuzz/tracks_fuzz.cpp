// The track readers' buffer cores on arbitrary bytes (one program per core,
// chosen by TRACK_FUZZ_CORE): they must stay inside the text, hand out an
// array exactly when the count is not negative, and keep names bounded.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tracks/trackpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  TrackPoint* points = nullptr;
  char name[TRACK_NAME_SIZE + 1];
  name[TRACK_NAME_SIZE] = 0x5A;
  int n;
#if TRACK_FUZZ_CORE == 7
  // recognition of the first bytes, with and without a known extension
  char head[256] = {};
  size_t take = size < 254 ? size : 254;
  memcpy(head, data, take);
  static const char* const kNames[] = {"a.gpx", "b.txt", "c", "d.CSV", "e.tk"};
  for (const char* file : kNames) {
    int f = TrackRecognize(head, (int)take, file);
    if (f < TRACK_FMT_TRK || f > TRACK_FMT_GUESS) abort();
  }
  return 0;
#elif TRACK_FUZZ_CORE == 3
  n = TrackParseKmz(data, (int)size, &points, name);
#else
  // exactly the text, then the padding the readers are given
  std::vector<char> text(data, data + size);
  text.resize(size + TRACK_TRK_PAD, 0);
#if TRACK_FUZZ_CORE == 1
  n = TrackParseGpx(text.data(), (int)size, &points, name);
#elif TRACK_FUZZ_CORE == 2
  n = TrackParseKml(text.data(), (int)size, &points, name);
#elif TRACK_FUZZ_CORE == 4
  n = TrackParseTrk(text.data(), (int)size, &points, name);
#elif TRACK_FUZZ_CORE == 5
  n = TrackParseTk(text.data(), (int)size, &points, name);
#else
  n = TrackParseCsv(text.data(), (int)size, &points, name);
#endif
#endif
  if ((n < 0) != (points == nullptr) || n < -4) abort();
  if (strlen(name) > TRACK_NAME_SIZE - 1 || name[TRACK_NAME_SIZE] != 0x5A) abort();
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += points[i].lon + points[i].lat + points[i].time;
  if (n > 1) {
    // statistics and resampling on whatever was read
    TrackComputeStats(points, n, 15);
    TrackPoint* out = nullptr;
    int r = TrackResample(points, n, &out, -(double)(n % 50 + 1), n & 1);
    if ((r < 0) != (out == nullptr)) abort();
    TrackFreePoints(out);
  }
  TrackFreePoints(points);
  return sum == 12345.678 ? 1 : 0;
}
