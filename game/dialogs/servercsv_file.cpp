#include <string.h>

#include "files/fileio.h"
#include "game/dialogs/servercsv.h"

int CsvWriteFile(const char* path, const std::string& text) {
  char folder[1024];
  const char* slash = nullptr;
  for (const char* p = path; *p; p++)
    if (*p == '/' || *p == '\\') slash = p;
  size_t n = slash ? (size_t)(slash - path) : 0;
  if (n + 1 >= sizeof folder) return 0;
  if (slash) {
    memcpy(folder, path, n ? n : 1);  // "/name": the root itself
    folder[n ? n : 1] = 0;
  } else {
    strcpy(folder, ".");
  }
  char temp[1200];
  FioHandle h = FioCreateTemp(temp, sizeof temp, folder, "csv");
  if (h == FIO_INVALID) return 0;
  bool ok = text.empty() || FioWrite(h, text.data(), text.size()) == (ptrdiff_t)text.size();
  ok = FioClose(h) && ok;
  if (ok && FioReplace(temp, path)) return 1;
  FioDelete(temp);
  return 0;
}
