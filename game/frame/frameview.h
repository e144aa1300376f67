// What the main frame needs of the game view, without knowing the view's
// class: the game data for the player bar and the full-screen hand-over.
#pragma once

#include <windows.h>

#include "game/gamestate.h"

class IFrameViewLink {
 public:
  virtual const game::GameConfig& GetGameConfig() const = 0;
  virtual const game::GameState& GetGameState() const = 0;
  // mode 0 normal, 1 full screen, 2 full screen holding the pointer in rect
  virtual void SetFullScreenMode(int mode, const RECT& frameRect) = 0;

 protected:
  ~IFrameViewLink() = default;
};
