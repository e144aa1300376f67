// Tile post-processing checked pixel by pixel.
#include <gtest/gtest.h>

#include <climits>

#include "image/picture.h"
#include "image/pixelfmt.h"
#include "map/tilefx.h"

namespace {

// A 256 x 256 picture whose pixel at (x, y) is f(x, y).
template <class F>
void Tile(CPicture& p, int bits, F f) {
  ASSERT_TRUE(p.Create(bits, 256, 256, 0));
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) p.SetPixel(x, y, f(x, y));
}

uint32_t Alpha(const CPicture& p, int x, int y) { return p.GetPixel(x, y) >> 24; }

}  // namespace

TEST(TileApplyAlpha, HalvesWithScale128) {
  CPicture p;
  Tile(p, 32, [](int x, int y) { return static_cast<uint32_t>(x) << 24 | static_cast<uint32_t>(y) * 0x010101u; });
  TileApplyAlpha(p, 128, 0);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      ASSERT_EQ(Alpha(p, x, y), static_cast<uint32_t>(x / 2));
      ASSERT_EQ(p.GetPixel(x, y) & 0xFFFFFF, static_cast<uint32_t>(y) * 0x010101u);  // colour kept
    }
}

TEST(TileApplyAlpha, OffsetMinus255MakesAllTransparent) {
  CPicture p;
  Tile(p, 32, [](int x, int y) { return static_cast<uint32_t>(x ^ y) << 24 | 0x123456; });
  TileApplyAlpha(p, 256, -255);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(Alpha(p, x, y), 0u);
}

TEST(TileApplyAlpha, RegistryExtremesDoNotOverflow) {
  // (a + o) * s in 32 bits would wrap for these and give nonsense
  struct Case {
    int32_t scale, offset;
    uint32_t a0, a255;
  } cases[] = {{INT_MAX, 0, 0, 255},     {2, INT_MAX - 10, 255, 255}, {INT_MIN, 1, 0, 0},
               {65536, -200, 0, 255},    {-256, -300, 255, 45},       {1 << 20, INT_MIN, 0, 0}};
  for (const Case& c : cases) {
    CPicture p;
    ASSERT_TRUE(p.Create(32, 2, 1, 0));
    p.SetPixel(1, 0, 0xFF000000);
    TileApplyAlpha(p, c.scale, c.offset);
    EXPECT_EQ(Alpha(p, 0, 0), c.a0) << c.scale << " " << c.offset;
    EXPECT_EQ(Alpha(p, 1, 0), c.a255) << c.scale << " " << c.offset;
  }
}

TEST(TileApplyAlpha, PalettesChangeTheirEntriesOtherDepthsNothing) {
  CPicture pal;
  ASSERT_TRUE(pal.Create(8, 4, 4, 0));
  pal.SetPaletteEntry(7, 0x80FF0000);
  TileApplyAlpha(pal, 128, 0);
  EXPECT_EQ(pal.Palette()[7], 0x40FF0000u);
  EXPECT_EQ(pal.Palette()[0] >> 24, 0x7Fu);
  CPicture rgb;
  ASSERT_TRUE(rgb.Create(24, 4, 4, 0x808080));
  TileApplyAlpha(rgb, 0, 0);
  TileApplyAlpha(rgb, 128, -255);
  EXPECT_EQ(rgb.GetPixel(3, 3), 0x808080u);
}

TEST(TileApplyColorList, WhiteListGivesTransparentPartlyAndHalfOpaque) {
  // columns: white, near-white steps, then unrelated colours
  const uint32_t colours[] = {0xFFFFFF, 0xFEFEFE, 0xFDFDFD, 0xFCFCFC, 0xFAFAFA, 0xF9F9F9, 0xF8F8F8, 0x000000, 0x3366CC};
  const uint32_t alphas[] = {0, 0, 0, 32, 80, 112, 127, 127, 127};  // d = 0 1 3 5 8 10 12 ...
  CPicture p;
  Tile(p, 24, [&](int x, int) { return colours[x % 9]; });
  const uint32_t white = 0xFFFFFF;
  ASSERT_TRUE(TileApplyColorList(p, &white, 1));
  ASSERT_EQ(p.Bits(), 32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      ASSERT_EQ(Alpha(p, x, y), alphas[x % 9]) << x;
      ASSERT_EQ(p.GetPixel(x, y) & 0xFFFFFF, colours[x % 9]);
    }
}

TEST(TileApplyColorList, NearestOfSeveralColoursCounts) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 3, 1, 0));
  p.SetPixel(0, 0, 0xFF0000FF);
  p.SetPixel(1, 0, 0xFF0000F9);  // 6 from blue: (6 - 3) * 16
  p.SetPixel(2, 0, 0xFF808080);
  const uint32_t words[] = {0xFFFFFF, 0x0000FF, 0x7F7F7F};
  ASSERT_TRUE(TileApplyColorList(p, words, 3));
  EXPECT_EQ(p.GetPixel(0, 0), 0x000000FFu);
  EXPECT_EQ(p.GetPixel(1, 0), 0x300000F9u);
  EXPECT_EQ(Alpha(p, 2, 0), 0u);
}

TEST(TileApplyColorList, EveryDistanceUpToTwelveFollowsTheWholeDistanceRule) {
  // grey steps away from black: every squared distance 3 * k * k and some
  // off the diagonal, so both sides of each whole distance are met
  CPicture p;
  ASSERT_TRUE(p.Create(32, 64, 64, 0));
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) p.SetPixel(x, y, static_cast<uint32_t>(x / 8) << 16 | (x % 8) << 8 | (y % 13));
  CPicture before;
  ASSERT_TRUE(before.CropFrom(p, 0, 0, 64, 64));
  const uint32_t black = 0;
  ASSERT_TRUE(TileApplyColorList(p, &black, 1));
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      int d = ImgColorDistance(before.GetPixel(x, y), 0);
      uint32_t want = d < 3 ? 0 : d >= 11 ? 127 : (d - 3) * 16;
      ASSERT_EQ(want, Alpha(p, x, y)) << x << "," << y << " d " << d;
    }
}

TEST(TileApplyTrans, ThresholdZeroOnlySetsTheKey) {
  CPicture p;
  Tile(p, 32, [](int x, int y) { return static_cast<uint32_t>(x * 977 + y * 131) * 2654435761u; });
  CPicture before;
  ASSERT_TRUE(before.CropFrom(p, 0, 0, 256, 256));
  ASSERT_TRUE(TileApplyTrans(p, 0x00FF00FF, 0));
  EXPECT_EQ(p.m_colorKey, 0xFF00FFu);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(p.GetPixel(x, y), before.GetPixel(x, y));
}

TEST(TileApplyTrans, ThirtyTwoBitsByDistance) {
  // key white, threshold 20: d <= 13 alpha 0, 14..20 alpha 128, above 255
  const uint32_t colours[] = {0xFFFFFF, 0xF8F8F8, 0xF7F7F7, 0xF4F4F4, 0xF3F3F3, 0x000000};
  const int d[] = {0, 12, 13, 19, 20, 441};
  CPicture p;
  ASSERT_TRUE(p.Create(32, 6, 1, 0));
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(ImgColorDistance(colours[i], 0xFFFFFF), d[i]);
    p.SetPixel(i, 0, 0x40000000u | colours[i]);
  }
  ASSERT_TRUE(TileApplyTrans(p, 20u << 24 | 0xFFFFFF, 20));
  EXPECT_EQ(p.GetPixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(p.GetPixel(1, 0), 0x00FFFFFFu);  // 12 * 3 / 2 = 18: not above 20
  EXPECT_EQ(p.GetPixel(2, 0), 0x00FFFFFFu);  // 19 still not above 20
  EXPECT_EQ(p.GetPixel(3, 0), 0x80FFFFFFu);  // 28 > 20
  EXPECT_EQ(p.GetPixel(4, 0), 0x80FFFFFFu);
  EXPECT_EQ(p.GetPixel(5, 0), 0xFF000000u);  // far: made opaque
}

TEST(TileApplyTrans, TwentyFourAndSixteenBitsTakeTheKeyColour) {
  for (int bits : {24, 16}) {
    SCOPED_TRACE(bits);
    CPicture p;
    ASSERT_TRUE(p.Create(bits, 3, 1, 0));
    p.SetPixel(0, 0, 0xE8E8E8);  // within 50 of white
    p.SetPixel(1, 0, 0x808080);  // far
    p.SetPixel(2, 0, 0xFFFFFF);
    ASSERT_TRUE(TileApplyTrans(p, 0xFFFFFF, 50));
    EXPECT_EQ(p.GetPixel(0, 0), 0xFFFFFFu);
    const uint32_t grey = bits == 16 ? 0x848484u : 0x808080u;  // 0x80 through 5 bits
    EXPECT_EQ(p.GetPixel(1, 0), grey);
    EXPECT_EQ(p.GetPixel(2, 0), 0xFFFFFFu);
    // drawn with its key, the near pixel now vanishes
    CPicture back;
    ASSERT_TRUE(back.Create(24, 3, 1, 0x0000FF));
    back.DrawPicture(p, 0, 0, kImgUseKey | p.m_colorKey);
    EXPECT_EQ(back.GetPixel(0, 0), 0x0000FFu);
    EXPECT_EQ(back.GetPixel(1, 0), grey);
  }
}

TEST(TileApplyTrans, PaletteEntriesNearTheKeyBecomeTransparent) {
  CPicture p;
  ASSERT_TRUE(p.Create(4, 3, 1, 0));
  p.SetPaletteEntry(0, 0xFFF0F0F0);  // 25 from white
  p.SetPaletteEntry(1, 0xFF203040);
  p.SetPixel(1, 0, 1);
  ASSERT_TRUE(TileApplyTrans(p, 0xFFFFFF, 30));
  EXPECT_EQ(p.Palette()[0], 0x00FFFFFFu);
  EXPECT_EQ(p.Palette()[1], 0xFF203040u);
  CPicture back;
  ASSERT_TRUE(back.Create(24, 3, 1, 0x0000FF));
  back.DrawPicture(p, 0, 0, kImgUseKey | p.m_colorKey);
  EXPECT_EQ(back.GetPixel(0, 0), 0x0000FFu);
  EXPECT_EQ(back.GetPixel(1, 0), 0x203040u);
}

TEST(TileApplyGray, GreyOverlayBecomesTintedAlpha) {
  CPicture p;
  Tile(p, 24, [](int x, int) { return static_cast<uint32_t>(x) * 0x010101u; });
  ASSERT_TRUE(TileApplyGray(p, 0x05FF8000));
  ASSERT_EQ(p.Bits(), 32);
  for (int y = 0; y < 256; y += 17)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(p.GetPixel(x, y), static_cast<uint32_t>(x) << 24 | 0xFF8000u);
}

TEST(TileApplyGray, ThirtyTwoBitsKeepAlphaUnlessAllZero) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 2, 1, 0));
  p.SetPixel(0, 0, 0x40123456);
  p.SetPixel(1, 0, 0xFF0000FF);
  ASSERT_TRUE(TileApplyGray(p, 0xABCDEF));
  EXPECT_EQ(p.GetPixel(0, 0), 0x40ABCDEFu);
  EXPECT_EQ(p.GetPixel(1, 0), 0xFFABCDEFu);
  // alpha bytes all 0: the blue byte becomes the alpha
  ASSERT_TRUE(p.Create(32, 2, 1, 0));
  p.SetPixel(0, 0, 0x00000080);
  p.SetPixel(1, 0, 0x00FFFF00);
  ASSERT_TRUE(TileApplyGray(p, 0xABCDEF));
  EXPECT_EQ(p.GetPixel(0, 0), 0x80ABCDEFu);
  EXPECT_EQ(p.GetPixel(1, 0), 0x00ABCDEFu);
}

TEST(TileApplyGray, PaletteEntriesTakeTheColour) {
  CPicture p;
  ASSERT_TRUE(p.Create(8, 4, 4, 0));  // grey palette
  ASSERT_TRUE(TileApplyGray(p, 0x112233));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(p.Palette()[i], static_cast<uint32_t>(i) << 24 | 0x112233u);
  CPicture empty;
  EXPECT_FALSE(TileApplyGray(empty, 0));
}

TEST(TileSoftenEdges, StrongEdgesBecomeOpaque) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 5, 5, 0));
  // centre pixel with four neighbours 125 away in red: sum exactly 500
  p.FillRect(0, 0, 5, 5, 0x40000000);
  p.SetPixel(2, 2, 0x207D0000);
  TileSoftenEdges(p);
  EXPECT_EQ(Alpha(p, 2, 2), 255u);
  // 124 away: sum 496, stays
  p.FillRect(0, 0, 5, 5, 0x40000000);
  p.SetPixel(2, 2, 0x207C0000);
  TileSoftenEdges(p);
  EXPECT_EQ(Alpha(p, 2, 2), 0x20u);
  // neighbours of alpha 0x1F do not count; transparent pixels never change
  p.FillRect(0, 0, 5, 5, 0x1F000000);
  p.SetPixel(2, 2, 0x20FF0000);
  p.SetPixel(0, 0, 0x00FFFFFF);
  TileSoftenEdges(p);
  EXPECT_EQ(Alpha(p, 2, 2), 0x20u);
  EXPECT_EQ(Alpha(p, 0, 0), 0u);
}

TEST(TileSoftenEdges, FourNeighboursAt125MakeFiveHundredAt124NotQuite) {
  for (uint32_t red : {125u, 124u}) {
    CPicture p;
    ASSERT_TRUE(p.Create(32, 3, 3, 0));
    const int nb[4][2] = {{1, 0}, {0, 1}, {2, 1}, {1, 2}};
    p.SetPixel(1, 1, 0x40000000);
    for (auto& q : nb) p.SetPixel(q[0], q[1], 0x40000000u | red << 16);
    TileSoftenEdges(p);
    bool edge = red == 125;
    EXPECT_EQ(edge ? 255u : 0x40u, Alpha(p, 1, 1)) << red;
    for (auto& q : nb) EXPECT_EQ(edge ? 0x80u : 0x40u, Alpha(p, q[0], q[1])) << red;
  }
}

TEST(TileSoftenEdges, NeighboursOfOpaquePixelsAreDoubledAndSaturate) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 7, 3, 0));
  // an opaque pixel in the middle, its neighbours with alphas around the range
  const uint32_t same = 0x00404040;
  p.FillRect(0, 0, 7, 3, 0x05000000 | same);
  p.SetPixel(3, 1, 0xFF000000 | same);
  p.SetPixel(2, 1, 0x80000000 | same);  // 0x80 doubles to 255, not to 0
  p.SetPixel(4, 1, 0x10000000 | same);
  p.SetPixel(3, 0, 0x0F000000 | same);  // below the range
  p.SetPixel(3, 2, 0x81000000 | same);  // above the range
  p.SetPixel(5, 1, 0x40000000 | same);  // not a neighbour
  TileSoftenEdges(p);
  EXPECT_EQ(Alpha(p, 2, 1), 255u);
  EXPECT_EQ(Alpha(p, 4, 1), 0x20u);
  EXPECT_EQ(Alpha(p, 3, 0), 0x0Fu);
  EXPECT_EQ(Alpha(p, 3, 2), 0x81u);
  EXPECT_EQ(Alpha(p, 5, 1), 0x40u);
  EXPECT_EQ(p.GetPixel(2, 1) & 0xFFFFFF, same);
  // between two opaque pixels a pixel is doubled by each of them
  p.FillRect(0, 0, 7, 3, 0x05000000 | same);
  p.SetPixel(1, 1, 0xFF000000 | same);
  p.SetPixel(2, 1, 0x20000000 | same);
  p.SetPixel(3, 1, 0xFF000000 | same);
  TileSoftenEdges(p);
  EXPECT_EQ(Alpha(p, 2, 1), 0x80u);
}

// The rule written plainly, step after step over the whole picture: the
// one-pass, four-at-a-time softening and the colour list's 24-bit path must
// give the same pixels on a tile of blocks, noise and alpha runs.
TEST(TileSoftenEdges, OnePassGivesWhatTheTwoStepsGive) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  CPicture p;
  Tile(p, 32, [&](int x, int y) {
    uint32_t block = ((x / 5) * 31 + (y / 3) * 17) % 7;
    uint32_t alpha = block < 3 ? 0 : block == 3 ? 0x40 : block == 4 ? 0x80 : 0x20 + (next() >> 28);
    static const uint32_t colours[7] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF};
    return alpha << 24 | (colours[(block + x / 11) % 7] ^ (next() >> 24 & 7));
  });
  CPicture want;
  ASSERT_TRUE(want.CropFrom(p, 0, 0, 256, 256));
  auto a = [&](int x, int y) { return want.GetPixel(x, y) >> 24; };
  auto setA = [&](int x, int y, uint32_t v) { want.SetPixel(x, y, (want.GetPixel(x, y) & 0xFFFFFF) | v << 24); };
  const int dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      if (!a(x, y)) continue;
      int sum = 0;
      for (int k = 0; k < 4; ++k) {
        int u = x + dx[k], v = y + dy[k];
        if (u >= 0 && u < 256 && v >= 0 && v < 256 && a(u, v) > 0x1F)
          sum += ImgColorDistance(want.GetPixel(x, y), want.GetPixel(u, v));
      }
      if (sum >= 500) setA(x, y, 255);
    }
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      if (a(x, y) != 255) continue;
      for (int k = 0; k < 4; ++k) {
        int u = x + dx[k], v = y + dy[k];
        if (u < 0 || u >= 256 || v < 0 || v >= 256) continue;
        uint32_t q = a(u, v);
        if (q >= 0x10 && q <= 0x80) setA(u, v, q == 0x80 ? 255 : q * 2);
      }
    }
  TileSoftenEdges(p);
  int differ = 0, opaque = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      differ += p.GetPixel(x, y) != want.GetPixel(x, y);
      opaque += a(x, y) == 255;
    }
  EXPECT_EQ(0, differ);
  EXPECT_GT(opaque, 1000);  // the case is exercised

  // the colour list on the 24-bit tile and on its 32-bit form
  CPicture c24, c32;
  ASSERT_TRUE(c24.ConvertFrom(p, 24));
  ASSERT_TRUE(c32.ConvertFrom(c24, 32));
  const uint32_t list[] = {0xFF0000, 0x00FF05, 0x000003};
  ASSERT_TRUE(TileApplyColorList(c24, list, 3));
  ASSERT_TRUE(TileApplyColorList(c32, list, 3));
  ASSERT_EQ(32, c24.Bits());
  differ = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) differ += c24.GetPixel(x, y) != c32.GetPixel(x, y);
  EXPECT_EQ(0, differ);
}

TEST(TileConvertDepth, EmptyPicturesAreRefused) {
  CPicture empty;
  EXPECT_EQ(TileConvertDepth(empty, 32), 0);
  EXPECT_TRUE(empty.IsEmpty());
  CPicture p;
  ASSERT_TRUE(p.Create(24, 2, 2, 0x123456));
  p.m_colorKey = 0x77665533;
  EXPECT_EQ(TileConvertDepth(p, 32), 1);
  EXPECT_EQ(p.Bits(), 32);
  EXPECT_EQ(p.GetPixel(1, 1), 0xFF123456u);
  EXPECT_EQ(p.m_colorKey, 0x77665533u);
  EXPECT_EQ(TileConvertDepth(p, 5), 0);
  EXPECT_EQ(p.Bits(), 32);
}

TEST(TilePostProcess, BaseMapWithVaryingAlphaIsDrawnOpaqueOnWhite) {
  CPicture p;
  Tile(p, 32, [](int x, int) { return static_cast<uint32_t>(x) << 24 | 0x000000; });
  ASSERT_TRUE(TilePostProcess(p, 0, nullptr, 0, 0, 0));
  for (int x = 0; x < 256; ++x) {
    uint32_t v = 255 - static_cast<uint32_t>((x * 0 + 255 * (255 - x) + 127) / 255);  // black over white
    ASSERT_EQ(p.GetPixel(x, 9), 0xFF000000u | (255 - v) * 0x010101u) << x;
  }
  EXPECT_EQ(p.GetAlphaUsage(), 1);
  // an opaque base map is left alone, options and alpha or not
  CPicture q;
  ASSERT_TRUE(q.Create(24, 256, 256, 0x102030));
  const uint32_t gray[] = {kTileOptGray, 0xFF0000};
  ASSERT_TRUE(TilePostProcess(q, 0, gray, 2, 0, 128));
  EXPECT_EQ(q.Bits(), 24);
  EXPECT_EQ(q.GetPixel(5, 5), 0x102030u);
  EXPECT_EQ(q.m_colorKey, kImgNoColorKey);
}

TEST(TilePostProcess, LayersInTheWorkersOrder) {
  // GRAY: tinted and marked as carrying alpha
  CPicture g;
  ASSERT_TRUE(g.Create(24, 256, 256, 0x808080));
  const uint32_t gray[] = {kTileOptGray, 0x10FF0000};
  ASSERT_TRUE(TilePostProcess(g, 1, gray, 2, 0, 0));
  EXPECT_EQ(g.GetPixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(g.m_colorKey, kTileKeyOwnAlpha);

  // TRANS without alpha scale: 24 bits stay, drawn with the key
  CPicture t;
  ASSERT_TRUE(t.Create(24, 256, 256, 0xF0F0F0));
  const uint32_t trans[] = {kTileOptTrans, 30u << 24 | 0xFFFFFF};
  ASSERT_TRUE(TilePostProcess(t, 2, trans, 2, 0, 0));
  EXPECT_EQ(t.Bits(), 24);
  EXPECT_EQ(t.GetPixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(t.m_colorKey, 0xFFFFFFu);
  // TRANS with an alpha scale: converted first, then alpha scaled and marked
  ASSERT_TRUE(t.Create(24, 256, 256, 0x000000));
  t.SetPixel(0, 0, 0xF0F0F0);
  ASSERT_TRUE(TilePostProcess(t, 2, trans, 2, 0, 128));
  EXPECT_EQ(t.Bits(), 32);
  EXPECT_EQ(t.GetPixel(0, 0), 0x40FFFFFFu);  // 25 * 3 / 2 > 30: alpha 128, halved
  EXPECT_EQ(t.GetPixel(1, 0), 0x7F000000u);  // opaque, halved
  EXPECT_EQ(t.m_colorKey, kTileKeyOwnAlpha);

  // colour list, then soft edges for offset 1 and scale 0
  CPicture c;
  ASSERT_TRUE(c.Create(24, 256, 256, 0xFFFFFF));
  c.FillRect(100, 100, 1, 1, 0x000000);
  const uint32_t list[] = {0xFFFFFF};
  ASSERT_TRUE(TilePostProcess(c, 3, list, 1, 1, 0));
  EXPECT_EQ(c.Bits(), 32);
  EXPECT_EQ(Alpha(c, 0, 0), 0u);
  EXPECT_EQ(Alpha(c, 100, 100), 127u);  // no counted neighbours: not softened
  EXPECT_EQ(c.m_colorKey, kImgNoColorKey);

  // only the alpha pair
  CPicture a;
  ASSERT_TRUE(a.Create(32, 256, 256, 0xC0000000));
  ASSERT_TRUE(TilePostProcess(a, 4, nullptr, 0, 0, 128));
  EXPECT_EQ(a.GetPixel(7, 7), 0x60000000u);
  EXPECT_EQ(a.m_colorKey, kTileKeyOwnAlpha);

  CPicture empty;
  EXPECT_FALSE(TilePostProcess(empty, 1, list, 1, 0, 0));
}

// A 24-bit layer with an alpha scale and no options is see-through as the
// scale says, drawn over the base map.
TEST(TilePostProcess, AnAlphaScaleAppliesToPicturesWithoutAlpha) {
  CPicture base, layer;
  ASSERT_TRUE(base.Create(32, 256, 256, 0xFF0000FF));
  ASSERT_TRUE(layer.Create(24, 256, 256, 0xFF0000));
  layer.SetPixel(5, 5, 0x665533);  // the own-alpha mark's colour: no key
  ASSERT_TRUE(TilePostProcess(layer, 1, nullptr, 0, 0, 128));
  EXPECT_EQ(layer.Bits(), 32);
  TileDraw(&base, layer, 1, 0, 0);
  EXPECT_EQ(base.GetPixel(9, 9) & 0xFFFFFF, 0x7F0080u);  // 127 of 255 red over blue
  uint32_t p = base.GetPixel(5, 5);
  EXPECT_NE(p & 0xFFFFFF, 0x0000FFu);
}

TEST(TilePostProcess, AFailedConversionLeavesThePictureAndReportsIt) {
  // a 1-bit picture whose 32-bit form would pass 2 GiB: the conversion is
  // refused (before allocating) and nothing uses the missing pixels
  CPicture p;
  ASSERT_TRUE(p.Create(1, 46341, 46341, 0));
  const uint32_t list[] = {0xFFFFFF};
  EXPECT_FALSE(TileApplyColorList(p, list, 1));
  EXPECT_FALSE(TilePostProcess(p, 5, list, 1, 0, 128));
  EXPECT_EQ(p.Bits(), 1);
  EXPECT_EQ(p.m_colorKey, kImgNoColorKey);
  EXPECT_EQ(TileConvertDepth(p, 32), 0);
  EXPECT_EQ(p.Bits(), 1);
}
