// A small timing harness shared by the benchmark programs of both builds.
//
// A benchmark compares a subject with a reference that does comparable work
// on the same data (the C library, a plain loop, memcpy of the same bytes),
// timed in the same run, and prints one line per comparison:
//
//   BENCH <name>: <subject> <n> ops/s, <reference> <n> ops/s, ratio <r>
//
// ratio = subject speed / reference speed (above 1: the subject is faster).
// Absolute speeds differ from machine to machine; the ratio is what to track.
//
// Usage:
//   double Run(long n) { double sum = 0; for (...) sum += f(...); return sum; }
//   orvbench::Compare("geo.distance", "GeoDistance", RunSubject, "haversine", RunRef);
// Each body performs n operations and returns a value that depends on all of
// them (so the work cannot be optimised away).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvbench {

inline double Seconds() {
  using C = std::chrono::steady_clock;
  return std::chrono::duration<double>(C::now().time_since_epoch()).count();
}

// Where results go so that they are never dead code.
inline volatile double& Sink() {
  static volatile double sink = 0;
  return sink;
}

// Settings from the command line: --quick shortens every measurement (a
// smoke run), --filter=TEXT runs only comparisons whose name contains TEXT.
struct Options {
  double minSeconds = 0.25;  // length of one timed round
  int rounds = 7;            // rounds of each side, interleaved; the best counts
  const char* filter = nullptr;
};

inline Options& Settings() {
  static Options o;
  return o;
}

inline void Init(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      Settings().minSeconds = 0.02;
      Settings().rounds = 2;
    } else if (std::strncmp(argv[i], "--filter=", 9) == 0) {
      Settings().filter = argv[i] + 9;
    }
  }
}

template <class F>
double TimeOnce(F& body, long n) {
  double t0 = Seconds();
  Sink() = Sink() + body(n);
  return Seconds() - t0;
}

// Operations per round so that one round lasts about minSeconds.
template <class F>
long Calibrate(F& body) {
  long n = 1;
  for (;;) {
    double t = TimeOnce(body, n);
    if (t >= Settings().minSeconds / 8 || n >= (1L << 30)) {
      double per = t > 0 ? t / n : 1e-9;
      long want = (long)(Settings().minSeconds / per);
      return std::max(1L, std::min(want, 1L << 30));
    }
    n *= 2;
  }
}

// Times subject and reference in alternating rounds and prints the line.
// Returns the ratio (0 when skipped by the filter).
template <class S, class R>
double Compare(const char* name, const char* subjectName, S subject, const char* refName,
               R reference) {
  const char* filter = Settings().filter;
  if (filter && !std::strstr(name, filter)) return 0;
  long ns = Calibrate(subject), nr = Calibrate(reference);
  double bestS = 1e300, bestR = 1e300;
  for (int i = 0; i < Settings().rounds; i++) {
    bestS = std::min(bestS, TimeOnce(subject, ns) / ns);
    bestR = std::min(bestR, TimeOnce(reference, nr) / nr);
  }
  double ratio = bestR / bestS;
  std::printf("BENCH %s: %s %.4g ops/s, %s %.4g ops/s, ratio %.3f\n", name, subjectName,
              1 / bestS, refName, 1 / bestR, ratio);
  std::fflush(stdout);
  return ratio;
}

// A fixed pseudo-random sequence (the same in both builds).
struct Random {
  unsigned long long state = 0x9E3779B97F4A7C15ull;
  unsigned long long Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  // uniform in [lo, hi)
  double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() >> 11) * (1.0 / 9007199254740992.0); }
};

}  // namespace orvbench
