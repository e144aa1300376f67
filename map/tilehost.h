// What the tile scheduler and its workers need of the window that shows the
// tiles. The map window answers (maptiles_wnd.cpp); tests plug in a fake.
#pragma once

#include <stdint.h>

class CHttpClient;
class CPicture;

// One job of a worker: a tile at a zoom for the sources of a generation;
// precache: only make sure the tile is in the disk cache.
struct TileJob {
  int tx, ty, zoom;
  uint8_t generation, precache;
  uint32_t serial;  // as handed out (0: not by the scheduler)
};

// Most buffer columns one tile can show (a world narrower than the buffer
// repeats across it).
const int kTileMaxRepeats = 64;

class TileHost {
 public:
  // Job lock held: the buffer row and the columns that show tile (tx, ty) at
  // the zoom in force; the column count, 0 when the tile is not in the buffer.
  virtual int TileCells(uint32_t tx, uint32_t ty, int* row, int* cols) = 0;
  // Whether the window still wants the job (it runs and, for a normal job,
  // shows the job's zoom); read without the job lock.
  virtual bool JobCurrent(const TileJob& job) = 0;
  // Job lock not held: draws a finished tile of source L into the given
  // columns of row, under the back buffer's lock, unless the grid moved
  // since epoch (TileScheduler::Epoch, read under that lock): false when
  // it drew nothing.
  virtual bool BlendTile(CPicture& pic, int source, int row, const int* cols, int ncols, long epoch) = 0;
  // Connects a worker's client to a source's server: 1 when connected.
  virtual int ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs) = 0;
  // From a worker, job lock not held. worker >= 0: that worker is idle
  // again, and the scheduler runs in the same message (one post, not two).
  virtual void PostTileReady(uint32_t tx, uint32_t ty, int worker) = 0;
  virtual void PostCompose(int worker) = 0;

 protected:
  ~TileHost() {}
};
