// A map window filled by its workers from a local tile server, for the
// screenshot test (tileworker_gui_test.py drives it).
//
//   tileworker_gui.exe DIR PORT
//
// The window (640 x 480 at the screen's top-left corner) shows zoom 9 around
// its start centre from the server's "t" tiles, cached below DIR\cache.
// When every visible cell is filled, DIR\state.txt and DIR\ready appear and
// the program waits for DIR\go; it then zooms in by one level, waits for
// the new tiles, writes DIR\state2.txt and DIR\ready2, waits for DIR\go2;
// then zooms in by two and, with the first tile of that zoom, out by one:
// DIR\state3.txt, DIR\ready3, DIR\go3; and ends.
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "text/resinst.h"
#include "framework/winapp.h"
#include "map/mapwnd.h"
#include "map/tilecache.h"
#include "map/tileworker.h"
#include "tests/support/winpump.h"

namespace {

char g_dir[MAX_PATH];

void Pump(DWORD ms) { orvtest::PumpMessages(ms); }

bool Filled(CMapWnd* map) {
  int t = map->View().tileSize;
  for (int r = map->ScrollY() / t; r <= (map->ScrollY() + map->ClientHeight() - 1) / t; r++)
    for (int c = map->ScrollX() / t; c <= (map->ScrollX() + map->ClientWidth() - 1) / t; c++)
      if (!(map->GetCellState(c, r) & 1)) return false;
  return true;
}

bool AnyFilled(CMapWnd* map) {
  for (int r = 0; r < map->View().nrow; r++)
    for (int c = 0; c < map->View().ncol; c++)
      if (map->GetCellState(c, r) & 1) return true;
  return false;
}

bool Snap(CMapWnd* map, const char* state, const char* ready, const char* go) {
  for (int i = 0; i < 2000 && !Filled(map); i++) Pump(10);
  if (!Filled(map)) return false;
  Pump(300);
  map->UpdateWindow();
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\%s", g_dir, state);
  FILE* f = fopen(path, "w");
  if (!f) return false;
  uint32_t cx, cy;
  map->GetCentre(&cx, &cy);
  fprintf(f, "zoom %d\ncentre %u %u\nclient %d %d\n", map->GetZoom(), cx, cy, map->ClientWidth(),
          map->ClientHeight());
  fclose(f);
  snprintf(path, sizeof path, "%s\\%s", g_dir, ready);
  f = fopen(path, "w");
  if (!f) return false;
  fclose(f);
  snprintf(path, sizeof path, "%s\\%s", g_dir, go);
  for (int i = 0; i < 3000 && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; i++) Pump(10);
  return true;
}

int RunTiles(HINSTANCE inst) {
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
  wc.lpszClassName = "OrvTileHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(WS_EX_TOPMOST, "OrvTileHost", "tiles", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                              inst, nullptr);
  if (!host) return 2;
  ShowWindow(host, SW_SHOWNOACTIVATE);
  CMapWnd* map = new CMapWnd;
  RECT rc = {0, 0, 640, 480};
  if (!map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 31973)) return 2;
  // as the application does: sources after creation, then applied
  map->SetSource(0, server, "t", 0, 0, 0, nullptr, 0);
  map->SetSource(1, "", "", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  int rc1 = Snap(map, "state.txt", "ready", "go") ? 0 : 4;
  if (!rc1) {
    map->SetZoom(map->GetZoom() + 1);
    rc1 = Snap(map, "state2.txt", "ready2", "go2") ? 0 : 5;
  }
  if (!rc1) {
    // two levels in, and back out one as soon as the first new tile is in
    // (zooms not seen before: no aborted download is asked for again): the
    // fill ends with every cell of that zoom and none of the other
    map->SetZoom(map->GetZoom() + 2);
    for (int i = 0; i < 2000 && !AnyFilled(map); i++) Pump(1);
    map->SetZoom(map->GetZoom() - 1);
    rc1 = Snap(map, "state3.txt", "ready3", "go3") ? 0 : 6;
  }
  delete map;
  DestroyWindow(host);
  return rc1;
}

}  // namespace

// The class layer brings the program's entry; the work runs in InitInstance.
class CTileGuiApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_result = RunTiles(AfxGetInstanceHandle());
    return FALSE;
  }
  int ExitInstance() override { return m_result; }

 private:
  int m_result = 1;
};

CTileGuiApp theApp;
