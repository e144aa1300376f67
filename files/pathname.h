// Path names as text: parts, joining, extensions, comparing.
//
// "\" and "/" both count as separators everywhere; a separator that these
// functions add is the platform's own (FIO_SEP: "\" under Windows). Functions
// that write into a caller's buffer take its size in characters (terminator
// included) and never write past it. Lengths of -1 mean "up to the zero".
#pragma once

#include "files/fileio.h"
#include "text/cstring.h"
#include "text/textdefs.h"

// Appends a separator unless path is empty or already ends in one.
// Returns the new length, or -1 (path unchanged) when it does not fit.
int PathAddSeparatorA(char* path, int size);
void PathAddSeparator(CString& path);

// Drops one trailing separator, but keeps a root ("\", "C:\").
void PathRemoveSeparator(CString& path);

// Removes the last component and the separator before it, keeping a root:
// "C:\a\b.txt" -> "C:\a", "C:\a" -> "C:\", "name" -> "". A trailing
// separator is dropped first.
void PathStripName(CString& path);

// dir and name joined by one separator ("name" alone for an empty dir).
CString PathJoin(const char* dir, const char* name);

// Pointer to the file-name part of path: behind the last "\", "/" or ":".
// nameLength (may be null) receives its length.
const char* PathFindNameA(int length, const char* path, int* nameLength);
const WideChar* PathFindNameW(int length, const WideChar* path, int* nameLength);

// The extension without its dot into ext ("" when none); returns its length.
int PathGetExt(CString& ext, const char* path);

// The file name without folder and extension; returns its length (cut to
// size - 1, always terminated).
int PathGetTitleA(char* dest, int length, const char* path, int size);
int PathGetTitleW(WideChar* dest, int length, const WideChar* path, int size);

// Copies the path with its extension replaced by ext (appended when it has
// none). ext may be "*.png", ".png" or "png"; an empty ext removes the
// extension. dest may be src. Returns the length, or -1 (dest "") when the
// result does not fit.
int PathReplaceExtA(int length, char* dest, const char* src, const char* ext, int size);

// 1-based position of the path's extension in a ";"-separated list
// (letter case ignored); 0 when the path has no extension or it is absent.
int PathFindExtInListA(const char* path, const char* list, int listLength);

// Turns every separator into ch when ch is "/", else into "\"; returns the
// length.
int PathSetSeparatorsA(char* path, int ch);

// Path comparisons: <0, 0 (equal) or >0. Separators count alike, letters are
// compared without regard to case (Windows-1252).
int PathCompareNoCaseA(const char* a, const char* b);
int PathCompareNA(const char* a, int lengthA, const char* b, int lengthB);

// flags: 1 and 2 make a and b full paths first, 4 ignores letter case.
enum : unsigned {
  PATHCMP_FULL_A = 1,
  PATHCMP_FULL_B = 2,
  PATHCMP_NOCASE = 4,
};
int PathCompareExA(const char* a, const char* b, unsigned flags);

// The running program's folder, without a trailing separator.
void PathGetModuleDir(CString& dir);

// 0 missing, 1 file, 2 directory, 3 drive root ("C:", "C:\"; the letter
// checked against the existing drives).
int PathGetKindA(const char* path);
