// CPathComboBox: a combo box that shows a folder path as breadcrumb segments
// (each with a drop-down list of its subfolders, read by a worker thread of
// the control) or as editable text, with a list of recent paths.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <string>
#include <vector>

#include "framework/controls.h"
#include "treelist/folderdlg/folderlimits.h"
#include "treelist/folderdlg/pathtext.h"

enum : unsigned {
  PCO_DRAG = 0x1,           // the path can be dragged out from the icon
  PCO_DROP = 0x2,           // files can be dropped in
  PCO_OWNLIST = 0x4,        // entered paths go to the combo's own list
  PCO_HISTORY = 0x8,        // back/forward history of set paths
  PCO_MUSTEXIST = 0x10,     // paths that do not exist are refused
  PCO_TABPARENT = 0x40,     // Tab gives the focus to the parent
  PCO_NONETWORK = 0x100,    // network paths refused, listings without network
  PCO_NOBREADCRUMB = 0x200,  // always the edit field
  PCO_DROPTOPARENT = 0x10000,  // dropped files go to the parent as PATHDLG_WM_DROPPED
};

// Length word of SetPath: a tag in the high word marks where a path comes from.
enum : unsigned {
  PCS_CHOICE = 0x497A0000,   // a drop-down choice; low 14 bits the length
  PCS_DROPPED = 0x497B0000,  // a dropped file
  PCS_VIRTUAL = 0x4000,      // the chosen entry is virtual
  PCS_KEEPICON = 0x8000,
};

enum : UINT {
  PC_WM_WORKER = 0x3417,  // worker to control: 2 ended, 3 listing done (lParam tag)
  PC_CMD_COPYPATH = 13336,
  PC_CMD_COPYSEGMENT = 13337,
  PC_TIMER_TRACK = 13338,
  PC_TIMER_EDIT = 13339,
};

// Elements of the breadcrumb besides the segments' buttons and arrows.
enum : int { PCE_ICON = 256, PCE_EMPTY = 257, PCE_BUTTON = 258 };

// The record of PCN_PATHSET.
struct NMPATHCOMBO {
  NMHDR hdr;
  int reserved;
  int kind;
  const char* path;
};

struct PcWorker;

class CPathComboBox : public CComboBox {
  DECLARE_DYNAMIC(CPathComboBox)
 public:
  CPathComboBox();
  ~CPathComboBox() override;

  BOOL SubclassCombo(unsigned options, HWND combo);
  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholder, CWnd* parent, UINT id);

  // length: -1 or a length (typed text), or PCS_CHOICE / PCS_DROPPED with
  // the length in the low 14 bits. 1 set or unchanged, 0 refused.
  int SetPath(const char* text, int length = -1);
  std::string GetPath() const;
  int SetBreadcrumb(BOOL on);
  int SetDropTarget(BOOL on);
  int GoToSegment(int n);
  int HistoryStep(BOOL forward);
  int EndEdit(BOOL cancel);
  BOOL IsEditing() const { return m_editing; }
  BOOL TextChanged() const { return m_textChanged; }
  unsigned GetOptions() const { return m_options; }
  int GetSegmentCount() const;
  static int GetItemHeight();
  void DrawItem(LPDRAWITEMSTRUCT dis);
  // Stops the worker (bounded wait); also done on destruction.
  void StopWorker();

  // for tests: the screen rectangle of an element; false when not visible
  bool GetElementRect(int element, RECT* rc) const;
  int GetOpenList() const { return m_openList; }
  int GetIconIndex() const { return m_icon; }
  HWND GetDropDown() const { return m_dropDown; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

 private:
  friend struct PcDropDown;
  struct Entry {
    std::string text;
    int icon, width, flag;
  };
  struct List {
    std::vector<Entry> entries;
    uint32_t tag = 0;
    int width = 280, height = 450;
  };
  struct Element {
    int x0, x1;
  };

  void Setup();
  void ApplyOptions(unsigned options);
  void MeasureListMargin();
  void OpenTheme();
  void StartWorker();
  void RequestList(int k);
  void RequestChain(int from);
  void OnWorkerDone(uint32_t tag);
  void RebuildDrives(List& list);
  void Layout();
  int HitTest(POINT pt) const;
  void SetHot(int element);
  void UpdateButton(POINT pt, bool leftDown);
  void TrackButton();
  void OpenList(int k);
  void CloseList();
  void ChooseEntry(int index);
  void StartEdit();
  void PlaceEdit();
  void Notify(UINT code);
  void Paint(HDC dc);
  void PaintElement(HDC dc, int e, const RECT& rc, bool hot, bool framed, bool pressed);
  void OnLButtonDown(POINT pt, UINT keys);
  void OnMouseMove(POINT pt, UINT keys);
  bool OnKey(UINT vk);
  bool WantsEnter() const;
  void OnContextMenu(POINT pt);
  void CopyText(const std::string& text);
  void DropFiles(HDROP drop);
  void DragOut();
  void CommitEdit();
  LRESULT OnDropDownNotify(NMHDR* nm);
  LRESULT DropDownProc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK DropDownThunk(HWND w, UINT m, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK EditThunk(HWND w, UINT m, WPARAM wp, LPARAM lp);
  std::string SegmentText(int k) const;
  int ListOfElement(int e) const { return e <= 0 ? 0 : (e + 1) / 2; }

  unsigned m_options = 0;
  std::string m_path;
  int m_kind = 3, m_icon = -1;
  int m_choiceIcon = -1;  // the chosen entry's icon for the next SetPath
  std::vector<int> m_segStart, m_segLen, m_segWidth;
  std::vector<Element> m_elems;  // element 0 .. 2 * segments
  int m_firstVisible = 0, m_scroll = 0;
  List m_lists[FOLDER_MAX_SEGMENTS + 1];
  uint32_t m_generation = 0;
  DWORD m_driveMask = 0;
  int m_hot = -1, m_keyElem = -1, m_openList = -1, m_waitList = -1, m_buttonState = 1;
  DWORD m_closedAt = 0;
  BOOL m_editing = FALSE, m_textChanged = FALSE, m_breadcrumb = TRUE, m_dropTarget = FALSE;
  bool m_listChosen = false;  // the own list closes on an entry the user chose
  bool m_tracking = false, m_pressedIcon = false, m_restyling = false;
  POINT m_pressPt = {0, 0};
  int m_editTicks = 0, m_menuElem = -1;
  TypeAhead m_popupTyped;  // the pop-up's search text
  std::vector<std::string> m_history;
  int m_historyPos = -1;
  HWND m_edit = nullptr, m_dropDown = nullptr;
  HTHEME m_theme = nullptr;  // "Header" items while visual styles are on
  WNDPROC m_editProc = nullptr;
  PcWorker* m_worker = nullptr;
  HANDLE m_workerThread = nullptr;
};
