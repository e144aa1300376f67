// Saving a map section as a georeferenced PNG and filling the tile cache
// with a section's tiles: the work of the progress dialog's thread.
#pragma once

#include <windows.h>

#include <stdint.h>

class CMapWnd;
class CPicture;
class CProgressDlg;

// Results of MapExportRenderProc.
enum {
  kMapExportDone = 0,
  kMapExportSaveFailed = -1,
  kMapExportCancelled = -2,  // the user stopped it: no message
  kMapExportStopped = -3,    // the map's workers ended
  kMapExportBadArgs = -4,
};

// One export or pre-caching run. The counters are 32-bit words, each
// written by one side: the worker the tile counter, level, level tiles,
// missing and saving; the progress callback the last shown value and the
// cancel flag.
struct MapExportJob {
  CMapWnd* map = nullptr;     // renders from its sources and caches
  uint32_t x = 0, y = 0;      // corner A (world point)
  int zoom = 0;
  int width = 0, height = 0;  // pixels at the zoom
  CPicture* image = nullptr;  // the section's 32-bit picture; none for pre-caching
  const char* file = nullptr; // none for pre-caching

  volatile LONG cancel = 0;
  volatile LONG tiles = 0;       // tiles done of the present level
  volatile LONG levelTiles = 0;  // tiles of the present level
  volatile LONG level = 0;       // index from 0 (the section's zoom)
  volatile LONG levels = 1;
  volatile LONG missing = 0;
  volatile LONG saving = 0;
  volatile LONG result = 0;
  LONG lastShown = -1;
};

// Runs a job in the calling thread; also its result.
int MapExportRun(MapExportJob* job);
// CProgressDlg worker: argument 0 is the job.
int MapExportRenderProc(CProgressDlg* dlg);
// CProgressDlg timer callback (argument: the job): position and line 0.
int MapExportProgressProc(CProgressDlg* dlg, void* job);
