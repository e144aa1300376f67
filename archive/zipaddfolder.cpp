// Adding the files of a folder (tree) to a ZIP archive.
#include <stdio.h>
#include <string.h>

#include <string>

#include "archive/zipfile.h"
#include "files/dirlist.h"
#include "files/pathname.h"
#include "files/pathsafe.h"

int32_t CZipFile::AddFolder(const char* folder, const char* include, const char* exclude,
                            const char* prefix) {
  m_error = 0;
  if (m_mode < 2) {
    Fail(ZIPERR_WRITE, -1);
    return -1;
  }
  std::string pre = prefix ? prefix : "";
  if (!pre.empty() && pre[0] == '\\') pre.erase(0, 1);
  if (!pre.empty() && pre[0] == '/') pre.erase(0, 1);
  if (!pre.empty() && !PathIsSep(pre.back())) pre += '/';
  uint32_t savedOptions = m_options;
  m_options &= ~(uint32_t)ZIPOPT_AUTO_SORT;
  CDirectoryList list;
  unsigned listOptions = DIRLIST_FILES | ((savedOptions & ZIPOPT_WALK_FLAG) ? (unsigned)DIRLIST_RECURSIVE : 0u);
  int32_t added = 0;
  if (!list.Open(folder, listOptions, include, exclude)) {
    m_options = savedOptions;
    SetCurrentEntryName(folder);
    Fail(ZIPERR_SOURCE_OPEN, -1);
    return -1;
  }
  int index = 0;
  for (DirEntry* d = list.Next(&index); d; d = list.Next(&index)) {
    if (d->attributes & (FFD_DIRECTORY | DIRENT_VIRTUAL)) continue;
    std::string diskPath = list.GetEntryFullPath(index, nullptr, 0);
    // the archive itself, and its work copy, stay out
    char full[ARCHIVE_NAME_SIZE + 16];
    if (FioFullPath(full, sizeof full, diskPath.c_str()) >= 0 &&
        (PathCompareNoCaseA(full, m_name) == 0 ||
         (m_main.workPath[0] && PathCompareNoCaseA(full, m_main.workPath) == 0)))
      continue;
    const char* rel = list.GetEntryFullPath(index, nullptr, (savedOptions & ZIPOPT_WALK_FORM0) ? 0 : 1);
    if (!rel) continue;
    if (!(savedOptions & ZIPOPT_KEEP_DRIVE)) {
      for (const char* p = rel; *p; p++) {
        if (*p == ':') {
          rel = p + 1;
          break;
        }
        if (PathIsSep(*p)) break;
      }
    }
    while (PathIsSep(*rel)) rel++;
    std::string name = pre + rel;
    if (name.size() >= 512) continue;
    int32_t existing = FindEntry(name.c_str());
    if (existing >= 0) {
      if (savedOptions & ZIPOPT_KEEP_EXISTING) continue;
      if ((savedOptions & ZIPOPT_ONLY_NEWER) &&
          !(DirEntryGetTime(d) > (int64_t)m_entries[existing]->modified))
        continue;
    }
    m_addName = name.c_str();
    if (NotifyEnabled(ZIPN_SKIP) && Notify(ZIPN_SKIP, m_count)) {
      m_addName = nullptr;
      continue;
    }
    FileFindData info = *d;
    if (AddFileWithRetry(diskPath.c_str(), &info, existing >= 0) == 0) added++;
    m_addName = nullptr;
  }
  m_addName = nullptr;
  m_options = savedOptions;
  if ((m_options & ZIPOPT_AUTO_SORT) && added) Sort(0);
  return added;
}
