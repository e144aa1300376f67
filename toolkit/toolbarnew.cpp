#include "toolkit/toolbarnew.h"

#include <commctrl.h>
#include <stdint.h>
#include <string.h>

#include "toolkit/dibfx.h"
#include "toolkit/drawutil.h"

namespace {

const int kSeparatorWidth = 8;
const int kGripperWidth = 6;

inline uint32_t ToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF FromPixel(uint32_t p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); }

const char* RegisterToolbarClass() {
  static bool done = false;
  if (!done) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = TOOLBAR_CLASS_NAME;
    done = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }
  return TOOLBAR_CLASS_NAME;
}

// The menu text of a command without "&" and the accelerator part.
std::string TipText(HWND frame, UINT id) {
  char buf[256] = "";
  HMENU menu = frame ? GetMenu(frame) : nullptr;
  if (!menu || GetMenuStringA(menu, id, buf, sizeof buf, MF_BYCOMMAND) <= 0) {
    if (LoadStringA(AfxGetResourceHandle(), id, buf, sizeof buf) <= 0) return std::string();
    const char* nl = strchr(buf, '\n');  // "prompt\ntip": the tip
    if (nl) memmove(buf, nl + 1, strlen(nl + 1) + 1);
  }
  std::string out;
  for (const char* p = buf; *p && *p != '\t'; p++) {
    if (*p == '&') {
      if (p[1] != '&') continue;
      p++;
    }
    out += *p;
  }
  return out;
}

// The state a frame's update handlers give one button.
class CToolCmdUI : public CCmdUI {
 public:
  bool enabled = true, checked = false;
  void Enable(BOOL bOn) override {
    enabled = bOn != FALSE;
    m_bEnableChanged = TRUE;
  }
  void SetCheck(int nCheck) override { checked = nCheck != 0; }
  void SetRadio(BOOL bOn) override { checked = bOn != FALSE; }
  void SetText(const char*) override {}
};

}  // namespace

bool ToolbarResourceParse(const void* data, size_t size, ToolbarResource* out) {
  if (!data || size < 8) return false;
  const BYTE* p = static_cast<const BYTE*>(data);
  auto word = [p](size_t i) { return static_cast<UINT>(p[2 * i] | (p[2 * i + 1] << 8)); };
  UINT version = word(0), w = word(1), h = word(2), count = word(3);
  if (version != 1 || w == 0 || h == 0 || w > 256 || h > 256) return false;
  if (8 + static_cast<size_t>(count) * 2 > size) return false;
  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  out->ids.clear();
  for (UINT i = 0; i < count; i++) out->ids.push_back(word(4 + i));
  return true;
}

bool ToolbarResourceLoad(HINSTANCE module, UINT id, ToolbarResource* out) {
  HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), RT_TOOLBAR_DATA);
  HGLOBAL mem = res ? LoadResource(module, res) : nullptr;
  const void* data = mem ? LockResource(mem) : nullptr;
  return data && ToolbarResourceParse(data, SizeofResource(module, res), out);
}

IMPLEMENT_DYNAMIC(CToolBarNew, CControlBar)

BEGIN_MESSAGE_MAP(CToolBarNew, CControlBar)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_WM_SYSCOLORCHANGE()
  ON_MESSAGE(TOOLBAR_SETEXTENDEDSTYLE, OnSetExtendedStyle)
END_MESSAGE_MAP()

CToolBarNew::CToolBarNew() = default;

CToolBarNew::~CToolBarNew() {
  DibFree(m_images);
  if (m_hWnd) DestroyWindow();
}

BOOL CToolBarNew::CreateEx(CWnd* pParentWnd, DWORD ctrlStyle, DWORD barStyle, CRect borders, UINT nID) {
  m_borders = borders;
  m_dwStyle = barStyle & 0x0FFFFFFF;
  DWORD style = (barStyle & 0xF0000000) | WS_CHILD | WS_CLIPSIBLINGS | (ctrlStyle & 0xFFFF);
  if (!CWnd::CreateEx(0, RegisterToolbarClass(), nullptr, style, CRect(0, 0, 0, 0), pParentWnd, nID)) return FALSE;
  return TRUE;
}

// The tooltip control comes with the first mouse move over the bar: making
// it costs more than the rest of the bar.
void CToolBarNew::EnsureTips() {
  if (m_hTip || !(m_dwStyle & CBRS_TOOLTIPS) || !m_hWnd) return;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // not owned by the frame: a topmost owned popup keeps the frame itself
  // from going topmost ("Fenster fixieren")
  m_hTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                           0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SyncTips();
  // the move that brought it along is its first
  const MSG* msg = GetCurrentMessage();
  if (m_hTip && msg && msg->hwnd == m_hWnd) {
    MSG relay = *msg;
    ::SendMessageA(m_hTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
  }
}

BOOL CToolBarNew::LoadToolBar(UINT nIDResource) {
  HINSTANCE inst = AfxGetResourceHandle();
  ToolbarResource res;
  if (!m_hWnd || !ToolbarResourceLoad(inst, nIDResource, &res)) return FALSE;
  HBITMAP bmp = static_cast<HBITMAP>(
      LoadImageA(inst, MAKEINTRESOURCEA(nIDResource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bmp) return FALSE;
  HDIB images = DibFromBitmap(nullptr, bmp, nullptr);
  DeleteObject(bmp);
  if (!images) return FALSE;
  DibFree(m_images);
  m_images = images;
  m_cxImage = res.width;
  m_cyImage = res.height;
  int available = DibGetWidth(images) / res.width;
  HWND frame = ::GetParent(m_hWnd);
  m_buttons.clear();
  int image = 0;
  for (UINT id : res.ids) {
    Button b = {id, -1, true, false, CLR_INVALID, std::string(), {0, 0, 0, 0}};
    if (id != 0) {
      b.image = image < available && DibGetHeight(images) >= res.height ? image : -1;
      ++image;
      b.tip = TipText(frame, id);
    }
    m_buttons.push_back(b);
  }
  m_hot = m_pressed = -1;
  Layout();
  return TRUE;
}

void CToolBarNew::SetButtonColors(int count, UINT firstCmd, const COLORREF* colours, COLORREF common) {
  if (common != CLR_INVALID) m_common = common & 0xFFFFFF;
  for (int i = 0; colours && i < count; i++) {
    int index = CommandToIndex(firstCmd + i);
    if (index >= 0) m_buttons[index].colour = colours[i] & 0xFFFFFF;
  }
  if (m_hWnd) Invalidate(FALSE);
}

void CToolBarNew::SetFlat(BOOL bFlat) {
  if (m_hWnd) ModifyStyle(bFlat ? 0 : TOOLBAR_STYLE_FLAT, bFlat ? TOOLBAR_STYLE_FLAT : 0);
  if (m_hWnd) Invalidate(FALSE);
}

BOOL CToolBarNew::IsFlat() const { return m_hWnd && (GetStyle() & TOOLBAR_STYLE_FLAT); }

UINT CToolBarNew::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < GetButtonCount() ? m_buttons[nIndex].id : 0;
}

BOOL CToolBarNew::GetItemRect(int nIndex, RECT* rc) const {
  if (nIndex < 0 || nIndex >= GetButtonCount() || !rc) return FALSE;
  *rc = m_buttons[nIndex].rc;
  return TRUE;
}

int CToolBarNew::CommandToIndex(UINT nID) const {
  for (int i = 0; i < GetButtonCount(); i++)
    if (m_buttons[i].id == nID && nID != 0) return i;
  return -1;
}

BOOL CToolBarNew::IsButtonEnabled(int nIndex) const {
  return nIndex >= 0 && nIndex < GetButtonCount() && m_buttons[nIndex].enabled;
}

BOOL CToolBarNew::IsButtonChecked(int nIndex) const {
  return nIndex >= 0 && nIndex < GetButtonCount() && m_buttons[nIndex].checked;
}

void CToolBarNew::SetButtonState(int nIndex, BOOL bEnabled, BOOL bChecked) {
  if (nIndex < 0 || nIndex >= GetButtonCount()) return;
  Button& b = m_buttons[nIndex];
  if (b.enabled == (bEnabled != FALSE) && b.checked == (bChecked != FALSE)) return;
  b.enabled = bEnabled != FALSE;
  b.checked = bChecked != FALSE;
  InvalidateButton(nIndex);
}

CSize CToolBarNew::GetButtonSize() const { return CSize(m_cxImage + 7, m_cyImage + 7); }

void CToolBarNew::Layout() {
  int x = m_borders.left + ((m_dwStyle & TOOLBAR_BAR_GRIPPER) ? kGripperWidth : 0), y = m_borders.top;
  CSize size = GetButtonSize();
  for (Button& b : m_buttons) {
    int w = b.id ? size.cx : kSeparatorWidth;
    SetRect(&b.rc, x, y, x + w, y + size.cy);
    x += w;
  }
  SyncTips();
  if (m_hWnd) Invalidate(FALSE);
}

void CToolBarNew::SyncTips() {
  if (!m_hTip) return;
  TOOLINFOA ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.hwnd = m_hWnd;
  int tools = static_cast<int>(::SendMessageA(m_hTip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = tools - 1; i >= 0; i--) {
    TOOLINFOA old = {};
    old.cbSize = TTTOOLINFOA_V2_SIZE;
    if (::SendMessageA(m_hTip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&old)))
      ::SendMessageA(m_hTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&old));
  }
  for (int i = 0; i < GetButtonCount(); i++) {
    Button& b = m_buttons[i];
    if (!b.id || b.tip.empty()) continue;
    ti.uFlags = TTF_SUBCLASS;
    ti.uId = static_cast<UINT_PTR>(i + 1);
    ti.rect = b.rc;
    ti.lpszText = const_cast<char*>(b.tip.c_str());  // the control keeps a copy
    ::SendMessageA(m_hTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

CSize CToolBarNew::CalcFixedLayout(BOOL, BOOL) {
  int right = m_borders.left + ((m_dwStyle & TOOLBAR_BAR_GRIPPER) ? kGripperWidth : 0);
  if (!m_buttons.empty()) right = m_buttons.back().rc.right;
  int h = m_borders.top + GetButtonSize().cy + m_borders.bottom + ((m_dwStyle & TOOLBAR_BAR_LINE_BELOW) ? 2 : 0);
  return CSize(right + m_borders.right, h);
}

void CToolBarNew::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  for (int i = 0; i < GetButtonCount(); i++) {
    if (!m_buttons[i].id) continue;
    CToolCmdUI state;
    state.m_nID = m_buttons[i].id;
    state.m_nIndex = static_cast<UINT>(i);
    state.m_nIndexMax = static_cast<UINT>(GetButtonCount());
    state.m_pOther = this;
    state.enabled = m_buttons[i].enabled;
    state.checked = m_buttons[i].checked;
    state.DoUpdate(pTarget, bDisableIfNoHndler);
    SetButtonState(i, state.enabled, state.checked);
  }
}

int CToolBarNew::HitTest(CPoint pt) const {
  for (int i = 0; i < GetButtonCount(); i++)
    if (m_buttons[i].id && PtInRect(&m_buttons[i].rc, pt)) return i;
  return -1;
}

void CToolBarNew::InvalidateButton(int nIndex) {
  if (m_hWnd && nIndex >= 0 && nIndex < GetButtonCount()) InvalidateRect(&m_buttons[nIndex].rc, FALSE);
}

void CToolBarNew::OnMouseMove(UINT, CPoint point) {
  EnsureTips();
  int hit = HitTest(point);
  if (m_pressed >= 0) {
    bool inside = hit == m_pressed;
    if (inside != m_pressedInside) {
      m_pressedInside = inside;
      InvalidateButton(m_pressed);
    }
    return;
  }
  if (hit != m_hot) {
    InvalidateButton(m_hot);
    m_hot = hit;
    InvalidateButton(m_hot);
  }
  if (!m_tracking) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, m_hWnd, 0};
    m_tracking = TrackMouseEvent(&tme) != FALSE;
  }
}

void CToolBarNew::OnMouseLeave() {
  m_tracking = false;
  if (m_pressed < 0 && m_hot >= 0) {
    InvalidateButton(m_hot);
    m_hot = -1;
  }
}

void CToolBarNew::OnLButtonDown(UINT, CPoint point) {
  int hit = HitTest(point);
  if (hit < 0 || !m_buttons[hit].enabled) return;
  m_pressed = hit;
  m_pressedInside = true;
  SetCapture();
  InvalidateButton(hit);
}

void CToolBarNew::OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }

void CToolBarNew::OnLButtonUp(UINT, CPoint point) {
  int pressed = m_pressed;
  if (pressed < 0) return;
  bool fire = HitTest(point) == pressed && m_buttons[pressed].enabled;
  m_pressed = -1;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  InvalidateButton(pressed);
  if (fire) ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(m_buttons[pressed].id, 0), 0);
}

void CToolBarNew::OnCaptureChanged(CWnd*) {
  if (m_pressed >= 0) {
    InvalidateButton(m_pressed);
    m_pressed = -1;
  }
}

void CToolBarNew::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  Invalidate(FALSE);
}

void CToolBarNew::OnDestroy() {
  if (m_hTip) ::DestroyWindow(m_hTip);
  m_hTip = nullptr;
  CControlBar::OnDestroy();
}

void CToolBarNew::OnSysColorChange() { Invalidate(FALSE); }

LRESULT CToolBarNew::OnSetExtendedStyle(WPARAM wParam, LPARAM lParam) {
  DWORD old = m_dwExStyle, mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
  m_dwExStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
  Invalidate(FALSE);
  return static_cast<LRESULT>(old);
}

BOOL CToolBarNew::OnEraseBkgnd(CDC*) { return TRUE; }

void CToolBarNew::OnPaint() {
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  Render(dc.m_hDC, rc);
}

void CToolBarNew::Render(HDC target, const RECT& area) {
  CRect rc(0, 0, area.right - area.left, area.bottom - area.top);
  if (rc.Width() <= 0 || rc.Height() <= 0) return;
  void* bits = nullptr;
  HDIB back = DibCreate(target, rc.Width(), rc.Height(), 32, &bits);
  if (!back) return;
  HDC mem = DibGetDC(back);
  FillRect(mem, &rc, GetSysColorBrush(COLOR_BTNFACE));
  if (m_dwStyle & TOOLBAR_BAR_GRIPPER) {
    RECT g = {m_borders.left, m_borders.top + 1, m_borders.left + 3, rc.bottom - m_borders.bottom - 1};
    DrawBox3D(mem, &g, DRAW_BOX_RAISED);
  }
  if (m_dwStyle & TOOLBAR_BAR_LINE_BELOW) {
    RECT shadow = {0, rc.bottom - 2, rc.right, rc.bottom - 1}, light = {0, rc.bottom - 1, rc.right, rc.bottom};
    FillRect(mem, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(mem, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
  for (int i = 0; i < GetButtonCount(); i++)
    DrawButton(mem, static_cast<uint32_t*>(bits), DibGetStride(back) / 4, rc.Height(), m_buttons[i], i);
  BitBlt(target, area.left, area.top, rc.Width(), rc.Height(), mem, 0, 0, SRCCOPY);
  DibFree(back);
}

void CToolBarNew::DrawButton(HDC dc, uint32_t* pixels, int stride, int height, const Button& b, int index) {
  RECT r = b.rc;
  if (!b.id) {  // an etched line in the middle of the gap
    RECT line = {r.left + kSeparatorWidth / 2 - 1, r.top + 1, r.left + kSeparatorWidth / 2 + 1, r.bottom - 1};
    DrawBox3D(dc, &line, DRAW_BOX_SUNKEN);
    return;
  }
  bool pressed = index == m_pressed && m_pressedInside;
  bool flat = IsFlat();
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (b.checked && !pressed) {
    // a checked button shows a lighter face
    COLORREF light = ((face >> 1) & 0x7F7F7F) + ((GetSysColor(COLOR_BTNHIGHLIGHT) >> 1) & 0x7F7F7F);
    HBRUSH br = CreateSolidBrush(light);
    RECT in = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    FillRect(dc, &in, br);
    DeleteObject(br);
  }
  if (pressed || b.checked)
    DrawBox3D(dc, &r, DRAW_BOX_SUNKEN);
  else if (!flat || (b.enabled && index == m_hot))
    DrawBox3D(dc, &r, DRAW_BOX_RAISED);
  GdiFlush();
  if (b.image < 0 || !m_images) return;
  int x0 = r.left + 3 + (pressed ? 1 : 0), y0 = r.top + 3 + (pressed ? 1 : 0);
  const uint8_t* src = static_cast<const uint8_t*>(DibGetBits(m_images));
  int srcStride = DibGetStride(m_images);
  uint32_t mask = ToPixel(TOOLBAR_MASK_COLOUR);
  bool colourButtons = (m_dwExStyle & TOOLBAR_EX_COLORBUTTONS) && m_common != CLR_INVALID;
  uint32_t common = colourButtons ? ToPixel(m_common) : 0xFFFFFFFFu;
  uint32_t own = ToPixel(b.colour != CLR_INVALID ? b.colour : face);
  for (int y = 0; y < m_cyImage; y++) {
    int ty = y0 + y;
    if (ty < 0 || ty >= height) continue;
    const uint32_t* row = reinterpret_cast<const uint32_t*>(src + static_cast<size_t>(y) * srcStride) +
                          b.image * m_cxImage;
    for (int x = 0; x < m_cxImage; x++) {
      int tx = x0 + x;
      if (tx < 0 || tx >= stride) continue;
      uint32_t p = row[x] & 0xFFFFFF;
      if (p == mask) continue;
      if (p == common) p = own;
      if (!b.enabled) p = ToPixel(DibTintPixel(FromPixel(p), TOOLBAR_DISABLED_TINT));
      pixels[static_cast<size_t>(ty) * stride + tx] = p;
    }
  }
}
