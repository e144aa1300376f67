#include <gtest/gtest.h>

#include <string>

#include "text/strmatch.h"

namespace {

int Match(const char* pattern, const char* text, unsigned flags) {
  return StrMatchPatternA(pattern, -1, text, -1, flags);
}

TEST(StrMatchPattern, TkStartLine) {
  const char* p = "\\z.\\z,\\.\\z.\\z";
  EXPECT_EQ(Match(p, "48.1234,11.5678\n48.2,11.6", 4), 15);
  EXPECT_EQ(Match(p, "48.1234, \t11.5678 rest", 4), 17);
  EXPECT_EQ(Match(p, "x48.1,11.5", 4), 0);     // a run must begin with a digit
  EXPECT_EQ(Match(p, "48.1;11.5", 4), 0);
  EXPECT_EQ(Match(p, "48.1,11.5 rest", 0), 0);  // without prefix mode the whole text
  EXPECT_EQ(Match(p, "48.1,11.5", 0), 9);
}

TEST(StrMatchPattern, BlankRunsMayBeEmptyAndCaseFolds) {
  EXPECT_EQ(Match("/coordinates\\_/LineString\\_", "/Coordinates\t /LINESTRING  <x>", 5), 27);
  EXPECT_EQ(Match("/coordinates\\_/LineString\\_", "/coordinates/LineString", 5), 23);
  EXPECT_EQ(Match("/coordinates\\_/LineString\\_", "/Coordinates/LineString", 4), 0);
  // line breaks are not blanks
  EXPECT_EQ(Match("a\\_b", "a\nb", 4), 0);
}

TEST(StrMatchPattern, StarCoversAsLittleAsTheRestAllows) {
  const char* p = "LineString\\_*altitudeMode*/altitudeMode\\_coordinates\\_";
  std::string t = "linestring <altitudeMode>clampToGround</altitudeMode coordinates 1,2 "
                  "LineString <altitudeMode>x</altitudeMode coordinates 3,4";
  EXPECT_EQ(Match(p, t.c_str(), 5), 65);  // up to the first list, not the last
  EXPECT_EQ(Match("a*", "abc", 4), 1);
  EXPECT_EQ(Match("a*", "abc", 0), 3);
  EXPECT_EQ(Match("*c", "abcabc", 0), 6);
  EXPECT_EQ(Match("*", "", 0), 0);
}

TEST(StrMatchPattern, EscapesAndLengths) {
  EXPECT_EQ(Match("a\\*b", "a*b", 0), 3);
  EXPECT_EQ(Match("a\\*b", "axb", 0), 0);
  EXPECT_EQ(Match("a\\\\b", "a\\b", 0), 3);
  // explicit lengths: the text is not read beyond its length
  const char raw[3] = {'1', '2', 'x'};
  EXPECT_EQ(StrMatchPatternA("\\z", 2, raw, 2, 0), 2);
  EXPECT_EQ(StrMatchPatternA("\\zIGNORED", 2, raw, 3, 4), 3);
}

TEST(StrMatchPattern, ManyStarsStayFast) {
  std::string text(20000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  pattern += "*b";
  EXPECT_EQ(Match(pattern.c_str(), text.c_str(), 0), 0);
  text += 'b';
  EXPECT_EQ(Match(pattern.c_str(), text.c_str(), 0), (int)text.size());
}

}  // namespace
