#include "framework/menu.h"

#include <map>

#include "text/resinst.h"
#include "framework/wnd.h"

namespace {
struct TempMenus {
  std::map<HMENU, CMenu*> menus;
  ~TempMenus() { Clear(); }
  void Clear() {
    for (auto& e : menus) {
      e.second->m_hMenu = nullptr;
      delete e.second;
    }
    menus.clear();
  }
};
thread_local TempMenus t_menus;
}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU hMenu) {
  if (!hMenu) return nullptr;
  CMenu*& p = t_menus.menus[hMenu];
  if (!p) {
    p = new CMenu;
    p->m_hMenu = hMenu;
  }
  return p;
}

void CMenu::DeleteTempMap() { t_menus.Clear(); }

BOOL CMenu::Attach(HMENU hMenu) {
  if (!hMenu) return FALSE;
  DestroyMenu();
  m_hMenu = hMenu;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  return h;
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
  return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  return ::DestroyMenu(Detach());
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  int n = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
  if (n <= 0) {
    rString.Empty();
    return 0;
  }
  n = ::GetMenuStringA(m_hMenu, nIDItem, rString.GetBuffer(n), n + 1, nFlags);
  rString.ReleaseBuffer(n > 0 ? n : 0);
  return n;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, CWnd::SafeHwnd(pWnd), lpRect);
}
