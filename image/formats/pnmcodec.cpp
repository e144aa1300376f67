// PNM reading and writing.
#include "image/formats/pnmcodec.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/rasterio.h"
#include "image/imgerror.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

using namespace imgraster;

namespace {

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

struct Scanner {
  const uint8_t* d;
  size_t n, i;

  // Skips blanks and comments ("#" to the end of the line).
  void SkipBlanks() {
    while (i < n) {
      if (d[i] == '#') {
        while (i < n && d[i] != '\n' && d[i] != '\r') ++i;
      } else if (IsBlank(d[i])) {
        ++i;
      } else {
        break;
      }
    }
  }
  // A decimal number of at most limit.
  uint32_t Number(uint32_t limit) {
    SkipBlanks();
    if (i >= n) throw EGraphicsDataError("PNM: data cut short");
    if (d[i] < '0' || d[i] > '9') throw EGraphicsDataError("PNM: number expected");
    uint64_t v = 0;
    while (i < n && d[i] >= '0' && d[i] <= '9') {
      v = v * 10 + (d[i++] - '0');
      if (v > limit) throw EGraphicsDataError("PNM: number out of range");
    }
    return static_cast<uint32_t>(v);
  }
};

}  // namespace

bool ImgIsPnm(const uint8_t* data, size_t size) {
  return data && size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && IsBlank(data[2]);
}

void ImgDecodePnm(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsPnm(data, size)) throw EGraphicsFormatError("not a PNM file");
  const int kind = data[1] - '0';
  const bool plain = kind <= 3, bilevel = kind == 1 || kind == 4, colour = kind == 3 || kind == 6;
  Scanner sc{data, size, 2};
  const uint32_t w = sc.Number(0x7FFFFFFF), h = sc.Number(0x7FFFFFFF);
  const uint32_t maxval = bilevel ? 1 : sc.Number(65535);
  if (maxval == 0) throw EGraphicsDataError("PNM: maximum value 0");
  if (!plain) {  // exactly one blank before the samples
    if (sc.i >= size || !IsBlank(data[sc.i])) throw EGraphicsDataError("PNM: data cut short");
    ++sc.i;
  }
  ImgCheckSides(w, h, "PNM");
  const int channels = colour ? 3 : 1;
  const int sampleBytes = maxval > 255 ? 2 : 1;
  const uint64_t samples = static_cast<uint64_t>(w) * h * channels;
  const uint64_t rest = size - sc.i;
  // a plain sample takes a digit and a blank (P1 digits may touch)
  const uint64_t need = kind == 4 ? (w + 7) / 8 * static_cast<uint64_t>(h)
                        : plain   ? (kind == 1 ? samples : 2 * samples - 1)
                                  : samples * sampleBytes;
  if (rest < need) throw EGraphicsDataError("PNM: data cut short");

  CPicture pic;
  if (!pic.Create(bilevel ? 1 : colour ? 24 : 8, static_cast<int>(w), static_cast<int>(h), 0, 0))
    throw EGraphicsMemoryError("PNM: out of memory");
  pic.SetGreyPalette();  // 1 bit: 0 black, 1 white
  const uint8_t* s = data + sc.i;
  auto sample = [&]() -> uint32_t {
    uint32_t v;
    if (kind == 1) {
      sc.SkipBlanks();
      if (sc.i >= size) throw EGraphicsDataError("PNM: data cut short");
      if (data[sc.i] != '0' && data[sc.i] != '1') throw EGraphicsDataError("PNM: bad bit");
      return data[sc.i++] - '0';
    }
    if (plain) {
      v = sc.Number(65535);
    } else if (sampleBytes == 2) {
      v = static_cast<uint32_t>(s[0]) << 8 | s[1];
      s += 2;
    } else {
      v = *s++;
    }
    if (v > maxval) throw EGraphicsDataError("PNM: sample above the maximum");
    return v;
  };
  // raw bytes go through a table (the maximum value's scale, checked)
  uint8_t scale[256];
  for (uint32_t v = 0; v < 256; ++v) scale[v] = static_cast<uint8_t>(v <= maxval ? ScaleSample(v, maxval) : 0);
  const bool rawBytes = !plain && !bilevel && sampleBytes == 1;
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* d = pic.Row(static_cast<int>(y));
    if (rawBytes) {
      const size_t n = static_cast<size_t>(w) * channels;
      if (maxval < 255)
        for (size_t k = 0; k < n; ++k)
          if (s[k] > maxval) throw EGraphicsDataError("PNM: sample above the maximum");
      if (colour && maxval == 255) {
        for (uint32_t x = 0; x < w; ++x, s += 3, d += 3) d[0] = s[2], d[1] = s[1], d[2] = s[0];
      } else if (colour) {
        for (uint32_t x = 0; x < w; ++x, s += 3, d += 3) d[0] = scale[s[2]], d[1] = scale[s[1]], d[2] = scale[s[0]];
      } else {
        for (uint32_t x = 0; x < w; ++x) d[x] = scale[s[x]];
        s += w;
      }
    } else if (kind == 4) {
      const size_t bytes = (w + 7) / 8;
      for (size_t k = 0; k < bytes; ++k) d[k] = static_cast<uint8_t>(~s[k]);
      s += bytes;
    } else if (kind == 1) {
      for (uint32_t x = 0; x < w; ++x) ImgWritePixel(d, static_cast<int>(x), 1, sample() ^ 1);
    } else if (colour) {
      for (uint32_t x = 0; x < w; ++x, d += 3) {
        const uint32_t r = sample(), g = sample(), b = sample();
        d[0] = static_cast<uint8_t>(ScaleSample(b, maxval));
        d[1] = static_cast<uint8_t>(ScaleSample(g, maxval));
        d[2] = static_cast<uint8_t>(ScaleSample(r, maxval));
      }
    } else {
      for (uint32_t x = 0; x < w; ++x) d[x] = static_cast<uint8_t>(ScaleSample(sample(), maxval));
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}

namespace {

bool GreyColour(uint32_t c) { return ((c >> 16) & 255) == ((c >> 8) & 255) && (c & 255) == ((c >> 8) & 255); }

// Luma of a colour (Rec. 601 weights), rounded.
uint32_t Luma(uint32_t c) { return (((c >> 16) & 255) * 299 + ((c >> 8) & 255) * 587 + (c & 255) * 114 + 500) / 1000; }

}  // namespace

void CPnmWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("PNM: no picture");
  const int w = picture.Width(), h = picture.Height(), bits = picture.Bits();
  char kind = m_kind;
  if (kind == 0) {
    kind = 'p';
    if (bits <= 8) {
      bool grey = true, bw = true;
      for (int i = 0; i < picture.PaletteSize(); ++i) {
        const uint32_t c = picture.Palette()[i] & 0xFFFFFF;
        grey = grey && GreyColour(c);
        bw = bw && (c == 0 || c == 0xFFFFFF);
      }
      kind = bw ? 'b' : grey ? 'g' : 'p';
    }
  }
  if (kind != 'b' && kind != 'g' && kind != 'p') throw EGraphicsDataError("PNM: unknown kind");
  std::string head = kind == 'b' ? "P4\n" : kind == 'g' ? "P5\n" : "P6\n";
  if (m_comment && *m_comment) {
    head += '#';
    for (const char* c = m_comment; *c; ++c) {
      if (*c == '\r' && c[1] == '\n') continue;
      head += *c == '\r' || *c == '\n' ? std::string("\n#") : std::string(1, *c);
    }
    head += '\n';
  }
  char size[64];
  std::snprintf(size, sizeof(size), kind == 'b' ? "%d %d\n" : "%d %d\n255\n", w, h);
  head += size;
  Put(out, head.data(), head.size(), "PNM");

  std::vector<uint8_t> row(kind == 'b' ? (w + 7) / 8 : kind == 'g' ? w : 3 * static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < w; ++x) {
      const uint32_t c = picture.GetColor(x, y);
      if (kind == 'b') {
        if (Luma(c) < 128) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));  // 1 is black
      } else if (kind == 'g') {
        row[x] = static_cast<uint8_t>(Luma(c));
      } else {
        row[3 * x] = static_cast<uint8_t>(c >> 16);
        row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(c);
      }
    }
    Put(out, row, "PNM");
  }
}
