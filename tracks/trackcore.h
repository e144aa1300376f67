// Shared pieces of the track readers: loading with size caps, the point
// array, bounded searches, numbers and names.
#pragma once

#include <stdint.h>

#include "tracks/trackpoint.h"

// Loads a whole file: size bytes followed by pad zero bytes (at least one).
// 0, or TRACK_ERR_OPEN / TRACK_ERR_MEMORY (no allocation for a file above
// TRACK_MAX_FILE).
int TrackLoadFile(const char* path, int pad, char** text, int* length);

// A zero-filled array of count points (count 0: one zeroed point, so the
// caller still gets an array). 0 or TRACK_ERR_MEMORY.
int TrackAllocPoints(int64_t count, TrackPoint** out);

// Length of a UTF-8 byte-order mark at text (0 or 3).
int TrackBomLength(const char* text, int length);

// First occurrence of pattern (ASCII letters without regard to case) lying
// wholly in [from, end); null when absent.
const char* TrackFind(const char* from, const char* end, const char* pattern);

// A number in the C runtime's syntax after leading white space, locale-free
// ("nan" and "inf" are no numbers). Returns the characters consumed, 0 when
// there is none; value null only measures.
int TrackReadNumber(const char* text, double* value);

// An XML element's text at p: white space skipped, a CDATA section (at most
// 100 characters when "]]>" does not come sooner) or the text up to the next
// "<" (not beyond end), entities and UTF-8 decoded, trimmed, cut to 127.
void TrackTakeXmlName(const char* p, const char* end, char* name);

// Copies at most 127 characters of src (n of them) into name, trimmed.
void TrackSetName(char* name, const char* src, int n);

// Names are Windows-1252: the byte of a code point (0xFF when the code page
// has none) and 16-bit text both ways, cut to size - 1 and terminated.
unsigned char TrackTo1252(uint32_t cp);
void TrackWideTo1252(char* dest, const WideChar* src, int size);
void Track1252ToWide(WideChar* dest, const char* src, int size);

// seconds since 1970 of an ISO date at text (UTC when it names no zone);
// the point's time value, or 0 when there is no valid date.
double TrackParseTime(const char* text);

// Whitespace as the readers see it: tab, CR, LF, blank.
inline bool TrackIsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool TrackIsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the line at p (its CR or LF, or end).
inline const char* TrackLineEnd(const char* p, const char* end) {
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

// The two passes of a reader: scan(null, 0) counts, scan(array, count) fills
// at most count points. Fewer than two counted give TRACK_ERR_FEW.
template <class Scan>
int TrackCountAndFill(Scan scan, TrackPoint** points) {
  int64_t count = scan(nullptr, 0);
  if (count < 2) return TRACK_ERR_FEW;
  TrackPoint* pts;
  if (int rc = TrackAllocPoints(count, &pts)) return rc;
  int filled = (int)scan(pts, count);
  *points = pts;
  return filled;
}
