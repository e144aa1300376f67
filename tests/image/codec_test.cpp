// Decoding checked against ImageMagick's decode of the same files, damaged
// and hostile input, and saving.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <chrono>
#include <thread>

#include "image/formats/pngcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "tests/image/fixtures.h"
#include "tests/support/testenv.h"

#ifdef _WIN32
#include <windows.h>
#endif

using imgtest::FixtureList;
using imgtest::FixturePath;
using imgtest::ReadFixture;

namespace {

struct Reference {
  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
};

Reference LoadReference(const std::string& file) {
  std::string stem = file.substr(0, file.rfind('.'));
  Reference r;
  std::ifstream sz(FixturePath(stem + ".size"));
  sz >> r.w >> r.h;
  r.rgba = ReadFixture(stem + ".raw");
  return r;
}

bool EndsWith(const std::string& s, const char* e) {
  size_t n = std::strlen(e);
  return s.size() >= n && s.compare(s.size() - n, n, e) == 0;
}

// A picture holding something, to see that failures leave it alone.
void MakeSentinel(CPicture& p) {
  ASSERT_TRUE(p.Create(24, 3, 3, 0x123456));
}
void ExpectSentinel(const CPicture& p) {
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Bits(), 24);
  EXPECT_EQ(p.GetPixel(2, 2), 0x123456u);
}

// A PNG of the given header with one small IDAT (a few zero rows).
std::vector<unsigned char> CraftPng(uint32_t w, uint32_t h, int depth, int type) {
  std::vector<unsigned char> f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&f](const char* tag, const std::vector<unsigned char>& body) {
    uint32_t n = static_cast<uint32_t>(body.size());
    unsigned char len[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                            static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    f.insert(f.end(), len, len + 4);
    std::vector<unsigned char> td(tag, tag + 4);
    td.insert(td.end(), body.begin(), body.end());
    f.insert(f.end(), td.begin(), td.end());
    uLong crc = crc32(0, td.data(), static_cast<uInt>(td.size()));
    for (int s = 24; s >= 0; s -= 8) f.push_back(static_cast<unsigned char>(crc >> s));
  };
  std::vector<unsigned char> ihdr;
  for (uint32_t v : {w, h})
    for (int s = 24; s >= 0; s -= 8) ihdr.push_back(static_cast<unsigned char>(v >> s));
  ihdr.push_back(static_cast<unsigned char>(depth));
  ihdr.push_back(static_cast<unsigned char>(type));
  ihdr.push_back(0), ihdr.push_back(0), ihdr.push_back(0);
  chunk("IHDR", ihdr);
  std::vector<unsigned char> raw(4096, 0), z(8192);
  uLongf zn = static_cast<uLongf>(z.size());
  compress(z.data(), &zn, raw.data(), static_cast<uLong>(raw.size()));
  z.resize(zn);
  chunk("IDAT", z);
  chunk("IEND", {});
  return f;
}

// A JPEG fixture with its frame header's size patched.
std::vector<unsigned char> PatchJpegSize(std::vector<unsigned char> f, uint16_t w, uint16_t h) {
  for (size_t i = 2; i + 9 < f.size(); ++i)
    if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
      f[i + 5] = static_cast<unsigned char>(h >> 8), f[i + 6] = static_cast<unsigned char>(h);
      f[i + 7] = static_cast<unsigned char>(w >> 8), f[i + 8] = static_cast<unsigned char>(w);
      return f;
    }
  ADD_FAILURE() << "no frame header";
  return f;
}

}  // namespace

TEST(ImageDecode, MatchesImageMagickDecode) {
  std::vector<std::string> files = FixtureList();
  ASSERT_GE(files.size(), 20u) << "fixtures missing in " << imgtest::FixtureDir();
  // the depth each kind of file decodes to
  const std::map<std::string, int> depth = {
      {"pal8.png", 8},  {"pal8_trns.png", 8}, {"pal4.png", 4},       {"pal1.png", 1},   {"grey8.png", 8},
      {"grey4.png", 4}, {"grey1.png", 1},     {"grey16.png", 8},     {"greyalpha.png", 32},
      {"rgb.png", 24},  {"rgba.png", 32},     {"rgb16.png", 24},     {"rgba16.png", 32},
      {"jpeg_base.jpg", 24}, {"jpeg_grey.jpg", 8}, {"jpeg_prog.jpg", 24}};
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    std::vector<unsigned char> data = ReadFixture(f);
    ASSERT_FALSE(data.empty());
    Reference ref = LoadReference(f);
    ASSERT_EQ(ref.rgba.size(), static_cast<size_t>(ref.w) * ref.h * 4);
    CPicture pic;
    ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), pic, 0), 0);
    ASSERT_EQ(pic.Width(), ref.w);
    ASSERT_EQ(pic.Height(), ref.h);
    auto d = depth.find(f);
    if (d != depth.end()) {
      EXPECT_EQ(pic.Bits(), d->second);
    }
    const bool jpeg = EndsWith(f, ".jpg");
    const bool deep = f.find("16") != std::string::npos;  // 16 to 8 bits may round apart by one
    const int tol = jpeg ? 4 : deep ? 1 : 0;
    int worst = 0;
    long long sum = 0;
    for (int y = 0; y < ref.h; ++y)
      for (int x = 0; x < ref.w; ++x) {
        uint32_t c = pic.GetColor(x, y);
        const unsigned char* r = &ref.rgba[(static_cast<size_t>(y) * ref.w + x) * 4];
        int got[4] = {static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>(c & 0xFF), static_cast<int>(c >> 24)};
        for (int k = 0; k < 4; ++k) {
          int e = std::abs(got[k] - r[k]);
          sum += e;
          if (e > worst) worst = e;
        }
      }
    EXPECT_LE(worst, tol);
    EXPECT_LE(static_cast<double>(sum) / (ref.w * ref.h * 4.0), jpeg || deep ? 0.6 : 0.0);
  }
}

TEST(ImageScale, HalvingAveragesLikeImageMagicksBoxFilter) {
  std::vector<unsigned char> data = ReadFixture("tile256.png"), want = ReadFixture("tile256_half.rgba");
  ASSERT_EQ(want.size(), 128u * 128u * 4u);
  CPicture pic, half;
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), pic, 0), 0);
  ASSERT_TRUE(half.ScaleFrom(pic, 128, 128, kImgScaleSmooth));
  ASSERT_EQ(half.Bits(), 24);
  int worst = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      uint32_t c = half.GetPixel(x, y);
      const unsigned char* r = &want[(static_cast<size_t>(y) * 128 + x) * 4];
      int d[3] = {std::abs(static_cast<int>((c >> 16) & 0xFF) - r[0]), std::abs(static_cast<int>((c >> 8) & 0xFF) - r[1]),
                  std::abs(static_cast<int>(c & 0xFF) - r[2])};
      for (int e : d) worst = e > worst ? e : worst;
    }
  EXPECT_LE(worst, 1);  // rounding of the halves only
}

TEST(ImageFlatten, OnWhiteLikeImageMagick) {
  std::vector<unsigned char> data = ReadFixture("rgba.png"), want = ReadFixture("rgba_on_white.rgba");
  CPicture pic;
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), pic, 0), 0);
  ASSERT_EQ(want.size(), static_cast<size_t>(pic.Width()) * pic.Height() * 4);
  ASSERT_EQ(pic.GetAlphaUsage(), 2);
  pic.FlattenAlpha(0xFFFFFF);
  EXPECT_EQ(pic.GetAlphaUsage(), 1);
  int worst = 0;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) {
      uint32_t c = pic.GetPixel(x, y);
      const unsigned char* r = &want[(static_cast<size_t>(y) * pic.Width() + x) * 4];
      for (int k = 0; k < 3; ++k) {
        int e = std::abs(static_cast<int>((c >> (16 - 8 * k)) & 0xFF) - r[k]);
        worst = e > worst ? e : worst;
      }
    }
  EXPECT_LE(worst, 1);
}

TEST(ImageDecode, TruncatedFilesFailCleanly) {
  for (const std::string& f : FixtureList()) {
    SCOPED_TRACE(f);
    std::vector<unsigned char> data = ReadFixture(f);
    const bool png = EndsWith(f, ".png");
    // where the image data ends: the last IDAT chunk of a PNG (text chunks
    // may follow it), the end marker of a JPEG
    size_t end = data.size() - 2;
    if (png)
      for (size_t i = 8; i + 8 <= data.size();) {
        size_t len = static_cast<size_t>(data[i]) << 24 | data[i + 1] << 16 | data[i + 2] << 8 | data[i + 3];
        if (std::memcmp(&data[i + 4], "IDAT", 4) == 0) end = i + 12 + len;
        i += 12 + len;
      }
    for (int k = 0; k <= 10; ++k) {
      size_t cut = k == 0 ? 5 : (end - 1) * k / 10;
      std::vector<unsigned char> part(data.begin(), data.begin() + cut);
      CPicture pic;
      MakeSentinel(pic);
      int rc = ImgLoadMemory(part.data(), part.size(), pic, 0);
      // a PNG too short for its signature is not told apart
      EXPECT_EQ(rc, k == 0 && png ? -2 : -1) << "cut at " << cut << " of " << end;
      ExpectSentinel(pic);
    }
  }
}

TEST(ImageDecode, DamagedImageDataFails) {
  // a PNG byte flipped inside the image data breaks the chunk's CRC
  std::vector<unsigned char> data = ReadFixture("rgb.png");
  size_t idat = 0;
  for (size_t i = 8; i + 4 < data.size(); ++i)
    if (std::memcmp(&data[i], "IDAT", 4) == 0) {
      idat = i;
      break;
    }
  ASSERT_GT(idat, 0u);
  data[idat + 40] ^= 0x55;
  CPicture pic;
  MakeSentinel(pic);
  EXPECT_EQ(ImgLoadMemory(data.data(), data.size(), pic, 0), -1);
  ExpectSentinel(pic);
}

TEST(ImageDecode, RandomDamageNeverCrashes) {
  std::mt19937 rng(12345);
  for (const char* f : {"pal8_trns.png", "rgba_interlaced.png", "jpeg_base.jpg", "jpeg_prog.jpg"}) {
    SCOPED_TRACE(f);
    std::vector<unsigned char> data = ReadFixture(f);
    ASSERT_FALSE(data.empty());
    for (int round = 0; round < 150; ++round) {
      std::vector<unsigned char> m = data;
      int flips = 1 + static_cast<int>(rng() % 8);
      for (int i = 0; i < flips; ++i) m[8 + rng() % (m.size() - 8)] = static_cast<unsigned char>(rng());
      CPicture pic;
      int rc = ImgLoadMemory(m.data(), m.size(), pic, 0);
      EXPECT_TRUE(rc == 0 || rc == -1 || rc == -2 || rc == -3) << rc;
      if (rc == 0) {
        EXPECT_FALSE(pic.IsEmpty());
      }
    }
  }
}

TEST(ImageDecode, UnknownFormatsGiveMinusTwo) {
  const char* samples[] = {"RIFF\x04\x00\x00\x00WEBP", "BM6\x00\x00\x00\x00\x00", "plain text, not a picture",
                           "\xFF\xD8\x00\x00"};
  for (const char* s : samples) {
    CPicture pic;
    EXPECT_EQ(ImgLoadMemory(s, std::strlen(s), pic, 0), -2) << s;
    EXPECT_TRUE(pic.IsEmpty());
  }
  CPicture pic;
  EXPECT_EQ(ImgLoadMemory("", 0, pic, 0), -2);
  EXPECT_EQ(ImgLoadMemory(nullptr, 10, pic, 0), -4);
}

TEST(ImageDecode, HugeDeclaredSizesAreRefusedBeforeAllocation) {
  CPicture pic;
  MakeSentinel(pic);
  // 20000 x 20000 RGBA would be 1.6 GB
  std::vector<unsigned char> big = CraftPng(20000, 20000, 8, 6);
  EXPECT_EQ(ImgLoadMemory(big.data(), big.size(), pic, 0), -3);
  ExpectSentinel(pic);
  // within the pixel limit, but far more than a small body could hold
  std::vector<unsigned char> lie = CraftPng(8000, 8000, 8, 6);
  EXPECT_EQ(ImgLoadMemory(lie.data(), lie.size(), pic, 0), -1);
  ExpectSentinel(pic);
  std::vector<unsigned char> wide = CraftPng(1u << 20, 1, 8, 0);
  EXPECT_EQ(ImgLoadMemory(wide.data(), wide.size(), pic, 0), -3);

  std::vector<unsigned char> jpeg = ReadFixture("jpeg_base.jpg");
  std::vector<unsigned char> hj = PatchJpegSize(jpeg, 20000, 20000);
  EXPECT_EQ(ImgLoadMemory(hj.data(), hj.size(), pic, 0), -3);
  std::vector<unsigned char> lj = PatchJpegSize(jpeg, 8000, 8000);
  EXPECT_EQ(ImgLoadMemory(lj.data(), lj.size(), pic, 0), -1);
  // progressive: refused before libjpeg allocates its coefficient buffer
  std::vector<unsigned char> pj = PatchJpegSize(ReadFixture("jpeg_prog.jpg"), 8000, 8000);
  EXPECT_EQ(ImgLoadMemory(pj.data(), pj.size(), pic, 0), -1);
  ExpectSentinel(pic);
}

// ---------------------------------------------------------------- saving

namespace {

std::string OutPath(const std::string& name) { return FixturePath("out/" + name); }

// Saves with a comment and leaves for make_fixtures.py --check what
// ImageMagick must read back: the pixels as RGBA, the size, the comment.
void SaveForCheck(const std::string& stem, const char* ext, const CPicture& pic, const char* comment) {
  std::string file = OutPath(stem + "." + ext);
  ASSERT_EQ(ImgSaveFile(file.c_str(), pic, comment), 0) << file;
  std::vector<unsigned char> rgba;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) {
      uint32_t c = pic.GetColor(x, y);
      if (pic.Bits() == 32 && pic.GetAlphaUsage() != 2) c |= 0xFF000000u;  // saved without alpha
      if (std::strcmp(ext, "jpg") == 0) c |= 0xFF000000u;
      rgba.push_back(static_cast<unsigned char>(c >> 16));
      rgba.push_back(static_cast<unsigned char>(c >> 8));
      rgba.push_back(static_cast<unsigned char>(c));
      rgba.push_back(static_cast<unsigned char>(c >> 24));
    }
  orvtest::WriteFile(OutPath(stem + ".rgba"), rgba.data(), rgba.size());
  std::string size = std::to_string(pic.Width()) + " " + std::to_string(pic.Height()) + "\n";
  orvtest::WriteFile(OutPath(stem + ".size"), size.data(), size.size());
  orvtest::WriteFile(OutPath(stem + ".comment"), comment, std::strlen(comment));
}

void Gradient(CPicture& p, int bits, bool alpha) {
  ASSERT_TRUE(p.Create(32, 40, 30, 0));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t a = alpha ? static_cast<uint32_t>(x * 255 / 39) : 255u;
      p.SetPixel(x, y, a << 24 | static_cast<uint32_t>(x * 6) << 16 | static_cast<uint32_t>(y * 8) << 8 | 0x40);
    }
  if (bits != 32) {
    ASSERT_TRUE(p.ConvertFrom(p, bits));
  }
}

}  // namespace

TEST(ImageSave, ImageMagickReadsWhatWasSaved) {
  const char* gmref = "GMREF:11.250000,48.922500,0.000021,-0.000014,9";
  CPicture p;
  Gradient(p, 32, true);
  SaveForCheck("rgba", "png", p, gmref);
  Gradient(p, 32, false);
  SaveForCheck("rgb32", "png", p, "opaque 32-bit picture");
  Gradient(p, 24, false);
  SaveForCheck("rgb24", "png", p, "24-bit picture");
  Gradient(p, 16, false);
  SaveForCheck("rgb16", "png", p, "X1R5G5B5");
  // a palette with one transparent entry
  CPicture pal;
  ASSERT_TRUE(pal.Create(8, 20, 10, 0));
  for (int i = 0; i < 4; ++i) pal.SetPaletteEntry(i, 0xFF000000u | (0x403020u * static_cast<uint32_t>(i + 1)));
  pal.SetPaletteEntry(3, 0x00FFFFFFu);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) pal.SetPixel(x, y, static_cast<uint32_t>((x / 5 + y) % 4));
  SaveForCheck("pal8", "png", pal, "palette");
  CPicture mono;
  ASSERT_TRUE(mono.Create(1, 13, 7, 0));
  for (int i = 0; i < 13; ++i) mono.SetPixel(i, i % 7, 1);
  SaveForCheck("mono", "png", mono, "one bit");
  Gradient(p, 24, false);
  SaveForCheck("photo", "jpg", p, "JPEG comment");
}

TEST(ImageSave, RoundTripKeepsPixelsAndComment) {
  std::string dir = orvtest::MakeTempDir("imgsave");
  CPicture p;
  Gradient(p, 32, true);
  std::string file = dir + "/a.PNG";
  ASSERT_EQ(ImgSaveFile(file.c_str(), p, "GMREF:1,2,3,4,5"), 0);
  std::vector<unsigned char> data;
  ASSERT_TRUE(orvtest::ReadFile(file, data));
  CPicture q;
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), q, 0), 0);
  ASSERT_EQ(q.Bits(), 32);
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) ASSERT_EQ(q.GetPixel(x, y), p.GetPixel(x, y));
  // the text chunk as the file holds it
  std::string s(data.begin(), data.end());
  EXPECT_NE(s.find(std::string("tEXtComment") + '\0' + "GMREF:1,2,3,4,5"), std::string::npos);
}

TEST(ImageSave, FailureKeepsTheExistingFile) {
  std::string dir = orvtest::MakeTempDir("imgsafe");
  std::string file = dir + "/map.jpg";
  const char old[] = "the previous export";
  ASSERT_TRUE(orvtest::WriteFile(file, old, sizeof(old)));
  CPicture wide;  // wider than JPEG allows: the writer fails
  ASSERT_TRUE(wide.Create(24, 70000, 1, 0x808080));
  EXPECT_EQ(ImgSaveFile(file.c_str(), wide, "x"), -1);
  std::vector<unsigned char> data;
  ASSERT_TRUE(orvtest::ReadFile(file, data));
  EXPECT_EQ(std::string(data.begin(), data.end()), std::string(old, sizeof(old)));
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);  // no temporary left

  CPicture empty, small;
  EXPECT_EQ(ImgSaveFile(file.c_str(), empty, nullptr), -4);
  ASSERT_TRUE(small.Create(24, 4, 4, 0xFF0000));
  EXPECT_EQ(ImgSaveFile((dir + "/map.tlsp").c_str(), small, nullptr), -2);  // the sequence format is not written
  EXPECT_EQ(ImgSaveFile((dir + "/noext").c_str(), small, nullptr), -2);
  EXPECT_EQ(ImgSaveFile((dir + "/missing/x.png").c_str(), small, nullptr), -4);  // cannot be created
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);

  // a successful save replaces the old file and leaves nothing else
  ASSERT_EQ(ImgSaveFile(file.c_str(), small, nullptr), 0);
  ASSERT_TRUE(orvtest::ReadFile(file, data));
  CPicture back;
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), back, 0), 0);
  EXPECT_EQ(back.Width(), 4);
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);

  // a GIF is saved as one
  ASSERT_EQ(ImgSaveFile((dir + "/map.gif").c_str(), small, nullptr), 0);
  ASSERT_TRUE(orvtest::ReadFile(dir + "/map.gif", data));
  ASSERT_EQ(ImgLoadMemory(data.data(), data.size(), back, 0), 0);
  EXPECT_EQ(std::string(data.begin(), data.begin() + 6), "GIF87a");
  EXPECT_EQ(back.GetColor(3, 3), 0xFFFF0000u);
}

// Stopped from another thread while the encoder writes: the writer fails,
// the temporary goes and the old file stays.
TEST(ImageSave, CancelFlagStopsTheWriterAndKeepsTheFile) {
  std::string dir = orvtest::MakeTempDir("imgcancel");
  std::string file = dir + "/map.png";
  const char old[] = "the previous export";
  ASSERT_TRUE(orvtest::WriteFile(file, old, sizeof(old)));
  CPicture noise;
  ASSERT_TRUE(noise.Create(32, 3000, 3000));
  uint32_t v = 12345;
  for (int y = 0; y < noise.Height(); ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(noise.Row(y));
    for (int x = 0; x < noise.Width(); ++x) row[x] = (v = v * 1103515245u + 12345u) | 0xFF000000u;
  }
  volatile long cancel = 1;
  EXPECT_EQ(ImgSaveFile(file.c_str(), noise, "c", &cancel), kImgSaveCancelled);
  cancel = 0;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    cancel = 1;
  });
  int r = ImgSaveFile(file.c_str(), noise, "c", &cancel);
  stopper.join();
  EXPECT_EQ(r, kImgSaveCancelled);
  std::vector<unsigned char> data;
  ASSERT_TRUE(orvtest::ReadFile(file, data));
  EXPECT_EQ(std::string(data.begin(), data.end()), std::string(old, sizeof(old)));
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);
}

#ifdef _WIN32
// Windows refuses to replace a read-only or an open file: the save must say
// so and leave the file as it was.
TEST(ImageSave, ReadOnlyOrLockedTargetIsKept) {
  std::string dir = orvtest::MakeTempDir("imglock");
  std::string file = dir + "/map.png";
  const char old[] = "the previous export";
  ASSERT_TRUE(orvtest::WriteFile(file, old, sizeof(old)));
  CPicture small;
  ASSERT_TRUE(small.Create(24, 4, 4, 0xFF0000));
  auto unchanged = [&] {
    std::vector<unsigned char> data;
    return orvtest::ReadFile(file, data) && std::string(data.begin(), data.end()) == std::string(old, sizeof(old));
  };

  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ImgSaveFile(file.c_str(), small, nullptr), -1);
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));

  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ImgSaveFile(file.c_str(), small, nullptr), -1);
  CloseHandle(h);
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(imgtest::ListDir(dir).size(), 1u);
  EXPECT_EQ(ImgSaveFile(file.c_str(), small, nullptr), 0);
}
#endif

TEST(ImageSave, PngWriterThrowsOnFailure) {
  CPicture empty;
  CPngWriter w;
  EXPECT_THROW(w.Save("unused.png", empty, 0), EGraphicsException);
  CPicture p;
  ASSERT_TRUE(p.Create(24, 2, 2, 0));
  std::string bad = orvtest::MakeTempDir("pngw") + "/no/such/folder/t.png";
  EXPECT_THROW(w.Save(bad.c_str(), p, 0), EGraphicsException);
}
