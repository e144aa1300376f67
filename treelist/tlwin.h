// The window's own part of a TreeList: child windows, GDI objects, themes,
// image lists, and the host interface that the logic calls.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include "toolkit/uxthemeapi.h"
#include "treelist/tlstate.h"

#define TL_TIMER_TIP 14610
#define TL_TIMER_DROPMARK 0x3910
#define TL_TIMER_AUTOSCROLL 0x3913
#define TL_ID_HEADER 1
#define TL_ID_TOOLTIP 2
#define TL_ID_EDIT 3
#define TL_EDIT_ENTER 0x1578
#define TL_EDIT_ESCAPE 0x1579

// image list slots: normal 0, state 2, cell state 3, cell images 4, header 5
enum { TLIL_NORMAL = 0, TLIL_STATE = 2, TLIL_CELLSTATE = 3, TLIL_CELL = 4, TLIL_HEADER = 5, TLIL_COUNT = 6 };
#define TL_BUILTIN_CHECKS ((HIMAGELIST)1)
// which lists hold built-in check boxes (TreeListState::builtinChecks)
enum { TL_CHECKS_ITEMS = 1, TL_CHECKS_CELLS = 2 };

struct TreeListShared {
  HPEN dotPen;
  HBRUSH patternBrush;
  HCURSOR arrow, hand, no;
  const UxThemeApi* ux;  // its pointers are null where UxTheme is missing
};
extern TreeListShared g_tlShared;
// the control's clock and timers (tests put their own in)
extern DWORD(WINAPI* g_tlClock)();
extern UINT_PTR(WINAPI* g_tlSetTimer)(HWND, UINT_PTR, UINT, TIMERPROC);

struct TreeListWin : public TreeListHost {
  HWND hwnd = nullptr;
  CRITICAL_SECTION cs;
  TreeListState* st = nullptr;
  HWND header = nullptr, tooltip = nullptr, edit = nullptr;
  WNDPROC tipProc = nullptr, editProc = nullptr;
  HFONT font = nullptr, boldFont = nullptr;
  bool ownBold = false;
  int fontH = 0, dotsW = 0, dotsBoldW = 0;
  HDC measureDC = nullptr;
  HIMAGELIST lists[TLIL_COUNT] = {};
  bool owned[TLIL_COUNT] = {};
  bool cellListOwn = false, headerListOwn = false;  // set on their own, not following the normal list
  HTHEME theme = nullptr, buttonTheme = nullptr;
  // the tooltip: its text grows in steps of 256 bytes
  char* tipBuf = nullptr;
  size_t tipCap = 0;
  int tipTicks = 0;
  bool tipShown = false;
  bool trackingLeave = false;
  // editing
  int editKind = 0;
  bool editChanged = false, editDisplayText = false;
  uint32_t editSel = 0;
  uint32_t editGen = 0;  // counts edits begun
  // input
  uint32_t pressItem = 0;
  int pressColumn = 0, pressButton = 0;
  POINT pressPt = {};
  bool secondClickArmed = false;
  // the last left press, for the control's own double-click rule
  bool doubleArmed = false;
  DWORD lastPressTime = 0;
  POINT lastPressPt = {};
  bool selectOnRelease = false;  // a press on one of several selected items
  intptr_t lastKeyAnswer = 0;
  bool checkKey = false;  // the last key was Space on a check box: its character is no text
  uint32_t dragFlags = 0;
  bool dragging = false;
  uint8_t scrollDirection = 0;
  int dropMarkTicks = 0;
  bool hotBoxPressed = false;
  uint32_t hotBoxItem = 0;
  int hotBoxColumn = -1;

  TreeListWin() { InitializeCriticalSection(&cs); }
  ~TreeListWin() override { DeleteCriticalSection(&cs); }
  // host interface
  void HostLock() override { EnterCriticalSection(&cs); }
  void HostUnlock() override { LeaveCriticalSection(&cs); }
  uint32_t HostThreadId() override { return GetCurrentThreadId(); }
  bool HostOnWindowThread() override { return GetCurrentThreadId() == GetWindowThreadProcessId(hwnd, nullptr); }
  bool HostWaitBusy() override;
  intptr_t HostNotify(TLNmHdr* rec) override;
  void HostPostRunDeferred() override { PostMessageA(hwnd, TLM_RUNDEFERRED, 0, 0); }
  void HostInvalidate(const TLRect* r) override;
  void HostSetScroll(int bar, int maxValue, int page, int pos, bool forced) override;
  void HostScrolled(int bar) override;
  int HostMeasureText(const char* text, int length, bool bold) override;
  void HostForget(uint32_t item, int column) override;
  void HostForgetLater(uint32_t item, uint32_t value) override;
  uintptr_t HostWindow() override { return reinterpret_cast<uintptr_t>(hwnd); }
};

inline TreeListWin* TLWin(TreeListState* st) { return st->win; }
inline HWND TLHwnd(TreeListState* st) { return st->win->hwnd; }

// resources (tlresources.cpp)
void TreeListAcquireShared();
void TreeListReleaseShared();
void TreeListResetColors(TreeListState* st);
void TreeListSetupFonts(TreeListState* st, HFONT font);
void TreeListMeasure(TreeListState* st);
// the built-in check boxes in the item state list, or in the cell state list
void TreeListBuildCheckImages(TreeListState* st, bool cells);
void TreeListOpenThemes(TreeListState* st);
void TreeListCloseThemes(TreeListState* st);
LRESULT TreeListSetImageList(TreeListState* st, WPARAM type, HIMAGELIST list);
void TreeListDestroyImageLists(TreeListState* st);

// options, properties, colour slots, row height (tlprops.cpp)
LRESULT TreeListSetExtendedStyle(TreeListState* st, uint32_t mask, uint32_t values);
LRESULT TreeListProperty(TreeListState* st, WPARAM wp, LPARAM lp);
LRESULT TreeListColorSlot(TreeListState* st, uint32_t slot, LPARAM color, bool set);
LRESULT TreeListItemHeight(TreeListState* st, int height);

// columns (tlcolumns.cpp)
LRESULT TreeListInsertColumn(TreeListState* st, uint32_t index, const TLColumnDesc* desc);
LRESULT TreeListDeleteColumn(TreeListState* st, uint32_t index);
LRESULT TreeListColumnMessage(TreeListState* st, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT TreeListHeaderNotify(TreeListState* st, NMHDR* nm);
int TreeListSetColumnOrder(TreeListState* st, WPARAM count, const int* order);
void TreeListSyncHeader(TreeListState* st, int32_t delta);
int32_t TreeListContentWidth(TreeListState* st, int column);
void TreeListColumnChanged(TreeListState* st, int column);

// painting (tlpaint.cpp)
void TreeListPaint(TreeListState* st, HDC dc, const RECT* rc);

// editing (tledit.cpp, tleditcol.cpp)
HWND TreeListStartEdit(TreeListState* st, uint32_t item, uint32_t flags);
int TreeListEndEdit(TreeListState* st, int cancel, int how);
int TreeListColumnEdit(TreeListState* st, uint32_t item, int column, uint32_t trigger, POINT pt);
// edit flag 32: the item's bit 15, or in another column the cell's own, makes the cell read-only
bool TLReadOnlyCell(TreeListState* st, uint32_t item, int column);
int TreeListEditRequest(TreeListState* st, uint32_t item, int column, uint32_t trigger, POINT pt);
// edit kinds 1, 2, 5 and 7 without edit flag 16
bool TLColumnTakesTyping(const TreeListColumn& col);
// a typed character or a paste (TLTRIGGER_PASTE) on a cell: a column that
// takes typed text opens its editor, any other asks the parent
int TreeListTypedEdit(TreeListState* st, uint32_t item, int column, uint32_t trigger);

// input (tlkeys.cpp, tlmouse.cpp, tldrag.cpp, tltooltip.cpp)
void TreeListKeyDown(TreeListState* st, WPARAM key, LPARAM flags);
void TreeListChar(TreeListState* st, WPARAM ch, LPARAM flags);
void TreeListMouse(TreeListState* st, UINT msg, WPARAM keys, LPARAM lParam);
void TreeListMouseMove(TreeListState* st, WPARAM keys, int x, int y);
int TreeListBeginDrag(TreeListState* st, uint32_t item, uint32_t flags);
void TreeListDragMove(TreeListState* st, int x, int y, bool ctrl);
void TreeListDragEnd(TreeListState* st, bool drop);
void TreeListSetDropMark(TreeListState* st, uint32_t item, int height, int offset);
void TreeListCreateToolTip(TreeListState* st);
void TreeListHideTip(TreeListState* st);
void TreeListHoverTip(TreeListState* st, uint32_t item, int column);
LRESULT TreeListTipText(TreeListState* st, NMHDR* nm);
void TreeListTimer(TreeListState* st, WPARAM id);
int TreeListToggleCheck(TreeListState* st, uint32_t item, uint32_t trigger, POINT pt);
// Takes the focus with the lock released; false when the window went or, for
// a key, did not get it. A click goes on while an open editor holds the focus.
bool TreeListTakeFocus(TreeListState* st, bool click);
HIMAGELIST TreeListCreateDragImage(TreeListState* st, uint32_t item, int column);
