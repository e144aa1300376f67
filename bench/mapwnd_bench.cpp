// Speed of the map window's buffer work against memmove/memcpy of the same
// bytes: re-anchoring the full back buffer by whole cells, and the in-place
// rescale that shows a one-level zoom step at once. The buffer is the one of
// a 1920 x 1080 screen: 4096 x 2048 pixels of 32 bits.
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/benchlib.h"
#include "map/mapmath.h"

namespace {

const int kW = 4096, kH = 2048;
std::vector<uint32_t> g_buf((size_t)kW * kH), g_row(kW);
std::vector<uint32_t> g_cells((size_t)(kW / 256) * (kH / 256));
std::vector<int> g_inCols(kW), g_inRows(kH), g_outCols(kW), g_outRows(kH);

MapPixels Pixels() {
  MapPixels p;
  p.row0 = (uint8_t*)g_buf.data();
  p.stride = kW * 4;
  p.width = kW;
  p.height = kH;
  return p;
}

void MakeMaps() {
  MapView a;
  a.Init(kW, kH);
  a.zoom = 9;
  a.originX = 0x22000000u;
  a.originY = 0x16000000u;
  MapView in = a, out = a;
  in.ApplyZoom(10);
  out.ApplyZoom(8);
  MapZoomColumnMap(a, in, g_inCols.data());
  MapZoomRowMap(a, in, g_inRows.data());
  MapZoomColumnMap(a, out, g_outCols.data());
  MapZoomRowMap(a, out, g_outRows.data());
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  for (size_t i = 0; i < g_buf.size(); i++) g_buf[i] = (uint32_t)(i * 2654435761u);
  MakeMaps();
  MapCellGrid grid;
  grid.words = g_cells.data();
  grid.cols = kW / 256;
  grid.rows = kH / 256;
  const size_t bytes = g_buf.size() * 4;

  // one diagonal cell, alternating directions
  orvbench::Compare(
      "mapwnd.reanchor", "MapShiftPixels+grid", [&](long n) {
        for (long i = 0; i < n; i++) {
          int d = (i & 1) ? -256 : 256;
          MapShiftPixels(Pixels(), d, d, 0xE0E0E0);
          grid.Shift(d / 256, d / 256);
        }
        return (double)g_buf[kW * 300 + 300];
      },
      "memmove", [&](long n) {
        size_t off = (size_t)256 * kW + 256;
        for (long i = 0; i < n; i++) {
          if (i & 1)
            memmove(g_buf.data(), g_buf.data() + off, bytes - off * 4);
          else
            memmove(g_buf.data() + off, g_buf.data(), bytes - off * 4);
        }
        return (double)g_buf[kW * 300 + 300];
      });

  static std::vector<uint32_t> copy(g_buf.size());
  orvbench::Compare(
      "mapwnd.zoom_in_preview", "MapRemapPixels", [&](long n) {
        for (long i = 0; i < n; i++) MapRemapPixels(Pixels(), g_inCols.data(), g_inRows.data(), 0, g_row.data());
        return (double)g_buf[kW * 1000 + 2000];
      },
      "memcpy", [&](long n) {
        for (long i = 0; i < n; i++) memcpy((i & 1) ? copy.data() : g_buf.data(), (i & 1) ? g_buf.data() : copy.data(), bytes);
        return (double)g_buf[kW * 1000 + 2000];
      });
  orvbench::Compare(
      "mapwnd.zoom_out_preview", "MapRemapPixels", [&](long n) {
        for (long i = 0; i < n; i++) MapRemapPixels(Pixels(), g_outCols.data(), g_outRows.data(), 0, g_row.data());
        return (double)g_buf[kW * 1000 + 2000];
      },
      "memcpy", [&](long n) {
        for (long i = 0; i < n; i++) memcpy((i & 1) ? copy.data() : g_buf.data(), (i & 1) ? g_buf.data() : copy.data(), bytes);
        return (double)g_buf[kW * 1000 + 2000];
      });
  return 0;
}
