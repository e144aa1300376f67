// Dialog templates built in memory (no resource needed), in the extended
// (DIALOGEX) form: extended styles per item, items that start hidden, and a
// chosen font.
#pragma once

#include <windows.h>

#include <vector>

// Predefined control classes of a template item.
enum : WORD {
  DLGT_BUTTON = 0x0080,
  DLGT_EDIT = 0x0081,
  DLGT_STATIC = 0x0082,
  DLGT_LISTBOX = 0x0083,
  DLGT_SCROLLBAR = 0x0084,
  DLGT_COMBOBOX = 0x0085,
};

class CDlgTemplate {
 public:
  // Sizes in dialog units; the font is "MS Shell Dlg" 8 unless SetFont
  // names another before the first item (the name is copied).
  CDlgTemplate(const char* caption, DWORD style, int cx, int cy, DWORD exStyle = 0);
  void SetFont(const char* face, int points);
  // clsAtom: one of DLGT_* or 0 with className. Items are visible unless
  // hidden is set.
  void AddItem(WORD id, DWORD style, int x, int y, int cx, int cy, WORD clsAtom, const char* text,
               const char* className = nullptr);
  void AddItemEx(WORD id, DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD clsAtom,
                 const char* text, const char* className = nullptr, bool hidden = false);
  LPCDLGTEMPLATE Get();
  // the finished template's words (to keep beyond the builder's life)
  const std::vector<WORD>& Words() {
    Get();
    return m_data;
  }

 private:
  void Word(WORD w) { m_data.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const char* s);
  void Align();
  void WriteHeader();
  std::vector<WORD> m_data;
  const char* m_caption;
  DWORD m_style, m_exStyle;
  int m_cx, m_cy;
  std::vector<char> m_face;
  int m_points = 8;
  bool m_headerDone = false;
  size_t m_countAt = 0;
  std::vector<char> m_captionCopy;
};
