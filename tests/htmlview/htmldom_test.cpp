// The tree: implied ends, dropped tags, limits, the page text.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "htmlview/htmldom.h"
#include "htmlview/htmllimits.h"
#include "tests/htmlview/fakemetrics.h"

namespace {

HtmlDocument Parse(const std::string& s) {
  HtmlDocument d;
  HtmlParseBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size(), d);
  return d;
}

std::string Utf8(const HtmlString& s) {
  std::string out;
  for (WideChar c : s) {
    if (c < 0x80) out.push_back(static_cast<char>(c));
    else if (c < 0x800) out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 63))};
    else out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | ((c >> 6) & 63)), static_cast<char>(0x80 | (c & 63))};
  }
  return out;
}

// The tree as "tag(child child)" with text in quotes.
std::string Shape(const HtmlDocument& d, int i = 0) {
  const HtmlNode& n = d.nodes[i];
  if (n.tag == HtmlTag::kText) return "'" + Utf8(n.text) + "'";
  static const char* const names[] = {"", "root", "title", "h1", "h2", "h3", "h4", "h5", "h6", "p", "div", "center",
                                      "br", "hr", "blockquote", "pre", "ul", "ol", "li", "dl", "dt", "dd", "table",
                                      "tr", "td", "th", "caption", "b", "strong", "i", "em", "u", "small", "big",
                                      "font", "span", "a", "img", "tt", "code", "sub", "sup"};
  std::string s = names[static_cast<int>(n.tag)];
  if (n.firstChild < 0) return s;
  s += "(";
  for (int c = n.firstChild; c >= 0; c = d.nodes[c].next) s += (c == n.firstChild ? "" : " ") + Shape(d, c);
  return s + ")";
}

TEST(HtmlTree, ImpliedEnds) {
  EXPECT_EQ("root(p('a') p('b') div('c'))", Shape(Parse("<p>a<p>b<div>c</div>")));
  EXPECT_EQ("root(ul(li('a') li('b' ul(li('c'))) li('d')))", Shape(Parse("<ul><li>a<li>b<ul><li>c</ul><li>d</ul>")));
  EXPECT_EQ("root(table(tr(td('1') td('2')) tr(th('3'))))",
            Shape(Parse("<table>\n<tr><td>1<td>2<tr> <th>3</table>")));
  // a cell straight in the table gets its row; a row outside a table is dropped
  EXPECT_EQ("root(table(tr(td('x'))) 'y')", Shape(Parse("<table><td>x</table><tr>y")));
  EXPECT_EQ("root(dl(dt('t') dd('d') dt('u')))", Shape(Parse("<dl><dt>t<dd>d<dt>u</dl>")));
  // an end tag inside a cell does not close what lies outside the table
  EXPECT_EQ("root(b(table(tr(td('x'))) 'y'))", Shape(Parse("<b><table><tr><td>x</b></table>y")));
}

TEST(HtmlTree, UnknownTagsGoTheirTextStaysBodyAndTitleAreRead) {
  HtmlDocument d = Parse("<HTML><head><title> Spiel\n 1 </title><meta charset=utf-8><link rel=x></head>"
                         "<body BGCOLOR=#ffeedd text=navy><blink>Wo <FONT color=red>liegt</font></blink> "
                         "<custom-tag>Rom</custom-tag>?</body></html>");
  EXPECT_EQ("root('Wo ' font('liegt') ' Rom?')", Shape(d));
  EXPECT_EQ("Spiel 1", Utf8(d.title));
  ASSERT_NE(nullptr, d.nodes[0].Attr("bgcolor"));
  ASSERT_NE(nullptr, d.nodes[0].Attr("text"));
}

TEST(HtmlTree, DeepNestingIsCutTextKept) {
  std::string s;
  for (int i = 0; i < 5000; ++i) s += "<div><b>";
  s += "deep";
  HtmlDocument d = Parse(s);
  int depth = 0;
  for (int i = static_cast<int>(d.nodes.size()) - 1; i >= 0; i = d.nodes[i].parent) ++depth;
  EXPECT_LE(depth, kHtmlMaxDepth + 1);
  EXPECT_EQ("deep", Utf8(HtmlDocumentText(d)));
}

TEST(HtmlTree, HostilePagesEndQuickly) {
  auto t0 = std::chrono::steady_clock::now();
  HtmlDocument d = Parse(std::string(kHtmlMaxPageBytes, '<'));
  EXPECT_EQ(kHtmlMaxPageBytes, HtmlDocumentText(d).size());
  d = Parse(std::string(kHtmlMaxPageBytes / 4, 'x').insert(0, "<table>").append(std::string(200000, '&')));
  std::string cells;
  for (int i = 0; i < 100000; ++i) cells += "<td><li><dt>";
  d = Parse(cells);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
}

TEST(HtmlTree, AMillionPicturesAreLaidOutInTime) {
  std::string s;
  while (s.size() + 5 <= kHtmlMaxPageBytes) s += "<img>";
  auto t0 = std::chrono::steady_clock::now();
  HtmlDocument d = Parse(s);
  EXPECT_EQ(s.size() / 5, d.images.size());
  FixedImages none;
  GridMetrics gm;
  HtmlLayout lay;
  HtmlLayoutPage(d, 800, gm, &none, lay);
  EXPECT_EQ(d.images.size(), lay.items.size());
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
}

TEST(HtmlText, BlocksOnLinesWhiteSpaceCollapsedPreKept) {
  HtmlDocument d = Parse("<h1>Titel</h1>\n<p>Ein   <b>fetter</b>\n Satz&nbsp;hier.<br>Neue Zeile</p>"
                         "<pre>a  b\n  c</pre><ul><li>eins<li>zwei</ul><table><tr><td>x<td>y</table>"
                         "<script>no</script><img alt=bild>");
  EXPECT_EQ("Titel\nEin fetter Satz hier.\nNeue Zeile\na  b\n  c\neins\nzwei\nx y", Utf8(HtmlDocumentText(d)));
}

}  // namespace
