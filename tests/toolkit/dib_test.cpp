// DIBs: size checks, layout, the DC that holds them, and the shared fonts.
#include <gtest/gtest.h>

#include <string.h>

#include "toolkit/dib.h"
#include "toolkit/drawfont.h"

TEST(Dib, RejectsBadSizes) {
  void* bits = (void*)1;
  EXPECT_EQ(nullptr, DibCreate(0, 0, 10, 32, &bits));
  EXPECT_EQ(nullptr, bits);
  EXPECT_EQ(nullptr, DibCreate(0, 10, 0, 32, nullptr));
  EXPECT_EQ(nullptr, DibCreate(0, 65537, 1, 32, nullptr));
  EXPECT_EQ(nullptr, DibCreate(0, -5, 10, 32, nullptr));
  EXPECT_EQ(nullptr, DibCreate(0, 10, 10, 7, nullptr));
  // every side allowed, the block not: 65536 * 65536 * 4 bytes wraps 32 bits
  EXPECT_EQ(nullptr, DibCreate(0, 65536, 65536, 32, nullptr));
  EXPECT_EQ(nullptr, DibCreate(0, 65536, 16384, 32, nullptr));
}

TEST(Dib, LayoutAndDrawing) {
  void* bits = nullptr;
  HDIB d = DibCreate(0, 33, 7, 32, &bits);
  ASSERT_NE(nullptr, d);
  ASSERT_NE(nullptr, bits);
  EXPECT_EQ(33, DibGetWidth(d));
  EXPECT_EQ(7, DibGetHeight(d));
  EXPECT_EQ(132, DibGetStride(d));
  BITMAP bm;
  ASSERT_EQ((int)sizeof bm, GetObjectA(DibGetBitmap(d), sizeof bm, &bm));
  EXPECT_EQ(33, bm.bmWidth);
  EXPECT_EQ(32, bm.bmBitsPixel);
  // GDI draws through the DIB's own DC into the rows the caller sees, top-down
  RECT rc = {2, 1, 3, 2};
  HBRUSH br = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  FillRect(DibGetDC(d), &rc, br);
  DeleteObject(br);
  GdiFlush();
  uint32_t* row1 = (uint32_t*)((uint8_t*)bits + DibGetStride(d));
  EXPECT_EQ(0x123456u, row1[2] & 0xFFFFFF);
  EXPECT_EQ(0u, row1[1] & 0xFFFFFF);
  DibFree(d);
  DibFree(nullptr);

  HDIB mono = DibCreate(0, 9, 3, 1, &bits);
  ASSERT_NE(nullptr, mono);
  EXPECT_EQ(4, DibGetStride(mono));
  DibFree(mono);
  HDIB rgb = DibCreate(0, 5, 2, 24, nullptr);
  ASSERT_NE(nullptr, rgb);
  EXPECT_EQ(16, DibGetStride(rgb));
  DibFree(rgb);
}

TEST(UiFont, FourSharedFonts) {
  HFONT f[4];
  for (int k = 0; k < 4; k++) {
    f[k] = DrawGetUiFont(k);
    ASSERT_NE(nullptr, f[k]);
    EXPECT_EQ(f[k], DrawGetUiFont(k));  // cached
  }
  EXPECT_EQ(nullptr, DrawGetUiFont(4));
  EXPECT_EQ(nullptr, DrawGetUiFont(-1));
  LOGFONTA lf;
  GetObjectA(f[0], sizeof lf, &lf);
  EXPECT_EQ(FW_NORMAL, lf.lfWeight);
  GetObjectA(f[1], sizeof lf, &lf);
  EXPECT_EQ(FW_BOLD, lf.lfWeight);
  GetObjectA(f[2], sizeof lf, &lf);
  EXPECT_EQ(FIXED_PITCH, lf.lfPitchAndFamily & 3);
  // the fixed-pitch font measures every character alike
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f[2]);
  SIZE a, b;
  GetTextExtentPoint32A(dc, "iiii", 4, &a);
  GetTextExtentPoint32A(dc, "WWWW", 4, &b);
  EXPECT_EQ(a.cx, b.cx);
  SelectObject(dc, old);
  DeleteDC(dc);
}
