// GIF, TIFF and EPS: decoding checked against their makers' decode, cut
// and hostile input, and what the writers make read back.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cctype>
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
      {"tif_mono_miniswhite.tif", 1}, {"tif_grey2.tif", 2}, {"tif_grey6_deep.tif", 8}, {"tif_fill2_grey2.tif", 2},
      {"tif_fill2_grey4.tif", 4}, {"tif_palette_alpha.tif", 32}, {"gif_codesize11.gif", 8}};
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    Bytes data = ReadFixture(f);
    CPicture pic;
    const int rc = ImgLoadMemory(data.data(), data.size(), pic, 0);
    EXPECT_EQ(rc, 0);
    if (rc != 0) continue;
    auto d = depth.find(f);
    if (d != depth.end()) {
      EXPECT_EQ(pic.Bits(), d->second);
    }
    // 16-bit samples may round apart by one (ImageMagick rounds, Pillow and we cut)
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

// ---------------------------------------------------------------- writing

namespace {

struct Sample {
  const char* name;
  CPicture pic;
  int colours;  // distinct colours, 0 = many
};

void Fill(CPicture& p, int bits, int w, int h, bool alpha, int colours) {
  ASSERT_TRUE(p.Create(32, w, h, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t a = alpha ? static_cast<uint32_t>(x * 255 / (w > 1 ? w - 1 : 1)) : 255u;
      uint32_t c = colours ? static_cast<uint32_t>((x * 7 + y * 3) % colours) * 0x010305u + 0x102030u
                           : static_cast<uint32_t>(x * 255 / w) << 16 | static_cast<uint32_t>(y * 255 / h) << 8 | 0x40;
      p.SetPixel(x, y, a << 24 | (c & 0xFFFFFF));
    }
  if (bits != 32) {
    ASSERT_TRUE(p.ConvertFrom(p, bits));
  }
}

// What a format keeps of a colour: GIF alpha as transparent or opaque, EPS none.
uint32_t Kept(const std::string& ext, const CPicture& p, uint32_t c) {
  if (p.GetAlphaUsage() != 2 || ext == "eps") return c | 0xFF000000u;
  if (ext == "gif") return (c >> 24) < 128 ? 0 : c | 0xFF000000u;
  return c;
}

// Leaves for make_fixtures.py --check the pixels, size and comment that
// other readers must find in out/STEM.*.
void DumpForCheck(const std::string& stem, const CPicture& p, const Bytes& rgba, const char* comment) {
  orvtest::WriteFile(FixturePath("out/" + stem + ".rgba"), rgba.data(), rgba.size());
  std::string size = std::to_string(p.Width()) + " " + std::to_string(p.Height()) + "\n";
  orvtest::WriteFile(FixturePath("out/" + stem + ".size"), size.data(), size.size());
  orvtest::WriteFile(FixturePath("out/" + stem + ".comment"), comment, std::strlen(comment));
}

}  // namespace

// Every depth, with and without alpha and comment, 1 x 1 and odd widths:
// our reader gets back what was saved (GIF with many colours: near), and
// make_fixtures.py --check has ImageMagick, Pillow and Ghostscript read the
// same from the files.
TEST(ImageFormats, WrittenFilesReadBack) {
  Sample s[10] = {{"rgba", {}, 0}, {"rgb_many", {}, 0}, {"rgb_200", {}, 200}, {"rgba_100", {}, 100},
                  {"x555", {}, 0}, {"pal8", {}, 0},     {"pal4", {}, 0},      {"mono", {}, 0},
                  {"one", {}, 0},  {"grey", {}, 0}};
  Fill(s[0].pic, 32, 40, 30, true, 0);
  Fill(s[1].pic, 24, 41, 29, false, 0);
  Fill(s[2].pic, 24, 37, 23, false, 200);
  Fill(s[3].pic, 32, 33, 17, true, 100);
  Fill(s[4].pic, 16, 21, 9, false, 0);
  Fill(s[5].pic, 8, 19, 11, false, 150);
  s[5].pic.SetPaletteEntry(5, 0x00FFFFFFu);  // one transparent entry
  Fill(s[6].pic, 4, 13, 7, false, 12);
  Fill(s[7].pic, 1, 13, 7, false, 2);
  Fill(s[8].pic, 24, 1, 1, false, 1);
  ASSERT_TRUE(s[9].pic.Create(8, 23, 5, 0));
  s[9].pic.SetGreyPalette();
  for (int x = 0; x < 23; ++x) s[9].pic.SetPixel(x, x % 5, static_cast<uint32_t>(x * 11));
  for (const char* ext : {"gif", "tif", "eps"})
    for (Sample& sample : s) {
      const CPicture& p = sample.pic;
      std::string stem = std::string(ext) + "_" + sample.name;
      SCOPED_TRACE(stem);
      const char* comment = sample.colours ? "" : "GMREF:11.250000,48.922500,0.000021,-0.000014,9";
      std::string file = FixturePath("out/" + stem + "." + ext);
      ASSERT_EQ(ImgSaveFile(file.c_str(), p, comment), 0);
      Bytes data;
      ASSERT_TRUE(orvtest::ReadFile(file, data));
      CPicture back;
      ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), back, 0), 0);
      ASSERT_EQ(back.Width(), p.Width());
      ASSERT_EQ(back.Height(), p.Height());
      const bool approx = std::string(ext) == "gif" && p.Bits() > 8 && !sample.colours && p.Width() > 1;
      long long sum = 0;
      int worst = 0;
      Bytes rgba;
      for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
          uint32_t want = Kept(ext, p, p.GetColor(x, y)), got = back.GetColor(x, y);
          if (!approx && (want >> 24) == 0) {
            ASSERT_EQ(got >> 24, 0u) << x << "," << y;
          } else if (!approx) {
            ASSERT_EQ(got, want) << x << "," << y;
          }
          for (int k = 0; k < 32; k += 8) {
            int e = std::abs(static_cast<int>((got >> k) & 0xFF) - static_cast<int>((want >> k) & 0xFF));
            sum += e;
            worst = std::max(worst, e);
          }
          for (int k : {16, 8, 0, 24}) rgba.push_back(static_cast<unsigned char>(got >> k));
        }
      if (approx) {
        EXPECT_LE(sum / (p.Width() * p.Height() * 4.0), 3.0);
        EXPECT_LE(worst, 40);
      }
      DumpForCheck(stem, p, rgba, comment);
    }
}

// Rows wider than a PostScript string are read in equal parts (Ghostscript
// renders it in make_fixtures.py --check).
TEST(ImageFormats, WideEpsRowsInParts) {
  CPicture p;
  ASSERT_TRUE(p.Create(24, 30000, 2, 0xFF8000));
  Bytes rgba;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 30000; ++x) {
      if (y == 0) p.SetPixel(x, 0, static_cast<uint32_t>(x) * 37u);
      uint32_t c = p.GetPixel(x, y);
      for (int k : {16, 8, 0}) rgba.push_back(static_cast<unsigned char>(c >> k));
      rgba.push_back(255);
    }
  ASSERT_EQ(ImgSaveFile(FixturePath("out/eps_wide.eps").c_str(), p, "breit"), 0);
  DumpForCheck("eps_wide", p, rgba, "breit");
}

// Larger than the file's buffer: the TIFF header is patched on disk.
TEST(ImageFormats, LargeTiffIsPatchedInTheFile) {
  CPicture p;
  ASSERT_TRUE(p.Create(24, 300, 301, 0));
  uint32_t v = 99;
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) p.SetPixel(x, y, (v = v * 1103515245u + 12345u) >> 8);
  std::string file = orvtest::MakeTempDir("tiffbig") + "/noise.TIFF";
  ASSERT_EQ(ImgSaveFile(file.c_str(), p, "noise"), 0);
  Bytes data;
  ASSERT_TRUE(orvtest::ReadFile(file, data));
  ASSERT_GT(data.size(), 200000u);
  CPicture back;
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), back, 0), 0);
  EXPECT_TRUE(SamePixels(back, p));
  // the same bytes into memory, patched there
  ImgBuffer memory;
  CTiffWriter tiff;
  tiff.m_comment = "noise";
  tiff.Encode(p, memory);
  EXPECT_TRUE(memory.size == data.size() && std::memcmp(memory.data, data.data(), data.size()) == 0);
}

// ---------------------------------------------------------------- hostile input

namespace {

// A GIF of one w x h image with a table of `entries` and the given LZW data.
Bytes Gif(int w, int h, int entries, int minBits, const Bytes& lzw) {
  int k = 0;
  while ((2 << k) < entries) ++k;
  Bytes g = {'G', 'I', 'F', '8', '9', 'a', static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8),
             static_cast<unsigned char>(h), static_cast<unsigned char>(h >> 8), static_cast<unsigned char>(0x80 | k), 0, 0};
  for (int i = 0; i < (2 << k); ++i) g.insert(g.end(), {static_cast<unsigned char>(i * 40), 0x22, 0x33});
  g.insert(g.end(), {0x2C, 0, 0, 0, 0, static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8),
                     static_cast<unsigned char>(h), static_cast<unsigned char>(h >> 8), 0, static_cast<unsigned char>(minBits)});
  for (size_t i = 0; i < lzw.size(); i += 255) {
    size_t n = std::min<size_t>(255, lzw.size() - i);
    g.push_back(static_cast<unsigned char>(n));
    g.insert(g.end(), lzw.begin() + i, lzw.begin() + i + n);
  }
  g.insert(g.end(), {0, 0x3B});
  return g;
}

// Codes packed from the low bit up, each of its own width.
Bytes PackLsb(const std::vector<std::pair<unsigned, int>>& codes) {
  Bytes out;
  uint32_t bits = 0;
  int n = 0;
  for (auto& c : codes) {
    bits |= c.first << n;
    for (n += c.second; n >= 8; n -= 8, bits >>= 8) out.push_back(static_cast<unsigned char>(bits));
  }
  if (n) out.push_back(static_cast<unsigned char>(bits));
  return out;
}

// A little-endian TIFF: header, the segment data at 8, then one IFD of
// entries whose values fit in four bytes.
struct TiffTag {
  uint16_t tag, type;
  uint32_t count, value;
};
Bytes Tiff(std::vector<TiffTag> tags, const Bytes& body) {
  Bytes t = {'I', 'I', 42, 0};
  auto u32 = [&t](uint32_t v) {
    for (int k = 0; k < 32; k += 8) t.push_back(static_cast<unsigned char>(v >> k));
  };
  u32(static_cast<uint32_t>(8 + body.size()));
  t.insert(t.end(), body.begin(), body.end());
  t.push_back(static_cast<unsigned char>(tags.size()));
  t.push_back(0);
  for (const TiffTag& e : tags) {
    t.insert(t.end(), {static_cast<unsigned char>(e.tag), static_cast<unsigned char>(e.tag >> 8),
                       static_cast<unsigned char>(e.type), 0});
    u32(e.count);
    u32(e.value);
  }
  u32(0);
  return t;
}

// A grey 8-bit TIFF of w x h in one strip of the given data and compression.
Bytes GreyTiff(uint32_t w, uint32_t h, uint32_t compression, const Bytes& strip, uint32_t stripBytes = 0) {
  return Tiff({{256, 4, 1, w}, {257, 4, 1, h}, {258, 3, 1, 8}, {259, 3, 1, compression}, {262, 3, 1, 1},
               {273, 4, 1, 8}, {277, 3, 1, 1}, {278, 4, 1, h},
               {279, 4, 1, stripBytes ? stripBytes : static_cast<uint32_t>(strip.size())}},
              strip);
}

int Load(const Bytes& b, CPicture& pic) { return ImgLoadMemory(b.data(), b.size(), pic, 0); }

}  // namespace

TEST(ImageFormats, HostileGifs) {
  CPicture pic;
  Sentinel(pic);
  // a code past the next free one
  EXPECT_EQ(Load(Gif(2, 2, 4, 2, PackLsb({{4, 3}, {1, 3}, {7, 3}, {5, 3}})), pic), -1);
  // too short to hold its pixels, the screen past the limits, a header cut short
  EXPECT_EQ(Load(Gif(8000, 8000, 4, 2, PackLsb({{4, 3}, {1, 3}, {5, 3}})), pic), -1);
  Bytes huge = Gif(2, 2, 4, 2, PackLsb({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 3}, {5, 3}}));
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
  EXPECT_EQ(Load(huge, pic), -3);
  EXPECT_EQ(ImgLoadMemory("GIF89a\x01\x00\x01\x00", 10, pic, 0), -1);
  EXPECT_TRUE(IsSentinel(pic));
  EXPECT_EQ(Load(Gif(2, 1, 2, 9, PackLsb({{512, 10}, {300, 10}, {1, 10}, {513, 10}})), pic), -1);  // pixels past a byte
  // an image of no width: the screen's background
  Bytes empty = Gif(2, 2, 4, 2, PackLsb({{4, 3}, {5, 3}}));
  empty[13 + 12 + 5] = 0;
  ASSERT_EQ(Load(empty, pic), 0);
  EXPECT_EQ(pic.Width(), 2);

  // indices past a table of two are opaque black
  ASSERT_EQ(Load(Gif(2, 1, 2, 8, PackLsb({{256, 9}, {1, 9}, {200, 9}, {257, 9}})), pic), 0);
  EXPECT_EQ(pic.Bits(), 8);
  EXPECT_EQ(pic.GetColor(0, 0), 0xFF282233u);
  EXPECT_EQ(pic.GetColor(1, 0), 0xFF000000u);

  // a full table without a clear code goes on without adding codes
  std::vector<std::pair<unsigned, int>> codes = {{256, 9}};
  std::vector<unsigned char> want;
  unsigned next = 258;
  int width = 9;
  for (int i = 0; i < 5000; ++i) {
    const unsigned v = static_cast<unsigned>(i * 7 % 4);
    codes.push_back({v, width});
    want.push_back(static_cast<unsigned char>(v));
    if (i > 0 && next < 4096 && ++next == (1u << width) && width < 12) ++width;
  }
  codes.push_back({257, width});
  ASSERT_EQ(Load(Gif(100, 50, 4, 8, PackLsb(codes)), pic), 0);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(pic.GetPixel(i % 100, i / 100), want[i]) << i;
}

TEST(ImageFormats, HostileTiffs) {
  CPicture pic;
  Sentinel(pic);
  const Bytes four = {1, 2, 3, 4};
  EXPECT_EQ(Load(GreyTiff(2, 2, 1, four), pic), 0);
  EXPECT_EQ(pic.GetPixel(1, 1), 4u);
  Sentinel(pic);
  EXPECT_EQ(Load(GreyTiff(40000, 2, 1, four), pic), -3);   // side past the limit
  EXPECT_EQ(Load(GreyTiff(9000, 9000, 1, four), pic), -3);  // pixels past the limit
  EXPECT_EQ(Load(GreyTiff(3, 2, 1, four), pic), -1);        // more pixels than the data
  EXPECT_EQ(Load(GreyTiff(2, 2, 1, four, 5000), pic), -1);  // strip past the data
  EXPECT_EQ(Load(GreyTiff(2, 2, 5, four), pic), -1);        // LZW without its pixels
  EXPECT_EQ(Load(GreyTiff(2, 2, 3, four), pic), -2);        // CCITT
  EXPECT_EQ(Load(GreyTiff(2, 2, 6, four), pic), -2);        // old JPEG
  Bytes cmyk = GreyTiff(2, 2, 1, four);
  cmyk[8 + 4 + 2 + 4 * 12 + 8] = 5;  // photometric: separated
  EXPECT_EQ(Load(cmyk, pic), -2);
  // tag counts past the data, the directory past the data
  Bytes count = GreyTiff(2, 2, 1, four);
  count[8 + 4 + 2 + 8 * 12 + 4 + 3] = 0x40;  // StripByteCounts: 2^30 values
  EXPECT_EQ(Load(count, pic), -1);
  Bytes dir = GreyTiff(2, 2, 1, four);
  dir[4] = 0xF0;
  EXPECT_EQ(Load(dir, pic), -1);
  EXPECT_TRUE(IsSentinel(pic));

  // 1 GiB of zeros in a Deflate strip: inflated only up to the strip's size
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 1), Z_OK);
  Bytes zeros(1 << 20, 0), packed(16 << 20);
  z.next_out = packed.data();
  z.avail_out = static_cast<uInt>(packed.size());
  for (int i = 0; i < 1024; ++i) {
    z.next_in = zeros.data();
    z.avail_in = static_cast<uInt>(zeros.size());
    ASSERT_EQ(deflate(&z, i == 1023 ? Z_FINISH : Z_NO_FLUSH), i == 1023 ? Z_STREAM_END : Z_OK);
  }
  packed.resize(z.total_out);
  deflateEnd(&z);
  ASSERT_EQ(Load(GreyTiff(1000, 1000, 8, packed), pic), 0);
  EXPECT_EQ(pic.Width(), 1000);
  EXPECT_EQ(pic.GetPixel(999, 999), 0u);
  Sentinel(pic);
  EXPECT_EQ(Load(GreyTiff(8000, 8000, 8, four), pic), -1);  // four bytes cannot hold these
  EXPECT_TRUE(IsSentinel(pic));
}

TEST(ImageFormats, EpsWithoutPictureData) {
  CPicture pic;
  Sentinel(pic);
  const char ps[] = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%EndComments\nnewpath 0 0 moveto\n";
  EXPECT_EQ(ImgLoadMemory(ps, sizeof(ps) - 1, pic, 0), -2);
  // a DOS-EPS header: PostScript only with a WMF preview, then a TIFF preview past the data
  Bytes dos = {0xC5, 0xD0, 0xD3, 0xC6, 30, 0, 0, 0, sizeof(ps) - 1, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0};
  dos.resize(30, 0);
  dos.insert(dos.end(), ps, ps + sizeof(ps) - 1);
  EXPECT_EQ(Load(dos, pic), -2);
  dos[20] = 30, dos[24] = 0xFF;
  EXPECT_EQ(Load(dos, pic), -1);
  EXPECT_TRUE(IsSentinel(pic));
}

// Pillow's grey EPS with its hex turned into the bytes they stand for: told
// apart from hex by the data, the same picture.
TEST(ImageFormats, EpsBinaryPictureData) {
  Bytes hex = ReadFixture("eps_pillow_grey.eps");
  std::string text(hex.begin(), hex.end());
  size_t start = text.find('\n', text.find("\nimage\n") + 1) + 1, end = text.find("%%EndBinary");
  ASSERT_LT(start, end);
  Bytes binary(hex.begin(), hex.begin() + start);
  for (size_t i = start; i + 1 < end; ++i) {
    if (!std::isxdigit(text[i])) continue;
    binary.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    ++i;
  }
  binary.insert(binary.end(), hex.begin() + end, hex.end());
  CPicture a, b;
  ASSERT_EQ(Load(hex, a), 0);
  ASSERT_EQ(Load(binary, b), 0);
  EXPECT_TRUE(SamePixels(a, b));
}
