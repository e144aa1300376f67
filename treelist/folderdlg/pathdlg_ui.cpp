// CPathDlg: the template, messages, commands, layout and destruction.
#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "files/pathname.h"
#include "toolkit/dlgtemplate.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/pathdlg.h"
#include "treelist/folderdlg/pathdlg_list.h"

namespace {

// the placement and the layout's initial state, for the whole process
struct Anchor {
  UINT id;
  bool moveX, moveY, growX, growY;
};
const Anchor kAnchors[] = {
    {IDC_PD_TREE, false, false, true, true},      {IDC_PD_TREEMODE, true, true, false, false},
    {IDC_PD_BREADCRUMB, true, true, false, false}, {IDC_PD_DRIVES, false, true, true, false},
    {IDC_PD_PATH, false, false, true, false},      {IDC_PD_LIST, false, false, true, true},
    {IDC_PD_DRIVELABEL, false, true, false, false}, {IDC_PD_UP, true, false, false, false},
    {IDCANCEL, true, false, false, false},         {IDOK, true, false, false, false},
};
const int kAnchorCount = sizeof kAnchors / sizeof kAnchors[0];
struct LayoutState {
  bool initialised = false, redraw = false;
  RECT rects[kAnchorCount];
  SIZE client, minimum;
  bool placed = false;
  RECT placement;
} g_layout;

}  // namespace

LPCDLGTEMPLATE CPathDlg::BuiltInTemplate() {
  CDlgTemplate t("Verzeichnis wählen", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME, 284,
                 279);
  t.SetFont("MS Sans Serif", 8);
  t.AddItemEx(IDC_PD_LABEL, SS_LEFT, 0, 5, 5, 56, 8, DLGT_STATIC, "Verzeichnisname:");
  t.AddItemEx(IDC_PD_PATH,
              CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 5,
              15, 210, 215, DLGT_COMBOBOX, "");
  // no LBS_SORT: owner-drawn rows without strings would be reordered; the rows
  // live in the dialog (drawn by index), so the list holds only their count
  t.AddItemEx(IDC_PD_LIST,
              LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP,
              WS_EX_NOPARENTNOTIFY, 5, 30, 210, 218, DLGT_LISTBOX, "");
  t.AddItemEx(IDC_PD_DRIVELABEL, SS_LEFT, 0, 5, 250, 32, 8, DLGT_STATIC, "Laufwerk:");
  t.AddItemEx(IDC_PD_DRIVES, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL | WS_TABSTOP, 0, 5, 260, 210, 160,
              DLGT_COMBOBOX, "");
  t.AddItemEx(IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 220, 5, 60, 14, DLGT_BUTTON, "OK");
  t.AddItemEx(IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, 220, 25, 60, 14, DLGT_BUTTON, "Abbrechen");
  t.AddItemEx(IDC_PD_UP, BS_PUSHBUTTON | WS_TABSTOP, 0, 220, 65, 60, 14, DLGT_BUTTON, "Aufwärts");
  t.AddItemEx(IDC_PD_BREADCRUMB, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 220, 250, 63, 10, DLGT_BUTTON, "Brotkrumen",
              nullptr, true);
  t.AddItemEx(IDC_PD_TREEMODE, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 220, 262, 63, 10, DLGT_BUTTON, "Baum anzeigen",
              nullptr, true);
  m_tmpl = t.Words();  // kept for the dialog's life
  return reinterpret_cast<LPCDLGTEMPLATE>(m_tmpl.data());
}

void CPathDlg::ShowPath() {
  if (m_combo) m_combo->SetPath(m_path.c_str(), -1);
}

std::string CPathDlg::ReadPathCombo() {
  if (!m_combo) return m_path;
  if (m_combo->TextChanged()) {
    // typed but not yet committed: the field shows what the user chose
    char text[FOLDER_MAX_PATH + 8];
    HWND edit = ::GetWindow(m_combo->m_hWnd, GW_CHILD);
    int n = edit ? ::GetWindowTextA(edit, text, sizeof text) : 0;
    std::string typed = n > 0 && n <= FOLDER_MAX_PATH ? PathTextClean(text) : std::string();
    if (!typed.empty()) return typed;
  }
  return m_combo->GetPath();
}

void CPathDlg::SetAndList(const std::string& path) {
  SetPath(path.c_str());
  m_network = PathTextIsNetwork(m_path.c_str());
  m_selectCurrentRow = true;
  m_pendingUps = 0;  // a newer choice than the clicks waiting
  RequestListing();
  ShowPath();
}

void CPathDlg::OnDropped(HDROP drop) {
  std::string p;
  if (!HDropFirstPath(drop, &p)) return;
  int kind = PathGetKindA(p.c_str());
  if (kind == 0) return;
  if (kind == 1) p.resize(p.find_last_of('\\') + 1);
  if (PathTextClean(p.c_str()).size() > (size_t)FOLDER_MAX_PATH) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  SetAndList(p);
}

void CPathDlg::OnUp() {
  if (m_treeMode) {
    TakeTreeNow();  // up from the folder just chosen in the tree
    std::string p = ReadPathCombo();
    size_t cut = p.find_last_of('\\');
    if (cut == std::string::npos || cut + 1 >= p.size() || PathTextIsDrive(p.c_str())) return;
    p.resize(cut == 2 && p[1] == ':' ? 3 : cut);
    if (p.size() <= 2) return;
    SetPath(p.c_str());
    ShowPath();
    SyncTree();
    return;
  }
  // list mode: the row above the current one is opened, once the rows of
  // the current path are there
  if (!RowsShowPath()) {
    ++m_pendingUps;
    return;
  }
  int current = PdCurrentRow(m_list);
  if (current > 0) {
    ::SendDlgItemMessageA(m_hWnd, IDC_PD_LIST, LB_SETCURSEL, (WPARAM)(current - 1), 0);
    OpenRow(current - 1);
  }
}

void CPathDlg::Layout(int cx, int cy) {
  RECT client;
  GetClientRect(&client);
  if (cx < 0) {
    if (!g_layout.initialised) {
      g_layout.initialised = true;
      for (int i = 0; i < kAnchorCount; ++i) {
        HWND c = ::GetDlgItem(m_hWnd, (int)kAnchors[i].id);
        SetRectEmpty(&g_layout.rects[i]);
        if (!c) continue;
        ::GetWindowRect(c, &g_layout.rects[i]);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&g_layout.rects[i]), 2);
      }
      g_layout.client = {client.right, client.bottom};
      RECT wr;
      GetWindowRect(&wr);
      g_layout.minimum = {wr.right - wr.left - 100, wr.bottom - wr.top - 300};
    }
    if (g_layout.placed) {
      // the saved placement, when it still fits its monitor's work area
      const RECT& r = g_layout.placement;
      MONITORINFO mi = {sizeof mi};
      RECT work;
      HMONITOR mon = MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
      if (mon && GetMonitorInfoA(mon, &mi)) work = mi.rcWork;
      else SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
      if (r.left > work.left - 100 && r.left < work.right - 100 && r.top > work.top - 10 &&
          r.top < work.bottom - 100 && r.right - r.left > 16 && r.bottom - r.top > 16)
        MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    return;
  }
  if (cx == 0 && cy == 0) {
    // no size to grow from: the next opening takes the rectangles afresh
    g_layout.initialised = false;
    return;
  }
  if (!g_layout.initialised) return;
  int dx = cx - g_layout.client.cx, dy = cy - g_layout.client.cy;
  for (int i = 0; i < kAnchorCount; ++i) {
    HWND c = ::GetDlgItem(m_hWnd, (int)kAnchors[i].id);
    if (!c || IsRectEmpty(&g_layout.rects[i])) continue;
    const Anchor& a = kAnchors[i];
    RECT r = g_layout.rects[i];
    if (a.moveX) OffsetRect(&r, dx, 0);
    if (a.moveY) OffsetRect(&r, 0, dy);
    if (a.growX) r.right += dx;
    if (a.growY) r.bottom += dy;
    ::MoveWindow(c, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  g_layout.redraw = true;
}

void CPathDlg::OnSizing(UINT edge, RECT* rc) {
  if (!g_layout.initialised) return;
  if (rc->right - rc->left < g_layout.minimum.cx) {
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
      rc->left = rc->right - g_layout.minimum.cx;
    else
      rc->right = rc->left + g_layout.minimum.cx;
  }
  if (rc->bottom - rc->top < g_layout.minimum.cy) {
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
      rc->top = rc->bottom - g_layout.minimum.cy;
    else
      rc->bottom = rc->top + g_layout.minimum.cy;
  }
}

void PdSavePlacement(HWND dlg) {
  if (IsZoomed(dlg)) return;
  RECT r;
  if (GetWindowRect(dlg, &r)) {
    g_layout.placement = r;
    g_layout.placed = true;
  }
}

BOOL CPathDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam), code = HIWORD(wParam);
  switch (id) {
    case PD_CMD_DRIVES_READY:
      OnDrivesReady();
      return TRUE;
    case PD_CMD_ROWS_READY:
      OnRowsReady();
      return TRUE;
    case PD_CMD_SYNCTREE:
      SyncTree();
      return TRUE;
    case IDC_PD_TREEMODE:
      if (code == BN_CLICKED) OnTreeModeClicked();
      return TRUE;
    case IDC_PD_UP:
      if (code == BN_CLICKED) OnUp();
      return TRUE;
    case IDC_PD_BREADCRUMB:
      if (code == BN_CLICKED && !(m_flags & PDF_NOBREADCRUMB) && m_combo) {
        m_breadcrumb = IsDlgButtonChecked(IDC_PD_BREADCRUMB) != 0;
        m_combo->SetBreadcrumb(m_breadcrumb);
      }
      return TRUE;
    case IDC_PD_DRIVES:
      // a choice made in the dropped-down list counts once the list is closed
      if (code == CBN_SELCHANGE || code == CBN_CLOSEUP) OnDriveChange();
      return TRUE;
    case IDC_PD_PATH:
      if (code == CBN_SELCHANGE && m_combo) {
        int sel = m_combo->GetCurSel();
        if (sel >= 0) {
          CString t;
          m_combo->GetLBText(sel, t);
          SetAndList((const char*)t);
        }
        return TRUE;
      }
      break;
    case IDC_PD_LIST:
      if (code == LBN_DBLCLK) {
        OpenRow((int)::SendDlgItemMessageA(m_hWnd, IDC_PD_LIST, LB_GETCURSEL, 0, 0));
        return TRUE;
      }
      break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPathDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* nm = reinterpret_cast<NMHDR*>(lParam);
  if (nm->idFrom == IDC_PD_TREE && OnTreeNotify(nm)) {
    *pResult = 0;
    return TRUE;
  }
  if (nm->idFrom == IDC_PD_PATH && nm->code == PCN_PATHSET) {
    auto* pn = reinterpret_cast<NMPATHCOMBO*>(lParam);
    std::string p = pn->path ? pn->path : "";
    if (PathTextIsDrive(p.c_str())) p += '\\';
    if (m_treeMode && m_tree) {
      SetPath(p.c_str());
      m_tree->SelectPath(p.c_str(), nullptr, 1);
      *pResult = 0;
      return TRUE;
    }
    if (p != m_path && PathTextWithSeparator(m_path) != p) SetAndList(p);
    *pResult = 0;
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

LRESULT CPathDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case PATHDLG_WM_DROPPED:
      OnDropped((HDROP)wParam);
      return 0;
    case WM_TIMER:
      if (wParam == PD_TIMER) {
        TransferRows();
        TreeTick();
        return 0;
      }
      break;
    case WM_SIZE:
      Layout(LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_SIZING:
      OnSizing((UINT)wParam, reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_EXITSIZEMOVE:
      if (g_layout.redraw) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      g_layout.redraw = false;
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && m_combo && m_breadcrumb && m_combo->IsEditing()) m_combo->EndEdit(FALSE);
      if (wParam == PD_SC_EXTENSION && !m_extension.empty()) {
        SetAndList(std::string(PathJoin(m_path.c_str(), m_extension.c_str())));
        return 0;
      }
      break;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlID == IDC_PD_PATH || mi->CtlID == IDC_PD_DRIVES) {
        mi->itemHeight = (UINT)CPathComboBox::GetItemHeight();
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (dis->CtlID == IDC_PD_PATH && m_combo) {
        m_combo->DrawItem(dis);
        return TRUE;
      }
      if (dis->CtlID == IDC_PD_LIST || dis->CtlID == IDC_PD_DRIVES) {
        DrawRow(dis);
        return TRUE;
      }
      break;
    }
    case WM_DESTROY:
      // a dialog destroyed with its owner has seen neither OK nor Cancel
      StopWorker();
      DestroyTree();
      KillTimer(PD_TIMER);
      if (!(m_flags & PDF_NOBREADCRUMB)) WriteMode("PathDlgBreadCrumb", m_breadcrumb ? 1 : 0);
      if (m_combo) {
        // a second Run makes a new one
        LRESULT r = CDialog::WindowProc(message, wParam, lParam);
        delete m_combo;
        m_combo = nullptr;
        return r;
      }
      break;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
