// A round's results and the final scoreboard: the board image, its
// animation slice by slice, stars and sounds, and the view of the target
// and the guesses afterwards.
#pragma once

#include "game/gamestate.h"
#include "game/play/gamehost.h"
#include "game/play/gamescore.h"
#include "image/picture.h"

namespace game {

constexpr int kPauseTicks = 19;  // about 5 s between the last bar and the map

class GameResults {
 public:
  GameResults(GameConfig& config, GameState& state, PlayerSlot* players, GameHost& host)
      : m_config(config), m_state(state), m_players(players), m_host(host) {}

  // The star and the glyph strip, 32-bit premultiplied (copied).
  bool SetImages(const CPicture& star, const CPicture& glyphStrip);

  void ShowRoundResults();
  void AnimateStep();
  void ShowFinalScoreboard();
  void GrowStep();

  const CPicture& Board() const { return m_board; }
  const CPicture& HalfBoard() const { return m_half; }
  const GlyphSet& Glyphs() const { return m_glyphs; }
  const CPicture& GlyphStrip() const { return m_strip; }  // a DIB section on Windows
  // the board's top-left corner in the view (centred)
  int BoardLeft() const;
  int BoardTop() const;

 private:
  int Count() const;
  bool NewBoard();
  void InvalidateSlice(int x, int y, int w, int h);
  void FinishRoundBar(int i);
  void ShowResultMap();
  int TextTop(int row) const;

  GameConfig& m_config;
  GameState& m_state;
  PlayerSlot* m_players;
  GameHost& m_host;
  CPicture m_board, m_half, m_star, m_strip;
  GlyphSet m_glyphs;
};

}  // namespace game
