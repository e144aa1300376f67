// The reader and writer bases, and the tables that choose a format: readers
// by content (strongest signature first), writers by file-name extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CPicture;
class ImgSink;

class CPictureReader {
 public:
  virtual ~CPictureReader() = default;
  virtual bool Detect(const uint8_t* data, size_t size) const = 0;
  // Throws EGraphicsException; out is only changed on success.
  virtual void Decode(const uint8_t* data, size_t size, CPicture& out) const = 0;
};

class CPictureWriter {
 public:
  virtual ~CPictureWriter() = default;
  const char* m_comment = nullptr;  // none when null or empty
  // Throws EGraphicsException; bytes already given to out stay there.
  virtual void Encode(const CPicture& picture, ImgSink& out) = 0;
};

// A codec's free functions as a reader.
template <bool (*IsFn)(const uint8_t*, size_t), void (*DecodeFn)(const uint8_t*, size_t, CPicture&)>
class TPictureReader : public CPictureReader {
 public:
  bool Detect(const uint8_t* data, size_t size) const override { return IsFn(data, size); }
  void Decode(const uint8_t* data, size_t size, CPicture& out) const override { DecodeFn(data, size, out); }
};

// A codec's writer class (m_comment, Encode(picture, sink)) as a writer;
// m_codec holds its own options.
template <class W>
class TPictureWriter : public CPictureWriter {
 public:
  W m_codec;
  void Encode(const CPicture& picture, ImgSink& out) override {
    m_codec.m_comment = m_comment;
    m_codec.Encode(picture, out);
  }
};

// The first reader whose signature the data carries, or null.
const CPictureReader* ImgFindReader(const uint8_t* data, size_t size);
// The writer for the file name's extension (any case), or null.
std::unique_ptr<CPictureWriter> ImgWriterForFile(const char* fileName);
