// The visual-style functions of UxTheme.dll, loaded once for the process when
// the system has them (null pointers otherwise): the program runs where
// UxTheme is missing, and every control asks here.
#pragma once

#include <windows.h>
#include <uxtheme.h>

struct UxThemeApi {
  HMODULE module;
  HRESULT(WINAPI* SetWindowTheme)(HWND, LPCWSTR, LPCWSTR);
  HRESULT(WINAPI* BufferedPaintInit)();
  HRESULT(WINAPI* BufferedPaintUnInit)();
  HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR);
  HRESULT(WINAPI* CloseThemeData)(HTHEME);
  HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*);
  HRESULT(WINAPI* GetThemePartSize)(HTHEME, HDC, int, int, const RECT*, THEMESIZE, SIZE*);
};

// Loaded on first call (thread-safe), kept until the process ends.
const UxThemeApi& UxThemeGetApi();
