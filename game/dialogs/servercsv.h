#ifndef ORV_GAME_DIALOGS_SERVERCSV_H
#define ORV_GAME_DIALOGS_SERVERCSV_H
// The tile-server tables as CSV (";") or tab-separated text (".txt"): rows
// to lines and lines to rows. Cells arrive and leave as Windows-1252 text in
// their exchange form (areas in decimal degrees, "Fix" as "1"/"0", the
// interface by name); the dialog converts to and from its notation.

#include <string>
#include <vector>

enum {
  CSV_BASE_COLUMNS = 11,  // Name .. Interface of a base map
  CSV_LAYER_COLUMNS = 8,  // Name .. Interface of a layer
  CSV_MAX_ROWS = 100,     // the tables are read for indices 00..99
  CSV_FIELD_MAX = 255,
  CSV_LINE_MAX = 4096     // longer lines are cut, never split
};

struct CsvRow {
  bool layer;
  std::string cells[CSV_BASE_COLUMNS];
};

// '\t' for a ".txt" file (any case), else ';'.
char CsvSeparatorFor(const char* path);

// One line: each cell cut to 255 characters, '"' -> '\'', ';' -> ',',
// tab, CR and LF -> blank, each followed by the separator, then LF. Layers
// carry "*" before the name.
std::string CsvExportLine(const CsvRow& row, char sep);
std::string CsvExportText(const std::vector<CsvRow>& rows, char sep);

struct CsvImport {
  std::vector<CsvRow> base;
  std::vector<CsvRow> layers;
  int refused;  // rows beyond the room given
};

// Lines to rows. A field starting with '"' runs to its closing quote ("" is
// one quote). A UTF-8 byte-order mark is skipped and the text then decoded
// to Windows-1252. `baseRoom`/`layerRoom`: how many rows each list takes.
void CsvImportText(const std::string& text, char sep, int baseRoom, int layerRoom, CsvImport* out);



// Writes text to path through a temporary beside it, renamed over the old
// file only when every write and the close succeeded. 1, or 0 with the old
// file untouched and no temporary left.
int CsvWriteFile(const char* path, const std::string& text);

#endif
