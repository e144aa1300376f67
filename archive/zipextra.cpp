// Extra fields of the ZIP records: ZIP64 sizes, timestamps, WinZip AES.
#include <stdlib.h>
#include <string.h>

#include "archive/zipentry.h"
#include "files/filetime.h"

namespace {

int32_t SecondsFromNtfs(uint64_t ticks) {
  return (int32_t)FileTicksToSeconds32((int64_t)(ticks & 0x7FFFFFFFFFFFFFFFull));
}

uint64_t NtfsFromSeconds(int32_t s) { return (uint64_t)SecondsToFileTicks(s); }

// Copies an extra field without its ZIP64 part.
size_t StripZip64(const uint8_t* src, size_t length, uint8_t* out) {
  size_t n = 0;
  for (size_t i = 0; i + 4 <= length;) {
    uint16_t tag = ZipGet16(src + i);
    size_t size = ZipGet16(src + i + 2);
    if (i + 4 + size > length) break;
    if (tag != 0x0001) {
      memcpy(out + n, src + i, 4 + size);
      n += 4 + size;
    }
    i += 4 + size;
  }
  return n;
}

}  // namespace

void ZipFreeEntry(ZipEntry* e) {
  if (!e) return;
  free(e->localExtra);
  free(e->centralExtra);
  free(e->comment);
  free(e->name);
  free(e->rawName);
  free(e->rawComment);
  free(e);
}

void ZipParseExtraFields(ZipEntry* e, const uint8_t* data, size_t length, const uint32_t raw32[3]) {
  bool seenTimestamp = false;
  for (size_t i = 0; i + 4 <= length;) {
    uint16_t tag = ZipGet16(data + i);
    size_t size = ZipGet16(data + i + 2);
    const uint8_t* p = data + i + 4;
    if (i + 4 + size > length) break;
    i += 4 + size;
    switch (tag) {
      case 0x0001: {
        size_t at = 0;
        uint64_t* targets[3] = {&e->uncompressedSize, &e->compressedSize, &e->offset};
        for (int k = 0; k < 3; k++) {
          if (raw32[k] != 0xFFFFFFFFu) continue;
          if (at + 8 > size) break;
          *targets[k] = ZipGet64(p + at);
          at += 8;
        }
        break;
      }
      case 0x000A:
        for (size_t a = 4; a + 4 <= size;) {
          uint16_t attr = ZipGet16(p + a);
          size_t asize = ZipGet16(p + a + 2);
          if (a + 4 + asize > size) break;
          if (attr == 1 && asize >= 24) {
            e->modified = SecondsFromNtfs(ZipGet64(p + a + 4));
            e->accessed = SecondsFromNtfs(ZipGet64(p + a + 12));
            e->created = SecondsFromNtfs(ZipGet64(p + a + 20));
          }
          a += 4 + asize;
        }
        break;
      case 0x5455: {
        if (size < 1) break;
        uint8_t flags = p[0];
        size_t at = 1;
        int32_t* targets[3] = {&e->modified, &e->accessed, &e->created};
        for (int k = 0; k < 3; k++) {
          if (!(flags & (1 << k))) continue;
          if (at + 4 > size) break;
          *targets[k] = (int32_t)ZipGet32(p + at);
          at += 4;
        }
        seenTimestamp = true;
        break;
      }
      case 0x5855:
        if (size >= 8 && !seenTimestamp) {
          e->accessed = (int32_t)ZipGet32(p);
          e->modified = (int32_t)ZipGet32(p + 4);
        }
        break;
      case 0x7855:
        seenTimestamp = true;
        break;
      case 0x9901:
        if (size >= 7) {
          uint16_t version = ZipGet16(p);
          uint8_t strength = p[4];
          uint16_t method = ZipGet16(p + 5);
          if ((version == 1 || version == 2) && p[2] == 'A' && p[3] == 'E' && strength &&
              strength <= 3 && !(method >> 8)) {
            e->aesInfo = (uint8_t)(version * 4 + strength);
            e->aesMethod = (uint8_t)method;
          }
        }
        break;
      default:
        break;
    }
  }
}

int ZipBuildExtraFields(ZipEntry* e) {
  bool bigUsize = e->uncompressedSize >= 0xFFFFFFFFull || e->zip64Local;
  bool bigCsize = e->compressedSize >= 0xFFFFFFFFull || e->zip64Local;
  bool bigOffset = e->offset >= 0xFFFFFFFFull;
  uint8_t zip64[28];
  size_t n64 = 0;
  if (bigUsize || bigCsize || bigOffset) {
    n64 = 4;
    if (bigUsize) ZipPut64(zip64 + n64, e->uncompressedSize), n64 += 8;
    if (bigCsize) ZipPut64(zip64 + n64, e->compressedSize), n64 += 8;
    if (bigOffset) ZipPut64(zip64 + n64, e->offset), n64 += 8;
    ZipPut16(zip64, 0x0001);
    ZipPut16(zip64 + 2, (uint32_t)(n64 - 4));
  }
  // central: [ZIP64] + what the entry carried, or our two time fields
  uint8_t times[53];
  size_t timesLength = 0;
  const uint8_t* rest = nullptr;
  size_t restLength = 0;
  if (e->centralExtra && e->centralExtraLength) {
    rest = e->centralExtra;
    restLength = e->centralExtraLength;
  } else {
    uint8_t* p = times;
    ZipPut16(p, 0x5455);
    ZipPut16(p + 2, 13);
    p[4] = 7;
    ZipPut32(p + 5, (uint32_t)e->modified);
    ZipPut32(p + 9, (uint32_t)e->accessed);
    ZipPut32(p + 13, (uint32_t)e->created);
    p += 17;
    ZipPut16(p, 0x000A);
    ZipPut16(p + 2, 32);
    ZipPut32(p + 4, 0);
    ZipPut16(p + 8, 1);
    ZipPut16(p + 10, 24);
    ZipPut64(p + 12, NtfsFromSeconds(e->modified));
    ZipPut64(p + 20, NtfsFromSeconds(e->accessed));
    ZipPut64(p + 28, NtfsFromSeconds(e->created));
    timesLength = 53;
    rest = times;
    restLength = timesLength;
  }
  uint8_t* central = (uint8_t*)malloc(n64 + restLength + 1);
  if (!central) return -1;
  memcpy(central, zip64, n64);
  size_t centralLength = n64 + StripZip64(rest, restLength, central + n64);
  if (centralLength > 0xFFFF) centralLength = n64;
  free(e->centralExtra);
  e->centralExtra = central;
  e->centralExtraLength = (uint16_t)centralLength;

  // local: the sizes' ZIP64 field only (the offset is not in the local header)
  if (!e->valid || e->zip64Local) {
    size_t localLength = 0;
    uint8_t local[20];
    if (bigUsize || bigCsize) {
      // the local field holds both sizes whenever it is there
      ZipPut16(local, 0x0001);
      ZipPut16(local + 2, 16);
      ZipPut64(local + 4, e->uncompressedSize);
      ZipPut64(local + 12, e->compressedSize);
      localLength = 20;
    }
    uint8_t* copy = localLength ? (uint8_t*)malloc(localLength) : nullptr;
    if (localLength && !copy) return -1;
    if (copy) memcpy(copy, local, localLength);
    free(e->localExtra);
    e->localExtra = copy;
    e->localExtraLength = (uint16_t)localLength;
  }
  if (n64) e->versionNeeded = 45;
  else if (e->versionNeeded >= 21 && e->method <= 8) e->versionNeeded = 20;
  return 0;
}
