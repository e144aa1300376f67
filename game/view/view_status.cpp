// The status line: every tick the pointer's position (or the running
// measurement or copy rectangle) goes to the frame's message pane, when it
// changed.
#include "game/view/orvalo_view.h"

void COrvaloView::UpdateStatus() {
  view::StatusInput in;
  in.mouseMode = m_map.GetMouseMode(0);
  in.zoom = m_map.GetZoom();
  double lon1, lat1, lon2, lat2;
  int action = m_map.GetMouseAction(&lon1, &lat1, &lon2, &lat2);
  if ((in.mouseMode == 2 || in.mouseMode == 3) && action == in.mouseMode) {
    in.actionRunning = true;
    in.lon1 = lon1, in.lat1 = lat1, in.lon2 = lon2, in.lat2 = lat2;
  } else {
    POINT p;
    HWND map = m_map.GetSafeHwnd();
    if (map && ::GetCursorPos(&p) && ::WindowFromPoint(p) == map) {
      ::ScreenToClient(map, &p);
      const MapView& v = m_map.View();
      m_map.ClientToGeo(p.x + v.scrollX, p.y + v.scrollY, &in.lon1, &in.lat1);
      in.pointerOverMap = true;
    }
  }
  char text[160];
  view::FormatStatus(in, m_settings.coordMode, text, sizeof text);
  if (m_status.Compare(text) == 0) return;
  m_status = text;
  CFrameWnd* frame = GetParentFrame();
  if (frame) frame->SetMessageText(m_status);
}

const char* COrvaloView::FormatCoordinate(double value, int axis) const {
  return view::FormatCoordinate(value, m_settings.coordMode, axis);
}

