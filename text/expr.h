// Integer expressions: "3*(20+4)", "0x100 - 1", "WIDTH/2".
#pragma once

#include "text/textdefs.h"

// Resolves a symbol name (length characters at name, letters, digits, "_",
// beginning with a letter or "_"); returns nonzero and sets *value when the
// name is known.
typedef int (*ExprSymbolProc)(void* context, const char* name, int length, int32_t* value);

// Evaluates a 32-bit integer expression (two's-complement wrap-around).
// Operands: numbers in NumParseIntA syntax (radix prefixes), symbols (only
// with a callback), parentheses, unary - + ~ !. Binary operators by rising
// precedence: 1 ||, 2 &&, 3 |, 4 ^, 5 &, 6 == !=, 7 < <= > >=, 8 << >>,
// 9 + -, 10 * / %. level below 0 evaluates the whole expression; level n
// evaluates only operators of precedence above n (so 9 reads one product).
// *ok (when given) is 1 when an expression was read without error (a division
// by zero or an unknown symbol is an error; *value is then 0). Returns the
// characters consumed, blanks behind the expression included.
int ExprEvalIntA(const char* text, int32_t* value, int* ok, int level,
                 ExprSymbolProc symbols, void* context);
