// CMapWnd: the slippy-map window. A back buffer larger than the screen,
// divided into cells of one tile each, scrolled, shifted and rescaled as the
// map moves and zooms; the tile machinery fills the cells.
#pragma once

#include <windows.h>

#include "files/fileops.h"
#include "map/mapmath.h"
#include "map/maptiles.h"
#include "toolkit/imagewnd.h"
#include "map/mapoverlay_paint.h"
#include "map/mapwnd_link.h"
#include "map/tilescheduler.h"

class CMapWnd;

// Private messages of the map window.
#define WM_MAP_NOTIFYCENTRE 0x5458  // centre notification to the parent
#define WM_MAP_TILEREADY 0x5459     // wParam, lParam: tile column, row (| kMapTileReadyCompose)
#define WM_MAP_INVALIDATE 0x545A    // client pixels, by value: MapPackRect / MapUnpackRect
#define WM_MAP_CLEAR 0x545B         // clear the buffer and reload
#define WM_MAP_COMPOSE 0x545C       // run the scheduler
// in WM_MAP_TILEREADY's row: the worker is idle again, run the scheduler too
const uint32_t kMapTileReadyCompose = 0x80000000u;
#define MAP_TIMER_ID 21597          // 2-second timer
#define MAP_PAINT_TIMER_ID 21598    // paints the tiles that came in since the last frame

// WM_MAP_INVALIDATE carries its rectangle in the message itself, so a
// message dropped with its window (or never posted) owns nothing:
// wParam = (left, top), lParam = (right, bottom) as signed 16-bit pairs,
// clamped; a client area is far smaller than that range.
inline void MapPackRect(const RECT& r, WPARAM* wParam, LPARAM* lParam) {
  auto c = [](LONG v) -> WORD { return (WORD)(SHORT)(v < -32768 ? -32768 : v > 32767 ? 32767 : v); };
  *wParam = (WPARAM)MAKELONG(c(r.left), c(r.top));
  *lParam = (LPARAM)MAKELONG(c(r.right), c(r.bottom));
}
inline RECT MapUnpackRect(WPARAM wParam, LPARAM lParam) {
  RECT r = {(SHORT)LOWORD(wParam), (SHORT)HIWORD(wParam), (SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
  return r;
}

// Style bits of the map (the low 16 bits of the style word).
enum : DWORD {
  MAPS_DRAGLEFT = 1,
  MAPS_DRAGRIGHT = 2,
  MAPS_DRAGMIDDLE = 4,
  MAPS_WHEELZOOM = 8,
  MAPS_WHEELSCROLL = 16,
  MAPS_CENTRENOTIFY = 32,
  MAPS_DRAGNOTIFY = 64,
  MAPS_MENU = 128,
  MAPS_PICKPOINTS = 0x100,
  MAPS_EDITKEYS = 0x200,
};

// The WM_NOTIFY record of the map window.
struct MapNotify {
  NMHDR hdr;
  int state;
  int track;
  uint32_t x1, y1, x2, y2;
  double lon1, lat1, lon2, lat2;
};
#ifndef MAPN_SELECTION
#define MAPN_SELECTION 12289  // rectangle selection ended; also the centre notification
#endif

// Owner callbacks.
typedef void (*MapPaintCallback)(void* context, HDC dc);
typedef int (*MapMouseCallback)(void* context, UINT message, UINT keyFlags, int x, int y);

class CHttpClient;

class CMapWnd : public CImageWnd {
 public:
  CMapWnd();
  ~CMapWnd() override;

  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDlg, UINT id);

  // Transforms; buffer pixels are back-buffer pixels, the buffer's centre
  // pixel showing the world origin.
  static void WorldToGeo(uint32_t x, uint32_t y, double* lon, double* lat);
  // Latitudes beyond the Mercator world are clamped to its edges.
  static void GeoToWorld(double lon, double lat, uint32_t* x, uint32_t* y);
  void ClientToWorld(int px, int py, uint32_t* x, uint32_t* y) const { m_view.ClientToWorld(px, py, x, y); }
  void WorldToClient(uint32_t x, uint32_t y, int* px, int* py) const { m_view.WorldToClient(x, y, px, py); }
  void ClientToGeo(int px, int py, double* lon, double* lat) const { m_view.ClientToGeo(px, py, lon, lat); }
  void GeoToClient(double lon, double lat, int* px, int* py) const { m_view.GeoToClient(lon, lat, px, py); }
  bool CellToTile(int col, int row, uint32_t* tx, uint32_t* ty) const { return m_view.CellToTile(col, row, tx, ty); }
  bool TileToCell(uint32_t tx, uint32_t ty, int* col, int* row) const { return m_view.TileToCell(tx, ty, col, row); }
  CPicture* GetBackBuffer() { return &m_picture; }

  // Position and zoom.
  int MoveTo(uint32_t x, uint32_t y, int force);
  int MoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force);
  int SetZoom(int z);
  void SetZoomRange(int minZoom, int maxZoom);
  void SetAreaLimitsX(uint32_t from, uint32_t to);
  void SetAreaLimitsY(int64_t from, int64_t to);
  void ZoomToArea(double lon1, double lat1, double lon2, double lat2, int width, int height);
  int SetLargeTiles(int mode);
  // colour in the Windows order 0x00BBGGRR
  void SetBackgroundColour(COLORREF colour);

  int GetZoom() const { return m_view.zoom; }
  void GetCentre(uint32_t* x, uint32_t* y) const { *x = m_view.centreX, *y = m_view.centreY; }
  void GetOrigin(uint32_t* x, uint32_t* y) const { *x = m_view.originX, *y = m_view.originY; }
  const MapView& View() const { return m_view; }
  DWORD GetMapStyle() const { return m_style; }
  uint32_t GetCellState(int col, int row);
  bool IsRunning() const { return m_running != 0; }

  void SetPrePaintCallback(MapPaintCallback proc, void* context) { m_prePaint = proc, m_prePaintCtx = context; }
  void SetPostPaintCallback(MapPaintCallback proc, void* context) { m_postPaint = proc, m_postPaintCtx = context; }
  void SetMouseCallback(MapMouseCallback proc, void* context) { m_ownerMouse = proc, m_ownerMouseCtx = context; }

  // Markers, tracks, highlights, the mouse and the keys (mapwnd_overlay.cpp).
  int InsertMarker(int index, const char* text, double lon, double lat, uint32_t flags, COLORREF colour, BOOL redraw);
  int SetMarker(int index, const char* text, double lon, double lat, int flags, int colour, BOOL redraw);
  int GetMarker(int index, double* lon, double* lat, char* text, int size) const;
  int GetMarkerWorld(int index, uint32_t* x, uint32_t* y, char* text, int size) const;
  int DeleteMarker(int index, BOOL redraw);
  void DeleteAllMarkers(BOOL redraw);
  int SetMarkerIcon(int kind, HBITMAP bitmap, int hotX, int hotY, BOOL redraw);
  void InvalidateMarker(int index, BOOL hide);
  int InsertTrackPoint(int track, uint32_t x, uint32_t y, int index, BOOL redraw);
  int GetTrackPoint(int track, uint32_t* x, uint32_t* y, int index) const;
  int DeleteTrackPoint(int track, int index, BOOL redraw);
  int ClearTrack(int track, BOOL redraw);
  int GetTrackStyle(int track, COLORREF* colour, int* width) const;
  int SetTrackStyle(int track, COLORREF colour, int width, BOOL redraw);
  int SetTrackEditable(int track, BOOL editable, BOOL redraw);
  int SetTrackVisible(int track, int flag);
  void InvalidateTrackRange(int track, int first, int count);
  double GetTrackLength(int track) const;
  int GetTrackCount(int track) const { return m_overlay.GetTrackCount(track); }
  bool IsTrackModified(int track) const { return m_overlay.IsTrackModified(track); }
  void ZoomToTrack(int track);
  void SetHighlightRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, COLORREF colour);
  void SetSecondRect(uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2, COLORREF colour);
  void ClearHighlightRect();
  void ClearSecondRect();
  BOOL CopyToImage(int what, CPicture* picture);
  int GeoPixelDistance(double lon1, double lat1, double lon2, double lat2) const;
  void GetVisibleWorldRect(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2);
  int MetresToPixels(double lon, double lat, double metres, int mode) const;
  int SetMouseMode(int slot, int action);
  int GetMouseMode(int slot) const;
  int SetWheelMode(int mode);
  int GetMouseActionWorld(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const;
  int GetMouseAction(double* lon1, double* lat1, double* lon2, double* lat2) const;
  int FinishMouseAction();
  BOOL ShowMapMenu(BOOL show);
  void DrawRubberBand(HDC dc);

  // Paints every cell that shows nothing with the background.
  void FillEmptyCells();
  // The empty cells under the client area (drawings begun before are
  // dropped), and those outside it that no busy worker holds (nothing is
  // dropped: no worker draws into them).
  void FillEmptyCellsVisible();
  void FillEmptyCellsRest();

  // Tile sources and the disk cache (maptiles_wnd.cpp). SetSource and
  // SetLayerAlpha change nothing on screen until ApplySources.
  int SetSource(int slot, const char* server, const char* path, int port, int fixed, int iface,
                const char* options, int timeout);
  int CopySourcesFrom(CMapWnd* other);
  int SetLayerAlpha(int slot, int32_t offset, int32_t scale);
  int ApplySources();
  MapTileSource GetSource(int slot);
  void Reload();
  // Empties the tile cache (the fixed cache beside it stays); cancel, when
  // given, is asked between files: -2 when it stopped the deletion.
  int ClearCache(const DirCancel* cancel = nullptr);
  static void SetCacheLimit(uint32_t mib);
  // Renders the area with top-left world point (x, y) at zoom from the
  // caches (missing tiles fetched by the workers); *missing gets the tile
  // files that could not be had. 0 done, 3 stopped or cancelled, 1 bad
  // arguments.
  int RenderArea(uint32_t x, uint32_t y, int zoom, CPicture* picture, volatile LONG* tiles, volatile LONG* cancel,
                 int width, int height, int* missing = nullptr);
  // The process-wide back-buffer size.
  static int BufferWidth() { return s_bufW; }
  static int BufferHeight() { return s_bufH; }

 protected:
  // The scheduler (flag 1 the visible cells only, flag 2 retry failed
  // sources): jobs handed out, -1 when it cannot run.
  virtual int ComposeTiles(int flags);
  // the tile machinery, for windows that stand in their own workers or
  // scheduler (tests)
  TileScheduler& Tiles() { return m_tiles; }

  MapView m_view;
  DWORD m_style;
  volatile LONG m_alive;    // created and not destroyed
  volatile LONG m_running;  // workers started
  unsigned m_ticks;
  DWORD m_uiThread;
  HPEN m_yellowPen;
  uint32_t* m_gridScratch;  // old states during a zoom step
  int* m_mapScratch;        // column and row maps of a zoom step
  uint32_t* m_rowScratch;   // one pixel row

  MapPaintCallback m_prePaint, m_postPaint;
  void *m_prePaintCtx, *m_postPaintCtx;
  MapMouseCallback m_ownerMouse;
  void* m_ownerMouseCtx;

  static int s_bufW, s_bufH;
  static volatile LONG s_liveWindows;
  static volatile LONG s_windows;  // constructed map windows

  friend class MapWndLink;
  MapOverlay m_overlay;
  MapWndLink m_link;
  MapMouse m_mouse;
  MapOverlayPainter m_painter;
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  LRESULT OnCaptureChanged(WPARAM, LPARAM);
  void PaintOverlays(HDC dc, const RECT* update);
  void PaintLayers(HDC dc, const RECT* update);
  // A 32-bit DIB the overlays are painted in when a track is shown: the
  // track lines then go straight into its pixels (GDI's wide pens are slow).
  HDC m_frameDC;
  HBITMAP m_frameBmp;
  HGDIOBJ m_frameOld;
  uint32_t* m_framePx;
  int m_frameW, m_frameH;
  bool MakeFrame(int w, int h);

  static void PaintProc(void* context, HDC dc, const RECT* update);
  static int MouseProc(void* context, UINT message, UINT keyFlags, int x, int y);

  void OnSize(UINT nType, int cx, int cy);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  LRESULT OnNotifyParent(WPARAM, LPARAM);
  LRESULT OnTileReady(WPARAM, LPARAM);
  LRESULT OnInvalidateRect(WPARAM, LPARAM);
  LRESULT OnClearBuffer(WPARAM, LPARAM);
  LRESULT OnComposeTiles(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  friend class MapBufferMover;
  friend class MapTileLink;
  MapTileLink m_tileLink;  // before m_tiles: its workers use it to the end
  TileScheduler m_tiles;
  int m_visibleFirst;
  // Finished tiles' cells in buffer pixels, invalidated together at most
  // once a frame: one paint for many tiles instead of one each.
  HRGN m_pendingTiles, m_tileRect;
  bool m_paintTimer;
  DWORD m_lastTileFlush;
  void QueueTileRect(int x, int y, int size);
  void FlushTileRects();
  void StartWorkers();
  void StopWorkers();
  int ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs);
  bool BlendTile(CPicture& pic, int source, int row, const int* cols, int ncols, long epoch);
  bool PostToSelf(UINT message, WPARAM wParam, LPARAM lParam);
  void ReanchorBuffer(int dx, int dy);
  void RescaleBuffer(const MapView& before, const MapView& after);
  void FillWorldBands();
  MapPixels BufferPixels();
  void RunComposer();
  bool BufferReady() { return !m_picture.IsEmpty() && m_tiles.Grid().words; }
};
