// The arithmetic of the results: texts, bars, ranking, zoom box, pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/play/gamescore.h"

using namespace game;

namespace {

std::string Distance(double metres) {
  char t[32];
  FormatDistance(metres, t, sizeof t);
  return t;
}

TEST(GameScore, DistanceTexts) {
  EXPECT_EQ(Distance(999900), "999.9 km");
  EXPECT_EQ(Distance(999999.9), "999.9 km");
  EXPECT_EQ(Distance(1000000), "1 000.0 km");
  EXPECT_EQ(Distance(12345600), "12 345.6 km");
  EXPECT_EQ(Distance(20037508), "20 037.5 km");
  EXPECT_EQ(Distance(0.4), "0.0 km");
  EXPECT_EQ(Distance(-5), "0.0 km");
  EXPECT_EQ(Distance(NAN), "0.0 km");
}

PlayerSlot Guess(double lon, double lat) {
  PlayerSlot p;
  p.guessLon = lon, p.guessLat = lat;
  return p;
}

TEST(GameScore, TiesGoToTheLowerNumberAndTheTiedOneIsSecond) {
  PlayerSlot p[4] = {Guess(11, 50), Guess(9, 50), Guess(10, 50.5), PlayerSlot()};
  Ranking k = RankPlayers(p, 4, 10, 50);
  EXPECT_DOUBLE_EQ(p[0].distance, p[1].distance);  // mirror images about the meridian
  EXPECT_EQ(k.winner, 2);
  EXPECT_EQ(k.second, 0);
  EXPECT_EQ(p[3].distance, kUnset);
  EXPECT_TRUE(p[3].barFinished);
  PlayerSlot q[3] = {Guess(11, 50), Guess(9, 50), Guess(12, 50)};
  k = RankPlayers(q, 3, 10, 50);
  EXPECT_EQ(k.winner, 0);
  EXPECT_EQ(k.second, 1);
  // players beyond the count are not looked at
  k = RankPlayers(q, 1, 10, 50);
  EXPECT_EQ(k.second, -1);
}

TEST(GameScore, BarLengths) {
  PlayerSlot p[3] = {Guess(10, 50), Guess(10.5, 50), Guess(20, 45)};
  Ranking k = RankPlayers(p, 3, 10, 50);
  BarScale s = ComputeBarScale(k.best, k.largest);
  EXPECT_EQ(BarLength(p[0].distance, s), 17);   // on the target
  EXPECT_EQ(BarLength(p[2].distance, s), 641);  // the farthest
  int mid = BarLength(p[1].distance, s);
  EXPECT_GT(mid, 17);
  EXPECT_LT(mid, 641);
  EXPECT_EQ(BarLength(kUnset, s), 796);
  // a single guess is winner and farthest
  PlayerSlot one[1] = {Guess(11, 50)};
  k = RankPlayers(one, 1, 10, 50);
  s = ComputeBarScale(k.best, k.largest);
  EXPECT_EQ(BarLength(one[0].distance, s), 641);
  // r above 0.2: 17 + 780 s (ln d / ln L - r)
  s = ComputeBarScale(1000, 100000);
  EXPECT_NEAR(s.r, 0.6 - 0.1, 1e-12);
  EXPECT_EQ(BarLength(100000, s), 641);
  EXPECT_EQ(BarLength(1000, s), 17 + (int)(780 * (0.8 / 0.5) * (0.6 - 0.5)));
  // nobody guessed, or all within a metre
  s = ComputeBarScale(100000000.0, 0);
  EXPECT_EQ(BarLength(0.5, s), 17);
  EXPECT_EQ(FinalBarLength(3, 3), 719);
  EXPECT_EQ(FinalBarLength(1, 3), 17 + 234);
  EXPECT_EQ(FinalBarLength(0, 0), 17);
  EXPECT_EQ(FinalBarLength(0, 5), 17);
}

TEST(GameScore, ZoomBoxHoldsTargetAndGuessesWithRoomForTheBoard) {
  PlayerSlot p[2] = {Guess(12, 51), Guess(8, 49)};
  GeoBox b = ComputeZoomBox(10, 50, p, 2, 0, 0);
  EXPECT_DOUBLE_EQ(b.west, 8 - 0.08);
  EXPECT_DOUBLE_EQ(b.east, 12 + 0.08);
  EXPECT_DOUBLE_EQ(b.south, 49 - 0.04);
  GeoBox r = ComputeZoomBox(10, 50, p, 2, 100, 400);
  EXPECT_DOUBLE_EQ(r.north, b.north + (b.north - b.south) * 100 / 400);
  // a minimised view (height 0) gets no room and no division
  r = ComputeZoomBox(10, 50, p, 2, 100, 0);
  EXPECT_DOUBLE_EQ(r.north, b.north);
  // the target is kept near the middle: far east guess
  PlayerSlot e[1] = {Guess(20, 50)};
  b = ComputeZoomBox(10, 50, e, 1, 0, 0);
  EXPECT_NEAR(b.west, 10 - (10.2) / 2, 1e-9);
  // only guesses below the count
  b = ComputeZoomBox(10, 50, p, 1, 0, 0);
  EXPECT_GT(b.west, 8.5);
}

TEST(GameScore, ZoomBoxMinimumSizeAndPolarBoxes) {
  GeoBox b = ComputeZoomBox(10, 50, nullptr, 0, 0, 0);
  EXPECT_NEAR(b.east - b.west, 0.15, 1e-12);
  EXPECT_NEAR(b.north - b.south, 0.1, 1e-12);
  EXPECT_NEAR((b.east + b.west) / 2, 10, 1e-12);
  PlayerSlot n[1] = {Guess(10, 88)};
  b = ComputeZoomBox(10, 87, n, 1, 0, 0);
  EXPECT_NEAR(b.north, 84, 1e-9);
  EXPECT_NEAR(b.north - b.south, 1.53, 1e-9);  // the target kept off the southern edge
  b = ComputeZoomBox(10, -89, nullptr, 0, 0, 0);
  EXPECT_NEAR(b.south, -84, 1e-9);
  PlayerSlot t[1] = {Guess(10, 89)};
  b = ComputeZoomBox(10, 0.5, t, 1, 400, 100);
  EXPECT_LE(b.north, 85);
}

TEST(GameScore, RingPointsLieAtTheDistance) {
  EXPECT_EQ(RingSteps(0), 4);
  EXPECT_EQ(RingSteps(200), 30);
  EXPECT_EQ(RingSteps(1 << 20), 1024);
  double pts[2 * 200];
  int n = RingPoints(10, 50, 100000, 30, pts, 200);
  EXPECT_EQ(n, 120);
  EXPECT_NEAR(pts[0], 10, 1e-9);
  EXPECT_GT(pts[1], 50.8);
  EXPECT_EQ(RingPoints(10, 50, 100000, 30, pts, 7), 7);
}

void Solid(CPicture& p, int w, int h, uint32_t argb) { ASSERT_TRUE(p.Create(32, w, h, argb)); }

TEST(GameScore, BlendLowersAlphaAndChannelsAlikeWithoutWrapping) {
  CPicture board;
  Solid(board, 4, 4, 0xFF808080);
  CPicture img;
  Solid(img, 2, 2, 0xFFFFFFFF);
  img.SetPixel(1, 1, 0);
  BlendScoreImage(board, 1, 1, img);
  // alpha 255 - 31 = 224; channels 255 * 224 / 255 = 224; board 128 * 31 / 256 = 15
  EXPECT_EQ(board.GetPixel(1, 1), 0xFEEFEFEFu);  // alpha 224 + 255 * 31 / 256
  EXPECT_EQ(board.GetPixel(2, 2), 0xFF808080u);  // alpha 0 skipped
  EXPECT_EQ(board.GetPixel(0, 0), 0xFF808080u);
  // an image hanging over every edge stays inside
  BlendScoreImage(board, -1, -1, img);
  BlendScoreImage(board, 3, 3, img);
  BlendScoreImage(board, 100, -100, img);
  EXPECT_EQ(board.GetPixel(3, 3), 0xFEEFEFEFu);
}

TEST(GameScore, GlyphTextAdvances) {
  CPicture strip;
  Solid(strip, 640, 56, 0);
  GlyphSet g;
  ASSERT_TRUE(g.Cut(strip));
  CPicture board;
  Solid(board, 800, 100, 0);
  EXPECT_EQ(DrawGlyphText(board, g, "12.5 km", 796, 6), 796 - 40 * 5 - 10 - 25);
  EXPECT_EQ(DrawGlyphText(board, g, "7", 0, 6), -40);  // off the board: clipped
}

TEST(GameScore, HalfSizeAveragesEachBlock) {
  CPicture board;
  Solid(board, 5, 3, 0);
  board.SetPixel(0, 0, 0xFF0004FF);
  board.SetPixel(1, 0, 0xFF0004FF);
  board.SetPixel(0, 1, 0x00000003);
  board.SetPixel(1, 1, 0x80FC0000);
  CPicture half;
  ASSERT_TRUE(HalveBoard(board, half));
  EXPECT_EQ(half.Width(), 2);
  EXPECT_EQ(half.Height(), 1);
  EXPECT_EQ(half.GetPixel(0, 0), ((0x3Fu * 2 + 0x20) << 24) | (0x3Fu << 16) | (0x01u * 2 << 8) | (0x3Fu * 2));
  EXPECT_EQ(half.GetPixel(1, 0), 0u);
}

TEST(GameScore, PremultipliedColourSwapsRedAndBlue) {
  EXPECT_EQ(PremultipliedArgb(0x0000FF, 255), 0xFFFF0000u);
  EXPECT_EQ(PremultipliedArgb(0xFF0000, 192), 0xC00000C0u);
  EXPECT_EQ(PremultipliedArgb(0x4080FF, 128), 0x80804020u);
}

}  // namespace
