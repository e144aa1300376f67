// The server-settings lists on a real TreeList under Wine: every column in
// sight, the proportional ones by their weights.
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

TEST(ServerList, LongStoredTextReadsBackWholeAndIsNotRewritten) {
  Host h;
  CServerList list;
  ASSERT_TRUE(list.Create(&h.wnd, 1006, 4614, false));
  SrvValues stored;
  stored.exists = true;
  stored.text[SRV_COL_NAME] = "Karte";
  stored.text[SRV_COL_PATH] = std::string(2000, 'p') + "/{z}/{x}/{y}.png";
  list.Clear();
  list.Append(SrvRowFromValues(false, stored, 0));
  std::vector<SrvRow> rows = list.Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].cells[SRV_COL_PATH] == stored.text[SRV_COL_PATH]) << rows[0].cells[SRV_COL_PATH].size();
  std::vector<SrvRegOp> ops;
  SrvPlanRowWrite(false, 0, rows[0], stored, 0, &ops);
  EXPECT_TRUE(ops.empty()) << ops.size() << " writes, the first to " << ops[0].name;
  list.Ctrl().DestroyWindow();
}
