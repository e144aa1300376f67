// Shows a toolkit dialog for dialogs_gui_test.py, which works it with real
// X events, and writes what came of it to a file.
//
//   dialogs_gui.exe OUTFILE text      the text input dialog
//   dialogs_gui.exe OUTFILE progress  the progress dialog with a worker that
//                                     runs until it is cancelled
// While the dialog is up, OUTFILE.pos holds the screen rectangle of its
// "Abbrechen" or OK button.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "framework/winapp.h"
#include "toolkit/progressdlg.h"
#include "toolkit/textinputdlg.h"

namespace {

char g_out[MAX_PATH];
volatile LONG g_workerEnded = 0;

void WriteButtonRect(HWND dlg, int id) {
  RECT rc;
  HWND b = GetDlgItem(dlg, id);
  if (!b || !GetWindowRect(b, &rc)) return;
  char path[MAX_PATH + 8];
  snprintf(path, sizeof path, "%s.pos", g_out);
  FILE* f = fopen(path, "w");
  if (!f) return;
  fprintf(f, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
  fclose(f);
}

int RunUntilCancelled(CProgressDlg* d) {
  uint64_t i = 0;
  d->SetRange(1000);
  while (!d->IsCancelled()) {
    d->SetPos(i++ % 1000);
    d->SetLineText(0, "Kacheln werden geladen");
    Sleep(10);
  }
  Sleep(300);  // the dialog's owner must wait for this
  InterlockedExchange(&g_workerEnded, 1);
  return 7;
}

int ReportButton(CProgressDlg* d, void*) {
  WriteButtonRect(d->m_hWnd, IDCANCEL);
  return 0;
}

void CALLBACK ReportTextDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowA(nullptr, "Ort eingeben");
  if (!dlg) return;
  KillTimer(nullptr, id);
  WriteButtonRect(dlg, IDOK);
}

int RunDialog() {
  if (__argc < 3) return 2;
  snprintf(g_out, sizeof g_out, "%s", __argv[1]);
  FILE* f = nullptr;
  if (!strcmp(__argv[2], "text")) {
    CTextInputDlg dlg;
    dlg.SetTitle("Ort eingeben");
    dlg.SetPrompt("Name des Ortes:");
    dlg.SetText("Vorgabe");
    SetTimer(nullptr, 0, 100, ReportTextDialog);
    INT_PTR r = dlg.DoModal();
    char text[16];
    dlg.GetText(text, sizeof text);
    f = fopen(g_out, "w");
    if (!f) return 2;
    fprintf(f, "result %d\ntext %s\n", (int)r, text);
  } else if (!strcmp(__argv[2], "progress")) {
    INT_PTR r;
    int result;
    bool cancelled;
    {
      CProgressDlg dlg;
      dlg.SetTitle("Kartenausschnitt");
      dlg.SetWorker(RunUntilCancelled);
      dlg.SetTimerCallback(ReportButton, 100, nullptr);
      r = dlg.DoModal();
      cancelled = dlg.IsCancelled();
      result = dlg.GetResult();
    }
    f = fopen(g_out, "w");
    if (!f) return 2;
    fprintf(f, "result %d\ncancelled %d\nworker_ended %ld\nworker_result %d\n", (int)r, cancelled ? 1 : 0,
            (long)g_workerEnded, result);
  } else {
    return 2;
  }
  fclose(f);
  return 0;
}

class CDialogsApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    m_code = RunDialog();
    return FALSE;
  }
  int ExitInstance() override { return m_code; }

 private:
  int m_code = 1;
};

CDialogsApp theApp;

}  // namespace
