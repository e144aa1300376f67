// CPathDlg: the modal, resizable folder-choice dialog: a path combo with
// recent folders, a folder list filled by a worker thread, a drive combo.
// Remembers the chosen folder and the recent ones in the registry under a
// name the caller gives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "treelist/folderdlg/pathcombo.h"
#include "treelist/folderdlg/pathtext.h"

enum : unsigned {
  PDF_MUSTEXIST = 1,
  PDF_CREATE = 2,
  PDF_PLAIN = 4,         // plain file-system paths, no network
  PDF_NOTREE = 8,
  PDF_NOBREADCRUMB = 16,
};

// Control ids and commands of the dialog.
enum : UINT {
  IDC_PD_LABEL = 1007,
  IDC_PD_LIST = 1015,
  IDC_PD_DRIVES = 1016,
  IDC_PD_PATH = 1017,
  IDC_PD_DRIVELABEL = 1009,
  IDC_PD_UP = 1018,
  IDC_PD_BREADCRUMB = 1002,
  IDC_PD_TREEMODE = 1001,
  IDC_PD_TREE = 1099,
  PD_CMD_DRIVES_READY = 1043,
  PD_CMD_ROWS_READY = 1044,
  PD_CMD_SYNCTREE = 1098,
  PD_TIMER = 1045,
  PD_SC_EXTENSION = 64,
};

struct PdList;

class CDirTreeCtrl;

class CPathDlg : public CDialog {
  DECLARE_DYNAMIC(CPathDlg)
 public:
  explicit CPathDlg(CWnd* parent = nullptr, const char* recentKey = nullptr);
  ~CPathDlg() override;

  const char* SetPath(const char* path);
  const char* GetPath(int second = 0) const;
  int GetPathCopy(char* buffer, int size, int withSeparator) const;
  int GetPathString(CString& out, int second) const;
  void SetTitle(const char* title);
  void SetPathExtension(const char* text);
  void SetTemplate(UINT id);
  void SetRecentKey(const char* name);
  void SetFlags(unsigned flags) { m_flags = flags; }
  unsigned GetFlags() const { return m_flags; }
  const char* AppendPath(const char* relative);
  INT_PTR Run(const char* recentKey = nullptr, int options = -1);
  INT_PTR DoModal() override { return Run(nullptr, 3); }

  // the folder list's rows as shown: text, indent and kind; the current row
  int GetListRows(std::vector<std::string>* texts, std::vector<int>* indents) const;
  // the recent folders, newest first
  const std::vector<std::string>& GetRecent() const { return m_recent; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 private:
  // path as the dialog keeps it; false when it cannot be one
  bool MakePath(const char* path, std::string* out) const;
  // registry
  void LoadRecent(int mode);
  void SaveRecent();
  static DWORD ReadMode(const char* name, DWORD fallback);
  static void WriteMode(const char* name, DWORD value);
  // list mode
  void StartWorker();
  void StopWorker();
  void RequestListing();
  void TransferRows();
  void OnDrivesReady();
  void OnRowsReady();
  void SelectCurrentDrive();
  void OnDriveChange();
  void OpenRow(int row);
  bool RowsShowPath();
  void DrawRow(LPDRAWITEMSTRUCT dis);
  void OnListChar(char c);
  static LRESULT CALLBACK ListProc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  // tree mode
  void SetupTree();
  void ShowTreeMode();
  void SyncTree();
  void OnTreeModeClicked();
  bool OnTreeNotify(NMHDR* nm);
  void TreeTick();
  // The tree's folder becomes the path now when the path has not followed
  // it yet (chosen by keys and not yet reported, or its countdown running):
  // OK, Aufwärts and list mode start from it.
  void TakeTreeNow();
  void FollowTree();
  void DestroyTree();
  // frame
  void ShowPath();
  std::string ReadPathCombo();
  void SetAndList(const std::string& path);
  void OnDropped(HDROP drop);
  void OnUp();
  void Layout(int cx, int cy);
  void OnSizing(UINT edge, RECT* rc);
  int StartPathKind(std::string& path);
  LPCDLGTEMPLATE BuiltInTemplate();

  unsigned m_flags = PDF_MUSTEXIST;
  std::string m_path, m_chosen, m_listed, m_title, m_extension, m_recentKey;
  std::vector<std::string> m_recent;
  UINT m_template = 0;
  int m_pathKind = 0;
  bool m_network = false, m_running = false, m_treeMode = false, m_breadcrumb = true;
  bool m_selectCurrentRow = false, m_inDblClk = false;
  CPathComboBox* m_combo = nullptr;
  CDirTreeCtrl* m_tree = nullptr;
  int m_treeFollow = 0;     // timer ticks until the tree's path is taken
  bool m_skipCommit = false;  // the next OK skips the breadcrumb commit
  PdList* m_list = nullptr;
  int m_transferred = 0, m_transferSerial = -1, m_textOffset = 2;
  int m_pendingUps = 0;  // "Aufwärts" clicked while the rows were on their way
  bool m_pendingTransfer = false;
  int m_currentDrive = -1, m_drivesInCombo = 0;
  std::vector<std::string> m_drivePaths;  // remembered path per drive entry
  std::string m_chosenVirtual;
  WNDPROC m_listProc = nullptr;
  TypeAhead m_typeAhead;
  std::vector<WORD> m_tmpl;
};
