// Loading by content, saving by extension, and files replaced safely.
#include "image/imgfile.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

#include "image/imgerror.h"
#include "image/imgformats.h"
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

bool ImgBuffer::Patch(uint64_t offset, const void* p, size_t n) {
  if (offset > size || n > size - offset) return false;
  if (n) std::memcpy(data + offset, p, n);
  return true;
}

int ImgLoadMemory(const void* data, size_t size, CPicture& picture, unsigned flags) {
  (void)flags;
  if (!data && size) return -4;
  const uint8_t* d = static_cast<const uint8_t*>(data);
  try {
    const CPictureReader* reader = ImgFindReader(d, size);
    if (!reader) return -2;
    reader->Decode(d, size, picture);
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

// Passes bytes on until the flag is set, then fails every write.
class CancelSink : public ImgSink {
 public:
  CancelSink(ImgSink& out, const volatile long* cancel) : m_out(out), m_cancel(cancel) {}
  bool Write(const void* data, size_t size) override {
    if (m_cancel && *m_cancel) return false;
    return m_out.Write(data, size);
  }
  bool Patch(uint64_t offset, const void* data, size_t size) override {
    if (m_cancel && *m_cancel) return false;
    return m_out.Patch(offset, data, size);
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
  std::unique_ptr<CPictureWriter> writer = ImgWriterForFile(fileName);
  if (!writer) return -2;
  if (picture.IsEmpty()) return -4;
  auto stopped = [cancel] { return cancel && *cancel; };
  // a file that cannot be created is no writer's failure
  bool created = false;
  try {
    // the temporary goes with `file` unless committed
    ImgReplaceFile file;
    file.Open(fileName);
    created = true;
    CancelSink sink(file, cancel);
    writer->m_comment = comment;
    writer->Encode(picture, sink);
    if (stopped()) return kImgSaveCancelled;
    file.Commit();
  } catch (const EGraphicsException&) {
    return stopped() ? kImgSaveCancelled : created ? -1 : -4;
  } catch (const std::exception&) {
    return stopped() ? kImgSaveCancelled : created ? -1 : -4;
  }
  return 0;
}

ImgReplaceFile::ImgReplaceFile()
    : m_used(0),
      m_flushed(0),
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
  m_flushed = 0;
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
  m_flushed += m_used;
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

bool ImgReplaceFile::Patch(uint64_t offset, const void* data, size_t size) {
  if (m_failed) return false;
  uint64_t end = m_flushed + m_used;
  if (offset > end || size > end - offset) return false;
  if (offset >= m_flushed) {  // still in the buffer
    if (size) std::memcpy(m_buffer.data() + (offset - m_flushed), data, size);
    return true;
  }
  if (!Flush()) {
    m_failed = true;
    return false;
  }
  const uint8_t* p = static_cast<const uint8_t*>(data);
#ifdef _WIN32
  LARGE_INTEGER at, zero;
  at.QuadPart = static_cast<LONGLONG>(offset);
  zero.QuadPart = 0;
  bool ok = SetFilePointerEx(m_handle, at, nullptr, FILE_BEGIN) != 0;
  while (ok && size > 0) {
    DWORD done = 0;
    ok = WriteFile(m_handle, p, static_cast<DWORD>(size), &done, nullptr) && done > 0;
    p += done;
    size -= done;
  }
  ok = SetFilePointerEx(m_handle, zero, nullptr, FILE_END) && ok;
#else
  bool ok = true;
  while (ok && size > 0) {
    ssize_t n = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) {
      p += n;
      size -= static_cast<size_t>(n);
      offset += static_cast<uint64_t>(n);
    }
  }
#endif
  if (!ok) m_failed = true;
  return ok;
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
