// Monitors, placement, window moves and clipboard text.
#include <gtest/gtest.h>

#include <string.h>

#include "toolkit/wndutil.h"

TEST(Monitors, TableCoversTheScreen) {
  int n = WndEnumMonitors(0);
  ASSERT_GE(n, 1);
  RECT full, work;
  ASSERT_TRUE(WndGetMonitorRect(0, &full, &work));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), full.right - full.left);
  EXPECT_FALSE(WndGetMonitorRect(n, &full, &work));
  RECT inside = {10, 10, 50, 50};
  EXPECT_EQ(0, WndMonitorFromPlacement(&inside));
  RECT distant = {100000, 100000, 100100, 100100};
  EXPECT_EQ(0, WndMonitorFromPlacement(&distant));  // the nearest
  EXPECT_EQ(-1, WndMonitorFromWindow(nullptr));
  EXPECT_TRUE(WndRectFitsMonitor(0, work.left + 5, work.top + 5, 100, 100, 5));
  EXPECT_FALSE(WndRectFitsMonitor(0, work.left + 4, work.top + 5, 100, 100, 5));
  EXPECT_FALSE(WndRectFitsMonitor(99, -10, 0, 100, 100, 0));
}

// A remembered corner is judged against the monitors there now.
TEST(Monitors, RememberedCornerOnALiveMonitorOnly) {
  RECT full, work, live;
  ASSERT_TRUE(WndGetMonitorRect(0, &full, &work));
  EXPECT_FALSE(WndLiveWorkAreaAt(POINT{-100000, 10}, &live));
  ASSERT_TRUE(WndLiveWorkAreaAt(POINT{work.left + 1, work.top + 1}, &live));
  EXPECT_TRUE(EqualRect(&live, &work));
  EXPECT_TRUE(WndRememberedCornerFits(&work, POINT{work.left - 99, work.top - 9}));
  EXPECT_FALSE(WndRememberedCornerFits(&work, POINT{work.left - 100, work.top}));
  EXPECT_FALSE(WndRememberedCornerFits(&work, POINT{work.right - 100, work.top}));
  EXPECT_FALSE(WndRememberedCornerFits(&work, POINT{work.left, work.bottom - 100}));
}

TEST(Monitors, FitMovesAndShrinks) {
  RECT full, work;
  ASSERT_TRUE(WndGetMonitorRect(0, &full, &work));
  int ww = work.right - work.left, wh = work.bottom - work.top;
  RECT rc = {work.right - 50, work.bottom - 20, work.right + 150, work.bottom + 80};
  EXPECT_TRUE(WndFitPlacementToMonitor(&rc, 0, 1));
  EXPECT_EQ(200, rc.right - rc.left);
  EXPECT_EQ(work.right, rc.right);
  EXPECT_EQ(work.bottom, rc.bottom);
  RECT big = {-100, -100, ww + 500, wh + 500};
  WndFitPlacementToMonitor(&big, 0, 1);
  EXPECT_EQ(work.left, big.left);
  EXPECT_EQ(ww, big.right - big.left);
  EXPECT_EQ(wh, big.bottom - big.top);
  RECT ok = {work.left + 10, work.top + 10, work.left + 20, work.top + 20};
  EXPECT_FALSE(WndFitPlacementToMonitor(&ok, 0, 1));
}

TEST(Windows, MoveAndResize) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, parent);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 10, 20, 30, 40, parent, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, child);
  EXPECT_TRUE(WndMove(child, 5, 7, true));
  RECT rc;
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, parent, (POINT*)&rc, 2);
  EXPECT_EQ(15, rc.left);
  EXPECT_EQ(27, rc.top);
  EXPECT_EQ(30, rc.right - rc.left);
  EXPECT_TRUE(WndResize(child, 10, -5, true));
  GetWindowRect(child, &rc);
  EXPECT_EQ(40, rc.right - rc.left);
  EXPECT_EQ(35, rc.bottom - rc.top);
  EXPECT_TRUE(WndResize(child, 12, 13, false));
  GetWindowRect(child, &rc);
  EXPECT_EQ(12, rc.right - rc.left);
  DestroyWindow(parent);
}

TEST(Clipboard, TextRoundTrip) {
  const char text[] = "Zeile l\xF6schen\tmit Tab";
  ASSERT_NE(0, WndSetClipboardText(text, -1));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_TEXT);
  ASSERT_NE(nullptr, h);
  const char* p = (const char*)GlobalLock(h);
  ASSERT_NE(nullptr, p);
  EXPECT_STREQ(text, p);
  GlobalUnlock(h);
  CloseClipboard();
  // a length cuts the text
  ASSERT_NE(0, WndSetClipboardText(text, 5));
  ASSERT_TRUE(OpenClipboard(nullptr));
  h = GetClipboardData(CF_TEXT);
  ASSERT_NE(nullptr, h);
  EXPECT_STREQ("Zeile", (const char*)GlobalLock(h));
  GlobalUnlock(h);
  CloseClipboard();
  EXPECT_EQ(0, WndSetClipboardText(nullptr, -1));
}
