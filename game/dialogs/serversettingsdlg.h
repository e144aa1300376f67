#ifndef ORV_GAME_DIALOGS_SERVERSETTINGSDLG_H
#define ORV_GAME_DIALOGS_SERVERSETTINGSDLG_H
// "Server-Einstellungen": the base-map and layer tables in two lists, edited
// in place, reordered, imported and exported as CSV, written back on OK.
// DoModal gives IDOK only when the registry changed (the caller reloads).

#include "framework/afxwin.h"
#include "game/dialogs/serverlist.h"

class CServerSettingsDlg : public CDialog {
 public:
  explicit CServerSettingsDlg(CWnd* parent = nullptr);
  // Coordinate notation of the area columns (0, 6 or 10); before DoModal.
  void SetNotation(int notation) { m_notation = notation; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnServerDelete();
  void OnLayerDelete();
  void OnServerUp();
  void OnLayerUp();
  void OnServerDown();
  void OnLayerDown();
  void OnImport();
  void OnExport();
  void OnRestoreDefaults();
  void OnSelChanged(NMHDR* nm, LRESULT* result);
  void OnEndEditCell(NMHDR* nm, LRESULT* result);
  void OnCheckChanged(NMHDR* nm, LRESULT* result);
  void UpdateButtons();
  LRESULT OnListFull(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  void FillList(CServerList& list, int* opened);
  int WriteTable(CServerList& list, int opened);
  bool FinishEdit(CServerList& list, HTREEITEM item, int column, const char* typed);
  int Message(const char* format, const char* path, UINT type, const char* caption);
  CServerList m_base, m_layers;
  int m_notation = 0;
  int m_baseOpened = 0, m_layersOpened = 0;  // rows read at opening
};

#endif
