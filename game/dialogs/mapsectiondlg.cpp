#include "game/dialogs/mapsectiondlg.h"

#include <string.h>

#include <utility>

#include "game/dialogs/coordpair.h"
#include "game/dialogs/pastewatch.h"
#include "map/geo.h"
#include "map/mapmouse.h"
#include "resources/resource.h"
#include "text/expr.h"
#include "text/fmtprint.h"
#include "toolkit/wndutil.h"

namespace {

const int kTextMax = 128;
const COLORREF kHighlight = RGB(255, 0, 0);
const int kActionRect = 2, kActionPlace = 6;  // the map's mouse actions

// The six edits in the order of their changed flags.
const UINT kEdits[6] = {IDC_MS_LAT_A, IDC_MS_LON_A, IDC_MS_LAT_B, IDC_MS_LON_B, IDC_MS_WIDTH, IDC_MS_HEIGHT};

// Controls that follow the size: id and the factors of left, top, right,
// bottom (a left factor moves both horizontal edges, a top one both
// vertical edges).
struct LayoutRule {
  UINT id;
  int left, top, right, bottom;
};
const LayoutRule kLayout[5] = {
    {kSectionMapId, 0, 0, 1, 1},
    {IDC_MS_CURSOR, 0, 1, 0, 0},
    {IDC_MS_KM, 0, 1, 0, 0},
    {IDC_MS_PIXELS, 0, 1, 1, 0},
    {IDOK, 1, 0, 0, 0},
};

// The dialog's window rectangle for the rest of the process.
RECT g_lastRect;
bool g_haveLastRect = false;

struct Busy {
  bool& flag;
  bool was;
  explicit Busy(bool& f) : flag(f), was(f) { flag = true; }
  ~Busy() { flag = was; }
};

// Edits hand the wheel to the map, so the map zooms wherever the pointer is.
LRESULT CALLBACK WheelToMapProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = (WNDPROC)GetWindowLongPtrA(wnd, GWLP_USERDATA);
  if (msg == WM_MOUSEWHEEL) {
    HWND map = GetDlgItem(GetParent(wnd), kSectionMapId);
    if (map) return SendMessageA(map, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY && old) {
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)old);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  }
  return old ? CallWindowProcA(old, wnd, msg, wp, lp) : DefWindowProcA(wnd, msg, wp, lp);
}

void SendWheelToMap(HWND dlg, UINT id) {
  HWND c = GetDlgItem(dlg, id);
  if (!c || GetWindowLongPtrA(c, GWLP_USERDATA)) return;
  SetWindowLongPtrA(c, GWLP_USERDATA, GetWindowLongPtrA(c, GWLP_WNDPROC));
  SetWindowLongPtrA(c, GWLP_WNDPROC, (LONG_PTR)WheelToMapProc);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMapSectionDlg, CDialog)
  ON_WM_SIZE()
  ON_WM_SIZING()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_MS_FIXED, OnFixedWidth)
  ON_CONTROL_RANGE(EN_CHANGE, IDC_MS_LAT_A, IDC_MS_HEIGHT, OnEditChange)
  ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_MS_LAT_A, IDC_MS_HEIGHT, OnEditKillFocus)
  ON_NOTIFY(MAPN_SELECTION, kSectionMapId, OnMapSelection)
  ON_NOTIFY(MAPN_PICK, kSectionMapId, OnMapPick)
  ON_NOTIFY(MAPN_DRAGGING, kSectionMapId, OnMapDragging)
END_MESSAGE_MAP()

CMapSectionDlg::CMapSectionDlg(CMapWnd* source, int notation, int zoom, CWnd* parent)
    : CDialog(IDD_MAPSECTION, parent), m_source(source), m_notation(notation), m_zoom(zoom) {
  m_a = m_b = Corner{0, 0};
  m_rect = MsRect{0, 0, 0, 0};
}

void CMapSectionDlg::SetWorldRect(uint32_t xa, uint32_t ya, uint32_t xb, uint32_t yb) {
  m_rect = MsRect{xa & kMapWorldMask, xb & kMapWorldMask, ya & kMapWorldMask, yb & kMapWorldMask};
  CornersFromWorld();
}

void CMapSectionDlg::CornersFromWorld() {
  CMapWnd::WorldToGeo(m_rect.xa, m_rect.ya, &m_a.lon, &m_a.lat);
  CMapWnd::WorldToGeo(m_rect.xb, m_rect.yb, &m_b.lon, &m_b.lat);
}

void CMapSectionDlg::DoDataExchange(CDataExchange* pDX) { DDX_Check(pDX, IDC_MS_FIXED, m_fixed); }

int CMapSectionDlg::EditIndex(UINT id) const {
  for (int i = 0; i < 6; i++)
    if (kEdits[i] == id) return i;
  return -1;
}

void CMapSectionDlg::SetText(UINT id, const char* text) {
  Busy b(m_busy);
  char old[kTextMax];
  ::GetDlgItemTextA(m_hWnd, id, old, sizeof old);
  if (strcmp(old, text)) ::SetDlgItemTextA(m_hWnd, id, text);
}

BOOL CMapSectionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  static const UINT wheelCtrls[] = {IDC_MS_LAT_A, IDC_MS_LON_A, IDC_MS_LAT_B, IDC_MS_LON_B, IDOK};
  for (UINT id : wheelCtrls) SendWheelToMap(m_hWnd, id);
  PasteWatchInstall(::GetDlgItem(m_hWnd, IDC_MS_LAT_A));
  PasteWatchInstall(::GetDlgItem(m_hWnd, IDC_MS_LAT_B));

  if (!(m_rect.xa | m_rect.xb | m_rect.ya | m_rect.yb)) {
    CMapWnd::GeoToWorld(m_a.lon, m_a.lat, &m_rect.xa, &m_rect.ya);
    CMapWnd::GeoToWorld(m_b.lon, m_b.lat, &m_rect.xb, &m_rect.yb);
  }
  m_rect.xa &= kMapWorldMask, m_rect.xb &= kMapWorldMask, m_rect.ya &= kMapWorldMask, m_rect.yb &= kMapWorldMask;
  CornersFromWorld();
  if (m_zoom >= 0) MsPixelSize(m_rect, m_zoom, &m_width, &m_height);

  RECT ph = {0, 0, 400, 300};
  if (HWND p = ::GetDlgItem(m_hWnd, IDC_MS_PLACEHOLDER)) ::GetClientRect(p, &ph);
  if (m_source) m_map.CopySourcesFrom(m_source);
  m_map.ZoomToArea(m_a.lon, m_a.lat, m_b.lon, m_b.lat, ph.right, ph.bottom);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | MAPS_DRAGRIGHT | MAPS_DRAGMIDDLE |
                MAPS_WHEELZOOM | MAPS_DRAGNOTIFY;
  if (m_map.CreateAtDlgItem(0, style, IDC_MS_PLACEHOLDER, this, kSectionMapId)) {
    m_map.SetMouseMode(0, m_fixed ? kActionPlace : kActionRect);
    m_map.ApplySources();
  }

  RecordLayout();
  PlaceRemembered();
  ApplyFixedMode();
  UpdateSizeReadout();
  ShowCorners();
  ShowPixelEdits();
  SetTimer(kSectionTimerId, kSectionTimerMs);
  return TRUE;
}

// ------------------------------------------------------------ layout

void CMapSectionDlg::RecordLayout() {
  if (m_layoutDone) return;
  RECT w, c;
  GetWindowRect(&w);
  ::GetClientRect(m_hWnd, &c);
  m_minSize = SIZE{w.right - w.left, w.bottom - w.top};
  m_client0 = SIZE{c.right, c.bottom};
  for (int i = 0; i < 5; i++) {
    HWND h = ::GetDlgItem(m_hWnd, kLayout[i].id);
    RECT r = {0, 0, 0, 0};
    if (h) {
      ::GetWindowRect(h, &r);
      ::MapWindowPoints(nullptr, m_hWnd, (POINT*)&r, 2);
    }
    m_ctrl0[i] = r;
  }
  m_layoutDone = true;
}

void CMapSectionDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  if (!m_layoutDone || nType == SIZE_MINIMIZED) return;
  int dx = cx - m_client0.cx, dy = cy - m_client0.cy;
  HDWP dwp = ::BeginDeferWindowPos(5);
  for (int i = 0; i < 5; i++) {
    HWND h = ::GetDlgItem(m_hWnd, kLayout[i].id);
    if (!h) continue;
    const LayoutRule& f = kLayout[i];
    const RECT& r = m_ctrl0[i];
    int left = r.left + f.left * dx, right = r.right + (f.left + f.right) * dx;
    int top = r.top + f.top * dy, bottom = r.bottom + (f.top + f.bottom) * dy;
    if (dwp)
      dwp = ::DeferWindowPos(dwp, h, nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (dwp) ::EndDeferWindowPos(dwp);
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMapSectionDlg::OnSizing(UINT side, LPRECT r) {
  if (!m_layoutDone) return;
  if (r->right - r->left < m_minSize.cx) {
    if (side == WMSZ_LEFT || side == WMSZ_TOPLEFT || side == WMSZ_BOTTOMLEFT)
      r->left = r->right - m_minSize.cx;
    else
      r->right = r->left + m_minSize.cx;
  }
  if (r->bottom - r->top < m_minSize.cy) {
    if (side == WMSZ_TOP || side == WMSZ_TOPLEFT || side == WMSZ_TOPRIGHT)
      r->top = r->bottom - m_minSize.cy;
    else
      r->bottom = r->top + m_minSize.cy;
  }
}

void CMapSectionDlg::PlaceRemembered() {
  if (!g_haveLastRect) return;
  const RECT& r = g_lastRect;
  POINT tl = {r.left, r.top};
  RECT work;
  if (!WndLiveWorkAreaAt(tl, &work)) SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  int w = r.right - r.left, h = r.bottom - r.top;
  if (WndRememberedCornerFits(&work, tl) && w > 16 && h > 16) {
    if (w < m_minSize.cx) w = m_minSize.cx;
    if (h < m_minSize.cy) h = m_minSize.cy;
    MoveWindow(r.left, r.top, w, h, TRUE);
  }
}

void CMapSectionDlg::RememberRect() {
  if (!m_hWnd || ::IsZoomed(m_hWnd)) return;
  GetWindowRect(&g_lastRect);
  g_haveLastRect = true;
}

// ------------------------------------------------------------ readouts

void CMapSectionDlg::ShowKm(const Corner& a, const Corner& b) {
  char text[kTextMax];
  MsKmText(text, sizeof text, a.lon, a.lat, b.lon, b.lat);
  SetText(IDC_MS_KM, text);
}

void CMapSectionDlg::ShowPixels(int width, int height) {
  char text[kTextMax];
  FmtPrintA(text, sizeof text, "Pixel : X=%i   Y=%i", width, height);
  SetText(IDC_MS_PIXELS, text);
}

// the width follows the side of the section the map shows
void CMapSectionDlg::PixelSize(const MsRect& r, int* width, int* height) const {
  MsPixelSize(r, m_zoom, width, height);
  if (!m_map.GetSafeHwnd()) return;
  int ax, bx, y;
  m_map.WorldToClient(r.xa, r.ya, &ax, &y);
  m_map.WorldToClient(r.xb, r.yb, &bx, &y);
  *width = MsWidthAsShown(r, m_zoom, ax < bx);
}

void CMapSectionDlg::UpdateSizeReadout(bool moveHighlight) {
  if (m_zoom >= 0) {
    if (m_fixed) {
      m_height = MsFixedCornerB(&m_rect, m_zoom, m_width, m_height);
      CMapWnd::WorldToGeo(m_rect.xb, m_rect.yb, &m_b.lon, &m_b.lat);
    } else {
      PixelSize(m_rect, &m_width, &m_height);
    }
  } else {
    m_width = m_height = 0;
  }
  ShowPixels(m_width, m_height);
  ShowKm(m_a, m_b);
  if (moveHighlight && m_map.GetSafeHwnd()) m_map.SetHighlightRect(m_rect.xa, m_rect.ya, m_rect.xb, m_rect.yb, kHighlight);
}

void CMapSectionDlg::ShowCorner(int latId, int lonId, const Corner& c) {
  char text[GEO_COORD_TEXT_SIZE];
  SetText(latId, GeoFormatCoordA(c.lat, m_notation + 1, text, sizeof text, nullptr));
  SetText(lonId, GeoFormatCoordA(c.lon, m_notation, text, sizeof text, nullptr));
}

void CMapSectionDlg::ShowCorners() {
  ShowCorner(IDC_MS_LAT_A, IDC_MS_LON_A, m_a);
  ShowCorner(IDC_MS_LAT_B, IDC_MS_LON_B, m_b);
}

void CMapSectionDlg::ShowPixelEdits() {
  char text[16];
  FmtPrintA(text, sizeof text, "%i", m_width);
  SetText(IDC_MS_WIDTH, text);
  FmtPrintA(text, sizeof text, "%i", m_height);
  SetText(IDC_MS_HEIGHT, text);
}

// ------------------------------------------------------------ edits

void CMapSectionDlg::OnEditChange(UINT id) {
  int i = EditIndex(id);
  if (i < 0 || m_busy) return;
  m_changed[i] = true;
  // a pasted pair is split at once; a typed one when the edit is left, so
  // that the keys after its comma stay where they are typed
  if ((id == IDC_MS_LAT_A || id == IDC_MS_LAT_B) && PasteWatchIsPasting(::GetDlgItem(m_hWnd, id)))
    SplitPair(id, true);
}

void CMapSectionDlg::OnEditKillFocus(UINT id) {
  int i = EditIndex(id);
  if (i < 0 || m_busy || !m_changed[i]) return;
  m_changed[i] = false;
  if (id == IDC_MS_WIDTH || id == IDC_MS_HEIGHT)
    ApplyPixelEdit(id);
  else
    ApplyCoordEdit(id);
}

void CMapSectionDlg::ApplyCoordEdit(UINT id) {
  bool isA = id == IDC_MS_LAT_A || id == IDC_MS_LON_A;
  bool isLat = id == IDC_MS_LAT_A || id == IDC_MS_LAT_B;
  Corner& c = isA ? m_a : m_b;
  if (isLat && SplitPair(id, false)) {
    ShowCorners();
    ShowPixelEdits();
    return;
  }
  char text[kTextMax];
  ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
  int n = 0;
  double v = GeoParseCoordA(text, &n);
  // text that does not parse keeps the coordinate; it is shown again below
  if (n > 0) {
    (isLat ? c.lat : c.lon) = v;
    uint32_t& x = isA ? m_rect.xa : m_rect.xb;
    uint32_t& y = isA ? m_rect.ya : m_rect.yb;
    CMapWnd::GeoToWorld(c.lon, c.lat, &x, &y);
    x &= kMapWorldMask, y &= kMapWorldMask;
    UpdateSizeReadout();
  }
  ShowCorners();
  ShowPixelEdits();
}

void CMapSectionDlg::ApplyPixelEdit(UINT id) {
  char text[kTextMax];
  ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
  int32_t v = 0;
  int ok = 0;
  ExprEvalIntA(text, &v, &ok, -1, nullptr, nullptr);
  int& size = id == IDC_MS_WIDTH ? m_width : m_height;
  if (ok) {
    int clamped = MsClampPixelEdit(v);
    if (clamped != size) {
      size = clamped;
      UpdateSizeReadout();
    }
  }
  ShowPixelEdits();
  ShowCorner(IDC_MS_LAT_B, IDC_MS_LON_B, m_b);
}

bool CMapSectionDlg::SplitPair(UINT latId, bool focusLon) {
  char text[kTextMax];
  ::GetDlgItemTextA(m_hWnd, latId, text, sizeof text);
  CoordPair p;
  const char* rest = CoordPairPastedLon(text, &p);
  if (!rest) return false;
  bool isA = latId == IDC_MS_LAT_A;
  UINT lonId = isA ? IDC_MS_LON_A : IDC_MS_LON_B;
  Corner& c = isA ? m_a : m_b;
  c.lat = p.first;
  c.lon = p.second;
  uint32_t& x = isA ? m_rect.xa : m_rect.xb;
  uint32_t& y = isA ? m_rect.ya : m_rect.yb;
  CMapWnd::GeoToWorld(c.lon, c.lat, &x, &y);
  x &= kMapWorldMask, y &= kMapWorldMask;
  m_changed[EditIndex(latId)] = m_changed[EditIndex(lonId)] = false;
  {
    Busy b(m_busy);
    ::SetDlgItemTextA(m_hWnd, lonId, rest);
    if (focusLon) ::SetFocus(::GetDlgItem(m_hWnd, lonId));
  }
  char lat[GEO_COORD_TEXT_SIZE];
  SetText(latId, GeoFormatCoordA(c.lat, m_notation + 1, lat, sizeof lat, nullptr));
  UpdateSizeReadout();
  return true;
}

// ------------------------------------------------------------ fixed width

void CMapSectionDlg::ApplyFixedMode() {
  int show = m_fixed ? SW_HIDE : SW_SHOW, showPx = m_fixed ? SW_SHOW : SW_HIDE;
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MS_LAT_B), show);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MS_LON_B), show);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MS_WIDTH), showPx);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MS_HEIGHT), showPx);
  SetText(IDC_MS_LABEL_B1, m_fixed ? " Pixel X :" : "Breite B :");
  SetText(IDC_MS_LABEL_B2, m_fixed ? " Pixel Y :" : "L\xE4ng  B :");
  if (m_map.GetSafeHwnd()) m_map.SetMouseMode(0, m_fixed ? kActionPlace : kActionRect);
}

// A becomes the north-west corner, so a fixed size reaches from it to the
// south-east whichever way the section was drawn
void CMapSectionDlg::Normalise() {
  if (m_zoom >= 0 && !m_fixed) PixelSize(m_rect, &m_width, &m_height);
  int swapped = MsNormalise(&m_rect, &m_width, &m_height);
  if (swapped & MS_SWAPPED_Y) std::swap(m_a.lat, m_b.lat);
  if (swapped & MS_SWAPPED_X) std::swap(m_a.lon, m_b.lon);
}

void CMapSectionDlg::OnFixedWidth() {
  Normalise();
  UpdateData(TRUE);
  ApplyFixedMode();
  UpdateSizeReadout();
  ShowCorners();
  ShowPixelEdits();
}

// ------------------------------------------------------------ the map

void CMapSectionDlg::OnMapSelection(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  MapNotify* n = reinterpret_cast<MapNotify*>(hdr);
  if (n->state == 1) return;  // cancelled with Escape: the section stays
  if (n->lon1 == n->lon2 || n->lat1 == n->lat2) {
    n->state = 1;
    UpdateSizeReadout(false);
  } else {
    m_a = Corner{n->lon1, n->lat1};
    m_b = Corner{n->lon2, n->lat2};
    m_rect = MsRect{n->x1 & kMapWorldMask, n->x2 & kMapWorldMask, n->y1 & kMapWorldMask, n->y2 & kMapWorldMask};
    UpdateSizeReadout();
  }
  ShowCorners();
  ShowPixelEdits();
}

void CMapSectionDlg::OnMapPick(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  MapNotify* n = reinterpret_cast<MapNotify*>(hdr);
  if (n->state == 1) return;
  m_rect.xa = n->x2 & kMapWorldMask;
  m_rect.ya = n->y2 & kMapWorldMask;
  CMapWnd::WorldToGeo(m_rect.xa, m_rect.ya, &m_a.lon, &m_a.lat);
  UpdateSizeReadout();
  ShowCorners();
  ShowPixelEdits();
}

void CMapSectionDlg::OnMapDragging(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  MapNotify* n = reinterpret_cast<MapNotify*>(hdr);
  Busy b(m_busy);
  if (n->state == kActionPlace) {
    Corner a{n->lon2, n->lat2};
    ShowCorner(IDC_MS_LAT_A, IDC_MS_LON_A, a);
    MsRect r = {n->x2 & kMapWorldMask, 0, n->y2 & kMapWorldMask, 0};
    if (m_zoom >= 0) MsFixedCornerB(&r, m_zoom, m_width, m_height);
    m_map.SetHighlightRect(r.xa, r.ya, r.xb, r.yb, kHighlight);
    return;
  }
  Corner a{n->lon1, n->lat1}, c{n->lon2, n->lat2};
  ShowCorner(IDC_MS_LAT_A, IDC_MS_LON_A, a);
  ShowCorner(IDC_MS_LAT_B, IDC_MS_LON_B, c);
  ShowKm(a, c);
  if (m_zoom >= 0) {
    MsRect r = {n->x1, n->x2, n->y1, n->y2};
    int w, h;
    PixelSize(r, &w, &h);
    ShowPixels(w, h);
  }
}

void CMapSectionDlg::OnTimer(UINT_PTR id) {
  if (id != kSectionTimerId) {
    CDialog::OnTimer(id);
    return;
  }
  HWND map = m_map.GetSafeHwnd();
  POINT p;
  if (!map || !::GetCursorPos(&p) || ::WindowFromPoint(p) != map) return;
  ::ScreenToClient(map, &p);
  const MapView& v = m_map.View();
  double lon, lat;
  m_map.ClientToGeo(p.x + v.scrollX, p.y + v.scrollY, &lon, &lat);
  char a[GEO_COORD_TEXT_SIZE], b[GEO_COORD_TEXT_SIZE], text[kTextMax];
  FmtPrintA(text, sizeof text, "Breite = %s   L\xE4nge = %s", GeoFormatCoordA(lat, m_notation + 1, a, sizeof a, nullptr),
            GeoFormatCoordA(lon, m_notation, b, sizeof b, nullptr));
  SetText(IDC_MS_CURSOR, text);
}

void CMapSectionDlg::OnDestroy() {
  KillTimer(kSectionTimerId);
  CDialog::OnDestroy();
}

// ------------------------------------------------------------ end

void CMapSectionDlg::OnOK() {
  // an edit typed into and left by Return has not lost the focus yet
  for (int i = 0; i < 6; i++)
    if (m_changed[i]) OnEditKillFocus(kEdits[i]);
  UpdateData(TRUE);
  Normalise();
  RememberRect();
  EndDialog(IDOK);
}

void CMapSectionDlg::OnCancel() {
  // Escape while dragging ends the drag, not the dialog
  if (m_map.GetSafeHwnd() && m_map.FinishMouseAction()) return;
  RememberRect();
  CDialog::OnCancel();
}
