// Plain coordinate lists (TK) and the library's own CSV form.
#include <math.h>
#include <string.h>

#include "text/number.h"
#include "text/strfield.h"
#include "tracks/trackcore.h"

namespace {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Length of a number token at p that ends before eol (no leading blanks);
// 0 when none.
int TokenAt(const char* p, const char* eol, double* value) {
  if (p >= eol || IsBlank(*p)) return 0;
  int n = NumMeasureFloatA(p);
  if (n == 0 || p + n > eol) return 0;
  TrackReadNumber(p, value);
  return n;
}

// TK: on each line a point starts at the first non-blank character, and
// again after the blanks behind a complete pair "lat[,] lon"; anything else
// ends the line's points.
int64_t ScanPairs(const char* p, const char* end, TrackPoint* fill, int64_t room) {
  int64_t n = 0;
  while (p < end && (!fill || n < room)) {
    const char* eol = TrackLineEnd(p, end);
    const char* q = p;
    while (q < eol && IsBlank(*q)) ++q;
    while (q < eol && (!fill || n < room)) {
      double lat = 0, lon = 0;
      int used = TokenAt(q, eol, &lat);
      if (used < 3) break;
      q += used;
      while (q < eol && IsBlank(*q)) ++q;
      if (q < eol && *q == ',') ++q;
      while (q < eol && IsBlank(*q)) ++q;
      used = TokenAt(q, eol, &lon);
      if (used == 0) break;
      q += used;
      if (isfinite(lat) && isfinite(lon)) {
        if (fill) {
          fill[n].lat = lat;
          fill[n].lon = lon;
        }
        ++n;
      }
      if (q < eol && !IsBlank(*q)) break;
      while (q < eol && IsBlank(*q)) ++q;
    }
    p = eol;
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
  }
  return n;
}

// A CSV field that is one whole number (trailing blanks allowed).
bool WholeNumber(const char* field, double* value) {
  int used = 0;
  double v = NumParseDoubleA(field, &used, NUMF_SIGN | NUMF_EXPONENT | NUMF_COMMA);
  if (used == 0) return false;
  const char* q = field + used;
  while (IsBlank(*q)) ++q;
  if (*q || !isfinite(v)) return false;
  *value = v;
  return true;
}

// One CSV line [p, eol): a point "lon;lat;seconds since 1970" or not.
bool ReadCsvPoint(const char* p, const char* eol, TrackPoint* pt) {
  if (!(TrackIsDigit(*p) || *p == '+' || *p == '-' || *p == '.')) return false;
  char field[3][TRACK_NAME_SIZE];
  int at = 0;
  for (auto& f : field) {
    int stored = 0;
    at += StrReadFieldA(p + at, &stored, f, (int)sizeof f, (int)(eol - p) - at, ';');
    if (stored >= (int)sizeof f - 1) return false;
  }
  double lon, lat, seconds;
  if (!WholeNumber(field[0], &lon) || !WholeNumber(field[1], &lat)) return false;
  if (pt) {
    pt->lon = lon;
    pt->lat = lat;
    // the old form wrote day fractions here: small values are no time
    if (WholeNumber(field[2], &seconds) && seconds >= TRACK_SECONDS_PER_DAY && seconds < 1e12)
      pt->time = seconds / TRACK_SECONDS_PER_DAY + TRACK_TIME_1970;
  }
  return true;
}

int64_t ScanCsv(const char* p, const char* end, TrackPoint* fill, int64_t room, char* name) {
  int64_t n = 0;
  while (p < end && (!fill || n < room)) {
    const char* eol = TrackLineEnd(p, end);
    if (ReadCsvPoint(p, eol, fill ? fill + n : nullptr)) {
      ++n;
    } else if (n == 0 && name) {
      // the header before the first point names the track in its fourth field
      char field[TRACK_NAME_SIZE];
      int at = 0;
      for (int i = 0; i < 4; ++i)
        at += StrReadFieldA(p + at, nullptr, field, (int)sizeof field, (int)(eol - p) - at, ';');
      TrackSetName(name, field, (int)strlen(field));
    }
    p = eol;
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
  }
  return n;
}

}  // namespace

int TrackParseTk(char* text, int length, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  const char* end = text + length;
  const char* p = text + TrackBomLength(text, length);
  while (p < end && TrackIsSpace(*p)) ++p;
  double v;
  if (TokenAt(p, TrackLineEnd(p, end), &v) < 3) return TRACK_ERR_FORMAT;
  return TrackCountAndFill(
      [&](TrackPoint* fill, int64_t room) { return ScanPairs(p, end, fill, room); }, points);
}

int TrackParseCsv(char* text, int length, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  const char* end = text + length;
  const char* p = text + TrackBomLength(text, length);
  return TrackCountAndFill(
      [&](TrackPoint* fill, int64_t room) { return ScanCsv(p, end, fill, room, fill ? name : nullptr); },
      points);
}
