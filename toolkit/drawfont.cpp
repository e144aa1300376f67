#include "toolkit/drawfont.h"

#include <string.h>

namespace {

HFONT g_fonts[4];

bool SystemIsVista() {
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return false;
#pragma GCC diagnostic pop
  return v.dwMajorVersion >= 6;
}

HFONT MakeFont(int kind) {
  LOGFONTA lf = {};
  if (!SystemIsVista() || !SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0)) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  }
  lf.lfWeight = (kind & 1) ? FW_BOLD : FW_NORMAL;
  if (kind & 2) {
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    strcpy(lf.lfFaceName, "Courier New");
  }
  return CreateFontIndirectA(&lf);
}

}  // namespace

HFONT DrawGetUiFont(int kind) {
  if (kind < 0 || kind >= 4) return nullptr;
  HFONT f = (HFONT)InterlockedCompareExchangePointer((void**)&g_fonts[kind], nullptr, nullptr);
  if (f) return f;
  HFONT made = MakeFont(kind);
  if (!made) return nullptr;
  // two threads may race on the first request: one font wins, the other goes
  f = (HFONT)InterlockedCompareExchangePointer((void**)&g_fonts[kind], made, nullptr);
  if (f) {
    DeleteObject(made);
    return f;
  }
  return made;
}
