#include "files/pathsafe.h"

#include <string.h>

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 32) : c; }

bool SameNoCase(const char* s, size_t n, const char* name) {
  if (strlen(name) != n) return false;
  for (size_t i = 0; i < n; i++)
    if (Upper(s[i]) != name[i]) return false;
  return true;
}

bool IsPortDigit(unsigned char c) { return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3; }

}  // namespace

bool PathIsDeviceName(const char* s, size_t n) {
  size_t base = 0;
  while (base < n && s[base] != '.') base++;
  // Windows ignores blanks before the dot or the end
  while (base > 0 && s[base - 1] == ' ') base--;
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kNames)
    if (SameNoCase(s, base, d)) return true;
  if (base == 4 && (SameNoCase(s, 3, "COM") || SameNoCase(s, 3, "LPT")) &&
      IsPortDigit((unsigned char)s[3]))
    return true;
  return false;
}

int PathSafeComponent(const char* in, size_t n, char* out, size_t size, unsigned flags) {
  if (!out || size < 1) return -1;
  out[0] = 0;
  if ((flags & PSC_DROP_DRIVE) && n >= 2 && in[1] == ':') {
    in += 2;
    n -= 2;
  }
  const char* reserved = (flags & PSC_AMPERSAND) ? ":<>\"|?*&" : ":<>\"|?*";
  size_t k = n;
  if (!(flags & PSC_KEEP_TRAILING))
    while (k && (in[k - 1] == '.' || in[k - 1] == ' ')) k--;
  if (!k) return 0;
  if (flags & PSC_KEEP_CHARS) {
    if (n >= size) return -1;
    memcpy(out, in, n);
    out[n] = 0;
    return (int)n;
  }
  bool device = PathIsDeviceName(in, k);
  size_t need = k + (device ? 1 : 0);
  if (need >= size) return -1;
  size_t o = 0;
  if (device) out[o++] = '_';
  for (size_t i = 0; i < k; i++) {
    unsigned char c = (unsigned char)in[i];
    bool bad = c < 0x20 || c == 0x7F || PathIsSep(c) || strchr(reserved, c) != nullptr;
    out[o++] = bad ? '_' : (char)c;
  }
  if (flags & PSC_KEEP_TRAILING)
    for (size_t i = o; i-- > 0 && (out[i] == '.' || out[i] == ' ');) out[i] = '_';
  out[o] = 0;
  return (int)o;
}

int PathSafeRelative(const char* name, char* out, size_t size, unsigned flags) {
  if (!out || size < 1) return -1;
  size_t n = 0;
  const char* p = name;
  while (*p) {
    while (PathIsSep(*p)) p++;
    const char* start = p;
    while (*p && !PathIsSep(*p)) p++;
    if (p == start) break;
    size_t sep = n ? 1 : 0;
    if (n + sep >= size) return -1;
    int got = PathSafeComponent(start, (size_t)(p - start), out + n + sep, size - n - sep, flags);
    if (got < 0) return -1;
    if (!got) continue;
    if (sep) out[n] = '/';
    n += sep + (size_t)got;
  }
  out[n] = 0;
  return (int)n;
}
