// The game view: hosts the map window (and the web window on it), holds the
// game's options, state and players, the images of the game, the view timer
// and the remote-control thread; its commands outside the game proper.
#pragma once

#include "framework/afxwin.h"
#include "game/dialogs/coordinatesdlg.h"
#include "game/frame/frameview.h"
#include "game/gamestate.h"
#include "game/play/viewgame.h"
#include "game/view/remote_link.h"
#include "game/view/view_images.h"
#include "game/view/view_logic.h"
#include "game/web/htmlctrl.h"
#include "map/mapwnd.h"
#include "text/strlist.h"

class COrvaloDoc;
class CPicture;

// Ids of the view's children, timer and map pop-up.
constexpr UINT kMapWndId = 31973;
constexpr UINT kViewTimerId = 31972;
constexpr UINT kViewTimerMs = 250;
constexpr int kWebWndWidth = 1024, kWebWndHeight = 768;  // the web window, centred on the map
constexpr UINT kBaseMapCmdFirst = 29440;  // + base map index
constexpr UINT kLayerCmdFirst = 29696;    // + layer index
constexpr UINT kMapPopupCmds = 100;       // table entries 00..99

class COrvaloView : public CView, public IFrameViewLink {
  DECLARE_DYNCREATE(COrvaloView)
 public:
  COrvaloView();
  ~COrvaloView() override;

  COrvaloDoc* GetDocument() const;
  void OnDraw(CDC* pDC) override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
  void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
  void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

  // IFrameViewLink
  const game::GameConfig& GetGameConfig() const override { return m_config; }
  const game::GameState& GetGameState() const override { return m_state; }
  void SetFullScreenMode(int mode, const RECT& frameRect) override;

  // The game folder; kept without a trailing separator. Shows its
  // "Main\Info.html", or warns that it is missing.
  void SetInfoPath(const char* lpszPath);
  const CString& GetInfoPath() const { return m_strInfoPath; }
  const CString& GetOldInfoPath() const { return m_strOldInfoPath; }

  // Re-reads both tile-server tables into the map window.
  void LoadTileServers();
  void LoadGameOptions();
  // After the options dialog's OK (newConfig: what the dialog wrote into
  // the registry is read again here): info page, time limit, players.
  void ApplyGameOptions();

  // Coordinate text in the current format, axis 0 longitude, 1 latitude.
  const char* FormatCoordinate(double value, int axis) const;
  void DrawTestRectangle(CDC* pDC);

  // Printing (view_print.cpp): the visible map is copied when printing
  // begins, drawn onto each page and freed at the end.
  BOOL MakePrintImage();
  void PrintImageTo(CDC* pDC, const RECT& page);
  void FreePrintImage();

  CMapWnd& Map() { return m_map; }
  const view::ViewSettings& Settings() const { return m_settings; }
  const CStrList& BaseMapNames() const { return m_baseNames; }
  const CStrList& LayerNames() const { return m_layerNames; }
  bool AllSourcesFixed() const { return m_allFixed; }
  const CString& StatusText() const { return m_status; }
  game::PlayerSlot* Players() { return m_players; }
  game::GameState& State() { return m_state; }
  view::ViewImages& Images() { return m_images; }
  view::RemoteShared* Remote() { return m_remote; }

 protected:
  // ---- creation and hosting (orvalo_view.cpp)
  int OnCreate(LPCREATESTRUCT lpcs);
  void OnDestroy();
  void OnSize(UINT nType, int cx, int cy);
  void OnSetFocus(CWnd* pOldWnd);
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnTimer(UINT_PTR nIDEvent);
  void ApplySettingsToMap();
  void TakeSettingsFromMap();
  void ShowInfoPage();
  static CRect WebRect(int cx, int cy);
  void SetInfoPathQuiet(const char* lpszPath);
  void WarnNoInfoPage();
  LRESULT OnStartupOptions(WPARAM, LPARAM);
  void UpdateStatus();
  void HoldPointerInFrame();
  void StartupOptionsIfFree();

  // ---- the game: one step per view tick, the map callbacks; the game's
  // command handlers join this block
  void GameTick();
  static void DrawGameOverlayProc(void* context, HDC dc);
  static int MapMouseProc(void* context, UINT message, UINT keyFlags, int x, int y);
  void DrawGameOverlay(HDC dc);
  int OnMapMouse(UINT message, UINT keyFlags, int x, int y);
  // the game's commands and update handlers (forwarded to m_game)
  void OnNextGame();
  void OnInputDone();
  void OnEditResetGame();
  void OnSelectPlayer(UINT nID);
  void OnUpdateNextGame(CCmdUI* pCmdUI);
  void OnUpdateInputDone(CCmdUI* pCmdUI);
  void OnUpdateSelectPlayer(CCmdUI* pCmdUI);

  // ---- commands (view_commands.cpp)
  void OnViewOsmMenu();
  void OnUpdateViewOsmMenu(CCmdUI* pCmdUI);
  void OnWheelMode(UINT nID);
  void OnUpdateWheelMode(CCmdUI* pCmdUI);
  void OnMouseMode(UINT nID);
  void OnUpdateMouseMode(CCmdUI* pCmdUI);
  void OnCoordMode(UINT nID);
  void OnUpdateCoordMode(CCmdUI* pCmdUI);
  void OnEditCopy();
  void OnEditCopyPos();
  void OnViewReload();
  void OnEditClearCache();
  void OnEditComPort();
  void OnBaseMap(UINT nID);
  void OnLayer(UINT nID);
  void OnUpdateFileOpen(CCmdUI* pCmdUI);
  void OnUpdateFileSave(CCmdUI* pCmdUI);
  void OnNoEffect();
  void OnMapNotify(NMHDR* pNotify, LRESULT* pResult);
  // the dialogs (view_dialogs.cpp)
  void CreateCoordinatesDlg();
  void UpdateCoordinatesDlg();
  void OnViewCoordinates();
  void OnUpdateViewCoordinates(CCmdUI* pCmdUI);
  void OnCoordinatesApply();
  void OnEditOsmServers();  // view_servers.cpp
  void OnEditGameOptions();  // view_gameoptions.cpp
  void ShowMapPopup(int clientX, int clientY);
  // map section export and pre-caching (view_mapexport.cpp)
  void OnEditSaveMapSection();
  void OnEditCacheMapSection();
  void CopyMapToClipboard(int what);

  // ---- images (view_images.cpp)
  void MakeAllMarkerIcons();
  void MakeMarkerIcon(int kind, game::Colour colour);

  // before the map: the map lets go of the icons before their bitmaps go
  view::ViewImages m_images;
  CMapWnd m_map;
  CCoordinatesDlg m_coordDlg;  // modeless, over the view
  CHtmlCtrl m_web;  // the pages, on the map; destroyed before it
  game::GameConfig m_config;
  game::GameState m_state;
  game::PlayerSlot m_players[game::kMaxPlayers];
  game::ViewGame m_game;  // the game's flow over the records above
  view::ViewSettings m_settings;
  CStrList m_baseNames;
  CStrList m_layerNames;
  bool m_allFixed = false;
  CString m_strInfoPath;
  CString m_strOldInfoPath;
  CString m_status;
  bool m_startupOptionsPending = false;  // the options open when the walk is done
  view::RemoteShared* m_remote = nullptr;
  HANDLE m_remoteThread = nullptr;
  CPicture* m_printImage = nullptr;

  DECLARE_MESSAGE_MAP()
};
