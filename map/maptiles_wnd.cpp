// CMapWnd's tile sources, cache commands and area rendering, and what the
// window answers its tile workers (MapTileLink).
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "comm/httpclient.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "image/picture.h"
#include "map/mapwnd.h"
#include "map/tilecache.h"
#include "map/tilefx.h"
#include "map/tilecache_io.h"
#include "map/tileworker.h"

namespace {

bool Post(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!wnd) return false;
  if (PostMessageA(wnd, msg, wp, lp)) return true;
  Sleep(20);
  return PostMessageA(wnd, msg, wp, lp) != 0;
}

}  // namespace

void MapTilesInstall() {
  TileCacheRoot();  // chosen once, before any worker reads it
}

int CMapWnd::SetSource(int slot, const char* server, const char* path, int port, int fixed, int iface,
                       const char* options, int timeout) {
  TileJobGuard g(m_tiles);
  return m_tiles.Sources().Set(slot, server, path, port, fixed, iface, options, timeout);
}

int CMapWnd::SetLayerAlpha(int slot, int32_t offset, int32_t scale) {
  TileJobGuard g(m_tiles);
  return m_tiles.Sources().SetAlpha(slot, offset, scale);
}

MapTileSource CMapWnd::GetSource(int slot) {
  TileJobGuard g(m_tiles);
  return m_tiles.Sources()[slot < 0 || slot >= kMapSources ? 0 : slot];
}

int CMapWnd::CopySourcesFrom(CMapWnd* other) {
  if (!other) return 0;
  MapTileSources copy;
  {
    TileJobGuard g(other->m_tiles);
    copy = other->m_tiles.Sources();
  }
  for (int i = 0; i < kMapSources; i++) {
    // the path carries the suffix ("/a/*.jpg"), the options their words
    char path[400], opts[120];
    copy.FormatPath(i, path, sizeof path);
    if (i > 0)
      copy.FormatOptions(i, opts, sizeof opts);
    else
      opts[0] = 0;
    const MapTileSource& s = copy[i];
    SetSource(i, s.server, path, s.port, s.fixed, s.iface, opts, s.timeout);
    if (i > 0) SetLayerAlpha(i, s.alphaOffset, s.alphaScale);
  }
  return 1;
}

int CMapWnd::ApplySources() {
  int r;
  {
    TileJobGuard g(m_tiles);
    r = m_tiles.Sources().Apply();
    if (r) {
      m_tiles.ClearGrid();
      // what the workers fetch now is for the old sources: a hanging server
      // among them must not hold the new ones back
      m_tiles.AbortBusy();
    }
  }
  if (r && m_running) Post(m_hWnd, WM_MAP_CLEAR, 0, 0);
  return r;
}

void CMapWnd::Reload() {
  {
    TileJobGuard g(m_tiles);
    m_tiles.ClearGrid();
    m_tiles.AbortBusy();
  }
  Post(m_hWnd, WM_MAP_COMPOSE, 0, 0);
}

namespace {
// Moves every entry of the cache root into a new folder inside it, so that
// the root is empty at once; the folder's name, or "" when nothing moved.
std::string MoveCacheAside(const char* root) {
  std::string base = root;
  if (!base.empty() && base.back() != '\\' && base.back() != '/') base += FIO_SEP;
  std::string trash;
  for (unsigned n = GetTickCount() & 0xFFFF, tries = 0; tries < 100; tries++, n++) {
    char name[32];
    snprintf(name, sizeof name, "~trash%04X", n & 0xFFFF);
    if (FioMakeDir((base + name).c_str())) {
      trash = base + name;
      break;
    }
  }
  if (trash.empty()) return trash;
  std::vector<std::string> names;
  FioFindEntry e;
  int err = 0;
  FioHandle h = FioFindFirst((base + "*").c_str(), &e, &err);
  if (h != FIO_INVALID) {
    do names.push_back(e.name);
    while (FioFindNext(h, &e));
    FioFindClose(h);
  }
  for (const std::string& n : names) {
    std::string from = base + n;
    if (from == trash) continue;
    FioReplace(from.c_str(), (trash + FIO_SEP + n).c_str());
  }
  return trash;
}
}  // namespace

int CMapWnd::ClearCache(const DirCancel* cancel) {
  const char* root = TileCacheRoot();
  FioInfo info;
  if (FioStat(root, &info) != 0 || !(info.attributes & FIO_ATTR_DIRECTORY)) return 0;
  // downloads in flight hold files open: stop them and let the workers
  // settle (they need nothing of this thread) before moving the tree
  {
    TileJobGuard g(m_tiles);
    m_tiles.ClearGrid();
    m_tiles.AbortBusy();
  }
  for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
    bool busy;
    {
      TileJobGuard g(m_tiles);
      busy = m_tiles.AnyBusy();
    }
    if (!busy) break;
    Sleep(10);
  }
  // Under the job lock the tree only moves aside inside the root (the fixed
  // cache lies beside the root and is never touched); the long deletion
  // runs without the lock, so panning and zooming go on meanwhile.
  std::string trash;
  {
    TileJobGuard g(m_tiles);
    trash = MoveCacheAside(root);
  }
  Reload();
  if (trash.empty()) return DirDeleteTreeCancelA(root, DIRTREE_KEEP_ROOT, cancel);
  return DirDeleteTreeCancelA(trash.c_str(), 0, cancel);
}

void CMapWnd::SetCacheLimit(uint32_t mib) { TileCacheSetLimit(mib); }

int CMapWnd::ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs) {
  if (!client) return 0;
  // a client of another source's server asks that server: connect anew
  if (client->IsConnectedTo(server, port)) return 1;
  for (int i = 0; i < 2 && m_running; i++)
    if (client->Connect(server, port, timeoutMs > 0 && timeoutMs < 10000 ? timeoutMs : 10000) == 0) return 1;
  return 0;
}

bool CMapWnd::BlendTile(CPicture& pic, int L, int row, const int* cols, int ncols, long epoch) {
  int t = m_view.tileSize;
  if (t != pic.Width()) {
    CPicture big;
    if (big.ScaleFrom(pic, t, t)) {
      uint32_t key = pic.m_colorKey;
      pic.Swap(big);
      pic.m_colorKey = key;
    }
  }
  // the base map is copied opaque: widened to the buffer's depth here, the
  // copy under the buffer's lock, which the eight workers queue for, is a
  // move of rows (the same pixels)
  if (L == 0 && pic.Bits() != 32) TileConvertDepth(pic, 32);
  LockUpdate();
  // the cells moved since the worker looked: its columns show another tile
  bool current = m_tiles.Epoch() == epoch;
  if (current)
    for (int i = 0; i < ncols; i++) TileDraw(&m_picture, pic, L, cols[i] * t, row * t);
  UnlockUpdate();
  return current;
}

int MapTileLink::TileCells(uint32_t tx, uint32_t ty, int* row, int* cols) {
  const MapView& v = m_map->m_view;
  int col;
  if (!v.TileToCell(tx, ty, &col, row)) return 0;
  // the world repeats across a buffer wider than it
  int step = v.Tiles() < (uint32_t)v.ncol ? (int)v.Tiles() : v.ncol;
  int n = 0;
  for (int c = col % step; c < v.ncol && n < kTileMaxRepeats; c += step) cols[n++] = c;
  return n;
}

bool MapTileLink::JobCurrent(const TileJob& job) {
  return m_map->m_running && (job.precache || m_map->m_view.zoom == job.zoom);
}

bool MapTileLink::BlendTile(CPicture& pic, int source, int row, const int* cols, int ncols, long epoch) {
  return m_map->BlendTile(pic, source, row, cols, ncols, epoch);
}

int MapTileLink::ConnectWorker(CHttpClient* client, const char* server, int port, int timeoutMs) {
  return m_map->ConnectWorker(client, server, port, timeoutMs);
}

void MapTileLink::PostTileReady(uint32_t tx, uint32_t ty, int worker) {
  if (m_map->m_running) Post(m_map->m_hWnd, WM_MAP_TILEREADY, tx, ty | (worker >= 0 ? kMapTileReadyCompose : 0));
}

void MapTileLink::PostCompose(int worker) {
  if (m_map->m_running) Post(m_map->m_hWnd, WM_MAP_COMPOSE, (WPARAM)worker, 0);
}

int CMapWnd::RenderArea(uint32_t x, uint32_t y, int zoom, CPicture* picture, volatile LONG* tiles,
                        volatile LONG* cancel, int width, int height, int* missing) {
  if (missing) *missing = 0;
  if (!picture || width < 1 || height < 1 || zoom < 0 || zoom > 22) return 1;
  // a 1 x 1 picture only fetches the tiles into the cache (pre-caching):
  // nothing is allocated, decoded or drawn
  bool fetchOnly = picture->Width() == 1 && picture->Height() == 1;
  if (!fetchOnly && (picture->Width() != width || picture->Height() != height || picture->Bits() != 32))
    if (!picture->Create(32, width, height, 0xFFFFFF)) return 1;
  const char* root = TileCacheRoot();
  int s = 22 - zoom;
  int64_t px0 = (int64_t)(x & kMapWorldMask) >> s, py0 = (int64_t)(y & kMapWorldMask) >> s;
  int64_t rows = (int64_t)1 << zoom;
  uint32_t mask = (uint32_t)rows - 1;
  int64_t tc0 = px0 >> 8, tc1 = (px0 + width - 1) >> 8;
  int64_t tr0 = py0 >> 8, tr1 = (py0 + height - 1) >> 8;
  if (tr1 >= rows) tr1 = rows - 1;
  std::vector<unsigned char> buf;
  for (int64_t tc = tc0; tc <= tc1; tc++) {
    for (int64_t tr = tr0; tr <= tr1; tr++) {
      if (!m_running || (cancel && *cancel)) return 3;
      MapTileSources src;
      uint8_t generation;
      {
        TileJobGuard g(m_tiles);
        src = m_tiles.Sources();
        generation = src.Generation();
      }
      uint32_t col = (uint32_t)tc & mask, row = (uint32_t)tr;
      for (int L = 0; L < src.ActiveCount(); L++) {
        TilePaths p;
        if (!TileMakePaths(root, src[L], zoom, col, row, &p)) {
          if (missing) (*missing)++;
          continue;
        }
        // a worker fetches the tile (every source of it) as a pre-cache job;
        // handed out again, at most three times, only when no worker holds it
        int handed = 0;
        // a damaged file counts as missing (it is deleted and fetched again)
        bool cached = TileReadCached(p.file, buf) > 0;
        for (DWORD start = GetTickCount(); !cached && FileGetSizeA(p.file) < 0 && GetTickCount() - start < 60000;) {
          if (!m_running || (cancel && *cancel)) return 3;
          TileJob job = {(int)col, (int)row, zoom, generation, 1};
          {
            TileJobGuard g(m_tiles);
            if (handed == 3) {
              if (!m_tiles.Holds(job)) break;
            } else if (m_tiles.HandOut(job) == kTileHandedOut) {
              handed++;
            }
          }
          m_tiles.WaitPrecache(250);
        }
        if (fetchOnly) {
          if (!cached && FileGetSizeA(p.file) < 0 && missing) (*missing)++;
          continue;
        }
        long long len = TileReadFile(p.file, buf, true);
        CPicture pic;
        if (len <= 0 || !TileDecode(buf.data(), (size_t)len, pic) ||
            !TilePostProcess(pic, L, src[L].options, src[L].optionCount, src[L].alphaOffset, src[L].alphaScale)) {
          if (missing) (*missing)++;
          continue;
        }
        TileDraw(picture, pic, L, (int)(tc * 256 - px0), (int)(tr * 256 - py0));
      }
      if (tiles) InterlockedIncrement(tiles);
    }
  }
  return 0;
}
