// Extraction of a 1,000-entry ZIP archive by the library against Info-ZIP
// unzip on the same archive, over existing files and into new folders (the
// Windows build reaches the host's unzip through Wine's "start /unix").
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "archive/zipfile.h"
#include "bench/benchlib.h"
#include "bench/benchwork.h"
#include "files/fileio.h"
#include "files/fileops.h"

namespace {

std::string g_work;     // folder beside the program, with a separator
std::string g_archive;

bool MakeArchive(const std::string& path) {
  CZipFile z;
  if (z.Open(path.c_str(), ZIP_OPEN_CREATE)) return false;
  orvbench::Random rnd;
  static const char* const words[] = {"track", "point", "lat", "lon", "ele", "time", "name", "\n"};
  for (int i = 0; i < 1000; i++) {
    std::string text;
    size_t length = 1000 + rnd.Next() % 8000;
    while (text.size() < length) {
      text += words[rnd.Next() % 8];
      text += ' ';
    }
    char name[64];
    snprintf(name, sizeof name, "d%02d/entry%04d.txt", i % 20, i);
    if (z.AddFromMemory(name, text.data(), (uint32_t)text.size(), nullptr)) return false;
  }
  return z.Close() == 0;
}

long g_fresh;  // numbers the new folders of the empty-folder runs

double ExtractInto(const std::string& folder) {
  CZipFile z;
  if (z.Open(g_archive.c_str(), ZIP_OPEN_READ)) return -1;
  int32_t failures = 0;
  z.ExtractAll(folder.c_str(), &failures);
  double sum = z.GetEntryCount() + failures;
  z.Close();
  return sum;
}

double Ours(long n) {
  double sum = 0;
  for (long i = 0; i < n; i++) sum += ExtractInto(g_work + "ours/");
  return sum;
}

double OursEmpty(long n) {
  double sum = 0;
  for (long i = 0; i < n; i++) sum += ExtractInto(g_work + "empty/ours" + std::to_string(++g_fresh) + "/");
  return sum;
}

std::string UnzipCommand(const std::string& into) {
#ifdef _WIN32
  // Wine maps Z: to the host's root
  if (g_work.size() < 2 || (g_work[0] != 'Z' && g_work[0] != 'z') || g_work[1] != ':') return "";
  std::string unix = g_work.substr(2);
  for (char& c : unix)
    if (c == '\\') c = '/';
  return "start /wait /unix /usr/bin/unzip -qqo " + unix + "zip_bench_1000.zip -d " + unix + into;
#else
  return "unzip -qqo '" + g_archive + "' -d '" + g_work + into + "'";
#endif
}

double Unzip(long n) {
  static const std::string cmd = UnzipCommand("ref");
  double sum = 0;
  for (long i = 0; i < n; i++) sum += system(cmd.c_str());
  return sum;
}

double UnzipEmpty(long n) {
  double sum = 0;
  for (long i = 0; i < n; i++) sum += system(UnzipCommand("empty/ref" + std::to_string(++g_fresh)).c_str());
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  orvbench::Init(argc, argv);
  g_work = orvbench::WorkFolder(argv[0], "zip_bench_work");
  if (g_work.empty()) return 1;
  g_archive = g_work + "zip_bench_1000.zip";
  if (!MakeArchive(g_archive)) {
    printf("BENCH zip.extract1000: cannot make the archive\n");
    return 1;
  }
  if (UnzipCommand("ref").empty() || system(UnzipCommand("ref").c_str()) != 0) {
    printf("BENCH zip.extract1000: skipped, no unzip here\n");
    return 0;
  }
  orvbench::Compare("zip.extract1000", "CZipFile::ExtractAll", Ours, "unzip", Unzip);
  // every run into a folder of its own that does not exist yet
  std::string empty = g_work + "empty";
  DirDeleteTreeA(empty.c_str(), 0);
  orvbench::Compare("zip.extract1000.empty", "CZipFile::ExtractAll", OursEmpty, "unzip", UnzipEmpty);
  DirDeleteTreeA(empty.c_str(), 0);
  return 0;
}
