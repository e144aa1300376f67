// Writes a board with a distance text blended from the real glyph strip, for
// glyph_blend_test.py to recompute on its own:
//   glyph_blend_check GLYPHS.bmp TEXT BACKGROUND OUT.raw
// BACKGROUND: the board's premultiplied ARGB word (hex); OUT: 800 x 72
// little-endian ARGB words.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/play/gamescore.h"

namespace {

bool ReadBmp(const char* path, CPicture& pic) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> d;
  unsigned char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
  std::fclose(f);
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
  auto u32 = [&](size_t o) { return (uint32_t)d[o] | d[o + 1] << 8 | d[o + 2] << 16 | (uint32_t)d[o + 3] << 24; };
  uint32_t off = u32(10);
  int w = (int)u32(18), h = (int)u32(22);
  if (w <= 0 || h <= 0 || d[28] != 32 || off + (size_t)w * h * 4 > d.size() || !pic.Create(32, w, h)) return false;
  for (int y = 0; y < h; ++y) std::memcpy(pic.Row(y), &d[off + (size_t)(h - 1 - y) * w * 4], (size_t)w * 4);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  CPicture strip, board;
  game::GlyphSet glyphs;
  if (!ReadBmp(argv[1], strip) || !glyphs.Cut(strip)) return 1;
  if (!board.Create(32, game::kBoardWidth, 72, (uint32_t)std::strtoul(argv[3], nullptr, 16))) return 1;
  game::DrawGlyphText(board, glyphs, argv[2], game::kBoardWidth - 4, 6);
  FILE* out = std::fopen(argv[4], "wb");
  if (!out) return 1;
  for (int y = 0; y < board.Height(); ++y) std::fwrite(board.Row(y), 4, (size_t)board.Width(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}
