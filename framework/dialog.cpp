#include "framework/dialog.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "text/resinst.h"
#include "framework/winapp.h"

// ---------------------------------------------------------- message boxes

static HWND MessageBoxOwner() {
  HWND h = ::GetActiveWindow();
  if (!h) {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd) h = app->m_pMainWnd->m_hWnd;
  }
  // a child cannot own a message box: take its top-level window
  while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  return h;
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT) {
  CWinApp* app = AfxGetApp();
  const char* caption = app && app->m_pszAppName ? app->m_pszAppName : "";
  return ::MessageBoxA(MessageBoxOwner(), lpszText ? lpszText : "", caption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT) {
  CString s;
  s.LoadString(nIDPrompt);
  return AfxMessageBox(s, nType);
}

// ----------------------------------------------------------- data exchange

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  if (!h) throw CUserException();  // a dialog without the control is a program error
  m_hWndLastControl = h;
  m_bEditLastControl = FALSE;
  return h;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return h;
}

void CDataExchange::Fail() {
  if (!m_bSaveAndValidate) throw CUserException();
  if (m_hWndLastControl) {
    if (m_bEditLastControl) {
      ::SetFocus(m_hWndLastControl);
      ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    } else {
      ::SetFocus(m_hWndLastControl);
    }
  }
  throw CUserException();
}

static CString ControlText(HWND h) {
  CString s;
  int n = ::GetWindowTextLengthA(h);
  if (n > 0) {
    n = ::GetWindowTextA(h, s.GetBuffer(n), n + 1);
    s.ReleaseBuffer(n > 0 ? n : 0);
  }
  return s;
}

// Whole-text number parsing: blanks around are fine, anything else fails.
static bool ParseLong(const CString& text, long long& out, bool bSigned) {
  CString t(text);
  t.Trim();
  if (t.IsEmpty()) return false;
  if (!bSigned && t[0] == '-') return false;
  errno = 0;
  char* end = nullptr;
  long long v = strtoll(t, &end, 10);
  if (errno || !end || *end) return false;
  out = v;
  return true;
}

static void TextNumber(CDataExchange* pDX, int nIDC, long long& v, long long lo, long long hi, bool bSigned) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long x = 0;
    if (!ParseLong(ControlText(h), x, bSigned) || x < lo || x > hi) {
      AfxMessageBox("Bitte geben Sie eine ganze Zahl ein.", MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    v = x;
  } else {
    char buf[32];
    wsprintfA(buf, bSigned ? "%I64d" : "%I64u", v);
    ::SetWindowTextA(h, buf);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    value = ControlText(h);
  else
    ::SetWindowTextA(h, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  long long v = value;
  TextNumber(pDX, nIDC, v, INT_MIN, INT_MAX, true);
  value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  long long v = value;
  TextNumber(pDX, nIDC, v, 0, UINT_MAX, false);
  value = static_cast<UINT>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
  long long v = value;
  TextNumber(pDX, nIDC, v, LONG_MIN, LONG_MAX, true);
  value = static_cast<long>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, unsigned long& value) {
  long long v = value;
  TextNumber(pDX, nIDC, v, 0, ULONG_MAX, false);
  value = static_cast<unsigned long>(v);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    CString t = ControlText(h);
    t.Trim();
    char* end = nullptr;
    double v = t.IsEmpty() ? 0 : strtod(t, &end);
    if (t.IsEmpty() || !end || *end || !std::isfinite(v)) {
      AfxMessageBox("Bitte geben Sie eine Zahl ein.", MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = v;
  } else {
    CString s;
    s.Format("%.15g", value);
    ::SetWindowTextA(h, s);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    value = static_cast<int>(::SendMessageA(h, BM_GETCHECK, 0, 0));
  else
    ::SendMessageA(h, BM_SETCHECK, value, 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) value = -1;
  // the group runs from this button up to the next control with WS_GROUP
  int index = 0;
  do {
    if (::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
      if (pDX->m_bSaveAndValidate) {
        if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
      } else {
        ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      ++index;
    }
    h = ::GetWindow(h, GW_HWNDNEXT);
  } while (h && !(::GetWindowLongA(h, GWL_STYLE) & WS_GROUP));
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    index = static_cast<int>(::SendMessageA(h, CB_GETCURSEL, 0, 0));
  else
    ::SendMessageA(h, CB_SETCURSEL, index, 0);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = ControlText(h);
  } else if (::SendMessageA(h, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(value.GetString())) == CB_ERR) {
    ::SetWindowTextA(h, value);
  }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    index = static_cast<int>(::SendMessageA(h, LB_GETCURSEL, 0, 0));
  else
    ::SendMessageA(h, LB_SETCURSEL, index, 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassWindow(h)) throw CUserException();
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString s;
  s.Format("Bitte geben Sie eine ganze Zahl zwischen %d und %d ein.", minVal, maxVal);
  AfxMessageBox(s, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString s;
  s.Format("Bitte geben Sie eine ganze Zahl zwischen %u und %u ein.", minVal, maxVal);
  AfxMessageBox(s, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString s;
  s.Format("Bitte geben Sie eine Zahl zwischen %g und %g ein.", minVal, maxVal);
  AfxMessageBox(s, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_hWndLastControl && pDX->m_bEditLastControl)
      ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, nChars, 0);
    return;
  }
  if (value.GetLength() <= nChars) return;
  CString s;
  s.Format("Bitte geben Sie höchstens %d Zeichen ein.", nChars);
  AfxMessageBox(s, MB_ICONEXCLAMATION);
  pDX->Fail();
}

// ------------------------------------------------------------------ CDialog

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    CDialog* p = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
    return p ? p->OnInitDialog() : TRUE;
  }
  return FALSE;
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(const char* lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    HWND h = m_hWnd;
    UnsubclassWindow();
    ::DestroyWindow(h);
  }
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
  m_lpDialogTemplate = lpDialogTemplate;
  m_lpszTemplateName = nullptr;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return lpDialogTemplate != nullptr;
}

LPCDLGTEMPLATE CDialog::LoadTemplate(HINSTANCE hInst) const {
  if (m_lpDialogTemplate) return m_lpDialogTemplate;
  if (!m_lpszTemplateName) return nullptr;
  HRSRC res = ::FindResourceA(hInst, m_lpszTemplateName, MAKEINTRESOURCEA(5) /*RT_DIALOG*/);
  HGLOBAL h = res ? ::LoadResource(hInst, res) : nullptr;
  return h ? static_cast<LPCDLGTEMPLATE>(::LockResource(h)) : nullptr;
}

// wnd.cpp: creates the dialog with the creation hook bound to pWnd
BOOL AfxCreateDialogHooked(CWnd* pWnd, LPCDLGTEMPLATE lpTemplate, HWND hWndParent, HINSTANCE hInst,
                           DLGPROC lpDialogFunc);

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, HWND hWndParent, HINSTANCE hInst) {
  if (m_hWnd || !lpDialogTemplate) return FALSE;
  return AfxCreateDialogHooked(this, lpDialogTemplate, hWndParent, hInst, AfxDlgProc);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(const char* lpszTemplateName, CWnd* pParentWnd) {
  m_lpszTemplateName = lpszTemplateName;
  HINSTANCE inst = AfxGetResourceHandle();
  LPCDLGTEMPLATE t = LoadTemplate(inst);
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return t ? CreateDlgIndirect(t, SafeHwnd(m_pParentWnd ? m_pParentWnd : AfxGetMainWnd()), inst) : FALSE;
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return CreateDlgIndirect(lpDialogTemplate, SafeHwnd(m_pParentWnd ? m_pParentWnd : AfxGetMainWnd()),
                           AfxGetResourceHandle());
}

INT_PTR CDialog::DoModal() {
  HINSTANCE inst = AfxGetResourceHandle();
  LPCDLGTEMPLATE tmpl = LoadTemplate(inst);
  if (!tmpl) return -1;
  HWND hParent = SafeHwnd(m_pParentWnd ? m_pParentWnd : AfxGetMainWnd());
  while (hParent && (::GetWindowLongA(hParent, GWL_STYLE) & WS_CHILD)) hParent = ::GetParent(hParent);
  BOOL bEnableParent = FALSE;
  if (hParent && ::IsWindowEnabled(hParent)) {
    ::EnableWindow(hParent, FALSE);
    bEnableParent = TRUE;
  }
  m_bModal = TRUE;
  m_nModalResult = -1;
  m_bInModalLoop = TRUE;
  if (CreateDlgIndirect(tmpl, hParent, inst)) {
    if (m_bInModalLoop) {
      if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
      RunModalLoop();
    }
    if (m_hWnd)
      ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  m_bInModalLoop = FALSE;
  if (bEnableParent) ::EnableWindow(hParent, TRUE);
  if (hParent && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(hParent);
  if (m_hWnd) DestroyWindow();
  m_bModal = FALSE;
  return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
  if (m_bModal) {
    m_nModalResult = nResult;
    EndModalLoop(nResult);
  } else if (m_hWnd) {
    ::ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog stays until destroyed
  }
}

BOOL CDialog::OnInitDialog() {
  if (!UpdateData(FALSE)) return TRUE;
  return TRUE;  // the system sets the focus
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl) ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (!m_hWnd || !pMsg->hwnd) return FALSE;
  if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
  return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  // menu-style commands get a last chance at the application
  if ((nCode != CN_COMMAND && static_cast<UINT>(nCode) != CN_UPDATE_COMMAND_UI) || nID >= 0xF000) return FALSE;
  CWinApp* app = AfxGetApp();
  return app ? app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}
