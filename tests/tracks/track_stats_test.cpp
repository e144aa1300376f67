// Statistics and resampling: the rules' edge cases, and smoothing against
// a brute-force version.
#include <math.h>

#include <random>

#include "map/geo.h"
#include "tests/tracks/tracktest.h"

namespace {

// A point `metres` east of (11.5, 48.1) on the parallel, found by bisection
// over the library's own distance.
double LonAt(double metres) {
  double lo = 11.5, hi = 12.5;
  for (int i = 0; i < 100; ++i) {
    double mid = (lo + hi) / 2;
    double d = GeoDistance(11.5 * GEO_DEG2RAD, 48.1 * GEO_DEG2RAD, mid * GEO_DEG2RAD, 48.1 * GEO_DEG2RAD);
    (d < metres ? lo : hi) = mid;
  }
  return lo;
}

std::vector<TrackPoint> TwoPoints(double metres, double seconds) {
  std::vector<TrackPoint> p = tracktest::Line(2);
  p[1].lon = LonAt(metres);
  p[1].time = p[0].time + seconds / TRACK_SECONDS_PER_DAY;
  return p;
}

TEST(TrackStats, HundredMetresInTenSeconds) {
  std::vector<TrackPoint> p = TwoPoints(100, 10);
  EXPECT_NEAR(100.0, TrackComputeStats(p.data(), 2, 0), 1e-6);
  EXPECT_NEAR(10.0, p[1].speed, 1e-6);
  EXPECT_NEAR(100.0, p[1].dist, 1e-6);
  EXPECT_NEAR(10.0, p[1].elapsed, 1e-6);
  EXPECT_EQ(0.0, p[1].paused);
  EXPECT_EQ(0.0, p[0].dist);
}

TEST(TrackStats, StepLimits) {
  struct {
    double seconds;
    bool speed;
  } cases[] = {{0.01, false}, {0.011, true}, {120, true}, {121, false}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    std::vector<TrackPoint> p = TwoPoints(100, c.seconds);
    TrackComputeStats(p.data(), 2, 0);
    EXPECT_EQ(c.speed, p[1].speed > 0);
    EXPECT_NEAR(c.speed ? 0.0 : c.seconds, p[1].paused, 1e-6);
  }
}

TEST(TrackStats, MissingTimes) {
  std::vector<TrackPoint> p = TwoPoints(100, 10);
  p[0].time = p[1].time = 0;
  EXPECT_NEAR(100.0, TrackComputeStats(p.data(), 2, 0), 1e-6);
  EXPECT_EQ(0.0, p[1].speed);
  EXPECT_EQ(0.0, p[1].elapsed);
  TrackPoint* out = nullptr;
  EXPECT_EQ(-3, TrackResample(p.data(), 2, &out, 10, 1));
  // one timed and one untimed point: no step of 3.8e9 s
  p = TwoPoints(100, 10);
  p[0].time = 0;
  TrackComputeStats(p.data(), 2, 0);
  EXPECT_EQ(0.0, p[1].elapsed);
}

TEST(TrackStats, StartCorrection) {
  std::vector<TrackPoint> p = tracktest::Line(20);
  p[0].lon = LonAt(300);
  std::vector<TrackPoint> q = p;
  TrackComputeStats(p.data(), 20, TRACK_STATS_START);
  EXPECT_EQ(p[1].lon, p[0].lon);
  EXPECT_NEAR(p[1].time - 0.0001 / TRACK_SECONDS_PER_DAY, p[0].time, 1e-12);
  // not without times, not with a slow start, not below 16 points
  for (auto& x : q) x.time = 0;
  std::vector<TrackPoint> r = q;
  TrackComputeStats(q.data(), 20, TRACK_STATS_START);
  EXPECT_EQ(r[0].lon, q[0].lon);
  std::vector<TrackPoint> slow = tracktest::Line(20);
  slow[0].lon = LonAt(300);
  slow[5].time += 10 / TRACK_SECONDS_PER_DAY;
  for (int i = 6; i < 20; ++i) slow[i].time += 10 / TRACK_SECONDS_PER_DAY;
  double before = slow[0].lon;
  TrackComputeStats(slow.data(), 20, TRACK_STATS_START);
  EXPECT_EQ(before, slow[0].lon);
  std::vector<TrackPoint> few = tracktest::Line(15);
  few[0].lon = LonAt(300);
  before = few[0].lon;
  TrackComputeStats(few.data(), 15, TRACK_STATS_START);
  EXPECT_EQ(before, few[0].lon);
}

TEST(TrackStats, ClusterStepBounds) {
  // all points in one cluster: points 1 .. count-30 take their predecessor's
  // position, the rest keeps its own
  for (int n : {30, 31, 45}) {
    SCOPED_TRACE(n);
    std::vector<TrackPoint> p = tracktest::Line(n, 0.000001);
    std::vector<TrackPoint> q = p;
    TrackComputeStats(p.data(), n, TRACK_STATS_CLUSTER);
    for (int i = 0; i < n; ++i) {
      bool moved = n > 30 && i >= 1 && i <= n - 30;
      EXPECT_EQ(moved ? q[0].lon : q[i].lon, p[i].lon) << i;
    }
  }
}

TEST(TrackStats, AscentAndDescent) {
  std::vector<TrackPoint> p = tracktest::Line(5);
  double ele[] = {100, 110, 105, 105, 120};
  for (int i = 0; i < 5; ++i) p[i].ele = ele[i];
  TrackComputeStats(p.data(), 5, TRACK_STATS_ASCENT);
  EXPECT_EQ(25.0, p[4].ascent);
  EXPECT_EQ(-5.0, p[4].descent);
  EXPECT_EQ(10.0, p[1].ascent);
  std::vector<TrackPoint> q = tracktest::Line(5);
  TrackComputeStats(q.data(), 5, 0);
  EXPECT_EQ(0.0, q[4].ascent);
}

// The smoothed speed as the rule reads, searched from every point.
void BruteSmooth(std::vector<TrackPoint>& p) {
  int n = (int)p.size();
  std::vector<double> speed(n);
  for (int i = 0; i < n; ++i) {
    int j = 0, k = n - 1;
    for (int m = i; m >= 0; --m)
      if (p[m].elapsed <= p[i].elapsed - 2.5) {
        j = m;
        break;
      }
    for (int m = i; m < n; ++m)
      if (p[m].elapsed >= p[i].elapsed + 2.5) {
        k = m;
        break;
      }
    double t1 = p[i].elapsed - p[j].elapsed, d1 = p[i].dist - p[j].dist;
    if (t1 > 2.5) d1 = d1 * 2.5 / t1, t1 = 2.5;
    double t2 = p[k].elapsed - p[i].elapsed, d2 = p[k].dist - p[i].dist;
    if (t2 > 2.5) d2 = d2 * 2.5 / t2, t2 = 2.5;
    speed[i] = t1 + t2 > 0 ? (d1 + d2) / (t1 + t2) : p[i].speed;
  }
  for (int i = 0; i < n; ++i) p[i].speed = speed[i];
}

TEST(TrackStats, SmoothingEqualsBruteForce) {
  std::mt19937 rnd(99);
  for (int round = 0; round < 50; ++round) {
    int n = 2 + (int)(rnd() % 400);
    std::vector<TrackPoint> p = tracktest::Line(n);
    double t = p[0].time;
    for (int i = 0; i < n; ++i) {
      p[i].lon = 11.5 + (rnd() % 1000) * 1e-5;
      p[i].lat = 48.1 + (rnd() % 1000) * 1e-5;
      p[i].time = t;
      // pauses: runs of points where time stands still
      static const double steps[] = {0, 0, 0.3, 1, 1, 2, 4, 30};
      t += steps[rnd() % 8] / TRACK_SECONDS_PER_DAY;
    }
    std::vector<TrackPoint> q = p;
    TrackComputeStats(p.data(), n, TRACK_STATS_SMOOTH);
    TrackComputeStats(q.data(), n, 0);
    if (q[n - 1].elapsed > 10) BruteSmooth(q);
    for (int i = 0; i < n; ++i) ASSERT_EQ(q[i].speed, p[i].speed) << round << " " << i;
  }
}

TEST(TrackResampling, StepsAndCodes) {
  std::vector<TrackPoint> p = tracktest::Line(2);
  p[1].lon = LonAt(1000);
  p[1].time = p[0].time + 100 / TRACK_SECONDS_PER_DAY;
  TrackComputeStats(p.data(), 2, 0);
  TrackPoint* out = nullptr;
  ASSERT_EQ(10, TrackResample(p.data(), 2, &out, -10, 0));
  for (int i = 0; i < 10; ++i) {
    EXPECT_NEAR(100.0 * i, out[i].dist, 1e-6);
    EXPECT_NEAR(10.0 * i, out[i].elapsed, 1e-6);
    EXPECT_EQ(0.0, out[i].reserved[0]);
  }
  TrackFreePoints(out);
  ASSERT_EQ(4, TrackResample(p.data(), 2, &out, 25, 1));
  EXPECT_NEAR(75.0, out[3].elapsed, 1e-9);
  TrackFreePoints(out);
  struct {
    double step;
    int key, rc;
  } codes[] = {{0, 0, -4},        {-0.5, 0, -4},      {NAN, 0, -4},     {1e300, 0, -4},
               {1e-300, 0, -4},   {1000.0 / 524289, 0, -4}, {-524289, 0, -4},
               {-524288, 0, 524288}, {10, 2, -1},     {10, -1, -1}};
  for (auto& c : codes) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(c.rc, TrackResample(p.data(), 2, &out, c.step, c.key));
    EXPECT_EQ(c.rc < 0, out == nullptr);
    TrackFreePoints(out);
  }
  EXPECT_EQ(-2, TrackResample(p.data(), 1, &out, 10, 0));
}

TEST(TrackResampling, PausesAndTheLastPoint) {
  // keys that stand still are passed over; targets past the last key stay
  // on the last point
  std::vector<TrackPoint> p = tracktest::Line(6);
  double dist[] = {0, 10, 10, 10, 30, 40};
  for (int i = 0; i < 6; ++i) p[i].dist = dist[i];
  TrackPoint* out = nullptr;
  ASSERT_EQ(8, TrackResample(p.data(), 6, &out, 5, 0));
  double want[] = {0, 5, 10, 15, 20, 25, 30, 35};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(want[i], out[i].dist, 1e-9) << i;
  TrackFreePoints(out);
  ASSERT_EQ(3, TrackResample(p.data(), 6, &out, 13.2, 0));
  EXPECT_NEAR(26.4, out[2].dist, 1e-9);
  TrackFreePoints(out);
}

}  // namespace
