#include "htmlview/htmldom.h"

#include <string.h>

#include <unordered_map>

#include "htmlview/htmllimits.h"

namespace {

struct TagName {
  const char* name;
  HtmlTag tag;
};

const TagName kTags[] = {
    {"a", HtmlTag::kA},         {"b", HtmlTag::kB},
    {"big", HtmlTag::kBig},     {"blockquote", HtmlTag::kBlockquote},
    {"br", HtmlTag::kBr},       {"caption", HtmlTag::kCaption},
    {"center", HtmlTag::kCenter}, {"code", HtmlTag::kCode},
    {"dd", HtmlTag::kDd},       {"div", HtmlTag::kDiv},
    {"dl", HtmlTag::kDl},       {"dt", HtmlTag::kDt},
    {"em", HtmlTag::kEm},       {"font", HtmlTag::kFont},
    {"h1", HtmlTag::kH1},       {"h2", HtmlTag::kH2},
    {"h3", HtmlTag::kH3},       {"h4", HtmlTag::kH4},
    {"h5", HtmlTag::kH5},       {"h6", HtmlTag::kH6},
    {"hr", HtmlTag::kHr},       {"i", HtmlTag::kI},
    {"img", HtmlTag::kImg},     {"li", HtmlTag::kLi},
    {"ol", HtmlTag::kOl},       {"p", HtmlTag::kP},
    {"pre", HtmlTag::kPre},     {"small", HtmlTag::kSmall},
    {"span", HtmlTag::kSpan},   {"strong", HtmlTag::kStrong},
    {"sub", HtmlTag::kSub},     {"sup", HtmlTag::kSup},
    {"table", HtmlTag::kTable}, {"td", HtmlTag::kTd},
    {"th", HtmlTag::kTh},       {"title", HtmlTag::kTitle},
    {"tr", HtmlTag::kTr},       {"tt", HtmlTag::kTt},
    {"u", HtmlTag::kU},         {"ul", HtmlTag::kUl},
    // structure that only groups what we lay out anyway
    {"address", HtmlTag::kDiv}, {"article", HtmlTag::kDiv},
    {"footer", HtmlTag::kDiv},  {"header", HtmlTag::kDiv},
    {"main", HtmlTag::kDiv},    {"nav", HtmlTag::kDiv},
    {"section", HtmlTag::kDiv}, {"kbd", HtmlTag::kCode},
    {"samp", HtmlTag::kCode},   {"var", HtmlTag::kI},
    {"cite", HtmlTag::kI},      {"strike", HtmlTag::kSpan},
    {"abbr", HtmlTag::kSpan},   {"acronym", HtmlTag::kSpan},
    {"label", HtmlTag::kSpan},  {"figure", HtmlTag::kDiv},
    {"figcaption", HtmlTag::kDiv},
};

// elements without contents or end tag, of those we know
bool IsVoid(HtmlTag t) { return t == HtmlTag::kBr || t == HtmlTag::kHr || t == HtmlTag::kImg; }

bool IsHeading(HtmlTag t) { return t >= HtmlTag::kH1 && t <= HtmlTag::kH6; }

class TreeBuilder {
 public:
  explicit TreeBuilder(HtmlDocument& doc) : m_doc(doc) {
    m_doc.nodes.assign(1, HtmlNode());
    m_doc.nodes[0].tag = HtmlTag::kRoot;
    m_stack.push_back(0);
  }

  void Token(HtmlToken& t) {
    if (t.kind == HtmlToken::kText) {
      if (m_inTitle) m_title += t.text;
      else AddText(t.text);
      return;
    }
    if (t.name == "title") {
      m_inTitle = t.kind == HtmlToken::kStartTag && !t.selfClosing;
      return;
    }
    if (t.name == "body" && t.kind == HtmlToken::kStartTag) {
      for (HtmlAttr& a : t.attrs)
        if (!m_doc.nodes[0].Attr(a.name.c_str())) m_doc.nodes[0].attrs.push_back(std::move(a));
      return;
    }
    HtmlTag tag = HtmlTagFromName(t.name);
    if (t.kind == HtmlToken::kEndTag) {
      End(tag, t.name);
      return;
    }
    if (tag == HtmlTag::kUnknown) return;  // its text stays where it is
    Start(tag, t);
  }

  void Finish() {
    // the title's white space collapsed, as any text
    HtmlString out;
    bool space = false;
    for (WideChar c : m_title) {
      bool s = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
      if (s) space = !out.empty();
      else {
        if (space) out.push_back(' ');
        space = false;
        out.push_back(c);
      }
    }
    m_doc.title = out;
  }

 private:
  int Top() const { return m_stack.back(); }
  HtmlTag TopTag() const { return m_doc.nodes[Top()].tag; }

  int Append(HtmlNode&& n) {
    int parent = Top();
    int idx = static_cast<int>(m_doc.nodes.size());
    n.parent = parent;
    m_doc.nodes.push_back(std::move(n));
    HtmlNode& p = m_doc.nodes[parent];
    if (p.lastChild >= 0) m_doc.nodes[p.lastChild].next = idx;
    else p.firstChild = idx;
    p.lastChild = idx;
    return idx;
  }

  void AddText(HtmlString& text) {
    HtmlTag top = TopTag();
    // white space between rows and cells is no content
    if (top == HtmlTag::kTable || top == HtmlTag::kTr || top == HtmlTag::kUl || top == HtmlTag::kOl ||
        top == HtmlTag::kDl) {
      bool blank = true;
      for (WideChar c : text) blank = blank && (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f');
      if (blank) return;
    }
    int last = m_doc.nodes[Top()].lastChild;
    if (last >= 0 && m_doc.nodes[last].tag == HtmlTag::kText) {
      m_doc.nodes[last].text += text;
      return;
    }
    HtmlNode n;
    n.text = std::move(text);
    Append(std::move(n));
  }

  // Index in the stack of the nearest open tag, not looking past a boundary.
  int FindOpen(HtmlTag tag, std::initializer_list<HtmlTag> stops) const {
    for (int i = static_cast<int>(m_stack.size()) - 1; i > 0; --i) {
      HtmlTag t = m_doc.nodes[m_stack[i]].tag;
      if (t == tag) return i;
      for (HtmlTag s : stops)
        if (t == s) return -1;
    }
    return -1;
  }

  void PopTo(int stackIndex) { m_stack.resize(stackIndex); }

  void CloseP() {
    int i = FindOpen(HtmlTag::kP, {HtmlTag::kTd, HtmlTag::kTh, HtmlTag::kTable, HtmlTag::kLi, HtmlTag::kBlockquote,
                                   HtmlTag::kDd, HtmlTag::kDiv, HtmlTag::kCenter});
    if (i > 0) PopTo(i);
  }

  void Start(HtmlTag tag, HtmlToken& t) {
    if (HtmlIsBlock(tag) || tag == HtmlTag::kHr) CloseP();
    int i;
    switch (tag) {
      case HtmlTag::kLi:
        if ((i = FindOpen(HtmlTag::kLi, {HtmlTag::kUl, HtmlTag::kOl, HtmlTag::kTable})) > 0) PopTo(i);
        break;
      case HtmlTag::kDt:
      case HtmlTag::kDd:
        if ((i = FindOpen(HtmlTag::kDd, {HtmlTag::kDl, HtmlTag::kTable})) > 0) PopTo(i);
        if ((i = FindOpen(HtmlTag::kDt, {HtmlTag::kDl, HtmlTag::kTable})) > 0) PopTo(i);
        break;
      case HtmlTag::kTd:
      case HtmlTag::kTh:
        if ((i = FindOpen(HtmlTag::kTd, {HtmlTag::kTr, HtmlTag::kTable})) > 0) PopTo(i);
        if ((i = FindOpen(HtmlTag::kTh, {HtmlTag::kTr, HtmlTag::kTable})) > 0) PopTo(i);
        if (FindOpen(HtmlTag::kTr, {HtmlTag::kTable}) < 0) {
          // a cell straight in the table gets its row
          if (FindOpen(HtmlTag::kTable, {}) < 0) return;
          HtmlToken row;
          Start(HtmlTag::kTr, row);
        }
        break;
      case HtmlTag::kTr:
        if ((i = FindOpen(HtmlTag::kTr, {HtmlTag::kTable})) > 0) PopTo(i);
        if (FindOpen(HtmlTag::kTable, {}) < 0) return;  // a row outside a table is dropped
        break;
      case HtmlTag::kCaption:
        if (FindOpen(HtmlTag::kTable, {}) < 0) return;
        break;
      default:
        if (IsHeading(tag)) {
          HtmlTag top = TopTag();
          if (IsHeading(top)) m_stack.pop_back();  // headings do not nest
        }
        break;
    }
    if (m_stack.size() >= static_cast<size_t>(kHtmlMaxDepth)) return;
    HtmlNode n;
    n.tag = tag;
    n.attrs = std::move(t.attrs);
    int idx = Append(std::move(n));
    if (tag == HtmlTag::kImg) m_doc.images.push_back(idx);
    if (!IsVoid(tag) && !t.selfClosing) m_stack.push_back(idx);
  }

  void End(HtmlTag tag, const std::string& name) {
    if (tag == HtmlTag::kUnknown || IsVoid(tag)) return;
    int i;
    switch (tag) {
      case HtmlTag::kTd:
      case HtmlTag::kTh:
      case HtmlTag::kTr:
      case HtmlTag::kCaption:
        i = FindOpen(tag, {HtmlTag::kTable});
        break;
      case HtmlTag::kTable:
        i = FindOpen(tag, {});
        break;
      case HtmlTag::kLi:
        i = FindOpen(tag, {HtmlTag::kUl, HtmlTag::kOl});
        break;
      default:
        // an end tag does not close anything beyond its table cell
        i = FindOpen(tag, {HtmlTag::kTd, HtmlTag::kTh, HtmlTag::kTable});
        break;
    }
    if (i > 0) PopTo(i);
  }

  HtmlDocument& m_doc;
  std::vector<int> m_stack;
  bool m_inTitle = false;
  HtmlString m_title;
};

bool IsWhite(WideChar c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

void AppendBreak(HtmlString& out) {
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (!out.empty() && out.back() != '\n') out.push_back('\n');
}

void CollectText(const HtmlDocument& doc, int idx, bool pre, HtmlString& out) {
  const HtmlNode& n = doc.nodes[idx];
  if (n.tag == HtmlTag::kText) {
    for (WideChar c : n.text) {
      if (pre) {
        if (c != '\r') out.push_back(c);
      } else if (IsWhite(c)) {
        if (!out.empty() && out.back() != ' ' && out.back() != '\n') out.push_back(' ');
      } else {
        out.push_back(c == 0xA0 ? ' ' : c);
      }
    }
    return;
  }
  if (n.tag == HtmlTag::kBr) {
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out.push_back('\n');
    return;
  }
  bool cell = n.tag == HtmlTag::kTd || n.tag == HtmlTag::kTh;
  bool block = (HtmlIsBlock(n.tag) && !cell) || n.tag == HtmlTag::kHr;
  if (block) AppendBreak(out);
  if (cell) {
    if (!out.empty() && out.back() != '\n' && out.back() != ' ') out.push_back(' ');
  }
  if (n.tag == HtmlTag::kImg) {
    // an image is no text
    return;
  }
  for (int c = n.firstChild; c >= 0; c = doc.nodes[c].next) CollectText(doc, c, pre || n.tag == HtmlTag::kPre, out);
  if (block) AppendBreak(out);
}

}  // namespace

const HtmlString* HtmlNode::Attr(const char* name) const {
  for (const HtmlAttr& a : attrs)
    if (a.name == name) return &a.value;
  return nullptr;
}

HtmlTag HtmlTagFromName(const std::string& name) {
  static const std::unordered_map<std::string, HtmlTag> byName = [] {
    std::unordered_map<std::string, HtmlTag> m;
    for (const TagName& t : kTags) m.emplace(t.name, t.tag);
    return m;
  }();
  auto it = byName.find(name);
  return it == byName.end() ? HtmlTag::kUnknown : it->second;
}

bool HtmlIsBlock(HtmlTag t) {
  switch (t) {
    case HtmlTag::kH1: case HtmlTag::kH2: case HtmlTag::kH3: case HtmlTag::kH4: case HtmlTag::kH5:
    case HtmlTag::kH6: case HtmlTag::kP: case HtmlTag::kDiv: case HtmlTag::kCenter: case HtmlTag::kBlockquote:
    case HtmlTag::kPre: case HtmlTag::kUl: case HtmlTag::kOl: case HtmlTag::kLi: case HtmlTag::kDl:
    case HtmlTag::kDt: case HtmlTag::kDd: case HtmlTag::kTable: case HtmlTag::kTr: case HtmlTag::kTd:
    case HtmlTag::kTh: case HtmlTag::kCaption:
      return true;
    default:
      return false;
  }
}

void HtmlParse(const HtmlString& text, HtmlDocument& doc) {
  doc = HtmlDocument();
  TreeBuilder b(doc);
  HtmlTokenizer tok(text);
  HtmlToken t;
  while (tok.Next(t)) b.Token(t);
  b.Finish();
}

void HtmlParseBytes(const uint8_t* data, size_t size, HtmlDocument& doc) {
  HtmlParse(HtmlDecodeBytes(data, size, HtmlDetectCharset(data, size)), doc);
}

HtmlString HtmlDocumentText(const HtmlDocument& doc) {
  HtmlString out;
  if (!doc.nodes.empty()) CollectText(doc, 0, false, out);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
  return out;
}
