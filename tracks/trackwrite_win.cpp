// The 16-bit writer front ends: the file is written under a temporary
// 16-bit name beside the target and moved onto it.
#include <windows.h>
#include <stdio.h>

#include <string>

#include "files/pathname.h"
#include "tracks/trackcore.h"
#include "tracks/trackwrite.h"

namespace {

int WriteFileW(TrackWriteKind kind, const WideChar* path, const TrackPoint* points, int count,
               const WideChar* name) {
  if (count < 2 || !points) return -2;
  if (!path || !*path) return -1;
  char title[TRACK_NAME_SIZE];
  if (name && *name) {
    TrackWideTo1252(title, name, TRACK_NAME_SIZE);
  } else {
    WideChar wide[256];
    PathGetTitleW(wide, -1, path, 256);
    TrackWideTo1252(title, wide, TRACK_NAME_SIZE);
  }
  int nameLength = 0;
  const WideChar* fileName = PathFindNameW(-1, path, &nameLength);
  if (nameLength == 0) return -1;
  char document[TRACK_NAME_SIZE];
  TrackWideTo1252(document, fileName, TRACK_NAME_SIZE);
  // Windows refuses to replace a read-only file; Wine does not, so ask first
  DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return -1;
  std::wstring folder(path, (size_t)(fileName - path));
  if (folder.empty()) folder = L".";
  WideChar temp[MAX_PATH];
  if (!GetTempFileNameW(folder.c_str(), L"~tk", 0, temp)) return -1;
  FILE* f = _wfopen(temp, L"wb");
  int rc = f ? TrackWriteBody(kind, f, points, count, title, document) : -1;
  if (rc == 0 && !MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING)) rc = -1;
  if (rc != 0) DeleteFileW(temp);
  return rc;
}

}  // namespace

int TrackWriteGpxW(const WideChar* path, const TrackPoint* points, int count,
                   const WideChar* name) {
  return WriteFileW(TRACK_WRITE_GPX, path, points, count, name);
}
int TrackWriteKmlW(const WideChar* path, const TrackPoint* points, int count,
                   const WideChar* name) {
  return WriteFileW(TRACK_WRITE_KML, path, points, count, name);
}
int TrackWriteCsvW(const WideChar* path, const TrackPoint* points, int count,
                   const WideChar* name) {
  return WriteFileW(TRACK_WRITE_CSV, path, points, count, name);
}
