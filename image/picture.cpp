// CPicture storage, palette and per-depth pixel access.
#include "image/picture.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "image/pixelfmt.h"

int ImgRowBytes(int bits, int width) {
  if (width <= 0) return 0;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return 0;
  int64_t b = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
  return b > INT_MAX ? 0 : static_cast<int>(b);
}

CPicture::CPicture()
    : m_colorKey(kImgNoColorKey),
      m_pixels(nullptr),
      m_width(0),
      m_height(0),
      m_bits(0),
      m_stride(0),
      m_storage(0),
      m_font(nullptr),
      m_fontSize(0),
      m_plot(nullptr),
      m_textColor(0),
      m_textBack(kImgNoColorKey)
#ifdef _WIN32
      ,
      m_hBitmap(nullptr)
#endif
{
  std::memset(m_palette, 0, sizeof(m_palette));
}

CPicture::~CPicture() {
  ReleaseStorage();
  std::free(m_font);
}

void CPicture::ReleaseStorage() {
#ifdef _WIN32
  if (m_hBitmap) {
    DeleteObject(m_hBitmap);  // frees the section's bits too
    m_hBitmap = nullptr;
  } else
#endif
    std::free(m_pixels);
  m_pixels = nullptr;
  m_width = m_height = m_bits = m_stride = 0;
  m_storage = 0;
}

bool CPicture::Destroy() {
  bool had = m_pixels != nullptr;
  ReleaseStorage();
  return had;
}

bool CPicture::Allocate(int bits, int width, int height, int storage) {
  int stride = ImgRowBytes(bits, width);
  if (stride == 0 || height <= 0) return false;
  if (static_cast<int64_t>(stride) * height > INT_MAX) return false;
  size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
#ifdef _WIN32
  if (storage == 1) {
    CPicture probe;  // only to build the header
    probe.m_width = width;
    probe.m_height = height;
    probe.m_bits = bits;
    probe.SetGreyPalette();
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[256];
    } bmi;
    probe.GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
    void* bitsPtr = nullptr;
    HBITMAP hbm = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS,
                                   &bitsPtr, nullptr, 0);
    if (!hbm || !bitsPtr) {
      if (hbm) DeleteObject(hbm);
      return false;
    }
    ReleaseStorage();
    m_hBitmap = hbm;
    m_pixels = static_cast<uint8_t*>(bitsPtr);
    std::memset(m_pixels, 0, bytes);
  } else
#endif
  {
    storage = 0;
    uint8_t* p = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!p) return false;
    ReleaseStorage();
    m_pixels = p;
  }
  m_width = width;
  m_height = height;
  m_bits = bits;
  m_stride = stride;
  m_storage = storage;
  m_colorKey = kImgNoColorKey;
  SetGreyPalette();
  return true;
}

bool CPicture::Create(int bits, int width, int height, uint32_t fill, int storage) {
  if (!Allocate(bits, width, height, storage)) return false;
  if (fill != 0) FillRect(0, 0, width, height, fill);
  return true;
}

void CPicture::Swap(CPicture& o) {
  std::swap(m_colorKey, o.m_colorKey);
  std::swap(m_pixels, o.m_pixels);
  std::swap(m_width, o.m_width);
  std::swap(m_height, o.m_height);
  std::swap(m_bits, o.m_bits);
  std::swap(m_stride, o.m_stride);
  std::swap(m_storage, o.m_storage);
  for (int i = 0; i < 256; ++i) std::swap(m_palette[i], o.m_palette[i]);
  std::swap(m_font, o.m_font);
  std::swap(m_fontSize, o.m_fontSize);
  std::swap(m_plot, o.m_plot);
  std::swap(m_textColor, o.m_textColor);
  std::swap(m_textBack, o.m_textBack);
#ifdef _WIN32
  std::swap(m_hBitmap, o.m_hBitmap);
#endif
}

void CPicture::SwapPixels(CPicture& o) {
  std::swap(m_pixels, o.m_pixels);
  std::swap(m_width, o.m_width);
  std::swap(m_height, o.m_height);
  std::swap(m_bits, o.m_bits);
  std::swap(m_stride, o.m_stride);
  std::swap(m_storage, o.m_storage);
  for (int i = 0; i < 256; ++i) std::swap(m_palette[i], o.m_palette[i]);
#ifdef _WIN32
  std::swap(m_hBitmap, o.m_hBitmap);
#endif
}

// ----------------------------------------------------------------- palette

bool CPicture::SetPaletteEntry(int index, uint32_t value) {
  if (index < 0 || index > 255) return false;
  m_palette[index] = value;
  SyncPalette();
  return true;
}

void CPicture::SetPalette(const uint32_t* entries, int count) {
  if (count > 256) count = 256;
  for (int i = 0; i < count; ++i) m_palette[i] = entries[i];
  SyncPalette();
}

void CPicture::SetGreyPalette() {
  std::memset(m_palette, 0, sizeof(m_palette));
  int n = PaletteSize();
  for (int i = 0; i < n; ++i) {
    uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
    m_palette[i] = 0xFF000000u | g << 16 | g << 8 | g;
  }
  SyncPalette();
}

void CPicture::SyncPalette() {
#ifdef _WIN32
  // a DIB section keeps its own colour table for GDI
  if (m_hBitmap && m_bits <= 8) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc) {
      HGDIOBJ old = SelectObject(dc, m_hBitmap);
      RGBQUAD q[256];
      for (int i = 0; i < 256; ++i) {
        q[i].rgbBlue = static_cast<BYTE>(m_palette[i]);
        q[i].rgbGreen = static_cast<BYTE>(m_palette[i] >> 8);
        q[i].rgbRed = static_cast<BYTE>(m_palette[i] >> 16);
        q[i].rgbReserved = 0;
      }
      SetDIBColorTable(dc, 0, 1u << m_bits, q);
      SelectObject(dc, old);
      DeleteDC(dc);
    }
  }
#endif
}

// ------------------------------------------------------------------ pixels

uint32_t CPicture::GetPixel(int x, int y) const {
  if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return ImgReadPixel(Row(y), x, m_bits);
}

void CPicture::SetPixel(int x, int y, uint32_t value) {
  if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  ImgWritePixel(Row(y), x, m_bits, value);
}

uint32_t CPicture::PixelToColor(uint32_t v) const {
  switch (m_bits) {
    case 32:
      return v;
    case 24:
    case 16:
      return 0xFF000000u | (v & 0xFFFFFF);
    default:
      return m_palette[v & 0xFF];
  }
}

uint32_t CPicture::GetColor(int x, int y) const {
  if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return PixelToColor(ImgReadPixel(Row(y), x, m_bits));
}

uint32_t CPicture::ColorToPixel(uint32_t colour) const {
  switch (m_bits) {
    case 32:
      return colour;
    case 24:
      return colour & 0xFFFFFF;
    case 16:
      return ImgWiden555(ImgPack555(colour));
    default: {
      int n = PaletteSize();
      int best = 0, bestD = INT_MAX;
      for (int i = 0; i < n && bestD > 0; ++i) {
        int d = ImgColorDistance(m_palette[i], colour);
        if (d < bestD) bestD = d, best = i;
      }
      return static_cast<uint32_t>(best);
    }
  }
}
