// Loading by content, saving by extension, and files replaced safely.
#include "image/imgfile.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "image/formats/jpegcodec.h"
#include "image/formats/pngcodec.h"
#include "image/imgerror.h"
#include "image/picture.h"

ImgBuffer::~ImgBuffer() { std::free(data); }

bool ImgBuffer::Append(const void* p, size_t n) {
  if (n == 0) return true;
  if (n > SIZE_MAX - size) return false;
  if (size + n > capacity) {
    size_t cap = capacity ? capacity : 65536;
    while (cap < size + n) {
      if (cap > SIZE_MAX / 2) {
        cap = size + n;
        break;
      }
      cap *= 2;
    }
    uint8_t* q = static_cast<uint8_t*>(std::realloc(data, cap));
    if (!q) return false;
    data = q;
    capacity = cap;
  }
  std::memcpy(data + size, p, n);
  size += n;
  return true;
}

int ImgLoadMemory(const void* data, size_t size, CPicture& picture, unsigned flags) {
  (void)flags;
  if (!data && size) return -4;
  const uint8_t* d = static_cast<const uint8_t*>(data);
  try {
    if (ImgIsPng(d, size))
      ImgDecodePng(d, size, picture);
    else if (ImgIsJpeg(d, size))
      ImgDecodeJpeg(d, size, picture);
    else
      return -2;
  } catch (const EGraphicsException& e) {
    return e.Code() < 0 && e.Code() >= -4 ? e.Code() : -1;
  } catch (const std::bad_alloc&) {
    return -3;
  } catch (const std::exception&) {
    return -4;
  }
  return 0;
}

namespace {

// The extension behind the last dot of the last path component, lower case.
std::string Extension(const char* name) {
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\' || *p == ':') base = p + 1;
  const char* dot = std::strrchr(base, '.');
  std::string ext;
  if (dot)
    for (const char* p = dot + 1; *p; ++p) ext += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p);
  return ext;
}

}  // namespace

namespace {

// Passes bytes on until the flag is set, then fails every write.
class CancelSink : public ImgSink {
 public:
  CancelSink(ImgSink& out, const volatile long* cancel) : m_out(out), m_cancel(cancel) {}
  bool Write(const void* data, size_t size) override {
    if (m_cancel && *m_cancel) return false;
    return m_out.Write(data, size);
  }

 private:
  ImgSink& m_out;
  const volatile long* m_cancel;
};

}  // namespace

int ImgSaveFile(const char* fileName, const CPicture& picture, const char* comment) {
  return ImgSaveFile(fileName, picture, comment, nullptr);
}

int ImgSaveFile(const char* fileName, const CPicture& picture, const char* comment, const volatile long* cancel) {
  if (!fileName || !*fileName) return -4;
  std::string ext = Extension(fileName);
  bool png = ext == "png";
  bool jpeg = ext == "jpg" || ext == "jpeg" || ext == "jpe";
  if (!png && !jpeg) return -2;
  if (picture.IsEmpty()) return -4;
  auto stopped = [cancel] { return cancel && *cancel; };
  try {
    // the temporary goes with `file` unless committed
    ImgReplaceFile file;
    file.Open(fileName);
    CancelSink sink(file, cancel);
    if (png) {
      CPngWriter w;
      w.m_comment = comment;
      w.Encode(picture, 0, sink);
    } else {
      CJpegWriter w;
      w.m_comment = comment;
      w.Encode(picture, sink);
    }
    if (stopped()) return kImgSaveCancelled;
    file.Commit();
  } catch (const EGraphicsException&) {
    return stopped() ? kImgSaveCancelled : -1;
  } catch (const std::exception&) {
    return stopped() ? kImgSaveCancelled : -1;
  }
  return 0;
}

ImgReplaceFile::ImgReplaceFile()
    : m_used(0),
      m_failed(false),
#ifdef _WIN32
      m_handle(INVALID_HANDLE_VALUE)
#else
      m_fd(-1)
#endif
{
}

ImgReplaceFile::~ImgReplaceFile() { Discard(); }

void ImgReplaceFile::Discard() {
#ifdef _WIN32
  if (m_handle != INVALID_HANDLE_VALUE) {
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    DeleteFileA(m_temp.c_str());
  }
#else
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temp.c_str());
  }
#endif
}

void ImgReplaceFile::Open(const char* target) {
  if (!target || !*target) throw EGraphicsFileError("no file name");
  Discard();
  // unique among the threads and processes that may save beside it
  static std::atomic<unsigned> serial{0};
  char suffix[64];
#ifdef _WIN32
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  std::snprintf(suffix, sizeof(suffix), ".%lx-%x.tmp", pid, serial.fetch_add(1) + 1);
  m_target = target;
  m_temp = m_target + suffix;
  m_used = 0;
  m_failed = false;
  m_buffer.resize(1 << 16);
#ifdef _WIN32
  m_handle = CreateFileA(m_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (m_handle == INVALID_HANDLE_VALUE) throw EGraphicsFileError("cannot create the file");
#else
  m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (m_fd < 0) throw EGraphicsFileError("cannot create the file");
#endif
}

bool ImgReplaceFile::Flush() {
  const uint8_t* p = m_buffer.data();
  size_t left = m_used;
  m_used = 0;
#ifdef _WIN32
  if (m_handle == INVALID_HANDLE_VALUE) return false;
  while (left > 0) {
    DWORD done = 0;
    if (!WriteFile(m_handle, p, static_cast<DWORD>(left), &done, nullptr) || done == 0) return false;
    p += done;
    left -= done;
  }
#else
  if (m_fd < 0) return false;
  while (left > 0) {
    ssize_t n = ::write(m_fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
#endif
  return true;
}

bool ImgReplaceFile::Write(const void* data, size_t size) {
  if (m_failed) return false;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    size_t n = m_buffer.size() - m_used;
    if (n > size) n = size;
    std::memcpy(m_buffer.data() + m_used, p, n);
    m_used += n;
    p += n;
    size -= n;
    if (m_used == m_buffer.size() && !Flush()) {
      m_failed = true;
      return false;
    }
  }
  return true;
}

void ImgReplaceFile::Commit() {
  bool ok = !m_failed && Flush();
#ifdef _WIN32
  if (m_handle == INVALID_HANDLE_VALUE) throw EGraphicsFileError("file not open");
  if (ok && !FlushFileBuffers(m_handle)) ok = false;
  if (!CloseHandle(m_handle)) ok = false;
  m_handle = INVALID_HANDLE_VALUE;
  if (ok) {
    // Windows refuses to replace a read-only file; Wine does not, so ask first
    DWORD a = GetFileAttributesA(m_target.c_str());
    ok = a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_READONLY);
  }
  if (ok) ok = MoveFileExA(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) {
    DeleteFileA(m_temp.c_str());
    throw EGraphicsFileError("cannot write the file");
  }
#else
  if (m_fd < 0) throw EGraphicsFileError("file not open");
  if (ok && ::fsync(m_fd) != 0) ok = false;
  if (::close(m_fd) != 0) ok = false;
  m_fd = -1;
  if (ok) ok = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
  if (!ok) {
    ::unlink(m_temp.c_str());
    throw EGraphicsFileError("cannot write the file");
  }
#endif
}
