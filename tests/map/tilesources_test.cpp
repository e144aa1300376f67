// The source table: how SetSource splits paths and options, when a change
// makes a new generation, and that a copy made through the formatted path
// and options is the same source again.
#include <gtest/gtest.h>

#include <string.h>

#include "map/maptiles.h"

TEST(TileSources, SplitsThePathAndKeepsTheFields) {
  MapTileSources t;
  ASSERT_EQ(1, t.Set(0, "tiles.example:8080", "/watercolor/*.jpg", 0, 1, 0, nullptr, 0));
  EXPECT_STREQ("/watercolor", t[0].folder);
  EXPECT_STREQ(".jpg", t[0].suffix);
  EXPECT_STREQ("jpg", t[0].ext);
  EXPECT_EQ(80, t[0].port);  // 0 or less means 80
  EXPECT_EQ(120000, t[0].timeout);
  EXPECT_EQ(1, t[0].fixed);
  ASSERT_EQ(1, t.Set(1, "h", "a/b/?style=x&v=2", 8080, 0, 2, "TRANS 0x1E00FF00 GRAY 0x12FF0000", 5000));
  EXPECT_STREQ("/a/b", t[1].folder);
  EXPECT_STREQ(".png?style=x&v=2", t[1].suffix);
  EXPECT_EQ(8080, t[1].port);
  EXPECT_EQ(5000, t[1].timeout);
  EXPECT_EQ(4, t[1].optionCount);
  EXPECT_EQ(0x77665522u, t[1].options[0]);
  EXPECT_EQ(0x12FF0000u, t[1].options[3]);
}

TEST(TileSources, SlotZeroCannotBeEmptiedAndBadSlotsAreRefused) {
  MapTileSources t;
  EXPECT_EQ(0, t.Set(0, "", "", 0, 0, 0, nullptr, 0));
  EXPECT_EQ(0, t.Set(0, nullptr, "", 0, 0, 0, nullptr, 0));
  EXPECT_EQ(0, t.Set(8, "h", "", 0, 0, 0, nullptr, 0));
  EXPECT_EQ(0, t.Set(-1, "h", "", 0, 0, 0, nullptr, 0));
  EXPECT_EQ(0, t.SetAlpha(0, 1, 2));
  EXPECT_EQ(0, t.SetAlpha(8, 1, 2));
  EXPECT_EQ(1, t.SetAlpha(7, 1, 2));
}

TEST(TileSources, ApplyCountsUpToTheFirstEmptySlotAndOnlyAfterAChange) {
  MapTileSources t;
  EXPECT_EQ(0, t.Apply());
  t.Set(0, "a", "", 0, 0, 0, nullptr, 0);
  t.Set(1, "b", "x", 0, 0, 0, nullptr, 0);
  t.Set(3, "d", "y", 0, 0, 0, nullptr, 0);  // behind the gap at 2: not active
  ASSERT_EQ(1, t.Apply());
  EXPECT_EQ(2, t.ActiveCount());
  EXPECT_EQ(3u, t.ActiveMask());
  uint8_t g = t.Generation();
  EXPECT_NE(0, g);
  EXPECT_EQ(g, t[1].generation);
  EXPECT_EQ(0, t[3].generation);
  // the same values again change nothing
  t.Set(1, "b", "x", 0, 0, 0, nullptr, 0);
  t.SetAlpha(1, 0, 0);
  EXPECT_EQ(0, t.Apply());
  EXPECT_EQ(g, t.Generation());
  // a new alpha pair does
  t.SetAlpha(1, -20, 100);
  EXPECT_EQ(0, t[1].generation);
  ASSERT_EQ(1, t.Apply());
  EXPECT_NE(g, t.Generation());
  // clearing slot 1 ends the list there
  t.Set(1, "", "", 0, 0, 0, nullptr, 0);
  t.Apply();
  EXPECT_EQ(1, t.ActiveCount());
}

TEST(TileSources, GenerationNeverWrapsToZero) {
  MapTileSources t;
  t.Set(0, "a", "", 0, 0, 0, nullptr, 0);
  for (int i = 0; i < 600; i++) {
    t.MarkChanged();
    ASSERT_EQ(1, t.Apply());
    ASSERT_NE(0, t.Generation());
    ASSERT_EQ(t.Generation(), t[0].generation);
  }
}

TEST(TileSources, ACopyThroughTheFormattedTextIsTheSameSource) {
  const char* paths[] = {"", "plain/folder", "watercolor/*.jpg", "a/?l=map&v=2", "deep/x/*.jpeg?key=1"};
  for (const char* path : paths) {
    MapTileSources a, b;
    a.Set(2, "srv", path, 81, 0, 1, "0xFF0000FF 0x00FFFFFF 12", 0);
    a.Set(3, "srv", path, 81, 0, 1, "GRAY 0x10FFFFFF", 0);
    for (int slot = 2; slot <= 3; slot++) {
      char p[400], o[200];
      a.FormatPath(slot, p, sizeof p);
      a.FormatOptions(slot, o, sizeof o);
      b.Set(slot, a[slot].server, p, a[slot].port, a[slot].fixed, a[slot].iface, o, a[slot].timeout);
      EXPECT_STREQ(a[slot].folder, b[slot].folder) << path;
      EXPECT_STREQ(a[slot].suffix, b[slot].suffix) << path;
      ASSERT_EQ(a[slot].optionCount, b[slot].optionCount) << o;
      EXPECT_EQ(0, memcmp(a[slot].options, b[slot].options, sizeof a[slot].options)) << o;
    }
  }
}
