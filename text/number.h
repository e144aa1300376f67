// Number literals: measuring, parsing and formatting.
#pragma once

#include "text/textdefs.h"

// Flags of NumParseDoubleA/W.
enum : unsigned {
  NUMF_SIGN       = 0x001,  // a leading "+" or "-" is allowed
  NUMF_EXPONENT   = 0x002,  // an exponent ("e5", "E-3") is allowed
  NUMF_COMMA      = 0x004,  // "," serves as the decimal point as well as "."
  NUMF_NOSKIP     = 0x200,  // no leading white space is skipped
  NUMF_FLOATTOKEN = 0x400,  // measure the literal as NumMeasureFloatA does
};

// Reads a decimal number literal. Leading white space (tab, CR, LF, blank) is
// skipped unless NUMF_NOSKIP. Syntax: [sign] digits [point digits] [exponent];
// a single blank or "_" between two digits of the integer part is a digit
// group separator and is dropped ("1 234,5" with NUMF_COMMA is 1234.5).
// With NUMF_FLOATTOKEN the literal is what NumMeasureFloatA accepts (no group
// separators, exponent always allowed, "#INF"/"#IND"/"#QNAN" forms).
// *consumed (when given) receives the characters read including the skipped
// white space, 0 when there is no number (the result is then 0). The value is
// the correctly rounded double; too large magnitudes give infinity.
double NumParseDoubleA(const char* text, int* consumed, unsigned flags);
// 16-bit twin; code units above 127 end the literal.
double NumParseDoubleW(const WideChar* text, int* consumed, unsigned flags);

// Length of a floating-point number token as the C runtime writes them:
// leading blanks and tabs, sign, digits, ".", digits, exponent, or the forms
// "1.#INF", "-1.#IND", "1.#QNAN" (any digits before the "#"). 0 when none.
int NumMeasureFloatA(const char* text);

// Reads a 32-bit integer after leading blanks and tabs, with an optional
// sign. flags & 0xFF: 0 chooses the radix by the prefix ("0x" 16, "0d" 10,
// "0o" 8, "0b" 2, prefixes in either case; else decimal), 2-36 forces that
// radix without prefix. A magnitude above 0xFFFFFFFF saturates to
// 0xFFFFFFFF; the result is the low 32 bits of sign * magnitude (so
// "0xFFFFFFFF" gives -1). *consumed (when given) gets
// the characters read, 0 when there is no digit (result 0).
int32_t NumParseIntA(const char* text, unsigned flags, int* consumed);

// Value of the hexadecimal digits after leading blanks and tabs, stopping at
// the first other character or after length characters (-1: no limit);
// only the last 8 digits count.
uint32_t NumParseHexNA(const char* text, int length);

// Writes value into buffer (size characters including the terminator);
// flags & 1: hexadecimal of the 32-bit two's complement with the prefix "0x"
// and upper-case digits, else signed decimal. Returns the characters
// written, or -1 (buffer emptied) when it does not fit.
int NumFormatIntA(int32_t value, char* buffer, int size, unsigned flags);
