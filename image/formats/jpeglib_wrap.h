// jpeglib.h with its own "boolean" (an int in the library) kept apart from
// the one of the Windows headers (an unsigned char).
#pragma once

#include <cstddef>
#include <cstdio>

#define boolean orv_jpeg_boolean
extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}
#undef boolean
