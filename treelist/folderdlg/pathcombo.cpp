// CPathComboBox: the path, its segments and layout, history, editing and the
// window procedure.
#include "treelist/folderdlg/pathcombo.h"

#include <shellapi.h>
#include <string.h>

#include "files/pathname.h"
#include "files/shellicons.h"
#include "files/shellpath.h"
#include "framework/commondlg.h"
#include "toolkit/uxthemeapi.h"
#include "treelist/folderdlg/pathcombo_shared.h"
#include "treelist/folderdlg/pathtext.h"

IMPLEMENT_DYNAMIC(CPathComboBox, CComboBox)

PcShared& PcGetShared() {
  static PcShared* s = [] {
    auto* p = new PcShared;
    InitializeCriticalSection(&p->lock);
    LOGFONTA lf = {};
    SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
    p->font = CreateFontIndirectA(&lf);
    strcpy(lf.lfFaceName, "Marlett");
    lf.lfCharSet = SYMBOL_CHARSET;
    p->marlett = CreateFontIndirectA(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, p->marlett);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    p->hasMarlett = lstrcmpiA(face, "Marlett") == 0;
    SelectObject(dc, p->font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    p->fontHeight = tm.tmHeight;
    GetCharWidth32A(dc, 0, 255, p->charWidth);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    p->images = ShellGetSystemImageList(0);
    if (p->images) ImageList_GetIconSize(p->images, &p->iconW, &p->iconH);
    p->folderIcon = ShellGetFolderIconIndex(1);
    p->itemHeight = (p->iconH > p->fontHeight ? p->iconH : p->fontHeight) + 2;
    p->rowHeight = p->itemHeight;
    return p;
  }();
  return *s;
}

void PcDrawArrow(HDC dc, const RECT& rc, bool down) {
  const PcShared& sh = PcGetShared();
  if (sh.hasMarlett) {
    HGDIOBJ old = SelectObject(dc, sh.marlett);
    RECT t = rc;
    DrawTextA(dc, down ? "6" : "4", 1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    return;
  }
  // about the glyphs' size: a third of the font, half as deep as wide
  int s = sh.fontHeight / 3 < 2 ? 2 : sh.fontHeight / 3;
  int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
  POINT pt[3];
  if (down) {
    pt[0] = {cx - s, cy - s / 2};
    pt[1] = {cx + s, cy - s / 2};
    pt[2] = {cx, cy - s / 2 + s};
  } else {
    pt[0] = {cx - s / 2, cy - s};
    pt[1] = {cx - s / 2, cy + s};
    pt[2] = {cx - s / 2 + s, cy};
  }
  COLORREF c = GetTextColor(dc);
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HBRUSH brush = CreateSolidBrush(c);
  HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
  Polygon(dc, pt, 3);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

int PcTextWidth(const std::string& text, int limit) {
  const PcShared& sh = PcGetShared();
  int w = 0;
  for (unsigned char c : text) {
    w += sh.charWidth[c];
    if (w >= limit) return limit;
  }
  return w;
}

CPathComboBox::CPathComboBox() = default;

CPathComboBox::~CPathComboBox() {
  StopWorker();
  // the edit field may outlive this object (deleted while its dialog goes)
  if (m_edit && m_editProc && ::IsWindow(m_edit)) ::SetWindowLongPtrA(m_edit, GWLP_WNDPROC, (LONG_PTR)m_editProc);
  if (m_dropDown) ::DestroyWindow(m_dropDown);
}

int CPathComboBox::GetItemHeight() { return PcGetShared().itemHeight; }

BOOL CPathComboBox::SubclassCombo(unsigned options, HWND combo) {
  PcGetShared();
  m_options = options;
  if (!SubclassWindow(combo)) return FALSE;
  Setup();
  return TRUE;
}

BOOL CPathComboBox::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  PcGetShared();
  // the options are taken before the combo style is forced over them
  m_options = style & 0xFFFF;
  if (!CreateEx(exStyle | WS_EX_NOPARENTNOTIFY, "COMBOBOX", nullptr, PcComboStyle(style), rect, parent, id))
    return FALSE;
  Setup();
  return TRUE;
}

BOOL CPathComboBox::CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholder, CWnd* parent, UINT id) {
  HWND ph = ::GetDlgItem(parent->m_hWnd, placeholder);
  if (!ph) return FALSE;
  RECT rc;
  ::GetWindowRect(ph, &rc);
  ::MapWindowPoints(nullptr, parent->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
  ::DestroyWindow(ph);
  return Create(exStyle, style, rc, parent, id);
}

void CPathComboBox::OpenTheme() {
  const UxThemeApi& ux = UxThemeGetApi();
  if (m_theme && ux.CloseThemeData) ux.CloseThemeData(m_theme);
  m_theme = ux.OpenThemeData ? ux.OpenThemeData(m_hWnd, L"Header") : nullptr;
}

void CPathComboBox::Setup() {
  const PcShared& sh = PcGetShared();
  OpenTheme();
  m_breadcrumb = !(m_options & PCO_NOBREADCRUMB);
  m_edit = ::GetWindow(m_hWnd, GW_CHILD);
  if (m_edit) {
    ::SetWindowLongPtrA(m_edit, GWLP_USERDATA, (LONG_PTR)this);
    m_editProc = (WNDPROC)::SetWindowLongPtrA(m_edit, GWLP_WNDPROC, (LONG_PTR)EditThunk);
    // longer text is refused on commit, never cut while typing
    ::SendMessageA(m_edit, EM_LIMITTEXT, 1024, 0);
  }
  static bool registered = false;
  if (!registered) {
    registered = true;
    InitCommonControls();
  }
  m_dropDown = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_LISTVIEWA, "",
                               WS_POPUP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA |
                                   LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                               0, 0, 10, 10, m_hWnd, nullptr, nullptr, nullptr);
  if (m_dropDown) {
    ::SetWindowLongPtrA(m_dropDown, GWLP_USERDATA, (LONG_PTR)this);
    ::SetWindowLongPtrA(m_dropDown, GWLP_WNDPROC, (LONG_PTR)DropDownThunk);
    ListView_SetImageList(m_dropDown, sh.images, LVSIL_SMALL);
    ListView_SetExtendedListViewStyle(m_dropDown, LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
    ListView_SetHoverTime(m_dropDown, 30);
    COLORREF menu = GetSysColor(COLOR_MENU);
    ListView_SetBkColor(m_dropDown, menu);
    ListView_SetTextBkColor(m_dropDown, menu);
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH;
    col.cx = 250;
    ::SendMessageA(m_dropDown, LVM_INSERTCOLUMNA, 0, (LPARAM)&col);
    ::PostMessageA(m_dropDown, WM_SETFONT, (WPARAM)sh.font, 0);
    MeasureListMargin();
  }
  SetDropTarget((m_options & PCO_DROP) != 0);
  StartWorker();
  RECT rc;
  GetClientRect(&rc);
  PostMessage(WM_SETFONT, (WPARAM)sh.font, 0);
  PostMessage(WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
  if (!m_breadcrumb) StartEdit();
}

// Once per process: what a drop-down row needs besides its text, as the
// list view sizes its column to one row without text (its item rectangles
// leave out the label's padding).
void CPathComboBox::MeasureListMargin() {
  PcShared& sh = PcGetShared();
  {
    PcLock lock;
    if (sh.listMargin >= 0) return;
  }
  ::SendMessageA(m_dropDown, LVM_SETITEMCOUNT, 1, 0);  // no list open: an empty row
  ::SendMessageA(m_dropDown, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
  int w = (int)::SendMessageA(m_dropDown, LVM_GETCOLUMNWIDTH, 0, 0);
  ::SendMessageA(m_dropDown, LVM_SETITEMCOUNT, 0, 0);
  PcLock lock;
  // and the border: the column is the list's width less 2
  sh.listMargin = (w > 0 ? w : sh.iconW + 16) + 2;
}

std::string CPathComboBox::GetPath() const {
  PcLock lock;
  return m_path;
}

int CPathComboBox::GetSegmentCount() const {
  PcLock lock;
  return (int)m_segStart.size();
}

std::string CPathComboBox::SegmentText(int k) const {
  if (k < 0 || k >= (int)m_segStart.size()) return std::string();
  return m_path.substr((size_t)m_segStart[(size_t)k], (size_t)m_segLen[(size_t)k]);
}

int CPathComboBox::SetPath(const char* text, int length) {
  if (!text) return 0;
  unsigned tag = (unsigned)length & 0xFFFF0000u;
  bool choice = tag == PCS_CHOICE, dropped = tag == PCS_DROPPED;
  std::string path;
  if (choice || dropped) {
    size_t n = (unsigned)length & 0x3FFF;
    path.assign(text, strnlen(text, n));
    if (choice && (length & PCS_VIRTUAL) && !PathTextIsNetwork(path.c_str()) && path.size() > 2 &&
        path.find(':') == std::string::npos)
      path = "\\\\" + path;
  } else {
    size_t n = length < 0 ? strlen(text) : strnlen(text, (size_t)length);
    if (n > (size_t)FOLDER_MAX_PATH) return 0;
    std::string typed(text, n);
    char full[MAX_PATH + 1];
    // "X:" alone stays the drive, not the drive's current folder
    bool keep = PathTextIsNetwork(typed.c_str()) || PathTextIsDrive(typed.c_str());
    DWORD r = keep ? 0 : GetFullPathNameA(typed.c_str(), sizeof full, full, nullptr);
    if (r >= sizeof full) return 0;
    path = r ? std::string(full, r) : typed;
  }
  if (path.size() > (size_t)FOLDER_MAX_PATH) return 0;
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.size() > 1 && path.back() == '\\' && path[path.size() - 2] != '\\') path.pop_back();
  if (path == m_path) return 1;
  if (PathTextIsNetwork(path.c_str()) && (m_options & PCO_NONETWORK)) return 0;
  int kind = choice ? 0 : PathTextIsDrive(path.c_str()) ? 2 : 1;
  // a choice brings its entry's icon along
  int icon = choice && (length & PCS_KEEPICON) ? m_choiceIcon : -1;
  m_choiceIcon = -1;
  if (!choice || !(length & PCS_KEEPICON)) {
    CWaitCursor wait;
    if (kind == 2) {
      icon = ShellGetDriveIconIndex(path[0], 1);
    } else {
      char resolved[MAX_PATH + 1];
      const char* probe = path.c_str();
      if (PathTextIsNetwork(probe) && DirResolveDisplayPath(probe, resolved, sizeof resolved) > 0) probe = resolved;
      DWORD attr = GetFileAttributesA(probe);
      if (attr == INVALID_FILE_ATTRIBUTES && kind != 0) kind = 3;
      // by attributes: the shell's own look at a folder is slow
      SHFILEINFOA fi = {};
      DWORD a = attr == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_DIRECTORY : attr;
      if (SHGetFileInfoA(probe, a, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        icon = fi.iIcon;
    }
    if (kind == 3 && (m_options & PCO_MUSTEXIST)) return 0;
  }
  if (icon < 0) icon = PcGetShared().folderIcon;
  {
    PcLock lock;
    int common = PathTextCommonSegments(m_path.c_str(), path.c_str(), FOLDER_MAX_SEGMENTS);
    uint32_t old = m_generation;
    ++m_generation;
    for (int k = 0; k <= FOLDER_MAX_SEGMENTS; ++k) {
      List& l = m_lists[k];
      bool valid = l.tag == PathTag(old, k) && (k == 0 || k <= common);
      l.tag = valid ? PathTag(m_generation, k) : 0;
    }
    if (GetLogicalDrives() != m_driveMask) {
      m_driveMask = GetLogicalDrives();
      m_lists[0].tag = 0;
    }
    m_path = path;
    m_kind = kind;
    m_icon = icon;
    m_segStart.clear();
    m_segLen.clear();
    for (const PathSegment& s : PathTextSegments(m_path.c_str(), FOLDER_MAX_SEGMENTS)) {
      m_segStart.push_back(s.start);
      m_segLen.push_back(s.length);
    }
  }
  CloseList();
  RequestChain((int)m_segStart.size());
  ::SetWindowTextA(m_hWnd, m_path.c_str());
  if (m_edit) {
    CallWindowProcA(m_editProc, m_edit, WM_SETTEXT, 0, (LPARAM)m_path.c_str());
    m_textChanged = FALSE;
  }
  Layout();
  Invalidate(FALSE);
  if (m_options & PCO_HISTORY) {
    if (m_historyPos < 0 || m_history[(size_t)m_historyPos] != m_path) {
      m_history.resize((size_t)(m_historyPos + 1));
      m_history.push_back(m_path);
      if (m_history.size() > 50) m_history.erase(m_history.begin());
      m_historyPos = (int)m_history.size() - 1;
    }
  }
  return 1;
}

int CPathComboBox::GoToSegment(int n) {
  std::string p;
  {
    PcLock lock;
    if (n < 1 || n >= (int)m_segStart.size()) return 0;
    p = PathTextPrefix(m_path.c_str(), n, FOLDER_MAX_SEGMENTS);
  }
  if (PathTextIsDrive(p.c_str())) m_choiceIcon = ShellGetDriveIconIndex(p[0], 1);
  int r = SetPath(p.c_str(), (int)(PCS_CHOICE | PCS_KEEPICON | (p.size() & 0x3FFF)));
  if (r) Notify(PCN_PATHSET);
  return r;
}

int CPathComboBox::HistoryStep(BOOL forward) {
  int to = m_historyPos + (forward ? 1 : -1);
  if (to < 0 || to >= (int)m_history.size()) return 0;
  m_historyPos = to;
  std::string p = m_history[(size_t)to];
  int r = SetPath(p.c_str(), (int)(PCS_CHOICE | (p.size() & 0x3FFF)));
  if (r) Notify(PCN_PATHSET);
  return r;
}

void CPathComboBox::Notify(UINT code) {
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) return;
  std::string path = GetPath();
  NMPATHCOMBO nm = {};
  nm.hdr.hwndFrom = m_hWnd;
  nm.hdr.idFrom = (UINT_PTR)::GetWindowLongA(m_hWnd, GWL_ID);
  nm.hdr.code = code;
  nm.kind = 1;
  nm.path = path.c_str();
  ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
}

int CPathComboBox::SetBreadcrumb(BOOL on) {
  BOOL old = m_breadcrumb;
  m_breadcrumb = on;
  if (on && m_editing && ::GetFocus() != m_edit) {
    if (m_textChanged) {
      // typed text stays for the next OK, as when the field loses the focus
      m_editing = FALSE;
      ::ShowWindow(m_edit, SW_HIDE);
    } else {
      EndEdit(TRUE);
    }
  }
  if (!on) StartEdit();
  Invalidate(FALSE);
  return old;
}

void CPathComboBox::ApplyOptions(unsigned options) {
  m_options = (m_options & ~0xFFFFu) | options;
  {
    PcLock lock;
    if (m_worker) m_worker->options = m_options;
  }
  SetDropTarget((m_options & PCO_DROP) != 0);
  BOOL crumb = !(m_options & PCO_NOBREADCRUMB);
  if (crumb != m_breadcrumb) SetBreadcrumb(crumb);
}

int CPathComboBox::SetDropTarget(BOOL on) {
  BOOL old = m_dropTarget;
  m_dropTarget = on;
  ::DragAcceptFiles(m_hWnd, on);
  return old;
}

void CPathComboBox::StartEdit() {
  if (!m_edit) return;
  CloseList();
  m_editing = TRUE;
  // text typed before the field lost the focus is kept
  if (!m_textChanged) CallWindowProcA(m_editProc, m_edit, WM_SETTEXT, 0, (LPARAM)m_path.c_str());
  PlaceEdit();
  ::ShowWindow(m_edit, SW_SHOW);
  ::SetFocus(m_edit);
  ::SendMessageA(m_edit, EM_SETSEL, 0, -1);
  m_editTicks = 3;
  SetTimer(PC_TIMER_EDIT, 250, nullptr);
  Invalidate(FALSE);
}

void CPathComboBox::PlaceEdit() {
  if (!m_edit) return;
  RECT rc, er;
  GetClientRect(&rc);
  ::GetWindowRect(m_edit, &er);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&er), 2);
  int left = PcGetShared().iconW + 4;
  if (er.left < left) ::MoveWindow(m_edit, left, er.top, er.right - left, er.bottom - er.top, TRUE);
}

int CPathComboBox::EndEdit(BOOL cancel) {
  if (!m_breadcrumb) return 1;
  if (!cancel && m_edit) {
    char text[FOLDER_MAX_PATH + 2];
    CallWindowProcA(m_editProc, m_edit, WM_GETTEXT, sizeof text, (LPARAM)text);
    std::string typed = PathTextClean(text);
    if (!typed.empty() && typed != m_path && SetPath(text, -1)) Notify(PCN_PATHSET);
  }
  if (m_edit) CallWindowProcA(m_editProc, m_edit, WM_SETTEXT, 0, (LPARAM)m_path.c_str());
  m_editing = FALSE;
  m_textChanged = FALSE;
  if (m_edit) ::ShowWindow(m_edit, SW_HIDE);
  SetFocus();
  Invalidate(FALSE);
  return 1;
}

void CPathComboBox::CommitEdit() {
  char text[FOLDER_MAX_PATH + 8];
  int n = (int)CallWindowProcA(m_editProc, m_edit, WM_GETTEXTLENGTH, 0, 0);
  if (n > FOLDER_MAX_PATH) {
    MessageBeep(MB_ICONASTERISK);  // too long: the text stays for the user to shorten
    return;
  }
  CallWindowProcA(m_editProc, m_edit, WM_GETTEXT, sizeof text, (LPARAM)text);
  std::string before = m_path;
  int r = SetPath(text, -1);
  if (r && m_path != before && PathTextClean(text) != "") Notify(PCN_PATHSET);  // only a change is news
  if (r && (m_options & PCO_OWNLIST)) {
    int at = FindStringExact(-1, m_path.c_str());
    if (at >= 0) DeleteString((UINT)at);
    InsertString(0, m_path.c_str());
    while (GetCount() > FOLDER_RECENT_LIMIT) DeleteString((UINT)(GetCount() - 1));
  }
  if (!r) {
    // refused (missing, or a network path where none is wanted): the
    // editing ends with the path as it was
    MessageBeep(MB_ICONASTERISK);
    if (m_breadcrumb) EndEdit(TRUE);
    else CallWindowProcA(m_editProc, m_edit, WM_SETTEXT, 0, (LPARAM)m_path.c_str());
    m_textChanged = FALSE;
    return;
  }
  if (m_breadcrumb) {
    m_editing = FALSE;
    ::ShowWindow(m_edit, SW_HIDE);
    SetFocus();
    Invalidate(FALSE);
  }
}

void CPathComboBox::Layout() {
  PcLock lock;
  const PcShared& sh = PcGetShared();
  RECT rc;
  GetClientRect(&rc);
  int arrow = GetSystemMetrics(SM_CXHSCROLL);
  m_elems.clear();
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, sh.font);
  int x = 0;
  m_elems.push_back({x, x + arrow});
  x += arrow;
  m_segWidth.clear();
  for (size_t k = 0; k < m_segStart.size(); ++k) {
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(dc, m_path.c_str() + m_segStart[k], m_segLen[k], &sz);
    m_segWidth.push_back(sz.cx);
    m_elems.push_back({x, x + (int)sz.cx + 8});
    x += (int)sz.cx + 8;
    m_elems.push_back({x, x + arrow});
    x += arrow;
  }
  SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  int n = (int)m_segStart.size();
  int last = 2 * n;
  // the last arrow goes when that folder is known to have no subfolders
  const List& l = m_lists[n];
  if (n > 0 && l.tag == PathTag(m_generation, n) && l.entries.empty()) last = 2 * n - 1;
  int avail = rc.right - sh.iconW - 24 - GetSystemMetrics(SM_CXVSCROLL);
  int first = last;
  while (first > 0 && m_elems[(size_t)last].x1 - m_elems[(size_t)first - 1].x0 <= avail) --first;
  m_firstVisible = first;
  m_scroll = m_elems[(size_t)first].x0 - sh.iconW - 4;
  m_elems.resize((size_t)last + 1);
}

bool CPathComboBox::GetElementRect(int e, RECT* out) const {
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  const PcShared& sh = PcGetShared();
  if (e == PCE_ICON) {
    *out = {0, 0, sh.iconW + 4, rc.bottom};
  } else if (e == PCE_BUTTON) {
    *out = {rc.right - GetSystemMetrics(SM_CXVSCROLL), 0, rc.right, rc.bottom};
  } else {
    PcLock lock;
    if (e < m_firstVisible || e >= (int)m_elems.size()) return false;
    *out = {m_elems[(size_t)e].x0 - m_scroll, 0, m_elems[(size_t)e].x1 - m_scroll, rc.bottom};
  }
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(out), 2);
  return true;
}

int CPathComboBox::HitTest(POINT pt) const {
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  if (pt.y < 0 || pt.y >= rc.bottom || pt.x < 0 || pt.x >= rc.right) return -1;
  if (pt.x >= rc.right - GetSystemMetrics(SM_CXVSCROLL)) return PCE_BUTTON;
  if (pt.x < PcGetShared().iconW + 4) return PCE_ICON;
  if (m_editing) return -1;
  PcLock lock;
  int x = pt.x + m_scroll;
  for (int e = m_firstVisible; e < (int)m_elems.size(); ++e)
    if (x >= m_elems[(size_t)e].x0 && x < m_elems[(size_t)e].x1) return e;
  return PCE_EMPTY;
}

void CPathComboBox::SetHot(int e) {
  if (e == m_hot) return;
  m_hot = e;
  if (!m_tracking) {
    TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, m_hWnd, 0};
    m_tracking = _TrackMouseEvent(&t) != FALSE;
  }
  if (m_openList >= 0 && e >= 0 && e < PCE_ICON && ListOfElement(e) != m_openList) OpenList(ListOfElement(e));
  Invalidate(FALSE);
}

void CPathComboBox::OnMouseMove(POINT pt, UINT keys) {
  SetHot(HitTest(pt));
  UpdateButton(pt, (keys & MK_LBUTTON) != 0);
  if (m_pressedIcon && (keys & MK_LBUTTON) && (abs(pt.x - m_pressPt.x) > 3 || abs(pt.y - m_pressPt.y) > 4)) {
    m_pressedIcon = false;
    if (m_options & PCO_DRAG) DragOut();
  }
}

void CPathComboBox::OnLButtonDown(POINT pt, UINT keys) {
  int e = HitTest(pt);
  if (e == PCE_ICON) {
    m_pressedIcon = true;
    m_pressPt = pt;
    return;
  }
  if (e == PCE_EMPTY) {
    StartEdit();
    return;
  }
  if (e == PCE_BUTTON || e < 0) return;
  if (keys & MK_CONTROL) {
    m_keyElem = e;
    SetFocus();
  }
  if (e & 1) {
    GoToSegment((e + 1) / 2);
    return;
  }
  int k = ListOfElement(e);
  if (m_openList == k) {
    CloseList();
  } else if (GetTickCount() - m_closedAt >= 50) {
    OpenList(k);
  }
}

// Enter that the segments act on: going to the keyboard element's segment, or
// with Shift or Ctrl editing. Before the keys moved onto the segments, and on
// the last one, Enter is the dialog's (its OK, Ctrl+Enter there included).
bool CPathComboBox::WantsEnter() const {
  if (m_editing || m_keyElem < 1) return false;
  if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0) return true;
  PcLock lock;
  return (m_keyElem + 1) / 2 < (int)m_segStart.size();
}

bool CPathComboBox::OnKey(UINT vk) {
  int n = (int)m_elems.size();
  if (n == 0) return false;
  int arrowCount = (n + 1) / 2;
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT: {
      int a = m_keyElem >= 0 && !(m_keyElem & 1) ? m_keyElem / 2 : arrowCount - 1;
      a = (a + (vk == VK_RIGHT ? 1 : arrowCount - 1)) % arrowCount;
      m_keyElem = 2 * a;
      Invalidate(FALSE);
      return true;
    }
    case VK_DOWN:
      if (m_keyElem >= 0) OpenList(ListOfElement(m_keyElem));
      return true;
    case VK_RETURN:
      if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || m_keyElem < 1)
        StartEdit();
      else
        GoToSegment((m_keyElem + 1) / 2);
      return true;
    case VK_TAB:
      if (m_options & PCO_TABPARENT) {
        ::SetFocus(::GetParent(m_hWnd));
        return true;
      }
      return false;
  }
  return false;
}

BOOL CPathComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND && (HIWORD(wParam) == CBN_SELENDOK || HIWORD(wParam) == CBN_SELENDCANCEL)) {
    // the entry the list preselected for the typed text is no choice
    m_listChosen = HIWORD(wParam) == CBN_SELENDOK;
    return FALSE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_CLOSEUP) {
    int sel = m_listChosen ? GetCurSel() : -1;
    m_listChosen = false;
    if (sel >= 0) {
      CString text;
      GetLBText(sel, text);
      std::string before = m_path;
      if (SetPath(text, -1) && m_path != before) Notify(PCN_PATHSET);
      SetFocus();
    } else if (m_breadcrumb && m_editing && m_edit) {
      // typed text not yet committed stays for Enter
      char text[FOLDER_MAX_PATH + 2];
      CallWindowProcA(m_editProc, m_edit, WM_GETTEXT, sizeof text, (LPARAM)text);
      if (GetPath() == text) EndEdit(TRUE);
    }
    return FALSE;  // the parent sees it too
  }
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_DROPDOWN) {
    // also by the keyboard (F4, Alt+Down)
    SetTimer(PC_TIMER_TRACK, 100, nullptr);
    m_buttonState = 3;
    Invalidate(FALSE);
    return FALSE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_EDITCHANGE) {
    m_textChanged = TRUE;
    return FALSE;
  }
  return CComboBox::OnChildNotify(message, wParam, lParam, pResult);
}

namespace {
// Input that changes an edit field's text (typed, deleted, pasted, cut, undone).
bool TextInput(UINT m, WPARAM wp) {
  return m == WM_CHAR || m == WM_PASTE || m == WM_CUT || m == WM_CLEAR || m == WM_UNDO ||
         (m == WM_KEYDOWN && (wp == VK_DELETE || wp == VK_INSERT));
}
}  // namespace

LRESULT CALLBACK CPathComboBox::EditThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CPathComboBox*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
  if (self->m_breadcrumb && !self->m_editing && TextInput(m, wp)) {
    // keys the combo passes on while the segments show: the hidden field
    // takes no text that a later OK would commit as a path
    return 0;
  }
  if (m == WM_KEYDOWN) {
    if (wp == VK_RETURN) {
      self->CommitEdit();
      return 0;
    }
    if (wp == VK_ESCAPE && self->m_breadcrumb) {
      // with the own list down Escape closes only the list
      if (self->GetDroppedState())
        self->ShowDropDown(FALSE);
      else
        self->EndEdit(TRUE);
      return 0;
    }
    if (wp == VK_TAB && (self->m_options & PCO_TABPARENT)) {
      ::SetFocus(::GetParent(self->m_hWnd));
      return 0;
    }
  } else if (m == WM_CHAR && (wp == '\r' || wp == 27)) {
    return 0;
  } else if (m == WM_CHAR || m == WM_PASTE || m == WM_CUT || m == WM_CLEAR) {
    self->m_textChanged = TRUE;
  } else if (m == WM_GETDLGCODE) {
    // unchanged text leaves Enter to the dialog (its OK)
    LRESULT code = CallWindowProcA(self->m_editProc, w, m, wp, lp);
    return self->m_textChanged ? code | DLGC_WANTALLKEYS : code;
  } else if (m == WM_KILLFOCUS) {
    LRESULT r = CallWindowProcA(self->m_editProc, w, m, wp, lp);
    HWND to = (HWND)wp;
    if (self->m_breadcrumb && self->m_editing && to != self->m_hWnd && ::GetParent(to) != self->m_hWnd) {
      self->m_editing = FALSE;
      ::ShowWindow(w, SW_HIDE);
      self->Invalidate(FALSE);
    }
    return r;
  } else if (m == WM_DROPFILES) {
    return ::SendMessageA(self->m_hWnd, m, wp, lp);
  }
  return CallWindowProcA(self->m_editProc, w, m, wp, lp);
}

LRESULT CPathComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  switch (message) {
    case PC_WM_WORKER:
      if (wParam == 3) OnWorkerDone((uint32_t)lParam);
      return 0;
    case WM_PAINT:
      if (!m_editing) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
      } else {
        LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
        HDC dc = ::GetDC(m_hWnd);
        Paint(dc);
        ::ReleaseDC(m_hWnd, dc);
        return r;
      }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      // the hidden edit field must not take the keyboard in breadcrumb mode
      if (!m_editing) {
        Invalidate(FALSE);
        return 0;
      }
      break;
    case WM_SIZE: {
      LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
      Layout();
      if (m_editing) PlaceEdit();
      else if (m_edit) ::ShowWindow(m_edit, SW_HIDE);
      Invalidate(FALSE);
      return r;
    }
    case WM_TIMER:
      if (wParam == PC_TIMER_EDIT) {
        PlaceEdit();
        if (--m_editTicks <= 0) KillTimer(PC_TIMER_EDIT);
        return 0;
      }
      if (wParam == PC_TIMER_TRACK) {
        TrackButton();
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(pt, (UINT)wParam);
      return 0;
    case WM_MOUSELEAVE:
      m_tracking = false;
      SetHot(-1);
      UpdateButton({-1, -1}, false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int e = HitTest(pt);
      if (e == PCE_BUTTON && !m_editing && !GetDroppedState()) {
        // the combo drops its list only once it has seen the focus, which
        // goes to the hidden edit field: the list is dropped here instead
        SetFocus();
        ShowDropDown(TRUE);
        SetTimer(PC_TIMER_TRACK, 100, nullptr);
        UpdateButton(pt, true);
        return 0;
      }
      if (e == PCE_BUTTON || (m_editing && e != PCE_ICON)) {
        if (GetDroppedState() && !m_editing) StartEdit();
        SetTimer(PC_TIMER_TRACK, 100, nullptr);
        LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
        UpdateButton(pt, true);
        return r;
      }
      if (m_breadcrumb) {
        OnLButtonDown(pt, (UINT)wParam);
      } else if (e == PCE_ICON) {
        m_pressedIcon = true;  // the icon drags the path out in text mode too
        m_pressPt = pt;
      }
      return 0;
    }
    case WM_LBUTTONUP:
      if (m_pressedIcon && HitTest(pt) == PCE_ICON) StartEdit();
      m_pressedIcon = false;
      UpdateButton(pt, false);
      break;
    case WM_RBUTTONUP:
      OnContextMenu(pt);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == PC_CMD_COPYPATH) {
        std::string p = GetPath();
        char resolved[MAX_PATH + 1];
        if (PathTextIsNetwork(p.c_str()) && DirResolveDisplayPath(p.c_str(), resolved, sizeof resolved) > 0)
          p = resolved;
        CopyText(p);
        return 0;
      }
      if (LOWORD(wParam) == PC_CMD_COPYSEGMENT) {
        CopyText(SegmentText((m_menuElem - 1) / 2));
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (!m_editing && OnKey((UINT)wParam)) return 0;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS | ((m_options & PCO_TABPARENT) ? DLGC_WANTTAB : 0);
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && WantsEnter()) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_DROPFILES:
      if (m_options & PCO_DROPTOPARENT) {
        ::SendMessageA(::GetParent(m_hWnd), PATHDLG_WM_DROPPED, wParam, 0);
        return 0;
      }
      DropFiles((HDROP)wParam);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
      const char* t = (const char*)lParam;
      if (t && GetPath() != t) SetPath(t, -1);
      return r;
    }
    case WM_GETTEXT:
      if (!m_editing && wParam > 0) {
        std::string p = GetPath();
        size_t n = p.size() < wParam - 1 ? p.size() : wParam - 1;
        memcpy((char*)lParam, p.c_str(), n);
        ((char*)lParam)[n] = 0;
        return (LRESULT)n;
      }
      break;
    case WM_GETTEXTLENGTH:
      if (!m_editing) return (LRESULT)GetPath().size();
      break;
    case CB_SETCURSEL:
    case CB_SELECTSTRING: {
      LRESULT r = CComboBox::WindowProc(message, wParam, lParam);
      if (r != CB_ERR) {
        CString t;
        GetLBText((int)r, t);
        SetPath(t, -1);
      }
      return r;
    }
    case WM_NOTIFY:
      if (m_dropDown && ((NMHDR*)lParam)->hwndFrom == m_dropDown) return OnDropDownNotify((NMHDR*)lParam);
      break;
    case WM_STYLECHANGED: {
      // options set through the style: taken, then the combo's own bits back
      const STYLESTRUCT* ss = reinterpret_cast<const STYLESTRUCT*>(lParam);
      if (wParam == (WPARAM)GWL_STYLE && !m_restyling && ((ss->styleNew ^ ss->styleOld) & 0xFFFF)) {
        DWORD own = PcComboStyle(ss->styleNew);
        ApplyOptions(ss->styleNew & 0xFFFF);
        m_restyling = true;
        ::SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)own);
        m_restyling = false;
      }
      break;
    }
    case WM_THEMECHANGED:
      OpenTheme();
      Invalidate();
      break;
    case WM_DESTROY:
      StopWorker();
      if (m_theme && UxThemeGetApi().CloseThemeData) UxThemeGetApi().CloseThemeData(m_theme);
      m_theme = nullptr;
      break;
  }
  return CComboBox::WindowProc(message, wParam, lParam);
}
