// Paths as the system stores and shows them: letter case, short names and
// the display paths of the shell.
#pragma once

#include "text/textdefs.h"

// The path with each existing component in the letter case stored on disk
// (short 8.3 names become long names); components that do not exist stay as
// given. Returns the length, or -1 (dest "") when it does not fit into size.
int PathGetTrueCaseA(char* dest, const char* path, int size);

// The path in its short (8.3) form; a path without one (or missing) is
// copied as it is. Returns the length, or -1 (dest empty) when it does not
// fit into size characters.
int PathGetShortNameW(WideChar* dest, const WideChar* path, int size);

// Turns a display path that begins with two separators into a file-system
// path: "\\<special folder's display name>\rest" becomes the folder's path
// followed by rest, "\\<network neighbourhood's name>\server\share" becomes
// "\\server\share"; anything else is copied unchanged. Returns the length,
// or -1 (dest "") when it does not fit.
int DirResolveDisplayPath(const char* path, char* dest, int size);
