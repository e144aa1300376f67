// Combo-box histories: what is stored is read back by the registry API
// itself, and what the API stores (also damaged) is loaded safely.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/regkey.h"
#include "toolkit/combohistory.h"

namespace {

const char kApp[] = "Software\\OrvaloTest\\ComboHistory";

class ComboHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    RegSetAppKeyPath("OrvaloTest", "ComboHistory");
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kApp) + "\\Hist").c_str());
    combo_ = CreateWindowA("COMBOBOX", "", WS_POPUP | CBS_DROPDOWN, 0, 0, 200, 200, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(combo_);
  }
  void TearDown() override {
    DestroyWindow(combo_);
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kApp) + "\\Hist").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kApp);
  }

  // the raw value as the registry holds it
  std::string Stored(DWORD* type = nullptr) {
    HKEY k;
    std::string out;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kApp) + "\\Hist").c_str(), 0, KEY_READ, &k)) return out;
    char buf[4096];
    DWORD size = sizeof buf, t = 0;
    if (!RegQueryValueExA(k, "Paths", nullptr, &t, (BYTE*)buf, &size)) out.assign(buf, size);
    if (type) *type = t;
    RegCloseKey(k);
    return out;
  }
  void Store(DWORD type, const std::string& data) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kApp) + "\\Hist").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &k, nullptr), 0);
    RegSetValueExA(k, "Paths", 0, type, (const BYTE*)data.data(), (DWORD)data.size());
    RegCloseKey(k);
  }
  std::vector<std::string> Items() {
    std::vector<std::string> v;
    char buf[2048];
    int n = (int)SendMessageA(combo_, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
      SendMessageA(combo_, CB_GETLBTEXT, i, (LPARAM)buf);
      v.push_back(buf);
    }
    return v;
  }
  void Add(const char* s) { SendMessageA(combo_, CB_ADDSTRING, 0, (LPARAM)s); }

  HWND combo_ = nullptr;
};

TEST_F(ComboHistory, SavedChosenFirstWithoutRepeats) {
  Add("C:\\Spiel A");
  Add("C:\\Spiel B");
  Add("D:\\Quiz");
  SetWindowTextA(combo_, "c:\\spiel b");  // the same folder in other letter case
  ASSERT_TRUE(WndSaveComboHistory(combo_, "Paths", "#Hist"));
  DWORD type = 0;
  EXPECT_EQ(Stored(&type), std::string("c:\\spiel b\0C:\\Spiel A\0D:\\Quiz\0\0", 31));
  EXPECT_EQ(type, (DWORD)REG_MULTI_SZ);
  EXPECT_EQ(Items(), (std::vector<std::string>{"c:\\spiel b", "C:\\Spiel A", "D:\\Quiz"}));
  char text[64];
  GetWindowTextA(combo_, text, sizeof text);
  EXPECT_STREQ(text, "c:\\spiel b");
}

TEST_F(ComboHistory, AtMostSixteenKept) {
  char name[16];
  for (int i = 0; i < 20; i++) {
    wsprintfA(name, "e%02d", i);
    Add(name);
  }
  SetWindowTextA(combo_, "neu");
  ASSERT_TRUE(WndSaveComboHistory(combo_, "Paths", "#Hist"));
  std::string want = std::string("neu") + '\0';
  for (int i = 0; i < 15; i++) {
    wsprintfA(name, "e%02d", i);
    want += std::string(name) + '\0';
  }
  EXPECT_EQ(Stored(), want + '\0');
  SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", "#Hist"), 16);
  EXPECT_EQ(Items().front(), "neu");
  EXPECT_EQ(Items().back(), "e14");
}

TEST_F(ComboHistory, KeyWithoutHashIsBelowTheUser) {
  Store(REG_MULTI_SZ, std::string("x\0y\0x\0\0", 7));
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", (std::string(kApp) + "\\Hist").c_str()), 2);
  EXPECT_EQ(Items(), (std::vector<std::string>{"x", "y"}));
}

TEST_F(ComboHistory, DamagedValuesReadSafely) {
  // no terminator at all
  Store(REG_MULTI_SZ, "abc");
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", "#Hist"), 1);
  EXPECT_EQ(Items(), std::vector<std::string>{"abc"});
  SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
  // other types give nothing
  Store(REG_SZ, std::string("abc\0", 4));
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", "#Hist"), 0);
  Store(REG_BINARY, std::string("\xff\x01\x00\x41", 4));
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", "#Hist"), 0);
  // an over-long entry is left out, the next one kept; 30 entries give 16
  std::string data = std::string(3000, 'L') + '\0';
  for (int i = 0; i < 30; i++) data += std::string(1, (char)('a' + i % 26)) + std::to_string(i) + '\0';
  Store(REG_MULTI_SZ, data + '\0');
  EXPECT_EQ(WndLoadComboHistory(combo_, "Paths", "#Hist"), 16);
  EXPECT_EQ(Items().front(), "a0");
  EXPECT_EQ(Items().back(), "p15");
  EXPECT_EQ(WndLoadComboHistory(combo_, "Fehlt", "#Hist"), 0);
}

}  // namespace
