// The main frame of Orvalo.
#pragma once

#include "framework/afxwin.h"

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)
 public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

 protected:
  DECLARE_MESSAGE_MAP()
};
