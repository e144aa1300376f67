#include "game/web/htmlctrl_save.h"

#include <string.h>

#include "game/web/htmlctrl.h"

namespace {

const int kIdFileName = 1148;  // the file-name box of the Save-As dialog
const int kIdFileType = 1136;  // its file-type box

// One automation at a time, process-wide; taken without waiting.
LONG g_busy = 0;

struct SaveState {
  char fileName[MAX_PATH];
  int typeIndex;
  BOOL centreOnly;
  HWND owner;
  HWND dialog;     // the caught Save-As dialog
  WNDPROC dialogProc;
  HWND question;   // its overwrite question
  WNDPROC questionProc;
  BOOL filled;     // name and type written, OK pressed
  HHOOK hook;
};
SaveState g_state;

bool IsDialogClass(HWND hWnd) {
  char cls[16];
  return GetClassNameA(hWnd, cls, sizeof cls) > 0 && strcmp(cls, "#32770") == 0;
}

void CentreOnScreen(HWND hWnd) {
  RECT r;
  GetWindowRect(hWnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hWnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveOffScreen(HWND hWnd) {
  RECT r;
  GetWindowRect(hWnd, &r);
  SetWindowPos(hWnd, nullptr, -2 * (r.right - r.left), r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK QuestionProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC old = g_state.questionProc;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    g_state.question = nullptr;
    return CallWindowProcA(old, hWnd, msg, wParam, lParam);
  }
  LRESULT r = CallWindowProcA(old, hWnd, msg, wParam, lParam);
  if (msg == WM_INITDIALOG) {
    // only the overwrite question asks yes or no; any other message (no
    // such folder, a name refused) is for the user
    bool overwrite = GetDlgItem(hWnd, IDYES) && GetDlgItem(hWnd, IDNO);
    if (g_state.centreOnly || !overwrite) {
      CentreOnScreen(hWnd);
    } else {
      MoveOffScreen(hWnd);
      PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    }
  }
  return r;
}

LRESULT CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC old = g_state.dialogProc;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    g_state.dialog = nullptr;
    return CallWindowProcA(old, hWnd, msg, wParam, lParam);
  }
  LRESULT r = CallWindowProcA(old, hWnd, msg, wParam, lParam);
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK && g_state.filled && IsWindowVisible(hWnd)) {
    // our OK did not end the dialog (its message has been shown): it
    // would wait off the screen for good
    PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  if (msg == WM_INITDIALOG) {
    HWND name = GetDlgItem(hWnd, kIdFileName);
    if (!name) {
      // not a Save-As dialog: leave it alone, and catch the next one
      SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      g_state.dialog = nullptr;
      return r;
    }
    MoveOffScreen(hWnd);
    SetWindowTextA(name, g_state.fileName);
    HWND type = GetDlgItem(hWnd, kIdFileType);
    if (type) {
      SendMessageA(type, CB_SETCURSEL, static_cast<WPARAM>(g_state.typeIndex + 1), 0);
      // as a user's pick: dialogs listen for one or the other
      SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(kIdFileType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(type));
      SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(kIdFileType, CBN_SELENDOK), reinterpret_cast<LPARAM>(type));
      // a type change may rewrite the name's extension: the name wins
      SetWindowTextA(name, g_state.fileName);
    }
    g_state.filled = TRUE;
    PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return r;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    const CBT_CREATEWNDA* cw = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    bool child = cw && cw->lpcs && (cw->lpcs->style & WS_CHILD);
    if (!child && IsDialogClass(hWnd)) {
      if (!g_state.dialog && !g_state.filled) {
        g_state.dialog = hWnd;
        g_state.dialogProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogProc)));
      } else if (g_state.dialog && g_state.filled && !g_state.question && cw->lpcs->hwndParent == g_state.dialog) {
        g_state.question = hWnd;
        g_state.questionProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QuestionProc)));
      }
    }
  }
  return CallNextHookEx(g_state.hook, code, wParam, lParam);
}

// The file's last write, zero when it does not exist.
ULONGLONG LastWrite(const char* fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime |
         1;
}

}  // namespace

int SaveAsDialogRun(HWND owner, const char* fileName, int typeIndex, BOOL centreOnly, void (*call)(void*),
                    void* context) {
  if (!fileName || !call || strlen(fileName) >= MAX_PATH) return -1;
  if (InterlockedCompareExchange(&g_busy, 1, 0) != 0) return -1;
  memset(&g_state, 0, sizeof g_state);
  strcpy(g_state.fileName, fileName);
  g_state.typeIndex = typeIndex;
  g_state.centreOnly = centreOnly;
  g_state.owner = owner;
  ULONGLONG before = LastWrite(fileName);
  g_state.hook = SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
  int result = -1;
  if (g_state.hook) {
    call(context);
    UnhookWindowsHookEx(g_state.hook);
    g_state.hook = nullptr;
    // saved: the file is there now and was written during the call
    ULONGLONG after = LastWrite(fileName);
    if (g_state.filled && after != 0 && after != before) result = 0;
  }
  InterlockedExchange(&g_busy, 0);
  return result;
}

namespace {

void ExecSaveAs(void* ctrl) {
  static_cast<CHtmlCtrl*>(ctrl)->ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
}

}  // namespace

int CHtmlCtrl::SavePageAs(const char* lpszFileName, int nTypeIndex, BOOL bCentreOnly) {
  if (!m_pBrowser) return -1;
  return SaveAsDialogRun(m_hWnd, lpszFileName, nTypeIndex, bCentreOnly, &ExecSaveAs, this);
}
