// Track lines drawn straight into pixels: whatever the points (far beyond
// the surface, huge pens), nothing is written outside the drawable part.
#include <gtest/gtest.h>

#include <stdint.h>

#include <random>
#include <vector>

#include "map/trackline.h"

TEST(TrackLine, NothingOutsideTheDrawableRectangle) {
  // 60 x 50 pixels, of which (10, 8)-(50, 40) may be drawn; the rows run
  // bottom-up for half of the rounds
  const int W = 60, H = 50;
  std::vector<uint32_t> px(W * H);
  std::mt19937 rnd(7);
  std::uniform_int_distribution<int> near(-80, 140), pick(0, 3);
  const int32_t far[] = {-2000000000, -70000, 70000, 2000000000};
  int drawn = 0;
  for (int round = 0; round < 400; round++) {
    std::fill(px.begin(), px.end(), 0u);
    bool up = round % 2;
    TrackLineSurface s = {up ? px.data() + (H - 1) * W : px.data(), up ? -W : W, 10, 8, 50, 40, 3, -2};
    int32_t xy[12];
    for (int i = 0; i < 12; i++) xy[i] = pick(rnd) == 0 ? far[pick(rnd)] : near(rnd);
    int width = round % 40 == 0 ? 300 : round % 4 == 0 ? 1 : 1 + round % 13;
    TrackLineDraw(s, xy, 6, width, 0xABCDEF);
    for (int y = 0; y < H; y++)
      for (int x = 0; x < W; x++) {
        int row = up ? H - 1 - y : y;  // the surface's row
        bool inside = x >= 10 && x < 50 && row >= 8 && row < 40;
        if (px[y * W + x]) {
          ASSERT_TRUE(inside) << "round " << round << " width " << width << " at " << x << "," << row;
          drawn++;
        }
      }
  }
  EXPECT_GT(drawn, 20000);  // the lines did reach the drawable part
}
