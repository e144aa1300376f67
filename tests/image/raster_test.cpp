// BMP, ICO/CUR, PNM, XPM and XWD: decoding checked against the makers'
// decodes (make_fixtures_raster.py), cut and hostile input, and written
// files left for the script's check with ImageMagick and Pillow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "image/formats/bmpcodec.h"
#include "image/formats/icocodec.h"
#include "image/formats/pnmcodec.h"
#include "image/formats/xpmcodec.h"
#include "image/formats/xwdcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "tests/support/testenv.h"

namespace {

typedef std::vector<unsigned char> Bytes;

std::string FxPath(const std::string& name) {
  return orvtest::JoinPath(orvtest::JoinPath(orvtest::BinaryDir(), "image-raster-fixtures"), name);
}
Bytes Read(const std::string& name) {
  Bytes b;
  orvtest::ReadFile(FxPath(name), b);
  return b;
}
std::vector<std::string> Fixtures() {
  std::vector<std::string> names;
  std::ifstream in(FxPath("list.txt"));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

struct Codec {
  const char* ext;
  bool (*is)(const uint8_t*, size_t);
  void (*decode)(const uint8_t*, size_t, CPicture&);
};
const Codec kCodecs[] = {{"bmp", ImgIsBmp, ImgDecodeBmp}, {"ico", ImgIsIco, ImgDecodeIco}, {"cur", ImgIsIco, ImgDecodeIco},
                         {"pbm", ImgIsPnm, ImgDecodePnm}, {"pgm", ImgIsPnm, ImgDecodePnm}, {"ppm", ImgIsPnm, ImgDecodePnm},
                         {"xpm", ImgIsXpm, ImgDecodeXpm}, {"xwd", ImgIsXwd, ImgDecodeXwd}};
const Codec& CodecOf(const std::string& file) {
  const std::string ext = file.substr(file.rfind('.') + 1);
  for (const Codec& c : kCodecs)
    if (ext == c.ext) return c;
  ADD_FAILURE() << "no codec for " << file;
  return kCodecs[0];
}

// Decodes, returning the exception's code (0 when it decoded).
int Decode(const Codec& c, const Bytes& d, CPicture& pic) {
  try {
    c.decode(d.data(), d.size(), pic);
    return 0;
  } catch (const EGraphicsException& e) {
    return e.Code();
  }
}

void MakeSentinel(CPicture& p) { ASSERT_TRUE(p.Create(24, 3, 3, 0x123456)); }
bool IsSentinel(const CPicture& p) { return p.Width() == 3 && p.Bits() == 24 && p.GetPixel(2, 2) == 0x123456u; }

// Largest channel difference from an RGBA dump; pixels transparent in both
// compare by alpha alone.
int WorstDifference(const CPicture& pic, const Bytes& rgba) {
  int worst = 0;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) {
      const uint32_t c = pic.GetColor(x, y);
      const unsigned char* r = &rgba[(static_cast<size_t>(y) * pic.Width() + x) * 4];
      const int got[4] = {static_cast<int>(c >> 16 & 255), static_cast<int>(c >> 8 & 255), static_cast<int>(c & 255),
                          static_cast<int>(c >> 24)};
      for (int k = (got[3] == 0 && r[3] == 0) ? 3 : 0; k < 4; ++k) worst = std::max(worst, std::abs(got[k] - r[k]));
    }
  return worst;
}

bool SamePicture(const CPicture& a, const CPicture& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Bits() != b.Bits()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.GetColor(x, y) != b.GetColor(x, y)) return false;
  return true;
}

}  // namespace

TEST(RasterDecode, MatchesTheMakersDecode) {
  const std::vector<std::string> files = Fixtures();
  ASSERT_GE(files.size(), 50u) << "fixtures missing in " << FxPath("");
  const struct {
    const char* file;
    int bits;
  } kDepth[] = {{"bmp_pal1.bmp", 1},  {"bmp_pal4.bmp", 4},  {"bmp_rle4.bmp", 4},      {"bmp_rle8.bmp", 8},
                {"bmp_rgb24.bmp", 24}, {"bmp_rgba.bmp", 32}, {"bmp_rgb32.bmp", 24},    {"bmp_565.bmp", 24},
                {"ico_pal1.ico", 32}, {"cur_pal8.cur", 8},  {"pnm_p1.pbm", 1},        {"pnm_p5_16.pgm", 8},
                {"pnm_p6.ppm", 24},    {"xpm_pal.xpm", 8},   {"xpm_names.xpm", 4},     {"xwd_xvfb8.xwd", 8},
                {"xwd_xvfb16.xwd", 24}, {"xwd_pal_le.xwd", 8}};
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    const Bytes data = Read(f);
    const Codec& codec = CodecOf(f);
    for (const Codec& other : kCodecs)  // told apart by content
      EXPECT_EQ(other.is(data.data(), data.size()), other.decode == codec.decode) << other.ext;
    const std::string stem = f.substr(0, f.rfind('.'));
    int w = 0, h = 0;
    std::ifstream(FxPath(stem + ".size")) >> w >> h;
    const Bytes want = Read(stem + ".raw");
    CPicture pic;
    ASSERT_EQ(Decode(codec, data, pic), 0);
    ASSERT_EQ(pic.Width(), w);
    ASSERT_EQ(pic.Height(), h);
    ASSERT_EQ(want.size(), static_cast<size_t>(w) * h * 4);
    for (const auto& d : kDepth) {
      if (f == d.file) {
        EXPECT_EQ(pic.Bits(), d.bits);
      }
    }
    // samples of other than 8 bits (5-bit fields, PNM maximum values, the
    // 16-bit colours of XPM and XWD colour maps) may round apart by one
    const bool scaled = f.find("16") != std::string::npos || f.find("1000") != std::string::npos ||
                        f.find("bmp_5") != std::string::npos || f.compare(0, 3, "xpm") == 0 || f.compare(0, 3, "xwd") == 0;
    EXPECT_LE(WorstDifference(pic, want), scaled ? 1 : 0);
  }
}

TEST(RasterDecode, CutFilesAreRefusedOrWhole) {
  for (const std::string& f : Fixtures()) {
    SCOPED_TRACE(f);
    const Bytes data = Read(f);
    const Codec& codec = CodecOf(f);
    CPicture whole;
    ASSERT_EQ(Decode(codec, data, whole), 0);
    // every cut up to the last few bytes (an end marker, a closing "};")
    // is refused with the picture left alone; later ones may stand whole,
    // or in plain PNM with the last number shortened
    const bool plain = data.size() > 1 && data[0] == 'P' && data[1] >= '1' && data[1] <= '3';
    for (size_t n = 0; n < data.size(); ++n) {
      Bytes cut(data.begin(), data.begin() + n);
      CPicture pic;
      MakeSentinel(pic);
      const int code = Decode(codec, cut, pic);
      if (code == 0 && n + 8 > data.size() && (plain || SamePicture(pic, whole))) continue;
      ASSERT_TRUE(code == -1 || code == -2) << "cut at " << n << ": " << code;
      ASSERT_TRUE(IsSentinel(pic)) << "cut at " << n;
    }
  }
}
