#ifndef ORV_GAME_DIALOGS_SERVERLIST_H
#define ORV_GAME_DIALOGS_SERVERLIST_H
// One list of the server-settings dialog: a TreeList with a row per table
// entry and the empty last row where a new entry is typed.

#include <string>
#include <vector>

#include "game/dialogs/serverrows.h"
#include "treelist/treelistctrl.h"

class CServerList {
 public:
  // Creates the TreeList over the placeholder with its columns.
  BOOL Create(CWnd* parent, UINT placeholderId, UINT id, bool layer);
  bool IsLayer() const { return m_layer; }
  CTreeListCtrl& Ctrl() { return m_ctrl; }

  // An entry in front of the empty row (Clear makes the first one).
  void Append(const SrvRow& row);
  void AppendEmptyRow();
  void Clear();  // only the empty row stays
  int Count();   // entries, without the empty row
  std::vector<SrvRow> Rows();
  SrvRow Row(HTREEITEM item);

  HTREEITEM Caret();
  HTREEITEM Next(HTREEITEM item);
  HTREEITEM Previous(HTREEITEM item);
  bool IsEmptyRow(HTREEITEM item) { return item && !Next(item); }
  void Select(HTREEITEM item);

  std::string CellText(HTREEITEM item, int column);
  void SetCellText(HTREEITEM item, int column, const std::string& text);
  bool HasBox(HTREEITEM item, int column);
  void SetBox(HTREEITEM item, int column, bool checked);
  void RemoveBox(HTREEITEM item, int column);
  void CheckName(HTREEITEM item);  // the Name box of the selected base map

  // The button rules: what up, down and delete may do with the caret row.
  bool CanMoveUp();
  bool CanMoveDown();
  bool CanDelete();
  void MoveUp();
  void MoveDown();
  void Delete(HTREEITEM item);  // selects the following row

 private:
  void Fill(HTREEITEM item, const SrvRow& row);
  UINT State(HTREEITEM item, int column);
  CTreeListCtrl m_ctrl;
  bool m_layer = false;
};

#endif
