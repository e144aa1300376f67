#include <gtest/gtest.h>

#include <locale.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/support/testenv.h"
#include "text/fmtprint.h"

namespace {

TEST(FmtPrint, ConversionsTheCallersUse) {
  char b[128];
  EXPECT_EQ(FmtPrintA(b, sizeof b, "Game%03i\\Info.html", 7), 17);
  EXPECT_STREQ(b, "Game007\\Info.html");
  FmtPrintA(b, sizeof b, "%s|%u|%i|%d|%.*s", "x", 4000000000u, -5, 42, 3, "abcdef");
  EXPECT_STREQ(b, "x|4000000000|-5|42|abc");
  FmtPrintA(b, sizeof b, "%f|%.6f|%.3f|%02i|%03u", 1.5, -0.0000004, 2.0005, 7, 5u);
  EXPECT_STREQ(b, "1.500000|-0.000000|2.001|07|005");
  FmtPrintA(b, sizeof b, "AreaXA%02i", 3);
  EXPECT_STREQ(b, "AreaXA03");
}

TEST(FmtPrint, FlagsWidthsAndLengths) {
  char b[128];
  FmtPrintA(b, sizeof b, "[%5d][%-5d][%05d][%+d][% d][%x][%#X][%#o][%lld]", 42, 42, -42, 3, 3,
            255u, 255u, 8u, -9000000000LL);
  EXPECT_STREQ(b, "[   42][42   ][-0042][+3][ 3][ff][0XFF][010][-9000000000]");
  FmtPrintA(b, sizeof b, "[%*d][%-*s][%.0d][%c][%%][%zu]", 4, 1, 3, "a", 0, 'Z', (size_t)17);
  EXPECT_STREQ(b, "[   1][a  ][][Z][%][17]");
  FmtPrintA(b, sizeof b, "[%10.3f][%-8.2e][%g][%G]", 3.14159, 1234.5, 0.0001, 1e-10);
  EXPECT_STREQ(b, "[     3.142][1.23e+03][0.0001][1E-10]");
  FmtPrintA(b, sizeof b, "%s", (const char*)nullptr);
  EXPECT_STREQ(b, "(null)");
}

TEST(FmtPrint, NeverWritesPastTheSize) {
  char b[16];
  memset(b, '#', sizeof b);
  EXPECT_EQ(FmtPrintA(b, 8, "%s-%d", "abcdef", 12345), 7);
  EXPECT_STREQ(b, "abcdef-");
  EXPECT_EQ(b[8], '#');
  EXPECT_EQ(FmtPrintA(b, 1, "%d", 5), 0);
  EXPECT_STREQ(b, "");
  EXPECT_EQ(FmtPrintA(b, 0, "%d", 5), 0);
  std::string big(5000, 'x');
  char c[64];
  EXPECT_EQ(FmtPrintA(c, sizeof c, "%s%.500f", big.c_str(), 1.0), 63);
}

TEST(FmtPrint, DecimalPointIgnoresTheLocale) {
  char b[32];
  // the C runtime's locale must not turn "." into ","
  if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) setlocale(LC_NUMERIC, "German");
  FmtPrintA(b, sizeof b, "%.2f", 1.25);
  setlocale(LC_NUMERIC, "C");
  EXPECT_STREQ(b, "1.25");
}

TEST(FmtFilePrint, WritesToAStream) {
  std::string dir = orvtest::MakeTempDir("fmtfile");
  std::string path = dir + "/out.txt";
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::string big(3000, 'y');
  EXPECT_EQ(FmtFilePrintA(f, "%s;%i\n", big.c_str(), 17), 3004);
  EXPECT_EQ(FmtFilePrintA(f, "<time>%sT%sZ</time>\n", "2024-03-07", "10:00:00"), 34);
  fclose(f);
  std::vector<unsigned char> data;
  ASSERT_TRUE(orvtest::ReadFile(path, data));
  EXPECT_EQ(std::string(data.begin(), data.end()),
            big + ";17\n<time>2024-03-07T10:00:00Z</time>\n");
}

TEST(FmtFilePrint, ReportsAWriteError) {
  FILE* f = fopen(orvtest::SourcePath("text/fmtprint.h").c_str(), "rb");  // read-only stream
  ASSERT_TRUE(f);
  EXPECT_EQ(FmtFilePrintA(f, "%s", "x"), -1);
  fclose(f);
}

}  // namespace
