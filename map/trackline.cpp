#include "map/trackline.h"

#include <math.h>

#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Pixel centres are sampled a little off the exact grid: a pixel exactly on
// the edge of an even-width pen then falls on one side only, so that a pen
// of width w covers w rows, not w + 1.
const double kBias = 1.0 / 64;

// Pixels x0..x1 of one row; most spans of a track are a few pixels wide,
// so four at a time, the last four overlapping the ones before.
inline void StoreRun(uint32_t* p, int n, uint32_t colour) {
#if defined(__SSE2__)
  if (n >= 4) {
    __m128i c = _mm_set1_epi32((int)colour);
    for (int i = 0; i < n - 4; i += 4) _mm_storeu_si128((__m128i*)(p + i), c);
    _mm_storeu_si128((__m128i*)(p + n - 4), c);
    return;
  }
#endif
  for (int i = 0; i < n; i++) p[i] = colour;
}

inline void StoreSpan(uint32_t* row, int x0, int x1, uint32_t colour) { StoreRun(row + x0, x1 - x0 + 1, colour); }

void FillSpan(const TrackLineSurface& s, int y, int x0, int x1, uint32_t colour) {
  if (x0 < s.left) x0 = s.left;
  if (x1 > s.right - 1) x1 = s.right - 1;
  StoreSpan(s.row0 + (intptr_t)y * s.stride, x0, x1, colour);
}

void PutPixel(const TrackLineSurface& s, int64_t x, int64_t y, uint32_t colour) {
  if (x >= s.left && x < s.right && y >= s.top && y < s.bottom) s.row0[(intptr_t)y * s.stride + (intptr_t)x] = colour;
}

// One pixel wide from a up to but without b: for each step of the longer
// axis, the shorter one's value rounded (a half towards a).
void ThinSegment(const TrackLineSurface& s, int64_t ax, int64_t ay, int64_t bx, int64_t by, uint32_t colour) {
  int64_t dx = bx - ax, dy = by - ay;
  int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (!adx && !ady) return;
  bool xMajor = adx >= ady;
  int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  int smaj = (xMajor ? dx : dy) < 0 ? -1 : 1, smin = (xMajor ? dy : dx) < 0 ? -1 : 1;
  int64_t a0 = xMajor ? ax : ay, m0 = xMajor ? ay : ax;
  int64_t lo = xMajor ? s.left : s.top, hi = (xMajor ? s.right : s.bottom) - 1;
  // the steps k whose major coordinate a0 + smaj * k lies inside the surface
  int64_t k0 = smaj > 0 ? lo - a0 : a0 - hi, k1 = smaj > 0 ? hi - a0 : a0 - lo;
  if (k0 < 0) k0 = 0;
  if (k1 > major - 1) k1 = major - 1;
  if (k0 > k1) return;
  // m(k) = m0 + smin * floor((2 k minor + major - 1) / (2 major)), stepped
  int64_t den = 2 * major, num = 2 * k0 * minor + major - 1;
  int64_t q = num / den, rem = num % den;
  for (int64_t k = k0; k <= k1; k++) {
    int64_t m = m0 + smin * q, a = a0 + smaj * k;
    if (xMajor)
      PutPixel(s, a, m, colour);
    else
      PutPixel(s, m, a, colour);
    rem += 2 * minor;
    if (rem >= den) rem -= den, q++;
  }
}

// floor and ceil of values well inside the int range, without a library call
inline int FloorInt(double v) {
  int i = (int)v;
  return i - (v < (double)i);
}
inline int CeilInt(double v) {
  int i = (int)v;
  return i + (v > (double)i);
}

// Row spans of the round pen around an integer point: pixel (x + o, y + r)
// is inside for lo[r] <= o <= hi[r], r from top to bottom.
struct Disc {
  int top, bottom;
  const int *lo, *hi;  // indexed by r - top
  explicit Disc(double radius) {
    int reach = (int)ceil(radius) + 1;
    top = reach, bottom = -reach;
    int n = 2 * reach + 1;
    // a pen of up to 60 pixels keeps its spans on the stack
    if (n > kSmall) m_heap.resize(2 * (size_t)n);
    int* l = n > kSmall ? m_heap.data() : m_lo;
    int* h = n > kSmall ? m_heap.data() + n : m_hi;
    for (int r = -reach; r <= reach; r++) {
      double v = r + kBias, h2 = radius * radius - v * v;
      l[r + reach] = 1, h[r + reach] = 0;
      if (h2 <= 0) continue;
      double w = sqrt(h2);
      l[r + reach] = (int)floor(-w - kBias) + 1;
      h[r + reach] = (int)ceil(w - kBias) - 1;
      if (l[r + reach] > h[r + reach]) continue;
      if (r < top) top = r;
      if (r > bottom) bottom = r;
    }
    lo = l + (top + reach), hi = h + (top + reach);
  }

 private:
  static const int kSmall = 64;
  int m_lo[kSmall], m_hi[kSmall];
  std::vector<int> m_heap;
};

// The rows ymin..ymax of the wide segment a-b: every pixel whose (biased)
// centre lies closer than the radius to the segment; the round ends are the
// discs at both points. emit(y, x0, x1) gets each row's span.
// withA: the disc at a too (the segment before drew it otherwise).
template <class Emit>
void CapsuleRows(const Disc& disc, double radius, int ax, int ay, int bx, int by, bool withA, int ymin, int ymax,
                 Emit emit) {
  // The body between the ends: pixels x with along(x) in [0, len2] and
  // |across(x)| < radius * len, both linear in x; their bounds move by a
  // fixed step from row to row. A level or upright segment bounds its rows
  // instead.
  double dx = (double)(bx - ax), dy = (double)(by - ay);
  double len2 = dx * dx + dy * dy, rl = radius * sqrt(len2);
  double fax = (double)ax - kBias, fay = (double)ay - kBias;
  double e0 = (double)ymin - fay;
  const double kWide = 1e9;
  double a = -kWide, aStep = 0, aLo = 0, aHi = 2 * kWide, c = 0, cStep = 0, cHalf = kWide;
  int body0 = ymin, body1 = len2 > 0 ? ymax : ymin - 1;
  if (dx != 0) {
    double idx = 1 / dx;
    aStep = -dy * idx, a = fax + e0 * aStep;
    aLo = dx > 0 ? 0 : len2 * idx, aHi = dx > 0 ? len2 * idx : 0;
  } else if (len2 > 0) {
    // rows whose biased centre lies between the two ends
    body0 = CeilInt(fay + (dy > 0 ? 0 : dy)), body1 = FloorInt(fay + (dy > 0 ? dy : 0));
  }
  if (dy != 0) {
    double idy = 1 / dy;
    cStep = dx * idy, c = fax + e0 * cStep, cHalf = rl * fabs(idy);
  } else if (len2 > 0) {
    body0 = FloorInt(fay - radius) + 1, body1 = CeilInt(fay + radius) - 1;
  }
  const int* dlo = disc.lo;
  const int* dhi = disc.hi;
  // the body's pixels l..h in the row whose bounds stand at a and c
  auto body = [&](double a, double c, int* l, int* h) {
    double lo = a + aLo, hi = a + aHi;
    double cl = c - cHalf, ch = c + cHalf;
    lo = cl > lo ? cl : lo;
    hi = ch < hi ? ch : hi;
    lo = lo > -kWide ? lo : -kWide;
    hi = hi < kWide ? hi : kWide;
    if (lo > hi) return false;
    *l = CeilInt(lo), *h = FloorInt(hi);
    return *l <= *h;
  };
  // rows that meet neither end's disc take the body alone (most rows of a
  // long segment)
  int aTop = withA ? ay + disc.top : 1 << 30, aBottom = withA ? ay + disc.bottom : 1 << 30;
  int bTop = by + disc.top, bBottom = by + disc.bottom;
  for (int y = ymin; y <= ymax;) {
    bool inA = y >= aTop && y <= aBottom, inB = y >= bTop && y <= bBottom;
    if (!inA && !inB && y >= body0 && y <= body1) {
      int end = body1 < ymax ? body1 : ymax;
      if (aTop > y && aTop - 1 < end) end = aTop - 1;
      if (bTop > y && bTop - 1 < end) end = bTop - 1;
      for (int l, h; y <= end; y++, a += aStep, c += cStep)
        if (body(a, c, &l, &h)) emit(y, l, h);
      continue;
    }
    int x0 = 1 << 30, x1 = -(1 << 30);
    int ra = y - ay - disc.top, rb = y - by - disc.top;
    if (inA) x0 = ax + dlo[ra], x1 = ax + dhi[ra];
    if (inB) {
      int l = bx + dlo[rb], h = bx + dhi[rb];
      x0 = l < x0 ? l : x0;
      x1 = h > x1 ? h : x1;
    }
    int l, h;
    if (y >= body0 && y <= body1 && body(a, c, &l, &h)) {
      x0 = l < x0 ? l : x0;
      x1 = h > x1 ? h : x1;
    }
    if (x0 <= x1) emit(y, x0, x1);
    y++, a += aStep, c += cStep;
  }
}

// Points within kNear of the surface (a pen's reach smaller than that).
void WideSegment(const TrackLineSurface& s, const Disc& disc, double radius, int ax, int ay, int bx, int by,
                 bool withA, uint32_t colour) {
  if (disc.top > disc.bottom) return;
  int ymin = (ay < by ? ay : by) + disc.top, ymax = (ay > by ? ay : by) + disc.bottom;
  int reach = disc.bottom > -disc.top ? disc.bottom : -disc.top;
  int xmin = (ax < bx ? ax : bx) - reach - 1, xmax = (ax > bx ? ax : bx) + reach + 1;
  if (xmax < s.left || xmin >= s.right || ymax < s.top || ymin >= s.bottom) return;
  if (ymin < s.top) ymin = s.top;
  if (ymax > s.bottom - 1) ymax = s.bottom - 1;
  CapsuleRows(disc, radius, ax, ay, bx, by, withA, ymin, ymax, [&](int y, int x0, int x1) {
    if (x1 >= s.left && x0 < s.right) FillSpan(s, y, x0, x1, colour);
  });
}

// A short segment's rows do not depend on where it starts, and a track
// repeats few of them: their spans, relative to the start, made once per
// (dx, dy) and pen. A segment that goes on from the one before leaves out
// the rows that the disc at its start (the other's end) covers already.
class ShortShapes {
 public:
  static const int kReach = 12;  // |dx| and |dy| up to this
  struct Shape {
    int n;                       // rows
    int top, bottom, left, right;  // bounds, relative to the start
    size_t at;                   // first row in m_rows, m_offsets
  };
  ShortShapes(const Disc& disc, double radius, int stride)
      : m_disc(disc), m_radius(radius), m_stride(stride), m_at(2 * kSide * kSide, -1) {}
  const Shape& Get(int dx, int dy, bool joined) {
    int& at = m_at[(joined ? kSide * kSide : 0) + (dy + kReach) * kSide + dx + kReach];
    if (at < 0) {
      at = (int)m_shapes.size();
      Shape sh = {0, 1 << 30, -(1 << 30), 1 << 30, -(1 << 30), m_rows.size()};
      int ymin = (dy < 0 ? dy : 0) + m_disc.top, ymax = (dy > 0 ? dy : 0) + m_disc.bottom;
      int span = m_disc.bottom - m_disc.top;
      CapsuleRows(m_disc, m_radius, 0, 0, dx, dy, true, ymin, ymax, [&](int y, int x0, int x1) {
        int r = y - m_disc.top;
        if (joined && (unsigned)r <= (unsigned)span && m_disc.lo[r] <= x0 && x1 <= m_disc.hi[r]) return;
        m_rows.push_back(Row{y, x0, x1});
        m_offsets.push_back(Span{(intptr_t)y * m_stride + x0, x1 - x0 + 1});
        sh.n++;
        sh.top = y < sh.top ? y : sh.top, sh.bottom = y > sh.bottom ? y : sh.bottom;
        sh.left = x0 < sh.left ? x0 : sh.left, sh.right = x1 > sh.right ? x1 : sh.right;
      });
      m_shapes.push_back(sh);
    }
    return m_shapes[at];
  }
  void Draw(const TrackLineSurface& s, const Shape& sh, int ax, int ay, uint32_t colour) const {
    if (ay + sh.bottom < s.top || ay + sh.top >= s.bottom) return;
    if (ax + sh.left >= s.left && ax + sh.right < s.right && ay + sh.top >= s.top && ay + sh.bottom < s.bottom) {
      // wholly inside (nearly every segment): no clipping per row
      uint32_t* base = s.row0 + (intptr_t)ay * s.stride + ax;
      const Span* o = m_offsets.data() + sh.at;
      for (int i = 0; i < sh.n; i++) StoreRun(base + o[i].offset, o[i].length, colour);
      return;
    }
    const Row* row = m_rows.data() + sh.at;
    for (int i = 0; i < sh.n; i++) {
      int y = ay + row[i].y;
      if (y < s.top || y >= s.bottom) continue;
      int x0 = ax + row[i].x0, x1 = ax + row[i].x1;
      if (x0 < s.left) x0 = s.left;
      if (x1 > s.right - 1) x1 = s.right - 1;
      StoreSpan(s.row0 + (intptr_t)y * s.stride, x0, x1, colour);
    }
  }

 private:
  static const int kSide = 2 * kReach + 1;
  struct Row {
    int y, x0, x1;
  };
  struct Span {
    intptr_t offset;  // from the start point's pixel, for this surface's stride
    int length;
  };
  const Disc& m_disc;
  double m_radius;
  int m_stride;
  std::vector<int> m_at;
  std::vector<Shape> m_shapes;
  std::vector<Row> m_rows;
  std::vector<Span> m_offsets;
};

}  // namespace

bool TrackClipSegment(double* x1, double* y1, double* x2, double* y2, double left, double top, double right,
                      double bottom) {
  // Liang-Barsky
  double dx = *x2 - *x1, dy = *y2 - *y1;
  double t0 = 0, t1 = 1;
  double p[4] = {-dx, dx, -dy, dy};
  double q[4] = {*x1 - left, right - *x1, *y1 - top, bottom - *y1};
  for (int i = 0; i < 4; i++) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  double ax = *x1 + t0 * dx, ay = *y1 + t0 * dy;
  double bx = *x1 + t1 * dx, by = *y1 + t1 * dy;
  *x1 = ax, *y1 = ay, *x2 = bx, *y2 = by;
  return true;
}

void TrackLineDraw(const TrackLineSurface& s, const int32_t* xy, int n, int width, uint32_t colour) {
  uint32_t count = n < 0 ? 0 : (uint32_t)n;
  TrackLineDrawRuns(s, xy, &count, 1, width, colour);
}

void TrackLineDrawRuns(const TrackLineSurface& s, const int32_t* xy, const uint32_t* runs, int nruns, int width,
                       uint32_t colour) {
  if (!s.row0 || s.left >= s.right || s.top >= s.bottom) return;
  double radius = width / 2.0;
  Disc disc(width > 1 ? radius : 0.5);
  ShortShapes shapes(disc, radius, s.stride);
  const int K = ShortShapes::kReach;
  // the wide pen works in int: points far off the surface come closer first
  const int64_t kNear = 1 << 28;
  auto near = [&](int64_t v) { return v > -kNear && v < kNear; };
  for (int r = 0; r < nruns; xy += 2 * runs[r], r++) {
    int n = (int)runs[r];
    for (int i = 1; i < n; i++) {
      int64_t ax = (int64_t)xy[2 * i - 2] + s.dx, ay = (int64_t)xy[2 * i - 1] + s.dy;
      int64_t bx = (int64_t)xy[2 * i] + s.dx, by = (int64_t)xy[2 * i + 1] + s.dy;
      bool withA = i == 1;
      if (!near(ax) || !near(ay) || !near(bx) || !near(by)) {
        // brought close to the surface, in whole pixels
        double x1 = (double)ax, y1 = (double)ay, x2 = (double)bx, y2 = (double)by, m = radius + 4;
        if (!TrackClipSegment(&x1, &y1, &x2, &y2, s.left - m, s.top - m, s.right + m, s.bottom + m)) continue;
        ax = lround(x1), ay = lround(y1), bx = lround(x2), by = lround(y2);
        withA = true;
      }
      int dx = (int)(bx - ax), dy = (int)(by - ay);
      if (width <= 1) {
        ThinSegment(s, ax, ay, bx, by, colour);
      } else if (dx >= -K && dx <= K && dy >= -K && dy <= K) {
        shapes.Draw(s, shapes.Get(dx, dy, !withA), (int)ax, (int)ay, colour);
      } else {
        WideSegment(s, disc, radius, (int)ax, (int)ay, (int)bx, (int)by, withA, colour);
      }
    }
  }
}
