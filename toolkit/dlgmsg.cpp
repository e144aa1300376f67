#include "toolkit/dlgmsg.h"

namespace {

struct BuiltIn {
  UINT id;
  const char* text;
};

const BuiltIn kTexts[] = {
    {DLGMSG_DELETE_ROW, "Zeile löschen"},
    {DLGMSG_COPY_FIELD, "Feld kopieren"},
    {DLGMSG_SELECT_ALL, "&Alles auswählen"},
    {DLGMSG_SELECT_NONE, "&Alles abwählen"},
};

}  // namespace

CString DlgGetMessageText(HMODULE module, UINT id, int* source) {
  char buf[256];
  int n = LoadStringA(module ? module : GetModuleHandleA(nullptr), id, buf, sizeof buf);
  if (n > 0) {
    if (source) *source = 1;
    return CString(buf, n);
  }
  for (const BuiltIn& b : kTexts)
    if (b.id == id) {
      if (source) *source = 0;
      return CString(b.text);
    }
  if (source) *source = -1;
  return CString();
}
