// CPathDlg: the modes and the recent folders in the registry.
#include <stdlib.h>

#include "files/regkey.h"
#include "treelist/folderdlg/pathdlg.h"

namespace {

const char kCommonKey[] = "Software\\Vexa\\Common";

// Opens the key that holds the recent list's two values; false when the
// name's walk fails (nothing is then read or written).
bool OpenRecentKey(CRegistryKey& key, const std::string& name, int mode, std::string* valueName) {
  bool fromRoot;
  std::vector<std::string> parts;
  if (!PathTextSplitKey(name.c_str(), &fromRoot, &parts, valueName)) return false;
  const char* app = RegGetAppKeyPath();
  bool ok = !fromRoot && app && *app ? key.Open(HKEY_CURRENT_USER, nullptr, mode) != 0
                                     : key.Open(HKEY_CURRENT_USER, "", mode) != 0;
  for (size_t i = 0; ok && i < parts.size(); ++i) ok = key.OpenSubKey(parts[i].c_str(), mode) != 0;
  return ok;
}

}  // namespace

DWORD CPathDlg::ReadMode(const char* name, DWORD fallback) {
  CRegistryKey key;
  DWORD v = fallback;
  if (key.Open(HKEY_CURRENT_USER, kCommonKey, REGKEY_READ)) key.ReadValue(&v, sizeof v, name, REG_DWORD);
  return v;
}

void CPathDlg::WriteMode(const char* name, DWORD value) {
  CRegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, kCommonKey, REGKEY_CREATE)) key.WriteValue(&value, sizeof value, name, REG_DWORD);
}

void CPathDlg::LoadRecent(int mode) {
  if (m_recentKey.empty()) return;
  CRegistryKey key;
  std::string value;
  if (!OpenRecentKey(key, m_recentKey, REGKEY_READ, &value)) return;
  if (mode & 1) {
    CString last;
    if (key.ReadString(last, value.c_str()) && last.GetLength() > 0 && last.GetLength() <= FOLDER_MAX_PATH)
      m_path = PathTextClean(last);
  }
  if (mode & 2) {
    void* block = nullptr;
    int size = 0;
    if (key.ReadValueAlloc(&block, (value + "Last").c_str(), REG_MULTI_SZ, &size) && block) {
      PathTextMergeRecent(&m_recent, static_cast<const char*>(block), (size_t)size);
      free(block);
    }
  }
}

void CPathDlg::SaveRecent() {
  if (m_recentKey.empty()) return;
  CRegistryKey key;
  std::string value;
  if (!OpenRecentKey(key, m_recentKey, REGKEY_CREATE, &value)) return;
  std::string current = PathTextClean(m_path.c_str());
  if (!m_recent.empty()) current = m_recent.front();
  key.WriteValue(current.c_str(), (int)current.size(), value.c_str(), REG_SZ);
  std::string multi;
  for (const std::string& r : m_recent) {
    multi += r;
    multi += '\0';
  }
  multi += '\0';
  key.WriteValue(multi.data(), (int)multi.size(), (value + "Last").c_str(), REG_MULTI_SZ);
}
