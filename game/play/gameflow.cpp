#include "game/play/gameflow.h"

#include <algorithm>
#include <cstring>

#include "game/play/gamepage.h"
#include "text/fmtprint.h"

namespace game {

GameFlow::GameFlow(GameConfig& config, GameState& state, PlayerSlot* players, GameHost& host)
    : m_config(config), m_state(state), m_players(players), m_host(host),
      m_results(config, state, players, host) {}

int GameFlow::PlayerCount() const { return game::PlayerCount(m_config); }

int GameFlow::CountdownTicks() const {
  return static_cast<int>(std::min(m_config.maxTime, kMaxTimeSeconds)) * kTicksPerSecond;
}

GameRect GameFlow::PlayerBoxesRect() const {
  int width = PlayerCount() * (kBoxSize + kBoxGap), left = kBoxGap;
  if (m_config.playerStats & kStatsRight) left = m_state.clientWidth - width - kBoxGap;
  else if (m_config.playerStats & kStatsCentred) left = (m_state.clientWidth - width) / 2;
  return GameRect{left, kBoxTop, left + width, kBoxTop + kBoxSize};
}

GameRect GameFlow::CountdownRect() const {
  int right = m_state.clientWidth - kCountdownRightGap;
  return GameRect{right - 3 * kGlyphWidth, kCountdownTop, right, kCountdownTop + kGlyphHeight};
}

// ------------------------------------------------------------------ F5

void GameFlow::OnNextGame() {
  if ((m_state.current >= 0 && m_state.current < kMaxPlayers) || m_state.resultsShown) return;
  if (m_state.gameOver) {
    m_state.resultsShown = true;
    m_state.blocked[kSelResults] = false;
    OnSelectPlayer(kCmdResults);
    m_results.ShowFinalScoreboard();
    return;
  }
  if (m_state.armed) {
    StartRound();
    return;
  }
  if (m_state.gamesLoaded > 0)
    for (int i = 0; i < PlayerCount(); ++i)
      if (!m_state.blocked[i]) return;
  LoadNextPage();
}

void GameFlow::StartRound() {
  int count = PlayerCount();
  m_state.countdown = CountdownTicks();
  m_state.inputLock = false;
  m_state.blocked[kSelNobody] = !m_config.showHtml;
  // the first turn moves on by one player with every game
  int first = ((m_state.gamesLoaded - 1) % count + count) % count;
  OnSelectPlayer(kCmdPlayer1 + first);
  m_host.PlayGameSound("NEXT");
}

bool GameFlow::LoadNextPage() {
  m_state.blocked[kSelResults] = true;
  char path[2 * kPathSize], message[3 * kPathSize];
  int before = m_state.gameNumber;
  bool found = false;
  for (int i = 0; i < kPageTries && !found; ++i) {
    ++m_state.gameNumber;
    int n = FmtPrintA(path, sizeof path, "%s\\Game%03i\\Info.html", m_config.infoPath, m_state.gameNumber);
    // a path the system cannot take counts as missing
    found = n < kPathSize && m_host.FileExists(path);
  }
  if (!found) {
    // a page added meanwhile is found by the next try
    m_state.gameNumber = before;
    FmtPrintA(message, sizeof message, "Die Datei %s konnte nicht gefunden werden !", path);
    m_host.ErrorBox(message);
    return false;
  }
  ++m_state.gamesLoaded;
  char head[kPageHeadBytes];
  int got = m_host.ReadFileHead(path, head, kPageHeadBytes);
  PageTarget target;
  PageStatus status = ReadGamePage(head, got, &target);
  if (status == PageStatus::NoCoordinates) {
    FmtPrintA(message, sizeof message, "In %s konnten keine Zielkoordinaten gefunden werden !", path);
    m_host.ErrorBox(message);
    return false;
  }
  if (status == PageStatus::BadCoordinates) {
    FmtPrintA(message, sizeof message, "Die Zielkoordinaten in %s sind ungültig !", path);
    m_host.ErrorBox(message);
    return false;
  }
  m_state.targetLon = target.lon;
  m_state.targetLat = target.lat;
  NewRound(path);

  if (IsFinalPage(target)) {
    m_state.gameOver = true;
    for (int i = 0; i < PlayerCount(); ++i) {
      m_state.blocked[i] = true;
      m_players[i].guessLon = m_players[i].guessLat = kUnset;
    }
    m_state.blocked[kSelNobody] = m_state.blocked[kSelResults] = true;
    m_host.SetTitle("Ende");
    m_host.RedrawAll();
    return true;
  }
  char title[kTargetNameSize];
  if (!target.name[0]) {
    FmtPrintA(m_state.targetName, sizeof m_state.targetName, "Ziel");
    FmtPrintA(title, sizeof title, "Spiel %i", m_state.gameNumber);
  } else {
    FmtPrintA(m_state.targetName, sizeof m_state.targetName, "%s", target.name);
    FmtPrintA(title, sizeof title, "%s", target.name);
  }
  m_host.SetTitle(title);
  m_host.RedrawAll();
  return true;
}

// Every marker goes (so no stored index may stay), the players take part
// again without a guess.
void GameFlow::ClearGuesses() {
  m_host.DeleteAllMarkers();
  for (int i = 0; i < kMaxPlayers; ++i) m_players[i].marker = -1, m_state.timeUp[i] = false;
  for (int i = 0; i < PlayerCount(); ++i) {
    PlayerSlot& p = m_players[i];
    m_state.blocked[i] = false;
    p.guessLon = p.guessLat = p.distance = kUnset;
    p.barLength = 0;
  }
}

void GameFlow::NewRound(const char* page) {
  ClearGuesses();
  m_state.winner = m_state.second = -1;
  m_state.targetMarker = -1;
  m_state.minimumMark = -1;
  m_state.roundAnimation = m_state.resultsShown = m_state.resultsFinished = false;
  m_host.ShowWeb(true);
  m_host.NavigateWeb(page);
  m_state.blocked[kSelNobody] = false;
  OnSelectPlayer(kCmdNobody);
  m_state.armed = true;
}

// ------------------------------------------------------------------ selections

void GameFlow::OnSelectPlayer(int id) {
  int s = id - kCmdPlayer1;
  if (s < 0 || s >= kSelections || s == m_state.current || m_state.blocked[s]) return;
  // a player beyond a lowered count has no turn
  if (s < kMaxPlayers && s >= PlayerCount()) return;
  if (s < kMaxPlayers) {
    m_state.armed = false;
    // the new player starts free of what held the previous one: a
    // single-click delay (it only counts without a time limit) or the lock
    // of a countdown that ran out; a player whose own time ran out stays locked
    m_state.singleClickDelay = 0;
    m_state.clickedPlayer = kSelNobody;
    m_state.inputLock = m_state.timeUp[s];
  }
  m_state.current = s;
  m_host.ShowWeb(s == kSelNobody);
  if (m_config.hideOpponent) {
    for (int i = 0; i < kMaxPlayers; ++i)
      if (m_players[i].marker >= 0)
        m_host.SetMarker(m_players[i].marker, kUnset, kUnset, i == s ? MarkerShown(i) : MarkerHidden(i));
  }
  if (m_config.zoomOut && s != kSelResults) m_host.MoveMap(0, 0, 0);
  if (s < kMaxPlayers) m_state.blocked[kSelNobody] = !m_config.showHtml;
  m_host.Invalidate(PlayerBoxesRect());
  if (s >= kMaxPlayers) m_host.SetCursor(MapCursor::Arrow, s);
  else if (m_state.singleClickDelay > 0 || m_state.inputLock) m_host.SetCursor(MapCursor::No, s);
  else m_host.SetCursor(MapCursor::Player, s);
  m_host.NudgePointer();
  if (s != kSelResults || m_state.gameOver) return;
  if (m_state.minimumMark < 0) {
    m_results.ShowRoundResults();
  } else if (!m_state.resultsFinished) {
    m_state.roundAnimation = m_state.resultsShown = true;
  } else {
    m_host.RedrawAll();
  }
}

void GameFlow::OnInputDone() {
  int p = m_state.current;
  if (!IsTurn() || !m_players[p].HasGuess()) return;
  m_state.blocked[p] = true;
  m_state.inputLock = false;
  m_state.singleClickDelay = 0;
  for (int k = 1; k <= kMaxPlayers; ++k) {
    int q = (p + k) % kMaxPlayers;
    if (q < PlayerCount() && !m_state.blocked[q]) {
      m_state.countdown = CountdownTicks();
      m_state.inputLock = false;
      OnSelectPlayer(kCmdPlayer1 + q);
      m_host.PlayGameSound("NEXT");
      return;
    }
  }
  m_state.countdown = 0;
  m_state.blocked[kSelResults] = false;
  OnSelectPlayer(kCmdResults);
  m_host.PlayGameSound("DONE");
}

void GameFlow::OnResetGame() {
  if (!IsTurn()) return;
  m_state.inputLock = false;
  // the countdown stops with the round; nobody's turn as after a page
  m_state.countdown = 0;
  m_state.firstPass = false;
  m_state.singleClickDelay = 0;
  m_state.dragging = false;
  ClearGuesses();
  m_state.blocked[kSelNobody] = false;
  OnSelectPlayer(kCmdNobody);
  m_state.armed = true;
  m_host.RedrawAll();
}

void GameFlow::ApplyPlayerOptions(uint32_t playerCount, bool hideOpponent) {
  if (hideOpponent == m_config.hideOpponent && playerCount == m_config.playerCount) return;
  int before = PlayerCount();
  m_config.hideOpponent = hideOpponent;
  m_config.playerCount = playerCount;
  int count = PlayerCount();
  if (m_state.current < kSelNobody && m_state.current >= count) {
    m_state.blocked[kSelNobody] = false;
    OnSelectPlayer(kCmdNobody);
  }
  // players added to a loaded page or a running round take the turns still
  // to come; a round already scored (or none loaded) keeps them for the next page
  bool open = m_state.gamesLoaded > 0 && !m_state.gameOver && m_state.minimumMark < 0 &&
              m_state.current != kSelResults;
  for (int i = 0; i < kMaxPlayers; ++i) {
    PlayerSlot& p = m_players[i];
    if (i >= count || (i >= before && open)) {
      // players beyond the count drop out of the round (the results rank
      // only guesses that are set); added ones come in without a guess
      p.guessLon = p.guessLat = p.distance = kUnset;
      p.barLength = 0;
      m_state.blocked[i] = i >= count;
    }
    if (p.marker < 0) continue;
    // a marker left from before the player dropped out shows again with a new guess
    bool hidden = i >= count || !p.HasGuess() || (hideOpponent && i != m_state.current);
    // -1000 keeps the marker's position; only the flags change
    m_host.SetMarker(p.marker, kUnset, kUnset, hidden ? MarkerHidden(i) : MarkerShown(i));
  }
  // a running round whose remaining players are all done ends as the last F4 would
  bool running = open && !m_state.armed;
  for (int i = 0; i < count && running; ++i)
    if (!m_state.blocked[i]) running = false;
  if (!running) return;
  m_state.countdown = 0;
  m_state.blocked[kSelResults] = false;
  OnSelectPlayer(kCmdResults);
  m_host.PlayGameSound("DONE");
}

// ------------------------------------------------------------------ update handlers

bool GameFlow::CanNextGame() const {
  if (m_state.resultsShown) return false;
  if (m_state.gamesLoaded > 0 && !m_state.armed)
    for (int i = 0; i < PlayerCount(); ++i)
      if (!m_state.blocked[i]) return false;
  return true;
}

bool GameFlow::CanInputDone() const { return IsTurn() && m_players[m_state.current].HasGuess(); }

void GameFlow::SelectionState(int id, bool* enabled, bool* pressed) const {
  int s = id - kCmdPlayer1;
  bool valid = s >= 0 && s < kSelections;
  *enabled = valid && !m_state.blocked[s] && (s >= kMaxPlayers || s < PlayerCount());
  *pressed = valid && s == m_state.current;
}

}  // namespace game
