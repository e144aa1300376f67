// The game view. For now it only hosts the window and remembers the game
// folder handed over by the command line.
#pragma once

#include "framework/afxwin.h"

class COrvaloDoc;

class COrvaloView : public CView {
  DECLARE_DYNCREATE(COrvaloView)
 public:
  COrvaloView();
  ~COrvaloView() override;

  COrvaloDoc* GetDocument() const;
  void OnDraw(CDC* pDC) override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

  // the game folder; kept without a trailing separator
  void SetInfoPath(const char* lpszPath);
  const CString& GetInfoPath() const { return m_strInfoPath; }

 protected:
  CString m_strInfoPath;

  DECLARE_MESSAGE_MAP()
};
