#include "framework/commondlg.h"

#include <ole2.h>

#include <cstring>

#include "framework/winapp.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt) {
  m_szFile[0] = 0;
  if (lpszFileName) lstrcpynA(m_szFile, lpszFileName, sizeof m_szFile);
  if (lpszFilter) {
    // "a|b|c|d|" becomes "a\0b\0c\0d\0\0"
    for (const char* p = lpszFilter; *p; ++p) m_filter.push_back(*p == '|' ? '\0' : *p);
    if (m_filter.empty() || m_filter.back() != '\0') m_filter.push_back('\0');
    m_filter.push_back('\0');
  }
  memset(&m_ofn, 0, sizeof m_ofn);
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = CWnd::SafeHwnd(pParentWnd);
  m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
  m_ofn.lpstrFile = m_szFile;
  m_ofn.nMaxFile = sizeof m_szFile;
  m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : m_strDefExt.GetString();
  m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
  if (!m_ofn.hwndOwner) m_ofn.hwndOwner = CWnd::SafeHwnd(AfxGetMainWnd());
  BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
  CString path(m_szFile);
  int a = path.ReverseFind('\\'), b = path.ReverseFind('/');
  return path.Mid((a > b ? a : b) + 1);
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot >= 0 ? name.Mid(dot + 1) : CString();
}

CString CFileDialog::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot >= 0 ? name.Left(dot) : name;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Attach(HIMAGELIST h) {
  if (!h) return FALSE;
  DeleteImageList();
  m_hImageList = h;
  return TRUE;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST h = m_hImageList;
  m_hImageList = nullptr;
  return h;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  return ImageList_Destroy(Detach());
}

BOOL AfxOleInit() {
  thread_local int state = 0;  // 0 not tried, 1 ready, -1 failed
  if (state == 0) {
    HRESULT hr = ::OleInitialize(nullptr);
    state = SUCCEEDED(hr) ? 1 : -1;
  }
  return state > 0;
}
