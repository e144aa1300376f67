// Basic types of the text library.
//
// 16-bit text: WideChar is a UTF-16 code unit. On Windows it is wchar_t, the
// very type behind WCHAR, so Win32 callers pass WCHAR* unchanged; in the
// native build (where wchar_t is 32 bits) it is char16_t.
//
// Sizes: every function that writes into a caller's buffer takes the buffer
// size in characters (including the terminator). Copies take it after the
// source, (destination, source, size), formatters right after the buffer,
// (destination, size, ...). A size below 1 writes nothing. Lengths given as
// -1 mean "up to the terminating zero".
#pragma once

#include <stdint.h>

#ifdef _WIN32
typedef wchar_t WideChar;
#else
typedef char16_t WideChar;
#endif

static_assert(sizeof(WideChar) == 2, "WideChar must be a 16-bit code unit");
