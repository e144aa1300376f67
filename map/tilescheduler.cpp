#include <winsock2.h>  // before windows.h: the workers' HTTP client

#include "map/tilescheduler.h"

#include <stdlib.h>
#include <string.h>

#include "comm/httpclient.h"
#include "map/tileplan.h"
#include "map/tileworker.h"

TileJobGuard::TileJobGuard(TileScheduler& s) : m_s(s) { EnterCriticalSection(&s.m_lock); }
TileJobGuard::~TileJobGuard() { LeaveCriticalSection(&m_s.m_lock); }

TileScheduler::TileScheduler(TileHost* host)
    : m_host(host),
      m_serial(0),
      m_proc(TileWorkerThread),
      m_running(0),
      m_runningWorkers(0),
      m_epoch(0),
      m_backingOff(0),
      m_clock(GetTickCount) {
  memset(m_backoff, 0, sizeof m_backoff);
  // a critical section: under Wine every wait on a kernel object is a trip
  // to the wineserver, and the lock is taken hundreds of times a fill
  InitializeCriticalSection(&m_lock);
  m_allStopped = CreateSemaphoreA(nullptr, 0, 0x7F000000, nullptr);
  m_precacheDone = CreateSemaphoreA(nullptr, 0, 0x7F000000, nullptr);
  memset(m_workers, 0, sizeof m_workers);
  for (TileWorkerSlot& w : m_workers) {
    w.owner = this;
    InitializeConditionVariable(&w.wake);
  }
}

TileScheduler::~TileScheduler() {
  Stop();
  WaitEnded();
  free(m_grid.words);
  if (m_allStopped) CloseHandle(m_allStopped);
  if (m_precacheDone) CloseHandle(m_precacheDone);
  DeleteCriticalSection(&m_lock);
}

bool TileScheduler::Init(int cols, int rows) {
  free(m_grid.words);
  m_grid.words = (uint32_t*)calloc((size_t)cols * rows, sizeof(uint32_t));
  m_grid.cols = m_grid.words ? cols : 0;
  m_grid.rows = m_grid.words ? rows : 0;
  return m_grid.words != nullptr;
}

void TileScheduler::Start() {
  TileJobGuard g(*this);
  m_running = 1;
  if (!m_proc) return;
  for (TileWorkerSlot& w : m_workers) {
    w.idle = 1;
    w.jobX = w.jobY = -2;  // a stop before this start is over
    InterlockedIncrement(&m_runningWorkers);
    w.thread = CreateThread(nullptr, 0x20000, m_proc, &w, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!w.thread) {
      w.idle = 0;
      InterlockedDecrement(&m_runningWorkers);
      break;
    }
  }
}

void TileScheduler::Stop() {
  TileJobGuard g(*this);
  m_running = 0;
  for (TileWorkerSlot& w : m_workers) {
    w.jobX = w.jobY = -1;
    if (w.thread) {
      WakeConditionVariable(&w.wake);
      // the worker detaches its client under the job lock
      if (w.client) w.client->Abort();
    }
  }
}

void TileScheduler::WaitEnded() {
  // Nothing a worker touches (slots, grid, buffer, locks) may go before
  // every thread has really ended: no time limit, but the stop is renewed
  // every 100 ms in case a worker was between its checks.
  for (;;) {
    HANDLE live[MAP_WORKERS];
    int n = 0;
    for (TileWorkerSlot& w : m_workers)
      if (w.thread) {
        if (WaitForSingleObject(w.thread, 0) == WAIT_OBJECT_0) {
          CloseHandle(w.thread);
          w.thread = nullptr;
        } else {
          live[n++] = w.thread;
        }
      }
    if (!n) break;
    if (WaitForMultipleObjects(n, live, TRUE, 100) == WAIT_TIMEOUT) Stop();
  }
}

bool TileScheduler::HasWorkers() const {
  for (const TileWorkerSlot& w : m_workers)
    if (w.thread) return true;
  return false;
}

void TileScheduler::WorkerEnded() {
  // the owner may go as soon as this count reaches 0: nothing after it
  if (InterlockedDecrement(&m_runningWorkers) == 0) ReleaseSemaphore(m_allStopped, 1, nullptr);
}

void TileScheduler::WaitForJob(TileWorkerSlot* slot) {
  while (m_running && slot->idle && !(slot->jobX == -1 && slot->jobY == -1))
    SleepConditionVariableCS(&slot->wake, &m_lock, INFINITE);
}

void TileScheduler::ResizeGrid(int cols, int rows) {
  m_grid.cols = cols;
  m_grid.rows = rows;
  ClearGrid();
}

void TileScheduler::ClearGrid() {
  GridMoved();
  m_grid.Clear();
}

void TileScheduler::AbortBusy() {
  for (TileWorkerSlot& w : m_workers)
    if (w.thread && !w.idle && w.client) w.client->Abort();
}

bool TileScheduler::AnyBusy() const {
  for (const TileWorkerSlot& w : m_workers)
    if (w.thread && !w.idle) return true;
  return false;
}

bool TileScheduler::Holds(const TileJob& job) const {
  for (const TileWorkerSlot& w : m_workers)
    if (w.thread && !w.idle && w.jobX == job.tx && w.jobY == job.ty && w.zoom == job.zoom &&
        w.precache == job.precache)
      return true;
  return false;
}

bool TileScheduler::HoldsCurrent(const TileJob& job) const {
  for (const TileWorkerSlot& w : m_workers)
    if (w.thread && !w.idle && w.jobX == job.tx && w.jobY == job.ty && w.zoom == job.zoom &&
        w.precache == job.precache && w.generation == job.generation)
      return true;
  return false;
}

int TileScheduler::HandOut(const TileJob& job) {
  if (Holds(job)) return kTileHeldByWorker;
  TileWorkerSlot* idle = nullptr;
  for (TileWorkerSlot& w : m_workers)
    if (w.thread && w.idle) idle = &w;  // the highest-numbered idle slot
  if (!idle) return kTileNoIdleWorker;
  idle->serial = ++m_serial;
  idle->jobX = job.tx;
  idle->jobY = job.ty;
  idle->zoom = (uint8_t)job.zoom;
  idle->generation = job.generation;
  idle->precache = job.precache;
  idle->idle = 0;
  WakeConditionVariable(&idle->wake);
  return kTileHandedOut;
}

namespace {
const DWORD kBackoffFirstMs = 2000;
const DWORD kBackoffMaxMs = 60000;
}  // namespace

bool TileScheduler::BackingOff(int L) const {
  const Backoff& b = m_backoff[L];
  // a failure seen with other sources says nothing of these
  return b.delay && b.generation == m_sources[L].generation;
}

bool TileScheduler::ProbeDue(int L) const { return BackingOff(L) && (LONG)(m_clock() - m_backoff[L].due) >= 0; }

bool TileScheduler::MayConnect(int L, uint32_t serial) const {
  return !BackingOff(L) || (serial && m_backoff[L].probe == serial);
}

void TileScheduler::SourceUnreachable(int L, uint32_t serial) {
  if (L < 0 || L >= kMapSources) return;
  TileJobGuard g(*this);
  Backoff& b = m_backoff[L];
  DWORD now = m_clock();
  if (!BackingOff(L)) {
    if (!b.delay) InterlockedIncrement(&m_backingOff);  // not one of other sources
    b.delay = kBackoffFirstMs;
    b.generation = m_sources[L].generation;
    b.probe = 0;
  } else if (serial && serial == b.probe) {
    b.delay = b.delay >= kBackoffMaxMs / 2 ? kBackoffMaxMs : b.delay * 2;
    b.probe = 0;
  } else {
    return;  // a job handed out before the back-off began
  }
  b.due = now + b.delay;
}

void TileScheduler::SourceReached(int L) {
  if (!m_backingOff || L < 0 || L >= kMapSources) return;
  TileJobGuard g(*this);
  if (!m_backoff[L].delay) return;
  m_backoff[L].delay = 0;
  InterlockedDecrement(&m_backingOff);
  // the cells that waited for this server are due again
  size_t n = (size_t)m_grid.cols * m_grid.rows;
  for (size_t i = 0; m_grid.words && i < n; i++) m_grid.words[i] &= ~(kMapCellWaiting << L);
}

bool TileScheduler::AnyProbeDue() {
  if (!m_backingOff) return false;
  TileJobGuard g(*this);
  for (int L = 0; L < m_sources.ActiveCount() && L < kMapSources; L++)
    if (ProbeDue(L)) return true;
  return false;
}

bool TileScheduler::JobCurrent(const TileJob& job) {
  return m_running && m_host->JobCurrent(job) && m_sources.Generation() == job.generation;
}

struct TileScheduler::SpiralCtx {
  TileScheduler* s;
  const MapView* v;
  int flags;
  uint32_t mask;
  int handed;
};

bool TileScheduler::VisitCell(void* p, int col, int row) {
  SpiralCtx* c = (SpiralCtx*)p;
  TileScheduler* s = c->s;
  uint32_t& state = s->Grid().At(col, row);
  uint32_t done = (state & 0xFF) | ((c->flags & 2) ? 0 : (state >> 8) & 0xFF);
  uint32_t missing = c->mask & ~done;
  if (!missing) return true;
  // the job starts at the lowest missing source; a cell that waits for its
  // server goes only as the probe, so the workers do not spin
  int L = 0;
  while (!(missing & (1u << L))) L++;
  bool probe = (state & (kMapCellWaiting << L)) && s->BackingOff(L);
  if (probe && !s->ProbeDue(L)) return true;
  uint32_t tx, ty;
  c->v->CellToTile(col, row, &tx, &ty);
  TileJob job = {(int)tx, (int)ty, c->v->zoom, s->Sources().Generation(), 0, 0};
  int r = s->HandOut(job);
  if (r == kTileNoIdleWorker) return false;
  if (r == kTileHandedOut) {
    if (probe) {
      Backoff& b = s->m_backoff[L];
      b.probe = s->m_serial;
      // a probe that is dropped unanswered is followed by the next in time
      b.due = s->m_clock() + b.delay;
    }
    if (c->flags & 2) state &= ~(c->mask << 8);
    c->handed++;
  }
  return true;
}

int TileScheduler::Compose(int flags, const TileComposeArea& a) {
  TileJobGuard g(*this);
  bool idle = false;
  for (TileWorkerSlot& w : m_workers) idle |= w.thread && w.idle;
  if (!idle || !m_running || m_sources.Changed() || m_sources.ActiveCount() == 0 || !m_grid.words) return -1;
  const MapView& v = *a.view;
  int t = v.tileSize;
  int cx = (a.scrollX + a.clientW / 2) / t;
  int cy = (a.scrollY + a.clientH / 2) / t;
  int c0 = 0, c1 = v.ncol - 1, r0 = 0, r1 = v.nrow - 1;
  if (flags & 1) {
    c0 = a.scrollX / t;
    c1 = (a.scrollX + a.clientW - 1) / t;
    r0 = a.scrollY / t;
    r1 = (a.scrollY + a.clientH - 1) / t;
    if (c0 < 0) c0 = 0;
    if (r0 < 0) r0 = 0;
    if (c1 > v.ncol - 1) c1 = v.ncol - 1;
    if (r1 > v.nrow - 1) r1 = v.nrow - 1;
  }
  if (v.Tiles() < (uint32_t)v.nrow) {
    int top = (v.nrow - (int)v.Tiles() + 1) / 2;
    int bottom = top + (int)v.Tiles() - 1;
    if (r0 < top) r0 = top;
    if (r1 > bottom) r1 = bottom;
  }
  SpiralCtx c = {this, &v, flags, m_sources.ActiveMask(), 0};
  if (c0 <= c1 && r0 <= r1) TileSpiralWalk(cx, cy, c0, c1, r0, r1, VisitCell, &c);
  return c.handed;
}
