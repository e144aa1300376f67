// The view's commands outside the game: map options, mouse and wheel modes,
// coordinate format, copies, reload, cache, COM port, the map pop-up and
// the map's notifications.
#include "game/view/orvalo_view.h"

#include "files/regkey.h"
#include "game/tileservers.h"
#include "game/view/view_settings.h"
#include "map/mapmouse.h"
#include "resources/resource.h"
#include "text/fmtprint.h"
#include "toolkit/progressdlg.h"
#include "toolkit/textinputdlg.h"
#include "toolkit/wndutil.h"

namespace {

constexpr int kTrackSlots = 8;  // the view's map uses tracks 1..7 for files

// Mouse modes of the left button by command.
int MouseModeOf(UINT id) { return id == ID_MOUSE_COPYRECT ? 2 : id == ID_MOUSE_MEASURE ? 3 : 1; }

int ClearCacheWorker(CProgressDlg* dlg) {
  CMapWnd* map = reinterpret_cast<CMapWnd*>(dlg->GetArg(0));
  DirCancel cancel = {[](void* d) { return static_cast<CProgressDlg*>(d)->IsCancelled(); }, dlg};
  return map->ClearCache(&cancel);
}

}  // namespace

void COrvaloView::OnViewOsmMenu() { m_map.ShowMapMenu((m_map.GetMapStyle() & MAPS_MENU) == 0); }

void COrvaloView::OnUpdateViewOsmMenu(CCmdUI* pCmdUI) { pCmdUI->SetCheck((m_map.GetMapStyle() & MAPS_MENU) != 0); }

void COrvaloView::OnWheelMode(UINT nID) {
  m_settings.wheelMode = nID == ID_WHEEL_ZOOM ? view::kWheelZoom : view::kWheelScroll;
  m_map.SetWheelMode(view::WheelModeToMap(m_settings.wheelMode));
}

void COrvaloView::OnUpdateWheelMode(CCmdUI* pCmdUI) {
  int mode = view::WheelModeFromMap(m_map.SetWheelMode(3));  // above 2 only asks
  pCmdUI->SetCheck(mode == (pCmdUI->m_nID == ID_WHEEL_ZOOM ? view::kWheelZoom : view::kWheelScroll));
}

void COrvaloView::OnMouseMode(UINT nID) {
  m_map.FinishMouseAction();
  m_map.SetMouseMode(0, MouseModeOf(nID));
}

void COrvaloView::OnUpdateMouseMode(CCmdUI* pCmdUI) {
  int mode = m_map.GetMouseMode(0);
  // mode 0 drags with the left button as mode 1 does
  pCmdUI->SetCheck((mode == 0 ? 1 : mode) == MouseModeOf(pCmdUI->m_nID));
}

void COrvaloView::OnCoordMode(UINT nID) {
  m_settings.coordMode = nID == ID_COORD_MINUTES ? 6 : nID == ID_COORD_DIRECTION ? 10 : 0;
}

void COrvaloView::OnUpdateCoordMode(CCmdUI* pCmdUI) {
  UINT id = m_settings.coordMode == 6 ? ID_COORD_MINUTES : m_settings.coordMode == 10 ? ID_COORD_DIRECTION
                                                                                     : ID_COORD_DECIMAL;
  pCmdUI->SetCheck(pCmdUI->m_nID == id);
}

// ------------------------------------------------------------ copies

void COrvaloView::CopyMapToClipboard(int what) { m_map.CopyToImage(what, nullptr); }

void COrvaloView::OnEditCopy() {
  // the frame's Ctrl+C comes here first: over the focused page it copies
  // the page
  if (m_web.GetSafeHwnd() && m_web.IsWindowVisible() && m_web.HasFocusWithin()) {
    m_web.SendMessage(WM_COPY);
    return;
  }
  // the highlighted section, else what is visible
  if (!m_map.CopyToImage(2, nullptr)) m_map.CopyToImage(0, nullptr);
}

void COrvaloView::OnEditCopyPos() {
  POINT p;
  HWND map = m_map.GetSafeHwnd();
  if (!map || !::GetCursorPos(&p)) return;
  ::ScreenToClient(map, &p);
  const MapView& v = m_map.View();
  double lon, lat;
  m_map.ClientToGeo(p.x + v.scrollX, p.y + v.scrollY, &lon, &lat);
  char text[64];
  FmtPrintA(text, sizeof text, "%.6f,\t%.6f,\t", lat, lon);
  WndSetClipboardText(text, -1);
}

// ------------------------------------------------------------ map and cache

void COrvaloView::OnViewReload() { m_map.Reload(); }

void COrvaloView::OnEditClearCache() {
  CProgressDlg dlg(this);
  dlg.SetTitle("Cache löschen");
  dlg.SetLineText(0, "Die Kacheln im Cache werden gelöscht ...");
  dlg.SetWorker(ClearCacheWorker, reinterpret_cast<uintptr_t>(&m_map));
  dlg.SetTimerCallback(nullptr, 500, nullptr);
  dlg.DoModal();
}

void COrvaloView::OnEditComPort() {
  char text[32];
  FmtPrintA(text, sizeof text, "COM%i", m_settings.comPort + 1);
  CTextInputDlg dlg(this);
  dlg.SetTitle("COM-Port");
  dlg.SetPrompt("Bitte hier das COM-Port angeben :");
  dlg.SetText(text);
  if (dlg.DoModal() != 1) return;
  dlg.GetText(text, sizeof text);
  m_settings.comPort = view::ParseComPort(text);
  m_remote->port.store(m_settings.comPort);
}

// ------------------------------------------------------------ the map pop-up

void COrvaloView::OnBaseMap(UINT nID) {
  int i = (int)(nID - kBaseMapCmdFirst);
  if (i < 0 || i >= m_baseNames.GetCount()) return;
  CRegistryKey app;
  if (!app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) || !app.OpenSubKey(tiles::kServerKey, REGKEY_CREATE)) return;
  uint32_t v = (uint32_t)i;
  app.WriteValue(&v, 4, tiles::kSelectValue, REG_DWORD);
  app.Close();
  LoadTileServers();
}

void COrvaloView::OnLayer(UINT nID) {
  int i = (int)(nID - kLayerCmdFirst);
  if (i < 0 || i >= m_layerNames.GetCount()) return;
  uint32_t shown = 0;
  m_layerNames.GetData(i, &shown, sizeof shown);
  CRegistryKey app;
  if (!app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE) || !app.OpenSubKey(tiles::kLayerKey, REGKEY_CREATE)) return;
  char name[24];
  tiles::EntryValueName(name, sizeof name, "Select", i);
  uint32_t v = shown ? 0 : 1;
  app.WriteValue(&v, 4, name, REG_DWORD);
  app.Close();
  LoadTileServers();
}

void COrvaloView::ShowMapPopup(int screenX, int screenY) {
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return;
  for (int i = 0; i < m_baseNames.GetCount() && i < (int)kMapPopupCmds; i++) {
    uint32_t selected = 0;
    m_baseNames.GetData(i, &selected, sizeof selected);
    ::AppendMenuA(menu, MF_STRING | (selected ? MF_CHECKED : 0), kBaseMapCmdFirst + i, m_baseNames.GetTextPtr(i));
  }
  if (m_layerNames.GetCount() > 0) ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (int i = 0; i < m_layerNames.GetCount() && i < (int)kMapPopupCmds; i++) {
    uint32_t shown = 0;
    m_layerNames.GetData(i, &shown, sizeof shown);
    ::AppendMenuA(menu, MF_STRING | (shown ? MF_CHECKED : 0), kLayerCmdFirst + i, m_layerNames.GetTextPtr(i));
  }
  UINT cmd = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, screenX, screenY, 0,
                              m_hWnd, nullptr);
  ::DestroyMenu(menu);
  // through the command route, as a posted command would come
  if (cmd) SendMessage(WM_COMMAND, cmd, 0);
}

// ------------------------------------------------------------ track files

void COrvaloView::OnUpdateFileOpen(CCmdUI* pCmdUI) {
  BOOL free = FALSE;
  for (int t = 1; t < kTrackSlots && !free; t++) free = m_map.GetTrackCount(t) == 0;
  pCmdUI->Enable(free);
}

void COrvaloView::OnUpdateFileSave(CCmdUI* pCmdUI) {
  BOOL modified = FALSE;
  for (int t = 0; t < kTrackSlots && !modified; t++) modified = m_map.IsTrackModified(t);
  pCmdUI->Enable(modified);
}

void COrvaloView::OnNoEffect() {}

// ------------------------------------------------------------ notifications

void COrvaloView::OnMapNotify(NMHDR* pNotify, LRESULT* pResult) {
  *pResult = 0;
  const MapNotify* n = reinterpret_cast<const MapNotify*>(pNotify);
  switch (pNotify->code) {
    case MAPN_SELECTION:
      // the centre notification has the same code: only a copy rectangle
      // that the mouse completed is copied; one ended by Escape (state 1)
      // ends the copy mode all the same
      if (m_map.GetMouseMode(0) == 2 && n->state == 0) CopyMapToClipboard(1);
      m_map.SetMouseMode(0, 1);
      break;
    case MAPN_MENU: {
      POINT p;
      ::GetCursorPos(&p);
      ShowMapPopup(p.x, p.y);
      break;
    }
    default:
      break;
  }
}

// ------------------------------------------------------------ game options

void COrvaloView::ApplyGameOptions() {
  game::GameConfig fresh;
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ))
    view::ReadGameOptions(app, &fresh);
  else
    game::GameConfigDefaults(fresh);
  app.Close();

  CWnd* owner = GetParentFrame();
  HWND ownerWnd = owner ? owner->GetSafeHwnd() : GetSafeHwnd();
  if (!fresh.infoPath[0]) {
    ::MessageBoxA(ownerWnd, "Es wurde kein 'Infopfad' für die HTML-Zielinformationen angegeben !", "Warnung",
                  MB_OK | MB_ICONWARNING);
  } else {
    CString before = m_strInfoPath;
    SetInfoPathQuiet(fresh.infoPath);
    // during a player's turn the map stays free for the guess: the welcome
    // page comes only with another folder
    bool turn = m_state.current >= 0 && m_state.current < game::kMaxPlayers;
    if (!view::FolderHasInfoPage(m_strInfoPath))
      WarnNoInfoPage();
    else if (!turn || before.CompareNoCase(m_strInfoPath) != 0)
      ShowInfoPage();
  }

  m_config.maxTime = fresh.maxTime;
  m_game.Flow().ApplyPlayerOptions(fresh.playerCount, fresh.hideOpponent);
  LoadGameOptions();
  MakeAllMarkerIcons();
  OnUpdate(nullptr, 0, nullptr);
  // the player boxes follow a new count, alignment or colours at once
  if (m_map.GetSafeHwnd()) m_map.Invalidate(FALSE);
}
