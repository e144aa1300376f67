// CTreeSelectDlg: a table of rows in a TreeList to pick one row from, or to
// check several; cells may be edited, rows added, deleted, sorted, copied.
#pragma once

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "treelist/folderdlg/treeseldata.h"
#include "treelist/treelistctrl.h"

enum : unsigned {
  TSO_MULTI = 1,
  TSO_CHECKS = 2,
  TSO_FLIPLINES = 4,
  TSO_NOSORT = 8,
  TSO_ADDROW = 16,
  TSO_DELETE = 32,
  TSO_DELETEEMPTY = 64,
  TSO_EDIT = 128,
};

enum : int {
  IDC_TS_PROMPT = 1131,
  IDC_TS_FRAME = 1046,
  IDC_TS_TABLE = 1007,
  TS_CMD_COPY = 1140,
  TS_CMD_DELETE = 57632,
  TS_CMD_ALL = 1138,
  TS_CMD_NONE = 1139,
};

// The item data of the empty add row: sorted last in either direction.
enum : uint32_t { TS_ADDROW_MARK = 0xFFFFFFFFu };

class CTreeSelectDlg : public CDialog {
 public:
  explicit CTreeSelectDlg(CWnd* parent = nullptr);

  CTreeSelectData& Data() { return m_data; }
  std::string m_caption, m_prompt;
  unsigned m_options = 0;
  bool m_hasCancel = true;
  uint32_t m_newValue = 0;
  int m_initialRow = -1;  // -2: nothing selected

  INT_PTR DoModal() override;
  // the chosen row's text; size < 1 writes nothing
  int GetResult(char* buffer, int size) const;
  int GetChosenRow() const { return m_chosen; }
  // The row of a first-column text (CTreeSelectData::FindRow), which then
  // becomes the initial row; -1 when absent.
  int FindRow(const char* text, bool byCollation) {
    int row = m_data.FindRow(text, byCollation);
    if (row >= 0) m_initialRow = row;
    return row;
  }
  // Size factors for the template's width and height: f adds f/347 of the
  // width (f/301 of the height); 0x1234 in the high word scales by the low
  // word instead (347 or 301 = the template's size).
  void SetSizeFactors(int width, int height) {
    m_widthFactor = width;
    m_heightFactor = height;
  }
  uint32_t GetResultValue() const { return m_resultValue; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HTREEITEM ItemOfRow(int row) const;
  int RowOfItem(HTREEITEM item) const;
  void InsertRowItem(int row);
  void AppendAddRow();
  void SortBy(int column);
  HTREEITEM CaretItem();
  void DeleteRow(HTREEITEM item);
  bool GrantsEditRequest() const;
  bool EditsOnEnter();
  void EndEdit(const TLNmDispInfo* di);
  void ShowMenu(HTREEITEM item, int column);
  void SetChecked(HTREEITEM item, bool on);
  void CheckAll(bool on);
  void Layout(int cx, int cy);
  void PlaceWindow();
  void KeepPlacement();
  void OnSizing(UINT edge, RECT* r);
  static int TL_CALLBACK CompareRows(uintptr_t hwnd, TLHandle a, TLHandle b, intptr_t dataA, intptr_t dataB,
                                     intptr_t self);

  CTreeSelectData m_data;
  CTreeListCtrl m_table;
  std::vector<HTREEITEM> m_items;  // per row: searching for each cell is quadratic
  HTREEITEM m_addItem = nullptr;
  int m_chosen = -1;
  std::string m_result;
  uint32_t m_resultValue = 0;
  RECT m_margins = {};
  int m_buttonGap = 0;
  int m_widthFactor = 0, m_heightFactor = 0;
  SIZE m_minSize = {};
  SIZE m_lastSize = {};  // this dialog's, kept between runs; cx 0 = none
  SIZE m_openSize = {};  // at the start of a size move
  std::vector<WORD> m_tmpl;
};
