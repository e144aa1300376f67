// The path combo's segment arrows read back by pixels, with the system's
// Marlett and with the triangles drawn where that font is missing.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "treelist/folderdlg/pathcombo_shared.h"

namespace {

// Dark pixels per column (or row) of a drawn arrow, empty ones left out.
std::vector<int> DarkRuns(bool down, bool marlett) {
  PcShared& sh = PcGetShared();
  bool real = sh.hasMarlett;
  sh.hasMarlett = marlett && real;
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, 24, 24);
  HGDIOBJ old = SelectObject(dc, bm);
  RECT rc = {0, 0, 24, 24};
  FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  PcDrawArrow(dc, rc, down);
  std::vector<int> runs;
  for (int o = 0; o < 24; ++o) {
    int n = 0;
    for (int i = 0; i < 24; ++i) {
      COLORREF c = down ? GetPixel(dc, i, o) : GetPixel(dc, o, i);
      n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
    }
    if (n) runs.push_back(n);
  }
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  sh.hasMarlett = real;
  return runs;
}

// widest first, never wider after, down to a point: no digit's stem
bool Triangle(const std::vector<int>& runs) {
  if (runs.size() < 2 || runs.front() < 3 || runs.back() > 2) return false;
  for (size_t i = 1; i < runs.size(); ++i)
    if (runs[i] > runs[i - 1]) return false;
  return true;
}

TEST(PathComboArrows, TrianglesWithAndWithoutMarlett) {
  for (bool marlett : {true, false}) {
    std::vector<int> right = DarkRuns(false, marlett), down = DarkRuns(true, marlett);
    EXPECT_TRUE(Triangle(right)) << marlett << " right: " << ::testing::PrintToString(right);
    EXPECT_TRUE(Triangle(down)) << marlett << " down: " << ::testing::PrintToString(down);
  }
}

}  // namespace
