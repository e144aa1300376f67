// The directory tree's worker: the drives at the root, folder listings merged
// into the items through deferred direct calls, subfolder checks.
#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include <string>
#include <unordered_map>

#include "files/dirlist.h"
#include "text/strcompare.h"
#include "treelist/folderdlg/dirtree.h"
#include "treelist/folderdlg/folderlimits.h"

// A stored path (link target, network root) as item data: its index + 1.
intptr_t DtStorePath(DtShared* s, const char* path) {
  DtLock l(s);
  for (size_t i = 0; i < s->paths.size(); ++i)
    if (!lstrcmpiA(s->paths[i].c_str(), path)) return (intptr_t)i + 1;
  s->paths.push_back(path);
  return (intptr_t)s->paths.size();
}

LRESULT DtShared::Direct(UINT msg, WPARAM wp, LPARAM lp) {
  DtLock l(this);
  WNDPROC proc = CTreeListCtrl::DirectProc();
  return tree && proc ? proc(tree, msg, wp, lp) : 0;
}

namespace {

bool IsDriveText(const char* t) { return t[0] && t[1] == ':' && t[2] == 0; }

HTREEITEM Next(DtShared* s, UINT code, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(s->Direct(TLM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

UINT State(DtShared* s, HTREEITEM item) {
  return static_cast<UINT>(s->Direct(TLM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), 0xFFFFFFFFu));
}

std::string Text(DtShared* s, HTREEITEM item, intptr_t* data = nullptr) {
  char buf[FOLDER_MAX_PATH + 8] = {};
  TLItem it = {};
  it.mask = TLIF_TEXT | TLIF_PARAM;
  it.hItem = reinterpret_cast<TLHandle>(item);
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  if (!s->Direct(TLM_GETITEM, 0, reinterpret_cast<LPARAM>(&it))) return std::string();
  if (data) *data = it.lParam;
  return buf;
}

void SetState(DtShared* s, HTREEITEM item, UINT state, UINT mask, int children = -1) {
  TLItem it = {};
  it.mask = TLIF_STATE | TLIF_DEFERRED | (children >= 0 ? TLIF_CHILDREN : 0);
  it.hItem = reinterpret_cast<TLHandle>(item);
  it.state = state;
  it.stateMask = mask;
  it.cChildren = children;
  s->Direct(TLM_SETITEM, 0, reinterpret_cast<LPARAM>(&it));
}

HTREEITEM Insert(DtShared* s, HTREEITEM parent, const char* text, int icon, UINT state, intptr_t data = 0) {
  TLInsert r = {};
  r.hParent = reinterpret_cast<TLHandle>(parent);
  r.hInsertAfter = TLI_SORTCALLBACK;
  r.ex.item.mask = TLIF_TEXT | TLIF_IMAGE | TLIF_SELECTEDIMAGE | TLIF_STATE | TLIF_CHILDREN | TLIF_DEFERRED | TLIF_PARAM;
  r.ex.item.lParam = data;
  r.ex.item.hItem = reinterpret_cast<TLHandle>(&DtCompare);
  r.ex.item.pszText = const_cast<char*>(text);
  r.ex.item.iImage = r.ex.item.iSelectedImage = icon;
  r.ex.item.state = state;
  r.ex.item.stateMask = 0xFFFF0000u | TLIS_EXPANDED | TLIS_EXPANDPARTIAL;
  r.ex.item.cChildren = 1;
  return reinterpret_cast<HTREEITEM>(s->Direct(TLM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&r)));
}

// The caret stays in view across a merge: noted before, posted after (the
// deferred rows are laid out before the posted message runs).
struct CaretGuard {
  DtShared* s;
  bool shown;
  // merging an ancestor of the caret moves it down: followed even when the
  // deferred layout already pushed it out of view
  CaretGuard(DtShared* sh, HTREEITEM merged) : s(sh) {
    LPARAM caret = s->Direct(TLM_GETNEXTITEM, TLGN_CARET, 0);
    shown = caret && s->Direct(TLM_GETVISIBILITY, 0, caret) != 1;
    for (LPARAM a = caret; a && !shown; a = s->Direct(TLM_GETNEXTITEM, TLGN_PARENT, a))
      shown = a == reinterpret_cast<LPARAM>(merged);
  }
  ~CaretGuard() {
    DtLock l(s);
    if (shown && s->tree) PostMessageA(s->tree, TLM_ENSUREVISIBLE, 0, TLI_CARET);
  }
};


// Posts the nearest listed ancestor when the caret lies within an item
// about to go.
void CaretWithin(DtShared* s, HTREEITEM going, HTREEITEM keep, bool* posted) {
  if (*posted) return;
  for (LPARAM a = s->Direct(TLM_GETNEXTITEM, TLGN_CARET, 0); a; a = s->Direct(TLM_GETNEXTITEM, TLGN_PARENT, a)) {
    if (a != reinterpret_cast<LPARAM>(going)) continue;
    DtLock l(s);
    if (s->tree) PostMessageA(s->tree, DT_WM_VANISHED, 0, reinterpret_cast<LPARAM>(keep));
    *posted = true;
    return;
  }
}

bool IsLocalFixed(const char* path) {
  if (!path[0] || path[1] != ':') return false;
  char root[4] = {path[0], ':', '\\', 0};
  UINT t = GetDriveTypeA(root);
  return t == DRIVE_FIXED || t == DRIVE_RAMDISK;
}

UINT DriveState(const char* name) { return IsLocalFixed(name) ? DTS_DRIVE : DTS_DRIVE | DTS_SLOW; }

void ListRoot(DtShared* s, CDirectoryList& dl) {
  if (dl.Refresh(":", DIRLIST_FOLDERS | s->rootOptions) != DIRLIST_DONE) return;
  CaretGuard caret(s, nullptr);
  HTREEITEM root = reinterpret_cast<HTREEITEM>(TLI_ROOT);
  while (DirEntry* e = dl.Next()) {
    if (s->stop) return;
    UINT state = (e->attributes & DIRENT_VIRTUAL) ? DTS_VIRTUAL | DTS_SLOW : DriveState(e->name);
    // special folders and the network root ("\\") keep their path
    const char* extra = static_cast<const char*>(dl.GetEntryExtra(e));
    intptr_t data = extra && *extra ? DtStorePath(s, extra) : 0;
    int icon = dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS);
    // a drive that SelectPath added first stays as it is
    DtLock l(s);
    if (!DtRootChild(s, e->name)) Insert(s, root, e->name, icon, state | DTS_UNLISTED, data);
  }
}

std::string Lower(const char* t) {
  std::string r(t);
  for (char& c : r) c = (char)(uintptr_t)CharLowerA((LPSTR)(uintptr_t)(unsigned char)c);
  return r;
}

// Merges a finished listing into the item's children; false when cancelled
// meanwhile (nothing deleted then).
bool FillFolder(DtShared* s, CDirectoryList& dl, HTREEITEM item, bool failed) {
  // a listing of the neighbourhood or a server is never complete (servers
  // reached by name, shares not listed): it adds, it does not remove;
  // special folders are folders like any other
  intptr_t data = 0;
  Text(s, item, &data);
  bool keep = (State(s, item) & DTS_VIRTUAL) != 0;
  if (keep && data > 0) {
    DtLock l(s);
    keep = (size_t)data > s->paths.size() || s->paths[(size_t)data - 1] == "\\\\";
  }
  std::unordered_map<std::string, HTREEITEM> existing;
  for (HTREEITEM c = Next(s, TLGN_CHILD, item); c; c = Next(s, TLGN_NEXT, c)) {
    existing[Lower(Text(s, c).c_str())] = c;
    SetState(s, c, DTS_STALE, DTS_STALE);
  }
  CaretGuard caret(s, item);
  int count = 0;
  UINT below = State(s, item) & DTS_SLOW;
  if (!failed) {
    // in the tree's order: each new child is placed by one compare with the last
    dl.Sort(DIRSORT_NAME, 0);
    while (DirEntry* e = dl.Next()) {
      if (s->stop) return false;
      if (!strcmp(e->name, "..")) continue;
      ++count;
      auto found = existing.find(Lower(e->name));
      if (found != existing.end()) {
        SetState(s, found->second, 0, DTS_STALE);
        continue;
      }
      UINT state = below | DTS_UNLISTED;
      intptr_t data = 0;
      const char* target = static_cast<const char*>(dl.GetEntryExtra(e));
      if ((e->attributes & DIRENT_LINK) && target && *target) {
        // a shortcut to a folder: listed at its target, slow unless that is local
        data = DtStorePath(s, target);
        state = DTS_UNLISTED | DTS_LINK | (IsLocalFixed(target) ? 0u : (UINT)DTS_SLOW);
      } else if (e->attributes & DIRENT_VIRTUAL) {
        state |= DTS_VIRTUAL | DTS_SLOW;
      }
      HTREEITEM added = Insert(s, item, e->name, dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS), state, data);
      if (added) existing[Lower(e->name)] = added;
    }
  }
  if (s->cancel) return false;
  bool posted = false;
  for (HTREEITEM c = Next(s, TLGN_CHILD, item); c;) {
    HTREEITEM next = Next(s, TLGN_NEXT, c);
    if (keep) {
      SetState(s, c, 0, DTS_STALE);
      ++count;
    } else if (State(s, c) & DTS_STALE) {
      CaretWithin(s, c, item, &posted);
      s->Direct(TLM_DELETEITEM, 0x89, reinterpret_cast<LPARAM>(c));
    }
    c = next;
  }
  SetState(s, item, DTS_LISTED, DTS_LISTED | DTS_UNLISTED, count ? 1 : 0);
  return true;
}

// A subfolder check: the button stays only when something is there.
void Check(DtShared* s, CDirectoryList& dl, HTREEITEM item, int r) {
  if (r == DIRLIST_CANCELLED) return;
  UINT st = State(s, item);
  if (dl.GetCount() > 0) {
    // a folder listed empty before gets its button back
    bool empty = (st & DTS_LISTED) && !Next(s, TLGN_CHILD, item);
    if (!(st & TLIS_EXPANDED) && (!(st & DTS_LISTED) || empty)) SetState(s, item, DTS_UNLISTED, DTS_LISTED | DTS_UNLISTED, 1);
  } else {
    bool posted = false;
    for (HTREEITEM c = Next(s, TLGN_CHILD, item); c; c = Next(s, TLGN_NEXT, c)) CaretWithin(s, c, item, &posted);
    s->Direct(TLM_DELETEITEM, 0x8A, reinterpret_cast<LPARAM>(item));
    SetState(s, item, DTS_LISTED, DTS_LISTED | DTS_UNLISTED, 0);
  }
}

}  // namespace

int TL_CALLBACK DtCompare(uintptr_t, TLHandle, const char* siblingText, const char* newText, intptr_t, intptr_t) {
  bool a = IsDriveText(newText), b = IsDriveText(siblingText);
  if (a != b) return a ? -1 : 1;
  if (a) return (int)(uintptr_t)CharUpperA((LPSTR)(uintptr_t)(unsigned char)newText[0]) -
                (int)(uintptr_t)CharUpperA((LPSTR)(uintptr_t)(unsigned char)siblingText[0]);
  int r = StrCompareNaturalNoCaseA(newText, siblingText);
  return r ? r : strcmp(newText, siblingText);
}

HTREEITEM DtRootChild(DtShared* s, const char* text) {
  for (HTREEITEM c = Next(s, TLGN_ROOT, nullptr); c; c = Next(s, TLGN_NEXT, c))
    if (!lstrcmpiA(Text(s, c).c_str(), text)) return c;
  return nullptr;
}

bool DtItemPath(DtShared* s, HTREEITEM item, std::string& path) {
  path.clear();
  bool virtualSeen = false, stored = false;
  for (HTREEITEM i = item; i; i = Next(s, TLGN_PARENT, i)) {
    intptr_t data = 0;
    std::string t = Text(s, i, &data);
    if (data > 0) {
      // a stored path stands for the whole way up
      DtLock l(s);
      if ((size_t)data <= s->paths.size()) t = s->paths[(size_t)data - 1], stored = true;
    }
    // a server has no path but below the neighbourhood's "\\"
    if (!stored && (State(s, i) & DTS_VIRTUAL)) virtualSeen = true;
    if (t.empty()) return false;
    if (!path.empty() && t.back() != '\\') t += '\\';
    path.insert(0, t);
    if (stored) break;
  }
  if (virtualSeen && !stored) return false;
  if (path.size() == 2 && path[1] == ':') path += '\\';
  return !path.empty() && path.size() <= FOLDER_MAX_PATH;
}

DWORD WINAPI DtWorker(void* param) {
  DtShared* s = static_cast<DtShared*>(param);
  {
    CDirectoryList dl;
    dl.SetCancelFlag(&s->cancel);
    ListRoot(s, dl);
    while (!s->stop) {
      WaitForSingleObject(s->wake, INFINITE);
      // empties the queue after each wake: refreshes are queued without one
      while (!s->stop) {
        DtRequest req;
        {
          DtLock l(s);
          while (!s->queue.empty() && s->queue.front().word == 0) {
            if (s->queue.front().waiter) ReleaseSemaphore(s->queue.front().waiter, 1, nullptr);
            s->queue.pop_front();
            --s->pending;
          }
          if (s->queue.empty()) break;
          req = s->queue.front();
          s->job = req.word;
          s->cancel = 0;
        }
        std::string path;
        bool ok = DtItemPath(s, req.item, path);
        if (ok) {
          unsigned opt = DIRLIST_FOLDERS | ((req.word & DTR_CHECK) ? (unsigned)DIRLIST_FIRST_MATCH : 0u);
          if (path[0] == '\\' && path[1] == '\\') opt |= s->rootOptions;  // display names resolved
          int r = dl.Refresh(path.c_str(), opt);
          if (req.word & DTR_CHECK)
            Check(s, dl, req.item, r);
          else if (r != DIRLIST_CANCELLED)
            FillFolder(s, dl, req.item, r == DIRLIST_FAILED);
        }
        DtLock l(s);
        s->job = 0;
        for (auto it = s->queue.begin(); it != s->queue.end(); ++it) {
          if (it->item != req.item || (it->word != req.word && it->word != 0)) continue;
          if (it->waiter) ReleaseSemaphore(it->waiter, 1, nullptr);
          if (it->word == DTR_EXPAND) --s->counted;
          s->queue.erase(it);
          --s->pending;
          break;
        }
        if (s->queue.empty() && s->tree) PostMessageA(s->tree, WM_COMMAND, DT_CMD_IDLE, 0);
      }
    }
  }
  SetEvent(s->done);
  s->Release();
  return 0;
}
