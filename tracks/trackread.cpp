// File front ends of the readers and the recognition of the format.
#include <stdlib.h>
#include <string.h>

#include "files/fileops.h"
#include "files/pathname.h"
#include "text/strmatch.h"
#include "tracks/trackcore.h"

namespace {

typedef int (*ParseFunc)(char* text, int length, TrackPoint** points, char* name);

int ReadWith(ParseFunc parse, int pad, const char* path, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  char* text;
  int length;
  if (int rc = TrackLoadFile(path, pad, &text, &length)) return rc;
  int rc = parse(text, length, points, name);
  free(text);
  return rc;
}

// The first occurrence of pattern in the head at an index above 0.
bool FoundBehindStart(const char* head, int length, const char* pattern) {
  const char* at = TrackFind(head + 1, head + length, pattern);
  return at != nullptr;
}

}  // namespace

int TrackReadGpx(const char* path, TrackPoint** points, char* name) {
  return ReadWith(TrackParseGpx, 1, path, points, name);
}
int TrackReadKml(const char* path, TrackPoint** points, char* name) {
  return ReadWith(TrackParseKml, 1, path, points, name);
}
int TrackReadTrk(const char* path, TrackPoint** points, char* name) {
  return ReadWith(TrackParseTrk, TRACK_TRK_PAD, path, points, name);
}
int TrackReadTk(const char* path, TrackPoint** points, char* name) {
  return ReadWith(TrackParseTk, 1, path, points, name);
}
int TrackReadCsv(const char* path, TrackPoint** points, char* name) {
  return ReadWith(TrackParseCsv, 1, path, points, name);
}

TrackFormat TrackRecognize(const char* head, int length, const char* path) {
  if (length > 254) length = 254;
  // a byte-order mark stands before the markers of the text forms
  const char* text = head + TrackBomLength(head, length);
  int textLength = length - (int)(text - head);
  if (length >= 6 && memcmp(head, "ZIDEVI", 6) == 0) return TRACK_FMT_TRK;
  if (length >= 2 && head[0] == 'P' && head[1] == 'K') return TRACK_FMT_KMZ;
  if (FoundBehindStart(head, length, "<gpx")) return TRACK_FMT_GPX;
  if (FoundBehindStart(head, length, "<kml")) return TRACK_FMT_KML;
  if (textLength >= 3 && memcmp(text, ";;;", 3) == 0) return TRACK_FMT_CSV;
  // two decimal numbers joined by a comma; the pattern knows no signs, so
  // they leave the copy it looks at (western and southern coordinates)
  static const char kPair[] = "\\z.\\z,\\.\\z.\\z";
  char unsigned_[256];
  int n = 0;
  for (int i = 0; i < textLength; ++i)
    if (!((text[i] == '-' || text[i] == '+') && TrackIsDigit(text[i + 1]))) unsigned_[n++] = text[i];
  unsigned_[n] = 0;
  if (StrMatchPatternA(kPair, -1, unsigned_, n, STRMATCH_PREFIX) > 0) return TRACK_FMT_TK;
  static const char kExts[] = "gpx;trk;tk;kmz;csv";
  static const TrackFormat kByExt[] = {TRACK_FMT_GPX, TRACK_FMT_TRK, TRACK_FMT_TK,
                                       TRACK_FMT_KMZ, TRACK_FMT_CSV};
  int ext = path ? PathFindExtInListA(path, kExts, -1) : 0;
  if (ext >= 1 && ext <= 5) return kByExt[ext - 1];
  return TRACK_FMT_GUESS;
}

int TrackReadFileA(const char* path, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  if (!path || !*path) return TRACK_ERR_OPEN;
  char head[256];
  int got = FileReadA(path, head, (int)sizeof head, 0);
  if (got < 1) return TRACK_ERR_OPEN;
  switch (TrackRecognize(head, got, path)) {
    case TRACK_FMT_TRK: return TrackReadTrk(path, points, name);
    case TRACK_FMT_KMZ: return TrackReadKmz(path, points, name);
    case TRACK_FMT_GPX: return TrackReadGpx(path, points, name);
    case TRACK_FMT_KML: return TrackReadKml(path, points, name);
    case TRACK_FMT_CSV: return TrackReadCsv(path, points, name);
    case TRACK_FMT_TK: return TrackReadTk(path, points, name);
    case TRACK_FMT_GUESS: break;
  }
  int rc = TrackReadGpx(path, points, name);
  return rc >= 0 ? rc : TrackReadKml(path, points, name);
}
