// KML: time-stamped placemarks, else the coordinate lists of every
// LineString; KMZ: the first ".kml" entry of a ZIP archive, in memory.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "archive/zipfile.h"
#include "files/fileops.h"
#include "tracks/trackcore.h"

namespace {

// The next occurrence of a pattern at or behind a position that only moves
// ahead: each pattern is searched through the text at most once.
struct NextFinder {
  const char* pattern;
  const char* end;
  const char* hit = nullptr;
  bool none = false;
  const char* Next(const char* from) {
    if (none || (hit && hit >= from)) return none ? nullptr : hit;
    hit = TrackFind(from, end, pattern);
    none = hit == nullptr;
    return hit;
  }
};

// The longitude and latitude behind the ">" of a "<coordinates" tag at c:
// two finite numbers, joined by white space and an optional ",".
bool ReadPlacemarkPoint(const char* c, const char* pmEnd, double* lon, double* lat) {
  const char* gt = (const char*)memchr(c, '>', (size_t)(pmEnd - c));
  if (!gt) return false;
  const char* q = gt + 1;
  int used = TrackReadNumber(q, lon);
  if (used == 0 || q + used > pmEnd) return false;
  q += used;
  while (TrackIsSpace(*q)) ++q;
  if (*q == ',') ++q;
  used = TrackReadNumber(q, lat);
  return used > 0 && q + used <= pmEnd && isfinite(*lon) && isfinite(*lat);
}

// Placemarks with a time stamp, a "<when" and "<coordinates" holding a
// point; fill null counts them.
int64_t ScanPlacemarks(const char* from, const char* end, TrackPoint* fill, int64_t room) {
  int64_t n = 0;
  NextFinder stamp{"<TimeStamp", end}, stampEnd{"</TimeStamp", end}, mark{"</Placemark", end},
      when{"<when", end}, coords{"<coordinates", end};
  const char* p = from;
  while (!fill || n < room) {
    const char* ts = stamp.Next(p);
    if (!ts) break;
    const char* tsEnd = stampEnd.Next(ts);
    if (!tsEnd) break;
    const char* pmEnd = mark.Next(tsEnd);
    // without a later end no further placemark can qualify
    if (!pmEnd) break;
    const char* w = when.Next(ts);
    const char* c = coords.Next(ts);
    double lon = 0, lat = 0;
    if (!w || !c || w >= pmEnd || c >= pmEnd || !ReadPlacemarkPoint(c, pmEnd, &lon, &lat)) {
      p = tsEnd + 1;
      continue;
    }
    p = pmEnd;
    if (fill) {
      TrackPoint& pt = fill[n];
      const char* gt = (const char*)memchr(w, '>', (size_t)(pmEnd - w));
      if (gt) pt.time = TrackParseTime(gt + 1);
      pt.lon = lon;
      pt.lat = lat;
    }
    ++n;
  }
  return n;
}

// Decimal commas ("11,5,48,1,0") become points from p to the end.
void RepairDecimalCommas(char* p, char* end) {
  int counter = 0;
  for (; p < end; ++p) {
    // every white space ends a tuple, line breaks too
    if (TrackIsSpace(*p)) {
      counter = 0;
    } else if (*p == '.') {
      counter = counter == 0 ? 1 : 0;
    } else if (*p == ',') {
      if (++counter & 1) *p = '.';
    }
  }
}

// The tuples of one coordinate list [p, end): numbers joined by "," (blanks
// around it allowed) and separated by white space. A tuple of two or three
// numbers is a point (lon, lat[, alt]); others are skipped. numbers counts
// every number read.
int64_t ScanTuples(const char* p, const char* end, TrackPoint* fill, int64_t room,
                   int64_t* numbers) {
  int64_t n = 0;
  while (p < end && (!fill || n < room)) {
    while (p < end && TrackIsSpace(*p)) ++p;
    if (p >= end) break;
    double v[3] = {0, 0, 0};
    int k = 0;
    bool broken = false;
    for (;;) {
      double x = 0;
      // the count pass only measures; the fill pass may then take fewer
      int used = TrackReadNumber(p, fill ? &x : nullptr);
      if (used == 0 || p + used > end) {
        broken = true;
        break;
      }
      p += used;
      ++*numbers;
      if (k < 3) v[k] = x;
      ++k;
      const char* q = p;
      while (q < end && (*q == ' ' || *q == '\t')) ++q;
      if (q < end && *q == ',') {
        p = q + 1;
        continue;
      }
      break;
    }
    if (broken) {
      // not a number: skip this token
      while (p < end && !TrackIsSpace(*p)) ++p;
      continue;
    }
    if (p < end && !TrackIsSpace(*p)) {
      while (p < end && !TrackIsSpace(*p)) ++p;
      continue;
    }
    if ((k == 2 || k == 3) && (!fill || (isfinite(v[0]) && isfinite(v[1])))) {
      if (fill) {
        fill[n].lon = v[0];
        fill[n].lat = v[1];
      }
      ++n;
    }
  }
  return n;
}

// Every LineString's coordinate list from `from` on, as one stream of points.
int64_t ScanLineStrings(const char* from, const char* end, TrackPoint* fill, int64_t room,
                        int64_t* numbers) {
  int64_t n = 0;
  const char* p = from;
  while (!fill || n < room) {
    const char* ls = TrackFind(p, end, "<LineString");
    if (!ls) break;
    const char* lsEnd = TrackFind(ls, end, "</LineString");
    if (!lsEnd) lsEnd = end;
    p = lsEnd;
    const char* c = TrackFind(ls, lsEnd, "<coordinates");
    if (!c) continue;
    const char* gt = (const char*)memchr(c, '>', (size_t)(lsEnd - c));
    if (!gt) continue;
    const char* listEnd = (const char*)memchr(gt + 1, '<', (size_t)(lsEnd - gt - 1));
    if (!listEnd) listEnd = lsEnd;
    n += ScanTuples(gt + 1, listEnd, fill ? fill + n : nullptr, room - n, numbers);
  }
  return n;
}

}  // namespace

int TrackParseKml(char* text, int length, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  char* end = text + length;
  const char* geometry = nullptr;
  for (const char* marker : {"MultiGeometry", "GeometryCollection", "LineString"})
    if ((geometry = TrackFind(text, end, marker))) break;
  if (!geometry) return TRACK_ERR_FORMAT;
  if (name) {
    const char* pm = TrackFind(text + 1, end, "<Placemark");
    const char* n = pm ? TrackFind(pm + 1, end, "<name>") : nullptr;
    if (n) TrackTakeXmlName(n + 6, end, name);
  }
  const char* stamps = TrackFind(text + 1, end, "<TimeStamp");
  if (stamps) {
    int64_t count = ScanPlacemarks(stamps, end, nullptr, 0);
    if (count >= 16) {
      TrackPoint* pts;
      if (int rc = TrackAllocPoints(count, &pts)) return rc;
      int64_t filled = ScanPlacemarks(stamps, end, pts, count);
      *points = pts;
      return (int)filled;
    }
  }
  char* list = (char*)TrackFind(geometry, end, "coordinates");
  if (!list) return TRACK_ERR_FORMAT;
  // decimal commas: the first number's digits run into a ",", and the first
  // tuple has more than three parts (integers "1,2,3" stay as they are)
  char* q = list + 11;
  while (q < end && *q != '.' && !TrackIsDigit(*q)) ++q;
  char* digits = q;
  while (q < end && TrackIsDigit(*q)) ++q;
  if (q < end && *q == ',' && q > digits) {
    int commas = 0;
    for (const char* t = q; t < end && !TrackIsSpace(*t) && *t != '<' && *t != '.'; ++t)
      commas += *t == ',';
    if (commas > 2) RepairDecimalCommas(q, end);
  }
  // the geometry index may point into "<LineString" itself
  const char* from = geometry > text ? geometry - 1 : geometry;
  int64_t numbers = 0;
  int64_t count = ScanLineStrings(from, end, nullptr, 0, &numbers);
  if (numbers < 2) return TRACK_ERR_FEW;
  TrackPoint* pts;
  if (int rc = TrackAllocPoints(count, &pts)) return rc;
  int64_t ignored = 0;
  int64_t filled = ScanLineStrings(from, end, pts, count, &ignored);
  *points = pts;
  return (int)filled;
}

namespace {

// The first entry named "*.kml" (entry 0 when there is none), extracted to
// memory and read as KML.
int ReadKmzArchive(CZipFile& zip, TrackPoint** points, char* name) {
  int32_t entries = zip.GetEntryCount();
  if (entries < 1) return TRACK_ERR_FORMAT;
  int32_t index = 0;
  for (int32_t i = 0; i < entries; ++i) {
    const char* n = zip.GetEntryName(i);
    size_t len = n ? strlen(n) : 0;
    if (len >= 4 && TrackFind(n + len - 4, n + len, ".kml")) {
      index = i;
      break;
    }
  }
  uint64_t entrySize = zip.GetEntrySize(index, 0);
  if (entrySize > (uint64_t)TRACK_MAX_FILE) return TRACK_ERR_MEMORY;
  // an empty entry reads as an empty file does
  if (entrySize == 0) return TRACK_ERR_OPEN;
  // zeroed: an entry shorter than it declares leaves no stray bytes
  char* text = (char*)calloc((size_t)entrySize + 1, 1);
  if (!text) return TRACK_ERR_MEMORY;
  int rc = TRACK_ERR_FORMAT;
  if (zip.ExtractToMemory(index, text, (uint32_t)entrySize, nullptr) == 0) {
    text[entrySize] = 0;
    rc = TrackParseKml(text, (int)entrySize, points, name);
  }
  free(text);
  return rc;
}

}  // namespace

int TrackParseKmz(const void* data, int size, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  if (!data || size < 1) return TRACK_ERR_OPEN;
  CZipFile zip;
  if (zip.OpenMemory((void*)data, size, -1, 0) != 0) return TRACK_ERR_OPEN;
  int rc = ReadKmzArchive(zip, points, name);
  zip.Close();
  return rc;
}

int TrackReadKmz(const char* path, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  if (!path || FileGetSizeA(path) < 1) return TRACK_ERR_OPEN;
  CZipFile zip;
  if (zip.Open(path, 1, 9) != 0) return TRACK_ERR_OPEN;
  int rc = ReadKmzArchive(zip, points, name);
  zip.Close();
  return rc;
}
