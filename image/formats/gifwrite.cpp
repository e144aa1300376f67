// GIF encoding: one image, streamed row by row.
#include <cstring>
#include <vector>

#include "image/formats/adaptivepal.h"
#include "image/formats/codecutil.h"
#include "image/formats/gifcodec.h"
#include "image/formats/lzw.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

void PutU16(std::vector<uint8_t>& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

void CGifWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("GIF: no picture");
  const int w = picture.Width(), h = picture.Height(), bits = picture.Bits();
  if (w > 65535 || h > 65535) throw EGraphicsDataError("GIF: picture too large for the format");
  const bool alpha = picture.GetAlphaUsage() == 2;
  uint32_t table[256];
  int tableBits, transparent = -1;
  CAdaptivePalette adaptive;
  // palette pictures: every entry below alpha 128 becomes the one transparent index
  uint8_t remap[256];
  if (bits <= 8) {
    tableBits = bits;
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
      uint32_t e = picture.Palette()[i];
      table[i] = e & 0xFFFFFF;
      remap[i] = static_cast<uint8_t>(i);
      if (alpha && (e >> 24) < 128) {
        if (transparent < 0) transparent = i;
        remap[i] = static_cast<uint8_t>(transparent);
      }
    }
  } else {
    adaptive.Build(picture, alpha ? 255 : 256, alpha);
    const int n = adaptive.Count();
    for (int i = 0; i < n; ++i) table[i] = adaptive.Colours()[i];
    if (alpha) {
      transparent = n;
      table[n] = 0;
    }
    const int used = n + (alpha ? 1 : 0);
    tableBits = 1;
    while ((1 << tableBits) < used) ++tableBits;
  }
  const int tableCount = 1 << tableBits;
  const bool comment = m_comment && *m_comment;
  std::vector<uint8_t> head(comment || transparent >= 0 ? "GIF89a" : "GIF87a", (comment || transparent >= 0 ? "GIF89a" : "GIF87a") + 6);
  PutU16(head, static_cast<unsigned>(w));
  PutU16(head, static_cast<unsigned>(h));
  head.push_back(static_cast<uint8_t>(0x80 | (tableBits - 1) << 4 | (tableBits - 1)));
  head.push_back(0);
  head.push_back(0);
  for (int i = 0; i < tableCount; ++i) {
    uint32_t c = i < (bits <= 8 ? (1 << bits) : adaptive.Count() + (alpha ? 1 : 0)) ? table[i] : 0;
    head.push_back(static_cast<uint8_t>(c >> 16));
    head.push_back(static_cast<uint8_t>(c >> 8));
    head.push_back(static_cast<uint8_t>(c));
  }
  if (comment) {
    head.push_back(0x21);
    head.push_back(0xFE);
    for (size_t left = std::strlen(m_comment), at = 0; left > 0;) {
      size_t n = left < 255 ? left : 255;
      head.push_back(static_cast<uint8_t>(n));
      head.insert(head.end(), m_comment + at, m_comment + at + n);
      at += n;
      left -= n;
    }
    head.push_back(0);
  }
  if (transparent >= 0) {
    const uint8_t gce[] = {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(transparent), 0};
    head.insert(head.end(), gce, gce + sizeof(gce));
  }
  head.push_back(0x2C);
  PutU16(head, 0);
  PutU16(head, 0);
  PutU16(head, static_cast<unsigned>(w));
  PutU16(head, static_cast<unsigned>(h));
  head.push_back(0);
  const int minBits = tableBits < 2 ? 2 : tableBits;
  head.push_back(static_cast<uint8_t>(minBits));
  ImgPut(out, head.data(), head.size());

  CLzwEncoder lzw(ImgLzwKind::Gif, minBits, out);
  std::vector<uint8_t> line(static_cast<size_t>(w));
  std::vector<uint32_t> argb(bits > 8 ? static_cast<size_t>(w) : 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = picture.Row(y);
    if (bits == 8) {
      for (int x = 0; x < w; ++x) line[x] = remap[row[x]];
    } else if (bits < 8) {
      for (int x = 0; x < w; ++x) line[x] = remap[ImgReadPixel(row, x, bits)];
    } else {
      ImgRowToArgb(picture, y, argb.data());
      adaptive.MapRow(argb.data(), w, line.data(), static_cast<uint8_t>(transparent < 0 ? 0 : transparent));
    }
    lzw.Add(line.data(), line.size());
  }
  lzw.Finish();
  const uint8_t trailer = 0x3B;
  ImgPut(out, &trailer, 1);
}
