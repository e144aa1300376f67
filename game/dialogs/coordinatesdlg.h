#ifndef ORV_GAME_DIALOGS_COORDINATESDLG_H
#define ORV_GAME_DIALOGS_COORDINATESDLG_H
// The modeless "Koordinaten" dialog: shows the map centre and zoom, and
// sends ID_COORDINATES_APPLY to its parent when the user typed or pasted
// a position or chose a zoom.

#include "framework/afxwin.h"

class CCoordinatesDlg : public CDialog {
 public:
  CCoordinatesDlg();
  BOOL CreateModeless(CWnd* parent);

  // From the view's timer; leaves alone the control that has the focus.
  void UpdateFromMap(double lon, double lat, int zoom, int format);
  void ApplyCoordinates();

  // What the parent reads on ID_COORDINATES_APPLY; only valid values move.
  double m_lon = 0, m_lat = 0;
  int m_zoom = -1;
  bool m_lonValid = false, m_latValid = false, m_zoomValid = false;

 protected:
  void OnOK() override {}
  void OnCancel() override;
  void OnLatChange();
  void OnLonChange();
  void OnLatKillFocus();
  void OnLonKillFocus();
  void OnZoomChange();
  DECLARE_MESSAGE_MAP()

 private:
  // A "lat, lon" pair in the latitude field fills both fields and moves the
  // map; false when the text is no such pair.
  bool SplitPair();
  int m_format = 0;
  bool m_modeless = false;
  bool m_filling = false;
  bool m_latEdited = false, m_lonEdited = false;
};

#endif
