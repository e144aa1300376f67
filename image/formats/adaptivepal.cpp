#include "image/formats/adaptivepal.h"

#include <algorithm>

#include "image/formats/codecutil.h"
#include "image/picture.h"

namespace {

constexpr unsigned kHashSlots = 1024;  // more than twice 256 + 1

unsigned HashOf(uint32_t rgb) { return (rgb * 2654435761u) >> 22; }

inline unsigned Bin(uint32_t c) { return (c >> 9 & 0x7C00) | (c >> 6 & 0x3E0) | (c >> 3 & 0x1F); }

struct Box {
  int lo[3], hi[3];  // inclusive bin ranges of r, g, b
  uint64_t count;
};

}  // namespace

int CAdaptivePalette::Find(uint32_t rgb) const {
  uint32_t key = rgb | 1u << 24;
  for (unsigned h = HashOf(rgb);; h = (h + 1) & (kHashSlots - 1)) {
    if (m_hashKey[h] == key) return m_hashIndex[h];
    if (m_hashKey[h] == 0) return -1;
  }
}

void CAdaptivePalette::Build(const CPicture& picture, int maxColours, bool withAlpha) {
  m_alpha = withAlpha;
  m_colours.clear();
  m_exact = true;
  m_hashKey.assign(kHashSlots, 0);
  m_hashIndex.assign(kHashSlots, 0);
  m_lut.clear();
  const int w = picture.Width(), h = picture.Height();
  std::vector<uint32_t> row(static_cast<size_t>(w));
  std::vector<uint32_t> count(32768, 0);
  std::vector<uint64_t> sum(32768 * 3, 0);
  for (int y = 0; y < h; ++y) {
    ImgRowToArgb(picture, y, row.data());
    uint32_t last = 0xFFFFFFFFu;
    for (int x = 0; x < w; ++x) {
      uint32_t c = row[x];
      if (withAlpha && (c >> 24) < 128) continue;
      c &= 0xFFFFFF;
      if (c == last) {
        ++count[Bin(c)];
        sum[Bin(c) * 3] += c >> 16;
        sum[Bin(c) * 3 + 1] += c >> 8 & 0xFF;
        sum[Bin(c) * 3 + 2] += c & 0xFF;
        continue;
      }
      last = c;
      unsigned b = Bin(c);
      ++count[b];
      sum[b * 3] += c >> 16;
      sum[b * 3 + 1] += c >> 8 & 0xFF;
      sum[b * 3 + 2] += c & 0xFF;
      if (m_exact && Find(c) < 0) {
        if (static_cast<int>(m_colours.size()) == maxColours) {
          m_exact = false;
        } else {
          unsigned hh = HashOf(c);
          while (m_hashKey[hh]) hh = (hh + 1) & (kHashSlots - 1);
          m_hashKey[hh] = c | 1u << 24;
          m_hashIndex[hh] = static_cast<uint8_t>(m_colours.size());
          m_colours.push_back(c);
        }
      }
    }
  }
  if (m_exact) {
    if (m_colours.empty()) m_colours.push_back(0);
    return;
  }
  // median cut: split the most populous box along its longest side
  std::vector<Box> boxes;
  boxes.push_back(Box{{0, 0, 0}, {31, 31, 31}, 0});
  auto stats = [&](Box& b) {
    // shrink to the occupied bins and count them
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    uint64_t n = 0;
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
      for (int g = b.lo[1]; g <= b.hi[1]; ++g)
        for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
          uint32_t k = count[r << 10 | g << 5 | bl];
          if (!k) continue;
          n += k;
          lo[0] = std::min(lo[0], r), hi[0] = std::max(hi[0], r);
          lo[1] = std::min(lo[1], g), hi[1] = std::max(hi[1], g);
          lo[2] = std::min(lo[2], bl), hi[2] = std::max(hi[2], bl);
        }
    b.count = n;
    if (n)
      for (int i = 0; i < 3; ++i) b.lo[i] = lo[i], b.hi[i] = hi[i];
  };
  stats(boxes[0]);
  while (static_cast<int>(boxes.size()) < maxColours) {
    int best = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      bool splittable = b.hi[0] > b.lo[0] || b.hi[1] > b.lo[1] || b.hi[2] > b.lo[2];
      if (splittable && (best < 0 || b.count > boxes[best].count)) best = static_cast<int>(i);
    }
    if (best < 0) break;
    Box b = boxes[best];
    int axis = 0;
    for (int i = 1; i < 3; ++i)
      if (b.hi[i] - b.lo[i] > b.hi[axis] - b.lo[axis]) axis = i;
    // the plane where half of the box's pixels lie below
    uint64_t half = b.count / 2, seen = 0;
    int cut = b.lo[axis];
    for (int v = b.lo[axis]; v < b.hi[axis]; ++v) {
      Box slab = b;
      slab.lo[axis] = slab.hi[axis] = v;
      for (int r = slab.lo[0]; r <= slab.hi[0]; ++r)
        for (int g = slab.lo[1]; g <= slab.hi[1]; ++g)
          for (int bl = slab.lo[2]; bl <= slab.hi[2]; ++bl) seen += count[r << 10 | g << 5 | bl];
      cut = v;
      if (seen >= half) break;
    }
    Box a = b, c = b;
    a.hi[axis] = cut;
    c.lo[axis] = cut + 1;
    stats(a);
    stats(c);
    boxes[best] = a;
    boxes.push_back(c);
  }
  m_colours.clear();
  for (const Box& b : boxes) {
    uint64_t n = 0, s[3] = {0, 0, 0};
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
      for (int g = b.lo[1]; g <= b.hi[1]; ++g)
        for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
          unsigned k = r << 10 | g << 5 | bl;
          n += count[k];
          for (int i = 0; i < 3; ++i) s[i] += sum[k * 3 + i];
        }
    if (!n) continue;
    m_colours.push_back(static_cast<uint32_t>((s[0] + n / 2) / n) << 16 | static_cast<uint32_t>((s[1] + n / 2) / n) << 8 |
                        static_cast<uint32_t>((s[2] + n / 2) / n));
  }
  m_lut.assign(32768, 0);
  for (unsigned k = 0; k < 32768; ++k) {
    if (!count[k]) continue;
    int r = static_cast<int>(sum[k * 3] / count[k]), g = static_cast<int>(sum[k * 3 + 1] / count[k]),
        bl = static_cast<int>(sum[k * 3 + 2] / count[k]);
    int best = 0, bestD = 1 << 30;
    for (size_t i = 0; i < m_colours.size(); ++i) {
      uint32_t p = m_colours[i];
      int dr = r - static_cast<int>(p >> 16), dg = g - static_cast<int>(p >> 8 & 0xFF), db = bl - static_cast<int>(p & 0xFF);
      int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
      if (d < bestD) bestD = d, best = static_cast<int>(i);
    }
    m_lut[k] = static_cast<uint8_t>(best);
  }
}

void CAdaptivePalette::MapRow(const uint32_t* argb, int count, uint8_t* out, uint8_t transparent) const {
  uint32_t last = 0xFFFFFFFFu;
  uint8_t lastIndex = 0;
  for (int x = 0; x < count; ++x) {
    uint32_t c = argb[x];
    if (m_alpha && (c >> 24) < 128) {
      out[x] = transparent;
      continue;
    }
    c &= 0xFFFFFF;
    if (c != last) {
      last = c;
      if (m_exact) {
        int i = Find(c);
        lastIndex = static_cast<uint8_t>(i < 0 ? 0 : i);
      } else {
        lastIndex = m_lut[Bin(c)];
      }
    }
    out[x] = lastIndex;
  }
}
