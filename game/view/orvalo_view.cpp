#include "game/view/orvalo_view.h"

#include "files/fileio.h"
#include "files/regkey.h"
#include "game/app/orvalo_doc.h"
#include "game/frame/mainframe.h"
#include "game/tileservers.h"
#include "game/view/view_settings.h"
#include "map/mapmouse.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(COrvaloView, CView)

namespace {

// Posted at creation: the game options open once the command line has been
// walked (after creation) and its warnings answered, unless a welcome page
// has turned up by then.
constexpr UINT kMsgStartupOptions = WM_USER + 0x2C40;

const char kNoInfoPage[] = "'.\\Main\\Info.html' wurde im 'Infopfad' nicht gefunden !";

// The map window as the tile-server table's sink.
class MapSourceSink : public tiles::TileSourceSink {
 public:
  explicit MapSourceSink(CMapWnd& map) : m_map(map) {}
  void SetSource(int slot, const char* server, const char* path, int port, int fixed, int iface) override {
    m_map.SetSource(slot, server, path, port, fixed, iface, nullptr, 0);
  }
  void SetZoomRange(int minZoom, int maxZoom) override { m_map.SetZoomRange(minZoom, maxZoom); }
  void SetAreaLimitsX(uint32_t from, uint32_t to) override { m_map.SetAreaLimitsX(from, to); }
  void SetAreaLimitsY(int64_t from, int64_t to) override { m_map.SetAreaLimitsY(from, to); }
  void SetLayerAlpha(int slot, int32_t offset, int32_t scale) override { m_map.SetLayerAlpha(slot, offset, scale); }
  void ApplySources() override { m_map.ApplySources(); }

 private:
  CMapWnd& m_map;
};

void ProgramFolder(CString* folder) {
  char path[MAX_PATH];
  folder->Empty();
  if (!FioModulePath(path, sizeof path)) return;
  *folder = path;
  int slash = folder->ReverseFind('\\');
  *folder = slash >= 0 ? folder->Left(slash) : CString();
}

}  // namespace

BEGIN_MESSAGE_MAP(COrvaloView, CView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SIZE()
  ON_WM_SETFOCUS()
  ON_WM_ERASEBKGND()
  ON_WM_TIMER()
  ON_MESSAGE(kMsgStartupOptions, OnStartupOptions)
  // view commands (view_commands.cpp)
  ON_COMMAND(ID_VIEW_OSMMENU, OnViewOsmMenu)
  ON_UPDATE_COMMAND_UI(ID_VIEW_OSMMENU, OnUpdateViewOsmMenu)
  ON_COMMAND_RANGE(ID_WHEEL_SCROLL, ID_WHEEL_ZOOM, OnWheelMode)
  ON_UPDATE_COMMAND_UI_RANGE(ID_WHEEL_SCROLL, ID_WHEEL_ZOOM, OnUpdateWheelMode)
  ON_COMMAND_RANGE(ID_MOUSE_COPYRECT, ID_MOUSE_MEASURE, OnMouseMode)
  ON_UPDATE_COMMAND_UI_RANGE(ID_MOUSE_COPYRECT, ID_MOUSE_MEASURE, OnUpdateMouseMode)
  ON_COMMAND_RANGE(ID_COORD_DECIMAL, ID_COORD_DIRECTION, OnCoordMode)
  ON_UPDATE_COMMAND_UI_RANGE(ID_COORD_DECIMAL, ID_COORD_DIRECTION, OnUpdateCoordMode)
  ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
  ON_COMMAND(ID_VIEW_COORDINATES, OnViewCoordinates)
  ON_UPDATE_COMMAND_UI(ID_VIEW_COORDINATES, OnUpdateViewCoordinates)
  ON_COMMAND(ID_COORDINATES_APPLY, OnCoordinatesApply)
  ON_COMMAND(ID_EDIT_OSMSERVERS, OnEditOsmServers)
  ON_COMMAND(ID_EDIT_COPYPOS, OnEditCopyPos)
  ON_COMMAND(ID_VIEW_RELOAD, OnViewReload)
  ON_COMMAND(ID_EDIT_CLEARCACHE, OnEditClearCache)
  ON_COMMAND(ID_EDIT_COMPORT, OnEditComPort)
  ON_COMMAND(ID_EDIT_GAMEOPTIONS, OnEditGameOptions)
  ON_COMMAND(ID_EDIT_SAVEMAPSECTION, OnEditSaveMapSection)
  ON_COMMAND(ID_EDIT_CACHEMAPSECTION, OnEditCacheMapSection)
  ON_COMMAND(ID_GAME_NEXT, OnNextGame)
  ON_COMMAND(ID_GAME_INPUTDONE, OnInputDone)
  ON_COMMAND(ID_GAME_RESET, OnEditResetGame)
  ON_COMMAND_RANGE(ID_PLAYER_1, ID_PLAYER_RESULTS, OnSelectPlayer)
  ON_UPDATE_COMMAND_UI(ID_GAME_NEXT, OnUpdateNextGame)
  ON_UPDATE_COMMAND_UI(ID_GAME_INPUTDONE, OnUpdateInputDone)
  ON_UPDATE_COMMAND_UI_RANGE(ID_PLAYER_1, ID_PLAYER_RESULTS, OnUpdateSelectPlayer)
  ON_COMMAND_RANGE(kBaseMapCmdFirst, kBaseMapCmdFirst + kMapPopupCmds - 1, OnBaseMap)
  ON_COMMAND_RANGE(kLayerCmdFirst, kLayerCmdFirst + kMapPopupCmds - 1, OnLayer)
  ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateFileOpen)
  ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
  ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateFileSave)
  ON_COMMAND(ID_VIEW_NOEFFECT1, OnNoEffect)
  ON_COMMAND(ID_VIEW_NOEFFECT2, OnNoEffect)
  ON_NOTIFY(MAPN_SELECTION, kMapWndId, OnMapNotify)
  ON_NOTIFY(MAPN_MENU, kMapWndId, OnMapNotify)
END_MESSAGE_MAP()

COrvaloView::COrvaloView()
    : m_game(*this, m_map, m_images, m_config, m_state, m_players), m_baseNames(4), m_layerNames(4) {
  for (int i = 0; i < game::kMaxPlayers; i++) m_players[i] = game::PlayerSlot();
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE)) {
    view::ReadViewSettings(app, &m_settings);
    tiles::WriteFirstStartTable(app);
  }
  m_remote = new view::RemoteShared;
  m_remote->port.store(m_settings.comPort);
  LoadTileServers();
}

COrvaloView::~COrvaloView() {
  // the remote thread first: it may still send commands to this view
  view::StopRemoteThread(m_remote, m_remoteThread);
  m_remoteThread = nullptr;
  m_remote->Release();
  m_remote = nullptr;

  // the images go with their member, after the map window object
  FreePrintImage();
  TakeSettingsFromMap();
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE)) view::WriteViewSettings(app, m_settings);
}

COrvaloDoc* COrvaloView::GetDocument() const { return static_cast<COrvaloDoc*>(m_pDocument); }

BOOL COrvaloView::PreCreateWindow(CREATESTRUCTA& cs) { return CView::PreCreateWindow(cs); }

void COrvaloView::OnDraw(CDC*) {}

void COrvaloView::OnUpdate(CView*, LPARAM, CObject*) {
  CMainFrame* frame = DYNAMIC_DOWNCAST(CMainFrame, GetParentFrame());
  if (frame) frame->UpdatePlayerBar();
}

void COrvaloView::LoadTileServers() {
  CRegistryKey app;
  if (!app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE)) return;
  MapSourceSink sink(m_map);
  m_allFixed = tiles::LoadTileServers(app, sink, &m_baseNames, &m_layerNames).allFixed;
}

void COrvaloView::LoadGameOptions() {
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ))
    view::ReadGameOptions(app, &m_config);
  else
    game::GameConfigDefaults(m_config);
  SetInfoPathQuiet(CString(m_config.infoPath));
  for (int i = 0; i < game::kMaxPlayers; i++) {
    lstrcpynA(m_players[i].name, m_config.names[i], sizeof m_players[i].name);
    m_players[i].colour = m_config.colours[i];
  }
}

// ------------------------------------------------------------ creation

void COrvaloView::ApplySettingsToMap() {
  if (m_settings.osmZoom >= 0) m_map.SetZoom(m_settings.osmZoom);
  if (m_settings.osmPosX || m_settings.osmPosY) m_map.MoveTo(m_settings.osmPosX, m_settings.osmPosY, 1);
}

void COrvaloView::TakeSettingsFromMap() {
  DWORD style = m_map.GetMapStyle();
  m_settings.osmMenu = (style & MAPS_MENU) != 0;
  m_settings.wheelMode = view::WheelModeFromMap(style & MAPS_WHEELZOOM    ? view::kMapWheelZoom
                                                : style & MAPS_WHEELSCROLL ? view::kMapWheelScroll
                                                                           : 0);
  m_settings.osmZoom = m_map.GetZoom();
  m_map.GetCentre(&m_settings.osmPosX, &m_settings.osmPosY);
}

int COrvaloView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CView::OnCreate(lpcs) == -1) return -1;

  // 2: the map's options, before its window exists
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | MAPS_DRAGLEFT | MAPS_DRAGRIGHT | MAPS_DRAGMIDDLE;
  int wheel = view::WheelModeToMap(m_settings.wheelMode);
  if (wheel == view::kMapWheelZoom) style |= MAPS_WHEELZOOM;
  if (wheel == view::kMapWheelScroll) style |= MAPS_WHEELSCROLL;
  if (m_settings.osmMenu) style |= MAPS_MENU;
  ApplySettingsToMap();

  // 3
  LoadGameOptions();

  // 4
  RECT rc;
  GetClientRect(&rc);
  if (!m_map.Create(0, style, rc, this, kMapWndId)) return -1;
  if (m_settings.osmMenu) m_map.ShowMapMenu(TRUE);
  m_map.SetMouseMode(0, 0);
  // the position again, now that the map has a size to keep it in
  ApplySettingsToMap();

  // 5: the map covers the view, so the view paints no background
  SetTimer(kViewTimerId, kViewTimerMs);

  // 6
  CreateCoordinatesDlg();
  m_map.SetFocus();

  // 7
  m_map.SetPostPaintCallback(DrawGameOverlayProc, this);
  m_map.SetMouseCallback(MapMouseProc, this);

  // 8: the web window on the map, centred at its fixed size, hidden until
  // a page is shown; the game goes on without one when no browser can be made
  m_web.Create(nullptr, nullptr, WS_CHILD, WebRect(rc.right, rc.bottom), &m_map, kWebWndId);

  // 9
  m_game.LoadImages(AfxGetInstanceHandle());
  MakeAllMarkerIcons();

  // 10
  if (m_strInfoPath.IsEmpty()) {
    CString folder;
    ProgramFolder(&folder);
    if (view::FolderHasInfoPage(folder)) SetInfoPathQuiet(folder);
  }
  if (view::FolderHasInfoPage(m_strInfoPath))
    ShowInfoPage();
  else
    PostMessage(kMsgStartupOptions, 0, 0);

  // 11
  m_remote->window.store(m_hWnd);
  m_remoteThread = view::StartRemoteThread(m_remote);
  return 0;
}

void COrvaloView::OnDestroy() {
  KillTimer(kViewTimerId);
  m_remote->window.store(nullptr);
  CView::OnDestroy();
}

LRESULT COrvaloView::OnStartupOptions(WPARAM, LPARAM) {
  // a warning of the argument walk may be up (its loop brought this
  // message): the view's timer asks again once the frame is free
  m_startupOptionsPending = true;
  // the view's timer opens them: the frame's own posted messages (its
  // maximising) go first, a modal dialog would swallow them
  return 0;
}

void COrvaloView::StartupOptionsIfFree() {
  CFrameWnd* frame = GetParentFrame();
  if (!m_startupOptionsPending || (frame && !frame->IsWindowEnabled())) return;
  m_startupOptionsPending = false;
  if (!view::FolderHasInfoPage(m_strInfoPath)) SendMessage(WM_COMMAND, ID_EDIT_GAMEOPTIONS, 0);
}

void COrvaloView::OnSize(UINT nType, int cx, int cy) {
  CView::OnSize(nType, cx, cy);
  if (m_map.GetSafeHwnd()) m_map.MoveWindow(0, 0, cx, cy, TRUE);
  if (m_web.GetSafeHwnd()) m_web.MoveWindow(WebRect(cx, cy), TRUE);
  m_state.clientWidth = cx;
  m_state.clientHeight = cy;
}

void COrvaloView::OnSetFocus(CWnd*) {
  if (m_map.GetSafeHwnd()) m_map.SetFocus();
}

BOOL COrvaloView::OnEraseBkgnd(CDC*) { return TRUE; }

void COrvaloView::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kViewTimerId) {
    CView::OnTimer(nIDEvent);
    return;
  }
  HoldPointerInFrame();
  StartupOptionsIfFree();
  GameTick();
  UpdateStatus();
  UpdateCoordinatesDlg();
}

// ------------------------------------------------------------ info path

void COrvaloView::SetInfoPathQuiet(const char* lpszPath) {
  view::TakeGameFolder(lpszPath, m_config.infoPath, sizeof m_config.infoPath);
  m_strInfoPath = m_config.infoPath;
}

void COrvaloView::SetInfoPath(const char* lpszPath) {
  m_strOldInfoPath = m_strInfoPath;
  SetInfoPathQuiet(lpszPath);
  if (view::FolderHasInfoPage(m_strInfoPath))
    ShowInfoPage();
  else
    WarnNoInfoPage();
}

void COrvaloView::WarnNoInfoPage() {
  CWnd* owner = GetParentFrame();
  ::MessageBoxA(owner ? owner->GetSafeHwnd() : GetSafeHwnd(), kNoInfoPage, "Warnung", MB_OK | MB_ICONWARNING);
}

void COrvaloView::ShowInfoPage() {
  CString page;
  page.Format("%s\\Main\\Info.html", m_strInfoPath.GetString());
  m_web.Navigate2(page);
  if (m_web.GetSafeHwnd()) m_web.ShowWindow(SW_SHOW);
}

// The web window's place: its fixed size centred in the map.
CRect COrvaloView::WebRect(int cx, int cy) {
  int x = (cx - kWebWndWidth) / 2, y = (cy - kWebWndHeight) / 2;
  return CRect(x, y, x + kWebWndWidth, y + kWebWndHeight);
}

// ------------------------------------------------------------ full screen

void COrvaloView::SetFullScreenMode(int mode, const RECT& frameRect) {
  m_state.fullScreenMode = mode;
  m_state.frameRect[0] = frameRect.left;
  m_state.frameRect[1] = frameRect.top;
  m_state.frameRect[2] = frameRect.right;
  m_state.frameRect[3] = frameRect.bottom;
}

void COrvaloView::HoldPointerInFrame() {
  if (m_state.fullScreenMode != 2) return;
  CFrameWnd* frame = GetParentFrame();
  // only while the frame is in front: a second monitor stays usable
  if (!frame || ::GetForegroundWindow() != frame->GetSafeHwnd()) return;
  RECT r = {m_state.frameRect[0], m_state.frameRect[1], m_state.frameRect[2], m_state.frameRect[3]};
  POINT p;
  if (!::GetCursorPos(&p)) return;
  POINT q = {p.x < r.left ? r.left : p.x >= r.right ? r.right - 1 : p.x,
             p.y < r.top ? r.top : p.y >= r.bottom ? r.bottom - 1 : p.y};
  if (q.x != p.x || q.y != p.y) ::SetCursorPos(q.x, q.y);
}

void COrvaloView::DrawTestRectangle(CDC* pDC) { ::Rectangle(pDC->GetSafeHdc(), 10, 10, 20, 20); }

// ------------------------------------------------------------ the game

void COrvaloView::GameTick() { m_game.Flow().OnTimer(); }

void COrvaloView::DrawGameOverlayProc(void* context, HDC dc) { static_cast<COrvaloView*>(context)->DrawGameOverlay(dc); }

int COrvaloView::MapMouseProc(void* context, UINT message, UINT keyFlags, int x, int y) {
  return static_cast<COrvaloView*>(context)->OnMapMouse(message, keyFlags, x, y);
}

void COrvaloView::DrawGameOverlay(HDC dc) { m_game.DrawOverlay(dc); }

int COrvaloView::OnMapMouse(UINT message, UINT keyFlags, int x, int y) {
  return m_game.Flow().OnMapMouse(message, keyFlags, x, y);
}

void COrvaloView::OnNextGame() { m_game.Flow().OnNextGame(); }
void COrvaloView::OnInputDone() { m_game.Flow().OnInputDone(); }
void COrvaloView::OnEditResetGame() { m_game.Flow().OnResetGame(); }
void COrvaloView::OnSelectPlayer(UINT nID) { m_game.Flow().OnSelectPlayer(static_cast<int>(nID)); }
void COrvaloView::OnUpdateNextGame(CCmdUI* pCmdUI) { m_game.OnUpdateCommand(pCmdUI); }
void COrvaloView::OnUpdateInputDone(CCmdUI* pCmdUI) { m_game.OnUpdateCommand(pCmdUI); }
void COrvaloView::OnUpdateSelectPlayer(CCmdUI* pCmdUI) { m_game.OnUpdateCommand(pCmdUI); }

// ------------------------------------------------------------ images

void COrvaloView::MakeMarkerIcon(int kind, game::Colour colour) { m_images.MakeMarker(kind, colour, &m_map); }

void COrvaloView::MakeAllMarkerIcons() {
  for (int kind = 0; kind < view::kTargetKind; kind++) MakeMarkerIcon(kind, m_config.colours[kind % game::kMaxPlayers]);
  MakeMarkerIcon(view::kTargetKind, 0xFFFFFF);
}
