#include "toolkit/dlgtemplate.h"

#include <string.h>

CDlgTemplate::CDlgTemplate(const char* caption, DWORD style, int cx, int cy, DWORD exStyle)
    : m_caption(nullptr), m_style(style), m_exStyle(exStyle), m_cx(cx), m_cy(cy) {
  const char* c = caption ? caption : "";
  m_captionCopy.assign(c, c + strlen(c) + 1);
  m_caption = m_captionCopy.data();
  SetFont("MS Shell Dlg", 8);
}

void CDlgTemplate::SetFont(const char* face, int points) {
  if (m_headerDone) return;  // the header is written with the first item
  // a caller's buffer need not outlive the builder
  const char* f = face && *face ? face : "MS Shell Dlg";
  m_face.assign(f, f + strlen(f) + 1);
  m_points = points;
}

void CDlgTemplate::WriteHeader() {
  if (m_headerDone) return;
  m_headerDone = true;
  Word(1);       // dlgVer
  Word(0xFFFF);  // signature of the extended form
  Dword(0);      // help id
  Dword(m_exStyle);
  Dword(m_style | DS_SETFONT);
  m_countAt = m_data.size();
  Word(0);  // items
  Word(0);  // x, y
  Word(0);
  Word((WORD)m_cx);
  Word((WORD)m_cy);
  Word(0);  // no menu
  Word(0);  // the dialog class
  Text(m_caption);
  Word((WORD)m_points);
  Word(FW_NORMAL);
  Word(0);  // italic, charset
  Text(m_face.data());
}

void CDlgTemplate::Text(const char* s) {
  // 8-bit Windows-1252 text to UTF-16
  int n = MultiByteToWideChar(1252, 0, s ? s : "", -1, nullptr, 0);
  std::vector<wchar_t> w(n > 0 ? n : 1, 0);
  if (n > 0) MultiByteToWideChar(1252, 0, s ? s : "", -1, w.data(), n);
  for (wchar_t c : w) Word((WORD)c);
  if (n <= 0) Word(0);
}

void CDlgTemplate::Align() {
  if (m_data.size() & 1) Word(0);  // items start on a DWORD boundary
}

void CDlgTemplate::AddItem(WORD id, DWORD style, int x, int y, int cx, int cy, WORD clsAtom, const char* text,
                           const char* className) {
  AddItemEx(id, style, 0, x, y, cx, cy, clsAtom, text, className, false);
}

void CDlgTemplate::AddItemEx(WORD id, DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD clsAtom,
                             const char* text, const char* className, bool hidden) {
  WriteHeader();
  Align();
  Dword(0);  // help id
  Dword(exStyle);
  Dword((style | WS_CHILD | (hidden ? 0 : WS_VISIBLE)) & ~(hidden ? WS_VISIBLE : 0));
  Word((WORD)x);
  Word((WORD)y);
  Word((WORD)cx);
  Word((WORD)cy);
  Dword(id);
  if (clsAtom) {
    Word(0xFFFF);
    Word(clsAtom);
  } else {
    Text(className);
  }
  Text(text);
  Word(0);  // no creation data
  m_data[m_countAt]++;
}

LPCDLGTEMPLATE CDlgTemplate::Get() {
  WriteHeader();
  return (LPCDLGTEMPLATE)m_data.data();
}
