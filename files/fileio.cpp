// Thin file layer: the part common to Windows and POSIX.
#include "files/fileio.h"

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
