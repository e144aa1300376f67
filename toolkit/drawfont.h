// The shared user-interface fonts.
#pragma once

#include <windows.h>

// One of four fonts shared by the process: bit 0 bold, bit 1 fixed pitch.
// Made on first request and kept for the life of the process; callers never
// delete them. 0 for a kind of 4 or more.
HFONT DrawGetUiFont(int kind);
