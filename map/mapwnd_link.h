// What the overlay and mouse logic (mapwnd_overlay.cpp) and the tile
// machinery (maptiles_wnd.cpp) need of the map window, answered by the window.
#pragma once

#include "map/mapmouse.h"
#include "map/mapoverlay.h"
#include "map/tilehost.h"

class CMapWnd;

class MapWndLink : public MapMouseHost, public MapRedrawSink {
 public:
  explicit MapWndLink(CMapWnd* map) : m_map(map) {}

  const MapView& SyncView() override;
  uint32_t MapStyle() override;
  void SetMapStyle(uint32_t style) override;
  int HostSetZoom(int z) override;
  int HostMoveTo(uint32_t x, uint32_t y, int force) override;
  int HostMoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force) override;
  void HostCapture(bool on) override;
  void HostFocus() override;
  void HostCursor(MapCursorShape shape) override;
  bool HostCursorPos(int* x, int* y) override;
  void HostXorBand(int mode, const MapRect& corners) override;
  void HostNotify(const MapNotifyData& n) override;
  void HostInvalidate(const MapRect& bufferRect) override;
  bool HostOwnerMouse(unsigned message, unsigned flags, int x, int y, int* result) override;
  // From any thread: posted as a client rectangle from threads other than
  // the window's own.
  void InvalidateBufferRect(const MapRect& r) override;

 private:
  CMapWnd* m_map;
};

class MapTileLink : public TileHost {
 public:
  explicit MapTileLink(CMapWnd* map) : m_map(map) {}

  int TileCells(uint32_t tx, uint32_t ty, int* row, int* cols) override;
  bool JobCurrent(const TileJob& job) override;
  bool BlendTile(CPicture& pic, int source, int row, const int* cols, int ncols, long epoch) override;
  int ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs) override;
  void PostTileReady(uint32_t tx, uint32_t ty, int worker) override;
  void PostCompose(int worker) override;

 private:
  CMapWnd* m_map;
};
