#include "text/strcopy.h"

#include <string.h>

#include "text/strclass.h"

int StrCopyA(char* dest, const char* src, int size) {
  return StrCopyNA(dest, src, size, -1);
}

int StrCopyNA(char* dest, const char* src, int size, int n) {
  if (size < 1) return 0;
  int limit = size - 1;
  if (n >= 0 && n < limit) limit = n;
  int i = 0;
  while (i < limit && src[i]) {
    dest[i] = src[i];
    ++i;
  }
  dest[i] = 0;
  return i;
}

int StrAppendA(char* dest, const char* src, int size) {
  if (size < 1) return -1;
  const void* end = memchr(dest, 0, (size_t)size);
  if (!end) return -1;
  int len = (int)((const char*)end - dest);
  return len + StrCopyA(dest + len, src, size - len);
}

int StrTrimCopyA(char* dest, const char* src, int size) {
  if (size < 1) return 0;
  int start = StrSpanClassA(src, STRCLS_SPACE);
  int len = (int)strlen(src + start);
  while (len > 0 && (StrCharClass(src[start + len - 1]) & STRCLS_SPACE)) --len;
  if (len > size - 1) len = size - 1;
  memmove(dest, src + start, (size_t)len);
  dest[len] = 0;
  return len;
}

int StrReplaceCharA(char* text, char from, char to) {
  int n = 0;
  if (!from) return 0;
  for (; *text; ++text) {
    if (*text == from) {
      *text = to;
      ++n;
    }
  }
  return n;
}
