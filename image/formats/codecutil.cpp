#include "image/formats/codecutil.h"

#include <cstdio>

#include "image/imgerror.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

void ImgCheckSides(int64_t width, int64_t height, const char* format) {
  char text[120];
  if (width <= 0 || height <= 0) {
    std::snprintf(text, sizeof(text), "%s: empty image", format);
    throw EGraphicsDataError(text);
  }
  if (width > kImgMaxDecodeSide || height > kImgMaxDecodeSide || width * height > kImgMaxDecodePixels) {
    std::snprintf(text, sizeof(text), "%s: image too large", format);
    throw EGraphicsMemoryError(text);
  }
}

void ImgCheckExpansion(int64_t rawBytes, uint64_t dataBytes, int64_t ratio, const char* format) {
  if (rawBytes / ratio > static_cast<int64_t>(dataBytes) + 16) {
    char text[120];
    std::snprintf(text, sizeof(text), "%s: image size does not fit the data", format);
    throw EGraphicsDataError(text);
  }
}

void ImgRowToArgb(const CPicture& picture, int y, uint32_t* out) {
  const uint8_t* row = picture.Row(y);
  const int w = picture.Width(), bits = picture.Bits();
  switch (bits) {
    case 32:
      for (int x = 0; x < w; ++x)
        out[x] = static_cast<uint32_t>(row[4 * x]) | static_cast<uint32_t>(row[4 * x + 1]) << 8 |
                 static_cast<uint32_t>(row[4 * x + 2]) << 16 | static_cast<uint32_t>(row[4 * x + 3]) << 24;
      break;
    case 24:
      for (int x = 0; x < w; ++x)
        out[x] = 0xFF000000u | static_cast<uint32_t>(row[3 * x]) | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
                 static_cast<uint32_t>(row[3 * x + 2]) << 16;
      break;
    case 16:
      for (int x = 0; x < w; ++x)
        out[x] = 0xFF000000u | ImgWiden555(static_cast<uint16_t>(row[2 * x] | row[2 * x + 1] << 8));
      break;
    default: {
      const uint32_t* pal = picture.Palette();
      for (int x = 0; x < w; ++x) out[x] = pal[ImgReadPixel(row, x, bits)];
    }
  }
}

void ImgPut(ImgSink& out, const void* data, size_t size) {
  if (!out.Write(data, size)) throw EGraphicsFileError("write failed");
}

int ImgPaletteBits(unsigned maxIndex) {
  return maxIndex < 2 ? 1 : maxIndex < 4 ? 2 : maxIndex < 16 ? 4 : 8;
}
