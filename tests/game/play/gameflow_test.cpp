// The game against a fake host: pages, turns, countdown, results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fakehost.h"

using namespace game;

namespace {

class Flow : public ::testing::Test {
 protected:
  GameConfig config;
  GameState state;
  PlayerSlot players[kMaxPlayers];
  FakeHost host;
  GameFlow flow{config, state, players, host};

  void SetUp() override {
    GameConfigDefaults(config);
    std::strcpy(config.infoPath, "C:\\quiz");
    config.playerCount = 3;
    for (int i = 0; i < kMaxPlayers; ++i) {
      std::strcpy(players[i].name, config.names[i]);
      players[i].colour = config.colours[i];
    }
    state.clientWidth = 1000, state.clientHeight = 700;
  }
  void Click(int x, int y) {
    flow.OnMapMouse(kMouseLeftDown, 0, x, y);
    flow.OnMapMouse(kMouseLeftUp, 0, x, y);
  }
  // one page, its round started: player 1's turn
  void FirstTurn() {
    host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
    flow.OnNextGame();
    flow.OnNextGame();
  }
  int Count(const char* sound) const { return (int)std::count(host.sounds.begin(), host.sounds.end(), sound); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) flow.OnTimer();
  }
  // every player clicks and finishes; the results run to their end
  void PlayRound(int x = 510, int y = 240) {
    for (int k = 0; k < (int)config.playerCount; ++k) {
      ASSERT_LT(state.current, kMaxPlayers);
      Click(x + 10 * state.current, y);
      flow.OnInputDone();
    }
    ASSERT_EQ(state.current, kSelResults);
    for (int i = 0; i < 300 && !state.resultsFinished; ++i) flow.OnTimer();
    ASSERT_TRUE(state.resultsFinished);
  }
};

TEST_F(Flow, FirstTurnMovesOnByOnePlayerPerGame) {
  for (int g = 1; g <= 4; ++g) host.AddPage(g, FakeHost::Target(g, 10, "Ort"));
  int expected[] = {0, 1, 2, 0};
  for (int g = 0; g < 4; ++g) {
    flow.OnNextGame();
    ASSERT_EQ(state.current, kSelNobody) << "game " << g + 1;
    EXPECT_TRUE(host.web);
    flow.OnNextGame();
    EXPECT_EQ(state.current, expected[g]) << "game " << g + 1;
    EXPECT_FALSE(host.web);
    EXPECT_EQ(host.sounds.back(), "NEXT");
    PlayRound();
  }
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(Flow, MissingGameIsSkippedAndFinEndsTheGame) {
  host.AddPage(1, FakeHost::Target(13.4, 52.5, "Berlin"));
  host.AddPage(2, "<!--REFX 2.35 --><!--REFY 48.85 -->");
  host.AddPage(3, FakeHost::Target(-3.7, 40.4, "fin"));
  host.AddPage(5, FakeHost::Target(12.5, 41.9, "Rom"));
  host.AddPage(6, FakeHost::Target(1, 1, "FIN"));
  for (int g = 0; g < 4; ++g) {
    flow.OnNextGame();
    flow.OnNextGame();
    PlayRound();
  }
  EXPECT_EQ(host.titles, (std::vector<std::string>{"Berlin", "Spiel 2", "fin", "Rom"}));
  EXPECT_STREQ(state.targetName, "Rom");
  EXPECT_EQ(state.gameNumber, 5);
  flow.OnNextGame();
  EXPECT_EQ(host.titles.back(), "Ende");
  EXPECT_TRUE(state.gameOver);
  flow.OnNextGame();  // the final scoreboard
  EXPECT_TRUE(state.finalBars);
  EXPECT_EQ(state.current, kSelResults);
  flow.OnNextGame();  // and nothing further
  EXPECT_EQ(state.current, kSelResults);
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(Flow, PageErrorsLeaveTheStateAndTheNextF5GoesOn) {
  host.AddPage(1, std::string(255, ' ') + "<!--REFX 1 --><!--REFY 2 -->");
  host.AddPage(2, "<!--REFX 0.0 --><!--REFY 52 -->");
  host.AddPage(3, "<!--REFX 1e999 --><!--REFY 52 -->");
  host.AddPage(4, "<unreadable>");
  host.AddPage(5, FakeHost::Target(7, 8, "Gut"));
  const char* texts[] = {"In C:\\quiz\\Game001\\Info.html konnten keine Zielkoordinaten gefunden werden !",
                         "Die Zielkoordinaten in C:\\quiz\\Game002\\Info.html sind ungültig !",
                         "Die Zielkoordinaten in C:\\quiz\\Game003\\Info.html sind ungültig !",
                         "In C:\\quiz\\Game004\\Info.html konnten keine Zielkoordinaten gefunden werden !"};
  for (const char* t : texts) {
    flow.OnNextGame();
    ASSERT_EQ(host.errors.size() > 0 ? host.errors.back() : "", t);
    EXPECT_FALSE(state.armed);
  }
  flow.OnNextGame();
  EXPECT_EQ(host.titles.back(), "Gut");
  EXPECT_TRUE(state.armed);
  EXPECT_EQ(state.gamesLoaded, 5);
}

TEST_F(Flow, FailedSearchKeepsTheNumberSoAnAddedPageLoads) {
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  PlayRound();
  flow.OnNextGame();
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Die Datei C:\\quiz\\Game053\\Info.html konnte nicht gefunden werden !");
  EXPECT_EQ(state.gameNumber, 1);
  host.AddPage(2, FakeHost::Target(3, 4, "Zwei"));
  flow.OnNextGame();
  EXPECT_EQ(host.titles.back(), "Zwei");
}

TEST_F(Flow, OverlongInfoPathCountsAsNotFound) {
  std::memset(config.infoPath, 'a', sizeof config.infoPath - 1);
  config.infoPath[sizeof config.infoPath - 1] = 0;
  flow.OnNextGame();
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_LT(host.errors[0].size(), 3u * kPathSize);
  EXPECT_EQ(state.gameNumber, 0);
}

TEST_F(Flow, CommandsThatDoNotFitTheStateDoNothing) {
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  host.AddPage(2, FakeHost::Target(3, 4, "Zwei"));
  flow.OnInputDone();  // before any game
  flow.OnNextGame();
  flow.OnNextGame();
  ASSERT_EQ(state.current, 0);
  EXPECT_FALSE(flow.CanInputDone());
  flow.OnInputDone();  // no guess yet
  EXPECT_EQ(state.current, 0);
  EXPECT_FALSE(flow.CanNextGame());
  flow.OnNextGame();  // during a turn
  EXPECT_EQ(state.current, 0);
  EXPECT_EQ(host.pages.size(), 1u);
  Click(520, 240);
  EXPECT_TRUE(flow.CanInputDone());
  flow.OnInputDone();
  EXPECT_EQ(state.current, 1);
  // a player beyond the count, nobody while ShowHtml allows it
  flow.OnSelectPlayer(kCmdPlayer1 + 5);
  EXPECT_EQ(state.current, 1);
  bool enabled, pressed;
  flow.SelectionState(kCmdPlayer1 + 5, &enabled, &pressed);
  EXPECT_FALSE(enabled);
  flow.SelectionState(kCmdPlayer1 + 1, &enabled, &pressed);
  EXPECT_TRUE(pressed);
  flow.OnSelectPlayer(kCmdPlayer1);  // done already
  EXPECT_EQ(state.current, 1);
  flow.OnSelectPlayer(kCmdResults);  // blocked
  EXPECT_EQ(state.current, 1);
}

TEST_F(Flow, GuessPlacedMovedAndHiddenFromTheNextPlayer) {
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  flow.OnMapMouse(kMouseLeftDown, 0, 600, 200);
  EXPECT_TRUE(host.captured);
  flow.OnMapMouse(kMouseMove, 0, 610, 190);
  flow.OnMapMouse(kMouseLeftUp, 0, 610, 190);
  EXPECT_FALSE(host.captured);
  EXPECT_EQ(players[0].guessLon, 110);
  EXPECT_EQ(players[0].guessLat, 60);
  ASSERT_EQ(host.markers.size(), 1u);
  EXPECT_EQ(host.markers[0].flags, 3);
  EXPECT_EQ(host.markers[0].text, "Spieler1");
  EXPECT_EQ(host.markers[0].colour, 0xFEBFBFu);  // 0xBF + c / 4 per channel of 0xFF0000
  // a button of the on-map menu is the map's
  EXPECT_EQ(flow.OnMapMouse(kMouseLeftDown, kMouseOnMenuButton, 1, 1), 0);
  flow.OnInputDone();
  EXPECT_EQ(host.markers[0].flags, MarkerHidden(0));
  EXPECT_EQ(host.markers[0].lon, kUnset);
  EXPECT_EQ(host.lastZoom, 0);
  EXPECT_EQ(host.nudges, 2);  // player 1, player 2: nobody was current already
}

TEST_F(Flow, TenSecondsGiveSixTicksThenLastAndTheGuessAtThePointer) {
  config.maxTime = 10;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  host.sounds.clear();
  Ticks(41);
  EXPECT_EQ(host.sounds, (std::vector<std::string>{"TICK", "TICK", "TICK", "TICK", "TICK", "TICK", "LAST"}));
  EXPECT_TRUE(players[0].HasGuess());
  EXPECT_EQ(players[0].guessLon, host.pointerX - 500);
  EXPECT_TRUE(state.inputLock);
  EXPECT_EQ(host.cursor, MapCursor::No);
  Ticks(20);
  EXPECT_EQ(Count("LAST"), 1);
  // the turn waits for F4; a locked input takes no click
  EXPECT_EQ(state.current, 0);
  EXPECT_EQ(flow.OnMapMouse(kMouseLeftDown, 0, 700, 100), 1);
  EXPECT_EQ(players[0].guessLon, host.pointerX - 500);
  flow.OnInputDone();
  EXPECT_EQ(state.current, 1);
  EXPECT_EQ(state.countdown, 40);
  EXPECT_FALSE(state.inputLock);
}

TEST_F(Flow, AClickedGuessIsKeptWhenTheTimeRunsOut) {
  config.maxTime = 2;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(520, 240);
  host.sounds.clear();
  Ticks(10);
  EXPECT_EQ(players[0].guessLon, 20);
  EXPECT_EQ(Count("LAST"), 0);
  EXPECT_TRUE(state.inputLock);
}

TEST_F(Flow, NoTimeLimitNoCountdown) {
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  Ticks(100);
  EXPECT_TRUE(host.sounds == std::vector<std::string>{"NEXT"});
  EXPECT_FALSE(players[0].HasGuess());
}

TEST_F(Flow, ResetMidCountdownGivesNobodysTurnAndNoLaterLast) {
  config.maxTime = 5;
  config.showHtml = false;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  host.AddPage(2, FakeHost::Target(3, 4, "Zwei"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(520, 240);
  Ticks(3);
  flow.OnResetGame();
  EXPECT_EQ(state.current, kSelNobody);
  EXPECT_EQ(state.countdown, 0);
  EXPECT_TRUE(host.markers.empty());
  EXPECT_FALSE(players[0].HasGuess());
  host.sounds.clear();
  Ticks(40);
  EXPECT_TRUE(host.sounds.empty());
  // F5 starts the same target again
  flow.OnNextGame();
  EXPECT_EQ(state.current, 0);
  EXPECT_EQ(host.pages.size(), 1u);
  EXPECT_EQ(state.countdown, 20);
  flow.OnSelectPlayer(kCmdNobody);  // blocked without ShowHtml during a turn
  EXPECT_EQ(state.current, 0);
}

TEST_F(Flow, CountdownEndingWithoutAPlayerTouchesNoSlot) {
  config.maxTime = 1;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  flow.OnSelectPlayer(kCmdNobody);
  host.sounds.clear();
  Ticks(10);
  EXPECT_EQ(Count("LAST"), 0);
  EXPECT_TRUE(host.markers.empty());
  EXPECT_FALSE(state.inputLock);
}

TEST_F(Flow, SingleClickEndsTheInputThreeSecondsLater) {
  config.singleClick = true;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(520, 240);
  EXPECT_TRUE(state.blocked[0]);
  EXPECT_EQ(host.cursor, MapCursor::No);
  EXPECT_FALSE(host.captured);
  Ticks(11);
  EXPECT_TRUE(host.posted.empty());
  Ticks(1);
  EXPECT_EQ(host.posted, std::vector<int>{kCmdInputDone});
  EXPECT_EQ(host.cursor, MapCursor::Arrow);
  flow.OnInputDone();
  EXPECT_EQ(state.current, 1);
}

// A player picked directly (F7) plays whatever blocked the previous turn:
// the single-click delay that only counts without a time limit, or the
// input lock of a countdown that ran out.
TEST_F(Flow, PickedPlayerClicksAfterASingleClickWithATimeLimit) {
  config.maxTime = 10;
  config.singleClick = true;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(520, 240);
  Ticks(40);
  flow.OnSelectPlayer(kCmdPlayer1 + 1);
  ASSERT_EQ(state.current, 1);
  EXPECT_EQ(host.cursor, MapCursor::Player);
  Click(530, 230);
  EXPECT_EQ(players[1].guessLon, 30);
  flow.OnInputDone();
  EXPECT_EQ(state.current, 2);
  EXPECT_TRUE(state.blocked[1]);
}

TEST_F(Flow, PickedPlayerClicksAfterTheCountdownRanOut) {
  config.maxTime = 10;
  FirstTurn();
  Ticks(41);
  ASSERT_TRUE(state.inputLock);
  flow.OnSelectPlayer(kCmdPlayer1 + 1);
  Click(530, 230);
  EXPECT_EQ(players[1].guessLon, 30);
  EXPECT_EQ(state.countdown, 0);  // the countdown stays as it was
}

// The lock of a countdown that ran out holds the guess: a drag begun before
// it does not move on, and a turn given to another player and back does not
// free it.
TEST_F(Flow, TimeRunOutHoldsTheGuessThroughADragAndAReselection) {
  config.maxTime = 1;
  FirstTurn();
  flow.OnMapMouse(kMouseLeftDown, 0, 520, 240);
  Ticks(10);
  ASSERT_TRUE(state.inputLock);
  flow.OnMapMouse(kMouseMove, 0, 600, 100);
  flow.OnMapMouse(kMouseLeftUp, 0, 600, 100);
  EXPECT_EQ(players[0].guessLon, 20);
  flow.OnSelectPlayer(kCmdPlayer1 + 1);
  flow.OnSelectPlayer(kCmdPlayer1);
  ASSERT_EQ(state.current, 0);
  EXPECT_EQ(host.cursor, MapCursor::No);
  Click(600, 100);
  EXPECT_EQ(players[0].guessLon, 20);
}

TEST_F(Flow, TimeRunOutWithoutAGuessLeavesThePlayerFreeToBePickedAgain) {
  config.maxTime = 1;
  host.pointerKnown = false;
  FirstTurn();
  Ticks(10);
  ASSERT_FALSE(players[0].HasGuess());
  flow.OnSelectPlayer(kCmdPlayer1 + 1);
  flow.OnSelectPlayer(kCmdPlayer1);
  Click(520, 240);
  EXPECT_TRUE(players[0].HasGuess());
}

TEST_F(Flow, HugeTimeLimitIsClampedToThreeDigits) {
  config.maxTime = 0x7FFFFFFF;
  host.AddPage(1, FakeHost::Target(1, 2, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  EXPECT_EQ(state.countdown, 999 * 4);
}

TEST_F(Flow, LoweredCountLeavesNoRowAndScoresNoStaleGuess) {
  config.playerCount = 4;
  host.AddPage(1, FakeHost::Target(10, 10, "Eins"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(510, 240);  // player 1 on the target
  flow.OnInputDone();
  Click(520, 240);
  flow.OnInputDone();
  Click(530, 240);
  flow.OnInputDone();
  Click(511, 240);  // player 4 closest but about to leave
  // the current player gives way; the three left are done
  flow.ApplyPlayerOptions(3, config.hideOpponent);
  ASSERT_EQ(state.current, kSelResults);
  EXPECT_EQ(flow.Results().Board().Height(), BoardHeight(3));
  EXPECT_NE(state.winner, 3);
  for (int i = 0; i < 300 && !state.resultsFinished; ++i) flow.OnTimer();
  EXPECT_EQ(players[3].stars, 0);
}

TEST_F(Flow, LoweredCountWithTheRestDoneScoresTheRoundBeforeTheNextPage) {
  config.playerCount = 4;
  host.AddPage(1, FakeHost::Target(10, 10, "Eins"));
  host.AddPage(2, FakeHost::Target(20, 20, "Zwei"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(515, 240);
  flow.OnInputDone();
  Click(510, 240);
  flow.OnInputDone();
  ASSERT_EQ(state.current, 2);
  flow.ApplyPlayerOptions(2, config.hideOpponent);
  EXPECT_EQ(state.current, kSelResults);
  EXPECT_EQ(state.countdown, 0);
  EXPECT_EQ(state.winner, 1);
  EXPECT_EQ(Count("DONE"), 1);
  flow.OnNextGame();
  EXPECT_EQ(host.pages.size(), 1u);
}

// Players added mid-round take the turns after the others; a page loaded
// with the old count starts with whichever player its turn falls to.
TEST_F(Flow, RaisedCountGivesTheNextTurnsToTheAddedPlayers) {
  config.playerCount = 2;
  for (int g = 1; g <= 4; ++g) host.AddPage(g, FakeHost::Target(g, 10, "Ort"));
  flow.OnNextGame();
  flow.OnNextGame();
  Click(510, 240);
  flow.OnInputDone();
  ASSERT_EQ(state.current, 1);
  flow.ApplyPlayerOptions(4, config.hideOpponent);
  for (int next : {2, 3, kSelResults}) {
    Click(520, 240);
    flow.OnInputDone();
    EXPECT_EQ(state.current, next);
  }
  for (int i = 0; i < 300 && !state.resultsFinished; ++i) flow.OnTimer();
  // two players again for game 2, then four while game 3's page waits:
  // its first turn is player 3's
  flow.ApplyPlayerOptions(2, config.hideOpponent);
  flow.OnNextGame();
  flow.OnNextGame();
  PlayRound();
  flow.OnNextGame();
  ASSERT_TRUE(state.armed);
  flow.ApplyPlayerOptions(4, config.hideOpponent);
  host.sounds.clear();
  flow.OnNextGame();
  EXPECT_EQ(state.current, 2);
  EXPECT_EQ(host.sounds, std::vector<std::string>{"NEXT"});
  PlayRound();
  // raised once the round is scored: the added player waits for the next page
  flow.ApplyPlayerOptions(5, config.hideOpponent);
  EXPECT_TRUE(flow.CanNextGame());
  flow.OnNextGame();
  EXPECT_EQ(host.pages.size(), 4u);
  EXPECT_TRUE(host.errors.empty());
}

// The options take the time limit away mid-turn: the countdown's digits go
// and nothing more is counted.
TEST_F(Flow, TimeLimitTakenAwayMidTurnEndsTheCountdown) {
  config.maxTime = 10;
  FirstTurn();
  Ticks(8);
  config.maxTime = 0;
  host.invalidated.clear();
  host.sounds.clear();
  Ticks(1);
  EXPECT_EQ(state.countdown, 0);
  GameRect digits = flow.CountdownRect();
  EXPECT_TRUE(std::any_of(host.invalidated.begin(), host.invalidated.end(), [&](const GameRect& r) {
    return r.left == digits.left && r.top == digits.top && r.right == digits.right && r.bottom == digits.bottom;
  }));
  Ticks(60);
  EXPECT_TRUE(host.sounds.empty());
  EXPECT_FALSE(players[0].HasGuess());
}

}  // namespace
