// CPicture: storage, pixel formats, conversion, drawing and text.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "image/imgfont.h"
#include "image/picture.h"

namespace {

// Expected value of a pixel whose colour went through X1R5G5B5.
uint32_t Via555(uint32_t c) {
  auto w = [](uint32_t v) { return (v & 0xF8) | (v >> 5); };
  return w((c >> 16) & 0xFF) << 16 | w((c >> 8) & 0xFF) << 8 | w(c & 0xFF);
}

}  // namespace

TEST(Picture, CreateDestroySwap) {
  CPicture p;
  EXPECT_TRUE(p.IsEmpty());
  EXPECT_FALSE(p.Destroy());
  ASSERT_TRUE(p.Create(24, 5, 3, 0x102030));
  EXPECT_EQ(p.Stride(), 16);  // 15 bytes padded to a multiple of 4
  EXPECT_EQ(p.GetPixel(4, 2), 0x102030u);
  ASSERT_TRUE(p.Create(32, 2, 2, 0));  // fill 0: fully transparent
  EXPECT_EQ(p.GetPixel(1, 1), 0u);
  EXPECT_EQ(p.GetAlphaUsage(), 0);
  CPicture q;
  ASSERT_TRUE(q.Create(1, 9, 1, 0xFFFFFF));
  EXPECT_EQ(q.GetPixel(8, 0), 1u);  // white is the last grey
  q.m_colorKey = 0x77665533;
  p.Swap(q);
  EXPECT_EQ(p.Width(), 9);
  EXPECT_EQ(p.m_colorKey, 0x77665533u);
  EXPECT_EQ(q.Bits(), 32);
  EXPECT_TRUE(p.Destroy());
  EXPECT_TRUE(p.IsEmpty());
  EXPECT_FALSE(p.Create(12, 4, 4, 0));
  EXPECT_FALSE(p.Create(32, 0, 4, 0));
  EXPECT_FALSE(p.Create(32, 1 << 20, 1 << 20, 0));  // beyond 2 GiB
}

TEST(Picture, PixelsOfEveryDepthKeepTheirNeighbours) {
  for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    CPicture p;
    ASSERT_TRUE(p.Create(bits, 13, 3, 0));
    const uint32_t maxv = bits >= 24 ? 0xFFFFFFFFu : bits == 16 ? 0xFFFFFFu : (1u << bits) - 1;
    std::vector<uint32_t> want(13);
    for (int x = 0; x < 13; ++x) {
      uint32_t v = (0x9E3779B9u * (x + 1)) & maxv;
      if (bits == 24) v &= 0xFFFFFF;
      if (bits == 16) v = Via555(v);
      want[x] = v;
      p.SetPixel(x, 1, v);
    }
    for (int x = 0; x < 13; ++x) {
      EXPECT_EQ(p.GetPixel(x, 1), want[x]) << x;
      EXPECT_EQ(p.GetPixel(x, 0), 0u);
      EXPECT_EQ(p.GetPixel(x, 2), 0u);
    }
    p.SetPixel(-1, 0, maxv);  // outside: ignored
    p.SetPixel(13, 0, maxv);
    p.SetPixel(0, 3, maxv);
    EXPECT_EQ(p.GetPixel(0, 0), 0u);
    EXPECT_EQ(p.GetPixel(13, 1), 0u);
  }
}

TEST(Picture, FillAndFrameAreClipped) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 8, 6, 0));
  p.FillRect(-3, -3, 5, 5, 0x20000001);  // stored as given
  EXPECT_EQ(p.GetPixel(0, 0), 0x20000001u);
  EXPECT_EQ(p.GetPixel(1, 1), 0x20000001u);
  EXPECT_EQ(p.GetPixel(2, 2), 0u);
  p.FillRect(6, 4, 1000000, 0x7FFFFFFF, 0x80000001);
  EXPECT_EQ(p.GetPixel(7, 5), 0x80000001u);
  EXPECT_EQ(p.GetPixel(5, 5), 0u);
  p.FillRect(0x7FFFFFF0, 0, 100, 100, 1);  // far outside, no overflow
  CPicture f;
  ASSERT_TRUE(f.Create(8, 6, 5, 0));
  f.FrameRect(1, 1, 4, 3, 0xFFFFFF);
  const char* rows[] = {"000000", "011110", "010010", "011110", "000000"};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(f.GetPixel(x, y) != 0, rows[y][x] == '1') << x << "," << y;
  f.FrameRect(0, 0, 0, 3, 0xFFFFFF);  // empty: nothing
  EXPECT_EQ(f.GetPixel(0, 0), 0u);
}

TEST(Picture, MoveRectHandlesOverlapInEveryDirection) {
  for (int bits : {4, 8, 32}) {
    for (int dir = 0; dir < 4; ++dir) {
      SCOPED_TRACE(bits * 10 + dir);
      CPicture p;
      ASSERT_TRUE(p.Create(bits, 10, 10, 0));
      auto val = [bits](int x, int y) { return static_cast<uint32_t>(x + 10 * y) % (bits == 4 ? 16u : 256u); };
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) p.SetPixel(x, y, val(x, y));
      const int dx[4] = {2, -2, 0, 0}, dy[4] = {0, 0, 3, -3};
      p.MoveRect(3, 3, 4, 4, dx[dir], dy[dir]);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
          ASSERT_EQ(p.GetPixel(3 + x + dx[dir], 3 + y + dy[dir]), val(3 + x, 3 + y));
    }
  }
  // moving partly out of the picture copies what stays inside
  CPicture q;
  ASSERT_TRUE(q.Create(24, 4, 4, 0));
  q.SetPixel(0, 0, 0xAA);
  q.SetPixel(3, 3, 0xBB);
  q.MoveRect(0, 0, 4, 4, -3, -3);
  EXPECT_EQ(q.GetPixel(0, 0), 0xBBu);
  q.MoveRect(0, 0, 4, 4, 100, 0);  // nothing lands inside
  EXPECT_EQ(q.GetPixel(0, 0), 0xBBu);
  // extreme offsets and rectangles: clipped, no overflow
  CPicture before;
  ASSERT_TRUE(before.CropFrom(q, 0, 0, 4, 4));
  q.MoveRect(0, 0, 4, 4, INT_MIN, INT_MAX);
  q.MoveRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, 1);  // ends left of the picture
  q.FrameRect(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, 0xFFFFFF);
  q.FrameRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0xFFFFFF);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(q.GetPixel(x, y), before.GetPixel(x, y));
  q.MoveRect(INT_MIN, 0, INT_MAX, 4, INT_MAX, 0);  // x 0..-2 is empty too
  q.MoveRect(-2, -2, 4, 4, 2, 2);                  // (0,0)-(1,1) to (2,2)-(3,3)
  EXPECT_EQ(q.GetPixel(2, 2), 0xBBu);
}

TEST(Picture, DrawPictureConvertsAndSkipsTheKeyColour) {
  CPicture src;
  ASSERT_TRUE(src.Create(8, 3, 1, 0));
  src.SetPaletteEntry(0, 0xFFFF00FF);
  src.SetPaletteEntry(1, 0x80112233);
  src.SetPaletteEntry(2, 0xFFFF00FF);  // the key colour twice in the palette
  for (int x = 0; x < 3; ++x) src.SetPixel(x, 0, static_cast<uint32_t>(x));
  CPicture dst;
  ASSERT_TRUE(dst.Create(32, 4, 2, 0xFF000000));
  dst.DrawPicture(src, 1, 1, kImgUseKey | 0xFF00FF);
  EXPECT_EQ(dst.GetPixel(1, 1), 0xFF000000u);
  EXPECT_EQ(dst.GetPixel(2, 1), 0x80112233u);  // palette alpha carried
  EXPECT_EQ(dst.GetPixel(3, 1), 0xFF000000u);
  dst.DrawPicture(src, -1, 0, 0);  // without key, clipped at the left
  EXPECT_EQ(dst.GetPixel(0, 0), 0x80112233u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0xFFFF00FFu);

  // 16-bit sources compare the key in their own format
  CPicture s16;
  ASSERT_TRUE(s16.Create(16, 2, 1, 0));
  s16.SetPixel(0, 0, 0x123456);
  s16.SetPixel(1, 0, 0xFFFFFF);
  CPicture d24;
  ASSERT_TRUE(d24.Create(24, 2, 1, 0x010203));
  d24.DrawPicture(s16, 0, 0, kImgUseKey | 0x123456);
  EXPECT_EQ(d24.GetPixel(0, 0), 0x010203u);
  EXPECT_EQ(d24.GetPixel(1, 0), 0xFFFFFFu);
  // onto itself
  d24.DrawPicture(d24, 1, 0, 0);
  EXPECT_EQ(d24.GetPixel(1, 0), 0x010203u);
}

TEST(Picture, BlendPictureUsesStraightAlpha) {
  CPicture src;
  ASSERT_TRUE(src.Create(32, 4, 1, 0));
  src.SetPixel(0, 0, 0x00FF0000);  // transparent: untouched
  src.SetPixel(1, 0, 0xFFFF0000);  // opaque: copied
  src.SetPixel(2, 0, 0x80FF0000);  // half: (255*128 + 255*127)/255 and so on
  src.SetPixel(3, 0, 0x40FFFFFF);
  for (int bits : {24, 32}) {
    CPicture dst;
    ASSERT_TRUE(dst.Create(bits, 4, 1, 0xFF0000FF));
    dst.BlendPicture(src, 0, 0);
    EXPECT_EQ(dst.GetPixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(dst.GetPixel(1, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(dst.GetPixel(2, 0) & 0xFFFFFF, 0x80007Fu);
    EXPECT_EQ(dst.GetPixel(3, 0) & 0xFFFFFF, 0x4040FFu);
    if (bits == 32) {
      EXPECT_EQ(dst.GetPixel(2, 0) >> 24, 0xFFu);
    }
  }
  // a palette source blends with its entries' alpha
  CPicture pal;
  ASSERT_TRUE(pal.Create(4, 2, 1, 0));
  pal.SetPaletteEntry(0, 0x00FFFFFF);
  pal.SetPaletteEntry(1, 0x80FF0000);
  pal.SetPixel(1, 0, 1);
  CPicture dst;
  ASSERT_TRUE(dst.Create(24, 2, 1, 0x0000FF));
  dst.BlendPicture(pal, 0, 0);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x0000FFu);
  EXPECT_EQ(dst.GetPixel(1, 0), 0x80007Fu);
}

TEST(Picture, BlendMatchesRoundedArithmeticForEveryPixel) {
  // widths and offsets that mix whole groups of pixels with single ones
  uint32_t seed = 1;
  auto rnd = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
  for (int bits : {32, 24}) {
    CPicture src, dst, before;
    ASSERT_TRUE(src.Create(32, 61, 7, 0));
    ASSERT_TRUE(dst.Create(bits, 70, 9, 0));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 61; ++x) {
        uint32_t v = rnd();
        uint32_t a = (x % 5 == 0) ? 0 : (x % 7 == 0) ? 255 : v >> 24;
        if (y >= 5 && x >= 13 && x < 45) a = y == 5 ? 0 : 255;  // whole groups of eight
        src.SetPixel(x, y, a << 24 | (v & 0xFFFFFF));
      }
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 70; ++x) dst.SetPixel(x, y, rnd());
    ASSERT_TRUE(before.CropFrom(dst, 0, 0, 70, 9));
    dst.BlendPicture(src, 3, 1);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 70; ++x) {
        uint32_t d = before.GetPixel(x, y), want = d;
        if (x >= 3 && x < 64 && y >= 1 && y < 8) {
          uint32_t s = src.GetPixel(x - 3, y - 1), a = s >> 24;
          auto mix = [a](uint32_t sv, uint32_t dv) {
            return static_cast<uint32_t>((sv * a + dv * (255 - a)) / 255.0 + 0.5);
          };
          want = mix((s >> 16) & 0xFF, (d >> 16) & 0xFF) << 16 | mix((s >> 8) & 0xFF, (d >> 8) & 0xFF) << 8 |
                 mix(s & 0xFF, d & 0xFF);
          if (bits == 32) want |= (a + static_cast<uint32_t>((d >> 24) * (255 - a) / 255.0 + 0.5)) << 24;
        }
        ASSERT_EQ(dst.GetPixel(x, y), want) << bits << " bits at " << x << "," << y;
      }
  }
}

TEST(Picture, AlphaUsageAndFlattening) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 2, 1, 0xFF102030));
  EXPECT_EQ(p.GetAlphaUsage(), 1);
  p.SetPixel(1, 0, 0x00FFFFFF);
  EXPECT_EQ(p.GetAlphaUsage(), 2);  // 0 and 255 together vary too
  p.SetPixel(1, 0, 0x80000000);
  p.FlattenAlpha(0xFFFFFF);
  EXPECT_EQ(p.GetPixel(0, 0), 0xFF102030u);
  EXPECT_EQ(p.GetPixel(1, 0), 0xFF7F7F7Fu);
  EXPECT_EQ(p.GetAlphaUsage(), 1);
  CPicture rgb;
  ASSERT_TRUE(rgb.Create(24, 1, 1, 0));
  EXPECT_EQ(rgb.GetAlphaUsage(), 0);
  // palettes count only the entries in use
  CPicture pal;
  ASSERT_TRUE(pal.Create(8, 2, 1, 0));
  pal.SetPaletteEntry(5, 0x00000000);
  EXPECT_EQ(pal.GetAlphaUsage(), 1);
  pal.SetPixel(1, 0, 5);
  EXPECT_EQ(pal.GetAlphaUsage(), 2);
  pal.FlattenAlpha(0x00FF00);
  EXPECT_EQ(pal.GetColor(1, 0), 0xFF00FF00u);
}

TEST(Picture, ConvertBetweenDepths) {
  CPicture src;
  ASSERT_TRUE(src.Create(32, 16, 16, 0));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) src.SetPixel(x, y, 0xFF000000u | static_cast<uint32_t>(x * 16) << 16 | static_cast<uint32_t>(y * 16));
  // 256 colours fit an exact palette
  CPicture p8;
  ASSERT_TRUE(p8.ConvertFrom(src, 8));
  EXPECT_EQ(p8.Bits(), 8);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(p8.GetColor(x, y), src.GetPixel(x, y));
  // and back, with the palette alpha
  p8.SetPaletteEntry(p8.GetPixel(3, 3), 0x40000000u | (src.GetPixel(3, 3) & 0xFFFFFF));
  CPicture back;
  ASSERT_TRUE(back.ConvertFrom(p8, 32));
  EXPECT_EQ(back.GetPixel(3, 3) >> 24, 0x40u);
  EXPECT_EQ(back.GetPixel(4, 3), src.GetPixel(4, 3));
  // 24 and 16 bits drop the alpha
  CPicture p24, p16;
  ASSERT_TRUE(p24.ConvertFrom(back, 24));
  EXPECT_EQ(p24.GetPixel(3, 3), src.GetPixel(3, 3) & 0xFFFFFF);
  ASSERT_TRUE(p16.ConvertFrom(p24, 16));
  EXPECT_EQ(p16.GetPixel(5, 9), Via555(src.GetPixel(5, 9)));
  // too many colours for 4 bits: grey by brightness
  CPicture p4;
  ASSERT_TRUE(p4.ConvertFrom(src, 4));
  EXPECT_EQ(p4.GetColor(0, 0), 0xFF000000u);
  EXPECT_GT(p4.GetColor(15, 15) & 0xFF, 0x40u);
  // in place, keeping the colour key
  src.m_colorKey = 0xABCDEF;
  ASSERT_TRUE(src.ConvertFrom(src, 24));
  EXPECT_EQ(src.Bits(), 24);
  EXPECT_EQ(src.m_colorKey, 0xABCDEFu);
  CPicture empty;
  EXPECT_FALSE(p24.ConvertFrom(empty, 32));
  EXPECT_FALSE(p24.ConvertFrom(src, 7));
  EXPECT_EQ(p24.Bits(), 24);  // failures change nothing
}

TEST(Picture, ScaleAndCrop) {
  CPicture src;
  ASSERT_TRUE(src.Create(24, 4, 2, 0));
  for (int x = 0; x < 4; ++x) {
    src.SetPixel(x, 0, static_cast<uint32_t>(x * 0x40));
    src.SetPixel(x, 1, 0xFF0000);
  }
  CPicture big;
  ASSERT_TRUE(big.ScaleFrom(src, 8, 4, 0));  // nearest: every pixel twice
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(big.GetPixel(x, y), src.GetPixel(x / 2, y / 2));
  CPicture half;
  ASSERT_TRUE(half.ScaleFrom(src, 2, 1, kImgScaleSmooth));  // 2 x 2 averages
  EXPECT_EQ(half.GetPixel(0, 0), 0x800010u);
  EXPECT_EQ(half.GetPixel(1, 0), 0x800050u);
  CPicture same;
  ASSERT_TRUE(same.Create(32, 3, 3, 0xFF336699));
  ASSERT_TRUE(same.ScaleFrom(same, 7, 5, kImgScaleSmooth));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(same.GetPixel(x, y), 0xFF336699u);
  // transparent pixels do not darken their neighbours
  CPicture ta;
  ASSERT_TRUE(ta.Create(32, 2, 1, 0));
  ta.SetPixel(0, 0, 0xFFFFFFFF);
  ASSERT_TRUE(ta.ScaleFrom(ta, 1, 1, kImgScaleSmooth));
  EXPECT_EQ(ta.GetPixel(0, 0), 0x80FFFFFFu);

  CPicture crop;
  ASSERT_TRUE(crop.CropFrom(src, 2, -5, 10, 6));  // clipped to 2 x 1
  EXPECT_EQ(crop.Width(), 2);
  EXPECT_EQ(crop.Height(), 1);
  EXPECT_EQ(crop.GetPixel(1, 0), 0xC0u);
  EXPECT_FALSE(crop.CropFrom(src, 4, 0, 1, 1));
  CPicture mono;
  ASSERT_TRUE(mono.Create(1, 20, 2, 0));
  mono.SetPixel(13, 1, 1);
  ASSERT_TRUE(crop.CropFrom(mono, 11, 1, 5, 1));
  EXPECT_EQ(crop.GetPixel(2, 0), 1u);
  EXPECT_EQ(crop.GetPixel(1, 0), 0u);
}

TEST(Picture, CreateFromMask) {
  CPicture mask;
  ASSERT_TRUE(mask.Create(8, 3, 1, 0));  // grey palette: index = level
  mask.SetPixel(1, 0, 128);
  mask.SetPixel(2, 0, 255);
  CPicture p;
  ASSERT_TRUE(p.CreateFromMask(mask, 0x3C00FF, kImgMaskFromGrey));
  EXPECT_EQ(p.GetPixel(0, 0), 0x003C00FFu);
  EXPECT_EQ(p.GetPixel(1, 0), 0x803C00FFu);
  EXPECT_EQ(p.GetPixel(2, 0), 0xFF3C00FFu);
  // the palette's transparency as the mask, the colours kept
  mask.SetPaletteEntry(128, 0x00808080);
  ASSERT_TRUE(p.CreateFromMask(mask, kImgNoColorKey, 0));
  EXPECT_EQ(p.GetPixel(1, 0), 0x00808080u);
  EXPECT_EQ(p.GetPixel(2, 0), 0xFFFFFFFFu);
}

TEST(Picture, BitmapFontText) {
  // two glyphs: '!' 1 pixel wide, '#' 3 pixels wide, 2 rows
  const uint8_t font[] = {2, '!', 3, 0, 1, 0, 3, 0x80, 0x00, 0xA0, 0x40};
  CPicture p;
  ASSERT_TRUE(p.Create(24, 8, 3, 0));
  EXPECT_EQ(p.DrawString(0, 0, "!#"), 0);  // no font yet: nothing
  ASSERT_TRUE(p.SetFont(font, sizeof(font)));
  EXPECT_EQ(p.FontHeight(), 2);
  EXPECT_EQ(p.TextWidth("#!x#"), 7);
  p.SetTextColor(nullptr, 0xFF0000, 0);
  p.SetTextColor(nullptr, 0x0000FF, 1);
  EXPECT_EQ(p.DrawString(1, 1, "!#"), 4);
  const char* rows[] = {"........", ".rrbr...", ".bbrb..."};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) {
      uint32_t want = rows[y][x] == 'r' ? 0xFF0000u : rows[y][x] == 'b' ? 0x0000FFu : 0u;
      EXPECT_EQ(p.GetPixel(x, y), want) << x << "," << y;
    }
  EXPECT_FALSE(p.SetFont(font, sizeof(font) - 1));  // glyph bits missing
  EXPECT_EQ(ImgFontBlockSize(font, sizeof(font)), sizeof(font));
  ASSERT_TRUE(p.SetFont(nullptr, 0));
  EXPECT_EQ(p.DrawString(0, 0, "!"), 0);
}

TEST(Picture, BitmapFontTextAtTheEdgeOfTheIntRange) {
  const uint8_t font[] = {2, '!', 3, 0, 1, 0, 3, 0x80, 0x00, 0xA0, 0x40};
  CPicture p;
  ASSERT_TRUE(p.Create(24, 8, 3, 0));
  ASSERT_TRUE(p.SetFont(font, sizeof(font)));
  p.SetTextColor(nullptr, 0xFF0000, 0);
  p.SetTextColor(nullptr, 0x0000FF, 1);
  // the pen and the rows must not wrap round into the picture
  EXPECT_EQ(p.DrawString(INT_MAX - 1, 0, "##"), 6);
  EXPECT_EQ(p.DrawString(0, INT_MAX - 1, "#"), 3);
  EXPECT_EQ(p.DrawString(INT_MIN, INT_MIN, "#!#"), 7);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(p.GetPixel(x, y), 0u) << x << "," << y;
  // a glyph that starts left of the picture still shows its visible part
  EXPECT_EQ(p.DrawString(-2, 0, "#"), 3);
  EXPECT_EQ(p.GetPixel(0, 0), 0xFF0000u);
  EXPECT_EQ(p.GetPixel(0, 1), 0x0000FFu);
}

TEST(Picture, ColorDistanceIsEuclidean) {
  EXPECT_EQ(ImgColorDistance(0x000000, 0x000000), 0);
  EXPECT_EQ(ImgColorDistance(0x000000, 0xFFFFFF), 441);
  EXPECT_EQ(ImgColorDistance(0x102030, 0x132430), 5);   // 3-4-0
  EXPECT_EQ(ImgColorDistance(0xFFFFFF, 0xFEFEFE), 1);   // sqrt 3
  EXPECT_EQ(ImgColorDistance(0xFF000000, 0x00000000), 0);  // alpha is not colour
  EXPECT_EQ(ImgColorDistance(0x7D0000, 0x000000), 125);
}
