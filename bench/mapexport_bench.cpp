// The map-section export: an 8192 x 8192 section (base map and one layer)
// from a warm disk cache through MapExportRenderProc, file written, against
// decoding, post-processing and blending the same tile bytes from memory
// into a picture of that size and PNG-encoding it to memory in one thread;
// and the rise of peak private memory of an 18000 x 18000 export against
// the picture's own bytes.
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "bench/benchwork.h"
#include "files/fileio.h"
#include "files/fileops.h"
#include "game/view/mapexport.h"
#include "image/formats/pngcodec.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "map/mapwnd.h"
#include "map/tilecache.h"
#include "map/tilecache_io.h"
#include "map/tilefx.h"
#include "map/tileworker.h"
#include "toolkit/progressdlg.h"

namespace {

const int kZoom = 10;
const uint32_t kCol0 = 500, kRow0 = 300;  // top-left tile of the sections

std::vector<unsigned char> g_base, g_layer;

std::vector<unsigned char> Encode(const CPicture& p) {
  ImgBuffer out;
  CPngWriter w;
  w.Encode(p, 0, out);
  return std::vector<unsigned char>(out.data, out.data + out.size);
}

// A base tile like a map's (shades and edges) and a layer with transparent,
// half and opaque parts.
void MakeTiles() {
  CPicture b, l;
  b.Create(24, 256, 256);
  l.Create(32, 256, 256);
  for (int y = 0; y < 256; y++)
    for (int x = 0; x < 256; x++) {
      b.SetPixel(x, y, (uint32_t)((x * 3) & 255) << 16 | (uint32_t)((y * 5 + x) & 255) << 8 | ((x ^ y) & 0xF0));
      uint32_t a = (x / 32 + y / 32) % 3 == 0 ? 0 : (x / 32) % 2 ? 0x80 : 0xFF;
      l.SetPixel(x, y, a << 24 | 0x2040C0);
    }
  g_base = Encode(b);
  g_layer = Encode(l);
}

// Writes the tiles of a cols x rows block of both sources into the cache.
void WarmCache(CMapWnd* map, int cols, int rows) {
  const char* root = TileCacheRoot();
  for (int L = 0; L < 2; L++) {
    MapTileSource s = map->GetSource(L);
    for (int c = 0; c < cols; c++)
      for (int r = 0; r < rows; r++) {
        TilePaths p;
        if (!TileMakePaths(root, s, kZoom, kCol0 + c, kRow0 + r, &p)) continue;
        if (FileGetSizeA(p.file) > 0) continue;
        DirCreateExA(p.file, DIRCREATE_PARENT);
        const std::vector<unsigned char>& d = L ? g_layer : g_base;
        FioHandle h = FioOpen(p.file, FIO_WRITE | FIO_CREATE);
        if (h == FIO_INVALID) continue;
        FioWrite(h, d.data(), (unsigned)d.size());
        FioClose(h);
      }
  }
}

int Export(CMapWnd* map, int size, const std::string& file) {
  CPicture image;
  if (!image.Create(32, size, size, 0xFFFFFFFF)) return -100;
  MapExportJob job;
  job.map = map;
  job.x = kCol0 << 20;
  job.y = kRow0 << 20;
  job.zoom = kZoom;
  job.width = job.height = size;
  job.image = &image;
  job.file = file.c_str();
  CProgressDlg dlg;  // never shown: only carries the job to the worker
  dlg.SetWorker(MapExportRenderProc, reinterpret_cast<uintptr_t>(&job));
  int r = MapExportRenderProc(&dlg);
  return r != 0 ? r : (int)job.missing;
}

// Committed private memory, by a walk over the address space (Wine's
// process counters stay near zero); a thread samples it every 20 ms for the
// peak.
double PrivateBytes() {
  double sum = 0;
  MEMORY_BASIC_INFORMATION mbi;
  for (char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) sum += (double)mbi.RegionSize;
    char* next = (char*)mbi.BaseAddress + mbi.RegionSize;
    if (next <= p) break;
    p = next;
  }
  return sum;
}

struct PeakSampler {
  volatile LONG stop = 0;
  double peak = 0;
  static DWORD WINAPI Run(void* self) {
    PeakSampler* s = static_cast<PeakSampler*>(self);
    while (!s->stop) {
      double b = PrivateBytes();
      if (b > s->peak) s->peak = b;
      Sleep(20);
    }
    return 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  std::string dir = orvbench::WorkFolder(argv[0], "mapexport_bench");
  if (dir.empty()) return 1;
  MakeTiles();
  TileCacheSetRoot((dir + "cache\\").c_str());
  MapTilesInstall();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvExportBench";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "OrvExportBench", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  CMapWnd* map = new CMapWnd;
  RECT rc = {0, 0, 640, 480};
  if (!map->Create(0, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(host), 1)) return 1;
  // no server: every tile comes from the cache
  map->SetSource(0, "127.0.0.1:9", "base", 0, 0, 0, nullptr, 0);
  map->SetSource(1, "127.0.0.1:9", "layer", 0, 0, 0, nullptr, 0);
  map->ApplySources();
  map->SetZoom(kZoom);
  map->MoveTo((kCol0 + 2) << 20, (kRow0 + 2) << 20, 1);

  const char* filter = orvbench::Settings().filter;
  if (!filter || strstr("mapexport.8192_warm", filter)) {
    WarmCache(map, 32, 32);
    std::string file = dir + "export.png";
    MapTileSource base = map->GetSource(0), layer = map->GetSource(1);
    auto subject = [&](long n) {
      double s = 0;
      for (long i = 0; i < n; i++) s += Export(map, 8192, file) == 0 ? 1 : 1000;
      return s;
    };
    auto reference = [&](long n) {
      double s = 0;
      for (long i = 0; i < n; i++) {
        CPicture out;
        out.Create(32, 8192, 8192, 0xFFFFFFFF);
        for (int k = 0; k < 32 * 32; k++) {
          CPicture b, l;
          if (ImgLoadMemory(g_base.data(), g_base.size(), b) != 0) continue;
          TilePostProcess(b, 0, base.options, base.optionCount, base.alphaOffset, base.alphaScale);
          out.DrawPicture(b, (k % 32) * 256, (k / 32) * 256, 0);
          if (ImgLoadMemory(g_layer.data(), g_layer.size(), l) != 0) continue;
          TilePostProcess(l, 1, layer.options, layer.optionCount, layer.alphaOffset, layer.alphaScale);
          out.BlendPicture(l, (k % 32) * 256, (k / 32) * 256);
        }
        ImgBuffer png;
        CPngWriter w;
        w.Encode(out, 0, png);
        s += (double)png.size;
      }
      return s;
    };
    orvbench::Compare("mapexport.8192_warm", "export, file", subject, "decode+blend+encode, memory", reference);
    DeleteFileA(file.c_str());
  }
  if (!filter || strstr("mapexport.memory18000", filter)) {
    // the layer off: one source, 71 x 71 tiles
    map->SetSource(1, nullptr, nullptr, 0, 0, 0, nullptr, 0);
    map->ApplySources();
    WarmCache(map, 71, 71);
    std::string file = dir + "big.png";
    double before = PrivateBytes();
    PeakSampler sampler;
    sampler.peak = before;
    HANDLE t = CreateThread(nullptr, 0x10000, PeakSampler::Run, &sampler, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    double t0 = orvbench::Seconds();
    int r = Export(map, 18000, file);
    double secs = orvbench::Seconds() - t0;
    InterlockedExchange(&sampler.stop, 1);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    double image = 18000.0 * 18000.0 * 4;
    printf("BENCH mapexport.memory18000: result %d in %.1f s, %.0f MB before, peak %.0f MB, "
           "rise / picture bytes %.3f\n",
           r, secs, before / 1e6, sampler.peak / 1e6, (sampler.peak - before) / image);
    DeleteFileA(file.c_str());
  }
  delete map;
  DestroyWindow(host);
  return 0;
}
