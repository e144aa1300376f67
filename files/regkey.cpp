// CRegistryKey on the Win32 registry calls.
#include "files/regkey.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

char g_appKey[512];

// Copies text into buffer of size bytes so that it ends in `zeros` zero
// bytes within size; returns false when not even the zeros fit.
bool CopyText(char* buffer, int size, const char* data, int dataSize, int zeros) {
  if (size < zeros) return false;
  int n = dataSize;
  if (zeros == 1) {
    const void* z = memchr(data, 0, (size_t)n);
    if (z) n = (int)((const char*)z - data);
  } else {
    // a multi-string ends at its first empty item
    int i = 0;
    while (i < n) {
      const void* z = memchr(data + i, 0, (size_t)(n - i));
      if (!z) {
        i = n;
        break;
      }
      int end = (int)((const char*)z - data);
      if (end == i) break;  // empty item: the list's end
      i = end + 1;
    }
    n = i;
  }
  if (n > size - zeros) n = size - zeros;
  if (zeros == 2 && n > 0 && data[n - 1] == 0) --n;  // the last item's zero is one of the two
  memcpy(buffer, data, (size_t)n);
  for (int k = 0; k < zeros; ++k) buffer[n + k] = 0;
  return true;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

void RegSetAppKeyPath(const char* companyKey, const char* appName) {
  if (!companyKey || !*companyKey || !appName || !*appName) {
    g_appKey[0] = 0;
    return;
  }
  int n = snprintf(g_appKey, sizeof g_appKey, "Software\\%s\\%s", companyKey, appName);
  if (n < 0 || n >= (int)sizeof g_appKey) g_appKey[0] = 0;
}

const char* RegGetAppKeyPath() { return g_appKey; }

CRegistryKey::CRegistryKey() : m_levels(0), m_mode(REGKEY_READ) {
  for (HKEY& k : m_keys) k = nullptr;
}

CRegistryKey::~CRegistryKey() { Close(); }

void CRegistryKey::Close() {
  while (m_levels > 0) CloseSubKey();
}

void CRegistryKey::CloseSubKey() {
  if (m_levels <= 0) return;
  --m_levels;
  RegCloseKey(m_keys[m_levels]);
  m_keys[m_levels] = nullptr;
}

int CRegistryKey::Open(HKEY root, const char* path, int mode) {
  Close();
  if (!root) return 0;
  if (!path) {
    if (root != HKEY_CURRENT_USER || !g_appKey[0]) return 0;
    path = g_appKey;
  }
  HKEY key = nullptr;
  LONG r;
  if (mode == REGKEY_CREATE) {
    r = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr);
  } else {
    r = RegOpenKeyExA(root, path, 0, mode == REGKEY_WRITE ? KEY_READ | KEY_WRITE : KEY_READ, &key);
  }
  if (r != ERROR_SUCCESS) return 0;
  m_keys[0] = key;
  m_levels = 1;
  m_mode = mode == REGKEY_CREATE || mode == REGKEY_WRITE ? mode : REGKEY_READ;
  return 1;
}

int CRegistryKey::OpenSubKey(const char* name, int mode) {
  if (m_levels <= 0 || m_levels >= REGKEY_MAX_LEVELS || !name) return 0;
  int effective = mode > m_mode ? mode : m_mode;
  HKEY key = nullptr;
  LONG r;
  if (effective == REGKEY_CREATE) {
    r = RegCreateKeyExA(GetKey(), name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr);
  } else {
    r = RegOpenKeyExA(GetKey(), name, 0, effective == REGKEY_WRITE ? KEY_READ | KEY_WRITE : KEY_READ, &key);
  }
  if (r != ERROR_SUCCESS) return 0;
  m_keys[m_levels++] = key;
  return 1;
}

// Reads a whole value into a new block with two spare zero bytes behind it.
int CRegistryKey::QueryRaw(const char* name, DWORD* type, void** data, DWORD* size) {
  *data = nullptr;
  *size = 0;
  if (m_levels <= 0) return 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD need = 0;
    if (RegQueryValueExA(GetKey(), name, nullptr, type, nullptr, &need) != ERROR_SUCCESS) return 0;
    if (need > 0x4000000) return 0;  // larger than any setting of ours
    char* block = (char*)calloc(need + 2, 1);
    if (!block) return 0;
    DWORD got = need;
    LONG r = RegQueryValueExA(GetKey(), name, nullptr, type, (BYTE*)block, &got);
    if (r == ERROR_SUCCESS) {
      *data = block;
      *size = got;
      return 1;
    }
    free(block);
    if (r != ERROR_MORE_DATA) return 0;  // else it grew meanwhile: again
  }
  return 0;
}

int CRegistryKey::ReadValue(void* buffer, int size, const char* name, DWORD type) {
  if (!buffer || size < 1) return 0;
  DWORD actual = 0, n = 0;
  void* data = nullptr;
  if (!QueryRaw(name, &actual, &data, &n)) return 0;
  bool sameKind = actual == type || (type == REG_SZ && actual == REG_EXPAND_SZ) ||
                  (type == REG_EXPAND_SZ && actual == REG_SZ);
  int ok = 0;
  if (sameKind) {
    if (IsText(type)) {
      ok = CopyText((char*)buffer, size, (const char*)data, (int)n, type == REG_MULTI_SZ ? 2 : 1);
    } else if ((int)n <= size) {
      memcpy(buffer, data, n);
      ok = 1;
    }
  }
  free(data);
  return ok;
}

int CRegistryKey::ReadValueAlloc(void** block, const char* name, DWORD type, int* size) {
  if (size) *size = 0;
  if (!block) return 0;
  *block = nullptr;
  DWORD actual = 0, n = 0;
  void* data = nullptr;
  if (!QueryRaw(name, &actual, &data, &n)) return 0;
  bool sameKind = actual == type || (type == REG_SZ && actual == REG_EXPAND_SZ) ||
                  (type == REG_EXPAND_SZ && actual == REG_SZ);
  if (!sameKind) {
    free(data);
    return 0;
  }
  if (type == REG_MULTI_SZ) {
    // terminate within the block (it has two spare zeros behind the data)
    char* t = (char*)malloc(n + 2);
    if (!t || !CopyText(t, (int)n + 2, (const char*)data, (int)n, 2)) {
      free(t);
      free(data);
      return 0;
    }
    free(data);
    data = t;
  }
  *block = data;  // calloc'd with two zero bytes past the data
  if (size) *size = (int)n;
  return 1;
}

int CRegistryKey::ReadString(CString& text, const char* name) {
  text.Empty();
  DWORD type = 0, n = 0;
  void* data = nullptr;
  if (!QueryRaw(name, &type, &data, &n)) return 0;
  const char* p = (const char*)data;
  const void* z = memchr(p, 0, n);
  int len = z ? (int)((const char*)z - p) : (int)n;
  text.SetString(p, len);
  free(data);
  return 1;
}

int CRegistryKey::WriteValue(const void* data, int size, const char* name, DWORD type) {
  if (m_levels <= 0 || m_mode == REGKEY_READ) return 0;
  if (!data && size != 0) return 0;
  const BYTE* bytes = (const BYTE*)data;
  LONG r;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const char* text = data ? (const char*)data : "";
    if (size < 0) size = (int)strlen(text);
    char* t = (char*)malloc((size_t)size + 1);
    if (!t) return 0;
    memcpy(t, text, (size_t)size);
    t[size] = 0;
    r = RegSetValueExA(GetKey(), name, 0, type, (const BYTE*)t, (DWORD)size + 1);
    free(t);
  } else if (type == REG_MULTI_SZ) {
    if (size < 0) return 0;
    // add what the closing double zero lacks
    int add = 2;
    if (size >= 1 && bytes[size - 1] == 0) add = (size >= 2 && bytes[size - 2] == 0) ? 0 : 1;
    char* t = (char*)malloc((size_t)size + 2);
    if (!t) return 0;
    if (size) memcpy(t, bytes, (size_t)size);
    for (int k = 0; k < add; ++k) t[size + k] = 0;
    r = RegSetValueExA(GetKey(), name, 0, type, (const BYTE*)t, (DWORD)(size + add));
    free(t);
  } else {
    if (size < 0 || (type == REG_DWORD && size != 4)) return 0;
    r = RegSetValueExA(GetKey(), name, 0, type, bytes, (DWORD)size);
  }
  return r == ERROR_SUCCESS ? 1 : 0;
}

int CRegistryKey::DeleteValue(const char* name) {
  if (m_levels <= 0 || m_mode == REGKEY_READ) return 0;
  return RegDeleteValueA(GetKey(), name) == ERROR_SUCCESS ? 1 : 0;
}

int CRegistryKey::DeleteKey(const char* name) {
  if (m_levels <= 0 || m_mode == REGKEY_READ || !name || !*name) return 0;
  return RegDeleteTreeA(GetKey(), name) == ERROR_SUCCESS ? 1 : 0;
}
