// The ZIP library's own behaviour: error texts, notifications, memory
// archives, modes, replacing, committing, sorting and extraction details
// that the tool-driven tests do not reach.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "archive/zipfile.h"
#include "files/fileops.h"
#include "tests/archive/ziptest.h"
#include "tests/support/testenv.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace ziptest;

// ------------------------------------------------------------- error texts

TEST(ZipErrors, FormatTextNamesTheArchiveOnly) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  TestZip z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  z.ForceError(3, "first.txt");
  std::string text = z.GetErrorText();
  std::string want = std::string("\nBei Datei : ") + z.GetArchiveName() + "\nhat ein ungültiges Format ";
  EXPECT_EQ(want, text);
  z.ForceError(7, "first.txt");
  EXPECT_EQ(std::string("\nBei Datei : ") + z.GetArchiveName() + "\nUnbekannter Fehler" + "first.txt",
            std::string(z.GetErrorText()));
  z.ForceError(0, "x");
  EXPECT_STREQ("\nEs ist kein Fehler aufgetreten.", z.GetErrorText());
  z.ForceError(23, "x");
  EXPECT_STREQ("\nBenutzer Abbruch.", z.GetErrorText());
}

TEST(ZipErrors, ClosedArchiveSaysSo) {
  TestZip z;
  z.ForceError(14, nullptr);
  EXPECT_EQ(std::string("\nBei Datei : \n< keine Datei geöffnet >\nFehler beim Schreiben in Datei !"),
            z.GetErrorText());
}

// ----------------------------------------------------------- notifications

TEST(ZipNotify, SilentCodeStillStopsReading) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  Calls calls;
  calls.answerCode = ZIPN_FOUND;
  g_calls = &calls;
  CZipFile z;
  z.SetCallback(7, Record);
  z.SetSilentCodes(ZIPN_FOUND, 1);
  EXPECT_EQ(ZIPERR_ABORT, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_FALSE(calls.codes.empty());
  EXPECT_EQ(ZIPN_FOUND, calls.codes[0]);
  EXPECT_TRUE(calls.nullText[0]);
  EXPECT_EQ(0, z.GetMode());
}

TEST(ZipNotify, SkipAnswerLeavesTargetUntouched) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string target = orvtest::JoinPath(dir, "target.txt");
  orvtest::WriteFile(target, "OLD", 3);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  Calls calls;
  calls.answerCode = ZIPN_SKIP;
  g_calls = &calls;
  z.SetCallback(0, Record);
  EXPECT_EQ(ZIPERR_SKIPPED, z.ExtractToFile(0, target.c_str()));
  EXPECT_EQ(std::vector<unsigned char>({'O', 'L', 'D'}), Bytes(target));
  // the text of a notification is prefix + name + suffix
  calls.answerCode = -1;
  EXPECT_EQ(0, z.ExtractToFile(0, target.c_str()));
  EXPECT_EQ(3000u, Bytes(target).size());
  const uint32_t* lengths = z.GetLastNotifyLengths();
  EXPECT_EQ(8u, lengths[0]);  // "\nDatei: "
  EXPECT_EQ(9u, lengths[1]);  // "first.txt"
}

// The name in an error text outlives the entry or the caller's string it
// came from.
TEST(ZipNotify, ErrorTextsKeepNamesOfGoneEntriesAndPaths) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string source = orvtest::JoinPath(dir, "vanishing.txt");
  orvtest::WriteFile(source, "soon gone", 9);
  const std::string opening = "\nFehler beim Öffnen der Datei: ";
  auto tail = [](const std::string& s, size_t n) { return s.substr(s.size() - std::min(n, s.size())); };
  Calls calls;
  g_calls = &calls;
  {
    CZipFile z;
    z.SetDeferCompression(true);
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
    ASSERT_EQ(0, z.AddFileAs(source.c_str(), "later.txt"));
    remove(source.c_str());
    z.SetCallback(0, Record);
    EXPECT_EQ(ZIPERR_SOURCE_OPEN, z.Close());
    ASSERT_EQ(ZIPN_ERROR, calls.codes.back());
    std::string want = opening + "later.txt";
    EXPECT_EQ(want, tail(calls.texts.back(), want.size()));
    EXPECT_EQ(want, tail(z.GetErrorText(), want.size()));
  }
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  std::string missing = orvtest::JoinPath(dir, "missing.txt");
  for (int how = 0; how < 3; how++) {
    char* p = strdup(missing.c_str());
    ZipErrorCode rc = how == 0   ? z.AddFile(p)
                      : how == 1 ? z.AddFileAs(p, "m.txt")
                                 : z.AddFolder(p, nullptr, nullptr, nullptr);
    memset(p, 'X', strlen(p));
    free(p);
    EXPECT_EQ(how == 2 ? -1 : ZIPERR_SOURCE_OPEN, rc);
    EXPECT_EQ(opening + missing, tail(z.GetErrorText(), opening.size() + missing.size())) << how;
  }
}

TEST(ZipNotify, EnableAndDisableByCodeOrMask) {
  Calls calls;
  g_calls = &calls;
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  z.SetCallback(0, Record);
  auto count = [&](int code) { return std::count(calls.codes.begin(), calls.codes.end(), code); };
  EXPECT_EQ(0xFFFFFFFFu, z.DisableNotify(ZIPN_APPEND, 0));
  const std::string text(500, 'n');  // compresses: one compress notice per entry
  ASSERT_EQ(0, AddText(z, "a", text));
  EXPECT_EQ(0, count(ZIPN_APPEND));
  EXPECT_EQ(1, count(ZIPN_COMPRESS));
  EXPECT_EQ(~(1u << ZIPN_APPEND), z.DisableNotify((1u << ZIPN_COMPRESS) | (1u << ZIPN_REMOVE), 1));
  ASSERT_EQ(0, AddText(z, "b", text));
  ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("a")));
  EXPECT_EQ(1, count(ZIPN_COMPRESS));
  EXPECT_EQ(0, count(ZIPN_REMOVE));
  EXPECT_EQ(0, count(ZIPN_APPEND));
  EXPECT_EQ(~0xC4u, z.EnableNotify(ZIPN_APPEND, 0));
  EXPECT_EQ(~0x84u, z.EnableNotify(1u << ZIPN_COMPRESS, 1));
  ASSERT_EQ(0, AddText(z, "c", text));
  EXPECT_EQ(1, count(ZIPN_APPEND));
  EXPECT_EQ(2, count(ZIPN_COMPRESS));
  EXPECT_EQ(~(1u << ZIPN_REMOVE), z.DisableNotify(0, 1));
}

// ------------------------------------------------------------------ memory

TEST(ZipMemory, OwnedBlockGrowsUpToItsLimit) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1048576, 0, 0));
  EXPECT_EQ(3, z.GetMode());
  z.SetMethod(0);
  z.SetLevel(0);
  std::string chunk(200000, 'x');
  ZipErrorCode rc = 0;
  int added = 0;
  for (int i = 0; i < 10 && rc == 0; i++) {
    char name[16];
    snprintf(name, sizeof name, "c%d", i);
    rc = AddText(z, name, chunk);
    if (rc == 0) added++;
  }
  EXPECT_EQ(ZIPERR_WRITE, rc);
  EXPECT_EQ(5, added);  // six would pass 1 MiB
  EXPECT_EQ(0, z.Close());
  void* block = nullptr;
  uint32_t size = z.GetMemoryBlock(&block, 1);
  ASSERT_NE(nullptr, block);
  CZipFile r;
  ASSERT_EQ(0, r.OpenMemory(block, (int32_t)size, -1, 0));
  EXPECT_EQ(1, r.GetMode());
  EXPECT_EQ(5, r.GetEntryCount());
  EXPECT_EQ(chunk, ExtractText(r, "c4"));
  r.Close();
  free(block);
}

TEST(ZipMemory, SmallCallerBlockRefusesToGrow) {
  char block[10];
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory(block, 10, 0, 0));
  EXPECT_EQ(3, z.GetMode());
  // the end record alone is 22 bytes
  EXPECT_EQ(ZIPERR_WRITE, z.Close());
}

TEST(ZipMemory, CallerBlockWithLengthIsUpdatedInPlace) {
  std::vector<char> block(65536);
  uint32_t length = 0;
  {
    CZipFile z;
    ASSERT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), 0, 0));
    ASSERT_EQ(0, AddText(z, "one.txt", "one"));
    ASSERT_EQ(0, z.SetMode(1));  // commits and writes the directory
    length = z.GetMemoryBlock(nullptr, 0);
    z.Close();
  }
  ASSERT_GT(length, 22u);
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), (int32_t)length, 0));
  EXPECT_EQ(2, z.GetMode());
  EXPECT_EQ(1, z.GetEntryCount());
  ASSERT_EQ(0, AddText(z, "two.txt", "two"));
  EXPECT_EQ(0, z.SetMode(1));
  EXPECT_EQ("one", ExtractText(z, "one.txt"));
  EXPECT_EQ("two", ExtractText(z, "two.txt"));
}

TEST(ZipMemory, PointerNamesAreRefusedFromOutside) {
  std::vector<char> block(4096);
  char name[64];
  snprintf(name, sizeof name, "mem:\\\\%08X-%u\\%i", (unsigned)(uintptr_t)block.data(), 4096u, 300);
  CZipFile z;
  EXPECT_EQ(ZIPERR_NOT_FOUND, z.Open(name, ZIP_OPEN_READ));
  EXPECT_EQ(0, z.GetMode());
  // the marker of the internal calls does not help from outside either
  EXPECT_NE(0, z.Open(name, 0x12340008u | 1));
  EXPECT_EQ(0, z.GetMode());
}

TEST(ZipMemory, ResourcesAreReadOnly) {
  CZipFile z;
#ifndef _WIN32
  EXPECT_EQ(ZIPERR_NOT_FOUND, z.Open("RES://HTML/page", ZIP_OPEN_READ));
#else
  EXPECT_EQ(ZIPERR_NOT_FOUND, z.Open("res://HTML/no-such-page", ZIP_OPEN_READ));
#endif
}

// ---------------------------------------------------------------- defaults

TEST(ZipDefaults, LevelAndMethodAreClamped) {
  CZipFile z;
  EXPECT_EQ(9, z.SetLevel(12));
  EXPECT_EQ(-1, z.SetMethod(-2));
  EXPECT_EQ(0, z.SetLevel(0));
  EXPECT_EQ(0, z.SetMethod(-2));
  EXPECT_EQ(8, z.SetMethod(5));
  EXPECT_EQ(0, z.SetLevel(-3));
  uint32_t o = z.SetOptions(ZIPOPT_METHOD_AUTO | ZIPOPT_METHOD_STORE);
  EXPECT_EQ(0u, o & ZIPOPT_METHOD_STORE);
  EXPECT_EQ(-1, z.SetMethod(-2));
}

// ------------------------------------------------------------------- modes

TEST(ZipModes, UpdateKeepsTheArchive) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  {
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
    EXPECT_EQ(2, z.GetMode());
    EXPECT_EQ(2, z.GetEntryCount());
    ASSERT_EQ(0, AddText(z, "third.txt", "3"));
    EXPECT_EQ(0, z.Close());
  }
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(3, z.GetEntryCount());
  EXPECT_EQ(std::string(3000, 'a'), ExtractText(z, "first.txt"));
  EXPECT_EQ("3", ExtractText(z, "third.txt"));
}

TEST(ZipModes, EmptyFileIsNoArchiveButANewOne) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "empty.zip");
  orvtest::WriteFile(path, "", 0);
  CZipFile z;
  EXPECT_EQ(ZIPERR_FORMAT, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  EXPECT_EQ(0, z.Close());
  std::vector<unsigned char> b = Bytes(path);
  ASSERT_EQ(22u, b.size());
  EXPECT_EQ(0x50, b[0]);
  EXPECT_EQ(0x06, b[3]);
}

TEST(ZipModes, ReadModeRefusesChanges) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(ZIPERR_WRITE, AddText(z, "x", "y"));
  EXPECT_EQ(ZIPERR_MODE, z.AddFile(path.c_str()));
  EXPECT_EQ(ZIPERR_WRITE, z.DeleteEntry(0));
  EXPECT_EQ(ZIPERR_MODE, z.SetMode(3));
  EXPECT_EQ(0, z.SetMode(2));
  EXPECT_EQ(0, z.DeleteEntry(z.FindEntry("first.txt")));
  EXPECT_EQ(0, z.SetMode(1));
  EXPECT_EQ(1, z.GetEntryCount());
  EXPECT_EQ("second entry", ExtractText(z, "second.txt"));
}

// ----------------------------------------------------- replacing, commit

namespace {
int FailingRead(void*, void*, int) { return -1; }
}  // namespace

TEST(ZipReplace, FailedReplacementKeepsTheOldEntry) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  EXPECT_NE(0, z.AddEntry("first.txt", nullptr, FailingRead, nullptr));
  EXPECT_EQ(2, z.GetEntryCount());
  EXPECT_EQ(std::string(3000, 'a'), ExtractText(z, "first.txt"));
  ASSERT_EQ(0, AddText(z, "first.txt", "replaced"));
  EXPECT_EQ("replaced", ExtractText(z, "first.txt"));
  EXPECT_EQ(0, z.Close());
  CZipFile r;
  ASSERT_EQ(0, r.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(2, r.GetEntryCount());
  EXPECT_EQ("replaced", ExtractText(r, "first.txt"));
}

TEST(ZipReplace, KeepExistingOptionSkipsTheNewOne) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE | ZIPOPT_KEEP_EXISTING));
  EXPECT_EQ(0, AddText(z, "second.txt", "new"));
  EXPECT_EQ("second entry", ExtractText(z, "second.txt"));
}

TEST(ZipCommit, FailedCommitLeavesTheArchiveAsItWas) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::vector<unsigned char> before = Bytes(path);
  std::string source = orvtest::JoinPath(dir, "vanishing.txt");
  orvtest::WriteFile(source, "soon gone", 9);
  CZipFile z;
  z.SetDeferCompression(true);
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("second.txt")));
  ASSERT_EQ(0, z.AddFileAs(source.c_str(), "first.txt"));
  remove(source.c_str());
  EXPECT_EQ(ZIPERR_SOURCE_OPEN, z.Close());
  EXPECT_EQ(before, Bytes(path));
}

TEST(ZipCommit, DeleteShrinksAndKeepsOrder) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "order.zip");
  {
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
    for (const char* n : {"a", "b", "c", "d"}) ASSERT_EQ(0, AddText(z, n, std::string(500, n[0])));
    ASSERT_EQ(0, z.Close());
  }
  size_t before = Bytes(path).size();
  {
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
    ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("b")));
    ASSERT_EQ(0, z.Close());
  }
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_EQ(3, z.GetEntryCount());
  ASSERT_EQ(3, z.Sort(0x600));
  EXPECT_STREQ("a", z.GetEntryName(0));
  EXPECT_STREQ("c", z.GetEntryName(1));
  EXPECT_STREQ("d", z.GetEntryName(2));
  EXPECT_LT(Bytes(path).size() + 30, before);
  EXPECT_EQ(std::string(500, 'd'), ExtractText(z, "d"));
}

TEST(ZipAdd, NamesLoseDrivesAndStoredExtensionsStayStored) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  std::string text(4000, 'q');
  ASSERT_EQ(0, AddText(z, "C:\\dir\\name.txt", text));
  EXPECT_GE(z.FindEntry("dir/name.txt"), 0);
  ASSERT_EQ(0, AddText(z, "inner.zip", text));
  EXPECT_EQ(0, z.GetEntry(z.FindEntry("inner.zip"))->method);
  EXPECT_EQ(8, z.GetEntry(z.FindEntry("dir/name.txt"))->method);
  ASSERT_EQ(0, AddText(z, "empty", ""));
  EXPECT_EQ(10, z.GetEntry(z.FindEntry("empty"))->versionNeeded);
  z.SetOptions(ZIPOPT_KEEP_DRIVE);
  ASSERT_EQ(0, AddText(z, "D:\\keep.txt", "k"));
  EXPECT_GE(z.FindEntry("D:/keep.txt"), 0);
}

TEST(ZipSort, SameKeyDoesNotSortAgain) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  for (const char* n : {"x10", "x9", "X1"}) ASSERT_EQ(0, AddText(z, n, n));
  static int sorts;
  sorts = 0;
  z.SetCallback(0, [](uint32_t, int32_t code, int32_t, CArchiveFile*, const char*) -> uint32_t {
    if (code == ZIPN_SORT) sorts++;
    return 0;
  });
  EXPECT_EQ(3, z.Sort(0x700));
  EXPECT_STREQ("X1", z.GetEntryName(0));
  EXPECT_STREQ("x9", z.GetEntryName(1));
  EXPECT_STREQ("x10", z.GetEntryName(2));
  EXPECT_EQ(3, z.Sort(0x700));
  EXPECT_EQ(0, z.DeleteEntry(0));
  EXPECT_EQ(3, z.Sort(0x400));
  EXPECT_STREQ("x10", z.GetEntryName(0));
  EXPECT_EQ(1, z.IsEntryDeleted(2));
  EXPECT_EQ(3, sorts);  // every call is announced, sorted or not
}

// ------------------------------------------- failures leave data as it was

namespace {
// A caller's block holding entries a, b and c; returns the archive's length.
uint32_t FillBlock(std::vector<char>& block) {
  CZipFile z;
  EXPECT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), 0, 0));
  EXPECT_EQ(0, AddText(z, "a", std::string(500, 'a')));
  EXPECT_EQ(0, AddText(z, "b", "bee"));
  EXPECT_EQ(0, AddText(z, "c", std::string(3000, 'c')));
  EXPECT_EQ(0, z.SetMode(1));
  uint32_t length = z.GetMemoryBlock(nullptr, 0);
  z.Close();
  return length;
}
}  // namespace

TEST(ZipMemory, StoppedCommitLeavesTheCallerBlockAsItWas) {
  std::vector<char> block(65536);
  uint32_t length = FillBlock(block);
  ASSERT_GT(length, 100u);
  std::vector<char> before = block;
  Calls calls;
  calls.answerCode = ZIPN_COMPRESS;  // "stop" while the entries move down
  g_calls = &calls;
  {
    CZipFile z;
    ASSERT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), (int32_t)length, 0));
    ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("a")));
    z.SetCallback(0, Record);
    EXPECT_EQ(ZIPERR_ABORT, z.Close());
  }
  EXPECT_TRUE(before == block);
  CZipFile r;
  ASSERT_EQ(0, r.OpenMemory(block.data(), (int32_t)block.size(), -1, 0));
  EXPECT_EQ(3, r.GetEntryCount());
  EXPECT_EQ(std::string(3000, 'c'), ExtractText(r, "c"));
}

TEST(ZipMemory, AddThatLeavesNoRoomForTheDirectoryIsRefused) {
  std::vector<char> block(4600);
  uint32_t length = FillBlock(block);
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), (int32_t)length, 0));
  z.SetMethod(0);
  // grow until the block is full: the add that would not fit says so itself
  ZipErrorCode rc = 0;
  int added = 0;
  for (; added < 40 && rc == 0; added++) {
    char name[16];
    snprintf(name, sizeof name, "n%02d", added);
    rc = AddText(z, name, std::string(90, 'n'));
  }
  EXPECT_EQ(ZIPERR_NO_SPACE, rc);
  // a replacement that does not fit keeps the entry it would replace
  EXPECT_EQ(ZIPERR_NO_SPACE, AddText(z, "b", std::string(2000, 'B')));
  EXPECT_EQ(0, z.Close());  // what was accepted is committed
  CZipFile r;
  ASSERT_EQ(0, r.OpenMemory(block.data(), (int32_t)block.size(), -1, 0));
  EXPECT_EQ(3 + added - 1, r.GetEntryCount());
  EXPECT_EQ("bee", ExtractText(r, "b"));
  EXPECT_EQ(std::string(90, 'n'), ExtractText(r, "n00"));
}

TEST(ZipNotify, AnswersChangeWhatTheyShould) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::vector<unsigned char> original = Bytes(path);
  Calls calls;
  g_calls = &calls;
  auto open = [&](CZipFile& z, int mode) {
    ASSERT_EQ(0, z.Open(path.c_str(), mode));
    z.SetCallback(0, Record);
  };
  {  // 2: a deletion is refused
    CZipFile z;
    open(z, 2);
    calls.answerCode = ZIPN_REMOVE;
    EXPECT_EQ(-1, z.DeleteEntry(0));
    EXPECT_EQ(0, z.IsEntryDeleted(0));
    // 4: closing stops before the directory is written
    calls.answerCode = ZIPN_CLOSE;
    ASSERT_EQ(0, AddText(z, "new.txt", "new"));
    EXPECT_EQ(ZIPERR_ABORT, z.Close());
  }
  // (read once the object has let go: Windows holds an archive being changed)
  EXPECT_TRUE(original == Bytes(path));
  {  // 6: the add is made, the answer tells the caller
    CZipFile z;
    open(z, 2);
    calls.answerCode = ZIPN_APPEND;
    EXPECT_EQ(1, AddText(z, "six.txt", "six"));
    EXPECT_GE(z.FindEntry("six.txt"), 0);
    // 9: the commit does not start
    calls.answerCode = ZIPN_WRITEBACK;
    EXPECT_EQ(ZIPERR_ABORT, z.Commit());
    // 7: moving entries down over a deleted one stops; nothing is replaced
    calls.answerCode = ZIPN_COMPRESS;
    ASSERT_EQ(0, z.DeleteEntry(z.FindEntry("first.txt")));
    EXPECT_EQ(ZIPERR_ABORT, z.Close());
  }
  EXPECT_TRUE(original == Bytes(path));
  {  // 11 and 12: extraction and test report the stop
    CZipFile z;
    open(z, 1);
    std::vector<char> buf(4000);
    calls.answerCode = ZIPN_EXTRACTED;
    EXPECT_EQ(ZIPERR_ABORT, z.ExtractToMemory(0, buf.data(), (uint32_t)buf.size(), nullptr));
    calls.answerCode = ZIPN_TEST;
    EXPECT_EQ(ZIPERR_ABORT, z.TestEntry(0));
    EXPECT_EQ(0, z.IsEntryBad(0));
  }
  {  // 14: a deferred entry stops after its compression; the commit fails
    std::string src = orvtest::JoinPath(dir, "deferred.txt");
    orvtest::WriteFile(src, "deferred data", 13);
    CZipFile z;
    open(z, 2);
    calls.answerCode = ZIPN_COMPRESSED;
    z.SetDeferCompression(true);
    ASSERT_EQ(0, z.AddFile(src.c_str()));
    EXPECT_EQ(ZIPERR_ABORT, z.Close());
  }
  EXPECT_TRUE(original == Bytes(path));
}

// ----------------------------------------------------------- second channel

TEST(ZipChannels, OutputChannelSpillsIntoATemporaryFile) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CArchiveFile::SetTempFolder(dir.c_str());
  TestZip z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  int64_t archiveSize = z.ChanSize();
  char spill[ARCHIVE_NAME_SIZE] = "";
  EXPECT_EQ(ZIPERR_INTERNAL, z.CreateOutputChannel(100, 1 << 20, spill, 1));
  ASSERT_EQ(0, z.MoveToSecondChannel());
  EXPECT_EQ(ZIPERR_INTERNAL, z.MoveToSecondChannel());
  EXPECT_EQ(archiveSize, z.Chan2Size());
  ASSERT_EQ(0, z.CreateOutputChannel(100, 0x30000, spill, 1));
  EXPECT_EQ(0, spill[0]);
  std::vector<char> data(0x50000);
  for (size_t i = 0; i < data.size(); i++) data[i] = (char)(i * 13);
  ASSERT_EQ(0x20000, z.ChanWrite(data.data(), 0x20000));
  EXPECT_EQ(0, spill[0]);
  // past the limit the block goes to a temporary file
  ASSERT_EQ(0x30000, z.ChanWrite(data.data() + 0x20000, 0x30000));
  ASSERT_NE(0, spill[0]);
  std::string name = spill;
  EXPECT_NE(std::string::npos, name.find("AF_"));
  EXPECT_EQ((int64_t)data.size(), z.ChanSize());
  std::vector<char> back(data.size());
  z.ChanSeek(0, 0);
  ASSERT_EQ((int64_t)back.size(), z.ChanRead(back.data(), (int64_t)back.size()));
  EXPECT_EQ(data, back);
  // the moved channel still reads the archive
  char sig[4];
  z.Chan2Seek(0, 0);
  ASSERT_EQ(4, z.Chan2Read(sig, 4));
  EXPECT_EQ(0, memcmp(sig, "PK\x03\x04", 4));
  z.Close();
  EXPECT_TRUE(Bytes(name).empty());  // removed with the channel
  CArchiveFile::SetTempFolder(nullptr);
}

TEST(ZipChannels, SecondChannelModesWritesAndTruncation) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::vector<unsigned char> archive = Bytes(MakeArchive(dir));
  std::vector<unsigned char> block(archive.size() + 100);
  memcpy(block.data(), archive.data(), archive.size());
  TestZip z;
  EXPECT_EQ(ZIPERR_INTERNAL, z.ChangeMode2(1));
  ASSERT_EQ(0, z.OpenMemory(block.data(), (int32_t)block.size(), (int32_t)archive.size(), 0));
  ASSERT_EQ(0, z.MoveToSecondChannel());
  EXPECT_EQ(ZIPERR_MODE, z.ChangeMode2(2));  // update already
  ASSERT_EQ(0, z.ChangeMode2(1));
  EXPECT_EQ(ZIPERR_MODE, z.ChangeMode2(1));
  z.Chan2Seek(0, 2);
  EXPECT_THROW(z.Chan2Write("tail", 4), ZipErrorCode);
  ASSERT_EQ(0, z.ChangeMode2(2));
  EXPECT_EQ(0, z.Chan2Position());
  z.Chan2Seek(0, 2);
  ASSERT_EQ(4, z.Chan2Write("tail", 4));
  EXPECT_EQ((int64_t)archive.size() + 4, z.Chan2Size());
  char back[4];
  z.Chan2Seek(-4, 2);
  ASSERT_EQ(4, z.Chan2Read(back, 4));
  EXPECT_EQ(0, memcmp(back, "tail", 4));
  z.TruncateChannel(1);
  EXPECT_EQ(0, z.Chan2Size());
  z.Reset();

  // fixed data cannot be switched to writing
  TestZip f;
  ASSERT_EQ(0, f.OpenMemory(block.data(), (int32_t)archive.size(), -1, 0));
  ASSERT_EQ(0, f.MoveToSecondChannel());
  EXPECT_EQ(ZIPERR_SOURCE_OPEN, f.ChangeMode2(2));

  // the main channel of a disk archive
  std::string path = orvtest::JoinPath(dir, "trunc.zip");
  TestZip d;
  ASSERT_EQ(0, d.Open(path.c_str(), ZIP_OPEN_CREATE));
  ASSERT_EQ(0, AddText(d, "x.txt", std::string(5000, 'x')));
  ASSERT_GT(d.ChanSize(), 0);
  d.TruncateChannel(0);
  EXPECT_EQ(0, d.ChanSize());
  EXPECT_EQ(0, d.ChanPosition());
}

// ------------------------------------------------------ extraction to files

namespace {
void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod(path.c_str(), 0444);
#endif
}
}  // namespace

TEST(ZipExtract, ReadOnlyTargetsAreReplacedOrSkipped) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string target = orvtest::JoinPath(dir, "ro.txt");
  orvtest::WriteFile(target, "OLD", 3);
  MakeReadOnly(target);
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ | ZIPOPT_KEEP_DRIVE));
  int32_t second = z.FindEntry("second.txt");
  EXPECT_EQ(0, z.ExtractToFile(second, target.c_str()));
  EXPECT_EQ(1, z.GetEntryMark(second));  // skipped
  EXPECT_EQ(std::vector<unsigned char>({'O', 'L', 'D'}), Bytes(target));
  z.SetOptions(0);
  EXPECT_EQ(0, z.ExtractToFile(second, target.c_str()));
  EXPECT_EQ(2, z.GetEntryMark(second));
  EXPECT_EQ(12u, Bytes(target).size());
}

TEST(ZipExtract, AllEntriesIntoMissingFolders) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = orvtest::JoinPath(dir, "tree.zip");
  {
    CZipFile z;
    ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
    ASSERT_EQ(0, AddText(z, "a/b/c.txt", "deep"));
    ASSERT_EQ(0, z.AddFolderEntry("a/empty/"));
    ASSERT_EQ(0, AddText(z, "top.txt", "top"));
    ASSERT_EQ(0, z.Close());
  }
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  ASSERT_EQ(3, z.GetEntryCount());
  EXPECT_EQ(1, z.IsEntryDirectory(z.FindEntry("a/empty")));
  int32_t failures = -1;
  std::string out = orvtest::JoinPath(dir, "out") + "/new/";
  EXPECT_EQ(0, z.ExtractAll(out.c_str(), &failures));
  EXPECT_EQ(0, failures);
  EXPECT_EQ(std::vector<unsigned char>({'d', 'e', 'e', 'p'}), Bytes(out + "a/b/c.txt"));
  for (int32_t i = 0; i < 3; i++) EXPECT_EQ(2, z.GetEntryMark(i)) << z.GetEntryName(i);
  // a second run finds the folder there already
  EXPECT_EQ(0, z.ExtractAll(out.c_str(), &failures));
  EXPECT_EQ(1, z.GetEntryMark(z.FindEntry("a/empty")));
  uint64_t total = 0;
  EXPECT_EQ(z.GetProgress(&total), total);
}

TEST(ZipNotify, RefusedOpenAnswersAbort) {
  std::string dir = orvtest::MakeTempDir("zip");
  Calls calls;
  calls.answerCode = ZIPN_OPEN;
  g_calls = &calls;
  CZipFile z;
  z.SetCallback(0, Record);
  EXPECT_EQ(ZIPERR_ABORT, z.Open(orvtest::JoinPath(dir, "missing.zip").c_str(), ZIP_OPEN_READ));
  calls.answerCode = -1;
  EXPECT_EQ(ZIPERR_OPEN, z.Open(orvtest::JoinPath(dir, "missing.zip").c_str(), ZIP_OPEN_READ));
  ASSERT_GE(calls.codes.size(), 2u);
  EXPECT_EQ(ZIPN_OPEN, calls.codes[0]);
  EXPECT_EQ(ZIPN_ERROR, calls.codes.back());
}

TEST(ZipCommit, DeferredFilesAreCompressedAtCommit) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  std::string source = orvtest::JoinPath(dir, "later.txt");
  std::string text(20000, 'L');
  orvtest::WriteFile(source, text.data(), text.size());
  CZipFile z;
  z.SetDeferCompression(true);
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, z.AddFileAs(source.c_str(), "later.txt"));
  int32_t i = z.FindEntry("later.txt");
  ASSERT_GE(i, 0);
  EXPECT_EQ(8u, z.GetEntryFlags(i) & (8u | 64u)) << "pending, not yet valid";
  EXPECT_EQ(ZIPERR_EXISTS, z.AddFileAs(source.c_str(), "later.txt"));  // still pending
  // replacing a written entry only when the file is newer (an hour older
  // here: written in the entry's second, it could fall on either side)
  ASSERT_NE(0, FileSetTimesA(source.c_str(), (int64_t)time(nullptr) - 3600, -1, -1));
  z.SetOptions(ZIPOPT_ONLY_NEWER);
  EXPECT_EQ(ZIPERR_OLDER, z.AddFileAs(source.c_str(), "first.txt"));
  z.SetOptions(0);
  ASSERT_EQ(0, z.SetMode(1));
  i = z.FindEntry("later.txt");
  ASSERT_GE(i, 0);
  EXPECT_EQ(64u, z.GetEntryFlags(i) & (8u | 64u));
  EXPECT_LT(z.GetEntrySize(i, 1), 1000u);
  EXPECT_EQ(text, ExtractText(z, "later.txt"));
  EXPECT_EQ(3, z.GetEntryCount());
}

TEST(ZipAdd, GrownDataAreStoredUnlessRetryIsOff) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  ASSERT_EQ(0, AddText(z, "tiny.txt", "ab"));  // deflate makes 2 bytes larger
  EXPECT_EQ(0, z.GetEntry(z.FindEntry("tiny.txt"))->method);
  z.SetRetryStored(false);
  EXPECT_EQ(ZIPERR_COMPRESS, AddText(z, "tiny2.txt", "cd"));
  EXPECT_EQ(-1, z.FindEntry("tiny2.txt"));
  EXPECT_EQ(1, z.GetEntryCount());
  EXPECT_EQ("ab", ExtractText(z, "tiny.txt"));
}

TEST(ZipEntries, UnixModeFollowsReadOnlyAndDirectory) {
  CZipFile z;
  ASSERT_EQ(0, z.OpenMemory((void*)(intptr_t)1, 1 << 20, 0, 0));
  FileFindData ro;
  memset(&ro, 0, sizeof ro);
  ro.attributes = FFD_READABLE;  // not writable
  ASSERT_EQ(0, AddText(z, "rw.txt", "w"));
  ASSERT_EQ(0, z.AddFromMemory("ro.txt", "r", 1, &ro));
  ASSERT_EQ(0, z.AddFolderEntry("dir"));
  EXPECT_EQ((int32_t)0x800001A4, z.GetEntryUnixMode(z.FindEntry("rw.txt")));
  EXPECT_EQ((int32_t)0x80000124, z.GetEntryUnixMode(z.FindEntry("ro.txt")));
  EXPECT_EQ((int32_t)0x800041A4, z.GetEntryUnixMode(z.FindEntry("dir")));
  EXPECT_EQ(-1, z.GetEntryUnixMode(3));
  EXPECT_EQ(-1, z.GetEntryUnixMode(-1));
}
