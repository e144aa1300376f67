#include "files/regkey.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

// Each test works below HKCU\Software\Vexa-Test\<test name + process id>
// and removes it afterwards.
class RegistryKey : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
           std::to_string(GetCurrentProcessId());
    path_ = "Software\\Vexa-Test\\" + app_;
    RegSetAppKeyPath("Vexa-Test", app_.c_str());
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    HKEY k;
    // the parent goes too when no one else uses it
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteKeyA(k, "Vexa-Test");
      RegCloseKey(k);
    }
    RegSetAppKeyPath(nullptr, nullptr);
  }
  bool KeyExists(const std::string& sub) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  // a value written directly, as another program might have left it
  void RawValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, name, 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
    RegCloseKey(k);
  }
  std::string app_, path_;
};

TEST_F(RegistryKey, AppKeyNumbersAndTexts) {
  EXPECT_STREQ(RegGetAppKeyPath(), path_.c_str());
  {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
    DWORD zoom = 17;
    EXPECT_TRUE(key.WriteValue(&zoom, 4, "OsmZoom", REG_DWORD));
    EXPECT_TRUE(key.WriteValue("Mapic", 5, "Name", REG_SZ));
    EXPECT_TRUE(key.WriteValue("Länge Ü", -1, "Text", REG_SZ));
    EXPECT_FALSE(key.WriteValue(&zoom, 2, "Short", REG_DWORD));
  }
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, path_.c_str(), REGKEY_READ));
  DWORD zoom = 0;
  EXPECT_TRUE(key.ReadValue(&zoom, 4, "OsmZoom", REG_DWORD));
  EXPECT_EQ(zoom, 17u);
  CString s;
  EXPECT_TRUE(key.ReadString(s, "Name"));
  EXPECT_STREQ(s, "Mapic");
  EXPECT_TRUE(key.ReadString(s, "Text"));
  EXPECT_STREQ(s, "Länge Ü");
  // a read-only object writes nothing
  EXPECT_FALSE(key.WriteValue(&zoom, 4, "OsmZoom", REG_DWORD));
  EXPECT_FALSE(key.DeleteValue("Name"));

  // what reg.exe (the system's tool) reads from the key
  std::string cmd = "reg query \"HKCU\\" + path_ + "\" /v Name";
  FILE* p = _popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char line[512];
  std::string out;
  while (fgets(line, sizeof line, p)) out += line;
  _pclose(p);
  EXPECT_NE(out.find("REG_SZ"), std::string::npos) << out;
  EXPECT_NE(out.find("Mapic"), std::string::npos) << out;
}

TEST_F(RegistryKey, NoAppKeyWithoutPath) {
  RegSetAppKeyPath(nullptr, nullptr);
  EXPECT_STREQ(RegGetAppKeyPath(), "");
  CRegistryKey key;
  EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, nullptr, REGKEY_READ));
}

TEST_F(RegistryKey, MissingValuesKeepDefaults) {
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  DWORD v = 1234;
  EXPECT_FALSE(key.ReadValue(&v, 4, "Nothing", REG_DWORD));
  EXPECT_EQ(v, 1234u);
  ASSERT_TRUE(key.WriteValue("text", 4, "Str", REG_SZ));
  EXPECT_FALSE(key.ReadValue(&v, 4, "Str", REG_DWORD));  // another type
  EXPECT_EQ(v, 1234u);
  char b[4] = {'x', 'y', 'z', 'w'};
  DWORD big = 0x01020304;
  ASSERT_TRUE(key.WriteValue(&big, 4, "Big", REG_DWORD));
  EXPECT_FALSE(key.ReadValue(b, 3, "Big", REG_DWORD));  // does not fit
  EXPECT_EQ(b[0], 'x');
  CString s("preset");
  EXPECT_FALSE(key.ReadString(s, "Nothing"));
  EXPECT_STREQ(s, "");
  // a number read as text: its bytes up to the first zero
  EXPECT_TRUE(key.ReadString(s, "Big"));
  EXPECT_STREQ(s, "\x04\x03\x02\x01");
  EXPECT_TRUE(key.DeleteValue("Big"));
  EXPECT_FALSE(key.ReadValue(&v, 4, "Big", REG_DWORD));
}

TEST_F(RegistryKey, TextsStayWithinTheBuffer) {
  RawValue("NoZero", REG_SZ, "abcdef", 6);  // stored without terminator
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ));
  char b[8];
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 4, "NoZero", REG_SZ));
  EXPECT_STREQ(b, "abc");  // cut and terminated
  EXPECT_EQ(b[4], '#');
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 8, "NoZero", REG_SZ));
  EXPECT_STREQ(b, "abcdef");
  EXPECT_EQ(b[7], '#');
  CString s;
  EXPECT_TRUE(key.ReadString(s, "NoZero"));
  EXPECT_STREQ(s, "abcdef");
}

TEST_F(RegistryKey, MultiStringWithoutDoubleZero) {
  RawValue("Recent", REG_MULTI_SZ, "C:\\a\0D:\\bc", 10);  // no closing zeros at all
  RawValue("One", REG_MULTI_SZ, "xy\0", 3);              // one zero only
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ));
  char b[16];
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 16, "Recent", REG_MULTI_SZ));
  EXPECT_EQ(memcmp(b, "C:\\a\0D:\\bc\0\0", 12), 0);
  EXPECT_EQ(b[12], '#');
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 8, "Recent", REG_MULTI_SZ));  // cut inside the second item
  EXPECT_EQ(memcmp(b, "C:\\a\0D\0\0", 8), 0);
  EXPECT_EQ(b[8], '#');
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 6, "Recent", REG_MULTI_SZ));  // first item and the ends
  EXPECT_EQ(memcmp(b, "C:\\a\0\0", 6), 0);
  EXPECT_EQ(b[6], '#');
  memset(b, '#', sizeof b);
  EXPECT_TRUE(key.ReadValue(b, 16, "One", REG_MULTI_SZ));
  EXPECT_EQ(memcmp(b, "xy\0\0", 4), 0);
  EXPECT_EQ(b[4], '#');

  void* block = nullptr;
  int size = 0;
  ASSERT_TRUE(key.ReadValueAlloc(&block, "Recent", REG_MULTI_SZ, &size));
  EXPECT_TRUE(size == 10 || size == 11) << size;  // Wine adds one zero when it converts
  EXPECT_EQ(memcmp(block, "C:\\a\0D:\\bc\0\0", 12), 0);
  free(block);
  EXPECT_FALSE(key.ReadValueAlloc(&block, "Recent", REG_SZ));
  EXPECT_EQ(block, nullptr);
}

TEST_F(RegistryKey, MultiStringWrittenWithItsEnd) {
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  ASSERT_TRUE(key.WriteValue("a\0bb", 4, "List", REG_MULTI_SZ));
  HKEY k;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
  char raw[16];
  DWORD size = sizeof raw, type = 0;
  ASSERT_EQ(RegQueryValueExA(k, "List", nullptr, &type, (BYTE*)raw, &size), ERROR_SUCCESS);
  RegCloseKey(k);
  EXPECT_EQ(type, (DWORD)REG_MULTI_SZ);
  ASSERT_EQ(size, 6u);
  EXPECT_EQ(memcmp(raw, "a\0bb\0\0", 6), 0);
}

TEST_F(RegistryKey, TwelveLevels) {
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  DWORD v = 1;
  ASSERT_TRUE(key.WriteValue(&v, 4, "Level", REG_DWORD));
  for (int i = 2; i <= REGKEY_MAX_LEVELS; ++i) {
    ASSERT_TRUE(key.OpenSubKey(("L" + std::to_string(i)).c_str())) << i;  // created
    v = (DWORD)i;
    ASSERT_TRUE(key.WriteValue(&v, 4, "Level", REG_DWORD));
  }
  EXPECT_EQ(key.GetLevels(), 12);
  EXPECT_FALSE(key.OpenSubKey("L13"));
  EXPECT_EQ(key.GetLevels(), 12);
  key.CloseSubKey();
  key.CloseSubKey();
  EXPECT_TRUE(key.ReadValue(&v, 4, "Level", REG_DWORD));
  EXPECT_EQ(v, 10u);
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  EXPECT_TRUE(KeyExists("\\L2\\L3\\L4\\L5\\L6\\L7\\L8\\L9\\L10\\L11\\L12"));
  EXPECT_FALSE(KeyExists("\\L2\\L3\\L4\\L5\\L6\\L7\\L8\\L9\\L10\\L11\\L12\\L13"));

  // a read-only object does not create
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ));
  EXPECT_TRUE(key.OpenSubKey("L2"));
  EXPECT_FALSE(key.OpenSubKey("Missing"));
  EXPECT_EQ(key.GetLevels(), 2);
  EXPECT_FALSE(KeyExists("\\L2\\Missing"));
}

TEST_F(RegistryKey, DeleteKeyWithEverythingBelow) {
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE));
  ASSERT_TRUE(key.OpenSubKey("Server"));
  ASSERT_TRUE(key.OpenSubKey("Deep"));
  ASSERT_TRUE(key.WriteValue("x", 1, "00", REG_SZ));
  key.CloseSubKey();
  key.CloseSubKey();
  ASSERT_TRUE(key.OpenSubKey("Layer"));
  key.CloseSubKey();
  EXPECT_TRUE(key.DeleteKey("Server"));
  EXPECT_FALSE(KeyExists("\\Server"));
  EXPECT_TRUE(KeyExists("\\Layer"));
  EXPECT_FALSE(key.DeleteKey("Server"));
}

}  // namespace
