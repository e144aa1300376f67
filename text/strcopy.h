// Bounded copy, append, trim and replace on 8-bit text.
#pragma once

#include "text/textdefs.h"

// Copies at most size - 1 characters and always terminates; returns the
// characters copied. A size below 1 copies nothing and returns 0.
int StrCopyA(char* dest, const char* src, int size);
// Copies min(n, source length, size - 1) characters and terminates; n below 0
// means the whole source. Never reads the source past n characters.
int StrCopyNA(char* dest, const char* src, int size, int n);
// Appends src to the text in dest; returns the total length. The result is
// cut to size - 1 characters; -1 when dest holds no terminator within size.
int StrAppendA(char* dest, const char* src, int size);
// Copies src without leading and trailing white space (tab, CR, LF, blank)
// into dest (which may be src); returns the length. Cut to size - 1.
int StrTrimCopyA(char* dest, const char* src, int size);
// Replaces every occurrence of one character by another, in place; returns
// the number replaced. from must not be 0.
int StrReplaceCharA(char* text, char from, char to);
