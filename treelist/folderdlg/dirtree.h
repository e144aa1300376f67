// CDirTreeCtrl: the folders of all drives as one tree, listed on demand and
// kept fresh by a worker thread that drives the TreeList through its direct
// calls (deferred, never sending) and reports only by posting.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "treelist/treelistctrl.h"

// Item state bits kept in the TreeList item state.
enum : UINT {
  DTS_VIRTUAL = 0x10000,
  DTS_DRIVE = 0x20000,
  DTS_SLOW = 0x40000,
  DTS_UNLISTED = 0x80000,
  DTS_LISTED = 0x100000,
  DTS_LINK = 0x200000,
  DTS_STALE = 0x400000,
};

// Request words: 1 expansion (counted), else generation | kind.
enum : UINT {
  DTR_EXPAND = 1,
  DTR_GENMASK = 0x0FFFFFFF,
  DTR_SELECTED = 0x80000000,
  DTR_ANCESTOR = 0x40000000,
  DTR_CHECK = 0x20000000,
  DTR_EXPANDED = 0x10000000,
};

enum : UINT {
  DT_WM_SELECT = 0x194F,
  DT_WM_VANISHED = 0x1950,  // lParam: the listed ancestor of a selection that went
  DT_CMD_IDLE = 6483,
  DT_CMD_NETWORK = 6484,
  DT_TIMER_KEYS = 6480,
  DT_TIMER_REFRESH = 6481,
  DT_TIMER_PRUNE = 6482,
  DT_TIMER_BUSY = 6485,
  DT_REFRESH_MAX = 50,  // queued requests above which no refresh is queued
};

// The record of 0x1204/0x1205/0x1206.
struct DtNotify {
  NMHDR hdr;
  HTREEITEM item;
  int kind;  // 0 virtual, 1 folder, 2 drive root
  const char* path;
  int dragEnded;  // 0x1205: 1 once the drag is over
};


struct DtRequest {
  HTREEITEM item;
  UINT word;  // 0 = cancelled
  HANDLE waiter;
};

// What the tree and its worker share; freed by whichever side leaves last.
struct DtShared {
  std::atomic<int> refs{2};
  std::atomic<int> stop{0}, cancel{0}, pending{0};
  HANDLE wake, done;
  CRITICAL_SECTION lock;
  // under the lock
  std::atomic<HWND> tree{nullptr};  // null once the tree has left
  std::deque<DtRequest> queue;
  std::vector<std::string> paths;  // link targets, shares, "\\" (item data = index + 1)
  std::atomic<int> counted{0};     // expansions queued (busy cursor)
  UINT generation = 0, job = 0;
  unsigned rootOptions = 0;

  DtShared() {
    InitializeCriticalSection(&lock);
    wake = CreateSemaphoreA(nullptr, 0, 0x7F000000, nullptr);
    done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void Release() {
    if (--refs == 0) {
      CloseHandle(wake);
      CloseHandle(done);
      DeleteCriticalSection(&lock);
      delete this;
    }
  }
  // A call of the TreeList's direct procedure while the tree is alive.
  LRESULT Direct(UINT msg, WPARAM wp, LPARAM lp);
};

class DtLock {
 public:
  explicit DtLock(DtShared* s) : m_s(s) { EnterCriticalSection(&s->lock); }
  ~DtLock() { LeaveCriticalSection(&m_s->lock); }
  DtLock(const DtLock&) = delete;
  DtLock& operator=(const DtLock&) = delete;

 private:
  DtShared* m_s;
};

DWORD WINAPI DtWorker(void* param);
// Natural order; at the root drive letters first, by letter.
int TL_CALLBACK DtCompare(uintptr_t hwnd, TLHandle sibling, const char* siblingText, const char* newText,
                          intptr_t siblingData, intptr_t newData);
// An item's path through direct calls (either thread); false when it does
// not fit FOLDER_MAX_PATH or the item is virtual (below the network
// neighbourhood servers are not: "\\server").
bool DtItemPath(DtShared* s, HTREEITEM item, std::string& path);
// The root item of that text (a drive "C:", a special folder), or null.
HTREEITEM DtRootChild(DtShared* s, const char* text);
// A stored path (link target, network root, share) as item data: index + 1.
intptr_t DtStorePath(DtShared* s, const char* path);

class CDirTreeCtrl : public CTreeListCtrl {
 public:
  CDirTreeCtrl();
  ~CDirTreeCtrl() override;

  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id);
  // 0 no such folder, 1 already selected, 2 selection moved (reported later).
  int SelectPath(const char* path, const char* subPath, UINT flags);
  int GetPath(char* buffer, int size, int* kind);
  BOOL GetItemPath(HTREEITEM item, char* buffer, int size);
  // Children in natural order of their texts.
  BOOL SortChildren(HTREEITEM item);
  // A path with two leading separators, its components looked up on the
  // network: kind 2 a found entry, 1 a link's target, 0 the plain full path.
  BOOL ResolveNetworkPath(const char* path, int* kind, std::string& result);
  // Lists item on the worker now, then each of its virtual children, all
  // within timeoutMs (a child not done in time ends it); false when the
  // item's own listing did not finish.
  bool ListNow(HTREEITEM item, DWORD timeoutMs);
  void Stop();
  // A selection made by keys and not yet reported (that waits a second after
  // the last key) is reported now; true when one was.
  bool ReportKeySelection();

 protected:
  void OnDestroy();
  void OnTimer(UINT_PTR id);
  LRESULT OnSelectItem(WPARAM wp, LPARAM lp);
  LRESULT OnCopy(WPARAM, LPARAM);
  void OnIdle();
  void OnSelChanged(NMHDR* nm, LRESULT* result);
  void OnDblClk(NMHDR* nm, LRESULT* result);
  void OnExpanded(NMHDR* nm, LRESULT* result);
  void OnBeginDrag(NMHDR* nm, LRESULT* result);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  void OnDropFiles(HDROP drop);
  LRESULT OnVanished(WPARAM wp, LPARAM lp);
  void OnNetwork();
  DECLARE_MESSAGE_MAP()

 private:
  LRESULT Notify(UINT code, HTREEITEM item, const std::string& path, int kind, int dragEnded = 0);
  LRESULT Notify(UINT code, HTREEITEM item) { return Notify(code, item, m_path, m_kind); }
  void ShowOpenIcon(HTREEITEM item);
  void BusyTick();
  void Report(HTREEITEM item, UINT flags, int* result);
  // at: the queue position, -1 the end; false when the item already waits
  // with that word (or any, anyWord)
  bool Queue(HTREEITEM item, UINT word, int at, bool anyWord = false);
  bool ListOne(HTREEITEM item, DWORD timeoutMs);
  HTREEITEM Child(HTREEITEM parent, const char* text);
  int SelectNetworkPath(const char* full, UINT flags);
  int ExpandAndReport(HTREEITEM item, UINT flags);
  HTREEITEM AddPathItem(HTREEITEM parent, const std::string& name, UINT state, intptr_t data,
                        const std::string& sofar, bool last);
  // the item below parent (depth levels) whose data is data
  HTREEITEM ItemWithData(HTREEITEM parent, intptr_t data, int depth);
  HTREEITEM NetworkRoot();
  HTREEITEM Nav(UINT code, HTREEITEM item);
  UINT GetItemState(HTREEITEM item, UINT mask);
  void QueueRefresh();

  DtShared* m_s = nullptr;
  UINT m_options = 0;
  HTREEITEM m_selected = nullptr;
  std::string m_path;  // current path (UI thread)
  int m_kind = 0;
  int m_keyTicks = 0, m_refreshTicks = 0, m_pruneTicks = 0;
  HTREEITEM m_openItem = nullptr;  // shown with the open-folder icon
  int m_openImage = -1;            // its own image
  bool m_networkListed = false;
  bool m_selecting = false;  // selecting a reported item
};
