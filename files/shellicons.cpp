// System icons through SHGetFileInfoA, drive icons kept for a while.
#include "files/shellicons.h"

#include <shellapi.h>

namespace {

struct DriveIcon {
  int icon;
  DWORD tick;
  bool valid;
};
DriveIcon g_driveIcons[26][2];
SRWLOCK g_driveLock = SRWLOCK_INIT;
const DWORD kDriveIconTtl = 3000;

}  // namespace

int ShellGetDriveIconIndex(int letter, int small) {
  if (letter >= 'a' && letter <= 'z') letter -= 'a' - 'A';
  if (letter < 'A' || letter > 'Z') return -2;
  int slot = small ? 1 : 0;
  DWORD now = GetTickCount();
  AcquireSRWLockShared(&g_driveLock);
  DriveIcon c = g_driveIcons[letter - 'A'][slot];
  ReleaseSRWLockShared(&g_driveLock);
  if (c.valid && now - c.tick < kDriveIconTtl) return c.icon;

  char root[4] = {(char)letter, ':', '\\', 0};
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  int icon = SHGetFileInfoA(root, 0, &sfi, sizeof sfi, flags) ? sfi.iIcon : -1;
  AcquireSRWLockExclusive(&g_driveLock);
  g_driveIcons[letter - 'A'][slot] = DriveIcon{icon, now, true};
  ReleaseSRWLockExclusive(&g_driveLock);
  return icon;
}

int ShellGetFolderIconIndex(unsigned flags) {
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  UINT f = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (flags & (SHGFI_SMALLICON | SHGFI_OPENICON));
  if (!SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof sfi, f)) return -1;
  return sfi.iIcon;
}

char ShellGetSystemDriveLetter() {
  char dir[MAX_PATH + 1];
  UINT n = GetSystemDirectoryA(dir, sizeof dir);
  if (n >= 2 && n < sizeof dir && dir[1] == ':') {
    char c = dir[0];
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    if (c >= 'A' && c <= 'Z') return c;
  }
  DWORD mask = GetLogicalDrives();
  for (int i = 2; i < 26; ++i)
    if (mask & (1u << i)) return (char)('A' + i);
  return 'C';
}

HIMAGELIST ShellGetSystemImageList(int large) {
  SHFILEINFOA sfi;
  ZeroMemory(&sfi, sizeof sfi);
  return (HIMAGELIST)SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof sfi,
                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
}
