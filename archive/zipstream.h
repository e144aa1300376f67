// The byte channel between an archive and a codec: an input side the codec
// reads from and an output side it writes to, each over a memory block, a
// caller's callback, a runtime FILE stream or a file handle, with optional
// CRC-32, observer, transform filter, byte totals and a buffered layer.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "files/fileio.h"

// Moves up to length bytes; returns the count moved, 0 at the end, -1 on error.
typedef int (*ZipTransferFunc)(void* context, void* data, int length);
// Changes length bytes in place; returns the count to report, -1 on error.
typedef int (*ZipFilterFunc)(void* context, void* data, int length);
// Sees the bytes after each transfer (the CRC hook has this form too).
typedef void (*ZipObserverFunc)(void* context, const void* data, int length);

// Reflected CRC-32 (0xEDB88320) without pre- or post-complement; a length
// below 1 returns crc unchanged.
uint32_t ZipCrc32(uint32_t crc, const void* data, int length);
// The same through a pointer to the running value (the stream's CRC hook).
void ZipCrc32Update(void* runningValue, const void* data, int length);
// The standard 256-entry table (the traditional decryption keys use it).
extern const uint32_t ZipCrc32Table[256];
// One step: (crc >> 8) ^ table[(crc ^ byte) & 0xFF].
inline uint32_t ZipCrc32Byte(uint32_t crc, uint8_t byte) {
  return (crc >> 8) ^ ZipCrc32Table[(crc ^ byte) & 0xFF];
}

// Seed that asks for no CRC on a side.
#define ZIP_NO_CRC 0x12345678u
// Size of the transfer block and the part of it the codecs use.
#define ZIP_COPY_BUFFER_SIZE 16400u
#define ZIP_COPY_CHUNK 0x4000u

class CZipStream {
 public:
  enum Kind { kMemory = 0, kCallback = 1, kFile = 2, kHandle = 3, kNone = 4 };

  CZipStream();
  virtual ~CZipStream();
  CZipStream(const CZipStream&) = delete;
  CZipStream& operator=(const CZipStream&) = delete;

  // Set-up. crcSeed 0 gives the standard CRC-32; ZIP_NO_CRC runs none.
  // counter (may be null) receives every chunk moved over a memory side.
  void SetInputMemory(uint32_t size, const void* block, uint32_t crcSeed, uint32_t* counter);
  void SetOutputMemory(uint32_t size, void* block, uint32_t crcSeed, uint32_t* counter);
  void SetInputCallback(void* context, ZipTransferFunc func, uint32_t crcSeed);
  void SetOutputCallback(void* context, ZipTransferFunc func, uint32_t crcSeed);
  // limit: the most bytes this side moves in all (negative: unlimited).
  void SetInputFile(FILE* file, int64_t limit, uint32_t crcSeed);
  void SetOutputFile(FILE* file, int64_t limit, uint32_t crcSeed);
  void SetInputHandle(FioHandle handle, int64_t limit, uint32_t crcSeed);
  void SetOutputHandle(FioHandle handle, int64_t limit, uint32_t crcSeed);
  void SetOutputHighWater(uint32_t* mark);
  // An observer sees every chunk after the CRC hook; null removes it.
  void SetInputObserver(void* context, ZipObserverFunc func);
  void SetOutputObserver(void* context, ZipObserverFunc func);
  void SetInputFilter(void* context, ZipFilterFunc transform);
  void SetOutputFilter(void* context, ZipFilterFunc transform, bool copying);
  // The most bytes the output side accepts in all, whatever its kind; a
  // write that would pass it fails whole (-1) and sets the overflow flag.
  // Negative: no cap (the default; set-up of the output side clears it).
  void SetOutputCap(int64_t maxBytes);
  bool OutputCapHit() const { return m_out.capHit; }

  // Unbuffered transfers through the side's current function (with limit,
  // filter, CRC and observer); 0 for a length below 1, -1 on error.
  int ReadInput(void* data, int length);
  int WriteOutput(const void* data, int length);

  // Buffered layer.
  int PrepareOutputBuffer(uint32_t size);  // 1, or 0 when out of memory
  int Write(const void* data, uint32_t length);  // 0, or 1 when a flush fails
  int Flush();                                   // 0, or 1 on a short write
  int PrepareInputBuffer(uint32_t size);  // 1, or 0 when out of memory
  uint32_t Read(void* data, uint32_t length);  // bytes delivered
  uint32_t Fill(uint32_t minimum);             // bytes available in the buffer
  int ReadIntoOutput();  // into a memory output: bytes, or the read's result below 1; -1 when full
  uint8_t* GetCopyBuffer();  // the 16,400-byte transfer block, or null
  // how 0 or 2 frees the buffers; 0 and 1 then clear every set-up field.
  void FreeBuffers(int how);

  // (stream, data, length) callbacks for libraries that take callbacks.
  static int WriteProc(void* stream, void* data, int length);
  static int ReadProc(void* stream, void* data, int length);

  // Final CRCs (complemented running values) and byte totals.
  uint32_t InputCrc() const { return ~m_in.crc; }
  uint32_t OutputCrc() const { return ~m_out.crc; }
  uint64_t InputTotal() const { return m_in.total; }
  uint64_t OutputTotal() const { return m_out.total; }
  int InputKind() const { return m_in.kind; }
  int OutputKind() const { return m_out.kind; }
  bool InputEnded() const { return m_in.ended; }
  bool InputFailed() const { return m_in.failed; }
  bool OutputFailed() const { return m_out.failed; }

 protected:
  struct Side {
    int kind;
    int64_t limit;       // remaining bytes, negative: unlimited
    uint8_t* memBase;    // memory block
    uint32_t memSize;
    uint32_t memPos;
    uint32_t* counter;   // caller's counter, or &ownCounter
    uint32_t ownCounter;
    uint32_t* highWater; // output only
    FILE* file;
    FioHandle handle;
    ZipTransferFunc func;    // current transfer function
    void* funcCtx;
    ZipTransferFunc userFunc;  // caller's callback
    void* userCtx;
    ZipTransferFunc prevFunc;  // under a filter or observer
    void* prevCtx;
    ZipFilterFunc filter;
    void* filterCtx;
    bool filterCopying;
    uint32_t crc;             // running value
    ZipObserverFunc hook;     // CRC hook (null: no CRC)
    void* hookCtx;
    ZipObserverFunc observer;
    void* observerCtx;
    uint64_t total;
    uint8_t* buf;       // buffered layer
    uint32_t bufPos;    // read position (input) / flushed position (output)
    uint32_t bufEnd;    // end of data (input) / fill (output)
    uint32_t bufCap;
    bool bufIsBlock;    // the buffer is the memory block itself
    bool ended;         // input: end of input seen
    bool failed;        // a transfer of this side gave an error
    int64_t cap;        // output: bytes still accepted, negative: no cap
    bool capHit;
  };

  Side m_in;
  Side m_out;
  uint8_t* m_copyBuffer;

  // The rest of a memory input, counted at once (CRC, counter, position,
  // total); returns the bytes and sets *length.
  const uint8_t* TakeMemoryInput(uint32_t* length);
  // Counts bytes written straight into a memory output at its position.
  void CommitMemoryOutput(uint32_t length);
  uint32_t MemoryOutputSpace() const { return m_out.memSize - m_out.memPos; }
  uint8_t* MemoryOutputPtr() const { return m_out.memBase + m_out.memPos; }

 private:
  void ClearSide(Side& s, bool freeBuffers);
  void InitSide(Side& s, int kind, uint32_t crcSeed);
  static void Account(Side& s, const void* data, uint32_t length);
  static int MemRead(void* ctx, void* data, int length);
  static int MemWrite(void* ctx, void* data, int length);
  static int FileRead(void* ctx, void* data, int length);
  static int FileWrite(void* ctx, void* data, int length);
  static int HandleRead(void* ctx, void* data, int length);
  static int HandleWrite(void* ctx, void* data, int length);
  static int FilterRead(void* ctx, void* data, int length);
  static int FilterWrite(void* ctx, void* data, int length);
};
