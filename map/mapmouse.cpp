#include "map/mapmouse.h"

#include <stdlib.h>
#include <string.h>

namespace {

int ClampInt(int64_t v) {
  const int64_t lim = 0x3FFFFFFF;
  return (int)(v < -lim ? -lim : v > lim ? lim : v);
}

}  // namespace

MapRect MapMenuRect(const MapView& v) {
  MapRect r;
  r.left = v.scrollX + v.clientW - kMapMenuW;
  r.top = v.scrollY + kMapMenuTop;
  r.right = r.left + kMapMenuW;
  r.bottom = r.top + kMapMenuH;
  return r;
}

int MapMenuButtonAt(const MapView& v, int x, int y) {
  if (x < v.clientW + v.scrollX - kMapMenuW || x >= v.clientW + v.scrollX) return 0;
  if (y < v.scrollY + kMapMenuTop || y >= v.scrollY + kMapMenuTop + kMapMenuH) return 0;
  return (y - v.scrollY - kMapMenuTop) / kMapMenuButton + 1;
}

MapNotifyData MapCentreNotify(const MapView& v) {
  MapNotifyData n;
  memset(&n, 0, sizeof n);
  n.code = MAPN_SELECTION;
  n.x1 = v.centreX;
  n.y1 = v.centreY;
  n.lon1 = MapWorldXToLon(n.x1);
  n.lat1 = MapWorldYToLat(n.y1);
  return n;
}

// ------------------------------------------------------------------ settings

int MapMouse::SetMouseMode(int slot, int action) {
  if (slot < 0 || slot >= 3) return 0;
  int old = m_slots[slot];
  if (action >= 0 && action <= 6) m_slots[slot] = action;
  return old;
}

int MapMouse::SetWheelMode(int mode) {
  uint32_t style = m_host->MapStyle();
  int old = (style & kMapStyleWheelZoom) ? 1 : (style & kMapStyleWheelScroll) ? 2 : 0;
  if (mode < 0 || mode > 2) return old;
  style &= ~(uint32_t)(kMapStyleWheelZoom | kMapStyleWheelScroll);
  if (mode == 1) style |= kMapStyleWheelZoom;
  if (mode == 2) style |= kMapStyleWheelScroll;
  m_host->SetMapStyle(style);
  return old;
}

int MapMouse::GetMouseActionWorld(uint32_t* x1, uint32_t* y1, uint32_t* x2, uint32_t* y2) const {
  if (x1) *x1 = m_startX;
  if (y1) *y1 = m_startY;
  if (x2) *x2 = m_endX;
  if (y2) *y2 = m_endY;
  return m_action;
}

int MapMouse::GetMouseAction(double* lon1, double* lat1, double* lon2, double* lat2) const {
  if (lon1) *lon1 = MapWorldXToLon(m_startX);
  if (lat1) *lat1 = MapWorldYToLat(m_startY);
  if (lon2) *lon2 = MapWorldXToLon(m_endX);
  if (lat2) *lat2 = MapWorldYToLat(m_endY);
  return m_action;
}

// ------------------------------------------------------------------ helpers

void MapMouse::Notify(unsigned code, int state, int track, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2,
                      bool geo) {
  MapNotifyData n;
  memset(&n, 0, sizeof n);
  n.code = code;
  n.state = state;
  n.track = track;
  n.x1 = x1, n.y1 = y1, n.x2 = x2, n.y2 = y2;
  if (geo) {
    n.lon1 = MapWorldXToLon(x1), n.lat1 = MapWorldYToLat(y1);
    n.lon2 = MapWorldXToLon(x2), n.lat2 = MapWorldYToLat(y2);
  }
  m_host->HostNotify(n);
}

void MapMouse::RedrawPoint(int track, int index) {
  if (track >= 0) m_overlay->InvalidateTrackRange(track, index - 1, 3);
}

void MapMouse::DrawRubberBand() {
  if (!m_bandMode) return;
  if (!m_bandDrawn) {
    // drawing (not erasing): the corners as they are now
    const MapView& v = m_host->SyncView();
    int64_t ax, ay, bx, by;
    MapWorldToBuffer64(v, m_startX, m_startY, &ax, &ay);
    MapWorldToBuffer64(v, m_endX, m_endY, &bx, &by);
    int64_t world = v.WorldWidthPx();
    if (m_bandMode == 1 && world > 0 && world < v.bufW) {
      // a repeating world: the copy nearest the client's middle
      int64_t mid = (ax + bx) / 2, cmid = (int64_t)v.scrollX + v.clientW / 2;
      int64_t k = (cmid - mid + (cmid >= mid ? world / 2 : -world / 2)) / world;
      ax += k * world;
      bx += k * world;
    }
    m_bandPx = MapRect{ClampInt(ax), ClampInt(ay), ClampInt(bx), ClampInt(by)};
  }
  m_host->HostXorBand(m_bandMode, m_bandPx);
  m_bandDrawn = !m_bandDrawn;
}

bool MapMouse::BandForPaint(int* mode, MapRect* corners) const {
  if (!m_action || !m_bandMode || !m_bandDrawn) return false;
  *mode = m_bandMode;
  *corners = m_bandPx;
  return true;
}

void MapMouse::ClearAction() {
  m_action = 0;
  m_bandMode = 0;
  m_bandDrawn = false;
  m_endMessage = 0;
}

// ------------------------------------------------------------------ starters

int MapMouse::StartTwoPoint(int action, int x, int y, unsigned endMessage) {
  if (m_action) return 0;
  if (m_bandDrawn) DrawRubberBand();
  const MapView& v = m_host->SyncView();
  v.ClientToWorld(x, y, &m_startX, &m_startY);
  int cx = x, cy = y;
  if (!m_host->HostCursorPos(&cx, &cy)) cx = x, cy = y;
  v.ClientToWorld(cx, cy, &m_endX, &m_endY);
  m_action = action;
  m_endMessage = endMessage;
  m_bandMode = action == 2 ? 1 : 2;
  m_bandDrawn = false;
  m_host->HostCapture(true);
  DrawRubberBand();
  if (m_host->MapStyle() & kMapStyleDragNotify) Notify(MAPN_DRAGGING, action, 0, m_startX, m_startY, m_endX, m_endY);
  return 1;
}

int MapMouse::StartSelection(int x, int y, unsigned endMessage) { return StartTwoPoint(2, x, y, endMessage); }

int MapMouse::StartMeasure(int x, int y, unsigned endMessage) { return StartTwoPoint(3, x, y, endMessage); }

int MapMouse::StartPick(int x, int y, unsigned endMessage) {
  if (m_action) return 0;
  if (m_bandDrawn) DrawRubberBand();
  const MapView& v = m_host->SyncView();
  v.ClientToWorld(x, y, &m_startX, &m_startY);
  m_endX = m_startX, m_endY = m_startY;
  m_action = 6;
  m_endMessage = endMessage;
  m_host->HostCapture(true);
  if (m_host->MapStyle() & kMapStyleDragNotify) {
    int track = m_overlay->selTrack >= 0 ? m_overlay->selTrack : 0;
    Notify(MAPN_DRAGGING, 6, track, m_startX, m_startY, m_endX, m_endY);
  }
  return 1;
}

int MapMouse::StartAddPoint(int track, int index, uint32_t wx, uint32_t wy, unsigned endMessage) {
  if (m_action) return 0;
  if (m_bandDrawn) DrawRubberBand();
  if (track == -1) {
    track = m_overlay->FirstEditableTrack();
    if (track < 0) return 0;  // nothing may be edited
    index = -1;
  }
  if (track < 0 || track >= kMapTracks) return 0;
  int n = m_overlay->GetTrackCount(track);
  m_addOnEmpty = n == 0;
  if (n == 0) {
    if (m_overlay->InsertTrackPoint(track, wx, wy, 0, true) < 0) return 0;
    Notify(MAPN_NEWTRACK, 0, track, wx & kMapWorldMask, wy & kMapWorldMask, 0, 0);
    index = 0;
    n = 1;
  }
  if (index < 0 || index >= n) index = n - 1;  // behind the last point
  int at = (index == 0 && n >= 2) ? 0 : index + 1;
  int oldTrack, oldIndex;
  m_overlay->LockTracks();
  oldTrack = m_overlay->selTrack, oldIndex = m_overlay->selIndex;
  m_overlay->UnlockTracks();
  at = m_overlay->InsertTrackPoint(track, wx, wy, at, true);
  if (at < 0) {
    if (m_addOnEmpty) m_overlay->ClearTrack(track, true);
    return 0;
  }
  m_overlay->LockTracks();
  m_overlay->selTrack = track, m_overlay->selIndex = at;
  m_overlay->UnlockTracks();
  if (oldTrack >= 0) RedrawPoint(oldTrack, oldIndex);
  m_action = 4;
  m_endMessage = endMessage;
  m_pressX = kMapMovedMark;  // a click without a drag adds the point
  m_host->HostCursor(kMapCursorCross);
  m_host->HostCapture(true);
  return 1;
}

int MapMouse::StartMovePoint(int track, int index, unsigned endMessage) {
  if (m_action) return 0;
  if (track < 0 || track >= kMapTracks || !m_overlay->IsTrackEditable(track)) return 0;
  uint32_t x, y;
  if (m_overlay->GetTrackPoint(track, &x, &y, index) < 0) return 0;
  if (m_bandDrawn) DrawRubberBand();
  m_overlay->LockTracks();
  int oldTrack = m_overlay->selTrack, oldIndex = m_overlay->selIndex;
  m_overlay->selTrack = track, m_overlay->selIndex = index;
  m_overlay->UnlockTracks();
  if (oldTrack >= 0) RedrawPoint(oldTrack, oldIndex);
  m_moveFromX = x, m_moveFromY = y;
  m_action = 5;
  m_endMessage = endMessage;
  m_pressX = kMapMovedMark;
  m_host->HostCursor(kMapCursorCross);
  m_host->HostCapture(true);
  RedrawPoint(track, index);
  return 1;
}

bool MapMouse::StartAction(int action, int x, int y, unsigned endMessage) {
  bool ok = false;
  switch (action) {
    case 1: {
      const MapView& v = m_host->SyncView();
      v.ClientToWorld(x, y, &m_anchorX, &m_anchorY);
      m_action = 1;
      m_endMessage = endMessage;
      m_host->HostCursor(kMapCursorHand);
      m_host->HostCapture(true);
      ok = true;
      break;
    }
    case 2:
      ok = StartSelection(x, y, endMessage) != 0;
      break;
    case 3:
      ok = StartMeasure(x, y, endMessage) != 0;
      break;
    case 4: {
      uint32_t wx, wy;
      m_host->SyncView().ClientToWorld(x, y, &wx, &wy);
      ok = StartAddPoint(-1, -1, wx, wy, endMessage) != 0;
      // the moved mark stays: a click alone adds the point
      return ok;
    }
    case 5: {
      m_overlay->LockTracks();
      int t = m_overlay->selTrack, i = m_overlay->selIndex;
      m_overlay->UnlockTracks();
      ok = t >= 0 && StartMovePoint(t, i, endMessage) != 0;
      break;
    }
    case 6:
      ok = StartPick(x, y, endMessage) != 0;
      break;
    default:
      return false;
  }
  if (ok) m_pressX = x, m_pressY = y;
  return ok;
}

// ------------------------------------------------------------------- events

void MapMouse::UpdateHover(int x, int y, bool ctrl) {
  const MapView& v = m_host->SyncView();
  m_overlay->LockTracks();
  m_overlay->hoverTrack = m_overlay->hoverIndex = -1;
  if (m_host->MapStyle() & kMapStylePickPoints) {
    for (int t = 0; t < kMapTracks && m_overlay->hoverTrack < 0; t++) {
      MapOverlay::TrackInfo info = m_overlay->GetTrackInfoLocked(t);
      if (!info.visible || !info.editable) continue;
      const std::vector<MapWorldPoint>& p = m_overlay->TrackPoints(t);
      for (int i = (int)p.size() - 1; i >= 0; i--) {
        int64_t px, py;
        MapWorldToBuffer64(v, p[i].x, p[i].y, &px, &py);
        if (llabs(px - x) <= 3 && llabs(py - y) <= 3) {
          m_overlay->hoverTrack = t, m_overlay->hoverIndex = i;
          break;
        }
      }
    }
  }
  bool found = m_overlay->hoverTrack >= 0;
  m_overlay->UnlockTracks();
  if (found && !ctrl) m_host->HostCursor(kMapCursorCross);
}

void MapMouse::Wheel(unsigned keyFlags, int x, int y) {
  int d = (int16_t)(keyFlags >> 16);
  uint32_t style = m_host->MapStyle();
  const MapView& v = m_host->SyncView();
  if (style & kMapStyleWheelScroll) {
    // half a pixel per unit: 60 pixels a notch; the north edge stops it
    int64_t cy = (int64_t)v.centreY - MapPxToWorld(d, v.Shift()) / 2;
    if (cy < 0) cy = 0;
    if (cy > (int64_t)kMapWorldMask) cy = kMapWorldMask;
    m_host->HostMoveTo(v.centreX, (uint32_t)cy, 1);
  } else if ((style & kMapStyleWheelZoom) && d != 0) {
    uint32_t wx, wy;
    v.ClientToWorld(x, y, &wx, &wy);
    int cx = x - v.scrollX, cy = y - v.scrollY;
    int before = v.zoom;
    int z = m_host->HostSetZoom(before + (d > 0 ? 1 : -1));
    const MapView& after = m_host->SyncView();
    if (z != before && cx >= 0 && cy >= 0 && cx < after.clientW && cy < after.clientH)
      m_host->HostMoveWorldToClient(wx, wy, cx + after.scrollX, cy + after.scrollY, 1);
  }
}

void MapMouse::ActionEvent(unsigned message, unsigned keyFlags, int x, int y) {
  if (message == m_endMessage) {
    EndByMouse();
    return;
  }
  if (message != kMapMsgMouseMove) return;
  const MapView& v = m_host->SyncView();
  switch (m_action) {
    case 1:
      m_host->HostMoveWorldToClient(m_anchorX, m_anchorY, x, y, 1);
      m_host->HostCursor(kMapCursorHand);
      break;
    case 2:
    case 3:
      v.ClientToWorld(x, y, &m_endX, &m_endY);
      if (m_bandDrawn) DrawRubberBand();
      DrawRubberBand();
      if (m_host->MapStyle() & kMapStyleDragNotify)
        Notify(MAPN_DRAGGING, m_action, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 4:
    case 5: {
      if (m_pressX != kMapMovedMark && abs(x - m_pressX) < 2 && abs(y - m_pressY) < 2) break;
      uint32_t wx, wy;
      v.ClientToWorld(x, y, &wx, &wy);
      m_overlay->LockTracks();
      int t = m_overlay->selTrack, i = m_overlay->selIndex;
      m_overlay->UnlockTracks();
      if (t < 0) break;
      RedrawPoint(t, i);  // where it was
      m_overlay->SetTrackPoint(t, i, wx, wy);
      RedrawPoint(t, i);
      m_pressX = kMapMovedMark;
      break;
    }
    case 6:
      v.ClientToWorld(x, y, &m_endX, &m_endY);
      if (m_host->MapStyle() & kMapStyleDragNotify) {
        int track = m_overlay->selTrack >= 0 ? m_overlay->selTrack : 0;
        Notify(MAPN_DRAGGING, 6, track, m_startX, m_startY, m_endX, m_endY);
      }
      break;
  }
}

void MapMouse::EndByMouse() {
  int action = m_action;
  m_releasing = true;
  m_host->HostCapture(false);
  m_releasing = false;
  if (m_bandDrawn) DrawRubberBand();
  if ((action == 4 || action == 5) && m_pressX != kMapMovedMark) {
    // pressed and released in place: nothing was moved
    FinishMouseAction();
    return;
  }
  ClearAction();  // the parent may start another action when told
  switch (action) {
    case 2:
      Notify(MAPN_SELECTION, 0, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 3:
      Notify(MAPN_MEASURE, 0, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 6: {
      int track = m_overlay->selTrack >= 0 ? m_overlay->selTrack : 0;
      Notify(MAPN_PICK, 0, track, m_startX, m_startY, m_endX, m_endY);
      break;
    }
    case 4:
    case 5: {
      m_overlay->LockTracks();
      int t = m_overlay->selTrack, i = m_overlay->selIndex;
      m_overlay->UnlockTracks();
      uint32_t x = 0, y = 0;
      if (t < 0 || m_overlay->GetTrackPoint(t, &x, &y, i) < 0) break;
      m_overlay->SetTrackModified(t);
      if (action == 4) {
        Notify(MAPN_ADDPOINT, i, t, x, y, 0, 0);
      } else {
        Notify(MAPN_MOVEPOINT, 0, t, x, y, m_moveFromX, m_moveFromY);
      }
      RedrawPoint(t, i);
      break;
    }
  }
}

void MapMouse::CancelAddPoint() {
  m_overlay->LockTracks();
  int t = m_overlay->selTrack, i = m_overlay->selIndex;
  m_overlay->UnlockTracks();
  if (t < 0) return;
  int n = m_overlay->GetTrackCount(t);
  if (m_addOnEmpty && n == 2 && i < 2) {
    // the add began the track: its first point goes too
    m_overlay->ClearTrack(t, true);
  } else {
    m_overlay->DeleteTrackPoint(t, i, true);
    int sel = i > 0 ? i - 1 : 0;
    m_overlay->LockTracks();
    if (m_overlay->GetTrackCountLocked(t) > 0)
      m_overlay->selTrack = t, m_overlay->selIndex = sel;
    else
      m_overlay->selTrack = m_overlay->selIndex = -1;
    m_overlay->UnlockTracks();
    RedrawPoint(t, sel);
  }
  Notify(MAPN_ADDPOINT, (int32_t)((uint32_t)i | 0x80000000u), t, 0, 0, 0, 0, false);
}

int MapMouse::FinishMouseAction() {
  if (!m_action) return 0;
  int action = m_action;
  m_releasing = true;
  m_host->HostCapture(false);
  m_releasing = false;
  if (m_bandDrawn) DrawRubberBand();
  ClearAction();
  switch (action) {
    case 2:
      Notify(MAPN_SELECTION, 1, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 3:
      Notify(MAPN_MEASURE, 1, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 6:
      Notify(MAPN_PICK, 1, 0, m_startX, m_startY, m_endX, m_endY);
      break;
    case 4:
      CancelAddPoint();
      break;
    case 5: {
      m_overlay->LockTracks();
      int t = m_overlay->selTrack, i = m_overlay->selIndex;
      m_overlay->UnlockTracks();
      if (t < 0) break;
      RedrawPoint(t, i);
      m_overlay->SetTrackPoint(t, i, m_moveFromX, m_moveFromY);
      Notify(MAPN_MOVEPOINT, 1, t, m_moveFromX, m_moveFromY, m_moveFromX, m_moveFromY);
      RedrawPoint(t, i);
      break;
    }
  }
  return 1;
}

int MapMouse::MouseProc(unsigned message, unsigned keyFlags, int x, int y) {
  // the window class asks for double-clicks: the second press of a quick
  // pair is a press like the first, for the map and for its owner
  if (message == kMapMsgLButtonDblClk || message == kMapMsgRButtonDblClk || message == kMapMsgMButtonDblClk)
    message -= kMapMsgLButtonDblClk - kMapMsgLButtonDown;
  const MapView& v = m_host->SyncView();
  uint32_t style = m_host->MapStyle();
  int button = (style & kMapStyleMenu) ? MapMenuButtonAt(v, x, y) : 0;
  if (!m_action) {
    // the wheel's high word is its delta, not a button
    unsigned flags = message == kMapMsgMouseWheel ? keyFlags : (keyFlags & 0xFFFF) | ((unsigned)button << 16);
    int result = 0;
    if (m_host->HostOwnerMouse(message, flags, x, y, &result) && result) return 1;
  }
  if (m_action) {
    ActionEvent(message, keyFlags, x, y);
    return 1;
  }
  bool ctrl = (keyFlags & kMapKeyControlFlag) != 0;
  switch (message) {
    case kMapMsgMouseMove:
      if (style & kMapStyleMenu) {
        if (button != m_hot) {
          m_hot = button;
          m_host->HostInvalidate(MapMenuRect(v));
        }
        if (button) return 1;
      }
      UpdateHover(x, y, ctrl);
      return 0;
    case kMapMsgLButtonDown: {
      m_host->HostFocus();
      if (button) {
        if (button == 1) m_host->HostSetZoom(v.zoom + 1);
        if (button == 2) m_host->HostSetZoom(v.zoom - 1);
        if (button == 3) {
          const MapView& w = m_host->SyncView();
          MapNotifyData n;
          memset(&n, 0, sizeof n);
          n.code = MAPN_MENU;
          n.x1 = (uint32_t)x, n.y1 = (uint32_t)y;
          n.x2 = (uint32_t)(x - w.scrollX), n.y2 = (uint32_t)(y - w.scrollY);
          m_host->HostNotify(n);
        }
        m_hot = -1;
        m_host->HostInvalidate(MapMenuRect(m_host->SyncView()));
        return 1;
      }
      m_overlay->LockTracks();
      int ht = m_overlay->hoverTrack, hi = m_overlay->hoverIndex;
      m_overlay->UnlockTracks();
      if (ht >= 0) {
        if (m_slots[0] == 4 && ctrl) {
          uint32_t wx, wy;
          v.ClientToWorld(x, y, &wx, &wy);
          StartAddPoint(ht, hi, wx, wy, kMapMsgLButtonUp);
        } else if (StartMovePoint(ht, hi, kMapMsgLButtonUp)) {
          m_pressX = x, m_pressY = y;  // a click alone puts it back
        }
        return 1;
      }
      int a = m_slots[0] ? m_slots[0] : (style & kMapStyleDragLeft) ? 1 : 0;
      return StartAction(a, x, y, kMapMsgLButtonUp) ? 1 : 0;
    }
    case kMapMsgRButtonDown: {
      m_host->HostFocus();
      int a = m_slots[1] ? m_slots[1] : (style & kMapStyleDragRight) ? 1 : 0;
      return StartAction(a, x, y, kMapMsgRButtonUp) ? 1 : 0;
    }
    case kMapMsgMButtonDown: {
      int a = m_slots[2] ? m_slots[2] : (style & kMapStyleDragMiddle) ? 1 : 0;
      return StartAction(a, x, y, kMapMsgMButtonUp) ? 1 : 0;
    }
    case kMapMsgMouseWheel:
      if (!(style & (kMapStyleWheelScroll | kMapStyleWheelZoom))) return 0;
      Wheel(keyFlags, x, y);
      return 1;
  }
  return 0;
}

void MapMouse::OnCaptureLost() {
  if (m_action && !m_releasing) FinishMouseAction();
}

bool MapMouse::OnKeyDown(unsigned key) {
  if (key == kMapVkEscape) return FinishMouseAction() != 0;
  if (key == kMapVkControl) {
    if (m_action) return false;
    m_overlay->LockTracks();
    bool had = m_overlay->hoverTrack >= 0;
    m_overlay->hoverTrack = m_overlay->hoverIndex = -1;
    m_overlay->UnlockTracks();
    if (had) m_host->HostCursor(kMapCursorArrow);
    return had;
  }
  if (key == kMapVkDelete) {
    if (!(m_host->MapStyle() & kMapStyleEditKeys) || m_action) return false;
    m_overlay->LockTracks();
    int t = m_overlay->selTrack, i = m_overlay->selIndex;
    m_overlay->UnlockTracks();
    if (t < 0) return false;
    int n = m_overlay->GetTrackCount(t);
    if (i < 0 || i >= n) return false;
    if (n == 1 || (n == 2 && i < 2)) {
      // a track of one point left is no track: clear it, selection and all
      m_overlay->ClearTrack(t, true);
      m_overlay->SetTrackModified(t);
      Notify(MAPN_DELETEPOINT, (int32_t)0x80000000u, t, 0, 0, 0, 0, false);
    } else {
      m_overlay->DeleteTrackPoint(t, i, true);
      int sel = i < n - 1 ? i : i - 1;
      m_overlay->LockTracks();
      m_overlay->selTrack = t, m_overlay->selIndex = sel;
      m_overlay->UnlockTracks();
      RedrawPoint(t, sel);
      m_overlay->SetTrackModified(t);
      Notify(MAPN_DELETEPOINT, i, t, 0, 0, 0, 0, false);
    }
    return true;
  }
  return false;
}
