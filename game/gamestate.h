// The game's options, its running state and the eight player slots, as the
// view holds them. Plain data: the view, the play logic, the results and the
// dialogs all work on these records.
#pragma once

#include <stdint.h>

namespace game {

constexpr int kMaxPlayers = 8;
constexpr int kSelNobody = 8;   // selection: nobody's turn, the page is shown
constexpr int kSelResults = 9;  // selection: the results
constexpr int kSelections = 10;
constexpr double kUnset = -1000.0;  // a position or distance that is not set
constexpr uint32_t kMaxTimeSeconds = 999;  // three countdown digits

// "PlayerStats": alignment of the player boxes
constexpr uint32_t kStatsCentred = 1;
constexpr uint32_t kStatsRight = 2;

typedef uint32_t Colour;  // 0x00BBGGRR

// Registry section "GameOptions" below the application key.
struct GameConfig {
  uint32_t maxTime = 0;  // seconds, 0 = no countdown
  char infoPath[260] = {0};
  uint32_t playerCount = 4;  // 1..8
  uint32_t playerStats = 0;
  bool hideOpponent = true;
  bool singleClick = false;
  bool starSecond = false;
  bool zoomOut = true;
  bool showHtml = true;
  char names[kMaxPlayers][64] = {{0}};
  Colour colours[kMaxPlayers] = {0xFF0000, 0x00FF00, 0x0000FF, 0x4080FF,
                                 0x00FFFF, 0xFFFF00, 0xC04040, 0x4040C0};
};

struct PlayerSlot {
  char name[64] = {0};
  Colour colour = 0;
  double guessLon = kUnset;
  double guessLat = kUnset;
  int marker = -1;         // marker index in the map window
  double distance = kUnset;  // this round, metres
  int barLength = 0;
  bool barFinished = false;
  int stars = 0;  // total over the games
  bool HasGuess() const { return guessLon > kUnset && guessLat > kUnset; }
};

struct GameState {
  int current = kSelNobody;      // 0..7 a player, 8 nobody, 9 results
  bool blocked[kSelections] = {true, true, true, true, true, true, true, true, false, true};
  int gameNumber = 0;            // number of the last page tried
  int gamesLoaded = 0;
  double targetLon = kUnset;
  double targetLat = kUnset;
  char targetName[256] = "Ziel";
  int targetMarker = -1;
  bool armed = false;
  int countdown = 0;             // ticks of 250 ms left
  bool firstPass = false;
  bool inputLock = false;
  bool timeUp[kMaxPlayers] = {false};  // whose countdown ran out this round
  bool dragging = false;
  int singleClickDelay = 0;      // ticks
  int clickedPlayer = kSelNobody;
  bool gameOver = false;
  bool resultsShown = false;
  bool roundAnimation = false;
  bool finalBars = false;
  bool resultsFinished = false;
  int winner = -1;
  int second = -1;
  int minimumMark = -1;
  int animationPos = 0;
  int fullScreenMode = 0;
  int frameRect[4] = {0, 0, 0, 0};  // left, top, right, bottom
  int clientWidth = 0;
  int clientHeight = 0;
};

// The players' done flags are blocked[0..7].
inline bool PlayerDone(const GameState& s, int i) { return s.blocked[i]; }

// Defaults of a fresh start: "Spieler1".."Spieler8", the built-in colours.
void GameConfigDefaults(GameConfig& c);

}  // namespace game
