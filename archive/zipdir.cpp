// Reading and writing the ZIP central directory and the record headers.
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "archive/zipfile.h"

namespace {

const int kBlock = 4096;

// Searches p[0..n) backwards for one of the end signatures; -1 when none.
int64_t ScanBack(const uint8_t* p, size_t n) {
  for (size_t i = n >= 4 ? n - 4 + 1 : 0; i-- > 0;) {
    uint32_t s = ZipGet32(p + i);
    if (s == ZIP_SIG_END || s == ZIP_SIG_LOCATOR64) return (int64_t)i;
  }
  return -1;
}

}  // namespace

// The last end signature in front of `before` (the file size at first);
// -1 when there is none.
int64_t CZipFile::FindEndRecord(int64_t before) {
  uint8_t buf[kBlock + 3];
  if (before <= 0) return -1;
  int64_t blockStart = ((before - 1) / kBlock) * kBlock;
  size_t tail = 0;  // bytes of the following block appended
  // (a signature must start before `before`)
  int64_t length = std::min<int64_t>(kBlock, before - blockStart);
  while (true) {
    ChanSeek(blockStart, 0);
    ChanRead(buf, length);
    int64_t at = ScanBack(buf, (size_t)length + tail);
    if (at >= 0 && blockStart + at < before) return blockStart + at;
    if (blockStart == 0) return -1;
    memmove(buf + kBlock, buf, 3);
    tail = 3;
    blockStart -= kBlock;
    length = kBlock;
  }
}

ZipErrorCode CZipFile::ReadDirectory(intptr_t) {
  try {
    ClearEntries();
    m_progressDone = m_progressTotal = 0;
    m_progressState = 0;
    m_error = 0;
    m_sortState = 0;
    int64_t size = ChanSize();
    if (size == 0) {
      // an empty file (a fresh temporary file, say) is a new, empty archive
      if (m_mode == 1) Throw(ZIPERR_FORMAT);
      m_dirStart = m_dirEnd = 0;
      m_dirDirty = true;
      return 0;
    }
    // A comment may hold an end signature of its own: a candidate whose
    // record does not fit the file is passed over for the next one back.
    int64_t p = size;
    uint8_t rec[ZIP_END64_SIZE];
    while (true) {
      p = FindEndRecord(p);
      if (p < 0) Throw(ZIPERR_FORMAT);
      ChanSeek(p, 0);
      ChanRead(rec, 4);
      if (ZipGet32(rec) != ZIP_SIG_END) break;
      if (p + ZIP_END_SIZE > size) continue;
      ChanRead(rec + 4, 18);
      if (p + ZIP_END_SIZE + ZipGet16(rec + 20) <= size && ZipGet32(rec + 12) <= (uint64_t)p) break;
    }
    m_dirEnd = (uint64_t)p;
    ChanSeek(p, 0);
    ChanRead(rec, 4);
    uint64_t start = 0, entriesDisk = 0, entriesTotal = 0;
    uint32_t disk = 0, dirDisk = 0;
    int64_t locatorAt = -1;
    bool have32 = false;
    uint64_t declaredStart = 0;
    if (ZipGet32(rec) == ZIP_SIG_END) {
      ChanRead(rec + 4, 18);
      have32 = true;
      disk = ZipGet16(rec + 4);
      dirDisk = ZipGet16(rec + 6);
      entriesDisk = ZipGet16(rec + 8);
      entriesTotal = ZipGet16(rec + 10);
      uint32_t dirSize = ZipGet32(rec + 12);
      uint32_t dirOffset = ZipGet32(rec + 16);
      uint16_t commentLength = ZipGet16(rec + 20);
      if (commentLength && p + ZIP_END_SIZE + commentLength <= size) {
        std::vector<uint8_t> raw(commentLength);
        ChanRead(raw.data(), commentLength);
        m_comment = (char*)malloc((size_t)commentLength * 1 + 1);
        m_rawComment = (uint8_t*)malloc(commentLength);
        if (!m_comment || !m_rawComment) Throw(ZIPERR_MEMORY);
        ZipDecodeName(raw.data(), commentLength, 0, m_comment);
        // written back as it was: 8-bit text cannot hold every comment
        memcpy(m_rawComment, raw.data(), commentLength);
        m_rawCommentLength = commentLength;
      }
      // Other tools keep a real 32-bit offset beside the ZIP64 records, so
      // the locator is looked for whenever there is room for it.
      if (p >= ZIP_LOCATOR64_SIZE) {
        uint8_t sig[4];
        ChanSeek(p - ZIP_LOCATOR64_SIZE, 0);
        ChanRead(sig, 4);
        if (ZipGet32(sig) == ZIP_SIG_LOCATOR64) locatorAt = p - ZIP_LOCATOR64_SIZE;
      }
      if (locatorAt < 0) {
        if (dirOffset == 0xFFFFFFFFu) Throw(ZIPERR_FORMAT);
        // computed back from the end record: data in front is tolerated
        if ((uint64_t)p < dirSize) Throw(ZIPERR_FORMAT);
        start = (uint64_t)p - dirSize;
        declaredStart = dirOffset;
      }
    } else {
      locatorAt = p;
    }
    if (locatorAt >= 0) {
      uint8_t loc[ZIP_LOCATOR64_SIZE];
      ChanSeek(locatorAt, 0);
      ChanRead(loc, ZIP_LOCATOR64_SIZE);
      uint64_t at = ZipGet64(loc + 8);
      // (compared so that an offset near 2^64 cannot wrap around)
      bool ok = locatorAt >= ZIP_END64_SIZE && at <= (uint64_t)locatorAt - ZIP_END64_SIZE;
      if (ok) {
        ChanSeek((int64_t)at, 0);
        ChanRead(rec, ZIP_END64_SIZE);
        ok = ZipGet32(rec) == ZIP_SIG_END64;
      }
      if (!ok) Throw(ZIPERR_FORMAT);
      disk = ZipGet32(rec + 16);
      dirDisk = ZipGet32(rec + 20);
      entriesDisk = ZipGet64(rec + 24);
      entriesTotal = ZipGet64(rec + 32);
      start = ZipGet64(rec + 48);
      if (!have32) m_dirEnd = (uint64_t)locatorAt;
      if (start > at) Throw(ZIPERR_FORMAT);
    }
    if (disk > 1 || dirDisk != 0 || entriesDisk != entriesTotal) Throw(ZIPERR_MULTIDISK);
    if (start > (uint64_t)size || start > m_dirEnd) Throw(ZIPERR_FORMAT);
    m_dirStart = start;
    m_progressTotal = m_dirEnd;
    ReadCentralHeaders(start, m_dirEnd);
    ShiftForStub(start, declaredStart);
    // A directory that stops early would lose the entries behind the break
    // at the next update: only the tolerant mode reads past damage.
    uint64_t found = (uint64_t)m_count;
    // (without ZIP64 records the 16-bit count may have wrapped or stuck at 0xFFFF)
    bool complete = locatorAt >= 0 ? found == entriesTotal
                                   : (found & 0xFFFF) == entriesTotal ||
                                         (entriesTotal == 0xFFFF && found >= 0xFFFF);
    if (!complete && !(m_options & ZIPOPT_TOLERANT)) Throw(ZIPERR_FORMAT);
    uint64_t step = m_count ? m_progressTotal / (uint64_t)m_count : 1;
    for (int32_t i = 0; i < m_count; i++) {
      VerifyLocalHeader(m_entries[i]);
      m_progressDone += step;
    }
    // Two entries sharing bytes are a trap (a "zip bomb" of overlapping
    // entries) and would break compaction later.
    std::vector<ZipEntry*> order;
    for (int32_t i = 0; i < m_count; i++)
      if (m_entries[i]->valid) order.push_back(m_entries[i]);
    std::sort(order.begin(), order.end(),
              [](const ZipEntry* a, const ZipEntry* b) { return a->offset < b->offset; });
    for (size_t i = 1; i < order.size(); i++) {
      ZipEntry* a = order[i - 1];
      uint64_t end = a->offset + ZIP_LOCAL_SIZE + a->localNameLength + a->localExtraLength +
                     a->compressedSize;
      if (end > order[i]->offset) {
        if (!(m_options & ZIPOPT_TOLERANT)) Throw(ZIPERR_FORMAT);
        order[i]->bad = 1;
        order[i]->valid = 0;
      }
    }
    if (m_options & ZIPOPT_AUTO_SORT) Sort(m_options & ZIPOPT_SORT_MASK);
    m_progressDone = m_progressTotal;
    return 0;
  } catch (ZipErrorCode code) {
    ReportAndReset(code);
    return code;
  }
}

// Data put in front of an archive by plain concatenation (a self-extracting
// stub) moves everything by its size while the records keep their old
// offsets. When the directory stands that far behind where its end record
// says, and the first entry's local header stands that far behind too,
// every offset moves by the same amount, as the other tools read it.
void CZipFile::ShiftForStub(uint64_t found, uint64_t declared) {
  if (found <= declared || m_count == 0) return;
  uint64_t shift = found - declared;
  uint64_t first = m_entries[0]->offset;
  auto isLocal = [this](uint64_t at) {
    if (at + 4 > m_dirStart) return false;
    uint8_t sig[4];
    ChanSeek((int64_t)at, 0);
    ChanRead(sig, 4);
    return ZipGet32(sig) == ZIP_SIG_LOCAL;
  };
  if (isLocal(first) || !isLocal(first + shift)) return;
  for (int32_t i = 0; i < m_count; i++) m_entries[i]->offset += shift;
}

void CZipFile::ReadCentralHeaders(uint64_t start, uint64_t end) {
  uint64_t length = end - start;
  if (length > 0x40000000ull) Throw(ZIPERR_MEMORY);
  std::vector<uint8_t> dir;
  try {
    dir.resize((size_t)length + 4);
  } catch (...) {
    Throw(ZIPERR_MEMORY);
  }
  ChanSeek((int64_t)start, 0);
  ChanRead(dir.data(), (int64_t)length);
  const uint8_t* d = dir.data();
  size_t pos = 0;
  bool tolerant = (m_options & ZIPOPT_TOLERANT) != 0;
  std::vector<char> name;
  while (pos + 4 <= length) {
    if (ZipGet32(d + pos) != ZIP_SIG_CENTRAL) {
      if (!tolerant) break;
      size_t next = pos + 1;
      while (next + 4 <= length && ZipGet32(d + next) != ZIP_SIG_CENTRAL) next++;
      if (next + ZIP_CENTRAL_SIZE > length) break;
      pos = next;
    }
    if (pos + ZIP_CENTRAL_SIZE > length) {
      if (tolerant) break;
      Throw(ZIPERR_FORMAT);
    }
    const uint8_t* h = d + pos;
    int32_t index = NewEntry();
    ZipEntry* e = m_entries[index];
    e->versionMadeBy = ZipGet16(h + 4);
    e->versionNeeded = ZipGet16(h + 6);
    e->flags = ZipGet16(h + 8) & 0x3FFF;  // bit 13 kept: masked headers are refused
    e->method = ZipGet16(h + 10);
    e->dosTime = ZipGet32(h + 12);
    e->crc = ZipGet32(h + 16);
    uint32_t raw32[3] = {ZipGet32(h + 24), ZipGet32(h + 20), ZipGet32(h + 42)};
    e->compressedSize = raw32[1];
    e->uncompressedSize = raw32[0];
    e->offset = raw32[2];
    e->nameLength = ZipGet16(h + 28);
    uint16_t extraLength = ZipGet16(h + 30);
    uint16_t commentLength = ZipGet16(h + 32);
    e->diskStart = ZipGet16(h + 34);
    e->internalAttributes = ZipGet16(h + 36);
    e->externalAttributes = ZipGet32(h + 38);
    e->hostIsDos = (e->versionMadeBy >> 8) == 0;
    e->modified = e->created = e->accessed = ZipSecondsFromDosTime(e->dosTime);
    pos += ZIP_CENTRAL_SIZE;
    size_t rawNameLength = e->nameLength;
    bool broken = rawNameLength == 0 || pos + rawNameLength > length;
    if (broken && !tolerant) Throw(ZIPERR_FORMAT);
    if (broken) rawNameLength = 0;
    // decoding never makes a name longer than its bytes
    e->name = (char*)malloc(rawNameLength + 1);
    e->rawName = (uint8_t*)malloc(rawNameLength + 1);
    if (!e->name || !e->rawName) Throw(ZIPERR_MEMORY);
    memcpy(e->rawName, d + pos, rawNameLength);
    e->rawNameLength = (uint16_t)rawNameLength;
    int n = ZipDecodeName(d + pos, (int)rawNameLength, e->flags, e->name);
    pos += rawNameLength;
    if (n > 0 && e->name[n - 1] == '/') {
      e->name[--n] = 0;
      if (e->uncompressedSize == 0) e->externalAttributes |= 0x10;
    }
    e->nameLength = (uint16_t)n;
    if (pos + extraLength + commentLength > length) {
      if (!tolerant) Throw(ZIPERR_FORMAT);
      extraLength = commentLength = 0;
      pos = length;
    }
    if (extraLength) {
      e->centralExtra = (uint8_t*)malloc(extraLength);
      if (!e->centralExtra) Throw(ZIPERR_MEMORY);
      memcpy(e->centralExtra, d + pos, extraLength);
      e->centralExtraLength = extraLength;
      ZipParseExtraFields(e, d + pos, extraLength, raw32);
      pos += extraLength;
    }
    if (commentLength) {
      e->comment = (char*)malloc((size_t)commentLength + 1);
      e->rawComment = (uint8_t*)malloc(commentLength);
      if (!e->comment || !e->rawComment) Throw(ZIPERR_MEMORY);
      memcpy(e->rawComment, d + pos, commentLength);
      e->rawCommentLength = commentLength;
      e->commentLength = (uint16_t)ZipDecodeName(d + pos, commentLength, e->flags, e->comment);
      pos += commentLength;
    }
    if (NotifyEnabled(ZIPN_FOUND) && Notify(ZIPN_FOUND, index)) Throw(ZIPERR_ABORT);
  }
}

void CZipFile::VerifyLocalHeader(ZipEntry* e) {
  bool tolerant = (m_options & ZIPOPT_TOLERANT) != 0;
  // (sizes from the file are checked before any sum can wrap around)
  bool ok = e->offset < m_dirStart && e->compressedSize <= m_dirStart &&
            e->offset + ZIP_LOCAL_SIZE < m_dirStart;
  uint8_t h[ZIP_LOCAL_SIZE];
  uint16_t nameLength = 0, extraLength = 0;
  if (ok) {
    ChanSeek((int64_t)e->offset, 0);
    ChanRead(h, ZIP_LOCAL_SIZE);
    nameLength = ZipGet16(h + 26);
    extraLength = ZipGet16(h + 28);
    ok = ZipGet32(h) == ZIP_SIG_LOCAL;
  }
  if (ok) {
    std::vector<uint8_t> raw((size_t)nameLength + extraLength + 1);
    ChanRead(raw.data(), nameLength + extraLength);
    std::vector<char> name((size_t)nameLength + 1);
    int n = ZipDecodeName(raw.data(), nameLength, e->flags, name.data());
    if (n > 0 && name[n - 1] == '/') n--;
    ok = n == e->nameLength && memcmp(name.data(), e->name, (size_t)n) == 0;
    e->localNameLength = nameLength;
    if (ok && extraLength) {
      free(e->localExtra);
      e->localExtra = (uint8_t*)malloc(extraLength);
      if (!e->localExtra) Throw(ZIPERR_MEMORY);
      memcpy(e->localExtra, raw.data() + nameLength, extraLength);
      e->localExtraLength = extraLength;
      uint32_t raw32[3] = {ZipGet32(h + 22), ZipGet32(h + 18), 0};
      // the central values stay: the local field only fills what is missing
      ZipEntry copy = *e;
      ZipParseExtraFields(&copy, e->localExtra, extraLength, raw32);
      if (e->modified == ZipSecondsFromDosTime(e->dosTime)) {
        e->modified = copy.modified;
        e->accessed = copy.accessed;
        e->created = copy.created;
      }
    }
  }
  uint64_t dataEnd = 0;
  if (ok) {
    dataEnd = e->offset + ZIP_LOCAL_SIZE + nameLength + extraLength + e->compressedSize;
    ok = dataEnd <= m_dirStart;
  }
  if (ok && (ZipGet16(h + 6) & ZIP_FLAG_DESCRIPTOR)) {
    uint32_t localSize = ZipGet32(h + 18);
    uint64_t csize = localSize && localSize != 0xFFFFFFFFu ? localSize : e->compressedSize;
    uint64_t at = e->offset + ZIP_LOCAL_SIZE + nameLength + extraLength + csize;
    uint8_t sig[4];
    ok = at + 12 <= m_dirStart;
    if (ok) {
      ChanSeek((int64_t)at, 0);
      ChanRead(sig, 4);
      // the descriptor's signature is optional; without it the CRC leads
      ok = ZipGet32(sig) == ZIP_SIG_DESCRIPTOR || ZipGet32(sig) == e->crc;
    }
  }
  if (!ok) {
    if (!tolerant) Throw(ZIPERR_FORMAT);
    e->bad = 1;
    free(e->localExtra);
    e->localExtra = nullptr;
    e->localExtraLength = 0;
    return;
  }
  e->valid = 1;
}

// ---------------------------------------------------------------- writing

namespace {

struct OutBuffer {
  std::vector<uint8_t> data;
  void Put(const void* p, size_t n) {
    const uint8_t* b = (const uint8_t*)p;
    data.insert(data.end(), b, b + n);
  }
};

}  // namespace

// Room for the encoded form of a name: three bytes per character at most.
static int EncodedSize(const char* text) { return (int)strlen(text) * 3 + 2; }

// The name as both headers store it: the bytes read from the archive, or
// the encoded name with the trailing "/" that marks a folder. Local and
// central header must agree on it, or other tools call the archive broken.
static int HeaderName(ZipEntry* e, std::vector<char>& name) {
  if (e->rawName && e->rawNameLength) {
    name.assign(e->rawName, e->rawName + e->rawNameLength);
    return e->rawNameLength;
  }
  name.resize((size_t)EncodedSize(e->name) + 1);
  int n = ZipEncodeName(e->name, name.data(), (int)name.size() - 1, &e->flags);
  if (e->externalAttributes & 0x10) name[(size_t)n++] = '/';
  return n;
}

void CZipFile::WriteLocalHeader(ZipEntry* e) {
  std::vector<char> name;
  int n = HeaderName(e, name);
  if (n > 0xFFFF) Throw(ZIPERR_PATH);
  uint8_t h[ZIP_LOCAL_SIZE];
  bool sizes64 = e->localExtraLength >= 20 && ZipGet16(e->localExtra) == 0x0001;
  ZipPut32(h, ZIP_SIG_LOCAL);
  ZipPut16(h + 4, e->versionNeeded);
  ZipPut16(h + 6, e->flags);
  ZipPut16(h + 8, e->method);
  ZipPut32(h + 10, e->dosTime);
  ZipPut32(h + 14, e->crc);
  ZipPut32(h + 18, sizes64 ? 0xFFFFFFFFu : ZipField32(e->compressedSize));
  ZipPut32(h + 22, sizes64 ? 0xFFFFFFFFu : ZipField32(e->uncompressedSize));
  ZipPut16(h + 26, (uint32_t)n);
  ZipPut16(h + 28, e->localExtraLength);
  std::vector<uint8_t> all(ZIP_LOCAL_SIZE + (size_t)n + e->localExtraLength);
  memcpy(all.data(), h, ZIP_LOCAL_SIZE);
  memcpy(all.data() + ZIP_LOCAL_SIZE, name.data(), (size_t)n);
  if (e->localExtraLength)
    memcpy(all.data() + ZIP_LOCAL_SIZE + n, e->localExtra, e->localExtraLength);
  e->localNameLength = (uint16_t)n;
  ChanWrite(all.data(), (int64_t)all.size());
}

ZipErrorCode CZipFile::WriteDirectory() {
  int64_t start = ChanSeek((int64_t)m_dirStart, 0);
  OutBuffer out;
  uint64_t count = 0;
  for (int32_t i = 0; i < m_count; i++) {
    ZipEntry* e = m_entries[i];
    if (e->deleted || e->bad || !e->valid) continue;
    if (ZipBuildExtraFields(e)) Throw(ZIPERR_MEMORY);
    std::vector<char> name, comment;
    int c;
    int n = HeaderName(e, name);
    if (n > 0xFFFF) Throw(ZIPERR_PATH);
    if (e->rawComment) {
      comment.assign(e->rawComment, e->rawComment + e->rawCommentLength);
      c = e->rawCommentLength;
    } else {
      comment.resize(e->comment ? (size_t)EncodedSize(e->comment) : 1);
      c = e->comment ? ZipEncodeName(e->comment, comment.data(), (int)comment.size(), nullptr) : 0;
      if (c > 0xFFFF) c = 0xFFFF;
    }
    bool bigU = e->uncompressedSize >= 0xFFFFFFFFull || e->zip64Local;
    bool bigC = e->compressedSize >= 0xFFFFFFFFull || e->zip64Local;
    uint8_t h[ZIP_CENTRAL_SIZE];
    ZipPut32(h, ZIP_SIG_CENTRAL);
    ZipPut16(h + 4, e->versionMadeBy);
    ZipPut16(h + 6, e->versionNeeded);
    ZipPut16(h + 8, e->flags);
    ZipPut16(h + 10, e->method);
    ZipPut32(h + 12, e->dosTime);
    ZipPut32(h + 16, e->crc);
    ZipPut32(h + 20, bigC ? 0xFFFFFFFFu : (uint32_t)e->compressedSize);
    ZipPut32(h + 24, bigU ? 0xFFFFFFFFu : (uint32_t)e->uncompressedSize);
    ZipPut16(h + 28, (uint32_t)n);
    ZipPut16(h + 30, e->centralExtraLength);
    ZipPut16(h + 32, (uint32_t)c);
    ZipPut16(h + 34, 0);
    ZipPut16(h + 36, e->internalAttributes);
    ZipPut32(h + 38, e->externalAttributes);
    ZipPut32(h + 42, ZipField32(e->offset));
    out.Put(h, sizeof h);
    out.Put(name.data(), (size_t)n);
    if (e->centralExtraLength) out.Put(e->centralExtra, e->centralExtraLength);
    out.Put(comment.data(), (size_t)c);
    count++;
    if (out.data.size() >= (1u << 20)) {
      ChanWrite(out.data.data(), (int64_t)out.data.size());
      out.data.clear();
    }
  }
  ChanWrite(out.data.data(), (int64_t)out.data.size());
  out.data.clear();
  uint64_t end = (uint64_t)ChanPosition();
  uint64_t size = end - (uint64_t)start;
  char encoded[520];
  const char* comment = encoded;
  int c = m_comment ? ZipEncodeName(m_comment, encoded, 513, nullptr) : 0;
  if (m_rawComment) {
    comment = (const char*)m_rawComment;
    c = m_rawCommentLength;
  }
  bool zip64 = end > 0xFFFFF000ull || count >= 0xFFFF || (uint64_t)start >= 0xFFFFFFFFull ||
               size >= 0xFFFFFFFFull;
  if (zip64) {
    uint8_t r[ZIP_END64_SIZE + ZIP_LOCATOR64_SIZE];
    ZipPut32(r, ZIP_SIG_END64);
    ZipPut64(r + 4, 44);
    ZipPut16(r + 12, 45);
    ZipPut16(r + 14, 45);
    ZipPut32(r + 16, 0);
    ZipPut32(r + 20, 0);
    ZipPut64(r + 24, count);
    ZipPut64(r + 32, count);
    ZipPut64(r + 40, size);
    ZipPut64(r + 48, (uint64_t)start);
    uint8_t* l = r + ZIP_END64_SIZE;
    ZipPut32(l, ZIP_SIG_LOCATOR64);
    ZipPut32(l + 4, 0);
    ZipPut64(l + 8, end);
    ZipPut32(l + 16, 1);
    out.Put(r, sizeof r);
  }
  uint8_t r[ZIP_END_SIZE];
  ZipPut32(r, ZIP_SIG_END);
  ZipPut16(r + 4, 0);
  ZipPut16(r + 6, 0);
  ZipPut16(r + 8, (uint32_t)std::min<uint64_t>(count, 0xFFFF));
  ZipPut16(r + 10, (uint32_t)std::min<uint64_t>(count, 0xFFFF));
  ZipPut32(r + 12, ZipField32(size));
  ZipPut32(r + 16, zip64 ? 0xFFFFFFFFu : (uint32_t)start);
  ZipPut16(r + 20, (uint32_t)c);
  out.Put(r, sizeof r);
  out.Put(comment, (size_t)c);
  ChanWrite(out.data.data(), (int64_t)out.data.size());
  ChanTruncate();
  m_dirEnd = end;
  return 0;
}
