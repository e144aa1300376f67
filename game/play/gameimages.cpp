#include "game/play/gameimages.h"

#include <cstring>

namespace game {

bool LoadAlphaBitmap(HMODULE module, int id, CPicture& picture) {
  HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!res) return false;
  HGLOBAL mem = LoadResource(module, res);
  DWORD size = SizeofResource(module, res);
  const uint8_t* data = mem ? static_cast<const uint8_t*>(LockResource(mem)) : nullptr;
  if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < sizeof h || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 ||
      h.biWidth > 4096 || h.biHeight == 0 || h.biHeight > 4096 || h.biHeight < -4096)
    return false;
  int w = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  size_t row = static_cast<size_t>(w) * 4;
  if (size - h.biSize < row * height) return false;
  CPicture out;
  if (!out.Create(32, w, height, 0, 1)) return false;
  const uint8_t* pixels = data + h.biSize;
  for (int y = 0; y < height; ++y) {
    int src = h.biHeight > 0 ? height - 1 - y : y;  // positive heights are stored bottom-up
    std::memcpy(out.Row(y), pixels + row * src, row);
  }
  picture.Swap(out);
  return true;
}

}  // namespace game
