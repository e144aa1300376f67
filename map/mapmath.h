// Arithmetic of the map window: world points, zoom, back-buffer cells.
//
// A world point is two unsigned 30-bit integers, the pixel position at zoom 22
// with 256-pixel tiles; x wraps at 180 degrees, y runs from the north edge of
// the Mercator world southwards. Nothing here touches a window.
#pragma once

#include <stddef.h>
#include <stdint.h>

const uint32_t kMapWorldMask = 0x3FFFFFFFu;
const uint32_t kMapWorldMid = 0x20000000u;
const int kMapMaxZoom = 22;
// Latitudes of the world's top and bottom edges (world y 0 and 2^30).
const double kMapTopLat = 85.05112877980659;
const double kMapBottomLat = -85.05112872196024;

// a - b as a signed difference on the 2^30 ring (the shorter way round).
inline int32_t MapWorldDelta(uint32_t a, uint32_t b) {
  uint32_t d = (a - b) & kMapWorldMask;
  return d >= 0x20000000u ? (int32_t)d - 0x40000000 : (int32_t)d;
}

// World units to pixels and back for a pixel shift s; s is -1 for large tiles
// at zoom 22 (one world unit is then two pixels).
inline int64_t MapWorldToPx(int64_t w, int s) { return s >= 0 ? (w >> s) : w * 2; }
inline int64_t MapPxToWorld(int64_t p, int s) { return s >= 0 ? p * ((int64_t)1 << s) : (p >> 1); }

uint32_t MapLonToWorldX(double lon);
// Latitudes beyond the Mercator world are clamped to its edges.
uint32_t MapLatToWorldY(double lat);
double MapWorldXToLon(uint32_t x);
double MapWorldYToLat(uint32_t y);

// The process-wide back-buffer size for a screen. It holds at most this
// many pixels of 32 bits (192 MiB).
constexpr int64_t kMapMaxBufferPixels = 48LL << 20;
void MapBackBufferSize(int screenW, int screenH, int* width, int* height);

// Centre and span of a geographic area (ZoomToArea steps 2 and 3); an area
// whose first longitude lies east of the second crosses 180 degrees.
void MapAreaCentreSpan(double lon1, double lat1, double lon2, double lat2, uint32_t* cx,
                       uint32_t* cy, uint32_t* spanX, uint32_t* spanY);

// The zoom at which a world span fits a pixel size (ZoomToArea step 4).
int MapZoomForSpan(uint32_t spanX, uint32_t spanY, int width, int height, int tileShift);

// Receives the whole-cell shifts of a re-anchored back buffer (pixels and
// cell words move together).
class MapReanchorSink {
 public:
  virtual void Reanchor(int dx, int dy) = 0;

 protected:
  ~MapReanchorSink() {}
};

// Position, zoom and back-buffer geometry of one map window.
struct MapView {
  int bufW = 1024, bufH = 1024;  // back buffer in pixels (fixed for the process)
  int tileShift = 8, tileSize = 256;
  int ncol = 4, nrow = 4;  // cells of the back buffer
  int zoom = 9, minZoom = 0, maxZoom = kMapMaxZoom;
  uint32_t originX = 0x22000000u, originY = 0x16000000u;  // world point at the buffer's centre pixel
  uint32_t centreX = 0x22000000u, centreY = 0x16000000u;  // world point in the client's middle
  uint32_t limXFrom = 0, limXTo = 0, limYFrom = 0, limYTo = kMapWorldMask;
  int clientW = 0, clientH = 0;
  int scrollX = 0, scrollY = 0;

  void Init(int width, int height);
  void SetLargeTiles(bool large);
  bool LargeTiles() const { return tileShift == 9; }

  int Shift() const { return 30 - tileShift - zoom; }  // world to pixels at this zoom
  uint32_t Tiles() const { return 1u << zoom; }
  uint32_t TileMask() const { return (1u << zoom) - 1; }
  uint32_t CellWorld() const { return 1u << (30 - zoom); }  // one cell in world units
  int64_t WorldWidthPx() const { return (int64_t)1 << (zoom + tileShift); }
  int WorldRepeats() const;

  // Transforms between world points and back-buffer pixels. x wraps at
  // 180 degrees; y of a pixel beyond the world's edges is the edge.
  void ClientToWorld(int px, int py, uint32_t* x, uint32_t* y) const;
  void WorldToClient(uint32_t x, uint32_t y, int* px, int* py) const;
  void ClientToGeo(int px, int py, double* lon, double* lat) const;
  void GeoToClient(double lon, double lat, int* px, int* py) const;

  // The tile a cell shows; false when the cell's row lies beyond the
  // world's top or bottom edge (its tile number is then wrapped).
  bool CellToTile(int col, int row, uint32_t* tx, uint32_t* ty) const;
  bool TileToCell(uint32_t tx, uint32_t ty, int* col, int* row) const;

  // Zoom and derived values; realigns the origin to the new cells.
  int ClampZoom(int z) const;
  void ApplyZoom(int z);
  void SetZoomRange(int lo, int hi);
  void SetLimitsX(uint32_t from, uint32_t to);
  void SetLimitsY(uint32_t from, uint32_t to);

  // MoveTo steps 1 and 2: keep the centre within the area limits.
  void ClampCentre(uint32_t* x, uint32_t* y) const;
  // The scroll position that puts (x, y) in the client's middle.
  void WantedScroll(uint32_t x, uint32_t y, int* sx, int* sy) const;
  bool ScrollFits(int sx, int sy) const;
  // Moves the centre; re-anchors the buffer through the sink when the client
  // would leave it. 1 when the scroll position changed (stored), else 0.
  int Move(uint32_t x, uint32_t y, MapReanchorSink* sink, bool* reanchored);
};

// One 32-bit state word per cell.
struct MapCellGrid {
  uint32_t* words = nullptr;
  int cols = 0, rows = 0;

  uint32_t& At(int c, int r) { return words[(size_t)r * cols + c]; }
  void Clear();
  // Moves the words by (dc, dr) cells, clearing the uncovered ones.
  void Shift(int dc, int dr);
};

// A 32-bit pixel block (rows may run bottom-up: stride in bytes is signed).
struct MapPixels {
  uint8_t* row0;
  ptrdiff_t stride;
  int width, height;
  uint32_t* Row(int y) const { return (uint32_t*)(row0 + stride * y); }
};

void MapFillPixels(const MapPixels& p, int x, int y, int w, int h, uint32_t colour);
// Moves the whole block by (dx, dy), filling the uncovered bands.
void MapShiftPixels(const MapPixels& p, int dx, int dy, uint32_t background);

// In-place rescale for a one-level zoom step: every destination pixel takes
// the source pixel of srcCol[x] and srcRow[y], or the background for -1.
// The row map must be monotone with a slope of 2 or 1/2 (what a zoom step
// makes); columns may map anywhere. scratch holds one row.
void MapRemapPixels(const MapPixels& p, const int* srcCol, const int* srcRow, uint32_t background,
                    uint32_t* scratch);

// The source maps of a one-level zoom step from view a to view b (pixels or
// cells of the buffer); -1 where b shows what a did not hold.
void MapZoomColumnMap(const MapView& a, const MapView& b, int* map);
void MapZoomRowMap(const MapView& a, const MapView& b, int* map);

// Cell states after a zoom step: a cell wholly covered by the rescaled
// picture of cells that held something becomes a preview (bit 31); every
// other cell is cleared. old and out must not share words.
void MapZoomGrid(const MapCellGrid& old, MapCellGrid* out, const int* colMap, const int* rowMap,
                 int tileSize);

const uint32_t kMapCellPreview = 0x80000000u;
// Bit 16 + L: source L's tile is not in the cache and its server is out of
// reach for now; the cell waits for a probe of the server.
const uint32_t kMapCellWaiting = 0x10000u;
