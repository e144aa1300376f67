// The GDI side of the map window's mouse: the on-map menu's shared bitmap
// and the XOR rubber band.
#pragma once

#include <windows.h>

#include "map/mapmouse.h"

// The menu colour in the picture order 0x00RRGGBB; remakes the shared
// bitmaps when they exist.
void MapSetMenuColour(uint32_t rgb);
// Makes the shared 36 x 420 menu bitmap (four states of 105 rows) once;
// false when GDI refuses.
bool MapCreateSharedBitmaps();
// Deletes the shared bitmap and its device context (the last map window).
void MapFreeSharedBitmaps();
bool MapSharedBitmapsExist();
// Alpha of the built-in button mask (36 x 105: plus, minus, layers).
uint8_t MapMenuMaskAlpha(int x, int y);
// Draws the menu in the state of the hot button (0 to 3; -1 as 0) at the
// client's top right; dc shows buffer pixels.
void MapPaintMenu(HDC dc, const MapView& v, int hot);
// One XOR drawing of the band (mode 1 rectangle, 2 line) with the pen.
void MapXorBand(HDC dc, HPEN pen, int mode, const MapRect& corners);
