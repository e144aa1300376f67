// CTreeListCtrl: one message record per member.
#include "treelist/treelistctrl.h"

#include <commctrl.h>
#include <string.h>

#include "framework/commondlg.h"

IMPLEMENT_DYNAMIC(CTreeListCtrl, CWnd)

static WNDPROC g_direct = nullptr;

WNDPROC CTreeListCtrl::DirectProc() { return g_direct; }

int TL_CALLBACK TreeListCompareAdapter(uintptr_t hwnd, TLHandle sibling, const char* siblingText,
                                       const char* newText, intptr_t siblingData, intptr_t newData) {
  TLTextCompare fn = reinterpret_cast<TLTextCompare>(newData);
  return fn ? fn(newText, siblingText) : 1;
}

// ---------------------------------------------------------------- creation

BOOL CTreeListCtrl::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  if (!TreeListRegisterClass(GetModuleHandleA(nullptr))) return FALSE;
  return CWnd::CreateEx(exStyle, TREELIST_CLASSNAME, nullptr, style | 0x40300000u, rect, parent, id);
}

BOOL CTreeListCtrl::CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id) {
  HWND holder = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(placeholderId)) : nullptr;
  if (!holder) return FALSE;
  RECT r;
  ::GetWindowRect(holder, &r);
  ::MapWindowPoints(nullptr, parent->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  if (!Create(exStyle, style | 0x50300000u, r, parent, id)) return FALSE;
  ::SetWindowPos(m_hWnd, holder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
  return TRUE;
}

static void FillDirect(HWND hwnd) {
  if (!g_direct) g_direct = reinterpret_cast<WNDPROC>(::SendMessageA(hwnd, TLM_PROPERTY, TLPROP_WNDPROC, 0));
}

BOOL CTreeListCtrl::CreateDirect(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  if (!Create(exStyle, style, rect, parent, id)) return FALSE;
  FillDirect(m_hWnd);
  return TRUE;
}

BOOL CTreeListCtrl::CreateAtDlgItemDirect(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id) {
  if (!CreateAtDlgItem(exStyle, style, placeholderId, parent, id)) return FALSE;
  FillDirect(m_hWnd);
  return TRUE;
}

LRESULT CTreeListCtrl::Direct(UINT msg, WPARAM wp, LPARAM lp) const {
  if (!g_direct) return 0;
  return g_direct(m_hWnd, msg, wp, lp);
}

// ---------------------------------------------------------------- columns

int CTreeListCtrl::InsertColumn(int index, const char* text, int format, int width, int order) {
  TLColumnDesc d = {};
  if (text) {
    d.mask |= TLCF_TEXT;
    d.pszText = const_cast<char*>(text);
    d.cchTextMax = 256;
  }
  if (format >= 0) {
    // the format word carries the shaded and owner-draw bits too
    d.mask |= 0x90000001u;
    d.fmt = format;
  }
  if (order != 0x8000) {
    d.mask |= TLCF_MINWIDTH;
    d.iOrder = order;
  }
  if (width >= 0) {
    d.mask |= TLCF_WIDTH;
    d.cx = width;
  } else {
    d.mask |= TLCF_WEIGHT;
    d.cx = -width;
  }
  return static_cast<int>(SendMessage(TLM_INSERTCOLUMN, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&d)));
}

static BOOL SetColumn(const CTreeListCtrl* c, int column, TLColumnDesc& d) {
  return static_cast<BOOL>(c->SendMessage(TLM_SETCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&d)));
}

BOOL CTreeListCtrl::SetColumnText(int column, const char* text) {
  TLColumnDesc d = {};
  d.mask = TLCF_TEXT;
  d.pszText = const_cast<char*>(text);
  d.cchTextMax = text ? static_cast<int>(strlen(text)) : 0;
  return SetColumn(this, column, d);
}

BOOL CTreeListCtrl::SetColumnFlag10(int column, BOOL on) {
  TLColumnDesc d = {};
  d.mask = TLCF_SHADED;
  d.fmt = on ? static_cast<int>(TLCF_SHADED) : 0;
  return SetColumn(this, column, d);
}

BOOL CTreeListCtrl::SetColumnFlag80(int column, BOOL on) {
  TLColumnDesc d = {};
  d.mask = TLCF_OWNERDRAW;
  d.fmt = on ? static_cast<int>(TLCF_OWNERDRAW) : 0;
  return SetColumn(this, column, d);
}

BOOL CTreeListCtrl::SetColumnFlags20(int column, BOOL on, int width, int flag40) {
  TLColumnDesc d = {};
  d.mask = TLCF_LOCKED;
  d.fmt = on ? static_cast<int>(TLCF_LOCKED) : 0;
  if (width >= 0) d.mask |= TLCF_WIDTH, d.cx = width;
  if (flag40 >= 0) {
    d.mask |= TLCF_FLAG40;
    if (flag40 > 0) d.fmt |= static_cast<int>(TLCF_FLAG40);
  }
  return SetColumn(this, column, d);
}

static BOOL SetHeaderFormat(const CTreeListCtrl* c, int column, bool on, UINT bit, BOOL right, UINT extraMask,
                            int image, HBITMAP bitmap) {
  HWND header = reinterpret_cast<HWND>(c->SendMessage(TLM_GETHEADER));
  if (!header) return FALSE;
  HDITEMA hd = {};
  hd.mask = HDI_FORMAT;
  if (!::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd))) return FALSE;
  hd.mask = HDI_FORMAT | extraMask;
  if (on) hd.fmt |= static_cast<int>(bit); else hd.fmt &= ~static_cast<int>(bit);
  if (right & 1) hd.fmt |= HDF_BITMAP_ON_RIGHT; else hd.fmt &= ~HDF_BITMAP_ON_RIGHT;
  hd.iImage = image;
  hd.hbm = bitmap;
  return static_cast<BOOL>(::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd)));
}

BOOL CTreeListCtrl::SetColumnImage(int column, int image, BOOL right) {
  return SetHeaderFormat(this, column, image >= -1, HDF_IMAGE, right, HDI_IMAGE, image, nullptr);
}

BOOL CTreeListCtrl::SetColumnBitmap(int column, HBITMAP bitmap, BOOL right) {
  return SetHeaderFormat(this, column, bitmap != nullptr, HDF_BITMAP, right, HDI_BITMAP, 0, bitmap);
}

// ---------------------------------------------------------------- items

static void Fill(TLInsert& r, UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                 LPARAM data, HTREEITEM parent, uintptr_t after) {
  memset(&r, 0, sizeof(r));
  r.hParent = reinterpret_cast<uintptr_t>(parent);
  r.hInsertAfter = after;
  r.ex.item.mask = mask;
  r.ex.item.pszText = const_cast<char*>(text);
  r.ex.item.iImage = image;
  r.ex.item.iSelectedImage = selImage;
  r.ex.item.state = state;
  r.ex.item.stateMask = stateMask;
  r.ex.item.lParam = data;
}

HTREEITEM CTreeListCtrl::InsertItem(UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                                    LPARAM data, HTREEITEM parent, HTREEITEM after) {
  TLInsert r;
  Fill(r, mask, text, image, selImage, state, stateMask, data, parent, reinterpret_cast<uintptr_t>(after));
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

HTREEITEM CTreeListCtrl::InsertItemCB(UINT mask, const char* text, int image, int selImage, UINT state,
                                      UINT stateMask, LPARAM data, LPARAM compareValue, HTREEITEM parent) {
  TLInsert r;
  Fill(r, mask, text, image, selImage, state, stateMask, data, parent, TLI_SORTCALLBACK);
  r.ex.item.hItem = static_cast<TLHandle>(compareValue);
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

// The caller's item data goes to the integral field, its compare function to
// the data field, where the adapter finds it.
static void FillSorted(TLInsert& r, UINT mask, const char* text, int image, int selImage, UINT state, UINT stateMask,
                       LPARAM data, TLTextCompare compare, HTREEITEM parent) {
  Fill(r, mask, text, image, selImage, state, stateMask, data, parent, TLI_SORTCALLBACK);
  r.ex.item.hItem = reinterpret_cast<TLHandle>(&TreeListCompareAdapter);
  if (mask & TLIF_PARAM) {
    r.ex.item.mask = (mask & ~TLIF_PARAM) | TLIF_DATAININTEGRAL;
    r.ex.iIntegral = static_cast<int32_t>(data);
  }
  r.ex.item.lParam = reinterpret_cast<LPARAM>(compare);
}

HTREEITEM CTreeListCtrl::InsertItemSorted(UINT mask, const char* text, int image, int selImage, UINT state,
                                          UINT stateMask, LPARAM data, TLTextCompare compare, HTREEITEM parent) {
  TLInsert r;
  FillSorted(r, mask, text, image, selImage, state, stateMask, data, compare, parent);
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

HTREEITEM CTreeListCtrl::InsertItemSortedAlt(UINT mask, const char* text, int image, int selImage, UINT state,
                                             UINT stateMask, LPARAM data, TLTextCompare compare, HTREEITEM parent) {
  return InsertItemSorted(mask, text, image, selImage, state, stateMask, data, compare, parent);
}

HTREEITEM CTreeListCtrl::InsertItemSortedEx(UINT mask, const char* text, int image, int selImage, UINT state,
                                            UINT stateMask, LPARAM data, TLInsertCompare compare, HTREEITEM parent,
                                            LPARAM extra) {
  TLInsert r;
  Fill(r, mask | TLIF_DATAININTEGRAL, text, image, selImage, state, stateMask, data, parent, TLI_SORTCALLBACK);
  r.ex.item.hItem = reinterpret_cast<TLHandle>(compare);
  r.ex.iIntegral = static_cast<int32_t>(extra);
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

int CTreeListCtrl::InsertRow(int row, const char* text, int image, int state, UINT stateMask) {
  uintptr_t item = static_cast<uintptr_t>(SendMessage(TLM_GETROWITEM, 0, row));
  TLInsert r = {};
  r.hParent = item ? item : TLI_ROOT;
  r.hInsertAfter = item ? TLI_BEFOREPARENT : TLI_LAST;
  if (text) {
    r.ex.item.mask |= TLIF_TEXT;
    r.ex.item.pszText = const_cast<char*>(text);
    r.ex.item.cchTextMax = 256;
  }
  if (image >= 0) {
    r.ex.item.mask |= TLIF_IMAGE | TLIF_SELECTEDIMAGE;
    r.ex.item.iImage = r.ex.item.iSelectedImage = image;
  }
  if (state >= 0) {
    r.ex.item.mask |= TLIF_STATE;
    r.ex.item.state = static_cast<UINT>(state);
    r.ex.item.stateMask = stateMask & 0xFF13u;
  }
  LRESULT h = SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r));
  return static_cast<int>(SendMessage(TLM_GETITEMROW, 0, h));
}

BOOL CTreeListCtrl::SetCell(int row, int column, const char* text, int image, int state, UINT stateMask) {
  uintptr_t item = static_cast<uintptr_t>(SendMessage(TLM_GETROWITEM, 0, row));
  if (!item) return FALSE;
  TLItem it = {};
  it.mask = TLIF_HANDLE | TLIF_COLUMN;
  it.hItem = item;
  it.cChildren = column;
  if (text) it.mask |= TLIF_TEXT, it.pszText = const_cast<char*>(text);
  if (image >= 0) it.mask |= TLIF_IMAGE | TLIF_SELECTEDIMAGE, it.iImage = it.iSelectedImage = image;
  if (state >= 0) it.mask |= TLIF_STATE, it.state = static_cast<UINT>(state), it.stateMask = stateMask & 0x13u;
  return static_cast<BOOL>(SendMessage(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it)));
}

BOOL CTreeListCtrl::GetCellText(int row, char* buffer, int size, int column) {
  uintptr_t item = static_cast<uintptr_t>(SendMessage(TLM_GETROWITEM, 0, row));
  if (!item || size < 1 || !buffer) return FALSE;
  buffer[0] = 0;
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_COLUMN;
  it.hItem = item;
  it.pszText = buffer;
  it.cchTextMax = size;
  it.cChildren = column;
  return static_cast<BOOL>(SendMessage(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it)));
}

static void FillGroup(TLItem& it, HTREEITEM item, int column, UINT mask, const char* text, int image, int selImage,
                      UINT state, UINT stateMask, LPARAM data) {
  memset(&it, 0, sizeof(it));
  it.mask = mask | TLIF_COLUMN;
  it.hItem = reinterpret_cast<TLHandle>(item);
  it.state = state;
  it.stateMask = stateMask;
  it.pszText = const_cast<char*>(text);
  it.cchTextMax = text ? 256 : 0;
  it.iImage = image;
  it.iSelectedImage = selImage;
  it.cChildren = column;
  it.lParam = data;
}

int CTreeListCtrl::SetItemGroup(HTREEITEM item, int column, UINT mask, const char* text, int image, int selImage,
                                UINT state, UINT stateMask, LPARAM data) {
  TLItem it;
  FillGroup(it, item, column, mask, text, image, selImage, state, stateMask, data);
  return static_cast<int>(SendMessage(TLM_SETITEMGROUP, 0, reinterpret_cast<LPARAM>(&it)));
}

int CTreeListCtrl::CountItems(HTREEITEM item, UINT mask, UINT state, UINT stateMask, LPARAM data, int image) {
  TLItem it = {};
  it.mask = mask;
  it.hItem = reinterpret_cast<TLHandle>(item);
  it.state = state;
  it.stateMask = stateMask;
  it.iImage = image;
  it.lParam = data;
  return static_cast<int>(SendMessage(TLM_COUNTITEMS, 0, reinterpret_cast<LPARAM>(&it)));
}

HTREEITEM CTreeListCtrl::FindItem(HTREEITEM start, UINT flags, UINT column, UINT state, UINT stateMask, LPARAM data,
                                  const char* text) {
  TLFind f = {flags, column, state, stateMask, data, text};
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_FINDITEM, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&f)));
}

CImageList* CTreeListCtrl::CreateDragImage(HTREEITEM item, UINT flags) {
  HIMAGELIST il = reinterpret_cast<HIMAGELIST>(SendMessage(TLM_CREATEDRAGIMAGE, flags, reinterpret_cast<LPARAM>(item)));
  if (!il) return nullptr;
  CImageList* list = new CImageList;
  list->Attach(il);
  return list;
}

// ---------------------------------------------------------------- direct

HTREEITEM CTreeListCtrl::InsertItemDirect(UINT mask, const char* text, int image, int selImage, UINT state,
                                          UINT stateMask, LPARAM data, HTREEITEM parent, HTREEITEM after) {
  TLInsert r;
  Fill(r, mask | TLIF_DEFERRED, text, image, selImage, state, stateMask, data, parent, reinterpret_cast<uintptr_t>(after));
  return reinterpret_cast<HTREEITEM>(Direct(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

HTREEITEM CTreeListCtrl::InsertItemCBDirect(UINT mask, const char* text, int image, int selImage, UINT state,
                                            UINT stateMask, LPARAM data, LPARAM compareValue, HTREEITEM parent) {
  TLInsert r;
  Fill(r, mask | TLIF_DEFERRED, text, image, selImage, state, stateMask, data, parent, TLI_SORTCALLBACK);
  r.ex.item.hItem = static_cast<TLHandle>(compareValue);
  return reinterpret_cast<HTREEITEM>(Direct(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

HTREEITEM CTreeListCtrl::InsertItemSortedExDirect(UINT mask, const char* text, int image, int selImage, UINT state,
                                                  UINT stateMask, LPARAM integralData, TLInsertCompare compare,
                                                  HTREEITEM parent, LPARAM data) {
  TLInsert r;
  UINT m = mask | TLIF_DATAININTEGRAL | TLIF_DEFERRED;
  Fill(r, m, text, image, selImage, state, stateMask, data, parent, TLI_SORTCALLBACK);
  r.ex.item.hItem = reinterpret_cast<TLHandle>(compare);
  if (mask & TLIF_PARAM) {
    r.ex.item.mask &= ~TLIF_PARAM;
    r.ex.iIntegral = static_cast<int32_t>(integralData);
  }
  return reinterpret_cast<HTREEITEM>(Direct(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

HTREEITEM CTreeListCtrl::FindItemDirect(HTREEITEM start, UINT flags, UINT column, UINT state, UINT stateMask,
                                        LPARAM data, const char* text) {
  TLFind f = {flags, column, state, stateMask, data, text};
  return reinterpret_cast<HTREEITEM>(Direct(TLM_FINDITEM, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&f)));
}

int CTreeListCtrl::SetItemGroupDirect(HTREEITEM item, int column, UINT mask, const char* text, int image,
                                      int selImage, UINT state, UINT stateMask, LPARAM data) {
  TLItem it;
  FillGroup(it, item, column, mask | TLIF_DEFERRED, text, image, selImage, state, stateMask, data);
  return static_cast<int>(Direct(TLM_SETITEMGROUP, 0, reinterpret_cast<LPARAM>(&it)));
}
