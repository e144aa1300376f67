// Texts of the toolkit's message elements: the program's string resource of
// the id when it has one, else the built-in German text.
#pragma once

#include <windows.h>

#include "text/cstring.h"

enum : UINT {
  DLGMSG_DELETE_ROW = 1290,  // "Zeile löschen"
  DLGMSG_COPY_FIELD = 1291,  // "Feld kopieren"
  DLGMSG_SELECT_ALL = 1294,  // "&Alles auswählen"
  DLGMSG_SELECT_NONE = 1295,  // "&Alles abwählen"
};

// module 0: the program. source (may be null) gets 1 when the text came from
// the string resource, 0 built in, -1 unknown id (empty text).
CString DlgGetMessageText(HMODULE module, UINT id, int* source = nullptr);
