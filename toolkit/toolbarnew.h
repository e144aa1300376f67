// CToolBarNew: a control bar with a toolbar control of its own
// ("ToolbarExWindow32"): buttons from a type-241 resource and a bitmap of
// the same id, flat or raised, hot and pressed states, checks and disabled
// images from the frame's update handlers, colour buttons, tooltips.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "toolkit/dib.h"

#define TOOLBAR_CLASS_NAME "ToolbarExWindow32"
#define RT_TOOLBAR_DATA MAKEINTRESOURCEA(241)
#define TOOLBAR_STYLE_FLAT 0x0800            // control style
#define TOOLBAR_SETEXTENDEDSTYLE 0x0482      // wParam mask, lParam bits; returns the old bits
#define TOOLBAR_EX_COLORBUTTONS 0x10000000   // common-colour pixels take each button's colour
#define TOOLBAR_MASK_COLOUR RGB(0xC0, 0xC0, 0xC0)
#define TOOLBAR_DISABLED_TINT RGB(0xDF, 0xDF, 0xDF)
#define TOOLBAR_BAR_GRIPPER 0x00400000       // bar style bits
#define TOOLBAR_BAR_LINE_BELOW 0x00000800

// The header of a type-241 resource: WORD version 1, image width and
// height, item count, then one command id per item (0: separator).
struct ToolbarResource {
  int width = 0, height = 0;
  std::vector<UINT> ids;
};
// Reads the header within size bytes; false when it does not fit or is not
// version 1 with a sane image size.
bool ToolbarResourceParse(const void* data, size_t size, ToolbarResource* out);
// Loads and parses resource id of type 241 from the module.
bool ToolbarResourceLoad(HINSTANCE module, UINT id, ToolbarResource* out);

class CToolBarNew : public CControlBar {
  DECLARE_DYNAMIC(CToolBarNew)
 public:
  CToolBarNew();
  ~CToolBarNew() override;

  // ctrlStyle: control style bits (TOOLBAR_STYLE_FLAT); barStyle: window
  // bits in the high byte, bar bits below; borders: left, top, right, bottom.
  BOOL CreateEx(CWnd* pParentWnd, DWORD ctrlStyle, DWORD barStyle, CRect borders, UINT nID);
  BOOL LoadToolBar(UINT nIDResource);
  // count buttons from firstCmd get one colour each; common is the colour
  // their images mark for it (-1 keeps the present one).
  void SetButtonColors(int count, UINT firstCmd, const COLORREF* colours, COLORREF common);
  void SetFlat(BOOL bFlat);
  BOOL IsFlat() const;

  HWND GetToolTips() const { return m_hTip; }
  int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
  UINT GetItemID(int nIndex) const;
  BOOL GetItemRect(int nIndex, RECT* rc) const;
  int CommandToIndex(UINT nID) const;
  BOOL IsButtonEnabled(int nIndex) const;
  BOOL IsButtonChecked(int nIndex) const;
  void SetButtonState(int nIndex, BOOL bEnabled, BOOL bChecked);
  CSize GetButtonSize() const;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

  // draws the bar as it looks into the rectangle of a DC
  void Render(HDC target, const RECT& area);

  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnMouseLeave();
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnCaptureChanged(CWnd* pWnd);
  void OnSize(UINT nType, int cx, int cy);
  void OnDestroy();
  void OnSysColorChange();
  LRESULT OnSetExtendedStyle(WPARAM wParam, LPARAM lParam);

 protected:
  struct Button {
    UINT id;
    int image;  // -1 for a separator
    bool enabled, checked;
    COLORREF colour;  // CLR_INVALID: none
    std::string tip;
    RECT rc;
  };
  std::vector<Button> m_buttons;
  HDIB m_images = nullptr;  // the toolbar's bitmap as a 32-bit DIB
  int m_cxImage = 16, m_cyImage = 15;
  CRect m_borders;
  DWORD m_dwExStyle = 0;
  COLORREF m_common = CLR_INVALID;
  int m_hot = -1, m_pressed = -1;
  bool m_pressedInside = false, m_tracking = false;
  HWND m_hTip = nullptr;

  void Layout();
  int HitTest(CPoint pt) const;
  void InvalidateButton(int nIndex);
  void DrawButton(HDC dc, uint32_t* pixels, int stride, int height, const Button& b, int index);
  void SyncTips();
  void EnsureTips();

  DECLARE_MESSAGE_MAP()
};
