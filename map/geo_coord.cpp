// Coordinate text: decimal degrees and degrees, minutes and seconds.
#include "map/geo.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "text/fmtprint.h"
#include "text/number.h"
#include "text/strclass.h"
#include "text/strcopy.h"
#include "text/utf.h"

namespace {

const unsigned char kDegree = 0xB0;  // Windows-1252
const int kRing = 8;

char g_ringA[kRing][GEO_COORD_TEXT_SIZE];
WideChar g_ringW[kRing][GEO_COORD_TEXT_SIZE];
// Only the counters are shared safely; a text stays valid for eight calls.
std::atomic<unsigned> g_nextA{0};
std::atomic<unsigned> g_nextW{0};

// Minutes or seconds after the degrees: a plain, finite, non-negative number.
double ReadPart(const char* p, int* n) {
  double v = NumParseDoubleA(p, n, NUMF_COMMA | NUMF_NOSKIP | NUMF_FLOATTOKEN);
  if (*n > 0 && !(std::isfinite(v) && v >= 0)) *n = 0;
  return v;
}

bool IsSouthWest(char c) { return c == 'S' || c == 's' || c == 'W' || c == 'w'; }
bool IsNorthEast(char c) { return c == 'N' || c == 'n' || c == 'E' || c == 'e'; }

// The text of one coordinate into out (at least GEO_COORD_TEXT_SIZE bytes).
int FormatCoord(double value, int mode, char* out, int size) {
  if (!(std::fabs(value) <= 999)) return StrCopyA(out, "???", size);
  if (mode < 2 || mode > 11) return FmtPrintA(out, size, "%.6f\xB0", value);
  if (mode <= 3) {
    int n = FmtPrintA(out, size, "%.6f\xB0", value);
    StrReplaceCharA(out, '.', ',');
    return n;
  }
  bool hundredths = mode == 6 || mode == 7 || mode >= 10;
  bool letter = mode >= 8;
  bool neg = value < 0;
  double a = std::fabs(value);
  int deg = (int)a;
  // whole seconds (or hundredths) after rounding by 0.4999 (0.004999) s;
  // counted as one integer so that rounding carries into minutes and degrees
  int perDeg = hundredths ? 360000 : 3600;
  double term = hundredths ? 1.3886111111111111e-06 : 0.0001388611111111111;
  long units = (long)((a - deg + term) * perDeg);
  if (units >= perDeg) {
    deg += 1;
    units -= perDeg;
  }
  int perSec = hundredths ? 100 : 1;
  int frac = (int)(units % perSec);
  int sec = (int)(units / perSec % 60);
  int min = (int)(units / perSec / 60);
  // the sign is written apart from the degrees so that it survives for
  // values between -1 and 0: "-0° 30' 00''"
  const char* sign = (neg && !letter) ? "-" : "";
  char hemi = 0;
  if (letter) hemi = (mode & 1) ? (neg ? 'S' : 'N') : (neg ? 'W' : 'E');
  if (letter && hundredths)
    return FmtPrintA(out, size, "%i\xB0 %02i' %02i.%02i'' %c", deg, min, sec, frac, hemi);
  if (letter) return FmtPrintA(out, size, "%i\xB0 %02i' %02i'' %c", deg, min, sec, hemi);
  if (hundredths)
    return FmtPrintA(out, size, "%s%i\xB0 %02i' %02i.%02i''", sign, deg, min, sec, frac);
  return FmtPrintA(out, size, "%s%i\xB0 %02i' %02i''", sign, deg, min, sec);
}

}  // namespace

double GeoParseCoordA(const char* text, int* consumed) {
  if (consumed) *consumed = 0;
  if (!text) return 0;
  int n = 0;
  double value = NumParseDoubleA(text, &n, NUMF_SIGN | NUMF_COMMA);
  if (n == 0) return 0;
  bool decimal = std::memchr(text, '.', n) || std::memchr(text, ',', n);
  if ((unsigned char)text[n] != kDegree || decimal) {
    if (consumed) *consumed = n + StrSpanClassA(text + n, STRCLS_SPACE);
    return value;
  }
  // "-0° 30'" is negative although its degrees compare equal to 0
  bool neg = std::signbit(value) || std::memchr(text, '-', n);
  int pos = n + 1;
  pos += StrSpanClassA(text + pos, STRCLS_SPACE);
  int k = 0;
  double part = ReadPart(text + pos, &k);
  if (k > 0 && text[pos + k] == '\'' && text[pos + k + 1] != '\'') {
    value = neg ? value - part / 60 : value + part / 60;
    pos += k + 1;
    pos += StrSpanClassA(text + pos, STRCLS_SPACE);
  }
  part = ReadPart(text + pos, &k);
  if (k > 0 && text[pos + k] == '\'' && text[pos + k + 1] == '\'') {
    value = neg ? value - part / 3600 : value + part / 3600;
    pos += k + 2;
    pos += StrSpanClassA(text + pos, STRCLS_SPACE);
  }
  char c = text[pos];
  if (IsNorthEast(c) || IsSouthWest(c)) {
    if (IsSouthWest(c) && value > 0) value = -value;
    pos += 1;
    pos += StrSpanClassA(text + pos, STRCLS_SPACE);
  }
  if (consumed) *consumed = pos;
  return value;
}

double GeoParseCoordW(const WideChar* text, int* consumed) {
  if (consumed) *consumed = 0;
  if (!text) return 0;
  int n = 0;
  double value = NumParseDoubleW(text, &n, NUMF_SIGN | NUMF_COMMA);
  if (n == 0) return 0;
  if (consumed) *consumed = n + StrSpanClassW(text + n, STRCLS_SPACE);
  return value;
}

const char* GeoFormatCoordA(double value, int mode, char* buf, int size, int* len) {
  if (!buf) {
    buf = g_ringA[g_nextA.fetch_add(1, std::memory_order_relaxed) % kRing];
    size = GEO_COORD_TEXT_SIZE;
  }
  char text[GEO_COORD_TEXT_SIZE];
  FormatCoord(value, mode, text, sizeof text);
  int n = StrCopyA(buf, text, size);
  if (len) *len = n;
  return buf;
}

const WideChar* GeoFormatCoordW(double value, int mode, WideChar* buf, int size, int* len) {
  if (!buf) {
    buf = g_ringW[g_nextW.fetch_add(1, std::memory_order_relaxed) % kRing];
    size = GEO_COORD_TEXT_SIZE;
  }
  char text[GEO_COORD_TEXT_SIZE];
  FormatCoord(value, mode, text, sizeof text);
  int n = size >= 1 ? UtfLatin1ToWide(buf, text, size, -1) : 0;
  if (len) *len = n;
  return buf;
}
