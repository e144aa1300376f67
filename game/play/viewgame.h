// The game as the view hosts it: the flow over the view's records, the
// host interface answered with the view's map window, images and frame,
// and the overlay painter's needs. The view forwards its game commands,
// update handlers, map callbacks and timer step here.
#pragma once

#include "framework/afxwin.h"
#include "game/play/gameflow.h"
#include "game/play/gameoverlay.h"
#include "game/view/view_images.h"
#include "game/web/htmlctrl.h"
#include "map/mapwnd.h"

namespace game {

class ViewGame : public GameHost, public OverlayHost {
 public:
  ViewGame(CWnd& view, CMapWnd& map, view::ViewImages& images, GameConfig& config, GameState& state,
           PlayerSlot* players);

  // the star and the glyphs from the program's resources
  void LoadImages(HINSTANCE module);
  // the view's web window, once it exists; pages are shown and hidden there
  GameFlow& Flow() { return m_flow; }

  void OnUpdateCommand(CCmdUI* cmd);
  void DrawOverlay(HDC dc);

  // GameHost
  int InsertMarker(const char* text, double lon, double lat, int flags, Colour colour) override;
  void SetMarker(int index, double lon, double lat, int flags) override;
  void DeleteAllMarkers() override;
  void MoveMap(double lon, double lat, int zoom) override;
  void ZoomToArea(double west, double south, double east, double north) override;
  void ClientToGeo(int x, int y, double* lon, double* lat) override;
  bool PointerPos(int* x, int* y) override;
  void NudgePointer() override;
  void SetCursor(MapCursor cursor, int player) override;
  void CaptureMouse(bool capture) override;
  void FocusMap() override;
  bool FileExists(const char* path) override;
  int ReadFileHead(const char* path, char* buffer, int size) override;
  void ShowWeb(bool show) override;
  void NavigateWeb(const char* path) override;
  void SetTitle(const char* title) override;
  void ErrorBox(const char* text) override;
  void PlayGameSound(const char* name) override;
  void PostCommand(int id) override;
  void Invalidate(const GameRect& r) override;
  void RedrawAll() override;

  // OverlayHost
  HDC MarkerImage(int kind, int* width, int* height) override;
  void GeoToClient(double lon, double lat, int* x, int* y) override;
  int MetresToPixels(double lon, double lat, double metres) override;
  int WorldPixels() override;

 private:
  HWND Owner() const;

  CWnd& m_view;
  CMapWnd& m_map;
  view::ViewImages& m_images;
  GameConfig& m_config;
  GameState& m_state;
  PlayerSlot* m_players;
  GameFlow m_flow;
};

}  // namespace game
