// Date and time texts <-> seconds since 1970-01-01 00:00 UTC.
//
// Local time uses the C runtime's time zone (TZ, or the Windows settings).
#pragma once

#include "text/textdefs.h"

// Flags of DateFormatTimeA.
enum : unsigned {
  DATEF_HHMM    = 0x002,  // hours and minutes "hh:mm"
  DATEF_YEAR4   = 0x010,  // four-digit year (else two digits)
  DATEF_SECONDS = 0x020,  // with DATEF_HHMM: ":ss"
  DATEF_YMD     = 0x040,  // the date as year-month-day joined by "-"
  DATEF_UTC     = 0x100,  // UTC (else local time)
};
// 0x50 "2024-03-07", 0x22 "14:05:09", 0x72 "2024-03-07 14:05:09", 0x150 and
// 0x122 the same in UTC. Returns the characters written; -1 (dest emptied)
// when the text does not fit into size characters or the time cannot be
// converted.
int DateFormatTimeA(char* dest, int size, int64_t seconds, unsigned flags);

// Flags of DateParseTimeA.
enum : unsigned {
  DATEP_TIME = 0x002,  // read a time of day behind the date
  DATEP_ZONE = 0x004,  // honour a zone designator behind the time ("Z", "+01:00")
  DATEP_UTC  = 0x100,  // a text without zone designator is UTC (else local)
};
// Result flags.
enum : unsigned {
  DATER_DATE = 0x001,  // a date was read
  DATER_TIME = 0x002,  // a time of day was read
  DATER_ZONE = 0x004,  // a zone designator was read
};
// Reads a date after leading white space, in one of the forms
//   2024-03-07[T| ]14:05[:09[.123]][Z|+hh[:mm]|-hh[:mm]]   (ISO 8601)
//   07.03.2024 [14:05[:09]]                                  (day.month.year)
//   07-MAR-24 [14:05[:09]]  or  07-Mar-2024 ...              (day-month name-year)
//   03/07/2024 [14:05[:09]]                                  (month/day/year)
// Two-digit years are 1970-2069. Returns seconds since 1970; 0 or less when
// the text holds no valid date (impossible dates like 2023-02-30 included).
// *resultFlags (when given) gets DATER_* bits.
int64_t DateParseTimeA(const char* text, unsigned flags, unsigned* resultFlags);
