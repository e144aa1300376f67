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

namespace {

void LoadFixture(const char* file, CPicture& pic) {
  ASSERT_EQ(Decode(CodecOf(file), Read(file), pic), 0) << file;
}

// What a format keeps of a picture's pixels, as RGBA: "alpha" 0 drops
// alpha, 1 keeps it where it varies, 2 keeps it as transparent below half.
Bytes Kept(const CPicture& pic, int alpha) {
  Bytes out;
  const bool varies = pic.GetAlphaUsage() == 2;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) {
      const uint32_t c = pic.GetColor(x, y);
      uint32_t a = c >> 24;
      if (!varies || alpha == 0) a = 255;
      else if (alpha == 2) a = a < 128 ? 0 : 255;
      const unsigned char px[4] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                   static_cast<unsigned char>(c), static_cast<unsigned char>(a)};
      out.insert(out.end(), px, px + 4);
    }
  return out;
}

}  // namespace

// Each writer at each depth, with and without alpha and comment, odd sides
// and 1 x 1: read back here, and left in out/ with the pixels and comment
// meant, for make_fixtures_raster.py --check (ImageMagick and Pillow).
TEST(RasterWrite, WrittenFilesReadBackTheSame) {
  struct Source {
    const char* name;
    CPicture pic;
  } src[12] = {{"pal1"}, {"pal2"}, {"pal4"}, {"pal8"}, {"pal8a"}, {"rgb16"}, {"rgb24"}, {"rgba"}, {"rgbx"}, {"one"}, {"grey"}, {"bw"}};
  LoadFixture("bmp_pal1.bmp", src[0].pic);
  ASSERT_TRUE(src[1].pic.Create(2, 13, 7));
  const uint32_t four[4] = {0xFF102030u, 0xFFE0C000u, 0xFF00A0FFu, 0xFFFFFFFFu};
  src[1].pic.SetPalette(four, 4);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) src[1].pic.SetPixel(x, y, static_cast<uint32_t>(x + y) & 3);
  LoadFixture("bmp_pal4.bmp", src[2].pic);
  LoadFixture("bmp_pal8.bmp", src[3].pic);
  LoadFixture("xpm_alpha.xpm", src[4].pic);
  LoadFixture("bmp_rgb24.bmp", src[6].pic);
  ASSERT_TRUE(src[5].pic.ConvertFrom(src[6].pic, 16));
  LoadFixture("bmp_rgba.bmp", src[7].pic);
  ASSERT_TRUE(src[8].pic.ConvertFrom(src[6].pic, 32));
  ASSERT_TRUE(src[9].pic.Create(24, 1, 1, 0x3366CC));
  LoadFixture("pnm_p5.pgm", src[10].pic);
  LoadFixture("pnm_p4.pbm", src[11].pic);
  ASSERT_EQ(src[4].pic.Bits(), 8);
  ASSERT_EQ(src[4].pic.GetAlphaUsage(), 2);
  ASSERT_EQ(src[7].pic.GetAlphaUsage(), 2);
  ASSERT_EQ(src[8].pic.GetAlphaUsage(), 1);

  const char* comment = "Karte GMREF: 47.3769 8.5417";
  int made = 0;
  auto save = [&](const std::string& name, const char* ext, const CPicture& pic, const char* text,
                  const std::function<void(ImgBuffer&)>& encode, const Bytes& want) {
    SCOPED_TRACE(name);
    ImgBuffer buf;
    ASSERT_NO_THROW(encode(buf));
    const std::string file = name + "." + ext;
    const Bytes data(buf.data, buf.data + buf.size);
    CPicture back;  // our reader first
    ASSERT_EQ(Decode(CodecOf(file), data, back), 0);
    ASSERT_EQ(back.Width(), pic.Width());
    ASSERT_EQ(back.Height(), pic.Height());
    // 5-bit samples widen by rounding here, by repeating bits in CPicture
    EXPECT_LE(WorstDifference(back, want), pic.Bits() == 16 ? 1 : 0);
    ASSERT_TRUE(orvtest::WriteFile(FxPath("out/" + file), data.data(), data.size()));
    ASSERT_TRUE(orvtest::WriteFile(FxPath("out/" + name + ".rgba"), want.data(), want.size()));
    const std::string size = std::to_string(pic.Width()) + " " + std::to_string(pic.Height()) + "\n";
    ASSERT_TRUE(orvtest::WriteFile(FxPath("out/" + name + ".size"), size.data(), size.size()));
    ASSERT_TRUE(orvtest::WriteFile(FxPath("out/" + name + ".comment"), text ? text : "", text ? std::strlen(text) : 0));
    ++made;
  };
  for (int i = 0; i < 12; ++i) {
    const CPicture& pic = src[i].pic;
    const std::string n = src[i].name;
    const char* text = i % 2 ? comment : nullptr;
    save("bmp_" + n, "bmp", pic, text, [&](ImgBuffer& b) { CBmpWriter w; w.m_comment = text; w.Encode(pic, b); },
         Kept(pic, pic.Bits() == 32 ? 1 : 0));
    save("ico_" + n, "ico", pic, nullptr, [&](ImgBuffer& b) { CIcoWriter w; w.Encode(pic, b); },
         Kept(pic, pic.Bits() == 32 ? 1 : 2));
    save("pnm_" + n, "ppm", pic, text, [&](ImgBuffer& b) { CPnmWriter w; w.m_comment = text; w.Encode(pic, b); }, Kept(pic, 0));
    save("xpm_" + n, "xpm", pic, text, [&](ImgBuffer& b) { CXpmWriter w; w.m_comment = text; w.Encode(pic, b); }, Kept(pic, 2));
    save("xwd_" + n, "xwd", pic, text, [&](ImgBuffer& b) { CXwdWriter w; w.m_comment = text; w.Encode(pic, b); }, Kept(pic, 0));
  }
  // the kinds of PNM asked for, a comment of two lines, a cursor, a PNG entry
  const char* lines = "Karte\nGMREF: 47.3769 8.5417";
  save("pnm_kind_b", "pbm", src[11].pic, lines, [&](ImgBuffer& b) { CPnmWriter w; w.m_comment = lines; w.m_kind = 'b'; w.Encode(src[11].pic, b); },
       Kept(src[11].pic, 0));
  save("pnm_kind_g", "pgm", src[10].pic, nullptr, [&](ImgBuffer& b) { CPnmWriter w; w.m_kind = 'g'; w.Encode(src[10].pic, b); },
       Kept(src[10].pic, 0));
  save("cur_rgba", "cur", src[7].pic, nullptr, [&](ImgBuffer& b) { CIcoWriter w; w.m_cursor = true; w.Encode(src[7].pic, b); },
       Kept(src[7].pic, 1));
  CPicture big;
  LoadFixture("ico_png256.ico", big);
  save("ico_png256", "ico", big, nullptr, [&](ImgBuffer& b) { CIcoWriter w; w.Encode(big, b); }, Kept(big, 1));
  EXPECT_EQ(made, 64);
}
