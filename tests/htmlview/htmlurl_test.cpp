// Page addresses: file and res URLs, relative links.
#include <gtest/gtest.h>

#include <string>

#include "htmlview/htmlurl.h"

namespace {

HtmlString W(const char* s) {
  HtmlString out;
  while (*s) out.push_back(static_cast<unsigned char>(*s++));
  return out;
}

std::string A(const HtmlString& s) {
  std::string out;
  for (WideChar c : s) out.push_back(c < 256 ? static_cast<char>(c) : '?');
  return out;
}

TEST(HtmlUrl, PathsAndFileUrls) {
  EXPECT_EQ("file:///C:/Spiele/Spiel%201/Info.html", A(HtmlFileUrl(W("C:\\Spiele\\Spiel 1\\Info.html"))));
  EXPECT_EQ("C:\\Spiele\\Spiel 1\\Info.html", A(HtmlUrlToPath(W("file:///C:/Spiele/Spiel%201/Info.html#top"))));
  EXPECT_EQ("C:\\a\\b.html", A(HtmlUrlToPath(W("file://C:\\a\\b.html"))));
  EXPECT_EQ("C:\\a\\b.html", A(HtmlUrlToPath(W("FILE:///C|/a/b.html?x=1"))));
  EXPECT_EQ("\\\\server\\share\\x.html", A(HtmlUrlToPath(W("file://server/share/x.html"))));
  // percent escapes are UTF-8
  HtmlString p = HtmlUrlToPath(W("file:///C:/M%C3%BCnchen.html"));
  EXPECT_EQ(0xFC, p[4]);
  EXPECT_TRUE(HtmlUrlToPath(W("http://x/y")).empty());
}

TEST(HtmlUrl, Kinds) {
  EXPECT_EQ(HtmlUrlKind::kFile, HtmlUrlClassify(W("c:/x")));
  EXPECT_EQ(HtmlUrlKind::kRes, HtmlUrlClassify(W("RES://a.exe/b")));
  EXPECT_EQ(HtmlUrlKind::kRemote, HtmlUrlClassify(W("HTTPS://example.org")));
  EXPECT_EQ(HtmlUrlKind::kMailto, HtmlUrlClassify(W("mailto:a@b")));
  EXPECT_EQ(HtmlUrlKind::kScript, HtmlUrlClassify(W("javascript:void(0)")));
  EXPECT_EQ(HtmlUrlKind::kOther, HtmlUrlClassify(W("about:blank")));
  EXPECT_EQ(HtmlUrlKind::kRelative, HtmlUrlClassify(W("../Game002/Info.html")));
}

TEST(HtmlUrl, RelativeLinks) {
  HtmlString base = W("file:///C:/Spiel/Game001/Info.html");
  EXPECT_EQ("file:///C:/Spiel/Game002/Info.html", A(HtmlResolveUrl(base, W("../Game002/Info.html"))));
  EXPECT_EQ("file:///C:/Spiel/Game001/bild.png", A(HtmlResolveUrl(base, W(" bild.png#x "))));
  EXPECT_EQ("file:///C:/top.html", A(HtmlResolveUrl(base, W("/top.html"))));
  EXPECT_EQ("file:///C:/x.html", A(HtmlResolveUrl(base, W("../../../../x.html"))));  // never above the drive
  EXPECT_EQ("file:///C:/Spiel/Game001/a/b.html", A(HtmlResolveUrl(base, W(".\\a\\.\\b.html"))));
  EXPECT_EQ("file:///C:/Spiel/Game001/Info.html", A(HtmlResolveUrl(base, W("#anker"))));
  EXPECT_EQ("file:///D:/y.html", A(HtmlResolveUrl(base, W("D:\\y.html"))));
  EXPECT_EQ("http://example.org/", A(HtmlResolveUrl(base, W("http://example.org/"))));
  // a plain path as the base
  EXPECT_EQ("file:///C:/Spiel/Main/b.html", A(HtmlResolveUrl(W("C:\\Spiel\\Main\\Info.html"), W("b.html"))));
  // pages in a program's resources link to its other resources
  EXPECT_EQ("res://C:\\Orvalo.exe/HILFE.HTML", A(HtmlResolveUrl(W("res://C:\\Orvalo.exe/INFO.HTML"), W("HILFE.HTML"))));
  HtmlString module, name;
  ASSERT_TRUE(HtmlSplitResUrl(W("res://C:\\Prog\\Orvalo.exe/123"), &module, &name));
  EXPECT_EQ("C:\\Prog\\Orvalo.exe", A(module));
  EXPECT_EQ("123", A(name));
  EXPECT_FALSE(HtmlSplitResUrl(W("res://nothing"), &module, &name));
}

}  // namespace
