#include "game/dialogs/servercsv.h"

#include <string.h>

#include "text/utf.h"

char CsvSeparatorFor(const char* path) {
  const char* dot = path ? strrchr(path, '.') : nullptr;
  if (dot && (!strchr(dot, '\\') && !strchr(dot, '/')) && strlen(dot) == 4 &&
      (dot[1] | 0x20) == 't' && (dot[2] | 0x20) == 'x' && (dot[3] | 0x20) == 't')
    return '\t';
  return ';';
}

static void AppendField(std::string* line, const std::string& cell, char sep) {
  size_t n = cell.size() < (size_t)CSV_FIELD_MAX ? cell.size() : (size_t)CSV_FIELD_MAX;
  for (size_t i = 0; i < n; i++) {
    char c = cell[i];
    if (c == '"') c = '\'';
    else if (c == ';') c = ',';
    else if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    line->push_back(c);
  }
  line->push_back(sep);
}

std::string CsvExportLine(const CsvRow& row, char sep) {
  std::string line;
  int cols = row.layer ? CSV_LAYER_COLUMNS : CSV_BASE_COLUMNS;
  for (int c = 0; c < cols; c++) {
    if (c == 0 && row.layer) AppendField(&line, "*" + row.cells[0], sep);
    else AppendField(&line, row.cells[c], sep);
  }
  line.push_back('\n');
  return line;
}

std::string CsvExportText(const std::vector<CsvRow>& rows, char sep) {
  std::string text;
  for (const CsvRow& r : rows)
    if (!r.layer) text += CsvExportLine(r, sep);
  for (const CsvRow& r : rows)
    if (r.layer) text += CsvExportLine(r, sep);
  return text;
}

// Windows-1252 code of a code point, '?' when it has none.
static char To1252(uint32_t cp) {
  static const unsigned short k80[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
      0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return (char)cp;
  for (int i = 0; i < 32; i++)
    if (k80[i] && k80[i] == cp) return (char)(0x80 + i);
  return '?';
}

static std::string Utf8To1252(const std::string& s) {
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = 0;
    int n = UtfDecodeCharA(s.c_str() + i, &cp, (int)(s.size() - i));
    if (n <= 0) {  // not UTF-8 after all: keep the byte
      out.push_back(s[i]);
      i++;
      continue;
    }
    out.push_back(To1252(cp));
    i += n;
  }
  return out;
}

// Reads one field from line[*pos]; returns whether a separator ended it.
static bool ReadField(const std::string& line, size_t* pos, char sep, std::string* field) {
  size_t i = *pos;
  field->clear();
  if (i < line.size() && line[i] == '"') {
    i++;
    while (i < line.size()) {
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          field->push_back('"');
          i += 2;
          continue;
        }
        i++;
        break;
      }
      field->push_back(line[i++]);
    }
  }
  while (i < line.size() && line[i] != sep) field->push_back(line[i++]);
  if (field->size() > (size_t)CSV_FIELD_MAX) field->resize(CSV_FIELD_MAX);
  bool more = i < line.size();
  *pos = more ? i + 1 : i;
  return more;
}

static void ImportLine(const std::string& line, char sep, int baseRoom, int layerRoom,
                       CsvImport* out) {
  CsvRow row;
  size_t pos = 0;
  std::string field;
  bool more = ReadField(line, &pos, sep, &field);
  row.layer = !field.empty() && field[0] == '*';
  if (row.layer) field.erase(0, 1);
  row.cells[0] = field;
  int cols = row.layer ? CSV_LAYER_COLUMNS : CSV_BASE_COLUMNS;
  for (int c = 1; c < cols && more; c++) {
    more = ReadField(line, &pos, sep, &field);
    row.cells[c] = field;
  }
  std::vector<CsvRow>* list = row.layer ? &out->layers : &out->base;
  int room = row.layer ? layerRoom : baseRoom;
  if ((int)list->size() >= room) out->refused++;
  else list->push_back(row);
}

void CsvImportText(const std::string& input, char sep, int baseRoom, int layerRoom, CsvImport* out) {
  out->base.clear();
  out->layers.clear();
  out->refused = 0;
  std::string text = input;
  if (text.size() >= 3 && (unsigned char)text[0] == 0xEF && (unsigned char)text[1] == 0xBB &&
      (unsigned char)text[2] == 0xBF)
    text = Utf8To1252(text.substr(3));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    size_t cr = line.find('\r');
    if (cr != std::string::npos) line.resize(cr);
    if (line.size() > (size_t)CSV_LINE_MAX) line.resize(CSV_LINE_MAX);
    ImportLine(line, sep, baseRoom, layerRoom, out);
    start = next;
  }
}
