// Charsets, entities and tokens of a page.
#include <gtest/gtest.h>

#include <string>

#include "htmlview/htmltok.h"
#include "text/htmlentity.h"

namespace {

HtmlString W(const char16_t* s) { return HtmlString(s, s + std::char_traits<char16_t>::length(s)); }

HtmlString Decode(const std::string& bytes) {
  const uint8_t* d = reinterpret_cast<const uint8_t*>(bytes.data());
  return HtmlDecodeBytes(d, bytes.size(), HtmlDetectCharset(d, bytes.size()));
}

std::vector<HtmlToken> Tokens(const HtmlString& s) {
  std::vector<HtmlToken> out;
  HtmlTokenizer t(s);
  HtmlToken tok;
  while (t.Next(tok)) out.push_back(tok);
  return out;
}

TEST(HtmlCharset, ByteOrderMarkOrMetaInTheFirstKilobyteMeansUtf8) {
  EXPECT_EQ(W(u"\u00e4"), Decode("\xEF\xBB\xBF\xC3\xA4"));
  EXPECT_EQ(W(u"<meta charset=\"UTF-8\">\u00fc"), Decode("<meta charset=\"UTF-8\">\xC3\xBC"));
  EXPECT_EQ(W(u"<META http-equiv=Content-Type content='text/html; charset=utf-8'>\u00fc"),
            Decode("<META http-equiv=Content-Type content='text/html; charset=utf-8'>\xC3\xBC"));
  // a meta naming another charset, or one past the first 1024 bytes, leaves Windows-1252
  EXPECT_EQ(W(u"<meta charset=iso-8859-1>\u00c3\u00bc"), Decode("<meta charset=iso-8859-1>\xC3\xBC"));
  std::string late = std::string(1030, ' ') + "<meta charset=utf-8>\xC3\xBC";
  HtmlString d = Decode(late);
  EXPECT_EQ(0xC3, d[d.size() - 2]);
  // the undefined-looking range of Windows-1252 is its typographic signs
  EXPECT_EQ(W(u"\u20ac\u201e\u201c\u2013"), Decode("\x80\x84\x93\x96"));
}

TEST(HtmlCharset, BadUtf8BecomesReplacementCharacters) {
  const uint8_t bad[] = {'a', 0xC3, 'b', 0xE2, 0x82, 0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xF0, 0x9F, 0x98, 0x80, 0xFF};
  HtmlString s = HtmlDecodeBytes(bad, sizeof bad, HtmlCharset::kUtf8);
  // truncated 2-byte, truncated 3-byte, overlong '/', a surrogate, then U+1F600 as a pair, a stray byte
  EXPECT_EQ(W(u"a\ufffdb\ufffd\ufffd\ufffd\ufffd\U0001F600\ufffd"), s);
}

TEST(HtmlEntity, NamedNumericAndBroken) {
  EXPECT_EQ(0xE4, HtmlEntityLookup("auml"));
  EXPECT_EQ(0xC4, HtmlEntityLookup("Auml"));
  EXPECT_EQ(0x2014, HtmlEntityLookup("mdash"));
  EXPECT_EQ(0x20AC, HtmlEntityLookup("euro"));
  EXPECT_EQ(-1, HtmlEntityLookup("aumlx"));
  EXPECT_EQ(-1, HtmlEntityLookup("aum"));
  auto tok = Tokens(W(u"&lt;&auml;&#246;&#xFC;&#x80;&#0;&#99999999;&amp &bogus; &copy2 AT&T &szlig"));
  ASSERT_EQ(1u, tok.size());
  EXPECT_EQ(W(u"<\u00e4\u00f6\u00fc\u20ac\ufffd\ufffd& &bogus; \u00a92 AT&T &szlig"), tok[0].text);
}

TEST(HtmlTokens, TagsAttributesCommentsAndSkippedContents) {
  auto t = Tokens(W(u"<!DOCTYPE html><!--REFX 11.5--><P ALIGN=Center Class='a b' checked data-x=\"1>2\">"
                    u"x<script>if (a<b) document.write('<p>')</SCRIPT>y<style>p{}</style>"
                    u"<br/>1 < 2</p>"));
  ASSERT_EQ(11u, t.size());
  EXPECT_EQ(HtmlToken::kStartTag, t[0].kind);
  EXPECT_EQ("p", t[0].name);
  ASSERT_EQ(4u, t[0].attrs.size());
  EXPECT_EQ("align", t[0].attrs[0].name);
  EXPECT_EQ(W(u"Center"), t[0].attrs[0].value);
  EXPECT_EQ(W(u"a b"), t[0].attrs[1].value);
  EXPECT_EQ("checked", t[0].attrs[2].name);
  EXPECT_EQ(W(u"1>2"), t[0].attrs[3].value);
  EXPECT_EQ(W(u"x"), t[1].text);
  EXPECT_EQ("script", t[2].name);
  EXPECT_EQ(HtmlToken::kEndTag, t[3].kind);  // </SCRIPT>
  EXPECT_EQ(W(u"y"), t[4].text);
  // <style> and </style> then <br/>
  EXPECT_EQ("style", t[5].name);
  EXPECT_EQ("style", t[6].name);
  EXPECT_EQ("br", t[7].name);
  EXPECT_TRUE(t[7].selfClosing);
  EXPECT_EQ(W(u"< 2"), t[9].text);  // a '<' that opens nothing
  EXPECT_EQ(HtmlToken::kEndTag, t[10].kind);
}

TEST(HtmlTokens, UnterminatedConstructsEndAtTheEnd) {
  for (const char16_t* s : {u"<!-- never closed", u"<a href=\"open", u"<p", u"<", u"<script>x", u"&#x", u"</"}) {
    auto t = Tokens(W(s));
    EXPECT_LE(t.size(), 2u) << static_cast<int>(s[1]);
  }
}

}  // namespace
