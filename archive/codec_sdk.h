// Glue shared by the codecs that run on the LZMA SDK.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <lzmasdk/7zTypes.h>

// Largest dictionary or model a stream may ask for; a bigger request fails
// as out of memory instead of taking the whole address space.
#define ZIP_CODEC_MAX_DICT 0x10000000u

// malloc/free for the SDK; refuses blocks above ZIP_CODEC_MAX_DICT plus
// room for the coder's own tables.
extern ISzAlloc g_zipSdkAlloc;
// Plain malloc/free for the encoders, whose sizes we choose ourselves.
extern ISzAlloc g_zipSdkEncoderAlloc;

// Builds the SDK's CRC tables once per process.
void ZipSdkInitCrc();
