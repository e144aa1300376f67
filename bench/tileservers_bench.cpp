// LoadTileServers over a table of 100 base maps and 100 layers (seven of
// them shown) against the same values read with RegQueryValueExA directly:
// what the table layer, the name lists and the sink cost above the registry.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/benchlib.h"
#include "files/regkey.h"
#include "game/tileservers.h"
#include "text/strlist.h"

namespace {

const char kPath[] = "Software\\Vexa-Bench\\OrvaloTiles";

void Put(HKEY k, const char* name, const std::string& text) {
  RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
}
void PutDword(HKEY k, const char* name, DWORD v) { RegSetValueExA(k, name, 0, REG_DWORD, (const BYTE*)&v, 4); }

void MakeTables() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
  for (const char* table : {"Server", "Layer"}) {
    HKEY k;
    std::string path = std::string(kPath) + "\\" + table;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    char name[32];
    for (int i = 0; i < 100; i++) {
      snprintf(name, sizeof name, "Name%02i", i), Put(k, name, std::string("Eintrag ") + std::to_string(i));
      snprintf(name, sizeof name, "Server%02i", i), Put(k, name, "tiles" + std::to_string(i) + ".example:8080");
      snprintf(name, sizeof name, "Path%02i", i), Put(k, name, "a/b/*.png");
      snprintf(name, sizeof name, "Interface%02i", i), PutDword(k, name, i % 3);
      snprintf(name, sizeof name, "Fixed%02i", i), PutDword(k, name, 0);
      if (table[0] == 'L') {
        snprintf(name, sizeof name, "Select%02i", i), PutDword(k, name, i % 10 == 3);
        snprintf(name, sizeof name, "AlphaOff%02i", i), Put(k, name, "-20");
        snprintf(name, sizeof name, "AlphaMul%02i", i), Put(k, name, "100");
      } else {
        snprintf(name, sizeof name, "ZoomMin%02i", i), Put(k, name, "2");
        snprintf(name, sizeof name, "ZoomMax%02i", i), Put(k, name, "16");
        snprintf(name, sizeof name, "AreaXA%02i", i), Put(k, name, "5.5");
        snprintf(name, sizeof name, "AreaXB%02i", i), Put(k, name, "15");
      }
    }
    if (table[0] == 'S') PutDword(k, "Select", 42);
    RegCloseKey(k);
  }
}

struct NullSink : tiles::TileSourceSink {
  long calls = 0;
  void SetSource(int, const char*, const char* path, int port, int, int) override { calls += port + path[0]; }
  void SetZoomRange(int a, int b) override { calls += a + b; }
  void SetAreaLimitsX(uint32_t a, uint32_t) override { calls += a & 1; }
  void SetAreaLimitsY(int64_t a, int64_t) override { calls += (long)(a & 1); }
  void SetLayerAlpha(int, int32_t o, int32_t m) override { calls += o + m; }
  void ApplySources() override { calls++; }
};

double Subject(long n) {
  double sum = 0;
  for (long r = 0; r < n; r++) {
    CRegistryKey app;
    app.Open(HKEY_CURRENT_USER, nullptr, REGKEY_CREATE);
    CStrList bases(4), layers(4);
    NullSink sink;
    tiles::TileLoadResult res = tiles::LoadTileServers(app, sink, &bases, &layers);
    sum += bases.GetCount() + layers.GetCount() + res.layersShown + sink.calls;
  }
  return sum;
}

// The same values read bare: names up to the first gap, the selection, the
// selected row and the shown layers' rows.
DWORD Query(HKEY k, const char* name, char* buf, DWORD size) {
  DWORD type = 0;
  if (RegQueryValueExA(k, name, nullptr, &type, (BYTE*)buf, &size) != ERROR_SUCCESS) return 0;
  return size;
}

double Reference(long n) {
  double sum = 0;
  char name[32], buf[512];
  for (long r = 0; r < n; r++) {
    HKEY app, k;
    RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &app, nullptr);
    RegCreateKeyExA(app, "Server", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &k, nullptr);
    sum += Query(k, "Name00", buf, sizeof buf) + Query(k, "Select", buf, sizeof buf);
    for (int i = 0; i < 100; i++) snprintf(name, sizeof name, "Name%02i", i), sum += Query(k, name, buf, sizeof buf);
    for (const char* f : {"Server", "Path", "Fixed", "Interface", "ZoomMin", "ZoomMax", "AreaXA", "AreaYA", "AreaXB",
                          "AreaYB"})
      snprintf(name, sizeof name, "%s42", f), sum += Query(k, name, buf, sizeof buf);
    RegCloseKey(k);
    RegOpenKeyExA(app, "Layer", 0, KEY_READ, &k);
    for (int i = 0; i < 100; i++) {
      snprintf(name, sizeof name, "Name%02i", i), sum += Query(k, name, buf, sizeof buf);
      snprintf(name, sizeof name, "Select%02i", i), sum += Query(k, name, buf, sizeof buf);
    }
    for (int i = 3; i < 73; i += 10)
      for (const char* f : {"Server", "Path", "Fixed", "Interface", "AlphaOff", "AlphaMul"})
        snprintf(name, sizeof name, "%s%02i", f, i), sum += Query(k, name, buf, sizeof buf);
    RegCloseKey(k);
    RegCloseKey(app);
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  RegSetAppKeyPath("Vexa-Bench", "OrvaloTiles");
  MakeTables();
  orvbench::Compare("game.tileservers.load", "LoadTileServers", Subject, "bare RegQueryValueExA", Reference);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vexa-Bench");
  return 0;
}
