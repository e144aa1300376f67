// One decoder per target (FUZZ_METHOD): the first two bytes are the
// declared uncompressed size (0xFFFF: unknown), the rest the method data.
#include <stddef.h>
#include <stdint.h>

#include <memory>

#include "archive/zipcodec.h"

namespace {

int Discard(void*, void*, int n) { return n; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > (1u << 20)) return 0;
  int64_t declared = data[0] | (data[1] << 8);
  if (declared == 0xFFFF) declared = -1;
  std::unique_ptr<CZipCodec> codec;
  switch (FUZZ_METHOD) {
    case 8:
    case 9: {
      CZipDeflateCodec* c = new CZipDeflateCodec;
      c->SetMode(FUZZ_METHOD);
      codec.reset(c);
      break;
    }
    case 12: codec.reset(new CZipBzip2Codec); break;
    case 14: {
      CZipLzmaCodec* c = new CZipLzmaCodec;
      c->SetMode(3);
      c->SetUncompressedSize(declared);
      codec.reset(c);
      break;
    }
    case 95: codec.reset(new CZipXzCodec); break;
    default: {
      CZipPpmdCodec* c = new CZipPpmdCodec;
      c->SetMode(1);
      c->SetUncompressedSize(declared);
      codec.reset(c);
      break;
    }
  }
  codec->SetInputMemory(static_cast<uint32_t>(size - 2), data + 2, ZIP_NO_CRC, nullptr);
  codec->SetOutputCallback(nullptr, Discard, 0);
  codec->SetOutputCap(declared >= 0 ? declared : (4 << 20));
  try {
    uint64_t n = codec->Decompress(-2);
    if (declared >= 0 && n > static_cast<uint64_t>(declared)) __builtin_trap();
  } catch (const ZipCodecError& e) {
    if (!e.text || e.category == 0) __builtin_trap();
  }
  return 0;
}
