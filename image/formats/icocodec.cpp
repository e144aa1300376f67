// ICO/CUR reading and writing; the entries are BMP or PNG data.
#include "image/formats/icocodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/formats/bmpcodec.h"
#include "image/formats/pngcodec.h"
#include "image/formats/rasterio.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

using namespace imgraster;

namespace {

constexpr size_t kDirEntry = 16;

bool DirectoryFits(const uint8_t* data, size_t size) {
  if (!data || size < 6 || Le16(data) != 0) return false;
  const uint32_t type = Le16(data + 2), count = Le16(data + 4);
  return (type == 1 || type == 2) && count > 0 && (size - 6) / kDirEntry >= count;
}

struct Candidate {
  int64_t pixels = -1;
  int depth = 0;
  size_t offset = 0, size = 0;
  bool png = false;
};

// What an entry's own header says of its size and depth.
Candidate Judge(const uint8_t* e, size_t n) {
  Candidate c;
  if (ImgIsPng(e, n)) {
    if (n < 26) throw EGraphicsDataError("ICO: PNG entry cut short");
    c.png = true;
    const uint32_t w = std::min(Be32(e + 16), 0x7FFFFFFFu), h = std::min(Be32(e + 20), 0x7FFFFFFFu);
    c.pixels = static_cast<int64_t>(w) * h;
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    c.depth = e[24] * (e[25] < 7 ? kChannels[e[25]] : 0);
    return c;
  }
  if (n < 16) throw EGraphicsDataError("ICO: entry cut short");
  const uint32_t hsize = Le32(e);
  if (hsize == 12) {
    c.pixels = static_cast<int64_t>(Le16(e + 4)) * (Le16(e + 6) / 2);
    c.depth = static_cast<int>(Le16(e + 10));
  } else {
    int64_t w = static_cast<int32_t>(Le32(e + 4)), h = static_cast<int32_t>(Le32(e + 8));
    c.pixels = w < 0 || h < 0 ? 0 : w * (h / 2);
    c.depth = static_cast<int>(Le16(e + 14));
  }
  return c;
}

}  // namespace

bool ImgIsIco(const uint8_t* data, size_t size) { return DirectoryFits(data, size); }

void ImgDecodeIco(const uint8_t* data, size_t size, CPicture& out) {
  if (!DirectoryFits(data, size)) throw EGraphicsFormatError("not an icon or cursor file");
  const uint32_t count = Le16(data + 4);
  Candidate best;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* d = data + 6 + kDirEntry * i;
    const size_t bytes = Le32(d + 8), offset = Le32(d + 12);
    if (offset > size || bytes > size - offset || offset < 6 + kDirEntry * count)
      throw EGraphicsDataError("ICO: entry outside the file");
    Candidate c = Judge(data + offset, bytes);
    c.offset = offset, c.size = bytes;
    if (c.pixels > best.pixels || (c.pixels == best.pixels && c.depth > best.depth)) best = c;
  }
  if (best.png)
    ImgDecodePng(data + best.offset, best.size, out);
  else
    ImgDecodeDib(data + best.offset, best.size, true, out);
}

void CIcoWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("ICO: no picture");
  const int w = picture.Width(), h = picture.Height(), src = picture.Bits();
  if (w > 256 || h > 256) throw EGraphicsDataError("ICO: larger than 256 x 256");
  const bool alpha = picture.GetAlphaUsage() == 2;
  ImgBuffer png;
  int bits = src == 2 ? 4 : src == 16 || (src == 32 && !alpha) ? 24 : src;
  uint64_t bytes;
  uint32_t colours = bits <= 8 ? 1u << bits : 0;
  const size_t stride = static_cast<size_t>((static_cast<int64_t>(w) * bits + 31) / 32 * 4);
  const size_t maskStride = static_cast<size_t>((w + 31) / 32 * 4);
  if (w == 256 || h == 256) {
    CPngWriter writer;
    writer.Encode(picture, 0, png);
    bytes = png.size;
    bits = 32, colours = 0;
  } else {
    bytes = 40 + 4ull * colours + (stride + maskStride) * h;
  }
  std::vector<uint8_t> head;
  PutLe16(head, 0);
  PutLe16(head, m_cursor ? 2 : 1);
  PutLe16(head, 1);
  head.push_back(static_cast<uint8_t>(w & 255));
  head.push_back(static_cast<uint8_t>(h & 255));
  head.push_back(static_cast<uint8_t>(colours & 255));
  head.push_back(0);
  PutLe16(head, m_cursor ? 0 : 1);  // planes, or the hotspot
  PutLe16(head, m_cursor ? 0 : static_cast<uint32_t>(bits));
  PutLe32(head, static_cast<uint32_t>(bytes));
  PutLe32(head, 6 + kDirEntry);
  if (png.size) {
    Put(out, head, "ICO");
    Put(out, png.data, png.size, "ICO");
    return;
  }
  PutLe32(head, 40);
  PutLe32(head, static_cast<uint32_t>(w));
  PutLe32(head, static_cast<uint32_t>(2 * h));
  PutLe16(head, 1);
  PutLe16(head, static_cast<uint32_t>(bits));
  PutLe32(head, 0);
  PutLe32(head, static_cast<uint32_t>((stride + maskStride) * h));
  PutLe32(head, 0), PutLe32(head, 0), PutLe32(head, 0), PutLe32(head, 0);
  for (uint32_t i = 0; i < colours; ++i) {
    const uint32_t c = picture.Palette()[i];
    head.push_back(static_cast<uint8_t>(c)), head.push_back(static_cast<uint8_t>(c >> 8));
    head.push_back(static_cast<uint8_t>(c >> 16)), head.push_back(0);
  }
  Put(out, head, "ICO");
  // colour rows, then the AND mask (set where alpha is below half), both bottom-up
  std::vector<uint8_t> row(stride, 0), mask(maskStride, 0);
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* s = picture.Row(y);
    if (bits == src && src != 16) {
      std::memcpy(row.data(), s, static_cast<size_t>((static_cast<int64_t>(w) * bits + 7) / 8));
    } else {
      for (int x = 0; x < w; ++x)
        ImgWritePixel(row.data(), x, bits, bits == 4 ? ImgReadPixel(s, x, src) : picture.GetColor(x, y) & 0xFFFFFF);
    }
    Put(out, row, "ICO");
  }
  for (int y = h - 1; y >= 0; --y) {
    std::fill(mask.begin(), mask.end(), 0);
    if (alpha)
      for (int x = 0; x < w; ++x)
        if (picture.GetColor(x, y) >> 24 < 128) mask[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    Put(out, mask, "ICO");
  }
}
