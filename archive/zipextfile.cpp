// Extracting entries to disk files: safe target names, a temporary file
// beside the target that replaces it only after a complete extraction.
#include <stdio.h>
#include <string.h>

#include "archive/zipfile.h"
#include "files/fileops.h"

#define ZIP_PATH_SIZE 520

namespace {

bool IsSep(char c) { return c == '/' || c == '\\'; }

bool IsDeviceName(const char* s, size_t n) {
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  size_t base = 0;
  while (base < n && s[base] != '.') base++;
  char up[8];
  if (base >= sizeof up) return false;
  for (size_t i = 0; i < base; i++) up[i] = (char)(s[i] >= 'a' && s[i] <= 'z' ? s[i] - 32 : s[i]);
  up[base] = 0;
  for (const char* name : kNames)
    if (!strcmp(up, name)) return true;
  if (base == 4 && (!strncmp(up, "COM", 3) || !strncmp(up, "LPT", 3)) && up[3] >= '0' &&
      up[3] <= '9')
    return true;
  return false;
}

}  // namespace

// Reserved characters become "_", trailing dots and blanks go (Windows
// drops them, so ". ." would turn into "..").
int ZipSafeRelativePath(const char* name, char* out, int size) {
  int n = 0;
  const char* p = name;
  while (*p) {
    while (IsSep(*p)) p++;
    const char* start = p;
    while (*p && !IsSep(*p)) p++;
    size_t len = (size_t)(p - start);
    char part[512];
    if (len >= sizeof part) return -1;
    // a drive prefix ("C:") in front of a component is dropped
    if (len >= 2 && start[1] == ':') {
      start += 2;
      len -= 2;
    }
    size_t k = 0;
    for (size_t i = 0; i < len; i++) {
      unsigned char c = (unsigned char)start[i];
      bool bad = c < 0x20 || c == 0x7F || c == ':' || c == '<' || c == '>' || c == '"' ||
                 c == '|' || c == '?' || c == '*';
      part[k++] = bad ? '_' : (char)c;
    }
    // Windows drops trailing dots and blanks: ". ." would become ".."
    while (k && (part[k - 1] == '.' || part[k - 1] == ' ')) k--;
    if (!k) continue;
    part[k] = 0;
    bool device = IsDeviceName(part, k);
    int need = (n ? 1 : 0) + (device ? 1 : 0) + (int)k;
    if (n + need >= size) return -1;
    if (n) out[n++] = '/';
    if (device) out[n++] = '_';
    memcpy(out + n, part, k);
    n += (int)k;
  }
  if (!n) return -1;
  out[n] = 0;
  return n;
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
  char target[ZIP_PATH_SIZE];
  if (!path || !*path) path = "./";
  size_t plen = strlen(path);
  if (IsSep(path[plen - 1])) {
    char folder[ZIP_PATH_SIZE];
    if (plen >= 256 || FioFullPath(folder, sizeof folder, path) < 0 || strlen(folder) >= 260)
      return Fail(ZIPERR_PATH, index);
    char rel[ZIP_PATH_SIZE];
    if (ZipSafeRelativePath(e->name, rel, sizeof rel) < 0) return Fail(ZIPERR_PATH, index);
    size_t flen = strlen(folder);
    const char* sep = flen && IsSep(folder[flen - 1]) ? "" : "/";
    if ((size_t)snprintf(target, sizeof target, "%s%s%s", folder, sep, rel) >= 260)
      return Fail(ZIPERR_PATH, index);
  } else {
    if (plen >= 260) return Fail(ZIPERR_PATH, index);
    snprintf(target, sizeof target, "%s", path);
  }
  SetCurrentEntryName(e->name);
  bool isDir = (e->externalAttributes & 0x10) != 0;
  if (m_options & (ZIPOPT_ONLY_NEWER | ZIPOPT_KEEP_DRIVE | ZIPOPT_KEEP_EXISTING)) {
    FileFindData t;
    if (FileGetFindDataA(target, &t) == 0) {
      bool directory = (t.attributes & FFD_DIRECTORY) != 0;
      if ((m_options & ZIPOPT_KEEP_DRIVE) && !(t.attributes & FFD_WRITABLE) && !directory) {
        e->mark = 1;
        return 0;
      }
      if (m_options & ZIPOPT_KEEP_EXISTING) {
        e->mark = 1;
        return 0;
      }
      if (directory && !isDir) return Fail(ZIPERR_TARGET_CREATE, index);
      if ((m_options & ZIPOPT_ONLY_NEWER) && !(e->modified > (int32_t)t.modified)) {
        e->mark = 1;
        return 0;
      }
    }
  }
  if (isDir) {
    int rc = DirCreateA(target);
    if (!rc) return Fail(ZIPERR_TARGET_CREATE, index);
    e->mark = rc == 2 ? 1 : 2;
    return 0;
  }
  // the data go to a temporary file beside the target first
  char folder[ZIP_PATH_SIZE];
  snprintf(folder, sizeof folder, "%s", target);
  char* cut = folder;
  for (char* q = folder; *q; q++)
    if (IsSep(*q)) cut = q + 1;
  *cut = 0;
  char temp[ZIP_PATH_SIZE + 16];
  const char* where = folder[0] ? folder : ".";
  if (FioMakeTempFile(temp, sizeof temp, where, "AF_") < 0) {
    DirCreateExA(target, DIRCREATE_PARENT);
    if (FioMakeTempFile(temp, sizeof temp, where, "AF_") < 0) return Fail(ZIPERR_TARGET_CREATE, index);
  }
  FileSink sink = {FioOpen(temp, FIO_RW)};
  if (sink.h == FIO_INVALID) {
    FioDelete(temp);
    return Fail(ZIPERR_TARGET_CREATE, index);
  }
  FileFindData info;
  ZipErrorCode rc = ExtractEntry(index, &sink, FileWrite, &info);
  bool closed = FioClose(sink.h) != 0;
  if (rc == 0 && !closed) rc = Fail(ZIPERR_TARGET_WRITE, index);
  if (rc != 0) {
    FioDelete(temp);
    return rc;
  }
  if (!FioReplace(temp, target)) {
    // A read-only target refuses to be replaced, but it can be moved aside
    // (and back when the new file cannot take its place).
    char aside[ZIP_PATH_SIZE + 16];
    bool moved = FioMakeTempFile(aside, sizeof aside, where, "AF_") >= 0;
    if (moved && !FioReplace(target, aside)) {
      FioDelete(aside);
      moved = false;
    }
    if (!moved || !FioReplace(temp, target)) {
      if (moved) FioReplace(aside, target);
      FioDelete(temp);
      return Fail(ZIPERR_TARGET_CREATE, index);
    }
    FioDelete(aside);
  }
  // the modification time only when the info does not mark a read-only entry
  int64_t created = e->created == 0 || e->created == -1 ? -1 : e->created;
  int64_t accessed = e->accessed == 0 || e->accessed == -1 ? -1 : e->accessed;
  int64_t modified = (info.attributes & 2) || e->modified == -1 ? -1 : e->modified;
  FileSetTimesA(target, modified, created, accessed);
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
  snprintf(base, sizeof base, "%s%s", folder, IsSep(folder[n - 1]) ? "" : "/");
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
