#include "map/tileplan.h"

int TileSpiralWalk(int col, int row, int colFrom, int colTo, int rowFrom, int rowTo,
                   bool (*visit)(void* ctx, int col, int row), void* ctx) {
  if (colFrom > colTo || rowFrom > rowTo || !visit) return 0;
  if (col < colFrom) col = colFrom;
  if (col > colTo) col = colTo;
  if (row < rowFrom) row = rowFrom;
  if (row > rowTo) row = rowTo;
  const long long total = (long long)(colTo - colFrom + 1) * (rowTo - rowFrom + 1);
  // from a corner the spiral must reach twice as far as from the middle
  const int width = colTo - colFrom + 1, height = rowTo - rowFrom + 1;
  const int maxSeg = 2 * (width > height ? width : height) + 2;
  static const int kDc[4] = {1, 0, -1, 0};
  static const int kDr[4] = {0, 1, 0, -1};
  long long seen = 0;
  int visited = 0;
  int c = col, r = row;
  if (!visit(ctx, c, r)) return 1;
  seen = visited = 1;
  for (int seg = 1, dir = 0; seen < total && seg <= maxSeg; dir = (dir + 1) & 3) {
    for (int i = 0; i < seg && seen < total; i++) {
      c += kDc[dir];
      r += kDr[dir];
      if (c < colFrom || c > colTo || r < rowFrom || r > rowTo) continue;
      seen++;
      visited++;
      if (!visit(ctx, c, r)) return visited;
    }
    if (dir & 1) seg++;
  }
  return visited;
}

size_t TileTrimCount(const uint64_t* sizes, size_t count, uint64_t limit) {
  uint64_t sum = 0;
  for (size_t i = 0; i < count; i++) sum += sizes[i];
  size_t remove = 0;
  while (sum > limit && remove < count) {
    sum -= sizes[count - 1 - remove];
    remove++;
  }
  return remove;
}
