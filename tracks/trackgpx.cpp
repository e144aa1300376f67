// GPX: track points, else route points, else waypoints.
#include <math.h>
#include <string.h>

#include "tracks/trackcore.h"

namespace {

inline bool IsNameChar(char c) {
  return TrackIsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         (unsigned char)c >= 0x80;
}

struct Scanner {
  const char* p;    // where the scan goes on
  const char* end;
  const char* tag;  // "<trkpt", "<rtept" or "<wpt"
  const char* close;
};

// The next element of the kind: [start, tagEnd) its start tag, [tagEnd,
// stop) its content. False at the end of the text or when an element has no
// end.
bool NextElement(Scanner& s, const char** start, const char** tagEnd, const char** stop) {
  size_t n = strlen(s.tag);
  for (;;) {
    const char* e = TrackFind(s.p, s.end, s.tag);
    if (!e) return false;
    if (e + n < s.end && IsNameChar(e[n])) {
      s.p = e + n;
      continue;
    }
    const char* gt = (const char*)memchr(e + n, '>', (size_t)(s.end - e - n));
    if (!gt) return false;
    *start = e;
    *tagEnd = gt + 1;
    if (gt[-1] == '/') {
      *stop = gt + 1;
      s.p = gt + 1;
      return true;
    }
    const char* c = TrackFind(gt + 1, s.end, s.close);
    if (!c) return false;
    *stop = c;
    s.p = c + strlen(s.close);
    return true;
  }
}

// The number of attribute attr (as a whole name, blanks around "=", quoted
// either way or not at all, blanks inside the quotes) in the start tag [p, end).
bool ReadAttribute(const char* p, const char* end, const char* attr, double* value) {
  size_t n = strlen(attr);
  for (const char* a = TrackFind(p, end, attr); a; a = TrackFind(a + 1, end, attr)) {
    if (!TrackIsSpace(a[-1])) continue;
    const char* q = a + n;
    while (q < end && TrackIsSpace(*q)) ++q;
    if (q >= end || *q != '=') continue;
    ++q;
    while (q < end && TrackIsSpace(*q)) ++q;
    if (q < end && (*q == '"' || *q == '\'')) {
      // blanks inside the quotes; a closing quote is never passed
      ++q;
      while (q < end && (*q == ' ' || *q == '\t')) ++q;
    }
    if (q >= end || TrackIsSpace(*q)) return false;
    int used = TrackReadNumber(q, value);
    return used > 0 && q + used <= end && isfinite(*value);
  }
  return false;
}

// element, its closing tag, the element that holds it
const char* const kKinds[3][3] = {
    {"<trkpt", "</trkpt", "<trk"}, {"<rtept", "</rtept", "<rte"}, {"<wpt", "</wpt", "<wpt"}};

// The track's (or route's) name, not a waypoint's before it; the first
// "<name>" of the file when there is no such element.
void ReadName(const char* text, const char* root, const char* end, const char* parent,
              char* name) {
  const char* from = text + 1;
  for (const char* p = root; parent && (p = TrackFind(p, end, parent)); p += strlen(parent)) {
    if (!IsNameChar(p[strlen(parent)])) {
      from = p;
      break;
    }
  }
  const char* n = TrackFind(from, end, "<name>");
  if (!n && from != text + 1) n = TrackFind(text + 1, end, "<name>");
  if (n) TrackTakeXmlName(n + 6, end, name);
}

}  // namespace

int TrackParseGpx(char* text, int length, TrackPoint** points, char* name) {
  *points = nullptr;
  if (name) name[0] = 0;
  const char* end = text + length;
  const char* root = TrackFind(text, end, "<gpx");
  if (!root) return TRACK_ERR_FORMAT;
  Scanner s = {root, end, nullptr, nullptr};
  const char *a, *b, *c;
  const char* parent = nullptr;
  for (auto& kind : kKinds) {
    s.tag = kind[0];
    s.close = kind[1];
    parent = kind[2];
    s.p = root;
    if (NextElement(s, &a, &b, &c)) break;
    s.tag = nullptr;
  }
  if (name) ReadName(text, root, end, s.tag ? parent : nullptr, name);
  if (!s.tag) return TRACK_ERR_FORMAT;
  double lat, lon;
  int64_t count = 0;
  for (s.p = root; NextElement(s, &a, &b, &c);)
    if (ReadAttribute(a, b, "lon", &lon) && ReadAttribute(a, b, "lat", &lat)) ++count;
  if (count < 2) return TRACK_ERR_FEW;
  TrackPoint* pts;
  if (int rc = TrackAllocPoints(count, &pts)) return rc;
  int filled = 0;
  for (s.p = root; filled < count && NextElement(s, &a, &b, &c);) {
    if (!ReadAttribute(a, b, "lon", &lon) || !ReadAttribute(a, b, "lat", &lat)) continue;
    TrackPoint& pt = pts[filled++];
    pt.lon = lon;
    pt.lat = lat;
    if (const char* t = TrackFind(b, c, "<time>")) pt.time = TrackParseTime(t + 6);
  }
  *points = pts;
  return filled;
}
