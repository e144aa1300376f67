// The numbers that travel between the archive library and its callers:
// open modes, compression methods and the option bits. Result codes and
// notification codes are in ziperror.h.
#pragma once

// Open modes
#define ZIP_OPEN_READ 1
#define ZIP_OPEN_UPDATE 2  // an existing archive is changed (created when missing)
#define ZIP_OPEN_CREATE 3  // a new archive replaces whatever is there

// Compression methods of the ZIP format
#define ZIP_METHOD_STORED 0
#define ZIP_METHOD_DEFLATE 8
#define ZIP_METHOD_DEFLATE64 9
#define ZIP_METHOD_BZIP2 12
#define ZIP_METHOD_LZMA 14
#define ZIP_METHOD_XZ 95
#define ZIP_METHOD_PPMD 98
#define ZIP_METHOD_AES 99  // WinZip AES: the real method is in the extra field

// Options word
#define ZIPOPT_NO_FIND 0x10
#define ZIPOPT_TOLERANT 0x20
#define ZIPOPT_KEEP_EXISTING 0x40
#define ZIPOPT_KEEP_DRIVE 0x80
#define ZIPOPT_AUTO_SORT 0x400
#define ZIPOPT_SORT_MASK 0x700
#define ZIPOPT_WALK_FORM0 0x800
#define ZIPOPT_WALK_FLAG 0x1000
#define ZIPOPT_ONLY_NEWER 0x2000
#define ZIPOPT_METHOD_AUTO 0x4000
#define ZIPOPT_METHOD_STORE 0x8000
