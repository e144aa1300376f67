// Decryption of ZIP entries: the traditional PKWARE cipher and WinZip AES
// (AE-1/AE-2, counter mode with HMAC-SHA1 authentication).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "archive/aes.h"
#include "archive/sha1.h"

// Traditional cipher keys.
void ZipTraditionalInit(uint32_t keys[3], const char* password);
void ZipTraditionalUpdate(uint32_t keys[3], uint8_t plain);
inline uint8_t ZipTraditionalStream(const uint32_t keys[3]) {
  uint32_t t = (keys[2] & 0xFFFF) | 2;
  return (uint8_t)(((t * (t ^ 1)) >> 8) & 0xFF);
}
// The filter: context = the three keys.
int ZipTraditionalDecrypt(void* keys, void* buffer, int length);

struct ZipAesContext {
  uint8_t counter[16];
  uint8_t keyStream[16];
  uint32_t position;  // in keyStream, 16: a new block is due
  AesKeySchedule schedule;
  HmacSha1Context hmac;
  uint32_t passwordLength;
  uint32_t strength;
  uint64_t dataLength;  // encrypted bytes (without salt, verifier, tag)
  uint64_t consumed;    // input bytes seen, header included
  uint64_t dataStart;   // salt + verifier
  uint8_t held[10];     // tag bytes collected so far
  uint32_t heldCount;
  int verified;         // 1 tag matched, -1 mismatch, 0 not seen yet
};

ZipAesContext* ZipAesAlloc();
void ZipAesFree(ZipAesContext* c);
// 0, -100 password longer than 128 bytes, -101 strength not 1..3.
int ZipAesInit(ZipAesContext* c, int strength, const char* password, size_t passwordLength,
               const uint8_t* salt, uint8_t verifier[2]);
void ZipAesCtr(ZipAesContext* c, uint8_t* data, size_t n);
void ZipAesDecrypt(ZipAesContext* c, uint8_t* data, size_t n);
void ZipAesEncrypt(ZipAesContext* c, uint8_t* data, size_t n);
int ZipAesFinish(ZipAesContext* c, uint8_t tag[10]);
// The stream filter: decrypts the data, keeps the trailing tag back and
// checks it once complete. Returns the bytes delivered, -1 on a bad tag.
int ZipAesDecryptFilter(void* context, void* buffer, int length);
