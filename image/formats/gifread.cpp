// GIF decoding: the first image, with its transparent index.
#include <cstring>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/gifcodec.h"
#include "image/formats/lzw.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

// Greatest output of one data byte: a 12-bit code yields up to 4096 bytes.
constexpr int64_t kGifExpansion = 4096 * 8 / 12 + 1;

unsigned U16(const uint8_t* p) { return p[0] | p[1] << 8; }

struct Reader {
  const uint8_t* d;
  size_t size, pos;
  void Need(size_t n) const {
    if (n > size - pos) throw EGraphicsDataError("GIF: unexpected end of data");
  }
  uint8_t Byte() {
    Need(1);
    return d[pos++];
  }
  // Skips sub-blocks up to the empty one.
  void SkipBlocks() {
    for (;;) {
      uint8_t n = Byte();
      if (!n) return;
      Need(n);
      pos += n;
    }
  }
};

void ReadTable(Reader& r, int entries, uint32_t* palette) {
  r.Need(static_cast<size_t>(entries) * 3);
  for (int i = 0; i < entries; ++i, r.pos += 3)
    palette[i] = 0xFF000000u | static_cast<uint32_t>(r.d[r.pos]) << 16 | static_cast<uint32_t>(r.d[r.pos + 1]) << 8 |
                 r.d[r.pos + 2];
}

}  // namespace

bool ImgIsGif(const uint8_t* data, size_t size) {
  return data && size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

void ImgDecodeGif(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsGif(data, size)) throw EGraphicsFormatError("not a GIF file");
  Reader r{data, size, 6};
  r.Need(7);
  const int screenW = static_cast<int>(U16(data + 6)), screenH = static_cast<int>(U16(data + 8));
  const uint8_t flags = data[10], background = data[11];
  r.pos = 13;
  uint32_t global[256], local[256];
  int globalCount = 0, localCount = 0;
  if (flags & 0x80) {
    globalCount = 2 << (flags & 7);
    ReadTable(r, globalCount, global);
  }
  int transparent = -1;
  for (;;) {
    uint8_t tag = r.Byte();
    if (tag == 0x3B) throw EGraphicsDataError("GIF: no image");
    if (tag == 0x21) {
      uint8_t label = r.Byte();
      if (label == 0xF9) {
        r.Need(1);
        if (r.d[r.pos] >= 4) {
          r.Need(5);
          // packed, delay, index
          transparent = (r.d[r.pos + 1] & 1) ? r.d[r.pos + 4] : -1;
        }
      }
      r.SkipBlocks();
      continue;
    }
    if (tag != 0x2C) throw EGraphicsDataError("GIF: unknown block");
    break;
  }
  r.Need(9);
  const int left = static_cast<int>(U16(data + r.pos)), top = static_cast<int>(U16(data + r.pos + 2));
  const int imgW = static_cast<int>(U16(data + r.pos + 4)), imgH = static_cast<int>(U16(data + r.pos + 6));
  const uint8_t imgFlags = data[r.pos + 8];
  r.pos += 9;
  if (imgFlags & 0x80) {
    localCount = 2 << (imgFlags & 7);
    ReadTable(r, localCount, local);
  }
  // a screen of no size takes the image's
  const int64_t w = screenW ? screenW : int64_t(left) + imgW, h = screenH ? screenH : int64_t(top) + imgH;
  ImgCheckSides(w, h, "GIF");
  ImgCheckSides(imgW ? imgW : 1, imgH ? imgH : 1, "GIF");
  const int minBits = r.Byte();
  // above 8 only wastes bits, but encoders write it; the first codes must fit 12 bits
  if (minBits < 1 || minBits > 11) throw EGraphicsDataError("GIF: bad code size");
  // the image data's sub-blocks joined
  size_t dataStart = r.pos, dataBytes = 0;
  for (;;) {
    uint8_t n = r.Byte();
    if (!n) break;
    r.Need(n);
    r.pos += n;
    dataBytes += n;
  }
  const int64_t pixels = int64_t(imgW) * imgH;
  ImgCheckExpansion(pixels, dataBytes, kGifExpansion, "GIF");
  std::vector<uint8_t> code(dataBytes);
  for (size_t p = dataStart, o = 0;;) {
    uint8_t n = data[p++];
    if (!n) break;
    std::memcpy(&code[o], data + p, n);
    p += n;
    o += n;
  }
  std::vector<uint8_t> index(static_cast<size_t>(pixels));
  if (ImgLzwDecode(ImgLzwKind::Gif, minBits, code.data(), code.size(), index.data(), index.size()) < index.size())
    throw EGraphicsDataError("GIF: image data ends early");

  // palette: the image's table, else the screen's; the rest opaque black
  uint32_t palette[256];
  const uint32_t* table = localCount ? local : global;
  const int tableCount = localCount ? localCount : globalCount;
  for (int i = 0; i < 256; ++i) palette[i] = i < tableCount ? table[i] : 0xFF000000u;
  const int fill = transparent >= 0 ? transparent : background;
  if (transparent >= 0) palette[transparent] &= 0x00FFFFFFu;
  unsigned maxIndex = static_cast<unsigned>(tableCount ? tableCount - 1 : 1);
  const bool covered = left == 0 && top == 0 && imgW >= w && imgH >= h;
  if (!covered && static_cast<unsigned>(fill) > maxIndex) maxIndex = static_cast<unsigned>(fill);
  if (transparent >= 0 && static_cast<unsigned>(transparent) > maxIndex) maxIndex = static_cast<unsigned>(transparent);
  for (uint8_t v : index)
    if (v > maxIndex) maxIndex = v;
  const int bits = ImgPaletteBits(maxIndex);

  CPicture pic;
  if (!pic.Create(bits, static_cast<int>(w), static_cast<int>(h), 0, 0)) throw EGraphicsMemoryError("GIF: out of memory");
  pic.SetPalette(palette, 256);
  if (!covered && fill != 0) {
    // one row of the background, copied to the others
    for (int x = 0; x < w; ++x) ImgWritePixel(pic.Row(0), x, bits, static_cast<uint32_t>(fill));
    for (int y = 1; y < h; ++y) std::memcpy(pic.Row(y), pic.Row(0), static_cast<size_t>(pic.Stride()));
  }
  // rows in the order stored: four passes when interlaced
  static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  const bool interlaced = (imgFlags & 0x40) != 0;
  int stored = 0;
  for (int pass = 0; pass < (interlaced ? 4 : 1) && pixels > 0; ++pass)
    for (int iy = interlaced ? kStart[pass] : 0; iy < imgH; iy += interlaced ? kStep[pass] : 1, ++stored) {
      const int y = top + iy;
      if (y >= h) continue;
      const uint8_t* src = &index[static_cast<size_t>(stored) * imgW];
      uint8_t* row = pic.Row(y);
      const int n = left >= w ? 0 : static_cast<int>(imgW < w - left ? imgW : w - left);
      if (bits == 8)
        std::memcpy(row + left, src, static_cast<size_t>(n));
      else
        for (int x = 0; x < n; ++x) ImgWritePixel(row, left + x, bits, src[x]);
    }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}
