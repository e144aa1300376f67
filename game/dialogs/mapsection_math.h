#ifndef ORV_GAME_DIALOGS_MAPSECTION_MATH_H
#define ORV_GAME_DIALOGS_MAPSECTION_MATH_H
// Arithmetic of a map section: world rectangle (30-bit points), pixel sizes
// at a zoom, the level plan of export and pre-caching, progress and the
// georeference of the saved picture. No windows.

#include <stdint.h>

enum {
  MS_PIXEL_EDIT_MIN = 64,      // pixel edits are clamped to this range
  MS_PIXEL_EDIT_MAX = 20000,
  MS_EXPORT_MIN = 64,          // sizes the export accepts
  MS_EXPORT_MAX = 18000,
  MS_PRECACHE_SPAN = 2048,     // lower levels are widened to this many pixels
  MS_PROGRESS_RANGE = 8192,
  MS_ZOOM_MAX = 22             // one world unit per pixel
};

// Corners as world points: A is the first corner, B the second.
struct MsRect {
  uint32_t xa, xb, ya, yb;
};

// Pixel shift of a zoom (22 - zoom), 0 for zooms beyond 22.
int MsShift(int zoom);

// Signed pixel size of B - A; x the short way round the 2^30 ring.
void MsPixelSize(const MsRect& r, int zoom, int* width, int* height);

// B from A and a pixel size (fixed-width mode): x wraps modulo 2^30, y stops
// at the south edge; the height is cut to what lies above it. Returns the
// height actually covered.
// Pixel width as the map window shows the section: eastwards from A when A
// lies left of B there, else westwards (negative), so a section wider than
// half the world keeps its side.
int MsWidthAsShown(const MsRect& r, int zoom, bool aLeftOfB);

// Makes A the top-left corner of a section with a signed pixel size (B
// left of A when the width is negative, above it when the height is): the
// corners exchange x or y and the sizes turn positive. Returns
// MS_SWAPPED_X | MS_SWAPPED_Y for what was exchanged.
enum { MS_SWAPPED_X = 1, MS_SWAPPED_Y = 2 };
int MsNormalise(MsRect* r, int* width, int* height);

int MsFixedCornerB(MsRect* r, int zoom, int width, int height);

// Clamps a pixel-edit value to 64..20000.
int MsClampPixelEdit(int64_t value);

// One level of the render plan.
struct MsLevel {
  int zoom;
  uint32_t x, y;     // world origin, pixel-aligned at the level's zoom
  int width, height; // pixels
};

// Levels from `zoom` down to `lowest` (index 0 = zoom). From index 1 on,
// at zooms whose world is at least 2048 pixels wide, sides below 2048 are
// widened to 2048 around the section; y stays inside the world.
int MsLevelCount(int zoom, int lowest);
MsLevel MsLevelArea(uint32_t xa, uint32_t ya, int width, int height, int zoom, int index);

// Tiles of 256 pixels a level touches (x wraps, so at most 2^z columns).
int64_t MsLevelTiles(const MsLevel& level);

// Progress position 0..range: each earlier level fills half of what remains,
// the last level all of it; `done`/`total` are the tiles of level `index`.
int MsProgressPos(int index, int levels, int64_t done, int64_t total, int range);

// The "GMREF:" text of a picture whose top-left pixel is the world point
// (x, y) at `zoom`, from the pixel-aligned point. Returns its length.
int MsGeoRefText(char* buf, int size, uint32_t x, uint32_t y, int zoom);

// The km readout "Breite = %.3f km   Länge = %.3f km": the width along
// the latitude of A, the height along the longitude of A. Returns its length.
int MsKmText(char* buf, int size, double lonA, double latA, double lonB, double latB);

#endif
