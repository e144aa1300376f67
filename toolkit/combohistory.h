// History lists of combo boxes kept in the registry of the current user.
#pragma once

#include <windows.h>

enum { COMBO_HISTORY_MAX = 16 };  // entries kept
enum { COMBO_HISTORY_ENTRY_MAX = 1024 };  // longer entries are dropped

// Adds the entries of the multi-string value valueName of key (below
// HKEY_CURRENT_USER; a key beginning with "#" is below the application's
// own key) to the combo box's list, most recent first, at most
// COMBO_HISTORY_MAX, empty, over-long and repeated entries left out. A
// missing value or one of another type adds nothing. Returns the entries
// added.
int WndLoadComboHistory(HWND combo, const char* valueName, const char* key);

// Stores the combo box's text followed by its list entries (repeats without
// regard to case dropped, at most COMBO_HISTORY_MAX) as REG_MULTI_SZ and
// gives the list that order, the text unchanged. Nonzero on success.
int WndSaveComboHistory(HWND combo, const char* valueName, const char* key);
