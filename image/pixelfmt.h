// Per-depth pixel packing shared by the picture code and the codecs.
#pragma once

#include <cstdint>

// 16-bit pixels are X1R5G5B5; as "raw values" they are handed around
// widened to 0x00RRGGBB so that every depth above 8 speaks RGB.
inline uint16_t ImgPack555(uint32_t c) {
  return static_cast<uint16_t>(((c >> 19) & 0x1F) << 10 | ((c >> 11) & 0x1F) << 5 | ((c >> 3) & 0x1F));
}
inline uint32_t ImgWiden555(uint16_t v) {
  uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
  return (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
}

inline uint32_t ImgReadPixel(const uint8_t* row, int x, int bits) {
  switch (bits) {
    case 32:
      return static_cast<uint32_t>(row[4 * x]) | static_cast<uint32_t>(row[4 * x + 1]) << 8 |
             static_cast<uint32_t>(row[4 * x + 2]) << 16 | static_cast<uint32_t>(row[4 * x + 3]) << 24;
    case 24:
      return static_cast<uint32_t>(row[3 * x]) | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
             static_cast<uint32_t>(row[3 * x + 2]) << 16;
    case 16:
      return ImgWiden555(static_cast<uint16_t>(row[2 * x] | row[2 * x + 1] << 8));
    case 8:
      return row[x];
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 2:
      return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  return 0;
}

inline void ImgWritePixel(uint8_t* row, int x, int bits, uint32_t v) {
  switch (bits) {
    case 32:
      row[4 * x] = static_cast<uint8_t>(v);
      row[4 * x + 1] = static_cast<uint8_t>(v >> 8);
      row[4 * x + 2] = static_cast<uint8_t>(v >> 16);
      row[4 * x + 3] = static_cast<uint8_t>(v >> 24);
      break;
    case 24:
      row[3 * x] = static_cast<uint8_t>(v);
      row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
      break;
    case 16: {
      uint16_t p = ImgPack555(v);
      row[2 * x] = static_cast<uint8_t>(p);
      row[2 * x + 1] = static_cast<uint8_t>(p >> 8);
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(v);
      break;
    case 4: {
      int s = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << s)) | (v & 0xF) << s);
      break;
    }
    case 2: {
      int s = 6 - 2 * (x & 3);
      row[x >> 2] = static_cast<uint8_t>((row[x >> 2] & ~(3 << s)) | (v & 3) << s);
      break;
    }
    case 1: {
      int s = 7 - (x & 7);
      row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << s)) | (v & 1) << s);
      break;
    }
  }
}
