#include <ctype.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "text/strclass.h"

namespace {

std::set<int> CodesIn(uint32_t mask) {
  std::set<int> s;
  for (int c = 0; c < 256; ++c) {
    if (StrCharClassTable[c] & mask) s.insert(c);
  }
  return s;
}

std::set<int> Codes(const std::string& chars) {
  std::set<int> s;
  for (char c : chars) s.insert((unsigned char)c);
  return s;
}

TEST(CharClassTable, MasksTheCallersUseHoldExactlyTheirCharacters) {
  EXPECT_EQ(CodesIn(0xA0), Codes("\t "));
  EXPECT_EQ(CodesIn(0xE0), Codes("\t\r\n "));
  EXPECT_EQ(CodesIn(0x40), Codes("\r\n"));
  EXPECT_EQ(CodesIn(0x1200), Codes(".,"));
  EXPECT_EQ(CodesIn(0x10A0), Codes("\t ,"));
  EXPECT_EQ(CodesIn(0x1A0), Codes("\t \""));
  EXPECT_EQ(CodesIn(0x100000), Codes("\\"));
  EXPECT_EQ(CodesIn(0x200000), Codes("/"));
  EXPECT_EQ(CodesIn(0x400000), Codes(":"));
  std::set<int> end = Codes("\t\r\n ");
  end.insert(0);
  EXPECT_EQ(CodesIn(0x800000E0), end);
}

TEST(CharClassTable, LettersDigitsAndHexAgreeWithTheCLibrary) {
  for (int c = 0; c < 128; ++c) {
    uint32_t k = StrCharClassTable[c];
    EXPECT_EQ((k & 7) != 0, isalnum(c) != 0) << c;
    EXPECT_EQ((k & STRCLS_UPPER) != 0, isupper(c) != 0) << c;
    EXPECT_EQ((k & STRCLS_LOWER) != 0, islower(c) != 0) << c;
    EXPECT_EQ((k & STRCLS_XDIGIT) != 0, isxdigit(c) != 0) << c;
  }
  for (int c = 128; c < 256; ++c) EXPECT_EQ(StrCharClassTable[c] & 7, 0u) << c;
}

TEST(CharClassTable, NameRunsOfTheTrackReaders) {
  // 0x1F: digits, letters, "_" and every high code
  for (int c = 1; c < 256; ++c) {
    bool want = isalnum(c) || c == '_' || c >= 128;
    EXPECT_EQ((StrCharClassTable[c] & 0x1F) != 0, want) << c;
  }
  std::set<int> withSigns = CodesIn(0xFF);
  for (int c : Codes(":-+")) withSigns.insert(c);
  EXPECT_EQ(CodesIn(0x64000FF), withSigns);
  // accented letters: Ä and ä are in, the multiplication sign is only a high code
  EXPECT_TRUE(StrCharClass('\xC4') & 0x30000000);
  EXPECT_TRUE(StrCharClass('\xE4') & 0x30000000);
  EXPECT_FALSE(StrCharClass('\xD7') & 0x30000000);
  EXPECT_FALSE(StrCharClass('+') & 0x324000FF);
}

TEST(CharClassSpan, TerminatorEndsEveryRun) {
  const char text[] = " \t x";
  EXPECT_EQ(StrSpanClassA(text, 0xA0), 3);
  EXPECT_EQ(StrSpanClassA("  ", 0x800000E0), 2);  // must not run past the zero
  EXPECT_EQ(StrCSpanClassA("abc", 0x40), 3);
  EXPECT_EQ(StrCSpanClassA("ab\r\nc", 0x40), 2);
  EXPECT_EQ(StrCSpanClassA("C:\\dir", STRCLS_DRIVEEND), 1);
}

TEST(CharClassSpan, CountBoundsTheRun) {
  EXPECT_EQ(StrSpanClassNA("12345", STRCLS_DIGIT, 3), 3);
  EXPECT_EQ(StrSpanClassNA("12", STRCLS_DIGIT, 10), 2);
  EXPECT_EQ(StrSpanClassNA("12", STRCLS_DIGIT, 0), 0);
  EXPECT_EQ(StrSpanClassNA("12", STRCLS_DIGIT, -5), 0);
  EXPECT_EQ(StrCSpanClassNA("abcdef", STRCLS_DIGIT, 4), 4);
  EXPECT_EQ(StrCSpanClassNA("ab1", STRCLS_DIGIT, 4), 2);
  // a buffer without terminator is never read past the count
  const char raw[4] = {'1', '2', '3', '4'};
  EXPECT_EQ(StrSpanClassNA(raw, STRCLS_DIGIT, 4), 4);
}

TEST(CharClassSpan, WideTextUsesTheTableBelow256) {
  const WideChar w[] = {'1', 'a', 0xE4, 0x20AC, ' ', 0};
  EXPECT_EQ(StrSpanClassW(w, STRCLS_ALNUM), 2);
  EXPECT_EQ(StrSpanClassW(w, STRCLS_ALNUM | STRCLS_HIGH), 4);
}

}  // namespace
