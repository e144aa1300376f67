// CPicture: depth conversion, scaling, cropping and pictures from masks.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <unordered_map>
#include <vector>

#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

uint32_t Luminance(uint32_t c) {
  uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return (r * 77 + g * 150 + b * 29 + 128) >> 8;
}

bool HasPaletteAlpha(const CPicture& p) {
  for (int i = 0; i < p.PaletteSize(); ++i)
    if ((p.Palette()[i] >> 24) != 0xFF) return true;
  return false;
}

}  // namespace

bool CPicture::ConvertFrom(const CPicture& src, int bits) {
  try {
    return ConvertInto(src, bits);
  } catch (const std::exception&) {  // the colour tables of a palette conversion
    return false;
  }
}

bool CPicture::ConvertInto(const CPicture& src, int bits) {
  if (src.IsEmpty() || ImgRowBytes(bits, 1) == 0) return false;
  const int w = src.Width(), h = src.Height();
  CPicture out;
  if (!out.Allocate(bits, w, h, m_storage)) return false;
  out.m_colorKey = src.m_colorKey;

  if (bits > 8) {
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = src.Row(y);
      uint8_t* d = out.Row(y);
      if (src.Bits() == 24 && bits == 32) {
        for (int x = 0; x < w; ++x) {
          d[4 * x] = s[3 * x];
          d[4 * x + 1] = s[3 * x + 1];
          d[4 * x + 2] = s[3 * x + 2];
          d[4 * x + 3] = 0xFF;
        }
        continue;
      }
      for (int x = 0; x < w; ++x) {
        uint32_t c = src.PixelToColor(ImgReadPixel(s, x, src.Bits()));
        ImgWritePixel(d, x, bits, bits == 32 ? c : c & 0xFFFFFF);
      }
    }
  } else {
    const int n = 1 << bits;
    bool done = false;
    if (src.Bits() <= 8) {
      // indices that all fit keep their palette
      int maxIndex = 0;
      for (int y = 0; y < h && maxIndex < n; ++y)
        for (int x = 0; x < w; ++x) {
          int v = static_cast<int>(ImgReadPixel(src.Row(y), x, src.Bits()));
          if (v > maxIndex) maxIndex = v;
        }
      if (maxIndex < n) {
        out.SetPalette(src.Palette(), n);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) ImgWritePixel(out.Row(y), x, bits, ImgReadPixel(src.Row(y), x, src.Bits()));
        done = true;
      }
    }
    if (!done) {
      // exact palette when the picture has few enough colours
      std::unordered_map<uint32_t, uint32_t> index;
      std::vector<uint32_t> pal;
      for (int y = 0; y < h && pal.size() <= static_cast<size_t>(n); ++y)
        for (int x = 0; x < w; ++x) {
          uint32_t c = src.GetColor(x, y);
          if (index.find(c) == index.end()) {
            index.emplace(c, static_cast<uint32_t>(pal.size()));
            pal.push_back(c);
            if (pal.size() > static_cast<size_t>(n)) break;
          }
        }
      if (pal.size() <= static_cast<size_t>(n)) {
        std::vector<uint32_t> full(n, 0xFF000000u);
        std::memcpy(full.data(), pal.data(), pal.size() * 4);
        out.SetPalette(full.data(), n);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) ImgWritePixel(out.Row(y), x, bits, index[src.GetColor(x, y)]);
      } else if (bits == 8) {
        // colour cube 6 x 7 x 6 and four greys
        uint32_t cube[256];
        int k = 0;
        for (int r = 0; r < 6; ++r)
          for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
              cube[k++] = 0xFF000000u | static_cast<uint32_t>(r * 51) << 16 |
                          static_cast<uint32_t>(g * 255 / 6) << 8 | static_cast<uint32_t>(b * 51);
        for (int i = 0; k < 256; ++i, ++k) {
          uint32_t v = static_cast<uint32_t>(32 + i * 64);
          cube[k] = 0xFF000000u | v << 16 | v << 8 | v;
        }
        out.SetPalette(cube, 256);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            uint32_t c = src.GetColor(x, y);
            int r = (((c >> 16) & 0xFF) * 5 + 127) / 255, g = (((c >> 8) & 0xFF) * 6 + 127) / 255,
                b = ((c & 0xFF) * 5 + 127) / 255;
            ImgWritePixel(out.Row(y), x, 8, static_cast<uint32_t>((r * 7 + g) * 6 + b));
          }
      } else {
        // too few entries for colour: grey by luminance
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            uint32_t l = Luminance(src.GetColor(x, y));
            ImgWritePixel(out.Row(y), x, bits, (l * (n - 1) + 127) / 255);
          }
      }
    }
  }
  TakePixels(out);
  m_colorKey = out.m_colorKey;
  return true;
}

bool CPicture::CropFrom(const CPicture& src, int x, int y, int w, int h) {
  if (src.IsEmpty() || w <= 0 || h <= 0) return false;
  int64_t x0 = x, y0 = y, x1 = static_cast<int64_t>(x) + w, y1 = static_cast<int64_t>(y) + h;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > src.Width()) x1 = src.Width();
  if (y1 > src.Height()) y1 = src.Height();
  if (x1 <= x0 || y1 <= y0) return false;
  int cw = static_cast<int>(x1 - x0), ch = static_cast<int>(y1 - y0);
  CPicture out;
  if (!out.Allocate(src.Bits(), cw, ch, m_storage)) return false;
  out.SetPalette(src.Palette(), 256);
  int bpp = src.Bits();
  for (int r = 0; r < ch; ++r) {
    const uint8_t* s = src.Row(static_cast<int>(y0) + r);
    uint8_t* d = out.Row(r);
    if (bpp >= 8)
      std::memcpy(d, s + x0 * (bpp / 8), static_cast<size_t>(cw) * (bpp / 8));
    else
      for (int c = 0; c < cw; ++c) ImgWritePixel(d, c, bpp, ImgReadPixel(s, static_cast<int>(x0) + c, bpp));
  }
  TakePixels(out);
  m_colorKey = src.m_colorKey;
  return true;
}

namespace {

// Contributions of source samples to one target sample along one axis.
struct Tap {
  int first, count;
  std::vector<float> weights;
};

std::vector<Tap> MakeTaps(int srcN, int dstN) {
  std::vector<Tap> taps(dstN);
  double scale = static_cast<double>(srcN) / dstN;
  for (int i = 0; i < dstN; ++i) {
    Tap& t = taps[i];
    if (scale > 1.0) {
      // area average over the target sample's footprint
      double a = i * scale, b = (i + 1) * scale;
      int s0 = static_cast<int>(a), s1 = static_cast<int>(std::ceil(b));
      if (s1 > srcN) s1 = srcN;
      t.first = s0;
      for (int s = s0; s < s1; ++s) {
        double lo = s < a ? a : s, hi = s + 1 > b ? b : s + 1;
        t.weights.push_back(static_cast<float>((hi - lo) / scale));
      }
    } else {
      // bilinear between the two nearest source samples
      double c = (i + 0.5) * scale - 0.5;
      if (c < 0) c = 0;
      int s0 = static_cast<int>(c);
      if (s0 >= srcN - 1) {
        t.first = srcN - 1;
        t.weights.push_back(1.0f);
      } else {
        float f = static_cast<float>(c - s0);
        t.first = s0;
        t.weights.push_back(1.0f - f);
        t.weights.push_back(f);
      }
    }
    t.count = static_cast<int>(t.weights.size());
  }
  return taps;
}

}  // namespace

bool CPicture::ScaleFrom(const CPicture& src, int width, int height, unsigned flags) {
  try {
    return ScaleInto(src, width, height, flags);
  } catch (const std::exception&) {  // the smooth filter's work rows
    return false;
  }
}

bool CPicture::ScaleInto(const CPicture& src, int width, int height, unsigned flags) {
  if (src.IsEmpty() || width <= 0 || height <= 0) return false;
  const int sw = src.Width(), sh = src.Height();
  CPicture out;
  if (!(flags & kImgScaleSmooth)) {
    if (!out.Allocate(src.Bits(), width, height, m_storage)) return false;
    out.SetPalette(src.Palette(), 256);
    std::vector<int> xs(width);
    for (int x = 0; x < width; ++x) xs[x] = static_cast<int>((2 * static_cast<int64_t>(x) + 1) * sw / (2 * static_cast<int64_t>(width)));
    for (int y = 0; y < height; ++y) {
      int sy = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * sh / (2 * static_cast<int64_t>(height)));
      const uint8_t* s = src.Row(sy);
      uint8_t* d = out.Row(y);
      int b = src.Bits();
      if (b == 32)
        for (int x = 0; x < width; ++x) std::memcpy(d + 4 * x, s + 4 * xs[x], 4);
      else
        for (int x = 0; x < width; ++x) ImgWritePixel(d, x, b, ImgReadPixel(s, xs[x], b));
    }
  } else {
    bool alpha = src.Bits() == 32 || (src.Bits() <= 8 && HasPaletteAlpha(src));
    if (!out.Allocate(alpha ? 32 : 24, width, height, m_storage)) return false;
    // one float row per source row at the target width: refuse what cannot be held
    const uint64_t cells = static_cast<uint64_t>(sh) * static_cast<uint64_t>(width) * 4u;
    if (cells > SIZE_MAX / sizeof(float) / 2 || cells > (uint64_t(1) << 31)) return false;
    std::vector<Tap> tx = MakeTaps(sw, width), ty = MakeTaps(sh, height);
    // horizontal pass into premultiplied floats, then vertical
    std::vector<float> mid(static_cast<size_t>(sh) * width * 4);
    std::vector<float> line(static_cast<size_t>(sw) * 4);
    for (int y = 0; y < sh; ++y) {
      for (int x = 0; x < sw; ++x) {
        uint32_t c = src.GetColor(x, y);
        float a = static_cast<float>(c >> 24) / 255.0f;
        line[4 * x] = static_cast<float>((c >> 16) & 0xFF) * a;
        line[4 * x + 1] = static_cast<float>((c >> 8) & 0xFF) * a;
        line[4 * x + 2] = static_cast<float>(c & 0xFF) * a;
        line[4 * x + 3] = a;
      }
      float* m = &mid[static_cast<size_t>(y) * width * 4];
      for (int x = 0; x < width; ++x) {
        const Tap& t = tx[x];
        float acc[4] = {0, 0, 0, 0};
        for (int k = 0; k < t.count; ++k)
          for (int c = 0; c < 4; ++c) acc[c] += line[4 * (t.first + k) + c] * t.weights[k];
        for (int c = 0; c < 4; ++c) m[4 * x + c] = acc[c];
      }
    }
    for (int y = 0; y < height; ++y) {
      const Tap& t = ty[y];
      uint8_t* d = out.Row(y);
      for (int x = 0; x < width; ++x) {
        float acc[4] = {0, 0, 0, 0};
        for (int k = 0; k < t.count; ++k) {
          const float* m = &mid[(static_cast<size_t>(t.first + k) * width + x) * 4];
          for (int c = 0; c < 4; ++c) acc[c] += m[c] * t.weights[k];
        }
        uint32_t rgb = 0, a8 = 255;
        if (acc[3] > 0.0f) {
          uint32_t ch[3];
          for (int c = 0; c < 3; ++c) {
            float v = acc[c] / acc[3] + 0.5f;
            ch[c] = v >= 255.0f ? 255u : static_cast<uint32_t>(v);
          }
          rgb = ch[0] << 16 | ch[1] << 8 | ch[2];
          float av = acc[3] * 255.0f + 0.5f;
          a8 = av >= 255.0f ? 255u : static_cast<uint32_t>(av);
        } else {
          a8 = 0;
        }
        ImgWritePixel(d, x, out.Bits(), alpha ? (a8 << 24 | rgb) : rgb);
      }
    }
  }
  TakePixels(out);
  m_colorKey = src.m_colorKey;
  return true;
}

bool CPicture::CreateFromMask(const CPicture& mask, uint32_t colour, unsigned flags) {
  if (mask.IsEmpty()) return false;
  CPicture out;
  if (!out.Allocate(32, mask.Width(), mask.Height(), m_storage)) return false;
  for (int y = 0; y < mask.Height(); ++y) {
    uint8_t* d = out.Row(y);
    for (int x = 0; x < mask.Width(); ++x) {
      uint32_t c = mask.GetColor(x, y);
      uint32_t a = (flags & kImgMaskFromGrey) ? Luminance(c) : c >> 24;
      uint32_t rgb = colour == kImgNoColorKey ? c & 0xFFFFFF : colour & 0xFFFFFF;
      ImgWritePixel(d, x, 32, a << 24 | rgb);
    }
  }
  TakePixels(out);
  m_colorKey = kImgNoColorKey;
  return true;
}
