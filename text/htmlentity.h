// HTML character references and the Windows-1252 code page.
#pragma once

#include "text/textdefs.h"

// The Unicode code point of a Windows-1252 byte (undefined codes of
// 0x80..0x9F keep their value, as browsers do).
uint32_t Text1252ToUnicode(unsigned char c);

// The Windows-1252 byte of a code point; missing where the code page has
// none (the unused codes of 0x80..0x9F included).
unsigned char TextUnicodeTo1252(uint32_t cp, unsigned char missing);

// The code point of a named entity ("auml" -> 0xE4), case-sensitive; -1 when
// unknown. length -1: up to the zero.
int32_t HtmlEntityLookup(const char* name, int length = -1);

// Decodes a character reference at text[0] == '&' within length code units:
// "&name;", "&#ddd;", "&#xhh;" (the ';' may be missing after a number and
// after the few names pages commonly write without it). Returns the code
// units consumed, 0 when there is none (the '&' is then plain text).
// References to 0, surrogates and beyond U+10FFFF give U+FFFD; 0x80..0x9F
// are read as Windows-1252.
int HtmlEntityDecode(const WideChar* text, int length, uint32_t* codePoint);
