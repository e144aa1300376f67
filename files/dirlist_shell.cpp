// CDirectoryList's shell parts: the virtual root, shortcuts, icons.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "files/dirlist.h"
#include "files/shellicons.h"
#include "files/shellpath.h"

namespace {

// COM for the calling thread while the object lives (workers may not have it).
class ComScope {
 public:
  ComScope() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (m_ok) CoUninitialize();
  }

 private:
  bool m_ok;
};

bool DisplayNameOf(LPCITEMIDLIST pidl, std::string& name) {
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  if (!SHGetFileInfoA((LPCSTR)pidl, 0, &sfi, sizeof sfi, SHGFI_PIDL | SHGFI_DISPLAYNAME) || !sfi.szDisplayName[0])
    return false;
  name = sfi.szDisplayName;
  return true;
}

}  // namespace

bool CDirectoryList::ListVirtualRoot() {
  DWORD mask = GetLogicalDrives();
  FioInfo info = {};
  info.attributes = FIO_ATTR_DIRECTORY;
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    char name[3] = {(char)('A' + i), ':', 0};
    Add(name, info, 0);
  }
  // special folders: their display name, their path as extra data
  static const int kSpecial[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL};
  for (int csidl : kSpecial) {
    char path[MAX_PATH + 1];
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) continue;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) continue;
    std::string name;
    LPITEMIDLIST pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) && pidl) {
      DisplayNameOf(pidl, name);
      CoTaskMemFree(pidl);
    }
    if (name.empty()) continue;
    DirEntry* d = Add(name.c_str(), info, 0);
    d->attributes |= DIRENT_VIRTUAL;
    d->extraSize = (int)strlen(path) + 1;
    d->extra = AddExtra(path);
  }
  if (m_options & DIRLIST_NETWORK) {
    std::string name;
    LPITEMIDLIST pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &pidl)) && pidl) {
      DisplayNameOf(pidl, name);
      CoTaskMemFree(pidl);
    }
    if (name.empty()) name = "Netzwerk";
    DirEntry* d = Add(name.c_str(), info, 0);
    d->attributes |= DIRENT_VIRTUAL;
    d->extraSize = 3;
    d->extra = AddExtra("\\\\");
  }
  return true;
}

bool CDirectoryList::ResolveLink(const char* path, std::string& target) {
  ComScope com;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
    return false;
  bool ok = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
    WCHAR wide[MAX_PATH + 1];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH + 1) > 0 && SUCCEEDED(file->Load(wide, STGM_READ))) {
      char buf[MAX_PATH + 1] = {0};
      if (SUCCEEDED(link->GetPath(buf, sizeof buf, nullptr, 0)) && buf[0]) {
        DWORD attr = GetFileAttributesA(buf);
        if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
          target = buf;
          ok = true;
        }
      }
    }
    file->Release();
  }
  link->Release();
  return ok;
}

int CDirectoryList::ShellIconIndex(DirEntry* e, unsigned flags) {
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  UINT f = SHGFI_SYSICONINDEX | (flags & (SHGFI_SMALLICON | SHGFI_OPENICON | SHGFI_USEFILEATTRIBUTES));
  const char* extra = (const char*)GetEntryExtra(e, nullptr);
  if (m_virtualRoot && !(e->attributes & DIRENT_VIRTUAL)) return ShellGetDriveIconIndex(e->name[0], flags & 1);
  if ((e->attributes & DIRENT_VIRTUAL) && extra && extra[0] == '\\' && extra[1] == '\\' && !extra[2]) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &pidl)) || !pidl) return -1;
    DWORD_PTR r = SHGetFileInfoA((LPCSTR)pidl, 0, &sfi, sizeof sfi,
                                 SHGFI_PIDL | SHGFI_SYSICONINDEX | (flags & (SHGFI_SMALLICON | SHGFI_OPENICON)));
    CoTaskMemFree(pidl);
    return r ? sfi.iIcon : -1;
  }
  std::string path;
  if ((e->attributes & DIRENT_VIRTUAL) && !(e->attributes & DIRENT_LINK) && extra) {
    path = extra;
  } else {
    // built here: looking the entry's index up would make a listing quadratic
    if (e->folder < 0 || e->folder >= (int)m_folders.size()) return -1;
    path = m_folder + m_folders[(size_t)e->folder] + e->name;
    if (e->attributes & DIRENT_LINK) path += ".lnk";  // the shortcut's own icon
  }
  DWORD attr = (e->attributes & FFD_DIRECTORY) && !(e->attributes & DIRENT_LINK) ? FILE_ATTRIBUTE_DIRECTORY
                                                                                 : FILE_ATTRIBUTE_NORMAL;
  // by attributes every plain folder has the same icon: asked once a list
  int* memo = attr == FILE_ATTRIBUTE_DIRECTORY && !(e->attributes & DIRENT_VIRTUAL) && (f & SHGFI_USEFILEATTRIBUTES)
                  ? &m_folderIcon[f & (SHGFI_SMALLICON | SHGFI_OPENICON)]
                  : nullptr;
  if (memo && *memo != -2) return *memo;
  int icon = SHGetFileInfoA(path.c_str(), attr, &sfi, sizeof sfi, f) ? sfi.iIcon : -1;
  if (memo) *memo = icon;
  return icon;
}

bool CDirectoryList::ResolveDisplayPath(const char* path, std::string& resolved) {
  char buf[1024];
  if (DirResolveDisplayPath(path, buf, sizeof buf) < 0) return false;
  resolved = buf;
  return true;
}
