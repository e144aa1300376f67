// CDirectoryList: the entries of a folder (or of a folder tree), read in
// batches, kept for sorting, with their paths, icons and link targets.
//
// The folder ":" lists the virtual roots (Windows only): the drive roots
// (named "C:" and so on), the special folders (virtual entries whose extra
// data is their file-system path) and, with DIRLIST_NETWORK, the network
// neighbourhood (a virtual entry whose extra data is "\\"; listing "\\"
// gives no entries where the system has no network neighbourhood).
#pragma once

#include <stdint.h>

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "files/fileops.h"

// Options of Open and Refresh. Without DIRLIST_FILES and DIRLIST_FOLDERS
// files are listed.
enum : unsigned {
  DIRLIST_NETWORK = 0x0400,      // the network neighbourhood at the root ":", and
                                 // display paths ("\\name\...") resolved
  DIRLIST_FIRST_MATCH = 0x0200,  // stop at the first entry listed
  DIRLIST_FILES = 0x1000,        // list files
  DIRLIST_RECURSIVE = 0x2000,    // walk the folders below (links are listed, not entered)
  DIRLIST_FOLDERS = 0x8000,      // list folders
};

// Entry attributes besides the FileFindData bits (FFD_*); in an entry the
// value 0x40 marks a link instead of the archive bit.
enum : uint32_t {
  DIRENT_LINK = 0x40,       // a shortcut to a folder; extra data: the target path
  DIRENT_VIRTUAL = 0x8000,  // not a plain file-system entry
};

// Sort keys and flags of Sort.
enum : unsigned {
  DIRSORT_MODIFIED = 4,          // modification time (DirEntryGetTime)
  DIRSORT_NAME = 0x2000,         // name in natural order, letter case ignored
  DIRSORT_DESCENDING = 0x8000,   // newest / last first
};

struct DirEntry : FileFindData {
  int64_t size64;    // the full size
  int folder;        // the folder the entry lies in (0: the listed folder)
  int icon;          // system icon index once asked for, -2 before
  unsigned iconFlags;
  int extra;         // offset of the extra data in the list, -1 none
  int extraSize;
};

// Results of Refresh.
enum : int {
  DIRLIST_CANCELLED = -1,  // the cancel flag was set while reading
  DIRLIST_FAILED = 0,      // the folder cannot be read (missing, no access)
  DIRLIST_DONE = 1,
};

// Test hook: called for every entry read (from the reading thread), so that
// a test can slow a listing down. Null: none.
typedef void (*DirListEntryHook)(const char* name);
void DirListSetEntryHook(DirListEntryHook hook);

// Modified time, else created, else accessed; -1 when none is known.
int64_t DirEntryGetTime(const DirEntry* entry);

class CDirectoryList {
 public:
  CDirectoryList();
  ~CDirectoryList();
  CDirectoryList(const CDirectoryList&) = delete;
  CDirectoryList& operator=(const CDirectoryList&) = delete;

  // Starts a listing of folder (null: the current folder; ":" the virtual
  // roots) with DIRLIST_* options. include and exclude are ";"-separated
  // name patterns with "*" and "?" (null: all, none). Include patterns pick
  // the entries that are listed; an excluded folder is also not entered.
  // Removes the previous entries. Nonzero when the folder can be listed.
  int Open(const char* folder, unsigned options, const char* include = nullptr,
           const char* exclude = nullptr);
  // The next entry, reading the next batch (one folder) when the entries
  // read so far are used up; null at the end. index and nameLength (either
  // may be null) get the entry's index and the length of its name. The pointer stays valid until the list is sorted,
  // refreshed or emptied. Sort also starts Next from the first entry again.
  DirEntry* Next(int* index = nullptr, int* nameLength = nullptr);
  // Open and read everything; Next then goes through the entries from the
  // first. DIRLIST_DONE, DIRLIST_FAILED when the folder cannot be opened or
  // read, DIRLIST_CANCELLED when the cancel flag stopped it (the entries
  // read so far stay).
  int Refresh(const char* folder, unsigned options, const char* include = nullptr,
              const char* exclude = nullptr);
  void RemoveAll();
  // A flag that another thread may set to stop a running Refresh or Next
  // between two entries; null for none. The flag outlives the list.
  void SetCancelFlag(const std::atomic<int>* flag) { m_cancel = flag; }
  bool IsCancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed) != 0; }
  void Sort(unsigned key, unsigned flags);

  int GetCount() const { return (int)m_entries.size(); }
  DirEntry* GetEntry(int index);
  int GetIndex(const DirEntry* entry) const;

  // Path text of an entry: form 0 the full path (the listed folder and the
  // entry's path below it), form 1 the path relative to the listed folder.
  // The text lives until the next path call on this object; length may be
  // null. Null for a bad index.
  const char* GetEntryFullPath(int index, int* length = nullptr, int form = 0);
  // The entry's full path (form 0 above).
  const char* GetEntryPath(const DirEntry* entry, int* length = nullptr);
  // The extra data of a virtual or link entry: a terminated path; null when
  // the entry has none. Valid until the list reads or drops entries.
  const void* GetEntryExtra(const DirEntry* entry, int* size = nullptr) const;
  // System icon index (SHGFI_* flags: 1 small, 2 open, 0x10 by attributes
  // only); -1 when unknown or where there is no shell.
  int GetEntryIconIndex(DirEntry* entry, unsigned flags);

  const char* GetFolder() const { return m_folder.c_str(); }

 private:
  struct Pattern {
    std::vector<std::string> items;
    bool Matches(const char* name) const;
  };
  bool ReadBatch();
  bool ReadFolder(int folderIndex);
  bool Wanted(const FioFindEntry& e) const;
  DirEntry* Add(const char* name, const FioInfo& info, int folder);
  int AddExtra(const char* text);
  // Windows shell parts (dirlist_shell.cpp; stubs natively)
  bool ListVirtualRoot();
  bool ResolveLink(const char* path, std::string& target);
  bool ResolveDisplayPath(const char* path, std::string& resolved);
  int ShellIconIndex(DirEntry* entry, unsigned flags);

  std::string m_folder;           // as given, with a trailing separator
  unsigned m_options;
  Pattern m_include, m_exclude;
  std::deque<DirEntry> m_entries;
  std::vector<std::string> m_folders;  // relative paths, with a trailing separator
  std::vector<int> m_pending;          // folders still to be read
  std::string m_extra;                 // extra data of all entries
  std::string m_path;                  // the last path handed out
  int m_next;                          // entry that Next returns next
  bool m_open, m_virtualRoot;
  bool m_readFailed = false;  // the listed folder itself could not be read
  const std::atomic<int>* m_cancel = nullptr;
  int m_folderIcon[4] = {-2, -2, -2, -2};  // a plain folder's icon by attributes (small, open)
};
