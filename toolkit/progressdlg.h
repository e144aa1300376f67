// CProgressDlg: a modal dialog that runs a worker function on a thread of
// its own and shows its progress: four text lines, a bar and "Abbrechen".
#pragma once

#include <windows.h>
#include <stdint.h>

#include "text/cstring.h"
#include "framework/dialog.h"

class CProgressDlg;
// Runs on the dialog's thread; reads its five words with GetArg. Must poll
// IsCancelled and return soon after it turns true.
typedef int (*ProgressWorkerProc)(CProgressDlg* dlg);
// Called on the user-interface thread every interval; nonzero cancels.
typedef int (*ProgressTimerProc)(CProgressDlg* dlg, void* argument);

class CProgressDlg : public CDialog {
 public:
  explicit CProgressDlg(CWnd* parent = nullptr);
  // Waits, 50 ms at a time, until the worker has ended.
  ~CProgressDlg() override;

  void SetWorker(ProgressWorkerProc proc, uintptr_t a0 = 0, uintptr_t a1 = 0, uintptr_t a2 = 0,
                 uintptr_t a3 = 0, uintptr_t a4 = 0);
  uintptr_t GetArg(int i) const { return i >= 0 && i < 5 ? m_args[i] : 0; }
  void SetTimerCallback(ProgressTimerProc proc, UINT intervalMs, void* argument);
  void SetTitle(const char* text);

  // From any thread; the dialog shows the changes on its next refresh.
  void SetLineText(int line, const char* text);
  void SetRange(uint64_t total, int reserved = 0);
  void SetPos(uint64_t pos);
  // Bar state: 0 normal, 1 error, 2 paused.
  void SetState(int state);

  // IDOK when the worker ended, IDCANCEL when the user (or the timer
  // callback) cancelled; -1 when the dialog or thread could not be made.
  INT_PTR DoModal() override;
  bool IsCancelled() const { return m_cancel != 0; }
  int GetResult() const { return (int)m_result; }

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  void OnOK() override {}
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  LRESULT OnWorkerDone(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  static DWORD WINAPI ThreadProc(void* self);
  void Refresh();
  void WaitWorker();

  ProgressWorkerProc m_proc;
  uintptr_t m_args[5];
  ProgressTimerProc m_timerProc;
  UINT m_timerInterval;
  void* m_timerArg;
  DWORD m_lastTimerCall;
  CString m_title;
  HANDLE m_thread;
  volatile LONG m_cancel;
  volatile LONG m_done;
  volatile LONG m_result;  // written by the worker's thread

  CRITICAL_SECTION m_lock;  // guards what the worker hands over
  CString m_lines[4];
  bool m_lineChanged[4];
  uint64_t m_total, m_pos;
  int m_shownStep, m_step, m_state, m_shownState;
};
