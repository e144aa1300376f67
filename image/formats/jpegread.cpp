// JPEG decoding from memory.
//
// libjpeg's error_exit must not return; ours longjmps back into the small
// step functions below, which hold no objects with destructors, and the C++
// code around them throws. Running out of data is an error here (libjpeg's
// own sources would pad the image with grey), so truncated tiles fail.
#include <csetjmp>
#include <cstring>
#include <memory>

#include "image/formats/jpegcodec.h"
#include "image/formats/jpeglib_wrap.h"
#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"

namespace {

struct JpegReadCtx {
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 8];
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  jpeg_source_mgr src;
  const uint8_t* data;
  size_t size;
  bool created;
  bool rgb;  // three components are R, G, B whatever their ids say
};

void ErrorExit(j_common_ptr cinfo) {
  JpegReadCtx* c = static_cast<JpegReadCtx*>(cinfo->client_data);
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  std::snprintf(c->message, sizeof(c->message), "JPEG: %s", text);
  longjmp(c->jump, 1);
}

void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
orv_jpeg_boolean FillInput(j_decompress_ptr cinfo) {
  ERREXIT(cinfo, JERR_INPUT_EOF);
  return FALSE;
}
void SkipInput(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  jpeg_source_mgr* s = cinfo->src;
  if (static_cast<size_t>(n) > s->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
  s->next_input_byte += n;
  s->bytes_in_buffer -= static_cast<size_t>(n);
}
void TermSource(j_decompress_ptr) {}

int Start(JpegReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  c->cinfo.err = jpeg_std_error(&c->err);
  c->err.error_exit = ErrorExit;
  c->err.output_message = OutputMessage;
  c->cinfo.client_data = c;
  jpeg_create_decompress(&c->cinfo);
  c->created = true;
  c->src.init_source = InitSource;
  c->src.fill_input_buffer = FillInput;
  c->src.skip_input_data = SkipInput;
  c->src.resync_to_restart = jpeg_resync_to_restart;
  c->src.term_source = TermSource;
  c->src.next_input_byte = c->data;
  c->src.bytes_in_buffer = c->size;
  c->cinfo.src = &c->src;
  jpeg_read_header(&c->cinfo, TRUE);
  if (c->rgb && c->cinfo.num_components == 3) c->cinfo.jpeg_color_space = JCS_RGB;
  switch (c->cinfo.num_components) {
    case 1:
      c->cinfo.out_color_space = JCS_GRAYSCALE;
      break;
    case 3:
#ifdef JCS_EXTENSIONS
      c->cinfo.out_color_space = JCS_EXT_BGR;  // libjpeg-turbo writes the DIB order itself
#else
      c->cinfo.out_color_space = JCS_RGB;
#endif
      break;
    case 4:
      c->cinfo.out_color_space = JCS_CMYK;
      break;
    default:
      ERREXIT(&c->cinfo, JERR_BAD_J_COLORSPACE);
  }
  return 0;
}

int Decompress(JpegReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  jpeg_start_decompress(&c->cinfo);
  return 0;
}

// Reads every scanline into the picture, turning RGB/CMYK into B,G,R. Kept
// out of the function that calls setjmp, which the compiler optimises little.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void ReadAllLines(jpeg_decompress_struct* ci, CPicture* pic, JSAMPLE* line) {
  const int n = ci->output_components;
  const bool adobe = ci->saw_Adobe_marker != 0;
  const JDIMENSION w = ci->output_width;
  while (ci->output_scanline < ci->output_height) {
    JDIMENSION y = ci->output_scanline;
    uint8_t* d = pic->Row(static_cast<int>(y));
    // grey and RGB rows go straight into the picture (RGB is then turned
    // in place: copying from a separate line can stall on 4K aliasing)
    JSAMPROW row = n == 4 ? line : d;
    if (jpeg_read_scanlines(ci, &row, 1) != 1) ERREXIT(ci, JERR_INPUT_EOF);
    if (n == 3 && ci->out_color_space == JCS_RGB) {
      for (JDIMENSION x = 0; x < w; ++x) {
        uint8_t r = d[3 * x];
        d[3 * x] = d[3 * x + 2];
        d[3 * x + 2] = r;
      }
    } else if (n == 4) {
      // Adobe writes CMYK inverted
      for (JDIMENSION x = 0; x < w; ++x) {
        unsigned cc = line[4 * x], m = line[4 * x + 1], yy = line[4 * x + 2], k = line[4 * x + 3];
        if (!adobe) cc = 255 - cc, m = 255 - m, yy = 255 - yy, k = 255 - k;
        d[3 * x] = static_cast<uint8_t>((yy * k + 127) / 255);
        d[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
        d[3 * x + 2] = static_cast<uint8_t>((cc * k + 127) / 255);
      }
    }
  }
}

int ReadLines(JpegReadCtx* c, CPicture* pic, JSAMPLE* line) {
  if (setjmp(c->jump)) return 1;
  ReadAllLines(&c->cinfo, pic, line);
  return 0;
}

int Finish(JpegReadCtx* c) {
  if (setjmp(c->jump)) return 1;
  jpeg_finish_decompress(&c->cinfo);
  return 0;
}

struct JpegReadGuard {
  JpegReadCtx* c;
  ~JpegReadGuard() {
    if (c->created) jpeg_destroy_decompress(&c->cinfo);
  }
};

}  // namespace

bool ImgIsJpeg(const uint8_t* data, size_t size) {
  return data && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

void ImgDecodeJpeg(const uint8_t* data, size_t size, CPicture& out) { ImgDecodeJpeg(data, size, out, false); }

void ImgDecodeJpeg(const uint8_t* data, size_t size, CPicture& out, bool rgbComponents) {
  if (!ImgIsJpeg(data, size)) throw EGraphicsFormatError("not a JPEG file");
  JpegReadCtx* c = new JpegReadCtx;  // large; keep it off the worker's small stack
  std::memset(c, 0, sizeof(*c));
  struct Free {
    JpegReadCtx* c;
    ~Free() { delete c; }
  } freeCtx{c};
  c->data = data;
  c->size = size;
  c->rgb = rgbComponents;
  JpegReadGuard guard{c};
  if (Start(c)) {
    if (!c->created) throw EGraphicsMemoryError("JPEG: out of memory");
    throw EGraphicsDataError(c->message);
  }
  const int64_t w = c->cinfo.image_width, h = c->cinfo.image_height;
  if (w <= 0 || h <= 0) throw EGraphicsDataError("JPEG: empty image");
  if (w > kImgMaxDecodeSide || h > kImgMaxDecodeSide || w * h > kImgMaxDecodePixels)
    throw EGraphicsMemoryError("JPEG: image too large");
  // Every 8 x 8 block of the first component costs bits in the data: at
  // least two in a sequential JPEG (DC and end of block), at least one in a
  // progressive one (its DC scan; AC scans can code long runs of empty
  // blocks). More blocks than that cannot be in the data; checking before
  // jpeg_start_decompress also bounds the coefficient buffer a progressive
  // image allocates there.
  {
    int64_t blocks = ((w + 7) / 8) * ((h + 7) / 8);
    int64_t maxSampling = c->cinfo.max_h_samp_factor * c->cinfo.max_v_samp_factor;
    if (maxSampling < 1) maxSampling = 1;
    int64_t perByte = c->cinfo.progressive_mode ? 8 : 4;
    if (blocks / maxSampling > static_cast<int64_t>(size) * perByte + 64)
      throw EGraphicsDataError("JPEG: image size does not fit the data");
  }
  if (Decompress(c)) throw EGraphicsDataError(c->message);
  const int n = c->cinfo.output_components;
  if (c->cinfo.output_width != static_cast<JDIMENSION>(w) || c->cinfo.output_height != static_cast<JDIMENSION>(h) ||
      (n != 1 && n != 3 && n != 4))
    throw EGraphicsFormatError("JPEG: unsupported layout");
  CPicture pic;
  if (!pic.Create(n == 1 ? 8 : 24, static_cast<int>(w), static_cast<int>(h), 0, 0))
    throw EGraphicsMemoryError("JPEG: out of memory");
  std::unique_ptr<JSAMPLE[]> line(new JSAMPLE[static_cast<size_t>(w) * n]);
  if (ReadLines(c, &pic, line.get())) throw EGraphicsDataError(c->message);
  Finish(c);  // the image is complete; trailing trouble does not spoil it
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}
