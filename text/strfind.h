// Searching characters and substrings in 8-bit text.
#pragma once

#include "text/textdefs.h"

// Index of the first occurrence of ch, or of the terminating zero.
int StrSpanToCharA(const char* text, int ch);
// Length up to and including the first occurrence of ch; the text's length
// when it does not occur.
int StrSpanPastCharA(const char* text, int ch);
// The same within the first n characters (n below 0: no limit); n (or the
// shorter text length) when ch does not occur there.
int StrSpanPastCharNA(const char* text, int ch, int n);

// Index of the first occurrence of pattern lying wholly within the first n
// characters of text (n below 0: no limit); -1 when absent, 0 for an empty
// pattern. Case-sensitive.
int StrFindNA(const char* text, const char* pattern, int n);
// Index of the first occurrence of pattern, ASCII case-insensitive; -1 when
// absent, 0 for an empty pattern.
int StrFindNoCaseA(const char* text, const char* pattern);
// The same within the first n characters (n below 0: no limit).
int StrFindNoCaseNA(const char* text, const char* pattern, int n);
