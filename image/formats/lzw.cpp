// LZW decoding and encoding for GIF and TIFF.
#include "image/formats/lzw.h"

#include <cstring>
#include <vector>

#include "image/imgerror.h"
#include "image/imgfile.h"

namespace {
constexpr unsigned kMaxCodes = 4096;
constexpr unsigned kHashSize = 8192;  // power of two above the table
}  // namespace

size_t ImgLzwDecode(ImgLzwKind kind, int minBits, const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  if (minBits < 1 || minBits > 11) throw EGraphicsDataError("LZW: bad code size");
  const bool tiff = kind == ImgLzwKind::Tiff;
  const unsigned clear = 1u << minBits, eoi = clear + 1;
  // Every string of the table is already in the output: a code's string is
  // copied from where it was written (the previous string and the first
  // byte after it).
  uint32_t where[kMaxCodes];
  uint16_t length[kMaxCodes];
  unsigned next = eoi + 1;
  int width = minBits + 1;
  bool havePrev = false;
  size_t prevAt = 0, prevLen = 0;
  uint64_t bits = 0;
  int count = 0;
  size_t pos = 0, done = 0;
  if (outSize > 0xFFFFFFFFu) throw EGraphicsDataError("LZW: segment too large");
  while (done < outSize) {
    while (count < width) {
      if (pos >= inSize) return done;
      if (tiff)
        bits = bits << 8 | in[pos++];
      else
        bits |= static_cast<uint64_t>(in[pos++]) << count;
      count += 8;
    }
    unsigned code;
    if (tiff) {
      code = static_cast<unsigned>(bits >> (count - width)) & ((1u << width) - 1);
    } else {
      code = static_cast<unsigned>(bits) & ((1u << width) - 1);
      bits >>= width;
    }
    count -= width;
    if (code == clear) {
      next = eoi + 1;
      width = minBits + 1;
      havePrev = false;
      continue;
    }
    if (code == eoi) break;
    const size_t room = outSize - done;
    size_t n;
    uint8_t* o = out + done;
    if (code < clear) {
      if (code > 0xFF) throw EGraphicsDataError("LZW: pixel value past a byte");
      n = 1;
      *o = static_cast<uint8_t>(code);
    } else if (code < next) {
      n = length[code];
      const uint8_t* from = out + where[code];
      const size_t k = n < room ? n : room;
      if (k <= 16 && room >= 16) {
        // short strings as one 16-byte move (loaded before stored: the
        // bytes past the string are rewritten later)
        uint8_t t[16];
        std::memcpy(t, from, 16);
        std::memcpy(o, t, 16);
      } else {
        std::memcpy(o, from, k);
      }
    } else if (code == next && havePrev && next < kMaxCodes) {
      // the previous string and its own first byte
      n = prevLen + 1;
      const uint8_t* from = out + prevAt;
      const size_t k = prevLen < room ? prevLen : room;
      std::memcpy(o, from, k);
      if (n <= room) o[prevLen] = *from;
    } else {
      throw EGraphicsDataError("LZW: code past the table");
    }
    if (havePrev && next < kMaxCodes) {
      where[next] = static_cast<uint32_t>(prevAt);
      length[next] = static_cast<uint16_t>(prevLen + 1);
      ++next;
      const unsigned limit = tiff ? (1u << width) - 1 : 1u << width;
      if (next >= limit && width < 12) ++width;
    }
    if (n >= room) return outSize;  // a string beyond the expected end: keep what fits
    havePrev = true;
    prevAt = done;
    prevLen = n;
    done += n;
  }
  return done;
}

CLzwEncoder::CLzwEncoder(ImgLzwKind kind, int minBits, ImgSink& out)
    : m_kind(kind),
      m_minBits(minBits),
      m_width(0),
      m_clear(1u << minBits),
      m_next(0),
      m_limitNext(kind == ImgLzwKind::Tiff ? kMaxCodes - 2 : kMaxCodes),
      m_prefix(-1),
      m_table(new uint16_t[kHashSize]),
      m_keys(new uint32_t[kHashSize]),
      m_bits(0),
      m_bitCount(0),
      m_bufUsed(0),
      m_written(0),
      m_out(out) {
  Reset();
  Put(m_clear);
}

CLzwEncoder::~CLzwEncoder() {
  delete[] m_table;
  delete[] m_keys;
}

void CLzwEncoder::Reset() {
  std::memset(m_keys, 0xFF, kHashSize * sizeof(uint32_t));
  m_next = m_clear + 2;
  m_width = m_minBits + 1;
}

void CLzwEncoder::Spill(bool all) {
  // GIF: blocks of 255 behind a length byte; TIFF: the bytes as they are
  size_t block = m_kind == ImgLzwKind::Gif ? 255 : 256;
  while (m_bufUsed >= block || (all && m_bufUsed > 0)) {
    size_t n = m_bufUsed < block ? m_bufUsed : block;
    if (m_kind == ImgLzwKind::Gif) {
      uint8_t len = static_cast<uint8_t>(n);
      if (!m_out.Write(&len, 1)) throw EGraphicsFileError("write failed");
      ++m_written;
    }
    if (!m_out.Write(m_buf, n)) throw EGraphicsFileError("write failed");
    m_written += n;
    std::memmove(m_buf, m_buf + n, m_bufUsed - n);
    m_bufUsed -= n;
  }
}

void CLzwEncoder::Put(unsigned code) {
  if (m_kind == ImgLzwKind::Tiff) {
    m_bits = m_bits << m_width | code;
    m_bitCount += m_width;
    while (m_bitCount >= 8) {
      m_buf[m_bufUsed++] = static_cast<uint8_t>(m_bits >> (m_bitCount - 8));
      m_bitCount -= 8;
    }
  } else {
    m_bits |= static_cast<uint64_t>(code) << m_bitCount;
    m_bitCount += m_width;
    while (m_bitCount >= 8) {
      m_buf[m_bufUsed++] = static_cast<uint8_t>(m_bits);
      m_bits >>= 8;
      m_bitCount -= 8;
    }
  }
  if (m_bufUsed >= 255) Spill(false);
}

void CLzwEncoder::Add(const uint8_t* symbols, size_t count) {
  const bool tiff = m_kind == ImgLzwKind::Tiff;
  const unsigned mask = m_clear - 1;
  for (size_t i = 0; i < count; ++i) {
    unsigned s = symbols[i] & mask;
    if (m_prefix < 0) {
      m_prefix = static_cast<int>(s);
      continue;
    }
    uint32_t key = static_cast<uint32_t>(m_prefix) << 8 | s;
    unsigned h = (key * 2654435761u) >> 19 & (kHashSize - 1);
    while (m_keys[h] != 0xFFFFFFFFu && m_keys[h] != key) h = (h + 1) & (kHashSize - 1);
    if (m_keys[h] == key) {
      m_prefix = m_table[h];
      continue;
    }
    Put(static_cast<unsigned>(m_prefix));
    m_keys[h] = key;
    m_table[h] = static_cast<uint16_t>(m_next);
    ++m_next;
    // the decoder adds this entry one code later: widen as it will
    unsigned seen = m_next - 1;
    unsigned limit = tiff ? (1u << m_width) - 1 : 1u << m_width;
    if (seen >= limit && m_width < 12) ++m_width;
    if (m_next >= m_limitNext) {
      Put(m_clear);
      Reset();
    }
    m_prefix = static_cast<int>(s);
  }
}

void CLzwEncoder::Finish() {
  if (m_prefix >= 0) {
    Put(static_cast<unsigned>(m_prefix));
    // the decoder adds an entry for this code too: its width may grow
    ++m_next;
    unsigned seen = m_next - 1;
    unsigned limit = m_kind == ImgLzwKind::Tiff ? (1u << m_width) - 1 : 1u << m_width;
    if (seen >= limit && m_width < 12 && m_next <= kMaxCodes) ++m_width;
  }
  m_prefix = -1;
  Put(m_clear + 1);
  if (m_bitCount > 0) {
    if (m_kind == ImgLzwKind::Tiff)
      m_buf[m_bufUsed++] = static_cast<uint8_t>(m_bits << (8 - m_bitCount));
    else
      m_buf[m_bufUsed++] = static_cast<uint8_t>(m_bits);
    m_bits = 0;
    m_bitCount = 0;
  }
  Spill(true);
  if (m_kind == ImgLzwKind::Gif) {
    uint8_t zero = 0;
    if (!m_out.Write(&zero, 1)) throw EGraphicsFileError("write failed");
    ++m_written;
  }
}
