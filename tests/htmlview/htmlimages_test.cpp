// The viewer's pictures and limits under Windows: PNG, JPEG and GIF load,
// every hostile picture (a 30000 x 30000 PNG header, a truncated JPEG, a GIF
// without an image, a missing file) frames its alt text, at most 256 are loaded, and a
// page of the largest size loads.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "htmlview/htmlfetch.h"
#include "htmlview/htmlimages.h"
#include "htmlview/htmllimits.h"
#include "htmlview/htmlpaint.h"
#include "htmlview/htmlurl.h"
#include "image/formats/lzw.h"
#include "image/imgfile.h"
#include "image/picture.h"
#include "tests/support/testenv.h"

namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}

// A PNG that claims 30000 x 30000 pixels and carries no data.
std::vector<uint8_t> HugePngHeader() {
  std::vector<uint8_t> v = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> chunk = {'I', 'H', 'D', 'R'};
  Put32(chunk, 30000);
  Put32(chunk, 30000);
  chunk.insert(chunk.end(), {8, 2, 0, 0, 0});
  Put32(v, 13);
  v.insert(v.end(), chunk.begin(), chunk.end());
  Put32(v, static_cast<uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))));
  return v;
}

HtmlString Wide(const std::string& s) { return HtmlString(s.begin(), s.end()); }

// Picture k drawn into a w x h 32-bit bitmap: its pixels as 0xRRGGBB.
std::vector<uint32_t> Drawn(const HtmlImages& images, int k, int w, int h) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bmi = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB}};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  images.Draw(dc, k, 0, 0, w, h);
  GdiFlush();
  std::vector<uint32_t> px(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + w * h);
  for (uint32_t& p : px) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return px;
}

class ViewerImages : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = orvtest::MakeTempDir("img");
    CPicture pic;
    ASSERT_TRUE(pic.Create(24, 64, 48, 0x3080C0));
    ASSERT_EQ(0, ImgSaveFile((dir + "\\gut.png").c_str(), pic));
    ASSERT_EQ(0, ImgSaveFile((dir + "\\gut.jpg").c_str(), pic));
    std::vector<uint8_t> jpg;
    ASSERT_TRUE(orvtest::ReadFile(dir + "\\gut.jpg", jpg));
    orvtest::WriteFile(dir + "\\kurz.jpg", jpg.data(), jpg.size() / 2);
    std::vector<uint8_t> huge = HugePngHeader();
    orvtest::WriteFile(dir + "\\riesig.png", huge.data(), huge.size());
    orvtest::WriteFile(dir + "\\bild.gif", "GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
  }
  HtmlDocument Page(const std::string& html) {
    HtmlDocument doc;
    HtmlParseBytes(reinterpret_cast<const uint8_t*>(html.data()), html.size(), doc);
    return doc;
  }
  std::string dir;
};

TEST_F(ViewerImages, GoodPicturesLoadOthersShowTheirAltText) {
  HtmlDocument doc = Page("<img src=gut.png><img src=gut.jpg><img src=riesig.png alt=a><img src=kurz.jpg alt=b>"
                          "<img src=bild.gif alt=c><img src=fehlt.png alt=d><img src='file:///" + dir +
                          "\\gut.png'><img>");
  HtmlImages images;
  images.Load(doc, HtmlFileUrl(Wide(dir + "\\seite.html")), 0xFFFFFF);
  int w = 0, h = 0;
  ASSERT_TRUE(images.ImageSize(0, &w, &h));
  EXPECT_EQ(64, w);
  EXPECT_EQ(48, h);
  EXPECT_TRUE(images.ImageSize(1, &w, &h));
  for (int k = 2; k <= 5; ++k) EXPECT_FALSE(images.ImageSize(k, &w, &h)) << k;
  EXPECT_TRUE(images.ImageSize(6, &w, &h));  // an absolute file URL
  EXPECT_FALSE(images.ImageSize(7, &w, &h));
  HtmlGdiFonts fonts;
  HtmlLayout lay;
  HtmlLayoutPage(doc, 800, fonts, &images, lay);
  int alt = 0, shown = 0;
  for (const HtmlItem& it : lay.items) {
    alt += it.kind == HtmlItem::kAlt;
    shown += it.kind == HtmlItem::kImage;
  }
  EXPECT_EQ(5, alt);
  EXPECT_EQ(3, shown);
  // drawn into a bitmap: the picture's colour where the layout put it
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bmi = {{sizeof(BITMAPINFOHEADER), 800, -400, 1, 32, BI_RGB}};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all = {0, 0, 800, 400};
  HtmlPaint(dc, all, lay, fonts, &images, 0);
  GdiFlush();
  const HtmlItem* first = nullptr;
  for (const HtmlItem& it : lay.items)
    if (it.kind == HtmlItem::kImage && !first) first = &it;
  ASSERT_NE(nullptr, first);
  uint32_t px = static_cast<uint32_t*>(bits)[(first->y + 10) * 800 + first->x + 10] & 0xFFFFFF;
  EXPECT_EQ(0x3080C0u, px);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST_F(ViewerImages, TransparencyLiesOnThePageBackground) {
  CPicture pic;
  ASSERT_TRUE(pic.Create(32, 40, 20, 0x00FF0000u));  // clear red ...
  pic.FillRect(20, 0, 20, 20, 0xFF0000FFu);           // ... beside opaque blue
  ASSERT_EQ(0, ImgSaveFile((dir + "\\halb.png").c_str(), pic));
  HtmlDocument doc = Page("<body bgcolor=#00ff00><img src=halb.png>");
  HtmlImages images;
  images.Load(doc, HtmlFileUrl(Wide(dir + "\\seite.html")), 0x00FF00);
  const std::vector<uint32_t> px = Drawn(images, 0, 40, 20);
  EXPECT_EQ(0x00FF00u, px[10 * 40 + 5]);
  EXPECT_EQ(0x0000FFu, px[10 * 40 + 30]);
}

// Interlaced, index 0 transparent: the top half clear left of blue, the
// bottom half all blue; stored in the four passes' row order.
TEST_F(ViewerImages, TransparentInterlacedGifShowsThePage) {
  ImgBuffer gif;
  const uint8_t head[] = {'G', 'I', 'F', '8', '9', 'a', 40, 0, 20, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF,
                          0x21, 0xF9, 4, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 40, 0, 20, 0, 0x40, 2};
  ASSERT_TRUE(gif.Append(head, sizeof(head)));
  {
    CLzwEncoder lzw(ImgLzwKind::Gif, 2, gif);
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < 20; y += step[pass]) {
        uint8_t row[40];
        for (int x = 0; x < 40; ++x) row[x] = y < 10 && x < 20 ? 0 : 1;
        lzw.Add(row, 40);
      }
    lzw.Finish();
  }
  ASSERT_TRUE(gif.Append(";", 1));
  orvtest::WriteFile(dir + "\\zeilen.gif", gif.data, gif.size);
  HtmlDocument doc = Page("<body bgcolor=#00ff00><img src=zeilen.gif alt=z>");
  HtmlImages images;
  images.Load(doc, HtmlFileUrl(Wide(dir + "\\seite.html")), 0x00FF00);
  int w = 0, h = 0;
  ASSERT_TRUE(images.ImageSize(0, &w, &h));
  EXPECT_EQ(40, w);
  EXPECT_EQ(20, h);
  const std::vector<uint32_t> px = Drawn(images, 0, 40, 20);
  EXPECT_EQ(0x00FF00u, px[3 * 40 + 5]);
  EXPECT_EQ(0x0000FFu, px[3 * 40 + 30]);
  EXPECT_EQ(0x0000FFu, px[15 * 40 + 5]);
}

// A 24-bit BMP, bottom-up: red above blue.
TEST_F(ViewerImages, BmpShowsThePage) {
  uint8_t bmp[54 + 2 * 8] = {'B', 'M', sizeof(bmp), 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                             2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  const uint8_t rows[16] = {0xFF, 0, 0, 0xFF, 0, 0, 0, 0,      // bottom row: blue
                            0, 0, 0xFF, 0, 0, 0xFF, 0, 0};     // top row: red
  std::memcpy(bmp + 54, rows, sizeof(rows));
  orvtest::WriteFile(dir + "\\karte.bmp", bmp, sizeof(bmp));
  HtmlDocument doc = Page("<img src=karte.bmp alt=k>");
  HtmlImages images;
  images.Load(doc, HtmlFileUrl(Wide(dir + "\\seite.html")), 0xFFFFFF);
  int w = 0, h = 0;
  ASSERT_TRUE(images.ImageSize(0, &w, &h));
  EXPECT_EQ(2, w);
  EXPECT_EQ(2, h);
  const std::vector<uint32_t> px = Drawn(images, 0, 2, 2);
  EXPECT_EQ(0xFF0000u, px[0]);
  EXPECT_EQ(0x0000FFu, px[2]);
}

TEST_F(ViewerImages, AtMost256PicturesAreLoaded) {
  std::string html;
  for (int i = 0; i < 300; ++i) html += "<img src=gut.png alt=x>";
  HtmlDocument doc = Page(html);
  HtmlImages images;
  images.Load(doc, HtmlFileUrl(Wide(dir + "\\seite.html")), 0xFFFFFF);
  int w, h;
  EXPECT_TRUE(images.ImageSize(kHtmlMaxImages - 1, &w, &h));
  EXPECT_FALSE(images.ImageSize(kHtmlMaxImages, &w, &h));
}

TEST_F(ViewerImages, PagesUpToTheLimitAreRead) {
  std::string page(kHtmlMaxPageBytes, '<');
  orvtest::WriteFile(dir + "\\voll.html", page.data(), page.size());
  page.push_back('<');
  orvtest::WriteFile(dir + "\\mehr.html", page.data(), page.size());
  std::vector<uint8_t> data;
  EXPECT_EQ(kHtmlFetchOk, HtmlFetch(Wide(dir + "\\voll.html"), kHtmlMaxPageBytes, data));
  EXPECT_EQ(kHtmlMaxPageBytes, data.size());
  EXPECT_EQ(kHtmlFetchTooLarge, HtmlFetch(Wide(dir + "\\mehr.html"), kHtmlMaxPageBytes, data));
  EXPECT_EQ(kHtmlFetchMissing, HtmlFetch(Wide(dir + "\\nichts.html"), kHtmlMaxPageBytes, data));
  EXPECT_EQ(kHtmlFetchRefused, HtmlFetch(Wide("http://127.0.0.1/x.html"), kHtmlMaxPageBytes, data));
  // the full page of '<' is laid out and painted like any
  HtmlDocument doc;
  HtmlParseBytes(reinterpret_cast<const uint8_t*>(page.data()), kHtmlMaxPageBytes, doc);
  HtmlGdiFonts fonts;
  HtmlLayout lay;
  HtmlLayoutPage(doc, 1000, fonts, nullptr, lay);
  ASSERT_FALSE(lay.items.empty());  // one word wider than any window
  EXPECT_LE(lay.width, kHtmlMaxCoord);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 100);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r = {0, 0, 200, 100};
  HtmlPaint(dc, r, lay, fonts, nullptr, 0);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

}  // namespace
