// Result codes of the archive library, their German texts and the
// notification codes that the archive passes to its callback.
#pragma once
#include <stdint.h>

typedef int32_t ZipErrorCode;

enum : ZipErrorCode {
  ZIPERR_BAD_INDEX = -1,      // bad index, wrong mode or closed archive
  ZIPERR_OK = 0,
  ZIPERR_EOF = 2,             // unexpected end of file
  ZIPERR_FORMAT = 3,          // not a valid archive
  ZIPERR_MEMORY = 4,
  ZIPERR_INTERNAL = 5,
  ZIPERR_READ = 11,
  ZIPERR_NOT_FOUND = 12,      // memory block or resource not found
  ZIPERR_NO_NAME = 13,
  ZIPERR_WRITE = 14,          // write failure, or a change in read mode
  ZIPERR_CREATE = 15,         // archive cannot be created
  ZIPERR_OPEN = 18,           // archive cannot be opened
  ZIPERR_MULTIDISK = 19,
  ZIPERR_PATH = 20,           // path too long (or unsafe)
  ZIPERR_CRC_TEST = 21,       // CRC mismatch in a test
  ZIPERR_DECOMPRESS = 22,     // decompression failed or CRC mismatch
  ZIPERR_ABORT = 23,          // the callback said stop
  ZIPERR_SOURCE_OPEN = 24,
  ZIPERR_TARGET_CREATE = 25,
  ZIPERR_TARGET_WRITE = 26,
  ZIPERR_SOURCE_READ = 27,
  ZIPERR_SKIPPED = 28,
  ZIPERR_UNSUPPORTED = 29,    // function or method not supported
  ZIPERR_VERSION = 30,
  ZIPERR_COMPRESS = 31,       // compressed data grew, source not re-readable
  ZIPERR_PASSWORD = 32,
  ZIPERR_NOT_OPEN = 33,
  ZIPERR_MODE = 34,
  ZIPERR_EXISTS = 35,
  ZIPERR_OLDER = 36,
  ZIPERR_NO_SPACE = 37,
};

// Notification codes (bit k of the enabled mask enables code k).
enum : int32_t {
  ZIPN_OPEN = 0,
  ZIPN_FOUND = 1,
  ZIPN_REMOVE = 2,
  ZIPN_DELETE = 3,
  ZIPN_CLOSE = 4,
  ZIPN_CREATE = 5,
  ZIPN_APPEND = 6,
  ZIPN_COMPRESS = 7,
  ZIPN_READ = 8,
  ZIPN_WRITEBACK = 9,
  ZIPN_ERROR = 10,
  ZIPN_EXTRACTED = 11,
  ZIPN_TEST = 12,
  ZIPN_SORT = 13,
  ZIPN_COMPRESSED = 14,
  ZIPN_SKIP = 15,
  ZIPN_EXTRACTING = 16,
  ZIPN_PASSWORD = 17,
  ZIPN_COUNT = 18,
};

// The code's text (beginning with a line feed); *appendName tells whether
// the current entry name follows it. Codes 0 and 23 give their whole text.
const char* ZipErrorMessage(ZipErrorCode code, int* appendName);

// Prefix and suffix of a notification's text; lengths as strlen (the suffix
// length counting the terminator, as callbacks that split the text expect).
const char* ZipNotifyPrefix(int32_t code, uint32_t* length);
const char* ZipNotifySuffix(int32_t code, uint32_t* length);
