// A small picture made from the input, written in each format and read back:
// what the format keeps must come back (GIF: alpha as transparent or
// opaque; EPS: no alpha).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/imgformats.h"
#include "image/picture.h"

namespace {

uint32_t Kept(const std::string& ext, const CPicture& p, uint32_t c) {
  if (p.GetAlphaUsage() != 2 || ext == "eps") return c | 0xFF000000u;
  if (ext == "gif") return (c >> 24) < 128 ? 0 : c | 0xFF000000u;
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static const int kBits[] = {1, 2, 4, 8, 16, 24, 32, 32};
  const int bits = kBits[data[0] & 7], w = 1 + data[1] % 16, h = 1 + data[2] % 16;
  CPicture pic;
  if (!pic.Create(bits, w, h, 0)) __builtin_trap();
  size_t at = 3;
  auto next = [&]() -> uint32_t {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v = v << 8 | data[at++ % size];
    return v;
  };
  for (int i = 0; i < pic.PaletteSize(); ++i) pic.SetPaletteEntry(i, next());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pic.SetPixel(x, y, next());
  const char* comment = (data[0] & 8) ? "GMREF:1,2,3,4,5" : nullptr;
  for (const char* ext : {"png", "gif", "tif", "eps"}) {
    std::unique_ptr<CPictureWriter> writer = ImgWriterForFile((std::string("x.") + ext).c_str());
    if (!writer) __builtin_trap();
    writer->m_comment = comment;
    ImgBuffer out;
    writer->Encode(pic, out);
    CPicture back;
    if (ImgLoadMemory(out.data, out.size, back, 0) != 0) __builtin_trap();
    if (back.Width() != w || back.Height() != h) __builtin_trap();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t want = Kept(ext, pic, pic.GetColor(x, y)), got = back.GetColor(x, y);
        if ((want >> 24) == 0 ? (got >> 24) != 0 : got != want) __builtin_trap();
      }
  }
  return 0;
}
