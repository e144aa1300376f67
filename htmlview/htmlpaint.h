// GDI side of the viewer: fonts that measure the layout, and its painting.
#pragma once

#include <windows.h>

#include <vector>

#include "htmlview/htmllayout.h"

class HtmlImages;

// Tahoma for text, Courier New for pre and code, in pixel sizes.
class HtmlGdiFonts : public HtmlFontMetrics {
 public:
  HtmlGdiFonts();
  ~HtmlGdiFonts();
  HtmlGdiFonts(const HtmlGdiFonts&) = delete;
  HtmlGdiFonts& operator=(const HtmlGdiFonts&) = delete;
  int TextWidth(const HtmlFont& font, const WideChar* text, int length) override;
  int LineHeight(const HtmlFont& font) override;
  int Ascent(const HtmlFont& font) override;
  HFONT Font(const HtmlFont& font);

 private:
  struct Entry {
    HtmlFont key;
    HFONT font;
    int height, ascent, space;
  };
  Entry& Get(const HtmlFont& font);
  std::vector<Entry> m_fonts;
  HDC m_dc;
  HGDIOBJ m_oldFont;
  HFONT m_selected = nullptr;  // in m_dc
  size_t m_last = 0;
};

// Paints the part of the page shown at scroll position scrollY into dc,
// whose clip box is in window coordinates.
void HtmlPaint(HDC dc, const RECT& clip, const HtmlLayout& layout, HtmlGdiFonts& fonts, const HtmlImages* images,
               int scrollY);
