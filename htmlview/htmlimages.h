// The pictures of one page: PNG and JPEG by content, at most 256.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "htmlview/htmldom.h"
#include "htmlview/htmllayout.h"

class CPicture;

class HtmlImages : public HtmlImageInfo {
 public:
  HtmlImages();
  ~HtmlImages();
  // Loads the page's images relative to its address; transparent parts are
  // laid on the page's background colour. A missing, broken, oversized or
  // unknown picture stays empty (the layout frames its alt text).
  void Load(const HtmlDocument& doc, const HtmlString& pageUrl, uint32_t background);
  void Clear();
  bool ImageSize(int k, int* width, int* height) override;
  void Draw(HDC dc, int k, int x, int y, int w, int h) const;

 private:
  std::vector<std::unique_ptr<CPicture>> m_pictures;
};
