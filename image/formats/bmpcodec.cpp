// BMP reading (Windows 3 to 5, OS/2 1.x and 2.x headers) and writing.
#include "image/formats/bmpcodec.h"

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

enum Compression { kRgb, kRle8, kRle4, kFields };

bool KnownHeaderSize(uint32_t n) { return n == 12 || (n >= 16 && n <= 64) || n == 108 || n == 124; }
bool WindowsHeader(uint32_t n) { return n == 40 || n == 52 || n == 56 || n == 108 || n == 124; }

struct DibInfo {
  int64_t width = 0, height = 0;
  bool topDown = false;
  int bits = 0;
  Compression comp = kRgb;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  uint32_t palette[256];
  size_t dataStart = 0;  // offset after header, masks and palette
};

void Damaged(const char* what) { throw EGraphicsDataError(what); }

// Reads the info header, its masks and palette from d (size bytes).
DibInfo ParseInfo(const uint8_t* d, size_t size, bool iconMask) {
  DibInfo info;
  if (size < 4) Damaged("BMP: header cut short");
  const uint32_t hsize = Le32(d);
  if (!KnownHeaderSize(hsize)) throw EGraphicsFormatError("BMP: unknown header size");
  if (size < hsize) Damaged("BMP: header cut short");
  uint32_t comp = 0, colours = 0;
  size_t entry = 4;
  if (hsize == 12) {
    info.width = Le16(d + 4);
    info.height = Le16(d + 6);
    info.bits = static_cast<int>(Le16(d + 10));
    entry = 3;
  } else {
    info.width = static_cast<int32_t>(Le32(d + 4));
    info.height = static_cast<int32_t>(Le32(d + 8));
    info.bits = static_cast<int>(Le16(d + 14));
    if (hsize >= 20) comp = Le32(d + 16);
    if (hsize >= 36) colours = Le32(d + 32);
  }
  size_t pos = hsize;
  const bool os2 = !WindowsHeader(hsize);
  switch (comp) {
    case 0:
      info.comp = kRgb;
      break;
    case 1:
      info.comp = kRle8;
      break;
    case 2:
      info.comp = kRle4;
      break;
    case 3:
      if (os2) throw EGraphicsFormatError("BMP: OS/2 Huffman compression is not supported");
      info.comp = kFields;
      break;
    case 4:
      throw EGraphicsFormatError(os2 ? "BMP: RLE24 is not supported" : "BMP: embedded JPEG is not supported");
    case 5:
      throw EGraphicsFormatError("BMP: embedded PNG is not supported");
    case 6:
      if (os2) Damaged("BMP: unknown compression");
      info.comp = kFields;
      break;
    default:
      Damaged("BMP: unknown compression");
  }
  if (info.comp == kFields) {
    const int n = comp == 6 ? 4 : 3;
    if (hsize >= 52) {
      for (int i = 0; i < 3; ++i) info.masks[i] = Le32(d + 40 + 4 * i);
      if (hsize >= 56) info.masks[3] = Le32(d + 52);
    } else {
      if (size - pos < 4u * n) Damaged("BMP: masks cut short");
      for (int i = 0; i < n; ++i) info.masks[i] = Le32(d + pos + 4 * i);
      pos += 4u * n;
    }
    if (info.bits != 16 && info.bits != 32) Damaged("BMP: bit fields need 16 or 32 bits");
  } else if (info.bits == 16) {
    info.masks[0] = 0x7C00, info.masks[1] = 0x03E0, info.masks[2] = 0x001F;
  } else if (info.bits == 32) {
    info.masks[0] = 0xFF0000, info.masks[1] = 0xFF00, info.masks[2] = 0xFF;
    if (iconMask) info.masks[3] = 0xFF000000u;  // icons keep alpha in the fourth byte
  }
  if (info.height < 0) {
    if (hsize == 12 || info.comp == kRle8 || info.comp == kRle4) Damaged("BMP: top-down rows with RLE");
    info.topDown = true;
    info.height = -info.height;
  }
  if (iconMask) info.height /= 2;
  const int b = info.bits;
  if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) Damaged("BMP: bad bit count");
  if ((info.comp == kRle8 && b != 8) || (info.comp == kRle4 && b != 4)) Damaged("BMP: RLE of a wrong bit count");
  ImgCheckSides(info.width, info.height, "BMP");

  // Missing entries stay opaque black, so every index finds a colour.
  for (uint32_t& c : info.palette) c = 0xFF000000u;
  if (b <= 8 && colours == 0) colours = 1u << b;
  // deeper pictures need no palette: one that does not fit is passed over
  if (b > 8) colours = std::min<uint64_t>(colours, (size - pos) / entry);
  if (colours > (size - pos) / entry) Damaged("BMP: palette cut short");
  if (b <= 8) {
    if (colours > 256) Damaged("BMP: palette too long");
    for (uint32_t i = 0; i < colours; ++i) {
      const uint8_t* p = d + pos + i * entry;
      info.palette[i] = 0xFF000000u | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
  }
  pos += colours * entry;
  info.dataStart = pos;
  return info;
}

int OutputBits(const DibInfo& info) {
  if (info.bits <= 8) return info.bits;
  return info.masks[3] ? 32 : 24;
}

// Uncompressed rows; stride bytes each, bottom-up unless topDown.
void ReadRows(const DibInfo& info, const uint8_t* src, size_t avail, CPicture& pic) {
  const int w = pic.Width(), h = pic.Height();
  const size_t stride = static_cast<size_t>((static_cast<int64_t>(w) * info.bits + 31) / 32 * 4);
  if (avail / stride < static_cast<size_t>(h)) Damaged("BMP: pixel data cut short");
  const MaskField r(info.masks[0]), g(info.masks[1]), b(info.masks[2]), a(info.masks[3]);
  const bool plain32 = info.bits == 32 && info.masks[0] == 0xFF0000 && info.masks[1] == 0xFF00 && info.masks[2] == 0xFF &&
                       (info.masks[3] == 0 || info.masks[3] == 0xFF000000u);
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = src + stride * static_cast<size_t>(info.topDown ? y : h - 1 - y);
    uint8_t* d = pic.Row(y);
    if (info.bits <= 8 || info.bits == 24) {
      std::memcpy(d, s, static_cast<size_t>((static_cast<int64_t>(w) * info.bits + 7) / 8));
    } else if (plain32) {
      if (pic.Bits() == 32) {
        std::memcpy(d, s, 4 * static_cast<size_t>(w));
      } else {
        for (int x = 0; x < w; ++x, s += 4, d += 3) d[0] = s[0], d[1] = s[1], d[2] = s[2];
      }
    } else {
      const int out = pic.Bits() / 8;
      for (int x = 0; x < w; ++x, d += out) {
        uint32_t v = info.bits == 16 ? Le16(s + 2 * x) : Le32(s + 4 * x);
        d[0] = static_cast<uint8_t>(b.Get(v));
        d[1] = static_cast<uint8_t>(g.Get(v));
        d[2] = static_cast<uint8_t>(r.Get(v));
        if (out == 4) d[3] = static_cast<uint8_t>(a.Get(v));
      }
    }
  }
}

// RLE8 / RLE4; pixels a delta or an early end skips keep index 0. Runs are
// clipped at the row's end; a delta past the picture is damage.
void ReadRle(const DibInfo& info, const uint8_t* s, size_t n, CPicture& pic) {
  const int w = pic.Width(), h = pic.Height();
  const bool four = info.comp == kRle4;
  int64_t x = 0, y = 0;  // y counts from the bottom
  size_t i = 0;
  auto put = [&](uint32_t v) {
    if (x < w) ImgWritePixel(pic.Row(static_cast<int>(h - 1 - y)), static_cast<int>(x), pic.Bits(), v);
    ++x;
  };
  while (y < h) {
    if (n - i < 2) Damaged("BMP: RLE data cut short");
    const uint32_t count = s[i], value = s[i + 1];
    i += 2;
    if (count) {
      for (uint32_t k = 0; k < count && x < w; ++k) put(four ? (k & 1 ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (n - i < 2) Damaged("BMP: RLE data cut short");
      x += s[i], y += s[i + 1];
      i += 2;
      if (x > w || y > h || (y == h && x > 0)) Damaged("BMP: RLE delta past the picture");
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t padded = bytes + (bytes & 1);
      if (n - i < padded) Damaged("BMP: RLE data cut short");
      for (uint32_t k = 0; k < value && x < w; ++k)
        put(four ? (k & 1 ? s[i + k / 2] & 15 : s[i + k / 2] >> 4) : s[i + k]);
      i += padded;
    }
  }
}

// Decodes the rows (and an icon's AND mask) that follow the info header.
void DecodeRows(const DibInfo& info, const uint8_t* src, size_t avail, bool iconMask, CPicture& out) {
  CPicture pic;
  const int w = static_cast<int>(info.width), h = static_cast<int>(info.height);
  if (!pic.Create(OutputBits(info), w, h, 0, 0)) throw EGraphicsMemoryError("BMP: out of memory");
  if (pic.Bits() <= 8) pic.SetPalette(info.palette, 256);
  if (info.comp == kRle8 || info.comp == kRle4)
    ReadRle(info, src, avail, pic);
  else
    ReadRows(info, src, avail, pic);
  if (iconMask) {
    const size_t xorBytes = static_cast<size_t>((static_cast<int64_t>(w) * info.bits + 31) / 32 * 4) * h;
    const size_t stride = static_cast<size_t>((w + 31) / 32 * 4);
    bool useMask = pic.Bits() != 32;
    if (!useMask) {  // alpha unless all of it is 0
      useMask = true;
      for (int y = 0; y < h && useMask; ++y)
        for (int x = 0; x < w; ++x)
          if (pic.Row(y)[4 * x + 3]) {
            useMask = false;
            break;
          }
    }
    // 32-bit entries with alpha may come without mask
    const uint8_t* mask = src + xorBytes;
    if (useMask && (avail - xorBytes) / stride < static_cast<size_t>(h)) Damaged("ICO: mask cut short");
    if (useMask && pic.Bits() != 32) {
      useMask = false;
      for (size_t k = 0; k < stride * h && !useMask; ++k) useMask = mask[k] != 0;
    }
    if (useMask) {
      CPicture rgba;
      if (!rgba.Create(32, w, h, 0, 0)) throw EGraphicsMemoryError("ICO: out of memory");
      for (int y = 0; y < h; ++y) {
        const uint8_t* m = mask + stride * static_cast<size_t>(h - 1 - y);
        uint8_t* d = rgba.Row(y);
        for (int x = 0; x < w; ++x) {
          uint32_t c = (pic.GetColor(x, y) & 0xFFFFFF) | ((m[x >> 3] >> (7 - (x & 7)) & 1) ? 0 : 0xFF000000u);
          ImgWritePixel(d, x, 32, c);
        }
      }
      pic.Swap(rgba);
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}

}  // namespace

bool ImgIsBmp(const uint8_t* data, size_t size) {
  return data && size >= 18 && data[0] == 'B' && data[1] == 'M' && KnownHeaderSize(Le32(data + 14));
}

void ImgDecodeBmp(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsBmp(data, size)) throw EGraphicsFormatError("not a BMP file");
  const DibInfo info = ParseInfo(data + 14, size - 14, false);
  const size_t offset = Le32(data + 10);
  if (offset < 14 + Le32(data + 14)) Damaged("BMP: pixel offset inside the header");
  if (offset > size) Damaged("BMP: pixel offset past the data");
  DecodeRows(info, data + offset, size - offset, false, out);
}

void ImgDecodeDib(const uint8_t* data, size_t size, bool iconMask, CPicture& out) {
  const DibInfo info = ParseInfo(data, size, iconMask);
  if (iconMask && (info.comp == kRle8 || info.comp == kRle4)) throw EGraphicsFormatError("ICO: RLE entries are not supported");
  DecodeRows(info, data + info.dataStart, size - info.dataStart, iconMask, out);
}

void CBmpWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("BMP: no picture");
  const int w = picture.Width(), h = picture.Height(), src = picture.Bits();
  const bool alpha = src == 32 && picture.GetAlphaUsage() == 2;
  const int bits = src == 2 ? 4 : src == 32 && !alpha ? 24 : src;
  const uint32_t hsize = alpha ? 124 : 40;
  const uint32_t colours = bits <= 8 ? 1u << bits : 0;
  const uint64_t stride = (static_cast<uint64_t>(w) * bits + 31) / 32 * 4;
  const uint64_t offset = 14 + hsize + 4ull * colours, total = offset + stride * h;
  if (total > 0xFFFFFFFFu) throw EGraphicsDataError("BMP: picture too large for the format");

  std::vector<uint8_t> head;
  head.push_back('B'), head.push_back('M');
  PutLe32(head, static_cast<uint32_t>(total));
  PutLe32(head, 0);
  PutLe32(head, static_cast<uint32_t>(offset));
  PutLe32(head, hsize);
  PutLe32(head, static_cast<uint32_t>(w));
  PutLe32(head, static_cast<uint32_t>(h));
  PutLe16(head, 1);
  PutLe16(head, static_cast<uint32_t>(bits));
  PutLe32(head, alpha ? 3 : 0);
  PutLe32(head, static_cast<uint32_t>(stride * h));
  PutLe32(head, 2835), PutLe32(head, 2835);  // 72 dpi
  PutLe32(head, colours), PutLe32(head, 0);
  if (alpha) {
    for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) PutLe32(head, m);
    PutLe32(head, 0x73524742);  // sRGB
    head.resize(head.size() + 36 + 12, 0);
    PutLe32(head, 4);  // LCS_GM_IMAGES
    PutLe32(head, 0), PutLe32(head, 0), PutLe32(head, 0);
  }
  for (uint32_t i = 0; i < colours; ++i) {
    const uint32_t c = picture.Palette()[i];
    head.push_back(static_cast<uint8_t>(c)), head.push_back(static_cast<uint8_t>(c >> 8));
    head.push_back(static_cast<uint8_t>(c >> 16)), head.push_back(0);
  }
  Put(out, head, "BMP");

  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* s = picture.Row(y);
    if (src == 2) {
      for (int x = 0; x < w; ++x) ImgWritePixel(row.data(), x, 4, ImgReadPixel(s, x, 2));
    } else if (src == 32 && !alpha) {
      uint8_t* d = row.data();
      for (int x = 0; x < w; ++x, s += 4, d += 3) d[0] = s[0], d[1] = s[1], d[2] = s[2];
    } else {
      std::memcpy(row.data(), s, static_cast<size_t>((static_cast<int64_t>(w) * bits + 7) / 8));
    }
    Put(out, row, "BMP");
  }
}
