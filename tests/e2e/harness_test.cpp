// The harness itself: the test programs see the trees and can make folders.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/testenv.h"

TEST(Harness, SourceTreeIsReadable) {
  std::vector<unsigned char> data;
  ASSERT_TRUE(orvtest::ReadFile(orvtest::SourcePath("CMakeLists.txt"), data));
  EXPECT_NE(std::string(data.begin(), data.end()).find("project(Orvalo"), std::string::npos);
}

TEST(Harness, TempDirRoundTrip) {
  std::string dir = orvtest::MakeTempDir("h");
  std::string f = dir + "/x.bin";
  const char text[] = "L\xF6schen";
  ASSERT_TRUE(orvtest::WriteFile(f, text, sizeof text));
  std::vector<unsigned char> back;
  ASSERT_TRUE(orvtest::ReadFile(f, back));
  ASSERT_EQ(back.size(), sizeof text);
  EXPECT_EQ(0, memcmp(back.data(), text, sizeof text));
}

TEST(Harness, NarrowLiteralsAreWindows1252) {
  // the build turns UTF-8 sources into Windows-1252 literals
  const char* s = "ö";
  EXPECT_EQ(1u, strlen(s));
  EXPECT_EQ(0xF6, (unsigned char)s[0]);
}
