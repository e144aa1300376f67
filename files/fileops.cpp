// File and folder operations on the thin file layer.
#include "files/fileops.h"

#include <string.h>

#include <string>
#include <vector>

#include "files/filetime.h"
#include "files/pathname.h"
#include "files/pathsafe.h"

namespace {


}  // namespace

void FileFindDataFromInfo(const FioInfo& info, const char* name, FileFindData* d) {
  uint32_t a = FFD_READABLE;
  if (!(info.attributes & FIO_ATTR_READONLY)) a |= FFD_WRITABLE;
  if (info.attributes & FIO_ATTR_DIRECTORY) a |= FFD_DIRECTORY;
  if (info.attributes & FIO_ATTR_HIDDEN) a |= FFD_HIDDEN;
  if (info.attributes & FIO_ATTR_ARCHIVE) a |= FFD_ARCHIVE;
  if (info.attributes & FIO_ATTR_SYSTEM) a |= FFD_SYSTEM;
  uint64_t size = info.size > 0 ? (uint64_t)info.size : 0;
  if (size >> 38) size = ((uint64_t)1 << 38) - 1;  // what the record can hold
  a |= (uint32_t)((size >> 32) << FFD_SIZE_HIGH_SHIFT) & FFD_SIZE_HIGH_MASK;
  d->attributes = a;
  d->size = (uint32_t)size;
  d->created = FileTicksToSeconds32(info.created);
  d->accessed = FileTicksToSeconds32(info.accessed);
  d->modified = FileTicksToSeconds32(info.modified);
  size_t n = name ? strlen(name) : 0;
  if (n >= sizeof d->name) n = sizeof d->name - 1;
  if (n) memcpy(d->name, name, n);
  d->name[n] = 0;
}

namespace {

bool IsDir(const std::string& path) {
  FioInfo info;
  return FioStat(path.c_str(), &info) == 0 && (info.attributes & FIO_ATTR_DIRECTORY);
}

// Length of the part of path that names a root and cannot be created:
// "C:\", "\\server\share\", "/", "\".
size_t RootPrefix(const std::string& p) {
  if (p.size() >= 2 && p[1] == ':') return (p.size() >= 3 && PathIsSep(p[2])) ? 3 : 2;
  if (p.size() >= 2 && PathIsSep(p[0]) && PathIsSep(p[1])) {
    size_t i = 2;
    for (int part = 0; part < 2 && i < p.size(); ++part) {
      while (i < p.size() && !PathIsSep(p[i])) ++i;
      if (i < p.size()) ++i;
    }
    return i;
  }
  return (!p.empty() && PathIsSep(p[0])) ? 1 : 0;
}

bool SamePath(const char* a, const char* b) { return PathCompareNoCaseA(a, b) == 0; }

bool RemoveEmptyDir(const std::string& path) {
  if (FioRemoveDir(path.c_str())) return true;
  // a read-only folder refuses removal under Windows
  FioSetReadOnly(path.c_str(), 0);
  return FioRemoveDir(path.c_str()) != 0;
}

struct Child {
  std::string name;
  uint32_t attributes;
};

// Deletes what lies in dir; dirFinal is dir with every link resolved ("" when
// unknown). Returns true when everything went.
bool DeleteContents(const std::string& dir, const std::string& dirFinal, int depth, const DirCancel* cancel) {
  if (depth > 256) return false;
  std::vector<Child> children;
  FioFindEntry e;
  int err = 0;
  std::string pattern = dir + FIO_SEP + "*";
  FioHandle h = FioFindFirst(pattern.c_str(), &e, &err);
  if (h == FIO_INVALID) return err == FIO_ERR_NOT_FOUND;  // empty folder
  do children.push_back(Child{e.name, e.info.attributes});
  while (FioFindNext(h, &e));
  FioFindClose(h);

  bool ok = true;
  for (const Child& c : children) {
    if (cancel && cancel->cancelled(cancel->arg)) return false;
    std::string path = dir + FIO_SEP + c.name;
    if (c.attributes & FIO_ATTR_REPARSE) {
      // the link itself goes, never what it points at
      bool gone = (c.attributes & FIO_ATTR_DIRECTORY) ? FioRemoveDir(path.c_str()) != 0
                                                      : FileDeleteA(path.c_str()) != 0;
      ok = ok && gone;
      continue;
    }
    if (c.attributes & FIO_ATTR_DIRECTORY) {
      // A folder that resolves to somewhere else is a link that the system
      // does not mark as one: remove it only if it is an empty link.
      char fin[1024];
      std::string childFinal;
      if (!dirFinal.empty() && FioFinalPath(fin, sizeof fin, path.c_str()) >= 0) childFinal = fin;
      std::string expected = dirFinal + FIO_SEP + c.name;
      if (!dirFinal.empty() && !SamePath(childFinal.c_str(), expected.c_str())) {
        ok = FioRemoveDir(path.c_str()) && ok;
        continue;
      }
      bool inner = DeleteContents(path, childFinal, depth + 1, cancel);
      ok = RemoveEmptyDir(path) && inner && ok;
      continue;
    }
    // Wine shows a Unix link to a file as a plain file, and deleting it
    // would delete its target: a file that resolves elsewhere stays.
    if (!dirFinal.empty()) {
      char fin[1024];
      std::string expected = dirFinal + FIO_SEP + c.name;
      if (FioFinalPath(fin, sizeof fin, path.c_str()) < 0 || !SamePath(fin, expected.c_str())) {
        ok = false;
        continue;
      }
    }
    ok = FileDeleteA(path.c_str()) && ok;
  }
  return ok;
}

std::string StripTrailingSeparators(const char* path) {
  std::string p(path);
  size_t root = RootPrefix(p);
  while (p.size() > root && p.size() > 1 && PathIsSep(p.back())) p.pop_back();
  return p;
}

}  // namespace

int64_t FileFindDataSize(const FileFindData* d) {
  if (!d) return 0;
  return (int64_t)(((uint64_t)((d->attributes & FFD_SIZE_HIGH_MASK) >> FFD_SIZE_HIGH_SHIFT) << 32) | d->size);
}

intptr_t FileFindFirstA(const char* pattern, FileFindData* data, int* error) {
  FioFindEntry e;
  int err = FIO_ERR_OTHER;
  FioHandle h = FioFindFirst(pattern, &e, &err);
  if (error) *error = err;
  if (h == FIO_INVALID) return 0;
  if (data) FileFindDataFromInfo(e.info, e.name, data);
  return (intptr_t)h;  // a find handle is never 0
}

int FileFindNextA(intptr_t handle, FileFindData* data) {
  if (handle == 0) return 0;
  FioFindEntry e;
  if (!FioFindNext((FioHandle)handle, &e)) return 0;
  if (data) FileFindDataFromInfo(e.info, e.name, data);
  return 1;
}

int FileFindClose(intptr_t handle) {
  if (handle == 0 || handle == (intptr_t)FIO_INVALID) return -1;
  FioFindClose((FioHandle)handle);
  return 0;
}

int FileGetFindDataA(const char* path, FileFindData* data) {
  FioInfo info;
  int r = FioStat(path, &info);
  if (r != 0) return r;
  if (data) {
    std::string p = StripTrailingSeparators(path);
    int nlen = 0;
    const char* name = PathFindNameA((int)p.size(), p.c_str(), &nlen);
    std::string n(name, (size_t)nlen);
    FileFindDataFromInfo(info, n.c_str(), data);
  }
  return 0;
}

int64_t FileGetSizeA(const char* path) {
  FioInfo info;
  if (FioStat(path, &info) != 0 || (info.attributes & FIO_ATTR_DIRECTORY)) return -1;
  if (info.attributes & FIO_ATTR_REPARSE) {
    // a link to a file: the size of what it points at
    FioHandle h = FioOpen(path, FIO_READ | FIO_SHARE_READ);
    if (h == FIO_INVALID) return -1;
    int64_t size = FioSize(h);
    FioClose(h);
    return size;
  }
  return info.size;
}

int FileReadA(const char* path, void* buffer, int size, unsigned flags) {
  if (!buffer || size < 1) return 0;
  char* b = (char*)buffer;
  b[0] = 0;
  if (size > 1) b[1] = 0;
  if (size < 2) return 0;
  FioHandle h = FioOpen(path, FIO_READ | FIO_SHARE_READ);
  if (h == FIO_INVALID) return 0;
  ptrdiff_t got = FioRead(h, b, (size_t)(size - 2));
  FioClose(h);
  if (got < 0) got = 0;
  b[got] = 0;
  b[got + 1] = 0;
  return (int)got;
}

int FileWriteA(const char* path, const void* data, int size, unsigned flags) {
  if (!path || !*path || size < 0 || (!data && size > 0)) return -1;
  int nlen = 0;
  const char* name = PathFindNameA(-1, path, &nlen);
  if (nlen == 0) return -1;
  std::string folder(path, (size_t)(name - path));
  if (folder.empty()) folder = ".";
  char temp[1024];
  if (FioMakeTempFile(temp, sizeof temp, folder.c_str(), "~wr") < 0) return -1;
  FioHandle h = FioOpen(temp, FIO_RW | FIO_TRUNCATE);
  bool ok = h != FIO_INVALID && FioWrite(h, data, (size_t)size) == size && FioFlush(h);
  if (!FioClose(h)) ok = false;
  if (ok) ok = FioReplace(temp, path) != 0;
  if (!ok) {
    FioDelete(temp);
    return -1;
  }
  return size;
}

int FileDeleteA(const char* path) { return FioDelete(path); }

int FileSetTimesA(const char* path, int64_t modified, int64_t created, int64_t accessed) {
  auto ticks = [](int64_t s) -> int64_t {
    if (s < 0) return -1;
    return (s + 11644473600LL) * 10000000LL;
  };
  if (modified > 0x3FFFFFFFFFLL || created > 0x3FFFFFFFFFLL || accessed > 0x3FFFFFFFFFLL) return 0;
  return FioSetTimes(path, ticks(modified), ticks(created), ticks(accessed));
}

int DirCreateA(const char* path) {
  if (!path || !*path) return 0;
  std::string p = StripTrailingSeparators(path);
  FioInfo info;
  if (FioStat(p.c_str(), &info) == 0) return (info.attributes & FIO_ATTR_DIRECTORY) ? 2 : 0;
  size_t root = RootPrefix(p);
  if (root >= p.size()) return 0;  // a missing root cannot be made
  for (size_t i = root; i <= p.size(); ++i) {
    if (i < p.size() && !PathIsSep(p[i])) continue;
    if (i == root || PathIsSep(p[i - 1])) continue;  // doubled separators
    std::string part = p.substr(0, i);
    if (FioStat(part.c_str(), &info) == 0) {
      if (!(info.attributes & FIO_ATTR_DIRECTORY)) return 0;
      continue;
    }
    if (!FioMakeDir(part.c_str()) && !IsDir(part)) return 0;
  }
  return IsDir(p) ? 1 : 0;
}

int DirCreateExA(const char* path, int n) {
  if (!path) return 0;
  int len = (int)strlen(path);
  if (n == DIRCREATE_PARENT) {
    const char* name = PathFindNameA(len, path, nullptr);
    n = (int)(name - path);
    if (n == 0) return 2;  // no folder part: the current folder
  }
  if (n < 0 || n > len) n = len;
  std::string p(path, (size_t)n);
  return DirCreateA(p.c_str());
}

int DirDeleteTreeA(const char* path, unsigned flags) { return DirDeleteTreeCancelA(path, flags, nullptr); }

int DirDeleteTreeCancelA(const char* path, unsigned flags, const DirCancel* cancel) {
  if (!path || !*path) return 0;
  std::string p = StripTrailingSeparators(path);
  FioInfo info;
  if (FioStat(p.c_str(), &info) != 0 || !(info.attributes & FIO_ATTR_DIRECTORY)) return 0;
  if (info.attributes & FIO_ATTR_REPARSE) {
    // the tree is a link: only the link itself may go
    if (flags & DIRTREE_KEEP_ROOT) return -1;
    return FioRemoveDir(p.c_str()) ? 1 : -1;
  }
  char fin[1024];
  std::string rootFinal;
  if (FioFinalPath(fin, sizeof fin, p.c_str()) >= 0) rootFinal = fin;
  bool ok = DeleteContents(p, rootFinal, 0, cancel);
  if (cancel && cancel->cancelled(cancel->arg)) return -2;
  if (!(flags & DIRTREE_KEEP_ROOT)) ok = RemoveEmptyDir(p) && ok;
  return ok ? 1 : -1;
}
