// Small helper shared by the two halves of the thin file layer.
#pragma once

#include <string.h>

namespace fio_detail {

// Copies text into dest when it fits; -1 otherwise (dest then holds "").
inline int PutText(char* dest, size_t size, const char* text, size_t len) {
  if (!dest || size == 0) return -1;
  if (len >= size) {
    dest[0] = 0;
    return -1;
  }
  memcpy(dest, text, len);
  dest[len] = 0;
  return (int)len;
}

}  // namespace fio_detail
