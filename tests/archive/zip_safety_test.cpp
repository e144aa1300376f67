// Failures that must not cost data: a second writer on the same archive,
// and a test that fails for want of a password or a method.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/zipfile.h"
#include "tests/archive/ziptest.h"
#include "tests/support/testenv.h"

using namespace ziptest;

#ifdef _WIN32
// (share modes exist only on Windows; POSIX files have no such lock)
TEST(ZipSharing, SecondWriterIsRefusedAndNothingIsLost) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile a, b;
  ASSERT_EQ(0, a.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, AddText(a, "from-a.txt", "A"));
  // refused, and not taken for a missing file (that would empty the archive)
  EXPECT_EQ(ZIPERR_OPEN, b.Open(path.c_str(), ZIP_OPEN_UPDATE));
  EXPECT_EQ(0, b.GetMode());
  EXPECT_EQ(0, a.Close());
  CZipFile r;
  ASSERT_EQ(0, r.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(3, r.GetEntryCount());
  EXPECT_EQ("A", ExtractText(r, "from-a.txt"));
  EXPECT_EQ(std::string(3000, 'a'), ExtractText(r, "first.txt"));
}

TEST(ZipSharing, ReadModeBackToUpdateTakesTheLockAgain) {
  std::string dir = orvtest::MakeTempDir("zip");
  std::string path = MakeArchive(dir);
  CZipFile a, b;
  ASSERT_EQ(0, a.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, AddText(a, "one.txt", "1"));
  ASSERT_EQ(0, a.SetMode(1));
  ASSERT_EQ(0, a.SetMode(2));
  EXPECT_NE(0, b.Open(path.c_str(), ZIP_OPEN_UPDATE));
  ASSERT_EQ(0, AddText(a, "two.txt", "2"));
  EXPECT_EQ(0, a.Close());
  ASSERT_EQ(0, b.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(4, b.GetEntryCount());
  EXPECT_EQ("1", ExtractText(b, "one.txt"));
  EXPECT_EQ("2", ExtractText(b, "two.txt"));
}
#endif

namespace {

// Sets bits in the 16-bit field at local header offset `local` and central
// header offset `central` of the archive's only entry.
void PatchBoth(const std::string& path, int local, int central, uint16_t set, bool replace) {
  std::vector<unsigned char> b = Bytes(path);
  for (size_t i = 0; i + 46 <= b.size(); i++) {
    int at = -1;
    if (b[i] == 'P' && b[i + 1] == 'K' && b[i + 2] == 3 && b[i + 3] == 4) at = (int)i + local;
    if (b[i] == 'P' && b[i + 1] == 'K' && b[i + 2] == 1 && b[i + 3] == 2) at = (int)i + central;
    if (at < 0) continue;
    uint16_t v = replace ? set : (uint16_t)((b[at] | b[at + 1] << 8) | set);
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
  }
  orvtest::WriteFile(path, b.data(), b.size());
}

std::string OneStoredEntry(const std::string& dir) {
  std::string path = orvtest::JoinPath(dir, "one.zip");
  CZipFile z;
  EXPECT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_CREATE));
  z.SetMethod(0);
  EXPECT_EQ(0, AddText(z, "keep.bin", std::string(40, 'k')));
  EXPECT_EQ(0, z.Close());
  return path;
}

size_t EntriesAfterTestAndUpdate(const std::string& path, ZipErrorCode expected) {
  {
    CZipFile z;
    EXPECT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_UPDATE));
    EXPECT_EQ(expected, z.TestEntry(0));
    EXPECT_EQ(0, AddText(z, "other.txt", "o"));
    EXPECT_EQ(0, z.Close());
  }
  CZipFile r;
  EXPECT_EQ(0, r.Open(path.c_str(), ZIP_OPEN_READ));
  return (size_t)r.GetEntryCount();
}

}  // namespace

TEST(ZipTestEntry, MissingPasswordDoesNotDropTheEntry) {
  std::string path = OneStoredEntry(orvtest::MakeTempDir("zip"));
  PatchBoth(path, 6, 8, 1, false);  // encrypted, no password given
  EXPECT_EQ(2u, EntriesAfterTestAndUpdate(path, ZIPERR_PASSWORD));
}

TEST(ZipTestEntry, UnknownMethodDoesNotDropTheEntry) {
  std::string path = OneStoredEntry(orvtest::MakeTempDir("zip"));
  PatchBoth(path, 8, 10, 97, true);
  EXPECT_EQ(2u, EntriesAfterTestAndUpdate(path, ZIPERR_UNSUPPORTED));
}

TEST(ZipTestEntry, DamagedDataStillMarkTheEntryBad) {
  std::string path = OneStoredEntry(orvtest::MakeTempDir("zip"));
  PatchBoth(path, 14, 16, 0x1234, true);  // low half of the CRC
  CZipFile z;
  ASSERT_EQ(0, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(ZIPERR_CRC_TEST, z.TestEntry(0));
  EXPECT_EQ(1, z.IsEntryBad(0));
}

TEST(ZipHostile, Zip64LocatorNearTheTopOfTheRangeIsNoArchive) {
  std::string path = orvtest::JoinPath(orvtest::MakeTempDir("zip"), "wrap.zip");
  std::vector<unsigned char> b(64, 0);
  const unsigned char locator[20] = {'P', 'K', 6, 7, 0, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
  const unsigned char end[22] = {'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
  b.insert(b.end(), locator, locator + 20);
  b.insert(b.end(), end, end + 22);
  orvtest::WriteFile(path, b.data(), b.size());
  CZipFile z;
  EXPECT_EQ(ZIPERR_FORMAT, z.Open(path.c_str(), ZIP_OPEN_READ));
  EXPECT_EQ(0, z.GetMode());
}
