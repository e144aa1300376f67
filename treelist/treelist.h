// The "TreeList" window class: a tree view with columns. Its interface is
// the tree-view message set plus the messages, mask bits, insert positions
// and notifications below. The records are laid out like the platform's
// tree-view records (checked in the Windows build), so that the logic also
// builds without the platform headers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#define TL_CALLBACK __stdcall
#else
#define TL_CALLBACK
#endif

#define TREELIST_CLASSNAME "TreeList"

// ---- item handles and insert positions (tree-view ones included)
#define TLI_ROOT 0xFFFF0000u
#define TLI_FIRST 0xFFFF0001u
#define TLI_LAST 0xFFFF0002u
#define TLI_SORT 0xFFFF0003u
#define TLI_AFTERPARENT 0xFFFF0005u   // as the next sibling of the given parent
#define TLI_BEFOREPARENT 0xFFFF0006u  // as the previous sibling of the given parent
#define TLI_SORTCALLBACK 0xFFFF0007u  // sorted by the compare function in the record
#define TLI_CARET 0xFFFF0008u         // ensure-visible: the caret item
#define TLI_UNFROZEN 0xFFFF0009u      // delete: root items after the frozen rows
#define TLI_INDEX 0xFFE00000u         // + n: after the first n siblings
#define TLI_INDEXMAX 0x000FFFFFu
#define TLI_MAXHANDLE 0x00FFFFFFu     // handles fit the 24-bit item field of the colour setters

// ---- item mask bits (beside TVIF_TEXT 1, IMAGE 2, PARAM 4, STATE 8,
// HANDLE 0x10, SELECTEDIMAGE 0x20, CHILDREN 0x40)
#define TLIF_TEXT 0x0001u
#define TLIF_IMAGE 0x0002u
#define TLIF_PARAM 0x0004u
#define TLIF_STATE 0x0008u
#define TLIF_HANDLE 0x0010u
#define TLIF_SELECTEDIMAGE 0x0020u
#define TLIF_CHILDREN 0x0040u
#define TLIF_CELLSTATE 0x2000u        // a cell's state also addresses the item bits 0xE2
#define TLIF_DRAGFLAGS 0x4000u        // begin-drag and click records
#define TLIF_COLUMN 0x8000u           // the children field carries a column
#define TLIF_DEFERRED 0x10000u        // relayout, repaint, selection later on the window's thread
#define TLIF_DATAININTEGRAL 0x10000000u  // sorted insert: the data comes from the integral field
#define TLIF_DELAYTIP 0x40000000u     // info tip answer: delay in the data field
#define TLIF_TEXTPOINTER 0x80000000u  // get: hand out the stored text

// group set and count scopes, and group modes
#define TLIF_SCOPESIBLINGS 0x100000u
#define TLIF_SCOPESELF 0x200000u
#define TLIF_SCOPEANCESTORS 0x400000u
#define TLIF_SCOPEDESCENDANTS 0x2000000u
#define TLIF_GROUPIFLOW 0x10000u
#define TLIF_GROUPIFHIGH 0x20000u
#define TLIF_GROUPFROMLOW 0x40000u
#define TLIF_GROUPFROMHIGH 0x80000u
#define TLIF_COUNTANY 0x10u

// ---- state bits
#define TLIS_FOCUSED 0x0001u
#define TLIS_SELECTED 0x0002u
#define TLIS_CUT 0x0004u
#define TLIS_DROPHILITED 0x0008u
#define TLIS_BOLD 0x0010u
#define TLIS_EXPANDED 0x0020u
#define TLIS_EXPANDEDONCE 0x0040u
#define TLIS_EXPANDPARTIAL 0x0080u
#define TLIS_HIDDEN 0x4000u           // with TLOPT_HIDEITEMS
#define TLIS_UNCHECKED 0x1000u
#define TLIS_CHECKED 0x2000u
#define TLIS_ITEMBITS 0xE2u           // bits a cell shares with its item

// ---- window messages
#define TLM_FIRST 0x1100u
#define TLM_INSERTITEM 0x1100u
#define TLM_DELETEITEM 0x1101u
#define TLM_EXPAND 0x1102u
#define TLM_GETITEMRECT 0x1104u
#define TLM_GETCOUNT 0x1105u
#define TLM_GETINDENT 0x1106u
#define TLM_SETINDENT 0x1107u
#define TLM_GETIMAGELIST 0x1108u
#define TLM_SETIMAGELIST 0x1109u
#define TLM_GETNEXTITEM 0x110Au
#define TLM_SELECTITEM 0x110Bu
#define TLM_GETITEM 0x110Cu
#define TLM_SETITEM 0x110Du
#define TLM_EDITLABEL 0x110Eu
#define TLM_GETEDITCONTROL 0x110Fu
#define TLM_GETVISIBLECOUNT 0x1110u
#define TLM_HITTEST 0x1111u
#define TLM_CREATEDRAGIMAGE 0x1112u
#define TLM_SORTCHILDREN 0x1113u
#define TLM_ENSUREVISIBLE 0x1114u
#define TLM_SORTCHILDRENCB 0x1115u
#define TLM_ENDEDITLABELNOW 0x1116u
#define TLM_GETISEARCHSTRING 0x1117u
#define TLM_SETTOOLTIPS 0x1118u
#define TLM_GETTOOLTIPS 0x1119u
#define TLM_SETINSERTMARK 0x111Au
#define TLM_SETITEMHEIGHT 0x111Bu
#define TLM_GETITEMHEIGHT 0x111Cu
#define TLM_SETBKCOLOR 0x111Du
#define TLM_SETTEXTCOLOR 0x111Eu
#define TLM_GETBKCOLOR 0x111Fu
#define TLM_GETTEXTCOLOR 0x1120u
#define TLM_SETINSERTMARKCOLOR 0x1125u
#define TLM_GETINSERTMARKCOLOR 0x1126u
#define TLM_GETITEMSTATE 0x1127u
#define TLM_SETLINECOLOR 0x1128u
#define TLM_GETLINECOLOR 0x1129u
#define TLM_SETEXTENDEDSTYLE 0x112Cu
#define TLM_GETEXTENDEDSTYLE 0x112Du
#define TLM_COLUMNTEXTCOLOR 0x114Eu
#define TLM_SETITEMDATA 0x114Fu
#define TLM_GETITEMDATA 0x1150u
#define TLM_COUNTITEMS 0x1151u
#define TLM_BEGINDRAG 0x1152u
#define TLM_SETCOLOR 0x1153u
#define TLM_SETSCROLLTIMER 0x1154u
#define TLM_RUNDEFERRED 0x1155u
#define TLM_SETDROPMARK 0x1156u
#define TLM_SETITEMGROUP 0x1157u
#define TLM_MOVEBEFORE 0x1158u
#define TLM_MOVEAFTER 0x1159u
#define TLM_MOVEFIRSTCHILD 0x115Au
#define TLM_MOVELASTCHILD 0x115Bu
#define TLM_SETCOLUMNORDER 0x115Cu
#define TLM_GETCOLUMNORDER 0x115Du
#define TLM_SETCARET 0x115Eu
#define TLM_GETVISIBILITY 0x115Fu
#define TLM_PROPERTY 0x1160u
#define TLM_SELECTALL 0x1161u
#define TLM_FINDITEM 0x1163u
#define TLM_GETROWSINVIEW 0x1164u
#define TLM_SETCOLUMNDATA 0x1165u
#define TLM_SETCOLUMNEDIT 0x1167u
#define TLM_SORTCHILDRENEX 0x1168u
#define TLM_GETEXTRADATA 0x1169u
#define TLM_GETEXTRASIZE 0x116Au
#define TLM_SETEXTRASIZE 0x116Bu
#define TLM_GETCOLUMNWIDTH 0x116Cu
#define TLM_SETCOLUMNWIDTH 0x116Du
#define TLM_GETCOLUMN 0x116Fu
#define TLM_SETCOLUMN 0x1171u
#define TLM_GETITEMROW 0x1172u
#define TLM_GETROWCOUNT 0x1173u
#define TLM_GETROWITEM 0x1174u
#define TLM_GETITEMTEXTCOLOR 0x1175u
#define TLM_SETITEMTEXTCOLOR 0x1176u
#define TLM_GETITEMBKCOLOR 0x1177u
#define TLM_SETITEMBKCOLOR 0x1178u
#define TLM_SETHOTITEM 0x1179u
#define TLM_SELECTCELL 0x117Au
#define TLM_INSERTCOLUMN 0x117Cu
#define TLM_DELETECOLUMN 0x117Du
#define TLM_GETCOLUMNCOUNT 0x117Eu
#define TLM_GETHEADER 0x117Fu

#define TLM_COLUMNORDER_FROMHEADER 0x88776655u
#define TLM_EDITCELL_PREFIX 0xF5A5A500u   // TLM_EDITLABEL: + column edits that cell by request

// TLM_DELETEITEM wParam selectors and the store's modes
#define TLDEL_RENUMBER 1u
#define TLDEL_CHILDREN 2u
#define TLDEL_QUIET 4u

// TLM_EXPAND flags beside the action (1 collapse, 2 expand, 3 toggle)
#define TLE_COLLAPSE 1u
#define TLE_EXPAND 2u
#define TLE_TOGGLE 3u
#define TLE_PARTIAL 0x4000u
#define TLE_COLLAPSERESET 0x8000u
#define TLE_DEFERRED 0x2000000u
#define TLE_QUIET 0x4000000u
#define TLE_SIBLINGS 0x8000000u
#define TLE_SUBTREE 0x10000000u
#define TLE_PARENT 0x20000000u
#define TLE_NOREPARTIAL 0x40000000u
#define TLE_ANCESTORS 0x80000000u

// TLM_GETNEXTITEM codes
enum {
  TLGN_ROOT = 0, TLGN_NEXT, TLGN_PREVIOUS, TLGN_PARENT, TLGN_CHILD, TLGN_FIRSTVISIBLE, TLGN_NEXTVISIBLE,
  TLGN_PREVIOUSVISIBLE, TLGN_DROPHILITE, TLGN_CARET, TLGN_LASTVISIBLE, TLGN_NEXTSELECTED, TLGN_HOTCOLUMN,
  TLGN_CARETCOLUMN, TLGN_FIRSTUNFROZENVISIBLE, TLGN_FOCUS, TLGN_FOCUSCOLUMN, TLGN_NEXTSELECTEDCHILD,
  TLGN_LASTCHILD, TLGN_NEXTITEM, TLGN_FIRSTUNFROZEN, TLGN_NEXTCHECKED, TLGN_LEVEL
};
#define TLGN_CHILDCOUNT 0x6A000000u
#define TLGN_SELFCOUNT 0x6B000000u

// TLM_FINDITEM flags
#define TLFI_TEXT 0x1u
#define TLFI_DATA 0x4u
#define TLFI_STATE 0x8u
#define TLFI_EXPANDEDONLY 0x1000000u
#define TLFI_FROMCHILD 0x2000000u
#define TLFI_FROMNEXT 0x4000000u
#define TLFI_NOCASE 0x8000000u
#define TLFI_SUBTREE 0x10000000u
#define TLFI_TESTSTART 0x20000000u

// TLM_SETCOLOR / own colour flags
#define TLC_TEXT 1u
#define TLC_DEFERRED 2u

// ---- options word (TLM_SETEXTENDEDSTYLE)
#define TLOPT_MULTISELECT 0x00000002u
#define TLOPT_SCROLLNOTIFY 0x00000008u
#define TLOPT_NOHSCROLL 0x00000020u
#define TLOPT_TABTOPARENT 0x00000040u
#define TLOPT_RCLICKKEEPS 0x00000100u
#define TLOPT_HIDEITEMS 0x00000200u
#define TLOPT_KEEPVSCROLL 0x00000400u
#define TLOPT_COLUMNNOTIFY 0x00000800u
#define TLOPT_REORDERCOLUMNS 0x00001000u
#define TLOPT_RADIOCHECK 0x00002000u
#define TLOPT_ODDHEIGHTS 0x00004000u
#define TLOPT_PLAINCHECK 0x00008000u
#define TLOPT_GRID 0x00010000u
#define TLOPT_ALTROWS 0x00020000u
#define TLOPT_CELLSELECT 0x00040000u
#define TLOPT_FULLROWSELECT 0x00080000u
#define TLOPT_INFOTIPS 0x00100000u
#define TLOPT_NOSEARCH 0x00400000u
#define TLOPT_FIXEDCOLUMNS 0x00800000u
#define TLOPT_NOHEADER 0x01000000u
#define TLOPT_DISABLEDLOOK 0x02000000u
#define TLOPT_KEEPTOTALWIDTH 0x08000000u
#define TLOPT_CTRLHOMEEND 0x10000000u
#define TLOPT_SHAREDIMAGES 0x20000000u
#define TLOPT_SECONDCLICKEDIT 0x40000000u
#define TLOPT_CLICKCARETFREE 0x80000000u

// ---- properties of TLM_PROPERTY (+ TLPROP_SET to set)
enum {
  TLPROP_PAINTWORD = 1, TLPROP_DRAGLOCKMASK, TLPROP_DRAGFLAGS, TLPROP_FROZENROWS, TLPROP_FROZENLINE,
  TLPROP_SELECTEDCOUNT, TLPROP_CLICKFLAGS, TLPROP_USER1, TLPROP_USER2, TLPROP_MINROWHEIGHT, TLPROP_WNDPROC,
  TLPROP_CHECKLOCKMASK, TLPROP_SCROLLMARGIN, TLPROP_MERGEMASK, TLPROP_GROWMARGIN, TLPROP_EDITFROZENONLY,
  TLPROP_DRAWCALLBACK, TLPROP_DRAWUSER, TLPROP_EXPANDEDOFFSET, TLPROP_COUNT
};
#define TLPROP_SET 0x80000000u

// drag flags (property 3)
#define TLDRAG_BETWEENONLY 0x1u
#define TLDRAG_SAMELEVEL 0x2u
#define TLDRAG_SAMEPARENT 0x4u
#define TLDRAG_LEAVESONLY 0x8u
#define TLDRAG_NOFROZEN 0x10u
#define TLDRAG_ROOTSONLY 0x20u
#define TLDRAG_REPORTOUTSIDE 0x40u
#define TLDRAG_REPORTCANCEL 0x80u
#define TLDRAG_TEXTONLY 0x100u
#define TLDRAG_NOTAFTERLAST 0x200u

// TLN_DROP flags
#define TLDROP_CANCEL 0x5000000u
#define TLDROP_OUTSIDE 0x4000000u

// hit-test flags
#define TLHT_NOWHERE 0x1u
#define TLHT_ONITEMICON 0x2u
#define TLHT_ONITEMLABEL 0x4u
#define TLHT_ONITEMINDENT 0x8u
#define TLHT_ONITEMBUTTON 0x10u
#define TLHT_ONITEMRIGHT 0x20u
#define TLHT_ONITEMSTATEICON 0x40u
#define TLHT_ABOVE 0x100u
#define TLHT_BELOW 0x200u
#define TLHT_TORIGHT 0x400u
#define TLHT_TOLEFT 0x800u
#define TLHT_ONTEXT 0x40000u
#define TLHT_CELLEMPTYSTART 0x80000u
#define TLHT_ONCELLTEXT 0x100000u
#define TLHT_ONCELLICON 0x200000u
#define TLHT_ONCELLEMPTY 0x400000u
#define TLHT_ONCELLOUTSIDE 0x480000u
#define TLHT_PASTCOLUMNS 0x800000u
#define TLHT_COLUMN(flags) ((flags) >> 24)

// edit triggers
#define TLTRIGGER_ENTER 13u
#define TLTRIGGER_CLICK 0x10001u
#define TLTRIGGER_CLICKCARET 0x10002u
#define TLTRIGGER_PASTE 0x10004u
#define TLTRIGGER_SENDCHAR 0x1000000u
#define TLTRIGGER_CHECKTREE 0x10000u
#define TLTRIGGER_CHECKCELL 0x10001u

// column edit kinds (TLM_SETCOLUMNEDIT bits 8-10) and flags (bits 0-7)
enum { TLEK_NONE, TLEK_EDIT, TLEK_COMBO, TLEK_LIST, TLEK_CYCLE, TLEK_EDITCYCLE, TLEK_CHECK, TLEK_EDITCHECK };
#define TLEF_ENTERNEXT 0x1u
#define TLEF_DBLCLICK 0x2u
#define TLEF_FULLCELL 0x4u
#define TLEF_CHOICEARRAY 0x8u
#define TLEF_NOTYPING 0x10u
#define TLEF_READONLYBIT 0x20u
#define TLEF_CHECKCLICK 0x40u
#define TLEF_OPENLIST 0x80u
#define TLM_COLUMNEDIT(column, kind, flags, sep, count) \
  ((uint32_t)(flags) | ((uint32_t)(kind) << 8) | ((uint32_t)(column) << 11) | ((uint32_t)(sep) << 17) | ((uint32_t)(count) << 25))
#define TLCHOICES_MAX 1024u

// edit-request answer bits
#define TLER_FREEBUFFER 0x80u
#define TLER_OPENLIST 0x10000000u
#define TLER_COMBO 0x20000000u
#define TLER_LIST 0x60000000u
#define TLER_KEEPTEXT 0x40000000u
#define TLER_FITCELL 0x80000000u

// column description mask (TLM_INSERTCOLUMN)
#define TLCF_FMT 0x1u
#define TLCF_WIDTH 0x2u
#define TLCF_TEXT 0x4u
#define TLCF_WEIGHT 0x8u
#define TLCF_IMAGE 0x10u
#define TLCF_MINWIDTH 0x20u
#define TLCF_SHADED 0x10000000u
#define TLCF_LOCKED 0x20000000u
#define TLCF_FLAG40 0x40000000u
#define TLCF_OWNERDRAW 0x80000000u

// ---- notifications
#define TLN_SELCHANGING (-401)
#define TLN_SELCHANGED (-402)
#define TLN_GETDISPINFO (-403)
#define TLN_SETDISPINFO (-404)
#define TLN_ITEMEXPANDING (-405)
#define TLN_ITEMEXPANDED (-406)
#define TLN_BEGINDRAG (-407)
#define TLN_DELETEITEM (-409)
#define TLN_BEGINLABELEDIT (-410)
#define TLN_ENDLABELEDIT (-411)
#define TLN_KEYDOWN (-412)
#define TLN_SINGLEEXPAND (-415)
#define TLN_GETINFOTIP (-432)
#define TLN_CHECKCHANGED (-433)
#define TLN_VALUECHANGED (-434)
#define TLN_EDITREQUEST (-435)
#define TLN_LBUTTONUP (-436)
#define TLN_RBUTTONUP (-437)
#define TLN_COLUMNCHANGED (-438)
#define TLN_COLUMNCLICK (-439)
#define TLN_DROP (-440)
#define TLN_SCROLL (-441)

#define TL_TEXTCALLBACK ((char*)(intptr_t)-1)
#define TL_TEXTMAX 65535u   // the text length field is 16 bits

// ---- records (platform layouts; handles are pointer-sized integers)
typedef uintptr_t TLHandle;

struct TLNmHdr {
  uintptr_t hwndFrom;
  uintptr_t idFrom;
  uint32_t code;
};

struct TLPoint {
  int32_t x, y;
};

struct TLRect {
  int32_t left, top, right, bottom;
};

// the item record (tree-view item layout)
struct TLItem {
  uint32_t mask;
  TLHandle hItem;
  uint32_t state;
  uint32_t stateMask;
  char* pszText;
  int32_t cchTextMax;
  int32_t iImage;
  int32_t iSelectedImage;
  int32_t cChildren;  // the column with TLIF_COLUMN
  intptr_t lParam;
};

// the extended item record (the insert record's union)
struct TLItemEx {
  TLItem item;
  int32_t iIntegral;
  uint32_t uStateEx;
  uintptr_t hwnd;
  int32_t iExpandedImage;
  int32_t iReserved;
};

struct TLInsert {
  TLHandle hParent;
  TLHandle hInsertAfter;  // also the compare function with TLI_SORTCALLBACK
  TLItemEx ex;
};

// NMTREEVIEW layout; the open records append fields behind it
struct TLNmTreeView {
  TLNmHdr hdr;
  uint32_t action;
  TLItem itemOld;
  TLItem itemNew;
  TLPoint ptDrag;
};

struct TLNmDispInfo {
  TLNmHdr hdr;
  TLItem item;
};

#pragma pack(push, 1)
struct TLNmKeyDown {
  TLNmHdr hdr;
  uint16_t wVKey;
  uint32_t flags;
};
#pragma pack(pop)

struct TLNmScroll {
  TLNmHdr hdr;
  uint16_t direction;  // 0 horizontal, 1 vertical
  uint16_t reason;     // scroll-bar code; 9 ensure-visible, 11 wheel
  int32_t hOffset;
  int32_t firstRow;
};

struct TLNmColumn {
  TLNmHdr hdr;
  int32_t column;
  int32_t position;
  int32_t x;
  int32_t width;
};

struct TLNmColumnClick {
  TLNmHdr hdr;
  TLPoint pt;  // the header's hit-test record
  uint32_t flags;
  int32_t column;
};

// TLN_LBUTTONUP, TLN_RBUTTONUP, NM_CLICK family: action = hit flags
typedef TLNmTreeView TLNmClick;

// TLN_DROP: action = flags (count in bits 0-23, place mode from bit 24, last
// move result in bits 30-31); itemOld = first moved item, itemNew = target
typedef TLNmTreeView TLNmDrop;

// TLN_CHECKCHANGED, TLN_VALUECHANGED: action = trigger
typedef TLNmTreeView TLNmValue;

// TLN_EDITREQUEST: action = trigger, itemNew = the cell
struct TLNmEditRequest {
  TLNmTreeView tv;
  int32_t droppedWidth;
  int32_t choiceCount;      // preset 255
  char* choiceBuffer;       // separated by the answer's bits 8-15
  const char** choiceArray; // ends at a null pointer
};

// TLM_FINDITEM
struct TLFind {
  uint32_t flags;
  uint32_t column;
  uint32_t state;
  uint32_t stateMask;
  intptr_t data;
  const char* text;
};

// compare functions
typedef int(TL_CALLBACK* TLInsertCompare)(uintptr_t hwnd, TLHandle sibling, const char* siblingText,
                                          const char* newText, intptr_t siblingData, intptr_t newData);
typedef int(TL_CALLBACK* TLSortCompare)(intptr_t dataA, intptr_t dataB, intptr_t sortValue);
typedef int(TL_CALLBACK* TLSortCompareEx)(uintptr_t hwnd, TLHandle itemA, TLHandle itemB, intptr_t dataA,
                                          intptr_t dataB, intptr_t sortValue);

struct TLSort {
  TLHandle hParent;
  TLSortCompare compare;
  intptr_t lParam;
};

struct TLSortEx {
  TLHandle hParent;
  TLSortCompareEx compare;
  intptr_t lParam;
};

struct TLHitTest {
  TLPoint pt;
  uint32_t flags;
  TLHandle hItem;
};

// TLM_SETCOLOR
struct TLColorRec {
  uint8_t flags;
  uint8_t column;
  uint8_t reserved[2];
  uint32_t color;
};

// TLM_INSERTCOLUMN (list-view column layout; order = minimum width)
struct TLColumnDesc {
  uint32_t mask;
  int32_t fmt;
  int32_t cx;
  char* pszText;
  int32_t cchTextMax;
  int32_t iSubItem;
  int32_t iImage;
  int32_t iOrder;
};

// owner-draw record (TLM_PROPERTY 17 sets the callback, 18 its user value)
struct TLOwnerDraw {
  uintptr_t hwnd;
  TLHandle item;
  TLRect* rect;
  intptr_t data;
  const char* text;
  uint32_t textLength;
  uint32_t state;
  uint32_t row;
  uint8_t column;
  uint8_t textOffset;
  uint8_t reserved[2];
  uint32_t color;
};
typedef int(TL_CALLBACK* TLDrawCallback)(uintptr_t hdc, intptr_t user, TLOwnerDraw* rec);

#ifdef _WIN32
#include <commctrl.h>
static_assert(sizeof(TLNmHdr) == sizeof(NMHDR), "NMHDR");
static_assert(sizeof(TLItem) == sizeof(TVITEMA) && offsetof(TLItem, lParam) == offsetof(TVITEMA, lParam), "TVITEMA");
static_assert(sizeof(TLItemEx) == sizeof(TVITEMEXA) && offsetof(TLItemEx, iIntegral) == offsetof(TVITEMEXA, iIntegral),
              "TVITEMEXA");
static_assert(sizeof(TLInsert) == sizeof(TVINSERTSTRUCTA), "TVINSERTSTRUCTA");
static_assert(sizeof(TLNmTreeView) == sizeof(NMTREEVIEWA) && offsetof(TLNmTreeView, ptDrag) == offsetof(NMTREEVIEWA, ptDrag),
              "NMTREEVIEWA");
static_assert(sizeof(TLNmDispInfo) == sizeof(NMTVDISPINFOA), "NMTVDISPINFOA");
static_assert(sizeof(TLNmKeyDown) == sizeof(NMTVKEYDOWN) && offsetof(TLNmKeyDown, flags) == offsetof(NMTVKEYDOWN, flags),
              "NMTVKEYDOWN");
static_assert(sizeof(TLHitTest) == sizeof(TVHITTESTINFO), "TVHITTESTINFO");
static_assert(sizeof(TLSort) == sizeof(TVSORTCB), "TVSORTCB");
static_assert(sizeof(TLColumnDesc) == sizeof(LVCOLUMNA) - 8 || sizeof(TLColumnDesc) == 32, "LVCOLUMNA head");
static_assert(offsetof(TLColumnDesc, iOrder) == offsetof(LVCOLUMNA, iOrder), "LVCOLUMNA");
static_assert(sizeof(TLRect) == sizeof(RECT) && sizeof(TLPoint) == sizeof(POINT), "RECT");
static_assert(TLM_INSERTITEM == TVM_INSERTITEMA && TLM_SORTCHILDRENCB == TVM_SORTCHILDRENCB &&
                  TLM_GETEXTENDEDSTYLE == TVM_GETEXTENDEDSTYLE && TLN_DELETEITEM == (int)TVN_DELETEITEMA &&
                  TLN_SINGLEEXPAND == (int)TVN_SINGLEEXPAND,
              "tree-view numbers");

// The window class and procedure.
int TreeListRegisterClass(HINSTANCE instance);
LRESULT CALLBACK TreeListWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
#endif
