// A cell's text set, and an item's text read, through the control's own
// messages, as a parent does.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "treelist/treelist.h"

inline LRESULT TLSetCellText(HWND tl, uintptr_t item, int column, const char* text) {
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_COLUMN;
  it.hItem = item;
  it.cChildren = column;
  it.pszText = const_cast<char*>(text);
  return SendMessageA(tl, TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
}

inline std::string TLItemTextA(HWND tl, HTREEITEM item) {
  char buf[300] = "";
  TVITEMA it = {};
  it.mask = TVIF_TEXT;
  it.hItem = item;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessageA(tl, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return buf;
}
