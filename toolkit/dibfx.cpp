#include "toolkit/dibfx.h"

#include <stdint.h>
#include <string.h>

namespace {

inline uint32_t Swap(COLORREF c) {  // 0x00BBGGRR <-> 0x00RRGGBB of DIB pixels
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace

COLORREF DibTintPixel(COLORREF pixel, COLORREF colour) {
  unsigned r = pixel & 0xFF, g = (pixel >> 8) & 0xFF, b = (pixel >> 16) & 0xFF;
  unsigned lum = (r * 77 + g * 150 + b * 29) >> 8;
  COLORREF out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    unsigned t = (colour >> shift) & 0xFF;
    unsigned v = t - (255 - lum) * t / 510;
    out |= (v & 0xFF) << shift;
  }
  return out;
}

int DibTint(HDIB dib, int, COLORREF colour, COLORREF key) {
  int depth = DibGetDepth(dib);
  if (depth != 24 && depth != 32) return 0;
  uint8_t* bits = static_cast<uint8_t*>(DibGetBits(dib));
  int w = DibGetWidth(dib), h = DibGetHeight(dib), stride = DibGetStride(dib), step = depth / 8;
  uint32_t keyPix = key == CLR_INVALID ? 0xFFFFFFFFu : Swap(key);
  for (int y = 0; y < h; y++) {
    uint8_t* p = bits + (size_t)y * stride;
    for (int x = 0; x < w; x++, p += step) {
      uint32_t pix = p[0] | (p[1] << 8) | (p[2] << 16);
      if (pix == keyPix) continue;
      COLORREF t = DibTintPixel(Swap(pix), colour);
      p[0] = (uint8_t)(t >> 16);
      p[1] = (uint8_t)(t >> 8);
      p[2] = (uint8_t)t;
    }
  }
  return 1;
}

HDIB DibFromBitmap(HDC refDC, HBITMAP bitmap, SIZE* size) {
  BITMAP bm;
  if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
  int h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  HDIB dib = DibCreate(refDC, bm.bmWidth, h, 32, nullptr);
  if (!dib) return nullptr;
  HDC src = CreateCompatibleDC(DibGetDC(dib));
  HGDIOBJ old = SelectObject(src, bitmap);
  BitBlt(DibGetDC(dib), 0, 0, bm.bmWidth, h, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  GdiFlush();
  if (size) size->cx = bm.bmWidth, size->cy = h;
  return dib;
}

HDIB DibFromIcon(HDC refDC, HICON icon, SIZE* size, COLORREF key, int width, int height) {
  ICONINFO ii;
  if (!icon || !GetIconInfo(icon, &ii)) return nullptr;
  BITMAP bm;
  HDIB dib = nullptr;
  if (GetObjectA(ii.hbmMask, sizeof bm, &bm)) {
    int w = bm.bmWidth, h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (width > 0 && height > 0) w = width, h = height;
    dib = DibCreate(refDC, w, h, 32, nullptr);
    if (dib) {
      HDC dc = DibGetDC(dib);
      RECT rc = {0, 0, w, h};
      HBRUSH br = CreateSolidBrush(key);
      FillRect(dc, &rc, br);
      DeleteObject(br);
      DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
      GdiFlush();
      if (size) size->cx = w, size->cy = h;
    }
  }
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  return dib;
}

HBITMAP DibToDeviceBitmap(const void* packed, size_t size, int mode, int) {
  if (!packed || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER bh;
  memcpy(&bh, packed, sizeof bh);
  if (bh.biSize < sizeof bh || bh.biSize > size || bh.biWidth <= 0 || bh.biWidth > 65536 || bh.biHeight == 0 ||
      bh.biHeight > 65536 || bh.biHeight < -65536 || bh.biPlanes != 1)
    return nullptr;
  int depth = bh.biBitCount;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return nullptr;
  if (bh.biCompression != BI_RGB && !(bh.biCompression == BI_BITFIELDS && (depth == 16 || depth == 32)))
    return nullptr;
  uint64_t colours = depth <= 8 ? (bh.biClrUsed ? bh.biClrUsed : (1u << depth)) : 0;
  if (colours > (1u << (depth <= 8 ? depth : 0))) return nullptr;
  uint64_t extra = bh.biCompression == BI_BITFIELDS && bh.biSize == sizeof bh ? 12 : 0;
  uint64_t head = bh.biSize + extra + colours * 4;
  int h = bh.biHeight < 0 ? -bh.biHeight : bh.biHeight;
  uint64_t stride = (((uint64_t)bh.biWidth * depth + 31) / 32) * 4;
  if (head + stride * h > size) return nullptr;
  const BITMAPINFO* bi = static_cast<const BITMAPINFO*>(packed);
  const uint8_t* pixels = static_cast<const uint8_t*>(packed) + head;
  HDC screen = GetDC(nullptr);
  HBITMAP out = nullptr;
  if (mode == DIB_DEVICE_ALPHA) {
    if (depth == 32) {
      void* bits = nullptr;
      out = CreateDIBSection(screen, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (out && bits) memcpy(bits, pixels, stride * h);
    }
  } else {
    out = CreateDIBitmap(screen, &bi->bmiHeader, CBM_INIT, pixels, bi, DIB_RGB_COLORS);
  }
  ReleaseDC(nullptr, screen);
  return out;
}

HBITMAP DibNewSection32(int w, int h, uint32_t** bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = b ? static_cast<uint32_t*>(p) : nullptr;
  return b;
}

HBITMAP DibCopyToBitmap(HDIB dib) {
  if (DibGetDepth(dib) != 32) return nullptr;
  int w = DibGetWidth(dib), h = DibGetHeight(dib);
  uint32_t* bits = nullptr;
  HBITMAP out = DibNewSection32(w, h, &bits);
  if (!out || !bits) {
    if (out) DeleteObject(out);
    return nullptr;
  }
  GdiFlush();
  memcpy(bits, DibGetBits(dib), (size_t)DibGetStride(dib) * h);
  return out;
}
