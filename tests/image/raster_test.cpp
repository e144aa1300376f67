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
                {"xwd_xvfb16.xwd", 24}, {"xwd_pal_le.xwd", 8}, {"xwd_xy1.xwd", 1}};
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
    CPicture pic, loaded;
    ASSERT_EQ(Decode(codec, data, pic), 0);
    ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), loaded), 0);  // the loader picks the same reader
    EXPECT_TRUE(SamePicture(pic, loaded));
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
  } src[13] = {{"pal1"}, {"pal2"}, {"pal4"}, {"pal8"}, {"pal8a"}, {"rgb16"}, {"rgb24"},
               {"rgba"}, {"rgbx"}, {"one"},  {"grey"}, {"bw"},  {"many"}};
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
  ASSERT_TRUE(src[12].pic.Create(24, 101, 99));  // 9999 colours: three characters per XPM pixel
  for (int y = 0; y < 99; ++y)
    for (int x = 0; x < 101; ++x) src[12].pic.SetPixel(x, y, static_cast<uint32_t>(y * 101 + x) * 1663u & 0xFFFFFF);
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
  for (int i = 0; i < 13; ++i) {
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
  EXPECT_EQ(made, 69);
}

namespace {

void Le(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Be(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<unsigned char>(v >> s));
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A BMP file header and 40-byte info header (hsize other than 40: zeros
// after the first 40 bytes), with pixel offset right after it and the palette.
Bytes BmpHead(int32_t w, int32_t h, int bits, uint32_t comp, uint32_t colours, uint32_t hsize = 40, uint32_t palette = 0) {
  Bytes b = {'B', 'M'};
  Le(b, 0, 4), Le(b, 0, 4), Le(b, 14 + hsize + 4 * palette, 4);
  Le(b, hsize, 4), Le(b, static_cast<uint32_t>(w), 4), Le(b, static_cast<uint32_t>(h), 4), Le(b, 1, 2), Le(b, bits, 2);
  Le(b, comp, 4), Le(b, 0, 4), Le(b, 0, 4), Le(b, 0, 4), Le(b, colours, 4), Le(b, 0, 4);
  b.resize(14 + hsize, 0);
  for (uint32_t i = 0; i < palette; ++i) Le(b, 0x00FFFFFF, 4);
  return b;
}

// An XWD header (big-endian, no window name) with the fields given.
Bytes XwdHead(uint32_t format, uint32_t depth, uint32_t w, uint32_t h, uint32_t bpp, uint32_t line, uint32_t cls,
              uint32_t colours) {
  const uint32_t f[25] = {100, 7, format, depth, w, h, 0, 1, 32, 1, 32, bpp, line, cls, 0xFF0000, 0xFF00, 0xFF,
                          8, colours, colours, w, h, 0, 0, 0};
  Bytes b;
  for (uint32_t v : f) Be(b, v);
  return b;
}

}  // namespace

TEST(RasterDecode, HostileInputIsRefusedWithItsCode) {
  Bytes rle = BmpHead(4, 4, 8, 1, 2, 40, 2);
  for (unsigned char c : {2, 7, 0, 2, 10, 0, 0, 1}) rle.push_back(c);  // a run, then a delta out to x 12
  Bytes rleDown = BmpHead(4, 4, 8, 1, 2, 40, 2);
  for (unsigned char c : {0, 2, 0, 5, 0, 1}) rleDown.push_back(c);  // five rows up of four
  Bytes icoPast = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
  Le(icoPast, 40, 4), Le(icoPast, 4000, 4);
  Bytes icoHuge = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
  Le(icoHuge, 0xFFFFFFF0u, 4), Le(icoHuge, 22, 4);
  icoHuge.resize(80, 0);
  Bytes icoPng = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};  // a PNG entry of 2^32-1 x 2^32-1
  Le(icoPng, 33, 4), Le(icoPng, 22, 4);
  for (char c : std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)) icoPng.push_back(static_cast<unsigned char>(c));
  for (int i = 0; i < 8; ++i) icoPng.push_back(0xFF);
  for (int i = 0; i < 9; ++i) icoPng.push_back(8);
  Bytes xwdMap = XwdHead(2, 8, 4, 4, 8, 4, 3, 0x10000000);
  xwdMap.resize(200, 0);
  Bytes tiny = BmpHead(8000, 8000, 24, 0, 0);
  tiny.resize(tiny.size() + 64, 0);
  const struct {
    const char* what;
    const Codec& codec;
    Bytes data;
    int code;
  } cases[] = {
      {"BMP wider than the limit", kCodecs[0], BmpHead(40000, 1, 24, 0, 0), -3},
      {"BMP of too many pixels", kCodecs[0], BmpHead(20000, 20000, 24, 0, 0), -3},
      {"BMP top-down of -2^31 rows", kCodecs[0], BmpHead(1, INT32_MIN, 24, 0, 0), -3},
      {"BMP sides the data cannot hold", kCodecs[0], tiny, -1},
      {"BMP RLE delta past the row", kCodecs[0], rle, -1},
      {"BMP RLE delta past the last row", kCodecs[0], rleDown, -1},
      {"BMP top-down RLE", kCodecs[0], BmpHead(4, -4, 8, 1, 2, 40, 2), -1},
      {"BMP palette longer than 256", kCodecs[0], BmpHead(4, 4, 8, 0, 0xFFFFFFFF), -1},
      {"BMP bit fields at 24 bits", kCodecs[0], BmpHead(4, 4, 24, 3, 0), -1},
      {"BMP embedded JPEG", kCodecs[0], BmpHead(4, 4, 24, 4, 0), -2},
      {"BMP embedded PNG", kCodecs[0], BmpHead(4, 4, 24, 5, 0), -2},
      {"OS/2 Huffman", kCodecs[0], BmpHead(4, 4, 1, 3, 0, 64), -2},
      {"OS/2 RLE24", kCodecs[0], BmpHead(4, 4, 24, 4, 0, 64), -2},
      {"ICO entry past the data", kCodecs[1], icoPast, -1},
      {"ICO entry size wrapping the offset", kCodecs[1], icoHuge, -1},
      {"ICO PNG entry of huge sides", kCodecs[1], icoPng, -1},
      {"ICO directory longer than the data", kCodecs[1], Bytes{0, 0, 1, 0, 0xE8, 3, 0, 0, 0, 0}, -2},
      {"PNM wider than the limit", kCodecs[5], Text("P6 100000 1 255\n"), -3},
      {"PNM sides the data cannot hold", kCodecs[5], Text("P5 8000 8000 255\nabc"), -1},
      {"PNM sample above the maximum", kCodecs[5], Text("P2 2 1 3\n1 4\n"), -1},
      {"PNM raw sample above the maximum", kCodecs[5], Text("P5 2 1 3\n\x01\x04"), -1},
      {"PNM maximum 0", kCodecs[5], Text("P5 1 1 0\n\x00"), -1},
      {"PNM maximum past 65535", kCodecs[5], Text("P5 1 1 65536\n\x00\x00"), -1},
      {"XPM of 9 characters per pixel", kCodecs[6], Text("/* XPM */\n\"1 1 1 9\",\n\"aaaaaaaaa c red\",\n\"aaaaaaaaa\"\n"), -2},
      {"XPM pixel of no colour", kCodecs[6], Text("/* XPM */\n\"2 1 1 1\",\n\"a c red\",\n\"ab\"\n"), -1},
      {"XPM unknown colour name", kCodecs[6], Text("/* XPM */\n\"1 1 1 1\",\n\"a c reddish\",\n\"a\"\n"), -1},
      {"XPM colour count past the data", kCodecs[6], Text("/* XPM */\n\"1 1 99999999 1\",\n\"a c red\",\n\"a\"\n"), -1},
      {"XPM sides the data cannot hold", kCodecs[6], Text("/* XPM */\n\"8000 8000 1 8\",\n\"aaaaaaaa c red\",\n"), -1},
      {"XWD XYPixmap of 8 planes", kCodecs[7], XwdHead(1, 8, 4, 4, 8, 4, 3, 0), -2},
      {"XWD colour map past the data", kCodecs[7], xwdMap, -1},
      {"XWD line shorter than its pixels", kCodecs[7], XwdHead(2, 24, 4, 4, 32, 15, 4, 0), -1},
      {"XWD of too many pixels", kCodecs[7], XwdHead(2, 24, 30000, 30000, 32, 120000, 4, 0), -3},
  };
  for (const auto& c : cases) {
    CPicture pic;
    MakeSentinel(pic);
    EXPECT_EQ(Decode(c.codec, c.data, pic), c.code) << c.what;
    EXPECT_TRUE(IsSentinel(pic)) << c.what;
  }
}

TEST(RasterDecode, IndicesPastThePaletteAreOpaqueBlack) {
  Bytes bmp = BmpHead(2, 1, 8, 0, 2, 40, 2);  // two entries, white
  for (unsigned char c : {1, 200, 0, 0}) bmp.push_back(c);
  Bytes xwd = XwdHead(2, 8, 2, 1, 8, 4, 3, 1);
  for (uint32_t v : {1u, 0xFFFFFFFFu, 0xFFFF0000u}) Be(xwd, v);  // pixel 1: white
  for (unsigned char c : {1, 200, 0, 0}) xwd.push_back(c);
  for (const Bytes* d : {&bmp, &xwd}) {
    CPicture pic;
    ASSERT_EQ(Decode(d == &bmp ? kCodecs[0] : kCodecs[7], *d, pic), 0);
    EXPECT_EQ(pic.GetColor(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pic.GetColor(1, 0), 0xFF000000u);
  }
}

TEST(RasterDecode, DeepBmpPassesOverAColourCountPastTheData) {
  Bytes bmp = BmpHead(2, 1, 24, 0, 0x00FFFFFF);  // the pixels follow the header
  for (unsigned char c : {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0}) bmp.push_back(c);
  CPicture pic;
  ASSERT_EQ(Decode(kCodecs[0], bmp, pic), 0);
  EXPECT_EQ(pic.GetColor(1, 0), 0xFF605040u);
}

// Saving by name picks the format from the extension, in any case.
TEST(RasterWrite, ExtensionsChooseTheFormat) {
  CPicture pic;
  ASSERT_TRUE(pic.Create(24, 5, 3, 0x3366CC));
  const struct {
    const char* name;
    bool (*is)(const uint8_t*, size_t);
    const char* head;
    size_t len;
  } kNames[] = {{"a.bmp", ImgIsBmp, "BM", 2},  {"a.DIB", ImgIsBmp, "BM", 2},  {"a.ico", ImgIsIco, "\0\0\1", 4},
                {"a.Cur", ImgIsIco, "\0\0\2", 4}, {"a.pbm", ImgIsPnm, "P4", 2}, {"a.pgm", ImgIsPnm, "P5", 2},
                {"a.ppm", ImgIsPnm, "P6", 2},  {"a.pnm", ImgIsPnm, "P6", 2},  {"a.xpm", ImgIsXpm, "/* XPM */", 9},
                {"a.xwd", ImgIsXwd, "", 0}};
  for (const auto& n : kNames) {
    SCOPED_TRACE(n.name);
    const std::string file = FxPath(std::string("out/ext_") + n.name);
    ASSERT_EQ(ImgSaveFile(file.c_str(), pic), 0);
    Bytes data;
    ASSERT_TRUE(orvtest::ReadFile(file, data));
    EXPECT_TRUE(n.is(data.data(), data.size()));
    ASSERT_GE(data.size(), n.len);
    EXPECT_EQ(0, std::memcmp(data.data(), n.head, n.len));
    CPicture back;
    ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), back), 0);
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Height(), 3);
  }
}
