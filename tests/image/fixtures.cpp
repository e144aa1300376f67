#include "tests/image/fixtures.h"

#include <fstream>
#include <sstream>

#include "tests/support/testenv.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace imgtest {

#ifdef _WIN32
static const char kSep = '\\';
#else
static const char kSep = '/';
#endif

std::string FixtureDir() { return orvtest::BinaryDir() + kSep + "image-fixtures"; }

std::string FixturePath(const std::string& name) {
  std::string p = FixtureDir() + kSep;
  for (char c : name) p += c == '/' ? kSep : c;
  return p;
}

std::vector<std::string> FixtureList() {
  std::vector<std::string> names;
  std::ifstream in(FixturePath("list.txt"));
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) names.push_back(line);
  return names;
}

std::vector<unsigned char> ReadFixture(const std::string& name) {
  std::vector<unsigned char> data;
  orvtest::ReadFile(FixturePath(name), data);
  return data;
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
#else
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
#endif
  return names;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return stat(path.c_str(), &st) == 0;
#endif
}

}  // namespace imgtest
