#include "toolkit/uxthemeapi.h"

namespace {

template <typename T>
void Take(HMODULE m, const char* name, T* out) {
  *out = reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

UxThemeApi Load() {
  UxThemeApi a = {};
  a.module = LoadLibraryA("UxTheme.dll");
  if (!a.module) return a;
  Take(a.module, "SetWindowTheme", &a.SetWindowTheme);
  Take(a.module, "BufferedPaintInit", &a.BufferedPaintInit);
  Take(a.module, "BufferedPaintUnInit", &a.BufferedPaintUnInit);
  Take(a.module, "OpenThemeData", &a.OpenThemeData);
  Take(a.module, "CloseThemeData", &a.CloseThemeData);
  Take(a.module, "DrawThemeBackground", &a.DrawThemeBackground);
  Take(a.module, "GetThemePartSize", &a.GetThemePartSize);
  return a;
}

}  // namespace

const UxThemeApi& UxThemeGetApi() {
  static const UxThemeApi api = Load();
  return api;
}
