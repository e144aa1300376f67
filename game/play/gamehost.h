// What the game logic needs of the view that hosts it: the map window's
// markers, position and cursor, the web window, the frame, sounds and
// repaints. The view answers it; tests plug in a fake.
#pragma once

#include <stdint.h>

#include "game/gamestate.h"

namespace game {

// Mouse messages and flags as the map window's mouse callback passes them.
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kMouseLeftDown = 0x0201;
constexpr unsigned kMouseLeftUp = 0x0202;
constexpr unsigned kMouseOnMenuButton = 0x30000;  // pointer on an on-map menu button

// Command ids of the game.
constexpr int kCmdInputDone = 32805;
constexpr int kCmdNextGame = 32806;
constexpr int kCmdResetGame = 32808;
constexpr int kCmdPlayer1 = 33024;  // 33024 + selection, up to 33033 (results)
constexpr int kCmdNobody = kCmdPlayer1 + kSelNobody;
constexpr int kCmdResults = kCmdPlayer1 + kSelResults;

// Marker flag words: bit 0 visible, bit 1 label, bits 2..7 icon.
inline int MarkerShown(int player) { return 4 * player + 3; }
inline int MarkerHidden(int player) { return 4 * player + 2; }
constexpr int kTargetIcon = 8;
constexpr int kTargetShown = 4 * kTargetIcon + 3;   // 35
constexpr int kTargetHidden = 4 * kTargetIcon + 2;  // 34

enum class MapCursor { Arrow, No, Player };

struct GameRect {
  int left, top, right, bottom;
};

class GameHost {
 public:
  virtual ~GameHost() {}

  // map window markers; colours are COLORREF
  virtual int InsertMarker(const char* text, double lon, double lat, int flags, Colour colour) = 0;
  virtual void SetMarker(int index, double lon, double lat, int flags) = 0;
  virtual void DeleteAllMarkers() = 0;
  // map position
  virtual void MoveMap(double lon, double lat, int zoom) = 0;
  virtual void ZoomToArea(double west, double south, double east, double north) = 0;
  virtual void ClientToGeo(int x, int y, double* lon, double* lat) = 0;
  // the pointer in map-window pixels; false when unknown
  virtual bool PointerPos(int* x, int* y) = 0;
  virtual void NudgePointer() = 0;  // one pixel right and down
  virtual void SetCursor(MapCursor cursor, int player) = 0;
  virtual void CaptureMouse(bool capture) = 0;
  virtual void FocusMap() = 0;

  // the game folder
  virtual bool FileExists(const char* path) = 0;
  // the first bytes of a file; -1 when it cannot be read
  virtual int ReadFileHead(const char* path, char* buffer, int size) = 0;
  virtual void ShowWeb(bool show) = 0;
  virtual void NavigateWeb(const char* path) = 0;

  virtual void SetTitle(const char* title) = 0;
  virtual void ErrorBox(const char* text) = 0;  // caption "Fehler", error icon
  virtual void PlayGameSound(const char* name) = 0;
  virtual void PostCommand(int id) = 0;
  // map-window pixels; whole = every pixel, with erase and update at once
  virtual void Invalidate(const GameRect& r) = 0;
  virtual void RedrawAll() = 0;
};

}  // namespace game
