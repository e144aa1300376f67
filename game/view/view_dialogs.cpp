// The view's side of the coordinates dialog: shown and hidden by its
// command, fed by the timer, and moving the map when the user typed.
#include "game/view/orvalo_view.h"

#include "map/mapmath.h"
#include "resources/resource.h"

void COrvaloView::CreateCoordinatesDlg() {
  if (!m_coordDlg.CreateModeless(this)) return;
  if (m_settings.showCoord) m_coordDlg.ShowWindow(SW_SHOWNOACTIVATE);
}

void COrvaloView::UpdateCoordinatesDlg() {
  if (!m_settings.showCoord || !m_coordDlg.GetSafeHwnd()) return;
  if (!m_coordDlg.IsWindowVisible()) {  // hidden by Escape or its close box
    m_settings.showCoord = 0;
    return;
  }
  uint32_t x, y;
  m_map.GetCentre(&x, &y);
  m_coordDlg.UpdateFromMap(MapWorldXToLon(x), MapWorldYToLat(y), m_map.GetZoom(), m_settings.coordMode);
}

void COrvaloView::OnViewCoordinates() {
  if (!m_coordDlg.GetSafeHwnd()) return;
  bool show = !m_coordDlg.IsWindowVisible();
  m_settings.showCoord = show ? 1 : 0;
  m_coordDlg.ShowWindow(show ? SW_SHOW : SW_HIDE);
  UpdateCoordinatesDlg();
  m_map.SetFocus();
}

void COrvaloView::OnUpdateViewCoordinates(CCmdUI* pCmdUI) {
  pCmdUI->SetCheck(m_coordDlg.GetSafeHwnd() && m_coordDlg.IsWindowVisible());
}

void COrvaloView::OnCoordinatesApply() {
  if (m_coordDlg.m_zoomValid && m_coordDlg.m_zoom != m_map.GetZoom()) m_map.SetZoom(m_coordDlg.m_zoom);
  if (!m_coordDlg.m_lonValid && !m_coordDlg.m_latValid) return;
  uint32_t x, y;
  m_map.GetCentre(&x, &y);
  if (m_coordDlg.m_lonValid) x = MapLonToWorldX(m_coordDlg.m_lon);
  if (m_coordDlg.m_latValid) {
    double lat = m_coordDlg.m_lat;
    if (lat > kMapTopLat) lat = kMapTopLat;
    if (lat < -kMapTopLat) lat = -kMapTopLat;
    y = MapLatToWorldY(lat);
  }
  m_map.MoveTo(x, y, 1);
}
