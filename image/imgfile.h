// Loading and saving pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CPicture;

// Decoding limits: no picture of more pixels (or a wider or higher one) is
// allocated for data from outside.
constexpr int64_t kImgMaxDecodePixels = int64_t(1) << 26;  // 64 Mpixel, 256 MiB at 32 bits
constexpr int kImgMaxDecodeSide = 32767;

// Decodes PNG, JPEG, GIF, TIFF, EPS, BMP, PNM, XPM, ICO/CUR or XWD data
// (told by content) into picture. 0 done; -1 damaged or truncated data; -2
// not a format the library reads; -3 too large or out of memory; -4 bad
// arguments or another failure. On failure the picture is left as it was.
// flags: none defined, pass 0.
int ImgLoadMemory(const void* data, size_t size, CPicture& picture, unsigned flags = 0);

// Saves by the file name's extension (".png"; ".jpg", ".jpeg", ".jpe";
// ".gif"; ".tif", ".tiff"; ".eps", ".epsf"; ".bmp", ".dib"; ".ico"; ".cur";
// ".pbm", ".pgm", ".ppm", ".pnm"; ".xpm"; ".xwd") with comment text (PNG: a
// "Comment" text chunk; JPEG: a COM marker; GIF: a comment extension; TIFF:
// ImageDescription; EPS: %%Title:; PNM: "#" lines; XPM: a C comment; XWD: the
// window name; BMP, ICO and CUR keep none) when not null or empty. The file
// is written under a temporary name beside it and renamed into place, so a
// failure leaves an existing file as it was.
// 0 done; -1 a writer failed or the file could not be put in place; -2
// unknown extension; -4 the file cannot be created, or another failure.
int ImgSaveFile(const char* fileName, const CPicture& picture, const char* comment = nullptr);
// The same, stopped from another thread: once *cancel is nonzero the writer's
// output fails, the temporary is removed and an existing file stays.
// -5 when stopped so.
constexpr int kImgSaveCancelled = -5;
int ImgSaveFile(const char* fileName, const CPicture& picture, const char* comment, const volatile long* cancel);

// Where the writers put their bytes. Write returns false on failure (the
// codecs' C callbacks call it and must not see exceptions). Patch overwrites
// bytes already written, offset counted from the first byte written to this
// sink (TIFF learns its offsets at the end).
class ImgSink {
 public:
  virtual bool Write(const void* data, size_t size) = 0;
  virtual bool Patch(uint64_t offset, const void* data, size_t size) = 0;

 protected:
  ~ImgSink() = default;
};

// A growing byte block (malloc-based).
struct ImgBuffer : ImgSink {
  uint8_t* data = nullptr;
  size_t size = 0, capacity = 0;
  ImgBuffer() = default;
  ImgBuffer(const ImgBuffer&) = delete;
  ImgBuffer& operator=(const ImgBuffer&) = delete;
  ~ImgBuffer();
  bool Append(const void* p, size_t n);
  bool Write(const void* p, size_t n) override { return Append(p, n); }
  bool Patch(uint64_t offset, const void* p, size_t n) override;
};

// A file written under a temporary name beside its target and renamed into
// place by Commit, so that a failure never touches an existing file. Without
// Commit the destructor removes the temporary.
class ImgReplaceFile : public ImgSink {
 public:
  ImgReplaceFile();
  ~ImgReplaceFile();
  ImgReplaceFile(const ImgReplaceFile&) = delete;
  ImgReplaceFile& operator=(const ImgReplaceFile&) = delete;
  void Open(const char* target);  // throws EGraphicsFileError
  bool Write(const void* data, size_t size) override;
  bool Patch(uint64_t offset, const void* data, size_t size) override;
  void Commit();  // throws EGraphicsFileError

 private:
  bool Flush();
  void Discard();
  std::string m_target, m_temp;
  std::vector<uint8_t> m_buffer;
  size_t m_used;
  uint64_t m_flushed;  // bytes in the file before m_buffer
  bool m_failed;
#ifdef _WIN32
  void* m_handle;
#else
  int m_fd;
#endif
};
