#include "archive/zipstream.h"

#include <limits.h>

#include <initializer_list>
#include <stdlib.h>
#include <string.h>

CZipStream::CZipStream() : m_copyBuffer(nullptr) {
  ClearSide(m_in, false);
  ClearSide(m_out, false);
}

CZipStream::~CZipStream() { FreeBuffers(0); }

void CZipStream::ClearSide(Side& s, bool freeBuffers) {
  if (freeBuffers && s.buf && !s.bufIsBlock) free(s.buf);
  memset(&s, 0, sizeof(s));
  s.kind = kNone;
  s.limit = -1;
  s.cap = -1;
  s.handle = FIO_INVALID;
  s.counter = &s.ownCounter;
}

// Common part of every set-up: position 0, kind, CRC; the owned buffer is
// kept for reuse, a buffer that was a memory block is forgotten.
void CZipStream::InitSide(Side& s, int kind, uint32_t crcSeed) {
  uint8_t* buf = (s.buf && !s.bufIsBlock) ? s.buf : nullptr;
  uint32_t cap = buf ? s.bufCap : 0;
  ClearSide(s, false);
  s.buf = buf;
  s.bufCap = cap;
  s.kind = kind;
  s.crc = ~crcSeed;
  if (crcSeed != ZIP_NO_CRC) {
    s.hook = ZipCrc32Update;
    s.hookCtx = &s.crc;
  }
}

void CZipStream::Account(Side& s, const void* data, uint32_t length) {
  if (length == 0) return;
  // Hooks take int lengths; huge memory blocks are counted in pieces.
  const uint8_t* p = static_cast<const uint8_t*>(data);
  uint32_t left = length;
  while (left > 0) {
    int n = left > 0x40000000u ? 0x40000000 : static_cast<int>(left);
    if (s.hook) s.hook(s.hookCtx, p, n);
    if (s.observer) s.observer(s.observerCtx, p, n);
    p += n;
    left -= static_cast<uint32_t>(n);
  }
  s.total += length;
}

// ------------------------------------------------------------------ set-up

void CZipStream::SetInputMemory(uint32_t size, const void* block, uint32_t crcSeed, uint32_t* counter) {
  InitSide(m_in, kMemory, crcSeed);
  m_in.memBase = static_cast<uint8_t*>(const_cast<void*>(block));
  m_in.memSize = block ? size : 0;
  if (counter) m_in.counter = counter;
  m_in.func = MemRead;
  m_in.funcCtx = &m_in;
}

void CZipStream::SetOutputMemory(uint32_t size, void* block, uint32_t crcSeed, uint32_t* counter) {
  InitSide(m_out, kMemory, crcSeed);
  m_out.memBase = static_cast<uint8_t*>(block);
  m_out.memSize = block ? size : 0;
  if (counter) m_out.counter = counter;
  m_out.func = MemWrite;
  m_out.funcCtx = &m_out;
}

void CZipStream::SetInputCallback(void* context, ZipTransferFunc func, uint32_t crcSeed) {
  InitSide(m_in, func ? kCallback : kNone, crcSeed);
  m_in.userFunc = m_in.func = func;
  m_in.userCtx = m_in.funcCtx = context;
}

void CZipStream::SetOutputCallback(void* context, ZipTransferFunc func, uint32_t crcSeed) {
  InitSide(m_out, func ? kCallback : kNone, crcSeed);
  m_out.userFunc = m_out.func = func;
  m_out.userCtx = m_out.funcCtx = context;
}

void CZipStream::SetInputFile(FILE* file, int64_t limit, uint32_t crcSeed) {
  InitSide(m_in, file ? kFile : kNone, crcSeed);
  m_in.file = file;
  m_in.limit = limit;
  m_in.func = FileRead;
  m_in.funcCtx = &m_in;
}

void CZipStream::SetOutputFile(FILE* file, int64_t limit, uint32_t crcSeed) {
  InitSide(m_out, file ? kFile : kNone, crcSeed);
  m_out.file = file;
  m_out.limit = limit;
  m_out.func = FileWrite;
  m_out.funcCtx = &m_out;
}

void CZipStream::SetInputHandle(FioHandle handle, int64_t limit, uint32_t crcSeed) {
  InitSide(m_in, handle != FIO_INVALID ? kHandle : kNone, crcSeed);
  m_in.handle = handle;
  m_in.limit = limit;
  m_in.func = HandleRead;
  m_in.funcCtx = &m_in;
}

void CZipStream::SetOutputHandle(FioHandle handle, int64_t limit, uint32_t crcSeed) {
  InitSide(m_out, handle != FIO_INVALID ? kHandle : kNone, crcSeed);
  m_out.handle = handle;
  m_out.limit = limit;
  m_out.func = HandleWrite;
  m_out.funcCtx = &m_out;
}

void CZipStream::SetOutputHighWater(uint32_t* mark) { m_out.highWater = mark; }

void CZipStream::SetInputObserver(void* context, ZipObserverFunc func) {
  m_in.observer = func;
  m_in.observerCtx = func ? context : nullptr;
}

void CZipStream::SetOutputObserver(void* context, ZipObserverFunc func) {
  m_out.observer = func;
  m_out.observerCtx = func ? context : nullptr;
}

// A filtered side never hands its memory block over directly, since every
// byte has to pass the transform: it runs as a callback side from now on.
void CZipStream::SetInputFilter(void* context, ZipFilterFunc transform) {
  if (!transform || m_in.kind == kNone) return;
  m_in.prevFunc = m_in.func;
  m_in.prevCtx = m_in.funcCtx;
  m_in.filter = transform;
  m_in.filterCtx = context;
  m_in.func = FilterRead;
  m_in.funcCtx = &m_in;
  if (m_in.kind == kMemory) m_in.kind = kCallback;
}

void CZipStream::SetOutputFilter(void* context, ZipFilterFunc transform, bool copying) {
  if (!transform || m_out.kind == kNone) return;
  m_out.prevFunc = m_out.func;
  m_out.prevCtx = m_out.funcCtx;
  m_out.filter = transform;
  m_out.filterCtx = context;
  m_out.filterCopying = copying;
  m_out.func = FilterWrite;
  m_out.funcCtx = &m_out;
  if (m_out.kind == kMemory) m_out.kind = kCallback;
}

void CZipStream::SetOutputCap(int64_t maxBytes) {
  m_out.cap = maxBytes < 0 ? -1 : maxBytes;
  m_out.capHit = false;
}

// ------------------------------------------------------- transfer functions

int CZipStream::MemRead(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  uint32_t n = s.memSize - s.memPos;
  if (n > static_cast<uint32_t>(length)) n = static_cast<uint32_t>(length);
  if (n) memcpy(data, s.memBase + s.memPos, n);
  s.memPos += n;
  *s.counter += n;
  return static_cast<int>(n);
}

int CZipStream::MemWrite(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  uint32_t n = s.memSize - s.memPos;
  if (n > static_cast<uint32_t>(length)) n = static_cast<uint32_t>(length);
  if (n) memcpy(s.memBase + s.memPos, data, n);
  s.memPos += n;
  *s.counter += n;
  if (s.highWater && *s.highWater < *s.counter) *s.highWater = *s.counter;
  return static_cast<int>(n);
}

// One read or write of at most what the side's limit leaves (limit < 0: no
// limit); op moves up to n bytes and returns the count or -1.
template <typename Op>
static int LimitedIo(int64_t& limit, int length, Op op) {
  if (limit >= 0 && length > limit) length = static_cast<int>(limit);
  if (length <= 0) return 0;
  long long n = op(static_cast<size_t>(length));
  if (n < 0) return -1;
  if (limit >= 0) limit -= n;
  return static_cast<int>(n);
}

int CZipStream::FileRead(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  return LimitedIo(s.limit, length, [&](size_t len) -> long long {
    size_t n = fread(data, 1, len, s.file);
    return n < len && ferror(s.file) ? -1 : static_cast<long long>(n);
  });
}

int CZipStream::FileWrite(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  return LimitedIo(s.limit, length, [&](size_t len) -> long long {
    return fwrite(data, 1, len, s.file) < len ? -1 : static_cast<long long>(len);
  });
}

int CZipStream::HandleRead(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  return LimitedIo(s.limit, length, [&](size_t len) -> long long { return FioRead(s.handle, data, len); });
}

int CZipStream::HandleWrite(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  return LimitedIo(s.limit, length, [&](size_t len) -> long long { return FioWrite(s.handle, data, len); });
}

// A transform may hold bytes back (an authentication tag at the end): a
// chunk that yields nothing is followed by the next until the source ends.
int CZipStream::FilterRead(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  for (;;) {
    int n = s.prevFunc(s.prevCtx, data, length);
    if (n <= 0) return n;
    int r = s.filter(s.filterCtx, data, n);
    if (r != 0) return r < 0 ? -1 : (r > n ? -1 : r);
  }
}

int CZipStream::FilterWrite(void* ctx, void* data, int length) {
  Side& s = *static_cast<Side*>(ctx);
  if (!s.filterCopying) {
    int r = s.filter(s.filterCtx, data, length);
    if (r < 0) return -1;
    int n = s.prevFunc(s.prevCtx, data, r);
    if (n < 0) return -1;
    return n < r ? length - 1 : length;
  }
  uint8_t local[4096];
  const uint8_t* p = static_cast<const uint8_t*>(data);
  int shortChunks = 0;
  int done = 0;
  while (done < length) {
    int chunk = length - done > 4096 ? 4096 : length - done;
    memcpy(local, p + done, static_cast<size_t>(chunk));
    int r = s.filter(s.filterCtx, local, chunk);
    if (r < 0) return -1;
    int n = s.prevFunc(s.prevCtx, local, r);
    if (n < 0) return -1;
    if (n < r) ++shortChunks;
    done += chunk;
  }
  return length - shortChunks;
}

// ---------------------------------------------------------------- transfers

int CZipStream::ReadInput(void* data, int length) {
  if (length < 1) return 0;
  Side& s = m_in;
  if (s.kind == kNone || !s.func) {
    s.failed = true;
    return -1;
  }
  int n = s.func(s.funcCtx, data, length);
  if (n < 0 || n > length) {
    s.failed = true;
    return -1;
  }
  Account(s, data, static_cast<uint32_t>(n));
  return n;
}

int CZipStream::WriteOutput(const void* data, int length) {
  if (length < 1) return 0;
  Side& s = m_out;
  if (s.kind == kNone || !s.func) {
    s.failed = true;
    return -1;
  }
  if (s.cap >= 0 && length > s.cap) {
    s.capHit = true;
    s.failed = true;
    return -1;
  }
  void* p = const_cast<void*>(data);
  // An in-place filter changes the bytes: the CRC sees them before.
  bool before = s.filter && !s.filterCopying;
  if (before) {
    if (s.hook) s.hook(s.hookCtx, data, length);
    if (s.observer) s.observer(s.observerCtx, data, length);
  }
  int n = s.func(s.funcCtx, p, length);
  if (n < 0 || n > length) {
    s.failed = true;
    return -1;
  }
  if (s.cap >= 0) s.cap -= n;
  if (before)
    s.total += static_cast<uint32_t>(n);
  else
    Account(s, data, static_cast<uint32_t>(n));
  return n;
}

const uint8_t* CZipStream::TakeMemoryInput(uint32_t* length) {
  Side& s = m_in;
  uint32_t n = s.memSize - s.memPos;
  const uint8_t* p = s.memBase + s.memPos;
  Account(s, p, n);
  *s.counter += n;
  s.memPos = s.memSize;
  *length = n;
  return p;
}

void CZipStream::CommitMemoryOutput(uint32_t length) {
  Side& s = m_out;
  uint32_t space = s.memSize - s.memPos;
  if (length > space) length = space;
  Account(s, s.memBase + s.memPos, length);
  s.memPos += length;
  *s.counter += length;
  if (s.cap >= 0) s.cap -= length;
  if (s.highWater && *s.highWater < *s.counter) *s.highWater = *s.counter;
}

// ----------------------------------------------------------- buffered layer

int CZipStream::PrepareOutputBuffer(uint32_t size) {
  Side& s = m_out;
  if (s.kind == kMemory) {
    if (s.buf && !s.bufIsBlock) free(s.buf);
    s.buf = s.memBase;
    s.bufIsBlock = true;
    s.bufPos = s.bufEnd = s.memPos;
    s.bufCap = s.memSize;
    return 1;
  }
  if (size == 0 || size > 0x7FFFFFEFu) return 0;
  if (!s.buf || s.bufIsBlock || s.bufCap < size) {
    if (s.buf && !s.bufIsBlock) free(s.buf);
    s.buf = static_cast<uint8_t*>(malloc(size + 16));
    s.bufIsBlock = false;
    s.bufCap = s.buf ? size : 0;
    if (!s.buf) return 0;
  }
  s.bufPos = s.bufEnd = 0;
  return 1;
}

int CZipStream::Write(const void* data, uint32_t length) {
  Side& s = m_out;
  if (!s.buf) return WriteOutput(data, static_cast<int>(length)) == static_cast<int>(length) ? 0 : 1;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (length > 0) {
    uint32_t space = s.bufCap - s.bufEnd;
    if (space == 0) {
      if (Flush()) return 1;
      space = s.bufCap - s.bufEnd;
      if (space == 0) {  // a memory block that is full
        s.failed = true;
        return 1;
      }
    }
    uint32_t n = length < space ? length : space;
    if (s.cap >= 0 && s.kind == kMemory && static_cast<int64_t>(s.bufEnd - s.bufPos) + n > s.cap) {
      s.capHit = s.failed = true;
      return 1;
    }
    memcpy(s.buf + s.bufEnd, p, n);
    s.bufEnd += n;
    p += n;
    length -= n;
    if (s.bufEnd == s.bufCap && Flush()) return 1;
  }
  return 0;
}

int CZipStream::Flush() {
  Side& s = m_out;
  if (!s.buf) return 0;
  if (s.bufIsBlock) {
    uint32_t end = s.bufEnd < s.memSize ? s.bufEnd : s.memSize;
    if (end > s.bufPos) {
      // the block itself is the buffer: its position trails the fill
      s.memPos = s.bufPos;
      CommitMemoryOutput(end - s.bufPos);
      s.bufPos = end;
    }
    return 0;
  }
  uint32_t n = s.bufEnd - s.bufPos;
  if (n == 0) {
    s.bufPos = s.bufEnd = 0;
    return 0;
  }
  int w = WriteOutput(s.buf + s.bufPos, static_cast<int>(n));
  if (w < 0) return 1;
  s.bufPos += static_cast<uint32_t>(w);
  if (s.bufPos < s.bufEnd) {
    s.failed = true;
    return 1;
  }
  s.bufPos = s.bufEnd = 0;
  return 0;
}

int CZipStream::PrepareInputBuffer(uint32_t size) {
  Side& s = m_in;
  s.ended = false;
  if (s.kind == kMemory) {
    if (s.buf && !s.bufIsBlock) free(s.buf);
    uint32_t n;
    s.buf = const_cast<uint8_t*>(TakeMemoryInput(&n));
    s.bufIsBlock = true;
    s.bufPos = 0;
    s.bufEnd = n;
    s.bufCap = n;
    return 1;
  }
  if (size == 0 || size > 0x7FFFFFEFu) return 0;
  if (!s.buf || s.bufIsBlock || s.bufCap < size) {
    if (s.buf && !s.bufIsBlock) free(s.buf);
    s.buf = static_cast<uint8_t*>(malloc(size + 16));
    s.bufIsBlock = false;
    s.bufCap = s.buf ? size : 0;
    if (!s.buf) return 0;
  }
  s.bufPos = s.bufEnd = 0;
  return 1;
}

uint32_t CZipStream::Read(void* data, uint32_t length) {
  Side& s = m_in;
  if (!s.buf) {
    int n = ReadInput(data, length > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(length));
    if (n == 0) s.ended = true;
    return n > 0 ? static_cast<uint32_t>(n) : 0;
  }
  uint8_t* p = static_cast<uint8_t*>(data);
  uint32_t done = 0;
  while (done < length) {
    uint32_t avail = s.bufEnd - s.bufPos;
    if (avail == 0) {
      if (s.bufIsBlock) {
        s.ended = true;
        break;
      }
      if (Fill(1024) == 0) break;
      continue;
    }
    uint32_t n = length - done < avail ? length - done : avail;
    memcpy(p + done, s.buf + s.bufPos, n);
    s.bufPos += n;
    done += n;
  }
  return done;
}

uint32_t CZipStream::Fill(uint32_t minimum) {
  Side& s = m_in;
  if (!s.buf) return 0;
  uint32_t avail = s.bufEnd - s.bufPos;
  if (s.bufIsBlock) {
    if (avail == 0) s.ended = true;
    return avail;
  }
  if (minimum > s.bufCap) minimum = s.bufCap;
  if (avail >= minimum && avail > 0) return avail;
  if (s.ended) return avail;
  if (avail && s.bufPos) memmove(s.buf, s.buf + s.bufPos, avail);
  s.bufPos = 0;
  s.bufEnd = avail;
  uint32_t room = s.bufCap - s.bufEnd;
  int n = ReadInput(s.buf + s.bufEnd, room > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(room));
  if (n < 0) return 0;
  if (n == 0) s.ended = true;
  s.bufEnd += static_cast<uint32_t>(n);
  return s.bufEnd - s.bufPos;
}

int CZipStream::ReadIntoOutput() {
  Side& o = m_out;
  if (o.kind != kMemory) return -1;
  uint32_t space = o.memSize - o.memPos;
  if (space == 0) return -1;
  if (space > 0x7FFFFFFFu) space = 0x7FFFFFFF;
  if (o.cap >= 0 && space > o.cap) space = static_cast<uint32_t>(o.cap) + 1;  // one more shows an overflow
  int n = ReadInput(o.memBase + o.memPos, static_cast<int>(space));
  if (n < 1) return n;
  if (o.cap >= 0 && n > o.cap) {
    o.capHit = o.failed = true;
    return -1;
  }
  CommitMemoryOutput(static_cast<uint32_t>(n));
  return n;
}

uint8_t* CZipStream::GetCopyBuffer() {
  if (!m_copyBuffer) m_copyBuffer = static_cast<uint8_t*>(malloc(ZIP_COPY_BUFFER_SIZE));
  return m_copyBuffer;
}

void CZipStream::FreeBuffers(int how) {
  if (how == 0 || how == 2) {
    free(m_copyBuffer);
    m_copyBuffer = nullptr;
    for (Side* s : {&m_in, &m_out}) {
      if (s->buf && !s->bufIsBlock) free(s->buf);
      s->buf = nullptr;
      s->bufIsBlock = false;
      s->bufPos = s->bufEnd = s->bufCap = 0;
    }
    if (how == 2) return;
  }
  ClearSide(m_in, true);
  ClearSide(m_out, true);
}

int CZipStream::WriteProc(void* stream, void* data, int length) {
  CZipStream* z = static_cast<CZipStream*>(stream);
  if (length < 1) return 0;
  return z->Write(data, static_cast<uint32_t>(length)) ? -1 : length;
}

int CZipStream::ReadProc(void* stream, void* data, int length) {
  CZipStream* z = static_cast<CZipStream*>(stream);
  if (length < 1) return 0;
  return static_cast<int>(z->Read(data, static_cast<uint32_t>(length)));
}
