// The game painted over the map after each of its paints: the scoreboard
// while it animates, else the player boxes and the countdown, and after the
// results the rings and the half-size board.
#pragma once

#include <windows.h>

#include "game/play/gameflow.h"

namespace game {

// What the painter needs of the view beyond the game's records.
class OverlayHost {
 public:
  virtual ~OverlayHost() {}
  // memory DC holding the 32-bit premultiplied marker image of a kind
  // (8..15 done, 16..23 current player, 24..31 box), 0 when none
  virtual HDC MarkerImage(int kind, int* width, int* height) = 0;
  virtual void GeoToClient(double lon, double lat, int* x, int* y) = 0;
  virtual int MetresToPixels(double lon, double lat, double metres) = 0;
  virtual int WorldPixels() = 0;  // width of one copy of the world on screen
};

struct OverlayRecords {
  const GameConfig& config;
  const GameState& state;
  const PlayerSlot* players;
};

void DrawGameOverlay(HDC dc, const GameFlow& flow, const OverlayRecords& game, OverlayHost& host);

// Blends part of a 32-bit premultiplied DIB-section picture (per-pixel
// alpha), falling back to a transparent copy keyed on black.
bool BlendToDC(HDC dc, int x, int y, const CPicture& pic, int sx, int sy, int w, int h);

}  // namespace game
