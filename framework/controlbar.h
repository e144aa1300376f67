// Control bars: windows along the frame's edges that take their room in
// the frame's layout (WM_SIZEPARENT) and refresh their elements through
// CCmdUI at idle time (WM_IDLEUPDATECMDUI). The status bar is one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "text/cstring.h"
#include "framework/stdids.h"
#include "framework/wnd.h"

// bar styles (the bar's own word, not window styles)
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_SIZE_DYNAMIC 0x0400L
#define CBRS_TOP (CBRS_ALIGN_TOP)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM)

// status bar pane styles
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

#define ID_SEPARATOR 0

class CFrameWnd;

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
 public:
  CControlBar();
  ~CControlBar() override;

  DWORD GetBarStyle() const { return m_dwStyle; }
  virtual void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
  void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
  DWORD m_dwDockStyle = 0;
  BOOL IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE); }

  // the size the bar wants: along the frame edge it stretches
  virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
  // refresh the bar's elements through the frame's command route
  virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;

  LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);

  // set by the frame for bars it docks in rows along the top edge
  int m_nDockRow = -1;
  int m_nDockX = 0;
  LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

 protected:
  DWORD m_dwStyle = 0;

  DECLARE_MESSAGE_MAP()
};

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
 public:
  CStatusBar();
  ~CStatusBar() override;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
              UINT nID = 0xE801 /*AFX_IDW_STATUS_BAR*/);
  // one pane per id; ID_SEPARATOR gives a stretching pane, other ids take
  // their text (and width) from the string table
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  BOOL SetPaneText(int nIndex, const char* lpszNewText, BOOL bUpdate = TRUE);
  CString GetPaneText(int nIndex) const;
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  int GetCount() const { return static_cast<int>(m_panes.size()); }

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

  void OnSize(UINT nType, int cx, int cy);

 protected:
  struct Pane {
    UINT nID;
    UINT nStyle;
    int cxText;
    CString text;
  };
  std::vector<Pane> m_panes;
  void UpdateParts();

  DECLARE_MESSAGE_MAP()
};
