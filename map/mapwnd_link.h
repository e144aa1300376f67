// What the overlay and mouse logic need of the map window, answered by the
// window (see mapwnd_overlay.cpp).
#pragma once

#include "map/mapmouse.h"
#include "map/mapoverlay.h"

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
