// CTextInputDlg: asks for one line of text.
#pragma once

#include "text/cstring.h"
#include "framework/dialog.h"

class CTextInputDlg : public CDialog {
 public:
  explicit CTextInputDlg(CWnd* parent = nullptr);

  void SetTitle(const char* text) { m_title = text; }
  void SetPrompt(const char* text) { m_prompt = text; }
  void SetText(const char* text) { m_text = text; }
  // 1 for OK, 0 for cancel, -1 when the dialog could not be shown.
  INT_PTR DoModal() override;
  // Copies the entered text, cut to the buffer and terminated; returns the
  // characters copied.
  int GetText(char* buffer, int size) const;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  CString m_title, m_prompt, m_text;
};
