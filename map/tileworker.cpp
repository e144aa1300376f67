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

// Downloads url into file through a temporary name unique to this process
// and worker, in at most two tries; only a 256 x 256 image body is moved
// into place; each try is dropped when the job is no longer wanted. The
// body's length, or a value <= 0 on failure.
// *unreachable: the server could not be reached at all, or its requests
// timed out unanswered; *answered: it sent an answer (whatever it was).
int Download(TileScheduler* sched, CHttpClient* client, const MapTileSource& s, const char* folder,
             const char* file, const char* url, const TileJob& job, unsigned worker, bool* unreachable,
             bool* answered) {
  *unreachable = *answered = false;
  char tmp[MAX_PATH + 4];
  if (TileMakeTempName(tmp, sizeof tmp, folder, (uint32_t)job.ty, GetCurrentProcessId(), worker) < 0) return -1;
  DirCreateA(folder);
  int got = -1;
  for (int attempt = 0; attempt < 2 && got <= 0; attempt++) {
    // the zoom or the sources changed meanwhile: nobody wants it
    if (!sched->JobCurrent(job)) return -1;
    if (!sched->Host()->ConnectWorker(client, s.server, s.port, s.timeout)) {
      *unreachable = sched->Running();
      return -1;
    }
    got = TileFetchOnce(client, tmp, url, s.timeout);
    if (got > 0 || client->GetStatus()) *answered = true;
    // no answer at all: the connection is in doubt
    if (got <= 0 && !client->GetStatus()) client->Close();
  }
  // a server that takes requests and never answers them is as good as out
  // of reach: every cell would wait its whole time-out for it
  if (got == HTTP_ERR_TIMEOUT && !*answered) *unreachable = sched->Running();
  if (got <= 0) return got ? got : -1;
  return TileCommit(tmp, file) ? got : -1;
}

class Worker {
 public:
  explicit Worker(TileWorkerSlot* slot)
      : m_slot(slot),
        m_sched(slot->owner),
        m_host(slot->owner->Host()),
        m_index(slot->owner->SlotIndex(slot)),
        m_tmpId((unsigned)InterlockedIncrement(&g_workerSerial) * 2) {
    memset(m_src, 0, sizeof m_src);
    strncpy(m_root, TileCacheRoot(), sizeof m_root - 1);
    m_root[sizeof m_root - 1] = 0;
  }
  void Run();

 private:
  void DoJob(const TileJob& job);
  // 1 blended or skipped, 0 failed, -1 the job is to stop
  int DoSource(const TileJob& job, int L, bool* deleted);
  // job lock held
  void MarkAll(const TileJob& job, uint32_t bits, bool clearPreview);

  // a blended tile not yet told to the window: told with the next source's
  // start, or at the job's end together with the request for the next job
  void FlushReady(const TileJob& job, int worker);

  TileWorkerSlot* m_slot;
  TileScheduler* m_sched;
  bool m_ready = false;
  TileHost* m_host;
  int m_index;
  unsigned m_tmpId;  // even: its downloads; odd (+1): its ancestor tiles
  char m_root[264];
  CHttpClient* m_client = nullptr;
  MapTileSource m_src[kMapSources];
  std::vector<unsigned char> m_buf;
  CPicture m_pic;
};

void Worker::MarkAll(const TileJob& job, uint32_t bits, bool clearPreview) {
  int row, cols[kTileMaxRepeats];
  int n = job.precache ? 0 : m_host->TileCells((uint32_t)job.tx, (uint32_t)job.ty, &row, cols);
  for (int i = 0; i < n; i++) {
    uint32_t& s = m_sched->Grid().At(cols[i], row);
    s |= bits;
    if (clearPreview) s &= ~kMapCellPreview;
  }
}

int Worker::DoSource(const TileJob& job, int L, bool* deleted) {
  *deleted = false;
  if (!m_sched->JobCurrent(job)) return -1;
  {
    TileJobGuard g(*m_sched);
    const MapTileSource& cur = m_sched->Sources()[L];
    if (cur.generation == 0) return -1;
    // the settings of the source's current generation
    if (m_src[L].generation != cur.generation) m_src[L] = cur;
    if (!job.precache) {
      int row, cols[kTileMaxRepeats];
      int n = m_host->TileCells((uint32_t)job.tx, (uint32_t)job.ty, &row, cols);
      if (!n) return -1;
      bool all = true;
      for (int i = 0; i < n; i++)
        if (!(m_sched->Grid().At(cols[i], row) & (0x101u << L))) all = false;
      if (all) return 1;
    }
  }
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
      if (d <= 4 && job.zoom < 20 && m_host->ConnectWorker(m_client, s.server, s.port, s.timeout)) {
        TilePaths a;
        if (TileMakePaths(m_root, s, top, (uint32_t)job.tx >> d, (uint32_t)job.ty >> d, &a))
          ok = TileLoad(p.file, a.file, m_client, d, s.iface, s.folder, job.zoom, (uint32_t)job.tx,
                        (uint32_t)job.ty, s.suffix, s.timeout, m_tmpId + 1) > 0;
      }
      if (!ok) {
        // nothing to be had above the server's zoom: counts as blended
        {
          TileJobGuard g(*m_sched);
          if (m_sched->JobCurrent(job)) MarkAll(job, 1u << L, true);
        }
        if (job.precache) m_sched->PrecacheDone();
        return 1;
      }
      len = job.precache ? 0 : TileReadFile(p.file, m_buf);
    }
  }

  if (len >= 0) {
    if (job.precache) {
      m_sched->PrecacheDone();
      return 1;
    }
  } else {
    // a server out of reach (no network yet) leaves the cell due: it is
    // asked again after a back-off; the export counts its tile missing
    {
      TileJobGuard g(*m_sched);
      if (!m_sched->MayConnect(L, job.serial)) {
        if (job.precache) return 0;
        if (m_sched->JobCurrent(job)) MarkAll(job, kMapCellWaiting << L, false);
        return -1;
      }
    }
    bool unreachable = !m_host->ConnectWorker(m_client, s.server, s.port, s.timeout), answered = false;
    int got = -1;
    if (!unreachable)
      got = Download(m_sched, m_client, s, p.folder, p.file, p.url, job, m_tmpId, &unreachable, &answered);
    // a client counts as connected until a request fails: only an answer
    // tells that the server is there again
    if (answered) m_sched->SourceReached(L);
    if (unreachable && m_sched->Running()) {
      m_sched->SourceUnreachable(L, job.serial);
      if (job.precache) return 0;
      TileJobGuard g(*m_sched);
      if (m_sched->JobCurrent(job)) MarkAll(job, kMapCellWaiting << L, false);
      return -1;
    }
    if (got <= 0) return 0;
    if (!m_sched->JobCurrent(job)) return -1;
    if (job.precache) {
      m_sched->PrecacheDone();
      return 1;
    }
    // a body that the client kept whole is the file's content: no second
    // trip to the disk for it
    if (m_client->GetDataLength() == got) {
      if (m_buf.size() < (size_t)got) m_buf.resize((size_t)got);
      memcpy(m_buf.data(), m_client->GetData(), (size_t)got);
      len = got;
    } else {
      len = TileReadFile(p.file, m_buf);
    }
  }
  if (len <= 0 || !TileDecode(m_buf.data(), (size_t)len, m_pic)) {
    // gone again at once: another window's download was replacing it; worth
    // the one more try like a bad file
    *deleted = FileDeleteA(p.file) != 0 || len < 0;
    return 0;
  }
  if (!TilePostProcess(m_pic, L, s.options, s.optionCount, s.alphaOffset, s.alphaScale)) return 0;

  // Where it goes, under the job lock; the drawing itself runs without it
  // (the window thread takes the lock to pan, zoom and schedule) and is
  // dropped when the cells move meanwhile (the grid's epoch).
  int row, take[kTileMaxRepeats], k = 0;
  long epoch;
  {
    TileJobGuard g(*m_sched);
    if (!m_sched->JobCurrent(job)) return -1;
    if (!(m_sched->Sources().ActiveMask() & (1u << L))) return 1;
    int cols[kTileMaxRepeats];
    int n = m_host->TileCells((uint32_t)job.tx, (uint32_t)job.ty, &row, cols);
    if (!n) return 1;
    // only on top of the sources below it (a failed one counts as there)
    uint32_t below = (1u << L) - 1;
    for (int i = 0; i < n; i++) {
      uint32_t st = m_sched->Grid().At(cols[i], row);
      if ((((st | st >> 8) & below) == below) && !(st & (1u << L))) take[k++] = cols[i];
    }
    if (!k) return -1;
    epoch = m_sched->Epoch();
  }
  if (!m_host->BlendTile(m_pic, L, row, take, k, epoch)) return -1;
  {
    TileJobGuard g(*m_sched);
    if (!m_sched->JobCurrent(job) || m_sched->Epoch() != epoch) return -1;
    for (int i = 0; i < k; i++) {
      uint32_t& st = m_sched->Grid().At(take[i], row);
      st = (st | (1u << L)) & ~(kMapCellPreview | kMapCellWaiting << L);
    }
  }
  // the window thread takes the job lock to schedule: no post while held
  m_ready = true;
  return 1;
}

void Worker::FlushReady(const TileJob& job, int worker) {
  if (!m_ready) return;
  m_ready = false;
  m_host->PostTileReady((uint32_t)job.tx, (uint32_t)job.ty, worker);
}

void Worker::DoJob(const TileJob& job) {
  int count = m_sched->Sources().ActiveCount();
  for (int L = 0; L < count && L < kMapSources; L++) {
    FlushReady(job, -1);
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
        m_sched->PrecacheDone();
      } else {
        TileJobGuard g(*m_sched);
        if (m_sched->JobCurrent(job)) MarkAll(job, 0x100u << L, false);
      }
      break;
    }
  }
}

void Worker::Run() {
  m_client = new CHttpClient();
  m_client->SetMaxBodySize(kTileMaxBytes);
  {
    TileJobGuard g(*m_sched);
    m_slot->client = m_client;
  }
  // sources applied before the window ran have posted nothing yet
  if (m_sched->Running()) m_host->PostCompose(m_index);
  for (;;) {
    TileJob job;
    bool post = true;
    {
      TileJobGuard g(*m_sched);
      m_sched->WaitForJob(m_slot);
      if (!m_sched->Running() || (m_slot->jobX == -1 && m_slot->jobY == -1)) {
        m_slot->idle = 0;
        m_slot->client = nullptr;  // no abort reaches it any more
        break;
      }
      job.tx = m_slot->jobX;
      job.ty = m_slot->jobY;
      job.zoom = m_slot->zoom;
      job.generation = m_slot->generation;
      job.precache = m_slot->precache;
      job.serial = m_slot->serial;
      int row, cols[kTileMaxRepeats];
      if (!job.precache && !m_host->TileCells((uint32_t)job.tx, (uint32_t)job.ty, &row, cols)) post = false;
    }
    if (post) DoJob(job);
    {
      TileJobGuard g(*m_sched);
      m_slot->idle = 1;
      // done; a stop that came meanwhile keeps its mark
      if (m_slot->jobX != -1 || m_slot->jobY != -1) m_slot->jobX = m_slot->jobY = -2;
    }
    if (post && m_sched->Running()) {
      if (m_ready)
        FlushReady(job, m_index);
      else
        m_host->PostCompose(m_index);
    }
    m_ready = false;
  }
  delete m_client;
  m_client = nullptr;
}

}  // namespace

volatile long* TileLiveWorkers() { return &g_liveWorkers; }

DWORD WINAPI TileWorkerThread(LPVOID p) {
  TileWorkerLoop((TileWorkerSlot*)p);
  return 0;
}

void TileWorkerLoop(TileWorkerSlot* slot) {
  TileScheduler* sched = slot->owner;
  InterlockedIncrement(&g_liveWorkers);
  {
    Worker w(slot);
    w.Run();
  }
  InterlockedDecrement(&g_liveWorkers);
  sched->WorkerEnded();
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
    // an aborted request is not wanted any more (the zoom or the sources
    // changed, the window goes): no second try
    int got = TileFetchOnce(client, tmp, url, timeout);
    if (got <= 0 && got != HTTP_ERR_ABORTED) got = TileFetchOnce(client, tmp, url, timeout);
    if (got <= 0) return -1;
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

