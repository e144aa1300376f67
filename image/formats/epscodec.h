// EPS: no PostScript interpreter; read are the picture data a %ImageData:
// comment describes, or a DOS-EPS file's TIFF preview.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsDosEps(const uint8_t* data, size_t size);
bool ImgIsEps(const uint8_t* data, size_t size);  // "%!PS-Adobe-... EPSF"
// Either kind. Throws EGraphicsException (-2 for PostScript alone or a WMF
// preview); out is only changed on success.
void ImgDecodeEps(const uint8_t* data, size_t size, CPicture& out);

class CEpsWriter {
 public:
  const char* m_comment = nullptr;  // %%Title:; none when null or empty
  // EPSF-3.0, BoundingBox 0 0 w h, hex grey or RGB data under %ImageData:
  // (alpha dropped). Throws on failure.
  void Encode(const CPicture& picture, ImgSink& out);
};
