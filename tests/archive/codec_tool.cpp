// Command-line front of the codecs for the tests that use real ZIP tools:
//   codec_tool decode METHOD SIZE IN OUT   (SIZE -1: unknown)
//   codec_tool encode METHOD LEVEL IN OUT
// Prints "crc=XXXXXXXX in=N out=N" on success; on failure the category and
// message on stderr and exit code 2.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "archive/zipcodec.h"
#include "files/fileio.h"

static CZipCodec* MakeCodec(int method, int64_t size) {
  switch (method) {
    case 0:
    case 8:
    case 9: {
      CZipDeflateCodec* c = new CZipDeflateCodec;
      c->SetMode(static_cast<uint32_t>(method));
      return c;
    }
    case 12: return new CZipBzip2Codec;
    case 14: {
      CZipLzmaCodec* c = new CZipLzmaCodec;
      c->SetMode(3);
      c->SetUncompressedSize(size);
      return c;
    }
    case 95: return new CZipXzCodec;
    case 98: {
      CZipPpmdCodec* c = new CZipPpmdCodec;
      c->SetMode(1);
      c->SetUncompressedSize(size);
      return c;
    }
    default: return nullptr;
  }
}

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: codec_tool decode|encode METHOD SIZE|LEVEL IN OUT\n");
    return 1;
  }
  bool decode = strcmp(argv[1], "decode") == 0;
  int method = atoi(argv[2]);
  long long arg = atoll(argv[3]);
  std::unique_ptr<CZipCodec> codec(MakeCodec(method, decode ? arg : -1));
  if (!codec) {
    fprintf(stderr, "unknown method %d\n", method);
    return 1;
  }
  FioHandle in = FioOpen(argv[4], FIO_READ | FIO_SHARE_READ);
  FioHandle out = FioOpen(argv[5], FIO_WRITE | FIO_CREATE);
  if (in == FIO_INVALID || out == FIO_INVALID) {
    fprintf(stderr, "cannot open files\n");
    return 1;
  }
  int rc = 0;
  try {
    if (decode) {
      codec->SetInputHandle(in, -1, ZIP_NO_CRC);
      codec->SetOutputHandle(out, -1, 0);
      if (arg >= 0) codec->SetOutputCap(arg);
      codec->Decompress(-2);
      printf("crc=%08X in=%llu out=%llu\n", codec->OutputCrc(), (unsigned long long)codec->CompressedCount(),
             (unsigned long long)codec->UncompressedCount());
    } else {
      codec->SetInputHandle(in, -1, 0);
      codec->SetOutputHandle(out, -1, ZIP_NO_CRC);
      codec->Compress(static_cast<int>(arg));
      printf("crc=%08X in=%llu out=%llu\n", codec->InputCrc(), (unsigned long long)codec->UncompressedCount(),
             (unsigned long long)codec->CompressedCount());
    }
  } catch (const ZipCodecError& e) {
    fprintf(stderr, "category %u: %s\n", e.category, e.text);
    rc = 2;
  }
  FioClose(in);
  FioClose(out);
  return rc;
}
