#include "game/play/gamepage.h"

#include <cmath>
#include <cstring>

#include "text/number.h"
#include "text/strfield.h"
#include "text/strfind.h"

namespace game {

namespace {

constexpr int kTagLength = 8;

bool ReadCoordinate(const char* text, int length, const char* tag, double* value) {
  int at = StrFindNoCaseNA(text, tag, length);
  if (at < 0) return false;
  int used = 0;
  *value = NumParseDoubleA(text + at + kTagLength, &used, NUMF_SIGN | NUMF_EXPONENT);
  if (used == 0) *value = 0;
  return true;
}

}  // namespace

PageStatus ReadGamePage(const char* head, int length, PageTarget* target) {
  *target = PageTarget();
  if (!head || length < 0) return PageStatus::NoCoordinates;
  if (length > kPageHeadBytes) length = kPageHeadBytes;
  char text[kPageHeadBytes + 1];
  std::memcpy(text, head, static_cast<size_t>(length));
  text[length] = 0;
  length = static_cast<int>(std::strlen(text));

  double lon = 0, lat = 0;
  if (!ReadCoordinate(text, length, "<!--REFX", &lon) || !ReadCoordinate(text, length, "<!--REFY", &lat))
    return PageStatus::NoCoordinates;
  target->lon = lon;
  target->lat = lat;
  // zero marks a page whose author left the coordinates out; beyond the
  // world no distance can be measured
  if (lon == 0.0 || lat == 0.0 || !std::isfinite(lon) || !std::isfinite(lat) || std::fabs(lon) > 180 ||
      std::fabs(lat) > 90)
    return PageStatus::BadCoordinates;

  int at = StrFindNoCaseNA(text, "<!--NAME", length);
  if (at >= 0) {
    const char* src = text + at + kTagLength;
    StrNextTokenA(target->name, src, kTargetNameSize, '\\', '"', length - at - kTagLength);
  }
  return PageStatus::Ok;
}

bool IsFinalPage(const PageTarget& target) { return std::strcmp(target.name, "FIN") == 0; }

}  // namespace game
