// Conversions between file times (FILETIME) and seconds since 1970.
#pragma once

#include <stdint.h>

#include "files/fileio.h"

// Seconds since 1970 of a FILETIME: 0 before 1970, 0x7FFFFFFF beyond the
// 32-bit range.
uint32_t FileTimeToSeconds32(const FILETIME& ft);

// The FILETIME of seconds since 1970; 0 or less gives a zero FILETIME and
// the result 0, else 1.
int SecondsToFileTime(int64_t seconds, FILETIME* ft);

// The same on the plain 64-bit tick count (100 ns since 1601) that the file
// layer uses.
uint32_t FileTicksToSeconds32(int64_t ticks);
int64_t SecondsToFileTicks(int64_t seconds);  // 0 for 0 or less
