// System icons of drives and folders, and the system drive.
#pragma once

#include <windows.h>
#include <commctrl.h>

// System icon index of a drive's root ("A" to "Z", either case), small or
// large; kept for 3000 ms. -2 for a bad letter, -1 when unknown.
int ShellGetDriveIconIndex(int letter, int small);

// System icon index of a plain folder; flags are SHGFI_* bits (1 small,
// 2 open: 1 closed, 3 open small). -1 when unknown.
int ShellGetFolderIconIndex(unsigned flags);

// The letter of the system directory's drive, else the first existing drive
// from C:, else 'C'.
char ShellGetSystemDriveLetter();

// The system image list. The small icons serve both requests: large is
// accepted and ignored, so item heights match the small icon indexes.
HIMAGELIST ShellGetSystemImageList(int large);
