#include "files/fileio.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "tests/support/testenv.h"

namespace {

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif


std::string ReadAll(const std::string& path) {
  std::vector<unsigned char> v;
  if (!orvtest::ReadFile(path, v)) return "<missing>";
  return std::string(v.begin(), v.end());
}

TEST(FileIo, WriteSeekReadTruncate) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string path = orvtest::JoinPath(dir, "a.bin");
  FioHandle h = FioOpen(path.c_str(), FIO_RW | FIO_CREATE);
  ASSERT_NE(h, FIO_INVALID);
  EXPECT_EQ(FioWrite(h, "hello world", 11), 11);
  EXPECT_EQ(FioTell(h), 11);
  EXPECT_EQ(FioSize(h), 11);
  EXPECT_EQ(FioSeek(h, 6, FIO_BEGIN), 6);
  char buf[16] = {};
  EXPECT_EQ(FioRead(h, buf, sizeof buf), 5);  // short read at the end
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(FioSeek(h, -6, FIO_END), 5);
  EXPECT_EQ(FioTruncate(h), 1);
  EXPECT_EQ(FioSize(h), 5);
  EXPECT_EQ(FioRead(h, buf, 4), 0);
  EXPECT_EQ(FioSeek(h, -1, FIO_BEGIN), -1);  // before the start
  EXPECT_EQ(FioFlush(h), 1);
  EXPECT_EQ(FioClose(h), 1);
  EXPECT_EQ(ReadAll(path), "hello");
}

TEST(FileIo, Dispositions) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string path = orvtest::JoinPath(dir, "d.txt");
  EXPECT_EQ(FioOpen(path.c_str(), FIO_READ), FIO_INVALID);           // missing
  EXPECT_EQ(FioOpen(path.c_str(), FIO_RW | FIO_TRUNCATE), FIO_INVALID);
  FioHandle h = FioOpen(path.c_str(), FIO_RW | FIO_CREATE_NEW);
  ASSERT_NE(h, FIO_INVALID);
  FioWrite(h, "12345", 5);
  FioClose(h);
  EXPECT_EQ(FioOpen(path.c_str(), FIO_RW | FIO_CREATE_NEW), FIO_INVALID);  // exists

  h = FioOpen(path.c_str(), FIO_RW | FIO_OPEN_ALWAYS);  // keeps the content
  ASSERT_NE(h, FIO_INVALID);
  EXPECT_EQ(FioSize(h), 5);
  FioClose(h);

  h = FioOpen(path.c_str(), FIO_RW | FIO_TRUNCATE);
  ASSERT_NE(h, FIO_INVALID);
  EXPECT_EQ(FioSize(h), 0);
  FioClose(h);

  h = FioOpen(path.c_str(), FIO_READ | FIO_SHARE_READ);
  ASSERT_NE(h, FIO_INVALID);
  char c;
  EXPECT_EQ(FioWrite(h, "x", 1), -1);  // opened for reading only
  EXPECT_EQ(FioRead(h, &c, 1), 0);
  FioClose(h);

  // a folder is not a file
  EXPECT_EQ(FioOpen(dir.c_str(), FIO_READ), FIO_INVALID);
  EXPECT_EQ(FioOpen("", FIO_READ), FIO_INVALID);
  EXPECT_EQ(FioOpen(nullptr, FIO_READ), FIO_INVALID);
}

TEST(FileIo, InvalidHandleIsRefused) {
  char b[4];
  EXPECT_EQ(FioRead(FIO_INVALID, b, 4), -1);
  EXPECT_EQ(FioWrite(FIO_INVALID, b, 4), -1);
  EXPECT_EQ(FioSeek(FIO_INVALID, 0, FIO_BEGIN), -1);
  EXPECT_EQ(FioSize(FIO_INVALID), -1);
  EXPECT_EQ(FioTruncate(FIO_INVALID), 0);
  EXPECT_EQ(FioClose(FIO_INVALID), 1);
}

// Positions beyond 4 GB (a sparse file: nothing big is written).
TEST(FileIo, SixtyFourBitPositions) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string path = orvtest::JoinPath(dir, "big.bin");
  FioHandle h = FioOpen(path.c_str(), FIO_RW | FIO_CREATE);
  ASSERT_NE(h, FIO_INVALID);
  const int64_t kFar = (int64_t)5 << 30;
  EXPECT_EQ(FioSeek(h, kFar, FIO_BEGIN), kFar);
  EXPECT_EQ(FioWrite(h, "Z", 1), 1);
  EXPECT_EQ(FioSize(h), kFar + 1);
  EXPECT_EQ(FioSeek(h, -1, FIO_END), kFar);
  char c = 0;
  EXPECT_EQ(FioRead(h, &c, 1), 1);
  EXPECT_EQ(c, 'Z');
  EXPECT_EQ(FioSeek(h, 10, FIO_BEGIN), 10);
  EXPECT_EQ(FioTruncate(h), 1);
  EXPECT_EQ(FioSize(h), 10);
  FioClose(h);
}

TEST(FileIo, MapReadOnlyAndWritable) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string path = orvtest::JoinPath(dir, "m.bin");
  ASSERT_TRUE(orvtest::WriteFile(path, "abcdefgh", 8));
  FioHandle h = FioOpen(path.c_str(), FIO_READ);
  FioMapping m;
  ASSERT_EQ(FioMap(&m, h, 0), 1);
  ASSERT_EQ(m.size, 8);
  EXPECT_EQ(memcmp(m.data, "abcdefgh", 8), 0);
  FioUnmap(&m);
  FioUnmap(&m);  // twice is harmless
  FioClose(h);

  h = FioOpen(path.c_str(), FIO_RW);
  ASSERT_EQ(FioMap(&m, h, 1), 1);
  memmove((char*)m.data, (char*)m.data + 4, 4);  // as deletion in place does
  FioUnmap(&m);
  FioClose(h);
  EXPECT_EQ(ReadAll(path), "efghefgh");

  // an empty file maps to nothing, successfully
  std::string empty = orvtest::JoinPath(dir, "empty.bin");
  ASSERT_TRUE(orvtest::WriteFile(empty, "", 0));
  h = FioOpen(empty.c_str(), FIO_READ);
  ASSERT_EQ(FioMap(&m, h, 0), 1);
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(m.size, 0);
  FioUnmap(&m);
  FioClose(h);
}

TEST(FileIo, TempFilesAreUniqueAndEmpty) {
  std::string dir = orvtest::MakeTempDir("fio");
  char a[512], b[512];
  int la = FioMakeTempFile(a, sizeof a, dir.c_str(), "AF_");
  int lb = FioMakeTempFile(b, sizeof b, dir.c_str(), "AF_");
  ASSERT_GT(la, 0);
  ASSERT_GT(lb, 0);
  EXPECT_EQ((size_t)la, strlen(a));
  EXPECT_STRNE(a, b);
  EXPECT_EQ(ReadAll(a), "");
  EXPECT_EQ(ReadAll(b), "");
  // the name lies in the folder and begins with the prefix
  std::string sa(a);
  size_t slash = sa.find_last_of("\\/");
  ASSERT_NE(slash, std::string::npos);
  EXPECT_EQ(sa.compare(slash + 1, 3, "AF_"), 0) << sa;
  EXPECT_NE(sa.find(dir.substr(dir.find_last_of("\\/") + 1)), std::string::npos) << sa;

  // too small a buffer: failure, terminated, no file left behind
  char tiny[8];
  EXPECT_EQ(FioMakeTempFile(tiny, sizeof tiny, dir.c_str(), "AF_"), -1);
  EXPECT_EQ(tiny[0], 0);
  EXPECT_EQ(FioDelete(a), 1);
  EXPECT_EQ(FioDelete(b), 1);
  // the system's temporary folder ends in a separator
  char t[512];
  int lt = FioGetTempFolder(t, sizeof t);
  ASSERT_GT(lt, 0);
  EXPECT_TRUE(t[lt - 1] == '\\' || t[lt - 1] == '/');
  EXPECT_EQ(FioGetTempFolder(t, 2), -1);
}

TEST(FileIo, ReplaceIsOneStep) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string from = orvtest::JoinPath(dir, "new.tmp"), to = orvtest::JoinPath(dir, "target.dat");
  ASSERT_TRUE(orvtest::WriteFile(to, "old", 3));
  ASSERT_TRUE(orvtest::WriteFile(from, "new content", 11));
  EXPECT_EQ(FioReplace(from.c_str(), to.c_str()), 1);
  EXPECT_EQ(ReadAll(to), "new content");
  EXPECT_EQ(ReadAll(from), "<missing>");
  // a missing source changes nothing
  EXPECT_EQ(FioReplace(from.c_str(), to.c_str()), 0);
  EXPECT_EQ(ReadAll(to), "new content");
}

TEST(FileIo, CloseOntoReplacesOnlyWhenItCan) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string to = orvtest::JoinPath(dir, "target.dat");
  std::string from;
  auto onto = [&](const char* text, const std::string& target) {
    char buf[1024];
    FioHandle h = FioCreateTemp(buf, sizeof buf, dir.c_str(), "AF_");
    if (h == FIO_INVALID) return -1;
    FioWrite(h, text, strlen(text));
    from = buf;
    return FioCloseOnto(h, buf, target.c_str());
  };
  // onto a missing name, then over the file it made, then over a read-only one
  EXPECT_EQ(onto("first", to), 1);
  EXPECT_EQ(ReadAll(to), "first");
  EXPECT_EQ(onto("second", to), 1);
  EXPECT_EQ(ReadAll(to), "second");
  ASSERT_EQ(FioSetReadOnly(to.c_str(), 1), 1);
  EXPECT_EQ(onto("third", to), 1);
  EXPECT_EQ(ReadAll(to), "third");
  FioSetReadOnly(to.c_str(), 0);
  std::vector<std::string> names;
  FioFindEntry fd;
  int error = 0;
  FioHandle find = FioFindFirst(orvtest::JoinPath(dir, "*").c_str(), &fd, &error);
  for (bool more = find != FIO_INVALID; more; more = FioFindNext(find, &fd) != 0) names.push_back(fd.name);
  FioFindClose(find);
  EXPECT_EQ(names, std::vector<std::string>({"target.dat"}));  // no temporary or old file left
  // a folder of that name stays, and so does the new file
  std::string folder = orvtest::JoinPath(dir, "sub");
  ASSERT_EQ(FioMakeDir(folder.c_str()), 1);
  EXPECT_EQ(onto("fourth", folder), 0);
  EXPECT_EQ(ReadAll(from), "fourth");
  EXPECT_EQ(FioRemoveDir(folder.c_str()), 1);
}

TEST(FileIo, DeleteAndFullPath) {
  std::string dir = orvtest::MakeTempDir("fio");
  std::string path = orvtest::JoinPath(dir, "x.txt");
  ASSERT_TRUE(orvtest::WriteFile(path, "x", 1));
  EXPECT_EQ(FioDelete(path.c_str()), 1);
  EXPECT_EQ(FioDelete(path.c_str()), 0);
  EXPECT_EQ(FioDelete(dir.c_str()), 0);  // never a folder

  char full[1024];
  int n = FioFullPath(full, sizeof full, path.c_str());
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(full), path);
  n = FioFullPath(full, sizeof full, "rel.txt");
  ASSERT_GT(n, 7);
  EXPECT_STREQ(full + n - 7, "rel.txt");
  EXPECT_TRUE(full[n - 8] == '\\' || full[n - 8] == '/');
  char small[4] = "abc";
  EXPECT_EQ(FioFullPath(small, sizeof small, path.c_str()), -1);
  EXPECT_EQ(small[0], 0);
}

}  // namespace
