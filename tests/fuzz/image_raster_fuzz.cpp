// One raster reader (chosen at build time) on arbitrary bytes: it decodes
// or refuses with a code, and a refusal leaves the picture as it was.
#include <cstddef>
#include <cstdint>

#include ORV_RASTER_HEADER
#include "image/imgerror.h"
#include "image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CPicture pic;
  if (!pic.Create(24, 2, 2, 0x123456)) return 0;
  try {
    ORV_RASTER_DECODE(data, size, pic);
  } catch (const EGraphicsException& e) {
    if (e.Code() > -1 || e.Code() < -4) __builtin_trap();
    if (pic.Width() != 2 || pic.Bits() != 24 || pic.GetPixel(1, 1) != 0x123456) __builtin_trap();
    return 0;
  }
  if (pic.IsEmpty() || pic.Width() <= 0 || pic.Height() <= 0) __builtin_trap();
  // every pixel readable
  uint32_t sum = 0;
  for (int y = 0; y < pic.Height(); y += 7)
    for (int x = 0; x < pic.Width(); ++x) sum += pic.GetColor(x, y);
  return static_cast<int>(sum & 0);
}
