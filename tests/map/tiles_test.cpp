// Tile sources as text, cache paths and the worker's order of cells.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "map/tilepath.h"
#include "map/tileplan.h"

namespace {

std::string Cache(bool fixed, const char* server, const char* folder, unsigned z, unsigned c, unsigned r,
                  const char* ext, int kind = 0) {
  char buf[300];
  int n = TileMakeCachePath(buf, sizeof buf, kind, fixed, server, folder, z, c, r, ext);
  return n < 0 ? "<none>" : std::string(buf, n);
}

TEST(TilePath, ServerPathSplitsIntoFolderAndSuffix) {
  char folder[96], suffix[257];
  ASSERT_EQ(1, TileSplitPath("watercolor/*.jpg", folder, sizeof folder, suffix, sizeof suffix));
  EXPECT_STREQ("/watercolor", folder);
  EXPECT_STREQ(".jpg", suffix);
  ASSERT_EQ(1, TileSplitPath("/a/b", folder, sizeof folder, suffix, sizeof suffix));
  EXPECT_STREQ("/a/b", folder);
  EXPECT_STREQ(".png", suffix);
  ASSERT_EQ(1, TileSplitPath("tiles/?apikey=1", folder, sizeof folder, suffix, sizeof suffix));
  EXPECT_STREQ("/tiles", folder);
  EXPECT_STREQ(".png?apikey=1", suffix);
  ASSERT_EQ(1, TileSplitPath("", folder, sizeof folder, suffix, sizeof suffix));
  EXPECT_STREQ("", folder);
  EXPECT_STREQ(".png", suffix);
  std::string longPath(200, 'x');
  EXPECT_EQ(0, TileSplitPath(longPath.c_str(), folder, sizeof folder, suffix, sizeof suffix));
}

TEST(TilePath, FixedSourceLiesBesideTheCache) {
  char folder[96], suffix[257], ext[17];
  ASSERT_EQ(1, TileSplitPath("watercolor/*.jpg", folder, sizeof folder, suffix, sizeof suffix));
  TileExtension(suffix, ext, sizeof ext);
  EXPECT_EQ("../OsmFixed/tile.example.org/watercolor/5/17/11.jpg",
            Cache(true, "tile.example.org", folder, 5, 17, 11, ext));
  EXPECT_EQ("tile.example.org/watercolor/5/17/11.jpg", Cache(false, "tile.example.org", folder, 5, 17, 11, ext));
  EXPECT_EQ("tile.example.org/watercolor/5/17", Cache(false, "tile.example.org", folder, 5, 17, 11, ext, 1));
}

TEST(TilePath, TableTextCannotLeaveTheCacheRoot) {
  // climbing, drives, streams, devices, wildcards and control codes
  EXPECT_EQ("a/__/__/x/1/2/3.png", Cache(false, "a/../..", "/x", 1, 2, 3, "png"));
  EXPECT_EQ("C_/_/Windows/1/2/3.png", Cache(false, "C:", "/./Windows", 1, 2, 3, "png"));
  EXPECT_EQ("host_8080/t_x_1/1/2/3.png", Cache(false, "host:8080", "/t?x&1", 1, 2, 3, "png"));
  EXPECT_EQ("_CON/_nul.txt/_COM1/1/2/3.png", Cache(false, "CON", "/nul.txt/COM1", 1, 2, 3, "png"));
  EXPECT_EQ("s/a_b_c_/1/2/3.png", Cache(false, "s", "/a*b\x01" "c|", 1, 2, 3, "png"));
  EXPECT_EQ("s/dir_/1/2/3.png", Cache(false, "s", "/dir.", 1, 2, 3, "png"));
  EXPECT_EQ("s/x/y/1/2/3.png", Cache(false, "s", "\\x\\\\y", 1, 2, 3, "png"));
  EXPECT_EQ("s/1/2/3.png", Cache(false, "s", "", 1, 2, 3, "../../"));
  std::string huge(280, 'f');
  EXPECT_EQ("<none>", Cache(false, "s", ("/" + huge).c_str(), 1, 2, 3, "png"));
  char dst[300];
  EXPECT_EQ(-1, TileJoinRoot(dst, sizeof dst, ("C:\\" + std::string(250, 'r')).c_str(), "s/1/2/3.png"));
  EXPECT_STREQ("", dst);
}

TEST(TilePath, UrlBySchemes) {
  char url[300];
  ASSERT_GT(TileMakeUrl(url, sizeof url, 0, "/f", 5, 17, 11, ".png"), 0);
  EXPECT_STREQ("/f/5/17/11.png", url);
  TileMakeUrl(url, sizeof url, 1, "/f", 5, 17, 11, ".png");
  EXPECT_STREQ("/f/5/11/17.png", url);
  TileMakeUrl(url, sizeof url, 2, "/map?layer=a", 5, 17, 11, ".png");
  EXPECT_STREQ("/map?layer=a&x=17&y=11&z=5", url);
  TileMakeUrl(url, sizeof url, 3, "/f", 5, 17, 11, ".jpg");
  EXPECT_STREQ("/f/5-17-11.jpg", url);
  TileMakeUrl(url, sizeof url, 7, "", 0, 0, 0, ".png?k=1");
  EXPECT_STREQ("/0/0/0.png?k=1", url);
  char small[8];
  EXPECT_EQ(-1, TileMakeUrl(small, sizeof small, 0, "/folder", 5, 17, 11, ".png"));
  EXPECT_STREQ("", small);
}

TEST(TilePath, OptionWords) {
  uint32_t w[8];
  ASSERT_EQ(2, TileParseOptions("TRANS 0x20FFFFFF", w));
  EXPECT_EQ(kTileOptTrans, w[0]);
  EXPECT_EQ(0x20FFFFFFu, w[1]);
  ASSERT_EQ(7, TileParseOptions("trans 5\tGRAY 0x12345678 1,2 3", w));
  EXPECT_EQ(kTileOptGray, w[2]);
  EXPECT_EQ(0x12345678u, w[3]);
  EXPECT_EQ(3u, w[6]);
  ASSERT_EQ(2, TileParseOptions("Gray 0x0F000000", w));
  EXPECT_EQ(kTileOptGray, w[0]);
  ASSERT_EQ(3, TileParseOptions(" 0xFF0000, 0x00FF00 ,255", w));
  EXPECT_EQ(255u, w[2]);
  EXPECT_EQ(0, TileParseOptions("TRANSX 5", w));
  EXPECT_EQ(8, TileParseOptions("1 2 3 4 5 6 7 8 9 10", w));
  EXPECT_EQ(0, TileParseOptions(nullptr, w));
}

TEST(TilePath, ExtensionFromSuffix) {
  char ext[17];
  TileExtension(".jpg", ext, sizeof ext);
  EXPECT_STREQ("jpg", ext);
  TileExtension(".png?apikey=abc", ext, sizeof ext);
  EXPECT_STREQ("png", ext);
  TileExtension("", ext, sizeof ext);
  EXPECT_STREQ("png", ext);
  TileExtension(".abcdefghijklmnopqrst", ext, sizeof ext);
  EXPECT_STREQ("abcdefghijklmnop", ext);
}

TEST(TilePath, TemporaryNamesDifferPerWorkerAndProcess) {
  char a[300], b[300], c[300];
  TileMakeTempName(a, sizeof a, "C:/r/s/1/2", 3, 100, 0);
  TileMakeTempName(b, sizeof b, "C:/r/s/1/2", 3, 100, 1);
  TileMakeTempName(c, sizeof c, "C:/r/s/1/2", 3, 101, 0);
  EXPECT_STRNE(a, b);
  EXPECT_STRNE(a, c);
  EXPECT_EQ(0, strncmp(a, "C:/r/s/1/2/3.", 13));
}

TEST(TilePath, BodyMustBeAnImage) {
  const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0};
  const unsigned char jfif[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
  const unsigned char html[] = "<html><body>404</body></html>";
  EXPECT_TRUE(TileBodyIsImage(png, sizeof png));
  EXPECT_TRUE(TileBodyIsImage(jfif, sizeof jfif));
  EXPECT_FALSE(TileBodyIsImage(html, sizeof html));
  EXPECT_FALSE(TileBodyIsImage(png, 4));   // the signature must be within the body
  EXPECT_FALSE(TileBodyIsImage(jfif, 8));
  EXPECT_FALSE(TileBodyIsImage(nullptr, 0));
}

// ------------------------------------------------------------------ spiral

std::vector<std::pair<int, int>> Walk(int c, int r, int c0, int c1, int r0, int r1) {
  std::vector<std::pair<int, int>> out;
  TileSpiralWalk(c, r, c0, c1, r0, r1,
                 [](void* ctx, int col, int row) {
                   ((std::vector<std::pair<int, int>>*)ctx)->push_back({col, row});
                   return true;
                 },
                 &out);
  return out;
}

TEST(TileSpiral, StartsAtTheCentreAndTurnsClockwiseOnScreen) {
  auto v = Walk(5, 5, 0, 10, 0, 10);
  ASSERT_GE(v.size(), 9u);
  std::vector<std::pair<int, int>> first = {{5, 5}, {6, 5}, {6, 6}, {5, 6}, {4, 6}, {4, 5}, {4, 4}, {5, 4}, {6, 4}};
  std::vector<std::pair<int, int>> got(v.begin(), v.begin() + 9);
  EXPECT_EQ(first, got);
}

TEST(TileSpiral, EveryCellOnceFromAnyCentre) {
  const int c0 = 2, c1 = 9, r0 = 1, r1 = 4;
  for (int c = -3; c <= 14; c += 1)
    for (int r = -2; r <= 7; r += 3) {
      auto v = Walk(c, r, c0, c1, r0, r1);
      std::set<std::pair<int, int>> s(v.begin(), v.end());
      EXPECT_EQ(v.size(), s.size()) << c << "," << r;
      EXPECT_EQ((size_t)(c1 - c0 + 1) * (r1 - r0 + 1), s.size()) << "centre " << c << "," << r;
      for (auto& p : v) {
        EXPECT_TRUE(p.first >= c0 && p.first <= c1 && p.second >= r0 && p.second <= r1);
      }
    }
}

TEST(TileSpiral, NearerCellsComeFirst) {
  auto v = Walk(0, 0, 0, 7, 0, 7);
  // Chebyshev rings never go down along the walk
  int ring = 0;
  for (auto& p : v) {
    int d = std::max(p.first, p.second);
    EXPECT_GE(d, ring);
    ring = d;
  }
}

TEST(TileSpiral, VisitorCanStop) {
  int n = 0;
  int visited = TileSpiralWalk(3, 3, 0, 6, 0, 6,
                               [](void* ctx, int, int) { return ++*(int*)ctx < 5; }, &n);
  EXPECT_EQ(5, visited);
  EXPECT_EQ(0, TileSpiralWalk(0, 0, 5, 4, 0, 1, [](void*, int, int) { return true; }, nullptr));
}

// -------------------------------------------------------------------- trim

TEST(TileTrim, OldestGoFirstUntilUnderTheLimit) {
  std::vector<uint64_t> sizes(70, 1u << 20);  // 70 MiB, newest first
  EXPECT_EQ(6u, TileTrimCount(sizes.data(), sizes.size(), TileCacheLimitBytes(64)));
  EXPECT_EQ(0u, TileTrimCount(sizes.data(), sizes.size(), TileCacheLimitBytes(70)));
  EXPECT_EQ(70u, TileTrimCount(sizes.data(), sizes.size(), 0));
}

TEST(TileTrim, LargeLimitsDoNotWrap) {
  EXPECT_EQ(4294967296ull, TileCacheLimitBytes(4096));
  std::vector<uint64_t> sizes(3, 1ull << 31);  // 6 GiB
  EXPECT_EQ(1u, TileTrimCount(sizes.data(), sizes.size(), TileCacheLimitBytes(4096)));
  EXPECT_EQ(0u, TileTrimCount(sizes.data(), sizes.size(), TileCacheLimitBytes(0xFFFFFFFFu)));
}

}  // namespace

TEST(TileBody, DimensionsAreReadFromTheHeaderWithinTheLength) {
  // PNG: signature, IHDR of 20000 x 20000
  unsigned char png[33] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                           0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 2, 0, 0, 0};
  int w = 0, h = 0;
  EXPECT_TRUE(TileBodyDimensions(png, sizeof png, &w, &h));
  EXPECT_EQ(20000, w);
  EXPECT_EQ(20000, h);
  for (size_t cut = 0; cut < 24; cut++) EXPECT_FALSE(TileBodyDimensions(png, cut, &w, &h)) << cut;
  // JPEG: SOI, APP0 of 16 bytes, SOF0 with 256 x 128
  unsigned char jpg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0,
                         0xFF, 0xC0, 0, 17, 8, 0, 128, 1, 0, 3};
  EXPECT_TRUE(TileBodyDimensions(jpg, sizeof jpg, &w, &h));
  EXPECT_EQ(256, w);
  EXPECT_EQ(128, h);
  for (size_t cut = 0; cut < 29; cut++) EXPECT_FALSE(TileBodyDimensions(jpg, cut, &w, &h)) << cut;
  // a segment length that points past the end, and one below 2
  unsigned char bad[] = {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xF0, 0, 0};
  EXPECT_FALSE(TileBodyDimensions(bad, sizeof bad, &w, &h));
  unsigned char zero[] = {0xFF, 0xD8, 0xFF, 0xE1, 0, 1, 0xFF, 0xC0, 0, 17, 8, 1, 0, 1, 0};
  EXPECT_FALSE(TileBodyDimensions(zero, sizeof zero, &w, &h));
  EXPECT_FALSE(TileBodyDimensions(nullptr, 10, &w, &h));
}
