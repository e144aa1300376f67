#include "htmlview/htmlpaint.h"

#include <algorithm>

#include "htmlview/htmlimages.h"

namespace {

COLORREF Colour(uint32_t rgb) { return RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }

void Fill(HDC dc, int x, int y, int w, int h, uint32_t rgb) {
  RECT r = {x, y, x + w, y + h};
  SetBkColor(dc, Colour(rgb));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);  // a fill without a brush
}

void Frame(HDC dc, int x, int y, int w, int h, uint32_t rgb) {
  if (w <= 2 || h <= 2) {
    Fill(dc, x, y, w, h, rgb);
    return;
  }
  Fill(dc, x, y, w, 1, rgb);
  Fill(dc, x, y + h - 1, w, 1, rgb);
  Fill(dc, x, y, 1, h, rgb);
  Fill(dc, x + w - 1, y, 1, h, rgb);
}

}  // namespace

HtmlGdiFonts::HtmlGdiFonts()
    : m_dc(CreateCompatibleDC(nullptr)), m_oldFont(GetCurrentObject(m_dc, OBJ_FONT)) {}

HtmlGdiFonts::~HtmlGdiFonts() {
  SelectObject(m_dc, m_oldFont);
  for (Entry& e : m_fonts) DeleteObject(e.font);
  DeleteDC(m_dc);
}

HtmlGdiFonts::Entry& HtmlGdiFonts::Get(const HtmlFont& f) {
  if (m_last < m_fonts.size() && m_fonts[m_last].key == f) return m_fonts[m_last];
  for (size_t i = 0; i < m_fonts.size(); ++i)
    if (m_fonts[i].key == f) return m_fonts[m_last = i];
  Entry e;
  e.key = f;
  e.font = CreateFontW(-f.size, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, f.underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       (f.mono ? FIXED_PITCH : VARIABLE_PITCH) | FF_DONTCARE, f.mono ? L"Courier New" : L"Tahoma");
  SelectObject(m_dc, m_selected = e.font);
  TEXTMETRICW tm;
  GetTextMetricsW(m_dc, &tm);
  SIZE space = {0, 0};
  GetTextExtentPoint32W(m_dc, L" ", 1, &space);
  e.height = tm.tmHeight + tm.tmExternalLeading;
  e.ascent = tm.tmAscent;
  e.space = space.cx;
  m_fonts.push_back(e);
  m_last = m_fonts.size() - 1;
  return m_fonts.back();
}

HFONT HtmlGdiFonts::Font(const HtmlFont& font) { return Get(font).font; }

int HtmlGdiFonts::TextWidth(const HtmlFont& font, const WideChar* text, int length) {
  Entry& e = Get(font);
  if (length == 1 && text[0] == ' ') return e.space;  // between every two words
  if (m_selected != e.font) SelectObject(m_dc, m_selected = e.font);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(m_dc, text, length, &size);
  return size.cx;
}

int HtmlGdiFonts::LineHeight(const HtmlFont& font) { return Get(font).height; }

int HtmlGdiFonts::Ascent(const HtmlFont& font) { return Get(font).ascent; }

void HtmlPaint(HDC dc, const RECT& clip, const HtmlLayout& layout, HtmlGdiFonts& fonts, const HtmlImages* images,
               int scrollY) {
  Fill(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, layout.background);
  int top = clip.top + scrollY, bottom = clip.bottom + scrollY;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  HFONT current = nullptr;
  COLORREF textColour = CLR_INVALID;
  for (const HtmlItem& it : layout.items) {
    if (it.y >= bottom || it.y + it.h <= top || it.w <= 0 || it.h <= 0) continue;
    int y = it.y - scrollY;
    switch (it.kind) {
      case HtmlItem::kText: {
        HFONT f = fonts.Font(it.font);
        if (f != current) SelectObject(dc, current = f);
        if (Colour(it.color) != textColour) SetTextColor(dc, textColour = Colour(it.color));
        ExtTextOutW(dc, it.x, y, 0, nullptr, it.text.data(), static_cast<UINT>(it.text.size()), nullptr);
        break;
      }
      case HtmlItem::kFill:
        Fill(dc, it.x, y, it.w, it.h, it.color);
        break;
      case HtmlItem::kFrame:
        Frame(dc, it.x, y, it.w, it.h, it.color);
        break;
      case HtmlItem::kImage:
        if (images) images->Draw(dc, it.image, it.x, y, it.w, it.h);
        break;
      case HtmlItem::kAlt: {
        Frame(dc, it.x, y, it.w, it.h, it.color);
        if (!it.text.empty()) {
          HFONT f = fonts.Font(it.font);
          if (f != current) SelectObject(dc, current = f);
          if (Colour(layout.textColor) != textColour) SetTextColor(dc, textColour = Colour(layout.textColor));
          RECT r = {it.x + 1, y + 1, it.x + it.w - 1, y + it.h - 1};
          ExtTextOutW(dc, it.x + 4, y + 3, ETO_CLIPPED, &r, it.text.data(), static_cast<UINT>(it.text.size()),
                      nullptr);
        }
        break;
      }
    }
  }
  SelectObject(dc, oldFont);
  SetBkMode(dc, oldMode);
}
