// PPMd variant I: symbol coding with the carry-less range coder.
#include <string.h>

#include "archive/ppmd8_model.h"

namespace {

const uint32_t kTop = 1u << 24;
const uint32_t kBot = 1u << 15;
const uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

inline uint16_t UpdateProb0(uint16_t prob) { return static_cast<uint16_t>(prob + (1 << 7) - ((prob + 32) >> 7)); }
inline uint16_t UpdateProb1(uint16_t prob) { return static_cast<uint16_t>(prob - ((prob + 32) >> 7)); }

}  // namespace

// ------------------------------------------------------------------ encoder

void PpmdModel::EncoderInit() {
  m_low = 0;
  m_range = 0xFFFFFFFFu;
}

void PpmdModel::EncNormalize(Output& out) {
  for (;;) {
    if ((m_low ^ (m_low + m_range)) >= kTop) {
      if (m_range >= kBot) break;
      m_range = (0 - m_low) & (kBot - 1);
    }
    out.WriteByte(static_cast<uint8_t>(m_low >> 24));
    m_range <<= 8;
    m_low <<= 8;
  }
}

void PpmdModel::Encode(uint32_t start, uint32_t size, uint32_t total, Output& out) {
  m_low += start * (m_range /= total);
  m_range *= size;
  EncNormalize(out);
}

void PpmdModel::EncoderFlush(Output& out) {
  for (int i = 0; i < 4; ++i, m_low <<= 8) out.WriteByte(static_cast<uint8_t>(m_low >> 24));
}

void PpmdModel::EncodeSymbol(int symbol, Output& out) {
  uint8_t charMask[256];
  if (m_minContext->numStats != 0) {
    State* s = Stats(m_minContext);
    if (s->symbol == symbol) {
      Encode(0, s->freq, m_minContext->summFreq, out);
      m_foundState = s;
      Update1_0();
      return;
    }
    m_prevSuccess = 0;
    uint32_t sum = s->freq;
    unsigned i = m_minContext->numStats;
    do {
      if ((++s)->symbol == symbol) {
        Encode(sum, s->freq, m_minContext->summFreq, out);
        m_foundState = s;
        Update1();
        return;
      }
      sum += s->freq;
    } while (--i);
    memset(charMask, 0xFF, sizeof(charMask));
    charMask[s->symbol] = 0;
    i = m_minContext->numStats;
    do {
      charMask[(--s)->symbol] = 0;
    } while (--i);
    Encode(sum, m_minContext->summFreq - sum, m_minContext->summFreq, out);
  } else {
    uint16_t* prob = BinSumm();
    State* s = OneState(m_minContext);
    if (s->symbol == symbol) {
      m_range = (m_range >> 14) * *prob;
      EncNormalize(out);
      *prob = UpdateProb0(*prob);
      m_foundState = s;
      UpdateBin();
      return;
    }
    m_low += *prob * (m_range >>= 14);
    m_range *= (1u << 14) - *prob;
    EncNormalize(out);
    *prob = UpdateProb1(*prob);
    m_initEsc = kExpEscape[*prob >> 10];
    memset(charMask, 0xFF, sizeof(charMask));
    charMask[s->symbol] = 0;
    m_prevSuccess = 0;
  }
  for (;;) {
    unsigned numMasked = m_minContext->numStats;
    do {
      m_orderFall++;
      if (!m_minContext->suffix) return;  // the end mark was coded
      m_minContext = Suffix(m_minContext);
    } while (m_minContext->numStats == numMasked);
    uint32_t escFreq;
    See* see = MakeEscFreq(numMasked, &escFreq);
    State* s = Stats(m_minContext);
    uint32_t sum = 0;
    unsigned i = m_minContext->numStats + 1;
    do {
      int cur = s->symbol;
      if (cur == symbol) {
        uint32_t low = sum;
        State* s1 = s;
        do {
          sum += s->freq & static_cast<unsigned>(static_cast<int8_t>(charMask[s->symbol]));
          s++;
        } while (--i);
        Encode(low, s1->freq, sum + escFreq, out);
        SeeUpdate(see);
        m_foundState = s1;
        Update2();
        return;
      }
      sum += s->freq & static_cast<unsigned>(static_cast<int8_t>(charMask[cur]));
      charMask[cur] = 0;
      s++;
    } while (--i);
    Encode(sum, escFreq, sum + escFreq, out);
    see->summ = static_cast<uint16_t>(see->summ + sum + escFreq);
  }
}

// ------------------------------------------------------------------ decoder

bool PpmdModel::DecoderInit(Input& in) {
  m_low = 0;
  m_range = 0xFFFFFFFFu;
  m_code = 0;
  for (int i = 0; i < 4; ++i) m_code = (m_code << 8) | in.ReadByte();
  return m_code < 0xFFFFFFFFu;
}

void PpmdModel::Decode(uint32_t start, uint32_t size, Input& in) {
  start *= m_range;
  m_low += start;
  m_code -= start;
  m_range *= size;
  for (;;) {
    if ((m_low ^ (m_low + m_range)) >= kTop) {
      if (m_range >= kBot) break;
      m_range = (0 - m_low) & (kBot - 1);
    }
    m_code = (m_code << 8) | in.ReadByte();
    m_range <<= 8;
    m_low <<= 8;
  }
}

int PpmdModel::DecodeSymbol(Input& in) {
  uint8_t charMask[256];
  if (m_minContext->numStats != 0) {
    State* s = Stats(m_minContext);
    uint32_t count = DecThreshold(m_minContext->summFreq);
    uint32_t hiCnt = s->freq;
    if (count < hiCnt) {
      Decode(0, s->freq, in);
      m_foundState = s;
      uint8_t symbol = s->symbol;
      Update1_0();
      return symbol;
    }
    m_prevSuccess = 0;
    unsigned i = m_minContext->numStats;
    do {
      if ((hiCnt += (++s)->freq) > count) {
        Decode(hiCnt - s->freq, s->freq, in);
        m_foundState = s;
        uint8_t symbol = s->symbol;
        Update1();
        return symbol;
      }
    } while (--i);
    if (count >= m_minContext->summFreq) return -2;
    Decode(hiCnt, m_minContext->summFreq - hiCnt, in);
    memset(charMask, 0xFF, sizeof(charMask));
    charMask[s->symbol] = 0;
    i = m_minContext->numStats;
    do {
      charMask[(--s)->symbol] = 0;
    } while (--i);
  } else {
    uint16_t* prob = BinSumm();
    if (m_code / (m_range >>= 14) < *prob) {
      Decode(0, *prob, in);
      *prob = UpdateProb0(*prob);
      m_foundState = OneState(m_minContext);
      uint8_t symbol = m_foundState->symbol;
      UpdateBin();
      return symbol;
    }
    Decode(*prob, (1u << 14) - *prob, in);
    *prob = UpdateProb1(*prob);
    m_initEsc = kExpEscape[*prob >> 10];
    memset(charMask, 0xFF, sizeof(charMask));
    charMask[OneState(m_minContext)->symbol] = 0;
    m_prevSuccess = 0;
  }
  for (;;) {
    State* ps[256];
    unsigned numMasked = m_minContext->numStats;
    do {
      m_orderFall++;
      if (!m_minContext->suffix) return -1;
      m_minContext = Suffix(m_minContext);
    } while (m_minContext->numStats == numMasked);
    uint32_t hiCnt = 0;
    State* s = Stats(m_minContext);
    unsigned i = 0;
    unsigned num = m_minContext->numStats - numMasked;
    do {
      int k = static_cast<int8_t>(charMask[s->symbol]);
      hiCnt += s->freq & static_cast<unsigned>(k);
      ps[i] = s++;
      i -= static_cast<unsigned>(k);
    } while (i != num);
    uint32_t freqSum;
    See* see = MakeEscFreq(numMasked, &freqSum);
    freqSum += hiCnt;
    uint32_t count = DecThreshold(freqSum);
    if (count < hiCnt) {
      State** pps = ps;
      for (hiCnt = 0; (hiCnt += (*pps)->freq) <= count; pps++) {
      }
      s = *pps;
      Decode(hiCnt - s->freq, s->freq, in);
      SeeUpdate(see);
      m_foundState = s;
      uint8_t symbol = s->symbol;
      Update2();
      return symbol;
    }
    if (count >= freqSum) return -2;
    Decode(hiCnt, freqSum - hiCnt, in);
    see->summ = static_cast<uint16_t>(see->summ + freqSum);
    do {
      charMask[ps[--i]->symbol] = 0;
    } while (i != 0);
  }
}
