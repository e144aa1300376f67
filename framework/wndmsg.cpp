// CWnd: commands, notifications, reflection and the message-map dispatcher.
#include "framework/wnd.h"

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/olesite.h"
#include "framework/winapp.h"

// ---- commands and notifications

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT nID = LOWORD(wParam);
  HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
  int nCode = HIWORD(wParam);
  if (!hWndCtrl) {
    // menu or accelerator: a command whose element is disabled is dropped
    if (nID == 0) return FALSE;
    struct CTestCmdUI : CCmdUI {
      BOOL bEnabled = TRUE;
      void Enable(BOOL bOn) override {
        bEnabled = bOn;
        m_bEnableChanged = TRUE;
      }
      void SetCheck(int) override {}
      void SetRadio(BOOL) override {}
      void SetText(const char*) override {}
    } state;
    state.m_nID = nID;
    OnCmdMsg(nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr);
    if (!state.bEnabled) return TRUE;
    nCode = CN_COMMAND;
  } else {
    LRESULT r = 0;
    if (ReflectLastMsg(hWndCtrl, WM_COMMAND, wParam, lParam, &r)) return TRUE;
    if (nID == 0) return FALSE;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
  if (!pNMHDR) return FALSE;
  if (ReflectLastMsg(pNMHDR->hwndFrom, WM_NOTIFY, 0, lParam, pResult)) return TRUE;
  AFX_NOTIFY notify = {pResult, pNMHDR};
  return OnCmdMsg(static_cast<UINT>(pNMHDR->idFrom), static_cast<int>(MAKELONG(pNMHDR->code, WM_NOTIFY)),
                  &notify, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  CWnd* p = FromHandlePermanent(hWndChild);
  return p ? p->OnChildNotify(message, wParam, lParam, pResult) : FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
  }
  return FALSE;
}

// ---- the message map dispatcher

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT lResult = 0;
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    if (pResult) *pResult = 0;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    if (!OnNotify(wParam, lParam, &lResult)) return FALSE;
    if (pResult) *pResult = lResult;
    return TRUE;
  }

  // owner-draw, scroll and colour messages go to the control first
  HWND hChild = nullptr;
  switch (message) {
    case WM_DRAWITEM:
      if (wParam) hChild = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (wParam && reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)->CtlType != ODT_MENU)
        hChild = ::GetDlgItem(m_hWnd, static_cast<int>(wParam));
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      hChild = reinterpret_cast<HWND>(lParam);
      break;
  }
  if (hChild && hChild != m_hWnd && ReflectLastMsg(hChild, message, wParam, lParam, &lResult)) {
    if (pResult) *pResult = lResult;
    return TRUE;
  }

  UINT nKey = message, nCode = 0;
  UINT nCtlColor = 0;
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    nKey = WM_CTLCOLORSTATIC;
    nCtlColor = message - WM_CTLCOLORMSGBOX;
  } else if (message >= WM_REFLECT_BASE + WM_CTLCOLORMSGBOX && message <= WM_REFLECT_BASE + WM_CTLCOLORSTATIC) {
    nKey = WM_REFLECT_BASE + WM_CTLCOLORSTATIC;
    nCtlColor = message - WM_REFLECT_BASE - WM_CTLCOLORMSGBOX;
  } else if (message == WM_REFLECT_BASE + WM_COMMAND) {
    nCode = HIWORD(wParam);
  } else if (message == WM_REFLECT_BASE + WM_NOTIFY) {
    nCode = static_cast<WORD>(reinterpret_cast<NMHDR*>(lParam)->code);
  }

  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
       pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->nSig != AfxSig_end; ++e) {
      if (e->nMessage != nKey || e->nCode != nCode) continue;
      if (nKey == WM_COMMAND || nKey == WM_NOTIFY) continue;
      union {
        AFX_PMSG pfn;
        void (CCmdTarget::*v_v)();
        BOOL (CCmdTarget::*b_v)();
        UINT (CCmdTarget::*u_v)();
        LRESULT (CCmdTarget::*l_wl)(WPARAM, LPARAM);
        int (CCmdTarget::*i_create)(LPCREATESTRUCT);
        void (CCmdTarget::*v_size)(UINT, int, int);
        void (CCmdTarget::*v_timer)(UINT_PTR);
        BOOL (CCmdTarget::*b_dc)(CDC*);
        void (CCmdTarget::*v_mouse)(UINT, CPoint);
        BOOL (CCmdTarget::*b_wheel)(UINT, short, CPoint);
        void (CCmdTarget::*v_key)(UINT, UINT, UINT);
        void (CCmdTarget::*v_wnd)(CWnd*);
        void (CCmdTarget::*v_hdrop)(HDROP);
        void (CCmdTarget::*v_scroll)(UINT, UINT, CScrollBar*);
        HBRUSH (CCmdTarget::*hbr_ctl)(CDC*, CWnd*, UINT);
        HBRUSH (CCmdTarget::*hbr_reflect)(CDC*, UINT);
        void (CCmdTarget::*v_drawitem)(int, LPDRAWITEMSTRUCT);
        void (CCmdTarget::*v_measureitem)(int, LPMEASUREITEMSTRUCT);
        void (CCmdTarget::*v_initmenupopup)(CMenu*, UINT, BOOL);
        void (CCmdTarget::*v_syscommand)(UINT, LPARAM);
        void (CCmdTarget::*v_showwindow)(BOOL, UINT);
        void (CCmdTarget::*v_sizing)(UINT, LPRECT);
        BOOL (CCmdTarget::*b_setcursor)(CWnd*, UINT, UINT);
        void (CCmdTarget::*v_bool)(BOOL);
        void (CCmdTarget::*v_minmax)(MINMAXINFO*);
        void (CCmdTarget::*v_contextmenu)(CWnd*, CPoint);
        void (CCmdTarget::*v_move)(int, int);
        void (CCmdTarget::*v_poschanged)(WINDOWPOS*);
        void (CCmdTarget::*v_stylechanged)(int, LPSTYLESTRUCT);
        void (CCmdTarget::*v_activate)(UINT, CWnd*, BOOL);
        void (CCmdTarget::*v_activateapp)(BOOL, DWORD);
        int (CCmdTarget::*i_mouseactivate)(CWnd*, UINT, UINT);
        void (CCmdTarget::*v_menu)(CMenu*);
        void (CCmdTarget::*v_menuselect)(UINT, UINT, HMENU);
        void (CCmdTarget::*cmd_v)();
        void (CCmdTarget::*notify_v)(NMHDR*, LRESULT*);
        BOOL (CCmdTarget::*notify_b)(NMHDR*, LRESULT*);
      } mm;
      mm.pfn = e->pfn;
      switch (e->nSig) {
        case AfxSig_v_v: (this->*mm.v_v)(); break;
        case AfxSig_b_v: lResult = (this->*mm.b_v)(); break;
        case AfxSig_u_v: lResult = (this->*mm.u_v)(); break;
        case AfxSig_l_wl: lResult = (this->*mm.l_wl)(wParam, lParam); break;
        case AfxSig_i_create:
          lResult = (this->*mm.i_create)(reinterpret_cast<LPCREATESTRUCT>(lParam));
          break;
        case AfxSig_v_size:
          (this->*mm.v_size)(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),
                             static_cast<short>(HIWORD(lParam)));
          break;
        case AfxSig_v_timer: (this->*mm.v_timer)(wParam); break;
        case AfxSig_b_dc: {
          CDC dc;
          dc.m_hDC = reinterpret_cast<HDC>(wParam);
          lResult = (this->*mm.b_dc)(&dc);
          dc.m_hDC = nullptr;
          break;
        }
        case AfxSig_v_mouse: (this->*mm.v_mouse)(static_cast<UINT>(wParam), CPoint(lParam)); break;
        case AfxSig_b_wheel:
          lResult = (this->*mm.b_wheel)(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), CPoint(lParam));
          break;
        case AfxSig_v_key:
          (this->*mm.v_key)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
          break;
        case AfxSig_v_wnd: (this->*mm.v_wnd)(FromHandle(reinterpret_cast<HWND>(wParam))); break;
        // the window that takes the capture comes in lParam
        case AfxSig_v_wndl: (this->*mm.v_wnd)(FromHandle(reinterpret_cast<HWND>(lParam))); break;
        case AfxSig_v_hdrop: (this->*mm.v_hdrop)(reinterpret_cast<HDROP>(wParam)); break;
        case AfxSig_v_scroll: {
          CWnd* pBar = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
          (this->*mm.v_scroll)(LOWORD(wParam), HIWORD(wParam), DYNAMIC_DOWNCAST(CScrollBar, pBar));
          break;
        }
        case AfxSig_hbr_ctlcolor: {
          CDC dc;
          dc.m_hDC = reinterpret_cast<HDC>(wParam);
          lResult = reinterpret_cast<LRESULT>(
              (this->*mm.hbr_ctl)(&dc, FromHandle(reinterpret_cast<HWND>(lParam)), nCtlColor));
          dc.m_hDC = nullptr;
          break;
        }
        case AfxSig_hbr_ctlreflect: {
          CDC dc;
          dc.m_hDC = reinterpret_cast<HDC>(wParam);
          HBRUSH hbr = (this->*mm.hbr_reflect)(&dc, nCtlColor);
          dc.m_hDC = nullptr;
          if (!hbr) return FALSE;  // the parent decides
          lResult = reinterpret_cast<LRESULT>(hbr);
          break;
        }
        case AfxSig_v_drawitem:
          (this->*mm.v_drawitem)(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
          lResult = TRUE;
          break;
        case AfxSig_v_measureitem:
          (this->*mm.v_measureitem)(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
          lResult = TRUE;
          break;
        case AfxSig_v_initmenupopup:
          (this->*mm.v_initmenupopup)(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam),
                                      HIWORD(lParam));
          break;
        case AfxSig_v_syscommand: (this->*mm.v_syscommand)(static_cast<UINT>(wParam), lParam); break;
        case AfxSig_v_showwindow:
          (this->*mm.v_showwindow)(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
          break;
        case AfxSig_v_sizing:
          (this->*mm.v_sizing)(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam));
          lResult = TRUE;
          break;
        case AfxSig_b_setcursor:
          lResult = (this->*mm.b_setcursor)(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam),
                                            HIWORD(lParam));
          break;
        case AfxSig_v_bool: (this->*mm.v_bool)(static_cast<BOOL>(wParam)); break;
        case AfxSig_v_minmax: (this->*mm.v_minmax)(reinterpret_cast<MINMAXINFO*>(lParam)); break;
        case AfxSig_v_contextmenu:
          (this->*mm.v_contextmenu)(FromHandle(reinterpret_cast<HWND>(wParam)), CPoint(lParam));
          break;
        case AfxSig_v_move:
          (this->*mm.v_move)(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
          break;
        case AfxSig_v_poschanged: (this->*mm.v_poschanged)(reinterpret_cast<WINDOWPOS*>(lParam)); break;
        case AfxSig_v_stylechanged:
          (this->*mm.v_stylechanged)(static_cast<int>(wParam), reinterpret_cast<LPSTYLESTRUCT>(lParam));
          break;
        case AfxSig_v_activate:
          (this->*mm.v_activate)(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam));
          break;
        case AfxSig_v_activateapp:
          (this->*mm.v_activateapp)(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
          break;
        case AfxSig_i_mouseactivate:
          lResult = (this->*mm.i_mouseactivate)(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam),
                                                HIWORD(lParam));
          break;
        case AfxSig_v_menu: (this->*mm.v_menu)(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam))); break;
        case AfxSig_v_menuselect:
          (this->*mm.v_menuselect)(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
          break;
        case AfxSigCmd_v: (this->*mm.cmd_v)(); break;  // reflected WM_COMMAND
        case AfxSigNotify_v: (this->*mm.notify_v)(reinterpret_cast<NMHDR*>(lParam), &lResult); break;
        case AfxSigNotify_b:
          if (!(this->*mm.notify_b)(reinterpret_cast<NMHDR*>(lParam), &lResult)) return FALSE;
          break;
        default:
          continue;
      }
      if (pResult) *pResult = lResult;
      return TRUE;
    }
  }
  return FALSE;
}
