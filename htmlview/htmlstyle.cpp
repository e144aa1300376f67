#include "htmlview/htmlstyle.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct NamedColor {
  const char* name;
  uint32_t rgb;
};

const NamedColor kColors[] = {
    {"black", 0x000000},  {"silver", 0xC0C0C0}, {"gray", 0x808080},    {"grey", 0x808080},
    {"white", 0xFFFFFF},  {"maroon", 0x800000}, {"red", 0xFF0000},     {"purple", 0x800080},
    {"fuchsia", 0xFF00FF}, {"green", 0x008000}, {"lime", 0x00FF00},    {"olive", 0x808000},
    {"yellow", 0xFFFF00}, {"navy", 0x000080},   {"blue", 0x0000FF},    {"teal", 0x008080},
    {"aqua", 0x00FFFF},   {"orange", 0xFFA500}, {"brown", 0xA52A2A},   {"pink", 0xFFC0CB},
    {"lightgray", 0xD3D3D3}, {"lightgrey", 0xD3D3D3}, {"darkgray", 0xA9A9A9}, {"darkblue", 0x00008B},
    {"darkgreen", 0x006400}, {"darkred", 0x8B0000}, {"lightblue", 0xADD8E6}, {"lightyellow", 0xFFFFE0},
    {"beige", 0xF5F5DC},  {"ivory", 0xFFFFF0},  {"gold", 0xFFD700},    {"cyan", 0x00FFFF},
    {"magenta", 0xFF00FF},
};

// font size 1..7 in pixels
const int kFontSizes[8] = {16, 10, 13, 16, 18, 24, 32, 48};
const int kHeadingSizes[6] = {32, 24, 19, 16, 13, 11};

std::string Ascii(const HtmlString& s) {
  std::string out;
  for (WideChar c : s) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    out.push_back(static_cast<char>(c < 128 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : '?'));
  }
  return out;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// "12px", "12pt", "1.5em", "150%", "small" ... in pixels, relative to base.
int ParseFontSize(const std::string& v, int base) {
  static const struct { const char* name; int px; } kNamed[] = {
      {"xx-small", 9}, {"x-small", 10}, {"small", 13}, {"medium", 16}, {"large", 18}, {"x-large", 24}, {"xx-large", 32}};
  for (auto& n : kNamed)
    if (v == n.name) return n.px;
  if (v == "smaller") return base * 5 / 6;
  if (v == "larger") return base * 6 / 5;
  char* end = nullptr;
  double d = strtod(v.c_str(), &end);
  if (end == v.c_str() || !(d > 0) || d > 1000) return -1;
  std::string unit(end);
  if (unit == "px" || unit.empty()) return static_cast<int>(d + 0.5);
  if (unit == "pt") return static_cast<int>(d * 4 / 3 + 0.5);
  if (unit == "em") return static_cast<int>(d * base + 0.5);
  if (unit == "%") return static_cast<int>(d * base / 100 + 0.5);
  return -1;
}

HtmlAlign ParseAlign(const std::string& v, HtmlAlign def) {
  if (v == "center" || v == "middle") return HtmlAlign::kCenter;
  if (v == "right") return HtmlAlign::kRight;
  if (v == "left" || v == "justify") return HtmlAlign::kLeft;
  return def;
}

HtmlString Widen(const std::string& s) { return HtmlString(s.begin(), s.end()); }

// The few properties of a style attribute we honour.
void ApplyCss(const HtmlString& css, HtmlStyle& out) {
  std::string s;
  for (WideChar c : css) s.push_back(static_cast<char>(c < 128 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : '?'));
  size_t pos = 0;
  while (pos < s.size()) {
    size_t semi = s.find(';', pos);
    if (semi == std::string::npos) semi = s.size();
    std::string decl = s.substr(pos, semi - pos);
    pos = semi + 1;
    size_t colon = decl.find(':');
    if (colon == std::string::npos) continue;
    std::string prop, val;
    for (char c : decl.substr(0, colon))
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') prop.push_back(c);
    for (char c : decl.substr(colon + 1))
      if (c != '\t' && c != '\n' && c != '\r') val.push_back(c);
    while (!val.empty() && val.front() == ' ') val.erase(0, 1);
    while (!val.empty() && val.back() == ' ') val.pop_back();
    size_t imp = val.find("!important");
    if (imp != std::string::npos) val.erase(imp);
    while (!val.empty() && val.back() == ' ') val.pop_back();
    uint32_t rgb;
    if (prop == "color") {
      if (HtmlParseColor(Widen(val), &rgb)) out.color = rgb;
    } else if (prop == "background-color" || prop == "background") {
      if (HtmlParseColor(Widen(val), &rgb)) out.background = rgb;
    } else if (prop == "text-align") {
      out.align = ParseAlign(val, out.align);
    } else if (prop == "font-size") {
      int px = ParseFontSize(val, out.font.size);
      if (px > 0) out.font.size = Clamp(px, 6, 200);
    } else if (prop == "font-weight") {
      out.font.bold = val == "bold" || val == "bolder" || atoi(val.c_str()) >= 600;
    } else if (prop == "font-style") {
      out.font.italic = val == "italic" || val == "oblique";
    }
  }
}

}  // namespace

bool HtmlParseColor(const HtmlString& text, uint32_t* rgb) {
  std::string s = Ascii(text);
  if (s.empty()) return false;
  if (s.compare(0, 4, "rgb(") == 0) {
    int v[3] = {0, 0, 0};
    const char* p = s.c_str() + 4;
    for (int i = 0; i < 3; ++i) {
      char* end;
      long n = strtol(p, &end, 10);
      if (end == p) return false;
      v[i] = Clamp(static_cast<int>(n < 0 ? 0 : n > 255 ? 255 : n), 0, 255);
      p = end;
      if (*p == ',') ++p;
    }
    *rgb = static_cast<uint32_t>(v[0] << 16 | v[1] << 8 | v[2]);
    return true;
  }
  for (const NamedColor& c : kColors)
    if (s == c.name) return *rgb = c.rgb, true;
  if (s[0] == '#') s.erase(0, 1);
  if (s.size() != 3 && s.size() != 6) return false;
  uint32_t v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  if (s.size() == 3) v = ((v >> 8) & 15) * 0x110000 + ((v >> 4) & 15) * 0x1100 + (v & 15) * 0x11;
  *rgb = v;
  return true;
}

int HtmlParseLength(const HtmlString* text, int whole, int zoom) {
  if (!text) return -1;
  std::string s = Ascii(*text);
  char* end = nullptr;
  double d = strtod(s.c_str(), &end);
  if (end == s.c_str() || !(d >= 0)) return -1;
  if (*end == '%') d = d * whole / 100;
  else d = d * zoom / 100;
  if (d > (1 << 28)) d = 1 << 28;
  return static_cast<int>(d + 0.5);
}

void HtmlApplyStyle(const HtmlNode& n, const HtmlStyle& parent, HtmlStyle& out) {
  out = parent;
  out.background = kHtmlNoColor;  // backgrounds are painted by their own element
  switch (n.tag) {
    case HtmlTag::kH1: case HtmlTag::kH2: case HtmlTag::kH3:
    case HtmlTag::kH4: case HtmlTag::kH5: case HtmlTag::kH6:
      out.font.size = kHeadingSizes[static_cast<int>(n.tag) - static_cast<int>(HtmlTag::kH1)];
      out.font.bold = true;
      break;
    case HtmlTag::kB: case HtmlTag::kStrong: case HtmlTag::kTh: out.font.bold = true; break;
    case HtmlTag::kI: case HtmlTag::kEm: out.font.italic = true; break;
    case HtmlTag::kU: out.font.underline = true; break;
    case HtmlTag::kSmall: case HtmlTag::kSub: case HtmlTag::kSup: out.font.size = Clamp(parent.font.size * 5 / 6, 6, 200); break;
    case HtmlTag::kBig: out.font.size = Clamp(parent.font.size * 6 / 5, 6, 200); break;
    case HtmlTag::kPre: out.pre = true; out.font.mono = true; break;
    case HtmlTag::kTt: case HtmlTag::kCode: out.font.mono = true; break;
    case HtmlTag::kCenter: out.align = HtmlAlign::kCenter; break;
    case HtmlTag::kA:
      if (n.Attr("href")) {
        out.color = parent.linkColor;
        out.font.underline = true;
      }
      break;
    case HtmlTag::kFont: {
      uint32_t rgb;
      if (const HtmlString* c = n.Attr("color"))
        if (HtmlParseColor(*c, &rgb)) out.color = rgb;
      if (const HtmlString* sz = n.Attr("size")) {
        std::string v = Ascii(*sz);
        int k = atoi(v.c_str());
        if (!v.empty() && (v[0] == '+' || v[0] == '-')) k += 3;
        if (!v.empty()) out.font.size = kFontSizes[Clamp(k, 1, 7)];
      }
      break;
    }
    default:
      break;
  }
  uint32_t rgb;
  if (const HtmlString* bg = n.Attr("bgcolor"))
    if (HtmlParseColor(*bg, &rgb)) out.background = rgb;
  if (n.tag != HtmlTag::kImg && n.tag != HtmlTag::kTable)
    if (const HtmlString* al = n.Attr("align")) out.align = ParseAlign(Ascii(*al), out.align);
  if (const HtmlString* css = n.Attr("style")) ApplyCss(*css, out);
}

void HtmlRootStyle(const HtmlNode& root, HtmlStyle& style) {
  style = HtmlStyle();
  uint32_t rgb;
  if (const HtmlString* v = root.Attr("text"))
    if (HtmlParseColor(*v, &rgb)) style.color = rgb;
  if (const HtmlString* v = root.Attr("link"))
    if (HtmlParseColor(*v, &rgb)) style.linkColor = rgb;
  if (const HtmlString* v = root.Attr("bgcolor"))
    if (HtmlParseColor(*v, &rgb)) style.background = rgb;
  if (const HtmlString* css = root.Attr("style")) ApplyCss(*css, style);
}
