// Thin file layer: the part common to Windows and POSIX.
#include "files/fileio.h"

#include <stdio.h>
#include <string.h>

#include "text/cstring.h"

int FioMatchWild(const char* pattern, int patternLength, const char* name) {
  if (!pattern || !name) return 0;
  if (patternLength < 0) patternLength = (int)strlen(pattern);
  const char* p = pattern;
  const char* pend = pattern + patternLength;
  const char* n = name;
  const char* starP = nullptr;  // position after the last "*"
  const char* starN = nullptr;  // name position that "*" reaches so far
  while (*n) {
    if (p < pend && *p == '*') {
      starP = ++p;
      starN = n;
      continue;
    }
    if (p < pend && (*p == '?' || CString::ToUpper1252((unsigned char)*p) ==
                                      CString::ToUpper1252((unsigned char)*n))) {
      ++p;
      ++n;
      continue;
    }
    if (!starP) return 0;
    p = starP;
    n = ++starN;
  }
  while (p < pend && *p == '*') ++p;
  // "*.*" also takes names without a dot, as Windows does
  if (pend - p == 2 && p[0] == '.' && p[1] == '*') p = pend;
  return p == pend ? 1 : 0;
}

int FioReplaceAside(const char* from, const char* to) {
  if (!from || !to || !*to) return 0;
  // a folder is never moved aside for a file
  FioInfo info;
  if (FioStat(to, &info) == 0 && (info.attributes & FIO_ATTR_DIRECTORY)) return 0;
  char folder[1024];
  if (FioFullPath(folder, sizeof folder, to) < 0) return 0;
  char* cut = folder;
  for (char* q = folder; *q; q++)
    if (*q == '/' || *q == '\\') cut = q + 1;
  *cut = 0;
  char aside[1040];
  bool moved = FioRenameAside(to, aside, sizeof aside, folder, "AF_") != 0;
  if (!FioReplace(from, to)) {
    if (moved) FioReplace(aside, to);
    return 0;
  }
  if (moved) FioDelete(aside);
  return 1;
}
