// CPicture: drawing, blending, rectangles and alpha.
//
// Alpha is straight (not premultiplied) wherever this file blends; FillRect
// stores 32-bit colours exactly as given, so callers that keep premultiplied
// pictures pass premultiplied words.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "image/picture.h"
#include "image/pixelfmt.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// x / 255 rounded, exact for 0..255*255
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

inline uint32_t Over(uint32_t s, uint32_t d) {
  uint32_t a = s >> 24, na = 255 - a;
  uint32_t r = Div255(((s >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * na);
  uint32_t g = Div255(((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * na);
  uint32_t b = Div255((s & 0xFF) * a + (d & 0xFF) * na);
  uint32_t oa = a + Div255((d >> 24) * na);
  return oa << 24 | r << 16 | g << 8 | b;
}

#if defined(__SSE2__)
// Four 32-bit pixels widened to 16 bits: s * a + d * (255 - a) rounded as
// Div255 does, (x + 128) * 257 >> 16. The source's alpha lane counts as 255
// so that the alpha comes out as a + da * (255 - a) / 255.
inline __m128i BlendHalf(__m128i s16, __m128i d16) {
  const __m128i alphaLane = _mm_set_epi16(0xFF, 0, 0, 0, 0xFF, 0, 0, 0);
  const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128), c257 = _mm_set1_epi16(257);
  __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
  __m128i na = _mm_sub_epi16(c255, a);
  s16 = _mm_or_si128(s16, alphaLane);
  __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s16, a), _mm_mullo_epi16(d16, na)), c128);
  return _mm_mulhi_epu16(x, c257);
}

inline void BlendQuad(__m128i sp, uint8_t* d) {
  const __m128i zero = _mm_setzero_si128();
  __m128i dp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  __m128i lo = BlendHalf(_mm_unpacklo_epi8(sp, zero), _mm_unpacklo_epi8(dp, zero));
  __m128i hi = BlendHalf(_mm_unpackhi_epi8(sp, zero), _mm_unpackhi_epi8(dp, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(lo, hi));
}

// Blends groups of eight 32-bit pixels (then one of four); returns how many
// pixels it did. Groups wholly transparent are skipped, wholly opaque copied.
int BlendRow8(const uint8_t* s, uint8_t* d, int w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  for (; i + 8 <= w; i += 8, s += 32, d += 32) {
    __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    __m128i a0 = _mm_and_si128(s0, alphaBits), a1 = _mm_and_si128(s1, alphaBits);
    int none = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(a0, a1), zero));
    if (none == 0xFFFF) continue;
    int all = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(a0, a1), alphaBits));
    if (all == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), s0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), s1);
      continue;
    }
    BlendQuad(s0, d);
    BlendQuad(s1, d + 16);
  }
  if (i + 4 <= w) {
    __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    BlendQuad(s0, d);
    i += 4;
  }
  return i;
}
#endif

// Source and target rectangles of a clipped copy.
struct Clip {
  int dx, dy, sx, sy, w, h;
};

bool ClipCopy(int dw, int dh, int sw, int sh, int x, int y, Clip& c) {
  int64_t dx0 = x, dy0 = y, sx0 = 0, sy0 = 0, w = sw, h = sh;
  if (dx0 < 0) sx0 = -dx0, w += dx0, dx0 = 0;
  if (dy0 < 0) sy0 = -dy0, h += dy0, dy0 = 0;
  if (dx0 + w > dw) w = dw - dx0;
  if (dy0 + h > dh) h = dh - dy0;
  if (w <= 0 || h <= 0) return false;
  c = {static_cast<int>(dx0), static_cast<int>(dy0), static_cast<int>(sx0), static_cast<int>(sy0),
       static_cast<int>(w), static_cast<int>(h)};
  return true;
}

bool ClipRect(int pw, int ph, int x, int y, int w, int h, int& x0, int& y0, int& x1, int& y1) {
  int64_t a = x, b = y, c = static_cast<int64_t>(x) + w, d = static_cast<int64_t>(y) + h;
  if (a < 0) a = 0;
  if (b < 0) b = 0;
  if (c > pw) c = pw;
  if (d > ph) d = ph;
  if (c <= a || d <= b) return false;
  x0 = static_cast<int>(a), y0 = static_cast<int>(b), x1 = static_cast<int>(c), y1 = static_cast<int>(d);
  return true;
}

}  // namespace

void CPicture::DrawPicture(const CPicture& src, int x, int y, uint32_t key) {
  if (IsEmpty() || src.IsEmpty()) return;
  if (&src == this) {
    CPicture copy;
    if (copy.CropFrom(src, 0, 0, src.Width(), src.Height())) DrawPicture(copy, x, y, key);
    return;
  }
  Clip c;
  if (!ClipCopy(m_width, m_height, src.Width(), src.Height(), x, y, c)) return;
  const int sb = src.Bits();
  const bool useKey = (key & kImgUseKey) != 0;
  const uint32_t keyRgb = key & 0xFFFFFF;

  if (!useKey && sb == m_bits && sb >= 8 &&
      (sb > 8 || std::memcmp(m_palette, src.m_palette, sizeof(m_palette)) == 0)) {
    const int bytes = sb / 8;
    for (int r = 0; r < c.h; ++r)
      std::memcpy(Row(c.dy + r) + c.dx * bytes, src.Row(c.sy + r) + c.sx * bytes,
                  static_cast<size_t>(c.w) * bytes);
    return;
  }
  // palette targets: map each source colour once
  std::vector<uint32_t> map;
  if (m_bits <= 8 && sb <= 8) {
    map.resize(256);
    for (int i = 0; i < 256; ++i) map[i] = ColorToPixel(src.m_palette[i]);
  }
  const uint32_t key16 = sb == 16 ? src.ColorToPixel(keyRgb) : 0;
  for (int r = 0; r < c.h; ++r) {
    const uint8_t* s = src.Row(c.sy + r);
    uint8_t* d = Row(c.dy + r);
    for (int i = 0; i < c.w; ++i) {
      uint32_t v = ImgReadPixel(s, c.sx + i, sb);
      if (useKey) {
        bool skip = sb <= 8 ? (src.m_palette[v & 0xFF] & 0xFFFFFF) == keyRgb
                            : sb == 16 ? v == key16 : (v & 0xFFFFFF) == keyRgb;
        if (skip) continue;
      }
      uint32_t out;
      if (m_bits > 8) {
        uint32_t col = src.PixelToColor(v);
        out = m_bits == 32 ? col : col & 0xFFFFFF;
      } else {
        out = sb <= 8 ? map[v & 0xFF] : ColorToPixel(v);
      }
      ImgWritePixel(d, c.dx + i, m_bits, out);
    }
  }
}

void CPicture::BlendPicture(const CPicture& src, int x, int y) {
  if (IsEmpty() || src.IsEmpty()) return;
  const int sb = src.Bits();
  if (sb != 32 && sb > 8) {
    DrawPicture(src, x, y, 0);  // nothing to blend with
    return;
  }
  if (&src == this) {
    CPicture copy;
    if (copy.CropFrom(src, 0, 0, src.Width(), src.Height())) BlendPicture(copy, x, y);
    return;
  }
  Clip c;
  if (!ClipCopy(m_width, m_height, src.Width(), src.Height(), x, y, c)) return;
  if (sb == 32 && m_bits == 32) {
    for (int r = 0; r < c.h; ++r) {
      const uint8_t* s = src.Row(c.sy + r) + 4 * static_cast<size_t>(c.sx);
      uint8_t* d = Row(c.dy + r) + 4 * static_cast<size_t>(c.dx);
      int i = 0;
#if defined(__SSE2__)
      i = BlendRow8(s, d, c.w);
      s += 4 * static_cast<size_t>(i), d += 4 * static_cast<size_t>(i);
#endif
      // red and blue in one word, green and alpha in another: the same
      // rounding as Div255 per channel, two lanes of 16 bits at a time
      for (; i < c.w; ++i, s += 4, d += 4) {
        uint32_t sp, dp;
        std::memcpy(&sp, s, 4);
        uint32_t a = sp >> 24;
        if (a == 0) continue;
        if (a == 255) {
          std::memcpy(d, s, 4);
          continue;
        }
        std::memcpy(&dp, d, 4);
        uint32_t na = 255 - a;
        uint32_t rb = (sp & 0xFF00FF) * a + (dp & 0xFF00FF) * na + 0x800080;
        rb = ((rb + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
        // green from both, alpha: a + da * (255 - a) / 255
        uint32_t ga = ((sp >> 8) & 0xFF) * a + ((dp >> 8) & 0xFF) * na + 0x800080 + (dp >> 24) * na * 0x10000;
        ga = ((ga + ((ga >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
        uint32_t out = rb | (ga & 0xFF) << 8 | ((ga >> 16) + a) << 24;
        std::memcpy(d, &out, 4);
      }
    }
    return;
  }
  if (sb == 32 && m_bits == 24) {
    for (int r = 0; r < c.h; ++r) {
      const uint8_t* s = src.Row(c.sy + r) + 4 * static_cast<size_t>(c.sx);
      uint8_t* d = Row(c.dy + r) + 3 * static_cast<size_t>(c.dx);
      for (int i = 0; i < c.w; ++i, s += 4, d += 3) {
        uint32_t a = s[3];
        if (a == 0) continue;
        if (a == 255) {
          d[0] = s[0], d[1] = s[1], d[2] = s[2];
          continue;
        }
        uint32_t na = 255 - a;
        d[0] = static_cast<uint8_t>(Div255(s[0] * a + d[0] * na));
        d[1] = static_cast<uint8_t>(Div255(s[1] * a + d[1] * na));
        d[2] = static_cast<uint8_t>(Div255(s[2] * a + d[2] * na));
      }
    }
    return;
  }
  for (int r = 0; r < c.h; ++r) {
    const uint8_t* s = src.Row(c.sy + r);
    uint8_t* d = Row(c.dy + r);
    for (int i = 0; i < c.w; ++i) {
      uint32_t sc = src.PixelToColor(ImgReadPixel(s, c.sx + i, sb));
      uint32_t a = sc >> 24;
      if (a == 0) continue;
      uint32_t dc = PixelToColor(ImgReadPixel(d, c.dx + i, m_bits));
      uint32_t o = a == 255 ? (0xFF000000u | sc) : Over(sc, dc);
      ImgWritePixel(d, c.dx + i, m_bits, m_bits == 32 ? o : m_bits > 8 ? (o & 0xFFFFFF) : ColorToPixel(o));
    }
  }
}

void CPicture::FillRect(int x, int y, int w, int h, uint32_t colour) {
  int x0, y0, x1, y1;
  if (IsEmpty() || !ClipRect(m_width, m_height, x, y, w, h, x0, y0, x1, y1)) return;
  uint32_t v = ColorToPixel(colour);
  for (int r = y0; r < y1; ++r) {
    uint8_t* d = Row(r);
    if (m_bits == 32) {
      for (int i = x0; i < x1; ++i) std::memcpy(d + 4 * i, &v, 4);  // little-endian ARGB
    } else if (m_bits == 8) {
      std::memset(d + x0, static_cast<int>(v), static_cast<size_t>(x1 - x0));
    } else {
      for (int i = x0; i < x1; ++i) ImgWritePixel(d, i, m_bits, v);
    }
  }
}

namespace {
int ClampInt(int64_t v) { return static_cast<int>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); }
}  // namespace

void CPicture::FrameRect(int x, int y, int w, int h, uint32_t colour) {
  if (w <= 0 || h <= 0) return;
  const int right = ClampInt(static_cast<int64_t>(x) + w - 1), bottom = ClampInt(static_cast<int64_t>(y) + h - 1);
  const int inner = ClampInt(static_cast<int64_t>(y) + 1);
  FillRect(x, y, w, 1, colour);
  if (h > 1) FillRect(x, bottom, w, 1, colour);
  if (h > 2) {
    FillRect(x, inner, 1, h - 2, colour);
    if (w > 1) FillRect(right, inner, 1, h - 2, colour);
  }
}

void CPicture::MoveRect(int x, int y, int w, int h, int dx, int dy) {
  int x0, y0, x1, y1;
  if (IsEmpty() || !ClipRect(m_width, m_height, x, y, w, h, x0, y0, x1, y1)) return;
  // the clipped source moved, clipped again, and back to its source
  const int64_t tx0 = std::max<int64_t>(0, static_cast<int64_t>(x0) + dx);
  const int64_t ty0 = std::max<int64_t>(0, static_cast<int64_t>(y0) + dy);
  const int64_t tx1 = std::min<int64_t>(m_width, static_cast<int64_t>(x1) + dx);
  const int64_t ty1 = std::min<int64_t>(m_height, static_cast<int64_t>(y1) + dy);
  if (tx1 <= tx0 || ty1 <= ty0) return;
  const int cw = static_cast<int>(tx1 - tx0), ch = static_cast<int>(ty1 - ty0);
  const int sx = static_cast<int>(tx0 - dx), sy = static_cast<int>(ty0 - dy);
  const int tx = static_cast<int>(tx0), ty = static_cast<int>(ty0);
  std::vector<uint32_t> tmp;
  for (int k = 0; k < ch; ++k) {
    int r = dy > 0 ? ch - 1 - k : k;  // rows in the order that keeps overlaps intact
    const uint8_t* s = Row(sy + r);
    uint8_t* d = Row(ty + r);
    if (m_bits >= 8) {
      size_t b = static_cast<size_t>(m_bits / 8);
      std::memmove(d + tx * b, s + sx * b, cw * b);
    } else {
      tmp.resize(cw);
      for (int i = 0; i < cw; ++i) tmp[i] = ImgReadPixel(s, sx + i, m_bits);
      for (int i = 0; i < cw; ++i) ImgWritePixel(d, tx + i, m_bits, tmp[i]);
    }
  }
}

int CPicture::GetAlphaUsage() const {
  if (IsEmpty()) return 0;
  bool zero = false, opaque = false, other = false;
  auto note = [&](uint32_t a) {
    if (a == 0)
      zero = true;
    else if (a == 255)
      opaque = true;
    else
      other = true;
  };
  if (m_bits == 32) {
    for (int y = 0; y < m_height && !other; ++y) {
      const uint8_t* r = Row(y);
      for (int x = 0; x < m_width; ++x) note(r[4 * x + 3]);
      if (zero && opaque) break;
    }
  } else if (m_bits <= 8) {
    bool used[256] = {};
    for (int y = 0; y < m_height; ++y)
      for (int x = 0; x < m_width; ++x) used[ImgReadPixel(Row(y), x, m_bits)] = true;
    for (int i = 0; i < 256; ++i)
      if (used[i]) note(m_palette[i] >> 24);
  } else {
    return 0;
  }
  if (other || (zero && opaque)) return 2;
  return opaque ? 1 : 0;
}

void CPicture::FlattenAlpha(uint32_t colour) {
  if (IsEmpty()) return;
  uint32_t back = 0xFF000000u | colour;
  if (m_bits == 32) {
    for (int y = 0; y < m_height; ++y) {
      uint8_t* r = Row(y);
      for (int x = 0; x < m_width; ++x) {
        uint32_t p = ImgReadPixel(r, x, 32);
        if ((p >> 24) != 255) ImgWritePixel(r, x, 32, Over(p, back));
      }
    }
  } else if (m_bits <= 8) {
    for (int i = 0; i < 256; ++i)
      if ((m_palette[i] >> 24) != 255) m_palette[i] = Over(m_palette[i], back);
    SyncPalette();
  }
}
