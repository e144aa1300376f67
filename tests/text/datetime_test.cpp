#include <gtest/gtest.h>

#include <string.h>

#include "text/datetime.h"

namespace {

TEST(DateFormatTime, UtcForms) {
  char b[64];
  const int64_t t = 1709820309;  // 2024-03-07 14:05:09 UTC
  EXPECT_EQ(DateFormatTimeA(b, sizeof b, t, 0x150), 10);
  EXPECT_STREQ(b, "2024-03-07");
  EXPECT_EQ(DateFormatTimeA(b, sizeof b, t, 0x122), 8);
  EXPECT_STREQ(b, "14:05:09");
  EXPECT_EQ(DateFormatTimeA(b, sizeof b, t, 0x172), 19);
  EXPECT_STREQ(b, "2024-03-07 14:05:09");
  DateFormatTimeA(b, sizeof b, t, 0x102);
  EXPECT_STREQ(b, "14:05");
  DateFormatTimeA(b, sizeof b, t, 0x140);
  EXPECT_STREQ(b, "24-03-07");
  DateFormatTimeA(b, sizeof b, -1, 0x172);
  EXPECT_STREQ(b, "1969-12-31 23:59:59");
  DateFormatTimeA(b, sizeof b, 951782400, 0x150);  // leap day of a century leap year
  EXPECT_STREQ(b, "2000-02-29");
}

TEST(DateFormatTime, NeverWritesPastTheSize) {
  char b[16];
  memset(b, '#', sizeof b);
  EXPECT_EQ(DateFormatTimeA(b, 10, 0, 0x150), -1);
  EXPECT_STREQ(b, "");
  EXPECT_EQ(b[10], '#');
  EXPECT_EQ(DateFormatTimeA(b, 11, 0, 0x150), 10);
  EXPECT_STREQ(b, "1970-01-01");
}

TEST(DateParseTime, IsoFormsOfTheTrackFiles) {
  unsigned rf = 0;
  EXPECT_EQ(DateParseTimeA("2024-03-07T14:05:09Z</time>", 0x106, &rf), 1709820309);
  EXPECT_EQ(rf, 7u);
  EXPECT_EQ(DateParseTimeA("  2024-03-07T14:05:09.750Z", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("2024-03-07T15:35:09+01:30", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("2024-03-07T09:05:09-0500", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("2024-03-07 14:05:09", 0x106, &rf), 1709820309);
  EXPECT_EQ(rf, 3u);
  EXPECT_EQ(DateParseTimeA("2024-03-07", 0x106, &rf), 1709769600);
  EXPECT_EQ(rf, 1u);
  // without the time flag only the date counts
  EXPECT_EQ(DateParseTimeA("2024-03-07T14:05:09Z", 0x100, nullptr), 1709769600);
  // without the zone flag the designator is not read; 0x100 makes it UTC
  EXPECT_EQ(DateParseTimeA("2024-03-07T14:05:09+05:00", 0x102, &rf), 1709820309);
  EXPECT_EQ(rf, 3u);
}

TEST(DateParseTime, OtherDateForms) {
  EXPECT_EQ(DateParseTimeA("07-MAR-24 14:05:09", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("07-Mar-2024 14:05:09", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("7.3.2024 14:05:09", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("03/07/2024 14:05:09", 0x106, nullptr), 1709820309);
  EXPECT_EQ(DateParseTimeA("01-JAN-70 00:00:01", 0x106, nullptr), 1);
  EXPECT_EQ(DateParseTimeA("31.12.69", 0x100, nullptr), 3155673600LL);  // 2069
}

TEST(DateParseTime, NoDateGivesZero) {
  const char* bad[] = {"", "hello", "2024-13-01", "2023-02-29", "2024-02-30", "2024-00-10",
                       "24-03-07", "07-XYZ-24", "1.2.3", "2024/03/07", "31.04.2024"};
  for (const char* t : bad) {
    unsigned rf = 99;
    EXPECT_LE(DateParseTimeA(t, 0x106, &rf), 0) << t;
    EXPECT_EQ(rf, 0u) << t;
  }
  // an impossible time is no time: only the date is taken
  unsigned rf;
  EXPECT_EQ(DateParseTimeA("2024-03-07T25:00:00Z", 0x106, &rf), 1709769600);
  EXPECT_EQ(rf, 1u);
  EXPECT_EQ(DateParseTimeA("2024-02-29", 0x100, nullptr), 1709164800);
}

TEST(DateTime, LocalRoundTrip) {
  char b[64];
  for (int64_t t : {int64_t(1709820309), int64_t(1720000000), int64_t(1000000000)}) {
    ASSERT_EQ(DateFormatTimeA(b, sizeof b, t, 0x72), 19);
    EXPECT_EQ(DateParseTimeA(b, 0x2, nullptr), t) << b;
  }
}

}  // namespace
