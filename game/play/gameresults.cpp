#include "game/play/gameresults.h"

#include <algorithm>

#include "text/fmtprint.h"

namespace game {

namespace {

constexpr Colour kWhite = 0xFFFFFF;

Colour Quarter(Colour c) { return (c >> 2) & 0x3F3F3F; }
Colour Halved(Colour c) { return (c >> 1) & 0x7F7F7F; }

}  // namespace

bool GameResults::SetImages(const CPicture& star, const CPicture& glyphStrip) {
  if (star.Bits() != 32 || !m_star.CropFrom(star, 0, 0, star.Width(), star.Height())) return false;
  // the overlay blends the countdown straight from the strip's bitmap
  if (!m_strip.Create(32, 1, 1, 0, 1) || !m_strip.CropFrom(glyphStrip, 0, 0, glyphStrip.Width(), glyphStrip.Height()))
    return false;
  return m_glyphs.Cut(glyphStrip);
}

int GameResults::Count() const { return PlayerCount(m_config); }

int GameResults::BoardLeft() const { return (m_state.clientWidth - m_board.Width()) / 2; }
int GameResults::BoardTop() const { return (m_state.clientHeight - m_board.Height()) / 2; }

int GameResults::TextTop(int row) const { return row + (kBarHeight - m_glyphs.Width()) / 3 - 2; }

bool GameResults::NewBoard() {
  int h = BoardHeight(Count());
  if (!m_board.Create(32, kBoardWidth, h, 0, 1)) return false;
  m_board.FillRect(4, 4, kBarLeft, h - 4, kShadow);
  m_board.FillRect(0, 0, kBarLeft, h - 4, kLineDark);
  return true;
}

void GameResults::InvalidateSlice(int x, int y, int w, int h) {
  int left = BoardLeft() + x, top = BoardTop() + y;
  m_host.Invalidate(GameRect{left, top, left + w, top + h});
}

void GameResults::ShowRoundResults() {
  for (int i = 0; i < kMaxPlayers; ++i) m_players[i].barFinished = false;
  m_state.winner = m_state.second = -1;
  m_state.resultsShown = true;
  if (m_state.targetMarker >= 0) m_host.SetMarker(m_state.targetMarker, kUnset, kUnset, kTargetHidden);
  for (int i = 0; i < kMaxPlayers; ++i)
    if (m_players[i].marker >= 0) m_host.SetMarker(m_players[i].marker, kUnset, kUnset, MarkerHidden(i));

  // players beyond the count take no part
  int count = Count();
  Ranking k = RankPlayers(m_players, count, m_state.targetLon, m_state.targetLat);
  for (int i = count; i < kMaxPlayers; ++i) m_players[i].distance = kUnset, m_players[i].barFinished = true;
  m_state.winner = k.winner;
  m_state.second = k.second;
  BarScale scale = ComputeBarScale(k.best, k.largest);
  int smallest = kBarFull;
  for (int i = 0; i < count; ++i) {
    m_players[i].barLength = BarLength(m_players[i].distance, scale);
    smallest = std::min(smallest, m_players[i].barLength);
  }

  if (NewBoard()) {
    for (int i = 0; i < count; ++i) {
      int y = kRowTop + kRowPitch * i;
      Colour c = m_players[i].colour;
      if (!m_players[i].HasGuess()) c = Quarter(c);
      m_board.FillRect(20, y + 4, 784, kBarHeight, kShadow);
      m_board.FillRect(kBarLeft, y, 780, kBarHeight, PremultipliedArgb(c, 192));
      m_board.FrameRect(kBarLeft - 1, y, 781, kBarHeight, kLineDark);
    }
  }
  m_state.animationPos = kBarFull;
  m_state.minimumMark = smallest - 6;
  m_state.roundAnimation = true;
  m_state.resultsFinished = false;
  m_host.RedrawAll();
}

void GameResults::FinishRoundBar(int i) {
  PlayerSlot& p = m_players[i];
  int row = kRowTop + kRowPitch * i;
  char text[32];
  FormatDistance(p.distance, text, sizeof text);
  int left = DrawGlyphText(m_board, m_glyphs, text, kBoardWidth - 4, TextTop(row));
  InvalidateSlice(left, row, kBoardWidth - left, kBarHeight + 4);
  bool star = i == m_state.winner || (i == m_state.second && m_config.starSecond);
  if (!star) {
    m_host.PlayGameSound("LAST");
    return;
  }
  int starTop = row + (kBarHeight - m_star.Height()) / 2;
  BlendScoreImage(m_board, 21, starTop, m_star);
  if (m_config.starSecond && i == m_state.winner) {
    BlendScoreImage(m_board, m_star.Width() + 31, starTop, m_star);
    ++p.stars;
  }
  ++p.stars;
  InvalidateSlice(21, row, 2 * m_star.Width() + 10, kBarHeight);
  m_host.PlayGameSound("TADA");
}

void GameResults::AnimateStep() {
  int count = Count();
  m_state.animationPos -= 6;
  int pos = m_state.animationPos;
  if (pos >= m_state.minimumMark) {
    for (int i = 0; i < count; ++i) {
      PlayerSlot& p = m_players[i];
      if (p.barFinished || p.barLength > pos + 6) continue;
      int x = pos;
      if (pos <= p.barLength) x = p.barLength, p.barFinished = true;
      int y = kRowTop + kRowPitch * i;
      m_board.FillRect(x, y, 10, 4, 0);
      m_board.FillRect(x, y + 4, 10, kBarHeight, kShadow);
      m_board.FillRect(x, y, 1, kBarHeight, kLineDark);
      InvalidateSlice(x, y, 10, kBarHeight + 4);
      if (p.barFinished) FinishRoundBar(i);
    }
    return;
  }
  if ((m_state.minimumMark - pos) / 6 <= kPauseTicks) {
    m_state.blocked[kSelNobody] = false;
    return;
  }
  ShowResultMap();
}

void GameResults::ShowResultMap() {
  int count = Count();
  if (m_state.targetMarker < 0)
    m_state.targetMarker =
        m_host.InsertMarker(m_state.targetName, m_state.targetLon, m_state.targetLat, kTargetShown, kWhite);
  else
    m_host.SetMarker(m_state.targetMarker, m_state.targetLon, m_state.targetLat, kTargetShown);
  for (int i = 0; i < count; ++i) {
    const PlayerSlot& p = m_players[i];
    if (p.marker >= 0 && p.HasGuess()) m_host.SetMarker(p.marker, p.guessLon, p.guessLat, MarkerShown(i));
  }
  HalveBoard(m_board, m_half);
  GeoBox box = ComputeZoomBox(m_state.targetLon, m_state.targetLat, m_players, count, m_half.Height(),
                              m_state.clientHeight);
  m_host.ZoomToArea(box.west, box.south, box.east, box.north);
  m_state.animationPos = kUnset;
  m_state.roundAnimation = false;
  m_state.resultsShown = false;
  m_state.resultsFinished = true;
  m_host.RedrawAll();
}

void GameResults::ShowFinalScoreboard() {
  int count = Count();
  m_state.blocked[kSelNobody] = m_state.blocked[kSelResults] = true;
  m_state.winner = m_state.second = -1;
  m_state.resultsShown = true;
  int highest = 0;
  for (int i = 0; i < kMaxPlayers; ++i) {
    m_state.blocked[i] = true;
    m_players[i].barFinished = i >= count;
    if (i < count) highest = std::max(highest, m_players[i].stars);
  }
  for (int i = 0; i < count; ++i) m_players[i].barLength = FinalBarLength(m_players[i].stars, highest);
  if (NewBoard())
    for (int i = 0; i < count; ++i) m_board.FillRect(20, 20 + kRowPitch * i, 784, kBarHeight, kShadow);
  // every marker goes, so no index of one may stay behind
  m_host.DeleteAllMarkers();
  m_state.targetMarker = -1;
  for (int i = 0; i < kMaxPlayers; ++i) m_players[i].marker = -1;
  m_state.animationPos = 0;
  m_state.finalBars = true;
  m_host.RedrawAll();
}

void GameResults::GrowStep() {
  int count = Count();
  m_state.animationPos += 6;
  int pos = m_state.animationPos;
  bool finished = false;
  for (int i = 0; i < count; ++i) {
    PlayerSlot& p = m_players[i];
    if (p.barFinished || p.barLength < pos - 6) continue;
    int x0 = pos - 6, w = 6;
    if (pos >= p.barLength) w = p.barLength - x0, p.barFinished = true;
    int y = kRowTop + kRowPitch * i, x = kBarLeft + x0;
    m_board.FillRect(x, y, w, kBarHeight, PremultipliedArgb(Halved(p.colour), 128));
    m_board.FillRect(x + w, y, 1, kBarHeight, kLineLight);
    m_board.FillRect(x, y, w, 1, kLineLight);
    m_board.FillRect(x, y + 63, w, 1, kLineDark);
    InvalidateSlice(x, y, w + 1, kBarHeight);
    if (!p.barFinished) continue;
    char text[16];
    FmtPrintA(text, sizeof text, "%u", static_cast<unsigned>(p.stars));
    int left = DrawGlyphText(m_board, m_glyphs, text, kBoardWidth - 4, TextTop(y));
    InvalidateSlice(left, y, kBoardWidth - left, kBarHeight);
    finished = true;
  }
  if (finished) m_host.PlayGameSound("LAST");
}

}  // namespace game
