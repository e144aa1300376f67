// The one colour metric of the library.
//
// ImgColorDistance is the Euclidean distance of the two colours in RGB
// space, rounded down: 0 for equal colours, 1 for a step of one in a single
// channel, 441 between black and white. The tile post-processing's
// thresholds are in these units: a colour list treats d < 3 (every channel
// within about 1) as the listed colour and d >= 11 as unrelated; a
// neighbourhood sum of 500 over four neighbours is a clear edge.
#include <cmath>

#include "image/picture.h"

int ImgColorDistance(uint32_t a, uint32_t b) {
  int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
  int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
  int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
  int sq = dr * dr + dg * dg + db * db;
  if (sq <= 1) return sq;  // equal neighbours are the common case in tiles
  int d = static_cast<int>(std::sqrt(static_cast<double>(sq)));
  // exact floor of the root whatever the rounding of sqrt
  while (d * d > sq) --d;
  while ((d + 1) * (d + 1) <= sq) ++d;
  return d;
}
