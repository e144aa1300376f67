// CDirectoryList: listing folders and folder trees on the thin file layer.
#include "files/dirlist.h"

#include <string.h>

#include <algorithm>

#include "text/strcompare.h"
#include "files/pathsafe.h"

namespace {


bool EndsWithNoCase(const char* s, const char* tail) {
  size_t n = strlen(s), t = strlen(tail);
  if (n < t) return false;
  return FioMatchWild(tail, (int)t, s + n - t) != 0;
}

std::atomic<DirListEntryHook> g_entryHook{nullptr};

}  // namespace

void DirListSetEntryHook(DirListEntryHook hook) { g_entryHook.store(hook); }

int64_t DirEntryGetTime(const DirEntry* e) {
  if (!e) return -1;
  if (e->modified) return e->modified;
  if (e->created) return e->created;
  if (e->accessed) return e->accessed;
  return -1;
}

bool CDirectoryList::Pattern::Matches(const char* name) const {
  for (const std::string& p : items)
    if (FioMatchWild(p.c_str(), (int)p.size(), name)) return true;
  return false;
}

static void ParsePatterns(const char* text, std::vector<std::string>& out) {
  out.clear();
  if (!text) return;
  const char* p = text;
  while (*p) {
    const char* e = p;
    while (*e && *e != ';') ++e;
    const char* a = p;
    const char* b = e;
    while (a < b && (*a == ' ' || *a == '\t')) ++a;
    while (b > a && (b[-1] == ' ' || b[-1] == '\t')) --b;
    if (b > a) out.emplace_back(a, (size_t)(b - a));
    p = *e ? e + 1 : e;
  }
}

CDirectoryList::CDirectoryList() : m_options(0), m_next(0), m_open(false), m_virtualRoot(false) {}

CDirectoryList::~CDirectoryList() { RemoveAll(); }

void CDirectoryList::RemoveAll() {
  m_entries.clear();
  m_folders.clear();
  m_pending.clear();
  m_extra.clear();
  m_path.clear();
  m_next = 0;
  m_open = false;
  m_virtualRoot = false;
  m_readFailed = false;
}

int CDirectoryList::Open(const char* folder, unsigned options, const char* include, const char* exclude) {
  RemoveAll();
  m_options = options;
  ParsePatterns(include, m_include.items);
  ParsePatterns(exclude, m_exclude.items);
  if (!folder || !*folder) folder = ".";
  m_folder = folder;
  m_folders.push_back("");
  if (m_folder == ":") {
    m_virtualRoot = true;
    m_open = ListVirtualRoot();
    return m_open ? 1 : 0;
  }
  std::string resolved;
  if ((options & DIRLIST_NETWORK) && m_folder.size() > 2 && PathIsSep(m_folder[0]) && PathIsSep(m_folder[1]) &&
      ResolveDisplayPath(m_folder.c_str(), resolved))
    m_folder = resolved;
  if (m_folder.size() == 2 && PathIsSep(m_folder[0]) && PathIsSep(m_folder[1])) {
    // the network neighbourhood: nothing to list without a network
    m_open = true;
    return 1;
  }
  if (!PathIsSep(m_folder.back())) m_folder += FIO_SEP;
  FioInfo info;
  std::string probe = m_folder;
  if (probe.size() > 1 && probe[probe.size() - 2] != ':') probe.pop_back();
  if (FioStat(probe.c_str(), &info) != 0 || !(info.attributes & FIO_ATTR_DIRECTORY)) return 0;
  m_pending.push_back(0);
  m_open = true;
  return 1;
}

DirEntry* CDirectoryList::Next(int* index, int* nameLength) {
  while (m_next >= (int)m_entries.size()) {
    if (!m_open || m_pending.empty() || IsCancelled()) {
      if (index) *index = -1;
      if (nameLength) *nameLength = 0;
      return nullptr;
    }
    ReadBatch();
  }
  if (index) *index = m_next;
  DirEntry* e = &m_entries[(size_t)m_next++];
  if (nameLength) *nameLength = (int)strlen(e->name);
  return e;
}

int CDirectoryList::Refresh(const char* folder, unsigned options, const char* include, const char* exclude) {
  if (IsCancelled()) return DIRLIST_CANCELLED;
  if (!Open(folder, options, include, exclude)) return IsCancelled() ? DIRLIST_CANCELLED : DIRLIST_FAILED;
  while (!m_pending.empty() && !IsCancelled()) ReadBatch();
  m_next = 0;
  if (IsCancelled()) return DIRLIST_CANCELLED;
  return m_readFailed ? DIRLIST_FAILED : DIRLIST_DONE;
}

bool CDirectoryList::ReadBatch() {
  if (m_pending.empty()) return false;
  int folder = m_pending.back();
  m_pending.pop_back();
  return ReadFolder(folder);
}

bool CDirectoryList::Wanted(const FioFindEntry& e) const {
  bool isDir = (e.info.attributes & FIO_ATTR_DIRECTORY) != 0;
  bool files = (m_options & DIRLIST_FILES) || !(m_options & (DIRLIST_FILES | DIRLIST_FOLDERS));
  bool folders = (m_options & DIRLIST_FOLDERS) != 0;
  if (isDir ? !folders : !files) return false;
  return m_include.items.empty() || m_include.Matches(e.name);
}

bool CDirectoryList::ReadFolder(int folderIndex) {
  std::string rel = m_folders[(size_t)folderIndex];
  std::string pattern = m_folder + rel + "*";
  FioFindEntry e;
  int err = 0;
  FioHandle h = FioFindFirst(pattern.c_str(), &e, &err);
  if (h == FIO_INVALID) {
    if (err == FIO_ERR_NOT_FOUND) return true;
    if (folderIndex == 0) m_readFailed = true;
    return false;
  }
  std::vector<int> subfolders;
  bool stop = false;
  do {
    if (DirListEntryHook hook = g_entryHook.load(std::memory_order_relaxed)) hook(e.name);
    if (IsCancelled()) {
      stop = true;
      break;
    }
    if (m_exclude.Matches(e.name)) continue;
    bool isDir = (e.info.attributes & FIO_ATTR_DIRECTORY) != 0;
    if (isDir && (m_options & DIRLIST_RECURSIVE) && !(e.info.attributes & FIO_ATTR_REPARSE)) {
      m_folders.push_back(rel + e.name + FIO_SEP);
      subfolders.push_back((int)m_folders.size() - 1);
    }
    if (!isDir && (m_options & DIRLIST_FOLDERS) && EndsWithNoCase(e.name, ".lnk")) {
      // a shortcut to a folder is listed as a folder
      std::string target;
      if (ResolveLink((m_folder + rel + e.name).c_str(), target)) {
        std::string name(e.name, strlen(e.name) - 4);
        if (m_include.items.empty() || m_include.Matches(name.c_str())) {
          FioInfo info = e.info;
          info.attributes = FIO_ATTR_DIRECTORY;
          info.size = 0;
          DirEntry* d = Add(name.c_str(), info, folderIndex);
          d->attributes |= DIRENT_VIRTUAL | DIRENT_LINK;
          d->extraSize = (int)target.size() + 1;
          d->extra = AddExtra(target.c_str());
          stop = (m_options & DIRLIST_FIRST_MATCH) != 0;
        }
        continue;
      }
    }
    if (!Wanted(e)) continue;
    Add(e.name, e.info, folderIndex);
    stop = (m_options & DIRLIST_FIRST_MATCH) != 0;
  } while (!stop && FioFindNext(h, &e));
  FioFindClose(h);
  if (stop) {
    m_pending.clear();
    return true;
  }
  // read the subfolders next, in listing order
  for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) m_pending.push_back(*it);
  return true;
}

DirEntry* CDirectoryList::Add(const char* name, const FioInfo& info, int folder) {
  DirEntry d;
  FileFindDataFromInfo(info, name, &d);
  d.attributes &= ~(uint32_t)FFD_ARCHIVE;  // 0x40 means a link here
  d.size64 = info.size;
  d.folder = folder;
  d.icon = -2;
  d.iconFlags = 0;
  d.extra = -1;
  d.extraSize = 0;
  m_entries.push_back(d);
  return &m_entries.back();
}

int CDirectoryList::AddExtra(const char* text) {
  int at = (int)m_extra.size();
  m_extra.append(text);
  m_extra.push_back('\0');
  return at;
}

void CDirectoryList::Sort(unsigned key, unsigned flags) {
  bool desc = (flags & DIRSORT_DESCENDING) != 0;
  if (key == DIRSORT_NAME) {
    std::stable_sort(m_entries.begin(), m_entries.end(), [desc](const DirEntry& a, const DirEntry& b) {
      int c = StrCompareNaturalNoCaseA(a.name, b.name);
      return desc ? c > 0 : c < 0;
    });
  } else if (key == DIRSORT_MODIFIED) {
    std::stable_sort(m_entries.begin(), m_entries.end(), [desc](const DirEntry& a, const DirEntry& b) {
      int64_t ta = DirEntryGetTime(&a), tb = DirEntryGetTime(&b);
      return desc ? ta > tb : ta < tb;
    });
  }
  m_next = 0;
}

DirEntry* CDirectoryList::GetEntry(int index) {
  if (index < 0 || index >= (int)m_entries.size()) return nullptr;
  return &m_entries[(size_t)index];
}

int CDirectoryList::GetIndex(const DirEntry* entry) const {
  for (size_t i = 0; i < m_entries.size(); ++i)
    if (&m_entries[i] == entry) return (int)i;
  return -1;
}

const char* CDirectoryList::GetEntryFullPath(int index, int* length, int form) {
  const DirEntry* e = GetEntry(index);
  if (!e) {
    if (length) *length = 0;
    return nullptr;
  }
  if (m_virtualRoot) {
    if (e->extra >= 0) m_path = m_extra.c_str() + e->extra;  // a special folder's path
    else m_path = std::string(e->name) + FIO_SEP;        // a drive root
  } else if (form == 1) {
    m_path = m_folders[(size_t)e->folder] + e->name;
  } else {
    m_path = m_folder + m_folders[(size_t)e->folder] + e->name;
  }
  if (length) *length = (int)m_path.size();
  return m_path.c_str();
}

const char* CDirectoryList::GetEntryPath(const DirEntry* entry, int* length) {
  return GetEntryFullPath(GetIndex(entry), length, 0);
}

const void* CDirectoryList::GetEntryExtra(const DirEntry* entry, int* size) const {
  if (size) *size = 0;
  if (!entry || entry->extra < 0 || entry->extra >= (int)m_extra.size()) return nullptr;
  if (size) *size = entry->extraSize;
  return m_extra.c_str() + entry->extra;
}

int CDirectoryList::GetEntryIconIndex(DirEntry* entry, unsigned flags) {
  if (!entry) return -1;
  if (entry->icon != -2 && entry->iconFlags == flags) return entry->icon;
  int icon = ShellIconIndex(entry, flags);
  entry->icon = icon;
  entry->iconFlags = flags;
  return icon;
}
