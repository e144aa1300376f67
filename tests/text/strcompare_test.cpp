#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/strcompare.h"

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(StrCompareNatural, DigitRunsCompareByValue) {
  EXPECT_LT(StrCompareNaturalNoCaseA("file2", "file10"), 0);
  EXPECT_GT(StrCompareNaturalNoCaseA("file10", "file9"), 0);
  EXPECT_LT(StrCompareNaturalNoCaseA("a9b", "a10a"), 0);
  // far beyond 64 bits
  EXPECT_LT(StrCompareNaturalNoCaseA("x123456789012345678901234567890",
                                     "x123456789012345678901234567891"), 0);
  EXPECT_GT(StrCompareNaturalNoCaseA("x99999999999999999999999", "x9999999999999999999999"), 0);
}

TEST(StrCompareNatural, CaseAndAccentsFold) {
  EXPECT_EQ(StrCompareNaturalNoCaseA("Readme", "README"), 0);
  EXPECT_EQ(StrCompareNaturalNoCaseA("\xC4pfel", "\xE4PFEL"), 0);  // Äpfel / äPFEL
  // ä sorts with a, before b, not behind z
  EXPECT_LT(StrCompareNaturalNoCaseA("\xE4rger", "berg"), 0);
  EXPECT_GT(StrCompareNaturalNoCaseA("\xE4rger", "arf"), 0);
  EXPECT_LT(StrCompareNaturalNoCaseA("\xE4rger", "argument"), 0);
}

TEST(StrCompareNatural, DotRanksLow) {
  EXPECT_LT(StrCompareNaturalNoCaseA("name.txt", "name-2.txt"), 0);
  EXPECT_LT(StrCompareNaturalNoCaseA("name.txt", "name txt"), 0);
  EXPECT_LT(StrCompareNaturalNoCaseA("name", "name.txt"), 0);
}

TEST(StrCompareNatural, IsAConsistentOrder) {
  std::vector<std::string> v = {"b10", "B2", "a", "a.1", "a01", "a1", "\xE1", "A", "b02", "", "_x",
                                "10", "9", "009", "z", "\xFF"};
  for (const auto& x : v) {
    EXPECT_EQ(StrCompareNaturalNoCaseA(x.c_str(), x.c_str()), 0);
    for (const auto& y : v) {
      int xy = StrCompareNaturalNoCaseA(x.c_str(), y.c_str());
      EXPECT_EQ(Sign(xy), -Sign(StrCompareNaturalNoCaseA(y.c_str(), x.c_str()))) << x << " " << y;
      for (const auto& z : v) {
        if (xy < 0 && StrCompareNaturalNoCaseA(y.c_str(), z.c_str()) < 0) {
          EXPECT_LT(StrCompareNaturalNoCaseA(x.c_str(), z.c_str()), 0) << x << " " << y << " " << z;
        }
      }
    }
  }
}

TEST(StrComparePath, FoldsAsciiWithinLength) {
  EXPECT_EQ(StrComparePathNoCaseNA("C:\\Dir\\x", "c:\\dIR\\y", 7), 0);
  EXPECT_NE(StrComparePathNoCaseNA("C:\\Dir\\x", "c:\\dIR\\y", 8), 0);
  EXPECT_LT(StrComparePathNoCaseNA("ab", "abc", 5), 0);
  EXPECT_EQ(StrComparePathNoCaseNA("ab", "abc", 2), 0);
  EXPECT_NE(StrComparePathNoCaseNA("\xC4", "\xE4", 1), 0);
}

TEST(StrConvertCase, WordsOfAllCapitalNames) {
  char out[64];
  EXPECT_EQ(StrConvertCaseA(out, "PROGRAM FILES", sizeof out, 0xA200), 13);
  EXPECT_STREQ(out, "Program Files");
  StrConvertCaseA(out, "\xC4RGER-\xDC" "BER", sizeof out, 0xA200);  // ÄRGER-ÜBER
  EXPECT_STREQ(out, "\xC4rger-\xDC" "ber");
  StrConvertCaseA(out, "MyDocs", sizeof out, 0xA200);  // mixed case stays
  EXPECT_STREQ(out, "MyDocs");
  StrConvertCaseA(out, "DOCUME~1", sizeof out, 0xA200);
  EXPECT_STREQ(out, "Docume~1");
  StrConvertCaseA(out, "2ND DISK", sizeof out, 0xA200);
  EXPECT_STREQ(out, "2nd Disk");
}

TEST(StrConvertCase, UpperLowerInPlaceAndBounded) {
  char t[16] = "Stra\xDF" "e \xE9t\xE9";  // Straße été
  StrConvertCaseA(t, t, sizeof t, STRCASE_UPPER | STRCASE_ACCENTS);
  EXPECT_STREQ(t, "STRA\xDF" "E \xC9T\xC9");
  StrConvertCaseA(t, t, sizeof t, STRCASE_LOWER);  // ASCII only
  EXPECT_STREQ(t, "stra\xDF" "e \xC9t\xC9");
  char small[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(StrConvertCaseA(small, "abcdef", 3, STRCASE_UPPER), 2);
  EXPECT_STREQ(small, "AB");
  EXPECT_EQ(small[3], '#');
}

}  // namespace
