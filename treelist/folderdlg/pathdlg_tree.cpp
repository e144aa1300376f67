// Tree mode of the folder dialog: the directory tree in place of the folder
// list and the drive combo, kept in step with the path combo.
#include <windows.h>

#include "files/pathname.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/folderlimits.h"
#include "treelist/folderdlg/pathtext.h"

namespace {
// A special folder's item is virtual yet names a folder; the network's root
// and a server do not (Wine takes the root for a folder).
bool NamesFolder(const char* path) {
  if (PathTextIsNetwork(path) && PathTextSegments(path, 2).size() < 2) return false;
  return PathGetKindA(path) >= 2;
}
}  // namespace

void CPathDlg::SetupTree() {
  m_treeMode = (m_flags & PDF_NOTREE) ? false : ReadMode("PathDlgTreeMode", 0) != 0;
  RECT a, b;
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_PD_LIST), &a);
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_PD_DRIVES), &b);
  RECT r = {a.left, a.top, b.right, b.bottom};
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  m_tree = new CDirTreeCtrl;
  DWORD style = ((m_flags & PDF_PLAIN) ? 0x40019000u : 0x40011000u) | (m_treeMode ? WS_VISIBLE : 0);
  if (!m_tree->Create(WS_EX_CLIENTEDGE, style, r, this, IDC_PD_TREE)) {
    delete m_tree;
    m_tree = nullptr;
    m_treeMode = false;
  } else {
    ::SetWindowPos(m_tree->m_hWnd, ::GetDlgItem(m_hWnd, IDC_PD_PATH), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (!(m_flags & PDF_NOTREE)) {
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PD_TREEMODE), SW_SHOW);
    CheckDlgButton(IDC_PD_TREEMODE, m_treeMode);
  }
  ShowTreeMode();
}

void CPathDlg::ShowTreeMode() {
  int list = m_treeMode ? SW_HIDE : SW_SHOW;
  for (int id : {IDC_PD_DRIVELABEL, IDC_PD_LIST, IDC_PD_DRIVES}) ::ShowWindow(::GetDlgItem(m_hWnd, id), list);
  if (m_tree) ::ShowWindow(m_tree->m_hWnd, m_treeMode ? SW_SHOW : SW_HIDE);
}

void CPathDlg::SyncTree() {
  if (!m_treeMode || !m_tree) return;
  std::string p = ReadPathCombo();
  // up to the nearest folder that is there
  while (!p.empty() && !PathTextIsDrive(p.c_str()) && PathGetKindA(p.c_str()) < 2) {
    size_t cut = p.find_last_of('\\');
    if (cut == std::string::npos || cut < 2) break;
    p.resize(cut);
  }
  if (!p.empty()) m_tree->SelectPath(p.c_str(), nullptr, 0x80);
}

void CPathDlg::OnTreeModeClicked() {
  if ((m_flags & PDF_NOTREE) || !m_tree) return;
  TakeTreeNow();  // the list shows the folder just chosen in the tree
  m_treeMode = IsDlgButtonChecked(IDC_PD_TREEMODE) != 0;
  ShowTreeMode();
  if (m_treeMode)
    SyncTree();
  else
    SetAndList(m_path);
}

bool CPathDlg::OnTreeNotify(NMHDR* nm) {
  if (!m_tree || nm->hwndFrom != m_tree->m_hWnd) return false;
  const DtNotify* n = reinterpret_cast<const DtNotify*>(nm);
  if (nm->code == DTN_SELMOVED) {
    m_treeFollow = 3;
  } else if (nm->code == NM_RETURN) {
    // the tree keeps Enter from the dialog: it is OK there as anywhere else
    PostMessage(WM_COMMAND, IDOK, 0);
  } else if (nm->code != DTN_ACTIVATED) {
    return false;  // the tree's own notifications go back to it
  } else if (n->path && *n->path) {
    // the network's root or a server names no folder: no OK, neither with
    // it nor with the folder chosen before
    std::string p;
    if (!MakePath(n->path, &p) || !NamesFolder(p.c_str())) return true;
    SetAndList(p);
    // only this OK skips the breadcrumb commit; the user's mode stays
    m_skipCommit = true;
    PostMessage(WM_COMMAND, IDOK, 0);
  }
  return true;
}

void CPathDlg::TreeTick() {
  if (!m_treeMode || !m_tree || m_treeFollow <= 0 || --m_treeFollow > 0) return;
  FollowTree();
}

void CPathDlg::TakeTreeNow() {
  if (!m_treeMode || !m_tree) return;
  if (!m_tree->ReportKeySelection() && m_treeFollow <= 0) return;
  m_treeFollow = 0;
  FollowTree();
}

void CPathDlg::FollowTree() {
  char p[FOLDER_MAX_PATH + 8];
  int kind = 0;
  if (m_tree->GetPath(p, sizeof p, &kind) > 0 && NamesFolder(p)) {
    SetPath(p);
    ShowPath();
  }
}

void CPathDlg::DestroyTree() {
  if (!m_tree) return;
  m_tree->Stop();
  if (m_tree->m_hWnd) m_tree->DestroyWindow();
  delete m_tree;
  m_tree = nullptr;
  if (!(m_flags & PDF_NOTREE)) WriteMode("PathDlgTreeMode", m_treeMode ? 1 : 0);
}
