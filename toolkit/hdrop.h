// A path handed to other programs as a dropped file (CF_HDROP): on the
// clipboard and by OLE drag and drop.
#pragma once

#include <windows.h>

#include <string>

// A movable global block of a DROPFILES record followed by the 8-bit path,
// sized from the path, ending in two zeros. 0 for an empty path or no memory.
HGLOBAL HDropCreate(const char* path);

// The path as CF_HDROP on the clipboard (opened for owner). Nonzero on success.
int HDropToClipboard(HWND owner, const char* path);

// The first path of a drop made on a window (WM_DROPFILES); the drop is
// finished either way. False when it holds none or one too long to read.
bool HDropFirstPath(HDROP drop, std::string* path);

// Initialises OLE on the calling (user-interface) thread once per process.
void HDropOleInitOnce();

// Drags the path out (copy, move and link offered); the effect chosen, or
// DROPEFFECT_NONE when the drag was cancelled or could not start.
DWORD HDropDoDragDrop(const char* path);
