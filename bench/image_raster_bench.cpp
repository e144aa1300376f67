// BMP and PNM decoding of 2048 x 2048 pictures against Pillow decoding the
// same bytes in one long-lived python3 (started untimed). Native only: the
// reference runs on the host.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "image/formats/bmpcodec.h"
#include "image/formats/pnmcodec.h"
#include "image/imgfile.h"
#include "image/picture.h"

#ifdef _WIN32
int main() {
  std::printf("bench_image_raster: the Pillow reference runs natively only\n");
  return 0;
}
#else
#include <unistd.h>

#include "bench/pillowpeer.h"

namespace {

constexpr int kSide = 2048;

void MakePicture(CPicture& pic, int bits) {
  pic.Create(bits, kSide, kSide);
  orvbench::Random r;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      uint32_t area = static_cast<uint32_t>((x / 97) * 7 + (y / 61) * 13) % 40;
      if ((x + y) % 211 == 0 || r.Next() % 50 == 0) area = 41;
      pic.SetPixel(x, y, bits == 8 ? area : area * 0x0305F1u + 0x203040u);
    }
}

// RLE8 rows: runs only, an end of line per row, the end of bitmap.
std::vector<uint8_t> Rle8Bmp(const CPicture& pic) {
  std::vector<uint8_t> rle;
  for (int y = kSide - 1; y >= 0; --y) {
    const uint8_t* row = pic.Row(y);
    for (int x = 0; x < kSide;) {
      int n = 1;
      while (x + n < kSide && n < 255 && row[x + n] == row[x]) ++n;
      rle.push_back(static_cast<uint8_t>(n)), rle.push_back(row[x]);
      x += n;
    }
    rle.push_back(0), rle.push_back(y ? 0 : 1);
  }
  ImgBuffer plain;
  CBmpWriter().Encode(pic, plain);
  std::vector<uint8_t> file(plain.data, plain.data + 54 + 1024);  // headers and palette
  file[30] = 1;                                                    // RLE8
  file.insert(file.end(), rle.begin(), rle.end());
  return file;
}

std::string Save(const std::vector<uint8_t>& data, const char* name) {
  std::string path = std::string("/tmp/orv_bench_") + std::to_string(getpid()) + "_" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size()) std::exit(1);
  std::fclose(f);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  orvbench::PillowPeer pillow;
  if (!pillow.Start()) return 1;
  CPicture rgb, pal;
  MakePicture(rgb, 24);
  MakePicture(pal, 8);
  ImgBuffer bmp, pnm;
  CBmpWriter().Encode(rgb, bmp);
  CPnmWriter().Encode(rgb, pnm);
  const struct {
    const char* name;
    std::vector<uint8_t> data;
    void (*decode)(const uint8_t*, size_t, CPicture&);
  } cases[] = {{"image.bmp24.decode", std::vector<uint8_t>(bmp.data, bmp.data + bmp.size), ImgDecodeBmp},
               {"image.bmprle8.decode", Rle8Bmp(pal), ImgDecodeBmp},
               {"image.pnm.decode", std::vector<uint8_t>(pnm.data, pnm.data + pnm.size), ImgDecodePnm}};
  for (const auto& c : cases) {
    const std::string path = Save(c.data, c.name);
    orvbench::Compare(
        c.name, "ours",
        [&](long n) {
          double sum = 0;
          for (long i = 0; i < n; ++i) {
            CPicture pic;
            c.decode(c.data.data(), c.data.size(), pic);
            sum += pic.Row(kSide / 2)[7];
          }
          return sum;
        },
        "Pillow", [&](long n) { return pillow.Run("decode " + path, n); });
    std::remove(path.c_str());
  }
  return 0;
}
#endif
