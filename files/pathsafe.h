// What a Windows path component may be: one rule for every caller that
// turns foreign text (archive entry names, tile-server paths, ...) into
// names on disk.
#pragma once

#include <stddef.h>

// "\" and "/" both separate components.
inline bool PathIsSep(int c) { return c == '\\' || c == '/'; }

// True when a component names a DOS device whatever follows its first dot:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM0-9 and LPT0-9 (also with
// the superscripts 1, 2, 3 of Windows-1252), with or without blanks before
// the dot or the end ("NUL .txt" opens the device too).
bool PathIsDeviceName(const char* s, size_t n);

// Flags of PathSafeComponent.
enum : unsigned {
  PSC_DROP_DRIVE = 1,     // a leading "X:" is dropped
  PSC_AMPERSAND = 2,      // "&" counts as reserved too (URL text)
  PSC_KEEP_TRAILING = 4,  // trailing dots and blanks become "_" instead of going
  PSC_KEEP_CHARS = 8,     // the characters stay as they are (a name inside an
                          // archive, which its reader makes safe for its own
                          // system); only components of dots and blanks go
};

// Writes the safe form of the component in[0..n) to out (size bytes,
// terminated): control codes and the reserved characters : < > " | ? *
// become "_", trailing dots and blanks go (Windows drops them, so ". ."
// would become ".." and climb), and a device name gets a leading "_".
// Returns the length written, 0 when nothing remains (".", "..", blanks),
// -1 when it does not fit.
int PathSafeComponent(const char* in, size_t n, char* out, size_t size, unsigned flags);

// Writes name as a relative path of safe components (PathSafeComponent with
// flags each) joined by "/": no root, no empty, "." or ".." component, no
// separator at either end. Returns the length, 0 when nothing remains, -1
// when it does not fit.
int PathSafeRelative(const char* name, char* out, size_t size, unsigned flags);
