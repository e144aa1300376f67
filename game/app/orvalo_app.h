// The application object of Orvalo.
#pragma once

#include "framework/afxwin.h"

class COrvaloDoc;
class COrvaloView;

class COrvaloApp : public CWinApp {
 public:
  COrvaloApp();

  BOOL InitInstance() override;

  COrvaloDoc* GetFirstDocument();
  COrvaloView* GetFirstView();
  // entry nIndex of the recent-file list (negative counts as 0); null when
  // beyond the list or empty
  const char* GetRecentFile(int nIndex) const;

  void OnHelpKeyboard();
  void OnHelpFileFormat();

 protected:
  // "-z" and "/Z" (and longer words starting so) switch to full screen,
  // other switches are ignored, anything else names the game folder.
  void ProcessArguments();

  DECLARE_MESSAGE_MAP()
};

extern COrvaloApp theApp;
