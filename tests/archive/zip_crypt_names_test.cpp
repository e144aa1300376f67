// Names, DOS times and the decryption details of the ZIP library.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "archive/aes.h"
#include "archive/zipcodec.h"
#include "archive/zipcrypt.h"
#include "archive/zipfile.h"
#include "tests/archive/ziptest.h"
#include "tests/support/testenv.h"

using namespace ziptest;

// ------------------------------------------------------------------- names

TEST(ZipNames, CodePage850OrUtf8) {
  char out[32];
  uint16_t flags = 0;
  EXPECT_EQ(1, ZipEncodeName("ä", out, sizeof out, &flags));
  EXPECT_EQ((char)0x84, out[0]);
  EXPECT_EQ(0, flags & ZIP_FLAG_UTF8);
  // the second Ê follows an output byte of 0xD2: could read as UTF-8
  EXPECT_EQ(4, ZipEncodeName("ÊÊ", out, sizeof out, &flags));
  EXPECT_EQ(std::string("\xC3\x8A\xC3\x8A"), std::string(out));
  EXPECT_NE(0, flags & ZIP_FLAG_UTF8);
  flags = 0;
  EXPECT_EQ(3, ZipEncodeName("€", out, sizeof out, &flags));
  EXPECT_EQ(std::string("\xE2\x82\xAC"), std::string(out));
  EXPECT_NE(0, flags & ZIP_FLAG_UTF8);
}

TEST(ZipNames, DecodingNeverMakesSeparatorsOrDots) {
  char out[64];
  const char* raw = "\xC8\xAE\xC8\xAE\x2F\xC4\xAF" "x";  // U+022E U+022E / U+012F x
  int n = ZipDecodeName((const uint8_t*)raw, (int)strlen(raw), ZIP_FLAG_UTF8, out);
  EXPECT_EQ(std::string("__/_x"), std::string(out, (size_t)n));
  const uint8_t oem[] = {0x84, 0x94, 0x81, 0xE1};
  n = ZipDecodeName(oem, 4, 0, out);
  EXPECT_EQ(std::string("äöüß"), std::string(out, (size_t)n));
  const char* euro = "\xE2\x82\xAC";
  n = ZipDecodeName((const uint8_t*)euro, 3, ZIP_FLAG_UTF8, out);
  EXPECT_EQ(std::string("€"), std::string(out, (size_t)n));
}

TEST(ZipNames, SafeRelativePaths) {
  char out[260];
  struct {
    const char* in;
    const char* want;
  } cases[] = {
      {"../../x.txt", "x.txt"},          {"C:\\win\\x.txt", "win/x.txt"},
      {"/etc/passwd", "etc/passwd"},     {"a/./b/../c", "a/b/c"},
      {"com1.txt", "_com1.txt"},         {"lpt9", "_lpt9"},
      {"s.txt:zone", "s.txt_zone"},      {"x\x01y", "x_y"},
      {"name. . ", "name"},              {"q?<>|*\".txt", "q______.txt"},
      {"COM¹.txt", "_COM¹.txt"},         {"lpt³", "_lpt³"},
      {"NUL .txt", "_NUL .txt"},         {"d/aux ", "d/_aux"},
  };
  for (auto& c : cases) {
    ASSERT_GT(ZipSafeRelativePath(c.in, out, sizeof out), 0) << c.in;
    EXPECT_STREQ(c.want, out) << c.in;
  }
  EXPECT_EQ(0, ZipSafeRelativePath("../..", out, sizeof out));
  EXPECT_EQ(0, ZipSafeRelativePath(". . /", out, sizeof out));
}

// ------------------------------------------------------------------- times

TEST(ZipTimes, SummerTimeReadsBackAsWritten) {
#ifdef _WIN32
  _putenv("TZ=CET-1CEST");
  _tzset();
#else
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
#endif
  // 2021-07-15 12:34:56 UTC and 2021-01-15 12:34:56 UTC
  for (int32_t t : {1626352496, 1610714096}) {
    uint32_t dos = ZipDosTimeFromSeconds(t);
    EXPECT_EQ(t, ZipSecondsFromDosTime(dos)) << t;
  }
  EXPECT_EQ(0x210000u, ZipDosTimeFromSeconds(100));  // before 1980
  // odd seconds round up
  EXPECT_EQ(ZipDosTimeFromSeconds(1610714098), ZipDosTimeFromSeconds(1610714097));
}

// ------------------------------------------------------------- decryption

TEST(ZipAes, CounterStartsAtOneLittleEndian) {
  ZipAesContext* c = ZipAesAlloc();
  ASSERT_NE(nullptr, c);
  uint8_t salt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  uint8_t verifier[2];
  ASSERT_EQ(0, ZipAesInit(c, 3, "pw", 2, salt, verifier));
  uint8_t stream[32] = {0};
  ZipAesCtr(c, stream, sizeof stream);
  uint8_t block[16] = {1}, want[16];
  AesEncryptBlock(&c->schedule, block, want);
  EXPECT_EQ(0, memcmp(stream, want, 16));
  block[0] = 2;
  AesEncryptBlock(&c->schedule, block, want);
  EXPECT_EQ(0, memcmp(stream + 16, want, 16));
  std::string longPassword(129, 'p');
  EXPECT_EQ(-100, ZipAesInit(c, 1, longPassword.data(), longPassword.size(), salt, verifier));
  EXPECT_EQ(-101, ZipAesInit(c, 4, "pw", 2, salt, verifier));
  ZipAesFree(c);
}

TEST(ZipAes, FilterHoldsBackAndChecksTheTag) {
  ZipAesContext* enc = ZipAesAlloc();
  ZipAesContext* dec = ZipAesAlloc();
  uint8_t salt[8] = {9, 8, 7, 6, 5, 4, 3, 2}, v1[2], v2[2];
  ASSERT_EQ(0, ZipAesInit(enc, 1, "secret", 6, salt, v1));
  ASSERT_EQ(0, ZipAesInit(dec, 1, "secret", 6, salt, v2));
  EXPECT_EQ(0, memcmp(v1, v2, 2));
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); i++) data[i] = (uint8_t)(i * 7);
  std::vector<uint8_t> wire = data;
  ZipAesEncrypt(enc, wire.data(), wire.size());
  uint8_t tag[10];
  ZipAesFinish(enc, tag);
  wire.insert(wire.end(), tag, tag + 10);
  dec->dataStart = dec->consumed = 10;
  dec->dataLength = data.size();
  // odd pieces so that the tag arrives split
  std::vector<uint8_t> plain;
  for (size_t at = 0; at < wire.size();) {
    size_t n = std::min<size_t>(333, wire.size() - at);
    std::vector<uint8_t> piece(wire.begin() + (long)at, wire.begin() + (long)(at + n));
    int got = ZipAesDecryptFilter(dec, piece.data(), (int)n);
    ASSERT_GE(got, 0);
    plain.insert(plain.end(), piece.begin(), piece.begin() + got);
    at += n;
  }
  EXPECT_EQ(data, plain);
  EXPECT_EQ(1, dec->verified);
  // a changed tag byte fails
  ZipAesInit(dec, 1, "secret", 6, salt, v2);
  dec->dataStart = dec->consumed = 10;
  dec->dataLength = data.size();
  wire.back() ^= 1;
  std::vector<uint8_t> copy = wire;
  EXPECT_EQ(-1, ZipAesDecryptFilter(dec, copy.data(), (int)copy.size()));
  ZipAesFree(enc);
  ZipAesFree(dec);
}

// ------------------------------------------------ AES behind an end marker

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back((uint8_t)x);
  v.push_back((uint8_t)(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x);
  Put16(v, x >> 16);
}

// One AES-256 entry whose deflate stream ends long before the encrypted
// data do: the codec stops at its end mark, the tag lies 40 KB further on.
std::vector<uint8_t> AesArchive(bool goodTag) {
  std::string text(30000, 't');
  for (size_t i = 0; i < text.size(); i++) text[i] = (char)('a' + (i * 7) % 26);
  std::vector<uint8_t> packed(65536);
  uint32_t produced = 0;
  CZipDeflateCodec codec;
  codec.SetInputMemory((uint32_t)text.size(), text.data(), 0, nullptr);
  codec.SetOutputMemory((uint32_t)packed.size(), packed.data(), ZIP_NO_CRC, &produced);
  codec.Compress(9);
  uint32_t crc = codec.InputCrc();
  packed.resize(produced);
  packed.resize(produced + 40000, 0);  // never read by the inflater
  ZipAesContext* c = ZipAesAlloc();
  uint8_t salt[16], verifier[2], tag[10];
  for (int i = 0; i < 16; i++) salt[i] = (uint8_t)(i * 31 + 5);
  ZipAesInit(c, 3, "tag test", 8, salt, verifier);
  ZipAesEncrypt(c, packed.data(), packed.size());
  ZipAesFinish(c, tag);
  ZipAesFree(c);
  if (!goodTag) tag[9] ^= 0x40;
  std::vector<uint8_t> data(salt, salt + 16);
  data.insert(data.end(), verifier, verifier + 2);
  data.insert(data.end(), packed.begin(), packed.end());
  data.insert(data.end(), tag, tag + 10);
  const std::string name = "secret.txt";
  std::vector<uint8_t> extra = {0x01, 0x99, 7, 0, 1, 0, 'A', 'E', 3, 8, 0};
  std::vector<uint8_t> z;
  Put32(z, 0x04034B50);
  Put16(z, 51);
  Put16(z, 1);
  Put16(z, 99);
  Put32(z, 0x00210000);
  Put32(z, crc);
  Put32(z, (uint32_t)data.size());
  Put32(z, (uint32_t)text.size());
  Put16(z, (uint32_t)name.size());
  Put16(z, (uint32_t)extra.size());
  z.insert(z.end(), name.begin(), name.end());
  z.insert(z.end(), extra.begin(), extra.end());
  z.insert(z.end(), data.begin(), data.end());
  uint32_t dirStart = (uint32_t)z.size();
  Put32(z, 0x02014B50);
  Put16(z, 51);
  Put16(z, 51);
  Put16(z, 1);
  Put16(z, 99);
  Put32(z, 0x00210000);
  Put32(z, crc);
  Put32(z, (uint32_t)data.size());
  Put32(z, (uint32_t)text.size());
  Put16(z, (uint32_t)name.size());
  Put16(z, (uint32_t)extra.size());
  Put16(z, 0);
  Put16(z, 0);
  Put16(z, 0);
  Put32(z, 0);
  Put32(z, 0);
  z.insert(z.end(), name.begin(), name.end());
  z.insert(z.end(), extra.begin(), extra.end());
  uint32_t dirSize = (uint32_t)z.size() - dirStart;
  Put32(z, 0x06054B50);
  Put16(z, 0);
  Put16(z, 0);
  Put16(z, 1);
  Put16(z, 1);
  Put32(z, dirSize);
  Put32(z, dirStart);
  Put16(z, 0);
  return z;
}

}  // namespace

TEST(ZipAes, TagIsCheckedWhenTheCodecStopsEarly) {
  std::string dir = orvtest::MakeTempDir("zip");
  for (bool good : {true, false}) {
    std::vector<uint8_t> bytes = AesArchive(good);
    std::string path = orvtest::JoinPath(dir, good ? "good.zip" : "bad.zip");
    ASSERT_TRUE(orvtest::WriteFile(path, bytes.data(), bytes.size()));
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
    z.SetPassword("tag test");
    std::vector<char> out(30000);
    EXPECT_EQ(good ? 0 : ZIPERR_DECOMPRESS, z.ExtractToMemory(0, out.data(), (uint32_t)out.size(), nullptr))
        << (good ? "good tag" : "changed tag");
    if (good) {
      EXPECT_EQ('a', out[0]);
    }
    z.SetPassword("wrong");
    EXPECT_EQ(ZIPERR_PASSWORD, z.TestEntry(0));
  }
}
