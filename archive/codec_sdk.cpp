#include "archive/codec_sdk.h"

#include <stdlib.h>

#include <mutex>

#include <lzmasdk/7zCrc.h>
#include <lzmasdk/XzCrc64.h>

static void* SdkAlloc(ISzAllocPtr, size_t size) {
  if (size > ZIP_CODEC_MAX_DICT + 0x1000000u) return nullptr;
  return malloc(size);
}

static void SdkFree(ISzAllocPtr, void* address) { free(address); }

static void* EncoderAlloc(ISzAllocPtr, size_t size) { return size ? malloc(size) : nullptr; }

ISzAlloc g_zipSdkAlloc = {SdkAlloc, SdkFree};
ISzAlloc g_zipSdkEncoderAlloc = {EncoderAlloc, SdkFree};

void ZipSdkInitCrc() {
  static std::once_flag once;
  std::call_once(once, [] {
    CrcGenerateTable();
    Crc64GenerateTable();
  });
}
