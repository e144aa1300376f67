#include "map/tileworker.h"

#include "map/tilepath.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "comm/httpclient.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "image/formats/pngcodec.h"
#include "image/picture.h"
#include "map/tilecache.h"
#include "map/tilefx.h"
#include "map/tilecache_io.h"
#include "map/tileplan.h"

namespace {

volatile long g_liveWorkers = 0;
// numbers the workers of all windows: two windows on one source fetch the
// same tile at once, each into a temporary name of its own
volatile long g_workerSerial = 0;

bool Post(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!wnd) return false;
  if (PostMessageA(wnd, msg, wp, lp)) return true;
  Sleep(20);
  return PostMessageA(wnd, msg, wp, lp) != 0;
}

// Downloads url into file through a temporary name unique to this process
// and worker, in at most two tries; only a 256 x 256 image body is moved
// into place. zoom >= 0: the window's own job, dropped when the zoom
// changes. The body's length, or a value <= 0 on failure.
int Download(CMapWnd* map, CHttpClient* client, const MapTileSource& s, const char* folder, const char* file,
             const char* url, uint32_t row, unsigned worker, int zoom) {
  char tmp[MAX_PATH + 4];
  if (TileMakeTempName(tmp, sizeof tmp, folder, row, GetCurrentProcessId(), worker) < 0) return -1;
  DirCreateA(folder);
  int got = -1;
  for (int attempt = 0; attempt < 2 && got <= 0; attempt++) {
    if (!map->IsRunning() || (zoom >= 0 && map->GetZoom() != zoom)) return -1;
    if (!map->ConnectWorker(client, s.server, s.port, s.timeout)) return -1;
    got = TileFetchOnce(client, tmp, url, s.timeout);
    // no answer at all: the connection is in doubt
    if (got <= 0 && !client->GetStatus()) client->Close();
  }
  if (got <= 0) return got ? got : -1;
  return TileCommit(tmp, file) ? got : -1;
}

// Columns of the buffer that show tile column col (the world repeats when it
// is narrower than the buffer). Returns the count.
int Repeats(CMapWnd* map, int col, int* cols) {
  const MapView& v = map->View();
  int step = v.Tiles() < (uint32_t)v.ncol ? (int)v.Tiles() : v.ncol;
  int n = 0;
  for (int c = col % step; c < v.ncol && n < 64; c += step) cols[n++] = c;
  return n;
}

struct Job {
  int tx, ty, zoom;
  uint8_t generation, precache;
};

// Whether the job is still wanted (job lock not needed: single words).
bool JobAlive(CMapWnd* map, const Job& job) {
  if (!map->IsRunning()) return false;
  if (!job.precache && map->GetZoom() != job.zoom) return false;
  return map->m_sources.Generation() == job.generation;
}

class Worker {
 public:
  explicit Worker(TileWorkerSlot* slot)
      : m_slot(slot),
        m_map(slot->owner),
        m_index((unsigned)(slot - slot->owner->m_workers)),
        m_tmpId((unsigned)InterlockedIncrement(&g_workerSerial) * 2) {
    memset(m_src, 0, sizeof m_src);
    m_wnd = m_map->GetSafeHwnd();
    strncpy(m_root, TileCacheRoot(), sizeof m_root - 1);
    m_root[sizeof m_root - 1] = 0;
  }
  void Run();

 private:
  void DoJob(const Job& job);
  // 1 blended or skipped, 0 failed, -1 the job is to stop
  int DoSource(const Job& job, int L, bool* deleted);
  void MarkAll(const Job& job, uint32_t bits, bool clearPreview);
  bool CellOf(const Job& job, int* row, int* cols, int* ncols);

  TileWorkerSlot* m_slot;
  CMapWnd* m_map;
  unsigned m_index;
  unsigned m_tmpId;  // even: its downloads; odd (+1): its ancestor tiles
  HWND m_wnd;
  char m_root[264];
  CHttpClient* m_client = nullptr;
  MapTileSource m_src[kMapSources];
  std::vector<unsigned char> m_buf;
  CPicture m_pic;
};

bool Worker::CellOf(const Job& job, int* row, int* cols, int* ncols) {
  int col;
  if (!m_map->TileToCell((uint32_t)job.tx, (uint32_t)job.ty, &col, row)) return false;
  *ncols = Repeats(m_map, col, cols);
  return *ncols > 0;
}

void Worker::MarkAll(const Job& job, uint32_t bits, bool clearPreview) {
  int row, cols[64], n;
  if (job.precache || !CellOf(job, &row, cols, &n)) return;
  for (int i = 0; i < n; i++) {
    uint32_t& s = m_map->m_grid.At(cols[i], row);
    s |= bits;
    if (clearPreview) s &= ~kMapCellPreview;
  }
}

int Worker::DoSource(const Job& job, int L, bool* deleted) {
  *deleted = false;
  if (!JobAlive(m_map, job)) return -1;
  m_map->LockJobs();
  const MapTileSource& cur = m_map->m_sources[L];
  if (cur.generation == 0) {
    m_map->UnlockJobs();
    return -1;
  }
  // the settings of the source's current generation
  if (m_src[L].generation != cur.generation) m_src[L] = cur;
  if (!job.precache) {
    int row, cols[64], n;
    if (!CellOf(job, &row, cols, &n)) {
      m_map->UnlockJobs();
      return -1;
    }
    bool all = true;
    for (int i = 0; i < n; i++)
      if (!(m_map->m_grid.At(cols[i], row) & (0x101u << L))) all = false;
    if (all) {
      m_map->UnlockJobs();
      return 1;
    }
  }
  m_map->UnlockJobs();
  const MapTileSource& s = m_src[L];
  TilePaths p;
  if (!TileMakePaths(m_root, s, job.zoom, (uint32_t)job.tx, (uint32_t)job.ty, &p)) return 0;
  // a normal job reads the file at once (one open); -1: not in the cache
  // (a pre-cache job counts only a usable file as there)
  long long len = job.precache ? (TileReadCached(p.file, m_buf) >= 0 ? 0 : -1) : TileReadFile(p.file, m_buf, true);

  if (len < 0 && s.optionCount >= 2 && s.options[0] == kTileOptGray) {
    int top = (int)(s.options[1] >> 24);
    if (top == 0) top = 28;
    if (job.zoom > top) {
      int d = job.zoom - top;
      bool ok = false;
      if (d <= 4 && job.zoom < 20 && m_map->ConnectWorker(m_client, s.server, s.port, s.timeout)) {
        TilePaths a;
        if (TileMakePaths(m_root, s, top, (uint32_t)job.tx >> d, (uint32_t)job.ty >> d, &a))
          ok = TileLoad(p.file, a.file, m_client, d, s.iface, s.folder, job.zoom, (uint32_t)job.tx,
                        (uint32_t)job.ty, s.suffix, s.timeout, m_tmpId + 1) > 0;
      }
      if (!ok) {
        // nothing to be had above the server's zoom: counts as blended
        m_map->LockJobs();
        if (JobAlive(m_map, job)) MarkAll(job, 1u << L, true);
        m_map->UnlockJobs();
        if (job.precache) ReleaseSemaphore(m_map->m_precacheDone, 1, nullptr);
        return 1;
      }
      len = job.precache ? 0 : TileReadFile(p.file, m_buf);
    }
  }

  if (len >= 0) {
    if (job.precache) {
      ReleaseSemaphore(m_map->m_precacheDone, 1, nullptr);
      return 1;
    }
  } else {
    if (!m_map->ConnectWorker(m_client, s.server, s.port, s.timeout)) return 0;
    int got = Download(m_map, m_client, s, p.folder, p.file, p.url, (uint32_t)job.ty, m_tmpId,
                       job.precache ? -1 : job.zoom);
    if (got <= 0) return 0;
    if (!JobAlive(m_map, job)) return -1;
    if (job.precache) {
      ReleaseSemaphore(m_map->m_precacheDone, 1, nullptr);
      return 1;
    }
    len = TileReadFile(p.file, m_buf);
  }
  if (len <= 0 || !TileDecode(m_buf.data(), (size_t)len, m_pic)) {
    // gone again at once: another window's download was replacing it; worth
    // the one more try like a bad file
    *deleted = FileDeleteA(p.file) != 0 || len < 0;
    return 0;
  }
  if (!TilePostProcess(m_pic, L, s.options, s.optionCount, s.alphaOffset, s.alphaScale)) return 0;

  m_map->LockJobs();
  int result = 1;
  bool blended = false;
  if (!JobAlive(m_map, job)) {
    result = -1;
  } else if ((m_map->m_sources.ActiveMask() & (1u << L)) != 0) {
    int row, cols[64], n;
    if (CellOf(job, &row, cols, &n)) {
      // only on top of the sources below it (a failed one counts as there)
      uint32_t below = (1u << L) - 1;
      int take[64], k = 0;
      for (int i = 0; i < n; i++) {
        uint32_t st = m_map->m_grid.At(cols[i], row);
        if ((((st | st >> 8) & below) == below) && !(st & (1u << L))) take[k++] = cols[i];
      }
      if (k) {
        m_map->BlendTile(m_pic, L, row, take, k, (uint32_t)job.tx, (uint32_t)job.ty);
        blended = true;
      } else {
        result = -1;
      }
    }
  }
  m_map->UnlockJobs();
  // the window thread takes the job lock to schedule: no post while held
  if (blended) m_map->PostTileReady((uint32_t)job.tx, (uint32_t)job.ty);
  return result;
}

void Worker::DoJob(const Job& job) {
  int count = m_map->m_sources.ActiveCount();
  for (int L = 0; L < count && L < kMapSources; L++) {
    bool retried = false;
    for (;;) {
      bool deleted = false;
      int r = DoSource(job, L, &deleted);
      if (r < 0) return;
      if (r > 0) break;
      if (deleted && !retried) {
        retried = true;
        continue;
      }
      if (job.precache) {
        ReleaseSemaphore(m_map->m_precacheDone, 1, nullptr);
      } else {
        m_map->LockJobs();
        if (JobAlive(m_map, job)) MarkAll(job, 0x100u << L, false);
        m_map->UnlockJobs();
      }
      break;
    }
  }
}

void Worker::Run() {
  m_client = new CHttpClient();
  m_client->SetMaxBodySize(kTileMaxBytes);
  m_map->LockJobs();
  m_slot->client = m_client;
  m_map->UnlockJobs();
  // sources applied before the window ran have posted nothing yet
  if (m_map->IsRunning()) Post(m_wnd, WM_MAP_COMPOSE, m_index, 0);
  WaitForSingleObject(m_slot->wake, INFINITE);
  m_map->LockJobs();
  while (m_map->IsRunning()) {
    Job job;
    job.tx = m_slot->jobX;
    job.ty = m_slot->jobY;
    job.zoom = m_slot->zoom;
    job.generation = m_slot->generation;
    job.precache = m_slot->precache;
    if (job.tx == -1 && job.ty == -1) break;
    if (m_slot->idle) {
      // woken without a job (a stop that came and went): wait again
      m_map->UnlockJobs();
      WaitForSingleObject(m_slot->wake, INFINITE);
      m_map->LockJobs();
      continue;
    }
    bool post = true;
    if (!job.precache) {
      int col, row;
      if (!m_map->TileToCell((uint32_t)job.tx, (uint32_t)job.ty, &col, &row)) post = false;
    }
    m_map->UnlockJobs();
    if (post) DoJob(job);
    m_map->LockJobs();
    m_slot->idle = 1;
    // done; a stop that came meanwhile keeps its mark
    if (m_slot->jobX != -1 || m_slot->jobY != -1) m_slot->jobX = m_slot->jobY = -2;
    m_map->UnlockJobs();
    if (post && m_map->IsRunning()) Post(m_wnd, WM_MAP_COMPOSE, m_index, 0);
    WaitForSingleObject(m_slot->wake, INFINITE);
    m_map->LockJobs();
  }
  m_slot->idle = 0;
  m_slot->client = nullptr;  // no abort reaches it any more
  m_map->UnlockJobs();
  delete m_client;
  m_client = nullptr;
}

struct SpiralCtx {
  CMapWnd* map;
  int flags;
  uint32_t mask;
  int handed;
};

bool VisitCell(void* p, int col, int row) {
  SpiralCtx* c = (SpiralCtx*)p;
  CMapWnd* map = c->map;
  uint32_t s = map->m_grid.At(col, row);
  uint32_t done = (s & 0xFF) | ((c->flags & 2) ? 0 : (s >> 8) & 0xFF);
  if ((done & c->mask) == c->mask) return true;
  uint32_t tx, ty;
  map->CellToTile(col, row, &tx, &ty);
  int zoom = map->GetZoom();
  TileWorkerSlot* idle = nullptr;
  for (TileWorkerSlot& w : map->m_workers) {
    if (!w.thread) continue;
    if (!w.idle) {
      if (w.jobX == (int)tx && w.jobY == (int)ty && w.zoom == zoom && !w.precache) return true;
    } else {
      idle = &w;  // the highest-numbered idle slot
    }
  }
  if (!idle) return false;
  if (c->flags & 2) map->m_grid.At(col, row) = s & ~(c->mask << 8);
  idle->serial = ++c->map->m_jobSerial;
  idle->jobX = (int)tx;
  idle->jobY = (int)ty;
  idle->zoom = (uint8_t)zoom;
  idle->generation = c->map->m_sources.Generation();
  idle->precache = 0;
  idle->idle = 0;
  ReleaseSemaphore(idle->wake, 1, nullptr);
  c->handed++;
  for (TileWorkerSlot& w : map->m_workers)
    if (w.thread && w.idle) return true;
  return false;
}

}  // namespace

volatile long* TileLiveWorkers() { return &g_liveWorkers; }

DWORD WINAPI TileWorkerThread(LPVOID p) {
  TileWorkerLoop((TileWorkerSlot*)p);
  return 0;
}

void TileWorkerLoop(TileWorkerSlot* slot) {
  CMapWnd* map = slot->owner;
  InterlockedIncrement(&g_liveWorkers);
  {
    Worker w(slot);
    w.Run();
  }
  InterlockedDecrement(&g_liveWorkers);
  // the window may go as soon as this count reaches 0: nothing after it
  if (InterlockedDecrement(&map->m_runningWorkers) == 0) ReleaseSemaphore(map->m_allStopped, 1, nullptr);
}

int TileComposeJobs(CMapWnd* map, int flags) {
  map->LockJobs();
  int idle = 0;
  for (TileWorkerSlot& w : map->m_workers)
    if (w.thread && w.idle) idle++;
  if (!idle || map->m_sources.Changed() || map->m_sources.ActiveCount() == 0 || !map->m_grid.words) {
    map->UnlockJobs();
    return -1;
  }
  const MapView& v = map->View();
  int t = v.tileSize;
  int cx = (map->ScrollX() + map->ClientWidth() / 2) / t;
  int cy = (map->ScrollY() + map->ClientHeight() / 2) / t;
  int c0 = 0, c1 = v.ncol - 1, r0 = 0, r1 = v.nrow - 1;
  if (flags & 1) {
    c0 = map->ScrollX() / t;
    c1 = (map->ScrollX() + map->ClientWidth() - 1) / t;
    r0 = map->ScrollY() / t;
    r1 = (map->ScrollY() + map->ClientHeight() - 1) / t;
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
  SpiralCtx c = {map, flags, map->m_sources.ActiveMask(), 0};
  if (c0 <= c1 && r0 <= r1) TileSpiralWalk(cx, cy, c0, c1, r0, r1, VisitCell, &c);
  map->UnlockJobs();
  return c.handed;
}

long long TileLoad(const char* tileFile, const char* ancestorFile, CHttpClient* client, int d, int iface,
                   const char* folder, int zoom, uint32_t col, uint32_t row, const char* suffix, int timeout,
                   unsigned worker) {
  if (d < 1 || d > 8 || !client) return -1;
  if (FileGetSizeA(ancestorFile) < 0) {
    char url[1200], dir[MAX_PATH + 4];
    if (TileMakeUrl(url, sizeof url, iface, folder, (unsigned)(zoom - d), col >> d, row >> d, suffix) < 0) return -1;
    // the ancestor's folder is the part of its name before the last separator
    strncpy(dir, ancestorFile, sizeof dir - 1);
    dir[sizeof dir - 1] = 0;
    char* cut = strrchr(dir, '/');
    char* cut2 = strrchr(dir, '\\');
    if (cut2 > cut) cut = cut2;
    if (!cut) return -1;
    *cut = 0;
    char tmp[MAX_PATH + 4];
    // workers next door may want the same ancestor: names of their own
    if (TileMakeTempName(tmp, sizeof tmp, dir, row >> d, GetCurrentProcessId(), worker) < 0) return -1;
    DirCreateA(dir);
    if (TileFetchOnce(client, tmp, url, timeout) <= 0 && TileFetchOnce(client, tmp, url, timeout) <= 0) return -1;
    if (!TileCommit(tmp, ancestorFile)) return -1;
  }
  std::vector<unsigned char> buf;
  long long len = TileReadFile(ancestorFile, buf);
  if (len < 0) {
    // a neighbour fetching the same ancestor may be moving its copy in
    Sleep(50);
    len = TileReadFile(ancestorFile, buf);
    if (len < 0) return -1;
  }
  CPicture a;
  if (len == 0 || !TileDecode(buf.data(), (size_t)len, a)) {
    FileDeleteA(ancestorFile);
    return -1;
  }
  if (a.Bits() <= 8 && !TileConvertDepth(a, 32)) return -1;
  int part = 256 >> d;
  CPicture crop, out;
  if (!crop.CropFrom(a, (int)(col & ((1u << d) - 1)) * part, (int)(row & ((1u << d) - 1)) * part, part, part) ||
      !out.ScaleFrom(crop, 256, 256))
    return -1;
  DirCreateExA(tileFile, DIRCREATE_PARENT);
  try {
    CPngWriter w;
    w.Save(tileFile, out);
  } catch (...) {
    return -1;
  }
  return FileGetSizeA(tileFile);
}

