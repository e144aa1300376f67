// True letter case, short names and shell display paths.
#include "files/shellpath.h"
#include "files/pathsafe.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string.h>

#include <string>

namespace {


int Put(char* dest, int size, const std::string& s) {
  if (!dest || size < 1) return -1;
  if ((int)s.size() >= size) {
    dest[0] = 0;
    return -1;
  }
  memcpy(dest, s.c_str(), s.size() + 1);
  return (int)s.size();
}

// Display name and file-system path of a shell folder.
bool ShellFolder(int csidl, std::string& name, std::string& path) {
  LPITEMIDLIST pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return false;
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  char fs[MAX_PATH + 1] = {0};
  bool named = SHGetFileInfoA((LPCSTR)pidl, 0, &sfi, sizeof sfi, SHGFI_PIDL | SHGFI_DISPLAYNAME) && sfi.szDisplayName[0];
  if (named) name = sfi.szDisplayName;
  if (SHGetPathFromIDListA(pidl, fs)) path = fs;
  else path.clear();
  CoTaskMemFree(pidl);
  return named;
}

}  // namespace

int PathGetTrueCaseA(char* dest, const char* path, int size) {
  if (!dest || size < 1) return -1;
  if (!path) path = "";
  std::string in(path), out;
  size_t i = 0;
  if (in.size() >= 2 && in[1] == ':') {
    char drive = in[0];
    if (drive >= 'a' && drive <= 'z') drive = (char)(drive - 'a' + 'A');
    out += drive;
    out += ':';
    i = 2;
  } else if (in.size() >= 2 && PathIsSep(in[0]) && PathIsSep(in[1])) {
    // "\\server\share" is kept as written
    size_t k = 2;
    for (int part = 0; part < 2 && k < in.size(); ++part) {
      while (k < in.size() && !PathIsSep(in[k])) ++k;
      if (part == 0 && k < in.size()) ++k;
    }
    out = in.substr(0, k);
    i = k;
  }
  bool exists = true;  // after a missing component nothing further is looked up
  while (i < in.size()) {
    if (PathIsSep(in[i])) {
      out += in[i++];
      continue;
    }
    size_t e = i;
    while (e < in.size() && !PathIsSep(in[e])) ++e;
    std::string comp = in.substr(i, e - i);
    bool special = comp == "." || comp == ".." || comp.find_first_of("*?") != std::string::npos;
    if (exists && !special) {
      WIN32_FIND_DATAA fd;
      HANDLE h = FindFirstFileA((out + comp).c_str(), &fd);
      if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        comp = fd.cFileName;
      } else {
        exists = false;
      }
    }
    out += comp;
    i = e;
  }
  return Put(dest, size, out);
}

int PathGetShortNameW(WideChar* dest, const WideChar* path, int size) {
  if (!dest || size < 1) return -1;
  if (!path) path = L"";
  DWORD n = GetShortPathNameW(path, dest, (DWORD)size);
  if (n > 0 && n < (DWORD)size) return (int)n;
  size_t len = wcslen(path);
  if (n == 0 && len < (size_t)size) {
    memcpy(dest, path, (len + 1) * sizeof(WideChar));
    return (int)len;
  }
  dest[0] = 0;
  return -1;
}

int DirResolveDisplayPath(const char* path, char* dest, int size) {
  if (!path) path = "";
  std::string in(path);
  if (in.size() < 3 || !PathIsSep(in[0]) || !PathIsSep(in[1])) return Put(dest, size, in);
  size_t e = 2;
  while (e < in.size() && !PathIsSep(in[e])) ++e;
  std::string first = in.substr(2, e - 2), rest = in.substr(e);
  std::string name, fs;
  if (ShellFolder(CSIDL_NETWORK, name, fs) && lstrcmpiA(name.c_str(), first.c_str()) == 0) {
    size_t r = 0;
    while (r < rest.size() && PathIsSep(rest[r])) ++r;
    return Put(dest, size, "\\\\" + rest.substr(r));
  }
  static const int kFolders[] = {CSIDL_DESKTOP, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL};
  for (int csidl : kFolders) {
    if (ShellFolder(csidl, name, fs) && !fs.empty() && lstrcmpiA(name.c_str(), first.c_str()) == 0) {
      while (fs.size() > 3 && PathIsSep(fs.back())) fs.pop_back();  // one separator before rest
      return Put(dest, size, fs + rest);
    }
  }
  return Put(dest, size, in);
}
