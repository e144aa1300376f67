#include "htmlview/htmlimages.h"

#include "htmlview/htmlfetch.h"
#include "htmlview/htmllimits.h"
#include "htmlview/htmlurl.h"
#include "image/imgfile.h"
#include "image/picture.h"

HtmlImages::HtmlImages() = default;
HtmlImages::~HtmlImages() = default;

void HtmlImages::Clear() { m_pictures.clear(); }

void HtmlImages::Load(const HtmlDocument& doc, const HtmlString& pageUrl, uint32_t background) {
  Clear();
  size_t count = std::min(doc.images.size(), static_cast<size_t>(kHtmlMaxImages));
  m_pictures.resize(count);
  std::vector<uint8_t> data;
  for (size_t k = 0; k < count; ++k) {
    const HtmlString* src = doc.nodes[doc.images[k]].Attr("src");
    if (!src || src->empty()) continue;
    HtmlString url = HtmlResolveUrl(pageUrl, *src);
    if (HtmlFetch(url, kHtmlMaxImageFileBytes, data) != kHtmlFetchOk) continue;
    std::unique_ptr<CPicture> pic(new CPicture);
    if (ImgLoadMemory(data.data(), data.size(), *pic, 0) != 0 || pic->IsEmpty()) continue;
    // transparency is drawn over the page once, here
    if (pic->GetAlphaUsage() == 2 && (pic->Bits() == 32 || pic->ConvertFrom(*pic, 32)))
      pic->FlattenAlpha(0xFF000000u | background);
    m_pictures[k] = std::move(pic);
  }
}

bool HtmlImages::ImageSize(int k, int* width, int* height) {
  if (k < 0 || static_cast<size_t>(k) >= m_pictures.size() || !m_pictures[k]) return false;
  *width = m_pictures[k]->Width();
  *height = m_pictures[k]->Height();
  return true;
}

void HtmlImages::Draw(HDC dc, int k, int x, int y, int w, int h) const {
  if (k < 0 || static_cast<size_t>(k) >= m_pictures.size() || !m_pictures[k]) return;
  const CPicture& pic = *m_pictures[k];
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } bmi;
  pic.GetBitmapInfo(reinterpret_cast<BITMAPINFO*>(&bmi));
  int mode = SetStretchBltMode(dc, (w < pic.Width() || h < pic.Height()) ? HALFTONE : COLORONCOLOR);
  if (mode == HALFTONE || w < pic.Width()) SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, x, y, w, h, 0, 0, pic.Width(), pic.Height(), pic.Pixels(), reinterpret_cast<BITMAPINFO*>(&bmi),
                DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, mode);
}
