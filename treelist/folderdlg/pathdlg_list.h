// The folder list's worker and what it shares with the dialog; freed by
// whichever side leaves last.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct PdRow {
  std::string text;
  int icon, indent, kind;
};

struct PdDrive {
  std::string text;
  int icon, kind;  // 0 drive, 1 virtual entry, 2 the start path's network share
  std::string path;  // a virtual entry's folder; "\\" for the network
};

struct PdList {
  std::atomic<int> refs{2};
  std::atomic<int> alive{1}, rowsComplete{0}, refresh{0}, stop{0}, cancel{0};
  HANDLE wake = nullptr;  // semaphore
  CRITICAL_SECTION lock;
  // under the lock
  HWND dlg = nullptr;  // null once the dialog has left
  std::vector<PdRow> rows;
  int serial = 0;  // counts refills
  int currentRow = -1;
  std::string rowsPath;  // what the rows were listed for; path may be newer
  std::vector<PdDrive> drives;
  int currentDrive = -1;
  std::string path, chosenVirtual;
  // set before the start
  unsigned flags = 0;
  int pathKind = 0;
  int systemDriveIcon = -1, openIcon = -1, closedIcon = -1, networkIcon = -1;

  PdList() {
    InitializeCriticalSection(&lock);
    wake = CreateSemaphoreA(nullptr, 0, 1, nullptr);
  }
  void Release() {
    if (--refs == 0) {
      CloseHandle(wake);
      DeleteCriticalSection(&lock);
      delete this;
    }
  }
};

class PdLock {
 public:
  explicit PdLock(PdList* l) : m_l(l) { EnterCriticalSection(&l->lock); }
  ~PdLock() { LeaveCriticalSection(&m_l->lock); }
  PdLock(const PdLock&) = delete;
  PdLock& operator=(const PdLock&) = delete;

 private:
  PdList* m_l;
};

UINT PdListWorker(void* param);
// The current row under the list's lock; -1 without a list.
int PdCurrentRow(PdList* l);
// Saves the dialog's rectangle for its next opening in this process.
void PdSavePlacement(HWND dlg);
