// Tile post-processing of one 256 x 256 layer tile against memcpy of its bytes.
#include <cstring>
#include <vector>

#include "bench/benchlib.h"
#include "image/picture.h"
#include "map/tilefx.h"

namespace {

// A layer tile: white background, coloured areas with soft edges, noise.
void MakeLayer(CPicture& t) {
  t.Create(24, 256, 256, 0xFFFFFF);
  orvbench::Random rnd;
  for (int i = 0; i < 40; ++i) {
    int x = static_cast<int>(rnd.Next() % 240), y = static_cast<int>(rnd.Next() % 240);
    uint32_t c = static_cast<uint32_t>(rnd.Next()) & 0xFFFFFF;
    t.FillRect(x, y, 16, 16, c);
    t.FrameRect(x - 1, y - 1, 18, 18, 0xF0F0F0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  CPicture layer, work, work24;
  MakeLayer(layer);
  work24.Create(24, 256, 256, 0);
  std::vector<uint8_t> copy(256 * 256 * 4);
  const size_t bytes = layer.ImageBytes();
  auto reference = [&](long n) {
    for (long i = 0; i < n; ++i) std::memcpy(copy.data(), layer.Pixels(), bytes);
    return static_cast<double>(copy[bytes / 2]);
  };
  const uint32_t list[] = {0xFFFFFF, 0xF0F0F0};
  orvbench::Compare(
      "tilefx.colorlist",
      "copy + TileApplyColorList (24 to 32 bits)",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          work24.Create(24, 256, 256, 0);
          work24.DrawPicture(layer, 0, 0, 0);  // a fresh 24-bit tile, as decoded
          TileApplyColorList(work24, list, 2);
          s += work24.GetPixel(7, 7);
        }
        return s;
      },
      "memcpy of the tile", reference);
  CPicture listed;
  listed.CropFrom(layer, 0, 0, 256, 256);
  TileApplyColorList(listed, list, 2);
  work.Create(32, 256, 256, 0);
  orvbench::Compare(
      "tilefx.soften",
      "copy + TileSoftenEdges",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          std::memcpy(work.Pixels(), listed.Pixels(), listed.ImageBytes());
          TileSoftenEdges(work);
          s += work.GetPixel(7, 7);
        }
        return s;
      },
      "memcpy of the tile", reference);
  orvbench::Compare(
      "tilefx.alpha",
      "copy + TileApplyAlpha",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          std::memcpy(work.Pixels(), listed.Pixels(), listed.ImageBytes());
          TileApplyAlpha(work, 200, -10);
          s += work.GetPixel(7, 7);
        }
        return s;
      },
      "memcpy of the tile", reference);
  return 0;
}
