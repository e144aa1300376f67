// Tile post-processing on pictures.
#include "map/tilefx.h"

#include <cstring>
#include <vector>

#include "image/picture.h"
#include "image/pixelfmt.h"

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
  if (pic.Bits() != 32 && !TileConvertDepth(pic, 32)) return false;
  // alpha by the squared distance to the nearest listed colour: the whole
  // distance d (floor of the root) gives 0 below 3, 127 from 11, else (d-3)*16
  uint8_t bySq[121];
  for (int sq = 0, d = 0; sq < 121; ++sq) {
    while ((d + 1) * (d + 1) <= sq) ++d;
    bySq[sq] = static_cast<uint8_t>(d < 3 ? 0 : (d - 3) * 16);
  }
  uint32_t lastColour = 0xFFFFFFFFu, lastAlpha = 0;
  for (int y = 0; y < pic.Height(); ++y) {
    uint8_t* r = pic.Row(y);
    for (int x = 0; x < pic.Width(); ++x) {
      uint32_t rgb = Read32(r, x) & 0xFFFFFF;
      if (rgb != lastColour) {  // tiles come in runs of one colour
        int sq = ColourSq(rgb, words[0]);
        for (int i = 1; i < count && sq >= 9; ++i) {
          int e = ColourSq(rgb, words[i]);
          if (e < sq) sq = e;
        }
        lastColour = rgb;
        lastAlpha = sq >= 121 ? 127u : bySq[sq];
      }
      r[4 * x + 3] = static_cast<uint8_t>(lastAlpha);
    }
  }
  return true;
}

void TileSoftenEdges(CPicture& pic) {
  if (pic.IsEmpty() || pic.Bits() != 32) return;
  const int w = pic.Width(), h = pic.Height();
  // Both steps work in place in row order: a pixel made opaque counts for
  // the pixels after it, and a pixel between two opaque ones is doubled by
  // each of them.
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pic.Row(y);
    const uint8_t* up = y > 0 ? pic.Row(y - 1) : nullptr;
    const uint8_t* down = y + 1 < h ? pic.Row(y + 1) : nullptr;
    for (int x = 0; x < w; ++x) {
      if (row[4 * x + 3] == 0) continue;
      uint32_t c = Read32(row, x);
      // four distances of at most 124 sum to less than 500: only a squared
      // distance of 125 * 125 or more needs the roots
      uint32_t nb[4];
      int n = 0;
      if (x > 0 && row[4 * x - 1] > 0x1F) nb[n++] = Read32(row, x - 1);
      if (x + 1 < w && row[4 * x + 7] > 0x1F) nb[n++] = Read32(row, x + 1);
      if (up && up[4 * x + 3] > 0x1F) nb[n++] = Read32(up, x);
      if (down && down[4 * x + 3] > 0x1F) nb[n++] = Read32(down, x);
      bool strong = false;
      for (int k = 0; k < n; ++k) strong |= ColourSq(c, nb[k]) >= 125 * 125;
      if (!strong) continue;
      int sum = 0;
      for (int k = 0; k < n; ++k) sum += ImgColorDistance(c, nb[k]);
      if (sum >= 500) row[4 * x + 3] = 255;
    }
  }
  auto twice = [](uint8_t& q) {
    if (q >= 0x10 && q <= 0x80) q = static_cast<uint8_t>(q == 0x80 ? 255 : q * 2);  // 0x80 doubles to 255, not 0
  };
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pic.Row(y);
    uint8_t* up = y > 0 ? pic.Row(y - 1) : nullptr;
    uint8_t* down = y + 1 < h ? pic.Row(y + 1) : nullptr;
    for (int x = 0; x < w; ++x) {
      if (row[4 * x + 3] != 255) continue;
      // left, right, above, below: the order the doubling has always had
      if (x > 0) twice(row[4 * x - 1]);
      if (x + 1 < w) twice(row[4 * x + 7]);
      if (up) twice(up[4 * x + 3]);
      if (down) twice(down[4 * x + 3]);
    }
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
