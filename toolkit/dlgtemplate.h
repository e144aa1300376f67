// Dialog templates built in memory (no resource needed).
#pragma once

#include <windows.h>

#include <vector>

class CDlgTemplate {
 public:
  // Sizes in dialog units; the font is the shell dialog font at 8 points.
  CDlgTemplate(const char* caption, DWORD style, int cx, int cy);
  // cls: a predefined class atom (0x0080 button, 0x0081 edit, 0x0082
  // static) or 0 with className.
  void AddItem(WORD id, DWORD style, int x, int y, int cx, int cy, WORD clsAtom, const char* text,
               const char* className = nullptr);
  LPCDLGTEMPLATE Get();

 private:
  void Word(WORD w) { m_data.push_back(w); }
  void Text(const char* s);
  void Align();
  std::vector<WORD> m_data;
  size_t m_countAt;
};
