// The element tree of a page: known tags only, implied ends, a depth limit.
#pragma once

#include <string>
#include <vector>

#include "htmlview/htmltok.h"

enum class HtmlTag : uint8_t {
  kText, kRoot, kTitle,
  kH1, kH2, kH3, kH4, kH5, kH6, kP, kDiv, kCenter, kBr, kHr, kBlockquote, kPre,
  kUl, kOl, kLi, kDl, kDt, kDd, kTable, kTr, kTd, kTh, kCaption,
  kB, kStrong, kI, kEm, kU, kSmall, kBig, kFont, kSpan, kA, kImg, kTt, kCode, kSub, kSup,
  kUnknown
};

struct HtmlNode {
  HtmlTag tag = HtmlTag::kText;
  int parent = -1, firstChild = -1, lastChild = -1, next = -1;
  std::vector<HtmlAttr> attrs;
  HtmlString text;  // of a text node
  const HtmlString* Attr(const char* name) const;
};

struct HtmlDocument {
  std::vector<HtmlNode> nodes;  // nodes[0] is the root; it carries the body's attributes
  HtmlString title;             // white space collapsed
  std::vector<int> images;      // <img> nodes in page order
};

// Builds the tree of a decoded page.
void HtmlParse(const HtmlString& text, HtmlDocument& doc);
// Decodes by charset and builds the tree.
void HtmlParseBytes(const uint8_t* data, size_t size, HtmlDocument& doc);

HtmlTag HtmlTagFromName(const std::string& name);
bool HtmlIsBlock(HtmlTag tag);

// The page's text as a reader would copy it: white space collapsed, blocks
// and line breaks on lines of their own.
HtmlString HtmlDocumentText(const HtmlDocument& doc);
