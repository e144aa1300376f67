// A fixed grid for layout tests: every character 8 px wide (mono 10, bold 9),
// lines size + 4 high.
#pragma once

#include "htmlview/htmllayout.h"

struct GridMetrics : HtmlFontMetrics {
  int TextWidth(const HtmlFont& f, const WideChar*, int n) override { return n * (f.mono ? 10 : f.bold ? 9 : 8); }
  int LineHeight(const HtmlFont& f) override { return f.size + 4; }
  int Ascent(const HtmlFont& f) override { return f.size; }
};

struct FixedImages : HtmlImageInfo {
  int w = 0, h = 0;  // 0: every image is missing
  bool ImageSize(int, int* pw, int* ph) override {
    *pw = w;
    *ph = h;
    return w > 0;
  }
};
