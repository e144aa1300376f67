// AES (FIPS 197) with 128-, 192- and 256-bit keys, table-driven rounds.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct AesKeySchedule {
  uint32_t rk[60];  // round keys
  int rounds;       // 10, 12 or 14
};

// keyLength in bytes (16, 24, 32) or bits (128, 192, 256). 0 on success,
// 1 for another length.
int AesSetEncryptKey(AesKeySchedule* ks, const uint8_t* key, int keyLength);
int AesSetDecryptKey(AesKeySchedule* ks, const uint8_t* key, int keyLength);
void AesEncryptBlock(const AesKeySchedule* ks, const uint8_t in[16], uint8_t out[16]);
void AesDecryptBlock(const AesKeySchedule* ks, const uint8_t in[16], uint8_t out[16]);
