// UTF-8, Latin-1 and UTF-16 conversions.
//
// 8-bit text here is taken code by code as Latin-1 (byte value = code point).
#pragma once

#include "text/textdefs.h"

// Decodes one UTF-8 sequence from at most length bytes (-1: the text is
// terminated; a sequence never runs past the zero). Returns the bytes
// consumed (1 to 4); an invalid, overlong or truncated sequence yields its
// first byte as a Latin-1 character of length 1. Returns 0 only when length
// is 0.
int UtfDecodeCharA(const char* text, uint32_t* codePoint, int length = -1);

// Writes the UTF-8 form of a code point (0 to 0x10FFFF, surrogates refused);
// returns the bytes written (1 to 4), 0 when it is invalid or does not fit
// into size bytes. Nothing is terminated.
int UtfEncodeCharA(uint32_t codePoint, char* out, int size);

// UTF-8 to 8-bit text; code points above 255 become 0xFF. Reads at most
// srcLength bytes (-1: to the zero). Writes at most size - 1 characters and
// terminates; returns the characters written.
int Utf8ToLatin1N(char* dest, const char* src, int size, int srcLength);

// 8-bit text to 16-bit text, code by code; count characters (-1: to the
// zero). Cut to size - 1, terminated; returns the characters written.
int UtfLatin1ToWide(WideChar* dest, const char* src, int size, int count);

// 16-bit text to 8-bit text; code units of 256 and above become 0xFF.
// count (-1: to the zero); cut to size - 1, terminated; returns the count.
int UtfWideToLatin1(char* dest, const WideChar* src, int size, int count);
