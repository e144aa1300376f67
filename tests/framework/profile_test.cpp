// The application's profile in the registry, read back and written through
// the registry functions themselves.
#include <gtest/gtest.h>

#include <string>

#include "files/regkey.h"
#include "framework/commondlg.h"
#include "framework/winapp.h"

#include <cstring>
#include <vector>

namespace {

const char kRoot[] = "Software\\OrvFrameworkTest";
const char kApp[] = "Software\\OrvFrameworkTest\\Profil";

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }

  static bool Query(const char* section, const char* name, DWORD& type, std::string& data) {
    HKEY k;
    std::string path = std::string(kApp) + "\\" + section;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    char buf[256];
    DWORD size = sizeof buf;
    LONG r = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return false;
    data.assign(buf, size);
    return true;
  }
  static void Put(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    std::string path = std::string(kApp) + "\\" + section;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &k, nullptr));
    RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
  }

  CWinApp app{"Profil"};
};

TEST_F(Profile, NothingWithoutRegistryKey) {
  EXPECT_STREQ("", app.GetAppRegistryPath());
  EXPECT_EQ(5u, app.GetProfileInt("Settings", "X", 5));
  EXPECT_FALSE(app.WriteProfileInt("Settings", "X", 1));
  EXPECT_STREQ("vor", app.GetProfileString("Settings", "Y", "vor"));
}

TEST_F(Profile, WritesReachTheRegistry) {
  app.SetRegistryKey("OrvFrameworkTest");
  EXPECT_STREQ(kApp, app.GetAppRegistryPath());
  EXPECT_STREQ(kApp, AfxGetAppRegistryPath());
  EXPECT_STREQ(kApp, RegGetAppKeyPath());  // the registry-key objects know it too
  EXPECT_EQ(7u, app.GetProfileInt("Settings", "IsZoomed", 7));  // nothing stored yet
  ASSERT_TRUE(app.WriteProfileInt("Settings", "IsZoomed", 1));
  ASSERT_TRUE(app.WriteProfileInt("Settings", "LastPosX", -20));
  ASSERT_TRUE(app.WriteProfileString("Server", "Name", "Grüße"));
  DWORD type;
  std::string data;
  ASSERT_TRUE(Query("Settings", "IsZoomed", type, data));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(std::string("\1\0\0\0", 4), data);
  ASSERT_TRUE(Query("Server", "Name", type, data));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(std::string("Grüße\0", 6), data);
  EXPECT_EQ(static_cast<UINT>(-20), app.GetProfileInt("Settings", "LastPosX", 0));
  EXPECT_STREQ("Grüße", app.GetProfileString("Server", "Name"));

  ASSERT_TRUE(app.WriteProfileString("Server", "Name", nullptr));  // deletes the value
  EXPECT_FALSE(Query("Server", "Name", type, data));
  ASSERT_TRUE(app.WriteProfileString("Server", nullptr, nullptr));  // deletes the section
  HKEY k;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kApp) + "\\Server").c_str(), 0, KEY_READ, &k));
  // values right in the application key; the key itself never goes
  ASSERT_TRUE(app.WriteProfileInt("", "WheelMode", 2));
  EXPECT_EQ(2u, app.GetProfileInt("", "WheelMode", 1));
  EXPECT_FALSE(app.WriteProfileString("", nullptr, nullptr));
  EXPECT_EQ(2u, app.GetProfileInt(nullptr, "WheelMode", 1));
}

TEST_F(Profile, ForeignValuesAreReadSafely) {
  app.SetRegistryKey("OrvFrameworkTest");
  Put("Settings", "Text", REG_SZ, "abc", 3);  // stored without its terminator
  EXPECT_STREQ("abc", app.GetProfileString("Settings", "Text"));
  EXPECT_EQ(9u, app.GetProfileInt("Settings", "Text", 9));  // a text is no number
  DWORD n = 12;
  Put("Settings", "Num", REG_DWORD, &n, sizeof n);
  EXPECT_STREQ("d", app.GetProfileString("Settings", "Num", "d"));  // a number is no text
  Put("Settings", "Short", REG_BINARY, "\1\2", 2);
  EXPECT_EQ(3u, app.GetProfileInt("Settings", "Short", 3));
  BYTE* p = nullptr;
  UINT size = 0;
  ASSERT_TRUE(app.GetProfileBinary("Settings", "Short", &p, &size));
  EXPECT_EQ(2u, size);
  EXPECT_EQ(2, p[1]);
  delete[] p;
}

TEST_F(Profile, RecentFileListRoundTrip) {
  app.SetRegistryKey("OrvFrameworkTest");
  Put("Recent File List", "File1", REG_SZ, "C:\\a.gpx", 9);
  Put("Recent File List", "File3", REG_SZ, "C:\\c.gpx", 9);
  Put("Recent File List", "File9", REG_SZ, "C:\\z.gpx", 9);  // beyond the list's size
  app.LoadStdProfileSettings(4);
  ASSERT_NE(nullptr, app.m_pRecentFileList);
  ASSERT_EQ(4, app.m_pRecentFileList->GetSize());
  EXPECT_STREQ("C:\\a.gpx", (*app.m_pRecentFileList)[0]);
  EXPECT_STREQ("C:\\c.gpx", (*app.m_pRecentFileList)[1]);  // the gap closes
  EXPECT_TRUE((*app.m_pRecentFileList)[2].IsEmpty());
  app.AddToRecentFileList("C:\\neu.gpx");
  app.AddToRecentFileList("c:\\A.GPX");
  app.SaveStdProfileSettings();
  DWORD type;
  std::string data;
  ASSERT_TRUE(Query("Recent File List", "File1", type, data));
  EXPECT_EQ(std::string("c:\\A.GPX\0", 9), data);
  ASSERT_TRUE(Query("Recent File List", "File2", type, data));
  EXPECT_EQ(std::string("C:\\neu.gpx\0", 11), data);
  ASSERT_TRUE(Query("Recent File List", "File3", type, data));
  EXPECT_EQ(std::string("C:\\c.gpx\0", 9), data);
  EXPECT_FALSE(Query("Recent File List", "File4", type, data));
}

}  // namespace

namespace {

TEST(FileDialog, FilterAndNameParts) {
  CFileDialog dlg(TRUE, "gpx", "C:\\Spiele\\runde.eins.gpx", OFN_FILEMUSTEXIST,
                  "Trackdateien|*.gpx;*.kml|Alle Dateien  (*.*)|*.*|");
  const char* f = dlg.m_ofn.lpstrFilter;
  ASSERT_NE(nullptr, f);
  std::vector<std::string> parts;
  for (; *f; f += strlen(f) + 1) parts.push_back(f);
  EXPECT_EQ((std::vector<std::string>{"Trackdateien", "*.gpx;*.kml", "Alle Dateien  (*.*)", "*.*"}), parts);
  EXPECT_TRUE(dlg.m_ofn.Flags & OFN_FILEMUSTEXIST);
  EXPECT_STREQ("C:\\Spiele\\runde.eins.gpx", dlg.GetPathName());
  EXPECT_STREQ("runde.eins.gpx", dlg.GetFileName());
  EXPECT_STREQ("gpx", dlg.GetFileExt());
  EXPECT_STREQ("runde.eins", dlg.GetFileTitle());
  CFileDialog bare(FALSE, nullptr, "ohne", 0, "Nur Text|*.txt");  // no closing '|'
  f = bare.m_ofn.lpstrFilter;
  EXPECT_STREQ("Nur Text", f);
  EXPECT_STREQ("*.txt", f + 9);
  EXPECT_EQ(0, f[15]);
  EXPECT_STREQ("", bare.GetFileExt());
}

TEST(ImageList, AddsBitmapsAndIcons) {
  CImageList list;
  ASSERT_TRUE(list.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
  HDC screen = GetDC(nullptr);
  HBITMAP strip = CreateCompatibleBitmap(screen, 48, 16);  // three images side by side
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(0, list.Add(strip, RGB(192, 192, 192)));
  EXPECT_EQ(3, list.GetImageCount());
  EXPECT_EQ(3, list.Add(LoadIconA(nullptr, IDI_APPLICATION)));
  EXPECT_EQ(4, list.GetImageCount());
  DeleteObject(strip);
  HIMAGELIST h = list.Detach();
  EXPECT_EQ(0, list.GetImageCount());
  ImageList_Destroy(h);
}

}  // namespace
