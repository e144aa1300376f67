// The ZIP directory reader, the entry checks and the decryption filters on
// arbitrary archive bytes (read from memory, extracted to memory).
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "archive/zipfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  std::vector<uint8_t> copy(data, data + size);
  for (uint32_t options : {0u, (uint32_t)ZIPOPT_TOLERANT}) {
    CZipFile z;
    z.SetPassword("pw");
    if (z.OpenMemory(copy.data(), (int32_t)copy.size(), -1, options) != 0) continue;
    static uint8_t out[1 << 16];
    int32_t count = z.GetEntryCount();
    for (int32_t i = 0; i < count && i < 64; i++) {
      if (z.GetEntrySize(i, 0) > (1u << 22)) continue;  // keep runs short
      z.ExtractToMemory(i, out, sizeof out, nullptr);
      z.TestEntry(i);
    }
    z.Close();
  }
  return 0;
}
