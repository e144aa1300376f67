#include <gtest/gtest.h>

#include <string.h>

#include "text/utf.h"

namespace {

TEST(UtfDecode, ValidAndInvalidSequences) {
  uint32_t cp;
  EXPECT_EQ(UtfDecodeCharA("\xC3\xA4x", &cp), 2);
  EXPECT_EQ(cp, 0xE4u);
  EXPECT_EQ(UtfDecodeCharA("\xF0\x9F\x98\x80", &cp), 4);
  EXPECT_EQ(cp, 0x1F600u);
  // overlong, surrogate, beyond U+10FFFF, lone continuation: first byte as Latin-1
  const char* bad[] = {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF"};
  for (const char* b : bad) {
    EXPECT_EQ(UtfDecodeCharA(b, &cp), 1) << (unsigned char)b[0];
    EXPECT_EQ(cp, (unsigned char)b[0]);
  }
}

TEST(UtfDecode, NeverReadsPastTheEnd) {
  uint32_t cp;
  // a truncated sequence at the terminator
  EXPECT_EQ(UtfDecodeCharA("\xE2\x82", &cp), 1);
  EXPECT_EQ(cp, 0xE2u);
  // and at an explicit length without terminator
  const char raw[2] = {'\xE2', '\x82'};
  EXPECT_EQ(UtfDecodeCharA(raw, &cp, 2), 1);
  const char euro[3] = {'\xE2', '\x82', '\xAC'};
  EXPECT_EQ(UtfDecodeCharA(euro, &cp, 3), 3);
  EXPECT_EQ(cp, 0x20ACu);
  EXPECT_EQ(UtfDecodeCharA(euro, &cp, 0), 0);
}

TEST(UtfEncode, SizesAndLimits) {
  char out[4];
  EXPECT_EQ(UtfEncodeCharA(0xFC, out, 4), 2);
  EXPECT_EQ(memcmp(out, "\xC3\xBC", 2), 0);
  EXPECT_EQ(UtfEncodeCharA(0x20AC, out, 2), 0);  // does not fit
  EXPECT_EQ(UtfEncodeCharA(0x110000, out, 4), 0);
  EXPECT_EQ(UtfEncodeCharA(0xD800, out, 4), 0);
  EXPECT_EQ(UtfEncodeCharA(0x10FFFF, out, 4), 4);
}

TEST(Utf8ToLatin1, HighCodePointsBecomeFF) {
  char out[16];
  EXPECT_EQ(Utf8ToLatin1N(out, "M\xC3\xBCnchen \xE2\x82\xAC", sizeof out, -1), 9);
  EXPECT_STREQ(out, "M\xFCnchen \xFF");
  // invalid bytes pass as Latin-1
  Utf8ToLatin1N(out, "Caf\xE9!", sizeof out, -1);
  EXPECT_STREQ(out, "Caf\xE9!");
}

TEST(Utf8ToLatin1, BoundedBothWays) {
  char out[8];
  memset(out, '#', sizeof out);
  EXPECT_EQ(Utf8ToLatin1N(out, "abcdefghij", 4, -1), 3);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(out[4], '#');
  const char raw[3] = {'x', '\xC3', '\xBC'};
  EXPECT_EQ(Utf8ToLatin1N(out, raw, sizeof out, 2), 2);  // the cut sequence stays a byte
  EXPECT_STREQ(out, "x\xC3");
  EXPECT_EQ(Utf8ToLatin1N(out, raw, sizeof out, 3), 2);
  EXPECT_STREQ(out, "x\xFC");
}

TEST(UtfWide, Latin1AndBack) {
  WideChar w[8];
  EXPECT_EQ(UtfLatin1ToWide(w, "\xC4q\xFF", 8, -1), 3);
  EXPECT_EQ(w[0], 0xC4);
  EXPECT_EQ(w[2], 0xFF);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(UtfLatin1ToWide(w, "abcdefghij", 4, -1), 3);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(UtfLatin1ToWide(w, "abcdef", 8, 2), 2);
  const WideChar src[] = {'A', 0xE9, 0x20AC, 0x100, 0};
  char out[8];
  EXPECT_EQ(UtfWideToLatin1(out, src, sizeof out, -1), 4);
  EXPECT_STREQ(out, "A\xE9\xFF\xFF");
  EXPECT_EQ(UtfWideToLatin1(out, src, 2, -1), 1);
  EXPECT_STREQ(out, "A");
}

}  // namespace
