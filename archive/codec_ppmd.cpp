// Method 98: PPMd variant I revision 1 behind the two-byte ZIP header.
#include <string.h>

#include <memory>
#include <mutex>

#include "archive/codec_sdk.h"
#include "archive/ppmd8_model.h"
#include "archive/zipcodec.h"

namespace {

const char kNoMemory[] = "Zu wenig SPeicher";
const char kWriteError[] = "Fehler beim Speichern";
const char kReadError[] = "Fehler beim Lesen";
const char kInternal[] = "Interner Fehler";
const char kFormatError[] = "Formatfehler";
const char kInputEnded[] = "Ende der Eingabe erreicht";

[[noreturn]] void Raise(uint32_t category) { throw category; }

// Models can be hundreds of MiB: one operation at a time in the process.
std::mutex& PpmdLock() {
  static std::mutex lock;
  return lock;
}

// The stream's input buffer, byte by byte.
struct BufferReader : PpmdModel::Input {
  CZipStream* stream;
  uint8_t* const* buf;
  uint32_t* pos;
  uint32_t* end;
  bool extra = false;
  uint64_t count = 0;
  uint8_t ReadByte() override {
    if (*pos == *end && stream->Fill(1) == 0) {
      extra = true;
      return 0;
    }
    ++count;
    return (*buf)[(*pos)++];
  }
};

// The stream's output buffer, byte by byte; a failed flush throws 2.
struct BufferWriter : PpmdModel::Output {
  CZipStream* stream;
  uint8_t* const* buf;
  uint32_t* end;
  uint32_t cap;
  uint64_t count = 0;
  void WriteByte(uint8_t b) override {
    if (*end >= cap && (stream->Flush() || *end >= cap)) Raise(ZIPC_WRITE);
    (*buf)[(*end)++] = b;
    ++count;
  }
};

}  // namespace

CZipPpmdCodec::CZipPpmdCodec() : m_propKind(2), m_size(-1) {
  memset(m_props, 0, sizeof(m_props));
  m_mode = 1;
}

CZipPpmdCodec::~CZipPpmdCodec() {}

void CZipPpmdCodec::Reset() {}

int CZipPpmdCodec::SetProperties(const uint8_t* bytes, int count) {
  if ((count != 2 && count != 5) || !bytes) return 0;
  memset(m_props, 0, sizeof(m_props));
  memcpy(m_props, bytes, static_cast<size_t>(count));
  m_propKind = static_cast<uint32_t>(count);
  return count;
}

uint32_t CZipPpmdCodec::Compress(int level) {
  ClampLevel(level, 1, 7);
  BeginOperation();
  const unsigned order = 16 - static_cast<unsigned>(m_level);
  const uint32_t memMiB = static_cast<uint32_t>(m_level) + 7;
  if (!PrepareInputBuffer(8192) || !PrepareOutputBuffer(8192)) Fail(ZIPC_MEMORY, kNoMemory);
  BufferReader in;
  in.stream = this;
  in.buf = &m_in.buf;
  in.pos = &m_in.bufPos;
  in.end = &m_in.bufEnd;
  BufferWriter out;
  out.stream = this;
  out.buf = &m_out.buf;
  out.end = &m_out.bufEnd;
  out.cap = m_out.bufCap;

  std::lock_guard<std::mutex> hold(PpmdLock());
  std::unique_ptr<PpmdModel> model(new (std::nothrow) PpmdModel);
  if (!model || !model->Allocate(memMiB << 20)) Fail(ZIPC_MEMORY, kNoMemory);
  try {
    if (m_mode & 1) {
      uint32_t v = (order - 1) | ((memMiB - 1) << 4);  // restoration method 0: restart
      out.WriteByte(static_cast<uint8_t>(v));
      out.WriteByte(static_cast<uint8_t>(v >> 8));
    }
    model->Init(order, PpmdModel::kRestart);
    model->EncoderInit();
    for (;;) {
      uint8_t b = in.ReadByte();
      if (in.extra) break;
      model->EncodeSymbol(b, out);
      m_uncompressed = in.count;
    }
    if (InputFailed()) Raise(ZIPC_READ);
    model->EncodeSymbol(-1, out);  // the end mark, as other tools write it
    model->EncoderFlush(out);
    if (Flush()) Raise(ZIPC_WRITE);
  } catch (uint32_t category) {
    m_uncompressed = in.count;
    m_compressed = out.count;
    if (category == ZIPC_WRITE) Fail(ZIPC_WRITE, kWriteError);
    if (category == ZIPC_READ) Fail(ZIPC_READ, kReadError);
    Fail(ZIPC_DATA, kInternal);
  }
  m_uncompressed = in.count;
  m_compressed = out.count;
  WriteEndMark();
  return static_cast<uint32_t>(m_compressed);
}

uint64_t CZipPpmdCodec::Decompress(int mode) {
  if (mode != -2) m_mode = static_cast<uint32_t>(mode);
  BeginOperation();
  if (!PrepareInputBuffer(65536) || !PrepareOutputBuffer(65536)) Fail(ZIPC_MEMORY, kNoMemory);
  BufferReader in;
  in.stream = this;
  in.buf = &m_in.buf;
  in.pos = &m_in.bufPos;
  in.end = &m_in.bufEnd;
  BufferWriter out;
  out.stream = this;
  out.buf = &m_out.buf;
  out.end = &m_out.bufEnd;
  out.cap = m_out.bufCap;

  unsigned order, restore;
  uint32_t memSize;
  uint8_t head[2];
  if (m_mode & 1) {
    head[0] = in.ReadByte();
    head[1] = in.ReadByte();
    if (in.extra) Fail(ZIPC_READ, kReadError);
  } else {
    head[0] = m_props[0];
    head[1] = m_props[1];
  }
  if (!(m_mode & 1) && m_propKind == 5) {
    order = m_props[0];
    memSize = m_props[1] | (m_props[2] << 8) | (m_props[3] << 16) | (static_cast<uint32_t>(m_props[4]) << 24);
    restore = 0;
  } else {
    unsigned v = head[0] | (head[1] << 8);
    order = (v & 15) + 1;
    memSize = (((v >> 4) & 0xFF) + 1) << 20;
    restore = v >> 12;
  }
  if (order < PpmdModel::kMinOrder || order > PpmdModel::kMaxOrder || restore > 2 || memSize < PpmdModel::kMinMemory)
    Fail(ZIPC_FORMAT, kFormatError);
  if (memSize > ZIP_CODEC_MAX_DICT) Fail(ZIPC_MEMORY, kNoMemory);

  std::lock_guard<std::mutex> hold(PpmdLock());
  std::unique_ptr<PpmdModel> model(new (std::nothrow) PpmdModel);
  if (!model || !model->Allocate(memSize)) Fail(ZIPC_MEMORY, kNoMemory);
  const char* failText = nullptr;
  uint32_t failCategory = 0;
  try {
    if (m_mode & 2) {
      uint8_t zero = in.ReadByte();
      if (in.extra) Raise(ZIPC_READ);
      if (zero != 0) Raise(ZIPC_FORMAT);
    }
    model->Init(order, restore);
    if (!model->DecoderInit(in)) Raise(ZIPC_FORMAT);
    if (in.extra) Raise(ZIPC_INPUT_END);
    const bool sized = m_size >= 0;
    const uint64_t size = sized ? static_cast<uint64_t>(m_size) : 0;
    uint64_t n = 0;
    while (!sized || n < size) {
      int sym = model->DecodeSymbol(in);
      if (in.extra) {
        if (sized) Raise(ZIPC_INPUT_END);  // the data end before the size
        break;
      }
      if (sym == -1) {
        if (sized) Raise(ZIPC_FORMAT);
        break;
      }
      if (sym < 0) Raise(ZIPC_FORMAT);
      out.WriteByte(static_cast<uint8_t>(sym));
      ++n;
    }
    if (Flush()) Raise(ZIPC_WRITE);
  } catch (uint32_t category) {
    failCategory = category;
  }
  m_uncompressed = out.count;
  m_compressed = in.count;
  if (InputFailed()) failCategory = ZIPC_READ;
  switch (failCategory) {
    case 0: break;
    case ZIPC_WRITE:
      failText = m_out.capHit ? "Fehler Speicherüberlauf des Ausgabepuffers" : kWriteError;
      break;
    case ZIPC_READ: failText = kReadError; break;
    case ZIPC_FORMAT: failText = kFormatError; break;
    case ZIPC_INPUT_END: failText = kInputEnded; break;
    default: failCategory = ZIPC_DATA; failText = kInternal; break;
  }
  if (failText) Fail(failCategory, failText);
  WriteEndMark();
  return m_uncompressed;
}
