// A folder for a benchmark's files beside the program, kept between runs.
#pragma once

#include <string>

#include "files/fileio.h"
#include "files/fileops.h"

namespace orvbench {

// "<program folder>/<name>/" (the platform's separator), made when missing;
// empty when the program's path cannot be had.
inline std::string WorkFolder(const char* argv0, const char* name) {
  char full[600];
  if (FioFullPath(full, sizeof full, argv0) < 0) return std::string();
  std::string work = full;
  size_t cut = work.find_last_of("\\/");
  work = work.substr(0, cut == std::string::npos ? 0 : cut + 1) + name;
  DirCreateA(work.c_str());
  return work + (work.find('\\') != std::string::npos ? "\\" : "/");
}

}  // namespace orvbench
