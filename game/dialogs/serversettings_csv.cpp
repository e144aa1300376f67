// The server-settings dialog's CSV export and import through the file
// dialogs.
#include "files/fileio.h"
#include "framework/commondlg.h"
#include "game/dialogs/serversettingsdlg.h"

namespace {

const char kCsvFilter[] = "CSV-Dateien (*.csv)|*.csv|Textdateien (*.txt)|*.txt|Alle Dateien|*.*|";
// no overwrite prompt: the export asks itself
const DWORD kCsvFlags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
const size_t kImportMax = 16u << 20;  // far beyond 200 rows of long lines

// The file's bytes (up to kImportMax); false when it cannot be read.
bool ReadFileText(const char* path, std::string* text) {
  FioHandle h = FioOpen(path, FIO_READ | FIO_SHARE_READ);
  if (h == FIO_INVALID) return false;
  text->clear();
  char buf[65536];
  bool ok = true;
  while (text->size() < kImportMax) {
    ptrdiff_t n = FioRead(h, buf, sizeof buf);
    if (n < 0) ok = false;
    if (n <= 0) break;
    text->append(buf, (size_t)n);
  }
  FioClose(h);
  if (text->size() > kImportMax) text->resize(kImportMax);
  return ok;
}

}  // namespace

void CServerSettingsDlg::OnExport() {
  CFileDialog dlg(FALSE, "csv", nullptr, kCsvFlags, kCsvFilter, this);
  dlg.m_ofn.lpstrTitle = "Server-Liste exportieren";
  if (dlg.DoModal() != IDOK) return;
  CString path = dlg.GetPathName();
  if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES &&
      Message("Die Datei '%s' existiert bereits, soll sie überschrieben werden ?", path,
              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, "Frage") != IDYES)
    return;
  std::vector<CsvRow> rows;
  for (const SrvRow& r : m_base.Rows()) rows.push_back(SrvRowToCsv(false, r));
  for (const SrvRow& r : m_layers.Rows()) rows.push_back(SrvRowToCsv(true, r));
  std::string text = CsvExportText(rows, CsvSeparatorFor(path));
  // through a temporary: a failed export leaves the old file as it was
  if (!CsvWriteFile(path, text))
    Message("Die Datei '%s' konnte nicht erstellt werden ?", path, MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2, "Fehler");
}

void CServerSettingsDlg::OnImport() {
  CFileDialog dlg(TRUE, "csv", nullptr, kCsvFlags, kCsvFilter, this);
  dlg.m_ofn.lpstrTitle = "Server-Liste importieren";
  if (dlg.DoModal() != IDOK) return;
  CString path = dlg.GetPathName();
  std::string text;
  if (!ReadFileText(path, &text)) {
    Message("Die Datei '%s' konnte nicht geöffnet werden ?", path, MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2, "Fehler");
    return;
  }
  int answer = ::MessageBoxA(m_hWnd, "Alte Server-Liste löschen ?", "Frage", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return;
  if (answer == IDYES) {
    m_base.Clear();
    m_layers.Clear();
  }
  CsvImport imp;
  CsvImportText(text, CsvSeparatorFor(path), SRV_MAX_ROWS - m_base.Count(), SRV_MAX_ROWS - m_layers.Count(), &imp);
  for (const CsvRow& r : imp.base) m_base.Append(SrvRowFromCsv(r, m_notation));
  for (const CsvRow& r : imp.layers) m_layers.Append(SrvRowFromCsv(r, m_notation));
  UpdateButtons();
  if (imp.refused) {
    CString msg;
    msg.Format("%i Zeilen wurden nicht übernommen: eine Liste kann höchstens %i Einträge aufnehmen !", imp.refused,
               (int)SRV_MAX_ROWS);
    ::MessageBoxA(m_hWnd, msg, "Fehler", MB_OK | MB_ICONSTOP);
  }
}
