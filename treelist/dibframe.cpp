#include "treelist/dibframe.h"

#include <stdint.h>
#include <string.h>

#include "toolkit/dibcopy.h"

namespace {

const int kHeight = 24;
const int kWidths[3] = {7, 6, 5};

// Our six sources: a one-pixel frame with rounded corners over a vertical
// gradient; the second variant is the pressed look (darker, reversed).
struct Packed {
  BITMAPINFOHEADER h;
  uint32_t px[7 * kHeight];
};
Packed g_sources[6];
LONG g_made = 0;

void Make() {
  if (InterlockedCompareExchange(&g_made, 1, 0) != 0) {
    while (g_made != 2) Sleep(0);
    return;
  }
  for (int i = 0; i < 6; i++) {
    Packed& p = g_sources[i];
    int w = kWidths[i / 2];
    bool pressed = i & 1;
    memset(&p, 0, sizeof(p));
    p.h.biSize = sizeof(BITMAPINFOHEADER);
    p.h.biWidth = w;
    p.h.biHeight = -kHeight;
    p.h.biPlanes = 1;
    p.h.biBitCount = 32;
    for (int y = 0; y < kHeight; y++) {
      for (int x = 0; x < w; x++) {
        bool corner = (x == 0 || x == w - 1) && (y == 0 || y == kHeight - 1);
        bool edge = x == 0 || x == w - 1 || y == 0 || y == kHeight - 1;
        uint32_t v;
        if (corner) {
          v = 0x00000000u;  // transparent: the rounding
        } else if (edge) {
          v = pressed ? 0xFF404040u : 0xFF707070u;
        } else {
          int g = pressed ? 0xC0 + y * 2 : 0xFC - y * 2;
          v = 0xFF000000u | (g << 16) | (g << 8) | g;
        }
        p.px[y * w + x] = v;
      }
    }
  }
  InterlockedExchange(&g_made, 2);
}

}  // namespace

const void* DibFrameSource(DWORD options) {
  int index = static_cast<int>(((options >> 2) & 6) | (options & 1));
  if (index >= 6) return nullptr;  // bits 3 and 4 together name no image
  Make();
  return &g_sources[index];
}

HDIB DibBuildFrameImage(const void* packed, int width, int height, HDIB* result, COLORREF tint) {
  if (result) *result = nullptr;
  bool tinted = tint != static_cast<COLORREF>(-1);
  SIZE sz;
  HDIB src = DibConvert(nullptr, packed, tinted ? DIB_CONVERT_STRAIGHT : 0, &sz);
  if (!src) return nullptr;
  uint32_t* sp = static_cast<uint32_t*>(DibGetBits(src));
  if (tinted) {
    uint32_t t[3] = {GetBValue(tint), GetGValue(tint), GetRValue(tint)};
    for (int i = 0; i < sz.cx * sz.cy; i++) {
      uint32_t p = sp[i], a = p >> 24;
      if (!a) continue;
      uint32_t out = 0xFF000000u;
      for (int c = 0; c < 3; c++) {
        uint32_t v = (((p >> (8 * c)) & 0xFF) * (a + 1) + t[c] * (256 - a)) >> 8;
        out |= v << (8 * c);
      }
      sp[i] = out;
    }
  }
  HDIB dst = DibCreate(nullptr, width, height, 32, nullptr);
  if (!dst) {
    DibFree(src);
    return nullptr;
  }
  memset(DibGetBits(dst), 0, static_cast<size_t>(DibGetStride(dst)) * height);
  auto corner = [](int srcSide, int target) {
    int c = srcSide < 7 ? 2 : 3;
    return target >= 2 * c ? c : target / 2;
  };
  int cw = corner(sz.cx, width), ch = corner(sz.cy, height);
  int scw = sz.cx < 7 ? 2 : 3, sch = sz.cy < 7 ? 2 : 3;
  if (scw > sz.cx / 2) scw = sz.cx / 2;
  int sxs[3] = {0, scw, sz.cx - scw}, sws[3] = {scw, sz.cx - 2 * scw, scw};
  int sys[3] = {0, sch, sz.cy - sch}, shs[3] = {sch, sz.cy - 2 * sch, sch};
  int txs[3] = {0, cw, width - cw}, tws[3] = {cw, width - 2 * cw, cw};
  int tys[3] = {0, ch, height - ch}, ths[3] = {ch, height - 2 * ch, ch};
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++)
      DibStretchCopy(dst, nullptr, src, nullptr, sxs[c], sys[r], sws[c], shs[r], txs[c], tys[r], tws[c], ths[r]);
  DibFree(src);
  if (result) *result = dst;
  return dst;
}

int DibDrawFrameImage(HDIB dest, int x, int y, int place3, int width, int height, const DibFrameOptions* options) {
  if (!options) return 0;
  const void* src = DibFrameSource(options->options);
  if (!src) return 0;
  COLORREF tint = (options->options & 2) ? options->tint : static_cast<COLORREF>(-1);
  HDIB frame = DibBuildFrameImage(src, width, height, nullptr, tint);
  if (!frame) return 0;
  int r = DibCopyRect(dest, x, y, place3, frame, static_cast<int>(options->options), 0, 0, 0x10000, 0x10000);
  DibFree(frame);
  return r;
}
