#include "htmlview/htmllayout.h"

#include <algorithm>

#include "htmlview/htmllimits.h"

namespace {

const int kBodyMargin = 8;
const int kListIndent = 40;
const int kQuoteIndent = 40;
const uint32_t kRuleColor = 0x808080;
const uint32_t kAltColor = 0x808080;

inline bool IsWhite(WideChar c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
inline int32_t Clip(int64_t v) { return static_cast<int32_t>(std::max<int64_t>(-kHtmlMaxCoord, std::min<int64_t>(v, kHtmlMaxCoord))); }

struct Piece {
  int itemIndex;  // the item this piece placed (x relative to the line start until flushed)
  int width, height, ascent;
};

class Layouter {
 public:
  Layouter(const HtmlDocument& doc, HtmlFontMetrics& fm, HtmlImageInfo* images, HtmlLayout& out, int zoom)
      : m_doc(doc), m_fm(fm), m_images(images), m_out(out), m_zoom(zoom) {}

  void Run(int width) {
    HtmlStyle st;
    HtmlRootStyle(m_doc.nodes[0], st);
    m_out.background = st.background == kHtmlNoColor ? 0xFFFFFF : st.background;
    m_out.textColor = st.color;
    int margin = Px(kBodyMargin);
    width = std::max(width, 2 * margin + 1);
    m_x = margin;
    m_width = std::max(1, width - 2 * margin);
    m_y = margin;
    m_align = st.align;
    Children(0, st);
    FlushLine();
    m_out.height = Clip(m_y + margin);
    m_out.width = Clip(std::max<int64_t>(m_maxRight + margin, width));
  }

 private:
  bool Full() const { return m_y >= kHtmlMaxCoord; }

  // A length of the page at the zoom.
  int Px(int64_t v) const { return Clip((v * m_zoom + 50) / 100); }
  // Styles keep the page's own sizes; what is measured and drawn is zoomed.
  HtmlFont Zoomed(const HtmlFont& f) const {
    HtmlFont z = f;
    z.size = std::max(1, Px(f.size));
    return z;
  }
  int Length(const HtmlString* text, int whole) const { return HtmlParseLength(text, whole, m_zoom); }

  void Children(int node, const HtmlStyle& st) {
    for (int c = m_doc.nodes[node].firstChild; c >= 0 && !Full(); c = m_doc.nodes[c].next) Node(c, st);
  }

  void Node(int idx, const HtmlStyle& parent) {
    const HtmlNode& n = m_doc.nodes[idx];
    if (n.tag == HtmlTag::kText) {
      Text(n.text, parent);
      return;
    }
    HtmlStyle st;
    HtmlApplyStyle(n, parent, st);
    if (n.tag == HtmlTag::kA) {
      if (const HtmlString* href = n.Attr("href")) {
        st.link = static_cast<int>(m_out.links.size());
        m_out.links.push_back(*href);
      }
    }
    switch (n.tag) {
      case HtmlTag::kBr: Break(parent); return;
      case HtmlTag::kHr: Rule(n); return;
      case HtmlTag::kImg: Image(n, idx, parent); return;
      case HtmlTag::kTable: Table(idx, st); return;
      case HtmlTag::kTr: case HtmlTag::kTd: case HtmlTag::kTh:
        Block(idx, st, 0, 0, 0);  // stray table parts lay out as blocks
        return;
      default: break;
    }
    if (!HtmlIsBlock(n.tag)) {
      Inline(idx, st);
      return;
    }
    int fs = st.font.size;
    switch (n.tag) {
      case HtmlTag::kP: case HtmlTag::kDl: Block(idx, st, Px(fs), Px(fs), 0); break;
      case HtmlTag::kPre: Block(idx, st, Px(13), Px(13), 0); break;
      case HtmlTag::kH1: case HtmlTag::kH2: case HtmlTag::kH3:
      case HtmlTag::kH4: case HtmlTag::kH5: case HtmlTag::kH6: Block(idx, st, Px(fs * 2 / 3), Px(fs * 2 / 3), 0); break;
      case HtmlTag::kBlockquote: Block(idx, st, Px(16), Px(16), Px(kQuoteIndent), Px(kQuoteIndent)); break;
      case HtmlTag::kUl: case HtmlTag::kOl: {
        int saved = m_listCounter;
        bool savedOrdered = m_ordered;
        m_listCounter = 0;
        m_ordered = n.tag == HtmlTag::kOl;
        Block(idx, st, m_listDepth ? 0 : Px(16), m_listDepth ? 0 : Px(16), Px(kListIndent));
        m_listCounter = saved;
        m_ordered = savedOrdered;
        break;
      }
      case HtmlTag::kLi: {
        ++m_listCounter;
        HtmlString marker;
        if (m_ordered) {
          for (char c : std::to_string(m_listCounter)) marker.push_back(static_cast<WideChar>(c));
          marker.push_back('.');
        } else {
          marker.push_back(0x2022);
        }
        m_marker = marker;
        m_markerStyle = st;
        Block(idx, st, 0, 0, 0);
        m_marker.clear();
        break;
      }
      case HtmlTag::kDd: Block(idx, st, 0, 0, Px(kListIndent)); break;
      default: Block(idx, st, 0, 0, 0); break;
    }
  }

  void Inline(int idx, const HtmlStyle& st) { Children(idx, st); }

  void Space(int px) { m_pendingSpace = std::max(m_pendingSpace, px); }
  void TakeSpace() {
    m_y = std::min<int64_t>(m_y + m_pendingSpace, kHtmlMaxCoord);
    m_pendingSpace = 0;
  }

  int AddItem(HtmlItem&& item) {
    m_out.items.push_back(std::move(item));
    return static_cast<int>(m_out.items.size()) - 1;
  }

  // A block element: its own line, margins, indent and background.
  void Block(int idx, const HtmlStyle& st, int top, int bottom, int indentLeft, int indentRight = 0) {
    FlushLine();
    Space(top);
    int fill = -1;
    if (st.background != kHtmlNoColor) {
      TakeSpace();
      HtmlItem bg;
      bg.kind = HtmlItem::kFill;
      bg.color = st.background;
      fill = AddItem(std::move(bg));
    }
    int64_t startY = m_y;
    int savedX = m_x, savedW = m_width;
    HtmlAlign savedAlign = m_align;
    bool isList = m_doc.nodes[idx].tag == HtmlTag::kUl || m_doc.nodes[idx].tag == HtmlTag::kOl;
    if (isList) ++m_listDepth;
    m_x += std::min(indentLeft, m_width / 2);
    m_width = std::max(1, m_width - std::min(indentLeft, m_width / 2) - std::min(indentRight, m_width / 2));
    m_align = st.align;
    if (m_doc.nodes[idx].tag == HtmlTag::kPre) m_preFont = Zoomed(st.font);
    Children(idx, st);
    FlushLine();
    if (isList) --m_listDepth;
    if (fill >= 0) {
      HtmlItem& bg = m_out.items[fill];
      bg.x = savedX;
      bg.y = Clip(startY);
      bg.w = savedW;
      bg.h = Clip(m_y - startY);
    }
    m_x = savedX;
    m_width = savedW;
    m_align = savedAlign;
    Space(bottom);
  }

  void Text(const HtmlString& text, const HtmlStyle& st) {
    if (st.pre) {
      PreText(text, st);
      return;
    }
    size_t i = 0, n = text.size();
    while (i < n && !Full()) {
      if (IsWhite(text[i])) {
        m_space = true;
        while (i < n && IsWhite(text[i])) ++i;
        continue;
      }
      size_t from = i;
      while (i < n && !IsWhite(text[i])) ++i;
      Word(text.data() + from, static_cast<int>(i - from), st);
    }
  }

  void PreText(const HtmlString& text, const HtmlStyle& st) {
    HtmlString line;
    for (size_t i = 0; i <= text.size() && !Full(); ++i) {
      WideChar c = i < text.size() ? text[i] : 0;
      if (i == text.size() || c == '\n') {
        if (!line.empty()) {
          m_space = false;
          Word(line.data(), static_cast<int>(line.size()), st, true);
        }
        line.clear();
        if (c == '\n') Break(st);
      } else if (c == '\t') {
        do line.push_back(' '); while (line.size() % 8);
      } else if (c != '\r') {
        line.push_back(c);
      }
    }
  }

  void Word(const WideChar* w, int len, const HtmlStyle& st, bool noWrap = false) {
    HtmlFont font = Zoomed(st.font);
    int width = m_fm.TextWidth(font, w, len);
    int spaceW = 0;
    bool space = m_space && !m_line.empty();
    if (space) spaceW = m_fm.TextWidth(font, kSpace, 1);
    m_space = false;
    if (!noWrap && !m_line.empty() && m_lineX + spaceW + width > m_width) {
      FlushLine();
      space = false;
      spaceW = 0;
    }
    // a word in the same look right after the last one joins its run
    if (!m_line.empty()) {
      Piece& last = m_line.back();
      HtmlItem& it = m_out.items[last.itemIndex];
      if (it.kind == HtmlItem::kText && it.font == font && it.color == (st.color) && it.link == st.link &&
          it.x + it.w == m_lineX) {
        if (space) it.text.push_back(' ');
        it.text.append(w, len);
        it.w += spaceW + width;
        last.width = it.w;
        m_lineX += spaceW + width;
        return;
      }
    }
    m_lineX += spaceW;
    HtmlItem it;
    it.kind = HtmlItem::kText;
    it.font = font;
    it.color = st.color;
    it.link = st.link;
    it.text.assign(w, len);
    it.w = width;
    it.h = m_fm.LineHeight(font);
    Place(std::move(it), m_fm.Ascent(font));
  }

  // Puts an inline item at the end of the current line.
  void Place(HtmlItem&& it, int ascent) {
    it.x = m_lineX;
    Piece p{0, it.w, it.h, ascent};
    m_lineX = Clip(static_cast<int64_t>(m_lineX) + it.w);
    p.itemIndex = AddItem(std::move(it));
    m_line.push_back(p);
  }

  void FlushLine() {
    if (m_line.empty()) return;
    TakeSpace();
    int height = 0, ascent = 0;
    for (const Piece& p : m_line) ascent = std::max(ascent, p.ascent);
    for (const Piece& p : m_line) height = std::max(height, ascent - p.ascent + p.height);
    int shift = 0;
    if (m_align == HtmlAlign::kCenter) shift = std::max(0, (m_width - m_lineX) / 2);
    if (m_align == HtmlAlign::kRight) shift = std::max(0, m_width - m_lineX);
    for (const Piece& p : m_line) {
      HtmlItem& it = m_out.items[p.itemIndex];
      it.x = Clip(static_cast<int64_t>(it.x) + m_x + shift);
      it.y = Clip(m_y + ascent - p.ascent);
      m_maxRight = std::max<int64_t>(m_maxRight, static_cast<int64_t>(it.x) + it.w);
    }
    if (!m_marker.empty()) {
      HtmlItem mk;
      mk.kind = HtmlItem::kText;
      mk.font = Zoomed(m_markerStyle.font);
      mk.color = m_markerStyle.color;
      mk.text = m_marker;
      mk.w = m_fm.TextWidth(mk.font, mk.text.data(), static_cast<int>(mk.text.size()));
      mk.h = m_fm.LineHeight(mk.font);
      mk.x = Clip(static_cast<int64_t>(m_x) - mk.w - Px(6));
      mk.y = Clip(m_y + ascent - m_fm.Ascent(mk.font));
      AddItem(std::move(mk));
      m_marker.clear();
    }
    m_y = std::min<int64_t>(m_y + height, kHtmlMaxCoord);
    m_line.clear();
    m_lineX = 0;
    m_space = false;
  }

  void Break(const HtmlStyle& st) {
    if (m_line.empty()) {
      TakeSpace();
      m_y = std::min<int64_t>(m_y + m_fm.LineHeight(st.pre ? m_preFont : Zoomed(st.font)), kHtmlMaxCoord);
    }
    FlushLine();
  }

  void Rule(const HtmlNode& n) {
    FlushLine();
    Space(Px(8));
    TakeSpace();
    HtmlItem it;
    it.kind = HtmlItem::kFrame;
    it.color = kRuleColor;
    it.x = m_x;
    it.y = Clip(m_y);
    int w = Length(n.Attr("width"), m_width);
    it.w = w > 0 ? std::min(w, kHtmlMaxCoord) : m_width;
    it.h = Px(2);
    m_y = std::min<int64_t>(m_y + it.h, kHtmlMaxCoord);
    AddItem(std::move(it));
    Space(Px(8));
  }

  void Image(const HtmlNode& n, int node, const HtmlStyle& st) {
    // images are listed in node order
    int k = static_cast<int>(std::lower_bound(m_doc.images.begin(), m_doc.images.end(), node) - m_doc.images.begin());
    int nw = 0, nh = 0;
    bool ok = k < kHtmlMaxImages && m_images && m_images->ImageSize(k, &nw, &nh) && nw > 0 && nh > 0;
    int aw = Length(n.Attr("width"), m_width);
    int ah = Length(n.Attr("height"), m_width);
    HtmlItem it;
    it.link = st.link;
    if (ok) {
      // the limits hold for the size drawn, after the zoom
      int64_t w = Px(nw), h = Px(nh);
      if (aw > 0 && ah > 0) w = aw, h = ah;
      else if (aw > 0) h = std::max<int64_t>(1, static_cast<int64_t>(nh) * aw / nw), w = aw;
      else if (ah > 0) w = std::max<int64_t>(1, static_cast<int64_t>(nw) * ah / nh), h = ah;
      w = std::max<int64_t>(1, w);
      h = std::max<int64_t>(1, h);
      it.kind = HtmlItem::kImage;
      it.image = k;
      it.w = static_cast<int32_t>(std::min<int64_t>(w, kHtmlMaxImageSide));
      it.h = static_cast<int32_t>(std::min<int64_t>(h, kHtmlMaxImageSide));
    } else {
      it.kind = HtmlItem::kAlt;
      it.color = kAltColor;
      if (const HtmlString* alt = n.Attr("alt")) it.text = *alt;
      it.font = Zoomed(st.font);
      int tw = it.text.empty() ? 0 : m_fm.TextWidth(it.font, it.text.data(), static_cast<int>(it.text.size()));
      it.w = std::min(aw > 0 ? aw : tw + Px(8), kHtmlMaxImageSide);
      it.h = std::min(ah > 0 ? ah : m_fm.LineHeight(it.font) + Px(6), kHtmlMaxImageSide);
      it.w = std::max(it.w, std::min(Px(8), kHtmlMaxImageSide));
      it.h = std::max(it.h, std::min(Px(8), kHtmlMaxImageSide));
    }
    bool space = m_space && !m_line.empty();
    int spaceW = space ? m_fm.TextWidth(Zoomed(st.font), kSpace, 1) : 0;
    m_space = false;
    if (!m_line.empty() && m_lineX + spaceW + it.w > m_width) FlushLine();
    else m_lineX += spaceW;
    int h = it.h;
    Place(std::move(it), h);
  }

  struct Cell {
    int node;
    HtmlStyle style;
  };

  void Table(int idx, const HtmlStyle& st) {
    FlushLine();
    Space(Px(4));
    TakeSpace();
    const HtmlNode& t = m_doc.nodes[idx];
    // the page's own sizes are capped, then zoomed
    int border = 0;
    if (const HtmlString* b = t.Attr("border")) border = b->empty() ? 1 : std::min(std::max(0, HtmlParseLength(b, 0)), 16);
    int pad = 1, spacing = 2;
    if (const HtmlString* p = t.Attr("cellpadding")) pad = std::min(std::max(0, HtmlParseLength(p, 0)), 64);
    if (const HtmlString* s = t.Attr("cellspacing")) spacing = std::min(std::max(0, HtmlParseLength(s, 0)), 64);
    int line = border ? Px(1) : 0;
    border = Px(border);
    pad = Px(pad);
    spacing = Px(spacing);
    int width = Length(t.Attr("width"), m_width);
    if (width <= 0) width = m_width;
    width = std::min(width, kHtmlMaxCoord / 2);
    int x0 = m_x;
    if (const HtmlString* al = t.Attr("align")) {
      if (HtmlEqualsAscii(*al, "center")) x0 += std::max(0, (m_width - width) / 2);
      if (HtmlEqualsAscii(*al, "right")) x0 += std::max(0, m_width - width);
    }
    // rows and cells; a caption goes before
    std::vector<int> rows;
    for (int c = t.firstChild; c >= 0; c = m_doc.nodes[c].next) {
      const HtmlNode& r = m_doc.nodes[c];
      if (r.tag == HtmlTag::kTr) rows.push_back(c);
      else if (r.tag == HtmlTag::kCaption) Block(c, st, 0, 0, 0);
    }
    TakeSpace();
    size_t cols = 0;
    for (int r : rows) {
      size_t n = 0;
      for (int c = m_doc.nodes[r].firstChild; c >= 0; c = m_doc.nodes[c].next)
        if (m_doc.nodes[c].tag == HtmlTag::kTd || m_doc.nodes[c].tag == HtmlTag::kTh) ++n;
      cols = std::max(cols, n);
    }
    if (cols == 0) {
      Space(Px(4));
      return;
    }
    // column widths: given ones first, equal shares of the rest
    int inner = std::max<int>(static_cast<int>(cols), width - 2 * border - static_cast<int>(cols + 1) * spacing);
    std::vector<int> colW(cols, -1);
    for (int r : rows) {
      size_t k = 0;
      for (int c = m_doc.nodes[r].firstChild; c >= 0 && k < cols; c = m_doc.nodes[c].next) {
        const HtmlNode& cell = m_doc.nodes[c];
        if (cell.tag != HtmlTag::kTd && cell.tag != HtmlTag::kTh) continue;
        int w = Length(cell.Attr("width"), inner);
        if (colW[k] < 0 && w > 0) colW[k] = std::min(w, inner);
        ++k;
      }
    }
    int64_t given = 0;
    int open = 0;
    for (int w : colW) w > 0 ? given += w : ++open;
    if (given > inner) {  // more asked for than there is: scale down
      for (int& w : colW)
        if (w > 0) w = static_cast<int>(std::max<int64_t>(1, w * static_cast<int64_t>(inner) / given));
      given = inner;
    }
    int share = open ? static_cast<int>(std::max<int64_t>(1, (inner - given) / open)) : 0;
    for (int& w : colW)
      if (w <= 0) w = share;
    int tableW = 2 * border + static_cast<int>(cols + 1) * spacing;
    for (int w : colW) tableW += w;
    int64_t top = m_y;
    int tableFill = -1;
    if (st.background != kHtmlNoColor) {
      HtmlItem bg;
      bg.kind = HtmlItem::kFill;
      bg.color = st.background;
      tableFill = AddItem(std::move(bg));
    }
    int64_t y = top + border + spacing;
    int savedX = m_x, savedW = m_width;
    HtmlAlign savedAlign = m_align;
    for (int r : rows) {
      if (Full()) break;
      HtmlStyle rowSt;
      HtmlApplyStyle(m_doc.nodes[r], st, rowSt);
      int rowFill = -1;
      if (rowSt.background != kHtmlNoColor) {
        HtmlItem bg;
        bg.kind = HtmlItem::kFill;
        bg.color = rowSt.background;
        rowFill = AddItem(std::move(bg));
      }
      int64_t rowH = 0;
      int64_t x = x0 + border + spacing;
      size_t k = 0;
      std::vector<int> cellFills, cellFrames;
      std::vector<int64_t> cellX;
      for (int c = m_doc.nodes[r].firstChild; c >= 0 && k < cols; c = m_doc.nodes[c].next) {
        const HtmlNode& cell = m_doc.nodes[c];
        if (cell.tag != HtmlTag::kTd && cell.tag != HtmlTag::kTh) continue;
        HtmlStyle cs;
        HtmlApplyStyle(cell, rowSt, cs);
        if (cell.tag == HtmlTag::kTh && !cell.Attr("align")) cs.align = HtmlAlign::kCenter;
        HtmlItem bg;
        bg.kind = cs.background != kHtmlNoColor ? HtmlItem::kFill : HtmlItem::kFrame;
        bg.color = cs.background != kHtmlNoColor ? cs.background : kRuleColor;
        bg.w = 0;  // placeholder until the row's height is known
        cellFills.push_back(AddItem(std::move(bg)));
        cellX.push_back(x);
        int inset = line + pad;
        m_x = Clip(x + inset);
        m_width = std::max(1, colW[k] - 2 * inset);
        m_y = y + inset;
        m_pendingSpace = 0;
        m_align = cs.align;
        Children(c, cs);
        FlushLine();
        rowH = std::max<int64_t>(rowH, m_y + inset - y);
        m_pendingSpace = 0;
        x += colW[k] + spacing;
        ++k;
      }
      for (size_t i = 0; i < cellFills.size(); ++i) {
        HtmlItem& bg = m_out.items[cellFills[i]];
        if (bg.kind == HtmlItem::kFrame && !border) {
          bg.h = 0;  // nothing to draw
          continue;
        }
        bg.x = Clip(cellX[i]);
        bg.y = Clip(y);
        bg.w = colW[i];
        bg.h = Clip(rowH);
        if (border && bg.kind == HtmlItem::kFill) {
          HtmlItem fr = bg;
          fr.kind = HtmlItem::kFrame;
          fr.color = kRuleColor;
          AddItem(std::move(fr));
        }
      }
      if (rowFill >= 0) {
        HtmlItem& bg = m_out.items[rowFill];
        bg.x = Clip(x0 + border);
        bg.y = Clip(y);
        bg.w = tableW - 2 * border;
        bg.h = Clip(rowH);
      }
      y = std::min<int64_t>(y + rowH + spacing, kHtmlMaxCoord);
    }
    m_x = savedX;
    m_width = savedW;
    m_align = savedAlign;
    m_y = std::min<int64_t>(y + border, kHtmlMaxCoord);
    if (tableFill >= 0) {
      HtmlItem& bg = m_out.items[tableFill];
      bg.x = x0;
      bg.y = Clip(top);
      bg.w = tableW;
      bg.h = Clip(m_y - top);
    }
    if (border) {
      HtmlItem fr;
      fr.kind = HtmlItem::kFrame;
      fr.color = kRuleColor;
      fr.x = x0;
      fr.y = Clip(top);
      fr.w = tableW;
      fr.h = Clip(m_y - top);
      AddItem(std::move(fr));
    }
    m_maxRight = std::max<int64_t>(m_maxRight, static_cast<int64_t>(x0) + tableW);
    Space(Px(4));
  }

  static const WideChar kSpace[2];

  const HtmlDocument& m_doc;
  HtmlFontMetrics& m_fm;
  HtmlImageInfo* m_images;
  HtmlLayout& m_out;
  int m_zoom;
  int m_x = 0, m_width = 1;
  int64_t m_y = 0;
  int64_t m_maxRight = 0;
  int m_pendingSpace = 0;
  HtmlAlign m_align = HtmlAlign::kLeft;
  std::vector<Piece> m_line;
  int m_lineX = 0;
  bool m_space = false;
  HtmlString m_marker;
  HtmlStyle m_markerStyle;
  HtmlFont m_preFont;
  int m_listCounter = 0, m_listDepth = 0;
  bool m_ordered = false;
};

const WideChar Layouter::kSpace[2] = {' ', 0};

}  // namespace

void HtmlLayoutPage(const HtmlDocument& doc, int width, HtmlFontMetrics& metrics, HtmlImageInfo* images,
                    HtmlLayout& out, int zoom) {
  out = HtmlLayout();
  if (doc.nodes.empty()) return;
  Layouter(doc, metrics, images, out, std::min(std::max(zoom, kHtmlMinZoom), kHtmlMaxZoom)).Run(width);
}

int HtmlLinkAt(const HtmlLayout& layout, int x, int y) {
  for (const HtmlItem& it : layout.items)
    if (it.link >= 0 && x >= it.x && x < it.x + it.w && y >= it.y && y < it.y + it.h) return it.link;
  return -1;
}
