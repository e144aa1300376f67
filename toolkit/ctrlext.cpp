// Ctrl+A for edit fields by a chaining subclass.
#include "toolkit/ctrlext.h"

namespace {
// the control's own procedure, kept with the window
const char kOldProc[] = "OrvCtrlExtOld";

HWND EditOf(HWND control) {
  char cls[16];
  if (!GetClassNameA(control, cls, sizeof cls)) return nullptr;
  if (!lstrcmpiA(cls, "Edit")) return control;
  if (lstrcmpiA(cls, "ComboBox")) return nullptr;
  return FindWindowExA(control, nullptr, "Edit", nullptr);  // none in a drop-down list
}
}  // namespace

BOOL WndInstallCtrlExt(HWND control, WNDPROC proc) {
  HWND edit = control ? EditOf(control) : nullptr;
  if (!edit || GetPropA(edit, kOldProc)) return FALSE;
  if (!proc) proc = WndCtrlExtDefProc;
  WNDPROC old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC));
  if (!old || !SetPropA(edit, kOldProc, reinterpret_cast<HANDLE>(old))) return FALSE;
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  return TRUE;
}

LRESULT CALLBACK WndCtrlExtDefProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetPropA(wnd, kOldProc));
  if (!old) return DefWindowProcA(wnd, message, wParam, lParam);
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
        SendMessageA(wnd, EM_SETSEL, 0, -1);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == 1) return 0;  // the control character of Ctrl+A would only beep
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      RemovePropA(wnd, kOldProc);
      break;
  }
  return CallWindowProcA(old, wnd, message, wParam, lParam);
}
