#include "game/dialogs/serversettingsdlg.h"

#include "files/regkey.h"
#include "game/tileservers.h"
#include "resources/resource.h"

namespace {

// After an edit that would make a 101st row: told once the edit is over.
constexpr UINT kMsgListFull = WM_APP + 0x2D1;

const char kListFull[] = "Eine Liste kann höchstens %i Einträge aufnehmen !";

const char* TableKey(bool layer) { return layer ? tiles::kLayerKey : tiles::kServerKey; }

// The application key for writing without creating keys on the way: a table
// key is made only when something is written into it.
bool OpenAppKey(CRegistryKey& app) {
  return app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_WRITE) || app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE);
}

}  // namespace

BEGIN_MESSAGE_MAP(CServerSettingsDlg, CDialog)
  ON_BN_CLICKED(IDC_SRV_BASEDELETE, OnServerDelete)
  ON_BN_CLICKED(IDC_SRV_LAYERDELETE, OnLayerDelete)
  ON_BN_CLICKED(IDC_SRV_BASEUP, OnServerUp)
  ON_BN_CLICKED(IDC_SRV_LAYERUP, OnLayerUp)
  ON_BN_CLICKED(IDC_SRV_BASEDOWN, OnServerDown)
  ON_BN_CLICKED(IDC_SRV_LAYERDOWN, OnLayerDown)
  ON_BN_CLICKED(IDC_SRV_IMPORT, OnImport)
  ON_BN_CLICKED(IDC_SRV_EXPORT, OnExport)
  ON_BN_CLICKED(IDC_SRV_DEFAULTS, OnRestoreDefaults)
  ON_NOTIFY(TLN_SELCHANGED, IDC_SRV_BASELIST, OnSelChanged)
  ON_NOTIFY(TLN_SELCHANGED, IDC_SRV_LAYERLIST, OnSelChanged)
  ON_NOTIFY(TLN_ENDLABELEDIT, IDC_SRV_BASELIST, OnEndEditCell)
  ON_NOTIFY(TLN_ENDLABELEDIT, IDC_SRV_LAYERLIST, OnEndEditCell)
  ON_NOTIFY(TLN_CHECKCHANGED, IDC_SRV_BASELIST, OnCheckChanged)
  ON_NOTIFY(TLN_CHECKCHANGED, IDC_SRV_LAYERLIST, OnCheckChanged)
  ON_MESSAGE(kMsgListFull, OnListFull)
END_MESSAGE_MAP()

CServerSettingsDlg::CServerSettingsDlg(CWnd* parent) : CDialog(IDD_SERVERSETTINGS, parent) {}

BOOL CServerSettingsDlg::OnInitDialog() {
  m_base.Create(this, IDC_SRV_BASEFRAME, IDC_SRV_BASELIST, false);
  m_layers.Create(this, IDC_SRV_LAYERFRAME, IDC_SRV_LAYERLIST, true);
  FillList(m_base, &m_baseOpened);
  FillList(m_layers, &m_layersOpened);
  CDialog::OnInitDialog();
  UpdateButtons();
  return TRUE;
}

void CServerSettingsDlg::FillList(CServerList& list, int* opened) {
  bool layer = list.IsLayer();
  list.Clear();
  int32_t select = 0;
  int n = 0;
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_READ) && app.OpenSubKey(TableKey(layer), REGKEY_READ)) {
    if (!layer) app.ReadValue(&select, sizeof select, tiles::kSelectValue, REG_DWORD);
    SrvValues v;
    for (; n < SRV_MAX_ROWS && SrvReadValues(app, layer, n, &v); n++) list.Append(SrvRowFromValues(layer, v, m_notation));
  }
  *opened = n;
  if (layer || n == 0) return;
  if (select < 0 || select >= n) select = 0;
  HTREEITEM item = list.Next(nullptr);
  for (int i = 0; i < select && item; i++) item = list.Next(item);
  list.CheckName(item);
}

void CServerSettingsDlg::UpdateButtons() {
  struct {
    CServerList& list;
    UINT up, down, del;
  } lists[] = {{m_base, IDC_SRV_BASEUP, IDC_SRV_BASEDOWN, IDC_SRV_BASEDELETE},
               {m_layers, IDC_SRV_LAYERUP, IDC_SRV_LAYERDOWN, IDC_SRV_LAYERDELETE}};
  for (auto& l : lists) {
    ::EnableWindow(::GetDlgItem(m_hWnd, l.up), l.list.CanMoveUp());
    ::EnableWindow(::GetDlgItem(m_hWnd, l.down), l.list.CanMoveDown());
    ::EnableWindow(::GetDlgItem(m_hWnd, l.del), l.list.CanDelete());
  }
}

void CServerSettingsDlg::OnServerDelete() {
  m_base.Delete(m_base.Caret());
  UpdateButtons();
}

void CServerSettingsDlg::OnLayerDelete() {
  m_layers.Delete(m_layers.Caret());
  UpdateButtons();
}

void CServerSettingsDlg::OnServerUp() {
  m_base.MoveUp();
  UpdateButtons();
}

void CServerSettingsDlg::OnLayerUp() {
  m_layers.MoveUp();
  UpdateButtons();
}

void CServerSettingsDlg::OnServerDown() {
  m_base.MoveDown();
  UpdateButtons();
}

void CServerSettingsDlg::OnLayerDown() {
  m_layers.MoveDown();
  UpdateButtons();
}

void CServerSettingsDlg::OnSelChanged(NMHDR*, LRESULT* result) {
  *result = 0;
  UpdateButtons();
}

void CServerSettingsDlg::OnEndEditCell(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const TLNmDispInfo* di = reinterpret_cast<const TLNmDispInfo*>(nm);
  if (!di->item.pszText) return;  // cancelled
  CServerList& list = nm->idFrom == IDC_SRV_BASELIST ? m_base : m_layers;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(di->item.hItem);
  int column = (di->item.mask & TLIF_COLUMN) ? di->item.cChildren : 0;
  // the text stored may differ from the one typed: the dialog stores it
  // and the control keeps its hands off
  *result = 1;
  FinishEdit(list, item, column, di->item.pszText);
  UpdateButtons();
}

void CServerSettingsDlg::OnCheckChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const TLNmTreeView* tv = reinterpret_cast<const TLNmTreeView*>(nm);
  CServerList& list = nm->idFrom == IDC_SRV_BASELIST ? m_base : m_layers;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(tv->itemNew.hItem);
  if (!list.IsEmptyRow(item)) return;
  // the empty row is no entry yet: a box ticked there would take the
  // selection from the base map that has it
  int column = (tv->itemNew.mask & TLIF_COLUMN) ? tv->itemNew.cChildren : 0;
  list.RemoveBox(item, column);
  if (column == SRV_COL_NAME && tv->itemOld.hItem) list.CheckName(reinterpret_cast<HTREEITEM>(tv->itemOld.hItem));
}

bool CServerSettingsDlg::FinishEdit(CServerList& list, HTREEITEM item, int column, const char* typed) {
  bool layer = list.IsLayer();
  if (column < 0 || column >= SrvColumns(layer) || column == SrvFixColumn(layer)) return false;
  SrvCellEdit e = SrvFinishCellEdit(layer, column, typed, m_notation);
  bool emptyRow = list.IsEmptyRow(item);
  if (emptyRow && !e.text.empty() && list.Count() >= SRV_MAX_ROWS) {
    PostMessage(kMsgListFull, 0, 0);
    return false;
  }
  list.SetCellText(item, column, e.text);
  if (e.left) list.SetCellText(item, column - 1, e.leftText);
  if (emptyRow) {
    if (e.text.empty()) return true;
    // a new entry
    int iface = SrvIfaceColumn(layer), fix = SrvFixColumn(layer);
    if (list.CellText(item, iface).empty()) list.SetCellText(item, iface, kSrvIfaceNames[0]);
    if (!list.HasBox(item, fix)) list.SetBox(item, fix, false);
    if (!list.HasBox(item, SRV_COL_NAME)) list.SetBox(item, SRV_COL_NAME, false);
    list.AppendEmptyRow();
    return true;
  }
  if (e.text.empty() && list.CellText(item, SRV_COL_NAME).empty() && list.CellText(item, SRV_COL_SERVER).empty() &&
      list.CellText(item, SRV_COL_PATH).empty())
    list.Delete(item);
  return true;
}

LRESULT CServerSettingsDlg::OnListFull(WPARAM, LPARAM) {
  CString text;
  text.Format(kListFull, (int)SRV_MAX_ROWS);
  ::MessageBoxA(m_hWnd, text, "Fehler", MB_OK | MB_ICONSTOP);
  return 0;
}

int CServerSettingsDlg::WriteTable(CServerList& list, int opened) {
  bool layer = list.IsLayer();
  std::vector<SrvRow> rows = list.Rows();
  CRegistryKey app;
  if (!OpenAppKey(app)) return 0;
  bool open = app.OpenSubKey(TableKey(layer), REGKEY_WRITE) != 0;
  std::vector<SrvRegOp> ops;
  for (size_t i = 0; i < rows.size(); i++) {
    SrvValues stored;
    if (open) SrvReadValues(app, layer, (int)i, &stored);
    SrvPlanRowWrite(layer, (int)i, rows[i], stored, m_notation, &ops);
  }
  if (!layer) {
    uint32_t stored = 0;
    if (open) app.ReadValue(&stored, sizeof stored, tiles::kSelectValue, REG_DWORD);
    uint32_t select = (uint32_t)SrvSelectedRow(rows);
    if (select != stored) ops.push_back({SrvRegOp::kDword, tiles::kSelectValue, std::string(), select});
  }
  SrvPlanDeletes(layer, (int)rows.size(), opened, &ops);
  if (ops.empty()) return 0;
  if (!open) open = app.OpenSubKey(TableKey(layer), REGKEY_CREATE) != 0;
  return open ? SrvApplyOps(app, ops) : 0;
}

void CServerSettingsDlg::OnOK() {
  int changed = WriteTable(m_base, m_baseOpened);
  changed += WriteTable(m_layers, m_layersOpened);
  // without a change the caller has nothing to reload
  EndDialog(changed ? IDOK : IDCANCEL);
}

void CServerSettingsDlg::OnRestoreDefaults() {
  if (::MessageBoxA(m_hWnd, "Sollen wirklich die Standarteinstellungen wiederhergestellt werden ?", "Frage",
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  CRegistryKey app;
  if (app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_WRITE)) {
    app.DeleteKey(tiles::kServerKey);
    app.DeleteKey(tiles::kLayerKey);
  }
  // the caller's reload writes the built-in tables
  EndDialog(IDOK);
}

int CServerSettingsDlg::Message(const char* format, const char* path, UINT type, const char* caption) {
  CString text;
  text.Format(format, path);
  return ::MessageBoxA(m_hWnd, text, caption, type);
}
