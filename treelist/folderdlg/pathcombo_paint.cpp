// CPathComboBox: painting, its own list's items and the subfolder pop-up.
#include <string.h>
#include <vssym32.h>

#include "files/shellicons.h"
#include "toolkit/uxthemeapi.h"
#include "treelist/folderdlg/pathcombo.h"
#include "treelist/folderdlg/pathcombo_shared.h"
#include "treelist/folderdlg/pathtext.h"

namespace {

COLORREF Mix(COLORREF a, COLORREF b) {
  // a quarter of a, three quarters of b
  return RGB(GetRValue(a) / 4 + GetRValue(b) / 4 * 3, GetGValue(a) / 4 + GetGValue(b) / 4 * 3,
             GetBValue(a) / 4 + GetBValue(b) / 4 * 3);
}

void Fill(HDC dc, const RECT& rc, COLORREF c) {
  SetBkColor(dc, c);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

}  // namespace

void CPathComboBox::PaintElement(HDC dc, int e, const RECT& rc, bool hot, bool framed, bool pressed) {
  const PcShared& sh = PcGetShared();
  const UxThemeApi& ux = UxThemeGetApi();
  bool styled = m_theme && ux.DrawThemeBackground;
  bool filled = hot && !styled;
  Fill(dc, rc, filled ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_WINDOW));
  if (styled && (hot || framed)) {
    // the style's header items: normal for the partner, hot under the
    // mouse, pressed for the keyboard's or the dropped-down pair
    int state = pressed ? HIS_PRESSED : hot ? HIS_HOT : HIS_NORMAL;
    ux.DrawThemeBackground(m_theme, dc, HP_HEADERITEM, state, &rc, nullptr);
  }
  SetTextColor(dc, filled ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT t = rc;
  if (e & 1) {
    int k = (e - 1) / 2;
    if (m_openList == k + 1) OffsetRect(&t, 0, 2);
    SelectObject(dc, sh.font);
    DrawTextA(dc, m_path.c_str() + m_segStart[(size_t)k], m_segLen[(size_t)k], &t,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else {
    PcDrawArrow(dc, t, m_openList == ListOfElement(e));
  }
  if (framed && !styled) {
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
  }
}

void CPathComboBox::Paint(HDC dc) {
  const PcShared& sh = PcGetShared();
  RECT rc;
  GetClientRect(&rc);
  int save = SaveDC(dc);
  HFONT oldFont = (HFONT)SelectObject(dc, sh.font);
  RECT iconRc = {0, 0, sh.iconW + 4, rc.bottom};
  Fill(dc, iconRc, GetSysColor(COLOR_WINDOW));
  if (sh.images && m_icon >= 0)
    ImageList_Draw(sh.images, m_icon, dc, 2, (rc.bottom - sh.iconH) / 2, ILD_TRANSPARENT);
  if (!m_editing) {
    int btnW = GetSystemMetrics(SM_CXVSCROLL);
    RECT area = {sh.iconW + 4, 0, rc.right - btnW, rc.bottom};
    Fill(dc, area, GetSysColor(COLOR_WINDOW));
    PcLock lock;
    // the pair of a text button and its arrow: hot, keyboard or dropped down
    int hotPair = m_hot >= 1 && m_hot < PCE_ICON ? (m_hot + 1) / 2 : -1;
    int keyPair = m_keyElem >= 1 ? (m_keyElem + 1) / 2 : -1;
    int openPair = m_openList >= 1 ? m_openList : -1;
    IntersectClipRect(dc, area.left, 0, area.right, rc.bottom);
    for (int e = m_firstVisible; e < (int)m_elems.size(); ++e) {
      RECT er = {m_elems[(size_t)e].x0 - m_scroll, 1, m_elems[(size_t)e].x1 - m_scroll, rc.bottom - 1};
      int pair = e == 0 ? 0 : (e + 1) / 2;
      bool framed = pair > 0 && (pair == hotPair || pair == keyPair || pair == openPair);
      bool pressed = pair > 0 && (pair == keyPair || pair == openPair);
      PaintElement(dc, e, er, e == m_hot || pressed, framed, pressed);
    }
    SelectClipRgn(dc, nullptr);
    RECT btn = {rc.right - btnW, 0, rc.right, rc.bottom};
    Fill(dc, btn, m_buttonState >= 2 ? GetSysColor(COLOR_SCROLLBAR) : GetSysColor(COLOR_BTNHIGHLIGHT));
    if (m_buttonState == 3) OffsetRect(&btn, 0, 2);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    PcDrawArrow(dc, btn, true);
  }
  SelectObject(dc, oldFont);
  RestoreDC(dc, save);
}

// The drop-down button: 3 pressed or while the own list is down, 2 under
// the mouse, else 1.
void CPathComboBox::UpdateButton(POINT pt, bool leftDown) {
  int e = HitTest(pt);
  int state = GetDroppedState() ? 3 : e == PCE_BUTTON ? (leftDown ? 3 : 2) : 1;
  if (state == m_buttonState) return;
  m_buttonState = state;
  Invalidate(FALSE);
}

// While the own list is down the list has the mouse: the timer follows it,
// and ends the hot state once the list is up and the mouse elsewhere.
void CPathComboBox::TrackButton() {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(&pt);
  bool down = GetDroppedState() != FALSE;
  if (!down) {
    KillTimer(PC_TIMER_TRACK);
    SetHot(HitTest(pt));
  }
  UpdateButton(pt, down && GetKeyState(VK_LBUTTON) < 0);
}

void CPathComboBox::DrawItem(LPDRAWITEMSTRUCT dis) {
  if ((int)dis->itemID < 0) return;
  const PcShared& sh = PcGetShared();
  CString text;
  GetLBText((int)dis->itemID, text);
  COLORREF bg = GetSysColor(COLOR_WINDOW);
  if (dis->itemState & ODS_SELECTED) bg = Mix(GetSysColor(COLOR_HIGHLIGHT), bg);
  Fill(dis->hDC, dis->rcItem, bg);
  const char* t = text;
  int icon = sh.folderIcon;
  if (PathTextIsDrive(t) || (t[0] && t[1] == ':' && t[2] == '\\' && !t[3])) {
    icon = ShellGetDriveIconIndex(t[0], 1);
  } else if (t[0] && t[1] == ':' && (t[0] | 0x20) == (ShellGetSystemDriveLetter() | 0x20)) {
    // other drives keep the plain icon: no slow drive is touched for it
    SHFILEINFOA fi = {};
    if (SHGetFileInfoA(t, 0, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) icon = fi.iIcon;
  }
  if (sh.images && icon >= 0)
    ImageList_Draw(sh.images, icon, dis->hDC, dis->rcItem.left + 2, dis->rcItem.top + 1, ILD_TRANSPARENT);
  SetTextColor(dis->hDC, GetSysColor(COLOR_WINDOWTEXT));
  RECT tr = dis->rcItem;
  tr.left += sh.iconW + 6;
  HGDIOBJ old = SelectObject(dis->hDC, sh.font);
  SetBkMode(dis->hDC, TRANSPARENT);
  DrawTextA(dis->hDC, t, -1, &tr, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(dis->hDC, old);
}

// ---------------------------------------------------------------- pop-up list

void CPathComboBox::OpenList(int k) {
  if (!m_dropDown || k < 0 || k > (int)m_segStart.size()) return;
  if (k == 0 && GetLogicalDrives() != m_driveMask) {
    PcLock lock;
    m_driveMask = GetLogicalDrives();
    m_lists[0].tag = 0;
  }
  int count = 0, width = 0, height = 0, left = 0;
  {
    PcLock lock;
    const List& l = m_lists[k];
    if (l.tag != PathTag(m_generation, k)) {
      m_waitList = k;
      SetFocus();
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      // the wanted list first; the rest of the chain follows
      if (m_worker) {
        if (m_worker->requested) m_worker->cancel = 1;
        m_worker->requested = 0;
      }
    } else {
      count = (int)l.entries.size();
      width = l.width;
      height = l.height;
      int e = k == 0 ? 0 : 2 * k - 1;
      left = e < (int)m_elems.size() ? m_elems[(size_t)e].x0 - m_scroll : 0;
    }
  }
  if (m_waitList == k) {
    RequestList(k);
    return;
  }
  m_openList = k;
  m_popupTyped = TypeAhead();  // a list opened anew searches anew
  POINT p = {left, 0};
  RECT rc;
  GetClientRect(&rc);
  p.y = rc.bottom;
  ClientToScreen(&p);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (p.y + height > work.bottom) {
    POINT top = {0, 0};
    ClientToScreen(&top);
    int room = top.y - work.top;
    int row = PcGetShared().rowHeight;
    if (room < 112) room = 112;
    if (height > room) height = (room - 3) / row * row + 3;
    p.y = top.y - height;
  }
  if (p.x + width > work.right) p.x = work.right - width;
  ::SendMessageA(m_dropDown, LVM_SETITEMCOUNT, (WPARAM)count, 0);
  ListView_SetColumnWidth(m_dropDown, 0, width - 2);
  ListView_SetItemState(m_dropDown, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  ::SetWindowPos(m_dropDown, HWND_TOPMOST, p.x, p.y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ::SetFocus(m_dropDown);
  Invalidate(FALSE);
}

void CPathComboBox::CloseList() {
  m_waitList = -1;
  if (m_openList < 0) return;
  m_openList = -1;
  m_closedAt = GetTickCount();
  // the keyboard back to the control before the pop-up goes: hidden while it
  // has the focus, it leaves the focus to no window of ours for a moment, and
  // that news arriving late deactivates the program and closes the next list
  if (m_dropDown && ::GetFocus() == m_dropDown) SetFocus();
  if (m_dropDown) ::ShowWindow(m_dropDown, SW_HIDE);
  Invalidate(FALSE);
}

void CPathComboBox::ChooseEntry(int index) {
  int k = m_openList;
  std::string p;
  unsigned flags = PCS_CHOICE | PCS_KEEPICON;
  {
    PcLock lock;
    if (k < 0 || index < 0 || index >= (int)m_lists[k].entries.size()) return;
    const Entry& e = m_lists[k].entries[(size_t)index];
    p = PathTextPrefix(m_path.c_str(), k, FOLDER_MAX_SEGMENTS);
    if (!p.empty() && p.back() != '\\' && p.back() != ':') p += '\\';
    else if (!p.empty() && p.back() == ':') p += '\\';
    p += e.text;
    if (e.flag == 1) flags |= PCS_VIRTUAL;
    m_choiceIcon = e.icon;
  }
  CloseList();
  if (p.size() >= 256 || p.size() > (size_t)FOLDER_MAX_PATH) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  if (SetPath(p.c_str(), (int)(flags | p.size()))) Notify(PCN_PATHSET);
  SetFocus();
}

LRESULT CALLBACK CPathComboBox::DropDownThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CPathComboBox*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
  return self->DropDownProc(w, m, wp, lp);
}

LRESULT CPathComboBox::DropDownProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  static WNDPROC base = [] {
    WNDCLASSA wc;
    GetClassInfoA(nullptr, WC_LISTVIEWA, &wc);
    return wc.lpfnWndProc;
  }();
  switch (m) {
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) {
        CloseList();
        SetFocus();
        return 0;
      }
      if (wp == VK_RETURN) {
        ChooseEntry(ListView_GetNextItem(w, -1, LVNI_FOCUSED));
        return 0;
      }
      if (wp == VK_LEFT || wp == VK_RIGHT) {
        int n = (int)m_segStart.size() + 1;
        int k = (m_openList + (wp == VK_RIGHT ? 1 : n - 1)) % n;
        CloseList();
        OpenList(k);
        return 0;
      }
      break;
    case WM_CHAR: {
      // typed characters find the next entry that begins with them
      unsigned char c = (unsigned char)wp;
      if (c < 32) return 0;
      const std::string& typed = m_popupTyped.Add((char)c, GetTickCount());
      PcLock lock;
      if (m_openList < 0) return 0;
      const List& l = m_lists[m_openList];
      int n = (int)l.entries.size(), from = ListView_GetNextItem(w, -1, LVNI_FOCUSED);
      auto fold = [](unsigned char x) -> unsigned char {
        if (x >= 'a' && x <= 'z') return (unsigned char)(x - 32);
        if (x >= 224 && x <= 254 && x != 247) return (unsigned char)(x - 32);
        return x;
      };
      auto begins = [&](const std::string& t) {
        if (t.size() < typed.size()) return false;
        for (size_t j = 0; j < typed.size(); ++j)
          if (fold((unsigned char)t[j]) != fold((unsigned char)typed[j])) return false;
        return true;
      };
      // one character looks past the focused entry, more stay on it while it fits
      int start = from < 0 ? 0 : from + (m_popupTyped.StartsAfterSelection() ? 1 : 0);
      for (int i = 0; i < n; ++i) {
        int at = (start + i) % n;
        if (begins(l.entries[(size_t)at].text)) {
          ListView_SetItemState(w, at, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
          ListView_EnsureVisible(w, at, FALSE);
          break;
        }
      }
      return 0;
    }
    case WM_KILLFOCUS:
      if (m_openList >= 0) {
        m_openList = -1;
        m_closedAt = GetTickCount();
        ::ShowWindow(w, SW_HIDE);
        Invalidate(FALSE);
      }
      break;
  }
  return CallWindowProcA(base, w, m, wp, lp);
}

LRESULT CPathComboBox::OnDropDownNotify(NMHDR* nm) {
  if (nm->code == LVN_GETDISPINFOA) {
    auto* di = reinterpret_cast<NMLVDISPINFOA*>(nm);
    PcLock lock;
    int k = m_openList, i = di->item.iItem;
    const Entry* e = k >= 0 && k <= FOLDER_MAX_SEGMENTS && i >= 0 && i < (int)m_lists[k].entries.size()
                         ? &m_lists[k].entries[(size_t)i]
                         : nullptr;
    if ((di->item.mask & LVIF_TEXT) && di->item.cchTextMax > 0) {
      const char* t = e ? e->text.c_str() : "";
      strncpy(di->item.pszText, t, (size_t)di->item.cchTextMax - 1);
      di->item.pszText[di->item.cchTextMax - 1] = 0;
    }
    if (di->item.mask & LVIF_IMAGE) di->item.iImage = e ? e->icon : -1;
    return 0;
  }
  if (nm->code == NM_CLICK) {
    auto* ia = reinterpret_cast<NMITEMACTIVATE*>(nm);
    int i = ia->iItem >= 0 ? ia->iItem : ListView_GetNextItem(m_dropDown, -1, LVNI_FOCUSED);
    ChooseEntry(i);
    return 0;
  }
  return 0;
}
