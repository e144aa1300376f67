// CPathComboBox: the right-click menu's copying, dropped files and dragging
// the path out.
#include "treelist/folderdlg/pathcombo.h"

#include <shellapi.h>
#include <string.h>

#include "files/shellpath.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/pathtext.h"

void CPathComboBox::OnContextMenu(POINT pt) {
  int e = HitTest(pt);
  if (e == PCE_BUTTON) return;
  m_menuElem = e;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | (m_path.empty() ? MF_GRAYED : 0), PC_CMD_COPYPATH, "&Pfad kopieren");
  AppendMenuA(menu, MF_STRING | ((e > 0 && e < PCE_ICON && (e & 1)) ? 0 : MF_GRAYED), PC_CMD_COPYSEGMENT,
              "&Abschnitt kopieren");
  POINT sp = pt;
  ClientToScreen(&sp);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, sp.x, sp.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
}

void CPathComboBox::CopyText(const std::string& text) {
  if (text.empty() || !OpenClipboard(m_hWnd)) return;
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (h) {
    memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
  }
  CloseClipboard();
}

void CPathComboBox::DropFiles(HDROP drop) {
  std::string p;
  if (!HDropFirstPath(drop, &p)) return;
  DWORD attr = GetFileAttributesA(p.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
    size_t cut = p.find_last_of("\\/");
    size_t colon = p.find_last_of(':');
    if (cut != std::string::npos) p.resize(cut);
    else if (colon != std::string::npos) p.resize(colon + 1);
  }
  if (p.size() > (size_t)FOLDER_MAX_PATH) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  if (SetPath(p.c_str(), (int)(PCS_DROPPED | p.size()))) Notify(PCN_PATHSET);
}

void CPathComboBox::DragOut() {
  std::string p = GetPath();
  if (p.empty()) return;
  HWND parent = ::GetParent(m_hWnd);
  NMPATHCOMBO nm = {};
  nm.hdr = {m_hWnd, (UINT_PTR)::GetWindowLongA(m_hWnd, GWL_ID), PCN_DRAGPATH};
  nm.kind = 1;
  nm.path = p.c_str();
  if (parent && ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm)) return;
  if (PathTextIsNetwork(p.c_str())) {
    char resolved[MAX_PATH + 1];
    if (DirResolveDisplayPath(p.c_str(), resolved, sizeof resolved) > 0) p = resolved;
  }
  BOOL accepted = SetDropTarget(FALSE);
  HDropDoDragDrop(p.c_str());
  SetDropTarget(accepted);
  if (parent) ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
}
