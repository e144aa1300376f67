// Distances, running and pause times, speeds, ascent and descent of a track,
// and resampling at equal steps of distance or time.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "map/geo.h"
#include "tracks/trackpoint.h"

namespace {

const double kMaxSpeedStep = 120.0;   // seconds; longer steps have no speed
const double kMinSpeedStep = 0.01;    // seconds
const double kPauseSpeed = 0.2;       // metres per second
const double kSmoothHalf = 2.5;       // seconds on each side
const double kStartStep = 5.0;        // seconds between the first fixes
const double kStartJump = 270.0;      // metres
const double kClusterDegrees = 0.0002;
const int kClusterSide = 14;
const double kTenthMillisecond = 1.1574074074074074e-9;  // 0.0001 s in days

// Seconds from a to b; 0 unless both carry a time, and never negative.
double StepSeconds(const TrackPoint& a, const TrackPoint& b) {
  if (!TrackHasTime(a.time) || !TrackHasTime(b.time)) return 0.0;
  double dt = (b.time - a.time) * TRACK_SECONDS_PER_DAY;
  return dt > 0 && isfinite(dt) ? dt : 0.0;
}

double Distance(const TrackPoint& a, const TrackPoint& b) {
  return GeoDistanceDegrees(a.lon, a.lat, b.lon, b.lat);
}

// A first fix far from a steady start moves onto the second point.
void CorrectStart(TrackPoint* p, int count) {
  if (count < 16) return;
  for (int i = 0; i <= 9; ++i)
    if (!TrackHasTime(p[i].time)) return;
  for (int i = 1; i <= 8; ++i)
    if ((p[i + 1].time - p[i].time) * TRACK_SECONDS_PER_DAY > kStartStep) return;
  if (Distance(p[0], p[1]) > kStartJump) {
    p[0].lon = p[1].lon;
    p[0].lat = p[1].lat;
    p[0].time = p[1].time - kTenthMillisecond;
  }
}

void ClusterStep(TrackPoint* p, int count) {
  if (count <= 2 * kClusterSide + 2) return;
  for (int i = kClusterSide + 1; i <= count - kClusterSide - 2; ++i) {
    bool close = true;
    for (int k = i - kClusterSide; k <= i + kClusterSide && close; ++k)
      close = fabs(p[k].lon - p[i].lon) <= kClusterDegrees &&
              fabs(p[k].lat - p[i].lat) <= kClusterDegrees;
    if (close) {
      p[i - kClusterSide].lon = p[i - kClusterSide - 1].lon;
      p[i - kClusterSide].lat = p[i - kClusterSide - 1].lat;
    }
  }
}

// Distance over time in a window of +-2.5 s around each point, clipped to
// the window; elapsed never decreases, so both window ends only move ahead.
void SmoothSpeed(TrackPoint* p, int count) {
  int back = 0, ahead = 0;
  for (int i = 0; i < count; ++i) {
    const double e = p[i].elapsed;
    while (back + 1 <= i && p[back + 1].elapsed <= e - kSmoothHalf) ++back;
    if (ahead < i) ahead = i;
    while (ahead < count - 1 && p[ahead].elapsed < e + kSmoothHalf) ++ahead;
    double dt1 = e - p[back].elapsed, dd1 = p[i].dist - p[back].dist;
    if (dt1 > kSmoothHalf) {
      dd1 = dd1 * kSmoothHalf / dt1;
      dt1 = kSmoothHalf;
    }
    double dt2 = p[ahead].elapsed - e, dd2 = p[ahead].dist - p[i].dist;
    if (dt2 > kSmoothHalf) {
      dd2 = dd2 * kSmoothHalf / dt2;
      dt2 = kSmoothHalf;
    }
    if (dt1 + dt2 > 0) p[i].speed = (dd1 + dd2) / (dt1 + dt2);
  }
}

}  // namespace

double TrackComputeStats(TrackPoint* p, int count, unsigned flags) {
  if (!p || count < 2) return 0.0;
  if (flags & TRACK_STATS_START) CorrectStart(p, count);
  if (flags & TRACK_STATS_CLUSTER) ClusterStep(p, count);
  double elapsed = 0, paused = 0, dist = 0, ascent = 0, descent = 0;
  for (int i = 1; i < count; ++i) {
    double d = Distance(p[i - 1], p[i]);
    double dt = StepSeconds(p[i - 1], p[i]);
    double speed = dt > kMinSpeedStep && dt <= kMaxSpeedStep ? d / dt : 0.0;
    elapsed += dt;
    if (speed < kPauseSpeed) paused += dt;
    dist += d;
    p[i].elapsed = elapsed;
    p[i].paused = paused;
    p[i].speed = speed;
    p[i].dist = dist;
    if (flags & TRACK_STATS_ASCENT) {
      double dz = p[i].ele - p[i - 1].ele;
      if (dz > 0)
        ascent += dz;
      else
        descent += dz;
      p[i].ascent = ascent;
      p[i].descent = descent;
    }
  }
  if ((flags & TRACK_STATS_SMOOTH) && elapsed > 10.0) SmoothSpeed(p, count);
  return dist;
}

int TrackResample(const TrackPoint* p, int count, TrackPoint** out, double step, int key) {
  if (out) *out = nullptr;
  if (key != 0 && key != 1) return -1;
  if (!p || !out || count < 2) return -2;
  auto keyOf = [&](int i) { return key == 0 ? p[i].dist : p[i].elapsed; };
  double first = keyOf(0);
  double span = keyOf(count - 1) - first;
  if (!(span >= 0.0001)) return -3;
  // the count is decided in double: a huge, tiny or NaN step never reaches int
  double n = step >= 0 ? floor(span / step + 0.01) : floor(-step);
  if (!(n >= 1 && n <= TRACK_RESAMPLE_MAX)) return -4;
  int total = (int)n;
  if (step < 0) step = span / total;
  TrackPoint* r = (TrackPoint*)calloc((size_t)total, sizeof(TrackPoint));
  if (!r) return -5;
  r[0] = p[0];
  int lo = 0, up = 1;
  double target = first + step;
  for (int m = 1; m < total; ++m, target += step) {
    while (up < count - 1 && (keyOf(up) <= keyOf(lo) || keyOf(up) < target)) {
      if (keyOf(up) > keyOf(lo)) lo = up;
      ++up;
    }
    double range = keyOf(up) - keyOf(lo);
    double f = range > 0 ? (target - keyOf(lo)) / range : 1.0;
    f = f < 0 ? 0 : f > 1 ? 1 : f;
    const double* a = &p[lo].time;
    const double* b = &p[up].time;
    double* d = &r[m].time;
    for (int k = 0; k < 10; ++k) d[k] = a[k] + (b[k] - a[k]) * f;
  }
  *out = r;
  return total;
}
