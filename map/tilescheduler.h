// The tile machinery's one owner: the cell-state grid, the tile sources, the
// download workers and the job lock, and the one function that hands a job
// to a worker. The window it fills is reached through TileHost.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "map/mapmath.h"
#include "map/maptiles.h"
#include "map/tilehost.h"

#define MAP_WORKERS 8

class CHttpClient;
class TileScheduler;

// One download worker's slot; the job fields are guarded by the job lock.
struct TileWorkerSlot {
  HANDLE thread;
  TileScheduler* owner;
  CHttpClient* client;  // present while the thread runs
  // the worker sleeps on it under the job lock while idle: a condition
  // variable waits in the process, a kernel object through the wineserver
  CONDITION_VARIABLE wake;
  uint32_t serial;
  int jobX, jobY;       // (-1, -1) tells the worker to end
  uint8_t zoom, idle, generation, precache;
};

// Holds the job lock for its scope (order: job lock, then the back buffer's).
class TileJobGuard {
 public:
  explicit TileJobGuard(TileScheduler& s);
  ~TileJobGuard();
  TileJobGuard(const TileJobGuard&) = delete;
  TileJobGuard& operator=(const TileJobGuard&) = delete;

 private:
  TileScheduler& m_s;
};

// What the scheduler walks: the buffer's geometry and the client area in
// buffer pixels.
struct TileComposeArea {
  const MapView* view;
  int scrollX, scrollY, clientW, clientH;
};

// Results of TileScheduler::HandOut.
enum : int { kTileNoIdleWorker = -1, kTileHeldByWorker = 0, kTileHandedOut = 1 };

class TileScheduler {
 public:
  explicit TileScheduler(TileHost* host);
  ~TileScheduler();

  // The grid for at most cols x rows cells; false when it cannot be had.
  bool Init(int cols, int rows);
  // The thread procedure of the workers (argument: the slot); nullptr starts
  // none. Before Start.
  void SetWorkerProc(LPTHREAD_START_ROUTINE proc) { m_proc = proc; }

  // Starts the workers (stopping at the first that cannot be created).
  void Start();
  // Tells every worker to end and aborts its download; any thread.
  void Stop();
  // Waits until every worker thread has ended, renewing the stop.
  void WaitEnded();
  bool Running() const { return m_running != 0; }
  bool HasWorkers() const;

  // ---- job lock held (a TileJobGuard in scope)
  MapCellGrid& Grid() { return m_grid; }
  MapTileSources& Sources() { return m_sources; }
  // The grid's shape for the cell size in force; every word cleared.
  void ResizeGrid(int cols, int rows);
  void ClearGrid();
  // The cells moved or were remapped under the workers: drawings begun
  // before are dropped (see Epoch).
  void GridMoved() { InterlockedIncrement(&m_epoch); }
  // Aborts the downloads of busy workers (their results are of no use now).
  void AbortBusy();
  bool AnyBusy() const;
  // Whether a busy worker already has this job's tile (of the same kind).
  bool Holds(const TileJob& job) const;
  // The same, of the job's generation too: that worker may draw the tile.
  bool HoldsCurrent(const TileJob& job) const;
  // Gives the job to the highest-numbered idle worker unless a busy one
  // holds its tile.
  int HandOut(const TileJob& job);
  // Whether a normal job may try to reach source L's server: always, unless
  // the server could not be reached lately; then only the one job handed
  // out as the probe once the back-off ran out.
  bool MayConnect(int L, uint32_t serial) const;
  // ----

  // Source L's server could not be reached (by the job of this serial), or
  // was: the first failure starts a back-off of 2 s, each failed probe
  // doubles it up to a minute, a success ends it and makes the cells that
  // waited for the server due again. Take the lock.
  void SourceUnreachable(int L, uint32_t serial);
  void SourceReached(int L);
  // Whether a probe is due for any source (the window's timer runs the
  // scheduler then). Takes the lock.
  bool AnyProbeDue();
  // The clock of the back-off (milliseconds; GetTickCount by default).
  void SetClock(DWORD(WINAPI* clock)()) { m_clock = clock ? clock : GetTickCount; }

  // The scheduler: missing cells to idle workers in a spiral from the
  // centre of the client area (flag 1 the visible cells only, flag 2 retry
  // failed sources). Jobs handed out, -1 when it cannot run. Takes the lock.
  int Compose(int flags, const TileComposeArea& area);

  // Whether a job is still wanted: the workers run, the window wants it and
  // its generation is in force.
  bool JobCurrent(const TileJob& job);
  // Changes of the grid's geometry so far; a drawing checks it under the
  // back buffer's lock.
  LONG Epoch() const { return m_epoch; }
  TileHost* Host() { return m_host; }

  // Pre-cache jobs: one release per tile made sure of (or given up).
  void PrecacheDone() { ReleaseSemaphore(m_precacheDone, 1, nullptr); }
  bool WaitPrecache(DWORD ms) { return WaitForSingleObject(m_precacheDone, ms) == WAIT_OBJECT_0; }

  // The worker thread's side.
  int SlotIndex(const TileWorkerSlot* slot) const { return (int)(slot - m_workers); }
  // Called last by a worker thread on its way out.
  void WorkerEnded();
  // Job lock held: sleeps until the slot has a job or is told to end (the
  // slot is not idle, or the workers stop).
  void WaitForJob(TileWorkerSlot* slot);

 private:
  friend class TileJobGuard;
  TileHost* m_host;
  CRITICAL_SECTION m_lock;
  MapCellGrid m_grid;
  MapTileSources m_sources;
  TileWorkerSlot m_workers[MAP_WORKERS];
  uint32_t m_serial;
  LPTHREAD_START_ROUTINE m_proc;
  volatile LONG m_running;
  volatile LONG m_runningWorkers;
  volatile LONG m_epoch;
  HANDLE m_allStopped;
  HANDLE m_precacheDone;
  // per source, under the job lock: back-off in ms (0: none), the time
  // the next probe is due, the serial of the probe out, the generation
  // the failure was seen with (another server clears it)
  struct Backoff {
    DWORD delay, due;
    uint32_t probe;
    uint8_t generation;
  };
  Backoff m_backoff[kMapSources];
  volatile LONG m_backingOff;  // sources with a back-off, read without the lock
  DWORD(WINAPI* m_clock)();
  bool BackingOff(int L) const;
  // whether a probe for source L may go out now
  bool ProbeDue(int L) const;
  struct SpiralCtx;
  static bool VisitCell(void* ctx, int col, int row);

};
