#include "text/strclass.h"

namespace {

constexpr bool IsAccentUpper(unsigned c) {
  return (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A || c == 0x8C || c == 0x8E ||
         c == 0x9F;
}
constexpr bool IsAccentLower(unsigned c) {
  return (c >= 0xDF && c != 0xF7) || c == 0x9A || c == 0x9C || c == 0x9E;
}

constexpr uint32_t ClassOf(unsigned c) {
  uint32_t k = 0;
  if (c >= '0' && c <= '9') k |= STRCLS_DIGIT | STRCLS_XDIGIT;
  if (c >= 'A' && c <= 'Z') k |= STRCLS_UPPER;
  if (c >= 'a' && c <= 'z') k |= STRCLS_LOWER;
  if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) k |= STRCLS_XDIGIT;
  if (c >= 0x80) k |= STRCLS_HIGH;
  if (IsAccentUpper(c)) k |= STRCLS_ACCENTUPPER;
  if (IsAccentLower(c)) k |= STRCLS_ACCENTLOWER;
  switch (c) {
    case 0: k |= STRCLS_END; break;
    case '_': k |= STRCLS_UNDERSCORE; break;
    case '\t': k |= STRCLS_TAB; break;
    case '\r': case '\n': k |= STRCLS_LINEBREAK; break;
    case ' ': k |= STRCLS_BLANK; break;
    case '"': k |= STRCLS_QUOTE; break;
    case '.': k |= STRCLS_DOT; break;
    case ',': k |= STRCLS_COMMA; break;
    case '\\': k |= STRCLS_BACKSLASH; break;
    case '/': k |= STRCLS_SLASH; break;
    case ':': k |= STRCLS_COLON; break;
    case '-': k |= STRCLS_MINUS; break;
    case '+': k |= STRCLS_PLUS; break;
    default: break;
  }
  return k;
}

struct Table {
  uint32_t v[256];
  constexpr Table() : v() {
    for (unsigned c = 0; c < 256; ++c) v[c] = ClassOf(c);
  }
};
constexpr Table kTable;

}  // namespace

const uint32_t StrCharClassTable[256] = {
#define R(i) kTable.v[i], kTable.v[i + 1], kTable.v[i + 2], kTable.v[i + 3], \
             kTable.v[i + 4], kTable.v[i + 5], kTable.v[i + 6], kTable.v[i + 7]
#define R64(i) R(i), R(i + 8), R(i + 16), R(i + 24), R(i + 32), R(i + 40), R(i + 48), R(i + 56)
    R64(0), R64(64), R64(128), R64(192)
#undef R64
#undef R
};

int StrSpanClassA(const char* text, uint32_t mask) {
  int n = 0;
  while (text[n] && (StrCharClass(text[n]) & mask)) ++n;
  return n;
}

int StrSpanClassNA(const char* text, uint32_t mask, int count) {
  int n = 0;
  while (n < count && text[n] && (StrCharClass(text[n]) & mask)) ++n;
  return n;
}

int StrSpanClassW(const WideChar* text, uint32_t mask) {
  int n = 0;
  for (; text[n]; ++n) {
    unsigned c = (unsigned)text[n];
    uint32_t k = c < 256 ? StrCharClassTable[c] : (uint32_t)STRCLS_HIGH;
    if (!(k & mask)) break;
  }
  return n;
}

int StrCSpanClassA(const char* text, uint32_t mask) {
  int n = 0;
  while (text[n] && !(StrCharClass(text[n]) & mask)) ++n;
  return n;
}

int StrCSpanClassNA(const char* text, uint32_t mask, int count) {
  int n = 0;
  while (n < count && text[n] && !(StrCharClass(text[n]) & mask)) ++n;
  return n;
}
