#include "text/utf.h"

int UtfDecodeCharA(const char* text, uint32_t* codePoint, int length) {
  if (length == 0) return 0;
  const unsigned char* s = (const unsigned char*)text;
  unsigned c = s[0];
  *codePoint = c;
  if (c < 0x80) return 1;
  int n;
  uint32_t cp, min;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F, min = 0x80;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F, min = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07, min = 0x10000;
  else return 1;
  if (length > 0 && length < n) return 1;
  for (int i = 1; i < n; ++i) {
    // a zero byte is no continuation byte, so a terminated text ends here
    if ((s[i] & 0xC0) != 0x80) return 1;
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 1;
  *codePoint = cp;
  return n;
}

int UtfEncodeCharA(uint32_t cp, char* out, int size) {
  int n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || n > size) return 0;
  if (n == 1) {
    out[0] = (char)cp;
    return 1;
  }
  static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (int i = n - 1; i > 0; --i) {
    out[i] = (char)(0x80 | (cp & 0x3F));
    cp >>= 6;
  }
  out[0] = (char)(kLead[n] | cp);
  return n;
}

int Utf8ToLatin1N(char* dest, const char* src, int size, int srcLength) {
  if (size < 1) return 0;
  int i = 0, o = 0;
  while (o < size - 1) {
    if (srcLength >= 0 ? i >= srcLength : src[i] == 0) break;
    uint32_t cp;
    int n = UtfDecodeCharA(src + i, &cp, srcLength >= 0 ? srcLength - i : -1);
    if (srcLength < 0 && cp == 0) break;
    dest[o++] = cp > 255 ? (char)0xFF : (char)cp;
    i += n;
  }
  dest[o] = 0;
  return o;
}

int UtfLatin1ToWide(WideChar* dest, const char* src, int size, int count) {
  if (size < 1) return 0;
  int o = 0;
  while (o < size - 1 && (count < 0 ? src[o] != 0 : o < count)) {
    dest[o] = (WideChar)(unsigned char)src[o];
    ++o;
  }
  dest[o] = 0;
  return o;
}

int UtfWideToLatin1(char* dest, const WideChar* src, int size, int count) {
  if (size < 1) return 0;
  int o = 0;
  while (o < size - 1 && (count < 0 ? src[o] != 0 : o < count)) {
    unsigned c = (unsigned)src[o];
    dest[o] = c < 256 ? (char)c : (char)0xFF;
    ++o;
  }
  dest[o] = 0;
  return o;
}
