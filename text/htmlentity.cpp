#include "text/htmlentity.h"

#include <string.h>

namespace {

const uint16_t k1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

struct Entity {
  const char* name;
  uint32_t code;
};

// sorted by byte value (strcmp) for the binary search
const Entity kEntities[] = {
    {"AElig", 0xC6}, {"Aacute", 0xC1}, {"Acirc", 0xC2}, {"Agrave", 0xC0}, {"Alpha", 0x391},
    {"Aring", 0xC5}, {"Atilde", 0xC3}, {"Auml", 0xC4}, {"Beta", 0x392}, {"Ccedil", 0xC7},
    {"Chi", 0x3A7}, {"Dagger", 0x2021}, {"Delta", 0x394}, {"ETH", 0xD0}, {"Eacute", 0xC9},
    {"Ecirc", 0xCA}, {"Egrave", 0xC8}, {"Epsilon", 0x395}, {"Eta", 0x397}, {"Euml", 0xCB},
    {"Gamma", 0x393}, {"Iacute", 0xCD}, {"Icirc", 0xCE}, {"Igrave", 0xCC}, {"Iota", 0x399},
    {"Iuml", 0xCF}, {"Kappa", 0x39A}, {"Lambda", 0x39B}, {"Mu", 0x39C}, {"Ntilde", 0xD1},
    {"Nu", 0x39D}, {"OElig", 0x152}, {"Oacute", 0xD3}, {"Ocirc", 0xD4}, {"Ograve", 0xD2},
    {"Omega", 0x3A9}, {"Omicron", 0x39F}, {"Oslash", 0xD8}, {"Otilde", 0xD5}, {"Ouml", 0xD6},
    {"Phi", 0x3A6}, {"Pi", 0x3A0}, {"Prime", 0x2033}, {"Psi", 0x3A8}, {"Rho", 0x3A1},
    {"Scaron", 0x160}, {"Sigma", 0x3A3}, {"THORN", 0xDE}, {"Tau", 0x3A4}, {"Theta", 0x398},
    {"Uacute", 0xDA}, {"Ucirc", 0xDB}, {"Ugrave", 0xD9}, {"Upsilon", 0x3A5}, {"Uuml", 0xDC},
    {"Xi", 0x39E}, {"Yacute", 0xDD}, {"Yuml", 0x178}, {"Zeta", 0x396}, {"aacute", 0xE1},
    {"acirc", 0xE2}, {"acute", 0xB4}, {"aelig", 0xE6}, {"agrave", 0xE0}, {"alefsym", 0x2135},
    {"alpha", 0x3B1}, {"amp", 0x26}, {"and", 0x2227}, {"ang", 0x2220}, {"aring", 0xE5},
    {"asymp", 0x2248}, {"atilde", 0xE3}, {"auml", 0xE4}, {"bdquo", 0x201E}, {"beta", 0x3B2},
    {"brvbar", 0xA6}, {"bull", 0x2022}, {"cap", 0x2229}, {"ccedil", 0xE7}, {"cedil", 0xB8},
    {"cent", 0xA2}, {"chi", 0x3C7}, {"circ", 0x2C6}, {"clubs", 0x2663}, {"cong", 0x2245},
    {"copy", 0xA9}, {"crarr", 0x21B5}, {"cup", 0x222A}, {"curren", 0xA4}, {"dArr", 0x21D3},
    {"dagger", 0x2020}, {"darr", 0x2193}, {"deg", 0xB0}, {"delta", 0x3B4}, {"diams", 0x2666},
    {"divide", 0xF7}, {"eacute", 0xE9}, {"ecirc", 0xEA}, {"egrave", 0xE8}, {"empty", 0x2205},
    {"emsp", 0x2003}, {"ensp", 0x2002}, {"epsilon", 0x3B5}, {"equiv", 0x2261}, {"eta", 0x3B7},
    {"eth", 0xF0}, {"euml", 0xEB}, {"euro", 0x20AC}, {"exist", 0x2203}, {"fnof", 0x192},
    {"forall", 0x2200}, {"frac12", 0xBD}, {"frac14", 0xBC}, {"frac34", 0xBE}, {"frasl", 0x2044},
    {"gamma", 0x3B3}, {"ge", 0x2265}, {"gt", 0x3E}, {"hArr", 0x21D4}, {"harr", 0x2194},
    {"hearts", 0x2665}, {"hellip", 0x2026}, {"iacute", 0xED}, {"icirc", 0xEE}, {"iexcl", 0xA1},
    {"igrave", 0xEC}, {"image", 0x2111}, {"infin", 0x221E}, {"int", 0x222B}, {"iota", 0x3B9},
    {"iquest", 0xBF}, {"isin", 0x2208}, {"iuml", 0xEF}, {"kappa", 0x3BA}, {"lArr", 0x21D0},
    {"lambda", 0x3BB}, {"lang", 0x2329}, {"laquo", 0xAB}, {"larr", 0x2190}, {"lceil", 0x2308},
    {"ldquo", 0x201C}, {"le", 0x2264}, {"lfloor", 0x230A}, {"lowast", 0x2217}, {"loz", 0x25CA},
    {"lrm", 0x200E}, {"lsaquo", 0x2039}, {"lsquo", 0x2018}, {"lt", 0x3C}, {"macr", 0xAF},
    {"mdash", 0x2014}, {"micro", 0xB5}, {"middot", 0xB7}, {"minus", 0x2212}, {"mu", 0x3BC},
    {"nabla", 0x2207}, {"nbsp", 0xA0}, {"ndash", 0x2013}, {"ne", 0x2260}, {"ni", 0x220B},
    {"not", 0xAC}, {"notin", 0x2209}, {"nsub", 0x2284}, {"ntilde", 0xF1}, {"nu", 0x3BD},
    {"oacute", 0xF3}, {"ocirc", 0xF4}, {"oelig", 0x153}, {"ograve", 0xF2}, {"oline", 0x203E},
    {"omega", 0x3C9}, {"omicron", 0x3BF}, {"oplus", 0x2295}, {"or", 0x2228}, {"ordf", 0xAA},
    {"ordm", 0xBA}, {"oslash", 0xF8}, {"otilde", 0xF5}, {"otimes", 0x2297}, {"ouml", 0xF6},
    {"para", 0xB6}, {"part", 0x2202}, {"permil", 0x2030}, {"perp", 0x22A5}, {"phi", 0x3C6},
    {"pi", 0x3C0}, {"piv", 0x3D6}, {"plusmn", 0xB1}, {"pound", 0xA3}, {"prime", 0x2032},
    {"prod", 0x220F}, {"prop", 0x221D}, {"psi", 0x3C8}, {"quot", 0x22}, {"rArr", 0x21D2},
    {"radic", 0x221A}, {"rang", 0x232A}, {"raquo", 0xBB}, {"rarr", 0x2192}, {"rceil", 0x2309},
    {"rdquo", 0x201D}, {"real", 0x211C}, {"reg", 0xAE}, {"rfloor", 0x230B}, {"rho", 0x3C1},
    {"rlm", 0x200F}, {"rsaquo", 0x203A}, {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"scaron", 0x161},
    {"sdot", 0x22C5}, {"sect", 0xA7}, {"shy", 0xAD}, {"sigma", 0x3C3}, {"sigmaf", 0x3C2},
    {"sim", 0x223C}, {"spades", 0x2660}, {"sub", 0x2282}, {"sube", 0x2286}, {"sum", 0x2211},
    {"sup", 0x2283}, {"sup1", 0xB9}, {"sup2", 0xB2}, {"sup3", 0xB3}, {"supe", 0x2287}, {"szlig", 0xDF},
    {"tau", 0x3C4}, {"there4", 0x2234}, {"theta", 0x3B8}, {"thetasym", 0x3D1}, {"thinsp", 0x2009},
    {"thorn", 0xFE}, {"tilde", 0x2DC}, {"times", 0xD7}, {"trade", 0x2122}, {"uArr", 0x21D1},
    {"uacute", 0xFA}, {"uarr", 0x2191}, {"ucirc", 0xFB}, {"ugrave", 0xF9}, {"uml", 0xA8},
    {"upsih", 0x3D2}, {"upsilon", 0x3C5}, {"uuml", 0xFC}, {"weierp", 0x2118}, {"xi", 0x3BE},
    {"yacute", 0xFD}, {"yen", 0xA5}, {"yuml", 0xFF}, {"zeta", 0x3B6}, {"zwj", 0x200D},
    {"zwnj", 0x200C},
};

// names pages write without the closing ';' often enough to honour them,
// also right before other letters ("&copy2026")
int LegacyPrefix(const char* name) {
  static const char* const kLegacy[] = {"amp", "lt", "gt", "quot", "nbsp", "copy", "reg"};
  for (const char* l : kLegacy)
    if (strncmp(l, name, strlen(l)) == 0) return static_cast<int>(strlen(l));
  return 0;
}

bool IsAsciiAlnum(WideChar c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

uint32_t CheckedCode(uint32_t v) {
  if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0xFFFD;
  if (v >= 0x80 && v <= 0x9F) return Text1252ToUnicode(static_cast<unsigned char>(v));
  return v;
}

}  // namespace

uint32_t Text1252ToUnicode(unsigned char c) { return c >= 0x80 && c < 0xA0 ? k1252High[c - 0x80] : c; }

unsigned char TextUnicodeTo1252(uint32_t cp, unsigned char missing) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (uint32_t i = 0; i < 32; ++i)
    if (k1252High[i] == cp && cp != 0x80 + i) return static_cast<unsigned char>(0x80 + i);
  return missing;
}

int32_t HtmlEntityLookup(const char* name, int length) {
  if (!name) return -1;
  size_t n = length < 0 ? strlen(name) : static_cast<size_t>(length);
  int lo = 0, hi = static_cast<int>(sizeof(kEntities) / sizeof(kEntities[0])) - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    const char* e = kEntities[mid].name;
    int c = strncmp(e, name, n);
    if (c == 0 && e[n] != 0) c = 1;
    if (c == 0) return static_cast<int32_t>(kEntities[mid].code);
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return -1;
}

int HtmlEntityDecode(const WideChar* text, int length, uint32_t* codePoint) {
  if (!text || length < 2 || text[0] != '&') return 0;
  int i = 1;
  if (text[1] == '#') {
    i = 2;
    bool hex = i < length && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    int start = i;
    uint32_t v = 0;
    bool big = false;
    for (; i < length; ++i) {
      WideChar c = text[i];
      uint32_t d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (hex && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        break;
      v = v * (hex ? 16 : 10) + d;
      if (v > 0x10FFFF) big = true, v = 0x110000;
    }
    if (i == start) return 0;
    if (i < length && text[i] == ';') ++i;
    if (codePoint) *codePoint = big ? 0xFFFD : CheckedCode(v);
    return i;
  }
  char name[12];
  int n = 0;
  while (i < length && IsAsciiAlnum(text[i]) && n < 10) name[n++] = static_cast<char>(text[i++]);
  if (n == 0) return 0;
  name[n] = 0;
  bool semi = i < length && text[i] == ';';
  int32_t cp = semi ? HtmlEntityLookup(name, n) : -1;
  if (cp >= 0) {
    if (codePoint) *codePoint = static_cast<uint32_t>(cp);
    return i + 1;
  }
  int legacy = LegacyPrefix(name);
  if (legacy == 0) return 0;
  if (codePoint) *codePoint = static_cast<uint32_t>(HtmlEntityLookup(name, legacy));
  return 1 + legacy;
}
