#include "framework/controlbar.h"

#include <cstring>

#include "framework/frame.h"
#include "framework/gdi.h"

// ------------------------------------------------------------ CControlBar

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;
CControlBar::~CControlBar() = default;

CSize CControlBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  CRect r;
  GetWindowRect(&r);
  return bHorz ? CSize(32767, r.Height()) : CSize(r.Width(), 32767);
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam) {
  AFX_SIZEPARENTPARAMS* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
  if (!IsVisible() || m_nDockRow >= 0) return 0;  // docked in a row: the frame places it
  RECT& room = layout->rect;
  BOOL bHorz = (m_dwStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0;
  CSize size = CalcFixedLayout(layout->bStretch, bHorz);
  CRect r(room);
  if (m_dwStyle & CBRS_ALIGN_TOP) {
    r.bottom = r.top + size.cy;
    room.top = r.bottom;
  } else if (m_dwStyle & CBRS_ALIGN_BOTTOM) {
    r.top = r.bottom - size.cy;
    room.bottom = r.top;
  } else if (m_dwStyle & CBRS_ALIGN_LEFT) {
    r.right = r.left + size.cx;
    room.left = r.right;
  } else if (m_dwStyle & CBRS_ALIGN_RIGHT) {
    r.left = r.right - size.cx;
    room.right = r.left;
  } else {
    return 0;  // floating: no room taken
  }
  if (room.bottom < room.top) room.bottom = room.top;
  if (room.right < room.left) room.right = room.left;
  if (layout->hDWP)
    layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, r.left, r.top, r.Width(), r.Height(),
                                    SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
  if (!IsVisible()) return 0;
  CFrameWnd* pTarget = GetParentFrame();
  if (pTarget) OnUpdateCmdUI(pTarget, static_cast<BOOL>(wParam));
  return 0;
}

// ------------------------------------------------------------- CStatusBar

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  ON_WM_SIZE()
END_MESSAGE_MAP()

CStatusBar::CStatusBar() = default;
CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  m_dwStyle = dwStyle & CBRS_ALIGN_ANY;
  DWORD style = (dwStyle & ~CBRS_ALIGN_ANY) | WS_CHILD | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER |
                CCS_NORESIZE;
  if (pParentWnd && !(pParentWnd->GetStyle() & WS_THICKFRAME)) style &= ~SBARS_SIZEGRIP;
  return CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, style, CRect(0, 0, 0, 0), pParentWnd, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (!m_hWnd || nIDCount < 0 || nIDCount > 255) return FALSE;
  m_panes.clear();
  CClientDC dc(this);
  HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
  BOOL ok = TRUE;
  for (int i = 0; i < nIDCount; ++i) {
    Pane p = {lpIDArray ? lpIDArray[i] : ID_SEPARATOR, SBPS_NORMAL, 0, CString()};
    if (p.nID != ID_SEPARATOR) {
      if (!p.text.LoadString(p.nID)) ok = FALSE;  // a pane without its text stays empty
      p.cxText = dc.GetTextExtent(p.text).cx;
    } else {
      p.nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
    }
    m_panes.push_back(p);
  }
  ::SelectObject(dc.m_hDC, oldFont);
  UpdateParts();
  return ok;
}

void CStatusBar::UpdateParts() {
  if (!m_hWnd || m_panes.empty()) return;
  CRect rc;
  GetClientRect(&rc);
  const int pad = 12, grip = (GetStyle() & SBARS_SIZEGRIP) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
  int fixed = 0, stretchers = 0;
  for (const Pane& p : m_panes) {
    if (p.nStyle & SBPS_STRETCH)
      ++stretchers;
    else
      fixed += p.cxText + pad;
  }
  int free = rc.Width() - fixed - grip;
  if (free < 0) free = 0;
  std::vector<int> rights;
  int x = 0;
  for (const Pane& p : m_panes) {
    x += (p.nStyle & SBPS_STRETCH) ? free / (stretchers ? stretchers : 1) : p.cxText + pad;
    rights.push_back(x);
  }
  rights.back() = -1;  // the last part runs to the right edge
  SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
  for (int i = 0; i < GetCount(); ++i)
    SendMessage(SB_SETTEXTA, i | (m_panes[i].nStyle & 0xFF00), reinterpret_cast<LPARAM>(m_panes[i].text.GetString()));
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_panes[i].nID == nIDFind) return i;
  return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].nID : 0;
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate) {
  if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
  Pane& p = m_panes[nIndex];
  p.text = lpszNewText;
  if (m_hWnd) {
    SendMessage(SB_SETTEXTA, nIndex | (p.nStyle & 0xFF00), reinterpret_cast<LPARAM>(p.text.GetString()));
    if (bUpdate) UpdateWindow();
  }
  return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_panes[nIndex].text : CString();
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  m_panes[nIndex].nID = nID;
  m_panes[nIndex].nStyle = nStyle;
  m_panes[nIndex].cxText = cxWidth;
  UpdateParts();
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  nID = nStyle = 0;
  cxWidth = 0;
  if (nIndex < 0 || nIndex >= GetCount()) return;
  nID = m_panes[nIndex].nID;
  nStyle = m_panes[nIndex].nStyle;
  cxWidth = m_panes[nIndex].cxText;
}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL) {
  CRect r;
  GetWindowRect(&r);
  int h = r.Height();
  if (h <= 0) {
    // not laid out yet: the control's own height for its font
    TEXTMETRICA tm = {};
    CClientDC dc(this);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    ::GetTextMetricsA(dc.m_hDC, &tm);
    ::SelectObject(dc.m_hDC, old);
    h = tm.tmHeight + 2 * ::GetSystemMetrics(SM_CYBORDER) + 6;
  }
  return CSize(32767, h);
}

void CStatusBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  UpdateParts();
}

namespace {
// A pane's state while update handlers run: disabled panes show nothing.
class CStatusCmdUI : public CCmdUI {
 public:
  CStatusBar* bar = nullptr;
  BOOL bOn = TRUE;
  void Enable(BOOL b) override {
    bOn = b;
    m_bEnableChanged = TRUE;
  }
  void SetCheck(int) override {}
  void SetText(const char* t) override { bar->SetPaneText(m_nIndex, t, FALSE); }
};
}  // namespace

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  for (int i = 0; i < GetCount(); ++i) {
    UINT id = m_panes[i].nID;
    if (id == ID_SEPARATOR) continue;
    CStatusCmdUI state;
    state.bar = this;
    state.m_nID = id;
    state.m_nIndex = i;
    state.m_nIndexMax = GetCount();
    BOOL handled = state.DoUpdate(pTarget, FALSE);
    // the key indicators follow their keys unless a handler says otherwise
    int vk = id == ID_INDICATOR_CAPS ? VK_CAPITAL : id == ID_INDICATOR_NUM ? VK_NUMLOCK
                                                   : id == ID_INDICATOR_SCRL ? VK_SCROLL : 0;
    if (vk && !handled) state.bOn = (::GetKeyState(vk) & 1) != 0;
    const char* want = state.bOn ? m_panes[i].text.GetString() : "";
    char shown[256] = "";
    int len = static_cast<int>(LOWORD(SendMessage(SB_GETTEXTLENGTHA, i)));
    if (len < static_cast<int>(sizeof shown)) SendMessage(SB_GETTEXTA, i, reinterpret_cast<LPARAM>(shown));
    if (len >= static_cast<int>(sizeof shown) || strcmp(shown, want) != 0)
      SendMessage(SB_SETTEXTA, i | (m_panes[i].nStyle & 0xFF00), reinterpret_cast<LPARAM>(want));
  }
}
