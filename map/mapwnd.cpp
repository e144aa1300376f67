#include <winsock2.h>  // before windows.h: tileworker.h needs it

#include "map/mapwnd.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "map/mapmouse_win.h"
#include "map/tilecache.h"
#include "map/tileworker.h"

int CMapWnd::s_bufW = 0;
int CMapWnd::s_bufH = 0;
volatile LONG CMapWnd::s_liveWindows = 0;
volatile LONG CMapWnd::s_windows = 0;

namespace {
// menu colour in the picture order 0x00RRGGBB
uint32_t g_menuColour = 0x3C00FF;
}  // namespace

// Re-anchors pixels and cell words together (called under the job lock).
class MapBufferMover : public MapReanchorSink {
 public:
  explicit MapBufferMover(CMapWnd* map) : m_map(map) {}
  void Reanchor(int dx, int dy) override { m_map->ReanchorBuffer(dx, dy); }

 private:
  CMapWnd* m_map;
};

BEGIN_MESSAGE_MAP(CMapWnd, CImageWnd)
  ON_WM_SIZE()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_KEYDOWN()
  ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
  ON_MESSAGE(WM_MAP_NOTIFYCENTRE, OnNotifyParent)
  ON_MESSAGE(WM_MAP_TILEREADY, OnTileReady)
  ON_MESSAGE(WM_MAP_INVALIDATE, OnInvalidateRect)
  ON_MESSAGE(WM_MAP_CLEAR, OnClearBuffer)
  ON_MESSAGE(WM_MAP_COMPOSE, OnComposeTiles)
END_MESSAGE_MAP()

CMapWnd::CMapWnd()
    : m_style(0),
      m_alive(0),
      m_running(0),
      m_ticks(0),
      m_uiThread(0),
      m_yellowPen(nullptr),
      m_gridScratch(nullptr),
      m_mapScratch(nullptr),
      m_rowScratch(nullptr),
      m_prePaint(nullptr),
      m_postPaint(nullptr),
      m_prePaintCtx(nullptr),
      m_postPaintCtx(nullptr),
      m_ownerMouse(nullptr),
      m_ownerMouseCtx(nullptr),
      m_link(this),
      m_mouse(&m_link, &m_overlay),
      m_frameDC(nullptr),
      m_frameBmp(nullptr),
      m_frameOld(nullptr),
      m_framePx(nullptr),
      m_frameW(0),
      m_frameH(0),
      m_tileLink(this),
      m_tiles(&m_tileLink),
      m_visibleFirst(1),
      m_pendingTiles(CreateRectRgn(0, 0, 0, 0)),
      m_tileRect(CreateRectRgn(0, 0, 0, 0)),
      m_paintTimer(false),
      m_lastTileFlush(0)
{
  InterlockedIncrement(&s_windows);
  // the window may be maximised on a monitor larger than the primary one, or
  // stretched across several: the buffer covers the whole desktop
  if (!s_bufW)
    MapBackBufferSize(std::max(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN)),
                      std::max(GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)), &s_bufW, &s_bufH);
  m_view.Init(s_bufW, s_bufH);
  // sized for 256-pixel cells, the larger count
  size_t cells = (size_t)m_view.ncol * m_view.nrow;
  m_tiles.Init(m_view.ncol, m_view.nrow);
  m_gridScratch = (uint32_t*)calloc(cells, sizeof(uint32_t));
  m_mapScratch = (int*)calloc((size_t)s_bufW + s_bufH, sizeof(int));
  m_rowScratch = (uint32_t*)calloc((size_t)s_bufW, sizeof(uint32_t));
  m_backColour = 0xE0E0E0;
  SetFixedBufferSize(s_bufW, s_bufH);
  m_overlay.Bind(&m_view, &m_link);
}

CMapWnd::~CMapWnd() {
  // WM_DESTROY must reach this class's handler, so destroy here, not in the base
  if (m_hWnd) DestroyWindow();
  m_running = 0;
  StopWorkers();
  m_tiles.WaitEnded();
  if (m_yellowPen) DeleteObject(m_yellowPen);
  if (m_frameDC) {
    SelectObject(m_frameDC, m_frameOld);
    DeleteDC(m_frameDC);
  }
  if (m_frameBmp) DeleteObject(m_frameBmp);
  if (m_pendingTiles) DeleteObject(m_pendingTiles);
  if (m_tileRect) DeleteObject(m_tileRect);
  free(m_gridScratch);
  free(m_mapScratch);
  free(m_rowScratch);
  if (InterlockedDecrement(&s_windows) == 0) MapFreeSharedBitmaps();  // the last map window
}

BOOL CMapWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  m_style = style;
  if (!BufferReady() || !m_mapScratch || !m_rowScratch || !m_gridScratch) return FALSE;
  if (!CImageWnd::Create(exStyle, (style & 0xFFFF0000) | kOptFixedBuffer, rect, parent, id)) return FALSE;
  m_alive = 1;
  m_uiThread = GetCurrentThreadId();
  m_yellowPen = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
  CImageWnd::SetMouseCallback(MouseProc, this);
  SetPaintCallback(PaintProc, this);
  StartWorkers();
  return TRUE;
}

BOOL CMapWnd::CreateAtDlgItem(DWORD exStyle, DWORD style, UINT placeholderId, CWnd* parentDlg, UINT id) {
  m_style = style;
  if (!BufferReady() || !m_mapScratch || !m_rowScratch || !m_gridScratch) return FALSE;
  if (!CImageWnd::CreateAtDlgItem(exStyle, (style & 0xFFFF0000) | kOptFixedBuffer, placeholderId, parentDlg, id))
    return FALSE;
  m_alive = 1;
  m_uiThread = GetCurrentThreadId();
  m_yellowPen = CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
  CImageWnd::SetMouseCallback(MouseProc, this);
  SetPaintCallback(PaintProc, this);
  StartWorkers();
  return TRUE;
}

// ------------------------------------------------------------ transforms

void CMapWnd::WorldToGeo(uint32_t x, uint32_t y, double* lon, double* lat) {
  *lon = MapWorldXToLon(x);
  *lat = MapWorldYToLat(y);
}

void CMapWnd::GeoToWorld(double lon, double lat, uint32_t* x, uint32_t* y) {
  *x = MapLonToWorldX(lon);
  *y = MapLatToWorldY(lat);
}

uint32_t CMapWnd::GetCellState(int col, int row) {
  TileJobGuard g(m_tiles);
  MapCellGrid& grid = m_tiles.Grid();
  if (col < 0 || row < 0 || col >= grid.cols || row >= grid.rows) return 0;
  return grid.At(col, row);
}

// ------------------------------------------------------------ buffer

MapPixels CMapWnd::BufferPixels() {
  MapPixels p;
  p.row0 = m_picture.Pixels();
  p.stride = m_picture.Stride();
  p.width = m_picture.Width();
  p.height = m_picture.Height();
  return p;
}

void CMapWnd::ReanchorBuffer(int dx, int dy) {
  m_tiles.GridMoved();
  LockUpdate();
  MapShiftPixels(BufferPixels(), dx, dy, m_backColour);
  m_tiles.Grid().Shift(dx / m_view.tileSize, dy / m_view.tileSize);
  UnlockUpdate();
  m_visibleFirst = 1;
}

void CMapWnd::RescaleBuffer(const MapView& before, const MapView& after) {
  int* cols = m_mapScratch;
  int* rows = m_mapScratch + s_bufW;
  MapZoomColumnMap(before, after, cols);
  MapZoomRowMap(before, after, rows);
  m_tiles.GridMoved();
  LockUpdate();
  MapRemapPixels(BufferPixels(), cols, rows, m_backColour, m_rowScratch);
  UnlockUpdate();
  MapCellGrid& grid = m_tiles.Grid();
  size_t n = (size_t)grid.cols * grid.rows;
  memcpy(m_gridScratch, grid.words, n * sizeof(uint32_t));
  MapCellGrid old;
  old.words = m_gridScratch;
  old.cols = grid.cols;
  old.rows = grid.rows;
  MapZoomGrid(old, &grid, cols, rows, m_view.tileSize);
}

void CMapWnd::FillWorldBands() {
  int px, top, bottom;
  m_view.WorldToClient(0, 0, &px, &top);
  bottom = top + (int)m_view.WorldWidthPx();  // the world is square
  LockUpdate();
  MapPixels p = BufferPixels();
  if (top > 0) MapFillPixels(p, 0, 0, p.width, top, m_backColour);
  if (bottom < p.height) MapFillPixels(p, 0, bottom, p.width, p.height - bottom, m_backColour);
  UnlockUpdate();
}

void CMapWnd::FillEmptyCells() {
  if (!BufferReady()) return;
  int t = m_view.tileSize;
  TileJobGuard g(m_tiles);
  MapCellGrid& grid = m_tiles.Grid();
  // a tile drawn meanwhile without the job lock could be painted over
  // before its cell is marked: such drawings are dropped
  m_tiles.GridMoved();
  LockUpdate();
  MapPixels p = BufferPixels();
  for (int r = 0; r < grid.rows; r++)
    for (int c = 0; c < grid.cols; c++) {
      uint32_t s = grid.At(c, r);
      if (!(s & 0xFF) && !(s & kMapCellPreview)) MapFillPixels(p, c * t, r * t, t, t, m_backColour);
    }
  UnlockUpdate();
}

void CMapWnd::FillEmptyCellsVisible() {
  if (!BufferReady()) return;
  int t = m_view.tileSize;
  TileJobGuard g(m_tiles);
  MapCellGrid& grid = m_tiles.Grid();
  m_tiles.GridMoved();
  int c0 = m_scrollX / t, c1 = (m_scrollX + m_clientW - 1) / t;
  int r0 = m_scrollY / t, r1 = (m_scrollY + m_clientH - 1) / t;
  if (c0 < 0) c0 = 0;
  if (r0 < 0) r0 = 0;
  if (c1 > grid.cols - 1) c1 = grid.cols - 1;
  if (r1 > grid.rows - 1) r1 = grid.rows - 1;
  LockUpdate();
  MapPixels p = BufferPixels();
  for (int r = r0; r <= r1; r++)
    for (int c = c0; c <= c1; c++) {
      uint32_t s = grid.At(c, r);
      if (!(s & 0xFF) && !(s & kMapCellPreview)) MapFillPixels(p, c * t, r * t, t, t, m_backColour);
    }
  UnlockUpdate();
}

void CMapWnd::FillEmptyCellsRest() {
  if (!BufferReady()) return;
  int t = m_view.tileSize;
  int c0 = m_scrollX / t, c1 = (m_scrollX + m_clientW - 1) / t;
  int r0 = m_scrollY / t, r1 = (m_scrollY + m_clientH - 1) / t;
  for (int r = 0;; r++) {
    // a row of cells at a time: the workers take both locks in between
    TileJobGuard g(m_tiles);
    MapCellGrid& grid = m_tiles.Grid();
    if (r >= grid.rows) break;
    uint8_t generation = m_tiles.Sources().Generation();
    LockUpdate();
    MapPixels p = BufferPixels();
    for (int c = 0; c < grid.cols; c++) {
      if (r >= r0 && r <= r1 && c >= c0 && c <= c1) continue;
      uint32_t s = grid.At(c, r);
      if ((s & 0xFF) || (s & kMapCellPreview)) continue;
      uint32_t tx, ty;
      m_view.CellToTile(c, r, &tx, &ty);
      TileJob job = {(int)tx, (int)ty, m_view.zoom, generation, 0};
      if (!m_tiles.HoldsCurrent(job)) MapFillPixels(p, c * t, r * t, t, t, m_backColour);
    }
    UnlockUpdate();
  }
}

// ------------------------------------------------------------ position and zoom

int CMapWnd::MoveTo(uint32_t x, uint32_t y, int force) {
  bool reanchored = false;
  MapBufferMover mover(this);
  int moved;
  {
    TileJobGuard g(m_tiles);
    m_view.clientW = m_clientW;
    m_view.clientH = m_clientH;
    m_view.scrollX = m_scrollX;
    m_view.scrollY = m_scrollY;
    moved = m_view.Move(x, y, &mover, &reanchored);
  }
  if (!moved) return 0;
  ScrollTo(m_view.scrollX, m_view.scrollY, force != 0);
  if (reanchored && m_hWnd) {
    // the pixels moved under an unchanged scroll position too
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (force) ::UpdateWindow(m_hWnd);
  }
  if (reanchored && m_running) {
    FillEmptyCells();
    if (m_clientW > 0 && m_clientH > 0) PostToSelf(WM_MAP_COMPOSE, 0, 0);
    if (m_style & MAPS_CENTRENOTIFY) PostToSelf(WM_MAP_NOTIFYCENTRE, 0, 0);
  }
  return 1;
}

int CMapWnd::MoveWorldToClient(uint32_t x, uint32_t y, int px, int py, int force) {
  uint32_t wx, wy;
  m_view.ClientToWorld(px, py, &wx, &wy);
  uint32_t cx = (m_view.centreX + (uint32_t)MapWorldDelta(x, wx)) & kMapWorldMask;
  int64_t cy = (int64_t)m_view.centreY + (int64_t)y - (int64_t)wy;
  if (cy < 0) cy = 0;
  if (cy > (int64_t)kMapWorldMask) cy = kMapWorldMask;
  return MoveTo(cx, (uint32_t)cy, force);
}

int CMapWnd::SetZoom(int z) {
  z = m_view.ClampZoom(z);
  if (z == m_view.zoom) return z;
  {
    TileJobGuard g(m_tiles);
    MapView before = m_view;
    MapView after = m_view;
    after.ApplyZoom(z);
    if (BufferReady()) {
      if (z - before.zoom == 1 || before.zoom - z == 1)
        RescaleBuffer(before, after);  // a preview at once
      else
        m_tiles.ClearGrid();
    }
    m_view = after;
    if (m_view.Tiles() <= (uint32_t)m_view.nrow && m_clientW > 0 && m_clientH > 0 && BufferReady())
      FillWorldBands();
    // downloads for the old zoom are useless now
    m_tiles.AbortBusy();
  }

  uint32_t cx = m_view.centreX, cy = m_view.centreY;
  m_view.centreX = (cx + 1) & kMapWorldMask;  // not taken as unchanged
  MoveTo(cx, cy, 1);
  if (m_running && m_clientW > 0 && m_clientH > 0) {
    FillEmptyCells();
    PostToSelf(WM_MAP_COMPOSE, 0, 0);
  }
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return z;
}

void CMapWnd::SetZoomRange(int minZoom, int maxZoom) {
  m_view.SetZoomRange(minZoom, maxZoom);
  SetZoom(m_view.zoom);
}

void CMapWnd::SetAreaLimitsX(uint32_t from, uint32_t to) {
  m_view.SetLimitsX(from, to);
  uint32_t cx = m_view.centreX;
  m_view.centreX = (cx + 1) & kMapWorldMask;
  MoveTo(cx, m_view.centreY, 0);
}

void CMapWnd::SetAreaLimitsY(int64_t from, int64_t to) {
  if (from < 0) from = 0;
  if (to < 0) to = 0;
  if (from > (int64_t)kMapWorldMask) from = kMapWorldMask;
  if (to > (int64_t)kMapWorldMask) to = kMapWorldMask;
  m_view.SetLimitsY((uint32_t)from, (uint32_t)to);
  uint32_t cx = m_view.centreX;
  m_view.centreX = (cx + 1) & kMapWorldMask;
  MoveTo(cx, m_view.centreY, 0);
}

void CMapWnd::ZoomToArea(double lon1, double lat1, double lon2, double lat2, int width, int height) {
  if (width < 1) width = m_clientW < 40 ? 40 : m_clientW;
  if (height < 1) height = m_clientH < 30 ? 30 : m_clientH;
  uint32_t cx, cy, sx, sy;
  MapAreaCentreSpan(lon1, lat1, lon2, lat2, &cx, &cy, &sx, &sy);
  SetZoom(MapZoomForSpan(sx, sy, width, height, m_view.tileShift));
  MoveTo(cx, cy, 1);
}

int CMapWnd::SetLargeTiles(int mode) {
  bool large = mode < 0 ? !m_view.LargeTiles() : mode != 0;
  if (large == m_view.LargeTiles()) return 0;
  {
    TileJobGuard g(m_tiles);
    // a worker reads the cell size before it checks the epoch: the epoch
    // must change first
    m_tiles.GridMoved();
    m_view.SetLargeTiles(large);
    m_view.ApplyZoom(m_view.zoom);  // the forced origins depend on the cell count
    m_tiles.ResizeGrid(m_view.ncol, m_view.nrow);
  }
  uint32_t cx = m_view.centreX, cy = m_view.centreY;
  m_view.centreX = (cx + 1) & kMapWorldMask;
  MoveTo(cx, cy, 1);
  // the same scale on the screen: cells twice as large, one level less
  SetZoom(m_view.zoom + (large ? -1 : 1));
  {
    TileJobGuard g(m_tiles);
    m_tiles.Sources().MarkChanged();
  }
  ApplySources();
  return 1;
}

void CMapWnd::SetBackgroundColour(COLORREF colour) {
  g_menuColour = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  MapSetMenuColour(g_menuColour);
}

// ------------------------------------------------------------ workers

int CMapWnd::ComposeTiles(int flags) {
  TileComposeArea a = {&m_view, m_scrollX, m_scrollY, m_clientW, m_clientH};
  return m_tiles.Compose(flags, a);
}

void CMapWnd::StartWorkers() {
  InterlockedIncrement(&s_liveWindows);
  if (m_style & MAPS_MENU) MapCreateSharedBitmaps();
  m_running = 1;
  FillEmptyCells();
  m_tiles.Start();
  SetTimer(MAP_TIMER_ID, 2000);
  if (m_style & MAPS_CENTRENOTIFY) PostToSelf(WM_MAP_NOTIFYCENTRE, 0, 0);
}

void CMapWnd::StopWorkers() {
  if (InterlockedExchange(&m_running, 0)) InterlockedDecrement(&s_liveWindows);
  m_tiles.Stop();
}

bool CMapWnd::PostToSelf(UINT message, WPARAM wParam, LPARAM lParam) {
  // read once: another thread may see the window go, and a null handle
  // would post to the calling thread's own queue
  HWND h = m_hWnd;
  if (!h) return false;
  if (::PostMessageA(h, message, wParam, lParam)) return true;
  Sleep(20);
  return ::PostMessageA(h, message, wParam, lParam) != 0;
}

void CMapWnd::RunComposer() {
  int n = ComposeTiles(m_visibleFirst ? 1 : 0);
  if (n == 0 && m_visibleFirst) {
    m_visibleFirst = 0;
    ComposeTiles(0);
  }
}

// ------------------------------------------------------------ messages

void CMapWnd::OnSize(UINT nType, int cx, int cy) {
  CImageWnd::OnSize(nType, cx, cy);
  uint32_t x = m_view.centreX, y = m_view.centreY;
  m_view.centreX = (x + 1) & kMapWorldMask;
  MoveTo(x, y, 0);
  if (cx > 0 && cy > 0) {
    m_visibleFirst = 1;
    if (m_running) RunComposer();
  }
}

void CMapWnd::OnTimer(UINT_PTR id) {
  if (id == MAP_PAINT_TIMER_ID) {
    KillTimer(MAP_PAINT_TIMER_ID);
    m_paintTimer = false;
    FlushTileRects();
    return;
  }
  if (id != MAP_TIMER_ID) {
    CImageWnd::OnTimer(id);
    return;
  }
  m_ticks++;
  // a server out of reach is asked again when its back-off has run out
  if (m_ticks % 8 == 0 || m_tiles.AnyProbeDue()) RunComposer();
  if (m_ticks % 32 == 0 && m_tiles.HasWorkers()) TileCacheStartTrim(TileLiveWorkers());
}

void CMapWnd::OnDestroy() {
  m_alive = 0;
  KillTimer(MAP_TIMER_ID);
  KillTimer(MAP_PAINT_TIMER_ID);
  m_paintTimer = false;
  StopWorkers();
  m_tiles.WaitEnded();
  if (m_yellowPen) {
    DeleteObject(m_yellowPen);
    m_yellowPen = nullptr;
  }
  CImageWnd::OnDestroy();
  StopWorkers();
}

LRESULT CMapWnd::OnNotifyParent(WPARAM, LPARAM) {
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) return 0;
  MapNotify n;
  memset(&n, 0, sizeof n);
  n.hdr.hwndFrom = m_hWnd;
  n.hdr.idFrom = (UINT_PTR)::GetWindowLongA(m_hWnd, GWL_ID);
  n.hdr.code = MAPN_SELECTION;
  n.x1 = m_view.centreX;
  n.y1 = m_view.centreY;
  WorldToGeo(n.x1, n.y1, &n.lon1, &n.lat1);
  ::SendMessageA(parent, WM_NOTIFY, n.hdr.idFrom, (LPARAM)&n);
  return 0;
}

LRESULT CMapWnd::OnTileReady(WPARAM wParam, LPARAM lParam) {
  // a worker's last tile of a job comes with its request for the next job
  if ((uint32_t)lParam & kMapTileReadyCompose) {
    RunComposer();
    lParam = (LPARAM)((uint32_t)lParam & ~kMapTileReadyCompose);
  }
  int col, row;
  if (!m_view.TileToCell((uint32_t)wParam, (uint32_t)lParam, &col, &row)) return 0;
  int t = m_view.tileSize;
  // a world narrower than the buffer shows the tile in every repeat
  int step = m_view.Tiles() < (uint32_t)m_view.ncol ? (int)m_view.Tiles() : m_view.ncol;
  for (int c = col; c < m_view.ncol; c += step) QueueTileRect(c * t, row * t, t);
  // a paint at most once a display frame (about 60 a second) while tiles come in
  const DWORD kFrameMs = 16;
  if (m_paintTimer) return 0;
  DWORD since = GetTickCount() - m_lastTileFlush;
  if (since >= kFrameMs) {
    FlushTileRects();
  } else if (SetTimer(MAP_PAINT_TIMER_ID, kFrameMs - since, nullptr)) {
    m_paintTimer = true;
  } else {
    FlushTileRects();
  }
  return 0;
}

void CMapWnd::QueueTileRect(int x, int y, int size) {
  if (!m_pendingTiles || !m_tileRect) {
    InvalidateImageRect(x, y, size, size, FALSE);
    return;
  }
  SetRectRgn(m_tileRect, x, y, x + size, y + size);
  CombineRgn(m_pendingTiles, m_pendingTiles, m_tileRect, RGN_OR);
}

void CMapWnd::FlushTileRects() {
  m_lastTileFlush = GetTickCount();
  if (!m_pendingTiles || !m_hWnd) return;
  RECT box;
  if (GetRgnBox(m_pendingTiles, &box) == NULLREGION) return;
  // kept in buffer pixels: a scroll since the tile came in is taken into account
  OffsetRgn(m_pendingTiles, -m_scrollX, -m_scrollY);
  ::InvalidateRgn(m_hWnd, m_pendingTiles, FALSE);
  SetRectRgn(m_pendingTiles, 0, 0, 0, 0);
}

LRESULT CMapWnd::OnInvalidateRect(WPARAM wParam, LPARAM lParam) {
  RECT rc = MapUnpackRect(wParam, lParam);
  InvalidateClientRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
  return 0;
}

LRESULT CMapWnd::OnClearBuffer(WPARAM, LPARAM) {
  {
    TileJobGuard g(m_tiles);
    m_visibleFirst = 1;
    m_tiles.ClearGrid();
  }
  // the workers start on the visible cells while the rest of the buffer is
  // emptied (a quarter of it is under a full-screen client)
  FillEmptyCellsVisible();
  // painted with the next frame, together with the first tiles
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  if (m_running) RunComposer();
  FillEmptyCellsRest();
  return 0;
}

LRESULT CMapWnd::OnComposeTiles(WPARAM, LPARAM) {
  RunComposer();
  return 0;
}

// ------------------------------------------------------------ callbacks

void CMapWnd::PaintProc(void* context, HDC dc, const RECT* update) {
  CMapWnd* map = (CMapWnd*)context;
  map->PaintOverlays(dc, update);
}

int CMapWnd::MouseProc(void* context, UINT message, UINT keyFlags, int x, int y) {
  CMapWnd* map = (CMapWnd*)context;
  return map->m_mouse.MouseProc(message, keyFlags, x, y);
}
