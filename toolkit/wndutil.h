// Window placement on monitors, moving and sizing, and clipboard text.
#pragma once

#include <windows.h>

// Refreshes the table of monitors (one entry for the whole screen where the
// system cannot enumerate them); returns the number of entries.
int WndEnumMonitors(int flags);
// Number of monitors in the table (enumerating on first use).
int WndGetMonitorCount();
// A monitor's full and work rectangles; false for an index beyond the table.
bool WndGetMonitorRect(int index, RECT* full, RECT* work);
// Index of the monitor that holds the rectangle's centre (the nearest one
// when none does).
int WndMonitorFromPlacement(const RECT* rc);
// Index of the monitor holding the window, -1 when its rectangle cannot be read.
int WndMonitorFromWindow(HWND wnd);
// Moves and, when needed, shrinks the rectangle into the monitor's work area
// (flag 1) or its full area (flag 0). Returns nonzero when it changed.
int WndFitPlacementToMonitor(RECT* rc, int monitor, int flags);
// Whether the rectangle, grown by the margin on each side, lies inside the
// monitor's work area (the whole screen for an index beyond the table).
bool WndRectFitsMonitor(int monitor, int x, int y, int width, int height, int margin);

// The work area of the monitor that holds p now (asked of the system, not
// the table: a monitor may have gone since); false when no monitor does.
bool WndLiveWorkAreaAt(POINT p, RECT* work);
// Whether a window remembered earlier in the run may reopen with its
// top-left corner at p in the work area: left between 100 px left of the
// area and 100 px before its right edge, top between 10 px above it and
// 100 px above its bottom, limits excluded.
bool WndRememberedCornerFits(const RECT* work, POINT p);

// The same two rules on a given area, for callers with a table of their own.
bool WndRectFitsArea(const RECT* area, int x, int y, int width, int height, int margin);
int WndFitRectToArea(RECT* rc, const RECT* area);

// Moves a window within its parent (relative: by the offsets); keeps its size.
BOOL WndMove(HWND wnd, int x, int y, bool relative);
// Sets a window's size (relative: by the differences); keeps its position.
BOOL WndResize(HWND wnd, int width, int height, bool relative);

// Puts 8-bit text on the clipboard as CF_TEXT; length -1 means up to the
// terminator. Nonzero on success.
int WndSetClipboardText(const char* text, int length);
