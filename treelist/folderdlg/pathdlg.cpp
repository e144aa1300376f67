// CPathDlg: members, opening, OK, Cancel and destruction.
#include "treelist/folderdlg/pathdlg.h"

#include <shellapi.h>
#include <string.h>

#include "files/dirlist.h"
#include "files/fileops.h"
#include "files/pathname.h"
#include "files/shellicons.h"
#include "files/shellpath.h"
#include "framework/commondlg.h"
#include "framework/winapp.h"
#include "toolkit/boundedwait.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/pathcombo_shared.h"
#include "treelist/folderdlg/pathdlg_list.h"

IMPLEMENT_DYNAMIC(CPathDlg, CDialog)

namespace {

bool NetworkHasEntries(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::string CurrentDirectory() {
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

}  // namespace

CPathDlg::CPathDlg(CWnd* parent, const char* recentKey) {
  m_pParentWnd = parent;
  if (recentKey) m_recentKey = recentKey;
  LoadRecent(3);
}

CPathDlg::~CPathDlg() {
  StopWorker();
  delete m_combo;
}

const char* CPathDlg::SetPath(const char* path) {
  std::string p;
  if (path && MakePath(path, &p)) m_path = p;  // refused: the old path stays
  return m_path.c_str();
}

bool CPathDlg::MakePath(const char* path, std::string* out) const {
  while (*path == ' ') ++path;
  std::string p;
  char buf[MAX_PATH + 1];
  if (!(m_flags & PDF_PLAIN) && PathTextIsNetwork(path)) {
    if (DirResolveDisplayPath(path, buf, sizeof buf) < 0) return false;
    p = buf;
  } else if (*path) {
    DWORD n = GetFullPathNameA(path, sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf) return false;
    p.assign(buf, n);
  }
  p = PathTextClean(p.c_str());
  if ((int)p.size() > FOLDER_MAX_PATH) return false;
  *out = p;
  return true;
}

const char* CPathDlg::GetPath(int second) const { return second ? m_chosen.c_str() : m_path.c_str(); }

int CPathDlg::GetPathCopy(char* buffer, int size, int withSeparator) const {
  std::string p = withSeparator ? PathTextWithSeparator(m_path) : m_path;
  if (!buffer || size < 1) return 0;
  if ((int)p.size() >= size) {
    buffer[0] = 0;
    return 0;
  }
  memcpy(buffer, p.c_str(), p.size() + 1);
  return (int)p.size();
}

int CPathDlg::GetPathString(CString& out, int second) const {
  out = GetPath(second);
  return out.GetLength();
}

void CPathDlg::SetTitle(const char* title) { m_title = title && *title ? title : ""; }
void CPathDlg::SetPathExtension(const char* text) { m_extension = text ? text : ""; }
void CPathDlg::SetTemplate(UINT id) { m_template = id; }

void CPathDlg::SetRecentKey(const char* name) {
  m_recentKey = name ? name : "";
  LoadRecent(m_path.empty() ? 3 : 2);
}

const char* CPathDlg::AppendPath(const char* relative) {
  std::string rel = PathTextCleanRelative(relative);
  if (rel.empty()) return m_path.c_str();
  std::string p = PathTextWithSeparator(m_path) + rel;
  if ((int)p.size() <= FOLDER_MAX_PATH) m_path = p;
  return m_path.c_str();
}

INT_PTR CPathDlg::Run(const char* recentKey, int options) {
  CWaitCursor wait;
  if (options != -1) m_flags = (m_flags & ~15u) | ((unsigned)options & 15u);
  std::string saved = m_recentKey;
  if (recentKey) {
    m_recentKey = recentKey;
    LoadRecent(m_path.empty() ? 3 : 2);
  } else {
    LoadRecent(2);
  }
  m_running = true;
  if (m_template) {
    m_lpszTemplateName = MAKEINTRESOURCEA(m_template);
    m_lpDialogTemplate = nullptr;
  } else {
    InitModalIndirect(BuiltInTemplate());
  }
  INT_PTR r = CDialog::DoModal();
  m_running = false;
  m_recentKey = saved;
  return r;
}

int CPathDlg::StartPathKind(std::string& path) {
  if ((m_flags & PDF_PLAIN) || !PathTextIsNetwork(path.c_str())) return PathGetKindA(path.c_str());
  if (!NetworkHasEntries(path)) return -1;
  CDirectoryList dl;
  if (dl.Refresh(path.c_str(), DIRLIST_FOLDERS | DIRLIST_NETWORK) == DIRLIST_DONE) {
    DirEntry* e = dl.Next();
    if (e && ((e->attributes & DIRENT_VIRTUAL) || (e->attributes & FFD_DIRECTORY))) return 4;
  }
  return 5;
}

BOOL CPathDlg::OnInitDialog() {
  HDropOleInitOnce();
  SetTimer(PD_TIMER, 200, nullptr);
  m_breadcrumb = (m_flags & PDF_NOBREADCRUMB) ? false : ReadMode("PathDlgBreadCrumb", 1) != 0;
  unsigned opt = PCO_DRAG | PCO_DROP;
  if (m_flags & PDF_PLAIN) opt |= PCO_NONETWORK;
  if (!m_breadcrumb) opt |= PCO_NOBREADCRUMB;
  // a folder to be created must get past the path combo first
  if ((m_flags & PDF_MUSTEXIST) && !(m_flags & PDF_CREATE)) opt |= PCO_MUSTEXIST;
  if (m_flags & PDF_NOBREADCRUMB) opt |= PCO_DROPTOPARENT;
  m_combo = new CPathComboBox;
  m_combo->SubclassCombo(opt, ::GetDlgItem(m_hWnd, IDC_PD_PATH));
  if (!(m_flags & PDF_NOBREADCRUMB)) {
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PD_BREADCRUMB), SW_SHOW);
    CheckDlgButton(IDC_PD_BREADCRUMB, m_breadcrumb);
  }
  // the folder list moves 6 pixels down, keeping its bottom edge
  HWND list = ::GetDlgItem(m_hWnd, IDC_PD_LIST);
  RECT lr;
  ::GetWindowRect(list, &lr);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&lr), 2);
  ::MoveWindow(list, lr.left, lr.top + 6, lr.right - lr.left, lr.bottom - lr.top - 6, FALSE);
  if (!m_title.empty()) SetWindowText(m_title.c_str());
  m_listProc = (WNDPROC)::SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)ListProc);
  ::SetWindowLongPtrA(list, GWLP_USERDATA, (LONG_PTR)this);
  ::DragAcceptFiles(list, TRUE);
  const int iconH = PcGetShared().iconH;
  int h = (int)::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
  if (h < iconH + 2) {
    ::SendMessageA(list, LB_SETITEMHEIGHT, 0, iconH + 2);
    m_textOffset = (iconH + 2 - h - 1) / 2 + 2;
  } else {
    m_textOffset = 2;
  }
  for (const std::string& r : m_recent) m_combo->AddString(r.c_str());
  std::string start = m_path.empty() ? CurrentDirectory() : m_path;
  m_pathKind = StartPathKind(start);
  if ((m_flags & PDF_MUSTEXIST) && m_pathKind == 0) {
    start = CurrentDirectory();
    m_pathKind = PathGetKindA(start.c_str());
  }
  if (m_pathKind == 1) {
    size_t cut = start.find_last_of('\\');
    if (cut != std::string::npos) start.resize(cut == 2 && start[1] == ':' ? 3 : cut);
    m_pathKind = PathGetKindA(start.c_str());
  }
  m_path = PathTextClean(start.c_str());
  m_network = PathTextIsNetwork(m_path.c_str());
  m_drivePaths.clear();
  m_currentDrive = -1;
  m_drivesInCombo = 0;
  ::SendDlgItemMessageA(m_hWnd, IDC_PD_DRIVES, CB_RESETCONTENT, 0, 0);
  if (!m_extension.empty()) {
    HMENU sys = ::GetSystemMenu(m_hWnd, FALSE);
    AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(sys, MF_STRING, PD_SC_EXTENSION, "Pfaderweiterung");
  }
  m_listed = m_path;
  m_selectCurrentRow = true;
  StartWorker();
  SetupTree();
  Layout(-1, -1);  // the anchors and the saved placement once the tree is there
  ShowPath();
  SyncTree();
  return CDialog::OnInitDialog();
}

void CPathDlg::OnOK() {
  HWND focus = ::GetFocus();
  HWND comboWnd = m_combo ? m_combo->m_hWnd : nullptr;
  bool inCombo = focus && (focus == comboWnd || ::GetParent(focus) == comboWnd);
  if (inCombo && GetKeyState(VK_CONTROL) < 0) {
    SyncTree();  // Ctrl+Enter only shows the typed folder in the tree
    return;
  }
  bool skipCommit = m_skipCommit;
  m_skipCommit = false;
  if (!skipCommit && m_combo && m_breadcrumb && (m_combo->IsEditing() || m_combo->TextChanged())) {
    // the typed text is committed first; the path combo notifies the change
    HWND edit = ::GetWindow(comboWnd, GW_CHILD);
    char text[FOLDER_MAX_PATH + 8];
    int n = ::GetWindowTextA(edit, text, sizeof text);
    if (n > FOLDER_MAX_PATH) {
      MessageBeep(MB_ICONASTERISK);
      return;
    }
    if (m_combo->SetPath(text, -1)) SetAndList(m_combo->GetPath());
    m_combo->EndEdit(TRUE);
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    return;
  }
  if (!m_inDblClk && focus == ::GetDlgItem(m_hWnd, IDC_PD_LIST)) {
    OpenRow((int)::SendDlgItemMessageA(m_hWnd, IDC_PD_LIST, LB_GETCURSEL, 0, 0));
    return;
  }
  if (focus == ::GetDlgItem(m_hWnd, IDC_PD_DRIVES)) {
    ::SendDlgItemMessageA(m_hWnd, IDC_PD_DRIVES, CB_SHOWDROPDOWN, TRUE, 0);
    return;
  }
  // a folder chosen in the tree a moment ago, unless the path field had the last word
  if (!inCombo) TakeTreeNow();
  std::string p = ReadPathCombo();
  if (p.empty()) return;
  if (PathTextIsDrive(p.c_str())) p += '\\';
  if (p != m_listed && !m_treeMode) {
    SetAndList(p);
    return;
  }
  if (!(m_flags & PDF_PLAIN) && PathTextIsNetwork(p.c_str())) {
    CWaitCursor wait;
    std::string parent = p;
    size_t cut = parent.find_last_of('\\');
    if (cut != std::string::npos && cut > 1) {
      CDirectoryList dl;
      if (dl.Refresh(parent.substr(0, cut).c_str(), DIRLIST_FOLDERS | DIRLIST_NETWORK, parent.c_str() + cut + 1) ==
          DIRLIST_DONE) {
        if (DirEntry* e = dl.Next()) p = dl.GetEntryPath(e);
      }
    }
  }
  bool net = PathTextIsNetwork(p.c_str());
  if (m_flags & PDF_CREATE) {
    bool exists = net ? NetworkHasEntries(p) : PathGetKindA(p.c_str()) >= 2;
    if (!exists && !DirCreateA(p.c_str())) {
      ::MessageBoxA(m_hWnd, "Der Pfad kann nicht erzeugt werden !", "Fehler", MB_ICONERROR | MB_OK);
      return;
    }
  }
  if (m_flags & PDF_MUSTEXIST) {
    bool ok = net ? NetworkHasEntries(p) : PathGetKindA(p.c_str()) >= 2;
    if (!ok) {
      ::MessageBoxA(m_hWnd, "Der Pfad existiert nicht !", "Fehler", MB_ICONERROR | MB_OK);
      return;
    }
  }
  std::string recent = PathTextClean(p.c_str());
  PathTextAddRecent(&m_recent, recent);
  SaveRecent();
  m_chosen = PathTextWithSeparator(p);
  if (m_combo) m_combo->SetPath(m_chosen.c_str(), -1);
  StopWorker();
  EndDialog(IDOK);
  m_path = PathTextClean(p.c_str());
}

void CPathDlg::OnCancel() {
  if (m_combo && m_breadcrumb && m_combo->IsEditing() && ::GetParent(::GetFocus()) == m_combo->m_hWnd) {
    m_combo->EndEdit(TRUE);
    return;
  }
  StopWorker();
  EndDialog(IDCANCEL);
}
