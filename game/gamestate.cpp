#include "game/gamestate.h"

#include "text/fmtprint.h"

namespace game {

void GameConfigDefaults(GameConfig& c) {
  c = GameConfig();
  for (int i = 0; i < kMaxPlayers; ++i) FmtPrintA(c.names[i], static_cast<int>(sizeof c.names[i]), "Spieler%i", i + 1);
}

}  // namespace game
