// Drives the CSV module for the Python test: rows in and out as lines of
// hex-coded cells ("B" or "L", then cells joined by blanks).
//   servercsv_tool export ROWS OUT   rows file -> CSV (separator by OUT's extension)
//   servercsv_tool import IN         CSV -> rows on stdout, then "refused N"
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/dialogs/servercsv.h"

static std::string ReadAll(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

static std::string Unhex(const std::string& h) {
  std::string s;
  for (size_t i = 0; i + 1 < h.size(); i += 2) s.push_back((char)std::stoi(h.substr(i, 2), nullptr, 16));
  return s;
}

static std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h.push_back(d[c >> 4]);
    h.push_back(d[c & 15]);
  }
  return h.empty() ? "-" : h;
}

int main(int argc, char** argv) {
  if (argc == 4 && !strcmp(argv[1], "export")) {
    std::vector<CsvRow> rows;
    std::istringstream in(ReadAll(argv[2]));
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream ls(line);
      std::string kind, cell;
      ls >> kind;
      CsvRow r;
      r.layer = kind == "L";
      for (int c = 0; c < CSV_BASE_COLUMNS && ls >> cell; c++) r.cells[c] = cell == "-" ? "" : Unhex(cell);
      rows.push_back(r);
    }
    std::string text = CsvExportText(rows, CsvSeparatorFor(argv[3]));
    return CsvWriteFile(argv[3], text) ? 0 : 2;
  }
  if (argc == 3 && !strcmp(argv[1], "import")) {
    CsvImport imp;
    CsvImportText(ReadAll(argv[2]), CsvSeparatorFor(argv[2]), CSV_MAX_ROWS, CSV_MAX_ROWS, &imp);
    for (int pass = 0; pass < 2; pass++)
      for (const CsvRow& r : pass ? imp.layers : imp.base) {
        printf("%s", r.layer ? "L" : "B");
        for (int c = 0; c < (r.layer ? CSV_LAYER_COLUMNS : CSV_BASE_COLUMNS); c++)
          printf(" %s", Hex(r.cells[c]).c_str());
        printf("\n");
      }
    printf("refused %d\n", imp.refused);
    return 0;
  }
  fprintf(stderr, "usage: servercsv_tool export ROWS OUT | import IN\n");
  return 1;
}
