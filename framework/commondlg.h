// The common file dialog and small helpers of the class layer.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "text/cstring.h"
#include "framework/wnd.h"

// Open or save dialog. The filter is given as "Text|*.ext;*.ext2|...|"
// ('|' separated, ending with '|'); m_ofn may be adjusted before DoModal.
class CFileDialog {
 public:
  CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
              DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
              CWnd* pParentWnd = nullptr);
  virtual ~CFileDialog() = default;

  virtual INT_PTR DoModal();  // IDOK or IDCANCEL
  CString GetPathName() const { return CString(m_szFile); }
  CString GetFileName() const;  // without the folder
  CString GetFileExt() const;   // without the dot
  CString GetFileTitle() const;  // name without folder and extension

  OPENFILENAMEA m_ofn;

 protected:
  BOOL m_bOpenFileDialog;
  CString m_strDefExt;
  CString m_strTitle;
  std::vector<char> m_filter;  // '\0'-separated, double '\0' at the end
  char m_szFile[MAX_PATH * 4];

 private:
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;
};

// Hourglass cursor for the lifetime of the object.
class CWaitCursor {
 public:
  CWaitCursor() : m_hOld(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
  ~CWaitCursor() { ::SetCursor(m_hOld); }
  void Restore() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }

 private:
  HCURSOR m_hOld;
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// An image list handle; the list is destroyed with the object unless detached.
class CImageList {
 public:
  CImageList() = default;
  virtual ~CImageList() { DeleteImageList(); }
  HIMAGELIST m_hImageList = nullptr;
  operator HIMAGELIST() const { return m_hImageList; }
  HIMAGELIST GetSafeHandle() const { return m_hImageList; }
  BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  BOOL Attach(HIMAGELIST h);
  HIMAGELIST Detach();
  BOOL DeleteImageList();
  int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
  int Add(HBITMAP hbmImage, HBITMAP hbmMask) { return ImageList_Add(m_hImageList, hbmImage, hbmMask); }
  int Add(HBITMAP hbmImage, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hbmImage, crMask); }
  int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
  BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
  BOOL Draw(HDC hdc, int nImage, POINT pt, UINT nStyle) {
    return ImageList_Draw(m_hImageList, nImage, hdc, pt.x, pt.y, nStyle);
  }
  BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }

 private:
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
};

// Initialises OLE for the calling thread once; FALSE when it cannot.
BOOL AfxOleInit();
