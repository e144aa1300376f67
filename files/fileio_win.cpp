// Thin file layer on Win32 calls.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "files/fileio.h"
#include "files/fileio_util.h"

using fio_detail::PutText;

static HANDLE H(FioHandle h) { return (HANDLE)h; }

FioHandle FioOpen(const char* path, unsigned flags) {
  if (!path || !*path) return FIO_INVALID;
  DWORD access = 0;
  if (flags & FIO_READ) access |= GENERIC_READ;
  if (flags & FIO_WRITE) access |= GENERIC_WRITE;
  if (!access) access = GENERIC_READ;
  DWORD disp = OPEN_EXISTING;
  switch (flags & FIO_DISPOSITION_MASK) {
    case FIO_CREATE: disp = CREATE_ALWAYS; break;
    case FIO_CREATE_NEW: disp = CREATE_NEW; break;
    case FIO_OPEN_ALWAYS: disp = OPEN_ALWAYS; break;
    case FIO_TRUNCATE: disp = TRUNCATE_EXISTING; break;
    default: break;
  }
  DWORD share = (flags & FIO_SHARE_READ) ? FILE_SHARE_READ : 0;
  HANDLE h = CreateFileA(path, access, share, nullptr, disp, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FIO_INVALID;
  // a file just created is no folder; the check costs a volume query in Wine
  if (disp == CREATE_NEW) return (FioHandle)h;
  // a folder opens fine with CreateFileA's backup semantics only, but be sure
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(h);
    return FIO_INVALID;
  }
  return (FioHandle)h;
}

int FioClose(FioHandle h) {
  if (h == FIO_INVALID) return 1;
  return CloseHandle(H(h)) ? 1 : 0;
}

ptrdiff_t FioRead(FioHandle h, void* buffer, size_t n) {
  if (h == FIO_INVALID || (!buffer && n)) return -1;
  size_t done = 0;
  while (done < n) {
    size_t left = n - done;
    DWORD chunk = left > 0x40000000u ? 0x40000000u : (DWORD)left;
    DWORD got = 0;
    if (!ReadFile(H(h), (char*)buffer + done, chunk, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return (ptrdiff_t)done;
}

ptrdiff_t FioWrite(FioHandle h, const void* data, size_t n) {
  if (h == FIO_INVALID || (!data && n)) return -1;
  size_t done = 0;
  while (done < n) {
    size_t left = n - done;
    DWORD chunk = left > 0x40000000u ? 0x40000000u : (DWORD)left;
    DWORD put = 0;
    if (!WriteFile(H(h), (const char*)data + done, chunk, &put, nullptr) || put == 0) return -1;
    done += put;
  }
  return (ptrdiff_t)done;
}

int64_t FioSeek(FioHandle h, int64_t offset, int origin) {
  if (h == FIO_INVALID) return -1;
  DWORD method = origin == FIO_CURRENT ? FILE_CURRENT : origin == FIO_END ? FILE_END : FILE_BEGIN;
  LARGE_INTEGER dist, pos;
  dist.QuadPart = offset;
  if (!SetFilePointerEx(H(h), dist, &pos, method)) return -1;
  return pos.QuadPart;
}

int64_t FioTell(FioHandle h) { return FioSeek(h, 0, FIO_CURRENT); }

int64_t FioSize(FioHandle h) {
  if (h == FIO_INVALID) return -1;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(H(h), &size)) return -1;
  return size.QuadPart;
}

int FioTruncate(FioHandle h) {
  if (h == FIO_INVALID) return 0;
  return SetEndOfFile(H(h)) ? 1 : 0;
}

int FioFlush(FioHandle h) {
  if (h == FIO_INVALID) return 0;
  return FlushFileBuffers(H(h)) ? 1 : 0;
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
  HANDLE map = CreateFileMappingA(H(h), nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  if (!map) return 0;
  void* view = MapViewOfFile(map, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, (SIZE_T)size);
  if (!view) {
    CloseHandle(map);
    return 0;
  }
  m->data = view;
  m->size = size;
  m->sys = (intptr_t)map;
  return 1;
}

void FioUnmap(FioMapping* m) {
  if (!m) return;
  if (m->data) UnmapViewOfFile(m->data);
  if (m->sys) CloseHandle((HANDLE)m->sys);
  m->data = nullptr;
  m->size = 0;
  m->sys = 0;
}

int FioGetTempFolder(char* dest, size_t size) {
  char buf[MAX_PATH + 2];
  DWORD n = GetTempPathA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return -1;
  if (buf[n - 1] != '\\' && buf[n - 1] != '/') {
    if (n + 1 >= sizeof buf) return -1;
    buf[n++] = '\\';
    buf[n] = 0;
  }
  return PutText(dest, size, buf, n);
}

int FioMakeTempFile(char* dest, size_t size, const char* folder, const char* prefix) {
  char dir[MAX_PATH + 2];
  if (!folder || !*folder) {
    if (FioGetTempFolder(dir, sizeof dir) < 0) return -1;
    folder = dir;
  }
  char name[MAX_PATH + 16];
  if (!GetTempFileNameA(folder, prefix ? prefix : "", 0, name)) return -1;
  char full[MAX_PATH + 16];
  DWORD n = GetFullPathNameA(name, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full || PutText(dest, size, full, n) < 0) {
    DeleteFileA(name);
    return -1;
  }
  return (int)n;
}

namespace {
// "<folder>\<prefix>XXXX.tmp" with a name of the counter's next value
int TempName(char* dest, size_t size, const char* folder, const char* prefix) {
  static LONG counter;
  static const unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
  unsigned v = (seed + (unsigned)InterlockedIncrement(&counter) * 40503u) & 0xFFFFu;
  size_t flen = strlen(folder);
  const char* sep = flen && (folder[flen - 1] == '\\' || folder[flen - 1] == '/') ? "" : "\\";
  char pre[4] = {0, 0, 0, 0};
  if (prefix) strncpy(pre, prefix, 3);
  int n = snprintf(dest, size, "%s%s%s%04X.tmp", folder, sep, pre, v);
  return n < 0 || (size_t)n >= size || n >= MAX_PATH ? -1 : n;
}
}  // namespace

FioHandle FioCreateTemp(char* dest, size_t size, const char* folder, const char* prefix) {
  if (!dest || !folder || !*folder) return FIO_INVALID;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (TempName(dest, size, folder, prefix) < 0) break;
    // DELETE: FioCloseOnto renames through the handle
    HANDLE h = CreateFileA(dest, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return (FioHandle)h;
    DWORD e = GetLastError();
    if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) break;
  }
  if (dest && size) dest[0] = 0;
  return FIO_INVALID;
}

int FioRenameAside(const char* from, char* dest, size_t size, const char* folder, const char* prefix) {
  if (!from || !dest || !folder || !*folder) return 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (TempName(dest, size, folder, prefix) < 0) return 0;
    // without MOVEFILE_REPLACE_EXISTING an existing name is never replaced
    if (MoveFileExA(from, dest, 0)) return 1;
    DWORD e = GetLastError();
    if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) return 0;
  }
  return 0;
}

int FioFullPath(char* dest, size_t size, const char* path) {
  if (!path || !*path) return -1;
  char buf[1024];
  DWORD n = GetFullPathNameA(path, sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) {
    if (dest && size) dest[0] = 0;
    return -1;
  }
  return PutText(dest, size, buf, n);
}

int FioReplace(const char* from, const char* to) {
  if (!from || !to) return 0;
  // Windows refuses to replace a read-only file; Wine does not, so ask first
  DWORD a = GetFileAttributesA(to);
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}

namespace {
// Renames the open file h to path, replacing an existing file: one request
// where a rename by name opens and closes the file as well.
bool RenameOpen(HANDLE h, const char* path) {
  char full[1024];
  DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return false;
  const char* rest = full;
  const wchar_t* prefix = L"\\??\\";
  if (strncmp(full, "\\\\?\\", 4) == 0 || strncmp(full, "\\\\.\\", 4) == 0) {
    rest = full + 4;
  } else if (strncmp(full, "\\\\", 2) == 0) {
    prefix = L"\\??\\UNC\\";
    rest = full + 2;
  }
  size_t plen = wcslen(prefix);
  int wlen = MultiByteToWideChar(CP_ACP, 0, rest, -1, nullptr, 0);
  if (wlen <= 0) return false;
  size_t bytes = sizeof(FILE_RENAME_INFO) + (plen + (size_t)wlen) * sizeof(WCHAR);
  FILE_RENAME_INFO* info = (FILE_RENAME_INFO*)calloc(1, bytes);
  if (!info) return false;
  memcpy(info->FileName, prefix, plen * sizeof(WCHAR));
  MultiByteToWideChar(CP_ACP, 0, rest, -1, info->FileName + plen, wlen);
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = (DWORD)((plen + (size_t)wlen - 1) * sizeof(WCHAR));
  BOOL ok = SetFileInformationByHandle(h, FileRenameInfo, info, (DWORD)bytes);
  free(info);
  return ok != FALSE;
}
}  // namespace

int FioCloseOnto(FioHandle h, const char* from, const char* to) {
  if (h == FIO_INVALID) return 0;
  if (!from || !to || !*to) {
    FioClose(h);
    return 0;
  }
  // a read-only target is renamed aside (Windows refuses to replace it)
  DWORD a = GetFileAttributesA(to);
  bool readOnly = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
  if (!readOnly && RenameOpen(H(h), to)) {
    CloseHandle(H(h));
    return 1;
  }
  if (!CloseHandle(H(h))) return 0;
  return FioReplaceAside(from, to);
}

int FioDelete(const char* path) {
  if (!path || !*path) return 0;
  if (DeleteFileA(path)) return 1;
  if (GetLastError() != ERROR_ACCESS_DENIED) return 0;
  DWORD attr = GetFileAttributesA(path);
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path) ? 1 : 0;
}

static int64_t Ticks(const FILETIME& ft) {
  return (int64_t)(((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
}

static FILETIME ToFileTime(int64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = (DWORD)((uint64_t)t & 0xFFFFFFFFu);
  ft.dwHighDateTime = (DWORD)((uint64_t)t >> 32);
  return ft;
}

static int MapError(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES: return FIO_ERR_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DIRECTORY: return FIO_ERR_PATH_NOT_FOUND;
    default: return FIO_ERR_OTHER;
  }
}

int FioStat(const char* path, FioInfo* info) {
  if (!path || !*path || !info) return FIO_ERR_OTHER;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return MapError(GetLastError());
  info->attributes = d.dwFileAttributes;
  info->size = (int64_t)(((uint64_t)d.nFileSizeHigh << 32) | d.nFileSizeLow);
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) info->size = 0;
  info->created = Ticks(d.ftCreationTime);
  info->accessed = Ticks(d.ftLastAccessTime);
  info->modified = Ticks(d.ftLastWriteTime);
  return 0;
}

int FioSetTimes(const char* path, int64_t modified, int64_t created, int64_t accessed) {
  if (!path || !*path) return 0;
  HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  FILETIME m = ToFileTime(modified), c = ToFileTime(created), a = ToFileTime(accessed);
  BOOL ok = SetFileTime(h, created >= 0 ? &c : nullptr, accessed >= 0 ? &a : nullptr, modified >= 0 ? &m : nullptr);
  CloseHandle(h);
  return ok ? 1 : 0;
}

int FioSetHandleTimes(FioHandle h, int64_t modified, int64_t created, int64_t accessed) {
  if (h == FIO_INVALID) return 0;
  FILETIME m = ToFileTime(modified), c = ToFileTime(created), a = ToFileTime(accessed);
  return SetFileTime((HANDLE)h, created >= 0 ? &c : nullptr, accessed >= 0 ? &a : nullptr,
                     modified >= 0 ? &m : nullptr)
             ? 1
             : 0;
}

int FioSetReadOnly(const char* path, int readOnly) {
  DWORD attr = path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
  if (attr == INVALID_FILE_ATTRIBUTES) return 0;
  DWORD next = readOnly ? (attr | FILE_ATTRIBUTE_READONLY) : (attr & ~(DWORD)FILE_ATTRIBUTE_READONLY);
  if (next == 0) next = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(path, next) ? 1 : 0;
}

int FioFinalPath(char* dest, size_t size, const char* path) {
  if (!path || !*path) return -1;
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  char buf[1024];
  DWORD n = GetFinalPathNameByHandleA(h, buf, sizeof buf, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= sizeof buf) return -1;
  const char* p = buf;
  if (strncmp(p, "\\\\?\\UNC\\", 8) == 0) {
    p += 6;  // keep two separators: "\\server\share"
    buf[6] = '\\';
  } else if (strncmp(p, "\\\\?\\", 4) == 0) {
    p += 4;
  }
  return PutText(dest, size, p, strlen(p));
}

int FioMakeDir(const char* path) { return path && CreateDirectoryA(path, nullptr) ? 1 : 0; }
int FioRemoveDir(const char* path) { return path && RemoveDirectoryA(path) ? 1 : 0; }

namespace {
struct WinFind {
  HANDLE h;
};

void FillFind(const WIN32_FIND_DATAA& d, FioFindEntry* e) {
  e->info.attributes = d.dwFileAttributes;
  e->info.size = (int64_t)(((uint64_t)d.nFileSizeHigh << 32) | d.nFileSizeLow);
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) e->info.size = 0;
  e->info.created = Ticks(d.ftCreationTime);
  e->info.accessed = Ticks(d.ftLastAccessTime);
  e->info.modified = Ticks(d.ftLastWriteTime);
  PutText(e->name, sizeof e->name, d.cFileName, strnlen(d.cFileName, sizeof d.cFileName));
}

bool IsDots(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }
}  // namespace

FioHandle FioFindFirst(const char* pattern, FioFindEntry* entry, int* error) {
  if (error) *error = FIO_ERR_OTHER;
  if (!pattern || !*pattern || !entry) return FIO_INVALID;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(pattern, &d);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = MapError(GetLastError());
    return FIO_INVALID;
  }
  while (IsDots(d.cFileName)) {
    if (!FindNextFileA(h, &d)) {
      FindClose(h);
      if (error) *error = FIO_ERR_NOT_FOUND;
      return FIO_INVALID;
    }
  }
  FillFind(d, entry);
  if (error) *error = 0;
  return (FioHandle)h;
}

int FioFindNext(FioHandle h, FioFindEntry* entry) {
  if (h == FIO_INVALID || !entry) return 0;
  WIN32_FIND_DATAA d;
  do {
    if (!FindNextFileA((HANDLE)h, &d)) return 0;
  } while (IsDots(d.cFileName));
  FillFind(d, entry);
  return 1;
}

void FioFindClose(FioHandle h) {
  if (h != FIO_INVALID) FindClose((HANDLE)h);
}

uint32_t FioDriveMask() { return GetLogicalDrives(); }

int FioModulePath(char* dest, size_t size) {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return -1;
  return PutText(dest, size, buf, n);
}
