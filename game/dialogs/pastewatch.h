// Tells a pasted text from one typed key by key: an edit's EN_CHANGE of a
// paste comes while its WM_PASTE (Ctrl+V, Shift+Insert, the context menu)
// runs.
#pragma once

#include <windows.h>

// Chains a subclass on the edit that marks it while a paste changes it.
bool PasteWatchInstall(HWND edit);
// Whether the edit's text is being changed by a paste right now.
bool PasteWatchIsPasting(HWND edit);
