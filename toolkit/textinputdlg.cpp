#include "toolkit/textinputdlg.h"

#include <string.h>

#include "toolkit/dlgtemplate.h"

namespace {
const int kPrompt = 1001, kEdit = 1002;
}

CTextInputDlg::CTextInputDlg(CWnd* parent) { m_pParentWnd = parent; }

INT_PTR CTextInputDlg::DoModal() {
  CDlgTemplate t(m_title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 220, 64);
  t.AddItem(kPrompt, SS_LEFT | SS_NOPREFIX, 7, 7, 206, 9, 0x0082, m_prompt);
  t.AddItem(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 206, 13, 0x0081, "");
  t.AddItem(IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 107, 42, 50, 14, 0x0080, "OK");
  t.AddItem(IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 42, 50, 14, 0x0080, "Abbrechen");
  InitModalIndirect(t.Get(), m_pParentWnd);
  INT_PTR r = CDialog::DoModal();
  m_lpDialogTemplate = nullptr;  // the template dies with this call
  if (r == -1) return -1;
  return r == IDOK ? 1 : 0;
}

BOOL CTextInputDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemText(kEdit, m_text);
  HWND edit = ::GetDlgItem(m_hWnd, kEdit);
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
  ::SetFocus(edit);
  return FALSE;  // the focus is set
}

void CTextInputDlg::OnOK() {
  GetDlgItemText(kEdit, m_text);
  EndDialog(IDOK);
}

int CTextInputDlg::GetText(char* buffer, int size) const {
  if (!buffer || size < 1) return 0;
  int n = m_text.GetLength();
  if (n > size - 1) n = size - 1;
  memcpy(buffer, (const char*)m_text, n);
  buffer[n] = 0;
  return n;
}
