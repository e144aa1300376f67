#include "files/dirlist.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "files/pathname.h"
#include "tests/support/testenv.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

const std::string kSep(1, FIO_SEP);
std::string J(const std::string& a, const std::string& b) { return a + kSep + b; }

// root/
//   c.txt  Track10.gpx  Track9.gpx
//   a/  d.gpx  e/ f.gpx
//   skip/  g.gpx
class DirList : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = orvtest::MakeTempDir("dirlist");
    ASSERT_EQ(DirCreateA(J(J(root_, "a"), "e").c_str()), 1);
    ASSERT_EQ(DirCreateA(J(root_, "skip").c_str()), 1);
    for (const char* f : {"c.txt", "Track10.gpx", "Track9.gpx", "a/d.gpx", "a/e/f.gpx", "skip/g.gpx"}) {
      std::string rel(f);
      for (char& c : rel)
        if (c == '/') c = FIO_SEP;
      ASSERT_TRUE(orvtest::WriteFile(J(root_, rel), "12345", 5));
    }
  }
  std::set<std::string> Names(CDirectoryList& list, int form) {
    std::set<std::string> out;
    int index = -1;
    while (list.Next(&index)) out.insert(list.GetEntryFullPath(index, nullptr, form));
    return out;
  }
  std::string R(const char* rel) {  // a relative path in this platform's form
    std::string s(rel);
    for (char& c : s)
      if (c == '/') c = FIO_SEP;
    return s;
  }
  std::string root_;
};

TEST_F(DirList, FilesOfOneFolder) {
  CDirectoryList list;
  ASSERT_TRUE(list.Open(root_.c_str(), 0));
  EXPECT_EQ(list.GetCount(), 0);  // nothing read before Next
  EXPECT_EQ(Names(list, 1), (std::set<std::string>{"c.txt", "Track10.gpx", "Track9.gpx"}));
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(list.GetCount(), 3);
  DirEntry* e = list.GetEntry(0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->size, 5u);
  EXPECT_EQ(e->size64, 5);
  EXPECT_EQ(e->attributes & FFD_DIRECTORY, 0u);
  int len = 0;
  std::string full = list.GetEntryFullPath(0, &len, 0);
  EXPECT_EQ(full, J(root_, e->name));
  EXPECT_EQ(len, (int)full.size());
  EXPECT_EQ(std::string(list.GetEntryPath(e, nullptr)), full);
  EXPECT_EQ(list.GetEntryFullPath(3, &len, 0), nullptr);
  EXPECT_EQ(list.GetEntryExtra(e, &len), nullptr);
}

TEST_F(DirList, RecursiveWithPatterns) {
  CDirectoryList list;
  ASSERT_TRUE(list.Open(root_.c_str(), DIRLIST_FILES | DIRLIST_RECURSIVE, "*.gpx", "skip"));
  EXPECT_EQ(Names(list, 1),
            (std::set<std::string>{"Track10.gpx", "Track9.gpx", R("a/d.gpx"), R("a/e/f.gpx")}));
  // an include list of two, an excluded file name, full paths
  ASSERT_TRUE(list.Open((root_ + kSep).c_str(), DIRLIST_FILES | DIRLIST_RECURSIVE, "*.txt; f.*", "*9*"));
  EXPECT_EQ(Names(list, 0), (std::set<std::string>{J(root_, "c.txt"), J(J(J(root_, "a"), "e"), "f.gpx")}));
}

TEST_F(DirList, FoldersAndFirstMatch) {
  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(root_.c_str(), DIRLIST_FOLDERS | DIRLIST_RECURSIVE));
  EXPECT_EQ(Names(list, 1), (std::set<std::string>{"a", "skip", R("a/e")}));
  for (int i = 0; i < list.GetCount(); ++i) EXPECT_TRUE(list.GetEntry(i)->attributes & FFD_DIRECTORY);

  ASSERT_TRUE(list.Refresh(root_.c_str(), DIRLIST_FOLDERS | DIRLIST_FIRST_MATCH));
  EXPECT_EQ(list.GetCount(), 1);
  ASSERT_TRUE(list.Refresh(J(J(root_, "a"), "e").c_str(), DIRLIST_FOLDERS | DIRLIST_FIRST_MATCH));
  EXPECT_EQ(list.GetCount(), 0);  // no subfolder

  EXPECT_FALSE(list.Refresh(J(root_, "missing").c_str(), 0));
  EXPECT_FALSE(list.Open(J(root_, "c.txt").c_str(), 0));
  EXPECT_EQ(list.Next(), nullptr);
}

TEST_F(DirList, SortByTimeAndName) {
  const char* files[] = {"c.txt", "Track10.gpx", "Track9.gpx"};
  const int64_t times[] = {1500000000, 1600000000, 1400000000};
  for (int i = 0; i < 3; ++i) ASSERT_NE(FileSetTimesA(J(root_, files[i]).c_str(), times[i], -1, -1), 0);
  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(root_.c_str(), DIRLIST_FILES));
  list.Sort(DIRSORT_MODIFIED, DIRSORT_DESCENDING);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_STREQ(list.GetEntry(0)->name, "Track10.gpx");  // newest first
  EXPECT_STREQ(list.GetEntry(1)->name, "c.txt");
  EXPECT_STREQ(list.GetEntry(2)->name, "Track9.gpx");
  EXPECT_EQ(DirEntryGetTime(list.GetEntry(0)), 1600000000);
  // Next starts from the first entry after sorting
  DirEntry* first = list.Next();
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->name, "Track10.gpx");

  list.Sort(DIRSORT_NAME, 0);  // natural order: 9 before 10
  EXPECT_STREQ(list.GetEntry(0)->name, "c.txt");
  EXPECT_STREQ(list.GetEntry(1)->name, "Track9.gpx");
  EXPECT_STREQ(list.GetEntry(2)->name, "Track10.gpx");
  list.Sort(DIRSORT_NAME, DIRSORT_DESCENDING);
  EXPECT_STREQ(list.GetEntry(0)->name, "Track10.gpx");

  DirEntry none = {};
  EXPECT_EQ(DirEntryGetTime(&none), -1);
  none.accessed = 7;
  EXPECT_EQ(DirEntryGetTime(&none), 7);
  none.created = 8;
  EXPECT_EQ(DirEntryGetTime(&none), 8);
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.Next(), nullptr);
}

#ifndef _WIN32
// A link back up the tree must not make the walk endless.
TEST_F(DirList, RecursionDoesNotEnterLinks) {
  ASSERT_EQ(symlink(root_.c_str(), J(J(root_, "a"), "loop").c_str()), 0);
  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(root_.c_str(), DIRLIST_FILES | DIRLIST_FOLDERS | DIRLIST_RECURSIVE));
  std::set<std::string> names;
  for (int i = 0; i < list.GetCount(); ++i) names.insert(list.GetEntryFullPath(i, nullptr, 1));
  EXPECT_TRUE(names.count(R("a/loop")));  // listed as a folder ...
  EXPECT_EQ(names.size(), 10u);           // ... but not entered
}
#endif

}  // namespace
