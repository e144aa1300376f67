#include "toolkit/dib.h"

#include <stdint.h>
#include <stdlib.h>

struct DibObject {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ oldBitmap;
  void* bits;
  int width, height, depth, stride;
};

HDIB DibCreate(HDC refDC, int width, int height, int depth, void** pixels) {
  if (pixels) *pixels = nullptr;
  if (width <= 0 || height <= 0 || width > 65536 || height > 65536) return nullptr;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return nullptr;
  // each side may be fine while the block is not: 65536 x 65536 x 4 wraps
  uint64_t stride = (((uint64_t)width * depth + 31) / 32) * 4;
  uint64_t bytes = stride * (uint64_t)height;
  if (bytes > 0x7FFFFFFFull) return nullptr;

  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[256];
  } bmi = {};
  bmi.h.biSize = sizeof(BITMAPINFOHEADER);
  bmi.h.biWidth = width;
  bmi.h.biHeight = -height;  // top-down
  bmi.h.biPlanes = 1;
  bmi.h.biBitCount = (WORD)depth;
  bmi.h.biCompression = BI_RGB;
  bmi.h.biSizeImage = (DWORD)bytes;
  if (depth <= 8) {
    int n = 1 << depth;
    for (int i = 0; i < n; i++) {
      BYTE g = (BYTE)(i * 255 / (n - 1));
      bmi.colours[i].rgbRed = bmi.colours[i].rgbGreen = bmi.colours[i].rgbBlue = g;
    }
    bmi.h.biClrUsed = n;
  }

  DibObject* d = (DibObject*)calloc(1, sizeof(DibObject));
  if (!d) return nullptr;
  HDC screen = refDC ? nullptr : GetDC(nullptr);
  HDC ref = refDC ? refDC : screen;
  d->bitmap = CreateDIBSection(ref, (BITMAPINFO*)&bmi, DIB_RGB_COLORS, &d->bits, nullptr, 0);
  d->dc = d->bitmap ? CreateCompatibleDC(ref) : nullptr;
  if (screen) ReleaseDC(nullptr, screen);
  if (!d->bitmap || !d->dc || !d->bits) {
    if (d->dc) DeleteDC(d->dc);
    if (d->bitmap) DeleteObject(d->bitmap);
    free(d);
    return nullptr;
  }
  d->oldBitmap = SelectObject(d->dc, d->bitmap);
  d->width = width;
  d->height = height;
  d->depth = depth;
  d->stride = (int)stride;
  if (pixels) *pixels = d->bits;
  return d;
}

void DibFree(HDIB d) {
  if (!d) return;
  if (d->dc) {
    SelectObject(d->dc, d->oldBitmap);
    DeleteDC(d->dc);
  }
  if (d->bitmap) DeleteObject(d->bitmap);
  free(d);
}

HBITMAP DibGetBitmap(HDIB d) { return d ? d->bitmap : nullptr; }
HDC DibGetDC(HDIB d) { return d ? d->dc : nullptr; }
int DibGetWidth(HDIB d) { return d ? d->width : 0; }
int DibGetHeight(HDIB d) { return d ? d->height : 0; }
int DibGetDepth(HDIB d) { return d ? d->depth : 0; }
int DibGetStride(HDIB d) { return d ? d->stride : 0; }
void* DibGetBits(HDIB d) { return d ? d->bits : nullptr; }
