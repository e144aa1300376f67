// Helpers shared by the ZIP library's unit tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/zipfile.h"
#include "tests/support/testenv.h"

namespace ziptest {

class TestZip : public CZipFile {
 public:
  using CArchiveFile::Chan2Read;
  using CArchiveFile::Chan2Seek;
  using CArchiveFile::Chan2Position;
  using CArchiveFile::Chan2Size;
  using CArchiveFile::Chan2Write;
  using CArchiveFile::ChangeMode2;
  using CArchiveFile::ChanPosition;
  using CArchiveFile::ChanRead;
  using CArchiveFile::ChanSeek;
  using CArchiveFile::ChanSize;
  using CArchiveFile::ChanWrite;
  using CArchiveFile::CreateOutputChannel;
  using CArchiveFile::MoveToSecondChannel;
  using CArchiveFile::TruncateChannel;
  void ForceError(ZipErrorCode code, const char* entry) {
    m_error = code;
    SetCurrentEntryName(entry);
  }
};

// Notifications as a callback receives them; answers non-zero to one code.
struct Calls {
  std::vector<int> codes;
  std::vector<bool> nullText;
  std::vector<std::string> texts;
  int answerCode = -1;
};
inline Calls* g_calls;
inline uint32_t Record(uint32_t, int32_t code, int32_t, CArchiveFile*, const char* text) {
  g_calls->codes.push_back(code);
  g_calls->nullText.push_back(text == nullptr);
  g_calls->texts.push_back(text ? text : "");
  return code == g_calls->answerCode ? 1 : 0;
}

inline std::vector<unsigned char> Bytes(const std::string& path) {
  std::vector<unsigned char> out;
  orvtest::ReadFile(path, out);
  return out;
}

inline ZipErrorCode AddText(CZipFile& z, const char* name, const std::string& text) {
  return z.AddFromMemory(name, text.data(), (uint32_t)text.size(), nullptr);
}

inline std::string ExtractText(CZipFile& z, const char* name) {
  int32_t i = z.FindEntry(name);
  if (i < 0) return "<missing>";
  std::vector<char> buf((size_t)z.GetEntrySize(i, 0) + 1);
  if (z.ExtractToMemory(i, buf.data(), (uint32_t)buf.size(), nullptr)) return "<error>";
  return std::string(buf.data(), (size_t)z.GetEntrySize(i, 0));
}

// An archive of two entries in a fresh folder.
inline std::string MakeArchive(const std::string& dir) {
  std::string path = orvtest::JoinPath(dir, "base.zip");
  CZipFile z;
  EXPECT_EQ(0, z.Open(path.c_str(), 3));
  EXPECT_EQ(0, AddText(z, "first.txt", std::string(3000, 'a')));
  EXPECT_EQ(0, AddText(z, "second.txt", "second entry"));
  EXPECT_EQ(0, z.Close());
  return path;
}

}  // namespace ziptest
