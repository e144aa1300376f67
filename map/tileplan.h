// The order in which missing cells are handed to the workers, and how much
// of the disk cache the trim removes.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Visits the cells of the range [colFrom, colTo] x [rowFrom, rowTo] in a
// square spiral from (col, row) (clamped into the range): segments of 1, 1,
// 2, 2, 3, 3, ... cells, the first towards larger columns, turning to larger
// rows, smaller columns, smaller rows. Every cell of the range is visited
// once, also when the start lies at its edge. visit returns false to stop.
// Returns the number of cells visited.
int TileSpiralWalk(int col, int row, int colFrom, int colTo, int rowFrom, int rowTo,
                   bool (*visit)(void* ctx, int col, int row), void* ctx);

// The cache limit in bytes for a limit in MiB (64-bit: 4096 MiB is 2^32).
inline uint64_t TileCacheLimitBytes(uint32_t mib) { return (uint64_t)mib << 20; }

// Given file sizes ordered newest first, the number of files to delete from
// the end (the oldest) so that the rest is no larger than the limit.
size_t TileTrimCount(const uint64_t* sizesNewestFirst, size_t count, uint64_t limit);
