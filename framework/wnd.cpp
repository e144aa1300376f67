#include "framework/wnd.h"

#include <map>
#include <unordered_map>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/frame.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/olesite.h"
#include "text/resinst.h"
#include "framework/winapp.h"

const char* const AFX_WND_CLASS = "OrvWnd";
const char* const AFX_FRAMEORVIEW_CLASS = "OrvFrameOrView";

namespace {

// Permanent map: every window created or subclassed by the layer. Other
// threads may look windows up, so it is locked.
struct HandleMap {
  CRITICAL_SECTION lock;
  std::unordered_map<HWND, CWnd*> map;
  HandleMap() { InitializeCriticalSection(&lock); }
  ~HandleMap() { DeleteCriticalSection(&lock); }
  CWnd* Find(HWND h) {
    EnterCriticalSection(&lock);
    auto it = map.find(h);
    CWnd* p = it == map.end() ? nullptr : it->second;
    LeaveCriticalSection(&lock);
    return p;
  }
  void Set(HWND h, CWnd* p) {
    EnterCriticalSection(&lock);
    map[h] = p;
    LeaveCriticalSection(&lock);
  }
  void Remove(HWND h) {
    EnterCriticalSection(&lock);
    map.erase(h);
    LeaveCriticalSection(&lock);
  }
};

HandleMap& Permanent() {
  static HandleMap m;
  return m;
}

struct TempWnds {
  std::map<HWND, CWnd*> wnds;
  ~TempWnds() { Clear(); }
  void Clear() {
    for (auto& e : wnds) {
      e.second->m_hWnd = nullptr;
      delete e.second;
    }
    wnds.clear();
  }
};
thread_local TempWnds t_tempWnds;

// Creation in progress on this thread: the object the next new window
// binds to, and the class it must have (null: any but the IME window).
struct CreateState {
  CWnd* pWndInit = nullptr;
  HHOOK hHook = nullptr;
  int nDepth = 0;
};
thread_local CreateState t_create;
thread_local MSG t_lastMsg;  // the message being handled, for Default()

bool IsImeClass(LPCSTR cls) {
  if (IS_INTRESOURCE(cls)) return false;
  return lstrcmpiA(cls, "IME") == 0;
}

}  // namespace

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_create.pWndInit) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    CBT_CREATEWNDA* cbt = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (!IsImeClass(cbt->lpcs->lpszClass)) {
      CWnd* p = t_create.pWndInit;
      t_create.pWndInit = nullptr;
      p->AttachForCreate(hWnd);
    }
  }
  return CallNextHookEx(t_create.hHook, code, wParam, lParam);
}

namespace {
// Hooks creation on this thread for one window; nests for windows that
// create others while being created.
class CreateHook {
 public:
  explicit CreateHook(CWnd* p) : prev_(t_create.pWndInit) {
    if (t_create.nDepth++ == 0)
      t_create.hHook = SetWindowsHookExA(WH_CBT, AfxCbtFilterHook, nullptr, GetCurrentThreadId());
    t_create.pWndInit = p;
  }
  ~CreateHook() {
    t_create.pWndInit = prev_;
    if (--t_create.nDepth == 0 && t_create.hHook) {
      UnhookWindowsHookEx(t_create.hHook);
      t_create.hHook = nullptr;
    }
  }
  bool ok() const { return t_create.hHook != nullptr; }

 private:
  CWnd* prev_;
};

void RegisterLayerClass(const char* name, UINT style, HBRUSH bg) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(AfxGetInstanceHandle(), name, &wc)) return;
  wc.style = style;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = bg;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

void RegisterStandardClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterLayerClass(AFX_WND_CLASS, CS_DBLCLKS, nullptr);
  RegisterLayerClass(AFX_FRAMEORVIEW_CLASS, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                     reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}
}  // namespace

const char* AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  static std::map<CString, int> names;  // keeps the names alive
  CString name;
  name.Format("Orv:%x:%x:%x:%x", nClassStyle, (unsigned)(UINT_PTR)hCursor, (unsigned)(UINT_PTR)hbrBackground,
              (unsigned)(UINT_PTR)hIcon);
  auto it = names.find(name);
  if (it != names.end()) return it->first;
  WNDCLASSA wc = {};
  wc.style = nClassStyle;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hIcon = hIcon;
  wc.hCursor = hCursor;
  wc.hbrBackground = hbrBackground;
  auto ins = names.emplace(name, 0).first;
  wc.lpszClassName = ins->first;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    names.erase(ins);
    return AFX_WND_CLASS;
  }
  return ins->first;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* p = CWnd::FromHandlePermanent(hWnd);
  if (!p) return DefWindowProcA(hWnd, nMsg, wParam, lParam);
  MSG saved = t_lastMsg;
  t_lastMsg.hwnd = hWnd;
  t_lastMsg.message = nMsg;
  t_lastMsg.wParam = wParam;
  t_lastMsg.lParam = lParam;
  LRESULT r = p->WindowProc(nMsg, wParam, lParam);
  if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == p) p->FinalNcDestroy();
  t_lastMsg = saved;
  return r;
}

// ------------------------------------------------------------------- CWnd

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_bCreatedHere(FALSE), m_nModalResult(-1),
               m_bInModalLoop(FALSE) {}

CWnd::~CWnd() {
  if (m_pCtrlSite) {
    UnsubclassWindow();
    CloseControlSite();  // destroys the control and its window
    return;
  }
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    // Unbind first: the derived parts of this object are gone already.
    HWND h = m_hWnd;
    BOOL created = m_bCreatedHere;
    UnsubclassWindow();
    if (created) ::DestroyWindow(h);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd ? Permanent().Find(hWnd) : nullptr; }

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* p = FromHandlePermanent(hWnd)) return p;
  CWnd*& p = t_tempWnds.wnds[hWnd];
  if (!p) {
    p = new CWnd;
    p->m_hWnd = hWnd;
  }
  return p;
}

void CWnd::DeleteTempMap() { t_tempWnds.Clear(); }

BOOL CWnd::Attach(HWND hWndNew) {
  if (!hWndNew || m_hWnd) return FALSE;
  m_hWnd = hWndNew;
  Permanent().Set(hWndNew, this);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h) Permanent().Remove(h);
  m_hWnd = nullptr;
  return h;
}

void CWnd::AttachForCreate(HWND hWnd) {
  Attach(hWnd);
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (old != &AfxWndProc) m_pfnSuper = old;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) {
    RegisterStandardClasses();
    cs.lpszClass = AFX_WND_CLASS;
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, int x,
                    int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs = {};
  cs.dwExStyle = dwExStyle;
  cs.lpszClass = lpszClassName;
  cs.lpszName = lpszWindowName;
  cs.style = dwStyle;
  cs.x = x;
  cs.y = y;
  cs.cx = nWidth;
  cs.cy = nHeight;
  cs.hwndParent = hWndParent;
  cs.hMenu = nIDorHMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = lpParam;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  HWND hWnd;
  {
    CreateHook hook(this);
    if (!hook.ok()) return FALSE;
    hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                             cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  }
  // On failure the object may be gone already (PostNcDestroy of a
  // window whose WM_CREATE failed): touch nothing.
  if (!hWnd) return FALSE;
  m_bCreatedHere = TRUE;
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, SafeHwnd(pParentWnd),
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL AfxCreateDialogHooked(CWnd* pWnd, LPCDLGTEMPLATE lpTemplate, HWND hWndParent, HINSTANCE hInst,
                           DLGPROC lpDialogFunc) {
  HWND hWnd;
  {
    CreateHook hook(pWnd);
    if (!hook.ok()) return FALSE;
    hWnd = ::CreateDialogIndirectParamA(hInst, lpTemplate, hWndParent, lpDialogFunc, 0);
  }
  if (!hWnd) return FALSE;
  pWnd->m_bCreatedHere = TRUE;
  return TRUE;
}

BOOL CWnd::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  if (m_pCtrlSite) {
    HWND h = m_hWnd;
    CloseControlSite();
    if (::IsWindow(h)) ::DestroyWindow(h);
    return TRUE;
  }
  return ::DestroyWindow(m_hWnd);
}

void CWnd::CloseControlSite() {
  COleControlSite* site = m_pCtrlSite;
  m_pCtrlSite = nullptr;
  if (site) site->Close();
}

BOOL CWnd::CreateControl(REFCLSID clsid, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                         CWnd* pParentWnd, UINT nID) {
  if (m_hWnd || !pParentWnd) return FALSE;
  COleControlSite* site = COleControlSite::Create(clsid, pParentWnd->m_hWnd, rect, nID, dwStyle);
  if (!site) return FALSE;
  if (!SubclassWindow(site->GetControlWindow())) {
    site->Close();
    return FALSE;
  }
  m_pCtrlSite = site;
  if (lpszWindowName) ::SetWindowTextA(m_hWnd, lpszWindowName);
  return TRUE;
}

IUnknown* CWnd::GetControlUnknown() const { return m_pCtrlSite ? m_pCtrlSite->GetControlUnknown() : nullptr; }

void CWnd::PreSubclassWindow() {}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return FALSE;
  Attach(hWnd);
  PreSubclassWindow();
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (!old) {
    Detach();
    return FALSE;
  }
  if (old != &AfxWndProc) m_pfnSuper = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent) return FALSE;
  HWND h = ::GetDlgItem(pParent->m_hWnd, nID);
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  if (m_pfnSuper) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  m_bCreatedHere = FALSE;
  return Detach();
}

void CWnd::PostNcDestroy() {}

void CWnd::FinalNcDestroy() {
  HWND h = m_hWnd;
  // wakes a modal loop of this window, which then ends without it
  if (m_bInModalLoop) ::PostMessageA(nullptr, WM_NULL, 0, 0);
  if (m_pfnSuper) ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  m_bCreatedHere = FALSE;
  Detach();
  CloseControlSite();
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  PostNcDestroy();  // may delete this
}

const MSG* CWnd::GetCurrentMessage() { return &t_lastMsg; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_lastMsg.message, t_lastMsg.wParam, t_lastMsg.lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if (!OnWndMsg(message, wParam, lParam, &lResult)) lResult = DefWindowProc(message, wParam, lParam);
  if (message == WM_WINDOWPOSCHANGED && m_pCtrlSite && m_hWnd) {
    // a hosted control learns its new place from its site
    RECT r;
    ::GetWindowRect(m_hWnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<LPPOINT>(&r), 2);
    m_pCtrlSite->SetRect(r);
  }
  return lResult;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
    CWnd* p = FromHandlePermanent(h);
    if (p && p->PreTranslateMessage(pMsg)) return TRUE;
    if (h == hWndStop) break;
  }
  return FALSE;
}
