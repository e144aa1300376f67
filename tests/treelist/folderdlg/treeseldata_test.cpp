// The tree selection dialog's rows and cells, checked without windows.
#include "treelist/folderdlg/treeseldata.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CTreeSelectData Five() {
  CTreeSelectData d;
  d.AddColumn("Name", 100, 0, false);
  d.AddColumn("Wert", 60, 0, true);
  d.AddColumn("Notiz", 60, 0, true);
  for (int i = 0; i < 5; ++i) {
    int r = d.AddRow(-1, (uint32_t)(10 * i), ("r" + std::to_string(i)).c_str(), false);
    d.SetCell(r, 1, ("w" + std::to_string(i)).c_str());
    if (i != 4) d.SetCell(r, 2, ("n" + std::to_string(i)).c_str());
  }
  return d;
}

TEST(TreeSelectData, ColumnsOnlyBeforeRowsAndAtMost32) {
  CTreeSelectData d;
  for (int i = 0; i < 32; ++i) EXPECT_EQ(d.AddColumn("c", 10, 0, false), i);
  EXPECT_EQ(d.AddColumn("c", 10, 0, false), -1);
  CTreeSelectData e;
  e.AddRow(-1, 0, "x", false);
  EXPECT_EQ(e.AddColumn("late", 10, 0, false), -1);
}

TEST(TreeSelectData, ClearKeepsTheColumns) {
  CTreeSelectData d = Five();
  d.Clear();
  EXPECT_EQ(d.RowCount(), 0);
  EXPECT_EQ(d.ColumnCount(), 3);
  int r = d.AddRow(-1, 1, "neu", false);
  EXPECT_EQ(d.SetCell(r, 2, "n"), 1);
  EXPECT_STREQ(d.GetCellPtr(r, 2), "n");
}

TEST(TreeSelectData, RowsByTextByValueAndPositionCarryTheirCells) {
  CTreeSelectData d = Five();
  // before the first greater value; equal values go after the existing ones
  EXPECT_EQ(d.AddRow(TSD_BY_VALUE, 20, "v20", false), 3);
  EXPECT_EQ(d.AddRow(TSD_BY_TEXT, 0, "r25", false), 3);
  EXPECT_EQ(d.AddRow(1, 7, "pos1", false), 1);
  EXPECT_STREQ(d.GetCellPtr(3, 1), "w2");  // old row 2 moved down with its cell
  EXPECT_STREQ(d.GetCellPtr(1, 1), "");    // the new row has empty cells
  int end = d.AddRow(99, 1, "end", false);  // outside 0..count: appended
  EXPECT_EQ(end, d.RowCount() - 1);
}

TEST(TreeSelectData, DeletingRow2Of5MovesLaterCellsUp) {
  CTreeSelectData d = Five();
  ASSERT_EQ(d.DeleteRow(2), 1);
  EXPECT_EQ(d.RowCount(), 4);
  EXPECT_STREQ(d.GetCellPtr(2, 0), "r3");
  EXPECT_STREQ(d.GetCellPtr(2, 1), "w3");
  EXPECT_STREQ(d.GetCellPtr(2, 2), "n3");
  EXPECT_EQ(d.DeleteRow(4), 0);
}

TEST(TreeSelectData, SortsKeepCellsWithRowsAndBreakTiesByIndex) {
  CTreeSelectData d = Five();
  d.SetValue(0, 99);
  d.SortRows(CTreeSelectData::CompareByValue);
  EXPECT_STREQ(d.GetCellPtr(4, 0), "r0");
  EXPECT_STREQ(d.GetCellPtr(4, 1), "w0");
  CTreeSelectData e = Five();
  e.SetCell(1, 1, "same");
  e.SetCell(3, 1, "same");
  std::vector<int> up = e.SortOrder(1, false), down = e.SortOrder(1, true);
  EXPECT_EQ(up, (std::vector<int>{1, 3, 0, 2, 4}));
  EXPECT_EQ(down, (std::vector<int>{4, 2, 0, 3, 1}));
}

TEST(TreeSelectData, CellAccessRefusesBadInput) {
  CTreeSelectData d = Five();
  char buf[4] = "xyz";
  EXPECT_EQ(d.GetCell(0, 1, buf, 0), -1);
  EXPECT_STREQ(buf, "xyz");  // size < 1 writes nothing
  EXPECT_EQ(d.GetCell(0, 1, buf, 2), 1);
  EXPECT_STREQ(buf, "w");
  EXPECT_EQ(d.GetCellPtr(0, 3), nullptr);
  EXPECT_EQ(d.GetCellPtr(5, 0), nullptr);
  EXPECT_STREQ(d.GetCellPtr(4, 2), "");
  EXPECT_EQ(d.SetCell(0, 3, "x"), 0);
  EXPECT_EQ(d.SetValue(1, 5), 10u);
  EXPECT_EQ(d.FindRow("r3", false), 3);
  EXPECT_EQ(d.FindRow("R3", true), -1);
}

TEST(TreeSelectData, RowLimitAndEmptyRows) {
  CTreeSelectData d;
  for (int i = 0; i < TSD_MAX_ROWS; ++i) ASSERT_GE(d.AddRow(-1, 0, "", false), 0);
  EXPECT_EQ(d.AddRow(-1, 0, "", false), -1);
  EXPECT_TRUE(d.RowEmpty(0));
  CTreeSelectData e = Five();
  EXPECT_FALSE(e.RowEmpty(4));
  e.SetCell(4, 0, "");
  e.SetCell(4, 1, "");
  EXPECT_TRUE(e.RowEmpty(4));
}

}  // namespace
