#include "map/mapmouse_win.h"

#include <string.h>

#include <mutex>

namespace {

std::mutex g_sharedLock;
HBITMAP g_menuBitmap = nullptr;
HDC g_menuDC = nullptr;
HGDIOBJ g_menuOld = nullptr;
uint32_t g_menuRgb = 0x3C00FF;

bool InBox(int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; }

void FreeLocked() {
  if (g_menuDC) {
    SelectObject(g_menuDC, g_menuOld);
    DeleteDC(g_menuDC);
    g_menuDC = nullptr;
  }
  if (g_menuBitmap) {
    DeleteObject(g_menuBitmap);
    g_menuBitmap = nullptr;
  }
}

bool CreateLocked() {
  if (g_menuBitmap) return true;
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kMapMenuW;
  bi.bmiHeader.biHeight = -kMapMenuH * 4;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) {
    if (bmp) DeleteObject(bmp);
    return false;
  }
  uint32_t r = (((g_menuRgb >> 16) & 255) + 255) / 2;
  uint32_t g = (((g_menuRgb >> 8) & 255) + 255) / 2;
  uint32_t b = ((g_menuRgb & 255) + 255) / 2;
  uint32_t* p = (uint32_t*)bits;
  for (int state = 0; state < 4; state++)
    for (int y = 0; y < kMapMenuH; y++)
      for (int x = 0; x < kMapMenuW; x++) {
        uint32_t a = MapMenuMaskAlpha(x, y);
        int button = y / kMapMenuButton + 1;
        if (button != state) a = a * 2 / 3;
        // premultiplied, as AlphaBlend takes it
        p[(state * kMapMenuH + y) * kMapMenuW + x] =
            a << 24 | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
      }
  GdiFlush();
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) {
    DeleteObject(bmp);
    return false;
  }
  g_menuBitmap = bmp;
  g_menuDC = dc;
  g_menuOld = SelectObject(dc, bmp);
  return true;
}

}  // namespace

uint8_t MapMenuMaskAlpha(int x, int y) {
  if (x < 0 || y < 0 || x >= kMapMenuW || y >= kMapMenuH) return 0;
  int row = y / kMapMenuButton, top = row * kMapMenuButton, mid = top + 17;
  int ly = y - top;
  // a rounded button face
  if (x < 2 || x >= 34 || ly < 2 || ly >= 33) return 0;
  bool corner = (x < 4 || x >= 32) && (ly < 4 || ly >= 31);
  if (corner) return 0;
  bool symbol = false;
  switch (row) {
    case 0:  // plus
      symbol = InBox(x, y, 9, mid - 2, 27, mid + 2) || InBox(x, y, 16, top + 8, 20, top + 26);
      break;
    case 1:  // minus
      symbol = InBox(x, y, 9, mid - 2, 27, mid + 2);
      break;
    default:  // layers: three stacked, shifted sheets
      for (int k = 0; k < 3; k++) {
        int yy = top + 9 + k * 6, xx = 9 + k * 2;
        if (InBox(x, y, xx, yy, xx + 16, yy + 3)) symbol = true;
      }
  }
  return symbol ? 255 : 170;
}

void MapSetMenuColour(uint32_t rgb) {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  g_menuRgb = rgb & 0xFFFFFF;
  if (g_menuBitmap) {
    FreeLocked();
    CreateLocked();
  }
}

bool MapCreateSharedBitmaps() {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  return CreateLocked();
}

void MapFreeSharedBitmaps() {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  FreeLocked();
}

bool MapSharedBitmapsExist() {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  return g_menuBitmap != nullptr;
}

void MapPaintMenu(HDC dc, const MapView& v, int hot) {
  std::lock_guard<std::mutex> lock(g_sharedLock);
  if (!CreateLocked()) return;
  MapRect r = MapMenuRect(v);
  int state = hot >= 1 && hot <= 3 ? hot : 0;
  BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (!AlphaBlend(dc, r.left, r.top, kMapMenuW, kMapMenuH, g_menuDC, 0, state * kMapMenuH, kMapMenuW, kMapMenuH, bf))
    TransparentBlt(dc, r.left, r.top, kMapMenuW, kMapMenuH, g_menuDC, 0, state * kMapMenuH, kMapMenuW, kMapMenuH,
                   RGB(0, 0, 0));
}

void MapXorBand(HDC dc, HPEN pen, int mode, const MapRect& c) {
  if (!dc || !pen) return;
  int oldRop = SetROP2(dc, R2_XORPEN);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  if (mode == 1) {
    int l = c.left < c.right ? c.left : c.right, r = c.left < c.right ? c.right : c.left;
    int t = c.top < c.bottom ? c.top : c.bottom, b = c.top < c.bottom ? c.bottom : c.top;
    Rectangle(dc, l, t, r + 1, b + 1);
  } else if (mode == 2) {
    MoveToEx(dc, c.left, c.top, nullptr);
    LineTo(dc, c.right, c.bottom);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  SetROP2(dc, oldRop);
}
