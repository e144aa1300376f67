// Solid track lines drawn straight into 32-bit pixels, as GDI draws them
// with a solid pen: one pixel wide along the Bresenham path without the
// last point; wider with round ends and round joins. GDI's wide pens are
// slow under Wine, and a track may have a hundred thousand points.
#pragma once

#include <stdint.h>

struct TrackLineSurface {
  uint32_t* row0;  // pixel (0, 0)
  int stride;      // pixels from one row to the next (negative: bottom-up)
  // the pixels that may be drawn, half-open: [left, right) x [top, bottom)
  int left, top, right, bottom;
  // a point (x, y) lies on pixel (x + dx, y + dy)
  int dx, dy;
};

// Draws the polyline through n points (x, y pairs) with the pen's width
// (below 1 counts as 1) in pixel value colour, opaque.
void TrackLineDraw(const TrackLineSurface& s, const int32_t* xy, int n, int width, uint32_t colour);
// The same for polylines one after the other: runs[i] points each.
void TrackLineDrawRuns(const TrackLineSurface& s, const int32_t* xy, const uint32_t* runs, int nruns, int width,
                       uint32_t colour);

// Clips the segment (x1, y1)-(x2, y2) to the rectangle; false when nothing
// of it is inside. Coordinates may lie far outside what GDI takes.
bool TrackClipSegment(double* x1, double* y1, double* x2, double* y2, double left, double top, double right,
                      double bottom);
