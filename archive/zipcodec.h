// Compression codecs of the ZIP methods. A codec is its own stream: the
// caller sets up the input and output sides, then calls Compress or
// Decompress. Failures set the error category and throw ZipCodecError.
#pragma once
#include <stdint.h>

#include "archive/zipstream.h"

// Error categories of a codec failure.
enum : uint32_t {
  ZIPC_OK = 0,
  ZIPC_READ = 1,         // read error
  ZIPC_WRITE = 2,        // write error or output full
  ZIPC_DATA = 3,         // data error, bad parameter, unsupported feature
  ZIPC_INPUT_END = 4,    // input ended too early
  ZIPC_INIT = 5,         // initialisation failure or wrong mode
  ZIPC_FORMAT = 6,       // format or CRC error
  ZIPC_MEMORY = 7,       // out of memory
  ZIPC_PARAM = 8,        // bad parameter (LZMA)
  ZIPC_UNSUPPORTED = 10,
};

// Status flags.
#define ZIPC_STATUS_STORED 0x4u  // the data were copied unchanged
#define ZIPC_STATUS_GREW 0x10u   // compressed data larger than the input

// What a failing Compress or Decompress throws: the German message (8-bit
// text with static lifetime) and the category, also kept in the codec.
struct ZipCodecError {
  uint32_t category;
  const char* text;
};

class CZipCodec : public CZipStream {
 public:
  CZipCodec();
  ~CZipCodec() override;

  // Compresses the whole input; level -1 keeps the stored level (clamped to
  // 0..9). Returns the compressed byte count (low 32 bits).
  virtual uint32_t Compress(int level) = 0;
  // Decompresses the whole input; mode -2 uses the mode field. Returns the
  // uncompressed byte count.
  virtual uint64_t Decompress(int mode) = 0;
  // Frees the per-operation state; the codec can be used again.
  virtual void Reset() = 0;

  // FreeBuffers(how); unless how is 2 also level 9, mode 8, counts, flags
  // and category 0.
  void ResetCounters(int how);
  // 0/2 level, 1 flags, 3 output CRC, 4 input CRC, 5 compressed count,
  // 6 uncompressed count, 7 input total, 8 output total; 32-bit form adds
  // 9..14, the high halves of 5, 6, 7, 8 and of the two CRCs (0).
  uint64_t GetValue64(int index) const;
  uint32_t GetValue32(int index) const;

  int GetLevel() const { return m_level; }
  void SetLevel(int level) { m_level = level; }
  uint32_t GetMode() const { return m_mode; }
  void SetMode(uint32_t mode) { m_mode = mode; }
  uint32_t GetStatus() const { return m_status; }
  uint32_t GetErrorCategory() const { return m_error; }
  uint64_t UncompressedCount() const { return m_uncompressed; }
  uint64_t CompressedCount() const { return m_compressed; }

 protected:
  [[noreturn]] void Fail(uint32_t category, const char* text);
  void BeginOperation();  // counts, totals, flags and category to 0
  int ClampLevel(int level, int lo, int hi);
  // Stored copy from input to output (sets ZIPC_STATUS_STORED); returns
  // the bytes copied.
  uint64_t CopyStored();
  // The closing write of length 0 that non-memory outputs receive.
  void WriteEndMark();
  // Writes decoded bytes to the output and counts them as uncompressed;
  // a short write fails (memory block full: category 3, cap reached or
  // write error: category 2 with writeText).
  void EmitOutput(const void* data, uint32_t length, const char* writeText);

  uint64_t m_uncompressed;
  uint64_t m_compressed;
  uint32_t m_status;
  int m_level;
  uint32_t m_error;
  uint32_t m_mode;
};

// Methods 0 to 9: stored (mode 0), deflate (8), deflate64 (9, decoding only).
class CZipDeflateCodec : public CZipCodec {
 public:
  uint32_t Compress(int level) override;
  uint64_t Decompress(int mode) override;
  void Reset() override;

 private:
  uint32_t Deflate();
  uint64_t Inflate();
  uint64_t Inflate64();
};

// Method 12.
class CZipBzip2Codec : public CZipCodec {
 public:
  CZipBzip2Codec();
  ~CZipBzip2Codec() override;
  uint32_t Compress(int level) override;
  uint64_t Decompress(int mode) override;
  void Reset() override;

 private:
  void* m_bz;         // bz_stream, created on first use
  uint8_t* m_inBuf;   // owned input buffer
};

// Method 14; mode bits: 1 ZIP LZMA header, 2 property bytes, 4 size field
// (method 14 uses mode 3).
class CZipLzmaCodec : public CZipCodec {
 public:
  CZipLzmaCodec();
  ~CZipLzmaCodec() override;
  uint32_t Compress(int level) override;
  uint64_t Decompress(int mode) override;
  void Reset() override;
  // Up to five property bytes, the rest zero; more than five: 0.
  int SetProperties(const uint8_t* bytes, int count);
  // The entry's uncompressed size, -1 when unknown.
  void SetUncompressedSize(int64_t size) { m_size = size; }

 private:
  void* m_dec;  // CLzmaDec, owned
  uint8_t m_props[5];
  int64_t m_size;
};

// Method 95.
class CZipXzCodec : public CZipCodec {
 public:
  CZipXzCodec();
  ~CZipXzCodec() override;
  uint32_t Compress(int level) override;
  uint64_t Decompress(int mode) override;
  void Reset() override;

 private:
  [[noreturn]] void FailSdk(int res);  // the SDK's result as category and text
};

// Method 98: PPMd variant I revision 1. Mode bit 0: the two-byte ZIP header.
class CZipPpmdCodec : public CZipCodec {
 public:
  CZipPpmdCodec();
  ~CZipPpmdCodec() override;
  uint32_t Compress(int level) override;   // level clamped to 1..7
  uint64_t Decompress(int mode) override;
  void Reset() override;
  // 2 bytes (the ZIP header value) or 5 (order, 32-bit memory size).
  int SetProperties(const uint8_t* bytes, int count);
  // The entry's uncompressed size, -1 when unknown (then the end mark or
  // the end of the input ends the data).
  void SetUncompressedSize(int64_t size) { m_size = size; }

 private:
  uint32_t m_propKind;
  uint8_t m_props[5];
  int64_t m_size;
};
