#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "files/fileops.h"
#include "text/datetime.h"
#include "text/htmlentity.h"
#include "text/number.h"
#include "text/strcopy.h"
#include "text/utf.h"
#include "tracks/trackcore.h"

void TrackFreePoints(TrackPoint* points) { free(points); }

int TrackLoadFile(const char* path, int pad, char** text, int* length) {
  *text = nullptr;
  *length = 0;
  if (!path || !*path) return TRACK_ERR_OPEN;
  int64_t size = FileGetSizeA(path);
  if (size < 1) return TRACK_ERR_OPEN;
  if (size > TRACK_MAX_FILE) return TRACK_ERR_MEMORY;
  FILE* f = fopen(path, "rb");
  if (!f) return TRACK_ERR_OPEN;
  char* buffer = (char*)malloc((size_t)size + (size_t)pad);
  if (!buffer) {
    fclose(f);
    return TRACK_ERR_MEMORY;
  }
  size_t got = fread(buffer, 1, (size_t)size, f);
  fclose(f);
  // the size may have changed since it was taken: only what was read counts
  if (got == 0) {
    free(buffer);
    return TRACK_ERR_OPEN;
  }
  memset(buffer + got, 0, (size_t)pad);
  *text = buffer;
  *length = (int)got;
  return 0;
}

int TrackAllocPoints(int64_t count, TrackPoint** out) {
  *out = nullptr;
  if (count < 0 || (uint64_t)count > (SIZE_MAX / sizeof(TrackPoint)) - 1 ||
      (uint64_t)count > INT32_MAX)
    return TRACK_ERR_MEMORY;
  size_t n = count > 0 ? (size_t)count : 1;
  *out = (TrackPoint*)calloc(n, sizeof(TrackPoint));
  return *out ? 0 : TRACK_ERR_MEMORY;
}

int TrackBomLength(const char* text, int length) {
  return length >= 3 && (unsigned char)text[0] == 0xEF && (unsigned char)text[1] == 0xBB &&
                 (unsigned char)text[2] == 0xBF
             ? 3
             : 0;
}

static inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c; }

const char* TrackFind(const char* from, const char* end, const char* pattern) {
  size_t n = strlen(pattern);
  if (n == 0) return from;
  if (from >= end || (size_t)(end - from) < n) return nullptr;
  const char first = Lower(pattern[0]);
  const char firstUp = first >= 'a' && first <= 'z' ? (char)(first - 32) : first;
  const char* last = end - n;
  for (const char* p = from; p <= last; ++p) {
    // memchr finds the first character fast in the usual case, where it is
    // one of the rare "<"
    if (first == firstUp) {
      p = (const char*)memchr(p, first, (size_t)(last - p) + 1);
      if (!p) return nullptr;
    } else if (*p != first && *p != firstUp) {
      continue;
    }
    size_t i = 1;
    while (i < n && Lower(p[i]) == Lower(pattern[i])) ++i;
    if (i == n) return p;
  }
  return nullptr;
}

int TrackReadNumber(const char* text, double* value) {
  if (!value) {
    // measuring only: the syntax of the conversion below
    int skip = 0;
    while (TrackIsSpace(text[skip])) ++skip;
    const char* t = text + skip;
    int n = NumMeasureFloatA(t);
    return n > 0 ? skip + n : 0;
  }
  int n = 0;
  double v = NumParseDoubleA(text, &n, NUMF_SIGN | NUMF_EXPONENT | NUMF_FLOATTOKEN);
  if (n == 0) return 0;
  *value = v;
  return n;
}

void TrackSetName(char* name, const char* src, int n) {
  if (!name) return;
  char raw[TRACK_NAME_SIZE];
  while (n > 0 && TrackIsSpace(*src)) ++src, --n;
  if (n > TRACK_NAME_SIZE - 1) n = TRACK_NAME_SIZE - 1;
  if (n < 0) n = 0;
  memcpy(raw, src, (size_t)n);
  raw[n] = 0;
  StrTrimCopyA(name, raw, TRACK_NAME_SIZE);
}

unsigned char TrackTo1252(uint32_t cp) {
  // bytes below 0x100 stay as they are, the unused codes of 0x80..0x9F too
  return cp < 0x100 ? (unsigned char)cp : TextUnicodeTo1252(cp, 0xFF);
}

void TrackWideTo1252(char* dest, const WideChar* src, int size) {
  int n = 0;
  for (; src && *src && n < size - 1; ++src) {
    uint32_t cp = *src;
    // a surrogate pair is one character the code page lacks
    if (cp >= 0xD800 && cp < 0xDC00 && src[1] >= 0xDC00 && src[1] < 0xE000) ++src;
    dest[n++] = (char)TrackTo1252(cp);
  }
  dest[n] = 0;
}

void Track1252ToWide(WideChar* dest, const char* src, int size) {
  int n = 0;
  for (; *src && n < size - 1; ++src) dest[n++] = (WideChar)Text1252ToUnicode((unsigned char)*src);
  dest[n] = 0;
}

namespace {

// A character reference at p ("&amp;", "&#252;", "&#x2013;"); the bytes it
// takes, 0 when there is none.
int TakeReference(const char* p, const char* stop, uint32_t* cp) {
  if (stop - p >= 6 && memcmp(p, "&apos;", 6) == 0) {
    *cp = '\'';
    return 6;
  }
  WideChar wide[16];
  int n = 0;
  while (n < 16 && p + n < stop && (unsigned char)p[n] < 0x80) wide[n] = (WideChar)p[n], ++n;
  return HtmlEntityDecode(wide, n, cp);
}

}  // namespace

void TrackTakeXmlName(const char* p, const char* end, char* name) {
  if (!name) return;
  name[0] = 0;
  while (p < end && TrackIsSpace(*p)) ++p;
  const char* stop;
  bool cdata = end - p >= 9 && memcmp(p, "<![CDATA[", 9) == 0;
  if (cdata) {
    p += 9;
    const char* limit = end - p > 100 ? p + 100 : end;
    stop = TrackFind(p, end - p > 103 ? p + 103 : end, "]]>");
    if (!stop || stop > limit) stop = limit;
  } else {
    // 127 characters, even as references, fit into far fewer bytes
    const char* limit = end - p > 2048 ? p + 2048 : end;
    stop = (const char*)memchr(p, '<', (size_t)(limit - p));
    if (!stop) stop = limit;
  }
  char latin[TRACK_NAME_SIZE * 2];
  int n = 0;
  while (p < stop && n < (int)sizeof latin - 1) {
    uint32_t cp = 0;
    int used = *p == '&' && !cdata ? TakeReference(p, stop, &cp) : 0;
    // bytes that are no UTF-8 stay as they are (a file in Windows-1252)
    if (used == 0) used = UtfDecodeCharA(p, &cp, (int)(stop - p));
    p += used;
    latin[n++] = (char)TrackTo1252(cp);
  }
  TrackSetName(name, latin, n);
}

double TrackParseTime(const char* text) {
  int64_t s = DateParseTimeA(text, DATEP_UTC | DATEP_ZONE | DATEP_TIME, nullptr);
  return s > 0 ? TrackTimeFromSeconds(s) : 0.0;
}
