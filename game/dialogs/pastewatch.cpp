#include "game/dialogs/pastewatch.h"

namespace {

// the previous procedure and the mark live in window properties, so the
// edit may carry other subclasses of its own
const char kOldProc[] = "OrvPasteWatchProc";
const char kPasting[] = "OrvPasteWatchOn";

LRESULT CALLBACK PasteWatchProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(wnd, kOldProc));
  if (!old) return DefWindowProcA(wnd, msg, wp, lp);
  if (msg == WM_PASTE) {
    HANDLE was = GetPropA(wnd, kPasting);
    SetPropA(wnd, kPasting, reinterpret_cast<HANDLE>(1));
    LRESULT r = CallWindowProcA(old, wnd, msg, wp, lp);
    if (was) SetPropA(wnd, kPasting, was);
    else RemovePropA(wnd, kPasting);
    return r;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(wnd, kOldProc);
    RemovePropA(wnd, kPasting);
  }
  return CallWindowProcA(old, wnd, msg, wp, lp);
}

}  // namespace

bool PasteWatchInstall(HWND edit) {
  if (!edit || GetPropA(edit, kOldProc)) return false;
  LONG_PTR old = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  if (!old || !SetPropA(edit, kOldProc, reinterpret_cast<HANDLE>(old))) return false;
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PasteWatchProc));
  return true;
}

bool PasteWatchIsPasting(HWND edit) { return edit && GetPropA(edit, kPasting) != nullptr; }
