#include "game/dialogs/serverlist.h"

#include <commctrl.h>

namespace {

struct ColumnDef {
  const char* title;
  int format;  // LVCFMT_LEFT 0, LVCFMT_RIGHT 1
  int width;   // negative: a share of the free width
};

const ColumnDef kBaseColumns[] = {
    {"Name", 0, -55},        {"Server", 0, -99},      {"Pfad", 0, -60},        {"Min. Zoom", 1, 45},
    {"Max. Zoom", 1, 45},    {"Bereich X1", 1, 80},   {"Bereich Y1", 1, 80},   {"Bereich X2", 1, 80},
    {"Bereich Y2", 1, 80},   {"Fix", 0, 30},          {"Interface", 0, 60}};
const ColumnDef kLayerColumns[] = {
    {"Name", 0, -55},          {"Server", 0, -99},       {"Pfad", 0, -60},  {"Alpha Offset", 1, 90},
    {"Alpha Scale", 1, 90},    {"Information", 0, 230},  {"Fix", 0, 30},    {"Interface", 0, 60}};

const DWORD kListStyle = 0x50011108;        // label editing, check boxes, full-row selection, tab stop
const DWORD kBaseOptions = 0x50072420;      // one checked Name box at a time
const DWORD kLayerOptions = 0x50070420;     // any number of shown layers
const UINT kEditText = 0x106;               // edit box over the whole cell, double-click edits
const UINT kEditCheck = 0x642;              // the cell's check box toggles on a click
const UINT kEditChoice = 0x30E;             // drop-down list of an array of names
const UINT kBoxMask = 0xF000;

}  // namespace

BOOL CServerList::Create(CWnd* parent, UINT placeholderId, UINT id, bool layer) {
  m_layer = layer;
  if (!m_ctrl.CreateAtDlgItem(WS_EX_CLIENTEDGE, kListStyle, placeholderId, parent, id)) return FALSE;
  m_ctrl.SendMessage(TLM_SETEXTENDEDSTYLE, 0, layer ? kLayerOptions : kBaseOptions);
  const ColumnDef* cols = layer ? kLayerColumns : kBaseColumns;
  int n = SrvColumns(layer);
  for (int c = 0; c < n; c++) {
    m_ctrl.InsertColumn(c, cols[c].title, cols[c].format, cols[c].width);
    UINT mode = c == SrvFixColumn(layer) ? kEditCheck : c == SrvIfaceColumn(layer) ? kEditChoice : kEditText;
    LPARAM choices = mode == kEditChoice ? (LPARAM)kSrvIfaceNames : 0;
    m_ctrl.SendMessage(TLM_SETCOLUMNEDIT, (WPARAM)c * 2048 + mode, choices);
  }
  return TRUE;
}

void CServerList::Fill(HTREEITEM item, const SrvRow& row) {
  for (int c = 1; c < SrvColumns(m_layer); c++)
    if (c != SrvFixColumn(m_layer)) SetCellText(item, c, row.cells[c]);
  SetBox(item, SrvFixColumn(m_layer), row.fixed);
  SetBox(item, SRV_COL_NAME, row.checked);
}

void CServerList::Append(const SrvRow& row) {
  HTREEITEM empty = (HTREEITEM)m_ctrl.SendMessage(TVM_GETNEXTITEM, TLGN_LASTCHILD, (LPARAM)TLI_ROOT);
  HTREEITEM item = m_ctrl.InsertItem(TVIF_TEXT | TVIF_STATE, row.cells[SRV_COL_NAME].c_str(), 0, 0, 0x1000, kBoxMask,
                                     0, TVI_ROOT, TVI_LAST);
  if (!item) return;
  Fill(item, row);
  if (empty) m_ctrl.SendMessage(TLM_MOVEBEFORE, (WPARAM)empty, (LPARAM)item);
}

void CServerList::AppendEmptyRow() {
  // no boxes: it is no entry yet
  m_ctrl.InsertItem(TVIF_TEXT | TVIF_STATE, "", 0, 0, 0, kBoxMask, 0, TVI_ROOT, TVI_LAST);
}

void CServerList::Clear() {
  m_ctrl.SendMessage(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
  AppendEmptyRow();
}

int CServerList::Count() {
  int n = 0;
  for (HTREEITEM it = Next(nullptr); it && Next(it); it = Next(it)) n++;
  return n;
}

std::vector<SrvRow> CServerList::Rows() {
  std::vector<SrvRow> rows;
  for (HTREEITEM it = Next(nullptr); it && Next(it); it = Next(it)) rows.push_back(Row(it));
  return rows;
}

SrvRow CServerList::Row(HTREEITEM item) {
  SrvRow row;
  for (int c = 0; c < SrvColumns(m_layer); c++)
    if (c != SrvFixColumn(m_layer)) row.cells[c] = CellText(item, c);
  row.fixed = (State(item, SrvFixColumn(m_layer)) & kBoxMask) == TLIS_CHECKED;
  row.checked = (State(item, SRV_COL_NAME) & kBoxMask) == TLIS_CHECKED;
  return row;
}

HTREEITEM CServerList::Caret() { return (HTREEITEM)m_ctrl.SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0); }

HTREEITEM CServerList::Next(HTREEITEM item) {
  if (!item) return (HTREEITEM)m_ctrl.SendMessage(TVM_GETNEXTITEM, TVGN_ROOT, 0);
  return (HTREEITEM)m_ctrl.SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item);
}

HTREEITEM CServerList::Previous(HTREEITEM item) {
  return item ? (HTREEITEM)m_ctrl.SendMessage(TVM_GETNEXTITEM, TVGN_PREVIOUS, (LPARAM)item) : nullptr;
}

void CServerList::Select(HTREEITEM item) {
  if (item) m_ctrl.SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
}

std::string CServerList::CellText(HTREEITEM item, int column) {
  // the stored text itself, whatever its length: a copy into a buffer would
  // cut a long value, and OK would then write it back cut
  TVITEMA ti = {};
  ti.mask = TVIF_TEXT | TLIF_COLUMN | TLIF_TEXTPOINTER;
  ti.hItem = item;
  ti.cChildren = column;
  if (!m_ctrl.SendMessage(TVM_GETITEMA, 0, (LPARAM)&ti) || !ti.pszText || ti.pszText == LPSTR_TEXTCALLBACKA ||
      ti.cchTextMax < 1)
    return std::string();
  return std::string(ti.pszText, (size_t)ti.cchTextMax - 1);
}

void CServerList::SetCellText(HTREEITEM item, int column, const std::string& text) {
  TVITEMA ti = {};
  ti.mask = TVIF_TEXT | TLIF_COLUMN;
  ti.hItem = item;
  ti.pszText = const_cast<char*>(text.c_str());
  ti.cChildren = column;
  m_ctrl.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
}

UINT CServerList::State(HTREEITEM item, int column) {
  TVITEMA ti = {};
  ti.mask = TVIF_STATE | TLIF_COLUMN;
  ti.hItem = item;
  ti.stateMask = kBoxMask;
  ti.cChildren = column;
  return m_ctrl.SendMessage(TVM_GETITEMA, 0, (LPARAM)&ti) ? ti.state : 0;
}

bool CServerList::HasBox(HTREEITEM item, int column) { return (State(item, column) & kBoxMask) != 0; }

void CServerList::SetBox(HTREEITEM item, int column, bool checked) {
  TVITEMA ti = {};
  ti.mask = TVIF_STATE | TLIF_COLUMN;
  ti.hItem = item;
  ti.state = checked ? TLIS_CHECKED : TLIS_UNCHECKED;
  ti.stateMask = kBoxMask;
  ti.cChildren = column;
  m_ctrl.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
}

void CServerList::RemoveBox(HTREEITEM item, int column) {
  TVITEMA ti = {};
  ti.mask = TVIF_STATE | TLIF_COLUMN;
  ti.hItem = item;
  ti.stateMask = kBoxMask;
  ti.cChildren = column;
  m_ctrl.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
}

void CServerList::CheckName(HTREEITEM item) {
  if (item) SetBox(item, SRV_COL_NAME, true);
}

bool CServerList::CanMoveUp() {
  HTREEITEM s = Caret();
  return s && Previous(s) && Next(s);
}

bool CServerList::CanMoveDown() {
  HTREEITEM s = Caret();
  HTREEITEM n = s ? Next(s) : nullptr;
  return n && Next(n);
}

bool CServerList::CanDelete() {
  HTREEITEM s = Caret();
  return s && Next(s);
}

void CServerList::MoveUp() {
  if (!CanMoveUp()) return;
  HTREEITEM s = Caret();
  m_ctrl.SendMessage(TLM_MOVEBEFORE, (WPARAM)Previous(s), (LPARAM)s);
  m_ctrl.SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)s);
}

void CServerList::MoveDown() {
  if (!CanMoveDown()) return;
  HTREEITEM s = Caret();
  m_ctrl.SendMessage(TLM_MOVEBEFORE, (WPARAM)Next(Next(s)), (LPARAM)s);
  m_ctrl.SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)s);
}

void CServerList::Delete(HTREEITEM item) {
  if (!item || !Next(item)) return;
  HTREEITEM next = Next(item);
  m_ctrl.SendMessage(TVM_DELETEITEM, 0, (LPARAM)item);
  Select(next);
}
