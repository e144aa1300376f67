// Painting of the overlays into a DC whose origin shows back-buffer pixels:
// highlights, track lines with their pens, markers with their icons and
// labels. Owns the GDI objects that belong to one map window: the 16 track
// pens and the 64 icon device contexts.
#pragma once

#include <windows.h>

#include <vector>

#include "map/maplabels.h"
#include "map/mapoverlay.h"
#include "map/trackthreads.h"
#include "map/trackline.h"

class MapOverlayPainter {
 public:
  MapOverlayPainter();
  ~MapOverlayPainter();
  MapOverlayPainter(const MapOverlayPainter&) = delete;
  MapOverlayPainter& operator=(const MapOverlayPainter&) = delete;

  // Selects the caller's bitmap (which stays the caller's) into the kind's
  // device context and records its size: false for a kind above 63, no
  // bitmap, or a bitmap larger than 255 pixels.
  bool SetMarkerIcon(MapOverlay& ov, int kind, HBITMAP bitmap, int hotX, int hotY);

  // update: the rectangle to paint in buffer pixels (null: everything).
  void PaintHighlights(HDC dc, const MapOverlay& ov);
  void PaintTracks(HDC dc, const RECT* update, MapOverlay& ov);
  void PaintMarkers(HDC dc, const RECT* update, const MapOverlay& ov);

  // Deletes the pen of every track whose pen must change (the pens are made
  // again when painted).
  void DropPens();

 private:
  HPEN TrackPen(int track, const MapOverlay::TrackInfo& info);
  HDC IconDC(int kind);

  HDC m_iconDC[kMapIconSlots];
  HGDIOBJ m_iconOld[kMapIconSlots];
  // the icon's own pixels when it is a 32-bit DIB section (row0 null: not)
  TrackLineSurface m_iconPx[kMapIconSlots];
  HPEN m_pens[kMapTracks];
  MapLabelCache m_labels;
  TrackThreads m_threads;
  std::vector<POINT> m_sharePoints[kTrackThreadsMax];  // each thread's, reused
  std::vector<DWORD> m_shareRuns[kTrackThreadsMax];
  std::vector<POINT> m_points;  // reused between paints
  std::vector<DWORD> m_runs;
};


// The built-in icon of a kind without one: 32 x 32 premultiplied pixels,
// its tip at (12, 31). Shared; made on first use.
HBITMAP MapDefaultMarkerBitmap();
