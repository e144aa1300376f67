// The 16-bit reader front end: the short form of the name reaches the
// 8-bit readers.
#include <windows.h>

#include "files/shellpath.h"
#include "text/utf.h"
#include "tracks/trackcore.h"

int TrackReadFileW(const WideChar* path, TrackPoint** points, WideChar* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  if (!path || !*path) return TRACK_ERR_OPEN;
  WideChar shortName[MAX_PATH];
  if (PathGetShortNameW(shortName, path, MAX_PATH) < 0) return TRACK_ERR_OPEN;
  char narrow[MAX_PATH];
  UtfWideToLatin1(narrow, shortName, MAX_PATH, -1);
  char title[TRACK_NAME_SIZE];
  int rc = TrackReadFileA(narrow, points, title);
  if (name) Track1252ToWide(name, title, TRACK_NAME_SIZE);
  return rc;
}
