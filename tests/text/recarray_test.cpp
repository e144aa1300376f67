#include <gtest/gtest.h>

#include <stdint.h>

#include "text/recarray.h"

namespace {

struct WorldPoint {
  uint32_t x, y;
};

TEST(RecordArray, InsertAndRemoveKeepOrder) {
  CRecordArray a(sizeof(WorldPoint), 4);
  for (uint32_t i = 0; i < 100; ++i) {
    WorldPoint p{i, i * 2};
    ASSERT_EQ(a.InsertAt(-1, &p), (int)i);
  }
  WorldPoint mid{1000, 1001};
  EXPECT_EQ(a.InsertAt(50, &mid), 50);
  EXPECT_EQ(a.InsertAt(500, nullptr), 101);  // clamped: appended zeros
  EXPECT_EQ(a.GetCount(), 102);
  const WorldPoint* d = (const WorldPoint*)a.GetData();
  EXPECT_EQ(d[49].x, 49u);
  EXPECT_EQ(d[50].x, 1000u);
  EXPECT_EQ(d[51].x, 50u);
  EXPECT_EQ(d[101].x, 0u);
  EXPECT_EQ(a.RemoveRange(10, 20), 10);
  EXPECT_EQ(((WorldPoint*)a.GetAt(10))->x, 20u);
  EXPECT_EQ(a.RemoveRange(90, -1), 2);
  EXPECT_EQ(a.GetCount(), 90);
  EXPECT_EQ(a.GetAt(90), nullptr);
  EXPECT_EQ(a.RemoveRange(5, 5), 0);
}

TEST(RecordArray, RecordSizeRules) {
  CRecordArray a;
  EXPECT_EQ(a.InsertAt(0, nullptr), -1);  // no record size yet
  EXPECT_EQ(a.SetRecordSize(0), -1);
  EXPECT_EQ(a.SetRecordSize(8), 8);
  EXPECT_EQ(a.InsertAt(0, nullptr), 0);
  EXPECT_EQ(a.SetRecordSize(16), -1);
  a.RemoveAll();
  EXPECT_EQ(a.SetRecordSize(16), 16);
  EXPECT_EQ(a.GetRecordSize(), 16);
}

}  // namespace
