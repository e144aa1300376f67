// PNG encoding (libpng errors longjmp back into WriteAll, see pngread.cpp).
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

struct PngWriteCtx {
  jmp_buf jump;
  char message[160];
  ImgSink* out;
  png_structp png;
  png_infop info;
  // what to write
  png_uint_32 width, height;
  int depth, colourType;
  bool bgr, stripFiller;
  png_color plte[256];
  png_byte trns[256];
  int plteCount, trnsCount;
  png_text text;
  bool hasText;
  int level;  // -1 default
  png_bytepp rows;
};

void PngError(png_structp png, png_const_charp msg) {
  PngWriteCtx* c = static_cast<PngWriteCtx*>(png_get_error_ptr(png));
  std::snprintf(c->message, sizeof(c->message), "PNG: %s", msg ? msg : "error");
  longjmp(c->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngWriteData(png_structp png, png_bytep data, size_t n) {
  PngWriteCtx* c = static_cast<PngWriteCtx*>(png_get_io_ptr(png));
  if (!c->out->Write(data, n)) png_error(png, "write failed");
}

void PngFlush(png_structp) {}

int WriteAll(PngWriteCtx* c) {
  if (setjmp(c->jump)) return 1;
  png_structp png = c->png;
  png_infop info = c->info;
  png_set_write_fn(png, c, PngWriteData, PngFlush);
  if (c->level >= 0) png_set_compression_level(png, c->level);
  png_set_IHDR(png, info, c->width, c->height, c->depth, c->colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (c->plteCount) png_set_PLTE(png, info, c->plte, c->plteCount);
  if (c->trnsCount) png_set_tRNS(png, info, c->trns, c->trnsCount, nullptr);
  if (c->hasText) png_set_text(png, info, &c->text, 1);
  png_write_info(png, info);
  if (c->bgr) png_set_bgr(png);
  if (c->stripFiller) png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, c->rows);
  png_write_end(png, info);
  return 0;
}

struct PngWriteGuard {
  PngWriteCtx* c;
  ~PngWriteGuard() { png_destroy_write_struct(&c->png, &c->info); }
};

}  // namespace

void CPngWriter::Encode(const CPicture& picture, unsigned flags, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("PNG: no picture");
  const CPicture* pic = &picture;
  CPicture wide;
  if (picture.Bits() == 16) {
    if (!wide.ConvertFrom(picture, 24)) throw EGraphicsMemoryError("PNG: out of memory");
    pic = &wide;
  }
  PngWriteCtx c;
  std::memset(&c, 0, sizeof(c));
  c.out = &out;
  c.width = static_cast<png_uint_32>(pic->Width());
  c.height = static_cast<png_uint_32>(pic->Height());
  c.level = (flags & kPngLevelMask) ? static_cast<int>(flags & kPngLevelMask) - 1 : -1;
  if (c.level > 9) c.level = 9;
  const int bits = pic->Bits();
  if (bits <= 8) {
    c.depth = bits;
    c.colourType = PNG_COLOR_TYPE_PALETTE;
    c.plteCount = 1 << bits;
    bool alpha = pic->GetAlphaUsage() == 2;  // all 0 is a palette without alpha
    for (int i = 0; i < c.plteCount; ++i) {
      uint32_t e = pic->Palette()[i];
      c.plte[i].red = static_cast<png_byte>(e >> 16);
      c.plte[i].green = static_cast<png_byte>(e >> 8);
      c.plte[i].blue = static_cast<png_byte>(e);
      c.trns[i] = static_cast<png_byte>(e >> 24);
      if (alpha && c.trns[i] != 255) c.trnsCount = i + 1;
    }
  } else {
    c.depth = 8;
    c.bgr = true;
    if (bits == 32 && pic->GetAlphaUsage() == 2) {
      c.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    } else {
      c.colourType = PNG_COLOR_TYPE_RGB;
      c.stripFiller = bits == 32;
    }
  }
  std::vector<char> key(8), text;
  if (m_comment && *m_comment) {
    std::memcpy(key.data(), "Comment", 8);
    text.assign(m_comment, m_comment + std::strlen(m_comment) + 1);
    c.text.compression = PNG_TEXT_COMPRESSION_NONE;
    c.text.key = key.data();
    c.text.text = text.data();
    c.text.text_length = text.size() - 1;
    c.hasText = true;
  }
  std::vector<png_bytep> rows(pic->Height());
  for (int y = 0; y < pic->Height(); ++y) rows[y] = const_cast<png_bytep>(pic->Row(y));
  c.rows = rows.data();

  c.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &c, PngError, PngWarning);
  if (!c.png) throw EGraphicsMemoryError("PNG: out of memory");
  PngWriteGuard guard{&c};
  c.info = png_create_info_struct(c.png);
  if (!c.info) throw EGraphicsMemoryError("PNG: out of memory");
  if (WriteAll(&c)) throw EGraphicsDataError(c.message);
}

void CPngWriter::Save(const char* fileName, const CPicture& picture, unsigned flags) {
  // encoded straight into the file: a large map export is never held twice
  ImgReplaceFile file;
  file.Open(fileName);
  Encode(picture, flags, file);
  file.Commit();
}
