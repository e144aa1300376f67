// Name decoding and the safe target path: whatever the bytes, the relative
// path has no "..", no root, no drive, no colon and no control character;
// the name as added is relative too.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "archive/zipentry.h"
#include "files/pathsafe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  for (uint16_t flags : {(uint16_t)0, (uint16_t)ZIP_FLAG_UTF8}) {
    std::vector<char> name(size + 1);
    int n = ZipDecodeName(data, (int)size, flags, name.data());
    if (n < 0 || (size_t)n > size || name[(size_t)n] != 0) __builtin_trap();
    char out[600];
    int k = ZipSafeRelativePath(name.data(), out, sizeof out);
    if (k < 0) continue;
    if ((size_t)k != strlen(out) || out[0] == '/' || out[0] == '\\') __builtin_trap();
    for (int i = 0; i < k; i++) {
      unsigned char c = (unsigned char)out[i];
      if (c < 0x20 || c == ':' || c == '\\' || c == 0x7F) __builtin_trap();
    }
    // no component is "." or ".." or ends in a dot or blank
    for (const char* p = out; *p;) {
      const char* e = strchr(p, '/');
      size_t len = e ? (size_t)(e - p) : strlen(p);
      if (len == 0 || p[len - 1] == '.' || p[len - 1] == ' ') __builtin_trap();
      p += len + (e ? 1 : 0);
    }
    // a name as added keeps its characters but not a root, an empty, "."
    // or ".." component or a trailing separator
    std::vector<char> kept(size + 1);
    int a = PathSafeRelative(name.data(), kept.data(), kept.size(), PSC_KEEP_CHARS | PSC_DROP_DRIVE);
    if (a < 0 || (size_t)a != strlen(kept.data())) __builtin_trap();
    for (const char* p = kept.data(); *p;) {
      const char* e = strchr(p, '/');
      size_t len = e ? (size_t)(e - p) : strlen(p);
      if (len == 0 || strspn(p, ". ") >= len || memchr(p, '\\', len)) __builtin_trap();
      p += len + (e ? 1 : 0);
    }
    // and the round trip through the encoder stays within its bounds
    char enc[64];
    uint16_t f = 0;
    int m = ZipEncodeName(name.data(), enc, sizeof enc, &f);
    if (m < 0 || m >= (int)sizeof enc || enc[m] != 0) __builtin_trap();
  }
  return 0;
}
