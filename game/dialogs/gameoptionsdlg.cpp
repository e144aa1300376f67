#include "game/dialogs/gameoptionsdlg.h"

#include <commdlg.h>
#include <string.h>

#include "files/pathname.h"
#include "files/regkey.h"
#include "game/view/view_settings.h"
#include "map/geo.h"
#include "resources/resource.h"
#include "text/fmtprint.h"
#include "toolkit/combohistory.h"
#include "toolkit/ctrlext.h"
#include "toolkit/wndutil.h"
#include "treelist/folderdlg/pathdlg.h"

namespace {

struct PlayerRow {
  UINT name, swatch, colour, coord, go;
};
const PlayerRow kRows[game::kMaxPlayers] = {
    {IDC_GO_NAME1, IDC_GO_SWATCH1, IDC_GO_COLOR1, IDC_GO_COORD1, IDC_GO_GOTO1},
    {IDC_GO_NAME2, IDC_GO_SWATCH2, IDC_GO_COLOR2, IDC_GO_COORD2, IDC_GO_GOTO2},
    {IDC_GO_NAME3, IDC_GO_SWATCH3, IDC_GO_COLOR3, IDC_GO_COORD3, IDC_GO_GOTO3},
    {IDC_GO_NAME4, IDC_GO_SWATCH4, IDC_GO_COLOR4, IDC_GO_COORD4, IDC_GO_GOTO4},
    {IDC_GO_NAME5, IDC_GO_SWATCH5, IDC_GO_COLOR5, IDC_GO_COORD5, IDC_GO_GOTO5},
    {IDC_GO_NAME6, IDC_GO_SWATCH6, IDC_GO_COLOR6, IDC_GO_COORD6, IDC_GO_GOTO6},
    {IDC_GO_NAME7, IDC_GO_SWATCH7, IDC_GO_COLOR7, IDC_GO_COORD7, IDC_GO_GOTO7},
    {IDC_GO_NAME8, IDC_GO_SWATCH8, IDC_GO_COLOR8, IDC_GO_COORD8, IDC_GO_GOTO8},
};

const char* const kTimes[] = {"keine", "10 s", "15 s", "20 s", "30 s", "45 s", "60 s"};
const char* const kStats[] = {"links", "mittig", "rechts"};
const char kHistoryValue[] = "HtmInfoPaths";
const char kHistoryKey[] = "#GameOptions";
const char kFolderKey[] = "GameOptions\\InfoDirs";
const char kFolderTitle[] = "Pfad für HTML-Ziel-Informationen";

// The last place of the dialog in this run.
bool g_placed = false;
POINT g_place;

// The seconds at the start of a time text, 0..999: no number (as "keine")
// and a negative number give 0, a larger one the most.
uint32_t SecondsOfText(const char* text) {
  while (*text == ' ' || *text == '\t') text++;
  if (*text == '-') return 0;
  if (*text == '+') text++;
  uint32_t n = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    n = n * 10 + (uint32_t)(*text - '0');
    if (n > game::kMaxTimeSeconds) return game::kMaxTimeSeconds;
  }
  return n;
}

int RowOf(UINT id, UINT PlayerRow::*field) {
  for (int i = 0; i < game::kMaxPlayers; i++)
    if (kRows[i].*field == id) return i;
  return -1;
}

}  // namespace

BEGIN_MESSAGE_MAP(CGameOptionsDlg, CDialog)
  ON_WM_CTLCOLOR()
  // the rows' "Farbe" and "Gehe zu" buttons lie in one range of ids
  ON_CONTROL_RANGE(BN_CLICKED, IDC_GO_COLOR1, IDC_GO_GOTO8, OnRowButton)
  ON_BN_CLICKED(IDC_GO_BROWSE, OnBrowseInfoPath)
END_MESSAGE_MAP()

CGameOptionsDlg::CGameOptionsDlg(CWnd* parent, IGameOptionsHost* host)
    : CDialog(IDD_GAMEOPTIONS, parent), m_host(host) {
  game::GameConfigDefaults(m_work);
  for (int i = 0; i < game::kMaxPlayers; i++) m_guessLon[i] = m_guessLat[i] = game::kUnset;
}

void CGameOptionsDlg::SetGuess(int player, double lon, double lat) {
  if (player < 0 || player >= game::kMaxPlayers) return;
  m_guessLon[player] = lon;
  m_guessLat[player] = lat;
}

BOOL CGameOptionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  PlaceAtRememberedPosition();

  HWND path = ::GetDlgItem(m_hWnd, IDC_GO_INFOPATH);
  WndLoadComboHistory(path, kHistoryValue, kHistoryKey);
  WndInstallCtrlExt(path);
  ::SendMessageA(path, CB_LIMITTEXT, sizeof m_work.infoPath - 1, 0);
  ::SetWindowTextA(path, m_work.infoPath);

  char text[64];
  for (int n = 1; n <= game::kMaxPlayers; n++) {
    FmtPrintA(text, sizeof text, "%i", n);
    ::SendDlgItemMessageA(m_hWnd, IDC_GO_COUNT, CB_ADDSTRING, 0, (LPARAM)text);
  }
  int count = (int)m_work.playerCount;
  if (count < 1) count = 1;
  if (count > game::kMaxPlayers) count = game::kMaxPlayers;
  ::SendDlgItemMessageA(m_hWnd, IDC_GO_COUNT, CB_SETCURSEL, count - 1, 0);

  for (const char* t : kTimes) ::SendDlgItemMessageA(m_hWnd, IDC_GO_TIME, CB_ADDSTRING, 0, (LPARAM)t);
  ::SendDlgItemMessageA(m_hWnd, IDC_GO_TIME, CB_LIMITTEXT, 15, 0);
  if (m_work.maxTime)
    FmtPrintA(text, sizeof text, "%u s", m_work.maxTime);
  else
    lstrcpynA(text, kTimes[0], sizeof text);
  ::SetDlgItemTextA(m_hWnd, IDC_GO_TIME, text);

  for (const char* s : kStats) ::SendDlgItemMessageA(m_hWnd, IDC_GO_STATS, CB_ADDSTRING, 0, (LPARAM)s);
  ::SendDlgItemMessageA(m_hWnd, IDC_GO_STATS, CB_SETCURSEL, m_work.playerStats <= 2 ? m_work.playerStats : 0, 0);

  ::CheckDlgButton(m_hWnd, IDC_GO_HIDEOPP, m_work.hideOpponent);
  ::CheckDlgButton(m_hWnd, IDC_GO_ZOOMOUT, m_work.zoomOut);
  ::CheckDlgButton(m_hWnd, IDC_GO_STARSECOND, m_work.starSecond);
  ::CheckDlgButton(m_hWnd, IDC_GO_SHOWHTML, m_work.showHtml);
  ::CheckDlgButton(m_hWnd, IDC_GO_SINGLECLICK, m_work.singleClick);

  for (int i = 0; i < game::kMaxPlayers; i++) {
    const PlayerRow& r = kRows[i];
    ::SendDlgItemMessageA(m_hWnd, r.name, EM_LIMITTEXT, sizeof m_work.names[i] - 1, 0);
    ::SetDlgItemTextA(m_hWnd, r.name, m_work.names[i]);
    bool guess = m_guessLon[i] > game::kUnset && m_guessLat[i] > game::kUnset;
    char lon[GEO_COORD_TEXT_SIZE], lat[GEO_COORD_TEXT_SIZE], coord[2 * GEO_COORD_TEXT_SIZE + 32];
    if (guess) {
      GeoFormatCoordA(m_guessLon[i], m_format, lon, sizeof lon, nullptr);
      GeoFormatCoordA(m_guessLat[i], m_format + 1, lat, sizeof lat, nullptr);
      FmtPrintA(coord, sizeof coord, "  X = %s   Y = %s  ", lon, lat);
    } else {
      lstrcpynA(coord, "  ---  ", sizeof coord);
    }
    ::SetDlgItemTextA(m_hWnd, r.coord, coord);
    ::EnableWindow(::GetDlgItem(m_hWnd, r.go), guess);
  }

  // the text boxes may have cut what was stored: compare what is shown
  m_open = m_work;
  ReadControls(&m_open);
  m_work = m_open;
  m_changed = false;
  return TRUE;
}

void CGameOptionsDlg::ReadControls(game::GameConfig* c) const {
  char path[sizeof c->infoPath];
  ::GetDlgItemTextA(m_hWnd, IDC_GO_INFOPATH, path, sizeof path);
  view::TakeGameFolder(path, c->infoPath, sizeof c->infoPath);
  char text[64];
  ::GetDlgItemTextA(m_hWnd, IDC_GO_TIME, text, sizeof text);
  c->maxTime = SecondsOfText(text);
  int sel = (int)::SendDlgItemMessageA(m_hWnd, IDC_GO_COUNT, CB_GETCURSEL, 0, 0);
  if (sel >= 0) c->playerCount = (uint32_t)sel + 1;
  sel = (int)::SendDlgItemMessageA(m_hWnd, IDC_GO_STATS, CB_GETCURSEL, 0, 0);
  if (sel >= 0) c->playerStats = (uint32_t)sel;
  c->hideOpponent = ::IsDlgButtonChecked(m_hWnd, IDC_GO_HIDEOPP) == BST_CHECKED;
  c->zoomOut = ::IsDlgButtonChecked(m_hWnd, IDC_GO_ZOOMOUT) == BST_CHECKED;
  c->starSecond = ::IsDlgButtonChecked(m_hWnd, IDC_GO_STARSECOND) == BST_CHECKED;
  c->showHtml = ::IsDlgButtonChecked(m_hWnd, IDC_GO_SHOWHTML) == BST_CHECKED;
  c->singleClick = ::IsDlgButtonChecked(m_hWnd, IDC_GO_SINGLECLICK) == BST_CHECKED;
  for (int i = 0; i < game::kMaxPlayers; i++) ::GetDlgItemTextA(m_hWnd, kRows[i].name, c->names[i], sizeof c->names[i]);
}

HBRUSH CGameOptionsDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  int row = pWnd ? RowOf((UINT)pWnd->GetDlgCtrlID(), &PlayerRow::swatch) : -1;
  if (row < 0) return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  ::SetDCBrushColor(pDC->GetSafeHdc(), m_work.colours[row]);
  return (HBRUSH)::GetStockObject(DC_BRUSH);
}

void CGameOptionsDlg::OnRowButton(UINT id) {
  int row = RowOf(id, &PlayerRow::colour);
  if (row >= 0) {
    ChoosePlayerColor(row);
    return;
  }
  row = RowOf(id, &PlayerRow::go);
  if (row >= 0) GoToPlayerPosition(row);
}

void CGameOptionsDlg::ChoosePlayerColor(int row) {
  COLORREF custom[16];
  for (COLORREF& c : custom) c = m_work.colours[row];
  CHOOSECOLORA cc;
  memset(&cc, 0, sizeof cc);
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = m_hWnd;
  cc.rgbResult = m_work.colours[row];
  cc.lpCustColors = custom;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorA(&cc) || (cc.rgbResult & 0xFFFFFF) == m_work.colours[row]) return;
  m_work.colours[row] = cc.rgbResult & 0xFFFFFF;
  m_changed = true;
  ::InvalidateRect(::GetDlgItem(m_hWnd, kRows[row].swatch), nullptr, TRUE);
}

void CGameOptionsDlg::GoToPlayerPosition(int row) {
  if (m_guessLon[row] > game::kUnset && m_guessLat[row] > game::kUnset && m_host)
    m_host->CentreMapOn(m_guessLon[row], m_guessLat[row]);
  OnOK();
}

void CGameOptionsDlg::OnBrowseInfoPath() {
  char current[sizeof m_work.infoPath];
  ::GetDlgItemTextA(m_hWnd, IDC_GO_INFOPATH, current, sizeof current);
  CPathDlg dlg(this, kFolderKey);
  dlg.SetTitle(kFolderTitle);
  // an empty path would hide the folder last chosen there
  if (current[0]) dlg.SetPath(current);
  if (dlg.DoModal() != IDOK) return;
  const char* chosen = dlg.GetPath(0);
  if (strlen(chosen) < sizeof current) ::SetDlgItemTextA(m_hWnd, IDC_GO_INFOPATH, chosen);
}

void CGameOptionsDlg::OnOK() {
  game::GameConfig now = m_work;
  ReadControls(&now);
  bool changed = m_changed || now.maxTime != m_open.maxTime ||
                 PathCompareNoCaseA(now.infoPath, m_open.infoPath) != 0 || now.playerCount != m_open.playerCount ||
                 now.playerStats != m_open.playerStats || now.hideOpponent != m_open.hideOpponent ||
                 now.zoomOut != m_open.zoomOut || now.starSecond != m_open.starSecond ||
                 now.showHtml != m_open.showHtml || now.singleClick != m_open.singleClick;
  for (int i = 0; i < game::kMaxPlayers && !changed; i++) changed = strcmp(now.names[i], m_open.names[i]) != 0;
  RememberPosition();
  if (!changed) {
    EndDialog(IDCANCEL);
    return;
  }
  if (!WriteOptions(now)) {
    ::MessageBoxA(m_hWnd, "Die Spieloptionen konnten nicht gespeichert werden !", "Fehler", MB_OK | MB_ICONERROR);
    return;
  }
  // the history offers the folder as it was taken, not relative to a folder now gone
  ::SetDlgItemTextA(m_hWnd, IDC_GO_INFOPATH, now.infoPath);
  WndSaveComboHistory(::GetDlgItem(m_hWnd, IDC_GO_INFOPATH), kHistoryValue, kHistoryKey);
  m_work = now;
  EndDialog(IDOK);
}

bool CGameOptionsDlg::WriteOptions(const game::GameConfig& c) const {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) || !key.OpenSubKey(view::kGameOptionsKey, REGKEY_CREATE))
    return false;
  bool ok = key.WriteValue(c.infoPath, -1, "HtmInfoPath", REG_SZ) != 0;
  struct {
    const char* name;
    DWORD value;
  } const numbers[] = {
      {"MaximalTime", c.maxTime},       {"GamersCount", c.playerCount},   {"PlayerStats", c.playerStats},
      {"HideOpponent", c.hideOpponent}, {"SingleClick", c.singleClick},   {"StarSecond", c.starSecond},
      {"ZoomOut", c.zoomOut},           {"ShowHtml", c.showHtml},
  };
  for (const auto& n : numbers) ok = key.WriteValue(&n.value, sizeof n.value, n.name, REG_DWORD) && ok;
  char name[16];
  for (int i = 0; i < game::kMaxPlayers; i++) {
    DWORD colour = c.colours[i];
    FmtPrintA(name, sizeof name, "Color%02i", i);
    ok = key.WriteValue(&colour, sizeof colour, name, REG_DWORD) && ok;
    FmtPrintA(name, sizeof name, "Name%02i", i);
    ok = key.WriteValue(c.names[i], -1, name, REG_SZ) && ok;
  }
  return ok;
}

void CGameOptionsDlg::OnCancel() {
  RememberPosition();
  CDialog::OnCancel();
}

void CGameOptionsDlg::RememberPosition() {
  RECT r;
  if (!::GetWindowRect(m_hWnd, &r)) return;
  g_place.x = r.left;
  g_place.y = r.top;
  g_placed = true;
}

void CGameOptionsDlg::PlaceAtRememberedPosition() {
  if (!g_placed) return;
  // the top-left corner well inside a monitor there now, else the template's place
  RECT work;
  if (!WndLiveWorkAreaAt(g_place, &work) || !WndRememberedCornerFits(&work, g_place)) return;
  ::SetWindowPos(m_hWnd, nullptr, g_place.x, g_place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
