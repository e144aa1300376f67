#include "map/maplabels.h"

#include <string.h>

namespace {

// a label wider or taller than this is drawn by GDI each time
const int kMaxSide = 1024;
// kept labels beyond this many are all forgotten (a map holds fewer)
const size_t kMaxLabels = 4096;

}  // namespace

MapLabelCache::~MapLabelCache() {
  if (m_dc) {
    SelectObject(m_dc, m_oldBmp);
    DeleteDC(m_dc);
  }
  if (m_bmp) DeleteObject(m_bmp);
}

void MapLabelCache::Begin(HDC dc) {
  LOGFONTA font;
  memset(&font, 0, sizeof font);
  HGDIOBJ f = GetCurrentObject(dc, OBJ_FONT);
  if (!f || !GetObjectA(f, sizeof font, &font)) memset(&font, 0, sizeof font);
  COLORREF text = GetTextColor(dc);
  UINT align = GetTextAlign(dc);
  int extra = GetTextCharacterExtra(dc);
  if (memcmp(&font, &m_font, sizeof font) != 0 || text != m_textColour || align != m_align || extra != m_extra) {
    m_labels.clear();
    m_font = font, m_textColour = text, m_align = align, m_extra = extra;
  }
  m_last = nullptr;
}

bool MapLabelCache::Measure(HDC dc, const char* text, int len, COLORREF colour, SIZE* box) {
  m_last = nullptr;
  std::string key(text, (size_t)len);
  key.append((const char*)&colour, sizeof colour);
  auto it = m_labels.find(key);
  if (it == m_labels.end()) {
    Label label;
    if (!Render(dc, text, len, colour, &label)) return false;
    if (m_labels.size() >= kMaxLabels) m_labels.clear();
    it = m_labels.emplace(std::move(key), std::move(label)).first;
  }
  m_last = &it->second;
  box->cx = m_last->width, box->cy = m_last->height;
  return true;
}

bool MapLabelCache::Render(HDC dc, const char* text, int len, COLORREF colour, Label* out) {
  SIZE ext = {0, 0};
  if (!GetTextExtentPoint32A(dc, text, len, &ext)) return false;
  int w = ext.cx + 4, h = ext.cy + 2;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
  if (w > m_bmpW || h > m_bmpH) {
    if (!m_dc && !(m_dc = CreateCompatibleDC(dc))) return false;
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w > m_bmpW ? w : m_bmpW;
    bi.bmiHeader.biHeight = -(h > m_bmpH ? h : m_bmpH);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return false;
    HGDIOBJ old = SelectObject(m_dc, bmp);
    if (m_bmp) DeleteObject(m_bmp);
    else m_oldBmp = old;
    m_bmp = bmp, m_bits = (uint32_t*)bits;
    m_bmpW = bi.bmiHeader.biWidth, m_bmpH = -bi.bmiHeader.biHeight;
  }
  // the same drawing as straight into the target: framed box, text inside
  HGDIOBJ oldFont = SelectObject(m_dc, GetCurrentObject(dc, OBJ_FONT));
  HGDIOBJ oldBrush = SelectObject(m_dc, GetStockObject(DC_BRUSH));
  HGDIOBJ oldPen = SelectObject(m_dc, GetStockObject(BLACK_PEN));
  SetBkMode(m_dc, TRANSPARENT);
  SetTextColor(m_dc, m_textColour);
  SetTextAlign(m_dc, m_align);
  SetTextCharacterExtra(m_dc, m_extra);
  SetDCBrushColor(m_dc, colour);
  RECT box = {0, 0, w, h};
  bool ok = Rectangle(m_dc, 0, 0, w, h) && ExtTextOutA(m_dc, 2, 1, ETO_CLIPPED, &box, text, len, nullptr);
  GdiFlush();
  SelectObject(m_dc, oldFont);
  SelectObject(m_dc, oldBrush);
  SelectObject(m_dc, oldPen);
  if (!ok) return false;
  out->width = w, out->height = h;
  out->px.resize((size_t)w * h);
  for (int y = 0; y < h; y++) memcpy(&out->px[(size_t)y * w], m_bits + (size_t)y * m_bmpW, (size_t)w * 4);
  return true;
}

void MapLabelCache::Put(const TrackLineSurface& s, int x, int y) const {
  if (!m_last) return;
  const Label& l = *m_last;
  x += s.dx, y += s.dy;
  int u0 = x < s.left ? s.left - x : 0, v0 = y < s.top ? s.top - y : 0;
  int u1 = x + l.width > s.right ? s.right - x : l.width, v1 = y + l.height > s.bottom ? s.bottom - y : l.height;
  if (u0 >= u1) return;
  for (int v = v0; v < v1; v++)
    memcpy(s.row0 + (intptr_t)(y + v) * s.stride + x + u0, &l.px[(size_t)v * l.width + u0], (size_t)(u1 - u0) * 4);
}
