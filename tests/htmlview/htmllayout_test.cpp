// Layout over a fixed font grid: wrapping, alignment, tables, images, limits.
#include <gtest/gtest.h>

#include <string>

#include "htmlview/htmldom.h"
#include "htmlview/htmllimits.h"
#include "tests/htmlview/fakemetrics.h"

namespace {

struct Laid {
  HtmlDocument doc;
  HtmlLayout layout;
};

Laid Lay(const std::string& s, int width, HtmlImageInfo* images = nullptr) {
  Laid l;
  HtmlParseBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size(), l.doc);
  GridMetrics gm;
  HtmlLayoutPage(l.doc, width, gm, images, l.layout);
  return l;
}

std::vector<const HtmlItem*> Of(const HtmlLayout& l, HtmlItem::Kind k) {
  std::vector<const HtmlItem*> v;
  for (const HtmlItem& it : l.items)
    if (it.kind == k && (it.w > 0 && it.h > 0)) v.push_back(&it);
  return v;
}

TEST(HtmlLayout, WrapsAtTheWidthAndRewrapsNarrower) {
  std::string p = "<p>" + std::string(20, ' ');
  for (int i = 0; i < 20; ++i) p += "wort ";
  // 20 words of 32 px with 8 px spaces; 16 px margins
  Laid wide = Lay(p, 416);   // 400 px: 10 words a line
  Laid narrow = Lay(p, 216);  // 200 px: 5 words a line
  auto w = Of(wide.layout, HtmlItem::kText), n = Of(narrow.layout, HtmlItem::kText);
  ASSERT_EQ(2u, w.size());
  ASSERT_EQ(4u, n.size());
  EXPECT_EQ(392, w[0]->w);
  EXPECT_EQ(8, w[0]->x);
  EXPECT_EQ(w[0]->y + 20, w[1]->y);  // 16 px font, 20 px lines
  EXPECT_GT(narrow.layout.height, wide.layout.height);
  for (const HtmlItem* it : n) EXPECT_LE(it->x + it->w, 208);
}

TEST(HtmlLayout, AlignmentHeadingsAndPre) {
  Laid l = Lay("<center>abcd</center><p align=right>ab</p><h1>T</h1><pre>x   y\n\tz</pre>", 216);
  auto t = Of(l.layout, HtmlItem::kText);
  ASSERT_EQ(5u, t.size());
  EXPECT_EQ(8 + (200 - 32) / 2, t[0]->x);
  EXPECT_EQ(8 + 200 - 16, t[1]->x);
  EXPECT_EQ(32, t[2]->font.size);
  EXPECT_TRUE(t[2]->font.bold);
  EXPECT_TRUE(t[3]->font.mono);
  EXPECT_EQ(50, t[3]->w);  // spaces kept
  EXPECT_EQ(90, t[4]->w);  // the tab to column 8
  EXPECT_GT(t[4]->y, t[3]->y);
}

TEST(HtmlLayout, TableColumnsByWidthOrEqualShares) {
  Laid l = Lay("<table width=400 border=1 cellpadding=0 cellspacing=0><tr><td width=100>a<td>b<td>c</tr>"
               "<tr><td bgcolor=#ff0000>d<td>e</table>", 600);
  auto t = Of(l.layout, HtmlItem::kText);
  ASSERT_EQ(5u, t.size());
  // 400 - 2 border = 398: 100 and two shares of 149
  EXPECT_EQ(t[0]->x + 100, t[1]->x);
  EXPECT_EQ(t[1]->x + 149, t[2]->x);
  EXPECT_EQ(t[0]->x, t[3]->x);
  auto fills = Of(l.layout, HtmlItem::kFill);
  ASSERT_EQ(1u, fills.size());
  EXPECT_EQ(0xFF0000u, fills[0]->color);
  EXPECT_EQ(100, fills[0]->w);
  EXPECT_LE(fills[0]->y, t[3]->y);
}

TEST(HtmlLayout, ImagesScaledByAttributesOrFramedAlt) {
  FixedImages img;
  img.w = 200, img.h = 100;
  Laid l = Lay("<img src=a.png><img src=a.png width=50><img src=a.png height=20 width=30>", 1000, &img);
  auto im = Of(l.layout, HtmlItem::kImage);
  ASSERT_EQ(3u, im.size());
  EXPECT_EQ(200, im[0]->w);
  EXPECT_EQ(100, im[0]->h);
  EXPECT_EQ(50, im[1]->w);
  EXPECT_EQ(25, im[1]->h);  // the aspect kept
  EXPECT_EQ(30, im[2]->w);
  EXPECT_EQ(20, im[2]->h);
  EXPECT_EQ(im[0]->y + 100 - 25, im[1]->y);  // on one baseline
  FixedImages none;
  Laid m = Lay("<img src=x.gif alt='Karte'>", 1000, &none);
  auto alt = Of(m.layout, HtmlItem::kAlt);
  ASSERT_EQ(1u, alt.size());
  EXPECT_EQ(5 * 8 + 8, alt[0]->w);
  EXPECT_EQ(16 + 4 + 6, alt[0]->h);
}

TEST(HtmlLayout, LinksAreNumberedAndHit) {
  Laid l = Lay("<a href=a.html>eins</a> <a name=x>anker</a> <A HREF='b.html'>zwei</A>", 1000);
  ASSERT_EQ(2u, l.layout.links.size());
  auto t = Of(l.layout, HtmlItem::kText);
  ASSERT_EQ(3u, t.size());
  EXPECT_TRUE(t[0]->font.underline);
  EXPECT_EQ(0x0000EEu, t[0]->color);
  EXPECT_EQ(1, HtmlLinkAt(l.layout, t[2]->x + 1, t[2]->y + 1));
  EXPECT_EQ(-1, HtmlLinkAt(l.layout, t[1]->x + 1, t[1]->y + 1));
}

// Text that measures in proportion to its size, as real fonts do.
struct ScalingMetrics : HtmlFontMetrics {
  int TextWidth(const HtmlFont& f, const WideChar*, int n) override { return n * f.size / 2; }
  int LineHeight(const HtmlFont& f) override { return f.size * 5 / 4; }
  int Ascent(const HtmlFont& f) override { return f.size; }
};

HtmlLayout LayZoomed(const HtmlDocument& doc, int width, int zoom, HtmlImageInfo* images) {
  ScalingMetrics m;
  HtmlLayout out;
  HtmlLayoutPage(doc, width, m, images, out, zoom);
  return out;
}

TEST(HtmlLayout, ZoomScalesEveryLengthAndRewraps) {
  FixedImages img;
  img.w = 100, img.h = 50;
  Laid l = Lay("<h1>Titel</h1><p>Ein Satz mit vielen <b>Worten</b> <img src=a.png> <img src=a.png width=30>"
               "<blockquote>zitiert</blockquote><ul><li>eins<li>zwei</ul><hr width=50%><pre>a  b</pre>"
               "<table width=300 border=1 cellpadding=3 cellspacing=2><tr><td width=100>x<td>y</table>"
               "<img src=b.png width=40 height=20>",
               400, &img);
  HtmlLayout one = LayZoomed(l.doc, 400, 100, &img), two = LayZoomed(l.doc, 800, 200, &img);
  // twice the zoom in twice the width: the same page at twice its size
  ASSERT_EQ(one.items.size(), two.items.size());
  for (size_t i = 0; i < one.items.size(); ++i) {
    SCOPED_TRACE(i);
    const HtmlItem &a = one.items[i], &b = two.items[i];
    EXPECT_EQ(2 * a.x, b.x);
    EXPECT_EQ(2 * a.y, b.y);
    EXPECT_EQ(2 * a.w, b.w);
    EXPECT_EQ(2 * a.h, b.h);
    if (a.kind == HtmlItem::kText) {
      EXPECT_EQ(2 * a.font.size, b.font.size);
    }
  }
  EXPECT_EQ(2 * one.height, two.height);
  auto pictures = Of(two, HtmlItem::kImage);
  ASSERT_EQ(3u, pictures.size());
  EXPECT_EQ(200, pictures[0]->w);
  EXPECT_EQ(100, pictures[0]->h);
  // the same width at zoom 200: fewer words a line, a longer page
  HtmlLayout same = LayZoomed(l.doc, 400, 200, &img);
  EXPECT_GT(same.height, 2 * one.height);
  for (const HtmlItem* t : Of(same, HtmlItem::kText)) EXPECT_LE(t->x + t->w, 400 - 16) << t->y;
  // the picture limit holds for the zoomed size; zoom stays within 10..1000
  FixedImages big;
  big.w = 10000, big.h = 10;
  Laid p = Lay("<img src=a.png>", 400, &big);
  EXPECT_EQ(kHtmlMaxImageSide, Of(LayZoomed(p.doc, 400, 200, &big), HtmlItem::kImage)[0]->w);
  EXPECT_EQ(1000, Of(LayZoomed(p.doc, 400, 5, &big), HtmlItem::kImage)[0]->w);
  EXPECT_EQ(100, Of(LayZoomed(p.doc, 400, 5000, &big), HtmlItem::kImage)[0]->h);
}

TEST(HtmlLayout, HugePagesStayWithinCoordinates) {
  FixedImages img;
  img.w = 30000, img.h = 30000;
  std::string s;
  for (int i = 0; i < 300; ++i) s += "<img src=a.png width=100000000 height=100000000>";
  s += "<table width=99999999999><tr><td width=999999999999>x</table>";
  Laid l = Lay(s, 800, &img);
  EXPECT_GT(l.layout.height, 0);
  EXPECT_LE(l.layout.height, kHtmlMaxCoord);
  for (const HtmlItem& it : l.layout.items) {
    EXPECT_LE(it.w, kHtmlMaxCoord);
    EXPECT_GE(it.y, 0);
  }
  // only the first 256 images are asked for
  EXPECT_EQ(300u - kHtmlMaxImages, Of(l.layout, HtmlItem::kAlt).size());
}

}  // namespace
