// CPicture with GDI: DIB sections, device bitmaps and the clipboard (Wine).
#include <gtest/gtest.h>
#include <windows.h>

#include "image/picture.h"

TEST(PictureWin, DibSectionIsSharedWithGdi) {
  CPicture p;
  ASSERT_TRUE(p.Create(32, 40, 20, 0, 1));
  ASSERT_NE(p.GetHBitmap(), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, p.GetHBitmap());
  RECT r = {10, 5, 20, 8};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &r, red);
  GdiFlush();
  SelectObject(dc, old);
  DeleteObject(red);
  DeleteDC(dc);
  // GDI wrote into the same rows, top-down, in 0x00RRGGBB order
  EXPECT_EQ(p.GetPixel(10, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(p.GetPixel(19, 7) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(p.GetPixel(20, 7) & 0xFFFFFF, 0u);
  EXPECT_EQ(p.GetPixel(10, 8) & 0xFFFFFF, 0u);
  // and our drawing reaches GDI
  p.FillRect(0, 0, 2, 2, 0xFF00FF00);
  dc = CreateCompatibleDC(nullptr);
  old = SelectObject(dc, p.GetHBitmap());
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  // conversions keep the picture a DIB section
  ASSERT_TRUE(p.ConvertFrom(p, 8));
  ASSERT_NE(p.GetHBitmap(), nullptr);
  EXPECT_EQ(p.GetColor(1, 1) & 0xFFFFFF, 0x00FF00u);
  p.SetPaletteEntry(static_cast<int>(p.GetPixel(1, 1)), 0xFF0000FFu);  // reaches GDI's colour table
  dc = CreateCompatibleDC(nullptr);
  old = SelectObject(dc, p.GetHBitmap());
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_TRUE(p.Destroy());
  EXPECT_EQ(p.GetHBitmap(), nullptr);
}

TEST(PictureWin, HBitmapRoundTrip) {
  for (int bits : {8, 24, 32}) {
    SCOPED_TRACE(bits);
    CPicture p;
    ASSERT_TRUE(p.Create(bits, 17, 9, 0));
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 17; ++x) p.SetPixel(x, y, bits == 8 ? static_cast<uint32_t>(x * 15 + y) : static_cast<uint32_t>(x * 0x0F0301 + y * 0x11));
    HBITMAP hbm = p.CreateHBitmap();
    ASSERT_NE(hbm, nullptr);
    CPicture q;
    ASSERT_TRUE(q.FromHBitmap(nullptr, hbm));
    DeleteObject(hbm);
    ASSERT_EQ(q.Width(), 17);
    ASSERT_EQ(q.Height(), 9);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_EQ(q.GetColor(x, y) & 0xFFFFFF, p.GetColor(x, y) & 0xFFFFFF) << x << "," << y;
  }
}

TEST(PictureWin, ClipboardGetsABottomUpDib) {
  CPicture p;
  ASSERT_TRUE(p.Create(24, 5, 3, 0x000000));
  p.SetPixel(1, 0, 0x112233);  // top row
  p.SetPixel(4, 2, 0x445566);  // bottom row
  ASSERT_TRUE(p.CopyToClipboard(nullptr));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_DIB);
  ASSERT_NE(h, nullptr);
  const BITMAPINFOHEADER* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
  ASSERT_NE(bi, nullptr);
  EXPECT_EQ(bi->biWidth, 5);
  EXPECT_EQ(bi->biHeight, 3);
  EXPECT_EQ(bi->biBitCount, 24);
  const BYTE* rows = reinterpret_cast<const BYTE*>(bi) + bi->biSize;
  const BYTE* bottom = rows;           // first stored row is the bottom one
  const BYTE* top = rows + 2 * 16;     // rows of 15 bytes padded to 16
  EXPECT_EQ(bottom[4 * 3 + 0], 0x66);
  EXPECT_EQ(bottom[4 * 3 + 2], 0x44);
  EXPECT_EQ(top[1 * 3 + 0], 0x33);
  EXPECT_EQ(top[1 * 3 + 2], 0x11);
  GlobalUnlock(h);
  CloseClipboard();
}
