// The document: only a title and a path for the recent-file list; the
// game keeps its state in the view.
#pragma once

#include "framework/afxwin.h"

class COrvaloDoc : public CDocument {
  DECLARE_DYNCREATE(COrvaloDoc)
 public:
  COrvaloDoc();
  ~COrvaloDoc() override;

  BOOL OnNewDocument() override;
  BOOL OnOpenDocument(const char* lpszPathName) override;
  BOOL OnSaveDocument(const char* lpszPathName) override;
  BOOL DoFileSave() override;
  void Serialize(CArchive& ar) override;
  BOOL IsModified() override { return FALSE; }  // closing never asks to save
  void SetModifiedFlag(BOOL bModified = TRUE) override { m_bModified = bModified; }
  void ClearPathName() { m_strPathName.Empty(); }

  void OnFileSave();
  void OnFileSaveAs();
  void OnFileOpen();
  void OnFileToggleRecent();

 protected:
  BOOL HasView() const { return GetFirstViewPosition() != nullptr; }

  DECLARE_MESSAGE_MAP()
};
