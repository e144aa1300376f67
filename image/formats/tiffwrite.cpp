// TIFF encoding: LZW strips streamed out, the directory behind them, and
// the header's pointer to it patched in at the end.
#include <cstring>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/lzw.h"
#include "image/formats/tiffcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

class CountingSink : public ImgSink {
 public:
  explicit CountingSink(ImgSink& out) : m_out(out) {}
  bool Write(const void* data, size_t size) override {
    m_count += size;
    return m_out.Write(data, size);
  }
  bool Patch(uint64_t offset, const void* data, size_t size) override { return m_out.Patch(offset, data, size); }
  uint64_t m_count = 0;

 private:
  ImgSink& m_out;
};

struct Tag {
  uint16_t tag, type;
  uint32_t count;
  std::vector<uint8_t> values;  // little-endian
};

void Add(std::vector<Tag>& tags, uint16_t tag, uint16_t type, const std::vector<uint32_t>& v) {
  Tag t{tag, type, static_cast<uint32_t>(v.size()), {}};
  for (uint32_t x : v)
    for (int k = 0; k < (type == 3 ? 2 : 4); ++k) t.values.push_back(static_cast<uint8_t>(x >> (8 * k)));
  tags.push_back(t);
}

void Le32(uint8_t* p, uint64_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

}  // namespace

void CTiffWriter::Encode(const CPicture& picture, ImgSink& sink) {
  if (picture.IsEmpty()) throw EGraphicsDataError("TIFF: no picture");
  const int w = picture.Width(), h = picture.Height(), bits = picture.Bits();
  const int alphaUsage = picture.GetAlphaUsage();
  // palette pictures with varying alpha go out as RGBA
  const bool palette = bits <= 8 && alphaUsage != 2;
  const bool alpha = alphaUsage == 2;
  bool grey = palette;
  if (palette)
    for (int i = 0, n = 1 << bits; i < n; ++i) {
      uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
      if ((picture.Palette()[i] & 0xFFFFFF) != (g << 16 | g << 8 | g)) grey = false;
    }
  const int spp = palette ? 1 : alpha ? 4 : 3;
  const int sampleBits = palette ? bits : 8;
  const bool predictor = sampleBits == 8;
  const size_t rowBytes = (static_cast<size_t>(w) * spp * sampleBits + 7) / 8;
  const int rowsPerStrip = static_cast<int>(rowBytes >= 65536 ? 1 : 65536 / rowBytes);

  CountingSink out(sink);
  const uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};
  ImgPut(out, header, sizeof(header));
  std::vector<uint32_t> offsets, counts;
  std::vector<uint8_t> line(rowBytes);
  std::vector<uint32_t> argb(palette ? 0 : static_cast<size_t>(w));
  for (int y0 = 0; y0 < h; y0 += rowsPerStrip) {
    if (out.m_count > 0xFFFFFFFFu) throw EGraphicsDataError("TIFF: file past 4 GB");
    offsets.push_back(static_cast<uint32_t>(out.m_count));
    const uint64_t start = out.m_count;
    CLzwEncoder lzw(ImgLzwKind::Tiff, 8, out);
    for (int y = y0; y < h && y < y0 + rowsPerStrip; ++y) {
      if (palette) {
        std::memcpy(line.data(), picture.Row(y), rowBytes);
      } else {
        ImgRowToArgb(picture, y, argb.data());
        uint8_t* p = line.data();
        for (int x = 0; x < w; ++x, p += spp) {
          uint32_t c = argb[x];
          p[0] = static_cast<uint8_t>(c >> 16), p[1] = static_cast<uint8_t>(c >> 8), p[2] = static_cast<uint8_t>(c);
          if (alpha) p[3] = static_cast<uint8_t>(c >> 24);
        }
      }
      if (predictor)
        for (size_t i = rowBytes; i-- > static_cast<size_t>(spp);) line[i] = static_cast<uint8_t>(line[i] - line[i - spp]);
      lzw.Add(line.data(), rowBytes);
    }
    lzw.Finish();
    counts.push_back(static_cast<uint32_t>(out.m_count - start));
  }

  std::vector<Tag> tags;
  Add(tags, 256, 4, {static_cast<uint32_t>(w)});
  Add(tags, 257, 4, {static_cast<uint32_t>(h)});
  Add(tags, 258, 3, std::vector<uint32_t>(static_cast<size_t>(spp), static_cast<uint32_t>(sampleBits)));
  Add(tags, 259, 3, {5});
  Add(tags, 262, 3, {grey ? 1u : palette ? 3u : 2u});
  if (m_comment && *m_comment) {
    Tag t{270, 2, static_cast<uint32_t>(std::strlen(m_comment) + 1), {}};
    t.values.assign(m_comment, m_comment + t.count);
    tags.push_back(t);
  }
  Add(tags, 273, 4, offsets);
  Add(tags, 277, 3, {static_cast<uint32_t>(spp)});
  Add(tags, 278, 4, {static_cast<uint32_t>(rowsPerStrip)});
  Add(tags, 279, 4, counts);
  Add(tags, 282, 5, {72, 1});
  tags.back().count = 1;
  Add(tags, 283, 5, {72, 1});
  tags.back().count = 1;
  Add(tags, 284, 3, {1});
  Add(tags, 296, 3, {2});
  if (predictor) Add(tags, 317, 3, {2});
  if (palette && !grey) {
    const int n = 1 << bits;
    std::vector<uint32_t> map(3 * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      uint32_t e = picture.Palette()[i];
      map[i] = (e >> 16 & 0xFF) * 257, map[n + i] = (e >> 8 & 0xFF) * 257, map[2 * n + i] = (e & 0xFF) * 257;
    }
    Add(tags, 320, 3, map);
  }
  if (alpha) Add(tags, 338, 3, {2});

  // the directory, word-aligned, with the values that do not fit in it behind
  if (out.m_count & 1) ImgPut(out, "", 1);
  const uint64_t ifd = out.m_count;
  const uint64_t ifdBytes = 2 + 12 * tags.size() + 4;
  uint64_t extra = ifd + ifdBytes;
  std::vector<uint8_t> dir(static_cast<size_t>(ifdBytes), 0), rest;
  dir[0] = static_cast<uint8_t>(tags.size());
  for (size_t i = 0; i < tags.size(); ++i) {
    uint8_t* e = &dir[2 + 12 * i];
    const Tag& t = tags[i];
    e[0] = static_cast<uint8_t>(t.tag), e[1] = static_cast<uint8_t>(t.tag >> 8);
    e[2] = static_cast<uint8_t>(t.type), e[3] = 0;
    Le32(e + 4, t.count);
    if (t.values.size() <= 4) {
      std::memcpy(e + 8, t.values.data(), t.values.size());
    } else {
      if (extra + rest.size() > 0xFFFFFFFFu) throw EGraphicsDataError("TIFF: file past 4 GB");
      Le32(e + 8, extra + rest.size());
      rest.insert(rest.end(), t.values.begin(), t.values.end());
      if (rest.size() & 1) rest.push_back(0);
    }
  }
  if (ifd > 0xFFFFFFFFu) throw EGraphicsDataError("TIFF: file past 4 GB");
  ImgPut(out, dir.data(), dir.size());
  ImgPut(out, rest.data(), rest.size());
  uint8_t at[4];
  Le32(at, ifd);
  if (!out.Patch(4, at, 4)) throw EGraphicsFileError("write failed");
}
