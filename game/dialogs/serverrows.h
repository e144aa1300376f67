#ifndef ORV_GAME_DIALOGS_SERVERROWS_H
#define ORV_GAME_DIALOGS_SERVERROWS_H
// The rows of the server-settings lists as the user sees them (text in the
// dialog's coordinate notation, interface by name, the two check boxes), how
// a stored entry becomes a row, and which registry writes and deletions put
// an edited row back. Window-free; the registry side is in serverrows_reg.cpp.

#include <stdint.h>

#include <string>
#include <vector>

#include "game/dialogs/servercsv.h"

class CRegistryKey;

enum {
  SRV_BASE_TEXTS = 9,   // Name, Server, Pfad, Min/Max Zoom, four area corners
  SRV_LAYER_TEXTS = 6,  // Name, Server, Pfad, Alpha Offset/Scale, Information
  SRV_COL_NAME = 0,
  SRV_COL_SERVER = 1,
  SRV_COL_PATH = 2,
  SRV_COL_XA = 5,  // base maps: X1 Y1 X2 Y2
  SRV_COL_YA = 6,
  SRV_COL_XB = 7,
  SRV_COL_YB = 8,
  SRV_MAX_ROWS = CSV_MAX_ROWS  // value names have two digits
};

inline int SrvTextColumns(bool layer) { return layer ? SRV_LAYER_TEXTS : SRV_BASE_TEXTS; }
inline int SrvFixColumn(bool layer) { return SrvTextColumns(layer); }
inline int SrvIfaceColumn(bool layer) { return SrvTextColumns(layer) + 1; }
inline int SrvColumns(bool layer) { return SrvTextColumns(layer) + 2; }
// The value name (without index) of a text column: "Name", "Server", ...
const char* SrvTextField(bool layer, int column);
// Area columns of the base-map list; 0 not one, 1 a longitude, 2 a latitude.
int SrvAreaAxis(bool layer, int column);

// One row of either list.
struct SrvRow {
  std::string cells[SRV_BASE_TEXTS + 2];  // the Fix cell's text is unused
  bool checked = false;  // the Name box: selected base map, shown layer
  bool fixed = false;    // the Fix box
};

// One entry as the registry holds it.
struct SrvValues {
  bool exists = false;  // the Name value is there
  std::string text[SRV_BASE_TEXTS];
  uint32_t fixed = 0, iface = 0, select = 0;
};

// "OSM", "ESRI", "YANDEX"; other numbers (newer schemes) as their number.
std::string SrvIfaceText(uint32_t iface);
// The name's number, a decimal number as it is, anything else 0.
uint32_t SrvIfaceNumber(const std::string& text);
extern const char* const kSrvIfaceNames[4];  // the three names, then null

// A coordinate in the notation (0, 6 or 10) for an area column; 0 and
// text that holds no number give an empty cell.
std::string SrvAreaText(const std::string& text, int notation, int axis);

SrvRow SrvRowFromValues(bool layer, const SrvValues& v, int notation);

// A finished in-place edit: a pair typed into a latitude cell (the second
// number not 0) puts the longitude into the cell to the left; area cells
// are re-formatted.
struct SrvCellEdit {
  std::string text;
  bool left = false;
  std::string leftText;
};
SrvCellEdit SrvFinishCellEdit(bool layer, int column, const std::string& typed, int notation);

// A registry change below "Server" or "Layer".
struct SrvRegOp {
  enum Kind { kText, kDword, kDelete } kind;
  std::string name;
  std::string text;
  uint32_t value;
};

// The writes that make entry index hold row: only values that differ from
// stored. A missing name is written even when empty: the table ends at the
// first missing name.
void SrvPlanRowWrite(bool layer, int index, const SrvRow& row, const SrvValues& stored, int notation,
                     std::vector<SrvRegOp>* ops);
// Deletes the values of the entries from..to-1 ("Fixed%02i" stays).
void SrvPlanDeletes(bool layer, int from, int to, std::vector<SrvRegOp>* ops);
// The last row whose Name box is checked, 0 when there is none.
int SrvSelectedRow(const std::vector<SrvRow>& rows);

// Exchange with the CSV module (areas in decimal degrees, "Fix" 1/0).
CsvRow SrvRowToCsv(bool layer, const SrvRow& row);
SrvRow SrvRowFromCsv(const CsvRow& csv, int notation);

// Registry side (Windows): table is opened at "Server" or "Layer".
int SrvReadValues(CRegistryKey& table, bool layer, int index, SrvValues* v);
// Applies ops; the number that changed the registry.
int SrvApplyOps(CRegistryKey& table, const std::vector<SrvRegOp>& ops);

#endif
