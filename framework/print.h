// Printing for views: the state of one print job or preview, and the page
// the preview draws on when no printer is installed.
#pragma once

#include <windows.h>

#include "text/cstring.h"
#include "framework/types.h"

// A4 portrait at 600 dpi: the preview's page without a printer.
#define AFX_PREVIEW_DPI 600
#define AFX_PREVIEW_A4_WIDTH 4961
#define AFX_PREVIEW_A4_HEIGHT 7016

class CPrintInfo {
 public:
  CPrintInfo();
  ~CPrintInfo();

  BOOL m_bPreview = FALSE;  // a preview, not a print job
  BOOL m_bDirect = FALSE;   // print without the print dialog
  BOOL m_bContinuePrinting = TRUE;
  UINT m_nCurPage = 1;
  UINT m_nNumPreviewPages = 1;
  CString m_strPageDesc;
  LPVOID m_lpUserData = nullptr;
  CRect m_rectDraw;         // the printable area of the page, device units

  // the printer's DC DoPreparePrinting got (0 for a preview without printer)
  HDC m_hPrinterDC = nullptr;
  // the page range the program offers and the one the user chose
  void SetMinPage(UINT n) { m_nMinPage = n; }
  void SetMaxPage(UINT n) { m_nMaxPage = n; }
  UINT GetMinPage() const { return m_nMinPage; }
  UINT GetMaxPage() const { return m_nMaxPage; }
  UINT GetFromPage() const { return m_nFromPage; }
  UINT GetToPage() const { return m_nToPage; }
  void SetPageRange(UINT from, UINT to) {
    m_nFromPage = from;
    m_nToPage = to;
  }

 private:
  UINT m_nMinPage = 1, m_nMaxPage = 0xFFFF, m_nFromPage = 1, m_nToPage = 0xFFFF;
  CPrintInfo(const CPrintInfo&) = delete;
  CPrintInfo& operator=(const CPrintInfo&) = delete;
};

// The German message when printing finds no printer.
extern const char* const AFX_NO_PRINTER_TEXT;
