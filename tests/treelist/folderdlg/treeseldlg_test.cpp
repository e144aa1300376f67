// The selection dialog's size and place: the size factors, the minimum
// size, the position kept for the process, the size kept per dialog and
// centring.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "treelist/folderdlg/treeseldlg.h"

namespace {

std::function<void(HWND)> g_action;

void CALLBACK OnOpen(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowA(nullptr, "Auswahl");
  if (!dlg || !IsWindowVisible(dlg)) return;
  KillTimer(nullptr, id);
  g_action(dlg);
}

// Runs the dialog; act sees it open and closes it.
INT_PTR RunDlg(CTreeSelectDlg& dlg, const std::function<void(HWND)>& act) {
  g_action = act;
  SetTimer(nullptr, 0, 50, OnOpen);
  return dlg.DoModal();
}

SIZE SizeOf(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void Fill(CTreeSelectDlg& dlg) {
  dlg.Data().AddColumn("Name", 100, 0, false);
  for (const char* t : {"b", "c", "a"}) dlg.Data().AddRow(-1, 0, t, false);
}

TEST(TreeSelectPlace, FactorsMinimumAndKeptPlaces) {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // the first one of the process is centred at the template's size
  SIZE base = {};
  {
    CTreeSelectDlg d;
    Fill(d);
    RunDlg(d, [&](HWND w) {
      base = SizeOf(w);
      RECT r;
      GetWindowRect(w, &r);
      EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 2);
      EXPECT_NEAR((r.top + r.bottom) / 2, sh / 2, 40);  // the work area leaves out the task bar
      SetWindowPos(w, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
  }
  ASSERT_GT(base.cx, 100);
  // factors: 347 doubles the width; 0x1234 in the high word scales the height
  {
    CTreeSelectDlg d;
    Fill(d);
    d.SetSizeFactors(347, 0x12340000 | 602);
    RunDlg(d, [&](HWND w) {
      SIZE s = SizeOf(w);
      EXPECT_NEAR(s.cx, 2 * base.cx, 1);
      EXPECT_NEAR(s.cy, 2 * base.cy, 1);
      RECT r;
      GetWindowRect(w, &r);
      EXPECT_EQ(r.left, 123);  // where the last one was closed
      EXPECT_EQ(r.top, 77);
      PostMessageA(w, WM_COMMAND, IDOK, 0);
    });
  }
  // a tiny factor stops at the minimum, which keeps both buttons in view
  {
    CTreeSelectDlg d;
    Fill(d);
    d.SetSizeFactors(0x12340000 | 1, 0x12340000 | 1);
    RunDlg(d, [&](HWND w) {
      SIZE s = SizeOf(w);
      EXPECT_LT(s.cx, base.cx);
      EXPECT_LT(s.cy, base.cy);
      RECT client, ok, cancel, table;
      GetClientRect(w, &client);
      GetWindowRect(GetDlgItem(w, IDOK), &ok);
      GetWindowRect(GetDlgItem(w, IDCANCEL), &cancel);
      GetWindowRect(GetDlgItem(w, IDC_TS_TABLE), &table);
      MapWindowPoints(nullptr, w, (POINT*)&ok, 2);
      MapWindowPoints(nullptr, w, (POINT*)&cancel, 2);
      EXPECT_GE(ok.left, 0);
      EXPECT_LE(cancel.right, client.right);
      EXPECT_LT(ok.right, cancel.left);
      EXPECT_GE(table.bottom - table.top, 40);
      // dragging an edge inward stops there too
      RECT drag;
      GetWindowRect(w, &drag);
      drag.left = drag.right - 10;
      drag.top = drag.bottom - 10;
      SendMessageA(w, WM_SIZING, WMSZ_TOPLEFT, (LPARAM)&drag);
      EXPECT_EQ(drag.right - drag.left, s.cx);
      EXPECT_EQ(drag.bottom - drag.top, s.cy);
      PostMessageA(w, WM_COMMAND, IDOK, 0);
    });
  }
  // one dialog object keeps its size; a place off the screen is not used
  CTreeSelectDlg d;
  Fill(d);
  RunDlg(d, [&](HWND w) {
    SetWindowPos(w, nullptr, sw + 500, 10, 500, 420, SWP_NOZORDER);
    PostMessageA(w, WM_COMMAND, IDOK, 0);
  });
  RunDlg(d, [&](HWND w) {
    SIZE s = SizeOf(w);
    EXPECT_EQ(s.cx, 500);
    EXPECT_EQ(s.cy, 420);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 2);
    PostMessageA(w, WM_COMMAND, IDOK, 0);
  });
}

TEST(TreeSelectChoice, InitialRowWithChecks) {
  // options 2: OK without a click gives the initial row
  CTreeSelectDlg d;
  Fill(d);
  d.m_options = TSO_CHECKS;
  d.m_initialRow = 1;
  RunDlg(d, [&](HWND w) { PostMessageA(w, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(d.GetChosenRow(), 1);
  char text[8] = "";
  d.GetResult(text, sizeof text);
  EXPECT_STREQ(text, "c");
  // a row found by its text is the initial one; a missing text changes nothing
  CTreeSelectDlg f;
  Fill(f);
  EXPECT_EQ(f.FindRow("a", false), 2);
  EXPECT_EQ(f.FindRow("x", true), -1);
  RunDlg(f, [&](HWND w) { PostMessageA(w, WM_COMMAND, IDOK, 0); });
  EXPECT_EQ(f.GetChosenRow(), 2);
}

TEST(TreeSelectChoice, RowAddedInTheSecondColumnIsSelectedThere) {
  CTreeSelectDlg d;
  d.Data().AddColumn("Name", 100, 0, true);
  d.Data().AddColumn("Wert", 60, 0, true);
  d.Data().AddRow(-1, 0, "b", false);
  d.m_options = TSO_ADDROW;
  int column = -1;
  RunDlg(d, [&](HWND w) {
    HWND t = GetDlgItem(w, IDC_TS_TABLE);
    LPARAM add = 0;  // the empty last row
    for (LPARAM c = SendMessageA(t, TLM_GETNEXTITEM, TLGN_ROOT, 0); c; c = SendMessageA(t, TLM_GETNEXTITEM, TLGN_NEXT, c))
      add = c;
    TLNmDispInfo di = {};
    di.hdr = {(uintptr_t)t, IDC_TS_TABLE, (uint32_t)TLN_ENDLABELEDIT};
    di.item.mask = TLIF_TEXT | TLIF_COLUMN;
    di.item.hItem = (TLHandle)add;
    di.item.pszText = const_cast<char*>("neu");
    di.item.cChildren = 1;
    SendMessageA(w, WM_NOTIFY, IDC_TS_TABLE, (LPARAM)&di);
    column = (int)SendMessageA(t, TLM_GETNEXTITEM, TLGN_CARETCOLUMN, 0);
    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(column, 1);
  ASSERT_EQ(d.Data().RowCount(), 2);
  EXPECT_STREQ(d.Data().GetCellPtr(1, 1), "neu");
}

TEST(TreeSelectChoice, EscapeEmptyAddRowAndDelete) {
  CTreeSelectDlg d;
  Fill(d);  // b c a
  d.m_options = TSO_ADDROW | TSO_DELETE;
  d.m_hasCancel = false;
  INT_PTR r = RunDlg(d, [&](HWND w) {
    HWND t = GetDlgItem(w, IDC_TS_TABLE);
    SendMessageA(w, WM_COMMAND, IDCANCEL, 0);  // Escape without Cancel does nothing
    EXPECT_TRUE(IsWindowVisible(w));
    LPARAM first = SendMessageA(t, TLM_GETNEXTITEM, TLGN_ROOT, 0), add = 0;
    for (LPARAM c = first; c; c = SendMessageA(t, TLM_GETNEXTITEM, TLGN_NEXT, c)) add = c;
    TLNmDispInfo di = {};
    di.hdr = {(uintptr_t)t, IDC_TS_TABLE, (uint32_t)TLN_ENDLABELEDIT};
    di.item.mask = TLIF_TEXT;
    di.item.hItem = (TLHandle)add;
    di.item.pszText = const_cast<char*>("");
    SendMessageA(w, WM_NOTIFY, IDC_TS_TABLE, (LPARAM)&di);  // an empty add row adds nothing
    EXPECT_EQ(d.Data().RowCount(), 3);
    SendMessageA(t, TVM_SELECTITEM, TVGN_CARET, first);
    TLNmKeyDown key = {{(uintptr_t)t, IDC_TS_TABLE, (uint32_t)TLN_KEYDOWN}, VK_DELETE, 0};
    SendMessageA(w, WM_NOTIFY, IDC_TS_TABLE, (LPARAM)&key);  // Delete
    EXPECT_EQ(d.Data().RowCount(), 2);
    SendMessageA(w, WM_COMMAND, TS_CMD_DELETE, 0);  // the menu's "Zeile löschen"
    EXPECT_EQ(d.Data().RowCount(), 1);
    PostMessageA(w, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(r, IDOK);
}

// Enter on the table: with no editable cell it chooses the selected row as
// OK does; on an editable cell it opens the cell's editor instead.
TEST(TreeSelectChoice, EnterChoosesUnlessTheCellEdits) {
  for (bool editable : {false, true}) {
    CTreeSelectDlg d;
    d.Data().AddColumn("Name", 100, 0, editable);
    for (const char* t : {"b", "c"}) d.Data().AddRow(-1, 0, t, false);
    d.m_initialRow = 1;
    bool editing = false;
    INT_PTR r = RunDlg(d, [&](HWND w) {
      HWND t = GetDlgItem(w, IDC_TS_TABLE);
      SetFocus(t);
      SendMessageA(t, WM_KEYDOWN, VK_RETURN, 0x1C0001);
      editing = SendMessageA(t, TLM_GETEDITCONTROL, 0, 0) != 0;
      PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(editing, editable);
    EXPECT_EQ(r, editable ? IDCANCEL : IDOK) << editable;
    EXPECT_EQ(d.GetChosenRow(), editable ? -1 : 1);
  }
}

}  // namespace

namespace {

// Delete pressed on the table twice, then "Alles auswählen": every row left,
// the one made in the add row too, comes back checked.
TEST(TreeSelectChoice, DeleteByKeyThenCheckAll) {
  CTreeSelectDlg d;
  for (const char* t : {"r0", "r1", "r2", "r3"}) d.Data().AddRow(-1, 0, t, false);
  d.m_options = TSO_MULTI | TSO_CHECKS | TSO_ADDROW | TSO_DELETE;
  RunDlg(d, [&](HWND w) {
    HWND t = GetDlgItem(w, IDC_TS_TABLE);
    LPARAM add = 0;
    for (LPARAM c = SendMessageA(t, TLM_GETNEXTITEM, TLGN_ROOT, 0); c; c = SendMessageA(t, TLM_GETNEXTITEM, TLGN_NEXT, c))
      add = c;
    TLNmDispInfo di = {};
    di.hdr = {(uintptr_t)t, IDC_TS_TABLE, (uint32_t)TLN_ENDLABELEDIT};
    di.item.mask = TLIF_TEXT;
    di.item.hItem = (TLHandle)add;
    di.item.pszText = const_cast<char*>("neu");
    SendMessageA(w, WM_NOTIFY, IDC_TS_TABLE, (LPARAM)&di);
    LPARAM second = SendMessageA(t, TLM_GETNEXTITEM, TLGN_NEXT, SendMessageA(t, TLM_GETNEXTITEM, TLGN_ROOT, 0));
    SendMessageA(t, TVM_SELECTITEM, TVGN_CARET, second);
    SetFocus(t);
    for (int i = 0; i < 2; ++i) {
      PostMessageA(t, WM_KEYDOWN, VK_DELETE, 0);
      MSG m;
      while (PeekMessageA(&m, t, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    SendMessageA(w, WM_COMMAND, TS_CMD_ALL, 0);
    PostMessageA(w, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(d.Data().RowCount(), 3);
  const char* left[] = {"r0", "r3", "neu"};
  for (int r = 0; r < 3; ++r) {
    EXPECT_STREQ(d.Data().GetCellPtr(r, 0), left[r]);
    EXPECT_TRUE(d.Data().IsChecked(r)) << r;
  }
}

}  // namespace
