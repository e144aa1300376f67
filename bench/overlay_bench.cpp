// Painting the map overlays, one frame of a 1920 x 1080 view: 1,000 markers
// (a quarter with labels) and a track of 100,000 points, against copying
// the same frame's bytes (memcpy, and BitBlt between two DIB sections as the
// window's own paint does before the overlays).
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/benchlib.h"
#include "map/mapoverlay.h"
#include "map/mapoverlay_paint.h"

namespace {

const int kW = 1920, kH = 1080;

HBITMAP MakeDib(HDC dc, void** bits) {
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kW;
  bi.bmiHeader.biHeight = -kH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  MapView view;
  view.Init(4096, 2048);
  view.ApplyZoom(12);
  view.originX = 0x22000000u, view.originY = 0x16000000u;
  view.clientW = kW, view.clientH = kH;
  view.scrollX = (4096 - kW) / 2, view.scrollY = (2048 - kH) / 2;
  MapOverlay ov;
  ov.Bind(&view, nullptr);
  orvbench::Random rnd;
  for (int i = 0; i < 1000; i++) {
    double lon, lat;
    view.ClientToGeo(view.scrollX + (int)rnd.Uniform(0, kW), view.scrollY + (int)rnd.Uniform(0, kH), &lon, &lat);
    uint32_t flags = MAPMK_VISIBLE | (i % 4 == 0 ? (uint32_t)MAPMK_LABEL : 0u);
    ov.InsertMarker(-1, "Ort", lon, lat, flags, 0x80FFFF, false);
  }
  // a random walk over the view
  double x = view.scrollX + kW / 2, y = view.scrollY + kH / 2;
  for (int i = 0; i < 100000; i++) {
    x += rnd.Uniform(-6, 6);
    y += rnd.Uniform(-6, 6);
    if (x < view.scrollX) x += kW;
    if (x >= view.scrollX + kW) x -= kW;
    if (y < view.scrollY) y += kH;
    if (y >= view.scrollY + kH) y -= kH;
    uint32_t wx, wy;
    view.ClientToWorld((int)x, (int)y, &wx, &wy);
    ov.InsertTrackPoint(0, wx, wy, -1, false);
  }

  // a recorded walk: 100,000 points a pixel or so apart, as GPS points are
  // at this zoom (track 1, drawn by its own comparison)
  MapOverlay fine;
  fine.Bind(&view, nullptr);
  x = view.scrollX + kW / 2, y = view.scrollY + kH / 2;
  double heading = 0;
  for (int i = 0; i < 100000; i++) {
    heading += rnd.Uniform(-0.3, 0.3);
    x += 1.2 * cos(heading);
    y += 1.2 * sin(heading);
    if (x < view.scrollX || x >= view.scrollX + kW || y < view.scrollY || y >= view.scrollY + kH) heading += 3.14159;
    uint32_t wx, wy;
    view.ClientToWorld((int)x, (int)y, &wx, &wy);
    fine.InsertTrackPoint(0, wx, wy, -1, false);
  }

  HDC screen = GetDC(nullptr);
  void *bitsA = nullptr, *bitsB = nullptr;
  HBITMAP a = MakeDib(screen, &bitsA), b = MakeDib(screen, &bitsB);
  HDC dcA = CreateCompatibleDC(screen), dcB = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!a || !b || !dcA || !dcB) return 1;
  SelectObject(dcA, a);
  SelectObject(dcB, b);
  memset(bitsB, 0x80, (size_t)kW * kH * 4);
  SetViewportOrgEx(dcA, -view.scrollX, -view.scrollY, nullptr);
  RECT update = {view.scrollX, view.scrollY, view.scrollX + kW, view.scrollY + kH};
  MapOverlayPainter painter;

  auto paint = [&](long n) {
    for (long i = 0; i < n; i++) {
      painter.PaintTracks(dcA, &update, ov);
      painter.PaintMarkers(dcA, &update, ov);
    }
    GdiFlush();
    return (double)((uint32_t*)bitsA)[kW * 3 + 7];
  };
  auto track = [&](long n) {
    for (long i = 0; i < n; i++) painter.PaintTracks(dcA, &update, ov);
    GdiFlush();
    return (double)((uint32_t*)bitsA)[kW * 3 + 7];
  };
  auto fineTrack = [&](long n) {
    for (long i = 0; i < n; i++) painter.PaintTracks(dcA, &update, fine);
    GdiFlush();
    return (double)((uint32_t*)bitsA)[kW * 3 + 7];
  };
  auto markers = [&](long n) {
    for (long i = 0; i < n; i++) painter.PaintMarkers(dcA, &update, ov);
    GdiFlush();
    return (double)((uint32_t*)bitsA)[kW * 3 + 7];
  };
  auto copy = [&](long n) {
    for (long i = 0; i < n; i++) memcpy(bitsA, bitsB, (size_t)kW * kH * 4);
    return (double)((uint32_t*)bitsA)[n % (kW * kH)];
  };
  auto blit = [&](long n) {
    for (long i = 0; i < n; i++) BitBlt(dcA, view.scrollX, view.scrollY, kW, kH, dcB, 0, 0, SRCCOPY);
    GdiFlush();
    return (double)((uint32_t*)bitsA)[n % (kW * kH)];
  };
  orvbench::Compare("overlay.track", "100k-point track", track, "memcpy of the frame", copy);
  orvbench::Compare("overlay.track.gps", "100k-point recorded walk", fineTrack, "memcpy of the frame", copy);
  orvbench::Compare("overlay.markers", "1000 markers", markers, "memcpy of the frame", copy);
  orvbench::Compare("overlay.paint.memcpy", "1000 markers + 100k-point track", paint, "memcpy of the frame", copy);
  orvbench::Compare("overlay.paint.bitblt", "1000 markers + 100k-point track", paint, "BitBlt of the frame", blit);
  DeleteDC(dcA);
  DeleteDC(dcB);
  DeleteObject(a);
  DeleteObject(b);
  return 0;
}
