// Lays a page's tree out for a width: positioned text runs, boxes and images.
#pragma once

#include <vector>

#include "htmlview/htmlstyle.h"

// How text measures; the window measures with GDI, tests with a fixed grid.
class HtmlFontMetrics {
 public:
  virtual int TextWidth(const HtmlFont& font, const WideChar* text, int length) = 0;
  virtual int LineHeight(const HtmlFont& font) = 0;
  virtual int Ascent(const HtmlFont& font) = 0;

 protected:
  ~HtmlFontMetrics() = default;
};

// The natural size of the page's image number k (HtmlDocument::images
// order); false when it cannot be shown (its alt text is framed instead).
class HtmlImageInfo {
 public:
  virtual bool ImageSize(int k, int* width, int* height) = 0;

 protected:
  ~HtmlImageInfo() = default;
};

struct HtmlItem {
  enum Kind : uint8_t { kText, kFill, kFrame, kImage, kAlt };
  Kind kind = kText;
  int32_t x = 0, y = 0, w = 0, h = 0;  // page pixels; text: its line cell
  uint32_t color = 0;                  // text, fill or frame colour
  HtmlFont font;
  int link = -1;   // index into HtmlLayout::links
  int image = -1;  // image number for kImage
  HtmlString text;  // kText, kAlt
};

struct HtmlLayout {
  std::vector<HtmlItem> items;    // painted in this order
  std::vector<HtmlString> links;  // href of each link
  int32_t width = 0, height = 0;  // extent of the page
  uint32_t background = 0xFFFFFF;
  uint32_t textColor = 0;
};

// zoom: percent (kHtmlMinZoom..kHtmlMaxZoom) by which every length of the
// page is scaled; the width is the window's and is not.
void HtmlLayoutPage(const HtmlDocument& doc, int width, HtmlFontMetrics& metrics, HtmlImageInfo* images,
                    HtmlLayout& out, int zoom = 100);

// The link under a page point, -1 for none.
int HtmlLinkAt(const HtmlLayout& layout, int x, int y);
