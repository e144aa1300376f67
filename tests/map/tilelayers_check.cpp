// Fills a map window from the local tile server with a base map and four
// layers (blended, colour-keyed, alpha-scaled, palette) and writes cells of its back
// buffer for tilelayers_test.py, which composes the same tiles itself.
//
//   tilelayers_check.exe DIR PORT
//
// For each mode (normal, then large tiles) DIR/MODE.txt gets the zoom, the
// cell size and the tiles of the written cells, DIR/MODE_I.raw the cell's
// pixels (rows from the top, 4 bytes B, G, R, A).
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "text/resinst.h"
#include "framework/winapp.h"
#include "map/mapwnd.h"
#include "map/tilecache.h"
#include "map/tileworker.h"
#include "tests/support/winpump.h"

namespace {

char g_dir[MAX_PATH];

// The cell in the middle of the client area; Dump writes it and its right
// neighbour, which with large cells may lie outside the client area.
void MiddleCell(CMapWnd* map, int* col, int* row) {
  int t = map->View().tileSize;
  *col = (map->ScrollX() + map->ClientWidth() / 2) / t;
  *row = (map->ScrollY() + map->ClientHeight() / 2) / t;
}

// Waits until the cells under the client area and the two written cells
// hold all five sources (none failed).
bool Settle(CMapWnd* map) {
  for (DWORD end = GetTickCount() + 60000; (LONG)(GetTickCount() - end) < 0;) {
    orvtest::PumpMessages(50);
    int t = map->View().tileSize, c0, r0;
    MiddleCell(map, &c0, &r0);
    const uint32_t all = 0x1F, mask = all | all << 8;
    bool done = (map->GetCellState(c0, r0) & mask) == all && (map->GetCellState(c0 + 1, r0) & mask) == all;
    for (int r = map->ScrollY() / t; r <= (map->ScrollY() + map->ClientHeight() - 1) / t; r++)
      for (int c = map->ScrollX() / t; c <= (map->ScrollX() + map->ClientWidth() - 1) / t; c++)
        if ((map->GetCellState(c, r) & mask) != all) done = false;
    if (done) return true;
  }
  return false;
}

bool Dump(CMapWnd* map, const char* mode) {
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\%s.txt", g_dir, mode);
  FILE* f = fopen(path, "w");
  if (!f) return false;
  const MapView& v = map->View();
  int t = v.tileSize;
  fprintf(f, "zoom %d\nsize %d\n", v.zoom, t);
  int c0, r0;
  MiddleCell(map, &c0, &r0);
  CPicture* pic = map->GetBackBuffer();
  for (int i = 0; i < 2; i++) {
    uint32_t tx, ty;
    if (!map->CellToTile(c0 + i, r0, &tx, &ty)) return false;
    fprintf(f, "cell %u %u\n", tx, ty);
    snprintf(path, sizeof path, "%s\\%s_%d.raw", g_dir, mode, i);
    FILE* r = fopen(path, "wb");
    if (!r) return false;
    for (int y = 0; y < t; y++) fwrite(pic->Row(r0 * t + y) + (size_t)(c0 + i) * t * 4, 4, (size_t)t, r);
    fclose(r);
  }
  fclose(f);
  return true;
}

int RunLayers(HINSTANCE inst) {
  if (__argc < 3) return 2;
  snprintf(g_dir, sizeof g_dir, "%s", __argv[1]);
  char cache[MAX_PATH], server[64];
  snprintf(cache, sizeof cache, "%s\\cache\\", g_dir);
  snprintf(server, sizeof server, "127.0.0.1:%d", atoi(__argv[2]));
  TileCacheSetRoot(cache);
  MapTilesInstall();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = inst;
  wc.lpszClassName = "OrvLayerHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "OrvLayerHost", "layers", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, inst, nullptr);
  if (!host) return 2;
  ShowWindow(host, SW_SHOWNOACTIVATE);
  CMapWnd* map = new CMapWnd;
  map->SetSource(0, server, "t", 0, 0, 0, nullptr, 0);
  map->SetSource(1, server, "rgba", 0, 0, 0, nullptr, 0);
  map->SetSource(2, server, "keyed", 0, 0, 0, "TRANS 0xFF00FF", 0);
  map->SetSource(3, server, "rgba/half", 0, 0, 0, nullptr, 0);
  map->SetLayerAlpha(3, 0, 128);
  map->SetSource(4, server, "pal", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  RECT rc = {0, 0, 640, 480};
  int result = 0;
  if (!map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973)) result = 2;
  if (!result) result = Settle(map) && Dump(map, "normal") ? 0 : 3;
  if (!result) {
    map->SetLargeTiles(1);
    result = Settle(map) && Dump(map, "large") ? 0 : 4;
  }
  delete map;
  DestroyWindow(host);
  return result;
}

}  // namespace

class CLayerCheckApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_result = RunLayers(AfxGetInstanceHandle());
    return FALSE;
  }
  int ExitInstance() override { return m_result; }

 private:
  int m_result = 1;
};

CLayerCheckApp theApp;
