#include "text/datetime.h"

#include <string.h>
#include <time.h>

#include "text/fmtprint.h"
#include "text/strclass.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date and back (the
// well-known era-based conversion).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = (unsigned)(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + (int64_t)doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = (unsigned)(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = (int64_t)yoe + era * 400 + (*m <= 2);
}

unsigned DaysInMonth(int64_t y, unsigned m) {
  static const unsigned char kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return kDays[m - 1];
}

struct Fields {
  int64_t year;
  unsigned month, day, hour, minute, second;
};

bool LocalFields(int64_t seconds, Fields* f) {
  struct tm tm;
#ifdef _WIN32
  __time64_t t = seconds;
  if (_localtime64_s(&tm, &t) != 0) return false;
#else
  time_t t = (time_t)seconds;
  if ((int64_t)t != seconds || !localtime_r(&t, &tm)) return false;
#endif
  f->year = (int64_t)tm.tm_year + 1900;
  f->month = (unsigned)tm.tm_mon + 1;
  f->day = (unsigned)tm.tm_mday;
  f->hour = (unsigned)tm.tm_hour;
  f->minute = (unsigned)tm.tm_min;
  f->second = (unsigned)tm.tm_sec;
  return true;
}

// Seconds since 1970 of a local date and time; false when the C runtime
// cannot convert it.
bool LocalToSeconds(const Fields& f, int64_t* out) {
  struct tm tm;
  memset(&tm, 0, sizeof tm);
  if (f.year < 1900 || f.year > 9999) return false;
  tm.tm_year = (int)(f.year - 1900);
  tm.tm_mon = (int)f.month - 1;
  tm.tm_mday = (int)f.day;
  tm.tm_hour = (int)f.hour;
  tm.tm_min = (int)f.minute;
  tm.tm_sec = (int)f.second;
  tm.tm_isdst = -1;
#ifdef _WIN32
  __time64_t t = _mktime64(&tm);
#else
  time_t t = mktime(&tm);
#endif
  if (t == -1) return false;
  *out = (int64_t)t;
  return true;
}

// Reads 1 to maxDigits digits; returns how many were read (0: none).
int ReadNumber(const char* s, int maxDigits, unsigned* value) {
  int n = 0;
  unsigned v = 0;
  while (n < maxDigits && s[n] >= '0' && s[n] <= '9') v = v * 10 + (unsigned)(s[n++] - '0');
  *value = v;
  return n;
}

int MonthByName(const char* s) {
  static const char kNames[] = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
  char u[3];
  for (int i = 0; i < 3; ++i) {
    char c = s[i];
    if (c >= 'a' && c <= 'z') c = (char)(c - 32);
    if (c < 'A' || c > 'Z') return 0;
    u[i] = c;
  }
  for (int m = 0; m < 12; ++m) {
    if (memcmp(kNames + 3 * m, u, 3) == 0) return m + 1;
  }
  return 0;
}

int64_t WidenYear(unsigned y, int digits) { return digits <= 2 ? (y < 70 ? 2000 + y : 1900 + y) : y; }

// The date at s: returns the characters read, 0 when there is none.
int ReadDate(const char* s, Fields* f) {
  unsigned a, b, c;
  int n1 = ReadNumber(s, 4, &a);
  if (n1 == 0) return 0;
  int i = n1;
  if (n1 == 4 && s[i] == '-') {  // ISO year-month-day
    int n2 = ReadNumber(s + i + 1, 2, &b);
    if (!n2 || s[i + 1 + n2] != '-') return 0;
    i += 2 + n2;
    int n3 = ReadNumber(s + i, 2, &c);
    if (!n3) return 0;
    f->year = a, f->month = b, f->day = c;
    return i + n3;
  }
  if (n1 > 2) return 0;
  char sep = s[i];
  if (sep == '-' && MonthByName(s + i + 1) && s[i + 4] == '-') {  // 07-MAR-24
    b = (unsigned)MonthByName(s + i + 1);
    i += 5;
    int n3 = ReadNumber(s + i, 4, &c);
    if (n3 != 2 && n3 != 4) return 0;
    f->year = WidenYear(c, n3), f->month = b, f->day = a;
    return i + n3;
  }
  if (sep != '.' && sep != '/') return 0;
  int n2 = ReadNumber(s + i + 1, 2, &b);
  if (!n2 || s[i + 1 + n2] != sep) return 0;
  i += 2 + n2;
  int n3 = ReadNumber(s + i, 4, &c);
  if (n3 != 2 && n3 != 4) return 0;
  if (sep == '.') f->day = a, f->month = b;   // day.month.year
  else f->month = a, f->day = b;              // month/day/year
  f->year = WidenYear(c, n3);
  return i + n3;
}

// hh:mm[:ss[.fff]] at s; returns the characters read, 0 when none.
int ReadTime(const char* s, Fields* f) {
  unsigned h, m, sec = 0;
  int n = ReadNumber(s, 2, &h);
  if (!n || s[n] != ':') return 0;
  int i = n + 1;
  int k = ReadNumber(s + i, 2, &m);
  if (k != 2) return 0;
  i += k;
  if (s[i] == ':') {
    k = ReadNumber(s + i + 1, 2, &sec);
    if (k == 2) {
      i += 1 + k;
      if (s[i] == '.' || s[i] == ',') {
        int j = i + 1;
        while (s[j] >= '0' && s[j] <= '9') ++j;
        if (j > i + 1) i = j;  // fractions of a second are dropped
      }
    }
  }
  if (h > 23 || m > 59 || sec > 60) return 0;
  f->hour = h, f->minute = m, f->second = sec;
  return i;
}

// "Z" or +hh[:mm] / -hh[mm]; offset in seconds east of UTC.
int ReadZone(const char* s, int64_t* offset) {
  if (s[0] == 'Z' || s[0] == 'z') {
    *offset = 0;
    return 1;
  }
  if (s[0] != '+' && s[0] != '-') return 0;
  unsigned h, m = 0;
  int n = ReadNumber(s + 1, 2, &h);
  if (n != 2) return 0;
  int i = 3;
  int k = ReadNumber(s + i + (s[i] == ':'), 2, &m);
  if (k == 2) i += k + (s[i] == ':');
  else m = 0;
  if (h > 23 || m > 59) return 0;
  *offset = (int64_t)(h * 3600 + m * 60) * (s[0] == '-' ? -1 : 1);
  return i;
}

}  // namespace

int DateFormatTimeA(char* dest, int size, int64_t seconds, unsigned flags) {
  if (size < 1) return -1;
  dest[0] = 0;
  Fields f;
  if (flags & DATEF_UTC) {
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) rest += 86400, --days;
    CivilFromDays(days, &f.year, &f.month, &f.day);
    f.hour = (unsigned)(rest / 3600);
    f.minute = (unsigned)(rest / 60 % 60);
    f.second = (unsigned)(rest % 60);
  } else if (!LocalFields(seconds, &f)) {
    return -1;
  }
  char tmp[64];
  int n = 0;
  if (flags & DATEF_YMD) {
    if (flags & DATEF_YEAR4) {
      n = FmtPrintA(tmp, sizeof tmp, "%04lld-%02u-%02u", (long long)f.year, f.month, f.day);
    } else {
      int64_t yy = f.year % 100;
      if (yy < 0) yy += 100;
      n = FmtPrintA(tmp, sizeof tmp, "%02lld-%02u-%02u", (long long)yy, f.month, f.day);
    }
  }
  if (flags & DATEF_HHMM) {
    if (n) tmp[n++] = ' ';
    n += FmtPrintA(tmp + n, (int)sizeof tmp - n, "%02u:%02u", f.hour, f.minute);
    if (flags & DATEF_SECONDS) n += FmtPrintA(tmp + n, (int)sizeof tmp - n, ":%02u", f.second);
  }
  if (n > size - 1) return -1;
  memcpy(dest, tmp, (size_t)n);
  dest[n] = 0;
  return n;
}

int64_t DateParseTimeA(const char* text, unsigned flags, unsigned* resultFlags) {
  if (resultFlags) *resultFlags = 0;
  const char* s = text + StrSpanClassA(text, STRCLS_SPACE);
  Fields f{};
  int i = ReadDate(s, &f);
  if (!i || f.month < 1 || f.month > 12 || f.day < 1 || f.year < 1 ||
      f.day > DaysInMonth(f.year, f.month))
    return 0;
  unsigned got = DATER_DATE;
  if (flags & DATEP_TIME) {
    int j = i;
    if (s[j] == 'T' || s[j] == 't') ++j;
    else j += StrSpanClassA(s + j, STRCLS_BLANKS);
    int k = j > i ? ReadTime(s + j, &f) : 0;
    if (k) {
      got |= DATER_TIME;
      i = j + k;
    }
  }
  int64_t offset = 0;
  if ((flags & DATEP_ZONE) && (got & DATER_TIME)) {
    int k = ReadZone(s + i + StrSpanClassA(s + i, STRCLS_BLANKS), &offset);
    if (k) got |= DATER_ZONE;
  }
  int64_t result;
  if ((got & DATER_ZONE) || (flags & DATEP_UTC)) {
    result = DaysFromCivil(f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 +
             f.second - offset;
  } else if (!LocalToSeconds(f, &result)) {
    return 0;
  }
  if (resultFlags) *resultFlags = got;
  return result;
}
