#include "game/app/orvalo_doc.h"

#include "game/app/orvalo_app.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(COrvaloDoc, CDocument)

BEGIN_MESSAGE_MAP(COrvaloDoc, CDocument)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
  ON_COMMAND(ID_FILE_TOGGLE_RECENT, OnFileToggleRecent)
END_MESSAGE_MAP()

COrvaloDoc::COrvaloDoc() = default;
COrvaloDoc::~COrvaloDoc() = default;

BOOL COrvaloDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return FALSE;
  if (!HasView()) return FALSE;
  SetPathName("Das Spiel", TRUE);
  return TRUE;
}

BOOL COrvaloDoc::OnOpenDocument(const char*) { return HasView(); }

BOOL COrvaloDoc::OnSaveDocument(const char*) { return FALSE; }

BOOL COrvaloDoc::DoFileSave() { return FALSE; }

void COrvaloDoc::Serialize(CArchive&) {}

void COrvaloDoc::OnFileSave() {}

void COrvaloDoc::OnFileSaveAs() {}

void COrvaloDoc::OnFileOpen() {
  static const char kFilter[] =
      "Trackdateien|*.gpx;*.kml;*.kmz;*.trk;*.tk;*.csv|GPX-Datei (*.gpx)|*.gpx|KML-Datei (*.kml)|*.kml;*.kmz|"
      "TRK-Datei (*.trk)|*.trk|TK-Datei (*.tk)|*.tk|CSV-Datei (*.csv)|*.csv|Alle Dateien  (*.*)|*.*|";
  // the default extension is "gpx": with "*.gpx" a typed name would get ".*.gpx"
  CFileDialog dlg(TRUE, "gpx", nullptr,
                  OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING, kFilter,
                  AfxGetMainWnd());
  dlg.m_ofn.lpstrTitle = "Track-Datei laden";
  // opening enters the path into the recent-file list; no track is read
  if (dlg.DoModal() == IDOK) theApp.OpenDocumentFile(dlg.GetPathName());
}

void COrvaloDoc::OnFileToggleRecent() {
  const char* first = theApp.GetRecentFile(0);
  if (first && m_strPathName.CompareNoCase(first) != 0) {
    AfxGetMainWnd()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1);
    return;
  }
  if (theApp.GetRecentFile(1)) AfxGetMainWnd()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
}
