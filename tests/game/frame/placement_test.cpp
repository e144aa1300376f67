// Where the frame comes up again: stored values against monitor tables,
// including a second monitor that is there or gone.
#include <gtest/gtest.h>

#include "game/frame/frame_placement.h"

namespace {

MonitorArea Mon(int l, int t, int r, int b, int taskbar = 40) { return {{l, t, r, b}, {l, t, r, b - taskbar}}; }

StoredPlacement Stored(bool zoomed, RECT rc, int monitor) {
  StoredPlacement s;
  s.hasZoomed = true;
  s.zoomed = zoomed;
  s.hasRect = true;
  s.rect = rc;
  s.monitor = monitor;
  return s;
}

const std::vector<MonitorArea> kOne = {Mon(0, 0, 1600, 1000)};
const std::vector<MonitorArea> kTwo = {Mon(0, 0, 1600, 1000), Mon(1600, -200, 3520, 880)};

TEST(Placement, FirstStartKeepsTheSystemPlacement) {
  PlacementDecision d = DecidePlacement(StoredPlacement(), kOne);
  EXPECT_FALSE(d.useRect);
  EXPECT_FALSE(d.maximised);
}

TEST(Placement, ARectangleThatFitsIsTaken) {
  PlacementDecision d = DecidePlacement(Stored(false, {100, 80, 900, 700}, 0), kOne);
  ASSERT_TRUE(d.useRect);
  EXPECT_EQ(100, d.rect.left);
  EXPECT_EQ(700, d.rect.bottom);
  // maximised keeps the rectangle for the restore
  d = DecidePlacement(Stored(true, {100, 80, 900, 700}, 0), kOne);
  EXPECT_TRUE(d.maximised && d.useRect);
}

TEST(Placement, TooCloseToTheEdgeIsFittedIntoTheWorkArea) {
  // 30 pixels from the edge: inside the screen but within the margin
  PlacementDecision d = DecidePlacement(Stored(false, {30, 30, 830, 630}, 0), kOne);
  ASSERT_TRUE(d.useRect);
  EXPECT_EQ(30, d.rect.left);  // fitting moves only what sticks out
  // off screen: moved back, size kept
  d = DecidePlacement(Stored(false, {-30000, 5000, -29200, 5600}, 0), kOne);
  EXPECT_EQ(0, d.rect.left);
  EXPECT_EQ(960, d.rect.bottom);
  EXPECT_EQ(800, d.rect.right - d.rect.left);
  // larger than the work area: shrunk to it
  d = DecidePlacement(Stored(false, {0, 0, 5000, 5000}, 0), kOne);
  EXPECT_EQ(1600, d.rect.right);
  EXPECT_EQ(960, d.rect.bottom);
}

TEST(Placement, TheRememberedMonitorCounts) {
  RECT onSecond = {2000, 0, 2800, 600};
  PlacementDecision d = DecidePlacement(Stored(false, onSecond, 1), kTwo);
  EXPECT_EQ(2000, d.rect.left);
  EXPECT_EQ(0, d.rect.top);
  // the second monitor is gone: the window comes onto the primary one
  d = DecidePlacement(Stored(false, onSecond, 1), kOne);
  EXPECT_LE(d.rect.right, 1600);
  EXPECT_EQ(800, d.rect.right - d.rect.left);
  // stored on the second monitor but remembered as the first: into the first
  d = DecidePlacement(Stored(false, onSecond, 0), kTwo);
  EXPECT_LE(d.rect.right, 1600);
  // a monitor above the primary one (negative top)
  d = DecidePlacement(Stored(false, {1700, -150, 2500, 400}, 1), kTwo);
  EXPECT_EQ(-150, d.rect.top);
}

TEST(Placement, DamagedValuesGiveASaneWindow) {
  // sizes of nothing or beyond reason keep the default placement, state kept
  PlacementDecision d = DecidePlacement(Stored(true, {10, 10, 10, 500}, 0), kOne);
  EXPECT_FALSE(d.useRect);
  EXPECT_TRUE(d.maximised);
  d = DecidePlacement(Stored(false, {100, 100, 50, 50}, 0), kOne);
  EXPECT_FALSE(d.useRect);
  d = DecidePlacement(Stored(false, {0x7FFFFF00, 0, 0x7FFFFFFF, 700}, 57), kTwo);
  ASSERT_TRUE(d.useRect);  // monitor 57 is gone: the primary
  EXPECT_GE(d.rect.left, 0);
  EXPECT_LE(d.rect.right, 1600);
  // no monitor at all
  d = DecidePlacement(Stored(false, {100, 80, 900, 700}, 0), {});
  EXPECT_FALSE(d.useRect);
}

}  // namespace
