// Writer front ends: names, the XML text of names, and the safe replacement
// of the target through a temporary file beside it.
#include <string.h>
#include <string>

#include "files/fileio.h"
#include "files/pathname.h"
#include "text/htmlentity.h"
#include "text/strcopy.h"
#include "text/utf.h"
#include "tracks/trackwrite.h"

void TrackXmlText(const char* name, char* dest, int size) {
  if (size < 1) return;
  int n = 0;
  for (const unsigned char* p = (const unsigned char*)name; *p; ++p) {
    char buf[8];
    int len = 0;
    switch (*p) {
      case '&': len = 5, memcpy(buf, "&amp;", 5); break;
      case '<': len = 4, memcpy(buf, "&lt;", 4); break;
      case '>': len = 4, memcpy(buf, "&gt;", 4); break;
      case '"': len = 6, memcpy(buf, "&quot;", 6); break;
      case '\'': len = 6, memcpy(buf, "&apos;", 6); break;
      default: {
        // codes the code page leaves undefined are dropped, as controls are
        uint32_t cp = Text1252ToUnicode(*p);
        if ((cp < 0x20 && cp != '\t') || (cp >= 0x80 && cp < 0xA0)) continue;
        len = UtfEncodeCharA(cp, buf, (int)sizeof buf);
      }
    }
    if (n + len > size - 1) break;
    memcpy(dest + n, buf, (size_t)len);
    n += len;
  }
  dest[n] = 0;
}

namespace {

int WriteFileA(TrackWriteKind kind, const char* path, const TrackPoint* points, int count,
               const char* name) {
  if (count < 2 || !points) return -2;
  if (!path || !*path) return -1;
  char title[TRACK_NAME_SIZE];
  if (name && *name)
    StrCopyA(title, name, (int)sizeof title);
  else
    PathGetTitleA(title, -1, path, (int)sizeof title);
  int nameLength = 0;
  const char* fileName = PathFindNameA(-1, path, &nameLength);
  if (nameLength == 0) return -1;
  char document[TRACK_NAME_SIZE];
  StrCopyA(document, fileName, (int)sizeof document);
  // a read-only target stays as it is (a rename would replace it anyway)
  FioInfo info;
  if (FioStat(path, &info) == 0 &&
      (info.attributes & (FIO_ATTR_READONLY | FIO_ATTR_DIRECTORY)))
    return -1;
  std::string folder(path, (size_t)(fileName - path));
  if (folder.empty()) folder = ".";
  char temp[1024];
  if (FioMakeTempFile(temp, sizeof temp, folder.c_str(), "~tk") < 0) return -1;
  FILE* f = fopen(temp, "wb");
  int rc = f ? TrackWriteBody(kind, f, points, count, title, document) : -1;
  if (rc == 0 && !FioReplace(temp, path)) rc = -1;
  if (rc != 0) FioDelete(temp);
  return rc;
}

}  // namespace

int TrackWriteGpxA(const char* path, const TrackPoint* points, int count, const char* name) {
  return WriteFileA(TRACK_WRITE_GPX, path, points, count, name);
}
int TrackWriteKmlA(const char* path, const TrackPoint* points, int count, const char* name) {
  return WriteFileA(TRACK_WRITE_KML, path, points, count, name);
}
int TrackWriteCsvA(const char* path, const TrackPoint* points, int count, const char* name) {
  return WriteFileA(TRACK_WRITE_CSV, path, points, count, name);
}
