// Options and answers a caller meets in adding, extracting, sorting and
// committing: folders over pending entries, commits outside update mode,
// the commit's progress.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
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

// -------------------------------------------------- options of extraction

TEST(ZipExtract, KeepExistingAndOnlyNewerTargets) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string target = orvtest::JoinPath(dir, "second.txt");
  WriteText(target, "OLD");
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ | ZIPOPT_KEEP_EXISTING));
  int32_t i = z.FindEntry("second.txt");
  int64_t entryTime = z.GetEntryModified(i);
  EXPECT_EQ(0, z.ExtractToFile(i, target.c_str()));
  EXPECT_EQ(1, z.GetEntryMark(i));
  EXPECT_EQ(std::vector<unsigned char>({'O', 'L', 'D'}), Bytes(target));
  z.SetOptions(ZIPOPT_ONLY_NEWER);
  ASSERT_NE(0, FileSetTimesA(target.c_str(), entryTime + 3600, -1, -1));
  EXPECT_EQ(0, z.ExtractToFile(i, target.c_str()));
  EXPECT_EQ(1, z.GetEntryMark(i));
  EXPECT_EQ(3u, Bytes(target).size());
  ASSERT_NE(0, FileSetTimesA(target.c_str(), entryTime - 3600, -1, -1));
  EXPECT_EQ(0, z.ExtractToFile(i, target.c_str()));
  EXPECT_EQ(2, z.GetEntryMark(i));
  EXPECT_EQ(12u, Bytes(target).size());
  // a missing target is written whatever its time would be
  std::string fresh = orvtest::JoinPath(dir, "fresh.txt");
  EXPECT_EQ(0, z.ExtractToFile(i, fresh.c_str()));
  EXPECT_EQ(12u, Bytes(fresh).size());
}

namespace {
int RefuseTheEnd(void*, void*, int size) { return size > 0 ? size : 1; }
}  // namespace

// Failures that leave nothing changed are still stored and reported.
TEST(ZipNotify, CommitOutsideUpdateAndARefusedLastWrite) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  Calls calls;
  g_calls = &calls;
  CZipFile z;
  z.SetCallback(0, Record);
  auto reported = [&](ZipErrorCode code, ZipErrorCode got) {
    EXPECT_EQ(code, got);
    EXPECT_EQ(code, z.GetError());
    EXPECT_EQ(std::vector<int>({ZIPN_ERROR}), calls.codes);
    calls.codes.clear();
  };
  reported(-1, z.Commit());  // closed
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  calls.codes.clear();
  reported(-1, z.Commit());
  reported(ZIPERR_TARGET_WRITE, z.ExtractEntry(z.FindEntry("first.txt"), nullptr, RefuseTheEnd, nullptr));
  EXPECT_NE(nullptr, strstr(z.GetErrorText(), "first.txt"));
}

// ------------------------------------------------------ options of folders

TEST(ZipAddFolder, KeepExistingOnlyNewerFullPathsAndSkips) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string tree = orvtest::JoinPath(dir, "tree");
  ASSERT_NE(0, DirCreateA(tree.c_str()));
  std::string a = orvtest::JoinPath(tree, "a.txt"), b = orvtest::JoinPath(tree, "b.txt");
  WriteText(a, "new a");
  WriteText(b, "new b");
  std::string path = orvtest::JoinPath(dir, "f.zip");
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  ASSERT_EQ(0, AddText(z, "a.txt", "old a"));
  ASSERT_EQ(0, AddText(z, "b.txt", "old b"));
  int64_t entryTime = z.GetEntryModified(0);
  z.SetOptions(ZIPOPT_KEEP_EXISTING);
  EXPECT_EQ(0, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  ASSERT_NE(0, FileSetTimesA(a.c_str(), entryTime - 3600, -1, -1));
  ASSERT_NE(0, FileSetTimesA(b.c_str(), entryTime + 3600, -1, -1));
  z.SetOptions(ZIPOPT_ONLY_NEWER);
  EXPECT_EQ(1, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  EXPECT_EQ("old a", ExtractText(z, "a.txt"));
  EXPECT_EQ("new b", ExtractText(z, "b.txt"));
  // the callback skips every file
  Calls calls;
  calls.answerCode = ZIPN_SKIP;
  g_calls = &calls;
  z.SetCallback(0, Record);
  z.SetOptions(0);
  EXPECT_EQ(0, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  EXPECT_EQ(2, (int)std::count(calls.codes.begin(), calls.codes.end(), ZIPN_SKIP));
  EXPECT_EQ("old a", ExtractText(z, "a.txt"));
  EXPECT_EQ(0, z.GetError());
  z.SetCallback(0, nullptr);
  // full paths: the folder's own path (without a drive) in front
  z.SetOptions(ZIPOPT_WALK_FORM0);
  EXPECT_EQ(2, z.AddFolder(tree.c_str(), nullptr, nullptr, nullptr));
  std::string full = tree;
  if (full.size() > 1 && full[1] == ':') full.erase(0, 2);
  full.erase(0, full.find_first_not_of("\\/"));
  EXPECT_EQ("new a", ExtractText(z, (full + "/a.txt").c_str())) << full;
  EXPECT_EQ("new b", ExtractText(z, (full + "/b.txt").c_str())) << full;
  EXPECT_EQ("old a", ExtractText(z, "a.txt"));
}

// ---------------------------------------------------------------- sorting

TEST(ZipSort, BySizeAndKeptSortedAutomatically) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string later = orvtest::JoinPath(dir, "later");
  WriteText(later, "g");
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  ASSERT_EQ(0, AddText(z, "b", std::string(300, 'b')));
  ASSERT_EQ(0, AddText(z, "C", std::string(10, 'c')));
  ASSERT_EQ(0, AddText(z, "a", std::string(100, 'a')));
  auto order = [&z]() {
    std::string names;
    for (int32_t i = 0; i < z.GetEntryCount(); i++)
      if (!z.IsEntryDeleted(i)) names += z.GetEntryName(i);
    return names;
  };
  EXPECT_EQ(3, z.Sort(0x500));
  EXPECT_EQ("Cab", order());
  // kept sorted by size through adds and deletions
  z.SetOptions(ZIPOPT_AUTO_SORT | 0x100);
  ASSERT_EQ(0, AddText(z, "d", std::string(50, 'd')));
  ASSERT_EQ(0, AddText(z, "e", std::string(1000, 'e')));
  EXPECT_EQ("Cdabe", order());
  ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("C")));
  ASSERT_EQ(0, AddText(z, "f", std::string(5, 'f')));
  EXPECT_EQ("fdabe", order());
  // by name, letter case aside
  z.SetOptions(ZIPOPT_AUTO_SORT);
  EXPECT_EQ("abdef", order());
  ASSERT_EQ(0, AddText(z, "c", "c"));
  EXPECT_EQ("abcdef", order());
  // in archive order: a deferred file goes last once it is written
  ASSERT_EQ(0, z.SetMode(1));
  ASSERT_EQ(0, z.SetMode(2));
  z.SetOptions(ZIPOPT_AUTO_SORT | 0x200);
  EXPECT_EQ("badefc", order());
  z.SetDeferCompression(true);
  ASSERT_EQ(0, z.AddFileAs(later.c_str(), "g"));
  ASSERT_EQ(0, z.SetMode(1));
  EXPECT_EQ("badefcg", order());
}
