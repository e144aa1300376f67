// CDirTreeCtrl on the user-interface thread: creation, selection by path,
// notifications (sent with the lock released), refresh and prune timers.
#include "treelist/folderdlg/dirtree.h"

#include <shellapi.h>
#include <string.h>

#include <algorithm>

#include "files/dirlist.h"
#include "files/shellpath.h"
#include "toolkit/boundedwait.h"
#include "text/strcompare.h"
#include "toolkit/hdrop.h"
#include "treelist/folderdlg/folderlimits.h"
#include "treelist/folderdlg/pathtext.h"

BEGIN_MESSAGE_MAP(CDirTreeCtrl, CTreeListCtrl)
  ON_WM_DESTROY()
  ON_WM_TIMER()
  ON_MESSAGE(DT_WM_SELECT, OnSelectItem)
  ON_MESSAGE(WM_COPY, OnCopy)
  ON_COMMAND(DT_CMD_IDLE, OnIdle)
  ON_NOTIFY_REFLECT(TVN_SELCHANGEDA, OnSelChanged)
  ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
  ON_NOTIFY_REFLECT(TVN_ITEMEXPANDEDA, OnExpanded)
  ON_NOTIFY_REFLECT(TVN_BEGINDRAGA, OnBeginDrag)
  ON_WM_KEYDOWN()
  ON_WM_DROPFILES()
  ON_MESSAGE(DT_WM_VANISHED, OnVanished)
  ON_COMMAND(DT_CMD_NETWORK, OnNetwork)
END_MESSAGE_MAP()

CDirTreeCtrl::CDirTreeCtrl() = default;

HTREEITEM CDirTreeCtrl::Nav(UINT code, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(SendMessage(TLM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

UINT CDirTreeCtrl::GetItemState(HTREEITEM item, UINT mask) {
  return (UINT)SendMessage(TLM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask) & mask;
}

CDirTreeCtrl::~CDirTreeCtrl() { Stop(); }

BOOL CDirTreeCtrl::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  // direct creation: the worker calls the window procedure itself
  if (!CreateDirect(exStyle, (style & 0xFFFF0007u) | 0x40000007u, rect, parent, id)) return FALSE;
  m_options = style & 0xFFFF;
  SendMessage(TLM_SETEXTENDEDSTYLE, 0, TLOPT_SHAREDIMAGES | ((style & 0x4000) ? TLOPT_RCLICKKEEPS : 0));
  SHFILEINFOA fi = {};
  HIMAGELIST il = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SendMessage(TLM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(il));
  InsertColumn(0, "Ordner", 0, -1);
  SendMessage(TLM_PROPERTY, 0x8000000F, 2);
  if (style & 0x2000) DragAcceptFiles(TRUE);
  m_s = new DtShared;
  m_s->tree = m_hWnd;
  m_s->rootOptions = (style & 0x8000) ? 0u : (unsigned)DIRLIST_NETWORK;
  HANDLE t = CreateThread(nullptr, 65280, DtWorker, m_s, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!t) {
    m_s->refs = 1;
    m_s->Release();
    m_s = nullptr;
    return FALSE;
  }
  CloseHandle(t);
  return TRUE;
}

BOOL CDirTreeCtrl::CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parent, UINT id) {
  HWND holder = parent ? ::GetDlgItem(parent->m_hWnd, (int)placeholderId) : nullptr;
  if (!holder) return FALSE;
  RECT r;
  ::GetWindowRect(holder, &r);
  ::MapWindowPoints(nullptr, parent->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
  if (!Create(exStyle, style | 0x50000000u, r, parent, id)) return FALSE;
  ::SetWindowPos(m_hWnd, holder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

// Cancels the running listing, then waits a bounded time; a worker that
// returns later touches neither window nor object.
void CDirTreeCtrl::Stop() {
  if (!m_s) return;
  DtShared* s = m_s;
  m_s = nullptr;
  s->stop = 1;
  s->cancel = 1;
  ReleaseSemaphore(s->wake, 1, nullptr);
  DWORD t0 = GetTickCount();
  // the worker may hold the lock inside a call that waits for this thread
  bool locked = WaitUntilHandlingSent(
      [](void* p) { return TryEnterCriticalSection(&static_cast<DtShared*>(p)->lock) != 0; }, s, WAIT_STOP_BOUND_MS);
  s->tree = nullptr;
  if (locked) LeaveCriticalSection(&s->lock);
  DWORD spent = GetTickCount() - t0;
  WaitHandlingSent(s->done, spent < WAIT_STOP_BOUND_MS ? WAIT_STOP_BOUND_MS - spent : 0);
  s->Release();
}

void CDirTreeCtrl::OnDestroy() {
  Stop();
  CTreeListCtrl::OnDestroy();
}

HTREEITEM CDirTreeCtrl::Child(HTREEITEM parent, const char* text) {
  HTREEITEM c = parent ? Nav(TLGN_CHILD, parent) : Nav(TLGN_ROOT, nullptr);
  for (; c; c = Nav(TLGN_NEXT, c)) {
    char buf[FOLDER_MAX_PATH + 8];
    TVITEMA it = {};
    it.mask = TVIF_TEXT;
    it.hItem = c;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    if (SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) && !lstrcmpiA(buf, text)) return c;
  }
  return nullptr;
}

LRESULT CDirTreeCtrl::Notify(UINT code, HTREEITEM item, const std::string& text, int kind, int dragEnded) {
  std::string path = text;  // a copy: nothing of ours is locked while the parent runs
  DtNotify n = {};
  n.hdr.hwndFrom = m_hWnd;
  n.hdr.idFrom = (UINT_PTR)GetWindowLongA(m_hWnd, GWL_ID);
  n.hdr.code = code;
  n.item = item;
  n.kind = kind;
  n.path = path.c_str();
  n.dragEnded = dragEnded;
  HWND parent = ::GetParent(m_hWnd);
  return parent ? ::SendMessageA(parent, WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n)) : 0;
}

void CDirTreeCtrl::Report(HTREEITEM item, UINT flags, int* result) {
  std::string path;
  if (m_s) DtItemPath(m_s, item, path);
  UINT st = GetItemState(item, 0xFFFFFFFFu);
  m_path = path;
  m_kind = (st & DTS_DRIVE) ? 2 : (st & DTS_VIRTUAL) ? 0 : 1;
  if (item != m_selected) {
    m_selected = item;
    PostMessage(DT_WM_SELECT, flags & 0x7F, reinterpret_cast<LPARAM>(item));
    *result = 2;
  } else {
    if (reinterpret_cast<HTREEITEM>(SendMessage(TLM_GETNEXTITEM, TLGN_CARET, 0)) != item)
      SendMessage(TLM_SETCARET, 0, reinterpret_cast<LPARAM>(item));
    *result = 1;
  }
  if (flags & 0x80) PostMessage(TLM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

int CDirTreeCtrl::SelectPath(const char* path, const char* subPath, UINT flags) {
  if (!m_s) return 0;
  std::string want = path ? path : m_path;
  if (subPath) want += std::string("\\") + subPath;
  // "C:" alone would be the drive's current folder, not its root
  if (PathTextIsDrive(want.c_str())) want += '\\';
  char full[MAX_PATH + 16];
  DWORD n = GetFullPathNameA(want.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return 0;
  if (n >= 3 && full[n - 1] == '\\') full[--n] = 0;
  if (n > FOLDER_MAX_PATH) return 0;
  if (full[0] == '\\' && full[1] == '\\') return SelectNetworkPath(full, flags);
  if (full[1] != ':') return 0;
  // a short (8.3) name would add a second item for the same folder
  char longer[MAX_PATH + 16];
  if (strchr(full, '~') && PathGetTrueCaseA(longer, full, sizeof longer) > 0 && strlen(longer) <= FOLDER_MAX_PATH)
    lstrcpynA(full, longer, sizeof full);
  DWORD attr = GetFileAttributesA(full);
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  std::vector<PathSegment> segs = PathTextSegments(full, 64);
  HTREEITEM item = nullptr;
  for (size_t i = 0; i < segs.size(); ++i) {
    std::string name(full + segs[i].start, (size_t)segs[i].length);
    if (i == 0) name = name.substr(0, 2);
    HTREEITEM c = Child(item, name.c_str());
    if (!c && !item) {
      // the worker may not have listed the drives yet: added here, in letter
      // order, and left alone by the worker's listing
      int letter = name[0] >= 'a' && name[0] <= 'z' ? name[0] - 'a' + 'A' : name[0];
      if (letter < 'A' || letter > 'Z' || !(GetLogicalDrives() & (1u << (letter - 'A')))) return 0;
      std::string root = name + "\\";
      UINT type = GetDriveTypeA(root.c_str());
      UINT state = DTS_DRIVE | (type == DRIVE_FIXED || type == DRIVE_RAMDISK ? 0u : (UINT)DTS_SLOW);
      DtLock l(m_s);
      c = DtRootChild(m_s, name.c_str());
      if (!c) c = AddPathItem(nullptr, name, state, 0, root, false);
      if (!c) return 0;
    } else if (!c) {
      UINT below = GetItemState(item, DTS_SLOW) & DTS_SLOW;
      c = AddPathItem(item, name, below, 0, std::string(full, (size_t)(segs[i].start + segs[i].length)),
                      i + 1 == segs.size());
      if (!c) return 0;
    }
    item = c;
  }
  if (!item) return 0;
  return ExpandAndReport(item, flags);
}

int CDirTreeCtrl::ExpandAndReport(HTREEITEM item, UINT flags) {
  // expanded from the top once the chain has its children
  std::vector<HTREEITEM> chain;
  for (HTREEITEM a = Nav(TLGN_PARENT, item); a; a = Nav(TLGN_PARENT, a)) chain.push_back(a);
  for (size_t i = chain.size(); i-- > 0;)
    if (!GetItemState(chain[i], TVIS_EXPANDED)) SendMessage(TLM_EXPAND, TLE_EXPAND, reinterpret_cast<LPARAM>(chain[i]));
  int result = 0;
  Report(item, flags, &result);
  return result;
}

// A folder item found by its path: unlisted, with a button, sorted in.
HTREEITEM CDirTreeCtrl::AddPathItem(HTREEITEM parent, const std::string& name, UINT state, intptr_t data,
                                    const std::string& sofar, bool last) {
  TLInsert r = {};
  r.hParent = parent ? reinterpret_cast<TLHandle>(parent) : TLI_ROOT;
  r.hInsertAfter = TLI_SORTCALLBACK;
  r.ex.item.mask = TLIF_TEXT | TLIF_STATE | TLIF_CHILDREN | TLIF_IMAGE | TLIF_SELECTEDIMAGE | TLIF_PARAM;
  r.ex.item.hItem = reinterpret_cast<TLHandle>(&DtCompare);
  r.ex.item.pszText = const_cast<char*>(name.c_str());
  r.ex.item.lParam = data;
  r.ex.item.state = DTS_UNLISTED | state | (last ? 0 : TLIS_EXPANDED | TLIS_EXPANDPARTIAL);
  r.ex.item.stateMask = 0xFFFF0000u | TLIS_EXPANDED | TLIS_EXPANDPARTIAL;
  r.ex.item.cChildren = 1;
  SHFILEINFOA fi = {};
  bool drive = !parent;  // a drive root shows the drive's own icon
  SHGetFileInfoA(sofar.c_str(), FILE_ATTRIBUTE_DIRECTORY, &fi, sizeof fi,
                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (drive ? 0u : (UINT)SHGFI_USEFILEATTRIBUTES));
  r.ex.item.iImage = r.ex.item.iSelectedImage = fi.iIcon;
  // the caret stays in view when the new row pushes it out
  LPARAM caret = SendMessage(TLM_GETNEXTITEM, TLGN_CARET, 0);
  int before = caret ? (int)SendMessage(TLM_GETVISIBILITY, 0, caret) : 0;
  auto added = reinterpret_cast<HTREEITEM>(SendMessage(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
  if (before > 0 && SendMessage(TLM_GETVISIBILITY, 0, caret) < 4)
    PostMessage(TLM_ENSUREVISIBLE, before == 4 ? 0 : (WPARAM)-1, caret);
  return added;
}

HTREEITEM CDirTreeCtrl::ItemWithData(HTREEITEM parent, intptr_t data, int depth) {
  for (HTREEITEM c = Nav(TLGN_CHILD, parent); c; c = Nav(TLGN_NEXT, c)) {
    if ((intptr_t)SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(c)) == data) return c;
    if (depth > 1)
      if (HTREEITEM found = ItemWithData(c, data, depth - 1)) return found;
  }
  return nullptr;
}

HTREEITEM CDirTreeCtrl::NetworkRoot() {
  for (HTREEITEM c = Nav(TLGN_ROOT, nullptr); c; c = Nav(TLGN_NEXT, c)) {
    intptr_t data = (intptr_t)SendMessage(TLM_GETITEMDATA, 0, reinterpret_cast<LPARAM>(c));
    DtLock l(m_s);
    if (data > 0 && (size_t)data <= m_s->paths.size() && m_s->paths[(size_t)data - 1] == "\\\\") return c;
  }
  return nullptr;
}

// "\\server\share\...": below a stored share when one is a prefix of the
// path, else server, share and folders below the neighbourhood; all slow.
int CDirTreeCtrl::SelectNetworkPath(const char* full, UINT flags) {
  if (!m_s->rootOptions) return 0;
  if (!m_networkListed) {
    m_networkListed = true;
    PostMessage(WM_COMMAND, DT_CMD_NETWORK, 0);
  }
  // device names ("\\.\", "\\?\") are not folders to browse
  if ((full[2] == '.' || full[2] == '?') && full[3] == '\\') return 0;
  std::vector<std::string> parts;
  for (const char* p = full + 2; *p;) {
    const char* e = strchr(p, '\\');
    size_t n = e ? (size_t)(e - p) : strlen(p);
    if (!n) return 0;
    parts.emplace_back(p, n);
    p += n + (e ? 1 : 0);
  }
  if (parts.size() < 2) return 0;  // a server alone is no folder
  DWORD attr = GetFileAttributesA(full);
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  HTREEITEM root = NetworkRoot();
  if (!root) return 0;
  HTREEITEM item = root;
  size_t next = 0, bestLen = 0, len = strlen(full);
  std::vector<std::string> paths;
  {
    DtLock l(m_s);
    paths = m_s->paths;
  }
  // the longest stored path that ends at a component boundary of ours
  for (size_t i = 0; i < paths.size(); ++i) {
    size_t n = paths[i].size();
    if (n <= 2 || n <= bestLen || n > len || (full[n] && full[n] != '\\')) continue;
    if (lstrcmpiA(std::string(full, n).c_str(), paths[i].c_str())) continue;
    if (HTREEITEM found = ItemWithData(root, (intptr_t)i + 1, 2)) item = found, bestLen = n;
  }
  std::string sofar = bestLen ? std::string(full, bestLen) : "\\\\";
  if (bestLen) next = (size_t)std::count(full + 2, full + bestLen, '\\') + 1;
  for (size_t i = next; i < parts.size(); ++i) {
    if (sofar.size() > 2) sofar += '\\';
    sofar += parts[i];
    HTREEITEM c = Child(item, parts[i].c_str());
    if (!c) {
      UINT state = DTS_SLOW | (item == root ? (UINT)DTS_VIRTUAL : 0u);
      intptr_t data = i == 1 ? DtStorePath(m_s, sofar.c_str()) : 0;
      c = AddPathItem(item, parts[i], state, data, sofar, i + 1 == parts.size());
      if (!c) return 0;
    }
    item = c;
  }
  return ExpandAndReport(item, flags);
}

int CDirTreeCtrl::GetPath(char* buffer, int size, int* kind) {
  if (kind) *kind = m_kind;
  if (!buffer || size < 1) return 0;
  lstrcpynA(buffer, m_path.c_str(), size);
  return lstrlenA(buffer);
}

BOOL CDirTreeCtrl::GetItemPath(HTREEITEM item, char* buffer, int size) {
  std::string p;
  if (!buffer || size < 1) return FALSE;
  buffer[0] = 0;
  if (!m_s || !DtItemPath(m_s, item, p) || (int)p.size() >= size) return FALSE;
  memcpy(buffer, p.c_str(), p.size() + 1);
  return TRUE;
}

bool CDirTreeCtrl::Queue(HTREEITEM item, UINT word, int at, bool anyWord) {
  DtLock l(m_s);
  for (const DtRequest& r : m_s->queue)
    if (r.item == item && (r.word == word || (anyWord && r.word))) return false;
  DtRequest r = {item, word, nullptr};
  if (at >= 0 && (size_t)at <= m_s->queue.size())
    m_s->queue.insert(m_s->queue.begin() + at, r);
  else
    m_s->queue.push_back(r);
  ++m_s->pending;
  ReleaseSemaphore(m_s->wake, 1, nullptr);
  return true;
}

bool CDirTreeCtrl::ListNow(HTREEITEM item, DWORD timeoutMs) {
  // one bound for the whole call: a server that does not answer holds the
  // worker, and every one behind it would wait its own time for nothing
  DWORD start = GetTickCount();
  if (!ListOne(item, timeoutMs)) return false;
  // the servers below the neighbourhood show only when listed themselves
  std::vector<HTREEITEM> virtuals;
  for (HTREEITEM c = m_s ? Nav(TLGN_CHILD, item) : nullptr; c; c = Nav(TLGN_NEXT, c))
    if (GetItemState(c, DTS_VIRTUAL)) virtuals.push_back(c);
  for (HTREEITEM c : virtuals) {
    DWORD spent = GetTickCount() - start;
    if (!m_s || spent >= timeoutMs || !ListOne(c, timeoutMs - spent)) break;
  }
  return true;
}

bool CDirTreeCtrl::ListOne(HTREEITEM item, DWORD timeoutMs) {
  if (!m_s) return false;
  HANDLE sem = CreateSemaphoreA(nullptr, 0, 16, nullptr);
  if (!sem) return false;
  {
    DtLock l(m_s);
    m_s->queue.push_front({item, DTR_SELECTED | (m_s->generation & DTR_GENMASK), sem});
    ++m_s->pending;
    ReleaseSemaphore(m_s->wake, 1, nullptr);
  }
  bool done = WaitHandlingSentAndPaint(sem, timeoutMs) == WAIT_OBJECT_0;
  if (!done && m_s) {
    // detach wherever the request now stands before the handle goes
    DtLock l(m_s);
    for (DtRequest& r : m_s->queue)
      if (r.waiter == sem) r.waiter = nullptr;
  }
  CloseHandle(sem);
  return done;
}

LRESULT CDirTreeCtrl::OnSelectItem(WPARAM wp, LPARAM lp) {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(lp);
  // its TVN_SELCHANGEDA is no new choice: a later selection reported
  // meanwhile would be taken back and forth without end
  m_selecting = true;
  LRESULT selected = m_s ? SendMessage(TVM_SELECTITEM, TVGN_CARET, lp) : 0;
  m_selecting = false;
  if (!selected) return 0;
  ShowOpenIcon(item);
  UINT request = Notify(DTN_SELMOVED, item) ? 0 : (UINT)wp;
  // a folder listed already is not read again (a slow share would be, at every click)
  if (request == 1 && !(GetItemState(item, DTS_LISTED) & DTS_LISTED)) request = 2;
  SendMessage(TLM_ENSUREVISIBLE, 0, lp);
  if (!request || !m_s) return 0;
  bool queued;
  UINT gen;
  {
    DtLock l(m_s);
    gen = ++m_s->generation & DTR_GENMASK;
    queued = !m_s->queue.empty();
  }
  if (queued) {
    m_pruneTicks = 5;
    SetTimer(DT_TIMER_PRUNE, 200, nullptr);
  }
  if (request == 2) Queue(item, DTR_SELECTED | gen, 0);
  // right behind it, before older requests: the root's first
  for (HTREEITEM a = Nav(TLGN_PARENT, item); a; a = Nav(TLGN_PARENT, a)) {
    UINT st = GetItemState(a, 0xFFFFFFFFu);
    if (st & DTS_VIRTUAL) break;
    if (!(st & DTS_SLOW)) Queue(a, DTR_ANCESTOR | gen, 1);
  }
  return 0;
}

void CDirTreeCtrl::OnSelChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const TLNmTreeView* tv = reinterpret_cast<const TLNmTreeView*>(nm);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(tv->itemNew.hItem);
  if (!item || !(GetItemState(item, TVIS_SELECTED) & TVIS_SELECTED)) return;
  if (item == m_selected || m_selecting) {
    m_keyTicks = 0;
    return;
  }
  if (tv->action == 2) {  // keyboard: reported a second after the last key
    m_keyTicks = 5;
    SetTimer(DT_TIMER_KEYS, 200, nullptr);
    return;
  }
  int r;
  Report(item, 1, &r);  // 1: a clicked folder is listed unless it was already
}

void CDirTreeCtrl::OnDblClk(NMHDR* nm, LRESULT* result) {
  // the row double-clicked, which need not be the caret: beside a label the
  // first click selects nothing; below the last row there is none to open
  HTREEITEM item = reinterpret_cast<HTREEITEM>(reinterpret_cast<const TLNmClick*>(nm)->itemNew.hItem);
  *result = item ? 1 : 0;
  if (!item) return;
  int r;
  Report(item, 0, &r);
  Notify(DTN_ACTIVATED, item);
}

void CDirTreeCtrl::OnExpanded(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const TLNmTreeView* tv = reinterpret_cast<const TLNmTreeView*>(nm);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(tv->itemNew.hItem);
  if (!m_s || !item || (GetItemState(item, DTS_LISTED) & DTS_LISTED)) return;
  // counted before the worker can take it off again
  ++m_s->counted;
  if (Queue(item, DTR_EXPAND, -1))
    SetTimer(DT_TIMER_BUSY, 300, nullptr);
  else
    --m_s->counted;
}

void CDirTreeCtrl::OnIdle() {
  m_refreshTicks = 4;
  SetTimer(DT_TIMER_REFRESH, 200, nullptr);
}

// Listed folders that are not slow, re-listed and checked in the background:
// every expanded folder, the children along the selection, then every other
// listed one in view.
void CDirTreeCtrl::QueueRefresh() {
  if (!m_s) return;
  UINT gen;
  {
    DtLock l(m_s);
    if (m_s->queue.size() > DT_REFRESH_MAX) return;
    gen = m_s->generation & DTR_GENMASK;
  }
  auto full = [this] { return !m_s || m_s->pending > (int)DT_REFRESH_MAX; };
  // the open folders go first: the checks could fill the queue every time
  // and starve them
  std::vector<HTREEITEM> others;
  HTREEITEM stack[64];
  int depth = 0;
  for (HTREEITEM c = Nav(TLGN_ROOT, nullptr); c && !full();) {
    UINT st = GetItemState(c, 0xFFFFFFFFu);
    // an expanded folder goes even unlisted: SelectPath opens the chain
    // down to its folder without listing it
    if (!(st & DTS_SLOW) && (st & TVIS_EXPANDED))
      Queue(c, DTR_EXPANDED | gen, -1, true);
    else if (!(st & DTS_SLOW) && (st & DTS_LISTED))
      others.push_back(c);
    HTREEITEM child = (st & TVIS_EXPANDED) && depth < 64 ? Nav(TLGN_CHILD, c) : nullptr;
    if (child) {
      stack[depth++] = c;
      c = child;
      continue;
    }
    while (c && !Nav(TLGN_NEXT, c)) c = depth ? stack[--depth] : nullptr;
    if (c) c = Nav(TLGN_NEXT, c);
  }
  const UINT openListed = TVIS_EXPANDED | DTS_LISTED;
  for (HTREEITEM a = m_selected; a && !full(); a = Nav(TLGN_PARENT, a)) {
    UINT st = GetItemState(a, 0xFFFFFFFFu);
    if (st & DTS_VIRTUAL) break;
    if ((st & openListed) != openListed || (st & DTS_SLOW)) continue;
    for (HTREEITEM c = Nav(TLGN_CHILD, a); c && !full(); c = Nav(TLGN_NEXT, c))
      // an open folder is re-listed above, not checked
      if (!GetItemState(c, DTS_SLOW | TVIS_EXPANDED)) Queue(c, DTR_CHECK | gen, -1, true);
  }
  for (size_t i = 0; i < others.size() && !full(); ++i) Queue(others[i], DTR_CHECK | gen, -1, true);
}

void CDirTreeCtrl::BusyTick() {
  POINT pt;
  bool over = GetCursorPos(&pt) && ::WindowFromPoint(pt) == m_hWnd;
  static HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT);
  if (m_s && m_s->counted > 0) {
    if (over) SetCursor(wait);
    return;
  }
  KillTimer(DT_TIMER_BUSY);
  if (over) SetCursor(arrow);
}

// The selected folder shows the open-folder icon; the one before gets its
// own image back.
void CDirTreeCtrl::ShowOpenIcon(HTREEITEM item) {
  TVITEMA it = {};
  it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  if (m_openItem && m_openImage >= 0) {
    it.hItem = m_openItem;
    it.iImage = it.iSelectedImage = m_openImage;
    SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  }
  m_openItem = nullptr;
  m_openImage = -1;
  std::string path;
  if (!m_s || (GetItemState(item, DTS_VIRTUAL | DTS_DRIVE)) || !DtItemPath(m_s, item, path)) return;
  it.hItem = item;
  if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return;
  SHFILEINFOA fi = {};
  if (!SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_DIRECTORY, &fi, sizeof fi,
                      SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON))
    return;
  m_openItem = item;
  m_openImage = it.iImage;
  it.iImage = it.iSelectedImage = fi.iIcon;
  SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

bool CDirTreeCtrl::ReportKeySelection() {
  bool pending = m_keyTicks > 0;
  m_keyTicks = 0;
  KillTimer(DT_TIMER_KEYS);
  if (!pending) return false;
  HTREEITEM item = Nav(TLGN_CARET, nullptr);
  if (!item || item == m_selected) return false;
  int r;
  Report(item, 1, &r);
  return true;
}

void CDirTreeCtrl::OnTimer(UINT_PTR id) {
  if (id == DT_TIMER_KEYS) {
    if (m_keyTicks > 1) {
      --m_keyTicks;
      return;
    }
    ReportKeySelection();
  } else if (id == DT_TIMER_REFRESH) {
    if (--m_refreshTicks > 0) return;
    KillTimer(id);
    QueueRefresh();
  } else if (id == DT_TIMER_BUSY) {
    BusyTick();
  } else if (id == DT_TIMER_PRUNE) {
    if (--m_pruneTicks > 0) return;
    KillTimer(id);
    if (!m_s) return;
    // requests of older selections go; expansions carry no kind and stay
    DtLock l(m_s);
    UINT gen = m_s->generation & DTR_GENMASK;
    for (DtRequest& r : m_s->queue)
      if (r.word != DTR_EXPAND && !r.waiter && (r.word & DTR_GENMASK) != gen) r.word = 0;
    if (m_s->job && m_s->job != DTR_EXPAND && (m_s->job & DTR_GENMASK) != gen) m_s->cancel = 1;
  } else {
    CTreeListCtrl::OnTimer(id);
  }
}

LRESULT CDirTreeCtrl::OnCopy(WPARAM, LPARAM) {
  if (m_path.empty() || m_kind == 0) return 0;
  return HDropToClipboard(m_hWnd, m_path.c_str()) ? 1 : 0;
}

namespace {
int TL_CALLBACK SortByText(uintptr_t hwnd, TLHandle a, TLHandle b, intptr_t, intptr_t, intptr_t) {
  char ta[FOLDER_MAX_PATH + 8] = {}, tb[FOLDER_MAX_PATH + 8] = {};
  TVITEMA it = {};
  it.mask = TVIF_TEXT;
  it.cchTextMax = sizeof ta;
  it.hItem = reinterpret_cast<HTREEITEM>(a);
  it.pszText = ta;
  ::SendMessageA(reinterpret_cast<HWND>(hwnd), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  it.hItem = reinterpret_cast<HTREEITEM>(b);
  it.pszText = tb;
  ::SendMessageA(reinterpret_cast<HWND>(hwnd), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return StrCompareNaturalNoCaseA(ta, tb);
}
}  // namespace

BOOL CDirTreeCtrl::SortChildren(HTREEITEM item) {
  TLSortEx sort = {};
  sort.hParent = reinterpret_cast<TLHandle>(item);
  sort.compare = SortByText;
  return SendMessage(TLM_SORTCHILDRENEX, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
}


void CDirTreeCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key == VK_TAB && (m_options & 0xFF80)) {
    if (HWND parent = ::GetParent(m_hWnd)) ::SetFocus(parent);
    return;
  }
  CTreeListCtrl::OnKeyDown(key, repeat, flags);
}

// Files dropped onto the tree are taken and ignored.
void CDirTreeCtrl::OnDropFiles(HDROP drop) { DragFinish(drop); }

void CDirTreeCtrl::OnBeginDrag(NMHDR* nm, LRESULT* result) {
  *result = 1;  // the TreeList's own drag never starts here
  const TLNmTreeView* tv = reinterpret_cast<const TLNmTreeView*>(nm);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(tv->itemNew.hItem);
  std::string path;
  if (!(m_options & 0x1000) || !m_s || !item || (GetItemState(item, DTS_VIRTUAL) & DTS_VIRTUAL) ||
      !DtItemPath(m_s, item, path))
    return;
  int kind = (GetItemState(item, DTS_DRIVE) & DTS_DRIVE) ? 2 : 1;
  if (Notify(DTN_DRAGPATH, item, path, kind)) return;
  HWND self = m_hWnd;
  // no drop of our own path onto ourselves
  if (m_options & 0x2000) ::DragAcceptFiles(self, FALSE);
  HDropDoDragDrop(path.c_str());
  if (!::IsWindow(self)) return;
  if (m_options & 0x2000) ::DragAcceptFiles(self, TRUE);
  Notify(DTN_DRAGPATH, item, path, kind, 1);
}

// The selected folder went: its nearest listed ancestor takes its place.
LRESULT CDirTreeCtrl::OnVanished(WPARAM, LPARAM lp) {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(lp);
  int r;
  if (m_s && item) Report(item, 0, &r);
  return 0;
}

// The network neighbourhood, listed the first time a network path comes.
void CDirTreeCtrl::OnNetwork() {
  if (!m_s) return;
  if (HTREEITEM root = NetworkRoot()) ListNow(root, 5000);
}

BOOL CDirTreeCtrl::ResolveNetworkPath(const char* path, int* kind, std::string& result) {
  if (kind) *kind = 0;
  result.clear();
  if (!path || path[0] != '\\' || path[1] != '\\') return FALSE;
  std::string p = path;
  unsigned opt = DIRLIST_FOLDERS | (m_s ? m_s->rootOptions : (unsigned)DIRLIST_NETWORK);
  CDirectoryList dl;
  for (size_t pos = 2; pos < p.size();) {
    size_t end = p.find('\\', pos);
    if (end == std::string::npos) end = p.size();
    if (end == pos) break;
    std::string parent = p.substr(0, pos), name = p.substr(pos, end - pos);
    if (dl.Refresh(parent.c_str(), opt, name.c_str()) == DIRLIST_DONE) {
      if (DirEntry* e = dl.Next()) {
        const char* extra = static_cast<const char*>(dl.GetEntryExtra(e));
        if (!(e->attributes & DIRENT_VIRTUAL)) {
          const char* found = dl.GetEntryPath(e);
          if (found) {
            result = std::string(found) + p.substr(end);
            if (kind) *kind = 2;
            return result.size() <= FOLDER_MAX_PATH;
          }
        } else if ((e->attributes & DIRENT_LINK) && extra && *extra) {
          result = extra;
          if (kind) *kind = 1;
          return TRUE;
        }
      }
    }
    pos = end + 1;
  }
  char full[MAX_PATH + 16];
  DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full || n > FOLDER_MAX_PATH) return FALSE;
  result = full;
  return TRUE;
}
