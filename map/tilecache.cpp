#include "map/tilecache.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include <vector>

#include "files/dirlist.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "map/tileplan.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

char g_root[264];
bool g_rootChosen = false;
volatile uint32_t g_limitMiB = 64;
TileTrimPacing g_pacing;

void Pause(int ms) {
  if (ms <= 0) return;
#ifdef _WIN32
  Sleep((DWORD)ms);
#else
  usleep((useconds_t)ms * 1000);
#endif
}

bool IsFolder(const char* path) {
  FioInfo info;
  return FioStat(path, &info) == 0 && (info.attributes & FIO_ATTR_DIRECTORY);
}

void EnsureSeparator(char* path, size_t size) {
  size_t n = strlen(path);
  if (n && path[n - 1] != '\\' && path[n - 1] != '/' && n + 1 < size) {
#ifdef _WIN32
    path[n] = '\\';
#else
    path[n] = '/';
#endif
    path[n + 1] = 0;
  }
}

void ChooseRoot() {
  uint32_t drives = FioDriveMask();
  if ((drives & 8) && IsFolder("D:\\Temp")) {
    strcpy(g_root, "D:\\Temp\\VovIdeze\\");
  } else if (drives & 4) {
    strcpy(g_root, "C:\\Temp\\VovIdeze\\");
  } else {
    char tmp[240];
    if (FioGetTempFolder(tmp, sizeof tmp) < 0) strcpy(tmp, ".");
    EnsureSeparator(tmp, sizeof tmp);
    snprintf(g_root, sizeof g_root, "%sVovIdeze%c", tmp, tmp[strlen(tmp) - 1]);
  }
  DirCreateA(g_root);
  g_rootChosen = true;
}

}  // namespace

const char* TileCacheRoot() {
  if (!g_rootChosen) ChooseRoot();
  return g_root;
}

int TileCacheSetRoot(const char* root) {
  if (!root || !*root || strlen(root) > 200) return 0;
  strcpy(g_root, root);
  EnsureSeparator(g_root, sizeof g_root);
  DirCreateA(g_root);
  g_rootChosen = true;
  return 1;
}

void TileCacheSetLimit(uint32_t mib) { g_limitMiB = mib; }
uint32_t TileCacheLimit() { return g_limitMiB; }
void TileCacheSetPacing(const TileTrimPacing& pacing) { g_pacing = pacing; }
TileTrimPacing TileCachePacing() { return g_pacing; }

bool TileCacheTrimDue(int64_t now, int64_t lastStart, int64_t interval) {
  // a last start in the future means the clock was set back
  return lastStart == 0 || now < lastStart || now - lastStart >= interval;
}

int TileCacheTrim(const char* root, uint64_t limitBytes, const TileTrimPacing& pacing, volatile long* keepGoing,
                  TileTrimResult* result) {
  TileTrimResult r;
  if (result) *result = r;
  if (!root || !*root || !IsFolder(root)) return -1;
  auto going = [keepGoing] { return !keepGoing || *keepGoing > 0; };
  bool stopped = false;

  // every file below the root, summed
  CDirectoryList files;
  if (!files.Open(root, DIRLIST_FILES | DIRLIST_RECURSIVE)) return -1;
  while (DirEntry* e = files.Next()) {
    if (!going()) {
      stopped = true;
      break;
    }
    r.files++;
    r.bytes += (uint64_t)e->size64;
    if (r.files % 256 == 0) Pause(pacing.listPauseMs);
  }
  if (!stopped && r.bytes > limitBytes) {
    // newest first; the oldest are deleted from the end
    files.Sort(DIRSORT_MODIFIED, DIRSORT_DESCENDING);
    const int count = files.GetCount();
    std::vector<uint64_t> sizes((size_t)count);
    for (int i = 0; i < count; i++) sizes[(size_t)i] = (uint64_t)files.GetEntry(i)->size64;
    size_t drop = TileTrimCount(sizes.data(), sizes.size(), limitBytes);
    for (size_t i = 0; i < drop; i++) {
      if (!going()) {
        stopped = true;
        break;
      }
      int index = count - 1 - (int)i;
      const char* path = files.GetEntryFullPath(index);
      if (path && FioDelete(path)) {
        r.deleted++;
        r.deletedBytes += sizes[(size_t)index];
      }
      if ((i + 1) % 32 == 0) Pause(pacing.deletePauseMs);
    }
  }
  // the folders, children (listed after their parents) first; only empty ones go
  CDirectoryList folders;
  if (!stopped && folders.Refresh(root, DIRLIST_FOLDERS | DIRLIST_RECURSIVE)) {
    for (int i = folders.GetCount(); i-- > 0;) {
      if (!going()) {
        stopped = true;
        break;
      }
      const char* path = folders.GetEntryFullPath(i);
      if (path && !(folders.GetEntry(i)->attributes & DIRENT_VIRTUAL) && FioRemoveDir(path)) r.folders++;
      if ((folders.GetCount() - i) % 256 == 0) Pause(pacing.listPauseMs);
    }
  }
  if (result) *result = r;
  return stopped ? 0 : 1;
}

#ifdef _WIN32
namespace {

volatile LONG g_trimRunning = 0;
volatile LONG64 g_lastTrimStart = 0;

DWORD WINAPI TileCacheTrimThread(LPVOID p) {
  volatile long* live = (volatile long*)p;
  TileTrimResult r;
  TileCacheTrim(TileCacheRoot(), TileCacheLimitBytes(TileCacheLimit()), TileCachePacing(), live, &r);
  InterlockedExchange(&g_trimRunning, 0);
  return 0;
}

}  // namespace

int TileCacheStartTrim(volatile long* liveCount) {
  int64_t now = (int64_t)time(nullptr);
  if (!TileCacheTrimDue(now, g_lastTrimStart, g_pacing.intervalSeconds)) return 0;
  if (InterlockedCompareExchange(&g_trimRunning, 1, 0) != 0) return 0;
  TileCacheRoot();  // chosen on this thread, before the walk reads it
  InterlockedExchange64(&g_lastTrimStart, now);
  HANDLE h = CreateThread(nullptr, 0x20000, TileCacheTrimThread, (LPVOID)liveCount,
                          STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!h) {
    InterlockedExchange(&g_trimRunning, 0);
    return 0;
  }
  CloseHandle(h);
  return 1;
}

bool TileCacheTrimRunning() { return g_trimRunning != 0; }
#endif
