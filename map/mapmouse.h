// The map window's mouse: the three button slots, the running action
// (moving the map, selecting a rectangle, measuring, adding, moving and
// picking track points), the wheel, the keys, the rubber band's geometry and
// the records that tell the parent what happened. The window supplies what
// it needs of a window through MapMouseHost, so the logic runs anywhere.
#pragma once

#include <stdint.h>

#include "map/mapmath.h"
#include "map/mapoverlay.h"

// Notification codes of the map window (WM_NOTIFY).
#ifndef MAPN_SELECTION
#define MAPN_SELECTION 12289  // rectangle ended; also the centre notification
#endif
#define MAPN_MEASURE 12290     // measuring line ended
#define MAPN_ADDPOINT 12291    // adding a track point ended
#define MAPN_NEWTRACK 12292    // a click started a new track
#define MAPN_MOVEPOINT 12293   // moving a track point ended
#define MAPN_MENU 12294        // the third on-map menu button
#define MAPN_DRAGGING 12295    // a selection changes while dragged
#define MAPN_PICK 12296        // point picking ended
#define MAPN_DELETEPOINT 12297 // the Delete key removed a track point

// Mouse and key messages as the window passes them (Windows values).
enum : unsigned {
  kMapMsgMouseMove = 0x200,
  kMapMsgLButtonDown = 0x201,
  kMapMsgLButtonUp = 0x202,
  kMapMsgLButtonDblClk = 0x203,
  kMapMsgRButtonDown = 0x204,
  kMapMsgRButtonUp = 0x205,
  kMapMsgRButtonDblClk = 0x206,
  kMapMsgMButtonDown = 0x207,
  kMapMsgMButtonUp = 0x208,
  kMapMsgMButtonDblClk = 0x209,
  kMapMsgMouseWheel = 0x20A,
  kMapKeyControlFlag = 0x0008,  // MK_CONTROL in the key flags
  kMapVkEscape = 27,
  kMapVkControl = 17,
  kMapVkDelete = 46,
};

// Map style bits used here (the low 16 bits of the window's style word).
enum : uint32_t {
  kMapStyleDragLeft = 1,
  kMapStyleDragRight = 2,
  kMapStyleDragMiddle = 4,
  kMapStyleWheelZoom = 8,
  kMapStyleWheelScroll = 16,
  kMapStyleDragNotify = 64,
  kMapStyleMenu = 128,
  kMapStylePickPoints = 0x100,
  kMapStyleEditKeys = 0x200,
};

enum MapCursorShape { kMapCursorArrow, kMapCursorHand, kMapCursorCross };

// A notification without its window header.
struct MapNotifyData {
  unsigned code;
  int32_t state;
  int32_t track;
  uint32_t x1, y1, x2, y2;
  double lon1, lat1, lon2, lat2;
};

// The on-map menu: three 35-pixel buttons in a 36 x 105 strip, 36 pixels
// from the client's right edge and 10 from its top (buffer pixels).
const int kMapMenuW = 36, kMapMenuH = 105, kMapMenuButton = 35, kMapMenuTop = 10;
MapRect MapMenuRect(const MapView& v);
// The menu button (1 to 3) under a buffer pixel, 0 for none.
int MapMenuButtonAt(const MapView& v, int x, int y);

// The centre notification (code 12289, state 0).
MapNotifyData MapCentreNotify(const MapView& v);

class MapMouseHost {
 public:
  // The view with the current client size and scroll position.
  virtual const MapView& SyncView() = 0;
  virtual uint32_t MapStyle() = 0;
  virtual void SetMapStyle(uint32_t style) = 0;
  virtual int HostSetZoom(int z) = 0;
  virtual int HostMoveTo(uint32_t x, uint32_t y, int force) = 0;
  virtual int HostMoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force) = 0;
  virtual void HostCapture(bool on) = 0;
  virtual void HostFocus() = 0;
  virtual void HostCursor(MapCursorShape shape) = 0;
  // The mouse cursor's position in buffer pixels; false when unknown.
  virtual bool HostCursorPos(int* x, int* y) = 0;
  // Draws the rubber band with XOR: mode 1 a rectangle, 2 a line.
  virtual void HostXorBand(int mode, const MapRect& corners) = 0;
  virtual void HostNotify(const MapNotifyData& n) = 0;
  virtual void HostInvalidate(const MapRect& bufferRect) = 0;
  // The owner's callback; false when none is set (result then unused).
  virtual bool HostOwnerMouse(unsigned message, unsigned flags, int x, int y, int* result) = 0;

 protected:
  ~MapMouseHost() {}
};

class MapMouse {
 public:
  MapMouse(MapMouseHost* host, MapOverlay* overlay) : m_host(host), m_overlay(overlay) {}

  int SetMouseMode(int slot, int action);
  int GetMouseMode(int slot) const { return slot >= 0 && slot < 3 ? m_slots[slot] : 0; }
  // 0 none, 1 zoom, 2 scroll; above 2 (or below 0) only queries.
  int SetWheelMode(int mode);
  int GetMouseActionWorld(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const;
  int GetMouseAction(double* lon1, double* lat1, double* lon2, double* lat2) const;
  int FinishMouseAction();
  int CurrentAction() const { return m_action; }

  // Nonzero: the message was handled.
  int MouseProc(unsigned message, unsigned keyFlags, int x, int y);
  // True when the key was taken.
  bool OnKeyDown(unsigned key);
  // Another window took the mouse: a running action ends as by Escape
  // (its button-up would never come).
  void OnCaptureLost();

  // Starters; 0 while an action runs or when refused.
  int StartSelection(int x, int y, unsigned endMessage);
  int StartMeasure(int x, int y, unsigned endMessage);
  int StartAddPoint(int track, int index, uint32_t wx, uint32_t wy, unsigned endMessage);
  int StartMovePoint(int track, int index, unsigned endMessage);
  int StartPick(int x, int y, unsigned endMessage);

  // The band as painting draws it (without toggling): false when none shows.
  bool BandForPaint(int* mode, MapRect* corners) const;
  // Draws (or erases, when drawn) the band through the host; toggles.
  void DrawRubberBand();
  int HotButton() const { return m_hot; }
  void SetHotButton(int b) { m_hot = b; }

 private:
  int StartTwoPoint(int action, int x, int y, unsigned endMessage);
  bool StartAction(int action, int x, int y, unsigned endMessage);
  void ActionEvent(unsigned message, unsigned keyFlags, int x, int y);
  void EndByMouse();
  void CancelAddPoint();
  void UpdateHover(int x, int y, bool ctrl);
  void Notify(unsigned code, int state, int track, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2,
              bool geo = true);
  void RedrawPoint(int track, int index);
  void Wheel(unsigned keyFlags, int x, int y);
  void ClearAction();

  MapMouseHost* m_host;
  MapOverlay* m_overlay;
  int m_slots[3] = {0, 0, 0};
  int m_action = 0;
  unsigned m_endMessage = 0;
  uint32_t m_anchorX = 0, m_anchorY = 0;
  uint32_t m_startX = 0, m_startY = 0, m_endX = 0, m_endY = 0;
  int m_bandMode = 0;
  bool m_bandDrawn = false;
  MapRect m_bandPx = {0, 0, 0, 0};
  int m_pressX = 0, m_pressY = 0;
  uint32_t m_moveFromX = 0, m_moveFromY = 0;
  bool m_addOnEmpty = false;  // the running add began the track
  bool m_releasing = false;   // our own release of the capture
  int m_hot = 0;
};

const int kMapMovedMark = -10000;
