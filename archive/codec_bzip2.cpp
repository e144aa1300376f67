// Method 12 through libbz2.
#include <bzlib.h>
#include <stdlib.h>
#include <string.h>

#include "archive/zipcodec.h"

namespace {

const char kNoMemory[] = "Zu wenig Speicher";
const char kReadError[] = "Fehler beim Lesen";
const char kWriteError[] = "Fehler beim Schreiben in die Datei";
const char kOverflow[] = "Fehler Speicherüberlauf des Ausgabepuffers";
const char kInitError[] = "Fehler bei Initialisierung";
const char kBadMode[] = "Falscher Modus beim Entkomprimieren !";
const char kCompressError[] = "Fehler beim Komprmieren";
const char kFormatError[] = "Ungültiges BZIP Format";

const uint32_t kInputBufferSize = 8196;

// Ends the library's stream on every way out.
struct BzEnd {
  bz_stream* bz;
  bool compressing;
  ~BzEnd() {
    if (!bz) return;
    if (compressing)
      BZ2_bzCompressEnd(bz);
    else
      BZ2_bzDecompressEnd(bz);
  }
};

}  // namespace

CZipBzip2Codec::CZipBzip2Codec() : m_bz(nullptr), m_inBuf(nullptr) {}

CZipBzip2Codec::~CZipBzip2Codec() {
  free(m_bz);
  free(m_inBuf);
}

void CZipBzip2Codec::Reset() {
  free(m_bz);
  m_bz = nullptr;
  free(m_inBuf);
  m_inBuf = nullptr;
  ResetCounters(2);
}

uint32_t CZipBzip2Codec::Compress(int level) {
  ClampLevel(level, 0, 9);
  BeginOperation();
  if (!m_bz) m_bz = calloc(1, sizeof(bz_stream));
  if (!m_inBuf) m_inBuf = static_cast<uint8_t*>(malloc(kInputBufferSize));
  uint8_t* out = GetCopyBuffer();
  if (!m_bz || !m_inBuf || !out) Fail(ZIPC_MEMORY, kNoMemory);
  bz_stream* bz = static_cast<bz_stream*>(m_bz);
  memset(bz, 0, sizeof(*bz));
  if (BZ2_bzCompressInit(bz, m_level, 0, 0) != BZ_OK) Fail(ZIPC_FORMAT, kInitError);
  BzEnd end{bz, true};
  int action = BZ_RUN;
  for (;;) {
    if (bz->avail_in == 0 && action == BZ_RUN) {
      int r = ReadInput(m_inBuf, static_cast<int>(kInputBufferSize));
      if (r < 0) Fail(ZIPC_READ, kReadError);
      if (r == 0) action = BZ_FINISH;
      bz->next_in = reinterpret_cast<char*>(m_inBuf);
      bz->avail_in = static_cast<unsigned>(r);
      m_uncompressed += static_cast<uint32_t>(r);
    }
    bz->next_out = reinterpret_cast<char*>(out);
    bz->avail_out = ZIP_COPY_CHUNK;
    int ret = BZ2_bzCompress(bz, action);
    if (ret < 0) Fail(ZIPC_FORMAT, kCompressError);
    uint32_t produced = ZIP_COPY_CHUNK - bz->avail_out;
    if (produced) {
      int w = WriteOutput(out, static_cast<int>(produced));
      if (w > 0) m_compressed += static_cast<uint32_t>(w);
      if (w != static_cast<int>(produced)) {
        if (m_out.kind == kMemory && w >= 0) Fail(ZIPC_DATA, kOverflow);
        Fail(ZIPC_WRITE, kWriteError);
      }
    }
    if (ret == BZ_STREAM_END) break;
  }
  WriteEndMark();
  return static_cast<uint32_t>(m_compressed);
}

uint64_t CZipBzip2Codec::Decompress(int mode) {
  if (mode != -2) m_mode = static_cast<uint32_t>(mode);
  BeginOperation();
  if (m_mode == 0) return CopyStored();
  if (m_mode != 8) Fail(ZIPC_INIT, kBadMode);
  if (!m_bz) m_bz = calloc(1, sizeof(bz_stream));
  if (!m_inBuf) m_inBuf = static_cast<uint8_t*>(malloc(kInputBufferSize));
  uint8_t* out = GetCopyBuffer();
  if (!m_bz || !m_inBuf || !out) Fail(ZIPC_MEMORY, kNoMemory);
  bz_stream* bz = static_cast<bz_stream*>(m_bz);
  memset(bz, 0, sizeof(*bz));
  if (BZ2_bzDecompressInit(bz, 0, 0) != BZ_OK) Fail(ZIPC_FORMAT, kInitError);
  BzEnd end{bz, false};
  bool ended = false;
  for (;;) {
    if (bz->avail_in == 0 && !ended) {
      int r = ReadInput(m_inBuf, static_cast<int>(kInputBufferSize));
      if (r < 0) Fail(ZIPC_READ, kReadError);
      if (r == 0) ended = true;
      bz->next_in = reinterpret_cast<char*>(m_inBuf);
      bz->avail_in = static_cast<unsigned>(r);
      m_compressed += static_cast<uint32_t>(r);
    }
    bz->next_out = reinterpret_cast<char*>(out);
    bz->avail_out = ZIP_COPY_CHUNK;
    int ret = BZ2_bzDecompress(bz);
    uint32_t produced = ZIP_COPY_CHUNK - bz->avail_out;
    if (produced) EmitOutput(out, produced, kWriteError);
    if (ret == BZ_STREAM_END) break;
    if (ret == BZ_MEM_ERROR) Fail(ZIPC_MEMORY, kNoMemory);
    if (ret != BZ_OK) Fail(ZIPC_FORMAT, kFormatError);
    // input exhausted before the end of the stream
    if (ended && bz->avail_in == 0 && produced == 0) Fail(ZIPC_FORMAT, kFormatError);
  }
  m_compressed -= bz->avail_in;  // bytes behind the stream's end
  WriteEndMark();
  return m_uncompressed;
}
