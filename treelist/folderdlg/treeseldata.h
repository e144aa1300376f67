// The rows, columns and cells of the tree selection dialog, without windows.
// A row's cells live with the row, so sorting, inserting and deleting rows
// move them along.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum : int {
  TSD_MAX_ROWS = 65535,  // row numbers travel in 16 bits
  TSD_MAX_COLUMNS = 32,  // the TreeList's column limit
  TSD_BY_TEXT = -12345,  // AddRow: before the first row whose text is greater
  TSD_BY_VALUE = -12346,  // AddRow: before the first row whose value is greater
};

class CTreeSelectData {
 public:
  struct Column {
    std::string text;
    int width, format;
    bool editable;
  };
  struct Row {
    uint32_t value;
    bool checked;
    std::string text;
    std::vector<std::string> cells;  // columns 1 and higher
  };
  typedef int (*RowCompare)(const Row& a, const Row& b);

  // -1 once rows exist or beyond TSD_MAX_COLUMNS.
  int AddColumn(const char* text, int width, int format, bool editable);
  // -1 beyond TSD_MAX_ROWS.
  int AddRow(int position, uint32_t value, const char* text, bool checked);
  int DeleteRow(int row);  // 1 or 0
  void Clear();

  int SetRowText(int row, const char* text);
  // column 0 is the row text; 1 or 0
  int SetCell(int row, int column, const char* text);
  // length; empty for a missing cell; size < 1 writes nothing (-1)
  int GetCell(int row, int column, char* buffer, int size) const;
  // empty for a missing cell, null for a bad row or column
  const char* GetCellPtr(int row, int column) const;
  int GetRowText(int row, char* buffer, int size) const { return GetCell(row, 0, buffer, size); }
  uint32_t GetValue(int row) const;
  uint32_t SetValue(int row, uint32_t value);  // the old value
  bool IsChecked(int row) const;
  void SetChecked(int row, bool on);
  // exact byte comparison, or strcmp order with byCollation; -1 when absent
  int FindRow(const char* text, bool byCollation) const;
  void SortRows(RowCompare compare);
  static int CompareByValue(const Row& a, const Row& b);
  // The row order of a header sort: by the column's texts (strcmp), equal
  // texts by row index, descending negating the result.
  std::vector<int> SortOrder(int column, bool descending) const;
  // true when every cell of the row, the row text included, is empty
  bool RowEmpty(int row) const;

  int RowCount() const { return (int)m_rows.size(); }
  int ColumnCount() const { return (int)m_columns.size(); }
  const Column* GetColumn(int c) const { return c >= 0 && c < ColumnCount() ? &m_columns[(size_t)c] : nullptr; }

 private:
  bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
  std::vector<Column> m_columns;
  std::vector<Row> m_rows;
};
