// The first visible top-level window whose title contains a text: how the
// e2e helper programs find the program under test.
#pragma once

#include <windows.h>

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

}  // namespace e2e
