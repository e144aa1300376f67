// The folder controls' rules on path text, checked without windows.
#include "treelist/folderdlg/pathtext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "treelist/folderdlg/folderlimits.h"

namespace {

TEST(PathText, CleanKeepsRootsAndDropsTrailingParts) {
  EXPECT_EQ(PathTextClean("  C:/Spiele/Quiz/ "), "C:\\Spiele\\Quiz");
  EXPECT_EQ(PathTextClean("C:\\"), "C:\\");
  EXPECT_EQ(PathTextClean("C:\\\\ "), "C:\\");
  EXPECT_EQ(PathTextClean("C:"), "C:");
  EXPECT_EQ(PathTextClean("\\\\"), "\\\\");
  EXPECT_EQ(PathTextClean("\\\\server\\share\\"), "\\\\server\\share");
  EXPECT_EQ(PathTextClean(nullptr), "");
}

TEST(PathText, RelativeIsCutAtColonAndWildcards) {
  EXPECT_EQ(PathTextCleanRelative("  Bilder/Runde 1/ "), "Bilder\\Runde 1");
  EXPECT_EQ(PathTextCleanRelative("a*b"), "a");
  EXPECT_EQ(PathTextCleanRelative("x:y"), "x");
  EXPECT_EQ(PathTextCleanRelative("?"), "");
  EXPECT_EQ(PathTextCleanRelative(std::string(300, 'a').c_str()).size(), 260u);
}

TEST(PathText, SegmentsOfDrivesNetworkAndLongPaths) {
  std::vector<PathSegment> s = PathTextSegments("C:\\a\\\\bc\\", 32);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].start, 0);
  EXPECT_EQ(s[0].length, 2);
  EXPECT_EQ(s[2].start, 6);
  EXPECT_EQ(s[2].length, 2);
  EXPECT_EQ(PathTextSegments("\\\\srv\\share", 32).size(), 2u);
  std::string deep = "C:";
  for (int i = 0; i < 40; ++i) deep += "\\d" + std::to_string(i);
  EXPECT_EQ(PathTextSegments(deep.c_str(), FOLDER_MAX_SEGMENTS).size(), 32u);
  EXPECT_EQ(PathTextPrefix(deep.c_str(), 3, 32), "C:\\d0\\d1");
  EXPECT_EQ(PathTextPrefix("\\\\srv\\share\\x", 2, 32), "\\\\srv\\share");
  EXPECT_EQ(PathTextPrefix("C:\\a", 0, 32), "");
}

TEST(PathText, CommonSegmentsIgnoreCaseButNotNetworkMode) {
  EXPECT_EQ(PathTextCommonSegments("C:\\Spiele\\Quiz", "c:\\SPIELE\\Karten", 32), 2);
  EXPECT_EQ(PathTextCommonSegments("C:\\Ärger", "C:\\äRGER\\x", 32), 2);
  EXPECT_EQ(PathTextCommonSegments("\\\\C:\\a", "C:\\a", 32), 0);
  EXPECT_EQ(PathTextCommonSegments("C:\\ab", "C:\\a", 32), 1);
}

TEST(PathText, TagsCarryListAndGeneration) {
  uint32_t t = PathTag(0x1234567, 32);
  EXPECT_EQ(PathTagList(t), 32);
  EXPECT_EQ(PathTagGeneration(t), 0x234567u);
  EXPECT_NE(PathTag(1, 0), 0u);  // never "no request"
  EXPECT_NE(PathTag(5, 2), PathTag(6, 2));
}

TEST(PathText, RegistryWalkRefusesBadNames) {
  bool root;
  std::vector<std::string> keys;
  std::string last;
  ASSERT_TRUE(PathTextSplitKey("GameOptions\\InfoDirs", &root, &keys, &last));
  EXPECT_FALSE(root);
  EXPECT_EQ(keys, std::vector<std::string>{"GameOptions"});
  EXPECT_EQ(last, "InfoDirs");
  ASSERT_TRUE(PathTextSplitKey("#Software/Vexa/x", &root, &keys, &last));
  EXPECT_TRUE(root);
  EXPECT_EQ(keys.size(), 2u);
  EXPECT_FALSE(PathTextSplitKey("a\\", &root, &keys, &last));  // empty value name
  EXPECT_TRUE(last.empty());
  EXPECT_FALSE(PathTextSplitKey((std::string(260, 'k') + "\\v").c_str(), &root, &keys, &last));
  EXPECT_TRUE(PathTextSplitKey((std::string(259, 'k') + "\\v").c_str(), &root, &keys, &last));
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += "k\\";
  EXPECT_FALSE(PathTextSplitKey((deep + "v").c_str(), &root, &keys, &last));  // 12 sub keys
  EXPECT_TRUE(PathTextSplitKey((deep.substr(2) + "v").c_str(), &root, &keys, &last));
}

TEST(PathText, RecentListMergesNewestFirstWithoutDuplicates) {
  std::vector<std::string> list = {"C:\\alt"};
  std::string multi;
  // 40 stored entries, newest first, with duplicates, an empty and an over-long one
  for (int i = 0; i < 40; ++i) {
    std::string e = i == 3 ? std::string(300, 'x') : "C:\\d" + std::to_string(i % 20);
    if (i == 5) e = "c:\\D1";
    multi += e;
    multi += '\0';
  }
  multi += '\0';
  PathTextMergeRecent(&list, multi.data(), multi.size());
  ASSERT_EQ(list.size(), 16u);
  EXPECT_EQ(list[0], "C:\\d0");
  EXPECT_EQ(list[1], "C:\\d1");  // the newer spelling of d1 stays in front of "c:\D1"
  for (size_t i = 0; i < list.size(); ++i)
    for (size_t j = i + 1; j < list.size(); ++j) EXPECT_NE(list[i], list[j]);
  for (const std::string& s : list) EXPECT_LE(s.size(), (size_t)FOLDER_MAX_PATH);
  PathTextAddRecent(&list, "C:\\D7");
  EXPECT_EQ(list[0], "C:\\D7");
  EXPECT_EQ(list.size(), 16u);
  EXPECT_EQ(std::count(list.begin(), list.end(), std::string("C:\\d7")), 0);
}

TEST(PathText, TypeAheadClock) {
  TypeAhead t;
  EXPECT_EQ(t.Add('a', 1000), "a");
  EXPECT_TRUE(t.StartsAfterSelection());
  EXPECT_EQ(t.Add('b', 1500), "ab");   // 500 ms after the first still counts
  EXPECT_EQ(t.Add('c', 2250), "abc");  // 750 ms after the second
  EXPECT_EQ(t.Add('d', 3250), "abcd");  // 1000 ms from the third on
  EXPECT_EQ(t.Add('e', 4251), "e");    // too late: starts again
  EXPECT_EQ(t.Add('E', 4300), "E");    // one letter again: cycles
  TypeAhead u;
  std::string s;
  for (int i = 0; i < 8; ++i) s = u.Add((char)('a' + i), 10000 + (uint32_t)i * 10);
  EXPECT_EQ(s, "abcdefgh");
  EXPECT_EQ(u.Add('i', 10100), "i");  // a ninth starts again
  TypeAhead w;
  w.Add('a', 0);
  EXPECT_EQ(w.Add('b', 501), "b");
}

}  // namespace
