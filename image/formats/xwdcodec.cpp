// XWD reading and writing.
#include "image/formats/xwdcodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/rasterio.h"
#include "image/imgerror.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

using namespace imgraster;

namespace {

constexpr size_t kHeader = 100;  // 25 words
enum {
  kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder, kUnit, kBitOrder, kPad, kBpp,
  kBytesPerLine, kClass, kRedMask, kGreenMask, kBlueMask, kBitsPerRgb, kMapEntries, kColours, kFields = 25
};
enum { kZPixmap = 2, kMsbFirst = 1, kTrueColor = 4, kDirectColor = 5 };

void Damaged(const char* what) { throw EGraphicsDataError(what); }

uint32_t Word(const uint8_t* p, bool be) { return be ? Be32(p) : Le32(p); }

// Header byte order: big-endian when the version reads 7 so.
int HeaderOrder(const uint8_t* d, size_t n) {
  if (!d || n < kHeader) return -1;
  for (int be = 1; be >= 0; --be) {
    const uint32_t hs = Word(d, be != 0), ver = Word(d + 4, be != 0);
    if (ver == 7 && hs >= kHeader && hs <= n) return be;
  }
  return -1;
}

// A pixel of bpp bits at x in a row; byte order for whole bytes and
// nibbles; single bits by bit order within units of unitBytes bytes in
// byte order.
uint32_t PixelAt(const uint8_t* row, uint32_t x, uint32_t bpp, bool msbBytes, bool msbBits, uint32_t unitBytes) {
  if (bpp == 1) {
    const uint32_t unitBits = 8 * unitBytes, bit = x % unitBits;
    // the byte of the unit that holds the bit, counted from the unit's
    // most significant byte for MSB-first bits, from its least for LSB
    uint32_t byte = bit / 8;
    if (msbBits != msbBytes) byte = unitBytes - 1 - byte;
    const uint8_t v = row[x / unitBits * unitBytes + byte];
    return (v >> (msbBits ? 7 - bit % 8 : bit % 8)) & 1;
  }
  if (bpp < 8) {  // 2 or 4 bits: pixels of a byte from its top when MSB first
    const uint32_t per = 8 / bpp, k = x % per;
    const uint32_t shift = msbBytes ? 8 - bpp * (k + 1) : bpp * k;
    return (row[x / per] >> shift) & ((1u << bpp) - 1);
  }
  const uint32_t bytes = bpp / 8;
  const uint8_t* p = row + static_cast<size_t>(x) * bytes;
  uint32_t v = 0;
  for (uint32_t i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (msbBytes ? 8 * (bytes - 1 - i) : 8 * i);
  return v;
}

}  // namespace

bool ImgIsXwd(const uint8_t* data, size_t size) { return HeaderOrder(data, size) >= 0; }

void ImgDecodeXwd(const uint8_t* data, size_t size, CPicture& out) {
  const int order = HeaderOrder(data, size);
  if (order < 0) throw EGraphicsFormatError("not an XWD file");
  const bool be = order == 1;
  uint32_t f[kFields];
  for (int i = 0; i < kFields; ++i) f[i] = Word(data + 4 * i, be);
  const uint32_t depth = f[kDepth];
  // XY dumps of one plane are bitmaps; deeper ones are not read
  if (f[kFormat] != kZPixmap && (f[kFormat] > kZPixmap || depth != 1))
    throw EGraphicsFormatError("XWD: XY dumps deeper than 1 bit are not supported");
  const uint32_t bpp = f[kFormat] == kZPixmap ? f[kBpp] : 1;
  const uint32_t unit = f[kUnit] == 16 || f[kUnit] == 32 ? f[kUnit] / 8 : 1;
  if (depth < 1 || depth > 32) Damaged("XWD: bad depth");
  if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Damaged("XWD: bad bits per pixel");
  if (bpp < depth) Damaged("XWD: depth above bits per pixel");
  if (f[kWidth] > 0x7FFFFFFF || f[kHeight] > 0x7FFFFFFF) throw EGraphicsMemoryError("XWD: image too large");
  ImgCheckSides(f[kWidth], f[kHeight], "XWD");
  const uint32_t w = f[kWidth], h = f[kHeight];
  const uint64_t line = f[kBytesPerLine];
  if (line < (static_cast<uint64_t>(w) * bpp + 7) / 8) Damaged("XWD: line shorter than the pixels");
  size_t pos = f[kHeaderSize];
  const uint32_t ncolours = f[kColours];
  if (ncolours > (size - pos) / 12) Damaged("XWD: colour map cut short");
  const uint8_t* map = data + pos;
  pos += static_cast<size_t>(ncolours) * 12;
  if (line * h > size - pos) Damaged("XWD: pixel data cut short");
  if (bpp == 1 && line % unit) Damaged("XWD: line not a whole number of units");
  const uint8_t* pixels = data + pos;

  const bool masks = f[kClass] == kTrueColor || f[kClass] == kDirectColor;
  const bool palette = !masks && depth <= 8;
  // colours by their pixel field; missing ones stay opaque black
  uint32_t table[256];
  std::fill(table, table + 256, 0xFF000000u);
  std::vector<std::pair<uint32_t, uint32_t>> deep;  // pixel, colour for deeper maps
  if (!masks && ncolours == 0) {  // a grey ramp
    const uint32_t top = depth >= 8 ? 255 : (1u << depth) - 1;
    for (uint32_t i = 0; i <= top; ++i) table[i] = 0xFF000000u | ScaleSample(i, top) * 0x010101u;
  }
  for (uint32_t i = 0; i < ncolours; ++i) {
    const uint8_t* e = map + 12 * static_cast<size_t>(i);
    const uint32_t pixel = Word(e, be);
    const uint32_t r = be ? e[4] : e[5], g = be ? e[6] : e[7], b = be ? e[8] : e[9];  // high bytes
    const uint32_t c = 0xFF000000u | r << 16 | g << 8 | b;
    if (pixel < 256) table[pixel] = c;
    deep.emplace_back(pixel, c);
  }
  std::stable_sort(deep.begin(), deep.end(),
                   [](const std::pair<uint32_t, uint32_t>& a, const std::pair<uint32_t, uint32_t>& b) { return a.first < b.first; });
  const MaskField red(f[kRedMask]), green(f[kGreenMask]), blue(f[kBlueMask]);
  const uint32_t valueMask = depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1;

  const int bits = palette ? (depth == 1 ? 1 : depth <= 4 ? 4 : 8) : 24;
  CPicture pic;
  if (!pic.Create(bits, static_cast<int>(w), static_cast<int>(h), 0, 0)) throw EGraphicsMemoryError("XWD: out of memory");
  if (palette) pic.SetPalette(table, 256);
  const bool msbBytes = f[kByteOrder] == kMsbFirst, msbBits = f[kBitOrder] == kMsbFirst;
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* s = pixels + line * y;
    uint8_t* d = pic.Row(static_cast<int>(y));
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t v = PixelAt(s, x, bpp, msbBytes, msbBits, unit) & valueMask;
      uint32_t c;
      if (palette) {
        ImgWritePixel(d, static_cast<int>(x), bits, v);
        continue;
      }
      if (masks) {
        c = red.Get(v) << 16 | green.Get(v) << 8 | blue.Get(v);
      } else {
        auto it = std::lower_bound(deep.begin(), deep.end(), std::make_pair(v, 0u));
        c = it != deep.end() && it->first == v ? it->second : 0;
      }
      d[3 * x] = static_cast<uint8_t>(c), d[3 * x + 1] = static_cast<uint8_t>(c >> 8), d[3 * x + 2] = static_cast<uint8_t>(c >> 16);
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}

void CXwdWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("XWD: no picture");
  const int w = picture.Width(), h = picture.Height(), bits = picture.Bits();
  const size_t name = m_comment && *m_comment ? std::strlen(m_comment) + 1 : 1;
  if (name > 0x10000) throw EGraphicsDataError("XWD: window name too long");
  const uint32_t f[kFields] = {static_cast<uint32_t>(kHeader + name), 7, kZPixmap, 24, static_cast<uint32_t>(w),
                               static_cast<uint32_t>(h), 0, 0 /* LSB first */, 32, 0, 32, 32,
                               4 * static_cast<uint32_t>(w), kTrueColor, 0xFF0000, 0xFF00, 0xFF, 8, 256, 0,
                               static_cast<uint32_t>(w), static_cast<uint32_t>(h), 0, 0, 0};
  std::vector<uint8_t> head;
  for (uint32_t v : f) PutBe32(head, v);
  if (name > 1) head.insert(head.end(), m_comment, m_comment + name - 1);
  head.push_back(0);
  Put(out, head, "XWD");
  std::vector<uint8_t> row(4 * static_cast<size_t>(w), 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = picture.Row(y);
    if (bits == 32) {
      std::memcpy(row.data(), s, row.size());
      for (int x = 0; x < w; ++x) row[4 * x + 3] = 0;
    } else {
      for (int x = 0; x < w; ++x) ImgWritePixel(row.data(), x, 32, picture.GetColor(x, y) & 0xFFFFFF);
    }
    Put(out, row, "XWD");
  }
}
