#include "text/strfind.h"

#include <string.h>

namespace {

inline unsigned char FoldAscii(char c) {
  unsigned char u = (unsigned char)c;
  return (u >= 'A' && u <= 'Z') ? (unsigned char)(u + 32) : u;
}

// Scans without measuring the text first, so that repeated searches from
// moving positions in a large buffer stay linear in what they pass. A
// bounded search (n >= 0) never reads beyond n characters.
int Find(const char* text, int n, const char* pattern, bool noCase) {
  int plen = (int)strlen(pattern);
  if (plen == 0) return 0;
  // the first character in both cases, for the library's fast span search
  char first[3] = {pattern[0], 0, 0};
  if (noCase) {
    unsigned char f = FoldAscii(pattern[0]);
    first[0] = (char)f;
    if (f >= 'a' && f <= 'z') first[1] = (char)(f - 32);
  }
  for (int i = 0;; ++i) {
    if (n < 0) {
      i += (int)strcspn(text + i, first);
    } else if (noCase) {
      while (i < n && text[i] && FoldAscii(text[i]) != (unsigned char)first[0]) ++i;
    } else {
      while (i < n && text[i] && text[i] != first[0]) ++i;
    }
    if ((n >= 0 && i + plen > n) || !text[i]) return -1;
    // the terminator never equals a pattern character, so k stops there
    int k = 1;
    if (noCase) {
      while (k < plen && FoldAscii(text[i + k]) == FoldAscii(pattern[k])) ++k;
    } else {
      while (k < plen && text[i + k] == pattern[k]) ++k;
    }
    if (k == plen) return i;
  }
}

}  // namespace

int StrSpanToCharA(const char* text, int ch) {
  int i = 0;
  while (text[i] && text[i] != (char)ch) ++i;
  return i;
}

int StrSpanPastCharA(const char* text, int ch) {
  return StrSpanPastCharNA(text, ch, -1);
}

int StrSpanPastCharNA(const char* text, int ch, int n) {
  int i = 0;
  while ((n < 0 || i < n) && text[i]) {
    if (text[i] == (char)ch) return i + 1;
    ++i;
  }
  return i;
}

int StrFindNA(const char* text, const char* pattern, int n) {
  return Find(text, n, pattern, false);
}

int StrFindNoCaseA(const char* text, const char* pattern) {
  return Find(text, -1, pattern, true);
}

int StrFindNoCaseNA(const char* text, const char* pattern, int n) {
  return Find(text, n, pattern, true);
}
