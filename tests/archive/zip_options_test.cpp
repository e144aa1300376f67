// Options and answers a caller meets in adding, extracting, sorting and
// committing: folders over pending entries, commits outside update mode,
// the commit's progress.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "archive/zipfile.h"
#include "files/fileops.h"
#include "tests/archive/ziptest.h"
#include "tests/support/testenv.h"

using namespace ziptest;

namespace {
void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(orvtest::WriteFile(path, text.data(), text.size()));
}
}  // namespace

TEST(ZipAddFolder, FileReplacesAPendingEntryOfItsName) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "p.zip");
  std::string tree = orvtest::JoinPath(dir, "tree");
  std::string inTree = orvtest::JoinPath(tree, "a.txt");
  std::string other = orvtest::JoinPath(dir, "other.txt");
  ASSERT_NE(0, DirCreateA(tree.c_str()));
  WriteText(inTree, "from the folder");
  WriteText(other, "added before");
  {
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
    ASSERT_EQ(0, AddText(z, "a.txt", "original"));
    ASSERT_EQ(0, z.Close());
  }
  CZipFile z;
  z.SetDeferCompression(true);
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, z.AddFileAs(other.c_str(), "a.txt"));  // pending
  EXPECT_EQ(1, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  // its file gone before the commit: the entry that was written comes back
  ASSERT_NE(0, FileDeleteA(inTree.c_str()));
  EXPECT_EQ(ZIPERR_SOURCE_OPEN, z.Commit());
  ASSERT_EQ(0, z.Close());
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ("original", ExtractText(z, "a.txt"));
  ASSERT_EQ(0, z.SetMode(2));
  WriteText(inTree, "from the folder");
  ASSERT_EQ(0, z.AddFileAs(other.c_str(), "a.txt"));
  EXPECT_EQ(1, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  ASSERT_EQ(0, z.SetMode(1));
  EXPECT_EQ(1, z.GetEntryCount());
  EXPECT_EQ("from the folder", ExtractText(z, "a.txt"));
}

TEST(ZipCommit, OutsideUpdateModeIsAReportedError) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  Calls calls;
  g_calls = &calls;
  CZipFile z;
  z.SetCallback(0, Record);
  EXPECT_EQ(-1, z.Commit());
  EXPECT_EQ(-1, z.GetError());
  EXPECT_EQ(std::vector<int>({ZIPN_ERROR}), calls.codes);
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  calls.codes.clear();
  EXPECT_EQ(-1, z.Commit());
  EXPECT_EQ(-1, z.GetError());
  EXPECT_EQ(std::vector<int>({ZIPN_ERROR}), calls.codes);
}

namespace {
std::vector<std::pair<uint64_t, uint64_t>>* g_progress;
uint32_t RecordProgress(uint32_t, int32_t code, int32_t, CArchiveFile* a, const char*) {
  uint64_t total = 0;
  if (code == ZIPN_COMPRESS) g_progress->push_back({a->GetProgress(&total), total});
  return 0;
}
}  // namespace

TEST(ZipCommit, ProgressCountsTheMovesAndEndsAtItsTotal) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string noise(50000, 0);
  std::mt19937 random(7);
  for (char& c : noise) c = (char)(random() >> 24);
  std::string later = orvtest::JoinPath(dir, "later.txt");
  WriteText(later, std::string(8000, 'L'));
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, AddText(z, "noise.bin", noise));
  z.SetDeferCompression(true);
  ASSERT_EQ(0, z.AddFileAs(later.c_str(), "later.txt"));
  ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("first.txt")));  // the hole in front
  std::vector<std::pair<uint64_t, uint64_t>> seen;
  g_progress = &seen;
  z.SetCallback(0, RecordProgress);
  ASSERT_EQ(0, z.Commit());
  uint64_t total = 0;
  EXPECT_EQ(total, z.GetProgress(&total));
  // the deleted entry, the deferred file and the bytes that move down
  EXPECT_GE(total, 1024u + 8000u + z.GetEntrySize(z.FindEntry("noise.bin"), 1));
  ASSERT_GE(seen.size(), 4u);  // the deferred file, then three moves
  for (size_t i = 0; i < seen.size(); i++) {
    EXPECT_EQ(total, seen[i].second);
    EXPECT_LT(seen[i].first, total) << "work is left at step " << i;
    if (i) {
      EXPECT_GE(seen[i].first, seen[i - 1].first);
    }
  }
  EXPECT_EQ(0, z.Close());
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(noise, ExtractText(z, "noise.bin"));
  EXPECT_EQ(std::string(8000, 'L'), ExtractText(z, "later.txt"));
}
