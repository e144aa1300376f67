// printf-style formatting into a bounded buffer or a C stream.
//
// Conversions: d i u x X o c s p f F e E g G %, flags - + blank # 0, width
// and precision (also "*"), length modifiers hh h l ll L z j t and I64.
// "%n" is not supported (written as text). Floating-point output does not
// depend on the C locale: the decimal point is always ".".
#pragma once

#include <stdarg.h>
#include <stdio.h>

#include "text/textdefs.h"

#if defined(__GNUC__) && !defined(__clang__)
#define FMT_PRINTF_CHECK(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define FMT_PRINTF_CHECK(f, a) __attribute__((format(printf, f, a)))
#endif

// Formats into dest (size characters including the terminator); the result
// is cut to size - 1 characters and always terminated. Returns the
// characters written (0 when size is below 1).
int FmtPrintA(char* dest, int size, const char* format, ...)
    FMT_PRINTF_CHECK(3, 4);
int FmtVPrintA(char* dest, int size, const char* format, va_list args);

// Formats onto a C stream; returns the characters written, -1 on a write
// error.
int FmtFilePrintA(FILE* stream, const char* format, ...)
    FMT_PRINTF_CHECK(2, 3);
int FmtVFilePrintA(FILE* stream, const char* format, va_list args);
