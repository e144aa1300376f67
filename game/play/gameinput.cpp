// The players' clicks and the timer: guesses by mouse, the countdown with
// its sounds and the automatic guess, the single-click delay.
#include "game/play/gameflow.h"

namespace game {

namespace {

// a light tint of the player's colour for the marker's label
Colour LightTint(Colour c) {
  Colour out = 0;
  for (int sh = 0; sh < 24; sh += 8) out |= (0xBFu + ((c >> sh) & 0xFF) / 4) << sh;
  return out;
}

}  // namespace

int GameFlow::OnMapMouse(unsigned message, unsigned flags, int x, int y) {
  int p = m_state.current;
  bool canPlace = IsTurn() && !m_state.blocked[p] && m_state.singleClickDelay == 0;
  if (message == kMouseLeftDown && !(flags & kMouseOnMenuButton)) {
    m_host.FocusMap();
    if (!canPlace) return 0;
    if (m_state.inputLock) return 1;
    PlayerSlot& pl = m_players[p];
    m_host.CaptureMouse(true);
    double lon = 0, lat = 0;
    m_host.ClientToGeo(x, y, &lon, &lat);
    if (pl.marker >= 0) m_host.SetMarker(pl.marker, lon, lat, MarkerShown(p));
    else pl.marker = m_host.InsertMarker(pl.name, lon, lat, MarkerShown(p), LightTint(pl.colour));
    pl.guessLon = lon, pl.guessLat = lat;
    m_state.dragging = true;
    if (m_config.singleClick) {
      m_host.SetCursor(MapCursor::No, p);
      m_host.CaptureMouse(false);
      m_state.blocked[p] = true;
      m_state.singleClickDelay = kSingleClickTicks;
      m_state.clickedPlayer = p;
      m_state.dragging = false;
      if (m_state.countdown > 0) m_state.countdown = 0;
      m_host.Invalidate(PlayerBoxesRect());
    }
    return 1;
  }
  if (message == kMouseMove && m_state.dragging && canPlace && !m_state.inputLock && m_players[p].marker >= 0) {
    PlayerSlot& pl = m_players[p];
    m_host.ClientToGeo(x, y, &pl.guessLon, &pl.guessLat);
    m_host.SetMarker(pl.marker, pl.guessLon, pl.guessLat, MarkerShown(p));
    return 1;
  }
  if (message == kMouseLeftUp && m_state.dragging) {
    m_host.CaptureMouse(false);
    m_state.dragging = false;
    return 1;
  }
  return 0;
}

void GameFlow::OnTimer() {
  if (m_config.maxTime == 0 && m_state.countdown > 0) {
    // the options took the time limit away mid-turn: its digits go
    m_state.countdown = 0;
    m_state.firstPass = false;
    m_host.Invalidate(CountdownRect());
  }
  if (m_config.maxTime == 0) SingleClickStep();
  if (m_state.roundAnimation) m_results.AnimateStep();
  if (m_state.finalBars) m_results.GrowStep();
  if (m_config.maxTime != 0) CountdownStep();
}

void GameFlow::SingleClickStep() {
  if (m_state.singleClickDelay <= 0 || --m_state.singleClickDelay > 0) return;
  m_host.SetCursor(MapCursor::Arrow, m_state.current);
  if (m_state.clickedPlayer == m_state.current) {
    m_state.clickedPlayer = kSelNobody;
    m_host.PostCommand(kCmdInputDone);
  }
}

void GameFlow::CountdownStep() {
  if (m_state.countdown > 0) {
    int before = m_state.countdown--;
    // the display and the sounds run once a second
    if (m_state.firstPass && before % kTicksPerSecond != 1) return;
    m_state.firstPass = true;
  } else {
    if (!m_state.firstPass) return;
    m_state.firstPass = false;
  }
  m_host.Invalidate(CountdownRect());
  if (m_state.countdown == 0) {
    // only a player's turn has a guess to place (not nobody's, not the results)
    if (!IsTurn()) return;
    int p = m_state.current;
    int x = 0, y = 0;
    if (m_players[p].marker < 0 && !m_state.inputLock && m_host.PointerPos(&x, &y)) {
      m_host.PlayGameSound("LAST");
      OnMapMouse(kMouseLeftDown, 0, x, y);
      OnMapMouse(kMouseLeftUp, 0, x, y);
    } else if (m_players[p].marker < 0 && !m_state.inputLock) {
      m_host.PlayGameSound("LAST");
    }
    // only a guess is held: a player left without one may be picked again
    m_state.inputLock = true;
    m_state.timeUp[p] = m_players[p].HasGuess();
    m_host.SetCursor(MapCursor::No, p);
  } else if (m_state.countdown < 25 || m_state.countdown % 40 == 0) {
    m_host.PlayGameSound("TICK");
  }
}

}  // namespace game
