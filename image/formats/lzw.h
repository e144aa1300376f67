// LZW of GIF (codes packed from the low bit up, width grows when the next
// free code reaches the width's limit) and of TIFF (codes packed from the
// high bit down, width grows one code early). Codes are at most 12 bits.
#pragma once

#include <cstddef>
#include <cstdint>

class ImgSink;

enum class ImgLzwKind { Gif, Tiff };

// Decodes until out holds outSize bytes, the end code, or the input ends;
// returns the bytes produced. Throws EGraphicsDataError on a code past the
// next free one or a literal code above 255. minBits: GIF's minimum code
// size (1..11); TIFF uses 8.
size_t ImgLzwDecode(ImgLzwKind kind, int minBits, const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

// Streams symbols in, codes out through a sink (in blocks of up to 255
// bytes for GIF, each behind its length byte). Throws on a failed write.
class CLzwEncoder {
 public:
  CLzwEncoder(ImgLzwKind kind, int minBits, ImgSink& out);
  ~CLzwEncoder();
  CLzwEncoder(const CLzwEncoder&) = delete;
  CLzwEncoder& operator=(const CLzwEncoder&) = delete;
  void Add(const uint8_t* symbols, size_t count);
  // Ends the data (end code, last bits); for GIF also the empty block.
  void Finish();
  uint64_t BytesWritten() const { return m_written; }

 private:
  void Put(unsigned code);
  void Reset();
  void Spill(bool all);
  ImgLzwKind m_kind;
  int m_minBits, m_width;
  unsigned m_clear, m_next, m_limitNext;
  int m_prefix;  // -1 none
  uint16_t* m_table;  // hash: key (prefix << 8 | symbol) -> code
  uint32_t* m_keys;
  uint64_t m_bits;
  int m_bitCount;
  uint8_t m_buf[256 + 8];
  size_t m_bufUsed;
  uint64_t m_written;
  ImgSink& m_out;
};
