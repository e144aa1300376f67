#include "map/tilecache.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

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

// The files of the tree: names in one block, so 100,000 of them stay cheap.
struct FileRec {
  size_t name;  // offset into the name block
  int64_t size, modified;
};

struct Walk {
  std::string names;  // zero-separated
  std::vector<FileRec> files;
  std::vector<size_t> folders;  // parents before children
  const TileTrimPacing* pacing;
  volatile long* keepGoing;
  uint64_t listed = 0;
  bool stopped = false;

  bool Going() {
    if (keepGoing && *keepGoing <= 0) stopped = true;
    return !stopped;
  }

  size_t AddName(const std::string& s) {
    size_t at = names.size();
    names.append(s);
    names.push_back(0);
    return at;
  }

  void List(const std::string& folder) {
    FioFindEntry e;
    int err = 0;
    FioHandle h = FioFindFirst((folder + "*").c_str(), &e, &err);
    if (h == FIO_INVALID) return;
    std::vector<std::string> subs;
    do {
      if (!Going()) break;
      // links are not followed: the cache holds none of its own
      if (e.info.attributes & FIO_ATTR_REPARSE) continue;
      std::string path = folder + e.name;
      if (e.info.attributes & FIO_ATTR_DIRECTORY) {
        subs.push_back(path + kSep);
      } else {
        files.push_back(FileRec{AddName(path), e.info.size, e.info.modified});
        if (++listed % 256 == 0) Pause(pacing->listPauseMs);
      }
    } while (FioFindNext(h, &e));
    FioFindClose(h);
    for (const std::string& s : subs) {
      if (!Going()) return;
      folders.push_back(AddName(s));
      List(s);
    }
  }

#ifdef _WIN32
  static constexpr char kSep = '\\';
#else
  static constexpr char kSep = '/';
#endif
};

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
  Walk w;
  w.pacing = &pacing;
  w.keepGoing = keepGoing;
  std::string top(root);
  if (top.back() != '/' && top.back() != '\\') top.push_back(Walk::kSep);
  w.List(top);
  r.files = w.files.size();
  std::vector<uint64_t> sizes;
  sizes.reserve(w.files.size());
  for (const FileRec& f : w.files) r.bytes += (uint64_t)f.size;
  if (!w.stopped && r.bytes > limitBytes) {
    // newest first; the oldest are deleted from the end
    std::sort(w.files.begin(), w.files.end(),
              [](const FileRec& a, const FileRec& b) { return a.modified > b.modified; });
    for (const FileRec& f : w.files) sizes.push_back((uint64_t)f.size);
    size_t drop = TileTrimCount(sizes.data(), sizes.size(), limitBytes);
    for (size_t i = 0; i < drop && w.Going(); i++) {
      const FileRec& f = w.files[w.files.size() - 1 - i];
      if (FioDelete(w.names.c_str() + f.name)) {
        r.deleted++;
        r.deletedBytes += (uint64_t)f.size;
      }
      if ((i + 1) % 32 == 0) Pause(pacing.deletePauseMs);
    }
  }
  // children before their parents; only empty folders go
  for (size_t i = w.folders.size(); i-- > 0 && w.Going();) {
    if (FioRemoveDir(w.names.c_str() + w.folders[i])) r.folders++;
    if ((w.folders.size() - i) % 256 == 0) Pause(pacing.listPauseMs);
  }
  if (result) *result = r;
  return w.stopped ? 0 : 1;
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
