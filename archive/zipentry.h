// One entry of a ZIP directory, the records' field layout, the extra
// fields, and name and time conversion.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define ZIP_SIG_LOCAL 0x04034B50u
#define ZIP_SIG_CENTRAL 0x02014B50u
#define ZIP_SIG_DESCRIPTOR 0x08074B50u
#define ZIP_SIG_END 0x06054B50u
#define ZIP_SIG_END64 0x06064B50u
#define ZIP_SIG_LOCATOR64 0x07064B50u

#define ZIP_LOCAL_SIZE 30
#define ZIP_CENTRAL_SIZE 46
#define ZIP_END_SIZE 22
#define ZIP_END64_SIZE 56
#define ZIP_LOCATOR64_SIZE 20

#define ZIP_FLAG_ENCRYPTED 0x0001
#define ZIP_FLAG_DESCRIPTOR 0x0008
#define ZIP_FLAG_STRONG 0x0040
#define ZIP_FLAG_UTF8 0x0800
#define ZIP_FLAG_MASKED_HEADER 0x2000

#define ZIP_VERSION_MADE_BY 0x0B17

struct ZipEntry {
  uint8_t* localExtra;
  uint8_t* centralExtra;
  uint32_t userData;
  char* comment;
  char* name;        // "/" separators, no trailing "/"
  char* sourcePath;  // pending entry from a disk file (behind the name)
  // Name and comment bytes as read from an archive: written back unchanged,
  // since decoding to 8-bit text may lose characters.
  uint8_t* rawName;
  uint8_t* rawComment;
  uint16_t rawNameLength, rawCommentLength;
  uint64_t compressedSize;
  uint64_t uncompressedSize;
  uint64_t offset;
  int32_t modified, created, accessed;
  uint16_t versionNeeded, versionMadeBy, method, nameLength, commentLength;
  uint16_t centralExtraLength, flags, localExtraLength, diskStart, internalAttributes;
  uint32_t externalAttributes;
  uint32_t crc;
  uint32_t dosTime;
  uint8_t hostIsDos, mark, deleted, pending, valid, bad;
  uint8_t aesInfo;    // bits 0-1 strength, bits 2-3 AE version
  uint8_t aesMethod;  // actual method under method 99
  uint8_t zip64Local; // the local header reserves a ZIP64 field for the sizes
  uint16_t localNameLength;  // bytes of the name in the local header
  ZipEntry* replaces; // pending entry: the entry it replaces once written
};

void ZipFreeEntry(ZipEntry* e);

// Little-endian field access.
inline uint16_t ZipGet16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
inline uint32_t ZipGet32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
inline uint64_t ZipGet64(const uint8_t* p) {
  return ZipGet32(p) | (uint64_t)ZipGet32(p + 4) << 32;
}
inline void ZipPut16(uint8_t* p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
}
inline void ZipPut32(uint8_t* p, uint32_t v) {
  ZipPut16(p, v);
  ZipPut16(p + 2, v >> 16);
}
inline void ZipPut64(uint8_t* p, uint64_t v) {
  ZipPut32(p, (uint32_t)v);
  ZipPut32(p + 4, (uint32_t)(v >> 32));
}
// A 64-bit value in a 32-bit header field.
inline uint32_t ZipField32(uint64_t v) { return v >= 0xFFFFFFFFull ? 0xFFFFFFFFu : (uint32_t)v; }

// Walks central or local extra data into the entry; raw32 are the 32-bit
// header values of uncompressed size, compressed size and offset (a ZIP64
// field replaces only those that are exactly 0xFFFFFFFF).
void ZipParseExtraFields(ZipEntry* e, const uint8_t* data, size_t length, const uint32_t raw32[3]);
// Builds the central and local extra fields for writing (returns 0, or -1
// when out of memory).
int ZipBuildExtraFields(ZipEntry* e);

// Names and comments. Encode: 8-bit (Windows-1252) text to the archive form
// (code page 850, or UTF-8 with *flags bit 11). Returns the bytes written
// (cut to size - 1), terminated.
int ZipEncodeName(const char* text, char* out, int size, uint16_t* flags);
// Decode: length raw bytes to 8-bit text; out holds at least length + 1.
// Code points without an 8-bit form become '_'.
int ZipDecodeName(const uint8_t* raw, int length, uint16_t flags, char* out);

// An entry name as a relative path that stays inside a target folder (no
// "..", root, drive, stream colon, device name or control character).
// Returns its length, 0 when nothing is left (".", "./", ". ."), -1 when it
// does not fit.
int ZipSafeRelativePath(const char* name, char* out, int size);

// DOS time (time low, date high) and seconds since 1970 in local time.
uint32_t ZipDosTimeFromSeconds(int64_t seconds);
int32_t ZipSecondsFromDosTime(uint32_t dos);
