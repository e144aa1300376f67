#include "game/frame/menuapi.h"

#include <string.h>

#include "game/frame/mainframe.h"
#include "text/strcopy.h"

namespace {

CMainFrame* MainFrame() {
  CWnd* w = AfxGetMainWnd();
  CMainFrame* f = w ? DYNAMIC_DOWNCAST(CMainFrame, w) : nullptr;
  return f && f->m_hWnd ? f : nullptr;
}

// The menu-bar entry with that command and a popup.
int FindBarEntry(HMENU bar, UINT command, HMENU* popup, ULONG_PTR* data) {
  int n = GetMenuItemCount(bar);
  for (int i = 0; i < n; i++) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (GetMenuItemInfoA(bar, i, TRUE, &mii) && mii.hSubMenu && mii.wID == command) {
      *popup = mii.hSubMenu;
      *data = mii.dwItemData;
      return i;
    }
  }
  return -1;
}

// A copy of the popup with submenus of its own; owner-drawn items of ours
// come over as their text (the copy makes its own records when it opens).
HMENU CopyPopup(CMainFrame* frame, HMENU src, int depth) {
  HMENU copy = CreatePopupMenu();
  if (!copy) return nullptr;
  int n = GetMenuItemCount(src);
  for (int i = 0; i < n; i++) {
    char text[256] = "";
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!GetMenuItemInfoA(src, i, TRUE, &mii)) continue;
    MENUITEMINFOA out = {};
    out.cbSize = sizeof out;
    out.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    out.fState = mii.fState;
    out.wID = mii.wID;
    out.fType = mii.fType & ~MFT_OWNERDRAW;
    MenuItemRecord* rec = frame->GetOwnerMenu().RecordAt(src, i);
    if (rec) {
      StrCopyA(text, rec->text, sizeof text);
    } else if (!(mii.fType & MFT_OWNERDRAW)) {
      MENUITEMINFOA s = {};
      s.cbSize = sizeof s;
      s.fMask = MIIM_STRING;
      s.dwTypeData = text;
      s.cch = sizeof text;
      GetMenuItemInfoA(src, i, TRUE, &s);
      text[sizeof text - 1] = 0;
    } else if (mii.dwItemData == 0) {
      out.fType |= MFT_SEPARATOR;
    }
    if (!(out.fType & MFT_SEPARATOR)) {
      out.fMask |= MIIM_STRING;
      out.dwTypeData = text;
    }
    if (mii.hSubMenu) {
      out.fMask |= MIIM_SUBMENU;
      out.hSubMenu = depth < 8 ? CopyPopup(frame, mii.hSubMenu, depth + 1) : CreatePopupMenu();
    }
    InsertMenuItemA(copy, GetMenuItemCount(copy), TRUE, &out);
  }
  return copy;
}

// Frees the records of a popup's items (last first) and of the popups below.
void FreePopupRecords(HWND frame, HMENU popup, int depth) {
  for (int i = GetMenuItemCount(popup) - 1; i >= 0; i--) {
    HMENU sub = GetSubMenu(popup, i);
    if (sub && depth < 8) FreePopupRecords(frame, sub, depth + 1);
    SendMessageA(frame, WM_MENU_FREE_RECORD, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(popup));
  }
}

}  // namespace

LRESULT MenuSendToMainWnd(UINT message, WPARAM wParam) {
  CMainFrame* f = MainFrame();
  return f ? f->SendMessage(message, wParam, 0) : 0;
}

MenuItemRecord* MenuFindItemByCommand(UINT command, HMENU* menu, int* position) {
  CMainFrame* f = MainFrame();
  return f ? f->GetOwnerMenu().FindByCommand(f->GetMenuBar(), command, menu, position) : nullptr;
}

int MenuSetItemImage(UINT command, int image) {
  MenuItemRecord* rec = MenuFindItemByCommand(command);
  if (!rec) return 0;
  rec->image = static_cast<uint16_t>(image < 0 || image >= MENU_NO_IMAGE ? MENU_NO_IMAGE : image);
  return 1;
}

int MenuGetItemImage(UINT command) {
  MenuItemRecord* rec = MenuFindItemByCommand(command);
  return rec && rec->image != MENU_NO_IMAGE ? rec->image : -1;
}

int MenuSetItemText(UINT command, const char* text) {
  HMENU menu = nullptr;
  MenuItemRecord* rec = MenuFindItemByCommand(command, &menu);
  CMainFrame* f = MainFrame();
  if (!rec || !f) return 0;
  f->GetOwnerMenu().SetRecordText(rec, text);
  f->GetOwnerMenu().Remeasure(menu, rec);
  return 1;
}

int MenuInsertPopup(UINT command, HMENU popup, const char* text, int position) {
  CMainFrame* f = MainFrame();
  if (!f || !popup || !IsMenu(popup)) return 0;
  HMENU bar = f->GetMenuBar();
  if (!bar) return 0;
  MenuRemovePopup(command);
  HMENU copy = CopyPopup(f, popup, 0);
  if (!copy) return 0;
  int n = GetMenuItemCount(bar);
  if (position < 0 || position > n) position = position < 0 ? (n > 0 ? n - 1 : 0) : n;
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  mii.wID = command;
  mii.hSubMenu = copy;
  mii.dwItemData = MENU_INSERTED_POPUP_DATA;
  mii.dwTypeData = const_cast<char*>(text ? text : "");
  if (!InsertMenuItemA(bar, static_cast<UINT>(position), TRUE, &mii)) {
    DestroyMenu(copy);
    return 0;
  }
  DrawMenuBar(f->m_hWnd);
  return 1;
}

int MenuRemovePopup(UINT command) {
  CMainFrame* f = MainFrame();
  if (!f) return 0;
  HMENU bar = f->GetMenuBar(), popup = nullptr;
  ULONG_PTR data = 0;
  int pos = bar ? FindBarEntry(bar, command, &popup, &data) : -1;
  if (pos < 0) return 0;
  FreePopupRecords(f->m_hWnd, popup, 0);
  RemoveMenu(bar, static_cast<UINT>(pos), MF_BYPOSITION);
  if (data == MENU_INSERTED_POPUP_DATA) DestroyMenu(popup);
  DrawMenuBar(f->m_hWnd);
  return 1;
}
