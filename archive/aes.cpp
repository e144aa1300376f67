// AES block cipher: the S-box and the round tables are derived once from
// the field arithmetic rather than typed in.
#include "archive/aes.h"

namespace {

struct Tables {
  uint8_t sbox[256], inv[256];
  uint32_t te[4][256], td[4][256];
  Tables();
};

inline uint8_t Xtime(uint8_t x) { return (uint8_t)((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

uint8_t Mul(uint8_t a, uint8_t b) {
  uint8_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = Xtime(a);
    b >>= 1;
  }
  return r;
}

inline uint32_t Ror8(uint32_t x) { return (x >> 8) | (x << 24); }

Tables::Tables() {
  // p walks the multiplicative group by 3, q by its inverse (1/3)
  uint8_t p = 1, q = 1;
  sbox[0] = 0x63;
  do {
    p = (uint8_t)(p ^ Xtime(p));
    q ^= (uint8_t)(q << 1);
    q ^= (uint8_t)(q << 2);
    q ^= (uint8_t)(q << 4);
    if (q & 0x80) q ^= 0x09;
    uint8_t x = (uint8_t)(q ^ (q << 1 | q >> 7) ^ (q << 2 | q >> 6) ^ (q << 3 | q >> 5) ^
                          (q << 4 | q >> 4));
    sbox[p] = (uint8_t)(x ^ 0x63);
  } while (p != 1);
  for (int i = 0; i < 256; i++) inv[sbox[i]] = (uint8_t)i;
  for (int i = 0; i < 256; i++) {
    uint8_t s = sbox[i];
    // column (2s, s, s, 3s) as little-endian bytes of a word
    uint32_t e = (uint32_t)Mul(s, 2) | (uint32_t)s << 8 | (uint32_t)s << 16 |
                 (uint32_t)Mul(s, 3) << 24;
    uint8_t v = inv[i];
    uint32_t d = (uint32_t)Mul(v, 14) | (uint32_t)Mul(v, 9) << 8 | (uint32_t)Mul(v, 13) << 16 |
                 (uint32_t)Mul(v, 11) << 24;
    for (int t = 0; t < 4; t++) {
      te[t][i] = e;
      td[t][i] = d;
      e = (e << 8) | (e >> 24);
      d = (d << 8) | (d >> 24);
    }
  }
}

const Tables& T() {
  static const Tables tables;
  return tables;
}

inline uint32_t Load(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
inline void Store(uint8_t* p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
  p[2] = (uint8_t)(v >> 16);
  p[3] = (uint8_t)(v >> 24);
}

inline uint32_t SubWord(const Tables& t, uint32_t w) {
  return (uint32_t)t.sbox[w & 0xFF] | (uint32_t)t.sbox[(w >> 8) & 0xFF] << 8 |
         (uint32_t)t.sbox[(w >> 16) & 0xFF] << 16 | (uint32_t)t.sbox[w >> 24] << 24;
}

int KeyWords(int keyLength) {
  switch (keyLength) {
    case 16: case 128: return 4;
    case 24: case 192: return 6;
    case 32: case 256: return 8;
    default: return 0;
  }
}

}  // namespace

// Words are kept little-endian: byte 0 of a column is the low byte.
int AesSetEncryptKey(AesKeySchedule* ks, const uint8_t* key, int keyLength) {
  int nk = KeyWords(keyLength);
  if (!nk) return 1;
  const Tables& t = T();
  ks->rounds = nk + 6;
  int total = 4 * (ks->rounds + 1);
  for (int i = 0; i < nk; i++) ks->rk[i] = Load(key + 4 * i);
  uint8_t rcon = 1;
  for (int i = nk; i < total; i++) {
    uint32_t w = ks->rk[i - 1];
    if (i % nk == 0) {
      w = SubWord(t, Ror8(w)) ^ rcon;
      rcon = Xtime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      w = SubWord(t, w);
    }
    ks->rk[i] = ks->rk[i - nk] ^ w;
  }
  return 0;
}

int AesSetDecryptKey(AesKeySchedule* ks, const uint8_t* key, int keyLength) {
  AesKeySchedule enc;
  if (AesSetEncryptKey(&enc, key, keyLength)) return 1;
  const Tables& t = T();
  ks->rounds = enc.rounds;
  int r = enc.rounds;
  // reverse round order; InvMixColumns on the inner round keys
  for (int i = 0; i <= r; i++)
    for (int j = 0; j < 4; j++) {
      uint32_t w = enc.rk[4 * (r - i) + j];
      if (i > 0 && i < r)
        w = t.td[0][t.sbox[w & 0xFF]] ^ t.td[1][t.sbox[(w >> 8) & 0xFF]] ^
            t.td[2][t.sbox[(w >> 16) & 0xFF]] ^ t.td[3][t.sbox[w >> 24]];
      ks->rk[4 * i + j] = w;
    }
  return 0;
}

void AesEncryptBlock(const AesKeySchedule* ks, const uint8_t in[16], uint8_t out[16]) {
  const Tables& t = T();
  const uint32_t* rk = ks->rk;
  uint32_t s[4], n[4];
  for (int j = 0; j < 4; j++) s[j] = Load(in + 4 * j) ^ rk[j];
  for (int r = 1; r < ks->rounds; r++) {
    rk += 4;
    for (int j = 0; j < 4; j++)
      n[j] = t.te[0][s[j] & 0xFF] ^ t.te[1][(s[(j + 1) & 3] >> 8) & 0xFF] ^
             t.te[2][(s[(j + 2) & 3] >> 16) & 0xFF] ^ t.te[3][s[(j + 3) & 3] >> 24] ^ rk[j];
    for (int j = 0; j < 4; j++) s[j] = n[j];
  }
  rk += 4;
  for (int j = 0; j < 4; j++) {
    uint32_t w = (uint32_t)t.sbox[s[j] & 0xFF] | (uint32_t)t.sbox[(s[(j + 1) & 3] >> 8) & 0xFF] << 8 |
                 (uint32_t)t.sbox[(s[(j + 2) & 3] >> 16) & 0xFF] << 16 |
                 (uint32_t)t.sbox[s[(j + 3) & 3] >> 24] << 24;
    Store(out + 4 * j, w ^ rk[j]);
  }
}

void AesDecryptBlock(const AesKeySchedule* ks, const uint8_t in[16], uint8_t out[16]) {
  const Tables& t = T();
  const uint32_t* rk = ks->rk;
  uint32_t s[4], n[4];
  for (int j = 0; j < 4; j++) s[j] = Load(in + 4 * j) ^ rk[j];
  for (int r = 1; r < ks->rounds; r++) {
    rk += 4;
    for (int j = 0; j < 4; j++)
      n[j] = t.td[0][s[j] & 0xFF] ^ t.td[1][(s[(j + 3) & 3] >> 8) & 0xFF] ^
             t.td[2][(s[(j + 2) & 3] >> 16) & 0xFF] ^ t.td[3][s[(j + 1) & 3] >> 24] ^ rk[j];
    for (int j = 0; j < 4; j++) s[j] = n[j];
  }
  rk += 4;
  for (int j = 0; j < 4; j++) {
    uint32_t w = (uint32_t)t.inv[s[j] & 0xFF] | (uint32_t)t.inv[(s[(j + 3) & 3] >> 8) & 0xFF] << 8 |
                 (uint32_t)t.inv[(s[(j + 2) & 3] >> 16) & 0xFF] << 16 |
                 (uint32_t)t.inv[s[(j + 1) & 3] >> 24] << 24;
    Store(out + 4 * j, w ^ rk[j]);
  }
}
