// Decoder of raw deflate data and of its 64 KiB-window variant "deflate64"
// (ZIP method 9): length code 285 carries 16 extra bits (lengths 3 to
// 65538), distance codes 30 and 31 reach back up to 65536 bytes.
#pragma once
#include <stddef.h>
#include <stdint.h>

class ZipInflater {
 public:
  enum Result { kDone = 0, kReadError, kWriteError, kDataError, kTruncated, kNoMemory };

  // Returns the bytes available at *data (0 at the end of the input, -1 on
  // a read error). The bytes stay valid until the next call.
  typedef int (*InputFunc)(void* ctx, const uint8_t** data);
  // Takes length decoded bytes; false stops the decoder.
  typedef bool (*OutputFunc)(void* ctx, const uint8_t* data, uint32_t length);

  explicit ZipInflater(bool deflate64);
  ~ZipInflater();
  ZipInflater(const ZipInflater&) = delete;
  ZipInflater& operator=(const ZipInflater&) = delete;

  Result Run(InputFunc in, void* inCtx, OutputFunc out, void* outCtx);
  // Input bytes used up to the end of the last block.
  uint64_t Consumed() const { return m_consumed; }

 private:
  struct Huffman;
  struct Abort {
    Result result;
  };

  static Huffman MakeFixed(bool literals);
  uint32_t Bits(int n);
  void NeedBits(int n);
  bool MoreInput();
  int Decode(const Huffman& h);
  void Stored();
  void Codes(const Huffman& lit, const Huffman& dist);
  void Dynamic();
  void PutByte(uint8_t b);
  void FlushWindow();

  bool m_d64;
  InputFunc m_in;
  void* m_inCtx;
  OutputFunc m_out;
  void* m_outCtx;
  const uint8_t* m_next;
  size_t m_avail;
  bool m_eof;
  uint64_t m_bitBuf;
  int m_bitCount;
  uint64_t m_consumed;  // bytes taken into the bit buffer
  uint8_t* m_window;
  uint32_t m_pos;
  uint32_t m_flushed;
  uint64_t m_written;  // bytes decoded so far (for distances too far back)
};
