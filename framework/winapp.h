// The application object: start-up, message pump with idle time, profile
// settings in the registry, recent files and the document templates.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cmdtarget.h"
#include "text/cstring.h"
#include "framework/wnd.h"

class CDocTemplate;
class CDocument;
class CWinApp;

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
const char* AfxGetAppName();

// The list of recently used files ("Recent File List" section, "File1"..).
class CRecentFileList {
 public:
  CRecentFileList(UINT nStart, const char* lpszSection, const char* lpszEntryFormat, int nSize);
  int GetSize() const { return static_cast<int>(m_arrNames.size()); }
  const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }
  void Add(const char* lpszPathName);  // moves or inserts at the top
  void Remove(int nIndex);
  void ReadList();
  void WriteList();
  // rewrites the menu entries from nStart on (the update handler of the first one)
  void UpdateMenu(CCmdUI* pCmdUI);

  UINT m_nStart;
  CString m_strSectionName;
  CString m_strEntryFormat;

 private:
  std::vector<CString> m_arrNames;  // fixed size; empty entries at the end
};

// The parsed command line; the start-up uses the default (a new document).
class CCommandLineInfo {
 public:
  enum { FileNew, FileOpen, FileNothing = -1 } m_nShellCommand = FileNew;
  CString m_strFileName;
  virtual ~CCommandLineInfo() = default;
};

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
 public:
  CWinThread() = default;
  ~CWinThread() override;
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;  // the object deletes itself when the thread ends
  CWnd* m_pMainWnd = nullptr;
  operator HANDLE() const { return m_hThread; }
  DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

  UINT (*m_pfnThreadProc)(LPVOID) = nullptr;
  LPVOID m_pThreadParams = nullptr;
};

typedef UINT (*AFX_THREADPROC)(LPVOID);
// Starts pfn(pParam) on a new thread with the given stack size (0: the
// program's default). With m_bAutoDelete cleared before resuming (pass
// CREATE_SUSPENDED), the caller waits on m_hThread and deletes the object.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0);

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
 public:
  explicit CWinApp(const char* lpszAppName = nullptr);
  ~CWinApp() override;

  HINSTANCE m_hInstance = nullptr;
  char* m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  const char* m_pszAppName = nullptr;      // owned copy
  const char* m_pszRegistryKey = nullptr;  // owned copy; null: no registry
  const char* m_pszProfileName = nullptr;  // owned copy
  const char* m_pszExeName = nullptr;      // owned copy
  CRecentFileList* m_pRecentFileList = nullptr;

  virtual BOOL InitApplication();
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL OnIdle(LONG lCount);
  virtual BOOL PumpMessage();
  virtual BOOL IsIdleMessage(MSG* pMsg);
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  // ---- profile (HKCU\Software\<key>\<app>\<section>)
  void SetRegistryKey(const char* lpszRegistryKey);
  // "Software\<key>\<app>"; empty before SetRegistryKey
  CString GetAppRegistryPath() const;
  HKEY GetAppRegistryKey();                     // opened/created; the caller closes it
  HKEY GetSectionKey(const char* lpszSection);  // likewise
  UINT GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault);
  CString GetProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszDefault = nullptr);
  BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);
  BOOL WriteProfileString(const char* lpszSection, const char* lpszEntry, const char* lpszValue);
  BOOL GetProfileBinary(const char* lpszSection, const char* lpszEntry, BYTE** ppData, UINT* pBytes);
  BOOL WriteProfileBinary(const char* lpszSection, const char* lpszEntry, const BYTE* pData, UINT nBytes);
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();

  // ---- documents
  void AddDocTemplate(CDocTemplate* pTemplate);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  virtual CDocument* OpenDocumentFile(const char* lpszFileName);
  virtual void AddToRecentFileList(const char* lpszPathName);
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
  void CloseAllDocuments(BOOL bEndSession);
  BOOL SaveAllModified();

  // ---- standard commands
  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  void OnAppExit();
  BOOL OnOpenRecentFile(UINT nID);
  void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

  // ---- resources
  HICON LoadIcon(UINT nIDResource) const;
  HICON LoadStandardIcon(const char* lpszIconName) const { return ::LoadIconA(nullptr, lpszIconName); }
  HCURSOR LoadCursor(UINT nIDResource) const;
  HCURSOR LoadStandardCursor(const char* lpszCursorName) const { return ::LoadCursorA(nullptr, lpszCursorName); }

  // ---- controls containment: recorded for the control classes that need it
  void EnableControlContainer() { m_bControlContainer = TRUE; }
  BOOL m_bControlContainer = FALSE;

 protected:
  std::vector<CDocTemplate*> m_templates;
  MSG m_msgCur = {};     // the message the pump handles
  int m_nExitCode = 0;   // WM_QUIT's code

  DECLARE_MESSAGE_MAP()

 private:
  static char* Dup(const char* s);
  static HWND SafeHwndOf(const CWnd* p) { return CWnd::SafeHwnd(p); }
};

// WinMain of a program on the layer runs this.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// The application's key path ("Software\\<key>\\<app>"), "" before
// SetRegistryKey; the registry service of files/ keeps it.
const char* AfxGetAppRegistryPath();

// helpers of the registry code
BOOL AfxRegQueryString(HKEY hKey, const char* lpszEntry, CString& value);
