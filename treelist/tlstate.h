// The state of one TreeList window, its item and cell records, and the
// narrow host interface through which the store, rows, selection, tree
// operations, sort, find and hit test reach the window. Without a window
// (tests, fuzzing) a fake host stands in.
#pragma once

#include <atomic>
#include <stdint.h>
#include <string>

#include "treelist/treelist.h"

// item callback flags
#define TLCB_TEXT 0x01u
#define TLCB_IMAGE 0x02u
#define TLCB_SELIMAGE 0x20u
#define TLCB_CHILDREN 0x40u
// item tree flags (cells use 0x04..0x40 alike)
#define TLF_AUTOCHILDREN 0x01u
#define TLF_HASCHILDREN 0x02u
#define TLF_HASIMAGE 0x04u
#define TLF_OWNTEXTCOLOR 0x10u
#define TLF_OWNBKCOLOR 0x20u
#define TLF_CARETMARK 0x40u
#define TLF_ROWCHANGED 0x80u
// delete notices already sent (a nested delete sends none again)
#define TLDN_SELECTION 0x01u
#define TLDN_DELETE 0x02u
// paint flags
#define TLP_SHOWSIMAGE 0x01u
#define TLP_SHOWSCHECK 0x02u

#define TL_MAXCOLUMNS 32
#define TL_BUFSIZE 260

struct TreeListItem {
  intptr_t data;
  char* text;
  uint32_t state;
  int32_t image;
  int32_t selImage;
  uint32_t textWidth;
  uint32_t firstChild, lastChild, prev, next;
  uint32_t row;
  uint32_t parent;
  uint32_t level;  // 32 bits: chains deeper than 65,535 levels keep their depth
  uint16_t textLength;
  uint16_t reserved2;
  uint8_t cbFlags;
  uint8_t flags;
  uint8_t paintFlags;
  uint8_t deleteNotes;  // TLDN_*: notices already sent for its deletion
  uint32_t bkColor;
  uint32_t textColor;
  // the control's extra bytes follow
  unsigned char* Extra() { return reinterpret_cast<unsigned char*>(this + 1); }
};

struct TreeListCell {
  char* text;
  uint32_t state;
  int32_t image;
  uint32_t textWidth;
  uint16_t textLength;
  uint8_t cbFlags;
  uint8_t flags;
  uint32_t bkColor;
  uint32_t textColor;
};

struct TreeListColumn {
  const void* choices;
  int32_t choiceImageBase;
  int16_t width;
  int16_t headerWidth;
  int16_t minWidth;
  uint16_t lockedWidth;
  uint8_t minWidthApplies;
  uint8_t weight;
  uint8_t position;
  uint8_t index;
  uint8_t align;
  uint8_t editKind;
  uint8_t editFlags;
  uint16_t choiceCount;  // 0 = to the end of the list
  uint8_t choiceSeparator;
  uint8_t shaded;
  uint8_t ownerDraw;
};

struct TreeListDeferred {
  uint32_t code;
  uint32_t item;
  uint32_t value;
  TreeListDeferred* next;
};

// What the logic needs of the window. Every call but HostNotify is made with
// the state's lock held.
class TreeListHost {
 public:
  virtual ~TreeListHost() = default;
  virtual void HostLock() = 0;
  virtual void HostUnlock() = 0;
  virtual uint32_t HostThreadId() = 0;
  virtual bool HostOnWindowThread() = 0;
  // called unlocked while another thread holds the busy flag: waits a moment;
  // false when this thread must not wait (it answers a message sent by
  // another thread, which may be the busy one)
  virtual bool HostWaitBusy() = 0;
  // sends WM_NOTIFY to the parent (NMHDR filled here); called unlocked
  virtual intptr_t HostNotify(TLNmHdr* rec) = 0;
  virtual void HostPostRunDeferred() = 0;
  // client rectangle, or the whole client area for null
  virtual void HostInvalidate(const TLRect* r) = 0;
  // bar 0 horizontal, 1 vertical
  virtual void HostSetScroll(int bar, int maxValue, int page, int pos, bool forced) = 0;
  virtual void HostScrolled(int bar) = 0;  // header moves, a repaint of the rows follows
  virtual int HostMeasureText(const char* text, int length, bool bold) = 0;
  // an item or column went away: editor, tooltip, drag image
  virtual void HostForget(uint32_t item, int column) = 0;
  // the window's thread finishes what a worker's HostForget queued (action 13)
  virtual void HostForgetLater(uint32_t item, uint32_t value) = 0;
  virtual uintptr_t HostWindow() = 0;
};

struct TreeListWin;  // the window's own part (Windows build)

struct TreeListState {
  TreeListHost* host;
  TreeListWin* win;
  std::atomic<int> refs;
  uint8_t dead;    // past WM_NCDESTROY: nothing may be looked up
  uint8_t dying;   // inside WM_DESTROY
  uint8_t ownsHost;  // the host is deleted with the state
  int lockDepth;

  // item store
  TreeListItem** items;  // capacity + 1 entries
  TreeListCell** cells[TL_MAXCOLUMNS];  // per column 1..31, capacity + 1 entries or null
  uint32_t capacity, count, lastHandle, extraSize;
  uint32_t firstRoot, lastRoot;
  uint8_t busy;
  uint32_t busyThread;
  uint32_t checkedItem;
  uint32_t structGen;  // counts links changed: walks notice a parent's changes
  uint32_t textGen;    // counts item texts changed
  // the whole tree stood sorted by text at these two counts, except the child
  // lists with texts by callback: their parents (0: the roots) in sortedAsk
  uint32_t sortedStructGen, sortedTextGen;
  uint8_t sortedKnown;
  uint32_t* sortedAsk;
  uint32_t sortedAskCount;

  // rows
  uint32_t* rows;  // capacity entries
  uint32_t shownRows, firstRow, rowsInView, fullRows, frozenRows;
  int32_t hOffset;
  // while held, a renumbering is only noted and done once on release
  uint32_t layoutHold;
  uint8_t layoutPending;
  // items left the rows without a renumbering (quiet deletes wait for the
  // deferred queue): the next renumbering starts at the top
  uint8_t rowsStale;
  uint32_t layoutPasses;  // renumberings done, for the tests

  // selection and input
  uint32_t selItem, selCount, caretItem, focusItem, anchorItem, hotItem;
  int32_t selColumn, caretColumn, focusColumn, hotColumn;
  uint32_t pressedItem;
  int32_t pressedColumn;
  uint32_t dragItem, dropItem;
  int32_t dropHeight, dropOffset;
  uint32_t placeholder;
  uint32_t tipItem;
  int32_t tipColumn;
  uint32_t editItem;
  int32_t editColumn;

  // geometry
  int32_t clientW, clientH, headerH, rowHeight, indent;
  int32_t imageW, imageH, stateW, stateH, cellImageW, cellImageH, buttonHalf, paintMetric;
  int32_t colX[TL_MAXCOLUMNS + 1];
  uint8_t order[TL_MAXCOLUMNS];
  TreeListColumn columns[TL_MAXCOLUMNS];
  uint32_t columnCount;
  uint32_t mergeMask;
  int32_t propWidth, fixedWidth;
  uint32_t propCount, shadedCount;
  int32_t contentWidth;

  // look
  uint32_t style, options;
  uint32_t colors[18];
  uint32_t colorSet;
  uint32_t columnColors[TL_MAXCOLUMNS];
  uint8_t hasImageList, hasStateList, hasCellStateList, hasCellImageList;
  uint8_t builtinChecks;  // built-in check boxes: 1 in the item state list, 2 in the cell one

  // deferred actions
  TreeListDeferred *deferHead, *deferTail;
  uint8_t deferPosted;

  // texts the parent supplies, and scratch
  char textBuf[2][TL_BUFSIZE];
  uint32_t textBufNext;
  char scratch[256];

  uint8_t enabled, focused, themed, noNotify, explicitHeight, redrawOff, linesAtRoot;
  // properties
  uint32_t paintWord, dragLockMask, dragFlags, frozenLine, checkLockMask;
  int32_t clickFlags, minRowHeight;
  intptr_t user1, user2, drawCallback, drawUser;
  uint32_t scrollMargin, growMargin, editFrozenOnly, expandedOffset;
  // last values handed to the scroll bars
  int32_t sbMax[2], sbPage[2], sbPos[2];
  uint32_t lastVScrollTick;
};

// ---- life of the state
TreeListState* TreeListCreateState(TreeListHost* host);
void TreeListAddRef(TreeListState* st);
void TreeListRelease(TreeListState* st);  // frees the tables and the state with the last reference

// Scoped lock: counts its depth so that a notification can leave it whole.
class TreeListLock {
 public:
  explicit TreeListLock(TreeListState* st) : m_st(st) {
    st->host->HostLock();
    st->lockDepth++;
  }
  ~TreeListLock() {
    m_st->lockDepth--;
    m_st->host->HostUnlock();
  }
  TreeListLock(const TreeListLock&) = delete;
  TreeListLock& operator=(const TreeListLock&) = delete;

 private:
  TreeListState* m_st;
};

// Leaves the lock whole for its scope (a notification, a call out) and
// takes it back to the same depth.
class TreeListUnlocked {
 public:
  explicit TreeListUnlocked(TreeListState* st) : m_st(st), m_depth(st->lockDepth) {
    st->lockDepth = 0;
    for (int i = 0; i < m_depth; i++) st->host->HostUnlock();
  }
  ~TreeListUnlocked() {
    for (int i = 0; i < m_depth; i++) m_st->host->HostLock();
    m_st->lockDepth = m_depth;
  }
  TreeListUnlocked(const TreeListUnlocked&) = delete;
  TreeListUnlocked& operator=(const TreeListUnlocked&) = delete;

 private:
  TreeListState* m_st;
  int m_depth;
};

// ---- look-ups (null when the handle names no item or the window is gone)
inline TreeListItem* TLGet(const TreeListState* st, uintptr_t h) {
  if (st->dead || h == 0 || h > st->capacity) return nullptr;
  return st->items[h];
}
TreeListCell* TLGetCell(TreeListState* st, uint32_t h, uint32_t column, bool create);
// the item's row when it is shown (checked against the row table), else 0
inline uint32_t TLRowOf(const TreeListState* st, const TreeListItem* it) {
  uint32_t r = it ? it->row : 0;
  return (r && r <= st->shownRows && st->rows[r - 1] && st->items[st->rows[r - 1]] == it) ? r : 0;
}
uint32_t TLHandleOf(const TreeListState* st, const TreeListItem* it);
bool TLIsAncestor(const TreeListState* st, uint32_t ancestor, uint32_t h);
// next item in tree order; with children=false the item's subtree is skipped
uint32_t TLNextInTree(const TreeListState* st, uint32_t h, bool children);
uint32_t TLFirstRoot(const TreeListState* st);

// ---- notifications: the lock is left for the call; afterwards the caller
// looks its items up again
intptr_t TreeListNotify(TreeListState* st, TLNmHdr* rec, int code);
void TLFillItem(TreeListState* st, TLItem* out, uint32_t h, uint32_t mask, int column);
// The same with the item's (or cell's) text and its length, a callback text
// asked for first; the text is copied into keep, so that it outlives the
// next request. Without the item the text bit goes.
void TLFillItemText(TreeListState* st, TLItem* out, uint32_t h, uint32_t mask, int column, std::string* keep);
const char* TreeListItemText(TreeListState* st, uint32_t h, int column, uint32_t* length);
// asks the parent whether an item with children by callback has any; false
// when the item went meanwhile
bool TreeListAskChildren(TreeListState* st, uint32_t h);

// ---- store
uint32_t TreeListInsertItem(TreeListState* st, const TLInsert* rec);
int TreeListDeleteItem(TreeListState* st, uintptr_t h, uint32_t mode);
int TreeListSetItem(TreeListState* st, const TLItem* rec);
int TreeListGetItem(TreeListState* st, TLItem* rec);
int TreeListSetItemGroup(TreeListState* st, const TLItem* rec);
int TreeListCountItems(TreeListState* st, const TLItem* rec);
uint32_t TreeListGetOwnColor(TreeListState* st, uint32_t h, uint32_t column, int text);
uint32_t TreeListSetOwnColor(TreeListState* st, uint32_t h, uint32_t column, uint32_t color, uint32_t flags);
int TreeListSetExtraSize(TreeListState* st, intptr_t size);
void TLSetText(char** text, uint16_t* length, uint32_t* width, const char* src);
void TLFreeCells(TreeListState* st, uint32_t h);

// ---- deferred actions
void TreeListQueueAction(TreeListState* st, uint32_t code, uint32_t item, uint32_t value);
int TreeListRunDeferred(TreeListState* st);
void TreeListDropDeferred(TreeListState* st, uint32_t item);

// ---- rows and scrolling
// Renumbers rows from h (0: all). stopAt, when known, is the number of shown
// rows afterwards: the walk ends there instead of climbing a deep branch.
void TreeListLayoutRows(TreeListState* st, uint32_t h, uint32_t stopAt = 0);
// Holds the renumbering for an operation over many items; the last release
// renumbers all rows once when any was asked for. Flush does it at once.
struct TLLayoutHold {
  TreeListState* st;
  explicit TLLayoutHold(TreeListState* s);
  ~TLLayoutHold();
  TLLayoutHold(const TLLayoutHold&) = delete;
  TLLayoutHold& operator=(const TLLayoutHold&) = delete;
};
void TLFlushLayout(TreeListState* st);
void TreeListUpdateView(TreeListState* st, bool forced);  // rows in view and the vertical bar
void TreeListUpdateHScroll(TreeListState* st);
int TreeListSetVScroll(TreeListState* st, int32_t first, uint32_t reason);
int TreeListSetHScroll(TreeListState* st, int32_t offset, uint32_t reason);
int32_t TreeListMaxFirstRow(const TreeListState* st);
int TreeListEnsureVisible(TreeListState* st, uintptr_t h, int column);
int TreeListGetVisibility(TreeListState* st, uintptr_t h, int column);
int TreeListGetItemRect(TreeListState* st, uint32_t what, TLRect* r);
void TreeListInvalidateItem(TreeListState* st, uint32_t h, int column);  // column -1: the row
void TreeListInvalidateAll(TreeListState* st);
int32_t TreeListTotalWidth(const TreeListState* st);
// a column's edges on the screen (the horizontal offset applied); without
// columns the tree's whole width
void TreeListColumnSpan(const TreeListState* st, int column, int32_t* left, int32_t* right);

// ---- selection and expansion
int TreeListSelectItem(TreeListState* st, uint32_t h, int column, uint32_t cause);
int TreeListToggleSelect(TreeListState* st, uint32_t h, uint32_t cause);
int TreeListSelectAll(TreeListState* st, uintptr_t h, uint32_t flags);
int TreeListSetCaret(TreeListState* st, intptr_t h, int column);
int TreeListExpand(TreeListState* st, uint32_t h, uint32_t action);
int TreeListSetHot(TreeListState* st, uintptr_t h, int column);

// ---- tree operations
intptr_t TreeListExpandMsg(TreeListState* st, uint32_t flags, uintptr_t h);
int TreeListMove(TreeListState* st, uint32_t mode, uintptr_t target, uintptr_t h);
intptr_t TreeListGetNextItem(TreeListState* st, uint32_t code, uintptr_t h);
uint32_t TreeListFindItem(TreeListState* st, uintptr_t start, TLFind* rec);
uint32_t TreeListSetInsertMark(TreeListState* st, int before, uintptr_t h);
int TreeListSortChildren(TreeListState* st, int kind, uintptr_t parent, int recursive, const void* compare,
                         intptr_t value);
uint32_t TreeListHitTest(TreeListState* st, TLHitTest* rec);
int TreeListGetSpan(const TreeListState* st, int column, uint32_t stateHigh, int32_t* width);
int TreeListStricmp(const char* a, const char* b);

// ---- column widths
void TreeListSyncWidths(TreeListState* st, int32_t delta, int32_t* changed);
void TreeListDivideWidths(TreeListState* st, int32_t total, int32_t* changed);
void TreeListColumnPositions(TreeListState* st);
