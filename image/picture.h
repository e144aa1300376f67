// CPicture: an image of 1 to 32 bits per pixel held as DIB rows.
//
// Rows are stored top-down, each padded to a multiple of 4 bytes, in the
// device-independent bitmap layout: 1/2/4/8 bits are palette indices (most
// significant bits first), 16 bits are X1R5G5B5, 24 bits B,G,R and 32 bits
// B,G,R,A (read as a little-endian word: 0xAARRGGBB).
//
// Colours are 0x00RRGGBB words ("picture order"); where an alpha byte
// matters it is the top byte. Palette entries are 0xAARRGGBB too.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

// Colour-key field value when no key is set.
constexpr uint32_t kImgNoColorKey = 0xFFFFFFFFu;
// DrawPicture key argument: bit 24 set = skip source pixels of the colour in
// the low 24 bits.
constexpr uint32_t kImgUseKey = 0x01000000u;

// ScaleFrom flags.
// kImgScaleSmooth: area average when shrinking, bilinear when enlarging,
// weighted by straight alpha, to 24 or 32 bits; else nearest pixel, same depth
// (exact for premultiplied pictures too).
constexpr unsigned kImgScaleSmooth = 1;

// CreateFromMask flags.
constexpr unsigned kImgMaskFromGrey = 1;  // the mask's grey level is the alpha

class CPicture;
// Text plot routine: draws one pixel of bitmap-font text.
typedef void (*ImgPlotProc)(CPicture& pic, int x, int y, uint32_t colour);

class CPicture {
 public:
  CPicture();
  ~CPicture();
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;

  // storage: 0 = own memory block, 1 = DIB section (Windows; own memory
  // elsewhere). fill: a colour for 16 to 32 bits (stored as given at 32
  // bits), a colour matched against the default grey palette below.
  bool Create(int bits, int width, int height, uint32_t fill = 0, int storage = 0);
  // Frees the pixels; returns whether an image was held.
  bool Destroy();
  void Swap(CPicture& other);
  // Exchanges size, depth, pixels and palette only (not the colour key nor
  // the text settings).
  void SwapPixels(CPicture& other);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int Bits() const { return m_bits; }
  int Stride() const { return m_stride; }            // bytes per row
  bool IsEmpty() const { return m_pixels == nullptr; }
  size_t ImageBytes() const { return static_cast<size_t>(m_stride) * static_cast<size_t>(m_height); }
  uint8_t* Row(int y) { return m_pixels + static_cast<size_t>(y) * m_stride; }
  const uint8_t* Row(int y) const { return m_pixels + static_cast<size_t>(y) * m_stride; }
  uint8_t* Pixels() { return m_pixels; }
  const uint8_t* Pixels() const { return m_pixels; }

  // Palette: 256 entries 0xAARRGGBB; 2^bits are meaningful for palette
  // pictures, none for deeper ones.
  const uint32_t* Palette() const { return m_palette; }
  int PaletteSize() const { return m_bits <= 8 && m_bits > 0 ? 1 << m_bits : 0; }
  bool SetPaletteEntry(int index, uint32_t value);
  void SetPalette(const uint32_t* entries, int count);
  void SetGreyPalette();  // evenly spaced opaque greys for the depth

  // Raw pixel value: palette index, 0x00RRGGBB for 16/24 bits (16 bits
  // widened), 0xAARRGGBB for 32. Positions outside give 0 / are skipped.
  uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t value);
  // ARGB of a pixel: palette entries with their alpha, 255 for 16/24 bits.
  uint32_t GetColor(int x, int y) const;
  // A colour in this picture's pixel format (nearest palette entry).
  uint32_t ColorToPixel(uint32_t colour) const;
  uint32_t PixelToColor(uint32_t value) const;

  // Conversion and copies. Each returns false and leaves this picture as it
  // was when the source is empty, arguments are bad or memory runs out.
  // The source may be this picture.
  bool ConvertFrom(const CPicture& src, int bits);
  bool ScaleFrom(const CPicture& src, int width, int height, unsigned flags = 0);
  bool CropFrom(const CPicture& src, int x, int y, int w, int h);
  // A 32-bit picture: colour (or the mask's own colours when colour is
  // kImgNoColorKey) with the mask's alpha (palette alpha, alpha byte, or
  // with kImgMaskFromGrey the grey level).
  bool CreateFromMask(const CPicture& mask, uint32_t colour, unsigned flags = 0);

  // Drawing; every rectangle is clipped to the picture.
  void DrawPicture(const CPicture& src, int x, int y, uint32_t key = 0);
  void BlendPicture(const CPicture& src, int x, int y);
  void FillRect(int x, int y, int w, int h, uint32_t colour);
  void FrameRect(int x, int y, int w, int h, uint32_t colour);
  void MoveRect(int x, int y, int w, int h, int dx, int dy);

  // 0: every alpha byte 0 (or none), 1: all opaque, 2: varying.
  int GetAlphaUsage() const;
  // Composes the picture over a colour and makes it opaque.
  void FlattenAlpha(uint32_t colour);

  // Bitmap-font text (font block layout in imgfont.h); an empty block or
  // nullptr leaves no font, so text draws nothing.
  bool SetFont(const void* block, size_t size);
  // background 0: plot routine (0 = SetPixel) and text colour;
  // background 1: background colour, kImgNoColorKey for none.
  void SetTextColor(ImgPlotProc plot, uint32_t colour, int background);
  // Draws 8-bit text at (x, y) (top-left); returns its width in pixels.
  int DrawString(int x, int y, const char* text);
  int TextWidth(const char* text) const;
  int FontHeight() const;

  // The colour key: an RGB colour drawn as transparent, or a mark of the
  // caller's (the map engine's own-alpha mark), or kImgNoColorKey.
  uint32_t m_colorKey;

#ifdef _WIN32
  HBITMAP GetHBitmap() const { return m_hBitmap; }  // DIB section or 0
  // Fills a BITMAPINFO with 256 palette slots (top-down rows).
  void GetBitmapInfo(BITMAPINFO* bmi256) const;
  HBITMAP CreateHBitmap(HDC dc = nullptr) const;
  bool FromHBitmap(HWND wnd, HBITMAP bitmap);
  bool CopyToClipboard(HWND owner = nullptr) const;
#endif

 private:
  bool Allocate(int bits, int width, int height, int storage);
  void ReleaseStorage();
  void SyncPalette();
  // Results are built in a separate picture (a failure, or a source that is
  // this picture, leaves it untouched) and then moved in.
  void TakePixels(CPicture& other) { SwapPixels(other); }
  bool ConvertInto(const CPicture& src, int bits);
  bool ScaleInto(const CPicture& src, int width, int height, unsigned flags);

  uint8_t* m_pixels;
  int m_width, m_height, m_bits, m_stride;
  int m_storage;
  uint32_t m_palette[256];
  // bitmap font
  uint8_t* m_font;
  size_t m_fontSize;
  ImgPlotProc m_plot;
  uint32_t m_textColor;
  uint32_t m_textBack;
#ifdef _WIN32
  HBITMAP m_hBitmap;
#endif
};

// Bytes of one padded row, or 0 when the sizes are out of range.
int ImgRowBytes(int bits, int width);

// Distance of two 0x00RRGGBB colours (see colordist.cpp).
int ImgColorDistance(uint32_t a, uint32_t b);
