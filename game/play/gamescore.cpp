#include "game/play/gamescore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "map/geo.h"
#include "text/fmtprint.h"

namespace game {

uint32_t PremultipliedArgb(Colour colour, int alpha) {
  uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  r = r * a / 255, g = g * a / 255, b = b * a / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

Ranking RankPlayers(PlayerSlot* players, int count, double targetLon, double targetLat) {
  Ranking k;
  count = std::clamp(count, 0, kMaxPlayers);
  for (int i = 0; i < count; ++i) {
    PlayerSlot& p = players[i];
    if (!p.HasGuess()) {
      p.distance = kUnset;
      p.barFinished = true;
      continue;
    }
    p.distance = GeoDistanceDegrees(targetLon, targetLat, p.guessLon, p.guessLat);
    if (p.distance < k.best) k.best = p.distance, k.winner = i;
    k.largest = std::max(k.largest, p.distance);
  }
  double second = 100000000.0;
  for (int i = 0; i < count; ++i) {
    if (i == k.winner || !players[i].HasGuess()) continue;
    if (players[i].distance < second) second = players[i].distance, k.second = i;
  }
  return k;
}

BarScale ComputeBarScale(double best, double largest) {
  BarScale s;
  if (largest < 1.0) largest = 1.0;
  if (best >= largest) best = largest * 0.5;
  s.logLargest = std::log(largest);
  if (s.logLargest <= 0 || best <= 1.0) return s;  // every bar the shortest, or r below 0
  double r = std::log(best) / s.logLargest;
  if (r > 0.2) {
    s.r = r - 0.1;
    s.s = 0.8 / (1 - s.r);
  }
  return s;
}

int BarLength(double distance, const BarScale& scale) {
  if (!(distance > kUnset)) return kBarFull;
  if (distance <= 1.0 || scale.logLargest <= 0) return kBarShortest;
  double len = 780 * scale.s * (std::log(distance) / scale.logLargest - scale.r);
  if (!(len >= 0)) len = 0;
  return std::min(kBarShortest + static_cast<int>(std::min(len, 780.0)), kBarFull);
}

int FinalBarLength(int stars, int highest) {
  if (highest <= 0 || stars <= 0) return kBarShortest;
  return kBarShortest + static_cast<int>(static_cast<int64_t>(kFinalBarSpan) * std::min(stars, highest) / highest);
}

int FormatDistance(double metres, char* text, int size) {
  double v = metres * 0.01;
  unsigned t = v >= 0 && v < 4e9 ? static_cast<unsigned>(v) : 0;
  if (t < 10000) return FmtPrintA(text, size, "%u.%u km", t / 10, t % 10);
  return FmtPrintA(text, size, "%u %03u.%u km", t / 10000, t / 10 % 1000, t % 10);
}

int GlyphCell(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c == 'k') return kGlyphK;
  if (c == 'm') return kGlyphM;
  if (c == '.') return kGlyphDot;
  return -1;
}

GeoBox ComputeZoomBox(double targetLon, double targetLat, const PlayerSlot* players, int count,
                      int halfBoardHeight, int viewHeight) {
  GeoBox b = {targetLon, targetLat, targetLon, targetLat};
  count = std::clamp(count, 0, kMaxPlayers);
  for (int i = 0; i < count; ++i) {
    if (!players[i].HasGuess()) continue;
    b.west = std::min(b.west, players[i].guessLon), b.east = std::max(b.east, players[i].guessLon);
    b.south = std::min(b.south, players[i].guessLat), b.north = std::max(b.north, players[i].guessLat);
  }
  double dx = (b.east - b.west) * 0.02, dy = (b.north - b.south) * 0.02;
  b.west -= dx, b.east += dx, b.south -= dy, b.north += dy;

  // the target not too far off the middle
  double east = std::max(b.east - targetLon, 0.01), west = std::max(targetLon - b.west, 0.01);
  if (east > 2 * west) b.west = targetLon - east / 2;
  else if (west > 2 * east) b.east = targetLon + west / 2;
  double north = std::max(b.north - targetLat, 0.01), south = std::max(targetLat - b.south, 0.01);
  if (north > 3 * south) b.south = targetLat - north / 2;
  else if (south > 3 * north) b.north = targetLat + south / 2;

  // a box that would zoom in too far keeps a minimum size about its middle
  if (b.east - b.west < 0.15) {
    double mid = (b.east + b.west) / 2;
    b.west = mid - 0.075, b.east = mid + 0.075;
  }
  if (b.north - b.south < 0.1) {
    double mid = (b.north + b.south) / 2;
    b.south = mid - 0.05, b.north = mid + 0.05;
  }
  // wholly beyond the map's usable latitudes: moved inside, same size
  if (b.south > 84 || b.north < -84) {
    double h = b.north - b.south;
    if (b.south > 84) b.north = 84, b.south = 84 - h;
    else b.south = -84, b.north = -84 + h;
  }
  if (viewHeight > 0) b.north += (b.north - b.south) * halfBoardHeight / viewHeight;
  b.north = std::min(b.north, 85.0);
  b.south = std::max(b.south, -85.0);
  return b;
}

int RingSteps(int pixels) { return std::clamp(pixels * 3 / 20, 4, 1024); }

int RingPoints(double lon, double lat, double metres, int steps, double* points, int maxPoints) {
  const double kLast = 6.280043714525997;  // short of a full turn: the ring is closed by the caller
  double step = 3.141592653589793 / (2 * steps);
  int n = 0;
  for (int k = 0; n < maxPoints; ++k) {
    double a = k * step;
    if (a > kLast) break;
    GeoDestination(lon, lat, metres * std::sin(a), metres * std::cos(a), &points[2 * n], &points[2 * n + 1]);
    ++n;
  }
  return n;
}

bool GlyphSet::Cut(const CPicture& strip) {
  if (strip.Bits() != 32 || strip.Width() < kGlyphCells) return false;
  m_width = strip.Width() / kGlyphCells;
  for (int i = 0; i < kGlyphCells; ++i)
    if (!m_cells[i].CropFrom(strip, i * m_width, 0, m_width, strip.Height())) return false;
  m_ready = true;
  return true;
}

void BlendScoreImage(CPicture& board, int x, int y, const CPicture& image) {
  if (board.Bits() != 32 || image.Bits() != 32) return;
  int x0 = std::max(0, -x), y0 = std::max(0, -y);
  int x1 = std::min(image.Width(), board.Width() - x), y1 = std::min(image.Height(), board.Height() - y);
  for (int j = y0; j < y1; ++j) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(image.Row(j));
    uint32_t* d = reinterpret_cast<uint32_t*>(board.Row(y + j)) + x;
    for (int i = x0; i < x1; ++i) {
      uint32_t p = s[i], a = p >> 24;
      if (a == 0) continue;
      uint32_t a2 = a - a / 8, keep = 255 - a2, q = d[i], out = 0;
      for (int sh = 0; sh < 32; sh += 8) {
        // the colour channels are premultiplied: they shrink with the alpha
        uint32_t c = sh == 24 ? a2 : ((p >> sh) & 0xFF) * a2 / a;
        uint32_t v = c + ((q >> sh) & 0xFF) * keep / 256;
        out |= std::min(v, 255u) << sh;
      }
      d[i] = out;
    }
  }
}

int DrawGlyphText(CPicture& board, const GlyphSet& glyphs, const char* text, int right, int y) {
  int w = glyphs.Width(), x = right;
  for (int i = static_cast<int>(std::strlen(text)) - 1; i >= 0; --i) {
    int cell = GlyphCell(text[i]);
    if (cell < 0) {
      x -= w * 5 / 8;
      continue;
    }
    x -= cell == kGlyphDot ? w / 4 : w;
    if (glyphs.Ready()) BlendScoreImage(board, x, y, glyphs.Cell(cell));
  }
  return x;
}

bool HalveBoard(const CPicture& board, CPicture& half) {
  if (board.Bits() != 32) return false;
  int w = board.Width() / 2, h = board.Height() / 2;
  if (w < 1 || h < 1) return false;
  if (half.Width() != w || half.Height() != h || half.Bits() != 32) {
    if (!half.Create(32, w, h, 0, 1)) return false;
  }
  const uint32_t kMask = 0xFCFCFCFCu;
  for (int y = 0; y < h; ++y) {
    const uint32_t* a = reinterpret_cast<const uint32_t*>(board.Row(2 * y));
    const uint32_t* b = reinterpret_cast<const uint32_t*>(board.Row(2 * y + 1));
    uint32_t* d = reinterpret_cast<uint32_t*>(half.Row(y));
    for (int x = 0; x < w; ++x) {
      // a quarter of each of the four, per channel; no channel can carry
      d[x] = ((a[2 * x] & kMask) >> 2) + ((a[2 * x + 1] & kMask) >> 2) + ((b[2 * x] & kMask) >> 2) +
             ((b[2 * x + 1] & kMask) >> 2);
    }
  }
  return true;
}

}  // namespace game
