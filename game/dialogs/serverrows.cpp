#include "game/dialogs/serverrows.h"

#include <stdio.h>
#include <stdlib.h>

#include "game/dialogs/coordpair.h"
#include "map/geo.h"

const char* const kSrvIfaceNames[4] = {"OSM", "ESRI", "YANDEX", nullptr};

namespace {

const char* const kBaseTextNames[SRV_BASE_TEXTS] = {"Name",   "Server", "Path",   "ZoomMin", "ZoomMax",
                                                    "AreaXA", "AreaYA", "AreaXB", "AreaYB"};
const char* const kLayerTextNames[SRV_LAYER_TEXTS] = {"Name", "Server", "Path", "AlphaOff", "AlphaMul", "Info"};

std::string Indexed(const char* field, int index) {
  char name[32];
  snprintf(name, sizeof name, "%s%02i", field, index);
  return name;
}

std::string FormatArea(double value, int notation, int axis) {
  if (value == 0) return std::string();
  char buf[GEO_COORD_TEXT_SIZE];
  GeoFormatCoordA(value, notation + (axis == 2 ? 1 : 0), buf, sizeof buf, nullptr);
  return buf;
}

void Add(std::vector<SrvRegOp>* ops, SrvRegOp::Kind kind, const std::string& name, const std::string& text,
         uint32_t value) {
  SrvRegOp op;
  op.kind = kind;
  op.name = name;
  op.text = text;
  op.value = value;
  ops->push_back(op);
}

}  // namespace

const char* SrvTextField(bool layer, int column) {
  return layer ? kLayerTextNames[column] : kBaseTextNames[column];
}

int SrvAreaAxis(bool layer, int column) {
  if (layer || column < SRV_COL_XA || column > SRV_COL_YB) return 0;
  return column == SRV_COL_XA || column == SRV_COL_XB ? 1 : 2;
}

std::string SrvIfaceText(uint32_t iface) {
  if (iface < 3) return kSrvIfaceNames[iface];
  char buf[16];
  snprintf(buf, sizeof buf, "%u", (unsigned)iface);
  return buf;
}

uint32_t SrvIfaceNumber(const std::string& text) {
  for (uint32_t i = 0; kSrvIfaceNames[i]; i++)
    if (text == kSrvIfaceNames[i]) return i;
  if (text.empty() || text.size() > 10) return 0;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (uint64_t)(c - '0');
  }
  return v > 0xFFFFFFFFu ? 0 : (uint32_t)v;
}

std::string SrvAreaText(const std::string& text, int notation, int axis) {
  int used = 0;
  double v = GeoParseCoordA(text.c_str(), &used);
  return used > 0 ? FormatArea(v, notation, axis) : std::string();
}

SrvRow SrvRowFromValues(bool layer, const SrvValues& v, int notation) {
  SrvRow row;
  for (int c = 0; c < SrvTextColumns(layer); c++) {
    int axis = SrvAreaAxis(layer, c);
    row.cells[c] = axis ? SrvAreaText(v.text[c], notation, axis) : v.text[c];
  }
  row.fixed = v.fixed != 0;
  row.cells[SrvIfaceColumn(layer)] = SrvIfaceText(v.iface);
  row.checked = layer && v.select != 0;
  return row;
}

SrvCellEdit SrvFinishCellEdit(bool layer, int column, const std::string& typed, int notation) {
  SrvCellEdit e;
  e.text = typed;
  int axis = SrvAreaAxis(layer, column);
  if (!axis) return e;
  if (axis == 2) {
    CoordPair p = CoordPairSplit(typed.c_str());
    if (p.count == 2 && p.second != 0) {
      e.left = true;
      e.leftText = FormatArea(p.second, notation, 1);
      e.text = typed.substr(0, (size_t)p.firstEnd);
    }
  }
  e.text = SrvAreaText(e.text, notation, axis);
  return e;
}

void SrvPlanRowWrite(bool layer, int index, const SrvRow& row, const SrvValues& stored, int notation,
                     std::vector<SrvRegOp>* ops) {
  SrvRow shown = SrvRowFromValues(layer, stored, notation);
  for (int c = 0; c < SrvTextColumns(layer); c++)
    if (row.cells[c] != shown.cells[c] || (c == SRV_COL_NAME && !stored.exists))
      Add(ops, SrvRegOp::kText, Indexed(SrvTextField(layer, c), index), row.cells[c], 0);
  if (row.fixed != (stored.fixed != 0)) Add(ops, SrvRegOp::kDword, Indexed("Fixed", index), "", row.fixed ? 1 : 0);
  uint32_t iface = SrvIfaceNumber(row.cells[SrvIfaceColumn(layer)]);
  if (iface != stored.iface) Add(ops, SrvRegOp::kDword, Indexed("Interface", index), "", iface);
  if (layer && row.checked != (stored.select != 0))
    Add(ops, SrvRegOp::kDword, Indexed("Select", index), "", row.checked ? 1 : 0);
}

void SrvPlanDeletes(bool layer, int from, int to, std::vector<SrvRegOp>* ops) {
  for (int i = from < 0 ? 0 : from; i < to && i < SRV_MAX_ROWS; i++) {
    for (int c = 0; c < SrvTextColumns(layer); c++) Add(ops, SrvRegOp::kDelete, Indexed(SrvTextField(layer, c), i), "", 0);
    if (layer) Add(ops, SrvRegOp::kDelete, Indexed("Select", i), "", 0);
    Add(ops, SrvRegOp::kDelete, Indexed("Interface", i), "", 0);
  }
}

int SrvSelectedRow(const std::vector<SrvRow>& rows) {
  int selected = 0;
  for (size_t i = 0; i < rows.size(); i++)
    if (rows[i].checked) selected = (int)i;
  return selected;
}

CsvRow SrvRowToCsv(bool layer, const SrvRow& row) {
  CsvRow csv;
  csv.layer = layer;
  for (int c = 0; c < SrvTextColumns(layer); c++) {
    int axis = SrvAreaAxis(layer, c);
    csv.cells[c] = axis ? SrvAreaText(row.cells[c], 0, axis) : row.cells[c];
  }
  csv.cells[SrvFixColumn(layer)] = row.fixed ? "1" : "0";
  csv.cells[SrvIfaceColumn(layer)] = row.cells[SrvIfaceColumn(layer)];
  return csv;
}

SrvRow SrvRowFromCsv(const CsvRow& csv, int notation) {
  SrvRow row;
  bool layer = csv.layer;
  for (int c = 0; c < SrvTextColumns(layer); c++) {
    int axis = SrvAreaAxis(layer, c);
    row.cells[c] = axis ? SrvAreaText(csv.cells[c], notation, axis) : csv.cells[c];
  }
  row.fixed = strtol(csv.cells[SrvFixColumn(layer)].c_str(), nullptr, 10) != 0;
  row.cells[SrvIfaceColumn(layer)] = csv.cells[SrvIfaceColumn(layer)];
  return row;
}
