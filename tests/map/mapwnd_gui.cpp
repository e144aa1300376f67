// Hosts a map window at the screen's top-left corner for the screenshot test
// (mapwnd_gui_test.py drives it).
//
//   mapwnd_gui.exe DIR STEP...
//
// Steps: "size W H", "zoom Z", "geo LON LAT", "large 0|1", "fill 0|1",
// "area LON1 LAT1 LON2 LAT2", "snap NAME". A cell the window asks for is
// filled at once with its tile's colour while fill is on (a stand-in for
// the tile workers). The left button drags the map. At "snap NAME" the
// window's state goes to DIR/NAME.txt,
// then DIR/NAME.ready appears and the program waits for DIR/NAME.go.
// Eight stand-in workers take their time to stop; at the end the program
// checks that destroying the window waited for all of them.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "text/resinst.h"
#include "framework/winapp.h"
#include "map/mapwnd.h"
#include "tests/support/winpump.h"

namespace {

bool g_fill = true;
volatile LONG g_workersEnded = 0;
char g_dir[MAX_PATH];

uint32_t Pattern(uint32_t tx, uint32_t ty, int zoom) {
  uint32_t r = 40 + (tx % 5) * 40, g = 40 + (ty % 5) * 40, b = 30 + (zoom % 6) * 30;
  return r << 16 | g << 8 | b;
}

// A worker that ends only some time after it is told to stop.
DWORD WINAPI SlowWorker(void* arg) {
  TileWorkerSlot* slot = (TileWorkerSlot*)arg;
  TileScheduler* tiles = slot->owner;
  for (;;) {
    TileJobGuard g(*tiles);
    tiles->WaitForJob(slot);
    if (slot->jobX == -1) break;
    slot->idle = 1;  // no job is done here
  }
  Sleep(300);
  InterlockedIncrement(&g_workersEnded);
  tiles->WorkerEnded();
  return 0;
}

class PatternMapWnd : public CMapWnd {
 public:
  PatternMapWnd() { Tiles().SetWorkerProc(SlowWorker); }

 protected:
  int ComposeTiles(int) override {
    if (!g_fill) return 0;
    int n = 0;
    {
      TileJobGuard g(Tiles());
      LockUpdate();
      const MapView& v = View();
      CPicture* pic = GetBackBuffer();
      int t = v.tileSize;
      for (int r = 0; r < v.nrow; r++) {
        for (int c = 0; c < v.ncol; c++) {
          uint32_t& st = Tiles().Grid().At(c, r);
          uint32_t tx, ty;
          // rows beyond the world's edges stay empty
          if ((st & 0xFF) || !v.CellToTile(c, r, &tx, &ty)) continue;
          pic->FillRect(c * t, r * t, t, t, Pattern(tx, ty, v.zoom));
          st = 1;
          n++;
        }
      }
      UnlockUpdate();
    }
    if (n) Invalidate(FALSE);
    return n;
  }
};

void Pump(DWORD ms) { orvtest::PumpMessages(ms); }

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void PathOf(char* out, const char* name, const char* ext) {
  snprintf(out, MAX_PATH, "%s\\%s.%s", g_dir, name, ext);
}

bool Snap(CMapWnd* map, const char* name) {
  Pump(400);
  map->UpdateWindow();
  char path[MAX_PATH];
  PathOf(path, name, "txt");
  FILE* f = fopen(path, "w");
  if (!f) return false;
  const MapView& v = map->View();
  fprintf(f, "zoom %d\ncentre %u %u\nscroll %d %d\norigin %u %u\nclient %d %d\nbuffer %d %d\ntile %d\n", v.zoom,
          v.centreX, v.centreY, map->ScrollX(), map->ScrollY(), v.originX, v.originY, map->ClientWidth(),
          map->ClientHeight(), v.bufW, v.bufH, v.tileSize);
  fprintf(f, "mouse 1\n");  // the mouse actions are built in
  fclose(f);
  PathOf(path, name, "ready");
  f = fopen(path, "w");
  if (!f) return false;
  fclose(f);
  PathOf(path, name, "go");
  for (int i = 0; i < 3000 && !Exists(path); i++) Pump(10);
  return Exists(path);
}

}  // namespace

int RunSteps(HINSTANCE inst) {
  int argc = __argc;
  char** argv = __argv;
  if (argc < 2) return 2;
  snprintf(g_dir, sizeof g_dir, "%s", argv[1]);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = inst;
  wc.lpszClassName = "OrvMapHost";
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(WS_EX_TOPMOST, "OrvMapHost", "map", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, inst,
                              nullptr);
  if (!host) return 2;
  // not activated: Wine without a window manager takes 2 s to destroy the active window
  ShowWindow(host, SW_SHOWNOACTIVATE);

  CMapWnd* map = new PatternMapWnd;
  RECT rc = {0, 0, 800, 600};
  // dragging with the left button moves the map
  if (!map->Create(0, WS_CHILD | WS_VISIBLE | MAPS_DRAGLEFT, rc, CWnd::FromHandle(host), 31973)) return 2;
  Pump(100);

  for (int i = 2; i < argc; i++) {
    const char* s = argv[i];
    auto arg = [&](int k) { return i + k < argc ? argv[i + k] : "0"; };
    if (!strcmp(s, "size")) {
      int w = atoi(arg(1)), h = atoi(arg(2));
      MoveWindow(host, 0, 0, w, h, TRUE);
      map->MoveWindow(0, 0, w, h, TRUE);
      i += 2;
    } else if (!strcmp(s, "zoom")) {
      map->SetZoom(atoi(arg(1)));
      i += 1;
    } else if (!strcmp(s, "geo")) {
      uint32_t x, y;
      CMapWnd::GeoToWorld(atof(arg(1)), atof(arg(2)), &x, &y);
      map->MoveTo(x, y, 1);
      i += 2;
    } else if (!strcmp(s, "large")) {
      map->SetLargeTiles(atoi(arg(1)));
      i += 1;
    } else if (!strcmp(s, "fill")) {
      g_fill = atoi(arg(1)) != 0;
      if (g_fill) map->PostMessage(WM_MAP_COMPOSE);
      i += 1;
    } else if (!strcmp(s, "area")) {
      map->ZoomToArea(atof(arg(1)), atof(arg(2)), atof(arg(3)), atof(arg(4)), 0, 0);
      i += 4;
    } else if (!strcmp(s, "snap")) {
      if (!Snap(map, arg(1))) return 4;
      i += 1;
    } else {
      return 2;
    }
    Pump(50);
  }

  map->DestroyWindow();
  LONG ended = g_workersEnded;  // read right after WM_DESTROY returned
  delete map;
  DestroyWindow(host);
  char path[MAX_PATH];
  PathOf(path, "exit", "txt");
  FILE* f = fopen(path, "w");
  if (f) {
    fprintf(f, "workers_ended %ld\n", ended);
    fclose(f);
  }
  return ended == MAP_WORKERS ? 0 : 3;
}

// The class layer brings the program's entry; the steps run in InitInstance.
class CMapGuiApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_result = RunSteps(AfxGetInstanceHandle());
    return FALSE;
  }
  int ExitInstance() override { return m_result; }

 private:
  int m_result = 1;
};

CMapGuiApp theApp;
