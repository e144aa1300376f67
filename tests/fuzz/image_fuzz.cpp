// ImgLoadMemory on arbitrary bytes; what decodes goes through the picture
// operations that tiles meet after decoding.
#include <cstddef>
#include <cstdint>

#include "image/imgfile.h"
#include "image/picture.h"
#include "map/tilefx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CPicture pic;
  if (ImgLoadMemory(data, size, pic, 0) != 0) return 0;
  if (pic.IsEmpty() || pic.Width() <= 0 || pic.Height() <= 0) __builtin_trap();
  // keep the per-input work small: only modest pictures go further
  if (static_cast<int64_t>(pic.Width()) * pic.Height() > (1 << 20)) return 0;
  CPicture copy;
  copy.CropFrom(pic, 0, 0, pic.Width(), pic.Height());
  const uint32_t list[] = {0xFFFFFF, 0x000000};
  TilePostProcess(copy, 1, list, 2, 1, 0);
  TilePostProcess(pic, 0, nullptr, 0, 0, 0);
  CPicture back;
  if (back.Create(32, 300, 300, 0xFF808080u)) {
    back.BlendPicture(copy, -7, 13);
    back.DrawPicture(pic, 5, -3, kImgUseKey | 0xFFFFFF);
  }
  return 0;
}
