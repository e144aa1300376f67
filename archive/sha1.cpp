// SHA-1, HMAC-SHA1 and PBKDF2 after FIPS 180-4, RFC 2104 and RFC 2898.
#include "archive/sha1.h"

#include <string.h>

namespace {

inline uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Compress(uint32_t state[5], const uint8_t* p) {
  uint32_t w[80];
  for (int i = 0; i < 16; i++)
    w[i] = (uint32_t)p[4 * i] << 24 | (uint32_t)p[4 * i + 1] << 16 | (uint32_t)p[4 * i + 2] << 8 |
           p[4 * i + 3];
  for (int i = 16; i < 80; i++) w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (int i = 0; i < 80; i++) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t t = Rol(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rol(b, 30);
    b = a;
    a = t;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

}  // namespace

void Sha1Init(Sha1Context* c) {
  c->state[0] = 0x67452301;
  c->state[1] = 0xEFCDAB89;
  c->state[2] = 0x98BADCFE;
  c->state[3] = 0x10325476;
  c->state[4] = 0xC3D2E1F0;
  c->length = 0;
  c->fill = 0;
}

void Sha1Update(Sha1Context* c, const void* data, size_t n) {
  const uint8_t* p = (const uint8_t*)data;
  c->length += n;
  if (c->fill) {
    size_t take = SHA1_BLOCK_SIZE - c->fill;
    if (take > n) take = n;
    memcpy(c->block + c->fill, p, take);
    c->fill += (uint32_t)take;
    p += take;
    n -= take;
    if (c->fill < SHA1_BLOCK_SIZE) return;
    Compress(c->state, c->block);
    c->fill = 0;
  }
  for (; n >= SHA1_BLOCK_SIZE; n -= SHA1_BLOCK_SIZE, p += SHA1_BLOCK_SIZE) Compress(c->state, p);
  if (n) {
    memcpy(c->block, p, n);
    c->fill = (uint32_t)n;
  }
}

void Sha1Final(Sha1Context* c, uint8_t digest[SHA1_DIGEST_SIZE]) {
  uint64_t bits = c->length * 8;
  c->block[c->fill++] = 0x80;
  if (c->fill > 56) {
    memset(c->block + c->fill, 0, SHA1_BLOCK_SIZE - c->fill);
    Compress(c->state, c->block);
    c->fill = 0;
  }
  memset(c->block + c->fill, 0, 56 - c->fill);
  for (int i = 0; i < 8; i++) c->block[56 + i] = (uint8_t)(bits >> (56 - 8 * i));
  Compress(c->state, c->block);
  for (int i = 0; i < 5; i++) {
    digest[4 * i] = (uint8_t)(c->state[i] >> 24);
    digest[4 * i + 1] = (uint8_t)(c->state[i] >> 16);
    digest[4 * i + 2] = (uint8_t)(c->state[i] >> 8);
    digest[4 * i + 3] = (uint8_t)c->state[i];
  }
  c->fill = 0;
}

void Sha1(const void* data, size_t n, uint8_t digest[SHA1_DIGEST_SIZE]) {
  Sha1Context c;
  Sha1Init(&c);
  Sha1Update(&c, data, n);
  Sha1Final(&c, digest);
}

void HmacSha1Begin(HmacSha1Context* c, const void* key, size_t keyLength) {
  uint8_t k[SHA1_BLOCK_SIZE] = {0};
  if (keyLength > SHA1_BLOCK_SIZE)
    Sha1(key, keyLength, k);
  else if (keyLength)
    memcpy(k, key, keyLength);
  uint8_t pad[SHA1_BLOCK_SIZE];
  for (int i = 0; i < SHA1_BLOCK_SIZE; i++) pad[i] = k[i] ^ 0x36;
  Sha1Init(&c->inner);
  Sha1Update(&c->inner, pad, sizeof pad);
  for (int i = 0; i < SHA1_BLOCK_SIZE; i++) pad[i] = k[i] ^ 0x5C;
  Sha1Init(&c->outer);
  Sha1Update(&c->outer, pad, sizeof pad);
}

void HmacSha1Data(HmacSha1Context* c, const void* data, size_t n) {
  Sha1Update(&c->inner, data, n);
}

void HmacSha1End(HmacSha1Context* c, uint8_t* tag, size_t tagLength) {
  uint8_t digest[SHA1_DIGEST_SIZE];
  Sha1Final(&c->inner, digest);
  Sha1Update(&c->outer, digest, sizeof digest);
  Sha1Final(&c->outer, digest);
  memcpy(tag, digest, tagLength < SHA1_DIGEST_SIZE ? tagLength : SHA1_DIGEST_SIZE);
}

void HmacSha1(const void* key, size_t keyLength, const void* data, size_t n, uint8_t* tag,
              size_t tagLength) {
  HmacSha1Context c;
  HmacSha1Begin(&c, key, keyLength);
  HmacSha1Data(&c, data, n);
  HmacSha1End(&c, tag, tagLength);
}

void ZipPbkdf2Sha1(const void* password, size_t passwordLength, const void* salt,
                   size_t saltLength, uint32_t iterations, uint8_t* out, size_t outLength) {
  HmacSha1Context keyed;
  HmacSha1Begin(&keyed, password, passwordLength);  // reused for every block
  for (uint32_t blockIndex = 1; outLength; blockIndex++) {
    uint8_t counter[4] = {(uint8_t)(blockIndex >> 24), (uint8_t)(blockIndex >> 16),
                          (uint8_t)(blockIndex >> 8), (uint8_t)blockIndex};
    HmacSha1Context c = keyed;
    HmacSha1Data(&c, salt, saltLength);
    HmacSha1Data(&c, counter, 4);
    uint8_t u[SHA1_DIGEST_SIZE], t[SHA1_DIGEST_SIZE];
    HmacSha1End(&c, u, sizeof u);
    memcpy(t, u, sizeof t);
    for (uint32_t i = 1; i < iterations; i++) {
      c = keyed;
      HmacSha1Data(&c, u, sizeof u);
      HmacSha1End(&c, u, sizeof u);
      for (int j = 0; j < SHA1_DIGEST_SIZE; j++) t[j] ^= u[j];
    }
    size_t take = outLength < SHA1_DIGEST_SIZE ? outLength : SHA1_DIGEST_SIZE;
    memcpy(out, t, take);
    out += take;
    outLength -= take;
  }
}
