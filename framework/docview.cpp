#include "framework/docview.h"

#include <algorithm>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/stdids.h"
#include "framework/winapp.h"

// --------------------------------------------------------------- CDocument

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
  // views outliving the document must not point at it
  for (CView* v : m_viewList) v->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const char* lpszTitle) {
  m_strTitle = lpszTitle;
  for (CView* v : m_viewList) {
    if (!v->m_hWnd) continue;
    CFrameWnd* f = v->GetParentFrame();
    if (f) f->OnUpdateFrameTitle(TRUE);
  }
}

void CDocument::SetPathName(const char* lpszPathName, BOOL bAddToMRU) {
  char full[MAX_PATH];
  char* name = nullptr;
  DWORD n = ::GetFullPathNameA(lpszPathName ? lpszPathName : "", MAX_PATH, full, &name);
  if (n == 0 || n >= MAX_PATH) {
    m_strPathName = lpszPathName;  // keep what we were given
    name = nullptr;
  } else {
    m_strPathName = full;
  }
  CString title = m_strPathName;
  int sep = std::max(title.ReverseFind('\\'), title.ReverseFind('/'));
  if (sep >= 0) title = title.Mid(sep + 1);
  SetTitle(title);
  if (bAddToMRU) {
    CWinApp* app = AfxGetApp();
    if (app) app->AddToRecentFileList(m_strPathName);
  }
}

void CDocument::AddView(CView* pView) {
  if (std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end()) return;
  m_viewList.push_back(pView);
  pView->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
  if (it == m_viewList.end()) return;
  m_viewList.erase(it);
  pView->m_pDocument = nullptr;
  OnChangedViewList();
}

void CDocument::OnChangedViewList() {
  // the last view gone: the document goes too
  if (m_viewList.empty() && m_bAutoDelete) OnCloseDocument();
}

POSITION CDocument::GetFirstViewPosition() const {
  return m_viewList.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1));
}

CView* CDocument::GetNextView(POSITION& rPosition) const {
  UINT_PTR i = reinterpret_cast<UINT_PTR>(rPosition);
  if (i == 0 || i > m_viewList.size()) {
    rPosition = nullptr;
    return nullptr;
  }
  CView* v = m_viewList[i - 1];
  rPosition = i < m_viewList.size() ? reinterpret_cast<POSITION>(i + 1) : nullptr;
  return v;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  std::vector<CView*> views = m_viewList;  // a view may go away meanwhile
  for (CView* v : views)
    if (v != pSender) v->OnUpdate(pSender, lHint, pHint);
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*) {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const char*) {
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  BOOL bAutoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;  // not while its views close
  while (!m_viewList.empty()) {
    CView* v = m_viewList.front();
    CFrameWnd* f = v->m_hWnd ? v->GetParentFrame() : nullptr;
    if (f && f->m_hWnd) {
      f->DestroyWindow();
    } else if (v->m_hWnd) {
      v->DestroyWindow();
    }
    // a view that did not go away with its window is dropped from the list
    if (!m_viewList.empty() && m_viewList.front() == v) RemoveView(v);
  }
  m_bAutoDelete = bAutoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  CString prompt;
  prompt.Format("Änderungen in %s speichern?", name.GetString());
  switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDCANCEL:
      return FALSE;
    case IDYES:
      return DoFileSave();
  }
  return TRUE;
}

BOOL CDocument::CanCloseFrame(CFrameWnd*) { return SaveModified(); }

BOOL CDocument::DoFileSave() { return OnSaveDocument(m_strPathName); }

void CDocument::Serialize(CArchive&) {}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ------------------------------------------------------------------- CView

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_PAINT()
  ON_WM_MOUSEACTIVATE()
  ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMsg)
  ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
  ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrintDirect)
  ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
  // a bordered view gets the sunken client edge instead
  if (cs.style & WS_BORDER) {
    cs.style &= ~WS_BORDER;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
  }
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1) return -1;
  CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnDestroy() {
  CFrameWnd* f = GetParentFrame();
  if (f && f->GetActiveView() == this) f->SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CView::PostNcDestroy() { delete this; }

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  int r = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
  CFrameWnd* f = GetParentFrame();
  if (f && f->GetActiveView() != this) f->SetActiveView(this);
  return r;
}

LRESULT CView::OnInitialUpdateMsg(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView*, CView*) {
  if (!bActivate || !m_hWnd) return;
  // take the focus when our top-level window is the active one
  HWND top = m_hWnd;
  while ((::GetWindowLongA(top, GWL_STYLE) & WS_CHILD) && ::GetParent(top)) top = ::GetParent(top);
  if (::GetActiveWindow() == top) ::SetFocus(m_hWnd);
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ------------------------------------------------------------ CDocTemplate

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
  if (m_strDocStrings.IsEmpty()) const_cast<CString&>(m_strDocStrings).LoadString(m_nIDResource);
  int start = 0;
  for (int i = 0; i < index; ++i) {
    int nl = m_strDocStrings.Find('\n', start);
    if (nl < 0) {
      rString.Empty();
      return FALSE;
    }
    start = nl + 1;
  }
  int end = m_strDocStrings.Find('\n', start);
  rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
  return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
  if (pDoc->m_pDocTemplate == this) pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument() {
  CObject* obj = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  CDocument* pDoc = DYNAMIC_DOWNCAST(CDocument, obj);
  if (!pDoc) {
    delete obj;
    return nullptr;
  }
  AddDocument(pDoc);
  return pDoc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  CCreateContext context;
  context.m_pCurrentFrame = pOther;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  CObject* obj = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  CFrameWnd* pFrame = DYNAMIC_DOWNCAST(CFrameWnd, obj);
  if (!pFrame) {
    delete obj;
    return nullptr;
  }
  // a frame whose window came into being deletes itself when it goes
  if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
  return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  std::vector<CDocument*> docs;
  for (POSITION pos = GetFirstDocPosition(); pos;)
    if (CDocument* d = GetNextDoc(pos)) docs.push_back(d);
  for (CDocument* d : docs) d->OnCloseDocument();
}

BOOL CDocTemplate::SaveAllModified() {
  POSITION pos = GetFirstDocPosition();
  while (pos) {
    CDocument* pDoc = GetNextDoc(pos);
    if (pDoc && !pDoc->SaveModified()) return FALSE;
  }
  return TRUE;
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  if (m_pOnlyDoc) {
    CDocument* p = m_pOnlyDoc;
    m_pOnlyDoc = nullptr;
    p->m_bAutoDelete = TRUE;
    p->OnCloseDocument();
  }
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const {
  return m_pOnlyDoc ? reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1)) : nullptr;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
  CDocument* p = rPos ? m_pOnlyDoc : nullptr;
  rPos = nullptr;
  return p;
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc) {
  CDocTemplate::AddDocument(pDoc);
  m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
  CDocTemplate::RemoveDocument(pDoc);
  if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* lpszPathName, BOOL bMakeVisible) {
  CDocument* pDoc = nullptr;
  CFrameWnd* pFrame = nullptr;
  BOOL bCreated = FALSE;
  if (m_pOnlyDoc) {
    pDoc = m_pOnlyDoc;
    if (!pDoc->SaveModified()) return nullptr;
    POSITION pos = pDoc->GetFirstViewPosition();
    CView* v = pDoc->GetNextView(pos);
    if (v && v->m_hWnd) pFrame = v->GetParentFrame();
  } else {
    pDoc = CreateNewDocument();
    if (!pDoc) {
      AfxMessageBox("Das Dokument konnte nicht angelegt werden.", MB_ICONSTOP);
      return nullptr;
    }
    bCreated = TRUE;
  }
  if (!pFrame) {
    BOOL bAutoDelete = pDoc->m_bAutoDelete;
    pDoc->m_bAutoDelete = FALSE;  // a failing frame must not take the document with it
    pFrame = CreateNewFrame(pDoc, nullptr);
    pDoc->m_bAutoDelete = bAutoDelete;
    if (!pFrame) {
      if (bCreated) {
        pDoc->m_bAutoDelete = TRUE;
        pDoc->OnCloseDocument();
      }
      return nullptr;
    }
  }
  if (!lpszPathName) {
    CString title;
    if (!GetDocString(title, docName)) title = "Unbenannt";
    pDoc->SetTitle(title);
    if (!pDoc->OnNewDocument()) {
      if (bCreated) pFrame->DestroyWindow();  // takes view and document along
      return nullptr;
    }
  } else {
    if (!pDoc->OnOpenDocument(lpszPathName)) {
      if (bCreated) pFrame->DestroyWindow();
      return nullptr;
    }
    pDoc->SetPathName(lpszPathName);
  }
  CWinApp* app = AfxGetApp();
  if (bCreated && app && !app->m_pMainWnd) app->m_pMainWnd = pFrame;
  InitialUpdateFrame(pFrame, pDoc, bMakeVisible);
  return pDoc;
}
