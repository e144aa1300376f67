// Command targets and message maps: static tables of (message, code, id
// range, handler) per class, chained to the base class's table.
#pragma once

#include <windows.h>

#include "framework/object.h"
#include "framework/types.h"

class CCmdTarget;
class CCmdUI;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;

typedef void (CCmdTarget::*AFX_PMSG)();

// Handler signatures; the dispatcher calls the handler by this kind.
enum AfxSig : UINT {
  AfxSig_end = 0,
  AfxSig_v_v,           // void ()
  AfxSig_b_v,           // BOOL ()
  AfxSig_u_v,           // UINT ()
  AfxSig_l_wl,          // LRESULT (WPARAM, LPARAM)   ON_MESSAGE
  AfxSig_i_create,      // int (LPCREATESTRUCT)       OnCreate
  AfxSig_v_size,        // void (UINT, int, int)      OnSize
  AfxSig_v_timer,       // void (UINT_PTR)            OnTimer
  AfxSig_b_dc,          // BOOL (CDC*)                OnEraseBkgnd
  AfxSig_v_mouse,       // void (UINT, CPoint)        button and move messages
  AfxSig_b_wheel,       // BOOL (UINT, short, CPoint) OnMouseWheel
  AfxSig_v_key,         // void (UINT, UINT, UINT)    OnKeyDown/Up, OnChar
  AfxSig_v_wnd,         // void (CWnd*)               OnSetFocus/OnKillFocus (wParam)
  AfxSig_v_wndl,        // void (CWnd*)               OnCaptureChanged (lParam)
  AfxSig_v_hdrop,       // void (HDROP)               OnDropFiles
  AfxSig_v_scroll,      // void (UINT, UINT, CScrollBar*) OnHScroll/OnVScroll
  AfxSig_hbr_ctlcolor,  // HBRUSH (CDC*, CWnd*, UINT) OnCtlColor
  AfxSig_hbr_ctlreflect,// HBRUSH (CDC*, UINT)        CtlColor (reflected)
  AfxSig_v_drawitem,    // void (int, LPDRAWITEMSTRUCT)
  AfxSig_v_measureitem, // void (int, LPMEASUREITEMSTRUCT)
  AfxSig_v_initmenupopup,  // void (CMenu*, UINT, BOOL)
  AfxSig_v_syscommand,  // void (UINT, LPARAM)
  AfxSig_v_showwindow,  // void (BOOL, UINT)
  AfxSig_v_sizing,      // void (UINT, LPRECT)
  AfxSig_b_setcursor,   // BOOL (CWnd*, UINT, UINT)
  AfxSig_v_bool,        // void (BOOL)                OnEnable
  AfxSig_v_minmax,      // void (MINMAXINFO*)
  AfxSig_v_contextmenu, // void (CWnd*, CPoint)
  AfxSig_v_move,        // void (int, int)
  AfxSig_v_poschanged,  // void (WINDOWPOS*)
  AfxSig_v_stylechanged,// void (int, LPSTYLESTRUCT)
  AfxSig_v_activate,    // void (UINT, CWnd*, BOOL)
  AfxSig_v_activateapp, // void (BOOL, DWORD)
  AfxSig_i_mouseactivate, // int (CWnd*, UINT, UINT)
  AfxSig_v_menu,        // void (CMenu*)              OnInitMenu
  AfxSig_v_menuselect,  // void (UINT, UINT, HMENU)
  // command routing
  AfxSigCmd_v,          // void ()                    ON_COMMAND, ON_BN_CLICKED ...
  AfxSigCmd_b,          // BOOL (UINT)                ON_COMMAND_EX
  AfxSigCmd_RANGE,      // void (UINT)                ON_COMMAND_RANGE
  AfxSigCmdUI,          // void (CCmdUI*)             ON_UPDATE_COMMAND_UI(_RANGE)
  AfxSigNotify_v,       // void (NMHDR*, LRESULT*)    ON_NOTIFY, ON_NOTIFY_REFLECT
  AfxSigNotify_b,       // BOOL (NMHDR*, LRESULT*)    ON_NOTIFY_REFLECT_EX
  AfxSigNotify_RANGE,   // void (UINT, NMHDR*, LRESULT*) ON_NOTIFY_RANGE
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;   // WM_COMMAND, WM_NOTIFY or the window message
  UINT nCode;      // control or notification code (low 16 bits)
  UINT nID;        // first control / command id
  UINT nLastID;    // last id of a range
  UINT nSig;       // AfxSig
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Command codes of OnCmdMsg (WM_NOTIFY codes travel as MAKELONG(code, WM_NOTIFY))
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))
// Reflected messages reach the control at WM_REFLECT_BASE + message.
#define WM_REFLECT_BASE 0xBC00

struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Filled by OnCmdMsg when asked only whether a handler exists.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  AFX_PMSG pmf;
};

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  // Routes a command (or its update, or a notification) to this object's
  // map; the document/view classes extend the route.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Looks up the first entry of the map chain for a window message.
  static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID);

 protected:
  static BOOL DispatchCmdMsg(CCmdTarget* pTarget, UINT nID, int nCode, const AFX_MSGMAP_ENTRY* pEntry,
                             void* pExtra);
};

// The state of one user-interface element (menu item, later toolbar
// button) while command handlers update it.
class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  UINT m_nIndex = 0;       // position in the menu
  UINT m_nIndexMax = 0;
  CMenu* m_pMenu = nullptr;       // the menu holding the item, or null
  CMenu* m_pSubMenu = nullptr;    // the item's own pop-up, if any
  CWnd* m_pOther = nullptr;       // a window element (toolbar, dialog button)
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);   // 0 off, 1 ticked, 2 indeterminate
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(const char* lpszText);
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Asks pTarget's route for an update handler; when none exists and
  // bDisableIfNoHandler is set, disables the element unless a command
  // handler exists. Returns TRUE when some handler was found.
  BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};

// ---------------------------------------------------------- message maps

#define DECLARE_MESSAGE_MAP()                    \
 protected:                                      \
  static const AFX_MSGMAP* GetThisMessageMap();  \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
    typedef theClass ThisClass;                                                  \
    typedef baseClass TheBaseClass;                                              \
    (void)sizeof(ThisClass);                                                     \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                           \
  {0, 0, 0, 0, AfxSig_end, (AFX_PMSG) nullptr}};                    \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                \
  }

// The handler's type is checked by AFX_PFN; the table keeps a common type
// and the dispatcher casts back to the type the signature names.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
template <typename T>
inline AFX_PMSG AfxPmsgCast(T pfn) {
  return reinterpret_cast<AFX_PMSG>(pfn);
}
#pragma GCC diagnostic pop
#define AFX_PFN(type, fn) AfxPmsgCast(static_cast<type>(fn))

#define ON_MESSAGE(message, memberFxn) \
  {(UINT)(message), 0, 0, 0, AfxSig_l_wl, AFX_PFN(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), &ThisClass::memberFxn)},

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSigCmd_v, AFX_PFN(void (CCmdTarget::*)(), &ThisClass::memberFxn)},
#define ON_COMMAND_EX(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSigCmd_b, AFX_PFN(BOOL (CCmdTarget::*)(UINT), &ThisClass::memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSigCmd_RANGE, AFX_PFN(void (CCmdTarget::*)(UINT), &ThisClass::memberFxn)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AfxSigCmdUI, AFX_PFN(void (CCmdTarget::*)(CCmdUI*), &ThisClass::memberFxn)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), AfxSigCmdUI, AFX_PFN(void (CCmdTarget::*)(CCmdUI*), &ThisClass::memberFxn)},

// control notifications by WM_COMMAND
#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, (UINT)(WORD)(code), (UINT)(id), (UINT)(id), AfxSigCmd_v, AFX_PFN(void (CCmdTarget::*)(), &ThisClass::memberFxn)},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
  {WM_COMMAND, (UINT)(WORD)(code), (UINT)(id), (UINT)(idLast), AfxSigCmd_RANGE, AFX_PFN(void (CCmdTarget::*)(UINT), &ThisClass::memberFxn)},
#define ON_CONTROL_REFLECT(code, memberFxn) \
  {WM_REFLECT_BASE + WM_COMMAND, (UINT)(WORD)(code), 0, 0, AfxSigCmd_v, AFX_PFN(void (CCmdTarget::*)(), &ThisClass::memberFxn)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)
#define ON_CBN_KILLFOCUS(id, fn) ON_CONTROL(CBN_KILLFOCUS, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)

// WM_NOTIFY
#define ON_NOTIFY(code, id, memberFxn) \
  {WM_NOTIFY, (UINT)(WORD)(code), (UINT)(id), (UINT)(id), AfxSigNotify_v, AFX_PFN(void (CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn)},
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn) \
  {WM_NOTIFY, (UINT)(WORD)(code), (UINT)(id), (UINT)(idLast), AfxSigNotify_RANGE, AFX_PFN(void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*), &ThisClass::memberFxn)},
#define ON_NOTIFY_REFLECT(code, memberFxn) \
  {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(WORD)(code), 0, 0, AfxSigNotify_v, AFX_PFN(void (CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn)},
#define ON_NOTIFY_REFLECT_EX(code, memberFxn) \
  {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(WORD)(code), 0, 0, AfxSigNotify_b, AFX_PFN(BOOL (CCmdTarget::*)(NMHDR*, LRESULT*), &ThisClass::memberFxn)},

// window messages with cracked parameters (handler names are fixed)
#define AFX_ON_WM(msg, sig, type, fn) {(UINT)(msg), 0, 0, 0, sig, AFX_PFN(type, &ThisClass::fn)},
#define ON_WM_CREATE() AFX_ON_WM(WM_CREATE, AfxSig_i_create, int (CCmdTarget::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, AfxSig_v_v, void (CCmdTarget::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_ON_WM(WM_NCDESTROY, AfxSig_v_v, void (CCmdTarget::*)(), OnNcDestroy)
#define ON_WM_CLOSE() AFX_ON_WM(WM_CLOSE, AfxSig_v_v, void (CCmdTarget::*)(), OnClose)
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, AfxSig_v_v, void (CCmdTarget::*)(), OnPaint)
#define ON_WM_SIZE() AFX_ON_WM(WM_SIZE, AfxSig_v_size, void (CCmdTarget::*)(UINT, int, int), OnSize)
#define ON_WM_MOVE() AFX_ON_WM(WM_MOVE, AfxSig_v_move, void (CCmdTarget::*)(int, int), OnMove)
#define ON_WM_SIZING() AFX_ON_WM(WM_SIZING, AfxSig_v_sizing, void (CCmdTarget::*)(UINT, LPRECT), OnSizing)
#define ON_WM_EXITSIZEMOVE() AFX_ON_WM(WM_EXITSIZEMOVE, AfxSig_v_v, void (CCmdTarget::*)(), OnExitSizeMove)
#define ON_WM_TIMER() AFX_ON_WM(WM_TIMER, AfxSig_v_timer, void (CCmdTarget::*)(UINT_PTR), OnTimer)
#define ON_WM_ERASEBKGND() AFX_ON_WM(WM_ERASEBKGND, AfxSig_b_dc, BOOL (CCmdTarget::*)(CDC*), OnEraseBkgnd)
#define ON_WM_LBUTTONDOWN() AFX_ON_WM(WM_LBUTTONDOWN, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_WM(WM_LBUTTONUP, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_WM(WM_LBUTTONDBLCLK, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ON_WM(WM_RBUTTONDOWN, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ON_WM(WM_RBUTTONUP, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_ON_WM(WM_RBUTTONDBLCLK, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_ON_WM(WM_MBUTTONDOWN, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_ON_WM(WM_MBUTTONUP, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnMButtonUp)
#define ON_WM_MBUTTONDBLCLK() AFX_ON_WM(WM_MBUTTONDBLCLK, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnMButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_ON_WM(WM_MOUSEMOVE, AfxSig_v_mouse, void (CCmdTarget::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSEWHEEL() AFX_ON_WM(WM_MOUSEWHEEL, AfxSig_b_wheel, BOOL (CCmdTarget::*)(UINT, short, CPoint), OnMouseWheel)
#define ON_WM_MOUSELEAVE() AFX_ON_WM(WM_MOUSELEAVE, AfxSig_v_v, void (CCmdTarget::*)(), OnMouseLeave)
#define ON_WM_KEYDOWN() AFX_ON_WM(WM_KEYDOWN, AfxSig_v_key, void (CCmdTarget::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_ON_WM(WM_KEYUP, AfxSig_v_key, void (CCmdTarget::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_ON_WM(WM_CHAR, AfxSig_v_key, void (CCmdTarget::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SYSKEYDOWN() AFX_ON_WM(WM_SYSKEYDOWN, AfxSig_v_key, void (CCmdTarget::*)(UINT, UINT, UINT), OnSysKeyDown)
#define ON_WM_SETFOCUS() AFX_ON_WM(WM_SETFOCUS, AfxSig_v_wnd, void (CCmdTarget::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_ON_WM(WM_KILLFOCUS, AfxSig_v_wnd, void (CCmdTarget::*)(CWnd*), OnKillFocus)
#define ON_WM_CAPTURECHANGED() AFX_ON_WM(WM_CAPTURECHANGED, AfxSig_v_wndl, void (CCmdTarget::*)(CWnd*), OnCaptureChanged)
#define ON_WM_DROPFILES() AFX_ON_WM(WM_DROPFILES, AfxSig_v_hdrop, void (CCmdTarget::*)(HDROP), OnDropFiles)
#define ON_WM_HSCROLL() AFX_ON_WM(WM_HSCROLL, AfxSig_v_scroll, void (CCmdTarget::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_ON_WM(WM_VSCROLL, AfxSig_v_scroll, void (CCmdTarget::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_CTLCOLOR() AFX_ON_WM(WM_CTLCOLORSTATIC, AfxSig_hbr_ctlcolor, HBRUSH (CCmdTarget::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_CTLCOLOR_REFLECT() AFX_ON_WM(WM_REFLECT_BASE + WM_CTLCOLORSTATIC, AfxSig_hbr_ctlreflect, HBRUSH (CCmdTarget::*)(CDC*, UINT), CtlColor)
#define ON_WM_DRAWITEM() AFX_ON_WM(WM_DRAWITEM, AfxSig_v_drawitem, void (CCmdTarget::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_MEASUREITEM() AFX_ON_WM(WM_MEASUREITEM, AfxSig_v_measureitem, void (CCmdTarget::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_INITMENU() AFX_ON_WM(WM_INITMENU, AfxSig_v_menu, void (CCmdTarget::*)(CMenu*), OnInitMenu)
#define ON_WM_INITMENUPOPUP() AFX_ON_WM(WM_INITMENUPOPUP, AfxSig_v_initmenupopup, void (CCmdTarget::*)(CMenu*, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_MENUSELECT() AFX_ON_WM(WM_MENUSELECT, AfxSig_v_menuselect, void (CCmdTarget::*)(UINT, UINT, HMENU), OnMenuSelect)
#define ON_WM_SYSCOMMAND() AFX_ON_WM(WM_SYSCOMMAND, AfxSig_v_syscommand, void (CCmdTarget::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_SHOWWINDOW() AFX_ON_WM(WM_SHOWWINDOW, AfxSig_v_showwindow, void (CCmdTarget::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_GETDLGCODE() AFX_ON_WM(WM_GETDLGCODE, AfxSig_u_v, UINT (CCmdTarget::*)(), OnGetDlgCode)
#define ON_WM_SETCURSOR() AFX_ON_WM(WM_SETCURSOR, AfxSig_b_setcursor, BOOL (CCmdTarget::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_ENABLE() AFX_ON_WM(WM_ENABLE, AfxSig_v_bool, void (CCmdTarget::*)(BOOL), OnEnable)
#define ON_WM_GETMINMAXINFO() AFX_ON_WM(WM_GETMINMAXINFO, AfxSig_v_minmax, void (CCmdTarget::*)(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_CONTEXTMENU() AFX_ON_WM(WM_CONTEXTMENU, AfxSig_v_contextmenu, void (CCmdTarget::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_WINDOWPOSCHANGED() AFX_ON_WM(WM_WINDOWPOSCHANGED, AfxSig_v_poschanged, void (CCmdTarget::*)(WINDOWPOS*), OnWindowPosChanged)
#define ON_WM_STYLECHANGED() AFX_ON_WM(WM_STYLECHANGED, AfxSig_v_stylechanged, void (CCmdTarget::*)(int, LPSTYLESTRUCT), OnStyleChanged)
#define ON_WM_SYSCOLORCHANGE() AFX_ON_WM(WM_SYSCOLORCHANGE, AfxSig_v_v, void (CCmdTarget::*)(), OnSysColorChange)
#define ON_WM_CANCELMODE() AFX_ON_WM(WM_CANCELMODE, AfxSig_v_v, void (CCmdTarget::*)(), OnCancelMode)
#define ON_WM_ACTIVATE() AFX_ON_WM(WM_ACTIVATE, AfxSig_v_activate, void (CCmdTarget::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_ACTIVATEAPP() AFX_ON_WM(WM_ACTIVATEAPP, AfxSig_v_activateapp, void (CCmdTarget::*)(BOOL, DWORD), OnActivateApp)
#define ON_WM_MOUSEACTIVATE() AFX_ON_WM(WM_MOUSEACTIVATE, AfxSig_i_mouseactivate, int (CCmdTarget::*)(CWnd*, UINT, UINT), OnMouseActivate)
