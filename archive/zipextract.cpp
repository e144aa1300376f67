// Extracting and testing ZIP entries, with decryption.
#include <stdlib.h>
#include <string.h>

#include "archive/zipcodec.h"
#include "archive/zipcrypt.h"
#include "archive/zipfile.h"
#include "files/fileops.h"

namespace {

struct SinkWrap {
  void* sink;
  ZipWriteFunc write;
};

int WrapWrite(void* context, void* data, int length) {
  SinkWrap* w = (SinkWrap*)context;
  if (length <= 0) return 0;  // the codec's end mark: our own comes later
  return w->write(w->sink, data, length) < 0 ? -1 : length;
}

ZipErrorCode CodecErrorCode(uint32_t category) {
  switch (category) {
    case ZIPC_MEMORY: return ZIPERR_MEMORY;
    case ZIPC_UNSUPPORTED: return ZIPERR_UNSUPPORTED;
    case ZIPC_WRITE: return ZIPERR_TARGET_WRITE;  // the sink refused (a full disk)
    default: return ZIPERR_DECOMPRESS;
  }
}

}  // namespace

void CZipFile::InitDecryption(ZipEntry* e) {
  if (e->method == ZIP_METHOD_AES) {
    if (!m_aes) m_aes = ZipAesAlloc();
    if (!m_aes) Throw(ZIPERR_MEMORY);
    int s = e->aesInfo & 3;
    size_t saltLength = 4 * (size_t)s + 4;
    uint8_t header[16 + 2];
    if (m_codec->ReadInput(header, (int)saltLength + 2) != (int)(saltLength + 2)) Throw(ZIPERR_READ);
    if (!m_password) Throw(ZIPERR_PASSWORD);
    if (e->compressedSize < saltLength + 2 + 10) Throw(ZIPERR_FORMAT);
    uint8_t verifier[2];
    if (ZipAesInit(m_aes, s, m_password, strlen(m_password), header, verifier))
      Throw(ZIPERR_FORMAT);
    if (memcmp(verifier, header + saltLength, 2) != 0) Throw(ZIPERR_PASSWORD);
    m_aes->dataStart = saltLength + 2;
    m_aes->consumed = saltLength + 2;
    m_aes->dataLength = e->compressedSize - saltLength - 2 - 10;
    m_codec->SetInputFilter(m_aes, ZipAesDecryptFilter);
    return;
  }
  uint8_t header[12];
  if (m_codec->ReadInput(header, 12) != 12) Throw(ZIPERR_READ);
  if (!m_password) Throw(ZIPERR_PASSWORD);
  ZipTraditionalInit(m_keys, m_password);
  ZipTraditionalDecrypt(m_keys, header, 12);
  uint32_t check = (e->flags & ZIP_FLAG_DESCRIPTOR) ? (e->dosTime & 0xFFFF) : (e->crc >> 16);
  if (ZipGet16(header + 10) != check && header[11] != (uint8_t)(check >> 8))
    Throw(ZIPERR_PASSWORD);
  m_codec->SetInputFilter(m_keys, ZipTraditionalDecrypt);
}

// Decompresses one entry into the write function; failures are thrown.
void CZipFile::ExtractCore(int32_t index, void* sink, ZipWriteFunc write, bool test) {
  ZipEntry* e = Entry(index);
  if (!e || !e->valid) Throw(ZIPERR_BAD_INDEX);
  // strong encryption and masked headers are another scheme altogether
  if (e->flags & (ZIP_FLAG_STRONG | ZIP_FLAG_MASKED_HEADER)) Throw(ZIPERR_UNSUPPORTED);
  int method = e->method;
  if (method == ZIP_METHOD_AES) {
    if (!e->aesInfo || !(e->flags & ZIP_FLAG_ENCRYPTED)) Throw(ZIPERR_UNSUPPORTED);
    method = e->aesMethod;
  }
  int sel = SelectCodec(method, e, false);
  if (sel == 1) Throw(ZIPERR_UNSUPPORTED);
  if (sel == 2) Throw(ZIPERR_MEMORY);
  m_progressTotal = e->uncompressedSize;
  SetCurrentEntryName(e->name);
  uint64_t dataStart = e->offset + ZIP_LOCAL_SIZE + e->nameLength + e->localExtraLength;
  // the local header's own lengths count (they may differ from the central)
  {
    uint8_t h[ZIP_LOCAL_SIZE];
    ChanSeek((int64_t)e->offset, 0);
    ChanRead(h, ZIP_LOCAL_SIZE);
    dataStart = e->offset + ZIP_LOCAL_SIZE + ZipGet16(h + 26) + ZipGet16(h + 28);
  }
  if (e->compressedSize > m_dirStart || dataStart + e->compressedSize > m_dirStart)
    Throw(ZIPERR_FORMAT);
  m_codec->FreeBuffers(0);
  ChanSeek((int64_t)dataStart, 0);
  if (IsMemory()) {
    m_codec->SetInputMemory((uint32_t)e->compressedSize, m_main.block + (uint32_t)dataStart,
                            ZIP_NO_CRC, nullptr);
  } else {
    m_codec->SetInputHandle(m_main.file, (int64_t)e->compressedSize, ZIP_NO_CRC);
  }
  SinkWrap wrap = {sink, write};
  m_codec->SetOutputCallback(&wrap, WrapWrite, 0);
  // an entry never yields more than it declares (zip bombs)
  m_codec->SetOutputCap(e->uncompressedSize > (uint64_t)INT64_MAX ? INT64_MAX
                                                                  : (int64_t)e->uncompressedSize);
  if (e->flags & ZIP_FLAG_ENCRYPTED) InitDecryption(e);
  uint64_t produced = 0;
  try {
    produced = m_codec->Decompress(-2);
  } catch (const ZipCodecError& err) {
    m_codec->Reset();
    if (m_codec->OutputCapHit()) Throw(ZIPERR_DECOMPRESS);
    if (e->method == ZIP_METHOD_AES && m_aes && m_aes->verified < 0) Throw(ZIPERR_DECOMPRESS);
    Throw(CodecErrorCode(err.category));
  }
  m_codec->Reset();
  if (e->method == ZIP_METHOD_AES) {
    // The codec may stop at its own end mark: the rest of the data, the
    // tag included, still has to pass the authentication.
    uint8_t rest[512];
    int got;
    while ((got = m_codec->ReadInput(rest, sizeof rest)) > 0) {
    }
    if (got < 0 || m_aes->verified != 1) Throw(ZIPERR_DECOMPRESS);
  }
  uint32_t crc = m_codec->OutputCrc();
  bool crcOk = crc == e->crc || (e->crc == 0 && e->aesInfo && e->method == ZIP_METHOD_AES);
  if (produced != e->uncompressedSize || !crcOk) Throw(test ? ZIPERR_CRC_TEST : ZIPERR_DECOMPRESS);
}

ZipErrorCode CZipFile::ExtractEntry(int32_t index, void* sink, ZipWriteFunc write,
                                    FileFindData* info) {
  if (m_progressState < 2) {
    m_progressDone = m_progressTotal = 0;
    m_progressState = 1;
  }
  m_error = 0;
  try {
    if (!write) Throw(ZIPERR_BAD_INDEX);
    ExtractCore(index, sink, write, false);
    if (write(sink, nullptr, 0) != 0) Throw(ZIPERR_TARGET_WRITE);
  } catch (ZipErrorCode code) {
    if (m_progressState < 2) m_progressState = 0;
    return Fail(code, index);
  }
  ZipEntry* e = m_entries[index];
  if (info) {
    memset(info, 0, sizeof *info);
    // 2 marks a read-only entry here; ExtractToFile sets the file's
    // modification time from the entry either way
    info->attributes = FFD_READABLE | ((e->externalAttributes & 1) ? 2u : 0u);
    info->attributes |= (uint32_t)((e->uncompressedSize >> 32) & 0x3F) << FFD_SIZE_HIGH_SHIFT;
    info->size = (uint32_t)e->uncompressedSize;
    info->created = (uint32_t)(e->created == -1 ? 0 : e->created);
    info->accessed = (uint32_t)(e->accessed == -1 ? 0 : e->accessed);
    info->modified = (uint32_t)(e->modified == -1 ? 0 : e->modified);
  }
  if (m_progressState < 2) {
    m_progressDone = m_progressTotal;
    m_progressState = 0;
  }
  if (NotifyEnabled(ZIPN_EXTRACTED) && Notify(ZIPN_EXTRACTED, index)) return m_error = ZIPERR_ABORT;
  return 0;
}

ZipErrorCode CZipFile::TestEntry(int32_t index) {
  m_error = 0;
  if (NotifyEnabled(ZIPN_TEST) && Notify(ZIPN_TEST, index)) return m_error = ZIPERR_ABORT;
  ZipEntry* e = Entry(index);
  if (e && e->valid && e->uncompressedSize == 0 && e->compressedSize == 0) return 0;
  if (m_progressState < 2) m_progressDone = m_progressTotal = 0;
  int32_t oldState = m_progressState;
  m_progressState = 2;
  try {
    ExtractCore(index, nullptr, [](void*, void*, int size) { return size; }, true);
  } catch (ZipErrorCode code) {
    m_progressState = oldState;
    // Only damaged data make the entry bad (a bad entry is dropped at the
    // next update): a missing password or method is no fault of the data.
    if (e && (code == ZIPERR_CRC_TEST || code == ZIPERR_DECOMPRESS || code == ZIPERR_FORMAT))
      e->bad = 1;
    return Fail(code, index);
  }
  m_progressState = oldState;
  return 0;
}

namespace {

struct MemorySink {
  uint8_t* block;
  uint32_t size;
  uint32_t pos;
};

int MemoryWrite(void* context, void* data, int length) {
  MemorySink* m = (MemorySink*)context;
  if (length <= 0) return 0;
  uint32_t room = m->size - m->pos;
  uint32_t take = (uint32_t)length < room ? (uint32_t)length : room;
  if (take) memcpy(m->block + m->pos, data, take);
  m->pos += take;
  return length;
}

}  // namespace

ZipErrorCode CZipFile::ExtractToMemory(int32_t index, void* block, uint32_t size,
                                       FileFindData* info) {
  MemorySink sink = {(uint8_t*)block, block ? size : 0, 0};
  return ExtractEntry(index, &sink, MemoryWrite, info);
}
