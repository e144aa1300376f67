// What all path combos of the process share, set up once, and the worker's
// block that the control and its thread share.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <vector>

#include "files/dirlist.h"

struct PcShared {
  HFONT font = nullptr, marlett = nullptr;
  bool hasMarlett = false;  // false: the system gave another face for it
  int fontHeight = 0, iconW = 16, iconH = 16, rowHeight = 18, itemHeight = 18;
  HIMAGELIST images = nullptr;
  int folderIcon = -1;
  int charWidth[256] = {};  // of the font, for measuring many names fast
  int listMargin = -1;      // a drop-down row's width besides its text; -1 not measured yet
  CRITICAL_SECTION lock;  // every path combo's path, segments, lists and worker block
};

// A segment arrow ("4" right, "6" down in Marlett) centred in rc in the
// text colour; drawn as a filled triangle where Marlett is missing.
void PcDrawArrow(HDC dc, const RECT& rc, bool down);

// Width of a text in the shared font (without kerning), at most limit.
int PcTextWidth(const std::string& text, int limit);

// Set up on first use; never freed (the font and lock live for the process).
PcShared& PcGetShared();

// The combo's own window style over the options' low word: a drop-down
// owner-drawn combo with strings (0x100 left there is CBS_SORT, which would
// sort the newest-first list of entered paths).
inline DWORD PcComboStyle(DWORD style) {
  return (style & ~0xFFFFu) | CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
}

class PcLock {
 public:
  PcLock() { EnterCriticalSection(&PcGetShared().lock); }
  ~PcLock() { LeaveCriticalSection(&PcGetShared().lock); }
  PcLock(const PcLock&) = delete;
  PcLock& operator=(const PcLock&) = delete;
};

struct PcEntry {
  std::string text;
  int icon, width, flag;
};

// Shared by a control and its worker thread; freed by whichever leaves last.
struct PcWorker {
  std::atomic<int> refs{2};
  std::atomic<int> state{1};   // 1 running, 2 stop requested
  std::atomic<int> cancel{0};  // stops the running listing
  HANDLE wake = nullptr;       // semaphore
  std::atomic<unsigned> options{0};
  // guarded by the shared lock
  HWND owner = nullptr;  // null once the control has left
  uint32_t requested = 0;
  std::string prefix, segment;  // of the requested list
  bool placeholder = false;
  uint32_t resultTag = 0;
  std::vector<PcEntry> result;
  int maxWidth = 0;

  void Release() {
    if (--refs == 0) {
      CloseHandle(wake);
      delete this;
    }
  }
};

DWORD WINAPI PcWorkerMain(void* param);
