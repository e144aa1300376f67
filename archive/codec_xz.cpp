// Method 95: an XZ stream through the LZMA SDK.
#include <stdlib.h>
#include <string.h>

#include <lzmasdk/Xz.h>
#include <lzmasdk/XzEnc.h>

#include "archive/codec_sdk.h"
#include "archive/zipcodec.h"

namespace {

const uint32_t kInputSize = 0x8000;
const uint32_t kOutputSize = 0x200000;
const SRes kNoProgress = 11;

struct XzIn {
  ISeqInStream vt;
  CZipStream* stream;
  bool any;
};

struct XzOut {
  ISeqOutStream vt;
  CZipStream* stream;
};

struct XzProgress {
  ICompressProgress vt;
  uint64_t* in;
  uint64_t* out;
};

SRes XzRead(ISeqInStreamPtr p, void* buf, size_t* size) {
  XzIn* x = const_cast<XzIn*>(reinterpret_cast<const XzIn*>(p));
  size_t want = *size > 0x40000000u ? 0x40000000u : *size;
  int r = x->stream->ReadInput(buf, static_cast<int>(want));
  if (r < 0) {
    *size = 0;
    return x->any ? SZ_ERROR_INPUT_EOF : SZ_ERROR_READ;
  }
  if (r > 0) x->any = true;
  *size = static_cast<size_t>(r);
  return SZ_OK;
}

size_t XzWrite(ISeqOutStreamPtr p, const void* buf, size_t size) {
  const XzOut* x = reinterpret_cast<const XzOut*>(p);
  size_t done = 0;
  while (done < size) {
    size_t chunk = size - done > 0x40000000u ? 0x40000000u : size - done;
    int w = x->stream->WriteOutput(static_cast<const uint8_t*>(buf) + done, static_cast<int>(chunk));
    if (w != static_cast<int>(chunk)) return 0;
    done += chunk;
  }
  return size;
}

SRes XzProgressFn(ICompressProgressPtr p, UInt64 inSize, UInt64 outSize) {
  const XzProgress* x = reinterpret_cast<const XzProgress*>(p);
  if (inSize != ~static_cast<UInt64>(0)) *x->in = inSize;
  if (outSize != ~static_cast<UInt64>(0)) *x->out = outSize;
  return SZ_OK;
}

struct Unpacker {
  CXzUnpacker u;
  bool live = false;
  uint8_t* in = nullptr;
  uint8_t* out = nullptr;
  ~Unpacker() {
    if (live) XzUnpacker_Free(&u);
    free(in);
    free(out);
  }
};

}  // namespace

CZipXzCodec::CZipXzCodec() { ResetCounters(1); }

CZipXzCodec::~CZipXzCodec() {}

void CZipXzCodec::Reset() { ResetCounters(2); }

uint32_t CZipXzCodec::Compress(int level) {
  ClampLevel(level, 0, 9);
  BeginOperation();
  ZipSdkInitCrc();
  CXzProps props;
  XzProps_Init(&props);
  props.lzma2Props.lzmaProps.numThreads = 1;
  props.lzma2Props.numBlockThreads_Reduced = 1;
  props.lzma2Props.numBlockThreads_Max = 1;
  props.lzma2Props.numTotalThreads = 1;
  props.numBlockThreads_Reduced = 1;
  props.numBlockThreads_Max = 1;
  props.numTotalThreads = 1;
  XzIn in = {{XzRead}, this, false};
  XzOut out = {{XzWrite}, this};
  XzProgress progress = {{XzProgressFn}, &m_uncompressed, &m_compressed};
  SRes res = Xz_Encode(&out.vt, &in.vt, &props, &progress.vt);
  if (res != SZ_OK) FailSdk(res);
  m_uncompressed = m_in.total;
  m_compressed = m_out.total;
  WriteEndMark();
  return static_cast<uint32_t>(m_compressed);
}

uint64_t CZipXzCodec::Decompress(int mode) {
  if (mode != -2) m_mode = static_cast<uint32_t>(mode);
  BeginOperation();
  ZipSdkInitCrc();
  Unpacker k;
  k.in = static_cast<uint8_t*>(malloc(kInputSize));
  k.out = static_cast<uint8_t*>(malloc(kOutputSize));
  if (!k.in || !k.out) FailSdk(SZ_ERROR_MEM);
  XzUnpacker_Construct(&k.u, &g_zipSdkAlloc);
  k.live = true;
  uint32_t inPos = 0, inLen = 0;
  bool eof = false;
  bool readError = false;
  int idle = 0;
  SRes result = SZ_OK;
  // A stalled decoder is an error, unless what is left looks like the
  // zero padding some writers put behind the stream (5 to 63 bytes).
  auto stalled = [&]() -> SRes {
    uint32_t left = inLen - inPos;
    if (left >= 5 && left <= 63 && k.in[inPos] == 0) return SZ_OK;
    return kNoProgress;
  };
  for (;;) {
    if (inPos == inLen && !eof) {
      inPos = inLen = 0;
      while (inLen < kInputSize / 2) {
        int r = ReadInput(k.in + inLen, static_cast<int>(kInputSize - inLen));
        if (r < 0) readError = true;
        if (r <= 0) {
          eof = true;
          break;
        }
        inLen += static_cast<uint32_t>(r);
      }
    }
    SizeT srcLen = inLen - inPos;
    SizeT destLen = kOutputSize;
    ECoderStatus status;
    SRes res = XzUnpacker_Code(&k.u, k.out, &destLen, k.in + inPos, &srcLen, eof,
                               srcLen == 0 ? CODER_FINISH_END : CODER_FINISH_ANY, &status);
    inPos += static_cast<uint32_t>(srcLen);
    m_compressed += srcLen;
    if (destLen) EmitOutput(k.out, static_cast<uint32_t>(destLen), "Schreibfehler");
    if (res != SZ_OK) {
      result = res;
      break;
    }
    if (srcLen == 0 && destLen == 0) {
      if (readError) {
        result = SZ_ERROR_READ;
        break;
      }
      if (status == CODER_STATUS_NOT_FINISHED) {
        if (++idle > 16) {
          result = stalled();
          break;
        }
        continue;
      }
      if (status == CODER_STATUS_NEEDS_MORE_INPUT) {
        if (inPos < inLen || !eof) {
          if (++idle > 16) {
            result = stalled();
            break;
          }
          continue;
        }
        // 5 to 63 zero bytes behind a finished stream are padding some
        // writers leave, not damage (the format wants a multiple of 4)
        bool padded = k.u.state == XZ_STATE_STREAM_PADDING && k.u.padSize >= 5 && k.u.padSize <= 63;
        if (!XzUnpacker_IsStreamWasFinished(&k.u) && !padded) result = SZ_ERROR_DATA;
        break;
      }
      if (status == CODER_STATUS_FINISHED_WITH_MARK) break;
      result = kNoProgress;
      break;
    }
    idle = 0;
  }
  if (result != SZ_OK) FailSdk(result);
  WriteEndMark();
  return m_uncompressed;
}

void CZipXzCodec::FailSdk(int res) {
  switch (res) {
    case SZ_ERROR_DATA: Fail(ZIPC_DATA, "Datenfehler");
    case SZ_ERROR_MEM: Fail(ZIPC_MEMORY, "Zuwenig Speicher");
    case SZ_ERROR_CRC: Fail(ZIPC_FORMAT, "Flasche CRC-Summe");
    case SZ_ERROR_UNSUPPORTED: Fail(ZIPC_DATA, "Funktion wird nicht unterstützt");
    case SZ_ERROR_PARAM: Fail(ZIPC_DATA, "Falscher Parameter");
    case SZ_ERROR_INPUT_EOF: Fail(ZIPC_INPUT_END, "Ende der Eingabe erreicht");
    case SZ_ERROR_OUTPUT_EOF: Fail(ZIPC_WRITE, "Ende der Ausgabe erreicht");
    case SZ_ERROR_READ: Fail(ZIPC_READ, "Lesefehler");
    case SZ_ERROR_WRITE: Fail(ZIPC_WRITE, "Schreibfehler");
    case SZ_ERROR_NO_ARCHIVE: Fail(ZIPC_FORMAT, "Falsches Archivformat");
    default: Fail(ZIPC_FORMAT, "Unbekannter XZ Fehler");
  }
}
