// GIF, TIFF and EPS: decoding checked against their makers' decode, cut
// and hostile input, and what the writers make read back.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "image/formats/gifcodec.h"
#include "image/formats/lzw.h"
#include "image/formats/tiffcodec.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "tests/image/fixtures.h"
#include "tests/support/testenv.h"

using imgtest::FixturePath;
using imgtest::ReadFixture;

namespace {

typedef std::vector<unsigned char> Bytes;

std::vector<std::string> FormatFixtures() {
  std::vector<std::string> names;
  std::ifstream in(FixturePath("formats.txt"));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

// Worst channel difference to the maker's RGBA; pixels of alpha 0 compare
// by alpha alone. -1 when the sizes differ.
int WorstDifference(const CPicture& pic, const std::string& file) {
  std::string stem = file.substr(0, file.rfind('.'));
  int w = 0, h = 0;
  std::ifstream(FixturePath(stem + ".size")) >> w >> h;
  Bytes ref = ReadFixture(stem + ".raw");
  if (pic.Width() != w || pic.Height() != h || ref.size() != static_cast<size_t>(w) * h * 4) return -1;
  int worst = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = pic.GetColor(x, y);
      const unsigned char* r = &ref[(static_cast<size_t>(y) * w + x) * 4];
      int got[4] = {static_cast<int>(c >> 16 & 0xFF), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF),
                    static_cast<int>(c >> 24)};
      for (int k = (r[3] == 0 && got[3] == 0) ? 3 : 0; k < 4; ++k) worst = std::max(worst, std::abs(got[k] - r[k]));
    }
  return worst;
}

void Sentinel(CPicture& p) { ASSERT_TRUE(p.Create(24, 3, 3, 0x123456)); }
bool IsSentinel(const CPicture& p) { return p.Width() == 3 && p.Bits() == 24 && p.GetPixel(2, 2) == 0x123456u; }

bool SamePixels(const CPicture& a, const CPicture& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.GetColor(x, y) != b.GetColor(x, y)) return false;
  return true;
}

}  // namespace

TEST(ImageFormats, MatchTheirMakersDecode) {
  std::vector<std::string> files = FormatFixtures();
  ASSERT_GE(files.size(), 40u) << "fixtures missing in " << imgtest::FixtureDir();
  const std::map<std::string, int> depth = {
      {"gif_mono.gif", 1},   {"gif_table8.gif", 4},   {"gif_pal.gif", 8},       {"tif_mono.tif", 1},
      {"tif_grey4.tif", 4},  {"tif_grey16.tif", 8},   {"tif_palette.tif", 8},   {"tif_palette4.tif", 4},
      {"tif_rgb16.tif", 24}, {"tif_rgba16.tif", 32},  {"tif_greyalpha.tif", 32}, {"eps_pillow_grey.eps", 8},
      {"tif_mono_miniswhite.tif", 1}};
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    Bytes data = ReadFixture(f);
    CPicture pic;
    ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), pic, 0), 0);
    auto d = depth.find(f);
    if (d != depth.end()) {
      EXPECT_EQ(pic.Bits(), d->second);
    }
    const bool jpeg = f.find("jpeg") != std::string::npos, deep = f.find("16") != std::string::npos;
    const int worst = WorstDifference(pic, f);
    EXPECT_GE(worst, 0) << "size differs";
    EXPECT_LE(worst, jpeg ? 4 : deep ? 1 : 0);
  }
}

// Cut anywhere: refused with -1 or -2 and the picture unchanged, or, cut
// behind the picture data, the same picture.
TEST(ImageFormats, CutFilesAreRefusedOrWhole) {
  for (const std::string& f : FormatFixtures()) {
    SCOPED_TRACE(f);
    Bytes data = ReadFixture(f);
    CPicture whole;
    ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), whole, 0), 0);
    const size_t step = data.size() > 20000 ? 7 : 1;
    for (size_t cut = 0; cut < data.size(); cut += step) {
      Bytes part(data.begin(), data.begin() + cut);
      CPicture pic;
      Sentinel(pic);
      int rc = ImgLoadMemory(part.data(), part.size(), pic, 0);
      if (rc == 0) {
        ASSERT_TRUE(SamePixels(pic, whole)) << "cut at " << cut;
        ASSERT_GT(cut, data.size() / 2);
      } else {
        ASSERT_TRUE(rc == -1 || rc == -2) << rc << " cut at " << cut;
        ASSERT_TRUE(IsSentinel(pic)) << "cut at " << cut;
      }
    }
  }
}
