// Combo-box history lists in the registry.
#include "toolkit/combohistory.h"

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "files/regkey.h"

namespace {

// "#sub\key" is below the application's key, anything else below
// HKEY_CURRENT_USER.
bool OpenHistoryKey(CRegistryKey& reg, const char* key, int mode) {
  if (!key) return false;
  if (*key != '#') return *key && reg.Open(HKEY_CURRENT_USER, key, mode) != 0;
  if (!reg.Open(HKEY_CURRENT_USER, nullptr, mode)) return false;
  return !key[1] || reg.OpenSubKey(key + 1, mode) != 0;
}

bool Contains(const std::vector<std::string>& list, const std::string& s) {
  for (const std::string& e : list)
    if (lstrcmpiA(e.c_str(), s.c_str()) == 0) return true;
  return false;
}

// Adds an entry unless it is empty, too long, a repeat, or the list is full.
void AddEntry(std::vector<std::string>& list, const std::string& s) {
  if (s.empty() || s.size() > COMBO_HISTORY_ENTRY_MAX || list.size() >= COMBO_HISTORY_MAX) return;
  if (!Contains(list, s)) list.push_back(s);
}

std::string WindowText(HWND wnd) {
  int n = GetWindowTextLengthA(wnd);
  if (n <= 0) return std::string();
  std::string s((size_t)n + 1, '\0');
  n = GetWindowTextA(wnd, &s[0], n + 1);
  s.resize(n > 0 ? (size_t)n : 0);
  return s;
}

std::string ListText(HWND combo, int index) {
  LRESULT n = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (n == CB_ERR || n <= 0) return std::string();
  std::string s((size_t)n + 1, '\0');
  n = SendMessageA(combo, CB_GETLBTEXT, index, (LPARAM)&s[0]);
  s.resize(n > 0 ? (size_t)n : 0);
  return s;
}

}  // namespace

int WndLoadComboHistory(HWND combo, const char* valueName, const char* key) {
  if (!combo || !valueName) return 0;
  CRegistryKey reg;
  if (!OpenHistoryKey(reg, key, REGKEY_READ)) return 0;
  void* block = nullptr;
  int size = 0;
  if (!reg.ReadValueAlloc(&block, valueName, REG_MULTI_SZ, &size) || !block) return 0;
  // the block ends in two zeros whatever the stored data held
  std::vector<std::string> list;
  const char* p = static_cast<const char*>(block);
  const char* end = p + size;
  while (p < end && *p) {
    size_t n = strnlen(p, (size_t)(end - p));
    AddEntry(list, std::string(p, n));
    p += n + 1;
  }
  free(block);
  int added = 0;
  for (const std::string& s : list) {
    // a sorted or other list may hold it already
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)s.c_str()) != CB_ERR) continue;
    if (SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)s.c_str()) >= 0) added++;
  }
  return added;
}

int WndSaveComboHistory(HWND combo, const char* valueName, const char* key) {
  if (!combo || !valueName) return 0;
  std::string text = WindowText(combo);
  std::vector<std::string> list;
  AddEntry(list, text);
  int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; i++) AddEntry(list, ListText(combo, i));

  std::string multi;
  for (const std::string& s : list) {
    multi += s;
    multi += '\0';
  }
  multi += '\0';
  CRegistryKey reg;
  if (!OpenHistoryKey(reg, key, REGKEY_CREATE)) return 0;
  if (!reg.WriteValue(multi.data(), (int)multi.size(), valueName, REG_MULTI_SZ)) return 0;

  // clearing the list clears the text too
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& s : list) SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)s.c_str());
  SetWindowTextA(combo, text.c_str());
  return 1;
}
