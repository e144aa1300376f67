// The game on the view's records: the game folder's pages, the players'
// turns, guesses, the countdown and the results. Every command checks the
// state itself, since the key box posts commands that no update handler
// has seen.
#pragma once

#include "game/gamestate.h"
#include "game/play/gamehost.h"
#include "game/play/gameresults.h"

namespace game {

constexpr int kTicksPerSecond = 4;
constexpr int kSingleClickTicks = 12;  // 3 s
constexpr int kPageTries = 52;
constexpr int kPathSize = 260;

// Geometry of the overlay that the flow invalidates.
constexpr int kBoxSize = 42;
constexpr int kBoxGap = 10;
constexpr int kBoxTop = 10;
constexpr int kCountdownRightGap = 60;
constexpr int kCountdownTop = 5;

class GameFlow {
 public:
  GameFlow(GameConfig& config, GameState& state, PlayerSlot* players, GameHost& host);

  // commands
  void OnNextGame();
  void OnInputDone();
  void OnSelectPlayer(int id);
  void OnResetGame();
  // The options dialog's player count and hide flag; nothing happens when
  // neither changed.
  void ApplyPlayerOptions(uint32_t playerCount, bool hideOpponent);
  // update handlers
  bool CanNextGame() const;
  bool CanInputDone() const;
  void SelectionState(int id, bool* enabled, bool* pressed) const;
  // the map window's mouse callback: 1 when the event was consumed
  int OnMapMouse(unsigned message, unsigned flags, int x, int y);
  // the game's part of the 250-ms view timer
  void OnTimer();

  GameResults& Results() { return m_results; }
  const GameResults& Results() const { return m_results; }
  int PlayerCount() const;
  // the row of player boxes and the countdown digits in map pixels
  GameRect PlayerBoxesRect() const;
  GameRect CountdownRect() const;

 private:
  void CountdownStep();
  void SingleClickStep();
  bool LoadNextPage();
  void StartRound();
  void NewRound(const char* page);
  void ClearGuesses();
  int CountdownTicks() const;
  bool IsTurn() const { return m_state.current >= 0 && m_state.current < PlayerCount(); }

  GameConfig& m_config;
  GameState& m_state;
  PlayerSlot* m_players;
  GameHost& m_host;
  GameResults m_results;
};

}  // namespace game
