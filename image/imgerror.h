// Failures of the image library travel as EGraphicsException objects; the
// flat entry points (ImgLoadMemory, ImgSaveFile) turn them into codes.
#pragma once

#include <cstddef>
#include <exception>

class EGraphicsException : public std::exception {
 public:
  // code: the flat entry points' result for this failure
  EGraphicsException(int code, const char* text) : m_code(code) {
    size_t i = 0;
    for (; text && text[i] && i + 1 < sizeof(m_text); ++i) m_text[i] = text[i];
    m_text[i] = 0;
  }
  const char* what() const noexcept override { return m_text; }
  int Code() const { return m_code; }

 private:
  int m_code;
  char m_text[200];
};

// Damaged, truncated or inconsistent data.
class EGraphicsDataError : public EGraphicsException {
 public:
  explicit EGraphicsDataError(const char* text) : EGraphicsException(-1, text) {}
};

// Not a format the library reads, or a variant of it that it does not.
class EGraphicsFormatError : public EGraphicsException {
 public:
  explicit EGraphicsFormatError(const char* text) : EGraphicsException(-2, text) {}
};

// Too large to hold, or out of memory.
class EGraphicsMemoryError : public EGraphicsException {
 public:
  explicit EGraphicsMemoryError(const char* text) : EGraphicsException(-3, text) {}
};

// A file could not be created, written or put in place.
class EGraphicsFileError : public EGraphicsException {
 public:
  explicit EGraphicsFileError(const char* text) : EGraphicsException(-4, text) {}
};
