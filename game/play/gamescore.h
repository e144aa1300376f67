// The arithmetic of a round's results and the scoreboard's pixels: ranking,
// bar scale and lengths, distance text, the zoom box, glyph text, blending
// and the half-size copy. No window: the scoreboard is a 32-bit CPicture
// with premultiplied alpha.
#pragma once

#include <stdint.h>

#include "game/gamestate.h"
#include "image/picture.h"

namespace game {

// Scoreboard geometry.
constexpr int kBoardWidth = 800;
constexpr int kRowPitch = 96;
constexpr int kRowTop = 16;      // first row of a round's board
constexpr int kBarLeft = 16;
constexpr int kBarHeight = 64;
constexpr int kBarFull = 796;    // a bar that never shrank
constexpr int kBarShortest = 17;
constexpr int kFinalBarSpan = 702;
constexpr int kGlyphCells = 16;
constexpr int kGlyphWidth = 40, kGlyphHeight = 56;  // cells of the glyph strip
constexpr int kGlyphK = 12, kGlyphM = 13, kGlyphDot = 14;

// Premultiplied ARGB words of the board.
constexpr uint32_t kShadow = 0x20000001;
constexpr uint32_t kLineLight = 0x40000001;
constexpr uint32_t kLineDark = 0x80000001;

inline int BoardHeight(int count) { return kRowPitch * count + 4; }

// The players taking part: the configured count within 1..8.
inline int PlayerCount(const GameConfig& c) {
  return c.playerCount < 1 ? 1 : c.playerCount > kMaxPlayers ? kMaxPlayers : static_cast<int>(c.playerCount);
}

// COLORREF (0x00BBGGRR) as premultiplied ARGB with the given alpha.
uint32_t PremultipliedArgb(Colour colour, int alpha);

struct Ranking {
  int winner = -1;
  int second = -1;
  double best = 100000000.0;
  double largest = 0;
};

// Distances of the first `count` players' guesses to the target (metres,
// kUnset without a guess) into players[i].distance, and the ranking: the
// strictly smallest wins, ties go to the lower number.
Ranking RankPlayers(PlayerSlot* players, int count, double targetLon, double targetLat);

struct BarScale {
  double r = 0;
  double s = 0.8;
  double logLargest = 0;
};
BarScale ComputeBarScale(double best, double largest);
int BarLength(double distance, const BarScale& scale);
int FinalBarLength(int stars, int highest);

// "999.9 km", "1 000.0 km"; returns the length.
int FormatDistance(double metres, char* text, int size);
// Glyph cell of a character: digits 0..9, "k", "m", "."; -1 for none.
int GlyphCell(char c);

// Geographic box of the results view.
struct GeoBox {
  double west, south, east, north;
};
// The target, every guess of the first `count` players, margins, the
// target kept near the middle, room for the half-size board at the top
// (none when the view has no height).
GeoBox ComputeZoomBox(double targetLon, double targetLat, const PlayerSlot* players, int count,
                      int halfBoardHeight, int viewHeight);

// The ring around the target: the number of quarter steps n for a circle
// of `pixels` diameter, and the points of the polygon (lon, lat pairs);
// returns the points written.
int RingSteps(int pixels);
int RingPoints(double lon, double lat, double metres, int steps, double* points, int maxPoints);

// Glyphs cut from the strip (40 x 56 cells), drawn into the board.
class GlyphSet {
 public:
  bool Cut(const CPicture& strip);
  bool Ready() const { return m_ready; }
  const CPicture& Cell(int i) const { return m_cells[i]; }
  int Width() const { return m_width; }

 private:
  CPicture m_cells[kGlyphCells];
  int m_width = 0;
  bool m_ready = false;
};

// Composes a premultiplied image over the board at (x, y), its alpha
// lowered by an eighth, clipped to the board.
void BlendScoreImage(CPicture& board, int x, int y, const CPicture& image);
// Writes text right-aligned so that it ends at `right`; returns the left end.
int DrawGlyphText(CPicture& board, const GlyphSet& glyphs, const char* text, int right, int y);

// Half size: each pixel the sum of its 2 x 2 block's channels divided by 4.
bool HalveBoard(const CPicture& board, CPicture& half);

}  // namespace game
