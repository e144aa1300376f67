// Both decryption filters on arbitrary bytes in arbitrary pieces: never a
// read past the buffer, the AES tag is held back and checked exactly once.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "archive/zipcrypt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint8_t strength = (uint8_t)(data[0] % 4);  // 0 gives -101
  uint8_t pwLength = data[1];
  uint8_t piece = (uint8_t)(data[2] | 1);
  data += 3;
  size -= 3;
  size_t pw = pwLength < size ? pwLength : size;
  std::vector<char> password(data, data + pw);
  data += pw;
  size -= pw;

  uint32_t keys[3];
  password.push_back(0);
  ZipTraditionalInit(keys, password.data());
  std::vector<uint8_t> buf(data, data + size);
  for (size_t at = 0; at < buf.size(); at += piece)
    ZipTraditionalDecrypt(keys, buf.data() + at, (int)std::min<size_t>(piece, buf.size() - at));

  ZipAesContext* c = ZipAesAlloc();
  if (!c) return 0;
  uint8_t salt[16] = {0}, verifier[2];
  memcpy(salt, data, size < 16 ? size : 16);
  int rc = ZipAesInit(c, strength, password.data(), pw, salt, verifier);
  if (rc == 0) {
    c->dataStart = c->consumed = 0;
    c->dataLength = size > 10 ? size - 10 : 0;
    buf.assign(data, data + size);
    size_t delivered = 0;
    for (size_t at = 0; at < buf.size(); at += piece) {
      int n = ZipAesDecryptFilter(c, buf.data() + at, (int)std::min<size_t>(piece, buf.size() - at));
      if (n < 0) break;
      delivered += (size_t)n;
    }
    if (delivered > c->dataLength) __builtin_trap();
  }
  ZipAesFree(c);
  return 0;
}
