// Tile blending and tile decoding against memcpy and the codecs' own loops;
// the other formats' decoding and encoding against Pillow (natively).
#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "bench/benchlib.h"
#include "image/formats/jpegcodec.h"
#include "image/formats/jpeglib_wrap.h"
#include "image/formats/gifcodec.h"
#include "image/formats/pngcodec.h"
#include "image/formats/tiffcodec.h"
#include "image/imgfile.h"
#include "image/picture.h"
#ifndef _WIN32
#include "bench/pillowpeer.h"
#endif

namespace {

// A map-like tile: flat areas, a few roads, some noise.
void MakeTile(CPicture& t, bool alpha) {
  t.Create(32, 256, 256, 0);
  const uint32_t land[] = {0xF2EFE9, 0xC8FACC, 0xAAD3DF, 0xE0DFDF, 0xADD19E};
  orvbench::Random rnd;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      uint32_t c = land[((x / 37) + (y / 23) * 3) % 5];
      if (rnd.Next() % 10 == 0) c ^= 0x030303;
      uint32_t a = alpha ? static_cast<uint32_t>((x + y) & 0xFF) : 255u;
      t.SetPixel(x, y, a << 24 | c);
    }
  for (int i = 0; i < 12; ++i) {
    int y = static_cast<int>(rnd.Next() % 250);
    t.FillRect(0, y, 256, 3, alpha ? 0xC0FFFFFFu : 0xFFFFFFFFu);
    t.FillRect(y, 0, 2, 256, 0xFFE892A2u);
  }
}

// libpng's plain loop: header, BGR(A) rows, done.
struct MemSrc {
  const uint8_t* p;
  size_t n, pos;
};
void ReadFn(png_structp png, png_bytep out, size_t n) {
  MemSrc* m = static_cast<MemSrc*>(png_get_io_ptr(png));
  if (n > m->n - m->pos) png_error(png, "eof");
  std::memcpy(out, m->p + m->pos, n);
  m->pos += n;
}
double PlainPngDecode(const ImgBuffer& file, std::vector<uint8_t>& pixels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  MemSrc m{file.data, file.size, 0};
  png_set_read_fn(png, &m, ReadFn);
  png_read_info(png, info);
  png_set_bgr(png);
  png_read_update_info(png, info);
  size_t rb = png_get_rowbytes(png, info);
  png_uint_32 h = png_get_image_height(png, info);
  pixels.resize(rb * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = &pixels[y * rb];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return pixels[rb * h / 2];
}

// libjpeg's plain loop from memory.
double PlainJpegDecode(const ImgBuffer& file, std::vector<uint8_t>& pixels) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data, static_cast<unsigned long>(file.size));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  size_t rb = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  pixels.resize(rb * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &pixels[cinfo.output_scanline * rb];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return pixels[pixels.size() / 2];
}

#ifndef _WIN32
// A 2048 x 2048 map-like picture: the tile's areas, roads and noise, larger.
void MakeMap(CPicture& m) {
  m.Create(24, 2048, 2048, 0);
  const uint32_t land[] = {0xF2EFE9, 0xC8FACC, 0xAAD3DF, 0xE0DFDF, 0xADD19E, 0xF5DCBA};
  orvbench::Random rnd;
  for (int y = 0; y < 2048; ++y)
    for (int x = 0; x < 2048; ++x) {
      uint32_t c = land[((x / 97) + (y / 61) * 5 + (x * y / 40000)) % 6];
      if (rnd.Next() % 7 == 0) c ^= 0x030303 * static_cast<uint32_t>(rnd.Next() % 3);
      m.SetPixel(x, y, c);
    }
  for (int i = 0; i < 60; ++i) {
    int p = static_cast<int>(rnd.Next() % 2040);
    m.FillRect(0, p, 2048, 4, 0xFFFFFFFFu);
    m.FillRect(p, 0, 3, 2048, 0xFFE892A2u);
  }
}

// Decoding the same bytes: ImgLoadMemory against Pillow's open and load.
void CompareDecode(orvbench::PillowPeer& peer, const char* name, const std::string& file) {
  std::vector<uint8_t> data;
  if (!orvbench::ReadWhole(file, data)) return;
  CPicture pic;
  if (ImgLoadMemory(data.data(), data.size(), pic, 0) != 0) {
    std::printf("BENCH %s: not read\n", name);
    return;
  }
  orvbench::Compare(
      name, "ImgLoadMemory",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += ImgLoadMemory(data.data(), data.size(), pic, 0) + pic.GetPixel(9, 9);
        return s;
      },
      "Pillow open + load", [&](long n) { return peer.Run("decode " + file, n); });
}

void ComparePillow() {
  orvbench::PillowPeer peer;
  if (!peer.Start()) {
    std::printf("BENCH image.pillow: Pillow not available\n");
    return;
  }
  CPicture map, pal;
  MakeMap(map);
  pal.ConvertFrom(map, 8);  // the fixed cube is enough for a decoding sample
  const std::string dir = peer.Dir();
  ImgBuffer gif, tif;
  CGifWriter().Encode(map, gif);
  CTiffWriter().Encode(map, tif);
  orvbench::WriteWhole(dir + "/map.gif", gif.data, gif.size);
  orvbench::WriteWhole(dir + "/map_lzw.tif", tif.data, tif.size);
  CPngWriter().Save((dir + "/map.png").c_str(), map, 1);
  // the files Pillow writes itself: Deflate TIFF, BMP, PNM
  peer.Run("make " + dir, 1);
  CompareDecode(peer, "image.gif.decode", dir + "/map.gif");
  CompareDecode(peer, "image.tiff.lzw_predictor.decode", dir + "/map_lzw.tif");
  CompareDecode(peer, "image.tiff.deflate.decode", dir + "/map_deflate.tif");
  CompareDecode(peer, "image.bmp.24.decode", dir + "/map.bmp");
  CompareDecode(peer, "image.bmp.rle8.decode", dir + "/map_rle8.bmp");
  CompareDecode(peer, "image.pnm.decode", dir + "/map.ppm");
  peer.Run("load " + dir + "/map.png", 1);
  orvbench::Compare(
      "image.tiff.encode", "CTiffWriter (LZW, predictor)",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          ImgBuffer out;
          CTiffWriter().Encode(map, out);
          s += out.size;
        }
        return s;
      },
      "Pillow TIFF LZW", [&](long n) { return peer.Run("encode TIFF", n); });
  orvbench::Compare(
      "image.gif.encode", "CGifWriter (palette made)",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) {
          ImgBuffer out;
          CGifWriter().Encode(map, out);
          s += out.size;
        }
        return s;
      },
      "Pillow GIF (quantized)", [&](long n) { return peer.Run("encode GIF", n); });
}
#endif

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  CPicture opaque, layer, back;
  MakeTile(opaque, false);
  MakeTile(layer, true);
  back.Create(32, 1024, 1024, 0xFF808080u);
  std::vector<uint8_t> plain(256 * 256 * 4 * 2);

  orvbench::Compare(
      "image.blend.tile",
      "BlendPicture 256x256",
      [&](long n) {
        for (long i = 0; i < n; ++i) back.BlendPicture(layer, static_cast<int>((i & 3) * 256), 256);
        return static_cast<double>(back.GetPixel(300, 300));
      },
      "memcpy of its rows",
      [&](long n) {
        for (long i = 0; i < n; ++i)
          for (int y = 0; y < 256; ++y)
            std::memcpy(back.Row(256 + y) + (i & 3) * 1024, layer.Row(y), 1024);
        return static_cast<double>(back.GetPixel(300, 300));
      });
  orvbench::Compare(
      "image.draw.tile",
      "DrawPicture 256x256",
      [&](long n) {
        for (long i = 0; i < n; ++i) back.DrawPicture(opaque, static_cast<int>((i & 3) * 256), 512, 0);
        return static_cast<double>(back.GetPixel(300, 600));
      },
      "memcpy of its rows",
      [&](long n) {
        for (long i = 0; i < n; ++i)
          for (int y = 0; y < 256; ++y)
            std::memcpy(back.Row(512 + y) + (i & 3) * 1024, opaque.Row(y), 1024);
        return static_cast<double>(back.GetPixel(300, 600));
      });

  CPicture rgb;
  rgb.ConvertFrom(opaque, 24);
  ImgBuffer png, jpg;
  CPngWriter().Encode(rgb, 0, png);
  CJpegWriter jw;
  jw.m_quality = 85;
  jw.Encode(rgb, jpg);
  CPicture pic;
  orvbench::Compare(
      "image.png.decode",
      "ImgLoadMemory",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += ImgLoadMemory(png.data, png.size, pic, 0) + pic.GetPixel(9, 9);
        return s;
      },
      "libpng read loop",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += PlainPngDecode(png, plain);
        return s;
      });
  orvbench::Compare(
      "image.jpeg.decode",
      "ImgLoadMemory",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += ImgLoadMemory(jpg.data, jpg.size, pic, 0) + pic.GetPixel(9, 9);
        return s;
      },
      "libjpeg read loop",
      [&](long n) {
        double s = 0;
        for (long i = 0; i < n; ++i) s += PlainJpegDecode(jpg, plain);
        return s;
      });
#ifndef _WIN32
  ComparePillow();
#endif
  return 0;
}
