// Device-independent bitmaps with their own memory device context.
#pragma once

#include <windows.h>

// A DIB section selected into a memory DC of its own.
typedef struct DibObject* HDIB;

// A DIB of 1, 4, 8, 16, 24 or 32 bits (rows top-down, grey palette for the
// palette depths); *pixels (when given) receives the first row. 0 when a
// side is 0 or above 65536, the pixel block would not fit in 2 GiB, or the
// system refuses. refDC may be 0 (the screen).
HDIB DibCreate(HDC refDC, int width, int height, int depth, void** pixels);
// Frees the memory DC, the bitmap and the block; 0 is ignored.
void DibFree(HDIB dib);
// The DIB's device bitmap (stays selected into the DIB's DC).
HBITMAP DibGetBitmap(HDIB dib);
// The memory DC that holds the bitmap.
HDC DibGetDC(HDIB dib);
// Size, depth and row length in bytes; 0 for a null handle.
int DibGetWidth(HDIB dib);
int DibGetHeight(HDIB dib);
int DibGetDepth(HDIB dib);
int DibGetStride(HDIB dib);
void* DibGetBits(HDIB dib);
