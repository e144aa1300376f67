// Hosts a map window with known markers and a track on a plain background
// for overlay_gui_test.py, which drives it with real X events.
//
//   overlay_gui.exe DIR
//
// The program polls DIR\cmd.txt every 50 ms; each line is a command:
// "mode SLOT ACTION", "wheel MODE", "menu 0|1", "edit TRACK",
// "highlight LON1 LAT1 LON2 LAT2" (green), "state NAME" (writes DIR\NAME.txt
// with zoom, centre, scroll and client size), "quit". After a command file is
// done it writes DIR\ack.txt with the number of files handled. Every
// WM_NOTIFY from the map is appended to DIR\notify.txt as
// "code state track x1 y1 x2 y2 lon1 lat1 lon2 lat2 metres"
// (metres: GeoDistance of the two positions).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "text/resinst.h"
#include "framework/winapp.h"
#include "map/geo.h"
#include "map/mapwnd.h"

namespace {

char g_dir[MAX_PATH];
CMapWnd* g_map = nullptr;
int g_files = 0;
bool g_quit = false;

void PathOf(char* out, const char* name) { snprintf(out, MAX_PATH, "%s\\%s", g_dir, name); }

LRESULT CALLBACK HostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const MapNotify* n = (const MapNotify*)lp;
    double d = GeoDistance(n->lon1 * GEO_DEG2RAD, n->lat1 * GEO_DEG2RAD, n->lon2 * GEO_DEG2RAD,
                           n->lat2 * GEO_DEG2RAD);
    char path[MAX_PATH];
    PathOf(path, "notify.txt");
    FILE* f = fopen(path, "a");
    if (f) {
      fprintf(f, "%u %d %d %u %u %u %u %.12f %.12f %.12f %.12f %.6f\n", n->hdr.code, n->state, n->track, n->x1,
              n->y1, n->x2, n->y2, n->lon1, n->lat1, n->lon2, n->lat2, d);
      fclose(f);
    }
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

void WriteState(const char* name) {
  char path[MAX_PATH], tmp[MAX_PATH];
  snprintf(tmp, sizeof tmp, "%s\\%s.tmp", g_dir, name);
  snprintf(path, sizeof path, "%s\\%s.txt", g_dir, name);
  FILE* f = fopen(tmp, "w");
  if (!f) return;
  const MapView& v = g_map->View();
  uint32_t cx, cy;
  g_map->GetCentre(&cx, &cy);
  fprintf(f, "zoom %d\ncentre %u %u\nscroll %d %d\nclient %d %d\nmenu %d\n", v.zoom, cx, cy, g_map->ScrollX(),
          g_map->ScrollY(), g_map->ClientWidth(), g_map->ClientHeight(), (int)((g_map->GetMapStyle() >> 7) & 1));
  fclose(f);
  MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING);
}

void RunCommands() {
  char path[MAX_PATH];
  PathOf(path, "cmd.txt");
  FILE* f = fopen(path, "r");
  if (!f) return;
  char line[256];
  while (fgets(line, sizeof line, f)) {
    char word[32] = "", name[64] = "";
    int a = 0, b = 0;
    if (sscanf(line, "%31s", word) != 1) continue;
    if (!strcmp(word, "mode") && sscanf(line, "%*s %d %d", &a, &b) == 2) {
      g_map->SetMouseMode(a, b);
    } else if (!strcmp(word, "wheel") && sscanf(line, "%*s %d", &a) == 1) {
      g_map->SetWheelMode(a);
    } else if (!strcmp(word, "menu") && sscanf(line, "%*s %d", &a) == 1) {
      g_map->ShowMapMenu(a);
    } else if (!strcmp(word, "edit") && sscanf(line, "%*s %d", &a) == 1) {
      g_map->SetTrackEditable(a, TRUE, TRUE);
    } else if (!strcmp(word, "highlight")) {
      double lon1, lat1, lon2, lat2;
      if (sscanf(line, "%*s %lf %lf %lf %lf", &lon1, &lat1, &lon2, &lat2) == 4) {
        uint32_t x1, y1, x2, y2;
        CMapWnd::GeoToWorld(lon1, lat1, &x1, &y1);
        CMapWnd::GeoToWorld(lon2, lat2, &x2, &y2);
        g_map->SetHighlightRect(x1, y1, x2, y2, RGB(0, 160, 0));
      }
    } else if (!strcmp(word, "state") && sscanf(line, "%*s %63s", name) == 1) {
      g_map->UpdateWindow();
      WriteState(name);
    } else if (!strcmp(word, "quit")) {
      g_quit = true;
    }
  }
  fclose(f);
  DeleteFileA(path);
  g_files++;
  char ack[MAX_PATH], tmp[MAX_PATH];
  PathOf(ack, "ack.txt");
  PathOf(tmp, "ack.tmp");
  FILE* o = fopen(tmp, "w");
  if (o) {
    fprintf(o, "%d\n", g_files);
    fclose(o);
    MoveFileExA(tmp, ack, MOVEFILE_REPLACE_EXISTING);
  }
}

int RunHost(HINSTANCE inst) {
  if (__argc < 2) return 2;
  snprintf(g_dir, sizeof g_dir, "%s", __argv[1]);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = inst;
  wc.lpszClassName = "OrvOverlayHost";
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "OrvOverlayHost", "overlay", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                              nullptr, inst, nullptr);
  if (!host) return 2;
  CMapWnd* map = new CMapWnd;
  g_map = map;
  RECT rc = {0, 0, 800, 600};
  // the buttons as the game's view has them; track points can be picked
  DWORD style = WS_CHILD | WS_VISIBLE | MAPS_DRAGLEFT | MAPS_DRAGMIDDLE | MAPS_WHEELZOOM | MAPS_DRAGNOTIFY |
                MAPS_PICKPOINTS;
  if (!map->Create(0, style, rc, CWnd::FromHandle(host), 31973)) return 2;
  // the scene: two markers (one labelled) and a track, on the plain background
  map->InsertMarker(-1, "", 10.8, 49.1, MAPMK_VISIBLE, 0xFFFFFF, TRUE);
  map->InsertMarker(-1, "Test", 11.5, 49.2, MAPMK_VISIBLE | MAPMK_LABEL, 0x00FFFF, TRUE);
  const double track[][2] = {{10.7, 48.7}, {11.9, 48.7}, {11.9, 48.5}};
  for (const auto& p : track) {
    uint32_t x, y;
    CMapWnd::GeoToWorld(p[0], p[1], &x, &y);
    map->InsertTrackPoint(0, x, y, -1, TRUE);
  }
  SetTimer(host, 1, 50, nullptr);
  MSG msg;
  while (!g_quit && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == host) {
      RunCommands();
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  map->DestroyWindow();
  delete map;
  DestroyWindow(host);
  return 0;
}

}  // namespace

class COverlayGuiApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_result = RunHost(AfxGetInstanceHandle());
    return FALSE;
  }
  int ExitInstance() override { return m_result; }

 private:
  int m_result = 1;
};

COverlayGuiApp theApp;
