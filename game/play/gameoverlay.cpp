#include "game/play/gameoverlay.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text/fmtprint.h"

namespace game {

namespace {

constexpr int kDoneKind = 8, kCurrentKind = 16, kBoxKind = 24;
constexpr int kMaxWorldCopies = 64;
constexpr int kSecondSegmentLimit = 31;  // longer segments of the second ring are left out

bool AlphaBlendDC(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy) {
  BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (AlphaBlend(dc, x, y, w, h, src, sx, sy, w, h, bf)) return true;
  return TransparentBlt(dc, x, y, w, h, src, sx, sy, w, h, RGB(0, 0, 0)) != FALSE;
}

void DrawPlayerBoxes(HDC dc, const GameFlow& flow, const OverlayRecords& g, OverlayHost& host) {
  GameRect row = flow.PlayerBoxesRect();
  for (int i = 0; i < PlayerCount(g.config); ++i) {
    int x = row.left + i * (kBoxSize + kBoxGap), w = 0, h = 0;
    if (HDC box = host.MarkerImage(kBoxKind + i, &w, &h)) AlphaBlendDC(dc, x, row.top, w, h, box, 0, 0);
    int kind = -1;
    if (g.state.blocked[i] && g.state.gamesLoaded > 0) kind = kDoneKind + i;
    else if (g.state.current == i) kind = kCurrentKind + i;
    if (kind < 0) continue;
    if (HDC sym = host.MarkerImage(kind, &w, &h))
      AlphaBlendDC(dc, x + (kBoxSize - w) / 2, row.top + (kBoxSize - h) / 2, w, h, sym, 0, 0);
  }
}

void DrawCountdown(HDC dc, const GameFlow& flow, const GameResults& r, int ticks) {
  const CPicture& strip = r.GlyphStrip();
  if (strip.IsEmpty()) return;
  char text[16];
  FmtPrintA(text, sizeof text, "%3u", static_cast<unsigned>(ticks / kTicksPerSecond));
  GameRect area = flow.CountdownRect();
  int x = area.right, w = kGlyphWidth;
  for (int i = static_cast<int>(strlen(text)) - 1; i >= 0; --i) {
    int cell = GlyphCell(text[i]);
    if (cell < 0) {
      x -= w * 5 / 8;
      continue;
    }
    x -= w;
    BlendToDC(dc, x, area.top, strip, cell * w, 0, w, strip.Height());
  }
}

// The ring of one player about the target, in each world copy on screen.
void DrawRing(HDC dc, const OverlayRecords& g, OverlayHost& host, int player, bool shortSegmentsOnly) {
  const PlayerSlot& p = g.players[player];
  if (!(p.distance > 0)) return;
  double lon = g.state.targetLon, lat = g.state.targetLat;
  int radius = host.MetresToPixels(lon, lat, p.distance);
  int steps = RingSteps(radius);
  std::vector<double> geo(2 * (4 * steps + 1));
  int n = RingPoints(lon, lat, p.distance, steps, geo.data(), static_cast<int>(geo.size() / 2));
  if (n < 2) return;
  int world = host.WorldPixels();
  std::vector<POINT> pts(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    int x = 0, y = 0;
    host.GeoToClient(geo[2 * i], geo[2 * i + 1], &x, &y);
    // points across the date line stay beside their neighbours
    if (i > 0 && world > 0)
      while (std::abs(x - pts[i - 1].x) > world / 2) x += x < pts[i - 1].x ? world : -world;
    pts[i] = POINT{x, y};
  }
  // the ring in the world copy of its target, then every copy on screen
  int cx = 0, cy = 0;
  host.GeoToClient(lon, lat, &cx, &cy);
  int64_t sum = 0;
  for (const POINT& q : pts) sum += q.x;
  int shift = 0;
  if (world > 0) {
    double off = (cx - static_cast<double>(sum) / n) / world;
    shift = static_cast<int>(off < 0 ? off - 0.5 : off + 0.5) * world;
  }
  int minX = pts[0].x + shift, maxX = minX;
  for (POINT& q : pts) {
    q.x += shift;
    minX = std::min<int>(minX, q.x), maxX = std::max<int>(maxX, q.x);
  }
  int width = g.state.clientWidth, first = 0, last = 0;
  if (world > 0) {
    first = -std::min(kMaxWorldCopies, std::max(0, maxX) / world + 1);
    last = std::min(kMaxWorldCopies, std::max(0, width - minX) / world + 1);
  }
  HPEN pen = CreatePen(PS_SOLID, 2, (p.colour >> 1) & 0x7F7F7F);
  HGDIOBJ old = SelectObject(dc, pen);
  for (int k = first; k <= last; ++k) {
    int dx = k * world;
    if (maxX + dx < 0 || minX + dx > width) continue;
    for (int i = 0; i < n; ++i) {
      const POINT& a = pts[i];
      const POINT& b = pts[(i + 1) % n];
      if (shortSegmentsOnly && (std::abs(b.x - a.x) >= kSecondSegmentLimit || std::abs(b.y - a.y) >= kSecondSegmentLimit))
        continue;
      MoveToEx(dc, a.x + dx, a.y, nullptr);
      LineTo(dc, b.x + dx, b.y);
    }
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace

bool BlendToDC(HDC dc, int x, int y, const CPicture& pic, int sx, int sy, int w, int h) {
  HBITMAP bm = pic.GetHBitmap();
  if (!bm) return false;
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) return false;
  HGDIOBJ old = SelectObject(mem, bm);
  bool ok = AlphaBlendDC(dc, x, y, w, h, mem, sx, sy);
  SelectObject(mem, old);
  DeleteDC(mem);
  return ok;
}

void DrawGameOverlay(HDC dc, const GameFlow& flow, const OverlayRecords& g, OverlayHost& host) {
  const GameResults& r = flow.Results();
  const GameState& s = g.state;
  if (s.roundAnimation || s.finalBars) {
    const CPicture& b = r.Board();
    BlendToDC(dc, r.BoardLeft(), r.BoardTop(), b, 0, 0, b.Width(), b.Height());
    return;
  }
  if (!s.resultsFinished) {
    DrawPlayerBoxes(dc, flow, g, host);
    if (s.countdown > 0) DrawCountdown(dc, flow, r, s.countdown);
    return;
  }
  int count = PlayerCount(g.config);
  if (s.winner >= 0 && s.winner < count) DrawRing(dc, g, host, s.winner, false);
  if (s.second >= 0 && s.second < count) DrawRing(dc, g, host, s.second, true);
  const CPicture& half = r.HalfBoard();
  if (half.IsEmpty()) return;
  int x = kBoxGap;
  if (g.config.playerStats & kStatsRight) x = s.clientWidth - half.Width() - 2 * kBoxGap;
  else if (g.config.playerStats & kStatsCentred) x = (s.clientWidth - half.Width()) / 2;
  BlendToDC(dc, x, kBoxTop, half, 0, 0, half.Width(), half.Height());
}

}  // namespace game
