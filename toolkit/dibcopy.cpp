#include "toolkit/dibcopy.h"

#include <stdint.h>
#include <string.h>

HDIB DibConvert(HDC refDC, const void* packed, int flags, SIZE* size) {
  if (size) size->cx = size->cy = 0;
  const BITMAPINFOHEADER* h = static_cast<const BITMAPINFOHEADER*>(packed);
  if (!h || h->biSize < sizeof(BITMAPINFOHEADER) || h->biWidth <= 0 || h->biHeight == 0 || h->biPlanes != 1) return nullptr;
  int depth = h->biBitCount;
  if ((depth != 8 && depth != 24 && depth != 32) || (h->biCompression != BI_RGB && h->biCompression != BI_BITFIELDS))
    return nullptr;
  int w = h->biWidth, hh = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  bool bottomUp = h->biHeight > 0;
  int colours = depth == 8 ? (h->biClrUsed ? static_cast<int>(h->biClrUsed) : 256) : 0;
  if (colours > 256) return nullptr;
  const uint8_t* base = reinterpret_cast<const uint8_t*>(h) + h->biSize;
  const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(base);
  if (h->biCompression == BI_BITFIELDS) base += 12;
  const uint8_t* pixels = base + colours * sizeof(RGBQUAD);
  size_t stride = ((static_cast<size_t>(w) * depth + 31) / 32) * 4;
  uint32_t* out = nullptr;
  HDIB dib = DibCreate(refDC, w, hh, 32, reinterpret_cast<void**>(&out));
  if (!dib) return nullptr;
  GdiFlush();
  for (int y = 0; y < hh; y++) {
    const uint8_t* row = pixels + stride * static_cast<size_t>(bottomUp ? hh - 1 - y : y);
    uint32_t* o = out + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; x++) {
      uint32_t b, g, r, a;
      if (depth == 32) {
        b = row[x * 4], g = row[x * 4 + 1], r = row[x * 4 + 2], a = row[x * 4 + 3];
      } else if (depth == 24) {
        b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2], a = 255;
      } else {
        const RGBQUAD& q = palette[row[x] < colours ? row[x] : 0];
        b = q.rgbBlue, g = q.rgbGreen, r = q.rgbRed, a = 255;
      }
      if (!(flags & DIB_CONVERT_STRAIGHT) && a != 255) {
        b = b * a / 255, g = g * a / 255, r = r * a / 255;
      }
      o[x] = b | (g << 8) | (r << 16) | (a << 24);
    }
  }
  if (size) size->cx = w, size->cy = hh;
  return dib;
}

int DibStretchCopy(HDIB target, void* targetPixels, HDIB source, const void* sourcePixels, int sx, int sy, int sw,
                   int sh, int tx, int ty, int tw, int th) {
  if (!target || !source || DibGetDepth(target) != 32 || DibGetDepth(source) != 32) return 0;
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return 1;
  uint32_t* t = static_cast<uint32_t*>(targetPixels ? targetPixels : DibGetBits(target));
  const uint32_t* s = static_cast<const uint32_t*>(sourcePixels ? sourcePixels : DibGetBits(source));
  int TW = DibGetWidth(target), TH = DibGetHeight(target), SW = DibGetWidth(source), SH = DibGetHeight(source);
  GdiFlush();
  for (int y = 0; y < th; y++) {
    int ty2 = ty + y;
    if (ty2 < 0 || ty2 >= TH) continue;
    int sy2 = sy + static_cast<int>(static_cast<int64_t>(y) * sh / th);
    if (sy2 < 0 || sy2 >= SH) continue;
    for (int x = 0; x < tw; x++) {
      int tx2 = tx + x;
      if (tx2 < 0 || tx2 >= TW) continue;
      int sx2 = sx + static_cast<int>(static_cast<int64_t>(x) * sw / tw);
      if (sx2 < 0 || sx2 >= SW) continue;
      t[static_cast<size_t>(ty2) * TW + tx2] = s[static_cast<size_t>(sy2) * SW + sx2];
    }
  }
  return 1;
}

int DibCopyRect(HDIB dest, int x, int y, int place3, HDIB source, int flags, int srcX, int srcY, int scaleX,
                int scaleY) {
  (void)place3;
  (void)flags;
  if (!dest || !source || DibGetDepth(dest) != 32) return 0;
  HDIB converted = nullptr;
  HDIB src = source;
  if (DibGetDepth(source) != 32) {
    int w = DibGetWidth(source), h = DibGetHeight(source);
    converted = DibCreate(nullptr, w, h, 32, nullptr);
    if (!converted) return 0;
    BitBlt(DibGetDC(converted), 0, 0, w, h, DibGetDC(source), 0, 0, SRCCOPY);
    GdiFlush();
    uint32_t* p = static_cast<uint32_t*>(DibGetBits(converted));
    for (int i = 0; i < w * h; i++) p[i] |= 0xFF000000u;
    src = converted;
  }
  if (scaleX <= 0) scaleX = 0x10000;
  if (scaleY <= 0) scaleY = 0x10000;
  int SW = DibGetWidth(src), SH = DibGetHeight(src), DW = DibGetWidth(dest), DH = DibGetHeight(dest);
  int w = static_cast<int>((static_cast<int64_t>(SW - srcX) * scaleX) >> 16);
  int h = static_cast<int>((static_cast<int64_t>(SH - srcY) * scaleY) >> 16);
  const uint32_t* s = static_cast<const uint32_t*>(DibGetBits(src));
  uint32_t* d = static_cast<uint32_t*>(DibGetBits(dest));
  GdiFlush();
  for (int j = 0; j < h; j++) {
    int dy = y + j;
    if (dy < 0 || dy >= DH) continue;
    int sy = srcY + static_cast<int>((static_cast<int64_t>(j) << 16) / scaleY);
    if (sy < 0 || sy >= SH) continue;
    for (int i = 0; i < w; i++) {
      int dx = x + i;
      if (dx < 0 || dx >= DW) continue;
      int sx = srcX + static_cast<int>((static_cast<int64_t>(i) << 16) / scaleX);
      if (sx < 0 || sx >= SW) continue;
      uint32_t p = s[static_cast<size_t>(sy) * SW + sx];
      uint32_t a = p >> 24;
      if (a == 255) {
        d[static_cast<size_t>(dy) * DW + dx] = p;
      } else if (a) {
        // premultiplied source over the destination
        uint32_t q = d[static_cast<size_t>(dy) * DW + dx];
        uint32_t out = 0;
        for (int c = 0; c < 32; c += 8) {
          uint32_t sc = (p >> c) & 0xFF, dc = (q >> c) & 0xFF;
          uint32_t v = sc + dc * (255 - a) / 255;
          out |= (v > 255 ? 255 : v) << c;
        }
        d[static_cast<size_t>(dy) * DW + dx] = out;
      }
    }
  }
  if (converted) DibFree(converted);
  return 1;
}
