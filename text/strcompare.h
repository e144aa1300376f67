// Comparing and case conversion of 8-bit (Windows-1252) text.
#pragma once

#include "text/textdefs.h"

// Natural order without regard to case: digit runs compare by value, letters
// case-insensitively with accents folded (ä = a), "." ranks below every other
// character. Texts equal by these rules are ordered by their case-folded
// bytes, so only texts that differ in letter case alone give 0.
// Returns <0, 0 or >0.
int StrCompareNaturalNoCaseA(const char* a, const char* b);

// Compares at most length characters (both texts also end at their
// terminator) with ASCII letters folded; <0, 0 or >0.
int StrComparePathNoCaseNA(const char* a, const char* b, int length);

// Case conversion modes (combine one conversion with the modifiers).
enum : unsigned {
  STRCASE_UPPER      = 0x0001,  // all letters upper case
  STRCASE_LOWER      = 0x0002,  // all letters lower case
  STRCASE_WORDS      = 0x0200,  // first letter of each word upper, the rest lower
  STRCASE_IFALLUPPER = 0x2000,  // convert only a text that has no lower-case letter
  STRCASE_ACCENTS    = 0x8000,  // also the accented letters of Windows-1252
};
// Copies src into dest (dest may be src) converted by mode; returns the
// length, cut to size - 1. Mode 0xA200 shows all-capital names as "Words".
int StrConvertCaseA(char* dest, const char* src, int size, unsigned mode);
