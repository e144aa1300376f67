// Method 14 through the LZMA SDK, with the ZIP LZMA header in front.
#include <stdlib.h>
#include <string.h>

#include <lzmasdk/LzmaDec.h>
#include <lzmasdk/LzmaEnc.h>

#include "archive/codec_sdk.h"
#include "archive/zipcodec.h"

namespace {

const char kNoMemory[] = "Zu wenig Speicher";
const char kReadError[] = "Fehler beim Lesen";
const char kReadEncError[] = "Fehler beim Einlesen";
const char kWriteError[] = "Fehler beim Speichern";
const char kParamError[] = "Falscher Parameter";
const char kFormatError[] = "Formatfehler";

const uint32_t kStep = 0x400000;  // output per decoding step

struct SeqIn {
  ISeqInStream vt;
  CZipStream* stream;
  uint64_t* count;
};

struct SeqOut {
  ISeqOutStream vt;
  CZipStream* stream;
  uint64_t* count;
};

SRes ReadCallback(ISeqInStreamPtr p, void* buf, size_t* size) {
  const SeqIn* in = reinterpret_cast<const SeqIn*>(p);
  size_t want = *size > 0x40000000u ? 0x40000000u : *size;
  int r = in->stream->ReadInput(buf, static_cast<int>(want));
  if (r < 0) {
    *size = 0;
    return SZ_ERROR_READ;
  }
  *size = static_cast<size_t>(r);
  *in->count += static_cast<uint32_t>(r);
  return SZ_OK;
}

size_t WriteCallback(ISeqOutStreamPtr p, const void* buf, size_t size) {
  const SeqOut* out = reinterpret_cast<const SeqOut*>(p);
  size_t done = 0;
  while (done < size) {
    size_t chunk = size - done > 0x40000000u ? 0x40000000u : size - done;
    int w = out->stream->WriteOutput(static_cast<const uint8_t*>(buf) + done, static_cast<int>(chunk));
    if (w <= 0) break;
    done += static_cast<size_t>(w);
    *out->count += static_cast<uint32_t>(w);
    if (static_cast<size_t>(w) < chunk) break;
  }
  return done;
}

struct EncoderGuard {
  CLzmaEncHandle enc;
  ~EncoderGuard() {
    if (enc) LzmaEnc_Destroy(enc, &g_zipSdkEncoderAlloc, &g_zipSdkEncoderAlloc);
  }
};

}  // namespace

CZipLzmaCodec::CZipLzmaCodec() : m_dec(nullptr), m_size(-1) {
  memset(m_props, 0, sizeof(m_props));
  m_mode = 6;
}

CZipLzmaCodec::~CZipLzmaCodec() { Reset(); }

void CZipLzmaCodec::Reset() {
  if (m_dec) {
    LzmaDec_Free(static_cast<CLzmaDec*>(m_dec), &g_zipSdkAlloc);
    free(m_dec);
    m_dec = nullptr;
  }
}

int CZipLzmaCodec::SetProperties(const uint8_t* bytes, int count) {
  if (count < 0 || count > 5 || (count > 0 && !bytes)) return 0;
  memset(m_props, 0, sizeof(m_props));
  if (count) memcpy(m_props, bytes, static_cast<size_t>(count));
  return count;
}

uint32_t CZipLzmaCodec::Compress(int level) {
  ClampLevel(level, 0, 9);
  BeginOperation();
  EncoderGuard g{LzmaEnc_Create(&g_zipSdkEncoderAlloc)};
  if (!g.enc) Fail(ZIPC_MEMORY, kNoMemory);
  CLzmaEncProps props;
  LzmaEncProps_Init(&props);
  props.level = m_level;
  props.numThreads = 1;
  if (m_size < 0) m_size = -1;
  props.writeEndMark = m_size < 0 ? 1 : 0;
  if (m_in.kind == kMemory) props.reduceSize = m_in.memSize - m_in.memPos;
  if (LzmaEnc_SetProps(g.enc, &props) != SZ_OK) Fail(ZIPC_PARAM, kParamError);

  uint8_t header[4 + 5 + 8];
  size_t headerLen = 0;
  if (m_mode & 1) {
    header[headerLen++] = 9;
    header[headerLen++] = 20;
    header[headerLen++] = 5;
    header[headerLen++] = 0;
  }
  if (m_mode & 3) {
    SizeT n = 5;
    if (LzmaEnc_WriteProperties(g.enc, header + headerLen, &n) != SZ_OK) Fail(ZIPC_PARAM, kParamError);
    memcpy(m_props, header + headerLen, 5);
    headerLen += 5;
  }
  if (m_mode & 4) {
    uint64_t v = static_cast<uint64_t>(m_size);
    for (int i = 0; i < 8; ++i) header[headerLen++] = static_cast<uint8_t>(v >> (8 * i));
  }
  if (headerLen) {
    int w = WriteOutput(header, static_cast<int>(headerLen));
    if (w != static_cast<int>(headerLen)) Fail(ZIPC_WRITE, kWriteError);
    m_compressed += headerLen;
  }
  SeqIn in = {{ReadCallback}, this, &m_uncompressed};
  SeqOut out = {{WriteCallback}, this, &m_compressed};
  SRes res = LzmaEnc_Encode(g.enc, &out.vt, &in.vt, nullptr, &g_zipSdkEncoderAlloc, &g_zipSdkEncoderAlloc);
  switch (res) {
    case SZ_OK: break;
    case SZ_ERROR_MEM: Fail(ZIPC_MEMORY, kNoMemory);
    case SZ_ERROR_PARAM: Fail(ZIPC_PARAM, kParamError);
    case SZ_ERROR_INPUT_EOF:
    case SZ_ERROR_READ: Fail(ZIPC_READ, kReadEncError);
    case SZ_ERROR_OUTPUT_EOF:
    case SZ_ERROR_WRITE: Fail(ZIPC_WRITE, kWriteError);
    default: Fail(ZIPC_FORMAT, kFormatError);
  }
  WriteEndMark();
  return static_cast<uint32_t>(m_compressed);
}

uint64_t CZipLzmaCodec::Decompress(int mode) {
  if (mode != -2) m_mode = static_cast<uint32_t>(mode);
  BeginOperation();
  Reset();
  CLzmaDec* dec = static_cast<CLzmaDec*>(calloc(1, sizeof(CLzmaDec)));
  if (!dec) Fail(ZIPC_MEMORY, kNoMemory);
  LzmaDec_Construct(dec);
  m_dec = dec;
  // The dictionary can be large: it goes as soon as the entry is done.
  struct Release {
    CZipLzmaCodec* self;
    ~Release() { self->Reset(); }
  } release{this};

  uint8_t head[8];
  auto readExact = [&](uint8_t* p, uint32_t n) {
    if (Read(p, n) != n) Fail(ZIPC_READ, kReadError);
    m_compressed += n;
  };
  if (!PrepareInputBuffer(0x100000)) Fail(ZIPC_MEMORY, kNoMemory);
  uint32_t mode3 = m_mode;
  if (mode3 & 1) {
    readExact(head, 4);
    uint32_t propSize = head[2] | (head[3] << 8);
    if (propSize < 5) Fail(ZIPC_FORMAT, kFormatError);
    readExact(m_props, 5);
    for (uint32_t skip = propSize - 5; skip > 0;) {
      uint8_t junk[256];
      uint32_t n = skip > 256 ? 256 : skip;
      readExact(junk, n);
      skip -= n;
    }
  } else if (mode3 & 2) {
    readExact(m_props, 5);
  }
  int64_t size = m_size;
  if (mode3 & 4) {
    readExact(head, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | head[i];
    size = v == ~0ull ? -1 : static_cast<int64_t>(v);
  }
  if (size < -1) size = -1;

  uint32_t dictSize = m_props[1] | (m_props[2] << 8) | (m_props[3] << 16) | (static_cast<uint32_t>(m_props[4]) << 24);
  if (m_props[0] >= 9 * 5 * 5) Fail(ZIPC_FORMAT, kFormatError);
  // A known size bounds every distance: no dictionary beyond it is needed.
  uint64_t dicBuf = dictSize < 4096 ? 4096 : dictSize;
  if (size >= 0 && static_cast<uint64_t>(size) < dicBuf) dicBuf = size < 4096 ? 4096 : static_cast<uint64_t>(size);
  if (dicBuf > ZIP_CODEC_MAX_DICT) Fail(ZIPC_MEMORY, kNoMemory);
  SRes ares = LzmaDec_AllocateProbs(dec, m_props, 5, &g_zipSdkAlloc);
  if (ares == SZ_ERROR_MEM) Fail(ZIPC_MEMORY, kNoMemory);
  if (ares != SZ_OK) Fail(ZIPC_FORMAT, kFormatError);
  dec->dic = static_cast<Byte*>(g_zipSdkAlloc.Alloc(&g_zipSdkAlloc, static_cast<size_t>(dicBuf)));
  if (!dec->dic) Fail(ZIPC_MEMORY, kNoMemory);
  dec->dicBufSize = static_cast<SizeT>(dicBuf);
  LzmaDec_Init(dec);

  uint64_t left = size >= 0 ? static_cast<uint64_t>(size) : 0;
  for (;;) {
    if (size >= 0 && left == 0) break;
    uint32_t avail = Fill(1024);
    if (avail == 0 && InputFailed()) Fail(ZIPC_READ, kReadError);
    if (dec->dicPos == dec->dicBufSize) dec->dicPos = 0;
    SizeT start = dec->dicPos;
    SizeT limit = dec->dicBufSize - start > kStep ? start + kStep : dec->dicBufSize;
    ELzmaFinishMode finish = LZMA_FINISH_ANY;
    if (size >= 0 && left <= limit - start) {
      limit = start + static_cast<SizeT>(left);
      finish = LZMA_FINISH_END;
    }
    SizeT inLen = avail;
    ELzmaStatus status;
    SRes res = LzmaDec_DecodeToDic(dec, limit, m_in.buf + m_in.bufPos, &inLen, finish, &status);
    m_in.bufPos += static_cast<uint32_t>(inLen);
    m_compressed += inLen;
    SizeT produced = dec->dicPos - start;
    if (produced) {
      EmitOutput(dec->dic + start, static_cast<uint32_t>(produced), kWriteError);
      left -= produced;
    }
    if (res != SZ_OK) Fail(ZIPC_FORMAT, kFormatError);
    if (status == LZMA_STATUS_FINISHED_WITH_MARK) {
      if (size >= 0 && left != 0) Fail(ZIPC_FORMAT, kFormatError);  // ends before its size
      break;
    }
    if (inLen == 0 && produced == 0) {
      if (size >= 0 && left == 0) break;
      // input used up and the stream not at its end: truncated
      Fail(ZIPC_FORMAT, kFormatError);
    }
  }
  WriteEndMark();
  return m_uncompressed;
}
