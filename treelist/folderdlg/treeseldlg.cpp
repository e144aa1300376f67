// The tree selection dialog's window: the table, choosing, sorting, editing,
// deleting and the layout.
#include "treelist/folderdlg/treeseldlg.h"

#include <string.h>

#include "toolkit/dlgmsg.h"
#include "toolkit/dlgtemplate.h"
#include "toolkit/wndutil.h"

namespace {
std::vector<int> g_rank;  // row -> position of the running sort (UI thread only)
// where the last selection dialog of the process was closed
POINT g_lastPos;
bool g_lastPosValid = false;
// the sort column and its direction, for every dialog of the process
int g_sortColumn = -1;
bool g_sortDown = false;

int Scale(int size, int factor, int base) {
  if (((unsigned)factor >> 16) == 0x1234) return (int)((long long)size * (factor & 0xFFFF) / base);
  return size + (int)((long long)size * factor / base);
}
}  // namespace

CTreeSelectDlg::CTreeSelectDlg(CWnd* parent) : CDialog() { m_pParentWnd = parent; }

INT_PTR CTreeSelectDlg::DoModal() {
  CDlgTemplate t("Auswahl", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME, 225, 184);
  t.SetFont("MS Sans Serif", 8);
  t.AddItemEx(IDC_TS_PROMPT, SS_LEFT, 0, 5, 3, 215, 8, DLGT_STATIC, "");
  t.AddItemEx(IDC_TS_FRAME, SS_LEFT, 0, 0, 15, 225, 145, DLGT_STATIC, "", nullptr, true);
  t.AddItemEx(IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 55, 165, 50, 14, DLGT_BUTTON, "OK");
  t.AddItemEx(IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, 120, 165, 50, 14, DLGT_BUTTON, "Abbrechen");
  m_tmpl = t.Words();
  InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(m_tmpl.data()));
  return CDialog::DoModal();
}

int CTreeSelectDlg::GetResult(char* buffer, int size) const {
  if (!buffer || size < 1) return 0;
  lstrcpynA(buffer, m_result.c_str(), size);
  return lstrlenA(buffer);
}

HTREEITEM CTreeSelectDlg::ItemOfRow(int row) const {
  return row >= 0 && row < (int)m_items.size() ? m_items[(size_t)row] : nullptr;
}

int CTreeSelectDlg::RowOfItem(HTREEITEM item) const {
  if (!item || item == m_addItem) return -1;
  uint32_t d = (uint32_t)const_cast<CTreeListCtrl&>(m_table).SendMessage(TLM_GETITEMDATA, 0, (LPARAM)item);
  // data past the rows (an item left from a deleted row) is no row
  return d == TS_ADDROW_MARK || d >= (uint32_t)m_data.RowCount() ? -1 : (int)d;
}

void CTreeSelectDlg::InsertRowItem(int row) {
  bool multi = (m_options & TSO_MULTI) != 0;
  UINT state = 0, mask = 0;
  if (multi && (m_options & TSO_CHECKS)) {
    state = m_data.IsChecked(row) ? TLIS_CHECKED : TLIS_UNCHECKED;
    mask = 0xF000;
  } else if (multi && m_data.IsChecked(row)) {
    state = mask = TVIS_SELECTED;  // several rows selected at once
  }
  HTREEITEM it = m_table.InsertItem(TVIF_TEXT | TVIF_PARAM | TVIF_STATE, m_data.GetCellPtr(row, 0), 0, 0, state,
                                    mask, row, TVI_ROOT, TVI_LAST);
  m_items[(size_t)row] = it;
  for (int c = 1; c < m_data.ColumnCount(); ++c) {
    const char* text = m_data.GetCellPtr(row, c);
    if (!text || !*text) continue;
    TVITEMA ti = {};
    ti.mask = TVIF_TEXT | TLIF_COLUMN;
    ti.hItem = it;
    ti.pszText = const_cast<char*>(text);
    ti.cChildren = c;
    m_table.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
  }
}

void CTreeSelectDlg::AppendAddRow() {
  m_addItem = m_table.InsertItem(TVIF_TEXT | TVIF_PARAM, "", 0, 0, 0, 0, (LPARAM)TS_ADDROW_MARK, TVI_ROOT, TVI_LAST);
}

BOOL CTreeSelectDlg::OnInitDialog() {
  for (int c = 0; c < m_data.ColumnCount(); ++c)
    if (m_data.GetColumn(c)->editable) m_options |= TSO_EDIT;
  if (!m_data.ColumnCount() && (m_options & (TSO_ADDROW | TSO_DELETE))) m_options |= TSO_EDIT;
  DWORD style = 0x50011010u | ((m_options & TSO_CHECKS) ? 0x100u : 0) | ((m_options & TSO_EDIT) ? 8u : 0);
  m_table.CreateAtDlgItem(WS_EX_CLIENTEDGE, style, IDC_TS_FRAME, this, IDC_TS_TABLE);
  // one checked item only without several rows
  DWORD ex = 0x30000u | ((m_options & TSO_MULTI) ? 0 : 0x2000u) | (((m_options & 3) == 1) ? 2u : 0);
  if (m_options & TSO_FLIPLINES) ex ^= 0x30000u;
  if (m_options & TSO_EDIT) ex |= 0x40000u;
  if (!m_data.ColumnCount()) ex |= 0x1000000u;
  ex |= 0x10080000u;
  m_table.SendMessage(TLM_SETEXTENDEDSTYLE, 0, ex);
  for (int c = 0; c < m_data.ColumnCount(); ++c) {
    const CTreeSelectData::Column* col = m_data.GetColumn(c);
    m_table.InsertColumn(c, col->text.c_str(), col->format, col->width);
    if (col->editable) m_table.SendMessage(TLM_SETCOLUMNEDIT, ((WPARAM)(c & 63) << 11) | 0x106, 0);
  }
  RECT client, table;
  GetClientRect(&client);
  ::GetWindowRect(m_table.m_hWnd, &table);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&table), 2);
  if (m_prompt.empty()) {
    table.top -= 20;
    ::MoveWindow(m_table.m_hWnd, table.left, table.top, table.right - table.left, table.bottom - table.top, FALSE);
  }
  m_margins = {table.left, table.top, client.right - table.right, client.bottom - table.bottom};
  if (!m_hasCancel) ::ShowWindow(::GetDlgItem(m_hWnd, IDCANCEL), SW_HIDE);
  m_table.SendMessage(WM_SETREDRAW, FALSE, 0);
  m_items.assign((size_t)m_data.RowCount(), nullptr);
  for (int r = 0; r < m_data.RowCount(); ++r) InsertRowItem(r);
  if (!(m_options & TSO_MULTI) && m_initialRow != -2 && m_data.RowCount()) {
    int r = m_initialRow < 0 ? 0 : m_initialRow >= m_data.RowCount() ? m_data.RowCount() - 1 : m_initialRow;
    m_table.SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)ItemOfRow(r));
    // with checks OK reads them: the initial row is checked, not only selected
    if (m_options & TSO_CHECKS) SetChecked(ItemOfRow(r), true);
  }
  if (m_options & TSO_ADDROW) AppendAddRow();
  m_table.SendMessage(WM_SETREDRAW, TRUE, 0);
  CDialog::OnInitDialog();
  if (!m_caption.empty()) SetWindowText(m_caption.c_str());
  if (m_prompt.empty())
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_TS_PROMPT), SW_HIDE);
  else
    SetDlgItemText(IDC_TS_PROMPT, m_prompt.c_str());
  Layout(client.right, client.bottom);
  PlaceWindow();
  return TRUE;
}

// Minimum size, then the size (this object's last, else the template's
// scaled by the factors) and the position (the process's last when on
// screen, else centred).
void CTreeSelectDlg::PlaceWindow() {
  RECT win, client, ok, cancel;
  GetWindowRect(&win);
  GetClientRect(&client);
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDOK), &ok);
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDCANCEL), &cancel);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&cancel), 2);
  int w = win.right - win.left, h = win.bottom - win.top;
  int frameW = w - client.right, frameH = h - client.bottom;
  int buttons = m_hasCancel ? cancel.right - ok.left : ok.right - ok.left;
  m_minSize = {buttons + 40 + frameW, client.bottom - ok.top + 100 + frameH};
  if (m_lastSize.cx > 0) {
    w = m_lastSize.cx;
    h = m_lastSize.cy;
  } else {
    w = Scale(w, m_widthFactor, 347);
    h = Scale(h, m_heightFactor, 301);
  }
  w = w < m_minSize.cx ? m_minSize.cx : w;
  h = h < m_minSize.cy ? m_minSize.cy : h;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  bool onScreen = g_lastPosValid && g_lastPos.x >= -20 && g_lastPos.x <= sw - 50 && g_lastPos.y >= -20 &&
                  g_lastPos.y <= sh - 50;
  SetWindowPos(nullptr, g_lastPos.x, g_lastPos.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | (onScreen ? 0 : SWP_NOMOVE));
  if (!onScreen) CenterWindow();
}

void CTreeSelectDlg::KeepPlacement() {
  RECT r;
  GetWindowRect(&r);
  g_lastPos = {r.left, r.top};
  g_lastPosValid = true;
  m_lastSize = {r.right - r.left, r.bottom - r.top};
}

// The dragged edge stops at the minimum size.
void CTreeSelectDlg::OnSizing(UINT edge, RECT* r) {
  if (r->right - r->left < m_minSize.cx) {
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
      r->left = r->right - m_minSize.cx;
    else
      r->right = r->left + m_minSize.cx;
  }
  if (r->bottom - r->top < m_minSize.cy) {
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
      r->top = r->bottom - m_minSize.cy;
    else
      r->bottom = r->top + m_minSize.cy;
  }
}

void CTreeSelectDlg::OnOK() {
  m_chosen = -1;
  HTREEITEM it = (HTREEITEM)m_table.SendMessage(TVM_GETNEXTITEM, TLGN_ROOT, 0);
  for (; it; it = (HTREEITEM)m_table.SendMessage(TVM_GETNEXTITEM, TLGN_NEXTITEM, (LPARAM)it)) {
    int row = RowOfItem(it);
    if (row < 0) continue;
    UINT st = (UINT)m_table.SendMessage(TVM_GETITEMSTATE, (WPARAM)it, 0xFFFFFFFFu);
    bool on = (m_options & TSO_CHECKS) ? (st & 0xF000) == TLIS_CHECKED : (st & TVIS_SELECTED) != 0;
    if (m_options & TSO_MULTI) m_data.SetChecked(row, on);
    if (on) m_chosen = row;
  }
  const char* cell = m_chosen >= 0 ? m_data.GetCellPtr(m_chosen, 0) : nullptr;
  m_result = cell ? cell : "";
  m_resultValue = m_chosen >= 0 ? m_data.GetValue(m_chosen) : 0;
  KeepPlacement();
  CDialog::OnOK();
}

void CTreeSelectDlg::OnCancel() {
  if (!m_hasCancel) return;  // Escape without a Cancel button does nothing
  m_chosen = -1;
  m_result.clear();
  KeepPlacement();
  CDialog::OnCancel();
}

int TL_CALLBACK CTreeSelectDlg::CompareRows(uintptr_t, TLHandle, TLHandle, intptr_t a, intptr_t b, intptr_t) {
  bool ma = (uint32_t)a == TS_ADDROW_MARK, mb = (uint32_t)b == TS_ADDROW_MARK;
  if (ma || mb) return ma == mb ? 0 : ma ? 1 : -1;  // the add row stays last
  size_t ra = (size_t)a, rb = (size_t)b;
  if (ra >= g_rank.size() || rb >= g_rank.size()) return 0;
  return g_rank[ra] - g_rank[rb];
}

void CTreeSelectDlg::SortBy(int column) {
  if (m_options & TSO_NOSORT) return;
  g_sortDown = column == g_sortColumn ? !g_sortDown : false;
  g_sortColumn = column;
  std::vector<int> order = m_data.SortOrder(column, g_sortDown);
  g_rank.assign(order.size(), 0);
  for (size_t i = 0; i < order.size(); ++i) g_rank[(size_t)order[i]] = (int)i;
  TLSortEx s = {TLI_ROOT, &CompareRows, 0};
  m_table.SendMessage(TLM_SORTCHILDRENEX, 0, (LPARAM)&s);
  g_rank.clear();
}

HTREEITEM CTreeSelectDlg::CaretItem() {
  return (HTREEITEM)m_table.SendMessage(TVM_GETNEXTITEM, TVGN_CARET, 0);
}

// The caret's row hands the caret to the next row (the previous one after
// the last); another row's deletion leaves the selection as it is.
void CTreeSelectDlg::DeleteRow(HTREEITEM it) {
  if (!(m_options & TSO_DELETE)) return;
  int row = RowOfItem(it);
  if (row < 0) return;  // nothing, or the empty add row
  HTREEITEM next = nullptr;
  if (it == CaretItem()) {
    next = (HTREEITEM)m_table.SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)it);
    if (!next || next == m_addItem) next = (HTREEITEM)m_table.SendMessage(TVM_GETNEXTITEM, TVGN_PREVIOUS, (LPARAM)it);
  }
  m_data.DeleteRow(row);
  m_items.erase(m_items.begin() + row);
  m_table.SendMessage(TVM_DELETEITEM, 0, (LPARAM)it);
  // the data first, the item second
  for (size_t r = (size_t)row; r < m_items.size(); ++r) m_table.SendMessage(TLM_SETITEMDATA, r, (LPARAM)m_items[r]);
  if (next) m_table.SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)next);
}

void CTreeSelectDlg::EndEdit(const TLNmDispInfo* di) {
  if (!di->item.pszText) return;
  HTREEITEM it = reinterpret_cast<HTREEITEM>(di->item.hItem);
  int column = (di->item.mask & TLIF_COLUMN) ? di->item.cChildren : 0;
  const char* text = di->item.pszText;
  int row = RowOfItem(it);
  if (it == m_addItem) {
    if (!*text) return;  // an empty text adds nothing
    row = m_data.AddRow(-1, m_newValue, column == 0 ? text : "", false);
    if (row < 0) return;
    m_data.SetCell(row, column, text);
    m_items.push_back(it);
    m_table.SendMessage(TLM_SETITEMDATA, (WPARAM)row, (LPARAM)it);
    AppendAddRow();
    m_table.SendMessage(TLM_SETCARET, (WPARAM)column, (LPARAM)it);  // where the user typed
  } else if (row >= 0) {
    m_data.SetCell(row, column, text);
    if (!*text && (m_options & (TSO_DELETE | TSO_DELETEEMPTY)) == (TSO_DELETE | TSO_DELETEEMPTY) &&
        m_data.RowEmpty(row)) {
      m_table.SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)it);
      DeleteRow(it);
      return;
    }
  }
}

// The check box with check boxes, else the selection.
void CTreeSelectDlg::SetChecked(HTREEITEM item, bool on) {
  TVITEMA ti = {};
  ti.mask = TVIF_STATE;
  ti.hItem = item;
  ti.stateMask = (m_options & TSO_CHECKS) ? 0xF000 : TVIS_SELECTED;
  ti.state = (m_options & TSO_CHECKS) ? (on ? TLIS_CHECKED : TLIS_UNCHECKED) : (on ? TVIS_SELECTED : 0);
  m_table.SendMessage(TVM_SETITEMA, 0, (LPARAM)&ti);
}

void CTreeSelectDlg::CheckAll(bool on) {
  if (!(m_options & TSO_MULTI)) return;
  for (HTREEITEM it : m_items) SetChecked(it, on);
}

void CTreeSelectDlg::ShowMenu(HTREEITEM item, int column) {
  HMENU m = CreatePopupMenu();
  HMODULE mod = GetModuleHandleA(nullptr);
  AppendMenuA(m, MF_STRING, TS_CMD_COPY, DlgGetMessageText(mod, 1291));
  if (m_options & TSO_DELETE) AppendMenuA(m, MF_STRING, TS_CMD_DELETE, DlgGetMessageText(mod, 1290));
  if (m_options & TSO_CHECKS) {
    AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(m, MF_STRING, TS_CMD_ALL, DlgGetMessageText(mod, 1294));
    AppendMenuA(m, MF_STRING, TS_CMD_NONE, DlgGetMessageText(mod, 1295));
  }
  POINT pt;
  GetCursorPos(&pt);
  int cmd = TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
  DestroyMenu(m);
  if (cmd == TS_CMD_COPY) {
    const char* t = m_data.GetCellPtr(RowOfItem(item), column);
    if (t) WndSetClipboardText(t, (int)strlen(t));
  } else if (cmd == TS_CMD_DELETE) {
    DeleteRow(item ? item : CaretItem());  // the right-click leaves the caret where it was
  } else if (cmd) {
    SendMessage(WM_COMMAND, (WPARAM)cmd, 0);
  }
}

BOOL CTreeSelectDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case TS_CMD_DELETE: DeleteRow(CaretItem()); return TRUE;
    case TS_CMD_ALL: CheckAll(true); return TRUE;
    case TS_CMD_NONE: CheckAll(false); return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

// The label editor without columns; columns edit through their own editors.
bool CTreeSelectDlg::GrantsEditRequest() const { return !m_data.ColumnCount() && (m_options & TSO_EDIT); }

// Enter on the table opens the caret cell's editor where it has one.
bool CTreeSelectDlg::EditsOnEnter() {
  if (!m_data.ColumnCount()) return GrantsEditRequest();
  int column = (int)m_table.SendMessage(TVM_GETNEXTITEM, TLGN_CARETCOLUMN, 0);
  const CTreeSelectData::Column* col = m_data.GetColumn(column);
  return col && col->editable;
}

BOOL CTreeSelectDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* nm = reinterpret_cast<NMHDR*>(lParam);
  if (nm->idFrom != IDC_TS_TABLE) return CDialog::OnNotify(wParam, lParam, pResult);
  *pResult = 0;
  switch ((int)nm->code) {
    case (int)NM_DBLCLK:
      // not where cells are edited: there a double-click edits
      if (m_options == 0) {
        OnOK();
      } else if (m_options == TSO_CHECKS) {
        HTREEITEM it = CaretItem();
        // the control's one-check rule covers only its own toggle: the
        // initial row's check goes here, or OK would find two
        if (it && it != m_addItem)
          for (HTREEITEM other : m_items) SetChecked(other, other == it);
        OnOK();
      }
      return TRUE;
    case (int)NM_RCLICK: {
      const TLNmClick* c = reinterpret_cast<const TLNmClick*>(lParam);
      ShowMenu(reinterpret_cast<HTREEITEM>(c->itemNew.hItem), (int)((c->action >> 24) & 0x7F));
      *pResult = 1;
      return TRUE;
    }
    case TLN_COLUMNCLICK:
      SortBy(reinterpret_cast<const TLNmColumnClick*>(lParam)->column);
      return TRUE;
    case TLN_ENDLABELEDIT:
      EndEdit(reinterpret_cast<const TLNmDispInfo*>(lParam));
      return TRUE;
    case TLN_EDITREQUEST:
      *pResult = GrantsEditRequest() ? (LRESULT)0x80000000u : 0;
      return TRUE;
    case (int)NM_RETURN:
      if (!EditsOnEnter()) OnOK();  // as the default button would
      return TRUE;
    case TLN_KEYDOWN:
      if (reinterpret_cast<const TLNmKeyDown*>(lParam)->wVKey == VK_DELETE) DeleteRow(CaretItem());
      return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CTreeSelectDlg::Layout(int cx, int cy) {
  if (!m_table.m_hWnd) return;
  ::MoveWindow(m_table.m_hWnd, m_margins.left, m_margins.top, cx - m_margins.left - m_margins.right,
               cy - m_margins.top - m_margins.bottom, TRUE);
  HWND ok = ::GetDlgItem(m_hWnd, IDOK), cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
  RECT r;
  ::GetWindowRect(ok, &r);
  int w = r.right - r.left, h = r.bottom - r.top, gap = w / 3;
  int y = cy - m_margins.bottom + (m_margins.bottom - h) / 2;
  if (m_hasCancel) {
    int x = (cx - 2 * w - gap) / 2;
    ::MoveWindow(ok, x, y, w, h, TRUE);
    ::MoveWindow(cancel, x + w + gap, y, w, h, TRUE);
  } else {
    ::MoveWindow(ok, (cx - w) / 2, y, w, h, TRUE);
  }
}

LRESULT CTreeSelectDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && LOWORD(lParam)) Layout(LOWORD(lParam), HIWORD(lParam));
  if (message == WM_SIZING && lParam) {
    OnSizing((UINT)wParam, reinterpret_cast<RECT*>(lParam));
    return TRUE;
  }
  if (message == WM_ENTERSIZEMOVE || message == WM_EXITSIZEMOVE) {
    RECT r;
    GetWindowRect(&r);
    SIZE now = {r.right - r.left, r.bottom - r.top};
    if (message == WM_EXITSIZEMOVE && (now.cx != m_openSize.cx || now.cy != m_openSize.cy))
      RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    m_openSize = now;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
