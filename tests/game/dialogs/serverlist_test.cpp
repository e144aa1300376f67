// The server-settings lists on a real TreeList under Wine: every column in
// sight, rows in and out, and the button rules at both ends.
#include <gtest/gtest.h>

#include <windows.h>

#include "game/dialogs/serverlist.h"

namespace {

struct Host {
  HWND parent = nullptr;
  CWnd wnd;
  Host() {
    parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 5, 5, 727, 200, parent, (HMENU)1006, nullptr, nullptr);
    wnd.Attach(parent);
  }
  ~Host() {
    wnd.Detach();
    DestroyWindow(parent);
  }
};

SrvRow Named(const char* name, const char* server) {
  SrvRow r;
  r.cells[SRV_COL_NAME] = name;
  r.cells[SRV_COL_SERVER] = server;
  r.cells[10] = "ESRI";
  r.fixed = true;
  return r;
}

}  // namespace

TEST(ServerList, ProportionalColumnsLeaveRoomForTheFixedOnes) {
  Host h;
  for (bool layer : {false, true}) {
    CServerList list;
    ASSERT_TRUE(list.Create(&h.wnd, 1006, 4614, layer));
    RECT rc;
    GetClientRect(list.Ctrl().m_hWnd, &rc);
    int sum = 0, n = (int)list.Ctrl().SendMessage(TLM_GETCOLUMNCOUNT);
    ASSERT_EQ(n, SrvColumns(layer));
    for (int c = 0; c < n; c++) {
      int w = (int)list.Ctrl().SendMessage(TLM_GETCOLUMNWIDTH, c);
      EXPECT_GE(w, 16) << "column " << c;
      sum += w;
    }
    // fixed columns inserted after the proportional ones took their room
    EXPECT_LE(sum, rc.right) << (layer ? "layers" : "base maps");
    EXPECT_EQ(list.Ctrl().SendMessage(TLM_GETCOLUMNWIDTH, SrvFixColumn(layer)), 30);
    // and the proportional ones keep their weights (55 : 99 : 60)
    int name = (int)list.Ctrl().SendMessage(TLM_GETCOLUMNWIDTH, 0);
    int server = (int)list.Ctrl().SendMessage(TLM_GETCOLUMNWIDTH, 1);
    EXPECT_NEAR(server * 55.0 / 99.0, name, 3);
    list.Ctrl().DestroyWindow();
  }
}

TEST(ServerList, RowsGoBeforeTheEmptyRowAndMoveByTheRules) {
  Host h;
  CServerList list;
  ASSERT_TRUE(list.Create(&h.wnd, 1006, 4614, false));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  list.Append(Named("a", "ha"));
  list.Append(Named("b", "hb"));
  list.Append(Named("c", "hc"));
  ASSERT_EQ(list.Count(), 3);
  std::vector<SrvRow> rows = list.Rows();
  EXPECT_EQ(rows[2].cells[SRV_COL_SERVER], "hc");
  EXPECT_TRUE(rows[0].fixed);
  EXPECT_EQ(rows[0].cells[10], "ESRI");

  HTREEITEM first = list.Next(nullptr), last = list.Next(list.Next(first));
  HTREEITEM empty = list.Next(last);
  ASSERT_TRUE(list.IsEmptyRow(empty));
  list.Select(first);
  EXPECT_FALSE(list.CanMoveUp());
  EXPECT_TRUE(list.CanMoveDown());
  EXPECT_TRUE(list.CanDelete());
  list.Select(last);
  EXPECT_TRUE(list.CanMoveUp());
  EXPECT_FALSE(list.CanMoveDown());  // never below the empty row
  list.Select(empty);
  EXPECT_FALSE(list.CanMoveUp());
  EXPECT_FALSE(list.CanDelete());

  list.Select(first);
  list.MoveDown();
  list.MoveDown();
  list.MoveDown();  // refused: the empty row stays last
  rows = list.Rows();
  EXPECT_EQ(rows[0].cells[0] + rows[1].cells[0] + rows[2].cells[0], "bca");
  EXPECT_TRUE(list.IsEmptyRow(empty));
  list.Delete(empty);  // never deleted
  list.Delete(list.Caret());
  EXPECT_EQ(list.Count(), 2);
  list.Ctrl().DestroyWindow();
}
