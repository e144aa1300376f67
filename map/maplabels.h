// Marker labels kept as pixels: a label is a framed box filled with the
// marker's colour and its text inside, wholly opaque, so its pixels depend
// on the text, the colour and the DC's text settings alone. Drawing text
// through GDI costs some 15 microseconds a label under Wine; a label kept
// is copied into a 32-bit DIB target at the cost of its bytes.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "map/trackline.h"

class MapLabelCache {
 public:
  MapLabelCache() = default;
  ~MapLabelCache();
  MapLabelCache(const MapLabelCache&) = delete;
  MapLabelCache& operator=(const MapLabelCache&) = delete;

  // Forgets every label when the DC's font or text colour differ from the
  // ones the kept labels were drawn with.
  void Begin(HDC dc);
  // The label's box size for the text in dc (as GetTextExtentPoint32A plus
  // the frame's room); false when it cannot be kept.
  bool Measure(HDC dc, const char* text, int len, COLORREF colour, SIZE* box);
  // Copies the label measured last with its box's top-left at (x, y) in point
  // coordinates, within the surface's drawable part.
  void Put(const TrackLineSurface& s, int x, int y) const;

 private:
  struct Label {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // top-down rows
  };
  bool Render(HDC dc, const char* text, int len, COLORREF colour, Label* out);

  std::unordered_map<std::string, Label> m_labels;  // text and colour
  const Label* m_last = nullptr;
  LOGFONTA m_font = {};
  COLORREF m_textColour = CLR_INVALID;
  UINT m_align = 0;
  int m_extra = 0;
  HDC m_dc = nullptr;  // scratch, with a DIB section
  HBITMAP m_bmp = nullptr;
  HGDIOBJ m_oldBmp = nullptr;
  uint32_t* m_bits = nullptr;
  int m_bmpW = 0, m_bmpH = 0;
};
