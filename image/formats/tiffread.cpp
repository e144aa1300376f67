// TIFF decoding: the first IFD, segment by segment into the picture.
#include <zlib.h>

#include <cstring>
#include <map>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/jpegcodec.h"
#include "image/formats/lzw.h"
#include "image/formats/tiffcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

enum : unsigned {
  kWidth = 256, kHeight = 257, kBits = 258, kCompression = 259, kPhotometric = 262, kFillOrder = 266,
  kStripOffsets = 273, kSamples = 277, kRowsPerStrip = 278, kStripBytes = 279, kPlanar = 284, kPredictor = 317,
  kColorMap = 320, kTileWidth = 322, kTileLength = 323, kTileOffsets = 324, kTileBytes = 325, kExtraSamples = 338,
  kSampleFormat = 339, kJpegTables = 347
};

struct Entry {
  unsigned type;
  uint64_t count, pos;  // pos: where the values are
};

int TypeSize(unsigned type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: case 16: case 17: case 18: return 8;
  }
  return 0;
}

class TiffFile {
 public:
  TiffFile(const uint8_t* d, size_t n) : m_d(d), m_size(n) {}
  const uint8_t* m_d;
  size_t m_size;
  bool m_le = true, m_big = false;
  std::map<unsigned, Entry> m_tags;

  uint64_t Uint(uint64_t pos, int n) const {
    if (pos > m_size || static_cast<uint64_t>(n) > m_size - pos) throw EGraphicsDataError("TIFF: offset past the data");
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(m_d[pos + (m_le ? i : n - 1 - i)]) << (8 * i);
    return v;
  }
  void ReadIfd() {
    m_le = m_d[0] == 'I';
    m_big = Uint(2, 2) == 43;
    uint64_t at;
    if (m_big) {
      if (Uint(4, 2) != 8 || Uint(6, 2) != 0) throw EGraphicsDataError("TIFF: bad BigTIFF header");
      at = Uint(8, 8);
    } else {
      at = Uint(4, 4);
    }
    const uint64_t count = Uint(at, m_big ? 8 : 2);
    const int entrySize = m_big ? 20 : 12, inlineBytes = m_big ? 8 : 4;
    const uint64_t first = at + (m_big ? 8 : 2);
    if (count > (m_size - first) / entrySize) throw EGraphicsDataError("TIFF: directory past the data");
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t e = first + i * entrySize;
      Entry t;
      const unsigned tag = static_cast<unsigned>(Uint(e, 2));
      t.type = static_cast<unsigned>(Uint(e + 2, 2));
      t.count = Uint(e + 4, m_big ? 8 : 4);
      const int ts = TypeSize(t.type);
      if (!ts) continue;  // a type of no use here
      if (t.count > m_size / ts) throw EGraphicsDataError("TIFF: tag count past the data");
      const uint64_t bytes = t.count * ts;
      t.pos = bytes <= static_cast<uint64_t>(inlineBytes) ? e + (m_big ? 12 : 8) : Uint(e + (m_big ? 12 : 8), inlineBytes);
      if (t.pos > m_size || bytes > m_size - t.pos) throw EGraphicsDataError("TIFF: tag values past the data");
      m_tags[tag] = t;
    }
  }
  const Entry* Find(unsigned tag) const {
    auto it = m_tags.find(tag);
    return it == m_tags.end() ? nullptr : &it->second;
  }
  uint64_t Value(const Entry& t, uint64_t i) const {
    if (i >= t.count) throw EGraphicsDataError("TIFF: too few values");
    int ts = TypeSize(t.type);
    if (t.type == 5 || t.type == 10) ts = 4;  // numerator
    if (t.type == 11 || t.type == 12) throw EGraphicsDataError("TIFF: unexpected tag type");
    return Uint(t.pos + i * TypeSize(t.type), ts);
  }
  uint64_t Get(unsigned tag, uint64_t fallback) const {
    const Entry* t = Find(tag);
    return t && t->count ? Value(*t, 0) : fallback;
  }
  std::vector<uint64_t> Values(unsigned tag, uint64_t need) const {
    const Entry* t = Find(tag);
    if (!t || t->count < need) throw EGraphicsDataError("TIFF: segment table missing or short");
    std::vector<uint64_t> v(static_cast<size_t>(need));
    for (uint64_t i = 0; i < need; ++i) v[i] = Value(*t, i);
    return v;
  }
};

// Each byte with its bits in reverse order.
struct MirrorTable {
  uint8_t v[256];
  MirrorTable() {
    for (int i = 0; i < 256; ++i) {
      int r = 0;
      for (int b = 0; b < 8; ++b) r |= (i >> b & 1) << (7 - b);
      v[i] = static_cast<uint8_t>(r);
    }
  }
  uint8_t operator[](uint8_t i) const { return v[i]; }
};
const MirrorTable kMirrored;

void UnpackBits(const uint8_t* in, size_t n, uint8_t* out, size_t outSize) {
  size_t i = 0, o = 0;
  while (o < outSize) {
    if (i >= n) throw EGraphicsDataError("TIFF: PackBits data ends early");
    int c = static_cast<int8_t>(in[i++]);
    if (c >= 0) {
      size_t k = static_cast<size_t>(c) + 1;
      if (k > n - i) throw EGraphicsDataError("TIFF: PackBits data ends early");
      if (k > outSize - o) k = outSize - o;
      std::memcpy(out + o, in + i, k);
      i += static_cast<size_t>(c) + 1;
      o += k;
    } else if (c != -128) {
      if (i >= n) throw EGraphicsDataError("TIFF: PackBits data ends early");
      size_t k = static_cast<size_t>(1 - c);
      if (k > outSize - o) k = outSize - o;
      std::memset(out + o, in[i++], k);
      o += k;
    }
  }
}

void Inflate(const uint8_t* in, size_t n, uint8_t* out, size_t outSize) {
  z_stream z;
  std::memset(&z, 0, sizeof(z));
  if (inflateInit(&z) != Z_OK) throw EGraphicsMemoryError("TIFF: out of memory");
  size_t used = 0, done = 0;
  int rc = Z_OK;
  // in steps, as uInt may be narrower; stops once the segment is full
  while (done < outSize && rc == Z_OK) {
    const size_t leftIn = n - used, leftOut = outSize - done;
    z.next_in = const_cast<Bytef*>(in + used);
    z.avail_in = static_cast<uInt>(leftIn > (1u << 30) ? (1u << 30) : leftIn);
    z.next_out = out + done;
    z.avail_out = static_cast<uInt>(leftOut > (1u << 30) ? (1u << 30) : leftOut);
    const uInt inBefore = z.avail_in, outBefore = z.avail_out;
    rc = inflate(&z, Z_NO_FLUSH);
    used += inBefore - z.avail_in;
    done += outBefore - z.avail_out;
  }
  inflateEnd(&z);
  if (done < outSize) throw EGraphicsDataError("TIFF: Deflate data ends early or is damaged");
}

struct Layout {
  int64_t w, h;
  int bits, spp, colours, planar, photometric, compression, predictor;
  bool alpha, associated;
  const uint32_t* palette;  // colour map of a palette picture with alpha
  int outBits;
  bool directIndex;  // grey/palette samples go in as indices
};

// Writes the decoded samples of one segment (segW x segH at x0, y0; one
// plane or all) into the picture.
void Place(const Layout& L, CPicture& pic, const uint8_t* seg, size_t rowBytes, int64_t x0, int64_t y0, int64_t segW,
           int64_t segH, int plane, bool le) {
  const int sppSeg = L.planar == 2 ? 1 : L.spp;
  const int64_t n = (x0 + segW > L.w ? L.w - x0 : segW);
  const int64_t rows = (y0 + segH > L.h ? L.h - y0 : segH);
  const uint32_t maxv = (1u << L.bits) - 1;
  std::vector<uint32_t> s(static_cast<size_t>(n * sppSeg));
  for (int64_t r = 0; r < rows; ++r) {
    const uint8_t* src = seg + r * rowBytes;
    uint8_t* row = pic.Row(static_cast<int>(y0 + r));
    const int64_t count = n * sppSeg;
    // fast ways for 8-bit chunky samples
    if (L.bits == 8 && L.planar == 1 && L.outBits == 24 && L.spp >= 3) {
      uint8_t* d = row + 3 * x0;
      int64_t x = 0;
      if (L.spp == 3)
        // four pixels as three words: R,G,B to B,G,R
        for (; x + 4 <= n; x += 4, src += 12, d += 12) {
          uint32_t a, b, c;
          std::memcpy(&a, src, 4), std::memcpy(&b, src + 4, 4), std::memcpy(&c, src + 8, 4);
          const uint32_t w0 = (a >> 16 & 0xFF) | (a & 0xFF00) | (a & 0xFF) << 16 | (b >> 8 & 0xFF) << 24;
          const uint32_t w1 = (b & 0xFF) | (a >> 24) << 8 | (c & 0xFF) << 16 | (b & 0xFF000000u);
          const uint32_t w2 = (b >> 16 & 0xFF) | (c >> 24) << 8 | (c & 0xFF0000) | (c >> 8 & 0xFF) << 24;
          std::memcpy(d, &w0, 4), std::memcpy(d + 4, &w1, 4), std::memcpy(d + 8, &w2, 4);
        }
      for (; x < n; ++x, src += L.spp, d += 3) d[0] = src[2], d[1] = src[1], d[2] = src[0];
      continue;
    }
    if (L.bits == 8 && L.planar == 1 && L.outBits == 32 && L.spp >= 4 && L.colours == 3) {
      uint8_t* d = row + 4 * x0;
      for (int64_t x = 0; x < n; ++x, src += L.spp, d += 4) d[0] = src[2], d[1] = src[1], d[2] = src[0], d[3] = src[3];
      continue;
    }
    if (L.bits == 8 && L.spp == 1 && L.outBits == 8 && L.directIndex) {
      std::memcpy(row + x0, src, static_cast<size_t>(n));
      continue;
    }
    if (L.bits == 8) {
      for (int64_t i = 0; i < count; ++i) s[i] = src[i];
    } else if (L.bits == 16) {
      for (int64_t i = 0; i < count; ++i) s[i] = le ? src[2 * i] | src[2 * i + 1] << 8 : src[2 * i] << 8 | src[2 * i + 1];
    } else {
      uint64_t bit = 0;
      for (int64_t i = 0; i < count; ++i, bit += L.bits) {
        uint32_t v = 0;
        for (int k = 0; k < L.bits; ++k) {
          uint64_t b = bit + k;
          v = v << 1 | ((src[b >> 3] >> (7 - (b & 7))) & 1);
        }
        s[i] = v;
      }
    }
    // other depths through 16 bits (rounded) and down to 8 (truncated), as
    // ImageMagick reads them
    auto to8 = [&](uint32_t v) -> uint32_t {
      return L.bits == 16 ? v >> 8
             : L.bits == 8 ? v
                           : static_cast<uint32_t>((uint64_t(v) * 131070 + maxv) / (uint64_t(2) * maxv) / 257);
    };
    if (L.outBits <= 8) {
      for (int64_t x = 0; x < n; ++x) {
        uint32_t v = s[x * sppSeg];
        if (!L.directIndex) {
          v = to8(v);
          if (L.photometric == 0) v = 255 - v;
        }
        ImgWritePixel(row, static_cast<int>(x0 + x), L.outBits, v);
      }
      continue;
    }
    const int bpp = L.outBits / 8;
    for (int64_t x = 0; x < n; ++x) {
      uint8_t* d = row + (x0 + x) * bpp;
      for (int k = 0; k < sppSeg; ++k) {
        const int channel = L.planar == 2 ? plane : k;
        uint32_t v = to8(s[x * sppSeg + k]);
        if (channel < L.colours && L.palette) {
          const uint32_t c = L.palette[s[x * sppSeg + k] & 0xFF];
          d[0] = static_cast<uint8_t>(c), d[1] = static_cast<uint8_t>(c >> 8), d[2] = static_cast<uint8_t>(c >> 16);
        } else if (channel < L.colours) {
          if (L.photometric == 0) v = 255 - v;
          if (L.colours == 1)
            d[0] = d[1] = d[2] = static_cast<uint8_t>(v);
          else
            d[2 - channel] = static_cast<uint8_t>(v);
        } else if (channel == L.colours && L.alpha) {
          d[3] = static_cast<uint8_t>(v);
        }
      }
    }
  }
}

void UndoPredictor(const Layout& L, uint8_t* seg, size_t rowBytes, int64_t segW, int64_t segH, bool le) {
  const int stride = L.planar == 2 ? 1 : L.spp;
  for (int64_t r = 0; r < segH; ++r) {
    uint8_t* p = seg + r * rowBytes;
    const int64_t count = segW * stride;
    if (L.bits == 8 && stride == 3) {
      // running sums in registers, not through memory
      uint8_t a = p[0], b = p[1], c = p[2];
      for (int64_t i = 3; i + 2 < count; i += 3) {
        p[i] = a = static_cast<uint8_t>(a + p[i]);
        p[i + 1] = b = static_cast<uint8_t>(b + p[i + 1]);
        p[i + 2] = c = static_cast<uint8_t>(c + p[i + 2]);
      }
    } else if (L.bits == 8) {
      for (int64_t i = stride; i < count; ++i) p[i] = static_cast<uint8_t>(p[i] + p[i - stride]);
    } else {
      auto get = [&](int64_t i) { return le ? p[2 * i] | p[2 * i + 1] << 8 : p[2 * i] << 8 | p[2 * i + 1]; };
      for (int64_t i = stride; i < count; ++i) {
        unsigned v = static_cast<unsigned>(get(i) + get(i - stride)) & 0xFFFF;
        p[2 * i] = static_cast<uint8_t>(le ? v : v >> 8);
        p[2 * i + 1] = static_cast<uint8_t>(le ? v >> 8 : v);
      }
    }
  }
}

}  // namespace

bool ImgIsTiff(const uint8_t* data, size_t size) {
  if (!data || size < 8) return false;
  return (data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
         (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43));
}

void ImgDecodeTiff(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsTiff(data, size)) throw EGraphicsFormatError("not a TIFF file");
  TiffFile f(data, size);
  f.ReadIfd();
  Layout L;
  if (!f.Find(kWidth) || !f.Find(kHeight)) throw EGraphicsDataError("TIFF: no image size");
  L.w = static_cast<int64_t>(f.Get(kWidth, 0));
  L.h = static_cast<int64_t>(f.Get(kHeight, 0));
  ImgCheckSides(L.w, L.h, "TIFF");
  L.spp = static_cast<int>(f.Get(kSamples, 1));
  L.bits = static_cast<int>(f.Get(kBits, 1));
  L.compression = static_cast<int>(f.Get(kCompression, 1));
  L.photometric = static_cast<int>(f.Get(kPhotometric, 1));
  L.planar = static_cast<int>(f.Get(kPlanar, 1));
  L.predictor = static_cast<int>(f.Get(kPredictor, 1));
  if (L.spp < 1 || L.spp > 16) throw EGraphicsDataError("TIFF: bad samples per pixel");
  if (const Entry* b = f.Find(kBits))
    for (uint64_t i = 1; i < b->count && i < static_cast<uint64_t>(L.spp); ++i)
      if (static_cast<int>(f.Value(*b, i)) != L.bits) throw EGraphicsFormatError("TIFF: samples of different sizes");
  const int sampleFormat = static_cast<int>(f.Get(kSampleFormat, 1));
  if (sampleFormat != 1) throw EGraphicsFormatError("TIFF: float or signed samples are not read");
  switch (L.compression) {
    case 1: case 5: case 7: case 8: case 32946: case 32773: break;
    default: throw EGraphicsFormatError("TIFF: compression not read (CCITT, old JPEG or other)");
  }
  switch (L.photometric) {
    case 0: case 1: L.colours = 1; break;
    case 2: L.colours = 3; break;
    case 3: L.colours = 1; break;
    case 6:
      if (L.compression != 7) throw EGraphicsFormatError("TIFF: YCbCr only with JPEG");
      L.colours = 3;
      break;
    default: throw EGraphicsFormatError("TIFF: colour space not read (CMYK or other)");
  }
  if (L.planar != 1 && L.planar != 2) throw EGraphicsDataError("TIFF: bad planar configuration");
  if (L.spp < L.colours) throw EGraphicsDataError("TIFF: too few samples");
  if (L.bits < 1 || L.bits > 16) throw EGraphicsFormatError("TIFF: sample size not read");
  // several samples: of sizes that every reader widens alike
  if ((L.colours == 3 || L.spp > 1) && L.bits != 1 && L.bits != 2 && L.bits != 4 && L.bits != 8 && L.bits != 16)
    throw EGraphicsFormatError("TIFF: sample size not read");
  if (L.photometric == 3 && L.bits > 8) throw EGraphicsFormatError("TIFF: palette too deep");
  if (L.predictor != 1 && !(L.predictor == 2 && (L.bits == 8 || L.bits == 16)))
    throw EGraphicsFormatError("TIFF: predictor not read");
  if (L.compression == 7 && (L.bits != 8 || L.planar != 1 || (L.spp != 1 && L.spp != 3)))
    throw EGraphicsFormatError("TIFF: JPEG layout not read");
  L.alpha = L.associated = false;
  if (L.spp > L.colours) {
    if (const Entry* e = f.Find(kExtraSamples)) {
      uint64_t kind = e->count ? f.Value(*e, 0) : 0;
      L.alpha = kind == 1 || kind == 2;
      L.associated = kind == 1;
    }
  }
  L.directIndex = L.colours == 1 && !L.alpha && (L.photometric == 3 || L.bits == 1 || L.bits == 2 || L.bits == 4 || L.bits == 8);
  if (L.alpha) L.outBits = 32;
  else if (L.colours == 3) L.outBits = 24;
  else if (L.directIndex) L.outBits = L.bits == 3 ? 4 : L.bits > 4 ? 8 : L.bits;
  else L.outBits = 8;
  if (L.directIndex && L.photometric == 3 && L.bits != 1 && L.bits != 2 && L.bits != 4 && L.bits != 8)
    L.outBits = L.bits < 4 ? 4 : 8;

  // the palette: colour map, or greys (inverted for MinIsWhite)
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u;
  L.palette = L.alpha && L.photometric == 3 ? palette : nullptr;
  if (L.outBits <= 8 || L.palette) {
    if (L.photometric == 3) {
      const uint64_t n = uint64_t(1) << L.bits;
      std::vector<uint64_t> map = f.Values(kColorMap, 3 * n);
      for (uint64_t i = 0; i < n; ++i)
        palette[i] = 0xFF000000u | static_cast<uint32_t>(map[i] >> 8 & 0xFF) << 16 |
                     static_cast<uint32_t>(map[n + i] >> 8 & 0xFF) << 8 | static_cast<uint32_t>(map[2 * n + i] >> 8 & 0xFF);
    } else {
      const int n = L.directIndex ? 1 << L.bits : 256;
      for (int i = 0; i < n; ++i) {
        uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
        if (L.directIndex && L.photometric == 0) g = 255 - g;
        palette[i] = 0xFF000000u | g << 16 | g << 8 | g;
      }
    }
  }

  // the segments
  const bool tiled = f.Find(kTileWidth) != nullptr;
  int64_t segW, segH, across, down;
  if (tiled) {
    segW = static_cast<int64_t>(f.Get(kTileWidth, 0));
    segH = static_cast<int64_t>(f.Get(kTileLength, 0));
    if (segW <= 0 || segH <= 0 || segW > 65536 || segH > 65536) throw EGraphicsDataError("TIFF: bad tile size");
    across = (L.w + segW - 1) / segW;
    down = (L.h + segH - 1) / segH;
  } else {
    segW = L.w;
    segH = static_cast<int64_t>(f.Get(kRowsPerStrip, static_cast<uint64_t>(L.h)));
    if (segH <= 0 || segH > L.h) segH = L.h;
    across = 1;
    down = (L.h + segH - 1) / segH;
  }
  const int planes = L.planar == 2 ? L.spp : 1;
  const uint64_t segments = static_cast<uint64_t>(across * down) * planes;
  if (segments > size) throw EGraphicsDataError("TIFF: more segments than the data holds");
  std::vector<uint64_t> offsets = f.Values(tiled ? kTileOffsets : kStripOffsets, segments);
  std::vector<uint64_t> counts = f.Values(tiled ? kTileBytes : kStripBytes, segments);
  for (uint64_t i = 0; i < segments; ++i)
    if (offsets[i] > size || counts[i] > size - offsets[i]) throw EGraphicsDataError("TIFF: segment past the data");
  const int sppSeg = L.planar == 2 ? 1 : L.spp;
  const int64_t rowBytes64 = (segW * sppSeg * L.bits + 7) / 8;
  if (rowBytes64 * segH > (int64_t(1) << 30)) throw EGraphicsMemoryError("TIFF: segments too large");
  const size_t rowBytes = static_cast<size_t>(rowBytes64);
  const size_t segBytes = rowBytes * static_cast<size_t>(segH);
  const int64_t ratio = L.compression == 1 ? 1 : L.compression == 32773 ? 64 : L.compression == 5 ? 2731 : 1032;
  // a last strip holds only the rows left; tiles are whole
  const int64_t rawBytes = tiled ? static_cast<int64_t>(segBytes) * static_cast<int64_t>(segments)
                                 : rowBytes64 * L.h * planes;
  if (L.compression != 7) ImgCheckExpansion(rawBytes, size, ratio, "TIFF");
  // bits filled from the lowest: every data byte mirrored before decoding
  // (JPEG data keeps its own order)
  const bool mirrored = f.Get(kFillOrder, 1) == 2 && L.compression != 7;
  std::vector<uint8_t> mirror;
  std::vector<uint8_t> jpegTables;
  if (L.compression == 7)
    if (const Entry* t = f.Find(kJpegTables))
      if (t->count >= 4) jpegTables.assign(data + t->pos, data + t->pos + t->count - 2);  // without its end marker

  CPicture pic;
  if (!pic.Create(L.outBits, static_cast<int>(L.w), static_cast<int>(L.h), 0, 0))
    throw EGraphicsMemoryError("TIFF: out of memory");
  if (L.outBits <= 8) pic.SetPalette(palette, 256);
  std::vector<uint8_t> seg(L.compression == 7 ? 0 : segBytes);
  std::vector<uint8_t> stream;
  for (int plane = 0; plane < planes; ++plane)
    for (int64_t ty = 0; ty < down; ++ty)
      for (int64_t tx = 0; tx < across; ++tx) {
        const uint64_t i = static_cast<uint64_t>(plane) * across * down + ty * across + tx;
        const uint8_t* in = data + offsets[i];
        const size_t n = static_cast<size_t>(counts[i]);
        if (mirrored) {
          mirror.resize(n);
          for (size_t k = 0; k < n; ++k) mirror[k] = kMirrored[in[k]];
          in = mirror.data();
        }
        const int64_t x0 = tx * segW, y0 = ty * segH;
        // a strip's last rows may be missing from the data
        const int64_t rows = tiled ? segH : (y0 + segH > L.h ? L.h - y0 : segH);
        const size_t need = rowBytes * static_cast<size_t>(rows);
        if (L.compression == 7) {
          // the tables stream (without its end) and the segment (without its start)
          if (n < 2) throw EGraphicsDataError("TIFF: empty JPEG segment");
          if (!jpegTables.empty() && in[0] == 0xFF && in[1] == 0xD8) {
            stream = jpegTables;
            stream.insert(stream.end(), in + 2, in + n);
          } else {
            stream.assign(in, in + n);
          }
          CPicture part;
          ImgDecodeJpeg(stream.data(), stream.size(), part, L.photometric == 2);
          if (part.Width() < (x0 + segW > L.w ? L.w - x0 : segW) || part.Height() < rows ||
              (part.Bits() == 8) != (L.colours == 1))
            throw EGraphicsDataError("TIFF: JPEG segment does not fit");
          const int64_t cw = x0 + segW > L.w ? L.w - x0 : segW, ch = y0 + rows > L.h ? L.h - y0 : rows;
          const int bpp = L.outBits / 8;
          for (int64_t r = 0; r < ch; ++r)
            std::memcpy(pic.Row(static_cast<int>(y0 + r)) + x0 * bpp, part.Row(static_cast<int>(r)), static_cast<size_t>(cw * bpp));
          continue;
        }
        switch (L.compression) {
          case 1:
            if (n < need) throw EGraphicsDataError("TIFF: segment ends early");
            std::memcpy(seg.data(), in, need);
            break;
          case 32773: UnpackBits(in, n, seg.data(), need); break;
          case 5:
            if (ImgLzwDecode(ImgLzwKind::Tiff, 8, in, n, seg.data(), need) < need)
              throw EGraphicsDataError("TIFF: LZW data ends early");
            break;
          default: Inflate(in, n, seg.data(), need);
        }
        if (L.predictor == 2) UndoPredictor(L, seg.data(), rowBytes, segW, rows, f.m_le);
        Place(L, pic, seg.data(), rowBytes, x0, y0, segW, rows, plane, f.m_le);
      }
  if (L.associated) {
    for (int y = 0; y < pic.Height(); ++y) {
      uint8_t* p = pic.Row(y);
      for (int x = 0; x < pic.Width(); ++x, p += 4) {
        unsigned a = p[3];
        if (a == 255) continue;
        for (int k = 0; k < 3; ++k) p[k] = a ? static_cast<uint8_t>(p[k] >= a ? 255 : p[k] * 255 / a) : 0;  // truncated, as the peers do
      }
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}
