#include <winsock2.h>  // the tile workers need it before windows.h

#include "game/app/orvalo_app.h"

#include <cstdlib>

#include "game/frame/mainframe.h"
#include "game/app/orvalo_doc.h"
#include "game/view/orvalo_view.h"
#include "map/tileworker.h"
#include "toolkit/ofnhook.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(COrvaloApp, CWinApp)
  ON_COMMAND(ID_HELP_KEYBOARD, OnHelpKeyboard)
  ON_COMMAND(ID_HELP_FILEFORMAT, OnHelpFileFormat)
  ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
  ON_COMMAND(ID_FILE_PRINT_SETUP, CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

COrvaloApp::COrvaloApp() = default;

BOOL COrvaloApp::InitInstance() {
  EnableControlContainer();
  // every file dialog of the program opens in the folder last used for its kind
  DlgInstallOfnHook(nullptr);

  SetRegistryKey("Vexa");
  LoadStdProfileSettings(4);

  // the view's map window starts its workers when it is created
  MapTilesInstall();

  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COrvaloDoc), RUNTIME_CLASS(CMainFrame),
                                        RUNTIME_CLASS(COrvaloView)));

  // the command line is walked below; the shell command is always a new document
  CCommandLineInfo cmdInfo;
  if (!ProcessShellCommand(cmdInfo)) return FALSE;

  m_pMainWnd->ShowWindow(SW_SHOW);
  m_pMainWnd->UpdateWindow();

  ProcessArguments();
  return TRUE;
}

void COrvaloApp::ProcessArguments() {
  for (int i = 1; i < __argc; ++i) {
    const char* arg = __argv[i];
    if (!arg) continue;
    if (arg[0] == '-' || arg[0] == '/') {
      if (arg[1] == 'z' || arg[1] == 'Z') m_pMainWnd->PostMessage(WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
      continue;
    }
    COrvaloView* view = GetFirstView();
    if (view) view->SetInfoPath(arg);
  }
}

COrvaloDoc* COrvaloApp::GetFirstDocument() {
  POSITION pos = GetFirstDocTemplatePosition();
  CDocTemplate* t = pos ? GetNextDocTemplate(pos) : nullptr;
  if (!t) return nullptr;
  POSITION dpos = t->GetFirstDocPosition();
  CDocument* d = dpos ? t->GetNextDoc(dpos) : nullptr;
  return DYNAMIC_DOWNCAST(COrvaloDoc, d);
}

COrvaloView* COrvaloApp::GetFirstView() {
  COrvaloDoc* doc = GetFirstDocument();
  if (!doc) return nullptr;
  POSITION pos = doc->GetFirstViewPosition();
  CView* v = pos ? doc->GetNextView(pos) : nullptr;
  return DYNAMIC_DOWNCAST(COrvaloView, v);
}

const char* COrvaloApp::GetRecentFile(int nIndex) const {
  if (nIndex < 0) nIndex = 0;
  if (!m_pRecentFileList || nIndex >= m_pRecentFileList->GetSize()) return nullptr;
  const CString& s = (*m_pRecentFileList)[nIndex];
  return s.IsEmpty() ? nullptr : s.GetString();
}

void COrvaloApp::OnHelpKeyboard() {
  CDialog dlg(IDD_KEYBOARD, m_pMainWnd);
  dlg.DoModal();
}

namespace {
// The file-format dialog shows the comments of a page as an example.
class CFileFormatDlg : public CDialog {
 public:
  explicit CFileFormatDlg(CWnd* pParent) : CDialog(IDD_FILEFORMAT, pParent) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    CString text;
    text.LoadString(IDS_FILEFORMAT_COMMENTS);
    SetDlgItemText(IDS_FILEFORMAT_COMMENTS, text);
    return TRUE;
  }
};
}  // namespace

void COrvaloApp::OnHelpFileFormat() {
  CFileFormatDlg dlg(m_pMainWnd);
  dlg.DoModal();
}
