// CPathDlg list mode on the user-interface side: the worker's start and
// stop, the row transfer, drive entries, drawing, the list's keys.
#include <string.h>

#include "files/pathname.h"
#include "files/shellicons.h"
#include "framework/winapp.h"
#include "text/strcompare.h"
#include "toolkit/boundedwait.h"
#include "treelist/folderdlg/pathcombo_shared.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/pathdlg_list.h"

namespace {

COLORREF Quarter(COLORREF a, COLORREF b) {
  // each channel of both colours divided by 4 before adding
  return RGB(GetRValue(a) / 4 + GetRValue(b) / 4 * 3, GetGValue(a) / 4 + GetGValue(b) / 4 * 3,
             GetBValue(a) / 4 + GetBValue(b) / 4 * 3);
}

bool WorkerEnded(void* p) { return static_cast<PdList*>(p)->alive.load() == 0; }

}  // namespace

int PdCurrentRow(PdList* l) {
  if (!l) return -1;
  PdLock lock(l);
  return l->currentRow;
}

int CPathDlg::GetListRows(std::vector<std::string>* texts, std::vector<int>* indents) const {
  texts->clear();
  indents->clear();
  if (!m_list) return -1;
  PdLock lock(m_list);
  for (int i = 0; i < m_transferred && i < (int)m_list->rows.size(); ++i) {
    texts->push_back(m_list->rows[(size_t)i].text);
    indents->push_back(m_list->rows[(size_t)i].indent);
  }
  return m_list->currentRow;
}

void CPathDlg::StartWorker() {
  if (m_list) return;
  auto* l = new PdList;
  l->dlg = m_hWnd;
  l->flags = m_flags;
  l->pathKind = m_pathKind;
  l->path = m_path;
  l->systemDriveIcon = ShellGetDriveIconIndex(ShellGetSystemDriveLetter(), 1);
  l->closedIcon = ShellGetFolderIconIndex(1);
  l->openIcon = ShellGetFolderIconIndex(3);
  l->networkIcon = l->closedIcon;
  m_transferred = 0;
  m_transferSerial = -1;
  if (!AfxBeginThread(PdListWorker, l, THREAD_PRIORITY_NORMAL, 0x10000)) {
    l->refs = 1;
    l->Release();
    return;
  }
  m_list = l;
}

void CPathDlg::StopWorker() {
  PdList* l = m_list;
  if (!l) return;
  {
    PdLock lock(l);
    l->dlg = nullptr;
    l->stop = 1;
    l->refresh = 0;
    l->cancel = 1;
  }
  m_list = nullptr;
  ReleaseSemaphore(l->wake, 1, nullptr);
  // a worker still in the file system ends on its own and frees the block
  WaitUntilHandlingSent(WorkerEnded, l, WAIT_STOP_BOUND_MS);
  l->Release();
  if (m_hWnd) PdSavePlacement(m_hWnd);
}

void CPathDlg::RequestListing() {
  if (!m_list) return;
  {
    PdLock lock(m_list);
    m_list->path = m_path;
    m_list->chosenVirtual = m_chosenVirtual;
    m_list->refresh = 1;
    m_list->cancel = 1;  // the listing of the old path is not wanted any more
  }
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  ReleaseSemaphore(m_list->wake, 1, nullptr);
}

void CPathDlg::TransferRows() {
  if (!m_list) return;
  if (!m_list->rowsComplete && !m_pendingTransfer) return;
  m_pendingTransfer = false;
  HWND list = ::GetDlgItem(m_hWnd, IDC_PD_LIST);
  PdLock lock(m_list);
  int n = (int)m_list->rows.size();
  if (m_transferSerial == m_list->serial && m_transferred == n) return;
  // a new set of rows replaces the old one at once
  m_transferSerial = m_list->serial;
  m_transferred = n;
  ::SendMessageA(list, LB_SETCOUNT, (WPARAM)n, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void CPathDlg::OnRowsReady() {
  m_pendingTransfer = true;
  TransferRows();
  if (m_selectCurrentRow && m_list) {
    int row = PdCurrentRow(m_list);
    ::SendDlgItemMessageA(m_hWnd, IDC_PD_LIST, LB_SETCURSEL, (WPARAM)row, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_PD_LIST, LB_SETCARETINDEX, (WPARAM)row, 0);
    m_selectCurrentRow = false;
  }
  SelectCurrentDrive();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  std::string listed;
  {
    PdLock lock(m_list);
    listed = m_list->rowsPath;
  }
  m_listed = listed;
  if (m_pendingUps > 0 && RowsShowPath()) {
    int left = m_pendingUps - 1;
    OnUp();
    m_pendingUps = left;
  }
}

// Whether the list shows the rows of the current path, not older ones.
bool CPathDlg::RowsShowPath() {
  if (!m_list) return false;
  PdLock lock(m_list);
  return m_list->serial == m_transferSerial && m_list->rowsPath == m_path;
}

void CPathDlg::OnDrivesReady() {
  if (!m_list) return;
  HWND combo = ::GetDlgItem(m_hWnd, IDC_PD_DRIVES);
  {
    PdLock lock(m_list);
    while (m_drivesInCombo < (int)m_list->drives.size()) {
      ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)m_drivesInCombo);
      ++m_drivesInCombo;
      const PdDrive& d = m_list->drives[(size_t)m_drivesInCombo - 1];
      m_drivePaths.emplace_back(d.kind == 2 ? d.path : std::string());
    }
  }
  SelectCurrentDrive();
  RequestListing();
}

void CPathDlg::SelectCurrentDrive() {
  if (!m_running || !m_list) return;
  int found = -1;
  {
    PdLock lock(m_list);
    bool net = PathTextIsNetwork(m_path.c_str());
    for (int i = (int)m_list->drives.size() - 1; i >= 0 && found < 0; --i) {
      const PdDrive& d = m_list->drives[(size_t)i];
      if (net) {
        if (d.kind == 1 && d.path == "\\\\") found = i;
        continue;
      }
      // a drive by its letter, a special folder by its folder
      const std::string& head = d.kind == 1 ? d.path : d.text;
      int n = (int)head.size();
      if (n > 0 && (head.back() == '\\')) --n;
      if (n >= 2 && StrComparePathNoCaseNA(m_path.c_str(), head.c_str(), n) == 0) found = i;
    }
  }
  if (found < 0) return;
  m_currentDrive = found;
  HWND combo = ::GetDlgItem(m_hWnd, IDC_PD_DRIVES);
  if (::SendMessageA(combo, CB_GETCURSEL, 0, 0) != found) ::SendMessageA(combo, CB_SETCURSEL, (WPARAM)found, 0);
}

void CPathDlg::OnDriveChange() {
  HWND combo = ::GetDlgItem(m_hWnd, IDC_PD_DRIVES);
  if (!m_list || ::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) return;
  int sel = (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  PdDrive d;
  {
    PdLock lock(m_list);
    if (sel < 0 || sel >= (int)m_list->drives.size()) return;
    d = m_list->drives[(size_t)sel];
  }
  if (d.kind == 1 && d.path == "\\\\") {
    if (m_network && m_chosenVirtual.empty()) return;
    m_network = true;
    m_chosenVirtual.clear();
    SetAndList("\\\\");
    m_currentDrive = sel;
    return;
  }
  // a special folder stands for its folder as a drive for its letter
  if (d.kind == 1) d.text = d.path;
  int n = (int)d.text.size();
  if (n > 0 && d.text.back() == '\\') --n;
  if (n > 0 && StrComparePathNoCaseNA(m_path.c_str(), d.text.c_str(), n) == 0 && sel == m_currentDrive)
    return;
  m_network = false;
  if (d.kind == 2) m_chosenVirtual = m_drivePaths[(size_t)sel];
  if (sel != m_currentDrive && m_currentDrive >= 0 && m_currentDrive < (int)m_drivePaths.size())
    m_drivePaths[(size_t)m_currentDrive] = m_path;
  int old = m_currentDrive;
  m_currentDrive = sel;
  if (sel != old && !m_drivePaths[(size_t)sel].empty()) {
    SetAndList(m_drivePaths[(size_t)sel]);
    return;
  }
  std::string t = d.text;
  if (!t.empty() && t.back() == '\\') t.pop_back();  // the drive's current directory
  SetAndList(t);
}

void CPathDlg::OpenRow(int row) {
  if (!m_list || row < 0) return;
  std::string p;
  bool asOk;
  {
    PdLock lock(m_list);
    int current = m_list->currentRow;
    // the row's index means the rows shown; the path they were listed for
    // may be older than the one requested since
    if (m_list->serial != m_transferSerial || row >= (int)m_list->rows.size()) return;
    const std::string& listed = m_list->rowsPath;
    asOk = row == current && listed == m_path;
    // row 0 of a neighbourhood listing stands for "\\"; a chosen folder's
    // row stands for all of its components
    const PdRow& top = m_list->rows[0];
    bool net = top.kind == 1 && top.text == "Netzwerkumgebung";
    int below = top.kind == 1 && !net ? (int)PathTextSegments(top.text.c_str(), 64).size() - 1 : 0;
    if (row == current) {
      p = listed;
    } else if (net && row == 0) {
      p = "\\\\";
    } else if (row < current) {
      p = PathTextPrefix(listed.c_str(), row + below + (net ? 0 : 1), 64);
      if (PathTextIsDrive(p.c_str())) p += '\\';
    } else {
      p = PathTextWithSeparator(listed) + m_list->rows[(size_t)row].text;
    }
  }
  if (asOk) {
    // the current folder's row: as OK
    m_inDblClk = true;
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    OnOK();
    m_inDblClk = false;
    return;
  }
  if (PathTextClean(p.c_str()).size() > (size_t)FOLDER_MAX_PATH) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  SetAndList(p);
}

void CPathDlg::DrawRow(LPDRAWITEMSTRUCT dis) {
  if (!m_list || (int)dis->itemID < 0) return;
  const PcShared& sh = PcGetShared();
  bool combo = dis->CtlID == IDC_PD_DRIVES;
  COLORREF window = GetSysColor(COLOR_WINDOW);
  COLORREF bg = window;
  if (dis->itemState & ODS_FOCUS) bg = Quarter(GetSysColor(COLOR_HIGHLIGHT), window);
  else if (dis->itemState & ODS_SELECTED) bg = Quarter(GetSysColor(COLOR_BTNFACE), window);
  char text[FOLDER_MAX_PATH + 8] = "";
  int icon = -1, indent = 0;
  {
    // by index under the lock: the worker may refill the rows at any time
    PdLock lock(m_list);
    if (combo) {
      if (dis->itemID < m_list->drives.size()) {
        const PdDrive& d = m_list->drives[dis->itemID];
        StrConvertCaseA(text, d.kind == 2 && !m_drivePaths.empty() ? m_drivePaths.back().c_str() : d.text.c_str(),
                        sizeof text, 0xA200);
        icon = d.icon;
      }
    } else if (dis->itemID < m_list->rows.size()) {
      const PdRow& r = m_list->rows[dis->itemID];
      StrConvertCaseA(text, r.text.c_str(), sizeof text, 0xA200);
      icon = r.icon;
      indent = r.indent;
    }
  }
  HDC dc = dis->hDC;
  SetBkColor(dc, bg);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, (HFONT)::SendMessageA(dis->hwndItem, WM_GETFONT, 0, 0));
  const RECT& rc = dis->rcItem;
  ExtTextOutA(dc, rc.left + indent + 24, rc.top + (combo ? 1 : m_textOffset), ETO_OPAQUE | ETO_CLIPPED, &rc, text,
              (UINT)strlen(text), nullptr);
  if (sh.images && icon >= 0)
    ImageList_Draw(sh.images, icon, dc, rc.left + indent + 4, rc.top + 1, ILD_TRANSPARENT);
  SelectObject(dc, old);
}

void CPathDlg::OnListChar(char c) {
  if (!m_list) return;
  HWND list = ::GetDlgItem(m_hWnd, IDC_PD_LIST);
  const std::string& typed = m_typeAhead.Add(c, GetTickCount());
  int sel = (int)::SendMessageA(list, LB_GETCURSEL, 0, 0);
  int found = -1;
  {
    PdLock lock(m_list);
    int n = (int)m_list->rows.size();
    if (n == 0) return;
    int start = sel < 0 ? 0 : sel + (m_typeAhead.StartsAfterSelection() ? 1 : 0);
    for (int i = 0; i < n && found < 0; ++i) {
      int at = (start + i) % n;
      const std::string& t = m_list->rows[(size_t)at].text;
      if (StrComparePathNoCaseNA(t.c_str(), typed.c_str(), (int)typed.size()) == 0) found = at;
    }
  }
  if (found < 0) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  ::SendMessageA(list, LB_SETCURSEL, (WPARAM)found, 0);
}

LRESULT CALLBACK CPathDlg::ListProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CPathDlg*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
  switch (m) {
    case WM_CHAR:
      if (wp >= 32) {
        self->OnListChar((char)wp);
        return 0;
      }
      break;
    case WM_MOUSEWHEEL: {
      int notches = -(short)HIWORD(wp) / WHEEL_DELTA;
      int top = (int)CallWindowProcA(self->m_listProc, w, LB_GETTOPINDEX, 0, 0) + notches;
      CallWindowProcA(self->m_listProc, w, LB_SETTOPINDEX, (WPARAM)(top < 0 ? 0 : top), 0);
      return 0;
    }
    case WM_DROPFILES:
      return ::SendMessageA(::GetParent(w), PATHDLG_WM_DROPPED, wp, 0);
  }
  return CallWindowProcA(self->m_listProc, w, m, wp, lp);
}
