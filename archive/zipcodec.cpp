#include "archive/zipcodec.h"

#include <string.h>

CZipCodec::CZipCodec()
    : m_uncompressed(0), m_compressed(0), m_status(0), m_level(9), m_error(0), m_mode(8) {}

CZipCodec::~CZipCodec() {}

void CZipCodec::ResetCounters(int how) {
  FreeBuffers(how);
  if (how == 2) return;
  m_level = 9;
  m_uncompressed = m_compressed = 0;
  m_status = 0;
  m_error = 0;
  m_mode = 8;
}

uint64_t CZipCodec::GetValue64(int index) const {
  switch (index) {
    case 0:
    case 2: return static_cast<uint64_t>(static_cast<int64_t>(m_level));
    case 1: return m_status;
    case 3: return OutputCrc();
    case 4: return InputCrc();
    case 5: return m_compressed;
    case 6: return m_uncompressed;
    case 7: return m_in.total;
    case 8: return m_out.total;
    default: return 0;
  }
}

uint32_t CZipCodec::GetValue32(int index) const {
  if (index >= 9 && index <= 12) return static_cast<uint32_t>(GetValue64(index - 4) >> 32);
  if (index == 13 || index == 14) return 0;
  return static_cast<uint32_t>(GetValue64(index));
}

void CZipCodec::Fail(uint32_t category, const char* text) {
  m_error = category;
  throw ZipCodecError{category, text};
}

void CZipCodec::BeginOperation() {
  m_uncompressed = m_compressed = 0;
  m_in.total = m_out.total = 0;
  m_status = 0;
  m_error = 0;
}

int CZipCodec::ClampLevel(int level, int lo, int hi) {
  if (level != -1) m_level = level;
  if (m_level < lo) m_level = lo;
  if (m_level > hi) m_level = hi;
  return m_level;
}

static const char kReadError[] = "Fehler beim Lesen";
static const char kWriteError[] = "Fehler beim Schreiben in die Datei";
static const char kOverflow[] = "Fehler Speicherüberlauf des Ausgabepuffers";
static const char kNoMemory[] = "Zu wenig Speicher";

uint64_t CZipCodec::CopyStored() {
  m_status |= ZIPC_STATUS_STORED;
  uint64_t copied = 0;
  if (m_in.kind == kMemory) {
    uint32_t n;
    const uint8_t* p = TakeMemoryInput(&n);
    if (m_out.kind == kMemory) {
      uint32_t space = MemoryOutputSpace();
      uint32_t take = n < space ? n : space;
      if (m_out.cap >= 0 && take > m_out.cap) take = static_cast<uint32_t>(m_out.cap);
      if (take) memcpy(MemoryOutputPtr(), p, take);
      CommitMemoryOutput(take);
      m_uncompressed = m_compressed = take;
      if (take < n) Fail(ZIPC_DATA, kOverflow);
      return take;
    }
    while (n > 0) {
      int chunk = n > 0x40000000u ? 0x40000000 : static_cast<int>(n);
      if (WriteOutput(p, chunk) != chunk) Fail(ZIPC_WRITE, kWriteError);
      p += chunk;
      n -= static_cast<uint32_t>(chunk);
      copied += static_cast<uint32_t>(chunk);
      m_uncompressed = m_compressed = copied;
    }
    return copied;
  }
  if (m_out.kind == kMemory) {
    for (;;) {
      if (MemoryOutputSpace() == 0 || (m_out.cap == 0)) {
        uint8_t probe;
        int r = ReadInput(&probe, 1);
        if (r < 0) Fail(ZIPC_READ, kReadError);
        if (r > 0) Fail(ZIPC_DATA, kOverflow);
        break;
      }
      int r = ReadIntoOutput();
      if (r == 0) break;
      if (r < 0) {
        if (m_out.capHit) Fail(ZIPC_WRITE, kOverflow);
        Fail(ZIPC_READ, kReadError);
      }
      copied += static_cast<uint32_t>(r);
      m_uncompressed = m_compressed = copied;
    }
    return copied;
  }
  uint8_t* buf = GetCopyBuffer();
  if (!buf) Fail(ZIPC_MEMORY, kNoMemory);
  for (;;) {
    int r = ReadInput(buf, ZIP_COPY_CHUNK);
    if (r < 0) Fail(ZIPC_READ, kReadError);
    if (r == 0) break;
    if (WriteOutput(buf, r) != r) Fail(ZIPC_WRITE, kWriteError);
    copied += static_cast<uint32_t>(r);
    m_uncompressed = m_compressed = copied;
  }
  return copied;
}

void CZipCodec::WriteEndMark() {
  if (m_out.kind != kMemory && m_out.kind != kNone && m_out.func) m_out.func(m_out.funcCtx, nullptr, 0);
}

void CZipCodec::EmitOutput(const void* data, uint32_t length, const char* writeText) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (length > 0) {
    int chunk = length > 0x40000000u ? 0x40000000 : static_cast<int>(length);
    int w = WriteOutput(p, chunk);
    if (w > 0) m_uncompressed += static_cast<uint32_t>(w);
    if (w != chunk) {
      if (m_out.capHit) Fail(ZIPC_WRITE, kOverflow);
      if (m_out.kind == kMemory && w >= 0) Fail(ZIPC_DATA, kOverflow);
      Fail(ZIPC_WRITE, writeText);
    }
    p += chunk;
    length -= static_cast<uint32_t>(chunk);
  }
}
