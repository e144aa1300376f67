// PNG decoding from memory.
//
// libpng reports errors through a callback that must not return; ours
// longjmps back into small functions of this file that hold no objects with
// destructors, and the C++ code around them then throws.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image/formats/pngcodec.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"

namespace {

struct PngReadCtx {
  jmp_buf jump;
  char message[160];
  const uint8_t* data;
  size_t size, pos;
  png_structp png;
  png_infop info;
  // the header and the layout chosen for it
  png_uint_32 width, height;
  int depth, colourType, interlace;
  int outBits;  // 1..8 palette, 24, 32
  size_t rowBytes;
  uint32_t palette[256];
};

void PngError(png_structp png, png_const_charp msg) {
  PngReadCtx* c = static_cast<PngReadCtx*>(png_get_error_ptr(png));
  std::snprintf(c->message, sizeof(c->message), "PNG: %s", msg ? msg : "error");
  longjmp(c->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngReadData(png_structp png, png_bytep out, size_t n) {
  PngReadCtx* c = static_cast<PngReadCtx*>(png_get_io_ptr(png));
  if (n > c->size - c->pos) png_error(png, "unexpected end of data");
  std::memcpy(out, c->data + c->pos, n);
  c->pos += n;
}

// Reads the chunks up to the image data and sets the transformations.
int ReadHeader(PngReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  png_structp png = c->png;
  png_infop info = c->info;
  png_set_read_fn(png, c, PngReadData);
  // sizes are judged by ImgDecodePng itself, after the header
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_chunk_malloc_max(png, 8u << 20);
  png_read_info(png, info);
  int filter, compression;
  png_get_IHDR(png, info, &c->width, &c->height, &c->depth, &c->colourType, &c->interlace,
               &compression, &filter);
  return 0;
}

int SetLayout(PngReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  png_structp png = c->png;
  png_infop info = c->info;
  bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  int depth = c->depth;
  for (int i = 0; i < 256; ++i) c->palette[i] = 0xFF000000u;
  switch (c->colourType) {
    case PNG_COLOR_TYPE_PALETTE: {
      c->outBits = depth;
      png_colorp pal = nullptr;
      int n = 0;
      if (!png_get_PLTE(png, info, &pal, &n)) png_error(png, "palette missing");
      for (int i = 0; i < n && i < 256; ++i)
        c->palette[i] = 0xFF000000u | static_cast<uint32_t>(pal[i].red) << 16 |
                        static_cast<uint32_t>(pal[i].green) << 8 | pal[i].blue;
      if (trns) {
        png_bytep alpha = nullptr;
        int na = 0;
        png_get_tRNS(png, info, &alpha, &na, nullptr);
        for (int i = 0; i < na && i < 256; ++i)
          c->palette[i] = (c->palette[i] & 0xFFFFFF) | static_cast<uint32_t>(alpha[i]) << 24;
      }
      break;
    }
    case PNG_COLOR_TYPE_GRAY:
      if (depth <= 8) {
        c->outBits = depth;
        int n = 1 << depth;
        for (int i = 0; i < n; ++i) {
          uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
          c->palette[i] = 0xFF000000u | g << 16 | g << 8 | g;
        }
        if (trns) {
          png_color_16p key = nullptr;
          png_get_tRNS(png, info, nullptr, nullptr, &key);
          if (key && key->gray < n) c->palette[key->gray] &= 0xFFFFFF;
        }
        break;
      }
      if (!trns) {
        png_set_strip_16(png);
        c->outBits = 8;
        for (int i = 0; i < 256; ++i)
          c->palette[i] = 0xFF000000u | static_cast<uint32_t>(i) << 16 | static_cast<uint32_t>(i) << 8 | i;
        break;
      }
      png_set_tRNS_to_alpha(png);
      png_set_gray_to_rgb(png);
      png_set_strip_16(png);
      png_set_bgr(png);
      c->outBits = 32;
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      png_set_gray_to_rgb(png);
      png_set_strip_16(png);
      png_set_bgr(png);
      c->outBits = 32;
      break;
    case PNG_COLOR_TYPE_RGB:
      png_set_strip_16(png);
      png_set_bgr(png);
      if (trns) {
        png_set_tRNS_to_alpha(png);
        c->outBits = 32;
      } else {
        c->outBits = 24;
      }
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      png_set_strip_16(png);
      png_set_bgr(png);
      c->outBits = 32;
      break;
    default:
      png_error(png, "unknown colour type");
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  c->rowBytes = png_get_rowbytes(png, info);
  return 0;
}

int ReadRows(PngReadCtx* c, png_bytepp rows) {
  if (setjmp(c->jump)) return 1;
  png_read_image(c->png, rows);
  return 0;
}

int ReadEnd(PngReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  png_read_end(c->png, nullptr);
  return 0;
}

struct PngReadGuard {
  PngReadCtx* c;
  ~PngReadGuard() { png_destroy_read_struct(&c->png, &c->info, nullptr); }
};

}  // namespace

bool ImgIsPng(const uint8_t* data, size_t size) {
  return data && size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

void ImgDecodePng(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsPng(data, size)) throw EGraphicsFormatError("not a PNG file");
  PngReadCtx c;
  std::memset(&c, 0, sizeof(c));
  c.data = data;
  c.size = size;
  c.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &c, PngError, PngWarning);
  if (!c.png) throw EGraphicsMemoryError("PNG: out of memory");
  PngReadGuard guard{&c};
  c.info = png_create_info_struct(c.png);
  if (!c.info) throw EGraphicsMemoryError("PNG: out of memory");

  if (ReadHeader(&c)) throw EGraphicsDataError(c.message);
  // Refuse what could not be held, or what the data cannot hold, before
  // anything of the image's size is allocated. Deflate expands at most
  // 1032:1, so the filtered rows (plus interlace overhead) must fit.
  const int64_t w = c.width, h = c.height;
  if (w <= 0 || h <= 0) throw EGraphicsDataError("PNG: empty image");
  if (w > kImgMaxDecodeSide || h > kImgMaxDecodeSide || w * h > kImgMaxDecodePixels)
    throw EGraphicsMemoryError("PNG: image too large");
  int channels = c.colourType == PNG_COLOR_TYPE_RGB ? 3
                 : c.colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                 : c.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
  int64_t raw = h * (1 + (w * channels * c.depth + 7) / 8);
  if (raw / 1100 > static_cast<int64_t>(size)) throw EGraphicsDataError("PNG: image size does not fit the data");

  if (SetLayout(&c)) throw EGraphicsDataError(c.message);
  if (c.rowBytes != static_cast<size_t>((w * c.outBits + 7) / 8)) throw EGraphicsFormatError("PNG: unsupported layout");

  CPicture pic;
  if (!pic.Create(c.outBits, static_cast<int>(w), static_cast<int>(h), 0, 0))
    throw EGraphicsMemoryError("PNG: out of memory");
  if (c.outBits <= 8) pic.SetPalette(c.palette, 256);
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  for (int64_t y = 0; y < h; ++y) rows[y] = pic.Row(static_cast<int>(y));
  if (ReadRows(&c, rows.data())) throw EGraphicsDataError(c.message);
  // the image is complete: trouble in the trailing chunks does not spoil it
  ReadEnd(&c);
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}
