// A small picture made of the input, written as BMP, ICO, PNM, XPM and XWD
// and read back: each reader must give what its format keeps.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/formats/bmpcodec.h"
#include "image/formats/icocodec.h"
#include "image/formats/pnmcodec.h"
#include "image/formats/xpmcodec.h"
#include "image/formats/xwdcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"

namespace {

// alpha: 0 dropped, 1 kept where it varies, 2 transparent below half
void Check(const CPicture& src, const ImgBuffer& buf, void (*decode)(const uint8_t*, size_t, CPicture&), int alpha) {
  CPicture back;
  try {
    decode(buf.data, buf.size, back);
  } catch (const EGraphicsException&) {
    __builtin_trap();
  }
  if (back.Width() != src.Width() || back.Height() != src.Height()) __builtin_trap();
  const bool varies = src.GetAlphaUsage() == 2;
  const int tol = src.Bits() == 16 ? 1 : 0;  // 5-bit samples widen apart
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      const uint32_t c = src.GetColor(x, y), d = back.GetColor(x, y);
      uint32_t a = c >> 24;
      if (!varies || alpha == 0) a = 255;
      else if (alpha == 2) a = a < 128 ? 0 : 255;
      if ((d >> 24) != a) __builtin_trap();
      if (a == 0) continue;
      for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((c >> s) & 255) - static_cast<int>((d >> s) & 255)) > tol) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static const int kBits[] = {1, 2, 4, 8, 16, 24, 32};
  const int bits = kBits[data[0] % 7], w = 1 + data[1] % 40, h = 1 + data[2] % 40;
  data += 3, size -= 3;
  size_t k = 0;
  auto next = [&]() { return data[k++ % size]; };
  CPicture pic;
  if (!pic.Create(bits, w, h)) return 0;
  if (bits <= 8) {
    uint32_t pal[256];
    for (uint32_t& e : pal) e = static_cast<uint32_t>(next()) << 24 | next() << 16 | next() << 8 | next();
    pic.SetPalette(pal, 256);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pic.SetPixel(x, y, static_cast<uint32_t>(next()) << 24 | next() << 16 | next() << 8 | next());
  const bool deep = bits == 32;
  {
    ImgBuffer b;
    CBmpWriter().Encode(pic, b);
    Check(pic, b, ImgDecodeBmp, deep ? 1 : 0);
  }
  {
    ImgBuffer b;
    CIcoWriter().Encode(pic, b);
    Check(pic, b, ImgDecodeIco, deep ? 1 : 2);
  }
  {
    ImgBuffer b;
    CPnmWriter().Encode(pic, b);
    Check(pic, b, ImgDecodePnm, 0);
  }
  {
    ImgBuffer b;
    CXpmWriter().Encode(pic, b);
    Check(pic, b, ImgDecodeXpm, 2);
  }
  {
    ImgBuffer b;
    CXwdWriter().Encode(pic, b);
    Check(pic, b, ImgDecodeXwd, 0);
  }
  return 0;
}
