// The folder dialog's interface without its window: appending, copying the
// path into a buffer, and the recent list read from the registry by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "treelist/folderdlg/pathdlg.h"

namespace {

TEST(PathDlgInterface, AppendCopyAndRecentKey) {
  CPathDlg dlg;
  dlg.SetPath("C:\\Spiele");
  // blanks and separators trimmed, "/" made "\", cut at ":"
  EXPECT_STREQ(dlg.AppendPath("  runde/eins\\ "), "C:\\Spiele\\runde\\eins");
  EXPECT_STREQ(dlg.AppendPath("zwei:drei"), "C:\\Spiele\\runde\\eins\\zwei");
  EXPECT_STREQ(dlg.AppendPath(" \\ "), "C:\\Spiele\\runde\\eins\\zwei");
  const std::string want = "C:\\Spiele\\runde\\eins\\zwei";
  char buf[64] = "alt";
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size(), 0), 0);  // no room for the terminator
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size() + 1, 0), (int)want.size());
  EXPECT_EQ(dlg.GetPathCopy(buf, (int)want.size() + 1, 1), 0);  // the separator does not fit
  EXPECT_EQ(dlg.GetPathCopy(buf, sizeof buf, 1), (int)want.size() + 1);
  EXPECT_EQ(std::string(buf), want + "\\");
  // a name from the hive's root: the last folder and the list, newest first
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vexa\\OrvApiTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char last[] = "C:\\windows";
  const char multi[] = "C:\\a\0C:\\b\0";
  RegSetValueExA(key, "Liste", 0, REG_SZ, (const BYTE*)last, sizeof last);
  RegSetValueExA(key, "ListeLast", 0, REG_MULTI_SZ, (const BYTE*)multi, sizeof multi);
  RegCloseKey(key);
  CPathDlg fresh;
  fresh.SetRecentKey("#Software\\Vexa\\OrvApiTest\\Liste");
  EXPECT_STREQ(fresh.GetPath(), "C:\\windows");
  ASSERT_EQ(fresh.GetRecent().size(), 2u);
  EXPECT_EQ(fresh.GetRecent()[0], "C:\\a");
  EXPECT_EQ(fresh.GetRecent()[1], "C:\\b");
  // with a path already set only the list is read
  dlg.SetRecentKey("#Software\\Vexa\\OrvApiTest\\Liste");
  EXPECT_EQ(std::string(dlg.GetPath()), want);
  EXPECT_EQ(dlg.GetRecent().size(), 2u);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vexa\\OrvApiTest");
}

}  // namespace
