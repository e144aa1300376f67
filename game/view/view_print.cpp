// Printing the map: the visible map is copied when printing begins and
// scaled onto each page, keeping its aspect, inside a margin, framed.
#include "game/view/orvalo_view.h"

#include <string.h>

#include "framework/print.h"
#include "image/picture.h"

namespace {
constexpr int kPrintMargin = 10;  // logical units around the picture
}

BOOL COrvaloView::MakePrintImage() {
  FreePrintImage();
  if (!m_map.GetSafeHwnd()) return FALSE;
  m_printImage = new CPicture;
  if (!m_map.CopyToImage(0, m_printImage) || m_printImage->Width() <= 0) {
    FreePrintImage();
    return FALSE;
  }
  return TRUE;
}

void COrvaloView::FreePrintImage() {
  delete m_printImage;
  m_printImage = nullptr;
}

void COrvaloView::PrintImageTo(CDC* pDC, const RECT& page) {
  if (!m_printImage || !pDC) return;
  int w = m_printImage->Width(), h = m_printImage->Height();
  int roomW = page.right - page.left - 2 * kPrintMargin, roomH = page.bottom - page.top - 2 * kPrintMargin;
  if (w <= 0 || h <= 0 || roomW <= 0 || roomH <= 0) return;
  // the largest size of the picture's aspect that fits
  int outW = roomW, outH = (int)((long long)roomW * h / w);
  if (outH > roomH) {
    outH = roomH;
    outW = (int)((long long)roomH * w / h);
  }
  int x = page.left + kPrintMargin + (roomW - outW) / 2, y = page.top + kPrintMargin + (roomH - outH) / 2;

  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[256];
  } bi;
  memset(&bi, 0, sizeof bi);
  m_printImage->GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bi));
  const uint8_t* bits = m_printImage->Row(0);  // rows top-down
  HDC dc = pDC->GetSafeHdc();
  int oldMode = SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, x, y, outW, outH, 0, 0, w, h, bits, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, x, y, x + outW, y + outH);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

void COrvaloView::OnBeginPrinting(CDC*, CPrintInfo*) { MakePrintImage(); }

void COrvaloView::OnPrint(CDC* pDC, CPrintInfo* pInfo) { PrintImageTo(pDC, pInfo->m_rectDraw); }

void COrvaloView::OnEndPrinting(CDC*, CPrintInfo*) { FreePrintImage(); }
