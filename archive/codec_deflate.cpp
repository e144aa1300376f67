// Methods 0 to 9: stored copy, raw deflate through zlib, deflate64 through
// our own decoder.
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "archive/codec_inflate64.h"
#include "archive/zipcodec.h"

namespace {

const char kNoMemory[] = "Zu wenig Speicher";
const char kReadError[] = "Fehler beim Lesen";
const char kWriteError[] = "Fehler beim Schreiben in die Datei";
const char kOverflow[] = "Fehler Speicherüberlauf des Ausgabepuffers";
const char kInitError[] = "Initialisierungsfehler";
const char kBadMode[] = "Falscher Modus beim Entkomprimieren !";
const char kCompressError[] = "Fehler beim Komprimieren";
const char kDataError[] = "Ungültiges Datenformat";
const char kInputEnded[] = "Ende der Eingabe erreicht";
const char kRead64Error[] = "Fehler beim Lesen aus Datei !";
const char kWrite64Error[] = "Fehler beim Schreiben in Datei !";
const char kData64Error[] = "Ungüldige Huffmann-Tabelle !";

struct DeflateGuard {
  z_stream zs;
  bool deflating = false, inflating = false;
  uint8_t* inBuf = nullptr;
  DeflateGuard() { memset(&zs, 0, sizeof(zs)); }
  ~DeflateGuard() {
    if (deflating) deflateEnd(&zs);
    if (inflating) inflateEnd(&zs);
    free(inBuf);
  }
};

}  // namespace

void CZipDeflateCodec::Reset() { ResetCounters(2); }

uint32_t CZipDeflateCodec::Compress(int level) {
  ClampLevel(level, 0, 9);
  BeginOperation();
  if (m_level == 0) return static_cast<uint32_t>(CopyStored());
  return Deflate();
}

uint64_t CZipDeflateCodec::Decompress(int mode) {
  if (mode != -2) m_mode = static_cast<uint32_t>(mode);
  BeginOperation();
  switch (m_mode) {
    case 0: return CopyStored();
    case 8: return Inflate();
    case 9: return Inflate64();
    default: Fail(ZIPC_INIT, kBadMode);
  }
}

uint32_t CZipDeflateCodec::Deflate() {
  DeflateGuard g;
  if (deflateInit2(&g.zs, m_level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) Fail(ZIPC_INIT, kInitError);
  g.deflating = true;
  uint8_t* out = GetCopyBuffer();
  if (!out) Fail(ZIPC_MEMORY, kNoMemory);
  int flush = Z_NO_FLUSH;
  if (m_in.kind == kMemory) {
    uint32_t n;
    g.zs.next_in = const_cast<Bytef*>(TakeMemoryInput(&n));
    g.zs.avail_in = n;
    m_uncompressed = n;
    flush = Z_FINISH;
  } else {
    g.inBuf = static_cast<uint8_t*>(malloc(ZIP_COPY_CHUNK));
    if (!g.inBuf) Fail(ZIPC_MEMORY, kNoMemory);
  }
  for (;;) {
    if (g.zs.avail_in == 0 && flush != Z_FINISH) {
      int r = ReadInput(g.inBuf, ZIP_COPY_CHUNK);
      if (r < 0) Fail(ZIPC_READ, kReadError);
      if (r == 0) flush = Z_FINISH;
      g.zs.next_in = g.inBuf;
      g.zs.avail_in = static_cast<uInt>(r);
      m_uncompressed += static_cast<uint32_t>(r);
    }
    g.zs.next_out = out;
    g.zs.avail_out = ZIP_COPY_CHUNK;
    int ret = deflate(&g.zs, flush);
    if (ret == Z_STREAM_ERROR) Fail(ZIPC_FORMAT, kCompressError);
    uint32_t produced = ZIP_COPY_CHUNK - g.zs.avail_out;
    if (produced) {
      int w = WriteOutput(out, static_cast<int>(produced));
      if (w > 0) m_compressed += static_cast<uint32_t>(w);
      if (w != static_cast<int>(produced)) {
        if (m_out.kind == kMemory && w >= 0) Fail(ZIPC_DATA, kOverflow);
        Fail(ZIPC_WRITE, kWriteError);
      }
    }
    if (ret == Z_STREAM_END) break;
  }
  if (m_compressed > m_uncompressed) m_status |= ZIPC_STATUS_GREW;
  WriteEndMark();
  return static_cast<uint32_t>(m_compressed);
}

uint64_t CZipDeflateCodec::Inflate() {
  DeflateGuard g;
  if (inflateInit2(&g.zs, -15) != Z_OK) Fail(ZIPC_INIT, kInitError);
  g.inflating = true;
  uint8_t* out = GetCopyBuffer();
  if (!out) Fail(ZIPC_MEMORY, kNoMemory);
  bool ended = false;
  if (m_in.kind == kMemory) {
    uint32_t n;
    g.zs.next_in = const_cast<Bytef*>(TakeMemoryInput(&n));
    g.zs.avail_in = n;
    ended = true;
  } else {
    g.inBuf = static_cast<uint8_t*>(malloc(ZIP_COPY_CHUNK));
    if (!g.inBuf) Fail(ZIPC_MEMORY, kNoMemory);
  }
  for (;;) {
    if (g.zs.avail_in == 0 && !ended) {
      int r = ReadInput(g.inBuf, ZIP_COPY_CHUNK);
      if (r < 0) Fail(ZIPC_READ, kReadError);
      if (r == 0) ended = true;
      g.zs.next_in = g.inBuf;
      g.zs.avail_in = static_cast<uInt>(r);
    }
    g.zs.next_out = out;
    g.zs.avail_out = ZIP_COPY_CHUNK;
    int ret = inflate(&g.zs, Z_SYNC_FLUSH);
    uint32_t produced = ZIP_COPY_CHUNK - g.zs.avail_out;
    if (produced) EmitOutput(out, produced, kWriteError);
    if (ret == Z_STREAM_END) break;
    if (ret == Z_MEM_ERROR) Fail(ZIPC_MEMORY, kNoMemory);
    if (ret == Z_DATA_ERROR || ret == Z_NEED_DICT || ret == Z_STREAM_ERROR) Fail(ZIPC_FORMAT, kDataError);
    // the whole input is in and zlib can make no further progress
    if (ended && g.zs.avail_in == 0 && produced == 0) Fail(ZIPC_INPUT_END, kInputEnded);
  }
  m_compressed = g.zs.total_in;
  WriteEndMark();
  return m_uncompressed;
}

uint64_t CZipDeflateCodec::Inflate64() {
  ZipInflater inflater(true);
  uint8_t* buf = GetCopyBuffer();
  if (!buf) Fail(ZIPC_MEMORY, kNoMemory);
  struct Ctx {
    CZipDeflateCodec* self;
    uint8_t* buf;
    bool memoryDone;
    bool readFailed;
    bool writeFailed;
    uint32_t category;
    const char* text;
  } ctx = {this, buf, false, false, false, 0, nullptr};
  auto input = [](void* c, const uint8_t** data) -> int {
    Ctx& x = *static_cast<Ctx*>(c);
    if (x.self->m_in.kind == kMemory) {
      if (x.memoryDone) return 0;
      x.memoryDone = true;
      uint32_t n;
      *data = x.self->TakeMemoryInput(&n);
      return n > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(n);
    }
    int r = x.self->ReadInput(x.buf, ZIP_COPY_CHUNK);
    if (r < 0) x.readFailed = true;
    *data = x.buf;
    return r;
  };
  auto output = [](void* c, const uint8_t* data, uint32_t length) -> bool {
    Ctx& x = *static_cast<Ctx*>(c);
    try {
      x.self->EmitOutput(data, length, kWrite64Error);
    } catch (const ZipCodecError& e) {
      x.writeFailed = true;
      x.category = e.category;
      x.text = e.text;
      return false;
    }
    return true;
  };
  ZipInflater::Result r = inflater.Run(input, &ctx, output, &ctx);
  m_compressed = inflater.Consumed();
  switch (r) {
    case ZipInflater::kDone: break;
    case ZipInflater::kReadError: Fail(ZIPC_READ, kRead64Error);
    case ZipInflater::kWriteError: Fail(ctx.category ? ctx.category : ZIPC_WRITE, ctx.text ? ctx.text : kWrite64Error);
    case ZipInflater::kNoMemory: Fail(ZIPC_MEMORY, kNoMemory);
    case ZipInflater::kTruncated: Fail(ZIPC_INPUT_END, kInputEnded);
    default: Fail(ZIPC_FORMAT, kData64Error);
  }
  WriteEndMark();
  return m_uncompressed;
}
