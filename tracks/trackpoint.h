// GPS track files: one flat array of track points read from GPX, KML, KMZ,
// ZIDEVI (TRK), TK and CSV files, written as GPX, KML and CSV, and measured
// and resampled.
//
// Readers return the number of points or a negative TRACK_ERR_ code. Texts
// are 8-bit (Windows-1252). The caller owns a returned array and frees it
// with TrackFreePoints.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "text/textdefs.h"

struct TrackPoint {
  double time;     // days since 1899-12-30 (seconds since 1970 / 86400 + 25569); <= 1.0: none
  double lon;      // degrees
  double lat;      // degrees
  double ele;      // metres (no reader fills it)
  double dist;     // metres from the first point
  double elapsed;  // running time, seconds
  double paused;   // running pause time, seconds
  double speed;    // metres per second
  double ascent;   // running ascent, metres
  double descent;  // running descent, metres (zero or negative)
  double reserved[4];
};

enum {
  TRACK_ERR_OPEN = -1,    // missing, empty or unreadable file
  TRACK_ERR_FORMAT = -2,  // not this reader's format
  TRACK_ERR_MEMORY = -3,  // out of memory, or too large to hold
  TRACK_ERR_FEW = -4,     // one point or none
};

// The numbers that bound what a reader accepts.
const int TRACK_NAME_SIZE = 128;                    // name buffers, terminator included
const int64_t TRACK_MAX_FILE = 512LL * 1024 * 1024;  // larger files and entries give -3
const double TRACK_TIME_1970 = 25569.0;             // 1970-01-01 in days since 1899-12-30
const double TRACK_SECONDS_PER_DAY = 86400.0;
const int TRACK_RESAMPLE_MAX = 0x80000;

// Time of a point: seconds since 1970 (non-positive: none) <-> days.
inline double TrackTimeFromSeconds(int64_t seconds) {
  return (double)seconds / TRACK_SECONDS_PER_DAY + TRACK_TIME_1970;
}
inline bool TrackHasTime(double time) { return time > 1.0; }

void TrackFreePoints(TrackPoint* points);

// ------------------------------------------------------------ readers
// points out is null until success; name (TRACK_NAME_SIZE characters, may be
// null) is emptied first and filled when the format carries a name.
int TrackReadFileA(const char* path, TrackPoint** points, char* name);
int TrackReadGpx(const char* path, TrackPoint** points, char* name);
int TrackReadKml(const char* path, TrackPoint** points, char* name);
int TrackReadKmz(const char* path, TrackPoint** points, char* name);
int TrackReadTrk(const char* path, TrackPoint** points, char* name);
int TrackReadTk(const char* path, TrackPoint** points, char* name);
int TrackReadCsv(const char* path, TrackPoint** points, char* name);
#ifdef _WIN32
int TrackReadFileW(const WideChar* path, TrackPoint** points, WideChar* name);
#endif

// The buffer cores behind them: text holds length bytes followed by a zero
// byte (the TRK core: followed by TRACK_TRK_PAD zero bytes); the text may be
// changed.
const int TRACK_TRK_PAD = 48;
int TrackParseGpx(char* text, int length, TrackPoint** points, char* name);
int TrackParseKml(char* text, int length, TrackPoint** points, char* name);
int TrackParseTrk(char* text, int length, TrackPoint** points, char* name);
int TrackParseTk(char* text, int length, TrackPoint** points, char* name);
int TrackParseCsv(char* text, int length, TrackPoint** points, char* name);
// A ZIP archive in memory.
int TrackParseKmz(const void* data, int size, TrackPoint** points, char* name);

// Which reader a file's first bytes (length of them, at most 254 count,
// followed by two zero bytes) and its name choose.
enum TrackFormat {
  TRACK_FMT_TRK = 1,
  TRACK_FMT_KMZ,
  TRACK_FMT_GPX,
  TRACK_FMT_KML,
  TRACK_FMT_CSV,
  TRACK_FMT_TK,
  TRACK_FMT_GUESS,  // GPX, and KML when that fails
};
TrackFormat TrackRecognize(const char* head, int length, const char* path);

// ------------------------------------------------------------ writers
// 0; -2 for fewer than two points (nothing is created); -1 for a missing
// file name or a failed write (the old file stays). An empty name takes the
// file's title.
int TrackWriteGpxA(const char* path, const TrackPoint* points, int count, const char* name);
int TrackWriteKmlA(const char* path, const TrackPoint* points, int count, const char* name);
int TrackWriteCsvA(const char* path, const TrackPoint* points, int count, const char* name);
#ifdef _WIN32
int TrackWriteGpxW(const WideChar* path, const TrackPoint* points, int count, const WideChar* name);
int TrackWriteKmlW(const WideChar* path, const TrackPoint* points, int count, const WideChar* name);
int TrackWriteCsvW(const WideChar* path, const TrackPoint* points, int count, const WideChar* name);
#endif
// The bodies: 0, or -1 when a write or the close failed; the stream is
// closed either way.
int TrackWriteGpx(FILE* stream, const TrackPoint* points, int count, const char* name);
int TrackWriteKml(FILE* stream, const TrackPoint* points, int count, const char* name,
                  const char* documentName);
int TrackWriteCsv(FILE* stream, const TrackPoint* points, int count, const char* name);

// ------------------------------------------------- statistics, resampling
enum : unsigned {
  TRACK_STATS_SMOOTH = 1,   // speed averaged over +-2.5 s
  TRACK_STATS_CLUSTER = 2,  // cluster step
  TRACK_STATS_START = 4,    // move a stray first fix onto the second
  TRACK_STATS_ASCENT = 8,   // ascent and descent from ele
};
// Fills dist, elapsed, paused, speed (and ascent, descent); returns the
// total distance in metres.
double TrackComputeStats(TrackPoint* points, int count, unsigned flags);
// New points at equal steps of dist (key 0) or elapsed (key 1); a negative
// step -n asks for n points. Returns the count, or -1 bad key, -2 fewer than
// two points, -3 span below 0.0001, -4 count outside 1..524288, -5 memory.
int TrackResample(const TrackPoint* points, int count, TrackPoint** out, double step, int key);
