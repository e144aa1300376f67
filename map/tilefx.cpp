// Tile post-processing on pictures.
#include "map/tilefx.h"

#include <cstring>
#include <vector>

#include "image/picture.h"
#include "image/pixelfmt.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline uint32_t Read32(const uint8_t* row, int x) { return ImgReadPixel(row, x, 32); }
inline void Write32(uint8_t* row, int x, uint32_t v) { ImgWritePixel(row, x, 32, v); }

// Squared RGB distance; ImgColorDistance is the floor of its root.
inline int ColourSq(uint32_t a, uint32_t b) {
  int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
  int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
  int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
  return dr * dr + dg * dg + db * db;
}

#if defined(__SSE2__)
inline __m128i Load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
// Bit k of the result (k = 0..3): pixel k's alpha equals a.
inline int AlphaIs(__m128i px, int a) {
  return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_srli_epi32(px, 24), _mm_set1_epi32(a))));
}

// Whether no pixel of the four at p may change in the softening's first
// step: each is transparent, or every neighbour counted (alpha above 0x1F)
// has its colour.
inline bool Calm4(const uint32_t* p, const uint32_t* up, const uint32_t* down) {
  const __m128i rgb = _mm_set1_epi32(0xFFFFFF), limit = _mm_set1_epi32(0x1F), zero = _mm_setzero_si128();
  __m128i c = Load4(p), cc = _mm_and_si128(c, rgb);
  __m128i bad = zero;
  const __m128i n[4] = {Load4(p - 1), Load4(p + 1), Load4(up), Load4(down)};
  for (const __m128i& q : n) {
    __m128i counted = _mm_cmpgt_epi32(_mm_srli_epi32(q, 24), limit);
    __m128i same = _mm_cmpeq_epi32(_mm_and_si128(q, rgb), cc);
    bad = _mm_or_si128(bad, _mm_andnot_si128(same, counted));
  }
  __m128i active = _mm_xor_si128(_mm_cmpeq_epi32(_mm_srli_epi32(c, 24), zero), _mm_set1_epi32(-1));
  return _mm_movemask_epi8(_mm_and_si128(bad, active)) == 0;
}
#endif

}  // namespace

int TileConvertDepth(CPicture& pic, int bits) {
  if (pic.IsEmpty() || pic.Width() <= 0 || pic.Height() <= 0) return 0;
  if (pic.Bits() == bits) return 1;
  CPicture tmp;
  if (!tmp.ConvertFrom(pic, bits)) return 0;
  pic.SwapPixels(tmp);
  return 1;
}

bool TileApplyGray(CPicture& pic, uint32_t value) {
  if (pic.IsEmpty()) return false;
  const uint32_t c = value & 0xFFFFFF;
  bool converted = false;
  if (pic.Bits() > 8 && pic.Bits() < 32) {
    if (!TileConvertDepth(pic, 32)) return false;
    converted = true;
  }
  if (pic.Bits() != 32) {
    uint32_t pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = c | (pic.Palette()[i] & 0xFF) << 24;
    pic.SetPalette(pal, 256);
    return true;
  }
  const bool keepAlpha = !converted && pic.GetAlphaUsage() >= 1;
  for (int y = 0; y < pic.Height(); ++y) {
    uint8_t* r = pic.Row(y);
    for (int x = 0; x < pic.Width(); ++x) {
      uint32_t p = Read32(r, x);
      Write32(r, x, keepAlpha ? (p & 0xFF000000u) | c : c | (p & 0xFF) << 24);
    }
  }
  return true;
}

bool TileApplyTrans(CPicture& pic, uint32_t value, int t) {
  if (pic.IsEmpty()) return false;
  const uint32_t c = value & 0xFFFFFF;
  pic.m_colorKey = c;
  if (t < 1) return true;
  const int bits = pic.Bits();
  if (bits == 32) {
    for (int y = 0; y < pic.Height(); ++y) {
      uint8_t* r = pic.Row(y);
      for (int x = 0; x < pic.Width(); ++x) {
        uint32_t p = Read32(r, x);
        int d = ImgColorDistance(p, c);
        if (d <= t)
          Write32(r, x, c | (d * 3 / 2 > t ? 0x80000000u : 0u));
        else
          Write32(r, x, p | 0xFF000000u);
      }
    }
  } else if (bits > 8) {
    const uint32_t key = pic.ColorToPixel(c);
    for (int y = 0; y < pic.Height(); ++y)
      for (int x = 0; x < pic.Width(); ++x) {
        int d = ImgColorDistance(pic.GetPixel(x, y), c);
        if (d >= 1 && d <= t) pic.SetPixel(x, y, key);
      }
  } else {
    // palette: entries near the key become the key (drawn transparent under
    // the colour key) with alpha 0 (transparent when blended)
    uint32_t pal[256];
    std::memcpy(pal, pic.Palette(), sizeof(pal));
    for (int i = 0; i < 256; ++i)
      if (ImgColorDistance(pal[i], c) <= t) pal[i] = c;
    pic.SetPalette(pal, 256);
  }
  return true;
}

bool TileApplyColorList(CPicture& pic, const uint32_t* words, int count) {
  if (pic.IsEmpty()) return false;
  if (!words || count <= 0) return true;
  // a 24-bit picture (what most tiles decode to) is widened in the same pass
  CPicture wide;
  const bool from24 = pic.Bits() == 24;
  if (from24) {
    if (!wide.Create(32, pic.Width(), pic.Height(), 0)) return false;
  } else if (pic.Bits() != 32 && !TileConvertDepth(pic, 32)) {
    return false;
  }
  // alpha by the squared distance to the nearest listed colour: the whole
  // distance d (floor of the root) gives 0 below 3, 127 from 11, else (d-3)*16
  uint8_t bySq[121];
  for (int sq = 0, d = 0; sq < 121; ++sq) {
    while ((d + 1) * (d + 1) <= sq) ++d;
    bySq[sq] = static_cast<uint8_t>(d < 3 ? 0 : (d - 3) * 16);
  }
  uint32_t lastColour = 0xFFFFFFFFu, lastAlpha = 0;
  auto alphaOf = [&](uint32_t rgb) {
    if (rgb != lastColour) {  // tiles come in runs of one colour
      int sq = ColourSq(rgb, words[0]);
      for (int i = 1; i < count && sq >= 9; ++i) {
        int e = ColourSq(rgb, words[i]);
        if (e < sq) sq = e;
      }
      lastColour = rgb;
      lastAlpha = (sq >= 121 ? 127u : bySq[sq]) << 24;
    }
    return lastAlpha;
  };
  const int w = pic.Width();
  for (int y = 0; y < pic.Height(); ++y) {
    if (from24) {
      const uint8_t* s = pic.Row(y);
      uint32_t* d = reinterpret_cast<uint32_t*>(wide.Row(y));
      for (int x = 0; x < w; ++x, s += 3) {
        uint32_t rgb = static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 | static_cast<uint32_t>(s[2]) << 16;
        d[x] = rgb | alphaOf(rgb);
      }
      continue;
    }
    uint32_t* r = reinterpret_cast<uint32_t*>(pic.Row(y));
    int x = 0;
#if defined(__SSE2__)
    // groups of four in the run of the last colour take its alpha at once
    const __m128i rgbMask = _mm_set1_epi32(0xFFFFFF);
    for (; x + 4 <= w; x += 4) {
      __m128i px = _mm_and_si128(Load4(r + x), rgbMask);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(px, _mm_set1_epi32(static_cast<int>(lastColour)))) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r + x), _mm_or_si128(px, _mm_set1_epi32(static_cast<int>(lastAlpha))));
        continue;
      }
      for (int k = 0; k < 4; ++k) {
        uint32_t rgb = r[x + k] & 0xFFFFFF;
        r[x + k] = rgb | alphaOf(rgb);
      }
    }
#endif
    for (; x < w; ++x) {
      uint32_t rgb = r[x] & 0xFFFFFF;
      r[x] = rgb | alphaOf(rgb);
    }
  }
  if (from24) pic.SwapPixels(wide);
  return true;
}

namespace {

// Step 1 on one row: a pixel whose colour differs from those of its
// counted neighbours (alpha above 0x1F) by 500 in sum becomes opaque.
void SoftenRow(uint32_t* row, const uint32_t* up, const uint32_t* down, int w) {
  for (int x = 0; x < w; ++x) {
#if defined(__SSE2__)
    // Four pixels none of which is transparent-free with a counted
    // neighbour of another colour stay as they are (a pixel changes only
    // itself, so the neighbours read here are those the rule reads).
    if ((x & 3) == 0 && x > 0 && x + 5 <= w && up && down && Calm4(row + x, up + x, down + x)) {
      x += 3;
      continue;
    }
#endif
    const uint32_t c = row[x];
    if (!(c >> 24)) continue;
    // four distances of at most 124 sum to less than 500: only a squared
    // distance of 125 * 125 or more needs the roots
    uint32_t nb[4];
    int n = 0;
    if (x > 0 && (row[x - 1] >> 24) > 0x1F) nb[n++] = row[x - 1];
    if (x + 1 < w && (row[x + 1] >> 24) > 0x1F) nb[n++] = row[x + 1];
    if (up && (up[x] >> 24) > 0x1F) nb[n++] = up[x];
    if (down && (down[x] >> 24) > 0x1F) nb[n++] = down[x];
    bool strong = false;
    for (int k = 0; k < n; ++k) strong |= ColourSq(c, nb[k]) >= 125 * 125;
    if (!strong) continue;
    int sum = 0;
    for (int k = 0; k < n; ++k) sum += ImgColorDistance(c, nb[k]);
    if (sum >= 500) row[x] = c | 0xFF000000u;
  }
}

// 0x10..0x80 doubled (0x80 to 255, not 0).
inline void Twice(uint32_t& p) {
  uint32_t a = p >> 24;
  if (a >= 0x10 && a <= 0x80) p = (p & 0xFFFFFF) | (a == 0x80 ? 255u : a * 2) << 24;
}

// Step 2 on one row: the neighbours of its opaque pixels, left, right,
// above, below (the order the doubling has always had).
void DoubleRow(uint32_t* row, uint32_t* up, uint32_t* down, int w) {
  for (int x = 0; x < w; ++x) {
#if defined(__SSE2__)
    // no opaque pixel among the next four (read after the doubling to their
    // left, which may have made one opaque)
    if ((x & 3) == 0 && x + 4 <= w && AlphaIs(Load4(row + x), 255) == 0) {
      x += 3;
      continue;
    }
#endif
    if ((row[x] >> 24) != 255) continue;
    if (x > 0) Twice(row[x - 1]);
    if (x + 1 < w) Twice(row[x + 1]);
    if (up) Twice(up[x]);
    if (down) Twice(down[x]);
  }
}

}  // namespace

void TileSoftenEdges(CPicture& pic) {
  if (pic.IsEmpty() || pic.Bits() != 32) return;
  const int w = pic.Width(), h = pic.Height();
  auto row = [&](int y) { return y >= 0 && y < h ? reinterpret_cast<uint32_t*>(pic.Row(y)) : nullptr; };
  // Both steps work in place in row order: a pixel made opaque counts for
  // the pixels after it, and a pixel between two opaque ones is doubled by
  // each of them. One pass over the rows: step 2 follows two rows behind
  // step 1, so it sees every row it touches finished by step 1, and step 1
  // never sees a row step 2 has touched.
  for (int y = 0; y < h + 2; ++y) {
    if (y < h) SoftenRow(row(y), row(y - 1), row(y + 1), w);
    if (y >= 2) DoubleRow(row(y - 2), row(y - 3), row(y - 1), w);
  }
}

void TileApplyAlpha(CPicture& pic, int32_t scale, int32_t offset) {
  if (pic.IsEmpty()) return;
  // offset and scale come from the registry: any 32-bit value, so 64 bits
  uint8_t lut[256];
  for (int i = 0; i < 256; ++i) {
    int64_t v = (static_cast<int64_t>(i) + offset) * scale / 256;
    lut[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  }
  if (pic.Bits() == 32) {
    for (int y = 0; y < pic.Height(); ++y) {
      uint8_t* r = pic.Row(y);
      for (int x = 0; x < pic.Width(); ++x) r[4 * x + 3] = lut[r[4 * x + 3]];
    }
  } else if (pic.Bits() <= 8) {
    uint32_t pal[256];
    for (int i = 0; i < 256; ++i) {
      uint32_t e = pic.Palette()[i];
      pal[i] = (e & 0xFFFFFF) | static_cast<uint32_t>(lut[e >> 24]) << 24;
    }
    pic.SetPalette(pal, 256);
  }
}

bool TilePostProcess(CPicture& pic, int source, const uint32_t* options, int optionCount,
                     int32_t alphaOffset, int32_t alphaScale) {
  if (pic.IsEmpty()) return false;
  if (source == 0) {
    if (pic.GetAlphaUsage() == 2) pic.FlattenAlpha(0xFFFFFF);
    return true;
  }
  if (optionCount > 8) optionCount = 8;
  if (options && optionCount > 0) {
    if (options[0] == kTileOptGray) {
      if (optionCount >= 2) {
        if (!TileApplyGray(pic, options[1])) return false;
        pic.m_colorKey = kTileKeyOwnAlpha;
      }
    } else if (options[0] == kTileOptTrans) {
      if (optionCount >= 2) {
        if (alphaScale != 0 && pic.Bits() > 8 && pic.Bits() < 32 && !TileConvertDepth(pic, 32)) return false;
        if (!TileApplyTrans(pic, options[1], static_cast<int>(options[1] >> 24))) return false;
      }
    } else if (!TileApplyColorList(pic, options, optionCount)) {
      return false;
    }
    if (alphaOffset == 1 && alphaScale == 0) TileSoftenEdges(pic);
  }
  if (alphaScale != 0) {
    // a picture without alpha (16 or 24 bits) gets it, or it would be drawn
    // opaque with the mark taken for a colour key
    if (pic.Bits() > 8 && pic.Bits() < 32 && !TileConvertDepth(pic, 32)) return false;
    TileApplyAlpha(pic, alphaScale, alphaOffset);
    pic.m_colorKey = kTileKeyOwnAlpha;
  }
  // a palette with transparent entries (PNG's tRNS, as png8 renderers write
  // layers) is blended like any picture with alpha, at 32 bits for the
  // blend's fast path; tiles are PNG or JPEG, so all entries at alpha 0 is
  // an empty tile, not a palette without alpha
  if (pic.Bits() <= 8 && pic.m_colorKey == kImgNoColorKey && pic.GetAlphaUsage() != 1 && !TileConvertDepth(pic, 32))
    return false;
  return true;
}

void TileDraw(CPicture* dst, const CPicture& pic, int L, int x, int y) {
  bool ownAlpha = pic.Bits() == 32 || (pic.Bits() <= 8 && pic.m_colorKey == kTileKeyOwnAlpha);
  if (L == 0)
    dst->DrawPicture(pic, x, y, 0);
  else if (ownAlpha)
    dst->BlendPicture(pic, x, y);
  else if (pic.m_colorKey != kImgNoColorKey)
    dst->DrawPicture(pic, x, y, (pic.m_colorKey & 0xFFFFFF) | kImgUseKey);
  else
    dst->DrawPicture(pic, x, y, 0);
}
