// The tile cache on disk: its root, and the trim that keeps it below its
// size limit by deleting the least recently used files.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The process-wide cache root, ending in a separator ("...\VovIdeze\"),
// chosen and created on first use: "D:\Temp\VovIdeze\" when "D:\Temp"
// exists, "C:\Temp\VovIdeze\" when "C:\" is a drive, else the system's
// temporary folder.
const char* TileCacheRoot();
// Puts the root elsewhere (tests, tools); the folder is created. Returns 1
// when it fits (at most 200 characters), else 0.
int TileCacheSetRoot(const char* root);

// The process-wide limit in MiB (64 by default).
void TileCacheSetLimit(uint32_t mib);
uint32_t TileCacheLimit();

// How the trim paces itself (defaults: a walk at most once an hour, 100 ms
// after every 256 files listed or folders removed, 20 ms after every 32
// deleted); tests shorten them.
struct TileTrimPacing {
  int64_t intervalSeconds = 3601;
  int listPauseMs = 100;
  int deletePauseMs = 20;
};
void TileCacheSetPacing(const TileTrimPacing& pacing);
TileTrimPacing TileCachePacing();

struct TileTrimResult {
  uint64_t files = 0, bytes = 0;          // found
  uint64_t deleted = 0, deletedBytes = 0;  // removed
  uint64_t folders = 0;                    // empty folders removed
};

// One trim over root: lists every file below it, and when their sum is above
// limitBytes deletes the oldest (by modification time) until it is not, then
// removes the empty folders. keepGoing (when given) is read between files;
// the walk stops when it drops to 0 or below. Returns 1 when it ran to the
// end, 0 when stopped, -1 when the root cannot be listed.
int TileCacheTrim(const char* root, uint64_t limitBytes, const TileTrimPacing& pacing,
                  volatile long* keepGoing, TileTrimResult* result);

// Whether a trim is due at time now (seconds) after the last start.
bool TileCacheTrimDue(int64_t now, int64_t lastStart, int64_t intervalSeconds);

#ifdef _WIN32
// Starts the trim thread over the process root when one is due and none is
// running; it runs while *liveCount is above 0. Returns 1 when started.
int TileCacheStartTrim(volatile long* liveCount);
// Whether a trim thread is running.
bool TileCacheTrimRunning();
#endif
