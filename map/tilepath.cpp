#include "map/tilepath.h"

#include <stdio.h>
#include <string.h>

#include "files/pathsafe.h"
#include "text/number.h"
#include "text/strclass.h"

namespace {

int NoCaseCmpN(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; i++) {
    int x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y || !x) return x - y;
  }
  return 0;
}

bool Put(char* dst, size_t size, size_t* pos, const char* s, size_t n) {
  if (*pos + n >= size) return false;
  memcpy(dst + *pos, s, n);
  *pos += n;
  dst[*pos] = 0;
  return true;
}

// Appends text to dst as safe path components ("/" separates them).
bool PutSafe(char* dst, size_t size, size_t* pos, const char* text) {
  const char* p = text;
  while (*p) {
    if (*p == '/' || *p == '\\') {
      p++;
      continue;
    }
    const char* start = p;
    while (*p && *p != '/' && *p != '\\') p++;
    size_t n = (size_t)(p - start);
    char comp[300];
    if (n > 255) return false;  // no file system takes a longer name
    // (trailing dots and blanks become "_": "a." must not alias "a")
    int k = PathSafeComponent(start, n, comp, sizeof comp, PSC_AMPERSAND | PSC_KEEP_TRAILING);
    if (k <= 0) return false;
    if (!Put(dst, size, pos, "/", 1)) return false;
    if (!Put(dst, size, pos, comp, (size_t)k)) return false;
  }
  return true;
}

}  // namespace

int TileSplitPath(const char* path, char* folder, size_t folderSize, char* suffix, size_t suffixSize) {
  if (!folder || folderSize < 1 || !suffix || suffixSize < 1) return 0;
  folder[0] = suffix[0] = 0;
  if (!path) path = "";
  if (*path == '/') path++;
  size_t len = strlen(path);
  const char* lastSlash = strrchr(path, '/');
  size_t folderLen = len;
  char suf[300] = ".png";
  if (lastSlash && (lastSlash[1] == '*' || lastSlash[1] == '?')) {
    folderLen = (size_t)(lastSlash - path);
    if (lastSlash[1] == '*') {
      if (strlen(lastSlash + 2) >= sizeof suf) return 0;
      strcpy(suf, lastSlash + 2);
    } else {
      if (strlen(lastSlash + 1) + 4 >= sizeof suf) return 0;
      strcpy(suf + 4, lastSlash + 1);
    }
  }
  if (folderLen > 0 && folderLen + 1 >= folderSize) return 0;
  if (strlen(suf) >= suffixSize) return 0;
  if (folderLen > 0) {
    folder[0] = '/';
    memcpy(folder + 1, path, folderLen);
    folder[folderLen + 1] = 0;
  }
  strcpy(suffix, suf);
  return 1;
}

int TileParseOptions(const char* text, uint32_t words[kTileMaxOptions]) {
  int count = 0;
  if (!text) return 0;
  const char* p = text + StrSpanClassA(text, STRCLS_SPACE);
  auto keyword = [&p](const char* kw) {
    size_t n = strlen(kw);
    if (NoCaseCmpN(p, kw, n) != 0) return false;
    char c = p[n];
    if (c != 0 && c != '\t' && c != ' ' && c != '\r' && c != '\n') return false;
    p += n;
    return true;
  };
  for (int pass = 0; pass < 2; pass++) {
    const char* kw = pass == 0 ? "TRANS" : "GRAY";
    if (count == 0 || (pass == 1 && count == 2 && words[0] == kTileOptTrans)) {
      if (keyword(kw)) {
        int used = 0;
        int32_t n = NumParseIntA(p, 0, &used);
        p += used;
        words[count++] = pass == 0 ? kTileOptTrans : kTileOptGray;
        words[count++] = (uint32_t)n;
        p += StrSpanClassA(p, STRCLS_SPACE);
      }
    }
  }
  while (count < kTileMaxOptions) {
    p += StrSpanClassA(p, STRCLS_SPACE | STRCLS_COMMA);
    if (!*p) break;
    int used = 0;
    int32_t n = NumParseIntA(p, 0, &used);
    if (used == 0) break;
    words[count++] = (uint32_t)n;
    p += used;
  }
  return count;
}

void TileExtension(const char* suffix, char* ext, size_t size) {
  if (!ext || size < 1) return;
  const char* dot = suffix ? strchr(suffix, '.') : nullptr;
  size_t n = 0;
  if (dot) {
    const char* s = dot + 1;
    while (n < 16 && n + 1 < size && StrSpanClassNA(s + n, STRCLS_ALNUM, 1) == 1 &&
           (unsigned char)s[n] < 0x80)
      n++;
    memcpy(ext, s, n);
  }
  ext[n] = 0;
  if (n == 0) snprintf(ext, size, "png");
}

int TileMakeUrl(char* dst, size_t size, int iface, const char* folder, unsigned zoom, unsigned col,
                unsigned row, const char* suffix) {
  if (!dst || size < 1) return -1;
  if (!folder) folder = "";
  if (!suffix) suffix = "";
  int n;
  switch (iface) {
    case 1: n = snprintf(dst, size, "%s/%u/%u/%u%s", folder, zoom, row, col, suffix); break;
    case 2: n = snprintf(dst, size, "%s&x=%i&y=%i&z=%i", folder, (int)col, (int)row, (int)zoom); break;
    case 3: n = snprintf(dst, size, "%s/%u-%u-%u%s", folder, zoom, col, row, suffix); break;
    default: n = snprintf(dst, size, "%s/%u/%u/%u%s", folder, zoom, col, row, suffix); break;
  }
  if (n < 0 || (size_t)n >= size) {
    dst[0] = 0;
    return -1;
  }
  return n;
}

int TileMakeCachePath(char* dst, size_t size, int kind, bool fixed, const char* server, const char* folder,
                      unsigned zoom, unsigned col, unsigned row, const char* ext) {
  if (!dst || size < 1) return -1;
  dst[0] = 0;
  size_t pos = 0;
  char nums[48];
  bool ok = true;
  if (fixed) ok = Put(dst, size, &pos, "../OsmFixed", 11);
  ok = ok && PutSafe(dst, size, &pos, server ? server : "");
  ok = ok && PutSafe(dst, size, &pos, folder ? folder : "");
  if (kind == 0)
    snprintf(nums, sizeof nums, "/%u/%u/%u.", zoom, col, row);
  else
    snprintf(nums, sizeof nums, "/%u/%u", zoom, col);
  ok = ok && Put(dst, size, &pos, nums, strlen(nums));
  if (kind == 0) {
    char e[20];
    size_t n = 0;
    for (const char* s = ext ? ext : ""; *s && n < 16; s++)
      if ((*s >= '0' && *s <= '9') || (*s >= 'a' && *s <= 'z') || (*s >= 'A' && *s <= 'Z')) e[n++] = *s;
    if (n == 0) memcpy(e, "png", n = 3);
    ok = ok && Put(dst, size, &pos, e, n);
  }
  if (!ok) {
    dst[0] = 0;
    return -1;
  }
  // the cache layout starts behind the root: no leading separator
  if (!fixed && dst[0] == '/') {
    memmove(dst, dst + 1, pos);
    pos--;
  }
  return (int)pos;
}

int TileJoinRoot(char* dst, size_t size, const char* root, const char* rel) {
  if (!dst || size < 1 || !root || !rel) return -1;
  int n = snprintf(dst, size, "%s%s", root, rel);
  if (n < 0 || (size_t)n >= size || n >= 260) {
    dst[0] = 0;
    return -1;
  }
  return n;
}

int TileMakeTempName(char* dst, size_t size, const char* tileFolder, unsigned row, unsigned long pid,
                     unsigned worker) {
  if (!dst || size < 1 || !tileFolder) return -1;
  int n = snprintf(dst, size, "%s/%u.%lu-%u.tmp", tileFolder, row, pid, worker);
  if (n < 0 || (size_t)n >= size || n >= 260) {
    dst[0] = 0;
    return -1;
  }
  return n;
}

bool TileBodyIsImage(const unsigned char* data, size_t len) {
  if (!data) return false;
  if (len >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) return true;
  if (len >= 11 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF && data[3] == 0xE0 &&
      memcmp(data + 6, "JFIF", 4) == 0)
    return true;
  return false;
}

bool TileBodyDimensions(const unsigned char* data, size_t len, int* width, int* height) {
  if (!data || !width || !height) return false;
  *width = *height = 0;
  if (len >= 24 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0 && memcmp(data + 12, "IHDR", 4) == 0) {
    uint32_t w = (uint32_t)data[16] << 24 | (uint32_t)data[17] << 16 | (uint32_t)data[18] << 8 | data[19];
    uint32_t h = (uint32_t)data[20] << 24 | (uint32_t)data[21] << 16 | (uint32_t)data[22] << 8 | data[23];
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
    *width = (int)w;
    *height = (int)h;
    return true;
  }
  if (len < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t pos = 2;
  while (pos + 4 <= len) {
    if (data[pos] != 0xFF) return false;
    while (pos < len && data[pos] == 0xFF) pos++;  // fill bytes
    if (pos >= len) return false;
    unsigned m = data[pos++];
    if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;  // no length
    if (m == 0xD9 || m == 0xDA) return false;  // image data before any frame header
    if (pos + 2 > len) return false;
    size_t seg = (size_t)data[pos] << 8 | data[pos + 1];
    if (seg < 2) return false;
    bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (sof) {
      if (seg < 7 || pos + 7 > len) return false;
      *height = data[pos + 3] << 8 | data[pos + 4];
      *width = data[pos + 5] << 8 | data[pos + 6];
      return true;
    }
    pos += seg;
  }
  return false;
}
