// XWD: X window dumps (version 7).
#pragma once

#include <cstddef>
#include <cstdint>

class CPicture;
class ImgSink;

bool ImgIsXwd(const uint8_t* data, size_t size);
// ZPixmap dumps of depth 1-32 and XY dumps of depth 1, in either byte
// order. Throws
// EGraphicsException; out is only changed on success.
void ImgDecodeXwd(const uint8_t* data, size_t size, CPicture& out);

class CXwdWriter {
 public:
  // Written as the window name; none when null or empty.
  const char* m_comment = nullptr;

  // TrueColor, depth 24 at 32 bits per pixel; alpha is dropped.
  void Encode(const CPicture& picture, ImgSink& out);
};
