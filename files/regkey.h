// CRegistryKey: every setting of the program goes through this object.
//
// It keeps a stack of up to REGKEY_MAX_LEVELS open keys: Open sets the first
// level, OpenSubKey adds one below the innermost, CloseSubKey goes back up.
// Reads and writes work on the innermost level.
#pragma once

#include <windows.h>

#include "text/cstring.h"

// The application's own key below HKEY_CURRENT_USER: the class library's
// CWinApp::SetRegistryKey (company key) calls this with the company key and
// the application's name, giving "Software\<companyKey>\<appName>". Until it
// is called there is no application key.
void RegSetAppKeyPath(const char* companyKey, const char* appName);
// "Software\<companyKey>\<appName>", or "" when none was set.
const char* RegGetAppKeyPath();

enum {
  REGKEY_MAX_LEVELS = 12,
  REGKEY_READ = 0,    // open existing keys for reading
  REGKEY_WRITE = 1,   // open existing keys for reading and writing
  REGKEY_CREATE = 2,  // create missing keys; read and write
};

class CRegistryKey {
 public:
  CRegistryKey();  // closed
  ~CRegistryKey();  // closes every open level
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Opens root\path as the first level (closing what was open). A null path
  // with HKEY_CURRENT_USER opens the application's own key. mode: REGKEY_*.
  // Nonzero on success.
  int Open(HKEY root, const char* path, int mode);
  // Opens name below the innermost level as a new level; with an object
  // opened by REGKEY_CREATE a missing key is created. mode REGKEY_CREATE
  // creates as well. Fails beyond REGKEY_MAX_LEVELS levels.
  int OpenSubKey(const char* name, int mode = REGKEY_READ);
  // Closes the innermost level (the object is closed after the last one).
  void CloseSubKey();
  void Close();  // every level

  int IsOpen() const { return m_levels > 0; }
  int GetLevels() const { return m_levels; }
  HKEY GetKey() const { return m_levels > 0 ? m_keys[m_levels - 1] : nullptr; }

  // Reads a value of the given type (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ,
  // REG_DWORD, REG_BINARY...) into buffer of size bytes. A missing value, or
  // one of another type, leaves the buffer unchanged so a preset default
  // survives. Texts are always terminated within size (a multi-string with
  // two zeros), cut when too long; other data that does not fit fails and
  // changes nothing. Nonzero on success.
  int ReadValue(void* buffer, int size, const char* name, DWORD type);
  // Reads a value of the given type into a new block (terminated like
  // ReadValue) that the caller frees with free(). size (may be null) gets the
  // data size in bytes without the added terminators. Nonzero on success.
  int ReadValueAlloc(void** block, const char* name, DWORD type, int* size = nullptr);
  // Reads the value as text: a text up to its first zero, any other type byte
  // for byte up to its first zero byte. Missing: empty string, result 0.
  int ReadString(CString& text, const char* name);

  // Writes a value; needs a key opened with REGKEY_WRITE or REGKEY_CREATE.
  // REG_SZ / REG_EXPAND_SZ: size is the text's length without terminator
  // (-1: up to the zero); REG_DWORD: 4 bytes; REG_MULTI_SZ: the block (the
  // closing double zero is added when missing). Nonzero on success.
  int WriteValue(const void* data, int size, const char* name, DWORD type);
  int DeleteValue(const char* name);  // of the innermost key
  int DeleteKey(const char* name);    // a sub key with everything below it

 private:
  int QueryRaw(const char* name, DWORD* type, void** data, DWORD* size);
  HKEY m_keys[REGKEY_MAX_LEVELS];
  int m_levels;
  int m_mode;  // mode of Open
};
