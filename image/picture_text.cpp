// CPicture: text in a bitmap font.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/imgfont.h"
#include "image/picture.h"

size_t ImgFontBlockSize(const uint8_t* b, size_t size) {
  if (!b || size < kImgFontHeader) return 0;
  size_t height = b[0], count = b[2];
  if (height == 0 || count == 0 || b[1] + count > 256) return 0;
  size_t need = kImgFontHeader + count;
  if (size < need) return 0;
  for (size_t i = 0; i < count; ++i) need += height * ((b[kImgFontHeader + i] + 7u) / 8u);
  return need <= size ? need : 0;
}

bool CPicture::SetFont(const void* block, size_t size) {
  std::free(m_font);
  m_font = nullptr;
  m_fontSize = 0;
  if (!block || size == 0) return true;  // no font: text draws nothing
  size_t need = ImgFontBlockSize(static_cast<const uint8_t*>(block), size);
  if (need == 0) return false;
  m_font = static_cast<uint8_t*>(std::malloc(need));
  if (!m_font) return false;
  std::memcpy(m_font, block, need);
  m_fontSize = need;
  return true;
}

void CPicture::SetTextColor(ImgPlotProc plot, uint32_t colour, int background) {
  if (background) {
    m_textBack = colour;
  } else {
    m_plot = plot;
    m_textColor = colour;
  }
}

int CPicture::FontHeight() const { return m_font ? m_font[0] : 0; }

int CPicture::TextWidth(const char* text) const {
  if (!m_font || !text) return 0;
  int w = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    unsigned idx = *p - static_cast<unsigned>(m_font[1]);
    if (*p >= m_font[1] && idx < m_font[2]) w += m_font[kImgFontHeader + idx];
  }
  return w;
}

int CPicture::DrawString(int x, int y, const char* text) {
  if (!m_font || !text) return 0;
  const int height = m_font[0], first = m_font[1], count = m_font[2];
  const uint8_t* widths = m_font + kImgFontHeader;
  // glyph offsets are found by walking; fonts are small. The pen runs in
  // 64 bits so that text placed near the int range cannot overflow it;
  // pixels beyond that range lie outside any picture and are skipped.
  int64_t pen = x;
  const int64_t rows = std::min<int64_t>(height, static_cast<int64_t>(INT_MAX) - y + 1);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < first || *p - first >= count) continue;
    int idx = *p - first;
    size_t off = kImgFontHeader + count;
    for (int i = 0; i < idx; ++i) off += static_cast<size_t>(height) * ((widths[i] + 7u) / 8u);
    int gw = widths[idx], rowBytes = (gw + 7) / 8;
    const int cols = static_cast<int>(std::min<int64_t>(gw, std::max<int64_t>(0, INT_MAX - pen + 1)));
    for (int r = 0; r < rows; ++r) {
      const uint8_t* bits = m_font + off + static_cast<size_t>(r) * rowBytes;
      for (int c = 0; c < cols; ++c) {
        const int px = static_cast<int>(pen + c), py = y + r;
        bool ink = (bits[c >> 3] >> (7 - (c & 7))) & 1;
        if (ink) {
          if (m_plot)
            m_plot(*this, px, py, m_textColor);
          else
            SetPixel(px, py, ColorToPixel(m_textColor));
        } else if (m_textBack != kImgNoColorKey) {
          SetPixel(px, py, ColorToPixel(m_textBack));
        }
      }
    }
    pen += gw;
  }
  return static_cast<int>(std::min<int64_t>(pen - x, INT_MAX));
}
