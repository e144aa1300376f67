#ifndef ORV_GAME_DIALOGS_MAPSECTIONDLG_H
#define ORV_GAME_DIALOGS_MAPSECTIONDLG_H
// The "Kartenauschnitt" dialog: a map of its own on which the user drags
// the section (or places it at a fixed pixel size), or types its corners.

#include "framework/afxwin.h"
#include "game/dialogs/mapsection_math.h"
#include "map/mapwnd.h"

constexpr UINT kSectionMapId = 13398;
constexpr UINT kSectionTimerId = 13397;
constexpr UINT kSectionTimerMs = 250;

class CMapSectionDlg : public CDialog {
 public:
  // source: the map whose tile sources the dialog's map shows; zoom: the
  // zoom the pixel sizes refer to (-1 none).
  CMapSectionDlg(CMapWnd* source, int notation, int zoom, CWnd* parent);

  // Corners A and B as world points (before DoModal).
  void SetWorldRect(uint32_t xa, uint32_t ya, uint32_t xb, uint32_t yb);

  // After OK: A is the north-west corner.
  const MsRect& WorldRect() const { return m_rect; }
  int PixelWidth() const { return m_width; }
  int PixelHeight() const { return m_height; }
  int Zoom() const { return m_zoom; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  void OnCancel() override;
  void OnSize(UINT nType, int cx, int cy);
  void OnSizing(UINT side, LPRECT rect);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnFixedWidth();
  void OnEditChange(UINT id);
  void OnEditKillFocus(UINT id);
  void OnMapSelection(NMHDR* hdr, LRESULT* result);
  void OnMapPick(NMHDR* hdr, LRESULT* result);
  void OnMapDragging(NMHDR* hdr, LRESULT* result);
  DECLARE_MESSAGE_MAP()

 private:
  struct Corner {
    double lon, lat;
  };
  void CornersFromWorld();
  void UpdateSizeReadout(bool moveHighlight = true);
  void Normalise();
  void PixelSize(const MsRect& r, int* width, int* height) const;
  void ShowKm(const Corner& a, const Corner& b);
  void ShowPixels(int width, int height);
  void ShowCorners();
  void ShowCorner(int latId, int lonId, const Corner& c);
  void ShowPixelEdits();
  void ApplyCoordEdit(UINT id);
  void ApplyPixelEdit(UINT id);
  // A "lat, lon" pair in a latitude edit fills its corner; false when the
  // text is no such pair.
  bool SplitPair(UINT latId, bool focusLon);
  void ApplyFixedMode();
  void RecordLayout();
  void PlaceRemembered();
  void RememberRect();
  int EditIndex(UINT id) const;
  void SetText(UINT id, const char* text);

  CMapWnd* m_source;
  int m_notation;
  int m_zoom;
  Corner m_a, m_b;
  MsRect m_rect;
  int m_width = 0, m_height = 0;
  int m_fixed = 0;  // the "Fixe Breite" box
  bool m_busy = false;
  bool m_changed[6] = {};
  CMapWnd m_map;

  // layout: first size (the minimum), client size and the moved controls
  bool m_layoutDone = false;
  SIZE m_minSize = {0, 0}, m_client0 = {0, 0};
  RECT m_ctrl0[5] = {};
};

#endif
