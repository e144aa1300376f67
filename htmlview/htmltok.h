// Page bytes to text and tokens: charset, entities, tags with attributes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "text/textdefs.h"

using HtmlString = std::basic_string<WideChar>;

enum class HtmlCharset { kWindows1252, kUtf8 };

// UTF-8 when the data starts with its byte-order mark or a <meta ... charset=utf-8>
// stands in the first 1024 bytes; Windows-1252 otherwise.
HtmlCharset HtmlDetectCharset(const uint8_t* data, size_t size);

// The page as UTF-16 (a UTF-8 byte-order mark dropped; bad UTF-8 becomes U+FFFD).
HtmlString HtmlDecodeBytes(const uint8_t* data, size_t size, HtmlCharset charset);

struct HtmlAttr {
  std::string name;  // lower case
  HtmlString value;  // entities decoded
};

struct HtmlToken {
  enum Kind { kText, kStartTag, kEndTag } kind = kText;
  std::string name;  // lower-case tag name
  std::vector<HtmlAttr> attrs;
  HtmlString text;  // of a text token, entities decoded
  bool selfClosing = false;
};

// Comments, DOCTYPE and processing instructions yield nothing; the contents
// of <script> and <style> are skipped.
class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(const HtmlString& text) : m_s(text) {}
  bool Next(HtmlToken& token);  // false at the end

 private:
  void ReadTag(HtmlToken& token, bool end);
  HtmlString Decode(size_t from, size_t to) const;
  void SkipRawText(const char* name);

  const HtmlString& m_s;
  size_t m_pos = 0;
};

// Appends a code point as UTF-16.
void HtmlAppendCode(HtmlString& out, uint32_t cp);
// ASCII case-insensitive comparison of a UTF-16 text with a lower-case ASCII word.
bool HtmlEqualsAscii(const HtmlString& s, const char* lower);
