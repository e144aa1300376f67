// SHA-1 (FIPS 180), HMAC-SHA1 (RFC 2104) and PBKDF2-HMAC-SHA1 (RFC 2898),
// as the WinZip AES key derivation needs them.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define SHA1_DIGEST_SIZE 20
#define SHA1_BLOCK_SIZE 64

struct Sha1Context {
  uint32_t state[5];
  uint64_t length;  // bytes hashed so far
  uint8_t block[SHA1_BLOCK_SIZE];
  uint32_t fill;
};

void Sha1Init(Sha1Context* c);
void Sha1Update(Sha1Context* c, const void* data, size_t n);
void Sha1Final(Sha1Context* c, uint8_t digest[SHA1_DIGEST_SIZE]);
void Sha1(const void* data, size_t n, uint8_t digest[SHA1_DIGEST_SIZE]);

struct HmacSha1Context {
  Sha1Context inner;
  Sha1Context outer;
};

// A key longer than the block size is hashed first.
void HmacSha1Begin(HmacSha1Context* c, const void* key, size_t keyLength);
void HmacSha1Data(HmacSha1Context* c, const void* data, size_t n);
// Writes min(tagLength, 20) bytes of the tag.
void HmacSha1End(HmacSha1Context* c, uint8_t* tag, size_t tagLength);
void HmacSha1(const void* key, size_t keyLength, const void* data, size_t n, uint8_t* tag,
              size_t tagLength);

void ZipPbkdf2Sha1(const void* password, size_t passwordLength, const void* salt,
                   size_t saltLength, uint32_t iterations, uint8_t* out, size_t outLength);
