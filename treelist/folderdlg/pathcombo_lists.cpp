// The path combo's subfolder lists: the worker that reads them and the
// hand-over of its results.
#include <string.h>

#include "files/pathname.h"
#include "files/shellicons.h"
#include "text/strcompare.h"
#include "toolkit/boundedwait.h"
#include "treelist/folderdlg/pathcombo.h"
#include "treelist/folderdlg/pathcombo_shared.h"
#include "treelist/folderdlg/pathtext.h"

namespace {

int MeasureText(const std::string& s) { return PcTextWidth(s, 280); }

// Reads one list; false when cancelled.
bool ReadList(PcWorker* w, CDirectoryList& dl, uint32_t tag, const std::string& prefix,
              std::vector<PcEntry>& out) {
  out.clear();
  if (PathTagList(tag) == 0) {
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
      if (mask & (1u << i)) {
        char t[3] = {(char)('A' + i), ':', 0};
        int icon = ShellGetDriveIconIndex('A' + i, 1);
        out.push_back({t, icon >= 0 ? icon : PcGetShared().folderIcon, MeasureText(t), 0});
      }
    return true;
  }
  unsigned opt = DIRLIST_FOLDERS | ((w->options & PCO_NONETWORK) ? 0u : (unsigned)DIRLIST_NETWORK);
  int r = dl.Refresh(prefix.empty() ? ":" : prefix.c_str(), opt, "*");
  if (r == DIRLIST_CANCELLED) return false;
  dl.Sort(DIRSORT_NAME, 0);
  while (DirEntry* e = dl.Next()) {
    if (w->cancel.load()) return false;
    int icon = dl.GetEntryIconIndex(e, FOLDER_ICON_FLAGS);
    out.push_back({e->name, icon >= 0 ? icon : PcGetShared().folderIcon, MeasureText(e->name),
                   (e->attributes & DIRENT_VIRTUAL) ? 1 : 0});
  }
  return true;
}

}  // namespace

DWORD WINAPI PcWorkerMain(void* param) {
  PcWorker* w = static_cast<PcWorker*>(param);
  CDirectoryList dl;
  dl.SetCancelFlag(&w->cancel);
  std::vector<PcEntry> entries;
  while (w->state.load() == 1) {
    WaitForSingleObject(w->wake, INFINITE);
    for (;;) {
      uint32_t tag;
      std::string prefix, segment;
      bool placeholder;
      {
        PcLock lock;
        tag = w->requested;
        prefix = w->prefix;
        segment = w->segment;
        placeholder = w->placeholder;
        w->cancel = 0;
      }
      if (!tag || w->state.load() != 1) break;
      if (!ReadList(w, dl, tag, prefix, entries)) {
        if (w->state.load() != 1) break;
        continue;  // a newer request cancelled it
      }
      // a missing component still shows in its drop-down
      if (entries.empty() && placeholder)
        entries.push_back({segment, PcGetShared().folderIcon, MeasureText(segment), 2});
      PcLock lock;
      if (w->requested == tag && w->owner) {
        w->result.swap(entries);
        w->resultTag = tag;
        w->requested = 0;
        PostMessageA(w->owner, PC_WM_WORKER, 3, (LPARAM)tag);
      }
      break;
    }
  }
  {
    PcLock lock;
    if (w->owner) PostMessageA(w->owner, PC_WM_WORKER, 2, 0);
  }
  w->Release();
  return 0;
}

void CPathComboBox::StartWorker() {
  if (m_worker) return;
  auto* w = new PcWorker;
  w->wake = CreateSemaphoreA(nullptr, 0, 1, nullptr);
  w->options = m_options;
  w->owner = m_hWnd;
  DWORD id;
  m_workerThread = CreateThread(nullptr, 0x10000, PcWorkerMain, w, STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
  if (!m_workerThread) {
    CloseHandle(w->wake);
    delete w;
    return;
  }
  // the drop-downs fill in the background; what the user waits for comes first
  SetThreadPriority(m_workerThread, THREAD_PRIORITY_BELOW_NORMAL);
  m_worker = w;
}

void CPathComboBox::StopWorker() {
  PcWorker* w = m_worker;
  if (!w) return;
  {
    PcLock lock;
    w->owner = nullptr;
    w->requested = 0;
    w->state = 2;
    w->cancel = 1;
    m_worker = nullptr;
  }
  ReleaseSemaphore(w->wake, 1, nullptr);
  // a worker stuck in the file system ends later on its own and frees the block
  WaitHandlingSent(m_workerThread, WAIT_STOP_BOUND_MS);
  CloseHandle(m_workerThread);
  m_workerThread = nullptr;
  w->Release();
}

void CPathComboBox::RequestList(int k) {
  if (!m_worker || k < 0 || k > (int)m_segStart.size()) return;
  uint32_t tag = PathTag(m_generation, k);
  PcLock lock;
  if (m_lists[k].tag == tag || m_worker->requested == tag) return;
  if (m_worker->requested) m_worker->cancel = 1;
  m_worker->requested = tag;
  m_worker->prefix = PathTextPrefix(m_path.c_str(), k, FOLDER_MAX_SEGMENTS);
  m_worker->segment = SegmentText(k);
  m_worker->placeholder = !(m_options & PCO_MUSTEXIST) && k < (int)m_segStart.size();
  ReleaseSemaphore(m_worker->wake, 1, nullptr);
}

void CPathComboBox::RequestChain(int from) {
  for (int k = from; k >= 0; --k)
    if (m_lists[k].tag != PathTag(m_generation, k)) {
      RequestList(k);
      return;
    }
}

void CPathComboBox::OnWorkerDone(uint32_t tag) {
  int k = PathTagList(tag);
  if (k < 0 || k > FOLDER_MAX_SEGMENTS || !m_worker) return;
  {
    PcLock lock;
    if (m_worker->resultTag != tag) return;
    m_worker->resultTag = 0;
    if (PathTagGeneration(tag) != (m_generation & 0xFFFFFF)) return;
    List& l = m_lists[k];
    l.entries.clear();
    int widest = 90;
    for (PcEntry& e : m_worker->result) {
      if (e.width > widest) widest = e.width;
      l.entries.push_back({std::move(e.text), e.icon, e.width, e.flag});
    }
    m_worker->result.clear();
    l.tag = tag;
    const PcShared& sh = PcGetShared();
    l.width = widest + sh.listMargin;
    l.height = (int)l.entries.size() * sh.rowHeight + 3;
    if (l.height > 450) {
      l.height = 453 - 450 % sh.rowHeight;
      l.width += GetSystemMetrics(SM_CXVSCROLL);
    }
  }
  if (k == (int)m_segStart.size()) {
    Layout();
    Invalidate(FALSE);
  }
  if (m_waitList == k) {
    m_waitList = -1;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    OpenList(k);
  }
  RequestChain(k - 1);
}
