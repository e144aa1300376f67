// File times: 100-ns ticks since 1601-01-01 against seconds since 1970.
#include "files/filetime.h"

namespace {
const int64_t kTicksPerSecond = 10000000;
const int64_t kEpochDiff = 11644473600LL;  // seconds from 1601 to 1970
}  // namespace

uint32_t FileTicksToSeconds32(int64_t ticks) {
  if (ticks < kEpochDiff * kTicksPerSecond) return 0;
  int64_t s = ticks / kTicksPerSecond - kEpochDiff;
  return s >= 0x7FFFFFFF ? 0x7FFFFFFFu : (uint32_t)s;
}

uint32_t FileTimeToSeconds32(const FILETIME& ft) {
  uint64_t t = ((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
  if (t > (uint64_t)INT64_MAX) return 0x7FFFFFFFu;
  return FileTicksToSeconds32((int64_t)t);
}

int64_t SecondsToFileTicks(int64_t seconds) {
  if (seconds <= 0) return 0;
  // far beyond any file time; keeps the product in range
  if (seconds > (INT64_MAX / kTicksPerSecond) - kEpochDiff) seconds = (INT64_MAX / kTicksPerSecond) - kEpochDiff;
  return (seconds + kEpochDiff) * kTicksPerSecond;
}

int SecondsToFileTime(int64_t seconds, FILETIME* ft) {
  int64_t t = SecondsToFileTicks(seconds);
  if (ft) {
    ft->dwLowDateTime = (uint32_t)((uint64_t)t & 0xFFFFFFFFu);
    ft->dwHighDateTime = (uint32_t)((uint64_t)t >> 32);
  }
  return t > 0 ? 1 : 0;
}
