#include "text/strfield.h"

#include <string.h>

#include "text/strclass.h"

namespace {

// Bounded writer: stores at most size - 1 characters, counts the rest.
struct Out {
  char* dest;
  int size;
  int n = 0;
  void Put(char c) {
    if (n < size - 1) dest[n++] = c;
  }
  void End() {
    if (size > 0) dest[n] = 0;
  }
};

inline bool IsSpace(char c) { return (StrCharClass(c) & STRCLS_SPACE) != 0; }

}  // namespace

int StrReadFieldA(const char* text, int* storedLength, char* dest, int size, int textLength,
                  char separator) {
  Out out{dest, size};
  auto more = [&](int i) { return textLength < 0 ? text[i] != 0 : i < textLength; };
  int i = 0;
  if (more(0) && text[0] == '"') {
    i = 1;
    while (more(i)) {
      if (text[i] == '"') {
        if (more(i + 1) && text[i + 1] == '"') {
          out.Put('"');
          i += 2;
          continue;
        }
        ++i;  // the closing quote
        break;
      }
      out.Put(text[i++]);
    }
  }
  while (more(i) && text[i] != separator && text[i] != '\r' && text[i] != '\n')
    out.Put(text[i++]);
  if (more(i) && text[i] == separator) ++i;
  out.End();
  if (storedLength) *storedLength = out.n;
  return i;
}

int StrQuoteFieldA(const char* text, char* dest, int size, unsigned flags, char separator) {
  int len = (int)strlen(text);
  bool quote = len > 0 && (IsSpace(text[0]) || IsSpace(text[len - 1]));
  for (int i = 0; i < len && !quote; ++i) {
    char c = text[i];
    quote = c == separator || c == '"' || c == '\t' || c == '\r' || c == '\n';
  }
  int frame = quote ? 3 : 1;  // quotes and separator around the content
  if (size < frame + 1) {
    if (size > 0) dest[0] = 0;
    return -1;
  }
  int room = size - 1 - frame;
  int n = 0;
  if (quote) dest[n++] = '"';
  for (int i = 0; i < len; ++i) {
    int need = (quote && text[i] == '"') ? 2 : 1;
    if (room < need) break;
    room -= need;
    dest[n++] = text[i];
    if (need == 2) dest[n++] = '"';
  }
  if (quote) dest[n++] = '"';
  dest[n++] = separator;
  dest[n] = 0;
  return n;
}

int StrNextTokenA(char* dest, const char* src, int size, char escape, char quote, int srcLength) {
  Out out{dest, size};
  auto more = [&](int i) { return srcLength < 0 ? src[i] != 0 : i < srcLength; };
  int i = 0;
  while (more(i) && IsSpace(src[i])) ++i;
  if (quote && more(i) && src[i] == quote) {
    ++i;
    while (more(i) && src[i] != quote) {
      if (escape && src[i] == escape && more(i + 1)) ++i;
      out.Put(src[i++]);
    }
    if (more(i)) ++i;  // the closing quote
  } else {
    while (more(i)) {
      unsigned char c = (unsigned char)src[i];
      if (c < 0x20 || c == 0x7F || c == ' ' || c == ',' || c == ';') break;
      out.Put(src[i++]);
    }
  }
  out.End();
  return i;
}
