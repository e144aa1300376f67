// CView's printing: the loop of 57607/57608 and the one-page preview of 57609.
#include "framework/print.h"

#include <commdlg.h>

#include "framework/dialog.h"
#include "framework/docview.h"
#include "framework/gdi.h"
#include "framework/winapp.h"

const char* const AFX_NO_PRINTER_TEXT =
    "Es ist kein Drucker installiert. Richten Sie einen Drucker ein, um zu drucken.";

CPrintInfo::CPrintInfo() = default;

CPrintInfo::~CPrintInfo() {
  if (m_hPrinterDC) ::DeleteDC(m_hPrinterDC);
}

// ------------------------------------------------------------- the view side

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}
void CView::OnPrint(CDC* pDC, CPrintInfo*) { OnDraw(pDC); }

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = ::GetParent(m_hWnd) ? ::GetAncestor(m_hWnd, GA_ROOT) : m_hWnd;
  pd.nMinPage = static_cast<WORD>(pInfo->GetMinPage());
  pd.nMaxPage = static_cast<WORD>(pInfo->GetMaxPage());
  pd.nFromPage = pd.nMinPage;
  pd.nToPage = pd.nMaxPage;
  pd.nCopies = 1;
  if (pInfo->m_bPreview || pInfo->m_bDirect) {
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    BOOL ok = ::PrintDlgA(&pd);
    if (!ok || !pd.hDC) {
      if (pInfo->m_bPreview) return TRUE;  // the preview takes a page of its own
      AfxMessageBox(AFX_NO_PRINTER_TEXT, MB_OK | MB_ICONEXCLAMATION);
      return FALSE;
    }
  } else {
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    if (pInfo->GetMaxPage() == pInfo->GetMinPage()) pd.Flags |= PD_NOPAGENUMS;
    if (!::PrintDlgA(&pd) || !pd.hDC) {  // the dialog tells the user itself
      if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
      if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
      return FALSE;
    }
    if (pd.Flags & PD_PAGENUMS) pInfo->SetPageRange(pd.nFromPage, pd.nToPage);
  }
  if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
  if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
  pInfo->m_hPrinterDC = pd.hDC;
  return TRUE;
}

void CView::OnFilePrint() { PrintPages(FALSE); }
void CView::OnFilePrintDirect() { PrintPages(TRUE); }

void CView::PrintPages(BOOL bDirect) {
  CPrintInfo info;
  info.m_bDirect = bDirect;
  if (!OnPreparePrinting(&info) || !info.m_hPrinterDC) return;
  CDC dc;
  dc.Attach(info.m_hPrinterDC);
  dc.m_bPrinting = TRUE;
  CString title = m_pDocument ? m_pDocument->GetTitle() : CString();
  DOCINFOA di = {};
  di.cbSize = sizeof di;
  di.lpszDocName = title.GetString();
  if (::StartDocA(dc.m_hDC, &di) <= 0) {
    dc.Detach();
    AfxMessageBox(AFX_NO_PRINTER_TEXT, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  OnBeginPrinting(&dc, &info);
  UINT from = info.GetFromPage() < info.GetMinPage() ? info.GetMinPage() : info.GetFromPage();
  UINT to = info.GetToPage() > info.GetMaxPage() ? info.GetMaxPage() : info.GetToPage();
  bool failed = false;
  for (info.m_nCurPage = from; info.m_nCurPage <= to && info.m_bContinuePrinting; ++info.m_nCurPage) {
    OnPrepareDC(&dc, &info);
    if (!info.m_bContinuePrinting) break;
    if (::StartPage(dc.m_hDC) <= 0) {
      failed = true;
      break;
    }
    info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    OnPrint(&dc, &info);
    if (::EndPage(dc.m_hDC) <= 0) {
      failed = true;
      break;
    }
  }
  OnEndPrinting(&dc, &info);
  if (failed)
    ::AbortDoc(dc.m_hDC);
  else
    ::EndDoc(dc.m_hDC);
  dc.Detach();  // CPrintInfo deletes the printer's DC
}

// ------------------------------------------------------------------ preview

namespace {

// The page in a window of its own; a click, Escape or closing ends it.
class CPreviewWnd : public CWnd {
 public:
  HBITMAP m_page = nullptr;
  CSize m_size;
  ~CPreviewWnd() override {
    if (m_page) ::DeleteObject(m_page);
  }
  void PostNcDestroy() override { delete this; }
  void OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    ::FillRect(dc.m_hDC, &rc, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    HDC mem = ::CreateCompatibleDC(dc.m_hDC);
    HGDIOBJ old = ::SelectObject(mem, m_page);
    int x = (rc.Width() - m_size.cx) / 2, y = (rc.Height() - m_size.cy) / 2;
    ::BitBlt(dc.m_hDC, x, y, m_size.cx, m_size.cy, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
  }
  void OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar == VK_ESCAPE || nChar == VK_RETURN) DestroyWindow();
  }
  void OnLButtonDown(UINT, CPoint) { DestroyWindow(); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPreviewWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_KEYDOWN()
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

}  // namespace

void CView::OnFilePrintPreview() {
  CPrintInfo info;
  info.m_bPreview = TRUE;
  if (!OnPreparePrinting(&info)) return;
  int pageW = AFX_PREVIEW_A4_WIDTH, pageH = AFX_PREVIEW_A4_HEIGHT;
  if (info.m_hPrinterDC) {
    pageW = ::GetDeviceCaps(info.m_hPrinterDC, HORZRES);
    pageH = ::GetDeviceCaps(info.m_hPrinterDC, VERTRES);
    if (pageW <= 0 || pageH <= 0) pageW = AFX_PREVIEW_A4_WIDTH, pageH = AFX_PREVIEW_A4_HEIGHT;
  }
  // the page scaled to most of the screen's height
  int screenH = ::GetSystemMetrics(SM_CYSCREEN);
  int h = screenH * 3 / 4, w = static_cast<int>(static_cast<long long>(pageW) * h / pageH);
  if (w <= 0 || h <= 0) return;
  HDC screen = ::GetDC(nullptr);
  CDC dc;
  dc.Attach(::CreateCompatibleDC(screen));
  HBITMAP page = ::CreateCompatibleBitmap(screen, w, h);
  ::ReleaseDC(nullptr, screen);
  if (!dc.m_hDC || !page) {
    if (page) ::DeleteObject(page);
    return;
  }
  HGDIOBJ old = dc.SelectObject(page);
  RECT all = {0, 0, w, h};
  ::FillRect(dc.m_hDC, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  // the view draws in page units; the DC scales them to the preview
  dc.m_bPrinting = TRUE;
  ::SetMapMode(dc.m_hDC, MM_ANISOTROPIC);
  ::SetWindowExtEx(dc.m_hDC, pageW, pageH, nullptr);
  ::SetViewportExtEx(dc.m_hDC, w, h, nullptr);
  info.m_rectDraw.SetRect(0, 0, pageW, pageH);
  OnBeginPrinting(&dc, &info);
  OnPrepareDC(&dc, &info);
  OnPrint(&dc, &info);
  OnEndPrinting(&dc, &info);
  ::SetMapMode(dc.m_hDC, MM_TEXT);
  dc.SelectObject(old);
  dc.DeleteDC();

  CPreviewWnd* wnd = new CPreviewWnd;
  wnd->m_page = page;
  wnd->m_size = CSize(w, h);
  CWnd* top = GetTopLevelParent();
  int ww = w + 80, wh = h + 100;
  if (!wnd->CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW)),
                     "Seitenansicht", WS_OVERLAPPEDWINDOW | WS_VISIBLE, (::GetSystemMetrics(SM_CXSCREEN) - ww) / 2,
                     (screenH - wh) / 2, ww, wh, SafeHwnd(top), nullptr)) {
    delete wnd;  // its destructor frees the page
  }
}
