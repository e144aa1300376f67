// JPEG encoding (errors longjmp back into Compress, see jpegread.cpp).
#include <csetjmp>
#include <cstring>
#include <memory>

#include "image/formats/jpegcodec.h"
#include "image/formats/jpeglib_wrap.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

namespace {

struct JpegWriteCtx {
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 8];
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  jpeg_destination_mgr dest;
  JOCTET chunk[16384];
  ImgSink* out;
  bool created;
};

void ErrorExit(j_common_ptr cinfo) {
  JpegWriteCtx* c = static_cast<JpegWriteCtx*>(cinfo->client_data);
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  std::snprintf(c->message, sizeof(c->message), "JPEG: %s", text);
  longjmp(c->jump, 1);
}
void OutputMessage(j_common_ptr) {}

void InitDest(j_compress_ptr cinfo) {
  JpegWriteCtx* c = static_cast<JpegWriteCtx*>(cinfo->client_data);
  c->dest.next_output_byte = c->chunk;
  c->dest.free_in_buffer = sizeof(c->chunk);
}
orv_jpeg_boolean EmptyOutput(j_compress_ptr cinfo) {
  JpegWriteCtx* c = static_cast<JpegWriteCtx*>(cinfo->client_data);
  if (!c->out->Write(c->chunk, sizeof(c->chunk))) ERREXIT(cinfo, JERR_FILE_WRITE);
  c->dest.next_output_byte = c->chunk;
  c->dest.free_in_buffer = sizeof(c->chunk);
  return TRUE;
}
void TermDest(j_compress_ptr cinfo) {
  JpegWriteCtx* c = static_cast<JpegWriteCtx*>(cinfo->client_data);
  size_t n = sizeof(c->chunk) - c->dest.free_in_buffer;
  if (!c->out->Write(c->chunk, n)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

int Compress(JpegWriteCtx* c, const CPicture* pic, int quality, const char* comment, JSAMPLE* line) {
  if (setjmp(c->jump)) return 1;
  jpeg_compress_struct* ci = &c->cinfo;
  ci->err = jpeg_std_error(&c->err);
  c->err.error_exit = ErrorExit;
  c->err.output_message = OutputMessage;
  ci->client_data = c;
  jpeg_create_compress(ci);
  c->created = true;
  c->dest.init_destination = InitDest;
  c->dest.empty_output_buffer = EmptyOutput;
  c->dest.term_destination = TermDest;
  ci->dest = &c->dest;
  const bool grey = pic->Bits() == 8;  // the caller passes grey pictures as 8 bits
  ci->image_width = static_cast<JDIMENSION>(pic->Width());
  ci->image_height = static_cast<JDIMENSION>(pic->Height());
  ci->input_components = grey ? 1 : 3;
  ci->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(ci);
  jpeg_set_quality(ci, quality, TRUE);
  jpeg_start_compress(ci, TRUE);
  if (comment && *comment)
    jpeg_write_marker(ci, JPEG_COM, reinterpret_cast<const JOCTET*>(comment),
                      static_cast<unsigned>(std::strlen(comment)));
  const int w = pic->Width();
  while (ci->next_scanline < ci->image_height) {
    const uint8_t* s = pic->Row(static_cast<int>(ci->next_scanline));
    if (grey) {
      for (int x = 0; x < w; ++x) line[x] = static_cast<JSAMPLE>(pic->Palette()[s[x]] & 0xFF);
    } else {
      for (int x = 0; x < w; ++x) {
        uint32_t v = pic->PixelToColor(ImgReadPixel(s, x, pic->Bits()));
        line[3 * x] = static_cast<JSAMPLE>(v >> 16);
        line[3 * x + 1] = static_cast<JSAMPLE>(v >> 8);
        line[3 * x + 2] = static_cast<JSAMPLE>(v);
      }
    }
    JSAMPROW row = line;
    jpeg_write_scanlines(ci, &row, 1);
  }
  jpeg_finish_compress(ci);
  return 0;
}

bool IsGreyPalette(const CPicture& p) {
  if (p.Bits() != 8) return false;
  for (int i = 0; i < 256; ++i) {
    uint32_t e = p.Palette()[i] & 0xFFFFFF;
    uint32_t g = static_cast<uint32_t>(i);
    if (e != (g << 16 | g << 8 | g)) return false;
  }
  return true;
}

}  // namespace

void CJpegWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("JPEG: no picture");
  if (picture.Width() > 65500 || picture.Height() > 65500) throw EGraphicsFormatError("JPEG: picture too large");
  // grey palettes go as grey; other palettes as colour, widened first
  const CPicture* pic = &picture;
  CPicture wide;
  if (picture.Bits() <= 8 && !IsGreyPalette(picture)) {
    if (!wide.ConvertFrom(picture, 24)) throw EGraphicsMemoryError("JPEG: out of memory");
    pic = &wide;
  }
  std::unique_ptr<JpegWriteCtx> c(new JpegWriteCtx);
  std::memset(c.get(), 0, sizeof(*c));
  c->out = &out;
  std::unique_ptr<JSAMPLE[]> line(new JSAMPLE[static_cast<size_t>(pic->Width()) * 3]);
  int q = m_quality < 1 ? 1 : m_quality > 100 ? 100 : m_quality;
  int failed = Compress(c.get(), pic, q, m_comment, line.get());
  if (c->created) jpeg_destroy_compress(&c->cinfo);
  if (failed) throw EGraphicsDataError(c->message);
}

void CJpegWriter::Save(const char* fileName, const CPicture& picture) {
  ImgReplaceFile file;
  file.Open(fileName);
  Encode(picture, file);
  file.Commit();
}
