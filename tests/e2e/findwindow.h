// The first visible top-level window whose title contains a text: how the
// e2e helper programs find the program under test.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace e2e {

struct TitleSearch {
  const char* part;
  HWND found;
};

inline BOOL CALLBACK VisitTopWindow(HWND hWnd, LPARAM lParam) {
  TitleSearch* s = reinterpret_cast<TitleSearch*>(lParam);
  char title[512];
  if (!IsWindowVisible(hWnd) || GetWindowTextA(hWnd, title, sizeof title) <= 0) return TRUE;
  if (!strstr(title, s->part)) return TRUE;
  s->found = hWnd;
  return FALSE;
}

inline HWND FindTopWindow(const char* titlePart) {
  TitleSearch s = {titlePart, nullptr};
  EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Prints a window's client area on the screen: left, top, width, height.
inline int PrintClientRect(HWND w) {
  if (!w) return 1;
  RECT r;
  GetClientRect(w, &r);
  POINT p = {0, 0};
  ClientToScreen(w, &p);
  printf("%ld %ld %ld %ld\n", p.x, p.y, r.right, r.bottom);
  return 0;
}

}  // namespace e2e
