#include "game/dialogs/coordinatesdlg.h"

#include <string.h>

#include "game/dialogs/coordpair.h"
#include "game/dialogs/pastewatch.h"
#include "map/geo.h"
#include "resources/resource.h"

namespace {
const int kCoordTextMax = 128;

// Scoped "the dialog writes its own controls" flag.
struct Filling {
  bool& flag;
  explicit Filling(bool& f) : flag(f) { flag = true; }
  ~Filling() { flag = false; }
};
}  // namespace

BEGIN_MESSAGE_MAP(CCoordinatesDlg, CDialog)
  ON_EN_CHANGE(IDC_COORD_LAT, OnLatChange)
  ON_EN_CHANGE(IDC_COORD_LON, OnLonChange)
  ON_EN_KILLFOCUS(IDC_COORD_LAT, OnLatKillFocus)
  ON_EN_KILLFOCUS(IDC_COORD_LON, OnLonKillFocus)
  ON_CBN_SELCHANGE(IDC_COORD_ZOOM, OnZoomChange)
END_MESSAGE_MAP()

CCoordinatesDlg::CCoordinatesDlg() : CDialog(IDD_COORDINATES) {}

BOOL CCoordinatesDlg::CreateModeless(CWnd* parent) {
  m_modeless = true;
  if (!Create(IDD_COORDINATES, parent)) return FALSE;
  PasteWatchInstall(::GetDlgItem(m_hWnd, IDC_COORD_LAT));
  HWND zoom = ::GetDlgItem(m_hWnd, IDC_COORD_ZOOM);
  char text[8];
  for (int z = 0; z <= 22; z++) {
    wsprintfA(text, "%i", z);
    ::SendMessageA(zoom, CB_ADDSTRING, 0, (LPARAM)text);
  }
  return TRUE;
}

void CCoordinatesDlg::OnCancel() {
  if (m_modeless) ShowWindow(SW_HIDE);
  else CDialog::OnCancel();
}

void CCoordinatesDlg::UpdateFromMap(double lon, double lat, int zoom, int format) {
  if (!m_hWnd) return;
  Filling f(m_filling);
  if (format >= 0) m_format = format;
  HWND focus = ::GetFocus();
  HWND latEdit = ::GetDlgItem(m_hWnd, IDC_COORD_LAT), lonEdit = ::GetDlgItem(m_hWnd, IDC_COORD_LON);
  HWND zoomBox = ::GetDlgItem(m_hWnd, IDC_COORD_ZOOM);
  char text[GEO_COORD_TEXT_SIZE], old[GEO_COORD_TEXT_SIZE];
  // only a changed text is written, so that the caret and selection stay
  if (focus != latEdit) {
    GeoFormatCoordA(lat, m_format + 1, text, sizeof text, nullptr);
    ::GetWindowTextA(latEdit, old, sizeof old);
    if (strcmp(old, text)) ::SetWindowTextA(latEdit, text);
  }
  if (focus != lonEdit) {
    GeoFormatCoordA(lon, m_format, text, sizeof text, nullptr);
    ::GetWindowTextA(lonEdit, old, sizeof old);
    if (strcmp(old, text)) ::SetWindowTextA(lonEdit, text);
  }
  if (focus != zoomBox && !::IsChild(zoomBox, focus) &&
      ::SendMessageA(zoomBox, CB_GETCURSEL, 0, 0) != zoom)
    ::SendMessageA(zoomBox, CB_SETCURSEL, zoom, 0);
}

void CCoordinatesDlg::ApplyCoordinates() {
  char text[kCoordTextMax + 1];
  int n = 0;
  ::GetDlgItemTextA(m_hWnd, IDC_COORD_LON, text, sizeof text);
  double v = GeoParseCoordA(text, &n);
  // a text that does not parse keeps the previous value and moves nothing
  m_lonValid = n > 0;
  if (m_lonValid) m_lon = v;
  ::GetDlgItemTextA(m_hWnd, IDC_COORD_LAT, text, sizeof text);
  v = GeoParseCoordA(text, &n);
  m_latValid = n > 0;
  if (m_latValid) m_lat = v;
  int sel = (int)::SendDlgItemMessageA(m_hWnd, IDC_COORD_ZOOM, CB_GETCURSEL, 0, 0);
  m_zoomValid = sel >= 0;
  if (m_zoomValid) m_zoom = sel;
  m_latEdited = m_lonEdited = false;
  // the window owning a popup is the frame; the command is for the view
  HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : ::GetParent(m_hWnd);
  if (parent) ::SendMessageA(parent, WM_COMMAND, ID_COORDINATES_APPLY, (LPARAM)m_hWnd);
}

bool CCoordinatesDlg::SplitPair() {
  char text[kCoordTextMax + 1];
  ::GetDlgItemTextA(m_hWnd, IDC_COORD_LAT, text, sizeof text);
  CoordPair p;
  const char* rest = CoordPairPastedLon(text, &p);
  if (!rest) return false;
  {
    Filling f(m_filling);
    char lat[kCoordTextMax + 1];
    lstrcpynA(lat, text, p.firstEnd + 1);
    ::SetDlgItemTextA(m_hWnd, IDC_COORD_LON, rest);
    ::SetDlgItemTextA(m_hWnd, IDC_COORD_LAT, lat);
  }
  ApplyCoordinates();
  return true;
}

void CCoordinatesDlg::OnLatChange() {
  if (m_filling) return;
  m_latEdited = true;
  // a pasted pair moves the map at once; a typed one when the field is
  // left, so that the keys after its comma stay where they are typed
  if (PasteWatchIsPasting(::GetDlgItem(m_hWnd, IDC_COORD_LAT))) SplitPair();
}

void CCoordinatesDlg::OnLonChange() {
  if (!m_filling) m_lonEdited = true;
}

void CCoordinatesDlg::OnLatKillFocus() {
  if (!m_filling && m_latEdited && !SplitPair()) ApplyCoordinates();
}

void CCoordinatesDlg::OnLonKillFocus() {
  if (!m_filling && m_lonEdited) ApplyCoordinates();
}

void CCoordinatesDlg::OnZoomChange() {
  if (!m_filling) ApplyCoordinates();
}
