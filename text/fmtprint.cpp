#include "text/fmtprint.h"

#include <charconv>
#include <cmath>
#include <stddef.h>
#include <string.h>
#include <vector>
#include <wchar.h>

namespace {

// Where the formatted characters go: a bounded buffer or a stream.
struct Sink {
  char* buf = nullptr;
  int size = 0;
  int pos = 0;
  FILE* stream = nullptr;
  char chunk[512];
  int chunkLen = 0;
  bool failed = false;

  void Put(const char* s, size_t n) {
    if (stream) {
      while (n > 0) {
        size_t k = sizeof(chunk) - (size_t)chunkLen;
        if (k > n) k = n;
        memcpy(chunk + chunkLen, s, k);
        chunkLen += (int)k;
        s += k;
        n -= k;
        pos += (int)k;
        if (chunkLen == (int)sizeof(chunk)) Flush();
      }
      return;
    }
    int room = size - 1 - pos;
    if (room <= 0) return;
    if (n > (size_t)room) n = (size_t)room;
    memcpy(buf + pos, s, n);
    pos += (int)n;
  }
  void Fill(char c, int n) {
    char tmp[64];
    memset(tmp, c, sizeof(tmp));
    while (n > 0) {
      int k = n < 64 ? n : 64;
      Put(tmp, (size_t)k);
      n -= k;
    }
  }
  void Flush() {
    if (stream && chunkLen) {
      if (fwrite(chunk, 1, (size_t)chunkLen, stream) != (size_t)chunkLen) failed = true;
      chunkLen = 0;
    }
  }
};

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = 0;
  int precision = -1;
};

// Writes prefix (sign, "0x") and body padded to the width.
void Emit(Sink& out, const Spec& sp, const char* prefix, const char* body, int bodyLen,
          int zeros = 0) {
  int plen = (int)strlen(prefix);
  int total = plen + zeros + bodyLen;
  int pad = sp.width > total ? sp.width - total : 0;
  if (!sp.left && !sp.zero) out.Fill(' ', pad);
  out.Put(prefix, (size_t)plen);
  if (!sp.left && sp.zero) out.Fill('0', pad);
  out.Fill('0', zeros);
  out.Put(body, (size_t)bodyLen);
  if (sp.left) out.Fill(' ', pad);
}

void FormatInteger(Sink& out, Spec sp, unsigned long long v, bool negative, int base,
                   bool upper) {
  char digits[72];
  int n = 0;
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  if (!(v == 0 && sp.precision == 0)) {
    do {
      digits[sizeof(digits) - 1 - n++] = set[v % (unsigned)base];
      v /= (unsigned)base;
    } while (v);
  }
  const char* body = digits + sizeof(digits) - n;
  int zeros = sp.precision > n ? sp.precision - n : 0;
  if (sp.precision >= 0) sp.zero = false;
  const char* prefix = "";
  if (negative) prefix = "-";
  else if (base == 10 && sp.plus) prefix = "+";
  else if (base == 10 && sp.space) prefix = " ";
  else if (sp.alt && base == 16 && n > 0 && !(n == 1 && *body == '0')) prefix = upper ? "0X" : "0x";
  else if (sp.alt && base == 8 && zeros == 0 && !(n > 0 && *body == '0')) zeros = 1;
  Emit(out, sp, prefix, body, n, zeros);
}

void FormatFloat(Sink& out, Spec sp, double v, char conv) {
  bool upper = conv == 'F' || conv == 'E' || conv == 'G';
  char lower = (char)(upper ? conv + 32 : conv);
  int prec = sp.precision < 0 ? 6 : sp.precision;
  if (prec > 4000) prec = 4000;
  bool negative = std::signbit(v) && !std::isnan(v);
  double mag = negative ? -v : v;
  std::vector<char> buf((size_t)prec + 400);
  std::to_chars_result r;
  if (!std::isfinite(mag)) {
    const char* word = std::isnan(mag) ? "nan" : "inf";
    r.ptr = buf.data() + strlen(word);
    memcpy(buf.data(), word, strlen(word));
    sp.zero = false;
  } else if (lower == 'f') {
    r = std::to_chars(buf.data(), buf.data() + buf.size(), mag, std::chars_format::fixed, prec);
  } else if (lower == 'e') {
    r = std::to_chars(buf.data(), buf.data() + buf.size(), mag, std::chars_format::scientific,
                      prec);
  } else {
    r = std::to_chars(buf.data(), buf.data() + buf.size(), mag, std::chars_format::general,
                      prec == 0 ? 1 : prec);
  }
  int n = (int)(r.ptr - buf.data());
  if (sp.alt && lower == 'f' && prec == 0 && n < (int)buf.size()) buf[(size_t)n++] = '.';
  if (upper) {
    for (int i = 0; i < n; ++i) {
      if (buf[(size_t)i] >= 'a' && buf[(size_t)i] <= 'z') buf[(size_t)i] = (char)(buf[(size_t)i] - 32);
    }
  }
  const char* prefix = negative ? "-" : sp.plus ? "+" : sp.space ? " " : "";
  Emit(out, sp, prefix, buf.data(), n);
}

void Format(Sink& out, const char* f, va_list ap) {
  while (*f) {
    const char* pct = strchr(f, '%');
    if (!pct) {
      out.Put(f, strlen(f));
      return;
    }
    out.Put(f, (size_t)(pct - f));
    const char* start = pct;
    f = pct + 1;
    Spec sp;
    for (;; ++f) {
      if (*f == '-') sp.left = true;
      else if (*f == '+') sp.plus = true;
      else if (*f == ' ') sp.space = true;
      else if (*f == '#') sp.alt = true;
      else if (*f == '0') sp.zero = true;
      else break;
    }
    if (*f == '*') {
      int w = va_arg(ap, int);
      if (w < 0) {
        sp.left = true;
        w = w == -2147483647 - 1 ? 2147483647 : -w;
      }
      sp.width = w;
      ++f;
    } else {
      while (*f >= '0' && *f <= '9') {
        if (sp.width < 100000) sp.width = sp.width * 10 + (*f - '0');
        ++f;
      }
    }
    if (sp.width > 100000) sp.width = 100000;
    if (*f == '.') {
      ++f;
      sp.precision = 0;
      if (*f == '*') {
        sp.precision = va_arg(ap, int);
        if (sp.precision < 0) sp.precision = -1;
        ++f;
      } else {
        while (*f >= '0' && *f <= '9') {
          if (sp.precision < 100000) sp.precision = sp.precision * 10 + (*f - '0');
          ++f;
        }
      }
    }
    if (sp.left) sp.zero = false;
    // length modifier: 0 int, 1 char, 2 short, 3 long, 4 long long, 5 size, 6 intmax, 7 ptrdiff, 8 long double
    int len = 0;
    switch (*f) {
      case 'h': len = f[1] == 'h' ? 1 : 2; f += len == 1 ? 2 : 1; break;
      case 'l': len = f[1] == 'l' ? 4 : 3; f += len == 4 ? 2 : 1; break;
      case 'q': len = 4; ++f; break;
      case 'L': len = 8; ++f; break;
      case 'z': len = 5; ++f; break;
      case 'j': len = 6; ++f; break;
      case 't': len = 7; ++f; break;
      case 'I':
        if (f[1] == '6' && f[2] == '4') len = 4, f += 3;
        else if (f[1] == '3' && f[2] == '2') len = 0, f += 3;
        else len = 5, ++f;
        break;
      default: break;
    }
    char conv = *f;
    if (!conv) {
      out.Put(start, strlen(start));
      return;
    }
    ++f;
    switch (conv) {
      case 'd':
      case 'i': {
        long long v;
        switch (len) {
          case 1: v = (signed char)va_arg(ap, int); break;
          case 2: v = (short)va_arg(ap, int); break;
          case 3: v = va_arg(ap, long); break;
          case 4: v = va_arg(ap, long long); break;
          case 5: v = va_arg(ap, ptrdiff_t); break;
          case 6: v = va_arg(ap, intmax_t); break;
          case 7: v = va_arg(ap, ptrdiff_t); break;
          default: v = va_arg(ap, int); break;
        }
        unsigned long long m = v < 0 ? 0ull - (unsigned long long)v : (unsigned long long)v;
        FormatInteger(out, sp, m, v < 0, 10, false);
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        unsigned long long v;
        switch (len) {
          case 1: v = (unsigned char)va_arg(ap, unsigned); break;
          case 2: v = (unsigned short)va_arg(ap, unsigned); break;
          case 3: v = va_arg(ap, unsigned long); break;
          case 4: v = va_arg(ap, unsigned long long); break;
          case 5: v = va_arg(ap, size_t); break;
          case 6: v = va_arg(ap, uintmax_t); break;
          case 7: v = (unsigned long long)va_arg(ap, ptrdiff_t); break;
          default: v = va_arg(ap, unsigned); break;
        }
        int base = conv == 'u' ? 10 : conv == 'o' ? 8 : 16;
        FormatInteger(out, sp, v, false, base, conv == 'X');
        break;
      }
      case 'p': {
        sp.alt = true;
        FormatInteger(out, sp, (unsigned long long)(uintptr_t)va_arg(ap, void*), false, 16, false);
        break;
      }
      case 'c': {
        char c = (char)va_arg(ap, int);
        sp.zero = false;
        Emit(out, sp, "", &c, 1);
        break;
      }
      case 's': {
        sp.zero = false;
        if (len == 3) {
          const wchar_t* w = va_arg(ap, const wchar_t*);
          if (!w) w = L"(null)";
          size_t n = 0;
          while (w[n] && (sp.precision < 0 || n < (size_t)sp.precision)) ++n;
          std::vector<char> narrow(n + 1);
          for (size_t i = 0; i < n; ++i) narrow[i] = (unsigned)w[i] < 256 ? (char)w[i] : (char)0xFF;
          Emit(out, sp, "", narrow.data(), (int)n);
        } else {
          const char* s = va_arg(ap, const char*);
          if (!s) s = "(null)";
          size_t n;
          if (sp.precision >= 0) {
            const void* z = memchr(s, 0, (size_t)sp.precision);
            n = z ? (size_t)((const char*)z - s) : (size_t)sp.precision;
          } else {
            n = strlen(s);
          }
          Emit(out, sp, "", s, (int)n);
        }
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G': {
        double v = len == 8 ? (double)va_arg(ap, long double) : va_arg(ap, double);
        FormatFloat(out, sp, v, conv);
        break;
      }
      case '%':
        out.Put("%", 1);
        break;
      default:
        // unknown conversions (and %n) are written as they stand
        out.Put(start, (size_t)(f - start));
        break;
    }
  }
}

}  // namespace

int FmtVPrintA(char* dest, int size, const char* format, va_list args) {
  if (size < 1 || !dest) return 0;
  Sink out;
  out.buf = dest;
  out.size = size;
  va_list ap;
  va_copy(ap, args);
  Format(out, format, ap);
  va_end(ap);
  dest[out.pos] = 0;
  return out.pos;
}

int FmtPrintA(char* dest, int size, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = FmtVPrintA(dest, size, format, ap);
  va_end(ap);
  return n;
}

int FmtVFilePrintA(FILE* stream, const char* format, va_list args) {
  Sink out;
  out.stream = stream;
  va_list ap;
  va_copy(ap, args);
  Format(out, format, ap);
  va_end(ap);
  out.Flush();
  return out.failed ? -1 : out.pos;
}

int FmtFilePrintA(FILE* stream, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = FmtVFilePrintA(stream, format, ap);
  va_end(ap);
  return n;
}
