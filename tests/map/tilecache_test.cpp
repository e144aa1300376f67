// The cache trim on a real folder tree: files with staggered modification
// times, a limit, and what is left afterwards.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "files/fileio.h"
#include "files/fileops.h"
#include "files/filetime.h"
#include "map/tilecache.h"
#include "map/tileplan.h"
#include "tests/support/testenv.h"

namespace {

const int64_t kBase = 1700000000;  // seconds since 1970

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif


// n files of `size` bytes in folders z/c/, file i modified at kBase + i*60.
std::vector<std::string> MakeCache(const std::string& root, int n, int size) {
  std::vector<std::string> names;
  std::vector<char> data((size_t)size, 'x');
  for (int i = 0; i < n; i++) {
    std::string dir = orvtest::JoinPath(orvtest::JoinPath(root, "srv"), std::to_string(i % 3)) + kSep + std::to_string(i % 5);
    EXPECT_NE(0, DirCreateA(dir.c_str()));
    std::string f = orvtest::JoinPath(dir, std::to_string(i) + ".png");
    EXPECT_TRUE(orvtest::WriteFile(f, data.data(), data.size()));
    EXPECT_NE(0, FioSetTimes(f.c_str(), SecondsToFileTicks(kBase + (int64_t)i * 60), -1, -1));
    names.push_back(f);
  }
  return names;
}

bool Exists(const std::string& f) { return FileGetSizeA(f.c_str()) >= 0; }

TileTrimPacing Fast() {
  TileTrimPacing p;
  p.listPauseMs = p.deletePauseMs = 0;
  return p;
}

}  // namespace

TEST(TileCacheTrim, DeletesTheOldestUntilTheRestFits) {
  std::string root = orvtest::MakeTempDir("trim");
  // 70 files of 1 KiB shuffled so that creation order is not age order
  auto names = MakeCache(root, 70, 1024);
  TileTrimResult r;
  ASSERT_EQ(1, TileCacheTrim(root.c_str(), 64 * 1024, Fast(), nullptr, &r));
  EXPECT_EQ(70u, r.files);
  EXPECT_EQ(70u * 1024, r.bytes);
  EXPECT_EQ(6u, r.deleted);
  for (int i = 0; i < 70; i++) EXPECT_EQ(i >= 6, Exists(names[i])) << i;
  DirDeleteTreeA(root.c_str(), 0);
}

TEST(TileCacheTrim, UnderTheLimitNothingGoesButEmptyFoldersDo) {
  std::string root = orvtest::MakeTempDir("trimkeep");
  auto names = MakeCache(root, 10, 100);
  std::string empty = orvtest::JoinPath(orvtest::JoinPath(root, "old"), "9");
  ASSERT_NE(0, DirCreateA(empty.c_str()));
  TileTrimResult r;
  ASSERT_EQ(1, TileCacheTrim(root.c_str(), 1000, Fast(), nullptr, &r));
  EXPECT_EQ(0u, r.deleted);
  for (auto& f : names) EXPECT_TRUE(Exists(f));
  FioInfo info;
  EXPECT_NE(0, FioStat(empty.c_str(), &info));
  EXPECT_NE(0, FioStat(orvtest::JoinPath(root, "old").c_str(), &info));
  EXPECT_EQ(0, FioStat(root.c_str(), &info));  // the root stays
  DirDeleteTreeA(root.c_str(), 0);
}

TEST(TileCacheTrim, ALimitOf4GiBDoesNotWrapToZero) {
  std::string root = orvtest::MakeTempDir("trim4g");
  auto names = MakeCache(root, 5, 1000);
  EXPECT_EQ(uint64_t(1) << 32, TileCacheLimitBytes(4096));
  TileTrimResult r;
  ASSERT_EQ(1, TileCacheTrim(root.c_str(), TileCacheLimitBytes(4096), Fast(), nullptr, &r));
  EXPECT_EQ(0u, r.deleted);
  for (auto& f : names) EXPECT_TRUE(Exists(f));
  DirDeleteTreeA(root.c_str(), 0);
}

TEST(TileCacheTrim, StopsWhenNoWindowIsLeft) {
  std::string root = orvtest::MakeTempDir("trimstop");
  auto names = MakeCache(root, 20, 100);
  volatile long live = 0;
  TileTrimResult r;
  EXPECT_EQ(0, TileCacheTrim(root.c_str(), 0, Fast(), &live, &r));
  EXPECT_EQ(0u, r.deleted);
  for (auto& f : names) EXPECT_TRUE(Exists(f));
  EXPECT_EQ(-1, TileCacheTrim(orvtest::JoinPath(root, "missing").c_str(), 0, Fast(), nullptr, &r));
  DirDeleteTreeA(root.c_str(), 0);
}

TEST(TileCacheTrim, DueOncePerIntervalAndAfterTheClockWentBack) {
  EXPECT_TRUE(TileCacheTrimDue(1000, 0, 3601));
  EXPECT_FALSE(TileCacheTrimDue(1000 + 3600, 1000, 3601));
  EXPECT_TRUE(TileCacheTrimDue(1000 + 3601, 1000, 3601));
  EXPECT_TRUE(TileCacheTrimDue(500, 1000, 3601));
}

#ifdef _WIN32
TEST(TileCacheTrim, TheThreadRunsOncePerIntervalOverTheProcessRoot) {
  std::string root = orvtest::MakeTempDir("trimthread");
  ASSERT_EQ(1, TileCacheSetRoot(root.c_str()));
  // 40 files of 64 KiB: 2.5 MiB against a limit of 2 MiB
  auto names = MakeCache(root, 40, 64 * 1024);
  TileCacheSetLimit(2);
  TileTrimPacing p = Fast();
  p.intervalSeconds = 3601;
  TileCacheSetPacing(p);
  volatile long live = 1;
  ASSERT_EQ(1, TileCacheStartTrim(&live));
  for (int i = 0; i < 500 && TileCacheTrimRunning(); i++) Sleep(10);
  ASSERT_FALSE(TileCacheTrimRunning());
  for (int i = 0; i < 40; i++) EXPECT_EQ(i >= 8, Exists(names[i])) << i;
  // not again within the hour, whatever the cache holds now
  MakeCache(root, 40, 64 * 1024);
  EXPECT_EQ(0, TileCacheStartTrim(&live));
  TileCacheSetLimit(64);
  TileCacheSetPacing(TileTrimPacing());
  DirDeleteTreeA(root.c_str(), 0);
}
#endif
