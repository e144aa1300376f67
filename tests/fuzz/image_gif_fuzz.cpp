// The GIF reader straight on arbitrary bytes: refused cleanly or a picture.
#include <cstddef>
#include <cstdint>

#include "image/formats/gifcodec.h"
#include "image/imgerror.h"
#include "image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CPicture pic;
  try {
    ImgDecodeGif(data, size, pic);
  } catch (const EGraphicsException& e) {
    if (e.Code() > -1 || e.Code() < -3 || !pic.IsEmpty()) __builtin_trap();
    return 0;
  }
  if (pic.IsEmpty() || pic.Width() <= 0 || pic.Height() <= 0) __builtin_trap();
  return 0;
}
