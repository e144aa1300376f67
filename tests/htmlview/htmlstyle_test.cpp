// Colours, fonts and alignment from tags, attributes and style attributes.
#include <gtest/gtest.h>

#include <string>

#include "htmlview/htmldom.h"
#include "htmlview/htmllayout.h"
#include "htmlview/htmlstyle.h"
#include "tests/htmlview/fakemetrics.h"

namespace {

HtmlString W(const char* s) {
  HtmlString out;
  while (*s) out.push_back(static_cast<unsigned char>(*s++));
  return out;
}

TEST(HtmlStyle, Colours) {
  uint32_t c = 0;
  EXPECT_TRUE(HtmlParseColor(W("#FFa500"), &c));
  EXPECT_EQ(0xFFA500u, c);
  EXPECT_TRUE(HtmlParseColor(W("#0f8"), &c));
  EXPECT_EQ(0x00FF88u, c);
  EXPECT_TRUE(HtmlParseColor(W("ff0000"), &c));  // old pages leave out the '#'
  EXPECT_EQ(0xFF0000u, c);
  EXPECT_TRUE(HtmlParseColor(W(" Navy "), &c));
  EXPECT_EQ(0x000080u, c);
  EXPECT_TRUE(HtmlParseColor(W("rgb(300, -5, 16)"), &c));
  EXPECT_EQ(0xFF0010u, c);
  for (const char* bad : {"", "#12", "#ggg", "nocolour", "rgb(1,2"}) EXPECT_FALSE(HtmlParseColor(W(bad), &c)) << bad;
}

// The styles of the text runs of a page, in order.
std::vector<HtmlItem> Runs(const std::string& page) {
  HtmlDocument doc;
  HtmlParseBytes(reinterpret_cast<const uint8_t*>(page.data()), page.size(), doc);
  GridMetrics gm;
  HtmlLayout lay;
  HtmlLayoutPage(doc, 2000, gm, nullptr, lay);
  std::vector<HtmlItem> out;
  for (const HtmlItem& it : lay.items)
    if (it.kind == HtmlItem::kText) out.push_back(it);
  return out;
}

TEST(HtmlStyle, TagsAndAttributes) {
  auto r = Runs("<body text=#111111 link=green><font size=1 color=red>a</font> <font size=+3>b</font> "
                "<small>c</small> <big>d</big> <u>e</u> <em>f</em> <strong>g</strong> <tt>h</tt> "
                "<a href=x>i</a> <span>j</span>");
  ASSERT_EQ(10u, r.size());
  EXPECT_EQ(10, r[0].font.size);
  EXPECT_EQ(0xFF0000u, r[0].color);
  EXPECT_EQ(32, r[1].font.size);  // 3 + 3
  EXPECT_EQ(13, r[2].font.size);
  EXPECT_EQ(19, r[3].font.size);
  EXPECT_TRUE(r[4].font.underline);
  EXPECT_TRUE(r[5].font.italic);
  EXPECT_TRUE(r[6].font.bold);
  EXPECT_TRUE(r[7].font.mono);
  EXPECT_EQ(0x008000u, r[8].color);
  EXPECT_TRUE(r[8].font.underline);
  EXPECT_EQ(0x111111u, r[9].color);
}

TEST(HtmlStyle, TheFewStyleProperties) {
  auto r = Runs("<p style='COLOR: #00f; font-size: 24px; font-weight: bold; font-style: italic'>a</p>"
                "<p style='font-size:12pt;font-weight:700 !important'>b</p>"
                "<p style='font-size:150%;margin:3px;color:bogus'>c</p>"
                "<div style='text-align:right'>d</div>");
  ASSERT_EQ(4u, r.size());
  EXPECT_EQ(0x0000FFu, r[0].color);
  EXPECT_EQ(24, r[0].font.size);
  EXPECT_TRUE(r[0].font.bold);
  EXPECT_TRUE(r[0].font.italic);
  EXPECT_EQ(16, r[1].font.size);
  EXPECT_TRUE(r[1].font.bold);
  EXPECT_EQ(24, r[2].font.size);
  EXPECT_EQ(0u, r[2].color);  // an unknown colour changes nothing
  EXPECT_EQ(8 + 2000 - 16 - 8, r[3].x);
}

TEST(HtmlStyle, ListsIndentAndNumber) {
  auto r = Runs("<ol><li>a<li>b</ol><ul><li>c</ul><blockquote>d</blockquote><dl><dt>e<dd>f</dl>");
  ASSERT_EQ(9u, r.size());
  // each item's run, then its marker left of it
  EXPECT_EQ(W("1."), r[1].text);
  EXPECT_EQ(W("2."), r[3].text);
  EXPECT_EQ(HtmlString(1, static_cast<WideChar>(0x2022)), r[5].text);
  EXPECT_EQ(8 + 40, r[0].x);
  EXPECT_LT(r[1].x + r[1].w, r[0].x);
  EXPECT_EQ(8 + 40, r[6].x);  // blockquote
  EXPECT_EQ(8, r[7].x);       // dt
  EXPECT_EQ(8 + 40, r[8].x);  // dd
}

}  // namespace
