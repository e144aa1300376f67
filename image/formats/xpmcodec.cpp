// XPM reading and writing.
#include "image/formats/xpmcodec.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/formats/codecutil.h"
#include "image/formats/rasterio.h"
#include "image/imgerror.h"
#include "image/picture.h"
#include "image/pixelfmt.h"

using namespace imgraster;

namespace {

struct NamedColour {
  const char* name;  // lower case, no blanks
  uint32_t rgb;
};
const NamedColour kNames[] = {
#include "image/formats/xpmnames.inc"
};

constexpr uint32_t kNone = 0;  // transparent
const char kMark[] = "/* XPM */";

void Damaged(const char* what) { throw EGraphicsDataError(what); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The quoted strings of the file in order, comments skipped.
struct Strings {
  const char* d;
  size_t n, i;
  std::pair<const char*, size_t> Next() {
    while (i < n) {
      if (d[i] == '/' && i + 1 < n && d[i + 1] == '*') {
        const char* end = static_cast<const char*>(std::memchr(d + i + 2, '*', n - i - 2));
        while (end && !(end + 1 < d + n && end[1] == '/'))
          end = static_cast<const char*>(std::memchr(end + 1, '*', static_cast<size_t>(d + n - end - 1)));
        if (!end) Damaged("XPM: comment not closed");
        i = static_cast<size_t>(end - d) + 2;
      } else if (d[i] == '"') {
        const char* end = static_cast<const char*>(std::memchr(d + i + 1, '"', n - i - 1));
        if (!end) Damaged("XPM: string not closed");
        const size_t start = i + 1;
        i = static_cast<size_t>(end - d) + 1;
        return {d + start, static_cast<size_t>(end - d) - start};
      } else {
        ++i;
      }
    }
    Damaged("XPM: data cut short");
    return {nullptr, 0};
  }
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A colour value: "None", "#" and 3, 6, 9 or 12 hex digits, or an X11 name
// (case and blanks ignored). ARGB.
uint32_t ParseColour(const std::string& value) {
  std::string key;
  for (char c : value)
    if (!IsBlank(c)) key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (key == "none") return kNone;
  if (!key.empty() && key[0] == '#') {
    const size_t digits = key.size() - 1, per = digits / 3;
    if (digits % 3 || per < 1 || per > 4) Damaged("XPM: bad colour");
    uint32_t rgb = 0;
    for (int ch = 0; ch < 3; ++ch) {
      uint32_t v = 0;
      for (size_t k = 0; k < per; ++k) {
        const int h = HexDigit(key[1 + ch * per + k]);
        if (h < 0) Damaged("XPM: bad colour");
        v = v << 4 | static_cast<uint32_t>(h);
      }
      v = per == 1 ? v * 17 : per == 2 ? v : v >> (4 * (per - 2));  // 8 high bits
      rgb = rgb << 8 | v;
    }
    return 0xFF000000u | rgb;
  }
  const NamedColour* end = kNames + sizeof(kNames) / sizeof(kNames[0]);
  const NamedColour* it =
      std::lower_bound(kNames, end, key, [](const NamedColour& a, const std::string& k) { return k.compare(a.name) > 0; });
  if (it == end || key != it->name) Damaged("XPM: unknown colour name");
  return 0xFF000000u | it->rgb;
}

// The colour of a colour line's keys: c, else g, g4, m.
uint32_t LineColour(const char* s, size_t n) {
  static const char* const kKeys[] = {"c", "g", "g4", "m", "s"};
  std::string values[5];
  int current = -1;
  size_t i = 0;
  while (i < n) {
    while (i < n && IsBlank(s[i])) ++i;
    size_t start = i;
    while (i < n && !IsBlank(s[i])) ++i;
    if (start == i) break;
    const std::string word(s + start, i - start);
    int key = -1;
    for (int k = 0; k < 5; ++k)
      if (word == kKeys[k]) key = k;
    if (key >= 0 && (current < 0 || !values[current].empty())) {
      current = key;
      values[key].clear();
    } else if (current >= 0) {
      values[current] += word;
    } else {
      Damaged("XPM: colour key expected");
    }
  }
  for (int k = 0; k < 4; ++k)
    if (!values[k].empty()) return ParseColour(values[k]);
  Damaged("XPM: colour without a value");
  return 0;
}

uint64_t CodeKey(const char* s, int cpp) {
  uint64_t k = 0;
  for (int i = 0; i < cpp; ++i) k = k << 8 | static_cast<uint8_t>(s[i]);
  return k;
}

}  // namespace

bool ImgIsXpm(const uint8_t* data, size_t size) {
  size_t i = 0;
  while (data && i < size && IsBlank(static_cast<char>(data[i]))) ++i;
  return data && size - i >= sizeof(kMark) - 1 && std::memcmp(data + i, kMark, sizeof(kMark) - 1) == 0;
}

void ImgDecodeXpm(const uint8_t* data, size_t size, CPicture& out) {
  if (!ImgIsXpm(data, size)) throw EGraphicsFormatError("not an XPM file");
  Strings str{reinterpret_cast<const char*>(data), size, 0};
  auto values = str.Next();
  unsigned long long w = 0, h = 0, ncolours = 0, cpp = 0;
  std::string first(values.first, values.second);
  if (std::sscanf(first.c_str(), "%llu %llu %llu %llu", &w, &h, &ncolours, &cpp) != 4) Damaged("XPM: bad values line");
  if (cpp < 1 || cpp > 8) throw EGraphicsFormatError("XPM: unsupported characters per pixel");
  if (ncolours < 1 || ncolours > size / (cpp + 3)) Damaged("XPM: bad colour count");
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) throw EGraphicsMemoryError("XPM: image too large");
  ImgCheckSides(static_cast<int64_t>(w), static_cast<int64_t>(h), "XPM");
  // every row is a string of w * cpp characters and its quotes
  if ((w * cpp + 2) * h > size - str.i) Damaged("XPM: data cut short");

  const int icpp = static_cast<int>(cpp);
  std::vector<std::pair<uint64_t, uint32_t>> codes;  // code, index
  std::vector<uint32_t> colours;
  bool none = false;
  for (unsigned long long c = 0; c < ncolours; ++c) {
    auto line = str.Next();
    if (line.second < cpp) Damaged("XPM: colour line too short");
    colours.push_back(LineColour(line.first + cpp, line.second - cpp));
    none = none || colours.back() == kNone;
    codes.emplace_back(CodeKey(line.first, icpp), static_cast<uint32_t>(c));
  }
  std::stable_sort(codes.begin(), codes.end(),
                   [](const std::pair<uint64_t, uint32_t>& a, const std::pair<uint64_t, uint32_t>& b) { return a.first < b.first; });
  std::vector<int32_t> direct;  // one character per pixel: a table of 256
  if (icpp == 1) {
    direct.assign(256, -1);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) direct[it->first] = static_cast<int32_t>(it->second);
  }

  const int bits = ncolours <= 2 ? 1 : ncolours <= 16 ? 4 : ncolours <= 256 ? 8 : none ? 32 : 24;
  CPicture pic;
  if (!pic.Create(bits, static_cast<int>(w), static_cast<int>(h), 0, 0)) throw EGraphicsMemoryError("XPM: out of memory");
  if (bits <= 8) {
    uint32_t pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = i < static_cast<int>(ncolours) ? colours[i] : 0xFF000000u;
    pic.SetPalette(pal, 256);
  }
  for (unsigned long long y = 0; y < h; ++y) {
    auto row = str.Next();
    if (row.second < w * cpp) Damaged("XPM: row too short");
    uint8_t* d = pic.Row(static_cast<int>(y));
    for (unsigned long long x = 0; x < w; ++x) {
      const char* p = row.first + x * cpp;
      int32_t index;
      if (icpp == 1) {
        index = direct[static_cast<uint8_t>(*p)];
      } else {
        const uint64_t key = CodeKey(p, icpp);
        auto it = std::lower_bound(codes.begin(), codes.end(), std::make_pair(key, 0u));
        index = it != codes.end() && it->first == key ? static_cast<int32_t>(it->second) : -1;
      }
      if (index < 0) Damaged("XPM: pixel of an undefined colour");
      ImgWritePixel(d, static_cast<int>(x), bits, bits <= 8 ? static_cast<uint32_t>(index) : colours[index]);
    }
  }
  out.SwapPixels(pic);
  out.m_colorKey = kImgNoColorKey;
}

namespace {

// Printable characters for the pixel codes, without the quote, backslash
// and the comment characters.
const char kCodeChars[] =
    " .XoO+@#$%&=-;:>,<1234567890qwertyuipasdfghjklzxcvbnmMNBVCZASDFGHJKLPIUYTREWQ!~^()_`'][{}|?";
constexpr uint32_t kCodeCount = sizeof(kCodeChars) - 1;

// Which of the 2^24 colours (and "None") a picture uses; each one's
// number in colour order, "None" first. A summary bit per word of 64
// colours keeps the walks short; zeroed memory comes from calloc.
struct ColourIndex {
  static constexpr size_t kWords = size_t(1) << 18, kSummary = kWords / 64;
  struct Free {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<uint64_t[], Free> bits, summary;
  std::unique_ptr<uint32_t[], Free> before;  // colours before each used word
  bool none = false;
  ColourIndex()
      : bits(static_cast<uint64_t*>(std::calloc(kWords, 8))),
        summary(static_cast<uint64_t*>(std::calloc(kSummary, 8))),
        before(static_cast<uint32_t*>(std::malloc(kWords * 4))) {
    if (!bits || !summary || !before) throw EGraphicsMemoryError("XPM: out of memory");
  }
  void Add(uint32_t key) {
    if (key == kNone) {
      none = true;
      return;
    }
    const uint32_t word = (key & 0xFFFFFF) >> 6;
    bits[word] |= 1ull << (key & 63);
    summary[word >> 6] |= 1ull << (word & 63);
  }
  // Calls f(word) for each word holding colours, in order.
  template <class F>
  void ForWords(F f) const {
    for (size_t i = 0; i < kSummary; ++i)
      for (uint64_t m = summary[i]; m; m &= m - 1) f(static_cast<uint32_t>(i << 6 | __builtin_ctzll(m)));
  }
  uint32_t Finish() {
    uint32_t n = none;
    ForWords([&](uint32_t w) { before[w] = n, n += static_cast<uint32_t>(__builtin_popcountll(bits[w])); });
    return n;
  }
  uint32_t Index(uint32_t key) const {
    if (key == kNone) return 0;
    const uint32_t rgb = key & 0xFFFFFF;
    return before[rgb >> 6] + static_cast<uint32_t>(__builtin_popcountll(bits[rgb >> 6] & ((1ull << (rgb & 63)) - 1)));
  }
};

void MakeCode(uint32_t index, int cpp, char* out) {
  for (int i = 0; i < cpp; ++i, index /= kCodeCount) out[i] = kCodeChars[index % kCodeCount];
}

}  // namespace

void CXpmWriter::Encode(const CPicture& picture, ImgSink& out) {
  if (picture.IsEmpty()) throw EGraphicsDataError("XPM: no picture");
  const int w = picture.Width(), h = picture.Height();
  const bool alpha = picture.GetAlphaUsage() == 2;
  auto key = [alpha](uint32_t argb) { return alpha && argb >> 24 < 128 ? kNone : 0xFF000000u | argb; };
  // a set of all 2^24 colours: 3 MB however many the picture holds
  ColourIndex set;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) set.Add(key(picture.GetColor(x, y)));
  const uint32_t count = set.Finish();
  int cpp = 1;
  for (uint64_t room = kCodeCount; room < count; room *= kCodeCount) ++cpp;

  std::string head = "/* XPM */\n";
  if (m_comment && *m_comment) {
    head += "/* ";
    for (const char* c = m_comment; *c; ++c) {
      head += *c;
      if (*c == '*' && c[1] == '/') head += ' ';  // would end the comment
    }
    head += " */\n";
  }
  char line[96];
  std::snprintf(line, sizeof(line), "static char *image[] = {\n\"%d %d %u %d\",\n", w, h, count, cpp);
  head += line;
  Put(out, head.data(), head.size(), "XPM");
  std::string text;
  char code[8];
  auto colourLine = [&](uint32_t i, const char* value) {
    MakeCode(i, cpp, code);
    text.assign(1, '"');
    text.append(code, static_cast<size_t>(cpp));
    text += " c ";
    text += value;
    text += "\",\n";
    Put(out, text.data(), text.size(), "XPM");
  };
  if (set.none) colourLine(0, "None");
  uint32_t next = set.none;
  set.ForWords([&](uint32_t word) {
    for (uint64_t b = set.bits[word]; b; b &= b - 1) {
      std::snprintf(line, sizeof(line), "#%06X", word << 6 | static_cast<uint32_t>(__builtin_ctzll(b)));
      colourLine(next++, line);
    }
  });
  for (int y = 0; y < h; ++y) {
    text.assign(1, '"');
    for (int x = 0; x < w; ++x) {
      MakeCode(set.Index(key(picture.GetColor(x, y))), cpp, code);
      text.append(code, static_cast<size_t>(cpp));
    }
    text += y + 1 < h ? "\",\n" : "\"\n};\n";
    Put(out, text.data(), text.size(), "XPM");
  }
}
