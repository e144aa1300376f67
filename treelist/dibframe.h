// Small 32-bit images scaled as nine-part frames (corners unscaled, edges
// stretched along one axis, the centre both ways).
#pragma once

#include <windows.h>

#include "toolkit/dib.h"

// options word: bit 0 the variant (pressed), bit 1 a tint follows, bits 3-4
// the width (0: 7, 1: 6, 2: 5 pixels); both bits 3 and 4 name no image
struct DibFrameOptions {
  DWORD options;
  COLORREF tint;
};

// The packed source image (40-byte header + 32-bit pixels) for an options
// word, or null.
const void* DibFrameSource(DWORD options);
// A width x height DIB of the packed source scaled as a frame; with a tint
// (tint != (COLORREF)-1) every pixel with alpha a becomes
// (c*(a+1) + t*(256-a)) >> 8 per channel and opaque. 0 when it cannot be made.
HDIB DibBuildFrameImage(const void* packed, int width, int height, HDIB* result, COLORREF tint);
// Draws the frame image chosen by the options into dest at the placement;
// 1 drawn, 0 nothing (no such image, or no memory).
int DibDrawFrameImage(HDIB dest, int x, int y, int place3, int width, int height, const DibFrameOptions* options);
