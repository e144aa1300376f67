// Computes SHA-1, HMAC-SHA1, PBKDF2 and AES for the lines of a vector file
// (hex fields) and prints one result line each; a script compares them
// with Python's hashlib/hmac and openssl.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "archive/aes.h"
#include "archive/sha1.h"

namespace {

std::vector<uint8_t> Hex(const char* s) {
  std::vector<uint8_t> out;
  for (size_t i = 0; s[i] && s[i + 1]; i += 2) {
    char b[3] = {s[i], s[i + 1], 0};
    out.push_back((uint8_t)strtoul(b, nullptr, 16));
  }
  return out;
}

void Print(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; i++) printf("%02x", p[i]);
  printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILE* f = fopen(argv[1], "r");
  if (!f) return 2;
  static char line[1 << 16];
  while (fgets(line, sizeof line, f)) {
    std::vector<std::string> field;
    for (char* t = strtok(line, " \r\n"); t; t = strtok(nullptr, " \r\n")) field.push_back(t);
    if (field.empty()) continue;
    const std::string& op = field[0];
    auto arg = [&](size_t i) { return i < field.size() ? Hex(field[i] == "-" ? "" : field[i].c_str()) : std::vector<uint8_t>(); };
    if (op == "sha1") {
      std::vector<uint8_t> d = arg(1);
      uint8_t out[20];
      // fed in two parts to cover the buffering
      Sha1Context c;
      Sha1Init(&c);
      Sha1Update(&c, d.data(), d.size() / 3);
      Sha1Update(&c, d.data() + d.size() / 3, d.size() - d.size() / 3);
      Sha1Final(&c, out);
      Print(out, 20);
    } else if (op == "hmac") {
      std::vector<uint8_t> k = arg(1), d = arg(2);
      uint8_t out[20];
      HmacSha1(k.data(), k.size(), d.data(), d.size(), out, 20);
      Print(out, 20);
    } else if (op == "pbkdf2") {
      std::vector<uint8_t> p = arg(1), s = arg(2);
      size_t n = (size_t)atoi(field[4].c_str());
      std::vector<uint8_t> out(n);
      ZipPbkdf2Sha1(p.data(), p.size(), s.data(), s.size(), (uint32_t)atoi(field[3].c_str()),
                    out.data(), n);
      Print(out.data(), n);
    } else if (op == "aes") {
      std::vector<uint8_t> k = arg(1), b = arg(2);
      AesKeySchedule enc, dec;
      uint8_t out[16], back[16];
      if (AesSetEncryptKey(&enc, k.data(), (int)k.size()) ||
          AesSetDecryptKey(&dec, k.data(), (int)(k.size() * 8))) {
        printf("keyerror\n");
        continue;
      }
      AesEncryptBlock(&enc, b.data(), out);
      AesDecryptBlock(&dec, out, back);
      if (memcmp(back, b.data(), 16)) printf("roundtrip-failed ");
      Print(out, 16);
    } else {
      printf("unknown\n");
    }
  }
  fclose(f);
  return 0;
}
