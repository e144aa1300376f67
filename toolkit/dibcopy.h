// Copying between DIBs: converting a packed 32-bit image, stretching a
// rectangle, and copying a DIB into a 32-bit DIB with its alpha.
#pragma once

#include <windows.h>

#include "toolkit/dib.h"

// DibConvert flag: keep the colours as they are (straight alpha); without it
// the colours are multiplied by their alpha, ready for blending.
#define DIB_CONVERT_STRAIGHT 0x20000000

// A 32-bit DIB from a packed DIB (40-byte header, palette, pixels; 8, 24 or
// 32 bits, either row order). size (may be null) gets its size. 0 when the
// header is not sound.
HDIB DibConvert(HDC refDC, const void* packed, int flags, SIZE* size);

// Stretches the source rectangle (nearest pixel) into the target rectangle
// of a 32-bit target; both DIBs 32-bit. Pixels may be given or null (then the
// DIBs' own). Parts outside either DIB are skipped. Nonzero on success.
int DibStretchCopy(HDIB target, void* targetPixels, HDIB source, const void* sourcePixels, int sx, int sy, int sw,
                   int sh, int tx, int ty, int tw, int th);

// Copies source into the 32-bit destination at (x, y), blending by the
// source's (premultiplied) alpha; a source of another depth is converted
// first. place3 is reserved (0); flags are the caller's options (unused
// bits); srcX/srcY the source's origin, scaleX/scaleY 16.16 (0x10000 = 1).
int DibCopyRect(HDIB dest, int x, int y, int place3, HDIB source, int flags, int srcX, int srcY, int scaleX,
                int scaleY);
