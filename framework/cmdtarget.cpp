#include "framework/cmdtarget.h"

#include "framework/menu.h"
#include "framework/wnd.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode,
                                                     UINT nID) {
  for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage == nMsg && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
    }
  }
  return nullptr;
}

BOOL CCmdTarget::DispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode,
                                const AFX_MSGMAP_ENTRY* pEntry, void* pExtra) {
  union {
    AFX_PMSG pfn;
    void (CCmdTarget::*pfn_v)();
    BOOL (CCmdTarget::*pfn_b_u)(UINT);
    void (CCmdTarget::*pfn_v_u)(UINT);
    void (CCmdTarget::*pfn_ui)(CCmdUI*);
    void (CCmdTarget::*pfn_notify)(NMHDR*, LRESULT*);
    BOOL (CCmdTarget::*pfn_notify_b)(NMHDR*, LRESULT*);
    void (CCmdTarget::*pfn_notify_range)(UINT, NMHDR*, LRESULT*);
  } mm;
  mm.pfn = pEntry->pfn;
  switch (pEntry->nSig) {
    case AfxSigCmd_v:
      (pTarget->*mm.pfn_v)();
      return TRUE;
    case AfxSigCmd_b:
      return (pTarget->*mm.pfn_b_u)(nID);
    case AfxSigCmd_RANGE:
      (pTarget->*mm.pfn_v_u)(nID);
      return TRUE;
    case AfxSigCmdUI: {
      CCmdUI* pUI = static_cast<CCmdUI*>(pExtra);
      pUI->m_bContinueRouting = FALSE;
      (pTarget->*mm.pfn_ui)(pUI);
      return !pUI->m_bContinueRouting;
    }
    case AfxSigNotify_v: {
      AFX_NOTIFY* n = static_cast<AFX_NOTIFY*>(pExtra);
      (pTarget->*mm.pfn_notify)(n->pNMHDR, n->pResult);
      return TRUE;
    }
    case AfxSigNotify_b: {
      AFX_NOTIFY* n = static_cast<AFX_NOTIFY*>(pExtra);
      return (pTarget->*mm.pfn_notify_b)(n->pNMHDR, n->pResult);
    }
    case AfxSigNotify_RANGE: {
      AFX_NOTIFY* n = static_cast<AFX_NOTIFY*>(pExtra);
      (pTarget->*mm.pfn_notify_range)(nID, n->pNMHDR, n->pResult);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  UINT nMsg = HIWORD(static_cast<UINT>(nCode));
  UINT code = LOWORD(static_cast<UINT>(nCode));
  if (static_cast<UINT>(nCode) == CN_UPDATE_COMMAND_UI) {
    nMsg = WM_COMMAND;
    code = CN_UPDATE_COMMAND_UI;
  } else if (nMsg == 0) {
    nMsg = WM_COMMAND;
  }
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage != nMsg || e->nCode != code || nID < e->nID || nID > e->nLastID) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = e->pfn;
        return TRUE;
      }
      // a handler that declines (ON_COMMAND_EX, ContinueRouting) lets the
      // search go on
      if (DispatchCmdMsg(this, nID, nCode, e, pExtra)) return TRUE;
    }
  }
  return FALSE;
}

// ------------------------------------------------------------------ CCmdUI

void CCmdUI::Enable(BOOL bOn) {
  if (m_pMenu) {
    if (!m_pSubMenu) {
      m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    }
  } else if (m_pOther) {
    // a dialog control: don't leave the focus on a control being disabled
    if (!bOn && ::GetFocus() == m_pOther->m_hWnd) {
      HWND parent = ::GetParent(m_pOther->GetSafeHwnd());
      if (parent) ::SendMessageA(parent, WM_NEXTDLGCTL, 0, FALSE);
    }
    m_pOther->EnableWindow(bOn);
  }
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
  if (m_pMenu) {
    if (!m_pSubMenu)
      m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
  } else if (m_pOther) {
    HWND h = m_pOther->m_hWnd;
    if (::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) ::SendMessageA(h, BM_SETCHECK, nCheck, 0);
  }
}

void CCmdUI::SetRadio(BOOL bOn) {
  if (m_pMenu && !m_pSubMenu) {
    if (bOn) {
      ::CheckMenuRadioItem(m_pMenu->GetSafeHmenu(), m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
    } else {
      m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
    }
    return;
  }
  SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(const char* lpszText) {
  if (!lpszText) lpszText = "";
  if (m_pMenu) {
    if (m_pSubMenu) return;
    UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
    // keep the enabled/checked state; only the text changes
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<char*>(lpszText);
    ::SetMenuItemInfoA(m_pMenu->GetSafeHmenu(), m_nIndex, TRUE, &mii);
    (void)state;
  } else if (m_pOther) {
    m_pOther->SetWindowText(lpszText);
  }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler) {
  if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF) return TRUE;  // separators, pop-ups
  m_bEnableChanged = FALSE;
  BOOL bResult = pTarget->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr);
  if (bDisableIfNoHandler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info = {nullptr, nullptr};
    BOOL bHandler = pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info);
    Enable(bHandler);
  }
  return bResult;
}
