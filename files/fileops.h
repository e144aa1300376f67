// File and folder operations: find data, sizes, times, whole-file read and
// write, deletion, folder creation and tree deletion.
#pragma once

#include <stdint.h>

#include "files/fileio.h"

// File information as the archive library keeps it.
enum : uint32_t {
  FFD_READABLE = 0x01,
  FFD_WRITABLE = 0x02,
  FFD_DIRECTORY = 0x10,
  FFD_HIDDEN = 0x20,
  FFD_ARCHIVE = 0x40,
  FFD_SYSTEM = 0x80,
  FFD_STORE = 0x100,          // store without compression (archive only)
  FFD_SIZE_HIGH_SHIFT = 10,   // bits 10..15: bits 32..37 of the size
  FFD_SIZE_HIGH_MASK = 0xFC00,
};
struct FileFindData {
  uint32_t attributes;
  uint32_t size;      // low 32 bits; the high part lives in the attributes
  uint32_t created;   // seconds since 1970 (0 unknown)
  uint32_t accessed;
  uint32_t modified;
  char name[256];
};

// Fills a FileFindData from the file layer's information.
void FileFindDataFromInfo(const FioInfo& info, const char* name, FileFindData* data);

// The full size kept in a FileFindData.
int64_t FileFindDataSize(const FileFindData* d);

// A search over a folder: pattern is a folder, a separator and a name with
// "*" and "?" wildcards. Returns a handle (0 on failure; error, when given,
// gets 0, -3 nothing found or -7 folder not found) and fills the first match.
intptr_t FileFindFirstA(const char* pattern, FileFindData* data, int* error);
int FileFindNextA(intptr_t handle, FileFindData* data);  // 1, 0 at the end
int FileFindClose(intptr_t handle);                      // 0, or -1 for a bad handle

// Information on one file or folder (a folder's size is 0). Returns 0, -3
// not found or -7 path not found (-1 other failures).
int FileGetFindDataA(const char* path, FileFindData* data);

// Size in bytes; -1 when the file is missing or is a folder.
int64_t FileGetSizeA(const char* path);

// Reads at most size - 2 bytes of the file into buffer and ends them with two
// zero bytes. Returns the bytes read; 0 when the file cannot be read (the
// buffer then starts with zero bytes). flags: none yet, pass 0.
int FileReadA(const char* path, void* buffer, int size, unsigned flags);

// Writes a whole file through a temporary file in the same folder that then
// replaces the old file, so a failure leaves the old content. Returns size,
// or -1 on failure. flags: none yet, pass 0.
int FileWriteA(const char* path, const void* data, int size, unsigned flags);

// Deletes a file; when access is denied, clears its read-only attribute and
// tries once more. Nonzero when a file was deleted.
int FileDeleteA(const char* path);

// Sets times given as seconds since 1970; -1 leaves one unchanged. Nonzero on
// success. (The creation time only changes under Windows.)
int FileSetTimesA(const char* path, int64_t modified, int64_t created, int64_t accessed);

// Creates the folder and its missing parents: 2 when it already existed,
// 1 when created, 0 on failure (also when a file stands in the way).
int DirCreateA(const char* path);
// The same for the first n characters of path; n = DIRCREATE_PARENT (0xFFFF)
// takes the path without its file name.
enum { DIRCREATE_PARENT = 0xFFFF };
int DirCreateExA(const char* path, int n);

// Deletes a folder with everything below it. Links and reparse points inside
// the tree are removed as links (when the system allows it), never followed.
// flags: DIRTREE_KEEP_ROOT empties the folder but keeps it.
// Returns 1 when everything went, 0 when path is no folder, -1 when some
// entries could not be deleted (the rest are gone).
enum : unsigned { DIRTREE_KEEP_ROOT = 1 };
int DirDeleteTreeA(const char* path, unsigned flags);
// The same, asking cancelled(arg) before each entry: -2 when it said stop
// (what was deleted by then is gone, the rest stays).
struct DirCancel {
  bool (*cancelled)(void* arg);
  void* arg;
};
int DirDeleteTreeCancelA(const char* path, unsigned flags, const DirCancel* cancel);
