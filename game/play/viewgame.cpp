#include "game/play/viewgame.h"

#include <cstring>

#include "files/fileops.h"
#include "game/play/gameimages.h"
#include "game/play/gamepage.h"
#include "game/play/gamesound.h"
#include "game/play/remote.h"
#include "game/web/htmlctrl.h"
#include "resources/resource.h"

namespace game {

ViewGame::ViewGame(CWnd& view, CMapWnd& map, view::ViewImages& images, GameConfig& config, GameState& state,
                   PlayerSlot* players)
    : m_view(view), m_map(map), m_images(images), m_config(config), m_state(state), m_players(players),
      m_flow(config, state, players, *this) {
  // the key box's thread replaces the view's stand-in
  view::SetRemoteThreadProc(ComRemoteThread);
}

void ViewGame::LoadImages(HINSTANCE module) {
  CPicture star, glyphs;
  if (LoadAlphaBitmap(module, IDB_STAR, star) && LoadAlphaBitmap(module, IDB_GLYPHS, glyphs))
    m_flow.Results().SetImages(star, glyphs);
}

// ------------------------------------------------------------ commands

void ViewGame::OnUpdateCommand(CCmdUI* cmd) {
  UINT id = cmd->m_nID;
  if (id == kCmdNextGame) {
    cmd->Enable(m_flow.CanNextGame());
  } else if (id == kCmdInputDone) {
    cmd->Enable(m_flow.CanInputDone());
  } else {
    bool enabled = false, pressed = false;
    m_flow.SelectionState(id, &enabled, &pressed);
    cmd->Enable(enabled);
    cmd->SetCheck(pressed ? 1 : 0);
  }
}

void ViewGame::DrawOverlay(HDC dc) {
  // the map hands over a DC whose origin shows back-buffer pixels; the
  // game draws in client pixels
  POINT old;
  SetViewportOrgEx(dc, 0, 0, &old);
  DrawGameOverlay(dc, m_flow, OverlayRecords{m_config, m_state, m_players}, *this);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

// ------------------------------------------------------------ the map

int ViewGame::InsertMarker(const char* text, double lon, double lat, int flags, Colour colour) {
  return m_map.InsertMarker(-1, text, lon, lat, static_cast<uint32_t>(flags), colour, TRUE);
}

void ViewGame::SetMarker(int index, double lon, double lat, int flags) {
  m_map.SetMarker(index, nullptr, lon, lat, flags, -1, TRUE);
}

void ViewGame::DeleteAllMarkers() { m_map.DeleteAllMarkers(TRUE); }

void ViewGame::MoveMap(double lon, double lat, int zoom) {
  uint32_t x, y;
  CMapWnd::GeoToWorld(lon, lat, &x, &y);
  m_map.SetZoom(zoom);  // the zoom range clamps it
  m_map.MoveTo(x, y, 1);
}

void ViewGame::ZoomToArea(double west, double south, double east, double north) {
  m_map.ZoomToArea(west, south, east, north, m_state.clientWidth, m_state.clientHeight);
}

void ViewGame::ClientToGeo(int x, int y, double* lon, double* lat) { m_map.ClientToGeo(x, y, lon, lat); }

bool ViewGame::PointerPos(int* x, int* y) {
  POINT p;
  HWND map = m_map.GetSafeHwnd();
  if (!map || !::GetCursorPos(&p) || !::ScreenToClient(map, &p)) return false;
  // the mouse callback's back-buffer pixels
  *x = p.x + m_map.ScrollX();
  *y = p.y + m_map.ScrollY();
  return true;
}

void ViewGame::NudgePointer() {
  POINT p;
  if (::GetCursorPos(&p)) ::SetCursorPos(p.x + 1, p.y + 1);
}

void ViewGame::SetCursor(MapCursor cursor, int player) {
  HCURSOR c = cursor == MapCursor::Player ? m_images.Cursor(player)
              : cursor == MapCursor::No   ? ::LoadCursor(nullptr, IDC_NO)
                                          : nullptr;
  // the map window's own, not its class's: other image windows share that
  m_map.SetWindowCursor(c);
  ::SetCursor(c ? c : ::LoadCursor(nullptr, IDC_ARROW));
}

void ViewGame::CaptureMouse(bool capture) {
  HWND map = m_map.GetSafeHwnd();
  if (capture && map) ::SetCapture(map);
  else if (!capture && map && ::GetCapture() == map) ::ReleaseCapture();
}

void ViewGame::FocusMap() {
  if (m_map.GetSafeHwnd()) m_map.SetFocus();
}

// ------------------------------------------------------------ pages and frame

bool ViewGame::FileExists(const char* path) { return FileGetSizeA(path) >= 0; }

int ViewGame::ReadFileHead(const char* path, char* buffer, int size) {
  char head[kPageHeadBytes + 2];
  int n = FileReadA(path, head, sizeof head, 0);
  if (n <= 0) return -1;
  if (n > size) n = size;
  memcpy(buffer, head, static_cast<size_t>(n));
  return n;
}

// The web window is the map's child that the view made (none when no
// browser could be made).
static CHtmlCtrl* WebWindow(CMapWnd& map) {
  HWND web = ::GetDlgItem(map.GetSafeHwnd(), kWebWndId);
  return web ? static_cast<CHtmlCtrl*>(CWnd::FromHandlePermanent(web)) : nullptr;
}

void ViewGame::ShowWeb(bool show) {
  if (CHtmlCtrl* web = WebWindow(m_map)) web->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void ViewGame::NavigateWeb(const char* path) {
  if (CHtmlCtrl* web = WebWindow(m_map)) web->Navigate2(path);
}

HWND ViewGame::Owner() const {
  CFrameWnd* frame = m_view.GetParentFrame();
  return frame ? frame->GetSafeHwnd() : m_view.GetSafeHwnd();
}

void ViewGame::SetTitle(const char* title) { ::SetWindowTextA(Owner(), title); }

void ViewGame::ErrorBox(const char* text) { ::MessageBoxA(Owner(), text, "Fehler", MB_OK | MB_ICONERROR); }

void ViewGame::PlayGameSound(const char* name) { PlaySoundAsync(name); }

void ViewGame::PostCommand(int id) { m_view.PostMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

void ViewGame::Invalidate(const GameRect& r) {
  if (m_map.GetSafeHwnd()) m_map.InvalidateClientRect(r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void ViewGame::RedrawAll() {
  if (m_map.GetSafeHwnd()) m_map.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ------------------------------------------------------------ overlay

HDC ViewGame::MarkerImage(int kind, int* width, int* height) {
  *width = *height = kind >= 24 && kind < 32 ? view::kBoxSize : view::kMarkerSize;
  return m_images.MarkerDC(kind);
}

void ViewGame::GeoToClient(double lon, double lat, int* x, int* y) {
  m_map.GeoToClient(lon, lat, x, y);
  *x -= m_map.ScrollX();
  *y -= m_map.ScrollY();
}

// measured along the pixel's diagonal, as the rings' point count expects
int ViewGame::MetresToPixels(double lon, double lat, double metres) { return m_map.MetresToPixels(lon, lat, metres, 3); }

int ViewGame::WorldPixels() {
  int64_t w = m_map.View().WorldWidthPx();
  return w > 0x40000000 ? 0x40000000 : static_cast<int>(w);
}

}  // namespace game
