#include "archive/codec_inflate64.h"

#include <stdlib.h>
#include <string.h>

namespace {

const uint32_t kWindowSize = 0x10000;  // the whole reach of deflate64
const int kFastBits = 9;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint32_t kDistBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
const uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
const uint8_t kCodeOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

}  // namespace

struct ZipInflater::Huffman {
  uint16_t count[16];
  uint16_t symbol[320];
  uint16_t fast[1 << kFastBits];  // symbol | length << 9, 0xFFFF: longer code

  // false for an over-subscribed set of lengths
  bool Build(const uint8_t* lengths, int n) {
    memset(count, 0, sizeof(count));
    for (int i = 0; i < n; ++i) count[lengths[i]]++;
    count[0] = 0;
    int left = 1;
    for (int len = 1; len < 16; ++len) {
      left <<= 1;
      left -= count[len];
      if (left < 0) return false;
    }
    uint16_t offs[16];
    offs[1] = 0;
    for (int len = 1; len < 15; ++len) offs[len + 1] = static_cast<uint16_t>(offs[len] + count[len]);
    for (int i = 0; i < n; ++i)
      if (lengths[i]) symbol[offs[lengths[i]]++] = static_cast<uint16_t>(i);
    memset(fast, 0xFF, sizeof(fast));
    // canonical codes, bit-reversed because the stream sends them MSB first
    uint32_t code = 0;
    int index = 0;
    for (int len = 1; len <= kFastBits; ++len) {
      for (int k = 0; k < count[len]; ++k, ++code, ++index) {
        uint32_t rev = 0;
        for (int b = 0; b < len; ++b) rev |= ((code >> b) & 1u) << (len - 1 - b);
        for (uint32_t fill = rev; fill < (1u << kFastBits); fill += 1u << len)
          fast[fill] = static_cast<uint16_t>(symbol[index] | (len << 9));
      }
      code <<= 1;
    }
    return true;
  }
};

ZipInflater::Huffman ZipInflater::MakeFixed(bool literals) {
  Huffman h;
  uint8_t l[288];
  if (literals) {
    int i = 0;
    for (; i < 144; ++i) l[i] = 8;
    for (; i < 256; ++i) l[i] = 9;
    for (; i < 280; ++i) l[i] = 7;
    for (; i < 288; ++i) l[i] = 8;
    h.Build(l, 288);
  } else {
    memset(l, 5, 32);
    h.Build(l, 32);
  }
  return h;
}

ZipInflater::ZipInflater(bool deflate64)
    : m_d64(deflate64), m_in(nullptr), m_inCtx(nullptr), m_out(nullptr), m_outCtx(nullptr), m_next(nullptr),
      m_avail(0), m_eof(false), m_bitBuf(0), m_bitCount(0), m_consumed(0), m_window(nullptr), m_pos(0),
      m_flushed(0), m_written(0) {}

ZipInflater::~ZipInflater() { free(m_window); }

bool ZipInflater::MoreInput() {
  if (m_eof) return false;
  int r = m_in(m_inCtx, &m_next);
  if (r < 0) throw Abort{kReadError};
  if (r == 0) {
    m_eof = true;
    m_avail = 0;
    return false;
  }
  m_avail = static_cast<size_t>(r);
  return true;
}

void ZipInflater::NeedBits(int n) {
  while (m_bitCount < n) {
    if (m_avail == 0 && !MoreInput()) throw Abort{kTruncated};
    m_bitBuf |= static_cast<uint64_t>(*m_next++) << m_bitCount;
    m_bitCount += 8;
    --m_avail;
    ++m_consumed;
  }
}

uint32_t ZipInflater::Bits(int n) {
  if (n == 0) return 0;
  NeedBits(n);
  uint32_t v = static_cast<uint32_t>(m_bitBuf & ((1ull << n) - 1));
  m_bitBuf >>= n;
  m_bitCount -= n;
  return v;
}

int ZipInflater::Decode(const Huffman& h) {
  // Fill what is there; near the end of the input fewer bits may be left.
  while (m_bitCount <= 56) {
    if (m_avail == 0 && !MoreInput()) break;
    m_bitBuf |= static_cast<uint64_t>(*m_next++) << m_bitCount;
    m_bitCount += 8;
    --m_avail;
    ++m_consumed;
  }
  uint16_t e = h.fast[m_bitBuf & ((1u << kFastBits) - 1)];
  if (e != 0xFFFF) {
    int len = e >> 9;
    if (len > m_bitCount) throw Abort{kTruncated};
    m_bitBuf >>= len;
    m_bitCount -= len;
    return e & 0x1FF;
  }
  int code = 0, first = 0, index = 0;
  for (int len = 1; len < 16; ++len) {
    code |= static_cast<int>(Bits(1));
    int count = h.count[len];
    if (code - first < count) return h.symbol[index + (code - first)];
    index += count;
    first += count;
    first <<= 1;
    code <<= 1;
  }
  throw Abort{kDataError};  // a code the table does not have
}

void ZipInflater::FlushWindow() {
  if (m_pos > m_flushed && !m_out(m_outCtx, m_window + m_flushed, m_pos - m_flushed)) throw Abort{kWriteError};
  m_flushed = m_pos;
}

inline void ZipInflater::PutByte(uint8_t b) {
  m_window[m_pos++] = b;
  ++m_written;
  if (m_pos == kWindowSize) {
    FlushWindow();
    m_pos = m_flushed = 0;
  }
}

void ZipInflater::Stored() {
  Bits(m_bitCount & 7);
  uint32_t len = Bits(16);
  uint32_t nlen = Bits(16);
  if ((len ^ 0xFFFF) != nlen) throw Abort{kDataError};
  while (len--) PutByte(static_cast<uint8_t>(Bits(8)));
}

void ZipInflater::Codes(const Huffman& lit, const Huffman& dist) {
  const int distCodes = m_d64 ? 32 : 30;
  for (;;) {
    int sym = Decode(lit);
    if (sym < 256) {
      PutByte(static_cast<uint8_t>(sym));
      continue;
    }
    if (sym == 256) return;
    sym -= 257;
    if (sym >= 29) throw Abort{kDataError};
    uint32_t len;
    if (m_d64 && sym == 28)
      len = 3 + Bits(16);
    else
      len = kLengthBase[sym] + Bits(kLengthExtra[sym]);
    int dsym = Decode(dist);
    if (dsym >= distCodes) throw Abort{kDataError};
    uint32_t d = kDistBase[dsym] + Bits(kDistExtra[dsym]);
    if (d > m_written || d > kWindowSize) throw Abort{kDataError};
    while (len--) PutByte(m_window[(m_pos - d) & (kWindowSize - 1)]);
  }
}

void ZipInflater::Dynamic() {
  uint32_t nlen = Bits(5) + 257;
  uint32_t ndist = Bits(5) + 1;
  uint32_t ncode = Bits(4) + 4;
  if (nlen > 286 || ndist > (m_d64 ? 32u : 30u)) throw Abort{kDataError};
  uint8_t lengths[320];
  memset(lengths, 0, sizeof(lengths));
  for (uint32_t i = 0; i < ncode; ++i) lengths[kCodeOrder[i]] = static_cast<uint8_t>(Bits(3));
  Huffman lencode;
  if (!lencode.Build(lengths, 19)) throw Abort{kDataError};
  uint32_t index = 0;
  memset(lengths, 0, sizeof(lengths));
  while (index < nlen + ndist) {
    int sym = Decode(lencode);
    if (sym < 16) {
      lengths[index++] = static_cast<uint8_t>(sym);
      continue;
    }
    uint8_t value = 0;
    uint32_t repeat;
    if (sym == 16) {
      if (index == 0) throw Abort{kDataError};
      value = lengths[index - 1];
      repeat = 3 + Bits(2);
    } else if (sym == 17) {
      repeat = 3 + Bits(3);
    } else {
      repeat = 11 + Bits(7);
    }
    if (index + repeat > nlen + ndist) throw Abort{kDataError};
    while (repeat--) lengths[index++] = value;
  }
  if (lengths[256] == 0) throw Abort{kDataError};
  Huffman lit, dist;
  if (!lit.Build(lengths, static_cast<int>(nlen)) || !dist.Build(lengths + nlen, static_cast<int>(ndist)))
    throw Abort{kDataError};
  Codes(lit, dist);
}

ZipInflater::Result ZipInflater::Run(InputFunc in, void* inCtx, OutputFunc out, void* outCtx) {
  m_in = in;
  m_inCtx = inCtx;
  m_out = out;
  m_outCtx = outCtx;
  if (!m_window) m_window = static_cast<uint8_t*>(malloc(kWindowSize + 8));
  if (!m_window) return kNoMemory;
  try {
    static const Huffman fixedLit = MakeFixed(true);
    static const Huffman fixedDist = MakeFixed(false);
    bool last;
    do {
      last = Bits(1) != 0;
      uint32_t type = Bits(2);
      if (type == 0) {
        Stored();
      } else if (type == 1) {
        Codes(fixedLit, fixedDist);
      } else if (type == 2) {
        Dynamic();
      } else {
        throw Abort{kDataError};
      }
    } while (!last);
    FlushWindow();
  } catch (const Abort& a) {
    return a.result;
  }
  // bytes still in the bit buffer were not used
  m_consumed -= static_cast<uint64_t>(m_bitCount / 8);
  return kDone;
}
