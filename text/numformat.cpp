#include "text/number.h"

int NumFormatIntA(int32_t value, char* buffer, int size, unsigned flags) {
  char tmp[16];
  int n = 0;
  if (flags & 1) {
    static const char kHex[] = "0123456789ABCDEF";
    uint32_t v = (uint32_t)value;
    do {
      tmp[n++] = kHex[v & 15];
      v >>= 4;
    } while (v);
    tmp[n++] = 'x';
    tmp[n++] = '0';
  } else {
    uint32_t v = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    do {
      tmp[n++] = (char)('0' + v % 10);
      v /= 10;
    } while (v);
    if (value < 0) tmp[n++] = '-';
  }
  if (size < 1) return -1;
  if (n > size - 1) {
    buffer[0] = 0;
    return -1;
  }
  for (int i = 0; i < n; ++i) buffer[i] = tmp[n - 1 - i];
  buffer[n] = 0;
  return n;
}
