// Fields of separated-values text and tokens.
#pragma once

#include "text/textdefs.h"

// Reads one field of a separated line. A field that begins with a double
// quote runs to the closing quote (a doubled quote stands for one; line
// breaks inside are kept; characters between the closing quote and the
// separator are appended); otherwise it runs to the separator, a CR or LF,
// or the end. textLength -1: up to the terminating zero. At most size - 1
// characters are stored (the rest is skipped) and dest is always terminated
// when size > 0. Returns the characters consumed including the separator (a
// line break that ends the field is not consumed). *storedLength (when
// given) gets the length stored in dest.
int StrReadFieldA(const char* text, int* storedLength, char* dest, int size,
                  int textLength, char separator);

// Writes text as a field followed by the separator. The field is quoted,
// with quotes inside doubled, when it holds the separator, a quote, a tab,
// CR or LF, or begins or ends with white space. When it does not fit into
// size characters the text is cut, never the quoting: the result is always
// a well-formed field with its separator. flags: reserved, pass 0. Returns
// the characters written; -1 (dest emptied) when size cannot hold even an
// empty field.
int StrQuoteFieldA(const char* text, char* dest, int size, unsigned flags, char separator);

// Reads the next token of src (srcLength characters, -1: to the terminating
// zero). Leading white space is skipped. When the next character is quote
// (nonzero), the token is the text up to the closing quote, escape (nonzero)
// taking the following character literally; the quotes are consumed but not
// stored. Otherwise the token ends at a control character, a blank, "," or
// ";" (not consumed). The copy is cut to size - 1 characters and terminated.
// Returns the characters consumed.
int StrNextTokenA(char* dest, const char* src, int size, char escape, char quote, int srcLength);
