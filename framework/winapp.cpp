#include "framework/winapp.h"

#include <commctrl.h>
#include <commdlg.h>
#include <process.h>

#include <cstdlib>
#include <cstring>

#include "framework/dialog.h"
#include "framework/docview.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "text/resinst.h"
#include "framework/stdids.h"
#include "files/regkey.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

const char* AfxGetAppRegistryPath() { return RegGetAppKeyPath(); }

const char* AfxGetAppName() { return g_pApp && g_pApp->m_pszAppName ? g_pApp->m_pszAppName : ""; }

// ---------------------------------------------------------------- threads

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::~CWinThread() {
  if (m_hThread) ::CloseHandle(m_hThread);
}

static unsigned __stdcall AfxThreadEntry(void* p) {
  CWinThread* t = static_cast<CWinThread*>(p);
  UINT r = t->m_pfnThreadProc(t->m_pThreadParams);
  if (t->m_bAutoDelete) delete t;
  return r;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags) {
  CWinThread* t = new CWinThread;
  t->m_pfnThreadProc = pfnThreadProc;
  t->m_pThreadParams = pParam;
  unsigned id = 0;
  // the size is the stack's reservation, not its first commit
  uintptr_t h = _beginthreadex(nullptr, nStackSize, AfxThreadEntry, t,
                               CREATE_SUSPENDED | (nStackSize ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0), &id);
  if (!h) {
    delete t;
    return nullptr;
  }
  t->m_hThread = reinterpret_cast<HANDLE>(h);
  t->m_nThreadID = id;
  ::SetThreadPriority(t->m_hThread, nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(t->m_hThread);
  return t;
}

// ------------------------------------------------------- recent-file list

CRecentFileList::CRecentFileList(UINT nStart, const char* lpszSection, const char* lpszEntryFormat, int nSize)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_arrNames(nSize > 0 ? (nSize > 16 ? 16 : nSize) : 1) {}

void CRecentFileList::Add(const char* lpszPathName) {
  if (!lpszPathName || !*lpszPathName) return;
  int n = GetSize();
  int i = 0;
  // an entry already there moves to the top
  for (; i < n - 1; ++i)
    if (m_arrNames[i].CompareNoCase(lpszPathName) == 0) break;
  for (; i > 0; --i) m_arrNames[i] = m_arrNames[i - 1];
  m_arrNames[0] = lpszPathName;
}

void CRecentFileList::Remove(int nIndex) {
  if (nIndex < 0 || nIndex >= GetSize()) return;
  for (int i = nIndex; i < GetSize() - 1; ++i) m_arrNames[i] = m_arrNames[i + 1];
  m_arrNames.back().Empty();
}

void CRecentFileList::ReadList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  int j = 0;
  for (int i = 0; i < GetSize(); ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    CString v = app->GetProfileString(m_strSectionName, entry);
    if (!v.IsEmpty()) m_arrNames[j++] = v;
  }
  for (; j < GetSize(); ++j) m_arrNames[j].Empty();
}

void CRecentFileList::WriteList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  HKEY key = app->GetSectionKey(m_strSectionName);
  if (!key) return;
  for (int i = 0; i < GetSize(); ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    if (m_arrNames[i].IsEmpty()) {
      ::RegDeleteValueA(key, entry);
    } else {
      ::RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_arrNames[i].GetString()),
                       m_arrNames[i].GetLength() + 1);
    }
  }
  ::RegCloseKey(key);
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
  CMenu* pMenu = pCmdUI->m_pMenu;
  if (!pMenu) return;
  if (GetSize() == 0 || m_arrNames[0].IsEmpty()) {
    pCmdUI->Enable(FALSE);
    return;
  }
  for (int i = 0; i < GetSize(); ++i) pMenu->DeleteMenu(pCmdUI->m_nID + i, MF_BYCOMMAND);
  char cwd[MAX_PATH];
  DWORD ncwd = ::GetCurrentDirectoryA(MAX_PATH, cwd);
  for (int i = 0; i < GetSize() && !m_arrNames[i].IsEmpty(); ++i) {
    CString shown = m_arrNames[i];
    // paths in the current folder are shown by their name
    if (ncwd > 0 && ncwd < MAX_PATH && shown.GetLength() > static_cast<int>(ncwd) &&
        shown.Left(ncwd).CompareNoCase(cwd) == 0 && shown[ncwd] == '\\')
      shown = shown.Mid(ncwd + 1);
    shown.Replace("&", "&&");
    CString text;
    text.Format("&%d %s", i + 1, shown.GetString());
    pMenu->InsertMenu(pCmdUI->m_nIndex++, MF_STRING | MF_BYPOSITION, pCmdUI->m_nID++, text);
  }
  pCmdUI->m_nIndex--;  // the item the caller looks at last
  pCmdUI->m_nIndexMax = pMenu->GetMenuItemCount();
  pCmdUI->m_bEnableChanged = TRUE;
}

// -------------------------------------------------------------------- app

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSigCmd_b, AFX_PFN(BOOL (CCmdTarget::*)(UINT), &ThisClass::memberFxn)},

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
  ON_COMMAND(ID_APP_EXIT, OnAppExit)
  ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
  ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, OnOpenRecentFile)
END_MESSAGE_MAP()

char* CWinApp::Dup(const char* s) {
  if (!s) return nullptr;
  size_t n = strlen(s) + 1;
  char* p = static_cast<char*>(malloc(n));
  if (p) memcpy(p, s, n);
  return p;
}

CWinApp::CWinApp(const char* lpszAppName) {
  g_pApp = this;
  m_bAutoDelete = FALSE;
  m_pszAppName = Dup(lpszAppName);
}

CWinApp::~CWinApp() {
  for (CDocTemplate* t : m_templates) delete t;
  m_templates.clear();
  delete m_pRecentFileList;
  free(const_cast<char*>(m_pszAppName));
  free(const_cast<char*>(m_pszRegistryKey));
  free(const_cast<char*>(m_pszProfileName));
  free(const_cast<char*>(m_pszExeName));
  m_hThread = nullptr;  // the process's main thread is not ours to close
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  return m_nExitCode;
}

BOOL CWinApp::IsIdleMessage(MSG* pMsg) {
  static POINT ptLast = {-1, -1};
  if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
    if (pMsg->pt.x == ptLast.x && pMsg->pt.y == ptLast.y) return FALSE;
    ptLast = pMsg->pt;
    return TRUE;
  }
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /*WM_SYSTIMER*/;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
  HWND hMain = SafeHwndOf(m_pMainWnd);
  if (CWnd::WalkPreTranslateTree(hMain, pMsg)) return TRUE;
  // a window outside the main window's tree still gets its accelerators
  if (hMain && pMsg->hwnd != hMain && !::IsChild(hMain, pMsg->hwnd) && m_pMainWnd->PreTranslateMessage(pMsg))
    return TRUE;
  return FALSE;
}

BOOL CWinApp::PumpMessage() {
  MSG msg;
  BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
  if (r <= 0) {
    m_nExitCode = r == 0 ? static_cast<int>(msg.wParam) : -1;
    return FALSE;
  }
  m_msgCur = msg;
  if (msg.message == WM_KICKIDLE || !PreTranslateMessage(&msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return TRUE;
}

int CWinApp::Run() {
  BOOL bIdle = TRUE;
  LONG lIdleCount = 0;
  MSG msg;
  for (;;) {
    while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(lIdleCount++)) bIdle = FALSE;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        bIdle = TRUE;
        lIdleCount = 0;
      }
    } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }
}

BOOL CWinApp::OnIdle(LONG lCount) {
  if (lCount <= 0) {
    CWnd* pMain = m_pMainWnd;
    if (pMain && pMain->m_hWnd && ::IsWindowVisible(pMain->m_hWnd)) {
      pMain->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
      pMain->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
    return TRUE;
  }
  if (lCount == 1) {
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
    CMenu::DeleteTempMap();
  }
  return FALSE;
}

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- profile

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
  free(const_cast<char*>(m_pszRegistryKey));
  m_pszRegistryKey = Dup(lpszRegistryKey);
  free(const_cast<char*>(m_pszProfileName));
  m_pszProfileName = Dup(m_pszAppName);
  // the registry-key objects open this key for a null path
  RegSetAppKeyPath(m_pszRegistryKey, m_pszProfileName);
}

CString CWinApp::GetAppRegistryPath() const {
  CString path;
  if (m_pszRegistryKey && m_pszProfileName) path.Format("Software\\%s\\%s", m_pszRegistryKey, m_pszProfileName);
  return path;
}

HKEY CWinApp::GetAppRegistryKey() {
  CString path = GetAppRegistryPath();
  if (path.IsEmpty()) return nullptr;
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

HKEY CWinApp::GetSectionKey(const char* lpszSection) {
  HKEY app = GetAppRegistryKey();
  if (!app) return nullptr;
  HKEY key = nullptr;
  LONG r = ::RegCreateKeyExA(app, lpszSection ? lpszSection : "", 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  ::RegCloseKey(app);
  return r == ERROR_SUCCESS ? key : nullptr;
}

// Reading opens without creating: a missing key gives the default.
static HKEY OpenSectionForRead(const CString& appPath, const char* lpszSection) {
  if (appPath.IsEmpty()) return nullptr;
  CString path = appPath;
  if (lpszSection && *lpszSection) path += CString("\\") + lpszSection;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

BOOL AfxRegQueryString(HKEY hKey, const char* lpszEntry, CString& value) {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(hKey, lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return FALSE;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return FALSE;
  if (size > 0x100000) return FALSE;  // no setting is that long
  char* buf = value.GetBuffer(static_cast<int>(size) + 1);
  DWORD got = size;
  if (::RegQueryValueExA(hKey, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(buf), &got) != ERROR_SUCCESS) {
    value.ReleaseBuffer(0);
    return FALSE;
  }
  buf[got < size + 1 ? got : size] = 0;  // the stored text may lack its terminator
  value.ReleaseBuffer(-1);
  return TRUE;
}

UINT CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) {
  HKEY key = OpenSectionForRead(GetAppRegistryPath(), lpszSection);
  if (!key) return static_cast<UINT>(nDefault);
  DWORD type = 0, value = 0, size = sizeof value;
  LONG r = ::RegQueryValueExA(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return static_cast<UINT>(nDefault);
  return value;
}

CString CWinApp::GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault) {
  CString value;
  HKEY key = OpenSectionForRead(GetAppRegistryPath(), lpszSection);
  if (key) {
    BOOL ok = AfxRegQueryString(key, lpszEntry, value);
    ::RegCloseKey(key);
    if (ok) return value;
  }
  return CString(lpszDefault);
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
  HKEY key = GetSectionKey(lpszSection);
  if (!key) return FALSE;
  DWORD v = static_cast<DWORD>(nValue);
  LONG r = ::RegSetValueExA(key, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue) {
  HKEY key;
  LONG r;
  if (!lpszEntry) {  // no entry: the whole section goes
    if (!lpszSection || !*lpszSection) return FALSE;  // never the whole application key
    HKEY app = GetAppRegistryKey();
    if (!app) return FALSE;
    r = ::RegDeleteTreeA(app, lpszSection);  // with any keys below it
    ::RegCloseKey(app);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  key = GetSectionKey(lpszSection);
  if (!key) return FALSE;
  if (!lpszValue) {
    r = ::RegDeleteValueA(key, lpszEntry);
    if (r == ERROR_FILE_NOT_FOUND) r = ERROR_SUCCESS;
  } else {
    r = ::RegSetValueExA(key, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                         static_cast<DWORD>(strlen(lpszValue) + 1));
  }
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(const char* lpszSection, const char* lpszEntry, BYTE** ppData, UINT* pBytes) {
  *ppData = nullptr;
  *pBytes = 0;
  HKEY key = OpenSectionForRead(GetAppRegistryPath(), lpszSection);
  if (!key) return FALSE;
  DWORD type = 0, size = 0;
  BOOL ok = FALSE;
  if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY &&
      size <= 0x100000) {
    BYTE* p = new BYTE[size ? size : 1];
    if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, p, &size) == ERROR_SUCCESS) {
      *ppData = p;
      *pBytes = size;
      ok = TRUE;
    } else {
      delete[] p;
    }
  }
  ::RegCloseKey(key);
  return ok;
}

BOOL CWinApp::WriteProfileBinary(const char* lpszSection, const char* lpszEntry, const BYTE* pData, UINT nBytes) {
  HKEY key = GetSectionKey(lpszSection);
  if (!key) return FALSE;
  LONG r = ::RegSetValueExA(key, lpszEntry, 0, REG_BINARY, pData, nBytes);
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  if (nMaxMRU == 0) return;
  delete m_pRecentFileList;
  m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", static_cast<int>(nMaxMRU));
  m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings() {
  if (m_pRecentFileList && m_pszRegistryKey) m_pRecentFileList->WriteList();
}

void CWinApp::AddToRecentFileList(const char* lpszPathName) {
  if (m_pRecentFileList) m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
  if (m_pRecentFileList)
    m_pRecentFileList->UpdateMenu(pCmdUI);
  else
    pCmdUI->Enable(FALSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  if (!m_pRecentFileList) return FALSE;
  int i = static_cast<int>(nID) - ID_FILE_MRU_FILE1;
  if (i < 0 || i >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[i].IsEmpty()) return FALSE;
  CString path = (*m_pRecentFileList)[i];
  if (!OpenDocumentFile(path)) m_pRecentFileList->Remove(i);
  return TRUE;
}

// ---- documents

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate) m_templates.push_back(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const {
  return m_templates.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1));
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
  UINT_PTR i = reinterpret_cast<UINT_PTR>(pos);
  if (i == 0 || i > m_templates.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = i < m_templates.size() ? reinterpret_cast<POSITION>(i + 1) : nullptr;
  return m_templates[i - 1];
}

CDocument* CWinApp::OpenDocumentFile(const char* lpszFileName) {
  if (m_templates.empty()) return nullptr;
  return m_templates.front()->OpenDocumentFile(lpszFileName);
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = SafeHwndOf(m_pMainWnd);
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFilter = "Alle Dateien (*.*)\0*.*\0";
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (::GetOpenFileNameA(&ofn)) OpenDocumentFile(file);
}

void CWinApp::OnFilePrintSetup() {
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = SafeHwndOf(m_pMainWnd);
  pd.Flags = PD_PRINTSETUP;
  if (::PrintDlgA(&pd)) {
    if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
  }
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    default:
      return TRUE;
  }
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
  for (CDocTemplate* t : m_templates) t->CloseAllDocuments(bEndSession);
}

BOOL CWinApp::SaveAllModified() {
  for (CDocTemplate* t : m_templates)
    if (!t->SaveAllModified()) return FALSE;
  return TRUE;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const {
  return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

// ------------------------------------------------------------- start-up

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = hInstance;
  app->m_lpCmdLine = lpCmdLine;
  app->m_nCmdShow = nCmdShow;
  app->m_hThread = ::GetCurrentThread();
  app->m_nThreadID = ::GetCurrentThreadId();

  char module[MAX_PATH];
  DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  CString exe = (n > 0 && n < MAX_PATH) ? CString(module) : CString("Program");
  int sep = exe.ReverseFind('\\');
  if (sep >= 0) exe = exe.Mid(sep + 1);
  int dot = exe.ReverseFind('.');
  if (dot > 0) exe = exe.Left(dot);
  free(const_cast<char*>(app->m_pszExeName));
  app->m_pszExeName = _strdup(exe);
  if (!app->m_pszAppName) {
    CString title;
    if (!title.LoadString(AFX_IDS_APP_TITLE)) title = exe;
    app->m_pszAppName = _strdup(title);
  }

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  int result;
  if (!app->InitApplication() || !app->InitInstance()) {
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
    result = app->ExitInstance();
  } else {
    result = app->Run();
  }
  return result;
}

// The program's entry when it has an application object (this file is
// linked in through the CWinApp constructor).
extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
