// The directory list stopped from another thread, and failure told apart
// from cancellation.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "files/dirlist.h"
#include "files/fileops.h"
#include "tests/support/testenv.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<int> g_seen{0};
void CountAndWait(const char*) {
  ++g_seen;
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

std::string MakeFolders(int n) {
  std::string root = orvtest::MakeTempDir("dircancel");
  for (int i = 0; i < n; ++i) {
    std::string p = root + FIO_SEP + "d" + std::to_string(i);
    EXPECT_EQ(DirCreateA(p.c_str()), 1);
  }
  return root;
}

TEST(DirListCancel, AnotherThreadStopsASlowedListing) {
  std::string root = MakeFolders(300);
  std::atomic<int> cancel{0};
  CDirectoryList dl;
  dl.SetCancelFlag(&cancel);
  g_seen = 0;
  DirListSetEntryHook(CountAndWait);
  std::thread stopper([&] {
    while (g_seen < 20) std::this_thread::yield();
    cancel = 1;
  });
  int r = dl.Refresh(root.c_str(), DIRLIST_FOLDERS);
  stopper.join();
  DirListSetEntryHook(nullptr);
  EXPECT_EQ(r, DIRLIST_CANCELLED);
  EXPECT_LT(g_seen.load(), 300);
  EXPECT_LT(dl.GetCount(), 300);
  // a set flag also stops before anything is read; cleared, the list reads all
  EXPECT_EQ(dl.Refresh(root.c_str(), DIRLIST_FOLDERS), DIRLIST_CANCELLED);
  cancel = 0;
  EXPECT_EQ(dl.Refresh(root.c_str(), DIRLIST_FOLDERS), DIRLIST_DONE);
  EXPECT_EQ(dl.GetCount(), 300);
}

TEST(DirListCancel, MissingFolderFailsAndEmptyFolderSucceeds) {
  std::string root = MakeFolders(0);
  CDirectoryList dl;
  EXPECT_EQ(dl.Refresh((root + FIO_SEP + "gone").c_str(), DIRLIST_FOLDERS), DIRLIST_FAILED);
  EXPECT_EQ(dl.Refresh(root.c_str(), DIRLIST_FOLDERS), DIRLIST_DONE);
  EXPECT_EQ(dl.GetCount(), 0);
}

#ifndef _WIN32
TEST(DirListCancel, UnreadableFolderFails) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  std::string root = MakeFolders(2);
  std::string locked = root + "/d0";
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  CDirectoryList dl;
  EXPECT_EQ(dl.Refresh(locked.c_str(), DIRLIST_FOLDERS), DIRLIST_FAILED);
  chmod(locked.c_str(), 0755);
}
#endif

}  // namespace
