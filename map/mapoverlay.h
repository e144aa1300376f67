// What the map window draws over its tiles: markers, up to 16 track lines
// of world points and the two highlight shapes, with their geometry in
// back-buffer pixels. Markers and tracks may change from any thread; each
// list has its own lock, and redraw requests go through a sink that the
// window implements (posting them when called from another thread).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <mutex>
#include <vector>

#include "map/mapmath.h"
#include "text/strlist.h"

// The data block of a marker item (the item's text is the label).
struct MapMarker {
  double lon, lat;
  uint32_t x, y;    // world point
  uint32_t flags;   // MAPMK_*
  uint32_t colour;  // label box fill, 0x00BBGGRR
};
static_assert(sizeof(MapMarker) == 32, "marker data block");

enum : uint32_t {
  MAPMK_VISIBLE = 1,
  MAPMK_LABEL = 2,
  MAPMK_KIND_SHIFT = 2,
  MAPMK_KIND_MASK = 0xFC,
};
inline int MapMarkerKind(uint32_t flags) { return (int)((flags & MAPMK_KIND_MASK) >> MAPMK_KIND_SHIFT); }

const int kMapIconSlots = 64;
const int kMapTracks = 16;
// A kind without an icon: 32 x 32 pixels, the position at (12, 31).
const int kMapDefaultIconW = 32, kMapDefaultIconH = 32;
const int kMapDefaultHotX = 12, kMapDefaultHotY = 31;

struct MapRect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
};

struct MapWorldPoint {
  uint32_t x, y;
};

// Where redraws go: a rectangle in back-buffer pixels.
class MapRedrawSink {
 public:
  virtual void InvalidateBufferRect(const MapRect& r) = 0;

 protected:
  ~MapRedrawSink() {}
};

// Left edges at which something at buffer x with this width shows in the
// client area, once per repeat of a world narrower than the client; at
// least the given x when the world does not repeat. Returns the count
// (at most max).
int MapRepeatPositions(const MapView& v, int x, int width, int* xs, int max);

// World point to back-buffer pixel without saturation (64-bit); inline, as
// a track converts every one of its points for every paint.
inline void MapWorldToBuffer64(const MapView& v, uint32_t x, uint32_t y, int64_t* px, int64_t* py) {
  int s = v.Shift();
  *px = MapWorldToPx(MapWorldDelta(x, v.originX), s) + v.bufW / 2;
  *py = MapWorldToPx((int64_t)(y & kMapWorldMask) - v.originY, s) + v.bufH / 2;
}

class MapOverlay {
 public:
  struct IconInfo {
    uint8_t hotX, hotY, width, height;
    bool set;
  };
  struct TrackInfo {
    uint32_t colour;  // 0x00BBGGRR
    int width;
    bool visible, editable, penMade, modified;
  };
  struct Highlight {
    int32_t colour;  // 0x00BBGGRR, -1 none
    uint32_t x1, y1, x2, y2;  // ordered
  };

  MapOverlay();
  MapOverlay(const MapOverlay&) = delete;
  MapOverlay& operator=(const MapOverlay&) = delete;

  // The window's view (read for pixel positions) and its redraw sink.
  void Bind(const MapView* view, MapRedrawSink* sink) { m_view = view, m_sink = sink; }
  const MapView& View() const { return *m_view; }

  // ---------------------------------------------------------------- markers
  int InsertMarker(int index, const char* text, double lon, double lat, uint32_t flags, uint32_t colour, bool redraw);
  // flags, colour: -1 keeps them; text null keeps it; lon or lat <= -1000
  // keeps the position. 1, or 0 for a bad index.
  int SetMarker(int index, const char* text, double lon, double lat, int64_t flags, int64_t colour, bool redraw);
  // Copies the label into buf (size characters; cut to fit) and the
  // position out; the label's length, or -1 for a bad index.
  int GetMarker(int index, double* lon, double* lat, char* buf, int size) const;
  int GetMarkerWorld(int index, uint32_t* x, uint32_t* y, char* buf, int size) const;
  bool GetMarkerData(int index, MapMarker* out) const;
  int DeleteMarker(int index, bool redraw);
  int GetMarkerCount() const;
  void DeleteAllMarkers();
  void InvalidateMarker(int index, bool hide);
  void InvalidateVisibleMarkers();
  // The marker's rectangle in buffer pixels (before repeats).
  MapRect MarkerRect(const MapMarker& m, int textLength) const;

  // Icon slots: size and hot spot (the bitmaps are the painter's). Refuses
  // a kind above 63 and sizes beyond 255 pixels or below 1.
  bool SetIconInfo(int kind, int width, int height, int hotX, int hotY);
  IconInfo GetIconInfo(int kind) const;
  void ClearIconInfo(int kind);

  // The marker list for the painter: call under LockMarkers.
  void LockMarkers() const { m_markerLock.lock(); }
  void UnlockMarkers() const { m_markerLock.unlock(); }
  const CStrList& Markers() const { return m_markers; }

  // ----------------------------------------------------------------- tracks
  int InsertTrackPoint(int track, uint32_t x, uint32_t y, int index, bool redraw);
  int GetTrackPoint(int track, uint32_t* x, uint32_t* y, int index) const;
  int GetTrackCount(int track) const;
  // Moves an existing point (the mouse's point moves); 1 or 0.
  int SetTrackPoint(int track, int index, uint32_t x, uint32_t y);
  int DeleteTrackPoint(int track, int index, bool redraw);
  int ClearTrack(int track, bool redraw);
  int GetTrackStyle(int track, uint32_t* colour, int* width) const;
  int SetTrackStyle(int track, uint32_t colour, int width, bool redraw);
  int SetTrackEditable(int track, bool editable, bool redraw);
  bool IsTrackEditable(int track) const;
  bool IsTrackVisible(int track) const;
  int SetTrackVisible(int track, int flag);
  void SetTrackModified(int track);
  bool IsTrackModified(int track) const;
  TrackInfo GetTrackInfo(int track) const;
  // First editable track, -1 when none is.
  int FirstEditableTrack() const;
  void InvalidateTrackRange(int track, int first, int count);
  double GetTrackLength(int track) const;
  // Bounding box of the track's world points; false for an empty track.
  bool GetTrackBounds(int track, uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const;
  // Tells the painter that a track's pen must be remade (colour or width
  // changed, or the track emptied); the painter clears it.
  bool TakePenChange(int track);

  // The painter's and the mouse's access: call under LockTracks.
  void LockTracks() const { m_trackLock.lock(); }
  void UnlockTracks() const { m_trackLock.unlock(); }
  const std::vector<MapWorldPoint>& TrackPoints(int track) const { return m_tracks[track].points; }
  TrackInfo GetTrackInfoLocked(int track) const { return m_tracks[track].info; }
  int GetTrackCountLocked(int track) const { return (int)m_tracks[track].points.size(); }

  // Selected and hovered track points (-1: none); guarded by the track lock.
  int selTrack = -1, selIndex = -1;
  int hoverTrack = -1, hoverIndex = -1;

  // -------------------------------------------------------------- highlights
  void SetHighlightRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, uint32_t colour);
  void SetSecondRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, uint32_t colour);
  void ClearHighlightRect();
  void ClearSecondRect();
  Highlight GetHighlight(int which) const { return which ? m_line : m_rect; }

  // ---------------------------------------------------------------- geometry
  // The client area's corners as world points.
  void GetVisibleWorldRect(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const;
  // Pixels of a distance at a position (mode 2: downwards, 3: diagonally,
  // else sideways); 0 for a distance of no pixels, saturated at INT_MAX.
  int MetresToPixels(double lon, double lat, double metres, int mode) const;
  int GeoPixelDistance(double lon1, double lat1, double lon2, double lat2) const;
  // The buffer rectangle of two world corners, ordered and clipped to the
  // buffer; false when nothing of it is left.
  bool WorldRectToBuffer(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, MapRect* out) const;

 private:
  struct Track {
    std::vector<MapWorldPoint> points;
    TrackInfo info;
    bool penChanged;
  };
  void Invalidate(const MapRect& r) const;
  void InvalidateMarkerLocked(int index, bool hide);
  void InvalidateHighlight(const Highlight& h) const;
  void InvalidatePointsLocked(int track, int first, int count) const;
  bool BoundsLocked(int track, int first, int count, MapRect* out) const;

  const MapView* m_view;
  MapRedrawSink* m_sink;
  mutable std::mutex m_markerLock, m_trackLock;
  CStrList m_markers;
  IconInfo m_icons[kMapIconSlots];
  Track m_tracks[kMapTracks];
  Highlight m_rect, m_line;
  MapView m_ownView;  // until bound
};
