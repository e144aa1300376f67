// The server list's rows: shown values, finished edits, the registry writes
// they take.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "game/dialogs/serverrows.h"

namespace {

SrvValues Stored(const char* name, const char* server, const char* path) {
  SrvValues v;
  v.exists = true;
  v.text[SRV_COL_NAME] = name;
  v.text[SRV_COL_SERVER] = server;
  v.text[SRV_COL_PATH] = path;
  return v;
}

std::map<std::string, std::string> Plan(bool layer, const SrvRow& row, const SrvValues& stored, int notation = 0) {
  std::vector<SrvRegOp> ops;
  SrvPlanRowWrite(layer, 7, row, stored, notation, &ops);
  std::map<std::string, std::string> out;
  for (const SrvRegOp& op : ops)
    out[op.name] = op.kind == SrvRegOp::kText ? op.text : op.kind == SrvRegOp::kDword ? std::to_string(op.value) : "-";
  return out;
}

}  // namespace

TEST(ServerRows, AStoredEntryShownAndKeptWritesNothing) {
  for (int notation : {0, 6, 10}) {
    SrvValues v = Stored("Topo", "tile.example:8080", "topo");
    v.text[SRV_COL_XA] = "8.25";
    v.text[SRV_COL_YA] = "47,5";  // a decimal comma, as a user may have stored it
    v.text[SRV_COL_XB] = "0";
    v.fixed = 7;                  // any number but 0 is fixed
    v.iface = 3;                  // a newer URL scheme
    SrvRow shown = SrvRowFromValues(false, v, notation);
    EXPECT_EQ(shown.cells[10], "3");
    EXPECT_TRUE(shown.fixed);
    EXPECT_EQ(shown.cells[SRV_COL_XB], "");  // 0 shows empty
    EXPECT_TRUE(Plan(false, shown, v, notation).empty()) << notation;
  }
}

TEST(ServerRows, OnlyWhatDiffersIsWritten) {
  SrvValues v = Stored("Topo", "h", "p");
  v.iface = 1;
  SrvRow row = SrvRowFromValues(false, v, 0);
  row.cells[SRV_COL_PATH] = "q";
  row.cells[10] = "YANDEX";
  row.fixed = true;
  row.cells[SRV_COL_YA] = SrvAreaText("47.5", 0, 2);
  auto ops = Plan(false, row, v);
  EXPECT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops["Path07"], "q");
  EXPECT_EQ(ops["Interface07"], "2");
  EXPECT_EQ(ops["Fixed07"], "1");
  EXPECT_EQ(ops["AreaYA07"], "47.500000\xb0");
  // an unknown name is 0
  row = SrvRowFromValues(false, v, 0);
  row.cells[10] = "WMS";
  EXPECT_EQ(Plan(false, row, v)["Interface07"], "0");
}

TEST(ServerRows, NewEntriesGetTheirNameAndLoseStaleValues) {
  // what a deleted entry left behind at this index ("Fixed%02i" stays)
  SrvValues stale;
  stale.fixed = 1;
  SrvRow row;
  row.cells[SRV_COL_SERVER] = "h";
  row.cells[10] = "OSM";
  auto ops = Plan(false, row, stale);
  // the table ends at the first missing name: an empty one is written too
  ASSERT_TRUE(ops.count("Name07"));
  EXPECT_EQ(ops["Name07"], "");
  EXPECT_EQ(ops["Fixed07"], "0");
  EXPECT_FALSE(ops.count("Interface07"));
}

TEST(ServerRows, DeletionsKeepFixed) {
  std::vector<SrvRegOp> ops;
  SrvPlanDeletes(false, 3, 5, &ops);
  SrvPlanDeletes(true, 99, 120, &ops);  // nothing beyond 99
  std::map<std::string, int> names;
  for (const SrvRegOp& op : ops) {
    EXPECT_EQ(op.kind, SrvRegOp::kDelete);
    names[op.name]++;
  }
  EXPECT_EQ(names.size(), 2u * 10 + 8);
  for (const char* n : {"Name03", "AreaYB04", "Interface04", "ZoomMin03", "Select99", "Info99"}) EXPECT_TRUE(names.count(n)) << n;
  for (const char* n : {"Fixed03", "Fixed04", "Fixed99", "Name05", "Select03", "Name100"}) EXPECT_FALSE(names.count(n)) << n;
}

TEST(ServerRows, APairTypedIntoALatitudeFillsBothCells) {
  SrvCellEdit e = SrvFinishCellEdit(false, SRV_COL_YA, "47.5, 8.25", 0);
  EXPECT_TRUE(e.left);
  EXPECT_EQ(e.leftText, "8.250000\xb0");
  EXPECT_EQ(e.text, "47.500000\xb0");
  // a decimal comma is part of the number
  e = SrvFinishCellEdit(false, SRV_COL_YB, "47,5", 0);
  EXPECT_FALSE(e.left);
  EXPECT_EQ(e.text, "47.500000\xb0");
  // a second number 0 is no pair; a longitude cell never splits
  e = SrvFinishCellEdit(false, SRV_COL_YA, "47.5 0", 0);
  EXPECT_FALSE(e.left);
  e = SrvFinishCellEdit(false, SRV_COL_XA, "8.25, 47.5", 0);
  EXPECT_FALSE(e.left);
  EXPECT_EQ(e.text, "8.250000\xb0");
  // latitudes in the notation with directions; text without a number empties
  e = SrvFinishCellEdit(false, SRV_COL_YA, "-47.5", 10);
  EXPECT_NE(e.text.find('S'), std::string::npos) << e.text;
  EXPECT_EQ(SrvFinishCellEdit(false, SRV_COL_YA, "abc", 0).text, "");
  // other columns keep what was typed, layers have no areas
  EXPECT_EQ(SrvFinishCellEdit(false, 3, "47.5, 8", 0).text, "47.5, 8");
  EXPECT_EQ(SrvFinishCellEdit(true, SRV_COL_YA, "x", 0).text, "x");
}
