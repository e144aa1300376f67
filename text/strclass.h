// Character classes of the 8-bit (Windows-1252) codes and the scanners
// that take a mask of them.
#pragma once

#include "text/textdefs.h"

// Class bits. A character is "in" a mask when (class & mask) != 0.
enum : uint32_t {
  STRCLS_DIGIT       = 0x00000001,  // "0"-"9"
  STRCLS_UPPER       = 0x00000002,  // "A"-"Z" (ASCII only)
  STRCLS_LOWER       = 0x00000004,  // "a"-"z" (ASCII only)
  STRCLS_UNDERSCORE  = 0x00000008,  // "_"
  STRCLS_HIGH        = 0x00000010,  // every code 0x80-0xFF
  STRCLS_TAB         = 0x00000020,  // tab
  STRCLS_LINEBREAK   = 0x00000040,  // CR and LF
  STRCLS_BLANK       = 0x00000080,  // " "
  STRCLS_QUOTE       = 0x00000100,  // '"'
  STRCLS_DOT         = 0x00000200,  // "."
  STRCLS_COMMA       = 0x00001000,  // ","
  STRCLS_XDIGIT      = 0x00010000,  // "0"-"9", "A"-"F", "a"-"f"
  STRCLS_BACKSLASH   = 0x00100000,  // "\"
  STRCLS_SLASH       = 0x00200000,  // "/"
  STRCLS_COLON       = 0x00400000,  // ":"
  STRCLS_MINUS       = 0x02000000,  // "-"
  STRCLS_PLUS        = 0x04000000,  // "+"
  STRCLS_ACCENTUPPER = 0x10000000,  // accented upper-case letters (À-Þ but ×, Š Œ Ž Ÿ)
  STRCLS_ACCENTLOWER = 0x20000000,  // accented lower-case letters (ß-ÿ but ÷, š œ ž)
  STRCLS_END         = 0x80000000,  // the terminating zero (code 0)
};

// Masks in common use.
enum : uint32_t {
  STRCLS_ALNUM     = STRCLS_DIGIT | STRCLS_UPPER | STRCLS_LOWER,   // 0x7
  STRCLS_BLANKS    = STRCLS_TAB | STRCLS_BLANK,                     // 0xA0
  STRCLS_SPACE     = STRCLS_BLANKS | STRCLS_LINEBREAK,              // 0xE0
  STRCLS_PATHSEP   = STRCLS_BACKSLASH | STRCLS_SLASH,               // 0x300000
  STRCLS_DRIVEEND  = STRCLS_PATHSEP | STRCLS_COLON,                 // 0x700000
};

// 256 class words, indexed by the unsigned 8-bit code.
extern const uint32_t StrCharClassTable[256];

inline uint32_t StrCharClass(char c) { return StrCharClassTable[(unsigned char)c]; }
inline bool StrIsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Length of the leading run of characters whose class meets the mask. The
// terminating zero always ends the run.
int StrSpanClassA(const char* text, uint32_t mask);
// The same, at most count characters (count below 1 gives 0).
int StrSpanClassNA(const char* text, uint32_t mask, int count);
// 16-bit twin: code units 0-255 take the table's class, all others STRCLS_HIGH.
int StrSpanClassW(const WideChar* text, uint32_t mask);

// Length of the leading run of characters NOT in the mask; the terminating
// zero always ends the run.
int StrCSpanClassA(const char* text, uint32_t mask);
// The same, at most count characters (count below 1 gives 0).
int StrCSpanClassNA(const char* text, uint32_t mask, int count);
