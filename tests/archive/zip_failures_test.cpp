// What a caller is told, and what stays, when an add or an extraction goes
// wrong half-way or is handed what it cannot use; names that would not come
// back as files; the settings that choose compression.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "archive/zipfile.h"
#include "files/fileops.h"
#include "tests/archive/ziptest.h"
#include "tests/support/testenv.h"

using namespace ziptest;

namespace {
int FailingRead(void*, void*, int) { return -1; }
int FullSink(void*, void*, int) { return -1; }
size_t Count(const std::vector<int>& codes, int code) {
  size_t n = 0;
  for (int c : codes) n += c == code;
  return n;
}
}  // namespace

TEST(ZipAddFailures, DeferredWithoutPathReadFailureAndRetriedStore) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "f.zip");
  Calls calls;
  g_calls = &calls;
  CZipFile z;
  z.SetCallback(0, Record);
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  // deferred compression needs the file's path
  EXPECT_EQ(ZIPERR_SOURCE_OPEN, z.AddEntry("x.txt", nullptr, ZIP_DEFERRED_READ, nullptr));
  FileFindData info;
  memset(&info, 0, sizeof info);
  info.attributes = FFD_READABLE | FFD_WRITABLE;
  EXPECT_EQ(ZIPERR_SOURCE_OPEN, z.AddEntry("y.txt", nullptr, ZIP_DEFERRED_READ, &info));
  // a source that cannot be read names the entry in the report
  calls = Calls();
  EXPECT_EQ(ZIPERR_SOURCE_READ, z.AddEntry("dir\\broken.txt", nullptr, FailingRead, nullptr));
  std::string text = z.GetErrorText();
  EXPECT_EQ("dir/broken.txt", text.substr(text.size() - strlen("dir/broken.txt"))) << text;
  ASSERT_EQ(1u, Count(calls.codes, ZIPN_ERROR));
  // data that grow are stored: the add went well, nothing is reported
  calls = Calls();
  EXPECT_EQ(0, z.AddFromMemory("hi.txt", "hi", 2, nullptr));
  EXPECT_EQ(0u, Count(calls.codes, ZIPN_ERROR));
  EXPECT_EQ(0, z.GetError());
  EXPECT_EQ(0, z.Close());
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_EQ(1, z.GetEntryCount());
  EXPECT_EQ("hi", ExtractText(z, "hi.txt"));
}

TEST(ZipExtractFailures, AFullSinkIsAWriteFailure) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  int32_t i = z.FindEntry("first.txt");
  EXPECT_EQ(ZIPERR_TARGET_WRITE, z.ExtractEntry(i, nullptr, FullSink, nullptr));
  EXPECT_EQ(0, z.TestEntry(i));
  EXPECT_EQ(0, z.IsEntryBad(i));
}

TEST(ZipAddNames, StoredRelativeAndAsFiles) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "n.zip");
  struct {
    const char* given;
    const char* stored;
  } cases[] = {
      {"trail/", "trail"},
      {"//abs.txt", "abs.txt"},
      {"\\\\server\\share\\x.txt", "server/share/x.txt"},
      {"c:\\d:e.txt", "e.txt"},
      {"up/../../u.txt", "up/u.txt"},
      {"keep\\a?b .txt", "keep/a?b .txt"},
  };
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  for (auto& c : cases) EXPECT_EQ(0, AddText(z, c.given, c.given)) << c.given;
  EXPECT_EQ(ZIPERR_NO_NAME, AddText(z, "/../", "nothing"));
  EXPECT_EQ(ZIPERR_NO_NAME, z.AddFolderEntry("\\/"));
  // the same name given another way replaces the entry
  EXPECT_EQ(0, AddText(z, "\\\\abs.txt", "again"));
  EXPECT_EQ(0, z.Close());
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_EQ(6, z.GetEntryCount());
  for (auto& c : cases) {
    int32_t i = z.FindEntry(c.stored);
    ASSERT_GE(i, 0) << c.stored;
    EXPECT_STREQ(c.stored, z.GetEntryName(i));
    EXPECT_EQ(0, z.IsEntryDirectory(i)) << c.stored;
  }
  EXPECT_EQ("again", ExtractText(z, "abs.txt"));
  EXPECT_EQ("trail/", ExtractText(z, "trail"));
}

TEST(ZipAddProgress, MetAtTheLastCompressedEntry) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "p.zip");
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  z.SetDeferCompression(true);
  for (const char* name : {"a.txt", "b.txt"}) {
    std::string file = orvtest::JoinPath(dir, name);
    ASSERT_TRUE(orvtest::WriteFile(file, std::string(30000, name[0]).data(), 30000));
    ASSERT_EQ(0, z.AddFileAs(file.c_str(), name));
  }
  static std::vector<std::pair<uint64_t, uint64_t>> seen;
  seen.clear();
  z.SetCallback(0, [](uint32_t, int32_t code, int32_t, CArchiveFile* a, const char*) -> uint32_t {
    uint64_t total = 0;
    if (code == ZIPN_COMPRESSED) seen.push_back({a->GetProgress(&total), total});
    return 0;
  });
  ASSERT_EQ(0, z.Commit());
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(60000u, seen[1].second);
  EXPECT_EQ(30000u, seen[0].first);
  EXPECT_EQ(60000u, seen[1].first);
}

TEST(ZipAddSettings, ALevelAfterLevelZeroCompressesAgain) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "l.zip");
  std::string text(5000, 'z');
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  z.SetLevel(0);
  ASSERT_EQ(0, AddText(z, "stored.txt", text));
  z.SetLevel(6);
  ASSERT_EQ(0, AddText(z, "level6.txt", text));
  // a method chosen after level 0 is the caller's: it stays
  z.SetLevel(0);
  z.SetMethod(0);
  z.SetLevel(6);
  ASSERT_EQ(0, AddText(z, "chosen.txt", text));
  EXPECT_EQ(0, z.GetEntry(z.FindEntry("stored.txt"))->method);
  EXPECT_EQ(8, z.GetEntry(z.FindEntry("level6.txt"))->method);
  EXPECT_EQ(0, z.GetEntry(z.FindEntry("chosen.txt"))->method);
  EXPECT_EQ(0, z.Close());
}
