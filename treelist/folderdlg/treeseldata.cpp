#include "treelist/folderdlg/treeseldata.h"

#include <string.h>

#include <algorithm>
#include <numeric>

int CTreeSelectData::AddColumn(const char* text, int width, int format, bool editable) {
  if (!m_rows.empty() || ColumnCount() >= TSD_MAX_COLUMNS) return -1;
  m_columns.push_back({text ? text : "", width & 0xFFFF, format & 0xFF, editable});
  return ColumnCount() - 1;
}

int CTreeSelectData::AddRow(int position, uint32_t value, const char* text, bool checked) {
  if (RowCount() >= TSD_MAX_ROWS) return -1;
  const char* t = text ? text : "";
  int at = RowCount();
  if (position == TSD_BY_TEXT) {
    for (int i = 0; i < RowCount(); ++i)
      if (strcmp(m_rows[(size_t)i].text.c_str(), t) > 0) {
        at = i;
        break;
      }
  } else if (position == TSD_BY_VALUE) {
    for (int i = 0; i < RowCount(); ++i)
      if (m_rows[(size_t)i].value > value) {
        at = i;
        break;
      }
  } else if (position >= 0 && position <= RowCount()) {
    at = position;
  }
  Row r{value, checked, t, {}};
  m_rows.insert(m_rows.begin() + at, std::move(r));
  return at;
}

int CTreeSelectData::DeleteRow(int row) {
  if (!ValidRow(row)) return 0;
  m_rows.erase(m_rows.begin() + row);
  return 1;
}

void CTreeSelectData::Clear() { m_rows.clear(); }  // the columns stay for the next rows

int CTreeSelectData::SetRowText(int row, const char* text) { return SetCell(row, 0, text); }

int CTreeSelectData::SetCell(int row, int column, const char* text) {
  if (!ValidRow(row) || column < 0 || (column > 0 && column >= ColumnCount())) return 0;
  Row& r = m_rows[(size_t)row];
  if (column == 0) {
    r.text = text ? text : "";
    return 1;
  }
  if ((int)r.cells.size() < column) r.cells.resize((size_t)column);
  r.cells[(size_t)column - 1] = text ? text : "";
  return 1;
}

const char* CTreeSelectData::GetCellPtr(int row, int column) const {
  if (!ValidRow(row) || column < 0 || (column > 0 && column >= ColumnCount())) return nullptr;
  const Row& r = m_rows[(size_t)row];
  if (column == 0) return r.text.c_str();
  return column <= (int)r.cells.size() ? r.cells[(size_t)column - 1].c_str() : "";
}

int CTreeSelectData::GetCell(int row, int column, char* buffer, int size) const {
  if (!buffer || size < 1) return -1;
  const char* t = GetCellPtr(row, column);
  if (!t) {
    buffer[0] = 0;
    return -1;
  }
  size_t n = strlen(t);
  if (n > (size_t)size - 1) n = (size_t)size - 1;
  memcpy(buffer, t, n);
  buffer[n] = 0;
  return (int)n;
}

uint32_t CTreeSelectData::GetValue(int row) const { return ValidRow(row) ? m_rows[(size_t)row].value : 0; }

uint32_t CTreeSelectData::SetValue(int row, uint32_t value) {
  if (!ValidRow(row)) return 0;
  uint32_t old = m_rows[(size_t)row].value;
  m_rows[(size_t)row].value = value;
  return old;
}

bool CTreeSelectData::IsChecked(int row) const { return ValidRow(row) && m_rows[(size_t)row].checked; }

void CTreeSelectData::SetChecked(int row, bool on) {
  if (ValidRow(row)) m_rows[(size_t)row].checked = on;
}

int CTreeSelectData::FindRow(const char* text, bool byCollation) const {
  if (!text) return -1;
  for (int i = 0; i < RowCount(); ++i) {
    const std::string& t = m_rows[(size_t)i].text;
    if (byCollation ? strcmp(t.c_str(), text) == 0 : t == text) return i;
  }
  return -1;
}

void CTreeSelectData::SortRows(RowCompare compare) {
  if (!compare) return;
  std::stable_sort(m_rows.begin(), m_rows.end(), [compare](const Row& a, const Row& b) { return compare(a, b) < 0; });
}

int CTreeSelectData::CompareByValue(const Row& a, const Row& b) {
  return a.value < b.value ? -1 : a.value > b.value ? 1 : 0;
}

std::vector<int> CTreeSelectData::SortOrder(int column, bool descending) const {
  std::vector<int> order((size_t)RowCount());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const char* ta = GetCellPtr(a, column);
    const char* tb = GetCellPtr(b, column);
    int c = strcmp(ta ? ta : "", tb ? tb : "");
    if (c == 0) c = a < b ? -1 : a > b ? 1 : 0;
    return descending ? c > 0 : c < 0;
  });
  return order;
}

bool CTreeSelectData::RowEmpty(int row) const {
  if (!ValidRow(row)) return false;
  const Row& r = m_rows[(size_t)row];
  if (!r.text.empty()) return false;
  for (const std::string& c : r.cells)
    if (!c.empty()) return false;
  return true;
}
