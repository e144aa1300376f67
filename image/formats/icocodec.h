// ICO and CUR: Windows icons and cursors.
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsIco(const uint8_t* data, size_t size);  // icons and cursors
// Decodes the entry of most pixels (then deepest, then first), judged by
// its own header rather than the directory. Throws EGraphicsException; out
// is only changed on success.
void ImgDecodeIco(const uint8_t* data, size_t size, CPicture& out);

class CIcoWriter {
 public:
  // Icons hold no comment; kept for the writers' common shape.
  const char* m_comment = nullptr;
  bool m_cursor = false;  // a cursor (hotspot 0,0) instead of an icon

  // One entry of at most 256 x 256: a side of 256 as PNG, smaller as a
  // bitmap with AND mask. Larger pictures: EGraphicsDataError.
  void Encode(const CPicture& picture, ImgSink& out);
};
