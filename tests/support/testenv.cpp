#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvtest {

static std::string HostPath(const char* p) {
  std::string s(p);
#ifdef _WIN32
  if (!s.empty() && s[0] == '/') s = "Z:" + s;
  for (char& c : s)
    if (c == '/') c = '\\';
#endif
  return s;
}

std::string SourceDir() { return HostPath(ORV_SOURCE_DIR_VALUE); }
std::string BinaryDir() { return HostPath(ORV_BINARY_DIR_VALUE); }

std::string SourcePath(const std::string& rel) {
  std::string r = SourceDir();
#ifdef _WIN32
  r += '\\';
  for (char c : rel) r += (c == '/') ? '\\' : c;
#else
  r += '/';
  r += rel;
#endif
  return r;
}

std::string MakeTempDir(const std::string& tag) {
  const ::testing::TestInfo* ti = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = tag;
  if (ti) name += std::string("_") + ti->test_suite_name() + "_" + ti->name();
  for (char& c : name)
    if (!isalnum((unsigned char)c) && c != '_') c = '_';
#ifdef _WIN32
  std::string base = BinaryDir() + "\\testtmp";
  CreateDirectoryA(base.c_str(), nullptr);
  std::string dir = base + "\\" + name + "_" + std::to_string(GetCurrentProcessId());
  std::string cmd = "cmd /c rmdir /s /q \"" + dir + "\" 2>nul";
  // a leftover from an earlier run
  if (GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES) system(cmd.c_str());
  CreateDirectoryA(dir.c_str(), nullptr);
#else
  std::string base = BinaryDir() + "/testtmp";
  mkdir(base.c_str(), 0755);
  std::string dir = base + "/" + name + "_" + std::to_string(getpid());
  std::string cmd = "rm -rf '" + dir + "'";
  if (system(cmd.c_str()) != 0) {}
  mkdir(dir.c_str(), 0755);
#endif
  return dir;
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return true;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(data, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

}  // namespace orvtest
