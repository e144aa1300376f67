// Matching 8-bit text against a simple pattern.
#pragma once

#include "text/textdefs.h"

enum : unsigned {
  STRMATCH_NOCASE = 0x001,  // ASCII letters match without regard to case
  STRMATCH_PREFIX = 0x004,  // the pattern may match a prefix of the text
};

// Pattern elements:
//   "*"        any run of characters (may be empty)
//   "\z"       a run of letters and digits that begins with a digit
//   "\_", "\." a run of blanks (tab, blank), may be empty
//   "\" + c    the character c itself (so "\\" and "\*")
//   c          the character c
// Runs of "\z" and "\_" take as many characters as they can, "*" as few as
// the rest of the pattern allows (so in prefix mode "a*b" covers the text up
// to the first "b"). Time is linear in pattern length times text length.
// Lengths of -1 mean up to the terminating zero. Returns the characters of
// the text covered by the match: without STRMATCH_PREFIX the whole text must
// match (returns textLength); 0 when it does not match.
int StrMatchPatternA(const char* pattern, int patternLength, const char* text,
                     int textLength, unsigned flags);
