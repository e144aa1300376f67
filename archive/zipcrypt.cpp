// Traditional PKWARE and WinZip AES decryption of ZIP entry data.
#include "archive/zipcrypt.h"

#include <new>
#include <string.h>

#include "archive/zipstream.h"

void ZipTraditionalUpdate(uint32_t keys[3], uint8_t plain) {
  keys[0] = ZipCrc32Byte(keys[0], plain);
  keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
  keys[2] = ZipCrc32Byte(keys[2], (uint8_t)(keys[1] >> 24));
}

void ZipTraditionalInit(uint32_t keys[3], const char* password) {
  keys[0] = 0x12345678;
  keys[1] = 0x23456789;
  keys[2] = 0x34567890;
  for (const char* p = password; p && *p; p++) ZipTraditionalUpdate(keys, (uint8_t)*p);
}

int ZipTraditionalDecrypt(void* context, void* buffer, int length) {
  uint32_t* keys = (uint32_t*)context;
  uint8_t* p = (uint8_t*)buffer;
  for (int i = 0; i < length; i++) {
    p[i] ^= ZipTraditionalStream(keys);
    ZipTraditionalUpdate(keys, p[i]);
  }
  return length < 0 ? 0 : length;
}

ZipAesContext* ZipAesAlloc() {
  ZipAesContext* c = new (std::nothrow) ZipAesContext;
  if (c) memset(c, 0, sizeof *c);
  return c;
}

void ZipAesFree(ZipAesContext* c) {
  if (!c) return;
  memset(c, 0, sizeof *c);  // key material
  delete c;
}

int ZipAesInit(ZipAesContext* c, int strength, const char* password, size_t passwordLength,
               const uint8_t* salt, uint8_t verifier[2]) {
  if (passwordLength > 128) return -100;
  if (strength < 1 || strength > 3) return -101;
  size_t keyLength = 8 * (size_t)strength + 8;
  uint8_t derived[2 * 32 + 2];
  ZipPbkdf2Sha1(password, passwordLength, salt, 4 * (size_t)strength + 4, 1000, derived,
                2 * keyLength + 2);
  memset(c->counter, 0, sizeof c->counter);
  c->position = 16;
  c->passwordLength = (uint32_t)passwordLength;
  c->strength = (uint32_t)strength;
  int rc = AesSetEncryptKey(&c->schedule, derived, (int)keyLength);
  HmacSha1Begin(&c->hmac, derived + keyLength, keyLength);
  verifier[0] = derived[2 * keyLength];
  verifier[1] = derived[2 * keyLength + 1];
  memset(derived, 0, sizeof derived);
  c->heldCount = 0;
  c->verified = 0;
  return rc ? -101 : 0;
}

void ZipAesCtr(ZipAesContext* c, uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; i++) {
    if (c->position == 16) {
      for (int j = 0; j < 8; j++)
        if (++c->counter[j]) break;
      AesEncryptBlock(&c->schedule, c->counter, c->keyStream);
      c->position = 0;
    }
    data[i] ^= c->keyStream[c->position++];
  }
}

void ZipAesDecrypt(ZipAesContext* c, uint8_t* data, size_t n) {
  HmacSha1Data(&c->hmac, data, n);
  ZipAesCtr(c, data, n);
}

void ZipAesEncrypt(ZipAesContext* c, uint8_t* data, size_t n) {
  ZipAesCtr(c, data, n);
  HmacSha1Data(&c->hmac, data, n);
}

int ZipAesFinish(ZipAesContext* c, uint8_t tag[10]) {
  HmacSha1End(&c->hmac, tag, 10);
  return 10;
}

int ZipAesDecryptFilter(void* context, void* buffer, int length) {
  ZipAesContext* c = (ZipAesContext*)context;
  if (length <= 0) return length;
  uint8_t* p = (uint8_t*)buffer;
  uint64_t dataEnd = c->dataStart + c->dataLength;
  uint64_t inData = c->consumed < dataEnd ? dataEnd - c->consumed : 0;
  size_t deliver = inData < (uint64_t)length ? (size_t)inData : (size_t)length;
  ZipAesDecrypt(c, p, deliver);
  c->consumed += deliver;
  // what follows the data is the tag: collect it, never deliver it
  for (size_t i = deliver; i < (size_t)length; i++) {
    if (c->heldCount < 10) c->held[c->heldCount] = p[i];
    c->heldCount++;
    c->consumed++;
  }
  if (c->heldCount >= 10 && c->verified == 0) {
    uint8_t tag[10];
    ZipAesFinish(c, tag);
    c->verified = c->heldCount == 10 && memcmp(tag, c->held, 10) == 0 ? 1 : -1;
  }
  if (c->verified < 0 || c->heldCount > 10) return -1;
  return (int)deliver;
}
