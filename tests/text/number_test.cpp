#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "text/number.h"

namespace {

double Parse(const char* t, unsigned flags, int* n) { return NumParseDoubleA(t, n, flags); }

TEST(NumParseDouble, CoordinateFlags) {
  int n;
  EXPECT_EQ(Parse("48,125 N", 5, &n), 48.125);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(Parse("-11.5\xB0", 5, &n), -11.5);  // the degree sign follows at n
  EXPECT_EQ(n, 5);
  EXPECT_EQ(Parse("  +7", 5, &n), 7.0);
  EXPECT_EQ(n, 4);
  // without flag 4 a comma ends the number
  EXPECT_EQ(Parse("48,125", 1, &n), 48.0);
  EXPECT_EQ(n, 2);
  // only one decimal point
  EXPECT_EQ(Parse("1.5,25", 5, &n), 1.5);
  EXPECT_EQ(n, 3);
}

TEST(NumParseDouble, SignNeedsFlag1) {
  int n = 99;
  EXPECT_EQ(Parse("-3", 0, &n), 0.0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Parse("12'", 0x604, &n), 12.0);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(Parse("-12'", 0x604, &n), 0.0);
  EXPECT_EQ(n, 0);
}

TEST(NumParseDouble, NoNumberGivesZeroAndNothingConsumed) {
  int n = 99;
  const char* none[] = {"", "   ", ".", "-", "+.", "abc", "e5", ",5x"};
  for (const char* t : none) {
    n = 99;
    EXPECT_EQ(Parse(t, 3, &n), 0.0) << t;
    EXPECT_EQ(n, 0) << t;
  }
  EXPECT_EQ(Parse(",5", 7, &n), 0.5);
  EXPECT_EQ(NumParseDoubleA("7", nullptr, 0), 7.0);
}

TEST(NumParseDouble, GroupSeparatorsAndNoSkip) {
  int n;
  EXPECT_EQ(Parse("1 234 567,25;", 5, &n), 1234567.25);
  EXPECT_EQ(n, 12);
  EXPECT_EQ(Parse("1_000", 0, &n), 1000.0);
  EXPECT_EQ(Parse("12  34", 0, &n), 12.0);  // two blanks end it
  EXPECT_EQ(n, 2);
  EXPECT_EQ(Parse("1.5 25", 0, &n), 1.5);   // not inside the fraction
  EXPECT_EQ(Parse(" 5", 0x200, &n), 0.0);
  EXPECT_EQ(n, 0);
}

TEST(NumParseDouble, ExponentOnlyWithFlag) {
  int n;
  EXPECT_EQ(Parse("1.5e3", 1, &n), 1.5);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(Parse("1.5e3", 3, &n), 1500.0);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(Parse("1.5e+x", 3, &n), 1.5);
  EXPECT_EQ(n, 3);
  EXPECT_TRUE(isinf(Parse("1e999999999999999999", 3, &n)));
  EXPECT_EQ(Parse("1e-999999999999999999", 3, &n), 0.0);
  EXPECT_EQ(Parse("0e999999", 3, &n), 0.0);
}

TEST(NumParseDouble, FloatTokenForms) {
  int n;
  EXPECT_EQ(Parse("2.5E-1x", 0x401, &n), 0.25);
  EXPECT_EQ(n, 6);
  EXPECT_TRUE(isinf(Parse("1.#INF", 0x401, &n)));
  EXPECT_EQ(n, 6);
  double d = Parse("-1.#IND00", 0x401, &n);
  EXPECT_TRUE(isnan(d));
  EXPECT_EQ(n, 9);
  EXPECT_EQ(Parse("1 234", 0x400, &n), 1.0);  // no group separators here
}

TEST(NumParseDouble, WideTwin) {
  const WideChar w[] = {' ', '4', '8', ',', '5', 0x2032, 0};
  int n;
  EXPECT_EQ(NumParseDoubleW(w, &n, 5), 48.5);
  EXPECT_EQ(n, 5);
  const WideChar big[] = {'1', 0x0661, '2', 0};  // an Arabic-Indic digit is no digit
  EXPECT_EQ(NumParseDoubleW(big, &n, 5), 1.0);
  EXPECT_EQ(n, 1);
}

TEST(NumMeasureFloat, Tokens) {
  EXPECT_EQ(NumMeasureFloatA("  48.1,11.5"), 6);
  EXPECT_EQ(NumMeasureFloatA("-1.5e-3 "), 7);
  EXPECT_EQ(NumMeasureFloatA("1e"), 1);
  EXPECT_EQ(NumMeasureFloatA(".5"), 2);
  EXPECT_EQ(NumMeasureFloatA("-1.#QNAN0"), 9);
  EXPECT_EQ(NumMeasureFloatA("  x"), 0);
  EXPECT_EQ(NumMeasureFloatA("-."), 0);
  EXPECT_EQ(NumMeasureFloatA(""), 0);
}

TEST(NumParseInt, RadixPrefixes) {
  int n;
  EXPECT_EQ(NumParseIntA("0x1F", 0, &n), 31);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(NumParseIntA("0b101", 0, &n), 5);
  EXPECT_EQ(NumParseIntA("0o17", 0, &n), 15);
  EXPECT_EQ(NumParseIntA("0d19", 0, &n), 19);
  EXPECT_EQ(NumParseIntA(" -42;", 0, &n), -42);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(NumParseIntA("0xZ", 0, &n), 0);  // the prefix needs a digit behind it
  EXPECT_EQ(n, 1);
  EXPECT_EQ(NumParseIntA("0b2", 0, &n), 0);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(NumParseIntA("ff", 16, &n), 255);
  EXPECT_EQ(NumParseIntA("x", 0, &n), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(NumParseIntA("3", 0, nullptr), 3);
}

TEST(NumParseInt, ThirtyTwoBitRange) {
  EXPECT_EQ(NumParseIntA("0xFF00FF00", 0, nullptr), (int32_t)0xFF00FF00u);
  EXPECT_EQ(NumParseIntA("4294967295", 0, nullptr), -1);
  EXPECT_EQ(NumParseIntA("-2147483648", 0, nullptr), INT32_MIN);
  EXPECT_EQ(NumParseIntA("99999999999999999999", 0, nullptr), -1);  // saturates
  EXPECT_EQ(NumParseIntA("0x123456789", 0, nullptr), -1);
}

TEST(NumParseHex, DigitsLengthAndBlanks) {
  EXPECT_EQ(NumParseHexNA(" \t1aF0S", -1), 0x1AF0u);
  EXPECT_EQ(NumParseHexNA("12345678", 4), 0x1234u);
  EXPECT_EQ(NumParseHexNA("  12", 3), 1u);
  EXPECT_EQ(NumParseHexNA("DEADBEEF", -1), 0xDEADBEEFu);
  EXPECT_EQ(NumParseHexNA("g", -1), 0u);
  const char raw[2] = {'A', 'B'};
  EXPECT_EQ(NumParseHexNA(raw, 2), 0xABu);
}

TEST(NumFormatInt, DecimalHexAndSize) {
  char b[16];
  EXPECT_EQ(NumFormatIntA(-2147483647 - 1, b, sizeof b, 0), 11);
  EXPECT_STREQ(b, "-2147483648");
  EXPECT_EQ(NumFormatIntA(0xFF00FF, b, sizeof b, 1), 8);
  EXPECT_STREQ(b, "0xFF00FF");
  EXPECT_EQ(NumFormatIntA(-1, b, sizeof b, 1), 10);
  EXPECT_STREQ(b, "0xFFFFFFFF");
  memset(b, '#', sizeof b);
  EXPECT_EQ(NumFormatIntA(12345, b, 5, 0), -1);
  EXPECT_STREQ(b, "");
  EXPECT_EQ(b[1], '#');
  EXPECT_EQ(NumFormatIntA(1234, b, 5, 0), 4);
  EXPECT_EQ(NumParseIntA(b, 0, nullptr), 1234);
}

}  // namespace
