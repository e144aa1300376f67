// What a tag and its attributes make of the inherited look.
#pragma once

#include "htmlview/htmldom.h"

constexpr uint32_t kHtmlNoColor = 0xFF000000u;  // no background of its own

struct HtmlFont {
  int size = 16;  // pixels
  bool bold = false, italic = false, underline = false, mono = false;
  bool operator==(const HtmlFont& o) const {
    return size == o.size && bold == o.bold && italic == o.italic && underline == o.underline && mono == o.mono;
  }
};

enum class HtmlAlign : uint8_t { kLeft, kCenter, kRight };

struct HtmlStyle {
  HtmlFont font;
  uint32_t color = 0x000000;  // 0xRRGGBB
  uint32_t background = kHtmlNoColor;
  uint32_t linkColor = 0x0000EE;
  HtmlAlign align = HtmlAlign::kLeft;
  bool pre = false;
  int link = -1;  // index of the link this text belongs to
};

// 0xRRGGBB of "#rgb", "#rrggbb", "rrggbb", "rgb(r,g,b)" or a colour name.
bool HtmlParseColor(const HtmlString& text, uint32_t* rgb);
// A length in pixels of "120", "120px", "50%" (of whole); -1 when none.
// Pixel lengths are scaled by zoom percent, shares of whole are not.
int HtmlParseLength(const HtmlString* text, int whole, int zoom = 100);

// The style of an element's content, from its parent's. A new link is not
// numbered here: the caller sets link.
void HtmlApplyStyle(const HtmlNode& node, const HtmlStyle& parent, HtmlStyle& out);
// The page's own colours from the body attributes (bgcolor, text, link).
void HtmlRootStyle(const HtmlNode& root, HtmlStyle& style);
