#include "game/dialogs/coordpair.h"

#include "map/geo.h"

static bool IsPairSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

CoordPair CoordPairSplit(const char* text) {
  CoordPair p = {0, 0.0, 0.0, 0};
  if (!text) return p;
  int n = 0;
  double a = GeoParseCoordA(text, &n);
  if (n <= 0) return p;
  p.count = 1;
  p.first = a;
  p.firstEnd = n;
  const char* s = text + n;
  const char* start = s;
  while (IsPairSpace(*s)) s++;
  if (*s == ',') {
    s++;
    while (IsPairSpace(*s)) s++;
  }
  // the parser may take trailing blanks itself; some separator must be there
  if (s == start && !IsPairSpace(text[n - 1]) && text[n - 1] != ',') return p;
  int m = 0;
  double b = GeoParseCoordA(s, &m);
  if (m <= 0) return p;
  p.count = 2;
  p.second = b;
  return p;
}

const char* CoordPairPastedLon(const char* text, CoordPair* pair) {
  *pair = CoordPairSplit(text);
  if (pair->count < 2 || pair->first == 0 || pair->second == 0) return nullptr;
  const char* rest = text + pair->firstEnd;
  while (*rest == ' ' || *rest == '\t') rest++;
  if (*rest != ',') return nullptr;
  rest++;
  while (*rest == ' ' || *rest == '\t' || *rest == '\r' || *rest == '\n') rest++;
  return rest;
}
