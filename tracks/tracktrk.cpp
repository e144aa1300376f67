// ZIDEVI track files: the record form and the text form.
#include <math.h>
#include <string.h>

#include "text/datetime.h"
#include "tracks/trackcore.h"

namespace {

const int kRecordSize = 48;

int ParseRecords(const char* text, int length, TrackPoint** points) {
  if (length < 12) return TRACK_ERR_FORMAT;
  const unsigned char* b = (const unsigned char*)text;
  uint32_t header = b[8] | (b[9] << 8) | (b[10] << 16) | ((uint32_t)b[11] << 24);
  if (header < 16 || header > 256) return TRACK_ERR_FORMAT;
  int64_t records = length > (int)header ? (length - (int64_t)header) / kRecordSize : 0;
  auto at = [&](int64_t i, int offset) {
    double v;
    memcpy(&v, text + header + i * kRecordSize + offset, sizeof v);
    return v;
  };
  int64_t count = 0;
  for (int64_t i = 0; i < records; ++i)
    if (isfinite(at(i, 24)) && isfinite(at(i, 32))) ++count;
  TrackPoint* pts;
  if (int rc = TrackAllocPoints(count, &pts)) return rc;
  int n = 0;
  for (int64_t i = 0; i < records; ++i) {
    double lat = at(i, 24), lon = at(i, 32);
    if (!isfinite(lat) || !isfinite(lon)) continue;
    pts[n].lat = lat;
    pts[n].lon = lon;
    ++n;
  }
  *points = pts;
  return n;
}

// A "T" line [p, eol): lon, lat and a time behind them. False when it does
// not hold two numbers.
bool ReadPointLine(const char* p, const char* eol, TrackPoint* pt) {
  const char* q = p + 1;
  double lon, lat;
  int used = TrackReadNumber(q, &lon);
  if (!used || q + used > eol) return false;
  q += used;
  used = TrackReadNumber(q, &lat);
  if (!used || q + used > eol || !isfinite(lon) || !isfinite(lat)) return false;
  q += used;
  if (pt) {
    pt->lon = lon;
    pt->lat = lat;
    // the date must lie on this line
    char date[64];
    int n = (int)(eol - q) < (int)sizeof date - 1 ? (int)(eol - q) : (int)sizeof date - 1;
    memcpy(date, q, (size_t)n);
    date[n] = 0;
    pt->time = TrackParseTime(date);
  }
  return true;
}

int64_t ScanPointLines(const char* text, const char* end, TrackPoint* fill, int64_t room) {
  int64_t n = 0;
  for (const char* p = TrackLineEnd(text, end); p < end && (!fill || n < room);) {
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
    const char* eol = TrackLineEnd(p, end);
    if (p < end && *p == 'T' && ReadPointLine(p, eol, fill ? fill + n : nullptr))
      ++n;
    p = eol;
  }
  return n;
}

// "H  TN <five words> name"
void ReadName(const char* text, const char* end, char* name) {
  for (const char* p = text; p < end;) {
    const char* eol = TrackLineEnd(p, end);
    const char* q = p;
    if (eol - q > 4 && (*q == 'H' || *q == 'h') && q[1] == ' ') {
      q += 2;
      while (q < eol && *q == ' ') ++q;
      if (eol - q > 3 && (q[0] == 'T' || q[0] == 't') && (q[1] == 'N' || q[1] == 'n') &&
          q[2] == ' ') {
        q += 2;
        for (int word = 0; word < 5; ++word) {
          while (q < eol && *q == ' ') ++q;
          while (q < eol && *q != ' ') ++q;
        }
        while (q < eol && *q == ' ') ++q;
        TrackSetName(name, q, (int)(eol - q));
        return;
      }
    }
    p = eol;
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
  }
}

}  // namespace

int TrackParseTrk(char* text, int length, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  if (length >= 6 && memcmp(text, "ZIDEVI", 6) == 0) return ParseRecords(text, length, points);
  const char* end = text + length;
  const char* lonAt = TrackFind(text, end, "LONGITUDE");
  if (!lonAt || !TrackFind(text, end, "LATITUDE")) return TRACK_ERR_FORMAT;
  if (name) ReadName(text, lonAt, name);
  return TrackCountAndFill(
      [&](TrackPoint* fill, int64_t room) { return ScanPointLines(text, end, fill, room); }, points);
}
