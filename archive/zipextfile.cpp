// Extracting entries to disk files: safe target names; an existing file is
// replaced only by a complete temporary file beside it.
#include <stdio.h>
#include <string.h>

#include "archive/zipfile.h"
#include "files/fileops.h"
#include "files/pathsafe.h"

#define ZIP_PATH_SIZE 520


int ZipSafeRelativePath(const char* name, char* out, int size) {
  return PathSafeRelative(name, out, size > 0 ? (size_t)size : 0, PSC_DROP_DRIVE);
}

namespace {

struct FileSink {
  FioHandle h;
};

int FileWrite(void* context, void* data, int length) {
  FileSink* f = (FileSink*)context;
  if (length <= 0) return 0;
  return FioWrite(f->h, data, (size_t)length) == length ? length : -1;
}

}  // namespace

ZipErrorCode CZipFile::ExtractToFileCore(int32_t index, const char* path) {
  ZipEntry* e = Entry(index);
  if (!e || !e->valid) return Fail(ZIPERR_BAD_INDEX, index);
  bool isDir = (e->externalAttributes & 0x10) != 0;
  char target[ZIP_PATH_SIZE];
  if (!path || !*path) path = "./";
  size_t plen = strlen(path);
  if (PathIsSep(path[plen - 1])) {
    char folder[ZIP_PATH_SIZE];
    if (plen >= 256 || FioFullPath(folder, sizeof folder, path) < 0 || strlen(folder) >= 260)
      return Fail(ZIPERR_PATH, index);
    char rel[ZIP_PATH_SIZE];
    int k = ZipSafeRelativePath(e->name, rel, sizeof rel);
    if (k < 0 || (k == 0 && !isDir)) return Fail(ZIPERR_PATH, index);
    if (k == 0) {
      // a folder entry naming the target itself ("./" from bsdtar)
      SetCurrentEntryName(e->name);
      e->mark = 1;
      return 0;
    }
    size_t flen = strlen(folder);
    const char* sep = flen && PathIsSep(folder[flen - 1]) ? "" : "/";
    if ((size_t)snprintf(target, sizeof target, "%s%s%s", folder, sep, rel) >= 260)
      return Fail(ZIPERR_PATH, index);
  } else {
    if (plen >= 260) return Fail(ZIPERR_PATH, index);
    snprintf(target, sizeof target, "%s", path);
  }
  SetCurrentEntryName(e->name);
  FileFindData t;
  bool exists = FileGetFindDataA(target, &t) == 0;
  if (exists) {
    bool directory = (t.attributes & FFD_DIRECTORY) != 0;
    // a user's folder is never moved or replaced by a file
    if (directory && !isDir) return Fail(ZIPERR_TARGET_CREATE, index);
    if ((m_options & ZIPOPT_KEEP_DRIVE) && !(t.attributes & FFD_WRITABLE) && !directory) {
      e->mark = 1;
      return 0;
    }
    if (m_options & ZIPOPT_KEEP_EXISTING) {
      e->mark = 1;
      return 0;
    }
    if ((m_options & ZIPOPT_ONLY_NEWER) && !(e->modified > (int32_t)t.modified)) {
      e->mark = 1;
      return 0;
    }
  }
  if (isDir) {
    int rc = DirCreateA(target);
    if (!rc) return Fail(ZIPERR_TARGET_CREATE, index);
    e->mark = rc == 2 ? 1 : 2;
    return 0;
  }
  // A new file is written under its own name (created only if it is still
  // missing, deleted again on failure); an existing one is replaced only by
  // a complete temporary file beside it.
  char temp[ZIP_PATH_SIZE + 16];
  const char* written = target;
  FileSink sink = {FIO_INVALID};
  if (!exists) {
    sink.h = FioOpen(target, FIO_WRITE | FIO_CREATE_NEW);
    if (sink.h == FIO_INVALID && DirCreateExA(target, DIRCREATE_PARENT))
      sink.h = FioOpen(target, FIO_WRITE | FIO_CREATE_NEW);
  }
  if (sink.h == FIO_INVALID) {
    char folder[ZIP_PATH_SIZE];
    snprintf(folder, sizeof folder, "%s", target);
    char* cut = folder;
    for (char* q = folder; *q; q++)
      if (PathIsSep(*q)) cut = q + 1;
    *cut = 0;
    char where[ZIP_PATH_SIZE];
    if (FioFullPath(where, sizeof where, folder[0] ? folder : ".") < 0) return Fail(ZIPERR_PATH, index);
    sink.h = FioCreateTemp(temp, sizeof temp, where, "AF_");
    if (sink.h == FIO_INVALID) {
      DirCreateExA(target, DIRCREATE_PARENT);
      sink.h = FioCreateTemp(temp, sizeof temp, where, "AF_");
      if (sink.h == FIO_INVALID) return Fail(ZIPERR_TARGET_CREATE, index);
    }
    written = temp;
  }
  FileFindData info;
  ZipErrorCode rc = ExtractEntry(index, &sink, FileWrite, &info);
  if (rc == 0) {
    // times before the close: the read-only attribute would refuse them later
    auto ticks = [](int64_t seconds) { return seconds < 0 ? -1 : (seconds + 11644473600LL) * 10000000LL; };
    int64_t created = e->created == 0 || e->created == -1 ? -1 : e->created;
    int64_t accessed = e->accessed == 0 || e->accessed == -1 ? -1 : e->accessed;
    int64_t modified = e->modified == -1 ? -1 : e->modified;
    FioSetHandleTimes(sink.h, ticks(modified), ticks(created), ticks(accessed));
  }
  if (rc == 0 && written == temp) {
    if (!FioCloseOnto(sink.h, temp, target)) {
      FioDelete(temp);
      return Fail(ZIPERR_TARGET_CREATE, index);
    }
  } else {
    bool closed = FioClose(sink.h) != 0;
    if (rc == 0 && !closed) rc = Fail(ZIPERR_TARGET_WRITE, index);
    if (rc != 0) {
      FioDelete(written);
      return rc;
    }
  }
  if (info.attributes & 2) FioSetReadOnly(target, 1);
  e->mark = 2;
  return 0;
}

ZipErrorCode CZipFile::ExtractToFile(int32_t index, const char* path) {
  int32_t previous = BeginProgress(1);
  m_error = 0;
  SetCurrentEntryName(nullptr);
  ZipErrorCode rc;
  if (NotifyEnabled(ZIPN_READ) && Notify(ZIPN_READ, index))
    rc = m_error = ZIPERR_ABORT;
  else if (NotifyEnabled(ZIPN_SKIP) && Notify(ZIPN_SKIP, index))
    rc = m_error = ZIPERR_SKIPPED;
  else
    rc = ExtractToFileCore(index, path);
  if (previous != 2) BeginProgress(0);
  return rc;
}

ZipErrorCode CZipFile::ExtractAll(const char* folder, int32_t* failures) {
  BeginProgress(2);
  int32_t failed = 0;
  if (m_mode == 0) {
    if (failures) *failures = 0;
    return Fail(ZIPERR_BAD_INDEX, -1);
  }
  char base[ZIP_PATH_SIZE];
  if (!folder || !*folder) folder = "./";
  size_t n = strlen(folder);
  snprintf(base, sizeof base, "%s%s", folder, PathIsSep(folder[n - 1]) ? "" : "/");
  for (int32_t i = 0; i < m_count; i++) {
    ZipEntry* e = m_entries[i];
    if (e->deleted || !e->valid) continue;
    ZipErrorCode rc = ExtractToFile(i, base);
    if (rc == ZIPERR_ABORT) break;
    if (rc != 0 && rc != ZIPERR_SKIPPED && rc != ZIPERR_BAD_INDEX) failed++;
  }
  BeginProgress(0);
  if (failures) *failures = failed;
  return 0;
}
