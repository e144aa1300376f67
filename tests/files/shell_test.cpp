#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "files/dirlist.h"
#include "files/shellicons.h"
#include "files/shellpath.h"
#include "tests/support/testenv.h"

namespace {

TEST(VirtualRoot, DrivesSpecialFoldersNetwork) {
  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(":", DIRLIST_FOLDERS | DIRLIST_NETWORK));
  DWORD mask = GetLogicalDrives();
  int drives = 0, network = 0, special = 0;
  for (int i = 0; i < list.GetCount(); ++i) {
    DirEntry* e = list.GetEntry(i);
    EXPECT_TRUE(e->attributes & FFD_DIRECTORY) << e->name;
    int size = 0;
    const char* extra = (const char*)list.GetEntryExtra(e, &size);
    std::string full = list.GetEntryFullPath(i, nullptr, 0);
    if (!(e->attributes & DIRENT_VIRTUAL)) {
      ++drives;
      ASSERT_EQ(strlen(e->name), 2u) << e->name;
      EXPECT_EQ(e->name[1], ':');
      EXPECT_TRUE(mask & (1u << (e->name[0] - 'A'))) << e->name;
      EXPECT_EQ(full, std::string(e->name) + "\\");
      EXPECT_GE(list.GetEntryIconIndex(e, 0x11), 0) << e->name;
    } else if (extra && std::string(extra) == "\\\\") {
      ++network;
      EXPECT_EQ(size, 3);
    } else {
      ++special;
      ASSERT_NE(extra, nullptr) << e->name;
      EXPECT_NE(GetFileAttributesA(extra) & FILE_ATTRIBUTE_DIRECTORY, 0u) << extra;
      EXPECT_EQ(full, std::string(extra));
      EXPECT_GE(list.GetEntryIconIndex(e, 0x11), 0) << e->name;
    }
  }
  int expectDrives = 0;
  for (int i = 0; i < 26; ++i) expectDrives += (mask >> i) & 1;
  EXPECT_EQ(drives, expectDrives);
  EXPECT_EQ(network, 1);
  EXPECT_GE(special, 1);  // at least the desktop or the documents

  ASSERT_TRUE(list.Refresh(":", DIRLIST_FOLDERS));
  for (int i = 0; i < list.GetCount(); ++i) {
    const char* extra = (const char*)list.GetEntryExtra(list.GetEntry(i), nullptr);
    EXPECT_FALSE(extra && std::string(extra) == "\\\\");  // no network without the option
  }
  // the network neighbourhood lists nothing here, successfully
  ASSERT_TRUE(list.Refresh("\\\\", DIRLIST_FOLDERS | DIRLIST_NETWORK));
  EXPECT_EQ(list.GetCount(), 0);
}

// With DIRLIST_NETWORK a display path is listed as the folder it stands for.
TEST(VirtualRoot, DisplayPathsAreResolved) {
  CDirectoryList root;
  ASSERT_TRUE(root.Refresh(":", DIRLIST_FOLDERS));
  std::string name, path;
  for (int i = 0; i < root.GetCount() && name.empty(); ++i) {
    DirEntry* e = root.GetEntry(i);
    if (e->attributes & DIRENT_VIRTUAL) {
      name = e->name;
      path = (const char*)root.GetEntryExtra(e, nullptr);
    }
  }
  ASSERT_FALSE(name.empty());
  std::string marker = path + "\\orv-display-test";
  ASSERT_TRUE(CreateDirectoryA(marker.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  CDirectoryList list;
  std::string display = "\\\\" + name;
  ASSERT_TRUE(list.Refresh(display.c_str(), DIRLIST_FOLDERS | DIRLIST_NETWORK, "orv-display-test"));
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(lstrcmpiA(list.GetEntryFullPath(0, nullptr, 0), marker.c_str()), 0) << list.GetEntryFullPath(0, nullptr, 0);
  EXPECT_FALSE(list.Refresh(display.c_str(), DIRLIST_FOLDERS));  // not resolved without the option
  RemoveDirectoryA(marker.c_str());
}

// A shortcut made by the system's own shell link object is listed as a
// folder that carries its target.
TEST(DirListShell, ShortcutToFolder) {
  std::string dir = orvtest::MakeTempDir("shell");
  std::string target = dir + "\\Ziel Ordner";
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir + "\\plain").c_str(), nullptr));
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)));
  link->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)));
  std::string lnk = dir + "\\Verweis.lnk";
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
  ASSERT_TRUE(SUCCEEDED(file->Save(wide, TRUE)));
  file->Release();
  link->Release();
  if (SUCCEEDED(init)) CoUninitialize();

  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(dir.c_str(), DIRLIST_FOLDERS));
  list.Sort(DIRSORT_NAME, 0);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_STREQ(list.GetEntry(0)->name, "plain");
  DirEntry* v = list.GetEntry(1);
  EXPECT_STREQ(v->name, "Verweis");
  EXPECT_EQ(v->attributes & (DIRENT_VIRTUAL | DIRENT_LINK | FFD_DIRECTORY),
            (uint32_t)(DIRENT_VIRTUAL | DIRENT_LINK | FFD_DIRECTORY));
  const char* extra = (const char*)list.GetEntryExtra(v, nullptr);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(lstrcmpiA(extra, target.c_str()), 0) << extra;
  EXPECT_EQ(list.GetEntry(0)->attributes & DIRENT_LINK, 0u);
  // icons by attributes, as the shell gives them for each path: the folders
  // share one (asked once), the shortcut keeps its own
  for (unsigned flags : {0x11u, 0x13u, 0x11u})
    for (int i = 0; i < 3; ++i) {
      DirEntry* e = list.GetEntry(i);
      std::string path = dir + "\\" + e->name + (e->attributes & DIRENT_LINK ? ".lnk" : "");
      DWORD attr = e->attributes & DIRENT_LINK ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_DIRECTORY;
      SHFILEINFOA fi = {};
      SHGetFileInfoA(path.c_str(), attr, &fi, sizeof fi, SHGFI_SYSICONINDEX | (flags & 3) | SHGFI_USEFILEATTRIBUTES);
      EXPECT_EQ(list.GetEntryIconIndex(e, flags), fi.iIcon) << e->name << " " << flags;
    }

  // files only: the shortcut stays a file
  ASSERT_TRUE(list.Refresh(dir.c_str(), DIRLIST_FILES));
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_STREQ(list.GetEntry(0)->name, "Verweis.lnk");
  EXPECT_GE(list.GetEntryIconIndex(list.GetEntry(0), 0x11), 0);
}

TEST(ShellIcons, DrivesFoldersSystem) {
  EXPECT_EQ(ShellGetDriveIconIndex('1', 1), -2);
  EXPECT_EQ(ShellGetDriveIconIndex(0, 0), -2);
  int c = ShellGetDriveIconIndex('c', 1);
  EXPECT_GE(c, 0);
  EXPECT_EQ(ShellGetDriveIconIndex('C', 1), c);  // cached, either case
  EXPECT_GE(ShellGetDriveIconIndex('C', 0), 0);
  int closed = ShellGetFolderIconIndex(1), open = ShellGetFolderIconIndex(3);
  EXPECT_GE(closed, 0);
  EXPECT_GE(open, 0);

  char sys[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(sys, MAX_PATH), 2u);
  char drive = sys[0];
  if (drive >= 'a' && drive <= 'z') drive = (char)(drive - 'a' + 'A');
  EXPECT_EQ(ShellGetSystemDriveLetter(), drive);
  HIMAGELIST small = ShellGetSystemImageList(0);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(ShellGetSystemImageList(1), small);
  EXPECT_GT(ImageList_GetImageCount(small), closed);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
}

}  // namespace

namespace {

TEST(ShellPath, TrueCaseAndShortNames) {
  std::string dir = orvtest::MakeTempDir("shell");
  std::string mixed = dir + "\\MixedCase";
  ASSERT_TRUE(CreateDirectoryA(mixed.c_str(), nullptr));
  std::string file = mixed + "\\Langer Dateiname.Gpx";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  std::string lower = dir + "\\mixedcase\\LANGER DATEINAME.gpx";
  char out[MAX_PATH];
  int n = PathGetTrueCaseA(out, lower.c_str(), sizeof out);
  ASSERT_GT(n, 0);
  // the test folder's own name is also what the disk holds
  std::string tail = std::string(out).substr(dir.size());
  EXPECT_EQ(tail, "\\MixedCase\\Langer Dateiname.Gpx");
  EXPECT_EQ(lstrcmpiA(out, file.c_str()), 0);
  // a missing component and what follows stay as given
  n = PathGetTrueCaseA(out, (dir + "\\mixedcase\\noSuch\\abc").c_str(), sizeof out);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(out).substr(dir.size()), "\\MixedCase\\noSuch\\abc");
  char tiny[8];
  EXPECT_EQ(PathGetTrueCaseA(tiny, lower.c_str(), sizeof tiny), -1);
  EXPECT_EQ(tiny[0], 0);

  // the short form, and back to the long one
  WCHAR wfile[MAX_PATH], wshort[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wfile, MAX_PATH);
  n = PathGetShortNameW(wshort, wfile, MAX_PATH);
  ASSERT_GT(n, 0);
  EXPECT_EQ(wcschr(wshort, L' '), nullptr);  // no blank in an 8.3 name
  EXPECT_EQ(GetFileAttributesW(wshort) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  char shortA[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, wshort, -1, shortA, MAX_PATH, nullptr, nullptr);
  ASSERT_GT(PathGetTrueCaseA(out, shortA, sizeof out), 0);
  EXPECT_EQ(std::string(out), file);
  const WCHAR* missing = L"C:\\gibt es nicht\\x.gpx";
  EXPECT_EQ(PathGetShortNameW(wshort, missing, MAX_PATH), (int)wcslen(missing));
  EXPECT_EQ(wcscmp(wshort, missing), 0);
  WCHAR w4[4];
  EXPECT_EQ(PathGetShortNameW(w4, missing, 4), -1);
  EXPECT_EQ(w4[0], 0);
}

TEST(ShellPath, DisplayPaths) {
  CDirectoryList list;
  ASSERT_TRUE(list.Refresh(":", DIRLIST_FOLDERS | DIRLIST_NETWORK));
  char out[MAX_PATH];
  int checked = 0;
  for (int i = 0; i < list.GetCount(); ++i) {
    DirEntry* e = list.GetEntry(i);
    const char* extra = (const char*)list.GetEntryExtra(e, nullptr);
    if (!(e->attributes & DIRENT_VIRTUAL) || !extra) continue;
    std::string display = std::string("\\\\") + e->name + "\\Sub\\x.txt";
    ASSERT_GT(DirResolveDisplayPath(display.c_str(), out, sizeof out), 0);
    if (std::string(extra) == "\\\\") {
      EXPECT_STREQ(out, "\\\\Sub\\x.txt");  // the network's name drops out
    } else {
      EXPECT_EQ(std::string(out), std::string(extra) + "\\Sub\\x.txt");
    }
    ++checked;
  }
  EXPECT_GE(checked, 2);
  EXPECT_EQ(DirResolveDisplayPath("\\\\server\\share\\a", out, sizeof out), 16);
  EXPECT_STREQ(out, "\\\\server\\share\\a");
  EXPECT_EQ(DirResolveDisplayPath("C:\\x", out, sizeof out), 4);
  char tiny[4];
  EXPECT_EQ(DirResolveDisplayPath("C:\\xyz", tiny, sizeof tiny), -1);
  EXPECT_EQ(tiny[0], 0);
}

}  // namespace
