// A page of arbitrary bytes through charset, tree, text and layout at two
// widths and zooms; every item must stay inside the coordinate limits.
#include <cstddef>
#include <cstdint>

#include "htmlview/htmldom.h"
#include "htmlview/htmllayout.h"
#include "htmlview/htmllimits.h"

namespace {

struct Metrics : HtmlFontMetrics {
  int TextWidth(const HtmlFont& f, const WideChar*, int n) override { return n * (f.size / 2 + 1); }
  int LineHeight(const HtmlFont& f) override { return f.size + 3; }
  int Ascent(const HtmlFont& f) override { return f.size; }
};

struct Images : HtmlImageInfo {
  bool ImageSize(int k, int* w, int* h) override {
    *w = 1 + k * 97 % 4000;
    *h = 1 + k * 31 % 3000;
    return k % 3 != 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kHtmlMaxPageBytes) return 0;
  HtmlDocument doc;
  HtmlParseBytes(data, size, doc);
  HtmlDocumentText(doc);
  Metrics m;
  Images im;
  // the smallest and the largest zoom too: every length is multiplied
  const int runs[][2] = {{1, 100}, {1000, 100}, {1000, 1000}, {300, 10}};
  for (const auto& run : runs) {
    HtmlLayout lay;
    HtmlLayoutPage(doc, run[0], m, &im, lay, run[1]);
    for (const HtmlItem& it : lay.items) {
      if (it.y < -kHtmlMaxCoord || it.y > kHtmlMaxCoord || it.w < 0 || it.w > kHtmlMaxCoord) __builtin_trap();
      if (it.link >= static_cast<int>(lay.links.size())) __builtin_trap();
    }
    HtmlLinkAt(lay, 10, 10);
  }
  return 0;
}
