#include "text/strcompare.h"

#include <string.h>

#include "text/casefold.h"
#include "text/strclass.h"

namespace {

inline unsigned char Upper1252(unsigned char c) { return CaseUpper1252(c); }
inline unsigned char Lower1252(unsigned char c) { return CaseLower1252(c); }

// Accented letter to its base letter, upper case; other codes unchanged.
unsigned char BaseLetterUpper(unsigned char c) {
  static const char kFold[65] =
      "AAAAAAACEEEEIIIIDNOOOOO\xD7OUUUUY\xDESAAAAAAACEEEEIIIIDNOOOOO\xF7OUUUUY\xDEY";
  c = Upper1252(c);
  if (c >= 0xC0) return (unsigned char)kFold[c - 0xC0];
  switch (c) {
    case 0x8A: return 'S';
    case 0x8C: return 'O';
    case 0x8E: return 'Z';
    case 0x9F: return 'Y';
    default: return c;
  }
}

// Sort key of one non-digit character: "." below everything else.
unsigned NaturalKey(unsigned char c) {
  if (c == '.') return 1;
  return BaseLetterUpper(c) + 1u;
}


int CompareNatural(const unsigned char* a, const unsigned char* b) {
  for (;;) {
    if (StrIsDigit(*a) && StrIsDigit(*b)) {
      while (*a == '0') ++a;
      while (*b == '0') ++b;
      size_t la = 0, lb = 0;
      while (StrIsDigit(a[la])) ++la;
      while (StrIsDigit(b[lb])) ++lb;
      if (la != lb) return la < lb ? -1 : 1;
      int d = memcmp(a, b, la);
      if (d) return d < 0 ? -1 : 1;
      a += la;
      b += lb;
      continue;
    }
    unsigned ka = *a ? NaturalKey(*a) : 0, kb = *b ? NaturalKey(*b) : 0;
    if (ka != kb) return ka < kb ? -1 : 1;
    if (!*a) return 0;
    ++a;
    ++b;
  }
}

}  // namespace

int StrCompareNaturalNoCaseA(const char* a, const char* b) {
  const unsigned char* pa = (const unsigned char*)a;
  const unsigned char* pb = (const unsigned char*)b;
  int r = CompareNatural(pa, pb);
  if (r) return r;
  // equal by value and base letters: keep a total order (leading zeros,
  // accents) so that sorting stays deterministic
  for (;; ++pa, ++pb) {
    unsigned char ca = Upper1252(*pa), cb = Upper1252(*pb);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

int StrComparePathNoCaseNA(const char* a, const char* b, int length) {
  for (int i = 0; i < length; ++i) {
    unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
    if (ca >= 'A' && ca <= 'Z') ca = (unsigned char)(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = (unsigned char)(cb + 32);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
  return 0;
}

int StrConvertCaseA(char* dest, const char* src, int size, unsigned mode) {
  if (size < 1) return 0;
  const bool accents = (mode & STRCASE_ACCENTS) != 0;
  const uint32_t upperMask = STRCLS_UPPER | (accents ? (uint32_t)STRCLS_ACCENTUPPER : 0u);
  const uint32_t lowerMask = STRCLS_LOWER | (accents ? (uint32_t)STRCLS_ACCENTLOWER : 0u);
  const uint32_t wordMask = STRCLS_DIGIT | upperMask | lowerMask;
  bool convert = (mode & (STRCASE_UPPER | STRCASE_LOWER | STRCASE_WORDS)) != 0;
  if (convert && (mode & STRCASE_IFALLUPPER)) {
    int firstLower = StrCSpanClassA(src, lowerMask);
    if (src[firstLower]) convert = false;
  }
  int len = (int)strlen(src);
  if (len > size - 1) len = size - 1;
  bool wordStart = true;
  for (int i = 0; i < len; ++i) {
    unsigned char c = (unsigned char)src[i];
    uint32_t k = StrCharClassTable[c];
    if (convert && (k & (upperMask | lowerMask))) {
      bool up = (mode & STRCASE_UPPER) || ((mode & STRCASE_WORDS) && wordStart);
      if (up) {
        c = Upper1252(c);
      } else {
        c = Lower1252(c);
      }
    }
    wordStart = (k & wordMask) == 0;
    dest[i] = (char)c;
  }
  dest[len] = 0;
  return len;
}
