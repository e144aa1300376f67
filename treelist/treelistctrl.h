// CTreeListCtrl: the class-library window through which dialogs and derived
// controls drive a "TreeList" window. Each member fills one message record
// and sends it; the Direct members call the window procedure itself (from
// any thread) with TLIF_DEFERRED added where the store supports it.
#pragma once

#include "framework/afxwin.h"
#include "treelist/treelist.h"

class CImageList;

// The record of InsertItemSorted carries this as its compare function; it
// calls the caller's two-argument compare (in the data) with the new text
// first.
int TL_CALLBACK TreeListCompareAdapter(uintptr_t hwnd, TLHandle sibling, const char* siblingText,
                                       const char* newText, intptr_t siblingData, intptr_t newData);

typedef int (*TLTextCompare)(const char* a, const char* b);

class CTreeListCtrl : public CWnd {
  DECLARE_DYNAMIC(CTreeListCtrl)

 public:
  CTreeListCtrl() = default;
  ~CTreeListCtrl() override = default;

  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id);
  BOOL CreateDirect(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateAtDlgItemDirect(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id);

  // columns and header
  int InsertColumn(int index, const char* text, int format = -1, int width = -1, int order = 0x8000);
  BOOL SetColumnText(int column, const char* text);
  BOOL SetColumnFlag10(int column, BOOL on);
  BOOL SetColumnFlag80(int column, BOOL on);
  BOOL SetColumnFlags20(int column, BOOL on, int width, int flag40);
  BOOL SetColumnImage(int column, int image, BOOL right);
  BOOL SetColumnBitmap(int column, HBITMAP bitmap, BOOL right);

  // items
  HTREEITEM InsertItem(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask, LPARAM data,
                       HTREEITEM parent, HTREEITEM after);
  HTREEITEM InsertItemCB(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                         LPARAM data, LPARAM compareValue, HTREEITEM parent);
  HTREEITEM InsertItemSorted(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                             LPARAM data, TLTextCompare compare, HTREEITEM parent);
  HTREEITEM InsertItemSortedAlt(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                                LPARAM data, TLTextCompare compare, HTREEITEM parent);
  HTREEITEM InsertItemSortedEx(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                               LPARAM data, TLInsertCompare compare, HTREEITEM parent, LPARAM extra);
  int InsertRow(int row, const char* text, int image, int state, UINT stateMask);
  BOOL SetCell(int row, int column, const char* text, int image, int state, UINT stateMask);
  BOOL GetCellText(int row, char* buffer, int size, int column);
  int SetItemGroup(HTREEITEM item, int column, UINT mask, const char* text, int image, int selImage, UINT state,
                   UINT stateMask, LPARAM data);
  int CountItems(HTREEITEM item, UINT mask, UINT state, UINT stateMask, LPARAM data, int image);
  HTREEITEM FindItem(HTREEITEM start, UINT flags, UINT column, UINT state, UINT stateMask, LPARAM data,
                     const char* text);
  CImageList* CreateDragImage(HTREEITEM item, UINT flags);

  // direct calls (after CreateDirect or CreateAtDlgItemDirect)
  HTREEITEM InsertItemDirect(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                             LPARAM data, HTREEITEM parent, HTREEITEM after);
  HTREEITEM InsertItemCBDirect(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                               LPARAM data, LPARAM compareValue, HTREEITEM parent);
  HTREEITEM InsertItemSortedExDirect(UINT mask, const char* text, int image, int selImage, UINT state,
                                     UINT stateMask, LPARAM integralData, TLInsertCompare compare, HTREEITEM parent,
                                     LPARAM data);
  HTREEITEM FindItemDirect(HTREEITEM start, UINT flags, UINT column, UINT state, UINT stateMask, LPARAM data,
                           const char* text);
  int SetItemGroupDirect(HTREEITEM item, int column, UINT mask, const char* text, int image, int selImage,
                         UINT state, UINT stateMask, LPARAM data);

  // the process-wide direct-call function (null before the first direct creation)
  static WNDPROC DirectProc();

 private:
  LRESULT Direct(UINT msg, WPARAM wp, LPARAM lp) const;
};
