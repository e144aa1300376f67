#include "htmlview/htmltok.h"

#include <string.h>

#include "htmlview/htmllimits.h"
#include "text/casefold.h"
#include "text/htmlentity.h"

namespace {

inline bool IsHtmlSpace(unsigned c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
inline bool IsAlpha(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Finds a lower-case ASCII word in bytes, ignoring case; npos when absent.
size_t FindNoCase(const uint8_t* d, size_t size, size_t from, const char* word) {
  size_t n = strlen(word);
  for (size_t i = from; i + n <= size; ++i) {
    size_t k = 0;
    while (k < n && CaseLowerAscii(d[i + k]) == static_cast<unsigned char>(word[k])) ++k;
    if (k == n) return i;
  }
  return std::string::npos;
}

bool MetaSaysUtf8(const uint8_t* d, size_t size) {
  size_t pos = 0;
  while ((pos = FindNoCase(d, size, pos, "<meta")) != std::string::npos) {
    size_t end = pos;
    while (end < size && d[end] != '>') ++end;
    size_t cs = FindNoCase(d, end, pos, "charset");
    if (cs != std::string::npos) {
      size_t i = cs + 7;
      while (i < end && (IsHtmlSpace(d[i]) || d[i] == '=' || d[i] == '"' || d[i] == '\'')) ++i;
      if (FindNoCase(d, end, i, "utf-8") == i || FindNoCase(d, end, i, "utf8") == i) return true;
      return false;
    }
    pos = end;
  }
  return false;
}

}  // namespace

void HtmlAppendCode(HtmlString& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<WideChar>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<WideChar>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<WideChar>(cp));
  }
}

bool HtmlEqualsAscii(const HtmlString& s, const char* lower) {
  size_t n = strlen(lower);
  if (s.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (s[i] > 127 || CaseLowerAscii(s[i]) != static_cast<unsigned char>(lower[i])) return false;
  return true;
}

HtmlCharset HtmlDetectCharset(const uint8_t* data, size_t size) {
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return HtmlCharset::kUtf8;
  size_t probe = size < static_cast<size_t>(kHtmlCharsetProbeBytes) ? size : kHtmlCharsetProbeBytes;
  return MetaSaysUtf8(data, probe) ? HtmlCharset::kUtf8 : HtmlCharset::kWindows1252;
}

HtmlString HtmlDecodeBytes(const uint8_t* d, size_t size, HtmlCharset charset) {
  HtmlString out;
  out.reserve(size);
  if (charset == HtmlCharset::kWindows1252) {
    for (size_t i = 0; i < size; ++i) out.push_back(static_cast<WideChar>(Text1252ToUnicode(d[i])));
    return out;
  }
  size_t i = (size >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) ? 3 : 0;
  while (i < size) {
    uint8_t c = d[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int n = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? (c < 0xF0 ? 2 : -1) : c >= 0xC2 ? 1 : -1;
    uint32_t cp = n == 1 ? c & 0x1F : n == 2 ? c & 0x0F : c & 0x07;
    int k = 0;
    if (n > 0) {
      while (k < n && i + 1 + k < size && (d[i + 1 + k] & 0xC0) == 0x80) {
        cp = (cp << 6) | (d[i + 1 + k] & 0x3F);
        ++k;
      }
    }
    // overlong, surrogate or out-of-range forms are as bad as a short one
    bool ok = n > 0 && k == n && !(n == 2 && cp < 0x800) && !(n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) &&
              !(cp >= 0xD800 && cp <= 0xDFFF);
    if (ok) {
      HtmlAppendCode(out, cp);
      i += 1 + n;
    } else {
      out.push_back(0xFFFD);
      i += 1 + (k > 0 ? k : 0);
    }
  }
  return out;
}

HtmlString HtmlTokenizer::Decode(size_t from, size_t to) const {
  HtmlString out;
  out.reserve(to - from);
  for (size_t i = from; i < to;) {
    WideChar c = m_s[i];
    if (c == '&') {
      uint32_t cp = 0;
      int n = HtmlEntityDecode(m_s.data() + i, static_cast<int>(to - i), &cp);
      if (n > 0) {
        HtmlAppendCode(out, cp);
        i += n;
        continue;
      }
    }
    out.push_back(c == 0 ? static_cast<WideChar>(0xFFFD) : c);
    ++i;
  }
  return out;
}

void HtmlTokenizer::SkipRawText(const char* name) {
  size_t n = strlen(name);
  while (m_pos < m_s.size()) {
    if (m_s[m_pos] == '<' && m_pos + 1 < m_s.size() && m_s[m_pos + 1] == '/') {
      size_t k = 0;
      while (k < n && m_pos + 2 + k < m_s.size() && CaseLowerAscii(m_s[m_pos + 2 + k]) == static_cast<unsigned char>(name[k])) ++k;
      if (k == n) return;  // the end tag is read as a token
    }
    ++m_pos;
  }
}

void HtmlTokenizer::ReadTag(HtmlToken& t, bool end) {
  const size_t size = m_s.size();
  t.kind = end ? HtmlToken::kEndTag : HtmlToken::kStartTag;
  while (m_pos < size && !IsHtmlSpace(m_s[m_pos]) && m_s[m_pos] != '>' && m_s[m_pos] != '/') {
    if (t.name.size() < 16) t.name.push_back(static_cast<char>(CaseLowerAscii(m_s[m_pos] < 128 ? m_s[m_pos] : '?')));
    ++m_pos;
  }
  for (;;) {
    while (m_pos < size && (IsHtmlSpace(m_s[m_pos]) || m_s[m_pos] == '/')) {
      if (m_s[m_pos] == '/') t.selfClosing = true;
      ++m_pos;
    }
    if (m_pos >= size) return;
    if (m_s[m_pos] == '>') {
      ++m_pos;
      return;
    }
    t.selfClosing = false;
    HtmlAttr a;
    while (m_pos < size && !IsHtmlSpace(m_s[m_pos]) && m_s[m_pos] != '>' && m_s[m_pos] != '/' && m_s[m_pos] != '=') {
      if (a.name.size() < 32) a.name.push_back(static_cast<char>(CaseLowerAscii(m_s[m_pos] < 128 ? m_s[m_pos] : '?')));
      ++m_pos;
    }
    if (a.name.empty()) a.name.push_back(static_cast<char>(CaseLowerAscii(m_s[m_pos++] < 128 ? m_s[m_pos - 1] : '?')));
    while (m_pos < size && IsHtmlSpace(m_s[m_pos])) ++m_pos;
    if (m_pos < size && m_s[m_pos] == '=') {
      ++m_pos;
      while (m_pos < size && IsHtmlSpace(m_s[m_pos])) ++m_pos;
      size_t from = m_pos, to;
      if (m_pos < size && (m_s[m_pos] == '"' || m_s[m_pos] == '\'')) {
        WideChar q = m_s[m_pos++];
        from = m_pos;
        while (m_pos < size && m_s[m_pos] != q) ++m_pos;
        to = m_pos;
        if (m_pos < size) ++m_pos;
      } else {
        while (m_pos < size && !IsHtmlSpace(m_s[m_pos]) && m_s[m_pos] != '>') ++m_pos;
        to = m_pos;
      }
      a.value = Decode(from, to);
    }
    if (!end && t.attrs.size() < static_cast<size_t>(kHtmlMaxAttributes)) t.attrs.push_back(std::move(a));
  }
}

bool HtmlTokenizer::Next(HtmlToken& t) {
  t = HtmlToken();
  const size_t size = m_s.size();
  while (m_pos < size) {
    if (m_s[m_pos] != '<') {
      size_t from = m_pos;
      while (m_pos < size && m_s[m_pos] != '<') ++m_pos;
      t.kind = HtmlToken::kText;
      t.text = Decode(from, m_pos);
      return true;
    }
    WideChar n = m_pos + 1 < size ? m_s[m_pos + 1] : 0;
    if (IsAlpha(n) || (n == '/' && m_pos + 2 < size && IsAlpha(m_s[m_pos + 2]))) {
      bool end = n == '/';
      m_pos += end ? 2 : 1;
      ReadTag(t, end);
      if (!end && (t.name == "script" || t.name == "style")) SkipRawText(t.name.c_str());
      return true;
    }
    if (n == '!' && m_pos + 3 < size && m_s[m_pos + 2] == '-' && m_s[m_pos + 3] == '-') {
      size_t e = m_s.find(HtmlString{'-', '-', '>'}, m_pos + 4);
      m_pos = e == HtmlString::npos ? size : e + 3;
      continue;
    }
    if (n == '!' || n == '?' || n == '/') {
      size_t e = m_s.find('>', m_pos);
      m_pos = e == HtmlString::npos ? size : e + 1;
      continue;
    }
    // a '<' that opens nothing is text
    size_t from = m_pos++;
    while (m_pos < size && m_s[m_pos] != '<') ++m_pos;
    t.kind = HtmlToken::kText;
    t.text = Decode(from, m_pos);
    return true;
  }
  return false;
}
