#include <charconv>
#include <limits>
#include <string>
#include <string.h>

#include "text/number.h"
#include "text/strclass.h"

namespace {

inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The C runtime's float token at text[i]: sign, digits, point, digits,
// exponent, or the "1.#INF" forms. Returns the length (0: none) and tells
// which special value a "#" form names (0 none, 1 infinity, 2 NaN).
int MeasureToken(const char* t, bool comma, int* special) {
  int i = 0;
  *special = 0;
  if (t[i] == '+' || t[i] == '-') ++i;
  int digits = 0;
  while (StrIsDigit(t[i])) ++i, ++digits;
  if (t[i] == '.' || (comma && t[i] == ',')) {
    int p = i + 1;
    if (t[p] == '#' && digits > 0) {
      static const struct { const char* word; int kind; } kForms[] = {
          {"#INF", 1}, {"#IND", 2}, {"#QNAN", 2}};
      for (const auto& f : kForms) {
        size_t n = strlen(f.word);
        if (strncmp(t + p, f.word, n) == 0) {
          p += (int)n;
          while (StrIsDigit(t[p])) ++p;
          *special = f.kind;
          return p;
        }
      }
    }
    int frac = 0;
    while (StrIsDigit(t[p])) ++p, ++frac;
    if (digits + frac > 0) {
      i = p;
      digits += frac;
    }
  }
  if (digits == 0) return 0;
  if (t[i] == 'e' || t[i] == 'E') {
    int p = i + 1;
    if (t[p] == '+' || t[p] == '-') ++p;
    if (StrIsDigit(t[p])) {
      while (StrIsDigit(t[p])) ++p;
      i = p;
    }
  }
  return i;
}

// The cleaned literal: on the stack for the usual lengths, on the heap for
// longer ones.
class Literal {
 public:
  void Add(char c) {
    if (m_len < sizeof m_small) {
      m_small[m_len++] = c;
      return;
    }
    if (m_big.empty()) m_big.assign(m_small, m_len);
    m_big += c;
    ++m_len;
  }
  void Append(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i) Add(s[i]);
  }
  const char* Data() const { return m_big.empty() ? m_small : m_big.data(); }
  size_t Size() const { return m_len; }

 private:
  char m_small[96];
  size_t m_len = 0;
  std::string m_big;
};

// Converts the cleaned literal (digits, one ".", "e", exponent sign; no
// leading sign) correctly rounded. from_chars leaves the value alone on a
// range error, so overflow and underflow are told apart here.
double Convert(const Literal& lit) {
  double v = 0;
  const char* b = lit.Data();
  const char* e = b + lit.Size();
  auto r = std::from_chars(b, e, v, std::chars_format::general);
  if (r.ec != std::errc::result_out_of_range) return v;
  // decimal exponent of the first significant digit
  long long pos = 0;
  bool seenPoint = false, seenDigit = false;
  const char* p = b;
  for (; p < e && *p != 'e'; ++p) {
    if (*p == '.') {
      seenPoint = true;
    } else if (!seenDigit && *p == '0') {
      if (seenPoint) --pos;
    } else {
      seenDigit = true;
      if (!seenPoint) ++pos;
    }
  }
  long long ex = 0;
  if (p < e) {
    ++p;
    bool neg = false;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    for (; p < e; ++p) {
      if (ex < 100000000000LL) ex = ex * 10 + (*p - '0');
    }
    if (neg) ex = -ex;
  }
  return pos + ex > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

int NumMeasureFloatA(const char* text) {
  int i = 0;
  while (IsBlankOrTab(text[i])) ++i;
  int special;
  int n = MeasureToken(text + i, false, &special);
  return n ? i + n : 0;
}

double NumParseDoubleA(const char* text, int* consumed, unsigned flags) {
  if (consumed) *consumed = 0;
  const bool comma = (flags & NUMF_COMMA) != 0;
  int i = 0;
  if (!(flags & NUMF_NOSKIP)) i = StrSpanClassA(text, STRCLS_SPACE);
  const char* t = text + i;
  bool negative = false;
  int j = 0;
  if (t[0] == '+' || t[0] == '-') {
    if (!(flags & NUMF_SIGN)) return 0.0;
    negative = t[0] == '-';
    j = 1;
  }
  Literal lit;
  if (flags & NUMF_FLOATTOKEN) {
    int special;
    int n = MeasureToken(t + j, comma, &special);
    if (n == 0 || t[j] == '+' || t[j] == '-') return 0.0;
    double v;
    if (special == 1) {
      v = std::numeric_limits<double>::infinity();
    } else if (special == 2) {
      v = std::numeric_limits<double>::quiet_NaN();
    } else {
      for (int k = 0; k < n; ++k) {
        char c = t[j + k];
        lit.Add(c == ',' ? '.' : c == 'E' ? 'e' : c);
      }
      v = Convert(lit);
    }
    if (consumed) *consumed = i + j + n;
    return negative ? -v : v;
  }
  int digits = 0;
  while (StrIsDigit(t[j])) {
    lit.Add(t[j++]);
    ++digits;
    // one group separator between two digits of the integer part
    if ((t[j] == ' ' || t[j] == '_') && StrIsDigit(t[j + 1])) ++j;
  }
  if (t[j] == '.' || (comma && t[j] == ',')) {
    int p = j + 1, frac = 0;
    while (StrIsDigit(t[p])) ++p, ++frac;
    if (digits + frac > 0) {
      lit.Add('.');
      lit.Append(t + j + 1, (size_t)frac);
      digits += frac;
      j = p;
    }
  }
  if (digits == 0) return 0.0;
  if ((flags & NUMF_EXPONENT) && (t[j] == 'e' || t[j] == 'E')) {
    int p = j + 1;
    if (t[p] == '+' || t[p] == '-') ++p;
    if (StrIsDigit(t[p])) {
      while (StrIsDigit(t[p])) ++p;
      lit.Add('e');
      lit.Append(t + j + 1, (size_t)(p - j - 1));
      j = p;
    }
  }
  if (consumed) *consumed = i + j;
  double v = Convert(lit);
  return negative ? -v : v;
}

double NumParseDoubleW(const WideChar* text, int* consumed, unsigned flags) {
  // only these characters can be part of a literal or the white space before
  static const char kLiteral[] = "0123456789+-.,_ \t\r\neE#INFDQA";
  std::string narrow;
  for (const WideChar* p = text; *p && (unsigned)*p < 128 && strchr(kLiteral, (char)*p); ++p)
    narrow += (char)*p;
  return NumParseDoubleA(narrow.c_str(), consumed, flags);
}

int32_t NumParseIntA(const char* text, unsigned flags, int* consumed) {
  int i = 0;
  while (IsBlankOrTab(text[i])) ++i;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  unsigned radix = flags & 0xFF;
  if (radix == 1 || radix > 36) radix = 10;
  auto digitValue = [](char c) -> unsigned {
    if (c >= '0' && c <= '9') return (unsigned)(c - '0');
    if (c >= 'a' && c <= 'z') return (unsigned)(c - 'a' + 10);
    if (c >= 'A' && c <= 'Z') return (unsigned)(c - 'A' + 10);
    return 99;
  };
  if (radix == 0) {
    radix = 10;
    if (text[i] == '0') {
      unsigned r = 0;
      switch (text[i + 1]) {
        case 'x': case 'X': r = 16; break;
        case 'd': case 'D': r = 10; break;
        case 'o': case 'O': r = 8; break;
        case 'b': case 'B': r = 2; break;
        default: break;
      }
      // a prefix counts only when a digit of its radix follows
      if (r && digitValue(text[i + 2]) < r) {
        radix = r;
        i += 2;
      }
    }
  }
  uint64_t mag = 0;
  int start = i;
  for (unsigned d; (d = digitValue(text[i])) < radix; ++i) {
    mag = mag * radix + d;
    if (mag > 0xFFFFFFFFull) mag = 0xFFFFFFFFull;
  }
  if (i == start) {
    if (consumed) *consumed = 0;
    return 0;
  }
  if (consumed) *consumed = i;
  uint32_t v = (uint32_t)mag;
  return (int32_t)(negative ? 0u - v : v);
}

uint32_t NumParseHexNA(const char* text, int length) {
  int i = 0;
  auto inRange = [&](int k) { return length < 0 || k < length; };
  while (inRange(i) && IsBlankOrTab(text[i])) ++i;
  uint32_t v = 0;
  for (; inRange(i); ++i) {
    char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = (unsigned)(c - '0');
    else if (c >= 'a' && c <= 'f') d = (unsigned)(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') d = (unsigned)(c - 'A' + 10);
    else break;
    v = (v << 4) | d;
  }
  return v;
}
