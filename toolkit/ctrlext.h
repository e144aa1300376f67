// Ctrl+A (select all) for edit fields and the edit of a combo box, by a
// chaining subclass.
#pragma once

#include <windows.h>

// Installs proc (nullptr: WndCtrlExtDefProc) on the edit control, or on the
// edit inside a combo box. A caller's proc passes what it does not handle
// on to WndCtrlExtDefProc. FALSE when there is no edit or it has one already.
BOOL WndInstallCtrlExt(HWND control, WNDPROC proc = nullptr);

// Selects all on Ctrl+A, then calls the control's own procedure; takes
// itself out when the control is destroyed.
LRESULT CALLBACK WndCtrlExtDefProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
