#include "framework/controls.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  int n = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, nIndex));
  if (n <= 0) {
    rString.Empty();
    return;
  }
  n = static_cast<int>(SendMessage(CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(rString.GetBuffer(n))));
  rString.ReleaseBuffer(n > 0 ? n : 0);
}

void CListBox::GetText(int nIndex, CString& rString) const {
  int n = static_cast<int>(SendMessage(LB_GETTEXTLEN, nIndex));
  if (n <= 0) {
    rString.Empty();
    return;
  }
  n = static_cast<int>(SendMessage(LB_GETTEXT, nIndex, reinterpret_cast<LPARAM>(rString.GetBuffer(n))));
  rString.ReleaseBuffer(n > 0 ? n : 0);
}
