// DIB effects: tinting, and DIBs made from icons, device bitmaps and packed
// DIBs in memory.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "toolkit/dib.h"

// A top-down 32-bit DIB section of w x h; *bits gets its pixels (null on
// failure).
HBITMAP DibNewSection32(int w, int h, uint32_t** bits);

// One pixel (0x00BBGGRR) tinted towards colour by its luminance: black
// becomes half the colour, white the colour itself.
COLORREF DibTintPixel(COLORREF pixel, COLORREF colour);
// Tints every pixel of a 24- or 32-bit DIB towards colour, leaving pixels of
// the key colour unchanged (key -1: none). Nonzero on success.
int DibTint(HDIB dib, int flags, COLORREF colour, COLORREF key);

// A 32-bit DIB of the icon: its colour pixels where the mask is clear, the
// key colour where it is set. The icon is drawn scaled to width x height,
// or at its own size where they are 0. size (may be null) gets the DIB's size.
HDIB DibFromIcon(HDC refDC, HICON icon, SIZE* size, COLORREF key, int width = 0, int height = 0);
// A 32-bit DIB copy of a device bitmap. size (may be null) gets its size.
HDIB DibFromBitmap(HDC refDC, HBITMAP bitmap, SIZE* size);

enum {
  DIB_DEVICE_COMPATIBLE = 0,  // a bitmap of the screen's format
  DIB_DEVICE_ALPHA = 2,       // a 32-bit DIB section keeping the alpha bytes
};
// A bitmap made from a packed DIB (40-byte header, palette, pixels) of size
// bytes; 0 when the header or the size is not sound. The caller deletes it.
HBITMAP DibToDeviceBitmap(const void* packed, size_t size, int mode, int flags);

// An independent 32-bit DIB section with the DIB's pixels (not selected into
// any DC, so image lists and other DCs may take it). The caller deletes it.
HBITMAP DibCopyToBitmap(HDIB dib);
