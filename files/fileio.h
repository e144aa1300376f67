// Thin file layer: handles, 64-bit positions, mappings, temporary names and
// atomic replacement. The one place where Win32 and POSIX file calls differ;
// everything above it is written once.
//
// Paths are 8-bit text: Windows-1252 under Windows (the ANSI calls), plain
// bytes natively. Results: handles are FIO_INVALID on failure, counts and
// positions are -1 on failure, yes/no results are 1 or 0.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#else
// The Windows file time: 100-ns ticks since 1601-01-01 UTC, in two halves.
typedef struct _FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
} FILETIME;
#endif

// The separator this platform's file calls want; path text functions accept
// "\\" and "/" alike everywhere.
#ifdef _WIN32
#define FIO_SEP '\\'
#else
#define FIO_SEP '/'
#endif

typedef intptr_t FioHandle;  // HANDLE under Windows, file descriptor natively
#define FIO_INVALID ((FioHandle)-1)

// FioOpen flags: access ...
#define FIO_READ 0x01
#define FIO_WRITE 0x02
#define FIO_RW (FIO_READ | FIO_WRITE)
// ... and what happens to the file (one of these; FIO_OPEN when none):
#define FIO_OPEN 0x00         // must exist
#define FIO_CREATE 0x10       // create, or truncate an existing file
#define FIO_CREATE_NEW 0x20   // create; fails when the file exists
#define FIO_OPEN_ALWAYS 0x30  // open, or create when missing
#define FIO_TRUNCATE 0x40     // must exist; truncated to zero length
#define FIO_DISPOSITION_MASK 0x70
// Others may read the file while it is open (Windows; without it the file
// is opened without sharing).
#define FIO_SHARE_READ 0x100

// Seek origins
#define FIO_BEGIN 0
#define FIO_CURRENT 1
#define FIO_END 2

FioHandle FioOpen(const char* path, unsigned flags);
int FioClose(FioHandle h);  // 1, or 0 when closing failed (FIO_INVALID: 1)

// Reads up to n bytes; returns the count (short only at the end of the file)
// or -1 on a read error.
ptrdiff_t FioRead(FioHandle h, void* buffer, size_t n);
// Writes all n bytes; returns n or -1 on failure.
ptrdiff_t FioWrite(FioHandle h, const void* data, size_t n);

int64_t FioSeek(FioHandle h, int64_t offset, int origin);  // new position or -1
int64_t FioTell(FioHandle h);
int64_t FioSize(FioHandle h);
int FioTruncate(FioHandle h);  // sets the end of file at the current position
int FioFlush(FioHandle h);     // to the disk

// A view of a whole open file. A file of length 0 maps to data null and
// size 0 with success.
struct FioMapping {
  void* data;
  int64_t size;
  intptr_t sys;  // mapping object (Windows)
};
int FioMap(FioMapping* m, FioHandle h, int writable);
void FioUnmap(FioMapping* m);  // safe on a zeroed or already unmapped record

// The system's folder for temporary files, ending in a separator.
// Returns the length, or -1 when it does not fit into size.
int FioGetTempFolder(char* dest, size_t size);

// Creates a new, empty file with a unique name in folder (null: the system's
// temporary folder) whose name begins with prefix (at most 3 characters are
// used, as GetTempFileNameA does), and puts its full name into dest.
// Returns the length of the name, or -1 on failure (nothing is left behind).
int FioMakeTempFile(char* dest, size_t size, const char* folder, const char* prefix);

// The same, kept open for reading and writing: one create where a name and
// a second open would cost two. folder must be given; dest gets folder +
// separator + name. FIO_INVALID on failure (nothing left behind).
FioHandle FioCreateTemp(char* dest, size_t size, const char* folder, const char* prefix);

// Moves from to a new unique name in folder (never over an existing file),
// whose full name goes to dest. 1, or 0 on failure.
int FioRenameAside(const char* from, char* dest, size_t size, const char* folder, const char* prefix);

// The absolute form of path. Returns the length, or -1 when it does not fit.
int FioFullPath(char* dest, size_t size, const char* path);

// Moves from onto to in one step, replacing an existing to.
int FioReplace(const char* from, const char* to);
// Moves from onto to; an existing to is first renamed aside in its folder
// and deleted only once from carries its name (put back on failure).
int FioReplaceAside(const char* from, const char* to);
// Closes h, the open file from (made by FioCreateTemp), and gives it the
// name to; an existing to is replaced so that a failure leaves it as it
// was. 1, or 0 with to unchanged and from left (closed) for the caller.
int FioCloseOnto(FioHandle h, const char* from, const char* to);
// Deletes a file; a read-only file is made writable and deleted.
int FioDelete(const char* path);

// ------------------------------------------------------ file information

// Attribute bits (the values of Windows' FILE_ATTRIBUTE_*).
#define FIO_ATTR_READONLY 0x01
#define FIO_ATTR_HIDDEN 0x02
#define FIO_ATTR_SYSTEM 0x04
#define FIO_ATTR_DIRECTORY 0x10
#define FIO_ATTR_ARCHIVE 0x20
#define FIO_ATTR_REPARSE 0x400  // a link (symbolic link, junction, mount)

// Times are 100-ns ticks since 1601 (FILETIME units); 0 when unknown.
struct FioInfo {
  uint32_t attributes;
  int64_t size;
  int64_t created, accessed, modified;
};

// Result codes of FioStat and FioFindFirst.
#define FIO_ERR_OTHER (-1)
#define FIO_ERR_NOT_FOUND (-3)       // the file is missing
#define FIO_ERR_PATH_NOT_FOUND (-7)  // a folder of the path is missing

// Information on path itself: a link is described, not followed (it carries
// FIO_ATTR_REPARSE, plus FIO_ATTR_DIRECTORY when it stands for a folder).
// Returns 0 or a FIO_ERR_ code.
int FioStat(const char* path, FioInfo* info);

// Sets times (ticks; a negative value leaves that time alone). The
// creation time can only be set under Windows.
int FioSetTimes(const char* path, int64_t modified, int64_t created, int64_t accessed);
// Makes a read-only file writable (or read-only when readOnly is non-zero).
int FioSetReadOnly(const char* path, int readOnly);
// The same times through an open handle; 1 or 0.
int FioSetHandleTimes(FioHandle h, int64_t modified, int64_t created, int64_t accessed);

// The path with every link resolved (the object the path reaches). Returns
// the length or -1.
int FioFinalPath(char* dest, size_t size, const char* path);

int FioMakeDir(const char* path);    // one level; 1 or 0
int FioRemoveDir(const char* path);  // an empty folder, or a link to one

// A search over the names of one folder. pattern is a folder followed by a
// separator and a name that may hold the wildcards "*" and "?" (matched
// without regard to case); "." and ".." are never reported.
struct FioFindEntry {
  FioInfo info;
  char name[260];
};
FioHandle FioFindFirst(const char* pattern, FioFindEntry* entry, int* error);
int FioFindNext(FioHandle h, FioFindEntry* entry);  // 1, or 0 at the end
void FioFindClose(FioHandle h);

// Bit n set when drive letter A+n exists (0 where there are no drives).
uint32_t FioDriveMask();

// The running program's file name. Returns the length or -1.
int FioModulePath(char* dest, size_t size);

// Wildcard match of a file name ("*" any run, "?" one character; letters
// compared without regard to case, Windows-1252).
int FioMatchWild(const char* pattern, int patternLength, const char* name);
