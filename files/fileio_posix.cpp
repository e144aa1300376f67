// Thin file layer on POSIX calls.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "files/fileio.h"
#include "files/fileio_util.h"

using fio_detail::PutText;

static int D(FioHandle h) { return (int)h; }

FioHandle FioOpen(const char* path, unsigned flags) {
  if (!path || !*path) return FIO_INVALID;
  int oflags = O_CLOEXEC;
  bool r = flags & FIO_READ, w = flags & FIO_WRITE;
  oflags |= (r && w) ? O_RDWR : w ? O_WRONLY : O_RDONLY;
  switch (flags & FIO_DISPOSITION_MASK) {
    case FIO_CREATE: oflags |= O_CREAT | O_TRUNC; break;
    case FIO_CREATE_NEW: oflags |= O_CREAT | O_EXCL; break;
    case FIO_OPEN_ALWAYS: oflags |= O_CREAT; break;
    case FIO_TRUNCATE: oflags |= O_TRUNC; break;
    default: break;
  }
  if ((oflags & (O_CREAT | O_TRUNC)) && !w) return FIO_INVALID;  // as Windows refuses
  int fd;
  do fd = open(path, oflags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return FIO_INVALID;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return FIO_INVALID;
  }
  return (FioHandle)fd;
}

int FioClose(FioHandle h) {
  if (h == FIO_INVALID) return 1;
  return close(D(h)) == 0 ? 1 : 0;
}

ptrdiff_t FioRead(FioHandle h, void* buffer, size_t n) {
  if (h == FIO_INVALID || (!buffer && n)) return -1;
  size_t done = 0;
  while (done < n) {
    size_t left = n - done;
    if (left > 0x40000000u) left = 0x40000000u;
    ssize_t got = read(D(h), (char*)buffer + done, left);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += (size_t)got;
  }
  return (ptrdiff_t)done;
}

ptrdiff_t FioWrite(FioHandle h, const void* data, size_t n) {
  if (h == FIO_INVALID || (!data && n)) return -1;
  size_t done = 0;
  while (done < n) {
    size_t left = n - done;
    if (left > 0x40000000u) left = 0x40000000u;
    ssize_t put = write(D(h), (const char*)data + done, left);
    if (put < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (put == 0) return -1;
    done += (size_t)put;
  }
  return (ptrdiff_t)done;
}

int64_t FioSeek(FioHandle h, int64_t offset, int origin) {
  if (h == FIO_INVALID) return -1;
  int whence = origin == FIO_CURRENT ? SEEK_CUR : origin == FIO_END ? SEEK_END : SEEK_SET;
  off_t pos = lseek(D(h), (off_t)offset, whence);
  return pos < 0 ? -1 : (int64_t)pos;
}

int64_t FioTell(FioHandle h) { return FioSeek(h, 0, FIO_CURRENT); }

int64_t FioSize(FioHandle h) {
  if (h == FIO_INVALID) return -1;
  struct stat st;
  if (fstat(D(h), &st) != 0) return -1;
  return (int64_t)st.st_size;
}

int FioTruncate(FioHandle h) {
  int64_t pos = FioTell(h);
  if (pos < 0) return 0;
  return ftruncate(D(h), (off_t)pos) == 0 ? 1 : 0;
}

int FioFlush(FioHandle h) {
  if (h == FIO_INVALID) return 0;
  return fsync(D(h)) == 0 ? 1 : 0;
}

int FioMap(FioMapping* m, FioHandle h, int writable) {
  if (!m) return 0;
  m->data = nullptr;
  m->size = 0;
  m->sys = 0;
  int64_t size = FioSize(h);
  if (size < 0) return 0;
  if (size == 0) return 1;
  if ((uint64_t)size > (uint64_t)SIZE_MAX) return 0;
  void* p = mmap(nullptr, (size_t)size, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, D(h), 0);
  if (p == MAP_FAILED) return 0;
  m->data = p;
  m->size = size;
  return 1;
}

void FioUnmap(FioMapping* m) {
  if (!m) return;
  if (m->data) munmap(m->data, (size_t)m->size);
  m->data = nullptr;
  m->size = 0;
  m->sys = 0;
}

int FioGetTempFolder(char* dest, size_t size) {
  const char* t = getenv("TMPDIR");
  if (!t || !*t) t = "/tmp";
  size_t n = strlen(t);
  if (t[n - 1] == '/') return PutText(dest, size, t, n);
  if (!dest || n + 1 >= size) {
    if (dest && size) dest[0] = 0;
    return -1;
  }
  memcpy(dest, t, n);
  dest[n] = '/';
  dest[n + 1] = 0;
  return (int)(n + 1);
}

int FioMakeTempFile(char* dest, size_t size, const char* folder, const char* prefix) {
  char dir[PATH_MAX];
  if (!folder || !*folder) {
    if (FioGetTempFolder(dir, sizeof dir) < 0) return -1;
    folder = dir;
  }
  char pre[4] = {0, 0, 0, 0};
  if (prefix) strncpy(pre, prefix, 3);
  size_t flen = strlen(folder);
  const char* sep = (flen && folder[flen - 1] == '/') ? "" : "/";
  static unsigned counter;
  unsigned seed = (unsigned)getpid() * 2654435761u ^ (unsigned)time(nullptr);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    unsigned v = (seed + __atomic_add_fetch(&counter, 1, __ATOMIC_RELAXED) * 40503u) & 0xFFFFu;
    char name[PATH_MAX];
    int n = snprintf(name, sizeof name, "%s%s%s%04X.tmp", folder, sep, pre, v);
    if (n < 0 || (size_t)n >= sizeof name) return -1;
    int fd = open(name, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    close(fd);
    char full[PATH_MAX];
    int len = FioFullPath(full, sizeof full, name);
    if (len < 0 || PutText(dest, size, full, (size_t)len) < 0) {
      unlink(name);
      return -1;
    }
    return len;
  }
  return -1;
}

namespace {
// "<folder>/<prefix>XXXX.tmp" with a name of the counter's next value
int TempName(char* dest, size_t size, const char* folder, const char* prefix) {
  static unsigned counter;
  static const unsigned seed = (unsigned)getpid() * 2654435761u ^ (unsigned)time(nullptr);
  unsigned v = (seed + __atomic_add_fetch(&counter, 1, __ATOMIC_RELAXED) * 40503u) & 0xFFFFu;
  size_t flen = strlen(folder);
  const char* sep = (flen && folder[flen - 1] == '/') ? "" : "/";
  char pre[4] = {0, 0, 0, 0};
  if (prefix) strncpy(pre, prefix, 3);
  int n = snprintf(dest, size, "%s%s%s%04X.tmp", folder, sep, pre, v);
  return n < 0 || (size_t)n >= size ? -1 : n;
}
}  // namespace

FioHandle FioCreateTemp(char* dest, size_t size, const char* folder, const char* prefix) {
  if (!dest || !folder || !*folder) return FIO_INVALID;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (TempName(dest, size, folder, prefix) < 0) return FIO_INVALID;
    int fd = open(dest, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) return (FioHandle)fd;
    if (errno != EEXIST) break;
  }
  dest[0] = 0;
  return FIO_INVALID;
}

int FioRenameAside(const char* from, char* dest, size_t size, const char* folder, const char* prefix) {
  if (!from || !dest || !folder || !*folder) return 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (TempName(dest, size, folder, prefix) < 0) return 0;
    if (renameat2(AT_FDCWD, from, AT_FDCWD, dest, RENAME_NOREPLACE) == 0) return 1;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) return 0;
    // a file system without the flag: look first
    struct stat st;
    if (lstat(dest, &st) == 0) continue;
    return rename(from, dest) == 0 ? 1 : 0;
  }
  return 0;
}

int FioFullPath(char* dest, size_t size, const char* path) {
  if (!path || !*path) return -1;
  if (path[0] == '/') return PutText(dest, size, path, strlen(path));
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return -1;
  size_t c = strlen(cwd), p = strlen(path);
  bool slash = c && cwd[c - 1] == '/';
  size_t total = c + (slash ? 0 : 1) + p;
  if (!dest || total >= size) {
    if (dest && size) dest[0] = 0;
    return -1;
  }
  memcpy(dest, cwd, c);
  if (!slash) dest[c++] = '/';
  memcpy(dest + c, path, p + 1);
  return (int)total;
}

int FioReplace(const char* from, const char* to) {
  if (!from || !to) return 0;
  return rename(from, to) == 0 ? 1 : 0;
}

// A rename over an existing file makes ext4 write the new data out at once;
// renaming the old file aside first does not.
int FioCloseOnto(FioHandle h, const char* from, const char* to) {
  if (!FioClose(h)) return 0;
  return FioReplaceAside(from, to);
}

int FioDelete(const char* path) {
  if (!path || !*path) return 0;
  struct stat st;
  if (lstat(path, &st) != 0 || S_ISDIR(st.st_mode)) return 0;
  return unlink(path) == 0 ? 1 : 0;
}

static int64_t TicksOf(const struct timespec& ts) {
  return ((int64_t)ts.tv_sec + 11644473600LL) * 10000000LL + ts.tv_nsec / 100;
}

static struct timespec SpecOf(int64_t t) {
  struct timespec ts;
  if (t < 0) {
    ts.tv_sec = 0;
    ts.tv_nsec = UTIME_OMIT;
    return ts;
  }
  ts.tv_sec = (time_t)(t / 10000000LL - 11644473600LL);
  ts.tv_nsec = (long)(t % 10000000LL) * 100;
  return ts;
}

static const char* BaseName(const char* path) {
  const char* b = strrchr(path, '/');
  return b ? b + 1 : path;
}

// -3 when the folder holding path exists, -7 otherwise
static int MissingCode(const char* path) {
  const char* b = strrchr(path, '/');
  if (!b) return FIO_ERR_NOT_FOUND;
  if (b == path) return FIO_ERR_NOT_FOUND;
  char dir[PATH_MAX];
  size_t n = (size_t)(b - path);
  if (n >= sizeof dir) return FIO_ERR_OTHER;
  memcpy(dir, path, n);
  dir[n] = 0;
  struct stat st;
  return (stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) ? FIO_ERR_NOT_FOUND : FIO_ERR_PATH_NOT_FOUND;
}

int FioStat(const char* path, FioInfo* info) {
  if (!path || !*path || !info) return FIO_ERR_OTHER;
  struct stat st;
  if (lstat(path, &st) != 0) {
    if (errno == ENOENT) return MissingCode(path);
    if (errno == ENOTDIR) return FIO_ERR_PATH_NOT_FOUND;
    return FIO_ERR_OTHER;
  }
  uint32_t attr = 0;
  if (S_ISLNK(st.st_mode)) {
    attr |= FIO_ATTR_REPARSE;
    struct stat target;
    if (stat(path, &target) == 0 && S_ISDIR(target.st_mode)) attr |= FIO_ATTR_DIRECTORY;
  } else if (S_ISDIR(st.st_mode)) {
    attr |= FIO_ATTR_DIRECTORY;
  }
  if (!(attr & FIO_ATTR_DIRECTORY)) attr |= FIO_ATTR_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) attr |= FIO_ATTR_READONLY;
  const char* base = BaseName(path);
  if (base[0] == '.' && base[1] && !(base[1] == '.' && !base[2])) attr |= FIO_ATTR_HIDDEN;
  info->attributes = attr;
  info->size = (S_ISREG(st.st_mode)) ? (int64_t)st.st_size : 0;
  info->created = 0;  // not kept by POSIX file systems
  info->accessed = TicksOf(st.st_atim);
  info->modified = TicksOf(st.st_mtim);
  return 0;
}

int FioSetTimes(const char* path, int64_t modified, int64_t created, int64_t accessed) {
  if (!path || !*path) return 0;
  struct timespec ts[2] = {SpecOf(accessed), SpecOf(modified)};
  return utimensat(AT_FDCWD, path, ts, 0) == 0 ? 1 : 0;
}

int FioSetHandleTimes(FioHandle h, int64_t modified, int64_t created, int64_t accessed) {
  (void)created;  // no creation time here
  if (h == FIO_INVALID) return 0;
  struct timespec ts[2] = {SpecOf(accessed), SpecOf(modified)};
  return futimens((int)h, ts) == 0 ? 1 : 0;
}

int FioSetReadOnly(const char* path, int readOnly) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return 0;
  mode_t m = readOnly ? (st.st_mode & ~(mode_t)(S_IWUSR | S_IWGRP | S_IWOTH)) : (st.st_mode | S_IWUSR);
  return chmod(path, m & 07777) == 0 ? 1 : 0;
}

int FioFinalPath(char* dest, size_t size, const char* path) {
  if (!path || !*path) return -1;
  char buf[PATH_MAX];
  if (!realpath(path, buf)) return -1;
  return PutText(dest, size, buf, strlen(buf));
}

int FioMakeDir(const char* path) { return path && mkdir(path, 0777) == 0 ? 1 : 0; }

int FioRemoveDir(const char* path) {
  struct stat st;
  if (!path || lstat(path, &st) != 0) return 0;
  if (S_ISLNK(st.st_mode)) return unlink(path) == 0 ? 1 : 0;
  return rmdir(path) == 0 ? 1 : 0;
}

namespace {
struct PosixFind {
  DIR* dir;
  char folder[PATH_MAX];
  char pattern[260];
};

int NextMatch(PosixFind* f, FioFindEntry* e) {
  for (;;) {
    struct dirent* d = readdir(f->dir);
    if (!d) return 0;
    const char* n = d->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    if (!FioMatchWild(f->pattern, -1, n)) continue;
    char full[PATH_MAX];
    int len = snprintf(full, sizeof full, "%s%s", f->folder, n);
    if (len < 0 || (size_t)len >= sizeof full) continue;
    if (PutText(e->name, sizeof e->name, n, strlen(n)) < 0) continue;
    if (FioStat(full, &e->info) != 0) continue;  // vanished meanwhile
    return 1;
  }
}
}  // namespace

FioHandle FioFindFirst(const char* pattern, FioFindEntry* entry, int* error) {
  if (error) *error = FIO_ERR_OTHER;
  if (!pattern || !*pattern || !entry) return FIO_INVALID;
  PosixFind* f = new PosixFind;
  const char* slash = strrchr(pattern, '/');
  size_t dirLen = slash ? (size_t)(slash - pattern + 1) : 0;
  const char* name = pattern + dirLen;
  if (dirLen >= sizeof f->folder || strlen(name) >= sizeof f->pattern) {
    delete f;
    return FIO_INVALID;
  }
  memcpy(f->folder, pattern, dirLen);
  f->folder[dirLen] = 0;
  strcpy(f->pattern, name);
  f->dir = opendir(dirLen ? f->folder : ".");
  if (!f->dir) {
    if (error) *error = (errno == ENOENT || errno == ENOTDIR) ? FIO_ERR_PATH_NOT_FOUND : FIO_ERR_OTHER;
    delete f;
    return FIO_INVALID;
  }
  if (!NextMatch(f, entry)) {
    closedir(f->dir);
    delete f;
    if (error) *error = FIO_ERR_NOT_FOUND;
    return FIO_INVALID;
  }
  if (error) *error = 0;
  return (FioHandle)f;
}

int FioFindNext(FioHandle h, FioFindEntry* entry) {
  if (h == FIO_INVALID || !entry) return 0;
  return NextMatch((PosixFind*)h, entry);
}

void FioFindClose(FioHandle h) {
  if (h == FIO_INVALID) return;
  PosixFind* f = (PosixFind*)h;
  closedir(f->dir);
  delete f;
}

uint32_t FioDriveMask() { return 0; }

int FioModulePath(char* dest, size_t size) {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return -1;
  return PutText(dest, size, buf, (size_t)n);
}
