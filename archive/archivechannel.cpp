// Read, write, seek and size of the archive's storage channels (the main
// channel and the second one), with the spill of a growing block into a
// temporary file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "archive/archivefile.h"

int64_t CArchiveFile::ChannelRead(ArchiveChannel& c, void* buffer, int64_t n) {
  if (n < 1) return 0;
  if (c.file != FIO_INVALID) {
    int64_t done = 0;
    while (done < n) {
      size_t ask = (size_t)((n - done) > (1 << 30) ? (1 << 30) : (n - done));
      ptrdiff_t got = FioRead(c.file, (uint8_t*)buffer + done, ask);
      if (got <= 0) break;
      done += got;
    }
    if (done < n && m_throwOnRead) Throw(ZIPERR_READ);
    return done;
  }
  uint32_t length = c.length < 0 ? c.size : (uint32_t)c.length;
  uint32_t avail = c.pos < length ? length - c.pos : 0;
  uint32_t take = n < (int64_t)avail ? (uint32_t)n : avail;
  if (take) memcpy(buffer, c.block + c.pos, take);
  c.pos += take;
  if (take < n && m_throwOnRead) Throw(ZIPERR_READ);
  return take;
}

// Moves a growing block that reached its limit into a temporary file.
bool CArchiveFile::SpillChannel(ArchiveChannel& c) {
  char name[ARCHIVE_NAME_SIZE + 16];
  const char* folder = ArchiveTempFolder();
  if (FioMakeTempFile(name, sizeof name, folder[0] ? folder : nullptr, "AF_") < 0) return false;
  FioHandle h = FioOpen(name, FIO_RW);
  uint32_t length = c.length > 0 ? (uint32_t)c.length : 0;
  if (h == FIO_INVALID || FioWrite(h, c.block, length) != (ptrdiff_t)length ||
      FioSeek(h, c.pos, FIO_BEGIN) < 0) {
    if (h != FIO_INVALID) FioClose(h);
    FioDelete(name);
    return false;
  }
  free(c.owned);
  c.owned = c.block = nullptr;
  c.size = 0;
  c.length = -1;
  c.file = h;
  c.fileSize = length;
  snprintf(c.workPath, sizeof c.workPath, "%s", name);
  if (m_spillName) snprintf(m_spillName, ARCHIVE_NAME_SIZE, "%.*s", ARCHIVE_NAME_SIZE - 1, name);
  return true;
}

int64_t CArchiveFile::ChannelWrite(ArchiveChannel& c, int32_t mode, const void* data, int64_t n) {
  if (n < 1) return 0;
  if (mode == 1) Throw(ZIPERR_WRITE);
  if (c.file == FIO_INVALID) {
    bool fail = false;
    uint64_t end = (uint64_t)c.pos + (uint64_t)n;
    if (c.length < 0 || !c.block) {
      fail = true;  // fixed data
    } else if (end > c.size) {
      if (c.owned && end > c.limit && m_spillAllowed && SpillChannel(c)) {
        return ChannelWrite(c, mode, data, n);
      } else if (c.owned && end <= c.limit) {
        uint64_t grow = (uint64_t)c.size + c.size / 2 + 0x10000;
        uint64_t need = end + 4096;
        uint64_t newSize = grow > need ? grow : need;
        if (newSize > c.limit) newSize = c.limit;
        uint8_t* p = (uint8_t*)realloc(c.owned, (size_t)newSize);
        if (p) {
          c.owned = c.block = p;
          c.size = (uint32_t)newSize;
        } else {
          fail = true;
        }
      } else {
        fail = true;
      }
    }
    if (!fail || !c.owned) {
      // a caller's block takes what fits
      uint32_t room = c.block && c.length >= 0 && c.pos < c.size ? c.size - c.pos : 0;
      uint32_t take = fail ? room : (uint32_t)n;
      if (take) memcpy(c.block + c.pos, data, take);
      c.pos += take;
      if (c.length >= 0 && c.pos > (uint32_t)c.length) c.length = (int32_t)c.pos;
    }
    if (!fail) return n;
  } else {
    if (FioWrite(c.file, data, (size_t)n) == n) {
      int64_t pos = FioTell(c.file);
      if (pos > c.fileSize) c.fileSize = pos;
      return n;
    }
  }
  if (m_throwOnWrite) Throw(ZIPERR_WRITE);
  return -1;
}

int64_t CArchiveFile::ChannelSeek(ArchiveChannel& c, int64_t offset, int origin) {
  if (c.file != FIO_INVALID) {
    int64_t r = FioSeek(c.file, offset, origin);
    if (r < 0) Throw(ZIPERR_READ);
    return r;
  }
  int64_t base = origin == 1 ? c.pos : origin == 2 ? ChannelSize(c) : 0;
  int64_t pos = base + offset;
  if (pos < 0) pos = 0;
  if (pos > 0xFFFFFFFFll) pos = 0xFFFFFFFFll;
  c.pos = (uint32_t)pos;
  return pos;
}

int64_t CArchiveFile::ChannelPosition(ArchiveChannel& c) {
  return c.file != FIO_INVALID ? FioTell(c.file) : c.pos;
}

int64_t CArchiveFile::ChannelSize(ArchiveChannel& c) {
  if (c.file != FIO_INVALID) return c.fileSize = FioSize(c.file);
  return c.length < 0 ? c.size : (uint32_t)c.length;
}

void CArchiveFile::ChannelTruncate(ArchiveChannel& c) {
  if (c.file != FIO_INVALID) {
    if (!FioTruncate(c.file)) Throw(ZIPERR_WRITE);
    c.fileSize = FioTell(c.file);
    return;
  }
  if (c.length >= 0) c.length = (int32_t)c.pos;
}

int64_t CArchiveFile::ChanRead(void* buffer, int64_t n) { return ChannelRead(m_main, buffer, n); }
int64_t CArchiveFile::ChanWrite(const void* data, int64_t n) {
  return ChannelWrite(m_main, m_mode, data, n);
}
int64_t CArchiveFile::ChanSeek(int64_t offset, int origin) {
  return ChannelSeek(m_main, offset, origin);
}
int64_t CArchiveFile::ChanPosition() { return ChannelPosition(m_main); }
int64_t CArchiveFile::ChanSize() { return ChannelSize(m_main); }
uint64_t CArchiveFile::ChanCapacity() const {
  if (m_main.file != FIO_INVALID || m_spillAllowed) return UINT64_MAX;
  return m_main.owned ? m_main.limit : m_main.size;
}
void CArchiveFile::ChanTruncate() { ChannelTruncate(m_main); }

void CArchiveFile::TruncateChannel(int channel) {
  ArchiveChannel& c = channel ? m_second : m_main;
  if (channel && !m_secondInUse) return;
  ChannelSeek(c, 0, 0);
  ChannelTruncate(c);
}

// ---------------------------------------------------------- second channel

ZipErrorCode CArchiveFile::MoveToSecondChannel() {
  if (m_secondInUse) return m_error = ZIPERR_INTERNAL;
  m_second = m_main;
  m_secondMode = m_mode;
  m_mode = 0;
  memset(&m_main, 0, sizeof m_main);
  m_main.file = FIO_INVALID;
  m_main.lock = FIO_INVALID;
  m_main.length = -1;
  m_secondInUse = true;
  return 0;
}

ZipErrorCode CArchiveFile::CreateOutputChannel(uint32_t size, uint32_t limit, char* nameBuffer,
                                               uint32_t spill) {
  if (!m_secondInUse || m_main.block || m_main.file != FIO_INVALID)
    return m_error = ZIPERR_INTERNAL;
  m_spillAllowed = spill;
  m_spillName = nameBuffer;
  m_mode = 3;  // a new, writable main channel
  uint32_t want = size > 0x20000 ? size : 0x20000;
  if (want > limit) {
    m_main.owned = m_main.block = nullptr;
    m_main.limit = 0;
    if (!SpillChannel(m_main)) return m_error = ZIPERR_TARGET_CREATE;
    return 0;
  }
  m_main.owned = (uint8_t*)malloc(want);
  if (!m_main.owned) return m_error = ZIPERR_MEMORY;
  m_main.block = m_main.owned;
  m_main.size = want;
  m_main.limit = limit;
  m_main.length = 0;
  m_main.pos = 0;
  return 0;
}

int64_t CArchiveFile::Chan2Read(void* buffer, int64_t n) {
  if (!m_secondInUse) Throw(ZIPERR_INTERNAL);
  return ChannelRead(m_second, buffer, n);
}
int64_t CArchiveFile::Chan2Write(const void* data, int64_t n) {
  if (!m_secondInUse) Throw(ZIPERR_INTERNAL);
  return ChannelWrite(m_second, m_secondMode, data, n);
}
int64_t CArchiveFile::Chan2Seek(int64_t offset, int origin) {
  if (!m_secondInUse) Throw(ZIPERR_INTERNAL);
  return ChannelSeek(m_second, offset, origin);
}
int64_t CArchiveFile::Chan2Position() { return m_secondInUse ? ChannelPosition(m_second) : -1; }
int64_t CArchiveFile::Chan2Size() { return m_secondInUse ? ChannelSize(m_second) : -1; }
void CArchiveFile::Chan2Truncate() {
  if (m_secondInUse) ChannelTruncate(m_second);
}

ZipErrorCode CArchiveFile::ChangeMode2(int32_t newMode) {
  if (!m_secondInUse) return ZIPERR_INTERNAL;
  ArchiveChannel& c = m_second;
  if (m_secondMode < 1 || m_secondMode > 3) return ZIPERR_NOT_OPEN;
  if (newMode == 1 && m_secondMode >= 2) {
    c.pos = 0;
    if (c.file != FIO_INVALID) FioSeek(c.file, 0, FIO_BEGIN);
    m_secondMode = 1;
    return 0;
  }
  if (newMode == 2 && m_secondMode == 1) {
    if (!m_writeAllowed) return ZIPERR_UNSUPPORTED;
    if (c.file == FIO_INVALID && c.length < 0) return ZIPERR_SOURCE_OPEN;
    c.pos = 0;
    if (c.file != FIO_INVALID) FioSeek(c.file, 0, FIO_BEGIN);
    m_secondMode = 2;
    return 0;
  }
  return ZIPERR_MODE;
}
