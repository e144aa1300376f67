// CPicture and GDI: bitmap headers, device bitmaps and the clipboard.
#include <windows.h>

#include <cstring>
#include <vector>

#include "image/picture.h"

void CPicture::GetBitmapInfo(BITMAPINFO* bmi256) const {
  BITMAPINFOHEADER& h = bmi256->bmiHeader;
  std::memset(&h, 0, sizeof(h));
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = m_width;
  h.biHeight = -m_height;  // rows top-down
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(m_bits);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(ImageBytes());
  h.biClrUsed = m_bits <= 8 ? (1u << m_bits) : 0;
  RGBQUAD* q = bmi256->bmiColors;
  for (int i = 0; i < 256; ++i) {
    q[i].rgbBlue = static_cast<BYTE>(m_palette[i]);
    q[i].rgbGreen = static_cast<BYTE>(m_palette[i] >> 8);
    q[i].rgbRed = static_cast<BYTE>(m_palette[i] >> 16);
    q[i].rgbReserved = 0;
  }
}

namespace {
struct Bmi256 {
  BITMAPINFOHEADER h;
  RGBQUAD c[256];
};
}  // namespace

HBITMAP CPicture::CreateHBitmap(HDC dc) const {
  if (IsEmpty()) return nullptr;
  Bmi256 bmi;
  GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
  void* bits = nullptr;
  HBITMAP hbm = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!hbm || !bits) {
    if (hbm) DeleteObject(hbm);
    return nullptr;
  }
  GdiFlush();
  std::memcpy(bits, m_pixels, ImageBytes());
  return hbm;
}

bool CPicture::FromHBitmap(HWND wnd, HBITMAP bitmap) {
  if (!bitmap) return false;
  BITMAP bm;
  if (GetObjectA(bitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) return false;
  int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  int bits = bm.bmBitsPixel <= 8 ? bm.bmBitsPixel : bm.bmBitsPixel == 32 ? 32 : 24;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) bits = 24;
  CPicture out;
  if (!out.Allocate(bits, bm.bmWidth, height, m_storage)) return false;
  Bmi256 bmi;
  out.GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
  HDC dc = GetDC(wnd);
  if (!dc) return false;
  // the bitmap must not be selected into a DC for GetDIBits
  int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), out.m_pixels,
                        reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
  ReleaseDC(wnd, dc);
  if (lines != height) return false;
  if (bits <= 8) {
    uint32_t pal[256];
    for (int i = 0; i < 256; ++i)
      pal[i] = 0xFF000000u | static_cast<uint32_t>(bmi.c[i].rgbRed) << 16 |
               static_cast<uint32_t>(bmi.c[i].rgbGreen) << 8 | bmi.c[i].rgbBlue;
    out.SetPalette(pal, 256);
  }
  TakePixels(out);
  m_colorKey = kImgNoColorKey;
  return true;
}

bool CPicture::CopyToClipboard(HWND owner) const {
  if (IsEmpty()) return false;
  // CF_DIB: header, colour table, rows bottom-up
  const int colours = m_bits <= 8 ? 1 << m_bits : 0;
  const size_t header = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
  const size_t total = header + ImageBytes();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, total);
  if (!mem) return false;
  uint8_t* p = static_cast<uint8_t*>(GlobalLock(mem));
  if (!p) {
    GlobalFree(mem);
    return false;
  }
  Bmi256 bmi;
  GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
  bmi.h.biHeight = m_height;
  std::memcpy(p, &bmi, header);
  for (int y = 0; y < m_height; ++y)
    std::memcpy(p + header + static_cast<size_t>(m_height - 1 - y) * m_stride, Row(y), m_stride);
  GlobalUnlock(mem);
  if (!OpenClipboard(owner)) {
    GlobalFree(mem);
    return false;
  }
  EmptyClipboard();
  bool ok = SetClipboardData(CF_DIB, mem) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(mem);
  return ok;
}
