// The program's file dialogs open in the folder last used for their kind of
// file: the imports of GetOpenFileNameA and GetSaveFileNameA are pointed at
// wrappers that remember the folder per default extension below
// HKCU\Software\Vexa\Common\OfnFolders.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#define OFN_FOLDERS_KEY "Software\\Vexa\\Common\\OfnFolders"

// Repoints the module's imports (0: the program) to the wrappers; calling
// it again changes nothing. Returns the number of imports now pointing to
// the wrappers.
int DlgInstallOfnHook(HMODULE module);

// The extension whose folder a dialog remembers: the default extension
// without "*." or ".", else the first filter pattern's; lower case; empty
// when there is none or it is a wildcard.
std::string OfnFolderKind(const OPENFILENAMEA* ofn);

// Runs a dialog function with the folder memory around it: the remembered
// folder of the dialog's kind as its first folder (unless the caller gave
// one), the chosen file's folder remembered after OK.
BOOL OfnRunWithFolders(OPENFILENAMEA* ofn, BOOL(WINAPI* dialog)(OPENFILENAMEA*));

// The wrappers themselves (also callable directly).
BOOL WINAPI OfnGetOpenFileName(OPENFILENAMEA* ofn);
BOOL WINAPI OfnGetSaveFileName(OPENFILENAMEA* ofn);
