#include "toolkit/progressdlg.h"

#include <commctrl.h>

#include "toolkit/dlgtemplate.h"

namespace {
const UINT kDoneMessage = WM_APP + 0x310;
const UINT_PTR kRefreshTimer = 1;
const int kFirstLine = 1001, kBar = 1005;
const int kSteps = 1000;  // resolution of the bar
}  // namespace

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_MESSAGE(kDoneMessage, OnWorkerDone)
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg(CWnd* parent)
    : m_proc(nullptr), m_timerProc(nullptr), m_timerInterval(0), m_timerArg(nullptr), m_lastTimerCall(0),
      m_thread(nullptr), m_cancel(0), m_done(0), m_result(0), m_total(0), m_pos(0), m_shownStep(-1), m_step(0),
      m_state(0), m_shownState(0) {
  m_pParentWnd = parent;
  for (uintptr_t& a : m_args) a = 0;
  for (bool& c : m_lineChanged) c = false;
  InitializeCriticalSection(&m_lock);
}

CProgressDlg::~CProgressDlg() {
  m_cancel = 1;
  WaitWorker();
  DeleteCriticalSection(&m_lock);
}

void CProgressDlg::WaitWorker() {
  if (!m_thread) return;
  while (WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT) Sleep(50);
  CloseHandle(m_thread);
  m_thread = nullptr;
}

void CProgressDlg::SetWorker(ProgressWorkerProc proc, uintptr_t a0, uintptr_t a1, uintptr_t a2, uintptr_t a3,
                             uintptr_t a4) {
  m_proc = proc;
  m_args[0] = a0, m_args[1] = a1, m_args[2] = a2, m_args[3] = a3, m_args[4] = a4;
}

void CProgressDlg::SetTimerCallback(ProgressTimerProc proc, UINT intervalMs, void* argument) {
  m_timerProc = proc;
  m_timerInterval = intervalMs;
  m_timerArg = argument;
}

void CProgressDlg::SetTitle(const char* text) {
  m_title = text;
  if (m_hWnd) SetWindowText(text);
}

void CProgressDlg::SetLineText(int line, const char* text) {
  if (line < 0 || line > 3) return;
  EnterCriticalSection(&m_lock);
  m_lines[line] = text;
  m_lineChanged[line] = true;
  LeaveCriticalSection(&m_lock);
}

void CProgressDlg::SetRange(uint64_t total, int) {
  EnterCriticalSection(&m_lock);
  m_total = total;
  LeaveCriticalSection(&m_lock);
  SetPos(m_pos);
}

void CProgressDlg::SetPos(uint64_t pos) {
  EnterCriticalSection(&m_lock);
  m_pos = pos;
  uint64_t t = m_total ? m_total : 1;
  if (pos > t) pos = t;
  // in two steps: pos * 1000 could overflow for huge totals
  m_step = t > (UINT64_MAX / kSteps) ? (int)(pos / (t / kSteps)) : (int)(pos * kSteps / t);
  if (m_step > kSteps) m_step = kSteps;
  LeaveCriticalSection(&m_lock);
}

void CProgressDlg::SetState(int state) {
  EnterCriticalSection(&m_lock);
  m_state = state;
  LeaveCriticalSection(&m_lock);
}

INT_PTR CProgressDlg::DoModal() {
  if (!m_proc) return -1;
  CDlgTemplate t(m_title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 240, 100);
  for (int i = 0; i < 4; i++)
    t.AddItem((WORD)(kFirstLine + i), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 8, 6 + i * 11, 224, 9, 0x0082, "");
  t.AddItem(kBar, WS_BORDER, 8, 52, 224, 10, 0, "", PROGRESS_CLASSA);
  t.AddItem(IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 95, 74, 50, 14, 0x0080, "Abbrechen");
  // a worker of an earlier, cancelled run must end before the flag that
  // stops it is cleared, or it would run on unwaited
  m_cancel = 1;
  WaitWorker();
  m_cancel = 0;
  m_done = 0;
  InitModalIndirect(t.Get(), m_pParentWnd);
  INT_PTR r = CDialog::DoModal();
  m_lpDialogTemplate = nullptr;  // the template dies with this call
  if (!m_thread && r != -1) r = -1;
  return r;
}

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SendDlgItemMessage(kBar, PBM_SETRANGE32, 0, kSteps);
  Refresh();
  m_thread = CreateThread(nullptr, 0x20000, ThreadProc, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!m_thread) {
    EndDialog(-1);
    return TRUE;
  }
  SetTimer(kRefreshTimer, 50);
  m_lastTimerCall = GetTickCount();
  return TRUE;
}

DWORD WINAPI CProgressDlg::ThreadProc(void* self) {
  CProgressDlg* d = (CProgressDlg*)self;
  InterlockedExchange(&d->m_result, d->m_proc(d));
  InterlockedExchange(&d->m_done, 1);
  HWND wnd = d->m_hWnd;
  if (wnd) ::PostMessageA(wnd, kDoneMessage, 0, 0);
  return 0;
}

void CProgressDlg::Refresh() {
  EnterCriticalSection(&m_lock);
  for (int i = 0; i < 4; i++)
    if (m_lineChanged[i]) {
      SetDlgItemText(kFirstLine + i, m_lines[i]);
      m_lineChanged[i] = false;
    }
  int step = m_step, state = m_state;
  LeaveCriticalSection(&m_lock);
  if (step != m_shownStep) {  // redraw only when the bar moves
    SendDlgItemMessage(kBar, PBM_SETPOS, step);
    m_shownStep = step;
  }
  if (state != m_shownState) {
    SendDlgItemMessage(kBar, PBM_SETSTATE, state == 1 ? PBST_ERROR : state == 2 ? PBST_PAUSED : PBST_NORMAL);
    m_shownState = state;
  }
}

void CProgressDlg::OnTimer(UINT_PTR id) {
  if (id != kRefreshTimer) return;
  Refresh();
  if (m_timerProc && !m_cancel && GetTickCount() - m_lastTimerCall >= m_timerInterval) {
    m_lastTimerCall = GetTickCount();
    if (m_timerProc(this, m_timerArg)) OnCancel();
  }
  if (m_done) EndDialog(IDOK);
}

void CProgressDlg::OnCancel() {
  InterlockedExchange(&m_cancel, 1);
  EndDialog(IDCANCEL);
}

LRESULT CProgressDlg::OnWorkerDone(WPARAM, LPARAM) {
  Refresh();
  if (!m_cancel) EndDialog(IDOK);
  return 0;
}

void CProgressDlg::OnDestroy() {
  KillTimer(kRefreshTimer);
  CDialog::OnDestroy();
}
